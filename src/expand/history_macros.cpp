#include "expand/history_macros.h"

#include <cstring>

#include "output/output_state.h"

int expand_history_macros(os_window owner, history_pick_fn pick)
{
    // Built apart and copied back only when every pick was made, so a cancel changes nothing.
    rebuilt_text result;
    rebuild_start(&result, macro_work_buffer(), output_text_capacity);
    const char *cursor = output.output_text;
    for (const char *macro; (macro = find_pattern(cursor, "%CLM%")) != nullptr; cursor = macro + 5) {
        output.clipboard_macro_done = 1;
        output.history_keep_block = 1;
        text_piece entry{"", 0};
        const int picked = pick(owner, &entry);
        output.history_keep_block = 0;
        if (!picked)
            return 0;
        rebuild_append(&result, cursor, static_cast<size_t>(macro - cursor));
        rebuild_append(&result, entry.data, entry.length);
    }
    rebuild_append(&result, cursor, strlen(cursor));
    memcpy(output.output_text, result.out, result.length + 1);
    return 1;
}
