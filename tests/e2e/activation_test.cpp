// The first whole activation: mivra.exe starts over the target program, opens its main menu at the
// caret, and the chosen text reaches the target: pasted with the clipboard and Ctrl+V, inserted with
// EM_REPLACESEL, split at tab marks, or typed as key chords; the target-window submenu moves the
// paste to another window; a cancel or a vanished target ends the process cleanly.
#include "e2e_support.h"

#include <initializer_list>
#include <string>
#include <vector>

using namespace e2e;

namespace {

// The target starts with "[old]" selected between these two, so a paste replaces exactly it.
const std::string head = "head", tail = "tail";
const std::string old_text = head + "[old]" + tail;
const int old_start = 4, old_end = 9;

// Shift-JIS: 表 ends in 0x5C, so any byte-wise handling shows up at once.
const std::string sentinel = "センチネル表";

// A data file: every line ends in CR LF, so that the last one is read too.
std::string data_file(std::initializer_list<const char *> lines)
{
    std::string bytes;
    for (const char *line : lines)
        bytes += std::string(line) + "\r\n";
    return bytes;
}

struct window_collection {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_menu(HWND window, LPARAM param)
{
    auto *c = reinterpret_cast<window_collection *>(param);
    if (IsWindowVisible(window) && window_process(window) == c->pid && class_name(window) == "#32768")
        c->found.push_back(window);
    return TRUE;
}

// Every visible popup menu window of the process: the main menu and its open submenus.
std::vector<HWND> visible_menus(DWORD pid)
{
    window_collection c = {pid, {}};
    EnumWindows(collect_menu, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

BOOL CALLBACK collect_listed(HWND window, LPARAM param)
{
    auto *c = reinterpret_cast<window_collection *>(param);
    if (!IsWindowVisible(window))
        return TRUE;
    const std::string name = class_name(window);
    if (name == "Shell_TrayWnd" || name == "Progman")
        return TRUE;
    RECT r = {};
    GetWindowRect(window, &r);
    const LONG width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return TRUE;
    if (width == GetSystemMetrics(SM_CXMINIMIZED) && height == GetSystemMetrics(SM_CYMINIMIZED))
        return TRUE;
    c->found.push_back(window);
    return TRUE;
}

// The windows a start lists as candidate targets, in the same order (top of the Z order first).
std::vector<HWND> candidate_windows()
{
    window_collection c = {0, {}};
    EnumWindows(collect_listed, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

void press_down(int times)
{
    for (int i = 0; i < times; ++i)
        press_key(VK_DOWN, true);
}

int index_of(const std::vector<HWND> &list, HWND window)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == window)
            return static_cast<int>(i);
    return -1;
}

// A popup menu window of the process that is not one of `shown`: a menu opened anew. Windows of
// closed menus are destroyed, and a new window never reuses the handle of a destroyed one.
HWND wait_new_menu(DWORD pid, const std::vector<HWND> &shown)
{
    HWND found = nullptr;
    poll_until([&] {
        for (HWND m : visible_menus(pid))
            if (index_of(shown, m) < 0)
                found = m;
        return found != nullptr;
    });
    return found;
}

// Opens the target-window submenu of the main menu with its accelerator and chooses entry `index`;
// gives the menu windows that were open, so that the main menu shown again can be told apart.
std::vector<HWND> choose_listed_window(DWORD pid, int index)
{
    press_key('2'); // "選択 [ ... ] ( &2 )" opens its submenu with the first entry highlighted
    std::vector<HWND> shown;
    if (!poll_until([&] { return (shown = visible_menus(pid)).size() == 2; }))
        ADD_FAILURE() << "the window submenu did not open";
    press_down(index);
    press_key(VK_RETURN);
    return shown;
}

// The caret of the target's edit 1 in screen coordinates. The answer to EM_GETSEL comes from the
// target's message loop, so its start-up (focus, selection, caret) is over by then.
bool target_caret(target_app &t, RECT *caret)
{
    int start = -1, end = -1;
    edit_selection(t.edit1, &start, &end);
    return poll_until([&] { return caret_rect(t.window, caret); });
}

void expect_ends_with_zero(process &p)
{
    DWORD code = 1;
    ASSERT_TRUE(wait_process_exit(p, wait_ms, &code)) << "mivra.exe did not end; its windows:\n"
                                                      << describe_windows(p.id);
    EXPECT_EQ(code, 0u);
}

void expect_edit_text(HWND edit, const std::string &expected)
{
    EXPECT_TRUE(poll_until([&] { return window_text(edit) == expected; }))
        << "expected \"" << expected << "\", the edit holds \"" << window_text(edit) << "\"";
}

std::string clipboard_or_none()
{
    std::string text;
    return get_clipboard_text(&text) ? text : "<no text>";
}

// Brings the target to the front and types "#" into edit 1. Input is handled in order, so once the
// mark shows, every key sent before it (a late paste included) has been handled; and the mark lands
// in place of the selection, so `before` + "#" + `after` also proves the selection was kept.
void expect_untouched_after_mark(target_app &t, const std::string &before, const std::string &after)
{
    SetForegroundWindow(t.window);
    ASSERT_TRUE(poll_until([&] {
        return GetForegroundWindow() == t.window && focus_of(t.window) == t.edit1;
    })) << "the target did not come to the front with edit 1 focused";
    type_text("#");
    expect_edit_text(t.edit1, before + "#" + after);
}

class Activation : public bench {
  protected:
    // A fresh mivra.exe in dir_ with the data file, started while the test's target is in front.
    process *start_mivra(const std::string &ini)
    {
        std::string exe = install_mivra(dir_);
        if (exe.empty() || !write_file(join_path(dir_, "mivra.ini"), ini)) {
            ADD_FAILURE() << "cannot install mivra.exe and its data file in " << dir_;
            return nullptr;
        }
        process &p = launch(exe, "", dir_);
        if (!p.handle) {
            ADD_FAILURE() << "cannot start " << exe;
            return nullptr;
        }
        return &p;
    }

    // The target with "[old]" selected in edit 1, and mivra.exe showing its main menu over it.
    process *start_over_target(const std::string &ini, target_app **t, const std::string &text2 = "")
    {
        *t = &launch_target(old_text, old_start, old_end, text2);
        if (!(*t)->window) {
            ADD_FAILURE() << "the target did not come up";
            return nullptr;
        }
        process *p = start_mivra(ini);
        if (p && !wait_popup_menu(p->id, nullptr)) {
            ADD_FAILURE() << "no popup menu; the windows of mivra.exe:\n" << describe_windows(p->id);
            return nullptr;
        }
        return p;
    }
};

} // namespace

TEST_F(Activation, MenuOpensAtTheCaretMovedByTheOffsetAndEscapeEndsWithoutPasting)
{
    target_app &t = launch_target(old_text, old_start, old_end);
    ASSERT_TRUE(t.window);
    RECT caret = {};
    ASSERT_TRUE(target_caret(t, &caret));
    ASSERT_TRUE(set_clipboard_text(sentinel));

    process *p = start_mivra(data_file({"[data]", "pasted when chosen | 項目(&A)", "%end"}));
    ASSERT_TRUE(p);
    RECT menu = {};
    ASSERT_TRUE(wait_popup_menu(p->id, &menu)) << describe_windows(p->id);
    // The default position is the caret moved by the default offsets (10, 30); the menu is small and
    // the caret far from the screen's edges, so the system has no reason to move it.
    EXPECT_EQ(menu.left, caret.left + 10);
    EXPECT_EQ(menu.top, caret.top + 30);

    press_key(VK_ESCAPE);
    expect_ends_with_zero(*p);
    EXPECT_EQ(clipboard_or_none(), sentinel);
    expect_untouched_after_mark(t, head, tail);
}

TEST_F(Activation, SecondItemChosenWithTheKeyboardReplacesTheSelectionWithBreakMarksAsLineBreaks)
{
    target_app *t = nullptr;
    process *p = start_over_target(data_file({"[data]", "first item | 最初(&F)", "一行目↓二行目↓↓三 | 二番目",
                                              "third item | 三番目", "%end"}),
                                   &t);
    ASSERT_TRUE(p);
    // The first entry is highlighted when the menu appears; one Down more is the second.
    press_down(1);
    press_key(VK_RETURN);

    const std::string pasted = "一行目\r\n二行目\r\n\r\n三";
    expect_edit_text(t->edit1, head + pasted + tail);
    expect_ends_with_zero(*p);
    EXPECT_EQ(window_text(t->edit1), head + pasted + tail) << "pasted once only";
    EXPECT_EQ(clipboard_or_none(), pasted) << "the paste goes through the clipboard";
}

TEST_F(Activation, ItemOfAGroupSubmenuReachedWithTheKeyboardIsPasted)
{
    target_app *t = nullptr;
    // The nested group's entries belong to its own submenu: the group's second entry is "inner two".
    process *p =
        start_over_target(data_file({"[data]", "top item | 一番上", "{グループ", "inner one | 内側一",
                                     "{入れ子", "nested item | 入れ子の中", "}", "inner two | 内側二", "}",
                                     "after the group | 後", "%end"}),
                          &t);
    ASSERT_TRUE(p);
    press_down(1);             // the group entry
    press_key(VK_RIGHT, true); // opens it with its first entry highlighted
    ASSERT_TRUE(poll_until([&] { return visible_menus(p->id).size() == 2; }))
        << "the group submenu did not open";
    press_down(2); // past the nested group's entry
    press_key(VK_RETURN);

    expect_edit_text(t->edit1, head + "inner two" + tail);
    expect_ends_with_zero(*p);
}

TEST_F(Activation, ClipZeroInsertsWithReplaceSelAndLeavesTheClipboardAlone)
{
    ASSERT_TRUE(set_clipboard_text(sentinel));
    target_app *t = nullptr;
    process *p = start_over_target(
        data_file({"[system]", "@clip=0", "%end", "[data]", "直接挿入↓テキスト | 挿入(&I)", "%end"}), &t);
    ASSERT_TRUE(p);
    press_key('I'); // the accelerator chooses the entry at once

    expect_edit_text(t->edit1, head + "直接挿入\r\nテキスト" + tail);
    expect_ends_with_zero(*p);
    EXPECT_EQ(clipboard_or_none(), sentinel);
}

TEST_F(Activation, TabMarkPastesEachPartIntoTheNextField)
{
    target_app *t = nullptr;
    process *p = start_over_target(
        data_file({"[system]", "@replace=1", "%end", "[data]", "a%$tb%b | 二つの欄(&T)", "%end"}), &t, "xyz");
    ASSERT_TRUE(p);
    press_key(VK_RETURN);

    // Tab moves to edit 2 and selects its whole text, which "b" then replaces.
    expect_edit_text(t->edit2, "b");
    expect_ends_with_zero(*p);
    EXPECT_EQ(window_text(t->edit1), head + "a" + tail);
    EXPECT_EQ(window_text(t->edit2), "b");
    EXPECT_EQ(focus_of(t->window), t->edit2);
}

namespace {

// The key table registers 11 (Ctrl) and 56 (V), not 57.
const std::string chord_data =
    data_file({"[system]", "@sendkey=1", "%end", "[data]", "%$1156% | 登録済み(&K)", "%$1157% | 未登録(&U)",
               "%end", "[key]", "11 Ctrl", "56 V", "%end"});

} // namespace

TEST_F(Activation, KeyChordOfRegisteredKeysPressesCtrlVAndPastesTheClipboard)
{
    ASSERT_TRUE(set_clipboard_text(sentinel));
    target_app *t = nullptr;
    process *p = start_over_target(chord_data, &t);
    ASSERT_TRUE(p);
    press_key('K');

    expect_edit_text(t->edit1, head + sentinel + tail);
    expect_ends_with_zero(*p);
    EXPECT_EQ(window_text(t->edit1), head + sentinel + tail) << "pasted once only";
    EXPECT_EQ(clipboard_or_none(), sentinel) << "a chord alone writes nothing to the clipboard";
}

TEST_F(Activation, KeyChordWithAnUnregisteredKeyShowsTheMessageAndPastesNothing)
{
    ASSERT_TRUE(set_clipboard_text(sentinel));
    target_app *t = nullptr;
    process *p = start_over_target(chord_data, &t);
    ASSERT_TRUE(p);
    press_key('U');

    HWND box = wait_message_box(p->id);
    ASSERT_TRUE(box) << "no message box titled \"Mivra\"; the windows of mivra.exe:\n"
                     << describe_windows(p->id);
    EXPECT_EQ(message_box_text(box), "未登録キーのため処理をキャンセルしました。\r\n\r\nキー№　：　57");
    EXPECT_TRUE(process_running(*p)) << "the process must wait for the message to be dismissed";
    EXPECT_TRUE(dismiss_message_box(box));
    expect_ends_with_zero(*p);
    EXPECT_EQ(clipboard_or_none(), sentinel);
    expect_untouched_after_mark(*t, head, tail);
}

TEST_F(Activation, OtherWindowChosenInTheWindowSubmenuBecomesTheTarget)
{
    // Two targets whose carets differ, so each menu's place tells which target it was computed for.
    target_app &other = launch_target("A[old]", 1, 6);
    ASSERT_TRUE(other.window);
    RECT other_caret = {};
    ASSERT_TRUE(target_caret(other, &other_caret));
    target_app &front = launch_target("a longer text before [old]", 21, 26);
    ASSERT_TRUE(front.window);
    RECT front_caret = {};
    ASSERT_TRUE(target_caret(front, &front_caret));
    ASSERT_NE(front_caret.left, other_caret.left);

    const std::vector<HWND> listed = candidate_windows();
    const int other_index = index_of(listed, other.window);
    ASSERT_GE(other_index, 0);
    ASSERT_GE(index_of(listed, front.window), 0);

    process *p = start_mivra(data_file({"[data]", "甲乙テキスト | 項目(&A)", "%end"}));
    ASSERT_TRUE(p);
    RECT menu = {};
    ASSERT_TRUE(wait_popup_menu(p->id, &menu)) << describe_windows(p->id);
    EXPECT_EQ(menu.left, front_caret.left + 10) << "the foreground target's caret";
    EXPECT_EQ(menu.top, front_caret.top + 30);

    const std::vector<HWND> shown = choose_listed_window(p->id, other_index);
    // The main menu shows again, now at the other target's caret.
    HWND again = wait_new_menu(p->id, shown);
    ASSERT_TRUE(again) << "the main menu did not show again; the windows of mivra.exe:\n"
                       << describe_windows(p->id);
    GetWindowRect(again, &menu);
    EXPECT_EQ(menu.left, other_caret.left + 10) << "the new target's caret";
    EXPECT_EQ(menu.top, other_caret.top + 30);
    press_key('A');

    expect_edit_text(other.edit1, "A甲乙テキスト");
    expect_ends_with_zero(*p);
    expect_untouched_after_mark(front, "a longer text before ", "");
}

TEST_F(Activation, MainMenuShownAgainAfterAWindowChoiceHighlightsItsFirstEntry)
{
    target_app &t = launch_target(old_text, old_start, old_end);
    ASSERT_TRUE(t.window);
    const int index = index_of(candidate_windows(), t.window);
    ASSERT_GE(index, 0);
    process *p = start_mivra(data_file({"[data]", "zero | 零", "one | 一", "%end"}));
    ASSERT_TRUE(p);
    ASSERT_TRUE(wait_popup_menu(p->id, nullptr)) << describe_windows(p->id);
    // Choosing the target itself again in the window list shows the main menu anew.
    const std::vector<HWND> shown = choose_listed_window(p->id, index);
    ASSERT_TRUE(wait_new_menu(p->id, shown)) << "the main menu did not show again";
    press_key(VK_RETURN);

    expect_edit_text(t.edit1, head + "zero" + tail);
    expect_ends_with_zero(*p);
}

TEST_F(Activation, TargetThatClosesWhileTheMenuIsOpenEndsTheProcessCleanly)
{
    target_app *t = nullptr;
    process *p = start_over_target(data_file({"[data]", "nowhere to go | 行き先なし", "%end"}), &t);
    ASSERT_TRUE(p);
    PostMessageA(t->window, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(wait_process_exit(t->proc, wait_ms, &code)) << "the target did not close";
    ASSERT_TRUE(find_popup_menu(p->id, nullptr)) << "the menu must still be open";
    press_key(VK_RETURN);
    expect_ends_with_zero(*p);
}

TEST_F(Activation, ShiftJisTextWithTrailBytesLikeBackslashAndBreakMarkArrivesIntact)
{
    target_app *t = nullptr;
    // ソ, 表, 能 and 予 end in 0x5C; メ ends in 0x81, so メ and the half-width ｫ (0xAB) hold the
    // bytes of "↓" (0x81 0xAB) across two characters, which must not count as a break mark.
    process *p = start_over_target(data_file({"[data]", "ソ表示\\予定メｫ↓能力 | ソ表(&J)", "%end"}), &t);
    ASSERT_TRUE(p);
    press_key('J');

    const std::string pasted = "ソ表示\\予定メｫ\r\n能力";
    expect_edit_text(t->edit1, head + pasted + tail);
    expect_ends_with_zero(*p);
    EXPECT_EQ(clipboard_or_none(), pasted);
}
