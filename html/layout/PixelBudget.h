// A total of picture pixels that one holder allows: the image cache for the
// pictures it keeps, a document for the pictures it shows. A picture whose
// declared size exceeds what is left is refused before it is decoded and
// shown as broken, so that small files cannot cost hundreds of megabytes.
#pragma once

#include <algorithm>
#include <cstdint>

class ThtPixelBudget {
public:
    // 2^25 pixels: a 128 MB picture at four bytes a pixel, far above any
    // picture a page of this program shows.
    static constexpr int64_t DefaultPixels = int64_t(1) << 25;

    explicit ThtPixelBudget(int64_t Limit = DefaultPixels) : FLimit(std::max<int64_t>(0, Limit)) {}
    int64_t Limit() const { return FLimit; }
    int64_t Used() const { return FUsed; }
    int64_t Left() const { return std::max<int64_t>(0, FLimit - FUsed); }
    bool Fits(int64_t Pixels) const { return Pixels <= Left(); }
    // Counted whether it fits or not: what is taken is given back the same way.
    void Take(int64_t Pixels) { FUsed += std::max<int64_t>(0, Pixels); }
    void Give(int64_t Pixels) { FUsed = std::max<int64_t>(0, FUsed - std::max<int64_t>(0, Pixels)); }

private:
    int64_t FLimit;
    int64_t FUsed = 0;
};
