#include "html/layout/GifDecoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "html/layout/GifBuilder.h"
#include "platform/framework/GraphicsErrors.h"

using namespace giftest;

namespace {

const Palette kColors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

// Message of the decoder's failure, or "" when it loads.
std::string loadError(TGif& g, const std::string& bytes) {
    try {
        g.LoadFromStream(bytes);
        return "";
    } catch (const EInvalidGraphicOperation& e) {
        return e.what();
    }
}

Image counting(int w, int h, int modulo) {
    Image im;
    im.width = w;
    im.height = h;
    for (int i = 0; i < w * h; ++i) im.pixels.push_back(uint8_t(i % modulo));
    return im;
}

std::string twoImages(const Image& second, bool trailer = true) {
    Builder b;
    b.header(4, 4, kColors).image(solid(4, 4, 1)).image(second);
    if (trailer) b.trailer();
    return b.bytes;
}

// LZW codes of a given width packed LSB first.
std::string codes(std::initializer_list<int> cs, int width) {
    BitWriter w;
    for (int c : cs) w.put(c, width);
    return w.finish();
}

}  // namespace

struct LoadCase {
    const char* name;
    std::function<std::string()> file;
    std::string error;  // "" when the file loads
    int images;
    std::function<void(TGif&)> check;
};

TEST(GifDecoder, LoadsAndRefusesFilesAsTheFormatAndItsDamageRequire) {
    const Image one = solid(4, 4, 2);
    const std::vector<LoadCase> cases = {
        {"lower-case signature", [&] { return Builder().header(4, 4, kColors, "gif89a").image(one).trailer().bytes; },
         "", 1, nullptr},
        {"GIF87a, no trailer", [&] { return Builder().header(4, 4, kColors, "GIF87a").image(one).bytes; }, "", 1,
         nullptr},
        {"bad signature", [&] { return Builder().header(4, 4, kColors, "GIF88a").image(one).bytes; },
         "TGif: Invalid GIF Signature Code", 0, nullptr},
        {"unknown block after the first image",
         [&] { return Builder().header(4, 4, kColors).image(one).raw("\x55").image(one).bytes; }, "", 1, nullptr},
        {"unknown block before any image", [&] { return Builder().header(4, 4, kColors).raw("\x55").bytes; },
         "TGif: Unknown Graphics Operation Code", 0, nullptr},
        {"unknown extension label",
         [&] { return Builder().header(4, 4, kColors).raw(std::string("\x21\xF8\x00", 3)).image(one).bytes; },
         "TGif: unknown extension: 00F8", 0, nullptr},
        {"graphic control of size 5",
         [&] { return Builder().header(4, 4, kColors).raw(std::string("\x21\xF9\x05\0\0\0\0\0\0", 9)).bytes; },
         "TGif: Invalid Extension Block Size", 0, nullptr},
        {"graphic control without terminator",
         [&] { return Builder().header(4, 4, kColors).raw(std::string("\x21\xF9\x04\0\0\0\0\x07", 8)).bytes; },
         "TGif: Invalid Extension Block Terminator", 0, nullptr},
        {"no colour table", [&] { return Builder().header(4, 4, {}).image(one).bytes; },
         "TGif: No Local or Global Color Table for Image", 0, nullptr},
        {"no image", [&] { return Builder().header(4, 4, kColors).comment("x").trailer().bytes; },
         "TGif: No Image Description", 0, nullptr},
        {"zero-width image", [&] { return Builder().header(4, 4, kColors).image(solid(0, 4, 0)).bytes; },
         "TGif: Zero width or height", 0, nullptr},
        {"first image cut inside its data",
         [&] {
             std::string s = Builder().header(4, 4, kColors).image(counting(4, 4, 4)).bytes;
             return s.substr(0, s.size() - 3);
         },
         "TGif: Unexpected end of file", 0, nullptr},
        {"LZW size 0",
         [&] {
             Image im = one;
             im.lzwSize = 0;
             im.rawData = "\x01";
             std::string s = Builder().header(4, 4, kColors).image(im).bytes;
             s[s.size() - 4] = 0;  // the size byte before "01 01 00"
             return s;
         },
         "TGif: Invalid LZW Code Size", 0, nullptr},
        {"LZW size 12",
         [&] {
             Image im = one;
             im.lzwSize = 12;
             im.rawData = "\x01";
             return Builder().header(4, 4, kColors).image(im).bytes;
         },
         "TGif: Invalid LZW Code Size", 0, nullptr},
        {"self-referencing first code",
         [&] {
             Image im = one;
             im.rawData = codes({6, 6, 6, 5}, 3);  // 6 is the first free entry at size 2
             return Builder().header(4, 4, kColors).image(im).bytes;
         },
         "TGif: Invalid LZW Data Format", 0, nullptr},
        {"65535 x 65535",
         [&] {
             Image im = solid(1, 1, 0);
             im.width = im.height = 65535;
             return Builder().header(65535, 65535, kColors).image(im).bytes;
         },
         "TGif: Animated GIF too large", 0, nullptr},
        {"second image with LZW size 12 (error 12)",
         [&] {
             Image im = one;
             im.lzwSize = 12;
             im.rawData = "\x01";
             return twoImages(im);
         },
         "", 2, nullptr},
        {"second image decodes past its table (error 13)",
         [&] {
             Image im = one;
             // Clear, literal 2, then 7: beyond the next free entry 6.
             im.rawData = codes({4, 2, 7, 5}, 3);
             return twoImages(im);
         },
         "", 2,
         [](TGif& g) {
             const auto& px = g.GetImageDescriptor(1).rPixelList;
             ASSERT_EQ(px.size(), 16u);
             EXPECT_EQ(px[0], 2);  // decoded as far as it got
             EXPECT_EQ(px[1], 0);
         }},
        {"second image cut inside its data (error 24)",
         [&] {
             std::string s = twoImages(counting(4, 4, 4), false);
             return s.substr(0, s.size() - 3);
         },
         "", 2,
         [](TGif& g) {
             EXPECT_TRUE(g.GetImageDescriptor(1).rPixelList.empty());
             TPixelBuffer mask;
             EXPECT_THROW(g.GetStripBitmap(mask), EInvalidGraphicOperation);
             EXPECT_THROW(g.GetBitmap(1), EInvalidGraphicOperation);
         }},
        {"image higher than the screen",
         [&] { return Builder().header(3, 200, kColors).image(counting(3, 300, 4)).trailer().bytes; }, "", 1,
         [](TGif& g) {
             const TGifImageDescriptor& id = g.GetImageDescriptor(0);
             EXPECT_EQ(id.rHeight, 200);
             EXPECT_EQ(id.rPixelCount, 600);
             for (int i = 0; i < 600; ++i) ASSERT_EQ(id.rPixelList[size_t(i)], i % 4) << i;
         }},
        {"loop count 0, delay 0", [&] { return Builder().header(4, 4, kColors).loop(0).gce(0, 0).image(one).bytes; },
         "", 1,
         [](TGif& g) {
             EXPECT_EQ(g.LoopCount(), 0);
             EXPECT_EQ(g.GetImageDelay(0), 1);
         }},
        {"loop count 2, delay 5, disposal 3",
         [&] { return Builder().header(4, 4, kColors).loop(2).gce(3, 5, 1).image(one).bytes; }, "", 1,
         [](TGif& g) {
             EXPECT_EQ(g.LoopCount(), 2);
             EXPECT_EQ(g.GetImageDelay(0), 5);
             EXPECT_EQ(g.GetImageDisposal(0), 3);
             EXPECT_EQ(g.GetTransparentIndex(0), 1);
             EXPECT_TRUE(g.Transparent());
         }},
        {"no loop count, no graphic control",
         [&] { return Builder().header(4, 4, kColors).comment("hello").image(one).bytes; }, "", 1,
         [](TGif& g) {
             EXPECT_EQ(g.LoopCount(), -1);
             EXPECT_EQ(g.GetImageDelay(0), 1);
             EXPECT_EQ(g.GetImageDisposal(0), 0);
             EXPECT_EQ(g.GetTransparentIndex(0), -1);
             EXPECT_FALSE(g.Transparent());
             EXPECT_EQ(g.GetImageDepth(0), 4);
         }},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        TGif g;
        EXPECT_EQ(loadError(g, c.file()), c.error);
        if (!c.error.empty()) continue;
        EXPECT_EQ(g.ImageCount(), c.images);
        if (c.check) c.check(g);
    }
}

