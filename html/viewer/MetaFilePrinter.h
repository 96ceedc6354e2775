// A printer that records its pages instead of printing them, with the page
// metrics of the printer chosen in the framework's printer: the viewer counts
// the pages of a print with it and shows them in a preview.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "html/viewer/HtmlPrinter.h"
#include "platform/framework/Metafile.h"

using TPageEvent = std::function<void(TObject* Sender, int NumPage, bool& StopPrinting)>;

enum TUnits { unInches, unCentimeters };
extern const TEnumInfo UnitsInfo;

class TMetaFilePrinter : public ThtPrinter {
    DECLARE_CLASS(TMetaFilePrinter)
    explicit TMetaFilePrinter(TComponent* AOwner);
    ~TMetaFilePrinter() override;

    // A document is being recorded. The base class's flag stays false: a
    // caller asking through ThtPrinter always starts a new document, which
    // discards the pages recorded before.
    bool Printing() const { return FPrinting; }
    // The recorded page I + 1 (I from 0); std::out_of_range beyond the pages. The page
    // belongs to the printer.
    TMetafile* GetMetaFile(int I) const;
    int LastAvailablePage() { return PageNumber(); }

    // The unit a preview offers, and the factor from inches to it.
    TUnits Units() const { return FUnits; }
    void SetUnits(TUnits Value);
    double ConvFac() const { return FConvFac; }

    // After each new page, with the number of pages recorded; what the
    // handler leaves in StopPrinting is not used here.
    TPageEvent OnPageEvent;

    // The current page's canvas (none outside a document).
    TCanvas* GetCanvas() override;
    // The pages recorded, the current one included.
    int GetPageNumber() override { return int(FMFList.size()); }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;

protected:
    void FreeMetafiles();

private:
    bool FPrinting = false;
    std::vector<std::unique_ptr<TMetafile>> FMFList;
    std::unique_ptr<TMetafileCanvas> FCurCanvas;
    TUnits FUnits = unInches;
    double FConvFac = 1.0;
    bool FUsedPage = false;
};
