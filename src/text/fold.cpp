#include "text/fold.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "text/sjis.h"

namespace {

// Code page 932 codes of the characters that fold, as lead byte << 8 | trail byte.
constexpr uint16_t hiragana_first = 0x829F, hiragana_last = 0x82F1; // ぁ..ん
constexpr uint16_t katakana_first = 0x8340;                         // ァ; ミ 0x837E, ム 0x8380
constexpr uint16_t katakana_gap = 0x837F;                           // no character
constexpr uint16_t katakana_vu = 0x8394;                            // ヴ
constexpr uint16_t hiragana_iteration = 0x8154, hiragana_iteration_voiced = 0x8155; // ゝ ゞ
constexpr uint16_t katakana_iteration = 0x8152;                                     // ヽ, ヾ next
constexpr uint16_t full_digit_first = 0x824F, full_digit_last = 0x8258;             // ０..９
constexpr uint16_t full_capital_first = 0x8260, full_capital_last = 0x8279;         // Ａ..Ｚ
constexpr uint16_t full_small_first = 0x8281, full_small_last = 0x829A;             // ａ..ｚ
constexpr uint16_t greek_capital_first = 0x839F, greek_capital_last = 0x83B6;       // Α..Ω
constexpr uint16_t greek_small_offset = 0x20;                                       // α = Α + 0x20
constexpr uint16_t cyrillic_capital_first = 0x8440, cyrillic_capital_last = 0x8460; // А..Я
constexpr uint16_t cyrillic_small_first = 0x8470;                                   // а; н 0x847E, о 0x8480
constexpr uint16_t cyrillic_gap = 0x847F;                                           // no character

// Half-width forms 0xA1-0xDF (｡ to ﾟ) and the full-width characters they stand for.
constexpr unsigned char half_width_first = 0xA1, half_width_last = 0xDF;
constexpr uint16_t half_width_to_full[] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348, // ｡..ｫ
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, // ｬ..ｶ
    0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360, // ｷ..ﾁ
    0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374, // ﾂ..ﾌ
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, // ﾍ..ﾘ
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,                         // ﾙ..ﾟ
};
static_assert(std::size(half_width_to_full) == half_width_last - half_width_first + 1,
              "one full-width character per half-width form");
constexpr unsigned char half_voiced_mark = 0xDE, half_semi_voiced_mark = 0xDF; // ﾞ ﾟ
constexpr unsigned char half_u = 0xB3;                                          // ｳ: ｳﾞ is ヴ
// Half-width letters with a voiced form one code above their full-width letter (ｶ..ﾄ, ﾊ..ﾎ) and
// those with a semi-voiced form two above (ﾊ..ﾎ).
constexpr unsigned char half_voiceable_first = 0xB6, half_voiceable_last = 0xC4;
constexpr unsigned char half_h_row_first = 0xCA, half_h_row_last = 0xCE;

// Full-width ASCII symbols (and the ideographic space), sorted by code. ＂ and ＇ have two codes.
struct symbol_fold {
    uint16_t code;
    char ascii;
};
constexpr symbol_fold full_width_symbols[] = {
    {0x8140, ' '}, {0x8143, ','}, {0x8144, '.'}, {0x8146, ':'}, {0x8147, ';'}, {0x8148, '?'},
    {0x8149, '!'}, {0x814D, '`'}, {0x814F, '^'}, {0x8151, '_'}, {0x815E, '/'}, {0x815F, '\\'},
    {0x8160, '~'}, {0x8162, '|'}, {0x8169, '('}, {0x816A, ')'}, {0x816D, '['}, {0x816E, ']'},
    {0x816F, '{'}, {0x8170, '}'}, {0x817B, '+'}, {0x817C, '-'}, {0x8181, '='}, {0x8183, '<'},
    {0x8184, '>'}, {0x8190, '$'}, {0x8193, '%'}, {0x8194, '#'}, {0x8195, '&'}, {0x8196, '*'},
    {0x8197, '@'}, {0xEEFB, '\''}, {0xEEFC, '"'}, {0xFA56, '\''}, {0xFA57, '"'},
};

