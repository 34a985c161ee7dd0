#include "search/title_popup_win32.h"

#include <windows.h>

#include "menus/command_ids.h"
#include "menus/menu_win32.h"
#include "search/title_popup.h"
#include "target/target.h"

static menu_model &title_model = shared_popup_model;

choice_result show_title_popup(os_window main)
{
    char title[title_text_capacity] = "";
    GetWindowTextA(reinterpret_cast<HWND>(target.target_window), title, sizeof title);
    const title_pick pick = pick_by_title(title);
    if (pick.kind == title_plain_item)
        return carry_out_title_choice(main, item_commands.first + pick.item);
    if (pick.kind != title_group)
        return choice_continue;
    const int32_t root = build_title_popup(&title_model, pick.item);
    return carry_out_title_choice(
        main, track_model_popup(main, &title_model, root, target.popup_origin, target.popup_flags, true));
}
