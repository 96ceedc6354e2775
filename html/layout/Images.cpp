#include "html/layout/Images.h"

#include <algorithm>
#include <cstring>

#include "html/layout/ColorReduction.h"
#include "html/layout/HtmlScreen.h"
#include "html/layout/ImageDrawing.h"
#include "html/layout/PixelBitmaps.h"
#include "platform/framework/Controls.h"
#include "platform/framework/DeviceContext.h"
#include "platform/framework/GraphicsErrors.h"

// ---- ThtImage

int64_t ThtImage::PixelCount() {
    if (FPixelCount >= 0) return FPixelCount;
    try {
        if (auto* gif = dynamic_cast<ThtGifImage*>(this))
            FPixelCount = int64_t(gif->Gif().Width()) * gif->Gif().Height() * std::max(1, gif->Gif().NumFrames());
        else FPixelCount = int64_t(std::max(0, GetWidth())) * std::max(0, GetHeight());
    } catch (...) {
        FPixelCount = 0;
    }
    return FPixelCount;
}

void ThtImage::Print(TCanvas* Canvas, int X, int Y, int W, int H, TColor) {
    TBitmap* bmp = GetBitmap();
    TBitmap* mask = GetMask();
    // Printing honours the transparency exactly as drawing does.
    if (mask && Transp != NotTransp) PrintMaskedBitmap(Canvas, X, Y, W, H, bmp, mask, 0, bmp ? bmp->Height() : 0);
    else PrintBitmapDIB(Canvas, X, Y, W, H, bmp);
}

void ThtImage::DrawTiled(TCanvas* Canvas, int XStart, int YStart, int XEnd, int YEnd, int W, int H) {
    if (W <= 0 || H <= 0) return;
    for (int64_t y = YStart; y < YEnd; y += H)
        for (int64_t x = XStart; x < XEnd; x += W) Draw(Canvas, int(x), int(y), W, H);
}

void ThtImage::PrintTiled(TCanvas* Canvas, int XStart, int YStart, int XEnd, int YEnd, int W, int H, TColor BgColor) {
    if (W <= 0 || H <= 0) return;
    for (int64_t y = YStart; y < YEnd; y += H)
        for (int64_t x = XStart; x < XEnd; x += W) Print(Canvas, int(x), int(y), W, H, BgColor);
}

// ---- ThtBitmapImage

ThtBitmapImage::ThtBitmapImage(TBitmap* AImage, TBitmap* AMask, TTransparency Tr, bool AOwnsBitmap, bool AOwnsMask)
    : ThtImage(Tr), Bitmap_(AImage), Mask_(AMask), OwnsBitmap(AOwnsBitmap), OwnsMask(AOwnsMask) {
    if (!AImage) {
        if (AOwnsMask) delete AMask;
        throw EInvalidImage("ThtBitmapImage requires an image");
    }
}

ThtBitmapImage::ThtBitmapImage(TBitmap* AImage, TTransparency Tr, TColor Color, bool AOwnsBitmap)
    : ThtImage(Tr), Bitmap_(AImage), OwnsBitmap(AOwnsBitmap), OwnsMask(true) {
    if (!AImage) throw EInvalidImage("ThtBitmapImage requires an image");
    if (Tr == LLCorner) Mask_ = MakeTransparencyMask(AImage, false, 0).release();
    else if (Tr == TrGif) Mask_ = MakeTransparencyMask(AImage, true, Color).release();
}

ThtBitmapImage::~ThtBitmapImage() {
    if (OwnsBitmap) delete Bitmap_;
    if (OwnsMask) delete Mask_;
}

void ThtBitmapImage::Draw(TCanvas* Canvas, int X, int Y, int W, int H) {
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    if (!Bitmap_ || !dc) return;
    if (Mask_ && Transp != NotTransp) StretchDrawMasked(dc, Bitmap_, Mask_, X, Y, W, H);
    else {
        const int oldMode = dc->SetStretchBltMode(HALFTONE);
        dc->StretchBlt(X, Y, W, H, Bitmap_, 0, 0, Bitmap_->Width(), Bitmap_->Height(), SRCCOPY);
        dc->SetStretchBltMode(oldMode);
    }
    Canvas->Changed();
}

// ---- ThtGifImage

ThtGifImage::ThtGifImage(std::unique_ptr<TGIFImage> AImage) : ThtImage(TrGif), FGif(std::move(AImage)) {
    if (!FGif) throw EInvalidImage("ThtGifImage requires an image");
}

std::shared_ptr<ThtGifImage> ThtGifImage::Clone() const {
    return std::make_shared<ThtGifImage>(TGIFImage::CreateCopy(*FGif));
}

void ThtGifImage::Draw(TCanvas* Canvas, int X, int Y, int W, int H) {
    FGif->ShowIt = true;
    FGif->Draw(Canvas, X, Y, W, H);
}

