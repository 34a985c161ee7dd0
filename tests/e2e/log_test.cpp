// The log across starts: the chosen item goes first into the log file, and a later "/#o" start's
// popup offers it and pastes it; its "&@ 通常起動" goes on to the main menu, and a dismissed popup
// ends the start without pasting or logging. "@log=" names the data file (the system ignores case):
// the log stays "log.ini".
#include "e2e_support.h"

using namespace e2e;

class Log : public bench {};

// One start per row over a target that does not restore its own focus: each group of keys goes to
// the next menu that opens; then edit 1 holds what was pasted and the log file what was logged.
TEST_F(Log, ChosenItemLeadsTheLogAndALaterStartsRecentPopupPastesIt)
{
    const std::string ini = lines({"[system]", "@log=1,20,MIVRA.INI", "%end", "[data]", "alpha | 一つ目(&A)",
                                   "beta | 二つ目(&B)", "%end"});
    const std::string a = "一つ目(&A)\r\n", b = "二つ目(&B)\r\n";
    const std::tuple<const char *, std::vector<std::vector<BYTE>>, std::string, std::string> rows[] = {
        {"", {{'B'}}, "beta", b},
        {"/#o", {{VK_RETURN}}, "beta", b},
        {"/#o", {{VK_UP, VK_RETURN}, {'A'}}, "alpha", a + b},
        {"/#o", {{VK_ESCAPE}}, "", a + b},
    };
    std::string log;
    for (const auto &[args, menus, pasted, logged] : rows) {
        SCOPED_TRACE(std::string(args) + " pastes " + pasted);
        target_app &t = launch_target("", 0, 0, "", true);
        ASSERT_TRUE(t.window);
        process &p = start_mivra(ini, args);
        for (const std::vector<BYTE> &keys : menus) {
            ASSERT_TRUE(wait_popup_menu(p.id)) << describe_windows(p.id);
            for (BYTE key : keys)
                press_key(key, key == VK_UP);
            // The main menu after "&@ 通常起動" opens only after a wait of 100 ms.
            ASSERT_TRUE(poll_until([&] { return !find_popup_menu(p.id); }));
        }
        expect_ends_with_zero(p);
        expect_untouched_after_mark(t, pasted, "");
        EXPECT_TRUE(read_file(in_dir("log.ini"), &log));
        EXPECT_EQ(log, logged);
        finish(t, p);
    }
    // A "log.ini" over the log's size limit is not replaced.
    const std::string large = b + std::string(1 << 20, 'x');
    ASSERT_TRUE(write_file(in_dir("log.ini"), large));
    target_app &t = launch_target("", 0, 0, "", true);
    process &p = start_mivra(ini);
    ASSERT_TRUE(wait_popup_menu(p.id)) << describe_windows(p.id);
    press_key('B');
    expect_ends_with_zero(p);
    expect_untouched_after_mark(t, "beta", "");
    EXPECT_TRUE(read_file(in_dir("log.ini"), &log) && log == large) << log.size();
    finish(t, p);
}
