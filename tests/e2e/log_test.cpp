// The log across starts: the chosen item goes first into the log file, and the next "/#o" start's
// popup offers it and pastes it; its "&@ 通常起動" goes on to the main menu, and a dismissed popup
// ends the start without pasting or logging.
#include "e2e_support.h"

#include <vector>

using namespace e2e;

namespace {

class Log : public bench {
  protected:
    // One start over a target that does not restore its own focus: each group of keys goes to the
    // next menu that opens; then edit 1 holds what was pasted.
    void start(const std::string &args, const std::vector<std::vector<BYTE>> &menus,
               const std::string &pasted)
    {
        SCOPED_TRACE(args + " pastes " + pasted);
        target_app &t = launch_target("", 0, 0, "", true);
        ASSERT_TRUE(t.window);
        process &p = start_mivra(lines({"[system]", "@log=1", "%end", "[data]", "alpha | 一つ目(&A)",
                                        "beta | 二つ目(&B)", "%end"}),
                                 args);
        for (const std::vector<BYTE> &keys : menus) {
            ASSERT_TRUE(wait_popup_menu(p.id)) << describe_windows(p.id);
            for (BYTE key : keys)
                press_key(key, key == VK_UP);
            // The main menu after "&@ 通常起動" opens only after a wait of 100 ms.
            ASSERT_TRUE(poll_until([&] { return !find_popup_menu(p.id); }));
        }
        expect_ends_with_zero(p);
        expect_untouched_after_mark(t, pasted, "");
        finish(t, p);
    }
    std::string log()
    {
        std::string bytes = "<none>";
        read_file(in_dir("log.ini"), &bytes);
        return bytes;
    }
};

} // namespace

TEST_F(Log, ChosenItemLeadsTheLogAndTheNextStartsRecentPopupPastesIt)
{
    start("", {{'B'}}, "beta");
    EXPECT_EQ(log(), "二つ目(&B)\r\n");
    start("/#o", {{VK_RETURN}}, "beta");
    start("/#o", {{VK_UP, VK_RETURN}, {'A'}}, "alpha");
    EXPECT_EQ(log(), "一つ目(&A)\r\n二つ目(&B)\r\n");
    start("/#o", {{VK_ESCAPE}}, "");
    EXPECT_EQ(log(), "一つ目(&A)\r\n二つ目(&B)\r\n");
}
