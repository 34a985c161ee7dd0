#include "e2e_support.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace e2e {

std::string target_path = E2E_TARGET_PATH;

std::string windows_path(const std::string &path)
{
    std::string out = path;
    std::replace(out.begin(), out.end(), '/', '\\');
    return !path.empty() && path[0] == '/' ? "Z:" + out : out;
}

std::string join_path(const std::string &dir, const std::string &name)
{
    return !dir.empty() && dir.back() != '\\' ? dir + "\\" + name : dir + name;
}

bool write_file(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    const bool written = f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return f && fclose(f) == 0 && written;
}

std::string file_text(const std::string &path)
{
    std::ifstream f(path, std::ios::binary); // shares reading and writing, as the programs under test do
    return f ? std::string(std::istreambuf_iterator<char>(f), {}) : "<missing>";
}

bool file_exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string lines(std::initializer_list<std::string> each)
{
    std::string bytes;
    for (const std::string &line : each)
        bytes += line + "\r\n";
    return bytes;
}

process start_process(const std::string &exe, const std::string &args, const std::string &work_dir)
{
    std::string line = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        work_dir.empty() ? nullptr : work_dir.c_str(), &startup, &info))
        return process();
    CloseHandle(info.hThread);
    return process{info.hProcess, info.dwProcessId};
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
    if (p.handle) { // terminating a process that has ended fails harmlessly
        TerminateProcess(p.handle, 255);
        WaitForSingleObject(p.handle, 5000);
        CloseHandle(p.handle);
    }
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

// The class name, or the title as the system keeps it (read without a message to the window's thread).
static std::string name_of(HWND window, bool title = false)
{
    char name[256] = "";
    title ? GetWindowTextA(window, name, sizeof name) : GetClassNameA(window, name, sizeof name);
    return name;
}

DWORD window_process(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::vector<HWND> top_windows(const char *class_wanted, DWORD pid, bool visible_only)
{
    std::vector<HWND> found;
    for (HWND w = FindWindowExA(nullptr, nullptr, class_wanted, nullptr); w;
         w = FindWindowExA(nullptr, w, class_wanted, nullptr))
        if ((!visible_only || IsWindowVisible(w)) && (!pid || window_process(w) == pid))
            found.push_back(w);
    return found;
}

HWND find_window(const char *class_wanted, DWORD pid)
{
    const std::vector<HWND> found = top_windows(class_wanted, pid);
    return found.empty() ? nullptr : found[0];
}

HWND find_popup_menu(DWORD pid, RECT *rect)
{
    HWND menu = find_window("#32768", pid);
    if (menu && rect)
        GetWindowRect(menu, rect);
    return menu;
}

// Polls until find gives a window of process pid; null and a failure that shows pid's windows when not.
template <class Find> static HWND wait_window(DWORD pid, const char *what, Find find)
{
    HWND found = nullptr;
    if (poll_until([&] { return (found = find()) != nullptr; }))
        return found;
    ADD_FAILURE() << "no " << what << "; the windows of the process:\n" << describe_windows(pid);
    return nullptr;
}

HWND wait_popup_menu(DWORD pid, RECT *rect)
{
    return wait_window(pid, "menu", [&] { return find_popup_menu(pid, rect); });
}

RECT next_popup(DWORD pid, const RECT &previous)
{
    RECT now = {};
    EXPECT_TRUE(poll_until([&] { return find_popup_menu(pid, &now) && !EqualRect(&now, &previous); }))
        << "no next menu";
    return now;
}

std::string take_message_box(const process &p)
{
    HWND box = wait_window(p.id, "message box titled \"Mivra\"", [&] {
        for (HWND w : top_windows("#32770", p.id))
            if (name_of(w, true) == "Mivra")
                return w;
        return HWND();
    });
    if (!box)
        return "";
    // A message box always has its icon control; without an icon style it is hidden and holds no icon.
    bool icon = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        icon = icon || (IsWindowVisible(child) && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                        SendMessageA(child, STM_GETICON, 0, 0));
    EXPECT_TRUE(icon) << "the message box shows no icon";
    EXPECT_TRUE(process_running(p)) << "the process must wait for the message to be dismissed";
    // Message boxes give their text control the identifier 0xFFFF.
    const std::string text = window_text(GetDlgItem(box, 0xFFFF));
    const int id = GetDlgItem(box, IDOK) ? IDOK : IDCANCEL;
    EXPECT_TRUE(PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box, id))));
    return text;
}

