#include "datafile_support.h"

#include "choice/choice.h"
#include "expand/expand.h"
#include "search/geometry.h"
#include "search/matching.h"
#include "search/result_list.h"
#include "search/search_keys.h"
#include "search/search_enter.h"
#include "search/search_output.h"
#include "search/search_state.h"

namespace {

const os_window main_window = 1, search_window = 2, edit_line = 3;

// The fake migemo.dll and BREGEXP.DLL record their calls here. BMatch matches candidates that
// begin with "y" and fails on those that begin with "e".
std::vector<std::string> calls;
const char *expression = "(ka|か)";
std::string long_expression;
const char *c_str(uintptr_t p) { return p ? reinterpret_cast<const char *>(p) : "null"; }
uintptr_t migemo_open(const uintptr_t *a) { return calls.push_back(std::string("open ") + c_str(a[0])), 0x77; }
uintptr_t migemo_query(const uintptr_t *a)
{
    calls.push_back("query " + std::to_string(a[0]) + " " + c_str(a[1]));
    return reinterpret_cast<uintptr_t>(expression);
}
uintptr_t migemo_release(const uintptr_t *a) { return calls.push_back(std::string("release ") + c_str(a[1])), 0; }
uintptr_t migemo_close(const uintptr_t *a) { return calls.push_back("close " + std::to_string(a[0])), 0; }
uintptr_t migemo_setproc(const uintptr_t *a)
{
    const bool ours = a[1] == reinterpret_cast<uintptr_t>(&escape_expression_char);
    return calls.push_back("int2char " + std::to_string(a[0]) + (ours ? " escape" : " other")), 0;
}
uintptr_t bmatch(const uintptr_t *a)
{
    const char *candidate = c_str(a[1]);
    uintptr_t *compiled = reinterpret_cast<uintptr_t *>(a[3]);
    calls.push_back(std::string("BMatch ") + c_str(a[0]) + " " + candidate + " end+" +
                    std::to_string(a[2] - a[1]) + " rx " + std::to_string(*compiled));
    *compiled = 0x99;
    return candidate[0] == 'y' ? 1 : candidate[0] == 'e' ? static_cast<uintptr_t>(-1) : 0;
}
uintptr_t bregfree(const uintptr_t *a) { return calls.push_back("BRegfree " + std::to_string(a[0])), 0; }

std::vector<int> corners(const os_rect &r) { return {r.left, r.top, r.right, r.bottom}; }

std::string joined()
{
    std::string s;
    for (const std::string &c : calls)
        s += (s.empty() ? "" : "\n") + c;
    calls.clear();
    return s;
}

class SearchWindow : public ::testing::Test {
  protected:
    datafile_dir files;
    std::string dict = files.path("dict");
    void SetUp() override
    {
        reset_process_state();
        reset_fake_system();
        calls.clear();
        expression = "(ka|か)";
        settings.main_window = main_window;
        search_run.search_kind = search_prefix;
        target.target_window = 11;
        add_listed_window(11, 1, "notepad", "memo");
        fake.libraries["migemo.dll"] = {{"migemo_open", migemo_open}, {"migemo_query", migemo_query},
                                        {"migemo_release", migemo_release}, {"migemo_close", migemo_close}};
        fake.libraries["BREGEXP.DLL"] = {{"BMatch", bmatch}, {"BRegfree", bregfree}};
        std::ofstream(dict) << "dict";
        copy_text(settings.migemo_dict_path, 260, dict.c_str());
    }
    // An item as the loader stores it: "&" marks leave the plain caption of a text item; a
    // utility entry has only its plain and list caption.
    static int32_t add(const char *caption, const char *text = "t", int show_text = 0, int32_t kind = text_item)
    {
        item_entry &item = store.items[store.item_count] = item_entry{};
        item.kind = kind;
        copy_text(item.caption, 260, kind == text_item ? caption : "");
        copy_text(item.plain_caption, 260, caption);
        if (kind == text_item)
            remove_byte(item.plain_caption, '&');
        copy_text(item.list_caption, 260, item.plain_caption);
        copy_text(item.text, 260, text);
        item.show_text = show_text;
        return store.item_count++;
    }
    static void add_utility(const char *caption) { add(caption, "", 0, utility_entry); }
    static std::string listed(const search_result &r)
    {
        std::string s;
        for (int32_t i = 0; i < r.count; ++i)
            s += std::string(i ? "|" : "") + store.items[r.entries[i]].list_caption;
        return s;
    }
};

// The plain routes (prefix, substring) are the passes' rows below; text_test pins their folding. The
// romaji route asks migemo once per pass, compiles per candidate and fails closed.
TEST_F(SearchWindow, RomajiRouteAsksOncePerPassAndFailsClosed)
{
    fake.libraries["migemo.dll"]["migemo_setproc_int2char"] = migemo_setproc;
    ASSERT_EQ(load_matching_libraries(0), 1);
    search_run.migemo_on = 1;
    EXPECT_EQ(joined(), "open " + dict + "\nint2char 119 escape");
    // Perl's special characters escaped ("C++" in the dictionary), Shift-JIS whole, the rest as is.
    for (const auto &[code, written] : {std::pair{0x2bu, "\\+"}, {0x7cu, "\\|"}, {0x2du, "\\-"}, {0x61u, "a"},
                                        {0xb1u, "\xb1"}, {0x82a0u, "\x82\xa0"}, {0x835cu, "\x83\x5c"}}) {
        unsigned char out[2] = {};
        const int length = escape_expression_char(code, out);
        EXPECT_EQ(std::string(reinterpret_cast<char *>(out), static_cast<size_t>(length)), written) << code;
        EXPECT_EQ(escape_expression_char(code, nullptr), length);
    }
    for (const auto &[kind, built] : {std::pair{search_prefix, "m/^(ka|か)/ki"}, {search_substring, "m/(ka|か)/ki"}}) {
        search_run.search_kind = kind;
        EXPECT_EQ(std::vector<int>({match("yes", "ka"), match("err", "ka")}), std::vector<int>({1, 0}));
        const std::string b = std::string("BMatch ") + built;
        EXPECT_EQ(joined(), "query 119 ka\nrelease (ka|か)\n" + b + " yes end+3 rx 0\nBRegfree 153\n" + b +
                                " err end+3 rx 0\nBRegfree 153");
        end_search_pass();
        EXPECT_EQ(matching.regex_pattern_built, 0);
    }
    // A query with spaces: each word on its own, grouped, joined by the same spaces.
    EXPECT_EQ(build_regex_pattern("c  ka"), 1);
    EXPECT_STREQ(matching.regex_pattern, "m/(?:(ka|か))  (?:(ka|か))/ki");
    EXPECT_EQ(joined(), "query 119 c\nrelease (ka|か)\nquery 119 ka\nrelease (ka|か)");
    end_search_pass();
    // Below migemo_min_length the plain route answers.
    EXPECT_EQ(match("kan", "k"), 1);
    EXPECT_EQ(joined(), "");
    // Failed builds are non-matches, retried per candidate.
    expression = nullptr;
    EXPECT_EQ(std::vector<int>({match("yes", "ka"), match("yes", "ka")}), std::vector<int>({0, 0}));
    EXPECT_EQ(joined(), "query 119 ka\nrelease null\nquery 119 ka\nrelease null");
    expression = "";
    EXPECT_EQ(match("yes", "ka"), 0) << "an empty expression would match everything";
    long_expression.assign(regex_pattern_capacity, 'a');
    expression = long_expression.c_str();
    EXPECT_EQ(match("yes", "ka"), 0) << "an expression too long for the buffer";
    fake.libraries["migemo.dll"].erase("migemo_query");
    fake.libraries["BREGEXP.DLL"].erase("BRegfree");
    expression = "x";
    EXPECT_EQ(match("yes", "ka"), 0) << "no migemo_query";
    EXPECT_EQ(regex_match("yes", "m/x/ki"), 1) << "a missing BRegfree only skips the release";
    fake.libraries["BREGEXP.DLL"].erase("BMatch");
    EXPECT_EQ(regex_match("yes", "m/x/ki"), 0) << "no BMatch";
}

TEST_F(SearchWindow, LoadingFailsWithoutDictionaryLibraryOrEntryAndLeavesNothingLoaded)
{
    // Name, the file, library or entry removed, fake events, library calls.
    const std::tuple<const char *, std::string, std::string, std::string> rows[] = {
        {"no dictionary file", dict, "", ""},
        {"no migemo_open", "migemo_open", "load migemo.dll\nfree migemo.dll", ""},
        {"no BREGEXP.DLL", "BREGEXP.DLL", "load migemo.dll\nfree migemo.dll", "open " + dict + "\nclose 119"},
    };
    for (const auto &[name, removed, events, library_calls] : rows) {
        SetUp();
        if (removed == dict)
            remove(dict.c_str());
        fake.libraries.erase(removed);
        fake.libraries["migemo.dll"].erase(removed);
        EXPECT_EQ(load_matching_libraries(0), 0) << name;
        EXPECT_EQ(fake_events(), events) << name;
        EXPECT_EQ(joined(), library_calls) << name;
    }
}

TEST_F(SearchWindow, PassListsCaptionsAndAcceptsAOneHitByTheFiveRules)
{
    const search_action end1 = action_end_finished, listing = action_show_list, clip = action_clipboard_entry;
    // Name, pattern (substring search), match_accept, windows -> result, listed (with the preview or not),
    // events.
    const std::tuple<const char *, const char *, int, int, search_action, std::string, std::string> rows[] = {
        {"empty pattern", "", 0, 1, action_nothing, "", ""},
        {"without match_accept one hit lists, no utility entries", "e", 0, 1, listing, "Beta +preview", ""},
        {"& alone lists every utility entry", "&", 1, 1, listing,
         "&1 : クリップボード|&2 : 設定ファイル|&9 : Ver.1.38", ""},
        {"one text hit is accepted at once", "b", 1, 1, action_keep_open, "Beta",
         "foreground 11\nsetsel 0 0 0\ntimer 620"},
        {"one text hit without a window", "b", 1, 0, action_end_no_target, "Beta", ""},
        {"&2 opens the data file", "&2", 1, 1, end1, "&2 : 設定ファイル", "shell /d/Mivra.ini||"},
        {"&9 only lists", "&9", 1, 1, listing, "&9 : Ver.1.38", ""},
        {"&1 with match_accept", "&1", 1, 1, clip, "&1 : クリップボード", ""},
        {"&1 otherwise lists", "&1", 0, 1, listing, "&1 : クリップボード", ""},
    };
    for (const auto &[name, pattern, accept, window_count, result, lines, events] : rows) {
        SetUp();
        add("&Alpha");
        add("Beta");
        for (const char *utility : {"&1 : クリップボード", "&2 : 設定ファイル", "&9 : Ver.1.38"})
            add_utility(utility);
        copy_text(settings.data_file_path, 260, "/d/Mivra.ini");
        search_run.search_kind = search_substring;
        settings.match_accept = accept;
        settings.preview_mode = preview_above;
        windows.window_count = window_count;
        search_result r;
        EXPECT_EQ(search_pass(search_window, pattern, &r), result) << name;
        EXPECT_EQ(listed(r) + (r.show_preview ? " +preview" : ""), lines) << name;
        EXPECT_EQ(fake_events(), events) << name;
    }
    // The initial word stands for the edit line's text while initial_word_state is 1.
    search_result r;
    search_run.initial_word_state = 1;
    copy_text(settings.initial_search_word, 260, "zz");
    EXPECT_EQ(search_pass(search_window, "al", &r), action_nothing);
}

// "@kana=1" folds captions at load and the pattern once per pass (rows of one value run in a row).
TEST_F(SearchWindow, KanaOptionFoldsKanaWidthAndCaseInPlainPasses)
{
    // Name, @kana, search kind, pattern -> listed.
    const std::tuple<const char *, int, int32_t, const char *, const char *> rows[] = {
        {"on: half-width finds full-width at the start", 1, search_prefix, "ｶﾀ", "カタログ"},
        {"on: only a prefix at the start, the last pass's pattern dropped", 1, search_prefix, "ろぐ", ""},
        {"on: hiragana, ASCII find katakana, full-width", 1, search_substring, "bc表ろぐ", "ＡＢＣ表ログ"},
        {"off: half-width does not find full-width", 0, search_prefix, "ｶﾀ", ""},
    };
    const std::string items = "%end\n[data]\nt | カタログ\nt | ガラス\nt | ＡＢＣ表ログ\n";
    datafile_dir d;
    for (const auto &[name, kana, kind, pattern, lines] : rows) {
        if (store.item_count == 0 || settings.kana_fold != kana)
            ASSERT_EQ(d.load("[system]\n@kana=" + std::to_string(kana) + "\n" + items), 1);
        search_run.search_kind = kind;
        search_result r;
        search_pass(search_window, pattern, &r);
        EXPECT_EQ(listed(r), lines) << name;
    }
}

TEST_F(SearchWindow, ListCaptionsAndPreviewsShowTextOrFileAndALineStandsForTheItemKeptWithIt)
{
    add("Same", "first");
    add("same", "second");
    add("Shown", "0123456789012345678表890", 1); // 表 at bytes 19-20: the cut splits it
    const int32_t file = add("memo.txt", "/tmp/memo.txt", 1);
    store.items[file].is_file = 1;
    copy_text(store.items[file].file_param, 260, "-n");
    add("Keys", "x↓%$tb%y");
    search_result r;
    EXPECT_EQ(search_pass(search_window, "s", &r), action_show_list);
    EXPECT_EQ(listed(r), "Same|same|0123456789012345678\x95");
    EXPECT_EQ(list_all(&r), 5);
    EXPECT_EQ(listed(r), "Same|same|0123456789012345678\x95|memo.txt >-n|Keys");
    expansion.sendkey_file_enabled = 1;
    settings.preview_size_limit = 0;
    EXPECT_EQ(make_preview_text(search_window, "memo.txt >-n", -1), 1);
    EXPECT_STREQ(output.output_text, "! memo.txt >-n - memo.txt");
    output.unregistered_key_flag = 1;
    EXPECT_EQ(make_preview_text(search_window, "keys", -1), 1);
    EXPECT_STREQ(output.output_text, "x\r\n [09] y");
    EXPECT_EQ(output.unregistered_key_flag, 0) << "every text preview starts clean";
    EXPECT_EQ(make_preview_text(search_window, "&9 : Ver.1.38", -1), 0);
    EXPECT_EQ(find_listed_item("Sam"), -1);
    EXPECT_TRUE(make_preview_text(search_window, "same", 1) && listed_item("same", 2) == 0);
    EXPECT_STREQ(output.output_text, "second") << "the kept item's; unfitting data: the first";
    copy_text(store.items[file].file_caption, 260, "My memo");
    list_all(&r);
    EXPECT_STREQ(store.items[file].list_caption, "My memo");
    settings.log_mode = log_submenu;
    EXPECT_EQ(recent_list_style(), 0x50200101u) << "recent items in log order";
}

TEST_F(SearchWindow, SearchWindowStaysOnScreen)
{
    // Defaults: search 130 x 23, list 160 x 150 below it, offsets (10, 30); screen 1280 x 984.
    settings.screen_width = 1280, settings.screen_height = 984;
    struct row {
        const char *name;
        int32_t preview_mode, preview_width, preview_height, caret_x, caret_y, with_offsets;
        std::vector<int> list, preview; // preview {} when none
        uint32_t dpi = 96;
    } rows[] = {
        {"beside the caret with offsets", 0, 0, 0, 100, 100, 1, {110, 153, 270, 303}, {}},
        {"at the caret without offsets", 0, 0, 0, 100, 100, 0, {100, 123, 260, 273}, {}},
        {"above and left of the screen", 0, 0, 0, -100, -40, 1, {5, 28, 165, 178}, {}},
        {"bottom right: the list ends 5 from both edges", 0, 0, 0, 1200, 900, 1, {1115, 829, 1275, 979}, {}},
        {"preview beside, bottom right: the taller preview ends 5 from both", 1, 200, 300, 1100, 900, 1,
         {915, 679, 1075, 829}, {1075, 679, 1275, 979}},
        {"preview above, top right: on screen, the widest window counts", 2, 300, 100, 1100, 50, 1,
         {975, 128, 1135, 278}, {975, 5, 1275, 105}},
        {"preview above, bottom edge: list ends 5 above it", 2, 200, 100, 100, 900, 1, {110, 829, 270, 979},
         {110, 706, 310, 806}},
        {"144 DPI: sizes and offsets 1.5 times, 34.5 rounds to 35", 0, 0, 0, 100, 100, 1, {115, 180, 355, 405}, {}, 144},
        {"144 DPI, bottom right: the margin 7.5 rounds to 8", 0, 0, 0, 1200, 900, 1, {1032, 751, 1272, 976}, {}, 144},
        {"144 DPI, preview beside", 1, 200, 100, 100, 100, 1, {115, 180, 355, 405}, {355, 180, 655, 330}, 144},
    };
    for (const auto &r : rows) {
        settings.preview_mode = r.preview_mode;
        settings.preview_width = r.preview_width;
        settings.preview_height = r.preview_height;
        target.caret_point = os_point{r.caret_x, r.caret_y};
        os_rect search = search_window_rect(r.with_offsets, r.dpi);
        search_window_layout layout = place_search_window_layout(search, r.dpi);
        EXPECT_EQ(::joined({search.right - search.left, search.bottom - search.top}),
                  r.dpi == 96 ? "130 23" : "195 35")
            << r.name;
        EXPECT_EQ(corners(layout.list), r.list) << r.name;
        EXPECT_EQ(layout.has_preview ? corners(layout.preview) : std::vector<int>{}, r.preview) << r.name;
        EXPECT_EQ(::joined({target.popup_origin.x, target.popup_origin.y}),
                  ::joined({search.left, search.bottom}))
            << r.name;
        if (layout.has_preview)
            EXPECT_EQ(target.preview_top, layout.preview.top) << r.name;
    }
}

TEST_F(SearchWindow, SearchWindowStaysOnTheCaretsMonitor)
{
    // A second monitor left of the primary; both keep the primary's allowance (984 of a 994 work area).
    settings.screen_width = 1280, settings.screen_height = 984;
    fake.monitors = {{{0, 0, 1280, 1024}, {0, 0, 1280, 994}}, {{-1024, 0, 0, 768}, {-1024, 0, 0, 738}}};
    fake.window_rects[11] = os_rect{-600, 200, -200, 500};
    struct row {
        const char *name;
        int32_t caret_x, caret_y, with_offsets;
        std::vector<int> list;
    } rows[] = {
        {"near the caret on the left monitor", -900, 100, 1, {-890, 153, -730, 303}},
        {"its right edge: stays on it, not on the primary", -50, 100, 1, {-165, 153, -5, 303}},
        {"its left and bottom edges", -1024, 700, 0, {-1019, 573, -859, 723}},
        {"no caret read: the target window's monitor", 0, 0, 0, {-165, 28, -5, 178}},
    };
    for (const auto &r : rows) {
        target.caret_point = os_point{r.caret_x, r.caret_y};
        EXPECT_EQ(corners(place_search_window_layout(search_window_rect(r.with_offsets, 96), 96).list), r.list) << r.name;
    }
    settings.menu_position = menu_at_screen_centre;
    target.caret_point = os_point{-900, 100};
    compute_popup_origin();
    EXPECT_EQ(::joined({target.popup_origin.x, target.popup_origin.y}), "-512 364") << "its centre";
}

TEST_F(SearchWindow, CompanionsFollowTheRectangleTheSystemGaveAndThePreviewShrinks)
{
    const os_rect given{50, 60, 190, 90}; // taller and wider than asked
    settings.preview_width = 200, settings.preview_height = 120;
    // Name, preview mode, guidance, preview and guidance rectangles ({} when none).
    const std::tuple<const char *, int32_t, int32_t, std::vector<int>, std::vector<int>> rows[] = {
        {"preview beside, guidance above the search window", 1, 1, {210, 90, 410, 210}, {50, 42, 150, 60}},
        {"no preview, guidance right of the search window", 0, 1, {}, {190, 63, 290, 81}},
        {"preview above, guidance right of the search window", 2, 1, {50, -60, 250, 60}, {190, 63, 290, 81}},
        {"guidance off", 0, 0, {}, {}},
    };
    for (const auto &[name, mode, guidance, preview, guidance_rect] : rows) {
        settings.preview_mode = mode;
        settings.guidance = guidance;
        search_window_layout layout = place_search_window_layout(given, 96);
        EXPECT_EQ(corners(layout.list), std::vector<int>({50, 90, 210, 240})) << name;
        EXPECT_EQ(layout.has_preview ? corners(layout.preview) : std::vector<int>{}, preview) << name;
        EXPECT_EQ(layout.has_guidance ? corners(layout.guidance) : std::vector<int>{}, guidance_rect) << name;
    }
    settings.preview_font_height = 10;
    const char *nine_lines = "1\n2\n3\n4\n5\n6\n7\n8\n9";
    // Name, preview_mode, preview_height, text, window rectangle, text rectangle.
    const std::tuple<const char *, int32_t, int32_t, const char *, os_rect, os_rect> shrinks[] = {
        {"beside: one line, top kept", preview_beside, 100, "a", {50, 300, 250, 315}, {3, 2, 203, 14}},
        {"above: two lines, bottom kept", preview_above, 100, "a\nb", {50, 375, 250, 400}, {3, 2, 203, 24}},
        {"nine lines still short", preview_above, 100, nine_lines, {50, 305, 250, 400}, {3, 2, 203, 94}},
        {"as tall as the window: full form", preview_above, 95, nine_lines, {50, 300, 250, 395},
         {3, 2, 203, 95}},
    };
    for (const auto &[name, mode, height, text, window, text_rect] : shrinks) {
        settings.preview_mode = mode;
        settings.preview_height = height;
        const preview_placement p = preview_layout(text, 50, 300, 96);
        EXPECT_EQ(corners(p.window), corners(window)) << name;
        EXPECT_EQ(corners(p.text), corners(text_rect)) << name;
    }
    settings.preview_mode = preview_beside;
    const preview_placement p = preview_layout("a", 50, 300, 144); // one line of the 15-pixel font
    EXPECT_EQ(corners(p.window), std::vector<int>({50, 300, 350, 323})) << "144 DPI";
    EXPECT_EQ(corners(p.text), std::vector<int>({5, 3, 305, 21})) << "144 DPI";
}

TEST_F(SearchWindow, KeyMapGridAndModeSwitches)
{
    const int Y = 1, N = 0;
    // Key, Shift, Ctrl, selection, empty line, entries -> action, passed on, ends a confirmed search.
    const std::tuple<search_key, int, int, int, int, int, key_action, int, int> rows[] = {
        {key_tab, N, Y, N, Y, N, key_action_to_target, N, N},
        {key_tab, N, N, N, N, Y, key_action_none, Y, N},
        {key_escape, N, N, Y, N, Y, key_action_clear, Y, N},
        {key_right, N, N, Y, Y, Y, key_action_toggle_kind, Y, Y},
        {key_up, N, N, N, Y, N, key_action_up_on_empty, Y, Y},
        {key_end, N, Y, N, N, N, key_action_none, Y, Y},
        {key_home, Y, N, Y, N, Y, key_action_none, Y, N},
        {key_page_down, Y, N, Y, N, Y, key_action_move_selection, N, N},
        {key_page_up, N, N, N, N, N, key_action_none, Y, N},
        {key_end, N, Y, Y, N, Y, key_action_move_selection, N, Y},
    };
    for (const auto &[key, shift, ctrl, selection, empty, entries, action, pass_on, clears] : rows) {
        const key_decision d = decide_key(key_state{key, shift, ctrl, selection, empty, entries});
        EXPECT_EQ(::joined({d.action, d.pass_on, d.clear_confirmed}), ::joined({action, pass_on, clears}))
            << "row of key " << key << ", shift " << shift << ", ctrl " << ctrl;
    }
    auto move = [](search_key k, int32_t at) { return next_selection(at, 10, selection_step(k, 4, 10)); };
    EXPECT_EQ(std::vector<int>({move(key_up, 0), move(key_down, 3), move(key_page_down, 3),
                                move(key_page_down, 7), move(key_page_up, 5), move(key_page_up, 2),
                                move(key_end, 2), move(key_home, 8), move(key_down, -1)}),
              std::vector<int>({0, 4, 7, 9, 1, 0, 9, 0, -1})); // 10 lines, 4 shown; no selection stays none
    EXPECT_TRUE(!release_warning_due(299) && release_warning_due(300) && !release_warning_due(499) &&
                release_warning_due(500) && release_warning_due(501));
    EXPECT_STREQ(confirmed_search_guidance(toggle_confirmed_search()), "確定検索モード");
    EXPECT_STREQ(confirmed_search_guidance(toggle_confirmed_search()), "逐次検索モード");
    // A braced list runs its calls in order.
    EXPECT_EQ(std::vector<int>({toggle_search_kind(), toggle_search_kind(), toggle_romaji_search(),
                                toggle_romaji_search()}),
              std::vector<int>({search_substring, search_prefix, 1, 0}));
    EXPECT_EQ(fake_events(), "load migemo.dll\nload BREGEXP.DLL\nfree migemo.dll\nfree BREGEXP.DLL");
    EXPECT_EQ(joined(), "open " + dict + "\nclose 119");
    remove(dict.c_str());
    EXPECT_EQ(toggle_romaji_search(), 0) << "no dictionary: stays off";
}

// The two items share a caption; the line keeps the second. A window hidden first shows as "hide"
// before the events.
TEST_F(SearchWindow, FinishingHandsOverStaysOrEnds)
{
    const std::string back = "foreground 11\nsetsel 0 0 0\n";
    const search_action end1 = action_end_finished, end2 = action_end_no_target, over = action_hand_over;
    const int paste = output_paste, insert = output_insert, clip_only = output_clipboard_only;
    const char *clipboard = "&1 : クリップボード", *left = "a%clm%"; // left: output_text before
    // How: Enter 'E', Shift+Enter 'S', Ctrl+Enter 'C', Enter in confirmed search 'K'; a pass's clipboard
    // entry 'P' and an entry chosen in its history popup 'H'; the stay's history step, a choice made 'T' or
    // cancelled 'X'.
    // Name, how, line, output mode, windows, recorder and replacement -> action, events, output_text.
    const std::tuple<const char *, char, const char *, int, int, int, search_action, std::string,
                     const char *>
        rows[] = {
            {"Ctrl+Enter closes", 'C', "Same", paste, 1, 0, end1, "", left},
            {"confirmed search runs one pass", 'K', "Same", paste, 1, 0, action_run_search, "", left},
            {"item: the one kept with its line", 'E', "SAME", paste, 1, 0, over,
             "hide\n" + back + "timer 620", "one\r\n"},
            {"Shift+Enter pastes and stays", 'S', "Same", paste, 1, 0, action_paste_and_stay,
             "hide\n" + back + "timer 640", "one\r\n"},
            {"item, clipboard only", 'E', "Same", clip_only, 0, 0, end1, "hide\nclip one\r\n\nbeep 64",
             "one\r\n"},
            {"&3 opens the manual", 'E', "&3 : 説明書", paste, 1, 0, end1, "shell /m/Mivra.txt||", left},
            {"Enter on &1: the clipboard unchanged, no history step", 'E', clipboard, insert, 1, 1, over,
             "hide\n" + back + "timer 720", left},
            {"Enter on &1 without a window", 'E', clipboard, clip_only, 0, 1, end2, "hide\n", left},
            {"a pass's &1: the clipboard unchanged", 'P', "", insert, 1, 0, over, back + "timer 720", left},
            {"a pass's &1 without a window", 'P', "", paste, 0, 0, end2, "", left},
            {"history entry chosen, clipboard only", 'H', "", clip_only, 0, 1, end2, "clip a%clm%\nbeep 64",
             left},
            {"stay: history choice, then the delivery", 'T', "", paste, 1, 1, action_nothing,
             back + "sleep 100\ntimer 740", left},
            {"stay: a cancelled history choice ends", 'X', "", paste, 1, 1, end1, "", left},
        };
    for (const auto &[name, how, line, mode, window_count, recorder, result, events, text] : rows) {
        SetUp();
        add("Same", "two");
        add("Same", "one↓");
        copy_text(settings.manual_path, 260, "/m/Mivra.txt");
        copy_text(output.output_text, sizeof output.output_text, left);
        choice_run.output_mode = mode;
        windows.window_count = window_count;
        settings.history_running = expansion.replace_enabled = recorder;
        search_run.confirmed_search = how == 'K';
        search_run.keep_in_background = 7;
        delivery_hooks.expand_history_macros = how == 'T' ? +[](os_window) { return 1; } : nullptr;
        const enter_outcome o =
            how == 'P'   ? enter_outcome{clipboard_entry(), 0}
            : how == 'H' ? enter_outcome{clipboard_entry_after_history(0), 0}
            : how == 'T' || how == 'X'
                ? enter_outcome{on_stay_history_timer(search_window, edit_line), 0}
                : on_enter(search_window, edit_line, enter_input{how == 'S', how == 'C', "t", line, 1});
        EXPECT_EQ(o.action, result) << name;
        EXPECT_EQ((o.hide_window ? "hide\n" : "") + fake_events(), events) << name;
        EXPECT_STREQ(output.output_text, text) << name;
        EXPECT_EQ(search_run.confirmed_search, 0) << name;
        EXPECT_EQ(search_run.keep_in_background, how == 'S' ? 0 : 7) << name;
    }
}

} // namespace
