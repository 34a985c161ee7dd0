// The result list of the search window as data: which items a search pass or a listing puts in the
// list, under which caption, and what a pass decided (show the list, or accept its one hit at once).
// Owns: each listed item's `list_caption` (by the caption rule of menus/item_caption.h), the preview
// text and the preview window's sizing. Leaves to the front: the list box itself (it appends the
// captions of `entries` in order; a sorted list box reorders them, so the front always reads lines
// back from it), showing and hiding the windows.
#pragma once

#include <cstdint>

#include "datafile/item_store.h"
#include "os/os.h"
#include "search/search_output.h"
#include "search/text_file_search.h"

struct search_result {
    int32_t count;
    int32_t entries[item_capacity]; // item indexes in store order; their list_caption is the line
    int32_t show_preview;           // show_list: preview the first line (not for "&" patterns)
    // In text-file search the lines go straight here (count stays 0); the front sets it once.
    text_line_sink text_lines;
};

// Forms item `index`'s list_caption. A file item shown by its file reads "name >parameter" in a
// search pass (listing 0) and "name.ext >parameter" in the listings without a pattern (listing 1).
void make_list_caption(int32_t index, int listing);

// One search pass over the items with the edit line's text (the initial word instead while
// `initial_word_state` is 1). Fills result, ends the pass (end_search_pass) and decides:
//   action_nothing         nothing listed (empty pattern or no hit): the list window stays hidden
//   action_show_list       select the first line, show the list window, the preview per show_preview
//   action_keep_open       one hit accepted at once (`match_accept`): output prepared, timer 620 armed
//   action_clipboard_entry "&1" alone: the front runs clipboard_entry (search_output.h)
//   action_end_finished / action_end_no_target   end the dialog with 1 / 2
//   action_file_chosen     text-file search: the one [file] name left was chosen and loaded
// After each outcome but the ending ones, the front carries out the initial word's step (show the
// window, initial_word_state := 0, a synthesised Up) while initial_word_state is 1.
search_action search_pass(os_window owner, const char *edit_text, search_result *result);
// Every item (text items and utility entries) whose plain caption does not begin with "&", under
// listing captions; in text-file search every line or [file] name. Returns the count; when it is not 0 the front empties the edit line, selects
// the first line, shows the list and the first line's preview.
int32_t list_all(search_result *result);
// The recently used items of the log, in log order, under listing captions; as list_all afterwards.
// Lists nothing while there are no log entries, and nothing in text-file search.
int32_t list_recent(search_result *result);
// The style of the result list while it shows recent items: unsorted only for `log_mode` 1.
uint32_t recent_list_style();

// The first text item whose list_caption has the line's length and equals it ignoring case, or -1.
int32_t find_listed_item(const char *line);
// The item a line of the list stands for. The front keeps each line's item index with the line in
// the list box (a sorted list box moves lines, the data goes with them) and passes it as `item`:
// taken when it is a text item listed under this line, so that items whose list captions agree
// are told apart; otherwise (-1, or data that does not fit the line) find_listed_item.
int32_t listed_item(const char *line, int32_t item);
// The preview text of a line of the list (as read back from the list box, with its item as for
// listed_item) into output_text. 1 when output_text now holds a preview, 0 when none could be made.
int make_preview_text(os_window owner, const char *line, int32_t item);

// Where the preview window and its text go for the text now in output_text.
struct preview_placement {
    os_rect window; // screen rectangle of the preview window
    os_rect text;   // the text control inside it (x 3, y 2)
};
// left: the preview window's left; remembered_top: its top as placed (target.preview_top); sizes
// for `dpi`. Short texts shrink the window: with preview_beside it keeps its top, otherwise its bottom.
preview_placement preview_layout(const char *text, int32_t left, int32_t remembered_top, uint32_t dpi);
