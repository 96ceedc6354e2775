// The viewer's keys on a real page: scrolling, font size, copying, Enter on
// a link, and the end of middle-button scrolling.
#include <gtest/gtest.h>

#include <vector>

#include "html/layout/Document.h"
#include "html/viewer/ViewerInput.h"
#include "platform/framework/Clipbrd.h"

namespace viewertest {
namespace {

using ViewerKeys = RealViewerTest;

std::u16string TallPage() {
    std::u16string html;
    for (int i = 0; i < 80; ++i) html += u"<p>Row of the page</p>";
    return html;
}

TEST_F(ViewerKeys, KeysScrollThePage) {
    THtmlViewer* v = showPage(TallPage(), 300, 200);
    const int32_t large = v->VScrollBar()->LargeChange();
    const int32_t range = v->MaxVertical() - v->PaintPanel()->Height();
    ASSERT_GT(range, 2 * large);
    struct Step {
        uint16_t key;
        TShiftState shift;
        int32_t want;
    } steps[] = {
        {VK_DOWN, 0, 16},        {VK_DOWN, 0, 32},          {VK_UP, 0, 16},          {VK_NEXT, 0, 16 + large},
        {VK_SPACE, ssShift, 16}, {VK_SPACE, 0, 16 + large}, {VK_END, 0, 16 + large}, {VK_END, ssCtrl, range},
        {VK_DOWN, 0, range},     {VK_HOME, ssCtrl, 0},      {VK_PRIOR, 0, 0},
    };
    for (const Step& s : steps) {
        uint16_t key = s.key;
        v->KeyDown(key, s.shift);
        EXPECT_EQ(v->VScrollBarPosition(), s.want) << "key " << s.key << " shift " << s.shift;
        EXPECT_EQ(v->SectionList()->YOff, s.want);
    }
}

TEST_F(ViewerKeys, CtrlKeysCopyAndSizeTheFont) {
    THtmlViewer* v = showPage(u"<p>Copy these words</p>", 300, 200);
    ASSERT_TRUE(v->Find(u"these", true));
    Clipboard()->SetAsText("before");
    uint16_t key = 'C';
    v->KeyDown(key, ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "these");
    // Ctrl held, then Shift pressed, copies too.
    Clipboard()->SetAsText("before");
    key = VK_SHIFT;
    v->KeyDown(key, ssCtrl | ssShift);
    EXPECT_EQ(Clipboard()->AsText(), "these");
    // Shift alone does not.
    Clipboard()->SetAsText("before");
    key = VK_SHIFT;
    v->KeyDown(key, ssShift);
    EXPECT_EQ(Clipboard()->AsText(), "before");

    const int size = v->DefFontSize();
    key = VK_OEM_PLUS;
    v->KeyDown(key, ssCtrl);
    EXPECT_EQ(v->DefFontSize(), size + 1);
    v->SetDefFontSize(9);
    for (int i = 0; i < 3; ++i) {
        key = VK_OEM_MINUS;
        v->KeyDown(key, ssCtrl);
    }
    EXPECT_EQ(v->DefFontSize(), 8);  // never below 8
    Clipboard()->Clear();
}

// The object views copy on Ctrl+Insert from their OnKeyDown handler; the
// key arrives as the user types it once a click gave the viewer the focus.
TEST_F(ViewerKeys, CtrlInsertOfTheObjectViewsCopiesThroughOnKeyDown) {
    THtmlViewer* v = showPage(u"<p>Serial number 01 02 03</p>", 300, 200);
    v->OnKeyDown = [](TObject* Sender, uint16_t& Key, TShiftState Shift) {
        if (Key == VK_INSERT && (Shift & ssCtrl))
            if (auto* viewer = dynamic_cast<THtmlViewer*>(Sender)) viewer->CopyToClipboard();
    };
    click(v, charPoint(v, posOf(v, u"number")));
    ASSERT_TRUE(v->Focused());
    v->SelectAll();
    Clipboard()->SetAsText("before");
    SendKey(v, VK_INSERT, ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "Serial number 01 02 03");
    EXPECT_NE(Clipboard()->GetBuffer(CF_HTML()).find("<!--StartFragment-->Serial"), std::string::npos);
    // Page Down typed scrolls nothing on a page that fits, and copies nothing.
    Clipboard()->SetAsText("before");
    SendKey(v, VK_NEXT);
    EXPECT_EQ(Clipboard()->AsText(), "before");
    Clipboard()->Clear();
}

TEST_F(ViewerKeys, EnterOnAFocusedLinkFollowsItOnceTheKeyIsHandled) {
    THtmlViewer* v = showPage(u"<p>Go <a href=\"next.htm\" target=\"main\">to the next page</a> now.</p>", 300, 200);
    std::vector<std::u16string> followed;
    v->OnHotSpotClick = [&](TObject*, const std::u16string& SRC, bool& Handled) {
        followed.push_back(SRC);
        Handled = true;
    };
    TLinkList* links = v->SectionList()->LinkList.get();
    ASSERT_TRUE(links && links->Count() > 0);
    TFontObj* run = links->GetFont(0);
    ASSERT_NE(run->TabControl, nullptr);
    SendKey(run->TabControl, VK_RETURN);
    EXPECT_EQ(v->URL(), u"next.htm");
    EXPECT_EQ(v->Target(), u"main");
    EXPECT_EQ(v->LinkText(), u"to the next page");
    EXPECT_TRUE(followed.empty());  // not inside the control's own key event
    Application->ProcessMessages();
    EXPECT_EQ(followed, std::vector<std::u16string>{u"next.htm"});
}

TEST_F(ViewerKeys, AKeyEndsMiddleButtonScrollingAndNothingElse) {
    THtmlViewer* v = showPage(TallPage(), 300, 200);
    press(v, QPoint(50, 50), Qt::NoModifier, Qt::MiddleButton);
    release(v, QPoint(50, 50), Qt::NoModifier, Qt::MiddleButton);
    ASSERT_TRUE(v->ViewerState() & vsSet(vsMiddleScrollOn));
    uint16_t key = VK_NEXT;
    v->KeyDown(key, 0);
    EXPECT_FALSE(v->ViewerState() & vsSet(vsMiddleScrollOn));
    EXPECT_EQ(v->VScrollBarPosition(), 0);
    EXPECT_EQ(v->PaintPanel()->Cursor(), v->Cursor());
}

TEST_F(ViewerKeys, OnKeyDownMayTakeTheKey) {
    THtmlViewer* v = showPage(TallPage(), 300, 200);
    v->OnKeyDown = [](TObject*, uint16_t& Key, TShiftState) {
        if (Key == VK_NEXT) Key = 0;
    };
    uint16_t key = VK_NEXT;
    v->KeyDown(key, 0);
    EXPECT_EQ(v->VScrollBarPosition(), 0);
    key = VK_DOWN;
    v->KeyDown(key, 0);
    EXPECT_EQ(v->VScrollBarPosition(), 16);
}

}  // namespace
}  // namespace viewertest
