#include "app/containers/ViewPrivatesFrame.h"

#include <algorithm>
#include <cctype>

#include "dialogs/AppServices.h"
#include "views/CertChainViewForm.h"
#include "locations/ContainerPrompt.h"
#include "app/containers/CtxListsViewFrame.h"
#include "locations/CtxPromptFrame.h"
#include "dialogs/LogGrabView.h"
#include "dialogs/LogGrabber.h"
#include "dialogs/MessageView.h"
#include "dialogs/NewPasswordDlg.h"
#include "components/ResImageList.h"
#include "components/ResImageStrips.h"
#include "platform/core/container/ContainerCodes.h"
#include "platform/core/x509/CertsChain.h"
#include "platform/core/x509/ZrX509Name.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/SecretString.h"
#include "platform/runtime/TCFlags.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/Utf16.h"
#include "views/HtmlViewSetup.h"
#include "views/HtmlViewerColor.h"
#include "dialogs/FileDialogs.h"
#include "views/ObjectFiles.h"

static_assert(kExportCertificateImage == kBarExportCertificateImage && kExportRequestImage == kBarExportRequestImage,
              "the export pictures are where the main tool-bar strip draws them");

namespace {
constexpr uint32_t kLogGrabInformation = 17;

// The extension of a file name, lower-cased, with its dot ("" without one).
std::string lowerExtension(const char* fileName) {
    const std::string name = fileName ? fileName : "";
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

void wipe(TCString& secret) {
    secretWipe(secret.data(), secret.length());
    secret.clear();
}
}  // namespace

IMPLEMENT_CLASS(TViewPrivatesFrame, TFrame) {}

TToolButton* TViewPrivatesFrame::addToolButton(const char* name, TAction* action, bool separator) {
    auto* b = new TToolButton(this);
    b->SetName(name);
    b->SetParent(tlb1);
    if (separator) b->SetStyle(tbsSeparator);
    else if (action) b->SetAction(action);
    return b;
}

TMenuItem* TViewPrivatesFrame::addMenuItem(TMenuItem* parent, const char* name, TAction* action, const char* caption) {
    auto* mi = new TMenuItem(this);
    if (name && *name) mi->SetName(name);
    if (action) mi->SetAction(action);
    else mi->SetCaption(caption ? caption : "-");
    parent->Add(mi);
    return mi;
}

TViewPrivatesFrame::TViewPrivatesFrame(TComponent* AOwner) : TFrame(AOwner) {
    SetName("ViewPrivatesFrame");
    ActionList1 = new TActionList(this);
    ActionList1->SetName("ActionList1");
    using F = TViewPrivatesFrame;
    auto bind = [this](void (F::*m)(TObject*)) -> std::function<void(TObject*)> {
        if (!m) return nullptr;
        return [this, m](TObject* s) { (this->*m)(s); };
    };
    actClose = makeAction(ActionList1, "actClose", "Выход", "Закрыть окно", bind(&F::actCloseExecute));
    actCreate = makeAction(ActionList1, "actCreate", "Создать", nullptr, nullptr);
    actLoad = makeAction(ActionList1, "actLoad", "Открыть", "Открыть новый контейнер", bind(&F::actLoadExecute));
    actSave =
        makeAction(ActionList1, "actSave", "Сохранить как", nullptr, bind(&F::actSaveExecute), bind(&F::actSaveUpdate));
    actChagePassword = makeAction(ActionList1, "actChagePassword", "Сменить пароль", nullptr,
                                  bind(&F::actChagePasswordExecute), bind(&F::actChagePasswordUpdate));
    actExportX509 = makeAction(ActionList1, "actExportX509", "Сохранить запрос", nullptr,
                               bind(&F::actExportX509Execute), bind(&F::actExportX509Update));
    actToReq = makeAction(ActionList1, "actToReq", "Преобразовать сертификат в запрос", nullptr,
                          bind(&F::actToReqExecute), bind(&F::actToReqUpdate));
    actImportSelfCertificate =
        makeAction(ActionList1, "actImportSelfCertificate", "Зарегистрировать свой сертификат", nullptr,
                   bind(&F::actImportSelfCertificateExecute), bind(&F::actImportSelfCertificateUpdate));
    actAddCert = makeAction(ActionList1, "actAddCert", "Зарегистрировать сертификат", nullptr,
                            bind(&F::actAddCertExecute), bind(&F::actAddCertUpdate));
    actDelete =
        makeAction(ActionList1, "actDelete", "Удалить", nullptr, bind(&F::actDeleteExecute), bind(&F::actDeleteUpdate));
    SaveHTMLAction = makeAction(ActionList1, "SaveHTMLAction", "Сохранить в HTML", nullptr,
                                bind(&F::SaveHTMLActionExecute), bind(&F::SaveHTMLActionUpdate));
    PrintAction = makeAction(ActionList1, "PrintAction", "Печатать", nullptr, bind(&F::PrintActionExecute),
                             bind(&F::PrintActionUpdate));
    // The commands' pictures in the main tool-bar strip.
    actClose->SetImageIndex(kBarExitImage);
    actCreate->SetImageIndex(kBarCreateImage);
    actLoad->SetImageIndex(kBarOpenImage);
    actSave->SetImageIndex(kBarSaveImage);
    actExportX509->SetImageIndex(kExportRequestImage);
    actImportSelfCertificate->SetImageIndex(kBarCertificateImage);
    actAddCert->SetImageIndex(kBarCertificateImage);
    actDelete->SetImageIndex(kBarDeleteImage);
    PrintAction->SetImageIndex(kBarPrintImage);

    rsmglst1 = new TResImageList(this);
    rsmglst1->SetName("rsmglst1");
    rsmglst1->SetPixelFormat(pf8bit);
    rsmglst1->LoadFromResource("BMP_RootCaMainToolBar");
    rsmglst2 = new TResImageList(this);
    rsmglst2->SetName("rsmglst2");
    rsmglst2->SetPixelFormat(pf8bit);
    rsmglst2->LoadFromResource("BMP_RootCaMainToolBar_bl");

    tlb1 = new TToolBar(this);
    tlb1->SetName("tlb1");
    tlb1->SetParent(this);
    tlb1->SetAlign(alTop);
    tlb1->SetShowCaptions(true);
    tlb1->SetButtonWidth(150);
    tlb1->SetImages(rsmglst1);
    tlb1->SetDisabledImages(rsmglst2);
    btnClose = addToolButton("btnClose", actClose);
    btn1 = addToolButton("btn1", nullptr, true);
    btnCreate = addToolButton("btnCreate", actCreate);
    btnCreate->SetVisible(false);
    btnLoad = addToolButton("btnLoad", actLoad);
    btnSave = addToolButton("btnSave", actSave);
    btnExportX509 = addToolButton("btnExportX509", actExportX509);
    btn4 = addToolButton("btn4", nullptr, true);
    btnPrint = addToolButton("btnPrint", PrintAction);
    btn2 = addToolButton("btn2", nullptr, true);
    btn2->SetVisible(false);
    btnDelete = addToolButton("btnDelete", actDelete);
    // The window shows the bar once it has taken it over.
    tlb1->SetVisible(false);

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    addMenuItem(PopupMenu1->Items(), "", PrintAction);
    addMenuItem(PopupMenu1->Items(), "", nullptr);
    addMenuItem(PopupMenu1->Items(), "", SaveHTMLAction);
    addMenuItem(PopupMenu1->Items(), "", nullptr);
    addMenuItem(PopupMenu1->Items(), "", actSave);

    mm1 = new TMainMenu(this);
    mm1->SetName("mm1");
    ContainerMI = addMenuItem(mm1->Items(), "ContainerMI", nullptr, "Контейнер");
    addMenuItem(ContainerMI, "", actLoad);
    addMenuItem(ContainerMI, "", actSave);
    addMenuItem(ContainerMI, "", nullptr);
    actChagePassword1 = addMenuItem(ContainerMI, "actChagePassword1", actChagePassword);
    addMenuItem(ContainerMI, "", nullptr);
    N11 = addMenuItem(ContainerMI, "N11", actExportX509);
    addMenuItem(ContainerMI, "", actToReq);
    N17 = addMenuItem(ContainerMI, "N17", actImportSelfCertificate);
    addMenuItem(ContainerMI, "", nullptr);
    addMenuItem(ContainerMI, "", actAddCert);
    N20 = addMenuItem(ContainerMI, "N20", nullptr, "Зарегистрировать цепочку");
    N20->SetHint("Зарегистрировать цепочку|Зарегистрировать цепочку сертификатов, сохраненную в файле ");
    N20->SetVisible(false);
    addMenuItem(ContainerMI, "", nullptr);
    addMenuItem(ContainerMI, "", actDelete);
    addMenuItem(ContainerMI, "", nullptr);
    addMenuItem(ContainerMI, "", actClose);
    ViewMI = addMenuItem(mm1->Items(), "ViewMI", nullptr, "Просмотр");
    addMenuItem(ViewMI, "", SaveHTMLAction);
    addMenuItem(ViewMI, "", nullptr);
    addMenuItem(ViewMI, "", PrintAction);

    pgc1 = new TPageControl(this);
    pgc1->SetName("pgc1");
    pgc1->SetParent(this);
    pgc1->SetAlign(alClient);
    pgc1->SetTabPosition(tpBottom);
    pgc1->OnChange = [this](TObject* s) { pgc1Change(s); };
    TTabSheet** sheets[] = {&ts1, &ts2, &ts3, &ts4};
    for (int i = 0; i < 4; ++i) {
        TTabSheet* ts = *sheets[i] = new TTabSheet(this);
        ts->SetName(("ts" + std::to_string(i + 1)).c_str());
        ts->SetPageControl(pgc1);
    }
    // The viewers of the pages and the one for printing are made when they
    // are first needed (pageViewer, printViewer): a start shows no object.

    dlgSave1 = makeHtmlSaveDialog(this, "dlgSave1");
    PrintDialog = makePagePrintDialog(this, "PrintDialog");

    SetAlign(alClient);
    container = &ownContainer;
    SetName("");
    captionFormat = "Работа с ключевым контейнером  владельца \"%s\"";
    actToReq->SetVisible(true);
    actImportSelfCertificate->SetVisible(true);
}

TViewPrivatesFrame::~TViewPrivatesFrame() {
    // The window has put the tool bar on itself: it goes with the frame.
    delete tlb1;
    tlb1 = nullptr;
}

// ---- the pages

TZrX509Base* TViewPrivatesFrame::pageObject(TTabSheet* page) const {
    if (!page || !page->TabVisible()) return nullptr;
    auto* viewer = reinterpret_cast<TWindowHtmlViewer*>(page->Tag());
    return viewer ? reinterpret_cast<TZrX509Base*>(viewer->Tag()) : nullptr;
}

TZrX509Base* TViewPrivatesFrame::currentObject() const {
    if (listsFrame && listsFrame->treePageActive == 1) return listsFrame->selectedObject;
    if (pgc1->Visible()) return pageObject(pgc1->ActivePage());
    return nullptr;
}

bool TViewPrivatesFrame::isTabsMode() const { return !(listsFrame && listsFrame->treePageActive); }

TCString TViewPrivatesFrame::captionFor(const TCString& owner) const {
    // The whole name, as the pages show it.
    return TCFString(tr(captionFormat).c_str(), zrxVisibleText(owner.view()).c_str());
}

TWindowHtmlViewer* TViewPrivatesFrame::pageViewer(TTabSheet* page) {
    TTabSheet* const sheets[] = {ts1, ts2, ts3, ts4};
    TWindowHtmlViewer** const viewers[] = {&htmlvwr1, &htmlvwr2, &htmlvwr3, &htmlvwr4};
    for (int i = 0; i < 4; ++i) {
        if (sheets[i] != page) continue;
        TWindowHtmlViewer*& v = *viewers[i];
        if (!v) {
            v = new TWindowHtmlViewer(this);
            v->SetName(("htmlvwr" + std::to_string(i + 1)).c_str());
            v->SetParent(page);
            v->SetAlign(alClient);
            setupHtmlViewer(v);
            v->SetPopupMenu(PopupMenu1);
            setHtmlViewerColor(v);
        }
        return v;
    }
    return nullptr;
}

TWindowHtmlViewer* TViewPrivatesFrame::printViewer() {
    if (!htmlv33) {
        htmlv33 = new TWindowHtmlViewer(this);
        htmlv33->SetName("htmlv33");
        htmlv33->SetParent(ts2);
        setupHtmlViewer(htmlv33);
        htmlv33->SetVisible(false);
    }
    return htmlv33;
}

void TViewPrivatesFrame::forgetShownObjects() {
    for (TWindowHtmlViewer* v : {htmlvwr1, htmlvwr2, htmlvwr3, htmlvwr4})
        if (v) v->SetTag(0);
}

void TViewPrivatesFrame::showObjectPage(TZrX509Base* object, TTabSheet* page, bool next) {
    if (!object) {
        // The viewer must not keep an object that may be gone after this refresh.
        if (auto* viewer = reinterpret_cast<TWindowHtmlViewer*>(page->Tag())) viewer->SetTag(0);
        page->SetTabVisible(false);
        return;
    }
    TWindowHtmlViewer* viewer = pageViewer(page);
    page->SetTag(reinterpret_cast<intptr_t>(viewer));
    const char* title = "Действующий сертификат";
    if (next) {
        title = object->getClass() == zcRequest ? "Запрос на сертификат" : "Очередной сертификат";
    } else if (auto* cert = dynamic_cast<TZrX509*>(object); cert && cert->checkDate() < 0) {
        title = "Окончивший действие сертификат";
    }
    const TCString kind = object->getKindDescirption(false);
    page->SetCaption(
        TCFString("%s %s%s", tr(title).c_str(), kind.isEmpty() ? "" : tr("ключа").c_str(), kind.c_str()).c_str());
    page->SetTabVisible(true);
    TCString html;
    html.str().reserve(0x8000);
    object->htmlView(html, zhScreen);
    viewer->LoadFromString(html.toUtf16(), u"", HTMLType);
    viewer->SetTag(reinterpret_cast<intptr_t>(object));
    pgc1->SetActivePage(page);
}

void TViewPrivatesFrame::refresh() {
    TCBaseUserKeysContext* ctx = container ? container->container() : nullptr;
    activeCertificate = nextCertificate = keyAgreementObject = nextKeyAgreementObject = nullptr;
    if (!ctx || ctx->isEmpty()) {
        forgetShownObjects();
        pgc1->SetVisible(false);
        updateToolbar();
        return;
    }
    shownUpdateTime = ctx->updateTime();
    refreshLists();
    const TCString caption = captionFor(container->commonName());
    if (TCustomForm* form = ParentForm(); form && form != static_cast<TControl*>(this))
        form->SetCaption(caption.c_str());
    if (Application) Application->SetTitle(caption.c_str());
    pgc1->SetVisible(true);
    if (TCCertBuff* b = ctx->getSelfActCrtBuff()) activeCertificate = b->object();
    if (TCCertBuff* b = ctx->getSelfNewCrtBuff()) nextCertificate = b->object();
    else if (TZrX509ReqCtx* r = ctx->getSelfReqBuff()) nextCertificate = r->request();
    keyAgreementObject = ctx->findEncodeKeyX509Object(false);
    nextKeyAgreementObject = ctx->findEncodeKeyX509Object(true);
    if (!activeCertificate && !nextCertificate && !keyAgreementObject && !nextKeyAgreementObject) {
        activeCertificate = container->getPrevX509Object();
        if (!activeCertificate) {
            forgetShownObjects();
            pgc1->SetVisible(false);
            return;
        }
    }
    showObjectPage(nextKeyAgreementObject, ts4, true);
    showObjectPage(nextCertificate, ts3, true);
    showObjectPage(keyAgreementObject, ts2, false);
    showObjectPage(activeCertificate, ts1, false);
    updateToolbar();
}

void TViewPrivatesFrame::showContainer(TZrX509Csp* csp, bool onlyIfChanged) {
    if (csp && csp != container) container = csp;
    if (!onlyIfChanged) refresh();
    else if (csp && csp->container()->updateTime() != shownUpdateTime) refresh();
    if (listsFrame) listsFrame->setContent(container ? container->container() : nullptr);
}

void TViewPrivatesFrame::refreshLists() {
    if (listsFrame) listsFrame->rebuildTree();
}

bool TViewPrivatesFrame::reopen() {
    if (!container) return false;
    return !isFailure(openContainer());
}

KResult TViewPrivatesFrame::openContainer() {
    KResult rc;
    {
        // The password lives only while the container loads.
        TCSecretString password;
        rc = loadContainer("", *container, &password);
        password.wipe();
    }
    if (rc == kOpenCancelled) return rc;
    if (listsFrame) listsFrame->setContent(nullptr);
    if (isFailure(rc)) {
        // A failed load leaves the container that was open as it was: the
        // frame goes on showing it (or nothing), with the commands to match.
        refresh();
        if (listsFrame) listsFrame->setContent(container->empty() ? nullptr : container->container());
        return rc;
    }
    if (TZrX509* next = container->getSelfNewCrt()) {
        const TCString owner = next->ownerName();
        if (container->ZrX_ActivateDefaultNewKeys(true) == kNewKeysActivated)
            messageDlg(
                TCFString(tr("Очередные ключи владельца \"%s\" успешно введены в действие.").c_str(), owner.c_str()),
                mtInformation, mbSet(mbOK));
    }
    refresh();
    if (listsFrame) listsFrame->setContent(container->container());
    if (container->container()->isFile() == 1) {
        actChagePassword->SetCaption(tr("Сменить пароль контейнера").c_str());
        actChagePassword->SetHint(tr("Сменить пароль|Сменить пароль шифрования контейнера").c_str());
    } else {
        actChagePassword->SetCaption(tr("Сменить пароль токена").c_str());
        actChagePassword->SetHint(tr("Сменить пароль токена").c_str());
    }
    return rc;
}

void TViewPrivatesFrame::setListsFrame(TCtxListsViewFrame* frame) {
    if (frame == listsFrame) return;
    listsFrame = frame;
    if (!frame) return;
    frame->saveMI->SetAction(actExportX509);
    frame->deleteMI->SetAction(actDelete);
    frame->tv1->OnChange = [this](TObject* s, TTreeNode* n) { listsTreeChange(s, n); };
    for (TMenuItem* mi : {frame->statusMI, frame->addEncodeMI, frame->ChangeMI, frame->ActLockMI})
        mi->SetVisible(false);
}

void TViewPrivatesFrame::listsTreeChange(TObject* Sender, TTreeNode* Node) {
    if (!listsFrame) return;
    listsFrame->tv1Change(Sender, Node);
    updateToolbar();
}

void TViewPrivatesFrame::updateActions() {
    actDelete->SetVisible(!isTabsMode());
    btnLoad->SetVisible(isTabsMode());
    btnSave->SetVisible(isTabsMode());
    if (TZrX509Base* object = currentObject()) setExportCaption(object);
}

void TViewPrivatesFrame::updateToolbar() {
    updateActions();
    removeDoubleSeparators(tlb1);
}

void TViewPrivatesFrame::setExportCaption(TZrX509Base* object) {
    const bool certificate = object && object->getClass() == zcCertificate;
    const TCString caption = TCFString(tr("Сохранить %s").c_str(), tr(certificate ? "сертификат" : "запрос").c_str());
    actExportX509->SetCaption(caption.c_str());
    actExportX509->SetHint(TCFString(tr("%s в файл").c_str(), caption.c_str()).c_str());
    actExportX509->SetImageIndex(certificate ? kExportCertificateImage : kExportRequestImage);
}

void TViewPrivatesFrame::pgc1Change(TObject*) { updateToolbar(); }

void TViewPrivatesFrame::htmlvwr2KeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift) {
    if (!(Shift & ssCtrl) || (Key != 'C' && Key != VK_INSERT)) return;
    if (auto* v = dynamic_cast<TWindowHtmlViewer*>(Sender)) v->CopyToClipboard();
}

