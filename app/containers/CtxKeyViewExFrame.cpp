#include "app/containers/CtxKeyViewExFrame.h"

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/AboutBox.h"
#include "dialogs/AppServices.h"
#include "app/config/CaConfig.h"
#include "app/config/ConfigBase.h"
#include "app/config/ConfigForms.h"
#include "app/config/ConfigGlobals.h"
#include "app/containers/CtxListsViewFrame.h"
#include "dialogs/LogGrabView.h"
#include "dialogs/LogGrabber.h"
#include "dialogs/MessageView.h"
#include "app/config/StyleChooser.h"
#include "components/ResImageStrips.h"
#include "jCmp/ZrXCspJCMPClient.h"
#include "platform/core/config/P12Template.h"
#include "platform/core/container/ContainerCodes.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/keys/ReqCtx.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/SecretString.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/Translit.h"
#include "platform/x509api/ZrX509Csp.h"
#include "requests/RequestParamMaker.h"
#include "update/UpdateParsDlg.h"
#include "update/UpdateRun.h"
#include "update/UpdationConfig.h"
#include "dialogs/FileDialogs.h"

namespace {

constexpr uint32_t kMbOk = 0;
constexpr uint32_t kMbYesNo = 4;
constexpr uint32_t kMbIconError = 16;
constexpr uint32_t kMbIconQuestion = 32;
constexpr uint32_t kMbIconInformation = 64;
constexpr int kAnswerYes = 6;
constexpr uint32_t kEarlyChangeRecord = 0x40900006;
constexpr int kExportImage = 15;
constexpr uint32_t kObjectMissing = 0xC0800007;
// Loading issued certificates back: each request's status is asked first.
constexpr unsigned kLoadCertificatesFlags = 3;

const char* const kImportCertHint =
    "Получить сертификат|Зарегистрировать сертификат, соответствующий запросу, хранящемуся в контейнере.";
const char* const kChangeKeysHint =
    "Сменить ключи|Выполнить плановую смену одного или нескольких действующих личных ключей";

int ask(const TCString& text, const char* caption, uint32_t style) {
    return messageBox(nullptr, text.c_str(), tr(caption).c_str(), style);
}

}  // namespace

// ---------------------------------------------------------------- rules

TCString requestFileBaseName(const TZrX509Csp* csp) {
    if (!csp) return TCString();
    const TCBaseUserKeysContext* ctx = csp->container();
    const std::string& name = ctx->fileName().str();
    if (ctx->isFile() == 1) {
        const size_t slash = name.find_last_of('/');
        const size_t dot = name.find_last_of('.');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
            return TCString(name.substr(0, dot));
        return TCString(name);
    }
    // A device's name (a token's label and serial) may hold anything: the
    // proposed name keeps only what a file name and a shell take as it is.
    return safeFileName(name.size() > 2 ? name.substr(2).c_str() : "", nullptr);
}

uint32_t changeKeyRequestFlags(uint32_t generationFlags, bool passwordGiven) {
    uint32_t flags = kPrqChangeCaption;
    if (generationFlags & kKeyChangeNoDialog) flags |= kPrqNoDialog;
    if (!passwordGiven) flags |= kPrqAskPassword;
    return flags;
}

TNewRequestsRoute newRequestsRoute(bool hookSet, bool serviceOn) {
    if (hookSet) return TNewRequestsRoute::mainWindow;
    return serviceOn ? TNewRequestsRoute::service : TNewRequestsRoute::files;
}

unsigned serviceRequestKinds(uint32_t keyKinds) {
    unsigned kinds = JCMP_KIND_ISSUE_AT_ONCE;
    if (keyKinds & kKeyKindSign) kinds |= JCMP_KIND_SIGN;
    if (keyKinds & kKeyKindKA) kinds |= JCMP_KIND_KA;
    return kinds;
}

bool saveRequestsInOrder(uint32_t keyKinds, const std::function<bool(int objectKind)>& save) {
    bool ok = true;
    if (keyKinds & kKeyKindSign) ok = save(kObjSignedSignRequest);
    if (ok && (keyKinds & kKeyKindKA)) ok = save(kObjSignedKARequest);
    return ok;
}

