#include "search/search_output.h"

#include "choice/choice.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "output/output_state.h"
#include "output/paste.h"
#include "target/target.h"
#include "text/sjis.h"

search_action accept_item(os_window owner, int32_t index)
{
    if (index < 0 || index >= store.item_count)
        return action_end_finished;
    if (no_target_for_paste())
        return action_end_no_target;
    const item_entry &item = store.items[index];
    copy_text(output.latest_caption, sizeof output.latest_caption, item.caption);
    if (!take_item_text(owner, index))
        return action_end_finished;
    // In clipboard-only mode the clipboard is the whole output and the dialog ends.
    if (clipboard_only()) {
        put_clipboard_text(owner, output.output_text);
        return action_end_finished;
    }
    return action_nothing;
}

search_action hand_over(int timer)
{
    const choice_result armed = schedule_output(settings.main_window, timer);
    return armed == choice_scheduled ? action_hand_over : action_end_finished;
}

search_action start_paste_and_stay(os_window edit_line)
{
    return_to_target();
    return os_arm_timer(edit_line, timer_stay_history_choices) ? action_paste_and_stay : action_end_finished;
}

// The clipboard (or the history entry just chosen) is pasted with paste keys and past the "%CLM%" step.
static search_action hand_over_clipboard()
{
    settings.output_mode = output_paste;
    output.latest_caption[0] = '\0';
    return hand_over(timer_deliver);
}

search_action clipboard_entry()
{
    if (no_target_for_paste())
        return action_end_no_target;
    if (settings.history_running == 1)
        return action_history_popup;
    output.output_source = source_clipboard;
    return hand_over_clipboard();
}

search_action clipboard_entry_after_history(int popup_result)
{
    if (popup_result != 0)
        return action_drop_first_line;
    if (clipboard_only())
        return action_end_no_target;
    return hand_over_clipboard();
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
