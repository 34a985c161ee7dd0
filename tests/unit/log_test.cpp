// The log of recent items: what is read back and written, and where the recent items show (the
// "ログ -&>" submenu, the main menu, the "/#o" popup and the search window's recent list).
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "datafile/log.h"
#include "datafile_support.h"
#include "menus/main_menu.h"
#include "menus/recent_menu.h"
#include "search/result_list.h"

namespace {

menu_model model;

// Items a, b, dup, dup, then c0 to c24 (ids 1000 to 1028) and a separator mark, whose caption is
// empty. The log file holds `log` at loading.
void load(const datafile_dir &d, const std::string &log_option, const std::string &log)
{
    std::string items = "a\nb\ndup\ndup\n";
    for (int i = 0; i < 25; ++i)
        items += "c" + std::to_string(i) + "\n";
    d.write("log.ini", log);
    ASSERT_EQ(d.load("[system]\n" + log_option + "\n%end\n[data]\n" + items + "+\n%end\n"), 1);
}

std::string lines_of(int from, int to, const char *prefix, const char *end)
{
    std::string all;
    for (int i = from; i <= to; ++i)
        all += prefix + std::to_string(i) + end;
    return all;
}

// Ids only, a built submenu in brackets.
std::string describe(int32_t menu)
{
    std::string out;
    for (int32_t e = model.menus[menu].first; e >= 0; e = model.entries[e].next) {
        out += std::to_string(model.entries[e].id) + "; ";
        if (model.entries[e].submenu >= 0)
            out += "[" + describe(model.entries[e].submenu) + "] ";
    }
    return out;
}

TEST(Log, ReadKeepsFileOrderOfKnownCaptionsUpToTheLimit)
{
    const std::string t260 = "c1" + std::string(258, 't');
    const std::tuple<const char *, std::string, std::string, std::string> rows[] = {
        {"file order; gone captions, empty lines and tabs dropped", "@log=1", "b\r\ngone\r\n\r\nd\tup\na\r\n",
         "b|dup|a|"},
        {"a last line without line feed is not read", "@log=1", "a\r\nb", "a|"},
        {"20 by default, gone lines not counted", "@log=1", "gone\n" + lines_of(0, 24, "c", "\n"),
         lines_of(0, 19, "c", "|")},
        {"up to the count of the option", "@log=2,22", lines_of(0, 24, "c", "\n"), lines_of(0, 21, "c", "|")},
        {"hostile lines: too long, zero bytes, a cut double-byte end", "@log=1",
         t260 + "\n" + std::string(600, 'a') + "\na" + std::string(1, '\0') + "x\r\nb\x95\r\nc2\r\n\x95",
         "c2|"},
        {"log mode 0 reads nothing", "@log=0,20", "a\r\n", ""},
    };
    for (const auto &[name, option, log, expected] : rows) {
        datafile_dir d;
        load(d, option, log);
        std::string read;
        for (int e = 0; e < settings.log_entry_count; ++e)
            read += std::string(log_entries[e]) + "|";
        EXPECT_EQ(read, expected) << name;
    }
}

TEST(Log, WritePutsTheChosenCaptionFirstAndKeepsTheOldLogWhenTheWriteFails)
{
    const std::string twenty = lines_of(0, 19, "c", "\r\n");
    const std::tuple<const char *, std::string, std::vector<const char *>, bool, std::string> rows[] = {
        {"chosen first, no duplicate", "a\r\nb\r\ndup\r\n", {"b"}, false, "b\r\na\r\ndup\r\n"},
        {"the first chosen again: unchanged", "a\r\nb\r\n", {"a"}, false, "a\r\nb\r\n"},
        {"21 lines after 20", twenty, {"a"}, false, "a\r\n" + twenty},
        {"two pastes of one resident process keep both", "a\r\n", {"b", "dup"}, false, "dup\r\nb\r\na\r\n"},
        {"a failed write leaves the old log", "a\r\nb\r\n", {"b"}, true, "a\r\nb\r\n"},
    };
    for (const auto &[name, log, chosen, fails, expected] : rows) {
        datafile_dir d;
        load(d, "@log=1", log);
        fake.file_writes_fail = fails;
        for (const char *caption : chosen)
            write_log(caption);
        EXPECT_EQ(read_all(d.path("log.ini")), expected) << name;
        EXPECT_FALSE(std::filesystem::exists(d.path("log.ini.new"))) << name;
    }
    datafile_dir d;
    load(d, "@log=1", "a\r\nb\r\n");
    copy_text(store.items[0].caption, 260, "renamed");
    write_log("b");
    EXPECT_EQ(read_all(d.path("log.ini")), "b\r\n") << "a caption no item has any more is dropped";
}

TEST(RecentItems, MenusPopupAndSearchListShowEveryItemOfEachLogEntry)
{
    const std::string items = "1000; 1001; 1002; 1003; " + lines_of(1004, 1028, "", "; ");
    const std::string version = "6999; 6210; [6220; 6230; ] ";
    const std::tuple<const char *, std::string, std::string, std::string> rows[] = {
        {"log mode 1: submenu after a separator", "@log=1", "dup\na\n",
         items + "6999; 6015; [1002; 1003; 1000; ] " + version},
        {"log mode 2: inside the main menu", "@log=2", "dup\na\n",
         items + "6999; 1002; 1003; 1000; " + version},
        {"nothing logged: no separator", "@log=1", "gone\n", items + version},
        {"entries past 20 behind 21 -&>", "@log=1,30", lines_of(0, 19, "c", "\n") + "dup\nc20\n",
         items + "6999; 6015; [" + lines_of(1004, 1023, "", "; ") + "6999; 6016; [1002; 1003; 1024; ] ] " +
             version},
    };
    for (const auto &[name, option, log, expected] : rows) {
        datafile_dir d;
        load(d, option, log);
        settings.output_mode = output_clipboard_only;
        EXPECT_EQ(describe(build_main_menu(&model)), expected) << name;
    }
    EXPECT_STREQ(model.entries[find_menu_entry(&model, 0, recent_menu_command)].caption, "ログ -&>");
    EXPECT_EQ(describe(build_recent_popup(&model)),
              lines_of(1004, 1023, "", "; ") + "6999; 6016; [1002; 1003; 1024; ] 8099; 8100; ");
    EXPECT_EQ(dispatch_recent_popup_command(1, 1004), choice_scheduled);
    EXPECT_STREQ(output.latest_caption, "c0");
    EXPECT_EQ(dispatch_recent_popup_command(1, recent_popup_normal_start), choice_continue);
    EXPECT_EQ(dispatch_recent_popup_command(1, 0), choice_cancelled);
    search_result listed;
    EXPECT_EQ(list_recent(&listed), 23);
    EXPECT_EQ(listed.entries[20] * 100 + listed.entries[21] * 10 + listed.entries[22], 2 * 100 + 3 * 10 + 24);
}

} // namespace
