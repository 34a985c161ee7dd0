// The section reader of the data file and the two readers every text-file user shares.
// Owns: finding a section's header, walking its lines up to "%end" (with the reports of cut lines
// and of each section's extent), splitting at the delimiter, read_line and resolve_path. Knows no
// section's grammar: the loader does.
#pragma once

#include <cstddef>

#include "os/os.h"

constexpr size_t line_buffer_size = 520;
constexpr size_t line_limit = 517;

// Copies the line at `offset` of data (size bytes) into line (line_buffer_size bytes, zero-filled):
// stops at LF, drops CR, drops TAB unless keep_tabs, keeps at most 517 bytes. Returns the bytes
// consumed; the caller advances by them and stops when offset + advance > size.
size_t read_line(size_t offset, size_t size, const char *data, int keep_tabs, char *line);
// The full path of a file name into out (260 bytes), or the name itself when not found. 1 when the
// file was found.
int resolve_path(const char *name, char *out);

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

// Places the reader on the line after the header's own line. Headers are found case-insensitively
// anywhere in the text; the search stops at the buffer's terminator (or a zero byte in the file).
bool open_section(section_reader *reader, const os_buffer &file, const char *header, int keep_tabs);
// The next line with its leading blanks removed, or null at "%end" or at the end of the data. A last
// line that no LF ends is not read.
char *next_section_line(section_reader *reader);
// Splits text at the first occurrence of the delimiter (case-insensitive). False when it is absent;
// then neither output is touched.
bool split_at_delimiter(const char *text, char *before, size_t before_capacity, const char **after);
// Where the line holding the header starts; false when the data has no such header.
bool find_header_line(const os_buffer &file, const char *header, size_t *start);
// Reports the section's extent (where its "%end" line ends, or the end of the data) and a missing
// "%end", whether the section is read or not.
void report_section_span(const os_buffer &file, const char *header);