bool saveRegistrationRequestFile(const TZrX509Csp* csp, int objectKind) {
    if (!csp) return true;
    const char* suffix;
    const char* extension;
    const char* kindWord;
    if (objectKind == kObjSignedSignRequest) suffix = " ЭП", extension = ".rq7", kindWord = "ЭП";
    else if (objectKind == kObjSignedKARequest) suffix = " связи", extension = "_ka.rq7", kindWord = "связи";
    else return false;

    // Only an absent request means there is nothing to save; the length comes
    // with the existence test, so no fixed buffer limits the request.
    uint32_t length = 0;
    KResult rc = csp->ZrX_GetX509Object(nullptr, &length, objectKind);
    if (rc == zrx::container::kErrObjectMissing) return true;
    std::vector<uint8_t> data;
    if (!isFailure(rc)) {
        data.resize(length);
        rc = csp->ZrX_GetX509Object(data.data(), &length, objectKind);
        data.resize(length);
    }
    if (isFailure(rc)) {
        kvdShowErrorLibMessage(nullptr, rc, 0, tr("Загрузка запроса на сертификат ключа %s, владелец - \"%s\"").c_str(),
                               tr(kindWord).c_str(), csp->commonName().c_str());
        return false;
    }

    TCString name = requestFileBaseName(csp).str() + extension;
    const TCString title = tr("Запись запроса на сертификат ключей ").str() + tr(suffix).str();
    if (!askRegisteredRequestFileToSave(name, title.c_str())) return false;

    const int written = writeBuff(name.c_str(), data.data(), data.size());
    if (written != 0) {
        KRTL_ShowErrorMessage(nullptr, uint32_t(written), 0,
                              tr("Сохранение запроса на сертификат ключа %s, владелец - \"%s\", в файл \"%s\"").c_str(),
                              tr(kindWord).c_str(), csp->commonName().c_str(), name.c_str());
        return false;
    }
    KV_HLogFmtText(0, tr("Запрос на сертификат ключа %s, владелец - \"%s\", сохранен в файл \"%s\"").c_str(),
                   tr(kindWord).c_str(), csp->commonName().c_str(), name.c_str());
    return true;
}

int keyChangeSteps(const TZrNDefKeysChkInfo& analysis, TKeyChangeStep steps[2]) {
    uint32_t flags = analysis.flags;
    const uint32_t noDialog = flags & kKeyChangeNoDialog;
    int n = 0;
    if (flags & kKeyKindSign) {
        TKeyChangeStep s{kKeyKindSign, "ключа ЭП"};
        if ((flags & kKeyKindKA) && analysis.status == kStartupKeysStatus) {
            // Start-up keys are replaced together, in one generation.
            s = {kKeyKindBoth, "стартовых ключей"};
            flags &= ~kKeyKindKA;
        }
        s.generationFlags |= noDialog;
        steps[n++] = s;
    }
    if (flags & kKeyKindKA) steps[n++] = {kKeyKindKA | noDialog, "ключа связи"};
    return n;
}

TSweepOutcome sweepOutcome(int removed, KResult endUpdateResult) {
    if (isFailure(endUpdateResult)) return TSweepOutcome::writeFailed;
    return removed < 1 ? TSweepOutcome::nothingToRemove : TSweepOutcome::removed;
}

// ---------------------------------------------------------------- the frame

IMPLEMENT_CLASS(TViewPrivatesFrameEx, TViewPrivatesFrame) {}

