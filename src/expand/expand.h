// Expansion: file items with their item switches, the macro steps, the clipboard macros and the
// date, time, folder and replace macros. Everything rewrites output_text in place.
// Owns: the item switch state, `expansion` and the macro passes. Every pass builds its result in one sweep in a
// work buffer and copies it back; a result that would outgrow its buffer is cut there, at a
// character boundary. A text file larger than output_text is refused like an unreadable one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "os/os.h"
#include "output/output_state.h"

// A preview renders key macros, and takes in the clipboard, only for texts shorter than this.
constexpr size_t preview_text_limit = 1024;

// line_range_mode
constexpr int32_t range_none = 0;
constexpr int32_t range_markers = 1;    // "#T:"
constexpr int32_t range_lines = 2;      // "#L:", "#-L:"
constexpr int32_t range_line_count = 3; // the "+" form of a line range

// Item switch state, reset by every parse_item_switches.
struct item_switches {
    int32_t line_range_mode; // range_*
    int32_t strip_final_breaks;
    int32_t drop_markers;
    int32_t first_line;
    int32_t last_line;
    char start_marker[260];
    char end_marker[260];
};
extern item_switches switches;

// The macro modes in effect for the texts of a run: they start as the data file's "@replace=" and
// "@sendkey=" (app/), an item's "#R" / "#-R" changes replacement for it and the items after it (a
// search preview puts it back), and the text file chosen last sets the key macros ("$" files have
// them; menus/ and search/ write it).
struct expansion_modes {
    int32_t replace_enabled;
    int32_t sendkey_file_enabled;
};
extern expansion_modes expansion;

// Fills output_text from item `item`'s file (source != 1) or the clipboard (source 1), cuts the
// range its switches select and applies the macros. 1 success, 0 failure (after its message). The
// clipboard-only rule is the caller's (choice/).
constexpr int expand_from_file = 0;
constexpr int expand_from_clipboard = 1;
int expand_item_file(os_window window, int item, int source, int preview);
void parse_item_switches(const char *switch_text);
// Moves the part of text (size bytes, terminated after them) that the switch state selects to the
// start of text and terminates it there. Returns its length.
size_t cut_to_range(char *text, size_t size);
void apply_macros(os_window window, int preview);
// What a preview shows instead of a file it may not show whole: "! caption - name.ext" in
// output_text, as prepared text.
void write_preview_notice(const char *caption, const char *path);
// When replacement is on: the replace rows, folder, date and time macros, then the clipboard macros
// (in their preview form with clipboard_preview 1), in output_text.
void apply_replace_macros(os_window window, int clipboard_preview);
// Preview form of key macros: "%$0d%" becomes " [Enter] ". Rewrites text (< preview_text_limit) in place;
// text is a buffer of capacity bytes, and the rendered form is cut to fit it.
void render_key_macros(char *text, size_t capacity = output_text_capacity);
// "%CLP%" and, while the recorder is not running, "%CLM%": the clipboard text.
void expand_clipboard_macros(os_window window, int preview);
// Replace rows, folder macros, date and time macros; text is a buffer of capacity bytes and the
// result is cut to fit it (never in the middle of a double-byte character).
void expand_date_folder_macros(char *text, size_t capacity = output_text_capacity);
// Text preparation of a chosen text already in output_text: break marks to CR LF, then the macro
// steps when replacement is on, then the key-macro flag.
void prepare_chosen_text(os_window window);
