#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/target.h"
#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "menus/main_menu.h"
#include "menus/menu_model.h"
#include "os/fake/os_fake.h"
#include "output/output_state.h"
#include "text/sjis.h"

namespace {

const os_window main_window = 1;

menu_model model; // large: one static instance for every test

std::string events()
{
    std::string all;
    for (size_t i = 0; i < fake.events.size(); ++i)
        all += (i ? ", " : "") + fake.events[i];
    return all;
}

// Fills the store from data-file-like lines: "+", "-", "{caption", "}", anything else a text item
// whose text and caption are the line. Depths follow the groups.
void load_items(const std::vector<std::string> &lines)
{
    int depth = 0;
    for (const std::string &line : lines) {
        item_entry &e = store.items[store.item_count++];
        if (line == "+") {
            e.kind = separator_mark;
        }
        else if (line == "-") {
            e.kind = column_break_mark;
        }
        else if (line == "}") {
            e.kind = group_close;
        }
        else if (line[0] == '{') {
            e.kind = group_open;
            copy_text(e.caption, sizeof e.caption, line.c_str() + 1);
            copy_text(e.plain_caption, sizeof e.plain_caption, line.c_str() + 1);
        }
        else {
            e.kind = text_item;
            copy_text(e.text, sizeof e.text, line.c_str());
            copy_text(e.caption, sizeof e.caption, line.c_str());
            copy_text(e.plain_caption, sizeof e.plain_caption, line.c_str());
        }
        e.depth = depth;
        if (e.kind == group_open)
            ++depth;
        if (e.kind == group_close)
            e.depth = depth--;
    }
}

const char *lazy_name(int32_t lazy)
{
    switch (lazy) {
    case menu_lazy_group:
        return "group";
    case menu_lazy_history:
        return "history";
    case menu_lazy_text_file:
        return "text file";
    default:
        return "filled";
    }
}

// One menu as text: "1000 a; sep 1001; |1002 b; *6121 c; 1003 G >group(0)" (column break '|',
// check mark '*', a submenu with its lazy kind and entry count).
std::string describe(int32_t menu)
{
    std::string out;
    for (int32_t e = model.menus[menu].first; e >= 0; e = model.entries[e].next) {
        const menu_entry &entry = model.entries[e];
        if (!out.empty())
            out += "; ";
        if (entry.flags & menu_separator) {
            out += "sep " + std::to_string(entry.id);
            continue;
        }
        if (entry.flags & menu_column_break)
            out += "|";
        if (entry.flags & menu_checked)
            out += "*";
        out += std::to_string(entry.id) + " " + entry.caption;
        if (entry.submenu >= 0)
            out += std::string(" >") + lazy_name(model.menus[entry.submenu].lazy) + "(" +
                   std::to_string(model.menus[entry.submenu].count) + ")";
    }
    return out;
}

int32_t submenu_of(int32_t menu, int32_t id)
{
    int32_t e = find_menu_entry(&model, menu, id);
    return e >= 0 ? model.entries[e].submenu : -1;
}

void add_window(os_window handle, const char *name, const char *title, int has_caption)
{
    int32_t n = windows.window_count++;
    windows.window_handle[n] = handle;
    windows.window_has_caption[n] = has_caption;
    copy_text(windows.window_exe_name[n], sizeof windows.window_exe_name[n], name);
    copy_text(windows.window_title[n], sizeof windows.window_title[n], title);
}

std::string temp_dir()
{
    char pattern[] = "/tmp/mivra_menus_XXXXXX";
    const char *dir = mkdtemp(pattern);
    return dir ? dir : "/tmp";
}

void touch(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (f)
        fclose(f);
}

class MenuTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_settings();
        reset_item_store();
        reset_output_state();
        reset_target_state();
        reset_fake_system();
        reset_main_menu_state();
        reset_menu_model(&model);
    }
    // The items of one level in a fresh one-menu model.
    std::string fill(int32_t index, int32_t offset)
    {
        reset_menu_model(&model);
        int32_t menu = create_menu(&model, menu_filled);
        fill_item_menu(&model, menu, index, offset);
        return describe(menu);
    }
};

// ---- item layout -------------------------------------------------------------------------------

