#include <gtest/gtest.h>

#include <string>

#include "html/text/CharsetProbe.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlText.h"
#include "html/text/Lengths.h"
#include "html/text/Properties.h"
#include "platform/framework/RecordingDC.h"

namespace {

using htmltext::toUtf8;

// Fonts measured by the recording context (em height s: ascent s, descent
// s/4, internal leading s/4) at 96 pixels per inch, with a default size of 12.
class FontsTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldProvider_ = SetScreenDCProvider([this] {
            ++measures_;
            return std::unique_ptr<TDeviceContext>(new TRecordingDC());
        });
        oldPpi_ = SetScreenPixelsPerInch(96);
        SetGlobalFontSizes(12);
        GlobalFontCache().Clear();
    }
    void TearDown() override {
        GlobalFontCache().Clear();
        SetGlobalFontSizes(12);
        SetScreenPixelsPerInch(oldPpi_);
        SetScreenDCProvider(oldProvider_);
    }
    static ThtFontInfo info(const char16_t* name, double size, int charset = DEFAULT_CHARSET) {
        ThtFontInfo i;
        i.iName = name;
        i.iSize = size;
        i.iCharSet = charset;
        return i;
    }
    int measures_ = 0;

private:
    TScreenDCProvider oldProvider_;
    int oldPpi_ = 0;
};

TEST_F(FontsTest, OneCachedFontServesEveryColour) {
    ThtFontCache cache;
    ThtFontInfo red = info(u"DejaVu Sans", 12), blue = red;
    red.iColor = 0x0000FF;
    blue.iColor = 0xFF0000;
    blue.ibgColor = 0x00FF00;
    auto a = cache.GetFontLike(red);
    auto b = cache.GetFontLike(blue);
    EXPECT_EQ(cache.Count(), 1u);
    EXPECT_EQ(measures_, 1);
    EXPECT_EQ(a->Color(), 0x0000FF);
    EXPECT_EQ(b->Color(), 0xFF0000);
    EXPECT_EQ(b->bgColor, 0x00FF00);
    EXPECT_EQ(a->bgColor, clNone);
    EXPECT_EQ(a->Height(), -16);
    EXPECT_EQ(a->EmSize, 16);  // the height less the internal leading
    EXPECT_EQ(a->ExSize, 8);
    EXPECT_EQ(a->tmHeight, 20);
    EXPECT_EQ(a->tmDescent, 4);
    EXPECT_NE(a.get(), b.get());
    ThtFontInfo bold = red;
    bold.iStyle = fsSet(fsBold);
    cache.GetFontLike(bold);
    ThtFontInfo other = red;
    other.iName = u"dejavu sans";  // the name compares without regard to case
    cache.GetFontLike(other);
    EXPECT_EQ(cache.Count(), 2u);
}

TEST_F(FontsTest, SymbolFacesKeepTheirCharsetAndOneCacheEntry) {
    ThtFontCache cache;
    ThtFontInfo sym = info(u"Symbol", 10, 204);
    auto f = cache.GetFontLike(sym);
    EXPECT_EQ(f->Charset(), SYMBOL_CHARSET);
    const size_t entries = cache.Count();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(cache.GetFontLike(sym)->Charset(), SYMBOL_CHARSET);
    EXPECT_EQ(cache.Count(), entries);
    EXPECT_EQ(measures_, 1);
    ThtFontInfo asSymbol = info(u"Symbol", 10, SYMBOL_CHARSET);
    cache.GetFontLike(asSymbol);
    EXPECT_EQ(measures_, 1);
    ThtFontInfo cyr = info(u"DejaVu Sans", 10, 204);
    EXPECT_EQ(cache.GetFontLike(cyr)->Charset(), 204);
    const size_t before = cache.Count();
    for (int i = 0; i < 3; ++i) {
        ThtFontInfo zero = info(u"DejaVu Sans", 0);  // no size: the font's default height, cached once
        cache.GetFontLike(zero);
    }
    EXPECT_EQ(cache.Count(), before + 1);
}

