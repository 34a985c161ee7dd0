// The data file loader: the line reader and path resolver, the fallback chain, sections, the edge
// rules of "[data]" and the tables, the "[system]" options as the loader hands each line over and the
// path file, and golden whole files (tests/data/datafile/<case>/).

#include <algorithm>

#include "datafile/load_dump.h"
#include "datafile/load_report.h"
#include "datafile/options.h"
#include "datafile/utf8_file.h"
#include "datafile_support.h"

// "ソ" is 0x83 0x5C and "表" is 0x95 0x5C: their trail byte is a backslash.
static const std::string so = "\x83\x5C", hyo = "\x95\x5C";

using namespace std::string_literals; // "a\0b"s keeps its zero bytes

// Collects the dump's lines (load_dump.h), each ended by "\n".
static void collect_line(const char *line, void *context)
{
    *static_cast<std::string *>(context) += std::string(line) + "\n";
}

// The items as the checker's dump shows them, "0 text 0 [text|caption|plain|list]" a line.
static std::string dumped_items()
{
    std::string all;
    dump_item_store(collect_line, &all);
    const size_t from = all.find('\n') + 1;
    return all.substr(from, all.find("[files]") - from);
}

static std::string dump_settings()
{
    std::string all;
    dump_settings(collect_line, &all);
    return all;
}

// Tabs kept in "[data]" and dropped in "[file]" are pinned by the golden files.
TEST(ReadLine, CopiesOneLineAndReportsTheAdvance)
{
    const std::string long_line = std::string(600, 'x') + "\nnext\n";
    const std::string tabbed = std::string(300, '\t') + std::string(517, 'y') + "\r\n";
    // Name, data, offset, keep_tabs, line, advance.
    const std::tuple<const char *, std::string, size_t, int, std::string, size_t> rows[] = {
        {"CR dropped wherever it stands", "a\rb\r\nnext\n", 0, 0, "ab", 5},
        {"last line without LF: the advance runs past size", "ab\ncd", 3, 0, "cd", 3},
        {"offset at the end of the data", "ab\n", 3, 0, "", 1},
        {"zero byte inside the line ends the text, not the read", "a\0b\nc\n"s, 0, 0, "a", 4},
        {"trail 5C and a lead byte before LF kept", so + "\\\x83\n", 0, 0, so + "\\\x83", 5},
        {"a 600-byte line is cut to 517 bytes", long_line, 0, 0, std::string(517, 'x'), 601},
        {"dropped bytes do not count towards the limit", tabbed, 0, 0, std::string(517, 'y'), tabbed.size()},
    };
    for (const auto &[name, data, offset, keep_tabs, expected, advance] : rows) {
        char line[line_buffer_size];
        memset(line, 'Z', sizeof line);
        const size_t got = read_line(offset, data.size(), data.data(), keep_tabs, line);
        EXPECT_EQ(std::string(line) + " " + std::to_string(got), expected + " " + std::to_string(advance))
            << name;
        EXPECT_EQ(line[line_buffer_size - 1], '\0') << name;
    }
}

TEST(ResolvePath, FindsFilesDirectlyThenOnTheSearchPath)
{
    datafile_dir d;
    std::string deep = std::string(120, 'a') + "/" + std::string(120, 'b');
    d.write("here.txt", "");
    d.write("bin/tool.exe", "");
    d.write(deep + "/t.txt", "");
    // The search path is split by the system; the golden cases find files on it.
    copy_text(settings.search_path, sizeof settings.search_path,
              (d.path("none") + ";" + d.path("bin") + ";" + d.path(deep)).c_str());
    // Name, file, has_search_path, the path then whether it was found.
    const std::tuple<const char *, std::string, int, std::string> rows[] = {
        {"a relative name gets its full path", "here.txt", 0, d.path("here.txt") + " 1"},
        {"without a search path its directories are not searched", "tool.exe", 0, "tool.exe 0"},
        {"found nowhere", "missing.exe", 1, "missing.exe 0"},
        {"a result of 260 bytes or more is not taken", "t.txt", 1, "t.txt 0"},
        {"an empty name", "", 1, " 0"},
    };
    std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(d.dir);
    for (const auto &[name, file, has_search_path, expected] : rows) {
        settings.has_search_path = has_search_path;
        char out[path_capacity];
        const int found = resolve_path(file.c_str(), out);
        EXPECT_EQ(std::string(out) + " " + std::to_string(found), expected) << name;
    }
    std::filesystem::current_path(cwd);
}

