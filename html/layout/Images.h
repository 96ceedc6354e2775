// Every picture the viewer shows: its kinds (bitmap, animated GIF, picture
// library image, metafile), the image cache, recognising a format by its
// first bytes, the loading pipeline, and the shared pending and broken pictures.
#pragma once

#include <memory>

#include "html/layout/GifImage.h"
#include "html/layout/GpImage.h"
#include "html/layout/ObjectCache.h"
#include "html/layout/PixelBudget.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/Streams.h"

enum TTransparency { NotTransp, LLCorner, TrGif, TrPng };
enum ThtImageFormat { ifUnknown, ifBmp, ifIco, ifCur, ifGif, ifPng, ifJpeg, ifTiff };

class ThtImage : public ThtCachable {
public:
    explicit ThtImage(TTransparency Tr) : Transp(Tr) {}
    // The object that holds the picture.
    virtual TObject* GetImageObject() = 0;
    virtual TBitmap* GetBitmap() = 0;
    virtual int GetHeight() = 0;
    virtual int GetWidth() = 0;
    // Monochrome, white = transparent; none without one.
    virtual TBitmap* GetMask() = 0;
    virtual void Draw(TCanvas* Canvas, int X, int Y, int W, int H) = 0;
    virtual void Print(TCanvas* Canvas, int X, int Y, int W, int H, TColor BgColor);
    // Row by row from the start while below the end; nothing for tiles of no size.
    virtual void DrawTiled(TCanvas* Canvas, int XStart, int YStart, int XEnd, int YEnd, int W, int H);
    virtual void PrintTiled(TCanvas* Canvas, int XStart, int YStart, int XEnd, int YEnd, int W, int H, TColor BgColor);
    TBitmap* Bitmap() { return GetBitmap(); }
    TBitmap* Mask() { return GetMask(); }
    int Width() { return GetWidth(); }
    int Height() { return GetHeight(); }
    // The pixels the picture holds decoded (every frame of an animation),
    // counted once: what it costs a pixel budget.
    int64_t PixelCount();

    TTransparency Transp;

private:
    int64_t FPixelCount = -1;
};
using ThtImagePtr = std::shared_ptr<ThtImage>;

class ThtBitmapImage : public ThtImage {
public:
    // EInvalidImage "ThtBitmapImage requires an image" without AImage.
    ThtBitmapImage(TBitmap* AImage, TBitmap* AMask, TTransparency Tr, bool AOwnsBitmap = true, bool AOwnsMask = true);
    // The mask is made by the lower-left pixel (LLCorner) or by Color (TrGif).
    ThtBitmapImage(TBitmap* AImage, TTransparency Tr, TColor Color, bool AOwnsBitmap = true);
    ~ThtBitmapImage() override;
    ThtBitmapImage(const ThtBitmapImage&) = delete;
    ThtBitmapImage& operator=(const ThtBitmapImage&) = delete;
    TObject* GetImageObject() override { return Bitmap_; }
    TBitmap* GetBitmap() override { return Bitmap_; }
    TBitmap* GetMask() override { return Mask_; }
    int GetWidth() override { return Bitmap_ ? Bitmap_->Width() : 0; }
    int GetHeight() override { return Bitmap_ ? Bitmap_->Height() : 0; }
    void Draw(TCanvas* Canvas, int X, int Y, int W, int H) override;

private:
    TBitmap* Bitmap_ = nullptr;
    TBitmap* Mask_ = nullptr;
    bool OwnsBitmap = false, OwnsMask = false;
};

class ThtGifImage : public ThtImage {
public:
    explicit ThtGifImage(std::unique_ptr<TGIFImage> AImage);
    // A new image over a copy of the GIF: same strip, its own frame and animation.
    std::shared_ptr<ThtGifImage> Clone() const;
    TGIFImage& Gif() const { return *FGif; }
    TObject* GetImageObject() override { return FGif.get(); }
    TBitmap* GetBitmap() override { return FGif->MaskedBitmap(); }
    TBitmap* GetMask() override { return FGif->Mask(); }
    int GetWidth() override { return FGif->Width(); }
    int GetHeight() override { return FGif->Height(); }
    void Draw(TCanvas* Canvas, int X, int Y, int W, int H) override;

private:
    std::unique_ptr<TGIFImage> FGif;
};

class ThtGdipImage : public ThtImage {
public:
    explicit ThtGdipImage(std::unique_ptr<ThtGpImage> AImage);
    TObject* GetImageObject() override { return Gpi.get(); }
    ThtGpImage& GpImage() const { return *Gpi; }
    TBitmap* GetBitmap() override { return Gpi->GetBitmap(); }
    TBitmap* GetMask() override { return nullptr; }
    int GetWidth() override { return int(Gpi->Width()); }
    int GetHeight() override { return int(Gpi->Height()); }
    void Draw(TCanvas* Canvas, int X, int Y, int W, int H) override;
    void Print(TCanvas* Canvas, int X, int Y, int W, int H, TColor BgColor) override;
    void DrawTiled(TCanvas* Canvas, int XStart, int YStart, int XEnd, int YEnd, int W, int H) override;

private:
    std::unique_ptr<ThtGpImage> Gpi;
};

