#include <gtest/gtest.h>

#include <string>

#include "app/process_state.h"
#include "target/target.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "os/fake/os_fake.h"
#include "output/output_state.h"
#include "output/paste.h"
#include "text/sjis.h"

namespace {

const os_window owner = 1;
const std::string ctrl_v = "key 11 down\nsleep 50\nkey 56 down\nkey 56 up\nsleep 50\nkey 11 up";
const std::string tab = "key 09 down\nkey 09 up\nsleep 100";
const std::string unregistered = "error 未登録キーのため処理をキャンセルしました。\r\n\r\nキー№　：　";

// One segment pasted through the clipboard with Ctrl+V.
std::string seg(const std::string &text)
{
    return "clip " + text + "\nsleep 100\n" + ctrl_v;
}
// Shift+Insert as the paste keys, with or without the extended flag (" ext").
std::string shift_insert(const std::string &ext)
{
    return "key 10 down\nsleep 50\nkey 2D down" + ext + "\nsleep 50\nkey 2D up" + ext +
           "\nsleep 50\nkey 10 up\nsleep 50";
}
// A chord of one key, pressed and released with the chord waits, then the segment wait.
std::string chord(const std::string &key)
{
    return "key " + key + " down\nsleep 50\nkey " + key + " up\nsleep 50\nsleep 100";
}

class PasteTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_process_state();
        reset_fake_system();
        target.focus_control = 9;
        for (const char *code : {"11", "56", "2E", "0d", "zz"}) {
            copy_text(store.key_code[store.key_count], sizeof store.key_code[0], code);
            copy_text(store.key_text[store.key_count++], sizeof store.key_text[0], code);
        }
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
        int extra, mode, settle;
        bool fails;
        std::string expected_tail;
    } rows[] = {
        {"exactly the threshold is not longer", 1000, 100, 1, 100, false, ""},
        {"5000 bytes over threshold 1000", 5000, 250, 1, 350, false, ""},
        {"clipboard-only mode beeps", 3, 100, 2, 100, false, "\nbeep 64"},
        {"failure: 0 and no beep", 3, 100, 2, 100, true, ""},
    };
    for (const auto &r : rows) {
        reset_fake_system();
        fake.clipboard_fails = r.fails;
        settings.long_text_extra_wait = r.extra;
        settings.output_mode = r.mode;
        const std::string text(r.length, 'x');
        EXPECT_EQ(put_clipboard_text(owner, text.c_str()), r.fails ? 0 : 1) << r.name;
        EXPECT_EQ(output.clipboard_settle_wait, r.settle) << r.name;
        EXPECT_EQ(fake_events(), r.fails ? "" : "clip " + text + r.expected_tail) << r.name;
    }
}

