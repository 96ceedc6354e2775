#include "platform/framework/QtDeviceContext.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QRawFont>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

#include "platform/framework/Forms.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/RegionImpl.h"

namespace {

QColor qrgb(int32_t rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }
QRect qrect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

// One realised font: the Qt font, its metrics and the advances measured so far.
struct FontCacheEntry {
    TLogFont key;
    QFont font;
    QFontMetrics fm{QFont()};
    QRawFont raw;
    bool rawLoaded = false;
    std::unordered_map<char32_t, int> advances;  // by character (a pair is one)
    TTextMetric tm;
};

int pixelSizeOf(const TLogFont& f) {
    if (f.Height < 0) return std::min(-f.Height, 10000);
    if (f.Height == 0) return 16;
    // A cell height: the em height is what remains after the font's own leading.
    QFont probe = QtFontOf(TLogFont{f.Face, -std::min(f.Height, 10000), f.Style, f.Charset, f.Pitch});
    QFontMetrics fm(probe);
    const int cell = std::max(fm.ascent() + fm.descent(), 1);
    return std::max(1, int(std::lround(double(std::min(f.Height, 10000)) * std::min(f.Height, 10000) / cell)));
}

class TQtDC : public TDeviceContext {
public:
    TQtDC(QPainter* p, const TDeviceCaps& caps) : FFixed(p) {
        FCaps = caps;
        FBaseTransform = p->transform();
        if (p->hasClipping()) {
            FBaseClip = p->clipRegion() * p->transform();
            FHasBaseClip = true;
            // The part of a window being painted limits every clip.
            FSurfaceClip.impl().r = p->clipRegion();
        }
    }
    explicit TQtDC(TBitmap* bmp, std::unique_ptr<TBitmap> owned = nullptr,
                   std::optional<TDeviceCaps> device = std::nullopt)
        : FBitmap(bmp), FOwned(std::move(owned)), FDeviceCaps(std::move(device)) {
        FCaps = bitmapCaps();
    }
    // An information context: a device's facts and its measuring, no pixels.
    explicit TQtDC(const TDeviceCaps& caps) : FInfo(true) { FCaps = caps; }

    // A bitmap's depth and size may change while its canvas lives.
    void SurfaceChanged() override {
        if (FBitmap) FCaps = bitmapCaps();
    }

    TSize SurfaceSize() const override {
        if (FBitmap) return TSize{FBitmap->Width(), FBitmap->Height()};
        if (FInfo) return TSize{std::max(FCaps.HorzRes, 0), std::max(FCaps.VertRes, 0)};
        QPaintDevice* d = FFixed->device();
        return d ? TSize{d->width(), d->height()} : TSize{};
    }

    TRegion SurfaceRegion() const override {
        TRegion area = TDeviceContext::SurfaceRegion();
        if (FHasBaseClip) area.Combine(area, FSurfaceClip, RGN_AND);
        return area;
    }

    std::unique_ptr<TDeviceContext> NewMeasuringContext() const override {
        TDeviceCaps c = FCaps;
        const TSize sz = SurfaceSize();
        c.HorzRes = sz.cx;
        c.VertRes = sz.cy;
        return std::make_unique<TQtDC>(c);
    }

protected:
    // ---- fonts
    FontCacheEntry& font() {
        const TLogFont& f = S.Font;
        if (FFont && FFont->key == f) return *FFont;
        for (auto& e : FFonts)
            if (e->key == f) {
                FFont = e.get();
                return *FFont;
            }
        auto e = std::make_unique<FontCacheEntry>();
        e->key = f;
        e->font = QtFontOf(f);
        e->font.setPixelSize(pixelSizeOf(f));
        e->fm = QFontMetrics(e->font);
        TTextMetric& tm = e->tm;
        tm.Ascent = e->fm.ascent();
        tm.Descent = e->fm.descent();
        tm.Height = tm.Ascent + tm.Descent;
        tm.InternalLeading = std::max(0, tm.Height - e->font.pixelSize());
        tm.ExternalLeading = std::max(0, e->fm.leading());
        tm.AveCharWidth = e->fm.averageCharWidth();
        tm.MaxCharWidth = e->fm.maxWidth();
        tm.CharSet =
            IsSymbolFontFace(f.Face) ? SYMBOL_CHARSET : (f.Charset == DEFAULT_CHARSET ? ANSI_CHARSET : f.Charset);
        if (FFonts.size() > 64) FFonts.erase(FFonts.begin());
        FFonts.push_back(std::move(e));
        FFont = FFonts.back().get();
        return *FFont;
    }

