// The settings record: every "[system]" option, the start modes that the command line sets and the
// process values derived at start-up. One process-wide instance, `settings`.
// Owns: the record and its initial values. The option parsers (settings.cpp) and the loader fill
// it; core/ fills the process values; cmdline/ the start modes. Everyone else only reads it, except
// the working-state fields that their rooms name.
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

struct settings_record {
    // ---- process values (start-up) ----
    char exe_path[260];
    char exe_dir[260];
    char data_file_name[260];
    char data_file_path[260];
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
    int32_t menu_position; // 9 = unset
    int32_t menu_x, menu_y;
    int32_t replace_enabled, sendkey_enabled, sendkey_file_enabled;
    int32_t show_text_default;
    int32_t text_caption_length;
    int32_t output_mode; // 0 insert, 1 clipboard and paste keys, 2 clipboard only
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
    int32_t log_mode, log_max_entries;
    int32_t history_head_chars, history_tail_chars;
    int32_t long_text_extra_wait, long_text_threshold, segment_wait, chord_key_wait;
    int32_t file_section_enabled, file_menu_rows, file_menu_columns, file_menu_max_lines;
    int32_t file_caption_length, file_menu_numbered;
    char comment_mark[16];
    int32_t search_window_width, list_window_width, list_window_height;
    int32_t window_offset_x, window_offset_y;
    int32_t search_kind; // 0 popup menu, 1 prefix search, 2 substring search
    int32_t sort_list, match_accept;
    uint32_t list_style;
    int32_t preview_mode, preview_size_limit, preview_width, preview_height;
    char preview_font_face[128];
    int32_t preview_font_height, preview_font_weight, preview_font_italic;
    uintptr_t preview_font;
    int32_t paste_keys[paste_key_capacity];
    int32_t paste_key_count;
    int32_t migemo_min_length;
    int32_t guidance;
    int32_t stay_mode, stay_flag;

    // ---- start modes (command line) ----
    char path_argument[260];
    int32_t path_argument_found;
    int32_t window_select_mode; // 0, 1 "/#a=name", 2 found, 5 choose from list, 7 "/#a"
    char window_select_name[260];
    char initial_search_word[260];
    int32_t initial_word_state;
    int32_t direct_mode; // 0, 1 "/#b", 2 "/#h"
    int32_t recent_first, migemo_on, title_first;
    int32_t text_file_search;
    char text_file_search_name[260];
    int32_t text_file_preselected;
    int32_t log_entry_count;
};

extern settings_record settings;

// Puts every field to its initial value (process values empty, output_mode 1, menu_position 9 ...).
void reset_settings();