// ---- saving and passwords

void TViewPrivatesFrame::actSaveUpdate(TObject*) {
    bool enabled = false;
    if (container && !container->empty()) {
        const TCBaseUserKeysContext* ctx = container->container();
        enabled = (copyToken || ctx->isFile() == 1) && !ctx->copyDenied();
    }
    actSave->SetEnabled(enabled);
}

bool TViewPrivatesFrame::saveContainerAs() {
    if (!container || container->empty()) return false;
    // The location first; the new password then comes twice through the
    // new-password dialog, so that a typing slip cannot lock the copy.
    TCString location, cleanOnCommit;
    if (!promptContainer(tr("Запись контейнера").c_str(), location, nullptr, TCFlags<unsigned int>(1), nullptr, nullptr,
                         &cleanOnCommit))
        return false;
    TCString password;
    if (execNewPassword(password, tr("Введите новый пароль").c_str()) != 0) return false;
    KResult rc = cleanStorageAtCommit(cleanOnCommit.c_str(), password.c_str());
    if (!isFailure(rc)) rc = container->saveAs(location.c_str(), password.c_str());
    wipe(password);
    if (isFailure(rc))
        kvdShowErrorLibMessage(nullptr, rc, 0, tr("Запись контейнера в \"%s\"").c_str(), location.c_str());
    refresh();
    if (listsFrame) listsFrame->setContent(container->container());
    return !isFailure(rc);
}

