// Entry of e2e_tests.exe: GoogleTest, plus --e2e_expect_cases=N, which fails when the program holds another
// number of cases than CTest read from the sources (a misread case fails by itself, its filter matching
// nothing; a case CTest missed would never run, and only this count shows it), and --e2e_target=PATH,
// the target program of the pass.
#include "e2e_support.h"

#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    // Inherited by the programs under test: a crash ends the process instead of waiting in a dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::testing::InitGoogleTest(&argc, argv);
    const char option[] = "--e2e_expect_cases=", target[] = "--e2e_target=";
    for (int i = 1; i < argc; ++i)
        if (strncmp(argv[i], target, sizeof target - 1) == 0)
            e2e::target_path = argv[i] + sizeof target - 1;
    for (int i = 1; i < argc; ++i)
        if (strncmp(argv[i], option, sizeof option - 1) == 0) {
            const int registered = atoi(argv[i] + sizeof option - 1);
            const int compiled = ::testing::UnitTest::GetInstance()->total_test_count();
            if (compiled != registered)
                printf("%d cases compiled, %d registered with CTest: compare --gtest_list_tests\n", compiled,
                       registered);
            return compiled == registered ? 0 : 1;
        }
    return RUN_ALL_TESTS();
}
