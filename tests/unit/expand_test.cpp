// The expansion engine: item switches, ranges and markers, the file and clipboard sources, the
// preview form, the text preparation and the preview rendering of key macros.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

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
        reset_fake_system();
        char pattern[] = "/tmp/mivra_expand_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        add_key("0d", "Enter");
        add_key("0a", "LF");
        add_key("09", "Tab");
    }
    void TearDown() override { ASSERT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0); }

    void add_key(const char *code, const char *text)
    {
        copy_text(store.key_code[store.key_count], 16, code);
        copy_text(store.key_text[store.key_count], 32, text);
        ++store.key_count;
    }

    std::string write_file(const std::string &name, const std::string &content)
    {
        std::string path = dir + "/" + name;
        EXPECT_TRUE(std::ofstream(path, std::ios::binary) << content);
        return path;
    }

    // Item 3 becomes a file entry over `path` with the given switch text.
    int file_item(const std::string &path, const std::string &switch_text)
    {
        item_entry &e = store.items[3];
        e.is_file = 1;
        copy_text(e.text, sizeof e.text, path.c_str());
        copy_text(e.file_param, sizeof e.file_param, switch_text.c_str());
        copy_text(e.list_caption, sizeof e.list_caption, "Notes");
        store.item_count = 4;
        return 3;
    }

    // Expands item 3 over a file "f.txt" that holds `content`; returns what output_text then holds.
    std::string expand_file(const std::string &content, const std::string &switch_text, int preview = 0)
    {
        EXPECT_EQ(expand_item_file(owner, file_item(write_file("f.txt", content), switch_text), 0, preview),
                  1);
        return out();
    }

    void set_text(const std::string &text)
    {
        copy_text(output.output_text, output_text_capacity, text.c_str());
    }
    std::string out() const { return output.output_text; }

    std::string dir;
};

// ---- switches and ranges over a file -----------------------------------------------------------

TEST_F(ExpandTest, ItemSwitchesCutTheFile)
{
    const std::string L = five_lines, N = "a\nb\nc", M = "head [s]body[e] tail";
    struct row {
        const char *name;
        std::string content, switch_text, expected;
    } rows[] = {
        {"no range is the whole file", L, "#L:0", L},
        {"#-L: strips the final breaks", L, "#-L:3", "l3"},
        {"lines 2 to 4", L, "#L:2-4", "l2\nl3\nl4\n"},
        {"backwards range runs to the end", L, "#L:4-2", "l4\nl5\n"},
        {"equal ends run to the end", L, "#L:3-3", "l3\nl4\nl5\n"},
        {"2 lines after line 2", L, "#L:2+2", "l2\nl3\nl4\n"},
        {"open count runs to the end", L, "#L:4+", "l4\nl5\n"},
        {"zero before a dash counts as one", L, "#L:0-2", "l1\nl2\n"},
        {"value ends at a blank", L, "#L:2 -4", "l2\n"},
        {"anywhere in a token, up to the digits' end", L, "x#L:3y", "l3\n"},
        {"#L: wins over #-L:", L, "#-L:5 #L:2", "l2\n"},
        {"#L: wins over #T:", L, "#T:l2-l4 #L:1", "l1\n"},
        {"past the end restarts at line 1", L, "#L:9", "l1\n"},
        {"past the end keeps the range length", L, "#L:9-10", "l1\nl2\n"},
        {"skip that ends at the end leaves nothing", L, "#L:6", ""},
        {"huge count walks to the end", L, "#L:2147483647+2147483647", L},
        {"last line without LF", N, "#L:3", "c"},
        {"skip past a last line without LF", N, "#L:4", "a\n"},
        {"stripping removes CR and LF", "a\r\nb\r\nc\r\n", "#-L:1-2", "a\r\nb"},
        {"stripping a text of breaks only", "\r\n\r\n", "#-L:1-2", ""},
        {"markers kept", M, "#T:[s]-[e]", "[s]body[e]"},
        {"markers dropped, value ends at a blank", M, "#T:[s]-[e] #D", "body"},
        {"switch names ignore case", M, "#t:[s]-[e] #d", "body"},
        {"start marker absent starts at the beginning", M, "#T:[x]-[e]", "head [s]body[e]"},
        {"markers are matched with case", M, "#T:[S]-[e] #D", "head [s]body"},
        {"start marker only", M, "#T:[s]", "[s]body[e] tail"},
        {"end marker only", M, "#T:-[e]", "head [s]body[e]"},
        {"end marker absent runs to the end", M, "#T:[s]-[x]", "[s]body[e] tail"},
        {"end marker searched after the start", M, "#T:body-[s]", "body[e] tail"},
        {"macros run on the cut range with #R", "x\n%4y%/%0m%\n", "#L:2 #R", "2026/03\n"},
    };
    for (const auto &r : rows)
        EXPECT_EQ(expand_file(r.content, r.switch_text), r.expected) << r.name;
}