// Windows metafiles have no player on this platform: a metafile never
// loads, and this kind stays empty. It is kept so that callers can name it.
class ThtMetaFile : public TObject {
public:
    // Always raises EInvalidGraphic: the format cannot be played here.
    void LoadFromStream(TStream& Stream);
    int Width() const { return 0; }
    int Height() const { return 0; }
    TBitmap* Bitmap() { return nullptr; }
    TBitmap* Mask() { return nullptr; }
    TBitmap* WhiteBGBitmap() { return nullptr; }
};

class ThtMetafileImage : public ThtImage {
public:
    explicit ThtMetafileImage(std::unique_ptr<ThtMetaFile> AImage);
    TObject* GetImageObject() override { return MetaFile.get(); }
    TBitmap* GetBitmap() override { return MetaFile->Bitmap(); }
    TBitmap* GetMask() override { return MetaFile->Mask(); }
    int GetWidth() override { return MetaFile->Width(); }
    int GetHeight() override { return MetaFile->Height(); }
    void Draw(TCanvas*, int, int, int, int) override {}
    void Print(TCanvas*, int, int, int, int, TColor) override {}

private:
    std::unique_ptr<ThtMetaFile> MetaFile;
};

// Images by name. While any image cache exists, the picture library loads
// the formats the viewer does not decode itself. The pictures it holds share
// one pixel budget: a picture that comes in beyond it makes the pictures
// nobody uses give way, stalest first.
class ThtImageCache : public ThtCache {
public:
    explicit ThtImageCache(int64_t PixelLimit = ThtPixelBudget::DefaultPixels);
    ~ThtImageCache() override;
    int AddObject(const String& S, ThtImagePtr AObject);
    // A cache hit: resets the age and counts a user.
    ThtImagePtr GetImage(int I) { return std::static_pointer_cast<ThtImage>(UseObject(I)); }
    // At that index, without sorting and without counting a user.
    void InsertImage(int Index, const String& S, ThtImagePtr AObject);
    // The pixels of the pictures held.
    const ThtPixelBudget& Budget() const { return FBudget; }
    // What a new picture may take: the budget less the pictures in use
    // (the unused ones give way when it comes in).
    int64_t PixelsLeft() const;

protected:
    void ObjectAdded(ThtCachable& Object) override;
    void ObjectRemoved(ThtCachable& Object) override;

private:
    // Unused pictures other than Keep leave, stalest first, until the
    // budget holds; true when any left.
    bool TrimToBudget(const ThtCachable* Keep);
    ThtPixelBudget FBudget;
};

// A bitmap the host inserts as a picture.
struct ThtBitmapToInsert {
    ThtBitmapToInsert(TBitmap* AImage, TTransparency ATransp, TColor AColor, bool AOwnsBitmap)
        : Bitmap(AImage), Color(AColor), Transp(ATransp), OwnsBitmap(AOwnsBitmap) {}
    TBitmap* Bitmap;
    TColor Color;
    TTransparency Transp;
    bool OwnsBitmap;
};

// By the first four bytes; the stream's position is kept.
ThtImageFormat DetectImageFormat(TStream& Stream);
// A new image, or none when the data are not a picture that loads (the
// caller shows the broken picture). A picture of more than MaxPixels (what
// the caller's budgets have left) is refused by its declared size before it
// is decoded.
ThtImagePtr LoadImageByContent(TStream* Stream, TTransparency Transparent,
                               int64_t MaxPixels = ThtPixelBudget::DefaultPixels);
// None when the file does not exist; a file that cannot be opened raises.
ThtImagePtr LoadImageFile(const String& FileName, TTransparency Transparent,
                          int64_t MaxPixels = ThtPixelBudget::DefaultPixels);
// White where the pixel has the colour (AColor, or the lower-left pixel's
// without ColorValid), black elsewhere; none on failure.
std::unique_ptr<TBitmap> MakeTransparencyMask(TBitmap* Image, bool ColorValid, TColor AColor);
// The bitmap as the screen shows it best (consumes the argument).
std::unique_ptr<TBitmap> AdaptBitmapToScreen(std::unique_ptr<TBitmap> Bitmap);

// Shown until a picture has loaded, and when it failed; never cached.
ThtImage& PendingImage();
ThtImage& BrokenImage();

// The viewer's cursors: the hand over links is the framework's own pointing
// hand; the three sizing cursors are installed under these numbers when the
// module starts.
constexpr int crUpDownCursor = 10103, crUpOnlyCursor = 10104, crDownOnlyCursor = 10105;
void InstallImageCursors();
