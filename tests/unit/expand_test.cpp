// The expansion engine: item switches, ranges and markers, the file and clipboard sources, the
// preview form, the text preparation and the preview rendering of key macros.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "core/target.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "expand/expand.h"
#include "os/fake/os_fake.h"
#include "output/output_state.h"
#include "text/sjis.h"

namespace {

const os_window owner = 7;
const char five_lines[] = "l1\nl2\nl3\nl4\nl5\n";

class ExpandTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_settings();
        reset_item_store();
        reset_output_state();
        reset_target_state();
        reset_fake_system();
        char pattern[] = "/tmp/mivra_expand_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        std::string command = "rm -rf '" + dir + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }

    std::string write_file(const std::string &name, const std::string &content)
    {
        std::string path = dir + "/" + name;
        FILE *f = fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        fwrite(content.data(), 1, content.size(), f);
        fclose(f);
        return path;
    }

    // Item 3 becomes a file entry over `path` with the given switch text.
    int file_item(const std::string &path, const char *switch_text)
    {
        item_entry &e = store.items[3];
        e.is_file = 1;
        copy_text(e.text, sizeof e.text, path.c_str());
        copy_text(e.file_param, sizeof e.file_param, switch_text);
        copy_text(e.list_caption, sizeof e.list_caption, "Notes");
        store.item_count = 4;
        return 3;
    }

    std::string out() const { return output.output_text; }

    std::string dir;
};

// ---- the switch grammar ------------------------------------------------------------------------

TEST_F(ExpandTest, SwitchGrammarFillsTheSwitchState)
{
    struct row {
        const char *name;
        const char *text;
        int mode, strip, drop, first, last;
        const char *start, *end;
    } rows[] = {
        {"single line", "#L:3", 2, 0, 0, 3, 0, "", ""},
        {"stripped single line", "#-L:3", 2, 1, 0, 3, 0, "", ""},
        {"range", "#L:2-4", 2, 0, 0, 2, 4, "", ""},
        {"backwards range runs to the end", "#L:4-2", 2, 0, 0, 4, -1, "", ""},
        {"equal ends run to the end", "#L:3-3", 2, 0, 0, 3, -1, "", ""},
        {"open range", "#L:2-", 2, 0, 0, 2, -1, "", ""},
        {"count", "#L:2+2", 3, 0, 0, 2, 2, "", ""},
        {"zero count runs to the end", "#L:2+0", 2, 0, 0, 2, -1, "", ""},
        {"open count", "#L:2+", 2, 0, 0, 2, -1, "", ""},
        {"zero line is no range", "#L:0", 0, 0, 0, 0, 0, "", ""},
        {"not a number is no range", "#L:x", 0, 0, 0, 0, 0, "", ""},
        {"leading digits count", "#L:2abc", 2, 0, 0, 2, 0, "", ""},
        {"zero before a dash counts as one", "#L:0-2", 2, 0, 0, 1, 2, "", ""},
        {"empty before a plus counts as one", "#L:+3", 3, 0, 0, 1, 3, "", ""},
        {"value ends at a blank", "#L:2 -4", 2, 0, 0, 2, 0, "", ""},
        {"switch name ignores case", "#l:2", 2, 0, 0, 2, 0, "", ""},
        {"#L: wins over #-L:", "#-L:5 #L:2", 2, 0, 0, 2, 0, "", ""},
        {"line range wins over markers", "#T:a-b #L:2", 2, 0, 0, 2, 0, "", ""},
        {"markers", "#T:<<->>", 1, 0, 0, 0, 0, "<<", ">>"},
        {"start marker only", "#T:<<", 1, 0, 0, 0, 0, "<<", ""},
        {"end marker only", "#T:->>", 1, 0, 0, 0, 0, "", ">>"},
        {"markers end at a blank", "#T:a-b c", 1, 0, 0, 0, 0, "a", "b"},
        {"drop markers", "#T:a-b #d", 1, 0, 1, 0, 0, "a", "b"},
        {"anywhere in a longer token", "x#L:7y", 2, 0, 0, 7, 0, "", ""},
        {"huge number saturates", "#L:99999999999", 2, 0, 0, 2147483647, 0, "", ""},
    };
    for (const auto &r : rows) {
        parse_item_switches(r.text);
        EXPECT_EQ(switches.line_range_mode, r.mode) << r.name;
        EXPECT_EQ(switches.strip_final_breaks, r.strip) << r.name;
        EXPECT_EQ(switches.drop_markers, r.drop) << r.name;
        EXPECT_EQ(switches.first_line, r.first) << r.name;
        EXPECT_EQ(switches.last_line, r.last) << r.name;
        EXPECT_STREQ(switches.start_marker, r.start) << r.name;
        EXPECT_STREQ(switches.end_marker, r.end) << r.name;
    }
}

