#include "e2e_support.h"

#include <cstdio>
#include <cstring>

namespace e2e {

// ---- paths and files ---------------------------------------------------------------------------

// CMake passes build paths as Unix paths; Wine maps the Unix root to drive Z:.
std::string windows_path(const std::string &path)
{
    std::string out = path;
    for (char &c : out)
        if (c == '/')
            c = '\\';
    if (!path.empty() && path[0] == '/')
        out = "Z:" + out;
    return out;
}

std::string mivra_exe_path() { return windows_path(MIVRA_EXE_PATH); }
std::string target_exe_path() { return windows_path(E2E_TARGET_PATH); }

std::string join_path(const std::string &dir, const std::string &name)
{
    if (!dir.empty() && dir.back() != '\\')
        return dir + "\\" + name;
    return dir + name;
}

std::string make_temp_dir()
{
    char base[MAX_PATH];
    DWORD n = GetTempPathA(sizeof base, base);
    if (n == 0 || n >= sizeof base)
        return "";
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[64];
        snprintf(name, sizeof name, "mivra_e2e_%lu_%u_%lu", GetCurrentProcessId(), ++counter,
                 GetTickCount());
        std::string dir = join_path(base, name);
        if (CreateDirectoryA(dir.c_str(), nullptr))
            return dir;
    }
    return "";
}

void remove_tree(const std::string &dir)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(join_path(dir, "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = join_path(dir, name);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

std::string install_mivra(const std::string &dir, const std::string &name)
{
    std::string to = join_path(dir, name);
    if (!CopyFileA(mivra_exe_path().c_str(), to.c_str(), FALSE))
        return "";
    return to;
}

bool write_file(const std::string &path, const std::string &bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

bool read_file(const std::string &path, std::string *bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bytes->clear();
    char chunk[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, chunk, sizeof chunk, &got, nullptr) != 0) && got > 0)
        bytes->append(chunk, got);
    CloseHandle(h);
    return ok;
}

bool file_exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// ---- processes ---------------------------------------------------------------------------------

process start_process(const std::string &exe, const std::string &args, const std::string &work_dir)
{
    std::string line = "\"" + exe + "\"";
    if (!args.empty())
        line += " " + args;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    process p;
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        work_dir.empty() ? nullptr : work_dir.c_str(), &startup, &info))
        return p;
    CloseHandle(info.hThread);
    p.handle = info.hProcess;
    p.id = info.dwProcessId;
    return p;
}

bool process_running(const process &p)
{
    return p.handle && WaitForSingleObject(p.handle, 0) == WAIT_TIMEOUT;
}

bool wait_process_exit(process &p, DWORD timeout, DWORD *exit_code)
{
    if (!p.handle)
        return false;
    if (!poll_until([&] { return !process_running(p); }, timeout))
        return false;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(p.handle, &code);
    if (exit_code)
        *exit_code = code;
    return true;
}

void kill_process(process &p)
{
    if (!p.handle)
        return;
    if (process_running(p)) {
        TerminateProcess(p.handle, 255);
        WaitForSingleObject(p.handle, 5000);
    }
    CloseHandle(p.handle);
    p.handle = nullptr;
}

void kill_window_owners(const char *class_name_wanted)
{
    std::vector<DWORD> owners;
    for (;;) {
        HWND w = find_top_window(class_name_wanted, nullptr, 0, false);
        DWORD pid = w ? window_process(w) : 0;
        if (!w || pid == GetCurrentProcessId())
            break;
        bool seen = false;
        for (DWORD o : owners)
            seen = seen || o == pid;
        if (seen)
            break; // could not end it; do not loop forever
        owners.push_back(pid);
        HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (h) {
            fprintf(stderr, "e2e: ending leftover process %lu (window class %s)\n", pid, class_name_wanted);
            TerminateProcess(h, 255);
            WaitForSingleObject(h, 5000);
            CloseHandle(h);
        }
    }
}

// ---- waiting -----------------------------------------------------------------------------------

void pump_messages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// ---- windows -----------------------------------------------------------------------------------

