// The device context: the drawing state and operations behind a canvas, in
// the manner of the classic graphics interface the HTML renderer was written
// for. Two backends implement it: Qt (QPainter on images, widgets and
// printers) and a recording fake with fixed metrics for layout tests.
//
// The state (objects, colours, modes, justification, clip, mapping, saved
// levels) lives here, once for both backends; a backend supplies the pixels
// and the text metrics. Coordinates are logical units mapped to the device by
// the map mode; clip regions are in device units. Rectangles exclude their
// right and bottom edges.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/framework/Graphics.h"
#include "platform/framework/Region.h"

// ---- constants (values as the classic interface numbers them)

// Pen styles; PS_GEOMETRIC pens may add an end cap and a join.
constexpr int PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5, PS_INSIDEFRAME = 6;
constexpr int PS_STYLE_MASK = 0x0F;
constexpr int PS_ENDCAP_ROUND = 0x000, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200;
constexpr int PS_ENDCAP_MASK = 0xF00;
constexpr int PS_JOIN_ROUND = 0x0000, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000;
constexpr int PS_JOIN_MASK = 0xF000;
constexpr int PS_COSMETIC = 0x00000, PS_GEOMETRIC = 0x10000;

constexpr int BS_SOLID = 0, BS_NULL = 1;

// Background modes.
constexpr int TRANSPARENT = 1, OPAQUE = 2;

// Text alignment.
constexpr uint32_t TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
                   TA_BOTTOM = 8, TA_BASELINE = 24;
constexpr uint32_t TA_HMASK = 6, TA_VMASK = 24;

// Text output options.
constexpr uint32_t ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_RTLREADING = 0x80;

// Formatted text: the DT_ flags of Graphics.h.

// Raster operations of bit transfers.
constexpr uint32_t SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
                   NOTSRCCOPY = 0x00330008, PATCOPY = 0x00F00021, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062,
                   DSTINVERT = 0x00550009;

// Stretch modes: HALFTONE smooths, the others take the nearest pixel.
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, STRETCH_ORSCANS = 2, COLORONCOLOR = 3, HALFTONE = 4;

// Map modes.
constexpr int MM_TEXT = 1, MM_ANISOTROPIC = 8;

// Device facts.
constexpr int HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14, NUMCOLORS = 24, LOGPIXELSX = 88, LOGPIXELSY = 90,
              PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111, PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113;

// Character sets of fonts.
constexpr int ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2;

// ---- logical objects

struct TLogPen {
    int Style = PS_SOLID;  // style | end cap | join | PS_GEOMETRIC
    int Width = 1;         // 0 draws one pixel wide
    TColor Color = clBlack;
    bool operator==(const TLogPen&) const = default;
};

struct TLogBrush {
    int Style = BS_SOLID;
    TColor Color = clWhite;
    bool operator==(const TLogBrush&) const = default;
};

struct TLogFont {
    String Face = "DejaVu Sans";
    // Negative: character (em) height; positive: cell height; 0: a default.
    int Height = -16;
    TFontStyles Style = 0;
    int Charset = DEFAULT_CHARSET;
    TFontPitch Pitch = fpDefault;
    bool operator==(const TLogFont&) const = default;
};
// The canvas font as a logical font.
TLogFont LogFontOf(const TFont& f);

struct TTextMetric {
    int Height = 0;  // ascent + descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0;  // Height − the em height
    int ExternalLeading = 0;
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
    int Overhang = 0;
    int CharSet = ANSI_CHARSET;  // SYMBOL_CHARSET for a symbol face
};

struct TDeviceCaps {
    int LogPixelsX = 96, LogPixelsY = 96;
    int BitsPixel = 32, Planes = 1;
    int NumColors = -1;            // -1 for more than 256 colours
    int HorzRes = 0, VertRes = 0;  // printable area in pixels
    int PhysicalWidth = 0, PhysicalHeight = 0, PhysicalOffsetX = 0, PhysicalOffsetY = 0;
};

// Whether the units at i and i + 1 form a surrogate pair (one character).
inline bool IsSurrogatePairAt(std::u16string_view t, size_t i) {
    return i + 1 < t.size() && t[i] >= 0xD800 && t[i] <= 0xDBFF && t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF;
}
// The code point of the pair at i (IsSurrogatePairAt holds).
inline char32_t SurrogatePairValue(std::u16string_view t, size_t i) {
    return 0x10000 + ((char32_t(t[i]) - 0xD800) << 10) + (char32_t(t[i + 1]) - 0xDC00);
}

// The RGB that reaches the device: the palette-relative bit 0x02000000 is
// masked and system colours resolve through the application palette.
int32_t DeviceRGB(TColor c);

// ---- the device context

