#include "html/layout/ProvisionalHtmlViewer.h"

#include <algorithm>

#include "platform/framework/Clipbrd.h"
#include "platform/framework/Printers.h"
#include "platform/runtime/MarkupEscape.h"
#include "platform/runtime/TCString.h"

IMPLEMENT_CLASS(TProvisionalHtmlViewer, TRichTextView) {
    r.Enum("BorderStyle", HTMLBorderStyleInfo, &TProvisionalHtmlViewer::BorderStyle, &TProvisionalHtmlViewer::SetBorderStyle);
    r.Integer("DefBackground", &TProvisionalHtmlViewer::DefBackground, &TProvisionalHtmlViewer::SetDefBackground);
    r.Str("DefFontName", &TProvisionalHtmlViewer::DefFontName, &TProvisionalHtmlViewer::SetDefFontName);
    r.Str("DefPreFontName", &TProvisionalHtmlViewer::DefPreFontName, &TProvisionalHtmlViewer::SetDefPreFontName);
    r.Integer("DefFontSize", &TProvisionalHtmlViewer::DefFontSize, &TProvisionalHtmlViewer::SetDefFontSize);
    r.Integer("DefFontColor", &TProvisionalHtmlViewer::DefFontColor, &TProvisionalHtmlViewer::SetDefFontColor);
    r.Integer("DefHotSpotColor", &TProvisionalHtmlViewer::DefHotSpotColor, &TProvisionalHtmlViewer::SetDefHotSpotColor);
    r.Float("PrintMarginLeft", &TProvisionalHtmlViewer::PrintMarginLeft, &TProvisionalHtmlViewer::SetPrintMarginLeft);
    r.Float("PrintMarginRight", &TProvisionalHtmlViewer::PrintMarginRight, &TProvisionalHtmlViewer::SetPrintMarginRight);
    r.Float("PrintMarginTop", &TProvisionalHtmlViewer::PrintMarginTop, &TProvisionalHtmlViewer::SetPrintMarginTop);
    r.Float("PrintMarginBottom", &TProvisionalHtmlViewer::PrintMarginBottom, &TProvisionalHtmlViewer::SetPrintMarginBottom);
    r.Integer("CharSet", &TProvisionalHtmlViewer::CharSet, &TProvisionalHtmlViewer::SetCharSet);
    r.Integer("MarginHeight", &TProvisionalHtmlViewer::MarginHeight, &TProvisionalHtmlViewer::SetMarginHeight);
    r.Integer("MarginWidth", &TProvisionalHtmlViewer::MarginWidth, &TProvisionalHtmlViewer::SetMarginWidth);
    r.Set("HtOptions", HtmlViewerOptionInfo, &TProvisionalHtmlViewer::HtOptions, &TProvisionalHtmlViewer::SetHtOptions);
}

TProvisionalHtmlViewer::TProvisionalHtmlViewer(TComponent* AOwner) : TRichTextView(AOwner) {
    SetBordered(true);
    ApplyDefaults();
}

void TProvisionalHtmlViewer::ApplyDefaults() {
    SetBackground(FDefBackground);
    SetLinkColor(FDefHotSpotColor);
    SetPreFontName(FDefPreFontName);
    SetDefaultFont(FDefFontName, FDefFontSize, FDefFontColor);
    SetDocumentMargin(std::max(FMarginHeight, FMarginWidth));
}

void TProvisionalHtmlViewer::LoadFromString(const std::u16string& text, const std::u16string&, THtmlFileType type) {
    FText = text;
    ++FLoadCount;
    const TCString utf8 = wc2ch(text.c_str(), int(text.size()));
    if (type == HTMLType || type == XHtmlType) {
        SetHtml(utf8.c_str());
    } else {
        // Anything else is shown as plain text.
        SetHtml(String("<pre>") + escapeMarkup(utf8.c_str()) + "</pre>");
    }
}

void TProvisionalHtmlViewer::MarginsInPixels(TPrinter* p, int& l, int& t, int& r, int& b) const {
    const double dpi = p->PixelsPerInchX();
    auto px = [dpi](double cm) { return std::max(0, int(cm / 2.54 * dpi)); };
    l = px(FMargins[0]);
    t = px(FMargins[1]);
    r = px(FMargins[2]);
    b = px(FMargins[3]);
}

int TProvisionalHtmlViewer::PrintPageCount(TPrinter* printer) const {
    TPrinter* p = printer ? printer : ::Printer();
    int l, t, r, b;
    MarginsInPixels(p, l, t, r, b);
    return PageCount(p, l, t, r, b);
}

void TProvisionalHtmlViewer::Print(int fromPage, int toPage, TPrinter* printer) {
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

void TProvisionalHtmlViewer::CopyToClipboard() {
    if (!HasSelection()) return;
    Clipboard()->SetAsHtml(SelectedHtml(), SelectedText());
}

void TProvisionalHtmlViewer::SetBorderStyle(THTMLBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    SetBordered(v != htNone);
}

void TProvisionalHtmlViewer::SetDefBackground(TColor v) {
    FDefBackground = v;
    SetBackground(v);
}

void TProvisionalHtmlViewer::SetDefFontName(const String& v) {
    FDefFontName = v;
    SetDefaultFont(FDefFontName, FDefFontSize, FDefFontColor);
}

void TProvisionalHtmlViewer::SetDefPreFontName(const String& v) {
    FDefPreFontName = v;
    SetPreFontName(v);
}

void TProvisionalHtmlViewer::SetDefFontSize(int v) {
    FDefFontSize = v;
    SetDefaultFont(FDefFontName, FDefFontSize, FDefFontColor);
}

void TProvisionalHtmlViewer::SetDefFontColor(TColor v) {
    FDefFontColor = v;
    SetDefaultFont(FDefFontName, FDefFontSize, FDefFontColor);
}

void TProvisionalHtmlViewer::SetDefHotSpotColor(TColor v) {
    FDefHotSpotColor = v;
    SetLinkColor(v);
}

void TProvisionalHtmlViewer::SetMarginHeight(int v) {
    FMarginHeight = v;
    SetDocumentMargin(std::max(FMarginHeight, FMarginWidth));
}

void TProvisionalHtmlViewer::SetMarginWidth(int v) {
    FMarginWidth = v;
    SetDocumentMargin(std::max(FMarginHeight, FMarginWidth));
}

void TProvisionalHtmlViewer::SetHtOptions(THtmlViewerOptions v) {
    FOptions = v;
    SetVerticalScrollBar(htoHas(v, htShowVScroll));
}
