// Building the main menu model at full scale: 3,000 item-store entries with groups, nested groups,
// separators and column breaks, plus 20 listed windows for the utility entries.
#include <benchmark/benchmark.h>

#include <string>

#include "target/target.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "menus/main_menu.h"
#include "menus/menu_model.h"
#include "os/fake/os_fake.h"
#include "text/sjis.h"

namespace {

menu_model model;

void add_entry(int32_t kind, int32_t depth, const std::string &text)
{
    item_entry &e = store.items[store.item_count++];
    e.kind = kind;
    e.depth = depth;
    copy_text(e.text, sizeof e.text, text.c_str());
    copy_text(e.caption, sizeof e.caption, ("&" + text).c_str());
    copy_text(e.plain_caption, sizeof e.plain_caption, text.c_str());
}

// 40 groups of 20 items (a separator every 5, one nested group of 3), then top-level items with
// separators and column breaks up to 3,000 entries. Returns the index of the last top-level group.
int32_t fill_full_store()
{
    reset_settings();
    reset_item_store();
    reset_target_state();
    reset_fake_system();
    int32_t last_group = 0;
    for (int g = 0; g < 40; ++g) {
        last_group = store.item_count;
        add_entry(group_open, 0, "グループ" + std::to_string(g));
        for (int i = 0; i < 20; ++i) {
            if (i % 5 == 4)
                add_entry(separator_mark, 1, "");
            add_entry(text_item, 1, "定型文 " + std::to_string(g) + "-" + std::to_string(i));
        }
        add_entry(group_open, 1, "入れ子");
        for (int i = 0; i < 3; ++i)
            add_entry(text_item, 2, "入れ子の定型文 " + std::to_string(i));
        add_entry(group_close, 2, "");
        add_entry(group_close, 1, "");
    }
    for (int i = 0; store.item_count < data_item_limit; ++i) {
        if (i % 10 == 9)
            add_entry(separator_mark, 0, "");
        else if (i % 97 == 96)
            add_entry(column_break_mark, 0, "");
        else
            add_entry(text_item, 0, "本文 " + std::to_string(i));
    }
    for (int w = 0; w < filtered_window_limit; ++w) {
        windows.window_handle[w] = static_cast<os_window>(100 + w);
        windows.window_has_caption[w] = 1;
        copy_text(windows.window_exe_name[w], 260, ("app" + std::to_string(w)).c_str());
        copy_text(windows.window_title[w], 260, "無題 - メモ帳");
    }
    windows.window_count = filtered_window_limit;
    return last_group;
}

void BM_build_main_menu(benchmark::State &state)
{
    fill_full_store();
    for (auto _ : state) {
        int32_t root = build_main_menu(&model);
        benchmark::DoNotOptimize(root);
        benchmark::DoNotOptimize(model.entry_count);
    }
    state.counters["entries"] = model.entry_count;
}
BENCHMARK(BM_build_main_menu);

// What the front does when a group opens: a fresh model, one level filled.
void BM_fill_last_group(benchmark::State &state)
{
    const int32_t group = fill_full_store();
    for (auto _ : state) {
        reset_menu_model(&model);
        int32_t menu = create_menu(&model, menu_lazy_group, group);
        fill_lazy_menu(&model, menu);
        benchmark::DoNotOptimize(model.entry_count);
    }
}
BENCHMARK(BM_fill_last_group);

} // namespace
