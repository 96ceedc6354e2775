#include "views/CertChainViewForm.h"

#include <algorithm>

#include "dialogs/AppServices.h"
#include "dialogs/MessageView.h"
#include "dialogs/AboutBox.h"
#include "components/CAdvancedListView.h"
#include "components/CCompStorage.h"
#include "components/FormsTranslation.h"
#include "components/ResImageList.h"
#include "components/ResImageStrips.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Utf16.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/Translation.h"
#include "views/HtmlViewerColor.h"
#include "views/HtmlViewSetup.h"
#include "dialogs/FileDialogs.h"
#include "views/ObjectFiles.h"

namespace {
constexpr TColor kSelectionBackground = 0xE8DACC;
constexpr TColor kKeyAgreementBackground = 0xF8EADC;
constexpr int kIssuerSerialNid = 105;  // serialNumber of a name

void errorBox(const TCString& text) { messageDlg(text, mtError, mbSet(mbOK)); }

TFont* fontOf(TFont* f, const char* name, TColor color) {
    f->SetName(name);
    f->SetColor(color);
    return f;
}
}  // namespace

const char* certificateTypeText(uint32_t f) {
    if (f & zfCA) return "CA";
    if (f & zfOCSP) return "OCSP";
    if (f & zfTimeStamping) return "TSP";
    if (f & zfCMP) return "CMP";
    if (f & zfVpnServer) return "VPN Server";
    if (f & (zfVpnClient | zfTlsClient)) return "VPN Client";
    return "-";
}

int certificateImageIndex(uint32_t f) {
    if (f & zfStart) return 10;
    if (f & zfCA) return 7;
    if (f & (zfEmail | zfTlsClient)) return 0;
    if (f & zfKeyAgreement) return 8;
    if (f & (zfOCSP | zfCMP | zfTimeStamping)) return -1;
    if (f & zfSignature) return 9;
    return -1;
}

TChainRowColors chainRowColors(uint32_t f, uint32_t status, bool selected) {
    TChainRowColors c;
    if (selected) {
        c.background = kSelectionBackground;
        return c;
    }
    if ((f & zfKeyAgreement) && !(f & zfSignature)) c.background = kKeyAgreementBackground;
    if (status == zsExpired) c.text = 0x000080;
    else if (f & zfOCSP) c.text = 0x800000;
    else if (f & zfCMP) c.text = 0x008000;
    else if (f & zfTimeStamping) c.text = 0x808000;
    return c;
}

std::vector<TZrX509*> chainSignerPath(const TCXCertsChain& chain, TZrX509* cert) {
    std::vector<TZrX509*> path;
    for (TZrX509* current = cert; current;) {
        if (std::find(path.begin(), path.end(), current) != path.end()) break;
        path.push_back(current);
        if (int(path.size()) > chain.count()) break;
        TZrX509* signer = chain.findSigner(*current);
        if (!signer || signer == current) break;
        current = signer;
    }
    return path;
}

IMPLEMENT_CLASS(TChainViewForm, TForm) {}

TToolButton* TChainViewForm::addToolButton(TAction* action) {
    auto* b = new TToolButton(this);
    b->SetParent(tlb1);
    if (action) b->SetAction(action);
    else b->SetStyle(tbsSeparator);
    return b;
}

