// The search window's dialogs, windows, key handler and painting.
#include "search/search_window_win32.h"

#include <windows.h>
#include <shellapi.h>

#include "choice/choice.h"
#include "datafile/item_store.h"
#include "datafile/log.h"
#include "datafile/settings.h"
#include "menus/text_file_popup_win32.h"
#include "menus/window_popup.h"
#include "menus/window_popup_win32.h"
#include "menus/history_popup_win32.h"
#include "os/win32/os_win32.h"
#include "output/output_state.h"
#include "search/matching.h"
#include "search/result_list.h"
#include "search/search_keys.h"
#include "search/search_enter.h"
#include "search/search_output.h"
#include "search/search_state.h"
#include "search/text_file_search.h"
#include "search/geometry.h"
#include "target/target.h"
#include "text/sjis.h"

namespace {

constexpr int edit_id = 100;
constexpr int list_id = 200;
constexpr int edit_x = 19, edit_y = -1, edit_margin = 34, edit_height = 19;
constexpr COLORREF note_colour = 0xE1FFFF; // red 255, green 255, blue 225
constexpr int release_poll_ms = 10;
const char items_guidance[] = "設定ファイル使用";
const char file_choice_guidance[] = "ファイル検索実行";

HWND search_window, edit_line, list_window, result_list, preview_window, preview_text, guidance_window,
    guidance_label;
// The DPI the search window and its companions are sized for (that of the monitor they are on), and
// the one the fonts in `settings` were made for (0 before any).
uint32_t window_dpi = base_dpi, fonts_dpi;
// With an initial word and automatic acceptance the window stays hidden until the first pass has
// decided; the dialog's modal loop would otherwise show and activate it, taking the paste's focus.
bool kept_hidden;
WNDPROC edit_procedure;
HBRUSH note_brush;
search_result result;

// How the dialog ends: handed over to the main window's timers, finished, or for want of a target.
enum dialog_end : int { dialog_handed_over = 0, dialog_finished = 1, dialog_no_target = 2 };

os_window os_of(HWND window) { return reinterpret_cast<os_window>(window); }
HINSTANCE instance() { return GetModuleHandleA(nullptr); }

void move_to(HWND window, const os_rect &r)
{
    if (window)
        MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void press_key(BYTE key)
{
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

void focus_edit_line() { SetFocus(edit_line); }

// Romaji search wants letters: the edit line starts with the input method closed (the user may
// open it again). imm32 is looked up, not linked, so a start without romaji never loads it.
void close_input_method()
{
    typedef HANDLE(WINAPI * get_context_fn)(HWND);
    typedef BOOL(WINAPI * set_open_fn)(HANDLE, BOOL);
    typedef BOOL(WINAPI * release_context_fn)(HWND, HANDLE);
    auto get_context = reinterpret_cast<get_context_fn>(os_system_function("imm32.dll", "ImmGetContext"));
    auto set_open = reinterpret_cast<set_open_fn>(os_system_function("imm32.dll", "ImmSetOpenStatus"));
    auto release = reinterpret_cast<release_context_fn>(os_system_function("imm32.dll", "ImmReleaseContext"));
    if (!get_context || !set_open || !release)
        return;
    if (HANDLE context = get_context(edit_line)) {
        set_open(context, FALSE);
        release(edit_line, context);
    }
}

// A size or position in 96-DPI pixels at the windows' DPI. Edges are scaled, not widths, so that
// neighbours still meet.
int at_dpi(int pixels) { return scale_to_dpi(pixels, window_dpi); }

// ---- fonts ---------------------------------------------------------------------------------------

HFONT create_japanese_font(const char *face, int height, int weight, int italic)
{
    return CreateFontA(at_dpi(height), 0, 0, 0, weight, italic ? TRUE : FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_MODERN | FIXED_PITCH, face);
}

uintptr_t as_font(HFONT font) { return reinterpret_cast<uintptr_t>(font); }

void set_font(HWND window, uintptr_t font)
{
    if (window)
        SendMessageA(window, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
}

// The default font, the list's ("@font=") and the preview's, at window_dpi. Made once; made again
// when the DPI changed, the old ones deleted once no window uses them.
void make_fonts()
{
    uintptr_t *fonts[] = {&settings.default_font, &settings.list_font, &settings.preview_font};
    uintptr_t old[3] = {0, 0, 0};
    if (fonts_dpi != window_dpi) {
        for (int i = 0; i < 3; ++i) {
            old[i] = *fonts[i];
            *fonts[i] = 0;
        }
    }
    fonts_dpi = window_dpi;
    if (!settings.default_font)
        settings.default_font =
            as_font(create_japanese_font(default_font_face, default_font_height, default_font_weight, 0));
    if (settings.list_font_set == 1 && !settings.list_font)
        settings.list_font = as_font(create_japanese_font(settings.list_font_face, settings.list_font_height,
                                                          settings.list_font_weight, settings.list_font_italic));
    if (settings.preview_mode != preview_off && !settings.preview_font)
        settings.preview_font = as_font(create_japanese_font(settings.preview_font_face, settings.preview_font_height,
                                                             settings.preview_font_weight,
                                                             settings.preview_font_italic));
    set_font(edit_line, settings.default_font);
    set_font(result_list, settings.list_font_set == 1 ? settings.list_font : settings.default_font);
    set_font(preview_text, settings.preview_font);
    set_font(guidance_label, settings.default_font);
    for (uintptr_t font : old)
        if (font)
            DeleteObject(reinterpret_cast<HFONT>(font));
}

// ---- the result list --------------------------------------------------------------------------

// The list box inside the list window, at window_dpi.
RECT list_box_rect()
{
    return RECT{at_dpi(-1), 0, at_dpi(settings.list_window_width - 5), at_dpi(settings.list_window_height - 5)};
}

// The list window goes to its place below the search window, at full size, before every new list.
void create_result_list(DWORD style)
{
    RECT r;
    GetWindowRect(search_window, &r);
    MoveWindow(list_window, r.left, r.bottom, at_dpi(settings.list_window_width), at_dpi(settings.list_window_height),
               TRUE);
    const RECT b = list_box_rect();
    result_list = CreateWindowExA(0, "LISTBOX", nullptr, style, b.left, b.top, b.right - b.left, b.bottom - b.top,
                                  list_window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(list_id)), instance(), nullptr);
    uintptr_t font = settings.list_font_set == 1 ? settings.list_font : settings.default_font;
    SendMessageA(result_list, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
}

void reset_list(DWORD style)
{
    ShowWindow(list_window, SW_HIDE);
    if (preview_window)
        ShowWindow(preview_window, SW_HIDE);
    if (result_list)
        DestroyWindow(result_list);
    create_result_list(style);
}

void reset_list() { reset_list(settings.list_style); }

// An empty edit line and list, the guidance left as it is.
void empty_search()
{
    SetWindowTextA(edit_line, "");
    reset_list();
    focus_edit_line();
}

int list_count() { return static_cast<int>(SendMessageA(result_list, LB_GETCOUNT, 0, 0)); }
int list_selection() { return static_cast<int>(SendMessageA(result_list, LB_GETCURSEL, 0, 0)); }

// The lines the list shows: its client height over the line height, at least one.
int32_t page_lines()
{
    RECT r;
    GetClientRect(result_list, &r);
    const LRESULT line = SendMessageA(result_list, LB_GETITEMHEIGHT, 0, 0);
    return line > 0 && r.bottom >= line ? static_cast<int32_t>(r.bottom / line) : 1;
}

// Line n as the list box holds it (a sorted list box orders lines its own way); false for none.
bool read_line(int n, char *out, size_t capacity)
{
    LRESULT length = SendMessageA(result_list, LB_GETTEXTLEN, static_cast<WPARAM>(n), 0);
    if (n < 0 || length == LB_ERR || static_cast<size_t>(length) >= capacity)
        return false;
    return SendMessageA(result_list, LB_GETTEXT, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(out)) != LB_ERR;
}

// The item index kept with line n (fill_list), -1 for none.
int32_t line_item(int n)
{
    const LRESULT data = SendMessageA(result_list, LB_GETITEMDATA, static_cast<WPARAM>(n), 0);
    return data == LB_ERR ? -1 : static_cast<int32_t>(data);
}

// The preview of line n; hidden when none can be made, so that no other entry's text stays.
void show_preview(int n)
{
    char line[2 * path_capacity];
    if (!preview_window || settings.preview_mode == preview_off)
        return;
    if (!read_line(n, line, sizeof line) || !make_preview_text(os_of(search_window), line, line_item(n))) {
        ShowWindow(preview_window, SW_HIDE);
        return;
    }
    SetWindowTextA(preview_text, output.output_text);
    RECT r;
    GetWindowRect(preview_window, &r);
    preview_placement place = preview_layout(output.output_text, r.left, target.preview_top, window_dpi);
    move_to(preview_window, place.window);
    move_to(preview_text, place.text);
    ShowWindow(preview_window, SW_SHOWNA);
}

// Lines of a text file or [file] names go into the list box as they are listed.
void add_text_line(void *, const char *line)
{
    SendMessageA(result_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
}

// Each line keeps its item's index as its data, which a sorted list box moves with the line.
void fill_list(const search_result &listed)
{
    for (int32_t i = 0; i < listed.count; ++i) {
        const int32_t item = listed.entries[i];
        const LRESULT at = SendMessageA(result_list, LB_ADDSTRING, 0,
                                        reinterpret_cast<LPARAM>(store.items[item].list_caption));
        if (at >= 0)
            SendMessageA(result_list, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(item));
    }
}

// The first line selected, the list shown, and its preview when asked.
void show_first_line(bool preview)
{
    SendMessageA(result_list, LB_SETCURSEL, 0, 0);
    ShowWindow(list_window, SW_SHOWNA);
    if (preview)
        show_preview(0);
}

// After list_all and list_recent: an empty edit line, the first line selected with its preview.
void show_listing(int32_t count)
{
    if (count > 0) {
        fill_list(result);
        SetWindowTextA(edit_line, "");
        show_first_line(true);
    }
    focus_edit_line();
}

// ---- guidance ----------------------------------------------------------------------------------

void show_guidance(const char *text, int width, int label_width)
{
    if (!guidance_window)
        return;
    RECT r;
    GetWindowRect(guidance_window, &r);
    MoveWindow(guidance_window, r.left, r.top, at_dpi(width), at_dpi(18), TRUE);
    MoveWindow(guidance_label, at_dpi(3), at_dpi(1), at_dpi(3 + label_width) - at_dpi(3), at_dpi(16), TRUE);
    SetWindowTextA(guidance_label, text);
    ShowWindow(guidance_window, SW_SHOWNA);
}

// The label as wide as the text in the label's device context (whose default font measures it).
void fit_guidance(const char *text, bool show)
{
    if (!guidance_window)
        return;
    SIZE size = {0, 0};
    HDC dc = GetDC(guidance_label);
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    ReleaseDC(guidance_label, dc);
    RECT r;
    GetWindowRect(guidance_window, &r);
    MoveWindow(guidance_window, r.left, r.top, size.cx + at_dpi(6), at_dpi(18), TRUE);
    MoveWindow(guidance_label, at_dpi(3), at_dpi(1), size.cx, at_dpi(16), TRUE);
    SetWindowTextA(guidance_label, text);
    if (show)
        ShowWindow(guidance_window, SW_SHOWNA);
}

void hide_guidance()
{
    if (guidance_window)
        ShowWindow(guidance_window, SW_HIDE);
}

// The chosen text file's name without folder and extension, fitted to it and shown.
void show_text_file_guidance()
{
    if (settings.guidance != 1)
        return;
    char name[path_capacity];
    text_file_base_name(store.text_file_selected, name);
    fit_guidance(name, true);
}

// ---- placement and the end of the dialog -------------------------------------------------------

// The edit line in the search window, at window_dpi.
RECT edit_rect()
{
    const int x = at_dpi(edit_x), y = at_dpi(edit_y);
    return RECT{x, y, at_dpi(settings.search_window_width - edit_margin + edit_x), y + at_dpi(edit_height)};
}

// The edit line and the result list sized for window_dpi (the preview and guidance are sized as
// they are shown).
void size_children()
{
    const RECT e = edit_rect(), b = list_box_rect();
    MoveWindow(edit_line, e.left, e.top, e.right - e.left, e.bottom - e.top, TRUE);
    if (result_list)
        MoveWindow(result_list, b.left, b.top, b.right - b.left, b.bottom - b.top, TRUE);
}

// Everything sized for another DPI: the fonts made again, the children resized.
void rescale(uint32_t dpi)
{
    window_dpi = dpi;
    make_fonts();
    size_children();
    InvalidateRect(search_window, nullptr, TRUE);
}

// The DPI of the monitor the search window is placed on, known before it is there.
uint32_t placement_dpi()
{
    const os_rect b = placement_bounds();
    return os_dpi_at(os_point{b.left + (b.right - b.left) / 2, b.top + (b.bottom - b.top) / 2});
}

// The companions where the search window is now.
void place_companions()
{
    RECT r;
    GetWindowRect(search_window, &r);
    search_window_layout layout =
        place_search_window_layout(os_rect{r.left, r.top, r.right, r.bottom}, window_dpi);
    move_to(list_window, layout.list);
    if (layout.has_preview)
        move_to(preview_window, layout.preview);
    if (layout.has_guidance)
        move_to(guidance_window, layout.guidance);
}

// Sized for the caret's monitor first: the move there then brings no DPI change to follow.
void place(int with_offsets)
{
    const uint32_t dpi = placement_dpi();
    if (dpi != window_dpi)
        rescale(dpi);
    move_to(search_window, search_window_rect(with_offsets, window_dpi));
    place_companions();
}

// The system moved the search window to a monitor of another DPI, or changed the DPI under it: to
// the rectangle it suggests, and everything sized again. A DPI the windows are sized for already
// (placement moved them there) needs nothing.
void on_dpi_changed(uint32_t dpi, const RECT *suggested)
{
    if (dpi == window_dpi || dpi == 0)
        return;
    rescale(dpi);
    move_to(search_window, os_rect{suggested->left, suggested->top, suggested->right, suggested->bottom});
    place_companions();
}

void restore_edit_procedure()
{
    if (edit_line && edit_procedure) {
        SetWindowLongPtrA(edit_line, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit_procedure));
        edit_procedure = nullptr;
    }
}

void destroy_companions()
{
    HWND *companions[] = {&list_window, &preview_window, &guidance_window};
    for (HWND *w : companions) {
        if (*w)
            DestroyWindow(*w);
        *w = nullptr;
    }
    result_list = preview_text = guidance_label = nullptr;
}

// finish_and_hand_over's window work: the main window's timer is armed already.
void end_handed_over()
{
    restore_edit_procedure();
    destroy_companions();
    EndDialog(search_window, dialog_handed_over);
}

// Carries out what the portable side decided; true when the dialog ended or was handed over.
// The clipboard entry's steps come first (take_clipboard_entry).
bool carry_out(search_action action)
{
    switch (action) {
    case action_end_finished:
        EndDialog(search_window, dialog_finished);
        return true;
    case action_end_no_target:
        EndDialog(search_window, dialog_no_target);
        return true;
    case action_hand_over:
        if (search_run.initial_word_state == initial_word_given)
            MoveWindow(search_window, 0, 0, 0, 0, TRUE);
        end_handed_over();
        return true;
    case action_keep_open:
        if (search_run.initial_word_state == initial_word_given)
            MoveWindow(search_window, 0, 0, 0, 0, TRUE);
        return true;
    case action_paste_and_stay:
        ShowWindow(list_window, SW_HIDE);
        if (preview_window)
            ShowWindow(preview_window, SW_HIDE);
        return true;
    case action_drop_first_line:
        SendMessageA(result_list, LB_DELETESTRING, 0, 0);
        return false;
    case action_file_chosen:
        if (choice_run.text_file_search == text_file_on)
            show_text_file_guidance();
        empty_search();
        return false;
    case action_run_search:
        hide_guidance();
        SendMessageA(search_window, WM_COMMAND, MAKEWPARAM(edit_id, EN_UPDATE), reinterpret_cast<LPARAM>(edit_line));
        return false;
    default:
        return false;
    }
}

// ---- a search pass -------------------------------------------------------------------------------

// The clipboard entry of a pass; while the recorder runs, an entry of the history popup instead.
search_action take_clipboard_entry()
{
    const search_action action = clipboard_entry();
    if (action != action_history_popup)
        return action;
    SetWindowTextA(edit_line, "");
    return clipboard_entry_after_history(show_history_popup(os_of(search_window), 0));
}

void run_search_pass()
{
    char text[path_capacity];
    GetWindowTextA(edit_line, text, sizeof text);
    reset_list();
    search_action action = search_pass(os_of(search_window), text, &result);
    if (action == action_clipboard_entry)
        action = take_clipboard_entry();
    if (action == action_show_list) {
        fill_list(result);
        show_first_line(result.show_preview != 0);
    } else if (action != action_nothing) {
        // An accepted hit or the clipboard entry ends the pass; the window stays as it is, unless
        // the initial word's pass left it open (the history popup of "&1" returned without a choice):
        // the word is used up then, and the window is shown for the user.
        if (carry_out(action) || search_run.initial_word_state != initial_word_given)
            return;
        kept_hidden = false;
        ShowWindow(search_window, SW_SHOW);
        switch_foreground(os_of(search_window));
    }
    if (search_run.initial_word_state == initial_word_given) {
        kept_hidden = false;
        ShowWindow(search_window, SW_SHOW);
        search_run.initial_word_state = initial_word_none;
        press_key(VK_UP);
    }
    focus_edit_line();
}

// ---- keys ----------------------------------------------------------------------------------------

// Whether a modifier was down when the key being handled was pressed (the queue's own key state).
bool held(int key) { return (GetKeyState(key) & 0x8000) != 0; }
// Whether a key is down now, for the wait that polls without reading messages.
bool key_down(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

// After Shift+Enter the keys must be up before anything is pasted, or the paste keys would mix
// with them; the user is told after 3 s, and after every poll from 5 s on.
void wait_for_release(int key)
{
    for (int32_t poll = 1; key_down(key); ++poll) {
        Sleep(release_poll_ms);
        if (release_warning_due(poll) && key_down(key))
            MessageBoxA(edit_line, release_keys_warning, "Mivra", MB_OK);
    }
}

// True when a result was handed over (the key is consumed then).
bool on_enter_key(bool shift, bool ctrl)
{
    if (shift) {
        wait_for_release(VK_SHIFT);
        wait_for_release(VK_CONTROL);
    }
    char text[path_capacity];
    GetWindowTextA(edit_line, text, sizeof text);
    char line[2 * path_capacity];
    const int n = list_selection();
    const bool selected = read_line(n, line, sizeof line);
    enter_outcome outcome = on_enter(os_of(search_window), os_of(edit_line),
                                     enter_input{shift, ctrl, text, selected ? line : nullptr, line_item(n)});
    if (outcome.hide_window)
        ShowWindow(search_window, SW_HIDE);
    carry_out(outcome.action);
    return outcome.action == action_hand_over || outcome.action == action_paste_and_stay;
}

void clear_search()
{
    SetWindowTextA(edit_line, "");
    search_run.file_choice = 0;
    ShowWindow(list_window, SW_HIDE);
    if (preview_window)
        ShowWindow(preview_window, SW_HIDE);
    hide_guidance();
    reset_list();
    focus_edit_line();
}

// ---- text-file search ----------------------------------------------------------------------------

// After the [file]-name choice was switched: its guidance, and an empty edit line.
void show_file_choice(int32_t choice)
{
    if (choice == 1 && settings.guidance == 1)
        show_guidance(file_choice_guidance, source_guidance_width, source_guidance_label_width);
    else if (choice == 0)
        show_text_file_guidance();
    SetWindowTextA(edit_line, "");
    focus_edit_line();
}

// Shift+Up: the list of text files below the window; the file chosen there is searched.
void pick_text_file()
{
    if (choice_run.text_file_search != text_file_on && !switch_text_file_search_on(os_of(search_window))) {
        empty_search();
        return;
    }
    search_run.file_choice = 0;
    SetWindowTextA(edit_line, "");
    const int32_t f = show_text_file_list_popup(os_of(search_window));
    if (f >= 0 && select_text_file(os_of(search_window), f))
        show_text_file_guidance();
    focus_edit_line();
}

// Shift+Down: the items again, or the chosen text file.
void switch_text_file_mode()
{
    if (choice_run.text_file_search == text_file_on) {
        switch_text_file_search_off();
        if (settings.guidance == 1)
            show_guidance(items_guidance, source_guidance_width, source_guidance_label_width);
    } else if (switch_text_file_search_on(os_of(search_window))) {
        show_text_file_guidance();
    }
    empty_search();
}

// Ctrl+Shift+Up: the [file]-name choice, switching text-file search on first when it is off.
// Ctrl with an arrow.
void window_popup_key()
{
    // The icon shows the new target; the popup's menu loop took the focus from the edit line.
    if (window_popup_available()) {
        if (show_window_popup(os_of(search_window), 0) && search_run.search_kind > search_popup_menu &&
            window_popup_moves_search_window(0))
            place(0);
        InvalidateRect(search_window, nullptr, TRUE);
    }
    focus_edit_line();
}

// Ctrl+Shift+Up with no selection; without a text file to search it is the window popup's key.
void file_choice_key()
{
    if (choice_run.text_file_search == text_file_on) {
        show_file_choice(toggle_file_choice());
    } else if (switch_text_file_search_on(os_of(search_window))) {
        search_run.file_choice = 1;
        show_file_choice(1);
    } else {
        window_popup_key();
    }
}

// Insert: true when the typed text was handed over (the key is consumed then).
bool insert_key()
{
    char text[path_capacity];
    GetWindowTextA(edit_line, text, sizeof text);
    const search_action action = insert_typed_line(os_of(search_window), text);
    carry_out(action);
    return action == action_hand_over;
}

// The key map; true when the key is consumed.
bool on_key(WPARAM virtual_key)
{
    if (settings.guidance == 1)
        hide_guidance();
    const int count = list_count();
    key_state state{search_key_from_virtual(static_cast<int>(virtual_key)), held(VK_SHIFT), held(VK_CONTROL),
                    list_selection() >= 0, GetWindowTextLengthA(edit_line) == 0, count > 0};
    key_decision decision = decide_key(state);
    if (decision.clear_confirmed)
        search_run.confirmed_search = 0;
    switch (decision.action) {
    case key_action_to_target:
        if (settings.stay_flag == 1)
            ShowWindow(search_window, SW_HIDE);
        switch_foreground(target.target_window);
        break;
    case key_action_enter:
        // Passed on unless a result was handed over; the line break it would make is dropped.
        if (on_enter_key(state.shift, state.ctrl))
            return true;
        break;
    case key_action_close:
        EndDialog(search_window, dialog_finished);
        break;
    case key_action_clear:
        clear_search();
        break;
    case key_action_toggle_confirmed: {
        int32_t mode = toggle_confirmed_search();
        if (settings.guidance == 1)
            show_guidance(confirmed_search_guidance(mode), mode_guidance_width, mode_guidance_label_width);
        focus_edit_line();
        break;
    }
    case key_action_toggle_romaji:
        toggle_romaji_search();
        InvalidateRect(search_window, nullptr, TRUE);
        break;
    case key_action_toggle_kind:
        toggle_search_kind();
        InvalidateRect(search_window, nullptr, TRUE);
        break;
    case key_action_move_selection: {
        const int32_t step = selection_step(state.key, page_lines(), count);
        const int32_t next = next_selection(list_selection(), count, step);
        if (next >= 0) {
            SendMessageA(result_list, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
            show_preview(next);
        }
        focus_edit_line();
        break;
    }
    case key_action_list_all:
        show_listing(list_all(&result));
        break;
    case key_action_window_popup:
        window_popup_key();
        break;
    case key_action_up_on_empty:
        if (choice_run.text_file_search == text_file_on) {
            show_file_choice(toggle_file_choice());
        } else if (settings.log_mode > 0 && log_entry_count > 0) {
            reset_list(recent_list_style());
            show_listing(list_recent(&result));
        } else {
            focus_edit_line();
        }
        break;
    case key_action_insert:
        if (insert_key())
            return true;
        break;
    case key_action_pick_text_file:
        pick_text_file();
        break;
    case key_action_text_file_mode:
        switch_text_file_mode();
        break;
    case key_action_file_choice:
        file_choice_key();
        break;
    default:
        break;
    }
    return !decision.pass_on;
}

// The timers of paste-and-stay, one delivery step each.
void on_edit_step(WPARAM id)
{
    if (id == static_cast<WPARAM>(timer_stay_history_choices)) {
        carry_out(on_stay_history_timer(os_of(search_window), os_of(edit_line)));
        return;
    }
    // Hiding the search window's windows passes the activation around (under Wine later, as its
    // messages arrive): the target is made the foreground window again right before the paste.
    return_to_target();
    if (carry_out(on_stay_deliver_timer(os_of(search_window))))
        return;
    reset_list();
    if (settings.stay_mode == stay_at_caret)
        place(1);
    SetWindowTextA(edit_line, "");
    if (search_run.keep_in_background != 1) {
        ShowWindow(search_window, SW_SHOW);
        switch_foreground(os_of(search_window));
        focus_edit_line();
    } else if (settings.stay_flag != 1) {
        ShowWindow(search_window, SW_SHOWNA);
    }
    search_run.keep_in_background = 0;
}

// A later start's hand-over or close that arrives during a step (the history popup's loop, the
// paste's waits) waits for its end, as for the main window's delivery; the windows may be gone then.
void on_edit_timer(WPARAM id)
{
    KillTimer(edit_line, id);
    if (delivery_hooks.begin_delivery)
        delivery_hooks.begin_delivery();
    on_edit_step(id);
    if (delivery_hooks.end_delivery)
        delivery_hooks.end_delivery();
}

LRESULT CALLBACK edit_line_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    WNDPROC original = edit_procedure;
    switch (message) {
    case WM_KEYDOWN:
        // A key the input method is composing with belongs to it, never to the key map.
        if (wparam != VK_PROCESSKEY && on_key(wparam))
            return 1;
        break;
    case WM_CHAR:
        // Enter never puts a line break into the search text.
        if (wparam == '\r' || wparam == '\n')
            return 0;
        break;
    case WM_TIMER:
        if (wparam == static_cast<WPARAM>(timer_stay_history_choices) ||
            wparam == static_cast<WPARAM>(timer_stay_deliver)) {
            on_edit_timer(wparam);
            return 0;
        }
        break;
    }
    return CallWindowProcA(original ? original : DefWindowProcA, window, message, wparam, lparam);
}

// ---- the dialogs ---------------------------------------------------------------------------------

INT_PTR CALLBACK list_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        list_window = window;
        create_result_list(settings.list_style);
        return FALSE;
    case WM_DPICHANGED:
        return TRUE; // the search window sizes and places its companions
    case WM_COMMAND:
        if (LOWORD(wparam) != list_id)
            return TRUE;
        // A double click is Enter in the edit line, taken once the list is done with the click.
        if (HIWORD(wparam) == LBN_DBLCLK) {
            focus_edit_line();
            PostMessageA(edit_line, WM_KEYDOWN, VK_RETURN, 1);
            return TRUE;
        }
        SetTimer(window, timer_refocus_edit, 0, nullptr);
        return TRUE;
    case WM_TIMER:
        if (wparam == static_cast<WPARAM>(timer_refocus_edit)) {
            KillTimer(window, wparam);
            focus_edit_line();
        }
        return TRUE;
    }
    return FALSE;
}

// The preview and guidance windows: black text on light yellow, one static child each.
INT_PTR CALLBACK note_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const bool preview = lparam != 0;
        HWND child = CreateWindowExA(0, "STATIC", nullptr,
                                     WS_CHILD | WS_VISIBLE | SS_NOPREFIX | (preview ? SS_LEFTNOWORDWRAP : SS_CENTER),
                                     at_dpi(3), at_dpi(preview ? 2 : 1),
                                     at_dpi(3 + (preview ? settings.preview_width : 94)) - at_dpi(3),
                                     at_dpi(preview ? settings.preview_height : 16), window, nullptr, instance(),
                                     nullptr);
        uintptr_t font = preview ? settings.preview_font : settings.default_font;
        SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
        if (preview) {
            preview_window = window;
            preview_text = child;
        } else {
            guidance_window = window;
            guidance_label = child;
        }
        return FALSE;
    }
    case WM_DPICHANGED:
        return TRUE; // the search window sizes and places its companions
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        SetTextColor(reinterpret_cast<HDC>(wparam), RGB(0, 0, 0));
        SetBkColor(reinterpret_cast<HDC>(wparam), note_colour);
        return reinterpret_cast<INT_PTR>(note_brush);
    }
    return FALSE;
}

