#include "app/ViewCtxForm.h"

#include "app/config/AppConfig.h"
#include "app/config/ConfigGlobals.h"
#include "dialogs/MessageView.h"
#include "app/Startup.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"
#include "views/KeyViewFrmEx.h"
#include "update/UpdateRun.h"
#include "update/UpdationConfig.h"

IMPLEMENT_CLASS(TZrXViewCtxForm, TForm) {}

TViewCtxStartupServices defaultViewCtxStartupServices() {
    TViewCtxStartupServices s;
    s.runUpdate = [](int mode, TCUpdationCtx& ctx, const char* listHref) {
        return runUpdation(mode, &ctx, nullptr, listHref);
    };
    s.serviceFilesUrl = [] { return getEnabledServiceFilesUrl(); };
    s.loadConfig = [](const char* path) { return loadAppConfig(path, 0); };
    s.updateMode = [] { return getUpdationMode(); };
    return s;
}

TViewCtxStartupServices& viewCtxStartupServices() {
    static TViewCtxStartupServices services = defaultViewCtxStartupServices();
    return services;
}

TZrXViewCtxForm::TZrXViewCtxForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("ZrXViewCtxForm");
    SetCaption("Модуль работы с ключевым контейнером");
    SetPosition(poScreenCenter);
    SetClientWidth(1072);
    SetClientHeight(598);

    stat1 = new TStatusBar(this);
    stat1->SetName("stat1");
    stat1->SetParent(this);
    stat1->SetAlign(alBottom);
    stat1->SetSimplePanel(true);
    stat1->SetAutoHint(true);

    pgc1 = new TPageControl(this);
    pgc1->SetName("pgc1");
    pgc1->SetParent(this);
    pgc1->OnChange = [this](TObject* s) { pgc1Change(s); };
    ts1 = new TTabSheet(this);
    ts1->SetName("ts1");
    ts1->SetPageControl(pgc1);
    ts1->SetCaption("Кратко");
    ts2 = new TTabSheet(this);
    ts2->SetName("ts2");
    ts2->SetPageControl(pgc1);
    ts2->SetCaption("Подробно");

    cfrmtransl1 = new TCFormTranslator(this);
    cfrmtransl1->SetName("cfrmtransl1");
    cfrmtransl1->SetDefLanguageID(1);
    cfrmtransl1->SetPropsToChange("Caption,Hint,Items");
    cfrmtransl1->SetUseMarkers(true);
    cfrmtransl1->SetActive(true);

    cmpstrg1 = new TCCompStorage(this);
    cmpstrg1->SetName("cmpstrg1");
    cmpstrg1->SetRegKey("Software\\Zoren\\ZrX509\\CtxViewer\\");
    cmpstrg1->SetValueName("%FORMNAME%");
    cmpstrg1->SetStorePosition(true);

    // The container frame: its menu and tool bar become the window's.
    ctxFrame = new TViewPrivatesFrameEx(this);
    SetMenu(ctxFrame->mm1);
    ctxFrame->tlb1->SetParent(this);
    ctxFrame->tlb1->SetAlign(alTop);
    ctxFrame->tlb1->SetVisible(true);
    ctxFrame->SetParent(ts1);
    ctxFrame->SetAlign(alClient);
    translateComponentProperties(ctxFrame);

    // The tool bar's open goes through the window, which shows what it opened.
    ctxFrame->actLoad->OnExecute = [this](TObject*) { openContainer(); };

    ctxFrame->NLang->SetVisible(true);
    cfrmtransl1->newLangMenuItem(ctxFrame->NLang);

    listsFrame = new TCtxListsViewFrame(this, ctxFrame->containerObject());
    listsFrame->SetParent(ts2);
    listsFrame->SetAlign(alClient);
    ctxFrame->setListsFrame(listsFrame);
    translateComponentProperties(listsFrame);

    pgc1->SetAlign(alClient);
    pgc1->SetVisible(true);
    pgc1->SetActivePage(ts1);

    setViewFlags(kViewCtxHtmlFlags);
}

void TZrXViewCtxForm::pgc1Change(TObject*) {
    listsFrame->treePageActive = pgc1->ActivePage() == ts2 ? 1 : 0;
    ctxFrame->updateToolbar();
}

bool TZrXViewCtxForm::openContainer() {
    registerGlobalIntValue("disabledTknCertFlags", kDisabledTknCertFlags);
    KResult rc;
    do rc = ctxFrame->openContainer();
    while (rc == kOpenRetry);
    if (!isFailure(rc)) return true;
    if (rc != kOpenTreeOnly) return false;
    pgc1->SetActivePage(ts2);
    ts1->SetTabVisible(false);
    ts1->SetVisible(false);
    return true;
}

bool TZrXViewCtxForm::init(bool openAtStart) {
    TViewCtxStartupServices& services = viewCtxStartupServices();
    installMessageHook();
    enableDebugLog(getDBGLogDir().c_str());
    Show();
    Repaint();

    startupStep("update");
    // Its first step registers the path macros everything later relies on.
    TCUpdationCtx startCtx(updateMessageBox, 0, nullptr);
    services.runUpdate(UPD_MODE_START, startCtx, nullptr);
    if (startCtx.mustExit()) return false;
    const TCString serviceFiles = services.serviceFilesUrl();
    if (!serviceFiles.isEmpty()) {
        TCUpdationCtx quiet;
        csLogFmtText(0, "%s", zrnTranslateString("Поиск обновлений служебных файлов...").c_str());
        services.runUpdate(UPD_MODE_FORCED, quiet, serviceFiles.c_str());
        // A service-file update may also require the program to close.
        if (quiet.mustExit()) return false;
    }

    startupStep("config");
    if (!services.loadConfig(getAppConfigPath().c_str())) {
        const TCString text = KRTL_lastMesage() + "!";
        messageDlg(text.c_str(), mtError, mbSet(mbOK));
        markStartupFailed();
        return false;
    }
    ctxFrame->actUpdateNow->SetVisible(services.updateMode() != 0);
    ctxFrame->startupCheckCtx = getAppConfigBool("app\\flags.startupCheckCtx", true);
    ctxFrame->copyToken = getAppConfigBool("app\\flags.cpytkn", true);
    return openAtStart ? openContainer() : true;
}
