#include "html/layout/GifDecoder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/framework/GraphicsErrors.h"

namespace {

constexpr uint8_t kImageDescriptor = 0x2C;
constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControl = 0xF9;
constexpr uint8_t kComment = 0xFE;
constexpr uint8_t kPlainText = 0x01;
constexpr uint8_t kApplication = 0xFF;

constexpr int kTableSize = 4096;

enum GifError {
    geSignature = 1,
    geNoColorTable = 2,
    geOpCode = 4,
    geBlockSize = 5,
    geUnknownExtension = 6,
    geTerminator = 7,
    geCodeSize = 12,
    geLzwData = 13,
    geCodeOverflow = 14,
    geRange = 15,
    geNoDescription = 18,
    geBitmapImage = 19,
    geInterlacePass = 21,
    geEndOfFile = 24,
    geTooLarge = 25,
    geZeroSize = 26,
};

const char* const kMessages[] = {
    "no error",
    "Invalid GIF Signature Code",
    "No Local or Global Color Table for Image",
    "Unknown Graphics Extension Type",
    "Unknown Graphics Operation Code",
    "Invalid Extension Block Size",
    "[special message]",
    "Invalid Extension Block Terminator",
    "Invalid Integer Size",
    "No GIF Terminator Found",
    "Extension Block Out-Of-Order With Image Data",
    "Invalid Image Descriptor Index",
    "Invalid LZW Code Size",
    "Invalid LZW Data Format",
    "LZW Code Overflow",
    "Value Out Of Range",
    "NIL Pointer assigned",
    "Invalid Color Table Size",
    "No Image Description",
    "Invalid Bitmap Image",
    "Invalid Color Table Index",
    "Invalid Interlace Pass",
    "Invalid Bitmap",
    "Too Many Colors In Bitmap",
    "Unexpected end of file",
    "Animated GIF too large",
    "Zero width or height",
    "next message",
};

[[noreturn]] void raise(const std::string& text) { throw EInvalidGraphicOperation("TGif: " + text); }
[[noreturn]] void raise(int number) { raise(std::string(GifErrorText(number))); }

}  // namespace

const char* GifErrorText(int number) {
    constexpr int count = int(sizeof kMessages / sizeof kMessages[0]);
    return number >= 0 && number < count ? kMessages[number] : "";
}

// The file in memory; values read past its end count as 0.
struct TGif::Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    int32_t word() {
        const int32_t lo = byte();
        return lo | (int32_t(byte()) << 8);
    }
    size_t available() const { return pos < size ? size - pos : 0; }
    void skip(size_t n) { pos += std::min(n, available()); }
};

TGif::TGif() = default;

TGif::~TGif() { FreeImage(); }

void TGif::FreeImage() {
    fDataStream.clear();
    fDataStream.shrink_to_fit();
    fExtension.reset();
    fImageDescriptorList.clear();
    fColorTableList.clear();
    fZipData.reset();
    fSignature = TGifSignature{};
    fScreenDescriptor = TGifScreenDescriptor{};
    fTotalPixels = 0;
}

void TGif::LoadFromStream(const uint8_t* data, size_t size) {
    FreeImage();
    Reader in{data, size};
    struct Cleanup {
        TGif& g;
        ~Cleanup() {
            g.fDataStream.clear();
            g.fDataStream.shrink_to_fit();
            g.fExtension.reset();
            g.fZipData.reset();
        }
    } cleanup{*this};

    for (char& c : fSignature.rSignature) c = char(in.byte());
    std::string upper(fSignature.rSignature, 6);
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (upper != "GIF87A" && upper != "GIF89A") raise(geSignature);

    TGifScreenDescriptor& sd = fScreenDescriptor;
    sd.rWidth = in.word();
    sd.rHeight = in.word();
    const uint8_t packed = in.byte();
    sd.rGlobalColorValid = (packed >> 7) & 1;
    sd.rColorResolution = ((packed >> 4) & 7) + 1;
    sd.rSorted = (packed >> 3) & 1;
    sd.rGlobalColorSize = 1 << ((packed & 7) + 1);
    sd.rBackgroundIndex = in.byte();
    sd.rAspectRatio = in.byte();
    sd.rGlobalColorTable = sd.rGlobalColorValid ? readColorTable(in, sd.rGlobalColorSize) : -1;
    // Every frame is the screen's size once composed: refused before any image is read.
    if (FPixelLimit > 0 && int64_t(sd.rWidth) * sd.rHeight > FPixelLimit) raise(geTooLarge);

    for (;;) {
        // A failure after a whole image has been read keeps what was read.
        const size_t before = fImageDescriptorList.size();
        try {
            const uint8_t block = in.byte();
            if (block == 0 || block == kTrailer) break;
            if (block == kImageDescriptor) readImage(in);
            else if (block == kExtension) readExtension(in);
            else raise(geOpCode);
        } catch (...) {
            if (before == 0) throw;
            break;
        }
    }
    if (fImageDescriptorList.empty()) raise(geNoDescription);
}

