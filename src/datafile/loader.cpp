#include "datafile/loader.h"

#include <cstring>

#include "datafile/item_store.h"
#include "datafile/load_report.h"
#include "datafile/log.h"
#include "datafile/options.h"
#include "datafile/settings.h"
#include "text/sjis.h"

size_t line_advance;
int resolve_found;
load_report_function load_report;
size_t load_report_line;

namespace {

// read_line without the zero fill: copies the line and terminates it, returns the advance. A line
// with no byte to drop but its final CR (nearly every line) is copied by memccpy, which also finds
// its LF.
size_t copy_line(size_t offset, size_t size, const char *data, int keep_tabs, char *line)
{
    // Bounded by size, not by zero bytes: a zero inside the file is copied and ends the text early.
    const char *start = data + offset;
    size_t available = size - offset;
    size_t window = available < line_limit + 1 ? available : line_limit + 1;
    const char *copied_end = static_cast<const char *>(memccpy(line, start, '\n', window));
    size_t length = copied_end ? static_cast<size_t>(copied_end - line) - 1 : window;
    if (copied_end == nullptr && window < available) {
        const void *lf = memchr(start + window, '\n', available - window);
        length = lf ? static_cast<size_t>(static_cast<const char *>(lf) - start) : available;
    }
    // The CR of a CR LF ending needs no byte loop to be dropped: it is simply not kept.
    size_t kept = (length > 0 && start[length - 1] == '\r') ? length - 1 : length;
    size_t used = kept < line_limit ? kept : line_limit;
    if (memchr(start, '\r', used) || (!keep_tabs && memchr(start, '\t', used))) {
        used = 0;
        for (size_t i = 0; i < length && used < line_limit; ++i) {
            if (start[i] != '\r' && (start[i] != '\t' || keep_tabs))
                line[used++] = start[i];
        }
    }
    line[used] = '\0';
    return length + 1;
}

} // namespace

char *read_line(size_t offset, size_t size, const char *data, int keep_tabs, char *line)
{
    memset(line, 0, line_buffer_size);
    // Nothing left: an advance of 1 still ends the caller's loop.
    line_advance = offset > size ? 1 : copy_line(offset, size, data, keep_tabs, line);
    return line;
}

char *resolve_path(const char *name, char *out)
{
    char found[path_capacity];
    resolve_found = 0;
    if (name[0] != '\0' && os_file_exists(name)) {
        resolve_found = 1;
        size_t length = os_full_path(name, found);
        copy_text(out, path_capacity, (length >= 1 && length <= 259) ? found : name);
        return out;
    }
    if (name[0] != '\0' && settings.has_search_path == 1) {
        size_t length = os_search_path(settings.search_path, name, found);
        if (length >= 1 && length <= 259) {
            resolve_found = 1;
            copy_text(out, path_capacity, found);
            return out;
        }
    }
    if (name[0] != '\0') {
        size_t length = os_search_path(nullptr, name, found);
        if (length >= 1 && length <= 259) {
            resolve_found = 1;
            copy_text(out, path_capacity, found);
            return out;
        }
    }
    if (out != name)
        copy_text(out, path_capacity, name);
    return out;
}

