// Screen facts, shared palette, colour, string and drawing helpers of the HTML viewer.
#include <gtest/gtest.h>

#include "html/layout/HtmlScreen.h"
#include "html/text/HtmlStrings.h"
#include "platform/framework/DeviceContext.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/RecordingDC.h"

namespace {

// Cases that change the screen facts put this platform's back.
class ScreenFacts : public ::testing::Test {
protected:
    void TearDown() override { InitScreenFacts(24); }
};

TEST_F(ScreenFacts, DepthDecidesBitsPaletteAndPaletteRelativeFlag) {
    struct Case {
        int bits;
        uint8_t colorBits;
        bool palette;
        uint32_t palRelative;
    };
    const Case cases[] = {{1, 4, false, 0x02000000}, {4, 4, false, 0x02000000}, {8, 8, true, 0x02000000},
                          {16, 24, false, 0},        {24, 24, false, 0},        {32, 24, false, 0}};
    for (const Case& c : cases) {
        InitScreenFacts(c.bits);
        EXPECT_EQ(ColorBits, c.colorBits) << c.bits;
        EXPECT_EQ(ThePalette != nullptr, c.palette) << c.bits;
        EXPECT_EQ(PalRelative, c.palRelative) << c.bits;
        EXPECT_FALSE(IsWin95);
        EXPECT_FALSE(IsWin32Platform);
    }
    ensureQtApp();
    InitScreenFacts();  // this machine's screen
    EXPECT_EQ(ColorBits, 24);
    EXPECT_EQ(PalRelative, 0u);
}

TEST_F(ScreenFacts, SharedPaletteHoldsCubeGreysAndStaticColours) {
    const std::vector<TColor> p = CreateSharedPalette();
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(p[0], RGB(0, 0, 0));
    EXPECT_EQ(p[7], RGB(192, 192, 192));
    EXPECT_EQ(p[255], RGB(255, 255, 255));
    EXPECT_EQ(p[10], RGB(55, 55, 55));   // the cube starts at the lowest level
    EXPECT_EQ(p[11], RGB(115, 55, 55));  // red varies fastest
    EXPECT_EQ(p[16], RGB(55, 115, 55));
    EXPECT_EQ(p[224], RGB(235, 255, 255));  // the last cube entry: white is left out
    EXPECT_EQ(p[225], RGB(135, 135, 135));
    EXPECT_EQ(p[230], RGB(160, 160, 160));
    EXPECT_EQ(p[231], RGB(170, 170, 170));  // 165 (i = 7) is skipped
    EXPECT_EQ(p[244], RGB(245, 245, 245));
    EXPECT_EQ(p[245], RGB(255, 255, 254));
    EXPECT_EQ(p[246], RGB(255, 251, 240));
    InitScreenFacts(8);
    ASSERT_NE(ThePalette, nullptr);
    EXPECT_EQ(*ThePalette, p);
}

TEST(HtmlColours, ShadesAndThemedColours) {
    ensureQtApp();
    EXPECT_EQ(DarkSysColor(clWhite), RGB(160, 160, 160));
    EXPECT_EQ(LightSysColor(clBlack), RGB(128, 128, 128));
    EXPECT_EQ(DarkSysColor(RGB(128, 1, 2)), RGB(80, 1, 1));  // 80.3, 0.63, 1.25
    EXPECT_EQ(LightSysColor(RGB(255, 1, 2)), RGB(255, 128, 129));
    EXPECT_EQ(ThemedColor(RGB(1, 2, 3), true), RGB(1, 2, 3));
    EXPECT_EQ(ThemedColor(clBtnFace, false), UnstyledColorToRGB(clBtnFace));
    EXPECT_EQ(uint32_t(ThemedColor(clWindowText, true)) & 0xFF000000u, 0u);
}

TEST(HtmlStrings, TheComponentsConventions) {
    EXPECT_FALSE(StringEndsWith(u"abc", u"c"));
    EXPECT_TRUE(StringEndsWith(u"c", u"abc"));
    EXPECT_TRUE(StringEndsWith(u"", u"abc"));
    EXPECT_TRUE(StringStartsWith(u"", u"abc"));
    EXPECT_TRUE(StringStartsWith(u"ab", u"abc"));
    EXPECT_FALSE(StringStartsWith(u"abcd", u"abc"));
    EXPECT_FALSE(StringStartsWith(u"B", u"abc"));
    EXPECT_EQ(TrimString(u"\t\r\n x y \x01"), u"x y");
    EXPECT_EQ(TrimString(u"  "), u"");
    EXPECT_LT(CompareStrings(u"B", u"a"), 0);  // ordinal: capitals first
    EXPECT_EQ(CompareStrings(u"a", u"a"), 0);
    EXPECT_GT(CompareStrings(u"ab", u"a"), 0);
    EXPECT_EQ(UpperCaseString(u"Привіт, ß"), u"ПРИВІТ, SS");
    EXPECT_EQ(LowerCaseString(u"ÀÉ ЇЖ"), u"àé їж");
    std::u16string s = u"x";
    AppendCharToString(s, u'y');
    AppendStringToString(s, u"");
    AppendStringToString(s, u"zz");
    EXPECT_EQ(s, u"xyzz");
    uint8_t buf[8] = {};
    uint8_t* p = buf;
    PtrInc(p, 5);
    EXPECT_EQ(PtrSub(p, buf), 5);
    EXPECT_EQ(PtrAdd(static_cast<void*>(buf), 3), static_cast<void*>(buf + 3));
}

TEST_F(ScreenFacts, PrepareBitmapMakesAtLeastTwoByTwo) {
    ensureQtApp();
    TBitmap* b = nullptr;
    PrepareBitmap(b, 0, 1, false);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Width(), 2);
    EXPECT_EQ(b->Height(), 2);
    PrepareBitmap(b, 50, -3, true);
    EXPECT_EQ(b->Width(), 50);
    EXPECT_EQ(b->Height(), 2);
    EXPECT_EQ(b->PixelFormat(), pfDevice);  // no palette on this screen
    delete b;
    b = nullptr;
    InitScreenFacts(8);
    PrepareBitmap(b, 3, 3, true);
    EXPECT_EQ(b->PixelFormat(), pf8bit);
    EXPECT_EQ(b->Palette(), *ThePalette);
    delete b;
}

