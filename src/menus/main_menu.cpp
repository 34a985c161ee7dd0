#include "menus/main_menu.h"

#include <cstdio>
#include <cstring>

#include "choice/choice.h"
#include "datafile/item_store.h"
#include "datafile/log.h"
#include "datafile/settings.h"
#include "menus/history_menu.h"
#include "menus/item_caption.h"
#include "menus/recent_menu.h"
#include "menus/text_file_menu.h"
#include "menus/window_popup.h"
#include "target/target.h"
#include "text/sjis.h"

namespace {

constexpr int32_t mark_none = 0;
constexpr int32_t mark_separator = 1;
constexpr int32_t mark_column_break = 2;

const char clipboard_caption[] = "クリップボード ( &1 )";
const char window_menu_format[] = "選択 [ %s ] ( &2 )";
const char version_caption[] = "Ver." MIVRA_VERSION " ( &0 )"; // MIVRA_VERSION: CMakeLists.txt
const char recorder_stop_caption[] = "履歴停止 ( &R )";
const char recorder_start_caption[] = "履歴開始 ( &R )";
const char data_file_caption[] = "設定ファイル ( &S )";
const char manual_caption[] = "説明書 ( &H )";
const char text_file_menu_caption[] = "データファイル ( &3 )";

// A separator or column break waiting for the next entry of its level, with the index of its line.
struct pending_mark {
    int32_t kind; // mark_*
    int32_t item;
};

// Appends the entry and gives its index in the model, so that a group can attach its submenu.
int32_t append_item(menu_model *m, int32_t menu, int32_t index, const char *caption, pending_mark *pending)
{
    uint32_t flags = 0;
    if (pending->kind == mark_separator)
        append_menu_entry(m, menu, item_commands.first + pending->item, menu_separator, "", -1);
    else if (pending->kind == mark_column_break)
        flags = menu_column_break;
    pending->kind = mark_none;
    return append_menu_entry(m, menu, item_commands.first + index, flags, caption, -1);
}

void append_separator(menu_model *m, int32_t menu, int32_t id)
{
    append_menu_entry(m, menu, id, menu_separator, "", -1);
}

// Window submenu entries: only the first 20 windows, the range of ids the dispatch knows.
void build_window_menu(menu_model *m, int32_t menu)
{
    const int32_t selected = windows.window_selected;
    const char *selected_name =
        (selected >= 0 && selected < windows.window_count) ? windows.window_exe_name[selected] : "";
    char caption[600];
    snprintf(caption, sizeof caption, window_menu_format, selected_name);
    const int32_t sub = create_menu(m, menu_filled, 0);
    append_menu_entry(m, menu, window_menu_command, 0, caption, sub);
    if (sub < 0)
        return;
    const int32_t shown =
        windows.window_count < filtered_window_limit ? windows.window_count : filtered_window_limit;
    for (int32_t w = 0; w < shown; ++w) {
        window_entry_caption(w, caption, sizeof caption);
        append_menu_entry(m, sub, window_commands.first + w, w == selected ? uint32_t{menu_checked} : 0u,
                          caption, -1);
    }
}

void build_version_menu(menu_model *m, int32_t menu)
{
    const int32_t sub = create_menu(m, menu_filled, 0);
    append_menu_entry(m, menu, version_menu_command, 0, version_caption, sub);
    if (sub < 0)
        return;
    const char *recorder_caption = nullptr;
    if (settings.history_running == 1)
        recorder_caption = recorder_stop_caption;
    else if (os_file_exists(settings.recorder_path))
        recorder_caption = recorder_start_caption;
    if (recorder_caption != nullptr) {
        append_menu_entry(m, sub, recorder_command, 0, recorder_caption, -1);
        append_separator(m, sub, version_separator_id);
    }
    append_menu_entry(m, sub, data_file_command, 0, data_file_caption, -1);
    append_menu_entry(m, sub, manual_command, 0, manual_caption, -1);
}

// The new target is captured; the front shows the main menu again at its caret.
choice_result choose_window(os_window window, int32_t w)
{
    return choose_listed_window(window, w) ? choice_continue : choice_cancelled;
}

} // namespace

