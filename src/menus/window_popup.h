// The window popup: the listed windows as a menu, from which the user makes another one the target,
// first thing in an activation ("/#a=" with several candidates) or from the search window.
// Owns: its entries (one per listed window, id 7000 + w, the target's entry checked) and what a
// choice does to the window list and the target record. Leaves to the front
// (window_popup_win32.cpp) where the popup opens, tracking it and the foreground, and to the search
// window its own placement and focus.
#pragma once

#include <cstddef>
#include <cstdint>

#include "menus/menu_model.h"
#include "os/os.h"

// The entry of listed window w: "%s | %s" (program, title) for a window with a caption bar, else the
// program's name.
void window_entry_caption(int32_t w, char *out, size_t capacity);
// Resets the model and fills the popup; returns its root menu.
int32_t build_window_popup(menu_model *m);
// The search window offers the popup only when a paste has somewhere to go.
bool window_popup_available();
// The popup's answer `id`: a listed window becomes the target, captured from `window`, and popups
// open at its caret from now on (the target chosen again keeps its capture). 0 (nothing changed)
// for a dismissed popup or an unlisted id.
int choose_popup_window(os_window window, int32_t id);
// The same for listed window w (the main menu's window submenu).
int choose_listed_window(os_window window, int32_t w);
// Chosen from the search window (at_popup_position 0) that stays at a chosen window
// (`stay_mode` >= 1), the search window follows the new target's caret.
bool window_popup_moves_search_window(int32_t at_popup_position);
