#include "search/result_list.h"

#include <cstdio>
#include <cstring>

#include "choice/choice.h"
#include "datafile/log.h"
#include "datafile/settings.h"
#include "expand/expand.h"
#include "expand/substitute.h"
#include "menus/item_caption.h"
#include "output/output_state.h"
#include "search/geometry.h"
#include "search/matching.h"
#include "search/search_state.h"
#include "search/text_file_search.h"
#include "text/sjis.h"

namespace {

bool listed_kind(const item_entry &item) { return item.kind == text_item || item.kind == utility_entry; }

void add_entry(search_result *result, int32_t index)
{
    if (result->count < item_capacity)
        result->entries[result->count++] = index;
}

// Macros in their preview form: nothing is sent, key macros are shown as key names.
void apply_preview_macros(os_window owner)
{
    output.unregistered_key_flag = 0;
    output.clipboard_macro_done = 0;
    char *text = output.output_text;
    apply_replace_macros(owner, 1);
    if (strlen(text) < preview_text_limit && expansion.sendkey_file_enabled == 1 &&
        output.clipboard_macro_done != 1 && find_pattern(text, "%$"))
        render_key_macros(text);
}

int preview_file_item(os_window owner, int32_t index, const char *line)
{
    const item_entry &item = store.items[index];
    if (settings.preview_size_limit > 0) {
        output.output_source = source_expanded;
        // The item's own switches may turn replacement on or off for this preview only.
        const int32_t replace = expansion.replace_enabled;
        const int result = expand_item_file(owner, index, expand_from_file, 1);
        expansion.replace_enabled = replace;
        return result;
    }
    write_preview_notice(line, item.text);
    return 1;
}

// Step 3 and the first two rules of step 6 for the lines of a text file or the [file] names.
struct last_line {
    text_line_sink to_list;
    char line[2 * path_capacity];
};

void remember_line(void *context, const char *line)
{
    last_line *last = static_cast<last_line *>(context);
    copy_text(last->line, sizeof last->line, line);
    last->to_list.add(last->to_list.context, line);
}

search_action text_file_pass(os_window owner, const char *pattern, search_result *result)
{
    last_line last{result->text_lines, ""};
    const text_line_sink sink{remember_line, &last};
    const int32_t count = search_run.file_choice == 1 ? list_text_file_names(pattern, 0, sink)
                                                      : list_text_file_lines(pattern, 0, sink);
    end_search_pass();
    if (count == 1 && search_run.file_choice == 1) {
        choose_text_file(owner, last.line);
        return action_file_chosen;
    }
    if (count == 1 && settings.match_accept == 1) {
        const search_action taken = take_text_file_line(owner, last.line);
        if (taken != action_nothing)
            return taken;
        return hand_over_keep_open();
    }
    if (count == 0)
        return action_nothing;
    result->show_preview = pattern[0] != '&' && settings.preview_mode > preview_off;
    return action_show_list;
}

} // namespace

void make_list_caption(int32_t index, int listing)
{
    item_caption(index, listing ? caption_listing : caption_search_hit, store.items[index].list_caption);
}

search_action search_pass(os_window owner, const char *edit_text, search_result *result)
{
    result->count = 0;
    result->show_preview = 0;
    char pattern[path_capacity];
    const bool initial = search_run.initial_word_state == initial_word_given;
    copy_text(pattern, sizeof pattern, initial ? settings.initial_search_word : edit_text);
    if (pattern[0] == '\0')
        return action_nothing;
    if (choice_run.text_file_search == text_file_on)
        return text_file_pass(owner, pattern, result);
    const bool utility_pattern = pattern[0] == '&';
    int32_t last_hit = -1;
    for (int32_t i = 0; i < store.item_count; ++i) {
        const item_entry &item = store.items[i];
        if (!listed_kind(item) || (item.plain_caption[0] == '&' && !utility_pattern))
            continue;
        if (match(item.plain_caption, pattern, folded_captions[i])) {
            make_list_caption(i, 0);
            add_entry(result, i);
            last_hit = i;
        }
    }
    end_search_pass();

    if (result->count == 1) {
        const item_entry &hit = store.items[last_hit];
        const bool clipboard_pattern = starts_with_nocase(pattern, "&1");
        if (settings.match_accept == 1 && hit.kind == text_item) {
            const search_action accepted = accept_item(owner, last_hit);
            if (accepted != action_nothing)
                return accepted;
            return hand_over_keep_open();
        }
        if (settings.match_accept == 1 && hit.kind == utility_entry) {
            if (clipboard_pattern)
                return action_clipboard_entry;
            if (starts_with_nocase(pattern, "&2") || starts_with_nocase(pattern, "&3") ||
                starts_with_nocase(pattern, "&4")) {
                run_utility_line(pattern);
                return action_end_finished;
            }
        }
        if (hit.kind == utility_entry && settings.history_running == 1 && clipboard_pattern)
            return action_clipboard_entry;
    }
    if (result->count == 0)
        return action_nothing;
    result->show_preview = !utility_pattern && settings.preview_mode > preview_off;
    return action_show_list;
}