class TDeviceContext {
public:
    TDeviceContext();
    virtual ~TDeviceContext();
    TDeviceContext(const TDeviceContext&) = delete;
    TDeviceContext& operator=(const TDeviceContext&) = delete;

    // State: SaveDC returns the new level (1, 2, ...); RestoreDC(-1) returns
    // to the last saved level, a positive level to that one. False when there
    // is no such level.
    int SaveDC();
    bool RestoreDC(int level);

    // Selecting an object returns the one it replaces (select that back to restore).
    TLogPen SelectPen(const TLogPen& p);
    TLogBrush SelectBrush(const TLogBrush& b);
    TLogFont SelectFont(const TLogFont& f);
    const TLogPen& CurrentPen() const { return S.Pen; }
    const TLogBrush& CurrentBrush() const { return S.Brush; }
    const TLogFont& CurrentFont() const { return S.Font; }
    TColor SetTextColor(TColor c);
    TColor GetTextColor() const { return S.TextColor; }
    TColor SetBkColor(TColor c);
    TColor GetBkColor() const { return S.BkColor; }
    int SetBkMode(int mode);
    int GetBkMode() const { return S.BkMode; }
    uint32_t SetTextAlign(uint32_t align);
    uint32_t GetTextAlign() const { return S.TextAlign; }
    int SetTextCharacterExtra(int extra);
    int GetTextCharacterExtra() const { return S.CharExtra; }
    // Spreads `extra` pixels over the next `breakCount` spaces (U+0020 and
    // U+00A0) that are measured and drawn. Output consumes the spread, so a
    // line drawn in several chunks gets exactly `extra` in total: setting the
    // same values again while spaces remain continues the line when the next
    // output starts where the last one ended (at or right of its end, with a
    // baseline inside its text); output anywhere else is a new line, which
    // starts its own spread. Measure a chunk before drawing it: measuring sees
    // the spread still to come, continued when the current position (where
    // TA_UPDATECP output and the canvas's text output leave it, or MoveTo
    // puts it) continues the line, else the new line's whole spread.
    // (0, 0) or a non-positive count switches justification off.
    void SetTextJustification(int extra, int breakCount);
    int SetPolyFillMode(int mode);
    int SetStretchBltMode(int mode);
    int GetStretchBltMode() const { return S.StretchMode; }

