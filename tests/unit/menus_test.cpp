#include "datafile_support.h"

#include <algorithm>

#include "menus/main_menu.h"

namespace {

const os_window main_window = 1;

menu_model model; // large: one static instance for every test

int32_t submenu_of(int32_t menu, int32_t id)
{
    int32_t e = find_menu_entry(&model, menu, id);
    return e >= 0 ? model.entries[e].submenu : -1;
}

class MenuTest : public ::testing::Test {
  protected:
    void SetUp() override // after `files` has reset the process state and the fake
    {
        reset_menu_model(&model);
    }
    datafile_dir files; // a fresh folder for the files a test needs
    // Loads "[data]" from its lines, here separated by blanks.
    void load_items(std::string lines)
    {
        std::replace(lines.begin(), lines.end(), ' ', '\n');
        ASSERT_EQ(files.load("[data]\n" + lines + "\n%end\n"), 1);
    }
    // The items of one level in a fresh one-menu model.
    std::string fill(int32_t index, int32_t offset)
    {
        reset_menu_model(&model);
        int32_t menu = create_menu(&model, menu_filled, 0);
        fill_item_menu(&model, menu, index, offset);
        return describe_menu(model, menu);
    }
};

TEST_F(MenuTest, ItemLayoutFollowsTheMarks)
{
    // Name, lines, then the fill's item index and offset, and the entries it gives.
    const std::tuple<const char *, const char *, int32_t, int32_t, const char *> rows[] = {
        {"plus then minus gives a column break only", "a + - b", 0, 0, "1000 a; |1003 b"},
        {"minus then plus gives a separator only", "a - + b", 0, 0, "1000 a; sep 1002; 1003 b"},
        {"a trailing plus adds nothing, here or in the next menu", "a +", 0, 0, "1000 a"},
        {"group: lazy empty submenu after its sep, marks inside", "a + {G b + } c", 0, 0,
         "1000 a; sep 1001; 1002 G >group(0); 1006 c"},
        {"group fill starts after its entry", "a {G b + c } d", 1, 1, "1002 b; sep 1003; 1004 c"},
        {"group fill stops at its close", "{G a } {H b }", 0, 1, "1001 a"},
    };
    for (const auto &[name, lines, index, offset, expected] : rows) {
        load_items(lines);
        EXPECT_EQ(fill(index, offset), expected) << name;
    }
    // Stores the loader never writes: a column mark before the first entry breaks before it; a close on
    // the level drops a pending mark.
    load_items("x a b");
    store.items[0].kind = column_break_mark;
    EXPECT_EQ(fill(0, 0), "|1001 a; 1002 b");
    load_items("a + x b");
    store.items[2].kind = group_close;
    EXPECT_EQ(fill(0, 0), "1000 a; 1003 b");
}

TEST_F(MenuTest, LazyGroupSubmenuIsFilledFromItsOwner)
{
    load_items("a {G b {H c } } d");
    int32_t root = build_main_menu(&model);
    int32_t group = submenu_of(root, 1001);
    ASSERT_GE(group, 0);
    // Filled on every opening: the second gives the same entries, not twice as many.
    for (int opening = 0; opening < 2; ++opening) {
        fill_lazy_menu(&model, group);
        EXPECT_EQ(describe_menu(model, group), "1002 b; 1003 H >group(0)");
        EXPECT_EQ(model.menus[group].count, 2);
    }
}

TEST_F(MenuTest, WorstCaseStoreKeepsEveryGroupAndUtilitySubmenu)
{
    // Every entry of a full store a group or a separator on one level, with 25 windows listed: the
    // window submenu holds the 20 the dispatch has ids for; its header names the selected window.
    for (int i = 0; i < item_capacity; ++i)
        store.items[store.item_count++].kind = i % 2 ? separator_mark : group_open;
    for (int w = 0; w < 25; ++w)
        add_listed_window(100 + w, 0, ("p" + std::to_string(w)).c_str(), "");
    windows.window_selected = 22;
    settings.history_running = 1;
    int32_t root = build_main_menu(&model), submenus = 0;
    for (int32_t e = model.menus[root].first; e >= 0; e = model.entries[e].next)
        submenus += model.entries[e].submenu >= 0;
    EXPECT_EQ(submenus, item_capacity / 2 + 3); // the groups, the history, the windows and the version
    EXPECT_EQ(model.menus[submenu_of(root, window_menu_command)].count, filtered_window_limit);
    EXPECT_NE(describe_menu(model, root).find("選択 [ p22 ]"), std::string::npos);
}

TEST_F(MenuTest, CaptionRule)
{
    const std::string text24 = "0123456789abcdefghijKLMN", memo = "C:\\d\\memo.txt", p300(300, 'p');
    // Name, "s" show text and "f" a file, then text|caption|plain caption|file parameter|file caption,
    // the caption length and the caption shown.
    const std::tuple<const char *, const char *, std::string, int, std::string> rows[] = {
        {"text shown whole with length 0", "s", text24 + "|c|c||", 0, text24},
        {"caption kept whole, accelerators too", "", "t|&a caption over 20 bytes|x||", 20,
         "&a caption over 20 bytes"},
        {"file whose plain caption is its text", "f", memo + "|x|" + memo + "|#s|", 20, "memo.txt > #s"},
        {"file with a caption of its own: the plain one", "f", memo + "|&M|M||ignored", 20, "M"},
        {"cut to 259 bytes", "sf", memo + "|c|c|" + p300 + "|", 20, "memo.txt > " + std::string(248, 'p')},
    };
    for (const auto &[name, flags, fields, caption_length, expected] : rows) {
        reset_item_store();
        item_entry &e = store.items[store.item_count++];
        e.show_text = strchr(flags, 's') != nullptr;
        e.is_file = strchr(flags, 'f') != nullptr;
        std::istringstream in(fields);
        std::string field; // empty once the fields run out
        for (char *to : {e.text, e.caption, e.plain_caption, e.file_param, e.file_caption}) {
            std::getline(in, field, '|');
            copy_text(to, 260, field.c_str());
        }
        settings.text_caption_length = caption_length;
        EXPECT_EQ(fill(0, 0), "1000 " + expected) << name;
    }
}

TEST_F(MenuTest, UtilityEntriesFollowModeRecorderWindowsAndItems)
{
    const std::string recorder = files.path("hist.exe");
    copy_text(settings.recorder_path, 260, recorder.c_str());
    const std::string clipboard = "6010 クリップボード ( &1 )", version = "6210 Ver.1.38 ( &0 ) [";
    const std::string files = "6220 設定ファイル ( &S ); 6230 説明書 ( &H )]";
    const std::string stop = "6240 履歴停止 ( &R ); sep 6600; ", start = "6240 履歴開始 ( &R ); sep 6600; ";
    // Three windows, the second selected and without a caption bar.
    const std::string window_menu =
        "6110 選択 [ toolwin ] ( &2 ) [6120 notepad | memo.txt - Notepad; *6121 toolwin; 6122 calc | ]";
    // Name, output mode, recorder running, windows, items, recorder program present, the menu.
    const std::tuple<const char *, int, int, int, int, bool, std::string> rows[] = {
        {"nothing at all: version entry alone", 2, 0, 0, 0, false, version + files},
        {"clipboard-only with items", 2, 0, 0, 1, false, "1000 a; sep 6999; " + version + files},
        {"clipboard-only with windows: no window menu", 2, 0, 3, 0, false, "sep 6999; " + version + files},
        {"clipboard-only, recorder: history, stop", 2, 1, 0, 0, false,
         clipboard + " >history(0); sep 6999; " + version + stop + files},
        {"paste mode with recorder, items and windows", 1, 1, 3, 1, true,
         "1000 a; sep 6999; " + clipboard + " >history(0); sep 6999; " + window_menu + "; sep 6999; " +
             version + stop + files},
        {"paste mode, nothing listed, recorder stopped", 1, 0, 0, 0, true,
         clipboard + "; sep 6999; " + version + start + files},
    };
    for (const auto &[name, output_mode, running, window_count, items, recorder_exists, expected] : rows) {
        reset_item_store();
        reset_target_state();
        std::filesystem::remove(recorder);
        if (recorder_exists)
            std::ofstream{recorder};
        load_items(items ? "a" : "");
        choice_run.output_mode = output_mode;
        settings.history_running = running;
        const char *names[] = {"notepad", "toolwin", "calc"}, *titles[] = {"memo.txt - Notepad", "x", ""};
        for (int w = 0; w < window_count; ++w)
            add_listed_window(11 + w, w != 1, names[w], titles[w]);
        windows.window_selected = 1;
        EXPECT_EQ(describe_menu(model, build_main_menu(&model)), expected) << name;
    }
}

TEST_F(MenuTest, DispatchEndsItemsAndTheClipboardEntryThroughTheChoiceRoomOtherIdsDoNothing)
{
    target.target_window = 11;
    add_listed_window(11, 1, "notepad", "memo");
    add_listed_window(12, 1, "calc", "Calculator");
    load_items("a↓b + {G b }");
    EXPECT_EQ(dispatch_menu_command(main_window, 1000), choice_scheduled);
    EXPECT_STREQ(output.output_text, "a\r\nb");
    EXPECT_EQ(dispatch_menu_command(main_window, clipboard_command), choice_scheduled);
    EXPECT_EQ(output.output_source, source_clipboard);
    // Dismissed, separators, headers, past the items or the windows, and history and text-file lines
    // (not carried out here yet); a group entry records its caption.
    for (int32_t id : {0, 1001, 1005, 5999, 6110, 6122, 6210, 6600, 6999, 8000, 8100, 9000, 1002}) {
        reset_fake_system();
        output.latest_caption[0] = '\0';
        EXPECT_EQ(dispatch_menu_command(main_window, id), choice_cancelled) << id;
        EXPECT_EQ(fake_events(), "") << id;
        EXPECT_STREQ(output.latest_caption, id == 1002 ? "G" : "") << id;
    }
}

TEST_F(MenuTest, ShellCommandsOpenDataFileManualAndRecorder)
{
    const std::string editor_dir = files.path("my editor"), dir = editor_dir + "/", ed = dir + "ed.exe";
    const std::string link = files.path("hist.lnk");
    files.write("my editor/ed.exe", "");
    copy_text(settings.data_file_path, 260, "/data dir/Mivra.ini");
    copy_text(settings.manual_path, 260, "/app/Mivra.txt");
    copy_text(settings.recorder_path, 260, "/app/hist.exe");
    copy_text(settings.recorder_link_path, 260, link.c_str());
    // Name, command, editor, recorder shortcut present, recorder running, what is opened.
    const std::tuple<const char *, int32_t, std::string, bool, int, std::string> rows[] = {
        {"data file in the editor, quoted", 6220, ed, false, 0,
         "shell " + ed + "|\"/data dir/Mivra.ini\"|" + dir},
        {"manual in the editor, unquoted", 6230, ed, false, 0, "shell " + ed + "|/app/Mivra.txt|" + dir},
        {"missing editor: by association", 6220, dir + "none.exe", false, 0, "shell /data dir/Mivra.ini||"},
        {"editor naming a folder: by association", 6230, editor_dir, false, 0, "shell /app/Mivra.txt||"},
        {"stop the running recorder", 6240, "", true, 1, "shell /app/hist.exe||"},
        {"start the recorder through its shortcut", 6240, "", true, 0, "shell " + link + "||"},
        {"start the recorder itself", 6240, "", false, 0, "shell /app/hist.exe||"},
    };
    for (const auto &[name, id, editor_path, link_exists, running, expected] : rows) {
        reset_fake_system();
        std::filesystem::remove(link);
        if (link_exists)
            std::ofstream{link};
        copy_text(settings.editor_path, 260, editor_path.c_str());
        settings.history_running = running;
        EXPECT_EQ(dispatch_menu_command(main_window, id), choice_cancelled) << name;
        EXPECT_EQ(fake_events(), expected) << name;
    }
}

} // namespace