void TViewPrivatesFrame::actSaveExecute(TObject*) { saveContainerAs(); }

void TViewPrivatesFrame::actChagePasswordUpdate(TObject*) {
    // The item follows its action, so both carry the state.
    const bool enabled = container && !container->container()->isEmpty();
    actChagePassword->SetEnabled(enabled);
    actChagePassword1->SetEnabled(enabled);
}

bool TViewPrivatesFrame::changePassword() {
    if (!container || container->container()->isEmpty()) return false;
    TCString password;
    if (execNewPassword(password, tr("Введите новый пароль").c_str()) != 0) return false;
    TCBaseUserKeysContext* ctx = container->container();
    const bool file = ctx->isFile() == 1;
    const TCString location = ctx->fileName();
    KResult rc;
    if (file) {
        rc = ctx->changePassword(ctx->dp(), password.c_str(), 0);
        if (!isFailure(rc)) rc = ctx->save(location.c_str(), password.c_str());
    } else {
        rc = ctx->checkChangeDevPassword(location.c_str(), password.c_str());
    }
    wipe(password);
    if (isFailure(rc)) {
        kvdShowErrorLibMessage(nullptr, rc, 0, "%s",
                               tr(file ? "Смена пароля контейнера." : "Смена пароля токена.").c_str());
        return false;
    }
    messageDlg(tr(file ? "Пароль контейнера сменен успешно" : "Пароль токена сменен успешно"), mtInformation,
               mbSet(mbOK));
    return true;
}

