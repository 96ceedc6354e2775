// Any input either fails with the decoder's own exception or loads; what
// loads renders its strip and its per-image bitmaps or fails the same way.
// The decoder runs under the pixel limit the image loader gives it.
#include <cstdint>
#include <cstdlib>

#include "html/layout/GifDecoder.h"
#include "html/layout/PixelBudget.h"
#include "platform/framework/GraphicsErrors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TGif g;
    g.SetPixelLimit(ThtPixelBudget::DefaultPixels);
    try {
        g.LoadFromStream(data, size);
    } catch (const EInvalidGraphicOperation&) {
        return 0;
    }
    if (g.ImageCount() < 1) std::abort();
    // Keep each run small: the strip limits themselves are tested elsewhere.
    const int64_t stripPixels = int64_t(g.Width()) * g.Height() * g.ImageCount();
    try {
        if (stripPixels <= 4'000'000) {
            TPixelBuffer mask;
            const TPixelBuffer strip = g.GetStripBitmap(mask);
            if (strip.Width != g.Width() * g.ImageCount() || strip.Height != g.Height()) std::abort();
            if (g.Transparent() != !mask.Empty()) std::abort();
        }
        for (int i = 0; i < g.ImageCount(); ++i) {
            const TGifImageDescriptor& id = g.GetImageDescriptor(i);
            if (id.rPixelCount > 4'000'000) continue;
            const TPixelBuffer& b = g.GetBitmap(i);
            if (b.Width != id.rWidth || b.Height != id.rHeight) std::abort();
        }
    } catch (const EInvalidGraphicOperation&) {}
    return 0;
}