std::string window_text(HWND window)
{
    DWORD_PTR length = 0;
    if (!window || !SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return "";
    // The reported length may count characters; two bytes each always suffice in code page 932.
    std::vector<char> buffer(length * 2 + 2, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied))
        return "";
    return std::string(buffer.data());
}

std::string describe_windows(DWORD pid)
{
    std::string text;
    for (HWND w : top_windows(nullptr, pid, false)) {
        RECT r = {};
        GetWindowRect(w, &r);
        char line[512];
        snprintf(line, sizeof line, "  class \"%s\" title \"%s\" at (%ld, %ld)-(%ld, %ld)%s\n",
                 name_of(w).c_str(), name_of(w, true).c_str(), r.left, r.top, r.right, r.bottom,
                 IsWindowVisible(w) ? " visible" : " hidden");
        text += line;
    }
    return text.empty() ? "  no top-level windows\n" : text;
}

GUITHREADINFO gui_info(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info : GUITHREADINFO();
}

int listed_index(HWND window)
{
    // The candidates as the target room lists them: visible, with an area, not minimised, not the shell's.
    int index = 0;
    for (HWND w : top_windows(nullptr, 0)) {
        RECT r = {};
        GetWindowRect(w, &r);
        const LONG width = r.right - r.left, height = r.bottom - r.top;
        const std::string name = name_of(w);
        if (w == window)
            return index;
        index += name != "Shell_TrayWnd" && name != "Progman" && width > 0 && height > 0 &&
                 !(width == GetSystemMetrics(SM_CXMINIMIZED) && height == GetSystemMetrics(SM_CYMINIMIZED));
    }
    return -1;
}

HWND dialog_control(DWORD pid, int id)
{
    for (HWND w : top_windows("#32770", pid, false))
        if (GetDlgItem(w, id))
            return GetDlgItem(w, id);
    return nullptr;
}

HWND wait_search_edit(DWORD pid)
{
    return wait_window(pid, "search window with its edit line focused", [&] {
        HWND edit = dialog_control(pid, 100);
        return edit && GetForegroundWindow() == GetParent(edit) && gui_info(edit).hwndFocus == edit ? edit : HWND();
    });
}

static void key_event(BYTE virtual_key, DWORD flags)
{
    // The navigation keys sit on the extended block of the keyboard.
    if ((virtual_key >= VK_PRIOR && virtual_key <= VK_DOWN) || virtual_key == VK_INSERT ||
        virtual_key == VK_DELETE)
        flags |= KEYEVENTF_EXTENDEDKEY;
    keybd_event(virtual_key, static_cast<BYTE>(MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC)), flags, 0);
}

void press_key(BYTE virtual_key, BYTE modifier)
{
    if (modifier)
        key_event(modifier, 0);
    key_event(virtual_key, 0);
    key_event(virtual_key, KEYEVENTF_KEYUP);
    if (modifier)
        key_event(modifier, KEYEVENTF_KEYUP);
}

void press_keys(DWORD pid, const std::vector<BYTE> &keys)
{
    RECT shown = {};
    find_popup_menu(pid, &shown);
    for (BYTE key : keys) {
        const size_t menus = key - open_menus_2 + 2u;
        if (key >= open_menus_2 && key <= open_menus_4)
            EXPECT_TRUE(poll_until([&] { return top_windows("#32768", pid).size() == menus; }))
                << "no submenu";
        else if (key == next_menu)
            shown = next_popup(pid, shown);
        else if (key == '@')
            type_text("@");
        else
            press_key(key);
    }
}

void choose_entry(int index)
{
    for (int i = 0; i < index; ++i)
        press_key(VK_DOWN);
    press_key(VK_RETURN);
}

void type_text(const std::string &ascii)
{
    for (char c : ascii) {
        SHORT scan = VkKeyScanA(c);
        press_key(LOBYTE(scan), (HIBYTE(scan) & 1) ? VK_SHIFT : 0);
    }
}

