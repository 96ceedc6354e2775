#include "html/viewer/VwPrinter.h"

#include <utility>

#include "html/text/HtmlText.h"
#include "html/viewer/PrinterRegistry.h"
#include "platform/framework/Forms.h"

namespace {

// The spooler keeps at most this many characters of a document name.
constexpr size_t MaxDocNameLength = 31;

std::unique_ptr<TPrinter> defaultDevice(const TPrinterDeviceMode& Mode) {
    auto prn = std::make_unique<TPrinter>();
    if (Mode.Pdf) {
        prn->SetPrinterIndex(-1);
    } else {
        const int index = prn->Printers()->IndexOf(Mode.Device);
        // A printer removed since it was chosen.
        if (index < 0 || index == prn->Printers()->Count() - 1) return nullptr;
        prn->SetPrinterIndex(index);
    }
    prn->SetOutputFileName(Mode.OutputFileName);
    prn->SetOrientation(Mode.Orientation);
    return prn;
}

TPrinterDeviceFactory& deviceFactory() {
    static TPrinterDeviceFactory f;
    return f;
}

TPrinterDeviceMode selectedPrinter() {
    TPrinter* prn = Printer();
    TPrinterDeviceMode m;
    m.Pdf = prn->IsPdf();
    const int index = prn->PrinterIndex();
    if (index >= 0 && index < prn->Printers()->Count()) m.Device = prn->Printers()->Get(index);
    m.OutputFileName = prn->OutputFileName();
    m.Orientation = prn->Orientation();
    return m;
}

// The title as far as the spooler keeps it: up to the first NUL, at most 31
// characters, never half a surrogate pair.
std::u16string documentName(const std::u16string& Title) {
    std::u16string name = Title.substr(0, Title.find(u'\0'));
    if (name.size() > MaxDocNameLength) {
        size_t n = MaxDocNameLength;
        if (IsSurrogatePairAt(name, n - 1)) --n;
        name.resize(n);
    }
    return name;
}

intptr_t keyOf(const TPrinter* Device) { return reinterpret_cast<intptr_t>(Device); }

}  // namespace

TPrinterDeviceFactory SetPrinterDeviceFactory(TPrinterDeviceFactory Factory) {
    return std::exchange(deviceFactory(), std::move(Factory));
}

// ---- TPrinterCanvas

IMPLEMENT_CLASS(TPrinterCanvas, TCanvas) {}

TPrinterCanvas::TPrinterCanvas(TvwPrinter* APrinter) : vwPrinter(APrinter) {
    OnChanging = [this](TObject*) { vwPrinter->CheckPrinting(true); };
}

// ---- TvwPrinter

IMPLEMENT_CLASS(TvwPrinter, ThtPrinter) {}

TvwPrinter::TvwPrinter() : ThtPrinter(nullptr) {}

TvwPrinter::~TvwPrinter() {
    try {
        if (Printing()) EndDoc();
    } catch (const std::exception&) {
        // The device goes below, which ends what it still prints.
    }
    if (TPrinter* dc = FDC.get())
        if (vwprinter::TMap* reg = PrinterRegistry(); reg && reg->Get(keyOf(dc)) == this) reg->Remove(keyOf(dc));
    SetPrinting(false);
    ChangeState(psNoHandle);
    FCanvas.reset();
}

void TvwPrinter::attachCanvas() {
    if (FCanvas) FCanvas->SetDevice(FDC ? FDC->Handle() : nullptr);
}

void TvwPrinter::detachCanvas() {
    if (FCanvas) FCanvas->SetDevice(nullptr);
}

