#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QPixmap>
#include <QProgressBar>
#include <QRadioButton>
#include <QWidget>

#include <cstdlib>

#include "platform/framework/Buttons.h"
#include "platform/framework/Clipbrd.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"
#include "platform/framework/QtTestApp.h"
#include "support/TempDir.h"

namespace {

TEST(Controls, MemoLinesAndTextStayInStep) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* m = new TMemo(f);
    m->SetParent(f);
    int changes = 0;
    m->OnChange = [&](TObject*) { ++changes; };
    m->Lines()->Add("первая");
    m->Lines()->Add("<i>вторая</i>");
    EXPECT_EQ(m->GetText(), "первая\r\n<i>вторая</i>");
    EXPECT_EQ(changes, 2);
    m->SetText("a\r\nb\r\nc");
    EXPECT_EQ(m->Lines()->Count(), 3);
    EXPECT_EQ(m->Lines()->Get(2), "c");
    m->SetFocus();
    f->Show();
    m->SetMaxLength(7);
    SendText(m, "xyz");                          // "a\nb\nc" is 5 characters: only two more fit
    EXPECT_EQ(Utf8Length(m->GetText()) - 2, 7);  // CR LF pairs count once each in the widget
    EXPECT_TRUE(m->Modified());
    f->Free();
}

TEST(Controls, ListBoxItemsObjectsAndSelection) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* l = new TListBox(f);
    l->SetParent(f);
    TObject tag;
    l->Items()->Add("б");
    l->Items()->AddObject("а", &tag);
    EXPECT_EQ(l->Items()->Objects(1), &tag);
    int clicks = 0;
    l->OnClick = [&](TObject*) { ++clicks; };
    l->SetItemIndex(1);
    EXPECT_EQ(l->ItemIndex(), 1);
    EXPECT_EQ(clicks, 0);  // set by code: no click
    l->SetSorted(true);
    EXPECT_EQ(l->Items()->Get(0), "а");
    EXPECT_EQ(l->Items()->Objects(0), &tag);
    l->Items()->Add("в");
    EXPECT_EQ(l->Items()->Get(2), "в");
    EXPECT_THROW(l->Items()->Get(5), EStringListError);
    f->Free();
}

// A combo that counts the changes it is told about, as a derived control would see them.
class TCountingCombo : public TComboBox {
public:
    using TComboBox::TComboBox;
    int changes = 0;
    String seen;

protected:
    void Change() override {
        ++changes;
        seen = GetText();
        TComboBox::Change();
    }
};

TEST(Controls, ComboBoxTellsDerivedControlsOfTypedAndChosenText) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* c = new TCountingCombo(f);
    c->SetParent(f);
    c->Items()->Add("первый");
    c->Items()->Add("второй");
    int events = 0;
    c->OnChange = [&](TObject*) { ++events; };
    // Set by code: neither the override nor OnChange hears of it.
    c->SetText("код");
    c->SetItemIndex(0);
    EXPECT_EQ(c->changes, 0);
    f->Show();
    c->SetFocus();
    SendText(c, "ab");
    EXPECT_EQ(c->changes, 2);
    EXPECT_EQ(events, 2);
    EXPECT_EQ(c->seen, c->GetText());
    EXPECT_TRUE(c->seen.ends_with("ab")) << c->seen;
    // A choice from the list.
    static_cast<QComboBox*>(c->Handle())->activated(1);
    EXPECT_EQ(c->changes, 3);
    EXPECT_EQ(events, 3);
    f->Free();
}

TEST(Controls, RadioButtonsAndRadioGroup) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* r1 = new TRadioButton(f);
    auto* r2 = new TRadioButton(f);
    r1->SetParent(f);
    r2->SetParent(f);
    int clicks = 0;
    r2->OnClick = [&](TObject*) { ++clicks; };
    r1->SetChecked(true);
    r2->SetChecked(true);
    EXPECT_FALSE(r1->Checked());
    EXPECT_TRUE(r2->Checked());
    EXPECT_EQ(clicks, 1);
    r2->SetChecked(false);
    EXPECT_FALSE(r2->Checked());

    auto* g = new TRadioGroup(f);
    g->SetParent(f);
    g->Items()->SetText("Файл\nУстройство\nТокен\n");
    g->SetColumns(2);
    int gclicks = 0;
    g->OnClick = [&](TObject*) { ++gclicks; };
    g->SetItemIndex(1);
    EXPECT_EQ(gclicks, 1);
    ASSERT_EQ(g->ButtonCount(), 3);
    EXPECT_TRUE(g->Button(1)->isChecked());
    g->Button(2)->click();
    EXPECT_EQ(g->ItemIndex(), 2);
    EXPECT_FALSE(g->Button(1)->isChecked());
    g->Items()->Delete(2);
    EXPECT_EQ(g->ItemIndex(), -1);
    f->Free();
}

