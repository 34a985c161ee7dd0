// Entry of e2e_tests.exe: GoogleTest, plus --e2e_expect_cases=Suite.Case,..., which fails when the compiled
// cases differ from that list: CTest registers the cases it reads from the sources, a misread one never runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

static int check_case_list(const char *expected_list)
{
    std::set<std::string> expected, compiled;
    std::stringstream in(expected_list);
    for (std::string name; std::getline(in, name, ',');)
        expected.insert(name);
    const ::testing::UnitTest &unit = *::testing::UnitTest::GetInstance();
    for (int i = 0; i < unit.total_test_suite_count(); ++i)
        for (int j = 0; j < unit.GetTestSuite(i)->total_test_count(); ++j)
            compiled.insert(std::string(unit.GetTestSuite(i)->name()) + "." +
                            unit.GetTestSuite(i)->GetTestInfo(j)->name());
    for (const std::string &name : compiled)
        if (!expected.count(name))
            printf("case not registered with CTest: %s\n", name.c_str());
    for (const std::string &name : expected)
        if (!compiled.count(name))
            printf("CTest case not in the program: %s\n", name.c_str());
    return compiled == expected ? 0 : 1;
}

int main(int argc, char **argv)
{
    // Inherited by the programs under test: a crash ends the process instead of waiting in a dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::testing::InitGoogleTest(&argc, argv);
    const char option[] = "--e2e_expect_cases=";
    for (int i = 1; i < argc; ++i)
        if (strncmp(argv[i], option, sizeof option - 1) == 0)
            return check_case_list(argv[i] + sizeof option - 1);
    return RUN_ALL_TESTS();
}
