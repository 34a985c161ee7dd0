// The Shift-JIS helpers: ASCII-only folding that never touches a trail byte, path splitting and
// number reading (the bounded copies are pinned where their callers cut: cmdline, loader, menus);
// the fold of "@kana=1" matching.
#include "datafile_support.h"

#include "text/fold.h"

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

TEST(Fold, KanaWidthAndCaseFoldToOneForm)
{
    // Name, text, capacity, folded, whole text fitted.
    const std::tuple<const char *, std::string, size_t, std::string, int> rows[] = {
        {"hiragana as katakana, across the gap; iteration marks", "かなむんゝゞ", 64, "カナムンヽヾ", 1},
        {"half-width kana and punctuation widen", "ｶﾀ｢ｰ｣ｦ", 64, "カタ「ー」ヲ", 1},
        {"voiced and semi-voiced marks join their letter", "ｶﾞﾂﾞﾎﾞﾊﾟｳﾞ", 64, "ガヅボパヴ", 1},
        {"a mark that joins nothing stays a mark", "ｱﾞｶﾟﾞ", 64, "ア゛カ゜゛", 1},
        {"full-width ASCII as ASCII", "ＡＢｃ０９！～（＼）　\xFA\x57\xEE\xFB", 64, "abc09!~(\\) \"'", 1},
        {"ASCII capitals, Greek and Cyrillic capitals as small", "ZΑΩωНОЯЁ", 64, "zαωωнояё", 1},
        {"trail bytes that look like ASCII never fold", so + a_kana + "表ヶ", 64, so + a_kana + "表ヶ", 1},
        {"a lead byte last before the terminator stays one byte", "Ａ\x83", 3, "a\x83", 1},
        {"a widened character that does not fit ends the output", "abｶ", 4, "ab", 0},
        {"exactly fitting", "ｶﾞA", 4, "ガa", 1},
    };
    for (const auto &[name, text, capacity, folded, fitted] : rows) {
        char out[64];
        EXPECT_EQ(fold_for_match(out, capacity, text.c_str()), fitted) << name;
        EXPECT_EQ(std::string(out), folded) << name;
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
