// Matching of the search window: does a caption (or a text-file line) match the typed pattern?
// Plain matching (prefix or substring, ASCII case folded, whole double-byte characters; with
// "@kana=1" pattern and candidate folded by text/fold.h first), or the romaji route: migemo.dll turns
// the pattern into an expression that BREGEXP.DLL evaluates.
// Owns: `matching` (the two run-time libraries, the dictionary handle and the patterns built for the
// current search pass). Only this file writes it. Both libraries are reached through os.h's
// library seam; each is optional, and every failure is a non-match or a failed load.
#pragma once

#include <cstddef>
#include <cstdint>

#include "os/os.h"
#include "text/fold.h"
#include "text/sjis.h"

// The built pattern: "m/^" or "m/", the expression migemo returned, "/ki". Migemo's expressions run
// to a few kilobytes for one letter ("a" gives 2,359 bytes); a longer one fails the build.
constexpr size_t regex_pattern_capacity = 65536;
// BMatch's error text: at most 79 bytes and the terminator.
constexpr size_t regex_message_capacity = 80;

struct matching_state {
    os_library migemo_library; // migemo.dll while loaded
    os_library regex_library;  // BREGEXP.DLL while loaded
    uintptr_t migemo_handle;   // the dictionary object of migemo_open
    int32_t regex_pattern_built; // 1 while regex_pattern holds this pass's pattern
    char regex_pattern[regex_pattern_capacity];
    int32_t folded_pattern_built; // 1 while folded_pattern holds this pass's pattern folded
    char folded_pattern[fold_growth * path_capacity]; // a pass's pattern is at most path_capacity
};

extern matching_state matching;

void reset_matching_state();

// 1 when candidate matches pattern: the romaji route while `migemo_on` is 1 and the pattern has at
// least `migemo_min_length` bytes, else the plain comparison of `search_kind`. With `kana_fold` the
// plain route compares folded_candidate (candidate as fold_for_match gave it) when given, else folds
// candidate here.
int match(const char *candidate, const char *pattern, const char *folded_candidate = nullptr);
// migemo's writer of one character into its expressions (out may be null: the length only): a
// Shift-JIS character as its two bytes, and every ASCII character that is special to the Perl syntax
// of BREGEXP.DLL escaped. migemo's own escapes too few ("c" gives "C++" as "C++").
int escape_expression_char(unsigned int code, unsigned char *out);
// Asks migemo for the pattern's expression and builds regex_pattern for the current pass. A failed
// build leaves regex_pattern_built 0, so the next candidate asks again.
int build_regex_pattern(const char *pattern);
// One BMatch of expression (a full "m/.../flags" text) against candidate with a fresh compiled
// expression, freed at once. Also for the title popup, around load_matching_libraries(1).
int regex_match(const char *candidate, const char *expression);
// regex_only 0: the dictionary through migemo.dll, then BREGEXP.DLL; regex_only 1: BREGEXP.DLL only.
// 1 on success; on failure nothing stays loaded.
int load_matching_libraries(int regex_only);
int unload_matching_libraries(int regex_only);
// After the last candidate of a pass: the patterns built for it are dropped.
void end_search_pass();