TEST_F(ExpandTest, ReplaceSwitchesSetReplacementForTheActivation)
{
    struct row {
        const char *name;
        int path_argument, before;
        const char *text;
        int after;
    } rows[] = {
        {"#R turns it on", 0, 0, "#R", 1},
        {"#-R turns it off", 0, 1, "#-R", 0},
        {"#R wins over #-R", 0, 0, "#-R #R", 1},
        {"lower case works", 0, 0, "#r", 1},
        {"neither leaves it", 0, 1, "#L:2", 1},
        {"slash form needed with a path argument", 1, 0, "#R", 0},
        {"slash form with a path argument", 1, 0, "/#R", 1},
        {"slash form off with a path argument", 1, 1, "/#-R", 0},
    };
    for (const auto &r : rows) {
        settings.path_argument_found = r.path_argument;
        settings.replace_enabled = r.before;
        parse_item_switches(r.text);
        EXPECT_EQ(settings.replace_enabled, r.after) << r.name;
    }
}

TEST_F(ExpandTest, LongValuesKeepTheir259FirstCharacters)
{
    std::string marker(300, 'm');
    parse_item_switches(("#T:" + marker).c_str());
    EXPECT_EQ(strlen(switches.start_marker), 259u);
    std::string number = "#L:" + std::string(258, '0') + "4";
    parse_item_switches(number.c_str());
    EXPECT_EQ(switches.first_line, 4) << "259 characters are read whole";
    parse_item_switches(("#L:" + std::string(259, '0') + "4").c_str());
    EXPECT_EQ(switches.line_range_mode, 0) << "the 260th character is ignored";
}

// ---- ranges over a file ------------------------------------------------------------------------

TEST_F(ExpandTest, LineRangesCutTheFile)
{
    struct row {
        const char *name;
        const char *content;
        const char *switch_text;
        const char *expected;
    } rows[] = {
        {"line 3 with its break", five_lines, "#L:3", "l3\n"},
        {"line 3 without its break", five_lines, "#-L:3", "l3"},
        {"lines 2 to 4", five_lines, "#L:2-4", "l2\nl3\nl4\n"},
        {"backwards runs from line 4", five_lines, "#L:4-2", "l4\nl5\n"},
        {"count of 2 after line 2", five_lines, "#L:2+2", "l2\nl3\nl4\n"},
        {"zero count runs to the end", five_lines, "#L:4+0", "l4\nl5\n"},
        {"open range", five_lines, "#L:3-", "l3\nl4\nl5\n"},
        {"zero is the whole file", five_lines, "#L:0", five_lines},
        {"no switch is the whole file", five_lines, "", five_lines},
        {"past the end restarts at line 1", five_lines, "#L:9", "l1\n"},
        {"past the end keeps the range length", five_lines, "#L:9-10", "l1\nl2\n"},
        {"skip that ends at the end leaves nothing", five_lines, "#L:6", ""},
        {"range beyond the end runs to the end", five_lines, "#L:4-9", "l4\nl5\n"},
        {"lower case switch", five_lines, "#l:2", "l2\n"},
        {"last line without LF", "a\nb\nc", "#L:3", "c"},
        {"range into a last line without LF", "a\nb\nc", "#L:2-3", "b\nc"},
        {"skip past a last line without LF", "a\nb\nc", "#L:4", "a\n"},
        {"CR LF lines keep CR LF", "a\r\nb\r\nc\r\n", "#L:2", "b\r\n"},
        {"stripping removes CR and LF", "a\r\nb\r\nc\r\n", "#-L:1-2", "a\r\nb"},
        {"stripping a text of breaks only", "\r\n\r\n", "#-L:1-2", ""},
        {"huge count walks to the end", five_lines, "#L:2147483647+2147483647", five_lines},
        {"line range wins over markers", "x\n<a\nb>\n", "#T:<-> #L:2", "<a\n"},
    };
    for (const auto &r : rows) {
        int item = file_item(write_file("lines.txt", r.content), r.switch_text);
        ASSERT_EQ(expand_item_file(owner, item, 0, 0), 1) << r.name;
        EXPECT_EQ(out(), r.expected) << r.name;
    }
}

