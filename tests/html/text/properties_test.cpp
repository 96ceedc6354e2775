#include <gtest/gtest.h>

#include <map>
#include <string>

#include "html/text/CharsetProbe.h"
#include "html/text/HtmlText.h"
#include "html/text/Lengths.h"
#include "html/text/Properties.h"

namespace {

using htmltext::toUtf8;

// A font layer whose mapper delivers what the fixture says, and 96 pixels per inch.
class PropertiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldProbe_ = SetFontCharsetProbe([this](int cs) {
            ++probes_;
            auto it = delivered_.find(cs);
            return it == delivered_.end() ? cs : it->second;
        });
        oldPpi_ = SetScreenPixelsPerInch(96);
    }
    void TearDown() override {
        SetFontCharsetProbe(oldProbe_);
        SetScreenPixelsPerInch(oldPpi_);
    }
    std::map<int, int> delivered_;
    int probes_ = 0;

private:
    ThtCharsetProbe oldProbe_;
    int oldPpi_ = 0;
};

ThtVariant text(const char16_t* t) { return std::u16string(t); }

TEST_F(PropertiesTest, CreationValues) {
    TProperties a, b(true);
    EXPECT_EQ(b.ID, a.ID + 1);
    EXPECT_TRUE(b.UseQuirksMode());
    EXPECT_EQ(a.FontBG, clNone);
    for (int i = 0; i < StoredPropCount; ++i) {
        const auto& v = a.Props[size_t(i)];
        if (i >= MarginTop && i <= BorderSpacingVert) {
            EXPECT_TRUE(VarIsAuto(v)) << i;
        } else if (i == ZIndex) {
            EXPECT_EQ(VarInt(v, -1), 0);
        } else {
            EXPECT_TRUE(VarIsEmpty(v)) << i;
        }
        EXPECT_FALSE(a.Originals[size_t(i)]);
    }
    a.PropTag = u"p";
    a.Props[Color] = int64_t(0x123456);
    a.FIArray = std::make_unique<TFontInfoArray>();
    a.FIArray->Ar[2].iName = u"Arial";
    auto copy = TProperties::CreateCopy(a);
    EXPECT_EQ(copy->ID, a.ID);
    EXPECT_EQ(copy->PropTag, u"p");
    EXPECT_EQ(VarInt(copy->Props[Color]), 0x123456);
    ASSERT_NE(copy->FIArray, nullptr);
    EXPECT_NE(copy->FIArray.get(), a.FIArray.get());
    EXPECT_EQ(copy->FIArray->Ar[2].iName, u"Arial");
}

TEST_F(PropertiesTest, InheritanceFollowsTheParent) {
    TProperties parent;
    parent.Props[Color] = int64_t(0xFF);
    parent.Props[BackgroundColor] = int64_t(0xABCDEF);
    parent.Originals[BackgroundColor] = true;
    parent.Props[MarginTop] = text(u"5px");
    parent.Props[Float] = text(u"left");
    parent.Props[WordWrap] = text(u"break-word");
    parent.Props[BorderSpacingHorz] = text(u"2px");
    parent.SetDefPointSize(12);
    parent.DefFontname = u"Serif";
    parent.PropTitle = u"tip";
    parent.SetCodePage(1251);

    const struct {
        const char16_t* parentTag;
        const char16_t* childTag;
        bool keepsBackground, keepsMargin, keepsOriginals;
        const char16_t* wordWrap;
    } cases[] = {
        {u"div", u"p", false, false, false, u"break-word"}, {u"div", u"table", false, false, false, u"normal"},
        {u"span", u"b", true, true, false, u"break-word"},  {u"span", u"table", true, true, false, u"break-word"},
        {u"tbody", u"tr", true, true, true, u"break-word"}, {u"thead", u"tr", true, true, true, u"break-word"},
        {u"tfoot", u"tr", true, true, true, u"break-word"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.parentTag) + " > " + toUtf8(c.childTag));
        parent.PropTag = c.parentTag;
        TProperties child;
        child.Inherit(c.childTag, parent);
        EXPECT_EQ(VarInt(child.Props[Color]), 0xFF);
        EXPECT_EQ(VarStr(child.Props[BorderSpacingHorz]), u"2px");
        EXPECT_EQ(!VarIsEmpty(child.Props[BackgroundColor]), c.keepsBackground);
        EXPECT_EQ(child.GetBackgroundColor(), c.keepsOriginals ? 0xABCDEF : clNone);
        EXPECT_EQ(VarIsStr(child.Props[MarginTop]), c.keepsMargin);
        if (!c.keepsMargin) {
            EXPECT_TRUE(VarIsAuto(child.Props[MarginTop]));
        }
        EXPECT_EQ(VarStr(child.Props[WordWrap]), c.wordWrap);
        EXPECT_EQ(child.DefPointSize(), 12);
        EXPECT_EQ(child.DefFontname, u"Serif");
        EXPECT_EQ(child.PropTitle, u"tip");
        EXPECT_EQ(child.CodePage(), 1251);
        EXPECT_EQ(child.CharSet(), 204);
    }
}

