#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <sstream>
#include <vector>

#include "datafile_support.h"

// "ソ" is 0x83 0x5C and "表" is 0x95 0x5C: their trail byte is a backslash.
static const std::string so = "\x83\x5C";
static const std::string hyo = "\x95\x5C";

// A literal with its zero bytes kept.
template <size_t n> static std::string bytes(const char (&text)[n])
{
    return std::string(text, n - 1);
}

static std::string kind_name(int32_t kind)
{
    switch (kind) {
    case text_item:
        return "text";
    case utility_entry:
        return "util";
    case separator_mark:
        return "sep";
    case column_break_mark:
        return "col";
    case group_open:
        return "open";
    case group_close:
        return "close";
    }
    return "kind" + std::to_string(kind);
}

// One entry as "kind depth [text|caption|plain|list]", plus " show" and " file(param|caption)".
static std::string describe_entry(int i)
{
    const item_entry &e = store.items[i];
    std::string s = kind_name(e.kind) + " " + std::to_string(e.depth) + " [" + e.text + "|" + e.caption +
                    "|" + e.plain_caption + "|" + e.list_caption + "]";
    if (e.show_text)
        s += " show";
    if (e.is_file)
        s += std::string(" file(") + e.file_param + "|" + e.file_caption + ")";
    return s;
}

static std::vector<std::string> entries()
{
    std::vector<std::string> all;
    for (int i = 0; i < store.item_count; ++i)
        all.push_back(describe_entry(i));
    return all;
}

// ---- read_line ----------------------------------------------------------------------------------

TEST(ReadLine, CopiesOneLineAndReportsTheAdvance)
{
    struct row {
        const char *name;
        std::string data;
        size_t offset;
        int keep_tabs;
        std::string line;
        size_t advance;
    } rows[] = {
        {"CR dropped wherever it stands", "a\rb\r\nnext\n", 0, 0, "ab", 5},
        {"TAB dropped without keep_tabs", "a\tb\n", 0, 0, "ab", 4},
        {"TAB kept with keep_tabs", "a\tb\n", 0, 1, "a\tb", 4},
        {"line from the middle of the data", "x\nyz\n", 2, 0, "yz", 3},
        {"last line without LF: advance runs past size", "ab\ncd", 3, 0, "cd", 3},
        {"empty line", "\n", 0, 0, "", 1},
        {"offset at the end of the data", "ab\n", 3, 0, "", 1},
        {"zero byte inside the line ends the text, not the read", bytes("a\0b\nc\n"), 0, 0, "a", 4},
        {"lead byte last before LF stays", "\x83\n", 0, 0, "\x83", 2},
        {"trail byte 5C is copied as is", so + "\\\n", 0, 0, so + "\\", 4},
    };
    for (const row &r : rows) {
        char line[line_buffer_size];
        memset(line, 'Z', sizeof line);
        read_line(r.offset, r.data.size(), r.data.data(), r.keep_tabs, line);
        EXPECT_EQ(std::string(line), r.line) << r.name;
        EXPECT_EQ(line_advance, r.advance) << r.name;
        EXPECT_EQ(line[line_buffer_size - 1], '\0') << r.name;
    }
}

TEST(ReadLine, CutsLongLinesAt517BytesAndReadsTheNextLineWhole)
{
    std::string data = std::string(600, 'x') + "\nnext\n";
    char line[line_buffer_size];
    read_line(0, data.size(), data.data(), 0, line);
    EXPECT_EQ(std::string(line), std::string(517, 'x'));
    EXPECT_EQ(line_advance, 601u);
    read_line(601, data.size(), data.data(), 0, line);
    EXPECT_STREQ(line, "next");

    // Dropped bytes do not count towards the limit.
    std::string tabbed = std::string(300, '\t') + std::string(517, 'y') + "\r\n";
    read_line(0, tabbed.size(), tabbed.data(), 0, line);
    EXPECT_EQ(std::string(line), std::string(517, 'y'));
    EXPECT_EQ(line_advance, tabbed.size());
}

TEST(ReadLine, NeverReadsPastSizeEvenWithoutTerminator)
{
    // A buffer without a terminating zero or LF: the reader must stop at size.
    std::vector<char> data(700, 'q');
    char line[line_buffer_size];
    read_line(0, 650, data.data(), 0, line);
    EXPECT_EQ(strlen(line), 517u);
    EXPECT_EQ(line_advance, 651u);
    read_line(651, 650, data.data(), 0, line);
    EXPECT_STREQ(line, "");
    EXPECT_GE(line_advance, 1u);
}

// ---- resolve_path -------------------------------------------------------------------------------

TEST(ResolvePath, FindsFilesDirectlyThenOnTheSearchPath)
{
    datafile_dir d;
    d.make_dir("binメモ");
    d.write("binメモ/tool.exe", "");
    d.write("here.txt", "");
    char out[path_capacity];

    resolve_path(d.path("here.txt").c_str(), out);
    EXPECT_EQ(resolve_found, 1);
    EXPECT_EQ(std::string(out), d.path("here.txt"));

    // Without a search path the name is not looked up in the listed directories.
    resolve_path("tool.exe", out);
    EXPECT_EQ(resolve_found, 0);
    EXPECT_STREQ(out, "tool.exe");

    copy_text(settings.search_path, sizeof settings.search_path,
              (d.path("none") + ";" + d.path("binメモ")).c_str());
    settings.has_search_path = 1;
    resolve_path("tool.exe", out);
    EXPECT_EQ(resolve_found, 1);
    EXPECT_EQ(std::string(out), d.path("binメモ") + "/tool.exe");

    resolve_path("missing.exe", out);
    EXPECT_EQ(resolve_found, 0);
    EXPECT_STREQ(out, "missing.exe");

    resolve_path("", out);
    EXPECT_EQ(resolve_found, 0);
}