// The clipboard wants a real owner window; another process may hold it for a moment.
static bool open_clipboard()
{
    static HWND owner = CreateWindowExA(0, "STATIC", "e2e clipboard", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    return poll_until([&] { return OpenClipboard(owner) != 0; }, 3000);
}

bool set_clipboard_text(const std::string &text, const char *format)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1),
            extra = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DWORD));
    if (!block || !extra || !open_clipboard())
        return false;
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    const bool ok = EmptyClipboard() && SetClipboardData(CF_TEXT, block);
    const bool extra_taken = ok && format && SetClipboardData(RegisterClipboardFormatA(format), extra);
    CloseClipboard();
    if (!extra_taken)
        GlobalFree(extra);
    return ok && (!format || extra_taken);
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

void bench::SetUp()
{
    // Every expected text is Shift-JIS: the session must run in code page 932.
    ASSERT_EQ(GetACP(), 932u) << "the Wine session is not Japanese (LANG=ja_JP.UTF-8)";
    // Leftovers of an earlier failed run.
    for (const char *leftover : {"Mivra_WClass", "Mivra_E2E_Target"})
        for (HWND w : top_windows(leftover, 0, false))
            if (window_process(w) != GetCurrentProcessId()) {
                process p = {OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, window_process(w)),
                             window_process(w)};
                fprintf(stderr, "e2e: ending leftover process %lu (window class %s)\n", p.id, leftover);
                kill_process(p);
            }
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
    if (HasFailure() || dir_.empty()) {
        fprintf(stderr, "e2e: files of the failed test kept in %s\n", dir_.c_str());
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string bench::with_dir(std::string text) const
{
    for (size_t at; (at = text.find("$DIR")) != std::string::npos;)
        text.replace(at, 4, dir_);
    return text;
}

std::string bench::install(const std::string &name, const std::string &as)
{
    const std::string to = in_dir(as.empty() ? name : as), exe = windows_path(MIVRA_EXE_PATH);
    if (CopyFileA((exe.substr(0, exe.rfind('\\') + 1) + name).c_str(), to.c_str(), FALSE))
        return to;
    ADD_FAILURE() << "cannot copy " << name << " to " << to;
    return "";
}

void bench::install_dictionary()
{
    CreateDirectoryA(in_dir("dict").c_str(), nullptr);
    for (const char *name : {"migemo-dict", "roma2hira.dat", "hira2kata.dat", "han2zen.dat", "zen2han.dat"})
        install(std::string("dict\\") + name);
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
    return launch(exe, with_dir(args), dir_);
}

target_app &bench::launch_target(const std::string &text1, int sel_start, int sel_end, const std::string &text2,
                                 bool plain)
{
    targets_.emplace_back();
    target_app &t = targets_.back();
    const std::string file1 = in_dir("target_text1.txt"), file2 = in_dir("target_text2.txt");
    EXPECT_TRUE(write_file(file1, text1) && write_file(file2, text2));
    t.proc = launch(windows_path(target_path),
                    std::string(plain ? "--plain " : "") + "\"@" + file1 + "\" " + std::to_string(sel_start) + " " +
                        std::to_string(sel_end) + " \"@" + file2 + "\"",
                    dir_);
    if (!t.proc.handle)
        return t;
    // Ready in front with its property "ready", set after focus and selection: a caret read before is wrong.
    t.window = wait_window(t.proc.id, "target in front", [&] {
        HWND found = GetForegroundWindow();
        return window_process(found) == t.proc.id && GetPropA(found, "ready") ? found : HWND();
    });
    t.edit1 = GetDlgItem(t.window, 101);
    t.edit2 = GetDlgItem(t.window, 102);
    return t;
}

void expect_ends_with_zero(process &p, DWORD timeout)
{
    DWORD code = 1;
    ASSERT_TRUE(wait_process_exit(p, timeout, &code)) << "the process did not end; its windows:\n"
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
    ASSERT_TRUE(poll_until([&] { return GetForegroundWindow() == t.window && gui_info(t.window).hwndFocus == t.edit1; }))
        << "the target did not come to the front with edit 1 focused";
    type_text("#");
    expect_edit_text(t.edit1, before + "#" + after);
}

} // namespace e2e