TEST_F(ExpandTest, MarkerRangesCutTheFile)
{
    const char content[] = "head [s]body[e] tail";
    struct row {
        const char *name;
        const char *switch_text;
        const char *expected;
    } rows[] = {
        {"markers kept", "#T:[s]-[e]", "[s]body[e]"},
        {"markers dropped", "#T:[s]-[e] #D", "body"},
        {"start marker absent starts at the beginning", "#T:[x]-[e]", "head [s]body[e]"},
        {"markers are matched with case", "#T:[S]-[e] #D", "head [s]body"},
        {"start marker only", "#T:[s]", "[s]body[e] tail"},
        {"start marker only, dropped", "#T:[s] #D", "body[e] tail"},
        {"end marker only", "#T:-[e]", "head [s]body[e]"},
        {"end marker absent runs to the end", "#T:[s]-[x]", "[s]body[e] tail"},
        {"switch name ignores case", "#t:[s]-[e] #d", "body"},
        {"end marker searched after the start", "#T:body-[s]", "body[e] tail"},
    };
    for (const auto &r : rows) {
        int item = file_item(write_file("m.txt", content), r.switch_text);
        ASSERT_EQ(expand_item_file(owner, item, 0, 0), 1) << r.name;
        EXPECT_EQ(out(), r.expected) << r.name;
    }
}

TEST_F(ExpandTest, PathArgumentRequiresTheSlashForm)
{
    settings.path_argument_found = 1;
    std::string path = write_file("p.txt", five_lines);
    int item = file_item(path, "#L:2");
    ASSERT_EQ(expand_item_file(owner, item, 0, 0), 1);
    EXPECT_EQ(out(), five_lines) << "#L: without the slash is ignored";
    item = file_item(path, ("/#L:2 " + path).c_str());
    ASSERT_EQ(expand_item_file(owner, item, 0, 0), 1);
    EXPECT_EQ(out(), "l2\n");
    item = file_item(path, "/#-l:2-3");
    ASSERT_EQ(expand_item_file(owner, item, 0, 0), 1);
    EXPECT_EQ(out(), "l2\nl3");
    item = file_item(write_file("m.txt", "a<x>b"), "/#T:<-> /#D");
    ASSERT_EQ(expand_item_file(owner, item, 0, 0), 1);
    EXPECT_EQ(out(), "x");
}

// ---- the file source ---------------------------------------------------------------------------

TEST_F(ExpandTest, UnreadableOrTooLargeFilesAreRefusedWithTheMessage)
{
    struct row {
        const char *name;
        size_t size; // 0: no file at all
    } rows[] = {
        {"missing file", 0},
        {"one byte more than output_text holds with its terminator", output_text_capacity},
        {"far larger file", output_text_capacity * 2},
    };
    for (const auto &r : rows) {
        reset_fake_system();
        copy_text(output.output_text, output_text_capacity, "untouched");
        std::string path = dir + "/big.txt";
        unlink(path.c_str());
        if (r.size > 0)
            write_file("big.txt", std::string(r.size, 'x'));
        int item = file_item(path, "");
        EXPECT_EQ(expand_item_file(owner, item, 0, 0), 0) << r.name;
        EXPECT_EQ(fake_events(), "error データファイルが読めません！") << r.name;
        EXPECT_EQ(out(), "untouched") << r.name;
    }
}

