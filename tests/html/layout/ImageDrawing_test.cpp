#include "html/layout/Backgrounds.h"
#include "html/layout/ImageDrawing.h"

#include <gtest/gtest.h>

#include "html/layout/Images.h"
#include "html/layout/ImageFiles.h"
#include "platform/framework/QtDeviceContext.h"
#include "platform/framework/RecordingDC.h"

#include <QPainter>
#include <QPicture>

using namespace imagetest;

namespace {

// A bitmap of w x h filled with one colour.
std::unique_ptr<TBitmap> filled(int w, int h, TColor c) {
    auto b = std::make_unique<TBitmap>(w, h);
    b->Canvas()->Handle()->FillRect(TRect{0, 0, w, h}, c);
    b->Canvas()->Changed();
    return b;
}

TColor at(TBitmap& b, int x, int y) { return b.Canvas()->Pixel(x, y); }

// Letters for the pixels of a row: R red, G green, B blue, w white, k black.
std::string row(TBitmap& b, int y) {
    std::string s;
    for (int x = 0; x < b.Width(); ++x) {
        const TColor c = at(b, x, y);
        s += c == clRed ? 'R' : c == clLime ? 'G' : c == clBlue ? 'B' : c == clWhite ? 'w' : c == clBlack ? 'k' : '?';
    }
    return s;
}

struct Recorded {
    TRecordingDC dc;
    TCanvas canvas;
    Recorded() { canvas.SetDevice(&dc); }
    ~Recorded() { canvas.SetDevice(nullptr); }
};

}  // namespace

TEST(ImageDrawing, MaskedStretchLeavesTransparentPixelsAlone) {
    auto pic = filled(2, 2, clRed);
    auto mask = filled(2, 2, clBlack);
    mask->Canvas()->Handle()->SetPixel(1, 0, clWhite);
    auto target = filled(4, 4, clBlue);
    StretchDrawMasked(target->Canvas()->Handle(), pic.get(), mask.get(), 0, 0, 4, 4);
    target->Canvas()->Changed();
    EXPECT_EQ(row(*target, 0), "RRBB");
    EXPECT_EQ(row(*target, 3), "RRRR");
}

TEST(ImageDrawing, RegionOfOpaquePixels) {
    auto blank = filled(30, 4, clWhite);
    EXPECT_TRUE(RegionFromBitmap(*blank, nullptr, clWhite).IsEmpty());

    // 5000 pixels alternating: 2500 rectangles, more than one batch, one region.
    TBitmap stripes(5000, 1);
    TDeviceContext* dc = stripes.Canvas()->Handle();
    for (int x = 0; x < 5000; ++x) dc->SetPixel(x, 0, x % 2 ? clRed : clWhite);
    stripes.Canvas()->Changed();
    const TRegion r = RegionFromBitmap(stripes, nullptr, clWhite);
    EXPECT_EQ(r.Rects().size(), 2500u);
    EXPECT_TRUE(r.PtIn(1, 0));
    EXPECT_FALSE(r.PtIn(4998, 0));
    EXPECT_TRUE(r.PtIn(4999, 0));

    TXForm twice;
    twice.eM11 = twice.eM22 = 2;
    twice.eDx = 10;
    const TRegion scaled = RegionFromBitmap(*filled(3, 1, clRed), &twice, clWhite);
    EXPECT_EQ(scaled.Box().Left, 10);
    EXPECT_EQ(scaled.Box().Right, 16);
    EXPECT_EQ(scaled.Box().Bottom, 2);
}

TEST(ImageDrawing, PrintingHonoursTransparencyAndNeverChangesTheCachedPicture) {
    // White picture, red lower-left pixel, mask made by that pixel.
    auto makeImage = [](TTransparency tr) {
        auto bmp = filled(4, 4, clWhite);
        bmp->Canvas()->Handle()->SetPixel(0, 3, clRed);
        bmp->Canvas()->Changed();
        auto mask = MakeTransparencyMask(bmp.get(), false, 0);
        return std::make_shared<ThtBitmapImage>(bmp.release(), mask.release(), tr);
    };
    for (TTransparency tr : {NotTransp, LLCorner}) {
        auto img = makeImage(tr);
        ASSERT_NE(img->Mask(), nullptr);
        auto page = filled(4, 4, clBlue);
        img->Print(page->Canvas(), 0, 0, 4, 4, clWhite);
        EXPECT_EQ(at(*page, 0, 3), tr == NotTransp ? clRed : clBlue) << tr;
        auto screen = filled(4, 4, clBlue);
        img->Draw(screen->Canvas(), 0, 0, 4, 4);
        EXPECT_EQ(at(*screen, 0, 3), at(*page, 0, 3)) << tr;
        // The picture itself is as it was.
        EXPECT_EQ(at(*img->Bitmap(), 0, 3), clRed);
        EXPECT_EQ(at(*img->Bitmap(), 1, 1), clWhite);

        Recorded rec;
        img->Print(&rec.canvas, 5, 6, 8, 8, clWhite);
        EXPECT_EQ(rec.dc.Calls(tr == NotTransp ? "StretchBlt" : "StretchDrawMasked").size(), 1u);
    }

    // A band of rows, scaled; no rows prints nothing.
    auto bmp = filled(2, 4, clRed);
    bmp->Canvas()->Handle()->FillRect(TRect{0, 2, 2, 4}, clLime);
    bmp->Canvas()->Changed();
    auto mask = filled(2, 4, clBlack);
    auto page = filled(2, 2, clBlue);
    PrintMaskedBitmap(page->Canvas(), 0, 0, 2, 2, bmp.get(), mask.get(), 2, 2);
    EXPECT_EQ(row(*page, 0), "GG");
    Recorded rec;
    PrintMaskedBitmap(&rec.canvas, 0, 0, 2, 2, bmp.get(), mask.get(), 0, 0);
    PrintBitmapDIB(&rec.canvas, 0, 0, 2, 2, nullptr);
    EXPECT_TRUE(rec.dc.Calls("StretchDrawMasked").empty());
    EXPECT_TRUE(rec.dc.Calls("StretchBlt").empty());
}

