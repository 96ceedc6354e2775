// The Qt backend's pixels: drawing on real images, recorded pages and a PDF printer.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QPrinter>

#include "platform/framework/DeviceContext.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtDeviceContext.h"
#include "platform/framework/QtTestApp.h"
#include "support/TempDir.h"

namespace {

class QtCanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        bmp.SetSize(40, 40);
        canvas = bmp.Canvas();
        canvas->Brush()->SetColor(clWhite);
        canvas->FillRect(Rect(0, 0, 40, 40));
    }
    TColor px(int x, int y) { return canvas->Pixel(x, y); }
    TBitmap bmp;
    TCanvas* canvas = nullptr;
};

TEST_F(QtCanvasTest, ShapesLeaveOutTheirRightAndBottomEdges) {
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(Rect(2, 3, 7, 9));
    EXPECT_EQ(px(2, 3), clRed);
    EXPECT_EQ(px(6, 8), clRed);
    EXPECT_EQ(px(7, 8), clWhite);
    EXPECT_EQ(px(6, 9), clWhite);
    EXPECT_EQ(px(1, 3), clWhite);

    canvas->Pen()->SetColor(clBlack);
    canvas->Brush()->SetColor(clLime);
    canvas->Rectangle(10, 10, 20, 16);
    EXPECT_EQ(px(10, 10), clBlack);
    EXPECT_EQ(px(19, 15), clBlack);  // outline on the last pixel inside
    EXPECT_EQ(px(20, 15), clWhite);
    EXPECT_EQ(px(19, 16), clWhite);
    EXPECT_EQ(px(11, 11), clLime);

    // A wide inside-frame pen stays within the box.
    canvas->Pen()->SetStyle(psInsideFrame);
    canvas->Pen()->SetWidth(3);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(22, 22, 32, 32);
    EXPECT_EQ(px(22, 22), clBlack);
    EXPECT_EQ(px(24, 27), clBlack);
    EXPECT_EQ(px(25, 27), clWhite);
    EXPECT_EQ(px(32, 27), clWhite);
    EXPECT_EQ(px(21, 27), clWhite);

    // An ellipse stays inside its box, without its right and bottom edges.
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Brush()->SetColor(clBlue);
    canvas->Ellipse(0, 20, 10, 30);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(px(10, 19 + i), clWhite) << i;
        EXPECT_EQ(px(i, 30), clWhite) << i;
    }
    EXPECT_EQ(px(5, 25), clBlue);

    // Lines leave out their last point.
    canvas->MoveTo(0, 38);
    canvas->LineTo(10, 38);
    EXPECT_EQ(px(9, 38), clBlack);
    EXPECT_EQ(px(10, 38), clWhite);
}

TEST_F(QtCanvasTest, DottedBorderPathAlternatesAndStaysOnItsLine) {
    TDeviceContext* dc = canvas->Handle();
    const TLogPen old = dc->SelectPen(TLogPen{PS_GEOMETRIC | PS_DOT | PS_ENDCAP_SQUARE | PS_JOIN_MITER, 2, clBlue});
    dc->BeginPath();
    dc->MoveTo(5, 5);
    dc->LineTo(35, 5);
    dc->LineTo(35, 35);
    dc->LineTo(5, 35);
    dc->CloseFigure();
    dc->EndPath();
    EXPECT_TRUE(dc->StrokePath());
    EXPECT_FALSE(dc->StrokePath());  // the path is used up
    dc->SelectPen(old);
    int blue = 0, white = 0, changes = 0;
    TColor last = px(8, 5);
    for (int x = 8; x < 32; ++x) {
        const TColor c = px(x, 5);
        (c == clBlue ? blue : white)++;
        if (c != last) ++changes;
        last = c;
    }
    EXPECT_GT(blue, 6);
    EXPECT_GT(white, 6);
    EXPECT_GE(changes, 8);  // dots, not one dash
    EXPECT_EQ(px(20, 20), clWhite);
    EXPECT_EQ(px(20, 9), clWhite);
}

TEST_F(QtCanvasTest, TextSitsOnTheBaselineWhereItWasMeasured) {
    TDeviceContext* dc = canvas->Handle();
    TLogFont f;
    f.Face = "DejaVu Sans";
    f.Height = -20;
    dc->SelectFont(f);
    dc->SetTextColor(clBlack);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextAlign(TA_BASELINE);
    const int advance = dc->GetTextExtentPoint(u"H").cx;
    dc->TextOut(5, 30, u"HH");
    int lowest = -1, leftmost = 99, rightmost = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (px(x, y) != clWhite) {
                lowest = std::max(lowest, y);
                leftmost = std::min(leftmost, x);
                rightmost = std::max(rightmost, x);
            }
    EXPECT_EQ(lowest, 29);  // ink ends on the row above the baseline
    EXPECT_GE(leftmost, 5);
    EXPECT_LT(rightmost, 5 + 2 * advance);
    EXPECT_GE(rightmost, 5 + advance);  // the second H starts where the first was measured to end
    // At the top, the text cell's top is the given y.
    dc->SetTextAlign(TA_TOP);
    dc->SetBkMode(OPAQUE);
    dc->SetBkColor(clYellow);
    dc->TextOut(0, 0, u" ");
    EXPECT_EQ(px(0, 0), clYellow);
    EXPECT_EQ(px(0, dc->GetTextMetrics().Height - 1), clYellow);
    EXPECT_NE(px(0, dc->GetTextMetrics().Height), clYellow);
}

