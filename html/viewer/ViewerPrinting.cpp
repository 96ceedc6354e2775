// The viewer's printing: a copy of the document is laid out once at the
// text width the paper leaves, in logical units of 1/SPPI inch mapped onto
// the printer's pixels, then drawn page after page by moving its Y offset
// and the window origin. Tables repeat their header and footer rows through
// the table-part record they share with the viewer. Off-screen pictures and
// paged metafiles use the same layout-and-draw path.
#include "html/viewer/ViewerPrinting.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>

#include "html/layout/Backgrounds.h"
#include "html/layout/Tables.h"
#include "html/text/HtmlText.h"
#include "html/text/Lengths.h"
#include "html/viewer/HtmlViewer.h"
#include "html/viewer/MetaFilePrinter.h"
#include "html/viewer/PaintPanel.h"
#include "html/viewer/VwPrinter.h"
#include "platform/framework/DeviceContext.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Metafile.h"
#include "platform/runtime/Translation.h"

namespace {

// The height an off-screen picture may have.
constexpr int MaxOffscreenHeight = 4000;

String text(const char* Source) { return zrnTranslateString(Source).str(); }

String textWith(const char* Source, const String& Arg) {
    String t = text(Source);
    if (const size_t at = t.find("%s"); at != String::npos) t.replace(at, 2, Arg);
    return t;
}

int truncInt(double V) { return int(std::clamp(std::trunc(V), double(INT_MIN), double(INT_MAX))); }

// Device pixels of a margin of Cm centimetres.
int marginPixels(double Cm, int PPI) { return truncInt(std::max(0.0, Cm) / 2.54 * PPI); }

void checkTextArea(const ThtPageGeometry& G) {
    if (G.Wd <= 0 || G.Hd <= 0 || G.Wl <= 0 || G.Hl <= 0)
        throw EIllegalArgument(text("The print margins leave no room for text"));
}

void fillGeometry(ThtPageGeometry& G, const ThtPageMetrics& M) {
    G.ARect = Rect(G.MLl, G.MTl, G.MLl + G.Wl, G.MTl + G.Hl);
    G.MarginClip =
        Rect(G.MLd, std::max(0, G.MTd), std::min(M.PageWidth, G.Wd + G.MLd + 2), std::min(M.PageHeight, G.MTd + G.Hd));
    G.PageClip = Rect(0, 0, M.PageWidth, M.PageHeight);
}

void selectClip(TDeviceContext* DC, const TRect& R) {
    const TRegion rgn = TRegion::Rect(R);
    DC->SelectClipRgn(&rgn);
}

void setMapping(TDeviceContext* DC, const ThtPageGeometry& G, const ThtPageMetrics& M) {
    DC->SetMapMode(MM_ANISOTROPIC);
    DC->SetWindowExt(G.SPPI, G.SPPI);
    DC->SetViewportExt(M.PPIX, M.PPIY);
}

void processMessages() {
    if (Application) Application->ProcessMessages();
}

// The canvas's pen, font and brush, kept to be put back after the document drew.
struct TCanvasObjects {
    TPen Pen;
    TFont Font;
    TBrush Brush;
    void Save(TCanvas* C) {
        Pen.Assign(C->Pen());
        Font.Assign(C->Font());
        Brush.Assign(C->Brush());
    }
    void Restore(TCanvas* C) const {
        C->Pen()->Assign(const_cast<TPen*>(&Pen));
        C->Font()->Assign(const_cast<TFont*>(&Font));
        C->Brush()->Assign(const_cast<TBrush*>(&Brush));
    }
};

}  // namespace

// ---- page geometry

ThtPageMetrics PageMetricsOf(const ThtPrinter& Prn) {
    ThtPageMetrics m;
    m.PageWidth = Prn.PageWidth();
    m.PageHeight = Prn.PageHeight();
    m.PaperWidth = Prn.PaperWidth();
    m.PaperHeight = Prn.PaperHeight();
    m.OffsetX = Prn.OffsetX();
    m.OffsetY = Prn.OffsetY();
    m.PPIX = Prn.PixelsPerInchX();
    m.PPIY = Prn.PixelsPerInchY();
    return m;
}

int PrintPixelsPerInch(int ScreenPPI, double PrintScale) {
    // lrint rounds a half to the even neighbour in the default rounding mode.
    const double v = double(ScreenPPI) * PrintScale;
    if (!(v >= 1)) return 1;
    return int(std::min<long>(std::lrint(v), INT_MAX / 4));
}

