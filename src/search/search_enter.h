// Enter in the search window: what the selected line, the edit line and the held keys make of it.
// Owns: the Enter decision (`on_enter`). Writes `keep_in_background` and `confirmed_search`
// (search_state.h); hands a taken line on through search_output.h.
#pragma once

#include <cstdint>

#include "os/os.h"
#include "search/search_output.h"

struct enter_input {
    int shift, ctrl;       // held when Enter was pressed (Shift+Enter after the release wait)
    const char *edit_text; // the edit line's text
    const char *line;      // the selected line as read back from the list box; null for none
    int32_t item;          // the item kept with that line in the list box, -1 for none (listed_item)
};
struct enter_outcome {
    search_action action; // action_end_*, action_run_search, action_file_chosen, action_hand_over,
                          // action_paste_and_stay
    int hide_window;      // hide the search window first (an item or the clipboard entry was taken)
};
// Enter after the key state was read. Sets keep_in_background for Shift+Enter; a taken line is handed
// over to the main window, or for Shift+Enter pasted by the search window (timers on edit_line).
enter_outcome on_enter(os_window owner, os_window edit_line, const enter_input &in);
