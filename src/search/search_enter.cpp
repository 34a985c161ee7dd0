#include "search/search_enter.h"

#include "choice/choice.h"
#include "datafile/settings.h"
#include "search/result_list.h"
#include "search/search_state.h"
#include "search/text_file_search.h"
#include "text/sjis.h"

// A taken line goes to the main window, or for Shift+Enter is pasted by the search window itself.
static search_action hand_over_taken(search_action taken, int stay, os_window edit_line)
{
    if (taken != action_nothing)
        return taken;
    return stay ? start_paste_and_stay(edit_line) : hand_over();
}

enter_outcome on_enter(os_window owner, os_window edit_line, const enter_input &in)
{
    if (in.shift)
        search_run.keep_in_background = in.ctrl ? 1 : 0;
    else if (in.ctrl)
        return enter_outcome{action_end_finished, 0};
    if (search_run.confirmed_search == 1 && in.edit_text[0] != '\0') {
        search_run.confirmed_search = 0;
        return enter_outcome{action_run_search, 0};
    }
    if (in.line == nullptr)
        return enter_outcome{action_end_finished, 0};
    if (choice_run.text_file_search == text_file_on && search_run.file_choice == 1) {
        choose_text_file(owner, in.line);
        return enter_outcome{action_file_chosen, 0};
    }
    if (choice_run.text_file_search == text_file_on)
        return enter_outcome{hand_over_taken(take_text_file_line(owner, in.line), in.shift, edit_line), 0};
    if (starts_with_nocase(in.line, "&1"))
        return enter_outcome{hand_over_clipboard(), 1};
    if (run_utility_line(in.line))
        return enter_outcome{action_end_finished, 0};
    const search_action accepted = accept_item(owner, listed_item(in.line, in.item));
    return enter_outcome{hand_over_taken(accepted, in.shift, edit_line), 1};
}
