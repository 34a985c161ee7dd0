#include "datafile_support.h"
#include "menus/window_popup.h"
#include "search/search_state.h"
#include "search/title_popup.h"

namespace {

menu_model model;

// The fake BREGEXP.DLL's BMatch: "m/x/" matches every title that contains x.
uintptr_t bmatch(const uintptr_t *a)
{
    const std::string pattern = reinterpret_cast<const char *>(a[0]);
    return std::string(reinterpret_cast<const char *>(a[1])).find(pattern.substr(2, pattern.size() - 3)) !=
           std::string::npos;
}

TEST(Popups, WindowPopupListsTheWindowsWithTheTargetChecked)
{
    reset_process_state();
    add_listed_window(11, 1, "C:\\a\\notepad.exe", "memo");
    add_listed_window(12, 0, "C:\\a\\tool.exe", "untitled");
    windows.window_selected = 1;
    EXPECT_EQ(describe_menu(model, build_window_popup(&model)), "7000 notepad | memo; *7001 tool");
}

TEST(Popups, TitlePicksTheFirstMatchingRowsEntryByItsExactCaption)
{
    datafile_dir files;
    fake.libraries["BREGEXP.DLL"] = {{"BMatch", bmatch}};
    // The rows name "Group", "plain" (no such caption), "Plain" and "Group" again.
    ASSERT_TRUE(
        files.load("[data]\r\nplain | Plain\r\n{Group\r\ninner | inner\r\n}\r\n%end\r\n[title]\r\n"
                   "Group | m/nothing/\r\nplain | m/case/\r\nPlain | m/Target/\r\nGroup | m/E2E/\r\n"));
    const std::tuple<const char *, const char *, title_pick_kind, int32_t> rows[] = {
        {"the first of two matching rows: a plain item", "E2E Target", title_plain_item, 0},
        {"a group", "E2E only", title_group, 1},
        {"no row matches", "other", title_nothing, -1},
        {"a caption differing in case names nothing", "case", title_nothing, -1},
    };
    for (const auto &[name, title, kind, item] : rows) {
        const title_pick pick = pick_by_title(title);
        EXPECT_EQ(pick.kind, kind) << name;
        EXPECT_EQ(pick.item, item) << name;
    }
    EXPECT_EQ(fake.events.back(), "free BREGEXP.DLL") << "loaded for the matching alone";
    fake.libraries.clear();
    EXPECT_EQ(pick_by_title("E2E Target").kind, title_nothing) << "without BREGEXP.DLL";
    EXPECT_EQ(describe_menu(model, build_title_popup(&model, 1)), "1002 inner; sep 8199; 8200 &@ 通常起動");

    // Its answers: "&@ 通常起動" goes on; a dismissed popup closes the instance.
    search_run.search_kind = search_prefix;
    EXPECT_EQ(carry_out_title_choice(5, 8200), choice_continue);
    EXPECT_EQ(carry_out_title_choice(5, 0), choice_scheduled);
    EXPECT_EQ(fake.events.back(), "close");
    EXPECT_EQ(search_run.search_kind, search_prefix);
    add_listed_window(11, 1, "C:\\a\\notepad.exe", "memo");
    EXPECT_EQ(carry_out_title_choice(5, 1000), choice_scheduled);
    EXPECT_EQ(search_run.search_kind, search_popup_menu) << "an item carried out: no search window follows";
}

} // namespace