TEST(Controls, PaintBoxDrawsOnItsCanvas) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    f->SetBounds(0, 0, 240, 160);
    auto* pb = new TPaintBox(f);
    pb->SetParent(f);
    pb->SetBounds(10, 10, 100, 60);
    int textWidth = 0;
    pb->OnPaint = [&](TObject*) {
        TCanvas* c = pb->Canvas();
        c->Brush()->SetColor(clRed);
        c->FillRect(Rect(0, 0, 50, 60));
        c->Brush()->SetColor(clBlue);
        c->Pen()->SetColor(clBlue);
        c->Rectangle(50, 0, 100, 60);
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetColor(clWhite);
        c->TextOut(2, 2, "Ключ");
        textWidth = c->TextWidth("Ключ");
    };
    auto* bv = new TBevel(f);
    bv->SetParent(f);
    bv->SetBounds(10, 80, 200, 2);
    bv->SetShape(bsTopLine);
    f->Show();
    QImage img = f->Handle()->grab().toImage();
    if (const char* keep = std::getenv("ZRX_KEEP_PNG")) img.save(keep);
    EXPECT_EQ(img.pixelColor(10 + 25, 10 + 40), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(10 + 99, 10 + 59), QColor(0, 0, 255));  // the right and bottom edge included
    EXPECT_GT(textWidth, 10);
    f->Free();
}

TEST(Controls, PanelBorderNarrowsTheClientAreaAndItsAlignedChildren) {
    ensureQtApp();
    auto bounds = [](TControl* c) {
        const TRect r = c->BoundsRect();
        return std::vector<int>{r.Left, r.Top, r.Right, r.Bottom};
    };
    auto* f = CreateComponent<TForm>(Application);
    f->SetBounds(0, 0, 240, 160);
    auto* p = new TPanel(f);
    p->SetParent(f);
    p->SetBounds(10, 10, 120, 80);
    p->SetBevelOuter(bvNone);
    auto* inner = new TPanel(f);
    inner->SetParent(p);
    inner->SetAlign(alClient);
    EXPECT_EQ(p->ClientWidth(), 120);
    EXPECT_EQ(bounds(inner), std::vector<int>({0, 0, 120, 80}));

    p->SetBorderStyle(bsSingle);
    EXPECT_EQ(p->Width() - p->ClientWidth(), 2 * TPanel::BorderEdge);
    EXPECT_EQ(p->Height() - p->ClientHeight(), 2 * TPanel::BorderEdge);
    const int e = TPanel::BorderEdge;
    EXPECT_EQ(bounds(inner), std::vector<int>({e, e, 120 - e, 80 - e}));
    EXPECT_EQ(GetPropValue(p, "BorderStyle"), "bsSingle");

    // Only none and single are panel borders.
    p->SetBorderStyle(bsSizeable);
    EXPECT_EQ(p->BorderStyle(), bsNone);
    EXPECT_EQ(bounds(inner), std::vector<int>({0, 0, 120, 80}));
    f->Free();
}

TEST(Controls, BitmapPictureAndImage) {
    ensureQtApp();
    zrxtest::TempDir dir;
    TBitmap bmp(40, 30);
    bmp.Canvas()->Brush()->SetColor(clGreen);
    bmp.Canvas()->FillRect(Rect(0, 0, 40, 30));
    bmp.ReleaseCanvas();
    ASSERT_TRUE(bmp.SaveToFile(dir.file("g.png")));
    auto* f = CreateComponent<TForm>(Application);
    f->SetBounds(0, 0, 200, 150);
    auto* img = new TImage(f);
    img->SetParent(f);
    img->SetBounds(10, 10, 80, 60);
    EXPECT_FALSE(img->Picture()->LoadFromFile(dir.file("missing.png")));
    ASSERT_TRUE(img->Picture()->LoadFromFile(dir.file("g.png")));
    img->SetStretch(true);
    f->Show();
    QImage shot = f->Handle()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(10 + 75, 10 + 55), QColor(0, 128, 0));  // stretched over the whole control
    img->SetAnimate(true);
    EXPECT_FALSE(img->Animating());  // a still picture does not animate
    f->Free();
}

