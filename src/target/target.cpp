#include "target/target.h"

#include <cstring>

#include "datafile/settings.h"
#include "text/sjis.h"

int capture_target(os_window own, os_window target_window)
{
    if (target_window == 0)
        return 0;
    const os_window known = target.focus_control;
    const os_point known_caret = target.caret_point;
    os_read_target_focus(own, target_window, &target.focus_control, &target.caret_point,
                         &target.selection_start, &target.selection_end);
    // A target in the background whose window procedure leaves WM_ACTIVATE to the system reports no
    // focus at all, or, once the capture's activation has reached it, its frame (and through the input
    // attachment the focus read may be one of ours): the control captured before still stands while it
    // is a window of the target, at its old caret and with its selection as it is now.
    const os_window found = target.focus_control;
    if ((found == target_window || !os_window_of(found, target_window)) &&
        os_window_of(known, target_window)) {
        target.focus_control = known;
        target.caret_point = known_caret;
        os_read_selection(known, &target.selection_start, &target.selection_end);
    }
    switch_foreground(own);
    return 1;
}

void switch_foreground(os_window window)
{
    os_switch_foreground(window);
}

void return_to_target()
{
    switch_foreground(target.target_window);
    // A target that leaves WM_ACTIVATE to the system has the focus on its frame now.
    if (target.focus_control)
        os_restore_focus(target.target_window, target.focus_control);
    os_set_selection(target.focus_control, target.selection_start, target.selection_end);
}

os_rect placement_bounds()
{
    const os_rect screen{0, 0, settings.screen_width, settings.screen_height};
    const bool no_caret = target.caret_point.x == 0 && target.caret_point.y == 0;
    os_monitor primary, here;
    if (!os_monitor_at(os_point{0, 0}, &primary) ||
        (!(no_caret && os_monitor_of_window(target.target_window, &here)) &&
         !os_monitor_at(target.caret_point, &here)))
        return screen;
    const os_rect &w = here.work, &p = primary.work;
    return os_rect{w.left + screen.left - p.left, w.top + screen.top - p.top, w.right + screen.right - p.right,
                   w.bottom + screen.bottom - p.bottom};
}

static os_point screen_centre()
{
    const os_rect b = placement_bounds();
    return os_point{b.left + (b.right - b.left) / 2, b.top + (b.bottom - b.top) / 2};
}

void compute_popup_origin()
{
    uint32_t flags = popup_flags_base;
    const uint32_t centred = popup_center_align | popup_vcenter_align;
    os_point origin = target.caret_point;
    switch (settings.menu_position) {
    case menu_at_active_window: {
        os_rect r;
        if (target.target_window != 0 && os_window_rect(target.target_window, &r) && r.right > r.left &&
            r.bottom > r.top)
            origin = os_point{r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2};
        else
            origin = screen_centre();
        flags |= centred;
        break;
    }
    case menu_at_point:
        origin = os_point{settings.menu_x, settings.menu_y};
        break;
    case menu_at_mouse:
    case menu_at_mouse_centred:
        if (settings.mouse_present) {
            os_cursor_pos(&origin);
            if (settings.menu_position == menu_at_mouse_centred)
                flags |= popup_vcenter_align;
        }
        else {
            origin = screen_centre();
            flags |= centred;
        }
        break;
    case menu_at_screen_centre:
        origin = screen_centre();
        flags |= centred;
        break;
    case menu_at_caret:
        origin.x += settings.window_offset_x;
        origin.y += settings.window_offset_y;
        break;
    default:
        break;
    }
    target.popup_flags = flags;
    target.caret_point = origin;
    target.popup_origin = origin;
}

// ---- the window list --------------------------------------------------------------------------

process_name_route_list process_name_routes(int32_t is_nt)
{
    if (is_nt == 1)
        return process_name_route_list{3, {route_image_name, route_psapi, route_toolhelp}};
    return process_name_route_list{1, {route_toolhelp}};
}

