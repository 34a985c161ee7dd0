// The command line: the path argument with real files, every "/#" switch, their precedence and the
// 259-character rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "cmdline/cmdline.h"
#include "target/target.h"
#include "datafile/settings.h"
#include "os/fake/os_fake.h"
#include "text/sjis.h"

namespace {

class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_fake_system();
        char pattern[] = "/tmp/mivra_cmdline_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        reset_start_state();
        for (const char *name : {"Mivra.ini", "other.ini", "a.txt", "b.txt", "my", "my file.txt"})
            fclose(fopen(p(name).c_str(), "wb"));
        mkdir(p("folder").c_str(), 0700);
    }
    void TearDown() override { ASSERT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0); }

    void reset_start_state()
    {
        reset_settings();
        reset_target_state();
        copy_text(settings.exe_dir, sizeof settings.exe_dir, (dir + "/").c_str());
        copy_text(settings.data_file_name, sizeof settings.data_file_name, "Mivra.ini");
    }

    // As the first instance does it: the path argument first, then the switches.
    void run(const std::string &command_line)
    {
        find_path_argument(command_line.c_str());
        parse_command_line(command_line.c_str());
    }

    // The start state fields that differ from their defaults, as "name=value" in a fixed order.
    std::string changes() const
    {
        std::string s;
        auto put = [&s](bool changed, const char *name, const std::string &value) {
            if (changed)
                s += (s.empty() ? "" : " ") + std::string(name) + "=" + value;
        };
        auto num = [&put](const char *name, int64_t value, int64_t initial) {
            put(value != initial, name, std::to_string(value));
        };
        auto text = [&put](const char *name, const char *value) { put(value[0] != '\0', name, value); };
        put(std::string(settings.data_file_path) != p("Mivra.ini"), "data",
            settings.data_file_path + dir.size() + 1);
        num("menu", settings.menu_position, 9);
        num("x", settings.menu_x, 0);
        num("y", settings.menu_y, 0);
        num("select", settings.window_select_mode, 0);
        text("name", settings.window_select_name);
        num("window", target.target_window, 0);
        num("foreground", target.start_foreground, target.target_window);
        num("search", settings.search_kind, 0);
        text("word", settings.initial_search_word);
        num("state", settings.initial_word_state, 0);
        num("output", settings.output_mode, 1);
        num("direct", settings.direct_mode, 0);
        num("recent", settings.recent_first, 0);
        num("migemo", settings.migemo_on, 0);
        num("path", settings.path_argument_found, 0);
        num("textfile", settings.text_file_search, 0);
        text("textname", settings.text_file_search_name);
        num("title", settings.title_first, 0);
        return s;
    }

    std::string p(const std::string &name) const { return dir + "/" + name; }

    std::string dir;
};

// ---- the path argument -------------------------------------------------------------------------

