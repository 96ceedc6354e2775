#include "html/viewer/MetaFilePrinter.h"

#include "html/layout/GpImage.h"
#include "html/text/Lengths.h"
#include "platform/framework/DeviceContext.h"

const TEnumInfo UnitsInfo{"TUnits", {"unInches", "unCentimeters"}};

IMPLEMENT_CLASS(TMetaFilePrinter, ThtPrinter) {
    r.Enum("Units", UnitsInfo, &TMetaFilePrinter::Units, &TMetaFilePrinter::SetUnits);
}

TMetaFilePrinter::TMetaFilePrinter(TComponent* AOwner) : ThtPrinter(AOwner) {}

TMetaFilePrinter::~TMetaFilePrinter() { FreeMetafiles(); }

void TMetaFilePrinter::SetUnits(TUnits Value) {
    FUnits = Value;
    FConvFac = Value == unCentimeters ? 2.54 : 1.0;
}

TMetafile* TMetaFilePrinter::GetMetaFile(int I) const { return FMFList.at(size_t(I)).get(); }

void TMetaFilePrinter::FreeMetafiles() {
    // The canvas goes first: completing its page writes into a metafile.
    FCurCanvas.reset();
    FMFList.clear();
}

TCanvas* TMetaFilePrinter::GetCanvas() {
    FUsedPage = true;
    return FCurCanvas.get();
}

void TMetaFilePrinter::BeginDoc() {
    FPrinting = true;
    FreeMetafiles();
    try {
        ReadPrinterMetrics(*Printer());
        NewPage();
    } catch (...) {
        // No page to draw on: not recording.
        FPrinting = false;
        throw;
    }
}

void TMetaFilePrinter::NewPage() {
    FMFList.push_back(std::make_unique<TMetafile>());
    TMetafile* page = FMFList.back().get();
    // A page the size of the printable area, whatever device measures it.
    page->SetSize(PageWidth(), PageHeight());
    TDeviceContext* reference = GdiPlusEnabled() ? Printer()->Handle() : nullptr;
    auto canvas = std::make_unique<TMetafileCanvas>(page, reference);
    canvas->Brush()->SetColor(clWhite);
    canvas->Pen()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Rectangle(0, 0, PaperWidth(), PaperHeight());
    if (!FCurCanvas) {
        // The first page of a document: text at the screen's size, drawn
        // without filling behind it.
        canvas->Font()->SetName("Arial");
        canvas->Font()->SetHeight(-MulDiv(10, ScreenPixelsPerInch(), 72));
        canvas->Brush()->SetStyle(bsClear);
    }
    FCurCanvas = std::move(canvas);  // the previous page is complete
    FUsedPage = false;
    if (OnPageEvent) {
        bool stop = false;
        OnPageEvent(this, GetPageNumber(), stop);
    }
}

void TMetaFilePrinter::EndDoc() {
    FPrinting = false;
    const bool recording = FCurCanvas != nullptr;
    FCurCanvas.reset();
    // A trailing page nobody drew on is not kept; a second EndDoc has no page
    // of its own to drop and keeps the recorded ones.
    if (recording && !FUsedPage && !FMFList.empty()) FMFList.pop_back();
}

void TMetaFilePrinter::Abort() {
    FPrinting = false;
    FreeMetafiles();
}
