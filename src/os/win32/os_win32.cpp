// The system seam over the real Win32 API (ANSI functions, code page 932 texts).
#include <windows.h>

#include <cstring>

#include "os/os.h"
#include "os/win32/os_win32.h"
#include "text/sjis.h"

static HWND as_hwnd(os_window w) { return reinterpret_cast<HWND>(w); }

// A hung target must not hang the program: cross-process sends give up after this long.
static const UINT send_timeout_ms = 5000;
static const int key_taken_poll_ms = 5;

static LRESULT send_bounded(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL | SMTO_ABORTIFHUNG, send_timeout_ms,
                             &result))
        return 0;
    return static_cast<LRESULT>(result);
}

// ---- files ---------------------------------------------------------------------------------

static int open_failure()
{
    const DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? os_read_missing
                                                                            : os_read_open_failed;
}

// Reads until `want` bytes are in or the file ends; false when a read fails.
static bool read_up_to(HANDLE file, char *data, size_t want, size_t *got)
{
    *got = 0;
    while (*got < want) {
        DWORD part = 0;
        if (!ReadFile(file, data + *got, static_cast<DWORD>(want - *got), &part, nullptr))
            return false;
        if (part == 0)
            return true;
        *got += part;
    }
    return true;
}

int os_read_whole_file(const char *path, int create_if_missing, size_t limit, os_buffer *out)
{
    out->data = nullptr;
    out->size = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              create_if_missing ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        out->status = open_failure();
        return 0;
    }
    // The size only sizes the buffer; the read itself stops one byte past the limit.
    DWORD high = 0;
    const DWORD size = GetFileSize(file, &high);
    int status = os_read_ok;
    char *data = nullptr;
    size_t got = 0;
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        status = os_read_failed;
    else if (high != 0 || size > limit)
        status = os_read_too_large;
    else if (!(data = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, size + 2))))
        status = os_read_failed;
    else if (!read_up_to(file, data, static_cast<size_t>(size) + 1, &got) || got != size)
        status = got > limit ? os_read_too_large : os_read_failed;
    CloseHandle(file);
    out->status = status;
    if (status != os_read_ok) {
        if (data)
            HeapFree(GetProcessHeap(), 0, data);
        return 0;
    }
    data[got] = '\0';
    out->data = data;
    out->size = got;
    return 1;
}

void os_free_buffer(os_buffer *buffer)
{
    if (buffer->data)
        HeapFree(GetProcessHeap(), 0, buffer->data);
    buffer->data = nullptr;
    buffer->size = 0;
}

int os_read_file_into(const char *path, char *buffer, size_t capacity, size_t *file_size)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return open_failure();
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        CloseHandle(file);
        return os_read_failed;
    }
    if (file_size)
        *file_size = high ? SIZE_MAX : size;
    if (high != 0 || static_cast<size_t>(size) + 1 > capacity) {
        CloseHandle(file);
        return os_read_too_large;
    }
    // One byte more when it fits, so that a file grown since its size was asked reads as a failure.
    size_t got = 0;
    const bool ok =
        read_up_to(file, buffer, static_cast<size_t>(size) + 1 < capacity ? size + 1 : size, &got);
    CloseHandle(file);
    buffer[ok ? got : 0] = '\0';
    return (ok && got == size) ? os_read_ok : os_read_failed;
}

size_t os_read_file_start(const char *path, char *buffer, size_t count)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    size_t got = 0;
    if (!read_up_to(file, buffer, count, &got))
        got = 0;
    CloseHandle(file);
    return got;
}

// ---- code pages ------------------------------------------------------------------------------

// Pieces of this many bytes go through UTF-16 on the stack; a piece ends before a character's
// continuation bytes, so that no character is split between two.
static const size_t utf8_piece = 512;

