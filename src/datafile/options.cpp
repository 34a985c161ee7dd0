#include "datafile/options.h"

#include <cstdio>
#include <cstring>

#include "datafile/item_store.h"
#include "datafile/load_report.h"
#include "datafile/section_reader.h"
#include "datafile/settings.h"
#include "os/os.h"
#include "text/sjis.h"

namespace {

// Room for the longest per-value limit of any option (127 bytes) and its terminator.
constexpr size_t value_capacity = 128;
// Room for what the report calls an option or one of its values.
constexpr size_t label_capacity = 128;
// "@log=": the log's file name, in bytes.
constexpr size_t log_name_min = 5, log_name_max = 127;
// "@hist=": head and tail together.
constexpr int32_t history_chars_limit = 100;
// "@font=": the height taken for a value that is no positive number.
constexpr int32_t fallback_font_height = 14;
// "@view=": the preview's size limit before its second value.
constexpr int32_t preview_size_limit_start = 1000;

// Length of an option value: it ends at the CR LF that the loader appends (or at the terminator).
size_t value_length(const char *value)
{
    size_t n = 0;
    while (value[n] != '\0' && value[n] != '\r' && value[n] != '\n')
        ++n;
    return n;
}

// Walks a ","-separated value list; `next` is null once the list has ended.
struct value_reader {
    const char *next;
    const char *label; // "@name= の値", for the report sink
};

// Collects the next value, keeping its first max_bytes bytes (out holds max_bytes + 1). False when
// the list has ended, so a missing trailing value leaves its field alone while an empty one ("a,,b")
// is still a value.
bool next_value(value_reader *reader, char *out, size_t max_bytes, bool report_cut = true)
{
    if (reader->next == nullptr)
        return false;
    const char *p = reader->next;
    size_t n = 0;
    while (p[n] != '\0' && p[n] != ',' && p[n] != '\r' && p[n] != '\n')
        ++n;
    if (n > max_bytes && report_cut)
        report_load_issue(issue_text_cut, load_report_line, reader->label, "", static_cast<int64_t>(n),
                          static_cast<int64_t>(max_bytes));
    copy_text_n(out, max_bytes + 1, p, n);
    reader->next = p[n] == ',' ? p + n + 1 : nullptr;
    return true;
}

// The whole value as one string (single-valued options keep their commas).
void whole_value(const value_reader &reader, char *out, size_t capacity)
{
    const size_t n = value_length(reader.next);
    if (n + 1 > capacity)
        report_load_issue(issue_text_cut, load_report_line, reader.label, "", static_cast<int64_t>(n),
                          static_cast<int64_t>(capacity - 1));
    copy_text_n(out, capacity, reader.next, n);
}

// Values after the last one that the option reads.
void report_extra_values(const value_reader &reader, int count)
{
    if (load_report == nullptr || reader.next == nullptr)
        return;
    char rest[line_buffer_size];
    copy_text_n(rest, sizeof rest, reader.next, value_length(reader.next));
    if (rest[0] != '\0')
        report_load_issue(issue_extra_values, load_report_line, reader.label, rest, count);
}

int32_t in_range_or(int32_t value, int32_t low, int32_t high, int32_t fallback)
{
    return (value >= low && value <= high) ? value : fallback;
}

// Blanks, an optional sign, digits (hexadecimal after "0x" when `hex`), blanks: what read_decimal
// reads whole. Anything else is read only up to its first other byte (no digits read as 0).
bool is_number_text(const char *v, bool hex)
{
    while (*v == ' ' || *v == '\t')
        ++v;
    bool digits = false;
    if (hex && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        for (v += 2; hex_digit_value(*v) >= 0; ++v)
            digits = true;
    } else {
        if (*v == '-' || *v == '+')
            ++v;
        for (; *v >= '0' && *v <= '9'; ++v)
            digits = true;
    }
    while (*v == ' ' || *v == '\t')
        ++v;
    return digits && *v == '\0';
}

// Tells the report sink when the value text v (read as `found`) is no number or was replaced by
// `used`.
void check_number(const char *v, const char *what, int32_t found, int32_t used, bool hex = false)
{
    if (load_report == nullptr)
        return;
    if (!is_number_text(v, hex))
        report_load_issue(issue_not_a_number, load_report_line, what, v, 0, used);
    else if (found != used)
        report_load_issue(issue_out_of_range, load_report_line, what, "", found, used);
}

// What the report calls a value of the table: "@hist= の1番目（先頭 10～100）".
void number_label(const option_number &number, char *out, size_t capacity)
{
    // A switch (1 to 1) and a value without bounds show no range.
    char range[64] = "";
    const bool shown =
        number.low != number.high && (number.low != option_no_low || number.high != option_no_high);
    if (shown && number.high == option_no_high)
        snprintf(range, sizeof range, "%d 以上", number.low);
    else if (shown)
        snprintf(range, sizeof range, "%d～%d", number.low, number.high);
    const char *blank = number.what[0] != '\0' && range[0] != '\0' ? " " : "";
    if (number.what[0] == '\0' && range[0] == '\0')
        snprintf(out, capacity, "%s の%d番目", number.option, number.position);
    else
        snprintf(out, capacity, "%s の%d番目（%s%s%s%s）", number.option, number.position, number.what, blank,
                 range, number.note);
}

const option_number &number_row(const char *option, int32_t position)
{
    for (int32_t i = 0; i < option_number_count; ++i)
        if (option_numbers[i].position == position && strcmp(option_numbers[i].option, option) == 0)
            return option_numbers[i];
    // Every caller names a row of the table.
    return option_numbers[0];
}

// Value text v for the table's row: within the row's range, else its fallback.
void read_number(const option_number &number, const char *v)
{
    int32_t &field = settings.*number.field;
    const int32_t fallback = number.fallback == option_keep_current ? field : number.fallback;
    const int32_t found = read_decimal(v);
    field = in_range_or(found, number.low, number.high, fallback);
    if (load_report) {
        char label[label_capacity];
        number_label(number, label, sizeof label);
        check_number(v, label, found, field);
    }
}

// Values [first, last] of an option's list, each as its row says; an empty value is skipped when
// skip_empty. Stops where the list ends.
void read_numbers(value_reader *reader, const char *option, int32_t first, int32_t last, size_t max_bytes,
                  bool skip_empty = false)
{
    char v[value_capacity];
    for (int32_t position = first; position <= last && next_value(reader, v, max_bytes); ++position) {
        if (!skip_empty || v[0] != '\0')
            read_number(number_row(option, position), v);
    }
}

// A file option is kept only when it names an existing file, never a directory.
bool resolve_existing_file(const char *name, char *full)
{
    if (name[0] == '\0')
        return false;
    return resolve_path(name, full) && !os_is_directory(full);
}

void parse_delimiter(value_reader *values)
{
    whole_value(*values, settings.delimiter, sizeof settings.delimiter);
}

void parse_break_mark(value_reader *values)
{
    whole_value(*values, settings.break_mark, sizeof settings.break_mark);
}

// Takes the search path from the first "path=" line of a path file, or the whole file without its
// tabs and line ends. A file that cannot be read leaves no search path at all.
void read_path_file(const char *path)
{
    settings.has_search_path = 0;
    settings.search_path[0] = '\0';
    // A path file is a few lines: one far larger is no path file.
    constexpr size_t path_file_read_limit = 1024 * 1024;
    os_buffer file;
    if (!os_read_whole_file(path, 0, path_file_read_limit, &file))
        return;
    const char *from = find_nocase(file.data, "path=");
    bool single_line = from != nullptr;
    if (single_line)
        from += 5;
    else
        from = file.data;
    size_t used = 0;
    for (const char *p = from; *p != '\0' && used + 1 < sizeof settings.search_path; ++p) {
        if (single_line && (*p == '\r' || *p == '\n'))
            break;
        if (*p == '\t' || *p == '\r' || *p == '\n')
            continue;
        settings.search_path[used++] = *p;
    }
    settings.search_path[used] = '\0';
    if (used > 0)
        settings.has_search_path = 1;
    os_free_buffer(&file);
}

// Each ";"-separated folder of a search path that names no existing folder.
void report_missing_folders(const char *list)
{
    char folder[path_capacity];
    for (const char *p = list; *p != '\0';) {
        size_t n = 0;
        while (p[n] != '\0' && p[n] != ';')
            ++n;
        copy_text_n(folder, sizeof folder, p, n);
        if (folder[0] != '\0' && !os_is_directory(folder))
            report_load_issue(issue_folder_missing, load_report_line, "@path=", folder);
        p += p[n] == ';' ? n + 1 : n;
    }
}

void parse_search_path(value_reader *values)
{
    char name[line_buffer_size];
    whole_value(*values, name, sizeof name);
    char full[path_capacity];
    if (resolve_existing_file(name, full)) {
        read_path_file(full);
        return;
    }
    copy_text(settings.search_path, sizeof settings.search_path, name);
    settings.has_search_path = 1;
    if (load_report)
        report_missing_folders(settings.search_path);
}

void enable_replace(value_reader *)
{
    settings.replace_enabled = 1;
}

void enable_sendkey(value_reader *)
{
    settings.sendkey_enabled = 1;
    settings.sendkey_file_enabled = 1;
}

void parse_item(value_reader *values)
{
    read_numbers(values, "@item=", 1, 1, 6);
    char v[value_capacity];
    if (next_value(values, v, 6)) {
        // -1 shows the whole text.
        const option_number &length = number_row("@item=", 2);
        if (read_decimal(v) != -1) {
            read_number(length, v);
        } else {
            settings.text_caption_length = 0;
            char label[label_capacity];
            number_label(length, label, sizeof label);
            check_number(v, label, -1, -1);
        }
    }
    report_extra_values(*values, 2);
}

// Clipboard-only output chosen on the command line stays in force.
void select_insert_output(value_reader *)
{
    if (settings.output_mode != output_clipboard_only)
        settings.output_mode = output_insert;
}

void parse_name_list(value_reader *values, char (*names)[32], int32_t *count)
{
    memset(names, 0, sizeof(char[32]) * select_name_capacity);
    *count = 0;
    char v[value_capacity];
    while (*count < select_name_capacity && next_value(values, v, 31)) {
        if (v[0] != '\0')
            copy_text(names[(*count)++], 32, v);
    }
    report_extra_values(*values, select_name_capacity);
}

void parse_select(value_reader *values)
{
    parse_name_list(values, settings.select_names, &settings.select_count);
}

void parse_except(value_reader *values)
{
    parse_name_list(values, settings.except_names, &settings.except_count);
}

// The weight value is a single digit meaning hundreds; anything else keeps what is there.
void read_font_weight(const char *v, int32_t *weight)
{
    int32_t digit = read_decimal(v);
    if (digit >= 0 && digit <= 9)
        *weight = digit * 100;
}

// The Win32 front creates the font object from these fields after loading.
void parse_font(value_reader *values)
{
    copy_text(settings.list_font_face, sizeof settings.list_font_face, default_font_face);
    settings.list_font_height = default_font_height;
    settings.list_font_weight = default_font_weight;
    settings.list_font_italic = 0;
    char v[value_capacity];
    if (next_value(values, v, 127) && v[0] != '\0')
        copy_text(settings.list_font_face, sizeof settings.list_font_face, v);
    if (next_value(values, v, 15)) {
        int32_t height = read_decimal(v);
        settings.list_font_height = height > 0 ? height : fallback_font_height;
        check_number(v, "@font= の2番目（高さ）", height, settings.list_font_height);
    }
    if (next_value(values, v, 15)) {
        read_font_weight(v, &settings.list_font_weight);
        check_number(v, "@font= の3番目（太さ 0～9）", read_decimal(v), settings.list_font_weight / 100);
    }
    read_numbers(values, "@font=", 4, 4, 15);
    settings.list_font_set = 1;
    report_extra_values(*values, 4);
}

void parse_editor(value_reader *values)
{
    char name[line_buffer_size];
    whole_value(*values, name, sizeof name);
    char full[path_capacity];
    if (resolve_existing_file(name, full))
        copy_text(settings.editor_path, sizeof settings.editor_path, full);
    else if (name[0] != '\0')
        report_load_issue(issue_file_missing, load_report_line, "@editor=", name);
}

void parse_year(value_reader *values)
{
    settings.era_base_year = read_decimal(values->next);
    if (load_report) {
        char v[line_buffer_size];
        whole_value(*values, v, sizeof v);
        check_number(v, "@year=", settings.era_base_year, settings.era_base_year);
    }
}

// The "@log=" line that set the log's name, for the report of keep_log_off_user_files.
size_t log_option_line;
char log_option_name[path_capacity];

// Two names of one file: their full paths agree, ignoring case as the system does. Names that end
// differently never do, which spares the full paths for nearly every pair.
bool same_file(const char *a, const char *b)
{
    char base_a[path_capacity], ext_a[path_capacity], base_b[path_capacity], ext_b[path_capacity];
    split_path(a, nullptr, nullptr, base_a, ext_a);
    split_path(b, nullptr, nullptr, base_b, ext_b);
    if (!equals_nocase(base_a, base_b) || !equals_nocase(ext_a, ext_b))
        return false;
    char full_a[path_capacity], full_b[path_capacity];
    const size_t length_a = os_full_path(a, full_a), length_b = os_full_path(b, full_b);
    if (length_a == 0 || length_a >= path_capacity || length_b == 0 || length_b >= path_capacity)
        return equals_nocase(a, b);
    return equals_nocase(full_a, full_b);
}

// A log at this path would overwrite another file of the user's.
bool log_path_taken(const char *log)
{
    char ext[path_capacity];
    split_path(log, nullptr, nullptr, nullptr, ext);
    bool taken =
        equals_nocase(ext, ".exe") || equals_nocase(ext, ".dll") || same_file(log, settings.data_file_path);
    static const char *const beside_program[] = {"hist.ini", "Mivra.txt"};
    for (const char *name : beside_program) {
        char beside[path_capacity];
        copy_text(beside, sizeof beside, settings.exe_dir);
        taken = taken || (append_text(beside, sizeof beside, name) && same_file(log, beside));
    }
    for (int32_t f = 0; f < store.text_file_count && f < text_file_capacity; ++f)
        taken = taken || same_file(log, store.text_file_path[f]);
    return taken;
}

void parse_log(value_reader *values)
{
    read_numbers(values, "@log=", 1, 2, 15);
    char name[path_capacity];
    if (!next_value(values, name, path_capacity - 1))
        return;
    report_extra_values(*values, 3);
    size_t length = strlen(name);
    if (length < log_name_min || length > log_name_max) {
        char label[label_capacity];
        snprintf(label, sizeof label, "@log= の3番目（ファイル名 %d～%d バイト）",
                 static_cast<int>(log_name_min), static_cast<int>(log_name_max));
        report_load_issue(issue_name_too_long, load_report_line, label, name);
        return;
    }
    // A log path that does not fit would name some other file: keep the previous one.
    char path[path_capacity];
    copy_text(path, sizeof path, settings.exe_dir);
    if (append_text(path, sizeof path, name)) {
        copy_text(settings.log_file_path, sizeof settings.log_file_path, path);
        log_option_line = load_report_line;
        copy_text(log_option_name, sizeof log_option_name, name);
    }
}

// Head and tail must stay within history_chars_limit bytes together, tail never longer than head.
void parse_history(value_reader *values)
{
    read_numbers(values, "@hist=", 1, 1, 6);
    int32_t head = settings.history_head_chars;
    int32_t tail = settings.history_tail_chars;
    char v[value_capacity];
    bool tail_given = next_value(values, v, 6);
    if (tail_given)
        tail = read_decimal(v);
    // A tail kept from an earlier line is checked against the new head as well.
    settings.history_tail_chars =
        (tail >= 0 && tail <= head && head + tail <= history_chars_limit) ? tail : 0;
    if (tail_given && load_report) {
        char label[label_capacity];
        snprintf(label, sizeof label, "@hist= の2番目（末尾：先頭以下, 合わせて%d以下）",
                 history_chars_limit);
        check_number(v, label, tail, settings.history_tail_chars);
    }
    report_extra_values(*values, 2);
}

void parse_wait(value_reader *values)
{
    read_numbers(values, "@wait=", 1, 4, 15);
    report_extra_values(*values, 4);
}

void parse_file(value_reader *values)
{
    char v[value_capacity];
    if (next_value(values, v, 15)) {
        settings.file_section_enabled = read_decimal(v) != 0 ? 1 : 0;
        check_number(v, "@file= の1番目（使う）", settings.file_section_enabled,
                     settings.file_section_enabled);
    }
    read_numbers(values, "@file=", 2, 6, 15);
    if (next_value(values, v, 15) && v[0] != '\0')
        copy_text(settings.comment_mark, sizeof settings.comment_mark, v);
    report_extra_values(*values, 7);
}

void parse_window(value_reader *values)
{
    read_numbers(values, "@window=", 1, 5, 6);
    report_extra_values(*values, 5);
}

void disable_sort(value_reader *)
{
    settings.sort_list = 0;
}

void enable_match_accept(value_reader *)
{
    settings.match_accept = 1;
}

// The preview starts from the list window's size and the list font as they stand at this line.
void parse_view(value_reader *values)
{
    settings.preview_width = settings.list_window_width;
    settings.preview_height = settings.list_window_height;
    settings.preview_size_limit = preview_size_limit_start;
    if (settings.list_font_set == 1) {
        copy_text(settings.preview_font_face, sizeof settings.preview_font_face, settings.list_font_face);
        settings.preview_font_height = settings.list_font_height;
        settings.preview_font_weight = settings.list_font_weight;
        settings.preview_font_italic = settings.list_font_italic;
    } else {
        copy_text(settings.preview_font_face, sizeof settings.preview_font_face, default_font_face);
        settings.preview_font_height = default_font_height;
        settings.preview_font_weight = default_font_weight;
        settings.preview_font_italic = 0;
    }
    read_numbers(values, "@view=", 1, 1, 127);
    if (settings.preview_mode == preview_off) {
        settings.preview_width = 0;
        settings.preview_height = 0;
        return;
    }
    read_numbers(values, "@view=", 2, 4, 127, true);
    char v[value_capacity];
    if (next_value(values, v, 127) && v[0] != '\0')
        copy_text(settings.preview_font_face, sizeof settings.preview_font_face, v);
    if (next_value(values, v, 127) && v[0] != '\0') {
        int32_t height = read_decimal(v);
        if (height > 0)
            settings.preview_font_height = height;
        check_number(v, "@view= の6番目（書体の高さ）", height, settings.preview_font_height);
    }
    if (next_value(values, v, 127)) {
        read_font_weight(v, &settings.preview_font_weight);
        check_number(v, "@view= の7番目（太さ 0～9）", read_decimal(v), settings.preview_font_weight / 100);
    }
    if (next_value(values, v, 127)) {
        int32_t italic = read_decimal(v);
        if (italic == 0 || italic == 1)
            settings.preview_font_italic = italic;
        check_number(v, "@view= の8番目（斜体）", italic, settings.preview_font_italic);
    }
    report_extra_values(*values, 8);
}

// "@key=" lines share three slots; each line reads at most three values.
void parse_paste_keys(value_reader *values)
{
    char v[value_capacity];
    for (int read = 0; read < paste_key_capacity && next_value(values, v, 15); ++read) {
        if (settings.paste_key_count < paste_key_capacity) {
            settings.paste_keys[settings.paste_key_count++] = read_hex_or_decimal(v);
            check_number(v, "@key=", settings.paste_keys[settings.paste_key_count - 1],
                         settings.paste_keys[settings.paste_key_count - 1], true);
        } else {
            report_load_issue(issue_table_full, load_report_line, "@key=", v, paste_key_capacity);
        }
    }
    report_extra_values(*values, 3);
}

void parse_migemo(value_reader *values)
{
    read_numbers(values, "@migemo=", 1, 1, 15);
    char name[path_capacity];
    char full[path_capacity];
    if (!next_value(values, name, path_capacity - 1))
        return;
    report_extra_values(*values, 2);
    if (resolve_existing_file(name, full))
        copy_text(settings.migemo_dict_path, sizeof settings.migemo_dict_path, full);
    else if (name[0] != '\0')
        report_load_issue(issue_file_missing, load_report_line, "@migemo=", name);
}

void parse_kana(value_reader *values)
{
    read_numbers(values, "@kana=", 1, 1, 15);
    report_extra_values(*values, 1);
}

void disable_guidance(value_reader *)
{
    settings.guidance = 0;
}

void parse_stay(value_reader *values)
{
    read_numbers(values, "@stay=", 1, 2, 6);
    report_extra_values(*values, 2);
}

// Only the first position counts: the command line's, else the first "@menu=" line.
void read_menu_value(value_reader *values)
{
    if (settings.menu_position != menu_position_unset)
        return;
    settings.menu_position = menu_at_active_window;
    const value_reader whole = *values;
    char x[value_capacity];
    char y[value_capacity];
    next_value(values, x, 6, false);
    if (!next_value(values, y, 6)) {
        char word[line_buffer_size];
        whole_value(whole, word, sizeof word);
        if (find_nocase(word, "mouse"))
            settings.menu_position = settings.mouse_present ? menu_at_mouse : menu_at_active_window;
        else if (find_nocase(word, "mous2"))
            settings.menu_position = settings.mouse_present ? menu_at_mouse_centred : menu_at_active_window;
        else if (find_nocase(word, "center"))
            settings.menu_position = menu_at_screen_centre;
        else if (find_nocase(word, "cursor"))
            settings.menu_position = menu_at_caret;
        else if (!find_nocase(word, "active"))
            report_load_issue(issue_menu_word_unknown, load_report_line, "", word);
        return;
    }
    bool y_is_last = values->next == nullptr;
    settings.menu_x = find_nocase(x, "MAX") ? settings.screen_width : read_decimal(x);
    bool y_max = y_is_last ? equals_nocase(y, "MAX") : find_nocase(y, "MAX") != nullptr;
    settings.menu_y = y_max ? settings.screen_height : read_decimal(y);
    settings.menu_position = menu_at_point;
}

void parse_menu_option(value_reader *values)
{
    if (settings.menu_position != menu_position_unset)
        report_load_issue(issue_menu_ignored, load_report_line);
    read_menu_value(values);
}

struct option_entry {
    const char *name;
    size_t min_value_length; // bytes after "="; a shorter value ignores the line
    int search_window_only;  // read only when the search window is in use
    void (*parse)(value_reader *values);
};

// Tried in this order; the first name that begins the line wins. Names that carry their value
// ("@clip=0") match only that value.
const option_entry option_table[] = {
    {"@dlm=", 2, 0, parse_delimiter},     {"@path=", 1, 0, parse_search_path},
    {"@break=", 0, 0, parse_break_mark},  {"@menu=", 3, 0, parse_menu_option},
    {"@replace=1", 0, 0, enable_replace}, {"@sendkey=1", 0, 0, enable_sendkey},
    {"@item=", 1, 0, parse_item},         {"@clip=0", 0, 0, select_insert_output},
    {"@select=", 1, 0, parse_select},     {"@except=", 1, 0, parse_except},
    {"@font=", 1, 0, parse_font},         {"@editor=", 0, 0, parse_editor},
    {"@year=", 0, 0, parse_year},         {"@log=", 1, 0, parse_log},
    {"@hist=", 2, 0, parse_history},      {"@wait=", 1, 0, parse_wait},
    {"@file=", 1, 0, parse_file},         {"@window=", 3, 0, parse_window},
    {"@sort=0", 0, 1, disable_sort},      {"@match=1", 0, 1, enable_match_accept},
    {"@view=", 0, 1, parse_view},         {"@key=", 4, 1, parse_paste_keys},
    {"@migemo=", 1, 1, parse_migemo},     {"@guidance=0", 0, 1, disable_guidance},
    {"@stay=", 1, 1, parse_stay},         {"@kana=", 1, 0, parse_kana},
};

} // namespace

