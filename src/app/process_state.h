// The process-wide records as one: settings, item store, window list and target, output state,
// hand-over state.
// Owns nothing; each record belongs to its room (settings.h, item_store.h, target.h, output_state.h).
#pragma once

// Puts every process-wide record to its initial state (at start, and between host tests).
void reset_process_state();
