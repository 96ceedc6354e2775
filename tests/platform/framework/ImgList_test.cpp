#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "platform/framework/Graphics.h"
#include "platform/framework/ImgList.h"
#include "platform/framework/QtTestApp.h"

namespace {

// A strip of three 4-pixel cells, each cell a colour of its own with its
// top-left pixel in the mask colour (pure magenta).
QImage strip(int height) {
    QImage img(12, height, QImage::Format_RGB32);
    const QRgb cells[] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)};
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 4; ++x) img.setPixel(c * 4 + x, y, cells[c]);
    for (int c = 0; c < 3; ++c) img.setPixel(c * 4, 0, qRgb(255, 0, 255));
    return img;
}

// Each cell is its piece of the strip: the mask colour and the rows below a
// strip shorter than the list are transparent, every other pixel is opaque.
TEST(ImgList, CellsAreCutFromTheStripWithTheMaskTransparent) {
    ensureQtApp();
    for (int stripHeight : {4, 3}) {
        SCOPED_TRACE(stripHeight);
        TImageList list(nullptr);
        list.SetWidth(4);
        list.SetHeight(4);
        TBitmap bmp;
        bmp.SetImage(strip(stripHeight));
        ASSERT_EQ(list.AddMasked(&bmp, TColor(0xFF00FF)), 0);
        ASSERT_EQ(list.Count(), 3);
        const QRgb cells[] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)};
        for (int c = 0; c < 3; ++c) {
            const QImage* img = list.Image(c);
            ASSERT_NE(img, nullptr);
            ASSERT_EQ(img->size(), QSize(4, 4));
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x) {
                    const QRgb p = img->pixel(x, y);
                    if ((x == 0 && y == 0) || y >= stripHeight) EXPECT_EQ(qAlpha(p), 0) << c << ' ' << x << ' ' << y;
                    else EXPECT_EQ(p, cells[c] | 0xFF000000u) << c << ' ' << x << ' ' << y;
                }
        }
    }
}

}  // namespace
