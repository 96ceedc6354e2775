// TBitmap: pixels over QImage in the framework's pixel formats.
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>

#include "platform/framework/DeviceContext.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtDeviceContext.h"
#include "platform/runtime/Translation.h"

namespace {

QImage::Format storageFormat(TPixelFormat f) {
    switch (f) {
    case pf1bit: return QImage::Format_Mono;
    case pf8bit: return QImage::Format_Indexed8;
    case pf24bit: return QImage::Format_BGR888;
    default: return QImage::Format_ARGB32_Premultiplied;
    }
}

TPixelFormat formatOf(const QImage& img) {
    switch (img.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return pf1bit;
    case QImage::Format_Indexed8: return pf8bit;
    case QImage::Format_RGB888:
    case QImage::Format_BGR888: return pf24bit;
    default: return pfDevice;
    }
}

QList<QRgb> colorTable(const std::vector<TColor>& pal) {
    QList<QRgb> t;
    for (TColor c : pal) {
        const int32_t v = ColorToRGB(c);
        t.push_back(qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF));
    }
    return t;
}

// 0 black, 1 white, as the framework's monochrome bitmaps have it.
const QList<QRgb> kMonoTable{qRgb(0, 0, 0), qRgb(255, 255, 255)};

// The 6×6×6 colour cube plus greys: a palette for 8-bit bitmaps without one.
std::vector<TColor> defaultPalette() {
    std::vector<TColor> p;
    for (int b = 0; b < 6; ++b)
        for (int g = 0; g < 6; ++g)
            for (int r = 0; r < 6; ++r) p.push_back(RGB(r * 51, g * 51, b * 51));
    for (int i = 0; i < 40; ++i) p.push_back(RGB(i * 255 / 39, i * 255 / 39, i * 255 / 39));
    return p;
}

QImage convertTo(const QImage& src, TPixelFormat f, const std::vector<TColor>& pal) {
    if (src.isNull()) return src;
    switch (f) {
    case pf1bit: {
        QImage m = src.convertToFormat(QImage::Format_Mono, kMonoTable, Qt::ThresholdDither);
        return m;
    }
    case pf8bit:
        return src.convertToFormat(QImage::Format_Indexed8, colorTable(pal.empty() ? defaultPalette() : pal),
                                   Qt::ThresholdDither);
    default: return src.convertToFormat(storageFormat(f));
    }
}

[[noreturn]] void refuseSize(int w, int h) {
    const TCString format = zrnTranslateString("Bitmap of %d x %d pixels is too large");
    char text[256];
    snprintf(text, sizeof text, format.c_str(), w, h);
    throw EInvalidGraphicOperation(text);
}

void checkSize(int w, int h) {
    if (w > TBitmap::MaxSide || h > TBitmap::MaxSide || int64_t(w) * h > TBitmap::MaxPixels) refuseSize(w, h);
}

}  // namespace

IMPLEMENT_CLASS(TGraphic, TPersistent) {}
IMPLEMENT_CLASS(TBitmap, TGraphic) {}

TBitmap::TBitmap() : FImage(new QImage) {}
TBitmap::TBitmap(int w, int h) : FImage(new QImage) { SetSize(w, h); }
TBitmap::~TBitmap() {
    EndPainter();
    delete FCanvas;  // its device refers to this bitmap
    delete FImage;
}
int TBitmap::Width() const { return FImage->width(); }
int TBitmap::Height() const { return FImage->height(); }
bool TBitmap::Empty() const { return FImage->isNull() || FImage->width() == 0 || FImage->height() == 0; }

void TBitmap::SetSize(int w, int h) {
    w = std::max(w, 0);
    h = std::max(h, 0);
    checkSize(w, h);
    EndPainter();
    if (w == Width() && h == Height()) return;
    if (w == 0 || h == 0) {
        *FImage = QImage();
        if (FDC) FDC->SurfaceChanged();
        fire(OnChange, this);
        return;
    }
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    if (img.isNull()) refuseSize(w, h);  // the allocation failed
    img.fill(Qt::white);
    if (!FImage->isNull()) {
        QPainter p(&img);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, *FImage);
    }
    *FImage = FFormat == pfDevice || FFormat == pf32bit ? img : convertTo(img, FFormat, FPalette);
    if (FDC) FDC->SurfaceChanged();
    fire(OnChange, this);
}

void TBitmap::SetPixelFormat(TPixelFormat f) {
    if (f == FFormat) return;
    EndPainter();
    if (f == pf8bit && FPalette.empty()) FPalette = defaultPalette();
    FFormat = f;
    *FImage = convertTo(*FImage, f, FPalette);
    if (FDC) FDC->SurfaceChanged();
    fire(OnChange, this);
}