namespace {

// Child, visible, vertical scroll bar, notify, no integral height.
constexpr uint32_t list_style_base = 0x50200101;
constexpr uint32_t list_style_sorted = 0x2;

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
           os_read_whole_file(settings.data_file_path, 1, data_file_read_limit, file);
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

// One section being read line by line out of the whole-file buffer.
struct section_reader {
    const char *data;
    size_t size;
    size_t offset;
    int keep_tabs;
    char line[line_buffer_size];
    size_t line_start; // of the line last read
    bool at_end_mark;  // the section ended at its "%end" line
};

// Reports a line of more than line_limit bytes (CR, and TAB unless kept, do not count).
void report_long_line(const section_reader &reader, size_t length)
{
    size_t counted = 0;
    for (size_t i = 0; i < length; ++i) {
        char c = reader.data[reader.line_start + i];
        counted += c != '\r' && (c != '\t' || reader.keep_tabs);
    }
    if (counted > line_limit)
        report_load_issue(issue_line_cut, reader.line_start, "", "", static_cast<int64_t>(counted));
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

// find_nocase over text[0, length), for a needle that does not begin with an ASCII letter: memchr
// finds the candidates for its first byte, and only those are compared. A candidate starts a
// character when an even run of lead bytes lies between it and the last known character start, as
// the byte after any byte that is not a lead byte starts one. Each byte is looked back on at most
// once, so a search stays linear. The text need not be terminated: a candidate too close to its end
// for the whole needle is never compared.
const char *find_from_first_byte(const char *text, size_t length, const char *needle)
{
    const size_t needle_length = strlen(needle);
    if (needle_length > length)
        return nullptr;
    const char *end = text + length;
    const char *last = end - needle_length;
    const char *known = text;
    for (const char *p = text; p <= last; ++p) {
        p = static_cast<const char *>(memchr(p, needle[0], static_cast<size_t>(last - p) + 1));
        if (p == nullptr)
            return nullptr;
        const char *q = p;
        while (q > known && is_lead_byte(static_cast<unsigned char>(q[-1])))
            --q;
        if ((p - q) % 2 != 0) {
            known = p + 1; // p is a trail byte: its character ends here
            continue;
        }
        if (starts_with_nocase(p, needle))
            return p;
        known = p;
    }
    return nullptr;
}

bool is_ascii_letter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// find_nocase over text[0, length). A needle that begins with a letter is searched for by
// find_nocase, so the text must then be terminated at `length` (a line is; the data file's buffer
// need not be, and is searched only for headers, which begin with "[").
const char *find_in(const char *text, size_t length, const char *needle)
{
    if (needle[0] == '\0' || is_ascii_letter(needle[0]))
        return find_nocase(text, needle);
    return find_from_first_byte(text, length, needle);
}

// Places the reader on the line after the header's own line. Headers are found case-insensitively
// anywhere in the text; the search stops at the buffer's terminator (or a zero byte in the file).
bool open_section(section_reader *reader, const os_buffer &file, const char *header, int keep_tabs)
{
    const char *at = file.data ? find_in(file.data, strnlen(file.data, file.size), header) : nullptr;
    if (at == nullptr)
        return false;
    reader->data = file.data;
    reader->size = file.size;
    reader->keep_tabs = keep_tabs;
    reader->at_end_mark = false;
    size_t after_header = static_cast<size_t>(at - file.data) + strlen(header);
    const void *lf = memchr(file.data + after_header, '\n', file.size - after_header);
    reader->offset = lf ? static_cast<size_t>(static_cast<const char *>(lf) - file.data) + 1 : file.size + 1;
    return true;
}

// The next line with its leading blanks removed, or null at "%end" or at the end of the data. A last
// line that no LF ends is not read.
char *next_section_line(section_reader *reader)
{
    if (reader->offset >= reader->size)
        return nullptr;
    size_t advance = copy_line(reader->offset, reader->size, reader->data, reader->keep_tabs, reader->line);
    if (reader->offset + advance > reader->size)
        return nullptr;
    reader->line_start = reader->offset;
    reader->offset += advance;
    char *line = reader->line;
    while (*line == ' ' || *line == '\t')
        ++line;
    // A cut comment loses nothing.
    if (load_report && advance > line_limit + 1 && line[0] != ';')
        report_long_line(*reader, advance - 1);
    if (starts_with_nocase(line, "%end")) {
        reader->at_end_mark = true;
        return nullptr;
    }
    return line;
}

// Splits text at the first occurrence of the delimiter (case-insensitive). False when it is absent;
// then neither output is touched.
bool split_at_delimiter(const char *text, char *before, size_t before_capacity, const char **after)
{
    if (settings.delimiter[0] == '\0')
        return false;
    const char *at = find_in(text, strlen(text), settings.delimiter);
    if (at == nullptr)
        return false;
    copy_text_n(before, before_capacity, text, static_cast<size_t>(at - text));
    *after = at + strlen(settings.delimiter);
    return true;
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
    if (entry->text[0] != '\0')
        resolve_path(entry->text, full);
    if (entry->text[0] == '\0' || resolve_found != 1 || os_is_directory(full)) {
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
    append_utility_entry("&9 : Ver.1.38");
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
        resolve_path(name, full);
        if (resolve_found != 1 || os_is_directory(full)) {
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

// Where the line holding the header starts; false when the data has no such header.
bool find_header_line(const os_buffer &file, const char *header, size_t *start)
{
    const char *at = file.data ? find_in(file.data, strnlen(file.data, file.size), header) : nullptr;
    if (at == nullptr)
        return false;
    *start = static_cast<size_t>(at - file.data);
    while (*start > 0 && file.data[*start - 1] != '\n')
        --*start;
    return true;
}

// Reports each section's extent (where its "%end" line ends, or the end of the data) and a section
// that no "%end" closes, whether the section is read or not.
void report_sections(const os_buffer &file)
{
    const char *const headers[] = {"[system]", "[data]", "[file]", "[replace]", "[key]", "[title]"};
    for (const char *header : headers) {
        section_reader reader;
        size_t start = 0;
        if (!find_header_line(file, header, &start) || !open_section(&reader, file, header, 1))
            continue;
        // The walk reports nothing itself: the section's own reading does.
        load_report_function sink = load_report;
        load_report = nullptr;
        while (next_section_line(&reader) != nullptr)
            ;
        load_report = sink;
        // A last "%end" that no LF ends is unread, yet it ends the section where the data ends.
        bool ended = reader.at_end_mark;
        if (!ended && reader.offset < file.size) {
            copy_line(reader.offset, file.size, file.data, 1, reader.line);
            const char *last = reader.line + strspn(reader.line, " \t");
            ended = starts_with_nocase(last, "%end");
        }
        report_load_issue(issue_section_span, start, header, "",
                          static_cast<int64_t>(reader.at_end_mark ? reader.offset : file.size));
        if (!ended)
            report_load_issue(issue_section_without_end, start, header);
    }
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
