// The Wine prefix the tests run in (scripts/wine-env): Japanese code page, a Japanese UI font, and a
// virtual desktop that keeps hidden windows from stalling.
#include "e2e_support.h"

#include <chrono>
#include <cstring>

using namespace e2e;

TEST(WinePrefix, AnsiCodePageIs932)
{
    EXPECT_EQ(GetACP(), 932u);
}

namespace {

// Width of a text in a font of the face, with the face Windows reports for it.
SIZE text_extent(const char *face, const char *text, std::string *reported_face)
{
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN, face);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
    char name[LF_FACESIZE * 2] = "";
    GetTextFaceA(dc, sizeof name, name);
    *reported_face = name;
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return size;
}

} // namespace

// "ＭＳ Ｐゴシック" is the program's font; the prefix maps it to IPA P Gothic, which has kana glyphs.
TEST(WinePrefix, MsPGothicIsReplacedByIpaPGothic)
{
    const char *sample = "あいうアイウ漢字表示ABCabc";
    std::string face, ipa_face;
    SIZE ms = text_extent("ＭＳ Ｐゴシック", sample, &face);
    SIZE ipa = text_extent("IPAPGothic", sample, &ipa_face);
    EXPECT_EQ(face, "ＭＳ Ｐゴシック");
    EXPECT_GT(ms.cx, 0);
    EXPECT_EQ(ms.cx, ipa.cx);
    EXPECT_EQ(ms.cy, ipa.cy);

    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN, "ＭＳ Ｐゴシック");
    HGDIOBJ old = SelectObject(dc, font);
    WORD glyph = 0;
    EXPECT_EQ(GetGlyphIndicesW(dc, L"\u3042", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS), 1u);
    EXPECT_NE(glyph, 0xFFFF) << "no glyph for a hiragana";
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
}

// Without a window manager, Wine stalls about 2 s when a window is hidden; not inside a virtual desktop.
TEST(WinePrefix, HidingAWindowDoesNotStall)
{
    HWND window = CreateWindowExA(0, "STATIC", "stall probe", WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(window);
    ShowWindow(window, SW_SHOW);
    pump_messages();
    auto start = std::chrono::steady_clock::now();
    ShowWindow(window, SW_HIDE);
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    DestroyWindow(window);
    EXPECT_LT(took.count(), 1000) << "hiding a window took " << took.count() << " ms";
}
