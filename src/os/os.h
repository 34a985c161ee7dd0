// The system seam: every service the portable rooms need from the outside world.
// Owns: nothing but the declarations. os/win32/ implements them with the real API; os/fake/
// implements them for host tests (in-memory clipboard, settable clock and folders, and an event log
// of key events, sleeps, clipboard writes, selection changes, message boxes and shell calls).
// Files are real files in both implementations. Texts are Shift-JIS byte strings.
#pragma once

#include <cstddef>
#include <cstdint>

// A window handle as a number (an HWND on Windows); 0 is no window.
typedef uintptr_t os_window;

struct os_point {
    int32_t x;
    int32_t y;
};

struct os_rect {
    int32_t left, top, right, bottom;
};

// ---- files ---------------------------------------------------------------------------------

// os_read_missing: no such file (or folder on its path); os_read_open_failed: it exists but cannot be
// opened (held without sharing, denied, a folder); os_read_failed: the read failed or came back short.
enum os_read_status {
    os_read_ok = 0,
    os_read_open_failed = 1,
    os_read_too_large = 2,
    os_read_failed = 3,
    os_read_missing = 4
};

// A whole file in memory: `size` bytes followed by a terminating zero. `status` is an os_read_status:
// why the read failed, or os_read_ok.
struct os_buffer {
    char *data;
    size_t size;
    int status = os_read_ok;
};

// Reads a whole file of at most `limit` bytes (shared for reading), never more than limit + 1 bytes
// of it. With create_if_missing, a missing file is created empty first (OPEN_ALWAYS). Returns 1 on
// success; 0 with out->status telling why, and no data, when the file is missing, cannot be opened,
// is larger than `limit`, or its read fails or comes back short. Free with os_free_buffer.
int os_read_whole_file(const char *path, int create_if_missing, size_t limit, os_buffer *out);
void os_free_buffer(os_buffer *buffer);

// Reads a whole file into a caller's buffer of `capacity` bytes (the text is terminated, so at most
// capacity - 1 bytes fit). *file_size receives the file's size whenever the file could be opened;
// a larger file is not read and gives os_read_too_large.
int os_read_file_into(const char *path, char *buffer, size_t capacity, size_t *file_size);

int os_file_exists(const char *path);
int os_is_directory(const char *path);
// GetFullPathNameA into out (260 bytes); returns the length it reports (0 on failure, >= 260 when
// the result did not fit, in which case out is unchanged).
size_t os_full_path(const char *name, char *out);
// SearchPathA into out (260 bytes) over path_list, or the system's default order when path_list is
// null. Returns the length it reports (0 when not found; >= 260 when it did not fit).
size_t os_search_path(const char *path_list, const char *name, char *out);
// Replaces a file's contents: the bytes are written to "<path>.new" beside it, which then replaces
// the file in one step, so a crash or a full disk never leaves it empty or half written. Returns 1
// on success; on failure (a read-only file among them) the old file is untouched and the scratch
// file removed.
int os_replace_file(const char *path, const char *data, size_t size);
// Appends bytes to an existing file (a missing one is not created, nor a read-only one written).
// When line_break is not null and the file does not end with LF, line_break is written first, so
// that the file's last line keeps its text. All or nothing: a write that fails or stops short is
// taken back to the old end of the file, and what was there before is never rewritten. Returns 1
// on success.
int os_append_existing_file(const char *path, const char *data, size_t size, const char *line_break);
// Copies a file over `to` (CopyFileA). Returns 1 on success.
int os_copy_file(const char *from, const char *to);
// Reads at most `count` bytes from the start of a file into buffer (not terminated): how many came.
// 0 when the file cannot be opened or is empty.
size_t os_read_file_start(const char *path, char *buffer, size_t count);

// ---- code pages ------------------------------------------------------------------------------

// Converts well-formed UTF-8 (characters of the Basic Multilingual Plane only, which the caller
// checks) to code page 932 into out, at most `capacity` bytes, not terminated. A character with no
// code page 932 form becomes "?", never a best-fit look-alike, and sets *replaced to 1. The result
// is never longer than the text and each piece is read before its result is written, so out may be
// the text itself. Returns the bytes written.
size_t os_utf8_to_sjis(const char *utf8, size_t size, char *out, size_t capacity, int *replaced);
// Converts a Shift-JIS text to UTF-8 into out (capacity includes the terminator); a byte that does
// not convert becomes "?". Returns 0 when the result did not fit.
int os_sjis_to_utf8(const char *text, char *out, size_t capacity);

// ---- clipboard (CF_TEXT) -----------------------------------------------------------------------

// Copies the clipboard text into buffer (capacity includes the terminator; a longer text is cut).
// Returns 1 when the clipboard holds text (possibly empty), 0 when it holds none or cannot be opened.
// *length, when not null, receives the full length of the clipboard text.
int os_clipboard_get_text(os_window owner, char *buffer, size_t capacity, size_t *length);
// Replaces the clipboard contents with text. Returns 1 on success, 0 on failure.
// CF_TEXT holds the bytes as given; beside it go CF_UNICODETEXT converted from code page 932 and
// CF_LOCALE Japanese (0x0411), whenever they can be made (CF_TEXT alone otherwise). A write that only
// serves a delivery (`delivery_only` 1) also carries the formats that clipboard tools agree to skip.
int os_clipboard_set_text(os_window owner, const char *text, int delivery_only);

