// Start-up of mivra.exe: the data file named after the executable, the unreadable data file, and the
// single-instance hand-over to (or replacement of) a running instance: one played by the test, to
// read the record it receives, and a real one in the middle of a delivery.
#include "e2e_support.h"

using namespace e2e;

namespace {

class Startup : public bench {};

// A start that loads its data file goes on to the activation; without items that is the main menu
// of utility entries, which Escape cancels, and a cancel ends the process like a finished start.
void expect_start_ends_with_zero(process &p)
{
    ASSERT_TRUE(poll_until([&] { return !process_running(p) || find_popup_menu(p.id); }))
        << "mivra.exe neither ended nor opened its menu; its windows:\n" << describe_windows(p.id);
    if (process_running(p))
        press_key(VK_ESCAPE);
    expect_ends_with_zero(p);
}

std::string file_or_missing(const std::string &path)
{
    std::string bytes;
    return read_file(path, &bytes) ? bytes : "<missing>";
}

} // namespace

// Without a data file an empty one is created, named after the executable's base name, beside it and
// not in the working folder.
TEST_F(Startup, DataFileIsTheExecutablesBaseNameBesideIt)
{
    ASSERT_TRUE(CreateDirectoryA(in_dir("work").c_str(), nullptr));
    process &p = launch(install("other.exe"), "", in_dir("work"));
    expect_start_ends_with_zero(p);
    EXPECT_EQ(file_or_missing(in_dir("other.ini")), "");
    for (const char *name : {"Mivra.ini", "work\\other.ini"})
        EXPECT_FALSE(file_exists(in_dir(name))) << name;
}

TEST_F(Startup, UnreadableDataFileShowsTheErrorAndEndsWhenDismissed)
{
    const std::string ini = in_dir("mivra.ini"), contents = lines({"[data]", "abc", "%end"});
    ASSERT_TRUE(write_file(ini, contents));
    // Share mode 0: every other open of the file fails while the test holds it.
    HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    process &p = start_mivra("");
    HWND box = wait_message_box(p.id);
    EXPECT_TRUE(box) << "no message box titled \"Mivra\"";
    EXPECT_EQ(message_box_text(box), "設定ファイル異常");
    EXPECT_TRUE(process_running(p)) << "the process must wait for the message to be dismissed";
    EXPECT_TRUE(dismiss_message_box(box));
    expect_ends_with_zero(p);
    CloseHandle(held);
    EXPECT_EQ(file_or_missing(ini), contents);
}

// ---- a running instance, played by the test ----------------------------------------------------

