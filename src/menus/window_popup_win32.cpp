#include "menus/window_popup_win32.h"

#include "menus/menu_win32.h"
#include "menus/window_popup.h"
#include "target/target.h"

static menu_model &window_model = shared_popup_model;

int show_window_popup(os_window window, int32_t at_popup_position)
{
    os_point at = target.popup_origin;
    uint32_t flags = target.popup_flags;
    if (at_popup_position != 1) {
        os_rect r;
        if (!os_window_rect(window, &r))
            return 0;
        at = os_point{r.left, r.bottom};
        flags = popup_flags_base;
    }
    const int32_t root = build_window_popup(&window_model);
    const int32_t id = track_model_popup(window, &window_model, root, at, flags, false);
    if (!choose_popup_window(window, id))
        return 0;
    switch_foreground(window);
    return 1;
}

choice_result choose_target_first(os_window main)
{
    return show_window_popup(main, 1) ? choice_continue : choice_cancelled;
}
