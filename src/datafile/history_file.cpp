#include "datafile/history_file.h"

#include <cstring>

#include "text/sjis.h"

// The layout is little-endian whatever the machine: read and written byte by byte.
static int32_t read_le32(const char *p)
{
    const unsigned char *b = reinterpret_cast<const unsigned char *>(p);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

static void write_le32(char *p, int32_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

int parse_history(const char *data, size_t size, history_view *out)
{
    out->count = 0;
    out->current = -1;
    if (size < history_header_size)
        return 0;
    const size_t data_size = size - history_header_size;
    size_t offset = 0;
    for (int32_t h = 0; h < history_capacity; ++h) {
        const int32_t length = read_le32(data + 4 * h);
        if (length <= 0)
            break;
        // The first entry that runs past the end ends the list (the first one, the whole file).
        if (static_cast<size_t>(length) > data_size - offset)
            break;
        out->entry[h] = data + history_header_size + offset;
        out->length[h] = length;
        offset += static_cast<size_t>(length);
        out->count = h + 1;
    }
    if (out->count == 0)
        return 0;
    const int32_t current = read_le32(data + history_current_offset);
    if (current >= 0 && current < out->count)
        out->current = current;
    return 1;
}

int read_history_file(const char *path, os_buffer *buffer, history_view *out)
{
    out->count = 0;
    out->current = -1;
    if (!os_read_whole_file(path, 0, history_file_limit, buffer))
        return 0;
    return parse_history(buffer->data, buffer->size, out);
}

int load_recorder_image(const char *path, char *image, size_t capacity, size_t *size)
{
    *size = 0;
    os_buffer file;
    if (!os_read_whole_file(path, 0, history_file_limit, &file)) {
        if (file.status == os_read_missing)
            return 1;
        if (file.status != os_read_too_large)
            return 0;
    }
    history_view view;
    // A file of ours that holds no entry has a first length of 0 (or no bytes at all).
    const bool kept = file.status == os_read_ok && file.size <= capacity &&
                      (parse_history(file.data, file.size, &view) || file.size == 0 ||
                       (file.size >= history_header_size && read_le32(file.data) == 0));
    if (kept && file.size > 0) {
        memcpy(image, file.data, file.size);
        *size = file.size;
    }
    os_free_buffer(&file);
    if (kept)
        return 1;
    char bad[path_capacity];
    copy_text(bad, sizeof bad, path);
    return append_text(bad, sizeof bad, ".bad") && os_copy_file(path, bad) ? 1 : 0;
}

static void write_header(char *image, const int32_t *lengths, int32_t count)
{
    for (int32_t h = 0; h < history_capacity; ++h)
        write_le32(image + 4 * h, h < count ? lengths[h] : 0);
    write_le32(image + history_current_offset, count > 0 ? 0 : history_no_current);
}

int record_history_text(char *image, size_t capacity, size_t *size, const char *text, size_t length)
{
    history_view old;
    parse_history(image, *size, &old);
    length = whole_chars_length(text, length, history_entry_limit);
    if (length == 0 || history_header_size + length > capacity)
        return 0;
    int32_t held = 0;
    while (held < old.count &&
           !(static_cast<size_t>(old.length[held]) == length && memcmp(old.entry[held], text, length) == 0))
        ++held;
    if (held == 0 && old.count > 0)
        return 0;
    // An older equal entry moves to the top: it leaves its place, then goes in as a new text.
    if (held < old.count) {
        char *at = image + (old.entry[held] - image);
        memmove(at, at + length, static_cast<size_t>(image + *size - (at + length)));
        for (int32_t h = held; h + 1 < old.count; ++h)
            old.length[h] = old.length[h + 1];
        --old.count;
    }
    // The kept entries are the newest ones, which lie together right after the header.
    int32_t lengths[history_capacity];
    lengths[0] = static_cast<int32_t>(length);
    int32_t kept = 0;
    size_t kept_bytes = 0;
    while (kept < old.count && kept < history_capacity - 1 &&
           history_header_size + length + kept_bytes + static_cast<size_t>(old.length[kept]) <= capacity) {
        kept_bytes += static_cast<size_t>(old.length[kept]);
        lengths[kept + 1] = old.length[kept];
        ++kept;
    }
    memmove(image + history_header_size + length, image + history_header_size, kept_bytes);
    memcpy(image + history_header_size, text, length);
    write_header(image, lengths, kept + 1);
    *size = history_header_size + length + kept_bytes;
    return 1;
}

void normalise_history_image(char *image, size_t capacity, size_t *size)
{
    history_view view;
    parse_history(image, *size, &view);
    size_t bytes = 0;
    for (int32_t h = 0; h < view.count; ++h)
        bytes += static_cast<size_t>(view.length[h]);
    if (capacity >= history_header_size)
        write_header(image, view.length, view.count);
    *size = history_header_size + bytes;
}