TEST_F(MenuTest, ItemLayoutFollowsTheMarks)
{
    struct row {
        const char *name;
        std::vector<std::string> lines;
        int32_t index, offset;
        std::string expected;
    } rows[] = {
        {"plain items", {"a", "b"}, 0, 0, "1000 a; 1001 b"},
        {"plus gives a separator with the plus line's id", {"a", "+", "b"}, 0, 0, "1000 a; sep 1001; 1002 b"},
        {"two plus lines give one separator", {"a", "+", "+", "b"}, 0, 0, "1000 a; sep 1002; 1003 b"},
        {"plus then minus gives a column break only", {"a", "+", "-", "b"}, 0, 0, "1000 a; |1003 b"},
        {"minus then plus gives a separator only", {"a", "-", "+", "b"}, 0, 0, "1000 a; sep 1002; 1003 b"},
        {"minus before the first entry breaks it", {"-", "a", "b"}, 0, 0, "|1001 a; 1002 b"},
        {"plus as the last entry adds nothing", {"a", "+"}, 0, 0, "1000 a"},
        {"group opens a lazy empty submenu",
         {"a", "{G", "b", "}", "c"},
         0,
         0,
         "1000 a; 1001 G >group(0); 1004 c"},
        {"marks inside a group stay there", {"{G", "b", "+", "}", "c"}, 0, 0, "1000 G >group(0); 1004 c"},
        {"separator before a group entry", {"a", "+", "{G", "}"}, 0, 0, "1000 a; sep 1001; 1002 G >group(0)"},
        {"group fill starts after its entry",
         {"a", "{G", "b", "+", "c", "}", "d"},
         1,
         1,
         "1002 b; sep 1003; 1004 c"},
        {"plus last in a group adds nothing", {"{G", "b", "+", "}", "c"}, 0, 1, "1001 b"},
        {"empty group", {"{G", "}", "a"}, 0, 1, ""},
        {"empty unclosed group at the end", {"a", "{G"}, 1, 1, ""},
        {"nested group lazy inside its parent",
         {"{G", "{H", "x", "}", "y", "}", "z"},
         0,
         1,
         "1001 H >group(0); 1004 y"},
        {"nested group's own items", {"{G", "{H", "x", "}", "y", "}", "z"}, 1, 1, "1002 x"},
        {"root skips nested levels", {"{G", "{H", "x", "}", "y", "}", "z"}, 0, 0, "1000 G >group(0); 1006 z"},
        {"column break inside a group", {"{G", "a", "-", "b", "}"}, 0, 1, "1001 a; |1003 b"},
        {"no items", {}, 0, 0, ""},
    };
    for (const auto &r : rows) {
        reset_item_store();
        load_items(r.lines);
        EXPECT_EQ(fill(r.index, r.offset), r.expected) << r.name;
        EXPECT_EQ(pending_mark, 0) << r.name;
    }
}

TEST_F(MenuTest, TrailingPlusDoesNotLeakIntoTheNextMenuFilled)
{
    load_items({"{G", "b", "+", "}", "c"});
    reset_menu_model(&model);
    int32_t group = create_menu(&model, menu_lazy_group);
    int32_t other = create_menu(&model, menu_filled);
    fill_item_menu(&model, group, 0, 1);
    append_item_entry(&model, other, 4, "c");
    EXPECT_EQ(describe(other), "1004 c");
}

TEST_F(MenuTest, GroupCloseOnTheLevelDropsAPendingMark)
{
    // A '}' standing on the filled level (a stray one at the top) ends what a '+' before it started.
    load_items({"a", "+", "}", "b"});
    store.items[2].depth = 0;
    store.items[3].depth = 0;
    EXPECT_EQ(fill(0, 0), "1000 a; 1003 b");
}

TEST_F(MenuTest, RefillingEmptiesTheMenuFirst)
{
    load_items({"{G", "a", "}"});
    reset_menu_model(&model);
    int32_t menu = create_menu(&model, menu_lazy_group);
    fill_item_menu(&model, menu, 0, 1);
    fill_item_menu(&model, menu, 0, 1);
    EXPECT_EQ(describe(menu), "1001 a");
}

// ---- captions ----------------------------------------------------------------------------------

