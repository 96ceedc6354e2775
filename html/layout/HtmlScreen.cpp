#include "html/layout/HtmlScreen.h"

#include <algorithm>

#include "platform/framework/DeviceContext.h"

void PrepareBitmap(TBitmap*& Bitmap, int Width, int Height, bool UsePalette) {
    if (!Bitmap) {
        Bitmap = new TBitmap;
        if (UsePalette && ColorBits <= 8 && ThePalette) {
            Bitmap->SetPalette(*ThePalette);
            Bitmap->SetPixelFormat(pf8bit);
        }
    }
    Bitmap->SetSize(std::max(Width, 2), std::max(Height, 2));
}

void DrawCircle(TCanvas* Canvas, int X, int Y, int D) { Canvas->Ellipse(X, Y - D, X + D, Y); }

void CanvasTextRectW(TCanvas* Canvas, const TRect& Rect, int X, int Y, std::u16string_view Text) {
    TDeviceContext* dc = Canvas->Handle();
    uint32_t options = Canvas->TextFlags | ETO_CLIPPED;
    if (Canvas->Brush()->Style() != bsClear) options |= ETO_OPAQUE;
    if ((Canvas->TextFlags & ETO_RTLREADING) && Canvas->CanvasOrientation == coRightToLeft)
        X += Canvas->TextWidthW(Text) + 1;
    dc->ExtTextOut(X, Y, options, &Rect, Text);
    Canvas->Changed();
}