TViewPrivatesFrameEx::TViewPrivatesFrameEx(TComponent* AOwner) : TViewPrivatesFrame(AOwner) {
    using F = TViewPrivatesFrameEx;
    auto bind = [this](void (F::*m)(TObject*)) -> std::function<void(TObject*)> {
        if (!m) return nullptr;
        return [this, m](TObject* s) { (this->*m)(s); };
    };
    actImportCertHTTP = makeAction(ActionList1, "actImportCertHTTP", "C использованием службы регистрации", nullptr,
                                   bind(&F::actImportCertHTTPExecute), bind(&F::actImportCertHTTPUpdate));
    actSendSelReq = makeAction(ActionList1, "actSendSelReq", "Отправить на регистрацию", nullptr,
                               bind(&F::actSendSelReqExecute), bind(&F::actCheckStatusUpdate));
    actCheckStatus = makeAction(ActionList1, "actCheckStatus", "Статус запроса", nullptr,
                                bind(&F::actCheckStatusExecute), bind(&F::actCheckStatusUpdate));
    actChgKeys =
        makeAction(ActionList1, "actChgKeys", "Сменить досрочно",
                   "Сменить досрочно|Выполнить досрочную смену одного или нескольких действующих личных ключей",
                   bind(&F::actChgKeysExecute));
    actAddEncodeKey = makeAction(ActionList1, "actAddEncodeKey", "Добавить ключи связи", nullptr,
                                 bind(&F::actAddEncodeKeyExecute), bind(&F::actAddEncodeKeyUpdate));
    actLockCert = makeAction(ActionList1, "actLockCert", "Блокировать", nullptr, bind(&F::actLockCertExecute));
    actCheckAndChangeKeys = makeAction(ActionList1, "actCheckAndChangeKeys", "Плановая смена ключей",
                                       "Проверить необходимость смены ключей", bind(&F::actCheckAndChangeKeysExecute),
                                       bind(&F::actCheckAndChangeKeysUpdate));
    actSweep =
        makeAction(ActionList1, "actSweep", "Очистить", nullptr, bind(&F::actSweepExecute), bind(&F::actSweepUpdate));
    actEditContfig = makeAction(ActionList1, "actEditContfig", "Настройки", nullptr, bind(&F::actEditContfigExecute));
    actEditUpdatePars = makeAction(ActionList1, "actEditUpdatePars", "Параметры обновления программы", nullptr,
                                   bind(&F::actEditUpdateParsExecute));
    actUpdateNow = makeAction(ActionList1, "actUpdateNow", "Обновить  сейчас", nullptr, bind(&F::actUpdateNowExecute));
    actAbout = makeAction(ActionList1, "actAbout", "О программе", nullptr, bind(&F::actAboutExecute));

    // Inherited actions as this view shows them.
    actExportX509->SetImageIndex(kExportImage);
    // The key commands' pictures in the main tool-bar strip.
    actCheckStatus->SetImageIndex(kBarCheckImage);
    actChgKeys->SetImageIndex(kBarKeyImage);
    actCheckAndChangeKeys->SetImageIndex(kBarKeyImage);
    actSweep->SetImageIndex(kBarSweepImage);
    actLockCert->SetImageIndex(kBarLockImage);
    actImportSelfCertificate->SetCaption("Получить сертификат");
    actImportSelfCertificate->SetHint(kImportCertHint);
    actAddCert->SetHint(
        "Зарегистрировать сертификат(ы)|Записать сертификат открытых  ключей или цепочку сертификатов из файла в "
        "текущий контейнер\n");

    // The tool bar: taller buttons with captions; the inherited print and
    // delete buttons give way to the action buttons further on.
    tlb1->SetHeight(46);
    tlb1->SetButtonWidth(120);
    tlb1->SetButtonHeight(36);
    tlb1->SetShowCaptions(true);
    btnExportX509->SetCaption("Передать запрос");
    btnPrint->SetAction(nullptr);
    btnPrint->SetVisible(false);
    // The early change stays reachable from this button's click, as before,
    // but the button is not shown: its place is btnChgKeys.
    btnDelete->SetAction(nullptr);
    btnDelete->OnClick = bind(&F::actChgKeysExecute);
    btnDelete->SetVisible(false);
    btnCheckStatus = addToolButton("btnCheckStatus", actCheckStatus);
    btn3 = addToolButton("btn3", nullptr, true);
    btnImportCert = addToolButton("btnImportCert", nullptr);
    btnImportCert->SetCaption("Получить сертификат");
    btnImportCert->SetHint(kImportCertHint);
    btnImportCert->OnClick = bind(&F::actImportSelfCertificateExecute);
    btnImportCert->SetImageIndex(kBarCertificateImage);
    btnImportCert->SetVisible(false);
    btnChgKeys = addToolButton("btnChgKeys", actChgKeys);
    btn6 = addToolButton("btn6", nullptr, true);
    btnLockCert = addToolButton("btnLockCert", actLockCert);
    btn5 = addToolButton("btn5", nullptr, true);
    btnPrintAction = addToolButton("btnPrintAction", PrintAction);
    ToolButton1 = addToolButton("ToolButton1", nullptr, true);
    btnDeleteAction = addToolButton("btnDeleteAction", actDelete);
    tlbtnSweep = addToolButton("tlbtnSweep", actSweep);

    // "Контейнер": the new-key items first (filled by the main window), the
    // key commands before its closing "Выход".
    NewKeyMI = new TMenuItem(this);
    NewKeyMI->SetName("NewKeyMI");
    NewKeyMI->SetCaption("Создать ключи");
    NewKeyMI->SetVisible(false);
    ContainerMI->Insert(0, NewKeyMI);
    NewKeyMI_dvd = new TMenuItem(this);
    NewKeyMI_dvd->SetName("NewKeyMI_dvd");
    NewKeyMI_dvd->SetCaption("-");
    NewKeyMI_dvd->SetVisible(false);
    ContainerMI->Insert(1, NewKeyMI_dvd);
    int at = ContainerMI->Count() - 2;  // before the separator of "Выход"
    addActionItems(this, ContainerMI, {nullptr, actCheckAndChangeKeys, actChgKeys, actAddEncodeKey}, at);

    NOpt = addMenuItem(mm1->Items(), "NOpt", nullptr, "Сервис");
    addMenuItem(NOpt, "", actEditContfig);
    addMenuItem(NOpt, "", nullptr);
    addMenuItem(NOpt, "", actEditUpdatePars);
    addMenuItem(NOpt, "", actUpdateNow);
    addMenuItem(NOpt, "", nullptr);
    N31 = addMenuItem(NOpt, "N31", nullptr, "Стиль... ");
    N31->OnClick = bind(&F::N31Click);
    addMenuItem(NOpt, "", nullptr);
    NLang = addMenuItem(NOpt, "NLang", nullptr, "Язык интерфейса ");
    NLang->SetHint("Задать язык интерфейса программы");
    NLang->SetVisible(false);
    addMenuItem(NOpt, "", nullptr);
    addMenuItem(NOpt, "", actAbout);

    pm1 = new TPopupMenu(this);
    pm1->SetName("pm1");
    pm1->Items()->AddActionItem(actSendSelReq);
    pm1->Items()->AddActionItem(actExportX509);
    pm2 = new TPopupMenu(this);
    pm2->SetName("pm2");
    pm2->Items()->AddActionItem(actImportCertHTTP);
    pm2->Items()->AddActionItem(actImportSelfCertificate);

    pgc1->SetVisible(false);

    loadViewerSettings();
    updateServiceClient();
    actCheckStatus->SetVisible(false);
    actChgKeys->SetVisible(false);
    actLockCert->SetVisible(false);
    registerCaMessages();
}

