#include "components/CTablePrinter.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int fallbackDpi = 300;
}

// ---- cells

TCPrintedCell::TCPrintedCell(const String& text, int alignment, float widthShare, TColor background, const TFont* font)
    : Text(text), Alignment(alignment), BgColor(background), WidthShare(widthShare), FFont(new TFont) {
    SetFont(font ? font : Printer()->Canvas()->Font());
}

TCPrintedCell::~TCPrintedCell() { delete FFont; }

void TCPrintedCell::SetFont(const TFont* font) {
    if (font) FFont->Assign(const_cast<TFont*>(font));
}

TCPrintedCell* TCCellsList::AddCell(const String& text, int alignment, float widthShare, TColor background,
                                    const TFont* font) {
    FCells.push_back(new TCPrintedCell(text, alignment, widthShare, background, font));
    return FCells.back();
}

void TCCellsList::FreeAll() {
    for (auto* c : FCells) delete c;
    FCells.clear();
}

// ---- TCTablePrinter

IMPLEMENT_CLASS(TCTablePrinter, TComponent) {
    r.Integer("TopMargin", &TCTablePrinter::TopMargin, &TCTablePrinter::SetTopMargin);
    r.Integer("BottomMargin", &TCTablePrinter::BottomMargin, &TCTablePrinter::SetBottomMargin);
    r.Integer("LeftMargin", &TCTablePrinter::LeftMargin, &TCTablePrinter::SetLeftMargin);
    r.Integer("RightMargin", &TCTablePrinter::RightMargin, &TCTablePrinter::SetRightMargin);
    r.Str("Title", &TCTablePrinter::Title, &TCTablePrinter::SetTitle);
    r.Boolean("PrintHeader", &TCTablePrinter::PrintHeader, &TCTablePrinter::SetPrintHeader);
    r.Boolean("PrintFooter", &TCTablePrinter::PrintFooter, &TCTablePrinter::SetPrintFooter);
    r.Boolean("RepeatTableHeader", &TCTablePrinter::RepeatTableHeader, &TCTablePrinter::SetRepeatTableHeader);
    r.Integer("FrameColor", &TCTablePrinter::FrameColor, &TCTablePrinter::SetFrameColor);
    r.Object<TFont>("PrintFont", &TCTablePrinter::PrintFont, &TCTablePrinter::SetPrintFont);
    r.Boolean("PrintTableHeader", &TCTablePrinter::PrintTableHeader, &TCTablePrinter::SetPrintTableHeader);
    r.Boolean("PrintTitle", &TCTablePrinter::PrintTitle, &TCTablePrinter::SetPrintTitle);
    r.Boolean("Available", &TCTablePrinter::GetAvailable, nullptr);
    r.Integer("HorSpace", &TCTablePrinter::HorSpace, &TCTablePrinter::SetHorSpace);
    r.Integer("VertSpace", &TCTablePrinter::VertSpace, &TCTablePrinter::SetVertSpace);
}

TCTablePrinter::TCTablePrinter(TComponent* AOwner) : TComponent(AOwner), FPrintFont(new TFont) {}

TCTablePrinter::~TCTablePrinter() { delete FPrintFont; }

void TCTablePrinter::SetPrintTableHeader(bool v) {
    FPrintTableHeader = v;
    if (!v) FRepeatTableHeader = false;
}

bool TCTablePrinter::GetIsPrinting() const { return Printer()->Printing(); }
bool TCTablePrinter::GetAvailable() const { return Printer()->Printers()->Count() > 0; }

double TCTablePrinter::PhisicalWidth() const {
    TPrinter* p = Printer();
    int dpi = p->PixelsPerInchX();
    return p->PhysicalWidth() * 25.4 / (dpi > 0 ? dpi : fallbackDpi);
}

double TCTablePrinter::PhisicalHeight() const {
    TPrinter* p = Printer();
    int dpi = p->PixelsPerInchY();
    return p->PhysicalHeight() * 25.4 / (dpi > 0 ? dpi : fallbackDpi);
}

int TCTablePrinter::MeasureUnitToPixelsHorz(float mm) const {
    int dpi = fallbackDpi;
    try {
        dpi = Printer()->PixelsPerInchX();
    } catch (const std::exception&) {}
    if (dpi <= 0) dpi = fallbackDpi;
    return int(mm * (dpi / 25.4));
}

