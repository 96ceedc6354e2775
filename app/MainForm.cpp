#include "app/MainForm.h"

#include "app/config/AppConfig.h"
#include "app/config/AppConfigActions.h"
#include "app/DailyLog.h"
#include "locations/HSMTokens.h"
#include "app/KeyGeneration.h"
#include "app/StartupDialog.h"
#include "app/Startup.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/core/config/Profiles.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Translation.h"
#include "platform/x509api/ZrX509Api.h"
#include "requests/GenFlags.h"
#include "views/KeyViewFrmEx.h"
#include "requests/UserExParsFrame.h"

IMPLEMENT_CLASS(TZrXZerUvoridoForm, TZrXViewCtxForm) {}

namespace {
// View flags of the HTML object views in the key generator.
constexpr uint32_t kGeneratorHtmlFlags = 56;
// The request-property page every profile of the generator uses.
const char kGeneratorPage[] = "UserExPars";
}  // namespace

TZrXZerUvoridoForm::TZrXZerUvoridoForm(TComponent* AOwner) : TZrXViewCtxForm(AOwner) {
    SetName("ZrXZerUvoridoForm");
    SetCaption("Модуль генерации запросов");
    cmpstrg1->SetRegKey("Software\\Zoren\\ZrXCreator");
    frameEx = ctxFrame;
    NewKeyMI = frameEx->NewKeyMI;
    NewKeyMI_dvd = frameEx->NewKeyMI_dvd;

    pgc1->SetVisible(false);
    frameEx->btnCreate->SetVisible(true);
    frameEx->actCreate->SetVisible(true);
    frameEx->actCreate->OnExecute = [this](TObject* s) { createKeysClick(s); };
    frameEx->OnNewRequests = [this](TViewPrivatesFrame*, uint32_t keyKinds) { return saveNewRequests(keyKinds); };
    frameEx->OnSelectProfile = [this](TViewPrivatesFrame*, TZrX509* cert) { return selectKeyProfile(cert); };
    for (TAction* a : {frameEx->actEditUpdatePars, frameEx->actUpdateNow, frameEx->actEditContfig})
        a->SetVisible(false);
    setViewFlags(kGeneratorHtmlFlags);
    frameEx->setCaptionFormat("Генератор ключей, текущий владелец - \"%s\"");
}

bool TZrXZerUvoridoForm::init(bool) {
    registerCreatorUserExPars();
    if (!TZrXViewCtxForm::init(false)) return false;

    startupStep("log");
    logDir = makePathName(getCFGMacroValue("APPLDATA").c_str(), "logs");
    makeDirectory(logDir.c_str());
    if (openLogFile() != 0) {
        SysMessageBox(TCString::format(zrnTranslateString("Ошибка открытия файла протокола в папке '%s'!").c_str(),
                                       logDir.c_str())
                          .str(),
                      zrnTranslateString("Ошибка").str(), MB_ICONERROR);
    }
    KV_HLogFmtText(0, zrnTranslateString("Запуск программы %s").c_str(), getModuleFileName().c_str());
    if (const TCString config = appConfigParser().fileName(); isShippedAppConfig(config.c_str()))
        KV_HLogFmtText(0,
                       zrnTranslateString("Конфигурация программы не установлена в папке \"%s\": прочитана "
                                          "поставляемая с программой \"%s\"")
                           .c_str(),
                       getCFGMacroValue("XCFG").c_str(), config.c_str());
    ZrX_Initalize("");
    for (int i = 0; TCXProfileDescriptor* p = _getXProfileAt(i); ++i) p->setFrames(kGeneratorPage);
    hsmTokens.load(makePathName(getCFGMacroValue("APPLDATA").c_str(), "caHSMTokens.ini").c_str(), true);

    NewKeyMI->SetVisible(true);
    NewKeyMI_dvd->SetVisible(true);
    newKeysActions = makeNewKeysActions([this](TObject* s) { runNewKeysAction(s); }, [](TObject*) {});
    attachNewKeysActions(newKeysActions, NewKeyMI, nullptr);
    // Without items nothing stands under the separator either.
    NewKeyMI_dvd->SetVisible(NewKeyMI->Visible());
    MenuChanged();

    startupStep("dialog");
    TBasicAction* chosen = nullptr;
    if (!showStartupDialog(NewKeyMI, chosen, true)) return false;
    if (chosen) runNewKeysAction(chosen);
    else openContainer();
    return true;
}

bool TZrXZerUvoridoForm::openContainer() {
    KResult rc;
    do rc = frameEx->openContainer();
    while (rc == kOpenRetry);
    if (rc == kOpenTreeOnly) {
        pgc1->SetVisible(true);
        pgc1->SetActivePage(ts2);
        ts1->SetTabVisible(false);
        ts1->SetVisible(false);
    } else {
        // Opened, cancelled or failed: the window shows the container that
        // is loaded now (a failed or cancelled open leaves the one before).
        refreshViews();
    }
    return true;
}

void TZrXZerUvoridoForm::refreshViews() {
    TZrX509Csp* csp = frameEx->containerObject();
    if (csp && csp->empty() != 1) {
        frameEx->refresh();
        listsFrame->setContent(csp->container());
        pgc1->SetVisible(true);
    } else {
        pgc1->SetVisible(false);
        listsFrame->setContent(nullptr);
        frameEx->refresh();
    }
}

KResult TZrXZerUvoridoForm::createKeys(TCXProfileDescriptor* item) {
    return ::createKeys(item, frameEx->containerObject(), [this] { refreshViews(); });
}

void TZrXZerUvoridoForm::runNewKeysAction(TObject* Sender) {
    if (TCXProfileDescriptor* item = newKeysItemOf(Sender)) createKeys(item);
}

void TZrXZerUvoridoForm::createKeysClick(TObject*) {
    TBasicAction* chosen = nullptr;
    if (showStartupDialog(NewKeyMI, chosen, false) && chosen) runNewKeysAction(chosen);
}

TCXProfileDescriptor* TZrXZerUvoridoForm::selectKeyProfile(TZrX509* cert) {
    return ::selectKeyProfile(cert, [this]() -> TCXProfileDescriptor* {
        TBasicAction* chosen = nullptr;
        const TCString caption = zrnTranslateString("Выберите профиль ключей");
        if (!showStartupDialog(NewKeyMI, chosen, false, caption.c_str()) || !chosen) return nullptr;
        return newKeysItemOf(chosen);
    });
}

int TZrXZerUvoridoForm::saveNewRequests(uint32_t keyKinds) {
    // A key change brings its key kinds only: its requests go to files.
    return saveRequests(frameEx->containerObject(), keyKinds & ~kGenSelfIssuedCert);
}