// The command line's path, else the file named after the executable, else "Mivra.ini", else an empty
// one named after the executable is created; a data file that cannot be had is reported.
TEST(LoadDataFile, FollowsTheFallbackChainOrReports)
{
    const std::string a224(224, 'a');
    // Name, the files present (each holds one item, its own name), the executable's directory relative
    // to the test directory, the file chosen (null: reported); "/#s=" names given.ini.
    const std::tuple<const char *, std::vector<std::string>, std::string, const char *> rows[] = {
        {"the name from the command line", {"given.ini", "mivra.ini"}, "", "given.ini"},
        {"a requested folder is no data file", {"given.ini/", "mivra.ini"}, "", "mivra.ini"},
        {"else the file named after the executable", {"mivra.ini", "Mivra.ini"}, "", "mivra.ini"},
        {"else Mivra.ini", {"Mivra.ini"}, "", "Mivra.ini"},
        {"the data file is a directory", {"mivra.ini/"}, "", nullptr},
        // Cut to 259 bytes the path would name "mivra.i", which exists.
        {"the fallback path does not fit", {a224 + "/mivra.i"}, a224 + "/", nullptr},
    };
    for (const auto &[name, present, exe_dir, chosen] : rows) {
        datafile_dir d;
        ASSERT_EQ(d.dir.size(), 27u);
        for (const std::string &file : present)
            d.write(file, "[data]\n" + file + "\n%end\n");
        copy_text(settings.exe_dir, sizeof settings.exe_dir, d.path(exe_dir).c_str());
        copy_text(settings.data_file_request, sizeof settings.data_file_request, "given.ini");
        EXPECT_EQ(load_data_file(7), chosen ? 1 : 0) << name;
        EXPECT_EQ(fake_events(), chosen ? "" : "error 設定ファイル異常") << name;
        if (chosen)
            EXPECT_EQ(std::string(settings.data_file_path) + "|" + store.items[0].text,
                      d.path(chosen) + "|" + chosen)
                << name;
    }
}

// Shown as the texts of the items, then the window selection mode as the "[system]" section leaves it.
TEST(DataFileSections, HeadersAreFoundAnywhereIgnoringCaseAndTheSystemSectionSettles)
{
    // Name, file, shown, the window selection mode from the command line.
    const std::tuple<const char *, std::string, std::string, int> rows[] = {
        {"the first header wins, in a line, any case", "x[Data]y\na\n%end\n[data]\nb\n%end\n", "a 0", 0},
        {"%end ends it ignoring case, after leading blanks", "[data]\na\n  %END here\nb\n", "a 0", 0},
        {"section without %end swallows later headers", "[data]\na\n[file]\nb\n", "a|[file]|b 0", 0},
        {"a last line ending in half a character is dropped", "[data]\nab | cd\nef | gh\x82", "ab 0", 0},
        {"header as the last bytes gives an empty section", "a\n[data]", " 0", 0},
        {"zero byte before the header hides it", "\0[data]\na\n%end\n"s, " 0", 0},
        {"zero byte inside the section does not stop the walk", "[data]\na\0x\nb\n%end\n"s, "a|b 0", 0},
        {"header behind a lead byte is not a header", "\x83[data]\na\n%end\n", " 0", 0},
        {"select-only mode without a list is dropped", "", " 0", 7},
        {"select-only mode with a list stays", "[system]\n@select=notepad\n%end\n", " 7", 7},
        {"named target mode stays", "", " 1", 1},
        {"choose-from-list mode stays", "", " 5", 5},
    };
    for (const auto &[name, file, shown, window_select_mode] : rows) {
        datafile_dir d;
        settings.window_select_mode = window_select_mode;
        ASSERT_EQ(d.load(file), 1) << name;
        std::string texts;
        for (int i = 0; i < store.item_count; ++i)
            texts += (i ? "|" : "") + std::string(store.items[i].text);
        EXPECT_EQ(texts + " " + std::to_string(settings.window_select_mode), shown) << name;
        EXPECT_EQ(read_all(d.path("mivra.ini")), file) << name << ": reading changed the file";
    }
}

