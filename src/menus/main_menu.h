// The main popup menu as a model: the items of the data file with their groups, the utility entries
// below them, and what a chosen command id does.
// Owns: the item-menu layout (separator and column-break marks, lazy group submenus), the utility
// entries with their shell commands, and the dispatch of command ids.
// Leaves to the front: realising the model, tracking it and filling lazy submenus when they open.
#pragma once

#include <cstdint>

#include "choice/choice.h"
#include "menus/command_ids.h"
#include "menus/menu_model.h"
#include "os/os.h"

// Empties `menu` and fills it with the entries of one level, from entry index + offset: each item
// under id 1000 + index, preceded by a pending separator or starting a new column.
void fill_item_menu(menu_model *m, int32_t menu, int32_t index, int32_t offset);
// Resets the model and builds the whole main menu; returns the root menu's index.
int32_t build_main_menu(menu_model *m);
void build_utility_menu(menu_model *m, int32_t menu);

// Fills a lazy submenu of the model as it opens: its kind and owner say what it stands for.
void fill_lazy_menu(menu_model *m, int32_t menu);

// Carries out a chosen id: choice_scheduled when an output timer is armed, choice_continue when the
// target changed and the front shows the main menu again, choice_cancelled for everything else.
choice_result dispatch_menu_command(os_window window, int32_t id);