TEST_F(PropertiesTest, LinksCarryTheirFontRecords) {
    TProperties link;
    link.InLink = true;
    link.FIArray = std::make_unique<TFontInfoArray>();
    link.Assign(text(u"Arial"), FontFamily);
    link.Assign(text(u"14"), FontSize);
    link.Assign(int64_t(0x00FF00), Color);
    link.Assign(int64_t(0x0000FF), Color);  // set already: ignored
    for (const auto& fi : link.FIArray->Ar) {
        EXPECT_EQ(fi.iName, u"Arial");
        EXPECT_EQ(fi.iSize, 14);
        EXPECT_EQ(fi.iColor, 0x00FF00);
    }
    TProperties child;
    child.Inherit(u"b", link);
    EXPECT_TRUE(child.InLink);
    ASSERT_NE(child.FIArray, nullptr);
    EXPECT_EQ(child.FIArray->Ar[3].iName, u"Arial");
    child.SetCodePage(1251);
    for (const auto& fi : child.FIArray->Ar) EXPECT_EQ(fi.iCharSet, 204);
}

TEST_F(PropertiesTest, UpdateInheritsAgainWhatWasNotSetHere) {
    TProperties oldParent, newParent, child;
    oldParent.Props[Color] = int64_t(1);
    oldParent.Props[FontStyle] = text(u"italic");
    child.Inherit(u"p", oldParent);
    child.Assign(text(u"bold"), FontWeight);  // set on the element itself
    newParent.Props[Color] = int64_t(2);
    newParent.Props[FontWeight] = text(u"normal");
    child.Update(newParent, nullptr, 1);
    EXPECT_EQ(VarInt(child.Props[Color]), 2);
    EXPECT_TRUE(VarIsEmpty(child.Props[FontStyle]));
    EXPECT_EQ(VarStr(child.Props[FontWeight]), u"bold");

    // A link closed out of order: its records go with it.
    TProperties link;
    link.FIArray = std::make_unique<TFontInfoArray>();
    link.InLink = true;
    link.PropPseudo = u"link";
    link.Update(newParent, nullptr, 1);
    EXPECT_EQ(link.FIArray, nullptr);
    EXPECT_FALSE(link.InLink);
    // Inside another link: the records follow that link's.
    TProperties outer, inner;
    outer.InLink = true;
    outer.FIArray = std::make_unique<TFontInfoArray>();
    outer.FIArray->Ar[1].iColor = 0x123;
    inner.FIArray = std::make_unique<TFontInfoArray>();
    inner.Update(outer, nullptr, 1);
    EXPECT_EQ(inner.FIArray->Ar[1].iColor, 0x123);
    TFontInfoArray copy;
    inner.GetFontInfo(copy);
    EXPECT_EQ(copy.Ar[1].iColor, 0x123);
}

TEST_F(PropertiesTest, CharsetsComeFromTheFontMapperOnce) {
    delivered_ = {{204, 0}, {238, 186}};
    TProperties p;
    p.SetCodePage(1251);
    EXPECT_EQ(p.CharSet(), 0);
    EXPECT_EQ(p.CodePage(), 1251);
    p.SetCodePage(65001);
    EXPECT_EQ(p.CharSet(), DEFAULT_CHARSET);
    TProperties q;
    q.SetCodePage(1251);
    EXPECT_EQ(probes_, 1);  // remembered
    q.AssignCharSetAndCodePage(31, 1250);
    EXPECT_EQ(q.CharSet(), 186);
    EXPECT_EQ(q.CodePage(), 1250);
}

