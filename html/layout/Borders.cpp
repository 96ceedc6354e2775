#include "html/layout/Borders.h"

#include "html/layout/Document.h"

htBorderStyleArray htStyles(ThtBorderStyle L, ThtBorderStyle T, ThtBorderStyle R, ThtBorderStyle B) {
    return {L, T, R, B};
}

htColorArray htColors(TColor L, TColor T, TColor R, TColor B) { return {L, T, R, B}; }

void DrawBorder(TCanvas*, TRect, TRect, const htColorArray&, const htBorderStyleArray&, TColor, TStyleElements) {
    // Still to come: every border style between the two rectangles.
}

void FillQuad(TCanvas*, const std::array<TPoint, 4>&, TColor) {
    // Still to come: the quad filled with a solid brush.
}

void GetRaisedColors(ThtDocument*, TCanvas*, TColor& Light, TColor& Dark) {
    // Still to come: the bevel colours by printer and background.
    Light = clBtnHighlight;
    Dark = clBtnShadow;
}

htColorArray MakeRaisedColors(TColor Light, TColor Dark, bool Raised) {
    return Raised ? htColorArray{Light, Light, Dark, Dark} : htColorArray{Dark, Dark, Light, Light};
}

htColorArray GetRaisedColorArray(ThtDocument* Document, TCanvas* Canvas, bool Raised) {
    TColor light, dark;
    GetRaisedColors(Document, Canvas, light, dark);
    return MakeRaisedColors(light, dark, Raised);
}

void DrawPlainBorder(TCanvas* Canvas, const TRect& ORect, const TRect& IRect, const htColorArray& C,
                     const htBorderStyleArray& S) {
    DrawBorder(Canvas, ORect, IRect, C, S, clNone, AllStyleElements);
}

void RaisedRect(ThtDocument*, TCanvas*, int32_t, int32_t, int32_t, int32_t, bool, int32_t) {
    // Still to come: the raised or sunken bevel.
}

void ThtBorderRec::DrawTheBorder(TCanvas*, int32_t, int32_t, TStyleElements) {
    // Still to come: the inline box's background and border on its line.
}

void ScaleRectBy(const TRect& Src, TRect& Dst, double, double) {
    // Still to come: the scaling with ties to even.
    Dst = Src;
}

void LogicalToDeviceRect(TCanvas*, const TRect& R, bool, TRect& R2) {
    // Still to come: window origin and print scaling.
    R2 = R;
}

void MakeClipRegion(TCanvas*, const TRect& R, bool, TRegion& OldRgn, bool& HadOld, TRegion& NewRgn) {
    // Still to come: the region in device units intersected with the clip in force.
    OldRgn = TRegion();
    HadOld = false;
    NewRgn = TRegion::Rect(R);
}

void DrawWrappedText(TCanvas*, int32_t, int32_t, int32_t, int32_t, std::u16string_view) {
    // Still to come: word-wrapped text in the rectangle.
}