ThtPageGeometry PageGeometry(const ThtPageMetrics& M, const ThtPrintMargins& Margins, int SPPI) {
    if (M.PPIX <= 0 || M.PPIY <= 0 || SPPI <= 0)
        throw EIllegalArgument(text("The print margins leave no room for text"));
    ThtPageGeometry g;
    g.SPPI = SPPI;
    const int RO = std::max(0, M.PaperWidth - M.PageWidth - M.OffsetX);
    const int BO = std::max(0, M.PaperHeight - M.PageHeight - M.OffsetY);
    g.XR = double(SPPI) / M.PPIX;
    g.YR = double(SPPI) / M.PPIY;
    // A margin inside the strip the printer cannot reach starts at the printable area.
    g.MLd = std::max(0, marginPixels(Margins.Left, M.PPIX) - M.OffsetX);
    g.MLl = truncInt(g.MLd * g.XR);
    g.MRd = std::max(0, marginPixels(Margins.Right, M.PPIX) - RO);
    g.Wd = M.PageWidth - (g.MLd + g.MRd);
    g.Wl = truncInt(g.Wd * g.XR);
    g.PWl = truncInt(M.PageWidth * g.XR);
    g.MTd = std::max(0, marginPixels(Margins.Top, M.PPIY) - M.OffsetY);
    g.MTl = truncInt(g.MTd * g.YR);
    g.MBd = std::max(0, marginPixels(Margins.Bottom, M.PPIY) - BO);
    g.Hd = M.PageHeight - (g.MTd + g.MBd);
    g.Hl = truncInt(g.Hd * g.YR);
    g.PHl = truncInt(M.PageHeight * g.YR);
    checkTextArea(g);
    fillGeometry(g, M);
    return g;
}

ThtPageGeometry ShiftTopMargin(const ThtPageGeometry& Reference, double DeltaCm, const ThtPageMetrics& M) {
    ThtPageGeometry g = Reference;
    const int dd = truncInt(DeltaCm / 2.54 * M.PPIY);
    const int dl = truncInt(DeltaCm / 2.54 * g.SPPI);
    g.MTl = Reference.MTl + dl;
    g.MTd = Reference.MTd + dd;
    g.Hd = Reference.Hd - dd;
    g.Hl = Reference.Hl - dl;
    checkTextArea(g);
    fillGeometry(g, M);
    return g;
}

// ---- one page of a document

namespace {

// What drawing one page needs: the text rectangle and clip width, where the
// document is drawn (X) and where it is drawn to be measured only (HiddenX),
// how to clip to rows of the page and how to clear below the last whole line.
struct TPageParts {
    ThtDocument& Doc;
    TCanvas* Canvas;
    TRect Text;  // logical
    int ClipWidth;
    int X, HiddenX;
    std::function<void(int Top, int Bottom)> Clip;  // logical rows of the page
    std::function<void(int Y)> EraseBelow;
};

// Draws the page at the document's Y offset. A table broken by the page
// leads the draws through its parts (its header rows on top, the body, its
// footer rows at the bottom) by the record it shares with Owner, advancing
// it at every draw; the page ends on Normal, DoHead or DoBody3.
void DrawPageParts(ThtDocumentOwner& Owner, const TPageParts& P) {
    ThtDocument& doc = P.Doc;
    // Head, body and foot on one page take a few rounds; more mean a
    // record that does not advance.
    for (int round = 0; round < 16; ++round) {
        TTablePartRec* rec = Owner.TablePartRec;
        const TTablePart part = rec ? rec->TablePart : TTablePart::Normal;
        switch (part) {
        case TTablePart::Normal:
            doc.Draw(P.Canvas, P.Text, P.ClipWidth, P.X, 0, 0, 0);
            P.EraseBelow(doc.PageBottom - doc.YOff);
            break;
        case TTablePart::DoHead: {
            doc.SetYOffset(rec->PartStart - P.Text.Top);
            TRect r = P.Text;
            r.Bottom = r.Top + rec->PartHeight;
            P.Clip(r.Top, r.Bottom);
            doc.Draw(P.Canvas, r, P.ClipWidth, P.X, 0, 0, 0);
            break;
        }
        case TTablePart::DoBody1:
        case TTablePart::DoBody3: {
            TRect r = P.Text;
            r.Top = doc.PageBottom - 1 - doc.YOff;
            doc.SetYOffset(rec->PartStart - r.Top);
            // An invisible pass measures the body part.
            doc.Draw(P.Canvas, r, P.ClipWidth, P.HiddenX, 0, 0, 0);
            if (Owner.TablePartRec) Owner.TablePartRec->TablePart = TTablePart::DoBody2;
            r.Bottom = doc.PageBottom - doc.YOff + 1;
            P.Clip(r.Top, r.Bottom);
            doc.Draw(P.Canvas, r, P.ClipWidth, P.X, 0, 0, 0);
            if (!(Owner.TablePartRec && Owner.TablePartRec->TablePart == TTablePart::Normal))
                P.EraseBelow(doc.PageBottom - doc.YOff);
            break;
        }
        case TTablePart::DoFoot: {
            const int32_t savedBottom = doc.PageBottom;
            TRect r = P.Text;
            r.Top = doc.PageBottom - doc.YOff;
            r.Bottom = r.Top + rec->PartHeight;
            P.Clip(r.Top, r.Bottom);
            doc.SetYOffset(rec->PartStart - r.Top);
            doc.Draw(P.Canvas, r, P.ClipWidth, P.X, 0, 0, 0);
            doc.PageBottom = savedBottom;
            break;
        }
        case TTablePart::DoBody2: break;
        }
        const TTablePartRec* next = Owner.TablePartRec;
        if (!next) break;
        const TTablePart p = next->TablePart;
        if (p != TTablePart::DoBody1 && p != TTablePart::DoBody2 && p != TTablePart::DoFoot) break;
        // DoBody2 draws nothing: staying there would loop for ever.
        if (p == TTablePart::DoBody2 && part == TTablePart::DoBody2) break;
    }
}

}  // namespace

