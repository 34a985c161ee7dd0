// The run-time modes of the search window that live nowhere else: the [file]-name choice, the
// confirmed-search hold and the keep-in-background request of paste-and-stay.
// Owns: `search_run`. Written by the mode switches (search_keys), Enter (search_output), the
// text-file search and the Win32 front of the search window; read by the result list. `migemo_on`,
// `initial_word_state` and `text_file_search` are fields of the settings record; the matching libraries'
// state is matching.h's.
#pragma once

#include <cstdint>

struct search_run_state {
    int32_t file_choice;        // 1: the list offers the [file] names instead of lines
    int32_t confirmed_search;   // 1: typing does not search; the next Enter runs one pass
    int32_t keep_in_background; // 1: after paste-and-stay the window is shown without activation
};

extern search_run_state search_run;

// Puts the search window's modes and the matching state (matching.h) to their initial values. It
// never frees libraries: that is unload_matching_libraries' job.
void reset_search_state();
