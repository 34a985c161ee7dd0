// The Shift-JIS helpers: ASCII-only folding that never touches a trail byte, path splitting and
// number reading (the bounded copies are pinned where their callers cut: cmdline, loader, menus).
#include "datafile_support.h"

// "ソ" is 0x83 0x5C (trail byte a backslash), "ア" is 0x83 0x41 (trail byte 'A').
static const std::string so = "\x83\x5C", a_kana = "\x83\x41";

TEST(Search, FoldsAsciiOnlyAndNeverMatchesATrailByte)
{
    // Name, n find_nocase or = equals_nocase (0 equal, -1 not), text, needle, where (-1 none).
    const std::tuple<const char *, char, std::string, std::string, int> rows[] = {
        {"trail byte 5C is not a backslash", 'n', so, "\\", -1},
        {"double byte matched whole", 'n', "x" + so + "y", so + "Y", 1},
        {"lead byte last before terminator", 'n', "ab\x83", "\x83", 2},
        {"empty needle", 'n', "abc", "", 0},
        {"equality needs equal length", '=', "Notepad", "notepad2", -1},
        {"equality never folds a trail byte", '=', a_kana, "\x83\x61", -1},
    };
    for (const auto &[name, how, text, needle, at] : rows) {
        const char *t = text.c_str(), *n = needle.c_str();
        const char *hit = how == 'n' ? find_nocase(t, n) : equals_nocase(t, n) ? t : nullptr;
        EXPECT_EQ(hit ? static_cast<int>(hit - t) : -1, at) << name;
    }
}

TEST(SplitPath, FindsSeparatorsAndDotsOnCharacterBoundaries)
{
    const std::pair<std::string, std::string> rows[] = {
        // the path, then drive|dir|base|ext
        {"C:\\a" + so + "\\name.ini", "C:|\\a" + so + "\\|name|.ini"},
        {"C:\\dir\\" + so + "x.txt", "C:|\\dir\\|" + so + "x|.txt"},
        {"noext", "||noext|"},
    };
    for (const auto &[path, parts] : rows) {
        char drive[260], dir[260], base[260], ext[260];
        split_path(path.c_str(), drive, dir, base, ext);
        EXPECT_EQ(std::string(drive) + "|" + dir + "|" + base + "|" + ext, parts) << path;
    }
}

TEST(Numbers, DecimalAndHex)
{
    const std::tuple<const char *, int32_t, int32_t> rows[] = {
        // text, decimal, hex or decimal
        {"42", 42, 42},    {"  -7x", -7, -7}, {"abc", 0, 0},
        {"0x11", 0, 0x11}, {"0X2d", 0, 0x2D}, {"99999999999", INT32_MAX, INT32_MAX},
        {"", 0, 0},        {"+5", 5, 5},
    };
    for (const auto &[text, decimal, hex] : rows)
        EXPECT_EQ(std::make_pair(read_decimal(text), read_hex_or_decimal(text)), std::make_pair(decimal, hex))
            << text;
}
