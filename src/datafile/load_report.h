// The loader's report sink: what the loader ignores, cuts or replaces by a default, line by line.
// Owns: the kinds of such events and the one sink pointer. Nobody listens in the program (the sink
// stays null and the loader only tests it); the data-file checker sets it.
#pragma once

#include <cstddef>
#include <cstdint>

// Each kind with what its text, detail, value and used carry.
enum load_issue_kind {
    issue_unknown_option,      // text: the line
    issue_not_an_option,       // text: the line ("[system]" line without "@")
    issue_value_too_short,     // text: the option name, value: the minimum length
    issue_search_window_only,  // text: the option name
    issue_out_of_range,        // text: what the value sets, value: found, used: taken instead
    issue_not_a_number,        // text: what the value sets, detail: the value, used: taken instead
    issue_name_too_long,       // text: what the value sets, detail: the name ("@log=" file name)
    issue_log_name_taken,      // text: what the value sets, detail: an "@log=" name of another file
    issue_file_missing,        // text: the option or section, detail: the name
    issue_folder_missing,      // detail: a folder of "@path="
    issue_line_cut,            // value: the line's length
    issue_text_cut,            // text: which part, value: the part's length, used: the bytes kept
    issue_section_without_end, // text: the header
    issue_section_span,        // (no mistake) offset: the header's line, value: where the section ends
    issue_group_left_open,     // detail: the group's caption
    issue_group_not_open,      // a "}" with no group open: a text item
    issue_mark_as_item,        // "+", "-", "{" or ">" that marks nothing: a text item; text: the line
    issue_rest_ignored,        // text: a "+", "-" or "}" mark, detail: the rest of its line
    issue_parameters_ignored,  // ">" after an entry that names no file; detail: the entry's text
    issue_table_full,          // text: the section, value: its limit (offset: the first line dropped)
    issue_no_delimiter,        // text: the section
    issue_replace_row_empty,   // a "[replace]" row with a one-byte name or an empty replacement
    issue_replace_not_macro,   // a "[replace]" line not beginning with "%"
    issue_key_too_short,       // a "[key]" line of one byte
    issue_key_not_hex,         // detail: the code
    issue_key_separator,       // a "[key]" line whose third byte is no blank; detail: the line from it
    issue_title_stored,        // (no mistake) text: the group, detail: the pattern, for the checker
    issue_menu_ignored,        // an "@menu=" line after the one that set the position
    issue_menu_word_unknown,   // detail: the "@menu=" value that names no position
    issue_extra_values,        // text: "@name= の値", detail: the values left, value: how many are read
    issue_section_unused,      // text: the header of a section the options leave unread or unused
    issue_not_in_sjis,         // a line of a UTF-8 file with a character of no Shift-JIS form (now "?")
};

struct load_issue {
    load_issue_kind kind;
    size_t offset; // where the line starts in the data file
    const char *text;
    const char *detail;
    int64_t value;
    int64_t used;
};

typedef void (*load_report_function)(const load_issue &issue);

// Null unless someone listens.
extern load_report_function load_report;
// The start of the "[system]" line being applied, for the option parsers' reports.
extern size_t load_report_line;

inline void report_load_issue(load_issue_kind kind, size_t offset, const char *text = "",
                              const char *detail = "", int64_t value = 0, int64_t used = 0)
{
    if (load_report)
        load_report(load_issue{kind, offset, text, detail, value, used});
}