TEST_F(PasteTest, DeliveryFollowsModeFlagsAndMarks)
{
    // slow: extra waits configured; own_keys: Shift+Insert as the paste keys.
    const int keys = 1, tabs = 2, history = 4, clip_macro = 8, preview = 16, fails = 32, source = 64,
              unreg = 128, slow = 256, own_keys = 512;
    const std::string chord_1156 =
        "key 11 down\nsleep 50\nkey 56 down\nsleep 50\nkey 56 up\nsleep 50\nkey 11 up\nsleep 50\nsleep 100";
    struct row {
        const char *name;
        std::string text;
        int mode, flags;
        std::string expected;
        int result = 1;
    } rows[] = {
        {"plain paste keys", "abc", 1, 0, seg("abc")},
        {"plain insertion", "abc", 0, 0, "replace abc"},
        {"clipboard-only delivers nothing, marks or not", "a%$tb%%$11%b", 2, keys | tabs, ""},
        {"clipboard source: paste keys after the last settle wait", "x", 1, source, "sleep 350\n" + ctrl_v},
        {"clipboard source in clipboard-only mode: nothing", "x", 2, source, ""},
        {"paste keys with the extended-key rule", "a", 1, own_keys,
         "clip a\nsleep 100\n" + shift_insert(" ext")},
        {"paste keys without it in tab processing", "a%$tb%", 1, own_keys | tabs,
         "clip a\nsleep 100\n" + shift_insert("") + "\n" + tab},
        {"paste keys with it in chord processing", "a%$11%", 1, own_keys | keys,
         "clip a\nsleep 100\n" + shift_insert(" ext") + "\n" + chord("11")},
        {"tab mark splits the paste", "a%$tb%b", 1, tabs, seg("a") + "\n" + tab + "\n" + seg("b")},
        {"tab mark at the end: no empty paste", "a%$tb%", 1, tabs, seg("a") + "\n" + tab},
        {"tab marks at the start, twice, any case", "%$tb%%$TB%b", 1, tabs,
         tab + "\n" + tab + "\n" + seg("b")},
        {"tab marks inserted, the segment wait extra added", "a%$tb%b", 0, tabs | slow,
         "replace a\nkey 09 down\nkey 09 up\nsleep 130\nreplace b"},
        {"tab marks ignored after a history choice", "a%$tb%b", 1, tabs | history, seg("a%$tb%b")},
        {"tab marks ignored after a clipboard macro", "a%$tb%b", 1, tabs | clip_macro, seg("a%$tb%b")},
        {"chord between segments, released in reverse", "a%$1156%b", 1, keys,
         seg("a") + "\n" + chord_1156 + "\n" + seg("b")},
        {"chord waits add the configured extras", "%$11%", 1, keys | slow,
         "key 11 down\nsleep 70\nkey 11 up\nsleep 70\nsleep 130"},
        {"odd last digit ignored", "%$115%", 1, keys, chord("11")},
        {"distance 3 is text, a later chord of 4 still counts", "x%$1%y%$11%z", 1, keys,
         seg("x%$1%y") + "\n" + chord("11") + "\n" + seg("z")},
        {"distance 12 holds five keys", "%$1156111156%", 1, keys,
         "key 11 down\nsleep 50\nkey 56 down\nsleep 50\nkey 11 down\nsleep 50\nkey 11 down\nsleep 50\n"
         "key 56 down\nsleep 50\nkey 56 up\nsleep 50\nkey 11 up\nsleep 50\nkey 11 up\nsleep 50\n"
         "key 56 up\nsleep 50\nkey 11 up\nsleep 50\nsleep 100"},
        {"distance 13 is text", "x%$11561156115%y", 1, keys, seg("x%$11561156115%y")},
        {"open mark without close: text with the rest", "a%$11", 1, keys, seg("a%$11")},
        {"lead byte last is not read past", "a%$1\x82", 1, keys, seg("a%$1\x82")},
        {"extended key in a chord", "%$2E%", 1, keys,
         "key 2E down ext\nsleep 50\nkey 2E up ext\nsleep 50\nsleep 100"},
        {"lower-case hex digits", "%$0d%", 1, keys, chord("0D")},
        {"chords ignored after a clipboard macro", "%$1156%", 1, keys | clip_macro, seg("%$1156%")},
        {"chords ignored after a history choice", "%$1156%", 1, keys | history, seg("%$1156%")},
        {"chords win over tabs: tb is Tab", "a%$tb%b", 1, keys | tabs,
         seg("a") + "\n" + chord("09") + "\n" + seg("b")},
        {"unregistered key cancels before the segment in front of it", "a%$11%b%$1157%c", 1, keys,
         seg("a") + "\n" + chord("11") + "\n" + unregistered + "57", 0},
        {"preview mode skips the check", "%$1199%", 1, keys | preview,
         "key 11 down\nsleep 50\nkey 99 down\nsleep 50\nkey 99 up\nsleep 50\nkey 11 up\nsleep 50\nsleep 100"},
        {"registered pair that is not hex presses nothing", "%$zz11%", 1, keys, chord("11")},
        // "あ" is 0x82 0xA0: "1" and "あ" form one pair of three bytes, shown whole.
        {"pair ending in a lead byte takes the character whole", "%$1あ%", 1, keys, unregistered + "1あ", 0},
        {"double-byte character as a pair", "%$あ11%", 1, keys, unregistered + "あ", 0},
        {"pair after a whole character still reads", "%$1あ11%", 1, keys | preview, chord("11")},
        {"key the expansion found unregistered", "abc", 1, unreg, unregistered + "0e", 0},
        {"clipboard failure stops plain delivery", "abc", 1, fails, "", 0},
        {"clipboard failure stops tab processing", "a%$tb%b", 1, tabs | fails, "", 0},
        {"clipboard failure stops chord processing", "a%$11%b", 1, keys | fails, "", 0},
    };
    for (const auto &r : rows) {
        SetUp();
        settings.output_mode = r.mode;
        settings.preview_mode = (r.flags & preview) ? 1 : 0;
        settings.segment_wait = (r.flags & slow) ? 30 : 0;
        settings.chord_key_wait = (r.flags & slow) ? 20 : 0;
        settings.paste_keys[0] = 0x10;
        settings.paste_keys[1] = 0x2D;
        settings.paste_key_count = (r.flags & own_keys) ? 2 : 0;
        fake.clipboard_fails = (r.flags & fails) != 0;
        output.key_macro_present = (r.flags & keys) ? 1 : 0;
        output.tab_macro_present = (r.flags & tabs) ? 1 : 0;
        output.history_chosen = (r.flags & history) ? 1 : 0;
        output.clipboard_macro_done = (r.flags & clip_macro) ? 1 : 0;
        output.output_source = (r.flags & source) ? 2 : 0;
        output.clipboard_settle_wait = 350; // left by an earlier long text
        output.unregistered_key_flag = (r.flags & unreg) ? 1 : 0;
        copy_text(output.unregistered_key, sizeof output.unregistered_key, "0e");
        EXPECT_EQ(paste(r.text), r.result) << r.name;
        EXPECT_EQ(fake_events(), r.expected) << r.name;
        EXPECT_EQ(output.unregistered_key_flag, 0) << r.name;
    }
}

} // namespace