TEST(Controls, FileDialogThroughHookAndClipboard) {
    ensureQtApp();
    TSaveDialog dlg(nullptr);
    dlg.SetFilter("Запросы (*.p10)|*.p10|Все файлы|*.*");
    dlg.SetFileName("old.p10");
    int calls = 0;
    SetModalHook([&](TObject* w) {
        ++calls;
        auto* d = dynamic_cast<TSaveDialog*>(w);
        EXPECT_NE(d, nullptr);
        EXPECT_TRUE(d->IsSaveDialog());
        d->SetFileName("/tmp/new.p10");
        return calls == 1 ? mrOk : mrCancel;
    });
    EXPECT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FileName(), "/tmp/new.p10");
    EXPECT_EQ(dlg.Files()->Count(), 1);
    EXPECT_FALSE(dlg.Execute());
    SetModalHook(nullptr);

    Clipboard()->SetAsText("Ключ RSA");
    EXPECT_EQ(Clipboard()->AsText(), "Ключ RSA");
    Clipboard()->SetAsHtml("<b>Ключ</b>", "Ключ");
    EXPECT_TRUE(Clipboard()->HasFormat(CF_HTML()));
    EXPECT_EQ(Clipboard()->AsText(), "Ключ");
    EXPECT_NE(Clipboard()->AsHtml().find("<b>Ключ</b>"), String::npos);
}

TEST(Controls, RadioButtonsWhoseOwnerKeepsTheGroup) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* r1 = new TRadioButton(f);
    auto* r2 = new TRadioButton(f);
    for (TRadioButton* r : {r1, r2}) {
        r->SetParent(f);
        r->SetAutoExclusive(false);
    }
    int clicks = 0;
    r1->OnClick = [&](TObject*) { ++clicks; };
    r1->SetChecked(true);
    r2->SetChecked(true);
    EXPECT_TRUE(r1->Checked());  // the parent does not clear it
    EXPECT_TRUE(r2->Checked());
    // A user's click on a checked button keeps it checked and clicks no more.
    static_cast<QRadioButton*>(r1->Handle())->click();
    EXPECT_TRUE(r1->Checked());
    EXPECT_EQ(clicks, 1);
    r1->SetChecked(false);
    EXPECT_FALSE(r1->Checked());
    static_cast<QRadioButton*>(r1->Handle())->click();
    EXPECT_TRUE(r1->Checked());
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(static_cast<QRadioButton*>(r1->Handle())->autoExclusive());
    f->Free();
}

TEST(Controls, ProgressBarStyleAndBarColour) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* pb = new TProgressBar(f);
    pb->SetParent(f);
    pb->SetBounds(0, 0, 100, 20);
    pb->SetPosition(100);
    pb->SetBarColor(TColor(0x0000FF));
    f->Show();
    // The filled bar shows red somewhere.
    const QImage full = pb->Handle()->grab().toImage();
    int red = 0;
    for (int y = 0; y < full.height(); ++y)
        for (int x = 0; x < full.width(); ++x) {
            const QColor c = full.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    EXPECT_GT(red, 50);
    // A marquee keeps its position and range for when it runs normally again.
    pb->SetStyle(pbstMarquee);
    auto* q = static_cast<QProgressBar*>(pb->Handle());
    EXPECT_EQ(q->maximum(), 0);  // runs without a position
    EXPECT_EQ(pb->Max(), 100);
    pb->SetStyle(pbstNormal);
    EXPECT_EQ(q->maximum(), 100);
    EXPECT_EQ(pb->Position(), 100);
    EXPECT_EQ(pb->BarColor(), TColor(0x0000FF));
    f->Free();
}

TEST(Controls, ProgressUpDownAndBitButton) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* pb = new TProgressBar(f);
    pb->SetParent(f);
    pb->SetPosition(150);
    EXPECT_EQ(pb->Position(), 100);
    pb->SetMax(50);
    EXPECT_EQ(pb->Position(), 50);

    auto* edt = new TEdit(f);
    edt->SetParent(f);
    edt->SetBounds(130, 112, 121, 21);
    auto* ud = new TUpDown(f);
    ud->SetMin(0);
    ud->SetMax(1000);
    ud->SetAssociate(edt);
    EXPECT_EQ(ud->Parent(), f);
    EXPECT_EQ(ud->Left(), 251);
    EXPECT_EQ(edt->GetText(), "0");
    ud->ClickButton(btNext);
    EXPECT_EQ(edt->GetText(), "1");
    edt->SetText("998");  // typed by the user
    ud->ClickButton(btNext);
    ud->ClickButton(btNext);
    EXPECT_EQ(edt->GetText(), "1 000");
    EXPECT_EQ(ud->Position(), 1000);
    ud->SetWrap(true);
    ud->ClickButton(btNext);
    EXPECT_EQ(ud->Position(), 0);

    auto* bb = new TBitBtn(f);
    bb->SetParent(f);
    bb->SetKind(bkOK);
    EXPECT_EQ(bb->ModalResult(), mrOk);
    EXPECT_TRUE(bb->Default());
    TBitmap glyph(16, 16);
    bb->SetGlyph(&glyph);
    EXPECT_EQ(bb->Glyph()->Width(), 16);
    f->Free();
}

}  // namespace
