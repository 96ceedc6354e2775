#include "html/layout/ColorReduction.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TPixelBuffer picture(int w, int h, const std::function<TColor(int, int)>& color) {
    TPixelBuffer b = TPixelBuffer::Make(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, color(x, y));
    return b;
}

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(ColorReduction, CubeLookupAndPaletteAgree) {
    TNetscapeColorLookup cube(MakeCubePalette());
    EXPECT_EQ(cube.Colors(), 216);
    const TPaletteEntries palette = MakeCubePalette();
    struct Case {
        int r, g, b, index, R, G, B;
    } cases[] = {
        {47, 48, 255, 0 * 36 + 1 * 6 + 5, 0, 51, 255},
        {0, 0, 0, 0, 0, 0, 0},
        {255, 255, 255, 215, 255, 255, 255},
        {100, 200, 152, 2 * 36 + 3 * 6 + 3, 102, 153, 153},
    };
    for (const Case& c : cases) {
        int R, G, B;
        EXPECT_EQ(cube.Lookup(c.r, c.g, c.b, R, G, B), c.index);
        EXPECT_EQ(R, c.R);
        EXPECT_EQ(G, c.G);
        EXPECT_EQ(B, c.B);
        const TPaletteEntry& e = palette[size_t(c.index)];
        EXPECT_EQ(TPaletteEntry({uint8_t(R), uint8_t(G), uint8_t(B), 0}), e);
    }
}

TEST(ColorReduction, FastLookupPrefersTheFirstEntryAndTheNearestColour) {
    // Entries 0 and 1 share one 5-bit slot; entry 2 is far away.
    TFastColorLookup lookup({{10, 10, 10, 0}, {12, 12, 12, 0}, {200, 0, 0, 0}, {0, 0, 200, 0}});
    int R, G, B;
    EXPECT_EQ(lookup.Lookup(12, 12, 12, R, G, B), 0);
    EXPECT_EQ(R, 10);
    EXPECT_EQ(lookup.Lookup(180, 20, 0, R, G, B), 2);
    EXPECT_EQ(R, 200);
    // Equally far from entries 2 and 3: the first wins, and stays cached.
    EXPECT_EQ(lookup.Lookup(150, 0, 150, R, G, B), 2);
    EXPECT_EQ(lookup.Lookup(150, 0, 150, R, G, B), 2);
}

TEST(ColorReduction, FloydSteinbergOnOnePixelWideImageAlternatesDirectionAndDiffusesError) {
    TFastColorLookup bw({{0, 0, 0, 0}, {255, 255, 255, 0}});
    TFloydSteinbergEngine engine(1, bw);
    std::string got;
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(engine.Direction(), row % 2 ? -1 : 1);
        EXPECT_EQ(engine.Column(), 0);
        int R, G, B;
        got += engine.Dither(128, 128, 128, R, G, B) ? 'W' : 'k';
        EXPECT_EQ(engine.Column(), row % 2 ? -1 : 1);
        engine.NextLine();
    }
    EXPECT_EQ(got, "WkWk");

    // The whole pipeline: a grey between two cube levels comes out as both
    // with error diffusion, as the nearer one without.
    const TPixelBuffer grey = picture(8, 8, [](int, int) { return RGB(128, 128, 128); });
    const TPixelBuffer out = ReduceBitmapColors(grey, rdWebCube, dmFloydSteinberg);
    const TPixelBuffer plain = ReduceBitmapColors(grey, rdWebCube, dmNearest);
    std::set<TColor> colors, plainColors;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            colors.insert(out.Pixel(x, y));
            plainColors.insert(plain.Pixel(x, y));
        }
    EXPECT_EQ(colors, (std::set<TColor>{RGB(102, 102, 102), RGB(153, 153, 153)}));
    EXPECT_EQ(plainColors, (std::set<TColor>{RGB(102, 102, 102)}));
}