TEST_F(MenuTest, CaptionRule)
{
    struct row {
        const char *name;
        int show_text, is_file;
        std::string text, caption, plain_caption, file_param, file_caption;
        int caption_length;
        std::string expected;
    } rows[] = {
        {"text shown, cut to the caption length", 1, 0, "0123456789abcdefghijKLMN", "cap", "cap", "", "", 20,
         "0123456789abcdefghij"},
        {"text shown whole with length 0", 1, 0, "0123456789abcdefghijKLMN", "cap", "cap", "", "", 0,
         "0123456789abcdefghijKLMN"},
        {"text shown shorter than the length", 1, 0, "short", "cap", "cap", "", "", 10, "short"},
        {"caption with accelerators", 0, 0, "text", "&Hello", "Hello", "", "", 20, "&Hello"},
        {"caption is never cut", 0, 0, "t", "a caption longer than twenty", "x", "", "", 20,
         "a caption longer than twenty"},
        {"file shown with its own caption", 1, 1, "C:\\d\\memo.txt", "c", "c", "3-5", "My memo", 20,
         "My memo"},
        {"file shown without caption", 1, 1, "C:\\d\\memo.txt", "c", "c", "3-5", "", 20, "memo.txt > 3-5"},
        {"file whose caption is its text", 0, 1, "C:\\d\\memo.txt", "C:\\d\\memo.txt", "C:\\d\\memo.txt",
         "#s", "", 20, "memo.txt > #s"},
        {"file whose caption is its text, own caption", 0, 1, "C:\\d\\a.txt", "x", "C:\\d\\a.txt", "", "Own",
         20, "Own"},
        {"file with a caption of its own", 0, 1, "C:\\d\\memo.txt", "&Memo", "Memo", "", "ignored", 20,
         "Memo"},
        {"file name whose trail byte is a backslash", 1, 1, "C:\\d\\表.txt", "c", "c", "", "", 20,
         "表.txt > "},
        {"file without extension", 1, 1, "C:\\d\\README", "c", "c", "p", "", 20, "README > p"},
        {"caption cut to 259 bytes", 1, 1, "C:\\d\\memo.txt", "c", "c", std::string(300, 'p'), "", 20,
         "memo.txt > " + std::string(248, 'p')},
    };
    for (const auto &r : rows) {
        reset_item_store();
        item_entry &e = store.items[0];
        store.item_count = 1;
        e.kind = text_item;
        e.show_text = r.show_text;
        e.is_file = r.is_file;
        copy_text(e.text, 260, r.text.c_str());
        copy_text(e.caption, 260, r.caption.c_str());
        copy_text(e.plain_caption, 260, r.plain_caption.c_str());
        copy_text(e.file_param, 260, r.file_param.c_str());
        copy_text(e.file_caption, 260, r.file_caption.c_str());
        settings.text_caption_length = r.caption_length;
        char out[260];
        item_menu_caption(0, out);
        EXPECT_EQ(std::string(out), r.expected) << r.name;
        EXPECT_EQ(fill(0, 0), "1000 " + r.expected) << r.name;
    }
    // The recent-items form has no blank after the arrow.
    char out[260];
    item_caption_with_separator(0, " >", out);
    EXPECT_EQ(std::string(out), "memo.txt >" + std::string(249, 'p'));
}

// ---- utility entries ---------------------------------------------------------------------------

const std::string clipboard_entry = "6010 クリップボード ( &1 )";
const std::string version_entry = "6210 Ver.1.38 ( &0 ) >filled";

