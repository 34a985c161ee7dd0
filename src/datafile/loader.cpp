#include "datafile/loader.h"

#include <cstring>

#include "datafile/item_store.h"
#include "datafile/load_report.h"
#include "datafile/log.h"
#include "datafile/options.h"
#include "datafile/section_reader.h"
#include "datafile/settings.h"
#include "datafile/utf8_file.h"
#include "text/sjis.h"

load_report_function load_report;
size_t load_report_line;

namespace {

// Joins a directory and a file name; 0 when the result would not fit (such a path names no file).
int join_path(char *out, const char *dir, const char *name)
{
    copy_text(out, path_capacity, dir);
    return append_text(out, path_capacity, name);
}

} // namespace

int choose_data_file_path()
{
    char chosen[path_capacity];
    char own[path_capacity];
    char shared[path_capacity];
    // A requested name that does not fit, is missing or names a folder is no data file.
    const int requested = settings.data_file_request[0] != '\0' &&
                          join_path(chosen, settings.exe_dir, settings.data_file_request) &&
                          os_file_exists(chosen) && !os_is_directory(chosen);
    const int own_fits = join_path(own, settings.exe_dir, settings.data_file_name);
    const int shared_fits = join_path(shared, settings.exe_dir, "Mivra.ini");
    if (!requested) {
        if (own_fits && os_file_exists(own))
            copy_text(chosen, sizeof chosen, own);
        else if (shared_fits && os_file_exists(shared))
            copy_text(chosen, sizeof chosen, shared);
        else if (own_fits)
            copy_text(chosen, sizeof chosen, own);
        else
            return 0;
    }
    copy_text(settings.data_file_path, sizeof settings.data_file_path, chosen);
    return 1;
}

