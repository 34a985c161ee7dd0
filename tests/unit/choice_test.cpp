#include "datafile_support.h"

#include "choice/choice.h"

namespace {

const os_window main_window = 1;
const std::string returned = "foreground 11\nsetsel 0 0 0"; // the target back in front
const std::string to_620 = returned + "\ntimer 620";

// The ways a choice ends; items 0 and 1 are a text and a file.
using finish_fn = choice_result (*)();
const auto text_item = [] { return finish_item(main_window, 0); };
const auto file_item = [] { return finish_item(main_window, 1); };
const auto text_line = [] { return finish_text(main_window); };
const auto clipboard_entry = [] { return finish_clipboard(main_window); };
const auto history_entry = [] { return finish_history_entry(main_window); };

class Choice : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_process_state();
        reset_fake_system();
        target.target_window = 11;
        add_listed_window(11, 1, "notepad", "memo");
        item_entry &text = store.items[store.item_count++];
        copy_text(text.text, 260, "a↓b");
        copy_text(text.caption, 260, "&Caption");
        item_entry &file = store.items[store.item_count++];
        file.is_file = 1;
        copy_text(file.text, 260, files.path("file.txt").c_str());
        std::ofstream(file.text) << "from file";
        copy_text(output.output_text, sizeof output.output_text, "a↓b");
    }
    datafile_dir files;
};

TEST_F(Choice, EveryFinishAppliesTheClipboardOnlyRuleArmsItsTimerAndLeavesTheDeliveryItsState)
{
    const int paste = output_paste, clip_only = output_clipboard_only;
    const choice_result scheduled = choice_scheduled, cancelled = choice_cancelled;
    const int works = 0, no_clipboard = 1, no_timer = 2; // what the system refuses
    // Name, finish, output mode, listed windows, what fails, result, events.
    const std::tuple<const char *, finish_fn, int, int, int, choice_result, std::string> rows[] = {
        {"text item, clipboard only: clipboard, still 620", text_item, clip_only, 0, works, scheduled,
         "clip a\r\nb\nbeep 64\n" + to_620},
        {"text item, clipboard only, write fails", text_item, clip_only, 0, no_clipboard, cancelled, ""},
        {"refused timer ends the activation", text_item, paste, 1, no_timer, cancelled, returned},
        {"file, clipboard only", file_item, clip_only, 0, works, cancelled, "clip from file\nbeep 64"},
        {"clipboard entry without a window", clipboard_entry, paste, 0, works, cancelled, ""},
    };
    for (const auto &[name, finish, output_mode, window_count, fails, result, events] : rows) {
        SetUp();
        choice_run.output_mode = output_mode;
        windows.window_count = window_count;
        fake.clipboard_fails = fails == no_clipboard;
        fake.timer_fails = fails == no_timer;
        EXPECT_EQ(finish(), result) << name;
        EXPECT_EQ(fake_events(), events) << name;
    }
    // What the choice leaves for the delivery.
    SetUp();
    EXPECT_EQ(text_item(), choice_scheduled);
    EXPECT_EQ(output.latest_caption + std::to_string(output.output_source), "&Caption0");
    EXPECT_EQ(joined({text_line(), choice_run.text_file_search}), "1 1") << "a text-file line is not logged";
    // The clipboard and a history entry go out unchanged: with paste keys, no caption for the log.
    choice_run.output_mode = output_insert;
    EXPECT_EQ(clipboard_entry(), choice_scheduled);
    EXPECT_EQ(output.latest_caption + joined({choice_run.output_mode, output.output_source}), "1 2");
    choice_run.output_mode = output_insert;
    copy_text(output.latest_caption, sizeof output.latest_caption, "&Caption");
    EXPECT_EQ(history_entry(), choice_scheduled);
    EXPECT_EQ(output.latest_caption + joined({choice_run.output_mode, output.history_chosen}), "1 1");
}

} // namespace
