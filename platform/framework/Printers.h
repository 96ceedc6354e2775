// The printer: pages painted through a canvas, on the chosen system printer
// or, when none is chosen (and in tests), into a PDF file. The print dialog.
#pragma once

#include <memory>

#include "platform/framework/DeviceContext.h"
#include "platform/framework/Dialogs.h"

class QPaintDevice;
class QPainter;

enum TPrinterOrientation { poPortrait, poLandscape };

class TPrinter : public TObject {
public:
    TPrinter();
    ~TPrinter() override;
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Installed printers, then the PDF file printer (always present).
    TStrings* Printers() const;
    int PrinterIndex() const { return FIndex; }
    void SetPrinterIndex(int i);  // out of range: the PDF file printer
    bool IsPdf() const;
    // The PDF file written when printing to a file ("<Title>.pdf" in the home folder when empty).
    String OutputFileName() const { return FOutput; }
    void SetOutputFileName(const String& v) { FOutput = v; }
    String Title() const { return FTitle; }
    void SetTitle(const String& v) { FTitle = v; }
    TPrinterOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrinterOrientation v);

    // Raise EPrinter when printing already (BeginDoc) or not printing (others).
    virtual void BeginDoc();
    virtual void EndDoc();
    virtual void Abort();
    virtual void NewPage();
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }
    int PageNumber() const { return FPage; }
    // The page's canvas during a job. Before one it measures as the printer
    // does (its resolution and fonts) and draws nothing.
    TCanvas* Canvas() const;
    // The device context: the job's while printing, kept from BeginDoc to
    // the end of the job, so the mapping and objects set on it carry over
    // NewPage; before a job the printer's information context, which
    // answers the printer's facts (GetDeviceCaps) and measures text.
    TDeviceContext* Handle() const;

    // Device metrics, the same before and during a job: the printable area
    // in device pixels (the canvas spans it, its origin at the printable
    // area's corner), the paper in device pixels, the printable area's
    // offset from the paper's edges, pixels per inch, the printable area in
    // millimetres.
    virtual int PageWidth() const;
    virtual int PageHeight() const;
    virtual int PhysicalWidth() const;
    virtual int PhysicalHeight() const;
    int PhysicalOffsetX() const;
    int PhysicalOffsetY() const;
    virtual int PixelsPerInchX() const;
    virtual int PixelsPerInchY() const;
    int PrintableWidthMM() const;
    int PrintableHeightMM() const;

protected:
    // The pages: a device for the first page at BeginDoc, the next page at
    // NewPage (false: cannot), the end (aborted or not) at EndDoc/Abort.
    // The default prints through Qt's printer.
    virtual QPaintDevice* StartDevice();
    virtual bool NextDevicePage(QPainter& painter);
    virtual void FinishDevice(bool aborted);
    // The chosen printer's facts while no job runs; the default asks Qt's
    // printer (its resolution, paper and printable area).
    virtual TDeviceCaps PrinterCaps() const;
    // The information context; the default measures with Qt at PrinterCaps.
    virtual std::unique_ptr<TDeviceContext> CreateInfoContext() const;
    // The job's context, made once at BeginDoc on the job's painter; the
    // default draws with Qt through the painter.
    virtual std::unique_ptr<TDeviceContext> CreateJobContext(QPainter* painter);

private:
    class QPrinter* qprinter() const;
    void closeCanvas();
    // The information context, made when first needed and again when the
    // printer or the orientation changes; the canvas measures through it.
    TDeviceContext* info() const;
    void dropInfo();
    TStringList* FPrinters;
    int FIndex = 0;
    String FOutput, FTitle;
    TPrinterOrientation FOrientation = poPortrait;
    bool FPrinting = false, FAborted = false;
    int FPage = 0;
    TCanvas* FCanvas;
    QPainter* FPainter = nullptr;
    QPaintDevice* FDevice = nullptr;
    std::unique_ptr<TDeviceContext> FJob;
    mutable std::unique_ptr<TDeviceContext> FInfo;
    mutable class QPrinter* FQPrinter = nullptr;
};

class EPrinter : public Exception {
    using Exception::Exception;
};

// The global printer; SetPrinter puts another in its place (the old one is
// returned, and freed by whoever holds it).
TPrinter* Printer();
TPrinter* SetPrinter(TPrinter* p);

enum TPrintRange { prAllPages, prSelection, prPageNums };
enum TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
using TPrintDialogOptions = uint32_t;
constexpr TPrintDialogOptions poSet(TPrintDialogOption o) { return 1u << o; }

// Chooses the printer and, with poPageNums, a page range; through the modal
// hook when one is set (the hook may set PrintRange, FromPage and ToPage).
class TPrintDialog : public TCommonDialog {
    DECLARE_CLASS(TPrintDialog)
    explicit TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
    bool Execute() override;
    int Copies = 1;
    bool PrintToFile = false;
    TPrintDialogOptions Options = 0;
    TPrintRange PrintRange = prAllPages;
    int MinPage = 0, MaxPage = 0;
    int FromPage = 0, ToPage = 0;
};
