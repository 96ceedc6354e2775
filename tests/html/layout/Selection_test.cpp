// Selection text collectors, the clipboard buffer, link targets and
// client-side image maps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModelFixture.h"
#include "html/layout/FontRuns.h"
#include "html/layout/Selection.h"
#include "html/text/HtmlText.h"
#include "platform/framework/Clipbrd.h"

void EnsureApplication();

namespace {

using namespace modeltest;

const std::u16string kMixed = std::u16string(u"a") + char16_t(2) + u"b" + char16_t(4) + u"c" + char16_t(8) + u"d";

TEST(SelectionTextTest, CountCanExceedWhatIsStored) {
    TSelTextCount count;
    count.AddText(kMixed);
    EXPECT_EQ(count.Terminate(), 5);  // a b c #8 d: controls and images count for nothing
    count.AddTextCR(u"ab");
    EXPECT_EQ(count.Terminate(), 9);

    char16_t buf[16];
    TSelTextBuf store(buf, 16);
    store.AddText(kMixed);
    EXPECT_EQ(store.Terminate(), 5);  // "abcd" and the terminator: #8 is not stored
    EXPECT_EQ(std::u16string(buf), u"abcd");
    TSelTextBuf withCR(buf, 16);
    withCR.AddTextCR(u"ab");
    EXPECT_EQ(withCR.Terminate(), 5);
    EXPECT_EQ(std::u16string(buf), u"ab\r\n");
}

TEST(SelectionTextTest, BufferKeepsRoomForTheTerminator) {
    char16_t buf[4] = {u'x', u'x', u'x', u'x'};
    TSelTextBuf store(buf, 3);
    store.AddText(u"hello");
    EXPECT_EQ(store.Terminate(), 3);
    EXPECT_EQ(buf[0], u'h');
    EXPECT_EQ(buf[1], u'e');
    EXPECT_EQ(buf[2], 0);
    EXPECT_EQ(buf[3], u'x');  // nothing past the capacity

    // A buffer of no units is refused: nothing is ever written to it.
    char16_t none[1] = {u'x'};
    TSelTextBuf empty(none, 0);
    empty.AddText(u"hello");
    EXPECT_EQ(empty.Terminate(), 0);
    EXPECT_EQ(none[0], u'x');
    TSelTextBuf null(nullptr, 10);
    null.AddText(u"hello");
    EXPECT_EQ(null.Terminate(), 0);
}

TEST(SelectionTextTest, ClipBufferHandsOverExactlyTheCollectedText) {
    std::vector<std::u16string> handed;
    TClipBuffer clip(20, [&](std::u16string_view t) { handed.emplace_back(t); });
    clip.AddText(kMixed);
    EXPECT_EQ(clip.Terminate(), 5);
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0], u"abcd");  // no terminator, nothing of the buffer after it

    TClipBuffer cut(3, [&](std::u16string_view t) { handed.emplace_back(t); });
    cut.AddText(u"hello");
    EXPECT_EQ(cut.Terminate(), 3);
    EXPECT_EQ(handed.back(), u"he");

    TClipBuffer nothing(0, [&](std::u16string_view t) { handed.emplace_back(t); });
    nothing.AddText(u"hello");
    EXPECT_EQ(nothing.Terminate(), 0);
    EXPECT_EQ(handed.size(), 2u);

    TClipBuffer failing(8, [](std::u16string_view) { throw std::runtime_error("clipboard busy"); });
    failing.AddText(u"x");
    EXPECT_THROW(failing.Terminate(), std::runtime_error);
}

TEST(SelectionTextTest, ClipBufferReachesThePlatformClipboard) {
    EnsureApplication();
    const String before = Clipboard()->AsText();
    TClipBuffer clip(32);
    clip.AddTextCR(u"Ключ");
    clip.AddText(u"end");
    EXPECT_EQ(clip.Terminate(), 10);
    EXPECT_EQ(Clipboard()->AsText(), "Ключ\r\nend");
    Clipboard()->SetAsText(before);
}

TEST(UrlTargetTest, AssignCopyAndClear) {
    TAttributeList attrs;
    attrs.Add(attr(HrefSy, u"HREF", u"a.htm"));
    attrs.Add(attr(TargetSy, u"TARGET", u"_blank"));
    TUrlTarget t;
    EXPECT_EQ(t.Start(), -1);
    EXPECT_EQ(t.Last(), -1);
    t.TabIndex = 4;
    t.utText.Last = 9;
    t.Assign(u"a.htm", u"_blank", &attrs, 17);
    EXPECT_EQ(t.URL, u"a.htm");
    EXPECT_EQ(t.Target, u"_blank");
    EXPECT_EQ(t.Attr, u"HREF=a.htm\r\nTARGET=_blank\r\n");
    EXPECT_EQ(t.Start(), 17);
    EXPECT_EQ(t.Last(), 9);  // Last and TabIndex stay
    EXPECT_EQ(t.TabIndex, 4);
    EXPECT_GE(t.ID, 10);

    TUrlTarget u;
    u.Assign(t);
    EXPECT_EQ(u.ID, t.ID);
    EXPECT_EQ(u.Attr, t.Attr);
    EXPECT_EQ(u.TabIndex, 4);
    EXPECT_EQ(u.Last(), 9);
    u.Clear();
    EXPECT_TRUE(u.URL.empty());
    EXPECT_EQ(u.ID, 0);
    EXPECT_EQ(u.Start(), -1);
    EXPECT_EQ(u.TabIndex, 0);

    TUrlTarget next;
    next.Assign(u"b.htm", u"", nullptr, 0);
    EXPECT_EQ(next.ID, t.ID + 1);  // every new link a new identity
    EXPECT_TRUE(next.Attr.empty());
}

