// The listed text files' lines as entries: the one walk that the text-file menus and the text-file
// search share, so both offer the same entries with the same texts, and the Insert key's append.
// Owns: the entry grammar (comments, "@dlm=" delimiter, blanks, text and caption of an entry) and
// `text_file_delimiter`, which every walk clears and sets. Reads `comment_mark`, `sendkey_enabled`
// and the text-file table of the store, and writes nothing else.
#pragma once

#include <cstdint>

#include "datafile/section_reader.h"
#include "os/os.h"

// The delimiter of the file walked last ("" without an "@dlm=" line).
extern char text_file_delimiter[260];

// Menus stop at this many entries whatever "@file=" allows.
constexpr int32_t text_entry_limit = 5000;
// A listed text file is read whole up to this size; a larger one is not read.
constexpr size_t text_file_read_limit = 64 * 1024 * 1024;

struct text_file_entry {
    int32_t number;                 // counted from 0 in file order
    int32_t blanks;                 // empty lines since the previous entry (comments not counted)
    char text[line_buffer_size];    // what is pasted: the part before the delimiter
    char caption[line_buffer_size]; // what is shown: the part after it, or the text
};

// Called for every entry in order; returns false to stop the walk.
typedef bool (*text_entry_visitor)(void *context, const text_file_entry &entry);

// Walks a whole file read into memory (data of size bytes; a zero byte inside a line ends that
// line's text, a line longer than 517 bytes is cut, and a last line without LF is not read).
// Clears and sets text_file_delimiter. Returns the number of entries visited.
int32_t walk_text_file(const char *data, size_t size, text_entry_visitor visit, void *context);

// Reads listed file f whole and walks it; 0 without visiting when it cannot be read or is empty.
int32_t walk_listed_text_file(int32_t f, text_entry_visitor visit, void *context);

// Entry n of listed file f into out (capacity bytes); 1 when found. A file gone meanwhile gives 0.
int find_text_file_entry(int32_t f, int32_t n, char *out, size_t capacity);

// Whether file f's lines have key macros (1) or not (0): "$" at the start of its base name turns them
// on; otherwise the data file's "@sendkey=" rules.
int32_t text_file_sendkey_rule(int32_t f);

// Appends text and CR LF to the end of the chosen text file, ending its last line with CR LF first
// when no line break ends it. A file that is missing (deleted meanwhile) is not created, what the
// file holds is never rewritten, and a write that stops short is taken back. 1 when written.
int append_line(const char *text);
