// The viewer and the mouse on a real page: links hovered and clicked,
// selection by dragging, Shift-click and double click, the auto-scroll
// and middle-button scrolling, and the wheel.
#include <gtest/gtest.h>

#include <QDateTime>

#include <string>
#include <vector>

#include "html/layout/Images.h"
#include "html/viewer/ViewerInput.h"

namespace viewertest {
namespace {

using ViewerMouse = RealViewerTest;

const std::u16string LinkPage =
    u"<p>Plain words before <a href=\"next.htm\" target=\"main\">the link text</a> and plain words after.</p>";

TEST_F(ViewerMouse, ClickOnALinkRunsTheLinkAction) {
    THtmlViewer* v = showPage(LinkPage);
    std::vector<std::u16string> followed;
    v->OnHotSpotClick = [&](TObject* Sender, const std::u16string& SRC, bool& Handled) {
        EXPECT_EQ(Sender, v);
        followed.push_back(SRC);
        Handled = true;
    };
    const QPoint onLink = charPoint(v, posOf(v, u"link"));
    click(v, onLink);
    ASSERT_EQ(followed.size(), 1u);
    EXPECT_EQ(followed[0], u"next.htm");
    EXPECT_EQ(v->URL(), u"next.htm");
    EXPECT_EQ(v->Target(), u"main");
    EXPECT_EQ(v->LinkText(), u"the link text");
    EXPECT_EQ(v->SelLength(), 0);

    // Ctrl asks for a new window.
    click(v, onLink, Qt::ControlModifier);
    ASSERT_EQ(followed.size(), 2u);
    EXPECT_EQ(v->Target(), u"_blank");

    // A click on plain text follows nothing; with Shift a link is not followed either.
    click(v, charPoint(v, posOf(v, u"words")));
    click(v, onLink, Qt::ShiftModifier);
    EXPECT_EQ(followed.size(), 2u);
}

TEST_F(ViewerMouse, HoverShowsTheLinkAndItsCursor) {
    THtmlViewer* v = showPage(LinkPage);
    std::vector<std::u16string> covered;
    v->OnHotSpotCovered = [&](TObject*, const std::u16string& SRC) { covered.push_back(SRC); };
    move(v, charPoint(v, posOf(v, u"link")));
    EXPECT_EQ(v->PaintPanel()->Cursor(), crHandPoint);
    EXPECT_TRUE(v->HoverTimer()->Enabled());
    move(v, charPoint(v, posOf(v, u"text")));  // the same link: no second report
    move(v, charPoint(v, posOf(v, u"after")));
    EXPECT_EQ(v->PaintPanel()->Cursor(), crIBeam);
    move(v, QPoint(200, 180));  // below the text
    EXPECT_EQ(v->PaintPanel()->Cursor(), crArrow);
    EXPECT_EQ(covered, (std::vector<std::u16string>{u"next.htm", u""}));

    // The hover timer notices the mouse has left the panel over a link.
    move(v, charPoint(v, posOf(v, u"link")));
    EXPECT_EQ(v->URL(), u"next.htm");
    const TPoint mouseWas = MouseCursorPos();
    SetMouseCursorPos(v->PaintPanel()->ClientToScreen(TPoint{-50, -50}));
    v->HoverTimer()->Fire();
    SetMouseCursorPos(mouseWas);
    EXPECT_FALSE(v->HoverTimer()->Enabled());
    EXPECT_EQ(v->URL(), u"");
    EXPECT_EQ(covered, (std::vector<std::u16string>{u"next.htm", u"", u"next.htm", u""}));
}

TEST_F(ViewerMouse, ReformatLooksAtTheHoverUnderAStillPointer) {
    THtmlViewer* v = showPage(LinkPage);
    std::vector<std::u16string> covered;
    v->OnHotSpotCovered = [&](TObject*, const std::u16string& SRC) { covered.push_back(SRC); };
    const TPoint mouseWas = MouseCursorPos();
    const QPoint onLink = charPoint(v, posOf(v, u"link"));

    // Outside the panel nothing is looked at.
    SetMouseCursorPos(v->PaintPanel()->ClientToScreen(TPoint{-50, -50}));
    v->Reformat();
    EXPECT_TRUE(covered.empty());

    // A pointer that came to rest over the link without a move event.
    SetMouseCursorPos(v->PaintPanel()->ClientToScreen(TPoint{onLink.x(), onLink.y()}));
    v->Reformat();
    SetMouseCursorPos(mouseWas);
    EXPECT_EQ(covered, (std::vector<std::u16string>{u"next.htm"}));
    EXPECT_EQ(v->URL(), u"next.htm");
    EXPECT_EQ(v->PaintPanel()->Cursor(), crHandPoint);
}

TEST_F(ViewerMouse, RightClickTellsTheLinkAndTheWord) {
    THtmlViewer* v = showPage(LinkPage);
    std::vector<std::u16string> seen;
    v->OnRightClick = [&](TObject*, TRightClickParameters& P) {
        seen = {P.URL, P.Target, P.ClickWord};
        EXPECT_EQ(P.Image, nullptr);
        EXPECT_FALSE(v->HoverTimer()->Enabled());
    };
    const QPoint p = charPoint(v, posOf(v, u"link") + 1);
    press(v, p, Qt::NoModifier, Qt::RightButton);
    release(v, p, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"next.htm", u"main", u"link"}));
    EXPECT_TRUE(v->HoverTimer()->Enabled());
    EXPECT_EQ(v->SelLength(), 0);  // a right click selects nothing
}

