#include "html/layout/GifImage.h"

#include <algorithm>
#include <chrono>

#include "html/layout/GifDecoder.h"
#include "html/layout/PixelBitmaps.h"
#include "platform/framework/Controls.h"
#include "platform/framework/DeviceContext.h"

namespace {

uint32_t steadyMilliseconds() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

TGifClock& gifClock() {
    static TGifClock c = steadyMilliseconds;
    return c;
}

uint32_t now() { return gifClock() ? gifClock()() : steadyMilliseconds(); }

}  // namespace

TGifClock SetGifClock(TGifClock Clock) {
    TGifClock old = std::move(gifClock());
    gifClock() = Clock ? std::move(Clock) : TGifClock(steadyMilliseconds);
    return old;
}

// ---- ThtBitmap

void ThtBitmap::Draw(TCanvas* Canvas, const TRect& Rect) { DrawPart(Canvas, Rect, TRect{0, 0, Width(), Height()}); }

void ThtBitmap::DrawPart(TCanvas* Canvas, const TRect& DestRect, const TRect& SrcRect) {
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    if (!dc || Empty()) return;
    if (htTransparent && htMask) {
        const bool whole =
            SrcRect.Left == 0 && SrcRect.Top == 0 && SrcRect.Right == Width() && SrcRect.Bottom == Height();
        if (whole) {
            dc->StretchDrawMasked(DestRect, this, htMask.get());
        } else {
            // The masked draw takes whole bitmaps: cut the part out of both.
            const auto part = CopyBitmapPart(*this, SrcRect);
            const auto mask = CopyBitmapPart(*htMask, SrcRect);
            if (!part->Empty()) dc->StretchDrawMasked(DestRect, part.get(), mask.get());
        }
    } else {
        dc->StretchBlt(DestRect.Left, DestRect.Top, DestRect.Width(), DestRect.Height(), this, SrcRect.Left,
                       SrcRect.Top, SrcRect.Width(), SrcRect.Height(), SRCCOPY);
    }
    Canvas->Changed();
}

// ---- TGIFImage

TGIFImage::TGIFImage() = default;
TGIFImage::~TGIFImage() = default;

std::unique_ptr<TGIFImage> TGIFImage::LoadGifFromStream(bool& NonAnimated, TStream& Stream, int64_t MaxPixels) {
    NonAnimated = true;
    Stream.SetPosition(0);
    const std::vector<uint8_t> bytes = Stream.ReadRest();
    return LoadGifFromBytes(NonAnimated, bytes.data(), bytes.size(), MaxPixels);
}

std::unique_ptr<TGIFImage> TGIFImage::LoadGifFromBytes(bool& NonAnimated, const uint8_t* data, size_t size,
                                                       int64_t MaxPixels) {
    NonAnimated = true;
    TGif gif;
    gif.SetPixelLimit(MaxPixels);
    gif.LoadFromStream(data, size);
    auto r = std::make_unique<TGIFImage>();
    const int count = gif.ImageCount();
    r->FNumFrames = count;
    r->FAnimated = count > 1;
    r->FImageWidth = gif.Width();
    r->FImageHeight = gif.Height();
    const int loops = gif.LoopCount();
    r->FNumIterations = loops < 0 ? 1 : loops == 0 ? 0 : loops + 1;
    r->FTransparent = gif.Transparent();

    TPixelBuffer mask;
    const TPixelBuffer strip = gif.GetStripBitmap(mask);
    r->Strip = std::make_shared<ThtBitmap>();
    AssignPixels(*r->Strip, strip);
    if (!mask.Empty()) {
        r->Strip->htMask = MaskFromPixels(mask);
        r->Strip->htTransparent = true;
    }
    for (int i = 0; i < count; ++i) {
        TgfFrame f;
        f.frLeft = gif.GetImageLeft(i);
        f.frTop = gif.GetImageTop(i);
        f.frWidth = gif.GetImageWidth(i);
        f.frHeight = gif.GetImageHeight(i);
        f.frDisposalMethod = TDisposalType(gif.GetImageDisposal(i));
        f.frDelay = std::max(30, 10 * gif.GetImageDelay(i));
        r->Frames.Add(f);
    }
    if (r->FAnimated) r->WasDisposal = dtToBackground;
    NonAnimated = count < 2;
    return r;
}