TEST(ResolvePath, RejectsASearchResultOf260BytesOrMore)
{
    datafile_dir d;
    std::string deep = std::string(120, 'a') + "/" + std::string(120, 'b');
    d.make_dir(deep);
    d.write(deep + "/t.txt", "");
    ASSERT_GE(d.path(deep + "/t.txt").size(), 260u);
    copy_text(settings.search_path, sizeof settings.search_path, d.path(deep).c_str());
    settings.has_search_path = 1;
    char out[path_capacity];
    resolve_path("t.txt", out);
    EXPECT_EQ(resolve_found, 0);
    EXPECT_STREQ(out, "t.txt");
}

// Paths whose double-byte characters end in 0x5C must reach the file system unchanged.
TEST(ResolvePath, KeepsTrailByte5CInsidePaths)
{
    datafile_dir d;
    d.make_dir("bin" + so);
    d.write("bin" + so + "/tool.exe", "");
    ASSERT_TRUE(os_file_exists(d.path("bin" + so + "/tool.exe").c_str()));
    copy_text(settings.search_path, sizeof settings.search_path, d.path("bin" + so).c_str());
    settings.has_search_path = 1;
    char out[path_capacity];
    resolve_path("tool.exe", out);
    EXPECT_EQ(resolve_found, 1);
    EXPECT_EQ(std::string(out), d.path("bin" + so) + "/tool.exe");
    ASSERT_EQ(d.load("[file]\n" + d.path("bin" + so + "/tool.exe") + " | " + so + "\n%end\n"), 1);
    EXPECT_EQ(store.text_file_count, 1);
}

// ---- choosing the data file ----------------------------------------------------------------------

TEST(LoadDataFile, FollowsTheFallbackChain)
{
    {
        SCOPED_TRACE("the path from the command line is used when it exists");
        datafile_dir d;
        d.write("other.ini", "[data]\nfrom other\n%end\n");
        d.write("mivra.ini", "[data]\nfrom own\n%end\n");
        copy_text(settings.data_file_path, sizeof settings.data_file_path, d.path("other.ini").c_str());
        ASSERT_EQ(load_data_file(1), 1);
        EXPECT_EQ(std::string(settings.data_file_path), d.path("other.ini"));
        EXPECT_STREQ(store.items[0].text, "from other");
    }
    {
        SCOPED_TRACE("a missing path falls back to the file named after the executable");
        datafile_dir d;
        d.write("mivra.ini", "[data]\nfrom own\n%end\n");
        d.write("Mivra.ini", "[data]\nfrom shared\n%end\n");
        copy_text(settings.data_file_path, sizeof settings.data_file_path, d.path("gone.ini").c_str());
        ASSERT_EQ(load_data_file(1), 1);
        EXPECT_EQ(std::string(settings.data_file_path), d.path("mivra.ini"));
        EXPECT_STREQ(store.items[0].text, "from own");
    }
    {
        SCOPED_TRACE("then to Mivra.ini");
        datafile_dir d;
        d.write("Mivra.ini", "[data]\nfrom shared\n%end\n");
        copy_text(settings.data_file_path, sizeof settings.data_file_path, d.path("gone.ini").c_str());
        ASSERT_EQ(load_data_file(1), 1);
        EXPECT_EQ(std::string(settings.data_file_path), d.path("Mivra.ini"));
        EXPECT_STREQ(store.items[0].text, "from shared");
    }
    {
        SCOPED_TRACE("with no data file anywhere an empty one named after the executable is created");
        datafile_dir d;
        copy_text(settings.data_file_path, sizeof settings.data_file_path, d.path("gone.ini").c_str());
        ASSERT_EQ(load_data_file(1), 1);
        EXPECT_EQ(std::string(settings.data_file_path), d.path("mivra.ini"));
        EXPECT_TRUE(std::filesystem::is_regular_file(d.path("mivra.ini")));
        EXPECT_EQ(std::filesystem::file_size(d.path("mivra.ini")), 0u);
        EXPECT_EQ(store.item_count, 0);
        EXPECT_STREQ(settings.delimiter, " | ");
        EXPECT_EQ(settings.menu_position, 5);
        EXPECT_EQ(fake_events(), "");
    }
}

TEST(LoadDataFile, ReportsAFileThatCannotBeOpened)
{
    datafile_dir d;
    d.make_dir("mivra.ini");
    EXPECT_EQ(load_data_file(7), 0);
    EXPECT_EQ(fake_events(), "error 設定ファイル異常");
}

TEST(LoadDataFile, ReportsAnUncreatableFallback)
{
    datafile_dir d;
    copy_text(settings.data_file_path, sizeof settings.data_file_path, d.path("gone.ini").c_str());
    copy_text(settings.exe_dir, sizeof settings.exe_dir, d.path("no such dir/").c_str());
    EXPECT_EQ(load_data_file(7), 0);
    EXPECT_EQ(fake_events(), "error 設定ファイル異常");
}

