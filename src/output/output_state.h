// The output state: `output_text`, the one buffer that every chooser fills, the macro steps rewrite
// in place and the delivery sends, with the flags that travel with it through one activation.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t output_text_capacity = 1040000;

struct output_state {
    char output_text[output_text_capacity];
    int32_t output_source; // 0 chooser prepared output_text, 1 expansion or history, 2 clipboard as is
    int32_t clipboard_macro_done;
    int32_t key_macro_present;
    int32_t tab_macro_present;
    int32_t history_chosen;
    int32_t history_keep_block;
    int32_t unregistered_key_flag;
    char unregistered_key[3];
    char latest_caption[260];
    int32_t clipboard_settle_wait; // ms, set by every put_clipboard_text
};

extern output_state output;

void reset_output_state();
