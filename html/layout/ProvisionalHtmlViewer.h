#pragma once
// The HTML viewer the program's windows use until they switch over to the
// HTML component's own (html/viewer; html/viewer/WindowViewer.h chooses).
//
// PROVISIONAL: this body shows the document through the framework's rich-text
// view (links and external resources refused), prints through the framework's
// printer and records what it was given, so that tests can check what the
// windows hand over. It offers what the windows use of the real viewer; no
// window may depend on anything beyond it.
#include <cstdint>
#include <string>

#include "html/layout/HtmlViewerTypes.h"
#include "platform/framework/RichTextView.h"

class TPrinter;

class TProvisionalHtmlViewer : public TRichTextView {
    DECLARE_CLASS(TProvisionalHtmlViewer)
    explicit TProvisionalHtmlViewer(TComponent* AOwner);

    // Replaces the shown document.
    void LoadFromString(const std::u16string& text, const std::u16string& refName = u"",
                        THtmlFileType type = HTMLType);
    // Prints pages fromPage..toPage on the given printer or, without one, on
    // the framework's printer.
    void Print(int fromPage, int toPage, TPrinter* printer = nullptr);
    // The selection as plain text and "HTML Format"; nothing without a selection.
    void CopyToClipboard();

    THTMLBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(THTMLBorderStyle v);
    TColor DefBackground() const { return FDefBackground; }
    void SetDefBackground(TColor v);
    String DefFontName() const { return FDefFontName; }
    void SetDefFontName(const String& v);
    String DefPreFontName() const { return FDefPreFontName; }
    void SetDefPreFontName(const String& v);
    int DefFontSize() const { return FDefFontSize; }
    void SetDefFontSize(int v);
    TColor DefFontColor() const { return FDefFontColor; }
    void SetDefFontColor(TColor v);
    TColor DefHotSpotColor() const { return FDefHotSpotColor; }
    void SetDefHotSpotColor(TColor v);
    // Print margins in centimetres.
    double PrintMarginLeft() const { return FMargins[0]; }
    void SetPrintMarginLeft(double v) { FMargins[0] = v; }
    double PrintMarginTop() const { return FMargins[1]; }
    void SetPrintMarginTop(double v) { FMargins[1] = v; }
    double PrintMarginRight() const { return FMargins[2]; }
    void SetPrintMarginRight(double v) { FMargins[2] = v; }
    double PrintMarginBottom() const { return FMargins[3]; }
    void SetPrintMarginBottom(double v) { FMargins[3] = v; }
    int CharSet() const { return FCharSet; }
    void SetCharSet(int v) { FCharSet = v; }
    int MarginHeight() const { return FMarginHeight; }
    void SetMarginHeight(int v);
    int MarginWidth() const { return FMarginWidth; }
    void SetMarginWidth(int v);
    // Of the options only htShowVScroll acts here (the vertical bar always shown).
    THtmlViewerOptions HtOptions() const { return FOptions; }
    void SetHtOptions(THtmlViewerOptions v);

    // Pages the loaded document takes on the printer (the framework's when null).
    int PrintPageCount(TPrinter* printer = nullptr) const;

    THtmlPrintingEvent OnPrinting;
    TNotifyEvent OnPrinted;

    // What the viewer was given (for tests).
    const std::u16string& LoadedText() const { return FText; }
    int LoadCount() const { return FLoadCount; }
    int PrintCount() const { return FPrintCount; }
    int LastPrintFrom() const { return FLastFrom; }
    int LastPrintTo() const { return FLastTo; }
    const std::u16string& LastPrintedText() const { return FPrintedText; }
    int LastPagesPrinted() const { return FPagesPrinted; }

private:
    void ApplyDefaults();
    void MarginsInPixels(TPrinter* p, int& l, int& t, int& r, int& b) const;
    std::u16string FText, FPrintedText;
    THTMLBorderStyle FBorderStyle = htFocused;
    TColor FDefBackground = clWindow, FDefFontColor = clWindowText, FDefHotSpotColor = clBlue;
    String FDefFontName = "Times New Roman", FDefPreFontName = "Courier New";
    int FDefFontSize = 12;
    double FMargins[4] = {2.0, 2.0, 2.0, 2.0};
    int FCharSet = 1, FMarginHeight = 5, FMarginWidth = 10;
    THtmlViewerOptions FOptions = DefaultHtmlViewerOptions;
    int FLoadCount = 0, FPrintCount = 0, FLastFrom = 0, FLastTo = 0, FPagesPrinted = 0;
};