// The edge rules of "[data]"; the plain grammar is in the golden case "grammar".
TEST(DataSectionGrammar, CutsTrailBytesAndDelimiters)
{
    const std::string t259(259, 't');
    // Name, option, body, the entries.
    const std::tuple<const char *, std::string, std::string, std::string> rows[] = {
        {"text, caption and group caption are cut to 259 bytes", "",
         std::string(300, 't') + " | x\ny | " + std::string(300, 't') + "\n{" + std::string(600, 't') + "\n",
         "0 text 0 [" + t259 + "|x|x|x]\n1 text 0 [y|" + t259 + "|" + t259 + "|" + t259 + "]\n2 open 0 [|" +
             t259 + "|" + t259 + "|]\n"},
        {"double-byte caption keeps its trail bytes", "", "t | " + so + "&" + hyo + "\n",
         "0 text 0 [t|" + so + "&" + hyo + "|" + so + hyo + "|" + so + hyo + "]\n"},
        // A byte search for the delimiter "\\" would cut "表" in half.
        {"the delimiter is found on character boundaries only", "@dlm=\\\\",
         hyo + "\\\\x\n" + so + "a\\\\" + so + "\n",
         "0 text 0 [" + hyo + "|x|x|x]\n1 text 0 [" + so + "a|" + so + "|" + so + "|" + so + "]\n"},
        {"the delimiter is found ignoring case", "@dlm=Or", "aoRb\n", "0 text 0 [a|b|b|b]\n"},
        {"a double-byte delimiter right after a character of two lead bytes", "@dlm=" + so + so,
         "A\x83\x83" + so + so + "B\n", "0 text 0 [A\x83\x83|B|B|B]\n"},
        {"# inverts the show-text default 1; no delimiter takes the default", "@item=1", "a | #A\na | A\nb\n",
         "0 text 0 [a|A|A|A]\n1 text 0 [a|A|A|A] show\n2 text 0 [b|b|b|b] show\n"},
    };
    for (const auto &[name, option, body, expected] : rows) {
        datafile_dir d;
        ASSERT_EQ(d.load("[system]\n" + option + "\n%end\n[data]\n" + body + "%end\n"), 1) << name;
        EXPECT_EQ(dumped_items(), expected) << name;
    }
}

// Shown as the names listed, then the selected index, text_file_search, file_section_enabled and
// text_file_preselected.
TEST(DataFileTextFiles, ChoosesTheTextFile)
{
    // Name, option, files listed, text_file_search, text_file_search_name, what is shown.
    const std::tuple<const char *, std::string, bool, int, const char *, std::string> rows[] = {
        {"nothing listed turns the file features off", "", false, 1, "", " 0 0 0 0"},
        {"a file search forces the section on", "@file=0", true, 1, "", "first|second 0 1 1 0"},
        {"a name not found (same length) preselects none", "", true, 2, "secon", "first|second 0 1 1 0"},
        {"the path argument is appended and selected", "", true, 3, "", "first|second|arg.file 2 1 1 1"},
        {"the path argument needs no listed file", "", false, 3, "", "arg.file 0 1 1 1"},
    };
    for (const auto &[name, option, listed, text_file_search, search_name, expected] : rows) {
        datafile_dir d;
        d.write("first.txt", "");
        d.write("second.txt", "");
        settings.text_file_search = text_file_search;
        copy_text(settings.text_file_search_name, sizeof settings.text_file_search_name, search_name);
        copy_text(settings.path_argument, sizeof settings.path_argument, d.path("arg.file.txt").c_str());
        std::string files =
            listed ? "[file]\n" + d.path("first.txt") + "\n" + d.path("second.txt") + "\n%end\n" : "";
        ASSERT_EQ(d.load("[system]\n" + option + "\n%end\n" + files), 1) << name;
        std::string shown;
        for (int i = 0; i < store.text_file_count; ++i)
            shown += std::string(i ? "|" : "") + store.text_file_name[i];
        EXPECT_EQ(shown + " " +
                      joined({store.text_file_selected, settings.text_file_search,
                              settings.file_section_enabled, settings.text_file_preselected}),
                  expected)
            << name;
    }
}

