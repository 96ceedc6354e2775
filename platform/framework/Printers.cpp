#include "platform/framework/Printers.h"

#include <QDir>
#include <QPainter>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

#include "platform/framework/QtBridge.h"
#include "platform/framework/QtDeviceContext.h"

namespace {
constexpr int fallbackDpi = 300;

String safeFileName(const String& title) {
    String s;
    for (char c : title) s += (c == '/' || c == '\\' || c == ':' || (unsigned char)c < ' ') ? '_' : c;
    return s.empty() ? String("document") : s;
}
}  // namespace

TPrinter::TPrinter() : FPrinters(new TStringList), FCanvas(new TCanvas) {
    const QStringList names = QPrinterInfo::availablePrinterNames();
    for (const QString& n : names) FPrinters->Add(fromQ(n));
    FPrinters->Add("PDF");
    QString def = QPrinterInfo::defaultPrinterName();
    FIndex = def.isEmpty() ? FPrinters->Count() - 1 : std::max(0, int(names.indexOf(def)));
}

TPrinter::~TPrinter() {
    if (FPrinting) {
        try {
            Abort();
        } catch (const std::exception&) {}
    }
    delete FCanvas;
    FInfo.reset();
    delete FQPrinter;
    delete FPrinters;
}

TStrings* TPrinter::Printers() const { return FPrinters; }

void TPrinter::SetPrinterIndex(int i) {
    if (FPrinting) throw EPrinter("Printing in progress");
    FIndex = i >= 0 && i < FPrinters->Count() ? i : FPrinters->Count() - 1;
    dropInfo();
    delete FQPrinter;
    FQPrinter = nullptr;
}

void TPrinter::SetOrientation(TPrinterOrientation v) {
    if (v == FOrientation) return;
    FOrientation = v;
    if (!FPrinting) dropInfo();  // the page turns round: other extents
}

void TPrinter::dropInfo() {
    if (FCanvas->Device() == FInfo.get()) FCanvas->SetDevice(nullptr);
    FInfo.reset();
}

TDeviceContext* TPrinter::info() const {
    if (!FInfo) FInfo = CreateInfoContext();
    if (!FPrinting && FCanvas->Device() != FInfo.get()) FCanvas->SetDevice(FInfo.get());
    return FInfo.get();
}

TCanvas* TPrinter::Canvas() const {
    if (!FPrinting) info();
    return FCanvas;
}

TDeviceContext* TPrinter::Handle() const { return FPrinting && FJob ? FJob.get() : info(); }

TDeviceCaps TPrinter::PrinterCaps() const {
    QPrinter* p = qprinter();
    int dpi = p->resolution();
    if (dpi <= 0) dpi = fallbackDpi;
    const QPageLayout layout = p->pageLayout();
    const QRect paint = layout.paintRectPixels(dpi), full = layout.fullRectPixels(dpi);
    TDeviceCaps c;
    c.LogPixelsX = c.LogPixelsY = dpi;
    c.BitsPixel = 24;
    c.NumColors = -1;
    c.HorzRes = paint.width();
    c.VertRes = paint.height();
    c.PhysicalWidth = full.width();
    c.PhysicalHeight = full.height();
    c.PhysicalOffsetX = paint.left() - full.left();
    c.PhysicalOffsetY = paint.top() - full.top();
    return c;
}

std::unique_ptr<TDeviceContext> TPrinter::CreateInfoContext() const { return NewInfoDeviceContext(PrinterCaps()); }

std::unique_ptr<TDeviceContext> TPrinter::CreateJobContext(QPainter* painter) { return NewQtDeviceContext(painter); }

bool TPrinter::IsPdf() const { return FIndex == FPrinters->Count() - 1; }

