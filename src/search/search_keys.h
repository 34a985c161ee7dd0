// The key map of the search window's edit line as a decision.
// Owns: which key, with which modifiers and in which state, does what, and whether the key then
// goes on to the system edit procedure; the mode switches (`search_kind`, `migemo_on`,
// `confirmed_search`). Leaves to search_enter.h what Enter does with the selected line, and to the
// front reading the key state and the list box, the windows, and the wait for Shift and Ctrl to be
// released after Shift+Enter.
#pragma once

#include <cstdint>

enum search_key : int32_t {
    key_tab,
    key_enter,
    key_escape,
    key_insert,
    key_delete,
    key_left,
    key_right,
    key_up,
    key_down,
    key_page_up,
    key_page_down,
    key_home,
    key_end,
    key_other,
};

// Virtual-key codes the front translates (VK_TAB ...); anything else is key_other.
search_key search_key_from_virtual(int virtual_key);

struct key_state {
    search_key key;
    int shift, ctrl;
    int has_selection;    // the list has a selected line
    int line_empty;       // the edit line holds no text
    int list_has_entries; // the result list holds lines
};

enum key_action : int32_t {
    key_action_none,           // nothing here
    key_action_to_target,      // Tab: hide the window when `stay_flag` is 1, target to the front
    key_action_enter,          // on_enter (search_enter.h)
    key_action_close,          // end the dialog with 1
    key_action_clear,          // Escape: empty line, file_choice 0, hide list/preview/guidance,
                               // re-create the empty list, focus the edit line
    key_action_toggle_confirmed, // toggle_confirmed_search, show its guidance text at 96 and 90
    key_action_toggle_romaji,  // toggle_romaji_search, repaint
    key_action_toggle_kind,    // toggle_search_kind, repaint
    key_action_move_selection, // next_selection by selection_step, the preview of the new line,
                               // focus the edit line
    key_action_list_all,       // list_all
    key_action_up_on_empty,    // text-file search: toggle file_choice; otherwise list_recent
    key_action_insert,         // insert_typed_line (text-file search only)
    key_action_pick_text_file, // Shift+Up, no selection: the text-file list popup
    key_action_text_file_mode, // Shift+Down, no selection: text-file search on or off
    key_action_file_choice,    // Ctrl+Shift+Up, no selection: the [file]-name choice
    key_action_window_popup,   // Ctrl with an arrow: the window popup below the search window
};

struct key_decision {
    key_action action;
    int pass_on;          // hand the key to the system edit procedure afterwards
    int clear_confirmed;  // confirmed_search := 0 before the action
};

// One row of the key map.
key_decision decide_key(const key_state &state);

// The mode switches; each returns the new value.
int32_t toggle_search_kind();
int32_t toggle_confirmed_search();
// Unloads the libraries when romaji search is on, else turns it on when they load.
int32_t toggle_romaji_search();
// The guidance text of the confirmed-search mode `mode`, shown at these widths (window, label).
const char *confirmed_search_guidance(int32_t mode);
constexpr int32_t mode_guidance_width = 96, mode_guidance_label_width = 90;
// "ファイル検索実行" and "設定ファイル使用" are shown at these.
constexpr int32_t source_guidance_width = 106, source_guidance_label_width = 100;

// How far a selection move goes (negative: up): Up and Down one line, Page Up and Page Down the
// `page_lines` the list shows, Ctrl+Home and Ctrl+End the whole list of `count` lines.
int32_t selection_step(search_key key, int32_t page_lines, int32_t count);
// The selection after a move by `step` lines, kept within the list; -1 stays -1.
int32_t next_selection(int32_t current, int32_t count, int32_t step);

// After Shift+Enter: the release wait polls every 10 ms; the warning is due at poll 300 and at
// every poll from 500 on.
constexpr char release_keys_warning[] = "キーを開放してください！";
bool release_warning_due(int32_t poll);