void TvwPrinter::ChangeState(TvwPrinterState Value) {
    if (Value == FState) return;
    if (Value == psNoHandle) {
        CheckPrinting(false);
        detachCanvas();
        FDC.reset();
        FState = psNoHandle;
        return;
    }
    // The device context serves as information context too.
    if (Value == psHandleIC && FState == psHandleDC) return;
    DevMode.reset();
    TPrinterDeviceMode mode = selectedPrinter();
    std::unique_ptr<TPrinter> device = deviceFactory() ? deviceFactory()(mode) : defaultDevice(mode);
    // The old device stays in place when no new one can be made.
    if (!device) throw EPrinter(htPrinterText("Printer selected is not valid"));
    DevMode = std::move(mode);
    detachCanvas();
    FDC = std::move(device);
    attachCanvas();
    FState = Value;
}

TDeviceContext* TvwPrinter::Handle() {
    ChangeState(psHandleIC);
    return FDC->Handle();
}

TCanvas* TvwPrinter::GetCanvas() {
    if (!FCanvas) FCanvas = std::make_unique<TPrinterCanvas>(this);
    // The canvas measures and draws on this printer's device.
    if (FState == psNoHandle) ChangeState(psHandleIC);
    else if (!FCanvas->Device()) attachCanvas();
    return FCanvas.get();
}

void TvwPrinter::BeginDoc() {
    CheckPrinting(false);
    ChangeState(psHandleDC);
    ReadPrinterMetrics(*Printer());
    if (FCanvas) FCanvas->Refresh();
    FAborted = false;
    FPageNumber = 1;
    FDC->SetTitle(htmltext::toUtf8(documentName(Title())));
    vwprinter::TMap* reg = PrinterRegistry();
    if (reg) reg->Put(keyOf(FDC.get()), this);
    try {
        FDC->BeginDoc();
    } catch (...) {
        // A document the device refused is not reported as printing.
        if (reg) reg->Remove(keyOf(FDC.get()));
        FPageNumber = 0;
        DevMode.reset();
        throw;
    }
    SetPrinting(true);
    attachCanvas();
}

bool TvwPrinter::outputPage() {
    const bool goOn = PrinterAbortProc(keyOf(FDC.get()), 0);
    if (!Printing()) return false;  // aborted meanwhile: that ended the document
    if (!goOn && !FAborted) {
        // Told to stop without Abort: the job is cancelled, the document stays
        // open until EndDoc.
        detachCanvas();
        if (FDC->Printing()) FDC->Abort();
        FAborted = true;
        attachCanvas();
    }
    return goOn && !FAborted;
}

void TvwPrinter::NewPage() {
    CheckPrinting(true);
    if (!FAborted && outputPage()) FDC->NewPage();
    if (!Printing()) return;
    ++FPageNumber;
    if (FCanvas) FCanvas->Refresh();
}

void TvwPrinter::EndDoc() {
    CheckPrinting(true);
    // An aborted device has no page to end.
    if (!FAborted) {
        outputPage();
        if (!Printing()) return;
    }
    if (vwprinter::TMap* reg = PrinterRegistry()) reg->Remove(keyOf(FDC.get()));
    const bool aborted = FAborted;
    SetPrinting(false);
    FAborted = false;
    FPageNumber = 0;
    DevMode.reset();
    detachCanvas();
    if (!aborted && FDC->Printing()) {
        try {
            FDC->EndDoc();
        } catch (...) {
            attachCanvas();
            throw;
        }
    }
    attachCanvas();
}

void TvwPrinter::Abort() {
    CheckPrinting(true);
    detachCanvas();
    if (FDC->Printing()) FDC->Abort();
    FAborted = true;
    EndDoc();
}

// ---- the abort procedure

bool PrinterAbortProc(intptr_t DC, int Error) {
    (void)Error;
    static bool breathing = false;
    if (!breathing && Application) {
        breathing = true;
        try {
            Application->ProcessMessages();
        } catch (...) {
            breathing = false;
            throw;
        }
        breathing = false;
    }
    vwprinter::TMap* reg = PrinterRegistry();
    if (!reg) return false;
    auto* prn = static_cast<TvwPrinter*>(reg->Get(DC));
    return prn && !prn->Aborted();
}