    void CharAdvances(std::u16string_view text, std::vector<int>& out) override {
        FontCacheEntry& f = font();
        out.resize(text.size());
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c < 0x20) {
                out[i] = 0;
                continue;
            }
            if (IsSurrogatePairAt(text, i)) {
                // A character beyond the Basic Multilingual Plane: measured whole.
                const char32_t cp = SurrogatePairValue(text, i);
                auto it = f.advances.find(cp);
                if (it == f.advances.end())
                    it = f.advances.emplace(cp, std::max(0, f.fm.horizontalAdvance(QString::fromUtf16(&text[i], 2))))
                             .first;
                out[i] = it->second;
                out[++i] = 0;
                continue;
            }
            auto it = f.advances.find(c);
            if (it == f.advances.end()) it = f.advances.emplace(c, std::max(0, f.fm.horizontalAdvance(QChar(c)))).first;
            out[i] = it->second;
        }
    }
    TTextMetric FontMetrics() override { return font().tm; }

    // ---- the painter with the state in force
    bool raster() {
        QPainter* p = painter();
        return p && p->paintEngine() && p->paintEngine()->type() == QPaintEngine::Raster;
    }
    QPainter* painter() { return FBitmap ? FBitmap->BeginPainter() : FFixed; }  // none for an information context
    QTransform mapping() const {
        const double sx = double(S.ViewportExt.cx) / S.WindowExt.cx, sy = double(S.ViewportExt.cy) / S.WindowExt.cy;
        return QTransform(sx, 0, 0, sy, S.ViewportOrg.X - S.WindowOrg.X * sx, S.ViewportOrg.Y - S.WindowOrg.Y * sy);
    }
    // Clip in device units on an identity transform, then the mapping.
    QPainter* prepare() {
        QPainter* p = painter();
        if (!p) return nullptr;
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->setRenderHint(QPainter::Antialiasing, false);
        p->setRenderHint(QPainter::SmoothPixmapTransform, false);
        p->setOpacity(1.0);
        p->resetTransform();
        if (S.HasClip) {
            QRegion clip = S.Clip.impl().r;
            if (FHasBaseClip) clip &= FBaseClip;
            p->setClipRegion(clip);
        } else if (FHasBaseClip) {
            p->setClipRegion(FBaseClip);
        } else {
            p->setClipping(false);
        }
        p->setTransform(mapping() * FBaseTransform);
        return p;
    }

    QPen qpen() const {
        const TLogPen& lp = S.Pen;
        const int style = lp.Style & PS_STYLE_MASK;
        if (style == PS_NULL) return QPen(Qt::NoPen);
        QPen pen(qrgb(DeviceRGB(lp.Color)));
        pen.setWidth(std::clamp(lp.Width, 1, 10000));
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setCapStyle(Qt::SquareCap);
        const bool geometric = lp.Style & PS_GEOMETRIC;
        if (geometric) {
            switch (lp.Style & PS_JOIN_MASK) {
            case PS_JOIN_BEVEL: pen.setJoinStyle(Qt::BevelJoin); break;
            case PS_JOIN_ROUND: pen.setJoinStyle(Qt::RoundJoin); break;
            default: pen.setJoinStyle(Qt::MiterJoin); break;
            }
            switch (lp.Style & PS_ENDCAP_MASK) {
            case PS_ENDCAP_FLAT: pen.setCapStyle(Qt::FlatCap); break;
            case PS_ENDCAP_ROUND: pen.setCapStyle(Qt::RoundCap); break;
            default: pen.setCapStyle(Qt::SquareCap); break;
            }
        }
        switch (style) {
        case PS_DOT:
            // Dots and gaps as long as the pen is wide, so the pattern grows with it.
            pen.setCapStyle(Qt::FlatCap);
            pen.setDashPattern({1, 1});
            break;
        case PS_DASH:
            pen.setCapStyle(Qt::FlatCap);
            pen.setDashPattern({3, 1});
            break;
        case PS_DASHDOT:
            pen.setCapStyle(Qt::FlatCap);
            pen.setDashPattern({3, 1, 1, 1});
            break;
        case PS_DASHDOTDOT:
            pen.setCapStyle(Qt::FlatCap);
            pen.setDashPattern({3, 1, 1, 1, 1, 1});
            break;
        default: break;
        }
        return pen;
    }
    bool solidPen() const {
        const int style = S.Pen.Style & PS_STYLE_MASK;
        return style == PS_SOLID || style == PS_INSIDEFRAME;
    }
    bool penVisible() const { return (S.Pen.Style & PS_STYLE_MASK) != PS_NULL; }
    bool brushVisible() const { return S.Brush.Style != BS_NULL; }
    QColor brushColor() const { return qrgb(DeviceRGB(S.Brush.Color)); }

    // ---- shapes
    void DrawPolyline(const std::vector<TPoint>& pts) override {
        QPainter* p = prepare();
        if (!p || !penVisible()) return;
        const int w = std::max(S.Pen.Width, 1);
        // One-pixel solid lines leave out their last point, as the classic interface does.
        if (w == 1 && solidPen()) {
            const QColor c = qrgb(DeviceRGB(S.Pen.Color));
            for (size_t i = 0; i + 1 < pts.size(); ++i) {
                const TPoint a = pts[i], b = pts[i + 1];
                if (a.Y == b.Y) {
                    if (a.X != b.X)
                        p->fillRect(a.X < b.X ? QRect(a.X, a.Y, b.X - a.X, 1) : QRect(b.X + 1, a.Y, a.X - b.X, 1), c);
                } else if (a.X == b.X) {
                    p->fillRect(a.Y < b.Y ? QRect(a.X, a.Y, 1, b.Y - a.Y) : QRect(a.X, b.Y + 1, 1, a.Y - b.Y), c);
                } else {
                    // A diagonal: the pixels of the line up to, not including, its end.
                    QPolygon dots;
                    int x = a.X, y = a.Y;
                    const int dx = std::abs(b.X - a.X), dy = -std::abs(b.Y - a.Y);
                    const int sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
                    int err = dx + dy;
                    while (x != b.X || y != b.Y) {
                        dots << QPoint(x, y);
                        const int e2 = 2 * err;
                        if (e2 >= dy) {
                            err += dy;
                            x += sx;
                        }
                        if (e2 <= dx) {
                            err += dx;
                            y += sy;
                        }
                    }
                    p->setPen(QPen(c, 1));
                    p->drawPoints(dots);
                }
            }
            return;
        }
        p->setPen(qpen());
        p->setBrush(Qt::NoBrush);
        QPolygon poly;
        for (const TPoint& t : pts) poly << QPoint(t.X, t.Y);
        p->drawPolyline(poly);
    }

    void DrawRectangle(const TRect& r) override {
        QPainter* p = prepare();
        if (!p) return;
        const int w = std::max(S.Pen.Width, 1);
        const bool inside = (S.Pen.Style & PS_STYLE_MASK) == PS_INSIDEFRAME;
        if (brushVisible()) p->fillRect(qrect(r), brushColor());
        if (!penVisible()) return;
        if (solidPen() && (w == 1 || inside)) {
            // Bands of the pen's width inside the box.
            const QColor c = qrgb(DeviceRGB(S.Pen.Color));
            const int bw = std::min(w, (r.Width() + 1) / 2), bh = std::min(w, (r.Height() + 1) / 2);
            p->fillRect(QRect(r.Left, r.Top, r.Width(), bh), c);
            p->fillRect(QRect(r.Left, r.Bottom - bh, r.Width(), bh), c);
            p->fillRect(QRect(r.Left, r.Top, bw, r.Height()), c);
            p->fillRect(QRect(r.Right - bw, r.Top, bw, r.Height()), c);
            return;
        }
        p->setPen(qpen());
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    }

    void DrawEllipse(const TRect& r) override {
        QPainter* p = prepare();
        if (!p) return;
        p->setPen(penVisible() ? qpen() : QPen(Qt::NoPen));
        p->setBrush(brushVisible() ? QBrush(brushColor()) : QBrush(Qt::NoBrush));
        if ((S.Pen.Style & PS_STYLE_MASK) == PS_INSIDEFRAME && S.Pen.Width > 1) {
            const int h = S.Pen.Width / 2;
            p->drawEllipse(QRect(r.Left + h, r.Top + h, r.Width() - 1 - 2 * h, r.Height() - 1 - 2 * h));
        } else {
            p->drawEllipse(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
        }
    }

    void DrawPolygon(const std::vector<TPoint>& pts) override {
        QPainter* p = prepare();
        if (!p) return;
        QPolygon poly;
        for (const TPoint& t : pts) poly << QPoint(t.X, t.Y);
        p->setPen(penVisible() ? qpen() : QPen(Qt::NoPen));
        p->setBrush(brushVisible() ? QBrush(brushColor()) : QBrush(Qt::NoBrush));
        p->drawPolygon(poly, S.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    }

    void DrawFill(const TRect& r, int32_t rgb) override {
        if (QPainter* p = prepare()) p->fillRect(qrect(r), qrgb(rgb));
    }

    void DrawRegion(const TRegion& rgn, int32_t rgb) override {
        QPainter* p = prepare();
        if (!p) return;
        p->setTransform(FBaseTransform);  // the region is in device units
        for (const QRect& r : rgn.impl().r) p->fillRect(r, qrgb(rgb));
    }

    void DrawFocus(const TRect& r) override {
        QPainter* p = prepare();
        if (!p) return;
        if (raster()) {
            // Every other pixel of the frame inverted: drawing it twice removes it.
            p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            const QColor white(255, 255, 255);
            auto dot = [&](int x, int y) { p->fillRect(QRect(x, y, 1, 1), white); };
            for (int x = r.Left; x < r.Right; x += 2) {
                dot(x, r.Top);
                if (r.Bottom - 1 > r.Top) dot(x, r.Bottom - 1);
            }
            for (int y = r.Top + 2; y < r.Bottom - 1; y += 2) {
                dot(r.Left, y);
                if (r.Right - 1 > r.Left) dot(r.Right - 1, y);
            }
            p->setCompositionMode(QPainter::CompositionMode_SourceOver);
            return;
        }
        QPen pen(Qt::black);
        pen.setStyle(Qt::DotLine);
        p->setPen(pen);
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    }

    void DrawPixel(int x, int y, int32_t rgb) override {
        if (QPainter* p = prepare()) p->fillRect(QRect(x, y, 1, 1), qrgb(rgb));
    }

    TColor ReadPixel(int x, int y) override {
        const TPoint d = LPtoDP(Point(x, y));
        if (S.HasClip && !S.Clip.PtIn(d.X, d.Y)) return clNone;
        const QImage* img = nullptr;
        if (FBitmap) img = &FBitmap->Image();
        else if (FFixed && FFixed->device() && FFixed->device()->devType() == QInternal::Image)
            img = static_cast<const QImage*>(FFixed->device());
        if (!img) return clNone;
        const QPoint q = FBaseTransform.map(QPoint(d.X, d.Y));
        if (!img->rect().contains(q)) return clNone;
        return fromQColor(img->pixelColor(q));
    }

    void DrawPath(const std::vector<Figure>& figures, bool stroke, bool fill) override {
        QPainter* p = prepare();
        if (!p) return;
        QPainterPath path;
        path.setFillRule(S.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        for (const Figure& f : figures) {
            if (f.Points.empty()) continue;
            path.moveTo(f.Points[0].X, f.Points[0].Y);
            for (size_t i = 1; i < f.Points.size(); ++i) path.lineTo(f.Points[i].X, f.Points[i].Y);
            if (f.Closed) path.closeSubpath();
        }
        p->setPen(stroke && penVisible() ? qpen() : QPen(Qt::NoPen));
        p->setBrush(fill && brushVisible() ? QBrush(brushColor()) : QBrush(Qt::NoBrush));
        p->drawPath(path);
    }

    // ---- text
    void DrawGlyphs(std::u16string_view text, const std::vector<int>& xs, int baseline, const TRect* clip,
                    const TRect* opaque) override {
        FontCacheEntry& f = font();
        QPainter* p = prepare();
        if (!p) return;
        if (clip) p->setClipRect(qrect(*clip), Qt::IntersectClip);
        if (opaque) p->fillRect(qrect(*opaque), qrgb(DeviceRGB(S.BkColor)));
        if (text.empty()) return;
        const QColor color = qrgb(DeviceRGB(S.TextColor));
        if (!f.rawLoaded) {
            QFont plain = f.font;
            plain.setUnderline(false);
            plain.setStrikeOut(false);
            f.raw = QRawFont::fromFont(plain);
            f.rawLoaded = true;
        }
        // Glyphs go exactly where they were measured; characters the face
        // lacks are drawn one by one so that Qt can fall back to another face.
        QList<quint32> glyphs;
        QList<QPointF> positions;
        p->setPen(color);
        QFont plain = f.font;
        plain.setUnderline(false);
        plain.setStrikeOut(false);
        p->setFont(plain);
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c < 0x20 || c == u' ') continue;
            // A surrogate pair is one character at the position of its first unit.
            const bool pair = IsSurrogatePairAt(text, i);
            const QString ch = pair ? QString::fromUtf16(&text[i], 2) : QString(QChar(c));
            const uint code = pair ? uint(SurrogatePairValue(text, i)) : uint(c);
            const int x = xs[i];
            if (pair) ++i;
            if (f.raw.isValid() && f.raw.supportsCharacter(code)) {
                const QList<quint32> g = f.raw.glyphIndexesForString(ch);
                if (!g.isEmpty()) {
                    glyphs.push_back(g.front());
                    positions.push_back(QPointF(x, baseline));
                    continue;
                }
            }
            p->drawText(QPoint(x, baseline), ch);
        }
        if (!glyphs.isEmpty()) {
            QGlyphRun run;
            run.setRawFont(f.raw);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            p->drawGlyphRun(QPointF(0, 0), run);
        }
        const int x0 = xs.empty() ? 0 : xs.front();
        std::vector<int> adv;
        CharAdvances(text, adv);
        const int x1 = xs.empty() ? x0 : xs.back() + adv.back();
        const int lw = std::max(1, f.fm.lineWidth());
        if (S.Font.Style & fsSet(fsUnderline))
            p->fillRect(QRect(x0, baseline + f.fm.underlinePos(), x1 - x0, lw), color);
        if (S.Font.Style & fsSet(fsStrikeOut))
            p->fillRect(QRect(x0, baseline - f.fm.strikeOutPos(), x1 - x0, lw), color);
    }

    // ---- bits
    static QPainter::CompositionMode ropMode(uint32_t rop, bool& ok) {
        ok = true;
        switch (rop) {
        case SRCPAINT: return QPainter::RasterOp_SourceOrDestination;
        case SRCAND: return QPainter::RasterOp_SourceAndDestination;
        case SRCINVERT: return QPainter::RasterOp_SourceXorDestination;
        case NOTSRCCOPY: return QPainter::RasterOp_NotSource;
        case SRCCOPY: return QPainter::CompositionMode_Source;
        default: ok = false; return QPainter::CompositionMode_SourceOver;
        }
    }

    bool DrawBits(const TRect& dest, const TBitmap* src, const TRect& srcRect, uint32_t rop) override {
        bool ok = false;
        const QPainter::CompositionMode mode = ropMode(rop, ok);
        if (!ok) return false;
        // Read the source before painting: a bitmap copied onto itself must not
        // lose its painter halfway.
        QRect sr = qrect(srcRect);
        const QImage& whole = src->Image();
        const QRect inside = sr.intersected(whole.rect());
        if (inside.isEmpty()) return false;
        QImage part = whole.copy(sr).convertToFormat(QImage::Format_RGB32);
        QPainter* p = prepare();
        if (!p) return false;
        if (rop != SRCCOPY && !raster()) return false;
        if (rop == SRCCOPY && !raster()) p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        else p->setCompositionMode(mode);
        p->setRenderHint(QPainter::SmoothPixmapTransform, S.StretchMode == HALFTONE);
        p->drawImage(qrect(dest), part);
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        return true;
    }

    bool DrawPattern(const TRect& dest, uint32_t rop) override {
        QPainter* p = prepare();
        if (!p) return false;
        switch (rop) {
        case BLACKNESS: p->fillRect(qrect(dest), Qt::black); return true;
        case WHITENESS: p->fillRect(qrect(dest), Qt::white); return true;
        case PATCOPY:
            if (brushVisible()) p->fillRect(qrect(dest), brushColor());
            return true;
        case DSTINVERT:
            if (!raster()) return false;
            p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p->fillRect(qrect(dest), Qt::white);
            p->setCompositionMode(QPainter::CompositionMode_SourceOver);
            return true;
        default: return false;
        }
    }

    void DrawMasked(const TRect& dest, const TBitmap* bmp, const TBitmap* mask) override {
        QImage img = bmp->Image().convertToFormat(QImage::Format_ARGB32);
        if (mask && !mask->Empty()) {
            const QImage m = mask->Image().convertToFormat(QImage::Format_RGB32);
            const int h = std::min(img.height(), m.height()), w = std::min(img.width(), m.width());
            for (int y = 0; y < h; ++y) {
                auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
                const auto* ml = reinterpret_cast<const QRgb*>(m.constScanLine(y));
                for (int x = 0; x < w; ++x)
                    if (qGray(ml[x]) >= 128) line[x] = 0;  // white in the mask: transparent
            }
        }
        QPainter* p = prepare();
        if (!p) return;
        p->setRenderHint(QPainter::SmoothPixmapTransform, S.StretchMode == HALFTONE);
        p->drawImage(qrect(dest), img);
    }

    void StateChanged() override {}

private:
    TDeviceCaps bitmapCaps() const {
        TDeviceCaps c;
        EnsureApplication();
        if (QScreen* s = QGuiApplication::primaryScreen()) {
            c.LogPixelsX = int(std::lround(s->logicalDotsPerInchX()));
            c.LogPixelsY = int(std::lround(s->logicalDotsPerInchY()));
        }
        // A bitmap standing in for another device (a band of a printer page)
        // reports that device's facts at the bitmap's size.
        if (FDeviceCaps) {
            c = *FDeviceCaps;
            c.HorzRes = FBitmap->Width();
            c.VertRes = FBitmap->Height();
            return c;
        }
        // The screen's measuring context reports the screen's depth.
        if (FOwned) {
            if (QScreen* s = QGuiApplication::primaryScreen()) c.BitsPixel = std::max(s->depth(), 1);
            return c;
        }
        switch (FBitmap->PixelFormat()) {
        case pf1bit:
            c.BitsPixel = 1;
            c.NumColors = 2;
            break;
        case pf8bit:
            c.BitsPixel = 8;
            c.NumColors = 256;
            break;
        case pf24bit: c.BitsPixel = 24; break;
        default: c.BitsPixel = 32; break;
        }
        c.HorzRes = FBitmap->Width();
        c.VertRes = FBitmap->Height();
        return c;
    }

    QPainter* FFixed = nullptr;
    TBitmap* FBitmap = nullptr;
    std::unique_ptr<TBitmap> FOwned;
    std::optional<TDeviceCaps> FDeviceCaps;
    bool FInfo = false;
    QTransform FBaseTransform;
    QRegion FBaseClip;
    TRegion FSurfaceClip;  // the painter's clip in device units
    bool FHasBaseClip = false;
    std::vector<std::unique_ptr<FontCacheEntry>> FFonts;
    FontCacheEntry* FFont = nullptr;
};

}  // namespace

