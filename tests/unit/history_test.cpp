// The clipboard history: the menu that "hist.ini" gives (also when the file lies), loading an
// entry, the recorder's update rule, and the "%CLM%" choices.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "datafile/history_file.h"
#include "datafile/settings.h"
#include "expand/history_macros.h"
#include "menus/history_menu.h"
#include "menus/main_menu.h"
#include "os/fake/os_fake.h"
#include "output/output_state.h"
#include "target/target.h"
#include "text/sjis.h"

namespace {

menu_model model;
using texts = std::vector<std::string>;

std::string le32(int32_t v) { return std::string(reinterpret_cast<const char *>(&v), 4); }

// A file image: the lengths as given (the rest 0), the current index, the bytes.
std::string raw_image(const std::vector<int32_t> &lengths, int32_t current, const std::string &bytes)
{
    std::string out;
    for (int h = 0; h < history_capacity; ++h)
        out += le32(h < static_cast<int>(lengths.size()) ? lengths[h] : 0);
    return out + le32(current) + bytes;
}

std::string image_of(const texts &entries, int32_t current = 0)
{
    std::vector<int32_t> lengths;
    std::string bytes;
    for (const std::string &e : entries) {
        lengths.push_back(static_cast<int32_t>(e.size()));
        bytes += e;
    }
    return raw_image(lengths, current, bytes);
}

texts numbered(int n)
{
    texts out;
    for (int i = 0; i < n; ++i)
        out.push_back("e" + std::to_string(i));
    return out;
}

// One menu as "id caption" entries, built submenus in brackets.
std::string describe(int32_t menu)
{
    std::string out;
    for (int32_t e = model.menus[menu].first; e >= 0; e = model.entries[e].next) {
        const menu_entry &entry = model.entries[e];
        out += (out.empty() ? "" : "; ") + std::to_string(entry.id) +
               (entry.flags & menu_separator ? " sep" : std::string(" ") + entry.caption);
        if (entry.submenu >= 0)
            out += " [" + describe(entry.submenu) + "]";
    }
    return out;
}

bool ends_with(const std::string &s, const std::string &end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

class History : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_process_state();
        reset_fake_system();
        char pattern[] = "/tmp/mivra_history_XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        dir = pattern;
        snprintf(settings.history_path, sizeof settings.history_path, "%s/hist.ini", pattern);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    void write(const std::string &bytes) { std::ofstream(settings.history_path, std::ios::binary) << bytes; }
    std::string menu()
    {
        reset_menu_model(&model);
        const int32_t root = create_menu(&model, menu_lazy_history, 0);
        fill_lazy_menu(&model, root);
        return describe(root);
    }
    std::string dir;
};

TEST_F(History, MenuLayout)
{
    const std::string dbcs = "\x82\xa0"; // one double-byte character
    struct row {
        const char *name;
        std::string file; // "-" for no file
        int head, tail;
        std::string expected_end;
    } rows[] = {
        {"missing file", "-", 30, 0, "8999 なし"},
        {"shorter than the header", image_of({"a"}).substr(0, 403), 30, 0, "8999 なし"},
        {"first length 0", raw_image({0, 1}, 0, "ab"), 30, 0, "8999 なし"},
        {"first length negative", raw_image({-5, 1}, 0, "ab"), 30, 0, "8999 なし"},
        {"first length past the end rejects the file", raw_image({3, 1}, 0, "ab"), 30, 0, "8999 なし"},
        {"a later entry past the end ends the list", raw_image({1, 9, 1}, 0, "abc"), 30, 0,
         "8000 &1  a; 8999 sep; 8100 &0  a"},
        {"current 999: no &0", image_of({"a", "b"}, 999), 30, 0, "8000 &1  a; 8001 &2  b"},
        {"current naming no listed entry: no &0", image_of({"a", "b"}, 2), 30, 0, "8000 &1  a; 8001 &2  b"},
        {"&0 shows the current entry", image_of({"a", "b"}, 1), 30, 0, "8001 &2  b; 8999 sep; 8100 &0  b"},
        {"35 bytes show their head", image_of({std::string(30, 'h') + "TAIL5"}, 999), 30, 0,
         "8000 &1  " + std::string(30, 'h')},
        {"head and tail", image_of({std::string(25, 'h') + "0123456789"}, 999), 30, 10,
         "8000 &1  " + std::string(25, 'h') + "01234 :::::::: 0123456789"},
        {"half a character is left out of the head", image_of({std::string(29, 'h') + dbcs + "x"}, 999), 30,
         0, "8000 &1  " + std::string(29, 'h')},
        {"breaks, & and TAB made visible", image_of({"a&b\r\nc\td"}, 999), 30, 0, "8000 &1  a_b↓c d"},
        {"30 entries: no &V", image_of(numbered(30)), 30, 0, "8029 &U  e29; 8999 sep; 8100 &0  e0"},
        {"31 entries: &V with one entry", image_of(numbered(31)), 30, 0,
         "8029 &U  e29; 8999 sep; 8300 &V : 31 ～ 60 [8030 &1  e30]; 8999 sep; 8100 &0  e0"},
        {"100 entries: &W and &X", image_of(numbered(100), 99), 30, 0,
         "8059 &U  e59]; 8999 sep; 8301 &W : 61 ～ 80 [8060 &1  e60; 8061 &2  e61; 8062 &3  e62; 8063 &4  e63; "
         "8064 &5  e64; 8065 &6  e65; 8066 &7  e66; 8067 &8  e67; 8068 &9  e68; 8069 &A  e69; 8070 &B  e70; "
         "8071 &C  e71; 8072 &D  e72; 8073 &E  e73; 8074 &F  e74; 8075 &G  e75; 8076 &H  e76; 8077 &I   e77; "
         "8078 &J  e78; 8079 &K  e79]; 8999 sep; 8302 &X : 81 ～ 100 [8080 &1  e80; 8081 &2  e81; 8082 &3  e82; "
         "8083 &4  e83; 8084 &5  e84; 8085 &6  e85; 8086 &7  e86; 8087 &8  e87; 8088 &9  e88; 8089 &A  e89; "
         "8090 &B  e90; 8091 &C  e91; 8092 &D  e92; 8093 &E  e93; 8094 &F  e94; 8095 &G  e95; 8096 &H  e96; "
         "8097 &I   e97; 8098 &J  e98; 8099 &K  e99]; 8999 sep; 8100 &0  e99"},
    };
    for (const row &r : rows) {
        std::filesystem::remove(settings.history_path);
        if (r.file != "-")
            write(r.file);
        settings.history_head_chars = r.head;
        settings.history_tail_chars = r.tail;
        const std::string got = menu();
        EXPECT_TRUE(ends_with(got, r.expected_end)) << r.name << "\n" << got;
    }
}

TEST_F(History, ChosenEntriesKeepTheirStoredBytes)
{
    write(image_of({"new&\r\n\tone", "older"}, 1));
    add_listed_window(11, 1, "notepad", "memo");
    target.target_window = 11;
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
        EXPECT_EQ(std::string(kept_history_entry().data, kept_history_entry().length), keep ? "older" : "") << name;
        free_history_block();
    }
    // From the main menu: pasted with paste keys, past the "%CLM%" step.
    output.history_keep_block = 0;
    settings.output_mode = output_insert;
    EXPECT_EQ(dispatch_menu_command(1, 8000), choice_scheduled);
    EXPECT_EQ(output.output_text, std::string("new&\r\n\tone"));
    EXPECT_EQ(settings.output_mode, output_paste);
    EXPECT_TRUE(ends_with(fake_events(), "timer 720"));
}

