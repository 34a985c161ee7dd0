// The newcomer's demo, run inside the Wine session by scripts/demo: starts Wine's notepad as the
// target and mivra.exe beside the sample data file, then either lets the user choose (interactive)
// or opens the menu, waits for the screenshot, chooses "今日の日付" with keys, and prints the text
// that landed in notepad.
//
//   demo_driver DIST_DIR [--auto STATE_DIR] [--search]
// In automatic mode it writes STATE_DIR/menu-open (the shown window's rectangle) when the menu is up
// and goes on once STATE_DIR/shot-ready exists. With --search mivra.exe opens its search window
// ("/#g"): Down lists every item, and Enter pastes the first one.
#include "e2e_support.h"

#include <cstdio>
#include <string>

using namespace e2e;

namespace {

int fail(const char *what)
{
    fprintf(stderr, "demo: %s\n", what);
    return 1;
}

HWND notepad_edit(HWND notepad) { return FindWindowExA(notepad, nullptr, "Edit", nullptr); }

// The search window of process pid once it shows: the dialog that holds the edit line (id 100).
HWND wait_search_window(DWORD pid)
{
    HWND found = nullptr;
    poll_until([&] {
        for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w; w = FindWindowExA(nullptr, w, "#32770", nullptr))
            if (window_process(w) == pid && GetDlgItem(w, 100) && IsWindowVisible(w))
                return (found = w) != nullptr;
        return false;
    });
    return found;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return fail("usage: demo_driver DIST_DIR [--auto STATE_DIR]");
    std::string dist = windows_path(argv[1]);
    bool automatic = argc >= 4 && std::string(argv[2]) == "--auto";
    std::string state = automatic ? windows_path(argv[3]) : "";
    bool search = std::string(argv[argc - 1]) == "--search";

    char system_dir[MAX_PATH] = "";
    GetSystemDirectoryA(system_dir, MAX_PATH);
    process notepad = start_process(join_path(system_dir, "notepad.exe"), "", dist);
    if (!notepad.handle)
        return fail("notepad did not start");
    HWND window = nullptr;
    poll_until([&] { return (window = find_window("Notepad", notepad.id)) != nullptr; });
    if (!window)
        return fail("notepad's window did not appear");
    SetForegroundWindow(window);
    poll_until([&] { return GetForegroundWindow() == window; }, 5000);

    process mivra = start_process(join_path(dist, "mivra.exe"), search ? "/#g" : "", dist);
    if (!mivra.handle)
        return fail("mivra.exe did not start");

    if (automatic && search) {
        HWND window = wait_search_window(mivra.id);
        if (!window)
            return fail("the search window did not open");
        press_key(VK_DOWN);       // every item, the first one selected
        Sleep(500);               // the list draws before the picture is taken
        RECT r;
        GetWindowRect(window, &r);
        // The margin for the list and the preview grows with the screen's DPI, as they do.
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        char where[80];
        snprintf(where, sizeof where, "%ld %ld %ld %ld\n", r.left, r.top - MulDiv(20, dpi, 96),
                 r.right + MulDiv(480, dpi, 96), r.bottom + MulDiv(320, dpi, 96));
        write_file(join_path(state, "menu-open"), where);
        if (!poll_until([&] { return file_exists(join_path(state, "shot-ready")); }, 60000))
            return fail("no screenshot was taken");
        press_key(VK_RETURN);
    } else if (automatic) {
        RECT menu;
        if (!wait_popup_menu(mivra.id, &menu))
            return fail("the menu did not open");
        char where[80];
        snprintf(where, sizeof where, "%ld %ld %ld %ld\n", menu.left, menu.top, menu.right, menu.bottom);
        write_file(join_path(state, "menu-open"), where);
        // scripts/demo takes the screenshot, then creates the file.
        if (!poll_until([&] { return file_exists(join_path(state, "shot-ready")); }, 60000))
            return fail("no screenshot was taken");
        press_key('D'); // the group "日付と時刻"
        poll_until([&] {
            RECT r;
            HWND found = nullptr;
            for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w;
                 w = FindWindowExA(nullptr, w, "#32768", nullptr))
                if (IsWindowVisible(w) && GetWindowRect(w, &r) && r.left != menu.left)
                    found = w;
            return found != nullptr;
        });
        press_key('1'); // "今日の日付"
    }

    DWORD code = 0;
    if (!wait_process_exit(mivra, automatic ? wait_ms : INFINITE, &code))
        return fail("mivra.exe did not end");
    HWND edit = notepad_edit(window);
    std::string text;
    poll_until([&] { return !(text = window_text(edit)).empty(); }, 5000);
    printf("pasted: %s\n", text.c_str());
    fflush(stdout);
    kill_process(notepad);
    return text.empty() ? 1 : 0;
}
