// The run-time modes of the search window: the search kind, romaji search and the initial word as
// the run changes them, the [file]-name choice, the confirmed-search hold and the keep-in-background
// request of paste-and-stay.
// Owns: `search_run`. app/ starts the first three from the command line's start modes once the
// data file is read; written by the mode switches (search_keys), Enter (search_output), the title
// popup (an item carried out ends the search starts), the text-file search and the Win32 front of
// the search window; read by the result list, the matching and app/ (the chooser of a start, a later
// start's hand-over). `text_file_search` is choice/'s `choice_run`; the matching libraries' state is
// matching.h's.
#pragma once

#include <cstdint>

struct search_run_state {
    int32_t search_kind;        // search_popup_menu, search_prefix, search_substring
    int32_t migemo_on;          // 1: romaji search through migemo.dll
    int32_t initial_word_state; // initial_word_*
    int32_t file_choice;        // 1: the list offers the [file] names instead of lines
    int32_t confirmed_search;   // 1: typing does not search; the next Enter runs one pass
    int32_t keep_in_background; // 1: after paste-and-stay the window is shown without activation
};

extern search_run_state search_run;

// Puts the search window's modes to their initial values (all 0).
void reset_search_state();