TEST(QtText, ACharacterBeyondTheBasicPlaneIsDrawnAsOneGlyph) {
    ensureQtApp();
    TLogFont f;
    f.Face = "DejaVu Sans";
    f.Height = -32;
    // U+1D538 (a double-struck A, in DejaVu Sans) as its surrogate pair.
    const std::u16string pair = u"\xD835\xDD38";
    auto inkBox = [](const QImage& img) {
        QRect box;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
        return box;
    };
    TBitmap ours(90, 60);
    {
        auto dc = NewBitmapDeviceContext(&ours);
        dc->SelectFont(f);
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextAlign(TA_BASELINE);
        dc->TextOut(10, 45, pair);
    }
    QImage theirs(90, 60, QImage::Format_RGB32);
    theirs.fill(Qt::white);
    {
        QPainter p(&theirs);
        QFont q = QtFontOf(f);
        q.setPixelSize(32);
        p.setFont(q);
        p.setPen(Qt::black);
        p.drawText(10, 45, QString::fromUtf16(pair.data(), 2));
    }
    const QRect expected = inkBox(theirs), got = inkBox(ours.Image());
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_LE(std::abs(got.left() - expected.left()), 1);
    EXPECT_LE(std::abs(got.right() - expected.right()), 1);
    EXPECT_LE(std::abs(got.top() - expected.top()), 1);
    EXPECT_LE(std::abs(got.bottom() - expected.bottom()), 1);
}

TEST_F(QtCanvasTest, ClippedOpaqueTextFillsOnlyItsRectangle) {
    TDeviceContext* dc = canvas->Handle();
    dc->SetBkColor(clAqua);
    const TRect r{10, 10, 20, 20};
    dc->ExtTextOut(0, 0, ETO_OPAQUE | ETO_CLIPPED, &r, u"A long text that goes beyond the rectangle");
    EXPECT_NE(px(10, 10), clWhite);
    EXPECT_EQ(px(9, 15), clWhite);
    EXPECT_EQ(px(25, 5), clWhite);
    EXPECT_EQ(px(20, 15), clWhite);
    // A clip region guards whatever is drawn.
    {
        TClipGuard guard(dc);
        const TRegion only = TRegion::Rect(30, 30, 35, 35);
        dc->SelectClipRgn(&only);
        dc->FillRect(Rect(0, 0, 40, 40), clGreen);
    }
    EXPECT_EQ(px(30, 30), clGreen);
    EXPECT_EQ(px(35, 30), clWhite);
    dc->FillRect(Rect(0, 36, 4, 40), clGreen);
    EXPECT_EQ(px(0, 39), clGreen);  // the clip is gone again
}

TEST_F(QtCanvasTest, RasterOperationsCombinePixelsOnImages) {
    TBitmap src(4, 1);
    src.Canvas()->Brush()->SetColor(TColor(0x0F0FF0));
    src.Canvas()->FillRect(Rect(0, 0, 4, 1));
    struct Case {
        uint32_t rop;
        TColor expected;
    };
    const TColor dst = TColor(0x3C3C3C);
    const Case cases[] = {{SRCCOPY, 0x0F0FF0},
                          {SRCAND, 0x0F0FF0 & 0x3C3C3C},
                          {SRCPAINT, 0x0F0FF0 | 0x3C3C3C},
                          {SRCINVERT, 0x0F0FF0 ^ 0x3C3C3C},
                          {NOTSRCCOPY, ~0x0F0FF0 & 0xFFFFFF}};
    TDeviceContext* dc = canvas->Handle();
    int y = 0;
    for (const Case& c : cases) {
        dc->FillRect(Rect(0, y, 4, y + 1), dst);
        EXPECT_TRUE(dc->BitBlt(0, y, 4, 1, &src, 0, 0, c.rop));
        EXPECT_EQ(px(1, y), c.expected) << std::hex << c.rop;
        ++y;
    }
    dc->PatBlt(0, 10, 2, 2, BLACKNESS);
    EXPECT_EQ(px(1, 11), clBlack);
    dc->PatBlt(0, 10, 2, 2, DSTINVERT);
    EXPECT_EQ(px(1, 11), clWhite);
    // Drawing a focus rectangle twice leaves the pixels as they were.
    dc->DrawFocusRect(Rect(5, 5, 15, 12));
    EXPECT_NE(px(5, 5), clWhite);
    dc->DrawFocusRect(Rect(5, 5, 15, 12));
    for (int x = 5; x < 15; ++x) EXPECT_EQ(px(x, 5), clWhite);
    // A bitmap copied onto itself reads its pixels before they change.
    dc->FillRect(Rect(0, 20, 2, 22), clRed);
    EXPECT_TRUE(dc->BitBlt(2, 20, 2, 2, &bmp, 0, 20, SRCCOPY));
    EXPECT_EQ(px(3, 21), clRed);
}