size_t os_utf8_to_sjis(const char *utf8, size_t size, char *out, size_t capacity, int *replaced)
{
    size_t written = 0;
    for (size_t at = 0; at < size;) {
        size_t piece = size - at < utf8_piece ? size - at : utf8_piece;
        while (piece > 1 && at + piece < size &&
               (static_cast<unsigned char>(utf8[at + piece]) & 0xC0) == 0x80)
            --piece;
        WCHAR wide[utf8_piece];
        const int wide_length = MultiByteToWideChar(CP_UTF8, 0, utf8 + at, static_cast<int>(piece), wide,
                                                    static_cast<int>(utf8_piece));
        // Each UTF-16 unit gives at most two bytes.
        char sjis[2 * utf8_piece];
        BOOL used_default = FALSE;
        const int sjis_length = wide_length > 0
                                    ? WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, wide_length, sjis,
                                                          sizeof sjis, "?", &used_default)
                                    : 0;
        if (used_default)
            *replaced = 1;
        size_t take = sjis_length > 0 ? static_cast<size_t>(sjis_length) : 0;
        take = take < capacity - written ? take : capacity - written;
        memmove(out + written, sjis, take);
        written += take;
        at += piece;
    }
    return written;
}

int os_sjis_to_utf8(const char *text, char *out, size_t capacity)
{
    out[0] = '\0';
    const size_t length = strlen(text);
    if (length == 0)
        return 1;
    if (length > 0x7FFFFFFF || capacity > 0x7FFFFFFF)
        return 0;
    const int wide_length = MultiByteToWideChar(932, 0, text, static_cast<int>(length), nullptr, 0);
    if (wide_length <= 0)
        return 0;
    WCHAR *wide = static_cast<WCHAR *>(
        HeapAlloc(GetProcessHeap(), 0, static_cast<size_t>(wide_length) * sizeof(WCHAR)));
    if (!wide)
        return 0;
    MultiByteToWideChar(932, 0, text, static_cast<int>(length), wide, wide_length);
    const int utf8_length = WideCharToMultiByte(CP_UTF8, 0, wide, wide_length, out,
                                                static_cast<int>(capacity) - 1, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, wide);
    out[utf8_length > 0 ? utf8_length : 0] = '\0';
    return utf8_length > 0 ? 1 : 0;
}

// As shlwapi's path tests ask (without importing shlwapi): a drive without its medium answers "no"
// instead of the system's error box.
static DWORD path_attributes(const char *path)
{
    const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    const DWORD attributes = path ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
    SetErrorMode(mode);
    return attributes;
}

int os_file_exists(const char *path) { return path_attributes(path) != INVALID_FILE_ATTRIBUTES ? 1 : 0; }

