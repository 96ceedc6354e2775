#include "platform/framework/DeviceContext.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "platform/runtime/TCString.h"

namespace {

bool isBreakChar(char16_t c) { return c == u' ' || c == 0x00A0; }

int clampInt(long long v) { return int(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

// v × num / den rounded to the nearest integer (ties away from zero), in 64
// bits: coordinates and extents are ints, so nothing here overflows.
long long mulDivRound(long long v, long long num, long long den) {
    if (den == 0) return v;
    const long long p = v * num;
    long long q = p / den;
    const long long r = p % den;
    if (2 * std::llabs(r) >= std::llabs(den)) q += ((p < 0) != (den < 0)) ? -1 : 1;
    return q;
}

// Limits that keep every sum of widths inside an int.
constexpr int kMaxCharExtra = 32767;
constexpr int kMaxJustification = 1 << 24;

TRect normalized(int l, int t, int r, int b) {
    return TRect{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

}  // namespace

TLogFont LogFontOf(const TFont& f) {
    TLogFont lf;
    lf.Face = f.Name();
    lf.Height = f.Height();
    lf.Style = f.Style();
    lf.Charset = f.Charset();
    lf.Pitch = f.Pitch();
    return lf;
}

int32_t DeviceRGB(TColor c) {
    // Palette-relative colours carry 0x02 in the top byte; system colours keep theirs.
    if ((uint32_t(c) >> 24) == 0x02) return c & 0xFFFFFF;
    return ColorToRGB(c);
}

TDeviceContext::TDeviceContext() = default;
TDeviceContext::~TDeviceContext() = default;

void TDeviceContext::trace(const char* op, std::initializer_list<long long> args, const std::u16string_view* text) {
    if (!FTrace) return;
    std::string line = op;
    for (long long a : args) line += " " + std::to_string(a);
    if (text) line += " \"" + TCString::fromUtf16(*text).str() + "\"";
    Trace(line);
}

// ---- state

int TDeviceContext::SaveDC() {
    FSaved.push_back(S);
    trace("SaveDC", {});
    return int(FSaved.size());
}

bool TDeviceContext::RestoreDC(int level) {
    trace("RestoreDC", {level});
    const int n = int(FSaved.size());
    const int target = level < 0 ? n + level + 1 : level;
    if (level == 0 || target < 1 || target > n) return false;
    S = FSaved[size_t(target - 1)];
    FSaved.resize(size_t(target - 1));
    ++FGeneration;
    StateChanged();
    return true;
}

TLogPen TDeviceContext::SelectPen(const TLogPen& p) {
    trace("SelectPen", {p.Style, p.Width, p.Color});
    TLogPen old = S.Pen;
    S.Pen = p;
    if (S.Pen.Width < 0) S.Pen.Width = 0;
    return old;
}

TLogBrush TDeviceContext::SelectBrush(const TLogBrush& b) {
    trace("SelectBrush", {b.Style, b.Color});
    TLogBrush old = S.Brush;
    S.Brush = b;
    return old;
}

TLogFont TDeviceContext::SelectFont(const TLogFont& f) {
    if (FTrace)
        Trace("SelectFont \"" + f.Face + "\" " + std::to_string(f.Height) + " " + std::to_string(f.Style) + " " +
              std::to_string(f.Charset));
    TLogFont old = S.Font;
    S.Font = f;
    return old;
}

TColor TDeviceContext::SetTextColor(TColor c) {
    trace("SetTextColor", {c});
    return std::exchange(S.TextColor, c);
}
TColor TDeviceContext::SetBkColor(TColor c) {
    trace("SetBkColor", {c});
    return std::exchange(S.BkColor, c);
}
int TDeviceContext::SetBkMode(int mode) {
    trace("SetBkMode", {mode});
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return std::exchange(S.BkMode, mode);
}
uint32_t TDeviceContext::SetTextAlign(uint32_t align) {
    trace("SetTextAlign", {align});
    return std::exchange(S.TextAlign, align);
}
int TDeviceContext::SetTextCharacterExtra(int extra) {
    trace("SetTextCharacterExtra", {extra});
    return std::exchange(S.CharExtra, std::clamp(extra, -kMaxCharExtra, kMaxCharExtra));
}
int TDeviceContext::SetPolyFillMode(int mode) {
    trace("SetPolyFillMode", {mode});
    if (mode != ALTERNATE && mode != WINDING) return 0;
    return std::exchange(S.PolyFillMode, mode);
}

int TDeviceContext::SetStretchBltMode(int mode) {
    trace("SetStretchBltMode", {mode});
    if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return std::exchange(S.StretchMode, mode);
}

void TDeviceContext::SetTextJustification(int extra, int breakCount) {
    trace("SetTextJustification", {extra, breakCount});
    extra = std::clamp(extra, -kMaxJustification, kMaxJustification);
    breakCount = std::min(breakCount, kMaxJustification);
    if (breakCount <= 0 || extra == 0) {
        S.JustExtra = S.JustBreaks = S.JustLeftExtra = S.JustLeftBreaks = 0;
        S.JustStarted = false;
        return;
    }
    // The same line drawn in further chunks keeps what is left of its spread;
    // whether the next output is that line, only its position tells.
    if (extra == S.JustExtra && breakCount == S.JustBreaks && S.JustLeftBreaks > 0) return;
    S.JustExtra = S.JustLeftExtra = extra;
    S.JustBreaks = S.JustLeftBreaks = breakCount;
    S.JustStarted = false;
}

int TDeviceContext::baselineAt(int y, const TTextMetric& tm) const {
    switch (S.TextAlign & TA_VMASK) {
    case TA_BASELINE: return y;
    case TA_BOTTOM: return clampInt((long long)y - tm.Descent);
    default: return clampInt((long long)y + tm.Ascent);
    }
}

bool TDeviceContext::continuesLine(int x, int baseline) const {
    return x >= S.JustEndX && baseline >= S.JustTop && baseline <= S.JustBottom;
}

void TDeviceContext::ApplyCharExtra(std::u16string_view text, std::vector<int>& adv) const {
    for (size_t i = 0; i < adv.size(); ++i) {
        // The second unit of a pair is part of the character before it.
        const bool second = i > 0 && i <= text.size() && IsSurrogatePairAt(text, i - 1);
        adv[i] = std::max(adv[i] + (second ? 0 : S.CharExtra), 0);
    }
}

void TDeviceContext::ApplySpacing(std::u16string_view text, std::vector<int>& adv, int& leftExtra,
                                  int& leftBreaks) const {
    for (size_t i = 0; i < adv.size() && i < text.size(); ++i) {
        const bool second = i > 0 && IsSurrogatePairAt(text, i - 1);
        int a = adv[i] + (second ? 0 : S.CharExtra);
        if (leftBreaks > 0 && isBreakChar(text[i])) {
            // The share of this space, rounded away from zero, so the last
            // space of the line takes what remains.
            const int share = leftExtra >= 0 ? (leftExtra + leftBreaks - 1) / leftBreaks
                                             : -((-leftExtra + leftBreaks - 1) / leftBreaks);
            a += share;
            leftExtra -= share;
            --leftBreaks;
        }
        adv[i] = std::max(a, 0);  // widths never shrink along the text
    }
}

// ---- shapes

TPoint TDeviceContext::MoveTo(int x, int y) {
    trace("MoveTo", {x, y});
    TPoint old = S.Pos;
    S.Pos = Point(x, y);
    if (FPathOpen) FPath.push_back(Figure{{S.Pos}, false});
    return old;
}

void TDeviceContext::LineTo(int x, int y) {
    trace("LineTo", {x, y});
    if (FPathOpen) {
        if (FPath.empty() || FPath.back().Closed) FPath.push_back(Figure{{S.Pos}, false});
        FPath.back().Points.push_back(Point(x, y));
    } else {
        DrawPolyline({S.Pos, Point(x, y)});
    }
    S.Pos = Point(x, y);
}

void TDeviceContext::Polyline(const std::vector<TPoint>& pts) {
    trace("Polyline", {(long long)pts.size()});
    if (pts.size() < 2) return;
    if (FPathOpen) {
        FPath.push_back(Figure{pts, false});
        return;
    }
    DrawPolyline(pts);
}

void TDeviceContext::Rectangle(int l, int t, int r, int b) {
    trace("Rectangle", {l, t, r, b});
    const TRect rc = normalized(l, t, r, b);
    if (rc.Width() <= 0 || rc.Height() <= 0) return;
    DrawRectangle(rc);
}

void TDeviceContext::Ellipse(int l, int t, int r, int b) {
    trace("Ellipse", {l, t, r, b});
    const TRect rc = normalized(l, t, r, b);
    if (rc.Width() <= 0 || rc.Height() <= 0) return;
    DrawEllipse(rc);
}

void TDeviceContext::Polygon(const std::vector<TPoint>& pts) {
    trace("Polygon", {(long long)pts.size()});
    if (pts.size() < 2) return;
    if (FPathOpen) {
        FPath.push_back(Figure{pts, true});
        return;
    }
    DrawPolygon(pts);
}

void TDeviceContext::FillRect(const TRect& r, TColor c) {
    trace("FillRect", {r.Left, r.Top, r.Right, r.Bottom, c});
    if (r.Width() <= 0 || r.Height() <= 0) return;
    DrawFill(r, DeviceRGB(c));
}

void TDeviceContext::FillRgn(const TRegion& rgn, TColor c) {
    const TRect b = rgn.Box();
    trace("FillRgn", {b.Left, b.Top, b.Right, b.Bottom, c});
    if (rgn.IsEmpty()) return;
    DrawRegion(rgn, DeviceRGB(c));
}

void TDeviceContext::DrawFocusRect(const TRect& r) {
    trace("DrawFocusRect", {r.Left, r.Top, r.Right, r.Bottom});
    if (r.Width() <= 0 || r.Height() <= 0) return;
    DrawFocus(r);
}

void TDeviceContext::SetPixel(int x, int y, TColor c) {
    trace("SetPixel", {x, y, c});
    DrawPixel(x, y, DeviceRGB(c));
}

TColor TDeviceContext::GetPixel(int x, int y) { return ReadPixel(x, y); }

// ---- paths

void TDeviceContext::BeginPath() {
    trace("BeginPath", {});
    FPath.clear();
    FPathOpen = true;
    FPathDone = false;
}
void TDeviceContext::CloseFigure() {
    trace("CloseFigure", {});
    if (FPathOpen && !FPath.empty()) FPath.back().Closed = true;
}
void TDeviceContext::EndPath() {
    trace("EndPath", {});
    if (!FPathOpen) return;
    FPathOpen = false;
    FPathDone = true;
}
void TDeviceContext::AbortPath() {
    trace("AbortPath", {});
    FPath.clear();
    FPathOpen = FPathDone = false;
}
bool TDeviceContext::StrokePath() {
    trace("StrokePath", {});
    if (!FPathDone) return false;
    DrawPath(FPath, true, false);
    FPath.clear();
    FPathDone = false;
    return true;
}
bool TDeviceContext::FillPath() {
    trace("FillPath", {});
    if (!FPathDone) return false;
    DrawPath(FPath, false, true);
    FPath.clear();
    FPathDone = false;
    return true;
}
bool TDeviceContext::StrokeAndFillPath() {
    trace("StrokeAndFillPath", {});
    if (!FPathDone) return false;
    DrawPath(FPath, true, true);
    FPath.clear();
    FPathDone = false;
    return true;
}

// ---- text

bool TDeviceContext::ExtTextOut(int x, int y, uint32_t options, const TRect* rect, std::u16string_view text,
                                const int* dx) {
    if (FTrace) {
        const TRect r = rect ? *rect : TRect{};
        trace("ExtTextOut", {x, y, options, r.Left, r.Top, r.Right, r.Bottom}, &text);
    }
    const TTextMetric tm = FontMetrics();
    if (S.TextAlign & TA_UPDATECP) {
        x = S.Pos.X;
        y = S.Pos.Y;
    }
    const int baseline = baselineAt(y, tm);
    std::vector<int> adv;
    const bool justified = !dx && S.JustBreaks > 0;
    if (dx) {
        adv.assign(dx, dx + text.size());
    } else {
        CharAdvances(text, adv);
        // Output that does not continue the spread's last one is a new line.
        if (S.JustStarted && !continuesLine(x, baseline)) {
            S.JustLeftExtra = S.JustExtra;
            S.JustLeftBreaks = S.JustBreaks;
        }
        ApplySpacing(text, adv, S.JustLeftExtra, S.JustLeftBreaks);
    }
    long long total = 0;
    for (int a : adv) total += a;
    int x0 = x;
    switch (S.TextAlign & TA_HMASK) {
    case TA_RIGHT: x0 = clampInt(x - total); break;
    case TA_CENTER: x0 = clampInt(x - total / 2); break;
    default: break;
    }
    if (justified) {
        S.JustStarted = true;
        S.JustEndX = clampInt(x0 + total);
        S.JustTop = clampInt((long long)baseline - tm.Ascent);
        S.JustBottom = clampInt((long long)baseline + tm.Descent);
    }
    std::vector<int> xs(adv.size());
    long long pos = x0;
    for (size_t i = 0; i < adv.size(); ++i) {
        xs[i] = clampInt(pos);
        pos += adv[i];
    }
    const bool hasRect = rect && rect->Width() > 0 && rect->Height() > 0;
    TRect cell{x0, clampInt((long long)baseline - tm.Ascent), clampInt(x0 + total),
               clampInt((long long)baseline + tm.Descent)};
    const TRect* opaque = nullptr;
    if ((options & ETO_OPAQUE) && rect) opaque = hasRect ? rect : nullptr;
    else if (S.BkMode == OPAQUE && total > 0) opaque = &cell;
    const TRect* clip = (options & ETO_CLIPPED) && rect ? rect : nullptr;
    if (clip && !hasRect) {
        // Clipped to nothing: nothing shows.
    } else if (!text.empty() || opaque) {
        DrawGlyphs(text, xs, baseline, clip, opaque);
    }
    if (S.TextAlign & TA_UPDATECP) S.Pos.X = clampInt(x0 + total);
    return true;
}

TSize TDeviceContext::GetTextExtentPoint(std::u16string_view text) {
    TSize size;
    GetTextExtentExPoint(text, 0, nullptr, nullptr, size);
    return size;
}

bool TDeviceContext::GetTextExtentExPoint(std::u16string_view text, int maxExtent, int* fit, std::vector<int>* partial,
                                          TSize& size) {
    std::vector<int> adv;
    CharAdvances(text, adv);
    // Measuring uses nothing up: it sees the line's spread as the next output
    // from the current position would.
    int leftExtra = S.JustLeftExtra, leftBreaks = S.JustLeftBreaks;
    if (S.JustStarted && !continuesLine(S.Pos.X, baselineAt(S.Pos.Y, FontMetrics()))) {
        leftExtra = S.JustExtra;
        leftBreaks = S.JustBreaks;
    }
    ApplySpacing(text, adv, leftExtra, leftBreaks);
    if (partial) partial->resize(adv.size());
    long long sum = 0;
    int n = 0;
    for (size_t i = 0; i < adv.size(); ++i) {
        sum = std::min<long long>(sum + adv[i], INT_MAX);
        if (partial) (*partial)[i] = int(sum);
        if (maxExtent > 0 && sum <= maxExtent && n == int(i)) n = int(i) + 1;
    }
    if (fit) *fit = n;
    size.cx = int(sum);
    size.cy = FontMetrics().Height;
    return true;
}

TTextMetric TDeviceContext::GetTextMetrics() { return FontMetrics(); }

int TDeviceContext::DrawText(std::u16string_view text, TRect& r, uint32_t format) {
    trace("DrawText", {r.Left, r.Top, r.Right, r.Bottom, format}, &text);
    const TTextMetric tm = FontMetrics();
    const int lineHeight = std::max(tm.Height, 1);
    auto widthOf = [&](std::u16string_view t) {
        std::vector<int> adv;
        CharAdvances(t, adv);
        ApplyCharExtra(t, adv);
        long long w = 0;
        for (int a : adv) w += a;
        return int(std::min<long long>(w, INT_MAX));
    };
    // Lines: hard breaks, then (with DT_WORDBREAK) words that fit the width.
    std::vector<std::u16string> lines;
    const int room = std::max(r.Width(), 0);
    auto addParagraph = [&](std::u16string_view para) {
        if (!(format & DT_WORDBREAK)) {
            lines.emplace_back(para);
            return;
        }
        std::u16string cur;
        size_t i = 0;
        bool any = false;
        while (i < para.size()) {
            size_t j = i;
            while (j < para.size() && para[j] != u' ') ++j;
            std::u16string_view word = para.substr(i, j - i);
            std::u16string trial = cur;
            if (any) trial += u' ';
            trial += word;
            if (any && widthOf(trial) > room) {
                lines.push_back(cur);
                cur.assign(word);
            } else {
                cur = trial;
            }
            any = true;
            i = j;
            while (i < para.size() && para[i] == u' ') ++i;
        }
        lines.push_back(cur);
    };
    if (format & DT_SINGLELINE) {
        std::u16string one;
        for (char16_t c : text)
            if (c != u'\r' && c != u'\n') one += c;
        lines.push_back(one);
    } else {
        size_t start = 0;
        for (size_t i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text[i] == u'\n' || text[i] == u'\r') {
                if (i < text.size() || start < text.size()) addParagraph(text.substr(start, i - start));
                if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n') ++i;
                start = i + 1;
            }
        }
        if (lines.empty()) lines.emplace_back();
    }
    int widest = 0;
    for (const auto& l : lines) widest = std::max(widest, widthOf(l));
    const int height = clampInt((long long)lines.size() * lineHeight);
    if (format & DT_CALCRECT) {
        r.Right = clampInt((long long)r.Left + widest);
        r.Bottom = clampInt((long long)r.Top + height);
        return height;
    }
    long long y = r.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) y = r.Top + ((long long)r.Height() - lineHeight) / 2;
        else if (format & DT_BOTTOM) y = (long long)r.Bottom - lineHeight;
    }
    const TRect* clip = (format & DT_NOCLIP) ? nullptr : &r;
    if (clip && (r.Width() <= 0 || r.Height() <= 0)) return height;
    for (const auto& l : lines) {
        std::vector<int> adv;
        CharAdvances(l, adv);
        ApplyCharExtra(l, adv);
        long long w = 0;
        for (int a : adv) w += a;
        long long x = r.Left;
        if (format & DT_CENTER) x = r.Left + (room - w) / 2;
        else if (format & DT_RIGHT) x = r.Right - w;
        std::vector<int> xs(adv.size());
        long long pos = x;
        for (size_t i = 0; i < adv.size(); ++i) {
            xs[i] = clampInt(pos);
            pos += adv[i];
        }
        TRect cell{clampInt(x), clampInt(y), clampInt(x + w), clampInt(y + lineHeight)};
        if (!l.empty()) DrawGlyphs(l, xs, clampInt(y + tm.Ascent), clip, S.BkMode == OPAQUE ? &cell : nullptr);
        y += lineHeight;
    }
    return height;
}

// ---- clipping

int TDeviceContext::GetClipRgn(TRegion& out) const {
    if (!S.HasClip) return 0;
    out = S.Clip;
    return 1;
}

int TDeviceContext::SelectClipRgn(const TRegion* rgn) {
    if (FTrace) {
        const TRect b = rgn ? rgn->Box() : TRect{};
        trace("SelectClipRgn", {rgn ? 1 : 0, b.Left, b.Top, b.Right, b.Bottom});
    }
    if (!rgn) {
        S.HasClip = false;
        S.Clip = TRegion();
        StateChanged();
        return SIMPLEREGION;
    }
    S.HasClip = true;
    S.Clip = *rgn;
    StateChanged();
    return S.Clip.Kind();
}

TRegion TDeviceContext::SurfaceRegion() const {
    const TSize sz = SurfaceSize();
    return TRegion::Rect(0, 0, sz.cx, sz.cy);
}

int TDeviceContext::ExtSelectClipRgn(const TRegion* rgn, int mode) {
    trace("ExtSelectClipRgn", {rgn ? 1 : 0, mode});
    if (mode == RGN_COPY || !rgn) return SelectClipRgn(mode == RGN_COPY ? rgn : nullptr);
    const TRegion current = S.HasClip ? S.Clip : SurfaceRegion();
    TRegion result;
    if (result.Combine(current, *rgn, mode) == RGN_ERROR) return RGN_ERROR;
    S.HasClip = true;
    S.Clip = result;
    StateChanged();
    return S.Clip.Kind();
}

int TDeviceContext::ExcludeClipRect(int l, int t, int r, int b) {
    trace("ExcludeClipRect", {l, t, r, b});
    const TRegion rect = TRegion::Rect(LPtoDP(normalized(l, t, r, b)));
    return ExtSelectClipRgn(&rect, RGN_DIFF);
}

int TDeviceContext::IntersectClipRect(int l, int t, int r, int b) {
    trace("IntersectClipRect", {l, t, r, b});
    const TRegion rect = TRegion::Rect(LPtoDP(normalized(l, t, r, b)));
    return ExtSelectClipRgn(&rect, RGN_AND);
}

TRect TDeviceContext::GetClipBox() const {
    TRegion area = SurfaceRegion();
    if (S.HasClip) area.Combine(area, S.Clip, RGN_AND);
    return DPtoLP(area.Box());
}

bool TDeviceContext::RectVisible(const TRect& r) const {
    const TRect d = LPtoDP(normalized(r.Left, r.Top, r.Right, r.Bottom));
    TRegion area = SurfaceRegion();
    if (S.HasClip) area.Combine(area, S.Clip, RGN_AND);
    return area.RectIn(d);
}

// ---- mapping

int TDeviceContext::SetMapMode(int mode) {
    trace("SetMapMode", {mode});
    if (mode != MM_TEXT && mode != MM_ANISOTROPIC) return 0;
    const int old = S.MapMode;
    S.MapMode = mode;
    if (mode == MM_TEXT) S.WindowExt = S.ViewportExt = TSize{1, 1};
    StateChanged();
    return old;
}
TSize TDeviceContext::SetWindowExt(int cx, int cy) {
    trace("SetWindowExt", {cx, cy});
    const TSize old = S.WindowExt;
    // Zero extents would divide by zero; the classic interface refuses them too.
    if (S.MapMode != MM_ANISOTROPIC || cx == 0 || cy == 0) return old;
    S.WindowExt = TSize{cx, cy};
    StateChanged();
    return old;
}
TSize TDeviceContext::SetViewportExt(int cx, int cy) {
    trace("SetViewportExt", {cx, cy});
    const TSize old = S.ViewportExt;
    if (S.MapMode != MM_ANISOTROPIC || cx == 0 || cy == 0) return old;
    S.ViewportExt = TSize{cx, cy};
    StateChanged();
    return old;
}
TPoint TDeviceContext::SetWindowOrg(int x, int y) {
    trace("SetWindowOrg", {x, y});
    const TPoint old = S.WindowOrg;
    S.WindowOrg = Point(x, y);
    StateChanged();
    return old;
}
TPoint TDeviceContext::SetViewportOrg(int x, int y) {
    trace("SetViewportOrg", {x, y});
    const TPoint old = S.ViewportOrg;
    S.ViewportOrg = Point(x, y);
    StateChanged();
    return old;
}
TPoint TDeviceContext::LPtoDP(TPoint p) const {
    return Point(
        clampInt(mulDivRound((long long)p.X - S.WindowOrg.X, S.ViewportExt.cx, S.WindowExt.cx) + S.ViewportOrg.X),
        clampInt(mulDivRound((long long)p.Y - S.WindowOrg.Y, S.ViewportExt.cy, S.WindowExt.cy) + S.ViewportOrg.Y));
}
TPoint TDeviceContext::DPtoLP(TPoint p) const {
    return Point(
        clampInt(mulDivRound((long long)p.X - S.ViewportOrg.X, S.WindowExt.cx, S.ViewportExt.cx) + S.WindowOrg.X),
        clampInt(mulDivRound((long long)p.Y - S.ViewportOrg.Y, S.WindowExt.cy, S.ViewportExt.cy) + S.WindowOrg.Y));
}
TRect TDeviceContext::LPtoDP(const TRect& r) const {
    const TPoint a = LPtoDP(Point(r.Left, r.Top)), b = LPtoDP(Point(r.Right, r.Bottom));
    return normalized(a.X, a.Y, b.X, b.Y);
}
TRect TDeviceContext::DPtoLP(const TRect& r) const {
    const TPoint a = DPtoLP(Point(r.Left, r.Top)), b = DPtoLP(Point(r.Right, r.Bottom));
    return normalized(a.X, a.Y, b.X, b.Y);
}

// ---- bit transfers

bool TDeviceContext::BitBlt(int x, int y, int w, int h, const TBitmap* src, int sx, int sy, uint32_t rop) {
    trace("BitBlt", {x, y, w, h, sx, sy, rop});
    if (!src || src->Empty() || w <= 0 || h <= 0) return false;
    return DrawBits(TRect{x, y, clampInt((long long)x + w), clampInt((long long)y + h)}, src,
                    TRect{sx, sy, clampInt((long long)sx + w), clampInt((long long)sy + h)}, rop);
}

bool TDeviceContext::StretchBlt(int x, int y, int w, int h, const TBitmap* src, int sx, int sy, int sw, int sh,
                                uint32_t rop) {
    trace("StretchBlt", {x, y, w, h, sx, sy, sw, sh, rop});
    if (!src || src->Empty() || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return false;
    return DrawBits(TRect{x, y, clampInt((long long)x + w), clampInt((long long)y + h)}, src,
                    TRect{sx, sy, clampInt((long long)sx + sw), clampInt((long long)sy + sh)}, rop);
}

bool TDeviceContext::PatBlt(int x, int y, int w, int h, uint32_t rop) {
    trace("PatBlt", {x, y, w, h, rop});
    const TRect r = normalized(x, y, clampInt((long long)x + w), clampInt((long long)y + h));
    if (r.Width() <= 0 || r.Height() <= 0) return false;
    return DrawPattern(r, rop);
}

void TDeviceContext::StretchDrawMasked(const TRect& dest, const TBitmap* bmp, const TBitmap* mask) {
    trace("StretchDrawMasked", {dest.Left, dest.Top, dest.Right, dest.Bottom});
    if (!bmp || bmp->Empty() || dest.Width() <= 0 || dest.Height() <= 0) return;
    if (IsMonochrome()) return;
    DrawMasked(dest, bmp, mask);
}

int TDeviceContext::GetDeviceCaps(int index) const {
    switch (index) {
    case HORZRES: return FCaps.HorzRes;
    case VERTRES: return FCaps.VertRes;
    case BITSPIXEL: return FCaps.BitsPixel;
    case PLANES: return FCaps.Planes;
    case NUMCOLORS: return FCaps.NumColors;
    case LOGPIXELSX: return FCaps.LogPixelsX;
    case LOGPIXELSY: return FCaps.LogPixelsY;
    case PHYSICALWIDTH: return FCaps.PhysicalWidth;
    case PHYSICALHEIGHT: return FCaps.PhysicalHeight;
    case PHYSICALOFFSETX: return FCaps.PhysicalOffsetX;
    case PHYSICALOFFSETY: return FCaps.PhysicalOffsetY;
    default: return 0;
    }
}

// ---- guards

TClipGuard::TClipGuard(TDeviceContext* dc) : FDc(dc) {
    if (FDc) FHad = FDc->GetClipRgn(FSaved) == 1;
}
TClipGuard::~TClipGuard() {
    if (FDc) FDc->SelectClipRgn(FHad ? &FSaved : nullptr);
}
