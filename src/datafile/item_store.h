// The item store: the entries of "[data]" plus the utility entries, and the text-file, replace, key
// and title tables. One process-wide instance, `store`, filled once by the loader and then read by
// index (menu command ids are 1000 + index). Written afterwards only in each item's `list_caption`
// (search/result_list forms it), `text_file_selected` (the text-file menus and the text-file search
// set the file chosen) and item 0's `text` and `file_param` (a direct start names its file and
// command line there, app/activation). With "@kana=1" the loader also keeps every item's plain
// caption folded (`folded_captions`), so that a search pass folds only its pattern.
#pragma once

#include <cstdint>

#include "text/fold.h"

constexpr int item_capacity = 3010;
constexpr int data_item_limit = 3000;
constexpr int text_file_capacity = 100;
constexpr int text_file_limit = 99;
constexpr int replace_capacity = 100;
constexpr int key_capacity = 150;
constexpr int title_capacity = 100;

enum item_kind : int32_t {
    text_item = 0,
    utility_entry = 1,
    separator_mark = 2,
    column_break_mark = 3,
    group_open = 8,
    group_close = 9,
};

struct item_entry {
    int32_t kind;
    int32_t depth;
    int32_t show_text;
    int32_t is_file;
    char text[260];
    char caption[260];
    char plain_caption[260];
    char list_caption[260];
    char file_param[260];
    char file_caption[260];
};

struct item_store {
    int32_t item_count;
    item_entry items[item_capacity];

    int32_t text_file_count;
    int32_t text_file_selected;
    char text_file_path[text_file_capacity][260];
    char text_file_name[text_file_capacity][260];

    int32_t replace_count;
    char replace_from[replace_capacity][260];
    char replace_to[replace_capacity][260];

    int32_t key_count;
    char key_code[key_capacity][16];
    char key_text[key_capacity][32];

    int32_t title_count;
    char title_group[title_capacity][260];
    char title_pattern[title_capacity][260];
};

extern item_store store;

// items[i].plain_caption through fold_for_match, for every item while "@kana=1": written by the loader
// (fold_item_captions), read by the search passes. Apart from `store`, which every start clears, so
// that a start without "@kana=1" never touches its 1.5 MB; no row is read before the loader wrote it.
extern char folded_captions[item_capacity][fold_growth * sizeof item_entry::plain_caption];

void reset_item_store();
// Folds the plain caption of every item into folded_captions.
void fold_item_captions();
// The key text registered for a two-character key number (byte-exact, case-sensitive), or "" when
// the number is not registered.
const char *find_key(const char *code);
