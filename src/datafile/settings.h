// The settings record: every "[system]" option, the start modes that the command line sets and the
// process values derived at start-up. One process-wide instance, `settings`.
// Owns: the record, its initial values and the table of the options' numeric values with their
// ranges and fallbacks (option_numbers). The option parsers (options.cpp) and the loader fill it
// (the loader also settles the start modes against the data file: `window_select_mode`,
// `text_file_search`, `file_section_enabled`); app/ fills the process values (`history_running`
// from the recorder's mutex, the fonts); cmdline/ the start modes; checker/ a start it checks
// (`data_file_path`, a search start's `search_kind`). After start-up only app/ writes it, freeing
// the fonts at the end: the modes a run changes are working copies that app/ starts from it
// (expansion, choice_run, search_run, target.window_select_mode). Everyone else only reads it.
#pragma once

#include <cstdint>

#include "os/os.h"

constexpr int select_name_capacity = 10;
constexpr int search_path_capacity = 5200;
constexpr int paste_key_capacity = 3;

// Defaults that the loader restores before each reading as well.
constexpr char default_delimiter[] = " | ";
constexpr char default_break_mark[] = "↓";
constexpr char default_comment_mark[] = ";";
constexpr char default_font_face[] = "ＭＳ Ｐゴシック";
constexpr int32_t default_font_height = 13;
constexpr int32_t default_font_weight = 400;
constexpr int32_t default_era_base_year = 1988;

// ---- the numbered modes, with the values the data file and the command line give them ----

// output_mode
constexpr int32_t output_insert = 0;         // EM_REPLACESEL into the target control
constexpr int32_t output_paste = 1;          // clipboard and paste keys
constexpr int32_t output_clipboard_only = 2; // clipboard only, nothing is sent to the target
// search_kind
constexpr int32_t search_popup_menu = 0;
constexpr int32_t search_prefix = 1;
constexpr int32_t search_substring = 2;
// menu_position
constexpr int32_t menu_at_active_window = 0;
constexpr int32_t menu_at_point = 1;
constexpr int32_t menu_at_mouse = 2;
constexpr int32_t menu_at_mouse_centred = 3;
constexpr int32_t menu_at_screen_centre = 4;
constexpr int32_t menu_at_caret = 5;
constexpr int32_t menu_position_unset = 9;
// window_select_mode
constexpr int32_t select_foreground = 0;    // the foreground window
constexpr int32_t select_named_pending = 1; // "/#a=name", its window still to be found
constexpr int32_t select_named_found = 2;
constexpr int32_t select_from_list = 5;  // the user chooses from the window list
constexpr int32_t select_restricted = 7; // "/#a": only the "@select=" programs
// direct_mode
constexpr int32_t direct_none = 0;
constexpr int32_t direct_clipboard = 1; // "/#b"
constexpr int32_t direct_history = 2;   // "/#h"
// initial_word_state
constexpr int32_t initial_word_none = 0;  // no initial word, or it was used
constexpr int32_t initial_word_given = 1; // the first search pass searches initial_search_word
constexpr int32_t initial_word_empty = 2; // the search switch came with an empty word: list everything
// text_file_search
constexpr int32_t text_file_off = 0;
constexpr int32_t text_file_on = 1;
constexpr int32_t text_file_named = 2; // a file name came with the command line
constexpr int32_t text_file_path = 3;  // a file path came with the command line
// preview_mode
constexpr int32_t preview_off = 0;
constexpr int32_t preview_beside = 1;
constexpr int32_t preview_above = 2;
// log_mode
constexpr int32_t log_off = 0;
constexpr int32_t log_submenu = 1;      // recent items in a submenu of the utility entries
constexpr int32_t log_in_main_menu = 2; // recent items inside the main menu
// list_style: the result list box is a child, visible, with a vertical scroll bar, notifying and
// with no integral height; sorted (list_style_sorted) unless told otherwise.
constexpr uint32_t list_style_base = 0x50200101;
constexpr uint32_t list_style_sorted = 0x2;
// stay_mode
constexpr int32_t stay_off = 0;
constexpr int32_t stay_at_chosen_window = 1; // placed at a window chosen from the window list
constexpr int32_t stay_at_caret = 2;         // placed at the caret again after each paste and hand-over

