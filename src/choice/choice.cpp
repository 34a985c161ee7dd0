#include "choice/choice.h"

#include <cstdio>
#include <cstring>

#include "datafile/item_store.h"
#include "datafile/log.h"
#include "datafile/settings.h"
#include "expand/expand.h"
#include "output/output_state.h"
#include "output/paste.h"
#include "target/target.h"
#include "text/sjis.h"

choice_run_state choice_run;

constexpr unsigned beep_asterisk = 0x40; // MB_ICONASTERISK

bool clipboard_only() { return choice_run.output_mode == output_clipboard_only; }

// In clipboard-only mode the clipboard is the whole output; the beep tells the user it is there.
static int put_output_on_clipboard(os_window owner)
{
    if (!put_clipboard_text(owner, output.output_text, 0))
        return 0;
    os_beep(beep_asterisk);
    return 1;
}

int end_on_clipboard(os_window owner)
{
    if (!clipboard_only())
        return 0;
    put_output_on_clipboard(owner);
    return 1;
}

bool no_target_for_paste() { return !clipboard_only() && windows.window_count == 0; }

delivery_hook_table delivery_hooks;

int run_history_choices(os_window owner)
{
    if (output.clipboard_macro_done != 0 || expansion.replace_enabled != 1 || settings.history_running != 1 ||
        !find_nocase(output.output_text, "%CLM%"))
        return 1;
    if (!delivery_hooks.expand_history_macros || delivery_hooks.expand_history_macros(owner) == 0)
        return 0;
    return_to_target();
    os_sleep(foreground_settle_ms);
    return 1;
}

int deliver_and_log(os_window owner)
{
    if (!paste_output(owner, choice_run.output_mode))
        return 0;
    if (settings.log_mode > log_off && choice_run.text_file_search == text_file_off)
        write_log(output.latest_caption);
    return 1;
}

static choice_result schedule_output(os_window main, int timer)
{
    return_to_target();
    return os_arm_timer(main, timer) ? choice_scheduled : choice_cancelled;
}

choice_result hand_over_prepared(os_window main)
{
    return schedule_output(main, timer_history_choices);
}

choice_result hand_over_unchanged(os_window main)
{
    choice_run.output_mode = output_paste;
    output.latest_caption[0] = '\0';
    return schedule_output(main, timer_deliver);
}

// A prepared text of a menu or popup goes to the clipboard at once in clipboard-only mode, and is
// handed over either way (its "%CLM%" step and the delivery do nothing more to the target then).
static choice_result finish_prepared(os_window main)
{
    if (clipboard_only() && !put_output_on_clipboard(main))
        return choice_cancelled;
    return hand_over_prepared(main);
}

// An expanded file: in clipboard-only mode the clipboard is the whole output and the activation ends.
static choice_result finish_expanded(os_window main)
{
    return end_on_clipboard(main) ? choice_cancelled : hand_over_prepared(main);
}

take_result take_item(os_window owner, int32_t index)
{
    if (index < 0 || index >= store.item_count)
        return take_ended;
    const item_entry &item = store.items[index];
    copy_text(output.latest_caption, sizeof output.latest_caption, item.caption);
    if (item.kind != text_item)
        return take_ended;
    if (no_target_for_paste())
        return take_no_target;
    if (item.is_file == 1) {
        output.output_source = source_expanded;
        return expand_item_file(owner, index, expand_from_file, 0) ? take_ready : take_ended;
    }
    output.output_source = source_prepared;
    copy_text(output.output_text, sizeof output.output_text, item.text);
    prepare_chosen_text(owner);
    return take_ready;
}

choice_result finish_item(os_window main, int32_t index)
{
    if (take_item(main, index) != take_ready)
        return choice_cancelled;
    return store.items[index].is_file == 1 ? finish_expanded(main) : finish_prepared(main);
}

choice_result finish_text(os_window main)
{
    if (no_target_for_paste())
        return choice_cancelled;
    output.output_source = source_prepared;
    choice_run.text_file_search = text_file_on;
    prepare_chosen_text(main);
    return finish_prepared(main);
}

choice_result finish_direct(os_window main, int source)
{
    output.output_source = source_expanded;
    if (!expand_item_file(main, 0, source, 0))
        return choice_cancelled;
    return finish_expanded(main);
}

choice_result finish_clipboard(os_window main)
{
    if (windows.window_count == 0)
        return choice_cancelled;
    output.output_source = source_clipboard;
    return hand_over_unchanged(main);
}

choice_result finish_history_entry(os_window main)
{
    output.history_chosen = 1;
    return end_on_clipboard(main) ? choice_cancelled : hand_over_unchanged(main);
}

// The editor starts in its own folder.
void open_in_editor(const char *document)
{
    const char *editor = settings.editor_path;
    if (editor[0] == '\0' || !os_file_exists(editor) || os_is_directory(editor)) {
        os_shell_open(document, nullptr, nullptr);
        return;
    }
    char drive[path_capacity], dir[path_capacity], work_dir[path_capacity];
    split_path(editor, drive, dir, nullptr, nullptr);
    copy_text(work_dir, sizeof work_dir, drive);
    append_text(work_dir, sizeof work_dir, dir);
    // Quoted whole even at the length limit, where the system's quoting would give up and let the
    // editor see several arguments.
    char parameter[path_capacity + 3];
    if (strchr(document, ' ') != nullptr)
        snprintf(parameter, sizeof parameter, "\"%s\"", document);
    else
        copy_text(parameter, sizeof parameter, document);
    os_shell_open(editor, parameter, work_dir);
}

void switch_recorder()
{
    if (settings.history_running != 1 && os_file_exists(settings.recorder_link_path))
        os_shell_open(settings.recorder_link_path, nullptr, nullptr);
    else
        os_shell_open(settings.recorder_path, nullptr, nullptr);
}
