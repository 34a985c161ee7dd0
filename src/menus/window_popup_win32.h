// The window popup's Win32 front: where it opens and its tracking.
#pragma once

#include <cstdint>

#include "choice/choice.h"
#include "os/os.h"

// Shows the window popup owned by `window`: at_popup_position 1 at popup_origin with popup_flags,
// otherwise below `window` (its lower-left corner). On a choice the window becomes the target
// (choose_popup_window) and `window` is brought back to the front. 1 when a window was chosen.
int show_window_popup(os_window window, int32_t at_popup_position);
// The activation's choice step: the user picks the target before anything else is shown.
choice_result choose_target_first(os_window main);