namespace {

// What the test's "Mivra_WClass" window received.
struct instance_log {
    int copy_data_count = 0, close_count = 0;
    std::string copy_data_bytes;
    HWND sender = nullptr;
    bool release_on_close = false;
    HANDLE mutex = nullptr;
} received;

LRESULT CALLBACK instance_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_COPYDATA) {
        const auto *record = reinterpret_cast<const COPYDATASTRUCT *>(lparam);
        ++received.copy_data_count;
        received.copy_data_bytes.assign(static_cast<const char *>(record->lpData), record->cbData);
        received.sender = reinterpret_cast<HWND>(wparam);
        return TRUE;
    }
    if (message == WM_CLOSE) {
        ++received.close_count;
        // A real instance ends here: its teardown releases "Mivra_Mark", so the new one can own it.
        if (received.release_on_close && received.mutex) {
            ReleaseMutex(received.mutex);
            CloseHandle(received.mutex);
            received.mutex = nullptr;
            DestroyWindow(window);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

class RunningInstance : public bench {
  protected:
    void SetUp() override
    {
        bench::SetUp();
        received = instance_log();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = instance_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Mivra_WClass";
        ASSERT_TRUE(RegisterClassA(&wc));
        // Hidden, like the real main window: the instance search finds it by class alone.
        window_ = CreateWindowExA(WS_EX_TOOLWINDOW, "Mivra_WClass", "Mivra_WClass", WS_POPUP, 0, 0, 10, 10,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        received.mutex = CreateMutexA(nullptr, TRUE, "Mivra_Mark");
        ASSERT_TRUE(window_ && received.mutex);
        ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "another Mivra_Mark holder runs";
    }

    void TearDown() override
    {
        bench::TearDown();
        if (received.mutex) {
            ReleaseMutex(received.mutex);
            CloseHandle(received.mutex);
        }
        if (IsWindow(window_))
            DestroyWindow(window_);
        UnregisterClassA("Mivra_WClass", GetModuleHandleA(nullptr));
    }

    HWND window_ = nullptr;
};

} // namespace

TEST_F(RunningInstance, SecondStartHandsOverOnceAndEndsWithoutTheDataFile)
{
    process &p = start_mivra("");
    expect_ends_with_zero(p); // pumps messages meanwhile, so the hand-over is received
    pump_messages();
    EXPECT_EQ(received.copy_data_count, 1);
    EXPECT_EQ(received.copy_data_bytes, std::string("1\0", 2));
    EXPECT_NE(received.sender, window_) << "wParam must be the sender's own main window";
    EXPECT_EQ(received.close_count, 0);
    EXPECT_FALSE(file_exists(in_dir("mivra.ini"))) << "the data file must not be touched";
}

TEST_F(RunningInstance, ReplaceSwitchClosesTheRunningInstanceAndRunsAloneOrEndsWhenItStays)
{
    // The instance that ignores the close stays for the second row.
    for (bool release : {false, true}) {
        SCOPED_TRACE(release ? "the running instance ends" : "the running instance ignores the close");
        received.release_on_close = release;
        received.close_count = 0;
        process &p = start_mivra("", "/#Z");
        // An instance that does not end may be finishing a delivery: the new one waits 30 s for it.
        ASSERT_TRUE(release || wait_process_exit(p, 30000 + wait_ms, nullptr)) << describe_windows(p.id);
        expect_start_ends_with_zero(p);
        pump_messages();
        EXPECT_EQ(received.close_count, 1);
        EXPECT_EQ(received.copy_data_count, 0);
        EXPECT_EQ(file_exists(in_dir("mivra.ini")), release) << "only the new only instance loads its data file";
    }
}

// ---- a real instance in the middle of a delivery -----------------------------------------------

// The first instance pastes "first", presses Tab and waits 3 s before "second": a later start lands
// in that wait. Without "/#z" it hands over and ends; with it, it takes over once the text is in.
TEST_F(Startup, LaterStartDuringADeliveryLetsTheWholeTextLandFirst)
{
    for (const char *args : {"", "/#z"}) {
        SCOPED_TRACE(*args ? "a start with /#z" : "a plain second start");
        target_app &t = launch_target("[]", 1, 1, "xyz");
        ASSERT_TRUE(t.window);
        process &first = start_mivra(lines({"[system]", "@replace=1", "@wait=100,1000,3000,0", "%end", "[data]",
                                            "first%$tb%second | 遅い(&S)", "%end"}));
        ASSERT_TRUE(wait_popup_menu(first.id)) << describe_windows(first.id);
        press_key('S');
        ASSERT_TRUE(poll_until([&] { return window_text(t.edit1) == "[first]"; })) << window_text(t.edit1);
        process &later = launch(in_dir("mivra.exe"), args, dir_);
        ASSERT_TRUE(later.handle);
        expect_edit_text(t.edit2, "second");
        EXPECT_TRUE(wait_process_exit(first, wait_ms, nullptr)) << "the first instance did not end";
        if (*args) {
            EXPECT_TRUE(wait_popup_menu(later.id)) << "the new instance shows no menu:\n" << describe_windows(later.id);
            press_key(VK_ESCAPE);
        }
        expect_ends_with_zero(later);
        EXPECT_EQ(window_text(t.edit1), "[first]");
        EXPECT_EQ(window_text(t.edit2), "second");
        finish(t, first);
    }
}

// A "/#z" start while the running instance's menu is open ends that instance, menu and all.
TEST_F(Startup, ReplaceSwitchWhileTheMenuIsOpenEndsTheRunningInstance)
{
    target_app &t = launch_target("[]", 1, 1);
    ASSERT_TRUE(t.window);
    process &first = start_mivra(lines({"[data]", "a", "%end"}));
    ASSERT_TRUE(wait_popup_menu(first.id)) << describe_windows(first.id);
    process &later = launch(in_dir("mivra.exe"), "/#z", dir_);
    EXPECT_TRUE(wait_process_exit(first, wait_ms, nullptr)) << "the first instance stayed:\n" << describe_windows(first.id);
    EXPECT_TRUE(wait_popup_menu(later.id)) << describe_windows(later.id);
    press_key(VK_ESCAPE);
    expect_ends_with_zero(later);
    finish(t, first);
}