TEST_F(ExpandTest, FileThatJustFitsIsReadWhole)
{
    std::string content(output_text_capacity - 1, 'y');
    int item = file_item(write_file("fits.txt", content), "");
    ASSERT_EQ(expand_item_file(owner, item, 0, 0), 1);
    EXPECT_EQ(strlen(output.output_text), output_text_capacity - 1);
    EXPECT_EQ(fake_events(), "");
}

TEST_F(ExpandTest, MacrosRunOnTheCutRangeOnlyWhenReplacementIsOn)
{
    int item = file_item(write_file("d.txt", "x\n%4y%/%0m%\n"), "#L:2 #R");
    ASSERT_EQ(expand_item_file(owner, item, 0, 0), 1);
    EXPECT_EQ(out(), "2026/03\n");
    EXPECT_EQ(settings.replace_enabled, 1);
    item = file_item(write_file("d.txt", "x\n%4y%/%0m%\n"), "#L:2 #-R");
    ASSERT_EQ(expand_item_file(owner, item, 0, 0), 1);
    EXPECT_EQ(out(), "%4y%/%0m%\n");
}

TEST_F(ExpandTest, ClipboardOnlyOutputPutsTheTextOnTheClipboard)
{
    settings.output_mode = 2;
    int item = file_item(write_file("c.txt", five_lines), "#-L:2");
    ASSERT_EQ(expand_item_file(owner, item, 0, 0), 1);
    EXPECT_EQ(fake.clipboard, "l2");
    fake.clipboard_fails = true;
    EXPECT_EQ(expand_item_file(owner, item, 0, 0), 0) << "a failed clipboard write fails";
}

// ---- the preview form --------------------------------------------------------------------------

TEST_F(ExpandTest, PreviewShowsFilesUpToTheLimitAndANoticeBeyond)
{
    settings.preview_size_limit = 10;
    settings.output_mode = 2;
    int item = file_item(write_file("ten.txt", "0123456789"), "");
    output.output_source = 1;
    ASSERT_EQ(expand_item_file(owner, item, 0, 1), 1);
    EXPECT_EQ(out(), "0123456789");
    EXPECT_EQ(output.output_source, 1);
    EXPECT_EQ(fake.clipboard, "") << "the preview never writes the clipboard";

    item = file_item(write_file("eleven.txt", "0123456789A"), "");
    ASSERT_EQ(expand_item_file(owner, item, 0, 1), 1);
    EXPECT_EQ(out(), "! Notes - eleven.txt");
    EXPECT_EQ(output.output_source, 0);

    item = file_item(write_file("huge.txt", std::string(output_text_capacity + 5, 'z')), "");
    ASSERT_EQ(expand_item_file(owner, item, 0, 1), 1) << "too large for output_text, but only noticed";
    EXPECT_EQ(out(), "! Notes - huge.txt");
    EXPECT_EQ(fake_events(), "");
}

TEST_F(ExpandTest, PreviewWithoutLimitReadsTheWholeFile)
{
    settings.preview_size_limit = 0;
    int item = file_item(write_file("any.txt", std::string(5000, 'q')), "");
    ASSERT_EQ(expand_item_file(owner, item, 0, 1), 1);
    EXPECT_EQ(strlen(output.output_text), 5000u);
}

// ---- the clipboard source ----------------------------------------------------------------------

TEST_F(ExpandTest, ClipboardSourceTakesTheClipboardTextAndOnlyTheReplaceSwitches)
{
    fake.clipboard = "a\nb\n%4y%";
    fake.clipboard_has_text = true;
    store.items[0].is_file = 1;
    copy_text(store.items[0].file_param, 260, "/#b /#L:2 /#R #T:a-b");
    ASSERT_EQ(expand_item_file(owner, 0, 1, 0), 1);
    EXPECT_EQ(out(), "a\nb\n2026") << "no range is cut, /#R turns the macros on";
    EXPECT_EQ(switches.line_range_mode, 0);

    copy_text(store.items[0].file_param, 260, "/#b /#-R");
    settings.replace_enabled = 1;
    ASSERT_EQ(expand_item_file(owner, 0, 1, 0), 1);
    EXPECT_EQ(out(), "a\nb\n%4y%");
    EXPECT_EQ(settings.replace_enabled, 0);
}

