// Drawing that needs pixels of its own (raster operations, masks, pictures
// composed off-screen) on a device too large for one bitmap: a page at a
// printer's resolution (A4 at 1200 pixels per inch is 9583 × 13699, twice
// what a bitmap may hold) is drawn one horizontal band at a time, each band
// an off-screen bitmap at the device's resolution copied onto the device.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/framework/DeviceContext.h"

// The largest band, in pixels (16 MB of 32-bit pixels).
constexpr int64_t kMaxBandPixels = int64_t(1) << 22;

// Draws `area` (logical units of `target`) through bands of at most
// `maxBandPixels` device pixels (wider areas are cut into tiles as well).
// `paint` draws each band on its canvas in the target's logical units: the
// band carries the target's mapping, shifted to its place, and the target's
// facts (pixels per inch, depth), so what it draws lands where it would on
// the target; `band` is the part of the area (logical units) the band
// covers, so a painter may skip the rest. A band starts white and covers its
// part of the target opaquely; parts outside the target's surface or clip
// are not made. The target's state is as it was afterwards. Returns the
// number of bands drawn.
int DrawInBands(TDeviceContext* target, const TRect& area,
                const std::function<void(TCanvas* canvas, const TRect& band)>& paint,
                int64_t maxBandPixels = kMaxBandPixels);