void TViewPrivatesFrame::actChagePasswordExecute(TObject*) { changePassword(); }

// ---- objects to files

void TViewPrivatesFrame::actExportX509Update(TObject*) {
    const bool any = currentObject() != nullptr;
    actExportX509->SetEnabled(any);
    PrintAction->SetEnabled(any);
}

void TViewPrivatesFrame::saveCurrentObject() {
    TZrX509Base* object = currentObject();
    if (!object) return;
    if (object->getClass() == zcCertificate) saveCertificateFile(*static_cast<TZrX509*>(object));
    else if (object->getClass() == zcRequest) saveRequestFile(*static_cast<TZrX509Req*>(object));
}

void TViewPrivatesFrame::actExportX509Execute(TObject*) { saveCurrentObject(); }

void TViewPrivatesFrame::actToReqUpdate(TObject*) {
    TZrX509Base* object = currentObject();
    actToReq->SetEnabled(object && object->getClass() == zcCertificate);
}

bool TViewPrivatesFrame::certificateToRequest() {
    TZrX509Base* object = currentObject();
    if (!object || object->getClass() != zcCertificate) return false;
    const auto& cert = *static_cast<TZrX509*>(object);
    // Signed with the certificate's own key when the container holds it.
    zrx::crypto::PkeyPtr key;
    if (container)
        if (TCPrivateEVPKey* pk = container->container()->findPrivateKeyOf(cert))
            key = container->container()->signingKey(pk);
    TZrX509Req req;
    const KResult rc = req.fromExistX509(cert, "zorenUID;zorenProfileID", nullptr, key.get());
    if (isFailure(rc)) {
        kvdShowErrorLibMessage(nullptr, rc, 0, "%s", tr("Формирование PKCS#10-запроса").c_str());
        return false;
    }
    if (viewObjectWithOwner(&req, true, tr("Формирование").c_str()) != mrOk) return false;
    if (!saveRequestFile(req)) return false;
    const TCString text =
        TCFString(tr("На основе действующего сертификата ключей владельца \"%s\" сформирован PKCS#10-запрос для "
                     "последующей перерегистрации")
                      .c_str(),
                  req.ownerName().c_str());
    KV_HLogFmtText(1, "%s", text.c_str());
    messageDlg(text, mtInformation, mbSet(mbOK));
    return true;
}