TEST_F(ExpandTest, EmptyOrMissingClipboardFailsSilently)
{
    fake.clipboard_has_text = false;
    EXPECT_EQ(expand_item_file(owner, 0, 1, 0), 0);
    fake.clipboard_has_text = true;
    fake.clipboard = "";
    EXPECT_EQ(expand_item_file(owner, 0, 1, 0), 0);
    EXPECT_EQ(fake_events(), "");
}

TEST_F(ExpandTest, HugeClipboardIsCutToOutputTextAtACharacterBoundary)
{
    // "ア" is two bytes: 1,039,999 bytes would end in half of one.
    std::string kana;
    for (int i = 0; i < 600000; ++i)
        kana += "\x83\x41";
    fake.clipboard = kana;
    fake.clipboard_has_text = true;
    ASSERT_EQ(expand_item_file(owner, 0, 1, 0), 1);
    size_t length = strlen(output.output_text);
    EXPECT_EQ(length, output_text_capacity - 2);
    EXPECT_EQ(std::string(output.output_text + length - 2), "\x83\x41");
}

TEST_F(ExpandTest, ItemOutsideTheStoreFails)
{
    EXPECT_EQ(expand_item_file(owner, -1, 0, 0), 0);
    EXPECT_EQ(expand_item_file(owner, item_capacity, 0, 0), 0);
}

// ---- the macro steps and the text preparation --------------------------------------------------

TEST_F(ExpandTest, ApplyMacrosSetsTheFlagsOfTheText)
{
    struct row {
        const char *name;
        int sendkey, replace;
        const char *text;
        int key_flag, clip_done;
    } rows[] = {
        {"key macro seen with sendkey", 1, 0, "a%$0d%", 1, 0},
        {"key macro ignored without sendkey", 0, 0, "a%$0d%", 0, 0},
        {"no key macro", 1, 0, "a%0d%", 0, 0},
        {"clipboard macro replaced", 0, 1, "%CLP%", 0, 1},
        {"clipboard macro off without replacement", 0, 0, "%CLP%", 0, 0},
    };
    for (const auto &r : rows) {
        reset_output_state();
        output.clipboard_macro_done = 1;
        fake.clipboard = "x";
        fake.clipboard_has_text = true;
        settings.sendkey_file_enabled = r.sendkey;
        settings.replace_enabled = r.replace;
        copy_text(output.output_text, output_text_capacity, r.text);
        apply_macros(owner, 0);
        EXPECT_EQ(output.key_macro_present, r.key_flag) << r.name;
        EXPECT_EQ(output.clipboard_macro_done, r.clip_done) << r.name;
    }
}

TEST_F(ExpandTest, TextPreparationTurnsBreakMarksIntoLineBreaks)
{
    struct row {
        const char *name;
        const char *mark;
        int replace;
        const char *text;
        const char *expected;
    } rows[] = {
        {"default mark", "↓", 0, "a↓b↓", "a\r\nb\r\n"},
        {"mark found without case", "<BR>", 0, "a<br>b", "a\r\nb"},
        {"no mark", "", 0, "a↓b", "a↓b"},
        {"macros after the marks", "↓", 1, "%4y%↓%CLP%", "2026\r\nclip"},
        {"macros off", "↓", 0, "%4y%↓", "%4y%\r\n"},
        {"a mark that a line break holds cannot loop", "\n", 0, "a\nb\n", "a\r\nb\r\n"},
    };
    for (const auto &r : rows) {
        fake.clipboard = "clip";
        fake.clipboard_has_text = true;
        copy_text(settings.break_mark, sizeof settings.break_mark, r.mark);
        settings.replace_enabled = r.replace;
        copy_text(output.output_text, output_text_capacity, r.text);
        prepare_chosen_text(owner);
        EXPECT_EQ(out(), r.expected) << r.name;
    }
}

TEST_F(ExpandTest, BreakMarksThatGrowTheTextAreCutAtTheBuffer)
{
    copy_text(settings.break_mark, sizeof settings.break_mark, "|");
    std::string marks(700000, '|');
    copy_text(output.output_text, output_text_capacity, marks.c_str());
    prepare_chosen_text(owner);
    size_t length = strlen(output.output_text);
    EXPECT_EQ(length, output_text_capacity - 1);
    EXPECT_EQ(std::string(output.output_text, 4), "\r\n\r\n");
}