// ---- the print routine

// One run of the print routine: its printer, document copy, geometry and
// the state that lives from page to page.
class ThvPrintJob {
public:
    // Stop: the page event before the job asked for none.
    ThvPrintJob(THtmlViewer& V, ThtPrinter& Prn, int FromPage, int ToPage, ThtPrintPreviewMode Mode, bool Stop)
        : V(V), Prn(Prn), FromPage(FromPage), ToPage(ToPage), Mode(Mode), Stop(Stop) {}

    int Run();

private:
    TCanvas* canvas() { return Prn.Canvas(); }
    TDeviceContext* dc() { return canvas()->Handle(); }
    void prepare();
    void printPage(int h);
    void drawParts(int X);
    void eraseMarginBands(int y);
    void printBands();
    void printHtmlBand(THtmlViewer& Band, bool Header);
    void followTopMargin();
    void finish();

    THtmlViewer& V;
    ThtPrinter& Prn;
    const int FromPage, ToPage;
    ThtPrintPreviewMode Mode;
    std::unique_ptr<ThtDocument> Doc;
    ThtPageMetrics M;
    ThtPageGeometry G;          // in force
    ThtPageGeometry Reference;  // before an event moved the top margin
    double ReferenceMargin = 0;
    double LastMargin = 0;  // the top margin as last seen
    bool JobOpen = false;
    int X0 = 0;  // the left of the horizontal page being printed, logical
    int TotalHeight = 0, ScrollWidth = 0;
    bool Stop;
    TCanvasObjects Saved;
    std::unique_ptr<THtmlViewer> HeaderViewer, FooterViewer;
};

int ThvPrintJob::Run() {
    const double marginTop = V.PrintMarginTop();
    auto release = [&] {
        HeaderViewer.reset();
        FooterViewer.reset();
        V.SetPrintMarginTop(marginTop);
        Doc.reset();
        V.TablePartRec = nullptr;
    };
    try {
        prepare();
        const int HP = std::clamp(int(std::ceil(double(ScrollWidth) / G.Wl)), 1, std::max(1, V.PrintMaxHPages()));
        int pageBottom = 0, lastBottom = 0;
        while (V.FPage <= ToPage && !Stop) {
            Doc->SetYOffset(pageBottom - G.MTl);
            for (int h = 0; h < HP; ++h) {
                printPage(h);
                if (h == HP - 1) break;
                // Sheets before the range share the first sheet of it.
                if (FromPage <= V.FPage && V.FPage < ToPage) Prn.NewPage();
                ++V.FPage;
            }
            pageBottom = Doc->PageBottom;
            processMessages();
            if (V.OnPageEvent) V.OnPageEvent(&V, V.FPage, Stop);
            // Done at the end of the document, or when a page made no progress.
            const bool done = pageBottom >= TotalHeight - V.MarginHeight() || pageBottom <= lastBottom;
            if (done) Stop = true;
            lastBottom = pageBottom;
            // A job stopped by an event ends with the page it finished.
            if (!done && !Stop && FromPage <= V.FPage && V.FPage < ToPage) Prn.NewPage();
            ++V.FPage;
        }
    } catch (...) {
        if (JobOpen) {
            try {
                finish();
            } catch (...) {
                // The first failure is the one to report.
            }
        } else {
            V.FPage = 0;
        }
        release();
        throw;
    }
    finish();
    release();
    return V.FPage;
}

