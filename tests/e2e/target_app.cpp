// The end-to-end tests' target, "e2e_target.exe [--plain] @FILE1 SEL_START SEL_END @FILE2": a window
// "E2E Target" (class "Mivra_E2E_Target") at a fixed place with two multi-line EDIT controls (101 and
// 102). Edit 1 holds FILE1's bytes with the selection [SEL_START, SEL_END) (characters) and the focus;
// edit 2 FILE2's. Tab moves the focus to the other edit and selects its text, as in a dialog. Activated
// again, the window puts the focus back on its edit, as dialogs do; with --plain it leaves WM_ACTIVATE
// to the system, which focuses the window itself. The property "ready" is set once all is in place.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

HWND edit1, edit2, last_focus;
bool plain = false;
WNDPROC edit_proc;

std::string argument_text(const char *arg) // "@PATH"
{
    std::ifstream f(arg + 1, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// Multi-line edits want every key, so Tab would insert a tab character; here it moves the focus.
LRESULT CALLBACK edit_subclass(HWND edit, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_KEYDOWN && wparam == VK_TAB) {
        HWND other = edit == edit1 ? edit2 : edit1;
        SetFocus(other);
        SendMessageA(other, EM_SETSEL, 0, -1);
        return 0;
    }
    if (message == WM_CHAR && wparam == '\t')
        return 0;
    // Counted on the window as the property "paste_keys": a paste of nothing shows no text, this does.
    if (message == WM_KEYDOWN && wparam == 'V' && GetKeyState(VK_CONTROL) < 0) {
        HWND window = GetParent(edit);
        INT_PTR count = reinterpret_cast<INT_PTR>(GetPropA(window, "paste_keys"));
        SetPropA(window, "paste_keys", reinterpret_cast<HANDLE>(count + 1));
    }
    if (message == WM_SETFOCUS)
        last_focus = edit;
    return CallWindowProcA(edit_proc, edit, message, wparam, lparam);
}

HWND create_edit(HWND parent, int id, int top)
{
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                    ES_AUTOHSCROLL | ES_WANTRETURN,
                                10, top, 600, 200, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleA(nullptr), nullptr);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    SendMessageA(edit, EM_SETLIMITTEXT, 0, 0); // no 30,000-character limit for long pastes
    edit_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit_subclass)));
    return edit;
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        edit1 = create_edit(window, 101, 10);
        edit2 = create_edit(window, 102, 220);
        return 0;
    case WM_ACTIVATE:
        if (!plain && LOWORD(wparam) != WA_INACTIVE && last_focus) {
            SetFocus(last_focus);
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    plain = __argc > 1 && strcmp(__argv[1], "--plain") == 0;
    const int first = plain ? 2 : 1;
    if (__argc < first + 4)
        return 2;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.lpszClassName = "Mivra_E2E_Target";
    RegisterClassA(&wc); // else the window below fails
    HWND window = CreateWindowExA(0, wc.lpszClassName, "E2E Target", WS_OVERLAPPEDWINDOW, 100, 100, 640, 480,
                                  nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    SetWindowTextA(edit1, argument_text(__argv[first]).c_str());
    SetWindowTextA(edit2, argument_text(__argv[first + 3]).c_str());
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(edit1);
    SendMessageA(edit1, EM_SETSEL, atoi(__argv[first + 1]), atoi(__argv[first + 2]));
    SendMessageA(edit1, EM_SCROLLCARET, 0, 0);
    SetPropA(window, "ready", reinterpret_cast<HANDLE>(1));

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