TEST(LoadDataFile, ResetsTheLoaderOwnedSettingsButKeepsCommandLineChoices)
{
    datafile_dir d;
    copy_text(settings.editor_path, sizeof settings.editor_path, "old editor");
    copy_text(settings.delimiter, sizeof settings.delimiter, "##");
    copy_text(settings.comment_mark, sizeof settings.comment_mark, "//");
    settings.replace_enabled = settings.sendkey_enabled = settings.sendkey_file_enabled = 1;
    settings.select_count = settings.except_count = 3;
    settings.match_accept = settings.show_text_default = settings.list_font_set = settings.has_search_path =
        1;
    settings.sort_list = 0;
    settings.output_mode = 2;
    settings.search_kind = 2;
    ASSERT_EQ(d.load(""), 1);
    EXPECT_STREQ(settings.editor_path, "");
    EXPECT_STREQ(settings.delimiter, " | ");
    EXPECT_STREQ(settings.break_mark, "↓");
    EXPECT_STREQ(settings.comment_mark, ";");
    EXPECT_EQ(settings.replace_enabled + settings.sendkey_enabled + settings.sendkey_file_enabled, 0);
    EXPECT_EQ(settings.select_count + settings.except_count + settings.match_accept, 0);
    EXPECT_EQ(settings.show_text_default + settings.list_font_set + settings.has_search_path, 0);
    EXPECT_EQ(settings.sort_list, 1);
    EXPECT_EQ(settings.output_mode, 2);
    EXPECT_EQ(settings.search_kind, 2);
}

// ---- sections -----------------------------------------------------------------------------------

TEST(DataFileSections, HeadersAreFoundAnywhereIgnoringCase)
{
    struct row {
        const char *name;
        std::string file;
        std::vector<std::string> texts;
    } rows[] = {
        {"capital header", "[DATA]\na\n%end\n", {"a"}},
        {"text after the header on its line is ignored", "[data] b | c\na\n%end\n", {"a"}},
        {"header inside an earlier line wins", "x[Data]y\na\n%end\n[data]\nb\n%end\n", {"a"}},
        {"%end ends the section ignoring case, after leading blanks", "[data]\na\n  %END here\nb\n", {"a"}},
        {"section without %end swallows later headers", "[data]\na\n[file]\nb\n", {"a", "[file]", "b"}},
        {"last line without LF is dropped", "[data]\na\nb", {"a"}},
        {"%end without LF at the end still closes", "[data]\na\n%end", {"a"}},
        {"CR LF lines", "[data]\r\na\r\n%end\r\n", {"a"}},
        {"header as the last bytes gives an empty section", "a\n[data]", {}},
        {"zero byte before the header hides it", bytes("\0[data]\na\n%end\n"), {}},
        {"zero byte inside the section does not stop the walk", bytes("[data]\na\0x\nb\n%end\n"), {"a", "b"}},
        {"header behind a lead byte is not a header", "\x83[data]\na\n%end\n", {}},
    };
    for (const row &r : rows) {
        datafile_dir d;
        ASSERT_EQ(d.load(r.file), 1) << r.name;
        std::vector<std::string> texts;
        for (int i = 0; i < store.item_count; ++i)
            texts.push_back(store.items[i].text);
        EXPECT_EQ(texts, r.texts) << r.name;
    }
}

TEST(DataFileSections, SystemIsReadFirstWhereverItStands)
{
    datafile_dir d;
    ASSERT_EQ(d.load("[data]\na // b\n%end\n[system]\n@dlm= // \n%end\n"), 1);
    EXPECT_EQ(entries(), (std::vector<std::string>{"text 0 [a|b|b|b]"}));
}

TEST(DataFileSections, SettlesMenuPositionWindowSelectionAndListStyle)
{
    struct row {
        const char *name;
        std::string system;
        int search_kind, window_select_mode;
        int32_t menu_position, settled_mode;
        uint32_t list_style;
    } rows[] = {
        {"unset position becomes the text cursor", "", 0, 0, 5, 0, 0x50200103},
        {"a set position stays", "@menu=center\n", 0, 0, 4, 0, 0x50200103},
        {"select-only mode without a list is dropped", "", 0, 7, 5, 0, 0x50200103},
        {"select-only mode with a list stays", "@select=notepad\n", 0, 7, 5, 7, 0x50200103},
        {"named target mode stays", "", 0, 1, 5, 1, 0x50200103},
        {"choose-from-list mode stays", "", 0, 5, 5, 5, 0x50200103},
        {"@sort=0 with the search window leaves the list unsorted", "@sort=0\n", 1, 0, 5, 0, 0x50200101},
        {"@sort=0 for the popup menu has no effect", "@sort=0\n", 0, 0, 5, 0, 0x50200103},
    };
    for (const row &r : rows) {
        datafile_dir d;
        settings.search_kind = r.search_kind;
        settings.window_select_mode = r.window_select_mode;
        ASSERT_EQ(d.load("[system]\n" + r.system + "%end\n"), 1) << r.name;
        EXPECT_EQ(settings.menu_position, r.menu_position) << r.name;
        EXPECT_EQ(settings.window_select_mode, r.settled_mode) << r.name;
        EXPECT_EQ(settings.list_style, r.list_style) << r.name;
    }
}

TEST(DataFileSections, SystemLinesLoseTheirTabsAndSkipComments)
{
    datafile_dir d;
    ASSERT_EQ(d.load("[system]\n\t @dlm=\t/\t/\n;@break=x\n  \n@break=\tB\tB\t\n%end\n"), 1);
    EXPECT_STREQ(settings.delimiter, "//");
    EXPECT_STREQ(settings.break_mark, "BB");
}

// ---- the "[data]" grammar -----------------------------------------------------------------------