void fill_bar(HDC dc, int left, int right, int bottom, int colour_index)
{
    COLORREF colour = GetSysColor(colour_index);
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old_brush = SelectObject(dc, brush);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    Rectangle(dc, left, 0, right, bottom);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(brush);
    DeleteObject(pen);
}

// The mode bars at the right end and the target's icon at the left.
void paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT outer;
    GetWindowRect(window, &outer);
    const int bottom = (outer.bottom - outer.top) - 2;
    const int width = settings.search_window_width;
    const bool prefix = search_run.search_kind == search_prefix;
    fill_bar(dc, at_dpi(width - 15), at_dpi(width - 3), bottom, prefix ? COLOR_3DFACE : COLOR_INACTIVECAPTION);
    if (search_run.migemo_on == 1)
        fill_bar(dc, at_dpi(width - 10), at_dpi(width - 3), bottom, COLOR_ACTIVECAPTION);
    else if (prefix)
        fill_bar(dc, at_dpi(width - 10), at_dpi(width - 3), bottom, COLOR_3DFACE);

    HICON icon = nullptr;
    bool from_shell = false;
    const int32_t w = windows.window_selected;
    if (choice_run.output_mode != output_clipboard_only && w >= 0 && w < windows.window_count &&
        GetFileAttributesA(windows.window_exe_path[w]) != INVALID_FILE_ATTRIBUTES) {
        SHFILEINFOA info;
        ZeroMemory(&info, sizeof info);
        typedef DWORD_PTR(WINAPI * file_info_fn)(LPCSTR, DWORD, SHFILEINFOA *, UINT, UINT);
        const file_info_fn file_info =
            reinterpret_cast<file_info_fn>(os_system_function("shell32.dll", "SHGetFileInfoA"));
        // The record can keep a stale handle when the call fails: trust only the result.
        if (file_info &&
            file_info(windows.window_exe_path[w], 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) {
            icon = info.hIcon;
            from_shell = true;
        }
    }
    if (!icon)
        icon = LoadIconA(instance(), "MYICON");
    DrawIconEx(dc, at_dpi(1), at_dpi(1), icon, at_dpi(17) - at_dpi(1), at_dpi(17) - at_dpi(1), 0, nullptr, DI_NORMAL);
    if (from_shell)
        DestroyIcon(icon);
    EndPaint(window, &ps);
}

