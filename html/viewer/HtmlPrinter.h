// What the viewer prints on: a printer with the page metrics that page
// layout needs and the six operations of a print job. The system printer
// (TvwPrinter) and the page recorder of previews and page counts
// (TMetaFilePrinter) implement it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/framework/Classes.h"
#include "platform/framework/Printers.h"

class TCanvas;

// The names of the printers one can print on. The framework's printer
// always lists its PDF file printer; tests put other queries in place (a
// machine with no printer at all) and restore the previous one, which is
// returned.
using TPrinterListQuery = std::function<std::vector<String>(TPrinter& Prn)>;
TPrinterListQuery SetPrinterListQuery(TPrinterListQuery Query);

class ThtPrinter : public TComponent {
    DECLARE_CLASS(ThtPrinter)
    explicit ThtPrinter(TComponent* AOwner);

    // Device pixels of the printer: the printable area's corner measured
    // from the paper's edges, the paper, the printable area.
    int OffsetX() const { return FOffsetX; }
    int OffsetY() const { return FOffsetY; }
    int PaperHeight() const { return FPaperHeight; }
    int PaperWidth() const { return FPaperWidth; }
    int PageHeight() const { return FPgHeight; }
    int PageWidth() const { return FPgWidth; }
    int PixelsPerInchX() const { return FPPIX; }
    int PixelsPerInchY() const { return FPPIY; }
    // A document is open. TMetaFilePrinter keeps a flag of its own, so this
    // one stays false for it.
    bool Printing() const { return FPrinting; }
    // The document name handed to the print spooler.
    const std::u16string& Title() const { return FTitle; }
    void SetTitle(const std::u16string& Value) { FTitle = Value; }

    TCanvas* Canvas() { return GetCanvas(); }
    int PageNumber() { return GetPageNumber(); }

    virtual TCanvas* GetCanvas() = 0;
    virtual int GetPageNumber() = 0;
    virtual void BeginDoc() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;

    // Another printer's metrics (not its title or document state).
    void Assign(TPersistent* Source) override;

    // EPrinter when the document state is not `Value`.
    void CheckPrinting(bool Value) const;

protected:
    // The resolution, paper, printable area and offsets of the framework's
    // printer; "Printer not available" when none is listed.
    void ReadPrinterMetrics(TPrinter& Prn);
    void SetPrinting(bool Value) { FPrinting = Value; }

private:
    int FOffsetX = 0;
    int FOffsetY = 0;
    int FPaperHeight = 0;
    int FPaperWidth = 0;
    int FPgHeight = 0;
    int FPgWidth = 0;
    int FPPIX = 0;
    int FPPIY = 0;
    bool FPrinting = false;
    std::u16string FTitle;
};

// A printer's message, translated.
String htPrinterText(const char* Source);