// Every table stops at its limit; utility entries still follow the 3000 items of "[data]". Key codes
// repeat every ten rows: the first row of a code wins, codes are matched exactly, names cut to 31 bytes.
TEST(DataFileTables, StopAtTheirLimits)
{
    datafile_dir d;
    d.write("f.txt", "");
    settings.search_kind = 1;
    auto section = [](const std::string &header, int rows, auto row) {
        std::string text = header + "\n";
        for (int i = 0; i < rows; ++i)
            text += row(std::to_string(i)) + "\n";
        return text + "%end\n";
    };
    std::string f = d.path("f.txt"), n40(40, 'n');
    ASSERT_EQ(
        d.load(section("[data]", 3005, [](const std::string &i) { return "item" + i; }) +
               section("[file]", 101, [&](const std::string &i) { return f + " | n" + i; }) +
               section("[replace]", 105, [](const std::string &i) { return "%r" + i + " | v"; }) +
               section("[key]", 155,
                       [&](const std::string &i) { return "K" + i.substr(i.size() - 1) + " k" + i + n40; }) +
               section("[title]", 105, [](const std::string &i) { return "g" + i + " | p"; })),
        1);
    EXPECT_EQ(joined({store.item_count, store.text_file_count, store.replace_count, store.key_count,
                      store.title_count}),
              "3004 99 100 150 100");
    EXPECT_EQ(std::string(store.items[2999].text) + " " + store.items[3003].plain_caption + " " +
                  store.text_file_name[98] + " " + store.replace_from[99] + " " + store.title_group[99],
              "item2999 &9 : Ver.1.38 n98 %r99 g99");
    EXPECT_EQ(std::string(find_key("K3")) + "," + find_key("k3") + "," + store.key_text[149],
              "k3" + n40.substr(0, 29) + ",,k149" + n40.substr(0, 27));
}

namespace {

// "lines" are "\n"-separated option lines, shown as the option of the last line sets them. `before`
// runs first. The search window is in use, so that its options are read (the golden files show that
// they are not read for the popup menu).
struct option_row {
    const char *name;
    std::string lines;
    std::string expected;
    void (*before)() = nullptr;
};

const std::string w40(40, 'w'), w31 = w40.substr(0, 31), log = "C:\\app\\log.ini";
void long_exe_dir()
{
    copy_text(settings.exe_dir, sizeof settings.exe_dir, std::string(200, 'd').c_str());
}

// The checker's dump line of the option that `line` names ("@menu" or "@menu=..."), without the name;
// "@break" shows on the "@dlm" line, "@except" on the "@select" line, any other name the switches.
std::string shown_option(const std::string &line)
{
    std::string name = line.substr(0, line.find('=')), all = "\n" + dump_settings();
    for (char &c : name)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    name = name == "@break" ? "@dlm" : name == "@except" ? "@select" : name;
    size_t at = all.find("\n" + name + " ");
    at = at == std::string::npos ? all.find("\nswitches ") : at;
    const size_t from = all.find(' ', at) + 1;
    return all.substr(from, all.find('\n', from) - from);
}

} // namespace