TEST_F(CommandLineTest, PathArgumentIsTheFirstTokenThatNamesAFileOrFolder)
{
    struct row {
        const char *name;
        std::string line, path; // path empty: none found
    } rows[] = {
        {"plain path", p("a.txt"), p("a.txt")},
        {"folder", p("folder"), p("folder")},
        {"missing file", p("none.txt"), ""},
        {"switch token is no path", "/#b /#c", ""},
        {"quoted path with a blank is one token", "\"" + p("my file.txt") + "\"", p("my file.txt")},
        {"unquoted path with a blank is split", p("my file.txt"), p("my")},
        {"blanks inside the quotes are removed", "\"  " + p("a.txt") + "  \"", p("a.txt")},
        {"quote right after a token", "xyz\"" + p("my file.txt") + "\"", p("my file.txt")},
        {"quote after a file token takes the file", p("a.txt") + "\"" + p("b.txt") + "\"", p("a.txt")},
        {"unclosed quote is not removed", "\"" + p("a.txt"), ""},
        {"tabs and line breaks are ignored", p("a.t\txt") + "\r\n", p("a.txt")},
        {"missing quoted then existing", "\"" + p("x y") + "\" " + p("b.txt"), p("b.txt")},
    };
    for (const auto &r : rows) {
        reset_settings();
        find_path_argument(r.line.c_str());
        EXPECT_EQ(settings.path_argument_found, r.path.empty() ? 0 : 1) << r.name;
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
    fclose(fopen((deep + "/f.txt").c_str(), "wb"));
    find_path_argument((deep + "/f.txt").c_str());
    EXPECT_EQ(settings.path_argument_found, 0);

    find_path_argument((std::string(2000, 'x') + " " + p("a.txt")).c_str());
    EXPECT_EQ(std::string(settings.path_argument), p("a.txt")) << "an over-long token is cut, not overflowed";
}

// ---- the switches ------------------------------------------------------------------------------

TEST_F(CommandLineTest, SwitchesSetTheStartState)
{
    std::string a258(258, 'a'), w259(259, 'w'), kana;
    for (int i = 0; i < 200; ++i)
        kana += "\x83\x41";
    struct row {
        const char *name;
        std::string line;
        int history_running;
        std::string expected;
    } rows[] = {
        {"nothing", "", 0, ""},
        {"data file beside the executable", "/#s=other.ini", 0, "data=other.ini"},
        {"missing data file gives the default", "/#s=missing.ini", 0, ""},
        {"folder gives the default data file", "/#s=folder", 0, ""},
        {"data file name of 259 characters gives the default", "/#s=" + std::string(259, 'n'), 0, ""},
        {"named menu position", "/#m=center", 0, "menu=4"},
        {"menu coordinates", "/#m=10,20 /#c", 0, "menu=1 x=10 y=20 output=2"},
        {"empty menu value does nothing", "/#m=", 0, ""},
        {"menu value of 258 characters is read", "/#m=center" + std::string(252, 'x'), 0, "menu=4"},
        {"menu value of 259 characters is dropped", "/#m=center" + std::string(253, 'x'), 0, ""},
        {"window by name", "/#a=notepad", 0, "select=1 name=notepad"},
        {"upper case switch, value up to the blank", "/#A=Note pad", 0, "select=1 name=Note"},
        {"window name of 258 characters", "/#a=" + a258, 0, "select=1 name=" + a258},
        {"window name of 259 characters is dropped", "/#a=" + a258 + "a", 0, "select=5"},
        {"window list", "/#a=", 0, "select=5"},
        {"select programs", "/#a", 0, "select=7"},
        {"/#a= wins over /#a", "/#a /#a=", 0, "select=5"},
        {"window handle", "/#w=1234", 0, "window=1234"},
        {"handle without digits is none", "/#w=abc", 0, ""},
        {"negative handle keeps its 32 bits", "/#w=-1", 0, "window=4294967295"},
        {"prefix search with a word", "/#i=abc", 0, "search=1 word=abc state=1"},
        {"prefix search with an empty word", "/#i=", 0, "search=1 state=2"},
        {"substring search with a word", "/#g=xyz", 0, "search=2 word=xyz state=1"},
        {"substring search", "/#g", 0, "search=2"},
        {"/#i= wins over /#g=", "/#g=two /#i=one", 0, "search=1 word=one state=1"},
        {"/#i wins over /#g=", "/#g=two /#i", 0, "search=1"},
        {"word cut to 259 characters", "/#i=" + std::string(300, 'w'), 0,
         "search=1 word=" + w259 + " state=1"},
        {"cut after a whole double-byte character", "/#g=x" + kana, 0,
         "search=2 word=x" + kana.substr(0, 258) + " state=1"},
        {"cut before a split double-byte character", "/#g=" + kana, 0,
         "search=2 word=" + kana.substr(0, 258) + " state=1"},
        {"clipboard only", "/#c", 0, "output=2"},
        {"clipboard start", "/#b", 0, "direct=1"},
        {"/#h without the recorder leaves /#b", "/#b /#h", 0, "direct=1"},
        {"history start with the recorder", "/#h", 1, "direct=2"},
        {"/#h overrides /#b", "/#b /#h", 1, "direct=2"},
        {"recent first", "/#o", 0, "recent=1"},
        {"romaji without a search has no effect", "/#j", 0, ""},
        {"romaji with a search", "/#J /#g", 0, "search=2 migemo=1"},
        {"title first", "/#y", 0, "title=1"},
        {"switch inside a longer token", "x/#cy", 0, "output=2"},
        {"listed text file by name", "/#f=list.txt", 0, "textfile=2 textname=list.txt"},
        {"empty text file name shows the list", "/#f=", 0, "textfile=1"},
        {"text-file popup", "/#F", 0, "textfile=1"},
        {"path becomes a text file with /#f", "/#f " + p("a.txt"), 0, "textfile=3"},
        {"path becomes a text file with /#f=", "/#f=x " + p("a.txt"), 0, "textfile=3"},
        {"path alone is dropped", p("a.txt"), 0, ""},
        {"path kept by /#l", "/#l " + p("a.txt"), 0, "path=1"},
        {"path kept by an item switch holding /#l", "/#L:2 " + p("a.txt"), 0, "path=1"},
    };
    for (const auto &r : rows) {
        reset_start_state();
        settings.history_running = r.history_running;
        run(r.line);
        EXPECT_EQ(changes(), r.expected) << r.name;
    }
}

} // namespace