int TCTablePrinter::MeasureUnitToPixelsVert(float mm) const {
    int dpi = fallbackDpi;
    try {
        dpi = Printer()->PixelsPerInchY();
    } catch (const std::exception&) {}
    if (dpi <= 0) dpi = fallbackDpi;
    return int(mm * (dpi / 25.4));
}

TCPrintedCell* TCTablePrinter::AddCell(const String& text, int alignment, float widthShare, TColor background) {
    return FCells.AddCell(text, alignment, widthShare, background, FPrintFont);
}

bool TCTablePrinter::GetRow(TCCellTypes type, int row) {
    FCells.FreeAll();
    if (!OnGetRow) return false;
    bool cancel = false;
    OnGetRow(this, type, row, cancel);
    return !cancel;
}

void TCTablePrinter::CalcPageRect() {
    TPrinter* p = Printer();
    double hOff = (PhisicalWidth() - p->PrintableWidthMM()) / 2;
    double vOff = (PhisicalHeight() - p->PrintableHeightMM()) / 2;
    int left = int(FLeftMargin - hOff), right = int(FRightMargin - hOff);
    int top = int(FTopMargin - vOff), bottom = int(FBottomMargin - vOff);
    FLeft = MeasureUnitToPixelsHorz(float(left));
    FRight = p->PageWidth() - MeasureUnitToPixelsHorz(float(right));
    FTop = MeasureUnitToPixelsVert(float(top));
    FBottom = p->PageHeight() - MeasureUnitToPixelsVert(float(bottom));
    FHSpace = MeasureUnitToPixelsHorz(float(FHorSpace));
    FVSpace = MeasureUnitToPixelsVert(float(FVertSpace));
    FX = FLeft;
    FY = FTop;
    FRowWidth = FRight - FLeft;
}

