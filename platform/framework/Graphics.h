// Colours and fonts.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/framework/Classes.h"

struct TPoint {
    int X = 0, Y = 0;
};
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    // Saturating, so that no pair of coordinates overflows.
    int Width() const { return int(std::clamp<long long>((long long)Right - Left, INT_MIN, INT_MAX)); }
    int Height() const { return int(std::clamp<long long>((long long)Bottom - Top, INT_MIN, INT_MAX)); }
};
inline TRect Rect(int l, int t, int r, int b) { return TRect{l, t, r, b}; }
inline TPoint Point(int x, int y) { return TPoint{x, y}; }

// Rectangle helpers of the classic graphics interface (right and bottom
// edges excluded; an empty rectangle has no width or no height).
bool IsRectEmpty(const TRect& r);
void InflateRect(TRect& r, int dx, int dy);
void OffsetRect(TRect& r, int dx, int dy);
bool PtInRect(const TRect& r, TPoint p);
// The common part (all zero and false when there is none).
bool IntersectRect(TRect& out, const TRect& a, const TRect& b);
// The smallest rectangle holding both (an empty one counts for nothing).
bool UnionRect(TRect& out, const TRect& a, const TRect& b);
// number × numerator / denominator rounded half away from zero, in 64 bits;
// -1 for a zero denominator or a result beyond an int.
int MulDiv(int number, int numerator, int denominator);

// 0x00BBGGRR; system colours are 0xFF0000nn (the Windows colour index).
using TColor = int32_t;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080, clNavy = 0x800000,
                 clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080, clSilver = 0xC0C0C0, clRed = 0x0000FF,
                 clLime = 0x00FF00, clYellow = 0x00FFFF, clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00,
                 clWhite = 0xFFFFFF, clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF,
                 clMedGray = 0xA4A0A0, clLtGray = 0xC0C0C0, clDkGray = 0x808080;
constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;

constexpr TColor clSystemColor = TColor(0xFF000000u);
constexpr TColor clScrollBar = clSystemColor | 0, clBackground = clSystemColor | 1, clActiveCaption = clSystemColor | 2,
                 clInactiveCaption = clSystemColor | 3, clMenu = clSystemColor | 4, clWindow = clSystemColor | 5,
                 clWindowFrame = clSystemColor | 6, clMenuText = clSystemColor | 7, clWindowText = clSystemColor | 8,
                 clCaptionText = clSystemColor | 9, clActiveBorder = clSystemColor | 10,
                 clInactiveBorder = clSystemColor | 11, clAppWorkSpace = clSystemColor | 12,
                 clHighlight = clSystemColor | 13, clHighlightText = clSystemColor | 14, clBtnFace = clSystemColor | 15,
                 clBtnShadow = clSystemColor | 16, clGrayText = clSystemColor | 17, clBtnText = clSystemColor | 18,
                 clInactiveCaptionText = clSystemColor | 19, clBtnHighlight = clSystemColor | 20,
                 cl3DDkShadow = clSystemColor | 21, cl3DLight = clSystemColor | 22, clInfoText = clSystemColor | 23,
                 clInfoBk = clSystemColor | 24, clHotLight = clSystemColor | 26,
                 clGradientActiveCaption = clSystemColor | 27, clGradientInactiveCaption = clSystemColor | 28,
                 clMenuHighlight = clSystemColor | 29, clMenuBar = clSystemColor | 30;

// Plain RGB of any colour (system colours through the application palette).
int32_t ColorToRGB(TColor c);
// The same with system colours at the platform's own values, whatever
// application style is applied.
int32_t UnstyledColorToRGB(TColor c);
constexpr TColor RGB(int r, int g, int b) { return TColor((r & 255) | ((g & 255) << 8) | ((b & 255) << 16)); }
// "clRed", "clBtnFace", or "$00BBGGRR" for other values; parsing accepts both and decimal.
String ColorToString(TColor c);
TColor StringToColor(const String& s);  // throws EConvertError

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = uint32_t;
constexpr TFontStyles fsSet(TFontStyle s) { return 1u << s; }
extern const TEnumInfo FontStyleInfo;

enum TFontPitch { fpDefault, fpVariable, fpFixed };

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
extern const TEnumInfo PenStyleInfo;
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
extern const TEnumInfo BrushStyleInfo;

struct TSize {
    int cx = 0, cy = 0;
};

class TFont : public TPersistent {
    DECLARE_CLASS(TFont)
    TFont();
    String Name() const { return FName; }
    void SetName(const String& v);
    int Size() const { return FSize; }
    void SetSize(int v);
    // Height in pixels (negative: character height, as in the framework).
    int Height() const;
    void SetHeight(int v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch v);
    int Charset() const { return FCharset; }
    void SetCharset(int v) { FCharset = v; }
    // The pixel height exactly as set (0 when the size was set in points).
    int PixelHeight() const { return FPixelHeight; }
    void Assign(TPersistent* Source) override;
    bool IsDefault() const { return FDefault; }
    TNotifyEvent OnChange;

private:
    void Changed();
    String FName;
    int FSize = 8;
    TColor FColor = clWindowText;
    TFontStyles FStyle = 0;
    TFontPitch FPitch = fpDefault;
    int FCharset = 1;
    int FPixelHeight = 0;
    bool FDefault = true;
};

