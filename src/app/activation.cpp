#include "app/activation.h"

#include "datafile/item_store.h"
#include "datafile/log.h"
#include "datafile/settings.h"
#include "expand/expand.h"
#include "search/search_state.h"
#include "target/target.h"
#include "text/sjis.h"

activation_choosers choosers;

// The first wait of an activation counts from the arming of timer 610, right after the target got
// the foreground back: the timer's own delay is part of it. Once a chooser has shown, waits are whole.
static uint32_t chooser_armed_at;
static bool settle_from_arming;

static void settle()
{
    int wait = foreground_settle_ms;
    if (settle_from_arming) {
        settle_from_arming = false;
        uint32_t spent = os_ticks() - chooser_armed_at;
        wait = spent >= static_cast<uint32_t>(wait) ? 0 : wait - static_cast<int>(spent);
    }
    os_sleep(wait);
}

static void close_activation(os_window main) { os_close_window(main); }

static choice_result call(chooser_fn chooser, os_window main)
{
    settle_from_arming = false;
    return chooser ? chooser(main) : choice_cancelled;
}

static void wait_or_close(os_window main, choice_result result)
{
    if (result != choice_scheduled)
        close_activation(main);
}

int select_target(os_window main)
{
    windows.window_count = 0;
    if (clipboard_only()) {
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
    chooser_armed_at = os_ticks();
    settle_from_arming = true;
    return os_arm_timer(main, timer_show_chooser);
}

// The user picks the target first when "/#a=" named no program and several windows qualify.
// Returns false when that choice was cancelled.
static bool choice_step(os_window main)
{
    if (target.window_select_mode != select_from_list || windows.window_count <= 1)
        return true;
    settle();
    return call(choosers.show_window_popup, main) == choice_continue;
}

// The chooser of a normal start, used also when a history or recent-items popup falls back to it.
static void run_normal_chooser(os_window main)
{
    if (search_run.search_kind != search_popup_menu) {
        wait_or_close(main, call(choosers.run_search_window, main));
        return;
    }
    settle();
    wait_or_close(main, call(choosers.show_main_menu, main));
}

// The history and recent-items popups that a start shows first.
static void popup_start(os_window main, chooser_fn popup)
{
    if (!choice_step(main)) {
        close_activation(main);
        return;
    }
    choice_result result = call(popup, main);
    if (result == choice_continue)
        run_normal_chooser(main);
    else
        wait_or_close(main, result);
}

static void direct_start(os_window main)
{
    if (!clipboard_only()) {
        if (windows.window_count == 0 &&
            (target.window_select_mode != select_foreground || !target.start_foreground)) {
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
    int from = settings.direct_mode == direct_clipboard ? expand_from_clipboard : expand_from_file;
    wait_or_close(main, finish_direct(main, from));
}

static void normal_start(os_window main)
{
    if (!choice_step(main)) {
        close_activation(main);
        return;
    }
    // The title popup either takes over or lets the ordinary chooser follow.
    if (settings.title_first == 1 && choosers.show_title_popup &&
        call(choosers.show_title_popup, main) == choice_scheduled)
        return;
    if (search_run.search_kind != search_popup_menu) {
        run_normal_chooser(main);
        return;
    }
    settle();
    if (choice_run.text_file_search != text_file_off) {
        choice_result result = call(choosers.show_text_file_popup, main);
        if (result != choice_continue) {
            wait_or_close(main, result);
            return;
        }
    }
    wait_or_close(main, call(choosers.show_main_menu, main));
}

void on_show_chooser_timer(os_window main)
{
    compute_popup_origin();
    if (settings.direct_mode == direct_history) {
        if (no_target_for_paste())
            close_activation(main);
        else
            popup_start(main, choosers.show_history_popup);
    } else if (settings.log_mode > 0 && log_entry_count > 0 && settings.recent_first == 1) {
        popup_start(main, choosers.show_recent_popup);
    } else if (settings.path_argument_found == 1 || settings.direct_mode == direct_clipboard) {
        direct_start(main);
    } else {
        normal_start(main);
    }
}

void on_history_choices_timer(os_window main)
{
    if (!run_history_choices(main) || !os_arm_timer(main, timer_deliver))
        close_activation(main);
}

void on_deliver_timer(os_window main)
{
    deliver_and_log(main);
    close_activation(main);
}
