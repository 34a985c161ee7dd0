#include "menus/text_file_popup_win32.h"

#include <windows.h>

#include "datafile/item_store.h"
#include "choice/choice.h"
#include "datafile/settings.h"
#include "menus/command_ids.h"
#include "menus/menu_win32.h"
#include "menus/text_file_menu.h"
#include "target/target.h"

static menu_model &text_file_model = shared_popup_model;

choice_result show_text_file_popup(os_window main)
{
    reset_menu_model(&text_file_model);
    const int32_t root = create_menu(&text_file_model, menu_filled, 0);
    if (settings.text_file_preselected == 1)
        fill_text_file_menu(&text_file_model, root, store.text_file_selected);
    else
        fill_text_file_list_menu(&text_file_model, root, 1);
    append_normal_start(&text_file_model, root, popup_separator_id, popup_normal_start);
    const int32_t id =
        track_model_popup(main, &text_file_model, root, target.popup_origin, target.popup_flags, false);
    if (id == popup_normal_start) {
        choice_run.text_file_search = text_file_off;
        return choice_continue;
    }
    // The file is read again: one that went away since the menu showed pastes nothing.
    if (text_line_commands.holds(id) && load_text_file_line(id - text_line_commands.first))
        return finish_text(main);
    return choice_cancelled;
}

int32_t show_text_file_list_popup(os_window window)
{
    reset_menu_model(&text_file_model);
    const int32_t root = create_menu(&text_file_model, menu_filled, 0);
    fill_text_file_list_menu(&text_file_model, root, 0);
    RECT r;
    if (!GetWindowRect(reinterpret_cast<HWND>(window), &r))
        return -1;
    const int32_t id = track_model_popup(window, &text_file_model, root, os_point{r.left, r.bottom},
                                         TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, false);
    if (!text_file_commands.holds(id) || id - text_file_commands.first >= store.text_file_count)
        return -1;
    return id - text_file_commands.first;
}