void ThvPrintJob::prepare() {
    Doc = V.CreatePrintCopy();
    Doc->SetYOffset(0);
    V.FPage = 1;
    Doc->Printing = true;
    Doc->NoOutput = Mode == ppNoOutput;
    Doc->SetBackground(clWhite);
    if (!V.DocumentTitle().empty()) Prn.SetTitle(V.DocumentTitle());
    if (Prn.Printing()) Prn.NewPage();
    else Prn.BeginDoc();
    JobOpen = true;
    // The printer reads the chosen printer's metrics as its job starts.
    M = PageMetricsOf(Prn);
    G = PageGeometry(M, {V.PrintMarginLeft(), V.PrintMarginRight(), V.PrintMarginTop(), V.PrintMarginBottom()},
                     PrintPixelsPerInch(ScreenPixelsPerInch(), V.PrintScale()));
    setMapping(dc(), G, M);
    Doc->ScaleX = float(100.0 / M.PPIX);
    Doc->ScaleY = float(100.0 / M.PPIY);

    int curs = 0;
    ScrollWidth = 0;
    TotalHeight = Doc->DoLogic(canvas(), 0, G.Wl, G.Hl, 0, ScrollWidth, curs);
    if (Mode == ppNoOutput || Mode == ppPreview) {
        V.FPrintedSize = TSize{ScrollWidth, TotalHeight};
        V.FWidthRatio = double(ScrollWidth) / G.Wl;
        if (V.FWidthRatio > 1) V.FWidthRatio = std::round(V.FWidthRatio * G.SPPI + 0.5) / G.SPPI;
    }
    processMessages();
    if (V.OnPageEvent) V.OnPageEvent(&V, 1, Stop);
    if (V.OnPrintHTMLHeader) HeaderViewer = V.CreateBandViewer();
    if (V.OnPrintHTMLFooter) FooterViewer = V.CreateBandViewer();
    Reference = G;
    ReferenceMargin = LastMargin = V.PrintMarginTop();
}

void ThvPrintJob::printPage(int h) {
    X0 = h * G.Wl;
    TCanvas* c = canvas();
    Saved.Save(c);
    TDeviceContext* d = c->Handle();
    setMapping(d, G, M);
    d->SetWindowOrg(X0, 0);
    selectClip(d, G.MarginClip);
    const bool shown = FromPage <= V.FPage && V.FPage <= ToPage;
    if (shown && htoHas(V.HtOptions(), htPrintBackground)) V.PrintBackground(c, G.MLl + X0, G.MTl, G.Wl, G.Hl);
    // A page before the range is laid out and drawn outside the clip: page
    // breaks depend on drawing.
    drawParts(shown ? G.MLl : 3 * G.Wl + G.MLl);
    dc()->SelectClipRgn(nullptr);

    // Bands only on sheets that come out: a page before the range draws
    // none onto the first sheet of it.
    if (shown) printBands();
    followTopMargin();
}

void ThvPrintJob::drawParts(int X) {
    const int clipRight = G.Wd + G.MLd + 2;
    TPageParts parts{*Doc, canvas(), Rect(G.MLl + X0, G.MTl, G.MLl + X0 + G.Wl, G.MTl + G.Hl), G.Wl, X, 3 * G.Wl + X,
                     {},   {}};
    parts.Clip = [&](int Top, int Bottom) {
        selectClip(dc(), Rect(G.MLd, MulDiv(Top, M.PPIY, G.SPPI), clipRight, MulDiv(Bottom, M.PPIY, G.SPPI)));
    };
    parts.EraseBelow = [&](int Y) { eraseMarginBands(Y); };
    DrawPageParts(V, parts);
}

