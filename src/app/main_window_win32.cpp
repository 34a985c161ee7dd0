// The process entry and the hidden main window whose procedure drives every activation.
#include "app/main_window_win32.h"

#include <cstdio>
#include <cstring>

#include "cmdline/cmdline.h"
#include "app/activation.h"
#include "app/handover.h"
#include "app/process_state.h"
#include "target/target.h"
#include "target/windows_win32.h"
#include "datafile/item_store.h"
#include "datafile/loader.h"
#include "datafile/settings.h"
#include "menus/history_popup_win32.h"
#include "menus/menu_win32.h"
#include "menus/text_file_popup_win32.h"
#include "menus/recent_popup_win32.h"
#include "menus/window_popup_win32.h"
#include "search/search_state.h"
#include "search/search_window_win32.h"
#include "search/title_popup_win32.h"
#include "text/sjis.h"

const char main_class_name[] = "Mivra_WClass";
static const char instance_mutex_name[] = "Mivra_Mark";
static const char recorder_mutex_name[] = "Mivra_hist_mark";

static HANDLE instance_mutex;

int register_main_class(HINSTANCE instance, const char *class_name)
{
    WNDCLASSA window_class;
    memset(&window_class, 0, sizeof window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, "MYICON");
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    window_class.lpszClassName = class_name;
    return RegisterClassA(&window_class) != 0 ? 1 : 0;
}

int create_main_window(HINSTANCE instance, const char *class_name)
{
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, class_name, class_name,
                                  WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 0;
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    return 1;
}

static void join_exe_dir(char *out, const char *name)
{
    copy_text(out, path_capacity, settings.exe_dir);
    append_text(out, path_capacity, name);
}

void init_environment(HWND main_window)
{
    char drive[260], dir[260];
    split_path(settings.exe_path, drive, dir, nullptr, nullptr);
    copy_text(settings.exe_dir, sizeof settings.exe_dir, drive);
    append_text(settings.exe_dir, sizeof settings.exe_dir, dir);
    join_exe_dir(settings.manual_path, "Mivra.txt");
    join_exe_dir(settings.log_file_path, "log.ini");
    join_exe_dir(settings.history_path, "hist.ini");
    join_exe_dir(settings.recorder_link_path, "hist.lnk");
    join_exe_dir(settings.recorder_path, "hist.exe");
    join_exe_dir(settings.migemo_dict_path, "dict\\migemo-dict");
    settings.screen_width = GetSystemMetrics(SM_CXSCREEN);
    settings.screen_height = GetSystemMetrics(SM_CYMAXIMIZED);
    settings.mouse_present = GetSystemMetrics(SM_CMOUSEBUTTONS);
    target.caret_point.x = 0;
    target.caret_point.y = 0;

    // The recorder holds its mutex while it runs; probe it without keeping it alive.
    settings.history_running = 0;
    if (os_file_exists(settings.history_path)) {
        HANDLE probe = CreateMutexA(nullptr, TRUE, recorder_mutex_name);
        if (GetLastError() == ERROR_ALREADY_EXISTS)
            settings.history_running = 1;
        if (probe) {
            ReleaseMutex(probe);
            CloseHandle(probe);
        }
    }
    (void)main_window;
}

void check_platform()
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    settings.is_nt = (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT) ? 1 : 0;
}

static void release_instance_mutex()
{
    if (instance_mutex) {
        ReleaseMutex(instance_mutex);
        CloseHandle(instance_mutex);
        instance_mutex = nullptr;
    }
}

static void delete_font(uintptr_t *font)
{
    if (*font) {
        DeleteObject(reinterpret_cast<HFONT>(*font));
        *font = 0;
    }
}

static void release_resources()
{
    release_instance_mutex();
    delete_font(&settings.default_font);
    delete_font(&settings.list_font);
    delete_font(&settings.preview_font);
}

static void on_close(HWND window)
{
    // A close asked for during a delivery (a "/#z" start) is carried out when the delivery ends.
    if (!handover_close_now())
        return;
    destroy_search_window();
    release_resources();
    DestroyWindow(window);
}

// A running instance that stopped answering must not hang this start as well.
static void send_to_instance(HWND previous, UINT message, WPARAM wparam, LPARAM lparam)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(previous, message, wparam, lparam, SMTO_NORMAL | SMTO_ABORTIFHUNG, 10000, &ignored);
}

// How long a "/#z" start waits for the running instance to end (it ends after its delivery).
static const DWORD instance_wait_ms = 30000;