void TViewPrivatesFrame::actToReqExecute(TObject*) { certificateToRequest(); }

// ---- registering certificates

void TViewPrivatesFrame::actImportSelfCertificateUpdate(TObject*) {
    actImportSelfCertificate->SetEnabled(container && !container->empty());
}

void TViewPrivatesFrame::actAddCertUpdate(TObject*) { actAddCert->SetEnabled(container && !container->empty()); }

bool TViewPrivatesFrame::receiveCertificate() {
    if (!container || container->empty()) return false;
    TCSortedStringList ids;
    container->container()->getPrivatesKeysIDList(ids, 3);
    const TCString title =
        TCFString(tr("Загрузка сертификата ключей владельца \"%s\"").c_str(), container->commonName().c_str());
    return registerFromFile(title.c_str(), &ids);
}

void TViewPrivatesFrame::actImportSelfCertificateExecute(TObject*) { receiveCertificate(); }

void TViewPrivatesFrame::actAddCertExecute(TObject*) {
    registerFromFile(tr("Регистрация сертификата из файла").c_str(), nullptr);
}

bool TViewPrivatesFrame::registerFromFile(const char* title, const TCStringList* keyIds) {
    const bool chains = keyIds && keyIds->count() > 1;
    const TCString filter = tr(chains ? "Файлы цепочек сертификатов (*.p7b)|*.p7b|Файлы сертификатов (*.crt)|*.crt|"
                                        "Файлы сертификатов (*.cer)|*.cer|Все файлы|*.*"
                                      : "Файлы сертификатов(crt)|*.crt|Файлы цепочек сертификатов(p7b)|*.p7b|"
                                        "Файлы сертификатов(cer)|*.cer|Все файлы|*.*");
    TCString name;
    if (!openFileDialog(name, title, filter.c_str(), chains ? "p7b" : "crt")) return false;
    if (lowerExtension(name.c_str()) == ".p7b") return registerChainFile(name.c_str(), keyIds);
    return registerCertificateFile(name.c_str(), keyIds);
}