void ThvPrintJob::eraseMarginBands(int y) {
    if (Mode == ppNoOutput) return;
    TCanvas* c = canvas();
    c->Brush()->SetColor(clWhite);
    c->Brush()->SetStyle(bsSolid);
    c->Pen()->SetColor(clWhite);
    c->Pen()->SetStyle(psSolid);
    const int left = G.MLl + X0, right = G.MLl + X0 + G.Wl + 1;
    // Above the text, and from the last whole line down, so that a line the
    // page break cuts does not show.
    c->Rectangle(left, 0, right, G.MTl - 2);
    c->Rectangle(left, y, right, G.MTl + G.Hl + 1);
    if (htoHas(V.HtOptions(), htPrintBackground) && y - G.MTl < G.Hl) {
        TDeviceContext* d = c->Handle();
        TRegion old;
        const bool hadClip = d->GetClipRgn(old) == 1;
        selectClip(d, Rect(G.MLd, truncInt(double(M.PPIY) * y / G.SPPI) + 2, G.MLd + G.Wd, G.MTd + G.Hd));
        V.PrintBackground(c, G.MLl + X0, G.MTl, G.Wl, G.Hl);
        d->SelectClipRgn(hadClip ? &old : nullptr);
    }
    Saved.Restore(c);
}

void ThvPrintJob::printBands() {
    TCanvas* c = canvas();
    c->Pen()->Assign(&Saved.Pen);
    TDeviceContext* d = c->Handle();
    const uint32_t oldAlign = d->SetTextAlign(TA_LEFT | TA_TOP);
    selectClip(d, G.PageClip);
    if (V.OnPrintHeader()) {
        d->SetWindowOrg(X0, 0);
        V.OnPrintHeader()(&V, c, V.FPage, G.PWl, G.MTl, Stop);
    }
    if (V.OnPrintFooter()) {
        c->Handle()->SetWindowOrg(X0, -(G.MTl + G.Hl));
        V.OnPrintFooter()(&V, c, V.FPage, G.PWl, G.PHl - (G.MTl + G.Hl), Stop);
    }
    if (HeaderViewer) printHtmlBand(*HeaderViewer, true);
    if (FooterViewer) printHtmlBand(*FooterViewer, false);
    d = canvas()->Handle();
    d->SetTextAlign(oldAlign);
    d->SelectClipRgn(nullptr);
}

void ThvPrintJob::printHtmlBand(THtmlViewer& Band, bool Header) {
    try {
        int XL = G.MLl, XR = G.MLl + G.Wl;
        const bool lastPage = Doc->PageBottom > TotalHeight;
        (Header ? V.OnPrintHTMLHeader : V.OnPrintHTMLFooter)(&V, &Band, V.FPage, lastPage, XL, XR, Stop);
        if (XR <= XL || Band.SectionList()->Count() == 0) return;
        std::unique_ptr<ThtDocument> copy = ThtDocument::CreateCopy(*Band.SectionList());
        copy->Printing = true;
        copy->NoOutput = Doc->NoOutput;
        copy->ScaleX = Doc->ScaleX;
        copy->ScaleY = Doc->ScaleY;
        int sw = 0, curs = 0;
        const int H = copy->DoLogic(canvas(), 0, XR - XL, 300, 0, sw, curs);
        TDeviceContext* d = canvas()->Handle();
        int bottom = 0, yOff = 0;
        if (Header) {
            d->SetWindowOrg(0, 0);
            bottom = G.MTl;
            yOff = H - G.MTl;  // the band's last MTl units: it sits on the text
        } else {
            d->SetWindowOrg(0, -(G.MTl + G.Hl));
            bottom = std::min(G.PHl - (G.MTl + G.Hl), H);
        }
        Band.PrintBackground(canvas(), XL, -yOff, XR - XL, H);
        copy->SetYOffset(yOff);
        copy->Draw(canvas(), Rect(XL, 0, XR, bottom), XR - XL, XL, 0, 0, 0);
    } catch (const std::exception&) {
        // A band that cannot be printed leaves the page without it.
    }
}

void ThvPrintJob::followTopMargin() {
    const double now = V.PrintMarginTop();
    if (now == LastMargin) return;
    G = ShiftTopMargin(Reference, now - ReferenceMargin, M);
    LastMargin = now;
}