// ---- ThtGdipImage

ThtGdipImage::ThtGdipImage(std::unique_ptr<ThtGpImage> AImage) : ThtImage(TrPng), Gpi(std::move(AImage)) {
    if (!Gpi) throw EInvalidImage("ThtGdipImage requires an image");
}

void ThtGdipImage::Draw(TCanvas* Canvas, int X, int Y, int W, int H) {
    ThtGpGraphics g(Canvas);
    g.DrawImage(*Gpi, X, Y, W, H);
    Canvas->Changed();
}

void ThtGdipImage::Print(TCanvas* Canvas, int X, int Y, int W, int H, TColor BgColor) {
    PrintGpImage(Canvas, *Gpi, X, Y, W, H, BgColor);
}

void ThtGdipImage::DrawTiled(TCanvas* Canvas, int XStart, int YStart, int XEnd, int YEnd, int W, int H) {
    if (W <= 0 || H <= 0) return;
    ThtGpGraphics g(Canvas);
    for (int64_t y = YStart; y < YEnd; y += H)
        for (int64_t x = XStart; x < XEnd; x += W) g.DrawImage(*Gpi, int(x), int(y), W, H);
    Canvas->Changed();
}

// ---- metafiles

void ThtMetaFile::LoadFromStream(TStream&) { throw EInvalidGraphic("Metafiles cannot be shown on this platform"); }

ThtMetafileImage::ThtMetafileImage(std::unique_ptr<ThtMetaFile> AImage)
    : ThtImage(NotTransp), MetaFile(std::move(AImage)) {
    if (!MetaFile) throw EInvalidImage("ThtMetafileImage requires an image");
}

// ---- the cache

ThtImageCache::ThtImageCache(int64_t PixelLimit) : FBudget(PixelLimit) { RetainGdiPlus(); }

ThtImageCache::~ThtImageCache() {
    Clear();
    ReleaseGdiPlus();
}

int ThtImageCache::AddObject(const String& S, ThtImagePtr AObject) {
    const ThtCachable* added = AObject.get();
    const int index = ThtCache::AddObject(S, std::move(AObject));
    return TrimToBudget(added) ? IndexOf(S) : index;
}

void ThtImageCache::InsertImage(int Index, const String& S, ThtImagePtr AObject) {
    const ThtCachable* added = AObject.get();
    InsertObject(Index, S, std::move(AObject));
    TrimToBudget(added);
}

void ThtImageCache::ObjectAdded(ThtCachable& Object) {
    if (auto* img = dynamic_cast<ThtImage*>(&Object)) FBudget.Take(img->PixelCount());
}

void ThtImageCache::ObjectRemoved(ThtCachable& Object) {
    if (auto* img = dynamic_cast<ThtImage*>(&Object)) FBudget.Give(img->PixelCount());
}

int64_t ThtImageCache::PixelsLeft() const {
    int64_t inUse = 0;
    for (int i = 0; i < Count(); ++i) {
        const auto o = std::dynamic_pointer_cast<ThtImage>(ObjectAt(i));
        if (o && o->UsageCount > 0) inUse += o->PixelCount();
    }
    return std::max<int64_t>(0, FBudget.Limit() - inUse);
}

bool ThtImageCache::TrimToBudget(const ThtCachable* Keep) {
    bool removed = false;
    while (FBudget.Used() > FBudget.Limit()) {
        int stalest = -1;
        for (int i = 0; i < Count(); ++i) {
            const auto o = ObjectAt(i);
            if (!o || o.get() == Keep || o->UsageCount > 0) continue;
            if (stalest < 0 || o->AccessCount > ObjectAt(stalest)->AccessCount) stalest = i;
        }
        if (stalest < 0) break;
        Delete(stalest);
        removed = true;
    }
    return removed;
}

// ---- recognising and loading

ThtImageFormat DetectImageFormat(TStream& Stream) {
    const int64_t pos = Stream.Position();
    uint8_t b[4] = {0, 0, 0, 0};
    Stream.SetPosition(0);
    const int64_t got = Stream.Read(b, 4);
    Stream.SetPosition(pos);
    if (got < 4) std::memset(b + std::max<int64_t>(got, 0), 0, size_t(4 - std::max<int64_t>(got, 0)));
    if (b[0] == 0x47 && b[1] == 0x49 && b[2] == 0x46 && b[3] == 0x38) return ifGif;
    if (b[0] == 0x89 && b[1] == 0x50 && b[2] == 0x4E && b[3] == 0x47) return ifPng;
    if (b[0] == 0 && b[1] == 0 && b[2] == 1 && b[3] == 0) return ifIco;
    if (b[0] == 0 && b[1] == 0 && b[2] == 2 && b[3] == 0) return ifCur;
    if (b[0] == 0x49 && b[1] == 0x49 && (b[2] & 0x2A) == 0x2A) return ifTiff;
    if (b[0] == 0x42 && b[1] == 0x4D) return ifBmp;
    if (b[0] == 0x4D && b[1] == 0x4D && (b[3] & 0x2A) == 0x2A) return ifTiff;
    if (b[0] == 0xFF && b[1] == 0xD8) return ifJpeg;
    return ifUnknown;
}

