// Finishing a choice: what every chooser (main menu, secondary popups, search window, direct start)
// does once the user has chosen. It takes the item, the prepared text or the history entry into
// `output_text`, applies the break-mark and macro preparation and the clipboard-only rule, gives the
// foreground and the selection back to the target and arms the main window's output timer.
// Owns: the output timers' ids and which one a hand-over arms, the one result type of the choosers,
// the clipboard-only rule of the choosers, the steps before and of the delivery that both timer chains
// share (the log written after a delivery) and their hooks (`delivery_hooks`), and `choice_run`.
// Writes `output` (the output state) and `latest_caption`; reads the settings, the item store and
// the target record.
#pragma once

#include <cstdint>

#include "os/os.h"

// The output and text-file modes of a run. They start as the command line and the data file left
// them (app/ copies them once the data file is read); then an unchanged output (the clipboard, a
// history entry) switches the output to pasting for the rest of the run, and a text-file line
// taken here, the text-file popup (menus/) and the search window (search/) switch text-file search.
// Read by the choosers, the menus and the activation cycle.
struct choice_run_state {
    int32_t output_mode;      // output_*
    int32_t text_file_search; // text_file_off, text_file_on
};
extern choice_run_state choice_run;

// The timer chain of one activation: 610 shows the chooser, 620 substitutes history choices for
// "%CLM%", 720 delivers, logs and closes.
constexpr int timer_show_chooser = 610;
constexpr int timer_history_choices = 620;
constexpr int timer_deliver = 720;

// The wait after the target got the foreground back, before a menu shows or a delivery starts.
constexpr int foreground_settle_ms = 100;

// What a chooser tells the activation cycle.
enum choice_result : int32_t {
    choice_cancelled = 0, // nothing to do: the activation ends
    choice_scheduled = 1, // an output timer is armed (or the chooser took over): wait for it
    choice_continue = 2,  // go on with the next step ("&@ 通常起動", a window chosen first)
};

// How far taking a chosen item got (take_item).
enum take_result : int32_t {
    take_ready = 0,     // output_text holds the item's text: hand it over
    take_ended = 1,     // nothing to hand over: no text item, or the expansion engine refused the file
    take_no_target = 2, // the output needs a window to paste into and there is none
};
// Item `index` of the store, as every chooser takes one: its caption recorded for the log, then a text
// item copied and prepared, a file item through the expansion engine. No clipboard-only rule here:
// the choosers end differently in that mode.
take_result take_item(os_window owner, int32_t index);
// Item `index` chosen from a menu or popup, taken. A text item is handed over as prepared, in
// clipboard-only mode after it went on the clipboard; a file item in that mode ends on the clipboard.
choice_result finish_item(os_window main, int32_t index);
// A text already in output_text (a text-file line): prepared and finished like a text item.
choice_result finish_text(os_window main);
// The direct start: item 0 names the file (or the clipboard, source 1) to expand.
choice_result finish_direct(os_window main, int source);
// The clipboard entry: the clipboard is pasted unchanged (hand_over_unchanged). Cancelled without a
// listed window.
choice_result finish_clipboard(os_window main);
// A history entry already in output_text (loaded from a menu or popup): in clipboard-only mode it only
// goes on the clipboard and the activation ends; otherwise it is handed over unchanged.
choice_result finish_history_entry(os_window main);

// The two hand-overs to the main window's timer chain, after the target got back its foreground and
// selection. A prepared text arms timer 620, which first substitutes history choices for "%CLM%". An
// unchanged output (the clipboard, a history entry taken as stored) is pasted with paste keys, without
// a caption for the log, and arms timer 720. A refused timer gives choice_cancelled, which ends the
// activation rather than leaving a hidden instance behind.
choice_result hand_over_prepared(os_window main);
choice_result hand_over_unchanged(os_window main);

// Clipboard-only mode: nothing is sent to the target, the chosen text only goes on the clipboard.
bool clipboard_only();
// The clipboard-only rule of a chooser that ends there: in that mode output_text is put on the
// clipboard and 1 returned (the chooser ends); 0 in the other modes.
int end_on_clipboard(os_window owner);
// Pasting needs a window to paste into; the clipboard alone does not.
bool no_target_for_paste();

// What app/ supplies: the history choice for each "%CLM%" (0 when the user cancelled; missing counts
// as cancelled), and the guard around each delivery step (timer 720 and paste-and-stay's 640 and 740):
// the hand-over requests and closes of later starts that arrive between begin and end are carried out
// at the end, after which the step must not touch its windows. Missing: no guard.
struct delivery_hook_table {
    int (*expand_history_macros)(os_window owner);
    void (*begin_delivery)();
    void (*end_delivery)();
};
extern delivery_hook_table delivery_hooks;

// The step before a delivery, in the main window's chain and in paste-and-stay alike: while the
// recorder runs, a "%CLM%" the clipboard macros left is replaced by a history entry the user picks,
// then the target gets the foreground back. 0 when a choice was cancelled.
int run_history_choices(os_window owner);
// The delivery, and the log (datafile/log.h) after a successful one (not for text-file lines). 0 when
// it failed.
int deliver_and_log(os_window owner);

// The utility entries' shell commands, shared by the main menu and the search window.
// Opens `document` in the "@editor=" program when that names an existing file, else with the
// program associated with its type.
void open_in_editor(const char *document);
// Stops the running recorder, or starts it (through its shortcut when there is one).
void switch_recorder();