int32_t TGif::readColorTable(Reader& in, int size) {
    TGifColorTable& t = fColorTableList.emplace_back();
    t.rSize = size;
    for (int i = 0; i < size; ++i) {
        const int r = in.byte();
        const int g = in.byte();
        const int b = in.byte();
        t.rColors[size_t(i)] = RGB(r, g, b);
    }
    return int32_t(fColorTableList.size() - 1);
}

void TGif::readSubBlocks(Reader& in, TGifSubBlockList& list) {
    for (;;) {
        const uint8_t count = in.byte();
        if (count == 0) return;
        if (in.available() < count) raise(geEndOfFile);
        TGifDataSubBlock& b = list.emplace_back();
        b.rSize = count;
        std::memcpy(b.rData, in.data + in.pos, count);
        in.pos += count;
    }
}

void TGif::readImage(Reader& in) {
    auto owned = std::make_unique<TGifImageDescriptor>();
    TGifImageDescriptor& id = *owned;
    id.rIndex = int32_t(fImageDescriptorList.size());
    fImageDescriptorList.push_back(std::move(owned));
    fDataStream.clear();
    if (fExtension) {
        id.rExtensionList = std::move(*fExtension);
        fExtension.reset();
    }

    id.rLeft = in.word();
    id.rTop = in.word();
    id.rWidth = in.word();
    id.rHeight = std::min(in.word(), fScreenDescriptor.rHeight);
    const uint8_t packed = in.byte();
    id.rLocalColorValid = (packed & 0x80) != 0;
    id.rInterlaced = (packed & 0x40) != 0;
    id.rSorted = (packed & 0x20) != 0;
    id.rLocalColorSize = 1 << ((packed & 7) + 1);
    id.rLocalColorTable =
        id.rLocalColorValid ? readColorTable(in, id.rLocalColorSize) : fScreenDescriptor.rGlobalColorTable;
    if (id.rLocalColorTable < 0) raise(geNoColorTable);
    id.rLZWSize = in.byte();

    for (;;) {
        const uint8_t count = in.byte();
        if (count == 0) break;
        if (in.available() < count) raise(geEndOfFile);
        fDataStream.insert(fDataStream.end(), in.data + in.pos, in.data + in.pos + count);
        in.pos += count;
    }

    id.rPixelCount = int64_t(id.rWidth) * int64_t(id.rHeight);
    if (id.rPixelCount == 0) raise(geZeroSize);
    const int64_t totalLimit = FPixelLimit > 0 ? std::min(FPixelLimit, MaxTotalPixels) : MaxTotalPixels;
    if (id.rPixelCount > MaxImagePixels || fTotalPixels + id.rPixelCount > totalLimit) raise(geTooLarge);
    try {
        id.rPixelList.assign(size_t(id.rPixelCount), 0);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory");
    }
    fTotalPixels += id.rPixelCount;
    decodeImage(id);
}

