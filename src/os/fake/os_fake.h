// Host-test implementation of the system seam: its control panel.
// Owns: the in-memory clipboard, the settable clock, cursor, window rectangles and special folders,
// and the event log that records every observable action in order. Files are real files.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "os/os.h"

struct fake_system {
    std::string clipboard;
    bool clipboard_has_text = false;
    bool clipboard_fails = false;      // every open of the clipboard fails
    bool timer_fails = false;          // every os_arm_timer is refused
    bool file_writes_fail = false;     // os_replace_file and os_append_existing_file fail (a full disk)
    // A write of os_append_existing_file puts at most this many bytes, then fails (a disk that fills).
    size_t append_stops_after = static_cast<size_t>(-1);
    std::string unreadable_file; // this path exists but cannot be opened (held without sharing)
    os_time now{2026, 3, 5, 4, 14, 7, 9, 0};
    uint32_t ticks = 0; // os_ticks; nothing advances it but the test
    std::map<int, std::string> folders; // csidl -> path; missing means failure
    std::map<os_window, os_rect> window_rects;
    os_point cursor{0, 0};
    // The monitor layout; the first is the primary one (at 0, 0). os_monitor_of_window goes by the
    // centre of the window's rectangle.
    std::vector<os_monitor> monitors{os_monitor{{0, 0, 1280, 1024}, {0, 0, 1280, 994}}};
    // What os_read_target_focus reports.
    os_window focus_control = 0;
    os_point caret{0, 0};
    uint32_t selection_start = 0, selection_end = 0;
    // The windows that exist inside a top-level window (control -> top-level window) for
    // os_window_of; a control not listed is gone.
    std::map<os_window, os_window> window_parents;
    // Fake run-time libraries: name -> (function name -> function). A library that is not here
    // does not load. Functions take and return uintptr_t, as os_call_library passes them.
    typedef uintptr_t (*library_function)(const uintptr_t *args);
    std::map<std::string, std::map<std::string, library_function>> libraries;
    // Every observable action, one line each, e.g. "key 11 down", "key 2D up ext", "sleep 50",
    // "clip a" ("clip* a": marked for clipboard tools to skip), "replace b", "setsel 1 3", "getsel 31",
    // "foreground 5", "focus 31", "timer 620", "close", "beep 64", "error <text>",
    // "shell <file>|<params>|<dir>", "load <library>", "free <library>".
    std::vector<std::string> events;
};

extern fake_system fake;

// Resets the fake to its initial state (clock 2026-03-05 14:07:09, a Thursday).
void reset_fake_system();
// Events joined with "\n" for compact assertions.
std::string fake_events();