TEST_F(QtCanvasTest, StretchModeChoosesNearestOrSmoothPixels) {
    TBitmap two(2, 1);
    two.Canvas()->Brush()->SetColor(clBlack);
    two.Canvas()->FillRect(Rect(0, 0, 1, 1));
    TDeviceContext* dc = canvas->Handle();
    auto greys = [&](int y) {
        int n = 0;
        for (int x = 0; x < 40; ++x) n += px(x, y) != clBlack && px(x, y) != clWhite;
        return n;
    };
    EXPECT_TRUE(dc->StretchBlt(0, 0, 40, 1, &two, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(greys(0), 0);
    EXPECT_EQ(dc->SetStretchBltMode(HALFTONE), COLORONCOLOR);
    EXPECT_TRUE(dc->StretchBlt(0, 1, 40, 1, &two, 0, 0, 2, 1, SRCCOPY));
    EXPECT_GT(greys(1), 0);
}

// A bitmap red on the left and green on the right; the mask hides its top half.
void makeMasked(TBitmap& image, TBitmap& mask) {
    image.SetSize(8, 8);
    image.Canvas()->Brush()->SetColor(clRed);
    image.Canvas()->FillRect(Rect(0, 0, 4, 8));
    image.Canvas()->Brush()->SetColor(clLime);
    image.Canvas()->FillRect(Rect(4, 0, 8, 8));
    mask.SetSize(8, 8);
    mask.Canvas()->Brush()->SetColor(clWhite);
    mask.Canvas()->FillRect(Rect(0, 0, 8, 4));
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect(Rect(0, 4, 8, 8));
    mask.SetPixelFormat(pf1bit);
}

void expectMaskedPixels(const QImage& img, int x0, int y0) {
    auto at = [&](int x, int y) { return fromQColor(img.pixelColor(x, y)); };
    EXPECT_EQ(at(x0 + 1, y0 + 1), clWhite);  // hidden: the background stays
    EXPECT_EQ(at(x0 + 14, y0 + 6), clWhite);
    EXPECT_EQ(at(x0 + 1, y0 + 9), clRed);  // shown, stretched twice
    EXPECT_EQ(at(x0 + 14, y0 + 15), clLime);
    EXPECT_EQ(at(x0 + 16, y0 + 15), clWhite);  // beyond the destination
}

TEST(QtMaskedDraw, SamePixelsOnAnImageAndOnARecordedPage) {
    ensureQtApp();
    TBitmap image, mask;
    makeMasked(image, mask);
    EXPECT_EQ(mask.PixelFormat(), pf1bit);

    QImage direct(40, 40, QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
        QPainter p(&direct);
        auto dc = NewQtDeviceContext(&p);
        dc->StretchDrawMasked(Rect(4, 4, 20, 20), &image, &mask);
    }
    expectMaskedPixels(direct, 4, 4);

    // A recorded page (as a print preview keeps them) has no raster operations;
    // the masked draw still gives the same pixels when the page is played back.
    QPicture page;
    {
        QPainter p(&page);
        auto dc = NewQtDeviceContext(&p);
        EXPECT_FALSE(dc->BitBlt(0, 0, 8, 8, &image, 0, 0, SRCAND));
        dc->StretchDrawMasked(Rect(4, 4, 20, 20), &image, &mask);
    }
    QImage played(40, 40, QImage::Format_RGB32);
    played.fill(Qt::white);
    {
        QPainter p(&played);
        p.drawPicture(0, 0, page);
    }
    expectMaskedPixels(played, 4, 4);
    EXPECT_EQ(played, direct);
}

TEST(QtMaskedDraw, PrintsOnAPdfPageWithTheMaskAsTransparency) {
    ensureQtApp();
    TBitmap image, mask;
    makeMasked(image, mask);
    zrxtest::TempDir dir;
    const QString file = QString::fromStdString(dir.str() + "/page.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    {
        QPainter p(&printer);
        auto dc = NewQtDeviceContext(&p);
        EXPECT_GT(dc->GetDeviceCaps(LOGPIXELSX), 96);
        EXPECT_GT(dc->GetDeviceCaps(PHYSICALWIDTH), dc->GetDeviceCaps(HORZRES) - 1);
        EXPECT_FALSE(dc->IsMonochrome());
        dc->StretchDrawMasked(Rect(100, 100, 900, 900), &image, &mask);
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_TRUE(pdf.contains("/SMask"));  // the mask travels as the image's transparency
}

TEST(QtMaskedDraw, MonochromeSurfacesGetNothing) {
    ensureQtApp();
    TBitmap image, mask, mono(10, 10);
    makeMasked(image, mask);
    mono.SetPixelFormat(pf1bit);
    TDeviceContext* dc = mono.Canvas()->Handle();
    EXPECT_TRUE(dc->IsMonochrome());
    dc->StretchDrawMasked(Rect(0, 0, 10, 10), &image, &mask);
    EXPECT_EQ(mono.Canvas()->Pixel(5, 8), clWhite);
}

TEST(QtBitmap, PixelFormatsKeepTheirLayout) {
    ensureQtApp();
    TBitmap b(3, 2);
    b.Canvas()->Brush()->SetColor(RGB(10, 20, 30));
    b.Canvas()->FillRect(Rect(0, 0, 3, 2));
    b.SetPixelFormat(pf24bit);
    const uint8_t* row = b.ScanLine(1);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row[0], 30);  // blue, green, red
    EXPECT_EQ(row[1], 20);
    EXPECT_EQ(row[2], 10);
    EXPECT_EQ(b.ScanLine(2), nullptr);
    EXPECT_EQ(b.ScanLine(-1), nullptr);

    b.SetPalette({clBlack, clRed, clWhite});
    b.SetPixelFormat(pf8bit);
    EXPECT_EQ(b.Palette().size(), 3u);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(b.PixelFormat(), pf8bit);  // still indexed after drawing
    EXPECT_EQ(b.ScanLine(0)[0], 1);      // the index of red
    EXPECT_EQ(b.Canvas()->Handle()->GetDeviceCaps(BITSPIXEL), 8);

    TBitmap key(4, 1);
    key.Canvas()->Brush()->SetColor(clFuchsia);
    key.Canvas()->FillRect(Rect(0, 0, 2, 1));
    std::unique_ptr<TBitmap> m(key.CreateMask(clFuchsia));
    EXPECT_EQ(m->PixelFormat(), pf1bit);
    EXPECT_EQ(m->Canvas()->Pixel(0, 0), clWhite);
    EXPECT_EQ(m->Canvas()->Pixel(3, 0), clBlack);
}

TEST(QtBitmap, AbsurdSizesAreRefused) {
    ensureQtApp();
    TBitmap b;
    b.SetSize(-5, 10);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_THROW(b.SetSize(100000, 100000), EInvalidGraphicOperation);
    EXPECT_THROW(b.SetSize(TBitmap::MaxSide + 1, 1), EInvalidGraphicOperation);
    EXPECT_TRUE(b.Empty());  // a refused size leaves the bitmap as it was
    b.SetSize(2, 2);
    EXPECT_NE(b.Canvas()->Handle(), nullptr);
    b.SetSize(0, 0);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 5, 5));  // drawing on nothing does nothing
    EXPECT_EQ(b.Canvas()->Pixel(0, 0), clNone);
}

