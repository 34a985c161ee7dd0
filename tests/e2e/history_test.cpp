// The clipboard history under Wine: its popups in the real menus, and hist.exe recording other programs'
// unmarked clipboard changes until a second start stops it. Holding its mutex fakes it running.
#include "e2e_support.h"

using namespace e2e;

namespace {

const char recorder_mutex[] = "Mivra_hist_mark";
const std::string head = "head", tail = "tail";
const std::string items =
    lines({"[system]", "@replace=1", "%end", "[data]", "item | 項目(&A)", "[%CLM%] | 履歴から(&M)", "%end"});

// The layout with current 0, as the recorder writes it.
std::string history_image(const std::vector<std::string> &entries)
{
    std::string lengths, bytes;
    for (size_t h = 0; h < 101; ++h) {
        const int32_t v = h < entries.size() ? static_cast<int32_t>(entries[h].size()) : 0;
        lengths.append(reinterpret_cast<const char *>(&v), 4);
        bytes += h < entries.size() ? entries[h] : "";
    }
    return lengths + bytes;
}

using History = bench;

} // namespace

// The history popup after a first chooser: the pick of "%CLM%" after the main menu; the main menu
// after "&@ 通常起動" of the history start ("/#h"); the search window's "&1", below its lower-left corner.
TEST_F(History, HistoryPopupsFollowTheirFirstChooser)
{
    ASSERT_TRUE(write_file(in_dir("hist.ini"), history_image({"e0", "e1"})));
    ASSERT_TRUE(CreateMutexA(nullptr, TRUE, recorder_mutex)); // until the test ends
    // Name, arguments, typed in the first chooser, keys in the next menu, what edit 1 holds between.
    const std::tuple<const char *, const char *, const char *, std::vector<BYTE>, const char *> rows[] = {
        {"%CLM% picks entry &2", "", "M", {'2'}, "[e1]"},
        {"/#h goes on to the main menu", "/#h", "@", {'A'}, "item"},
        {"the search window's &1", "/#i", "&1", {'2'}, "e1"},
    };
    for (const auto &[name, args, first, keys, pasted] : rows) {
        SCOPED_TRACE(name);
        target_app &t = launch_target(head + "[old]" + tail, 4, 9, "", true);
        process &p = start_mivra(items, args);
        RECT popup = {}, search = {};
        HWND dialog = nullptr;
        if (std::string(args) == "/#i")
            ASSERT_TRUE(dialog = GetParent(wait_search_edit(p.id)));
        else
            ASSERT_TRUE(wait_popup_menu(p.id, &popup));
        type_text(first);
        popup = next_popup(p.id, popup);
        EXPECT_TRUE(!dialog || (GetWindowRect(dialog, &search) && popup.left == search.left &&
                                popup.top == search.bottom))
            << "popup at " << popup.left << "," << popup.top << ", window " << search.left << "," << search.bottom;
        press_keys(p.id, keys);
        expect_ends_with_zero(p);
        expect_edit_text(t.edit1, head + pasted + tail);
    }
}

TEST_F(History, RecorderRecordsNewClipboardTextsUntilASecondStartStopsIt)
{
    const std::string recorder = install("hist.exe");
    ASSERT_TRUE(write_file(in_dir("hist.ini"), history_image({"old"})));
    HANDLE held = CreateFileA(in_dir("hist.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    process &running = launch(recorder, "", dir_);
    // Its window exists and its thread waits for messages: it listens and has tried the file.
    ASSERT_TRUE(
        poll_until([] { return FindWindowExA(HWND_MESSAGE, nullptr, "Mivra_hist_WClass", nullptr); }));
    ASSERT_EQ(WaitForInputIdle(running.handle, wait_ms), 0u);
    const auto holds = [&](const std::vector<std::string> &entries) {
        return poll_until([&] { return file_text(in_dir("hist.ini")) == history_image(entries); });
    };
    // hist.ini, held without sharing, is read once let go; new texts go on top.
    ASSERT_TRUE(set_clipboard_text("one"));
    poll_until([] { return false; }, 1200); // two of the recorder's retries while it is held
    CloseHandle(held);
    EXPECT_TRUE(holds({"one", "old"}));
    ASSERT_TRUE(set_clipboard_text("二番目表"));
    EXPECT_TRUE(holds({"二番目表", "one", "old"}));
    // Marked content is skipped (each stays a moment for the recorder to read); a held text moves up.
    for (const char *format :
         {"Clipboard Viewer Ignore", "ExcludeClipboardContentFromMonitorProcessing", "CanIncludeInClipboardHistory"}) {
        ASSERT_TRUE(set_clipboard_text(format, format));
        poll_until([] { return false; }, 300);
    }
    ASSERT_TRUE(set_clipboard_text("one"));
    // The segments of a tab mark reach the target through the clipboard, marked: none is recorded.
    target_app &t = launch_target("[]", 1, 1);
    const std::string ini = lines({"[system]", "@replace=1", "%end", "[data]", "seg1%$tb%seg2 | 区切り(&S)", "%end"});
    ASSERT_TRUE(wait_popup_menu(start_mivra(ini).id));
    press_key('S');
    expect_edit_text(t.edit2, "seg2");
    ASSERT_TRUE(set_clipboard_text("last"));
    EXPECT_TRUE(holds({"last", "one", "二番目表", "old"}));
    const auto mutex_exists = [] {
        HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, recorder_mutex);
        return mutex && CloseHandle(mutex);
    };
    EXPECT_TRUE(mutex_exists()) << "the recorder holds its mutex";
    process &stopper = launch(recorder, "", dir_);
    EXPECT_TRUE(wait_process_exit(stopper));
    expect_ends_with_zero(running);
    EXPECT_FALSE(mutex_exists()) << "the mutex is gone";
}