TEST_F(PropertiesTest, DeclarationsAreStoredPerIndex) {
    TProperties p;
    p.Props[Color] = int64_t(0x0000FF);
    const struct {
        const char16_t *name, *value;
        ThtPropertyIndex index;
        ThtVariant expect;
    } cases[] = {
        {u"font-size", u"12pt", FontSize, text(u"12pt")},
        {u"COLOR", u"#00ff00", Color, int64_t(0x00FF00)},
        {u"color", u"inherit", Color, int64_t(0x00FF00)},  // not a colour: left as it was
        {u"color", u"blak", Color, int64_t(0x00FF00)},
        {u"background-color", u"#000080", BackgroundColor, int64_t(0x800000)},
        {u"background-color", u"oops", BackgroundColor, int64_t(clNone)},
        {u"margin-left", u"auto", MarginLeft, text(u"auto")},
        {u"border-top-color", u"red", BorderTopColor, int64_t(0x0000FF)},
        {u"border-top-color", u"CurrentColor", BorderTopColor, text(u"currentColor")},
        {u"border-top-color", u"bogus", BorderTopColor, text(u"currentColor")},
        {u"visibility", u"hidden", Visibility, int64_t(viHidden)},
        {u"visibility", u"collapse", Visibility, int64_t(viHidden)},
        {u"visibility", u"visible", Visibility, int64_t(viVisible)},
        {u"text-transform", u"uppercase", TextTransform, int64_t(txUpper)},
        {u"text-transform", u"capitalize", TextTransform, int64_t(txNone)},
        {u"word-wrap", u"break-word", WordWrap, text(u"break-word")},
        {u"word-wrap", u"anywhere", WordWrap, text(u"normal")},
        {u"font-variant", u"small-caps", FontVariant, text(u"small-caps")},
        {u"font-variant", u"weird", FontVariant, text(u"small-caps")},
        {u"white-space", u"pre-wrap", piWhiteSpace, text(u"pre-wrap")},
        {u"white-space", u"wrap", piWhiteSpace, text(u"pre-wrap")},
        {u"float", u"left", Float, text(u"left")},
    };
    for (const auto& c : cases) {
        p.AddPropertyByName(c.name, c.value);
        EXPECT_EQ(p.Props[c.index], c.expect) << toUtf8(c.name) << ": " << toUtf8(c.value);
    }
    const auto before = p.Props;
    p.AddPropertyByName(u"margin", u"4px");  // a shorthand
    p.AddPropertyByName(u"no-such", u"4px");
    EXPECT_EQ(p.Props, before);
    for (bool o : p.Originals) EXPECT_FALSE(o);
}

TEST_F(PropertiesTest, DefaultsAndFontBackground) {
    TProperties p;
    p.Props[PaddingTop] = int64_t(0);
    p.SetPropertyDefaults({PaddingTop, PaddingLeft, FontStyle}, text(u"3px"));
    EXPECT_EQ(VarInt(p.Props[PaddingTop], -1), 0);  // an explicit 0 stays
    EXPECT_EQ(VarStr(p.Props[PaddingLeft]), u"3px");
    EXPECT_EQ(VarStr(p.Props[FontStyle]), u"3px");
    p.Props[BackgroundColor] = int64_t(0x112233);
    p.SetFontBG();
    EXPECT_EQ(p.FontBG, clNone);  // not set on this element
    p.Originals[BackgroundColor] = true;
    p.SetFontBG();
    EXPECT_EQ(p.FontBG, 0x112233);
}

