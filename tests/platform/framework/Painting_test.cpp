// What a control that paints and scrolls itself needs: the paint knows the
// part to paint (Canvas->ClipRect), parts are marked and scrolled, a control
// may paint opaquely, the wheel reaches the control under it or its parent,
// and a control gives a picture of itself.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QWheelEvent>
#include <QWidget>

#include <vector>

#include "platform/framework/DeviceContext.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/RecordingDC.h"
#include "platform/framework/StdCtrls.h"

namespace {

// Paints rows of colour keyed to a scroll offset, and notes each paint's part.
class Probe : public TCustomControl {
public:
    explicit Probe(TComponent* owner) : TCustomControl(owner) {}
    std::vector<TRect> painted;
    int offset = 0;
    bool leftHalfOnly = false;

protected:
    void Paint() override {
        const TRect r = Canvas()->ClipRect();
        painted.push_back(r);
        TDeviceContext* dc = Canvas()->Handle();
        if (leftHalfOnly) {
            dc->FillRect(Rect(0, 0, Width() / 2, Height()), clBlue);
            return;
        }
        for (int y = r.Top; y < r.Bottom; ++y)
            dc->FillRect(Rect(r.Left, y, r.Right, y + 1), RGB(0, (y + offset) % 256, 0));
    }
};

class PaintingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(0, 0, 300, 200);
        probe = new Probe(form);
        probe->SetParent(form);
        probe->SetBounds(10, 10, 200, 100);
        form->Show();
        settle();
        probe->painted.clear();
    }
    void TearDown() override { form->Free(); }
    void settle() {
        for (int i = 0; i < 3; ++i) Application->ProcessMessages();
    }
    TForm* form = nullptr;
    Probe* probe = nullptr;
};

bool sameRect(const TRect& a, const TRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

TEST_F(PaintingTest, APaintKnowsThePartToPaint) {
    probe->InvalidateRect(Rect(10, 20, 30, 40));
    settle();
    ASSERT_EQ(probe->painted.size(), 1u);
    EXPECT_TRUE(sameRect(probe->painted[0], Rect(10, 20, 30, 40)));
    probe->painted.clear();
    probe->Invalidate();
    settle();
    ASSERT_EQ(probe->painted.size(), 1u);
    EXPECT_TRUE(sameRect(probe->painted[0], Rect(0, 0, 200, 100)));
}

TEST_F(PaintingTest, ScrollingMovesThePixelsAndPaintsTheUncoveredStripAtOnce) {
    probe->SetOpaque(true);  // it paints every pixel: its pixels can move
    probe->offset = 10;
    probe->ScrollWindow(0, -10);
    probe->Update();
    ASSERT_FALSE(probe->painted.empty());  // painted at once, not when idle
    EXPECT_TRUE(sameRect(probe->painted.back(), Rect(0, 90, 200, 100)));
    probe->painted.clear();
    settle();
    EXPECT_TRUE(probe->painted.empty());  // nothing else was marked
    // What shows is the picture moved up by ten rows.
    const QImage shown = QGuiApplication::primaryScreen()->grabWindow(form->Handle()->winId()).toImage();
    const QPoint at = probe->Handle()->mapTo(form->Handle(), QPoint(0, 0));
    for (int y : {0, 45, 89, 95, 99})
        EXPECT_EQ(qGreen(shown.pixel(at.x() + 50, at.y() + y)), (y + 10) % 256) << "row " << y;
}

TEST_F(PaintingTest, AnOpaqueControlIsNotFilledBeforeItPaints) {
    probe->SetParentColor(false);
    probe->SetColor(clRed);
    probe->leftHalfOnly = true;
    auto shot = [&] {
        QImage img(200, 100, QImage::Format_RGB32);
        img.fill(Qt::green);
        probe->Handle()->render(&img, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        return img;
    };
    QImage filled = shot();
    EXPECT_EQ(filled.pixel(10, 50), qRgb(0, 0, 255));
    EXPECT_EQ(filled.pixel(150, 50), qRgb(255, 0, 0));  // the background came first
    probe->SetOpaque(true);
    EXPECT_TRUE(probe->Handle()->testAttribute(Qt::WA_OpaquePaintEvent));
    QImage opaque = shot();
    EXPECT_EQ(opaque.pixel(10, 50), qRgb(0, 0, 255));
    EXPECT_EQ(opaque.pixel(150, 50), qRgb(0, 255, 0));  // left as it was
}

TEST_F(PaintingTest, TheWheelGoesToTheControlUnderItThenToItsParent) {
    std::vector<std::pair<std::string, int>> seen;
    bool probeTakes = false;
    probe->OnMouseWheel = [&](TObject*, TShiftState shift, int delta, TPoint, bool& handled) {
        seen.push_back({"probe", delta});
        EXPECT_EQ(shift & ssCtrl, ssCtrl);
        handled = probeTakes;
    };
    form->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
        seen.push_back({"form", delta});
        handled = true;
    };
    // An event the control under the wheel leaves unaccepted goes on to the
    // parent widgets, as Qt passes on the wheel the user turns.
    auto wheel = [&](QWidget* w, int delta) {
        const QPointF local(20, 20);
        QWheelEvent e(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
        return e.isAccepted();
    };
    EXPECT_FALSE(wheel(probe->Handle(), -120));
    EXPECT_TRUE(wheel(form->Handle(), -120));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (std::pair<std::string, int>{"probe", -120}));
    EXPECT_EQ(seen[1], (std::pair<std::string, int>{"form", -120}));
    seen.clear();
    probeTakes = true;
    EXPECT_TRUE(wheel(probe->Handle(), 240));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].second, 240);

    const int lines = WheelScrollLines();
    SetWheelScrollLines(7);
    EXPECT_EQ(WheelScrollLines(), 7);
    SetWheelScrollLines(lines);
}

TEST_F(PaintingTest, AControlGivesAPictureOfItself) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 150, 120, 24);
    edit->SetText("Печать");
    settle();
    TBitmap page(300, 100);
    page.Canvas()->Brush()->SetColor(clWhite);
    page.Canvas()->FillRect(Rect(0, 0, 300, 100));
    edit->PaintTo(page.Canvas(), 30, 40);
    const QImage expected = edit->Handle()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage got = page.Image().convertToFormat(QImage::Format_RGB32).copy(30, 40, 120, 24);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(fromQColor(page.Image().pixelColor(29, 40)), clWhite);

    // A hidden control still gives its picture; on a recording it is one masked draw at its place.
    edit->Hide();
    TRecordingDC rec(300, 100);
    TCanvas c;
    c.SetDevice(&rec);
    edit->PaintTo(&c, 30, 40);
    c.SetDevice(nullptr);
    ASSERT_EQ(rec.Calls("=masked").size(), 1u);
    EXPECT_EQ(rec.Calls("=masked")[0], "=masked 30 40 150 64 120x24");
}

}  // namespace
