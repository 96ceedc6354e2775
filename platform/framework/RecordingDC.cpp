#include "platform/framework/RecordingDC.h"

#include <algorithm>

#include "platform/runtime/TCString.h"

namespace {
std::string rectText(const TRect& r) {
    return std::to_string(r.Left) + " " + std::to_string(r.Top) + " " + std::to_string(r.Right) + " " +
           std::to_string(r.Bottom);
}
bool isNarrow(char32_t c) {
    return c == U' ' || c == 0x00A0 || std::u32string_view(U"iljtfrI!|.,:;'`").find(c) != std::u32string_view::npos;
}
bool isWide(char32_t c) { return c == U'm' || c == U'w' || c == U'M' || c == U'W' || c >= 0x3000; }
}  // namespace

TRecordingDC::TRecordingDC(int width, int height, const TDeviceCaps& caps)
    : FWidth(std::max(width, 0)), FHeight(std::max(height, 0)) {
    FCaps = caps;
    if (FCaps.HorzRes == 0) FCaps.HorzRes = FWidth;
    if (FCaps.VertRes == 0) FCaps.VertRes = FHeight;
    FTrace = true;
}

std::unique_ptr<TDeviceContext> TRecordingDC::NewMeasuringContext() const {
    auto dc = std::make_unique<TRecordingDC>(FWidth, FHeight, FCaps);
    dc->FTrace = false;
    return dc;
}

std::vector<std::string> TRecordingDC::Calls(const std::string& op) const {
    std::vector<std::string> out;
    for (const std::string& l : FLog)
        if (l == op || l.rfind(op + " ", 0) == 0) out.push_back(l);
    return out;
}

int TRecordingDC::EmHeight(const TLogFont& f) {
    if (f.Height < 0) return std::min(-f.Height, 10000);
    if (f.Height == 0) return 16;
    return std::max(1, std::min(f.Height, 10000) * 4 / 5);
}

int TRecordingDC::Advance(const TLogFont& f, char32_t ch) {
    if (ch < 0x20) return 0;
    const int s = EmHeight(f);
    int a = isWide(ch) ? s : isNarrow(ch) ? s / 4 : s / 2;
    a = std::max(a, 1);
    if (f.Style & fsSet(fsBold)) ++a;
    return a;
}

TTextMetric TRecordingDC::Metrics(const TLogFont& f) {
    const int s = EmHeight(f);
    TTextMetric tm;
    tm.Ascent = std::max(s, 1);
    tm.Descent = std::max(s / 4, 1);
    tm.Height = tm.Ascent + tm.Descent;
    tm.InternalLeading = tm.Height - s;
    tm.ExternalLeading = 0;
    tm.AveCharWidth = std::max(s / 2, 1);
    tm.MaxCharWidth = std::max(s, 1);
    const bool symbol = f.Face.find("Symbol") != String::npos || f.Face.find("Wingdings") != String::npos;
    tm.CharSet = symbol ? SYMBOL_CHARSET : (f.Charset == DEFAULT_CHARSET ? ANSI_CHARSET : f.Charset);
    return tm;
}

void TRecordingDC::CharAdvances(std::u16string_view text, std::vector<int>& out) {
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsSurrogatePairAt(text, i)) {
            out[i] = Advance(S.Font, SurrogatePairValue(text, i));
            out[++i] = 0;
        } else {
            out[i] = Advance(S.Font, text[i]);
        }
    }
}

TTextMetric TRecordingDC::FontMetrics() { return Metrics(S.Font); }

void TRecordingDC::Trace(const std::string& line) { add(line); }

// The public operations have logged themselves; the primitives note what
// reached the surface, with the state that shapes it.
void TRecordingDC::DrawPolyline(const std::vector<TPoint>& pts) {
    std::string l = "=line";
    for (const TPoint& p : pts) l += " " + std::to_string(p.X) + "," + std::to_string(p.Y);
    add(l);
}
void TRecordingDC::DrawRectangle(const TRect& r) { add("=rectangle " + rectText(r)); }
void TRecordingDC::DrawEllipse(const TRect& r) { add("=ellipse " + rectText(r)); }
void TRecordingDC::DrawPolygon(const std::vector<TPoint>& pts) { add("=polygon " + std::to_string(pts.size())); }
void TRecordingDC::DrawFill(const TRect& r, int32_t rgb) { add("=fill " + rectText(r) + " " + std::to_string(rgb)); }
void TRecordingDC::DrawRegion(const TRegion& rgn, int32_t rgb) {
    add("=region " + rectText(rgn.Box()) + " " + std::to_string(rgb));
}
void TRecordingDC::DrawFocus(const TRect& r) { add("=focus " + rectText(r)); }
void TRecordingDC::DrawPixel(int x, int y, int32_t rgb) {
    add("=pixel " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(rgb));
}
TColor TRecordingDC::ReadPixel(int, int) { return clNone; }
void TRecordingDC::DrawPath(const std::vector<Figure>& figures, bool stroke, bool fill) {
    std::string l = "=path";
    l += stroke ? " stroke" : "";
    l += fill ? " fill" : "";
    for (const Figure& f : figures) l += " " + std::to_string(f.Points.size()) + (f.Closed ? "c" : "");
    add(l);
}
void TRecordingDC::DrawGlyphs(std::u16string_view text, const std::vector<int>& xs, int baseline, const TRect* clip,
                              const TRect* opaque) {
    std::string l = "=text " + std::to_string(xs.empty() ? 0 : xs.front()) + " " + std::to_string(baseline);
    if (clip) l += " clip " + rectText(*clip);
    if (opaque) l += " opaque " + rectText(*opaque);
    l += " \"" + TCString::fromUtf16(text).str() + "\"";
    add(l);
}
bool TRecordingDC::DrawBits(const TRect& dest, const TBitmap* src, const TRect& srcRect, uint32_t rop) {
    add("=bits " + rectText(dest) + " from " + std::to_string(src->Width()) + "x" + std::to_string(src->Height()) +
        " " + rectText(srcRect) + " " + std::to_string(rop));
    return true;
}
bool TRecordingDC::DrawPattern(const TRect& dest, uint32_t rop) {
    add("=pattern " + rectText(dest) + " " + std::to_string(rop));
    return true;
}
void TRecordingDC::DrawMasked(const TRect& dest, const TBitmap* bmp, const TBitmap* mask) {
    add("=masked " + rectText(dest) + " " + std::to_string(bmp->Width()) + "x" + std::to_string(bmp->Height()) +
        (mask ? " mask" : ""));
}
