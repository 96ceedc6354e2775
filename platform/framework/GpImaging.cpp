#include "platform/framework/GpImaging.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <memory>

#include "platform/framework/DeviceContext.h"
#include "platform/framework/Graphics.h"

struct TGpImage {
    QImage image;
};

struct TGpGraphics {
    QImage* target = nullptr;
    std::unique_ptr<QPainter> painter;
    TDeviceContext* dc = nullptr;
    double scaleX = 1, scaleY = 1;
};

namespace {

TGpStatus readQImage(QIODevice& dev, const char* format, QImage& img, int64_t maxPixels) {
    const int64_t cap = std::clamp<int64_t>(maxPixels, 0, GpMaxPicturePixels);
    QImageReader reader(&dev, format ? QByteArray(format) : QByteArray());
    reader.setDecideFormatFromContent(format == nullptr);
    // The allocation limit (megabytes, at least one: 0 would mean none)
    // backs the size check for readers that only learn the size while decoding.
    reader.setAllocationLimit(int(std::max<int64_t>(1, cap * 4 / (1024 * 1024))));
    if (!reader.canRead()) return gpUnknownImageFormat;
    const QSize size = reader.size();
    if (size.isValid() && int64_t(size.width()) * size.height() > cap) return gpImageTooLarge;
    if (!reader.read(&img) || img.isNull())
        return reader.error() == QImageReader::UnknownError ? gpImageTooLarge : gpUnknownImageFormat;
    if (int64_t(img.width()) * img.height() > cap) return gpImageTooLarge;
    return gpOk;
}

// Renders part of a picture at the destination size and draws it through
// the device's masked draw: pixels with no alpha at all stay out.
void drawOnDC(TGpGraphics* g, const QImage& src, const QRectF& srcRect, const QRectF& destRect) {
    const QRectF d(destRect.x() * g->scaleX, destRect.y() * g->scaleY, destRect.width() * g->scaleX,
                   destRect.height() * g->scaleY);
    const QRect dest = d.toAlignedRect();
    if (dest.isEmpty() || srcRect.isEmpty()) return;
    // Very large destinations are rendered at the source size and stretched by the device.
    QSize size = dest.size();
    if (int64_t(size.width()) * size.height() > GpMaxPicturePixels)
        size = srcRect.toAlignedRect().size().boundedTo(QSize(8192, 8192));
    QImage part(size, QImage::Format_ARGB32_Premultiplied);
    if (part.isNull()) return;
    part.fill(Qt::transparent);
    {
        QPainter p(&part);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(0, 0, size.width(), size.height()), src, srcRect);
    }
    TBitmap bmp;
    bmp.SetImage(part);
    TBitmap mask;
    mask.SetPixelFormat(pf1bit);
    mask.SetSize(size.width(), size.height());
    for (int y = 0; y < size.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(part.constScanLine(y));
        uint8_t* m = mask.ScanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            if (qAlpha(line[x]) == 0) m[x / 8] |= uint8_t(0x80 >> (x % 8));
            else m[x / 8] &= uint8_t(~(0x80 >> (x % 8)));
        }
    }
    g->dc->StretchDrawMasked(TRect{dest.left(), dest.top(), dest.right() + 1, dest.bottom() + 1}, &bmp, &mask);
}

TGpStatus readImage(QIODevice& dev, TGpImage** image, int64_t maxPixels) {
    if (!image) return gpInvalidParameter;
    *image = nullptr;
    QImage img;
    const TGpStatus s = readQImage(dev, nullptr, img, maxPixels);
    if (s != gpOk) return s;
    auto out = std::make_unique<TGpImage>();
    out->image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (out->image.isNull()) return gpOutOfMemory;
    *image = out.release();
    return gpOk;
}

QPainter* painterOf(TGpGraphics* g) { return g ? g->painter.get() : nullptr; }

}  // namespace

const char* GpStatusName(int status) {
    static const char* const names[] = {"Ok",           "GenericError",       "InvalidParameter", "OutOfMemory",
                                        "FileNotFound", "UnknownImageFormat", "ImageTooLarge",    "WrongState"};
    return status >= 0 && status < int(sizeof names / sizeof names[0]) ? names[status] : "<UnKnown>";
}

TGpStatus GpLoadImageFromFile(const String& fileName, TGpImage** image, int64_t maxPixels) {
    QFile f(QString::fromUtf8(fileName.data(), qsizetype(fileName.size())));
    if (!f.exists()) return gpFileNotFound;
    if (!f.open(QIODevice::ReadOnly)) return gpGenericError;
    return readImage(f, image, maxPixels);
}

TGpStatus GpLoadImageFromMemory(const void* data, size_t size, TGpImage** image, int64_t maxPixels) {
    if (!data && size) return gpInvalidParameter;
    QByteArray bytes = QByteArray::fromRawData(static_cast<const char*>(data), qsizetype(size));
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    return readImage(buf, image, maxPixels);
}

TGpStatus GpCreateBitmap(int width, int height, TGpImage** image) {
    if (!image || width <= 0 || height <= 0) return gpInvalidParameter;
    if (int64_t(width) * height > GpMaxPicturePixels) return gpImageTooLarge;
    auto out = std::make_unique<TGpImage>();
    out->image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    if (out->image.isNull()) return gpOutOfMemory;
    out->image.fill(Qt::transparent);
    *image = out.release();
    return gpOk;
}

TGpStatus GpDisposeImage(TGpImage* image) {
    if (!image) return gpInvalidParameter;
    delete image;
    return gpOk;
}

