// The window controls under HTML form controls.
#include <gtest/gtest.h>

#include <QImage>
#include <QPlainTextEdit>
#include <QWidget>

#include "html/layout/HtmlControls.h"
#include "platform/framework/QtTestApp.h"

namespace {

QImage snapshot(TControl* c) { return c->Handle()->grab().toImage(); }

// Rows of the image (inside a margin) with pixels unlike the top-left one.
int inkedRows(const QImage& img, int from, int to) {
    const QRgb bg = img.pixel(img.width() / 2, img.height() - 3);
    int rows = 0;
    for (int y = from; y < to && y < img.height(); ++y)
        for (int x = 2; x < img.width() - 20; ++x)
            if (img.pixel(x, y) != bg) {
                ++rows;
                break;
            }
    return rows;
}

TEST(ThtEdit, CtrlASelectsEverything) {
    ensureQtApp();
    ThtEdit e(nullptr);
    e.SetText("some text");
    e.SetSelLength(0);
    struct Case {
        TShiftState shift;
        int selected;
    };
    for (const Case c : {Case{ssCtrl | ssShift, 0}, Case{ssAlt, 0}, Case{ssCtrl, 9}}) {
        e.SetSelStart(0);
        e.SetSelLength(0);
        uint16_t key = 'A';
        e.KeyDown(key, c.shift);
        EXPECT_EQ(e.SelLength(), c.selected) << c.shift;
    }
}

TEST(ThtMemo, HintShowsOnlyWhileEmptyAndUnfocused) {
    ensureQtApp();
    ThtMemo m(nullptr);
    m.SetBounds(0, 0, 200, 120);
    m.SetScrollBars(ssNone);
    const QImage blank = snapshot(&m);
    m.TextHint()->Add("First hint line");
    m.TextHint()->Add("Second hint line");
    const QImage hinted = snapshot(&m);
    EXPECT_NE(hinted, blank);
    const int h = m.Canvas()->TextHeight("MLZ") > 0 ? m.Canvas()->TextHeight("MLZ") : 14;
    // Both lines, one text height apart, below the first pixel row.
    QPlainTextEdit* edit = static_cast<QPlainTextEdit*>(m.Handle());
    const QPoint origin = edit->viewport()->mapTo(edit, QPoint(0, 0));
    EXPECT_GT(inkedRows(hinted, origin.y() + 1, origin.y() + 1 + h), 3);
    EXPECT_GT(inkedRows(hinted, origin.y() + 1 + h, origin.y() + 1 + 2 * h), 3);
    EXPECT_EQ(inkedRows(hinted, origin.y() + 1 + 2 * h + 2, 110), 0);

    m.SetText("typed");
    const QImage withText = snapshot(&m);
    m.TextHint()->Clear();
    EXPECT_EQ(snapshot(&m), withText);  // the hint played no part
}

TEST(ThtMemo, MaxLengthCutsTypedText) {
    ensureQtApp();
    ThtMemo m(nullptr);
    EXPECT_EQ(m.MaxLength(), 0);
    m.SetMaxLength(5);
    EXPECT_EQ(m.MaxLength(), 5);
    static_cast<QPlainTextEdit*>(m.Handle())->insertPlainText("abcdefgh");
    EXPECT_EQ(m.GetText(), "abcde");
    m.SetMaxLength(0);
    static_cast<QPlainTextEdit*>(m.Handle())->insertPlainText("xyz");
    EXPECT_EQ(m.GetText(), "abcdexyz");
}

}  // namespace