TEST_F(ViewerMouse, DragSelectsUnlessItStartsOnALinkThatMayNotHighlight) {
    THtmlViewer* v = showPage(LinkPage);
    int followed = 0;
    v->OnHotSpotClick = [&](TObject*, const std::u16string&, bool& Handled) {
        ++followed;
        Handled = true;
    };
    const int32_t from = posOf(v, u"words");
    press(v, charPoint(v, from));
    move(v, charPoint(v, from + 3), Qt::LeftButton);
    release(v, charPoint(v, from + 3));
    EXPECT_EQ(v->SelText(), u"wor");
    EXPECT_EQ(v->SelLength(), -3);  // the caret followed the mouse to the end

    // A drag that starts on a link selects and follows nothing.
    const int32_t link = posOf(v, u"link");
    press(v, charPoint(v, link));
    move(v, charPoint(v, link + 4), Qt::LeftButton);
    release(v, charPoint(v, link + 4));
    EXPECT_EQ(v->SelText(), u"link");
    EXPECT_EQ(followed, 0);

    // With htNoLinkHilite it selects nothing: the press is a click on the link.
    v->SetHtOptions(v->HtOptions() | htoSet(htNoLinkHilite));
    press(v, charPoint(v, link));
    move(v, charPoint(v, link + 4), Qt::LeftButton);
    release(v, charPoint(v, link + 4));
    EXPECT_EQ(v->SelText(), u"");
    EXPECT_EQ(followed, 1);
}

TEST_F(ViewerMouse, ShiftClickExtendsAndAPlainClickStartsAgain) {
    THtmlViewer* v = showPage(LinkPage);
    const int32_t a = posOf(v, u"Plain"), b = posOf(v, u"before");
    click(v, charPoint(v, a));
    click(v, charPoint(v, b), Qt::ShiftModifier);
    EXPECT_EQ(v->SelText().substr(0, 12), u"Plain words ");
    // The drag state ended with the Shift release: moves select no further.
    move(v, charPoint(v, b + 3));
    EXPECT_EQ(v->SelText().substr(0, 12), u"Plain words ");
    click(v, charPoint(v, b));
    EXPECT_EQ(v->SelText(), u"");
    EXPECT_EQ(v->SelLength(), 0);
}

TEST_F(ViewerMouse, DoubleClickSelectsAWord) {
    THtmlViewer* v = showPage(
        u"<p>A well-known \u0441\u043b\u043e\u0432\u043e, and joined.</p>"
        u"<table cellspacing=0 cellpadding=0><tr><td>left</td><td>right</td></tr></table>");
    struct Case {
        std::u16string at, word;
    } cases[] = {
        {u"known", u"known"},  // the hyphen is no word character
        {u"well", u"well"},   {u"\u043b\u043e\u0432\u043e", u"\u0441\u043b\u043e\u0432\u043e"},  // Cyrillic letters are
        {u"right", u"right"},  // two cells are two objects: a word ends between them
        {u"left", u"left"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.word.begin(), c.word.end()));
        doubleClick(v, charPoint(v, posOf(v, c.at)));
        EXPECT_EQ(v->SelText(), c.word);
    }
    std::vector<int> doubles;
    v->SetOnMouseDouble([&](TObject*, TMouseButton b, TShiftState, int, int) { doubles.push_back(b); });
    v->SetNoSelect(true);
    doubleClick(v, charPoint(v, posOf(v, u"joined")));
    EXPECT_EQ(v->SelText(), u"");
    EXPECT_EQ(doubles, std::vector<int>{mbLeft});
}

std::u16string TallPage() {
    std::u16string html;
    for (int i = 0; i < 80; ++i) html += u"<p>Line " + std::u16string(1, char16_t(u'A' + i % 26)) + u" of the page</p>";
    return html;
}