TChainViewForm::TChainViewForm(TComponent* AOwner, TCXCertsChain* chain) : TForm(AOwner) {
    SetName("ChainViewForm");
    SetCaption("Цепочка сертификатов");
    SetPosition(poMainFormCenter);
    SetClientWidth(900);
    SetClientHeight(560);

    actlst1 = new TActionList(this);
    actlst1->SetName("actlst1");
    auto addAction = [this](const char* name, const char* caption, const char* hint, int shortCut,
                            void (TChainViewForm::*execute)(TObject*), void (TChainViewForm::*update)(TObject*)) {
        TNotifyEvent onUpdate;
        if (update) onUpdate = [this, update](TObject* s) { (this->*update)(s); };
        TAction* a = makeAction(
            actlst1, name, caption, hint, [this, execute](TObject* s) { (this->*execute)(s); }, std::move(onUpdate));
        if (shortCut) a->SetShortCut(shortCut);
        return a;
    };
    using F = TChainViewForm;
    actOk = addAction("actOk", "Продолжить", "Продолжить|Продолжить текущую операцию", VK_RETURN, &F::actOkExecute,
                      &F::actOkUpdate);
    actCancel = addAction("actCancel", "Отменить", "Отменить текущую операцию|Отменить текущую операцию", VK_ESCAPE,
                          &F::actCancelExecute, nullptr);
    actLoad = addAction("actLoad", "Загрузить цепочку", "Загрузить цепочку|Загрузить цепочку сертификатов",
                        ShortCut('O', ssCtrl), &F::actLoadExecute, nullptr);
    actAdd = addAction("actAdd", "Добавить посертификатно",
                       "Добавить посертификатно|Добавить в цепочку сертификаты по очереди", VK_INSERT,
                       &F::actAddExecute, &F::actAddUpdate);
    actSave = addAction("actSave", "Сохранить цепочку", "Сохранить цепочку|Сохранить цепочку в файл",
                        ShortCut('S', ssCtrl), &F::actSaveExecute, &F::actSaveUpdate);
    actSaveCrt =
        addAction("actSaveCrt", "Сохранить сертификат", "Сохранить сертификат|Сохранить текущий сертификат в файл", 0,
                  &F::actSaveCrtExecute, &F::actSaveCrtUpdate);
    actPrint = addAction("actPrint", "Печатать", "Печатать|Печатать информацию о текущем сертификате", 0,
                         &F::actPrintExecute, &F::actPrintUpdate);
    actSaveHTML = addAction("actSaveHTML", "Сохранить в HTML",
                            "Сохранить в HTML|Сохранить информацию о текущем сертификате в HTML-файл", 0,
                            &F::actSaveHTMLExecute, &F::actSaveHTMLUpdate);
    actVerify = addAction("actVerify", "Проверить", "Проверить|Проверить цепочку сертификатов", 0, &F::actVerifyExecute,
                          &F::actVerifyUpdate);

    mm1 = new TMainMenu(this);
    mm1->SetName("mm1");
    auto submenu = [this](const char* name, const char* caption) {
        auto* mi = new TMenuItem(this);
        mi->SetName(name);
        mi->SetCaption(caption);
        mm1->Items()->Add(mi);
        return mi;
    };
    addActionItems(
        this, submenu("mniActions", "Действия"),
        {actLoad, actSave, nullptr, actAdd, nullptr, actSaveCrt, nullptr, actVerify, nullptr, actOk, actCancel});
    addActionItems(this, submenu("mniView", "Просмотр"), {actSaveHTML, nullptr, actPrint});
    TMenuItem* help = submenu("mniHelp", "Справка");
    auto* about = new TMenuItem(this);
    about->SetName("mniN32");
    about->SetCaption("О программе");
    about->OnClick = [this](TObject* s) { mniN32Click(s); };
    help->Add(about);
    SetMenu(mm1);

    pm1 = new TPopupMenu(this);
    pm1->SetName("pm1");
    addActionItems(this, pm1->Items(), {actSaveCrt, nullptr, actVerify});
    pm2 = new TPopupMenu(this);
    pm2->SetName("pm2");
    addActionItems(this, pm2->Items(), {actSaveCrt, actSaveHTML, actPrint});
    pm3 = new TPopupMenu(this);
    pm3->SetName("pm3");
    addActionItems(this, pm3->Items(), {actLoad, nullptr, actSave, nullptr, actAdd});

    ilToolBar = new TResImageList(this);
    ilToolBar->SetName("ilToolBar");
    ilToolBar->LoadFromResource("BMP_RootCaMainToolBar");
    ilToolBarHot = new TResImageList(this);
    ilToolBarHot->SetName("ilToolBarHot");
    ilToolBarHot->LoadFromResource("BMP_RootCaMainToolBar");
    ilCerts = new TResImageList(this);
    ilCerts->SetName("ilCerts");
    ilCerts->LoadFromResource("BMP_RootCaMainPageControl");

    tlb1 = new TToolBar(this);
    tlb1->SetName("tlb1");
    tlb1->SetParent(this);
    tlb1->SetAlign(alTop);
    tlb1->SetShowCaptions(true);
    tlb1->SetButtonWidth(120);
    tlb1->SetImages(ilToolBar);
    // The commands' pictures in the main tool-bar strip.
    actOk->SetImageIndex(kBarOkImage);
    actCancel->SetImageIndex(kBarExitImage);
    actLoad->SetImageIndex(kBarOpenImage);
    actSave->SetImageIndex(kBarSaveImage);
    actSaveCrt->SetImageIndex(kBarExportCertificateImage);
    actPrint->SetImageIndex(kBarPrintImage);
    actVerify->SetImageIndex(kBarCheckImage);
    for (TAction* a : {actOk, actCancel, static_cast<TAction*>(nullptr), actLoad, actSave, actSaveCrt,
                       static_cast<TAction*>(nullptr), actPrint, static_cast<TAction*>(nullptr), actVerify})
        addToolButton(a);

    stat1 = new TStatusBar(this);
    stat1->SetName("stat1");
    stat1->SetParent(this);
    stat1->SetAlign(alBottom);
    stat1->SetAutoHint(true);

    pnl1 = new TPanel(this);
    pnl1->SetName("pnl1");
    pnl1->SetParent(this);
    pnl1->SetAlign(alClient);
    pnl1->SetBevelOuter(bvNone);
    pnl1->SetCaption("");

    pnl2 = new TPanel(this);
    pnl2->SetName("pnl2");
    pnl2->SetParent(pnl1);
    pnl2->SetAlign(alLeft);
    pnl2->SetWidth(420);
    pnl2->SetBevelOuter(bvNone);
    pnl2->SetCaption("");

    lbl1 = new TLabel(this);
    lbl1->SetName("lbl1");
    lbl1->SetParent(pnl2);
    lbl1->SetAlign(alTop);
    lbl1->SetCaption("Цепочка сертификатов ключа владельца");
    lbl1->SetShowAccelChar(false);  // it comes to carry an owner's name

    lv1 = new TCAdvancedListView(this);
    lv1->SetName("lv1");
    lv1->SetParent(pnl2);
    lv1->SetAlign(alTop);
    lv1->SetHeight(220);
    lv1->SetViewStyle(vsReport);
    lv1->SetGridLines(true);
    lv1->SetRowSelect(true);
    lv1->SetReadOnly(true);
    lv1->SetHideSelection(false);
    lv1->SetSortType(stText);
    lv1->SetSmallImages(ilCerts);
    lv1->SetPopupMenu(pm3);
    const std::pair<const char*, int> columns[] = {{"Владелец", 250},          {"Сер. № издателя", 140},
                                                   {"Сер. № сертфиката", 260}, {"Тип", 40},
                                                   {"Действует с", 110},       {"Действует по", 110}};
    for (const auto& [caption, width] : columns) {
        TListColumn* c = lv1->Columns()->Add();
        c->SetCaption(caption);
        c->SetWidth(width);
    }
    TCTablePrinter* printer = lv1->TablePrinter();
    printer->SetTopMargin(20);
    printer->SetBottomMargin(20);
    printer->SetLeftMargin(25);
    printer->SetRightMargin(20);
    TTblExportsSettings* exports = lv1->ExportsSettings();
    exports->SetHeaderColor(clNavy);
    fontOf(exports->HeaderFont(), "MS Shell Dlg 2", clWhite);
    exports->SetBodyColor(clWhite);
    TFont body;
    exports->SetBodyFont(fontOf(&body, "MS Shell Dlg 2", clBlack));
    fontOf(exports->TitleFont(), "Times New Roman", clBlue);
    lv1->OnSelectItem = [this](TObject* s, TListItem* i, bool sel) { lv1SelectItem(s, i, sel); };
    lv1->OnAdvancedCustomDrawItem = [this](TObject* s, TListItem* i, TCustomDrawState st, TCustomDrawStage sg,
                                           bool& dd) { lv1AdvancedCustomDrawItem(s, i, st, sg, dd); };

    spl1 = new TSplitter(this);
    spl1->SetName("spl1");
    spl1->SetParent(pnl2);
    spl1->SetAlign(alTop);
    spl1->SetHeight(3);  // a bar between the list and the tree, which takes the rest

    tv1 = new TTreeView(this);
    tv1->SetName("tv1");
    tv1->SetParent(pnl2);
    tv1->SetAlign(alClient);
    tv1->SetReadOnly(true);
    tv1->SetImages(ilCerts);
    tv1->SetPopupMenu(pm1);
    tv1->OnChange = [this](TObject* s, TTreeNode* n) { tv1Change(s, n); };
    tv1->OnAdvancedCustomDrawItem = [this](TObject* s, TTreeNode* n, TCustomDrawState st, TCustomDrawStage sg, bool& pi,
                                           bool& dd) { tv1AdvancedCustomDrawItem(s, n, st, sg, pi, dd); };

    spl2 = new TSplitter(this);
    spl2->SetName("spl2");
    spl2->SetParent(pnl1);
    spl2->SetAlign(alLeft);

    htmlvwrLite1 = new TWindowHtmlViewer(this);
    htmlvwrLite1->SetName("htmlvwrLite1");
    htmlvwrLite1->SetParent(pnl1);
    htmlvwrLite1->SetAlign(alClient);
    setupHtmlViewer(htmlvwrLite1);
    htmlvwrLite1->SetPopupMenu(pm2);
    htmlv33 = new TWindowHtmlViewer(this);
    htmlv33->SetName("htmlv33");
    htmlv33->SetParent(pnl1);
    setupHtmlViewer(htmlv33);
    htmlv33->SetVisible(false);

    dlgPrint1 = makePagePrintDialog(this, "dlgPrint1");
    dlgSave1 = makeHtmlSaveDialog(this, "dlgSave1");

    cmpstrg1 = new TCCompStorage(this);
    cmpstrg1->SetName("cmpstrg1");
    cmpstrg1->SetRegKey("Software\\Zoren\\ZI509");
    cmpstrg1->SetValueName("%FORMNAME%");
    cmpstrg1->GetStoredProps()->Add("pnl2.Width");
    cmpstrg1->GetStoredProps()->Add("lv1.Height");
    frmtrnsltr1 = new TCFormTranslator(this);
    frmtrnsltr1->SetName("frmtrnsltr1");
    frmtrnsltr1->SetDefLanguageID(1);
    frmtrnsltr1->SetPropsToChange("Caption,Hint,Items");

    setChain(chain);
    setHtmlViewerColor(htmlvwrLite1);
}

