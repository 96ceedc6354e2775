// The viewer as a composite of real controls: its parts, where the paint
// panel and the scroll bars go for the document shown, and how resizing and
// the border move them.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "html/viewer/ViewerFixture.h"

namespace viewertest {
namespace {

using ViewerWidgets = ViewerTest;

TEST_F(ViewerWidgets, ConstructionBuildsThePartsAroundOneDocument) {
    auto* v = new THtmlViewer(form);
    v->SetParent(form);
    EXPECT_EQ(v->BorderPanel()->Parent(), v);
    EXPECT_EQ(v->BorderPanel()->Align(), alClient);
    EXPECT_EQ(v->PaintPanel()->Parent(), v);
    EXPECT_EQ(v->PaintPanel()->ParentViewer(), v);
    EXPECT_EQ(v->VScrollBar()->Kind(), sbVertical);
    EXPECT_EQ(v->HScrollBar()->Kind(), sbHorizontal);
    EXPECT_EQ(v->VScrollBar()->SmallChange(), 16);
    EXPECT_EQ(v->HScrollBar()->SmallChange(), 15);
    EXPECT_FALSE(v->VScrollBar()->Visible());
    EXPECT_FALSE(v->HScrollBar()->Visible());
    EXPECT_FALSE(v->VScrollBar()->TabStop());
    EXPECT_GT(v->ScrollBarWidth(), 0);
    EXPECT_EQ(v->ScrollBarWidth(), v->VScrollBar()->Width());
    EXPECT_EQ(v->HoverTimer()->Interval(), 200u);
    EXPECT_FALSE(v->HoverTimer()->Enabled());
    EXPECT_EQ(v->ImageInsertionTimer()->Interval(), 100u);
    EXPECT_FALSE(v->ImageInsertionTimer()->Enabled());
    EXPECT_FALSE(v->ViewerState() & vsSet(vsCreating));
    EXPECT_EQ(v->SectionList()->TheOwner, v);
    EXPECT_EQ(v->SectionList()->PPanel, v->PaintPanel());
    EXPECT_EQ(v->NameList(), v->SectionList()->IDNameList.get());
    EXPECT_EQ(GetPropValue(v, "BorderStyle"), "htFocused");
    EXPECT_EQ(GetPropValue(v, "ScrollBars"), "ssBoth");
}

TEST_F(ViewerWidgets, BarsFollowTheDocumentAndTheWindowSize) {
    TestViewer* v = makeViewer(300, 200);
    const int sb = v->ScrollBarWidth();
    v->Doc().Area = 300 * 12;  // 240 high at the full width
    v->LoadFromString(u"page");
    ASSERT_TRUE(v->VScrollBar()->Visible());
    EXPECT_FALSE(v->HScrollBar()->Visible());
    EXPECT_EQ(bounds(v->PaintPanel()), bounds(0, 0, 300 - sb, 200));
    EXPECT_EQ(bounds(v->VScrollBar()), bounds(300 - sb, 0, 300, 200));
    EXPECT_EQ(v->VScrollBar()->Max(), v->MaxVertical());
    EXPECT_EQ(v->VScrollBar()->PageSize(), 200);
    EXPECT_EQ(v->VScrollBar()->LargeChange(), 200 - 16);
    EXPECT_TRUE(v->VScrollBar()->Enabled());

    // Taller window: the page fits and the bar goes.
    v->SetBounds(0, 0, 300, 400);
    EXPECT_FALSE(v->VScrollBar()->Visible());
    EXPECT_EQ(bounds(v->PaintPanel()), bounds(0, 0, 300, 400));
    EXPECT_EQ(v->Doc().Widths.back(), 300);
    // Narrower: the text wraps into more lines and the bar is back.
    v->SetBounds(0, 0, 150, 200);
    EXPECT_TRUE(v->VScrollBar()->Visible());
    EXPECT_EQ(v->Doc().Widths.back(), 150 - sb);
    EXPECT_EQ(bounds(v->VScrollBar()), bounds(150 - sb, 0, 150, 200));

    // Wider content: the horizontal bar under the panel.
    v->SetBounds(0, 0, 300, 200);
    v->Doc().Area = 300 * 5;
    v->Doc().ContentWidth = 500;
    v->LoadFromString(u"wide");
    ASSERT_TRUE(v->HScrollBar()->Visible());
    EXPECT_FALSE(v->VScrollBar()->Visible());
    EXPECT_EQ(bounds(v->PaintPanel()), bounds(0, 0, 300, 200 - sb));
    EXPECT_EQ(bounds(v->HScrollBar()), bounds(0, 200 - sb, 300, 200));
    EXPECT_EQ(v->HScrollBar()->Max(), 500);
    EXPECT_EQ(v->HScrollBar()->PageSize(), 300);
}

TEST_F(ViewerWidgets, BorderPlacesThePaintPanelInsideIt) {
    TestViewer* v = makeViewer(300, 200);
    v->LoadFromString(u"x");
    // No border: the paint panel fills the viewer, the border panel is hidden.
    EXPECT_EQ(bounds(v->PaintPanel()), bounds(0, 0, 300, 200));
    EXPECT_FALSE(v->BorderPanel()->Visible());

    v->SetBorderStyle(htSingle);
    EXPECT_EQ(v->BorderPanel()->BorderStyle(), bsSingle);
    v->Relayout();
    const int e = TPanel::BorderEdge;
    EXPECT_TRUE(v->BorderPanel()->Visible());
    EXPECT_EQ(bounds(v->PaintPanel()), bounds(e, e, 300 - e, 200 - e));
    // A focused border shows only while the viewer has the focus.
    v->SetBorderStyle(htFocused);
    EXPECT_EQ(v->BorderPanel()->BorderStyle(), bsNone);
}

TEST_F(ViewerWidgets, EmptyPageShowsNoBarUnlessTheVerticalOneIsAlwaysShown) {
    TestViewer* v = makeViewer(300, 200);
    v->LoadFromString(u"");
    EXPECT_FALSE(v->VScrollBar()->Visible());
    EXPECT_FALSE(v->HScrollBar()->Visible());
    EXPECT_EQ(v->MaxVertical(), 0);

    v->SetHtOptions(v->HtOptions() | htoSet(htShowVScroll));
    v->LoadFromString(u"");
    EXPECT_TRUE(v->VScrollBar()->Visible());
    EXPECT_FALSE(v->VScrollBar()->Enabled());
    // The page is laid out beside the bar, once.
    v->Doc().Widths.clear();
    v->Doc().Area = 100;
    v->LoadFromString(u"short");
    EXPECT_EQ(v->Doc().Widths, std::vector<int32_t>({300 - v->ScrollBarWidth()}));
}

TEST_F(ViewerWidgets, ScrollStyleDecidesWhichBarsMayShow) {
    TestViewer* v = makeViewer(300, 200);
    v->Doc().Area = 300 * 100;
    v->Doc().ContentWidth = 900;
    v->LoadFromString(u"big");
    EXPECT_TRUE(v->VScrollBar()->Visible());
    EXPECT_TRUE(v->HScrollBar()->Visible());
    v->SetScrollBars(ssNone);
    EXPECT_FALSE(v->VScrollBar()->Visible());
    EXPECT_FALSE(v->HScrollBar()->Visible());
    EXPECT_EQ(bounds(v->PaintPanel()), bounds(0, 0, 300, 200));
    EXPECT_FALSE(v->IsProcessing());
    v->SetScrollBars(ssVertical);
    EXPECT_TRUE(v->VScrollBar()->Visible());
    EXPECT_FALSE(v->HScrollBar()->Visible());
    SetPropValue(v, "ScrollBars", "ssHorizontal");
    EXPECT_FALSE(v->VScrollBar()->Visible());
    EXPECT_TRUE(v->HScrollBar()->Visible());
}

TEST_F(ViewerWidgets, ScrollingMovesTheDocumentWithTheBar) {
    TestViewer* v = makeViewer(300, 200);
    v->Doc().Area = 300 * 100;
    v->LoadFromString(u"page");
    v->ScrollTo(-50);
    EXPECT_EQ(v->VScrollBarPosition(), 0);
    v->ScrollTo(1234);
    EXPECT_EQ(v->VScrollBarPosition(), 1234);
    EXPECT_EQ(v->SectionList()->YOff, 1234);
    v->ScrollTo(999999);
    EXPECT_EQ(v->VScrollBarPosition(), v->MaxVertical() - 200);
    EXPECT_EQ(v->VScrollBarRange(), v->MaxVertical() - 200);
    // A resize keeps the place within the new range.
    v->SetBounds(0, 0, 300, 100);
    EXPECT_EQ(v->SectionList()->YOff, v->VScrollBarPosition());
    EXPECT_LE(v->VScrollBarPosition(), v->MaxVertical() - 100);
}

TEST_F(ViewerWidgets, PaintsTheBackgroundOfTheDocument) {
    TestViewer* v = makeViewer(120, 80);
    v->SetDefBackground(clYellow);
    v->LoadFromString(u"x");
    form->Show();
    const QImage img = v->Handle()->grab().toImage();
    EXPECT_EQ(img.pixelColor(60, 40), QColor(255, 255, 0));
    EXPECT_EQ(img.pixelColor(119, 79), QColor(255, 255, 0));
}

}  // namespace
}  // namespace viewertest