std::vector<TColor> TBitmap::Palette() const {
    if (FFormat == pf8bit && !FImage->isNull()) {
        std::vector<TColor> out;
        for (QRgb c : FImage->colorTable()) out.push_back(RGB(qRed(c), qGreen(c), qBlue(c)));
        return out;
    }
    return FPalette;
}

void TBitmap::SetPalette(const std::vector<TColor>& colors) {
    EndPainter();
    FPalette.assign(colors.begin(), colors.begin() + std::min<size_t>(colors.size(), 256));
    if (FFormat == pf8bit && !FImage->isNull()) {
        // The indexes stay; they now name the new colours.
        QList<QRgb> t = colorTable(FPalette);
        while (t.size() < FImage->colorCount()) t.push_back(qRgb(0, 0, 0));
        FImage->setColorTable(t);
    }
    fire(OnChange, this);
}

uint8_t* TBitmap::ScanLine(int y) {
    EndPainter();
    if (y < 0 || y >= Height()) return nullptr;
    return FImage->scanLine(y);
}
const uint8_t* TBitmap::ScanLine(int y) const {
    const QImage& img = Image();
    if (y < 0 || y >= img.height()) return nullptr;
    return img.constScanLine(y);
}
int TBitmap::BytesPerLine() const { return int(Image().bytesPerLine()); }

TColor TBitmap::TransparentColor() const {
    if (TransparentMode == tmFixed) return FTransparentColor;
    if (Empty()) return clNone;
    return fromQColor(Image().pixelColor(0, Height() - 1));
}

TBitmap* TBitmap::CreateMask(TColor c) const {
    auto* m = new TBitmap;
    if (Empty()) return m;
    const QImage src = Image().convertToFormat(QImage::Format_RGB32);
    const int32_t key = ColorToRGB(c);
    const QRgb k = qRgb(key & 0xFF, (key >> 8) & 0xFF, (key >> 16) & 0xFF) & 0xFFFFFF;
    QImage mask(src.width(), src.height(), QImage::Format_Mono);
    mask.setColorTable(kMonoTable);
    for (int y = 0; y < src.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x) mask.setPixel(x, y, (line[x] & 0xFFFFFF) == k ? 1 : 0);
    }
    m->SetImage(mask);
    return m;
}

bool TBitmap::LoadFromFile(const String& path) {
    QImage img;
    if (!img.load(toQ(path))) return false;
    SetImage(img);
    return true;
}
bool TBitmap::SaveToFile(const String& path) const { return Image().save(toQ(path)); }

void TBitmap::Assign(TPersistent* Source) {
    if (Source == this) return;
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        FPalette = b->FPalette;
        SetImage(b->Image());
        Transparent = b->Transparent;
        TransparentMode = b->TransparentMode;
        FTransparentColor = b->FTransparentColor;
        return;
    }
    if (auto* p = dynamic_cast<TPicture*>(Source)) {
        if (p->Graphic()) Assign(p->Graphic());
        else SetImage(QImage());
        return;
    }
    TGraphic::Assign(Source);
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) {
        FCanvas = new TCanvas;
        FCanvas->FOwnedDevice = NewBitmapDeviceContext(this);
        FDC = FCanvas->FOwnedDevice.get();
        FCanvas->SetDevice(FDC);
    }
    return FCanvas;
}

void TBitmap::ReleaseCanvas() { EndPainter(); }

QPainter* TBitmap::BeginPainter() {
    if (FPainter) return FPainter;
    if (Empty()) return nullptr;
    // Painting needs true colour; bitmaps of fewer bits go back on release.
    if (FImage->format() != QImage::Format_ARGB32_Premultiplied && FImage->format() != QImage::Format_RGB32)
        *FImage = FImage->convertToFormat(QImage::Format_ARGB32_Premultiplied);
    FPainter = new QPainter(FImage);
    return FPainter;
}

void TBitmap::EndPainter() {
    if (!FPainter) return;
    FPainter->end();
    delete FPainter;
    FPainter = nullptr;
    if (FFormat != pfDevice && FFormat != pf32bit) *FImage = convertTo(*FImage, FFormat, FPalette);
    fire(OnChange, this);
}

const QImage& TBitmap::Image() const {
    const_cast<TBitmap*>(this)->EndPainter();
    return *FImage;
}

void TBitmap::SetImage(const QImage& img) {
    EndPainter();
    checkSize(img.width(), img.height());
    FFormat = formatOf(img);
    if (FFormat == pf8bit) {
        FPalette.clear();
        for (QRgb c : img.colorTable()) FPalette.push_back(RGB(qRed(c), qGreen(c), qBlue(c)));
    }
    *FImage = img.isNull() ? img : convertTo(img, FFormat, FPalette);
    if (FDC) FDC->SurfaceChanged();
    fire(OnChange, this);
}
