#include "datafile_support.h"

#include <algorithm>

#include "app/activation.h"

namespace {

const os_window main_window = 7;
const os_window target_window = 42;

// Each fake chooser logs its name and gives the answer the test set for it (a cancel when none).
std::map<std::string, int> answers;

choice_result ask(const char *name)
{
    fake.events.push_back(name);
    return static_cast<choice_result>(answers[name]);
}

constexpr int cancelled = choice_cancelled, scheduled = choice_scheduled, go_on = choice_continue;

// One case of a step: what the test arranges before it runs, and the events it gives, without the
// restored selections.
struct flow_row {
    const char *name;
    void (*arrange)();
    const char *flow;
};

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
        };
        delivery_hooks = delivery_hook_table{
            [](os_window) { return static_cast<int>(ask("history_macros")); },
            [] { ask("write_log"); },
        };
        answers = {{"window", go_on}, {"text_file", go_on}, {"main_menu", scheduled}, {"history_macros", 1}};
        target.target_window = target.start_foreground = target_window;
        windows.window_count = 1;
        windows.window_handle[0] = target_window;
        fake.clipboard = "pasted"; // what a direct start that goes on pastes
        fake.clipboard_has_text = true;
        copy_text(output.output_text, sizeof output.output_text, "x");
    }

    template <size_t n> void expect_flows(void (*step)(os_window), const flow_row (&rows)[n])
    {
        for (const auto &r : rows) {
            SetUp();
            r.arrange();
            step(main_window);
            std::string flow;
            for (const auto &e : fake.events)
                if (e.rfind("setsel", 0) != 0)
                    flow += (flow.empty() ? "" : ", ") + e;
            EXPECT_EQ(flow, r.flow) << r.name;
        }
    }
};

// The main window closes when the first timer is refused, so that the instance does not linger.
void create(os_window main)
{
    if (!select_target(main))
        os_close_window(main);
}

TEST_F(Activation, TargetSelectionListsWindowsCapturesTheTargetAndArmsTheFirstTimer)
{
    const flow_row rows[] = {
        {"listed and captured", [] {}, "enumerate, capture 42, foreground 7, timer 610"},
        {"clipboard only: no list", [] { settings.output_mode = 2; }, "capture 42, foreground 7, timer 610"},
        {"refused first timer", [] { fake.timer_fails = true; },
         "enumerate, capture 42, foreground 7, close"},
    };
    expect_flows(create, rows);
}

void recent_start()
{
    settings.log_mode = settings.log_entry_count = settings.recent_first = 1;
}

// Timer 610: which start form runs, what its choosers answer, and whether the instance waits or closes.
TEST_F(Activation, ChooserStepFollowsTheStartFormAndTheAnswers)
{
    const flow_row rows[] = {
        {"history start wins over every other form",
         [] {
             recent_start(), settings.direct_mode = 2,
                             settings.path_argument_found = settings.search_kind = 1;
         },
         "history, close"},
        {"recent start wins over a direct start", [] { recent_start(), settings.path_argument_found = 1; },
         "recent, close"},
        {"recent start needs log entries", [] { recent_start(), settings.log_entry_count = 0; },
         "sleep 100, main_menu"},
        {"recent start needs the log mode", [] { recent_start(), settings.log_mode = 0; },
         "sleep 100, main_menu"},
        {"recent normal-start entry falls back to the main menu",
         [] { recent_start(), answers["recent"] = go_on; }, "recent, sleep 100, main_menu"},
        {"history normal-start entry falls back to the search window",
         [] { settings.direct_mode = 2, settings.search_kind = 1, answers["history"] = go_on; },
         "history, search, close"},
        {"history entry scheduled waits", [] { settings.direct_mode = 2, answers["history"] = scheduled; },
         "history"},
        {"history without a window to paste into closes",
         [] { settings.direct_mode = 2, windows.window_count = 0; }, "close"},
        {"history into the clipboard needs no window",
         [] { settings.direct_mode = 2, settings.output_mode = 2, windows.window_count = 0; },
         "history, close"},
        {"title popup takes over", [] { settings.title_first = 1, answers["title"] = scheduled; }, "title"},
        {"title popup declines", [] { settings.title_first = 1, answers["title"] = go_on; },
         "title, sleep 100, main_menu"},
        {"text-file popup closes", [] { settings.text_file_search = 1, answers["text_file"] = cancelled; },
         "sleep 100, text_file, close"},
        {"text-file popup takes over",
         [] { settings.text_file_search = 1, answers["text_file"] = scheduled; }, "sleep 100, text_file"},
        {"text-file popup continues with the main menu", [] { settings.text_file_search = 1; },
         "sleep 100, text_file, main_menu"},
        {"main menu cancelled closes", [] { answers["main_menu"] = cancelled; },
         "sleep 100, main_menu, close"},
        {"missing main menu acts as a cancel", [] { choosers.show_main_menu = nullptr; }, "sleep 100, close"},
        {"search window armed a paste timer: waits",
         [] { settings.search_kind = 2, answers["search"] = scheduled; }, "search"},
        {"search window done: closes", [] { settings.search_kind = 2; }, "search, close"},
        {"several qualifying windows: the choice is asked, cancelled",
         [] { settings.window_select_mode = 5, windows.window_count = 2, answers["window"] = cancelled; },
         "sleep 100, window, close"},
        {"several qualifying windows: the choice is asked, then the main menu",
         [] { settings.window_select_mode = 5, windows.window_count = 2; },
         "sleep 100, window, sleep 100, main_menu"},
        {"one qualifying window: no choice", [] { settings.window_select_mode = 5; }, "sleep 100, main_menu"},
        {"direct start without a list uses the start's foreground window",
         [] { settings.direct_mode = 1, windows.window_count = 0; }, "foreground 42, timer 620"},
        {"direct start without a list under \"/#a=\" closes",
         [] { settings.direct_mode = 1, windows.window_count = 0, settings.window_select_mode = 1; },
         "close"},
        {"direct start without a list or a start window closes",
         [] { settings.direct_mode = 1, windows.window_count = 0, target.start_foreground = 0; }, "close"},
    };
    expect_flows(on_show_chooser_timer, rows);
}