std::unique_ptr<TGIFImage> TGIFImage::CreateCopy(const TGIFImage& Item) {
    auto r = std::make_unique<TGIFImage>();
    r->FAnimated = Item.FAnimated;
    r->FImageWidth = Item.FImageWidth;
    r->FImageHeight = Item.FImageHeight;
    r->FNumFrames = Item.FNumFrames;
    r->FNumIterations = Item.FNumIterations;
    r->FTransparent = Item.FTransparent;
    r->FVisible = Item.FVisible;
    r->Strip = Item.Strip;
    r->IsCopy = true;
    for (int i = 1; i <= Item.Frames.Count(); ++i) {
        TgfFrame f = Item.Frames.GetFrame(i);
        f.IsCopy = true;
        r->Frames.Add(f);
    }
    r->FCurrentFrame = 1;
    r->CurrentIteration = 1;
    if (r->FAnimated) r->WasDisposal = dtToBackground;
    return r;
}

void TGIFImage::Draw(TCanvas* Canvas, int X, int Y, int Wid, int Ht) {
    if (!FVisible || FNumFrames <= 0 || !Strip) return;
    FStretchedRect = TRect{X, Y, X + Wid, Y + Ht};
    const TRect src{(FCurrentFrame - 1) * FImageWidth, 0, FCurrentFrame * FImageWidth, FImageHeight};
    Strip->DrawPart(Canvas, FStretchedRect, src);
}

void TGIFImage::CheckTime(TWinControl* WinControl) {
    if (!FAnimate || FNumFrames <= 0) return;
    const uint32_t t = now();
    if (uint32_t(t - LastTime) < CurrentInterval) return;
    LastTime = t;
    if (FCurrentFrame == FNumFrames) {
        if (FNumIterations > 0 && CurrentIteration >= FNumIterations) {
            SetAnimate(false);
            return;
        }
        ++CurrentIteration;
    }
    if (FCurrentFrame >= 1 && FCurrentFrame <= FNumFrames)
        WasDisposal = Frames.GetFrame(FCurrentFrame).frDisposalMethod;
    ++FCurrentFrame;
    if (FCurrentFrame > FNumFrames || FCurrentFrame <= 0) FCurrentFrame = 1;
    if (WinControl) WinControl->Invalidate();
    CurrentInterval = uint32_t(std::max(Frames.GetFrame(FCurrentFrame).frDelay, 1));
}

void TGIFImage::SetAnimate(bool Value) {
    if (Value == FAnimate) return;
    FAnimate = Value;
    if (Value && FNumFrames > 1) {
        CurrentInterval = uint32_t(std::max(Frames.GetFrame(FCurrentFrame).frDelay, 1));
        LastTime = now();
    }
}

void TGIFImage::SetCurrentFrame(int Value) {
    if (Value == FCurrentFrame || FNumFrames <= 0) return;
    WasDisposal = Frames.GetFrame(FCurrentFrame).frDisposalMethod;
    if (Value > FNumFrames) FCurrentFrame = 1;
    else if (Value <= 0) FCurrentFrame = FNumFrames;
    else FCurrentFrame = Value;
    if (FAnimated) WasDisposal = dtToBackground;
}

TBitmap* TGIFImage::MaskedBitmap() {
    if (!FMaskedBitmap && Strip) {
        const TRect first{0, 0, FImageWidth, FImageHeight};
        FMaskedBitmap = CopyBitmapPart(*Strip, first);
        FMaskedBitmap->Transparent = false;
        if (Strip->htTransparent && Strip->htMask) FMask = CopyBitmapPart(*Strip->htMask, first);
    }
    return FMaskedBitmap.get();
}

TBitmap* TGIFImage::Mask() {
    if (!FTransparent) return nullptr;
    MaskedBitmap();
    return FMask.get();
}
