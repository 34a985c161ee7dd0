// hist.exe, the clipboard history recorder: while it runs it holds the mutex "Mivra_hist_mark" and
// records every new clipboard text into "hist.ini" beside it (datafile/history_file.h has the rules).
// A second start stops the running recorder and ends. It has no visible window: a message-only
// window receives the clipboard notices and the stop request.
#include <windows.h>

#include <cstring>

#include "datafile/history_file.h"
#include "os/os.h"
#include "os/win32/os_win32.h"
#include "text/sjis.h"

static const char recorder_mutex_name[] = "Mivra_hist_mark";
static const char recorder_class_name[] = "Mivra_hist_WClass";

// A reader that holds the file open makes the replacement fail for a moment: a few quick tries,
// then a timer keeps trying until it succeeds. The same timer retries the first read of a file
// that exists but cannot be read yet.
static const UINT_PTR retry_timer = 1;
static const UINT retry_ms = 500;
// Without clipboard notices (systems before Vista) the sequence number is polled.
static const UINT_PTR poll_timer = 2;
static const UINT poll_ms = 250;

static char history_path[MAX_PATH];
static char *image; // the file image, history_file_limit bytes
static size_t image_size;
// One clipboard text: a byte more than an entry keeps (and the terminator), so that the cut is made
// at a whole character.
static const size_t clip_capacity = history_entry_limit + 2;
static char *clip;
static bool recording;
static bool loaded; // the file was read (or is missing): until then nothing is written
static bool unsaved;
static DWORD last_sequence;

typedef BOOL(WINAPI *listener_fn)(HWND);

static listener_fn user32_function(const char *name)
{
    return reinterpret_cast<listener_fn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

// The timer's retries try once each, so that a file that cannot be written (a read-only folder)
// costs no more than a moment every retry_ms.
static void save_history(HWND window, int attempts = 10)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            Sleep(20);
        if (os_replace_file(history_path, image, image_size)) {
            unsaved = false;
            KillTimer(window, retry_timer);
            return;
        }
    }
    unsaved = true;
    SetTimer(window, retry_timer, retry_ms, nullptr);
}

// The clipboard is open only while the text is read. Notices that arrive while a text is handled are
// dropped: the text that caused them is read anyway. Content that asks clipboard tools to leave it
// alone (a password manager's copy, a program's own paste) is not recorded.
static void record_clipboard(HWND window)
{
    if (recording || !loaded)
        return;
    recording = true;
    last_sequence = GetClipboardSequenceNumber();
    if (os_clipboard_get_recordable_text(reinterpret_cast<os_window>(window), clip, clip_capacity) &&
        record_history_text(image, history_file_limit, &image_size, clip, strlen(clip)))
        save_history(window);
    recording = false;
}

static void load_history(HWND window)
{
    if (!load_recorder_image(history_path, image, history_file_limit, &image_size)) {
        SetTimer(window, retry_timer, retry_ms, nullptr);
        return;
    }
    loaded = true;
    // Written at once, so that the program sees a running recorder before the first new text.
    normalise_history_image(image, history_file_limit, &image_size);
    save_history(window);
    // A text copied while the file could not be read yet.
    if (GetClipboardSequenceNumber() != last_sequence)
        record_clipboard(window);
}

static LRESULT CALLBACK recorder_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CLIPBOARDUPDATE:
        record_clipboard(window);
        return 0;
    case WM_TIMER:
        if (wparam == retry_timer && !loaded)
            load_history(window);
        else if (wparam == retry_timer)
            save_history(window, 1);
        else if (wparam == poll_timer && GetClipboardSequenceNumber() != last_sequence)
            record_clipboard(window);
        return 0;
    case WM_DESTROY:
        if (unsaved && loaded)
            os_replace_file(history_path, image, image_size);
        if (listener_fn remove = user32_function("RemoveClipboardFormatListener"))
            remove(window);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// The mutex exists: stop the recorder that holds it. A start that only probed it (the program at
// its start) lets go at once, and then this start becomes the recorder. True when it should record.
static bool stop_running_recorder(HANDLE mutex)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        HWND running = FindWindowExA(HWND_MESSAGE, nullptr, recorder_class_name, nullptr);
        if (running) {
            PostMessageA(running, WM_CLOSE, 0, 0);
            const DWORD waited = WaitForSingleObject(mutex, 10000);
            if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
                ReleaseMutex(mutex);
            return false;
        }
        const DWORD waited = WaitForSingleObject(mutex, 20);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
            return true;
    }
    return false;
}

static void set_history_path()
{
    char exe[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, exe, sizeof exe);
    if (length == 0 || length >= sizeof exe)
        exe[0] = '\0';
    char drive[path_capacity], dir[path_capacity];
    split_path(exe, drive, dir, nullptr, nullptr);
    copy_text(history_path, sizeof history_path, drive);
    append_text(history_path, sizeof history_path, dir);
    append_text(history_path, sizeof history_path, "hist.ini");
}

static int record_until_stopped(HINSTANCE instance)
{
    image = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, history_file_limit));
    clip = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, clip_capacity));
    WNDCLASSA window_class;
    memset(&window_class, 0, sizeof window_class);
    window_class.lpfnWndProc = recorder_proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = recorder_class_name;
    HWND window = nullptr;
    if (image && clip && RegisterClassA(&window_class))
        window = CreateWindowExA(0, recorder_class_name, recorder_class_name, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
    if (!window)
        return 1;
    // Listening before the file is written: once hist.ini is there, no new text goes unrecorded.
    last_sequence = GetClipboardSequenceNumber();
    listener_fn add = user32_function("AddClipboardFormatListener");
    if (!add || !add(window))
        SetTimer(window, poll_timer, poll_ms, nullptr);
    set_history_path();
    load_history(window);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HANDLE mutex = CreateMutexA(nullptr, TRUE, recorder_mutex_name);
    if (!mutex)
        return 1;
    int result = 0;
    if (GetLastError() != ERROR_ALREADY_EXISTS || stop_running_recorder(mutex))
        result = record_until_stopped(instance);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return result;
}
