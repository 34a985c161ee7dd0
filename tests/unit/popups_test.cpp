// The window popup's entries and choice; the title popup's row, entry and answer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/process_state.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "menus/window_popup.h"
#include "os/fake/os_fake.h"
#include "search/title_popup.h"
#include "target/target.h"
#include "text/sjis.h"

namespace {

menu_model model;

// "*" marks the checked entry: "7000 a; *7001 b".
std::string entries(int32_t menu)
{
    std::string out;
    for (int32_t e = model.menus[menu].first; e >= 0; e = model.entries[e].next)
        out += std::string(out.empty() ? "" : "; ") + (model.entries[e].flags & menu_checked ? "*" : "") +
               std::to_string(model.entries[e].id) + " " + model.entries[e].caption;
    return out;
}

// The fake BREGEXP.DLL's BMatch: "m/x/" matches every title that contains x.
uintptr_t bmatch(const uintptr_t *a)
{
    const std::string pattern = reinterpret_cast<const char *>(a[0]);
    return strstr(reinterpret_cast<const char *>(a[1]), pattern.substr(2, pattern.size() - 3).c_str()) != nullptr;
}

class Popups : public ::testing::Test {
  protected:
    // Two windows, the first the target; items "Plain" and the group "Group" holding "inner"; title
    // rows naming "Group", "plain" (no such caption), "Plain" and "Group" again.
    void SetUp() override
    {
        reset_process_state();
        reset_fake_system();
        add_listed_window(11, 1, "C:\\a\\notepad.exe", "memo");
        add_listed_window(12, 0, "C:\\a\\tool.exe", "untitled");
        target.target_window = 11;
        settings.search_kind = search_prefix;
        fake.libraries["BREGEXP.DLL"] = {{"BMatch", bmatch}};
        const int32_t kinds[] = {text_item, group_open, text_item, group_close};
        for (const char *caption : {"Plain", "Group", "inner", ""}) {
            item_entry &e = store.items[store.item_count];
            e.kind = kinds[store.item_count];
            e.depth = e.kind == text_item && store.item_count > 0;
            copy_text(e.caption, 260, caption);
            copy_text(e.plain_caption, 260, caption);
            copy_text(e.text, 260, caption);
            store.item_count++;
        }
        const char *rows[][2] = {{"Group", "m/nothing/"}, {"plain", "m/case/"}, {"Plain", "m/Target/"}, {"Group", "m/E2E/"}};
        for (const auto &row : rows) {
            copy_text(store.title_group[store.title_count], 260, row[0]);
            copy_text(store.title_pattern[store.title_count++], 260, row[1]);
        }
    }
};

TEST_F(Popups, WindowPopupListsTheWindowsWithTheTargetCheckedAndAChoiceMakesATarget)
{
    windows.window_selected = 1;
    EXPECT_EQ(entries(build_window_popup(&model)), "7000 notepad | memo; *7001 tool");
    const std::pair<const char *, int32_t> rows[] = {{"the second entry", 7001}, {"dismissed", 0}, {"past the list", 7002}, {"another popup's id", 8200}};
    for (const auto &[name, id] : rows) {
        SetUp();
        const bool chosen = id == 7001;
        EXPECT_EQ(choose_popup_window(5, id), chosen ? 1 : 0) << name;
        EXPECT_EQ(target.target_window, chosen ? 12u : 11u) << name;
        EXPECT_EQ(windows.window_selected, chosen ? 1 : 0) << name;
        EXPECT_EQ(fake_events(), chosen ? "capture 12\nforeground 5" : "") << name;
    }
}

TEST_F(Popups, TitlePicksTheFirstMatchingRowsEntryByItsExactCaption)
{
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
        EXPECT_EQ(fake_events(), "load BREGEXP.DLL\nfree BREGEXP.DLL") << name;
        fake.events.clear();
    }
    fake.libraries.clear();
    EXPECT_EQ(pick_by_title("E2E Target").kind, title_nothing) << "without BREGEXP.DLL";
    EXPECT_EQ(entries(build_title_popup(&model, 1)), "1002 inner; 8199 ; 8200 &@ 通常起動");
}

TEST_F(Popups, TitlePopupsAnswer)
{
    // Id, result, last event, search_kind afterwards.
    const std::tuple<const char *, int32_t, choice_result, const char *, int32_t> rows[] = {
        {"dismissed: the instance closes", 0, choice_scheduled, "close", search_prefix},
        {"\"&@ 通常起動\" goes on", 8200, choice_continue, "", search_prefix},
        {"an item is carried out, no search window follows", 1000, choice_scheduled, "timer 620", search_popup_menu},
        {"a group is no item to carry out: go on", 1001, choice_continue, "", search_prefix},
    };
    for (const auto &[name, id, result, last_event, search_kind] : rows) {
        SetUp();
        EXPECT_EQ(carry_out_title_choice(5, id), result) << name;
        EXPECT_EQ(fake.events.empty() ? "" : fake.events.back(), last_event) << name;
        EXPECT_EQ(settings.search_kind, search_kind) << name;
    }
}

} // namespace
