#include "datafile/utf8_file.h"

#include <cstdint>
#include <cstring>

#include "datafile/load_report.h"

namespace {

// How many bytes at p form one well-formed UTF-8 character (1 to 4) into *length; else 0, with the
// bytes that an invalid sequence spends (its longest well-formed start, at least one) in *length.
size_t well_formed(const unsigned char *p, size_t left, size_t *length)
{
    const unsigned char c = p[0];
    size_t wanted = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range, narrower after some leads
    if (c < 0x80)
        wanted = 1;
    else if (c >= 0xC2 && c <= 0xDF)
        wanted = 2;
    else if (c >= 0xE0 && c <= 0xEF)
        wanted = 3, low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
    else if (c >= 0xF0 && c <= 0xF4)
        wanted = 4, low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
    size_t good = 1;
    if (wanted > 1 && left > 1 && p[1] >= low && p[1] <= high) {
        good = 2;
        while (good < wanted && good < left && (p[good] & 0xC0) == 0x80)
            ++good;
    }
    *length = good;
    return wanted != 0 && good == wanted ? good : 0;
}

} // namespace

size_t marked_file_limit(size_t limit)
{
    return limit < (SIZE_MAX - utf8_mark_size) / 4 ? limit * 4 + utf8_mark_size : SIZE_MAX - 1;
}

bool begins_with_utf8_mark(const char *data, size_t size)
{
    return size >= utf8_mark_size && memcmp(data, utf8_mark, utf8_mark_size) == 0;
}

size_t convert_utf8_text(char *data, size_t size)
{
    if (!begins_with_utf8_mark(data, size))
        return size;
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(data);
    size_t in = utf8_mark_size, out = 0, line_start = 0, length = 0;
    int replaced = 0;
    // Every step writes no more than it read, at or before where it read.
    while (in < size) {
        if (bytes[in] < 0x80) {
            data[out++] = data[in++];
            if (data[out - 1] != '\n')
                continue;
            if (replaced)
                report_load_issue(issue_not_in_sjis, line_start);
            replaced = 0;
            line_start = out;
            continue;
        }
        // Two- and three-byte characters go to the seam a run at a time.
        size_t run = in;
        while (run < size && bytes[run] >= 0x80 && well_formed(bytes + run, size - run, &length) != 0 &&
               length < 4)
            run += length;
        if (run > in) {
            out += os_utf8_to_sjis(data + in, run - in, data + out, run - in, &replaced);
            in = run;
            continue;
        }
        // An invalid sequence, or a character beyond the Basic Multilingual Plane (code page 932 has
        // none there).
        well_formed(bytes + in, size - in, &length);
        data[out++] = '?';
        in += length;
        replaced = 1;
    }
    if (replaced)
        report_load_issue(issue_not_in_sjis, line_start);
    data[out] = '\0';
    return out;
}

int read_marked_file(const char *path, int create_if_missing, size_t limit, os_buffer *out)
{
    if (os_read_whole_file(path, create_if_missing, limit, out))
        return 1;
    // Only a file too large as it stands is looked at again: as UTF-8 its text may still fit.
    char start[utf8_mark_size];
    return out->status == os_read_too_large &&
           begins_with_utf8_mark(start, os_read_file_start(path, start, sizeof start)) &&
           os_read_whole_file(path, 0, marked_file_limit(limit), out);
}

int read_file_text(const char *path, int create_if_missing, size_t limit, os_buffer *out)
{
    if (!read_marked_file(path, create_if_missing, limit, out))
        return 0;
    out->size = convert_utf8_text(out->data, out->size);
    if (out->size <= limit)
        return 1;
    os_free_buffer(out);
    out->status = os_read_too_large;
    return 0;
}

int read_file_text_into(const char *path, char *buffer, size_t capacity, size_t *text_size)
{
    *text_size = 0;
    int status = os_read_file_into(path, buffer, capacity, text_size);
    if (status == os_read_ok) {
        *text_size = convert_utf8_text(buffer, *text_size);
        return status;
    }
    char start[utf8_mark_size];
    if (status != os_read_too_large ||
        !begins_with_utf8_mark(start, os_read_file_start(path, start, sizeof start)))
        return status;
    // Too large as UTF-8 may still fit as Shift-JIS: converted in a buffer of its own.
    os_buffer whole{nullptr, 0};
    if (!os_read_whole_file(path, 0, marked_file_limit(capacity - 1), &whole))
        return whole.status;
    *text_size = convert_utf8_text(whole.data, whole.size);
    status = *text_size + 1 > capacity ? os_read_too_large : os_read_ok;
    if (status == os_read_ok)
        memcpy(buffer, whole.data, *text_size + 1);
    os_free_buffer(&whole);
    return status;
}
