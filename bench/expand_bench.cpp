// The macro passes over large texts: a text with a macro every ~100 bytes (date, time, folder,
// clipboard, tab and line-break macros, and user macros of the replace rows) and 100 replace
// rows, expanded in place in output_text. Sizes 100 KB, 300 KB and 1 MB show how the time grows.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "expand/expand.h"
#include "os/fake/os_fake.h"
#include "output/output_state.h"
#include "text/sjis.h"

namespace {

const char *const macros[] = {"%4y%", "%0m%", "%dd%", "%HH%", "%lw%", "%rn%",   "%Windows%", "%CLP%",
                              "%tb%", "%ap%", "%sm%", "%ii%", "%0s%", "@row7@", "@row42@",   "@row99@"};

// Words (some of them double-byte) between the macros, padded with blanks to an even gap.
std::string make_text(size_t size, size_t macro_count)
{
    const char *const words[] = {"lorem ", "ipsum ", "漢字かな交じり文 ", "dolor ", "カタカナ ", "amet, "};
    std::string text;
    text.reserve(size + 64);
    size_t gap = size / macro_count;
    for (size_t i = 0; i < macro_count; ++i) {
        const char *macro = macros[i % (sizeof macros / sizeof macros[0])];
        size_t end = text.size() + (gap > strlen(macro) ? gap - strlen(macro) : 0);
        for (size_t w = i; text.size() + strlen(words[w % 6]) <= end; ++w)
            text += words[w % 6];
        text.append(end - text.size(), ' ');
        text += macro;
    }
    return text;
}

void set_up_world()
{
    reset_settings();
    reset_item_store();
    reset_output_state();
    reset_fake_system();
    expansion.replace_enabled = 1;
    fake.clipboard = "clipboard";
    fake.clipboard_has_text = true;
    fake.folders[0x24] = "C:\\windows";
    for (int i = 0; i < 100; ++i) {
        std::string from = "@row" + std::to_string(i) + "@";
        std::string to = "replacement " + std::to_string(i);
        copy_text(store.replace_from[i], 260, from.c_str());
        copy_text(store.replace_to[i], 260, to.c_str());
    }
    store.replace_count = 100;
}

void BM_expand_in_place(benchmark::State &state)
{
    size_t size = static_cast<size_t>(state.range(0)) * 1024;
    size_t macro_count = static_cast<size_t>(state.range(1));
    set_up_world();
    std::string text = make_text(size, macro_count);
    for (auto _ : state) {
        memcpy(output.output_text, text.c_str(), text.size() + 1);
        apply_macros(7, 0);
        benchmark::DoNotOptimize(output.output_text[0]);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["out_bytes"] = static_cast<double>(strlen(output.output_text));
}
BENCHMARK(BM_expand_in_place)
    ->Args({100, 1000})
    ->Args({300, 3000})
    ->Args({1024, 10000})
    ->Unit(benchmark::kMillisecond);

// The item text path of every chooser: break marks to CR LF, then the macros.
void BM_prepare_chosen_text(benchmark::State &state)
{
    size_t size = static_cast<size_t>(state.range(0)) * 1024;
    set_up_world();
    std::string text = make_text(size, size / 100);
    for (size_t i = 50; i < text.size(); i += 200)
        text.replace(i, 3, "↓");
    for (auto _ : state) {
        memcpy(output.output_text, text.c_str(), text.size() + 1);
        prepare_chosen_text(7);
        benchmark::DoNotOptimize(output.output_text[0]);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_prepare_chosen_text)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