TEST(DataSectionGrammar, EachLineBecomesTheRightEntry)
{
    struct row {
        const char *name;
        std::string body;
        std::vector<std::string> expected;
    } rows[] = {
        {"delimiter splits text and caption; & leaves the plain caption",
         "abc | A&bc\n",
         {"text 0 [abc|A&bc|Abc|Abc]"}},
        {"# inverts the show-text default", "abc | #Abc\n", {"text 0 [abc|Abc|Abc|Abc] show"}},
        {"a lone # leaves an empty caption", "t | #\n", {"text 0 [t|||] show"}},
        {"# without a delimiter is text", "#abc\n", {"text 0 [#abc|#abc|#abc|#abc]"}},
        {"no delimiter: the whole line everywhere, & kept", "A&B\n", {"text 0 [A&B|A&B|A&B|A&B]"}},
        {"later delimiters belong to the caption", "x | y | z\n", {"text 0 [x|y | z|y | z|y | z]"}},
        {"leading blanks go, trailing blanks and inner tabs stay",
         " \t a\tb | c  \n",
         {"text 0 [a\tb|c  |c  |c  ]"}},
        {"a leading blank of the delimiter is trimmed away with the line start",
         " | cap\n",
         {"text 0 [| cap|| cap|| cap|| cap]"}},
        {"comments and blank lines are skipped", "; x | y\n\n \t \na\n", {"text 0 [a|a|a|a]"}},
        {"group depths 0, 1, 1",
         "{Gr&oup\na\n}\n",
         {"open 0 [|Gr&oup|Group|]", "text 1 [a|a|a|a]", "close 1 [|||]"}},
        {"+ as the first line is text; then a separator", "+\n+\n", {"text 0 [+|+|+|+]", "sep 0 [|||]"}},
        {"separator and column marks ignore the rest of their line",
         "a\n+ x | y\n- z\n",
         {"text 0 [a|a|a|a]", "sep 0 [|||]", "col 0 [|||]"}},
        {"+ and - right after a group opening are text",
         "a\n{G\n+\n-\n}\n",
         {"text 0 [a|a|a|a]", "open 0 [|G|G|]", "text 1 [+|+|+|+]", "col 1 [|||]", "close 1 [|||]"}},
        {"- as the first line is text", "-\n", {"text 0 [-|-|-|-]"}},
        {"a lone { is text", "{\n", {"text 0 [{|{|{|{]"}},
        {"} at the top level is text", "}x | y\n", {"text 0 [}x|y|y|y]"}},
        {"} ignores the rest of its line", "{G\n} x | y\n", {"open 0 [|G|G|]", "close 1 [|||]"}},
        {"> before any text item is text", ">x | y\n", {"text 0 [>x|y|y|y]"}},
        {"> after a missing file changes nothing",
         "nofile.txt\n>p | c\n",
         {"text 0 [nofile.txt|nofile.txt|nofile.txt|nofile.txt]"}},
        {"> after a group opening applies to the group and changes nothing",
         "a\n{G\n>p\n",
         {"text 0 [a|a|a|a]", "open 0 [|G|G|]"}},
        {"unclosed groups stay open",
         "{A\n{B\nx\n",
         {"open 0 [|A|A|]", "open 1 [|B|B|]", "text 2 [x|x|x|x]"}},
        {"double-byte caption keeps its trail bytes",
         "t | " + so + "&" + hyo + "\n",
         {"text 0 [t|" + so + "&" + hyo + "|" + so + hyo + "|" + so + hyo + "]"}},
    };
    for (const row &r : rows) {
        datafile_dir d;
        ASSERT_EQ(d.load("[data]\n" + r.body + "%end\n"), 1) << r.name;
        EXPECT_EQ(entries(), r.expected) << r.name;
    }
}

TEST(DataSectionGrammar, ShowTextDefaultIsInvertedByHash)
{
    datafile_dir d;
    ASSERT_EQ(d.load("[system]\n@item=1\n%end\n[data]\nabc | #Abc\nabc | Abc\nplain\n%end\n"), 1);
    EXPECT_EQ(entries(),
              (std::vector<std::string>{"text 0 [abc|Abc|Abc|Abc]", "text 0 [abc|Abc|Abc|Abc] show",
                                        "text 0 [plain|plain|plain|plain] show"}));
}

TEST(DataSectionGrammar, DelimiterIsMatchedOnCharacterBoundaries)
{
    // "表" ends in 0x5C: a byte search for the delimiter "\\" would cut 表 in half.
    datafile_dir d;
    ASSERT_EQ(
        d.load("[system]\n@dlm=\\\\\n%end\n[data]\n" + hyo + "\\\\x\n" + so + "a\\\\" + so + "\n%end\n"), 1);
    EXPECT_EQ(entries(), (std::vector<std::string>{"text 0 [" + hyo + "|x|x|x]",
                                                   "text 0 [" + so + "a|" + so + "|" + so + "|" + so + "]"}));

    datafile_dir d2;
    ASSERT_EQ(d2.load("[system]\n@dlm=" + so + so + "\n%end\n[data]\nA" + so + so + "B\n%end\n"), 1);
    EXPECT_EQ(entries(), (std::vector<std::string>{"text 0 [A|B|B|B]"}));

    datafile_dir d3;
    ASSERT_EQ(d3.load("[system]\n@dlm=Or\n%end\n[data]\naORb\n%end\n"), 1);
    EXPECT_EQ(entries(), (std::vector<std::string>{"text 0 [a|b|b|b]"})) << "delimiter found ignoring case";
}

