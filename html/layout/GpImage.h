// Pictures of formats the viewer does not decode itself (PNG with alpha,
// JPEG, ICO ...), loaded and drawn through the platform's picture library.
// Every library status is checked; a failure raises EGDIPlus.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/framework/Classes.h"
#include "platform/framework/GpImaging.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/Streams.h"

class EGDIPlus : public Exception {
    using Exception::Exception;
};

// Raises EGDIPlus "<Context> GDI error <status name>" unless Status is gpOk.
void CheckGdipStatus(const String& Context, int Status);

// GDI+ loading is on while at least one image cache exists.
void RetainGdiPlus();
void ReleaseGdiPlus();
bool GdiPlusEnabled();

class ThtGpImage : public TObject {
public:
    // From a file; with TmpFile the file is deleted with the image.
    ThtGpImage(const String& Filename, bool TmpFile);
    // From the bytes of Stream from its current position on; a picture of
    // more than MaxPixels is refused before it is decoded.
    explicit ThtGpImage(TStream& Stream, int64_t MaxPixels = GpMaxPicturePixels);
    ~ThtGpImage() override;
    ThtGpImage(const ThtGpImage&) = delete;
    ThtGpImage& operator=(const ThtGpImage&) = delete;

    uint32_t Width();
    uint32_t Height();
    // The picture drawn on white, made on first request and kept.
    TBitmap* GetBitmap();
    TGpImage* Handle() const { return fHandle; }

protected:
    ThtGpImage() = default;
    void loadStream(TStream& Stream, const String& Context, int64_t MaxPixels);

    TGpImage* fHandle = nullptr;
    uint32_t fWidth = 0, fHeight = 0;
    String fFilename;
    std::unique_ptr<TBitmap> fBitmap;
};

// A picture with pixel access; made by size it is 32-bit ARGB, transparent black.
class ThtGpBitmap : public ThtGpImage {
public:
    ThtGpBitmap(int W, int H);
    explicit ThtGpBitmap(TStream& Stream);
    // Made for drawing on Graphics (the library takes its resolution).
    ThtGpBitmap(int W, int H, class ThtGpGraphics& Graphics);
    uint32_t GetPixel(int X, int Y);
    void SetPixel(int X, int Y, uint32_t Color);
};

// A drawing surface on a picture or on a canvas (any device: screen,
// bitmap, printer, recorded page).
class ThtGpGraphics {
public:
    explicit ThtGpGraphics(ThtGpImage& Image);
    explicit ThtGpGraphics(TCanvas* Canvas);
    ~ThtGpGraphics();
    ThtGpGraphics(const ThtGpGraphics&) = delete;
    ThtGpGraphics& operator=(const ThtGpGraphics&) = delete;

    // Stretched into the rectangle; pictures of 10 pixels or less drawn
    // larger go through a path that keeps their edges from fading.
    void DrawImage(ThtGpImage& Image, int X, int Y, int Width, int Height);
    void DrawImage(ThtGpImage& Image, int X, int Y);
    void DrawImage(ThtGpImage& Image, float x, float y, float srcx, float srcy, float srcwidth, float srcheight);
    void DrawImage(ThtGpImage& Image, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);
    void Clear(uint32_t Color);
    void ScaleTransform(float sx, float sy);

    // Whether DrawImage of an image of W0 x H0 into Width x Height takes the small-image path.
    static bool UsesSmallImagePath(uint32_t W0, uint32_t H0, int Width, int Height);

private:
    TGpGraphics* fGraphics = nullptr;
};
