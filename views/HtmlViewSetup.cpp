#include "views/HtmlViewSetup.h"

#include "platform/framework/Dialogs.h"
#include "platform/framework/Printers.h"

namespace {
constexpr int kRussianCharset = 204;
}  // namespace

void setupHtmlViewer(TWindowHtmlViewer* v, const char* preFont) {
    v->SetBorderStyle(htSingle);
    v->SetCharSet(kRussianCharset);
    v->SetDefBackground(clInfoBk);
    v->SetDefFontName("Tahoma");
    v->SetDefFontSize(8);
    v->SetDefPreFontName(preFont);
}

TSaveDialog* makeHtmlSaveDialog(TComponent* owner, const char* name) {
    auto* d = new TSaveDialog(owner);
    d->SetName(name);
    d->SetDefaultExt("Html");
    d->SetFilter("HTML-файлы(*.html)|*.html");
    d->SetOptions(ofSet(ofOverwritePrompt) | ofSet(ofHideReadOnly) | ofSet(ofNoChangeDir) | ofSet(ofEnableSizing));
    return d;
}

TPrintDialog* makePagePrintDialog(TComponent* owner, const char* name) {
    auto* d = new TPrintDialog(owner);
    d->SetName(name);
    d->MinPage = kPrintFirstPage;
    d->MaxPage = kPrintLastPage;
    d->Options = poSet(poPageNums);
    return d;
}
