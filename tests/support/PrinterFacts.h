#pragma once
// The facts of the 600-dpi printer the printing tests print on: a Letter
// sheet with a printable area inset by the physical offsets.
#include "platform/framework/DeviceContext.h"

namespace zrxtest {

inline TDeviceCaps LetterPrinterAt600Dpi() {
    TDeviceCaps c;
    c.LogPixelsX = c.LogPixelsY = 600;
    c.BitsPixel = 24;
    c.HorzRes = 4800;
    c.VertRes = 6400;
    c.PhysicalWidth = 5100;
    c.PhysicalHeight = 6600;
    c.PhysicalOffsetX = 150;
    c.PhysicalOffsetY = 100;
    return c;
}

}  // namespace zrxtest