TChainViewForm::~TChainViewForm() = default;

void TChainViewForm::setChain(TCXCertsChain* chain) {
    FChain = chain;
    if (FChain)
        if (TZrX509* first = FChain->getFirst()) selectObjectRow(first);
    fillCertList();
}

TZrX509* TChainViewForm::selectedCertificate() const {
    TListItem* item = lv1->Selected();
    return item ? static_cast<TZrX509*>(item->Data()) : nullptr;
}

void TChainViewForm::fillCertList() {
    TZrX509* keep = selectedCertificate();
    if (keep && (!FChain || FChain->indexOf(keep) < 0)) keep = nullptr;
    if (!keep && FChain) keep = FChain->getFirst();
    if (!keep && FChain && !FChain->isEmpty()) keep = FChain->at(0);

    lv1->Items()->BeginUpdate();
    lv1->Items()->Clear();
    if (FChain) {
        for (int i = 0; i < FChain->count(); ++i) {
            TZrX509* cert = FChain->at(i);
            cert->setStatus(cert->computeStatus());
            const uint32_t flags = cert->keyFlags();
            TListItem* item = lv1->Items()->Add();
            item->SetCaption(zrxVisibleText(cert->ownerName().view()).c_str());
            const TZrX509Name* issuer = cert->getIssuer();
            item->SubItems()->Add(issuer ? issuer->getEntryByNid(kIssuerSerialNid).c_str() : "");
            item->SubItems()->Add(cert->getSerialStr().c_str());
            item->SubItems()->Add(certificateTypeText(flags));
            item->SubItems()->Add(dateTimeStr(cert->getNotBefore_time(), true).c_str());
            item->SubItems()->Add(dateTimeStr(cert->getNotAfter_time(), true).c_str());
            item->SetImageIndex(certificateImageIndex(flags));
            item->SetData(cert);
        }
    }
    lv1->Items()->EndUpdate();
    if (!FChain || FChain->isEmpty()) {
        tv1->Items()->Clear();
        return;
    }
    selectObjectRow(keep);
}

