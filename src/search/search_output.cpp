#include "search/search_output.h"

#include "choice/choice.h"
#include "datafile/settings.h"
#include "menus/history_menu.h"
#include "search/search_state.h"
#include "target/target.h"
#include "text/sjis.h"

search_action accept_item(os_window owner, int32_t index)
{
    switch (take_item(owner, index)) {
    case take_ready:
        return end_on_clipboard(owner) ? action_end_finished : action_nothing;
    case take_no_target:
        return action_end_no_target;
    default:
        return action_end_finished;
    }
}

search_action hand_over()
{
    return hand_over_prepared(settings.main_window) == choice_scheduled ? action_hand_over
                                                                        : action_end_finished;
}

search_action hand_over_keep_open()
{
    return hand_over_prepared(settings.main_window) == choice_scheduled ? action_keep_open
                                                                        : action_end_finished;
}

search_action start_paste_and_stay(os_window edit_line)
{
    return_to_target();
    return os_arm_timer(edit_line, timer_stay_history_choices) ? action_paste_and_stay : action_end_finished;
}

search_action hand_over_clipboard()
{
    if (windows.window_count == 0)
        return action_end_no_target;
    return finish_clipboard(settings.main_window) == choice_scheduled ? action_hand_over
                                                                      : action_end_finished;
}

search_action clipboard_entry()
{
    if (no_target_for_paste())
        return action_end_no_target;
    if (settings.history_running == 1)
        return action_history_popup;
    return hand_over_clipboard();
}

search_action clipboard_entry_after_history(int popup_result)
{
    if (popup_result != history_entry_loaded)
        return action_drop_first_line;
    if (finish_history_entry(settings.main_window) == choice_scheduled)
        return action_hand_over;
    // In clipboard-only mode the entry went on the clipboard; the dialog ends as for no target.
    return clipboard_only() ? action_end_no_target : action_end_finished;
}

int run_utility_line(const char *line)
{
    if (starts_with_nocase(line, "&2"))
        open_in_editor(settings.data_file_path);
    else if (starts_with_nocase(line, "&3"))
        open_in_editor(settings.manual_path);
    else if (starts_with_nocase(line, "&4"))
        switch_recorder();
    else if (!starts_with_nocase(line, "&9"))
        return 0;
    return 1;
}

search_action on_stay_history_timer(os_window owner, os_window edit_line)
{
    if (!run_history_choices(owner) || !os_arm_timer(edit_line, timer_stay_deliver))
        return action_end_finished;
    return action_nothing;
}

search_action on_stay_deliver_timer(os_window owner)
{
    if (!deliver_and_log(owner))
        return action_end_finished;
    capture_target(owner, target.target_window);
    return action_nothing;
}
