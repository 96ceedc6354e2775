// What the viewer asks of a laid-out text section, on the recording canvas
// ("a" 8 wide, a space 4, lines 20 high): the caret at a point and the point
// of a caret, links, titles and image maps under a point, the selected text
// and forward and backward search.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SectionFixture.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/layout/Sections.h"
#include "html/text/HtmlText.h"
#include "platform/framework/RecordingDC.h"

namespace {

using namespace modeltest;
using namespace sectiontest;

// Collects the selected text as it is handed over.
class TextCollector : public TSelTextCount {
public:
    void AddText(const char16_t* P, int32_t Size) override {
        if (Size > 0) text.append(P, size_t(Size));
    }
    using TSelTextCount::AddText;
    std::u16string text;
};

class SectionQueriesTest : public RecordingScreenTest {
protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        canvas.SetDevice(&dc);
    }
    void TearDown() override {
        canvas.SetDevice(nullptr);
        RecordingScreenTest::TearDown();
    }
    // Laid out in Width from document position Curs, drawn at X.
    void place(TSection& S, int32_t Width, int32_t Curs = 0, int32_t X = 0) {
        im.Init(0, Width);
        im.CurrentID = &im;
        im.SetLeftIndent(0, 0);
        im.SetRightIndent(Width, 0);
        int32_t maxWidth = 0;
        S.DrawLogic1(&canvas, 0, 0, 0, 0, Width, 0, 0, &im, maxWidth, Curs);
        S.Draw1(&canvas, TRect{0, 0, 1000, 1000}, &im, X, 0, 0);
    }
    std::unique_ptr<TSection> section(std::u16string_view Text) {
        auto s = std::make_unique<TSection>(doc.get(), nullptr, prop.get(), nullptr, false);
        addText(*s, Text, 0);
        s->ProcessText(1000);
        return s;
    }

    std::unique_ptr<ThtDocument> doc = std::make_unique<ThtDocument>(nullptr, nullptr);
    std::unique_ptr<TProperties> prop = textProps();
    TRecordingDC dc{1000, 1000};
    TCanvas canvas;
    TIndentManager im;
};

TEST_F(SectionQueriesTest, CaretFromAPointAndBack) {
    auto s = section(u"aaaa bbbb cccc");
    place(*s, 80, 100, 20);  // "aaaa bbbb " and "cccc " from x 20
    struct Case {
        int32_t x, y;
        int32_t pos;
        bool intext;
        int32_t xr;
    } cases[] = {
        {24, 5, 100, true, 20},  // the middle of the first character: before it
        {25, 5, 101, true, 28},  // one pixel past: after it
        {32, 5, 101, true, 28},   {33, 5, 102, true, 36},
        {15, 5, 100, false, 20},                           // left of the text, within 10 pixels
        {9, 5, -1, false, 0},                              // further left
        {97, 25, 115, false, 56},                          // past the end of the last line
        {30, 0, -1, false, 0},                             // at the section's top
        {30, 40, -1, false, 0},                            // below the lines
        {54, 25, 114, true, 52},                           // the middle of the trailing space
        {55, 25, 115, false, 56}, {200, 5, -1, false, 0},  // right of the room
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        int32_t xr = 0, yr = -1, ht = 0;
        bool intext = false;
        EXPECT_EQ(s->FindCursor(&canvas, c.x, c.y, xr, yr, ht, intext), c.pos);
        if (c.pos < 0) continue;
        EXPECT_EQ(intext, c.intext);
        EXPECT_EQ(xr, c.xr);
        EXPECT_EQ(yr, c.y < 20 ? 0 : 20);
        EXPECT_EQ(ht, 20);
    }

    struct Point {
        int32_t cursor;
        bool found;
        int32_t x, y;
    } points[] = {
        {100, true, 20, 0},  {105, true, 56, 0},  {109, true, 88, 0},
        {110, true, 20, 20}, {114, true, 52, 20},  // the trailing space
        {115, false, 0, 0},                        // after the last character
        {99, false, 0, 0},   {116, false, 0, 0},
    };
    for (const Point& p : points) {
        SCOPED_TRACE(p.cursor);
        int32_t x = 0, y = 0;
        EXPECT_EQ(s->CursorToXY(&canvas, p.cursor, x, y), p.found);
        if (!p.found) continue;
        EXPECT_EQ(x, p.x);
        EXPECT_EQ(y, p.y);
    }
    int32_t x = 0, y = 0;
    ASSERT_TRUE(s->CursorToXY(nullptr, 105, x, y));
    EXPECT_EQ(x, 20);  // without a canvas: the line's start
}

