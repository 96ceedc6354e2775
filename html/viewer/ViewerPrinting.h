#pragma once
// What printing a viewer's document works out before it draws: the page
// geometry from the printer's metrics, the margins and the print scale, in
// the printer's device pixels and in the logical units the document is laid
// out in (1/SPPI inch each). A pure computation, so that it can be checked
// apart from any printer.
#include "platform/framework/Graphics.h"

class ThtPrinter;

// How a print routine uses its printer.
enum ThtPrintPreviewMode {
    ppAuto,         // ppPreview on a page recorder, ppMultiPrint on any other printer
    ppNoOutput,     // pages counted, nothing drawn (a page recorder only)
    ppPreview,      // pages recorded (a page recorder only)
    ppSinglePrint,  // a job of its own, ended (or aborted) by the routine
    ppMultiPrint,   // pages added to a job that may already be open and stays open
};

// A printer's page in device pixels.
struct ThtPageMetrics {
    int PageWidth = 0, PageHeight = 0;    // the printable area
    int PaperWidth = 0, PaperHeight = 0;  // the paper
    int OffsetX = 0, OffsetY = 0;         // the printable area's corner from the paper's edges
    int PPIX = 0, PPIY = 0;
};
ThtPageMetrics PageMetricsOf(const ThtPrinter& Prn);

// Print margins in centimetres from the paper's edges.
struct ThtPrintMargins {
    double Left = 0, Right = 0, Top = 0, Bottom = 0;
};

// Names ending in d are device pixels, in l logical units.
struct ThtPageGeometry {
    int SPPI = 96;
    double XR = 1, YR = 1;  // logical units per device pixel
    int MLd = 0, MLl = 0;   // left margin, from the printable area's edge
    int MRd = 0;            // right margin
    int Wd = 0, Wl = 0;     // the text's width
    int PWl = 0;            // the printable area's width
    int MTd = 0, MTl = 0;   // top margin
    int MBd = 0;            // bottom margin
    int Hd = 0, Hl = 0;     // the text's height
    int PHl = 0;            // the printable area's height
    TRect ARect;            // the text, logical
    TRect MarginClip;       // the text's clip, device
    TRect PageClip;         // the printable area, device
};

// The logical units per inch: the screen's pixels per inch times the print
// scale, rounded to the nearest (a half to the even neighbour), at least 1.
int PrintPixelsPerInch(int ScreenPPI, double PrintScale);

// The page geometry. Margins below 0, or inside the strips the printer
// cannot print on, count as the printable area's edge. Margins that leave
// no room for text raise EIllegalArgument.
ThtPageGeometry PageGeometry(const ThtPageMetrics& M, const ThtPrintMargins& Margins, int SPPI);

// Reference moved by DeltaCm centimetres of top margin (an event changed
// PrintMarginTop during a job): the text starts lower and is shorter by as
// much. Raises EIllegalArgument when no room for text is left.
ThtPageGeometry ShiftTopMargin(const ThtPageGeometry& Reference, double DeltaCm, const ThtPageMetrics& M);
