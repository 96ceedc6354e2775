#include "html/layout/ColorReduction.h"

#include "html/layout/HtmlScreen.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kNotValid = "Bitmap image is not valid";

int formatBits(int PixelFormat) {
    switch (PixelFormat) {
    case 1:
    case 4:
    case 8:
    case 24: return PixelFormat;
    default: throw GIFException("Invalid pixel format");
    }
}

// The bitmap as 24 bits (an 8-bit one through its palette).
TPixelBuffer to24(const TPixelBuffer& b) {
    if (b.Bits == 24) return b;
    TPixelBuffer out = TPixelBuffer::Make(b.Width, b.Height, 24);
    for (int y = 0; y < b.Height; ++y)
        for (int x = 0; x < b.Width; ++x) out.SetPixel(x, y, b.Pixel(x, y));
    out.TransparentColor = b.TransparentColor;
    return out;
}

TPaletteEntries entriesOf(const std::vector<TColor>& colors) {
    TPaletteEntries p;
    for (TColor c : colors) p.push_back({uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
    return p;
}

}  // namespace

int64_t AlignedRowBytes(int64_t Pixels, int Bits, int Alignment) {
    return (Pixels * Bits + Alignment - 1) / Alignment * Alignment / 8;
}

void FillBitmapInfoHeader(const TPixelBuffer& Bitmap, TBitmapInfoHeader& Header, int PixelFormat) {
    if (Bitmap.Empty()) throw GIFException(kNotValid);
    const int bits = formatBits(PixelFormat);
    Header = TBitmapInfoHeader{};
    Header.biWidth = Bitmap.Width;
    Header.biHeight = Bitmap.Height;
    Header.biBitCount = int16_t(bits);
    const int64_t size = AlignedRowBytes(Bitmap.Width, bits, 32) * Bitmap.Height;
    if (size > TPixelBuffer::MaxBytes) throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    Header.biSizeImage = int32_t(size);
}

void BitmapDIBSizes(const TPixelBuffer& Bitmap, int PixelFormat, int32_t& InfoHeaderSize, int32_t& ImageSize) {
    TBitmapInfoHeader h;
    FillBitmapInfoHeader(Bitmap, h, PixelFormat);
    InfoHeaderSize = h.biBitCount <= 8 ? 40 + 4 * (1 << h.biBitCount) : 40;
    ImageSize = h.biSizeImage;
}

bool ReadBitmapDIB(const TPixelBuffer& Bitmap, const TBitmapInfoHeader& Header, uint8_t* Bits) {
    if (Header.biBitCount != Bitmap.Bits && !(Header.biBitCount == 24 && Bitmap.Bits == 8)) return false;
    const TPixelBuffer src = Header.biBitCount == Bitmap.Bits ? TPixelBuffer{} : to24(Bitmap);
    const TPixelBuffer& from = Header.biBitCount == Bitmap.Bits ? Bitmap : src;
    const size_t stride = size_t(AlignedRowBytes(Header.biWidth, Header.biBitCount, 32));
    for (int y = 0; y < from.Height; ++y)
        std::memcpy(Bits + size_t(from.Height - 1 - y) * stride, from.Row(y), from.Stride());
    return from.Height > 0;
}

void ForcePixelFormat(TPixelBuffer& Bitmap, int Format) {
    if (Format == 8) {
        Bitmap = TPixelBuffer::Make(Bitmap.Width, Bitmap.Height, 8);
        return;
    }
    if (Format != 24) throw GIFException("Invalid pixel format");
    Bitmap = to24(Bitmap);
}

const TPaletteEntries& SystemPalette20() {
    // The static colours are the shared palette's first and last ten.
    static const TPaletteEntries entries = [] {
        const TPaletteEntries all = entriesOf(CreateSharedPalette());
        TPaletteEntries p(all.begin(), all.begin() + 10);
        p.insert(p.end(), all.end() - 10, all.end());
        return p;
    }();
    return entries;
}

TPaletteEntries MakeCubePalette() {
    TPaletteEntries p(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p[size_t(r * 36 + g * 6 + b)] = {uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51), 0};
    return p;
}

// ---- DIB access

TDIBReader::TDIBReader(TPixelBuffer& ABitmap, int APixelFormat) : TDIB(ABitmap, APixelFormat) {
    if (APixelFormat != ABitmap.Bits) ForcePixelFormat(ABitmap, APixelFormat);
}

uint8_t* TDIBReader::GetScanline(int Row) {
    if (Row < 0 || Row >= FBitmap->Height) throw EInvalidGraphicOperation("Scan line index out of range");
    return FBitmap->Row(Row);
}

TDIBWriter::~TDIBWriter() {
    if (FDIBBits.empty()) return;
    // Put the rows back in the bitmap's own (top-down, packed) layout.
    TPixelBuffer& b = *FBitmap;
    const int bits = FDIBInfo.biBitCount;
    if (bits == 8 || bits == 24) {
        const TPaletteEntries palette = b.Palette;
        TPixelBuffer out = TPixelBuffer::Make(FDIBInfo.biWidth, FDIBInfo.biHeight, bits);
        const size_t stride = size_t(AlignedRowBytes(FDIBInfo.biWidth, bits, 32));
        for (int y = 0; y < out.Height; ++y)
            std::memcpy(out.Row(y), FDIBBits.data() + size_t(out.Height - 1 - y) * stride, out.Stride());
        out.Palette = bits == 8 ? palette : TPaletteEntries{};
        out.TransparentColor = b.TransparentColor;
        b = std::move(out);
    }
    FreeDIB();
}

void TDIBWriter::FreeDIB() {
    FDIBBits.clear();
    FColorTable.clear();
    FDIBInfoSize = FDIBBitsSize = 0;
}

void TDIBWriter::CreateDIB() {
    if (FBitmap->Empty()) throw GIFException(kNotValid);
    FreeDIB();
    try {
        BitmapDIBSizes(*FBitmap, FPixelFormat, FDIBInfoSize, FDIBBitsSize);
        FillBitmapInfoHeader(*FBitmap, FDIBInfo, FPixelFormat);
        try {
            FDIBBits.assign(size_t(FDIBBitsSize), 0);
        } catch (const std::bad_alloc&) {
            throw EOutOfMemory("Failed to allocate memory for GIF DIB");
        }
        if (!ReadBitmapDIB(*FBitmap, FDIBInfo, FDIBBits.data())) throw GIFException("Failed to create DIB from Bitmap");
        if (FDIBInfo.biBitCount <= 8 && !FBitmap->Palette.empty()) {
            const int c = FDIBInfo.biClrUsed ? FDIBInfo.biClrUsed : 1 << FDIBInfo.biBitCount;
            const int n = std::min(int(FBitmap->Palette.size()), c);
            FColorTable.assign(size_t(c), TRGBQuad{});
            for (int i = 0; i < n; ++i) {
                const TPaletteEntry& e = FBitmap->Palette[size_t(i)];
                FColorTable[size_t(i)] = {e.peBlue, e.peGreen, e.peRed, 0};
            }
        }
    } catch (...) {
        FreeDIB();
        throw;
    }
}

uint8_t* TDIBWriter::GetScanline(int Row) {
    if (FDIBBits.empty()) CreateDIB();
    if (FDIBBits.empty()) throw GIFException("Image has no DIB");
    if (Row < 0 || Row >= FBitmap->Height) throw EInvalidGraphicOperation("Scan line index out of range");
    const size_t stride = size_t(AlignedRowBytes(FDIBInfo.biWidth, FDIBInfo.biBitCount, 32));
    return FDIBBits.data() + size_t(FDIBInfo.biHeight - 1 - Row) * stride;
}

// ---- colour look-up

TFastColorLookup::TFastColorLookup(const TPaletteEntries& Palette)
    : TColorLookup(Palette), FInverseLookup(32768, int16_t(-1)) {
    FColors = int(std::min<size_t>(Palette.size(), 256));
    for (int i = 0; i < FColors; ++i) {
        const TPaletteEntry& e = FPaletteEntries[size_t(i)] = Palette[size_t(i)];
        int16_t& s = FInverseLookup[size_t(slot(e.peRed, e.peGreen, e.peBlue))];
        if (s == -1) s = int16_t(i);  // the first entry wins
    }
}

int TFastColorLookup::Lookup(int Red, int Green, int Blue, int& R, int& G, int& B) {
    int16_t& s = FInverseLookup[size_t(slot(Red, Green, Blue))];
    if (s == -1) {
        int best = 0, bestDiff = 1 << 30;
        for (int i = 0; i < FColors; ++i) {
            const TPaletteEntry& e = FPaletteEntries[size_t(i)];
            const int d = std::abs(Red - e.peRed) + std::abs(Green - e.peGreen) + std::abs(Blue - e.peBlue);
            if (d < bestDiff) {
                bestDiff = d;
                best = i;
            }
        }
        s = int16_t(best);
    }
    const TPaletteEntry& e = FPaletteEntries[size_t(s)];
    R = e.peRed;
    G = e.peGreen;
    B = e.peBlue;
    return s;
}

TNetscapeColorLookup::TNetscapeColorLookup(const TPaletteEntries& Palette) : TColorLookup(Palette) { FColors = 216; }

int TNetscapeColorLookup::Lookup(int Red, int Green, int Blue, int& R, int& G, int& B) {
    const int r = (Red + 3) / 51, g = (Green + 3) / 51, b = (Blue + 3) / 51;
    R = r * 51;
    G = g * 51;
    B = b * 51;
    return r * 36 + g * 6 + b;
}

// ---- dithering

TDitherEngine::TDitherEngine(int AWidth, TColorLookup& Lookup) : FLookup(&Lookup), Width(AWidth) {}

int TDitherEngine::Dither(int Red, int Green, int Blue, int& R, int& G, int& B) {
    const int index = FLookup->Lookup(Red, Green, Blue, R, G, B);
    FColumn += FDirection;
    return index;
}

void TDitherEngine::NextLine() {
    FDirection = -FDirection;
    FColumn = FDirection == 1 ? 0 : Width - 1;
}

TFloydSteinbergEngine::TFloydSteinbergEngine(int AWidth, TColorLookup& Lookup)
    : TDitherEngine(AWidth, Lookup), ErrorsR(size_t(AWidth) + 2, 0), ErrorsG(size_t(AWidth) + 2, 0),
      ErrorsB(size_t(AWidth) + 2, 0) {}

int TFloydSteinbergEngine::Dither(int Red, int Green, int Blue, int& R, int& G, int& B) {
    const int d = FDirection;
    auto wanted = [&](int v, const std::vector<int32_t>& errors, int pos, int32_t current) {
        return std::clamp(v + (errors[size_t(pos + d)] + current + 8) / 16, 0, 255);
    };
    const int r = wanted(Red, ErrorsR, ErrorR, CurrentErrorR);
    const int g = wanted(Green, ErrorsG, ErrorG, CurrentErrorG);
    const int b = wanted(Blue, ErrorsB, ErrorB, CurrentErrorB);
    const int index = TDitherEngine::Dither(r, g, b, R, G, B);
    auto spread = [](int e, std::vector<int32_t>& errors, int& pos, int32_t& current, int32_t& below,
                     int32_t& belowPrev, int dir) {
        errors[size_t(pos)] = belowPrev + 3 * e;
        belowPrev = below + 5 * e;
        below = e;
        current = 7 * e;
        pos += dir;
    };
    spread(r - R, ErrorsR, ErrorR, CurrentErrorR, BelowErrorR, BelowPrevErrorR, d);
    spread(g - G, ErrorsG, ErrorG, CurrentErrorG, BelowErrorG, BelowPrevErrorG, d);
    spread(b - B, ErrorsB, ErrorB, CurrentErrorB, BelowErrorB, BelowPrevErrorB, d);
    return index;
}

void TFloydSteinbergEngine::NextLine() {
    ErrorsR[size_t(ErrorR)] = BelowPrevErrorR;
    ErrorsG[size_t(ErrorG)] = BelowPrevErrorG;
    ErrorsB[size_t(ErrorB)] = BelowPrevErrorB;
    CurrentErrorR = CurrentErrorG = CurrentErrorB = 0;
    BelowErrorR = BelowErrorG = BelowErrorB = 0;
    BelowPrevErrorR = BelowPrevErrorG = BelowPrevErrorB = 0;
    TDitherEngine::NextLine();
    ErrorR = ErrorG = ErrorB = FDirection == 1 ? 0 : Width + 1;
}

// ---- octree quantization

TColorQuantizer::TColorQuantizer(int MaxColors, int ColorBits)
    : FMaxColors(MaxColors), FColorBits(std::clamp(ColorBits, 1, 8)) {}

TColorQuantizer::~TColorQuantizer() = default;

void TColorQuantizer::AddColor(std::unique_ptr<TOctreeNode>& Node, int r, int g, int b, int Level) {
    TOctreeNode* node = Node.get();
    for (;;) {
        if (!node) {
            Node = std::make_unique<TOctreeNode>();
            node = Node.get();
            if (Level == FColorBits) {
                node->IsLeaf = true;
                ++FLeafCount;
            } else {
                node->Next = FReducibleNodes[size_t(Level)];
                FReducibleNodes[size_t(Level)] = node;
            }
        }
        if (node->IsLeaf) {
            ++node->PixelCount;
            node->RedSum += r;
            node->GreenSum += g;
            node->BlueSum += b;
            return;
        }
        const int m = 0x80 >> Level, s = 7 - Level;
        const int index = (((r & m) >> s) << 2) | (((g & m) >> s) << 1) | ((b & m) >> s);
        std::unique_ptr<TOctreeNode>& child = node->Child[size_t(index)];
        ++Level;
        if (!child) return AddColor(child, r, g, b, Level);
        node = child.get();
    }
}

void TColorQuantizer::ReduceTree() {
    int level = FColorBits - 1;
    while (level > 0 && !FReducibleNodes[size_t(level)]) --level;
    TOctreeNode* node = FReducibleNodes[size_t(level)];
    if (!node) return;
    FReducibleNodes[size_t(level)] = node->Next;
    int children = 0;
    for (auto& c : node->Child) {
        if (!c) continue;
        node->RedSum += c->RedSum;
        node->GreenSum += c->GreenSum;
        node->BlueSum += c->BlueSum;
        node->PixelCount += c->PixelCount;
        c.reset();
        ++children;
    }
    node->IsLeaf = true;
    FLeafCount -= children - 1;
}

bool TColorQuantizer::ProcessImage(TDIBReader& Reader) {
    const TPixelBuffer& b = Reader.Bitmap();
    for (int y = 0; y < b.Height; ++y) {
        const uint8_t* p = Reader.GetScanline(y);
        for (int x = 0; x < b.Width; ++x, p += 3) {
            AddColor(FTree, p[2], p[1], p[0], 0);
            // A tree that cannot shrink further (a limit below 1) stops the reduction.
            while (FLeafCount > FMaxColors) {
                const int before = FLeafCount;
                ReduceTree();
                if (FLeafCount == before && !FReducibleNodes[0]) break;
            }
        }
    }
    return true;
}

void TColorQuantizer::GetColorTable(std::vector<TRGBQuad>& RGBQuadArray) const {
    RGBQuadArray.clear();
    auto walk = [&](auto&& self, const TOctreeNode* n) -> void {
        if (!n) return;
        if (n->IsLeaf) {
            TRGBQuad q;
            if (n->PixelCount > 0) {
                q.rgbRed = uint8_t(n->RedSum / n->PixelCount);
                q.rgbGreen = uint8_t(n->GreenSum / n->PixelCount);
                q.rgbBlue = uint8_t(n->BlueSum / n->PixelCount);
            }
            RGBQuadArray.push_back(q);
            return;
        }
        for (const auto& c : n->Child) self(self, c.get());
    };
    walk(walk, FTree.get());
}

TPaletteEntries QuantizedPalette(TDIBReader& Reader, int Colors, int ColorBits, bool WithSystemColors) {
    int offset = 0;
    TPaletteEntries p(size_t(std::max(Colors, 0)));
    if (WithSystemColors) {
        p.assign(256, TPaletteEntry{});
        const TPaletteEntries& sys = SystemPalette20();
        std::copy(sys.begin(), sys.begin() + 10, p.begin());
        std::copy(sys.begin() + 10, sys.end(), p.begin() + 246);
        Colors = 236;
        offset = 10;
    }
    TColorQuantizer q(Colors, ColorBits);
    q.ProcessImage(Reader);
    std::vector<TRGBQuad> table;
    q.GetColorTable(table);
    for (size_t i = 0; i < table.size() && i < size_t(Colors); ++i)
        p[offset + i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, table[i].rgbReserved};
    return p;
}

TPaletteEntries QuantizedPaletteOf(const TPixelBuffer& Bitmap, int Colors, int ColorBits, bool WithSystemColors) {
    TPixelBuffer copy = to24(Bitmap);
    TDIBReader reader(copy, 24);
    return QuantizedPalette(reader, Colors, ColorBits, WithSystemColors);
}

// ---- reduction

TPixelBuffer ReduceBitmapColors(const TPixelBuffer& Bitmap, TColorReduction Reduction, TDitherMode DitherMode) {
    if (Reduction == rdNone) return to24(Bitmap);
    TPixelBuffer result = TPixelBuffer::Make(Bitmap.Width, Bitmap.Height, 8);
    TPixelBuffer source = to24(Bitmap);
    TDIBReader reader(source, 24);
    switch (Reduction) {
    case rdSystem20: result.Palette = SystemPalette20(); break;
    case rdWebCube: result.Palette = MakeCubePalette(); break;
    case rdSharedPalette: result.Palette = entriesOf(ThePalette ? *ThePalette : CreateSharedPalette()); break;
    case rdQuantize236: result.Palette = QuantizedPaletteOf(source, 256, 8, true); break;
    default: return result;
    }
    std::unique_ptr<TColorLookup> lookup;
    if (Reduction == rdWebCube) lookup = std::make_unique<TNetscapeColorLookup>(result.Palette);
    else lookup = std::make_unique<TFastColorLookup>(result.Palette);
    if (lookup->Colors() == 0 || result.Empty()) return result;
    std::unique_ptr<TDitherEngine> engine;
    if (DitherMode == dmNearest) engine = std::make_unique<TDitherEngine>(result.Width, *lookup);
    else if (DitherMode == dmFloydSteinberg) engine = std::make_unique<TFloydSteinbergEngine>(result.Width, *lookup);
    else return result;
    {
        TDIBWriter writer(result, 8);
        for (int y = 0; y < result.Height; ++y) {
            const uint8_t* src = reader.GetScanline(y);
            uint8_t* dst = writer.GetScanline(y);
            for (int x = engine->Column(); x >= 0 && x < result.Width; x = engine->Column()) {
                int R, G, B;
                const uint8_t* p = src + size_t(x) * 3;
                dst[x] = uint8_t(engine->Dither(p[2], p[1], p[0], R, G, B));
            }
            engine->NextLine();
        }
    }
    return result;
}

TPixelBuffer ReduceForScreen(const TPixelBuffer& Bitmap, int ScreenBits) {
    if (Bitmap.Empty()) return TPixelBuffer{};
    if (ScreenBits > 8) return Bitmap;
    return ReduceBitmapColors(Bitmap, ScreenBits < 8 ? rdSystem20 : rdSharedPalette, dmFloydSteinberg);
}

TPixelBuffer ReduceForScreen(const TPixelBuffer& Bitmap) { return ReduceForScreen(Bitmap, ColorBits); }
