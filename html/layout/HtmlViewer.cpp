#include "html/layout/HtmlViewer.h"

#include <algorithm>

#include "platform/framework/Clipbrd.h"
#include "platform/framework/Printers.h"
#include "platform/runtime/MarkupEscape.h"
#include "platform/runtime/TCString.h"

const TEnumInfo HTMLBorderStyleInfo{"THTMLBorderStyle", {"htFocused", "htNone", "htSingle"}};

IMPLEMENT_CLASS(THtmlViewer, TRichTextView) {
    r.Enum("BorderStyle", HTMLBorderStyleInfo, &THtmlViewer::BorderStyle, &THtmlViewer::SetBorderStyle);
    r.Integer("DefBackground", &THtmlViewer::DefBackground, &THtmlViewer::SetDefBackground);
    r.Str("DefFontName", &THtmlViewer::DefFontName, &THtmlViewer::SetDefFontName);
    r.Str("DefPreFontName", &THtmlViewer::DefPreFontName, &THtmlViewer::SetDefPreFontName);
    r.Integer("DefFontSize", &THtmlViewer::DefFontSize, &THtmlViewer::SetDefFontSize);
    r.Integer("DefFontColor", &THtmlViewer::DefFontColor, &THtmlViewer::SetDefFontColor);
    r.Integer("DefHotSpotColor", &THtmlViewer::DefHotSpotColor, &THtmlViewer::SetDefHotSpotColor);
    r.Float("PrintMarginLeft", &THtmlViewer::PrintMarginLeft, &THtmlViewer::SetPrintMarginLeft);
    r.Float("PrintMarginRight", &THtmlViewer::PrintMarginRight, &THtmlViewer::SetPrintMarginRight);
    r.Float("PrintMarginTop", &THtmlViewer::PrintMarginTop, &THtmlViewer::SetPrintMarginTop);
    r.Float("PrintMarginBottom", &THtmlViewer::PrintMarginBottom, &THtmlViewer::SetPrintMarginBottom);
    r.Integer("CharSet", &THtmlViewer::CharSet, &THtmlViewer::SetCharSet);
    r.Integer("MarginHeight", &THtmlViewer::MarginHeight, &THtmlViewer::SetMarginHeight);
    r.Integer("MarginWidth", &THtmlViewer::MarginWidth, &THtmlViewer::SetMarginWidth);
}

THtmlViewer::THtmlViewer(TComponent* AOwner) : TRichTextView(AOwner) {
    SetBordered(true);
    ApplyDefaults();
}

void THtmlViewer::ApplyDefaults() {
    SetBackground(FDefBackground);
    SetLinkColor(FDefHotSpotColor);
    SetPreFontName(FDefPreFontName);
    SetDefaultFont(FDefFontName, FDefFontSize, FDefFontColor);
    SetDocumentMargin(std::max(FMarginHeight, FMarginWidth));
}

void THtmlViewer::LoadFromString(const std::u16string& text, const std::u16string&, THtmlFileType type) {
    FText = text;
    ++FLoadCount;
    const TCString utf8 = wc2ch(text.c_str(), int(text.size()));
    if (type == HTMLType) {
        SetHtml(utf8.c_str());
    } else {
        // Anything else is shown as plain text.
        SetHtml(String("<pre>") + escapeMarkup(utf8.c_str()) + "</pre>");
    }
}

void THtmlViewer::MarginsInPixels(TPrinter* p, int& l, int& t, int& r, int& b) const {
    const double dpi = p->PixelsPerInchX();
    auto px = [dpi](double cm) { return std::max(0, int(cm / 2.54 * dpi)); };
    l = px(FMargins[0]);
    t = px(FMargins[1]);
    r = px(FMargins[2]);
    b = px(FMargins[3]);
}

int THtmlViewer::PrintPageCount(TPrinter* printer) const {
    TPrinter* p = printer ? printer : ::Printer();
    int l, t, r, b;
    MarginsInPixels(p, l, t, r, b);
    return PageCount(p, l, t, r, b);
}

void THtmlViewer::Print(int fromPage, int toPage, TPrinter* printer) {
    bool cancel = false;
    if (OnPrinting) OnPrinting(this, cancel);
    if (cancel) return;
    FLastFrom = fromPage;
    FLastTo = toPage;
    FPrintedText = FText;
    ++FPrintCount;
    TPrinter* p = printer ? printer : ::Printer();
    int l, t, r, b;
    MarginsInPixels(p, l, t, r, b);
    FPagesPrinted = TRichTextView::Print(p, fromPage, toPage, l, t, r, b);
    if (OnPrinted) OnPrinted(this);
}

void THtmlViewer::CopyToClipboard() {
    if (!HasSelection()) return;
    Clipboard()->SetAsHtml(SelectedHtml(), SelectedText());
}

void THtmlViewer::SetBorderStyle(THTMLBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    SetBordered(v != htNone);
}

void THtmlViewer::SetDefBackground(TColor v) {
    FDefBackground = v;
    SetBackground(v);
}

void THtmlViewer::SetDefFontName(const String& v) {
    FDefFontName = v;
    SetDefaultFont(FDefFontName, FDefFontSize, FDefFontColor);
}

void THtmlViewer::SetDefPreFontName(const String& v) {
    FDefPreFontName = v;
    SetPreFontName(v);
}

void THtmlViewer::SetDefFontSize(int v) {
    FDefFontSize = v;
    SetDefaultFont(FDefFontName, FDefFontSize, FDefFontColor);
}

void THtmlViewer::SetDefFontColor(TColor v) {
    FDefFontColor = v;
    SetDefaultFont(FDefFontName, FDefFontSize, FDefFontColor);
}

void THtmlViewer::SetDefHotSpotColor(TColor v) {
    FDefHotSpotColor = v;
    SetLinkColor(v);
}

void THtmlViewer::SetMarginHeight(int v) {
    FMarginHeight = v;
    SetDocumentMargin(std::max(FMarginHeight, FMarginWidth));
}

void THtmlViewer::SetMarginWidth(int v) {
    FMarginWidth = v;
    SetDocumentMargin(std::max(FMarginHeight, FMarginWidth));
}