TEST(ImageDrawing, TiledBackgroundsPlaceTilesAndWidenThinPictures) {
    // A 2 x 1 picture, red then green, tiled from the right edge of a 5 x 2 area.
    ThtBitmapImage rg(
        [] {
            auto b = filled(2, 1, clRed);
            b->Canvas()->Handle()->SetPixel(1, 0, clLime);
            b->Canvas()->Changed();
            return b.release();
        }(),
        nullptr, NotTransp);
    PtPositionRec p;
    p.X.PosType = bpRight;
    p.X.RepeatD = true;
    p.Y.RepeatD = true;
    ThtTiledBackground tiled;
    BuildTiledBackground(nullptr, 5, 2, rg, p, tiled);
    ASSERT_NE(tiled.Bitmap, nullptr);
    EXPECT_TRUE(tiled.NoMask);
    EXPECT_EQ(tiled.Mask, nullptr);
    EXPECT_EQ(row(*tiled.Bitmap, 0), "GRGRG");
    EXPECT_EQ(row(*tiled.Bitmap, 1), "GRGRG");

    // Not repeated vertically: one row of tiles and a mask opaque only there.
    p.Y.RepeatD = false;
    ThtTiledBackground once;
    BuildTiledBackground(nullptr, 5, 3, rg, p, once);
    ASSERT_NE(once.Mask, nullptr);
    EXPECT_EQ(row(*once.Bitmap, 1), "kkkkk");
    EXPECT_EQ(row(*once.Mask, 0), "kkkkk");
    EXPECT_EQ(row(*once.Mask, 1), "wwwww");

    // A one-pixel-wide picture widened gives the same pixels as tiling it directly.
    ThtBitmapImage thin(
        [] {
            auto b = filled(1, 3, clRed);
            b->Canvas()->Handle()->SetPixel(0, 1, clBlue);
            b->Canvas()->Changed();
            return b.release();
        }(),
        nullptr, NotTransp);
    PtPositionRec all;
    all.X.RepeatD = all.Y.RepeatD = true;
    ThtTiledBackground widened;
    BuildTiledBackground(nullptr, 250, 7, thin, all, widened);
    auto direct = filled(250, 7, clBlack);
    thin.DrawTiled(direct->Canvas(), 0, 0, 250, 7, 1, 3);
    for (int y = 0; y < 7; ++y) EXPECT_EQ(row(*widened.Bitmap, y), row(*direct, y)) << y;

    // Zero sizes change nothing.
    ThtTiledBackground none;
    BuildTiledBackground(nullptr, 0, 10, rg, all, none);
    EXPECT_EQ(none.Bitmap, nullptr);

    auto tall = filled(1, 30, clRed);
    EXPECT_EQ(WidenThinImage(*tall, 250, 30)->Width(), 100);
    EXPECT_EQ(WidenThinImage(*tall, 40, 30)->Width(), 40);
    EXPECT_EQ(WidenThinImage(*tall, 40, 30)->Height(), 30);
}

TEST(ImageDrawing, PaintBackgroundFillsThenTiles) {
    ThtBitmapImage red(filled(1, 1, clRed).release(), nullptr, NotTransp);
    auto target = filled(4, 2, clWhite);
    PaintBackground(target->Canvas(), TRect{0, 0, 4, 2}, clBlue, &red, 1, 0, 3, 1, 1, 1);
    EXPECT_EQ(row(*target, 0), "BRRB");
    EXPECT_EQ(row(*target, 1), "BBBB");
    TCanvas noDevice;
    PaintBackground(&noDevice, TRect{0, 0, 4, 2}, clBlue, &red, 0, 0, 4, 2, 1, 1);
}

