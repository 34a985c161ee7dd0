#include "menus/recent_popup_win32.h"

#include "menus/menu_win32.h"
#include "menus/recent_menu.h"
#include "target/target.h"

static menu_model &recent_model = shared_popup_model;

choice_result show_recent_popup(os_window main)
{
    const int32_t root = build_recent_popup(&recent_model);
    // The owner is brought forward with the foreground switch, as every secondary popup is.
    const int32_t id =
        track_model_popup(main, &recent_model, root, target.popup_origin, target.popup_flags, false);
    return id > 0 ? dispatch_recent_popup_command(main, id) : choice_cancelled;
}