int os_is_directory(const char *path)
{
    const DWORD attributes = path_attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

size_t os_full_path(const char *name, char *out)
{
    char buffer[MAX_PATH];
    char *file_part = nullptr;
    DWORD length = GetFullPathNameA(name, MAX_PATH, buffer, &file_part);
    if (length > 0 && length < MAX_PATH)
        copy_text(out, path_capacity, buffer);
    return length;
}

size_t os_search_path(const char *path_list, const char *name, char *out)
{
    char buffer[MAX_PATH];
    char *file_part = nullptr;
    DWORD length = SearchPathA(path_list, name, nullptr, MAX_PATH, buffer, &file_part);
    if (length > 0 && length < MAX_PATH)
        copy_text(out, path_capacity, buffer);
    return length;
}

static bool write_all(HANDLE file, const char *data, size_t size)
{
    DWORD put = 0;
    return WriteFile(file, data, static_cast<DWORD>(size), &put, nullptr) && put == size;
}

// The read-only attribute is the user's word that a file stays as it is. Windows refuses to write
// or replace such a file anyway; asked here, it also holds where the system lets a privileged
// process through (Wine run as root ignores it).
static bool read_only(const char *path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

int os_replace_file(const char *path, const char *data, size_t size)
{
    if (read_only(path))
        return 0;
    char scratch[MAX_PATH + 8];
    copy_text(scratch, sizeof scratch, path);
    if (!append_text(scratch, sizeof scratch, ".new"))
        return 0;
    HANDLE file = CreateFileA(scratch, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    bool ok = write_all(file, data, size) && FlushFileBuffers(file);
    CloseHandle(file);
    if (ok && MoveFileExA(scratch, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 1;
    DeleteFileA(scratch);
    return 0;
}

static bool seek_to(HANDLE file, LONGLONG offset)
{
    LARGE_INTEGER at;
    at.QuadPart = offset;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
}

int os_append_existing_file(const char *path, const char *data, size_t size, const char *line_break)
{
    if (read_only(path))
        return 0;
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    LARGE_INTEGER end;
    bool ok = GetFileSizeEx(file, &end) != 0;
    char last = '\n';
    DWORD got = 0;
    if (ok && end.QuadPart > 0)
        ok = seek_to(file, end.QuadPart - 1) && ReadFile(file, &last, 1, &got, nullptr) && got == 1;
    ok = ok && seek_to(file, end.QuadPart);
    const bool break_first = line_break != nullptr && last != '\n';
    const bool wrote = ok && (!break_first || write_all(file, line_break, strlen(line_break))) &&
                       write_all(file, data, size);
    // A short write is taken back, so the file ends where it ended.
    if (ok && !wrote && seek_to(file, end.QuadPart))
        SetEndOfFile(file);
    CloseHandle(file);
    return wrote ? 1 : 0;
}

int os_copy_file(const char *from, const char *to)
{
    return CopyFileA(from, to, FALSE) ? 1 : 0;
}

// ---- clipboard ---------------------------------------------------------------------------------

// Another program (a clipboard recorder) may hold the clipboard for a moment after every change.
static bool open_clipboard_retrying(os_window owner)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(as_hwnd(owner)))
            return true;
        Sleep(10);
    }
    return false;
}

// The formats that clipboard tools (history recorders, cloud clipboards) agree to skip; their data
// does not matter.
static const char *const skip_mark_names[] = {"ExcludeClipboardContentFromMonitorProcessing",
                                              "Clipboard Viewer Ignore"};

// With the clipboard open: its content carries a skip mark, or "CanIncludeInClipboardHistory" as 0.
static bool asks_to_be_skipped()
{
    for (const char *name : skip_mark_names) {
        const UINT format = RegisterClipboardFormatA(name);
        if (format != 0 && IsClipboardFormatAvailable(format))
            return true;
    }
    const UINT history_flag = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
    HANDLE block = history_flag != 0 ? GetClipboardData(history_flag) : nullptr;
    const DWORD *flag = block ? static_cast<const DWORD *>(GlobalLock(block)) : nullptr;
    const bool refused = flag && GlobalSize(block) >= sizeof(DWORD) && *flag == 0;
    if (flag)
        GlobalUnlock(block);
    return refused;
}

// Marks and text are read in one open of the clipboard: a writer puts all its formats in one open.
static int read_clipboard_text(os_window owner, char *buffer, size_t capacity, size_t *length, bool honour_marks)
{
    if (capacity > 0)
        buffer[0] = '\0';
    if (length)
        *length = 0;
    if (!IsClipboardFormatAvailable(CF_TEXT) || !open_clipboard_retrying(owner))
        return 0;
    if (honour_marks && asks_to_be_skipped()) {
        CloseClipboard();
        return 0;
    }
    int result = 0;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (data) {
        const char *text = static_cast<const char *>(GlobalLock(data));
        if (text) {
            // The block may lack a terminator; never read past its size.
            size_t block = GlobalSize(data);
            size_t n = strnlen(text, block);
            copy_text_n(buffer, capacity, text, n);
            if (length)
                *length = n;
            GlobalUnlock(data);
            result = 1;
        }
    }
    CloseClipboard();
    return result;
}

int os_clipboard_get_text(os_window owner, char *buffer, size_t capacity, size_t *length)
{
    return read_clipboard_text(owner, buffer, capacity, length, false);
}

int os_clipboard_get_recordable_text(os_window owner, char *buffer, size_t capacity)
{
    return read_clipboard_text(owner, buffer, capacity, nullptr, true);
}

// A movable global block holding a copy of size bytes; null when it cannot be had.
static HGLOBAL global_copy(const void *data, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return nullptr;
    void *target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return nullptr;
    }
    memcpy(target, data, size);
    GlobalUnlock(block);
    return block;
}

// The text as CF_UNICODETEXT, converted from code page 932 (not from the code page of the current
// keyboard layout, which the system would use); null when the conversion fails.
static HGLOBAL unicode_block(const char *text, size_t length)
{
    if (length + 1 > 0x7FFFFFFF)
        return nullptr;
    const int bytes = static_cast<int>(length + 1); // with the terminator
    int wide_length = MultiByteToWideChar(932, 0, text, bytes, nullptr, 0);
    if (wide_length <= 0)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<size_t>(wide_length) * sizeof(WCHAR));
    if (!block)
        return nullptr;
    WCHAR *target = static_cast<WCHAR *>(GlobalLock(block));
    int converted = target ? MultiByteToWideChar(932, 0, text, bytes, target, wide_length) : 0;
    if (target)
        GlobalUnlock(block);
    if (converted != wide_length) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

// Puts one more format beside CF_TEXT; a block the clipboard did not take is freed.
static void put_extra_format(UINT format, HGLOBAL block)
{
    if (block && !SetClipboardData(format, block))
        GlobalFree(block);
}

static void put_skip_marks()
{
    for (const char *name : skip_mark_names) {
        const UINT format = RegisterClipboardFormatA(name);
        const DWORD none = 0;
        if (format != 0)
            put_extra_format(format, global_copy(&none, sizeof none));
    }
}

int os_clipboard_set_text(os_window owner, const char *text, int delivery_only)
{
    const size_t length = strlen(text);
    HGLOBAL ansi = global_copy(text, length + 1);
    if (!ansi)
        return 0;
    // Unicode programs read CF_UNICODETEXT; CF_LOCALE (Japanese) makes the system's own
    // conversions (CF_OEMTEXT, and readers of older formats) use code page 932 as well. Both are
    // extras: without them CF_TEXT alone is put.
    HGLOBAL wide = unicode_block(text, length);
    const DWORD japanese_lcid = 0x0411;
    HGLOBAL locale = global_copy(&japanese_lcid, sizeof japanese_lcid);
    if (!open_clipboard_retrying(owner)) {
        GlobalFree(ansi);
        if (wide)
            GlobalFree(wide);
        if (locale)
            GlobalFree(locale);
        return 0;
    }
    EmptyClipboard();
    int result = 0;
    if (SetClipboardData(CF_TEXT, ansi)) {
        result = 1;
        put_extra_format(CF_UNICODETEXT, wide);
        put_extra_format(CF_LOCALE, locale);
        if (delivery_only)
            put_skip_marks();
    } else {
        GlobalFree(ansi);
        if (wide)
            GlobalFree(wide);
        if (locale)
            GlobalFree(locale);
    }
    CloseClipboard();
    return result;
}

// ---- time and folders ------------------------------------------------------------------------

uint32_t os_ticks() { return GetTickCount(); }

void os_local_time(os_time *out)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    out->year = now.wYear;
    out->month = now.wMonth;
    out->day = now.wDay;
    out->weekday = now.wDayOfWeek;
    out->hour = now.wHour;
    out->minute = now.wMinute;
    out->second = now.wSecond;
    out->milliseconds = now.wMilliseconds;
}

