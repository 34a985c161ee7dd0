#include <gtest/gtest.h>

#include <string>

#include "core/target.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "os/fake/os_fake.h"
#include "output/output_state.h"
#include "output/paste.h"
#include "text/sjis.h"

namespace {

const os_window owner = 1;
const std::string ctrl_v = "key 11 down, sleep 50, key 56 down, key 56 up, sleep 50, key 11 up";
const std::string tab = "key 09 down, key 09 up, sleep 100";
const std::string unregistered = "error 未登録キーのため処理をキャンセルしました。\r\n\r\nキー№　：　";

// One segment pasted through the clipboard with Ctrl+V.
std::string seg(const std::string &text)
{
    return "clip " + text + ", sleep 100, " + ctrl_v;
}
// A chord of one key, pressed and released with the chord waits, then the segment wait.
std::string chord(const std::string &key)
{
    return "key " + key + " down, sleep 50, key " + key + " up, sleep 50, sleep 100";
}

std::string events()
{
    std::string all;
    for (size_t i = 0; i < fake.events.size(); ++i)
        all += (i ? ", " : "") + fake.events[i];
    return all;
}

void register_keys(std::initializer_list<const char *> codes)
{
    for (const char *code : codes) {
        copy_text(store.key_code[store.key_count], sizeof store.key_code[0], code);
        copy_text(store.key_text[store.key_count++], sizeof store.key_text[0], code);
    }
}

class PasteTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_settings();
        reset_item_store();
        reset_target_state();
        reset_output_state();
        reset_fake_system();
        target.focus_control = 9;
        register_keys({"11", "56", "2E", "0d"});
    }
    int paste(const std::string &text)
    {
        copy_text(output.output_text, sizeof output.output_text, text.c_str());
        return paste_output(owner);
    }
};

TEST_F(PasteTest, ClipboardWriteSetsTheSettleWaitAndBeepsOnlyInClipboardOnlyMode)
{
    struct row {
        const char *name;
        size_t length;
        int threshold, extra, mode, settle;
        bool fails;
        std::string expected_tail;
    } rows[] = {
        {"short text", 10, 1000, 100, 1, 100, false, ""},
        {"exactly the threshold is not longer", 1000, 1000, 100, 1, 100, false, ""},
        {"5000 bytes over threshold 1000", 5000, 1000, 250, 1, 350, false, ""},
        {"clipboard-only mode beeps", 3, 1000, 100, 2, 100, false, ", beep 64"},
        {"failure: 0 and no beep", 3, 1000, 100, 2, 100, true, ""},
    };
    for (const auto &r : rows) {
        reset_fake_system();
        fake.clipboard_fails = r.fails;
        settings.long_text_threshold = r.threshold;
        settings.long_text_extra_wait = r.extra;
        settings.output_mode = r.mode;
        const std::string text(r.length, 'x');
        EXPECT_EQ(put_clipboard_text(owner, text.c_str()), r.fails ? 0 : 1) << r.name;
        EXPECT_EQ(output.clipboard_settle_wait, r.settle) << r.name;
        EXPECT_EQ(events(), r.fails ? "" : "clip " + text + r.expected_tail) << r.name;
    }
}

