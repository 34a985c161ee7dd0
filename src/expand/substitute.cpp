#include "expand/substitute.h"

#include <cstring>

#include "text/sjis.h"

void rebuild_start(rebuilt_text *r, char *out, size_t capacity)
{
    r->out = out;
    r->capacity = capacity;
    r->length = 0;
    r->cut = 0;
    out[0] = '\0';
}

int rebuild_append(rebuilt_text *r, const char *data, size_t length)
{
    if (r->cut)
        return 0;
    size_t room = r->capacity - 1 - r->length;
    if (length <= room) {
        memcpy(r->out + r->length, data, length);
        r->length += length;
        r->out[r->length] = '\0';
        return 1;
    }
    // Keep the whole characters of the piece that fit; the piece starts at a character boundary.
    size_t keep = 0;
    while (keep < room) {
        size_t w = (is_lead_byte(static_cast<unsigned char>(data[keep])) && keep + 1 < length) ? 2 : 1;
        if (keep + w > room)
            break;
        keep += w;
    }
    memcpy(r->out + r->length, data, keep);
    r->length += keep;
    r->out[r->length] = '\0';
    r->cut = 1;
    return 0;
}

// Next byte at or after p that equals first, ASCII letters folded (first is folded); null at the end.
static const char *next_candidate(const char *p, char first)
{
    if (first < 'a' || first > 'z') {
        if (*p == first) // dense candidates ("%%%%") would pay a call each
            return p;
        return *p != '\0' ? strchr(p + 1, first) : nullptr;
    }
    while (*p != '\0' && fold_ascii(*p) != first)
        ++p;
    return *p != '\0' ? p : nullptr;
}

const char *find_pattern(const char *text, const char *pattern)
{
    if (pattern[0] == '\0')
        return text;
    // The same answer as find_nocase, which walks the text character by character: candidates are
    // found by their first byte, and each is checked for standing at a character boundary. A byte
    // that follows a byte that cannot lead starts a character; within a run of lead-capable bytes
    // the parity of the run tells. `known` is the last boundary established, so that the runs
    // looked at never overlap and the whole search stays linear.
    char first = fold_ascii(pattern[0]);
    const char *known = text;
    const char *q = next_candidate(text, first);
    while (q) {
        const char *r = q;
        while (r > known && is_lead_byte(static_cast<unsigned char>(r[-1])))
            --r;
        bool boundary = ((q - r) % 2) == 0;
        if (boundary) {
            // The second byte first: a cheap necessary condition in texts dense with "%".
            if ((pattern[1] == '\0' || fold_ascii(q[1]) == fold_ascii(pattern[1])) &&
                starts_with_nocase(q, pattern))
                return q;
            known = q;
        } else {
            known = q + 1; // q is a trail byte, so the next byte starts a character
        }
        q = next_candidate(q + 1, first);
    }
    return nullptr;
}

size_t substitute_all(char *text, size_t capacity, char *work, const char *pattern, replacement_for replace,
                      void *context)
{
    size_t pattern_length = strlen(pattern);
    if (pattern_length == 0)
        return 0;
    const char *hit = find_pattern(text, pattern);
    if (!hit)
        return 0;
    rebuilt_text r;
    rebuild_start(&r, work, capacity);
    size_t count = 0;
    const char *from = text;
    while (hit) {
        // A cut before the occurrence drops it with the rest of the text.
        if (!rebuild_append(&r, from, static_cast<size_t>(hit - from)))
            break;
        text_piece piece = replace(hit, context);
        ++count;
        if (!rebuild_append(&r, piece.data, piece.length))
            break;
        from = hit + pattern_length;
        hit = find_pattern(from, pattern);
    }
    if (!r.cut)
        rebuild_append(&r, from, strlen(from));
    memcpy(text, work, r.length + 1);
    return count;
}

text_piece fixed_replacement(const char *, void *context)
{
    return *static_cast<text_piece *>(context);
}

void drop_split_character(char *text, size_t length)
{
    size_t i = 0;
    while (i < length) {
        if (is_lead_byte(static_cast<unsigned char>(text[i]))) {
            if (i + 1 >= length) {
                text[i] = '\0';
                return;
            }
            i += 2;
        } else {
            ++i;
        }
    }
}

char *macro_work_buffer()
{
    static char work[work_buffer_capacity];
    return work;
}