TEST(SystemOptions, EachLineSetsItsFields)
{
    const std::string f140(140, 'f'), f127(127, 'f'), n127(127, 'n'),
        face = "ＭＳ Ｐゴシック 13 400 0", file = "@file=1,100,10,1,100,1,//\n",
        window = "@window=300,500,500\n", off = "0 1000 0 0 " + face, font = "@font=Courier,18,6,1\n";
    auto no_mouse = [] { settings.mouse_present = 0; };
    const option_row rows[] = {
        {"1-byte @dlm=, no = ignored; empty @break= no mark", "@dlm=|\n@dlm##\n@break=", "[ | ] []"},
        {"@dlm= is the whole value, commas and blanks included", "@dlm= a,b ", "[ a,b ] [↓]"},
        {"option names ignore case", "@DLM=##", "[##] [↓]"},
        {"@dlm=, @break= cut to 31 bytes", "@dlm=" + w40 + "\n@break=" + w40, "[" + w31 + "] [" + w31 + "]"},
        {"10 names, cut to 31", "@select=" + w40 + ",2,3,4,5,6,7,8,9,10,11", w31 + "|2|3|4|5|6|7|8|9|10 /"},
        {"empty names are skipped and do not count towards 10", "@select=a,,,,,,,,,,,,b,", "a|b /"},
        {"@font=: 1 byte, defaults first", "@font=Arial,20,7,1\n@font=X\n@font=", "X 13 400 0 1"},
        {"height 0: 14; italic 2 off", "@font=,0,0,2", "ＭＳ Ｐゴシック 14 0 0 1"},
        {"face cut; -3: 14; weight 12: 400", "@font=" + f140 + ",-3,12", f127 + " 14 400 0 1"},
        // Switches carry their value in the name: any other value matches no option.
        {"@replace=10 begins with @replace=1", "@replace=10", "1 0 0 1 1 0 1"},
        {"@clip=0 inserts into the control", "@clip=0", "0 0 0 0 1 0 1"},
        {"other values", "@replace=0\n@sendkey=0\n@clip=1\n@sort=1\n@match=0\n@guidance=1", "0 0 0 1 1 0 1"},
        {"mouse, ignoring case", "@menu=MOUSE", "2 0 0"},
        {"mous2", "@menu=mous2", "3 0 0"},
        {"center, found inside the value", "@menu= at center", "4 0 0"},
        {"cursor", "@menu=cursor", "5 0 0"},
        {"mous2 without a mouse is 0", "@menu=mous2", "0 0 0", no_mouse},
        {"active, like any other word, is 0", "@menu=active", "0 0 0"},
        {"x,y is position 1; x is cut to 6 bytes", "@menu=-1234567,20", "1 -12345 20"},
        {"x only has to contain MAX; a last y must be exactly MAX", "@menu=aMaxb,MAX1", "1 1280 0"},
        {"a y followed by a comma only has to contain MAX", "@menu=10,xMAXx,5", "1 10 984"},
        {"command line wins", "@menu=cursor", "4 0 0", [] { parse_menu_value("center\r\n"); }},
        {"a missing length is left alone; 0 hides texts", "@item=1,30\n@item=0", "0 30"},
        {"only 1 shows texts; -1 shows whole texts", "@item=2,-1", "0 0"},
        {"item length 9 is below the range", "@item=1,9", "1 20"},
        {"item length 10 is the least", "@item=1,10", "1 10"},
        {"item length 50 is the most", "@item=1,50", "1 50"},
        {"item length 51 is above the range", "@item=1,51", "1 20"},
        {"mode 3, count 9, a 128-byte name out of range", "@log=2,30\n@log=3,9,n" + n127, "0 20 " + log},
        {"count 10, a 5-byte name beside the program the least", "@log=1,10,a.ini", "1 10 C:\\app\\a.ini"},
        {"count 50 and a 127-byte name are the most", "@log=1,50," + n127, "1 50 C:\\app\\" + n127},
        {"count 51 and a 4-byte name are out of range", "@log=1,51,a.in", "1 20 C:\\app\\log.ini"},
        {"a log path that would not fit keeps the old one", "@log=1,20," + n127, "1 20 " + log, long_exe_dir},
        // Head and tail stay within 100 together, the tail never longer than the head.
        {"head + tail may reach 100, the tail as long as the head", "@hist=50,50", "50 50"},
        {"head + tail over 100 gives tail 0", "@hist=60,41", "60 0"},
        {"head 10 is the least; a tail longer than the head gives 0", "@hist=10,11", "10 0"},
        {"head 100 is the most; a negative tail gives 0", "@hist=100,-1", "100 0"},
        {"an earlier tail that no longer fits is dropped", "@hist=40,20\n@hist=100", "100 0"},
        {"an earlier tail that still fits stays", "@hist=40,20\n@hist=60", "60 20"},
        {"1 is the least first wait; values are cut to 15 bytes", "@wait=1,0000000000000002", "1 1000 0 0"},
        {"@file=0 turns the section off", "@file=0", "0 25 4 1000 0 0 ;"},
        {"@file= nonzero turns it on", "@file=0\n@file=7", "1 25 4 1000 0 0 ;"},
        {"out of range; empty mark kept", file + "@file=1,101,11,0,101,2,", "1 25 4 1000 0 0 //"},
        {"@window= with two bytes is ignored", window + "@window=12", "300 500 500 10 30"},
        {"@window= with three bytes is taken", "@window=200", "200 160 150 10 30"},
        // Read only when the search window is in use. The preview starts from the list window and the
        // list font as they stand at its line.
        {"@view= with nothing is mode 0, which turns the preview off, sizes 0", "@view=1\n@view=", off},
        {"@view=1: list window size, limit 1000, default font", "@view=1", "1 1000 160 150 " + face},
        {"highest width, least height", "@view=1,5000,1000,1,Arial,16,7,1", "1 5000 1000 1 Arial 16 700 1"},
        {"out of range fall back", font + "@view=1,-5,149,501,,0,12,3", "1 1000 160 150 Courier 18 600 1"},
        {"@kana=1 folds", "@kana=1", "1"},
        {"@kana= with any other value does not", "@kana=1\n@kana=2", "0"},
        {"empty weight 0; italic 0 off", font + "@view=1,,,,,,,0", "1 1000 160 150 Courier 18 0 0"},
    };
    // Each row's lines go to fresh settings as the loader hands them over: trimmed, CR LF appended.
    for (const option_row &r : rows) {
        reset_settings();
        reset_fake_system();
        copy_text(settings.exe_dir, sizeof settings.exe_dir, "C:\\app\\");
        copy_text(settings.log_file_path, sizeof settings.log_file_path, "C:\\app\\log.ini");
        settings.screen_width = 1280;
        settings.screen_height = 984;
        settings.mouse_present = 3;
        settings.search_kind = 1;
        if (r.before)
            r.before();
        std::istringstream in(r.lines);
        std::string line, last;
        for (; std::getline(in, line); last = line)
            apply_system_option((line + "\r\n").c_str());
        EXPECT_EQ(shown_option(last), r.expected) << r.name << "  [" << r.lines << "]";
    }
}