TEST_F(MenuTest, UtilityEntriesFollowModeRecorderWindowsAndItems)
{
    struct row {
        const char *name;
        int output_mode, history_running, window_count, item_count;
        std::string expected;
    } rows[] = {
        {"nothing at all: version entry alone", 2, 0, 0, 0, version_entry + "(2)"},
        {"clipboard-only with items", 2, 0, 0, 1, "1000 a; sep 6999; " + version_entry + "(2)"},
        {"clipboard-only with windows: no window menu", 2, 0, 2, 0, "sep 6999; " + version_entry + "(2)"},
        {"clipboard-only with recorder: history submenu", 2, 1, 0, 0,
         clipboard_entry + " >history(0); sep 6999; " + version_entry + "(4)"},
        {"paste mode without items or windows", 1, 0, 0, 0,
         clipboard_entry + "; sep 6999; " + version_entry + "(2)"},
        {"paste mode with items", 1, 0, 0, 1,
         "1000 a; sep 6999; " + clipboard_entry + "; sep 6999; " + version_entry + "(2)"},
        {"paste mode with items and windows", 1, 0, 2, 1,
         "1000 a; sep 6999; " + clipboard_entry +
             "; sep 6999; 6110 選択 [ notepad ] ( &2 ) >filled(2); sep 6999; " + version_entry + "(2)"},
        {"insert mode with windows, no items", 0, 0, 1, 0,
         clipboard_entry + "; sep 6999; 6110 選択 [ notepad ] ( &2 ) >filled(1); sep 6999; " + version_entry +
             "(2)"},
        {"paste mode with recorder and windows", 1, 1, 1, 1,
         "1000 a; sep 6999; " + clipboard_entry +
             " >history(0); sep 6999; 6110 選択 [ notepad ] ( &2 ) >filled(1); "
             "sep 6999; " +
             version_entry + "(4)"},
    };
    for (const auto &r : rows) {
        reset_item_store();
        reset_target_state();
        settings.output_mode = r.output_mode;
        settings.history_running = r.history_running;
        if (r.item_count)
            load_items({"a"});
        if (r.window_count > 0)
            add_window(11, "notepad", "memo", 1);
        if (r.window_count > 1)
            add_window(12, "calc", "Calculator", 1);
        int32_t root = build_main_menu(&model);
        EXPECT_EQ(describe(root), r.expected) << r.name;
    }
}

TEST_F(MenuTest, VersionSubmenuOffersTheRecorderSwitch)
{
    const std::string dir = temp_dir();
    const std::string recorder = dir + "/hist.exe";
    struct row {
        const char *name;
        int history_running;
        bool recorder_exists;
        std::string expected;
    } rows[] = {
        {"running recorder can be stopped", 1, true,
         "6240 履歴停止 ( &R ); sep 6600; 6220 設定ファイル ( &S ); 6230 説明書 ( &H )"},
        {"running recorder without its file can be stopped", 1, false,
         "6240 履歴停止 ( &R ); sep 6600; 6220 設定ファイル ( &S ); 6230 説明書 ( &H )"},
        {"stopped recorder can be started", 0, true,
         "6240 履歴開始 ( &R ); sep 6600; 6220 設定ファイル ( &S ); 6230 説明書 ( &H )"},
        {"no recorder: no switch and no separator", 0, false, "6220 設定ファイル ( &S ); 6230 説明書 ( &H )"},
    };
    for (const auto &r : rows) {
        unlink(recorder.c_str());
        if (r.recorder_exists)
            touch(recorder);
        settings.history_running = r.history_running;
        copy_text(settings.recorder_path, 260, recorder.c_str());
        int32_t root = build_main_menu(&model);
        int32_t version = submenu_of(root, version_menu_command);
        ASSERT_GE(version, 0) << r.name;
        EXPECT_EQ(describe(version), r.expected) << r.name;
    }
    unlink(recorder.c_str());
    rmdir(dir.c_str());
}

TEST_F(MenuTest, WindowSubmenuListsWindowsWithTheCheckOnTheTarget)
{
    add_window(11, "notepad", "memo.txt - Notepad", 1);
    add_window(12, "toolwin", "ignored title", 0);
    add_window(13, "calc", "", 1);
    windows.window_selected = 1;
    int32_t root = build_main_menu(&model);
    EXPECT_NE(describe(root).find("6110 選択 [ toolwin ] ( &2 )"), std::string::npos);
    EXPECT_EQ(describe(submenu_of(root, window_menu_command)),
              "6120 notepad | memo.txt - Notepad; *6121 toolwin; 6122 calc | ");

    // Only the ids the dispatch knows (6120..6139): at most 20 windows.
    reset_target_state();
    for (int w = 0; w < 25; ++w)
        add_window(100 + w, ("p" + std::to_string(w)).c_str(), "", 0);
    windows.window_selected = 22;
    root = build_main_menu(&model);
    int32_t sub = submenu_of(root, window_menu_command);
    EXPECT_EQ(model.menus[sub].count, 20);
    EXPECT_EQ(model.entries[model.menus[sub].last].id, 6139);
    EXPECT_NE(describe(root).find("選択 [ p22 ]"), std::string::npos);
}

// ---- dispatch ----------------------------------------------------------------------------------

