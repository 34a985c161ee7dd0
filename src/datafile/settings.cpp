#include "datafile/settings.h"

#include <cstring>

#include "text/sjis.h"

settings_record settings;

void reset_settings()
{
    memset(&settings, 0, sizeof settings);
    settings.command_line = "";
    copy_text(settings.delimiter, sizeof settings.delimiter, default_delimiter);
    copy_text(settings.break_mark, sizeof settings.break_mark, default_break_mark);
    settings.menu_position = menu_position_unset;
    settings.text_caption_length = 20;
    settings.output_mode = output_paste;
    copy_text(settings.list_font_face, sizeof settings.list_font_face, default_font_face);
    settings.list_font_height = default_font_height;
    settings.list_font_weight = default_font_weight;
    settings.era_base_year = 1988;
    settings.log_max_entries = 20;
    settings.history_head_chars = 30;
    settings.long_text_extra_wait = 100;
    settings.long_text_threshold = 1000;
    settings.file_section_enabled = 1;
    settings.file_menu_rows = 25;
    settings.file_menu_columns = 4;
    settings.file_menu_max_lines = 1000;
    copy_text(settings.comment_mark, sizeof settings.comment_mark, default_comment_mark);
    settings.search_window_width = 130;
    settings.list_window_width = 160;
    settings.list_window_height = 150;
    settings.window_offset_x = 10;
    settings.window_offset_y = 30;
    settings.sort_list = 1;
    settings.migemo_min_length = 2;
    settings.guidance = 1;
}
