// mivracheck.exe, the data-file checker, as a console program: its report through a pipe, in
// Shift-JIS, and its exit status.
#include "e2e_support.h"

using namespace e2e;

namespace {

class Checker : public bench {
  protected:
    // Where the dist folder's mivracheck.exe and its neighbours lie.
    static std::string dist(const std::string &name)
    {
        std::string exe = windows_path(MIVRA_EXE_PATH);
        return exe.substr(0, exe.rfind('\\') + 1) + name;
    }

    // Runs the checker with its output on a pipe; the output without CRs, the exit status in *status.
    std::string run(const std::string &exe, const std::string &args, DWORD *status)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE read_end = nullptr, write_end = nullptr;
        EXPECT_TRUE(CreatePipe(&read_end, &write_end, &inherit, 0));
        SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = write_end;
        startup.hStdError = write_end;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        PROCESS_INFORMATION info = {};
        std::string command = "\"" + exe + "\" " + args;
        const BOOL started = CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, TRUE,
                                            CREATE_NO_WINDOW, nullptr, dir_.c_str(), &startup, &info);
        CloseHandle(write_end);
        std::string output;
        if (started) {
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0)
                output.append(buffer, got);
            EXPECT_EQ(WaitForSingleObject(info.hProcess, wait_ms), WAIT_OBJECT_0);
            GetExitCodeProcess(info.hProcess, status);
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        } else {
            ADD_FAILURE() << "cannot start " << exe;
        }
        CloseHandle(read_end);
        std::string text;
        for (char c : output)
            if (c != '\r')
                text += c;
        return text;
    }
};

} // namespace

// The data file beside the checker, with a "[title]" pattern that BREGEXP.DLL cannot compile, an
// unknown option, a value out of range and a group left open: one line each, in Shift-JIS, ordered
// by line; status 1.
TEST_F(Checker, ReportsEachMistakeBesideItAndEndsWithOne)
{
    for (const char *name : {"mivracheck.exe", "BREGEXP.DLL"})
        ASSERT_TRUE(CopyFileA(dist(name).c_str(), in_dir(name).c_str(), FALSE)) << name;
    ASSERT_TRUE(
        write_file(in_dir("mivra.ini"), lines({"[title]", "G | m/(/k", "%end", "[system]", "@colour=red",
                                               "@hist=200,0", "%end", "[data]", "{G", "a | b", "%end"})));
    DWORD status = 99;
    const std::string ini = in_dir("mivra.ini") + ":";
    EXPECT_EQ(
        run(in_dir("mivracheck.exe"), "", &status),
        ini +
            "2: warning: [title] の正規表現「m/(/k」は使えません（end pattern with unmatched parenthesis）。"
            "この行のグループは開かれません\n" +
            ini + "5: warning: 「@colour=」という設定はありません。この行は無視されます\n" + ini +
            "6: warning: @hist= の1番目（先頭 10～100）：200 は範囲の外です。代わりに 30 を使います\n" + ini +
            "9: warning: グループ「G」を閉じる } の行がありません\n4 warnings\n");
    EXPECT_EQ(status, 1u);
}

// The sample data file of the dist folder checks clean (status 0); a file that is not there gives
// status 2.
TEST_F(Checker, SampleIsCleanAndAMissingFileEndsWithTwo)
{
    DWORD status = 99;
    EXPECT_EQ(run(dist("mivracheck.exe"), "\"" + dist("Mivra.ini") + "\"", &status), "問題はありません\n");
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(run(dist("mivracheck.exe"), "none.ini", &status),
              "none.ini: error: 設定ファイルを読めません\n");
    EXPECT_EQ(status, 2u);
}
