// mivracheck.exe, the data-file checker, as a console program: its report through a pipe, in
// Shift-JIS, and its exit status.
#include "e2e_support.h"

using namespace e2e;

using Checker = bench;

// The data file beside the checker, with a "[title]" pattern that BREGEXP.DLL cannot compile: its
// line in Shift-JIS, status 1. Run through the command interpreter; its output is read without CRs.
TEST_F(Checker, ReportsInShiftJisAndTellsByItsStatus)
{
    ASSERT_FALSE(install("mivracheck.exe").empty() || install("BREGEXP.DLL").empty());
    const std::string ini = lines({"[title]", "G | m/(/k", "%end", "[data]", "{G", "a | b", "}", "%end"});
    ASSERT_TRUE(write_file(in_dir("mivra.ini"), ini));
    FILE *pipe = _popen(("\"\"" + in_dir("mivracheck.exe") + "\" 2>&1\"").c_str(), "rb");
    ASSERT_TRUE(pipe);
    std::string text;
    for (int c; (c = fgetc(pipe)) != EOF;)
        if (c != '\r')
            text += static_cast<char>(c);
    EXPECT_EQ(_pclose(pipe), 1);
    EXPECT_EQ(text, in_dir("mivra.ini") +
                        ":2: warning: [title] の正規表現「m/(/k」は使えません（end pattern with unmatched parenthesis）。"
                        "この行のグループは開かれません\n1 warning\n");
}