TEST(GifDecoder, DecodesWhatTheEncoderWroteInEveryMode) {
    std::mt19937 rng(7);
    Palette colors256(256);
    for (size_t i = 0; i < 256; ++i) colors256[i] = uint32_t(i * 0x010101);

    Image interlaced = counting(3, 16, 1);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 3; ++x) interlaced.pixels[size_t(y * 3 + x)] = uint8_t(y);
    interlaced.interlaced = true;

    Image noClear = counting(7, 5, 3);
    noClear.initialClear = false;

    // Enough varied pixels that the table fills and 12-bit codes go on.
    Image full;
    full.width = 200;
    full.height = 100;
    for (int i = 0; i < 20000; ++i) full.pixels.push_back(uint8_t(rng() % 256));

    Image shortInterlaced = counting(2, 3, 16);
    shortInterlaced.interlaced = true;

    struct Case {
        const char* name;
        Image image;
        Palette colors;
    } cases[] = {
        {"interlaced 16 rows", interlaced, colors256},
        {"interlaced 3 rows", shortInterlaced, colors256},
        {"no initial clear", noClear, kColors},
        {"full 12-bit table", full, colors256},
        {"runs that reuse their own new code", counting(50, 2, 1), kColors},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGif g;
        g.LoadFromStream(Builder().header(c.image.width, c.image.height, c.colors).image(c.image).trailer().bytes);
        ASSERT_EQ(g.ImageCount(), 1);
        EXPECT_EQ(g.GetImageDescriptor(0).rPixelList, c.image.pixels);
    }
}

