// Whole activations: the main menu at the target's caret, and the chosen text reaching the target's
// control by paste or EM_REPLACESEL; another target chosen in the window submenu; a target that closes
// meanwhile; the search window handing over between starts, pasting across tab marks.
#include "e2e_support.h"

using namespace e2e;

namespace {

// The target starts with "[old]" selected between these two (or the caret before it).
const std::string head = "head", tail = "tail", old_text = head + "[old]" + tail;
// Shift-JIS: 表 ends in 0x5C, so any byte-wise handling shows up at once.
const std::string sentinel = "センチネル表";

using Activation = bench;

// The caret of the target's edit 1 in screen coordinates.
RECT target_caret(target_app &t)
{
    GUITHREADINFO info = {};
    EXPECT_TRUE(poll_until([&] { return (info = gui_info(t.window)).hwndCaret != nullptr; }));
    MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT *>(&info.rcCaret), 2);
    return info.rcCaret;
}

} // namespace

// One activation per row: the clipboard holds the sentinel, edit 1 the old text with "[old]" selected,
// edit 2 "xyz"; the keys are pressed in the menu. A plain target leaves WM_ACTIVATE to the system, so
// its focus is on its frame when activated again, where Ctrl+V and Tab do nothing: every path that
// sends keys must give the focus back first.
TEST_F(Activation, ChosenTextReachesTheTargetsControl)
{
    const std::string jis = "ソ表示\\予定メｫ\r\n能力";
    const struct {
        const char *name;
        bool plain;
        std::string ini;
        std::vector<BYTE> keys;
        std::string edit1, edit2, clipboard;
    } rows[] = {
        // ソ, 表, 能 and 予 end in 0x5C; メ ends in 0x81, so メ and the half-width ｫ (0xAB) hold the bytes
        // of "↓" (0x81 0xAB) across two characters, which must not count as a break mark.
        {"Shift-JIS with 0x5C trail bytes and a split break mark arrives intact", false,
         lines({"[data]", "ソ表示\\予定メｫ↓能力 | ソ表(&J)", "%end"}), {'J'}, head + jis + tail, "xyz", jis},
        {"@clip=0 inserts with EM_REPLACESEL and leaves the clipboard alone", false,
         lines({"[system]", "@clip=0", "%end", "[data]", "直接挿入↓テキスト | 挿入(&I)", "%end"}), {'I'},
         head + "直接挿入\r\nテキスト" + tail, "xyz", sentinel},
        // 貼る表ｱé〜 in UTF-8: é has no Shift-JIS form, and 〜 (U+301C) only a best-fit look-alike.
        {"a data file saved as UTF-8 with the byte-order mark reads as Shift-JIS; a plain target", true,
         "\xEF\xBB\xBF" +
             lines({"[data]", "\xE8\xB2\xBC\xE3\x82\x8B\xE8\xA1\xA8\xEF\xBD\xB1\xC3\xA9\xE3\x80\x9C | U8(&U)", "%end"}),
         {'U'}, head + "貼る表ｱ??" + tail, "xyz", "貼る表ｱ??"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE(set_clipboard_text(sentinel));
        target_app &t = launch_target(old_text, 4, 9, "xyz", r.plain);
        process &p = start_mivra(r.ini);
        ASSERT_TRUE(wait_popup_menu(p.id));
        press_keys(p.id, r.keys);
        // The keys were sent before mivra.exe ended: the target needs only a moment to handle them.
        expect_ends_with_zero(p);
        expect_edit_text(t.edit1, r.edit1, 5000);
        expect_edit_text(t.edit2, r.edit2, 5000);
        EXPECT_EQ(window_text(t.edit1), r.edit1) << "pasted once only";
        EXPECT_EQ(clipboard_text(), r.clipboard);
    }
    // Programs that read the clipboard as Unicode (CF_UNICODETEXT) get the same text as Shift-JIS ones.
    EXPECT_EQ(clipboard_unicode(), L"\u8cbc\u308b\u8868\uff71??");
}

TEST_F(Activation, OtherWindowChosenInTheWindowSubmenuBecomesTheTargetAndTheMenuShowsAgainAtItsCaret)
{
    // Two targets whose carets differ, so each menu's place tells which target it was computed for.
    target_app &other = launch_target("A[old]", 1, 6);
    const RECT other_caret = target_caret(other); // read while it is in front
    target_app &front = launch_target("a longer text before [old]", 21, 26);
    const RECT front_caret = target_caret(front);
    ASSERT_NE(front_caret.left, other_caret.left);
    const int other_index = listed_index(other.window);
    ASSERT_GE(other_index, 0);
    // The second target must be the foreground window when mivra.exe starts, or it is not the target.
    ASSERT_TRUE(poll_until([&] {
        SetForegroundWindow(front.window);
        return GetForegroundWindow() == front.window;
    }));

    process &p = start_mivra(lines({"[data]", "甲乙テキスト | 項目(&A)", "%end"}));
    RECT menu = {};
    ASSERT_TRUE(wait_popup_menu(p.id, &menu));
    EXPECT_EQ(menu.left, front_caret.left + 10) << "the foreground target's caret";
    EXPECT_EQ(menu.top, front_caret.top + 30);
    press_keys(p.id, {'2', open_menus_2}); // "選択 [ ... ] ( &2 )": its first entry highlighted
    choose_entry(other_index);
    // The main menu shows again at the other target's caret, its first entry highlighted: Enter takes it.
    // Told apart by its place, not its handle: a new menu window may reuse the old one's handle.
    ASSERT_TRUE(poll_until([&] {
        return find_popup_menu(p.id, &menu) && menu.left == other_caret.left + 10 && menu.top == other_caret.top + 30;
    })) << "the main menu did not show again at the new target's caret; the windows of mivra.exe:\n"
        << describe_windows(p.id);
    press_key(VK_RETURN);
    expect_edit_text(other.edit1, "A甲乙テキスト");
    expect_ends_with_zero(p);
    expect_untouched_after_mark(front, "a longer text before ", "");
}

TEST_F(Activation, TargetThatClosesWhileTheMenuIsOpenEndsTheProcessCleanly)
{
    target_app &t = launch_target(old_text, 4, 9);
    process &p = start_mivra(lines({"[data]", "nowhere to go | 行き先なし", "%end"}));
    ASSERT_TRUE(wait_popup_menu(p.id));
    PostMessageA(t.window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(wait_process_exit(t.proc)) << "the target did not close";
    ASSERT_TRUE(find_popup_menu(p.id)) << "the menu must still be open";
    press_key(VK_RETURN);
    expect_ends_with_zero(p);
}

// "/#i=&1", automatic acceptance, the recorder on, a strict target: the history popup dismissed, the window
// shows; Shift+Enter pastes and the window stays, cleared, for later starts, which hand over, the second in
// the 3 s wait (after it; typing waits for the guidance shown). Down on the empty line lists every entry.
TEST_F(Activation, SearchWindowAfterTheHistoryPopupAndHandOversPastesIntoAStrictTarget)
{
    ASSERT_TRUE(write_file(in_dir("hist.ini"), std::string(1, 2) + std::string(403, '\0') + "e0"));
    ASSERT_TRUE(CreateMutexA(nullptr, TRUE, "Mivra_hist_mark")); // held until the test ends
    target_app &t = launch_target("[]", 1, 1, "xyz", true);
    process &p = start_mivra(lines({"[system]", "@match=1", "@replace=1", "@wait=100,1000,3000,0", "%end",
                                    "[data]", "a | A1", "b | A2", "x%$tb%y | B1", "z | B2", "%end"}),
                             "/#i=&1");
    ASSERT_TRUE(wait_popup_menu(p.id));
    press_key(VK_ESCAPE);
    const std::tuple<const char *, bool, const char *> steps[] = {
        {"a", true, "[a]"}, {"b", true, "[ax]"}, {"", false, "[ax]"}};
    for (const auto &[typed, stay, edit1] : steps) {
        ASSERT_TRUE(wait_search_edit(p.id));
        type_text(typed);
        if (!*typed)
            press_key(VK_DOWN);
        press_key(VK_RETURN, stay ? VK_SHIFT : 0);
        ASSERT_TRUE(poll_until([&] { return window_text(t.edit1) == edit1; })) << window_text(t.edit1);
        if (stay) {
            expect_ends_with_zero(start_mivra("", "/#i"));
            ASSERT_TRUE(poll_until([&] { return IsWindowVisible(dialog_control(p.id, 0)); })); // its label
        }
    }
    expect_ends_with_zero(p);
    expect_edit_text(t.edit2, "ya");
}

// "/#a=NAME" takes the window of the program so named (without ".exe", any case) behind another program's
// window in front, and "/#b" pastes the clipboard there. In a 64-bit prefix the pass gives a 64-bit target,
// behind the 32-bit notepad.
TEST_F(Activation, WindowOfTheProgramNamedByTheSwitchIsTheTargetBehindAnotherProgram)
{
    ASSERT_TRUE(set_clipboard_text("clip"));
    target_app &t = launch_target("[]", 1, 1);
    BOOL bench_wow64 = FALSE, target_wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &bench_wow64);
    IsWow64Process(t.proc.handle, &target_wow64);
    EXPECT_FALSE(bench_wow64 && target_wow64) << "a 32-bit target on 64-bit Windows";
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    process &notepad = launch(join_path(system, "notepad.exe"), "", dir_);
    ASSERT_TRUE(notepad.handle);
    HWND front = nullptr;
    ASSERT_TRUE(poll_until([&] {
        if ((front = find_window(nullptr, notepad.id)))
            SetForegroundWindow(front);
        return front && GetForegroundWindow() == front;
    })) << "notepad did not come to the front";
    process &p = start_mivra(lines({"[data]", "item | Item", "%end"}), "/#a=E2E_Target /#b");
    expect_ends_with_zero(p);
    expect_edit_text(t.edit1, "[clip]");
    EXPECT_EQ(window_text(FindWindowExA(front, nullptr, "Edit", nullptr)), "");
}
