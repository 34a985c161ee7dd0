// The output state: `output_text`, the one buffer that every chooser fills, the macro steps rewrite
// in place and the delivery sends, with the flags that travel with it through one activation.
// Owns the record, `output`. Written by choice/ (what was chosen), expand/ (the macro passes and
// their flags) and paste.cpp (the clipboard settle wait); the delivery reads it.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t output_text_capacity = 1040000;

// output_source
constexpr int32_t source_prepared = 0;  // the chooser prepared output_text
constexpr int32_t source_expanded = 1;  // the expansion engine or a history entry filled it
constexpr int32_t source_clipboard = 2; // paste the clipboard unchanged

struct output_state {
    char output_text[output_text_capacity];
    int32_t output_source; // source_*
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