TViewPrivatesFrameEx::~TViewPrivatesFrameEx() {
    // The client must go before the container it is bound to.
    FServiceClient.reset();
}

// ---- the registration service

void TViewPrivatesFrameEx::updateServiceClient() {
    TCCtxViewerConfig* settings = getViewerConfig();
    if (settings && settings->flags.isSet(kSettingsUseService)) {
        // A client bound to another container than the one shown is rebound.
        if (FServiceClient && FServiceClient->csp() != container) FServiceClient.reset();
        if (!FServiceClient) FServiceClient = std::make_unique<TZrXCspJCMPClient>(container);
        FServiceClient->setBaseURL(getJcmpUrl(settings).c_str());
    } else {
        FServiceClient.reset();
    }
    updateToolbar();
}

void TViewPrivatesFrameEx::showContainer(TZrX509Csp* csp, bool onlyIfChanged) {
    TViewPrivatesFrame::showContainer(csp, onlyIfChanged);
    if (FServiceClient && FServiceClient->csp() != container) updateServiceClient();
}

bool TViewPrivatesFrameEx::execViewerSettings() {
    TCCtxViewerConfig* settings = getViewerConfig();
    if (!settings) return false;
    TComponent* owner =
        Application && Application->MainForm() ? static_cast<TComponent*>(Application->MainForm()) : dialogOwner();
    auto* dlg = new TZrXCViewerConfigForm(owner);
    bool stored = false;
    dlg->OnClose = [dlg, settings, &stored](TObject*, TCloseAction&) {
        if (dlg->ModalResult() != mrOk) return;
        dlg->storeTo(*settings);
        stored = true;
    };
    // The dialog is freed whatever the answer.
    showProgramDialog(dlg, [dlg, settings] { dlg->loadFrom(*settings); });
    if (!stored) return false;
    const bool saved = saveViewerSettings();
    if (!saved) showSettingsNotSaved(settings->filePath().c_str());
    updateServiceClient();
    return saved;
}

// ---- overrides

KResult TViewPrivatesFrameEx::openContainer() {
    const KResult rc = TViewPrivatesFrame::openContainer();
    if (isFailure(rc)) return rc;
    passwordGiven = 0;
    // The change offered at open reports its own outcome; the container is
    // open whatever it came to.
    if (startupCheckCtx) checkPlannedKeyChange(false);
    return rc;
}

void TViewPrivatesFrameEx::setListsFrame(TCtxListsViewFrame* frame) {
    TViewPrivatesFrame::setListsFrame(frame);
    if (!frame) return;
    frame->statusMI->SetAction(actCheckStatus);
    frame->ChangeMI->SetAction(actChgKeys);
    frame->addEncodeMI->SetAction(actAddEncodeKey);
    frame->ActLockMI->SetAction(actLockCert);
}

TZrX509* TViewPrivatesFrameEx::blockableCertificate() const {
    auto* cert = dynamic_cast<TZrX509*>(currentObject());
    if (!cert || cert->isStart() || cert->getStatus() != kCertStatusValid) return nullptr;
    return cert;
}

void TViewPrivatesFrameEx::updateActions() {
    TZrX509Base* object = currentObject();
    actExportX509->SetEnabled(object != nullptr);
    PrintAction->SetEnabled(object != nullptr);
    TViewPrivatesFrame::updateActions();
    updateReceiveCertificateMenu();

    TCBaseUserKeysContext* ctx = container ? container->container() : nullptr;
    actAddEncodeKey->SetVisible(ctx && !ctx->alreadyGenerated(kKeyKindKA, false));

    if (!ctx || ctx->ctx_ActKeysList.count() == 0) {
        actChgKeys->SetVisible(false);
    } else if (isTabsMode()) {
        uint32_t kind = 0;
        if (pgc1->Visible() && pgc1->ActivePage() == ts1) kind = kKeyKindSign;
        else if (pgc1->Visible() && pgc1->ActivePage() == ts2) kind = kKeyKindKA;
        if (!kind || (ctx->markerNextKey(kind) && ctx->markerNextObject(kind))) {
            actChgKeys->SetVisible(false);
        } else {
            actChgKeys->SetVisible(true);
            actChgKeys->SetCaption(tr("Сменить ключи").c_str());
            actChgKeys->SetHint(tr(kChangeKeysHint).c_str());
        }
    } else if (listsFrame) {
        listsFrame->updateChangeKeyAction(actChgKeys);
    }

    actLockCert->SetVisible(FServiceClient && actChgKeys->Visible() && blockableCertificate());
    btn5->SetVisible(actChgKeys->Visible());

    TMenuItem* saveMI = listsFrame ? listsFrame->saveMI : nullptr;
    if (!object) {
        if (saveMI) saveMI->SetEnabled(false);
        N11->SetEnabled(false);
        return;
    }
    if (saveMI) saveMI->SetEnabled(true);
    N11->SetEnabled(true);
    const bool requestWithService = FServiceClient && object->getClass() == zcRequest;
    setSaveRequestMenu(N11, !requestWithService);
    if (saveMI) setSaveRequestMenu(saveMI, !requestWithService);
    if (!requestWithService) {
        setExportCaption(object);
        btnExportX509->SwitchToAction(actExportX509);
        actCheckStatus->SetVisible(false);
    } else {
        actExportX509->SetCaption(tr("Сохранить в файл").c_str());
        actExportX509->SetHint(tr("Сохранить отмеченный запрос в виде файла формата PKCS#10 ").c_str());
        btnExportX509->SwitchToMenu(pm1, [this](TObject*) { sendSelectedRequest(); });
        btnExportX509->SetHint(tr("Сохранить отмеченный запрос в файл или отправить на регистрацию").c_str());
        actCheckStatus->SetVisible(true);
    }
}

