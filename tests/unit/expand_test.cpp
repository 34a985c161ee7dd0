#include "datafile_support.h"

#include "choice/choice.h"
#include "datafile/utf8_file.h"
#include "expand/expand.h"

namespace {

const os_window owner = 7;
const char five_lines[] = "l1\nl2\nl3\nl4\nl5\n";

class ExpandTest : public ::testing::Test {
  protected:
    void SetUp() override // after `files` has reset the process state and the fake
    {
        for (const char *key : {"0dEnter", "0aLF", "09Tab"})
            add_key(key);
    }

    // "0dEnter": the code is the first two bytes.
    void add_key(const std::string &key)
    {
        copy_text(store.key_code[store.key_count], 16, key.substr(0, 2).c_str());
        copy_text(store.key_text[store.key_count++], 32, key.substr(2).c_str());
    }

    // Item 3 becomes a file entry over "f.txt" holding `content`, with the given switch text; returns
    // what expanding it returned.
    int expand_file(const std::string &content, const std::string &switch_text, int preview = 0)
    {
        std::string path = files.path("f.txt");
        std::ofstream(path, std::ios::binary) << content;
        item_entry &e = store.items[3];
        e.is_file = 1;
        copy_text(e.text, sizeof e.text, path.c_str());
        copy_text(e.file_param, sizeof e.file_param, switch_text.c_str());
        copy_text(e.list_caption, sizeof e.list_caption, "Notes");
        return expand_item_file(owner, 3, 0, preview);
    }

    void set_text(const std::string &text)
    {
        copy_text(output.output_text, output_text_capacity, text.c_str());
    }
    std::string out() const { return output.output_text; }

    std::string expand(const std::string &text)
    {
        set_text(text);
        expand_date_folder_macros(output.output_text);
        return out();
    }

    std::string clipboard_pass(const std::string &text, int preview = 0)
    {
        set_text(text);
        expand_clipboard_macros(owner, preview);
        return out();
    }

    void add_row(const char *from, const char *to)
    {
        copy_text(store.replace_from[store.replace_count], 260, from);
        copy_text(store.replace_to[store.replace_count++], 260, to);
    }

