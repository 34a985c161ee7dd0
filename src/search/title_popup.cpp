#include "search/title_popup.h"

#include <cstring>

#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "menus/command_ids.h"
#include "menus/main_menu.h"
#include "search/matching.h"
#include "search/search_state.h"

int32_t find_title_row(const char *title)
{
    for (int32_t t = 0; t < store.title_count; ++t) {
        if (regex_match(title, store.title_pattern[t]))
            return t;
    }
    return -1;
}

int32_t find_plain_caption(const char *caption)
{
    for (int32_t i = 0; i < store.item_count; ++i) {
        if (strcmp(store.items[i].plain_caption, caption) == 0)
            return i;
    }
    return -1;
}

title_pick pick_by_title(const char *title)
{
    if (!load_matching_libraries(1))
        return title_pick{title_nothing, -1};
    const int32_t row = find_title_row(title);
    unload_matching_libraries(1);
    const int32_t item = row >= 0 ? find_plain_caption(store.title_group[row]) : -1;
    if (item < 0)
        return title_pick{title_nothing, -1};
    switch (store.items[item].kind) {
    case text_item:
        return title_pick{title_plain_item, item};
    case group_open:
        return title_pick{title_group, item};
    default:
        return title_pick{title_nothing, -1};
    }
}

int32_t build_title_popup(menu_model *m, int32_t group)
{
    reset_menu_model(m);
    const int32_t root = create_menu(m, menu_filled, 0);
    fill_item_menu(m, root, group, 1);
    append_normal_start(m, root, popup_separator_id, popup_normal_start);
    return root;
}

choice_result carry_out_title_choice(os_window main, int32_t id)
{
    if (id < 0)
        return choice_scheduled;
    if (id == 0) {
        os_close_window(main);
        return choice_scheduled;
    }
    if (!item_commands.holds(id) || finish_item(main, id - item_commands.first) != choice_scheduled)
        return choice_continue;
    search_run.search_kind = search_popup_menu;
    return choice_scheduled;
}
