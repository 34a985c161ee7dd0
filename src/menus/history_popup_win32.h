// The clipboard-history popup (the history menu on its own) in its two forms, and the history
// choice for "%CLM%" that shows it. Owns the popup's model while it is shown; what a chosen id does
// is history_menu.h's.
#pragma once

#include "choice/choice.h"
#include "os/os.h"

// Shows the history. With at_popup_position 1 (the start form) it opens at the popup origin and
// ends with "&@ 通常起動"; otherwise at the popup origin while the entry is kept for "%CLM%", else at
// the lower-left corner of `window`. 0 when an entry was loaded, -1 "&@ 通常起動", 1 otherwise.
int show_history_popup(os_window window, int at_popup_position);
// The start form ("/#h") for the activation cycle.
choice_result show_history_start_popup(os_window main);
// The history choice of every "%CLM%" (delivery_hooks.expand_history_macros): 0 when cancelled.
int choose_history_macros(os_window owner);
