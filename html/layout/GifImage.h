// The viewer's animated picture: the composed frames of a GIF side by side
// in one strip bitmap with its mask, the frame list with delays, and the
// clock check that moves to the next frame.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/framework/Graphics.h"
#include "platform/framework/Streams.h"

class TWinControl;

enum TDisposalType { dtUndefined, dtDoNothing, dtToBackground, dtToPrevious };

struct TgfFrame {
    int32_t frLeft = 0, frTop = 0, frWidth = 0, frHeight = 0;
    int32_t frDelay = 0;  // milliseconds
    TDisposalType frDisposalMethod = dtUndefined;
    bool IsCopy = false;
};

class TgfFrameList {
public:
    int Count() const { return int(FFrames.size()); }
    // Numbered from 1.
    TgfFrame& GetFrame(int I) { return FFrames.at(size_t(I - 1)); }
    const TgfFrame& GetFrame(int I) const { return FFrames.at(size_t(I - 1)); }
    void Add(const TgfFrame& f) { FFrames.push_back(f); }

private:
    std::vector<TgfFrame> FFrames;
};

// A bitmap that carries its own transparency mask (monochrome, white =
// transparent) and draws any part of itself through it.
class ThtBitmap : public TBitmap {
public:
    ThtBitmap() = default;
    std::unique_ptr<TBitmap> htMask;
    bool htTransparent = false;
    void Draw(TCanvas* Canvas, const TRect& Rect);
    void DrawPart(TCanvas* Canvas, const TRect& DestRect, const TRect& SrcRect);
};

// Milliseconds of a monotonic clock; CheckTime reads it. Tests put their
// own clock and restore the previous one, which this returns.
using TGifClock = std::function<uint32_t()>;
TGifClock SetGifClock(TGifClock Clock);

class TGIFImage : public TObject {
public:
    // A new picture from the whole stream (from its start); a GIF that does
    // not load raises. NonAnimated is true for fewer than two frames and on
    // failure. MaxPixels (0: no limit but the decoder's own) bounds what the
    // picture may cost: its screen, its images and its frame strip.
    static std::unique_ptr<TGIFImage> LoadGifFromStream(bool& NonAnimated, TStream& Stream, int64_t MaxPixels = 0);
    static std::unique_ptr<TGIFImage> LoadGifFromBytes(bool& NonAnimated, const uint8_t* data, size_t size,
                                                       int64_t MaxPixels = 0);

    TGIFImage();
    // A second animation over the same strip (shared ownership: the strip
    // lives as long as any picture drawing it).
    static std::unique_ptr<TGIFImage> CreateCopy(const TGIFImage& Item);
    ~TGIFImage() override;
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    void Draw(TCanvas* Canvas, int X, int Y, int Wid, int Ht);
    // Moves on when the current frame's time is up and asks the control to repaint.
    void CheckTime(TWinControl* WinControl);

    bool IsAnimated() const { return FAnimated; }
    int CurrentFrame() const { return FCurrentFrame; }
    void SetCurrentFrame(int Value);
    int Width() const { return FImageWidth; }
    int Height() const { return FImageHeight; }
    int NumFrames() const { return FNumFrames; }
    int NumIterations() const { return FNumIterations; }
    bool IsTransparent() const { return FTransparent; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    bool Animate() const { return FAnimate; }
    void SetAnimate(bool Value);
    // The first frame and its mask (none unless transparent), made on demand.
    TBitmap* MaskedBitmap();
    TBitmap* Bitmap() { return MaskedBitmap(); }
    TBitmap* Mask();
    const TRect& StretchedRect() const { return FStretchedRect; }
    TDisposalType LastDisposal() const { return WasDisposal; }
    const TgfFrameList& FrameList() const { return Frames; }
    const std::shared_ptr<ThtBitmap>& StripBitmap() const { return Strip; }

    bool ShowIt = false;  // drawn since the last layout
    bool IsCopy = false;  // shares another picture's strip

private:
    bool FAnimated = false;
    int32_t FCurrentFrame = 1;
    int32_t FImageWidth = 0, FImageHeight = 0;
    int32_t FNumFrames = 0;
    int32_t FNumIterations = 1;
    bool FTransparent = false;
    bool FVisible = true;
    std::shared_ptr<ThtBitmap> Strip;
    std::unique_ptr<TBitmap> FMaskedBitmap;
    std::unique_ptr<TBitmap> FMask;
    bool FAnimate = false;
    TRect FStretchedRect;
    TDisposalType WasDisposal = dtUndefined;
    TgfFrameList Frames;
    int32_t CurrentIteration = 1;
    uint32_t LastTime = 0;
    uint32_t CurrentInterval = 0;
};