void apply_system_option(const char *line)
{
    for (const option_entry &option : option_table) {
        if (!starts_with_nocase(line, option.name))
            continue;
        if (option.search_window_only && settings.search_kind <= search_popup_menu) {
            report_load_issue(issue_search_window_only, load_report_line, option.name);
            return;
        }
        const char *value = line + strlen(option.name);
        if (value_length(value) < option.min_value_length) {
            report_load_issue(issue_value_too_short, load_report_line, option.name, "",
                              static_cast<int64_t>(option.min_value_length));
            return;
        }
        char label[label_capacity];
        copy_text_n(label, sizeof label, option.name, strcspn(option.name, "=") + 1);
        append_text(label, sizeof label, " の値");
        value_reader values{value, label};
        option.parse(&values);
        return;
    }
    if (load_report) {
        char shown[line_buffer_size];
        whole_value(value_reader{line, ""}, shown, sizeof shown);
        report_load_issue(line[0] == '@' ? issue_unknown_option : issue_not_an_option, load_report_line,
                          shown);
    }
}

void parse_menu_value(const char *value)
{
    value_reader values{value, "@menu= の値"};
    read_menu_value(&values);
}

void keep_log_off_user_files()
{
    if (log_path_taken(settings.log_file_path)) {
        if (log_option_name[0] != '\0')
            report_load_issue(issue_log_name_taken, log_option_line, "@log= の3番目", log_option_name);
        copy_text(settings.log_file_path, sizeof settings.log_file_path, settings.exe_dir);
        append_text(settings.log_file_path, sizeof settings.log_file_path, "log.ini");
        // The data file or a listed file is "log.ini" itself: no log at all.
        if (log_path_taken(settings.log_file_path))
            settings.log_mode = log_off;
    }
    log_option_name[0] = '\0';
}
