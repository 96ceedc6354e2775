// Regions: sets of whole pixels used for clipping, hit tests and fills.
// A region is a value; copies are independent.
#pragma once

#include <memory>
#include <vector>

#include "platform/framework/Graphics.h"

// Polygon fill rules.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// Combination modes.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// Kinds of region, as combining and clip queries report them.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// A scale-and-translate transform (device = logical × M + D); shear is not
// supported because regions are made of axis-aligned rectangles.
struct TXForm {
    double eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
};

class TRegion {
public:
    TRegion();  // empty
    TRegion(const TRegion& o);
    TRegion& operator=(const TRegion& o);
    TRegion(TRegion&&) noexcept;
    TRegion& operator=(TRegion&&) noexcept;
    ~TRegion();

    // The rectangle without its right and bottom edges; an empty or inverted
    // rectangle gives an empty region.
    static TRegion Rect(int l, int t, int r, int b);
    static TRegion Rect(const TRect& r) { return Rect(r.Left, r.Top, r.Right, r.Bottom); }
    // The ellipse inscribed in the rectangle (right and bottom edges excluded).
    static TRegion Ellipse(int l, int t, int r, int b);
    static TRegion Ellipse(const TRect& r) { return Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    // A polygon filled by ALTERNATE (even-odd) or WINDING (non-zero).
    static TRegion Polygon(const std::vector<TPoint>& pts, int fillMode = ALTERNATE);
    // The union of rectangles, each mapped through the transform when given
    // (edges rounded to whole pixels).
    static TRegion FromRects(const std::vector<TRect>& rects, const TXForm* xform = nullptr);

    // Combines a and b into this region; returns the kind of the result.
    int Combine(const TRegion& a, const TRegion& b, int mode);
    bool PtIn(int x, int y) const;
    bool RectIn(const TRect& r) const;  // any pixel of r lies in the region
    bool IsEmpty() const;
    // The smallest rectangle holding the region (all zero when empty).
    TRect Box() const;
    int Kind() const;  // NULLREGION, SIMPLEREGION or COMPLEXREGION
    void Offset(int dx, int dy);
    // The rectangles the region is made of, top to bottom.
    std::vector<TRect> Rects() const;
    bool operator==(const TRegion& o) const;
    bool operator!=(const TRegion& o) const { return !(*this == o); }

    struct Impl;
    const Impl& impl() const { return *FImpl; }  // platform code
    Impl& impl() { return *FImpl; }

private:
    std::unique_ptr<Impl> FImpl;
};
