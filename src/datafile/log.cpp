#include "datafile/log.h"

#include <cstring>

#include "datafile/item_store.h"
#include "datafile/section_reader.h"
#include "datafile/settings.h"
#include "text/sjis.h"

char log_entries[log_capacity][260];
int32_t log_entry_count;

namespace {

constexpr size_t caption_limit = 259;

// The first line plus the older entries, each with its CR LF.
constexpr size_t log_file_capacity = (log_capacity + 1) * (caption_limit + 2);

// A log far larger than its entries is some other file: it is not read, nor replaced.
constexpr size_t log_read_limit = 1024 * 1024;

// Set when the log exists but could not be read: it is not replaced in this run.
bool log_unreadable;

bool is_item_caption(const char *text)
{
    for (int32_t i = 0; i < store.item_count; ++i)
        if (strcmp(store.items[i].caption, text) == 0)
            return true;
    return false;
}

int32_t entry_limit()
{
    const int32_t limit = settings.log_max_entries;
    return limit < 0 ? 0 : limit > log_capacity ? log_capacity : limit;
}

void append_log_line(char *file, size_t *size, const char *text)
{
    const size_t length = strlen(text);
    memcpy(file + *size, text, length);
    memcpy(file + *size + length, "\r\n", 2);
    *size += length + 2;
}

} // namespace

void read_log_text(const char *data, size_t size)
{
    log_entry_count = 0;
    const int32_t limit = entry_limit();
    char line[line_buffer_size];
    for (size_t offset = 0, advance = 0; log_entry_count < limit && offset < size;
         offset += advance) {
        advance = read_line(offset, size, data, 0, line);
        if (offset + advance > size)
            break;
        // A zero byte ends the copied text early: the line is no caption, though its start may be one.
        // A line longer than a caption (read_line keeps 517 bytes) equals none.
        if (line[0] == '\0' || memchr(data + offset, '\0', advance - 1))
            continue;
        if (is_item_caption(line))
            copy_text(log_entries[log_entry_count++], sizeof log_entries[0], line);
    }
}

void read_log(os_window)
{
    log_entry_count = 0;
    log_unreadable = false;
    if (entry_limit() == 0)
        return;
    os_buffer file;
    if (!os_read_whole_file(settings.log_file_path, 0, log_read_limit, &file)) {
        log_unreadable = file.status != os_read_missing;
        return;
    }
    read_log_text(file.data, file.size);
    os_free_buffer(&file);
}

void write_log(const char *latest_caption)
{
    static char file[log_file_capacity];
    size_t size = 0;
    // The clipboard and history entries are no item: nothing to remember.
    if (latest_caption[0] == '\0' || log_unreadable)
        return;
    char first[caption_limit + 1];
    copy_text(first, sizeof first, latest_caption);
    append_log_line(file, &size, first);
    // Every entry still names an item: read_log kept no other, and the store is not reloaded.
    for (int32_t e = 0; e < log_entry_count && e < log_capacity; ++e) {
        if (strcmp(log_entries[e], first) != 0)
            append_log_line(file, &size, log_entries[e]);
    }
    // Written beside the log and then put in its place: a failed write leaves the old log whole.
    // A resident search window pastes again in the same process, so the entries follow the file;
    // kept as read at start, the next write would drop this caption.
    if (os_replace_file(settings.log_file_path, file, size))
        read_log(0);
}
