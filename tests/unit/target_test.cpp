#include "datafile_support.h"

namespace {

// Fills a "@select=" or "@except=" table from comma-separated names; "-" for none.
void set_names(char (*names)[32], int32_t *count, const std::string &list)
{
    std::istringstream in(list == "-" ? "" : list);
    *count = 0;
    for (std::string name; std::getline(in, name, ',');)
        copy_text(names[(*count)++], 32, name.c_str());
}

// Lists windows 1, 2, ... with the executables named blank-separated ("-" for an unreadable path).
void list_windows(const std::string &names)
{
    std::istringstream in(names);
    std::string name;
    for (int n = 1; in >> name; ++n) {
        std::string path = name == "-" ? "" : "C:\\Program Files\\" + name + ".exe";
        add_listed_window(static_cast<os_window>(n), 1, path.c_str(), ("title " + std::to_string(n)).c_str());
    }
}

std::string listed()
{
    std::string out;
    for (int32_t i = 0; i < windows.window_count; ++i)
        out += (i ? " " : "") + std::to_string(windows.window_handle[i]);
    return out;
}

class TargetTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_settings();
        reset_target_state();
        reset_fake_system();
        settings.screen_width = 1280;
        settings.screen_height = 984;
    }
};

TEST_F(TargetTest, CaptureRecordsTheFocusAndReturnRestoresItWhenThereIsOne)
{
    fake.focus_control = 31;
    fake.caret = os_point{103, 95};
    fake.selection_start = 4;
    fake.selection_end = 9;
    fake.window_parents = {{31, 7}};
    EXPECT_EQ(capture_target(1, 7), 1);
    // No control focused (none, ours, its activated frame): its control stays at its caret; selection reread.
    fake.caret = os_point{0, 0};
    for (os_window outside : {0, 7, 40}) {
        fake.focus_control = outside;
        EXPECT_EQ(capture_target(1, 7), 1);
    }
    EXPECT_EQ(capture_target(1, 0), 0); // no target: nothing read, no switch
    EXPECT_EQ(joined({target.caret_point.x, target.caret_point.y}), "103 95");
    target.target_window = 7;
    return_to_target();
    // The focus goes back to the control after the foreground switch and before the selection.
    EXPECT_EQ(fake_events(),
              "capture 7\nforeground 1\ncapture 7\ngetsel 31\nforeground 1\ncapture 7\ngetsel 31\n"
              "foreground 1\ncapture 7\ngetsel 31\nforeground 1\nforeground 7\nfocus 31\nsetsel 31 4 9");
    fake.window_parents.clear(); // a control that is gone does not stay
    EXPECT_TRUE(capture_target(1, 7) && target.focus_control == 40);
    SetUp();
    target.target_window = 7;
    return_to_target();
    EXPECT_EQ(fake_events(), "foreground 7\nsetsel 0 0 0") << "without a focus control no focus is restored";
}

TEST_F(TargetTest, PopupOriginPerMenuPosition)
{
    // Name, menu position, mouse present, target rectangle (if any), origin x and y, popup flags.
    const std::tuple<const char *, int32_t, int32_t, bool, os_rect, int32_t, int32_t, int32_t> rows[] = {
        {"active: centre of the target", 0, 1, true, {100, 200, 301, 401}, 200, 300, 0x116},
        {"active: no rectangle gives the screen centre", 0, 1, false, {}, 640, 492, 0x116},
        {"active: zero width gives the screen centre", 0, 1, true, {100, 200, 100, 400}, 640, 492, 0x116},
        {"active: zero height gives the screen centre", 0, 1, true, {100, 200, 300, 200}, 640, 492, 0x116},
        {"fixed point", 1, 1, false, {}, 15, 25, 0x102},
        {"mouse", 2, 1, false, {}, 700, 50, 0x102},
        {"mouse without a mouse: screen centre", 2, 0, false, {}, 640, 492, 0x116},
        {"mous2 centres vertically", 3, 1, false, {}, 700, 50, 0x112},
        {"center", 4, 1, false, {}, 640, 492, 0x116},
        {"cursor moved by the offsets", 5, 1, false, {}, 113, 125, 0x102},
        {"unset keeps the caret", 9, 1, false, {}, 103, 95, 0x102},
    };
    for (const auto &[name, position, mouse_present, has_rect, rect, x, y, flags] : rows) {
        SetUp();
        settings.menu_position = position;
        settings.mouse_present = mouse_present;
        settings.menu_x = 15;
        settings.menu_y = 25;
        fake.cursor = os_point{700, 50};
        target.caret_point = os_point{103, 95};
        target.popup_flags = 0xFFFF; // starts over on every call
        if (has_rect) {
            target.target_window = 7;
            fake.window_rects[7] = rect;
        }
        compute_popup_origin();
        EXPECT_EQ(joined({target.popup_origin.x, target.popup_origin.y, target.caret_point.x,
                          target.caret_point.y, static_cast<int32_t>(target.popup_flags)}),
                  joined({x, y, x, y, flags}))
            << name;
    }
}

