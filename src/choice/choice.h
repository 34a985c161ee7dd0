// Finishing a choice: what every chooser (main menu, secondary popups, search window, direct start)
// does once the user has chosen. It takes the item, the prepared text or the history entry into
// `output_text`, applies the break-mark and macro preparation, decides the clipboard-only rule,
// gives the foreground and the selection back to the target and arms the output timer.
// Owns: the output timers' ids, the one result type of the choosers, the steps before and of the
// delivery that both timer chains share, and their hooks (`delivery_hooks`). Writes `output` (the
// output state) and `latest_caption`; reads the settings, the item store and the target record.
#pragma once

#include <cstdint>

#include "os/os.h"

// The timer chain of one activation: 610 shows the chooser, 620 substitutes history choices for
// "%CLM%", 720 delivers, logs and closes.
constexpr int timer_show_chooser = 610;
constexpr int timer_history_choices = 620;
constexpr int timer_deliver = 720;

// What a chooser tells the activation cycle.
enum choice_result : int32_t {
    choice_cancelled = 0, // nothing to do: the activation ends
    choice_scheduled = 1, // an output timer is armed (or the chooser took over): wait for it
    choice_continue = 2,  // go on with the next step ("&@ 通常起動", a window chosen first)
};

// Item `index`'s text into output_text, as every chooser takes an item: a file item through the
// expansion engine (0 when it refused the file), a text item copied and prepared. No clipboard-only
// rule here: the choosers end differently in that mode.
int take_item_text(os_window owner, int32_t index);
// Item `index` of the store, chosen from a menu or popup: a text item is copied and prepared, a
// file item goes through the expansion engine. Records the caption for the log.
choice_result finish_item(os_window main, int32_t index);
// A text already in output_text (a text-file line): prepared like a text item.
choice_result finish_text(os_window main);
// The direct start: item 0 names the file (or the clipboard, source 1) to expand.
choice_result finish_direct(os_window main, int source);
// The clipboard entry: the clipboard is pasted unchanged.
choice_result finish_clipboard(os_window main);
// A history entry already in output_text: pasted with paste keys and without the "%CLM%" step; in
// clipboard-only mode it is only put on the clipboard.
choice_result finish_history_entry(os_window main);

// The clipboard-only rule: nothing is sent to the target, the chosen text only goes on the clipboard.
bool clipboard_only();
// Pasting needs a window to paste into; the clipboard alone does not.
bool no_target_for_paste();

// What the history and log rooms supply (app/ fills it): the history choice for each "%CLM%" (0 when
// the user cancelled; missing counts as cancelled) and the log writer (missing writes nothing).
// The guard around each delivery step (timer 720 and paste-and-stay's 640 and 740; app/ supplies
// it): the hand-over requests and closes of later starts that arrive between begin and end are
// carried out at the end, after which the step must not touch its windows. Missing: no guard.
struct delivery_hook_table {
    int (*expand_history_macros)(os_window owner);
    void (*write_log)();
    void (*begin_delivery)();
    void (*end_delivery)();
};
extern delivery_hook_table delivery_hooks;

// The step before a delivery, in the main window's chain and in paste-and-stay alike: while the
// recorder runs, a "%CLM%" the clipboard macros left is replaced by a history entry the user picks,
// then the target gets the foreground back. 0 when a choice was cancelled.
int run_history_choices(os_window owner);
// The delivery, and the log after a successful one (not for text-file lines). 0 when it failed.
int deliver_and_log(os_window owner);

// Gives the target back its foreground and selection and arms `timer`; a refused timer ends the
// activation rather than leaving a hidden instance behind.
choice_result schedule_output(os_window main, int timer);

// The utility entries' shell commands, shared by the main menu and the search window.
// Opens `document` in the "@editor=" program when that names an existing file, else with the
// program associated with its type.
void open_in_editor(const char *document);
// Stops the running recorder, or starts it (through its shortcut when there is one).
void switch_recorder();