TEST(DataSectionGrammar, FileParameterLinesMakeFileEntries)
{
    datafile_dir d;
    d.make_dir("progメモ");
    d.write("progメモ/tool.exe", "");
    d.write("memo.txt", "");
    d.make_dir("folder");
    std::string body = "[system]\n@path=" + d.path("progメモ") +
                       "\n%end\n[data]\n"
                       "tool.exe\n>readme.txt | Readme\n" +
                       d.path("memo.txt") + " | Memo\n>#2-3\n" + d.path("folder") + "\n>x | y\n" +
                       "tool.exe | a\n>p | c | d\n%end\n";
    ASSERT_EQ(d.load(body), 1);
    std::string tool = d.path("progメモ") + "/tool.exe";
    std::string folder = d.path("folder");
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "text 0 [" + tool + "|tool.exe|tool.exe|tool.exe] file(readme.txt|Readme)",
                             "text 0 [" + d.path("memo.txt") + "|Memo|Memo|Memo] file(#2-3|)",
                             "text 0 [" + folder + "|" + folder + "|" + folder + "|" + folder + "]",
                             "text 0 [" + tool + "|a|a|a] file(p|c | d)",
                         }));
}

TEST(DataSectionGrammar, StopsAt3000EntriesAndAddsUtilityEntriesAfterThem)
{
    datafile_dir d;
    settings.search_kind = 1;
    std::string body = "[data]\n";
    for (int i = 0; i < 3005; ++i)
        body += "item" + std::to_string(i) + "\n";
    body += "%end\n";
    ASSERT_EQ(d.load(body), 1);
    ASSERT_EQ(store.item_count, 3004);
    EXPECT_STREQ(store.items[2999].text, "item2999");
    EXPECT_EQ(store.items[3000].kind, utility_entry);
    EXPECT_STREQ(store.items[3003].plain_caption, "&9 : Ver.1.38");
}

TEST(DataSectionGrammar, LongPartsAreCutToTheirFields)
{
    datafile_dir d;
    std::string text(300, 't'), caption(300, 'c');
    ASSERT_EQ(d.load("[data]\n" + text + " | x\ny | " + caption + "\n{" + std::string(600, 'g') + "\n%end\n"),
              1);
    ASSERT_EQ(store.item_count, 3);
    EXPECT_EQ(std::string(store.items[0].text), std::string(259, 't'));
    EXPECT_EQ(std::string(store.items[1].caption), std::string(259, 'c'));
    EXPECT_EQ(std::string(store.items[1].list_caption), std::string(259, 'c'));
    EXPECT_EQ(std::string(store.items[2].caption), std::string(259, 'g'));
}

TEST(LoaderUtilityEntries, DependOnOutputModeAndTheRecorder)
{
    struct row {
        const char *name;
        int output_mode, history_running;
        bool recorder_exists;
        std::vector<std::string> captions;
    } rows[] = {
        {"paste mode, no recorder program",
         1,
         0,
         false,
         {"&1 : クリップボード", "&2 : 設定ファイル", "&3 : 説明書", "&9 : Ver.1.38"}},
        {"recorder program present offers its start",
         1,
         0,
         true,
         {"&1 : クリップボード", "&2 : 設定ファイル", "&3 : 説明書", "&4 : 履歴開始", "&9 : Ver.1.38"}},
        {"clipboard-only output hides the clipboard entry",
         2,
         0,
         true,
         {"&2 : 設定ファイル", "&3 : 説明書", "&4 : 履歴開始", "&9 : Ver.1.38"}},
        {"a running recorder brings it back and offers its stop",
         2,
         1,
         false,
         {"&1 : クリップボード", "&2 : 設定ファイル", "&3 : 説明書", "&4 : 履歴停止", "&9 : Ver.1.38"}},
    };
    for (const row &r : rows) {
        datafile_dir d;
        settings.search_kind = 1;
        settings.output_mode = r.output_mode;
        settings.history_running = r.history_running;
        if (r.recorder_exists)
            d.write("hist.exe", "");
        ASSERT_EQ(d.load("[data]\na\n%end\n"), 1) << r.name;
        std::vector<std::string> captions;
        for (int i = 1; i < store.item_count; ++i) {
            const item_entry &e = store.items[i];
            EXPECT_EQ(e.kind, utility_entry) << r.name;
            EXPECT_EQ(e.depth, 0) << r.name;
            EXPECT_STREQ(e.list_caption, e.plain_caption) << r.name;
            captions.push_back(e.plain_caption);
        }
        EXPECT_EQ(captions, r.captions) << r.name;
    }
    datafile_dir popup;
    ASSERT_EQ(popup.load("[data]\na\n%end\n"), 1);
    EXPECT_EQ(store.item_count, 1) << "no utility entries for the popup menu";
}

// ---- "[file]" and the choice of the text file -----------------------------------------------------

TEST(TextFileSection, ListsExistingFilesWithTheirNames)
{
    datafile_dir d;
    d.make_dir("notesメモ");
    d.write("notesメモ/memo.txt", "");
    d.write("plain.log.txt", "");
    d.make_dir("folder");
    std::string body = "[file]\n" + d.path("notesメモ/memo.txt") + " | " + so + "メモ\n" + "\t" +
                       d.path("plain.log.txt") + "\t\n" + d.path("missing.txt") + " | x\n" +
                       d.path("folder") + "\n\n;" + d.path("plain.log.txt") + "\n%end\n";
    ASSERT_EQ(d.load(body), 1);
    ASSERT_EQ(store.text_file_count, 2);
    EXPECT_EQ(std::string(store.text_file_path[0]), d.path("notesメモ/memo.txt"));
    EXPECT_EQ(std::string(store.text_file_name[0]), so + "メモ");
    EXPECT_EQ(std::string(store.text_file_path[1]), d.path("plain.log.txt"));
    EXPECT_STREQ(store.text_file_name[1], "plain.log");
    EXPECT_EQ(settings.file_section_enabled, 1);
}

