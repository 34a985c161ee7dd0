// The macro passes: date and time macros with their letter-case forms, folder macros, the replace
// rows before and after them, the clipboard macros, and the cut that keeps every pass in its buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/target.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "expand/expand.h"
#include "expand/substitute.h"
#include "os/fake/os_fake.h"
#include "output/output_state.h"
#include "text/sjis.h"

namespace {

const os_window owner = 7;

class MacrosTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_settings();
        reset_item_store();
        reset_output_state();
        reset_target_state();
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
        expand_clipboard_macros(owner, preview);
        return output.output_text;
    }

    void set_clipboard(const std::string &text)
    {
        fake.clipboard = text;
        fake.clipboard_has_text = true;
    }

    void add_row(const char *from, const char *to)
    {
        copy_text(store.replace_from[store.replace_count], 260, from);
        copy_text(store.replace_to[store.replace_count], 260, to);
        ++store.replace_count;
    }
};

struct date_row {
    const char *name;
    const char *text;
    const char *expected;
};

// ---- date and time -----------------------------------------------------------------------------

// 2026-03-05 14:07:09, a Thursday, with era_base_year 2018.
const date_row afternoon_rows[] = {
    {"4y year", "%4y%", "2026"},
    {"yy era year", "%yy%", "8"},
    {"2y last two digits", "%2y%", "26"},
    {"mm month", "%mm%", "3"},
    {"0m month zero padded", "%0m%", "03"},
    {"-m month blank padded", "%-m%", " 3"},
    {"lm small long month", "%lm%", "march"},
    {"Lm capital long month", "%Lm%", "March"},
    {"LM capital long month", "%LM%", "March"},
    {"lM only the second letter counts", "%lM%", "march"},
    {"sm small short month", "%sm%", "mar"},
    {"SM capital short month", "%SM%", "Mar"},
    {"sM only the second letter counts", "%sM%", "mar"},
    {"dd day", "%dd%", "5"},
    {"0d day zero padded", "%0d%", "05"},
    {"-d day blank padded", "%-d%", " 5"},
    {"hh small third letter: 12-hour", "%hh%", "2"},
    {"HH 24-hour", "%HH%", "14"},
    {"hH 24-hour", "%hH%", "14"},
    {"Hh 12-hour", "%Hh%", "2"},
    {"0h zero padded 12-hour", "%0h%", "02"},
    {"0H zero padded 24-hour", "%0H%", "14"},
    {"-h blank padded 12-hour", "%-h%", " 2"},
    {"-H blank padded 24-hour", "%-H%", "14"},
    {"ff minute", "%ff%", "7"},
    {"0f minute zero padded", "%0f%", "07"},
    {"-f minute blank padded", "%-f%", " 7"},
    {"ss second", "%ss%", "9"},
    {"0s second zero padded", "%0s%", "09"},
    {"-s second blank padded", "%-s%", " 9"},
    {"ww weekday kanji", "%ww%", "木"},
    {"lw small long weekday", "%lw%", "thursday"},
    {"Lw capital long weekday", "%Lw%", "Thursday"},
    {"sw small short weekday", "%sw%", "thu"},
    {"Sw capital short weekday", "%Sw%", "Thu"},
    {"rn line break", "a%rn%b", "a\r\nb"},
    {"RN line break", "%RN%", "\r\n"},
    {"ii small third letter: 13 to 23 fold", "%ii%", "2"},
    {"iI 1-to-24 hour", "%iI%", "14"},
    {"II 1-to-24 hour", "%II%", "14"},
    {"0i zero padded", "%0i%", "02"},
    {"0I zero padded 1-to-24", "%0I%", "14"},
    {"-i blank padded", "%-i%", " 2"},
    {"ap small", "%ap%", "pm"},
    {"Ap capital", "%Ap%", "PM"},
    {"aP Japanese", "%aP%", "午後"},
    {"AP third letter wins", "%AP%", "午後"},
    {"a. small dotted", "%a.%", "p.m."},
    {"A. capital dotted", "%A.%", "P.M."},
    {"pa small", "%pa%", "pm"},
    {"Pa capital", "%Pa%", "PM"},
    {"pA Japanese", "%pA%", "午後"},
    {"p. small dotted", "%p.%", "p.m."},
    {"P. capital dotted", "%P.%", "P.M."},
    {"tb tab", "a%tb%b", "a\tb"},
    {"TB tab", "%TB%", "\t"},
    {"every occurrence", "%0m%/%0m%", "03/03"},
    {"several kinds at once", "%4y%-%0m%-%0d% %0H%:%0f%:%0s%", "2026-03-05 14:07:09"},
    {"unknown macro stays", "%xx%", "%xx%"},
    {"inserted digits are not macros", "%%4y%", "%2026"},
};