void TViewPrivatesFrameEx::setSaveRequestMenu(TMenuItem* item, bool plain) {
    if (!item) return;
    if (plain) {
        item->Clear();
        item->SetAction(actExportX509);
        return;
    }
    if (!item->Action()) return;
    item->SetAction(nullptr);
    item->OnClick = nullptr;
    item->AddActionItem(actSendSelReq);
    item->AddActionItem(actExportX509);
}

void TViewPrivatesFrameEx::updateReceiveCertificateMenu() {
    const bool hasRequests = container && container->container()->ctx_RequestsList.count() > 0;
    if (FServiceClient) {
        if (N17->Count() == 0) {
            N17->AddActionItem(actImportCertHTTP);
            N17->SetAction(nullptr);
            N17->OnClick = nullptr;
            btnImportCert->SwitchToMenu(pm2, [this](TObject*) { loadCertificatesByService(); });
            actImportSelfCertificate->SetCaption(tr("Из файла...").c_str());
            N17->AddActionItem(actImportSelfCertificate);
        }
        actSendSelReq->SetVisible(hasRequests);
        actCheckStatus->SetVisible(hasRequests);
    } else if (!N17->Action()) {
        N17->Clear();
        N17->SetAction(actImportSelfCertificate);
        btnImportCert->SwitchToAction(actImportSelfCertificate);
        actSendSelReq->SetVisible(false);
        actCheckStatus->SetVisible(false);
        actImportSelfCertificate->SetCaption(tr("Получить сертификат").c_str());
    }
    // Last: switching the button or the item brings their own visibility.
    btnImportCert->SetVisible(hasRequests);
    N17->SetVisible(hasRequests);
}

// ---- requests and the service

TZrX509Base* TViewPrivatesFrameEx::currentRequest() const {
    TZrX509Base* object = currentObject();
    return object && object->getClass() == zcRequest ? object : nullptr;
}

void TViewPrivatesFrameEx::actCheckStatusUpdate(TObject* Sender) {
    if (auto* a = dynamic_cast<TAction*>(Sender)) a->SetEnabled(currentRequest() != nullptr);
}

void TViewPrivatesFrameEx::actImportCertHTTPUpdate(TObject*) {
    actImportCertHTTP->SetEnabled(container && container->reqCount() > 0);
}

KResult TViewPrivatesFrameEx::loadCertificatesByService() {
    if (!FServiceClient) return 0;
    TCLogGrabber grabber;
    const KResult rc = FServiceClient->loadCertificates(nullptr, kLoadCertificatesFlags);
    refresh();
    grabber.stop(false);
    showLogGrabber(&grabber, kResultInfo);
    return rc;
}

void TViewPrivatesFrameEx::actImportCertHTTPExecute(TObject*) { loadCertificatesByService(); }

KResult TViewPrivatesFrameEx::sendSelectedRequest() {
    TZrX509Base* request = currentRequest();
    if (!FServiceClient || !request) return 0;
    TCLogGrabber grabber;
    const KResult rc = FServiceClient->sendRequest(request->keyID(), true);
    refresh();
    grabber.stop(false);
    showLogGrabber(&grabber, kResultInfo);
    return rc;
}

void TViewPrivatesFrameEx::actSendSelReqExecute(TObject*) { sendSelectedRequest(); }

bool TViewPrivatesFrameEx::showRequestStatus() {
    TZrX509Base* object = currentRequest();
    if (!FServiceClient || !object) return false;
    const TZrX509ReqCtx* stored = container->container()->findCertReq(object->keyID(), true);
    if (!stored) return false;
    const int type = stored->getType() != 0 ? JCMP_TYPE_SIGNED_REQUEST : JCMP_TYPE_REQUEST;
    const TCString owner = object->ownerName();
    const TCString id = object->getKeyIDStr();
    const TCString kind = object->getKindDescirption(false);
    int status = 0;
    TCString statusText;
    const KResult rc = FServiceClient->getStatus(type, id.c_str(), &status, &statusText);
    if (isFailure(rc)) {
        KRTL_ShowErrorMessage(nullptr, rc, 0,
                              tr("Получение статуса запроса на сертификат ключа %s, владедец: \"%s\", id:%s").c_str(),
                              kind.c_str(), owner.c_str(), id.c_str());
        return true;
    }
    const TCString text = TCFString(tr("Владелец:%s, ID:%s, тип: ключ %s, статус: \"%s\"").c_str(), owner.c_str(),
                                    id.c_str(), kind.c_str(), statusText.c_str())
                              .str() +
                          "\n";
    ask(text, "Статус запроса", kMbOk | kMbIconInformation);
    return true;
}

