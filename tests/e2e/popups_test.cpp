// The popups a start shows first: the title popup of "/#y" and the window popup that picks the target,
// which the search window also opens with Ctrl and an arrow.
#include "e2e_support.h"

using namespace e2e;

namespace {

const std::string items =
    lines({"[data]", "plain | Plain", "{Group", "first | First", "second | Second", "}", "%end"});

using Popups = bench;

} // namespace

TEST_F(Popups, TitleRowChoosesWhatAYStartShows)
{
    ASSERT_FALSE(install("BREGEXP.DLL").empty());
    const char *group = "Group | m/Target$/";
    // The [title] row, the keys once a menu is open, what is pasted.
    const std::tuple<const char *, const char *, std::vector<BYTE>, const char *> rows[] = {
        {"a row naming a plain item pastes it without a menu", "Plain | m/E2E Target/", {}, "[plain]"},
        {"a row naming a group offers its entries", group, {VK_DOWN, VK_RETURN}, "[second]"},
        {"\"&@ 通常起動\" goes on to the main menu", group, {'@', next_menu, VK_RETURN}, "[plain]"},
    };
    for (const auto &[name, title_row, keys, pasted] : rows) {
        SCOPED_TRACE(name);
        target_app &t = launch_target("[]", 1, 1, "", true);
        process &p = start_mivra(items + lines({"[title]", title_row, "%end"}), "/#y");
        ASSERT_TRUE(keys.empty() || wait_popup_menu(p.id));
        press_keys(p.id, keys);
        expect_ends_with_zero(p);
        expect_edit_text(t.edit1, pasted);
    }
}

// "/#a=" without a name: with several windows the user picks the target before the clipboard is pasted.
// The window in front, chosen, keeps its capture though it does not restore its focus (--plain); another
// window chosen from the same popup: CtrlDownInTheSearchWindow below.
TEST_F(Popups, WindowPopupAtTheStartPicksTheTarget)
{
    ASSERT_TRUE(set_clipboard_text("clip"));
    target_app &other = launch_target("[]", 1, 1, "", true);
    target_app &front = launch_target("()", 1, 1, "", true);
    const int index = listed_index(front.window);
    process &p = start_mivra(items, "/#a= /#b");
    ASSERT_TRUE(wait_popup_menu(p.id));
    choose_entry(index);
    expect_ends_with_zero(p);
    expect_edit_text(front.edit1, "(clip)");
    EXPECT_EQ(window_text(other.edit1), "[]");
}

// With "@stay=1" the search window follows the chosen target's caret.
TEST_F(Popups, CtrlDownInTheSearchWindowPicksTheTargetAndTheEditLineKeepsTheFocus)
{
    target_app &other = launch_target("further right: []", 16, 16);
    target_app &front = launch_target("()", 1, 1);
    const int index = listed_index(other.window);
    process &p = start_mivra(lines({"[system]", "@stay=1", "%end"}) + items, "/#g");
    HWND edit = wait_search_edit(p.id);
    ASSERT_TRUE(edit);
    RECT search = {}, menu = {}, now = {};
    press_key(VK_DOWN, VK_CONTROL);
    ASSERT_TRUE(wait_popup_menu(p.id, &menu));
    GetWindowRect(GetParent(edit), &search);
    EXPECT_TRUE(menu.left == search.left && menu.top == search.bottom) << "not below the search window";
    choose_entry(index);
    EXPECT_TRUE(poll_until([&] {
        return GetWindowRect(GetParent(edit), &now) && now.left > search.left &&
               GetForegroundWindow() == GetParent(edit) && gui_info(edit).hwndFocus == edit;
    })) << "the search window did not move to the new target's caret, in front with its edit line focused";
    type_text("sec");
    press_key(VK_RETURN);
    expect_ends_with_zero(p);
    expect_edit_text(other.edit1, "further right: [second]");
    EXPECT_EQ(window_text(front.edit1), "()");
}