TEST_F(SectionQueriesTest, LinksTitlesAndImageMapsUnderAPoint) {
    auto s = std::make_unique<TSection>(doc.get(), nullptr, prop.get(), nullptr, false);
    addText(*s, u"aaaa ", 0);
    auto linkProp = textProps();
    s->ChangeFont(linkProp.get());
    addText(*s, u"bbbb", 5);
    TAttributeList l;
    l.Add(attr(WidthSy, u"WIDTH", u"", 20));
    l.Add(attr(HeightSy, u"HEIGHT", u"", 20));
    TImageObj* image = s->AddImage(&l, doc.get(), s->Len, linkProp.get());
    s->ChangeFont(prop.get());
    addText(*s, u" cccc", 10);
    s->ProcessText(1000);
    TFontObj* link = s->Fonts.GetFont(1);
    link->UrlTarget->URL = u"next.html";
    link->UrlTarget->Target = u"_top";
    link->Title = u"Дальше";
    place(*s, 400);
    // The image sits at 68 after "aaaa bbbb"; its picture area is placed where it was drawn.
    image->DrawXX = 68;
    image->DrawYY = 0;
    image->Title = u"Картинка";

    auto map = std::make_unique<TMapItem>();
    map->MapName = u"M";
    TAttributeList area;
    area.Add(attr(ShapeSy, u"SHAPE", u"rect"));
    area.Add(attr(CoordsSy, u"COORDS", u"0,0,9,9"));
    area.Add(attr(HrefSy, u"HREF", u"area.html"));
    area.Add(attr(TitleSy, u"TITLE", u"Область"));
    map->AddArea(area);
    doc->MapList.push_back(std::move(map));

    struct Case {
        const char* what;
        int32_t x, y;
        bool serverMap, clientMap;
        ThtguResultType result;
        std::u16string url, title;
    } cases[] = {
        {"plain text", 10, 10, false, false, 0, u"", u""},
        {"link text", 40, 10, false, false, guUrl | guTitle, u"next.html", u"Дальше"},
        {"right of the text", 300, 10, false, false, 0, u"", u""},
        {"above the line", 40, 0, false, false, 0, u"", u""},
        {"image in a link", 70, 5, false, false, guUrl | guTitle, u"next.html", u"Картинка"},
        {"server-side map", 71, 6, true, false, guUrl | guTitle, u"next.html?3,6", u"Картинка"},
        {"client-side map", 71, 6, false, true, guUrl | guTitle, u"area.html", u"Область"},
        {"client-side map, no area", 80, 15, false, true, guTitle, u"", u"Картинка"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        image->IsMap = c.serverMap;
        image->UseMap = c.clientMap;
        image->MapName = c.clientMap ? u"M" : u"";
        doc->ActiveLink = nullptr;
        std::unique_ptr<TUrlTarget> target;
        TFormControlObjBase* control = nullptr;
        std::u16string title = u"old";
        EXPECT_EQ(s->GetURL(&canvas, c.x, c.y, target, control, &title), c.result);
        EXPECT_EQ(title, c.title);
        EXPECT_EQ(target ? target->URL : u"", c.url);
        EXPECT_EQ(control, nullptr);
        if (c.url == u"next.html") {
            EXPECT_EQ(target->Target, u"_top");
            EXPECT_EQ(doc->ActiveLink, link);
        }
    }
    doc->ActiveLink = nullptr;
    doc->ActiveImage = nullptr;
}

TEST_F(SectionQueriesTest, SelectedTextIsCopiedWithoutTheTrailingSpace) {
    auto s = section(u"aaaa bbbb cccc");
    place(*s, 80, 100);  // "aaaa bbbb " and "cccc ", Len 15
    struct Case {
        int32_t selB, selE;
        std::u16string text;
    } cases[] = {
        {100, 115, u"aaaa bbbb cccc"},
        {100, 116, u"aaaa bbbb cccc\r\n"},  // the selection goes on
        {105, 107, u"bb"},
        {107, 112, u"bb cc"},  // across the line break
        {112, 130, u"cc\r\n"},
        {90, 102, u"aa"},
        {115, 120, u"\r\n"},
        {107, 107, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.selB) + "-" + std::to_string(c.selE));
        TextCollector cb;
        doc->CB = &cb;
        doc->SelB = c.selB;
        doc->SelE = c.selE;
        s->CopyToClipboard();
        doc->CB = nullptr;
        EXPECT_EQ(cb.text, c.text);
    }
    // A soft hyphen is drawn at a break but never copied.
    auto shy = section(u"aa bb\u00ADcc");
    place(*shy, 44);
    TextCollector cb;
    doc->CB = &cb;
    doc->SelB = 0;
    doc->SelE = shy->Len;
    shy->CopyToClipboard();
    doc->CB = nullptr;
    EXPECT_EQ(cb.text, u"aa bbcc");
    doc->SelB = doc->SelE = 0;
}