void TViewPrivatesFrameEx::actCheckStatusExecute(TObject*) { showRequestStatus(); }

void TViewPrivatesFrameEx::deliverNewRequests(uint32_t keyKinds) {
    switch (newRequestsRoute(bool(OnNewRequests), FServiceClient != nullptr)) {
    case TNewRequestsRoute::mainWindow: OnNewRequests(this, keyKinds); break;
    case TNewRequestsRoute::service: FServiceClient->sendRequests(serviceRequestKinds(keyKinds)); break;
    case TNewRequestsRoute::files: saveNewRequests(keyKinds); break;
    }
}

bool TViewPrivatesFrameEx::saveNewRequests(uint32_t keyKinds) {
    return saveRequestsInOrder(keyKinds, [this](int kind) { return saveRegistrationRequest(kind); });
}

bool TViewPrivatesFrameEx::saveRegistrationRequest(int objectKind) {
    return saveRegistrationRequestFile(container, objectKind);
}

// ---- key changes

KResult TViewPrivatesFrameEx::checkPlannedKeyChange(bool interactive) {
    if (!container) return 0;
    TCLogGrabber grabber;
    TZrNDefKeysChkInfo analysis;
    const KResult rc = analyseKeyChange(&analysis);
    grabber.stop(false);
    if (isFailure(rc)) return rc;
    if (!keyChangeDue(analysis)) {
        if (interactive)
            ask(tr("В текущем контейнере нет ключей, нуждающихся в плановой смене.").str() + "\n", "Смена ключей",
                kMbOk | kMbIconInformation);
        return 0;
    }
    const TCString caption = tr("Анализ состояния сертификатов в загруженном контейнере.");
    const TCString question = tr("Выполнить смену ключей сейчас?");
    int answer;
    // Keys are due: the question is asked even when the analysis wrote no
    // record, so a change the user asked for never ends without a word.
    if (grabber.lines().count() > 0)
        answer = showLogGrabber(&grabber, kResultQuestion, caption.c_str(), question.c_str());
    else answer = ask(question, caption.c_str(), kMbYesNo | kMbIconQuestion);
    if (answer != kAnswerYes) return 0;
    return runPlannedKeyChange(analysis);
}

KResult TViewPrivatesFrameEx::analyseKeyChange(TZrNDefKeysChkInfo* analysis) {
    return container->ZrX_NeedChangeDefaultKeys(kKeyChangeAnalysisDays, analysis);
}

KResult TViewPrivatesFrameEx::runPlannedKeyChange(const TZrNDefKeysChkInfo& analysis) {
    TCLogGrabber grabber;
    TZrNDefKeysChkInfo work = analysis;
    const uint32_t keyKinds = analysis.flags & kKeyKindBoth;
    const KResult rc = changeKeysByAnalysis(container, work);
    finishKeyChange(rc, keyKinds, grabber);
    return rc;
}

void TViewPrivatesFrameEx::finishKeyChange(KResult rc, uint32_t keyKinds, TCLogGrabber& grabber) {
    if (isFailure(rc)) return;
    deliverNewRequests(keyKinds);
    refresh();
    grabber.stop(false);
    showLogGrabber(&grabber, kResultChange);
}

KResult TViewPrivatesFrameEx::changeKeysByAnalysis(TZrX509Csp* csp, TZrNDefKeysChkInfo& analysis) {
    if (!csp) csp = container;
    TKeyChangeStep steps[2];
    const int n = keyChangeSteps(analysis, steps);
    KResult rc = 0;
    for (int i = 0; i < n; ++i) {
        TZrX509* certificate;
        if (steps[i].generationFlags & kKeyKindSign) {
            certificate = csp->getSelfCrt();
        } else {
            certificate = dynamic_cast<TZrX509*>(csp->container()->findEncodeKeyX509Object(false));
        }
        rc = changeKeyReported(certificate, steps[i].generationFlags, steps[i].kindText, csp);
        if (isFailure(rc)) return rc;
        if (steps[i].generationFlags & kKeyKindKA) analysis.flags &= ~kKeyKindKA;
    }
    return rc;
}