int os_special_folder(os_window owner, int csidl, char *out)
{
    typedef BOOL(WINAPI * special_folder_fn)(HWND, LPSTR, int, BOOL);
    const special_folder_fn special_folder =
        reinterpret_cast<special_folder_fn>(os_system_function("shell32.dll", "SHGetSpecialFolderPathA"));
    char buffer[MAX_PATH] = "";
    if (!special_folder || !special_folder(as_hwnd(owner), buffer, csidl, FALSE))
        return 0;
    copy_text(out, path_capacity, buffer);
    return 1;
}

// ---- input, waits, feedback --------------------------------------------------------------------

void os_key_event(int virtual_key, int key_up, int extended)
{
    DWORD flags = (key_up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    BYTE scan = static_cast<BYTE>(MapVirtualKeyA(static_cast<UINT>(virtual_key), 0));
    keybd_event(static_cast<BYTE>(virtual_key), scan, flags, 0);
}

void os_watch_key(os_window window, int key, os_key_watch *watch)
{
    const DWORD own = GetCurrentThreadId();
    const DWORD thread = window ? GetWindowThreadProcessId(as_hwnd(window), nullptr) : 0;
    watch->thread = thread;
    watch->key = key;
    // This thread joins the target's input, never the other way round: under Wine a thread that
    // leaves its input behind drops the keys still queued there.
    watch->attached = thread && thread != own && AttachThreadInput(own, thread, TRUE);
    watch->toggle = GetKeyState(key) & 1;
}

// The shared key state follows the keys as the target's thread reads them; the release of the key
// pressed first is the last of them.
void os_wait_key_taken(os_key_watch *watch, int limit_ms)
{
    if (!watch->attached)
        return;
    const DWORD start = GetTickCount();
    for (;;) {
        const SHORT state = GetKeyState(watch->key);
        if ((state & 1) != watch->toggle && !(state & 0x8000))
            break;
        if (GetTickCount() - start >= static_cast<DWORD>(limit_ms))
            break;
        os_sleep(key_taken_poll_ms);
    }
    AttachThreadInput(GetCurrentThreadId(), watch->thread, FALSE);
    watch->attached = 0;
}

// Delivery waits block the activation, but messages that other processes send to the clipboard
// owner (a paste in the target reads our clipboard) are answered meanwhile, or both would wait.
void os_sleep(int milliseconds)
{
    DWORD start = GetTickCount();
    DWORD total = milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0;
    for (;;) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        DWORD spent = GetTickCount() - start;
        if (spent >= total)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, total - spent, QS_SENDMESSAGE);
    }
}