void TGif::readExtension(Reader& in) {
    if (!fExtension) fExtension = std::make_unique<TGifExtensionList>();
    TGifExtension& ext = fExtension->emplace_back();
    ext.rLabel = in.byte();
    switch (ext.rLabel) {
    case kGraphicControl: {
        TGifGraphicControl& g = ext.rGraphic;
        g.rBlockSize = in.byte();
        if (g.rBlockSize != 4) raise(geBlockSize);
        const uint8_t packed = in.byte();
        g.rDisposal = (packed >> 2) & 7;
        g.rUserInputValid = (packed & 2) != 0;
        g.rTransparentValid = (packed & 1) != 0;
        g.rDelayTime = in.word();
        g.rTransparentIndex = in.byte();
        if (in.byte() != 0) raise(geTerminator);
        break;
    }
    case kComment: readSubBlocks(in, ext.rSubBlocks); break;
    case kPlainText: {
        TGifPlainText& t = ext.rPlainText;
        t.rBlockSize = in.byte();
        if (t.rBlockSize != 12) raise(geBlockSize);
        t.rGridLeft = in.word();
        t.rGridTop = in.word();
        t.rGridWidth = in.word();
        t.rGridHeight = in.word();
        t.rCellWidth = in.byte();
        t.rCellHeight = in.byte();
        t.rForegroundIndex = in.byte();
        t.rBackgroundIndex = in.byte();
        readSubBlocks(in, ext.rSubBlocks);
        break;
    }
    case kApplication: {
        TGifApplication& a = ext.rApplication;
        a.rBlockSize = in.byte();
        if (a.rBlockSize != 11) {
            in.skip(size_t(a.rBlockSize));
            readSubBlocks(in, ext.rSubBlocks);
            break;
        }
        for (char& c : a.rIdentifier) c = char(in.byte());
        for (uint8_t& c : a.rAuthentication) c = in.byte();
        readSubBlocks(in, ext.rSubBlocks);
        if (std::memcmp(a.rIdentifier, "NETSCAPE", 8) == 0 && !ext.rSubBlocks.empty() && ext.rSubBlocks[0].rSize == 3)
            FLoopCount = ext.rSubBlocks[0].rData[1] | (ext.rSubBlocks[0].rData[2] << 8);
        break;
    }
    default: {
        char text[40];
        std::snprintf(text, sizeof text, "unknown extension: %04X", unsigned(ext.rLabel));
        raise(std::string(text));
    }
    }
}

void TGif::decodeImage(TGifImageDescriptor& id) {
    // Widths above 12 bits cannot occur in a GIF, and a size of 0 would
    // leave no room for literals.
    if (id.rLZWSize < 1 || id.rLZWSize > 11) raise(geCodeSize);
    fZipData = std::make_unique<TGifZip>();
    TGifZip& z = *fZipData;
    z.rID = &id;
    z.rCT = &fColorTableList[size_t(id.rLocalColorTable)];
    z.rClearCode = 1 << id.rLZWSize;
    z.rEndCode = z.rClearCode + 1;
    z.rHighCode = z.rClearCode - 1;
    z.rCurSize = id.rLZWSize + 1;
    z.rCurSlot = z.rEndCode + 1;
    z.rTopSlot = 1 << z.rCurSize;
    z.rFirstSlot = z.rCurSlot;
    z.rCurPass = 1;

    const std::vector<uint8_t>& data = fDataStream;
    size_t pos = 0;
    uint8_t* const pixels = id.rPixelList.data();
    const int32_t width = id.rWidth;
    const int32_t height = id.rHeight;

    auto dataLeft = [&] { return pos < data.size() || z.rBits >= z.rCurSize; };
    auto nextCode = [&]() -> int32_t {
        if (z.rCurSize > 12) raise(geCodeSize);
        while (z.rBits < z.rCurSize) {
            const uint32_t b = pos < data.size() ? data[pos++] : 0;
            z.rBitString |= b << z.rBits;
            z.rBits += 8;
        }
        const int32_t code = int32_t(z.rBitString & ((1u << z.rCurSize) - 1));
        z.rBitString >>= z.rCurSize;
        z.rBits -= z.rCurSize;
        return code;
    };
    auto push = [&](int32_t value) {
        if (z.rSP >= kTableSize) raise(geCodeOverflow);
        z.rCodeStack[size_t(z.rSP++)] = uint8_t(value);
    };
    // Pushes the string of a code, last value first; answers its first value.
    auto pushString = [&](int32_t code) {
        while (code > z.rHighCode) {
            push(z.rSuffix[size_t(code)]);
            code = z.rPrefix[size_t(code)];
        }
        push(code);
        return code;
    };
    auto addEntry = [&](int32_t prefix, int32_t suffix) {
        if (z.rCurSlot >= kTableSize) return;
        z.rPrefix[size_t(z.rCurSlot)] = uint16_t(prefix);
        z.rSuffix[size_t(z.rCurSlot)] = uint8_t(suffix);
        ++z.rCurSlot;
    };
    auto grow = [&] {
        if (z.rCurSlot >= z.rTopSlot && z.rCurSize < 12) {
            z.rTopSlot <<= 1;
            ++z.rCurSize;
        }
    };
    static constexpr int32_t passStart[5] = {0, 0, 4, 2, 1};
    static constexpr int32_t passStep[5] = {0, 8, 8, 4, 2};
    // Every pixel of the image is written exactly once; the decoding stops
    // when the last one is, so no counter ever runs past the image.
    const int64_t pixelCount = id.rPixelCount;
    auto complete = [&] { return z.rCount >= pixelCount; };
    auto output = [&](int32_t value) {
        if (complete()) return;
        if (z.rCurY >= 0 && z.rCurY < height && z.rCurX < width)
            pixels[int64_t(z.rCurY) * width + z.rCurX] = uint8_t(value);
        ++z.rCount;
        if (++z.rCurX < width) return;
        z.rCurX = 0;
        if (!id.rInterlaced) {
            ++z.rCurY;
            return;
        }
        if (z.rCurPass < 1 || z.rCurPass > 4) raise(geInterlacePass);
        z.rCurY += passStep[z.rCurPass];
        // Passes that start below a short image have no rows: skip them,
        // so that the next row goes where the encoder put it.
        for (int tries = 0; z.rCurY >= height && tries < 4; ++tries) {
            z.rCurPass = z.rCurPass == 4 ? 1 : z.rCurPass + 1;
            z.rCurY = passStart[z.rCurPass];
        }
    };

    int32_t code = nextCode();
    if (code > z.rHighCode && code != z.rClearCode) raise(geLzwData);
    int32_t oldCode = code;
    // A stream that does not start with Clear starts from the initial
    // table: its first literal adds no entry, just as after a Clear.
    if (code <= z.rHighCode) {
        output(code);
        code = dataLeft() && !complete() ? nextCode() : z.rEndCode;
    }
    while (code != z.rEndCode) {
        if (code == z.rClearCode) {
            z.rCurSize = id.rLZWSize + 1;
            z.rCurSlot = z.rEndCode + 1;
            z.rTopSlot = 1 << z.rCurSize;
            do code = nextCode();
            while (code == z.rClearCode);
            if (code == z.rEndCode) raise(geLzwData);
            if (code >= z.rCurSlot) code = 0;
            output(code);
            oldCode = code;
        } else if (code < z.rCurSlot) {
            const int32_t first = pushString(code);
            addEntry(oldCode, first);
            oldCode = code;
            grow();
        } else if (code == z.rCurSlot) {
            int32_t first = oldCode;
            for (int steps = 0; first > z.rHighCode; ++steps) {
                if (steps >= kTableSize) raise(geCodeOverflow);
                first = z.rPrefix[size_t(first)];
            }
            addEntry(oldCode, first);
            grow();
            pushString(code);
            oldCode = code;
        } else {
            raise(geLzwData);
        }
        while (z.rSP > 0) output(z.rCodeStack[size_t(--z.rSP)]);
        // Data after the image's last pixel are not read.
        if (complete() || !dataLeft()) break;
        code = nextCode();
    }
    fZipData.reset();
}