namespace {

// The chosen data file; the executable's own one is created empty when no candidate exists.
int read_data_file(os_buffer *file)
{
    return choose_data_file_path() &&
           read_file_text(settings.data_file_path, 1, data_file_read_limit, file);
}

void reset_loaded_settings()
{
    settings.editor_path[0] = '\0';
    copy_text(settings.delimiter, sizeof settings.delimiter, default_delimiter);
    copy_text(settings.break_mark, sizeof settings.break_mark, default_break_mark);
    settings.select_count = 0;
    settings.except_count = 0;
    settings.match_accept = 0;
    settings.replace_enabled = 0;
    settings.sendkey_enabled = 0;
    settings.sendkey_file_enabled = 0;
    settings.sort_list = 1;
    settings.show_text_default = 0;
    settings.list_font_set = 0;
    settings.has_search_path = 0;
    copy_text(settings.comment_mark, sizeof settings.comment_mark, default_comment_mark);
}

// Reports a part of `length` bytes that its field of `capacity` bytes cuts.
void report_cut(size_t offset, const char *what, size_t length, size_t capacity)
{
    if (load_report && length + 1 > capacity)
        report_load_issue(issue_text_cut, offset, what, "", static_cast<int64_t>(length),
                          static_cast<int64_t>(capacity - 1));
}

// Reports a full table once, at the first line it drops.
void report_table_full(bool *reported, size_t offset, const char *section, int64_t limit)
{
    if (!*reported)
        report_load_issue(issue_table_full, offset, section, "", limit);
    *reported = true;
}

void read_system_section(const os_buffer &file)
{
    section_reader reader;
    if (!open_section(&reader, file, "[system]", 0))
        return;
    while (char *line = next_section_line(&reader)) {
        if (line[0] == '\0' || line[0] == ';')
            continue;
        // Every value list ends in CR, as the parsers expect; the line is at most 517 bytes.
        append_text(reader.line, sizeof reader.line, "\r\n");
        load_report_line = reader.line_start;
        apply_system_option(line);
    }
}

void settle_system_settings()
{
    if (settings.menu_position == menu_position_unset)
        settings.menu_position = menu_at_caret;
    if (settings.select_count == 0 && settings.window_select_mode != select_named_pending &&
        settings.window_select_mode != select_from_list)
        settings.window_select_mode = select_foreground;
    settings.list_style = list_style_base | (settings.sort_list == 1 ? list_style_sorted : 0);
}

item_entry *append_entry(int32_t kind, int32_t depth)
{
    // Empty texts are enough: clearing the whole 1.5 KB record for each of 3,000 items would cost
    // more than reading them.
    item_entry *entry = &store.items[store.item_count++];
    entry->kind = kind;
    entry->depth = depth;
    entry->show_text = 0;
    entry->is_file = 0;
    entry->text[0] = '\0';
    entry->caption[0] = '\0';
    entry->plain_caption[0] = '\0';
    entry->list_caption[0] = '\0';
    entry->file_param[0] = '\0';
    entry->file_caption[0] = '\0';
    return entry;
}

void set_plain_caption(item_entry *entry)
{
    copy_text(entry->plain_caption, sizeof entry->plain_caption, entry->caption);
    remove_byte(entry->plain_caption, '&');
}

void store_text_item(const char *line, int32_t depth, size_t offset)
{
    item_entry *entry = append_entry(text_item, depth);
    const char *rest = nullptr;
    if (split_at_delimiter(line, entry->text, sizeof entry->text, &rest)) {
        if (load_report) {
            report_cut(offset, "文字列", static_cast<size_t>(rest - line) - strlen(settings.delimiter),
                       sizeof entry->text);
            report_cut(offset, "表示名", strlen(rest) - (rest[0] == '#'), sizeof entry->caption);
        }
        entry->show_text = settings.show_text_default;
        if (rest[0] == '#') {
            ++rest;
            entry->show_text = 1 - settings.show_text_default;
        }
        copy_text(entry->caption, sizeof entry->caption, rest);
        set_plain_caption(entry);
        copy_text(entry->list_caption, sizeof entry->list_caption, entry->plain_caption);
        return;
    }
    // Without a delimiter the line is everything at once, "&" marks included.
    report_cut(offset, "文字列", strlen(line), sizeof entry->text);
    copy_text(entry->text, sizeof entry->text, line);
    copy_text(entry->caption, sizeof entry->caption, line);
    copy_text(entry->plain_caption, sizeof entry->plain_caption, line);
    copy_text(entry->list_caption, sizeof entry->list_caption, line);
    entry->show_text = settings.show_text_default;
}

// ">" turns the entry above into a file entry, but only when its text names an existing file.
void store_file_parameters(const char *rest, size_t offset)
{
    item_entry *entry = &store.items[store.item_count - 1];
    char full[path_capacity];
    if (entry->text[0] == '\0' || !resolve_path(entry->text, full) || os_is_directory(full)) {
        report_load_issue(issue_parameters_ignored, offset, "", entry->text);
        return;
    }
    const char *caption = nullptr;
    if (split_at_delimiter(rest, entry->file_param, sizeof entry->file_param, &caption)) {
        if (load_report) {
            report_cut(offset, "引数", static_cast<size_t>(caption - rest) - strlen(settings.delimiter),
                       sizeof entry->file_param);
            report_cut(offset, "表示名", strlen(caption), sizeof entry->file_caption);
        }
        copy_text(entry->file_caption, sizeof entry->file_caption, caption);
    } else {
        report_cut(offset, "引数", strlen(rest), sizeof entry->file_param);
        copy_text(entry->file_param, sizeof entry->file_param, rest);
        entry->file_caption[0] = '\0';
    }
    copy_text(entry->text, sizeof entry->text, full);
    entry->is_file = 1;
}

void read_data_section(const os_buffer &file)
{
    store.item_count = 0;
    section_reader reader;
    if (!open_section(&reader, file, "[data]", 1))
        return;
    int32_t depth = 0;
    bool item_seen = false;
    bool separators_allowed = false;
    // For the report only: where each open group began, innermost last.
    static size_t open_lines[data_item_limit];
    static int32_t open_items[data_item_limit];
    bool full_reported = false;
    while (char *line = next_section_line(&reader)) {
        if (line[0] == '\0' || line[0] == ';')
            continue;
        if (store.item_count >= data_item_limit) {
            report_table_full(&full_reported, reader.line_start, "[data]", data_item_limit);
            continue;
        }
        const bool is_close = line[0] == '}' && depth > 0;
        if (load_report && line[1] != '\0' &&
            (is_close || ((line[0] == '+' || line[0] == '-') && separators_allowed))) {
            const char mark[2] = {line[0], '\0'};
            report_load_issue(issue_rest_ignored, reader.line_start, mark, line + 1);
        }
        if ((line[0] == '+' || line[0] == '-') && separators_allowed) {
            append_entry(line[0] == '+' ? separator_mark : column_break_mark, depth);
        } else if (line[0] == '{' && line[1] != '\0') {
            if (load_report) {
                open_lines[depth] = reader.line_start;
                open_items[depth] = store.item_count;
                report_cut(reader.line_start, "グループの表示名", strlen(line + 1), path_capacity);
            }
            item_entry *entry = append_entry(group_open, depth);
            copy_text(entry->caption, sizeof entry->caption, line + 1);
            set_plain_caption(entry);
            ++depth;
            separators_allowed = false;
        } else if (is_close) {
            append_entry(group_close, depth);
            --depth;
        } else if (line[0] == '>' && item_seen) {
            store_file_parameters(line + 1, reader.line_start);
        } else {
            if (load_report && line[0] == '}')
                report_load_issue(issue_group_not_open, reader.line_start);
            else if (load_report && (strchr("+-{>", line[0]) != nullptr && line[0] != '\0') &&
                     (line[1] == '\0' || line[0] == '>'))
                report_load_issue(issue_mark_as_item, reader.line_start, line);
            store_text_item(line, depth, reader.line_start);
            item_seen = true;
            separators_allowed = true;
        }
    }
    if (load_report) {
        for (int32_t d = 0; d < depth; ++d)
            report_load_issue(issue_group_left_open, open_lines[d], "", store.items[open_items[d]].caption);
    }
}

void append_utility_entry(const char *caption)
{
    item_entry *entry = append_entry(utility_entry, 0);
    copy_text(entry->plain_caption, sizeof entry->plain_caption, caption);
    copy_text(entry->list_caption, sizeof entry->list_caption, caption);
}

void append_utility_entries()
{
    if (settings.output_mode != output_clipboard_only || settings.history_running == 1)
        append_utility_entry("&1 : クリップボード");
    append_utility_entry("&2 : 設定ファイル");
    append_utility_entry("&3 : 説明書");
    if (settings.history_running == 1)
        append_utility_entry("&4 : 履歴停止");
    else if (settings.recorder_path[0] != '\0' && os_file_exists(settings.recorder_path))
        append_utility_entry("&4 : 履歴開始");
    append_utility_entry("&9 : Ver." MIVRA_VERSION); // MIVRA_VERSION: CMakeLists.txt
}

void append_text_file(const char *path, const char *name)
{
    int32_t index = store.text_file_count++;
    copy_text(store.text_file_path[index], path_capacity, path);
    copy_text(store.text_file_name[index], path_capacity, name);
}

void base_name_of(const char *path, char *name)
{
    split_path(path, nullptr, nullptr, name, nullptr);
}

void read_file_section(const os_buffer &file)
{
    store.text_file_count = 0;
    section_reader reader;
    if (!open_section(&reader, file, "[file]", 0))
        return;
    while (store.text_file_count < text_file_limit) {
        char *line = next_section_line(&reader);
        if (line == nullptr)
            break;
        // A blank line would not resolve to a file anyway.
        if (line[0] == '\0')
            continue;
        char name[line_buffer_size];
        const char *display = nullptr;
        bool named = split_at_delimiter(line, name, sizeof name, &display);
        if (!named)
            copy_text(name, sizeof name, line);
        char full[path_capacity];
        if (!resolve_path(name, full) || os_is_directory(full)) {
            // ";" lines are no file names either; they stand as comments.
            if (line[0] != ';')
                report_load_issue(issue_file_missing, reader.line_start, "[file]", name);
            continue;
        }
        char base[path_capacity];
        if (!named) {
            base_name_of(full, base);
            display = base;
        } else {
            report_cut(reader.line_start, "表示名", strlen(display), path_capacity);
        }
        append_text_file(full, display);
    }
    if (load_report && store.text_file_count == text_file_limit) {
        char *line = next_section_line(&reader);
        while (line != nullptr && line[0] == '\0')
            line = next_section_line(&reader);
        if (line != nullptr)
            report_load_issue(issue_table_full, reader.line_start, "[file]", "", text_file_limit);
    }
}

void choose_text_file()
{
    if (store.text_file_count == 0 && settings.text_file_search != text_file_path) {
        settings.text_file_search = text_file_off;
        settings.file_section_enabled = 0;
    } else if (settings.text_file_search == text_file_named) {
        settings.text_file_search = text_file_on;
        store.text_file_selected = 0;
        for (int32_t i = 0; i < store.text_file_count; ++i) {
            if (equals_nocase(store.text_file_name[i], settings.text_file_search_name)) {
                store.text_file_selected = i;
                // Only a file that was found opens preselected; otherwise the list is offered.
                settings.text_file_preselected = 1;
                break;
            }
        }
    } else if (settings.text_file_search == text_file_path) {
        char base[path_capacity];
        base_name_of(settings.path_argument, base);
        store.text_file_selected = store.text_file_count;
        append_text_file(settings.path_argument, base);
        settings.text_file_search = text_file_on;
        settings.text_file_preselected = 1;
    }
}

void read_replace_section(const os_buffer &file)
{
    store.replace_count = 0;
    section_reader reader;
    if (!open_section(&reader, file, "[replace]", 1))
        return;
    bool full_reported = false;
    while (char *line = next_section_line(&reader)) {
        if (line[0] != '%' || store.replace_count >= replace_capacity) {
            if (!load_report || line[0] == '\0' || line[0] == ';')
                continue;
            if (line[0] != '%')
                report_load_issue(issue_replace_not_macro, reader.line_start);
            else
                report_table_full(&full_reported, reader.line_start, "[replace]", replace_capacity);
            continue;
        }
        char from[path_capacity];
        const char *to = nullptr;
        if (!split_at_delimiter(line, from, sizeof from, &to)) {
            report_load_issue(issue_no_delimiter, reader.line_start, "[replace]");
            continue;
        }
        if (strlen(from) < 2 || to[0] == '\0') {
            report_load_issue(issue_replace_row_empty, reader.line_start);
            continue;
        }
        if (load_report) {
            report_cut(reader.line_start, "名前", static_cast<size_t>(to - line) - strlen(settings.delimiter),
                       path_capacity);
            report_cut(reader.line_start, "置き換える文字列", strlen(to), path_capacity);
        }
        copy_text(store.replace_from[store.replace_count], path_capacity, from);
        copy_text(store.replace_to[store.replace_count], path_capacity, to);
        ++store.replace_count;
    }
}

void read_key_section(const os_buffer &file)
{
    store.key_count = 0;
    section_reader reader;
    if (!open_section(&reader, file, "[key]", 1))
        return;
    bool full_reported = false;
    while (char *line = next_section_line(&reader)) {
        if (line[0] == ';' || (line[0] == '\0' && store.key_count < key_capacity))
            continue;
        if (store.key_count >= key_capacity) {
            if (line[0] != '\0')
                report_table_full(&full_reported, reader.line_start, "[key]", key_capacity);
            continue;
        }
        size_t length = strlen(line);
        if (length < 2) {
            report_load_issue(issue_key_too_short, reader.line_start, line);
            continue;
        }
        if (load_report) {
            if (hex_digit_value(line[0]) < 0 || hex_digit_value(line[1]) < 0) {
                char code[3] = {line[0], line[1], '\0'};
                report_load_issue(issue_key_not_hex, reader.line_start, "", code);
            }
            // The third byte is skipped whatever it is: a name glued to the code loses its first byte.
            if (length > 3 && line[2] != ' ' && line[2] != '\t')
                report_load_issue(issue_key_separator, reader.line_start, "", line + 2);
            if (length > 3)
                report_cut(reader.line_start, "キーの名前", length - 3, sizeof store.key_text[0]);
        }
        int32_t row = store.key_count++;
        copy_text_n(store.key_code[row], sizeof store.key_code[row], line, 2);
        // The third byte separates the number from its name.
        copy_text(store.key_text[row], sizeof store.key_text[row],
                  length > 3 ? line + 3 : store.key_code[row]);
    }
}

void read_title_section(const os_buffer &file)
{
    store.title_count = 0;
    section_reader reader;
    if (!open_section(&reader, file, "[title]", 1))
        return;
    bool full_reported = false;
    while (char *line = next_section_line(&reader)) {
        if (line[0] == ';' || store.title_count >= title_capacity) {
            if (line[0] != ';' && line[0] != '\0')
                report_table_full(&full_reported, reader.line_start, "[title]", title_capacity);
            continue;
        }
        char group[path_capacity];
        const char *pattern = nullptr;
        if (!split_at_delimiter(line, group, sizeof group, &pattern)) {
            if (line[0] != '\0')
                report_load_issue(issue_no_delimiter, reader.line_start, "[title]");
            continue;
        }
        if (load_report) {
            report_cut(reader.line_start, "グループの表示名",
                       static_cast<size_t>(pattern - line) - strlen(settings.delimiter), path_capacity);
            report_cut(reader.line_start, "正規表現", strlen(pattern), path_capacity);
        }
        copy_text(store.title_group[store.title_count], path_capacity, group);
        copy_text(store.title_pattern[store.title_count], path_capacity, pattern);
        report_load_issue(issue_title_stored, reader.line_start, store.title_group[store.title_count],
                          store.title_pattern[store.title_count]);
        ++store.title_count;
    }
}

// Reports each section's extent (where its "%end" line ends, or the end of the data) and a section
// that no "%end" closes, whether the section is read or not.
void report_sections(const os_buffer &file)
{
    for (const char *header : section_headers)
        report_section_span(file, header);
}

// A section that is there but that the options leave unread ("[file]" with "@file=0") or unused
// ("[replace]" without "@replace=1").
void report_unused_section(const os_buffer &file, const char *header)
{
    size_t start = 0;
    if (find_header_line(file, header, &start))
        report_load_issue(issue_section_unused, start, header);
}

} // namespace

void load_data_text(const os_buffer &file)
{
    if (load_report)
        report_sections(file);
    reset_loaded_settings();
    read_system_section(file);
    settle_system_settings();
    read_data_section(file);
    if (settings.search_kind > search_popup_menu)
        append_utility_entries();
    if (settings.kana_fold == 1)
        fold_item_captions();
    if (settings.text_file_search != text_file_off)
        settings.file_section_enabled = 1;
    if (settings.file_section_enabled == 1)
        read_file_section(file);
    else if (load_report)
        report_unused_section(file, "[file]");
    choose_text_file();
    if (load_report && settings.replace_enabled == 0)
        report_unused_section(file, "[replace]");
    read_replace_section(file);
    read_key_section(file);
    read_title_section(file);
    keep_log_off_user_files();
}

int load_data_file(os_window owner)
{
    os_buffer file;
    if (!read_data_file(&file)) {
        os_error_box(owner, "設定ファイル異常");
        return 0;
    }
    load_data_text(file);
    os_free_buffer(&file);
    if (settings.log_mode > log_off)
        read_log(owner);
    return 1;
}