void os_beep(unsigned type) { MessageBeep(type); }

void os_error_box(os_window owner, const char *text)
{
    SetForegroundWindow(as_hwnd(owner));
    MessageBoxA(as_hwnd(owner), text, "Mivra", MB_ICONERROR);
}

void os_shell_open(const char *file, const char *params, const char *dir)
{
    typedef HINSTANCE(WINAPI * shell_execute_fn)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    const shell_execute_fn shell_execute =
        reinterpret_cast<shell_execute_fn>(os_system_function("shell32.dll", "ShellExecuteA"));
    if (shell_execute)
        shell_execute(nullptr, nullptr, file, params, dir, SW_SHOWNORMAL);
}

// ---- windows of the target ---------------------------------------------------------------------

void os_switch_foreground(os_window window)
{
    HWND hwnd = as_hwnd(window);
    DWORD foreground_thread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    DWORD window_thread = GetWindowThreadProcessId(hwnd, nullptr);
    BOOL attached = FALSE;
    if (foreground_thread && window_thread && foreground_thread != window_thread)
        attached = AttachThreadInput(window_thread, foreground_thread, TRUE);
    // The system-wide timeout is lowered only when it could be read, and only the value read is
    // written back: a failed read must leave the setting as it was, never 0.
    DWORD saved_timeout = 0;
    BOOL have_saved = SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &saved_timeout, 0);
    if (have_saved)
        SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<PVOID>(0), 0);
    SetForegroundWindow(hwnd);
    if (have_saved)
        SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                              reinterpret_cast<PVOID>(static_cast<UINT_PTR>(saved_timeout)), 0);
    if (attached) {
        AttachThreadInput(window_thread, foreground_thread, FALSE);
        // Wine drops the foreground when the input queues are detached again; Windows keeps it,
        // so this second call changes nothing there.
        if (GetForegroundWindow() != hwnd)
            SetForegroundWindow(hwnd);
    }
}

