#include "menus/window_popup.h"

#include <cstdio>

#include "choice/choice.h"
#include "datafile/settings.h"
#include "menus/command_ids.h"
#include "target/target.h"
#include "text/sjis.h"

void window_entry_caption(int32_t w, char *out, size_t capacity)
{
    if (windows.window_has_caption[w] == 1)
        snprintf(out, capacity, "%s | %s", windows.window_exe_name[w], windows.window_title[w]);
    else
        copy_text(out, capacity, windows.window_exe_name[w]);
}

int32_t build_window_popup(menu_model *m)
{
    reset_menu_model(m);
    const int32_t root = create_menu(m, menu_filled, 0);
    char caption[2 * path_capacity];
    for (int32_t w = 0; w < windows.window_count; ++w) {
        window_entry_caption(w, caption, sizeof caption);
        append_menu_entry(m, root, window_popup_commands.first + w,
                          w == windows.window_selected ? uint32_t{menu_checked} : 0u, caption, -1);
    }
    return root;
}

bool window_popup_available()
{
    return !clipboard_only() && windows.window_count > 0;
}

int choose_listed_window(os_window window, int32_t w)
{
    if (w < 0 || w >= windows.window_count)
        return 0;
    windows.window_selected = w;
    // The target chosen again keeps the capture made while it was in front: activated anew, a program
    // that leaves WM_ACTIVATE to the system reports its frame as the focus, where no paste lands.
    if (windows.window_handle[w] == target.target_window)
        return 1;
    target.target_window = windows.window_handle[w];
    capture_target(window, target.target_window);
    compute_popup_origin();
    return 1;
}

// Every listed window is shown, so every one can be chosen: the id range holds the whole list.
int choose_popup_window(os_window window, int32_t id)
{
    return window_popup_commands.holds(id) ? choose_listed_window(window, id - window_popup_commands.first) : 0;
}

bool window_popup_moves_search_window(int32_t at_popup_position)
{
    return at_popup_position != 1 && settings.stay_mode >= stay_at_chosen_window;
}
