// Text-file search: the chosen listed text file held for the search window, its entries and the
// [file] names as lines of the result list, and what a shown line or the typed text outputs.
// Owns: the loaded file (`text_file_text`, the whole file as read; freed before every load, when
// the mode is switched off and when the search window goes). Entries are the shared walk's
// (datafile/text_file.h), so the search lists exactly what the text-file menus show. Writes the
// run's `text_file_search` (choice/), `text_file_selected`, the expansion's `sendkey_file_enabled`,
// `file_choice` and the output state; the windows and the guidance label are the front's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "os/os.h"
#include "search/search_output.h"

// Where listed lines go: the front's list box, a test's vector.
struct text_line_sink {
    void (*add)(void *context, const char *line);
    void *context;
};

// Loads the chosen file for searching. 0 after the message "データファイルが読めません" (cannot be
// read) or "データファイルが空です" (empty), text-file search then off.
int load_text_file(os_window owner);
void free_text_file();
// Makes listed file f the chosen one and loads it.
int select_text_file(os_window owner, int32_t f);

// Every entry whose caption matches (all 1: every entry), shown by its text with
// `show_text_default` 1, else by its caption. Returns the number listed.
int32_t list_text_file_lines(const char *pattern, int all, text_line_sink sink);
int32_t list_text_file_names(const char *pattern, int all, text_line_sink sink);
// The text a shown line outputs (out: capacity bytes): the first entry shown that way.
void line_output_text(const char *shown, char *out, size_t capacity);
// The file named by a shown [file] name (same length, ignoring case) becomes the chosen one and is
// loaded; file_choice ends either way. 1 when a file was loaded.
int choose_text_file(os_window owner, const char *name);
// Name of listed file f without folder and extension (out: 260 bytes), for the guidance label.
void text_file_base_name(int32_t f, char *out);

// Switches for the keys: text-file search on (the chosen file loads; 1 when on), off (the text
// freed, the key-macro rule of the data file back), and the [file]-name choice toggled.
int switch_text_file_search_on(os_window owner);
void switch_text_file_search_off();
int32_t toggle_file_choice();

// A shown line taken for output (Enter, or a pass's one hit): its text, with the macros but no
// break marks. action_nothing when ready to hand over, else how the dialog ends.
search_action take_text_file_line(os_window owner, const char *shown);
// Insert: the typed text is appended to the chosen file, then pasted as it is, without macros.
// action_nothing when the key is not for this (the key goes on to the edit line).
search_action insert_typed_line(os_window owner, const char *typed);
