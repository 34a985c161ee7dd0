// The two text-file popups: the start form that "/#f" shows before the main menu, and the list of
// files that the search window offers to switch the searched file.
// Owns: their models while they are tracked and what their ids do; the layouts are text_file_menu's.
#pragma once

#include <cstdint>

#include "choice/choice.h"
#include "os/os.h"

// The lines of the preselected file, or the list of files with their lines as submenus, then
// "&@ 通常起動". choice_scheduled when a line's output is scheduled, choice_continue on
// "&@ 通常起動" (text-file mode off), choice_cancelled otherwise.
choice_result show_text_file_popup(os_window main);
// The list of files below `window` (the search window). The chosen file's index, or -1.
int32_t show_text_file_list_popup(os_window window);
