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

const char *find_pattern(const char *text, const char *pattern)
{
    return find_nocase_in(text, strlen(text), pattern);
}

size_t substitute_all(char *text, size_t capacity, char *work, const char *pattern, replacement_for replace,
                      void *context)
{
    size_t pattern_length = strlen(pattern);
    if (pattern_length == 0)
        return 0;
    // Measured once: each search after an occurrence is bounded by the same end.
    const char *end = text + strlen(text);
    const char *hit = find_nocase_in(text, static_cast<size_t>(end - text), pattern);
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
        hit = find_nocase_in(from, static_cast<size_t>(end - from), pattern);
    }
    if (!r.cut)
        rebuild_append(&r, from, static_cast<size_t>(end - from));
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
