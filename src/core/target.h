// The window list and the target window record, with the rules that act on them.
// Owns: `windows` (the visible top-level windows with their executables, in Z order) and `target`
// (the window and control that receive the text, its caret and selection, and where popups open).
// The enumeration itself and the input attachment live in the Win32 front (core/*_win32.cpp and
// os/win32); everything that decides is here.
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
};

extern window_list windows;
extern target_record target;

void reset_target_state();
