// The substitution sweep that every macro pass of the expansion shares.
// Owns: rebuilding a text into a work buffer in one left-to-right sweep, the cut rule that keeps the
// result inside a fixed capacity, and the copy back. The passes themselves (which pattern, which
// replacement) belong to engine.cpp, clipboard_macros.cpp and date_macros.cpp.
#pragma once

#include <cstddef>

// A piece of text that is not necessarily terminated where it ends.
struct text_piece {
    const char *data;
    size_t length;
};

// A text under reconstruction. capacity includes the terminator. Once `cut` is set nothing more is
// appended: the result is full.
struct rebuilt_text {
    char *out;
    size_t capacity;
    size_t length;
    int cut;
};

void rebuild_start(rebuilt_text *r, char *out, size_t capacity);
// Appends the piece. What does not fit is dropped, whole characters only (a double-byte character
// is never split), and `cut` is set. Returns 0 once the result is full.
int rebuild_append(rebuilt_text *r, const char *data, size_t length);

// find_nocase_in over the whole of a terminated text.
const char *find_pattern(const char *text, const char *pattern);

// Gives the replacement for the occurrence that starts at `occurrence`; the piece must stay valid
// until the next call.
typedef text_piece (*replacement_for)(const char *occurrence, void *context);

// Replaces every case-insensitive occurrence of pattern in text (capacity bytes) by what `replace`
// gives, searching on right after each occurrence, so a replacement is never searched again. The
// result is built in work (capacity bytes) and copied back once; it is cut to capacity - 1 bytes
// at a character boundary when it would grow past that. Returns the number of occurrences
// replaced; 0 leaves the text untouched. An empty pattern replaces nothing.
size_t substitute_all(char *text, size_t capacity, char *work, const char *pattern, replacement_for replace,
                      void *context);

// The one work buffer of the macro passes, work_buffer_capacity bytes, allocated with the program.
// A pass uses it only within its own call, so the passes of one expansion share it.
constexpr size_t work_buffer_capacity = 1040000;
char *macro_work_buffer();

// The replacement that is the same for every occurrence; context is a text_piece.
text_piece fixed_replacement(const char *occurrence, void *context);

// Shortens a text that a bounded copy cut at capacity - 1 bytes so that it does not end with half
// of a double-byte character.
void drop_split_character(char *text, size_t length);
