#include "app/activation.h"

#include "target/target.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "expand/expand.h"
#include "output/output_state.h"
#include "output/paste.h"
#include "text/sjis.h"

activation_choosers choosers;

static void close_activation(os_window main) { os_close_window(main); }

void select_target(os_window main)
{
    windows.window_count = 0;
    if (settings.output_mode == 2) {
        if (target.start_foreground)
            capture_target(main, target.start_foreground);
    } else {
        windows.window_selected = 0;
        if (choosers.enumerate_windows)
            choosers.enumerate_windows();
        filter_window_list();
        if (target.target_window)
            capture_target(main, target.target_window);
    }
    os_arm_timer(main, timer_show_chooser);
}

// The user picks the target first when "/#a=" named no program and several windows qualify.
// Returns 0 when that choice was cancelled.
static int choice_step(os_window main)
{
    if (settings.window_select_mode != 5 || windows.window_count <= 1)
        return 1;
    os_sleep(100);
    return choosers.show_window_popup ? choosers.show_window_popup(main) : 0;
}

static int call_or_cancel(int (*chooser)(os_window), os_window main, int cancel_value)
{
    return chooser ? chooser(main) : cancel_value;
}

// The chooser of a normal start, used also when a history or recent-items popup falls back to it.
static void run_normal_chooser(os_window main)
{
    if (settings.search_kind > 0) {
        if (call_or_cancel(choosers.run_search_window, main, 1) != 0)
            close_activation(main);
        return;
    }
    os_sleep(100);
    if (call_or_cancel(choosers.show_main_menu, main, 0) == 0)
        close_activation(main);
}

static void history_start(os_window main)
{
    if (settings.output_mode != 2 && windows.window_count == 0) {
        close_activation(main);
        return;
    }
    if (!choice_step(main)) {
        close_activation(main);
        return;
    }
    int result = call_or_cancel(choosers.show_history_popup, main, 1);
    if (result == -1) {
        run_normal_chooser(main);
    } else if (result == 1 || settings.output_mode == 2) {
        close_activation(main);
    } else {
        // A history entry is pasted with paste keys whatever the output mode was.
        settings.output_mode = 1;
        return_to_target();
        os_arm_timer(main, timer_deliver);
    }
}

static void recent_start(os_window main)
{
    if (!choice_step(main)) {
        close_activation(main);
        return;
    }
    int result = call_or_cancel(choosers.show_recent_popup, main, 1);
    if (result == -1)
        run_normal_chooser(main);
    else if (result == 1)
        close_activation(main);
}

static void direct_start(os_window main)
{
    if (settings.output_mode != 2) {
        if (windows.window_count == 0 && (settings.window_select_mode != 0 || !target.start_foreground)) {
            close_activation(main);
            return;
        }
        if (!choice_step(main)) {
            close_activation(main);
            return;
        }
    }
    item_entry &source = store.items[0];
    copy_text(source.text, sizeof source.text, settings.path_argument);
    copy_text(source.file_param, sizeof source.file_param, settings.command_line ? settings.command_line : "");
    output.output_source = 1;
    if (!expand_item_file(main, 0, settings.direct_mode, 0) || settings.output_mode == 2) {
        close_activation(main);
        return;
    }
    return_to_target();
    os_arm_timer(main, timer_history_choices);
}

static void normal_start(os_window main)
{
    if (!choice_step(main)) {
        close_activation(main);
        return;
    }
    if (settings.title_first == 1 && choosers.show_title_popup && choosers.show_title_popup(main))
        return;
    if (settings.search_kind > 0) {
        run_normal_chooser(main);
        return;
    }
    os_sleep(100);
    if (settings.text_file_search > 0) {
        int result = call_or_cancel(choosers.show_text_file_popup, main, 1);
        if (result == 1) {
            close_activation(main);
            return;
        }
        if (result == 0)
            return;
    }
    if (call_or_cancel(choosers.show_main_menu, main, 0) == 0)
        close_activation(main);
}

void on_show_chooser_timer(os_window main)
{
    compute_popup_origin();
    if (settings.direct_mode == 2)
        history_start(main);
    else if (settings.log_mode > 0 && settings.log_entry_count > 0 && settings.recent_first == 1)
        recent_start(main);
    else if (settings.path_argument_found == 1 || settings.direct_mode == 1)
        direct_start(main);
    else
        normal_start(main);
}

void on_history_choices_timer(os_window main)
{
    if (output.clipboard_macro_done == 0 && settings.replace_enabled == 1 && settings.history_running == 1 &&
        find_nocase(output.output_text, "%CLM%")) {
        if (call_or_cancel(choosers.expand_history_macros, main, 0) == 0) {
            close_activation(main);
            return;
        }
        return_to_target();
        os_sleep(100);
    }
    os_arm_timer(main, timer_deliver);
}

void on_deliver_timer(os_window main)
{
    int delivered = paste_output(main);
    if (delivered && settings.log_mode > 0 && settings.text_file_search == 0 && choosers.write_log)
        choosers.write_log();
    close_activation(main);
}
