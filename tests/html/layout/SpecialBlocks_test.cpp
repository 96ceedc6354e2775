// List items and their markers, the body, horizontal rules and field sets.
#include <gtest/gtest.h>

#include <sstream>

#include "FakeSections.h"
#include "html/layout/AttributeList.h"
#include "html/text/HtmlText.h"

namespace {

using namespace modeltest;

class SpecialBlocksTest : public RecordingScreenTest {};

TEST_F(SpecialBlocksTest, MarkersAreRightForEveryNumber) {
    const int32_t numbers[] = {1, 26, 27, 28, 702, 703, 3999, 0, -3};
    const struct {
        ThtBulletStyle style;
        std::vector<std::u16string> want;
    } cases[] = {
        {lbDecimal, {u"1", u"26", u"27", u"28", u"702", u"703", u"3999", u"0", u"-3"}},
        {lbLowerAlpha, {u"a", u"z", u"aa", u"ab", u"zz", u"aaa", u"ewu", u"0", u"-3"}},
        {lbUpperAlpha, {u"A", u"Z", u"AA", u"AB", u"ZZ", u"AAA", u"EWU", u"0", u"-3"}},
        {lbLowerRoman, {u"i", u"xxvi", u"xxvii", u"xxviii", u"dccii", u"dcciii", u"mmmcmxcix", u"0", u"-3"}},
        {lbUpperRoman, {u"I", u"XXVI", u"XXVII", u"XXVIII", u"DCCII", u"DCCIII", u"MMMCMXCIX", u"0", u"-3"}},
    };
    for (const auto& c : cases)
        for (size_t i = 0; i < std::size(numbers); ++i)
            EXPECT_EQ(ListMarkerText(c.style, numbers[i]), c.want[i]) << c.style << " " << numbers[i];
    // Beyond what roman numerals write, the number stays readable.
    EXPECT_EQ(ListMarkerText(lbUpperRoman, 4000), u"4000");
}

TEST_F(SpecialBlocksTest, ItemsTakeTheirStyleFromTypeLevelAndList) {
    const struct {
        const char* what;
        TElemSymb list;
        bool plain;
        char16_t type;
        int32_t level;
        const char16_t* cssStyle;
        ThtListType kind;
        ThtBulletStyle style;
    } cases[] = {
        {"ol", OLSy, false, 0, 1, nullptr, ThtListType::Ordered, lbDecimal},
        {"ol type A", OLSy, false, u'A', 1, nullptr, ThtListType::Ordered, lbUpperAlpha},
        {"ol type i", OLSy, false, u'i', 1, nullptr, ThtListType::Ordered, lbLowerRoman},
        {"ol with a style", OLSy, false, u'i', 1, u"square", ThtListType::Ordered, lbSquare},
        {"ul level 1", ULSy, false, 0, 1, nullptr, ThtListType::Unordered, lbDisc},
        {"ul level 2", ULSy, false, 0, 2, nullptr, ThtListType::Unordered, lbCircle},
        {"ul level 3", ULSy, false, 0, 3, nullptr, ThtListType::Unordered, lbSquare},
        {"ul level 4", ULSy, false, 0, 4, nullptr, ThtListType::Unordered, lbDisc},
        {"ul type s", ULSy, false, u's', 1, nullptr, ThtListType::Unordered, lbSquare},
        {"menu plain", MenuSy, true, 0, 1, u"disc", ThtListType::Unordered, lbNone},
        {"dl", DLSy, false, 0, 1, nullptr, ThtListType::Definition, lbBlank},
        {"lone item", LISy, false, 0, 0, nullptr, ThtListType::liAlone, lbDisc},
    };
    for (const auto& c : cases) {
        TBodyFixture fx;
        auto p = props(LISy, u"li");
        if (c.cssStyle) p->Props[ListStyleType] = std::u16string(c.cssStyle);
        auto* item = addBlock<TBlockLI>(fx.cell(), *p, c.list, c.plain, c.type, 1, c.level);
        EXPECT_EQ(item->ListType(), c.kind) << c.what;
        EXPECT_EQ(item->ListStyleType(), c.style) << c.what;
    }
}

TEST_F(SpecialBlocksTest, ALoneItemKeepsRoomForItsMarker) {
    const struct {
        TElemSymb list;
        ThtVariant margin;
        int32_t want;
    } cases[] = {{LISy, ThtVariant(), 16}, {LISy, int64_t(0), 16}, {LISy, int64_t(30), 30}, {ULSy, ThtVariant(), 0}};
    for (const auto& c : cases) {
        TBodyFixture fx;
        auto p = props(LISy, u"li");
        if (!VarIsEmpty(c.margin)) p->Props[MarginLeft] = c.margin;
        auto* item = addBlock<TBlockLI>(fx.cell(), *p, c.list, false, char16_t(0), 1, 1);
        addFake(item->MyCell.get(), "text", 10);
        fx.layout();
        EXPECT_EQ(item->MargArray[MarginLeft], c.want) << c.list;
    }
}

TEST_F(SpecialBlocksTest, NumberedMarkersEndTenPixelsLeftOfTheTextOnItsBaseline) {
    TBodyFixture fx;
    auto p = boxProps(LISy, u"li", {{MarginLeft, int64_t(40)}});
    auto* item = addBlock<TBlockLI>(fx.cell(), *p, OLSy, false, u'i', 27, 1);
    // The first line of the item writes its baseline, as text does.
    addFake(item->MyCell.get(), "text", 20)->OnLayout = [&](TIndentManager*, int32_t, int32_t y) {
        if (fx.doc->FirstLineHtPtr && *fx.doc->FirstLineHtPtr == 0) *fx.doc->FirstLineHtPtr = y + 15;
    };
    fx.layout();
    EXPECT_EQ(item->FirstLineHt, 15);
    EXPECT_EQ(fx.doc->FirstLineHtPtr, nullptr);
    fx.dc.ClearLog();
    fx.doc->Draw(&fx.canvas, Rect(0, 0, 800, 600), 800, 0, 0, 0, 0);

    const auto texts = fx.dc.Calls("ExtTextOut");
    ASSERT_EQ(texts.size(), 1u);
    std::istringstream in(texts[0]);
    std::string op;
    int x = 0, y = 0;
    in >> op >> x >> y;
    EXPECT_NE(texts[0].find("\"xxvii.\""), std::string::npos) << texts[0];
    ASSERT_NE(item->ListFont(), nullptr);
    const TLogFont font = LogFontOf(*item->ListFont());
    int width = 0;
    for (char16_t ch : std::u16string(u"xxvii.")) width += TRecordingDC::Advance(font, ch);
    EXPECT_EQ(x + width, 40 - 10);
    EXPECT_EQ(y, 15);
    EXPECT_EQ(fx.dc.GetTextAlign(), TA_TOP);  // the alignment is given back
}

TEST_F(SpecialBlocksTest, BulletsArePaintedBesideTheFirstLine) {
    const struct {
        int32_t level;
        const char* call;
        const char* where;
    } cases[] = {{1, "Ellipse", "Ellipse 25 9 30 14"},
                 {2, "Ellipse", "Ellipse 24 8 31 15"},
                 {3, "Rectangle", "Rectangle 25 9 30 14"}};
    for (const auto& c : cases) {
        TBodyFixture fx;
        auto p = boxProps(LISy, u"li", {{MarginLeft, int64_t(40)}});
        auto* item = addBlock<TBlockLI>(fx.cell(), *p, ULSy, false, char16_t(0), 1, c.level);
        addFake(item->MyCell.get(), "text", 20)->OnLayout = [&](TIndentManager*, int32_t, int32_t y) {
            if (fx.doc->FirstLineHtPtr && *fx.doc->FirstLineHtPtr == 0) *fx.doc->FirstLineHtPtr = y + 15;
        };
        fx.layout();
        fx.dc.ClearLog();
        fx.doc->Draw(&fx.canvas, Rect(0, 0, 800, 600), 800, 0, 0, 0, 0);
        const auto calls = fx.dc.Calls(c.call);
        ASSERT_EQ(calls.size(), 1u) << c.level;
        EXPECT_EQ(calls[0], c.where) << c.level;
    }
}

TEST_F(SpecialBlocksTest, RulesTakeTheirWidthAlignmentAndThickness) {
    const struct {
        const char16_t* width;  // WIDTH attribute, or null
        const char16_t* align;  // ALIGN attribute, or null
        int32_t size;           // SIZE attribute, or 0
        int32_t contentWidth, marginLeft, thickness;
    } cases[] = {
        {u"50%", nullptr, 0, 200, 100, 2}, {u"50%", u"right", 0, 200, 200, 2}, {u"50%", u"left", 0, 200, 0, 2},
        {u"100", nullptr, 5, 100, 150, 5}, {nullptr, nullptr, 25, 400, 0, 2},  // too thick: the default stays
        {u"10", nullptr, 0, 10, 195, 2},
    };
    for (const auto& c : cases) {
        TBodyFixture fx(400);
        TAttributeList attrs;
        if (c.width) attrs.Add(attr(WidthSy, u"WIDTH", c.width, std::stod(htmltext::toUtf8(c.width))));
        if (c.align) attrs.Add(attr(AlignSy, u"ALIGN", c.align));
        if (c.size) attrs.Add(attr(SizeSy, u"SIZE", u"", c.size));
        auto p = props(HRSy, u"hr");
        // The rule is made first; it gives the element its width and height.
        auto line = std::make_unique<THorzLine>(fx.cell(), &attrs, p.get());
        THorzLine* rule = line.get();
        auto* block = new THRBlock(fx.cell(), &attrs, p.get());
        block->MyHRule = rule;
        block->Align = rule->Align;
        fx.cell()->Add(std::unique_ptr<TSectionBase>(block), 0);
        block->MyCell->Add(std::move(line), 0);
        fx.layout(400);
        const std::string what = htmltext::toUtf8(c.width ? c.width : u"-");
        EXPECT_EQ(block->ContentWidth, c.contentWidth) << what;
        EXPECT_EQ(block->MargArray[MarginLeft], c.marginLeft) << what;
        EXPECT_EQ(rule->VSize, c.thickness) << what;
        EXPECT_EQ(block->ContentBot - block->DrawTop, c.thickness) << what;
        EXPECT_EQ(rule->Width, c.contentWidth) << what;
    }
}

TEST_F(SpecialBlocksTest, AFieldsetsTopBorderRunsThroughItsLegend) {
    const struct { int32_t legend, paddingTop, marginTop; } cases[] = {{30, 19, 10}, {5, 10, 0}};
    for (const auto& c : cases) {
        TBodyFixture fx;
        auto p = boxProps(FieldsetSy, u"fieldset", {{MarginTop, int64_t(0)}});
        auto* fieldset = addBlock<TFieldsetBlock>(fx.cell(), *p);
        addFake(fieldset->Legend(), "legend", c.legend, 50);
        addFake(fieldset->MyCell.get(), "inside", 20);
        fx.layout();
        EXPECT_EQ(fieldset->MargArray[BorderTopWidth], 1);
        EXPECT_EQ(fieldset->MargArray[PaddingTop], c.paddingTop) << c.legend;
        EXPECT_EQ(fieldset->MargArray[MarginTop], c.marginTop) << c.legend;
        EXPECT_EQ(fieldset->MargArray[PaddingLeft], 10);
        EXPECT_EQ(fieldset->MargArray[BorderLeftColor], RGB(165, 172, 178));
        // The legend counts in the minimum width.
        int32_t mn = 0, mx = 0;
        fieldset->MinMaxWidth(&fx.canvas, mn, mx);
        EXPECT_EQ(mx, 50 + 2 * 11);
    }
}

TEST_F(SpecialBlocksTest, TheBodyHandsItsBackgroundToTheDocument) {
    TDocFixture fx;
    auto p = boxProps(BodySy, u"body",
                      {{BackgroundColor, int64_t(RGB(1, 2, 3))},
                       {BackgroundImage, std::u16string(u"url(paper.png)")},
                       {MarginLeft, int64_t(8)},
                       {MarginRight, int64_t(8)},
                       {MarginTop, int64_t(8)}});
    auto* body = addBlock<TBodyBlock>(fx.doc.get(), *p);
    TFakeSection* text = addFake(body->MyCell.get(), "text", 20);
    EXPECT_EQ(fx.doc->BackGround, RGB(1, 2, 3));
    EXPECT_EQ(fx.doc->BitmapName, u"paper.png");
    EXPECT_EQ(body->BGImage, nullptr);
    fx.layout(500);
    EXPECT_EQ(body->ContentWidth, 484);
    EXPECT_EQ(text->LaidX, 8);
    EXPECT_EQ(text->YDraw, 8);
    EXPECT_EQ(body->SectionHeight, 28);
}

}  // namespace