// 00:30:05 the same day: hour 0 is 0 on the 12-hour clock, 24 on the 1-to-24 scale.
const date_row after_midnight_rows[] = {
    {"hh", "%hh%", "0"},          {"HH", "%HH%", "0"},
    {"-h", "%-h%", " 0"},         {"ii", "%ii%", "24"},
    {"II", "%II%", "24"},         {"0i", "%0i%", "24"},
    {"ap morning", "%ap%", "am"}, {"aP", "%aP%", "午前"},
    {"A.", "%A.%", "A.M."},       {"pa afternoon", "%pa%", "pm"},
    {"pA", "%pA%", "午後"},       {"p.", "%p.%", "p.m."},
    {"ff", "%0f%", "30"},         {"ss", "%ss%", "5"},
};

// 12:30:00: afternoon for "%ap%", morning for "%pa%".
const date_row noon_rows[] = {
    {"hh", "%hh%", "0"},  {"HH", "%HH%", "12"},   {"ii", "%ii%", "12"},   {"iI", "%iI%", "12"},
    {"ap", "%ap%", "pm"}, {"aP", "%aP%", "午後"}, {"a.", "%a.%", "p.m."}, {"pa", "%pa%", "am"},
    {"Pa", "%Pa%", "AM"}, {"pA", "%pA%", "午前"}, {"P.", "%P.%", "A.M."}, {"0s", "%0s%", "00"},
};

// 1999-12-31 23:59:58, a Friday, with the default era base 1988.
const date_row other_year_rows[] = {
    {"4y", "%4y%", "1999"}, {"2y", "%2y%", "99"},       {"yy", "%yy%", "11"},  {"mm", "%mm%", "12"},
    {"-m", "%-m%", "12"},   {"lm", "%lm%", "december"}, {"SM", "%SM%", "Dec"}, {"dd", "%0d%", "31"},
    {"ww", "%ww%", "金"},   {"lw", "%lw%", "friday"},   {"Sw", "%Sw%", "Fri"}, {"hh", "%hh%", "11"},
    {"HH", "%HH%", "23"},   {"ii", "%ii%", "11"},       {"iI", "%iI%", "23"},  {"ap", "%ap%", "pm"},
    {"pa", "%pa%", "pm"},   {"ss", "%ss%", "58"},
};

void check_rows(const date_row *rows, size_t count, const char *when)
{
    for (size_t i = 0; i < count; ++i) {
        copy_text(output.output_text, output_text_capacity, rows[i].text);
        expand_date_folder_macros(output.output_text);
        EXPECT_EQ(std::string(output.output_text), rows[i].expected) << when << ": " << rows[i].name;
    }
}

TEST_F(MacrosTest, DateMacrosOnAThursdayAfternoon)
{
    settings.era_base_year = 2018;
    check_rows(afternoon_rows, sizeof afternoon_rows / sizeof afternoon_rows[0], "14:07:09");
}

TEST_F(MacrosTest, DateMacrosAfterMidnight)
{
    fake.now = os_time{2026, 3, 5, 4, 0, 30, 5, 0};
    check_rows(after_midnight_rows, sizeof after_midnight_rows / sizeof after_midnight_rows[0], "00:30");
}

