#include "e2e_support.h"

#include <cstring>

namespace e2e {

std::string windows_path(const std::string &path)
{
    std::string out = path;
    for (char &c : out)
        if (c == '/')
            c = '\\';
    return !path.empty() && path[0] == '/' ? "Z:" + out : out;
}

std::string join_path(const std::string &dir, const std::string &name)
{
    return !dir.empty() && dir.back() != '\\' ? dir + "\\" + name : dir + name;
}

static void remove_tree(const std::string &dir)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(join_path(dir, "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName, path = join_path(dir, name);
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

bool write_file(const std::string &path, const std::string &bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

bool read_file(const std::string &path, std::string *bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
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

std::string lines(std::initializer_list<std::string> each)
{
    std::string bytes;
    for (const std::string &line : each)
        bytes += line + "\r\n";
    return bytes;
}

// ---- processes ---------------------------------------------------------------------------------

process start_process(const std::string &exe, const std::string &args, const std::string &work_dir)
{
    std::string line = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
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

bool process_running(const process &p) { return p.handle && WaitForSingleObject(p.handle, 0) == WAIT_TIMEOUT; }

bool wait_process_exit(process &p, DWORD timeout, DWORD *exit_code)
{
    if (!p.handle || !poll_until([&] { return !process_running(p); }, timeout))
        return false;
    if (exit_code)
        GetExitCodeProcess(p.handle, exit_code);
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

HWND find_top_window(const char *class_wanted, const char *title, DWORD pid)
{
    for (HWND w = FindWindowExA(nullptr, nullptr, class_wanted, title); w;
         w = FindWindowExA(nullptr, w, class_wanted, title))
        if (IsWindowVisible(w) && (!pid || window_process(w) == pid))
            return w;
    return nullptr;
}

HWND wait_top_window(const char *class_wanted, const char *title, DWORD pid)
{
    HWND found = nullptr;
    poll_until([&] { return (found = find_top_window(class_wanted, title, pid)) != nullptr; });
    return found;
}

HWND find_popup_menu(DWORD pid, RECT *rect)
{
    HWND menu = find_top_window("#32768", nullptr, pid);
    if (menu && rect)
        GetWindowRect(menu, rect);
    return menu;
}

HWND wait_popup_menu(DWORD pid, RECT *rect)
{
    HWND found = nullptr;
    poll_until([&] { return (found = find_popup_menu(pid, rect)) != nullptr; });
    return found;
}

HWND wait_message_box(DWORD pid) { return wait_top_window("#32770", "Mivra", pid); }

std::string message_box_text(HWND box)
{
    // Message boxes give their text control the identifier 0xFFFF.
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? window_text(text) : "";
}

bool dismiss_message_box(HWND box)
{
    int id = GetDlgItem(box, IDOK) ? IDOK : IDCANCEL;
    HWND button = GetDlgItem(box, id);
    return button &&
           PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
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
    char title[256] = "", line[512];
    GetWindowTextA(window, title, sizeof title);
    RECT r = {};
    GetWindowRect(window, &r);
    snprintf(line, sizeof line, "  class \"%s\" title \"%s\" at (%ld, %ld)-(%ld, %ld)%s\n",
             class_name(window).c_str(), title, r.left, r.top, r.right, r.bottom,
             IsWindowVisible(window) ? " visible" : " hidden");
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

static bool thread_info(HWND window, GUITHREADINFO *info)
{
    info->cbSize = sizeof *info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), info) != 0;
}

HWND focus_of(HWND window)
{
    GUITHREADINFO info = {};
    return thread_info(window, &info) ? info.hwndFocus : nullptr;
}

bool caret_rect(HWND window, RECT *rect)
{
    GUITHREADINFO info = {};
    if (!thread_info(window, &info) || !info.hwndCaret)
        return false;
    *rect = info.rcCaret;
    MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT *>(rect), 2);
    return true;
}

int count_menus(DWORD pid)
{
    int n = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w;
         w = FindWindowExA(nullptr, w, "#32768", nullptr))
        n += IsWindowVisible(w) && window_process(w) == pid;
    return n;
}

RECT next_popup(DWORD pid, const RECT &previous)
{
    RECT now = {};
    EXPECT_TRUE(poll_until([&] { return find_popup_menu(pid, &now) && !EqualRect(&now, &previous); }))
        << "no next menu";
    return now;
}

namespace {

// The candidates as the target room lists them: visible, with an area, not minimised, the shell's left out.
BOOL CALLBACK collect_listed(HWND window, LPARAM param)
{
    RECT r = {};
    GetWindowRect(window, &r);
    const LONG width = r.right - r.left, height = r.bottom - r.top;
    const std::string name = class_name(window);
    if (IsWindowVisible(window) && name != "Shell_TrayWnd" && name != "Progman" && width > 0 && height > 0 &&
        !(width == GetSystemMetrics(SM_CXMINIMIZED) && height == GetSystemMetrics(SM_CYMINIMIZED)))
        reinterpret_cast<std::vector<HWND> *>(param)->push_back(window);
    return TRUE;
}

} // namespace

int listed_index(HWND window)
{
    std::vector<HWND> listed;
    EnumWindows(collect_listed, reinterpret_cast<LPARAM>(&listed));
    for (size_t i = 0; i < listed.size(); ++i)
        if (listed[i] == window)
            return static_cast<int>(i);
    return -1;
}

HWND dialog_control(DWORD pid, int id)
{
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
         w = FindWindowExA(nullptr, w, "#32770", nullptr))
        if (window_process(w) == pid && GetDlgItem(w, id))
            return GetDlgItem(w, id);
    return nullptr;
}

HWND wait_search_edit(DWORD pid)
{
    HWND edit = nullptr;
    const bool up = poll_until([&] {
        edit = dialog_control(pid, 100);
        return edit && GetForegroundWindow() == GetParent(edit) && focus_of(edit) == edit;
    });
    return up ? edit : nullptr;
}

// ---- keys and clipboard ------------------------------------------------------------------------

static void key_event(BYTE virtual_key, DWORD flags)
{
    keybd_event(virtual_key, static_cast<BYTE>(MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC)), flags, 0);
}

void press_key(BYTE virtual_key, bool extended)
{
    DWORD flags = extended ? KEYEVENTF_EXTENDEDKEY : 0;
    key_event(virtual_key, flags);
    key_event(virtual_key, flags | KEYEVENTF_KEYUP);
}

void choose_entry(int index)
{
    for (int i = 0; i < index; ++i)
        press_key(VK_DOWN, true);
    press_key(VK_RETURN);
}

void type_text(const std::string &ascii)
{
    for (char c : ascii) {
        SHORT scan = VkKeyScanA(c);
        bool shift = (HIBYTE(scan) & 1) != 0;
        if (shift)
            key_event(VK_SHIFT, 0);
        press_key(LOBYTE(scan));
        if (shift)
            key_event(VK_SHIFT, KEYEVENTF_KEYUP);
    }
}

// The clipboard wants a real owner window; another process may hold it for a moment.
static bool open_clipboard()
{
    static HWND owner = CreateWindowExA(0, "STATIC", "e2e clipboard", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    return poll_until([&] { return OpenClipboard(owner) != 0; }, 3000);
}

bool set_clipboard_text(const std::string &text)
{
    if (!open_clipboard())
        return false;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool ok = EmptyClipboard() && block;
    if (ok) {
        memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        ok = SetClipboardData(CF_TEXT, block) != nullptr;
    }
    if (!ok && block)
        GlobalFree(block);
    CloseClipboard();
    return ok;
}

template <class Char> static std::basic_string<Char> clipboard_format(UINT format, const Char *none)
{
    std::basic_string<Char> text = none;
    if (!open_clipboard())
        return text;
    HANDLE block = GetClipboardData(format);
    if (const Char *p = block ? static_cast<const Char *>(GlobalLock(block)) : nullptr) {
        text = p;
        GlobalUnlock(block);
    }
    CloseClipboard();
    return text;
}

std::string clipboard_text() { return clipboard_format<char>(CF_TEXT, "<no text>"); }
std::wstring clipboard_unicode() { return clipboard_format<wchar_t>(CF_UNICODETEXT, L"<no text>"); }

// ---- the fixture -------------------------------------------------------------------------------

// Ends processes that own a window of the class: leftovers of an earlier failed run.
static void kill_window_owners(const char *class_wanted)
{
    for (int round = 0; round < 10; ++round) {
        HWND w = FindWindowA(class_wanted, nullptr);
        DWORD pid = w ? window_process(w) : 0;
        HANDLE h = pid && pid != GetCurrentProcessId() ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)
                                                        : nullptr;
        if (!h)
            return;
        fprintf(stderr, "e2e: ending leftover process %lu (window class %s)\n", pid, class_wanted);
        TerminateProcess(h, 255);
        WaitForSingleObject(h, 5000);
        CloseHandle(h);
    }
}

void bench::SetUp()
{
    // Every expected text is Shift-JIS: the session must run in code page 932.
    ASSERT_EQ(GetACP(), 932u) << "the Wine session is not Japanese (LANG=ja_JP.UTF-8)";
    kill_window_owners("Mivra_WClass");
    kill_window_owners("Mivra_E2E_Target");
    char base[MAX_PATH] = "", name[64];
    GetTempPathA(sizeof base, base);
    static unsigned counter = 0;
    snprintf(name, sizeof name, "mivra_e2e_%lu_%u_%lu", GetCurrentProcessId(), ++counter, GetTickCount());
    dir_ = join_path(base, name);
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << "cannot make " << dir_;
}

void bench::TearDown()
{
    for (process &p : processes_)
        kill_process(p);
    for (target_app &t : targets_)
        kill_process(t.proc);
    if (HasFailure())
        fprintf(stderr, "e2e: files of the failed test kept in %s\n", dir_.c_str());
    else if (!dir_.empty())
        remove_tree(dir_);
}

std::string bench::with_dir(std::string text) const
{
    for (size_t at; (at = text.find("$DIR")) != std::string::npos;)
        text.replace(at, 4, dir_);
    return text;
}

std::string bench::install(const std::string &name)
{
    std::string to = in_dir(name);
    if (CopyFileA(windows_path(MIVRA_EXE_PATH).c_str(), to.c_str(), FALSE))
        return to;
    ADD_FAILURE() << "cannot copy mivra.exe to " << to;
    return "";
}

process &bench::launch(const std::string &exe, const std::string &args, const std::string &work_dir)
{
    processes_.push_back(start_process(exe, args, work_dir));
    if (!processes_.back().handle)
        ADD_FAILURE() << "cannot start " << exe;
    return processes_.back();
}

process &bench::start_mivra(const std::string &ini, const std::string &args)
{
    std::string exe = file_exists(in_dir("mivra.exe")) ? in_dir("mivra.exe") : install();
    if (!ini.empty() && !write_file(in_dir("mivra.ini"), ini))
        ADD_FAILURE() << "cannot write the data file";
    return launch(exe, args, dir_);
}

target_app &bench::launch_target(const std::string &text1, int sel_start, int sel_end, const std::string &text2,
                                 bool plain)
{
    targets_.emplace_back();
    target_app &t = targets_.back();
    std::string file1 = in_dir("target_text1.txt"), file2 = in_dir("target_text2.txt");
    if (write_file(file1, text1) && write_file(file2, text2))
        t.proc = start_process(windows_path(E2E_TARGET_PATH),
                               std::string(plain ? "--plain " : "") + "\"@" + file1 + "\" " +
                                   std::to_string(sel_start) + " " + std::to_string(sel_end) + " \"@" + file2 + "\"",
                               dir_);
    t.window = t.proc.handle ? wait_top_window("Mivra_E2E_Target", "E2E Target", t.proc.id) : nullptr;
    t.edit1 = GetDlgItem(t.window, 101);
    t.edit2 = GetDlgItem(t.window, 102);
    // Ready once in front with its property "ready", which it sets after its focus and selection: the
    // focus alone comes before the selection, and a caret or selection read then is the wrong one.
    const auto ready = [&] { return GetPropA(t.window, "ready") && GetForegroundWindow() == t.window; };
    if (!t.window || !poll_until(ready)) {
        ADD_FAILURE() << "the target did not come up" << (t.proc.handle ? "" : " (not started)");
        t.window = nullptr;
    }
    return t;
}

void bench::finish(target_app &t, process &p)
{
    kill_process(p);
    kill_process(t.proc);
}

void expect_ends_with_zero(process &p)
{
    DWORD code = 1;
    ASSERT_TRUE(wait_process_exit(p, wait_ms, &code)) << "mivra.exe did not end; its windows:\n"
                                                      << describe_windows(p.id);
    EXPECT_EQ(code, 0u);
}

void expect_edit_text(HWND edit, const std::string &expected, DWORD timeout)
{
    std::string seen;
    EXPECT_TRUE(poll_until([&] { return (seen = window_text(edit)) == expected; }, timeout))
        << "expected \"" << expected << "\", the edit holds \"" << seen << "\"";
}

void expect_untouched_after_mark(target_app &t, const std::string &before, const std::string &after)
{
    SetForegroundWindow(t.window);
    ASSERT_TRUE(poll_until([&] { return GetForegroundWindow() == t.window && focus_of(t.window) == t.edit1; }))
        << "the target did not come to the front with edit 1 focused";
    type_text("#");
    expect_edit_text(t.edit1, before + "#" + after);
}

} // namespace e2e
