#include "html/layout/Images.h"

#include <gtest/gtest.h>

#include "html/layout/GifBuilder.h"
#include "html/layout/HtmlScreen.h"
#include "html/layout/ImageFiles.h"
#include "platform/framework/Controls.h"
#include "platform/framework/GraphicsErrors.h"
#include "platform/framework/RecordingDC.h"
#include "support/TempDir.h"

using namespace imagetest;

namespace {

const giftest::Palette kColors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

TMemoryStream streamOf(const std::string& bytes) { return TMemoryStream(bytes.data(), bytes.size()); }

ThtImagePtr loadBytes(const std::string& bytes, TTransparency tr = NotTransp) {
    TMemoryStream s = streamOf(bytes);
    return LoadImageByContent(&s, tr);
}

std::string oneFrameGif(bool transparent) {
    giftest::Builder b;
    b.header(4, 4, kColors);
    if (transparent) b.gce(0, 0, 0);
    giftest::Image im = giftest::solid(4, 4, 1);
    im.pixels[0] = 0;
    return b.image(im).trailer().bytes;
}

std::string twoFrameGif() {
    return giftest::Builder()
        .header(4, 4, kColors)
        .gce(1, 5)
        .image(giftest::solid(4, 4, 1))
        .gce(1, 5)
        .image(giftest::solid(4, 4, 2))
        .trailer()
        .bytes;
}

// A white 4 x 4 picture with a red lower-left pixel.
QImage markedPicture() { return solidImage(4, 4, 0xFFFFFFFF, 0xFFFF0000, true); }

}  // namespace

TEST(Images, DetectsFormatsByTheirFirstBytesAndKeepsThePosition) {
    struct Case {
        std::string bytes;
        ThtImageFormat format;
    } cases[] = {
        {"GIF89a", ifGif},
        {"\x89PNG", ifPng},
        {std::string("\0\0\1\0", 4), ifIco},
        {std::string("\0\0\2\0", 4), ifCur},
        {std::string("II\xFF\0", 4), ifTiff},
        {std::string("II\x2B\0", 4), ifTiff},
        {std::string("II\x20\0", 4), ifUnknown},
        {std::string("MM\0\x2A", 4), ifTiff},
        {std::string("MM\0\x20", 4), ifUnknown},
        {"BMxx", ifBmp},
        {"\xFF\xD8\xFF\xE0", ifJpeg},
        {"\xFF", ifUnknown},
        {"", ifUnknown},
        {"<svg", ifUnknown},
    };
    for (const Case& c : cases) {
        TMemoryStream s = streamOf(c.bytes + "tail");
        s.SetPosition(3);
        EXPECT_EQ(DetectImageFormat(s), c.format) << c.bytes;
        EXPECT_EQ(s.Position(), 3);
    }
}

