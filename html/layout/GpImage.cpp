#include "html/layout/GpImage.h"

#include <cstdio>

#include "platform/framework/DeviceContext.h"
#include <unistd.h>

namespace {

int GdiPlusUsers = 0;
bool GdiPlusIsEnabled = false;

String format(const char* fmt, const String& a, const String& b) {
    char buf[1024];
    std::snprintf(buf, sizeof buf, fmt, a.c_str(), b.c_str());
    return buf;
}

String sizeContext(const char* fmt, int w, int h) {
    char buf[128];
    std::snprintf(buf, sizeof buf, fmt, w, h);
    return buf;
}

}  // namespace

void CheckGdipStatus(const String& Context, int Status) {
    if (Status != gpOk) throw EGDIPlus(format("%s GDI error %s", Context, GpStatusName(Status)));
}

void RetainGdiPlus() {
    if (GdiPlusUsers == 0) GdiPlusIsEnabled = true;
    ++GdiPlusUsers;
}

void ReleaseGdiPlus() {
    if (--GdiPlusUsers <= 0) {
        GdiPlusUsers = 0;
        GdiPlusIsEnabled = false;
    }
}

bool GdiPlusEnabled() { return GdiPlusIsEnabled; }

// ---- ThtGpImage

ThtGpImage::ThtGpImage(const String& Filename, bool TmpFile) {
    const TGpStatus s = GpLoadImageFromFile(Filename, &fHandle);
    if (s != gpOk) {
        if (TmpFile) ::unlink(Filename.c_str());
        if (s == gpFileNotFound)
            throw EGDIPlus(format("Image file \"%s\" not found. GDI error %s", Filename, GpStatusName(s)));
        throw EGDIPlus(format("Can't load image file \"%s\". GDI error %s", Filename, GpStatusName(s)));
    }
    if (TmpFile) fFilename = Filename;
}

ThtGpImage::ThtGpImage(TStream& Stream, int64_t MaxPixels) {
    loadStream(Stream, "Can't load image stream.", MaxPixels);
}

void ThtGpImage::loadStream(TStream& Stream, const String& Context, int64_t MaxPixels) {
    // The library gets the bytes from the stream's position on.
    const std::vector<uint8_t> bytes = Stream.ReadRest();
    CheckGdipStatus(Context, GpLoadImageFromMemory(bytes.data(), bytes.size(), &fHandle, MaxPixels));
}

ThtGpImage::~ThtGpImage() {
    fBitmap.reset();
    if (fHandle) GpDisposeImage(fHandle);
    if (!fFilename.empty()) ::unlink(fFilename.c_str());
}

uint32_t ThtGpImage::Width() {
    if (fWidth == 0) CheckGdipStatus("ThtGpImage.GetWidth", GpGetImageWidth(fHandle, &fWidth));
    return fWidth;
}

uint32_t ThtGpImage::Height() {
    if (fHeight == 0) CheckGdipStatus("ThtGpImage.GetHeight", GpGetImageHeight(fHandle, &fHeight));
    return fHeight;
}

// ---- ThtGpBitmap

ThtGpBitmap::ThtGpBitmap(int W, int H) {
    CheckGdipStatus(sizeContext("Can't create bitmap of size %d x %d.", W, H), GpCreateBitmap(W, H, &fHandle));
}

ThtGpBitmap::ThtGpBitmap(int W, int H, ThtGpGraphics&) {
    CheckGdipStatus(sizeContext("Can't create bitmap of size %d x %d from graphics.", W, H),
                    GpCreateBitmap(W, H, &fHandle));
}

ThtGpBitmap::ThtGpBitmap(TStream& Stream) {
    loadStream(Stream, "Can't create bitmap from stream.", GpMaxPicturePixels);
}

uint32_t ThtGpBitmap::GetPixel(int X, int Y) {
    uint32_t c = 0;
    CheckGdipStatus("ThtGpBitmap.GetPixel", GpBitmapGetPixel(fHandle, X, Y, &c));
    return c;
}

void ThtGpBitmap::SetPixel(int X, int Y, uint32_t Color) {
    CheckGdipStatus("ThtGpBitmap.SetPixel", GpBitmapSetPixel(fHandle, X, Y, Color));
}