TEST_F(PasteTest, DeliveryFollowsModeFlagsAndMarks)
{
    enum { keys = 1, tabs = 2, history = 4, clip_macro = 8 };
    const std::string chord_1156 =
        "key 11 down, sleep 50, key 56 down, sleep 50, key 56 up, sleep 50, key 11 up, sleep 50, sleep 100";
    struct row {
        const char *name;
        std::string text;
        int mode, flags;
        std::string expected;
    } rows[] = {
        {"plain paste keys", "abc", 1, 0, seg("abc")},
        {"plain insertion", "abc", 0, 0, "replace abc"},
        {"plain clipboard-only does nothing", "abc", 2, 0, ""},
        {"tab mark splits the paste", "a%$tb%b", 1, tabs, seg("a") + ", " + tab + ", " + seg("b")},
        {"tab mark at the end: no empty paste", "a%$tb%", 1, tabs, seg("a") + ", " + tab},
        {"tab marks at the start, twice, any case", "%$tb%%$TB%b", 1, tabs,
         tab + ", " + tab + ", " + seg("b")},
        {"tab marks inserted directly", "a%$tb%b", 0, tabs, "replace a, " + tab + ", replace b"},
        {"tab marks in clipboard-only mode: nothing", "a%$tb%b", 2, tabs, ""},
        {"tab marks ignored after a history choice", "a%$tb%b", 1, tabs | history, seg("a%$tb%b")},
        {"tab marks ignored after a clipboard macro", "a%$tb%b", 1, tabs | clip_macro, seg("a%$tb%b")},
        {"chord presses, then releases in reverse", "%$1156%", 1, keys, chord_1156},
        {"chord between segments", "a%$1156%b", 1, keys, seg("a") + ", " + chord_1156 + ", " + seg("b")},
        {"chord segments inserted directly", "a%$1156%b", 0, keys,
         "replace a, " + chord_1156 + ", replace b"},
        {"odd last digit ignored", "%$115%", 1, keys, chord("11")},
        {"distance 3 is text", "x%$1%y", 1, keys, seg("x%$1%y")},
        {"distance 13 is text", "x%$11561156115%y", 1, keys, seg("x%$11561156115%y")},
        {"distance 12 holds five keys", "%$1156111156%", 1, keys,
         "key 11 down, sleep 50, key 56 down, sleep 50, key 11 down, sleep 50, key 11 down, sleep 50, "
         "key 56 down, sleep 50, key 56 up, sleep 50, key 11 up, sleep 50, key 11 up, sleep 50, "
         "key 56 up, sleep 50, key 11 up, sleep 50, sleep 100"},
        {"open mark without close: text with the rest", "a%$11", 1, keys, seg("a%$11")},
        {"lead byte last is not read past", "a%$1\x82", 1, keys, seg("a%$1\x82")},
        {"text before a later chord kept", "x%$1%y%$11%z", 1, keys,
         seg("x%$1%y") + ", " + chord("11") + ", " + seg("z")},
        {"tb pair is Tab", "%$tb%", 1, keys, chord("09")},
        {"extended key in a chord", "%$2E%", 1, keys,
         "key 2E down ext, sleep 50, key 2E up ext, sleep 50, sleep 100"},
        {"lower-case hex digits", "%$0d%", 1, keys, chord("0D")},
        {"chords ignored after a history choice", "%$1156%", 1, keys | history, seg("%$1156%")},
        {"chords win over tabs", "a%$tb%b", 1, keys | tabs, seg("a") + ", " + chord("09") + ", " + seg("b")},
        {"chords in clipboard-only mode: nothing", "%$1156%", 2, keys, ""},
    };
    for (const auto &r : rows) {
        reset_output_state();
        reset_fake_system();
        settings.output_mode = r.mode;
        output.key_macro_present = (r.flags & keys) ? 1 : 0;
        output.tab_macro_present = (r.flags & tabs) ? 1 : 0;
        output.history_chosen = (r.flags & history) ? 1 : 0;
        output.clipboard_macro_done = (r.flags & clip_macro) ? 1 : 0;
        EXPECT_EQ(paste(r.text), 1) << r.name;
        EXPECT_EQ(events(), r.expected) << r.name;
    }
}

TEST_F(PasteTest, WaitsAddTheConfiguredExtras)
{
    settings.segment_wait = 30;
    settings.chord_key_wait = 20;
    output.key_macro_present = 1;
    paste("%$11%");
    EXPECT_EQ(events(), "key 11 down, sleep 70, key 11 up, sleep 70, sleep 130");

    reset_fake_system();
    output.key_macro_present = 0;
    output.tab_macro_present = 1;
    settings.output_mode = 0;
    paste("a%$tb%b");
    EXPECT_EQ(events(), "replace a, key 09 down, key 09 up, sleep 130, replace b");
}

