#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "target/windows_win32.h"

#include "target/target.h"
#include "datafile/settings.h"
#include "os/win32/os_win32.h"
#include "text/sjis.h"

static int enumeration_phase;
static HWND previous_instance_window;
static const char *instance_class_name;

// Vista and later: the image name asks only for limited information, which a 32-bit program is
// granted also for 64-bit and elevated processes.
static void process_exe_path_image_name(DWORD process_id, char *out)
{
    out[0] = '\0';
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return;
    typedef BOOL(WINAPI * image_name_fn)(HANDLE, DWORD, LPSTR, PDWORD);
    image_name_fn image_name = reinterpret_cast<image_name_fn>(
        reinterpret_cast<void *>(GetProcAddress(kernel, "QueryFullProcessImageNameA")));
    if (!image_name)
        return;
    const DWORD query_limited_information = 0x1000; // PROCESS_QUERY_LIMITED_INFORMATION
    HANDLE process = OpenProcess(query_limited_information, FALSE, process_id);
    if (!process)
        return;
    char path[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    if (image_name(process, 0, path, &size) && size > 0 && size < MAX_PATH)
        copy_text(out, path_capacity, path);
    CloseHandle(process);
}

static void process_exe_path_psapi(DWORD process_id, char *out)
{
    out[0] = '\0';
    typedef BOOL(WINAPI * enum_modules_fn)(HANDLE, HMODULE *, DWORD, LPDWORD);
    typedef DWORD(WINAPI * module_name_fn)(HANDLE, HMODULE, LPSTR, DWORD);
    const enum_modules_fn enum_modules =
        reinterpret_cast<enum_modules_fn>(os_system_function("PSAPI.DLL", "EnumProcessModules"));
    const module_name_fn module_name =
        reinterpret_cast<module_name_fn>(os_system_function("PSAPI.DLL", "GetModuleFileNameExA"));
    if (!enum_modules || !module_name)
        return;
    // What the two calls need, not full access (which is refused for many processes).
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id);
    if (!process)
        return;
    HMODULE first = nullptr;
    DWORD needed = 0;
    char path[MAX_PATH] = "";
    if (enum_modules(process, &first, sizeof first, &needed) && module_name(process, first, path, MAX_PATH) > 0)
        copy_text(out, path_capacity, path);
    CloseHandle(process);
}

static void process_exe_path_toolhelp(DWORD process_id, char *out)
{
    out[0] = '\0';
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return;
    typedef HANDLE(WINAPI * snapshot_fn)(DWORD, DWORD);
    typedef BOOL(WINAPI * walk_fn)(HANDLE, PROCESSENTRY32 *);
    snapshot_fn snapshot = reinterpret_cast<snapshot_fn>(
        reinterpret_cast<void *>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
    walk_fn first = reinterpret_cast<walk_fn>(reinterpret_cast<void *>(GetProcAddress(kernel, "Process32First")));
    walk_fn next = reinterpret_cast<walk_fn>(reinterpret_cast<void *>(GetProcAddress(kernel, "Process32Next")));
    if (!snapshot || !first || !next)
        return;
    HANDLE snap = snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry;
    memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = first(snap, &entry); more; more = next(snap, &entry)) {
        if (entry.th32ProcessID == process_id) {
            copy_text_n(out, path_capacity, entry.szExeFile, sizeof entry.szExeFile);
            break;
        }
    }
    CloseHandle(snap);
}

void process_exe_path(DWORD process_id, char *out)
{
    out[0] = '\0';
    const process_name_route_list list = process_name_routes(settings.is_nt);
    for (int32_t i = 0; i < list.count && out[0] == '\0'; ++i) {
        switch (list.routes[i]) {
        case route_image_name:
            process_exe_path_image_name(process_id, out);
            break;
        case route_psapi:
            process_exe_path_psapi(process_id, out);
            break;
        case route_toolhelp:
            process_exe_path_toolhelp(process_id, out);
            break;
        }
    }
}

static BOOL CALLBACK enum_window_proc(HWND window, LPARAM)
{
    char title[260] = "";
    char class_name[128] = "";
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, class_name, sizeof class_name);

    if (enumeration_phase == 1) {
        if (reinterpret_cast<os_window>(window) == settings.main_window)
            return TRUE;
        if (equals_nocase(class_name, instance_class_name)) {
            enumeration_phase = 2;
            previous_instance_window = window;
            return FALSE;
        }
        return TRUE;
    }

    if (!IsWindowVisible(window) || lstrcmpA(class_name, "Shell_TrayWnd") == 0 ||
        lstrcmpA(class_name, "Progman") == 0)
        return TRUE;
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return TRUE;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return TRUE;
    if (width == GetSystemMetrics(SM_CXMINIMIZED) && height == GetSystemMetrics(SM_CYMINIMIZED))
        return TRUE;
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    char path[260];
    process_exe_path(process_id, path);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    int has_caption = (style & (WS_BORDER | WS_DLGFRAME)) ? 1 : 0;
    add_listed_window(reinterpret_cast<os_window>(window), has_caption, path, title);
    return TRUE;
}

void enumerate_windows()
{
    enumeration_phase = 0;
    EnumWindows(enum_window_proc, 0);
}

HWND find_previous_instance(const char *class_name)
{
    instance_class_name = class_name;
    enumeration_phase = 1;
    previous_instance_window = nullptr;
    EnumWindows(enum_window_proc, 0);
    return enumeration_phase == 2 ? previous_instance_window : nullptr;
}
