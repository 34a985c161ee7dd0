// The end-to-end bench: fresh directories with copies of mivra.exe, processes, top-level windows,
// popup menus and message boxes of other processes, synthesised keys, the clipboard and the target
// program (target_app.cpp). Owns no state but the clipboard helper window; every wait polls with a
// timeout and pumps this thread's messages, so windows of the test keep answering meanwhile.
// Texts are Shift-JIS byte strings (the bench runs in code page 932).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

// Long enough for a loaded two-core machine; a passing test never waits this long.
constexpr DWORD wait_ms = 20000;

// ---- paths and files ---------------------------------------------------------------------------

std::string mivra_exe_path();  // build/win32/dist/mivra.exe as a Windows path
std::string target_exe_path(); // e2e_target.exe
std::string windows_path(const std::string &unix_or_windows_path);
std::string join_path(const std::string &dir, const std::string &name);
// A new, empty directory under the Windows temporary folder.
std::string make_temp_dir();
void remove_tree(const std::string &dir);
// Copies mivra.exe into dir under the given name; returns the copy's path ("" on failure).
std::string install_mivra(const std::string &dir, const std::string &name = "mivra.exe");
bool write_file(const std::string &path, const std::string &bytes);
bool read_file(const std::string &path, std::string *bytes);
bool file_exists(const std::string &path);

// ---- processes ---------------------------------------------------------------------------------

struct process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};

// CreateProcessA with the command line "exe" args, in work_dir; an empty process on failure.
process start_process(const std::string &exe, const std::string &args, const std::string &work_dir);
bool process_running(const process &p);
// True when the process ended within timeout; its exit code goes to *exit_code.
bool wait_process_exit(process &p, DWORD timeout, DWORD *exit_code);
// Terminates the process when it still runs and closes its handle.
void kill_process(process &p);
// Ends processes that own a window of the class (leftovers of an earlier failed run).
void kill_window_owners(const char *class_name);

// ---- waiting -----------------------------------------------------------------------------------

void pump_messages();

// Polls condition every few milliseconds until it holds or timeout passes, pumping messages.
template <class Condition> bool poll_until(Condition condition, DWORD timeout = wait_ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
    for (;;) {
        pump_messages();
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// ---- windows -----------------------------------------------------------------------------------

// A top-level window of the class and title (null matches any) owned by process pid (0: any).
HWND find_top_window(const char *class_name, const char *title, DWORD pid, bool visible_only);
HWND wait_top_window(const char *class_name, const char *title, DWORD pid, DWORD timeout = wait_ms);
// The visible popup menu window (class "#32768") of process pid (0: any), and its screen rectangle.
HWND find_popup_menu(DWORD pid, RECT *rect);
HWND wait_popup_menu(DWORD pid, RECT *rect, DWORD timeout = wait_ms);
// WM_GETTEXT, which also works for controls of another process.
std::string window_text(HWND window);
// The top-level windows of process pid, one line each (class, title, rectangle, visibility): what a
// failure message shows when a program did not do what was expected.
std::string describe_windows(DWORD pid);
std::string class_name(HWND window);
DWORD window_process(HWND window);

// ---- keys --------------------------------------------------------------------------------------

void key_down(BYTE virtual_key, bool extended = false);
void key_up(BYTE virtual_key, bool extended = false);
void press_key(BYTE virtual_key, bool extended = false);
void press_chord(BYTE modifier, BYTE virtual_key);
// Types printable ASCII with the keys of the current layout (Shift where needed).
void type_text(const std::string &ascii);

// ---- clipboard (CF_TEXT) -----------------------------------------------------------------------

bool set_clipboard_text(const std::string &text);
// False when the clipboard holds no text or stays locked.
bool get_clipboard_text(std::string *text);

// ---- message boxes -----------------------------------------------------------------------------

// The message box titled "Mivra" (class "#32770") of process pid (0: any).
HWND find_message_box(DWORD pid);
HWND wait_message_box(DWORD pid, DWORD timeout = wait_ms);
std::string message_box_text(HWND box);
// Presses its OK (or, failing that, Cancel) button.
bool dismiss_message_box(HWND box);

// ---- the target program ------------------------------------------------------------------------

struct target_app {
    process proc;
    HWND window = nullptr;
    HWND edit1 = nullptr;
    HWND edit2 = nullptr;
};

// Starts e2e_target.exe in dir with edit 1 holding text1 and the selection [sel_start, sel_end)
// (characters), edit 2 holding text2, and waits until its window is up with edit 1 focused. The
// texts travel through files in dir, so any bytes survive. With out_file, the target writes its
// texts there when it closes ("text1\0text2\0").
bool start_target(const std::string &dir, target_app *app, const std::string &text1, int sel_start,
                  int sel_end, const std::string &text2 = "", const std::string &out_file = "");
// EM_GETSEL of an edit control: start and end in characters.
void edit_selection(HWND edit, int *start, int *end);
// The control that has the keyboard focus in the thread of window (GetGUIThreadInfo).
HWND focus_of(HWND window);
// Caret rectangle in screen coordinates of the thread of window; false when it has no caret.
bool caret_rect(HWND window, RECT *rect);

// ---- test fixture ------------------------------------------------------------------------------

// A test with its own temporary directory dir_. The programs it launches are ended when the test
// ends, so a failing test leaves nothing behind; the directory is removed when the test passed.
class bench : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // An empty process (null handle) when the program could not be started.
    process &launch(const std::string &exe, const std::string &args, const std::string &work_dir);
    // The target program in dir_ (see start_target); its window is null when it did not come up.
    target_app &launch_target(const std::string &text1, int sel_start, int sel_end, const std::string &text2 = "",
                              const std::string &out_file = "");

    std::string dir_;

  private:
    std::deque<process> processes_;
    std::deque<target_app> targets_;
};

} // namespace e2e