TEST_F(PasteTest, PasteKeysSetTheExtendedFlagExceptInTabProcessing)
{
    settings.paste_keys[0] = 0x10;
    settings.paste_keys[1] = 0x2D;
    settings.paste_key_count = 2;
    const std::string ext =
        "key 10 down, sleep 50, key 2D down ext, sleep 50, key 2D up ext, sleep 50, key 10 up, sleep 50";
    const std::string plain =
        "key 10 down, sleep 50, key 2D down, sleep 50, key 2D up, sleep 50, key 10 up, sleep 50";
    paste("a");
    EXPECT_EQ(events(), "clip a, sleep 100, " + ext);

    reset_fake_system();
    output.tab_macro_present = 1;
    paste("a%$tb%");
    EXPECT_EQ(events(), "clip a, sleep 100, " + plain + ", " + tab);

    reset_fake_system();
    output.key_macro_present = 1;
    paste("a%$11%");
    EXPECT_EQ(events(), "clip a, sleep 100, " + ext + ", " + chord("11"));
}

TEST_F(PasteTest, ClipboardSourceSendsOnlyThePasteKeysAfterTheLastSettleWait)
{
    output.output_source = 2;
    EXPECT_EQ(paste("ignored"), 1);
    EXPECT_EQ(events(), "sleep 0, " + ctrl_v);

    settings.long_text_threshold = 3;
    put_clipboard_text(owner, "long text");
    reset_fake_system();
    paste("ignored");
    EXPECT_EQ(events(), "sleep 200, " + ctrl_v);

    reset_fake_system();
    settings.output_mode = 2;
    EXPECT_EQ(paste("ignored"), 1);
    EXPECT_EQ(events(), "");
}

TEST_F(PasteTest, UnregisteredKeysCancelWithTheMessage)
{
    struct row {
        const char *name;
        std::string text;
        int preview_mode;
        std::string expected;
        int result;
    } rows[] = {
        {"cancels before the segment in front of it", "a%$11%b%$1157%c", 0,
         seg("a") + ", " + chord("11") + ", " + unregistered + "57", 0},
        {"preview mode skips the check", "%$1199%", 1,
         "key 11 down, sleep 50, key 99 down, sleep 50, key 99 up, sleep 50, key 11 up, sleep 50, sleep 100",
         1},
        // A pair that is not two hex digits passes only when registered, and presses nothing.
        {"registered pair that is not hex", "%$zz11%", 0, chord("11"), 1},
        // "あ" is 0x82 0xA0: "1" and "あ" form one pair of three bytes, shown whole.
        {"pair ending in a lead byte takes the character whole", "%$1あ%", 0, unregistered + "1あ", 0},
        {"double-byte character as a pair", "%$あ11%", 0, unregistered + "あ", 0},
        {"pair after a whole character still reads", "%$1あ11%", 1, chord("11"), 1},
    };
    register_keys({"zz"});
    for (const auto &r : rows) {
        reset_fake_system();
        settings.preview_mode = r.preview_mode;
        output.key_macro_present = 1;
        EXPECT_EQ(paste(r.text), r.result) << r.name;
        EXPECT_EQ(events(), r.expected) << r.name;
    }

    // A key the expansion found unregistered.
    reset_fake_system();
    output.unregistered_key_flag = 1;
    copy_text(output.unregistered_key, sizeof output.unregistered_key, "0e");
    EXPECT_EQ(paste("abc"), 0);
    EXPECT_EQ(events(), unregistered + "0e");
    EXPECT_EQ(output.unregistered_key_flag, 0);
}

TEST_F(PasteTest, ClipboardFailureStopsTheDelivery)
{
    fake.clipboard_fails = true;
    EXPECT_EQ(paste("abc"), 0);
    output.tab_macro_present = 1;
    EXPECT_EQ(paste("a%$tb%b"), 0);
    output.key_macro_present = 1;
    EXPECT_EQ(paste("a%$11%b"), 0);
    EXPECT_EQ(events(), "");
}

} // namespace
