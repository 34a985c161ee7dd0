#include "datafile_support.h"

#include <algorithm>

#include "app/activation.h"
#include "app/handover.h"
#include "datafile/log.h"
#include "expand/expand.h"
#include "search/search_state.h"

namespace {

const os_window main_window = 7, target_window = 42;

// Each fake chooser logs its name and gives the answer the test set for it (a cancel when none).
std::map<std::string, int> answers;

choice_result ask(const char *name)
{
    fake.events.push_back(name);
    return static_cast<choice_result>(answers[name]);
}

constexpr int cancelled = choice_cancelled, scheduled = choice_scheduled, go_on = choice_continue;
const char *const to_menu = "sleep 100, main_menu";

// One case of a step: what the test arranges, and the events it gives without restored selections.
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
        delivery_hooks.expand_history_macros = [](os_window) -> int { return ask("history_macros"); };
        answers = {{"window", go_on}, {"text_file", go_on}, {"main_menu", scheduled}, {"history_macros", 1}};
        target.target_window = target.start_foreground = target_window;
        windows.window_count = 1;
        windows.window_handle[0] = target_window;
        fake.clipboard = "pasted"; // what a direct start that goes on pastes
        fake.clipboard_has_text = true;
        copy_text(output.output_text, sizeof output.output_text, "x");
        // The log of a delivery: the caption "x", in a file that the flow shows as "logged".
        copy_text(output.latest_caption, sizeof output.latest_caption, "x");
        copy_text(settings.log_file_path, sizeof settings.log_file_path, files.path("log.ini").c_str());
        std::filesystem::remove(settings.log_file_path);
        read_log(0); // forgets a log that an earlier test left unreadable
    }
    datafile_dir files;

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
            EXPECT_EQ(flow + (std::filesystem::exists(settings.log_file_path) ? ", logged" : ""), r.flow)
                << r.name;
        }
    }
};

// The main window closes when the first timer is refused, so that the instance does not linger.
const auto create = [](os_window main) {
    if (!select_target(main))
        os_close_window(main);
};

TEST_F(Activation, TargetSelectionListsWindowsCapturesTheTargetAndArmsTheFirstTimer)
{
    const flow_row rows[] = {
        {"listed and captured", [] {}, "enumerate, capture 42, foreground 7, timer 610"},
        {"clipboard only: no list", [] { choice_run.output_mode = 2; }, "capture 42, foreground 7, timer 610"},
        {"refused timer", [] { fake.timer_fails = true; }, "enumerate, capture 42, foreground 7, close"},
    };
    expect_flows(create, rows);
}

// Start forms: the history popup first, the recent-items popup first, a direct start.
const auto history_start = [] { settings.direct_mode = direct_history; };
const auto recent_start = [] { settings.log_mode = log_entry_count = settings.recent_first = 1; };
const auto direct_start_alone = [] { settings.direct_mode = direct_clipboard, windows.window_count = 0; };
const auto several_windows = [] { target.window_select_mode = select_from_list, windows.window_count = 2; };

// Timer 610: which start form runs, what its choosers answer, and whether the instance waits or closes.
TEST_F(Activation, ChooserStepFollowsTheStartFormAndTheAnswers)
{
    const flow_row rows[] = {
        {"history before every other form",
         [] { history_start(), recent_start(), settings.path_argument_found = 1; }, "history, close"},
        {"recent, not direct", [] { recent_start(), settings.path_argument_found = 1; }, "recent, close"},
        {"recent: no log entries", [] { recent_start(), log_entry_count = 0; }, to_menu},
        {"recent: no log mode", [] { recent_start(), settings.log_mode = 0; }, to_menu},
        {"history: go on", [] { history_start(), search_run.search_kind = 1, answers["history"] = go_on; },
         "history, search, close"},
        {"history entry scheduled waits", [] { history_start(), answers["history"] = scheduled; }, "history"},
        {"history without a window closes", [] { history_start(), windows.window_count = 0; }, "close"},
        {"history to the clipboard: no window needed",
         [] { history_start(), choice_run.output_mode = 2, windows.window_count = 0; }, "history, close"},
        {"text-file popup closes", [] { choice_run.text_file_search = 1, answers["text_file"] = cancelled; },
         "sleep 100, text_file, close"},
        {"text-file popup: go on", [] { choice_run.text_file_search = 1; }, "sleep 100, text_file, main_menu"},
        {"menu cancelled", [] { answers["main_menu"] = cancelled; }, "sleep 100, main_menu, close"},
        {"missing main menu acts as a cancel", [] { choosers.show_main_menu = nullptr; }, "sleep 100, close"},
        {"search window done: closes", [] { search_run.search_kind = 2; }, "search, close"},
        {"several windows: choice first", [] { several_windows(), answers["window"] = cancelled; },
         "sleep 100, window, close"},
        {"one window: no choice", [] { target.window_select_mode = select_from_list; }, to_menu},
        {"direct start: the start's foreground window", direct_start_alone, "foreground 42, timer 620"},
        {"direct, \"/#a=\": closes", [] { direct_start_alone(), target.window_select_mode = 1; }, "close"},
        {"direct, no start window", [] { direct_start_alone(), target.start_foreground = 0; }, "close"},
    };
    expect_flows(on_show_chooser_timer, rows);
}

