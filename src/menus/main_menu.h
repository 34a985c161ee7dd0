// The main popup menu as a model: the items of the data file with their groups, the utility entries
// below them, and what a chosen command id does.
// Owns: the item-menu layout (separator and column-break marks, lazy group submenus), the caption
// rule of items, the utility entries with their shell commands, and the dispatch of command ids.
// Leaves to the front: realising the model, tracking it and filling lazy submenus when they open.
#pragma once

#include <cstdint>

#include "menus/menu_model.h"
#include "os/os.h"

// Command ids of the main menu and its utility entries.
constexpr int32_t item_command_base = 1000;
constexpr int32_t item_command_end = 6000;
constexpr int32_t clipboard_command = 6010;
constexpr int32_t window_menu_command = 6110;
constexpr int32_t window_command_base = 6120;
constexpr int32_t window_command_end = 6140;
constexpr int32_t version_menu_command = 6210;
constexpr int32_t data_file_command = 6220;
constexpr int32_t manual_command = 6230;
constexpr int32_t recorder_command = 6240;
constexpr int32_t version_separator_id = 6600;
constexpr int32_t utility_separator_id = 6999;

// Timers of the activation cycle that a choice arms.
constexpr int output_timer = 620;

// Results of dispatch_menu_command.
constexpr int menu_nothing = 0;
constexpr int menu_output_scheduled = 1;
constexpr int menu_show_again = 2;

// A separator (1) or column break (2) waiting for the next entry, and the index of the mark's line.
extern int32_t pending_mark, pending_mark_item;

void reset_main_menu_state();

// The menu caption of text item `index` (out: 260 bytes). A file item without its own caption shows
// base name, extension, file_separator and its parameter.
void item_caption_with_separator(int32_t index, const char *file_separator, char *out);
void item_menu_caption(int32_t index, char *out);

// Empties `menu` and fills it with the entries of one level, from entry index + offset.
void fill_item_menu(menu_model *m, int32_t menu, int32_t index, int32_t offset);
// Appends item `index` (id 1000 + index), preceded by a pending separator or starting a new column.
void append_item_entry(menu_model *m, int32_t menu, int32_t index, const char *caption);
// Resets the model and builds the whole main menu; returns the root menu's index.
int32_t build_main_menu(menu_model *m);
void build_utility_menu(menu_model *m, int32_t menu);

// Carries out a chosen id: menu_output_scheduled when a timer of the activation cycle is armed,
// menu_show_again when the target changed and the front shows the main menu again, menu_nothing.
int dispatch_menu_command(os_window window, int32_t id);
