// "%CLM%" while the recorder runs: each occurrence is replaced by a clipboard-history entry that the
// user picks, in text order. Owns the substitution; the pick (a popup) is the caller's.
// Rewrites output_text and sets clipboard_macro_done and history_keep_block of the output state.
#pragma once

#include "expand/substitute.h"
#include "os/os.h"

// Lets the user pick one entry: 1 with its text in *entry (valid until the next pick, and until
// expand_history_macros returns), 0 when the user cancelled.
typedef int (*history_pick_fn)(os_window owner, text_piece *entry);

// Replaces every "%CLM%" of output_text by a picked entry; `history_keep_block` is 1 while a pick
// runs. 0 when a pick was cancelled, and output_text is then unchanged; 1 otherwise.
int expand_history_macros(os_window owner, history_pick_fn pick);
