#include "datafile_support.h"

#include "datafile/text_file.h"
#include "datafile/utf8_file.h"
#include "expand/expand.h"
#include "menus/main_menu.h"
#include "menus/text_file_menu.h"
#include "search/result_list.h"
#include "search/search_state.h"
#include "search/text_file_search.h"

namespace {

const os_window main_window = 1;
menu_model model;

void collect(void *context, const char *line)
{
    std::string &listed = *static_cast<std::string *>(context);
    listed += (listed.empty() ? "" : "|") + std::string(line);
}

class TextFiles : public ::testing::Test {
  protected:
    void SetUp() override // after `files` has reset the process state and the fake
    {
        free_text_file();
        settings.main_window = main_window;
        search_run.search_kind = search_prefix;
        target.target_window = 11;
        add_listed_window(11, 1, "notepad", "memo");
    }
    void TearDown() override { free_text_file(); }
    // Lists file `name` with `bytes` and selects it.
    std::string list_file(const std::string &bytes, const char *name = "memo.txt")
    {
        const std::string path = files.path(name);
        files.write(name, bytes);
        const int32_t f = store.text_file_count++;
        copy_text(store.text_file_path[f], 260, path.c_str());
        copy_text(store.text_file_name[f], 260, name);
        store.text_file_selected = f;
        return path;
    }
    std::string menu_of(const std::string &bytes)
    {
        list_file(bytes);
        reset_menu_model(&model);
        const int32_t root = create_menu(&model, menu_filled, 0);
        fill_text_file_menu(&model, root, store.text_file_selected);
        return describe_menu(model, root, shown_captions | shown_submenus);
    }
    std::string lines(const char *pattern, int all)
    {
        std::string listed;
        list_text_file_lines(pattern, all, text_line_sink{collect, &listed});
        return listed;
    }
    datafile_dir files; // a fresh folder for the files a test needs
};

TEST_F(TextFiles, MenuLayoutGrid)
{
    // Name, rows columns numbered caption_length, the file, the menu.
    const std::tuple<const char *, const char *, std::string, std::string> rows[] = {
        {"26 rows fill a column, the 27th starts one", "25 4 0 0", numbered("l", 0, 27),
         numbered("l", 0, 26, "; ") + "|l26"},
        {"one blank a separator, two a column, three a group", "25 4 0 0", "a\n\nb\n\n\nc\n\n\n\nd\ne\n",
         "a; sep; b; |c; |&A : d ～ [d; e]"},
        {"four columns, then group A beside them, group B below it", "1 4 0 0", numbered("e", 0, 17),
         "e0; e1; |e2; e3; |e4; e5; |e6; e7; |&A : e8 ～ [e8; e9; |e10; e11; |e12; e13; |e14; e15]; sep; "
         "&B : e16 ～ [e16]"},
        {"comments neither blanks nor shown; caption cut", "25 4 0 3", ";c\nabcdef\n\n;c\n\nx\n", "abc; |x"},
        {"only comments and blanks", "25 4 0 0", ";a\n\n;b\n", "なし"},
        {"UTF-8 with the mark, its delimiter too", "25 4 0 0",
         utf8_mark +
             std::string("@dlm=\xEF\xBD\x9C\n\xE3\x81\x82\xEF\xBD\x9C\xE6\xBC\xA2\nb\xF0\x9F\x98\x80\n"),
         "漢; b?"},
        {"hostile: a long line (a 259-byte caption), a zero byte ends a line, a lone lead byte", "25 4 0 0",
         std::string(600, 'x') + "\nab" + std::string(1, '\0') + "cd\n\x82\n\x82",
         std::string(259, 'x') + "; ab; \x82"},
        {"numbered header", "100 2 1 0", "a\n\n\n\n" + numbered("n", 1, 104) + "\n\n\nlast\n",
         "a; |&A : 1 ～ [" + numbered("n", 1, 102, "; ") + "|n102; n103]; sep; &B : 104 ～ [last]"},
    };
    for (const auto &[name, grid, file, menu] : rows) {
        SCOPED_TRACE(name);
        reset_process_state();
        std::istringstream(grid) >> settings.file_menu_rows >> settings.file_menu_columns >>
            settings.file_menu_numbered >> settings.file_caption_length;
        EXPECT_EQ(menu_of(file), menu);
    }
}

TEST_F(TextFiles, ChosenLinePastesTheTextTheMenuShowedOnce)
{
    menu_of("@dlm=|\n;comment\ntext one|first\n\n;x\nsecond\n");
    EXPECT_EQ(dispatch_menu_command(main_window, 9001), choice_scheduled);
    EXPECT_STREQ(output.output_text, "second");
    EXPECT_EQ(load_text_file_line(0), 1);
    EXPECT_EQ(load_text_file_line(2), 0) << "past the lines";
    EXPECT_STREQ(output.output_text, "text one");
    EXPECT_EQ(expansion.sendkey_file_enabled, 0);
    list_file("a\n", "$keys.txt");
    EXPECT_EQ(load_text_file_line(0), 1);
    EXPECT_EQ(expansion.sendkey_file_enabled, 1) << "a $ file enables key macros";
    std::filesystem::remove(store.text_file_path[1]);
    fake.events.clear();
    EXPECT_EQ(dispatch_menu_command(main_window, 9000), choice_cancelled) << "a file gone pastes nothing";
    EXPECT_EQ(fake_events(), "");
}

TEST_F(TextFiles, FileListInGroupsOfTenWithLazyLineMenus)
{
    for (int f = 0; f < 12; ++f)
        list_file("a\n", ("f" + std::to_string(f)).c_str());
    reset_menu_model(&model);
    const int32_t root = create_menu(&model, menu_filled, 0);
    fill_text_file_list_menu(&model, root, 1);
    const auto shown = [](int32_t menu) { return describe_menu(model, menu, shown_captions | shown_submenus); };
    EXPECT_EQ(shown(root),
              "&A  f0 >text file(0); &B  f1 >text file(0); &C  f2 >text file(0); &D  f3 >text file(0); "
              "&E  f4 >text file(0); &F  f5 >text file(0); &G  f6 >text file(0); &H  f7 >text file(0); "
              "&I   f8 >text file(0); &J  f9 >text file(0); sep; &1 : f10 ～ [&A  f10 >text file(0); "
              "&B  f11 >text file(0)]");
    EXPECT_NE(shown(build_main_menu(&model)).find("sep; データファイル ( &3 ) [&A  f0 >text file(0);"),
              std::string::npos);
    settings.file_section_enabled = 0;
    EXPECT_EQ(shown(build_main_menu(&model)).find("データファイル"), std::string::npos);
}

TEST_F(TextFiles, SearchListsAndOutputsWhatTheMenuDoes)
{
    list_file("@dlm= | \nplain\nsame | Cap\nother | Cap\n;dropped\n ;kept\nends | \n");
    ASSERT_EQ(load_text_file(main_window), 1);
    EXPECT_EQ(lines("", 1), "plain|Cap|Cap| ;kept|ends");
    EXPECT_EQ(lines("c", 0), "Cap|Cap");
    char out[260];
    line_output_text("Cap", out, sizeof out);
    EXPECT_STREQ(out, "same") << "the first of two equal captions";
    settings.show_text_default = 1;
    EXPECT_EQ(lines("c", 0), "same|other") << "matched by caption, shown by text";
    settings.comment_mark[0] = '\0';
    EXPECT_EQ(menu_of(";shown\n"), ";shown") << "an empty comment mark marks no comments";
    const std::string path = list_file("");
    choice_run.text_file_search = text_file_on;
    EXPECT_EQ(load_text_file(main_window), 0);
    std::filesystem::remove(path);
    EXPECT_EQ(switch_text_file_search_on(main_window), 0);
    EXPECT_EQ(fake_events(), "error データファイルが空です\nerror データファイルが読めません") << "load failures";
    EXPECT_EQ(choice_run.text_file_search, text_file_off);
    list_file(utf8_mark + std::string("\xE3\x81\x82\n"));
    EXPECT_EQ(load_text_file(main_window) == 1 ? lines("", 1) : "", "あ") << "UTF-8 searched as Shift-JIS";
    // "@kana=1" folds each line as the walk passes it.
    list_file("カタログ\nｶﾀﾛｸﾞ\nその他\n");
    ASSERT_EQ(load_text_file(main_window), 1);
    EXPECT_EQ(lines("かたろぐ", 0), "") << "@kana=0";
    settings.kana_fold = 1;
    EXPECT_EQ(lines("かたろぐ", 0), "カタログ|ｶﾀﾛｸﾞ");
}

TEST_F(TextFiles, SearchPassAcceptsOneLineOrChoosesOneName)
{
    list_file("apple\nbanana\n");
    list_file("x\n", "other");
    store.text_file_selected = 0;
    ASSERT_EQ(switch_text_file_search_on(main_window), 1);
    search_result result{};
    std::string shown;
    result.text_lines = text_line_sink{collect, &shown};
    settings.match_accept = 1;
    EXPECT_EQ(search_pass(main_window, "ban", &result), action_keep_open);
    EXPECT_STREQ(output.output_text, "banana");
    search_run.file_choice = 1;
    EXPECT_EQ(search_pass(main_window, "oth", &result), action_file_chosen);
    EXPECT_EQ(store.text_file_selected * 10 + search_run.file_choice, 10);
    EXPECT_EQ(fake_events(), "foreground 11\nsetsel 0 0 0\ntimer 620");
}

TEST_F(TextFiles, InsertAppendsToTheChosenFileOnlyAndPastesTheText)
{
    const std::string path = list_file("one\n");
    choice_run.text_file_search = text_file_on;
    EXPECT_EQ(insert_typed_line(main_window, "%d new"), action_hand_over);
    EXPECT_STREQ(output.output_text, "%d new") << "no macros";
    fake.file_writes_fail = true;
    insert_typed_line(main_window, "lost");
    fake.file_writes_fail = false;
    EXPECT_EQ(read_all(path), "one\n%d new\r\n");
    search_run.file_choice = 1;
    EXPECT_EQ(insert_typed_line(main_window, "x"), action_nothing) << "not while names are offered";
    fake.append_stops_after = 3;
    EXPECT_EQ(append_line("half"), 0);
    EXPECT_EQ(read_all(path), "one\n%d new\r\n") << "a short write is undone";
}

TEST_F(TextFiles, InsertKeepsTheFileInItsEncoding)
{
    const std::string mark = utf8_mark;
    // Name, the file, the typed text (Shift-JIS), the file after.
    const std::tuple<const char *, std::string, const char *, std::string> rows[] = {
        {"Shift-JIS gets Shift-JIS", "a\n", "あｱ", "a\nあｱ\r\n"},
        {"UTF-8 gets UTF-8, its last line ended first", mark + "a", "あｱ",
         mark + "a\r\n\xE3\x81\x82\xEF\xBD\xB1\r\n"},
        {"after the mark alone, no line end first", mark, "b", mark + "b\r\n"},
    };
    for (const auto &[name, file, typed, after] : rows) {
        const std::string path = list_file(file);
        EXPECT_EQ(append_line(typed), 1) << name;
        EXPECT_EQ(read_all(path), after) << name;
    }
}

} // namespace