BOOL on_init_search_dialog(HWND window)
{
    search_window = window;
    result.text_lines = text_line_sink{add_text_line, nullptr};
    if (choice_run.text_file_search == text_file_on)
        load_text_file(os_of(window));
    if (search_run.migemo_on == 1 && !load_matching_libraries(0))
        search_run.migemo_on = 0;
    ShowWindow(window, SW_HIDE);
    window_dpi = placement_dpi();
    make_fonts();
    const RECT e = edit_rect();
    edit_line = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL,
                                e.left, e.top, e.right - e.left, e.bottom - e.top, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(edit_id)), instance(), nullptr);
    SendMessageA(edit_line, WM_SETFONT, static_cast<WPARAM>(settings.default_font), FALSE);
    edit_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit_line, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit_line_proc)));
    if (search_run.migemo_on == 1)
        close_input_method();
    CreateDialogParamA(instance(), "ITEM", window, list_dialog_proc, 0);
    kept_hidden = search_run.initial_word_state == initial_word_given && settings.match_accept == 1;
    if (!kept_hidden) {
        ShowWindow(window, SW_SHOW);
        switch_foreground(os_of(window));
        focus_edit_line();
    }
    if (settings.preview_mode != preview_off)
        CreateDialogParamA(instance(), "VIEW", window, note_dialog_proc, 1);
    if (settings.guidance == 1) {
        CreateDialogParamA(instance(), "NAME", window, note_dialog_proc, 0);
        if (choice_run.text_file_search == text_file_on)
            show_text_file_guidance();
        else
            fit_guidance(items_guidance, false);
    }
    place(0);
    if (search_run.initial_word_state == initial_word_empty) {
        press_key(VK_DOWN);
        search_run.initial_word_state = initial_word_none;
    } else if (search_run.initial_word_state == initial_word_given) {
        SetWindowTextA(edit_line, settings.initial_search_word);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(edit_id, EN_UPDATE), reinterpret_cast<LPARAM>(edit_line));
    }
    return FALSE;
}