// The first wait counts from the arming of timer 610, which fires `delay` ms later; a wait after a
// popup is whole.
TEST_F(Activation, FirstWaitCountsFromTheArmingOfTheFirstTimer)
{
    static uint32_t delay;
    const flow_row rows[] = {
        {"30 ms late: the rest", [] { delay = 30; }, "sleep 70, main_menu"},
        {"later than the wait: none", [] { delay = 150; }, "sleep 0, main_menu"},
        {"across the counter's wrap", [] { fake.ticks = 0xFFFFFFF0u, delay = 30; }, "sleep 70, main_menu"},
        {"after the window choice: whole", [] { several_windows(), delay = 30; },
         "sleep 70, window, sleep 100, main_menu"},
        {"after the history popup: whole", [] { history_start(), answers["history"] = go_on, delay = 30; },
         "history, sleep 100, main_menu"},
    };
    expect_flows(
        [](os_window main) {
            select_target(main);
            fake.events.clear();
            fake.ticks += delay;
            on_show_chooser_timer(main);
        },
        rows);
}

const auto clm_text = [] {
    copy_text(output.output_text, sizeof output.output_text, "a%clm%b");
    expansion.replace_enabled = settings.history_running = 1;
};

TEST_F(Activation, HistoryChoicesStepAsksOnlyWhenTheRecorderRunsAndCLMRemains)
{
    const flow_row rows[] = {
        {"asks and continues", clm_text, "history_macros, foreground 42, sleep 100, timer 720"},
        {"cancelled: closes", [] { clm_text(), answers["history_macros"] = 0; }, "history_macros, close"},
        {"recorder stopped", [] { clm_text(), settings.history_running = 0; }, "timer 720"},
        {"replacement off", [] { clm_text(), expansion.replace_enabled = 0; }, "timer 720"},
        {"clipboard macro done", [] { clm_text(), output.clipboard_macro_done = 1; }, "timer 720"},
        {"no macro", [] { expansion.replace_enabled = settings.history_running = 1; }, "timer 720"},
        {"refused timer closes", [] { fake.timer_fails = true; }, "close"},
    };
    expect_flows(on_history_choices_timer, rows);
}

// Delivered by insertion, which leaves one event, or failing on the clipboard.
TEST_F(Activation, DeliverStepLogsOnlyAfterADeliveryOutsideTextFiles)
{
    const flow_row rows[] = {
        {"logged", [] { choice_run.output_mode = 0, settings.log_mode = 1; }, "replace x, close, logged"},
        {"no log mode", [] { choice_run.output_mode = 0; }, "replace x, close"},
        {"text-file line is not logged",
         [] { choice_run.output_mode = 0, settings.log_mode = choice_run.text_file_search = 1; },
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

// One row per sequence of events: "c" a WM_CLOSE, "a" a hand-over request, "[" the delivery begins,
// "]" it ends. Each message is answered "now" or "later"; the end of a delivery gives what follows.
TEST(Handover, MessagesDuringADeliveryWaitForItsEnd)
{
    const std::tuple<const char *, const char *, const char *> rows[] = {
        {"outside a delivery both are carried out at once", "c a", "close:now activate:now"},
        {"requests in one delivery: one activation", "[ a a ]", "activate:later activate:later end:activate"},
        {"a close wins over a request", "[ a c ]", "activate:later close:later end:close"},
        {"the delivery's own close, posted, comes after its end", "[ ] c", "end:none close:now"},
        {"what followed one delivery is not repeated", "[ c ] [ ]", "close:later end:close end:none"},
    };
    const char *followups[] = {"none", "close", "activate"};
    for (const auto &[name, events, expected] : rows) {
        reset_handover();
        std::string out;
        for (const char *e = events; *e; ++e) {
            std::string step;
            if (*e == 'c')
                step = std::string("close:") + (handover_close_now() ? "now" : "later");
            else if (*e == 'a')
                step = std::string("activate:") + (handover_activate_now() ? "now" : "later");
            else if (*e == '[')
                handover_begin_delivery();
            else if (*e == ']')
                step = std::string("end:") + followups[handover_end_delivery()];
            if (!step.empty())
                out += (out.empty() ? "" : " ") + step;
        }
        EXPECT_EQ(out, expected) << name;
    }
}

} // namespace