KResult TViewPrivatesFrameEx::changeKey(TZrX509* certificate, uint32_t generationFlags, TZrX509Csp* csp) {
    if (!certificate) return kNoCertificateToChange;
    if (!csp) csp = container;
    TCXProfileDescriptor* profile =
        certificate->profile() ? _getDefPFList().findProfile(certificate->profile()) : nullptr;
    if (!profile && OnSelectProfile) profile = OnSelectProfile(this, certificate);
    if (!profile) return kNoProfileForChange;

    TCRequestParamMaker maker(profile, csp);
    maker.setPattern(certificate, true);
    TCFlags<unsigned int> flags(changeKeyRequestFlags(generationFlags, passwordGiven != 0));
    char password[kReqPasswordSize] = {};
    if (!passwordGiven) {
        // The container's password goes to the preparation once per open
        // container; one longer than the buffer is not cut but left out.
        const char* dp = csp->container()->dp();
        const size_t length = std::strlen(dp);
        if (length < sizeof password) std::memcpy(password, dp, length);
    }
    KResult rc = maker.initCryptoPars(profile);
    if (!isFailure(rc)) rc = maker.prepareRequest(&flags, password, nullptr);
    secretWipe(password, sizeof password);
    if (isFailure(rc)) return rc;
    passwordGiven = 1;
    return maker.generateKeys(csp, generationFlags | kGenKeyChange, nullptr);
}

KResult TViewPrivatesFrameEx::changeKeyReported(TZrX509* certificate, uint32_t generationFlags, const char* kindText,
                                                TZrX509Csp* csp) {
    const KResult rc = changeKey(certificate, generationFlags, csp);
    if (isFailure(rc) && rc != kChangeCancelled)
        KRTL_ShowErrorMessage(nullptr, rc, 0, tr("Смена %s").c_str(), tr(kindText).c_str());
    return rc;
}

TZrX509Base* TViewPrivatesFrameEx::earlyChangeObject() const {
    if (isTabsMode()) {
        TZrX509Base* object = currentObject();
        if (object && object == activeCertificate && !nextCertificate) return object;
        if (object && object == keyAgreementObject && !nextKeyAgreementObject) return object;
        return nullptr;
    }
    if (!listsFrame || !listsFrame->activeKeysNode) return nullptr;
    TTreeNode* node = listsFrame->tv1->Selected();
    if (!node || node->Parent() != listsFrame->activeKeysNode) return nullptr;
    return static_cast<TZrX509Base*>(node->Data());
}

KResult TViewPrivatesFrameEx::earlyKeyChange() {
    TZrX509Base* object = earlyChangeObject();
    if (!object || object->getClass() != zcCertificate) return 0;
    auto* certificate = static_cast<TZrX509*>(object);
    if (certificate->isStart()) return checkPlannedKeyChange(false);

    const uint32_t kind = certificate->keyFlags() & kKeyKindBoth;
    TCBaseUserKeysContext* ctx = container->container();
    if (ctx->alreadyGenerated(kind, true)) {
        ask(TCFString(tr("Запрос на сертификат ключа %s уже присутствует в данном контейнере!").c_str(),
                      certificate->getKindDescirption(false).c_str()),
            "Смена ключей", kMbOk | kMbIconError);
        return 0;
    }
    if (!certificate->isExpired(-1)) {
        const TCString kindWord = tr(certificate->isForSign() ? "ЭП" : "связи");
        const TCString owner = certificate->ownerName();
        const TCString text =
            TCFString(tr("Сертификат ключей %s владельца \"%s\" окончит свое действие %s.").c_str(), kindWord.c_str(),
                      owner.c_str(), certificate->getNotAfter().localText(true).c_str())
                .str() +
            "\n" + tr("Выполнить досрочную смену ключей?").str();
        if (messageDlg(text, mtConfirmation, mbSet(mbYes, mbNo)) != kAnswerYes) return 0;
        KV_HLogFmtText(kEarlyChangeRecord, tr("Инициирована досрочная смена ключей %s владельца \"%s\"").c_str(),
                       kindWord.c_str(), owner.c_str());
    }
    TCLogGrabber grabber;
    KResult rc = 0;
    if (kind & kKeyKindSign) rc = changeKeyReported(certificate, kKeyKindSign, "ключа ЭП");
    else if (kind & kKeyKindKA) rc = changeKeyReported(certificate, kKeyKindKA, "ключа связи");
    finishKeyChange(rc, kind, grabber);
    return rc;
}

void TViewPrivatesFrameEx::actChgKeysExecute(TObject*) { earlyKeyChange(); }

void TViewPrivatesFrameEx::actCheckAndChangeKeysExecute(TObject*) { checkPlannedKeyChange(true); }

void TViewPrivatesFrameEx::actCheckAndChangeKeysUpdate(TObject*) {
    const bool pageShown = pgc1->Visible() && ts1->TabVisible();
    const bool changeable = (activeCertificate && !nextCertificate) || (keyAgreementObject && !nextKeyAgreementObject);
    actCheckAndChangeKeys->SetEnabled(pageShown && changeable);
}

// ---- key-agreement keys, blocking, sweeping

void TViewPrivatesFrameEx::actAddEncodeKeyUpdate(TObject*) {
    actAddEncodeKey->SetEnabled(currentObject() != nullptr);
    TCBaseUserKeysContext* ctx = container ? container->container() : nullptr;
    actAddEncodeKey->SetVisible(ctx && !ctx->alreadyGenerated(kKeyKindKA, false));
}