TGifImageDescriptor& TGif::GetImageDescriptor(int i) {
    if (i < 0 || i >= ImageCount()) raise(geRange);
    return *fImageDescriptorList[size_t(i)];
}

const TGifColorTable& TGif::GetColorTable(int i) const {
    if (i < 0 || i >= ColorTableCount()) raise(geRange);
    return fColorTableList[size_t(i)];
}

const TGifGraphicControl* TGif::graphicControl(const TGifImageDescriptor& id) const {
    for (const TGifExtension& e : id.rExtensionList)
        if (e.rLabel == kGraphicControl) return &e.rGraphic;
    return nullptr;
}

bool TGif::Transparent() const {
    for (const auto& id : fImageDescriptorList) {
        const TGifGraphicControl* g = graphicControl(*id);
        if (g && g->rTransparentValid) return true;
    }
    return false;
}

int TGif::GetImageDepth(int i) { return GetColorTable(GetImageDescriptor(i).rLocalColorTable).rSize; }

int TGif::GetImageDelay(int i) {
    const TGifGraphicControl* g = graphicControl(GetImageDescriptor(i));
    return g && g->rDelayTime > 0 ? g->rDelayTime : 1;
}

int TGif::GetImageDisposal(int i) {
    const TGifGraphicControl* g = graphicControl(GetImageDescriptor(i));
    return g ? g->rDisposal & 3 : 0;
}

int TGif::GetTransparentIndex(int i) {
    const TGifGraphicControl* g = graphicControl(GetImageDescriptor(i));
    return g && g->rTransparentValid ? g->rTransparentIndex : -1;
}

const TGifColorTable& TGif::checkedTable(const TGifImageDescriptor& id) const {
    if (id.rPixelList.empty() || int64_t(id.rPixelList.size()) != id.rPixelCount) raise(geBitmapImage);
    if (id.rLocalColorTable < 0 || id.rLocalColorTable >= ColorTableCount()) raise(geNoColorTable);
    return fColorTableList[size_t(id.rLocalColorTable)];
}