void fill_item_menu(menu_model *m, int32_t menu, int32_t index, int32_t offset)
{
    clear_menu(m, menu);
    const int32_t start = index + offset;
    if (start < 0 || start >= store.item_count)
        return;
    // A mark with no entry after it on its level shows nothing, here or in the next menu.
    pending_mark pending{mark_none, 0};
    const int32_t base = store.items[start].depth;
    char caption[path_capacity];
    for (int32_t i = start; i < store.item_count; ++i) {
        const item_entry &item = store.items[i];
        if (item.depth < base)
            break;
        if (item.depth > base)
            continue; // inside a nested group
        switch (item.kind) {
        case text_item:
            item_caption(i, caption_main_menu, caption);
            append_item(m, menu, i, caption, &pending);
            break;
        case separator_mark:
            pending = pending_mark{mark_separator, i};
            break;
        case column_break_mark:
            pending = pending_mark{mark_column_break, i};
            break;
        case group_open: {
            const int32_t entry = append_item(m, menu, i, item.caption, &pending);
            if (entry >= 0)
                m->entries[entry].submenu = create_menu(m, menu_lazy_group, i);
            break;
        }
        case group_close:
            pending.kind = mark_none;
            break;
        default:
            break;
        }
    }
}

int32_t build_main_menu(menu_model *m)
{
    reset_menu_model(m);
    const int32_t root = create_menu(m, menu_filled, 0);
    fill_item_menu(m, root, 0, 0);
    build_utility_menu(m, root);
    return root;
}

void build_utility_menu(menu_model *m, int32_t menu)
{
    bool recent_added = false;
    if (settings.log_mode > log_off && log_entry_count > 0) {
        if (store.item_count > 0)
            append_separator(m, menu, utility_separator_id);
        if (settings.log_mode == log_submenu) {
            const int32_t recent = create_menu(m, menu_filled, 0);
            append_menu_entry(m, menu, recent_menu_command, 0, recent_menu_caption, recent);
            if (recent >= 0)
                fill_recent_menu(m, recent);
        } else {
            fill_recent_menu(m, menu);
        }
        recent_added = true;
    }

    if (settings.history_running == 1 || choice_run.output_mode != output_clipboard_only) {
        if (store.item_count > 0 || recent_added)
            append_separator(m, menu, utility_separator_id);
        const int32_t history = settings.history_running == 1 ? create_menu(m, menu_lazy_history, 0) : -1;
        append_menu_entry(m, menu, clipboard_command, 0, clipboard_caption, history);
    }
    if (choice_run.output_mode != output_clipboard_only && windows.window_count > 0) {
        append_separator(m, menu, utility_separator_id);
        build_window_menu(m, menu);
    }
    if (settings.file_section_enabled == 1 && store.text_file_count > 0) {
        append_separator(m, menu, utility_separator_id);
        const int32_t files = create_menu(m, menu_filled, 0);
        append_menu_entry(m, menu, text_file_menu_command, 0, text_file_menu_caption, files);
        if (files >= 0)
            fill_text_file_list_menu(m, files, 1);
    }
    if (choice_run.output_mode != output_clipboard_only || settings.history_running == 1 || windows.window_count > 0 ||
        store.item_count > 0 || recent_added)
        append_separator(m, menu, utility_separator_id);
    build_version_menu(m, menu);
}

void fill_lazy_menu(menu_model *m, int32_t menu)
{
    if (menu < 0 || menu >= m->menu_count)
        return;
    const menu_node &node = m->menus[menu];
    if (node.lazy == menu_lazy_group)
        fill_item_menu(m, menu, node.owner, 1);
    else if (node.lazy == menu_lazy_text_file)
        fill_text_file_menu(m, menu, node.owner);
    else if (node.lazy == menu_lazy_history)
        fill_history_menu(m, menu);
}

choice_result dispatch_menu_command(os_window window, int32_t id)
{
    if (item_commands.holds(id))
        return finish_item(window, id - item_commands.first);
    if (id == clipboard_command)
        return finish_clipboard(window);
    if (window_commands.holds(id))
        return choose_window(window, id - window_commands.first);
    if (history_commands.holds(id))
        return choose_history_entry(window, id);
    // A line of the file whose submenu opened last; a file gone meanwhile pastes nothing.
    if (text_line_commands.holds(id))
        return load_text_file_line(id - text_line_commands.first) ? finish_text(window) : choice_cancelled;
    if (id == data_file_command)
        open_in_editor(settings.data_file_path);
    else if (id == manual_command)
        open_in_editor(settings.manual_path);
    else if (id == recorder_command)
        switch_recorder();
    // The shell commands end the activation; every other id (a separator, a header) does nothing.
    return choice_cancelled;
}
