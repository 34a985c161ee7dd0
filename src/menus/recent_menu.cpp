#include "menus/recent_menu.h"

#include <cstring>

#include "datafile/item_store.h"
#include "datafile/log.h"
#include "datafile/settings.h"
#include "menus/command_ids.h"
#include "menus/item_caption.h"
#include "text/sjis.h"

namespace {

const char more_caption[] = "21 -&>";

// The submenu of the later entries, made with its header before the first entry it receives (once,
// even when the model is full and it could not be made).
int32_t later_entries_menu(menu_model *m, int32_t menu, bool *made, int32_t *later)
{
    if (!*made) {
        *made = true;
        *later = create_menu(m, menu_filled, 0);
        append_menu_entry(m, menu, utility_separator_id, menu_separator, "", -1);
        append_menu_entry(m, menu, recent_more_command, 0, more_caption, *later);
    }
    return *later;
}

} // namespace

void fill_recent_menu(menu_model *m, int32_t menu)
{
    bool later_made = false;
    int32_t later = -1;
    char caption[path_capacity];
    for (int32_t e = 0; e < log_entry_count && e < log_capacity; ++e) {
        for (int32_t j = 0; j < store.item_count; ++j) {
            if (strcmp(store.items[j].caption, log_entries[e]) != 0)
                continue;
            item_caption(j, caption_recent_menu, caption);
            const int32_t target_menu =
                e < recent_menu_split ? menu : later_entries_menu(m, menu, &later_made, &later);
            append_menu_entry(m, target_menu, item_commands.first + j, 0, caption, -1);
        }
    }
}

int32_t build_recent_popup(menu_model *m)
{
    reset_menu_model(m);
    const int32_t root = create_menu(m, menu_filled, 0);
    fill_recent_menu(m, root);
    append_normal_start(m, root, recent_popup_separator_id, recent_popup_normal_start);
    return root;
}

choice_result dispatch_recent_popup_command(os_window main, int32_t id)
{
    if (item_commands.holds(id))
        return finish_item(main, id - item_commands.first);
    return id == recent_popup_normal_start ? choice_continue : choice_cancelled;
}
