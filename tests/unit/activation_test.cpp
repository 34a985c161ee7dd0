#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/process_state.h"
#include "app/activation.h"
#include "target/target.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "os/fake/os_fake.h"
#include "output/output_state.h"
#include "text/sjis.h"

namespace {

const os_window main_window = 7;
const os_window target_window = 42;
const os_window focus_control = 43;

// Each fake chooser logs its call and gives the answer the test set for it (a cancel when none).
std::map<std::string, int> answers;

choice_result ask(const char *name)
{
    fake.events.push_back(std::string("chooser ") + name);
    return static_cast<choice_result>(answers[name]);
}

constexpr int cancelled = choice_cancelled, scheduled = choice_scheduled, go_on = choice_continue;

class Activation : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_process_state();
        reset_fake_system();
        choosers = activation_choosers{
            [] {
                ask("enumerate");
                add_listed_window(target_window, 1, "C:\\apps\\notepad.exe", "memo");
                add_listed_window(target_window + 10, 1, "C:\\apps\\other.exe", "other");
            },
            [](os_window) { return ask("window"); },
            [](os_window) { return ask("history"); },
            [](os_window) { return ask("recent"); },
            [](os_window) { return ask("title"); },
            [](os_window) { return ask("text_file"); },
            [](os_window) { return ask("main_menu"); },
            [](os_window) { return ask("search"); },
            [](os_window) { return static_cast<int>(ask("history_macros")); },
            [] { ask("write_log"); },
        };
        answers = {{"window", go_on}, {"text_file", go_on}, {"main_menu", scheduled}, {"history_macros", 1}};
        target.target_window = target.start_foreground = target_window;
        fake.focus_control = focus_control;
        windows.window_count = 1;
        windows.window_handle[0] = target_window;
    }

    // The events without the restored selections, in order.
    static std::string flow()
    {
        std::string out;
        for (const auto &e : fake.events)
            if (e.rfind("setsel", 0) != 0)
                out += (out.empty() ? "" : ", ") + e;
        return out;
    }
};

TEST_F(Activation, TargetSelectionListsWindowsCapturesTheTargetAndArmsTheFirstTimer)
{
    windows.window_count = 0;
    select_target(main_window);
    EXPECT_EQ(windows.window_count, 2);
    EXPECT_EQ(windows.window_selected, 0);
    EXPECT_EQ(target.focus_control, focus_control);
    EXPECT_EQ(fake_events(), "chooser enumerate\ncapture 42\nforeground 7\ntimer 610");

    // A clipboard-only start makes no window list.
    SetUp();
    settings.output_mode = 2;
    windows.window_count = 5;
    EXPECT_EQ(select_target(main_window), 1);
    EXPECT_EQ(windows.window_count, 0);
    EXPECT_EQ(fake_events(), "capture 42\nforeground 7\ntimer 610");

    // A refused first timer is reported, so that the instance closes instead of lingering.
    SetUp();
    fake.timer_fails = true;
    EXPECT_EQ(select_target(main_window), 0);
}

TEST_F(Activation, StartFormsInOrderOfPrecedence)
{
    struct row {
        const char *name;
        int direct_mode, log_mode, log_entries, recent_first, path_found, search_kind;
        const char *flow_start;
    } rows[] = {
        {"history start wins over everything", 2, 1, 3, 1, 1, 1, "chooser history"},
        {"recent start needs log entries", 0, 1, 3, 1, 1, 0, "chooser recent"},
        {"recent start without log entries is skipped", 0, 1, 0, 1, 0, 0, "sleep 100, chooser main_menu"},
        {"recent start without log mode is skipped", 0, 0, 3, 1, 0, 0, "sleep 100, chooser main_menu"},
        {"normal start with the search window", 0, 0, 0, 0, 0, 1, "chooser search"},
        {"normal start with the main menu", 0, 0, 0, 0, 0, 0, "sleep 100, chooser main_menu"},
    };
    for (const auto &r : rows) {
        SetUp();
        settings.direct_mode = r.direct_mode;
        settings.log_mode = r.log_mode;
        settings.log_entry_count = r.log_entries;
        settings.recent_first = r.recent_first;
        settings.path_argument_found = r.path_found;
        settings.search_kind = r.search_kind;
        on_show_chooser_timer(main_window);
        EXPECT_EQ(flow().rfind(r.flow_start, 0), 0u) << r.name << ": " << flow();
    }
}

