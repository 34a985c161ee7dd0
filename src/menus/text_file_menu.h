// The text-file menus as models: the list of listed text files in numbered groups of ten, and a
// file's lines laid out in columns and lettered groups; the line a chosen id stands for.
// Owns: the layout rules of both menus. Reads the text-file table, the "@file=" settings and the
// entries of datafile/text_file.h; writes `text_file_selected`, the expansion's
// `sendkey_file_enabled` and `output_text`. Leaves realising, tracking and the popups' extra entries
// to the fronts.
#pragma once

#include <cstdint>

#include "menus/menu_model.h"

// Appends the listed files: "&A" to "&J" for files 0 to 9 in `menu`, then a header per ten
// ("&1 : name ～" ...) with a submenu of its files. With with_submenus 1 every file entry opens a
// lazy submenu of its lines.
void fill_text_file_list_menu(menu_model *m, int32_t menu, int with_submenus);
// Empties `menu` and fills it with the entries of file f (ids 9000 + n); f becomes the selected file.
void fill_text_file_menu(menu_model *m, int32_t menu, int32_t f);
// Entry n of the selected file into output_text, with its key-macro rule; 0 when the file or the
// entry is gone.
int load_text_file_line(int32_t n);