TEST_F(ExpandTest, PathArgumentRequiresTheSlashForm)
{
    settings.path_argument_found = 1;
    EXPECT_EQ(expand_file(five_lines, "#L:2"), five_lines) << "#L: without the slash is ignored";
    EXPECT_EQ(expand_file(five_lines, "/#-l:2-3"), "l2\nl3");
    EXPECT_EQ(expand_file("a<x>b", "/#T:<-> /#D"), "x");
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
        {"neither leaves it", 0, 1, "#L:2", 1},
        {"slash form needed with a path argument", 1, 0, "#R", 0},
        {"slash form with a path argument", 1, 1, "/#-r", 0},
    };
    for (const auto &r : rows) {
        settings.path_argument_found = r.path_argument;
        settings.replace_enabled = r.before;
        parse_item_switches(r.text);
        EXPECT_EQ(settings.replace_enabled, r.after) << r.name;
    }
}

// ---- the file and clipboard sources -----------------------------------------------------------

TEST_F(ExpandTest, UnreadableOrTooLargeFilesAreRefusedWithTheMessage)
{
    struct row {
        const char *name;
        size_t size; // 0: no file at all
        int result;
    } rows[] = {
        {"missing file", 0, 0},
        {"one byte more than output_text holds with its terminator", output_text_capacity, 0},
        {"a file that just fits is read whole", output_text_capacity - 1, 1},
    };
    for (const auto &r : rows) {
        reset_fake_system();
        set_text("untouched");
        std::string content(r.size, 'x'), name = "big" + std::to_string(r.size);
        std::string path = r.size > 0 ? write_file(name, content) : dir + "/none.txt";
        EXPECT_EQ(expand_item_file(owner, file_item(path, ""), 0, 0), r.result) << r.name;
        EXPECT_EQ(fake_events(), r.result ? "" : "error データファイルが読めません！") << r.name;
        EXPECT_TRUE(out() == (r.result ? content : "untouched")) << r.name;
    }
    EXPECT_EQ(expand_item_file(owner, -1, 0, 0), 0) << "an item outside the store";
    EXPECT_EQ(expand_item_file(owner, item_capacity, 0, 0), 0) << "an item outside the store";
}

TEST_F(ExpandTest, PreviewShowsFilesUpToTheLimitAndANoticeBeyond)
{
    settings.preview_size_limit = 10;
    settings.output_mode = 2;
    output.output_source = 1;
    EXPECT_EQ(expand_file("0123456789", "", 1), "0123456789");
    EXPECT_EQ(output.output_source, 1);
    EXPECT_EQ(fake.clipboard, "") << "the preview never writes the clipboard";
    EXPECT_EQ(expand_file("0123456789A", "", 1), "! Notes - f.txt");
    EXPECT_EQ(output.output_source, 0);
    EXPECT_EQ(expand_file(std::string(output_text_capacity + 5, 'z'), "", 1), "! Notes - f.txt")
        << "too large for output_text, but only noticed";
    EXPECT_EQ(fake_events(), "");
    settings.preview_size_limit = 0;
    EXPECT_EQ(expand_file("0123456789A", "", 1), "0123456789A") << "no limit reads the whole file";
}

TEST_F(ExpandTest, ClipboardSourceTakesTheClipboardTextAndOnlyTheReplaceSwitches)
{
    EXPECT_EQ(expand_item_file(owner, 0, 1, 0), 0) << "no clipboard text";
    fake.clipboard_has_text = true;
    EXPECT_EQ(expand_item_file(owner, 0, 1, 0), 0) << "an empty clipboard";
    EXPECT_EQ(fake_events(), "") << "both fail silently";

    fake.clipboard = "a\nb\n%4y%";
    copy_text(store.items[0].file_param, 260, "/#b /#L:2 /#R #T:a-b");
    ASSERT_EQ(expand_item_file(owner, 0, 1, 0), 1);
    EXPECT_EQ(out(), "a\nb\n2026") << "no range is cut, /#R turns the macros on";
    copy_text(store.items[0].file_param, 260, "/#b /#-R");
    ASSERT_EQ(expand_item_file(owner, 0, 1, 0), 1);
    EXPECT_EQ(out(), "a\nb\n%4y%");
    EXPECT_EQ(settings.replace_enabled, 0);

    // A huge text is cut to output_text: "ア" is two bytes, 1,039,999 bytes would end in half of one.
    std::string kana;
    for (int i = 0; i < 600000; ++i)
        kana += "\x83\x41";
    fake.clipboard = kana;
    ASSERT_EQ(expand_item_file(owner, 0, 1, 0), 1);
    EXPECT_TRUE(out() == kana.substr(0, output_text_capacity - 2));
}

// ---- the text preparation and the macro steps --------------------------------------------------