TEST_F(Activation, HistoryAndRecentStartOutcomes)
{
    struct row {
        const char *name;
        int direct_mode, answer, search_kind, window_count;
        const char *flow;
    } rows[] = {
        {"history cancelled closes", 2, cancelled, 0, 1, "chooser history, close"},
        {"history normal-start entry falls back to the main menu", 2, go_on, 0, 1,
         "chooser history, sleep 100, chooser main_menu"},
        {"history normal-start entry falls back to the search window", 2, go_on, 1, 1,
         "chooser history, chooser search, close"},
        {"history entry scheduled waits", 2, scheduled, 0, 1, "chooser history"},
        {"history without a window to paste into closes", 2, scheduled, 0, 0, "close"},
        {"recent cancelled closes", 0, cancelled, 0, 1, "chooser recent, close"},
        {"recent normal-start entry falls back", 0, go_on, 0, 1, "chooser recent, sleep 100, chooser main_menu"},
        {"recent item scheduled waits", 0, scheduled, 0, 1, "chooser recent"},
    };
    for (const auto &r : rows) {
        SetUp();
        settings.direct_mode = r.direct_mode;
        settings.log_mode = settings.log_entry_count = settings.recent_first = 1;
        settings.search_kind = r.search_kind;
        windows.window_count = r.window_count;
        answers["history"] = answers["recent"] = r.answer;
        on_show_chooser_timer(main_window);
        EXPECT_EQ(flow(), r.flow) << r.name;
    }
}

TEST_F(Activation, NormalStartBranches)
{
    struct row {
        const char *name;
        int title_first, title_answer, text_file_search, text_file_answer, main_menu_answer;
        const char *flow;
    } rows[] = {
        {"title popup takes over", 1, scheduled, 0, 0, scheduled, "chooser title"},
        {"title popup declines", 1, go_on, 0, 0, scheduled, "chooser title, sleep 100, chooser main_menu"},
        {"text-file popup closes", 0, 0, 1, cancelled, scheduled, "sleep 100, chooser text_file, close"},
        {"text-file popup takes over", 0, 0, 1, scheduled, scheduled, "sleep 100, chooser text_file"},
        {"text-file popup continues with the main menu", 0, 0, 1, go_on, scheduled,
         "sleep 100, chooser text_file, chooser main_menu"},
        {"main menu cancelled closes", 0, 0, 0, 0, cancelled, "sleep 100, chooser main_menu, close"},
        {"main menu took over waits", 0, 0, 0, 0, scheduled, "sleep 100, chooser main_menu"},
    };
    for (const auto &r : rows) {
        SetUp();
        settings.title_first = r.title_first;
        settings.text_file_search = r.text_file_search;
        answers["title"] = r.title_answer;
        answers["text_file"] = r.text_file_answer;
        answers["main_menu"] = r.main_menu_answer;
        on_show_chooser_timer(main_window);
        EXPECT_EQ(flow(), r.flow) << r.name;
    }
}