// ---- preview rendering of key macros -----------------------------------------------------------

class RenderKeysTest : public ExpandTest {
  protected:
    void SetUp() override
    {
        ExpandTest::SetUp();
        add_key("0d", "Enter");
        add_key("0a", "LF");
        add_key("09", "Tab");
    }
    void add_key(const char *code, const char *text)
    {
        copy_text(store.key_code[store.key_count], 16, code);
        copy_text(store.key_text[store.key_count], 32, text);
        ++store.key_count;
    }
};

TEST_F(RenderKeysTest, KeyMacrosRenderAsReadableText)
{
    struct row {
        const char *name;
        const char *text;
        const char *expected;
        int unregistered;
    } rows[] = {
        {"one key", "a%$0d%b", "a [Enter] b", 0},
        {"two keys", "%$0d0a%", " [Enter LF] ", 0},
        {"tb stands for 09", "%$TB%", " [Tab] ", 0},
        {"odd last character ignored", "%$0d1%", " [Enter] ", 0},
        {"five keys", "%$0d0d0d0d0d%", " [Enter Enter Enter Enter Enter] ", 0},
        {"unregistered number shown", "%$zz%", " [zz] ", 1},
        {"every macro in turn", "%$0d%-%$0a%", " [Enter] - [LF] ", 0},
        {"too short stops", "%$1%x%$0d%", "%$1%x%$0d%", 0},
        {"too long stops", "%$0d0d0d0d0d0%", "%$0d0d0d0d0d0%", 0},
        {"unclosed stays", "a%$0d", "a%$0d", 0},
        {"rendered text is not searched again", "%$0d%$0a%", " [Enter] $0a%", 0},
    };
    for (const auto &r : rows) {
        output.unregistered_key_flag = 0;
        copy_text(output.output_text, output_text_capacity, r.text);
        render_key_macros(output.output_text);
        EXPECT_EQ(out(), r.expected) << r.name;
        EXPECT_EQ(output.unregistered_key_flag, r.unregistered) << r.name;
    }
    EXPECT_STREQ(output.unregistered_key, "zz");
}

TEST_F(RenderKeysTest, TbWithoutARegisteredTabShowsItsNumber)
{
    store.key_count = 0;
    copy_text(output.output_text, output_text_capacity, "%$tb%");
    render_key_macros(output.output_text);
    EXPECT_EQ(out(), " [09] ");
    EXPECT_EQ(output.unregistered_key_flag, 0);
}

TEST_F(RenderKeysTest, PreviewRendersShortTextsOnly)
{
    settings.sendkey_file_enabled = 1;
    copy_text(output.output_text, output_text_capacity, "%$0d%");
    apply_macros(owner, 1);
    EXPECT_EQ(out(), " [Enter] ");
    EXPECT_EQ(output.key_macro_present, 0) << "nothing left to send";

    std::string long_text = std::string(1020, 'x') + "%$0d%";
    copy_text(output.output_text, output_text_capacity, long_text.c_str());
    apply_macros(owner, 1);
    EXPECT_EQ(out(), long_text);
    EXPECT_EQ(output.key_macro_present, 1);

    copy_text(output.output_text, output_text_capacity, "%$0d%");
    apply_macros(owner, 0);
    EXPECT_EQ(out(), "%$0d%") << "only the preview renders";
}

TEST_F(RenderKeysTest, RenderingThatGrowsSevenfoldStaysWhole)
{
    store.key_count = 0;
    add_key("0d", "0123456789012345678901234567890"); // 31 bytes, the widest key text
    std::string text;
    for (int i = 0; i < 204; ++i)
        text += "%$0d%";
    copy_text(output.output_text, output_text_capacity, text.c_str());
    render_key_macros(output.output_text);
    EXPECT_EQ(strlen(output.output_text), 204u * 35u);

    char small[40];
    copy_text(small, sizeof small, "%$0d%%$0d%");
    render_key_macros(small, sizeof small);
    EXPECT_EQ(std::string(small), " [0123456789012345678901234567890]  [01");
}

} // namespace