TEST_F(MacrosTest, DateMacrosAtHalfPastNoon)
{
    fake.now = os_time{2026, 3, 5, 4, 12, 30, 0, 0};
    check_rows(noon_rows, sizeof noon_rows / sizeof noon_rows[0], "12:30");
}

TEST_F(MacrosTest, DateMacrosInAnotherYear)
{
    fake.now = os_time{1999, 12, 31, 5, 23, 59, 58, 0};
    check_rows(other_year_rows, sizeof other_year_rows / sizeof other_year_rows[0], "1999");
}

TEST_F(MacrosTest, ShortYearKeepsItsWholeNumber)
{
    fake.now = os_time{7, 1, 1, 1, 9, 0, 0, 0};
    EXPECT_EQ(expand("%2y%"), "7");
}

TEST_F(MacrosTest, UnusableEraBaseYearFallsBackTo1988)
{
    struct row {
        const char *name;
        int era, expected_year, kept_era;
    } rows[] = {
        {"earlier year is used", 2018, 8, 2018},
        {"last year is used", 2025, 1, 2025},
        {"the current year is unusable", 2026, 38, 1988},
        {"a later year is unusable", 2030, 38, 1988},
        {"zero is unusable", 0, 38, 1988},
        {"negative is unusable", -5, 38, 1988},
    };
    for (const auto &r : rows) {
        settings.era_base_year = r.era;
        EXPECT_EQ(expand("%yy%"), std::to_string(r.expected_year)) << r.name;
        EXPECT_EQ(settings.era_base_year, r.kept_era) << r.name;
    }
}

TEST_F(MacrosTest, TabMarkSetsTheTabFlag)
{
    EXPECT_EQ(expand("a%$TB%b"), "a%$TB%b");
    EXPECT_EQ(output.tab_macro_present, 1);
    reset_output_state();
    expand("a%tb%b");
    EXPECT_EQ(output.tab_macro_present, 0);
}

// ---- folders -----------------------------------------------------------------------------------

TEST_F(MacrosTest, EveryFolderMacroNamesItsFolder)
{
    struct row {
        const char *macro;
        int csidl;
    } rows[] = {
        {"%Windows%", 0x24},
        {"%Program Files%", 0x26},
        {"%System%", 0x25},
        {"%My Pictures%", 0x27},
        {"%My Music%", 0x0D},
        {"%My Video%", 0x0E},
        {"%My Documents%", 0x05},
        {"%Favorites%", 0x06},
        {"%Start Menu%", 0x0B},
        {"%Programs%", 0x02},
        {"%StartUp%", 0x07},
        {"%SendTo%", 0x09},
        {"%Internet Cache%", 0x20},
        {"%Fonts%", 0x14},
        {"%Cookies%", 0x21},
        {"%History%", 0x22},
        {"%Desktop%", 0x00},
        {"%Recent%", 0x08},
        {"%Common Start Menu%", 0x16},
        {"%Common Programs%", 0x17},
        {"%Common StartUp%", 0x18},
        {"%Common Desktop%", 0x19},
        {"%Common Favorites%", 0x1F},
        {"%Common My Documents%", 0x2E},
        {"%Common My Pictures%", 0x36},
        {"%Common My Music%", 0x35},
        {"%Common My Video%", 0x37},
    };
    for (const auto &r : rows)
        fake.folders[r.csidl] = "C:\\F" + std::to_string(r.csidl);
    for (const auto &r : rows) {
        EXPECT_EQ(expand(std::string("<") + r.macro + ">"), "<C:\\F" + std::to_string(r.csidl) + ">")
            << r.macro;
    }
}

TEST_F(MacrosTest, FolderMacrosIgnoreCaseAndMissingFoldersStay)
{
    fake.folders[0x24] = "C:\\windows";
    EXPECT_EQ(expand("%WINDOWS%;%windows%;%Fonts%;%Fonts%"), "C:\\windows;C:\\windows;%Fonts%;%Fonts%");
}