std::string class_name(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

DWORD window_process(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

namespace {

struct window_query {
    const char *class_name;
    const char *title;
    DWORD pid;
    bool visible_only;
    HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM param)
{
    auto *q = reinterpret_cast<window_query *>(param);
    if (q->visible_only && !IsWindowVisible(window))
        return TRUE;
    if (q->pid && window_process(window) != q->pid)
        return TRUE;
    if (q->class_name && lstrcmpiA(class_name(window).c_str(), q->class_name) != 0)
        return TRUE;
    if (q->title) {
        char title[512] = "";
        GetWindowTextA(window, title, sizeof title);
        if (strcmp(title, q->title) != 0)
            return TRUE;
    }
    q->found = window;
    return FALSE;
}

} // namespace

HWND find_top_window(const char *class_name_wanted, const char *title, DWORD pid, bool visible_only)
{
    window_query q = {class_name_wanted, title, pid, visible_only, nullptr};
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

HWND wait_top_window(const char *class_name_wanted, const char *title, DWORD pid, DWORD timeout)
{
    HWND found = nullptr;
    poll_until([&] { return (found = find_top_window(class_name_wanted, title, pid, true)) != nullptr; },
               timeout);
    return found;
}

HWND find_popup_menu(DWORD pid, RECT *rect)
{
    HWND menu = find_top_window("#32768", nullptr, pid, true);
    if (menu && rect)
        GetWindowRect(menu, rect);
    return menu;
}

HWND wait_popup_menu(DWORD pid, RECT *rect, DWORD timeout)
{
    HWND found = nullptr;
    poll_until([&] { return (found = find_popup_menu(pid, rect)) != nullptr; }, timeout);
    return found;
}

std::string window_text(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return "";
    // The reported length may count characters; two bytes each always suffice in code page 932.
    std::vector<char> buffer(length * 2 + 2, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied))
        return "";
    return std::string(buffer.data());
}

namespace {

struct description {
    DWORD pid;
    std::string text;
};

BOOL CALLBACK describe_window(HWND window, LPARAM param)
{
    auto *d = reinterpret_cast<description *>(param);
    if (window_process(window) != d->pid)
        return TRUE;
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    RECT r = {};
    GetWindowRect(window, &r);
    char line[512];
    snprintf(line, sizeof line, "  class \"%s\" title \"%s\" at (%ld, %ld)-(%ld, %ld)%s\n", class_name(window).c_str(),
             title, r.left, r.top, r.right, r.bottom, IsWindowVisible(window) ? " visible" : " hidden");
    d->text += line;
    return TRUE;
}

} // namespace

std::string describe_windows(DWORD pid)
{
    description d = {pid, ""};
    EnumWindows(describe_window, reinterpret_cast<LPARAM>(&d));
    return d.text.empty() ? "  no top-level windows\n" : d.text;
}

// ---- keys --------------------------------------------------------------------------------------

static void key_event(BYTE virtual_key, bool up, bool extended)
{
    DWORD flags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    keybd_event(virtual_key, static_cast<BYTE>(MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC)), flags, 0);
}

void key_down(BYTE virtual_key, bool extended) { key_event(virtual_key, false, extended); }
void key_up(BYTE virtual_key, bool extended) { key_event(virtual_key, true, extended); }

void press_key(BYTE virtual_key, bool extended)
{
    key_down(virtual_key, extended);
    key_up(virtual_key, extended);
}

void press_chord(BYTE modifier, BYTE virtual_key)
{
    key_down(modifier);
    press_key(virtual_key);
    key_up(modifier);
}

void type_text(const std::string &ascii)
{
    for (char c : ascii) {
        SHORT scan = VkKeyScanA(c);
        if (scan == -1)
            continue;
        BYTE vk = LOBYTE(scan);
        bool shift = (HIBYTE(scan) & 1) != 0;
        if (shift)
            key_down(VK_SHIFT);
        press_key(vk);
        if (shift)
            key_up(VK_SHIFT);
    }
}

// ---- clipboard ---------------------------------------------------------------------------------

// The clipboard wants a real owner window; this one lives as long as the test process.
static HWND clipboard_owner()
{
    static HWND owner = CreateWindowExA(0, "STATIC", "e2e clipboard", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    return owner;
}

// Another process may hold the clipboard for a moment (a recorder reading a change, for example).
static bool open_clipboard()
{
    HWND owner = clipboard_owner();
    return poll_until([&] { return OpenClipboard(owner) != 0; }, 3000);
}

bool set_clipboard_text(const std::string &text)
{
    if (!open_clipboard())
        return false;
    bool ok = false;
    if (EmptyClipboard()) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        if (block) {
            char *p = static_cast<char *>(GlobalLock(block));
            memcpy(p, text.c_str(), text.size() + 1);
            GlobalUnlock(block);
            ok = SetClipboardData(CF_TEXT, block) != nullptr;
            if (!ok)
                GlobalFree(block);
        }
    }
    CloseClipboard();
    return ok;
}

bool get_clipboard_text(std::string *text)
{
    if (!open_clipboard())
        return false;
    bool ok = false;
    HANDLE block = GetClipboardData(CF_TEXT);
    if (block) {
        const char *p = static_cast<const char *>(GlobalLock(block));
        if (p) {
            *text = p;
            ok = true;
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return ok;
}

// ---- message boxes -----------------------------------------------------------------------------

HWND find_message_box(DWORD pid) { return find_top_window("#32770", "Mivra", pid, true); }

HWND wait_message_box(DWORD pid, DWORD timeout)
{
    HWND found = nullptr;
    poll_until([&] { return (found = find_message_box(pid)) != nullptr; }, timeout);
    return found;
}

namespace {

BOOL CALLBACK find_text_static(HWND child, LPARAM param)
{
    if (lstrcmpiA(class_name(child).c_str(), "Static") == 0 && !window_text(child).empty()) {
        *reinterpret_cast<HWND *>(param) = child;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::string message_box_text(HWND box)
{
    // Message boxes give their text control the identifier 0xFFFF; the icon is a static too.
    HWND text = GetDlgItem(box, 0xFFFF);
    if (!text)
        EnumChildWindows(box, find_text_static, reinterpret_cast<LPARAM>(&text));
    return text ? window_text(text) : "";
}

bool dismiss_message_box(HWND box)
{
    int id = IDOK;
    HWND button = GetDlgItem(box, IDOK);
    if (!button) {
        id = IDCANCEL;
        button = GetDlgItem(box, IDCANCEL);
    }
    if (!button)
        return false;
    return PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
}

// ---- the target program ------------------------------------------------------------------------

HWND focus_of(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

bool caret_rect(HWND window, RECT *rect)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndCaret)
        return false;
    *rect = info.rcCaret;
    MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT *>(rect), 2);
    return true;
}

void edit_selection(HWND edit, int *start, int *end)
{
    DWORD_PTR packed = 0;
    SendMessageTimeoutA(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &packed);
    *start = LOWORD(packed);
    *end = HIWORD(packed);
}

bool start_target(const std::string &dir, target_app *app, const std::string &text1, int sel_start,
                  int sel_end, const std::string &text2, const std::string &out_file)
{
    std::string file1 = join_path(dir, "target_text1.txt");
    std::string file2 = join_path(dir, "target_text2.txt");
    if (!write_file(file1, text1) || !write_file(file2, text2))
        return false;
    std::string args = "\"@" + file1 + "\" " + std::to_string(sel_start) + " " + std::to_string(sel_end) + " \"@" +
                       file2 + "\"";
    if (!out_file.empty())
        args += " \"--out=" + out_file + "\"";
    app->proc = start_process(target_exe_path(), args, dir);
    if (!app->proc.handle)
        return false;
    app->window = wait_top_window("Mivra_E2E_Target", "E2E Target", app->proc.id);
    if (!app->window)
        return false;
    app->edit1 = GetDlgItem(app->window, 101);
    app->edit2 = GetDlgItem(app->window, 102);
    // Ready when it is the foreground window with the focus in edit 1.
    return app->edit1 && app->edit2 &&
           poll_until([&] { return GetForegroundWindow() == app->window && focus_of(app->window) == app->edit1; });
}

// ---- test fixture ------------------------------------------------------------------------------

void bench::SetUp()
{
    kill_window_owners("Mivra_WClass");
    kill_window_owners("Mivra_E2E_Target");
    dir_ = make_temp_dir();
    ASSERT_FALSE(dir_.empty()) << "cannot make a temporary directory";
}

void bench::TearDown()
{
    for (process &p : processes_)
        kill_process(p);
    for (target_app &t : targets_)
        kill_process(t.proc);
    processes_.clear();
    targets_.clear();
    if (dir_.empty())
        return;
    if (HasFailure())
        fprintf(stderr, "e2e: files of the failed test kept in %s\n", dir_.c_str());
    else
        remove_tree(dir_);
}

process &bench::launch(const std::string &exe, const std::string &args, const std::string &work_dir)
{
    processes_.push_back(start_process(exe, args, work_dir));
    return processes_.back();
}

target_app &bench::launch_target(const std::string &text1, int sel_start, int sel_end, const std::string &text2,
                                 const std::string &out_file)
{
    targets_.emplace_back();
    target_app &app = targets_.back();
    if (!start_target(dir_, &app, text1, sel_start, sel_end, text2, out_file))
        app.window = nullptr;
    return app;
}

} // namespace e2e
