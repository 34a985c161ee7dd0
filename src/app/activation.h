// The activation cycle: target selection at creation and the timer chain 610 -> 620 -> 720 that
// shows the chooser, substitutes history choices, delivers, logs and closes.
// Owns: the order of the steps and the close-or-wait rule after each. The choosers themselves are
// supplied by their rooms through `choosers`; one that is not available acts as a cancel. Every
// chooser ends through choice/ and answers with a choice_result.
#pragma once

#include "choice/choice.h"
#include "os/os.h"

typedef choice_result (*chooser_fn)(os_window main);

struct activation_choosers {
    // Fills the window list (list phase of the enumeration).
    void (*enumerate_windows)();
    // The window popup: continue when a window was chosen (target_window set).
    chooser_fn show_window_popup;
    // The start forms of the history, recent-items, title and text-file popups: continue on
    // "&@ 通常起動" (the title popup also when it has nothing to show).
    chooser_fn show_history_popup;
    chooser_fn show_recent_popup;
    chooser_fn show_title_popup;
    chooser_fn show_text_file_popup;
    chooser_fn show_main_menu;
    chooser_fn run_search_window;
};

extern activation_choosers choosers;

// Last part of the main window's creation: choose and capture the target, arm timer 610. 0 when
// the timer was refused (the caller closes).
int select_target(os_window main);
void on_show_chooser_timer(os_window main);
void on_history_choices_timer(os_window main);
void on_deliver_timer(os_window main);
