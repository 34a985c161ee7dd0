// The process-wide records as one: settings, item store, log entries, window list and target, output
// state, hand-over state, and the working modes of a run.
// Owns nothing; each record belongs to its room (settings.h, item_store.h, log.h, target.h,
// output_state.h, expand.h, choice.h, search_state.h).
#pragma once

// Puts every process-wide record to its initial state (between host tests).
void reset_process_state();
// The same state for a fresh process, whose records start as zeroed static storage: only what starts
// other than zero is written, so the pages of the large records (item store, output buffer, window
// list) are not committed before the program fills them.
void init_process_state();
// Starts the working modes of the run (expansion, choice_run, search_run, the target's
// window_select_mode) from what the command line and the data file left in the settings record.
// Called once the data file is read; the run changes the copies and never the settings.
void start_run_modes();