// Hands the start over to the running instance, or replaces it with "/#z". Returns true when this
// instance continues as the only one.
static bool take_instance(HWND window)
{
    instance_mutex = CreateMutexA(nullptr, TRUE, instance_mutex_name);
    if (GetLastError() != ERROR_ALREADY_EXISTS)
        return true;
    HWND previous = find_previous_instance(main_class_name);
    if (!previous)
        return false;
    if (!find_nocase(settings.command_line, "/#z")) {
        static char request[2] = "1";
        COPYDATASTRUCT record;
        record.dwData = static_cast<ULONG_PTR>(target.target_window);
        record.cbData = 2;
        record.lpData = request;
        send_to_instance(previous, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&record));
        return false;
    }
    send_to_instance(previous, WM_CLOSE, 0, 0);
    // The running instance closes at once, or only when a delivery under way has ended: wait, bounded,
    // until its mutex is ours (abandoned, should it end without releasing it).
    if (!instance_mutex)
        instance_mutex = CreateMutexA(nullptr, FALSE, instance_mutex_name);
    if (!instance_mutex)
        return false;
    const DWORD waited = WaitForSingleObject(instance_mutex, instance_wait_ms);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        return true;
    CloseHandle(instance_mutex);
    instance_mutex = nullptr;
    return false;
}

static bool command_line_empty()
{
    for (const char *p = settings.command_line; *p; ++p)
        if (*p != ' ' && *p != '\t')
            return false;
    return true;
}

// A later start's hand-over request: capture the target again.
static void activate_again(HWND window)
{
    capture_target(reinterpret_cast<os_window>(window), target.target_window);
    show_search_window_again();
}

// The end of a delivery step: what the hand-over messages received during it asked for.
static void end_delivery()
{
    HWND window = reinterpret_cast<HWND>(settings.main_window);
    switch (handover_end_delivery()) {
    case followup_close:
        on_close(window);
        break;
    case followup_activate:
        activate_again(window);
        break;
    case followup_none:
        break;
    }
}

static LRESULT on_create(HWND window)
{
    target.target_window = target.start_foreground = reinterpret_cast<os_window>(GetForegroundWindow());
    settings.main_window = reinterpret_cast<os_window>(window);
    // Failing WM_CREATE destroys the window, which ends the process through WM_DESTROY.
    if (!take_instance(window)) {
        release_resources();
        return -1;
    }
    init_environment(window);
    if (!command_line_empty()) {
        find_path_argument(settings.command_line);
        parse_command_line(settings.command_line);
    }
    check_platform();
    if (!load_data_file(reinterpret_cast<os_window>(window))) {
        release_resources();
        return -1;
    }
    start_run_modes();
    choosers.enumerate_windows = enumerate_windows;
    choosers.show_main_menu = show_main_menu;
    choosers.run_search_window = run_search_window;
    choosers.show_text_file_popup = show_text_file_popup;
    choosers.show_recent_popup = show_recent_popup;
    choosers.show_window_popup = choose_target_first;
    choosers.show_title_popup = show_title_popup;
    choosers.show_history_popup = show_history_start_popup;
    delivery_hooks.expand_history_macros = choose_history_macros;
    delivery_hooks.begin_delivery = handover_begin_delivery;
    delivery_hooks.end_delivery = end_delivery;
    // Without its first timer the instance would stay hidden, holding "Mivra_Mark" for good.
    if (!select_target(reinterpret_cast<os_window>(window))) {
        release_resources();
        return -1;
    }
    return 0;
}

static void on_timer(HWND window, WPARAM id)
{
    KillTimer(window, id);
    os_window main = reinterpret_cast<os_window>(window);
    switch (id) {
    case timer_show_chooser:
        on_show_chooser_timer(main);
        break;
    case timer_history_choices:
        on_history_choices_timer(main);
        break;
    case timer_deliver:
        // The hand-over messages that the delivery's waits receive are carried out after it.
        handover_begin_delivery();
        on_deliver_timer(main);
        end_delivery();
        break;
    }
}

// A later start asks this instance to activate again. A record without text is ignored.
static void on_copy_data(HWND window, const COPYDATASTRUCT *record)
{
    if (search_run.search_kind == search_popup_menu || !record || record->cbData == 0 || !record->lpData)
        return;
    if (static_cast<const char *>(record->lpData)[0] != '1')
        return;
    // The record is valid only during the send; its one request is all that is kept.
    if (handover_activate_now())
        activate_again(window);
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        return on_create(window);
    case WM_TIMER:
        on_timer(window, wparam);
        return 0;
    case WM_COPYDATA:
        on_copy_data(window, reinterpret_cast<const COPYDATASTRUCT *>(lparam));
        return 0;
    case WM_CLOSE:
        on_close(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_MENUSELECT:
        on_menu_select(wparam, lparam);
        return 0;
    case WM_INITMENUPOPUP:
        on_init_menu_popup(reinterpret_cast<HMENU>(wparam));
        return 0;
    case WM_INITMENU:
        on_init_menu();
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int)
{
    init_process_state();
    GetModuleFileNameA(nullptr, settings.exe_path, sizeof settings.exe_path);
    settings.exe_path[sizeof settings.exe_path - 1] = '\0';
    unquote_spaces(settings.exe_path);
    char base[260];
    split_path(settings.exe_path, nullptr, nullptr, base, nullptr);
    snprintf(settings.data_file_name, sizeof settings.data_file_name, "%s.ini", base);
    settings.command_line = command_line ? command_line : "";

    if (!previous && !register_main_class(instance, main_class_name))
        return 0;
    if (!create_main_window(instance, main_class_name))
        return 0;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
