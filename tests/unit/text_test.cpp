// The Shift-JIS helpers: ASCII-only folding that never touches a trail byte, path splitting and
// number reading (the bounded copies are pinned where their callers cut: cmdline, loader, menus).
#include <gtest/gtest.h>

#include <string>

#include "text/sjis.h"

// "ソ" is 0x83 0x5C (trail byte a backslash), "ア" is 0x83 0x41 (trail byte 'A').
static const std::string so = "\x83\x5C", a_kana = "\x83\x41";

TEST(Search, FoldsAsciiOnlyAndNeverMatchesATrailByte)
{
    struct row {
        const char *name;
        char how; // n find_nocase, e find_exact, = equals_nocase (0 equal, -1 not)
        std::string text, needle;
        int at; // -1 none
    } rows[] = {
        {"ascii folded", 'n', "xxABCx", "abc", 2},
        {"trail byte A is not the letter A", 'n', a_kana, "A", -1},
        {"trail byte 5C is not a backslash", 'n', so, "\\", -1},
        {"double byte matched whole", 'n', "x" + so + "y", so + "Y", 1},
        {"match after a double byte char", 'n', a_kana + "A", "a", 2},
        {"lead byte last before terminator", 'n', "ab\x83", "\x83", 2},
        {"empty needle", 'n', "abc", "", 0},
        {"exact search keeps case", 'e', "aBc", "bc", -1},
        {"exact search finds the same case", 'e', "aBc", "Bc", 1},
        {"equality folds ascii", '=', "Notepad", "NOTEPAD", 0},
        {"equality needs equal length", '=', "Notepad", "notepad2", -1},
        {"equality never folds a trail byte", '=', a_kana, "\x83\x61", -1},
    };
    for (const auto &r : rows) {
        const char *t = r.text.c_str(), *hit = r.how == 'n'   ? find_nocase(t, r.needle.c_str())
                                               : r.how == 'e' ? find_exact(t, r.needle.c_str())
                                               : equals_nocase(t, r.needle.c_str()) ? t
                                                                                    : nullptr;
        EXPECT_EQ(hit ? static_cast<int>(hit - t) : -1, r.at) << r.name;
    }
}

TEST(SplitPath, FindsSeparatorsAndDotsOnCharacterBoundaries)
{
    struct row {
        std::string path, parts; // drive|dir|base|ext
    } rows[] = {
        {"C:\\a" + so + "\\name.ini", "C:|\\a" + so + "\\|name|.ini"},
        {"C:\\dir\\" + so + "x.txt", "C:|\\dir\\|" + so + "x|.txt"},
        {"noext", "||noext|"},
    };
    for (const auto &r : rows) {
        char drive[260], dir[260], base[260], ext[260];
        split_path(r.path.c_str(), drive, dir, base, ext);
        EXPECT_EQ(std::string(drive) + "|" + dir + "|" + base + "|" + ext, r.parts) << r.path;
    }
}

TEST(Numbers, DecimalAndHex)
{
    struct row {
        const char *text;
        int32_t decimal, hex;
    } rows[] = {
        {"42", 42, 42},    {"  -7x", -7, -7}, {"abc", 0, 0},
        {"0x11", 0, 0x11}, {"0X2d", 0, 0x2D}, {"99999999999", INT32_MAX, INT32_MAX},
        {"", 0, 0},        {"+5", 5, 5},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(read_decimal(r.text), r.decimal) << r.text;
        EXPECT_EQ(read_hex_or_decimal(r.text), r.hex) << r.text;
    }
}
