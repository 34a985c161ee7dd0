// The command line: the path argument with real files, every "/#" switch, their precedence and the
// 259-character rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "cmdline/cmdline.h"
#include "core/target.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "os/fake/os_fake.h"
#include "output/output_state.h"
#include "text/sjis.h"

namespace {

class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_settings();
        reset_item_store();
        reset_output_state();
        reset_target_state();
        reset_fake_system();
        char pattern[] = "/tmp/mivra_cmdline_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        copy_text(settings.exe_dir, sizeof settings.exe_dir, (dir + "/").c_str());
        copy_text(settings.data_file_name, sizeof settings.data_file_name, "Mivra.ini");
        touch("Mivra.ini");
        touch("other.ini");
        touch("a.txt");
        touch("b.txt");
        touch("my");
        touch("my file.txt");
        mkdir((dir + "/folder").c_str(), 0700);
    }
    void TearDown() override
    {
        std::string command = "rm -rf '" + dir + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }

    std::string touch(const std::string &name)
    {
        std::string path = dir + "/" + name;
        FILE *f = fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        fclose(f);
        return path;
    }

    // As the first instance does it: the path argument first, then the switches.
    void run(const std::string &command_line)
    {
        find_path_argument(command_line.c_str());
        parse_command_line(command_line.c_str());
    }

    std::string p(const std::string &name) const { return dir + "/" + name; }

    std::string dir;
};

// ---- the path argument -------------------------------------------------------------------------

TEST_F(CommandLineTest, PathArgumentIsTheFirstTokenThatNamesAFileOrFolder)
{
    struct row {
        const char *name;
        std::string line;
        int found;
        std::string path;
    } rows[] = {
        {"plain path", p("a.txt"), 1, p("a.txt")},
        {"after a switch", "/#b " + p("a.txt"), 1, p("a.txt")},
        {"first of two", p("a.txt") + " " + p("b.txt"), 1, p("a.txt")},
        {"folder", p("folder"), 1, p("folder")},
        {"missing file", p("none.txt"), 0, ""},
        {"quoted path with a blank is one token", "\"" + p("my file.txt") + "\"", 1, p("my file.txt")},
        {"unquoted path with a blank is split", p("my file.txt"), 1, p("my")},
        {"blanks inside the quotes are removed", "\"  " + p("a.txt") + "  \"", 1, p("a.txt")},
        {"quote right after a token", "xyz\"" + p("my file.txt") + "\"", 1, p("my file.txt")},
        {"quote after a file token takes the file", p("a.txt") + "\"" + p("b.txt") + "\"", 1, p("a.txt")},
        {"unclosed quote is not removed", "\"" + p("a.txt"), 0, ""},
        {"tab inside a token is ignored", p("a.t\txt"), 1, p("a.txt")},
        {"line breaks are ignored", p("b.txt") + "\r\n", 1, p("b.txt")},
        {"switch token is no path", "/#b /#c", 0, ""},
        {"missing quoted then existing", "\"" + p("x y") + "\" " + p("b.txt"), 1, p("b.txt")},
    };
    for (const auto &r : rows) {
        reset_settings();
        find_path_argument(r.line.c_str());
        EXPECT_EQ(settings.path_argument_found, r.found) << r.name;
        EXPECT_EQ(std::string(settings.path_argument), r.path) << r.name;
    }
}

TEST_F(CommandLineTest, RelativePathIsTestedAgainstTheCurrentDirectory)
{
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    find_path_argument("/#l a.txt");
    ASSERT_EQ(chdir(saved), 0);
    EXPECT_EQ(settings.path_argument_found, 1);
    EXPECT_STREQ(settings.path_argument, "a.txt");
}

TEST_F(CommandLineTest, PathOf260CharactersOrMoreIsNeverTaken)
{
    // A real file whose full path is longer than a path field holds.
    std::string deep = dir;
    while (deep.size() < 300) {
        deep += "/" + std::string(60, 'd');
        mkdir(deep.c_str(), 0700);
    }
    std::string file = deep + "/f.txt";
    FILE *f = fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    find_path_argument(file.c_str());
    EXPECT_EQ(settings.path_argument_found, 0);

    std::string long_token(2000, 'x');
    find_path_argument((long_token + " " + p("a.txt")).c_str());
    EXPECT_EQ(settings.path_argument_found, 1) << "an over-long token is cut, not overflowed";
    EXPECT_EQ(std::string(settings.path_argument), p("a.txt"));
}

// ---- the switches ------------------------------------------------------------------------------

struct switch_row {
    const char *name;
    std::string line;
    int history_running;
    // expectations
    int select_mode;
    const char *select_name;
    int search_kind;
    const char *word;
    int word_state;
    int output_mode, direct_mode, recent_first, migemo_on, title_first;
};

