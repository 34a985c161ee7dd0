#include "menus/text_file_menu.h"

#include <cstdio>

#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "datafile/text_file.h"
#include "expand/expand.h"
#include "menus/command_ids.h"
#include "output/output_state.h"
#include "text/sjis.h"

namespace {

// "&I" carries a trailing blank in both lists.
const char *const file_prefixes[10] = {"&A", "&B", "&C", "&D", "&E", "&F", "&G", "&H", "&I ", "&J"};
const char *const group_prefixes[26] = {"&A", "&B", "&C", "&D", "&E", "&F", "&G", "&H", "&I ",
                                        "&J", "&K", "&L", "&M", "&N", "&O", "&P", "&Q", "&R",
                                        "&S", "&T", "&U", "&V", "&W", "&X", "&Y", "&Z"};
const char none_caption[] = "なし";
constexpr int32_t group_limit = 26;

// The state of one file menu's layout while its entries arrive.
struct line_layout {
    menu_model *m;
    int32_t root;
    int32_t current; // the root until the first group, then the last group's submenu
    int32_t rows, columns, groups, placed;
    int32_t limit;
};

void append_separator(menu_model *m, int32_t menu)
{
    append_menu_entry(m, menu, list_separator_id, menu_separator, "", -1);
}

// Returns false when the 26 groups are used up and reading stops.
bool start_group(line_layout *l, const text_file_entry &entry, const char *caption)
{
    if (l->groups >= group_limit)
        return false;
    char header[3 * line_buffer_size];
    if (settings.file_menu_numbered == 1)
        snprintf(header, sizeof header, "%s : %d ～", group_prefixes[l->groups],
                 static_cast<int>(entry.number));
    else
        snprintf(header, sizeof header, "%s : %s ～", group_prefixes[l->groups], caption);
    // The first header opens a column beside the entries so far; later ones stand below it.
    uint32_t flags = menu_column_break;
    if (l->groups > 0) {
        append_separator(l->m, l->root);
        flags = 0;
    }
    const int32_t sub = create_menu(l->m, menu_filled, 0);
    append_menu_entry(l->m, l->root, text_file_group_commands.first + l->groups, flags, header, sub);
    if (sub >= 0)
        l->current = sub;
    append_menu_entry(l->m, l->current, text_line_commands.first + entry.number, 0, caption, -1);
    l->rows = 1;
    l->columns = 1;
    ++l->groups;
    return true;
}

bool start_column(line_layout *l, const text_file_entry &entry, const char *caption)
{
    if (l->columns >= settings.file_menu_columns)
        return start_group(l, entry, caption);
    append_menu_entry(l->m, l->current, text_line_commands.first + entry.number, menu_column_break, caption,
                      -1);
    l->rows = 1;
    ++l->columns;
    return true;
}

// One blank line gives a separator, two a new column, three or more a new group. A column holds
// file_menu_rows + 1 rows, a separator counting as one.
bool place_entry(void *context, const text_file_entry &entry)
{
    line_layout *l = static_cast<line_layout *>(context);
    char caption[line_buffer_size];
    if (settings.file_caption_length > 0)
        copy_text_n(caption, sizeof caption, entry.caption,
                    static_cast<size_t>(settings.file_caption_length));
    else
        copy_text(caption, sizeof caption, entry.caption);
    const int32_t id = text_line_commands.first + entry.number;
    const int32_t rows = settings.file_menu_rows;
    bool going = true;
    if (entry.blanks == 0 && l->rows <= rows) {
        append_menu_entry(l->m, l->current, id, 0, caption, -1);
        ++l->rows;
    } else if (entry.blanks == 1 && l->rows < rows) {
        if (l->rows > 0)
            append_separator(l->m, l->current);
        append_menu_entry(l->m, l->current, id, 0, caption, -1);
        l->rows += 2;
    } else if (entry.blanks <= 2) {
        going = start_column(l, entry, caption);
    } else {
        going = start_group(l, entry, caption);
    }
    if (!going)
        return false;
    ++l->placed;
    return l->placed < l->limit;
}

} // namespace

void fill_text_file_list_menu(menu_model *m, int32_t menu, int with_submenus)
{
    int32_t group_menu = -1;
    char caption[3 * path_capacity];
    const int32_t count =
        store.text_file_count < text_file_capacity ? store.text_file_count : text_file_capacity;
    for (int32_t f = 0; f < count; ++f) {
        int32_t target_menu = menu;
        if (f >= 10) {
            const int32_t g = f / 10;
            if (f == 10 * g) {
                snprintf(caption, sizeof caption, "&%d : %s ～", static_cast<int>(g),
                         store.text_file_name[f]);
                append_menu_entry(m, menu, list_separator_id, menu_separator, "", -1);
                group_menu = create_menu(m, menu_filled, 0);
                append_menu_entry(m, menu, text_file_header_commands.first + 10 * (g - 1), 0, caption,
                                  group_menu);
            }
            target_menu = group_menu;
        }
        if (target_menu < 0)
            continue;
        snprintf(caption, sizeof caption, "%s  %s", file_prefixes[f % 10], store.text_file_name[f]);
        const int32_t lines = with_submenus == 1 ? create_menu(m, menu_lazy_text_file, f) : -1;
        append_menu_entry(m, target_menu, text_file_commands.first + f, 0, caption, lines);
    }
}

void fill_text_file_menu(menu_model *m, int32_t menu, int32_t f)
{
    store.text_file_selected = f;
    clear_menu(m, menu);
    const int32_t limit =
        settings.file_menu_max_lines < text_entry_limit ? settings.file_menu_max_lines : text_entry_limit;
    line_layout layout{m, menu, menu, 0, 1, 0, 0, limit > 0 ? limit : 1};
    walk_listed_text_file(f, place_entry, &layout);
    if (layout.placed == 0)
        append_menu_entry(m, menu, text_file_group_commands.first, 0, none_caption, -1);
}

int load_text_file_line(int32_t n)
{
    const int32_t f = store.text_file_selected;
    if (!find_text_file_entry(f, n, output.output_text, output_text_capacity))
        return 0;
    expansion.sendkey_file_enabled = text_file_sendkey_rule(f);
    return 1;
}