TEST_F(MacrosTest, CommonStartUpIsNotTakenForStartUp)
{
    fake.folders[0x07] = "U";
    fake.folders[0x18] = "C";
    EXPECT_EQ(expand("%Common StartUp%|%StartUp%"), "C|U");
}

TEST_F(MacrosTest, FolderPathIsNotSearchedForItsOwnMacro)
{
    fake.folders[0x24] = "%Windows%";
    EXPECT_EQ(expand("%Windows%%Windows%"), "%Windows%%Windows%");
}

// ---- replace rows ------------------------------------------------------------------------------

TEST_F(MacrosTest, ReplaceRowsRunBeforeAndAfterTheOtherMacros)
{
    struct row {
        const char *name;
        std::vector<std::pair<const char *, const char *>> rows;
        const char *text;
        const char *expected;
    } cases[] = {
        {"user macro becomes a date", {{"%today%", "%4y%/%0m%/%0d%"}}, "%today%", "2026/03/05"},
        {"second pass sees the date", {{"2026", "this year"}}, "%4y%", "this year"},
        {"self-containing replacement: once per occurrence in each of the two passes",
         {{"ab", "xaby"}},
         "ab-ab",
         "xxabyy-xxabyy"},
        {"found without case", {{"Hello", "bye"}}, "HELLO hello", "bye bye"},
        {"rows in table order", {{"a", "b"}, {"b", "c"}}, "a", "c"},
        {"empty pattern replaces nothing", {{"", "x"}}, "abc", "abc"},
        {"replacement may be empty", {{"-", ""}}, "a-b-c", "abc"},
        {"double-byte pattern", {{"漢字", "kanji"}}, "漢字と漢字", "kanjiとkanji"},
    };
    for (const auto &c : cases) {
        reset_item_store();
        for (const auto &r : c.rows)
            add_row(r.first, r.second);
        EXPECT_EQ(expand(c.text), c.expected) << c.name;
    }
}

TEST_F(MacrosTest, ReplaceRowsThatGrowTheTextAreCutAtTheBuffer)
{
    add_row("a", std::string(259, 'b').c_str());
    EXPECT_EQ(expand(std::string(10000, 'a')), std::string(output_text_capacity - 1, 'b'));

    // Two-byte replacements from the start of the text: 1,039,999 bytes would split the last one.
    reset_item_store();
    std::string kana;
    for (int i = 0; i < 129; ++i)
        kana += "\x83\x41";
    add_row("a", kana.c_str());
    std::string result = expand(std::string(10000, 'a'));
    EXPECT_EQ(result.size(), output_text_capacity - 2);
    EXPECT_EQ(result.substr(result.size() - 2), "\x83\x41");
}

TEST_F(MacrosTest, SmallerBufferCutsTheResultToItsCapacity)
{
    char text[9];
    copy_text(text, sizeof text, "%lm%%lm%");
    expand_date_folder_macros(text, sizeof text);
    EXPECT_STREQ(text, "marchmar");
}

// The passes' own search must find exactly what find_nocase finds: never a trail byte, also inside
// runs of bytes that can both lead and trail, and in malformed text.
TEST_F(MacrosTest, PassSearchAgreesWithFindNocase)
{
    const char alphabet[] = {'%', 'a', 'A', 'b', '\x83', '\x41', '\x5C', '\x81', '%', 'y', '\x83', '\xE0'};
    const char *patterns[] = {"%a%", "a", "A%",       "\x83\x41", "\x41",  "%\x83",        "ab", "\x5C",
                              "y",   "%", "\x83\x83", "\x83",     "\x81%", "\xE0\x83\x41", "Ab%"};
    unsigned seed = 12345;
    for (int round = 0; round < 20000; ++round) {
        char text[48];
        seed = seed * 1103515245u + 12345u;
        int length = static_cast<int>((seed >> 16) % 47);
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            text[i] = alphabet[(seed >> 16) % sizeof alphabet];
        }
        text[length] = '\0';
        for (const char *pattern : patterns) {
            for (int from = 0; from <= length; from += 7) {
                const char *start = text + from;
                ASSERT_EQ(find_pattern(start, pattern), find_nocase(start, pattern))
                    << "round " << round << " from " << from << " pattern " << pattern;
            }
        }
    }
}