void ThvPrintJob::finish() {
    // The page number after the loop is one past the last page produced.
    const int last = V.FPage - 1;
    switch (Mode) {
    case ppNoOutput:
    case ppPreview: Prn.EndDoc(); break;
    case ppSinglePrint:
        // No page of the range reached: nothing is to come out.
        if (last < FromPage) Prn.Abort();
        else Prn.EndDoc();
        break;
    case ppMultiPrint:
    case ppAuto: break;
    }
    V.FPage = std::max(0, last);
}

// ---- the viewer's side

namespace {

// Marks the viewer busy while it prints, so that a load or Clear asked from
// a message handled meanwhile is refused and the print copy keeps what it
// draws; the state goes back as it was on every way out.
class TBusyWhilePrinting {
public:
    explicit TBusyWhilePrinting(THtmlViewerState& State) : FState(State), FOld(State) { State |= vsSet(vsProcessing); }
    ~TBusyWhilePrinting() { FState = (FState & ~vsSet(vsProcessing)) | (FOld & vsSet(vsProcessing)); }
    TBusyWhilePrinting(const TBusyWhilePrinting&) = delete;
    TBusyWhilePrinting& operator=(const TBusyWhilePrinting&) = delete;

private:
    THtmlViewerState& FState;
    THtmlViewerState FOld;
};

// OnPageEvent out of the way for a run, back on every way out.
class TPageEventSuspended {
public:
    explicit TPageEventSuspended(TPageEvent& Event) : FEvent(Event), FSaved(std::move(Event)) { Event = nullptr; }
    ~TPageEventSuspended() { FEvent = std::move(FSaved); }
    TPageEventSuspended(const TPageEventSuspended&) = delete;
    TPageEventSuspended& operator=(const TPageEventSuspended&) = delete;

private:
    TPageEvent& FEvent;
    TPageEvent FSaved;
};

}  // namespace

int THtmlViewer::Print(ThtPrinter* Prn, int FromPage, int ToPage, ThtPrintPreviewMode Mode) {
    if (!Prn) throw EIllegalArgument(text("No printer to print or preview to."));
    const bool recorder = dynamic_cast<TMetaFilePrinter*>(Prn) != nullptr;
    if (Mode == ppAuto) Mode = recorder ? ppPreview : ppMultiPrint;
    if (Mode == ppNoOutput && !recorder)
        throw EIllegalArgument(textWith(
            "Getting the total number of pages to print requires a printer based on TMetaFilePrinter but not a %s",
            Prn->ClassName()));
    if (Mode == ppPreview && !recorder)
        throw EIllegalArgument(
            textWith("Previewing a print requires a printer based on TMetaFilePrinter but not a %s", Prn->ClassName()));
    FPage = 0;
    bool stop = false;
    TablePartRec = nullptr;
    if (OnPageEvent) OnPageEvent(this, 0, stop);
    if (IsProcessing() || FSectionList->Count() == 0) return 0;
    TBusyWhilePrinting busy(FViewerState);
    return ThvPrintJob(*this, *Prn, FromPage, ToPage, Mode, stop).Run();
}

void THtmlViewer::Print(int FromPage, int ToPage, ThtPrinter* Prn) {
    bool stop = false;
    if (OnPrinting()) OnPrinting()(this, stop);
    if (stop) return;
    FLastPrint = {FromPage, ToPage, 0, DocumentSource()};
    if (Prn) {
        FLastPrint.Pages = Print(Prn, FromPage, ToPage, ppMultiPrint);
    } else if (vwP) {
        FLastPrint.Pages = Print(vwP.get(), FromPage, ToPage, ppMultiPrint);
    } else {
        TvwPrinter printer;
        FLastPrint.Pages = Print(&printer, FromPage, ToPage, ppSinglePrint);
    }
    if (OnPrinted()) OnPrinted()(this);
}

int THtmlViewer::PrintPreview(ThtPrinter* Prn, bool NoOutput, int FromPage, int ToPage) {
    return Print(Prn, FromPage, ToPage, NoOutput ? ppNoOutput : ppPreview);
}

int THtmlViewer::NumPrinterPages() {
    double ratio = 0;
    return NumPrinterPages(ratio);
}

int THtmlViewer::NumPrinterPages(double& WidthRatio) {
    TMetaFilePrinter printer(nullptr);
    TPageEventSuspended suspended(OnPageEvent);
    PrintPreview(&printer, true, 1, INT_MAX);
    WidthRatio = FWidthRatio;
    return printer.LastAvailablePage();
}