    // Shapes, with the selected pen and brush.
    TPoint MoveTo(int x, int y);  // returns the previous position
    TPoint CurrentPosition() const { return S.Pos; }
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& pts);
    void Rectangle(int l, int t, int r, int b);
    void Ellipse(int l, int t, int r, int b);
    void Polygon(const std::vector<TPoint>& pts);
    // Fills without an outline, in the given colour (not the brush).
    void FillRect(const TRect& r, TColor c);
    void FillRgn(const TRegion& deviceRgn, TColor c);
    // The dotted focus mark drawn by inverting pixels.
    void DrawFocusRect(const TRect& r);
    void SetPixel(int x, int y, TColor c);
    // clNone where the device cannot be read (printers, recordings) or off the surface.
    TColor GetPixel(int x, int y);

    // Paths: MoveTo/LineTo between BeginPath and EndPath record figures.
    void BeginPath();
    void CloseFigure();
    void EndPath();
    void AbortPath();
    bool StrokePath();
    bool FillPath();
    bool StrokeAndFillPath();
    bool InPath() const { return FPathOpen; }

    // Text (UTF-16). A surrogate pair is one character: it is measured,
    // fitted and drawn whole, its advance on its first unit and 0 on its
    // second (a fit count never ends between the two); a lone surrogate is a
    // character of its own. Widths are whole pixels.
    // ExtTextOut: `rect` is the clip and/or opaque rectangle by `options`;
    // `dx` gives each character's advance instead of the font's.
    bool ExtTextOut(int x, int y, uint32_t options, const TRect* rect, std::u16string_view text,
                    const int* dx = nullptr);
    bool TextOut(int x, int y, std::u16string_view text) { return ExtTextOut(x, y, 0, nullptr, text); }
    TSize GetTextExtentPoint(std::u16string_view text);
    // The extent of the whole text, how many characters fit into maxExtent
    // (never more, 0 for maxExtent ≤ 0) and the running width after each
    // character (non-decreasing). Justification and character extra count.
    bool GetTextExtentExPoint(std::u16string_view text, int maxExtent, int* fit, std::vector<int>* partial,
                              TSize& size);
    TTextMetric GetTextMetrics();
    // Word-wrapped or single-line text in a rectangle; with DT_CALCRECT it
    // only sets the rectangle's right and bottom to what the text needs.
    // Words longer than the room overflow; "&" is always plain text.
    // Returns the height of the text.
    int DrawText(std::u16string_view text, TRect& r, uint32_t format);

    // Clipping (device units). GetClipRgn: 1 with a copy of the clip, 0 when
    // nothing clips. SelectClipRgn(nullptr) removes clipping; the part of a
    // window being painted stays the limit (SurfaceRegion).
    int GetClipRgn(TRegion& out) const;
    int SelectClipRgn(const TRegion* rgn);
    int ExtSelectClipRgn(const TRegion* rgn, int mode);
    int ExcludeClipRect(int l, int t, int r, int b);  // logical units
    int IntersectClipRect(int l, int t, int r, int b);
    // The clip's bounds in logical units (the whole surface, or the part of a
    // window being painted, without a clip).
    TRect GetClipBox() const;
    // Whether any pixel of the logical rectangle can be drawn.
    bool RectVisible(const TRect& r) const;

    // Mapping of logical to device units.
    int SetMapMode(int mode);
    int GetMapMode() const { return S.MapMode; }
    TSize SetWindowExt(int cx, int cy);
    TSize GetWindowExt() const { return S.WindowExt; }
    TSize SetViewportExt(int cx, int cy);
    TSize GetViewportExt() const { return S.ViewportExt; }
    TPoint SetWindowOrg(int x, int y);
    TPoint GetWindowOrg() const { return S.WindowOrg; }
    TPoint SetViewportOrg(int x, int y);
    TPoint GetViewportOrg() const { return S.ViewportOrg; }
    TPoint LPtoDP(TPoint p) const;
    TPoint DPtoLP(TPoint p) const;
    TRect LPtoDP(const TRect& r) const;
    TRect DPtoLP(const TRect& r) const;

    // Bit transfers from a bitmap. Raster operations other than SRCCOPY need
    // a surface of pixels (an image); elsewhere they fail and draw nothing.
    bool BitBlt(int x, int y, int w, int h, const TBitmap* src, int sx, int sy, uint32_t rop);
    bool StretchBlt(int x, int y, int w, int h, const TBitmap* src, int sx, int sy, int sw, int sh, uint32_t rop);
    // BLACKNESS, WHITENESS, PATCOPY (the brush), DSTINVERT.
    bool PatBlt(int x, int y, int w, int h, uint32_t rop);
    // The masked draw that works on every device: the bitmap stretched into
    // the rectangle where the mask (same size as the bitmap) is black; white
    // mask pixels leave the device alone. A monochrome device gets nothing.
    void StretchDrawMasked(const TRect& dest, const TBitmap* bmp, const TBitmap* mask);

    // Device facts.
    int GetDeviceCaps(int index) const;
    const TDeviceCaps& Caps() const { return FCaps; }
    bool IsMonochrome() const {
        return FCaps.BitsPixel * FCaps.Planes == 1 || (FCaps.NumColors > 0 && FCaps.NumColors < 3);
    }
    // The device's size in device pixels.
    virtual TSize SurfaceSize() const = 0;
    // The pixels drawing can reach at all, whatever clip is selected (device
    // units): the surface, or the part of a window being painted.
    virtual TRegion SurfaceRegion() const;
    // A context without pixels that answers this device's facts and measures
    // text exactly as it does (a recorded page measures through one).
    virtual std::unique_ptr<TDeviceContext> NewMeasuringContext() const = 0;
    // The surface changed its size or depth (a bitmap being drawn on).
    virtual void SurfaceChanged() {}

    // Counts RestoreDC calls: canvases select their objects again after a
    // restore, since their notion of what is selected is void then.
    uint64_t StateGeneration() const { return FGeneration; }

    // The state of one level.
    struct State {
        TLogPen Pen;
        TLogBrush Brush;
        TLogFont Font;
        TColor TextColor = clBlack;
        TColor BkColor = clWhite;
        int BkMode = OPAQUE;
        uint32_t TextAlign = TA_TOP;
        int CharExtra = 0;
        int JustExtra = 0, JustBreaks = 0;          // as set
        int JustLeftExtra = 0, JustLeftBreaks = 0;  // what output has not used yet
        // Where the spread's last output ended: its right end and the top and
        // bottom of its text (logical units); a next output continues the line
        // only from there.
        bool JustStarted = false;
        int JustEndX = 0, JustTop = 0, JustBottom = 0;
        int PolyFillMode = ALTERNATE;
        int StretchMode = COLORONCOLOR;
        bool HasClip = false;
        TRegion Clip;  // device units
        int MapMode = MM_TEXT;
        TPoint WindowOrg, ViewportOrg;
        TSize WindowExt{1, 1}, ViewportExt{1, 1};
        TPoint Pos;
    };
    const State& CurrentState() const { return S; }

    // A figure of a path, in logical units.
    struct Figure {
        std::vector<TPoint> Points;
        bool Closed = false;
    };

