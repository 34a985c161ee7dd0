// Expansion: file items with their item switches, the macro steps, the clipboard macros and the
// date, time, folder and replace macros. Everything rewrites output_text in place.
#pragma once

#include <cstddef>
#include <cstdint>

#include "os/os.h"

// Item switch state, reset by every parse_item_switches.
struct item_switches {
    int32_t line_range_mode; // 0 none, 1 markers, 2 lines, 3 line count
    int32_t strip_final_breaks;
    int32_t drop_markers;
    int32_t first_line;
    int32_t last_line;
    char start_marker[260];
    char end_marker[260];
};
extern item_switches switches;

// Fills output_text from item `item`'s file (source != 1) or the clipboard (source 1), cuts the
// range its switches select and applies the macros. 1 success, 0 failure (after its message).
int expand_item_file(os_window window, int item, int source, int preview);
void parse_item_switches(const char *switch_text);
void apply_macros(os_window window, int preview);
// Preview form of key macros: "%$0d%" becomes " [Enter] ". Rewrites text (< 1,024 bytes) in place.
void render_key_macros(char *text);
// "%CLP%" and, while the recorder is not running, "%CLM%": the clipboard text.
void expand_clipboard_macros(os_window window, int preview);
// Replace rows, folder macros, date and time macros; text is output_text-sized.
void expand_date_folder_macros(char *text);
// Text preparation of a chosen text already in output_text: break marks to CR LF, then the macro
// steps when replacement is on, then the key-macro flag.
void prepare_chosen_text(os_window window);