TEST_F(FontsTest, LetterSpacingIsConvertedOnce) {
    ThtFontCache cache;
    const struct {
        ThtVariant spacing;
        int expect;
    } cases[] = {
        {std::u16string(u"2pt"), 3}, {std::u16string(u"0.5em"), 8}, {std::u16string(u"normal"), 0}, {int64_t(5), 5},
        {std::u16string(u"2"), 0},   {std::u16string(u"1zz"), 0},   {std::u16string(u"50%"), 8},    {ThtVariant(), 0}};
    for (const auto& c : cases) {
        ThtFontInfo i = info(u"DejaVu Sans", 12);
        i.iCharExtra = c.spacing;
        EXPECT_EQ(cache.GetFontLike(i)->CharExtra, c.expect) << toUtf8(VarToText(c.spacing));
        if (VarIsStr(c.spacing) && VarStr(c.spacing) != u"normal") {
            EXPECT_EQ(VarInt(i.iCharExtra, -1), c.expect);
        }
    }
}

TEST_F(FontsTest, FontSizes) {
    EXPECT_DOUBLE_EQ(StepFontSize(+1, 12), 14);
    EXPECT_DOUBLE_EQ(StepFontSize(-1, 8), 6.4);
    EXPECT_DOUBLE_EQ(StepFontSize(-1, 14), 12);
    EXPECT_DOUBLE_EQ(StepFontSize(+1, 36), 36 * 36.0 / 24);
    EXPECT_DOUBLE_EQ(StepFontSize(+1, 13), 13 * 14.0 / 12);  // nearer 12 than 14
    const struct {
        const char16_t* text;
        bool quirks;
        double expect;
    } cases[] = {
        {u"12pt", false, 12},    {u"16px", false, 12},    {u"16", false, 12},       {u"1in", false, 72},
        {u"2em", false, 20},     {u"1ex", false, 5},      {u"150%", false, 15},     {u"1pc", false, 12},
        {u"xx-small", false, 8}, {u"x-small", false, 8},  {u"small", false, 10},    {u"medium", false, 12},
        {u"large", false, 14},   {u"x-large", false, 18}, {u"xx-large", false, 24}, {u"xx-small", true, 10},
        {u"x-small", true, 10},  {u"small", true, 12},    {u"medium", true, 14},    {u"x-large", true, 24},
        {u"xx-large", true, 24}, {u"larger", false, 12},  {u"smaller", false, 8},   {u"huge", false, -1},
        {u"3vw", false, -1},     {u"Medium", false, -1},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(FontSizeToPoints(c.text, c.quirks, 10, -1), c.expect) << toUtf8(c.text) << c.quirks;
    SetGlobalFontSizes(0);
    EXPECT_EQ(StepFontSize(+1, 12), 12);  // no steps: no division by zero
    EXPECT_EQ(StepFontSize(-1, 0), 0);
}

TEST_F(FontsTest, InstalledFaces) {
    const struct {
        const char16_t *list, *expect;
    } cases[] = {
        {u"No Such Face, serif", u"Liberation Serif"},
        {u"'DejaVu Sans Mono', monospace", u"DejaVu Sans Mono"},
        {u"\"dejavu serif\"", u"DejaVu Serif"},
        {u"Helvetica", u"Liberation Sans"},
        {u"sans-serif", u"Liberation Sans"},
        {u"Courier New", u"Liberation Mono"},
        {u"cursive", u""},
        {u"No Such Face", u""},
        {u" , ,", u""},
        {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(FindInstalledFont(c.list), c.expect) << toUtf8(c.list);
    EXPECT_DOUBLE_EQ(LengthFromUnitTable(u"2", true, -1, 10, 7), 14);
    EXPECT_DOUBLE_EQ(LengthFromUnitTable(u"2", false, -1, 10, 7), -1);
    EXPECT_DOUBLE_EQ(LengthFromUnitTable(u"1in", false, -1, 10, 7), 96);
    EXPECT_DOUBLE_EQ(LengthFromUnitTable(u"3EX", false, -1, 10, 7), 15);
}

TEST_F(FontsTest, PropertiesMakeTheirFontOnce) {
    TProperties p;
    p.DefFontname = u"DejaVu Sans";
    p.Props[FontFamily] = std::u16string(u"No Such Face, monospace");
    p.Props[FontSize] = 9.0;
    p.Props[FontWeight] = std::u16string(u"700");
    p.Props[FontStyle] = std::u16string(u"oblique");
    p.Props[TextDecoration] = std::u16string(u"underline");
    p.Props[Color] = int64_t(0x112233);
    p.Props[LetterSpacing] = std::u16string(u"1px");
    ThtFontInfo fi;
    p.FillFontInfo(fi);
    EXPECT_EQ(fi.iName, u"Liberation Mono");
    EXPECT_EQ(fi.iStyle, fsSet(fsBold) | fsSet(fsItalic) | fsSet(fsUnderline));
    EXPECT_EQ(fi.iColor, 0x112233);
    auto f = p.GetFont();
    EXPECT_EQ(f->Height(), -12);
    EXPECT_EQ(f->Color(), 0x112233);
    EXPECT_EQ(f->CharExtra, 1);
    EXPECT_EQ(p.EmSize(), 12);
    EXPECT_EQ(p.ExSize(), 6);
    auto again = p.GetFont();
    EXPECT_NE(again.get(), f.get());
    EXPECT_EQ(measures_, 1);
    p.Props[FontFamily] = std::u16string(u"nothing installed");
    p.Props[FontWeight] = std::u16string(u"normal");
    p.FillFontInfo(fi);
    EXPECT_EQ(fi.iName, u"DejaVu Sans");
    EXPECT_EQ(fi.iStyle, fsSet(fsItalic) | fsSet(fsUnderline));
}

TEST_F(FontsTest, FontsGoOntoACanvasWithTheirSpacing) {
    ThtFontCache cache;
    ThtFontInfo i = info(u"DejaVu Sans", 9);
    i.iCharExtra = std::u16string(u"2px");
    i.iColor = 0x0000FF;
    auto f = cache.GetFontLike(i);
    TRecordingDC dc;
    TCanvas canvas;
    canvas.SetDevice(&dc);
    f->AssignToCanvas(&canvas);
    EXPECT_EQ(canvas.Font()->Height(), -12);
    EXPECT_EQ(canvas.Font()->Color(), 0x0000FF);
    EXPECT_EQ(dc.GetTextCharacterExtra(), 2);
    canvas.SetDevice(nullptr);
    ThtFont copy;
    copy.Assign(f.get());
    EXPECT_EQ(copy.CharExtra, 2);
    EXPECT_EQ(copy.EmSize, f->EmSize);
    EXPECT_EQ(copy.Name(), f->Name());
}

TEST_F(FontsTest, CharsetProbeAsksTheScreen) {
    ThtCharsetProbe old = SetFontCharsetProbe(nullptr);
    SetFontCharsetProbe(old);  // the screen's probe, with nothing remembered
    EXPECT_EQ(ProbeFontCharset(204), 204);
    EXPECT_EQ(ProbeFontCharset(204), 204);
    EXPECT_EQ(measures_, 1);
}

// The real backend: a face of this machine measured by Qt.
TEST(FontsQtTest, DejaVuSansMetrics) {
    const int oldPpi = SetScreenPixelsPerInch(96);
    ThtFontCache cache;
    ThtFontInfo i;
    i.iName = u"DejaVu Sans";
    i.iSize = 12;
    auto f = cache.GetFontLike(i);
    EXPECT_GT(f->tmHeight, 0);
    EXPECT_GT(f->tmAveCharWidth, 0);
    EXPECT_GT(f->EmSize, 0);
    EXPECT_LE(f->EmSize, f->tmHeight);
    EXPECT_EQ(f->ExSize, f->EmSize / 2);
    SetScreenPixelsPerInch(oldPpi);
}

}  // namespace