QFont QtFontOf(const TLogFont& f) {
    QFont q(toQ(f.Face));
    q.setPixelSize(f.Height < 0 ? std::min(-f.Height, 10000) : f.Height > 0 ? std::min(f.Height, 10000) : 16);
    q.setBold(f.Style & fsSet(fsBold));
    q.setItalic(f.Style & fsSet(fsItalic));
    q.setUnderline(f.Style & fsSet(fsUnderline));
    q.setStrikeOut(f.Style & fsSet(fsStrikeOut));
    q.setKerning(false);
    if (f.Pitch == fpFixed) q.setFixedPitch(true);
    return q;
}

TDeviceCaps DeviceCapsOf(QPaintDevice* dev) {
    TDeviceCaps c;
    if (!dev) return c;
    c.LogPixelsX = dev->logicalDpiX();
    c.LogPixelsY = dev->logicalDpiY();
    c.BitsPixel = std::max(dev->depth(), 1);
    c.NumColors = c.BitsPixel == 1 ? 2 : c.BitsPixel <= 8 ? (1 << c.BitsPixel) : -1;
    c.HorzRes = dev->width();
    c.VertRes = dev->height();
    if (dev->devType() == QInternal::Printer) {
        auto* pr = static_cast<QPrinter*>(dev);
        const QRectF paper = pr->paperRect(QPrinter::DevicePixel), page = pr->pageRect(QPrinter::DevicePixel);
        c.PhysicalWidth = int(std::lround(paper.width()));
        c.PhysicalHeight = int(std::lround(paper.height()));
        c.PhysicalOffsetX = int(std::lround(page.left() - paper.left()));
        c.PhysicalOffsetY = int(std::lround(page.top() - paper.top()));
        c.BitsPixel = 24;
        c.NumColors = -1;
    } else {
        c.PhysicalWidth = c.HorzRes;
        c.PhysicalHeight = c.VertRes;
    }
    return c;
}

