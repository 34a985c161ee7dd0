// The macro passes: date and time macros with their letter-case forms, folder macros, the replace
// rows before and after them, the clipboard macros, and the cut that keeps every pass in its buffer.
#include "datafile_support.h"

#include "expand/expand.h"
#include "expand/substitute.h"

namespace {

class MacrosTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_settings();
        reset_item_store();
        reset_output_state();
        reset_fake_system();
    }

    std::string expand(const std::string &text)
    {
        copy_text(output.output_text, output_text_capacity, text.c_str());
        expand_date_folder_macros(output.output_text);
        return output.output_text;
    }

    std::string clipboard_pass(const std::string &text, int preview = 0)
    {
        copy_text(output.output_text, output_text_capacity, text.c_str());
        expand_clipboard_macros(7, preview);
        return output.output_text;
    }

    void add_row(const char *from, const char *to)
    {
        copy_text(store.replace_from[store.replace_count], 260, from);
        copy_text(store.replace_to[store.replace_count], 260, to);
        ++store.replace_count;
    }
};

// ---- date and time -----------------------------------------------------------------------------

// 2026-03-05 14:07:09, a Thursday, with era_base_year 2018. The first letter's case picks a
// capital name; for hours the second letter's case picks the 24-hour (or 1-to-24) clock, and in
// "%AP%" the third letter's case the Japanese form. Unknown macros and inserted digits stay.
const char *const afternoon =
    "%4y%=2026|%yy%=8|%2y%=26|%mm%=3|%0m%=03|%-m%= 3|%lm%=march|%Lm%=March|%LM%=March|%lM%=march|"
    "%sm%=mar|%SM%=Mar|%sM%=mar|%dd%=5|%0d%=05|%-d%= 5|%hh%=2|%HH%=14|%hH%=14|%Hh%=2|%0h%=02|"
    "%0H%=14|%-h%= 2|%-H%=14|%ff%=7|%0f%=07|%-f%= 7|%ss%=9|%0s%=09|%-s%= 9|%ww%=木|%lw%=thursday|"
    "%Lw%=Thursday|%sw%=thu|%Sw%=Thu|a%rn%b=a\r\nb|%RN%=\r\n|a%tb%b=a\tb|%TB%=\t|%ii%=2|%iI%=14|"
    "%II%=14|%0i%=02|%0I%=14|%-i%= 2|%ap%=pm|%Ap%=PM|%aP%=午後|%AP%=午後|%a.%=p.m.|%A.%=P.M.|%pa%=pm|"
    "%Pa%=PM|%pA%=午後|%p.%=p.m.|%P.%=P.M.|%0m%/%0m%=03/03|%xx%=%xx%|%%4y%=%2026";

// 00:30:05 the same day: hour 0 is 0 on the 12-hour clock, 24 on the 1-to-24 scale.
const char *const after_midnight =
    "%hh%=0|%HH%=0|%ii%=24|%II%=24|%ap%=am|%aP%=午前|%A.%=A.M.|%pa%=pm|%pA%=午後|%p.%=p.m.";

// 12:30:00: afternoon for "%ap%", morning for "%pa%".
const char *const noon =
    "%hh%=0|%HH%=12|%ii%=12|%iI%=12|%ap%=pm|%aP%=午後|%a.%=p.m.|%pa%=am|%Pa%=AM|%pA%=午前|%P.%=A.M.";

// 1999-12-31 23:59:58, a Friday: the era base 2018 is unusable, 1988 stands in.
const char *const other_year =
    "%4y%=1999|%2y%=99|%yy%=11|%mm%=12|%-m%=12|%0d%=31|%SM%=Dec|%lm%=december|%ww%=金|%lw%=friday|"
    "%Sw%=Fri|%hh%=11|%HH%=23|%ii%=11|%ss%=58";

TEST_F(MacrosTest, DateMacrosAtFourTimes)
{
    // Name, moment, "text=expected|...".
    const std::tuple<const char *, os_time, const char *> times[] = {
        {"14:07:09", fake.now, afternoon},
        {"00:30", {2026, 3, 5, 4, 0, 30, 5, 0}, after_midnight},
        {"12:30", {2026, 3, 5, 4, 12, 30, 0, 0}, noon},
        {"1999", {1999, 12, 31, 5, 23, 59, 58, 0}, other_year},
    };
    settings.era_base_year = 2018;
    for (const auto &[name, now, pairs] : times) {
        fake.now = now;
        std::istringstream rows(pairs);
        for (std::string row; std::getline(rows, row, '|');)
            EXPECT_EQ(expand(row.substr(0, row.find('='))), row.substr(row.find('=') + 1))
                << name << ": " << row;
    }
    fake.now = os_time{7, 1, 1, 1, 9, 0, 0, 0};
    EXPECT_EQ(expand("%2y%"), "7") << "a short year keeps its whole number";
}