class TPen : public TPersistent {
    DECLARE_CLASS(TPen)
    TColor Color() const { return FColor; }
    void SetColor(TColor v) {
        FColor = v;
        fire(OnChange, this);
    }
    int Width() const { return FWidth; }
    void SetWidth(int v) {
        FWidth = v < 1 ? 1 : v;
        fire(OnChange, this);
    }
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle v) {
        FStyle = v;
        fire(OnChange, this);
    }
    void Assign(TPersistent* Source) override;
    TNotifyEvent OnChange;

private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
};

class TBrush : public TPersistent {
    DECLARE_CLASS(TBrush)
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle v) {
        FStyle = v;
        fire(OnChange, this);
    }
    void Assign(TPersistent* Source) override;
    TNotifyEvent OnChange;

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

class QPainter;
class QImage;
class TCanvas;
class TDeviceContext;

// A graphics request the platform refuses (absurd sizes and the like).
class EInvalidGraphicOperation : public Exception {
    using Exception::Exception;
};

// An image that can be drawn on a canvas.
class TGraphic : public TPersistent {
    DECLARE_CLASS(TGraphic)
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    // Any format Qt reads (PNG, JPEG, BMP, GIF, ICO ...); false when unreadable.
    virtual bool LoadFromFile(const String& path) = 0;
    virtual bool SaveToFile(const String& path) const = 0;
    bool Transparent = false;
    TNotifyEvent OnChange;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// A bitmap over QImage, with its own canvas. Pixel formats keep their
// layout in ScanLine: pf1bit 1 bit per pixel, most significant first (0 black,
// 1 white); pf8bit indexes into Palette; pf24bit B, G, R; pf32bit B, G, R, A.
// pfDevice and the formats nothing here needs (pf4bit, pf15bit, pf16bit,
// pfCustom) hold 32 bits. Rows run from the top.
class TBitmap : public TGraphic {
    DECLARE_CLASS(TBitmap)
    TBitmap();
    TBitmap(int w, int h);
    ~TBitmap() override;
    // The largest area a bitmap may have; bigger sizes are refused with
    // EInvalidGraphicOperation rather than allocated.
    static constexpr int64_t MaxPixels = int64_t(1) << 26;
    static constexpr int MaxSide = 65535;
    int Width() const override;
    int Height() const override;
    bool Empty() const override;
    // Negative sizes count as 0; the old pixels stay at the top left, new
    // ones are white.
    void SetSize(int w, int h);
    void SetWidth(int w) { SetSize(w, Height()); }
    void SetHeight(int h) { SetSize(Width(), h); }
    TPixelFormat PixelFormat() const { return FFormat; }
    // Converts the pixels (to the nearest palette entry for pf8bit; black or
    // white by brightness for pf1bit).
    void SetPixelFormat(TPixelFormat f);
    bool Monochrome() const { return FFormat == pf1bit; }
    void SetMonochrome(bool v) { SetPixelFormat(v ? pf1bit : pfDevice); }
    // The colour table of a pf8bit bitmap (up to 256 entries); setting it on
    // another format keeps it for the next change to pf8bit.
    std::vector<TColor> Palette() const;
    void SetPalette(const std::vector<TColor>& colors);
    // Row y of the pixels (nullptr outside); valid until the bitmap changes.
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    int BytesPerLine() const;
    // The colour treated as transparent when TransparentMode is tmFixed;
    // with tmAuto it is the bottom-left pixel.
    enum TTransparentMode { tmAuto, tmFixed };
    TTransparentMode TransparentMode = tmAuto;
    TColor TransparentColor() const;
    void SetTransparentColor(TColor c) {
        FTransparentColor = c;
        TransparentMode = tmFixed;
    }
    // A monochrome mask of the same size: white where the pixel is `c`, black elsewhere.
    TBitmap* CreateMask(TColor c) const;
    bool LoadFromFile(const String& path) override;
    bool SaveToFile(const String& path) const override;
    void Assign(TPersistent* Source) override;
    // The canvas of the bitmap; it stays usable for the bitmap's lifetime.
    TCanvas* Canvas();
    // Lets go of the painter (pixels are flushed); the canvas reopens it when it draws.
    void ReleaseCanvas();
    const QImage& Image() const;  // platform code
    void SetImage(const QImage& img);
    // Platform code: the painter drawing on the pixels (opened on demand).
    QPainter* BeginPainter();
    void EndPainter();

private:
    QImage* FImage;
    TCanvas* FCanvas = nullptr;
    TDeviceContext* FDC = nullptr;
    QPainter* FPainter = nullptr;
    TPixelFormat FFormat = pfDevice;
    std::vector<TColor> FPalette;
    TColor FTransparentColor = clNone;
};

// Holds one graphic (read from a file, or assigned).
class TPicture : public TPersistent {
    DECLARE_CLASS(TPicture)
    TPicture();
    ~TPicture() override;
    TGraphic* Graphic() const { return FGraphic; }
    void SetGraphic(TGraphic* g);
    TBitmap* Bitmap();  // the picture as a bitmap (made when needed)
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }
    bool LoadFromFile(const String& path);
    bool SaveToFile(const String& path) const;
    // The file it was read from (animations play from it).
    String FileName() const { return FFileName; }
    void Assign(TPersistent* Source) override;
    void Clear();
    TNotifyEvent OnChange;

private:
    TBitmap* FGraphic = nullptr;
    String FFileName;
};