TEST(ColorReduction, QuantizingFewColoursIsExactAndLeavesBlackPlaces) {
    // 50 distinct colours.
    const TPixelBuffer src = picture(10, 5, [](int x, int y) { return RGB(x * 25, y * 50, 7 + x + y); });
    const TPaletteEntries p = QuantizedPaletteOf(src, 256, 8, true);
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(p[0], SystemPalette20()[0]);
    EXPECT_EQ(p[255], SystemPalette20()[19]);
    for (size_t i = 60; i < 246; ++i) EXPECT_EQ(p[i], TPaletteEntry{}) << i;

    std::set<TColor> quantized;
    for (size_t i = 10; i < 60; ++i) quantized.insert(RGB(p[i].peRed, p[i].peGreen, p[i].peBlue));
    std::set<TColor> original;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x) original.insert(src.Pixel(x, y));
    EXPECT_EQ(quantized, original);

    // Many colours reduce to at most the limit.
    const TPixelBuffer many = picture(64, 64, [](int x, int y) { return RGB(x * 4, y * 4, (x * y) & 255); });
    TPixelBuffer copy = many;
    TDIBReader reader(copy, 24);
    TColorQuantizer q(16, 8);
    q.ProcessImage(reader);
    EXPECT_LE(q.ColorCount(), 16);
    std::vector<TRGBQuad> table;
    q.GetColorTable(table);
    EXPECT_EQ(int(table.size()), q.ColorCount());
}

TEST(ColorReduction, ReductionKindsAndScreens) {
    const TPixelBuffer src = picture(3, 2, [](int x, int y) { return RGB(x * 100, y * 200, 20); });

    const TPixelBuffer none = ReduceBitmapColors(src, rdNone, dmNearest);
    EXPECT_EQ(none.Bits, 24);
    EXPECT_EQ(none.Bytes, src.Bytes);

    const TPixelBuffer cube = ReduceBitmapColors(src, rdWebCube, dmNearest);
    ASSERT_EQ(cube.Bits, 8);
    EXPECT_EQ(cube.Palette.size(), 216u);
    EXPECT_EQ(cube.Pixel(2, 1), RGB(153, 153, 0));  // 200, 200, 20 in the cube

    const TPixelBuffer blank = ReduceBitmapColors(src, rdNoPalette, dmNearest);
    EXPECT_TRUE(blank.Palette.empty());
    EXPECT_EQ(blank.Bytes, std::vector<uint8_t>(6, 0));

    const TPixelBuffer shared = ReduceBitmapColors(src, rdSharedPalette, dmNearest);
    EXPECT_EQ(shared.Palette.size(), 256u);
    EXPECT_EQ(shared.Pixel(0, 0), RGB(0, 0, 0));

    EXPECT_EQ(ReduceForScreen(src, 24).Bytes, src.Bytes);
    EXPECT_EQ(ReduceForScreen(src, 8).Bits, 8);
    EXPECT_EQ(ReduceForScreen(src, 4).Palette, SystemPalette20());
    EXPECT_TRUE(ReduceForScreen(TPixelBuffer{}, 8).Empty());
}

TEST(ColorReduction, DibWriterChecksRowsAndWritesBack) {
    TPixelBuffer b = TPixelBuffer::Make(3, 2, 8);
    {
        TDIBWriter w(b, 8);
        EXPECT_EQ(messageOf([&] { w.GetScanline(-1); }), "Scan line index out of range");
        EXPECT_EQ(messageOf([&] { w.GetScanline(2); }), "Scan line index out of range");
        w.GetScanline(0)[2] = 7;
        w.GetScanline(1)[0] = 9;
        EXPECT_EQ(b.Row(0)[2], 0);  // not before destruction
    }
    EXPECT_EQ(b.Row(0)[2], 7);
    EXPECT_EQ(b.Row(1)[0], 9);

    TPixelBuffer empty;
    TDIBWriter w(empty, 8);
    EXPECT_EQ(messageOf([&] { w.GetScanline(0); }), "Bitmap image is not valid");
    TDIBWriter odd(b, 16);
    EXPECT_EQ(messageOf([&] { odd.GetScanline(0); }), "Invalid pixel format");
    EXPECT_EQ(AlignedRowBytes(3, 8, 32), 4);
    EXPECT_EQ(AlignedRowBytes(5, 24, 32), 16);
    EXPECT_EQ(AlignedRowBytes(9, 1, 32), 4);
}