INT_PTR CALLBACK search_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        return on_init_search_dialog(window);
    case WM_SETFOCUS:
        focus_edit_line();
        return TRUE;
    case WM_PAINT:
        paint(window);
        return TRUE;
    case WM_DPICHANGED:
        on_dpi_changed(HIWORD(wparam), reinterpret_cast<const RECT *>(lparam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == edit_id && HIWORD(wparam) == EN_UPDATE && search_run.confirmed_search != 1)
            run_search_pass();
        return TRUE;
    case WM_INITMENU:
        press_key(VK_DOWN);
        return TRUE;
    case WM_WINDOWPOSCHANGING:
        if (kept_hidden) {
            WINDOWPOS *pos = reinterpret_cast<WINDOWPOS *>(lparam);
            pos->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
            pos->flags |= SWP_NOACTIVATE;
        }
        return TRUE;
    }
    return FALSE;
}

} // namespace

choice_result run_search_window(os_window main)
{
    if (!note_brush)
        note_brush = CreateSolidBrush(note_colour);
    INT_PTR ended = DialogBoxParamA(instance(), "WORD", reinterpret_cast<HWND>(main), search_dialog_proc, 0);
    // One hit accepted while the dialog stayed: the main window pastes and closes, which ends it.
    return ended == dialog_handed_over ? choice_scheduled : choice_cancelled;
}

void show_search_window_again()
{
    if (!search_window || !IsWindow(search_window))
        return;
    if (settings.stay_mode == stay_at_caret)
        place(1);
    ShowWindow(search_window, SW_SHOW);
    switch_foreground(os_of(search_window));
    if (choice_run.text_file_search == text_file_on && search_run.file_choice == 1)
        show_file_choice(1);
    else if (choice_run.text_file_search == text_file_on)
        show_text_file_guidance();
    else if (settings.guidance == 1)
        show_guidance(items_guidance, source_guidance_width, source_guidance_label_width);
    SetWindowTextA(edit_line, "");
    focus_edit_line();
}

void destroy_search_window()
{
    if (!search_window)
        return;
    if (search_run.migemo_on != 0)
        unload_matching_libraries(0);
    free_text_file();
    restore_edit_procedure();
    destroy_companions();
    if (IsWindow(search_window)) {
        EndDialog(search_window, dialog_finished);
        DestroyWindow(search_window);
    }
    search_window = edit_line = nullptr;
    if (note_brush) {
        DeleteObject(note_brush);
        note_brush = nullptr;
    }
}