// ---- ThtGpGraphics

ThtGpGraphics::ThtGpGraphics(ThtGpImage& Image) {
    CheckGdipStatus("Can't Create Graphics.", GpGetImageGraphicsContext(Image.Handle(), &fGraphics));
}

ThtGpGraphics::ThtGpGraphics(TCanvas* Canvas) {
    CheckGdipStatus("Can't Create Graphics.", GpCreateFromDC(Canvas ? Canvas->Handle() : nullptr, &fGraphics));
}

ThtGpGraphics::~ThtGpGraphics() {
    if (fGraphics) GpDeleteGraphics(fGraphics);
}

bool ThtGpGraphics::UsesSmallImagePath(uint32_t W0, uint32_t H0, int Width, int Height) {
    return (W0 <= 10 && int64_t(W0) < Width) || (H0 <= 10 && int64_t(H0) < Height);
}

void ThtGpGraphics::DrawImage(ThtGpImage& Image, int X, int Y, int Width, int Height) {
    const uint32_t W0 = Image.Width(), H0 = Image.Height();
    if (!UsesSmallImagePath(W0, H0, Width, Height)) {
        CheckGdipStatus("ThtGpGraphics.DrawImage", GpDrawImageRectI(fGraphics, Image.Handle(), X, Y, Width, Height));
        return;
    }
    // Smoothing a tiny picture up blends its edges with transparency: give
    // it a repeated last row and column first, then stretch without them.
    const int w0 = int(W0), h0 = int(H0);
    ThtGpBitmap b1(w0 + 1, h0 + 1);
    {
        ThtGpGraphics g1(b1);
        g1.DrawImage(Image, 0, 0, w0, h0);
        g1.DrawImage(b1, w0, 0, 1, h0, w0 - 1, 0, 1, h0);
        g1.DrawImage(b1, 0, h0, w0 + 1, 1, 0, h0 - 1, w0 + 1, 1);
    }
    ThtGpBitmap b2(Width, Height);
    {
        ThtGpGraphics g2(b2);
        g2.DrawImage(b1, 0, 0, Width, Height, 0, 0, w0, h0);
    }
    DrawImage(b2, X, Y);
}

void ThtGpGraphics::DrawImage(ThtGpImage& Image, int X, int Y) {
    CheckGdipStatus("ThtGpGraphics.DrawImage",
                    GpDrawImageRectI(fGraphics, Image.Handle(), X, Y, int(Image.Width()), int(Image.Height())));
}

void ThtGpGraphics::DrawImage(ThtGpImage& Image, float x, float y, float srcx, float srcy, float srcwidth,
                              float srcheight) {
    CheckGdipStatus("ThtGpGraphics.DrawImage",
                    GpDrawImagePointRect(fGraphics, Image.Handle(), x, y, srcx, srcy, srcwidth, srcheight));
}

void ThtGpGraphics::DrawImage(ThtGpImage& Image, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
    CheckGdipStatus("ThtGpGraphics.DrawImage",
                    GpDrawImageRectRectI(fGraphics, Image.Handle(), dx, dy, dw, dh, sx, sy, sw, sh));
}

void ThtGpGraphics::Clear(uint32_t Color) { CheckGdipStatus("ThtGpGraphics.Clear", GpGraphicsClear(fGraphics, Color)); }

void ThtGpGraphics::ScaleTransform(float sx, float sy) {
    CheckGdipStatus("ThtGpGraphics.ScaleTransform", GpScaleWorldTransform(fGraphics, sx, sy));
}

TBitmap* ThtGpImage::GetBitmap() {
    const int w = int(Width()), h = int(Height());
    if (!fBitmap) fBitmap = std::make_unique<TBitmap>();
    fBitmap->SetSize(w, h);
    TCanvas* c = fBitmap->Canvas();
    c->Handle()->PatBlt(0, 0, w, h, WHITENESS);
    {
        ThtGpGraphics g(c);
        g.DrawImage(*this, 0, 0, w, h);
    }
    c->Changed();
    return fBitmap.get();
}
