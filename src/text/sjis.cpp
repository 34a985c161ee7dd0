#include "text/sjis.h"

#include <climits>
#include <cstring>

int copy_text_n(char *dst, size_t capacity, const char *src, size_t length)
{
    if (capacity == 0)
        return 0;
    size_t i = 0;
    while (i < length && src[i] != '\0' && i + 1 < capacity) {
        dst[i] = src[i];
        ++i;
    }
    dst[i] = '\0';
    return (i == length || src[i] == '\0') ? 1 : 0;
}

int copy_text(char *dst, size_t capacity, const char *src) { return copy_text_n(dst, capacity, src, SIZE_MAX); }

int append_text(char *dst, size_t capacity, const char *src)
{
    size_t used = strnlen(dst, capacity);
    if (used >= capacity)
        return 0;
    return copy_text(dst + used, capacity - used, src);
}

int copy_text_whole_chars(char *dst, size_t capacity, const char *src)
{
    if (capacity == 0)
        return 0;
    size_t i = 0;
    while (src[i] != '\0') {
        size_t w = char_width(src + i);
        if (i + w + 1 > capacity)
            break;
        for (size_t k = 0; k < w; ++k)
            dst[i + k] = src[i + k];
        i += w;
    }
    dst[i] = '\0';
    return src[i] == '\0' ? 1 : 0;
}

// Matches needle at p, folding ASCII letters only; the needle's double-byte characters are compared
// as two raw bytes, and a needle trail byte is never folded.
static bool matches_at(const char *p, const char *needle, bool fold)
{
    size_t i = 0;
    while (needle[i] != '\0') {
        if (p[i] == '\0')
            return false;
        size_t w = char_width(needle + i);
        if (w == 2) {
            if (p[i] != needle[i] || p[i + 1] != needle[i + 1])
                return false;
            i += 2;
            continue;
        }
        if (fold ? fold_ascii(p[i]) != fold_ascii(needle[i]) : p[i] != needle[i])
            return false;
        ++i;
    }
    return true;
}

static const char *find_impl(const char *haystack, const char *needle, bool fold)
{
    if (needle[0] == '\0')
        return haystack;
    for (const char *p = haystack; *p != '\0'; p += char_width(p)) {
        if (matches_at(p, needle, fold))
            return p;
    }
    return nullptr;
}

const char *find_nocase(const char *haystack, const char *needle) { return find_impl(haystack, needle, true); }

char *find_nocase(char *haystack, const char *needle)
{
    return const_cast<char *>(find_impl(haystack, needle, true));
}

// The next byte in [p, last] that equals `first` (ASCII letters folded when `first` is a folded
// letter); null when there is none.
static const char *next_candidate(const char *p, const char *last, char first)
{
    if (first < 'a' || first > 'z') {
        if (*p == first) // dense candidates ("%%%%") would pay a call each
            return p;
        return static_cast<const char *>(memchr(p, first, static_cast<size_t>(last - p) + 1));
    }
    while (p <= last && fold_ascii(*p) != first)
        ++p;
    return p <= last ? p : nullptr;
}

const char *find_nocase_in(const char *text, size_t length, const char *needle)
{
    const size_t needle_length = strlen(needle);
    if (needle_length == 0)
        return text;
    if (needle_length > length)
        return nullptr;
    // The same answer as find_impl, which walks the text character by character: candidates are
    // found by their first byte, and each is checked for standing at a character boundary. A byte
    // that follows a byte that cannot lead starts a character; within a run of lead-capable bytes
    // the parity of the run tells. `known` is the last boundary established, so that the runs
    // looked at never overlap and the whole search stays linear. A candidate too close to the end
    // for the whole needle is never compared.
    const char first = fold_ascii(needle[0]);
    const char *last = text + (length - needle_length);
    const char *known = text;
    for (const char *p = text; p <= last; ++p) {
        p = next_candidate(p, last, first);
        if (p == nullptr)
            return nullptr;
        const char *run = p;
        while (run > known && is_lead_byte(static_cast<unsigned char>(run[-1])))
            --run;
        if ((p - run) % 2 != 0) {
            known = p + 1; // p is a trail byte, so the next byte starts a character
            continue;
        }
        // The second byte first: a cheap necessary condition in texts dense with "%".
        if ((needle[1] == '\0' || fold_ascii(p[1]) == fold_ascii(needle[1])) && matches_at(p, needle, true))
            return p;
        known = p;
    }
    return nullptr;
}