TListItem* TChainViewForm::findObjectRow(const TZrX509* cert) const {
    for (int i = 0; cert && i < lv1->Items()->Count(); ++i)
        if (lv1->Items()->Item(i)->Data() == cert) return lv1->Items()->Item(i);
    return nullptr;
}

void TChainViewForm::selectObjectRow(TZrX509* cert) {
    TListItem* item = findObjectRow(cert);
    if (!item) return;
    if (lv1->Selected() == item) {
        // Already selected: the selection event will not come again.
        fillChainTree(cert);
        showCertificate(cert);
    } else {
        lv1->SetSelected(item);
    }
    lv1->SetItemFocused(item);
    item->MakeVisible(false);
}

void TChainViewForm::lv1SelectItem(TObject*, TListItem* Item, bool Selected) {
    if (!Selected || !Item) return;
    auto* cert = static_cast<TZrX509*>(Item->Data());
    fillChainTree(cert);
    showCertificate(cert);
}

void TChainViewForm::tv1Change(TObject*, TTreeNode* Node) {
    if (Node && Node->Data()) showCertificate(static_cast<TZrX509*>(Node->Data()));
}

void TChainViewForm::fillChainTree(TZrX509* cert) {
    tv1->Items()->BeginUpdate();
    tv1->Items()->Clear();
    if (cert && FChain) {
        lbl1->SetCaption(("  " + zrnTranslateString("Цепочка сертификатов ключей владельца \"") +
                          zrxVisibleText(cert->ownerName().view()) + "\"")
                             .c_str());
        TTreeNode* parent = nullptr;
        TTreeNode* first = nullptr;
        for (TZrX509* c : chainSignerPath(*FChain, cert)) {
            const TCString text = parent ? c->shortText() : zrxVisibleText(c->ownerName().view());
            TTreeNode* node = tv1->Items()->AddChildObject(parent, text.c_str(), c);
            const int image = certificateImageIndex(c->keyFlags());
            node->SetImageIndex(image);
            node->SetSelectedIndex(image);
            if (!first) first = node;
            parent = node;
        }
        if (first) first->Expand(true);
    }
    tv1->Items()->EndUpdate();
}

