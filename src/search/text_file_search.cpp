#include "search/text_file_search.h"

#include <cstring>

#include "choice/choice.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "datafile/text_file.h"
#include "datafile/utf8_file.h"
#include "expand/expand.h"
#include "output/output_state.h"
#include "search/matching.h"
#include "search/search_state.h"
#include "text/sjis.h"

namespace {

os_buffer text_file_text{nullptr, 0};

const char unreadable_message[] = "データファイルが読めません";
const char empty_message[] = "データファイルが空です";

struct line_listing {
    const char *pattern;
    int all;
    text_line_sink sink;
    int32_t count;
};

bool list_entry(void *context, const text_file_entry &entry)
{
    line_listing *l = static_cast<line_listing *>(context);
    if (l->all == 1 || match(entry.caption, l->pattern)) {
        l->sink.add(l->sink.context, settings.show_text_default == 1 ? entry.text : entry.caption);
        ++l->count;
    }
    return true;
}

struct shown_lookup {
    const char *shown;
    char *out;
    size_t capacity;
    int found;
};

bool find_shown(void *context, const text_file_entry &entry)
{
    shown_lookup *l = static_cast<shown_lookup *>(context);
    if (strcmp(entry.caption, l->shown) != 0)
        return true;
    copy_text(l->out, l->capacity, entry.text);
    l->found = 1;
    return false;
}

// Text-file search stays on only with a text to search.
int fail_load(os_window owner, const char *message)
{
    free_text_file();
    os_error_box(owner, message);
    choice_run.text_file_search = text_file_off;
    return 0;
}

} // namespace

int load_text_file(os_window owner)
{
    free_text_file();
    const int32_t f = store.text_file_selected;
    if (f < 0 || f >= store.text_file_count ||
        !read_file_text(store.text_file_path[f], 0, text_file_read_limit, &text_file_text))
        return fail_load(owner, unreadable_message);
    if (text_file_text.size == 0)
        return fail_load(owner, empty_message);
    expansion.sendkey_file_enabled = text_file_sendkey_rule(f);
    return 1;
}

void free_text_file()
{
    if (text_file_text.data)
        os_free_buffer(&text_file_text);
    text_file_text = os_buffer{nullptr, 0};
}

int select_text_file(os_window owner, int32_t f)
{
    if (f < 0 || f >= store.text_file_count)
        return 0;
    store.text_file_selected = f;
    return load_text_file(owner);
}

int32_t list_text_file_lines(const char *pattern, int all, text_line_sink sink)
{
    line_listing listing{pattern, all, sink, 0};
    if (text_file_text.data)
        walk_text_file(text_file_text.data, text_file_text.size, list_entry, &listing);
    return listing.count;
}

int32_t list_text_file_names(const char *pattern, int all, text_line_sink sink)
{
    int32_t count = 0;
    for (int32_t f = 0; f < store.text_file_count; ++f) {
        if (all == 1 || match(store.text_file_name[f], pattern)) {
            sink.add(sink.context, store.text_file_name[f]);
            ++count;
        }
    }
    return count;
}

void line_output_text(const char *shown, char *out, size_t capacity)
{
    shown_lookup lookup{shown, out, capacity, 0};
    if (settings.show_text_default != 1 && text_file_text.data)
        walk_text_file(text_file_text.data, text_file_text.size, find_shown, &lookup);
    if (!lookup.found)
        copy_text(out, capacity, shown);
}

int choose_text_file(os_window owner, const char *name)
{
    int loaded = 0;
    for (int32_t f = 0; f < store.text_file_count; ++f) {
        if (equals_nocase(store.text_file_name[f], name))
            loaded = select_text_file(owner, f);
    }
    search_run.file_choice = 0;
    return loaded;
}

void text_file_base_name(int32_t f, char *out)
{
    out[0] = '\0';
    if (f >= 0 && f < store.text_file_count)
        split_path(store.text_file_path[f], nullptr, nullptr, out, nullptr);
}

int switch_text_file_search_on(os_window owner)
{
    if (store.text_file_count <= 0 || !load_text_file(owner))
        return 0;
    choice_run.text_file_search = text_file_on;
    return 1;
}

void switch_text_file_search_off()
{
    free_text_file();
    choice_run.text_file_search = text_file_off;
    expansion.sendkey_file_enabled = settings.sendkey_enabled;
}

int32_t toggle_file_choice()
{
    search_run.file_choice = search_run.file_choice == 1 ? 0 : 1;
    return search_run.file_choice;
}

search_action take_text_file_line(os_window owner, const char *shown)
{
    if (no_target_for_paste())
        return action_end_no_target;
    output.output_source = source_prepared;
    line_output_text(shown, output.output_text, output_text_capacity);
    apply_macros(owner, 0);
    if (end_on_clipboard(owner))
        return action_end_finished;
    return action_nothing;
}

search_action insert_typed_line(os_window owner, const char *typed)
{
    if (typed[0] == '\0' || search_run.confirmed_search != 0 || search_run.file_choice != 0 ||
        choice_run.text_file_search != text_file_on)
        return action_nothing;
    append_line(typed);
    if (no_target_for_paste())
        return action_end_no_target;
    output.output_source = source_prepared;
    copy_text(output.output_text, output_text_capacity, typed);
    if (end_on_clipboard(owner))
        return action_end_finished;
    return hand_over();
}
