#pragma once
// Borders and bevels: the one border routine that blocks, table cells,
// inline boxes of text and the bevels of images all draw through, the
// inline box border of one line of text, and the canvas helpers for clip
// regions and wrapped text. Side order of the four-entry arrays: left, top,
// right, bottom.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "html/layout/ModelTypes.h"
#include "html/text/Margins.h"
#include "html/text/StyleTypes.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/Region.h"

class ThtDocument;

using htColorArray = std::array<TColor, 4>;
using htBorderStyleArray = std::array<ThtBorderStyle, 4>;

htBorderStyleArray htStyles(ThtBorderStyle L, ThtBorderStyle T, ThtBorderStyle R, ThtBorderStyle B);
htColorArray htColors(TColor L, TColor T, TColor R, TColor B);

// Draws the border between ORect and IRect (canvas coordinates).
void DrawBorder(TCanvas* Canvas, TRect ORect, TRect IRect, const htColorArray& C, const htBorderStyleArray& S,
                TColor BGround, TStyleElements StyleElements);
// Fills the polygon of four points with a solid brush of the colour.
void FillQuad(TCanvas* Canvas, const std::array<TPoint, 4>& Points, TColor Colour);

void GetRaisedColors(ThtDocument* Document, TCanvas* Canvas, TColor& Light, TColor& Dark);
htColorArray MakeRaisedColors(TColor Light, TColor Dark, bool Raised);
htColorArray GetRaisedColorArray(ThtDocument* Document, TCanvas* Canvas, bool Raised);
void DrawPlainBorder(TCanvas* Canvas, const TRect& ORect, const TRect& IRect, const htColorArray& C,
                     const htBorderStyleArray& S);
// Solid raised or sunken borders of width W inside (X1, Y1, X2, Y2).
void RaisedRect(ThtDocument* Document, TCanvas* Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, bool Raised,
                int32_t W);

// One inline box on one line of text.
struct ThtBorderRec {
    int32_t BStart = 0, BEnd = 0;  // the positions the box covers on the line
    bool OpenStart = false;        // the box continues from the previous line
    bool OpenEnd = false;          // the box continues onto the next line
    TRect BRect;                   // the box's padding area on the line
    ThtMarginArray MargArray{};
    void DrawTheBorder(TCanvas* Canvas, int32_t XOff, int32_t YOff, TStyleElements StyleElements);
};

// Left and right multiplied by FX, top and bottom by FY, rounded (halves to even).
void ScaleRectBy(const TRect& Src, TRect& Dst, double FY, double FX);
void LogicalToDeviceRect(TCanvas* Canvas, const TRect& R, bool Printing, TRect& R2);
// The clip region for R (device units) intersected with the one in force;
// OldRgn receives the region in force (HadOld false when there was none).
void MakeClipRegion(TCanvas* Canvas, const TRect& R, bool Printing, TRegion& OldRgn, bool& HadOld, TRegion& NewRgn);
void DrawWrappedText(TCanvas* Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, std::u16string_view Text);