struct settings_record {
    // ---- process values (start-up) ----
    char exe_path[260];
    char exe_dir[260];
    char data_file_name[260];    // the executable's base name + ".ini"
    char data_file_path[260];    // the data file read (chosen by the loader)
    char data_file_request[260]; // the name "/#s=" gave, "" for none
    char manual_path[260];
    char log_file_path[260];
    char history_path[260];
    char recorder_link_path[260];
    char recorder_path[260];
    char migemo_dict_path[260];
    const char *command_line;
    int32_t screen_width;
    int32_t screen_height; // the height of a maximised window
    int32_t mouse_present;
    int32_t history_running;
    int32_t is_nt;
    os_window main_window;
    uintptr_t default_font;

    // ---- options of "[system]" ----
    char delimiter[32];
    char break_mark[32];
    char search_path[search_path_capacity];
    int32_t has_search_path;
    int32_t menu_position; // menu_at_*, menu_position_unset
    int32_t menu_x, menu_y;
    int32_t replace_enabled, sendkey_enabled, sendkey_file_enabled;
    int32_t show_text_default;
    int32_t text_caption_length;
    int32_t output_mode; // output_insert, output_paste, output_clipboard_only
    char select_names[select_name_capacity][32];
    int32_t select_count;
    char except_names[select_name_capacity][32];
    int32_t except_count;
    char list_font_face[128];
    int32_t list_font_height, list_font_weight, list_font_italic;
    uintptr_t list_font;
    int32_t list_font_set;
    char editor_path[260];
    int32_t era_base_year;
    int32_t log_mode; // log_*
    int32_t log_max_entries;
    int32_t history_head_chars, history_tail_chars;
    int32_t long_text_extra_wait, long_text_threshold, segment_wait, chord_key_wait;
    int32_t file_section_enabled, file_menu_rows, file_menu_columns, file_menu_max_lines;
    int32_t file_caption_length, file_menu_numbered;
    char comment_mark[16];
    int32_t search_window_width, list_window_width, list_window_height;
    int32_t window_offset_x, window_offset_y;
    int32_t search_kind; // search_popup_menu, search_prefix, search_substring
    int32_t sort_list, match_accept;
    uint32_t list_style;
    int32_t preview_mode; // preview_*
    int32_t preview_size_limit, preview_width, preview_height;
    char preview_font_face[128];
    int32_t preview_font_height, preview_font_weight, preview_font_italic;
    uintptr_t preview_font;
    int32_t paste_keys[paste_key_capacity];
    int32_t paste_key_count;
    int32_t migemo_min_length;
    int32_t kana_fold; // 1: plain matching folds kana, width and case (text/fold.h)
    int32_t guidance;
    int32_t stay_mode; // stay_*
    int32_t stay_flag;

    // ---- start modes (command line) ----
    char path_argument[260];
    int32_t path_argument_found;
    int32_t window_select_mode; // select_*
    char window_select_name[260];
    char initial_search_word[260];
    int32_t initial_word_state; // initial_word_*
    int32_t direct_mode;        // direct_*
    int32_t recent_first, migemo_on, title_first;
    int32_t text_file_search; // text_file_*
    char text_file_search_name[260];
    int32_t text_file_preselected;
};

extern settings_record settings;

// ---- the numeric values of the options ----

constexpr int32_t option_no_high = INT32_MAX;
constexpr int32_t option_no_low = INT32_MIN;
// A fallback that keeps what the field holds when the value is read (its option set it first).
constexpr int32_t option_keep_current = INT32_MIN;

// One value of a "[system]" option list: the field it sets, what the report calls it, the range it
// must lie in and what is taken instead (also the field's initial value unless
// option_keep_current). A range of one value (1 to 1) is a switch that only 1 turns on; no bounds at
// all take any number.
struct option_number {
    const char *option; // "@hist="
    int32_t position;   // which value of the list, from 1
    const char *what;   // what the value sets ("先頭"), or ""
    int32_t settings_record::*field;
    int32_t low, high; // high option_no_high: "low 以上"
    int32_t fallback;
    const char *note; // after the range in the report ("", or ", -1")
};

extern const option_number option_numbers[];
extern const int32_t option_number_count;

// Puts every field to its initial value (process values empty, output_paste, menu_position_unset ...).
void reset_settings();
