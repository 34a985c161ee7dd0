// Key-chord marks: "%$" + up to five two-character key numbers + "%". One reader for the delivery,
// which presses the keys, and for the preview, which shows their names.
// Owns: the mark's syntax. A mark whose "%$" and closing "%" lie 4 to 12 bytes apart is a chord;
// a shorter or longer one is plain text. A pair never ends inside a double-byte character: one that
// would takes the character whole (and then names no key). An odd last byte is ignored.
#pragma once

#include <cstddef>

constexpr int max_chord_keys = 5;

struct chord_pair {
    const char *at;
    size_t length; // 2, or 3 when a double-byte character starts at its second byte
};

struct key_chord {
    const char *open;  // the "%$"
    const char *close; // the closing "%"
    int count;
    chord_pair pairs[max_chord_keys];
};

// The next chord mark at or after `from`; false when no "%$" follows or the next one is never closed.
bool next_chord(const char *from, key_chord *chord);
// "tb" (any case): the Tab key.
bool is_tab_pair(const chord_pair &pair);
// The virtual-key code of a pair: Tab for "tb", the two hex digits' value, or -1 for no key.
int pair_key_code(const chord_pair &pair);