void clm_text()
{
    copy_text(output.output_text, sizeof output.output_text, "a%clm%b");
    settings.replace_enabled = settings.history_running = 1;
}

TEST_F(Activation, HistoryChoicesStepAsksOnlyWhenTheRecorderRunsAndCLMRemains)
{
    const flow_row rows[] = {
        {"asks and continues", clm_text, "history_macros, foreground 42, sleep 100, timer 720"},
        {"cancelled choice closes", [] { clm_text(), answers["history_macros"] = 0; },
         "history_macros, close"},
        {"recorder stopped", [] { clm_text(), settings.history_running = 0; }, "timer 720"},
        {"replacement off", [] { clm_text(), settings.replace_enabled = 0; }, "timer 720"},
        {"clipboard macro already done", [] { clm_text(), output.clipboard_macro_done = 1; }, "timer 720"},
        {"no macro in the text", [] { settings.replace_enabled = settings.history_running = 1; },
         "timer 720"},
        {"refused delivery timer closes", [] { fake.timer_fails = true; }, "close"},
    };
    expect_flows(on_history_choices_timer, rows);
}

// Delivered by insertion, which leaves one event, or failing on the clipboard.
TEST_F(Activation, DeliverStepLogsOnlyAfterADeliveryOutsideTextFiles)
{
    const flow_row rows[] = {
        {"logged", [] { settings.output_mode = 0, settings.log_mode = 1; }, "replace x, write_log, close"},
        {"no log mode", [] { settings.output_mode = 0; }, "replace x, close"},
        {"text-file line is not logged",
         [] { settings.output_mode = 0, settings.log_mode = settings.text_file_search = 1; },
         "replace x, close"},
        {"failed delivery is not logged", [] { settings.log_mode = 1, fake.clipboard_fails = true; },
         "close"},
    };
    expect_flows(on_deliver_timer, rows);
}

// A fresh process leaves these records as the zeroed static storage they start as (init_process_state):
// a reset must give the same, whatever they held.
TEST(ProcessState, ResetLeavesTheRecordsAFreshProcessSkipsAllZero)
{
    const std::pair<void *, size_t> records[] = {{&store, sizeof store},
                                                 {&windows, sizeof windows},
                                                 {&target, sizeof target},
                                                 {&output, sizeof output}};
    for (const auto &record : records)
        memset(record.first, 0xA5, record.second);
    reset_process_state();
    for (const auto &record : records) {
        const char *bytes = static_cast<const char *>(record.first);
        const char *first_set = std::find_if(bytes, bytes + record.second, [](char c) { return c != 0; });
        EXPECT_EQ(record.second, static_cast<size_t>(first_set - bytes)) << "first byte set of a record";
    }
}

} // namespace
