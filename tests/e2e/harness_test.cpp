// The bench's own checks: the target program, keys, the clipboard, popup menus and message boxes of
// another process. When these pass and a test of mivra.exe fails, the fault is in mivra.exe.
#include "e2e_support.h"

#include <string>

using namespace e2e;

namespace {

class Harness : public bench {};

RECT screen_rect(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

} // namespace

TEST_F(Harness, TargetStartsWithItsTextsSelectionAndFocus)
{
    target_app &t = launch_target("abc def", 4, 7, "second");
    ASSERT_TRUE(t.window) << "the target did not come up";
    EXPECT_EQ(window_text(t.edit1), "abc def");
    EXPECT_EQ(window_text(t.edit2), "second");
    int start = -1, end = -1;
    edit_selection(t.edit1, &start, &end);
    EXPECT_EQ(start, 4);
    EXPECT_EQ(end, 7);
    EXPECT_EQ(GetForegroundWindow(), t.window);
    EXPECT_EQ(focus_of(t.window), t.edit1);
    RECT caret, edit = screen_rect(t.edit1);
    ASSERT_TRUE(caret_rect(t.window, &caret));
    EXPECT_GT(caret.left, edit.left);
    EXPECT_LT(caret.left, edit.right);
    EXPECT_GT(caret.top, edit.top);
    EXPECT_LT(caret.top, edit.bottom);
}

TEST_F(Harness, TypedKeysReachTheFocusedEditAndTabMovesTheFocus)
{
    target_app &t = launch_target("abc", 3, 3, "xyz");
    ASSERT_TRUE(t.window);
    type_text("Hi, 1+1=2!");
    EXPECT_TRUE(poll_until([&] { return window_text(t.edit1) == "abcHi, 1+1=2!"; })) << window_text(t.edit1);

    press_key(VK_TAB);
    ASSERT_TRUE(poll_until([&] { return focus_of(t.window) == t.edit2; }));
    int start = -1, end = -1;
    edit_selection(t.edit2, &start, &end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 3);
    type_text("Q");
    EXPECT_TRUE(poll_until([&] { return window_text(t.edit2) == "Q"; })) << window_text(t.edit2);
    EXPECT_EQ(window_text(t.edit1), "abcHi, 1+1=2!") << "no tab character in the first edit";

    press_chord(VK_SHIFT, VK_TAB);
    EXPECT_TRUE(poll_until([&] { return focus_of(t.window) == t.edit1; }));
}

TEST_F(Harness, ClipboardRoundTripAndCtrlVPastesShiftJisIntoTheTarget)
{
    const std::string text = "日本語の表示\r\n2行目"; // 表 ends in the byte 0x5C
    ASSERT_TRUE(set_clipboard_text(text));
    std::string read;
    ASSERT_TRUE(get_clipboard_text(&read));
    EXPECT_EQ(read, text);

    target_app &t = launch_target("[]", 1, 1);
    ASSERT_TRUE(t.window);
    press_chord(VK_CONTROL, 'V');
    EXPECT_TRUE(poll_until([&] { return window_text(t.edit1) == "[" + text + "]"; })) << window_text(t.edit1);
}

TEST_F(Harness, TargetWritesItsTextsWhenClosed)
{
    const std::string text1 = "一行目\r\n表\\ソ", text2 = "two";
    std::string out = join_path(dir_, "target_out.bin");
    target_app &t = launch_target(text1, 0, 0, text2, out);
    ASSERT_TRUE(t.window);
    EXPECT_EQ(window_text(t.edit1), text1);
    PostMessageA(t.window, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(wait_process_exit(t.proc, wait_ms, &code));
    EXPECT_EQ(code, 0u);
    std::string written;
    ASSERT_TRUE(read_file(out, &written));
    EXPECT_EQ(written, text1 + std::string(1, '\0') + text2 + std::string(1, '\0'));
}

TEST_F(Harness, ReadsAndDismissesAMessageBoxOfAnotherProcess)
{
    process &p = launch(target_exe_path(), "--message-box 設定ファイル異常", dir_);
    ASSERT_TRUE(p.handle);
    HWND box = wait_message_box(p.id);
    ASSERT_TRUE(box);
    EXPECT_EQ(message_box_text(box), "設定ファイル異常");
    EXPECT_TRUE(process_running(p));
    EXPECT_TRUE(dismiss_message_box(box));
    DWORD code = 0;
    ASSERT_TRUE(wait_process_exit(p, wait_ms, &code));
    EXPECT_EQ(code, static_cast<DWORD>(IDOK));
}

TEST_F(Harness, FindsAPopupMenuOfAnotherProcessAndDrivesItWithKeys)
{
    process &p = launch(target_exe_path(), "--menu 300 200", dir_);
    ASSERT_TRUE(p.handle);
    RECT menu = {};
    ASSERT_TRUE(wait_popup_menu(p.id, &menu));
    EXPECT_EQ(menu.left, 300);
    EXPECT_EQ(menu.top, 200);
    EXPECT_GT(menu.bottom - menu.top, 20) << "three entries";
    // Nothing is highlighted at first: Down selects "one", Down again "two".
    press_key(VK_DOWN, true);
    press_key(VK_DOWN, true);
    press_key(VK_RETURN);
    DWORD code = 0;
    ASSERT_TRUE(wait_process_exit(p, wait_ms, &code));
    EXPECT_EQ(code, 2u);
}