protected:
    // ---- what a backend provides
    // Advance of each UTF-16 unit of the text in the selected font, in whole
    // pixels, without justification or character extra; a surrogate pair's
    // advance goes on its first unit, its second unit advances 0.
    virtual void CharAdvances(std::u16string_view text, std::vector<int>& out) = 0;
    virtual TTextMetric FontMetrics() = 0;
    // Drawing, in logical units, with the state in force (clip, mapping).
    virtual void DrawPolyline(const std::vector<TPoint>& pts) = 0;  // selected pen
    virtual void DrawRectangle(const TRect& r) = 0;                 // pen and brush
    virtual void DrawEllipse(const TRect& r) = 0;
    virtual void DrawPolygon(const std::vector<TPoint>& pts) = 0;
    virtual void DrawFill(const TRect& r, int32_t rgb) = 0;
    virtual void DrawRegion(const TRegion& deviceRgn, int32_t rgb) = 0;
    virtual void DrawFocus(const TRect& r) = 0;
    virtual void DrawPixel(int x, int y, int32_t rgb) = 0;
    virtual TColor ReadPixel(int x, int y) = 0;
    virtual void DrawPath(const std::vector<Figure>& figures, bool stroke, bool fill) = 0;
    // Glyphs at the given x positions (one per unit), on the baseline y; the
    // opaque rectangle is filled with the background colour first.
    virtual void DrawGlyphs(std::u16string_view text, const std::vector<int>& xs, int baseline, const TRect* clip,
                            const TRect* opaque) = 0;
    virtual bool DrawBits(const TRect& dest, const TBitmap* src, const TRect& srcRect, uint32_t rop) = 0;
    virtual bool DrawPattern(const TRect& dest, uint32_t rop) = 0;
    virtual void DrawMasked(const TRect& dest, const TBitmap* bmp, const TBitmap* mask) = 0;
    // Called when clip or mapping changed (backends cache what they applied).
    virtual void StateChanged() {}

    // Tracing: the recording backend logs every call.
    bool FTrace = false;
    virtual void Trace(const std::string& line) { (void)line; }

    TDeviceCaps FCaps;
    State S;

    // Justification and character extra applied to advances, the spread
    // taken from (and what it leaves written back to) the two counters.
    void ApplySpacing(std::u16string_view text, std::vector<int>& adv, int& leftExtra, int& leftBreaks) const;
    // Character extra alone (formatted text), once per character.
    void ApplyCharExtra(std::u16string_view text, std::vector<int>& adv) const;

private:
    void trace(const char* op, std::initializer_list<long long> args, const std::u16string_view* text = nullptr);
    // The baseline of text put at y by the text alignment.
    int baselineAt(int y, const TTextMetric& tm) const;
    // Whether text anchored at x on this baseline continues the justified
    // line whose last output ended at JustEndX.
    bool continuesLine(int x, int baseline) const;
    std::vector<State> FSaved;
    std::vector<Figure> FPath;
    bool FPathOpen = false;
    bool FPathDone = false;
    uint64_t FGeneration = 0;
};

// Restores the clip on every way out of a scope: whatever a caller selects,
// narrows or excludes in between is undone.
class TClipGuard {
public:
    explicit TClipGuard(TDeviceContext* dc);
    ~TClipGuard();
    TClipGuard(const TClipGuard&) = delete;
    TClipGuard& operator=(const TClipGuard&) = delete;
    // Whether a clip was in force when the guard was made, and that clip.
    bool HadClip() const { return FHad; }
    const TRegion& SavedClip() const { return FSaved; }

private:
    TDeviceContext* FDc;
    TRegion FSaved;
    bool FHad = false;
};

// SaveDC on entry, RestoreDC to that level on every way out.
class TSaveDCGuard {
public:
    explicit TSaveDCGuard(TDeviceContext* dc) : FDc(dc), FLevel(dc ? dc->SaveDC() : 0) {}
    ~TSaveDCGuard() {
        if (FDc) FDc->RestoreDC(FLevel);
    }
    TSaveDCGuard(const TSaveDCGuard&) = delete;
    TSaveDCGuard& operator=(const TSaveDCGuard&) = delete;

private:
    TDeviceContext* FDc;
    int FLevel;
};

// ---- the screen's measuring context and installed fonts

// A context for measuring text as the screen does (fonts, metrics, pixels per
// inch). Tests may put a recording context in its place; the previous
// provider is returned so it can be restored.
using TScreenDCProvider = std::function<std::unique_ptr<TDeviceContext>()>;
std::unique_ptr<TDeviceContext> GetScreenDC();
TScreenDCProvider SetScreenDCProvider(TScreenDCProvider p);

// Installed font families, sorted without regard to case.
std::vector<String> InstalledFontFamilies();
bool IsFontInstalled(const String& face);
// A face whose characters are symbols (it reports SYMBOL_CHARSET).
bool IsSymbolFontFace(const String& face);