void os_read_target_focus(os_window own, os_window target, os_window *focus, os_point *caret,
                          uint32_t *selection_start, uint32_t *selection_end)
{
    HWND target_hwnd = as_hwnd(target);
    DWORD own_thread = GetWindowThreadProcessId(as_hwnd(own), nullptr);
    DWORD target_thread = GetWindowThreadProcessId(target_hwnd, nullptr);
    // The thread's GUI info reports the caret on both systems, but under Wine only before the
    // input attachment; GetCaretPos through the attachment reads (0, 0) there. Windows gives the
    // same point both ways.
    GUITHREADINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    bool have_info = target_thread && GetGUIThreadInfo(target_thread, &info);
    const bool was_foreground = GetForegroundWindow() == target_hwnd;
    BOOL attached = FALSE;
    if (own_thread && target_thread && own_thread != target_thread)
        attached = AttachThreadInput(target_thread, own_thread, TRUE);
    SetForegroundWindow(target_hwnd);
    HWND focus_hwnd = GetFocus();
    if (!focus_hwnd && have_info)
        focus_hwnd = info.hwndFocus;
    POINT point = {0, 0};
    if (have_info && info.hwndCaret) {
        point.x = info.rcCaret.left;
        point.y = info.rcCaret.top;
        ClientToScreen(info.hwndCaret, &point);
    } else {
        GetCaretPos(&point);
        if (focus_hwnd)
            ClientToScreen(focus_hwnd, &point);
    }
    if (attached)
        AttachThreadInput(target_thread, own_thread, FALSE);
    // A window that was not in front (one chosen from the window list) has no caret until it has
    // handled its activation, which it does in its own time: wait for it a little.
    if (!was_foreground && !(have_info && info.hwndCaret) && target_thread) {
        for (int poll = 0; poll < 25; ++poll) {
            os_sleep(10);
            GUITHREADINFO later;
            memset(&later, 0, sizeof later);
            later.cbSize = sizeof later;
            if (GetGUIThreadInfo(target_thread, &later) && later.hwndCaret) {
                point.x = later.rcCaret.left;
                point.y = later.rcCaret.top;
                ClientToScreen(later.hwndCaret, &point);
                if (later.hwndFocus)
                    focus_hwnd = later.hwndFocus;
                break;
            }
        }
    }

    *focus = reinterpret_cast<os_window>(focus_hwnd);
    caret->x = point.x;
    caret->y = point.y;
    os_read_selection(*focus, selection_start, selection_end);
}

// The keyboard focus of a thread's input (GetGUIThreadInfo needs no attachment).
static HWND thread_focus(DWORD thread)
{
    GUITHREADINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void os_restore_focus(os_window target_window, os_window control)
{
    HWND control_hwnd = as_hwnd(control);
    if (!control_hwnd || !IsWindow(control_hwnd))
        return;
    // Only a control of the target (a record left from another target is not touched), and only while
    // the target is the foreground window: SetFocus would otherwise activate it behind the user's back.
    HWND root = GetAncestor(control_hwnd, GA_ROOT);
    if (target_window && root != GetAncestor(as_hwnd(target_window), GA_ROOT))
        return;
    DWORD control_thread = GetWindowThreadProcessId(control_hwnd, nullptr);
    DWORD own_thread = GetCurrentThreadId();
    if (!control_thread)
        return;
    // A few rounds, in case the target's own activation moves the focus to its frame after ours.
    for (int round = 0; round < 3; ++round) {
        // The target first handles what its activation sent it (Wine activates another thread's window
        // with a notification that the target reads later). A hung target is left alone: SetFocus
        // would wait for it without bound.
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutA(root, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, send_timeout_ms,
                                 &ignored))
            return;
        if (GetForegroundWindow() != root || thread_focus(control_thread) == control_hwnd)
            return;
        // This thread joins the target's input and leaves it again; the target keeps the foreground
        // and its focus (Wine moves them with the thread that detaches, which is this one).
        BOOL attached = FALSE;
        if (control_thread != own_thread && !(attached = AttachThreadInput(own_thread, control_thread, TRUE)))
            return;
        if (GetFocus() != control_hwnd)
            SetFocus(control_hwnd);
        if (attached)
            AttachThreadInput(own_thread, control_thread, FALSE);
    }
}