// ---- clipboard macros --------------------------------------------------------------------------

TEST_F(MacrosTest, ClipboardMacrosTakeTheClipboardText)
{
    struct row {
        const char *name;
        bool has_text;
        const char *clipboard;
        int history_running;
        const char *text;
        const char *expected;
        int done;
    } rows[] = {
        {"CLP replaced", true, "x", 0, "a%CLP%b", "axb", 1},
        {"empty clipboard removes it", true, "", 0, "a%CLP%b", "ab", 1},
        {"no clipboard text removes it", false, "", 0, "a%CLP%b", "ab", 1},
        {"lower case replaced", true, "x", 0, "%clp%", "x", 1},
        {"ending with the macro ends with the text", true, "xyz", 0, "ab%CLP%", "abxyz", 1},
        {"every occurrence", true, "x", 0, "%CLP%%CLP%", "xx", 1},
        {"clipboard holding the macro is not expanded again", true, "%CLP%", 0, "%CLP%-%CLP%", "%CLP%-%CLP%",
         1},
        {"CLM is the clipboard without recorder", true, "x", 0, "a%CLM%b", "axb", 0},
        {"CLM waits for the recorder", true, "x", 1, "a%CLM%b", "a%CLM%b", 0},
        {"CLP makes CLM the clipboard too", true, "x", 1, "%CLM%%CLP%%clm%", "xxx", 1},
    };
    for (const auto &r : rows) {
        reset_output_state();
        fake.clipboard = r.clipboard;
        fake.clipboard_has_text = r.has_text;
        settings.history_running = r.history_running;
        EXPECT_EQ(clipboard_pass(r.text), r.expected) << r.name;
        EXPECT_EQ(output.clipboard_macro_done, r.done) << r.name;
    }
}

TEST_F(MacrosTest, FailingClipboardRemovesTheMacros)
{
    set_clipboard("x");
    fake.clipboard_fails = true;
    EXPECT_EQ(clipboard_pass("a%CLP%b%CLM%c"), "abc");
}

TEST_F(MacrosTest, PreviewLeavesMacrosForClipboardTextsOver1024Bytes)
{
    set_clipboard(std::string(1025, 'x'));
    EXPECT_EQ(clipboard_pass("%CLP%%CLM%", 1), "%CLP%%CLM%");
    set_clipboard(std::string(1024, 'x'));
    EXPECT_EQ(clipboard_pass("%CLP%", 1), std::string(1024, 'x'));
    set_clipboard(std::string(1025, 'x'));
    EXPECT_EQ(clipboard_pass("%CLP%", 0), std::string(1025, 'x'));
}

TEST_F(MacrosTest, HugeClipboardIsCutAtTheBuffer)
{
    set_clipboard(std::string(2 * output_text_capacity, 'c'));
    std::string result = clipboard_pass("a%CLP%b%CLP%");
    EXPECT_EQ(result.size(), output_text_capacity - 1);
    EXPECT_EQ(result[0], 'a');
    EXPECT_EQ(result.find('b'), std::string::npos);
    EXPECT_EQ(output.clipboard_macro_done, 1);

    std::string kana;
    for (int i = 0; i < 300000; ++i)
        kana += "\x83\x41";
    set_clipboard(kana);
    result = clipboard_pass("%CLP%%CLP%");
    EXPECT_EQ(result.size(), output_text_capacity - 2);
    EXPECT_EQ(result.substr(result.size() - 2), "\x83\x41");
}

TEST_F(MacrosTest, ManyClipboardMacrosStayLinearAndBounded)
{
    set_clipboard(std::string(200, 'c'));
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "%CLP%";
    std::string result = clipboard_pass(text);
    EXPECT_EQ(result.size(), output_text_capacity - 1);
}

} // namespace
