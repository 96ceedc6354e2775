// The picture library the HTML viewer loads and draws other formats with
// (PNG with alpha, JPEG, ICO, BMP, GIF ... whatever the Qt readers know),
// as a small flat interface of handles and status codes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/framework/Classes.h"

class TBitmap;
class TDeviceContext;

struct TGpImage;
struct TGpGraphics;

enum TGpStatus : int {
    gpOk = 0,
    gpGenericError,
    gpInvalidParameter,
    gpOutOfMemory,
    gpFileNotFound,
    gpUnknownImageFormat,
    gpImageTooLarge,
    gpWrongState,
};
// "Ok", "GenericError" ..., "<UnKnown>" for any other value.
const char* GpStatusName(int status);

// Pictures larger than this many pixels are refused before any pixel is
// decoded, whatever their file says.
constexpr int64_t GpMaxPicturePixels = int64_t(1) << 26;

// maxPixels lowers the cap for one picture (a caller's budget): a picture
// declaring more is refused with gpImageTooLarge before it is decoded.
TGpStatus GpLoadImageFromFile(const String& fileName, TGpImage** image, int64_t maxPixels = GpMaxPicturePixels);
TGpStatus GpLoadImageFromMemory(const void* data, size_t size, TGpImage** image,
                                int64_t maxPixels = GpMaxPicturePixels);
// A 32-bit ARGB bitmap, transparent black.
TGpStatus GpCreateBitmap(int width, int height, TGpImage** image);
TGpStatus GpDisposeImage(TGpImage* image);
TGpStatus GpGetImageWidth(TGpImage* image, uint32_t* width);
TGpStatus GpGetImageHeight(TGpImage* image, uint32_t* height);
TGpStatus GpBitmapGetPixel(TGpImage* image, int x, int y, uint32_t* argb);
TGpStatus GpBitmapSetPixel(TGpImage* image, int x, int y, uint32_t argb);

TGpStatus GpGetImageGraphicsContext(TGpImage* image, TGpGraphics** graphics);
// Drawing on any device context (screen, bitmap, printer, recorded page):
// each picture is rendered at its destination size and handed to the
// context's masked draw, with its alpha kept where the device has pixels.
TGpStatus GpCreateFromDC(TDeviceContext* dc, TGpGraphics** graphics);
TGpStatus GpDeleteGraphics(TGpGraphics* graphics);
// Source over destination, smooth scaling; sizes in pixels.
TGpStatus GpDrawImageRectI(TGpGraphics* g, TGpImage* image, int x, int y, int w, int h);
TGpStatus GpDrawImagePointRect(TGpGraphics* g, TGpImage* image, float x, float y, float srcx, float srcy, float srcw,
                               float srch);
TGpStatus GpDrawImageRectRectI(TGpGraphics* g, TGpImage* image, int dx, int dy, int dw, int dh, int sx, int sy, int sw,
                               int sh);
TGpStatus GpGraphicsClear(TGpGraphics* g, uint32_t argb);
TGpStatus GpScaleWorldTransform(TGpGraphics* g, float sx, float sy);

// The framework's readers of BMP, ICO, CUR and JPEG data (format "bmp",
// "ico", "cur", "jpg"; nullptr: by content) into a bitmap, under the same
// pixel cap (or maxPixels, when lower). Icons are flattened onto white.
TGpStatus GpDecodeBitmap(const void* data, size_t size, const char* format, TBitmap& out,
                         int64_t maxPixels = GpMaxPicturePixels);