int os_window_of(os_window window, os_window top)
{
    HWND hwnd = as_hwnd(window), top_hwnd = as_hwnd(top);
    return hwnd && top_hwnd && IsWindow(hwnd) && (hwnd == top_hwnd || IsChild(top_hwnd, hwnd)) ? 1 : 0;
}

void os_read_selection(os_window control, uint32_t *start, uint32_t *end)
{
    DWORD s = 0, e = 0;
    if (control)
        send_bounded(as_hwnd(control), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    *start = s;
    *end = e;
}

void os_set_selection(os_window control, uint32_t start, uint32_t end)
{
    if (control)
        send_bounded(as_hwnd(control), EM_SETSEL, start, end);
}

void os_replace_selection(os_window control, const char *text)
{
    if (control)
        send_bounded(as_hwnd(control), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text));
}

int os_window_rect(os_window window, os_rect *out)
{
    RECT rect;
    if (!window || !IsWindow(as_hwnd(window)) || !GetWindowRect(as_hwnd(window), &rect))
        return 0;
    out->left = rect.left;
    out->top = rect.top;
    out->right = rect.right;
    out->bottom = rect.bottom;
    return 1;
}

// ---- monitors ------------------------------------------------------------------------------------

static os_rect os_rect_of(const RECT &r)
{
    return os_rect{r.left, r.top, r.right, r.bottom};
}

static int read_monitor(HMONITOR monitor, os_monitor *out)
{
    MONITORINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoA(monitor, &info))
        return 0;
    out->full = os_rect_of(info.rcMonitor);
    out->work = os_rect_of(info.rcWork);
    return 1;
}

int os_monitor_at(os_point point, os_monitor *out)
{
    POINT p = {point.x, point.y};
    return read_monitor(MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST), out);
}

int os_monitor_of_window(os_window window, os_monitor *out)
{
    if (!window || !IsWindow(as_hwnd(window)))
        return 0;
    return read_monitor(MonitorFromWindow(as_hwnd(window), MONITOR_DEFAULTTONEAREST), out);
}

uint32_t os_dpi_at(os_point point)
{
    typedef HRESULT(WINAPI * dpi_for_monitor_fn)(HMONITOR, int, UINT *, UINT *);
    const dpi_for_monitor_fn dpi_for_monitor =
        reinterpret_cast<dpi_for_monitor_fn>(os_system_function("shcore.dll", "GetDpiForMonitor"));
    POINT p = {point.x, point.y};
    HMONITOR monitor = MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST);
    UINT x = 0, y = 0;
    const int effective_dpi = 0; // MDT_EFFECTIVE_DPI
    if (monitor && dpi_for_monitor && dpi_for_monitor(monitor, effective_dpi, &x, &y) == S_OK && y > 0)
        return y;
    HDC screen = GetDC(nullptr);
    const int logical = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return logical > 0 ? static_cast<uint32_t>(logical) : 96;
}

void os_cursor_pos(os_point *out)
{
    POINT point = {0, 0};
    GetCursorPos(&point);
    out->x = point.x;
    out->y = point.y;
}

int os_arm_timer(os_window window, int id)
{
    return SetTimer(as_hwnd(window), static_cast<UINT_PTR>(id), 0, nullptr) != 0 ? 1 : 0;
}