// Decoding ends at the image's last pixel: what the data hold beyond it is
// never read, so no counter can run past the image and no pass of an
// interlaced image starts over it.
TEST(GifDecoder, DecodingStopsAtTheLastPixel) {
    Image interlaced;
    interlaced.width = interlaced.height = 2;
    interlaced.interlaced = true;
    interlaced.rawData = lzwEncode({1, 1, 2, 2, 3, 3, 3, 3}, 2);  // rows 0 and 1, then four more

    Image garbageAfter = solid(1, 1, 2);
    BitWriter w;
    for (int c : {4, 2, 7, 7, 7}) w.put(c, 3);  // clear, the pixel, then codes no table has
    garbageAfter.rawData = w.finish();

    // Data for more than 2^31 pixels in under a megabyte: the row counter
    // of a 1 x 1 image would wrap long before the data end.
    Image endless = solid(1, 1, 0);
    endless.rawData = expandingLzw(int64_t(1) << 31);

    const struct {
        const char* name;
        Image image;
        std::vector<uint8_t> pixels;
    } cases[] = {
        {"interlaced, with a second round of passes in the data", interlaced, {1, 1, 2, 2}},
        {"invalid codes after the last pixel", garbageAfter, {2}},
        {"1 x 1 with data for 2^31 pixels", endless, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TGif g;
        const std::string file =
            Builder().header(c.image.width, c.image.height, kColors).image(c.image).trailer().bytes;
        ASSERT_EQ(loadError(g, file), "");
        ASSERT_EQ(g.ImageCount(), 1);
        EXPECT_EQ(g.GetImageDescriptor(0).rPixelList, c.pixels);
    }
}

// A pixel limit (the image loader's budget) refuses a picture by its screen
// before any image is read, by its images together, and by its frame strip.
TEST(GifDecoder, PixelLimitRefusesScreensImagesAndStrips) {
    const std::string oneFrame = Builder().header(100, 100, kColors).image(solid(10, 10, 1)).trailer().bytes;
    const std::string frames = Builder()
                                   .header(100, 100, kColors)
                                   .image(solid(10, 10, 1))
                                   .image(solid(10, 10, 2))
                                   .image(solid(10, 10, 3))
                                   .trailer()
                                   .bytes;
    const std::string bigImages =
        Builder().header(100, 100, kColors).image(solid(100, 60, 1)).image(solid(100, 60, 2)).trailer().bytes;
    const struct {
        const char* name;
        std::string file;
        int64_t limit;
        std::string loadErr;
        bool stripFits;
    } cases[] = {
        {"screen within", oneFrame, 10000, "", true},
        {"screen beyond", oneFrame, 9999, "TGif: Animated GIF too large", false},
        {"three frames make a strip beyond", frames, 20000, "", false},
        {"three frames within", frames, 30000, "", true},
        {"second image beyond the images' total", bigImages, 11000, "", false},
        {"no limit", bigImages, 0, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TGif g;
        g.SetPixelLimit(c.limit);
        EXPECT_EQ(loadError(g, c.file), c.loadErr);
        if (!c.loadErr.empty()) continue;
        TPixelBuffer mask;
        bool fits = true;
        try {
            g.GetStripBitmap(mask);
        } catch (const EInvalidGraphicOperation&) {
            fits = false;
        }
        EXPECT_EQ(fits, c.stripFits);
    }
}

TEST(GifDecoder, TransparentIndexOfTheSharedTableStaysOpaqueInAnotherImage) {
    TGif g;
    g.LoadFromStream(
        Builder().header(2, 1, kColors).gce(0, 0, 1).image(counting(2, 1, 2)).image(counting(2, 1, 2)).bytes);
    const TPixelBuffer& first = g.GetBitmap(0);
    EXPECT_EQ(first.Pixel(1, 0), TGif::TransparentColor);
    EXPECT_EQ(first.TransparentColor, TGif::TransparentColor);
    const TPixelBuffer& second = g.GetBitmap(1);
    EXPECT_EQ(second.Pixel(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(second.TransparentColor, clNone);
    EXPECT_EQ(g.GetColorTable(0).rColors[1], RGB(255, 0, 0));
    EXPECT_THROW(g.GetImageDescriptor(2), EInvalidGraphicOperation);
    EXPECT_THROW(g.GetColorTable(-1), EInvalidGraphicOperation);
}

namespace {

// "RGB..." per pixel of a strip row, for readable comparisons.
std::string rowColors(const TPixelBuffer& b, int y, int x0, int n) {
    std::string s;
    for (int x = x0; x < x0 + n; ++x) {
        switch (b.Pixel(x, y)) {
        case RGB(255, 0, 0): s += 'R'; break;
        case RGB(0, 255, 0): s += 'G'; break;
        case RGB(0, 0, 255): s += 'B'; break;
        case RGB(0, 0, 0): s += 'k'; break;
        default: s += '?';
        }
    }
    return s;
}
std::string rowMask(const TPixelBuffer& m, int y, int x0, int n) {
    std::string s;
    for (int x = x0; x < x0 + n; ++x) s += m.Row(y)[x] == 255 ? 'T' : m.Row(y)[x] == 0 ? 'o' : '?';
    return s;
}

}  // namespace

TEST(GifDecoder, StripComposesFramesWithDisposalAndTransparency) {
    Image f0;
    f0.width = 4;
    f0.height = 2;
    f0.pixels = {1, 1, 0, 0, 1, 1, 1, 1};
    Image f1;
    f1.left = 2;
    f1.width = 2;
    f1.height = 2;
    f1.pixels = {2, 0, 0, 2};
    Image f2 = solid(1, 1, 3);
    f2.top = 1;
    TGif g;
    g.LoadFromStream(
        Builder().header(4, 2, kColors).gce(2, 0, 0).image(f0).gce(3, 0, 0).image(f1).gce(0, 0, 0).image(f2).bytes);
    TPixelBuffer mask;
    const TPixelBuffer strip = g.GetStripBitmap(mask);
    ASSERT_EQ(strip.Width, 12);
    ASSERT_EQ(strip.Height, 2);
    ASSERT_EQ(mask.Width, 12);
    // Frame 0: transparent pixels black and masked.
    EXPECT_EQ(rowColors(strip, 0, 0, 4), "RRkk");
    EXPECT_EQ(rowMask(mask, 0, 0, 4), "ooTT");
    EXPECT_EQ(rowMask(mask, 1, 0, 4), "oooo");
    // Frame 1: frame 0 shows through; its area is disposed (transparent in the mask).
    EXPECT_EQ(rowColors(strip, 0, 4, 4), "RRGk");
    EXPECT_EQ(rowColors(strip, 1, 4, 4), "RRRG");
    EXPECT_EQ(rowMask(mask, 0, 4, 4), "TToT");
    EXPECT_EQ(rowMask(mask, 1, 4, 4), "TTTo");
    // Frame 2: image 1's area restored to transparent, only the new pixel opaque.
    EXPECT_EQ(rowColors(strip, 0, 8, 4), "RRGk");
    EXPECT_EQ(rowColors(strip, 1, 8, 4), "BRRG");
    EXPECT_EQ(rowMask(mask, 0, 8, 4), "TTTT");
    EXPECT_EQ(rowMask(mask, 1, 8, 4), "oTTT");
}

TEST(GifDecoder, StripOfAnOpaqueGifHasNoMaskAndCutsFramesAtTheScreenEdge) {
    Image wide = counting(6, 1, 4);  // 0 1 2 3 0 1 at left 1 on a 4-wide screen
    wide.left = 1;
    TGif g;
    g.LoadFromStream(Builder().header(4, 1, kColors).gce(2, 0).image(solid(4, 1, 1)).image(wide).bytes);
    TPixelBuffer mask;
    mask.Width = 3;
    const TPixelBuffer strip = g.GetStripBitmap(mask);
    EXPECT_TRUE(mask.Empty());
    EXPECT_EQ(rowColors(strip, 0, 0, 8), "RRRRRkRG");
}

TEST(GifDecoder, StripSizeLimitsFollowTransparency) {
    // 1000 frames of 100 x 100 (30 MB + 54) pass; with a mask limit of
    // 100 MB, 4000 frames (120 MB) are refused.
    auto make = [](int frames, bool transparent) {
        Builder b;
        b.header(100, 100, kColors);
        for (int i = 0; i < frames; ++i) {
            if (transparent) b.gce(0, 0, 0);
            b.image(solid(1, 1, 1));
        }
        return b.bytes;
    };
    TGif g;
    TPixelBuffer mask;
    g.LoadFromStream(make(4000, true));
    EXPECT_THROW(
        {
            try {
                g.GetStripBitmap(mask);
            } catch (const EInvalidGraphicOperation& e) {
                EXPECT_STREQ(e.what(), "TGif: Animated GIF too large");
                throw;
            }
        },
        EInvalidGraphicOperation);
    g.LoadFromStream(make(1000, false));
    EXPECT_EQ(g.GetStripBitmap(mask).Width, 100000);
}
