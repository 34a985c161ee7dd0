// The yardstick of `scripts/bench startup`: the least a program does to show a popup menu of 20
// entries at once (a hidden owner window, the menu, TrackPopupMenu), linked like mivra.exe but with
// user32 alone. Mivra's start-up cost is measured against it.
#include <windows.h>

#include <cstdio>

static const int entry_count = 20;
static const int first_entry_id = 1000;
static const int menu_x = 200, menu_y = 200;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = instance;
    window_class.lpszClassName = "Mivra_bare_popup";
    if (!RegisterClassA(&window_class))
        return 1;
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, window_class.lpszClassName, "", WS_POPUP,
                                  0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    HMENU menu = window ? CreatePopupMenu() : nullptr;
    if (!menu)
        return 1;
    for (int i = 0; i < entry_count; ++i) {
        char caption[32];
        snprintf(caption, sizeof caption, "Entry &%d", i);
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(first_entry_id + i), caption);
    }
    SetForegroundWindow(window);
    TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, menu_x, menu_y, 0, window, nullptr);
    DestroyMenu(menu);
    DestroyWindow(window);
    return 0;
}
