#include "search/search_keys.h"

#include "datafile/settings.h"
#include "search/matching.h"
#include "search/search_state.h"

namespace {

// A condition of a key-map row: don't care, must hold, must not hold.
enum when : int8_t { any, yes, no };

struct key_row {
    search_key key; // key_other stands for every key in a row with ctrl yes
    when shift, ctrl, selection, line_empty, entries;
    key_action action;
    int pass_on;
    int clear_confirmed;
};

// The first row that fits decides. Ctrl with Tab, Enter, Escape, Insert or Delete acts as the key
// alone; Ctrl with an arrow shows the window popup (Ctrl+Shift+Up with no selection first asks for the
// [file]-name choice); Ctrl+Home and Ctrl+End go to the ends of a list; Ctrl with any other key only
// ends a confirmed search. The keys that move through a list by more than a line are consumed there.
const key_row key_map[] = {
    {key_tab, any, any, no, yes, any, key_action_to_target, 0, 0},
    {key_tab, any, any, any, any, any, key_action_none, 1, 0},
    {key_enter, any, any, any, any, any, key_action_enter, 1, 0},
    {key_escape, any, any, no, any, any, key_action_close, 1, 0},
    {key_escape, any, any, any, any, any, key_action_clear, 1, 0},
    {key_insert, any, any, any, no, any, key_action_insert, 1, 0},
    {key_insert, any, any, any, any, any, key_action_none, 1, 0},
    {key_delete, any, any, no, yes, any, key_action_toggle_confirmed, 1, 0},
    {key_delete, any, any, any, any, any, key_action_none, 1, 0},
    {key_up, yes, yes, no, any, any, key_action_file_choice, 1, 1},
    {key_up, any, yes, any, any, any, key_action_window_popup, 1, 1},
    {key_down, any, yes, any, any, any, key_action_window_popup, 1, 1},
    {key_left, any, yes, any, any, any, key_action_window_popup, 1, 1},
    {key_right, any, yes, any, any, any, key_action_window_popup, 1, 1},
    {key_home, any, yes, any, any, yes, key_action_move_selection, 0, 1},
    {key_end, any, yes, any, any, yes, key_action_move_selection, 0, 1},
    {key_other, any, yes, any, any, any, key_action_none, 1, 1},
    {key_page_up, any, any, any, any, yes, key_action_move_selection, 0, 0},
    {key_page_down, any, any, any, any, yes, key_action_move_selection, 0, 0},
    {key_left, yes, any, any, yes, any, key_action_toggle_romaji, 1, 1},
    {key_right, yes, any, any, yes, any, key_action_toggle_romaji, 1, 1},
    {key_left, any, any, any, yes, any, key_action_toggle_kind, 1, 1},
    {key_right, any, any, any, yes, any, key_action_toggle_kind, 1, 1},
    {key_left, any, any, any, any, any, key_action_none, 1, 1},
    {key_right, any, any, any, any, any, key_action_none, 1, 1},
    {key_up, yes, any, no, any, any, key_action_pick_text_file, 1, 1},
    {key_up, any, any, any, any, yes, key_action_move_selection, 1, 1},
    {key_down, any, any, any, any, yes, key_action_move_selection, 1, 1},
    {key_up, any, any, any, any, any, key_action_up_on_empty, 1, 1},
    {key_down, yes, any, no, any, any, key_action_text_file_mode, 1, 1},
    {key_down, any, any, any, any, any, key_action_list_all, 1, 1},
};

bool holds(when w, int value) { return w == any || (w == yes) == (value != 0); }

bool row_fits(const key_row &row, const key_state &s)
{
    const bool key_fits = row.key == s.key || (row.key == key_other && row.ctrl == yes);
    return key_fits && holds(row.shift, s.shift) && holds(row.ctrl, s.ctrl) &&
           holds(row.selection, s.has_selection) && holds(row.line_empty, s.line_empty) &&
           holds(row.entries, s.list_has_entries);
}

} // namespace

search_key search_key_from_virtual(int virtual_key)
{
    switch (virtual_key) {
    case 0x09: return key_tab;
    case 0x0D: return key_enter;
    case 0x1B: return key_escape;
    case 0x21: return key_page_up;
    case 0x22: return key_page_down;
    case 0x23: return key_end;
    case 0x24: return key_home;
    case 0x2D: return key_insert;
    case 0x2E: return key_delete;
    case 0x25: return key_left;
    case 0x26: return key_up;
    case 0x27: return key_right;
    case 0x28: return key_down;
    default: return key_other;
    }
}

key_decision decide_key(const key_state &state)
{
    for (const key_row &row : key_map) {
        if (row_fits(row, state))
            return key_decision{row.action, row.pass_on, row.clear_confirmed};
    }
    return key_decision{key_action_none, 1, 0};
}

int32_t toggle_search_kind()
{
    search_run.search_kind = search_run.search_kind == search_prefix ? search_substring : search_prefix;
    return search_run.search_kind;
}

int32_t toggle_confirmed_search()
{
    search_run.confirmed_search = search_run.confirmed_search == 1 ? 0 : 1;
    return search_run.confirmed_search;
}

int32_t toggle_romaji_search()
{
    if (search_run.migemo_on == 1) {
        unload_matching_libraries(0);
        search_run.migemo_on = 0;
    } else if (load_matching_libraries(0)) {
        search_run.migemo_on = 1;
    }
    return search_run.migemo_on;
}

const char *confirmed_search_guidance(int32_t mode) { return mode == 1 ? "確定検索モード" : "逐次検索モード"; }

int32_t selection_step(search_key key, int32_t page_lines, int32_t count)
{
    switch (key) {
    case key_up: return -1;
    case key_down: return 1;
    case key_page_up: return -page_lines;
    case key_page_down: return page_lines;
    case key_home: return -count;
    default: return count;
    }
}

int32_t next_selection(int32_t current, int32_t count, int32_t step)
{
    if (current < 0)
        return -1;
    const int32_t next = current + step;
    return next < 0 ? 0 : next < count ? next : count - 1;
}

bool release_warning_due(int32_t poll) { return poll == 300 || poll >= 500; }
