// Reading GIF87a and GIF89a files into memory, and composing their frames
// side by side into one strip with a transparency mask.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/layout/PixelBuffer.h"

struct TGifSignature {
    char rSignature[6] = {'-', '-', '-', '-', '-', '-'};
};

struct TGifScreenDescriptor {
    int32_t rWidth = 0;
    int32_t rHeight = 0;
    int32_t rGlobalColorValid = 0;
    int32_t rColorResolution = 0;
    int32_t rSorted = 0;
    int32_t rGlobalColorSize = 0;
    int32_t rBackgroundIndex = 0;
    int32_t rAspectRatio = 0;
    int32_t rGlobalColorTable = 0;
};

// Colours are 0x00BBGGRR; entries from rSize on stay 0 (black).
struct TGifColorTable {
    int32_t rSize = 0;
    std::array<TColor, 256> rColors{};
};

struct TGifDataSubBlock {
    int32_t rSize = 0;
    uint8_t rData[255] = {};
};
using TGifSubBlockList = std::vector<TGifDataSubBlock>;

struct TGifGraphicControl {
    int32_t rBlockSize = 0;
    int32_t rDisposal = 0;
    bool rUserInputValid = false;
    bool rTransparentValid = false;
    int32_t rDelayTime = 0;  // hundredths of a second
    int32_t rTransparentIndex = 0;
};

struct TGifPlainText {
    int32_t rBlockSize = 0;
    int32_t rGridLeft = 0, rGridTop = 0, rGridWidth = 0, rGridHeight = 0;
    uint8_t rCellWidth = 0, rCellHeight = 0, rForegroundIndex = 0, rBackgroundIndex = 0;
};

struct TGifApplication {
    int32_t rBlockSize = 0;
    char rIdentifier[8] = {};
    uint8_t rAuthentication[3] = {};
};

// One extension block; the part that matches rLabel is filled.
struct TGifExtension {
    uint8_t rLabel = 0;
    TGifGraphicControl rGraphic;
    TGifPlainText rPlainText;
    TGifApplication rApplication;
    TGifSubBlockList rSubBlocks;  // comment, plain text and application data
};
using TGifExtensionList = std::vector<TGifExtension>;

struct TGifImageDescriptor {
    int32_t rIndex = 0;
    int32_t rLeft = 0, rTop = 0, rWidth = 0, rHeight = 0;
    bool rLocalColorValid = false;
    bool rInterlaced = false;
    bool rSorted = false;
    int32_t rLocalColorSize = 0;
    int32_t rLocalColorTable = -1;  // the table this image uses: its own or the global one
    int32_t rLZWSize = 0;
    TGifExtensionList rExtensionList;
    std::vector<uint8_t> rPixelList;  // colour indices, rows top to bottom
    int64_t rPixelCount = 0;
    std::unique_ptr<TPixelBuffer> rBitmap;
};

// State of one LZW decoding.
struct TGifZip {
    TGifImageDescriptor* rID = nullptr;
    const TGifColorTable* rCT = nullptr;
    std::array<uint16_t, 4096> rPrefix{};
    std::array<uint8_t, 4096> rSuffix{};
    std::array<uint8_t, 4096> rCodeStack{};
    int32_t rSP = 0;
    int32_t rClearCode = 0, rEndCode = 0, rHighCode = 0;
    int32_t rCurSize = 0;
    uint32_t rBitString = 0;
    int32_t rBits = 0;
    int32_t rCurSlot = 0, rTopSlot = 0, rMaxVal = 0;
    int32_t rCurX = 0, rCurY = 0, rCurPass = 1;
    int32_t rFirstSlot = 0, rNextSlot = 0;
    int64_t rCount = 0;
    int32_t rLast = 0;
    bool rUnget = false;
};

// Messages of the decoder by number; raised as "TGif: %s".
const char* GifErrorText(int number);

class TGif {
public:
    // Colour put in place of an image's transparent index in its own bitmap.
    static constexpr TColor TransparentColor = 1509157;
    // Most pixels one image, and all images together, may have.
    static constexpr int64_t MaxImagePixels = 50'000'000;
    static constexpr int64_t MaxTotalPixels = 200'000'000;

    TGif();
    ~TGif();
    // The most pixels this picture may cost, set before loading: its logical
    // screen, its images together and its frame strip each stay within it
    // (error 25 otherwise), checked before they are decoded. 0: only the
    // fixed limits above apply.
    void SetPixelLimit(int64_t Pixels) { FPixelLimit = Pixels; }
    int64_t PixelLimit() const { return FPixelLimit; }
    TGif(const TGif&) = delete;
    TGif& operator=(const TGif&) = delete;

    void FreeImage();
    // Decodes a whole file held in memory.
    void LoadFromStream(const uint8_t* data, size_t size);
    void LoadFromStream(std::string_view data) {
        LoadFromStream(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    }

    std::string Signature() const { return std::string(fSignature.rSignature, 6); }
    const TGifScreenDescriptor& ScreenDescriptor() const { return fScreenDescriptor; }
    int ImageCount() const { return int(fImageDescriptorList.size()); }
    int ColorTableCount() const { return int(fColorTableList.size()); }
    int Width() const { return fScreenDescriptor.rWidth; }
    int Height() const { return fScreenDescriptor.rHeight; }
    bool Transparent() const;
    TColor GetTransparentColor() const { return TransparentColor; }
    int LoopCount() const { return FLoopCount; }

    TGifImageDescriptor& GetImageDescriptor(int i);
    const TGifColorTable& GetColorTable(int i) const;
    // The image's own picture; the transparent index shows TransparentColor.
    const TPixelBuffer& GetBitmap(int i);
    int GetImageLeft(int i) { return GetImageDescriptor(i).rLeft; }
    int GetImageTop(int i) { return GetImageDescriptor(i).rTop; }
    int GetImageWidth(int i) { return GetImageDescriptor(i).rWidth; }
    int GetImageHeight(int i) { return GetImageDescriptor(i).rHeight; }
    int GetImageDepth(int i);
    int GetImageDelay(int i);
    int GetImageDisposal(int i);
    int GetTransparentIndex(int i);

    // The frames side by side, each as shown at its turn. Mask gets a
    // mask of the same size (255 transparent, 0 opaque) when the GIF is
    // transparent and is emptied otherwise.
    TPixelBuffer GetStripBitmap(TPixelBuffer& Mask);

private:
    struct Reader;
    void readImage(Reader& in);
    void readExtension(Reader& in);
    void readSubBlocks(Reader& in, TGifSubBlockList& list);
    int32_t readColorTable(Reader& in, int size);
    void decodeImage(TGifImageDescriptor& id);
    void makeBitmaps();
    const TGifGraphicControl* graphicControl(const TGifImageDescriptor& id) const;
    // An image that can be rendered, or error 19/2.
    const TGifColorTable& checkedTable(const TGifImageDescriptor& id) const;

    std::vector<uint8_t> fDataStream;
    std::unique_ptr<TGifExtensionList> fExtension;
    TGifSignature fSignature;
    TGifScreenDescriptor fScreenDescriptor;
    std::vector<std::unique_ptr<TGifImageDescriptor>> fImageDescriptorList;
    std::vector<TGifColorTable> fColorTableList;
    std::unique_ptr<TGifZip> fZipData;
    int64_t fTotalPixels = 0;
    int64_t FPixelLimit = 0;
    int FLoopCount = -1;
};
