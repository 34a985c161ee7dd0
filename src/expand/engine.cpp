// The expansion engine: item switches, file and clipboard sources, range cutting, the macro steps
// and the preview form of key macros.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "datafile/utf8_file.h"
#include "expand/expand.h"
#include "expand/substitute.h"
#include "output/chord.h"
#include "output/paste.h"
#include "text/sjis.h"

item_switches switches;
expansion_modes expansion;

namespace {

constexpr size_t switch_value_limit = 259; // characters kept of a number or a marker
const char unreadable_message[] = "データファイルが読めません！";

bool is_blank(char c)
{
    return c == ' ';
}

// Finds a switch by name, with the leading "/" that a file named on the command line requires;
// *after receives the position right after the switch.
const char *find_switch(const char *text, const char *name, const char **after = nullptr)
{
    char full[16] = "/";
    copy_text(full + 1, sizeof full - 1, name);
    const char *wanted = settings.path_argument_found == 1 ? full : full + 1;
    const char *hit = find_nocase(text, wanted);
    if (hit && after)
        *after = hit + strlen(wanted);
    return hit;
}

// Collects the value after a switch up to a blank or the end, at most switch_value_limit bytes.
struct value_buffer {
    char text[switch_value_limit + 1];
    size_t length;
};

void value_clear(value_buffer *v)
{
    v->length = 0;
    v->text[0] = '\0';
}

void value_push(value_buffer *v, char c)
{
    if (v->length < switch_value_limit) {
        v->text[v->length++] = c;
        v->text[v->length] = '\0';
    }
}

void parse_line_range(const char *p)
{
    value_buffer number;
    value_clear(&number);
    bool separator = false;
    switches.line_range_mode = range_lines;
    switches.first_line = switches.last_line = 0;
    for (; *p != '\0' && !is_blank(*p); ++p) {
        if (*p == '-' || *p == '+') {
            int32_t n = read_decimal(number.text);
            switches.first_line = n < 1 ? 1 : n;
            value_clear(&number);
            separator = true;
            if (*p == '+')
                switches.line_range_mode = range_line_count;
        } else {
            value_push(&number, *p);
        }
    }
    int32_t n = read_decimal(number.text);
    if (!separator) {
        switches.first_line = n;
        if (n < 1)
            switches.line_range_mode = range_none;
    } else {
        switches.last_line = n;
        if (switches.line_range_mode == range_lines && n <= switches.first_line) {
            switches.last_line = -1;
        } else if (switches.line_range_mode == range_line_count && n < 1) {
            switches.last_line = -1;
            switches.line_range_mode = range_lines;
        }
    }
}

void parse_markers(const char *p)
{
    value_buffer marker;
    value_clear(&marker);
    bool separator = false;
    switches.line_range_mode = range_markers;
    for (; *p != '\0' && !is_blank(*p); ++p) {
        if (*p == '-') {
            copy_text(switches.start_marker, sizeof switches.start_marker, marker.text);
            value_clear(&marker);
            separator = true;
        } else {
            value_push(&marker, *p);
        }
    }
    if (separator)
        copy_text(switches.end_marker, sizeof switches.end_marker, marker.text);
    else
        copy_text(switches.start_marker, sizeof switches.start_marker, marker.text);
}

// Bytes the line at offset takes with its LF; one past the end when no LF ends it, so that
// offset + advance > size says "this line leaves the data".
size_t line_advance_at(const char *data, size_t size, size_t offset)
{
    const void *lf = memchr(data + offset, '\n', size - offset);
    if (!lf)
        return size + 1 - offset;
    return static_cast<size_t>(static_cast<const char *>(lf) - (data + offset)) + 1;
}

// Narrows [*from, *to) of data to the lines the switches select.
void cut_line_range(const char *data, size_t size, size_t *from, size_t *to)
{
    int64_t first = switches.first_line;
    int64_t last = switches.last_line;
    if (switches.line_range_mode == range_line_count)
        last = first + last;
    int64_t count = last - first + 1; // lines from first to last
    size_t cursor = 0;
    for (int64_t skipped = 1; skipped < first; ++skipped) {
        size_t advance = line_advance_at(data, size, cursor);
        if (cursor + advance > size) {
            cursor = 0; // past the end: start again at line 1, keeping the range's length
            break;
        }
        cursor += advance;
    }
    size_t end = size;
    if (last == 0) {
        size_t advance = line_advance_at(data, size, cursor);
        if (cursor + advance < size)
            end = cursor + advance;
    } else if (last > 0) {
        size_t walk = cursor;
        for (int64_t i = 0; i < count; ++i) {
            size_t advance = line_advance_at(data, size, walk);
            if (walk + advance > size) {
                walk = size;
                break;
            }
            walk += advance;
        }
        end = walk;
    }
    if (switches.strip_final_breaks == 1) {
        while (end > cursor && (data[end - 1] == '\r' || data[end - 1] == '\n'))
            --end;
    }
    *from = cursor;
    *to = end;
}

void cut_marker_range(const char *data, size_t size, size_t *from, size_t *to)
{
    size_t cursor = 0;
    size_t end = size;
    if (switches.start_marker[0] != '\0') {
        const char *hit = find_exact(data, switches.start_marker);
        if (hit) {
            cursor = static_cast<size_t>(hit - data);
            if (switches.drop_markers == 1)
                cursor += strlen(switches.start_marker);
        }
    }
    if (switches.end_marker[0] != '\0') {
        const char *hit = find_exact(data + cursor, switches.end_marker);
        if (hit) {
            end = static_cast<size_t>(hit - data);
            if (switches.drop_markers != 1)
                end += strlen(switches.end_marker);
        }
    }
    *from = cursor;
    *to = end;
}

// Fills output_text with the clipboard text; 0 when there is none or it is empty.
int read_clipboard_source(os_window window, const item_entry &item, size_t *size)
{
    if (find_nocase(item.file_param, "/#R"))
        expansion.replace_enabled = 1;
    else if (find_nocase(item.file_param, "/#-R"))
        expansion.replace_enabled = 0;
    switches.line_range_mode = range_none;
    switches.strip_final_breaks = 0;
    switches.drop_markers = 0;
    size_t length = 0;
    if (!os_clipboard_get_text(window, output.output_text, output_text_capacity, &length))
        return 0;
    if (output.output_text[0] == '\0')
        return 0;
    // A clipboard text beyond output_text is cut to it, never through a double-byte character.
    if (length >= output_text_capacity)
        drop_split_character(output.output_text, output_text_capacity - 1);
    *size = strlen(output.output_text);
    return 1;
}

// What read_file_source did.
enum file_source_result {
    file_source_refused = 0, // unreadable or too large, after the message
    file_source_read = 1,
    file_source_notice = 2, // the preview notice took the place of the text
};

// Fills output_text with the item's file.
file_source_result read_file_source(os_window window, const item_entry &item, int preview, size_t *size)
{
    parse_item_switches(item.file_param);
    size_t capacity = output_text_capacity;
    int32_t limit = settings.preview_size_limit;
    bool limited = preview == 1 && limit > 0;
    // The preview reads no more than it may show: a larger file reports its size and stops there.
    if (limited && static_cast<size_t>(limit) < capacity - 1)
        capacity = static_cast<size_t>(limit) + 1;
    size_t file_size = 0;
    int status = read_file_text_into(item.text, output.output_text, capacity, &file_size);
    if (status != os_read_open_failed && limited && file_size > static_cast<size_t>(limit)) {
        write_preview_notice(item.list_caption, item.text);
        return file_source_notice;
    }
    if (status != os_read_ok) {
        // Unreadable, or larger than output_text: nothing is pasted rather than a cut file.
        os_error_box(window, unreadable_message);
        return file_source_refused;
    }
    *size = file_size;
    return file_source_read;
}

} // namespace

