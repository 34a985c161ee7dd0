// Start-up of mivra.exe: the data file named after the executable, the unreadable data file, and the
// hand-over to (or replacement of) a running instance, played by the test or real and delivering.
#include "e2e_support.h"

using namespace e2e;

namespace {

class Startup : public bench {};

// A start that loads its data file goes on to the main menu, of utility entries only without items:
// Escape cancels it, which ends the process like a finished start.
void expect_start_ends_with_zero(process &p)
{
    ASSERT_TRUE(poll_until([&] { return !process_running(p) || find_popup_menu(p.id); }))
        << "mivra.exe neither ended nor opened its menu; its windows:\n" << describe_windows(p.id);
    if (process_running(p))
        press_key(VK_ESCAPE);
    expect_ends_with_zero(p);
}

} // namespace

// Without a data file an empty one is created, named after the executable's base name, beside it and
// not in the working folder.
TEST_F(Startup, DataFileIsTheExecutablesBaseNameBesideIt)
{
    ASSERT_TRUE(CreateDirectoryA(in_dir("work").c_str(), nullptr));
    process &p = launch(install("mivra.exe", "other.exe"), "", in_dir("work"));
    expect_start_ends_with_zero(p);
    EXPECT_EQ(file_text(in_dir("other.ini")), "");
    for (const char *name : {"Mivra.ini", "work\\other.ini"})
        EXPECT_FALSE(file_exists(in_dir(name))) << name;
}

TEST_F(Startup, UnreadableDataFileShowsTheErrorAndEndsWhenDismissed)
{
    const std::string ini = in_dir("mivra.ini"), contents = lines({"[data]", "abc", "%end"});
    ASSERT_TRUE(write_file(ini, contents));
    // Share mode 0: every other open of the file fails while the test holds it.
    HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    process &p = start_mivra("");
    EXPECT_EQ(take_message_box(p), "設定ファイル異常");
    expect_ends_with_zero(p);
    CloseHandle(held);
    EXPECT_EQ(file_text(ini), contents);
}

// ---- a running instance, played by the test ----------------------------------------------------

namespace {

// What the test's "Mivra_WClass" window received; unlike a real instance it never ends.
struct instance_log {
    int copy_data_count = 0, close_count = 0;
    std::string copy_data_bytes;
    HWND sender = nullptr;
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
    received.close_count += message == WM_CLOSE;
    return message == WM_CLOSE ? 0 : DefWindowProcA(window, message, wparam, lparam);
}

using RunningInstance = bench;

} // namespace

// A plain start hands over once and ends without loading its data file; "/#Z" closes the running
// instance and, as it stays (finishing a delivery), ends after waiting 30 s. The instance is hidden like
// the real main window: the search finds it by class alone. A real instance's replacement: Startup below.
TEST_F(RunningInstance, SecondStartHandsOverOrReplacesTheRunningInstance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = instance_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Mivra_WClass";
    ASSERT_TRUE(RegisterClassA(&wc));
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, wc.lpszClassName, WS_POPUP, 0, 0, 10, 10,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(window && CreateMutexA(nullptr, TRUE, "Mivra_Mark")); // held until the test ends
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "another Mivra_Mark holder runs";
    // Arguments, the hand-overs and closes the instance receives.
    const std::tuple<const char *, int, int> rows[] = {{"", 1, 0}, {"/#Z", 0, 1}};
    for (const auto &[args, copies, closes] : rows) {
        SCOPED_TRACE(args);
        received.close_count = received.copy_data_count = 0;
        process &p = start_mivra("", args);
        DWORD code = 1;
        ASSERT_TRUE(wait_process_exit(p, 30000 + wait_ms, &code)) << describe_windows(p.id);
        EXPECT_EQ(code, 0u);
        pump_messages();
        EXPECT_EQ(received.copy_data_count, copies);
        EXPECT_EQ(received.close_count, closes);
        EXPECT_FALSE(file_exists(in_dir("mivra.ini"))) << "only an only instance loads its data file";
    }
    EXPECT_EQ(received.copy_data_bytes, std::string("1\0", 2));
    EXPECT_NE(received.sender, window) << "wParam must be the sender's own main window";
}

// ---- a real instance in the middle of a delivery -----------------------------------------------

// The first instance pastes "first", presses Tab and waits 3 s before "second": a later start lands
// in that wait. Without "/#z" it hands over and ends; with it, it takes over once the text is in, and
// at once from an instance whose menu is open.
TEST_F(Startup, LaterStartDuringADeliveryLetsTheWholeTextLandFirst)
{
    // Arguments of the later start, whether the first delivers, edit 1 and edit 2 at the end.
    const std::tuple<const char *, bool, const char *, const char *> rows[] = {
        {"", true, "[first]", "second"}, {"/#z", true, "[first]", "second"}, {"/#z", false, "[]", "xyz"}};
    for (const auto &[args, deliver, edit1, edit2] : rows) {
        SCOPED_TRACE(std::string(args) + (deliver ? " during a delivery" : " while the menu is open"));
        target_app &t = launch_target("[]", 1, 1, "xyz");
        process &first = start_mivra(lines({"[system]", "@replace=1", "@wait=100,1000,3000,0", "%end", "[data]",
                                            "first%$tb%second | 遅い(&S)", "%end"}));
        ASSERT_TRUE(wait_popup_menu(first.id));
        if (deliver) {
            press_key('S');
            ASSERT_TRUE(poll_until([&] { return window_text(t.edit1) == "[first]"; }))
                << window_text(t.edit1);
        }
        process &later = start_mivra("", args);
        expect_edit_text(t.edit2, edit2);
        EXPECT_TRUE(wait_process_exit(first)) << "the first instance stayed:\n" << describe_windows(first.id);
        if (*args) {
            EXPECT_TRUE(wait_popup_menu(later.id));
            press_key(VK_ESCAPE);
        }
        expect_ends_with_zero(later);
        EXPECT_EQ(window_text(t.edit1), edit1);
        EXPECT_EQ(window_text(t.edit2), edit2);
    }
}
