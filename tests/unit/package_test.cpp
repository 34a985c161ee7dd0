// The sample data file that ships beside mivra.exe: it must load as the comments in it promise.

#include "datafile_support.h"
#include "datafile/text_file.h"
#include "expand/expand.h"

namespace {

// The package keeps UTF-8; the build ships it in code page 932, as this does.
std::string package_file(const char *name)
{
    std::string utf8 = read_all(std::string(MIVRA_TEST_DATA_DIR) + "/../../package/" + name);
    std::string cp932 = convert(utf8, "CP932", "UTF-8");
    EXPECT_TRUE(!utf8.empty() && cp932.find("\\x") == std::string::npos)
        << name << " is not all code page 932";
    return cp932;
}

int find_item(const char *caption)
{
    for (int i = 0; i < store.item_count; ++i)
        if (std::string(store.items[i].caption) == caption)
            return i;
    return -1;
}

TEST(SampleDataFile, LoadsEverySectionAndItsDateAndUserMacroItemsGiveWhatTheirCaptionsSay)
{
    datafile_dir d;
    package_file("Mivra.txt"); // the manual is wholly in code page 932 too
    d.write("sample.txt", package_file("sample.txt"));
    // Started from the folder, as the shortcut's working folder has it: the sample's file names are found.
    char before[4096];
    ASSERT_TRUE(getcwd(before, sizeof before));
    ASSERT_EQ(chdir(d.dir.c_str()), 0);
    const int loaded = d.load(package_file("Mivra.ini"));
    ASSERT_EQ(chdir(before), 0);
    ASSERT_EQ(loaded, 1);
    int kinds[10] = {};
    for (int i = 0; i < store.item_count; ++i)
        ++kinds[store.items[i].kind];
    // menu position, replace, output mode ("@clip=0" and "@sendkey=1" stay commented out), era, tables,
    // groups (one nested), marks; the listed sample text file
    EXPECT_EQ(joined({settings.menu_position, settings.replace_enabled, settings.output_mode,
                      settings.sendkey_enabled, settings.era_base_year, store.replace_count, store.key_count,
                      store.title_count, store.text_file_count, kinds[group_open], kinds[separator_mark],
                      kinds[column_break_mark]}),
              "5 1 1 0 2018 2 16 1 1 4 2 1");
    EXPECT_STREQ(find_key("0D"), "Enter");
    // Items whose captions promise a form of the date or a tab (the fake clock: Thursday 2026-03-05
    // 14:07:09, the era counted from "@year=2018") and the user macros.
    const std::pair<const char *, const char *> rows[] = {
        {"&1 今日の日付", "2026年03月05日（木）"},
        {"&h 置換表の例（今日の日付）", "2026/03/05"},
        {"&3 現在時刻（24時間）", "14:07"},
        {"&4 午前・午後つき", "午後2時07分"},
        {"&5 和暦", "令和8年3月5日"},
        {"&6 英語の日付", "Thu, Mar 5, 2026"},
        {"&k 署名（置換表の例）", "山田 太郎\r\nyamada@example.jp"},
        {"&f 氏名とタブと住所", "山田 太郎%$tb%東京都千代田区"}, // the tab mark is the delivery's
    };
    for (const auto &[caption, expected] : rows) {
        SCOPED_TRACE(caption);
        int item = find_item(caption);
        ASSERT_GE(item, 0);
        copy_text(output.output_text, sizeof output.output_text, store.items[item].text);
        prepare_chosen_text(1);
        EXPECT_STREQ(output.output_text, expected);
    }
    // The sample text file splits at its "@dlm=" line, and the file item's "#T:" takes the signature
    // between its marks, the marks left out.
    char first[line_buffer_size];
    EXPECT_EQ(find_text_file_entry(0, 0, first, sizeof first), 1);
    EXPECT_EQ(std::string(text_file_delimiter) + first, " | お世話になっております。");
    ASSERT_EQ(expand_item_file(0, find_item("署名"), expand_from_file, 0), 1); // its path found at the load
    EXPECT_STREQ(output.output_text, "\n山田 太郎\n株式会社みほん 営業部\nyamada@example.jp\n");
}

} // namespace
