#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "html/layout/HtmlScreen.h"

#include "html/text/HtmlColors.h"
#include "html/text/HtmlText.h"

namespace {

constexpr TColor Red = 0x0000FF;
constexpr TColor NoColour = TColor(0x7EADBEEF);  // marks "false"

TColor parse(const char16_t* text, bool needSharp) {
    TColor c = 0;
    return TryTextToColor(text, needSharp, c) ? c : NoColour;
}

TEST(ColorsTest, TextsToColours) {
    const struct {
        const char16_t* text;
        bool needSharp;
        TColor expect;
    } cases[] = {
        {u"#f00", false, Red},
        {u"#f00", true, Red},
        {u"f00", false, Red},
        {u"#ff0000", true, Red},
        {u"RED", true, Red},
        {u"  Red ", false, Red},
        {u"rgb(255,0,0)", false, Red},
        {u"rgb(100%, 0%, 0%)", false, Red},
        {u"rgba(255, 0, 0, 0.5)", false, Red},
        {u"rgb(300, -5, 0)", false, Red},        // clamped
        {u"rgb(50%, 20%, 0)", false, 0x00337F},  // 127.5 and 51: 127 and 51
        {u"#0000FF", true, 0xFF0000},            // red and blue swapped into TColor
        {u"#123", true, 0x332211},
        {u"#ffff", false, 0xFFFF00},  // 0x00FFFF read as RGB
        {u"hsl(120, 100%, 50%)", false, 0x00FF00},
        {u"hsl(480, 100%, 50%)", false, 0x00FF00},
        {u"hsl(-240, 100%, 50%)", false, 0x00FF00},
        {u"hsla(0, 100%, 50%, 0.5)", false, Red},
        {u"hsl(0, 0%, 50%)", false, 0x808080},  // 127.5 rounds to even: 128
        {u"hsl(0, 150%, 120%)", false, 0xFFFFFF},
        {u"transparent", false, clNone},
        {u"None", true, clNone},
        {u"ButtonFace", false, clBtnFace},
        {u"threedface", false, clBtnFace},
        {u"APPWORKSPACE", false, clAppWorkSpace},
        {u"rebeccapurple", false, 0x993366},
        {u"darkgrey", false, 0xA9A9A9},
        {u"", false, NoColour},
        {u"f00", true, NoColour},
        {u"#ff123456", false, NoColour},  // more than six digits
        {u"$0000FF", false, NoColour},
        {u"inherit", false, NoColour},
        {u"currentColor", false, NoColour},
        {u"#ggg", true, NoColour},
        {u"rgb 255 0 0", false, NoColour},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse(c.text, c.needSharp), c.expect) << htmltext::toUtf8(c.text) << " sharp=" << c.needSharp;
}

TEST(ColorsTest, LastColourDoesNotChangeAnswers) {
    EXPECT_EQ(parse(u"f00", false), Red);
    EXPECT_EQ(parse(u"f00", true), NoColour);  // the cache is keyed on NeedSharp too
    EXPECT_EQ(parse(u"#f00", false), Red);
    EXPECT_EQ(parse(u"f00", true), NoColour);
    EXPECT_EQ(parse(u"?&%@", false), NoColour);
    EXPECT_EQ(parse(u"?&%@", true), NoColour);
}

TEST(ColorsTest, PaletteFlagOnlyOnHexadecimalColours) {
    const uint32_t old = std::exchange(PalRelative, 0x02000000u);  // an 8-bit screen
    EXPECT_EQ(parse(u"#00ff00", true), 0x0200FF00);
    EXPECT_EQ(parse(u"lime", true), 0x00FF00);
    EXPECT_EQ(parse(u"rgb(0,255,0)", true), 0x00FF00);
    PalRelative = old;
    EXPECT_EQ(parse(u"#0f0", true), 0x00FF00);
}

TEST(ColorsTest, HslAndAlpha) {
    EXPECT_EQ(HslToRgb(240, 100, 50), 0xFF0000);
    EXPECT_EQ(HslToRgb(0, 0, 0), 0);
    EXPECT_EQ(HslToRgb(120, 100, 25), 0x008000);  // 127.5 rounds to even
    TColor c;
    int alpha;
    ASSERT_TRUE(ParseColorText(u"rgba(1,2,3,0.5)", false, c, alpha));
    EXPECT_EQ(alpha, 127);
    ASSERT_TRUE(ParseColorText(u"rgba(1,2,3,x)", false, c, alpha));
    EXPECT_EQ(alpha, 255);
    ASSERT_TRUE(ParseColorText(u"red", false, c, alpha));
    EXPECT_EQ(alpha, 255);
}

}  // namespace
