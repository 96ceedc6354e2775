// Drawing in bands: the same pixels as drawing in one piece, whatever the
// seams; a whole A4 page at 1200 pixels per inch, which no single bitmap
// may hold, on Qt's PDF printer and on the recording fake.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <regex>

#include "platform/framework/Bands.h"
#include "platform/framework/Printers.h"
#include "platform/framework/QtDeviceContext.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/RecordingDC.h"
#include "support/TempDir.h"

namespace {

// A scene in logical units that crosses every seam: shapes, text and a
// raster operation that needs pixels to work on.
void scene(TCanvas* c) {
    TDeviceContext* dc = c->Handle();
    dc->FillRect(Rect(0, 0, 150, 100), RGB(230, 240, 250));
    dc->SelectPen(TLogPen{PS_SOLID, 1, clRed});
    dc->SelectBrush(TLogBrush{BS_SOLID, clYellow});
    dc->Ellipse(10, 5, 140, 95);
    dc->MoveTo(0, 0);
    dc->LineTo(150, 100);
    TLogFont f;
    f.Face = "DejaVu Sans";
    f.Height = -17;
    dc->SelectFont(f);
    dc->SetBkMode(TRANSPARENT);
    dc->TextOut(12, 38, u"Banded page");
    dc->PatBlt(40, 20, 30, 60, DSTINVERT);
}

QImage pixelsOf(TBitmap& b) { return b.Image().convertToFormat(QImage::Format_RGB32); }

TEST(Bands, GiveThePixelsOfDrawingInOnePieceWhateverTheSeams) {
    ensureQtApp();
    auto prepare = [](TBitmap& target) {
        target.SetSize(320, 220);
        auto dc = NewBitmapDeviceContext(&target);
        dc->FillRect(Rect(0, 0, 320, 220), clWhite);
        return dc;
    };
    auto mapped = [](TDeviceContext* dc) {
        dc->SetMapMode(MM_ANISOTROPIC);
        dc->SetWindowExt(1, 1);
        dc->SetViewportExt(2, 2);
        dc->SetViewportOrg(10, 10);
    };
    TBitmap whole;
    {
        auto dc = prepare(whole);
        mapped(dc.get());
        TCanvas c;
        c.SetDevice(dc.get());
        scene(&c);
        c.SetDevice(nullptr);
    }
    // Bands of 37 rows, and tiles narrower than the area.
    for (int64_t budget : {int64_t(300) * 37, int64_t(170)}) {
        TBitmap banded;
        auto dc = prepare(banded);
        mapped(dc.get());
        const int bands = DrawInBands(
            dc.get(), Rect(0, 0, 150, 100), [](TCanvas* c, const TRect&) { scene(c); }, budget);
        EXPECT_GT(bands, 5);
        EXPECT_EQ(dc->GetViewportExt().cx, 2);  // the target's mapping stays
        dc.reset();
        // The area, device (10, 10) to (310, 210), is the same pixel for pixel.
        const QImage a = pixelsOf(banded), b = pixelsOf(whole);
        EXPECT_EQ(a.copy(10, 10, 300, 200), b.copy(10, 10, 300, 200)) << "budget " << budget;
        EXPECT_EQ(a.pixel(5, 5), qRgb(255, 255, 255));  // nothing outside it
    }
}

TEST(Bands, AnA4PageAt1200DotsPerInchPrintsThroughBands) {
    ensureQtApp();
    zrxtest::TempDir dir;
    TPrinter p;
    p.SetPrinterIndex(-1);
    p.SetOutputFileName(dir.file("bands.pdf"));
    ASSERT_EQ(p.PixelsPerInchX(), 1200);
    EXPECT_THROW(TBitmap(p.PageWidth(), p.PageHeight()), EInvalidGraphicOperation);  // one bitmap cannot
    p.BeginDoc();
    TDeviceContext* dc = p.Handle();
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(96, 96);
    dc->SetViewportExt(1200, 1200);
    const TRect page = dc->DPtoLP(Rect(0, 0, p.PageWidth(), p.PageHeight()));
    int painted = 0;
    const int bands = DrawInBands(dc, page, [&](TCanvas* c, const TRect& band) {
        EXPECT_EQ(c->Handle()->GetDeviceCaps(LOGPIXELSX), 1200);
        c->Handle()->FillRect(band, RGB(250, 240, 200));
        c->Handle()->PatBlt(100, 100, 200, 300, DSTINVERT);
        ++painted;
    });
    p.EndDoc();
    EXPECT_GT(bands, 1);
    EXPECT_EQ(painted, bands);
    QFile f(QString::fromStdString(dir.file("bands.pdf")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_GE(pdf.count("/Subtype /Image"), bands);
}

TEST(Bands, TileTheVisiblePartOfAPageOnTheRecordingFake) {
    TDeviceCaps printer;
    printer.LogPixelsX = printer.LogPixelsY = 1200;
    TRecordingDC dc(9583, 13699, printer);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(96, 96);
    dc.SetViewportExt(1200, 1200);
    const TRect page = dc.DPtoLP(Rect(0, 0, 9583, 13699));
    std::vector<TRect> painted;
    const int bands = DrawInBands(&dc, page, [&](TCanvas*, const TRect& band) { painted.push_back(band); });
    const std::vector<std::string> blits = dc.Calls("=bits");
    ASSERT_EQ(int(blits.size()), bands);
    ASSERT_EQ(painted.size(), blits.size());
    // The bands follow one another down the page, each within the budget.
    const std::regex form("=bits (\\d+) (\\d+) (\\d+) (\\d+) from (\\d+)x(\\d+) .*");
    long long covered = 0;
    int nextTop = 0;
    for (const std::string& b : blits) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(b, m, form)) << b;
        const int l = std::stoi(m[1]), t = std::stoi(m[2]), r = std::stoi(m[3]), bt = std::stoi(m[4]);
        EXPECT_EQ(l, 0);
        EXPECT_EQ(r, 9583);
        EXPECT_EQ(t, nextTop);
        nextTop = bt;
        EXPECT_LE((long long)std::stoi(m[5]) * std::stoi(m[6]), kMaxBandPixels);
        covered += (long long)(r - l) * (bt - t);
    }
    EXPECT_EQ(covered, 9583LL * 13699);
    EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
    EXPECT_EQ(dc.GetViewportExt().cx, 1200);

    // Under a clip only the bands it touches are made.
    dc.ClearLog();
    const TRegion strip = TRegion::Rect(0, 5000, 9583, 5100);
    dc.SelectClipRgn(&strip);
    EXPECT_EQ(DrawInBands(&dc, page, [](TCanvas*, const TRect&) {}), 1);
    dc.SelectClipRgn(nullptr);
    EXPECT_EQ(DrawInBands(&dc, Rect(0, 0, 0, 100), [](TCanvas*, const TRect&) {}), 0);
}

}  // namespace
