// A read-only view of rich text (HTML) over Qt's text browser. Every link and
// every external resource (images, style sheets) is refused: the documents
// come from our own renderings and must never reach the network or the disk.
// Printing paginates the document onto the framework's printer.
#pragma once

#include "platform/framework/Controls.h"

class TPrinter;

class TRichTextView : public TWinControl {
    DECLARE_CLASS(TRichTextView)
    explicit TRichTextView(TComponent* AOwner);
    ~TRichTextView() override;

    // Replaces the document by the HTML text (UTF-8). A <wbr> is where a line
    // may break: it adds nothing to the text that is shown or copied.
    void SetHtml(const String& html);
    String PlainText() const;
    // Background and default font of the document.
    void SetBackground(TColor c);
    void SetDefaultFont(const String& name, int size, TColor color);
    void SetPreFontName(const String& name);
    void SetLinkColor(TColor c);
    void SetBordered(bool v);
    void SetDocumentMargin(int px);
    void SetVerticalScrollBar(bool always);

    bool HasSelection() const;
    String SelectedText() const;
    String SelectedHtml() const;
    void SelectAll();

    // Pages the document takes on the printer (margins in printer pixels).
    int PageCount(TPrinter* printer, int marginLeft, int marginTop, int marginRight, int marginBottom) const;
    // Prints pages fromPage..toPage (1-based, clipped to the document) on the
    // printer; answers the number of pages printed.
    int Print(TPrinter* printer, int fromPage, int toPage, int marginLeft, int marginTop, int marginRight,
              int marginBottom) const;

private:
    void reload();
    struct Impl;
    Impl* FImpl;
};
