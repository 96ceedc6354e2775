// Recorded pages: a scene recorded through a metafile canvas and replayed
// gives what drawing it directly gives, on the recording fake (the same
// primitives) and on Qt (the same pixels), at its own size and scaled.
#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <memory>

#include "platform/framework/Metafile.h"
#include "platform/framework/QtDeviceContext.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/RecordingDC.h"

namespace {

// A scene that touches every kind of drawing the page keeps.
void drawScene(TDeviceContext* dc, const TBitmap& picture, const TBitmap& mask) {
    TLogFont f;
    f.Face = "DejaVu Sans";
    f.Height = -14;
    dc->SelectFont(f);
    dc->SetTextColor(clNavy);
    dc->SelectPen(TLogPen{PS_SOLID, 1, clRed});
    dc->SelectBrush(TLogBrush{BS_SOLID, clYellow});
    dc->Rectangle(5, 5, 60, 40);
    dc->Ellipse(70, 5, 110, 40);
    dc->MoveTo(5, 50);
    dc->LineTo(100, 70);
    dc->SetPolyFillMode(WINDING);
    dc->Polygon({Point(120, 10), Point(150, 40), Point(120, 40)});
    dc->FillRect(Rect(160, 5, 190, 30), clGreen);
    dc->SetPixel(195, 3, clBlue);
    dc->SetBkMode(OPAQUE);
    dc->SetBkColor(clAqua);
    dc->SetTextJustification(6, 2);
    dc->TextOut(5, 80, u"one two three");
    dc->SetTextJustification(0, 0);
    dc->SetBkMode(TRANSPARENT);
    const TRect box = Rect(5, 100, 70, 115);
    dc->ExtTextOut(5, 100, ETO_CLIPPED, &box, u"clipped text that runs on");
    dc->ExtTextOut(80, 100, ETO_OPAQUE | ETO_CLIPPED, &box, u"x");
    dc->BeginPath();
    dc->MoveTo(130, 60);
    dc->LineTo(180, 60);
    dc->LineTo(155, 95);
    dc->CloseFigure();
    dc->EndPath();
    dc->StrokeAndFillPath();
    dc->PatBlt(190, 100, 8, 8, BLACKNESS);
    dc->BitBlt(100, 120, picture.Width(), picture.Height(), &picture, 0, 0, SRCCOPY);
    dc->StretchDrawMasked(Rect(140, 120, 172, 136), &picture, &mask);
    {
        TSaveDCGuard keep(dc);
        dc->IntersectClipRect(10, 125, 40, 140);
        dc->FillRect(Rect(0, 120, 60, 145), clFuchsia);
        dc->SetMapMode(MM_ANISOTROPIC);
        dc->SetWindowExt(1, 1);
        dc->SetViewportExt(2, 2);
        dc->SetWindowOrg(0, 60);
        dc->FillRect(Rect(30, 62, 40, 70), clMaroon);  // lands at (60, 4) .. (80, 20)
    }
    dc->SelectPen(TLogPen{PS_GEOMETRIC | PS_DASH, 3, clPurple});
    dc->Polyline({Point(5, 145), Point(60, 148), Point(120, 145)});
}

void makePicture(TBitmap& picture, TBitmap& mask) {
    picture.SetSize(16, 8);
    mask.SetSize(16, 8);
    TDeviceContext* p = picture.Canvas()->Handle();
    p->FillRect(Rect(0, 0, 8, 8), clRed);
    p->FillRect(Rect(8, 0, 16, 8), clBlue);
    TDeviceContext* m = mask.Canvas()->Handle();
    m->FillRect(Rect(0, 0, 16, 8), clBlack);
    m->FillRect(Rect(0, 0, 4, 8), clWhite);  // the left quarter is transparent
    mask.SetPixelFormat(pf1bit);
}

std::vector<std::string> surfaceLines(const TRecordingDC& dc) {
    std::vector<std::string> out;
    for (const std::string& l : dc.Log())
        if (!l.empty() && l[0] == '=') out.push_back(l);
    return out;
}

constexpr int W = 200, H = 150;

class MetafileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        makePicture(picture, mask);
    }
    // The scene recorded on a page of W × H measured on `reference`.
    void record(TMetafile& page, TDeviceContext* reference) {
        page.SetSize(W, H);
        TMetafileCanvas canvas(&page, reference);
        drawScene(canvas.Handle(), picture, mask);
    }
    TBitmap picture, mask;
};

TEST_F(MetafileTest, AReplayOnTheRecordingFakeGivesTheSamePrimitives) {
    TRecordingDC direct(W, H);
    drawScene(&direct, picture, mask);
    TRecordingDC reference(W, H);
    TMetafile page;
    record(page, &reference);
    EXPECT_FALSE(page.Empty());
    EXPECT_EQ(page.RecordCount(), int(surfaceLines(direct).size()));
    TRecordingDC replay(W, H);
    page.Play(&replay, Rect(0, 0, W, H));
    EXPECT_EQ(surfaceLines(replay), surfaceLines(direct));
    EXPECT_EQ(replay.GetMapMode(), MM_TEXT);  // the target's state comes back

    // Scaled twice over: the same drawing in the same logical units, the
    // mapping doing the scaling.
    TRecordingDC twice(2 * W, 2 * H);
    page.Play(&twice, Rect(0, 0, 2 * W, 2 * H));
    const auto a = surfaceLines(twice), b = surfaceLines(direct);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].rfind("=region", 0) != 0) {
            EXPECT_EQ(a[i], b[i]);
        }
    EXPECT_FALSE(twice.Calls("SetViewportExt 2 2").empty());
    EXPECT_FALSE(twice.Calls("SetViewportExt 4 4").empty());  // the scene's own double scale, doubled
}

