// Start-up of mivra.exe: the data file named after the executable, the unreadable data file, and the
// single-instance hand-over to (or replacement of) a running instance, played here by the test.
#include "e2e_support.h"

#include <string>

using namespace e2e;

namespace {

class Startup : public bench {};

// A finished start: the process ended by itself with exit code 0.
void expect_ends_with_zero(process &p)
{
    DWORD code = 0;
    ASSERT_TRUE(wait_process_exit(p, wait_ms, &code)) << "mivra.exe did not end; its windows:\n"
                                                       << describe_windows(p.id);
    EXPECT_EQ(code, 0u);
}

// A start that loads its data file goes on to the activation; without items that is the main menu
// of utility entries, which Escape cancels, and a cancel ends the process like a finished start.
void expect_start_ends_with_zero(process &p)
{
    ASSERT_TRUE(poll_until([&] { return !process_running(p) || find_popup_menu(p.id, nullptr); }))
        << "mivra.exe neither ended nor opened its menu; its windows:\n"
        << describe_windows(p.id);
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

TEST_F(Startup, WithoutDataFileCreatesAnEmptyIniBesideTheExecutable)
{
    std::string exe = install_mivra(dir_);
    ASSERT_FALSE(exe.empty());
    process &p = launch(exe, "", dir_);
    ASSERT_TRUE(p.handle);
    expect_start_ends_with_zero(p);
    EXPECT_EQ(file_or_missing(join_path(dir_, "mivra.ini")), "");
}

TEST_F(Startup, DataFileIsNamedAfterTheExecutablesBaseName)
{
    std::string exe = install_mivra(dir_, "other.exe");
    ASSERT_FALSE(exe.empty());
    // Started from another directory: the file goes beside the executable, not into the working one.
    std::string elsewhere = join_path(dir_, "work");
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
    process &p = launch(exe, "", elsewhere);
    ASSERT_TRUE(p.handle);
    expect_start_ends_with_zero(p);
    EXPECT_EQ(file_or_missing(join_path(dir_, "other.ini")), "");
    EXPECT_FALSE(file_exists(join_path(dir_, "Mivra.ini")));
    EXPECT_FALSE(file_exists(join_path(elsewhere, "other.ini")));
}

TEST_F(Startup, FallsBackToMivraIniWhenTheOwnDataFileIsMissing)
{
    std::string exe = install_mivra(dir_, "other.exe");
    ASSERT_FALSE(exe.empty());
    ASSERT_TRUE(write_file(join_path(dir_, "Mivra.ini"), ""));
    process &p = launch(exe, "", dir_);
    ASSERT_TRUE(p.handle);
    expect_start_ends_with_zero(p);
    EXPECT_FALSE(file_exists(join_path(dir_, "other.ini")));
}

TEST_F(Startup, UnreadableDataFileShowsTheErrorAndEndsWhenDismissed)
{
    std::string exe = install_mivra(dir_);
    ASSERT_FALSE(exe.empty());
    std::string ini = join_path(dir_, "mivra.ini");
    const std::string contents = "[data]\r\nabc\r\n%end\r\n";
    ASSERT_TRUE(write_file(ini, contents));
    // Share mode 0: every other open of the file fails while the test holds it.
    HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    process &p = launch(exe, "", dir_);
    ASSERT_TRUE(p.handle);
    HWND box = wait_message_box(p.id);
    if (!box)
        CloseHandle(held);
    ASSERT_TRUE(box) << "no message box titled \"Mivra\"";
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
    int copy_data_count = 0;
    DWORD copy_data_size = 0;
    std::string copy_data_bytes;
    DWORD sender_pid = 0;
    std::string sender_class;
    int close_count = 0;
    bool release_on_close = false;
    HANDLE mutex = nullptr;
};

instance_log received;

LRESULT CALLBACK instance_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_COPYDATA: {
        const auto *record = reinterpret_cast<const COPYDATASTRUCT *>(lparam);
        ++received.copy_data_count;
        received.copy_data_size = record->cbData;
        received.copy_data_bytes.assign(static_cast<const char *>(record->lpData), record->cbData);
        // The sender's main window still exists while it waits for this message to be handled.
        HWND sender = reinterpret_cast<HWND>(wparam);
        received.sender_pid = sender != window ? window_process(sender) : 0;
        received.sender_class = class_name(sender);
        return TRUE;
    }
    case WM_CLOSE:
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
        ASSERT_TRUE(window_);
        received.mutex = CreateMutexA(nullptr, TRUE, "Mivra_Mark");
        ASSERT_TRUE(received.mutex);
        ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "another Mivra_Mark holder runs";
    }

    void TearDown() override
    {
        bench::TearDown();
        if (received.mutex) {
            ReleaseMutex(received.mutex);
            CloseHandle(received.mutex);
            received.mutex = nullptr;
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
    std::string exe = install_mivra(dir_);
    ASSERT_FALSE(exe.empty());
    process &p = launch(exe, "", dir_);
    ASSERT_TRUE(p.handle);
    expect_ends_with_zero(p); // pumps messages meanwhile, so the hand-over is received
    pump_messages();

    EXPECT_EQ(received.copy_data_count, 1);
    EXPECT_EQ(received.copy_data_size, 2u);
    EXPECT_EQ(received.copy_data_bytes, std::string("1\0", 2));
    EXPECT_EQ(received.sender_pid, p.id) << "wParam must be the sender's own main window";
    EXPECT_EQ(received.sender_class, "Mivra_WClass");
    EXPECT_EQ(received.close_count, 0);
    EXPECT_FALSE(file_exists(join_path(dir_, "mivra.ini"))) << "the data file must not be touched";
}

TEST_F(RunningInstance, ReplaceSwitchClosesTheRunningInstanceAndRunsAlone)
{
    std::string exe = install_mivra(dir_);
    ASSERT_FALSE(exe.empty());
    received.release_on_close = true;
    process &p = launch(exe, "/#z", dir_);
    ASSERT_TRUE(p.handle);
    expect_start_ends_with_zero(p);
    pump_messages();

    EXPECT_EQ(received.close_count, 1);
    EXPECT_EQ(received.copy_data_count, 0);
    EXPECT_EQ(file_or_missing(join_path(dir_, "mivra.ini")), "") << "the new instance must load its data file";
}

TEST_F(RunningInstance, ReplaceSwitchThatCannotFreeTheMutexEndsSilently)
{
    std::string exe = install_mivra(dir_);
    ASSERT_FALSE(exe.empty());
    received.release_on_close = false; // the running instance ignores the close
    process &p = launch(exe, "/#Z", dir_);
    ASSERT_TRUE(p.handle);
    expect_ends_with_zero(p);
    pump_messages();

    EXPECT_EQ(received.close_count, 1);
    EXPECT_EQ(received.copy_data_count, 0);
    EXPECT_FALSE(file_exists(join_path(dir_, "mivra.ini")));
}