void TChainViewForm::showCertificate(TZrX509* cert) {
    if (!cert) return;
    TCString html;
    cert->htmlView(html, 0);
    htmlvwrLite1->LoadFromString(html.toUtf16(), u"", HTMLType);
    FHistory.add(html);
    // The print copy is rendered into an emptied text, so it holds the print form alone.
    html.clear();
    cert->htmlView(html, 1);
    htmlv33->LoadFromString(html.toUtf16(), u"", HTMLType);
}

void TChainViewForm::setChainFileName(const char* name) {
    FChainFileName = name ? name : "";
    SetCaption((zrnTranslateString("Цепочка сертификатов") + " \"" + FChainFileName.c_str() + "\"").c_str());
}

bool TChainViewForm::loadChainFile(const char* name) {
    if (!FChain) return false;
    // Read into a copy, so that a file that does not read leaves the chain as it was.
    TCXCertsChain loaded;
    if (isFailure(loaded.readP7(name))) {
        errorBox(TCFString(zrnTranslateString("Ошибка чтения цепочки из файла \"%s\"!").c_str(), name));
        return false;
    }
    // The rows point into the chain: they go before its certificates do.
    lv1->Items()->Clear();
    tv1->Items()->Clear();
    *FChain = std::move(loaded);
    setChainFileName(name);
    setChain(FChain);
    return true;
}