TEST_F(SectionQueriesTest, ForwardAndBackwardSearch) {
    auto s = section(u"Привет мир, привет");
    place(*s, 1000, 100);  // positions 100 to 118 ("привет" at 100 and 112; the trailing space at 118)
    struct Case {
        bool reverse;
        int32_t from;
        std::u16string find;
        bool matchCase;
        int32_t result;
    } cases[] = {
        {false, 0, u"привет", false, 100},   {false, 100, u"привет", false, 100},
        {false, 101, u"привет", false, 112}, {false, 100, u"привет", true, 112},  // the text keeps its case
        {false, 113, u"привет", false, -1},  {false, 119, u"мир", false, -1},     // From past the section
        {false, 100, u"", false, -1},        {false, 100, u"мир,", false, 107},
        {true, 119, u"привет", false, 112},  {true, 118, u"привет", false, 112},  // ends just before From
        {true, 117, u"привет", false, 100},                                       // ends at From: not found there
        {true, 105, u"привет", false, -1},   {true, 106, u"привет", false, 100},
        {true, 500, u"привет", true, 112},   {true, 112, u"привет", true, -1},
        {true, 99, u"привет", false, -1},  // From before the section
        {true, 119, u"", false, -1},         {true, 119, std::u16string(40, u'п'), false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(int(&c - cases)));
        EXPECT_EQ(c.reverse ? s->FindStringR(c.from, c.find, c.matchCase) : s->FindString(c.from, c.find, c.matchCase),
                  c.result);
    }
}

TEST(SectionTextRoutines, WorkOnLengths) {
    const std::u16string_view text = u"abcabc";
    EXPECT_EQ(FindSubText(text, u"ca"), 2u);
    EXPECT_EQ(FindSubText(text, u""), std::u16string_view::npos);
    EXPECT_EQ(FindSubText(text.substr(0, 4), u"bc"), 1u);
    EXPECT_EQ(FindSubText(text.substr(0, 4), u"bcab"), std::u16string_view::npos);  // only in the whole text
    EXPECT_EQ(CharPos(text, u'c'), 2u);
    EXPECT_EQ(CharPos(text, 0), 6u);
    EXPECT_EQ(CharPos(text.substr(0, 2), u'c'), std::u16string_view::npos);
    EXPECT_EQ(LastCharPos(text, u'a'), 3u);
    EXPECT_EQ(LastCharPos(text, 0), 6u);
    EXPECT_EQ(SubTextPos(u"bca", text), 2u);
    EXPECT_EQ(SubTextPos(u"x", text), 0u);
    EXPECT_TRUE(TextsEqual(u"ab", text.substr(0, 2)));
    EXPECT_FALSE(TextsEqual(u"ab", u"abc"));
}

}  // namespace