std::unique_ptr<TDeviceContext> NewQtDeviceContext(QPainter* painter) {
    return std::make_unique<TQtDC>(painter, DeviceCapsOf(painter->device()));
}
std::unique_ptr<TDeviceContext> NewQtDeviceContext(QPainter* painter, const TDeviceCaps& caps) {
    return std::make_unique<TQtDC>(painter, caps);
}
std::unique_ptr<TDeviceContext> NewBitmapDeviceContext(TBitmap* bmp) { return std::make_unique<TQtDC>(bmp); }
std::unique_ptr<TDeviceContext> NewBitmapDeviceContext(TBitmap* bmp, const TDeviceCaps& device) {
    return std::make_unique<TQtDC>(bmp, nullptr, device);
}
std::unique_ptr<TDeviceContext> NewInfoDeviceContext(const TDeviceCaps& caps) { return std::make_unique<TQtDC>(caps); }

// ---- the screen and its fonts

namespace {
TScreenDCProvider& provider() {
    static TScreenDCProvider p;
    return p;
}
}  // namespace

std::unique_ptr<TDeviceContext> GetScreenDC() {
    if (provider()) return provider()();
    auto bmp = std::make_unique<TBitmap>(1, 1);
    TBitmap* raw = bmp.get();
    return std::make_unique<TQtDC>(raw, std::move(bmp));
}

TScreenDCProvider SetScreenDCProvider(TScreenDCProvider p) { return std::exchange(provider(), std::move(p)); }

std::vector<String> InstalledFontFamilies() {
    EnsureApplication();
    std::vector<String> out;
    for (const QString& f : QFontDatabase::families()) out.push_back(fromQ(f));
    std::sort(out.begin(), out.end(), [](const String& a, const String& b) { return CompareText(a, b) < 0; });
    return out;
}

bool IsFontInstalled(const String& face) {
    EnsureApplication();
    const QString q = toQ(face).trimmed();
    for (const QString& f : QFontDatabase::families())
        if (f.compare(q, Qt::CaseInsensitive) == 0) return true;
    return false;
}

bool IsSymbolFontFace(const String& face) {
    if (!qApp) EnsureApplication();
    const QString q = toQ(face).trimmed();
    for (const QString& f : QFontDatabase::families())
        if (f.compare(q, Qt::CaseInsensitive) == 0) {
            const auto ws = QFontDatabase::writingSystems(f);
            return ws.contains(QFontDatabase::Symbol) && !ws.contains(QFontDatabase::Latin);
        }
    return false;
}
