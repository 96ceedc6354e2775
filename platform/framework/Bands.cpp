#include "platform/framework/Bands.h"

#include <algorithm>

#include "platform/framework/QtDeviceContext.h"

int DrawInBands(TDeviceContext* target, const TRect& area,
                const std::function<void(TCanvas* canvas, const TRect& band)>& paint, int64_t maxBandPixels) {
    if (!target || !paint) return 0;
    const TRect logical{std::min(area.Left, area.Right), std::min(area.Top, area.Bottom),
                        std::max(area.Left, area.Right), std::max(area.Top, area.Bottom)};
    // Only the part of the area that can show on the device is made.
    TRegion visible = target->SurfaceRegion();
    TRegion clip;
    if (target->GetClipRgn(clip) == 1) visible.Combine(visible, clip, RGN_AND);
    TRect dev;
    if (!IntersectRect(dev, target->LPtoDP(logical), visible.Box())) return 0;

    const int64_t budget = std::clamp<int64_t>(maxBandPixels, 1, TBitmap::MaxPixels);
    const int tileW = int(std::min<int64_t>({dev.Width(), TBitmap::MaxSide, budget}));
    const int tileH = int(std::clamp<int64_t>(budget / tileW, 1, TBitmap::MaxSide));
    const TDeviceContext::State& t = target->CurrentState();
    const TDeviceCaps caps = target->Caps();
    TBitmap band;
    int count = 0;
    for (int y = dev.Top; y < dev.Bottom; y += std::min(tileH, dev.Bottom - y)) {
        const int h = std::min(tileH, dev.Bottom - y);
        for (int x = dev.Left; x < dev.Right; x += std::min(tileW, dev.Right - x)) {
            const int w = std::min(tileW, dev.Right - x);
            band.SetSize(w, h);
            {
                auto dc = NewBitmapDeviceContext(&band, caps);
                dc->FillRect(Rect(0, 0, w, h), clWhite);
                // The target's mapping, with the band's corner at device (x, y).
                dc->SetMapMode(t.MapMode);
                dc->SetWindowExt(t.WindowExt.cx, t.WindowExt.cy);
                dc->SetViewportExt(t.ViewportExt.cx, t.ViewportExt.cy);
                dc->SetWindowOrg(t.WindowOrg.X, t.WindowOrg.Y);
                dc->SetViewportOrg(t.ViewportOrg.X - x, t.ViewportOrg.Y - y);
                TCanvas canvas;
                canvas.SetDevice(dc.get());
                paint(&canvas, target->DPtoLP(Rect(x, y, x + w, y + h)));
                canvas.SetDevice(nullptr);
            }
            // Copied pixel for pixel, in device units.
            TSaveDCGuard keep(target);
            target->SetMapMode(MM_TEXT);
            target->SetWindowOrg(0, 0);
            target->SetViewportOrg(0, 0);
            target->BitBlt(x, y, w, h, &band, 0, 0, SRCCOPY);
            ++count;
        }
    }
    return count;
}