KResult TViewPrivatesFrameEx::addEncodeKeys() {
    if (!container || container->empty()) return kObjectMissing;
    if (container->container()->alreadyGenerated(kKeyKindKA, false)) {
        ask(tr("В текужем контенере уже присутсвтуют ключи связи!"), "Генерация ключей", kMbOk | kMbIconError);
        return 0;
    }
    TCLogGrabber grabber;
    const TCString templateFile = getDefTemplateFileName(getCaConfig().programFolder.c_str());
    TZrXP12Template tmpl;
    KResult rc = loadP12Template(templateFile.c_str(), &tmpl);
    if (isFailure(rc)) {
        // Without its template no key may be made.
        KRTL_ShowErrorMessage(nullptr, rc, 0, tr("Загрузка шаблона криптопараметров системы из файла \"%s\"").c_str(),
                              templateFile.c_str());
        return rc;
    }
    rc = container->addEncodeKeys(nullptr, nullptr, &tmpl);
    if (isFailure(rc)) {
        KRTL_ShowErrorMessage(nullptr, rc, 0, "%s", tr("Добавление ключей связи в контейнер").c_str());
        return rc;
    }
    finishKeyChange(rc, kKeyKindKA, grabber);
    return rc;
}

void TViewPrivatesFrameEx::actAddEncodeKeyExecute(TObject*) { addEncodeKeys(); }

KResult TViewPrivatesFrameEx::blockCertificate() {
    TZrX509* certificate = blockableCertificate();
    if (!FServiceClient || !actLockCert->Visible() || !certificate) return 0;
    const TCString text =
        TCFString(tr("Сформировать запрос на блокирование сертификата ключа %s, владелец \"%s\"?").c_str(),
                  certificate->getKindDescirption(false).c_str(), certificate->ownerName().c_str());
    if (ask(text, "Блокирование ключей", kMbYesNo | kMbIconQuestion) != kAnswerYes) return 0;
    TCLogGrabber grabber;
    const KResult rc = FServiceClient->sendRevocation(certificate, kBlockReason, 0);
    grabber.stop(false);
    if (isFailure(rc))
        KRTL_ShowErrorMessage(nullptr, rc, 0, "%s", tr("Формирование запроса на блокирование сертификата").c_str());
    else showLogGrabber(&grabber, kResultChange);
    return rc;
}

void TViewPrivatesFrameEx::actLockCertExecute(TObject*) { blockCertificate(); }

void TViewPrivatesFrameEx::actSweepUpdate(TObject*) {
    const bool onlyNextKeyAgreement =
        !activeCertificate && !keyAgreementObject && !nextCertificate && nextKeyAgreementObject;
    actSweep->SetEnabled(container && !container->empty() && !onlyNextKeyAgreement);
}

TSweepOutcome TViewPrivatesFrameEx::sweepContainer() {
    if (!container || container->empty()) return TSweepOutcome::nothingToRemove;
    const TCString text =
        tr("При выполнении функции очистки из контейнера будут удалены все просроченные ключи и сертификаты").str() +
        "\n" + tr(" Продолжить?").str();
    if (messageDlg(text, mtConfirmation, mbSet(mbYes, mbNo)) != kAnswerYes) return TSweepOutcome::nothingToRemove;
    TCLogGrabber grabber;
    container->beginUpdate();
    const int removed = container->sweep();
    const KResult rc = container->endUpdate(false);
    // A write that failed leaves nothing half done: the content goes back.
    if (isFailure(rc) && container->container()->inUpdate()) container->container()->cancelUpdate();
    refresh();
    const TSweepOutcome outcome = sweepOutcome(removed, rc);
    grabber.stop(false);
    switch (outcome) {
    case TSweepOutcome::writeFailed:
        kvdShowErrorLibMessage(nullptr, rc, 0, "%s", tr("Сохранение контейнера личных ключей").c_str());
        break;
    case TSweepOutcome::nothingToRemove:
        messageDlg(tr("В контейнере нет данных, подлежащих очистке"), mtInformation, mbSet(mbOK));
        break;
    case TSweepOutcome::removed: showLogGrabber(&grabber, kResultInfo); break;
    }
    return outcome;
}

void TViewPrivatesFrameEx::actSweepExecute(TObject*) { sweepContainer(); }

// ---- settings, update, style, about

void TViewPrivatesFrameEx::actEditContfigExecute(TObject*) { execViewerSettings(); }

void TViewPrivatesFrameEx::actEditUpdateParsExecute(TObject*) {
    execUpdateParsDialog(true);
    // The stored mode decides, whatever the dialog answered (a cancel is no mode).
    actUpdateNow->SetVisible(getUpdationMode() != 0);
}

void TViewPrivatesFrameEx::actUpdateNowExecute(TObject*) {
    checkUpdatesNow(Application ? dynamic_cast<TForm*>(Application->MainForm()) : nullptr);
}

void TViewPrivatesFrameEx::actAboutExecute(TObject*) { showProgramAboutBox(); }

void TViewPrivatesFrameEx::N31Click(TObject*) { showStyleChooser(); }