const TPixelBuffer& TGif::GetBitmap(int i) {
    TGifImageDescriptor& id = GetImageDescriptor(i);
    if (id.rBitmap) return *id.rBitmap;
    // The image's own copy of its table: another image may use the same
    // shared table with a different transparent index.
    TGifColorTable table = checkedTable(id);
    auto bmp = std::make_unique<TPixelBuffer>(TPixelBuffer::Make(id.rWidth, id.rHeight, 24));
    const int t = GetTransparentIndex(i);
    if (t >= 0 && t < table.rSize) {
        table.rColors[size_t(t)] = TransparentColor;
        bmp->TransparentColor = TransparentColor;
    }
    const uint8_t* p = id.rPixelList.data();
    for (int y = 0; y < id.rHeight; ++y) {
        uint8_t* row = bmp->Row(y);
        for (int x = 0; x < id.rWidth; ++x, ++p, row += 3) {
            const TColor c = table.rColors[*p];
            row[0] = uint8_t(c >> 16);
            row[1] = uint8_t(c >> 8);
            row[2] = uint8_t(c);
        }
    }
    id.rBitmap = std::move(bmp);
    return *id.rBitmap;
}

TPixelBuffer TGif::GetStripBitmap(TPixelBuffer& Mask) {
    Mask = TPixelBuffer{};
    const int64_t W = fScreenDescriptor.rWidth;
    const int64_t H = fScreenDescriptor.rHeight;
    const int64_t N = ImageCount();
    if (N == 0) raise(geNoDescription);
    if (W <= 0 || H <= 0) raise(geZeroSize);
    const bool transparent = Transparent();
    const int64_t stride = (3 * W * N + 3) / 4 * 4;
    const int64_t limit = transparent ? 100'000'000 : 200'000'000;
    if (stride * H + 54 > limit) raise(geTooLarge);
    if (FPixelLimit > 0 && W * N * H > FPixelLimit) raise(geTooLarge);

    TPixelBuffer strip = TPixelBuffer::Make(int(W * N), int(H), 24);
    TPixelBuffer mask;
    if (transparent) {
        mask = TPixelBuffer::Make(int(W * N), int(H), 8);
        std::fill(mask.Bytes.begin(), mask.Bytes.end(), uint8_t(255));
    }
    for (int i = 0; i < N; ++i) {
        const TGifImageDescriptor& id = *fImageDescriptorList[size_t(i)];
        const TGifColorTable& table = checkedTable(id);
        const int t = GetTransparentIndex(i);
        const int64_t x0 = i * W;
        const int64_t cols = std::clamp<int64_t>(W - id.rLeft, 0, id.rWidth);
        for (int r = 0; r < id.rHeight && id.rTop + r < H; ++r) {
            const uint8_t* src = id.rPixelList.data() + int64_t(r) * id.rWidth;
            uint8_t* dst = strip.Row(id.rTop + r) + (x0 + id.rLeft) * 3;
            uint8_t* m = transparent ? mask.Row(id.rTop + r) + x0 + id.rLeft : nullptr;
            for (int64_t c = 0; c < cols; ++c, dst += 3) {
                const int p = src[c];
                if (p != t) {
                    const TColor col = table.rColors[size_t(p)];
                    dst[0] = uint8_t(col >> 16);
                    dst[1] = uint8_t(col >> 8);
                    dst[2] = uint8_t(col);
                } else if (i == 0) {
                    dst[0] = dst[1] = dst[2] = 0;
                }
                if (m && (i == 0 || p != t)) m[c] = p == t ? 255 : 0;
            }
        }
        if (i == N - 1) break;
        for (int64_t y = 0; y < H; ++y) {
            uint8_t* row = strip.Row(int(y));
            std::memcpy(row + (x0 + W) * 3, row + x0 * 3, size_t(W) * 3);
            if (transparent) {
                uint8_t* mrow = mask.Row(int(y));
                std::memcpy(mrow + x0 + W, mrow + x0, size_t(W));
            }
        }
        const int disposal = GetImageDisposal(i);
        if (transparent && (disposal == 2 || disposal == 3)) {
            for (int r = 0; r < id.rHeight && id.rTop + r < H; ++r)
                std::memset(mask.Row(id.rTop + r) + x0 + W + id.rLeft, 255, size_t(cols));
        }
    }
    Mask = std::move(mask);
    return strip;
}
