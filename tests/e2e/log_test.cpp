// The log across starts: the chosen item goes first into "log.ini", and a later "/#o" start's popup
// offers it; "@log=" naming the data file (in other case) still gives "log.ini".
#include "e2e_support.h"

using namespace e2e;

using Log = bench;

// One start per row over a plain target: what is pasted and logged.
TEST_F(Log, ChosenItemLeadsTheLogAndALaterStartsRecentPopupPastesIt)
{
    const std::string ini = lines({"[system]", "@log=1,20,MIVRA.INI", "%end", "[data]", "alpha | 一つ目(&A)",
                                   "beta | 二つ目(&B)", "%end"});
    // Arguments, the keys, what is pasted.
    const std::tuple<const char *, std::vector<BYTE>, std::string> rows[] = {
        {"", {'B'}, "beta"}, {"/#o", {VK_RETURN}, "beta"}, {"/#o", {VK_ESCAPE}, ""}};
    for (const auto &[args, keys, pasted] : rows) {
        SCOPED_TRACE(std::string(args) + " pastes " + pasted);
        target_app &t = launch_target("", 0, 0, "", true);
        process &p = start_mivra(ini, args);
        ASSERT_TRUE(wait_popup_menu(p.id));
        press_keys(p.id, keys);
        expect_ends_with_zero(p);
        expect_untouched_after_mark(t, pasted, "");
        EXPECT_EQ(file_text(in_dir("log.ini")), "二つ目(&B)\r\n");
    }
}
