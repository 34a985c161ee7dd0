// The clipboard history as a menu: the entries of "hist.ini" (datafile/history_file.h) with their
// numbered groups, the loading of a chosen entry, and what a history popup's chosen id does.
// Owns: the history menu layout and captions, and the history block, where a loaded entry waits for
// the "%CLM%" choice while `history_keep_block` is 1. Writes output_text and output_source; reads the
// settings. The popup itself is the front's (history_popup_win32.h); a chosen entry ends through
// choice/.
#pragma once

#include <cstdint>

#include "choice/choice.h"
#include "expand/substitute.h"
#include "menus/menu_model.h"
#include "os/os.h"

// Empties `menu` and fills it with the history: entries 0 to 29, then "&V", "&W" and "&X" submenus
// for the rest, and "&0" for the current entry; "なし" alone when the file lists nothing.
void fill_history_menu(menu_model *m, int32_t menu);

// Loads entry `index` (0 to 99, or 100 for the current one) of the history file. Into output_text
// (output_source 1), or, while `history_keep_block` is 1, into the history block. 0 when the file
// lists no such entry.
int load_history_entry(int32_t index);
// The entry that the last load left in the history block (empty when there is none); valid until
// the next load or free_history_block.
text_piece kept_history_entry();
void free_history_block();

// How a history popup ended (carry_out_history_popup, show_history_popup).
enum history_popup_result : int {
    history_normal_start = -1, // "&@ 通常起動"
    history_entry_loaded = 0,
    history_dismissed = 1, // cancelled, or an entry that could not be loaded
};
// A history id chosen in a history popup. What then becomes of a loaded entry is the caller's.
int carry_out_history_popup(int32_t id);
// The start form's answer to the activation cycle for a popup result of carry_out_history_popup: a
// loaded entry is finished by choice/ (finish_history_entry, clipboard-only rule included).
choice_result finish_history_popup(os_window main, int popup_result);
// History id `id` chosen in the main menu: the entry is finished as a popup's is.
choice_result choose_history_entry(os_window main, int32_t id);