void write_preview_notice(const char *caption, const char *path)
{
    char name[path_capacity], ext[path_capacity];
    split_path(path, nullptr, nullptr, name, ext);
    snprintf(output.output_text, output_text_capacity, "! %s - %s%s", caption, name, ext);
    output.output_source = source_prepared;
}

void parse_item_switches(const char *switch_text)
{
    memset(&switches, 0, sizeof switches);
    if (find_switch(switch_text, "#R"))
        expansion.replace_enabled = 1;
    else if (find_switch(switch_text, "#-R"))
        expansion.replace_enabled = 0;
    switches.drop_markers = find_switch(switch_text, "#D") ? 1 : 0;

    const char *value = nullptr;
    if (find_switch(switch_text, "#L:", &value)) {
        parse_line_range(value);
    } else if (find_switch(switch_text, "#-L:", &value)) {
        switches.strip_final_breaks = 1;
        parse_line_range(value);
    } else if (find_switch(switch_text, "#T:", &value)) {
        parse_markers(value);
    }
}

size_t cut_to_range(char *text, size_t size)
{
    size_t from = 0, to = size;
    if (switches.line_range_mode == range_markers)
        cut_marker_range(text, size, &from, &to);
    else if (switches.line_range_mode == range_lines || switches.line_range_mode == range_line_count)
        cut_line_range(text, size, &from, &to);
    memmove(text, text + from, to - from);
    text[to - from] = '\0';
    return to - from;
}