const char *find_exact(const char *haystack, const char *needle) { return find_impl(haystack, needle, false); }

bool starts_with_nocase(const char *text, const char *prefix) { return matches_at(text, prefix, true); }

int compare_nocase_n(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        char ca = fold_ascii(a[i]);
        char cb = fold_ascii(b[i]);
        if (ca != cb)
            return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb) ? -1 : 1;
        if (ca == '\0')
            return 0;
        if (is_lead_byte(static_cast<unsigned char>(a[i])) && a[i + 1] != '\0' && i + 1 < n) {
            ++i;
            if (a[i] != b[i])
                return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
        }
    }
    return 0;
}

bool equals_nocase(const char *a, const char *b)
{
    size_t la = strlen(a);
    return la == strlen(b) && compare_nocase_n(a, b, la) == 0;
}

bool is_path_separator_at(const char *text, const char *p)
{
    if (*p != '\\' && *p != '/')
        return false;
    for (const char *q = text; *q != '\0'; q += char_width(q)) {
        if (q == p)
            return true;
        if (q > p)
            return false;
    }
    return false;
}

void split_path(const char *path, char *drive, char *dir, char *base, char *ext)
{
    const char *p = path;
    const char *rest = path;
    if (p[0] != '\0' && !is_lead_byte(static_cast<unsigned char>(p[0])) && p[1] == ':')
        rest = p + 2;
    // Last separator and last dot after it, both at character boundaries.
    const char *name = rest;
    for (const char *q = rest; *q != '\0'; q += char_width(q)) {
        if (*q == '\\' || *q == '/')
            name = q + 1;
    }
    const char *dot = nullptr;
    for (const char *q = name; *q != '\0'; q += char_width(q)) {
        if (*q == '.')
            dot = q;
    }
    const char *end = name + strlen(name);
    if (drive)
        copy_text_n(drive, path_capacity, path, static_cast<size_t>(rest - path));
    if (dir)
        copy_text_n(dir, path_capacity, rest, static_cast<size_t>(name - rest));
    if (base)
        copy_text_n(base, path_capacity, name, static_cast<size_t>((dot ? dot : end) - name));
    if (ext)
        copy_text(ext, path_capacity, dot ? dot : end);
}

static int32_t read_digits(const char *p, int base)
{
    bool negative = false;
    if (base == 10) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p == '-' || *p == '+') {
            negative = (*p == '-');
            ++p;
        }
    }
    int64_t value = 0;
    for (;; ++p) {
        int d = hex_digit_value(*p);
        if (d < 0 || d >= base)
            break;
        value = value * base + d;
        if (value > INT32_MAX)
            value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        value = INT32_MAX;
    if (value < INT32_MIN)
        value = INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t read_decimal(const char *text) { return read_digits(text, 10); }

int32_t read_hex_or_decimal(const char *text)
{
    const char *p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        return read_digits(p + 2, 16);
    return read_decimal(text);
}

int hex_digit_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void remove_byte(char *text, char c)
{
    char *out = text;
    for (const char *p = text; *p != '\0';) {
        size_t w = char_width(p);
        if (w == 1 && *p == c) {
            ++p;
            continue;
        }
        for (size_t k = 0; k < w; ++k)
            *out++ = *p++;
    }
    *out = '\0';
}

size_t whole_chars_length(const char *text, size_t length, size_t limit)
{
    size_t i = 0;
    while (i < length) {
        const size_t w = is_lead_byte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + w > limit)
            break;
        i += w;
    }
    return i < length ? i : length;
}