bool TViewPrivatesFrame::registerCertificateFile(const char* fileName, const TCStringList* keyIds) {
    TZrX509 cert;
    if (!cert.loadFromFile(fileName)) {
        KRTL_ShowErrorMessage(nullptr, uint32_t(-1), 0,
                              tr("Ошибка загрузки сертификата ключей из файла \"%s\"").c_str(), fileName);
        return false;
    }
    if (viewObjectWithOwner(&cert, true, tr("Регистрация").c_str()) != mrOk) return false;
    if (keyIds && keyIds->find(cert.getKeyIDStr(), true) < 0) {
        messageDlg(tr("Загруженный сертификат не соответствует ни одному личному ключу, хранящемуся в контейнере!"),
                   mtError, mbSet(mbOK));
        return false;
    }
    TCXCertsChain chain;
    if (!buildChain(cert, chain)) return false;
    return registerChain(chain);
}

bool TViewPrivatesFrame::registerChainFile(const char* fileName, const TCStringList* keyIds) {
    TCXCertsChain chain;
    if (isFailure(chain.readP7(fileName))) {
        KRTL_ShowErrorMessage(nullptr, uint32_t(-1), 0,
                              tr("Ошибка загрузки цепочки сертификатов ключей из файла \"%s\"").c_str(), fileName);
        return false;
    }
    if (!execCertsChainDialog(&chain, true)) return false;
    if (keyIds && !chain.containsAnyCert(*keyIds)) {
        messageDlg(tr("Загруженная цепочка не содержит ни одного сертификата, который бы соответствовал личным "
                      "ключам, хранящимся в контейнере!"),
                   mtError, mbSet(mbOK));
        return false;
    }
    return registerChain(chain);
}

