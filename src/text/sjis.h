// Shift-JIS byte-string helpers shared by every room.
// Owns: bounded copies into fixed buffers, ASCII-only case folding that treats a lead byte and its
// trail byte as one character, path splitting, number reading. Knows nothing of files or windows.
// A lead byte standing last before the terminator is taken as a single byte; no helper ever steps
// over a terminator.
#pragma once

#include <cstddef>
#include <cstdint>

// Lead bytes of code page 932: 0x81-0x9F and 0xE0-0xFC.
inline bool is_lead_byte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Width in bytes of the character at p (1 or 2); 1 for a lead byte followed by the terminator.
inline size_t char_width(const char *p)
{
    return (is_lead_byte(static_cast<unsigned char>(p[0])) && p[1] != '\0') ? 2 : 1;
}

inline char fold_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// Copies src into dst of `capacity` bytes (terminator included), always terminating. A longer
// source is cut to capacity - 1 bytes. Returns 1 when the whole source fitted, 0 when it was cut.
int copy_text(char *dst, size_t capacity, const char *src);
// Same, for `length` bytes of src (stops early at a terminator inside them).
int copy_text_n(char *dst, size_t capacity, const char *src, size_t length);
// Appends src to the text already in dst; same cut rule over the whole buffer.
int append_text(char *dst, size_t capacity, const char *src);
// Like copy_text, but never leaves half of a double-byte character at the cut.
int copy_text_whole_chars(char *dst, size_t capacity, const char *src);

// How many of the first `length` bytes of text fit in `limit` without splitting a double-byte
// character.
size_t whole_chars_length(const char *text, size_t length, size_t limit);

// Case-insensitive search (ASCII letters folded, double-byte characters compared whole and matched
// only at character boundaries of the haystack). Returns the first match or nullptr.
const char *find_nocase(const char *haystack, const char *needle);
char *find_nocase(char *haystack, const char *needle);
// find_nocase over text[0, length), which need not be terminated there (a terminator inside ends
// nothing: the caller bounds the text), in a walk cheap enough to run once per pattern over a
// megabyte text.
const char *find_nocase_in(const char *text, size_t length, const char *needle);
// Case-sensitive byte search at character boundaries.
const char *find_exact(const char *haystack, const char *needle);
// True when text begins with prefix, ignoring ASCII case.
bool starts_with_nocase(const char *text, const char *prefix);
// Compares the first n bytes ignoring ASCII case (stops at terminators); 0 when equal.
int compare_nocase_n(const char *a, const char *b, size_t n);
// Whole-string equality ignoring ASCII case (equal length required).
bool equals_nocase(const char *a, const char *b);
// Backslash or slash at a character boundary.
bool is_path_separator_at(const char *text, const char *p);

// Splits a Windows path into drive ("C:"), directory ("\dir\", with trailing separator), base name
// and extension (".ext"). Each output buffer is path_capacity bytes (260) and may be null.
constexpr size_t path_capacity = 260;
void split_path(const char *path, char *drive, char *dir, char *base, char *ext);

// Decimal integer: optional leading blanks, optional sign, digits; stops at the first other byte.
// No digits gives 0. Saturates instead of overflowing.
int32_t read_decimal(const char *text);
// "0x"/"0X" followed by hex digits reads hexadecimal, anything else as read_decimal.
int32_t read_hex_or_decimal(const char *text);
// Value of one hexadecimal digit, or -1.
int hex_digit_value(char c);

// Removes every byte equal to c (ASCII only) in place, never touching trail bytes.
void remove_byte(char *text, char c);
