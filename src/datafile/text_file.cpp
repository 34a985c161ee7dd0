#include "datafile/text_file.h"

#include <cstring>

#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "datafile/utf8_file.h"
#include "text/sjis.h"

char text_file_delimiter[260];

namespace {

constexpr char delimiter_prefix[] = "@dlm=";

// An empty comment mark would make every line a comment; it means no comments instead.
bool is_comment(const char *line)
{
    const char *mark = settings.comment_mark;
    const size_t length = strlen(mark);
    return length > 0 && strncmp(line, mark, length) == 0;
}

// Splits a line at the first delimiter (found ignoring case) into text and caption; a line that
// ends with the delimiter shows its text.
void split_entry(const char *line, text_file_entry *entry)
{
    const char *at = text_file_delimiter[0] != '\0' ? find_nocase(line, text_file_delimiter) : nullptr;
    if (at == nullptr) {
        copy_text(entry->text, sizeof entry->text, line);
        copy_text(entry->caption, sizeof entry->caption, line);
        return;
    }
    copy_text_n(entry->text, sizeof entry->text, line, static_cast<size_t>(at - line));
    const char *after = at + strlen(text_file_delimiter);
    copy_text(entry->caption, sizeof entry->caption, *after != '\0' ? after : entry->text);
}

struct entry_search {
    int32_t wanted;
    char *out;
    size_t capacity;
    int found;
};

bool take_wanted(void *context, const text_file_entry &entry)
{
    entry_search *search = static_cast<entry_search *>(context);
    if (entry.number != search->wanted)
        return true;
    copy_text(search->out, search->capacity, entry.text);
    search->found = 1;
    return false;
}

bool listed(int32_t f)
{
    return f >= 0 && f < store.text_file_count && f < text_file_capacity;
}

} // namespace

int32_t walk_text_file(const char *data, size_t size, text_entry_visitor visit, void *context)
{
    memset(text_file_delimiter, 0, sizeof text_file_delimiter);
    char line[line_buffer_size];
    text_file_entry entry;
    int32_t blanks = 0, entries = 0;
    for (size_t offset = 0, advance = 0; offset < size; offset += advance) {
        advance = read_line(offset, size, data, 0, line);
        if (offset + advance > size)
            break; // the last line has no LF
        if (is_comment(line))
            continue;
        if (line[0] == '\0') {
            ++blanks;
            continue;
        }
        if (entries == 0 && starts_with_nocase(line, delimiter_prefix)) {
            copy_text(text_file_delimiter, sizeof text_file_delimiter, line + strlen(delimiter_prefix));
            continue;
        }
        entry.number = entries;
        entry.blanks = blanks;
        split_entry(line, &entry);
        blanks = 0;
        ++entries;
        if (!visit(context, entry))
            break;
    }
    return entries;
}

int32_t walk_listed_text_file(int32_t f, text_entry_visitor visit, void *context)
{
    memset(text_file_delimiter, 0, sizeof text_file_delimiter);
    if (!listed(f))
        return 0;
    os_buffer file{nullptr, 0};
    if (!read_file_text(store.text_file_path[f], 0, text_file_read_limit, &file))
        return 0;
    const int32_t entries = walk_text_file(file.data, file.size, visit, context);
    os_free_buffer(&file);
    return entries;
}

int find_text_file_entry(int32_t f, int32_t n, char *out, size_t capacity)
{
    entry_search search{n, out, capacity, 0};
    walk_listed_text_file(f, take_wanted, &search);
    return search.found;
}

int32_t text_file_sendkey_rule(int32_t f)
{
    char base[path_capacity] = "";
    if (listed(f))
        split_path(store.text_file_path[f], nullptr, nullptr, base, nullptr);
    return base[0] == '$' ? 1 : settings.sendkey_enabled;
}

int append_line(const char *text)
{
    const int32_t f = store.text_file_selected;
    if (!listed(f))
        return 0;
    char line[line_limit + 3];
    copy_text(line, line_limit + 1, text);
    append_text(line, sizeof line, "\r\n");
    const char *path = store.text_file_path[f];
    char start[utf8_mark_size + 1];
    const size_t got = os_read_file_start(path, start, sizeof start);
    if (!begins_with_utf8_mark(start, got))
        return os_append_existing_file(path, line, strlen(line), "\r\n");
    // A UTF-8 file stays UTF-8; after the mark alone there is no last line to end.
    char utf8[3 * sizeof line];
    return os_sjis_to_utf8(line, utf8, sizeof utf8) &&
           os_append_existing_file(path, utf8, strlen(utf8), got > utf8_mark_size ? "\r\n" : nullptr);
}
