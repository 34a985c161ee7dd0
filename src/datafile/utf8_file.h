// Data files and text files saved as UTF-8 with a byte-order mark.
// Owns: recognising the mark, the conversion of such a file's text to Shift-JIS as it loads (in
// place, well-formed characters through the system seam, everything else "?") and the reads that
// apply it. A file without the mark is Shift-JIS and passes unchanged: nothing is guessed.
#pragma once

#include <cstddef>

#include "os/os.h"

constexpr char utf8_mark[] = "\xEF\xBB\xBF";
constexpr size_t utf8_mark_size = 3;

// The bytes a file with the mark may have for its converted text to fit `limit`: four bytes of a
// character beyond the Basic Multilingual Plane become one "?", and the mark goes.
size_t marked_file_limit(size_t limit);

// Whether data (size bytes) begins with the mark.
bool begins_with_utf8_mark(const char *data, size_t size);

// Converts a text that begins with the mark to Shift-JIS in place, without the mark, and terminates
// it; returns its new size. A text without the mark is left as it is (and its size returned). A
// character with no Shift-JIS form and each invalid sequence become "?"; each line that got one is
// told to the load report (issue_not_in_sjis, at the line's start in the converted text).
size_t convert_utf8_text(char *data, size_t size);

// os_read_whole_file, but a file that begins with the mark may have up to marked_file_limit(limit)
// bytes; not converted. The file is opened once unless it is too large as it stands.
int read_marked_file(const char *path, int create_if_missing, size_t limit, os_buffer *out);
// os_read_whole_file with the conversion: `limit` applies to the converted text, so a UTF-8 file a
// little larger is still read when its text fits.
int read_file_text(const char *path, int create_if_missing, size_t limit, os_buffer *out);
// os_read_file_into with the conversion; *text_size gets the size of the converted text (the
// file's size when it cannot be read). Returns an os_read_status.
int read_file_text_into(const char *path, char *buffer, size_t capacity, size_t *text_size);