TEST_F(CommandLineTest, SwitchesSetTheStartModes)
{
    const switch_row rows[] = {
        // name                              line                  hist  sel name       kind word   st out dir
        // rec mig tit
        {"nothing", "", 0, 0, "", 0, "", 0, 1, 0, 0, 0, 0},
        {"window by name", "/#a=notepad", 0, 1, "notepad", 0, "", 0, 1, 0, 0, 0, 0},
        {"window list", "/#a=", 0, 5, "", 0, "", 0, 1, 0, 0, 0, 0},
        {"select programs", "/#a", 0, 7, "", 0, "", 0, 1, 0, 0, 0, 0},
        {"/#a= wins over /#a", "/#a /#a=", 0, 5, "", 0, "", 0, 1, 0, 0, 0, 0},
        {"upper case switch", "/#A=Notepad", 0, 1, "Notepad", 0, "", 0, 1, 0, 0, 0, 0},
        {"value ends at a blank", "/#a=note pad", 0, 1, "note", 0, "", 0, 1, 0, 0, 0, 0},
        {"prefix search with a word", "/#i=abc", 0, 0, "", 1, "abc", 1, 1, 0, 0, 0, 0},
        {"prefix search with an empty word", "/#i=", 0, 0, "", 1, "", 2, 1, 0, 0, 0, 0},
        {"prefix search", "/#i", 0, 0, "", 1, "", 0, 1, 0, 0, 0, 0},
        {"substring search with a word", "/#g=xyz", 0, 0, "", 2, "xyz", 1, 1, 0, 0, 0, 0},
        {"substring search with an empty word", "/#G=", 0, 0, "", 2, "", 2, 1, 0, 0, 0, 0},
        {"substring search", "/#g", 0, 0, "", 2, "", 0, 1, 0, 0, 0, 0},
        {"/#i= wins over /#g=", "/#g=two /#i=one", 0, 0, "", 1, "one", 1, 1, 0, 0, 0, 0},
        {"/#i wins over /#g=", "/#g=two /#i", 0, 0, "", 1, "", 0, 1, 0, 0, 0, 0},
        {"word up to the blank", "/#i=two words", 0, 0, "", 1, "two", 1, 1, 0, 0, 0, 0},
        {"clipboard only", "/#c", 0, 0, "", 0, "", 0, 2, 0, 0, 0, 0},
        {"clipboard start", "/#b", 0, 0, "", 0, "", 0, 1, 1, 0, 0, 0},
        {"history start without recorder", "/#h", 0, 0, "", 0, "", 0, 1, 0, 0, 0, 0},
        {"history start with recorder", "/#h", 1, 0, "", 0, "", 0, 1, 2, 0, 0, 0},
        {"/#h overrides /#b", "/#b /#h", 1, 0, "", 0, "", 0, 1, 2, 0, 0, 0},
        {"/#b stays without recorder", "/#b /#h", 0, 0, "", 0, "", 0, 1, 1, 0, 0, 0},
        {"recent first", "/#o", 0, 0, "", 0, "", 0, 1, 0, 1, 0, 0},
        {"romaji without search has no effect", "/#j", 0, 0, "", 0, "", 0, 1, 0, 0, 0, 0},
        {"romaji with prefix search", "/#i /#j", 0, 0, "", 1, "", 0, 1, 0, 0, 1, 0},
        {"romaji with substring search", "/#J /#g", 0, 0, "", 2, "", 0, 1, 0, 0, 1, 0},
        {"title first", "/#y", 0, 0, "", 0, "", 0, 1, 0, 0, 0, 1},
        {"switch inside a longer token", "x/#cy", 0, 0, "", 0, "", 0, 2, 0, 0, 0, 0},
        {"everything at once", "/#a=ed /#i=w /#c /#b /#o /#j /#y", 0, 1, "ed", 1, "w", 1, 2, 1, 1, 1, 1},
    };
    for (const auto &r : rows) {
        reset_settings();
        copy_text(settings.exe_dir, sizeof settings.exe_dir, (dir + "/").c_str());
        settings.history_running = r.history_running;
        run(r.line);
        EXPECT_EQ(settings.window_select_mode, r.select_mode) << r.name;
        EXPECT_STREQ(settings.window_select_name, r.select_name) << r.name;
        EXPECT_EQ(settings.search_kind, r.search_kind) << r.name;
        EXPECT_STREQ(settings.initial_search_word, r.word) << r.name;
        EXPECT_EQ(settings.initial_word_state, r.word_state) << r.name;
        EXPECT_EQ(settings.output_mode, r.output_mode) << r.name;
        EXPECT_EQ(settings.direct_mode, r.direct_mode) << r.name;
        EXPECT_EQ(settings.recent_first, r.recent_first) << r.name;
        EXPECT_EQ(settings.migemo_on, r.migemo_on) << r.name;
        EXPECT_EQ(settings.title_first, r.title_first) << r.name;
    }
}

