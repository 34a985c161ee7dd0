// Menus as data: the model that every menu builder fills and that the Win32 front turns into an
// HMENU. Owns: the fixed pools of menus and entries of one model; no allocation. A model is
// written by the builder that fills it and read by the front that realises it.
// A model holds several menus (the popup and its submenus); entries of one menu form a chain so that
// submenus can be built while their parent is being filled.
#pragma once

#include <cstdint>

#include "datafile/item_store.h"

// The worst case the tables allow: every entry of the store shown on one level (a '+' line gives
// at most one separator, a group one lazy submenu), then the utility entries with their submenus,
// the recent items, the windows and the listed text files.
// A text file's menu needs more: 5,000 lines, each after at most one separator, and 26 groups.
constexpr int menu_capacity = item_capacity + 64;
constexpr int text_file_menu_entries = 2 * 5000 + 2 * 26 + 64;
constexpr int menu_entry_capacity =
    item_capacity + 512 > text_file_menu_entries ? item_capacity + 512 : text_file_menu_entries;

enum menu_entry_flag : uint32_t {
    menu_separator = 1,    // MF_SEPARATOR
    menu_column_break = 2, // MF_MENUBARBREAK
    menu_checked = 4,      // MFS_CHECKED
};

// How an empty submenu is filled when it opens (the front asks fill_lazy_menu at WM_INITMENUPOPUP).
enum menu_lazy_kind : int32_t {
    menu_filled = 0,
    menu_lazy_group = 1,     // the entries of the group that `owner` opens
    menu_lazy_history = 2,   // clipboard history
    menu_lazy_text_file = 3, // the lines of listed text file `owner`
};

struct menu_entry {
    int32_t id;
    uint32_t flags;
    int32_t submenu; // index of a menu of the same model, or -1
    int32_t next;    // next entry of the same menu, or -1
    char caption[260];
};

struct menu_node {
    int32_t first, last, count;
    int32_t lazy;  // menu_lazy_kind
    int32_t owner; // what a lazy menu stands for: the group's item index, the text file's index
};

struct menu_model {
    int32_t menu_count;
    int32_t entry_count;
    menu_node menus[menu_capacity];
    menu_entry entries[menu_entry_capacity];
};

// Empties the whole model.
void reset_menu_model(menu_model *model);
// A new empty menu; returns its index, or -1 when the pool is full.
int32_t create_menu(menu_model *model, int32_t lazy, int32_t owner);
// Appends an entry (caption cut to 259 bytes); returns its index, or -1 when the pool is full.
int32_t append_menu_entry(menu_model *model, int32_t menu, int32_t id, uint32_t flags, const char *caption,
                          int32_t submenu);
// Ends a secondary popup: a separator and "&@ 通常起動", under the popup's own two ids.
void append_normal_start(menu_model *model, int32_t menu, int32_t separator_id, int32_t id);
// Removes every entry of one menu (the pool slots are not reused until reset).
void clear_menu(menu_model *model, int32_t menu);
// Finds the entry with command id `id` in menu `menu` (not in submenus); -1 when absent.
int32_t find_menu_entry(const menu_model *model, int32_t menu, int32_t id);
