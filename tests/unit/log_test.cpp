// The log of recent items: what is read back and written, and where the recent items show (the
// "ログ -&>" submenu, the main menu, the "/#o" popup and the search window's recent list).

#include "datafile/log.h"
#include "datafile_support.h"
#include "menus/main_menu.h"
#include "menus/recent_menu.h"
#include "search/result_list.h"

namespace {

menu_model model;

// Items a, b, dup, dup, c0 to c24 (ids 1000 to 1028) and a separator mark, whose caption is empty;
// `log` in the log file.
void load(const datafile_dir &d, const std::string &log_option, const std::string &log)
{
    d.write("log.ini", log);
    d.load("[system]\n" + log_option + "\n%end\n[data]\na\nb\ndup\ndup\n" + numbered("c", 0, 25, "\n") +
           "+\n%end\n");
}

// What was read shows in the file that the writes of the chosen captions (blank-separated) leave.
TEST(Log, ReadKeepsKnownCaptionsUpToTheLimitAndWriteMovesTheChosenOneFirst)
{
    const std::string hostile =
        std::string(600, 'a') + "\na" + std::string(1, '\0') + "\r\nb\x95\r\nc2\r\n\x95";
    const std::tuple<const char *, const char *, std::string, std::string, std::string> rows[] = {
        {"gone, empty lines and tabs dropped", "@log=1", "b\r\ngone\r\n\r\nd\tup\na\r\n", "b",
         "b\r\ndup\r\na\r\n"},
        {"a last line without line feed is not read", "@log=1", "a\r\nb", "dup", "dup\r\na\r\n"},
        {"20 read by default, 21 written", "@log=1", "x\n" + numbered("c", 0, 25, "\n"), "a",
         "a\r\n" + numbered("c", 0, 20, "\r\n")},
        {"too long, a zero byte, a cut double-byte end", "@log=1", hostile, "dup", "dup\r\nc2\r\n"},
        {"log mode 0 reads nothing", "@log=0,20", "b\r\n", "a", "a\r\n"},
        {"two pastes of a resident process", "@log=1", "a\r\n", "b dup", "dup\r\nb\r\na\r\n"},
        {"\"-\", a paste of no item (the clipboard, a history entry)", "@log=1", "a\r\n", "-", "a\r\n"},
    };
    for (const auto &[name, option, log, chosen, expected] : rows) {
        datafile_dir d;
        load(d, option, log);
        std::istringstream captions(chosen);
        for (std::string caption; captions >> caption;)
            write_log(caption == "-" ? "" : caption.c_str());
        EXPECT_EQ(read_all(d.path("log.ini")), expected) << name;
    }
    datafile_dir d;
    const std::string longest(259, 'z');
    d.write("log.ini", longest + "z\r\n" + longest + "\r\n");
    d.load("[system]\n@log=1\n%end\n[data]\n" + longest + "\n%end\n");
    EXPECT_EQ(log_entry_count, 1) << "a line of the 259-byte caption plus one byte names no item";
    copy_text(settings.data_file_request, sizeof settings.data_file_request, "log.ini");
    d.write("log.ini", "[system]\n@log=1\n%end\n[data]\na\n%end\n");
    load_data_file(1);
    EXPECT_EQ(settings.log_mode, log_off) << "a data file named log.ini: no log";
}

TEST(RecentItems, MenusPopupAndSearchListShowEveryItemOfEachLogEntry)
{
    const std::string past_20 = numbered("", 1004, 1024, "; ") + "sep 6999; 6016 [1002; 1003; 1024]";
    // After the items and a separator, before the version entry.
    const std::tuple<const char *, const char *, std::string, std::string> rows[] = {
        {"log mode 1: a submenu", "@log=1", "dup\na\n", "6015 [1002; 1003; 1000]; sep 6999; "},
        {"log mode 2: in the main menu", "@log=2", "dup\na\n", "1002; 1003; 1000; sep 6999; "},
        {"nothing logged: no separator", "@log=1", "x\n", ""},
        {"past 20 behind 21 -&>", "@log=1,30", numbered("c", 0, 20, "\n") + "dup\nc20\n",
         "6015 [" + past_20 + "]; sep 6999; "},
    };
    for (const auto &[name, option, log, expected] : rows) {
        load(datafile_dir(), option, log);
        choice_run.output_mode = output_clipboard_only;
        EXPECT_EQ(describe_menu(model, build_main_menu(&model), shown_ids | shown_submenus),
                  numbered("", 1000, 1029, "; ") + "sep 6999; " + expected + "6210 [6220; 6230]")
            << name;
    }
    auto caption = [](int32_t id) {
        return std::string(model.entries[find_menu_entry(&model, 0, id)].caption);
    };
    EXPECT_EQ(caption(recent_menu_command), "ログ -&>");
    EXPECT_EQ(describe_menu(model, build_recent_popup(&model), shown_ids | shown_submenus),
              past_20 + "; sep 8099; 8100");
    EXPECT_EQ(caption(recent_more_command) + caption(recent_popup_normal_start), "21 -&>&@ 通常起動");
    EXPECT_EQ(dispatch_recent_popup_command(1, recent_popup_normal_start), choice_continue);
    search_result listed;
    EXPECT_EQ(list_recent(&listed), 23);
    EXPECT_EQ(std::vector<int32_t>(listed.entries + 20, listed.entries + 23),
              std::vector<int32_t>({2, 3, 24}));
}

} // namespace
