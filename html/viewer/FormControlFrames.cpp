#include "html/viewer/FormControlFrames.h"

#include "html/text/ScreenColors.h"
#include "platform/framework/DeviceContext.h"

namespace {

constexpr TColor Silver = TColor(0xC0C0C0);

bool usesTheme(TStyleElements StyleElements) { return (StyleElements & seSet(seClient)) != 0; }

// Keeps the canvas's brush and pen as they were.
class SavedTools {
public:
    explicit SavedTools(TCanvas* Canvas) : FCanvas(Canvas) {
        FBrush.Assign(Canvas->Brush());
        FPen.Assign(Canvas->Pen());
    }
    ~SavedTools() {
        FCanvas->Brush()->Assign(&FBrush);
        FCanvas->Pen()->Assign(&FPen);
    }
    SavedTools(const SavedTools&) = delete;
    SavedTools& operator=(const SavedTools&) = delete;

private:
    TCanvas* FCanvas;
    TBrush FBrush;
    TPen FPen;
};

void fill(TCanvas* Canvas, const TRect& R, TColor Color) {
    if (R.Right <= R.Left || R.Bottom <= R.Top) return;
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Color);
    Canvas->FillRect(R);
}

}  // namespace

bool IsMonochromeCanvas(TCanvas* Canvas) {
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    return dc && dc->GetDeviceCaps(BITSPIXEL) == 1 && dc->GetDeviceCaps(PLANES) == 1;
}

void FillFormControlFace(TCanvas* Canvas, int Left, int Top, int Right, int Bottom, TColor Color,
                         TStyleElements StyleElements) {
    if (!Canvas) return;
    SavedTools saved(Canvas);
    fill(Canvas, Rect(Left, Top, Right, Bottom), ThemedColor(Color, usesTheme(StyleElements)));
}

void DrawFormControlFrame(TCanvas* Canvas, int Left, int Top, int Right, int Bottom, TStyleElements StyleElements,
                          TColor Color, bool Disabled, bool Mono, bool Raised) {
    if (!Canvas) return;
    SavedTools saved(Canvas);
    const bool themed = usesTheme(StyleElements);
    const bool mono = Mono && IsMonochromeCanvas(Canvas);
    const TColor face = mono ? clWhite : ThemedColor(Disabled ? clBtnFace : Color, themed);
    // The frame lies inside the face's rectangle (Right - 1, Bottom - 1).
    const int r = Right - 1, b = Bottom - 1;
    fill(Canvas, Rect(Left, Top, r, b), face);
    const int w = mono ? 1 : 2;
    const TColor shadow = ThemedColor(clBtnShadow, themed), highlight = ThemedColor(clBtnHighlight, themed);
    const TColor leftTop = mono ? clBlack : Raised ? highlight : shadow;
    const TColor rightBottom = mono ? Silver : Raised ? shadow : highlight;
    fill(Canvas, Rect(Left, Top, Left + w, b), leftTop);
    fill(Canvas, Rect(Left, Top, r, Top + w), leftTop);
    fill(Canvas, Rect(r - w, Top + w, r, b), rightBottom);
    fill(Canvas, Rect(Left + w, b - w, r, b), rightBottom);
}
