#include "bregexp/bregexp.h"
#include "datafile_support.h"

namespace {

// One call with a fresh record, freed afterwards, as the search window makes it. The target may end
// in a lead byte; the bytes past its end are there to be ignored.
int match(const char *str, const char *target)
{
    std::string buffer = std::string(target) + "b\x5C";
    char msg[100];
    memset(msg, 'Z', sizeof msg);
    BREGEXP *rx = nullptr;
    const int r = BMatch(const_cast<char *>(str), &buffer[0], &buffer[strlen(target)], &rx, msg);
    BRegfree(rx);
    EXPECT_EQ(msg[80], 'Z') << str;
    EXPECT_EQ(r == -1, memchr(msg, 0, 80) && msg[0]) << str << ": a message exactly for errors";
    return r;
}

TEST(Bregexp, MatchesShiftJisCharactersAsUnits)
{
    const std::tuple<const char *, const char *, const char *, int> rows[] = {
        {"double-byte class members and range", "m/^[漢字ァ-ン]+$/k", "字ポ", 1},
        {"class never matches a trail byte alone", "m/[ポ]/k", "|", 0},
        {"trail 0x5C does not escape the delimiter", "m/x表/k", "x表y", 1},
        {"without k the same bytes escape it", "m/x表/", "x表y", -1},
        {"escaped backslash never matches trail 0x5C", "m/\\\\/k", "表", 0},
        {"trail 0x7C is no alternation", "m/ポ/k", "abc", 0},
        {"a lead byte last is not joined with what follows", "m/\x81\x62/k", "a\x81", 0},
        {"the text is taken to end before a lead byte last", "m/a$/k", "a\x81", 1},
        {"caret form with a bare slash", "/^漢/k", "漢字", 1},
        {"another delimiter", "m#a/b#k", "a/b", 1},
        {"the sample data file's title pattern", "m/メモ帳|Notepad/ki", "無題 - メモ帳", 1},
        {"i folds ASCII letters", "m/abc/ki", "xABCx", 1},
        {"case matters without i", "m/abc/k", "ABC", 0},
        {"invalid pattern", "m/(a/k", "a", -1},
        {"unknown flag", "m/a/q", "a", -1},
        {"unbalanced delimiters", "m/a/b/k", "a", -1},
        {"no closing delimiter", "m/a", "a", -1},
        {"substitution is not offered", "s/a/b/", "a", -1},
        {"lead byte last in the pattern", "m/a\x81/k", "a", -1},
        {"long message quoting double-byte text", "m/\\p{漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢漢}/k", "a", -1},
        {"empty str", "", "a", -1},
        {"empty target", "m/a/k", "", -1},
    };
    for (const auto &[why, str, target, expected] : rows)
        EXPECT_EQ(match(str, target), expected) << why << ": " << str;
}

TEST(Bregexp, TargetBounds)
{
    char target[] = "a";
    BREGEXP *rx = nullptr;
    EXPECT_EQ(BMatch(const_cast<char *>("m/a/"), target + 1, target, &rx, nullptr), -1) << "end before start";
    EXPECT_EQ(rx, nullptr);
}

TEST(Bregexp, RecordsOutliveTheCacheAndFollowTheirPattern)
{
    char target[] = "漢字x";
    char *end = target + strlen(target);
    char msg[80];
    BREGEXP *kept = nullptr, *again = nullptr;
    ASSERT_EQ(BMatch(const_cast<char *>("m/(字)(y)?/k"), target, end, &kept, msg), 1);
    EXPECT_EQ(kept->nparens, 2);
    EXPECT_EQ(kept->startp[0], target + 2);
    EXPECT_EQ(kept->endp[1], target + 4);
    EXPECT_EQ(kept->startp[2], nullptr);
    ASSERT_EQ(BMatch(const_cast<char *>("m/(字)(y)?/k"), target, end, &again, msg), 1);
    EXPECT_NE(again, kept);
    BRegfree(again);
    for (int i = 0; i < 20; i++) // evicts the shared expression from the cache
        match(("m/" + std::to_string(i) + "/").c_str(), "x");
    EXPECT_EQ(BMatch(const_cast<char *>("m/(字)(y)?/k"), target, end, &kept, msg), 1);
    EXPECT_EQ(BMatch(const_cast<char *>("m/x$/k"), target, end, &kept, msg), 1) << "another pattern";
    EXPECT_EQ(kept->startp[0], target + 4);
    EXPECT_EQ(BMatch(const_cast<char *>("m/x$/k"), target, end - 1, &kept, msg), 0);
    EXPECT_EQ(kept->startp[0], nullptr) << "no bounds after a mismatch";
    BRegfree(kept);
}

} // namespace