// Entry `to` becomes a copy of entry `from` of `source` (which may be the list itself).
static void copy_window_entry(window_list &list, int32_t to, const window_list &source, int32_t from)
{
    if (&list == &source && to == from)
        return;
    list.window_handle[to] = source.window_handle[from];
    list.window_has_caption[to] = source.window_has_caption[from];
    memcpy(list.window_exe_path[to], source.window_exe_path[from], sizeof list.window_exe_path[to]);
    memcpy(list.window_exe_name[to], source.window_exe_name[from], sizeof list.window_exe_name[to]);
    memcpy(list.window_title[to], source.window_title[from], sizeof list.window_title[to]);
}

// Names are compared whole, ignoring case; an unreadable executable (empty name) matches nothing.
static bool is_program(const char *exe_name, const char *name)
{
    return exe_name[0] != '\0' && equals_nocase(exe_name, name);
}

void add_listed_window(os_window window, int has_caption, const char *exe_path, const char *title)
{
    // A window past the list's capacity is ignored entirely: were it picked as the target, its
    // index would point past the list.
    if (windows.window_count >= window_list_capacity)
        return;
    const int32_t n = windows.window_count;
    char base[path_capacity];
    split_path(exe_path, nullptr, nullptr, base, nullptr);
    if (target.window_select_mode == select_named_pending && is_program(base, settings.window_select_name)) {
        target.target_window = window;
        windows.window_selected = n;
        target.window_select_mode = select_named_found;
    }
    windows.window_handle[n] = window;
    windows.window_has_caption[n] = has_caption ? 1 : 0;
    copy_text(windows.window_exe_path[n], sizeof windows.window_exe_path[n], exe_path);
    copy_text(windows.window_exe_name[n], sizeof windows.window_exe_name[n], base);
    copy_text(windows.window_title[n], sizeof windows.window_title[n], title);
    windows.window_count = n + 1;
}

// The reordered list of the select names is built here before it replaces the window list.
static window_list selected_scratch;

// Keeps only the windows of the "@select=" programs, in the order of the names. 1 when any was found.
static int restrict_to_select_names()
{
    int32_t found = 0;
    for (int32_t s = 0; s < settings.select_count && found < filtered_window_limit; ++s) {
        for (int32_t i = 0; i < windows.window_count && found < filtered_window_limit; ++i) {
            if (is_program(windows.window_exe_name[i], settings.select_names[s]))
                copy_window_entry(selected_scratch, found++, windows, i);
        }
    }
    if (found == 0)
        return 0;
    for (int32_t i = 0; i < found; ++i)
        copy_window_entry(windows, i, selected_scratch, i);
    windows.window_count = found;
    target.target_window = windows.window_handle[0];
    windows.window_selected = 0;
    return 1;
}

static bool is_excepted(const char *exe_name)
{
    if (is_program(exe_name, settings.window_select_name))
        return false;
    for (int32_t e = 0; e < settings.except_count; ++e) {
        if (is_program(exe_name, settings.except_names[e]))
            return true;
    }
    return false;
}

static void apply_except_names()
{
    int32_t kept = 0;
    for (int32_t i = 0; i < windows.window_count && kept < filtered_window_limit; ++i) {
        if (!is_excepted(windows.window_exe_name[i]))
            copy_window_entry(windows, kept++, windows, i);
    }
    windows.window_count = kept;
    if (kept == 0)
        windows.window_exe_path[0][0] = '\0';
}

void filter_window_list()
{
    const int32_t fallback_mode = settings.path_argument_found == 1 ? select_from_list : select_foreground;
    if (target.window_select_mode == select_restricted) {
        if (restrict_to_select_names())
            return;
        target.window_select_mode = fallback_mode;
    }
    if (target.window_select_mode == select_named_pending)
        target.window_select_mode = fallback_mode;
    if (settings.except_count > 0)
        apply_except_names();
    windows.window_selected = 0;
    for (int32_t i = 0; i < windows.window_count; ++i) {
        if (windows.window_handle[i] == target.target_window) {
            windows.window_selected = i;
            return;
        }
    }
    if (windows.window_count > 0)
        target.target_window = windows.window_handle[0];
}
