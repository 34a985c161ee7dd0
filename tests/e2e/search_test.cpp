// The search window of a "/#i" (prefix) or "/#g" (substring) start: the list, its keys, the preview,
// and romaji search through the libraries beside the program.
#include "e2e_support.h"

using namespace e2e;

namespace {

// The lines of the result list as displayed, "|" between them; "" while the list is hidden.
std::string list_lines(DWORD pid)
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
bool shows_preview(DWORD pid, const std::string &text)
{
    for (HWND w : top_windows("#32770", pid))
        if (window_text(GetWindow(w, GW_CHILD)) == text)
            return true;
    return false;
}

using Search = bench;

// Substring search: "e" is inside every caption and text, at the start of none.
TEST_F(Search, PreviewShowsTheSelectedEntryAndEnterPastesTheItemOfItsLine)
{
    ASSERT_TRUE(write_file(in_dir("memo.txt"), "first line\r\nsecond line\r\n"));
    target_app &t = launch_target("[]", 1, 1);
    process &p = start_mivra(lines({"[system]", "@sort=0", "@view=1,1000", "@item=1,10", "%end", "[data]",
                                    "melon soda with ice | Melon", "melon soda with lemon | Melon",
                                    in_dir("memo.txt") + " | Memo", ">", "%end"}),
                             "/#g");
    ASSERT_TRUE(wait_search_edit(p.id));
    type_text("e");
    expect_list(p.id, "melon soda|melon soda|memo >"); // alike: the texts are cut to 10 bytes
    for (const std::string text : {"melon soda with ice", "melon soda with lemon"}) {
        EXPECT_TRUE(poll_until([&] { return shows_preview(p.id, text); })) << text;
        press_key(VK_DOWN);
    }
    EXPECT_TRUE(poll_until([&] { return shows_preview(p.id, "first line\r\nsecond line\r\n"); }));
    ASSERT_TRUE(DeleteFileA(in_dir("memo.txt").c_str()));
    press_key(VK_DOWN); // the last line again: its file cannot be read now
    EXPECT_EQ(take_message_box(p), "データファイルが読めません！");
    EXPECT_TRUE(poll_until([&] { return !shows_preview(p.id, "first line\r\nsecond line\r\n"); }));
    press_key(VK_UP);
    press_key(VK_RETURN);
    expect_ends_with_zero(p);
    expect_edit_text(t.edit1, "[melon soda with lemon]");
}

// Two Page Downs by the 11 lines shown reach line 22 at the list's foot; a double click takes line 14.
TEST_F(Search, PageDownMovesByTheLinesShownAndADoubleClickPastesTheLineUnderIt)
{
    std::string data = "[data]\r\n";
    for (int i = 10; i < 40; ++i)
        data += "text " + std::to_string(i) + " | item " + std::to_string(i) + "\r\n";
    target_app &t = launch_target("[]", 1, 1);
    process &p = start_mivra(data + "%end\r\n", "/#i");
    ASSERT_TRUE(wait_search_edit(p.id));
    type_text("i");
    press_key(VK_NEXT);
    press_key(VK_NEXT);
    HWND list = nullptr;
    ASSERT_TRUE(
        poll_until([&] { return SendMessageA(list = dialog_control(p.id, 200), LB_GETCURSEL, 0, 0) == 22; }));
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageA(list, m, 0, MAKELPARAM(20, SendMessageA(list, LB_GETITEMHEIGHT, 0, 0) * 5 / 2));
    expect_edit_text(t.edit1, "[text 24]");
}

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
    const std::string dist_dir = windows_path(MIVRA_DIST_DIR);
    install_dictionary();
    ASSERT_TRUE(
        write_file(in_dir("mivra.ini"), lines({"[data]", "kanji text | &c 漢字の表", "other | 仮名", "%end"})));
    target_app &t = launch_target("[]", 1, 1);
    SetEnvironmentVariableA("PATH", (dist_dir + ";C:\\windows\\system32;C:\\windows").c_str());
    process &lacking = launch(install(), "/#i /#j", dist_dir); // "/#j": romaji search at once
    ASSERT_TRUE(wait_search_edit(lacking.id));
    type_text("kanji");
    press_key(VK_RETURN); // nothing listed: Enter closes
    expect_ends_with_zero(lacking);
    expect_untouched_after_mark(t, "[", "]"); // nothing pasted; the target in front again
    ASSERT_FALSE(install("migemo.dll").empty() || install("BREGEXP.DLL").empty());
    process &p = start_mivra("", "/#i");
    HWND edit = wait_search_edit(p.id);
    ASSERT_TRUE(edit);
    // The window is 130 wide: the outer bar starts at 115, the inner one at 120.
    auto bars = [&] { return std::make_pair(client_pixel(edit, 117, 5), client_pixel(edit, 121, 5)); };
    press_key(VK_LEFT);
    EXPECT_TRUE(poll_until([&] { return bars().first == GetSysColor(COLOR_INACTIVECAPTION); }, 5000))
        << "substring style";
    press_key(VK_RIGHT, VK_SHIFT);
    EXPECT_TRUE(poll_until([&] { return bars().second == GetSysColor(COLOR_ACTIVECAPTION); }, 5000))
        << "romaji search on";
    type_text("c kanji"); // each word converted on its own, the space kept
    expect_list(p.id, "c 漢字の表");
    press_key(VK_RETURN);
    expect_ends_with_zero(p);
    expect_edit_text(t.edit1, "[#kanji text]");
}

