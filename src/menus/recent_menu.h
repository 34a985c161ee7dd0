// The recent-items menu: the items whose captions the log holds, in log order, under their ordinary
// command ids (1000 + index), so that choosing one carries the item out as the main menu does.
// Owns: its layout (the first 20 log entries in the menu, the rest behind "21 -&>") and the recent-
// items popup as a model with what its ids do. Reads the log's entries (datafile/log.h) and the item
// store; builds into a model the caller owns. The popup's front is recent_popup_win32.
#pragma once

#include <cstdint>

#include "choice/choice.h"
#include "menus/menu_model.h"
#include "os/os.h"

// The utility entry whose submenu holds the recent items (log_mode 1).
constexpr char recent_menu_caption[] = "ログ -&>";
// Log entries shown in the menu itself; the others go to the "21 -&>" submenu.
constexpr int32_t recent_menu_split = 20;

// Appends the recent items to `menu`: for each log entry, every item with exactly that caption.
void fill_recent_menu(menu_model *m, int32_t menu);

// Resets the model and builds the recent-items popup: the recent items, a separator and
// "&@ 通常起動". Returns the root menu's index.
int32_t build_recent_popup(menu_model *m);
// Carries out the popup's chosen id (0 when dismissed): an item as the main menu carries it out,
// choice_continue for "&@ 通常起動", choice_cancelled for everything else.
choice_result dispatch_recent_popup_command(os_window main, int32_t id);
