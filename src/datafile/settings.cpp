#include "datafile/settings.h"

#include <cstring>

#include "text/sjis.h"

settings_record settings;

// The ranges and fallbacks that the option parsers apply, the checker reports and reset_settings
// starts from.
const option_number option_numbers[] = {
    {"@item=", 1, "文字列を出す", &settings_record::show_text_default, 1, 1, 0, ""},
    {"@item=", 2, "長さ", &settings_record::text_caption_length, 10, 50, 20, ", -1"},
    {"@font=", 4, "斜体", &settings_record::list_font_italic, 1, 1, 0, ""},
    {"@log=", 1, "", &settings_record::log_mode, log_off, log_in_main_menu, log_off, ""},
    {"@log=", 2, "数", &settings_record::log_max_entries, 10, 50, 20, ""},
    {"@hist=", 1, "先頭", &settings_record::history_head_chars, 10, 100, 30, ""},
    {"@wait=", 1, "長文の待ち", &settings_record::long_text_extra_wait, 1, 10000, 100, ""},
    {"@wait=", 2, "長文の境目", &settings_record::long_text_threshold, 1, option_no_high, 1000, ""},
    {"@wait=", 3, "区切りの待ち", &settings_record::segment_wait, 0, 10000, 0, ""},
    {"@wait=", 4, "キーの待ち", &settings_record::chord_key_wait, 0, 10000, 0, ""},
    {"@file=", 2, "行数", &settings_record::file_menu_rows, 1, 100, 25, ""},
    {"@file=", 3, "列数", &settings_record::file_menu_columns, 1, 10, 4, ""},
    {"@file=", 4, "最大行数", &settings_record::file_menu_max_lines, 1, option_no_high, 1000, ""},
    {"@file=", 5, "表示の長さ", &settings_record::file_caption_length, 0, 100, 0, ""},
    {"@file=", 6, "番号", &settings_record::file_menu_numbered, 1, 1, 0, ""},
    {"@window=", 1, "検索窓の幅", &settings_record::search_window_width, 120, 300, 130, ""},
    {"@window=", 2, "一覧の幅", &settings_record::list_window_width, 150, 500, 160, ""},
    {"@window=", 3, "一覧の高さ", &settings_record::list_window_height, 70, 500, 150, ""},
    {"@window=", 4, "横のずれ", &settings_record::window_offset_x, option_no_low, option_no_high, 10, ""},
    {"@window=", 5, "縦のずれ", &settings_record::window_offset_y, option_no_low, option_no_high, 30, ""},
    // The preview's size starts from the list window's at the "@view=" line, its limit from 1,000.
    {"@view=", 1, "下見", &settings_record::preview_mode, preview_off, preview_above, preview_off, ""},
    {"@view=", 2, "大きさの上限", &settings_record::preview_size_limit, 0, option_no_high,
     option_keep_current, ""},
    {"@view=", 3, "幅", &settings_record::preview_width, 150, 1000, option_keep_current, ""},
    {"@view=", 4, "高さ", &settings_record::preview_height, 1, 500, option_keep_current, ""},
    {"@migemo=", 1, "語の長さ", &settings_record::migemo_min_length, 1, 10, 2, ""},
    {"@kana=", 1, "かな・全角半角・大文字小文字を区別しない", &settings_record::kana_fold, 1, 1, 0, ""},
    {"@stay=", 1, "", &settings_record::stay_mode, stay_off, stay_at_caret, stay_off, ""},
    {"@stay=", 2, "", &settings_record::stay_flag, 1, 1, 0, ""},
};
const int32_t option_number_count = sizeof option_numbers / sizeof option_numbers[0];

void reset_settings()
{
    memset(&settings, 0, sizeof settings);
    settings.command_line = "";
    copy_text(settings.delimiter, sizeof settings.delimiter, default_delimiter);
    copy_text(settings.break_mark, sizeof settings.break_mark, default_break_mark);
    settings.menu_position = menu_position_unset;
    settings.output_mode = output_paste;
    copy_text(settings.list_font_face, sizeof settings.list_font_face, default_font_face);
    settings.list_font_height = default_font_height;
    settings.list_font_weight = default_font_weight;
    settings.era_base_year = default_era_base_year;
    settings.file_section_enabled = 1;
    copy_text(settings.comment_mark, sizeof settings.comment_mark, default_comment_mark);
    settings.sort_list = 1;
    settings.guidance = 1;
    for (const option_number &number : option_numbers) {
        if (number.fallback != option_keep_current)
            settings.*number.field = number.fallback;
    }
}
