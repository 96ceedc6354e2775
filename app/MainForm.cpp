#include "app/MainForm.h"

#include "platform/x509api/ZrX509Api.h"

#include "app/AppConfig.h"
#include "app/ConfigBase.h"
#include "app/DailyLog.h"
#include "app/HSMTokens.h"
#include "app/MessageView.h"
#include "app/StandIns.h"
#include "app/Startup.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/core/config/Profiles.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"
#include "requests/UserExParsFrame.h"
#include "update/UpdateRun.h"

IMPLEMENT_CLASS(TZrXZerUvoridoForm, TForm) {}

TZrXZerUvoridoForm::TZrXZerUvoridoForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("ZrXZerUvoridoForm");
    SetCaption(zrnTranslateString("Модуль генерации запросов").str());
    SetPosition(poScreenCenter);
    SetClientWidth(1072);
    SetClientHeight(598);

    actionList = new TActionList(this);
    actionList->SetName("actionList");
    actClose = new TAction(this);
    actClose->SetName("actClose");
    actClose->SetCaption(zrnTranslateString("Выход").str());
    actClose->SetHint(zrnTranslateString("Закрыть окно").str());
    actClose->OnExecute = [this](TObject*) { Close(); };

    mm1 = new TMainMenu(this);
    mm1->SetName("mm1");
    ContainerMI = new TMenuItem(this);
    ContainerMI->SetName("ContainerMI");
    ContainerMI->SetCaption(zrnTranslateString("Контейнер").str());
    mm1->Items()->Add(ContainerMI);
    NewKeyMI = new TMenuItem(this);
    NewKeyMI->SetName("NewKeyMI");
    NewKeyMI->SetCaption(zrnTranslateString("Создать ключи").str());
    NewKeyMI->SetVisible(false);
    ContainerMI->Add(NewKeyMI);
    NewKeyMI_dvd = new TMenuItem(this);
    NewKeyMI_dvd->SetName("NewKeyMI_dvd");
    NewKeyMI_dvd->SetCaption("-");
    NewKeyMI_dvd->SetVisible(false);
    ContainerMI->Add(NewKeyMI_dvd);
    auto* exitMI = new TMenuItem(this);
    exitMI->SetName("actClose1");
    exitMI->SetAction(actClose);
    ContainerMI->Add(exitMI);
    SetMenu(mm1);
}

void TZrXZerUvoridoForm::fillNewKeysMenu() {
    NewKeyMI->Clear();
    TCXProfilesList& items = _newKeysItemList();
    for (int i = 0; i < items.count(); ++i) {
        TCXProfileDescriptor* p = items.at(i);
        if (!p) continue;
        auto* mi = new TMenuItem(this);
        mi->SetCaption(p->getCaption().str());
        mi->SetHint(TCString::format(zrnTranslateString("Создать стартовый контекст для нового %s").c_str(),
                                     p->getCaption().c_str())
                        .str());
        mi->SetTag(intptr_t(p));
        // Key generation comes with its own code; until then the entries
        // are listed but cannot be run.
        mi->SetEnabled(false);
        NewKeyMI->Add(mi);
    }
    NewKeyMI->SetVisible(NewKeyMI->Count() > 0);
    NewKeyMI_dvd->SetVisible(NewKeyMI->Count() > 0);
    MenuChanged();
}

bool TZrXZerUvoridoForm::openContainer() { return true; }

// The update check at start (its first step registers the path macros), then
// the service files' update when the settings name their address. False when
// an update asks the program to close.
static bool runStartupUpdates() {
    TCUpdationCtx ctx(updateMessageBox, 0, nullptr);
    runUpdation(UPD_MODE_START, &ctx, nullptr, nullptr);
    if (ctx.mustExit()) return false;
    const TCString serviceFiles = getServiceFilesUrl(getViewerConfig());
    if (!serviceFiles.isEmpty()) {
        csLogFmtText(0, "%s", zrnTranslateString("Поиск обновлений служебных файлов...").c_str());
        TCUpdationCtx quiet;
        runUpdation(UPD_MODE_FORCED, &quiet, nullptr, serviceFiles.c_str());
    }
    return true;
}

bool TZrXZerUvoridoForm::init() {
    registerCreatorUserExPars();
    installMessageHook();
    enableDebugLog(getDBGLogDir().c_str());
    Show();
    Repaint();
    startupStep("update");
    if (!runStartupUpdates()) return false;

    startupStep("config");
    if (!loadAppConfig(getAppConfigPath().c_str(), 0)) {
        const TCString text = KRTL_lastMesage() + "!";
        messageDlg(text.c_str(), mtError, mbSet(mbOK));
        markStartupFailed();
        return false;
    }
    startupCheckCtx = getAppConfigBool("app\\flags.startupCheckCtx", true);
    copyToken = getAppConfigBool("app\\flags.cpytkn", true);

    startupStep("log");
    logDir = makePathName(getCFGMacroValue("APPLDATA").c_str(), "logs");
    makeDirectory(logDir.c_str());
    if (openLogFile() != 0) {
        SysMessageBox(TCString::format("Ошибка открытия файла протокола в папке '%s'!", logDir.c_str()).str(),
                      zrnTranslateString("Ошибка").str(), MB_ICONERROR);
    }
    KV_HLogFmtText(0, zrnTranslateString("Запуск программы %s").c_str(), getModuleFileName().c_str());
    ZrX_Initalize("");

    hsmTokens.load(makePathName(getCFGMacroValue("APPLDATA").c_str(), "caHSMTokens.ini").c_str(), true);
    fillNewKeysMenu();

    startupStep("dialog");
    TBasicAction* chosen = nullptr;
    if (execStartupDialog(NewKeyMI, true, chosen) != mrOk) return false;
    if (chosen) chosen->Execute();
    else openContainer();
    return true;
}
