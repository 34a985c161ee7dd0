// The end-to-end bench: fresh directories with copies of mivra.exe, processes, windows of other
// processes, synthesised keys, the clipboard and the target program (target_app.cpp). Every wait polls
// with a timeout and pumps this thread's messages. Texts are Shift-JIS (the bench runs in code page 932).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace e2e {

// Long enough for a loaded two-core machine; a passing test never waits this long.
constexpr DWORD wait_ms = 20000;

// The target program: E2E_TARGET_PATH, or the one "--e2e_target=PATH" names (the 64-bit pass's x86-64 build).
extern std::string target_path;

// CMake passes Unix paths; Wine maps the Unix root to drive Z:.
std::string windows_path(const std::string &unix_or_windows_path);
std::string join_path(const std::string &dir, const std::string &name);
bool write_file(const std::string &path, const std::string &bytes);
// The file's bytes, or "<missing>" when it cannot be read.
std::string file_text(const std::string &path);
bool file_exists(const std::string &path);
// Data file lines, each ending in CR LF so that the last one is read too.
std::string lines(std::initializer_list<std::string> each);

struct process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};

// CreateProcessA with the command line "exe" args, in work_dir; an empty process on failure.
process start_process(const std::string &exe, const std::string &args, const std::string &work_dir);
bool process_running(const process &p);
void kill_process(process &p);
// True when the process ended within timeout; its exit code goes to *exit_code.
bool wait_process_exit(process &p, DWORD timeout = wait_ms, DWORD *exit_code = nullptr);

void pump_messages();

// Polls condition every few milliseconds until it holds or timeout passes, pumping messages.
template <class Condition> bool poll_until(Condition condition, DWORD timeout = wait_ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
    for (pump_messages(); !condition(); pump_messages()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The top-level windows of the class (null: any) of process pid (0: any), top of the Z order first.
std::vector<HWND> top_windows(const char *class_name, DWORD pid, bool visible_only = true);
HWND find_window(const char *class_name, DWORD pid); // the first visible one, or null
DWORD window_process(HWND window);
// The visible popup menu window (class "#32768") of process pid and its screen rectangle; the wait
// fails showing pid's windows when none opens.
HWND find_popup_menu(DWORD pid, RECT *rect = nullptr);
HWND wait_popup_menu(DWORD pid, RECT *rect = nullptr);
// Waits for a popup menu of process pid placed or sized otherwise than `previous`; its rectangle.
RECT next_popup(DWORD pid, const RECT &previous);
// Dismisses the message box titled "Mivra" of the process once it shows, with its icon, the process
// waiting for it; its text, "" when none showed.
std::string take_message_box(const process &p);
std::string window_text(HWND window); // WM_GETTEXT: also for controls of another process
// The top-level windows of process pid, one line each: what a failure message shows.
std::string describe_windows(DWORD pid);
GUITHREADINFO gui_info(HWND window); // of the window's thread: its focus, its caret
// Where a start lists `window` among the candidate targets (top of the Z order first); -1 when not.
int listed_index(HWND window);
// Control `id` of a dialog of process pid (the search window: 100 its edit line, 200 its list).
HWND dialog_control(DWORD pid, int id);
// The search window's edit line once it is visible with the focus; null and a failure when not.
HWND wait_search_edit(DWORD pid);

// Navigation keys are sent as extended keys; a modifier (VK_SHIFT, VK_CONTROL) is held around the key.
void press_key(BYTE virtual_key, BYTE modifier = 0);
// Pseudo keys of press_keys: wait for 2, 3 or 4 open menus, or for a menu placed or sized otherwise.
constexpr BYTE next_menu = 0xF1, open_menus_2 = 0xF2, open_menus_3 = 0xF3, open_menus_4 = 0xF4;
// Presses the keys in the menus and windows of process pid; '@' is typed.
void press_keys(DWORD pid, const std::vector<BYTE> &keys);
// Chooses entry `index` of an open menu whose first entry is highlighted: Down index times, Enter.
void choose_entry(int index);
void type_text(const std::string &ascii); // printable ASCII, with Shift where the layout needs it

// With `format` (a registered name), that format goes beside the text holding a DWORD 0.
bool set_clipboard_text(const std::string &text, const char *format = nullptr);
// CF_TEXT and CF_UNICODETEXT, or "<no text>" when the clipboard holds none or stays locked.
std::string clipboard_text();
std::wstring clipboard_unicode();

struct target_app {
    process proc;
    HWND window = nullptr, edit1 = nullptr, edit2 = nullptr;
};

// A test in its own temporary directory dir_, removed when the test passed; the programs it launches
// end with the test.
class bench : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::string in_dir(const std::string &name) const { return join_path(dir_, name); }
    std::string with_dir(std::string text) const; // "$DIR" stands for the test's directory
    // Copies the file of the dist folder into dir_ (under the name `as`); "" and a failure when it cannot.
    std::string install(const std::string &name = "mivra.exe", const std::string &as = "");
    void install_dictionary(); // the romaji dictionary, into dir_\dict
    // An empty process (null handle) and a failure when the program could not be started.
    process &launch(const std::string &exe, const std::string &args, const std::string &work_dir);
    // mivra.exe of dir_ with the data file ini ("" writes none) and args (with_dir), in dir_.
    process &start_mivra(const std::string &ini, const std::string &args = "");
    // e2e_target.exe (see target_app.cpp), up and in front with the focus in edit 1; else a failure.
    target_app &launch_target(const std::string &text1, int sel_start, int sel_end,
                              const std::string &text2 = "", bool plain = false);

    std::string dir_;

  private:
    std::deque<process> processes_; // the targets' too
    std::deque<target_app> targets_;
};

// The process (mivra.exe, hist.exe) ends by itself within timeout with exit code 0.
void expect_ends_with_zero(process &p, DWORD timeout = wait_ms);
void expect_edit_text(HWND edit, const std::string &expected, DWORD timeout = wait_ms);
// Types "#" into edit 1 of the target in front. Input is handled in order, so once the mark shows every
// key sent before it (a late paste too) was handled; before + "#" + after proves the selection kept.
void expect_untouched_after_mark(target_app &t, const std::string &before, const std::string &after);

} // namespace e2e