int TCTablePrinter::CalcCellHeight(TCPrintedCell* cell) {
    TCanvas* c = Printer()->Canvas();
    c->Font()->Assign(cell->Font());
    // Measured at the width the text is drawn in (the cell less its spacing).
    TRect r = Rect(0, 0, std::max(cell->PixelWidth - 2 * FHSpace, 1), 0);
    return c->DrawText(cell->Text, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
}

int TCTablePrinter::CalcRowHeight() {
    int n = FCells.Count();
    if (n == 0) return 0;
    // Equal shares only when no cell has one; a cell without a share among
    // others is a column shut to nothing and takes no room.
    int shared = 0;
    for (int i = 0; i < n; ++i)
        if (FCells.At(i)->WidthShare > 0) ++shared;
    int h = 0, used = 0;
    for (int i = 0; i < n; ++i) {
        TCPrintedCell* cell = FCells.At(i);
        if (shared == 0) cell->PixelWidth = FRowWidth / n;
        else if (cell->WidthShare > 0)
            cell->PixelWidth =
                int(std::trunc(cell->WidthShare * float(FRowWidth - shared * 2 * FHSpace))) + 2 * FHSpace;
        else cell->PixelWidth = 0;
        // Shares that add up to more than the whole never push past the margin.
        cell->PixelWidth = std::clamp(cell->PixelWidth, 0, std::max(FRowWidth - used, 0));
        used += cell->PixelWidth;
        if (cell->PixelWidth > 0) h = std::max(h, CalcCellHeight(cell));
    }
    return h + 2 * FVSpace;
}

void TCTablePrinter::PrintCell(TCPrintedCell* cell, int rowHeight) {
    TCanvas* c = Printer()->Canvas();
    TRect box = Rect(FX, FRowTop, FX + cell->PixelWidth, FRowTop + rowHeight);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(cell->BgColor);
    c->Pen()->SetStyle(TPenStyle(cell->PenStyle));
    c->Pen()->SetWidth(cell->PenWidth);
    c->Pen()->SetColor(cell->FrameColor != clNone ? cell->FrameColor : cell->BgColor);
    c->Rectangle(box.Left, box.Top, box.Right + 1, box.Bottom + 1);
    c->Font()->Assign(cell->Font());
    TRect text = Rect(box.Left + FHSpace, box.Top + FVSpace, box.Right - FHSpace, box.Bottom - FVSpace);
    unsigned align = cell->Alignment == 1 ? DT_RIGHT : cell->Alignment == 2 ? DT_CENTER : DT_LEFT;
    c->DrawText(cell->Text, text, align | DT_WORDBREAK | DT_NOPREFIX);
}

bool TCTablePrinter::PrintRow(TCCellTypes type) {
    if (FCells.Count() == 0) return true;
    int h = CalcRowHeight();
    bool clip = false;
    switch (type) {
    case ctPageHeader: FRowTop = FTop - h; break;
    case ctPageFooter: FRowTop = FBottom; break;
    default:
        FRowTop = FY;
        FY += h;
        if (FY > FBottom) {
            // A data row taller than any page's table area goes clipped on a
            // page of its own rather than asking for new pages forever.
            bool fresh = type == ctDataRow && FDataRowsOnPage == 0;
            if (!fresh || (FPageNumber == 1 && h <= FBottom - FTop)) return false;
            clip = true;
        }
        if (type == ctDataRow) ++FDataRowsOnPage;
        break;
    }
    // A clipped row ends at the table area's bottom edge.
    if (clip) h = std::max(FBottom - FRowTop, 0);
    FX = FLeft;
    for (int i = 0; i < FCells.Count(); ++i) {
        TCPrintedCell* cell = FCells.At(i);
        if (cell->PixelWidth <= 0) continue;  // a shut column prints nothing
        if ((type == ctTableHeader || type == ctDataRow) && cell->FrameColor == clNone) cell->FrameColor = FFrameColor;
        PrintCell(cell, h);
        FX += cell->PixelWidth;
    }
    return true;
}

bool TCTablePrinter::PrintPageTitles() {
    auto fixed = [this](TCCellTypes t) { return GetRow(t, -1) && PrintRow(t); };
    if (FPrintHeader && !fixed(ctPageHeader)) return false;
    if (FPrintFooter && !fixed(ctPageFooter)) return false;
    if (FPageNumber == 1) {
        if (FPrintTitle && !fixed(ctTitle)) return false;
        if (FPrintTableHeader && !fixed(ctTableHeader)) return false;
    } else if (FRepeatTableHeader && !fixed(ctTableHeader)) {
        return false;
    }
    return true;
}

bool TCTablePrinter::NewPage() {
    ++FPageNumber;
    FDataRowsOnPage = 0;
    fire(OnNewPage, this);
    CalcPageRect();
    if (FPageNumber > 1) Printer()->NewPage();
    return PrintPageTitles();
}

void TCTablePrinter::BeginDoc() {
    fire(OnBeginDoc, this);
    Printer()->Canvas()->Font()->Assign(FPrintFont);
    Printer()->BeginDoc();
}

void TCTablePrinter::EndDoc() {
    fire(OnEndDoc, this);
    Printer()->EndDoc();
}

void TCTablePrinter::Abort() {
    fire(OnAbortDoc, this);
    Printer()->Abort();
}

void TCTablePrinter::Print() {
    if (!GetAvailable() || GetIsPrinting()) return;
    FPageNumber = 0;
    int row = 0;
    Printer()->SetTitle(FTitle);
    BeginDoc();
    try {
        while (NewPage()) {
            bool pageFull = false;
            while (!pageFull) {
                if (!GetRow(ctDataRow, row)) {
                    EndDoc();
                    return;
                }
                if (!PrintRow(ctDataRow)) pageFull = true;  // the same row again on a new page
                else ++row;
            }
        }
    } catch (...) {
        if (GetIsPrinting()) Abort();
        throw;
    }
    EndDoc();
}

// ---- settings

IMPLEMENT_CLASS(TTblPrintSettings, TPersistent) {
    r.Integer(
        "TopMargin", [](TTblPrintSettings* s) { return s->Printer()->TopMargin(); },
        [](TTblPrintSettings* s, int64_t v) { s->Printer()->SetTopMargin(int(v)); });
    r.Integer(
        "BottomMargin", [](TTblPrintSettings* s) { return s->Printer()->BottomMargin(); },
        [](TTblPrintSettings* s, int64_t v) { s->Printer()->SetBottomMargin(int(v)); });
    r.Integer(
        "LeftMargin", [](TTblPrintSettings* s) { return s->Printer()->LeftMargin(); },
        [](TTblPrintSettings* s, int64_t v) { s->Printer()->SetLeftMargin(int(v)); });
    r.Integer(
        "RightMargin", [](TTblPrintSettings* s) { return s->Printer()->RightMargin(); },
        [](TTblPrintSettings* s, int64_t v) { s->Printer()->SetRightMargin(int(v)); });
    r.Integer(
        "HorSpace", [](TTblPrintSettings* s) { return s->Printer()->HorSpace(); },
        [](TTblPrintSettings* s, int64_t v) { s->Printer()->SetHorSpace(int(v)); });
    r.Integer(
        "VertSpace", [](TTblPrintSettings* s) { return s->Printer()->VertSpace(); },
        [](TTblPrintSettings* s, int64_t v) { s->Printer()->SetVertSpace(int(v)); });
    r.Str("JobTitle", &TTblPrintSettings::JobTitle, &TTblPrintSettings::SetJobTitle);
    r.Boolean(
        "PrintHeader", [](TTblPrintSettings* s) { return s->Printer()->PrintHeader(); },
        [](TTblPrintSettings* s, int64_t v) { s->Printer()->SetPrintHeader(v != 0); });
    r.Boolean(
        "PrintFooter", [](TTblPrintSettings* s) { return s->Printer()->PrintFooter(); },
        [](TTblPrintSettings* s, int64_t v) { s->Printer()->SetPrintFooter(v != 0); });
    r.Boolean(
        "RepeatTableHeader", [](TTblPrintSettings* s) { return s->Printer()->RepeatTableHeader(); },
        [](TTblPrintSettings* s, int64_t v) { s->Printer()->SetRepeatTableHeader(v != 0); });
    r.Boolean(
        "PrintTitle", [](TTblPrintSettings* s) { return s->Printer()->PrintTitle(); },
        [](TTblPrintSettings* s, int64_t v) { s->Printer()->SetPrintTitle(v != 0); });
    r.Boolean(
        "PrintTableHeader", [](TTblPrintSettings* s) { return s->Printer()->PrintTableHeader(); },
        [](TTblPrintSettings* s, int64_t v) { s->Printer()->SetPrintTableHeader(v != 0); });
}

IMPLEMENT_CLASS(TTblExportsSettings, TPersistent) {
    r.Object<TFont>("BodyFont", &TTblExportsSettings::BodyFont, &TTblExportsSettings::SetBodyFont);
    r.Integer("BorderColor", &TTblExportsSettings::BorderColor, &TTblExportsSettings::SetBorderColor);
    r.Integer("HeaderColor", &TTblExportsSettings::HeaderColor, &TTblExportsSettings::SetHeaderColor);
    r.Integer("BodyColor", &TTblExportsSettings::BodyColor, &TTblExportsSettings::SetBodyColor);
    r.Object<TFont>("HeaderFont", &TTblExportsSettings::HeaderFont, &TTblExportsSettings::SetHeaderFont);
    r.Object<TFont>("TitleFont", &TTblExportsSettings::TitleFont, &TTblExportsSettings::SetTitleFont);
    r.Str("ExportTitle", &TTblExportsSettings::ExportTitle, &TTblExportsSettings::SetExportTitle);
}

TTblExportsSettings::TTblExportsSettings(TCTablePrinter* printer)
    : FPrinter(printer), FBodyFont(new TFont), FHeaderFont(new TFont), FTitleFont(new TFont) {
    FBodyFont->SetColor(clBlack);
    FBodyFont->SetCharset(204);
    FHeaderFont->SetColor(clWhite);
    FHeaderFont->SetStyle(fsSet(fsBold));
    FHeaderFont->SetCharset(204);
    FTitleFont->SetColor(clBlue);
    FTitleFont->SetStyle(fsSet(fsBold));
    FTitleFont->SetName("Times New Roman");
    FTitleFont->SetCharset(204);
    FTitleFont->SetSize(16);
    if (FPrinter) {
        FPrinter->SetPrintFont(FBodyFont);
        FPrinter->SetFrameColor(FBorderColor);
    }
}

TTblExportsSettings::~TTblExportsSettings() {
    delete FBodyFont;
    delete FHeaderFont;
    delete FTitleFont;
}

void TTblExportsSettings::SetBodyFont(TFont* f) {
    FBodyFont->Assign(f);
    if (FPrinter) FPrinter->SetPrintFont(FBodyFont);
}

void TTblExportsSettings::SetBorderColor(TColor c) {
    FBorderColor = c;
    if (FPrinter) FPrinter->SetFrameColor(c);
}

void TTblExportsSettings::SetExportTitle(const String& v) {
    FExportTitle = v;
    if (FPrinter) FPrinter->SetPrintTitle(!v.empty());
}