bool TViewPrivatesFrame::buildChain(const TZrX509& cert, TCXCertsChain& chain) {
    int index = chain.add(cert, 1);
    if (index < 0) return false;
    for (int depth = 0; depth < kMaxChainDepth; ++depth) {
        TZrX509* current = chain.at(index);
        const TCASN1OctetString issuerId = current->getAuthKeyID();
        // A certificate that names itself as its issuer ends the chain: it is
        // as far up as the chain can go.
        if (issuerId.isEmpty() || issuerId == current->keyID() || current->isSelfSigned()) return true;
        // An issuer already in the chain (certificates certifying each other) ends it too.
        if (chain.byKeyID(issuerId)) return true;
        TZrX509* stored = container ? container->container()->findCert(issuerId) : nullptr;
        TZrX509 loaded;
        if (!stored) {
            if (!loadIssuerCertificate(this, loaded, *current)) return false;
            stored = &loaded;
        }
        const int before = chain.count();
        index = chain.add(*stored, 1);
        if (index < 0) return false;
        if (stored->isRootCA() || chain.count() == before) return true;
    }
    return true;
}

bool TViewPrivatesFrame::loadIssuerCertificate(TComponent*, TZrX509& issuer, const TZrX509& cert) {
    for (;;) {
        const TCString title =
            TCFString(tr("Загрузка сертификата издателя для ключей \"%s\"").c_str(), cert.ownerName().c_str());
        if (!loadCertificateFile(title.c_str(), issuer, true)) return false;
        const KResult rc = cert.verify(issuer);
        if (!isFailure(rc)) return true;
        const TZrX509Name* name = issuer.getSubject();
        const TCString text =
            TCFString(tr("Проверка сертификата ключей владельца \"%s\", издатель: \"%s\".%s!").c_str(),
                      cert.ownerName().c_str(), name ? name->text().c_str() : "", KRTL_GetTextMessage(rc).c_str());
        messageBox(nullptr, text.c_str(), tr("Ошибка").c_str(), 16);
    }
}

