// What the controls of HTML forms ask of the framework's edits, memos,
// lists, buttons and check boxes.
#include <gtest/gtest.h>

#include <string>

#include "platform/framework/Buttons.h"
#include "platform/framework/Forms.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/ScrollBar.h"
#include "platform/framework/StdCtrls.h"

namespace {

// Whether a column of the picture holds a pixel of another colour than the face.
bool columnHasOther(TBitmap& b, int x, TColor face) {
    for (int y = 2; y < b.Height() - 2; ++y)
        if (b.Canvas()->Pixel(x, y) != face) return true;
    return false;
}

TEST(FormFieldControls, EditWithoutBorderPaintsNoFrame) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    for (TBorderStyle style : {bsSingle, bsNone}) {
        auto* e = new TEdit(f);
        e->SetParent(f);
        e->SetColor(clWhite);
        e->SetBorderStyle(style);
        TBitmap b;
        b.SetSize(e->Width(), e->Height());
        e->PaintTo(b.Canvas(), 0, 0);
        EXPECT_EQ(columnHasOther(b, 0, clWhite), style == bsSingle) << int(style);
    }
    f->Free();
}

TEST(FormFieldControls, MemoVisualLinesFollowTheWrapping) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* m = new TMemo(f);
    m->SetParent(f);
    m->SetBounds(0, 0, 90, 120);
    const String first = "alpha beta gamma delta epsilon zeta eta theta";
    m->SetText(first + "\r\nx");

    m->SetWordWrap(true);
    const int wrapped = m->VisualLineCount();
    ASSERT_GT(wrapped, 2);
    String joined;
    for (int i = 0; i + 1 < wrapped; ++i) joined += m->VisualLine(i);
    EXPECT_EQ(joined, first);  // the wrapped parts make the line again
    EXPECT_EQ(m->VisualLine(wrapped - 1), "x");
    EXPECT_EQ(m->VisualLine(wrapped), "");

    m->SetWordWrap(false);
    ASSERT_EQ(m->VisualLineCount(), 2);
    EXPECT_EQ(m->VisualLine(0), first);
    f->Free();
}

TEST(FormFieldControls, MemoMaxLengthCutsTypedTextByCharacters) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* m = new TMemo(f);
    m->SetParent(f);
    m->SetMaxLength(4);
    f->Show();
    m->SetFocus();
    SendText(m, "я😀bcd");  // the face is two UTF-16 units, one character
    EXPECT_EQ(m->GetText(), "я😀bc");
    f->Free();
}

// A control that wants the arrows sees them and keeps the focus; without, a
// check box hands the focus on as its style does.
TEST(FormFieldControls, ArrowKeysReachControlsThatWantThem) {
    ensureQtApp();
    for (bool want : {false, true}) {
        auto* f = CreateComponent<TForm>(Application);
        auto* a = new TCheckBox(f);
        a->SetParent(f);
        auto* b = new TCheckBox(f);
        b->SetParent(f);
        b->SetTop(30);
        auto* r = new TRadioButton(f);
        r->SetParent(f);
        r->SetTop(60);
        std::vector<uint16_t> seen;
        for (TWinControl* c : {static_cast<TWinControl*>(a), static_cast<TWinControl*>(r)}) {
            c->SetWantArrows(want);
            c->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) { seen.push_back(Key); };
        }
        f->Show();
        a->SetFocus();
        SendKey(a, VK_RIGHT);
        EXPECT_EQ(a->Focused(), want);
        r->SetFocus();
        SendKey(r, VK_DOWN);
        EXPECT_EQ(seen, (std::vector<uint16_t>{VK_RIGHT, VK_DOWN}));
        EXPECT_FALSE(a->Checked());
        f->Free();
    }
}

TEST(FormFieldControls, ListBorderAndScrollBarWidth) {
    ensureQtApp();
    EXPECT_GT(SystemScrollBarWidth(), 0);
    auto* f = CreateComponent<TForm>(Application);
    auto* sb = new TScrollBar(f);
    EXPECT_EQ(sb->Height(), SystemScrollBarWidth());
    auto* l = new TListBox(f);
    l->SetParent(f);
    l->SetColor(clWhite);
    l->SetBorderStyle(bsNone);
    TBitmap b;
    b.SetSize(l->Width(), l->Height());
    l->PaintTo(b.Canvas(), 0, 0);
    EXPECT_FALSE(columnHasOther(b, 0, clWhite));
    f->Free();
}

// With multiple selection the item index is the focused item only.
TEST(FormFieldControls, MultiSelectListIndexLeavesTheSelection) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* l = new TListBox(f);
    l->SetParent(f);
    l->SetMultiSelect(true);
    for (const char* s : {"a", "b", "c"}) l->Items()->Add(s);
    l->SetSelected(2, true);
    l->SetItemIndex(0);
    EXPECT_EQ(l->ItemIndex(), 0);
    EXPECT_FALSE(l->Selected(0));
    EXPECT_TRUE(l->Selected(2));
    l->SetMultiSelect(false);
    l->SetItemIndex(1);
    EXPECT_TRUE(l->Selected(1));
    EXPECT_EQ(l->SelCount(), 1);
    f->Free();
}

// A button that was never shown, off the page, still paints its caption.
TEST(FormFieldControls, HiddenButtonPaintsItsPicture) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* btn = new TBitBtn(f);
    btn->SetParent(f);
    btn->SetBounds(-4000, 0, 80, 26);
    btn->SetCaption("WWWW");
    TBitmap b;
    b.SetSize(80, 26);
    b.Canvas()->Brush()->SetColor(clFuchsia);
    b.Canvas()->FillRect(Rect(0, 0, 80, 26));
    btn->PaintTo(b.Canvas(), 0, 0);
    int dark = 0;
    for (int y = 0; y < 26; ++y)
        for (int x = 20; x < 60; ++x) {
            const uint32_t c = uint32_t(b.Canvas()->Pixel(x, y));
            if ((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF) < 200) ++dark;
        }
    EXPECT_GT(dark, 10);
    EXPECT_NE(b.Canvas()->Pixel(40, 2), clFuchsia);
    f->Free();
}

}  // namespace