int expand_item_file(os_window window, int item, int source, int preview)
{
    if (item < 0 || item >= item_capacity)
        return 0;
    const item_entry &entry = store.items[item];
    size_t size = 0;
    if (source == expand_from_clipboard) {
        if (!read_clipboard_source(window, entry, &size))
            return 0;
    } else {
        const file_source_result read = read_file_source(window, entry, preview, &size);
        if (read != file_source_read)
            return read == file_source_notice ? 1 : 0;
    }

    cut_to_range(output.output_text, size);
    apply_macros(window, preview);
    return 1;
}

void apply_replace_macros(os_window window, int clipboard_preview)
{
    char *text = output.output_text;
    if (expansion.replace_enabled != 1)
        return;
    if (strchr(text, '%'))
        expand_date_folder_macros(text);
    if (find_pattern(text, "%CLP%") || find_pattern(text, "%CLM%"))
        expand_clipboard_macros(window, clipboard_preview);
}

void apply_macros(os_window window, int preview)
{
    output.clipboard_macro_done = 0;
    // The flags belong to this text alone: one left from an earlier paste (paste-and-stay) would
    // send a later text's literal "%$..%" as keys.
    output.key_macro_present = output.tab_macro_present = 0;
    char *text = output.output_text;
    apply_replace_macros(window, 0);
    bool has_keys = expansion.sendkey_file_enabled == 1 && find_pattern(text, "%$") != nullptr;
    if (preview == 1 && has_keys && strlen(text) < preview_text_limit) {
        render_key_macros(text);
        has_keys = find_pattern(text, "%$") != nullptr;
    }
    if (has_keys)
        output.key_macro_present = 1;
}

void render_key_macros(char *text, size_t capacity)
{
    size_t length = strnlen(text, capacity);
    if (length >= capacity)
        return;
    if (capacity > work_buffer_capacity)
        capacity = work_buffer_capacity;
    char *work = macro_work_buffer();
    rebuilt_text r;
    rebuild_start(&r, work, capacity);
    const char *from = text;
    key_chord chord;
    while (!r.cut && next_chord(from, &chord)) {
        rebuild_append(&r, from, static_cast<size_t>(chord.open - from));
        rebuild_append(&r, " [", 2);
        for (int k = 0; k < chord.count; ++k) {
            const chord_pair &pair = chord.pairs[k];
            char code[4];
            copy_text_n(code, sizeof code, pair.at, pair.length);
            const bool tab = is_tab_pair(pair);
            const char *key = find_key(tab ? "09" : code);
            if (key[0] == '\0') {
                key = tab ? "09" : code;
                if (!tab) {
                    output.unregistered_key_flag = 1;
                    copy_text(output.unregistered_key, sizeof output.unregistered_key, code);
                }
            }
            if (k > 0)
                rebuild_append(&r, " ", 1);
            rebuild_append(&r, key, strlen(key));
        }
        rebuild_append(&r, "] ", 2);
        from = chord.close + 1;
    }
    rebuild_append(&r, from, strlen(from));
    memcpy(text, work, r.length + 1);
}

void prepare_chosen_text(os_window window)
{
    if (settings.break_mark[0] != '\0') {
        // One sweep gives what restarting from the beginning gives, as CR LF never holds part of a
        // mark read from a line, and it cannot loop on a mark that CR LF contains.
        text_piece line_break{"\r\n", 2};
        substitute_all(output.output_text, output_text_capacity, macro_work_buffer(), settings.break_mark,
                       fixed_replacement, &line_break);
    }
    apply_macros(window, 0);
}