std::unique_ptr<TBitmap> MakeTransparencyMask(TBitmap* Image, bool ColorValid, TColor AColor) {
    if (!Image || Image->Empty()) return nullptr;
    try {
        const TColor c = ColorValid ? AColor : Image->Canvas()->Pixel(0, Image->Height() - 1);
        return std::unique_ptr<TBitmap>(Image->CreateMask(c));
    } catch (...) {
        return nullptr;
    }
}

std::unique_ptr<TBitmap> AdaptBitmapToScreen(std::unique_ptr<TBitmap> Bitmap) {
    if (!Bitmap) return nullptr;
    const TPixelFormat f = Bitmap->PixelFormat();
    const bool deep = f == pf24bit || f == pf32bit || f == pfDevice;
    if (ColorBits <= 8) return BitmapFromPixels(ReduceForScreen(PixelsFromBitmap(*Bitmap), ColorBits));
    if (deep) return Bitmap;
    // Fewer bits than the screen: the device's own format.
    Bitmap->SetPixelFormat(pfDevice);
    return Bitmap;
}

namespace {

std::unique_ptr<TBitmap> decodeBitmap(const std::vector<uint8_t>& bytes, const char* format, int64_t MaxPixels) {
    auto b = std::make_unique<TBitmap>();
    if (GpDecodeBitmap(bytes.data(), bytes.size(), format, *b, MaxPixels) != gpOk || b->Empty()) return nullptr;
    return b;
}

ThtImagePtr loadByContent(TStream& Stream, TTransparency Transparent, int64_t MaxPixels) {
    Stream.SetPosition(0);
    std::unique_ptr<TBitmap> bitmap, mask;
    ThtImagePtr result;
    const ThtImageFormat format = DetectImageFormat(Stream);
    if (format != ifGif && format != ifBmp && GdiPlusEnabled()) {
        try {
            Stream.SetPosition(0);
            result = std::make_shared<ThtGdipImage>(std::make_unique<ThtGpImage>(Stream, MaxPixels));
        } catch (...) {
            result.reset();
        }
    }
    if (result) return result;
    Stream.SetPosition(0);
    const std::vector<uint8_t> bytes = Stream.ReadRest();
    switch (format) {
    case ifBmp: bitmap = decodeBitmap(bytes, "bmp", MaxPixels); break;
    case ifIco:
    case ifCur:
        bitmap = decodeBitmap(bytes, format == ifIco ? "ico" : "cur", MaxPixels);
        Transparent = LLCorner;
        break;
    case ifGif: {
        bool nonAnimated = true;
        auto gif = TGIFImage::LoadGifFromBytes(nonAnimated, bytes.data(), bytes.size(), MaxPixels);
        if (!nonAnimated) return std::make_shared<ThtGifImage>(std::move(gif));
        TBitmap* first = gif->MaskedBitmap();
        if (!first) return nullptr;
        bitmap = std::make_unique<TBitmap>();
        bitmap->Assign(first);
        if (gif->IsTransparent() && gif->Mask()) {
            mask = std::make_unique<TBitmap>();
            mask->Assign(gif->Mask());
            Transparent = TrGif;
        } else if (Transparent == LLCorner) {
            mask = MakeTransparencyMask(bitmap.get(), false, 0);
        }
        break;
    }
    case ifJpeg:
        bitmap = decodeBitmap(bytes, "jpg", MaxPixels);
        Transparent = NotTransp;
        break;
    default: break;
    }
    if (!bitmap) return nullptr;
    if (!mask) mask = MakeTransparencyMask(bitmap.get(), false, 0);
    bitmap = AdaptBitmapToScreen(std::move(bitmap));
    if (!bitmap) return nullptr;
    auto image = std::make_shared<ThtBitmapImage>(bitmap.get(), mask.get(), Transparent, true, true);
    bitmap.release();
    mask.release();
    return image;
}

}  // namespace

ThtImagePtr LoadImageByContent(TStream* Stream, TTransparency Transparent, int64_t MaxPixels) {
    if (!Stream || Stream->Size() < 20) return nullptr;
    // Nothing left: no picture is decoded at all (0 would mean "no limit" below).
    if (MaxPixels <= 0) return nullptr;
    try {
        if (ThtImagePtr r = loadByContent(*Stream, Transparent, MaxPixels))
            return r->PixelCount() <= MaxPixels ? r : nullptr;
    } catch (...) {}
    // Metafiles would be tried last; they cannot be played here.
    try {
        auto meta = std::make_unique<ThtMetaFile>();
        meta->LoadFromStream(*Stream);
        return std::make_shared<ThtMetafileImage>(std::move(meta));
    } catch (...) {
        return nullptr;
    }
}

