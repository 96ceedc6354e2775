#include "platform/framework/GpImaging.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <memory>

#include "platform/framework/Graphics.h"

struct TGpImage {
    QImage image;
};

struct TGpGraphics {
    QImage* target = nullptr;
    std::unique_ptr<QPainter> painter;
};

namespace {

TGpStatus readImage(QIODevice& dev, TGpImage** image) {
    if (!image) return gpInvalidParameter;
    *image = nullptr;
    QImageReader reader(&dev);
    reader.setDecideFormatFromContent(true);
    // The allocation limit (megabytes) backs the size check for readers
    // that only learn the size while decoding.
    reader.setAllocationLimit(int(GpMaxPicturePixels * 4 / (1024 * 1024)));
    if (!reader.canRead()) return gpUnknownImageFormat;
    const QSize size = reader.size();
    if (size.isValid() && int64_t(size.width()) * size.height() > GpMaxPicturePixels) return gpImageTooLarge;
    QImage img;
    if (!reader.read(&img) || img.isNull())
        return reader.error() == QImageReader::UnknownError ? gpImageTooLarge : gpUnknownImageFormat;
    if (int64_t(img.width()) * img.height() > GpMaxPicturePixels) return gpImageTooLarge;
    auto out = std::make_unique<TGpImage>();
    out->image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (out->image.isNull()) return gpOutOfMemory;
    *image = out.release();
    return gpOk;
}

QPainter* painterOf(TGpGraphics* g) { return g ? g->painter.get() : nullptr; }

}  // namespace

const char* GpStatusName(int status) {
    static const char* const names[] = {"Ok",         "GenericError",       "InvalidParameter", "OutOfMemory",
                                        "FileNotFound", "UnknownImageFormat", "ImageTooLarge",    "WrongState"};
    return status >= 0 && status < int(sizeof names / sizeof names[0]) ? names[status] : "<UnKnown>";
}

TGpStatus GpLoadImageFromFile(const String& fileName, TGpImage** image) {
    QFile f(QString::fromUtf8(fileName.data(), qsizetype(fileName.size())));
    if (!f.exists()) return gpFileNotFound;
    if (!f.open(QIODevice::ReadOnly)) return gpGenericError;
    return readImage(f, image);
}

TGpStatus GpLoadImageFromMemory(const void* data, size_t size, TGpImage** image) {
    if (!data && size) return gpInvalidParameter;
    QByteArray bytes = QByteArray::fromRawData(static_cast<const char*>(data), qsizetype(size));
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    return readImage(buf, image);
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

TGpStatus GpDeleteGraphics(TGpGraphics* graphics) {
    if (!graphics) return gpInvalidParameter;
    delete graphics;
    return gpOk;
}

TGpStatus GpDrawImageRectI(TGpGraphics* g, TGpImage* image, int x, int y, int w, int h) {
    QPainter* p = painterOf(g);
    if (!p || !image) return gpInvalidParameter;
    p->drawImage(QRect(x, y, w, h), image->image);
    return gpOk;
}

TGpStatus GpDrawImagePointRect(TGpGraphics* g, TGpImage* image, float x, float y, float srcx, float srcy,
                               float srcw, float srch) {
    QPainter* p = painterOf(g);
    if (!p || !image) return gpInvalidParameter;
    p->drawImage(QPointF(x, y), image->image, QRectF(srcx, srcy, srcw, srch));
    return gpOk;
}

TGpStatus GpDrawImageRectRectI(TGpGraphics* g, TGpImage* image, int dx, int dy, int dw, int dh, int sx, int sy,
                               int sw, int sh) {
    QPainter* p = painterOf(g);
    if (!p || !image) return gpInvalidParameter;
    // Drawing an image onto itself needs a copy of the source part.
    if (g->target == &image->image)
        p->drawImage(QRect(dx, dy, dw, dh), image->image.copy(sx, sy, sw, sh));
    else
        p->drawImage(QRect(dx, dy, dw, dh), image->image, QRect(sx, sy, sw, sh));
    return gpOk;
}

TGpStatus GpGraphicsClear(TGpGraphics* g, uint32_t argb) {
    QPainter* p = painterOf(g);
    if (!p) return gpInvalidParameter;
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->resetTransform();
    p->setClipping(false);
    p->fillRect(QRect(QPoint(0, 0), p->device()->width() > 0 ? QSize(p->device()->width(), p->device()->height())
                                                              : QSize(0, 0)),
                QColor::fromRgba(argb));
    p->restore();
    return gpOk;
}

TGpStatus GpScaleWorldTransform(TGpGraphics* g, float sx, float sy) {
    QPainter* p = painterOf(g);
    if (!p) return gpInvalidParameter;
    p->scale(sx, sy);
    return gpOk;
}