bool in(uint16_t code, uint16_t first, uint16_t last) { return code >= first && code <= last; }

// The folded form of one character: a single byte (ascii != 0) or a double-byte code.
struct folded_char {
    char ascii;
    uint16_t code;
};

folded_char fold_double(uint16_t code)
{
    if (in(code, hiragana_first, hiragana_last)) {
        const uint16_t k = katakana_first + (code - hiragana_first);
        return {0, static_cast<uint16_t>(k >= katakana_gap ? k + 1 : k)};
    }
    if (in(code, hiragana_iteration, hiragana_iteration_voiced))
        return {0, static_cast<uint16_t>(katakana_iteration + (code - hiragana_iteration))};
    if (in(code, full_digit_first, full_digit_last))
        return {static_cast<char>('0' + (code - full_digit_first)), 0};
    if (in(code, full_capital_first, full_capital_last))
        return {static_cast<char>('a' + (code - full_capital_first)), 0};
    if (in(code, full_small_first, full_small_last))
        return {static_cast<char>('a' + (code - full_small_first)), 0};
    if (in(code, greek_capital_first, greek_capital_last))
        return {0, static_cast<uint16_t>(code + greek_small_offset)};
    if (in(code, cyrillic_capital_first, cyrillic_capital_last)) {
        const uint16_t s = cyrillic_small_first + (code - cyrillic_capital_first);
        return {0, static_cast<uint16_t>(s >= cyrillic_gap ? s + 1 : s)};
    }
    const symbol_fold *end = std::end(full_width_symbols);
    const symbol_fold *s = std::lower_bound(std::begin(full_width_symbols), end, code,
                                            [](const symbol_fold &f, uint16_t c) { return f.code < c; });
    if (s != end && s->code == code)
        return {s->ascii, 0};
    return {0, code};
}

// A half-width form at p (p[0] in half_width_first..half_width_last), joined with a voiced or
// semi-voiced mark after it where the pair has one full-width letter; *used is 1 or 2 bytes.
uint16_t fold_half_width(const unsigned char *p, size_t *used)
{
    const unsigned char c = p[0];
    const uint16_t full = half_width_to_full[c - half_width_first];
    *used = 2;
    if (p[1] == half_voiced_mark && c == half_u)
        return katakana_vu;
    const bool h_row = c >= half_h_row_first && c <= half_h_row_last;
    if (p[1] == half_voiced_mark && ((c >= half_voiceable_first && c <= half_voiceable_last) || h_row))
        return full + 1;
    if (p[1] == half_semi_voiced_mark && h_row)
        return full + 2;
    *used = 1;
    return full;
}

} // namespace

int fold_for_match(char *out, size_t capacity, const char *text)
{
    if (capacity == 0)
        return 0;
    size_t o = 0;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    while (*p != '\0') {
        size_t used = 1;
        folded_char f{0, 0};
        if (*p >= half_width_first && *p <= half_width_last)
            f.code = fold_half_width(p, &used);
        else if (is_lead_byte(*p) && p[1] != '\0') {
            f = fold_double(static_cast<uint16_t>(p[0] << 8 | p[1]));
            used = 2;
        } else
            f.ascii = fold_ascii(static_cast<char>(*p)); // a lone lead byte stays one byte
        const size_t width = f.code != 0 ? 2 : 1;
        if (o + width + 1 > capacity) {
            out[o] = '\0';
            return 0;
        }
        if (f.code != 0) {
            out[o++] = static_cast<char>(f.code >> 8);
            out[o++] = static_cast<char>(f.code & 0xFF);
        } else
            out[o++] = f.ascii;
        p += used;
    }
    out[o] = '\0';
    return 1;
}