constexpr unsigned DT_LEFT = 0, DT_CENTER = 1, DT_RIGHT = 2, DT_VCENTER = 4, DT_BOTTOM = 8, DT_WORDBREAK = 0x10,
                   DT_SINGLELINE = 0x20, DT_NOCLIP = 0x100, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800;

enum TCanvasOrientation { coLeftToRight, coRightToLeft };

// Drawing surface over a device context (Handle): the Qt backend while a
// control paints, on a bitmap or a printer, or a recording context in tests.
// Coordinates follow the framework: rectangles exclude their right and bottom
// edges. Pen, brush and font are selected into the context when an operation
// of the canvas needs them and they changed; operations on Handle() use what
// is selected there.
class TCanvas : public TPersistent {
    DECLARE_CLASS(TCanvas)
    TCanvas();
    ~TCanvas() override;
    TFont* Font() const { return FFont; }
    TPen* Pen() const { return FPen; }
    TBrush* Brush() const { return FBrush; }
    void SetFont(TFont* f) { FFont->Assign(f); }
    TPoint PenPos() const;
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);
    void DrawFocusRect(const TRect& r);
    void Draw(int X, int Y, const TGraphic* g);
    void StretchDraw(const TRect& r, const TGraphic* g);
    // Text: the brush fills behind it unless its style is bsClear.
    void TextOut(int X, int Y, const String& Text);
    void TextRect(const TRect& r, int X, int Y, const String& Text);
    int TextWidth(const String& Text) const;
    int TextHeight(const String& Text) const;
    TSize TextExtent(const String& Text) const;
    // The same for UTF-16 text.
    void TextOutW(int X, int Y, std::u16string_view Text);
    void TextRectW(const TRect& r, int X, int Y, std::u16string_view Text);
    int TextWidthW(std::u16string_view Text) const;
    TSize TextExtentW(std::u16string_view Text) const;
    TColor Pixel(int X, int Y) const;
    void SetPixel(int X, int Y, TColor c);
    TRect ClipRect() const;
    // Text in a rectangle, as the system's DrawText: DT_* flags; with
    // DT_WORDBREAK lines break between words to fit the width, with
    // DT_CALCRECT nothing is drawn and the rectangle's bottom (and, for one
    // line, its right) is set to what the text needs. Measured on the
    // device being painted (a printer page), or the screen. Answers the
    // text's height.
    int DrawText(const String& Text, TRect& r, unsigned flags);
    // ETO_ options the canvas's text output adds (ETO_RTLREADING ...).
    uint32_t TextFlags = 0;
    TCanvasOrientation CanvasOrientation = coLeftToRight;
    // The device context with the canvas's pen, brush and font ready. A
    // canvas without a device measures on the screen's context and draws nothing.
    TDeviceContext* Handle();
    bool HandleAllocated() const { return FDevice != nullptr; }
    // Marks pen, brush and font for selection again (after foreign changes).
    void Refresh();
    // Draw through a device context (not owned) until it is detached with nullptr.
    void SetDevice(TDeviceContext* dc);
    TDeviceContext* Device() const { return FDevice; }
    // Platform code: draw through this painter until EndPaint; or through a
    // context of the caller's (not owned) whose painter it is.
    void BeginPaint(QPainter* p);
    void BeginPaint(QPainter* p, TDeviceContext* dc);
    void EndPaint();
    QPainter* Painter() const { return FPainter; }
    TNotifyEvent OnChange;
    // Fired before the canvas draws; a handler may refuse by throwing
    // (a printer's canvas outside a print job).
    TNotifyEvent OnChanging;
    // Signals a change of the drawing (after operations on Handle()).
    void Changed() { fire(OnChange, this); }

private:
    friend class TBitmap;
    TDeviceContext* measureDC() const;
    // Selects the canvas objects the operation needs; nullptr without a device.
    TDeviceContext* ready(bool pen, bool brush, bool font) const;
    // The same for an operation that draws (OnChanging first).
    TDeviceContext* drawing(bool pen, bool brush, bool font);
    TFont* FFont;
    TPen* FPen;
    TBrush* FBrush;
    TDeviceContext* FDevice = nullptr;
    std::unique_ptr<TDeviceContext> FOwnedDevice;
    mutable std::unique_ptr<TDeviceContext> FMeasure;
    QPainter* FPainter = nullptr;
    mutable bool FPenDirty = true, FBrushDirty = true, FFontDirty = true;
    mutable uint64_t FGeneration = ~uint64_t(0);
    mutable TDeviceContext* FReadyFor = nullptr;
};