TEST(TextFileSection, EndsAt99Entries)
{
    datafile_dir d;
    d.write("f.txt", "");
    std::string body = "[file]\n";
    for (int i = 0; i < 101; ++i)
        body += d.path("f.txt") + " | n" + std::to_string(i) + "\n";
    ASSERT_EQ(d.load(body + "%end\n"), 1);
    EXPECT_EQ(store.text_file_count, 99);
    EXPECT_STREQ(store.text_file_name[98], "n98");
}

TEST(TextFileSection, ChoosesTheTextFile)
{
    struct row {
        const char *name;
        bool listed, enabled;
        int text_file_search;
        const char *search_name;
        bool path_argument;
        int32_t count, selected, search_after, enabled_after, preselected;
    } rows[] = {
        {"nothing listed turns the file features off", false, true, 1, "", false, 0, 0, 0, 0, 0},
        {"listed files keep the section on", true, true, 0, "", false, 2, 0, 0, 1, 0},
        {"@file=0 skips the section", true, false, 0, "", false, 0, 0, 0, 0, 0},
        {"a file search forces the section on", true, false, 1, "", false, 2, 0, 1, 1, 0},
        {"a named file is preselected ignoring case", true, true, 2, "SECOND", false, 2, 1, 1, 1, 1},
        {"a name must have the same length", true, true, 2, "secon", false, 2, 0, 1, 1, 0},
        {"the path argument is appended and selected", true, true, 3, "", true, 3, 2, 1, 1, 1},
        {"the path argument needs no listed file", false, true, 3, "", true, 1, 0, 1, 1, 1},
    };
    for (const row &r : rows) {
        datafile_dir d;
        d.write("first.txt", "");
        d.write("second.txt", "");
        d.write("arg.file.txt", "");
        settings.text_file_search = r.text_file_search;
        copy_text(settings.text_file_search_name, sizeof settings.text_file_search_name, r.search_name);
        if (r.path_argument)
            copy_text(settings.path_argument, sizeof settings.path_argument, d.path("arg.file.txt").c_str());
        std::string system = r.enabled ? "" : "[system]\n@file=0\n%end\n";
        std::string files =
            r.listed ? "[file]\n" + d.path("first.txt") + "\n" + d.path("second.txt") + "\n%end\n" : "";
        ASSERT_EQ(d.load(system + files), 1) << r.name;
        EXPECT_EQ(store.text_file_count, r.count) << r.name;
        EXPECT_EQ(store.text_file_selected, r.selected) << r.name;
        EXPECT_EQ(settings.text_file_search, r.search_after) << r.name;
        EXPECT_EQ(settings.file_section_enabled, r.enabled_after) << r.name;
        EXPECT_EQ(settings.text_file_preselected, r.preselected) << r.name;
        if (r.path_argument) {
            EXPECT_EQ(std::string(store.text_file_path[r.count - 1]), d.path("arg.file.txt")) << r.name;
            EXPECT_STREQ(store.text_file_name[r.count - 1], "arg.file") << r.name;
        }
    }
}

// ---- "[replace]", "[key]", "[title]" --------------------------------------------------------------

TEST(DataFileTables, ReplaceRowsNeedANameAndAReplacement)
{
    datafile_dir d;
    ASSERT_EQ(d.load("[replace]\n%me | 山田" + so +
                     "\n%x | \n% | y\nname | z\n;%c | d\n\n  %tab | a\tb\n"
                     "%a | b | c\n%nodelim\n%end\n"),
              1);
    ASSERT_EQ(store.replace_count, 3);
    EXPECT_STREQ(store.replace_from[0], "%me");
    EXPECT_EQ(std::string(store.replace_to[0]), "山田" + so);
    EXPECT_STREQ(store.replace_from[1], "%tab");
    EXPECT_STREQ(store.replace_to[1], "a\tb");
    EXPECT_STREQ(store.replace_from[2], "%a");
    EXPECT_STREQ(store.replace_to[2], "b | c");
}

TEST(DataFileTables, KeyRowsTakeTwoBytesOfCodeAndTheRestAsName)
{
    datafile_dir d;
    ASSERT_EQ(d.load("[key]\n0D\n0D Enter\n1BX\n;11 Ctrl\n2\n\n  2E\tDelete\n70 " + std::string(40, 'n') +
                     "\n%end\n"),
              1);
    ASSERT_EQ(store.key_count, 5);
    const char *codes[] = {"0D", "0D", "1B", "2E", "70"};
    std::string texts[] = {"0D", "Enter", "1B", "Delete", std::string(31, 'n')};
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(store.key_code[i], codes[i]) << i;
        EXPECT_EQ(std::string(store.key_text[i]), texts[i]) << i;
    }
    EXPECT_STREQ(find_key("0D"), "0D");
    EXPECT_STREQ(find_key("2E"), "Delete");
    EXPECT_STREQ(find_key("2e"), "");
}