TEST_F(PropertiesTest, TypedGetters) {
    TProperties p;
    p.FEmSize = 16;
    p.FExSize = 8;
    ThtAlignmentStyle a = aNone;
    EXPECT_FALSE(p.GetVertAlign(a));
    p.Props[VerticalAlign] = text(u"text-top");
    EXPECT_TRUE(p.GetVertAlign(a));
    EXPECT_EQ(a, aTop);
    p.Props[Float] = text(u"right");
    EXPECT_TRUE(p.GetFloat(a));
    EXPECT_EQ(a, aRight);
    EXPECT_EQ(p.GetDisplay(), pdUnassigned);
    p.Props[piDisplay] = text(u"inline-block");
    EXPECT_EQ(p.Display(), pdInlineBlock);
    p.Props[piDisplay] = text(u"Block");
    EXPECT_EQ(p.GetDisplay(), pdUnassigned);
    p.Props[ListStyleType] = text(u"square");
    EXPECT_EQ(p.GetListStyleType(), lbSquare);
    p.Props[ListStyleImage] = text(u"url( 'img/b.png' )");
    EXPECT_EQ(p.GetListStyleImage(), u"img/b.png");
    std::u16string img = u"x";
    EXPECT_FALSE(p.GetBackgroundImage(img));
    p.Props[BackgroundImage] = text(u"none");
    EXPECT_TRUE(p.GetBackgroundImage(img));
    EXPECT_EQ(img, u"");
    p.Props[BackgroundImage] = text(u"url(a(1).png) repeat");
    EXPECT_TRUE(p.GetBackgroundImage(img));
    EXPECT_EQ(img, u"a(1).png");
    p.Props[Position] = text(u"fixed");
    EXPECT_EQ(p.GetPosition(), posFixed);
    p.Props[Visibility] = int64_t(1);
    EXPECT_EQ(p.GetVisibility(), viHidden);
    p.Props[ZIndex] = text(u"7");
    EXPECT_EQ(p.GetZIndex(), 7);
    p.Props[ZIndex] = text(u"x");
    EXPECT_EQ(p.GetZIndex(), 0);
    p.Props[OverFlow] = text(u"hidden");
    p.Props[BorderCollapse] = text(u"collapse");
    p.Props[piEmptyCells] = text(u"hide");
    EXPECT_TRUE(p.IsOverflowHidden());
    EXPECT_TRUE(p.Collapse());
    EXPECT_FALSE(p.ShowEmptyCells());
    EXPECT_EQ(p.GetLineHeight(20), -1);
    p.Props[LineHeight] = text(u"1.5");
    EXPECT_EQ(p.GetLineHeight(20), 30);
    p.Props[LineHeight] = text(u"2.5");
    EXPECT_EQ(p.GetLineHeight(5), 12);  // 12.5 rounds to even
    p.Props[LineHeight] = text(u"150%");
    EXPECT_EQ(p.GetLineHeight(20), 24);
    p.Props[LineHeight] = text(u"normal");
    EXPECT_EQ(p.GetLineHeight(20), -1);
    bool pc = true;
    p.Props[TextIndent] = text(u"2em");
    EXPECT_EQ(p.GetTextIndent(pc), 32);
    EXPECT_FALSE(pc);
    p.Props[TextIndent] = text(u"10%");
    EXPECT_EQ(p.GetTextIndent(pc), 10);
    EXPECT_TRUE(pc);
    p.Props[TextTransform] = int64_t(txLower);
    EXPECT_EQ(p.GetTextTransform(), txLower);
    EXPECT_EQ(p.GetFontVariant(), u"normal");
    p.Props[PageBreakBefore] = text(u"always");
    p.Props[PageBreakInside] = text(u"avoid");
    bool before, after, intact;
    p.GetPageBreaks(before, after, intact);
    EXPECT_TRUE(before);
    EXPECT_FALSE(after);
    EXPECT_TRUE(intact);
    p.Props[Color] = int64_t(0x010203);
    EXPECT_EQ(p.GetOriginalForegroundColor(), clNone);
    p.Originals[Color] = true;
    EXPECT_EQ(p.GetOriginalForegroundColor(), 0x010203);
    EXPECT_FALSE(p.BorderStyleNotBlank());
    p.Props[BorderLeftStyle] = text(u"none");
    EXPECT_TRUE(p.BorderStyleNotBlank());
    EXPECT_FALSE(p.HasBorderStyle());
    p.Props[BorderTopStyle] = int64_t(bssDashed);
    EXPECT_TRUE(p.HasBorderStyle());
    EXPECT_FALSE(p.HasBorderWidth());
    p.Props[BorderRightWidth] = text(u"thin");
    EXPECT_TRUE(p.HasBorderWidth());
    ThtBoxSizing bs;
    p.Props[BoxSizing] = text(u"border-box");
    EXPECT_TRUE(p.GetBoxSizing(bs));
    EXPECT_EQ(bs, BorderBox);
    EXPECT_EQ(p.GetBorderSpacingHorz(), -1);
    EXPECT_FALSE(p.HasBorderSpacing());
    p.Props[BorderSpacingHorz] = text(u"2.5");
    p.Props[BorderSpacingVert] = text(u"1em");
    EXPECT_EQ(p.GetBorderSpacingHorz(), 2);
    EXPECT_EQ(p.GetBorderSpacingVert(), 16);
    EXPECT_TRUE(p.HasBorderSpacing());
}

