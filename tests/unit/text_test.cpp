#include <gtest/gtest.h>

#include <cstring>

#include "text/sjis.h"

// "ソ" is 0x83 0x5C (trail byte is a backslash), "ア" is 0x83 0x41 (trail byte is 'A').
static const char so[] = "\x83\x5C";
static const char a_kana[] = "\x83\x41";

TEST(CopyText, CutsToCapacityMinusOneAndReportsIt)
{
    char buf[4];
    EXPECT_EQ(copy_text(buf, sizeof buf, "abc"), 1);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(copy_text(buf, sizeof buf, "abcd"), 0);
    EXPECT_STREQ(buf, "abc");
    char app[6] = "ab";
    EXPECT_EQ(append_text(app, sizeof app, "cdef"), 0);
    EXPECT_STREQ(app, "abcde");
}

TEST(CopyText, WholeCharsNeverSplitsADoubleByteCharacter)
{
    char buf[4];
    std::string src = std::string("a") + so + so;
    EXPECT_EQ(copy_text_whole_chars(buf, sizeof buf, src.c_str()), 0);
    EXPECT_EQ(std::string(buf), std::string("a") + so);
}

TEST(FindNocase, FoldsAsciiOnlyAndNeverMatchesATrailByte)
{
    struct row {
        const char *name;
        std::string haystack, needle;
        int at; // -1 none
    } rows[] = {
        {"ascii folded", "xxABCx", "abc", 2},
        {"trail byte A is not the letter a", a_kana, "a", -1},
        {"trail byte A is not the letter A", a_kana, "A", -1},
        {"trail byte 5C is not a backslash", so, "\\", -1},
        {"double byte matched whole", std::string("x") + so + "y", std::string(so) + "Y", 1},
        {"match after a double byte char", std::string(a_kana) + "A", "a", 2},
        {"lead byte last before terminator", "ab\x83", "\x83", 2},
        {"empty needle", "abc", "", 0},
    };
    for (const auto &r : rows) {
        const char *hit = find_nocase(r.haystack.c_str(), r.needle.c_str());
        int at = hit ? static_cast<int>(hit - r.haystack.c_str()) : -1;
        EXPECT_EQ(at, r.at) << r.name;
    }
}

TEST(FindExact, IsCaseSensitive)
{
    EXPECT_EQ(find_exact("aBc", "bc"), nullptr);
    EXPECT_NE(find_exact("aBc", "Bc"), nullptr);
}

TEST(EqualsNocase, RequiresEqualLength)
{
    EXPECT_TRUE(equals_nocase("Notepad", "NOTEPAD"));
    EXPECT_FALSE(equals_nocase("Notepad", "notepad2"));
    EXPECT_FALSE(equals_nocase(a_kana, "\x83\x61")); // trail byte not folded
}

TEST(SplitPath, HandlesTrailByteBackslash)
{
    char drive[260], dir[260], base[260], ext[260];
    std::string path = std::string("C:\\a") + so + "\\name.ini";
    split_path(path.c_str(), drive, dir, base, ext);
    EXPECT_STREQ(drive, "C:");
    EXPECT_EQ(std::string(dir), std::string("\\a") + so + "\\");
    EXPECT_STREQ(base, "name");
    EXPECT_STREQ(ext, ".ini");

    std::string tricky = std::string("C:\\dir\\") + so + "x.txt";
    split_path(tricky.c_str(), drive, dir, base, ext);
    EXPECT_STREQ(dir, "\\dir\\");
    EXPECT_EQ(std::string(base), std::string(so) + "x");

    split_path("noext", drive, dir, base, ext);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(dir, "");
    EXPECT_STREQ(base, "noext");
    EXPECT_STREQ(ext, "");
}

TEST(Numbers, DecimalAndHex)
{
    struct row {
        const char *text;
        int32_t decimal, hex;
    } rows[] = {
        {"42", 42, 42}, {"  -7x", -7, -7}, {"abc", 0, 0}, {"0x11", 0, 0x11}, {"0X2d", 0, 0x2D},
        {"99999999999", INT32_MAX, INT32_MAX}, {"", 0, 0}, {"+5", 5, 5},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(read_decimal(r.text), r.decimal) << r.text;
        EXPECT_EQ(read_hex_or_decimal(r.text), r.hex) << r.text;
    }
}

TEST(RemoveByte, KeepsDoubleByteCharacters)
{
    char buf[32];
    std::string s = std::string("A&") + so + "&b";
    copy_text(buf, sizeof buf, s.c_str());
    remove_byte(buf, '&');
    EXPECT_EQ(std::string(buf), std::string("A") + so + "b");
}
