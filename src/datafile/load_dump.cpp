#include "datafile/load_dump.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "datafile/item_store.h"
#include "datafile/settings.h"

namespace {

// Room for the longest line: a table of 100 rows of two 259-byte fields with their joints.
constexpr size_t dump_line_capacity = 60000;

struct dump_writer {
    dump_line_function emit;
    void *context;
    size_t used;
    char line[dump_line_capacity];
};

dump_writer writer;

// Appends to the line; tabs become "\t". What does not fit is dropped.
void put(const char *text)
{
    for (const char *p = text; *p != '\0'; ++p) {
        const char *piece = *p == '\t' ? "\\t" : nullptr;
        size_t length = piece ? 2 : 1;
        if (writer.used + length >= dump_line_capacity)
            return;
        memcpy(writer.line + writer.used, piece ? piece : p, length);
        writer.used += length;
    }
}

void put_format(const char *format, ...)
{
    char piece[64];
    va_list args;
    va_start(args, format);
    vsnprintf(piece, sizeof piece, format, args);
    va_end(args);
    put(piece);
}

void put_numbers(const int32_t *values, int count)
{
    for (int i = 0; i < count; ++i)
        put_format(i ? " %d" : "%d", values[i]);
}

// Hands the line over without its trailing blanks and starts the next one.
void end_line()
{
    while (writer.used > 0 && writer.line[writer.used - 1] == ' ')
        --writer.used;
    writer.line[writer.used] = '\0';
    writer.emit(writer.line, writer.context);
    writer.used = 0;
}

void start(dump_line_function emit, void *context)
{
    writer.emit = emit;
    writer.context = context;
    writer.used = 0;
}

template <size_t n> void put_names(const char (*names)[n], int count)
{
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            put("|");
        put(names[i]);
    }
}

template <size_t a, size_t b> void put_rows(const char (*left)[a], const char (*right)[b], int count)
{
    for (int i = 0; i < count; ++i) {
        put(i ? "," : "");
        put(left[i]);
        put(">");
        put(right[i]);
    }
}

} // namespace

void dump_settings(dump_line_function emit, void *context)
{
    start(emit, context);
    const settings_record &s = settings;
    put("@dlm [");
    put(s.delimiter);
    put("] [");
    put(s.break_mark);
    put("]");
    end_line();
    put_format("@path %d ", s.has_search_path);
    put(s.search_path);
    end_line();
    const int32_t menu[] = {s.menu_position, s.menu_x, s.menu_y};
    put("@menu ");
    put_numbers(menu, 3);
    end_line();
    put_format("@item %d %d", s.show_text_default, s.text_caption_length);
    end_line();
    put("@select ");
    put_names(s.select_names, s.select_count);
    put(" / ");
    put_names(s.except_names, s.except_count);
    end_line();
    put("@font ");
    put(s.list_font_face);
    const int32_t font[] = {s.list_font_height, s.list_font_weight, s.list_font_italic, s.list_font_set};
    put(" ");
    put_numbers(font, 4);
    end_line();
    put("@editor ");
    put(s.editor_path);
    end_line();
    put_format("@year %d", s.era_base_year);
    end_line();
    put_format("@log %d %d ", s.log_mode, s.log_max_entries);
    put(s.log_file_path);
    end_line();
    put_format("@hist %d %d", s.history_head_chars, s.history_tail_chars);
    end_line();
    const int32_t wait[] = {s.long_text_extra_wait, s.long_text_threshold, s.segment_wait, s.chord_key_wait};
    put("@wait ");
    put_numbers(wait, 4);
    end_line();
    const int32_t file[] = {s.file_section_enabled, s.file_menu_rows,      s.file_menu_columns,
                            s.file_menu_max_lines,  s.file_caption_length, s.file_menu_numbered};
    put("@file ");
    put_numbers(file, 6);
    put(" ");
    put(s.comment_mark);
    end_line();
    const int32_t window[] = {s.search_window_width, s.list_window_width, s.list_window_height,
                              s.window_offset_x, s.window_offset_y};
    put("@window ");
    put_numbers(window, 5);
    end_line();
    const int32_t view[] = {s.preview_mode, s.preview_size_limit, s.preview_width, s.preview_height};
    const int32_t view_font[] = {s.preview_font_height, s.preview_font_weight, s.preview_font_italic};
    put("@view ");
    put_numbers(view, 4);
    put(" ");
    put(s.preview_font_face);
    put(" ");
    put_numbers(view_font, 3);
    end_line();
    const int32_t keys[] = {s.paste_key_count, s.paste_keys[0], s.paste_keys[1], s.paste_keys[2]};
    put("@key ");
    put_numbers(keys, 4);
    end_line();
    put_format("@migemo %d ", s.migemo_min_length);
    put(s.migemo_dict_path);
    end_line();
    put_format("@stay %d %d", s.stay_mode, s.stay_flag);
    end_line();
    put_format("@kana %d", s.kana_fold);
    end_line();
    // replace, sendkey (the data file's choice, the value in force), output mode, sort, match, guidance
    const int32_t switches[] = {s.replace_enabled, s.sendkey_enabled, s.sendkey_file_enabled,
                                s.output_mode,     s.sort_list,       s.match_accept,
                                s.guidance};
    put("switches ");
    put_numbers(switches, 7);
    end_line();
    put_format("search_kind %d list_style 0x%x window_select_mode %d", s.search_kind,
               static_cast<unsigned>(s.list_style), s.window_select_mode);
    end_line();
    put_format("text_file_search %d preselected %d", s.text_file_search, s.text_file_preselected);
    end_line();
}

void dump_item_store(dump_line_function emit, void *context)
{
    start(emit, context);
    static const char *const kinds[] = {"text", "util", "sep", "col", "?", "?", "?", "?", "open", "close"};
    put_format("[items] %d", store.item_count);
    end_line();
    for (int32_t i = 0; i < store.item_count; ++i) {
        const item_entry &e = store.items[i];
        put_format("%d %s %d [", i, e.kind >= 0 && e.kind <= 9 ? kinds[e.kind] : "?", e.depth);
        put(e.text);
        put("|");
        put(e.caption);
        put("|");
        put(e.plain_caption);
        put("|");
        put(e.list_caption);
        put("]");
        if (e.show_text)
            put(" show");
        if (e.is_file) {
            put(" file(");
            put(e.file_param);
            put("|");
            put(e.file_caption);
            put(")");
        }
        end_line();
    }
    put("[files] ");
    put_rows(store.text_file_path, store.text_file_name, store.text_file_count);
    put_format(" selected %d", store.text_file_selected);
    end_line();
    put("[replace] ");
    put_rows(store.replace_from, store.replace_to, store.replace_count);
    end_line();
    put("[key] ");
    put_rows(store.key_code, store.key_text, store.key_count);
    end_line();
    put("[title] ");
    put_rows(store.title_group, store.title_pattern, store.title_count);
    end_line();
}
