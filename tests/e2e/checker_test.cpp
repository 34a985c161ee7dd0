// mivracheck.exe, the data-file checker, as a console program: its report through a pipe, in
// Shift-JIS, and its exit status.
#include "e2e_support.h"

using namespace e2e;

namespace {

using Checker = bench;

// Runs the checker through the command interpreter; its output without CRs, the exit status in *status.
std::string run(const std::string &exe, const std::string &args, int *status)
{
    FILE *pipe = _popen(("\"\"" + exe + "\" " + args + " 2>&1\"").c_str(), "rb");
    if (!pipe)
        return "cannot start " + exe;
    std::string text;
    for (int c; (c = fgetc(pipe)) != EOF;)
        if (c != '\r')
            text += static_cast<char>(c);
    *status = _pclose(pipe);
    return text;
}

} // namespace

// The data file beside the checker, with a "[title]" pattern that BREGEXP.DLL cannot compile: its
// line in Shift-JIS, status 1.
TEST_F(Checker, ReportsInShiftJisAndTellsByItsStatus)
{
    ASSERT_FALSE(install("mivracheck.exe").empty() || install("BREGEXP.DLL").empty());
    const std::string ini = lines({"[title]", "G | m/(/k", "%end", "[data]", "{G", "a | b", "}", "%end"});
    ASSERT_TRUE(write_file(in_dir("mivra.ini"), ini));
    int status = 99;
    EXPECT_EQ(run(in_dir("mivracheck.exe"), "", &status),
              in_dir("mivra.ini") +
                  ":2: warning: [title] の正規表現「m/(/k」は使えません（end pattern with unmatched parenthesis）。"
                  "この行のグループは開かれません\n1 warning\n");
    EXPECT_EQ(status, 1);
}
