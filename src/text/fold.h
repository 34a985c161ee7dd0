// Folding of Shift-JIS text for the search window's "@kana=1" matching.
// Owns: the one fold that makes hiragana and katakana, full-width and half-width forms and letter
// case compare equal, and the code tables behind it. Leaves the comparison of folded texts to
// sjis.h's nocase search, which is why ASCII letters come out lower case.
#pragma once

#include <cstddef>

// A half-width katakana widens to two bytes and nothing else grows: a buffer of fold_growth times
// the source's capacity never cuts.
constexpr size_t fold_growth = 2;

// Writes text folded into out (capacity bytes, terminator included): hiragana as katakana,
// half-width katakana (a following ﾞ or ﾟ joined to it) as full-width, full-width ASCII as ASCII,
// the capitals of ASCII, full-width Latin, Greek and Cyrillic as small letters. Whole characters
// only: a character that does not fit ends the output. A lead byte last before the terminator is
// kept as one byte. 1 when the whole text fitted, 0 when it was cut.
int fold_for_match(char *out, size_t capacity, const char *text);