TEST(Images, LoadsEachFormatAsItsKind) {
    const std::string png = encode(solidImage(3, 3, 0x80FF0000), "PNG");
    const std::string jpeg = encode(solidImage(8, 8, 0xFF2050A0), "JPEG");
    const std::string bmp = encode(markedPicture(), "BMP");
    const std::string ico = encode(markedPicture(), "ICO");
    ASSERT_FALSE(ico.empty());

    // Without an image cache the picture library is off.
    EXPECT_EQ(loadBytes(png), nullptr);
    auto j = loadBytes(jpeg);
    ASSERT_NE(dynamic_cast<ThtBitmapImage*>(j.get()), nullptr);
    EXPECT_EQ(j->Transp, NotTransp);
    EXPECT_EQ(j->Width(), 8);
    auto i = loadBytes(ico, NotTransp);
    ASSERT_NE(dynamic_cast<ThtBitmapImage*>(i.get()), nullptr);
    EXPECT_EQ(i->Transp, LLCorner);

    auto b = loadBytes(bmp, NotTransp);
    ASSERT_NE(dynamic_cast<ThtBitmapImage*>(b.get()), nullptr);
    EXPECT_EQ(b->Transp, NotTransp);
    ASSERT_NE(b->Mask(), nullptr);  // made by the lower-left pixel all the same
    EXPECT_EQ(b->Mask()->Canvas()->Pixel(0, 3), clWhite);
    EXPECT_EQ(b->Mask()->Canvas()->Pixel(1, 1), clBlack);

    auto g1 = loadBytes(oneFrameGif(true), LLCorner);
    ASSERT_NE(dynamic_cast<ThtBitmapImage*>(g1.get()), nullptr);
    EXPECT_EQ(g1->Transp, TrGif);
    EXPECT_EQ(g1->Mask()->Canvas()->Pixel(0, 0), clWhite);
    EXPECT_EQ(g1->Mask()->Canvas()->Pixel(1, 0), clBlack);
    EXPECT_EQ(loadBytes(oneFrameGif(false), LLCorner)->Transp, LLCorner);
    auto g2 = loadBytes(twoFrameGif());
    auto* gif = dynamic_cast<ThtGifImage*>(g2.get());
    ASSERT_NE(gif, nullptr);
    EXPECT_TRUE(gif->Gif().IsAnimated());
    auto clone = gif->Clone();
    EXPECT_EQ(clone->Gif().StripBitmap().get(), gif->Gif().StripBitmap().get());
    EXPECT_TRUE(clone->Gif().IsCopy);

    {
        ThtImageCache cache;
        auto p = loadBytes(png);
        ASSERT_NE(dynamic_cast<ThtGdipImage*>(p.get()), nullptr);
        EXPECT_EQ(p->Transp, TrPng);
        EXPECT_EQ(p->Width(), 3);
        EXPECT_EQ(p->Mask(), nullptr);
        EXPECT_NE(dynamic_cast<ThtGdipImage*>(loadBytes(jpeg).get()), nullptr);
        // GIF and BMP never go through the picture library.
        EXPECT_NE(dynamic_cast<ThtBitmapImage*>(loadBytes(bmp).get()), nullptr);
        // Dimensions are checked before anything is allocated.
        EXPECT_EQ(loadBytes(pngClaiming(60000, 60000)), nullptr);
    }
}

TEST(Images, RefusesShortUnknownAndBrokenData) {
    // 19 bytes are not read at all; 20 are examined.
    const std::string gif = oneFrameGif(false);
    TMemoryStream s19 = streamOf(gif.substr(0, 19));
    s19.SetPosition(5);
    EXPECT_EQ(LoadImageByContent(&s19, NotTransp), nullptr);
    EXPECT_EQ(s19.Position(), 5);
    TMemoryStream s20 = streamOf(gif.substr(0, 20));
    s20.SetPosition(5);
    EXPECT_EQ(LoadImageByContent(&s20, NotTransp), nullptr);
    EXPECT_NE(s20.Position(), 5);
    EXPECT_EQ(LoadImageByContent(nullptr, NotTransp), nullptr);

    // A metafile has no player here; nor does anything unknown load.
    std::string emf(64, '\0');
    emf[0] = 1;
    emf.replace(40, 4, " EMF");
    EXPECT_EQ(loadBytes(emf), nullptr);
    EXPECT_EQ(loadBytes(std::string(100, 'x')), nullptr);
    std::string badGif = oneFrameGif(false);
    badGif[6] = badGif[7] = '\xFF';  // 65535 wide
    badGif[8] = badGif[9] = '\xFF';
    EXPECT_EQ(loadBytes(badGif.substr(0, 40)), nullptr);

    EXPECT_THROW(ThtBitmapImage(nullptr, nullptr, NotTransp), EInvalidImage);
    try {
        ThtBitmapImage(nullptr, LLCorner, clNone);
    } catch (const EInvalidImage& e) {
        EXPECT_STREQ(e.what(), "ThtBitmapImage requires an image");
    }
}

