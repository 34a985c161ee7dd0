// The command line: the path argument with real files, every "/#" switch, their precedence and the
// 259-byte rules.
#include "datafile_support.h"

#include "cmdline/cmdline.h"

namespace {

class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override // after `files` has reset the process state and the fake
    {
        reset_start_state();
        for (const char *name : {"Mivra.ini", "other.ini", "a.txt", "b.txt", "my", "my file.txt", "folder/"})
            files.write(name, "");
    }

    void reset_start_state()
    {
        reset_settings();
        reset_target_state();
        copy_text(settings.exe_dir, sizeof settings.exe_dir, files.dir.c_str());
        copy_text(settings.data_file_name, sizeof settings.data_file_name, "Mivra.ini");
    }

    // The start state fields that differ from their defaults, as "name=value" in a fixed order.
    std::string changes() const
    {
        auto n = [](int64_t value, int64_t initial) {
            return value == initial ? std::string() : std::to_string(value);
        };
        // Names and values in the same order; the values "|"-separated.
        const char *names = "data menu x y select name window foreground search word state output direct "
                            "recent migemo path textfile textname title";
        const std::string values =
            std::string(settings.data_file_request) + "|" + n(settings.menu_position, 9) + "|" +
            n(settings.menu_x, 0) + "|" + n(settings.menu_y, 0) + "|" + n(settings.window_select_mode, 0) +
            "|" + settings.window_select_name + "|" + n(target.target_window, 0) + "|" +
            n(target.start_foreground, target.target_window) + "|" + n(settings.search_kind, 0) + "|" +
            settings.initial_search_word + "|" + n(settings.initial_word_state, 0) + "|" +
            n(settings.output_mode, 1) + "|" + n(settings.direct_mode, 0) + "|" +
            n(settings.recent_first, 0) + "|" + n(settings.migemo_on, 0) + "|" +
            n(settings.path_argument_found, 0) + "|" + n(settings.text_file_search, 0) + "|" +
            settings.text_file_search_name + "|" + n(settings.title_first, 0);
        std::istringstream in(names), each(values);
        std::string s, name, value;
        while (in >> name && std::getline(each, value, '|'))
            if (!value.empty())
                s += (s.empty() ? "" : " ") + name + "=" + value;
        return s;
    }

    std::string p(const std::string &name) const { return files.path(name); }

    datafile_dir files; // a fresh folder for the files a test needs
};

TEST_F(CommandLineTest, PathArgumentIsTheFirstTokenThatNamesAFileOrFolder)
{
    // Real files whose full paths take 259 and 260 bytes: a path field holds only the first.
    std::string deep = p(std::string(200, 'd')) + "/", fits = deep + std::string(259 - deep.size(), 'f');
    for (const std::string &name : {fits, fits + "g"})
        files.write(name.substr(files.dir.size()), "");
    const std::tuple<const char *, std::string, std::string> rows[] = {
        // name, line, path (empty: none)
        {"folder", p("folder"), p("folder")},
        {"relative path tested against the current directory", "/#l a.txt", "a.txt"},
        {"unquoted path with a blank is split", p("my file.txt"), p("my")},
        {"blanks inside the quotes are removed", "\"  " + p("a.txt") + "  \"", p("a.txt")},
        {"quote right after a token", "xyz\"" + p("my file.txt") + "\"", p("my file.txt")},
        {"quote after a file token takes the file", p("a.txt") + "\"" + p("b.txt") + "\"", p("a.txt")},
        {"unclosed quote is not removed", "\"" + p("a.txt") + "t", ""},
        {"tabs and line breaks are ignored", p("a.t\txt") + "\r\n", p("a.txt")},
        {"missing quoted then existing", "\"" + p("x y") + "\" " + p("b.txt"), p("b.txt")},
        {"a path of 259 bytes is taken", fits, fits},
        {"a path of 260 bytes is never taken", fits + "g", ""},
        {"an over-long token is cut, not overflowed", std::string(2000, 'x') + " " + p("a.txt"), p("a.txt")},
    };
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(files.dir);
    for (const auto &[name, line, path] : rows) {
        reset_settings();
        find_path_argument(line.c_str());
        EXPECT_EQ(std::to_string(settings.path_argument_found) + " " + settings.path_argument,
                  (path.empty() ? "0 " : "1 ") + path)
            << name;
    }
    std::filesystem::current_path(saved);
}

TEST_F(CommandLineTest, SwitchesSetTheStartState)
{
    const std::string a258(258, 'a'), kana = repeated("\x83\x41", 200);
    const std::tuple<const char *, std::string, int, std::string> rows[] = {
        // name, line, recorder, state
        {"data file beside the executable", "/#s=other.ini", 0, "data=other.ini"},
        {"data file name of 259 characters is not taken", "/#s=" + std::string(259, 'n'), 0, ""},
        {"named menu position, recent first, title first", "/#m=center /#o /#y", 0,
         "menu=4 recent=1 title=1"},
        {"menu coordinates", "/#m=10,20 /#c", 0, "menu=1 x=10 y=20 output=2"},
        {"empty menu value and a handle without digits do nothing", "/#m= /#w=abc", 0, ""},
        {"menu value of 258 characters is read", "/#m=center" + std::string(252, 'x'), 0, "menu=4"},
        {"menu value of 259 characters is dropped", "/#m=center" + std::string(253, 'x'), 0, ""},
        {"upper case switch, value up to the blank", "/#A=Note pad", 0, "select=1 name=Note"},
        {"window name of 258 characters", "/#a=" + a258, 0, "select=1 name=" + a258},
        {"window name of 259 characters is dropped", "/#a=" + a258 + "a", 0, "select=5"},
        {"select programs", "/#a", 0, "select=7"},
        {"negative handle keeps its 32 bits", "/#w=-1", 0, "window=4294967295"},
        {"prefix search with an empty word", "/#i=", 0, "search=1 state=2"},
        {"substring search with a word", "/#g=xyz", 0, "search=2 word=xyz state=1"},
        {"/#i= wins over /#g=", "/#g=two /#i=one", 0, "search=1 word=one state=1"},
        {"/#i wins over /#g=", "/#g=two /#i", 0, "search=1"},
        {"cut after a whole double-byte character", "/#g=x" + kana, 0,
         "search=2 word=x" + kana.substr(0, 258) + " state=1"},
        {"cut before a split double-byte character", "/#g=" + kana, 0,
         "search=2 word=" + kana.substr(0, 258) + " state=1"},
        {"/#h without the recorder leaves /#b", "/#b /#h", 0, "direct=1"},
        {"/#h overrides /#b", "/#b /#h", 1, "direct=2"},
        {"romaji with a search", "/#J /#g", 0, "search=2 migemo=1"},
        {"switch inside a longer token", "x/#cy", 0, "output=2"},
        {"a switch needs its slash; romaji without a search has no effect", "#c #b /#j", 0, ""},
        {"listed text file by name", "/#f=list.txt", 0, "textfile=2 textname=list.txt"},
        {"empty text file name shows the list", "/#f=", 0, "textfile=1"},
        {"path becomes a text file with /#f", "/#f " + p("a.txt"), 0, "textfile=3"},
        {"path kept by an item switch holding /#l", "/#L:2 " + p("a.txt"), 0, "path=1"},
    };
    for (const auto &[name, line, history_running, expected] : rows) {
        reset_start_state();
        settings.history_running = history_running;
        find_path_argument(line.c_str()); // as the first instance does it, before the switches
        parse_command_line(line.c_str());
        EXPECT_EQ(changes(), expected) << name;
    }
}

} // namespace