TEST_F(Activation, ChoiceStepSearchWindowMissingChoosersAndDirectStartWithoutAText)
{
    struct row {
        const char *name;
        void (*arrange)();
        const char *flow;
    } rows[] = {
        {"several qualifying windows: the choice is asked, cancelled",
         [] { settings.window_select_mode = 5, windows.window_count = 2, answers["window"] = cancelled; },
         "sleep 100, chooser window, close"},
        {"several qualifying windows: the choice is asked, then the main menu",
         [] { settings.window_select_mode = 5, windows.window_count = 2; },
         "sleep 100, chooser window, sleep 100, chooser main_menu"},
        {"search window armed a paste timer: waits",
         [] { settings.search_kind = 2, answers["search"] = scheduled; }, "chooser search"},
        {"search window done: closes", [] { settings.search_kind = 2; }, "chooser search, close"},
        {"missing main menu acts as a cancel", [] { choosers.show_main_menu = nullptr; }, "sleep 100, close"},
        {"missing history popup acts as a cancel",
         [] { settings.direct_mode = 2, choosers.show_history_popup = nullptr; }, "close"},
        {"direct start without a candidate target closes",
         [] { settings.direct_mode = 1, windows.window_count = 0, settings.window_select_mode = 1; },
         "close"},
        {"direct start from an empty clipboard closes",
         [] { settings.direct_mode = 1, fake.clipboard_has_text = false; }, "close"},
    };
    for (const auto &r : rows) {
        SetUp();
        r.arrange();
        on_show_chooser_timer(main_window);
        EXPECT_EQ(flow(), r.flow) << r.name;
    }
}

TEST_F(Activation, DirectStartWithoutAWindowListUsesTheStartsForegroundWindow)
{
    settings.direct_mode = 1;
    windows.window_count = 0;
    fake.clipboard = "pasted";
    fake.clipboard_has_text = true;
    settings.command_line = "/#b";
    on_show_chooser_timer(main_window);
    EXPECT_EQ(flow(), "foreground 42, timer 620");
    EXPECT_STREQ(output.output_text, "pasted");
    EXPECT_STREQ(store.items[0].file_param, "/#b");
}

TEST_F(Activation, HistoryChoicesStepAsksOnlyWhenTheRecorderRunsAndCLMRemains)
{
    struct row {
        const char *name, *text;
        int replace, running, macro_done, answer;
        const char *flow;
    } rows[] = {
        {"asks and continues", "a%clm%b", 1, 1, 0, 1,
         "chooser history_macros, foreground 42, sleep 100, timer 720"},
        {"cancelled choice closes", "a%CLM%b", 1, 1, 0, 0, "chooser history_macros, close"},
        {"recorder stopped", "a%CLM%b", 1, 0, 0, 1, "timer 720"},
        {"replacement off", "a%CLM%b", 0, 1, 0, 1, "timer 720"},
        {"clipboard macro already done", "a%CLM%b", 1, 1, 1, 1, "timer 720"},
        {"no macro in the text", "plain", 1, 1, 0, 1, "timer 720"},
        {"refused delivery timer closes", "plain", 1, 1, 0, -1, "close"},
    };
    for (const auto &r : rows) {
        SetUp();
        copy_text(output.output_text, sizeof output.output_text, r.text);
        settings.replace_enabled = r.replace;
        settings.history_running = r.running;
        output.clipboard_macro_done = r.macro_done;
        answers["history_macros"] = r.answer;
        fake.timer_fails = r.answer < 0;
        on_history_choices_timer(main_window);
        EXPECT_EQ(flow(), r.flow) << r.name;
    }
}

TEST_F(Activation, DeliverStepLogsOnlyAfterADeliveryOutsideTextFiles)
{
    struct row {
        const char *name;
        int log_mode, text_file_search;
        bool fail_clipboard, logged;
    } rows[] = {
        {"logged", 1, 0, false, true},
        {"no log mode", 0, 0, false, false},
        {"text-file line is not logged", 1, 1, false, false},
        {"failed delivery is not logged", 1, 0, true, false},
    };
    for (const auto &r : rows) {
        SetUp();
        settings.log_mode = r.log_mode;
        settings.text_file_search = r.text_file_search;
        fake.clipboard_fails = r.fail_clipboard;
        copy_text(output.output_text, sizeof output.output_text, "x");
        on_deliver_timer(main_window);
        EXPECT_EQ(flow().find("chooser write_log") != std::string::npos, r.logged) << r.name;
        EXPECT_EQ(fake.events.back(), "close") << r.name;
    }
}

} // namespace