TEST_F(MetafileTest, AReplayOnQtGivesTheSamePixelsAtItsSizeAndScaled) {
    for (int scale : {1, 2}) {
        TBitmap direct(W * scale, H * scale), replay(W * scale, H * scale);
        {
            auto dc = NewBitmapDeviceContext(&direct);
            dc->SetMapMode(MM_ANISOTROPIC);
            dc->SetWindowExt(1, 1);
            dc->SetViewportExt(scale, scale);
            drawScene(dc.get(), picture, mask);
        }
        TMetafile page;
        {
            TBitmap screenLike(W, H);
            auto reference = NewBitmapDeviceContext(&screenLike);
            record(page, reference.get());
        }
        {
            auto dc = NewBitmapDeviceContext(&replay);
            page.Play(dc.get(), Rect(0, 0, W * scale, H * scale));
        }
        const QImage a = direct.Image().convertToFormat(QImage::Format_RGB32);
        const QImage b = replay.Image().convertToFormat(QImage::Format_RGB32);
        int differ = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) ++differ;
        EXPECT_EQ(differ, 0) << "scale " << scale;
    }
}

TEST_F(MetafileTest, AReplayKeepsInsideItsRectangleAndTheTargetsClip) {
    TMetafile page;
    {
        page.SetSize(100, 100);
        TMetafileCanvas canvas(&page, nullptr);
        canvas.Handle()->FillRect(Rect(-50, -50, 150, 150), clRed);  // beyond the page on every side
    }
    TBitmap target(200, 200);
    TDeviceContext* dc = target.Canvas()->Handle();
    dc->FillRect(Rect(0, 0, 200, 200), clWhite);
    const TRegion clip = TRegion::Rect(0, 0, 200, 60);
    dc->SelectClipRgn(&clip);
    dc->SetTextAlign(TA_UPDATECP);
    page.Play(dc, Rect(20, 20, 70, 120));  // half as wide, as high
    TRegion now;
    ASSERT_EQ(dc->GetClipRgn(now), 1);
    EXPECT_TRUE(now == clip);
    EXPECT_EQ(dc->GetTextAlign(), TA_UPDATECP);
    dc->SelectClipRgn(nullptr);
    EXPECT_EQ(dc->GetPixel(20, 20), clRed);
    EXPECT_EQ(dc->GetPixel(69, 59), clRed);
    EXPECT_EQ(dc->GetPixel(70, 40), clWhite);  // right of the rectangle
    EXPECT_EQ(dc->GetPixel(19, 40), clWhite);
    EXPECT_EQ(dc->GetPixel(40, 60), clWhite);  // below the target's clip
    EXPECT_EQ(dc->GetPixel(40, 19), clWhite);
}

TEST_F(MetafileTest, APageTakesItsReferencesSizeAndReplacesWhatItHeldWhenComplete) {
    TDeviceCaps printer;
    printer.LogPixelsX = printer.LogPixelsY = 600;
    TRecordingDC reference(4800, 6400, printer);
    TMetafile page;
    EXPECT_TRUE(page.Empty());
    {
        TMetafileCanvas canvas(&page, &reference);
        canvas.Font()->SetSize(10);  // points: measured at the reference's 600 pixels per inch
        TLogFont at600;
        at600.Height = -MulDiv(10, 600, 72);
        EXPECT_EQ(canvas.TextWidth("m"), TRecordingDC::Advance(at600, u'm'));
        canvas.Brush()->SetColor(clRed);
        canvas.FillRect(Rect(0, 0, 10, 10));
        EXPECT_TRUE(page.Empty());  // complete only when the canvas goes
    }
    EXPECT_EQ(page.Width(), 4800);
    EXPECT_EQ(page.Height(), 6400);
    EXPECT_EQ(page.ReferenceCaps().LogPixelsX, 600);
    EXPECT_EQ(page.RecordCount(), 1);
    TMetafile copy;
    copy.Assign(&page);
    {
        TMetafileCanvas canvas(&page, &reference);
        canvas.Handle()->Rectangle(0, 0, 5, 5);
        canvas.Handle()->Rectangle(5, 5, 9, 9);
    }
    EXPECT_EQ(page.RecordCount(), 2);
    EXPECT_EQ(copy.RecordCount(), 1);  // a copy keeps the page it was given

    // A canvas draws a page scaled into a rectangle, as a preview shows it.
    TRecordingDC preview(480, 640);
    TCanvas c;
    c.SetDevice(&preview);
    c.StretchDraw(Rect(0, 0, 480, 640), &copy);
    ASSERT_EQ(preview.Calls("=fill").size(), 1u);
    EXPECT_EQ(preview.Calls("=fill")[0], "=fill 0 0 10 10 255");
    EXPECT_FALSE(preview.Calls("SetWindowExt 10 10").empty());  // 4800 page pixels onto 480
    c.SetDevice(nullptr);
}

}  // namespace