// LogPixels under both keys Wine reads a program's DPI from as it starts: set for a case, and put back
// as it was (or removed) however the case ends.
struct screen_dpi {
    const std::pair<HKEY, const char *> keys[2] = {
        {HKEY_CURRENT_USER, "Control Panel\\Desktop"},
        {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"}};
    DWORD old[2] = {0, 0};
    bool had[2] = {false, false};
    explicit screen_dpi(DWORD dpi)
    {
        for (int k = 0; k < 2; ++k) {
            DWORD size = sizeof old[k];
            had[k] = !RegGetValueA(keys[k].first, keys[k].second, "LogPixels", RRF_RT_REG_DWORD, nullptr, &old[k], &size);
            RegSetKeyValueA(keys[k].first, keys[k].second, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
        }
    }
    ~screen_dpi()
    {
        for (int k = 0; k < 2; ++k)
            had[k] ? RegSetKeyValueA(keys[k].first, keys[k].second, "LogPixels", REG_DWORD, &old[k], sizeof old[k])
                   : RegDeleteKeyValueA(keys[k].first, keys[k].second, "LogPixels");
    }
};

// The search window, its edit line and the list window, 1.5 times as large at 144 DPI (34.5 rounds to 35).
// Wine tells every program the DPI; the awareness the manifest declares: Startup's manifest case.
TEST_F(Search, SizesFollowTheScreenDpi)
{
    auto size_of = [](HWND w) {
        RECT r = {0, 0, 0, 0};
        GetWindowRect(w, &r);
        return std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
    };
    launch_target("[]", 1, 1);
    // DPI; search window, edit line and list window. 96 last: Wine notes the DPI its programs ran at.
    for (const auto &[dpi, expected] : {std::make_pair(144, "195x35 144x29 240x225"),
                                        std::make_pair(96, "130x23 96x19 160x150")}) {
        screen_dpi at(dpi);
        process &p = start_mivra(lines({"[data]", "melon | Melon", "lemon | Lemon", "%end"}), "/#g");
        HWND edit = wait_search_edit(p.id);
        ASSERT_TRUE(edit) << dpi;
        type_text("e");
        expect_list(p.id, "Lemon|Melon");
        auto sizes = [&] {
            return size_of(GetParent(edit)) + " " + size_of(edit) + " " + size_of(GetParent(dialog_control(p.id, 200)));
        };
        EXPECT_TRUE(poll_until([&] { return sizes() == expected; }, 5000)) << dpi << " DPI: " << sizes();
        press_key(VK_RETURN);
        expect_ends_with_zero(p);
    }
}

} // namespace
