#include "output/chord.h"

#include <cstring>

#include "text/sjis.h"

namespace {

constexpr ptrdiff_t chord_min_span = 4;
constexpr ptrdiff_t chord_max_span = 12;
constexpr int vk_tab = 0x09;

int read_chord_pairs(const char *body, const char *close, chord_pair *pairs)
{
    int count = 0;
    const char *p = body;
    while (count < max_chord_keys && p < close) {
        const char *end = p + char_width(p);
        if (end - p == 1 && end < close)
            end += char_width(end);
        if (end - p < 2 || end > close)
            break;
        pairs[count].at = p;
        pairs[count].length = static_cast<size_t>(end - p);
        ++count;
        p = end;
    }
    return count;
}

} // namespace

bool next_chord(const char *from, key_chord *chord)
{
    for (;;) {
        const char *open = find_nocase(from, "%$");
        if (open == nullptr)
            return false;
        const char *close = strchr(open + 2, '%');
        if (close == nullptr)
            return false;
        const ptrdiff_t span = close - open;
        if (span >= chord_min_span && span <= chord_max_span) {
            chord->open = open;
            chord->close = close;
            chord->count = read_chord_pairs(open + 2, close, chord->pairs);
            return true;
        }
        from = open + 2;
    }
}

bool is_tab_pair(const chord_pair &pair)
{
    return pair.length == 2 && fold_ascii(pair.at[0]) == 't' && fold_ascii(pair.at[1]) == 'b';
}

int pair_key_code(const chord_pair &pair)
{
    if (is_tab_pair(pair))
        return vk_tab;
    if (pair.length != 2)
        return -1;
    const int high = hex_digit_value(pair.at[0]);
    const int low = hex_digit_value(pair.at[1]);
    if (high < 0 || low < 0)
        return -1;
    return high * 16 + low;
}