TEST(UrlTargetTest, SetLastStopsAtAnotherLink) {
    TLinkList links;
    std::vector<std::unique_ptr<TFontObj>> runs;
    const int64_t ids[] = {7, 9, 7, 7};
    for (int64_t id : ids) {
        runs.push_back(std::make_unique<TFontObj>(nullptr, std::make_unique<ThtFont>(), 0));
        runs.back()->UrlTarget->ID = id;
        links.Add(runs.back().get());
    }
    TUrlTarget t;
    t.ID = 7;
    t.SetLast(&links, 55);
    EXPECT_EQ(t.Last(), 55);
    EXPECT_EQ(runs[3]->UrlTarget->Last(), 55);
    EXPECT_EQ(runs[2]->UrlTarget->Last(), 55);
    EXPECT_EQ(runs[1]->UrlTarget->Last(), -1);
    EXPECT_EQ(runs[0]->UrlTarget->Last(), -1);  // behind the other link: not reached
    TUrlTarget alone;
    alone.SetLast(nullptr, 3);
    EXPECT_EQ(alone.Last(), 3);
}

TEST(ImageMapTest, CoordinateLists) {
    struct Case {
        const char16_t* text;
        std::vector<int32_t> coords;
    } cases[] = {
        {u"1, 2 ,3,,4", {1, 2, 3, 4}},
        {u"  10 20\t30  ", {10, 20, 30}},
        {u"5,x,2.5,-7", {5, 0, 0, -7}},
        {u"", {}},
        {u",,", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseMapCoords(c.text), c.coords) << htmltext::toUtf8(c.text);
    std::u16string many;
    for (int i = 0; i < 400; ++i) many += u"1,";
    EXPECT_EQ(ParseMapCoords(many).size(), size_t(MaxMapCoords));
}

std::unique_ptr<TAttributeList> area(const char16_t* shape, const char16_t* coords, const char16_t* href) {
    auto a = std::make_unique<TAttributeList>();
    if (shape) a->Add(attr(ShapeSy, u"SHAPE", shape));
    a->Add(attr(CoordsSy, u"COORDS", coords));
    if (href) a->Add(attr(HrefSy, u"HREF", href));
    return a;
}

TEST(ImageMapTest, ShapesHoldTheirPixels) {
    TMapItem map;
    map.AddArea(*area(u"CIRCLE", u"10, 10, 5", u"c.htm"));
    map.AddArea(*area(u"rect", u"0,0,10,10", u"r.htm"));
    map.AddArea(*area(u"polygon", u"100,0, 120,0, 120,20, 100,20, 99", u"p.htm"));
    map.AddArea(*area(u"rectangle", u"1,2,3", u"short.htm"));  // too few: dropped
    map.AddArea(*area(u"circ", u"1,2", u"short.htm"));
    ASSERT_EQ(map.Areas().Count(), 3);
    const TMapArea* circle = map.Areas().GetArea(0);
    const TMapArea* rect = map.Areas().GetArea(1);
    const TMapArea* poly = map.Areas().GetArea(2);
    struct Case {
        const TMapArea* a;
        int32_t x, y;
        bool in;
    } cases[] = {
        {circle, 10, 10, true},  {circle, 14, 10, true},  {circle, 15, 10, true}, {circle, 16, 10, false},
        {circle, 17, 10, false}, {circle, 14, 14, false}, {rect, 0, 0, true},     {rect, 10, 10, true},
        {rect, 11, 10, false},   {rect, 10, -1, false},   {poly, 100, 0, true},   {poly, 119, 19, true},
        {poly, 120, 10, false},  {poly, 99, 10, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.a->PtInArea(c.x, c.y), c.in) << c.x << "," << c.y;
}

TEST(ImageMapTest, FirstAreaHoldingThePointDecides) {
    TMapItem map;
    auto first = area(u"rect", u"0,0,50,50", nullptr);  // no href: hides what lies below it
    map.AddArea(*first);
    auto second = area(u"rect", u"20,20,100,100", u"b.htm");
    second->Add(attr(TargetSy, u"TARGET", u"side"));
    second->Add(attr(TitleSy, u"TITLE", u"Second"));
    map.AddArea(*second);
    auto nohref = area(u"rect", u"200,0,210,10", u"x.htm");
    nohref->Add(attr(NoHrefSy, u"NOHREF", u""));
    map.AddArea(*nohref);

    std::unique_ptr<TUrlTarget> target;
    std::u16string title;
    EXPECT_FALSE(map.GetURL(30, 30, target, title));  // in both: the first decides
    EXPECT_EQ(target, nullptr);
    ASSERT_TRUE(map.GetURL(80, 80, target, title));
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->URL, u"b.htm");
    EXPECT_EQ(target->Target, u"side");
    EXPECT_EQ(title, u"Second");
    EXPECT_FALSE(map.GetURL(205, 5, target, title));  // NOHREF after HREF clears it
    EXPECT_EQ(target, nullptr);
    EXPECT_FALSE(map.GetURL(500, 500, target, title));

    // An unknown shape keeps the one before it; a missing shape is a rectangle.
    TMapItem kept;
    kept.AddArea(*area(u"triangle", u"0,0,4,4", u"t.htm"));
    ASSERT_EQ(kept.Areas().Count(), 1);
    EXPECT_TRUE(kept.Areas().GetArea(0)->PtInArea(4, 4));
}

}  // namespace