TEST(DataFileTables, TitleRowsPairAGroupWithAPattern)
{
    datafile_dir d;
    ASSERT_EQ(d.load("[title]\nメール | Outlook|Thunderbird\n;x | y\nno delimiter\n\n" + so + " | ^" + hyo +
                     "$\n%end\n"),
              1);
    ASSERT_EQ(store.title_count, 2);
    EXPECT_STREQ(store.title_group[0], "メール");
    EXPECT_STREQ(store.title_pattern[0], "Outlook|Thunderbird");
    EXPECT_EQ(std::string(store.title_group[1]), so);
    EXPECT_EQ(std::string(store.title_pattern[1]), "^" + hyo + "$");
}

TEST(DataFileTables, StopAtTheirLimits)
{
    datafile_dir d;
    std::string file = "[replace]\n";
    for (int i = 0; i < 105; ++i)
        file += "%r" + std::to_string(i) + " | v\n";
    file += "%end\n[key]\n";
    for (int i = 0; i < 155; ++i)
        file += "K" + std::to_string(i % 10) + " k" + std::to_string(i) + "\n";
    file += "%end\n[title]\n";
    for (int i = 0; i < 105; ++i)
        file += "g" + std::to_string(i) + " | p\n";
    file += "%end\n";
    ASSERT_EQ(d.load(file), 1);
    EXPECT_EQ(store.replace_count, 100);
    EXPECT_STREQ(store.replace_from[99], "%r99");
    EXPECT_EQ(store.key_count, 150);
    EXPECT_STREQ(store.key_text[149], "k149");
    EXPECT_EQ(store.title_count, 100);
    EXPECT_STREQ(store.title_group[99], "g99");
}

// ---- malformed input ------------------------------------------------------------------------------

TEST(DataFileMalformed, LongLinesAndStrayLeadBytesStayInsideTheFields)
{
    datafile_dir d;
    settings.search_kind = 1;
    std::string huge(2000, '\x83'); // lead bytes only
    std::string file = "[system]\n@dlm=" + huge + "\n@select=" + huge + "," + huge + "\n@font=" + huge +
                       "\n@log=1,20," + huge + "\n%end\n[data]\n" + huge + "\n" + huge + " | " + huge +
                       "\n{" + huge + "\n%end\n[replace]\n%" + huge + " | " + huge + "\n%end\n[key]\n" +
                       huge + "\n%end\n[title]\n" + huge + " | " + huge + "\n%end\n\x83";
    ASSERT_EQ(d.load(file), 1);
    EXPECT_EQ(strlen(settings.delimiter), 31u);
    EXPECT_EQ(strlen(settings.select_names[0]), 31u);
    EXPECT_EQ(strlen(settings.list_font_face), 127u);
    EXPECT_EQ(std::string(settings.log_file_path), d.path("log.ini"));
    // The cut delimiter of lead bytes is found nowhere on character boundaries of the items.
    EXPECT_EQ(store.items[0].kind, text_item);
    EXPECT_LE(strlen(store.items[0].text), 259u);
    EXPECT_EQ(store.key_count, 1);
    EXPECT_LE(strlen(store.key_text[0]), 31u);
}

// ---- golden files --------------------------------------------------------------------------------

// Converts between UTF-8 (the golden files) and code page 932 (what the loader reads); bytes that
// do not convert are written as \xNN.
static std::string convert(const std::string &in, const char *to, const char *from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return in;
    std::string out;
    char buffer[64];
    char *src = const_cast<char *>(in.data());
    size_t left = in.size();
    while (left > 0) {
        char *dst = buffer;
        size_t room = sizeof buffer;
        size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(*src));
            out += escaped;
            ++src;
            --left;
        }
    }
    iconv_close(cd);
    return out;
}