TEST_F(ExpandTest, TextPreparationTurnsBreakMarksIntoLineBreaksThenRunsTheMacros)
{
    struct row {
        const char *name;
        const char *mark;
        int replace, sendkey;
        const char *text;
        const char *expected;
        int key_flag, clip_done;
    } rows[] = {
        {"default mark", "↓", 0, 0, "a↓b↓", "a\r\nb\r\n", 0, 0},
        {"mark found without case", "<BR>", 0, 0, "a<br>b", "a\r\nb", 0, 0},
        {"no mark", "", 0, 0, "a↓b", "a↓b", 0, 0},
        {"a mark that a line break holds cannot loop", "\n", 0, 0, "a\nb\n", "a\r\nb\r\n", 0, 0},
        {"macros after the marks", "↓", 1, 0, "%4y%↓%CLP%", "2026\r\nclip", 0, 1},
        {"no macros without replacement", "", 0, 0, "%4y%%CLP%", "%4y%%CLP%", 0, 0},
        {"key macro seen with sendkey", "", 0, 1, "a%$0d%", "a%$0d%", 1, 0},
        {"key macro ignored without sendkey", "", 0, 0, "a%$0d%", "a%$0d%", 0, 0},
    };
    fake.clipboard = "clip";
    fake.clipboard_has_text = true;
    for (const auto &r : rows) {
        reset_output_state();
        output.clipboard_macro_done = 1;
        copy_text(settings.break_mark, sizeof settings.break_mark, r.mark);
        settings.replace_enabled = r.replace;
        settings.sendkey_file_enabled = r.sendkey;
        set_text(r.text);
        prepare_chosen_text(owner);
        EXPECT_EQ(out(), r.expected) << r.name;
        EXPECT_EQ(output.key_macro_present, r.key_flag) << r.name;
        EXPECT_EQ(output.clipboard_macro_done, r.clip_done) << r.name;
    }
}

TEST_F(ExpandTest, BreakMarksThatGrowTheTextAreCutAtTheBuffer)
{
    copy_text(settings.break_mark, sizeof settings.break_mark, "|");
    set_text(std::string(700000, '|'));
    prepare_chosen_text(owner);
    EXPECT_EQ(strlen(output.output_text), output_text_capacity - 1);
    EXPECT_EQ(std::string(output.output_text, 4), "\r\n\r\n");
}

// ---- preview rendering of key macros -----------------------------------------------------------

TEST_F(ExpandTest, KeyMacrosRenderAsReadableText)
{
    struct row {
        const char *name;
        const char *text;
        const char *expected;
        int unregistered;
    } rows[] = {
        {"tb stands for 09", "%$TB%", " [Tab] ", 0},
        {"odd last character ignored", "%$0d1%", " [Enter] ", 0},
        {"five keys", "%$0d0d0d0d0d%", " [Enter Enter Enter Enter Enter] ", 0},
        {"unregistered number shown", "%$zz%", " [zz] ", 1},
        {"every macro in turn", "a%$0d%-%$0a%", "a [Enter] - [LF] ", 0},
        {"too short is plain text", "%$1%x%$0d%", "%$1%x [Enter] ", 0},
        {"too long is plain text", "%$0d0d0d0d0d0%", "%$0d0d0d0d0d0%", 0},
        {"unclosed stays", "a%$0d", "a%$0d", 0},
        {"rendered text is not searched again", "%$0d%$0a%", " [Enter] $0a%", 0},
    };
    for (const auto &r : rows) {
        output.unregistered_key_flag = 0;
        set_text(r.text);
        render_key_macros(output.output_text);
        EXPECT_EQ(out(), r.expected) << r.name;
        EXPECT_EQ(output.unregistered_key_flag, r.unregistered) << r.name;
    }
    EXPECT_STREQ(output.unregistered_key, "zz");

    store.key_count = 2; // no Tab registered: tb shows its number without the unregistered flag
    output.unregistered_key_flag = 0;
    set_text("%$tb%");
    render_key_macros(output.output_text);
    EXPECT_EQ(out(), " [09] ");
    EXPECT_EQ(output.unregistered_key_flag, 0);
}

TEST_F(ExpandTest, PreviewRendersShortTextsOnly)
{
    settings.sendkey_file_enabled = 1;
    set_text("%$0d%");
    apply_macros(owner, 1);
    EXPECT_EQ(out(), " [Enter] ");
    EXPECT_EQ(output.key_macro_present, 0) << "nothing left to send";

    std::string long_text = std::string(1020, 'x') + "%$0d%";
    set_text(long_text);
    apply_macros(owner, 1);
    EXPECT_EQ(out(), long_text);
    EXPECT_EQ(output.key_macro_present, 1);

    set_text("%$0d%");
    apply_macros(owner, 0);
    EXPECT_EQ(out(), "%$0d%") << "only the preview renders";
}

TEST_F(ExpandTest, KeyRenderingThatGrowsSevenfoldStaysWhole)
{
    store.key_count = 0;
    add_key("0d", "0123456789012345678901234567890"); // 31 bytes, the widest key text
    std::string text;
    for (int i = 0; i < 204; ++i)
        text += "%$0d%";
    set_text(text);
    render_key_macros(output.output_text);
    EXPECT_EQ(strlen(output.output_text), 204u * 35u);

    char small[40] = "%$0d%%$0d%";
    render_key_macros(small, sizeof small);
    EXPECT_EQ(std::string(small), " [0123456789012345678901234567890]  [01");
}

} // namespace
