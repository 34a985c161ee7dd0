// The end-to-end tests' target: a top-level window "E2E Target" (class "Mivra_E2E_Target") with two
// multi-line EDIT controls (identifiers 101 and 102) that take pasted and inserted text.
//
//   e2e_target.exe TEXT1 SEL_START SEL_END [TEXT2] [--out=FILE]
//   e2e_target.exe --message-box TEXT    a message box titled "Mivra"; exits with its result
//   e2e_target.exe --menu X Y            a popup menu of three entries (ids 1 to 3) at (X, Y);
//                                        exits with the chosen id, 0 when cancelled
//
// Edit 1 holds TEXT1 with the selection [SEL_START, SEL_END) (characters) and the focus; edit 2 holds
// TEXT2. A text written "@PATH" is the contents of that file, so any bytes (line breaks, Shift-JIS
// with a 0x5C trail byte) survive. Tab and Shift+Tab move the focus to the other edit and select its
// whole text, as in a dialog. When the window closes, the texts are written to FILE as
// "text1\0text2\0". The window sits at a fixed place so that caret positions repeat.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char window_class[] = "Mivra_E2E_Target";
const int edit1_id = 101;
const int edit2_id = 102;

HWND edit1, edit2;
HWND last_focus; // restored when the window is activated again, as a dialog does
WNDPROC edit_proc;
std::string out_file;

std::string argument_text(const char *arg)
{
    if (arg[0] != '@')
        return arg;
    std::string text;
    HANDLE h = CreateFileA(arg + 1, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0)
        text.append(chunk, got);
    CloseHandle(h);
    return text;
}

std::string edit_text(HWND edit)
{
    int length = GetWindowTextLengthA(edit);
    std::string text(static_cast<size_t>(length) * 2 + 1, '\0');
    GetWindowTextA(edit, &text[0], static_cast<int>(text.size()));
    return std::string(text.c_str());
}

void write_texts()
{
    if (out_file.empty())
        return;
    std::string data = edit_text(edit1);
    data.push_back('\0');
    data += edit_text(edit2);
    data.push_back('\0');
    HANDLE h = CreateFileA(out_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(h);
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
        edit1 = create_edit(window, edit1_id, 10);
        edit2 = create_edit(window, edit2_id, 220);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE && last_focus) {
            SetFocus(last_focus);
            return 0;
        }
        break;
    case WM_CLOSE:
        write_texts();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// The bench's own checks of its message-box and menu helpers use these, so that a failing test of
// mivra.exe can be told apart from a broken bench.
int show_message_box(const char *text) { return MessageBoxA(nullptr, text, "Mivra", MB_ICONERROR); }

int show_menu(HINSTANCE instance, int x, int y)
{
    HWND owner = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "E2E Menu Owner", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, instance, nullptr);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1, "one");
    AppendMenuA(menu, MF_STRING, 2, "two");
    AppendMenuA(menu, MF_STRING, 3, "three");
    SetForegroundWindow(owner);
    int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0, owner, nullptr);
    DestroyMenu(menu);
    DestroyWindow(owner);
    return chosen;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc == 3 && strcmp(__argv[1], "--message-box") == 0)
        return show_message_box(argument_text(__argv[2]).c_str());
    if (__argc == 4 && strcmp(__argv[1], "--menu") == 0)
        return show_menu(instance, atoi(__argv[2]), atoi(__argv[3]));
    if (__argc < 4) {
        MessageBoxA(nullptr, "e2e_target.exe TEXT1 SEL_START SEL_END [TEXT2] [--out=FILE]", "E2E Target", MB_OK);
        return 2;
    }
    std::string text1 = argument_text(__argv[1]);
    int sel_start = atoi(__argv[2]);
    int sel_end = atoi(__argv[3]);
    std::string text2;
    for (int i = 4; i < __argc; ++i) {
        if (strncmp(__argv[i], "--out=", 6) == 0)
            out_file = __argv[i] + 6;
        else
            text2 = argument_text(__argv[i]);
    }

    WNDCLASSA wc = {};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = window_class;
    if (!RegisterClassA(&wc))
        return 1;
    HWND window = CreateWindowExA(0, window_class, "E2E Target", WS_OVERLAPPEDWINDOW, 100, 100, 640, 480, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 1;
    SetWindowTextA(edit1, text1.c_str());
    SetWindowTextA(edit2, text2.c_str());
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetForegroundWindow(window);
    SetFocus(edit1);
    SendMessageA(edit1, EM_SETSEL, sel_start, sel_end);
    SendMessageA(edit1, EM_SCROLLCARET, 0, 0);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
