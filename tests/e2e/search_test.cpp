// The search window of a "/#i" (prefix) or "/#g" (substring) start: typing filters the list, the
// keys move, accept, clear and close, the preview shows the selected entry, a single hit of an
// initial word is pasted without a window, and Shift+Enter pastes while the window stays for a
// later start.
#include "e2e_support.h"

using namespace e2e;

namespace {

const std::string items = lines({"[system]", "@view=1", "%end", "[data]", "apple pie | Apple", "grape | Grape",
                                  "pineapple | Pineapple", "表示 | 表示", "%end"});

class Search : public bench {
  protected:
    // The lines of the result list as displayed, "|" between them; "" while the list is hidden.
    static std::string list_lines(DWORD pid)
    {
        HWND list = dialog_control(pid, 200);
        if (!list || !IsWindowVisible(GetParent(list)))
            return "";
        std::string all;
        const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            // Read as UTF-16: Wine hands another process's list lines over in that form.
            wchar_t wide[300] = L"";
            char line[600] = "";
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
            WideCharToMultiByte(932, 0, wide, -1, line, sizeof line, nullptr, nullptr);
            all += (i ? "|" : "") + std::string(line);
        }
        return all;
    }
    void expect_list(DWORD pid, const std::string &expected)
    {
        EXPECT_TRUE(poll_until([&] { return list_lines(pid) == expected; }, 5000))
            << "list: " << list_lines(pid) << "\nexpected: " << expected;
    }
    // Whether a visible dialog of pid shows the text in its first child (the preview window).
    static bool shows_preview(DWORD pid, const std::string &text)
    {
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr;)
            if (window_process(w) == pid && IsWindowVisible(w) && window_text(GetWindow(w, GW_CHILD)) == text)
                return true;
        return false;
    }
};

TEST_F(Search, TypingFiltersTheListAndEnterPastesTheSelectedEntry)
{
    struct row {
        const char *name, *args, *typed, *listed;
        std::vector<BYTE> keys; // after the list showed
        const char *pasted;
    } rows[] = {
        {"substring", "/#g", "apple", "Apple|Pineapple", {VK_DOWN, VK_RETURN}, "pineapple"},
        {"Escape with a selection clears, a second one closes", "/#i", "gr", "Grape", {VK_ESCAPE, VK_ESCAPE}, ""},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        target_app &t = launch_target("[]", 1, 1);
        ASSERT_TRUE(t.window);
        process &p = start_mivra(items, r.args);
        HWND edit = wait_search_edit(p.id);
        ASSERT_TRUE(edit) << describe_windows(p.id);
        type_text(r.typed);
        expect_list(p.id, r.listed);
        for (BYTE key : r.keys)
            press_key(key, key >= VK_PRIOR && key <= VK_DOWN);
        expect_ends_with_zero(p);
        expect_edit_text(t.edit1, std::string("[") + r.pasted + "]", 5000);
        finish(t, p);
    }
}

TEST_F(Search, InitialWordWithOneMatchPastesWithoutAWindow)
{
    target_app &t = launch_target("[]", 1, 1);
    ASSERT_TRUE(t.window);
    process &p = start_mivra(lines({"[system]", "@match=1", "%end", "[data]", "apple pie | Apple", "grape | Grape",
                                    "%end"}),
                             "/#i=gra");
    expect_ends_with_zero(p);
    expect_edit_text(t.edit1, "[grape]");
    EXPECT_FALSE(dialog_control(p.id, 100)) << "the search window showed";
    finish(t, p);
}

TEST_F(Search, PreviewShowsTheSelectedEntryAndEnterPastesTheItemOfItsLine)
{
    ASSERT_TRUE(write_file(in_dir("memo.txt"), "first line\r\nsecond line\r\n"));
    target_app &t = launch_target("[]", 1, 1);
    ASSERT_TRUE(t.window);
    process &p = start_mivra(lines({"[system]", "@sort=0", "@view=1,1000", "@item=1,10", "%end", "[data]",
                                    "melon soda with ice | Melon", "melon soda with lemon | Melon",
                                    in_dir("memo.txt") + " | Memo", ">", "%end"}),
                             "/#g");
    ASSERT_TRUE(wait_search_edit(p.id)) << describe_windows(p.id);
    type_text("me");
    expect_list(p.id, "melon soda|melon soda|memo >"); // alike: the texts are cut to 10 bytes
    for (const std::string text : {"melon soda with ice", "melon soda with lemon"}) {
        EXPECT_TRUE(poll_until([&] { return shows_preview(p.id, text); })) << text;
        press_key(VK_DOWN, true);
    }
    EXPECT_TRUE(poll_until([&] { return shows_preview(p.id, "first line\r\nsecond line\r\n"); }));
    ASSERT_TRUE(DeleteFileA(in_dir("memo.txt").c_str()));
    press_key(VK_DOWN, true); // the last line again: its file cannot be read now
    ASSERT_TRUE(dismiss_message_box(wait_message_box(p.id))) << describe_windows(p.id);
    EXPECT_TRUE(poll_until([&] { return !shows_preview(p.id, "first line\r\nsecond line\r\n"); }));
    press_key(VK_UP, true);
    press_key(VK_RETURN);
    expect_ends_with_zero(p);
    expect_edit_text(t.edit1, "[melon soda with lemon]");
    finish(t, p);
}

