// The command ids of every popup: one range per kind of entry, named once. Popups return the id of
// the chosen entry (0 when dismissed); only the ranges with a "when chosen" rule carry a command.
// Owns: the numbers and the compile-time proof that the ranges are disjoint and fit the tables.
// Ids that exist only inside one secondary popup (its separator and "&@ 通常起動") may repeat an id
// of another popup that never shows in the same menu; they are listed apart.
#pragma once

#include <cstdint>

#include "datafile/item_store.h"
#include "target/target.h"

// A half-open range [first, end).
struct command_range {
    int32_t first, end;
    constexpr bool holds(int32_t id) const { return id >= first && id < end; }
};

constexpr command_range item_commands{1000, 6000};            // item i: 1000 + i
constexpr int32_t clipboard_command = 6010;                   // "クリップボード ( &1 )"
constexpr int32_t recent_menu_command = 6015;                 // "ログ -&>"
constexpr int32_t recent_more_command = 6016;                 // "21 -&>"
constexpr int32_t window_menu_command = 6110;                 // "選択 [ %s ] ( &2 )"
constexpr command_range window_commands{6120, 6140};          // window submenu entry w
constexpr int32_t version_menu_command = 6210;                // "Ver.<version> ( &0 )"
constexpr int32_t data_file_command = 6220;                   // "設定ファイル ( &S )"
constexpr int32_t manual_command = 6230;                      // "説明書 ( &H )"
constexpr int32_t recorder_command = 6240;                    // "履歴停止 ( &R )" / "履歴開始 ( &R )"
constexpr int32_t text_file_menu_command = 6300;              // "データファイル ( &3 )"
constexpr int32_t version_separator_id = 6600;
constexpr int32_t utility_separator_id = 6999;
constexpr command_range window_popup_commands{7000, 7100};    // window popup entry w
constexpr command_range history_commands{8000, 8101};         // entry h; 8100 the current entry
constexpr int32_t history_current_command = 8100;             // "&0  %s"
constexpr command_range history_group_commands{8300, 8303};   // "&V", "&W", "&X"
constexpr command_range text_file_commands{8500, 8600};       // listed text file f
constexpr command_range text_file_header_commands{8810, 8900}; // "&1 : %s ～" ... step 10
constexpr command_range text_file_group_commands{8950, 8976}; // "&A" ... "&Z", 8950 also "なし"
constexpr int32_t list_separator_id = 8999;                   // history and text-file separators
constexpr command_range text_line_commands{9000, 14000};      // line n of the opened text file

// Inside one secondary popup only.
constexpr int32_t recent_popup_separator_id = 8099;
constexpr int32_t recent_popup_normal_start = 8100; // "&@ 通常起動"
constexpr int32_t popup_separator_id = 8199;
constexpr int32_t popup_normal_start = 8200;         // "&@ 通常起動"

constexpr int32_t text_line_capacity = 5000;

namespace command_id_checks {

constexpr command_range single(int32_t id) { return command_range{id, id + 1}; }

constexpr command_range ranges[] = {
    item_commands,          single(clipboard_command),     single(recent_menu_command),
    single(recent_more_command), single(window_menu_command), window_commands,
    single(version_menu_command), single(data_file_command), single(manual_command),
    single(recorder_command), single(text_file_menu_command), single(version_separator_id),
    single(utility_separator_id), window_popup_commands,    history_commands,
    single(popup_separator_id), single(popup_normal_start), history_group_commands,
    text_file_commands,     text_file_header_commands,     text_file_group_commands,
    single(list_separator_id), text_line_commands,
};
constexpr int range_count = sizeof ranges / sizeof ranges[0];

constexpr bool disjoint()
{
    for (int a = 0; a < range_count; ++a)
        for (int b = a + 1; b < range_count; ++b)
            if (ranges[a].first < ranges[b].end && ranges[b].first < ranges[a].end)
                return false;
    return true;
}

constexpr int32_t size(command_range r) { return r.end - r.first; }

} // namespace command_id_checks

static_assert(command_id_checks::disjoint(), "command id ranges overlap");
static_assert(command_id_checks::size(item_commands) >= item_capacity, "items do not fit their ids");
static_assert(command_id_checks::size(window_commands) >= filtered_window_limit, "window submenu ids");
static_assert(command_id_checks::size(window_popup_commands) >= window_list_capacity, "window popup ids");
static_assert(command_id_checks::size(history_commands) >= 101, "100 history entries and the current one");
static_assert(command_id_checks::size(text_file_commands) >= text_file_capacity, "text file ids");
static_assert(command_id_checks::size(text_line_commands) >= text_line_capacity, "text line ids");
static_assert(command_id_checks::size(text_file_group_commands) >= 26, "lettered groups A to Z");
static_assert(command_id_checks::size(text_file_header_commands) >= 9 * 10 - 9, "headers 1 to 9");