// A picture costs its caller's pixel budget (all frames of an animation):
// one whose declared size exceeds what is left is refused before it is
// decoded, and the caller shows the broken picture.
TEST(Images, PicturesBeyondWhatTheBudgetHasLeftAreRefused) {
    ThtImageCache cache;  // the picture library is on
    const struct {
        const char* name;
        std::string bytes;
        int64_t pixels;
    } cases[] = {
        {"PNG", encode(solidImage(200, 100, 0x80FF0000), "PNG"), 20000},
        {"JPEG", encode(solidImage(200, 100, 0xFF2050A0), "JPEG"), 20000},
        {"BMP", encode(solidImage(200, 100, 0xFF2050A0), "BMP"), 20000},
        {"one-frame GIF",
         giftest::Builder().header(200, 100, kColors).image(giftest::solid(200, 100, 1)).trailer().bytes, 20000},
        {"three-frame GIF",
         giftest::Builder()
             .header(100, 100, kColors)
             .image(giftest::solid(100, 100, 1))
             .image(giftest::solid(10, 10, 2))
             .image(giftest::solid(10, 10, 3))
             .trailer()
             .bytes,
         30000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMemoryStream fits = streamOf(c.bytes);
        const ThtImagePtr img = LoadImageByContent(&fits, NotTransp, c.pixels);
        ASSERT_NE(img, nullptr);
        EXPECT_EQ(img->PixelCount(), c.pixels);
        TMemoryStream beyond = streamOf(c.bytes);
        EXPECT_EQ(LoadImageByContent(&beyond, NotTransp, c.pixels - 1), nullptr);
        TMemoryStream none = streamOf(c.bytes);
        EXPECT_EQ(LoadImageByContent(&none, NotTransp, 0), nullptr);
    }
}

// Files of a few bytes or kilobytes that declare pictures of tens of
// millions of pixels stay within the default budget: refused, not decoded.
TEST(Images, SmallFilesThatDeclareHugePicturesAreRefused) {
    ThtImageCache cache;
    auto gifOf = [](int sw, int sh, int images, int w, int h) {
        giftest::Builder b;
        b.header(sw, sh, kColors);
        giftest::Image im;
        im.width = w;
        im.height = h;
        im.rawData = "\x4c\x01";  // clear and one pixel: the decoder fills the rest
        for (int i = 0; i < images; ++i) b.image(im);
        return b.trailer().bytes;
    };
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"8000 x 8000 PNG", blackGreyPng(8000, 8000)},
        {"GIF with a 2693 x 16636 screen", gifOf(2693, 16636, 1, 2693, 16636)},
        {"GIF of four 7000 x 7000 images", gifOf(7000, 7000, 4, 7000, 7000)},
    };
    for (const auto& c : cases) {
        ASSERT_LT(c.bytes.size(), 300'000u) << c.name;
        EXPECT_EQ(loadBytes(c.bytes), nullptr) << c.name;
    }
}

// The image cache keeps its pictures within its own budget: a picture that
// comes in beyond it makes unused pictures leave, stalest first; pictures in
// use always stay.
TEST(Images, CacheKeepsItsPicturesWithinItsBudget) {
    auto picture = [](int w, int h) { return loadBytes(encode(solidImage(w, h, 0xFF2050A0), "BMP")); };
    ThtImageCache cache(30000);
    cache.AddObject("old", picture(50, 100));
    cache.DecUsage("old");
    cache.BumpAndCheck();
    cache.AddObject("new", picture(50, 100));
    cache.DecUsage("new");
    cache.AddObject("shown", picture(100, 100));
    EXPECT_EQ(cache.Budget().Used(), 20000);
    EXPECT_EQ(cache.PixelsLeft(), 20000);  // unused pictures give way

    cache.AddObject("big", picture(150, 100));  // 35000 held: the stalest unused picture leaves
    EXPECT_EQ(cache.IndexOf("old"), -1);
    EXPECT_NE(cache.IndexOf("new"), -1);
    EXPECT_EQ(cache.Budget().Used(), 30000);
    cache.InsertImage(0, "inserted", picture(100, 100));  // inserted without a user: kept as it comes in
    EXPECT_EQ(cache.IndexOf("new"), -1);
    EXPECT_NE(cache.IndexOf("inserted"), -1);
    EXPECT_EQ(cache.Budget().Used(), 35000);
    cache.AddObject("more", picture(100, 100));  // the unused one leaves; those in use stay beyond the budget
    EXPECT_EQ(cache.IndexOf("inserted"), -1);
    EXPECT_EQ(cache.Budget().Used(), 35000);
    EXPECT_EQ(cache.PixelsLeft(), 0);
    EXPECT_EQ(cache.Count(), 3);

    cache.DecUsage("big");
    cache.PurgeCache();
    EXPECT_EQ(cache.Budget().Used(), 20000);
    cache.Clear();
    EXPECT_EQ(cache.Budget().Used(), 0);
}

