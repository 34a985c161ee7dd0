// The title popup of a "/#y" start: the first [title] row whose pattern matches the target window's
// title names an entry of the data file by its plain caption. A plain item is carried out at once;
// a group is offered as a popup of its own, ending in "&@ 通常起動".
// Owns: the choice of the row and the entry, the popup's entries and what its answer does. Matches
// with BREGEXP.DLL (matching.h), loaded alone for the moment of the matching. Leaves to the front
// (title_popup_win32.cpp) reading the title and tracking the popup.
#pragma once

#include <cstdint>

#include "choice/choice.h"
#include "menus/menu_model.h"
#include "os/os.h"

// The longest title read from the target window (GetWindowTextA), terminator included.
constexpr int title_text_capacity = 520;

enum title_pick_kind : int32_t {
    title_nothing = 0,    // no library, no matching row, no entry of that caption, or another kind
    title_plain_item = 1, // carried out without a popup
    title_group = 2,      // its entries are offered
};
struct title_pick {
    title_pick_kind kind;
    int32_t item; // the entry's index in the store
};

// The first row, in order, whose title_pattern matches `title` (BREGEXP.DLL must be loaded); -1.
int32_t find_title_row(const char *title);
// The first entry whose plain_caption equals `caption` byte for byte; -1.
int32_t find_plain_caption(const char *caption);
// What the title asks for; BREGEXP.DLL is loaded for the matching and freed again.
title_pick pick_by_title(const char *title);
// Resets the model and fills the popup of group `group`; returns its root menu.
int32_t build_title_popup(menu_model *m, int32_t group);
// The answer of the popup (or 1000 + the plain item's index): an item is carried out as the main
// menu carries it out, taking over the activation once output is scheduled (the search window is
// not wanted any more then); a dismissed popup (0) closes the instance, which also takes over; a
// closed owner (-1) has ended it already. Everything else, "&@ 通常起動" too, goes on normally.
choice_result carry_out_title_choice(os_window main, int32_t id);
