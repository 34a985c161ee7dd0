#include "output/paste.h"

#include <cstdio>
#include <cstring>

#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "output/chord.h"
#include "output/output_state.h"
#include "target/target.h"
#include "text/sjis.h"

namespace {

constexpr int tab_key = 0x09;
constexpr int vk_control = 0x11;
constexpr int vk_v = 0x56;
constexpr int key_wait = 50;
constexpr int clipboard_wait = 100;
constexpr int segment_base_wait = 100;
constexpr int key_taken_limit = 1000;
constexpr int no_key = -1;

const char tab_mark[] = "%$tb%";
const char unregistered_format[] = "未登録キーのため処理をキャンセルしました。\r\n\r\nキー№　：　%s";

// Page up/down, end, home, the arrows, print screen, insert and delete need KEYEVENTF_EXTENDEDKEY.
int is_extended_key(int code)
{
    return (code >= 0x21 && code <= 0x28) || (code >= 0x2C && code <= 0x2E);
}

void send_key(int code, int key_up, int extended_rule)
{
    os_key_event(code, key_up, extended_rule && is_extended_key(code));
}

// Keys wait in a busy target's queue: the next text goes to the clipboard, and the next capture joins
// the target's input, once the target has read the release of `first`, the key pressed first.
void watch_keys(int first, os_key_watch *watch)
{
    os_watch_key(target.focus_control ? target.focus_control : target.target_window, first, watch);
}

// Ctrl+V, or the "@key=" codes pressed in order and released in reverse.
void send_paste_keys(int extended_rule)
{
    const int count =
        settings.paste_key_count < paste_key_capacity ? settings.paste_key_count : paste_key_capacity;
    os_key_watch watch;
    watch_keys(count <= 0 ? vk_control : settings.paste_keys[0], &watch);
    if (count <= 0) {
        send_key(vk_control, 0, extended_rule);
        os_sleep(key_wait);
        send_key(vk_v, 0, extended_rule);
        send_key(vk_v, 1, extended_rule);
        os_sleep(key_wait);
        send_key(vk_control, 1, extended_rule);
    }
    for (int i = 0; i < count; ++i) {
        send_key(settings.paste_keys[i], 0, extended_rule);
        os_sleep(key_wait);
    }
    for (int i = count - 1; i >= 0; --i) {
        send_key(settings.paste_keys[i], 1, extended_rule);
        os_sleep(key_wait);
    }
    os_wait_key_taken(&watch, key_taken_limit);
}

// One piece of the text: clipboard and paste keys in output_paste mode, EM_REPLACESEL otherwise.
int deliver_segment(os_window owner, const char *segment, int extended_rule, int32_t mode)
{
    if (mode == output_paste) {
        if (!put_clipboard_text(owner, segment, 1))
            return 0;
        os_sleep(output.clipboard_settle_wait);
        send_paste_keys(extended_rule);
        return 1;
    }
    os_replace_selection(target.focus_control, segment);
    return 1;
}

void report_unregistered_key(os_window owner, const char *key)
{
    char message[160];
    snprintf(message, sizeof message, unregistered_format, key);
    output.unregistered_key_flag = 0;
    os_error_box(owner, message);
}

bool is_registered(const chord_pair &pair)
{
    if (pair.length != 2)
        return false;
    const char code[3] = {pair.at[0], pair.at[1], '\0'};
    return find_key(code)[0] != '\0';
}

void send_chord(const int *codes, int count)
{
    const int wait = settings.chord_key_wait + key_wait;
    int first = 0;
    while (first < count && codes[first] == no_key)
        ++first;
    if (first == count)
        return;
    os_key_watch watch;
    watch_keys(codes[first], &watch);
    for (int i = 0; i < count; ++i) {
        if (codes[i] == no_key)
            continue;
        send_key(codes[i], 0, 1);
        os_sleep(wait);
    }
    for (int i = count - 1; i >= 0; --i) {
        if (codes[i] == no_key)
            continue;
        send_key(codes[i], 1, 1);
        os_sleep(wait);
    }
    os_wait_key_taken(&watch, key_taken_limit);
}

int process_chords(os_window owner, int32_t mode)
{
    char *segment = output.output_text;
    key_chord chord;
    while (next_chord(segment, &chord)) {
        int codes[max_chord_keys];
        for (int i = 0; i < chord.count; ++i) {
            const chord_pair &pair = chord.pairs[i];
            if (!is_tab_pair(pair) && settings.preview_mode == preview_off && !is_registered(pair)) {
                char shown[4];
                copy_text_n(shown, sizeof shown, pair.at, pair.length);
                report_unregistered_key(owner, shown);
                return 0;
            }
            codes[i] = pair_key_code(pair);
        }
        char *open = output.output_text + (chord.open - output.output_text);
        if (open > segment) {
            *open = '\0';
            if (!deliver_segment(owner, segment, 1, mode))
                return 0;
        }
        send_chord(codes, chord.count);
        segment = output.output_text + (chord.close + 1 - output.output_text);
        os_sleep(settings.segment_wait + segment_base_wait);
    }
    return segment[0] != '\0' ? deliver_segment(owner, segment, 1, mode) : 1;
}

int process_tabs(os_window owner, int32_t mode)
{
    char *segment = output.output_text;
    for (;;) {
        char *mark = find_nocase(segment, tab_mark);
        if (mark == nullptr)
            return segment[0] != '\0' ? deliver_segment(owner, segment, 0, mode) : 1;
        if (mark > segment) {
            *mark = '\0';
            if (!deliver_segment(owner, segment, 0, mode))
                return 0;
        }
        os_key_watch watch;
        watch_keys(tab_key, &watch);
        send_key(tab_key, 0, 0);
        send_key(tab_key, 1, 0);
        os_wait_key_taken(&watch, key_taken_limit);
        segment = mark + (sizeof tab_mark - 1);
        os_sleep(settings.segment_wait + segment_base_wait);
    }
}

} // namespace

int put_clipboard_text(os_window owner, const char *text, int delivery_only)
{
    const size_t length = strlen(text);
    const bool long_text =
        settings.long_text_threshold >= 0 && length > static_cast<size_t>(settings.long_text_threshold);
    output.clipboard_settle_wait = clipboard_wait + (long_text ? settings.long_text_extra_wait : 0);
    return os_clipboard_set_text(owner, text, delivery_only) ? 1 : 0;
}

int paste_output(os_window owner, int32_t mode)
{
    if (output.output_source == source_clipboard) {
        if (mode == output_paste) {
            os_sleep(output.clipboard_settle_wait);
            send_paste_keys(1);
        }
        return 1;
    }
    if (output.unregistered_key_flag) {
        char key[3];
        copy_text_n(key, sizeof key, output.unregistered_key, 2);
        report_unregistered_key(owner, key);
        return 0;
    }
    // Clipboard-only mode delivers nothing: the text went to the clipboard when it was chosen, and
    // tab or chord processing would otherwise type into the target.
    if (mode == output_clipboard_only)
        return 1;
    const bool clipboard_text = output.history_chosen || output.clipboard_macro_done;
    if (!clipboard_text && output.key_macro_present == 1)
        return process_chords(owner, mode);
    if (!clipboard_text && output.tab_macro_present == 1)
        return process_tabs(owner, mode);
    return deliver_segment(owner, output.output_text, 1, mode);
}