TGpStatus GpGetImageWidth(TGpImage* image, uint32_t* width) {
    if (!image || !width) return gpInvalidParameter;
    *width = uint32_t(image->image.width());
    return gpOk;
}

TGpStatus GpGetImageHeight(TGpImage* image, uint32_t* height) {
    if (!image || !height) return gpInvalidParameter;
    *height = uint32_t(image->image.height());
    return gpOk;
}

TGpStatus GpBitmapGetPixel(TGpImage* image, int x, int y, uint32_t* argb) {
    if (!image || !argb || !image->image.valid(x, y)) return gpInvalidParameter;
    *argb = image->image.pixelColor(x, y).rgba();
    return gpOk;
}

TGpStatus GpBitmapSetPixel(TGpImage* image, int x, int y, uint32_t argb) {
    if (!image || !image->image.valid(x, y)) return gpInvalidParameter;
    image->image.setPixelColor(x, y, QColor::fromRgba(argb));
    return gpOk;
}

TGpStatus GpGetImageGraphicsContext(TGpImage* image, TGpGraphics** graphics) {
    if (!image || !graphics || image->image.isNull()) return gpInvalidParameter;
    auto g = std::make_unique<TGpGraphics>();
    g->target = &image->image;
    g->painter = std::make_unique<QPainter>(g->target);
    if (!g->painter->isActive()) return gpWrongState;
    g->painter->setRenderHint(QPainter::SmoothPixmapTransform);
    *graphics = g.release();
    return gpOk;
}

TGpStatus GpCreateFromDC(TDeviceContext* dc, TGpGraphics** graphics) {
    if (!dc || !graphics) return gpInvalidParameter;
    auto g = std::make_unique<TGpGraphics>();
    g->dc = dc;
    *graphics = g.release();
    return gpOk;
}

TGpStatus GpDeleteGraphics(TGpGraphics* graphics) {
    if (!graphics) return gpInvalidParameter;
    delete graphics;
    return gpOk;
}

TGpStatus GpDrawImageRectI(TGpGraphics* g, TGpImage* image, int x, int y, int w, int h) {
    if (g && g->dc && image) {
        drawOnDC(g, image->image, QRectF(image->image.rect()), QRectF(x, y, w, h));
        return gpOk;
    }
    QPainter* p = painterOf(g);
    if (!p || !image) return gpInvalidParameter;
    p->drawImage(QRect(x, y, w, h), image->image);
    return gpOk;
}

TGpStatus GpDrawImagePointRect(TGpGraphics* g, TGpImage* image, float x, float y, float srcx, float srcy, float srcw,
                               float srch) {
    if (g && g->dc && image) {
        drawOnDC(g, image->image, QRectF(srcx, srcy, srcw, srch), QRectF(x, y, srcw, srch));
        return gpOk;
    }
    QPainter* p = painterOf(g);
    if (!p || !image) return gpInvalidParameter;
    p->drawImage(QPointF(x, y), image->image, QRectF(srcx, srcy, srcw, srch));
    return gpOk;
}

TGpStatus GpDrawImageRectRectI(TGpGraphics* g, TGpImage* image, int dx, int dy, int dw, int dh, int sx, int sy, int sw,
                               int sh) {
    if (g && g->dc && image) {
        drawOnDC(g, image->image, QRectF(sx, sy, sw, sh), QRectF(dx, dy, dw, dh));
        return gpOk;
    }
    QPainter* p = painterOf(g);
    if (!p || !image) return gpInvalidParameter;
    // Drawing an image onto itself needs a copy of the source part.
    if (g->target == &image->image) p->drawImage(QRect(dx, dy, dw, dh), image->image.copy(sx, sy, sw, sh));
    else p->drawImage(QRect(dx, dy, dw, dh), image->image, QRect(sx, sy, sw, sh));
    return gpOk;
}

TGpStatus GpGraphicsClear(TGpGraphics* g, uint32_t argb) {
    if (g && g->dc) {
        const TSize s = g->dc->SurfaceSize();
        const TRect all = g->dc->DPtoLP(TRect{0, 0, s.cx, s.cy});
        g->dc->FillRect(all, RGB(qRed(argb), qGreen(argb), qBlue(argb)));
        return gpOk;
    }
    QPainter* p = painterOf(g);
    if (!p) return gpInvalidParameter;
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->resetTransform();
    p->setClipping(false);
    p->fillRect(QRect(QPoint(0, 0),
                      p->device()->width() > 0 ? QSize(p->device()->width(), p->device()->height()) : QSize(0, 0)),
                QColor::fromRgba(argb));
    p->restore();
    return gpOk;
}

TGpStatus GpScaleWorldTransform(TGpGraphics* g, float sx, float sy) {
    if (g && g->dc) {
        g->scaleX *= sx;
        g->scaleY *= sy;
        return gpOk;
    }
    QPainter* p = painterOf(g);
    if (!p) return gpInvalidParameter;
    p->scale(sx, sy);
    return gpOk;
}

TGpStatus GpDecodeBitmap(const void* data, size_t size, const char* format, TBitmap& out, int64_t maxPixels) {
    if (!data && size) return gpInvalidParameter;
    QByteArray bytes = QByteArray::fromRawData(static_cast<const char*>(data), qsizetype(size));
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    QImage img;
    const TGpStatus s = readQImage(buf, format, img, maxPixels);
    if (s != gpOk) return s;
    if (img.hasAlphaChannel()) {
        QImage flat(img.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter p(&flat);
        p.drawImage(0, 0, img);
        p.end();
        img = flat;
    }
    out.SetImage(img);
    return gpOk;
}