TEST(Images, LoadsFilesAndKnowsMissingOnes) {
    zrxtest::TempDir dir;
    const std::string path = dir.file("p.gif");
    zrxtest::writeFile(path, twoFrameGif());
    EXPECT_NE(dynamic_cast<ThtGifImage*>(LoadImageFile(path, NotTransp).get()), nullptr);
    EXPECT_EQ(LoadImageFile(dir.file("missing.gif"), NotTransp), nullptr);
}

TEST(Images, DrawTiledStepsRowByRowAndStopsOnEmptyTiles) {
    ThtBitmapImage img(new TBitmap(2, 2), nullptr, NotTransp);
    TRecordingDC rec;
    TCanvas canvas;
    canvas.SetDevice(&rec);
    img.DrawTiled(&canvas, 0, 0, 10, 3, 4, 2);
    const auto calls = rec.Calls("StretchBlt");
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].rfind("StretchBlt 0 0 4 2", 0), 0u);
    EXPECT_EQ(calls[1].rfind("StretchBlt 4 0 4 2", 0), 0u);
    EXPECT_EQ(calls[2].rfind("StretchBlt 8 0 4 2", 0), 0u);
    EXPECT_EQ(calls[3].rfind("StretchBlt 0 2 4 2", 0), 0u);
    rec.ClearLog();
    for (auto [w, h] : {std::pair{0, 2}, {4, 0}, {-4, 2}}) {
        img.DrawTiled(&canvas, 0, 0, 10, 10, w, h);
        img.PrintTiled(&canvas, 0, 0, 10, 10, w, h, clWhite);
    }
    EXPECT_TRUE(rec.Calls("StretchBlt").empty());
    canvas.SetDevice(nullptr);
}

TEST(Images, CacheKeepsTheLibraryOnAndImagesInUseAlive) {
    EXPECT_FALSE(GdiPlusEnabled());
    ThtImagePtr shown;
    {
        ThtImageCache first;
        {
            ThtImageCache second;
            EXPECT_TRUE(GdiPlusEnabled());
        }
        EXPECT_TRUE(GdiPlusEnabled());
        first.AddObject("a.gif", loadBytes(twoFrameGif()));
        first.InsertImage(0, "b.gif", loadBytes(oneFrameGif(true)));
        EXPECT_EQ(first.ObjectAt(0)->UsageCount, 0);  // inserted without a user
        shown = first.GetImage(first.IndexOf("A.GIF"));
        EXPECT_EQ(shown->UsageCount, 2);
    }
    EXPECT_FALSE(GdiPlusEnabled());
    EXPECT_EQ(shown->Width(), 4);
}

TEST(Images, SharedPendingAndBrokenPictures) {
    EXPECT_EQ(PendingImage().Width(), 16);
    EXPECT_EQ(PendingImage().Mask(), nullptr);
    EXPECT_EQ(BrokenImage().Height(), 16);
    EXPECT_EQ(BrokenImage().Transp, LLCorner);
    ASSERT_NE(BrokenImage().Mask(), nullptr);
    EXPECT_EQ(BrokenImage().Mask()->Canvas()->Pixel(0, 15), clWhite);
    EXPECT_EQ(BrokenImage().Mask()->Canvas()->Pixel(7, 7), clBlack);
    for (int c : {crUpDownCursor, crUpOnlyCursor, crDownOnlyCursor}) EXPECT_TRUE(IsCustomCursor(c)) << c;
    EXPECT_FALSE(IsCustomCursor(crHandPoint));
}

TEST(Images, PicturesAreAdaptedToThePaletteOfAnEightBitScreen) {
    const int saved = ColorBits;
    InitScreenFacts(8);
    auto adapted = AdaptBitmapToScreen(std::make_unique<TBitmap>(3, 3));
    auto bmp = loadBytes(encode(markedPicture(), "BMP"));
    InitScreenFacts(saved);
    ASSERT_NE(adapted, nullptr);
    EXPECT_EQ(adapted->PixelFormat(), pf8bit);
    EXPECT_EQ(adapted->Palette().size(), 256u);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->Bitmap()->PixelFormat(), pf8bit);
    EXPECT_EQ(bmp->Bitmap()->Canvas()->Pixel(0, 3), clRed);  // red is one of the static colours
    EXPECT_EQ(AdaptBitmapToScreen(std::make_unique<TBitmap>(3, 3))->PixelFormat(), pfDevice);
}