TEST_F(MacrosTest, UnusableEraBaseYearFallsBackTo1988)
{
    settings.era_base_year = 2025;
    EXPECT_EQ(expand("%yy%"), "1") << "last year is used";
    for (int unusable : {2026, 0}) {
        settings.era_base_year = unusable;
        EXPECT_EQ(expand("%yy%"), "38") << unusable;
    }
}

// ---- folders -----------------------------------------------------------------------------------

TEST_F(MacrosTest, FolderMacrosNameTheirFolders)
{
    // The folder numbers are the system's own: a few macros stand for the table.
    const std::pair<const char *, int> rows[] = {{"%Windows%", 0x24},        {"%StartUp%", 0x07},
                                                 {"%Common StartUp%", 0x18}, {"%Fonts%", 0x14},
                                                 {"%Cookies%", 0x21},        {"%Common My Video%", 0x37}};
    for (const auto &[macro, csidl] : rows)
        fake.folders[csidl] = "C:\\F" + std::to_string(csidl);
    for (const auto &[macro, csidl] : rows)
        EXPECT_EQ(expand(std::string("<") + macro + ">"), "<C:\\F" + std::to_string(csidl) + ">") << macro;
    EXPECT_EQ(expand("%WINDOWS%;%windows%|%StartUp%"), "C:\\F36;C:\\F36|C:\\F7") << "found without case";
    fake.folders.erase(0x14);
    fake.folders[0x21] = "%Cookies%";
    EXPECT_EQ(expand("%Fonts%%Fonts%%Cookies%%Cookies%"), "%Fonts%%Fonts%%Cookies%%Cookies%")
        << "a missing folder leaves its macro; a folder path is not searched for its own macro";
}

// ---- replace rows ------------------------------------------------------------------------------

TEST_F(MacrosTest, ReplaceRowsRunBeforeAndAfterTheOtherMacros)
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
            {"double-byte pattern", {{"漢字", "kanji"}}, "漢字と漢字", "kanjiとkanji"},
        };
    for (const auto &[name, rows, text, expected] : cases) {
        reset_item_store();
        for (const auto &[from, to] : rows)
            add_row(from, to);
        EXPECT_EQ(expand(text), expected) << name;
    }
}

// The passes' own search must find exactly what find_nocase finds: never a trail byte, also inside
// runs of bytes that can both lead and trail, and in malformed text.
TEST_F(MacrosTest, PassSearchAgreesWithFindNocase)
{
    const char alphabet[] = {'%', 'a', 'A', 'b', '\x83', '\x41', '\x5C', '\x81', 'y', '\xE0'};
    const char *patterns[] = {"%a%",  "A%",       "\x83\x41", "\x41",        "%\x83",
                              "\x5C", "\x83\x83", "\x81%",    "\xE0\x83\x41"};
    unsigned seed = 12345;
    auto next = [&seed](unsigned range) { return ((seed = seed * 1103515245u + 12345u) >> 16) % range; };
    for (int round = 0; round < 3000; ++round) {
        char text[48];
        int length = static_cast<int>(next(47));
        for (int i = 0; i < length; ++i)
            text[i] = alphabet[next(sizeof alphabet)];
        text[length] = '\0';
        for (const char *pattern : patterns)
            for (int from = 0; from <= length; from += 7)
                ASSERT_EQ(find_pattern(text + from, pattern), find_nocase(text + from, pattern))
                    << "round " << round << " from " << from << " pattern " << pattern;
    }
}

// ---- clipboard macros --------------------------------------------------------------------------

TEST_F(MacrosTest, ClipboardMacrosTakeTheClipboardText)
{
    const std::string x1024(1024, 'x'), x1025(1025, 'x');
    // Name, clipboard ("-": no text), recorder running, text, expected, clipboard_macro_done, preview.
    const std::tuple<const char *, std::string, int, const char *, std::string, int, int> rows[] = {
        {"no clipboard text removes both", "-", 0, "a%CLP%b%CLM%c", "abc", 1, 0},
        {"lower case replaced", "x", 0, "%clp%", "x", 1, 0},
        {"ending with the macro ends with the text", "xyz", 0, "ab%CLP%", "abxyz", 1, 0},
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

TEST_F(MacrosTest, EveryPassIsCutAtTheBuffer)
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
