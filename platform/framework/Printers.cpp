#include "platform/framework/Printers.h"

#include <QDir>
#include <QPainter>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

#include "platform/framework/QtBridge.h"

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
        } catch (const std::exception&) {
        }
    }
    delete FQPrinter;
    delete FCanvas;
    delete FPrinters;
}

TStrings* TPrinter::Printers() const { return FPrinters; }

void TPrinter::SetPrinterIndex(int i) {
    if (FPrinting) throw EPrinter("Printing in progress");
    FIndex = i >= 0 && i < FPrinters->Count() ? i : FPrinters->Count() - 1;
    delete FQPrinter;
    FQPrinter = nullptr;
}

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
    FPrinting = true;
    FPage = 1;
    FCanvas->BeginPaint(FPainter);
}

void TPrinter::closeCanvas() {
    FCanvas->EndPaint();
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
    FCanvas->BeginPaint(FPainter);
}

int TPrinter::PageWidth() const {
    if (FDevice && !dynamic_cast<QPrinter*>(FDevice)) return FDevice->width();
    return qprinter()->pageLayout().paintRectPixels(qprinter()->resolution()).width();
}
int TPrinter::PageHeight() const {
    if (FDevice && !dynamic_cast<QPrinter*>(FDevice)) return FDevice->height();
    return qprinter()->pageLayout().paintRectPixels(qprinter()->resolution()).height();
}
int TPrinter::PhysicalWidth() const {
    if (FDevice && !dynamic_cast<QPrinter*>(FDevice)) return FDevice->width();
    return qprinter()->pageLayout().fullRectPixels(qprinter()->resolution()).width();
}
int TPrinter::PhysicalHeight() const {
    if (FDevice && !dynamic_cast<QPrinter*>(FDevice)) return FDevice->height();
    return qprinter()->pageLayout().fullRectPixels(qprinter()->resolution()).height();
}
int TPrinter::PixelsPerInchX() const {
    if (FDevice && !dynamic_cast<QPrinter*>(FDevice)) return FDevice->logicalDpiX();
    int r = qprinter()->resolution();
    return r > 0 ? r : fallbackDpi;
}
int TPrinter::PixelsPerInchY() const {
    if (FDevice && !dynamic_cast<QPrinter*>(FDevice)) return FDevice->logicalDpiY();
    int r = qprinter()->resolution();
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