    datafile_dir files; // a fresh folder for the files a test needs
};

TEST_F(ExpandTest, ItemSwitchesCutTheFileAndSetReplacement)
{
    const std::string L = five_lines, N = "a\nb\nc", M = "head [s]body[e] tail", Y = "x\n%4y%";
    // Name, content, switch text, expected, path argument found, replacement on.
    const std::tuple<const char *, std::string, std::string, std::string, int, int> rows[] = {
        {"equal ends run to the end", L, "#L:3-3", "l3\nl4\nl5\n", 0, 0},
        {"2 lines after line 2", L, "#L:2+2", "l2\nl3\nl4\n", 0, 0},
        {"open count runs to the end", L, "#L:4+", "l4\nl5\n", 0, 0},
        {"zero before a dash counts as one", L, "#L:0-2", "l1\nl2\n", 0, 0},
        {"value ends at a blank", L, "#L:2 -4", "l2\n", 0, 0},
        {"anywhere in a token, up to the digits' end", L, "x#L:3y", "l3\n", 0, 0},
        {"#L: wins over #-L:", L, "#-L:5 #L:2", "l2\n", 0, 0},
        {"#L: wins over #T:", L, "#T:l2-l4 #L:1", "l1\n", 0, 0},
        {"past the end keeps the range length", L, "#L:9-10", "l1\nl2\n", 0, 0},
        {"skip that ends at the end leaves nothing", L, "#L:6", "", 0, 0},
        {"huge count walks to the end", L, "#L:2147483647+2147483647", L, 0, 0},
        {"last line without LF", N, "#L:3", "c", 0, 0},
        {"a cut double-byte end is read up to the file's end", "ab\x82", "", "ab\x82", 0, 0},
        {"skip past a last line without LF", N, "#L:4", "a\n", 0, 0},
        {"stripping removes CR and LF", "a\r\nb\r\nc\r\n", "#-L:1-2", "a\r\nb", 0, 0},
        {"stripping a text of breaks only", "\r\n\r\n", "#-L:1-2", "", 0, 0},
        {"markers dropped, value ends at a blank, names any case", M, "#t:[s]-[e] #d", "body", 0, 0},
        {"markers are matched with case", M, "#T:[S]-[e] #D", "head [s]body", 0, 0},
        {"start marker only", M, "#T:[s]", "[s]body[e] tail", 0, 0},
        {"end marker only", M, "#T:-[e]", "head [s]body[e]", 0, 0},
        {"end marker absent runs to the end", M, "#T:[s]-[x]", "[s]body[e] tail", 0, 0},
        {"end marker searched after the start", M, "#T:body-[s]", "body[e] tail", 0, 0},
        {"macros run on the cut range with #R", "x\n%4y%/%0m%\n", "#L:2 #R", "2026/03\n", 0, 0},
        {"a path argument needs the slash form", L, "#L:2", L, 1, 0},
        {"slash forms with a path argument", L, "/#-l:2-3", "l2\nl3", 1, 0},
        {"#-R turns replacement off", Y, "#-R", Y, 0, 1},
        {"#R wins over #-R", Y, "#-R #R", "x\n2026", 0, 0},
        {"neither leaves replacement on", Y, "#L:0", "x\n2026", 0, 1},
    };
    for (const auto &[name, content, switch_text, expected, path_argument, replace] : rows) {
        settings.path_argument_found = path_argument;
        expansion.replace_enabled = replace;
        EXPECT_EQ(expand_file(content, switch_text), 1) << name;
        EXPECT_EQ(out(), expected) << name;
        EXPECT_EQ(read_all(files.path("f.txt")), content) << name << ": reading changed the file";
    }
}

// Called directly: an item's own field is too short to reach the limit.
TEST_F(ExpandTest, LongValuesKeepTheir259FirstCharacters)
{
    parse_item_switches(("#T:" + std::string(300, 'm')).c_str());
    EXPECT_EQ(strlen(switches.start_marker), 259u);
    parse_item_switches(("#L:" + std::string(258, '0') + "4").c_str());
    EXPECT_EQ(switches.first_line, 4) << "259 characters are read whole";
    parse_item_switches(("#L:" + std::string(259, '0') + "4").c_str());
    EXPECT_EQ(switches.line_range_mode, 0) << "the 260th character is ignored";
}

TEST_F(ExpandTest, FilesLargerThanOutputTextAreRefusedWithTheMessage)
{
    for (size_t size : {output_text_capacity, output_text_capacity - 1}) {
        reset_fake_system();
        set_text("untouched");
        std::string content(size, 'x');
        int fits = size < output_text_capacity;
        EXPECT_EQ(expand_file(content, ""), fits) << size;
        EXPECT_EQ(fake_events(), fits ? "" : "error データファイルが読めません！") << size;
        EXPECT_TRUE(out() == (fits ? content : "untouched")) << size;
    }
    const std::string kana = utf8_mark + repeated("\xEF\xBD\xB1", output_text_capacity - 1);
    EXPECT_EQ(expand_file(kana, ""), 1) << "UTF-8 larger than output_text whose text fits";
    EXPECT_TRUE(out() == std::string(output_text_capacity - 1, '\xB1'));
    EXPECT_EQ(expand_file(kana + "\xEF\xBD\xB1", ""), 0) << "one character more";
    EXPECT_EQ(expand_item_file(owner, -1, 0, 0), 0) << "an item outside the store";
}

TEST_F(ExpandTest, PreviewShowsFilesUpToTheLimitAndANoticeBeyond)
{
    settings.preview_size_limit = 10;
    choice_run.output_mode = 2;
    output.output_source = 1;
    expand_file("0123456789", "", 1);
    EXPECT_EQ(out() + " " + std::to_string(output.output_source) + " [" + fake.clipboard + "]",
              "0123456789 1 []")
        << "the preview never writes the clipboard";
    expand_file("0123456789A", "", 1);
    EXPECT_EQ(out() + " " + std::to_string(output.output_source), "! Notes - f.txt 0");
    expand_file(std::string(output_text_capacity + 5, 'z'), "", 1);
    EXPECT_EQ(out(), "! Notes - f.txt") << "too large for output_text, but only noticed";
    EXPECT_EQ(fake_events(), "");
    settings.preview_size_limit = 0;
    expand_file("0123456789A", "", 1);
    EXPECT_EQ(out(), "0123456789A") << "no limit reads the whole file";
}

TEST_F(ExpandTest, ClipboardSourceTakesTheClipboardTextAndOnlyTheReplaceSwitches)
{
    EXPECT_EQ(expand_item_file(owner, 0, 1, 0), 0) << "no clipboard text";
    fake.clipboard_has_text = true;
    EXPECT_EQ(expand_item_file(owner, 0, 1, 0), 0) << "an empty clipboard";
    EXPECT_EQ(fake_events(), "") << "both fail silently";

    fake.clipboard = "a\nb\n%4y%";
    const std::pair<const char *, const char *> rows[] = {
        {"/#b /#L:2 /#R #T:a-b", "a\nb\n2026"}, // no range is cut, /#R turns the macros on
        {"/#b /#-R", "a\nb\n%4y%"},
        {"#R", "a\nb\n%4y%"}, // the slash form only
    };
    for (const auto &[param, expected] : rows) {
        copy_text(store.items[0].file_param, 260, param);
        ASSERT_EQ(expand_item_file(owner, 0, 1, 0), 1) << param;
        EXPECT_EQ(out(), expected) << param;
    }

    // A huge text is cut to output_text: "ア" is two bytes, 1,039,999 bytes would end in half of one.
    const std::string kana = repeated("\x83\x41", 600000);
    fake.clipboard = kana;
    ASSERT_EQ(expand_item_file(owner, 0, 1, 0), 1);
    EXPECT_TRUE(out() == kana.substr(0, output_text_capacity - 2));
}

TEST_F(ExpandTest, TextPreparationTurnsBreakMarksIntoLineBreaksThenRunsTheMacros)
{
    // Name, break mark, replace, sendkey, text, expected, then the key, clipboard and tab flags.
    const std::tuple<const char *, const char *, int, int, const char *, const char *, const char *> rows[] =
        {
            {"mark found without case", "<BR>", 0, 0, "a<br>b", "a\r\nb", "000"},
            {"a mark that a line break holds cannot loop", "\n", 0, 0, "a\nb\n", "a\r\nb\r\n", "000"},
            {"macros after the marks; %tb% is no tab mark", "↓", 1, 0, "%4y%↓%CLP%%tb%", "2026\r\nclip\t",
             "010"},
            {"tab mark seen without case", "", 1, 0, "a%$TB%", "a%$TB%", "001"},
            {"key macro seen with sendkey", "", 0, 1, "a%$0d%", "a%$0d%", "100"},
            {"key macro ignored without sendkey", "", 0, 0, "a%$0d%", "a%$0d%", "000"},
        };
    fake.clipboard = "clip";
    fake.clipboard_has_text = true;
    for (const auto &[name, mark, replace, sendkey, text, expected, flags] : rows) {
        reset_output_state();
        output.clipboard_macro_done = output.key_macro_present = output.tab_macro_present = 1; // from before
        copy_text(settings.break_mark, sizeof settings.break_mark, mark);
        expansion.replace_enabled = replace;
        expansion.sendkey_file_enabled = sendkey;
        set_text(text);
        prepare_chosen_text(owner);
        EXPECT_EQ(out() + "|" + std::to_string(output.key_macro_present) +
                      std::to_string(output.clipboard_macro_done) + std::to_string(output.tab_macro_present),
                  std::string(expected) + "|" + flags)
            << name;
    }
}

// Through the preview's macro step, which renders texts shorter than 1,024 bytes; whatever key macro
// is left is still to be sent.
TEST_F(ExpandTest, PreviewRendersKeyMacrosAsReadableTextThatStaysWhole)
{
    const std::string x1018(1018, 'x'), x1019(1019, 'x');
    // Name, text, rendered, the key reported as unregistered, keys registered (2: not Tab).
    const std::tuple<const char *, std::string, std::string, const char *, int> rows[] = {
        {"tb stands for 09", "%$TB%", " [Tab] ", "", 3},
        {"unregistered number shown", "%$zz%", " [zz] ", "zz", 3},
        {"rendered text is not searched again", "%$0d%$0a%", " [Enter] $0a%", "", 3},
        {"without Tab registered tb shows 09, not as unregistered", "%$tb%", " [09] ", "", 2},
        {"a text of 1,023 bytes is rendered", x1018 + "%$0d%", x1018 + " [Enter] ", "", 3},
        {"a text of 1,024 bytes is not", x1019 + "%$0d%", x1019 + "%$0d%", "", 3},
    };
    expansion.sendkey_file_enabled = 1;
    for (const auto &[name, text, expected, unregistered, keys] : rows) {
        reset_output_state();
        store.key_count = keys;
        set_text(text);
        apply_macros(owner, 1);
        EXPECT_EQ(out(), expected) << name;
        EXPECT_STREQ(output.unregistered_key_flag ? output.unregistered_key : "", unregistered) << name;
        EXPECT_EQ(output.key_macro_present, expected.find("%$") != std::string::npos) << name;
    }

    // Rendering that grows sevenfold stays whole.
    store.key_count = 0;
    add_key("0d0123456789012345678901234567890"); // 31 bytes, the widest key text
    set_text(repeated("%$0d%", 204));
    render_key_macros(output.output_text);
    EXPECT_EQ(strlen(output.output_text), 204u * 35u);

    char small[40] = "%$0d%%$0d%";
    render_key_macros(small, sizeof small);
    EXPECT_EQ(std::string(small), " [0123456789012345678901234567890]  [01");
}

// 2026-03-05 14:07:09, a Thursday, with era_base_year 2018. The first letter's case picks a
// capital name; for hours the second letter's case picks the 24-hour (or 1-to-24) clock, and in
// "%AP%" the third letter's case the Japanese form. Unknown macros and inserted digits stay.
const char *const afternoon =
    "%4y%=2026|%yy%=8|%2y%=26|%mm%=3|%0m%=03|%-m%= 3|%lm%=march|%Lm%=March|%sm%=mar|%SM%=Mar|%dd%=5|%hh%=2|"
    "%HH%=14|%hH%=14|%Hh%=2|%0h%=02|%0H%=14|%-h%= 2|%-H%=14|%ff%=7|%ss%=9|%ww%=木|%lw%=thursday|"
    "%Lw%=Thursday|%sw%=thu|%Sw%=Thu|a%rn%b=a\r\nb|%RN%=\r\n|a%tb%b=a\tb|%TB%=\t|%ii%=2|%iI%=14|%II%=14|"
    "%0i%=02|%0I%=14|%-i%= 2|%ap%=pm|%Ap%=PM|%aP%=午後|%AP%=午後|%a.%=p.m.|%A.%=P.M.|%pa%=pm|%Pa%=PM|"
    "%pA%=午後|%p.%=p.m.|%P.%=P.M.|%0m%/%0m%=03/03|%xx%=%xx%|%%4y%=%2026";

// 00:30:05 the same day: hour 0 is 0 on the 12-hour clock, 24 on the 1-to-24 scale.
const char *const after_midnight =
    "%hh%=0|%HH%=0|%ii%=24|%II%=24|%ap%=am|%aP%=午前|%A.%=A.M.|%pa%=pm|%pA%=午後|%p.%=p.m.";

// 12:30:00: afternoon for "%ap%", morning for "%pa%".
const char *const noon =
    "%hh%=0|%HH%=12|%ii%=12|%iI%=12|%ap%=pm|%aP%=午後|%a.%=p.m.|%pa%=am|%Pa%=AM|%pA%=午前|%P.%=A.M.";

// 1999-12-31 23:59:58, a Friday: the era base 2018 is unusable, 1988 stands in.
const char *const other_year =
    "%4y%=1999|%2y%=99|%yy%=11|%mm%=12|%-m%=12|%0d%=31|%lm%=december|%hh%=11|%HH%=23|%ii%=11|%ss%=58";

TEST_F(ExpandTest, DateMacrosAtFourTimesAndTheEraBase)
{
    // Name, moment, era_base_year, "text=expected|...".
    const std::tuple<const char *, os_time, int32_t, const char *> times[] = {
        {"14:07:09", fake.now, 2018, afternoon},
        {"00:30", {2026, 3, 5, 4, 0, 30, 5, 0}, 2018, after_midnight},
        {"12:30", {2026, 3, 5, 4, 12, 30, 0, 0}, 2018, noon},
        {"1999", {1999, 12, 31, 5, 23, 59, 58, 0}, 2018, other_year},
        {"a short year keeps its whole number", {7, 1, 1, 1, 9, 0, 0, 0}, 2018, "%2y%=7"},
        {"era base last year", fake.now, 2025, "%yy%=1"},
        {"era base this year", fake.now, 2026, "%yy%=38"},
        {"era base 0", fake.now, 0, "%yy%=38"},
    };
    for (const auto &[name, now, era_base_year, pairs] : times) {
        fake.now = now;
        settings.era_base_year = era_base_year;
        std::istringstream rows(pairs);
        for (std::string row; std::getline(rows, row, '|');)
            EXPECT_EQ(expand(row.substr(0, row.find('='))), row.substr(row.find('=') + 1))
                << name << ": " << row;
    }
}

TEST_F(ExpandTest, FolderMacrosNameTheirFolders)
{
    // The folder numbers are the system's own: two macros stand for the table.
    fake.folders[0x24] = "C:\\Windows";
    fake.folders[0x07] = "C:\\Start";
    fake.folders[0x21] = "%Cookies%";
    EXPECT_EQ(expand("%WINDOWS%;%windows%|%StartUp%"), "C:\\Windows;C:\\Windows|C:\\Start")
        << "found without case";
    EXPECT_EQ(expand("%Fonts%%Fonts%%Cookies%%Cookies%"), "%Fonts%%Fonts%%Cookies%%Cookies%")
        << "a missing folder leaves its macro; a folder path is not searched for its own macro";
}

TEST_F(ExpandTest, ReplaceRowsRunBeforeAndAfterTheOtherMacros)
{
    // Name, the rows, text, expected.
    const std::tuple<const char *, std::vector<std::pair<const char *, const char *>>, const char *,
                     const char *>
        cases[] = {
            {"second pass sees the date", {{"2026", "this year"}}, "%4y%", "this year"},
            {"self-containing row: once per occurrence per pass", {{"ab", "xaby"}}, "ab-ab", "xxabyy-xxabyy"},
            {"found without case", {{"Hello", "bye"}}, "HELLO hello", "bye bye"},
            {"rows in table order", {{"a", "b"}, {"b", "c"}}, "a", "c"},
            {"empty pattern replaces nothing", {{"", "x"}}, "abc", "abc"},
            {"both bytes of a double-byte pattern", {{"アア", "a"}}, "アイアア", "アイa"},
            // "ア" ends in 'A'; 0x83 0x83 is one character, so the 'A' after it stands alone.
            {"never a trail byte", {{"a", "x"}}, "\x83\x41\x83\x83\x41", "\x83\x41\x83\x83x"},
        };
    for (const auto &[name, rows, text, expected] : cases) {
        reset_item_store();
        for (const auto &[from, to] : rows)
            add_row(from, to);
        EXPECT_EQ(expand(text), expected) << name;
    }
}

TEST_F(ExpandTest, ClipboardMacrosTakeTheClipboardText)
{
    const std::string x1024(1024, 'x'), x1025(1025, 'x');
    // Name, clipboard ("-": no text), recorder running, text, expected, clipboard_macro_done, preview.
    const std::tuple<const char *, std::string, int, const char *, std::string, int, int> rows[] = {
        {"no clipboard text removes both", "-", 0, "a%CLP%b%CLM%c", "abc", 1, 0},
        {"clipboard holding the macro is not expanded again", "%CLP%", 0, "%CLP%-%CLP%", "%CLP%-%CLP%", 1, 0},
        {"CLM is the clipboard without recorder", "x", 0, "a%CLM%b", "axb", 0, 0},
        {"CLM waits for the recorder", "x", 1, "a%CLM%b", "a%CLM%b", 0, 0},
        {"CLP makes CLM the clipboard too", "x", 1, "%CLM%%CLP%%clm%", "xxx", 1, 0},
        {"the preview takes 1024 bytes", x1024, 0, "%CLP%", x1024, 1, 1},
        {"the preview leaves both macros for more", x1025, 0, "%CLP%%CLM%", "%CLP%%CLM%", 0, 1},
        {"pasting takes more", x1025, 0, "%CLP%", x1025, 1, 0},
    };
    for (const auto &[name, clipboard, history_running, text, expected, done, preview] : rows) {
        reset_output_state();
        fake.clipboard_has_text = clipboard != "-";
        fake.clipboard = fake.clipboard_has_text ? clipboard : "";
        settings.history_running = history_running;
        EXPECT_EQ(clipboard_pass(text, preview), expected) << name;
        EXPECT_EQ(output.clipboard_macro_done, done) << name;
    }
}

TEST_F(ExpandTest, EveryPassIsCutAtTheBuffer)
{
    char small[9] = "%lm%%lm%";
    expand_date_folder_macros(small, sizeof small);
    EXPECT_STREQ(small, "marchmar") << "a smaller buffer cuts to its own capacity";

    // Two-byte replacements from the start of the text: 1,039,999 bytes would split the last one.
    add_row("a", repeated("\x83\x41", 129).c_str());
    std::string result = expand(std::string(10000, 'a'));
    EXPECT_EQ(result.size(), output_text_capacity - 2);
    EXPECT_EQ(result.substr(result.size() - 2), "\x83\x41");

    // A clipboard text twice the buffer: 1,039,999 bytes of "ア" would end in half of one.
    fake.clipboard_has_text = true;
    fake.clipboard = repeated("\x83\x41", output_text_capacity);
    result = clipboard_pass("%CLP%%CLP%");
    EXPECT_EQ(result.size(), output_text_capacity - 2);
    EXPECT_EQ(result.substr(result.size() - 2), "\x83\x41");

    // Many macros stay linear and bounded, and nothing after the cut comes back.
    fake.clipboard = std::string(200, 'c');
    result = clipboard_pass("a" + repeated("%CLP%", 20000) + "b");
    EXPECT_EQ(result.size(), output_text_capacity - 1);
    EXPECT_EQ(result.find('b'), std::string::npos);
    EXPECT_EQ(output.clipboard_macro_done, 1);
}

} // namespace
