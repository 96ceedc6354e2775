#include "html/layout/GpImage.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "html/layout/ImageFiles.h"
#include "support/TempDir.h"

using namespace imagetest;

namespace {

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EGDIPlus& e) {
        return e.what();
    }
    return "";
}

TMemoryStream streamOf(const std::string& bytes, size_t skip = 0) {
    TMemoryStream s(bytes.data(), bytes.size());
    s.SetPosition(int64_t(skip));
    return s;
}

}  // namespace

TEST(GpImage, LoadsFromFilesAndStreamsAndNamesFailures) {
    const std::string png = encode(solidImage(3, 2, 0xFF112233), "PNG");
    // From a position past some leading bytes: the library sees only the rest.
    TMemoryStream s = streamOf("junk!" + png, 5);
    ThtGpImage img(s);
    EXPECT_EQ(img.Width(), 3u);
    EXPECT_EQ(img.Height(), 2u);

    TMemoryStream fromStart = streamOf("junk!" + png);
    EXPECT_EQ(messageOf([&] { ThtGpImage bad(fromStart); }), "Can't load image stream. GDI error UnknownImageFormat");
    TMemoryStream huge = streamOf(pngClaiming(100000, 100000));
    EXPECT_EQ(messageOf([&] { ThtGpImage bad(huge); }), "Can't load image stream. GDI error ImageTooLarge");
    EXPECT_EQ(messageOf([&] { ThtGpImage bad("/nonexistent/x.png", false); }),
              "Image file \"/nonexistent/x.png\" not found. GDI error FileNotFound");

    zrxtest::TempDir dir;
    const std::string tmp = dir.file("t.png");
    zrxtest::writeFile(tmp, png);
    {
        ThtGpImage fromFile(tmp, true);
        EXPECT_EQ(fromFile.Width(), 3u);
        EXPECT_TRUE(std::filesystem::exists(tmp));
    }
    EXPECT_FALSE(std::filesystem::exists(tmp));
    zrxtest::writeFile(tmp, "not a picture at all");
    EXPECT_EQ(messageOf([&] { ThtGpImage bad(tmp, false); }),
              "Can't load image file \"" + tmp + "\". GDI error UnknownImageFormat");
    EXPECT_EQ(messageOf([] { CheckGdipStatus("X", 99); }), "X GDI error <UnKnown>");
}

TEST(GpImage, SmallImagePathKeepsTheEdgesOfTinyPicturesOpaque) {
    struct Case {
        uint32_t w0, h0;
        int w, h;
        bool small;
    } cases[] = {{1, 1, 50, 50, true},
                 {20, 20, 50, 50, false},
                 {5, 5, 5, 5, false},
                 {20, 4, 40, 40, true},
                 {4, 20, 4, 40, false}};
    for (const Case& c : cases)
        EXPECT_EQ(ThtGpGraphics::UsesSmallImagePath(c.w0, c.h0, c.w, c.h), c.small) << c.w0 << "x" << c.h0;

    for (int size : {1, 2}) {
        TMemoryStream s = streamOf(encode(solidImage(size, size, 0xFFFF0000), "PNG"));
        ThtGpImage tiny(s);
        ThtGpBitmap target(50, 50);
        {
            ThtGpGraphics g(target);
            g.DrawImage(tiny, 0, 0, 50, 50);
        }
        for (auto [x, y] : {std::pair{0, 0}, {49, 0}, {0, 49}, {49, 49}, {25, 25}})
            EXPECT_EQ(target.GetPixel(x, y), 0xFFFF0000u) << size << ": " << x << "," << y;
    }
}

TEST(GpImage, BitmapsAndGraphicsDrawPixels) {
    ThtGpBitmap b(4, 4);
    EXPECT_EQ(b.GetPixel(0, 0), 0u);
    b.SetPixel(1, 2, 0xFF00FF00);
    EXPECT_EQ(b.GetPixel(1, 2), 0xFF00FF00u);
    EXPECT_EQ(messageOf([&] { b.GetPixel(4, 0); }), "ThtGpBitmap.GetPixel GDI error InvalidParameter");
    EXPECT_EQ(messageOf([] { ThtGpBitmap z(0, 3); }), "Can't create bitmap of size 0 x 3. GDI error InvalidParameter");
    ThtGpBitmap source(4, 4);
    source.SetPixel(1, 2, 0xFF00FF00);
    {
        ThtGpGraphics g(b);
        g.Clear(0xFF0000FF);
        g.DrawImage(source, 2.f, 0.f, 1.f, 2.f, 1.f, 1.f);  // the green pixel to 2,0
        g.ScaleTransform(2, 2);
        ThtGpBitmap dot(1, 1);
        dot.SetPixel(0, 0, 0xFFFFFFFF);
        g.DrawImage(dot, 1, 1);  // lands on 2..3, 2..3
    }
    EXPECT_EQ(b.GetPixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(b.GetPixel(2, 0), 0xFF00FF00u);
    EXPECT_EQ(b.GetPixel(3, 3), 0xFFFFFFFFu);
}

TEST(GpImage, EnabledWhileAnyUserRetainsIt) {
    EXPECT_FALSE(GdiPlusEnabled());
    RetainGdiPlus();
    RetainGdiPlus();
    ReleaseGdiPlus();
    EXPECT_TRUE(GdiPlusEnabled());
    ReleaseGdiPlus();
    EXPECT_FALSE(GdiPlusEnabled());
}
