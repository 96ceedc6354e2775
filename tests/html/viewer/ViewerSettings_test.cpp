// The viewer's published settings: defaults, the ranges their write
// accessors keep, what reaches the document, and copies of a template viewer.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "html/text/Buffer.h"
#include "html/viewer/ViewerFixture.h"

namespace viewertest {
namespace {

using ViewerSettings = ViewerTest;

TEST_F(ViewerSettings, NewViewerHasTheDocumentedDefaults) {
    auto* v = new THtmlViewer(form);
    EXPECT_EQ(v->Width(), 150);
    EXPECT_EQ(v->Height(), 150);
    EXPECT_EQ(v->Cursor(), crIBeam);
    EXPECT_EQ(v->BorderStyle(), htFocused);
    EXPECT_EQ(v->ScrollBars(), ssBoth);
    EXPECT_EQ(v->HtOptions(), htoSet(htPrintTableBackground) | htoSet(htPrintMonochromeBlack));
    EXPECT_EQ(v->CharSet(), 1);
    EXPECT_EQ(v->CodePage(), 0);
    EXPECT_EQ(v->DefBackground(), clBtnFace);
    EXPECT_EQ(v->DefFontColor(), clBtnText);
    EXPECT_EQ(v->DefFontName(), "Times New Roman");
    EXPECT_EQ(v->DefPreFontName(), "Courier New");
    EXPECT_EQ(v->DefFontSize(), 12);
    EXPECT_EQ(v->DefHotSpotColor(), clBlue);
    EXPECT_EQ(v->DefOverLinkColor(), clBlue);
    EXPECT_EQ(v->DefVisitedLinkColor(), clPurple);
    EXPECT_EQ(v->HistoryMaxCount(), 0);
    EXPECT_EQ(v->ImageCacheCount(), 5);
    EXPECT_EQ(v->LoadCursor(), crHourGlass);
    EXPECT_EQ(v->MarginHeight(), 5);
    EXPECT_EQ(v->MarginWidth(), 10);
    EXPECT_FALSE(v->NoSelect());
    EXPECT_EQ(v->PrintMarginLeft(), 2.0);
    EXPECT_EQ(v->PrintMarginRight(), 2.0);
    EXPECT_EQ(v->PrintMarginTop(), 2.0);
    EXPECT_EQ(v->PrintMarginBottom(), 2.0);
    EXPECT_EQ(v->PrintMaxHPages(), 2);
    EXPECT_EQ(v->PrintScale(), 1.0);
    EXPECT_EQ(v->QuirksMode(), qmStandards);
    EXPECT_TRUE(v->ServerRoot().empty());
    EXPECT_TRUE(v->ViewImages());
    EXPECT_EQ(v->VisitedMaxCount(), 50);
    EXPECT_FALSE(v->UseQuirksMode());
    // The document shows the default background and prints as the options say.
    EXPECT_EQ(v->SectionList()->BackGround, clBtnFace);
    EXPECT_TRUE(v->SectionList()->PrintTableBackground);
    EXPECT_TRUE(v->SectionList()->PrintMonoBlack);
    EXPECT_FALSE(v->SectionList()->PrintBackground);
}

TEST_F(ViewerSettings, WritesKeepValuesInTheirRanges) {
    auto* v = new THtmlViewer(form);
    const struct { int in, want; } cacheCounts[] = {{25, 20}, {20, 20}, {-3, 0}, {0, 0}, {7, 7}};
    for (const auto& c : cacheCounts) {
        v->SetImageCacheCount(c.in);
        EXPECT_EQ(v->ImageCacheCount(), c.want) << c.in;
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double in, want;
    } scales[] = {{10, 8.0}, {8, 8.0}, {nan, 8.0}, {0.1, 0.125}, {0.125, 0.125}, {-2, 0.125}, {2.5, 2.5}};
    for (const auto& c : scales) {
        v->SetPrintScale(c.in);
        EXPECT_EQ(v->PrintScale(), c.want) << c.in;
    }
    const struct {
        const char16_t *in, *want;
    } roots[] = {
        {u"  /srv/www/  ", u"/srv/www"}, {u"/srv/www", u"/srv/www"}, {u"C:\\root\\", u"C:\\root"}, {u" \t", u""}};
    for (const auto& c : roots) {
        v->SetServerRoot(c.in);
        EXPECT_EQ(v->ServerRoot(), c.want);
    }
    v->SetVisitedMaxCount(-1);
    EXPECT_EQ(v->VisitedMaxCount(), 0);
    v->SetHistoryMaxCount(4);
    v->SetHistoryMaxCount(-1);
    EXPECT_EQ(v->HistoryMaxCount(), 4);
    // The old thick I-beam is the I-beam; other cursors stay.
    v->SetCursor(2);
    EXPECT_EQ(v->Cursor(), crIBeam);
    v->SetCursor(crCross);
    EXPECT_EQ(v->Cursor(), crCross);
    SetPropValue(v, "Cursor", "2");
    EXPECT_EQ(v->Cursor(), crIBeam);
    // The same preformatted font in other letter case changes nothing.
    v->SetDefPreFontName("courier NEW");
    EXPECT_EQ(v->DefPreFontName(), "Courier New");
    v->SetDefPreFontName("DejaVu Sans Mono");
    EXPECT_EQ(v->DefPreFontName(), "DejaVu Sans Mono");
    EXPECT_EQ(v->SectionList()->PreFontName, u"DejaVu Sans Mono");
}

TEST_F(ViewerSettings, LinkColoursAndOptionsReachTheDocument) {
    auto* v = new THtmlViewer(form);
    v->SetDefHotSpotColor(clRed);
    v->SetDefOverLinkColor(clGreen);
    v->SetDefVisitedLinkColor(clMaroon);
    ThtDocument* doc = v->SectionList();
    EXPECT_EQ(doc->HotSpotColor, clRed);
    EXPECT_EQ(doc->LinkActiveColor, clGreen);
    EXPECT_EQ(doc->LinkVisitedColor, clMaroon);

    const struct {
        THtmlViewerOptions options;
        bool linksActive, tableBackground, background, monoBlack, dummyCaret;
    } cases[] = {
        {0, false, false, false, false, false},
        {htoSet(htOverLinksActive), true, false, false, false, false},
        {htoSet(htPrintTableBackground), false, true, false, false, false},
        {htoSet(htPrintBackground), false, true, true, false, false},  // the page's background brings the tables'
        {htoSet(htPrintMonochromeBlack) | htoSet(htShowDummyCaret), false, false, false, true, true},
    };
    for (const auto& c : cases) {
        v->SetHtOptions(c.options);
        EXPECT_EQ(doc->LinksActive, c.linksActive) << c.options;
        EXPECT_EQ(doc->PrintTableBackground, c.tableBackground) << c.options;
        EXPECT_EQ(doc->PrintBackground, c.background) << c.options;
        EXPECT_EQ(doc->PrintMonoBlack, c.monoBlack) << c.options;
        EXPECT_EQ(doc->ShowDummyCaret, c.dummyCaret) << c.options;
    }
    SetPropValue(v, "HtOptions", "htShowVScroll,htNoFocusRect");
    EXPECT_EQ(v->HtOptions(), htoSet(htShowVScroll) | htoSet(htNoFocusRect));
    EXPECT_FALSE(v->ShowFocusRect());
}

TEST_F(ViewerSettings, BackgroundReachesDocumentAndPanelAndWaitsForTheEndOfALoad) {
    TestViewer* v = makeViewer();
    v->SetDefBackground(clYellow);
    EXPECT_EQ(v->SectionList()->BackGround, clYellow);
    EXPECT_EQ(v->PaintPanel()->Color(), clYellow);

    // Written while a page is built: kept, and shown once the page is done.
    TColor duringLoad = clNone;
    v->SetOnParseEnd([&](TObject*) {
        v->SetDefBackground(clAqua);
        duringLoad = v->SectionList()->BackGround;
    });
    v->LoadFromString(u"<p>text");
    EXPECT_EQ(duringLoad, clYellow);
    EXPECT_EQ(v->DefBackground(), clAqua);
    EXPECT_EQ(v->SectionList()->BackGround, clAqua);
    EXPECT_EQ(v->PaintPanel()->Color(), clAqua);
    // The next load starts from it.
    v->SetOnParseEnd(nullptr);
    v->LoadFromString(u"<p>again");
    EXPECT_EQ(v->SectionList()->BackGround, clAqua);
}

TEST_F(ViewerSettings, NoSelectDropsTheSelection) {
    auto* v = new THtmlViewer(form);
    ThtDocument* doc = v->SectionList();
    doc->SelB = 3;
    doc->SelE = 9;
    v->SetNoSelect(false);
    EXPECT_EQ(doc->SelE, 9);
    v->SetNoSelect(true);
    EXPECT_EQ(doc->SelB, -1);
    EXPECT_EQ(doc->SelE, -1);
    // Only a change to true drops one.
    doc->SelB = 1;
    doc->SelE = 2;
    v->SetNoSelect(true);
    EXPECT_EQ(doc->SelE, 2);
}

TEST_F(ViewerSettings, SmallerHistoryKeepsItsNewestEntries) {
    auto* v = new THtmlViewer(form);
    v->SetHistoryMaxCount(5);
    for (int i = 0; i < 5; ++i) {
        auto item = std::make_unique<ThvHistoryItem>();
        item->Url = u"page" + std::u16string(1, char16_t(u'0' + i));
        v->History()->Insert(0, std::move(item));
    }
    v->History()->SetIndex(4);
    int changes = 0;
    v->SetOnHistoryChange([&](TObject*) { ++changes; });
    v->SetHistoryMaxCount(3);
    ASSERT_EQ(v->History()->Count(), 3);
    EXPECT_EQ(v->History()->GetItem(0)->Url, u"page4");
    EXPECT_EQ(v->History()->GetItem(2)->Url, u"page2");
    EXPECT_EQ(v->History()->Index(), 2);
    EXPECT_EQ(changes, 1);
    // A larger limit keeps everything.
    v->SetHistoryMaxCount(10);
    EXPECT_EQ(v->History()->Count(), 3);
    EXPECT_EQ(changes, 1);
    v->SetHistoryMaxCount(0);
    EXPECT_EQ(v->History()->Count(), 0);
    EXPECT_EQ(changes, 2);
}

TEST_F(ViewerSettings, VisitedListKeepsItsNewestEntries) {
    TestViewer* v = makeViewer();
    v->SetOnParseEnd([&](TObject*) {
        for (const char16_t* id : {u"a", u"b", u"c", u"d"}) v->NameList()->AddObject(id, new FixedId(id, 10));
    });
    v->LoadFromString(u"x", u"page.htm");
    for (const char16_t* id : {u"a", u"b", u"c", u"d"}) EXPECT_TRUE(v->PositionTo(id));
    ASSERT_EQ(v->Visited().size(), 4u);
    EXPECT_EQ(v->Visited().front(), u"page.htm#d");
    // Going to the newest place again adds nothing.
    v->PositionTo(u"d");
    EXPECT_EQ(v->Visited().size(), 4u);
    v->SetVisitedMaxCount(2);
    ASSERT_EQ(v->Visited().size(), 2u);
    EXPECT_EQ(v->Visited().back(), u"page.htm#c");
    v->SetVisitedMaxCount(0);
    EXPECT_TRUE(v->Visited().empty());
    v->PositionTo(u"a");
    EXPECT_TRUE(v->Visited().empty());
}

TEST_F(ViewerSettings, CopyTakesTheTemplatesSettingsAndEvents) {
    auto* src = new THtmlViewer(form);
    src->SetCharSet(204);
    src->SetCodePage(1251);
    src->SetDefBackground(0xFCFFFF);
    src->SetDefFontColor(clNavy);
    src->SetDefFontName("Arial");
    src->SetDefFontSize(9);
    src->SetDefHotSpotColor(clRed);
    src->SetDefOverLinkColor(clGreen);
    src->SetDefPreFontName("Liberation Mono");
    src->SetDefVisitedLinkColor(clMaroon);
    src->SetLoadCursor(crAppStart);
    src->SetNoSelect(true);
    src->SetServerRoot(u"/srv");
    src->SetMarginHeight(1);
    src->SetMarginWidth(2);
    src->SetPrintMarginLeft(1.5);
    src->SetPrintMarginRight(1.25);
    src->SetPrintMarginTop(0.5);
    src->SetPrintMarginBottom(0.75);
    src->SetPrintMaxHPages(4);
    src->SetPrintScale(0.5);
    src->SetQuirksMode(qmDetect);
    src->SetHistoryMaxCount(7);
    src->SetImageCacheCount(9);
    src->SetVisitedMaxCount(11);
    src->SetCursor(crHandPoint);
    src->SetBorderStyle(htSingle);
    src->SetScrollBars(ssVertical);
    src->SetHtOptions(htoSet(htShowVScroll) | htoSet(htOverLinksActive));
    src->SetBase(u"http://example.org/");
    src->SetStyleElements(seSet(seFont));

    int calls = 0;
    auto count = [&](auto...) { ++calls; };
    src->SetOnBitmapRequest([&](TObject*, const std::u16string&, TBitmap*&, TColor&) { ++calls; });
    src->SetOnBitmapRequested([&](TObject*, const std::u16string&, TBitmap*&, TColor&) { ++calls; });
    src->SetOnImageRequest([&](TObject*, const std::u16string&, TStream*&) { ++calls; });
    src->SetOnImageRequested([&](TObject*, const std::u16string&, TStream*&) { ++calls; });
    src->SetOnParseEnd(count);
    src->SetOnProcessing(count);
    src->SetOnHistoryChange(count);
    src->SetOnMeta(count);
    src->SetOnObjectClick(count);
    src->SetOnScript(count);
    src->OnKeyDown = [&](TObject*, uint16_t&, TShiftState) { ++calls; };
    src->OnMouseUp = count;
    src->OnMetaRefresh = count;
    src->OnHotSpotClick = count;
    src->SetOnFormSubmit([&](TObject*, const std::u16string&, const std::u16string&, const std::u16string&,
                             const std::u16string&, std::unique_ptr<TStringList>) { ++calls; });

    auto* copy = new THtmlViewer(form, src);
    EXPECT_EQ(copy->CharSet(), 204);
    EXPECT_EQ(copy->CodePage(), 1251);
    EXPECT_EQ(copy->DefBackground(), 0xFCFFFF);
    EXPECT_EQ(copy->SectionList()->BackGround, 0xFCFFFF);
    EXPECT_EQ(copy->DefFontColor(), clNavy);
    EXPECT_EQ(copy->DefFontName(), "Arial");
    EXPECT_EQ(copy->DefFontSize(), 9);
    EXPECT_EQ(copy->DefHotSpotColor(), clRed);
    EXPECT_EQ(copy->SectionList()->HotSpotColor, clRed);
    EXPECT_EQ(copy->DefOverLinkColor(), clGreen);
    EXPECT_EQ(copy->DefPreFontName(), "Liberation Mono");
    EXPECT_EQ(copy->DefVisitedLinkColor(), clMaroon);
    EXPECT_EQ(copy->LoadCursor(), crAppStart);
    EXPECT_TRUE(copy->NoSelect());
    EXPECT_EQ(copy->ServerRoot(), u"/srv");
    EXPECT_EQ(copy->MarginHeight(), 1);
    EXPECT_EQ(copy->MarginWidth(), 2);
    EXPECT_EQ(copy->PrintMarginLeft(), 1.5);
    EXPECT_EQ(copy->PrintMarginRight(), 1.25);
    EXPECT_EQ(copy->PrintMarginTop(), 0.5);
    EXPECT_EQ(copy->PrintMarginBottom(), 0.75);
    EXPECT_EQ(copy->PrintMaxHPages(), 4);
    EXPECT_EQ(copy->PrintScale(), 0.5);
    EXPECT_EQ(copy->QuirksMode(), qmDetect);
    EXPECT_EQ(copy->HistoryMaxCount(), 7);
    EXPECT_EQ(copy->ImageCacheCount(), 9);
    EXPECT_EQ(copy->VisitedMaxCount(), 11);
    EXPECT_EQ(copy->Cursor(), crHandPoint);
    EXPECT_EQ(copy->BorderStyle(), htSingle);
    EXPECT_EQ(copy->ScrollBars(), ssVertical);
    EXPECT_EQ(copy->HtOptions(), htoSet(htShowVScroll) | htoSet(htOverLinksActive));
    EXPECT_TRUE(copy->SectionList()->LinksActive);
    EXPECT_EQ(copy->Base(), u"http://example.org/");
    // Not copied: the style elements.
    EXPECT_EQ(copy->StyleElements(), AllStyleElements);

    // Every copied event is the template's handler; OnBitmapRequested is not copied.
    EXPECT_FALSE(copy->OnBitmapRequested());
    TBitmap* bitmap = nullptr;
    TColor colour = 0;
    TStream* stream = nullptr;
    uint16_t key = 0;
    copy->OnBitmapRequest()(copy, u"a", bitmap, colour);
    copy->SectionList()->GetBitmap(copy, u"a", bitmap, colour);
    copy->OnImageRequest()(copy, u"a", stream);
    copy->OnImageRequested()(copy, u"a", stream);
    copy->SectionList()->GottenImage(copy, u"a", stream);
    copy->OnParseEnd()(copy);
    copy->OnProcessing()(copy, true);
    copy->OnHistoryChange()(copy);
    copy->OnMeta()(copy, u"", u"", u"");
    copy->SectionList()->ObjectClick(copy, nullptr, u"");
    copy->SectionList()->ScriptEvent(copy, u"", u"", u"", u"");
    copy->OnKeyDown(copy, key, 0);
    copy->OnMouseUp(copy, mbLeft, 0, 0, 0);
    copy->OnMetaRefresh(copy, 1, u"");
    bool handled = false;
    copy->OnHotSpotClick(copy, u"", handled);
    copy->SectionList()->SubmitForm(copy, u"", u"", u"", u"", nullptr);
    Application->ProcessMessages();  // a submission arrives once the input is handled
    EXPECT_EQ(calls, 16);
}

}  // namespace
}  // namespace viewertest