int THtmlViewer::NumPrinterPages(TMetaFilePrinter* MFPrinter, int& Width, int& Height) {
    TPageEventSuspended suspended(OnPageEvent);
    PrintPreview(MFPrinter, false, 1, INT_MAX);
    Width = FPrintedSize.cx;
    Height = FPrintedSize.cy;
    return MFPrinter ? MFPrinter->LastAvailablePage() : 0;
}

void THtmlViewer::OpenPrint() {
    if (!vwP) vwP = std::make_unique<TvwPrinter>();
}

void THtmlViewer::ClosePrint() {
    if (!vwP) return;
    std::unique_ptr<TvwPrinter> printer = std::move(vwP);
    if (printer->Printing()) printer->EndDoc();
}

void THtmlViewer::AbortPrint() {
    if (!vwP) return;
    std::unique_ptr<TvwPrinter> printer = std::move(vwP);
    if (printer->Printing()) printer->Abort();
}

// ---- backgrounds of printed pages

void THtmlViewer::PrintBackground(TCanvas* Canvas, int X, int Y, int W, int H) {
    const TRect r = Rect(X, Y, X + W, Y + H);
    const TColor colour = FPaintPanel->Color();
    ThtImage* image = FSectionList->ShowImages ? FSectionList->BackgroundImage.get() : nullptr;
    if (!image || image->Width() <= 0 || image->Height() <= 0) {
        PaintBackground(Canvas, r, colour, nullptr, 0, 0, 0, 0, 0, 0);
        return;
    }
    int iw = image->Width(), ih = image->Height();
    int xStart = 0, yStart = 0, xLast = 0, yLast = 0;
    PlaceBackgroundImage(FSectionList->BackgroundPRec, r, -X, -Y, W, H, iw, ih, xStart, yStart, xLast, yLast);
    if (TDeviceContext* dc = Canvas->Handle()) dc->FillRect(r, colour);
    // The placement is relative to the page's text area.
    image->PrintTiled(Canvas, xStart + X, yStart + Y, X + W, Y + H, iw, ih, colour);
    Canvas->Changed();
}

std::unique_ptr<THtmlViewer> THtmlViewer::CreateBandViewer() {
    auto band = std::make_unique<THtmlViewer>(nullptr);
    band->SetVisible(false);
    if (TWinControl* parent = Parent()) band->SetParent(parent);
    band->SetDefBackground(DefBackground());
    band->SetDefFontName(DefFontName());
    band->SetDefFontSize(DefFontSize());
    band->SetDefFontColor(DefFontColor());
    band->SetCodePage(CodePage());
    band->SetStyleElements(FStyleElements);
    band->SetMarginHeight(0);
    band->SetQuirksMode(FSectionList->UseQuirksMode() ? qmQuirks : qmStandards);
    band->SetHtOptions(band->HtOptions() | htoSet(htPrintBackground) | htoSet(htPrintTableBackground));
    return band;
}

// ---- off-screen pictures

void THtmlViewer::Draw(TCanvas* Canvas, int YTop, int FormatWidth, int Width, int Height) {
    if (!Canvas) return;
    std::unique_ptr<ThtDocument> copy = CreatePrintCopy();
    int sw = 0, curs = 0;
    const int layoutHeight = copy->DoLogic(Canvas, 0, FormatWidth, Height, 300, sw, curs);
    const TRect r = Rect(0, 0, Width, Height);
    const TColor colour = FPaintPanel->Color();
    ThtImage* image = FSectionList->ShowImages ? FSectionList->BackgroundImage.get() : nullptr;
    if (image && image->Width() > 0 && image->Height() > 0) {
        const PtPositionRec& prec = FSectionList->BackgroundPRec;
        const bool fixed = prec.X.Fixed || prec.Y.Fixed;
        int xStart = 0, yStart = 0, xLast = 0, yLast = 0;
        PlaceBackgroundImage(prec, r, 0, fixed ? 0 : YTop, Width, fixed ? Height : layoutHeight, image->Width(),
                             image->Height(), xStart, yStart, xLast, yLast);
        PaintBackground(Canvas, r, colour, image, xStart, yStart, xLast, yLast, image->Width(), image->Height());
    } else {
        PaintBackground(Canvas, r, colour, nullptr, 0, 0, 0, 0, 0, 0);
    }
    copy->SetYOffset(std::max(0, YTop));
    copy->Draw(Canvas, r, 100000, 0, 0, 0, 0);
}

