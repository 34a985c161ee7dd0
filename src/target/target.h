// The window list and the target window record, with the rules that act on them.
// Owns: `windows` (the visible top-level windows with their executables, in Z order) and `target`
// (the window and control that receive the text, its caret and selection, and where popups open).
// The enumeration itself and the input attachment live in the Win32 front (windows_win32.cpp and
// os/win32); everything that decides is here. Only this room writes both records, except that a
// chooser may make another listed window the target (capture_target), "/#w=" sets the start one,
// and the search window's placement (search/geometry.h) records popup_origin and preview_top.
// `window_select_mode` starts as the command line and the data file left it (app/ copies it once
// the data file is read); the window list's rules settle it.
#pragma once

#include <cstdint>

#include "os/os.h"

constexpr int window_list_capacity = 100;
constexpr int filtered_window_limit = 20;

struct window_list {
    int32_t window_count;
    int32_t window_selected;
    os_window window_handle[window_list_capacity];
    int32_t window_has_caption[window_list_capacity];
    char window_exe_path[window_list_capacity][260];
    char window_exe_name[window_list_capacity][260];
    char window_title[window_list_capacity][260];
};

struct target_record {
    os_window target_window;
    os_window start_foreground;
    os_window focus_control;
    os_point caret_point;
    uint32_t selection_start;
    uint32_t selection_end;
    os_point popup_origin;
    uint32_t popup_flags;
    int32_t preview_top;
    int32_t window_select_mode; // select_*
};

extern window_list windows;
extern target_record target;

void reset_target_state();

// ---- the target's focus and the foreground ----------------------------------------------------

// Records the target's focus control, caret and selection, then brings `own` back to the front.
// When the target reports no focus inside it, a focus control captured before that is still a
// window of the target is kept (with its caret; its selection is read again).
// 0 (nothing changed) for a null target, else 1.
int capture_target(os_window own, os_window target_window);
void switch_foreground(os_window window);
// Gives the foreground back to the target, the keyboard focus back to its focus control (when the
// target did not restore it itself) and restores the selection captured last, so that a paste
// lands in that control and replaces what the user had selected.
void return_to_target();

// ---- where popups open --------------------------------------------------

constexpr uint32_t popup_flags_base = 0x102;   // TPM_RETURNCMD | TPM_RIGHTBUTTON
constexpr uint32_t popup_center_align = 0x4;   // TPM_CENTERALIGN
constexpr uint32_t popup_vcenter_align = 0x10; // TPM_VCENTERALIGN

// Sets popup_flags, and popup_origin with caret_point after menu_position.
void compute_popup_origin();
// Where windows that open at the caret are kept: the work area of the monitor that holds the caret
// (of the target window when no caret was read, which leaves it at 0, 0), widened as
// (0, 0, screen_width, screen_height) widens the primary monitor's work area, so that with one
// monitor the bounds are those numbers. The centre of "@menu=center" is its centre.
os_rect placement_bounds();

// ---- the window list ----------------------------------------------------------------------------

// The routes to the executable of a window's process, tried in order; the first that gives a
// non-empty path wins, and when every one gives nothing the path stays empty.
enum process_name_route : int32_t {
    // QueryFullProcessImageNameA (kernel32, looked up at run time) after OpenProcess with
    // PROCESS_QUERY_LIMITED_INFORMATION: also answers for 64-bit and elevated processes.
    route_image_name = 0,
    // PSAPI.DLL's EnumProcessModules and GetModuleFileNameExA after OpenProcess with
    // PROCESS_QUERY_INFORMATION | PROCESS_VM_READ.
    route_psapi = 1,
    // The Toolhelp process snapshot (the executable's file name).
    route_toolhelp = 2,
};
constexpr int process_name_route_capacity = 3;
struct process_name_route_list {
    int32_t count;
    process_name_route routes[process_name_route_capacity];
};
// The routes for the platform: on NT (is_nt 1) the image name, then PSAPI, then Toolhelp; on 9x
// Toolhelp alone.
process_name_route_list process_name_routes(int32_t is_nt);

// One visible top-level window found by the enumeration (list phase), in Z order. Picks it as the
// target when it runs the program named by "/#a=", and lists it while fewer than 100 are listed.
void add_listed_window(os_window window, int has_caption, const char *exe_path, const char *title);
// After the enumeration: the "@select=" restriction, the fall-back of an unfound "/#a=" program,
// the "@except=" filter, and the choice of the target within the list.
void filter_window_list();
