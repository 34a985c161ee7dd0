// The history popup over the menu model, and the picks of "%CLM%".
#include "menus/history_popup_win32.h"

#include "expand/history_macros.h"
#include "menus/command_ids.h"
#include "menus/history_menu.h"
#include "menus/menu_win32.h"
#include "output/output_state.h"
#include "target/target.h"

static menu_model &history_model = shared_popup_model;

int show_history_popup(os_window window, int at_popup_position)
{
    reset_menu_model(&history_model);
    const int32_t root = create_menu(&history_model, menu_filled, 0);
    fill_history_menu(&history_model, root);
    if (at_popup_position == 1)
        append_normal_start(&history_model, root, popup_separator_id, popup_normal_start);
    os_point at = target.popup_origin;
    uint32_t flags = popup_flags_base;
    if (at_popup_position == 1) {
        flags = target.popup_flags;
    } else if (output.history_keep_block != 1) {
        os_rect rect{0, 0, 0, 0};
        os_window_rect(window, &rect);
        at = os_point{rect.left, rect.bottom};
    }
    const int32_t id = track_model_popup(window, &history_model, root, at, flags, false);
    return id > 0 ? carry_out_history_popup(id) : history_dismissed;
}

choice_result show_history_start_popup(os_window main)
{
    return finish_history_popup(main, show_history_popup(main, 1));
}

// The popup leaves the chosen entry in the history block, which the next pick frees.
static int pick_history_entry(os_window owner, text_piece *entry)
{
    free_history_block();
    if (show_history_popup(owner, 0) != 0)
        return 0;
    *entry = kept_history_entry();
    return 1;
}

int choose_history_macros(os_window owner)
{
    const int result = expand_history_macros(owner, pick_history_entry);
    free_history_block();
    return result;
}
