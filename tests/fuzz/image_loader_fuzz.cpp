// Any bytes either load as a picture whose size is within the pixel cap or
// give none; a loaded picture draws onto a small bitmap.
#include <cstdint>
#include <cstdlib>

#include "html/layout/Images.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Drawing may start Qt: never on a display.
    static const bool offscreen = setenv("QT_QPA_PLATFORM", "offscreen", 0) == 0;
    (void)offscreen;
    // The picture library is on while an image cache exists.
    static ThtImageCache cache;
    TMemoryStream s(data, size);
    ThtImagePtr img = LoadImageByContent(&s, size % 2 ? LLCorner : NotTransp);
    if (!img) return 0;
    if (int64_t(img->Width()) * img->Height() > GpMaxPicturePixels) std::abort();
    TBitmap target(8, 8);
    img->Draw(target.Canvas(), 0, 0, 8, 8);
    return 0;
}