bool TChainViewForm::saveChainFile(const char* name) {
    if (!FChain || isFailure(FChain->writeP7(name, false))) {
        errorBox(TCFString(zrnTranslateString("Ошибка записи цепочки в файл \"%s\"!").c_str(), name));
        return false;
    }
    setChainFileName(name);
    return true;
}

bool TChainViewForm::saveChainAs() {
    TCString name(FChainFileName.c_str());
    if (!saveFileDialog(name, zrnTranslateString("Сохранение цепочки сертификатов").c_str(),
                        zrnTranslateString("Файлы цепочек(*.p7b)|*.p7b|Все файлы|*.*").c_str(), "p7b"))
        return false;
    return saveChainFile(name.c_str());
}

bool TChainViewForm::verifyCertificate(TZrX509* cert) {
    if (!cert || !FChain) return false;
    const KResult r = FChain->verifyCert(*cert, nullptr, nullptr);
    if (!isFailure(r)) {
        messageDlg(
            TCFString(zrnTranslateString("Цепочка сертификатов ключей владельца \"%s\" проверена успешно.").c_str(),
                      cert->ownerName().c_str()),
            mtInformation, mbSet(mbOK));
        return true;
    }
    errorBox(TCFString(zrnTranslateString("Проверка цепочки сертификата ключей владельца \"%s\"!\n %s!").c_str(),
                       cert->ownerName().c_str(), KRTL_GetTextMessage(r).c_str()));
    return false;
}

bool TChainViewForm::verifyChain() {
    if (!FChain) return false;
    int pos = 1;
    const KResult r = FChain->verify(&pos, nullptr, nullptr);
    if (!isFailure(r)) return true;
    errorBox(TCFString(zrnTranslateString("Проверка %d-того сертификата цепочки !\n %s!").c_str(), pos,
                       KRTL_GetTextMessage(r).c_str()));
    return false;
}

void TChainViewForm::actOkExecute(TObject*) {
    SetModalResult(mrOk);
    if (!verifyChain()) SetModalResult(mrNone);
}

void TChainViewForm::actOkUpdate(TObject*) { actOk->SetEnabled(FChain && FChain->count() > 0); }

void TChainViewForm::actCancelExecute(TObject*) { SetModalResult(mrCancel); }

void TChainViewForm::actLoadExecute(TObject*) {
    TCString name(FChainFileName.c_str());
    if (!openFileDialog(
            name, zrnTranslateString("Загрузка цепочки сертификатов").c_str(),
            zrnTranslateString("Файлы цепочек(*.p7b)|*.p7b|PEM-файлы цепочек(*.pem)|*.pem|Все файлы|*.*").c_str(),
            "p7b"))
        return;
    loadChainFile(name.c_str());
}

void TChainViewForm::actAddExecute(TObject*) {
    if (!FChain) return;
    TZrX509 cert;
    if (!loadCertificateFile(zrnTranslateString("Загрузка первого сертификата цепочки").c_str(), cert, true)) return;
    lv1->Items()->Clear();
    tv1->Items()->Clear();
    FChain->load(cert, nullptr, nullptr);
    // The chain built from the certificate is shown at once.
    setChain(FChain);
}

void TChainViewForm::actAddUpdate(TObject*) { actAdd->SetEnabled(FChain && FChain->isEmpty()); }

void TChainViewForm::actSaveExecute(TObject*) { saveChainAs(); }