QPrinter* TPrinter::qprinter() const {
    if (!FQPrinter) {
        FQPrinter = new QPrinter(QPrinter::HighResolution);
        if (!IsPdf()) FQPrinter->setPrinterName(toQ(FPrinters->Get(FIndex)));
        else FQPrinter->setOutputFormat(QPrinter::PdfFormat);
    }
    FQPrinter->setPageOrientation(FOrientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    return FQPrinter;
}

QPaintDevice* TPrinter::StartDevice() {
    QPrinter* p = qprinter();
    p->setDocName(toQ(FTitle));
    if (IsPdf()) {
        String out = FOutput.empty() ? fromQ(QDir::homePath()) + "/" + safeFileName(FTitle) + ".pdf" : FOutput;
        p->setOutputFileName(toQ(out));
    }
    return p;
}

bool TPrinter::NextDevicePage(QPainter&) { return qprinter()->newPage(); }

void TPrinter::FinishDevice(bool aborted) {
    if (aborted && FQPrinter) FQPrinter->abort();
}

void TPrinter::BeginDoc() {
    if (FPrinting) throw EPrinter("Printing in progress");
    FAborted = false;
    FDevice = StartDevice();
    auto painter = std::make_unique<QPainter>();
    if (!FDevice || !painter->begin(FDevice)) {
        FDevice = nullptr;
        throw EPrinter("The printer cannot start the document");
    }
    FPainter = painter.release();
    FJob = CreateJobContext(FPainter);
    FPrinting = true;
    FPage = 1;
    FCanvas->BeginPaint(FPainter, FJob.get());
}

void TPrinter::closeCanvas() {
    FCanvas->EndPaint();
    FJob.reset();  // it draws through the painter
    if (FPainter) {
        if (FPainter->isActive()) FPainter->end();
        delete FPainter;
        FPainter = nullptr;
    }
}

void TPrinter::EndDoc() {
    if (!FPrinting) throw EPrinter("Printer is not printing");
    closeCanvas();
    FinishDevice(false);
    FDevice = nullptr;
    FPrinting = false;
    FPage = 0;
}

void TPrinter::Abort() {
    if (!FPrinting) throw EPrinter("Printer is not printing");
    FinishDevice(true);
    closeCanvas();
    FDevice = nullptr;
    FPrinting = false;
    FAborted = true;
    FPage = 0;
}

void TPrinter::NewPage() {
    if (!FPrinting) throw EPrinter("Printer is not printing");
    if (!NextDevicePage(*FPainter)) throw EPrinter("The printer cannot start a new page");
    ++FPage;
    // The same context goes on: only the canvas selects its objects again.
    FCanvas->Refresh();
}

int TPrinter::PageWidth() const { return Handle()->Caps().HorzRes; }
int TPrinter::PageHeight() const { return Handle()->Caps().VertRes; }
int TPrinter::PhysicalWidth() const { return Handle()->Caps().PhysicalWidth; }
int TPrinter::PhysicalHeight() const { return Handle()->Caps().PhysicalHeight; }
int TPrinter::PhysicalOffsetX() const { return Handle()->Caps().PhysicalOffsetX; }
int TPrinter::PhysicalOffsetY() const { return Handle()->Caps().PhysicalOffsetY; }
int TPrinter::PixelsPerInchX() const {
    const int r = Handle()->Caps().LogPixelsX;
    return r > 0 ? r : fallbackDpi;
}
int TPrinter::PixelsPerInchY() const {
    const int r = Handle()->Caps().LogPixelsY;
    return r > 0 ? r : fallbackDpi;
}
int TPrinter::PrintableWidthMM() const { return int(PageWidth() * 25.4 / PixelsPerInchX()); }
int TPrinter::PrintableHeightMM() const { return int(PageHeight() * 25.4 / PixelsPerInchY()); }

namespace {
TPrinter*& globalPrinter() {
    static TPrinter* p = nullptr;
    return p;
}
}  // namespace

TPrinter* Printer() {
    if (!globalPrinter()) globalPrinter() = new TPrinter;
    return globalPrinter();
}

TPrinter* SetPrinter(TPrinter* p) {
    TPrinter* old = globalPrinter();
    globalPrinter() = p;
    return old;
}

IMPLEMENT_CLASS(TPrintDialog, TCommonDialog) {}

bool TPrintDialog::Execute() {
    int result = 0;
    if (RunModalHook(this, result)) return result == mrOk;
    QPrinter* qp = new QPrinter(QPrinter::HighResolution);
    std::unique_ptr<QPrinter> keep(qp);
    QPrintDialog dlg(qp);
    if (Options & poSet(poPageNums)) {
        dlg.setOption(QAbstractPrintDialog::PrintPageRange, true);
        if (MaxPage >= MinPage && MaxPage > 0) dlg.setMinMax(MinPage, MaxPage);
        if (PrintRange == prPageNums && FromPage > 0) {
            dlg.setFromTo(FromPage, ToPage);
            dlg.setPrintRange(QAbstractPrintDialog::PageRange);
        }
    } else {
        dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
    }
    fire(OnShow, this);
    bool ok = dlg.exec() == QDialog::Accepted;
    fire(OnClose, this);
    if (!ok) return false;
    int idx = Printer()->Printers()->IndexOf(fromQ(qp->printerName()));
    Printer()->SetPrinterIndex(qp->outputFormat() == QPrinter::PdfFormat ? -1 : idx);
    if (qp->outputFormat() == QPrinter::PdfFormat) Printer()->SetOutputFileName(fromQ(qp->outputFileName()));
    Copies = qp->copyCount();
    if (dlg.printRange() == QAbstractPrintDialog::PageRange && qp->fromPage() > 0) {
        PrintRange = prPageNums;
        FromPage = qp->fromPage();
        ToPage = qp->toPage();
    } else {
        PrintRange = prAllPages;
    }
    return true;
}
