#include "views/VZrX509BaseForm.h"

#include "components/CAdvancedListView.h"
#include "platform/core/x509/Crl.h"
#include "platform/core/x509/RevReq.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/Utf16.h"
#include "views/HtmlViewerColor.h"

namespace {
// Larger lists open with their summary; the entries come on request.
constexpr int kMaxCrlEntriesShown = 1000;
constexpr size_t kObjectHtmlReserve = 32768, kPageHtmlReserve = 16384;

TZrX509Base* tagObject(TComponent* c) { return reinterpret_cast<TZrX509Base*>(c->Tag()); }

// The full list of a revocation list's entries.
TCString crlFullHtml(const TZrXCrl* crl) {
    TCString text;
    text.reserve(size_t(crl->numRev()) * 100 + kPageHtmlReserve);
    crl->htmlView(text, false);
    return text;
}

// A tab shows '&' as an accelerator mark: an owner's "AT&T" keeps its '&'.
TCString tabText(const TCString& text) {
    TCString t = text;
    t.replaceAll("&", "&&");
    return t;
}
}  // namespace

IMPLEMENT_CLASS(TCViewZrX509BaseForm, TKeyViewFormEx) {}

TCViewZrX509BaseForm::TCViewZrX509BaseForm(TComponent* AOwner) : TKeyViewFormEx(AOwner) {
    SetName("CViewZrX509BaseForm");
    SetClientWidth(680);
    htmlView1->SetHtOptions(htmlView1->HtOptions() | htoSet(htShowVScroll));

    pgc1 = new TPageControl(this);
    pgc1->SetName("pgc1");
    pgc1->SetParent(pnl1);
    pgc1->SetVisible(false);
    ts1 = new TTabSheet(this);
    ts1->SetName("ts1");
    ts1->SetCaption("Объект");
    ts1->SetPageControl(pgc1);

    actViewCRLElements = new TAction(this);
    actViewCRLElements->SetName("actViewCRLElements");
    actViewCRLElements->SetCaption("Показать список элементов");
    actViewCRLElements->SetHint("Показать список элементов|Показать список элементов отзыва ");
    actViewCRLElements->SetActionList(ActionList1);
    actViewCRLElements->SetVisible(false);
    actViewCRLElements->OnExecute = [this](TObject* s) { actViewCRLElementsExecute(s); };
    auto* sep = new TMenuItem(this);
    sep->SetName("N2");
    sep->SetCaption("-");
    PopupMenu1->Items()->Add(sep);
    auto* mi = new TMenuItem(this);
    mi->SetName("ViewCRLElementsMI");
    mi->SetAction(actViewCRLElements);
    PopupMenu1->Items()->Add(mi);

    PrintAction->OnExecute = [this](TObject* s) { PrintActionExecute(s); };
    SaveHTMLAction->OnExecute = [this](TObject* s) { SaveHTMLActionExecute(s); };
    SaveDialog1->SetTitle(zrnTranslateString("Сохранить в HTML").c_str());
    SaveDialog1->SetFilter(zrnTranslateString("HTML-файлы(*.html)|*.html").c_str());
}

void TCViewZrX509BaseForm::setObject(TZrX509Base* object) {
    // The rendering replaces the text; the reservation is only a capacity hint.
    FObjectHtml = TCString();
    FObjectHtml.reserve(kObjectHtmlReserve);
    FObject = object;
    ts1->SetTag(reinterpret_cast<intptr_t>(object));
    actViewCRLElements->SetVisible(false);
    if (!object) {
        setHtml("", nullptr);
        return;
    }
    if (auto* crl = dynamic_cast<TZrXCrl*>(object)) {
        if (crl->numRev() <= kMaxCrlEntriesShown) {
            FObjectHtml = crlFullHtml(crl);
        } else {
            crl->htmlView(FObjectHtml, int(zhScreen));
            actViewCRLElements->SetVisible(true);
            actViewCRLElements->SetEnabled(true);
        }
    } else {
        object->htmlView(FObjectHtml, int(zhScreen));
        if (object->getClass() == zcRevRequest) {
            auto* req = static_cast<TZrXRevReq*>(object);
            if (const TZrXRevokedCert* entry = req->revokedCert(false)) {
                FObjectHtml += "<hr>";
                entry->htmlView(FObjectHtml, int(zhScreen), getRevokedCertCaption(entry, req->reason()).c_str());
            }
        }
    }
    setHtml(FObjectHtml.c_str(), nullptr);

    TCString caption;
    const TCString owner = zrxVisibleText(object->ownerName().view());
    if (object->getClass() == zcCrl) {
        caption = TCFString(zrnTranslateString("%s, издатель: %s").c_str(), object->caption().c_str(), owner.c_str());
    } else {
        caption = TCFString(zrnTranslateString("%s ключа%s").c_str(), object->caption().c_str(),
                            object->getKindDescirption(false).c_str());
        if (!owner.isEmpty()) caption += zrnTranslateString(" владельца  \"") + owner + "\"";
    }
    ts1->SetCaption(tabText(caption).c_str());
    addSignerPages(object);
}