// "@path=" naming a file reads the search path from it (naming a directory, it is the search path:
// the golden case full_file).
TEST(SystemFileOptions, PathFileGivesTheSearchPath)
{
    const std::tuple<const char *, std::string, std::string> rows[] = {
        // name, path.txt, shown
        {"a path= line without tabs", "[x]\r\nPATH=\tC:\\a;\tD:\\b\r\nother\r\n", "1 C:\\a;D:\\b"},
        {"else the file without tabs, breaks", "C:\\a;\r\nD:\\ソ;\t\nE:\\c", "1 C:\\a;D:\\ソ;E:\\c"},
        {"an empty path file leaves no search path", "", "0"},
        {"at most 5199 bytes", std::string(6000, 'p'), "1 " + std::string(5199, 'p')},
        {"a cut double-byte end is kept", "C:\\a;\x82", "1 C:\\a;\x82"},
    };
    for (const auto &[name, contents, shown] : rows) {
        datafile_dir d;
        d.write("path.txt", contents);
        copy_text(settings.search_path, sizeof settings.search_path, "old");
        ASSERT_EQ(d.load("[system]\n@path=" + d.path("path.txt") + "\n%end\n"), 1) << name;
        EXPECT_EQ(shown_option("@path"), shown) << name;
        EXPECT_EQ(read_all(d.path("path.txt")), contents) << name << ": reading changed the file";
    }
}

