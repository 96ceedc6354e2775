// A device context that draws nothing and records every call, with metrics
// that depend only on the font's size and style: layout tests run the same
// on every machine, without a display or installed fonts.
//
// Metrics for a font of em height s (|Height|; a positive cell height h gives
// s = h × 4 / 5; 0 gives 16), plus 1 per character for bold:
//   space, U+00A0 and narrow characters (i l j t f r I ! | . , : ; ' `) advance s / 4,
//   wide characters (m w M W, and every character from U+3000 up, those
//   beyond the Basic Multilingual Plane included) advance s,
//   characters below U+0020 advance 0, all others advance s / 2;
//   a surrogate pair is one character (its second unit advances 0), a lone
//   surrogate an ordinary one;
//   ascent s, descent s / 4, internal leading s / 4, no external leading,
//   average width s / 2, maximum width s (each at least 1).
// Faces whose names contain "Symbol" or "Wingdings" report SYMBOL_CHARSET;
// others the requested charset (ANSI_CHARSET for DEFAULT_CHARSET).
// The log: public operations as "Name args..." (colours as decimal TColor
// values, text in quotes), and what reached the surface as "=shape ...".
#pragma once

#include <string>
#include <vector>

#include "platform/framework/DeviceContext.h"

class TRecordingDC : public TDeviceContext {
public:
    // A surface of the given size in device pixels; `caps` describes it
    // (pixels per inch, colour depth ...).
    explicit TRecordingDC(int width = 1000, int height = 1000, const TDeviceCaps& caps = TDeviceCaps());

    // One line per call: the operation's name, then its arguments, e.g.
    // "FillRect 0 0 10 10 255" or "ExtTextOut 5 20 4 0 0 50 20 \"Hello\"".
    const std::vector<std::string>& Log() const { return FLog; }
    void ClearLog() { FLog.clear(); }
    // Lines of the log that start with the operation's name.
    std::vector<std::string> Calls(const std::string& op) const;

    // The fixed metrics, for tests that compute expectations.
    static int EmHeight(const TLogFont& f);
    static int Advance(const TLogFont& f, char32_t ch);
    static TTextMetric Metrics(const TLogFont& f);

    TSize SurfaceSize() const override { return TSize{FWidth, FHeight}; }
    // The same metrics and facts, logging nothing.
    std::unique_ptr<TDeviceContext> NewMeasuringContext() const override;

protected:
    void CharAdvances(std::u16string_view text, std::vector<int>& out) override;
    TTextMetric FontMetrics() override;
    void DrawPolyline(const std::vector<TPoint>& pts) override;
    void DrawRectangle(const TRect& r) override;
    void DrawEllipse(const TRect& r) override;
    void DrawPolygon(const std::vector<TPoint>& pts) override;
    void DrawFill(const TRect& r, int32_t rgb) override;
    void DrawRegion(const TRegion& deviceRgn, int32_t rgb) override;
    void DrawFocus(const TRect& r) override;
    void DrawPixel(int x, int y, int32_t rgb) override;
    TColor ReadPixel(int x, int y) override;
    void DrawPath(const std::vector<Figure>& figures, bool stroke, bool fill) override;
    void DrawGlyphs(std::u16string_view text, const std::vector<int>& xs, int baseline, const TRect* clip,
                    const TRect* opaque) override;
    bool DrawBits(const TRect& dest, const TBitmap* src, const TRect& srcRect, uint32_t rop) override;
    bool DrawPattern(const TRect& dest, uint32_t rop) override;
    void DrawMasked(const TRect& dest, const TBitmap* bmp, const TBitmap* mask) override;
    void Trace(const std::string& line) override;

private:
    void add(const std::string& line) { FLog.push_back(line); }
    std::vector<std::string> FLog;
    int FWidth, FHeight;
};