// The recorder's rule over a sequence of clipboard texts; the image read back gives the entries.
TEST(HistoryRecorder, UpdateRule)
{
    static char image[history_header_size + 64];
    const std::string huge = std::string(history_entry_limit - 1, 'x') + "\x82\xa0";
    struct row {
        const char *name;
        std::string start;
        texts clips;
        size_t capacity;
        texts expected;
        int last_changed;
    } rows[] = {
        {"newest first, current 0", "", {"a", "b"}, sizeof image, {"b", "a"}, 1},
        {"a text equal to the newest changes nothing", "", {"a", "a"}, sizeof image, {"a"}, 0},
        {"an older text comes up again", "", {"a", "b", "a"}, sizeof image, {"a", "b", "a"}, 1},
        {"an empty text changes nothing", "", {"a", ""}, sizeof image, {"a"}, 0},
        {"a refused image counts as empty", raw_image({99}, 0, "z"), {"a"}, sizeof image, {"a"}, 1},
        {"the oldest that do not fit go", "", {"0123456789", "abcdefghij", "ABCDEFGHIJ"},
         history_header_size + 25, {"ABCDEFGHIJ", "abcdefghij"}, 1},
    };
    for (const row &r : rows) {
        size_t size = r.start.size();
        memcpy(image, r.start.data(), size);
        int changed = 0;
        for (const std::string &clip : r.clips)
            changed = record_history_text(image, r.capacity, &size, clip.data(), clip.size());
        EXPECT_EQ(changed, r.last_changed) << r.name;
        history_view view;
        parse_history(image, size, &view);
        EXPECT_EQ(view.current, 0) << r.name;
        texts got;
        for (int h = 0; h < view.count; ++h)
            got.emplace_back(view.entry[h], view.length[h]);
        EXPECT_EQ(got, r.expected) << r.name;
    }
    // 101 texts keep the newest 100; a huge text is cut at a whole character.
    std::vector<char> big(history_file_limit);
    size_t size = 0;
    for (int i = 0; i <= 100; ++i)
        record_history_text(big.data(), big.size(), &size, std::to_string(i).c_str(), std::to_string(i).size());
    history_view view;
    parse_history(big.data(), size, &view);
    EXPECT_EQ(view.count, 100);
    EXPECT_EQ(std::string(view.entry[99], view.length[99]), "1");
    record_history_text(big.data(), big.size(), &size, huge.data(), huge.size());
    parse_history(big.data(), size, &view);
    EXPECT_EQ(view.length[0], static_cast<int32_t>(history_entry_limit - 1));
}

// Picks answer in order; "" cancels.
texts picks;
int pick_count;
int keep_block_seen;
int fake_pick(os_window, text_piece *entry)
{
    keep_block_seen += output.history_keep_block;
    const std::string &p = picks[static_cast<size_t>(pick_count++)];
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
        pick_count = keep_block_seen = 0;
        copy_text(output.output_text, output_text_capacity, text.c_str());
        EXPECT_EQ(expand_history_macros(1, fake_pick), result) << name;
        EXPECT_EQ(output.output_text, expected) << name;
        EXPECT_EQ(pick_count, shown) << name;
        EXPECT_EQ(keep_block_seen, shown) << name;
        EXPECT_EQ(output.history_keep_block, 0) << name;
        EXPECT_EQ(output.clipboard_macro_done, shown > 0 ? 1 : 0) << name;
    }
}

} // namespace
