#include "menus/history_menu.h"

#include <cstdio>
#include <cstring>

#include "datafile/history_file.h"
#include "datafile/settings.h"
#include "menus/command_ids.h"
#include "output/output_state.h"
#include "text/sjis.h"

namespace {

const char none_caption[] = "なし";
const char *const prefixes[30] = {"&1", "&2", "&3", "&4", "&5", "&6", "&7", "&8", "&9", "&A",
                                  "&B", "&C", "&D", "&E", "&F", "&G", "&H", "&I ", "&J", "&K",
                                  "&L", "&M", "&N", "&O", "&P", "&Q", "&R", "&S", "&T", "&U"};

// The groups after the first 30 entries: where each starts and its header.
struct history_group {
    int32_t first;
    const char *caption;
};
const history_group groups[] = {
    {30, "&V : 31 ～ 60"},
    {60, "&W : 61 ～ 80"},
    {80, "&X : 81 ～ 100"},
};

os_buffer history_block;
text_piece kept_entry;

// Replaces every `from` (of ASCII bytes, which are never trail bytes) in text (260 bytes) by `to`.
void replace_all(char *text, const char *from, const char *to)
{
    char out[path_capacity];
    out[0] = '\0';
    const size_t from_length = strlen(from);
    for (const char *p = text; *p;) {
        const char *hit = strstr(p, from);
        const size_t keep = hit ? static_cast<size_t>(hit - p) : strlen(p);
        char piece[path_capacity];
        copy_text_n(piece, sizeof piece, p, keep);
        append_text(out, sizeof out, piece);
        if (!hit)
            break;
        append_text(out, sizeof out, to);
        p = hit + from_length;
    }
    copy_text(text, path_capacity, out);
}

// Where the last `limit` bytes begin at a character boundary; a cut by bytes alone could leave half
// a character in the caption.
size_t tail_start(const char *text, size_t length, size_t limit)
{
    size_t i = 0;
    while (i < length && length - i > limit)
        i += is_lead_byte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i < length ? i : length;
}

// The menu text of one entry (out: 260 bytes): its head, " :::::::: " and its tail when it is
// longer than the head, with breaks, "&" and TABs made visible.
void display_text(const char *entry, int32_t stored_length, char *out)
{
    const size_t length = strnlen(entry, static_cast<size_t>(stored_length));
    const size_t head = static_cast<size_t>(settings.history_head_chars);
    const size_t tail = static_cast<size_t>(settings.history_tail_chars);
    if (length > head) {
        copy_text_n(out, path_capacity, entry, whole_chars_length(entry, length, head));
        if (tail != 0) {
            append_text(out, path_capacity, " :::::::: ");
            const size_t start = tail_start(entry, length, tail);
            char piece[path_capacity];
            copy_text_n(piece, sizeof piece, entry + start, length - start);
            append_text(out, path_capacity, piece);
        }
    } else {
        copy_text_n(out, path_capacity, entry, length);
    }
    replace_all(out, "\r\n", "↓");
    replace_all(out, "&", "_");
    replace_all(out, "\t", " ");
}

void append_separator(menu_model *m, int32_t menu)
{
    append_menu_entry(m, menu, list_separator_id, menu_separator, "", -1);
}

} // namespace

void fill_history_menu(menu_model *m, int32_t menu)
{
    clear_menu(m, menu);
    os_buffer buffer;
    history_view view;
    if (!read_history_file(settings.history_path, &buffer, &view)) {
        os_free_buffer(&buffer);
        append_menu_entry(m, menu, list_separator_id, 0, none_caption, -1);
        return;
    }
    char text[path_capacity], current_text[path_capacity] = "", caption[2 * path_capacity];
    int32_t target_menu = menu, group_first = 0;
    for (int32_t h = 0; h < view.count; ++h) {
        for (int32_t g = 0; g < 3; ++g) {
            if (groups[g].first != h)
                continue;
            append_separator(m, menu);
            const int32_t sub = create_menu(m, menu_filled, 0);
            append_menu_entry(m, menu, history_group_commands.first + g, 0, groups[g].caption, sub);
            target_menu = sub;
            group_first = h;
        }
        display_text(view.entry[h], view.length[h], text);
        snprintf(caption, sizeof caption, "%s  %s", prefixes[h - group_first], text);
        append_menu_entry(m, target_menu, history_commands.first + h, 0, caption, -1);
        if (h == view.current)
            copy_text(current_text, sizeof current_text, text);
    }
    if (view.current >= 0) {
        append_separator(m, menu);
        snprintf(caption, sizeof caption, "&0  %s", current_text);
        append_menu_entry(m, menu, history_current_command, 0, caption, -1);
    }
    os_free_buffer(&buffer);
}

void free_history_block()
{
    os_free_buffer(&history_block);
    kept_entry = text_piece{"", 0};
}

text_piece kept_history_entry() { return kept_entry.data ? kept_entry : text_piece{"", 0}; }

int load_history_entry(int32_t index)
{
    free_history_block();
    os_buffer buffer;
    history_view view;
    const int listed = read_history_file(settings.history_path, &buffer, &view);
    if (index == history_current_command - history_commands.first)
        index = view.current;
    if (!listed || index < 0 || index >= view.count) {
        os_free_buffer(&buffer);
        return 0;
    }
    // Taken as a terminated string, as the clipboard would take it.
    const char *entry = view.entry[index];
    const size_t length = strnlen(entry, static_cast<size_t>(view.length[index]));
    if (output.history_keep_block == 1) {
        history_block = buffer;
        kept_entry = text_piece{entry, length};
        return 1;
    }
    output.output_source = source_expanded;
    copy_text_n(output.output_text, output_text_capacity, entry, length);
    if (length >= output_text_capacity)
        drop_split_character(output.output_text, output_text_capacity - 1);
    os_free_buffer(&buffer);
    return 1;
}

int carry_out_history_popup(int32_t id)
{
    if (id == popup_normal_start)
        return history_normal_start;
    return history_commands.holds(id) && load_history_entry(id - history_commands.first) ? history_entry_loaded
                                                                                         : history_dismissed;
}

choice_result finish_history_popup(os_window main, int popup_result)
{
    if (popup_result == history_normal_start)
        return choice_continue;
    return popup_result == history_entry_loaded ? finish_history_entry(main) : choice_cancelled;
}

choice_result choose_history_entry(os_window main, int32_t id)
{
    if (no_target_for_paste() || !load_history_entry(id - history_commands.first))
        return choice_cancelled;
    return finish_history_entry(main);
}
