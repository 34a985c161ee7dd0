#include "datafile/section_reader.h"

#include <cstring>

#include "datafile/load_report.h"
#include "datafile/settings.h"
#include "text/sjis.h"

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

} // namespace

size_t read_line(size_t offset, size_t size, const char *data, int keep_tabs, char *line)
{
    memset(line, 0, line_buffer_size);
    // Nothing left: an advance of 1 still ends the caller's loop.
    return offset > size ? 1 : copy_line(offset, size, data, keep_tabs, line);
}

int resolve_path(const char *name, char *out)
{
    char found[path_capacity];
    if (name[0] != '\0' && os_file_exists(name)) {
        size_t length = os_full_path(name, found);
        copy_text(out, path_capacity, (length >= 1 && length <= 259) ? found : name);
        return 1;
    }
    if (name[0] != '\0' && settings.has_search_path == 1) {
        size_t length = os_search_path(settings.search_path, name, found);
        if (length >= 1 && length <= 259) {
            copy_text(out, path_capacity, found);
            return 1;
        }
    }
    if (name[0] != '\0') {
        size_t length = os_search_path(nullptr, name, found);
        if (length >= 1 && length <= 259) {
            copy_text(out, path_capacity, found);
            return 1;
        }
    }
    if (out != name)
        copy_text(out, path_capacity, name);
    return 0;
}

bool open_section(section_reader *reader, const os_buffer &file, const char *header, int keep_tabs)
{
    const char *at = file.data ? find_nocase_in(file.data, strnlen(file.data, file.size), header) : nullptr;
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

bool split_at_delimiter(const char *text, char *before, size_t before_capacity, const char **after)
{
    if (settings.delimiter[0] == '\0')
        return false;
    const char *at = find_nocase_in(text, strlen(text), settings.delimiter);
    if (at == nullptr)
        return false;
    copy_text_n(before, before_capacity, text, static_cast<size_t>(at - text));
    *after = at + strlen(settings.delimiter);
    return true;
}

bool find_header_line(const os_buffer &file, const char *header, size_t *start)
{
    const char *at = file.data ? find_nocase_in(file.data, strnlen(file.data, file.size), header) : nullptr;
    if (at == nullptr)
        return false;
    *start = static_cast<size_t>(at - file.data);
    while (*start > 0 && file.data[*start - 1] != '\n')
        --*start;
    return true;
}

void report_section_span(const os_buffer &file, const char *header)
{
    section_reader reader;
    size_t start = 0;
    if (!find_header_line(file, header, &start) || !open_section(&reader, file, header, 1))
        return;
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
