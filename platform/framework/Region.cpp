#include "platform/framework/Region.h"

#include <QPolygon>
#include <QRegion>
#include <algorithm>
#include <cmath>

#include "platform/framework/RegionImpl.h"

TRegion::TRegion() : FImpl(std::make_unique<Impl>()) {}
TRegion::TRegion(const TRegion& o) : FImpl(std::make_unique<Impl>(*o.FImpl)) {}
TRegion& TRegion::operator=(const TRegion& o) {
    if (this != &o) *FImpl = *o.FImpl;
    return *this;
}
TRegion::TRegion(TRegion&& o) noexcept : FImpl(std::make_unique<Impl>()) { std::swap(FImpl, o.FImpl); }
TRegion& TRegion::operator=(TRegion&& o) noexcept {
    std::swap(FImpl, o.FImpl);
    return *this;
}
TRegion::~TRegion() = default;

TRegion TRegion::Rect(int l, int t, int r, int b) {
    TRegion out;
    if (r > l && b > t) out.FImpl->r = QRegion(l, t, r - l, b - t);
    return out;
}

TRegion TRegion::Ellipse(int l, int t, int r, int b) {
    TRegion out;
    if (r > l && b > t) out.FImpl->r = QRegion(QRect(l, t, r - l, b - t), QRegion::Ellipse);
    return out;
}

TRegion TRegion::Polygon(const std::vector<TPoint>& pts, int fillMode) {
    TRegion out;
    if (pts.size() < 3) return out;
    QPolygon poly;
    for (const TPoint& p : pts) poly << QPoint(p.X, p.Y);
    out.FImpl->r = QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    return out;
}

TRegion TRegion::FromRects(const std::vector<TRect>& rects, const TXForm* x) {
    TRegion out;
    QList<QRect> list;
    list.reserve(qsizetype(rects.size()));
    for (const TRect& rc : rects) {
        double l = rc.Left, t = rc.Top, r = rc.Right, b = rc.Bottom;
        if (x) {
            l = rc.Left * x->eM11 + x->eDx;
            r = rc.Right * x->eM11 + x->eDx;
            t = rc.Top * x->eM22 + x->eDy;
            b = rc.Bottom * x->eM22 + x->eDy;
            if (l > r) std::swap(l, r);
            if (t > b) std::swap(t, b);
        }
        // Far beyond any device: kept inside what an int holds.
        auto px = [](double v) { return int(std::lround(std::clamp(v, -1e9, 1e9))); };
        const int il = px(l), it = px(t), ir = px(r), ib = px(b);
        if (ir > il && ib > it) list.push_back(QRect(il, it, ir - il, ib - it));
    }
    // A union (not setRects, which wants disjoint rectangles) keeps
    // overlapping input sound.
    // Pairwise merging keeps a large union (a bitmap's opaque runs) near
    // n log n instead of growing one region rectangle by rectangle.
    std::vector<QRegion> parts(list.begin(), list.end());
    while (parts.size() > 1) {
        std::vector<QRegion> next;
        next.reserve(parts.size() / 2 + 1);
        for (size_t i = 0; i + 1 < parts.size(); i += 2) next.push_back(parts[i].united(parts[i + 1]));
        if (parts.size() % 2) next.push_back(parts.back());
        parts.swap(next);
    }
    if (!parts.empty()) out.FImpl->r = parts.front();
    return out;
}

int TRegion::Combine(const TRegion& a, const TRegion& b, int mode) {
    QRegion r;
    switch (mode) {
    case RGN_AND: r = a.FImpl->r.intersected(b.FImpl->r); break;
    case RGN_OR: r = a.FImpl->r.united(b.FImpl->r); break;
    case RGN_XOR: r = a.FImpl->r.xored(b.FImpl->r); break;
    case RGN_DIFF: r = a.FImpl->r.subtracted(b.FImpl->r); break;
    case RGN_COPY: r = a.FImpl->r; break;
    default: return RGN_ERROR;
    }
    FImpl->r = r;
    return Kind();
}

bool TRegion::PtIn(int x, int y) const { return FImpl->r.contains(QPoint(x, y)); }
bool TRegion::RectIn(const TRect& r) const {
    if (r.Right <= r.Left || r.Bottom <= r.Top) return false;
    return FImpl->r.intersects(QRect(r.Left, r.Top, r.Width(), r.Height()));
}
bool TRegion::IsEmpty() const { return FImpl->r.isEmpty(); }
TRect TRegion::Box() const {
    if (FImpl->r.isEmpty()) return TRect{};
    const QRect b = FImpl->r.boundingRect();
    return TRect{b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
}
int TRegion::Kind() const {
    if (FImpl->r.isEmpty()) return NULLREGION;
    return FImpl->r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
void TRegion::Offset(int dx, int dy) { FImpl->r.translate(dx, dy); }
std::vector<TRect> TRegion::Rects() const {
    std::vector<TRect> out;
    for (const QRect& r : FImpl->r) out.push_back(TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    return out;
}
bool TRegion::operator==(const TRegion& o) const { return FImpl->r == o.FImpl->r; }
