// Reducing true-colour pictures to a palette: row access in the layout of
// a device-independent bitmap, target palettes, nearest-colour look-up,
// plain and error-diffusion dithering, and octree quantization.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "html/layout/PixelBuffer.h"
#include "platform/framework/GraphicsErrors.h"

class GIFException : public EInvalidGraphic {
    using EInvalidGraphic::EInvalidGraphic;
};

enum TColorReduction { rdNone, rdSystem20, rdNoPalette, rdWebCube, rdSharedPalette, rdQuantize236 };
enum TDitherMode { dmNearest, dmFloydSteinberg };

struct TBitmapInfoHeader {
    int32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    int16_t biPlanes = 1;
    int16_t biBitCount = 0;
    int32_t biCompression = 0;  // BI_RGB
    int32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0, biYPelsPerMeter = 0;
    int32_t biClrUsed = 0, biClrImportant = 0;
};

struct TRGBQuad {
    uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
};

// Bytes of one row of Pixels pixels of Bits bits, padded to Alignment bits.
int64_t AlignedRowBytes(int64_t Pixels, int Bits, int Alignment);
// Header of Bitmap as a DIB of PixelFormat bits (1, 4, 8 or 24).
void FillBitmapInfoHeader(const TPixelBuffer& Bitmap, TBitmapInfoHeader& Header, int PixelFormat);
void BitmapDIBSizes(const TPixelBuffer& Bitmap, int PixelFormat, int32_t& InfoHeaderSize, int32_t& ImageSize);
// Bottom-up rows of Bitmap in the header's format; false when it cannot be converted.
bool ReadBitmapDIB(const TPixelBuffer& Bitmap, const TBitmapInfoHeader& Header, uint8_t* Bits);
// Changes Bitmap's pixel format (8 or 24 bits); 8 bits leaves it blank and without palette.
void ForcePixelFormat(TPixelBuffer& Bitmap, int Format);

// The system's 20 static colours (the first ten and the last ten of a full palette).
const TPaletteEntries& SystemPalette20();
TPaletteEntries MakeCubePalette();

class TDIB {
public:
    TDIB(TPixelBuffer& ABitmap, int APixelFormat) : FBitmap(&ABitmap), FPixelFormat(APixelFormat) {}
    virtual ~TDIB() = default;
    virtual uint8_t* GetScanline(int Row) = 0;
    TPixelBuffer& Bitmap() const { return *FBitmap; }

protected:
    TPixelBuffer* FBitmap;
    int FPixelFormat;
};

// Reads rows straight from the bitmap, converted to the wanted format.
class TDIBReader : public TDIB {
public:
    TDIBReader(TPixelBuffer& ABitmap, int APixelFormat);
    uint8_t* GetScanline(int Row) override;
};

// Writes into its own DIB copy, put back into the bitmap at destruction.
class TDIBWriter : public TDIB {
public:
    TDIBWriter(TPixelBuffer& ABitmap, int APixelFormat) : TDIB(ABitmap, APixelFormat) {}
    ~TDIBWriter() override;
    uint8_t* GetScanline(int Row) override;

private:
    void CreateDIB();
    void FreeDIB();
    TBitmapInfoHeader FDIBInfo;
    std::vector<TRGBQuad> FColorTable;
    std::vector<uint8_t> FDIBBits;
    int32_t FDIBInfoSize = 0;
    int32_t FDIBBitsSize = 0;
};

class TColorLookup {
public:
    explicit TColorLookup(const TPaletteEntries&) {}
    virtual ~TColorLookup() = default;
    // Palette index of the colour nearest to Red, Green, Blue; R, G, B get that entry's colour.
    virtual int Lookup(int Red, int Green, int Blue, int& R, int& G, int& B) = 0;
    int Colors() const { return FColors; }

protected:
    int FColors = 0;
};

