// The clipboard history: the menu that "hist.ini" gives (also when the file lies), loading an
// entry, the recorder's update rule, and the "%CLM%" choices.
#include "datafile_support.h"

#include "datafile/history_file.h"
#include "expand/history_macros.h"
#include "menus/history_menu.h"
#include "menus/main_menu.h"

namespace {

menu_model model;
using texts = std::vector<std::string>;

// A file image: the entries' lengths (or those given), the current index, the entries' bytes.
std::string image_of(const texts &entries, int32_t current = 0, std::vector<int32_t> lengths = {})
{
    std::string out, bytes;
    for (size_t h = 0; h <= 100; ++h) {
        const int32_t v = h == 100 ? current : !lengths.empty() ? (h < lengths.size() ? lengths[h] : 0)
                                         : h < entries.size() ? static_cast<int32_t>(entries[h].size()) : 0;
        out.append(reinterpret_cast<const char *>(&v), 4);
        bytes += h < entries.size() ? entries[h] : "";
    }
    return out + bytes;
}

texts numbered(int n)
{
    texts out;
    for (int i = 0; i < n; ++i)
        out.push_back("e" + std::to_string(i));
    return out;
}

class History : public ::testing::Test {
  protected:
    void SetUp() override
    {
        copy_text(settings.history_path, sizeof settings.history_path, files.path("hist.ini").c_str());
    }
    datafile_dir files;
};

TEST_F(History, MenuLayout)
{
    // Name, file ("-" for none), head and tail lengths, how the menu ends.
    const std::tuple<const char *, std::string, int, int, std::string> rows[] = {
        {"missing file", "-", 30, 0, "8999 なし"},
        {"shorter than the header", image_of({"a"}).substr(0, 403), 30, 0, "8999 なし"},
        {"first length 0", image_of({"ab"}, 0, {0, 1}), 30, 0, "8999 なし"},
        {"a later entry past the end ends the list", image_of({"abc"}, 0, {1, 9, 1}), 30, 0,
         "8000 &1  a; sep 8999; 8100 &0  a"},
        {"current naming no listed entry: no &0", image_of({"a", "b"}, 2), 30, 0, "8000 &1  a; 8001 &2  b"},
        {"&0 shows the current entry", image_of({"a", "b"}, 1), 30, 0, "8001 &2  b; sep 8999; 8100 &0  b"},
        {"head and tail", image_of({std::string(25, 'h') + "0123456789"}, 999), 30, 10,
         "8000 &1  " + std::string(25, 'h') + "01234 :::::::: 0123456789"},
        {"half a character is left out of the head", image_of({std::string(29, 'h') + "\x82\xa0x"}, 999), 30,
         0, "8000 &1  " + std::string(29, 'h')},
        {"a cut double-byte end is kept", image_of({"ab\x82"}, 999), 30, 0, "8000 &1  ab\x82"},
        {"breaks, & and TAB made visible", image_of({"a&b\r\nc\td"}, 999), 30, 0, "8000 &1  a_b↓c d"},
        {"31 entries: &V with one entry", image_of(numbered(31)), 30, 0,
         "8029 &U  e29; sep 8999; 8300 &V : 31 ～ 60 [1: &1  e30 .. &1  e30]; sep 8999; 8100 &0  e0"},
        {"100 entries: &W and &X", image_of(numbered(100), 99), 30, 0,
         "8301 &W : 61 ～ 80 [20: &1  e60 .. &K  e79]; sep 8999; 8302 &X : 81 ～ 100 [20: &1  e80 .. &K  e99]; "
         "sep 8999; 8100 &0  e99"},
    };
    for (const auto &[name, file, head, tail, end] : rows) {
        std::remove(settings.history_path);
        if (file != "-")
            files.write("hist.ini", file);
        settings.history_head_chars = head;
        settings.history_tail_chars = tail;
        reset_menu_model(&model);
        const int32_t root = create_menu(&model, menu_lazy_history, 0);
        fill_lazy_menu(&model, root);
        const std::string got = describe_menu(model, root, shown_ids | shown_captions);
        EXPECT_EQ(got.substr(got.size() - std::min(got.size(), end.size())), end) << name;
    }
}

TEST_F(History, ChosenEntriesKeepTheirStoredBytes)
{
    files.write("hist.ini", image_of({"new&\r\n\tone", "older"}, 1));
    // Name, command id, kept for "%CLM%", result, output_text.
    const std::tuple<const char *, int32_t, int, int, std::string> rows[] = {
        {"entry 0 as stored", 8000, 0, 1, "new&\r\n\tone"},
        {"the current entry", 8100, 0, 1, "older"},
        {"an id past the listed entries", 8002, 0, 0, "untouched"},
        {"kept for the %CLM% choice", 8001, 1, 1, "untouched"},
    };
    for (const auto &[name, id, keep, result, text] : rows) {
        copy_text(output.output_text, output_text_capacity, "untouched");
        output.history_keep_block = keep;
        EXPECT_EQ(load_history_entry(id - 8000), result) << name;
        EXPECT_EQ(output.output_text, text) << name;
        const text_piece kept = kept_history_entry();
        EXPECT_EQ(std::string(kept.data, kept.length), keep ? "older" : "") << name;
        free_history_block();
    }
}

// The recorder's rule over a sequence of clipboard texts; the image read back gives the entries.
TEST(HistoryRecorder, UpdateRule)
{
    std::vector<char> image(history_file_limit);
    const std::string huge = std::string(history_entry_limit - 1, 'x') + "\x82\xa0"; // a character across the cap
    const texts texts101 = numbered(101), hundred(texts101.rbegin(), texts101.rend() - 1);
    const size_t all = history_file_limit;
    // Name, image before, clipboard texts, capacity, entries after, what the last text changed.
    const std::tuple<const char *, std::string, texts, size_t, texts, int> rows[] = {
        {"a text equal to the newest changes nothing", "", {"a", "a"}, all, {"a"}, 0},
        {"an older text moves to the top", "", {"a", "bb", "c", "bb"}, all, {"bb", "c", "a"}, 1},
        {"an empty text changes nothing", "", {"a", ""}, all, {"a"}, 0},
        {"a refused image counts as empty", image_of({"z"}, 0, {99}), {"a"}, all, {"a"}, 1},
        {"the oldest that do not fit go", "", {"0123456789", "abcdefghij", "ABCDEFGHIJ"},
         history_header_size + 25, {"ABCDEFGHIJ", "abcdefghij"}, 1},
        {"101 texts keep the newest 100", "", numbered(101), all, hundred, 1},
        {"a huge text is cut at a whole character", "", {huge}, all, {huge.substr(0, history_entry_limit - 1)}, 1},
    };
    for (const auto &[name, start, clips, capacity, expected, last_changed] : rows) {
        size_t size = start.size();
        memcpy(image.data(), start.data(), size);
        int changed = 0;
        for (const std::string &clip : clips)
            changed = record_history_text(image.data(), capacity, &size, clip.data(), clip.size());
        history_view view;
        parse_history(image.data(), size, &view);
        texts got;
        for (int h = 0; h < view.count; ++h)
            got.emplace_back(view.entry[h], view.length[h]);
        EXPECT_EQ(got, expected) << name;
        EXPECT_EQ(changed * 10 + view.current, last_changed * 10) << name << ": changed, current 0";
    }
}

// What the recorder may write over "hist.ini" at its start; a refused file is kept as "hist.ini.bad".
TEST(HistoryRecorder, OnlyAMissingFileStartsEmptyAndARefusedOneIsKeptBeside)
{
    std::vector<char> image(history_file_limit);
    const std::string ours = image_of({"a"}), empty = image_of({}, history_no_current);
    // Name, file ("-": none), held open, result * 10 + bytes kept, copied beside as ".bad".
    const std::tuple<const char *, std::string, bool, size_t, bool> rows[] = {
        {"missing: empty", "-", false, 10, false},
        {"held open: wait, write nothing", ours, true, 0, false},
        {"an empty history of ours", empty, false, 10 + empty.size(), false},
        {"lengths past its end", image_of({"a"}, 0, {99}), false, 10, true},
        {"over the size limit", ours + std::string(history_file_limit, 'x'), false, 10, true},
    };
    for (const auto &[name, file, held, result, bad] : rows) {
        datafile_dir d;
        const std::string path = d.path(file == "-" ? "none/hist.ini" : "hist.ini");
        d.write("hist.ini", file);
        fake.unreadable_file = held ? path : "";
        size_t size = 1;
        const int loaded = load_recorder_image(path.c_str(), image.data(), image.size(), &size);
        EXPECT_EQ(loaded * 10 + size, result) << name;
        EXPECT_EQ(read_all(path + ".bad") == file, bad) << name;
    }
}

// Picks answer in order; "" cancels.
texts picks;
int pick_count;
int fake_pick(os_window, text_piece *entry)
{
    const std::string &p = picks[static_cast<size_t>(pick_count++)];
    EXPECT_EQ(output.history_keep_block, 1) << "kept while the pick runs";
    *entry = text_piece{p.data(), p.size()};
    return p.empty() ? 0 : 1;
}

TEST(HistoryMacros, EachClmIsAPickInTextOrderAndACancelChangesNothing)
{
    // Name, text, picks, result, output_text, picks shown.
    const std::tuple<const char *, std::string, texts, int, std::string, int> rows[] = {
        {"two macros, two picks in order", "<%CLM%|%clm%>", {"first", "second"}, 1, "<first|second>", 2},
        {"a cancel at the second leaves the text", "<%CLM%|%CLM%>", {"first", ""}, 0, "<%CLM%|%CLM%>", 2},
        {"no macro, no pick", "plain", {}, 1, "plain", 0},
    };
    for (const auto &[name, text, answers, result, expected, shown] : rows) {
        reset_output_state();
        picks = answers;
        pick_count = 0;
        copy_text(output.output_text, output_text_capacity, text.c_str());
        EXPECT_EQ(expand_history_macros(1, fake_pick), result) << name;
        EXPECT_EQ(output.output_text, expected) << name;
        EXPECT_EQ(pick_count, shown) << name;
        EXPECT_EQ(output.history_keep_block, 0) << name;
        EXPECT_EQ(output.clipboard_macro_done, shown > 0 ? 1 : 0) << name;
    }
}

} // namespace