TEST_F(CommandLineTest, TextFileSwitchesAndThePathArgument)
{
    struct row {
        const char *name;
        std::string line;
        int found, text_file_search;
        const char *file_name;
    } rows[] = {
        {"listed file by name", "/#f=list.txt", 0, 2, "list.txt"},
        {"empty name shows the list", "/#f=", 0, 1, ""},
        {"text-file popup", "/#F", 0, 1, ""},
        {"path becomes a text file with /#f", "/#f " + p("a.txt"), 0, 3, ""},
        {"path becomes a text file with /#f=", "/#f=x " + p("a.txt"), 0, 3, ""},
        {"path alone is dropped", p("a.txt"), 0, 0, ""},
        {"path with /#b is dropped", "/#b " + p("a.txt"), 0, 0, ""},
        {"path kept by /#l", "/#l " + p("a.txt"), 1, 0, ""},
        {"path kept by an item switch holding /#l", "/#L:2 " + p("a.txt"), 1, 0, ""},
        {"/#l without a path", "/#l", 0, 0, ""},
    };
    for (const auto &r : rows) {
        reset_settings();
        run(r.line);
        EXPECT_EQ(settings.path_argument_found, r.found) << r.name;
        EXPECT_EQ(settings.text_file_search, r.text_file_search) << r.name;
        EXPECT_STREQ(settings.text_file_search_name, r.file_name) << r.name;
    }
}

TEST_F(CommandLineTest, WindowHandleBecomesTheTarget)
{
    struct row {
        const char *name;
        const char *line;
        os_window handle;
    } rows[] = {
        {"decimal handle", "/#w=1234", 1234},    {"signed handle", "/#w=+77", 77},
        {"no digits gives none", "/#w=abc", 0},  {"leading digits count", "/#w=12ab", 12},
        {"value ends at a blank", "/#w=5 6", 5}, {"negative keeps its 32 bits", "/#w=-1", 0xFFFFFFFFu},
    };
    for (const auto &r : rows) {
        reset_target_state();
        target.target_window = 99;
        run(r.line);
        EXPECT_EQ(target.target_window, r.handle) << r.name;
        EXPECT_EQ(target.start_foreground, r.handle) << r.name;
    }
    reset_target_state();
    run("/#c");
    EXPECT_EQ(target.target_window, 0u);
}

TEST_F(CommandLineTest, DataFileSwitchChoosesAnExistingFileBesideTheExecutable)
{
    struct row {
        const char *name;
        std::string line;
        std::string expected;
    } rows[] = {
        {"existing file", "/#s=other.ini", p("other.ini")},
        {"upper case switch", "/#S=other.ini", p("other.ini")},
        {"missing file gives the default", "/#s=missing.ini", p("Mivra.ini")},
        {"no switch gives the default", "/#c", p("Mivra.ini")},
        {"empty name gives the default", "/#s=", p("Mivra.ini")},
        {"folder gives the default", "/#s=folder", p("Mivra.ini")},
        {"259 characters give the default", "/#s=" + std::string(259, 'n'), p("Mivra.ini")},
    };
    for (const auto &r : rows) {
        run(r.line);
        EXPECT_EQ(std::string(settings.data_file_path), r.expected) << r.name;
    }
}

TEST_F(CommandLineTest, MenuSwitchIsParsedAsTheMenuOption)
{
    struct row {
        const char *name;
        std::string line;
        int position, x, y;
    } rows[] = {
        {"named position", "/#m=center", 4, 0, 0},
        {"coordinates", "/#m=10,20 /#c", 1, 10, 20},
        {"empty value does nothing", "/#m=", 9, 0, 0},
        {"259 characters are dropped", "/#m=center" + std::string(253, 'x'), 9, 0, 0},
        {"258 characters are read", "/#m=center" + std::string(252, 'x'), 4, 0, 0},
    };
    for (const auto &r : rows) {
        reset_settings();
        run(r.line);
        EXPECT_EQ(settings.menu_position, r.position) << r.name;
        EXPECT_EQ(settings.menu_x, r.x) << r.name;
        EXPECT_EQ(settings.menu_y, r.y) << r.name;
    }
}

TEST_F(CommandLineTest, LongValuesFollowThe259CharacterRules)
{
    std::string name258(258, 'a'), name259(259, 'a'), word(300, 'w');
    run("/#a=" + name258);
    EXPECT_EQ(settings.window_select_mode, 1);
    EXPECT_EQ(strlen(settings.window_select_name), 258u);

    reset_settings();
    run("/#a=" + name259);
    EXPECT_EQ(settings.window_select_mode, 5) << "a name of 259 characters is dropped";
    EXPECT_STREQ(settings.window_select_name, "");

    reset_settings();
    run("/#i=" + word);
    EXPECT_EQ(std::string(settings.initial_search_word), std::string(259, 'w'));
    EXPECT_EQ(settings.initial_word_state, 1);

    reset_settings();
    run("/#f=" + word);
    EXPECT_EQ(std::string(settings.text_file_search_name), std::string(259, 'w'));

    // A cut never leaves half of a double-byte character.
    std::string kana = "x";
    for (int i = 0; i < 200; ++i)
        kana += "\x83\x41";
    reset_settings();
    run("/#g=" + kana);
    EXPECT_EQ(strlen(settings.initial_search_word), 259u);
    reset_settings();
    run("/#g=" + kana.substr(1));
    EXPECT_EQ(strlen(settings.initial_search_word), 258u);
}

} // namespace
