// The sample data file that ships beside mivra.exe: it must load as the comments in it promise.
#include <gtest/gtest.h>

#include <fstream>
#include <iconv.h>
#include <sstream>
#include <string>

#include "datafile_support.h"
#include "expand/expand.h"

namespace {

std::string read_package_file(const char *name)
{
    std::ifstream in(std::string(MIVRA_TEST_DATA_DIR) + "/../../package/" + name, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

// The package keeps UTF-8; the build ships it in code page 932, as this does.
std::string to_cp932(const std::string &utf8)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2 + 16, '\0');
    char *in_ptr = const_cast<char *>(utf8.data());
    size_t in_left = utf8.size();
    char *out_ptr = &out[0];
    size_t out_left = out.size();
    size_t converted = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    iconv_close(cd);
    EXPECT_NE(converted, static_cast<size_t>(-1)) << "the sample holds a character outside code page 932";
    out.resize(out.size() - out_left);
    return out;
}

int find_item(const char *caption)
{
    for (int i = 0; i < store.item_count; ++i)
        if (std::string(store.items[i].caption) == caption)
            return i;
    return -1;
}

TEST(SampleDataFile, LoadsItsGroupsMarksAndTables)
{
    datafile_dir d;
    ASSERT_EQ(d.load(to_cp932(read_package_file("Mivra.ini"))), 1);
    EXPECT_EQ(settings.menu_position, 5);
    EXPECT_EQ(settings.replace_enabled, 1);
    EXPECT_EQ(settings.output_mode, 1) << "the sample keeps \"@clip=0\" commented out";
    EXPECT_EQ(store.replace_count, 1);
    EXPECT_EQ(store.key_count, 4);
    EXPECT_STREQ(find_key("0D"), "Enter");

    int groups = 0, separators = 0, columns = 0;
    for (int i = 0; i < store.item_count; ++i) {
        groups += store.items[i].kind == group_open;
        separators += store.items[i].kind == separator_mark;
        columns += store.items[i].kind == column_break_mark;
    }
    EXPECT_EQ(groups, 2);
    EXPECT_EQ(separators, 1);
    EXPECT_EQ(columns, 1);
    EXPECT_GE(find_item("&1 今日の日付"), 0);
    int tab_item = find_item("&f 氏名とタブと住所");
    ASSERT_GE(tab_item, 0);
    EXPECT_NE(find_nocase(store.items[tab_item].text, "%$tb%"), nullptr);
}

TEST(SampleDataFile, ItsUserMacroYieldsTheDate)
{
    datafile_dir d;
    ASSERT_EQ(d.load(to_cp932(read_package_file("Mivra.ini"))), 1);
    int item = find_item("&h 置換表の例（今日の日付）");
    ASSERT_GE(item, 0);
    copy_text(output.output_text, sizeof output.output_text, store.items[item].text);
    prepare_chosen_text(1);
    EXPECT_STREQ(output.output_text, "2026/03/05");
}

TEST(SampleManual, IsWhollyInCodePage932)
{
    EXPECT_FALSE(to_cp932(read_package_file("Mivra.txt")).empty());
}

} // namespace