void TChainViewForm::actSaveUpdate(TObject*) { actSave->SetEnabled(FChain && !FChain->isEmpty()); }

void TChainViewForm::actSaveCrtExecute(TObject*) {
    if (TZrX509* cert = selectedCertificate()) saveCertificateFile(*cert);
}

void TChainViewForm::actSaveCrtUpdate(TObject*) { actSaveCrt->SetEnabled(lv1->Selected() != nullptr); }

void TChainViewForm::actPrintExecute(TObject*) {
    dlgPrint1->PrintRange = prAllPages;
    if (!dlgPrint1->Execute()) return;
    if (dlgPrint1->PrintRange == prPageNums) htmlv33->Print(dlgPrint1->FromPage, dlgPrint1->ToPage, nullptr);
    else htmlv33->Print(kPrintFirstPage, kPrintLastPage, nullptr);
}

void TChainViewForm::actPrintUpdate(TObject*) { actPrint->SetEnabled(lv1->Selected() != nullptr); }

void TChainViewForm::actSaveHTMLExecute(TObject*) {
    for (;;) {
        if (!dlgSave1->Execute()) return;
        const String name = dlgSave1->FileName();
        if (FHistory.saveToFile(name.c_str()) == FHistory.count()) return;
        // A failed write is said, and the dialog is offered again.
        errorBox(TCFString(zrnTranslateString("Ошибка записи в файл \"%s\"!").c_str(), name.c_str()));
    }
}

void TChainViewForm::actSaveHTMLUpdate(TObject*) { actSaveHTML->SetEnabled(lv1->Selected() != nullptr); }

void TChainViewForm::actVerifyExecute(TObject*) {
    if (TZrX509* cert = selectedCertificate()) verifyCertificate(cert);
}

void TChainViewForm::actVerifyUpdate(TObject*) { actVerify->SetEnabled(lv1->Selected() != nullptr); }

void TChainViewForm::lv1AdvancedCustomDrawItem(TObject*, TListItem* Item, TCustomDrawState State,
                                               TCustomDrawStage Stage, bool&) {
    if (Stage != cdPrePaint || !Item || !Item->Data()) return;
    const auto* cert = static_cast<const TZrX509*>(Item->Data());
    const TChainRowColors c = chainRowColors(cert->keyFlags(), cert->status(), (State & cdsSelected) != 0);
    if (c.background != clNone) lv1->Canvas()->Brush()->SetColor(c.background);
    if (c.text != clNone) lv1->Canvas()->Font()->SetColor(c.text);
}

void TChainViewForm::tv1AdvancedCustomDrawItem(TObject*, TTreeNode*, TCustomDrawState State, TCustomDrawStage Stage,
                                               bool&, bool&) {
    if (Stage == cdPrePaint && (State & cdsSelected) && !tv1->Focused())
        tv1->Canvas()->Brush()->SetColor(kSelectionBackground);
}

void TChainViewForm::mniN32Click(TObject*) { showProgramAboutBox(); }

void TChainViewForm::setMode(bool readOnly, bool confirm) {
    const bool editing = !readOnly && !confirm;
    actOk->SetVisible(!readOnly && confirm);
    for (TAction* a : {actLoad, actAdd, actSave, actSaveCrt}) a->SetVisible(editing);
    if (readOnly || editing) {
        actCancel->SetCaption(zrnTranslateString("Закрыть").c_str());
        actCancel->SetHint(zrnTranslateString("Закрыть окно").c_str());
    }
    removeDoubleSeparators(tlb1);
    actlst1->UpdateActions();
}

int viewCertsChain(TCXCertsChain* chain) {
    auto* form = CreateComponent<TChainViewForm>(Application, chain);
    return ShowModalAndFree(form, [&] { form->setMode(true, false); });
}

bool execCertsChainDialog(TCXCertsChain* chain, bool confirm) {
    auto* form = CreateComponent<TChainViewForm>(Application, chain);
    return ShowModalAndFree(form, [&] { form->setMode(false, confirm); }) == mrOk;
}
