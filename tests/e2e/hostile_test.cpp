// Hostile surroundings of a running mivra.exe: stray hand-over records, its files changed or read-only
// while it runs, a clipboard another program holds. It must neither crash nor hang nor harm files.
#include "e2e_support.h"

using namespace e2e;

using Hostile = bench;

// Records that a second start would never send reach the running instance's main window: in the
// search window they change nothing (the typed text stays), a "1" without its terminator is a
// request; while a menu is open every record is ignored.
TEST_F(Hostile, HandOverRecordsWithoutARequestAreIgnored)
{
    static char one[] = "1", other[] = "x";
    // Name, data, size, whether it is a request.
    const std::tuple<const char *, void *, DWORD, bool> rows[] = {
        {"another request", other, 2, false}, {"a request without its terminator", one, 1, true}};
    for (const char *args : {"/#i", ""}) {
        SCOPED_TRACE(*args ? "search window" : "menu");
        target_app &t = launch_target("[]", 1, 1);
        process &p = start_mivra(lines({"[data]", "grape | Grape", "green | Green", "%end"}), args);
        HWND edit = *args ? wait_search_edit(p.id) : nullptr;
        ASSERT_TRUE(*args ? edit != nullptr : wait_popup_menu(p.id) != nullptr);
        if (edit) {
            type_text("gr");
            ASSERT_TRUE(poll_until([&] { return window_text(edit) == "gr"; }));
        }
        const std::vector<HWND> main = top_windows("Mivra_WClass", p.id, false); // hidden
        ASSERT_EQ(main.size(), 1u);
        for (const auto &[name, data, size, request] : rows) {
            SCOPED_TRACE(name);
            COPYDATASTRUCT record = {0, size, data};
            DWORD_PTR result = 0;
            EXPECT_TRUE(SendMessageTimeoutA(main[0], WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record),
                                            SMTO_NORMAL, wait_ms, &result))
                << "the instance did not answer";
            // The record is handled before the send returns.
            EXPECT_TRUE(process_running(p) && (edit ? window_text(edit) == (request ? "" : "gr")
                                                    : find_popup_menu(p.id) != nullptr))
                << "edit line \"" << window_text(edit) << "\"; the windows:\n"
                << describe_windows(p.id);
        }
        if (edit) { // once the window is back in front: the first Escape may only clear the list's selection
            EXPECT_TRUE(wait_search_edit(p.id));
            press_key(VK_ESCAPE);
        }
        press_key(VK_ESCAPE);
        expect_ends_with_zero(p);
        expect_untouched_after_mark(t, "[", "]");
    }
}

// The menu works from what was loaded when the data file changes, which stays as it is; a log
// or text file that cannot be written keeps its bytes while the text is pasted. Wine run as root writes
// into read-only folders: a directory in the place of the log's scratch file stands for one.
TEST_F(Hostile, FilesChangedOrReadOnlyUnderTheProgramAreLeftAsTheUserMadeThem)
{
    const std::string ini = lines({"[system]", "@log=1", "%end", "[data]", "{Group(&G)", "loaded | 項目(&I)",
                                   "}", "%end", "[file]", in_dir("memo.txt"), "%end"});
    const std::string rewritten = lines({"[data]", "rewritten | 項目(&I)", "%end"});
    // A written log holds the chosen caption and drops "old", which names no item.
    const std::string logged = "項目(&I)\r\n", old = "old\r\n", memo = "one\r\n";
    enum change { rewrite_ini, read_only_log, read_only_memo, scratch_taken };
    const struct {
        const char *name, *args;
        change what;
        const char *typed, *pasted;
        std::string ini_after, log_after;
    } rows[] = {
        {"data file rewritten while the menu is open", "", rewrite_ini, "", "loaded", rewritten, logged},
        {"read-only log", "", read_only_log, "", "loaded", ini, old},
        {"no new file in the folder", "", scratch_taken, "", "loaded", ini, old},
        {"read-only text file, Insert", "/#i /#f=memo", read_only_memo, "new", "new", ini, old},
    };
    const std::string log = in_dir("log.ini"), scratch = in_dir("log.ini.new");
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        const std::string locked = in_dir(r.what == read_only_memo ? "memo.txt" : "log.ini");
        ASSERT_TRUE(write_file(in_dir("memo.txt"), memo) && write_file(log, old));
        ASSERT_TRUE(r.what != scratch_taken || CreateDirectoryA(scratch.c_str(), nullptr));
        ASSERT_TRUE((r.what != read_only_log && r.what != read_only_memo) ||
                    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
        target_app &t = launch_target("[]", 1, 1, "", true);
        process &p = start_mivra(ini, r.args);
        HWND edit = *r.typed ? wait_search_edit(p.id) : nullptr;
        ASSERT_TRUE(*r.typed ? edit != nullptr : wait_popup_menu(p.id) != nullptr);
        ASSERT_TRUE(r.what != rewrite_ini || write_file(in_dir("mivra.ini"), rewritten));
        if (edit) {
            type_text(r.typed);
            ASSERT_TRUE(poll_until([&] { return window_text(edit) == r.typed; }));
            press_key(VK_INSERT);
        } else {
            press_keys(p.id, {'G', open_menus_2, 'I'});
        }
        expect_ends_with_zero(p);
        expect_edit_text(t.edit1, std::string("[") + r.pasted + "]");
        SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(file_text(in_dir("mivra.ini")), r.ini_after);
        EXPECT_EQ(file_text(log), r.log_after);
        EXPECT_EQ(file_text(in_dir("memo.txt")), memo);
        EXPECT_EQ(RemoveDirectoryA(scratch.c_str()) != 0, r.what == scratch_taken);
        EXPECT_FALSE(file_exists(scratch)) << "a scratch file was left";
    }
}

// Another program holds the clipboard open while the chosen text is put there: released soon, the text
// is pasted; held on, the paste fails after a bounded retry, sends no paste keys, keeps the clipboard.
TEST_F(Hostile, ClipboardHeldByAnotherProgramFailsThePasteCleanly)
{
    for (bool released_soon : {true, false}) {
        SCOPED_TRACE(released_soon ? "released after 100 ms" : "held until mivra.exe ends");
        ASSERT_TRUE(set_clipboard_text("before"));
        target_app &t = launch_target("[]", 1, 1, "", true);
        process &p = start_mivra(lines({"[data]", "chosen | 項目(&I)", "%end"}));
        ASSERT_TRUE(wait_popup_menu(p.id));
        // Another program may hold the clipboard for a moment first.
        ASSERT_TRUE(poll_until([] { return OpenClipboard(nullptr) != 0; }, 3000));
        press_key('I');
        // Holding the clipboard is what this test does to the program, not a way to wait for it.
        poll_until([&] { return !process_running(p); }, released_soon ? 100 : wait_ms);
        CloseClipboard();
        expect_ends_with_zero(p);
        if (released_soon) {
            expect_edit_text(t.edit1, "[chosen]");
        } else {
            expect_untouched_after_mark(t, "[", "]");
            EXPECT_EQ(clipboard_text(), "before");
        }
        EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropA(t.window, "paste_keys")), released_soon ? 1 : 0);
    }
}
