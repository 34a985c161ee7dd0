// The log across starts: the chosen item goes first into "log.ini", and a later "/#o" start's popup
// offers it; "@log=" naming the data file (in other case) still gives "log.ini".
#include "e2e_support.h"

using namespace e2e;

using Log = bench;

// One start per row over a plain target: what is pasted and logged. A "log.ini" over the log's size
// limit is not replaced.
TEST_F(Log, ChosenItemLeadsTheLogAndALaterStartsRecentPopupPastesIt)
{
    const std::string ini = lines({"[system]", "@log=1,20,MIVRA.INI", "%end", "[data]", "alpha | 一つ目(&A)",
                                   "beta | 二つ目(&B)", "%end"});
    const std::string b = "二つ目(&B)\r\n", large = b + std::string(1 << 20, 'x');
    // Arguments, the log written first ("": left as the row before), the keys, what is pasted and logged.
    const std::tuple<const char *, std::string, std::vector<BYTE>, std::string, std::string> rows[] = {
        {"", "", {'B'}, "beta", b},
        {"/#o", "", {VK_RETURN}, "beta", b},
        {"/#o", "", {VK_ESCAPE}, "", b},
        {"", large, {'B'}, "beta", large},
    };
    for (const auto &[args, before, keys, pasted, logged] : rows) {
        SCOPED_TRACE(std::string(args) + " pastes " + pasted + (before.empty() ? "" : " over a large log"));
        ASSERT_TRUE(before.empty() || write_file(in_dir("log.ini"), before));
        target_app &t = launch_target("", 0, 0, "", true);
        process &p = start_mivra(ini, args);
        ASSERT_TRUE(wait_popup_menu(p.id));
        press_keys(p.id, keys);
        expect_ends_with_zero(p);
        expect_untouched_after_mark(t, pasted, "");
        const std::string log = file_text(in_dir("log.ini"));
        EXPECT_TRUE(log == logged) << log.size() << " bytes: " << log.substr(0, 100);
    }
}