namespace {
// The limits of an off-screen picture: its height, and a width and area a
// bitmap can hold.
void checkOffscreenSize(int Width, int Height) {
    if (Height > MaxOffscreenHeight) throw EExcessiveSizeError(text("Vertical Height exceeds 4000"));
    if (Width > TBitmap::MaxSide || int64_t(std::max(Width, 0)) * std::max(Height, 0) > TBitmap::MaxPixels) {
        String t = text("Bitmap of %d x %d pixels is too large");
        char buf[256];
        std::snprintf(buf, sizeof buf, t.c_str(), Width, Height);
        throw EExcessiveSizeError(buf);
    }
}
}  // namespace

std::unique_ptr<TBitmap> THtmlViewer::MakeBitmap(int YTop, int FormatWidth, int Width, int Height) {
    if (IsProcessing() || FSectionList->Count() == 0) return nullptr;
    checkOffscreenSize(Width, Height);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(Width, Height);
    Draw(bitmap->Canvas(), YTop, FormatWidth, Width, Height);
    bitmap->ReleaseCanvas();
    return bitmap;
}

std::unique_ptr<TMetafile> THtmlViewer::MakeMetaFile(int YTop, int FormatWidth, int Width, int Height) {
    if (IsProcessing() || FSectionList->Count() == 0) return nullptr;
    checkOffscreenSize(Width, Height);
    auto metafile = std::make_unique<TMetafile>();
    metafile->SetSize(Width, Height);
    {
        TMetafileCanvas canvas(metafile.get(), nullptr);
        Draw(&canvas, YTop, FormatWidth, Width, Height);
    }  // the canvas completes the page as it goes
    return metafile;
}

TSize THtmlViewer::FullDisplaySize(int FormatWidth) {
    if (FormatWidth < 1) return {};
    std::unique_ptr<ThtDocument> copy = CreatePrintCopy();
    int sw = 0, curs = 0;
    const int height = copy->DoLogic(FPaintPanel->Canvas(), 0, FormatWidth, 300, 0, sw, curs);
    return TSize{sw, height};
}

std::vector<std::unique_ptr<TMetafile>> THtmlViewer::MakePagedMetaFiles(int Width, int Height) {
    std::vector<std::unique_ptr<TMetafile>> pages;
    TablePartRec = nullptr;
    if (IsProcessing() || FSectionList->Count() == 0 || Width <= 0 || Height <= 0) return pages;
    TBusyWhilePrinting busy(FViewerState);
    struct RecordReset {
        THtmlViewer& V;
        ~RecordReset() { V.TablePartRec = nullptr; }
    } recordReset{*this};
    std::unique_ptr<ThtDocument> copy = CreatePrintCopy();
    copy->Printing = true;
    copy->NoOutput = false;
    copy->LinkDrawnEvent = OnLinkDrawn;
    const TColor background = copy->BackGround;
    int totalHeight = 0, pageBottom = 0, lastBottom = 0;
    const TRect page = Rect(0, 0, Width, Height);
    for (;;) {
        auto metafile = std::make_unique<TMetafile>();
        metafile->SetSize(Width, Height);
        {
            TMetafileCanvas canvas(metafile.get(), nullptr);
            if (pages.empty()) {
                int sw = 0, curs = 0;
                totalHeight = copy->DoLogic(&canvas, 0, Width, Height, 0, sw, curs);
            }
            copy->SetYOffset(pageBottom);
            TDeviceContext* dc = canvas.Handle();
            dc->FillRect(page, background);
            TPageParts parts{*copy, &canvas, page, Width, 0, 3 * Width, {}, {}};
            parts.Clip = [&](int Top, int Bottom) { selectClip(dc, Rect(0, Top, Width + 1, Bottom)); };
            parts.EraseBelow = [&](int Y) { dc->FillRect(Rect(0, Y, Width, Height + 1), background); };
            DrawPageParts(*this, parts);
        }  // the canvas completes the page
        pages.push_back(std::move(metafile));
        pageBottom = copy->PageBottom;
        ++copy->LinkPage;
        processMessages();
        if (pageBottom >= totalHeight || pageBottom <= lastBottom) break;
        lastBottom = pageBottom;
    }
    return pages;
}
