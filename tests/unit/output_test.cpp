#include "datafile_support.h"

#include "output/paste.h"

namespace {

const os_window owner = 1;
const std::string ctrl_v =
    "key 11 down\nsleep 50\nkey 56 down\nkey 56 up\nsleep 50\nkey 11 up\ntaken 11 1000";
const std::string tab = "key 09 down\nkey 09 up\ntaken 09 1000\nsleep 100";
const std::string unregistered = "error 未登録キーのため処理をキャンセルしました。\r\n\r\nキー№　：　";

// One segment pasted through the clipboard with Ctrl+V.
std::string seg(const std::string &text)
{
    return "clip* " + text + "\nsleep 100\n" + ctrl_v;
}
// Keys ("2E ext": code and flag) pressed in order and released in reverse, `wait` ms after each event.
std::string presses(const std::vector<std::string> &keys, int wait = 50)
{
    std::string out, after = "\nsleep " + std::to_string(wait);
    for (const auto &k : keys)
        out += (out.empty() ? "key " : "\nkey ") + k.substr(0, 2) + " down" + k.substr(2) + after;
    for (auto k = keys.rbegin(); k != keys.rend(); ++k)
        out += "\nkey " + k->substr(0, 2) + " up" + k->substr(2) + after;
    return out + "\ntaken " + keys[0].substr(0, 2) + " 1000";
}
// A chord: its presses, then the segment wait.
std::string chord(const std::vector<std::string> &keys)
{
    return presses(keys) + "\nsleep 100";
}

class PasteTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_process_state();
        reset_fake_system();
        target.focus_control = 9;
        for (const char *code : {"11", "56", "0d", "zz", "20", "21", "28", "29", "2B", "2C", "2E", "2F"}) {
            copy_text(store.key_code[store.key_count], sizeof store.key_code[0], code);
            copy_text(store.key_text[store.key_count++], sizeof store.key_text[0], code);
        }
    }
};

TEST_F(PasteTest, DeliveryFollowsModeFlagsAndMarks)
{
    // slow: extra waits configured; own_keys: Shift+Insert as the paste keys.
    const int keys = 1, tabs = 2, history = 4, clip_macro = 8, preview = 16, fails = 32, source = 64,
              unreg = 128, slow = 256, own_keys = 512;
    const std::string x1000(1000, 'x'), seg_a = "clip* a\nsleep 100\n";
    struct row {
        const char *name;
        std::string text;
        int mode, flags;
        std::string expected;
        int result = 1;
    } rows[] = {
        {"a text of the threshold's length waits 100 ms", x1000, 1, 0, seg(x1000)},
        {"a longer text waits the extra too", x1000 + "x", 1, 0, "clip* " + x1000 + "x\nsleep 200\n" + ctrl_v},
        {"clipboard-only delivers nothing, marks or not", "a%$tb%%$11%b", 2, keys | tabs, ""},
        {"clipboard source: paste keys after the last settle wait", "x", 1, source, "sleep 350\n" + ctrl_v},
        {"own paste keys, extended-key rule", "a", 1, own_keys, seg_a + presses({"10", "2D ext"})},
        {"not extended for tabs", "a%$tb%", 1, own_keys | tabs, seg_a + presses({"10", "2D"}) + "\n" + tab},
        {"extended for chords", "a%$11%", 1, own_keys | keys,
         seg_a + presses({"10", "2D ext"}) + "\n" + chord({"11"})},
        {"tab marks first, twice, any case", "%$tb%%$TB%b", 1, tabs, tab + "\n" + tab + "\n" + seg("b")},
        {"tabs inserted, extra segment wait", "a%$tb%b", 0, tabs | slow,
         "replace a\nkey 09 down\nkey 09 up\ntaken 09 1000\nsleep 130\nreplace b"},
        {"tab marks ignored after a history choice", "a%$tb%b", 1, tabs | history, seg("a%$tb%b")},
        {"chords ignored after a clipboard macro", "%$1156%", 1, keys | clip_macro, seg("%$1156%")},
        {"chord waits add extras", "%$11%", 1, keys | slow, presses({"11"}, 70) + "\nsleep 130"},
        {"odd last digit ignored", "%$115%", 1, keys, chord({"11"})},
        {"distance 3 is text, 4 a chord", "x%$1%y%$11%z", 1, keys,
         seg("x%$1%y") + "\n" + chord({"11"}) + "\n" + seg("z")},
        {"distance 12 holds five keys", "%$1156111156%", 1, keys, chord({"11", "56", "11", "11", "56"})},
        {"distance 13 is text", "x%$11561156115%y", 1, keys, seg("x%$11561156115%y")},
        {"open mark without close: text with the rest", "a%$11", 1, keys, seg("a%$11")},
        {"lead byte last is not read past", "a%$1\x82", 1, keys, seg("a%$1\x82")},
        {"extended 21..28", "%$20212829%", 1, keys, chord({"20", "21 ext", "28 ext", "29"})},
        {"extended 2C..2E", "%$2B2C2E2F%", 1, keys, chord({"2B", "2C ext", "2E ext", "2F"})},
        {"chords win: tb in any case is Tab", "a%$Tb%b", 1, keys | tabs,
         seg("a") + "\n" + chord({"09"}) + "\n" + seg("b")},
        {"unregistered key cancels before its segment", "a%$11%b%$1157%c", 1, keys,
         seg("a") + "\n" + chord({"11"}) + "\n" + unregistered + "57", 0},
        {"registered pair that is not hex presses nothing", "%$zz11%", 1, keys, chord({"11"})},
        // "あ" is 0x82 0xA0: "1" and "あ" form one pair of three bytes, shown whole.
        {"pair ending in a lead byte takes the character whole", "%$1あ%", 1, keys, unregistered + "1あ", 0},
        {"double-byte character as a pair", "%$あ11%", 1, keys, unregistered + "あ", 0},
        {"preview: unchecked; a pair after a whole character", "%$1あ11%", 1, keys | preview, chord({"11"})},
        {"key the expansion found unregistered", "abc", 1, unreg, unregistered + "0e", 0},
        {"clipboard failure stops plain delivery", "abc", 1, fails, "", 0},
        {"clipboard failure stops tab processing", "a%$tb%b", 1, tabs | fails, "", 0},
        {"clipboard failure stops chord processing", "a%$11%b", 1, keys | fails, "", 0},
    };
    for (const auto &r : rows) {
        SetUp();
        auto on = [&](int flag) { return (r.flags & flag) ? 1 : 0; };
        settings.preview_mode = on(preview);
        settings.segment_wait = on(slow) * 30;
        settings.chord_key_wait = on(slow) * 20;
        settings.paste_keys[0] = 0x10;
        settings.paste_keys[1] = 0x2D;
        settings.paste_key_count = on(own_keys) * 2;
        fake.clipboard_fails = on(fails);
        output.key_macro_present = on(keys);
        output.tab_macro_present = on(tabs);
        output.history_chosen = on(history);
        output.clipboard_macro_done = on(clip_macro);
        output.output_source = on(source) * 2;
        output.clipboard_settle_wait = 350; // left by an earlier long text
        output.unregistered_key_flag = on(unreg);
        copy_text(output.unregistered_key, sizeof output.unregistered_key, "0e");
        copy_text(output.output_text, sizeof output.output_text, r.text.c_str());
        EXPECT_EQ(paste_output(owner, r.mode), r.result) << r.name;
        EXPECT_EQ(fake_events(), r.expected) << r.name;
        EXPECT_EQ(output.unregistered_key_flag, 0) << r.name;
    }
}

} // namespace