TEST_F(TargetTest, FiltersRestrictTheListAndChooseTheTarget)
{
    // Setup: mode, select names, except names (comma-separated, "-" for none), the named program,
    // path_argument_found and the starting target; expected: the list / target selected mode.
    const std::tuple<const char *, std::string, const char *, std::string> rows[] = {
        {"named program: first window is target", "calc notepad notepad", "1 - - notepad 0 0",
         "1 2 3 / 2 1 2"},
        {"named program: an unreadable path never matches", "-", "1 - - - 0 0", "1 / 1 0 0"},
        {"named program: sought only in its mode", "notepad", "0 - - notepad 0 0", "1 / 1 0 0"},
        {"101st window not listed nor target", repeated("a ", 100) + "late", "1 - - late 0 0",
         numbered("", 1, 101, " ") + "/ 1 0 0"},
        {"select names in the order of the names", "a b c b d", "7 c,b - - 0 5", "3 2 4 / 3 0 7"},
        {"select names ignore case, exact length", "Calc calcx calc", "7 CALC - - 0 1", "1 3 / 1 0 7"},
        {"select names keep 20", "a " + repeated("b ", 30), "7 a,b - - 0 0",
         numbered("", 1, 21, " ") + "/ 1 0 7"},
        {"none selected, with a file: choose from list", "a", "7 z - - 1 1", "1 / 1 0 5"},
        {"select names skip the except list", "a b", "7 b b - 0 0", "2 / 2 0 7"},
        {"except list removes programs, order kept", "a x b X c", "0 - x - 0 5", "1 3 5 / 5 2 0"},
        {"except list keeps 20", "a a a skip " + repeated("a ", 22), "0 - skip - 0 0",
         "1 2 3 " + numbered("", 5, 22, " ") + "/ 1 0 0"},
        {"no except list, no cap at 20", repeated("a ", 25), "0 - - - 0 0",
         numbered("", 1, 26, " ") + "/ 1 0 0"},
        {"except list keeps the named program", "a x", "2 - x x 0 2", "1 2 / 2 1 2"},
    };
    for (const auto &[name, programs, setup, expected] : rows) {
        reset_target_state();
        std::istringstream in(setup);
        std::string select, except, named;
        os_window start = 0;
        in >> target.window_select_mode >> select >> except >> named >> settings.path_argument_found >>
            start;
        copy_text(settings.window_select_name, 260, named == "-" ? "" : named.c_str());
        list_windows(programs); // a named program is sought while listing
        set_names(settings.select_names, &settings.select_count, select);
        set_names(settings.except_names, &settings.except_count, except);
        if (start)
            target.target_window = start;
        filter_window_list();
        EXPECT_EQ(listed() + " / " +
                      joined({static_cast<int32_t>(target.target_window), windows.window_selected,
                              target.window_select_mode}),
                  expected)
            << name;
    }
}

TEST_F(TargetTest, ListKeepsPathBaseNameAndTitleAndTheExceptFilterMovesWholeEntries)
{
    add_listed_window(4, 0, "", "untitled"); // an unreadable path gives no name
    EXPECT_STREQ(windows.window_exe_name[0], "");
    reset_target_state();
    add_listed_window(5, 1, "C:\\Program Files\\x.exe", "excepted");
    add_listed_window(6, 2, "C:\\Windows\\notepad.exe", "memo - Notepad");
    set_names(settings.except_names, &settings.except_count, "x");
    filter_window_list();
    EXPECT_EQ(listed() + " " + std::to_string(windows.window_has_caption[0]) + " " +
                  windows.window_exe_path[0] + "|" + windows.window_exe_name[0] + "|" +
                  windows.window_title[0],
              "6 1 C:\\Windows\\notepad.exe|notepad|memo - Notepad");
    set_names(settings.except_names, &settings.except_count, "notepad");
    filter_window_list();
    EXPECT_EQ(listed() + "|" + windows.window_exe_path[0], "|");
}

} // namespace
