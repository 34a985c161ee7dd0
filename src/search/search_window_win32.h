// The Win32 front of the search window: the modal "WORD" dialog with its edit line, the list
// window ("ITEM") with the result list, the preview ("VIEW") and guidance ("NAME") windows, the
// edit line's key handler and timers, and the painting of the mode bars and the target's icon.
// Owns the window handles and the edit line's original procedure; every decision is asked of the
// portable rooms (search_keys.h, result_list.h, search_output.h, matching.h).
#pragma once

#include "choice/choice.h"
#include "os/os.h"

// The chooser of a search start: runs the dialog. choice_scheduled when a result was handed to the
// main window's timers (or one hit was accepted while the dialog stays), else choice_cancelled.
choice_result run_search_window(os_window main);
// A later start's hand-over to a resident search window: placed again when `stay_mode` asks,
// shown, focused, with an empty edit line. Does nothing while there is no search window.
void show_search_window_again();
// Frees what the search window holds (libraries, windows, the edit line's subclass) before the
// main window closes.
void destroy_search_window();