class DispatchTest : public MenuTest {
  protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        target.target_window = 11;
        target.focus_control = 21;
        target.selection_start = 2;
        target.selection_end = 5;
        add_window(11, "notepad", "memo", 1);
        add_window(12, "calc", "Calculator", 1);
    }
    const std::string scheduled = "foreground 11, setsel 21 2 5, timer 620";
};

TEST_F(DispatchTest, TextItemIsPreparedAndScheduled)
{
    struct row {
        const char *name;
        int output_mode, window_count;
        bool clipboard_fails;
        const char *text, *output_text;
        int result;
        std::string expected;
    } rows[] = {
        {"paste mode", 1, 2, false, "hello", "hello", menu_output_scheduled, scheduled},
        {"break marks become CR LF", 1, 2, false, "a↓b", "a\r\nb", menu_output_scheduled, scheduled},
        {"clipboard-only: on the clipboard, still scheduled", 2, 0, false, "hello", "hello",
         menu_output_scheduled, "clip hello, beep 64, " + scheduled},
        {"clipboard-only write failure", 2, 0, true, "hello", "hello", menu_nothing, ""},
        {"no window to paste into", 1, 0, false, "hello", "", menu_nothing, ""},
    };
    for (const auto &r : rows) {
        reset_item_store();
        reset_output_state();
        reset_fake_system();
        load_items({r.text});
        copy_text(store.items[0].caption, 260, "&Caption");
        settings.output_mode = r.output_mode;
        windows.window_count = r.window_count;
        fake.clipboard_fails = r.clipboard_fails;
        output.output_source = 5;
        EXPECT_EQ(dispatch_menu_command(main_window, 1000), r.result) << r.name;
        EXPECT_EQ(events(), r.expected) << r.name;
        EXPECT_STREQ(output.output_text, r.output_text) << r.name;
        EXPECT_STREQ(output.latest_caption, "&Caption") << r.name;
        if (r.window_count > 0 || r.output_mode == 2) {
            EXPECT_EQ(output.output_source, 0) << r.name;
        }
    }
}

TEST_F(DispatchTest, IdsThatCarryNoCommandDoNothing)
{
    load_items({"a", "+", "{G", "b", "}"});
    struct row {
        const char *name;
        int32_t id;
        const char *latest_caption;
    } rows[] = {
        {"dismissed menu", 0, ""},
        {"separator of a plus line", 1001, ""},
        {"group entry records its caption", 1002, "G"},
        {"past the last item", 1005, ""},
        {"last item id", 5999, ""},
        {"window menu header", 6110, ""},
        {"version menu header", 6210, ""},
        {"utility separator", 6999, ""},
        {"version separator", 6600, ""},
        {"history entry (not yet carried out here)", 8000, ""},
        {"current history entry (not yet carried out here)", 8100, ""},
        {"text-file line (not yet carried out here)", 9000, ""},
        {"window id past the list", 6122, ""},
    };
    for (const auto &r : rows) {
        reset_fake_system();
        output.latest_caption[0] = '\0';
        EXPECT_EQ(dispatch_menu_command(main_window, r.id), menu_nothing) << r.name;
        EXPECT_EQ(events(), "") << r.name;
        EXPECT_STREQ(output.latest_caption, r.latest_caption) << r.name;
    }
}

TEST_F(DispatchTest, FileItemRunsTheExpansion)
{
    const std::string dir = temp_dir();
    const std::string file = dir + "/text.txt";
    FILE *f = fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("from file", f);
    fclose(f);
    load_items({"x", "y"});
    copy_text(store.items[0].text, 260, file.c_str());
    store.items[0].is_file = 1;
    copy_text(store.items[1].text, 260, (dir + "/missing.txt").c_str());
    store.items[1].is_file = 1;

    EXPECT_EQ(dispatch_menu_command(main_window, 1000), menu_output_scheduled);
    EXPECT_EQ(output.output_source, 1);
    EXPECT_EQ(std::string(output.output_text).find("from file"), 0u);
    EXPECT_EQ(fake.events.back(), "timer 620");

    reset_fake_system();
    EXPECT_EQ(dispatch_menu_command(main_window, 1001), menu_nothing);
    EXPECT_EQ(events().find("timer"), std::string::npos);

    // In clipboard-only mode the expansion finishes the output itself.
    reset_fake_system();
    settings.output_mode = 2;
    EXPECT_EQ(dispatch_menu_command(main_window, 1000), menu_nothing);
    EXPECT_EQ(events().find("timer"), std::string::npos);
    unlink(file.c_str());
    rmdir(dir.c_str());
}