// Shift+Enter pastes and the window stays; a later start shows it again, empty and focused, where
// Down lists every entry.
TEST_F(Search, ShiftEnterPastesAndTheWindowStaysForALaterStart)
{
    target_app &t = launch_target("[]", 1, 1);
    ASSERT_TRUE(t.window);
    process &p = start_mivra(items, "/#i");
    HWND edit = wait_search_edit(p.id);
    ASSERT_TRUE(edit) << describe_windows(p.id);
    type_text("gr");
    expect_list(p.id, "Grape");
    keybd_event(VK_SHIFT, 0, 0, 0);
    press_key(VK_RETURN);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    expect_edit_text(t.edit1, "[grape]");
    ASSERT_TRUE(poll_until([&] { return GetForegroundWindow() == GetParent(edit); })) << "the window did not stay";

    SetForegroundWindow(t.window);
    process &later = launch(in_dir("mivra.exe"), "/#i", dir_);
    expect_ends_with_zero(later);
    EXPECT_TRUE(poll_until([&] { return focus_of(edit) == edit && GetForegroundWindow() == GetParent(edit); }))
        << describe_windows(p.id);
    EXPECT_EQ(window_text(edit), "");
    EXPECT_EQ(list_lines(p.id), "");
    press_key(VK_DOWN, true); // on the empty line: every entry in the list's order
    expect_list(p.id, "Apple|Grape|Pineapple|表示");
    press_key(VK_ESCAPE);
    press_key(VK_ESCAPE);
    expect_ends_with_zero(p);
    EXPECT_EQ(window_text(t.edit1), "[grape]");
    finish(t, p);
}

} // namespace

namespace {

// The colour on the screen of the search window's client point (x, y).
COLORREF client_pixel(HWND edit, int x, int y)
{
    POINT at = {x, y};
    ClientToScreen(GetParent(edit), &at);
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// Romaji search through migemo.dll and BREGEXP.DLL beside the program (never those of the current
// directory or PATH), switched by the keys on an empty line; the bars at the right end show the modes.
TEST_F(Search, ModeKeysSwitchTheBarsAndRomajiFindsKanji)
{
    const std::string dist = windows_path(MIVRA_EXE_PATH);
    const std::string dist_dir = dist.substr(0, dist.find_last_of('\\'));
    for (const char *name : {"dict\\migemo-dict", "dict\\roma2hira.dat", "dict\\hira2kata.dat",
                             "dict\\han2zen.dat", "dict\\zen2han.dat"}) {
        CreateDirectoryA(in_dir("dict").c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(join_path(dist_dir, name).c_str(), in_dir(name).c_str(), FALSE)) << name;
    }
    ASSERT_TRUE(
        write_file(in_dir("mivra.ini"), lines({"[data]", "kanji text | 漢字の表", "other | 仮名", "%end"})));
    target_app &t = launch_target("[]", 1, 1);
    ASSERT_TRUE(t.window);
    SetEnvironmentVariableA("PATH", (dist_dir + ";C:\\windows\\system32;C:\\windows").c_str());
    process &lacking = launch(install(), "/#i /#j", dist_dir); // "/#j": romaji search at once
    ASSERT_TRUE(wait_search_edit(lacking.id)) << describe_windows(lacking.id);
    type_text("kanji");
    press_key(VK_RETURN); // nothing listed: Enter closes
    expect_ends_with_zero(lacking);
    expect_untouched_after_mark(t, "[", "]"); // nothing pasted; the target in front again
    for (const char *name : {"migemo.dll", "BREGEXP.DLL"})
        ASSERT_TRUE(CopyFileA(join_path(dist_dir, name).c_str(), in_dir(name).c_str(), FALSE)) << name;
    process &p = start_mivra("", "/#i");
    HWND edit = wait_search_edit(p.id);
    ASSERT_TRUE(edit) << describe_windows(p.id);
    // The window is 130 wide: the outer bar starts at 115, the inner one at 120.
    auto bars = [&] { return std::make_pair(client_pixel(edit, 117, 5), client_pixel(edit, 121, 5)); };
    press_key(VK_LEFT, true);
    EXPECT_TRUE(poll_until([&] { return bars().first == GetSysColor(COLOR_INACTIVECAPTION); }, 5000))
        << "substring style";
    keybd_event(VK_SHIFT, 0, 0, 0);
    press_key(VK_RIGHT, true);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(poll_until([&] { return bars().second == GetSysColor(COLOR_ACTIVECAPTION); }, 5000))
        << "romaji search on";
    type_text("kanji");
    expect_list(p.id, "漢字の表");
    press_key(VK_RETURN);
    expect_ends_with_zero(p);
    expect_edit_text(t.edit1, "[#kanji text]");
    finish(t, p);
}

} // namespace