TEST(ImageDrawing, PictureLibraryImagesDrawOnCanvasesAndPrintOnTheirBackground) {
    const std::string png = encode(solidImage(2, 2, 0x00000000, 0xFFFF0000, true), "PNG");  // one red pixel
    TMemoryStream s(png.data(), png.size());
    ThtGpImage img(s);
    auto target = filled(4, 4, clBlue);
    DrawGpImageAt(target->Canvas(), img, 1, 1);
    EXPECT_EQ(row(*target, 2), "BRBB");
    EXPECT_EQ(row(*target, 1), "BBBB");
    DrawGpImagePart(target->Canvas(), img, 3, 0, 0, 1, 1, 1);
    EXPECT_EQ(at(*target, 3, 0), clRed);
    auto scaled = filled(4, 4, clBlue);
    DrawGpImageScaled(scaled->Canvas(), img, 0, 0, 2, 2);
    EXPECT_EQ(at(*scaled, 0, 3), clRed);
    EXPECT_EQ(at(*scaled, 3, 0), clBlue);
    auto printed = filled(4, 4, clBlue);
    PrintGpImage(printed->Canvas(), img, 0, 0, 4, 4, clWhite);
    EXPECT_EQ(row(*printed, 0), "wwww");
    EXPECT_EQ(row(*printed, 3), "RRww");
    // Rendered on white for bitmap use.
    EXPECT_EQ(row(*img.GetBitmap(), 0), "ww");
    EXPECT_EQ(row(*img.GetBitmap(), 1), "Rw");
}

TEST(ImageDrawing, BuffersAndDeviceIndependentCopies) {
    EXPECT_FALSE(AllocImageBuffer(65279).AHandle);
    ThtAllocRec big = AllocImageBuffer(65280);
    EXPECT_TRUE(big.AHandle);
    EXPECT_EQ(big.ASize, 65280);
    FreeImageBuffer(big);
    EXPECT_EQ(big.Ptr, nullptr);

    auto src = filled(3, 2, clRed);
    src->Canvas()->Handle()->SetPixel(2, 1, clLime);
    src->Canvas()->Changed();
    TDib dib(nullptr, *src);
    EXPECT_EQ(dib.BitCount, 24);
    EXPECT_EQ(dib.ImageSize, 24);  // rows of 9 bytes padded to 12
    auto back = dib.CreateDIBmp();
    EXPECT_EQ(row(*back, 1), "RRG");
    auto target = filled(6, 4, clBlue);
    dib.DrawDIB(target->Canvas()->Handle(), 0, 0, 6, 4, SRCCOPY);
    target->Canvas()->Changed();
    EXPECT_EQ(row(*target, 3), "RRRRGG");
}

TEST(ImageDrawing, PrintedPicturesPlayBackFromARecordedPageWithTheirTransparency) {
    // White picture with a red lower-left pixel and the mask of that pixel.
    for (TTransparency tr : {NotTransp, LLCorner}) {
        auto bmp = filled(4, 4, clWhite);
        bmp->Canvas()->Handle()->SetPixel(0, 3, clRed);
        bmp->Canvas()->Changed();
        auto mask = MakeTransparencyMask(bmp.get(), false, 0);
        ThtBitmapImage img(bmp.release(), mask.release(), tr);
        QPicture page;
        {
            QPainter p(&page);
            auto dc = NewQtDeviceContext(&p);
            TCanvas canvas;
            canvas.SetDevice(dc.get());
            img.Print(&canvas, 2, 2, 8, 8, clWhite);
            canvas.SetDevice(nullptr);
        }
        QImage played(12, 12, QImage::Format_RGB32);
        played.fill(Qt::blue);
        {
            QPainter p(&played);
            p.drawPicture(0, 0, page);
        }
        // The lower-left corner of the printed picture: red unless transparent.
        EXPECT_EQ(played.pixel(3, 8), tr == NotTransp ? qRgb(255, 0, 0) : qRgb(0, 0, 255)) << tr;
        EXPECT_EQ(played.pixel(6, 4), qRgb(255, 255, 255));
        EXPECT_EQ(played.pixel(1, 1), qRgb(0, 0, 255));
        EXPECT_EQ(img.Bitmap()->Canvas()->Pixel(0, 3), clRed);
    }
}

TEST(ImageDrawing, PictureLibraryBackgroundsTileIntoTheirOwnBitmap) {
    // 2 x 2: red top-left, the rest transparent.
    const std::string png = encode(solidImage(2, 2, 0x00000000, 0xFFFF0000, true).mirrored(false, true), "PNG");
    TMemoryStream s(png.data(), png.size());
    ThtGdipImage img(std::make_unique<ThtGpImage>(s));
    PtPositionRec all;
    all.X.RepeatD = all.Y.RepeatD = true;
    ThtTiledBackground tiled;
    BuildTiledBackground(nullptr, 5, 3, img, all, tiled);
    ASSERT_NE(tiled.GpBitmap, nullptr);
    EXPECT_EQ(tiled.Bitmap, nullptr);
    EXPECT_EQ(tiled.GpBitmap->GetPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(tiled.GpBitmap->GetPixel(2, 2), 0xFFFF0000u);
    EXPECT_EQ(tiled.GpBitmap->GetPixel(4, 0), 0xFFFF0000u);
    EXPECT_EQ(tiled.GpBitmap->GetPixel(1, 0), 0u);  // stays transparent
    // A second build of another size replaces the bitmap.
    BuildTiledBackground(nullptr, 3, 3, img, all, tiled);
    EXPECT_EQ(tiled.GpBitmap->Width(), 3u);
}