TEST_F(DispatchTest, ClipboardEntryPastesTheClipboardWithPasteKeys)
{
    windows.window_count = 0;
    EXPECT_EQ(dispatch_menu_command(main_window, clipboard_command), menu_nothing);
    windows.window_count = 2;
    settings.output_mode = 0;
    EXPECT_EQ(dispatch_menu_command(main_window, clipboard_command), menu_output_scheduled);
    EXPECT_EQ(settings.output_mode, 1);
    EXPECT_EQ(output.output_source, 2);
    EXPECT_EQ(events(), scheduled);
}

TEST_F(DispatchTest, ChoosingAWindowMakesItTheTargetAndShowsTheMenuAgain)
{
    settings.menu_position = 5;
    fake.focus_control = 31;
    fake.caret = os_point{100, 200};
    fake.selection_start = 1;
    fake.selection_end = 4;
    EXPECT_EQ(dispatch_menu_command(main_window, 6121), menu_show_again);
    EXPECT_EQ(events(), "capture 12, foreground 1");
    EXPECT_EQ(target.target_window, 12u);
    EXPECT_EQ(windows.window_selected, 1);
    EXPECT_EQ(target.focus_control, 31u);
    EXPECT_EQ(target.popup_origin.x, 110);
    EXPECT_EQ(target.popup_origin.y, 230);

    int32_t root = build_main_menu(&model);
    EXPECT_EQ(describe(submenu_of(root, window_menu_command)),
              "6120 notepad | memo; *6121 calc | Calculator");
    EXPECT_NE(describe(root).find("選択 [ calc ]"), std::string::npos);
}

TEST_F(DispatchTest, ShellCommandsOpenDataFileManualAndRecorder)
{
    const std::string dir = temp_dir();
    const std::string editor_dir = dir + "/my editor";
    mkdir(editor_dir.c_str(), 0700);
    const std::string editor = editor_dir + "/ed.exe";
    const std::string link = dir + "/hist.lnk";
    copy_text(settings.data_file_path, 260, "/data dir/Mivra.ini");
    copy_text(settings.manual_path, 260, "/app/Mivra.txt");
    copy_text(settings.recorder_path, 260, "/app/hist.exe");
    copy_text(settings.recorder_link_path, 260, link.c_str());
    struct row {
        const char *name;
        int32_t id;
        bool editor_exists, link_exists;
        int history_running;
        std::string expected;
    } rows[] = {
        {"data file in the editor, quoted", 6220, true, false, 0,
         "shell " + editor + "|\"/data dir/Mivra.ini\"|" + editor_dir + "/"},
        {"manual in the editor, unquoted", 6230, true, false, 0,
         "shell " + editor + "|/app/Mivra.txt|" + editor_dir + "/"},
        {"data file by association", 6220, false, false, 0, "shell /data dir/Mivra.ini||"},
        {"manual by association", 6230, false, false, 0, "shell /app/Mivra.txt||"},
        {"stop the running recorder", 6240, false, true, 1, "shell /app/hist.exe||"},
        {"start the recorder through its shortcut", 6240, false, true, 0, "shell " + link + "||"},
        {"start the recorder itself", 6240, false, false, 0, "shell /app/hist.exe||"},
    };
    for (const auto &r : rows) {
        reset_fake_system();
        unlink(editor.c_str());
        unlink(link.c_str());
        if (r.editor_exists)
            touch(editor);
        if (r.link_exists)
            touch(link);
        copy_text(settings.editor_path, 260, editor.c_str());
        settings.history_running = r.history_running;
        EXPECT_EQ(dispatch_menu_command(main_window, r.id), menu_nothing) << r.name;
        EXPECT_EQ(events(), r.expected) << r.name;
    }
    // An editor path naming a folder is no editor.
    reset_fake_system();
    copy_text(settings.editor_path, 260, editor_dir.c_str());
    dispatch_menu_command(main_window, 6220);
    EXPECT_EQ(events(), "shell /data dir/Mivra.ini||");
    unlink(editor.c_str());
    unlink(link.c_str());
    rmdir(editor_dir.c_str());
    rmdir(dir.c_str());
}

} // namespace
