// The history file "hist.ini": what the recorder (hist.exe) writes and the history menus read.
// Owns: the layout (100 little-endian lengths, the current index at offset 400, the entries' bytes
// from offset 404), its validation, the recorder's update rule and the size limits of both sides.
// Knows nothing of menus or of the clipboard; callers hand it bytes.
//
// A file is read as far as it can be trusted and never past its end: it is refused whole when it
// is shorter than the header, larger than history_file_limit, or when its first length is 0,
// negative or runs past the end of the file (a first length that lies says the header is not ours);
// later entries are listed only while they lie wholly inside the file, so the first one that runs
// past the end ends the list like a length of 0. The current index counts only when it names a
// listed entry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "os/os.h"

constexpr int32_t history_capacity = 100;
constexpr int32_t history_no_current = 999;
constexpr size_t history_current_offset = 400;
constexpr size_t history_header_size = 404;
// One clipboard text is recorded up to this many bytes (cut at a character boundary).
constexpr size_t history_entry_limit = 1000000;
// The recorder keeps the file at most this large, dropping the oldest entries first; the reader
// refuses anything larger.
constexpr size_t history_file_limit = 8 * 1024 * 1024;

// The entries of one file image as pointers into it; valid while the image is.
struct history_view {
    int32_t count;   // listed entries, newest first
    int32_t current; // index of a listed entry, or -1 when the file names none
    const char *entry[history_capacity];
    int32_t length[history_capacity];
};

// Validates an image of `size` bytes. 1 when it lists at least one entry; 0 (and an empty view)
// when it is refused.
int parse_history(const char *data, size_t size, history_view *out);

// Reads the history file whole (at most history_file_limit bytes) and validates it. 1 when it lists
// at least one entry; free `buffer` with os_free_buffer either way.
int read_history_file(const char *path, os_buffer *buffer, history_view *out);

// The recorder's start: the history it may write over the file at `path`, into image (capacity
// bytes, *size used). Only a missing file starts an empty history. 0 when the file exists but
// cannot be read yet (held open without sharing): nothing may be written, try again later. A file
// that is read but refused (over history_file_limit, or lengths past its end) is copied beside it
// as "<path>.bad" first, then the history starts empty; 0 when that copy fails. The image is not
// normalised.
int load_recorder_image(const char *path, char *image, size_t capacity, size_t *size);

// The recorder's update: `text` (length bytes, cut to history_entry_limit at a character boundary)
// becomes entry 0 and current of the image held in `image` (capacity bytes, *size used; anything
// that parse_history refuses counts as empty). The older entries follow, at most 99, as many as fit
// in `capacity`. An empty text, or one equal to the newest entry, changes nothing; one equal to an
// older entry moves that entry to the top. Returns 1 when the image changed.
int record_history_text(char *image, size_t capacity, size_t *size, const char *text, size_t length);

// Rewrites the image as record_history_text leaves it: the listed entries only, current 0 (999 when
// empty). An image that parse_history refuses becomes the empty history.
void normalise_history_image(char *image, size_t capacity, size_t *size);
