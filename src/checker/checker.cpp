#include "checker/checker.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "datafile/item_store.h"
#include "datafile/load_dump.h"
#include "datafile/load_report.h"
#include "datafile/loader.h"
#include "datafile/settings.h"
#include "datafile/utf8_file.h"
#include "search/title_popup.h"
#include "text/sjis.h"

check_report report;

namespace {

// Where each section runs: from its header's line to the end of its "%end" line (or of the data).
struct section_extent {
    size_t start, end;
};

struct check_state {
    section_extent extents[section_count];
    int extent_count;
    os_library regex_library;
    bool regex_tried;
    bool regex_missing_told;
};

check_state state;

void add_warning(size_t offset, const char *format, ...)
{
    int32_t n = report.count++;
    if (n >= check_warning_capacity)
        return;
    check_warning &w = report.warnings[n];
    w.offset = offset;
    w.line = 0;
    va_list args;
    va_start(args, format);
    vsnprintf(w.text, sizeof w.text, format, args);
    va_end(args);
}

// Every number of a report fits an int; "%d" is what every C library's printf reads alike.
int as_int(int64_t value)
{
    return static_cast<int>(value);
}

// A name up to its "=" (the option's name), for lines that name an unknown option.
void option_name_of(const char *line, char *out, size_t capacity)
{
    const char *equals = strchr(line, '=');
    copy_text_n(out, capacity, line, equals ? static_cast<size_t>(equals - line) + 1 : strlen(line));
}

// Compiles a "[title]" pattern as the title popup does: one BMatch, its error text when it fails.
void check_title_pattern(size_t offset, const char *pattern)
{
    if (!state.regex_tried) {
        state.regex_tried = true;
        state.regex_library = os_load_library("BREGEXP.DLL");
    }
    void *bmatch = os_library_function(state.regex_library, "BMatch");
    if (bmatch == nullptr) {
        if (!state.regex_missing_told)
            add_warning(offset, "BREGEXP.DLL が見つからないので、[title] の正規表現は使われません");
        state.regex_missing_told = true;
        return;
    }
    char expression[line_buffer_size];
    copy_text(expression, sizeof expression, pattern);
    char target[] = " ";
    uintptr_t compiled = 0;
    char message[80] = {};
    const uintptr_t args[] = {reinterpret_cast<uintptr_t>(expression), reinterpret_cast<uintptr_t>(target),
                              reinterpret_cast<uintptr_t>(target + 1), reinterpret_cast<uintptr_t>(&compiled),
                              reinterpret_cast<uintptr_t>(message)};
    const int result = static_cast<int>(os_call_library(bmatch, 5, args));
    if (void *regfree = os_library_function(state.regex_library, "BRegfree")) {
        const uintptr_t free_args[] = {compiled};
        os_call_library(regfree, 1, free_args);
    }
    if (result < 0)
        add_warning(offset, "[title] の正規表現「%s」は使えません（%s）。この行のグループは開かれません",
                    pattern, message);
}

// The loader's report sink: each event becomes a warning in the user's words.
void on_load_issue(const load_issue &i)
{
    char name[line_buffer_size];
    switch (i.kind) {
    case issue_unknown_option:
        option_name_of(i.text, name, sizeof name);
        add_warning(i.offset, "「%s」という設定はありません。この行は無視されます", name);
        break;
    case issue_not_an_option:
        add_warning(i.offset, "[system] の行が @ で始まっていません。この行は無視されます");
        break;
    case issue_value_too_short:
        add_warning(i.offset, "%s の値が短すぎます（%d バイト以上）。この行は無視されます", i.text,
                    as_int(i.value));
        break;
    case issue_search_window_only:
        add_warning(i.offset,
                    "%s は検索窓で起動したときだけ読まれます。メニューの起動では無視されます（--search "
                    "で確かめられます）",
                    i.text);
        break;
    case issue_out_of_range:
        add_warning(i.offset, "%s：%d は範囲の外です。代わりに %d を使います", i.text, as_int(i.value),
                    as_int(i.used));
        break;
    case issue_not_a_number:
        add_warning(i.offset, "%s：「%s」は数ではありません。代わりに %d を使います", i.text, i.detail,
                    as_int(i.used));
        break;
    case issue_name_too_long:
        add_warning(i.offset, "%s：「%s」は使えません。この指定は無視されます", i.text, i.detail);
        break;
    case issue_log_name_taken:
        add_warning(i.offset,
                    "%s：「%s」は Mivra が読むファイルです。ログには使わず、代わりに log.ini を使います",
                    i.text, i.detail);
        break;
    case issue_file_missing:
        if (strcmp(i.text, "[file]") == 0)
            add_warning(i.offset, "[file] のファイル「%s」が見つかりません。この行は飛ばされます", i.detail);
        else
            add_warning(i.offset, "%s のファイル「%s」が見つかりません。この指定は無視されます", i.text,
                        i.detail);
        break;
    case issue_folder_missing:
        add_warning(i.offset, "%s のフォルダ「%s」が見つかりません", i.text, i.detail);
        break;
    case issue_line_cut:
        add_warning(i.offset, "行が %d バイトあります。%d バイトから後ろは読まれません", as_int(i.value),
                    static_cast<int>(line_limit));
        break;
    case issue_text_cut:
        add_warning(i.offset, "%sが %d バイトあります。%d バイトに切られます", i.text, as_int(i.value),
                    as_int(i.used));
        break;
    case issue_section_without_end:
        add_warning(i.offset, "%s を閉じる %%end の行がありません。ファイルの終わりまでが %s になります",
                    i.text, i.text);
        break;
    case issue_section_span:
        if (state.extent_count < section_count)
            state.extents[state.extent_count++] = {i.offset, static_cast<size_t>(i.value)};
        break;
    case issue_group_left_open:
        add_warning(i.offset, "グループ「%s」を閉じる } の行がありません", i.detail);
        break;
    case issue_group_not_open:
        add_warning(i.offset, "開いているグループがないので、この } は文字列の項目になります");
        break;
    case issue_mark_as_item:
        add_warning(i.offset, "「%s」は、ここでは印にならず、文字列の項目になります%s", i.text,
                    i.text[0] == '>' ? "（前に項目がありません）" : "");
        break;
    case issue_rest_ignored:
        add_warning(i.offset, "%s の後ろの「%s」は無視されます", i.text, i.detail);
        break;
    case issue_parameters_ignored:
        add_warning(i.offset, "直前の項目「%s」がファイルではないので、この > の行は無視されます", i.detail);
        break;
    case issue_table_full:
        if (strcmp(i.text, "@key=") == 0)
            add_warning(i.offset, "@key= のキーは合わせて %d つまでです。「%s」は無視されます",
                        as_int(i.value), i.detail);
        else
            add_warning(i.offset, "%s は %d 件までです。この行から後ろは無視されます", i.text,
                        as_int(i.value));
        break;
    case issue_no_delimiter:
        add_warning(i.offset, "%s の行に区切り「%s」がありません。この行は無視されます", i.text,
                    settings.delimiter);
        break;
    case issue_replace_row_empty:
        add_warning(i.offset, "[replace] の名前が1バイトか、置き換える文字列が空です。この行は無視されます");
        break;
    case issue_replace_not_macro:
        add_warning(i.offset, "[replace] の行が %% で始まっていません。この行は無視されます");
        break;
    case issue_key_too_short:
        add_warning(i.offset, "[key] の行が短すぎます（キー番号は16進2桁）。この行は無視されます");
        break;
    case issue_key_not_hex:
        add_warning(i.offset, "[key] のキー番号「%s」が16進2桁ではありません", i.detail);
        break;
    case issue_key_separator:
        add_warning(i.offset, "[key] のキー番号の後ろが空白でないので、「%s」の1バイト目は名前から落ちます",
                    i.detail);
        break;
    case issue_title_stored:
        // The popup opens the first entry with that caption, a group or an item; "[data]" is read.
        if (find_plain_caption(i.text) < 0)
            add_warning(i.offset, "[title] のグループ「%s」は [data] にありません。この行は使われません",
                        i.text);
        check_title_pattern(i.offset, i.detail);
        break;
    case issue_menu_ignored:
        add_warning(i.offset, "@menu= は最初の行だけが使われます。この行は無視されます");
        break;
    case issue_menu_word_unknown:
        add_warning(i.offset,
                    "@menu= の「%s」はメニューの位置の名前ではありません。代わりに active を使います",
                    i.detail);
        break;
    case issue_extra_values:
        add_warning(i.offset, "%sは %d 個までです。「%s」は無視されます", i.text, as_int(i.value), i.detail);
        break;
    case issue_not_in_sjis:
        add_warning(i.offset,
                    "Shift-JIS にない文字か UTF-8 として読めないバイトがあります。「?」として読まれます");
        break;
    case issue_section_unused:
        if (strcmp(i.text, "[file]") == 0)
            add_warning(i.offset, "@file= の1番目が 0 なので、[file] は読まれません");
        else
            add_warning(i.offset, "@replace=1 がないので、%s の置き換えは使われません", i.text);
        break;
    }
}

bool inside_a_section(size_t offset)
{
    for (int s = 0; s < state.extent_count; ++s) {
        if (offset >= state.extents[s].start && offset < state.extents[s].end)
            return true;
    }
    return false;
}

// Lines outside every section (a second header's section among them), and a last line that no LF
// ends, which no section reads.
void report_unread_lines(const os_buffer &file)
{
    char line[line_buffer_size];
    bool in_second_section = false; // told once at its header, up to its "%end"
    for (size_t offset = 0; offset < file.size;) {
        const size_t advance = read_line(offset, file.size, file.data, 0, line);
        const char *text = line + strspn(line, " ");
        const bool last_without_lf = offset + advance > file.size;
        const bool inside = inside_a_section(offset);
        if (inside || starts_with_nocase(text, "%end")) {
            in_second_section = false;
        } else if (text[0] != '\0' && text[0] != ';' && !in_second_section) {
            const char *header = nullptr;
            for (const char *h : section_headers)
                header = (header == nullptr && find_nocase(text, h)) ? h : header;
            in_second_section = header != nullptr;
            if (header)
                add_warning(offset,
                            "%s は2度目の見出しです。最初の %s だけが読まれ、このセクションは無視されます",
                            header, header);
            else
                add_warning(offset, "どのセクションにも入っていない行です。読まれません");
        }
        if (inside && last_without_lf && text[0] != '\0' && !starts_with_nocase(text, "%end"))
            add_warning(offset, "最後の行が改行で終わっていないので、読まれません");
        offset += advance;
    }
}

// A file saved as UTF-8 by mistake: every byte sequence is valid UTF-8 and at least one is not
// ASCII. Shift-JIS text with any double-byte character almost never passes.
bool looks_like_utf8(const os_buffer &file)
{
    bool multibyte = false;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(file.data);
    for (size_t i = 0; i < file.size;) {
        const unsigned char c = p[i];
        const size_t length = c < 0x80           ? 1
                              : (c >> 5) == 0x6  ? 2
                              : (c >> 4) == 0xE  ? 3
                              : (c >> 3) == 0x1E ? 4
                                                 : 0;
        if (length == 0 || i + length > file.size)
            return false;
        for (size_t k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        multibyte = multibyte || length > 1;
        i += length;
    }
    return multibyte;
}

// Orders the warnings by their line (stable, so one line keeps the loader's order) and numbers them.
void number_lines(const os_buffer &file)
{
    const int32_t kept = std::min(report.count, static_cast<int32_t>(check_warning_capacity));
    std::stable_sort(report.warnings, report.warnings + kept,
                     [](const check_warning &a, const check_warning &b) { return a.offset < b.offset; });
    int32_t line = 1;
    size_t at = 0;
    for (int32_t i = 0; i < kept; ++i) {
        const size_t to = std::min(report.warnings[i].offset, file.size);
        for (; at < to; ++at)
            line += file.data[at] == '\n';
        report.warnings[i].line = line;
    }
}

} // namespace

int check_data_text(os_buffer *text, int search_start)
{
    report.count = 0;
    state = check_state{};
    if (search_start)
        settings.search_kind = search_prefix;
    load_report = on_load_issue;
    text->size = convert_utf8_text(text->data, text->size);
    const os_buffer &file = *text;
    load_data_text(file);
    load_report = nullptr;
    if (state.regex_library)
        os_free_library(state.regex_library);
    report_unread_lines(file);
    if (looks_like_utf8(file))
        add_warning(0, "このファイルは UTF-8 で保存されているようです。Mivra は Shift-JIS "
                       "として読むので、日本語が化けます");
    number_lines(file);
    return report.count;
}

namespace {

check_output_function output;

void print_dump_line(const char *line, void *)
{
    output("", line);
}

void join(char *out, const char *dir, const char *name)
{
    copy_text(out, path_capacity, dir);
    append_text(out, path_capacity, name);
}

} // namespace

int run_checker(int argc, char **argv, const char *exe_dir, check_output_function out,
                check_folder_function enter_folder)
{
    output = out;
    bool dump = false, search_start = false;
    const char *named = nullptr;
    for (int a = 1; a < argc; ++a) {
        if (strcmp(argv[a], "--dump") == 0) {
            dump = true;
        } else if (strcmp(argv[a], "--search") == 0) {
            search_start = true;
        } else if (argv[a][0] == '-' || named != nullptr) {
            out("", "使い方: mivracheck [--dump] [--search] [設定ファイル]");
            return 2;
        } else {
            named = argv[a];
        }
    }
    reset_settings();
    reset_item_store();
    copy_text(settings.exe_dir, sizeof settings.exe_dir, exe_dir);
    // The program beside the checker is mivra.exe: its data file and the fallbacks it takes.
    copy_text(settings.data_file_name, sizeof settings.data_file_name, "mivra.ini");
    join(settings.log_file_path, exe_dir, "log.ini");
    join(settings.migemo_dict_path, exe_dir, "dict\\migemo-dict");
    if (named != nullptr)
        copy_text(settings.data_file_path, sizeof settings.data_file_path, named);
    else if (!choose_data_file_path())
        settings.data_file_path[0] = '\0';
    const char *path = named ? named : settings.data_file_path;
    os_buffer file;
    // A UTF-8 file is read as it is: the check converts it and reports its lines.
    if (path[0] == '\0' || !read_marked_file(path, 0, data_file_read_limit, &file)) {
        out(path, ": error: 設定ファイルを読めません");
        return 2;
    }
    if (enter_folder)
        enter_folder(path);
    const int count = check_data_text(&file, search_start ? 1 : 0);
    if (dump) {
        dump_settings(print_dump_line, nullptr);
        dump_item_store(print_dump_line, nullptr);
    }
    char text[check_text_capacity + 32];
    for (int32_t i = 0; i < std::min(count, check_warning_capacity); ++i) {
        snprintf(text, sizeof text, ":%d: warning: %s", report.warnings[i].line, report.warnings[i].text);
        out(path, text);
    }
    if (count > check_warning_capacity) {
        snprintf(text, sizeof text, "（ほかに %d 件あります）", count - check_warning_capacity);
        out("", text);
    }
    if (count == 0) {
        out("", "問題はありません");
    } else {
        snprintf(text, sizeof text, "%d warning%s", count, count == 1 ? "" : "s");
        out("", text);
    }
    os_free_buffer(&file);
    return count == 0 ? 0 : 1;
}