TEST_F(PropertiesTest, ClearAppliesOnce) {
    TProperties p;
    ThtClearStyle c = clrNone;
    p.Props[Clear] = text(u"both");
    EXPECT_TRUE(p.GetClear(c));
    EXPECT_EQ(c, clAll);
    EXPECT_FALSE(p.GetClear(c));
    p.Props[Clear] = text(u"sideways");
    EXPECT_FALSE(p.GetClear(c));
    EXPECT_TRUE(VarIsEmpty(p.Props[Clear]));
}

TEST_F(PropertiesTest, BackgroundPositions) {
    const struct {
        const char16_t* pos;
        ThtBackgroundPosition x;
        int xv;
        ThtBackgroundPosition y;
        int yv;
    } cases[] = {
        {u"top", bpCenter, 0, bpTop, 0},          {u"left", bpLeft, 0, bpCenter, 0},
        {u"center left", bpLeft, 0, bpCenter, 0}, {u"top right", bpRight, 0, bpTop, 0},
        {u"left bottom", bpLeft, 0, bpBottom, 0}, {u"10px 20%", bpDim, 10, bpPercent, 20},
        {u"  2em   ", bpDim, 32, bpCenter, 0},    {u"50%", bpPercent, 50, bpCenter, 0},
    };
    TProperties p;
    p.Props[BackgroundRepeat] = text(u"repeat-x");
    p.Props[BackgroundAttachment] = text(u" fixed ");
    PtPositionRec r;
    for (const auto& c : cases) {
        p.Props[BackgroundPosition] = text(c.pos);
        p.GetBackgroundPos(16, 8, r);
        EXPECT_EQ(r.X.PosType, c.x) << toUtf8(c.pos);
        EXPECT_EQ(r.Y.PosType, c.y) << toUtf8(c.pos);
        if (c.x == bpDim || c.x == bpPercent) {
            EXPECT_EQ(r.X.Value, c.xv) << toUtf8(c.pos);
        }
        if (c.y == bpDim || c.y == bpPercent) {
            EXPECT_EQ(r.Y.Value, c.yv) << toUtf8(c.pos);
        }
        EXPECT_TRUE(r.X.RepeatD);
        EXPECT_FALSE(r.Y.RepeatD);
        EXPECT_TRUE(r.X.Fixed && r.Y.Fixed);
    }
    p.Props[BackgroundPosition] = int64_t(5);
    p.Props[BackgroundRepeat] = text(u"no-repeat");
    p.GetBackgroundPos(16, 8, r);
    EXPECT_EQ(r.X.PosType, bpDim);
    EXPECT_EQ(r.X.Value, 0);
    EXPECT_FALSE(r.X.RepeatD || r.Y.RepeatD);
}

TEST(UrlFromValueTest, Forms) {
    EXPECT_EQ(UrlFromValue(u"url(\"a b.png\")"), u"a b.png");
    EXPECT_EQ(UrlFromValue(u"url(  x.png  )"), u"x.png");
    EXPECT_EQ(UrlFromValue(u"url('unterminated"), u"unterminated");
    EXPECT_EQ(UrlFromValue(u"url(')"), u")");
    EXPECT_EQ(UrlFromValue(u"none"), u"");
}

}  // namespace
