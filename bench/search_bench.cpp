// One search pass (a keystroke in the search window) over 3,000 text items with Japanese and ASCII
// captions, some holding characters whose trail byte is 0x5C. Plain: prefix and substring, patterns
// of 1, 2 and 5 characters; the same pass with and without "@kana=1" (captions folded at load, the
// pattern once per pass). Romaji (when built with libmigemo and libonig): the fake migemo.dll and
// BREGEXP.DLL forward to Debian's libmigemo with the cp932 dictionary and to BREGEXP's adapter, so a
// pass makes one real migemo_query and one BMatch per candidate, as the program does.
#include <benchmark/benchmark.h>

#include <string>

#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "os/fake/os_fake.h"
#include "search/matching.h"
#include "search/result_list.h"
#include "search/search_state.h"
#include "text/sjis.h"

#ifdef MIVRA_BENCH_ROMAJI
#include <migemo.h>

#include "bregexp/bregexp.h"
#endif

namespace {

const char *const phrases[] = {
    "漢字の練習", "ソフトウェアの表示設定", "会議の予定", "申請書の控え", "十分な能力", "構成管理メモ",
    "感じのよい挨拶", "幹事への連絡", "機能の説明", "貼り付け用の署名", "Meeting notes", "Address: Tokyo",
    "mail signature", "ポイント還元のお知らせ", "Thank you for your order", "見積書 (Estimate)"};
constexpr int phrase_count = sizeof phrases / sizeof phrases[0];

search_result result;

void fill_store(int32_t kind)
{
    reset_settings();
    reset_item_store();
    reset_matching_state();
    reset_fake_system();
    search_run.search_kind = kind;
    for (int i = 0; i < data_item_limit; ++i) {
        item_entry &e = store.items[store.item_count++];
        e.kind = text_item;
        const std::string caption = std::string(phrases[i % phrase_count]) + " " + std::to_string(i);
        copy_text(e.plain_caption, sizeof e.plain_caption, caption.c_str());
        copy_text(e.caption, sizeof e.caption, caption.c_str());
        copy_text(e.text, sizeof e.text, "本文");
    }
}

void run_passes(benchmark::State &state, const char *pattern)
{
    for (auto _ : state) {
        search_action action = search_pass(0, pattern, &result);
        benchmark::DoNotOptimize(action);
    }
    state.counters["hits"] = result.count;
}

// Patterns of 1, 2 and 5 characters, ASCII and double-byte ("表" and "ソ" end in 0x5C).
const char *const plain_patterns[] = {"m", "表", "me", "漢字", "notes", "ソフトウェ"};
const char *const plain_labels[] = {"ascii1", "dbcs1", "ascii2", "dbcs2", "ascii5", "dbcs5"};

// Arguments: search_kind (1 prefix, 2 substring), the pattern's index.
void BM_search_plain(benchmark::State &state)
{
    fill_store(static_cast<int32_t>(state.range(0)));
    state.SetLabel(plain_labels[state.range(1)]);
    run_passes(state, plain_patterns[state.range(1)]);
}
BENCHMARK(BM_search_plain)
    ->ArgsProduct({{search_prefix, search_substring}, {0, 1, 2, 3, 4, 5}})
    ->Unit(benchmark::kMicrosecond);

// Full-width and half-width katakana: without the fold only the first finds its captions.
const char *const kana_patterns[] = {"ソフト", "ｿﾌﾄ"};
const char *const kana_labels[] = {"full-width", "half-width"};

// Arguments: @kana (0, 1), search_kind, the pattern's index.
void BM_search_kana(benchmark::State &state)
{
    fill_store(static_cast<int32_t>(state.range(1)));
    settings.kana_fold = static_cast<int32_t>(state.range(0));
    if (settings.kana_fold == 1)
        fold_item_captions();
    state.SetLabel(std::string(settings.kana_fold == 1 ? "folded " : "not folded ") +
                   kana_labels[state.range(2)]);
    run_passes(state, kana_patterns[state.range(2)]);
}
BENCHMARK(BM_search_kana)
    ->ArgsProduct({{0, 1}, {search_prefix, search_substring}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

#ifdef MIVRA_BENCH_ROMAJI
constexpr char dictionary[] = "/usr/share/cmigemo/cp932/migemo-dict";

template <typename T> T *to(uintptr_t a) { return reinterpret_cast<T *>(a); }
uintptr_t from(const void *p) { return reinterpret_cast<uintptr_t>(p); }

uintptr_t open_real(const uintptr_t *a) { return from(migemo_open(to<const char>(a[0]))); }
uintptr_t query_real(const uintptr_t *a)
{
    return from(migemo_query(to<migemo>(a[0]), to<const unsigned char>(a[1])));
}
uintptr_t release_real(const uintptr_t *a)
{
    return migemo_release(to<migemo>(a[0]), to<unsigned char>(a[1])), 0;
}
uintptr_t close_real(const uintptr_t *a) { return migemo_close(to<migemo>(a[0])), 0; }
uintptr_t bmatch_real(const uintptr_t *a)
{
    return static_cast<uintptr_t>(
        BMatch(to<char>(a[0]), to<char>(a[1]), to<char>(a[2]), to<BREGEXP *>(a[3]), to<char>(a[4])));
}
uintptr_t bregfree_real(const uintptr_t *a) { return BRegfree(to<BREGEXP>(a[0])), 0; }

const char *const romaji_patterns[] = {"ka", "kanji"};

// Arguments: search_kind, the romaji pattern's index ("ka" gives a 2,242-byte expression).
void BM_search_romaji(benchmark::State &state)
{
    fill_store(static_cast<int32_t>(state.range(0)));
    state.SetLabel(romaji_patterns[state.range(1)]);
    fake.libraries["migemo.dll"] = {{"migemo_open", open_real}, {"migemo_query", query_real},
                                    {"migemo_release", release_real}, {"migemo_close", close_real}};
    fake.libraries["BREGEXP.DLL"] = {{"BMatch", bmatch_real}, {"BRegfree", bregfree_real}};
    copy_text(settings.migemo_dict_path, sizeof settings.migemo_dict_path, dictionary);
    search_run.migemo_on = 1;
    if (!load_matching_libraries(0)) {
        state.SkipWithError("migemo.dll or BREGEXP.DLL did not load (is the cp932 dictionary there?)");
        return;
    }
    run_passes(state, romaji_patterns[state.range(1)]);
    if (result.count == 0)
        state.SkipWithError("the romaji pass found nothing");
    unload_matching_libraries(0);
}
BENCHMARK(BM_search_romaji)
    ->ArgsProduct({{search_prefix, search_substring}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
#endif

} // namespace
