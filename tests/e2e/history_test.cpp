// The clipboard history under Wine: an entry of the history submenu's "&V" group, a "%CLM%" pick,
// the "/#h" start that goes on to the main menu, and hist.exe recording the clipboard changes of
// another program until a second start stops it. A running recorder is faked by holding its mutex.
#include "e2e_support.h"

#include <cstdint>
#include <vector>

using namespace e2e;

namespace {

const char recorder_mutex[] = "Mivra_hist_mark";
const std::string head = "head", tail = "tail";
const std::string items = lines({"[system]", "@replace=1", "%end", "[data]", "item | 項目(&A)", "[%CLM%] | 履歴から(&M)", "%end"});

std::string history_image(const std::vector<std::string> &entries)
{
    std::string lengths, bytes;
    for (size_t h = 0; h < 101; ++h) {
        // Entry lengths, then the current index (0) at offset 400.
        const int32_t v = h < entries.size() ? static_cast<int32_t>(entries[h].size()) : 0;
        lengths.append(reinterpret_cast<const char *>(&v), 4);
        bytes += h < entries.size() ? entries[h] : "";
    }
    return lengths + bytes;
}

// The entries of a hist.ini and its current index; empty when it cannot be read.
std::vector<std::string> history_entries(const std::string &path, int32_t *current)
{
    std::string file;
    std::vector<std::string> out;
    if (!read_file(path, &file) || file.size() < 404)
        return out;
    memcpy(current, file.data() + 400, 4);
    for (size_t h = 0, at = 404; h < 100; ++h) {
        int32_t length = 0;
        memcpy(&length, file.data() + 4 * h, 4);
        if (length <= 0 || at + static_cast<size_t>(length) > file.size())
            break;
        out.push_back(file.substr(at, static_cast<size_t>(length)));
        at += static_cast<size_t>(length);
    }
    return out;
}

class History : public bench {
  protected:
    void TearDown() override
    {
        if (mutex_) {
            ReleaseMutex(mutex_);
            CloseHandle(mutex_);
        }
        bench::TearDown();
    }
    // hist.ini with entries "e0", "e1", ... (entry 31 with "&" and a line break) and the recorder's
    // mutex held by this process.
    void fake_recorder(size_t count)
    {
        std::vector<std::string> entries;
        for (size_t i = 0; i < count; ++i)
            entries.push_back(i == 31 ? "v&31\r\n表" : "e" + std::to_string(i));
        ASSERT_TRUE(write_file(in_dir("hist.ini"), history_image(entries)));
        if (!mutex_)
            mutex_ = CreateMutexA(nullptr, TRUE, recorder_mutex);
        ASSERT_TRUE(mutex_);
    }
    // Waits for a popup menu of p other than the one at `previous`, and gives its rectangle.
    static RECT next_popup(process &p, const RECT &previous)
    {
        RECT now = {};
        EXPECT_TRUE(poll_until([&] { return find_popup_menu(p.id, &now) && !EqualRect(&now, &previous); }))
            << describe_windows(p.id);
        return now;
    }
    static int count_menus(DWORD pid)
    {
        int n = 0;
        for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w; w = FindWindowExA(nullptr, w, "#32768", nullptr))
            n += IsWindowVisible(w) && window_process(w) == pid;
        return n;
    }
    HANDLE mutex_ = nullptr;
};

} // namespace

TEST_F(History, EntryOfTheVGroupPastesItsStoredBytes)
{
    fake_recorder(40);
    for (bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "plain target" : "target that restores its focus");
        target_app &t = launch_target(head + "[old]" + tail, 4, 9, "", plain);
        process &p = start_mivra(items);
        ASSERT_TRUE(wait_popup_menu(p.id)) << describe_windows(p.id);
        // "クリップボード ( &1 )" opens the history, "&V" the entries 31 to 60, "&2" is entry 31.
        press_key('1');
        ASSERT_TRUE(poll_until([&] { return count_menus(p.id) == 2; }));
        press_key('V');
        ASSERT_TRUE(poll_until([&] { return count_menus(p.id) == 3; }));
        press_key('2');
        expect_ends_with_zero(p);
        expect_edit_text(t.edit1, head + "v&31\r\n表" + tail);
        finish(t, p);
    }
}

TEST_F(History, ClmPicksAnEntryAfterTheItem)
{
    fake_recorder(2);
    target_app &t = launch_target(head + "[old]" + tail, 4, 9);
    process &p = start_mivra(items);
    RECT menu = {};
    ASSERT_TRUE(wait_popup_menu(p.id, &menu)) << describe_windows(p.id);
    press_key('M');
    next_popup(p, menu);
    press_key('2');
    expect_ends_with_zero(p);
    expect_edit_text(t.edit1, head + "[e1]" + tail);
    finish(t, p);
}

TEST_F(History, HistoryStartGoesOnToTheMainMenu)
{
    fake_recorder(2);
    target_app &t = launch_target(head + "[old]" + tail, 4, 9);
    process &p = start_mivra(items, "/#h");
    RECT history = {};
    ASSERT_TRUE(wait_popup_menu(p.id, &history)) << describe_windows(p.id);
    type_text("@"); // "&@ 通常起動"
    next_popup(p, history);
    press_key('A');
    expect_ends_with_zero(p);
    expect_edit_text(t.edit1, head + "item" + tail);
    finish(t, p);
}

TEST_F(History, RecorderRecordsNewClipboardTextsUntilASecondStartStopsIt)
{
    const std::string recorder = in_dir("hist.exe");
    ASSERT_TRUE(CopyFileA(join_path(windows_path(MIVRA_DIST_DIR), "hist.exe").c_str(), recorder.c_str(), FALSE));
    process &running = launch(recorder, "", dir_);
    int32_t current = -1;
    // It writes the (empty) history at once, then each new text on top; "二番目" twice is one entry.
    ASSERT_TRUE(poll_until([&] { return file_exists(in_dir("hist.ini")); }));
    const std::vector<std::vector<std::string>> steps = {
        {"one"}, {"二番目表", "one"}, {"二番目表", "one"}, {"three", "二番目表", "one"}};
    const char *clips[] = {"one", "二番目表", "二番目表", "three"};
    for (size_t i = 0; i < steps.size(); ++i) {
        ASSERT_TRUE(set_clipboard_text(clips[i]));
        if (i != 2) {
            EXPECT_TRUE(poll_until([&] { return history_entries(in_dir("hist.ini"), &current) == steps[i]; }))
                << clips[i];
        }
    }
    EXPECT_EQ(current, 0);
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, recorder_mutex);
    EXPECT_TRUE(mutex) << "the recorder holds its mutex";
    if (mutex)
        CloseHandle(mutex);
    process &stopper = launch(recorder, "", dir_);
    DWORD code = 1;
    EXPECT_TRUE(wait_process_exit(stopper, wait_ms, &code));
    EXPECT_TRUE(wait_process_exit(running, wait_ms, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(OpenMutexA(SYNCHRONIZE, FALSE, recorder_mutex)) << "the mutex is gone";
}
