#include "html/viewer/HtmlPrinter.h"

#include <utility>

#include "platform/framework/DeviceContext.h"
#include "platform/runtime/Translation.h"

namespace {
TPrinterListQuery& listQuery() {
    static TPrinterListQuery q;
    return q;
}

std::vector<String> installedPrinters(TPrinter& Prn) {
    if (listQuery()) return listQuery()(Prn);
    return Prn.Printers()->ToVector();
}
}  // namespace

TPrinterListQuery SetPrinterListQuery(TPrinterListQuery Query) { return std::exchange(listQuery(), std::move(Query)); }

String htPrinterText(const char* Source) { return zrnTranslateString(Source).str(); }

IMPLEMENT_CLASS(ThtPrinter, TComponent) {}

ThtPrinter::ThtPrinter(TComponent* AOwner) : TComponent(AOwner) {}

void ThtPrinter::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<ThtPrinter*>(Source);
    if (!src) {
        TComponent::Assign(Source);
        return;
    }
    FPPIX = src->FPPIX;
    FPPIY = src->FPPIY;
    FPaperWidth = src->FPaperWidth;
    FPaperHeight = src->FPaperHeight;
    FOffsetX = src->FOffsetX;
    FOffsetY = src->FOffsetY;
    FPgHeight = src->FPgHeight;
    FPgWidth = src->FPgWidth;
}

void ThtPrinter::ReadPrinterMetrics(TPrinter& Prn) {
    if (installedPrinters(Prn).empty()) throw Exception(htPrinterText("Printer not available"));
    TDeviceContext* dc = Prn.Handle();
    // The framework's resolution: the device's own, or its fallback for a
    // device that reports none, so that no page layout divides by zero.
    FPPIX = Prn.PixelsPerInchX();
    FPPIY = Prn.PixelsPerInchY();
    FPaperWidth = dc->GetDeviceCaps(PHYSICALWIDTH);
    FPaperHeight = dc->GetDeviceCaps(PHYSICALHEIGHT);
    FOffsetX = dc->GetDeviceCaps(PHYSICALOFFSETX);
    FOffsetY = dc->GetDeviceCaps(PHYSICALOFFSETY);
    FPgHeight = Prn.PageHeight();
    FPgWidth = Prn.PageWidth();
}

void ThtPrinter::CheckPrinting(bool Value) const {
    if (FPrinting == Value) return;
    throw EPrinter(htPrinterText(Value ? "Printer is not currently printing" : "Printing in progress"));
}
