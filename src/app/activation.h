// The activation cycle: target selection at creation and the timer chain 610 -> 620 -> 720 that
// shows the chooser, substitutes history choices, delivers, logs and closes.
// Owns: the order of the steps and the close-or-wait rule after each. The choosers themselves are
// supplied by their rooms through `choosers`; one that is not available acts as a cancel.
#pragma once

#include "os/os.h"

constexpr int timer_show_chooser = 610;
constexpr int timer_history_choices = 620;
constexpr int timer_deliver = 720;

// Results follow the conventions of each chooser (see the comments); a null entry is a cancel.
struct activation_choosers {
    // Fills the window list (list phase of the enumeration).
    void (*enumerate_windows)();
    // Non-zero when a window was chosen (target_window set), 0 cancelled.
    int (*show_window_popup)(os_window main);
    // -1 normal-start entry, 1 cancelled, 0 an entry was chosen.
    int (*show_history_popup)(os_window main);
    // -1 normal-start entry, 1 cancelled, 0 chosen and taken over.
    int (*show_recent_popup)(os_window main);
    // Non-zero when it took over.
    int (*show_title_popup)(os_window main);
    // 1 close, 0 taken over, anything else: continue with the main menu.
    int (*show_text_file_popup)(os_window main);
    // Non-zero when it took over, 0 cancelled.
    int (*show_main_menu)(os_window main);
    // 0 a paste timer was armed (wait); anything else: close.
    int (*run_search_window)(os_window main);
    // 0 cancelled, non-zero every "%CLM%" replaced.
    int (*expand_history_macros)(os_window main);
    void (*write_log)();
};

extern activation_choosers choosers;

// Last part of the main window's creation: choose and capture the target, arm timer 610.
void select_target(os_window main);
void on_show_chooser_timer(os_window main);
void on_history_choices_timer(os_window main);
void on_deliver_timer(os_window main);