TEST(HtmlDrawing, CircleAndClippedTextOnTheCanvas) {
    TRecordingDC dc(100, 100);
    TCanvas canvas;
    canvas.SetDevice(&dc);
    DrawCircle(&canvas, 10, 25, 10);
    EXPECT_EQ(dc.Calls("Ellipse"), std::vector<std::string>{"Ellipse 10 15 20 25"});

    const TRect r{0, 0, 50, 20};
    canvas.Brush()->SetStyle(bsClear);
    dc.ClearLog();
    CanvasTextRectW(&canvas, r, 5, 2, u"ab");
    ASSERT_EQ(dc.Calls("ExtTextOut").size(), 1u);
    EXPECT_EQ(dc.Calls("ExtTextOut")[0], "ExtTextOut 5 2 4 0 0 50 20 \"ab\"");

    canvas.Brush()->SetColor(clYellow);  // solid again: the rectangle is filled
    canvas.TextFlags = ETO_RTLREADING;
    canvas.CanvasOrientation = coRightToLeft;
    dc.ClearLog();
    CanvasTextRectW(&canvas, r, 5, 2, u"ab");
    const int w = canvas.TextWidthW(u"ab");
    EXPECT_EQ(dc.Calls("ExtTextOut")[0], "ExtTextOut " + std::to_string(5 + w + 1) + " 2 " +
                                             std::to_string(ETO_RTLREADING | ETO_CLIPPED | ETO_OPAQUE) +
                                             " 0 0 50 20 \"ab\"");
    canvas.SetDevice(nullptr);
}

}  // namespace