static std::string replace_all(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// What the loader understood, the checker's dump in UTF-8 with the temporary directory as $DIR/.
// Settings lines show only where they differ from `defaults`, the same lines before the case's setup.
static std::string dump_loaded(const std::string &dir, const std::string &defaults)
{
    std::string o;
    std::istringstream now(dump_settings()), before(defaults);
    for (std::string line, old; std::getline(now, line) && std::getline(before, old);)
        if (line != old)
            o += line + "\n";
    dump_item_store(collect_line, &o);
    return convert(replace_all(o, dir, "$DIR/"), "UTF-8", "CP932");
}

// Applies setup.txt: "file NAME" (an empty file, or with a final "/" a directory, beside the data
// file), "search_name NAME", or a settings field and its number.
static void apply_setup(const datafile_dir &d, const std::string &setup)
{
    const std::pair<const char *, int32_t *> numbers[] = {
        {"search_kind", &settings.search_kind},         {"output_mode", &settings.output_mode},
        {"history_running", &settings.history_running}, {"text_file_search", &settings.text_file_search},
        {"mouse_present", &settings.mouse_present},     {"screen_width", &settings.screen_width},
        {"screen_height", &settings.screen_height}};
    std::istringstream lines(setup);
    std::string key, value;
    while (lines >> key && std::getline(lines >> std::ws, value)) {
        value = convert(value, "CP932", "UTF-8");
        bool known = key == "file" || key == "search_name";
        if (key == "file")
            d.write(value, "");
        else if (key == "search_name")
            copy_text(settings.text_file_search_name, sizeof settings.text_file_search_name, value.c_str());
        for (const auto &number : numbers)
            if (key == number.first && (known = true))
                *number.second = atoi(value.c_str());
        EXPECT_TRUE(known) << "unknown setup key " << key;
    }
}

// Texts after the byte-order mark (none: the bytes as they are), what they become and the line
// starts in the converted text that the load report is told hold a "?". Kana, kanji, an emoji, a
// character of no Shift-JIS form and U+301C without its look-alike: the golden case utf8_mark.
static std::string told;
TEST(Utf8File, MarkedTextsBecomeShiftJis)
{
    const std::string mark = utf8_mark;
    const std::tuple<const char *, std::string, std::string, std::string> rows[] = {
        {"ASCII and its own ? untold", mark + "a?\r\nb", "a?\r\nb", ""},
        {"invalid bytes, one ? each", mark + "\xFF\x80\xC0\xAF", "????", "0"},
        {"a truncated character, one ?", mark + "\xE3\x81z\n\xF0\x9F\x98", "?z\n?", "0 3"},
        {"each line told at its converted start", mark + "\xE3\x81\x82\n\n\xC3\xA9\n\xC3\xA9", "あ\n\n?\n?",
         "4 6"},
        {"the mark alone", mark, "", ""},
        {"no mark: unchanged", "\xE3\x81\x82\xFF" + mark, "\xE3\x81\x82\xFF" + mark, ""},
    };
    for (const auto &[name, in, out, lines] : rows) {
        std::vector<char> bytes(in.begin(), in.end());
        told.clear();
        load_report = [](const load_issue &i) {
            told +=
                (told.empty() ? "" : " ") + (i.kind == issue_not_in_sjis ? std::to_string(i.offset) : "?");
        };
        const size_t size = convert_utf8_text(bytes.data(), bytes.size());
        load_report = nullptr;
        EXPECT_EQ(std::string(bytes.data(), size), out) << name;
        EXPECT_EQ(told, lines) << name;
    }
}

// A read's limit applies to the converted text (output_text's in the expansion's rows).
TEST(Utf8File, ReadLimitAppliesToTheConvertedText)
{
    datafile_dir d;
    const auto read = [&d](const std::string &bytes) { // limited to 2 bytes
        d.write("f.txt", bytes);
        os_buffer whole{nullptr, 0};
        const int read = read_file_text(d.path("f.txt").c_str(), 0, 2, &whole);
        const std::string text = read ? std::string(whole.data, whole.size) : "refused";
        os_free_buffer(&whole);
        return text;
    };
    const std::string kana = utf8_mark + std::string("\xEF\xBD\xB1\xEF\xBD\xB2"); // 9 bytes, 2 converted
    EXPECT_EQ(read("\xB1\xB2\xB3") + "|" + read(kana) + "|" + read(kana + "a"), "refused|\xB1\xB2|refused");
}

// Each case directory holds input.ini (UTF-8, converted to code page 932 and with $DIR/ standing for
// the executable's directory), setup.txt and expected.txt. MIVRA_UPDATE_GOLDEN=1 rewrites
// expected.txt from what the loader understood. An input.ini with the byte-order mark is the loader's
// to convert.
TEST(DataFileGolden, LoaderUnderstandsEachCase)
{
    std::vector<std::string> cases;
    for (const auto &entry :
         std::filesystem::directory_iterator(std::string(MIVRA_TEST_DATA_DIR) + "/datafile"))
        cases.push_back(entry.path().string());
    std::sort(cases.begin(), cases.end());
    ASSERT_GE(cases.size(), 4u);
    // Each case once more with a listener on the report sink: what it understands stays the same.
    const std::vector<std::string> once = cases;
    cases.insert(cases.end(), once.begin(), once.end());
    for (size_t c = 0; c < cases.size(); ++c) {
        const std::string &dir = cases[c];
        SCOPED_TRACE(dir);
        datafile_dir d;
        load_report =
            c * 2 < cases.size() ? nullptr : static_cast<load_report_function>([](const load_issue &) {});
        std::string defaults = dump_settings();
        apply_setup(d, read_all(dir + "/setup.txt"));
        const std::string input = replace_all(read_all(dir + "/input.ini"), "$DIR/", d.dir);
        ASSERT_EQ(d.load(input.rfind(utf8_mark, 0) == 0 ? input : convert(input, "CP932", "UTF-8")), 1);
        load_report = nullptr;
        std::string got = dump_loaded(d.dir, defaults);
        if (getenv("MIVRA_UPDATE_GOLDEN"))
            std::ofstream(dir + "/expected.txt", std::ios::binary) << got;
        else
            EXPECT_EQ(got, read_all(dir + "/expected.txt"));
    }
}