static std::string replace_all(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// What the loader understood, one fact a line, in UTF-8 with the temporary directory as $DIR/.
static std::string dump_loaded(const std::string &dir)
{
    std::ostringstream o;
    const settings_record &s = settings;
    auto q = [](const char *text) { return "\"" + std::string(text) + "\""; };
    o << "[settings]\n";
    o << "delimiter " << q(s.delimiter) << "\nbreak_mark " << q(s.break_mark) << "\n";
    o << "search_path " << q(s.search_path) << " has " << s.has_search_path << "\n";
    o << "menu " << s.menu_position << " at " << s.menu_x << "," << s.menu_y << "\n";
    o << "replace " << s.replace_enabled << " sendkey " << s.sendkey_enabled << "/" << s.sendkey_file_enabled
      << "\n";
    o << "item show_text " << s.show_text_default << " caption_length " << s.text_caption_length << "\n";
    o << "output_mode " << s.output_mode << "\n";
    o << "select";
    for (int i = 0; i < s.select_count; ++i)
        o << " " << q(s.select_names[i]);
    o << "\nexcept";
    for (int i = 0; i < s.except_count; ++i)
        o << " " << q(s.except_names[i]);
    o << "\nlist_font " << q(s.list_font_face) << " " << s.list_font_height << " " << s.list_font_weight
      << " " << s.list_font_italic << " set " << s.list_font_set << "\n";
    o << "editor " << q(s.editor_path) << "\nyear " << s.era_base_year << "\n";
    o << "log " << s.log_mode << " " << s.log_max_entries << " " << q(s.log_file_path) << "\n";
    o << "hist " << s.history_head_chars << " " << s.history_tail_chars << "\n";
    o << "wait " << s.long_text_extra_wait << " " << s.long_text_threshold << " " << s.segment_wait << " "
      << s.chord_key_wait << "\n";
    o << "file " << s.file_section_enabled << " " << s.file_menu_rows << " " << s.file_menu_columns << " "
      << s.file_menu_max_lines << " " << s.file_caption_length << " " << s.file_menu_numbered << " "
      << q(s.comment_mark) << "\n";
    o << "window " << s.search_window_width << " " << s.list_window_width << " " << s.list_window_height
      << " " << s.window_offset_x << " " << s.window_offset_y << "\n";
    o << "search_kind " << s.search_kind << " sort " << s.sort_list << " match " << s.match_accept
      << " list_style 0x" << std::hex << s.list_style << std::dec << "\n";
    o << "view " << s.preview_mode << " " << s.preview_size_limit << " " << s.preview_width << " "
      << s.preview_height << " " << q(s.preview_font_face) << " " << s.preview_font_height << " "
      << s.preview_font_weight << " " << s.preview_font_italic << "\n";
    o << "keys " << s.paste_key_count;
    for (int i = 0; i < s.paste_key_count; ++i)
        o << " 0x" << std::hex << s.paste_keys[i] << std::dec;
    o << "\nmigemo " << s.migemo_min_length << " " << q(s.migemo_dict_path) << "\n";
    o << "guidance " << s.guidance << " stay " << s.stay_mode << " " << s.stay_flag << "\n";
    o << "window_select_mode " << s.window_select_mode << "\n";
    o << "text_file_search " << s.text_file_search << " preselected " << s.text_file_preselected << "\n";
    o << "[items] " << store.item_count << "\n";
    for (int i = 0; i < store.item_count; ++i)
        o << i << " " << describe_entry(i) << "\n";
    o << "[files] " << store.text_file_count << " selected " << store.text_file_selected << "\n";
    for (int i = 0; i < store.text_file_count; ++i)
        o << q(store.text_file_path[i]) << " " << q(store.text_file_name[i]) << "\n";
    o << "[replace] " << store.replace_count << "\n";
    for (int i = 0; i < store.replace_count; ++i)
        o << q(store.replace_from[i]) << " -> " << q(store.replace_to[i]) << "\n";
    o << "[key] " << store.key_count << "\n";
    for (int i = 0; i < store.key_count; ++i)
        o << q(store.key_code[i]) << " " << q(store.key_text[i]) << "\n";
    o << "[title] " << store.title_count << "\n";
    for (int i = 0; i < store.title_count; ++i)
        o << q(store.title_group[i]) << " -> " << q(store.title_pattern[i]) << "\n";
    std::string text = replace_all(o.str(), dir, "$DIR/");
    text = replace_all(text, "\t", "\\t");
    return convert(text, "UTF-8", "CP932");
}

static std::string read_all(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// Applies setup.txt: "search_kind 1", "mouse_present 1", "screen 1280 984", "output_mode 2",
// "history_running 1", "text_file_search 2", "search_name NAME", "path_argument $DIR/x", "file NAME"
// (an empty file beside the data file), "dir NAME".
static void apply_setup(const datafile_dir &d, const std::string &setup)
{
    std::istringstream lines(setup);
    std::string key;
    while (lines >> key) {
        std::string value;
        std::getline(lines >> std::ws, value);
        value = convert(replace_all(value, "$DIR/", d.dir), "CP932", "UTF-8");
        int number = atoi(value.c_str());
        if (key == "search_kind")
            settings.search_kind = number;
        else if (key == "mouse_present")
            settings.mouse_present = number;
        else if (key == "screen")
            sscanf(value.c_str(), "%d %d", &settings.screen_width, &settings.screen_height);
        else if (key == "output_mode")
            settings.output_mode = number;
        else if (key == "history_running")
            settings.history_running = number;
        else if (key == "text_file_search")
            settings.text_file_search = number;
        else if (key == "search_name")
            copy_text(settings.text_file_search_name, sizeof settings.text_file_search_name, value.c_str());
        else if (key == "path_argument")
            copy_text(settings.path_argument, sizeof settings.path_argument, value.c_str());
        else if (key == "file")
            d.write(value, "");
        else if (key == "dir")
            d.make_dir(value);
        else
            ADD_FAILURE() << "unknown setup key " << key;
    }
}

// Each case directory holds input.ini (UTF-8, converted to code page 932 and with $DIR/ standing for
// the executable's directory), an optional setup.txt and expected.txt. MIVRA_UPDATE_GOLDEN=1 rewrites
// expected.txt from what the loader understood.
TEST(DataFileGolden, LoaderUnderstandsEachCase)
{
    std::string root = std::string(MIVRA_TEST_DATA_DIR) + "/datafile";
    std::vector<std::string> cases;
    for (const auto &entry : std::filesystem::directory_iterator(root))
        if (entry.is_directory())
            cases.push_back(entry.path().string());
    std::sort(cases.begin(), cases.end());
    ASSERT_GE(cases.size(), 4u);
    bool update = getenv("MIVRA_UPDATE_GOLDEN") != nullptr;
    for (const std::string &dir : cases) {
        SCOPED_TRACE(dir);
        datafile_dir d;
        apply_setup(d, read_all(dir + "/setup.txt"));
        std::string input =
            convert(replace_all(read_all(dir + "/input.ini"), "$DIR/", d.dir), "CP932", "UTF-8");
        ASSERT_EQ(d.load(input), 1);
        std::string got = dump_loaded(d.dir);
        if (update) {
            std::ofstream(dir + "/expected.txt", std::ios::binary) << got;
            continue;
        }
        EXPECT_EQ(got, read_all(dir + "/expected.txt"));
    }
}