bool TViewPrivatesFrame::registerChain(TCXCertsChain& chain) {
    FLastRegisterResult = 0;
    int pos = 1;
    KResult rc = chain.verify(&pos);
    if (isFailure(rc)) {
        FLastRegisterResult = rc;
        kvdShowErrorLibMessage(nullptr, rc, 0, tr("Проверка %d-го сертификата цепочки").c_str(), pos);
        return false;
    }
    if (!container || container->empty()) return false;
    TCLogGrabber grabber;
    TCBaseUserKeysContext* ctx = container->container();
    container->beginUpdate();
    int added = 0;
    for (int i = 0; i < chain.count(); ++i) {
        TZrX509* cert = chain.at(i);
        if (TZrX509* stored = ctx->findCert(cert->keyID()); stored && stored->getAuthKeyID() == cert->getAuthKeyID())
            continue;
        if (!container->addCertificate(cert, true)) {
            KRTL_ShowErrorMessage(nullptr, uint32_t(-1), 0, "%s", tr("Регистрация сертификата в контейнере").c_str());
            // Nothing of this registration stays, and the update is over.
            ctx->cancelUpdate();
            FLastRegisterResult = zrx::container::kErrInvalidArg;
            return false;
        }
        ++added;
    }
    rc = container->endUpdate(false);
    if (isFailure(rc)) {
        // The update is not left open: the content goes back to what was written.
        if (ctx->inUpdate()) ctx->cancelUpdate();
    } else if (added > 0) {
        refresh();
    }
    if (isFailure(rc)) {
        kvdShowErrorLibMessage(nullptr, rc, 0, "%s", tr("Сохранение контейнера личных ключей").c_str());
    } else if (added > 0) {
        grabber.stop(false);
        showLogGrabber(&grabber, kLogGrabInformation);
    } else {
        KRTL_ShowErrorMessage(nullptr, uint32_t(-1), 0, "%s",
                              tr("Загруженный сертификат не соответствует ни одному очередному ключу!").c_str());
        rc = kNothingRegistered;
    }
    FLastRegisterResult = rc;
    return !isFailure(rc);
}

// ---- deleting, HTML and printing

void TViewPrivatesFrame::actDeleteUpdate(TObject*) {
    actDelete->SetEnabled(listsFrame && listsFrame->treePageActive && listsFrame->canDeleteSelected());
}

void TViewPrivatesFrame::actDeleteExecute(TObject*) {
    if (listsFrame && listsFrame->deleteSelected()) refresh();
}

void TViewPrivatesFrame::SaveHTMLActionUpdate(TObject*) {
    const bool any = currentObject() != nullptr;
    SaveHTMLAction->SetEnabled(any);
    PrintAction->SetEnabled(any);
}

bool TViewPrivatesFrame::saveHtml() {
    TZrX509Base* object = currentObject();
    if (!object) return false;
    for (;;) {
        if (!dlgSave1->Execute()) return false;
        TCString html;
        object->htmlView(html, zhPrint);
        const String name = dlgSave1->FileName();
        if (writeWholeFile(name.c_str(), html.c_str(), html.length()) == 0) return true;
        // Said, never skipped: the user asked for this file.
        messageDlg(TCFString(tr("Ошибка записи в файл \"%s\"!").c_str(), name.c_str()), mtError, mbSet(mbOK));
    }
}

void TViewPrivatesFrame::SaveHTMLActionExecute(TObject*) { saveHtml(); }

void TViewPrivatesFrame::PrintActionUpdate(TObject*) {
    const bool any = currentObject() != nullptr;
    PrintAction->SetEnabled(any);
}

bool TViewPrivatesFrame::print() {
    TZrX509Base* object = currentObject();
    if (!object) return false;
    TCString html;
    object->htmlView(html, zhPrint);
    TWindowHtmlViewer* printer = printViewer();
    printer->LoadFromString(html.toUtf16(), u"", HTMLType);
    PrintDialog->PrintRange = prAllPages;
    if (!PrintDialog->Execute()) return false;
    if (PrintDialog->PrintRange == prPageNums) printer->Print(PrintDialog->FromPage, PrintDialog->ToPage, nullptr);
    else printer->Print(kPrintFirstPage, kPrintLastPage, nullptr);
    return true;
}

void TViewPrivatesFrame::PrintActionExecute(TObject*) { print(); }

void TViewPrivatesFrame::actCloseExecute(TObject*) {
    if (TCustomForm* form = ParentForm(); form && form != static_cast<TControl*>(this)) form->Close();
}

void TViewPrivatesFrame::actLoadExecute(TObject*) { reopen(); }