int32_t list_all(search_result *result)
{
    result->count = 0;
    result->show_preview = settings.preview_mode > preview_off;
    if (choice_run.text_file_search == text_file_on)
        return search_run.file_choice == 1 ? list_text_file_names("", 1, result->text_lines)
                                           : list_text_file_lines("", 1, result->text_lines);
    for (int32_t i = 0; i < store.item_count; ++i) {
        const item_entry &item = store.items[i];
        if (!listed_kind(item) || item.plain_caption[0] == '&')
            continue;
        make_list_caption(i, 1);
        add_entry(result, i);
    }
    return result->count;
}

int32_t list_recent(search_result *result)
{
    result->count = 0;
    result->show_preview = settings.preview_mode > preview_off;
    if (settings.log_mode == log_off || choice_run.text_file_search != text_file_off)
        return 0;
    // Items of any kind, as the log names them.
    for (int32_t e = 0; e < log_entry_count && e < log_capacity; ++e) {
        for (int32_t i = 0; i < store.item_count; ++i) {
            if (strcmp(store.items[i].caption, log_entries[e]) != 0)
                continue;
            make_list_caption(i, 1);
            add_entry(result, i);
        }
    }
    return result->count;
}

uint32_t recent_list_style()
{
    // Sorted unless the log is shown in log order.
    return list_style_base | (settings.log_mode == log_submenu ? 0u : list_style_sorted);
}

int32_t find_listed_item(const char *line)
{
    for (int32_t i = 0; i < store.item_count; ++i) {
        const item_entry &item = store.items[i];
        if (item.kind == text_item && equals_nocase(item.list_caption, line))
            return i;
    }
    return -1;
}

int32_t listed_item(const char *line, int32_t item)
{
    if (item >= 0 && item < store.item_count && store.items[item].kind == text_item &&
        equals_nocase(store.items[item].list_caption, line))
        return item;
    return find_listed_item(line);
}

int make_preview_text(os_window owner, const char *line, int32_t kept)
{
    if (choice_run.text_file_search == text_file_on) {
        output.output_source = source_prepared;
        if (search_run.file_choice != 1) {
            line_output_text(line, output.output_text, output_text_capacity);
            apply_preview_macros(owner);
            return 1;
        }
        for (int32_t f = 0; f < store.text_file_count; ++f) {
            if (equals_nocase(store.text_file_name[f], line)) {
                text_file_base_name(f, output.output_text);
                return 1;
            }
        }
        return 0;
    }
    const int32_t index = listed_item(line, kept);
    if (index < 0)
        return 0;
    const item_entry &item = store.items[index];
    copy_text(output.latest_caption, sizeof output.latest_caption, item.caption);
    if (item.is_file == 1)
        return preview_file_item(owner, index, line);
    output.output_source = source_prepared;
    copy_text(output.output_text, sizeof output.output_text, item.text);
    if (settings.break_mark[0] != '\0') {
        text_piece line_break{"\r\n", 2};
        substitute_all(output.output_text, output_text_capacity, macro_work_buffer(), settings.break_mark,
                       fixed_replacement, &line_break);
    }
    apply_preview_macros(owner);
    return 1;
}

preview_placement preview_layout(const char *text, int32_t left, int32_t remembered_top, uint32_t dpi)
{
    auto at_dpi = [dpi](int32_t pixels) { return scale_to_dpi(pixels, dpi); };
    int64_t line_feeds = 0;
    for (const char *p = text; *p != '\0'; ++p)
        line_feeds += *p == '\n';
    const int64_t text_height = (line_feeds + 1) * at_dpi(settings.preview_font_height);
    const int32_t width = at_dpi(settings.preview_width);
    const int32_t full_height = at_dpi(settings.preview_height);
    const int32_t x = at_dpi(3), y = at_dpi(2);
    preview_placement placed;
    if (text_height + at_dpi(5) < full_height) {
        const int32_t height = static_cast<int32_t>(text_height + at_dpi(5));
        // Above the search window the preview grows upwards: its bottom stays at the search window.
        const int32_t top = settings.preview_mode == preview_beside ? remembered_top
                                                                    : remembered_top + full_height - height;
        placed.window = os_rect{left, top, left + width, top + height};
        placed.text = os_rect{x, y, x + width, y + static_cast<int32_t>(text_height + y)};
    } else {
        placed.window = os_rect{left, remembered_top, left + width, remembered_top + full_height};
        placed.text = os_rect{x, y, x + width, y + full_height - y};
    }
    return placed;
}
