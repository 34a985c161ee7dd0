// How the search window hands a result on: the accepted item, the clipboard entry,
// the utility entries ("&1" to "&4", "&9") and the portable half of finish_and_hand_over,
// hand_over_keep_open and paste_and_stay. A result goes to the main window through choice/, which
// arms its timer; paste-and-stay runs on the edit line's own timers. Every function says in a
// search_action what the front still does with its windows.
// Owns: the search_action values and the edit line's timers. Writes the output state through
// choice/; reads settings, store, target.
#pragma once

#include <cstdint>

#include "os/os.h"

// The timers of the edit line for paste-and-stay: history choices, then delivery.
constexpr int timer_stay_history_choices = 640;
constexpr int timer_stay_deliver = 740;
// The list window's timer that gives the focus back to the edit line after a click.
constexpr int timer_refocus_edit = 630;

enum search_action : int32_t {
    action_nothing = 0,     // nothing more to do (a key is passed on where the key map says so)
    action_end_finished,    // end the dialog with 1
    action_end_no_target,   // end the dialog with 2
    action_hand_over,       // the main window's timer is armed: put the edit procedure back,
                            // destroy the list, preview and guidance windows, end the dialog with 0
    action_keep_open,       // the main window's timer is armed and the dialog stays: collapse the
                            // search window to 0 x 0 while initial_word_state is 1
    action_paste_and_stay,  // the edit line's timer 640 is armed: hide the list and the preview
    action_show_list,       // lines were listed (search_pass)
    action_run_search,      // confirmed search: hide the guidance, send EN_UPDATE of control 100
    action_clipboard_entry, // run clipboard_entry
    action_history_popup,   // empty the edit line, show the clipboard-history popup for the
                            // search window, then clipboard_entry_after_history with its result
    action_drop_first_line, // remove the first line of the result list; the window stays open
    action_file_chosen,     // a [file] name was chosen: its name on the guidance label when it
                            // loaded, the edit line and the list emptied
};

// Accepting text item `index` (Enter on its line, or a pass's one hit): choice/'s take_item, and in
// clipboard-only mode the clipboard is the whole output. action_nothing when the output is ready to
// hand over; else action_end_finished (clipboard-only done, expansion refused) or action_end_no_target.
search_action accept_item(os_window owner, int32_t index);
// The portable half of finish_and_hand_over for a prepared text: action_hand_over, or
// action_end_finished when the timer was refused.
search_action hand_over();
// The portable half of hand_over_keep_open (a pass's one hit): action_keep_open, or
// action_end_finished when the timer was refused.
search_action hand_over_keep_open();
// The start of paste_and_stay: back to the target, the edit line's timer 640 armed.
search_action start_paste_and_stay(os_window edit_line);

// The one way of the clipboard entry, from Enter on "&1" and from a pass: ends with 2 without a
// window; else the clipboard is handed over unchanged.
search_action hand_over_clipboard();
// The clipboard entry reached by typing "&1": ends with 2 without a target; with the recorder
// running asks for the history popup; otherwise hands the clipboard over as Enter on "&1" does.
search_action clipboard_entry();
// After the history popup: non-zero drops the first line; 0 (an entry was chosen) finishes the entry.
search_action clipboard_entry_after_history(int popup_result);

// "&2" the data file, "&3" the manual, "&4" the recorder, "&9" the version: carried out, and 1
// returned (the dialog ends with 1). 0 for any other line.
int run_utility_line(const char *line);

// Timer 640 of paste-and-stay: history choices for "%CLM%", then timer 740 armed on edit_line.
// action_end_finished when a choice was cancelled or the timer refused.
search_action on_stay_history_timer(os_window owner, os_window edit_line);
// Timer 740: pastes, logs, captures the target again. action_end_finished when the paste failed;
// else action_nothing, and the front re-creates the empty list, places the window again when
// `stay_mode` is stay_at_caret, empties the edit line, shows it per keep_in_background and
// `stay_flag`, and sets keep_in_background to 0.
search_action on_stay_deliver_timer(os_window owner);