// ---- time and folders ------------------------------------------------------------------------

struct os_time {
    int year, month, day, weekday; // weekday 0 = Sunday
    int hour, minute, second, milliseconds;
};
void os_local_time(os_time *out);
// GetTickCount: milliseconds since the system started (wraps after 49 days).
uint32_t os_ticks();
// SHGetSpecialFolderPathA(owner, out, csidl, FALSE); out is 260 bytes. Returns 1 on success.
int os_special_folder(os_window owner, int csidl, char *out);

// ---- input, waits, feedback --------------------------------------------------------------------

// keybd_event for one virtual key; extended sets KEYEVENTF_EXTENDEDKEY.
void os_key_event(int virtual_key, int key_up, int extended);
// Keys sent to a busy window wait in its queue. os_watch_key joins the input of the thread of `window`
// and notes the state of `key` there; os_wait_key_taken then waits, at most limit_ms, until that thread
// has read a press and the release of `key`, and leaves its input again.
struct os_key_watch {
    unsigned long thread;
    int key, toggle, attached;
};
void os_watch_key(os_window window, int key, os_key_watch *watch);
void os_wait_key_taken(os_key_watch *watch, int limit_ms);
void os_sleep(int milliseconds);
// MessageBeep(type).
void os_beep(unsigned type);
// Brings owner to the foreground, then MessageBoxA(owner, text, "Mivra", MB_ICONERROR).
void os_error_box(os_window owner, const char *text);
// ShellExecuteA(null, default verb, file, params, dir, SW_SHOWNORMAL); params and dir may be null.
void os_shell_open(const char *file, const char *params, const char *dir);

// ---- windows of the target ---------------------------------------------------------------------

// The foreground switch with the input attachment and foreground lock timeout dance.
void os_switch_foreground(os_window window);
// Attaches to the target's input, makes it the foreground window and reads its focus control, the
// caret (screen coordinates) and the selection (EM_GETSEL). Does not switch back.
void os_read_target_focus(os_window own, os_window target, os_window *focus, os_point *caret,
                          uint32_t *selection_start, uint32_t *selection_end);
// After the target was made the foreground window: gives the keyboard focus back to `control` (a
// control of target_window, or the window itself) when the target did not put it back. A program
// whose window procedure leaves WM_ACTIVATE to the system keeps the focus on its top-level window,
// where synthesised Ctrl+V and Tab go nowhere. Attaches to the target's input only for the moment of
// the check and SetFocus. A null control does nothing.
void os_restore_focus(os_window target_window, os_window control);
// 1 when `window` still exists and is `top` itself or a window inside it (IsWindow, IsChild).
int os_window_of(os_window window, os_window top);
// EM_GETSEL of an edit control (of any process); 0, 0 when it does not answer.
void os_read_selection(os_window control, uint32_t *start, uint32_t *end);
// EM_SETSEL / EM_REPLACESEL to an edit control (of any process).
void os_set_selection(os_window control, uint32_t start, uint32_t end);
void os_replace_selection(os_window control, const char *text);
// Window rectangle in screen pixels; returns 0 when the window does not exist.
int os_window_rect(os_window window, os_rect *out);
// Mouse cursor in screen pixels.
void os_cursor_pos(os_point *out);

// ---- monitors ------------------------------------------------------------------------------------

// A monitor's full rectangle and its work area (without the task bars), in screen pixels.
struct os_monitor {
    os_rect full;
    os_rect work;
};
// The monitor that holds `point`, or the nearest one. The primary monitor holds (0, 0). Returns 1
// on success.
int os_monitor_at(os_point point, os_monitor *out);
// The monitor that holds the largest part of `window`, or the nearest one; 0 when there is no such
// window.
int os_monitor_of_window(os_window window, os_monitor *out);
// SetTimer(window, id, 0, NULL); 0 when the system refused the timer.
int os_arm_timer(os_window window, int id);
// Asks the main window to close (WM_CLOSE), which ends the activation and the process.
void os_close_window(os_window window);

// ---- run-time libraries -------------------------------------------------------------------------

typedef uintptr_t os_library;

// Loads the library `name` (a bare file name) from the executable's own folder by its full path,
// never from the current directory or PATH; 0 when it is not there or cannot be loaded.
os_library os_load_library(const char *name);
// GetProcAddress; null when the library lacks the function.
void *os_library_function(os_library library, const char *name);
void os_free_library(os_library library);
// Calls `function` of a run-time library with `count` (at most 5) pointer-sized arguments and gives
// its result. Safe whether the library was built with the cdecl or the stdcall convention: the
// caller's stack is restored either way.
uintptr_t os_call_library(void *function, int count, const uintptr_t *args);