TEST(QtCanvas, CanvasObjectsAreSelectedAgainAfterARestore) {
    ensureQtApp();
    TBitmap b(10, 10);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 10, 10));
    TDeviceContext* dc = c->Handle();
    const int level = dc->SaveDC();
    dc->SelectBrush(TLogBrush{BS_SOLID, clBlue});
    dc->RestoreDC(level);
    c->Brush()->SetColor(clGreen);
    c->Rectangle(0, 0, 5, 5);
    EXPECT_EQ(c->Pixel(2, 2), clGreen);
    // TextOut through the canvas measures and draws in the canvas font.
    c->Font()->SetName("DejaVu Sans");
    c->Font()->SetHeight(-12);
    EXPECT_EQ(c->TextWidthW(u"abc"), c->TextWidth("abc"));
    EXPECT_GT(c->TextWidth("abc"), 0);
}

// Nested relative sizes on a page can ask for any pixel height; the point
// size made from it stays within range.
TEST(FontHeights, HugePixelHeightsKeepThemselvesAndABoundedPointSize) {
    for (int height : {-33554432, -2147483647, 2147483647}) {
        TFont f;
        f.SetHeight(height);
        EXPECT_EQ(f.Height(), height);
        EXPECT_GE(f.Size(), 1);
        EXPECT_LE(f.Size(), 100000);
    }
    TFont small;
    small.SetHeight(-16);
    EXPECT_EQ(small.Height(), -16);
    EXPECT_GE(small.Size(), 1);
}

}  // namespace