void os_close_window(os_window window) { PostMessageA(as_hwnd(window), WM_CLOSE, 0, 0); }

// ---- run-time libraries -------------------------------------------------------------------------

static const int system_library_capacity = 4;
static struct {
    char name[32];
    HMODULE module;
} system_libraries[system_library_capacity];

void *os_system_function(const char *library, const char *name)
{
    int slot = 0;
    while (slot < system_library_capacity && system_libraries[slot].module &&
           !equals_nocase(system_libraries[slot].name, library))
        ++slot;
    if (slot == system_library_capacity)
        return nullptr;
    if (!system_libraries[slot].module) {
        // By its full path: a bare name is also looked for in the current directory.
        char path[MAX_PATH];
        const UINT length = GetSystemDirectoryA(path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH || !append_text(path, sizeof path, "\\") ||
            !append_text(path, sizeof path, library) ||
            !copy_text(system_libraries[slot].name, sizeof system_libraries[slot].name, library))
            return nullptr;
        system_libraries[slot].module = LoadLibraryA(path);
        if (!system_libraries[slot].module)
            return nullptr;
    }
    return reinterpret_cast<void *>(GetProcAddress(system_libraries[slot].module, name));
}

// Only the copy beside the program is loaded: a bare name would also be looked for in the current
// directory and along PATH, where a planted library would run inside the program. The libraries it
// needs in turn are looked for from its folder first (the altered search path).
os_library os_load_library(const char *name)
{
    char exe[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, exe, sizeof exe);
    if (length == 0 || length >= sizeof exe)
        return 0;
    char drive[path_capacity], dir[path_capacity], path[MAX_PATH];
    split_path(exe, drive, dir, nullptr, nullptr);
    if (!copy_text(path, sizeof path, drive) || !append_text(path, sizeof path, dir) ||
        !append_text(path, sizeof path, name))
        return 0;
    return reinterpret_cast<os_library>(LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void *os_library_function(os_library library, const char *name)
{
    if (!library)
        return nullptr;
    return reinterpret_cast<void *>(GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

void os_free_library(os_library library)
{
    if (library)
        FreeLibrary(reinterpret_cast<HMODULE>(library));
}

#if defined(__i386__)
// The stack pointer is kept in a register that both conventions preserve (edi) and put back after
// the call, so a stdcall function that pops its arguments and a cdecl one that leaves them on the
// stack both return to a correct stack.
extern "C" uintptr_t mivra_call_any(void *function, int count, const uintptr_t *args);
__asm__(".text\n"
        ".globl _mivra_call_any\n"
        "_mivra_call_any:\n"
        "    pushl %ebp\n"
        "    movl %esp, %ebp\n"
        "    pushl %esi\n"
        "    pushl %edi\n"
        "    movl 12(%ebp), %ecx\n"
        "    movl 16(%ebp), %esi\n"
        "    movl %esp, %edi\n"
        "1:  testl %ecx, %ecx\n"
        "    jz 2f\n"
        "    pushl -4(%esi,%ecx,4)\n"
        "    decl %ecx\n"
        "    jmp 1b\n"
        "2:  call *8(%ebp)\n"
        "    movl %edi, %esp\n"
        "    popl %edi\n"
        "    popl %esi\n"
        "    popl %ebp\n"
        "    ret\n");
#else
// x86-64 has one calling convention: the caller restores its own stack.
extern "C" uintptr_t mivra_call_any(void *function, int count, const uintptr_t *args)
{
    typedef uintptr_t (*five)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
    uintptr_t a[5] = {};
    for (int i = 0; i < count; ++i)
        a[i] = args[i];
    return reinterpret_cast<five>(function)(a[0], a[1], a[2], a[3], a[4]);
}
#endif

uintptr_t os_call_library(void *function, int count, const uintptr_t *args)
{
    if (!function || count < 0 || count > 5)
        return 0;
    return mivra_call_any(function, count, args);
}