TEST_F(ViewerMouse, DraggingBeyondThePanelScrolls) {
    THtmlViewer* v = showPage(TallPage());
    ASSERT_GT(v->MaxVertical(), 600);
    press(v, charPoint(v, posOf(v, u"Line F")));
    move(v, QPoint(20, 160), Qt::LeftButton);
    EXPECT_EQ(v->VScrollBarPosition(), 0);
    // Just below the panel: one small change at once, then by the timer.
    move(v, QPoint(20, 205), Qt::LeftButton);
    EXPECT_EQ(v->VScrollBarPosition(), 16);
    EXPECT_TRUE(v->ViewerState() & vsSet(vsMouseScrolling));
    EXPECT_TRUE(v->AutoScrollTimer()->Enabled());
    // The next step waits for its 100 ms.
    v->AutoScrollTimer()->Fire();
    EXPECT_EQ(v->VScrollBarPosition(), 16);
    // Far below: eight small changes a step.
    move(v, QPoint(20, 260), Qt::LeftButton);
    const int64_t until = QDateTime::currentMSecsSinceEpoch() + 150;
    while (QDateTime::currentMSecsSinceEpoch() < until) QApplication::processEvents();
    EXPECT_GE(v->VScrollBarPosition(), 16 + 128);
    EXPECT_LT(v->SelLength(), 0);  // the caret followed the mouse down
    release(v, QPoint(20, 260));
    EXPECT_FALSE(v->ViewerState() & vsSet(vsMouseScrolling));
    EXPECT_FALSE(v->AutoScrollTimer()->Enabled());
}

TEST_F(ViewerMouse, MiddleButtonScrollsBeyondItsDeadZone) {
    THtmlViewer* v = showPage(TallPage());
    press(v, QPoint(100, 100), Qt::NoModifier, Qt::MiddleButton);
    EXPECT_EQ(v->PaintPanel()->Cursor(), crUpDownCursor);
    release(v, QPoint(100, 100), Qt::NoModifier, Qt::MiddleButton);  // no move: the mode stays on
    EXPECT_TRUE(v->ViewerState() & vsSet(vsMiddleScrollOn));
    move(v, QPoint(100, 115));  // within the dead zone
    EXPECT_EQ(v->VScrollBarPosition(), 0);
    move(v, QPoint(100, 156));
    EXPECT_EQ(v->VScrollBarPosition(), (56 - 16) / 4);
    EXPECT_EQ(v->PaintPanel()->Cursor(), crDownOnlyCursor);
    // Any press ends the mode.
    press(v, QPoint(100, 156));
    EXPECT_FALSE(v->ViewerState() & vsSet(vsMiddleScrollOn));
    EXPECT_EQ(v->PaintPanel()->Cursor(), v->Cursor());
    release(v, QPoint(100, 156));

    v->SetHtOptions(v->HtOptions() | htoSet(htNoWheelMouse));
    press(v, QPoint(100, 100), Qt::NoModifier, Qt::MiddleButton);
    EXPECT_FALSE(v->ViewerState() & vsSet(vsMiddleScrollOn));
}

TEST_F(ViewerMouse, WheelScrollsLongPagesOnly) {
    const int oldLines = WheelScrollLines();
    SetWheelScrollLines(3);
    THtmlViewer* v = showPage(TallPage());
    wheel(v, -120);
    EXPECT_EQ(v->VScrollBarPosition(), 48);
    wheel(v, -40);
    wheel(v, -40);
    EXPECT_EQ(v->VScrollBarPosition(), 80);
    wheel(v, 360);
    EXPECT_EQ(v->VScrollBarPosition(), 0);
    v->SetHtOptions(v->HtOptions() | htoSet(htNoWheelMouse));
    wheel(v, -120);
    EXPECT_EQ(v->VScrollBarPosition(), 0);

    // A page that fits leaves the wheel to others.
    THtmlViewer* shortPage = showPage(u"<p>short");
    EXPECT_FALSE(shortPage->WheelScroll(-120));
    SetWheelScrollLines(oldLines);
}

TEST_F(ViewerMouse, ClickOnAnImageInputSubmitsThePointClicked) {
    THtmlViewer* v = showPage(u"<form action='/go'><input type=image name=pic width=60 height=40></form>");
    std::vector<std::string> sent;
    v->SetOnFormSubmit([&](TObject*, const std::u16string& Action, const std::u16string&, const std::u16string&,
                           const std::u16string&, std::unique_ptr<TStringList> Results) {
        std::string line = std::string(Action.begin(), Action.end());
        for (int i = 0; Results && i < Results->Count(); ++i) line += " " + Results->Strings(i);
        sent.push_back(line);
    });
    // The input is drawn at the top left, inside the body's margin.
    int x = 0, y = 0;
    ASSERT_TRUE(v->DisplayPosToXy(0, x, y));
    click(v, QPoint(x + 10, y + 5));
    Application->ProcessMessages();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].rfind("/go pic.x=", 0), 0u) << sent[0];
    EXPECT_NE(sent[0].find(" pic.y="), std::string::npos) << sent[0];
}

}  // namespace
}  // namespace viewertest