ThtImagePtr LoadImageFile(const String& FileName, TTransparency Transparent, int64_t MaxPixels) {
    if (!FileExists(FileName)) return nullptr;
    TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
    return LoadImageByContent(&f, Transparent, MaxPixels);
}

// ---- the shared pictures

namespace {

// 16 x 16 artwork drawn at start: a sheet with a folded corner, and the
// same with a red cross for a picture that failed.
std::unique_ptr<TBitmap> sheet(bool broken) {
    auto b = std::make_unique<TBitmap>(16, 16);
    TCanvas* c = b->Canvas();
    TDeviceContext* dc = c->Handle();
    const TColor outside = broken ? RGB(255, 0, 255) : clWhite;
    dc->FillRect(TRect{0, 0, 16, 16}, outside);
    dc->FillRect(TRect{2, 1, 14, 15}, broken ? clWhite : RGB(192, 192, 192));
    dc->FillRect(TRect{2, 1, 14, 2}, clGray);
    dc->FillRect(TRect{2, 14, 14, 15}, clGray);
    dc->FillRect(TRect{2, 1, 3, 15}, clGray);
    dc->FillRect(TRect{13, 1, 14, 15}, clGray);
    if (broken) {
        for (int i = 0; i < 7; ++i) {
            dc->FillRect(TRect{4 + i, 4 + i, 6 + i, 5 + i}, clRed);
            dc->FillRect(TRect{10 - i, 4 + i, 12 - i, 5 + i}, clRed);
        }
    }
    c->Changed();
    return b;
}

}  // namespace

ThtImage& PendingImage() {
    static ThtBitmapImage image(sheet(false).release(), nullptr, NotTransp, true, true);
    return image;
}

ThtImage& BrokenImage() {
    static ThtBitmapImage image = [] {
        auto bmp = sheet(true);
        // The mask: everything outside the sheet is transparent.
        auto mask = MakeTransparencyMask(bmp.get(), true, RGB(255, 0, 255));
        return ThtBitmapImage(bmp.release(), mask.release(), LLCorner, true, true);
    }();
    return image;
}

// ---- cursors

namespace {

// 16 x 16 artwork: '#' black, '.' white, ' ' transparent.
using CursorArt = const char* const[16];

CursorArt kUpDown = {
    "       #        ", "      #.#       ", "     #...#      ", "    #.....#     ",
    "   ####.####    ", "      #.#       ", "      #.#       ", "      #.#       ",
    "      #.#       ", "      #.#       ", "   ####.####    ", "    #.....#     ",
    "     #...#      ", "      #.#       ", "       #        ", "                ",
};
CursorArt kUpOnly = {
    "       #        ", "      #.#       ", "     #...#      ", "    #.....#     ",
    "   ####.####    ", "      #.#       ", "      #.#       ", "      #.#       ",
    "      #.#       ", "      #.#       ", "      #.#       ", "      #.#       ",
    "   #########    ", "   #.......#    ", "   #########    ", "                ",
};
CursorArt kDownOnly = {
    "                ", "   #########    ", "   #.......#    ", "   #########    ",
    "      #.#       ", "      #.#       ", "      #.#       ", "      #.#       ",
    "      #.#       ", "      #.#       ", "   ####.####    ", "    #.....#     ",
    "     #...#      ", "      #.#       ", "       #        ", "                ",
};

void installCursor(TCursor number, CursorArt& art) {
    TBitmap image, mask;
    image.SetPixelFormat(pf24bit);
    image.SetSize(16, 16);
    mask.SetPixelFormat(pf1bit);
    mask.SetSize(16, 16);
    for (int y = 0; y < 16; ++y) {
        uint8_t* px = image.ScanLine(y);
        uint8_t* m = mask.ScanLine(y);
        std::memset(m, 0, 2);
        for (int x = 0; x < 16; ++x) {
            const char c = art[y][x];
            std::memset(px + x * 3, c == '.' ? 255 : 0, 3);
            if (c == ' ') m[x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    SetCustomCursor(number, image, mask, TPoint{7, 7});
}

// Installed when the module starts, as the viewer expects them to exist.
const bool kCursorsInstalled = (InstallImageCursors(), true);

}  // namespace

void InstallImageCursors() {
    installCursor(crUpDownCursor, kUpDown);
    installCursor(crUpOnlyCursor, kUpOnly);
    installCursor(crDownOnlyCursor, kDownOnly);
}
