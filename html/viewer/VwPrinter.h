// The system printer as the viewer prints on it: a printer object with a
// device of its own for the printer chosen in the framework's printer (the
// PDF file printer when none is chosen), so that jobs of several printer
// objects never mix.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "html/viewer/HtmlPrinter.h"
#include "platform/framework/Graphics.h"

class TvwPrinter;

// The framework's printer settings a device is made with: its copy of the
// chosen printer and its page set-up.
struct TPrinterDeviceMode {
    String Device;  // the printer's name
    bool Pdf = false;
    String OutputFileName;
    TPrinterOrientation Orientation = poPortrait;
};

// Makes the device for a printer; null when the printer named cannot be
// used. The default makes a framework printer for it; tests put devices of
// their own in place and restore the previous maker, which is returned.
using TPrinterDeviceFactory = std::function<std::unique_ptr<TPrinter>(const TPrinterDeviceMode& Mode)>;
TPrinterDeviceFactory SetPrinterDeviceFactory(TPrinterDeviceFactory Factory);

// The page canvas of a TvwPrinter: drawing on it outside a document raises
// "Printer is not currently printing".
class TPrinterCanvas : public TCanvas {
    DECLARE_CLASS(TPrinterCanvas)
    explicit TPrinterCanvas(TvwPrinter* APrinter);
    TvwPrinter* vwPrinter;  // not owned
};

enum TvwPrinterState { psNoHandle, psHandleIC, psHandleDC };

class TvwPrinter : public ThtPrinter {
    DECLARE_CLASS(TvwPrinter)
    TvwPrinter();
    ~TvwPrinter() override;

    // The device's context: measuring before the first document, the page
    // being printed during one. The device made for the first document
    // serves every later one.
    TDeviceContext* Handle();
    TvwPrinterState State() const { return FState; }
    bool Aborted() const { return FAborted; }

    TCanvas* GetCanvas() override;
    int GetPageNumber() override { return FPageNumber; }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;

    // The device, the key under which the registry knows this printer
    // while a document is open.
    TPrinter* DC() const { return FDC.get(); }

private:
    void ChangeState(TvwPrinterState Value);
    // The context the canvas draws on follows the device's job.
    void attachCanvas();
    void detachCanvas();
    // A page goes out: the abort procedure runs, as the print spooler would
    // call it. False when the job is not to go on; a job the procedure
    // stopped is cancelled on the device.
    bool outputPage();

    std::unique_ptr<TPrinterCanvas> FCanvas;
    int FPageNumber = 0;
    bool FAborted = false;
    TvwPrinterState FState = psNoHandle;
    std::unique_ptr<TPrinter> FDC;
    // The settings the device was made with, kept until the document ends.
    std::optional<TPrinterDeviceMode> DevMode;
};

// The abort procedure, called while a page goes out: lets the user interface
// handle what is waiting (a cancel button may call Abort) and answers
// whether the printer printing on the device goes on. It processes what is
// pending and returns, never waits; called again from inside that (a page
// printed from a handler), it only answers.
bool PrinterAbortProc(intptr_t DC, int Error);