void TCViewZrX509BaseForm::addSignerPages(const TZrX509Base* object) {
    if (!object || object->signerCount() <= 0) return;
    const int cls = object->getClass();
    const bool issuers = cls == zcCertificate || cls == 6 || cls == zcCrl;
    const TCString prefix = zrnTranslateString(issuers ? "Издатель: \"" : "Удостоверитель: \"");
    for (int i = 0; i < object->signerCount(); ++i) {
        const TZrX509* signer = object->getSigner(i);
        if (!signer) break;
        addObjectPage(signer, prefix.c_str(), -1);
    }
}

TWindowHtmlViewer* TCViewZrX509BaseForm::addObjectPage(const TZrX509Base* object, const char* captionPrefix,
                                                       int pageIndex) {
    const TCString caption =
        TCString(captionPrefix ? captionPrefix : "") + zrxVisibleText(object->ownerName().view()) + "\"";
    TWindowHtmlViewer* viewer = addViewerPage(tabText(caption).c_str(), pageIndex, const_cast<TZrX509Base*>(object));
    TCString text;
    text.reserve(kPageHtmlReserve);
    object->htmlView(text, int(zhScreen));
    viewer->LoadFromString(text.toUtf16(), u"", HTMLType);
    return viewer;
}

TWindowHtmlViewer* TCViewZrX509BaseForm::addViewerPage(const char* caption, int pageIndex, TZrX509Base* tag) {
    if (!pgc1->Visible()) {
        // The first extra page: the object's viewer moves onto the first tab.
        htmlView1->SetParent(ts1);
        htmlView1->SetAlign(alClient);
        pgc1->SetActivePage(ts1);
        pgc1->SetAlign(alClient);
        pgc1->SetVisible(true);
    }
    auto* sheet = new TTabSheet(pgc1);
    sheet->SetCaption(caption ? caption : "");
    sheet->SetPageControl(pgc1);
    auto* viewer = new TWindowHtmlViewer(sheet);
    viewer->SetParent(sheet);
    viewer->SetAlign(alClient);
    viewer->SetDefBackground(htmlView1->DefBackground());
    viewer->SetBorderStyle(htmlView1->BorderStyle());
    viewer->SetDefFontName(htmlView1->DefFontName());
    viewer->SetDefPreFontName(htmlView1->DefPreFontName());
    viewer->SetDefFontSize(htmlView1->DefFontSize());
    viewer->SetDefFontColor(htmlView1->DefFontColor());
    viewer->SetDefHotSpotColor(htmlView1->DefHotSpotColor());
    viewer->OnKeyDown = htmlView1->OnKeyDown;
    viewer->SetPrintMarginLeft(htmlView1->PrintMarginLeft());
    viewer->SetPrintMarginRight(htmlView1->PrintMarginRight());
    viewer->SetPrintMarginTop(htmlView1->PrintMarginTop());
    viewer->SetPrintMarginBottom(htmlView1->PrintMarginBottom());
    viewer->SetCharSet(htmlView1->CharSet());
    viewer->SetMarginHeight(htmlView1->MarginHeight());
    viewer->SetMarginWidth(htmlView1->MarginWidth());
    setHtmlViewerColor(viewer);
    if (pageIndex >= 0) sheet->SetPageIndex(pageIndex);
    sheet->SetTag(reinterpret_cast<intptr_t>(tag));
    return viewer;
}

TZrX509Base* TCViewZrX509BaseForm::currentObject() const {
    if (pgc1->Visible() && pgc1->ActivePage()) return tagObject(pgc1->ActivePage());
    return FObject;
}

TCString TCViewZrX509BaseForm::objectPrintHtml(const TZrX509Base* object) const {
    // A revocation request prints as shown, with the revoked entry.
    if (object->getClass() == zcRevRequest && object == FObject) return FObjectHtml;
    TCString text;
    text.reserve(kObjectHtmlReserve);
    object->htmlView(text, int(zhPrint));
    return text;
}

bool TCViewZrX509BaseForm::printObject(const TZrX509Base* object, bool askDialog, int copies) {
    if (!object) return false;
    return printHtml(objectPrintHtml(object), askDialog, copies);
}

void TCViewZrX509BaseForm::PrintActionExecute(TObject*) { printObject(currentObject(), true, 0); }

void TCViewZrX509BaseForm::SaveHTMLActionExecute(TObject*) {
    if (const TZrX509Base* object = currentObject()) saveHtml(objectPrintHtml(object));
}

void TCViewZrX509BaseForm::actViewCRLElementsExecute(TObject*) {
    auto* crl = dynamic_cast<TZrXCrl*>(FObject);
    if (!crl) return;
    FObjectHtml = crlFullHtml(crl);
    setHtml(FObjectHtml.c_str(), nullptr);
    actViewCRLElements->SetEnabled(false);
}

int viewX509Object(TZrX509Base* object, int mode, const char* text, const char* prefix) {
    auto* form = CreateComponent<TCViewZrX509BaseForm>(Application);
    return ShowModalAndFree(form, [&] {
        form->setObject(object);
        form->showCaption(text, prefix, mode);
        form->setMode(mode);
    });
}