class TFastColorLookup : public TColorLookup {
public:
    explicit TFastColorLookup(const TPaletteEntries& Palette);
    int Lookup(int Red, int Green, int Blue, int& R, int& G, int& B) override;

private:
    static int slot(int r, int g, int b) { return (b / 8) * 1024 + (g / 8) * 32 + r / 8; }
    std::array<TPaletteEntry, 256> FPaletteEntries{};
    std::vector<int16_t> FInverseLookup;
};

// The 216-colour cube of MakeCubePalette, answered by arithmetic.
class TNetscapeColorLookup : public TColorLookup {
public:
    explicit TNetscapeColorLookup(const TPaletteEntries& Palette);
    int Lookup(int Red, int Green, int Blue, int& R, int& G, int& B) override;
};

// Nearest colour, scanning rows alternately left to right and right to left.
class TDitherEngine {
public:
    TDitherEngine(int AWidth, TColorLookup& Lookup);
    virtual ~TDitherEngine() = default;
    virtual int Dither(int Red, int Green, int Blue, int& R, int& G, int& B);
    virtual void NextLine();
    int Direction() const { return FDirection; }
    int Column() const { return FColumn; }

protected:
    int FDirection = 1;
    int FColumn = 0;
    TColorLookup* FLookup;
    int Width;
};

// Floyd-Steinberg error diffusion (weights 7, 3, 5, 1 of 16); errors kept at 16 times their size.
class TFloydSteinbergEngine : public TDitherEngine {
public:
    TFloydSteinbergEngine(int AWidth, TColorLookup& Lookup);
    int Dither(int Red, int Green, int Blue, int& R, int& G, int& B) override;
    void NextLine() override;

private:
    std::vector<int32_t> ErrorsR, ErrorsG, ErrorsB;
    int ErrorR = 0, ErrorG = 0, ErrorB = 0;  // moving positions into the rows
    int32_t CurrentErrorR = 0, CurrentErrorG = 0, CurrentErrorB = 0;
    int32_t BelowErrorR = 0, BelowErrorG = 0, BelowErrorB = 0;
    int32_t BelowPrevErrorR = 0, BelowPrevErrorG = 0, BelowPrevErrorB = 0;
};

struct TOctreeNode {
    bool IsLeaf = false;
    int64_t PixelCount = 0;
    int64_t RedSum = 0, GreenSum = 0, BlueSum = 0;
    TOctreeNode* Next = nullptr;  // in its level's list of reducible nodes
    std::array<std::unique_ptr<TOctreeNode>, 8> Child;
};

class TColorQuantizer {
public:
    TColorQuantizer(int MaxColors, int ColorBits);
    ~TColorQuantizer();
    bool ProcessImage(TDIBReader& Reader);
    void GetColorTable(std::vector<TRGBQuad>& RGBQuadArray) const;
    int ColorCount() const { return FLeafCount; }

private:
    void AddColor(std::unique_ptr<TOctreeNode>& Node, int r, int g, int b, int Level);
    void ReduceTree();
    std::unique_ptr<TOctreeNode> FTree;
    int FLeafCount = 0;
    std::array<TOctreeNode*, 9> FReducibleNodes{};
    int FMaxColors;
    int FColorBits;
};

TPaletteEntries QuantizedPalette(TDIBReader& Reader, int Colors, int ColorBits, bool WithSystemColors);
TPaletteEntries QuantizedPaletteOf(const TPixelBuffer& Bitmap, int Colors, int ColorBits, bool WithSystemColors);

// A new 8-bit picture with its palette (24 bits for rdNone); Bitmap is not changed.
TPixelBuffer ReduceBitmapColors(const TPixelBuffer& Bitmap, TColorReduction Reduction, TDitherMode DitherMode);
// The picture as the screen can show it: a plain copy on screens of more
// than 8 bits, else reduced to the screen's palette. Empty for an empty picture.
TPixelBuffer ReduceForScreen(const TPixelBuffer& Bitmap, int ScreenBits);
// The same for the screen the viewer runs on (ColorBits).
TPixelBuffer ReduceForScreen(const TPixelBuffer& Bitmap);
