// The process-wide records as one: settings, item store, window list and target, output state.
#pragma once

// Puts every process-wide record to its initial state (at start, and between host tests).
void reset_process_state();
