// The container view's service and key life-cycle commands over real file
// containers: the commands and menus the view offers, requests written to
// files, the planned and the early key change, and sweeping.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/containers/KeyContainerFixture.h"
#include "locations/LocationTestSupport.h"
#include "app/config/CaConfig.h"
#include "app/config/ConfigBase.h"
#include "app/config/ConfigForms.h"
#include "app/config/SNTPCfgFrame.h"
#include "app/containers/CtxKeyViewExFrame.h"
#include "app/containers/CtxListsViewFrame.h"
#include "dialogs/LogGrabView.h"
#include "dialogs/MessageView.h"
#include "dialogs/NewPasswordDlg.h"
#include "jCmp/ZrXCspJCMPClient.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/framework/Dialogs.h"
#include "platform/runtime/FileUtils.h"
#include "platform/x509api/ZrX509Api.h"
#include "requests/RequestParamMaker.h"
#include "support/TempDir.h"
#include "update/UpdationConfig.h"

// Qt last (pictures).
#include "support/ToolBarPictures.h"

using zrxtest::kContainerPassword;
using zrxtest::kDay;
using zrxtest::KeyContainers;
using zrxtest::nowSeconds;
using zrxtest::ScriptedWindows;

namespace {

// The program settings of a case: a temporary folder, the service off
// unless the case switches it on; the current settings come back after.
struct SettingsScope {
    zrxtest::TempDir pub;
    TCCtxViewerConfig settings;
    TCCtxViewerConfig* saved = getViewerConfig();
    int savedMode = getMDMapMode();
    const char* savedPublicEnv = std::getenv("PUBLIC");
    std::string savedPublic = savedPublicEnv ? savedPublicEnv : "";
    SettingsScope() {
        setenv("PUBLIC", pub.str().c_str(), 1);
        settings.flags = 0;
        setViewerConfig(&settings);
    }
    ~SettingsScope() {
        if (savedPublicEnv) setenv("PUBLIC", savedPublic.c_str(), 1);
        else unsetenv("PUBLIC");
        setViewerConfig(saved);
        setMDMapMode(savedMode);
        resetSNTPParams(getSNTPParams());
    }
};

// The owner-parameter dialog answered at once; the calls are counted.
struct MakerDialog {
    static inline int calls = 0;
    TExecEditUserParmsFormFunc previous;
    MakerDialog() : previous(setExecEditUserParmsForm(answer)) { calls = 0; }
    ~MakerDialog() { setExecEditUserParmsForm(previous); }
    static bool answer(TCRequestParamMaker*, const char*, char*) {
        ++calls;
        return true;
    }
};

class KeyViewEx : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        title = Application->Title();
        profile.name = "t";
        profile.id = 5;
        profile.flags = PF_SIGN_KEYS | PF_KA_KEYS;
        profile.templateFile = keys.dir().file("tmpl.xcfg");
        form = CreateComponent<TForm>(Application);
        form->SetBounds(0, 0, 1000, 600);
        frame = new TViewPrivatesFrameEx(form);
        frame->SetParent(form);
        lists = new TCtxListsViewFrame(form);
        lists->SetParent(form);
        frame->setListsFrame(lists);
        frame->OnSelectProfile = [this](TViewPrivatesFrame*, TZrX509*) { return &profile; };
    }
    void TearDown() override {
        form->Free();
        zrxtest::forgetStoredState({"ZI509"});
        Application->SetTitle(title);  // the view names the container's owner there
    }

    // A container file made by the case, loaded into the view.
    std::string path(const char* name) const { return keys.dir().file(name); }
    void show(const std::string& location) {
        ASSERT_EQ(0u, csp().load(location.c_str(), kContainerPassword));
        frame->showContainer(nullptr, false);
    }
    TZrX509Csp& csp() { return *frame->containerObject(); }
    void serviceOn(const char* url = "http://127.0.0.1:9/ca") {
        settings.settings.flags = kSettingsUseService;
        settings.settings.jcmpUrl = url;
        frame->updateServiceClient();
    }
    void serviceOff() {
        settings.settings.flags = 0;
        frame->updateServiceClient();
    }
    // Keys of the kinds, certified for [from, to], in a new container file.
    void certified(const std::string& file, uint32_t kinds, int64_t from, int64_t to) {
        TZrX509Csp maker;
        ASSERT_TRUE(keys.generate(maker, file, kinds));
        ASSERT_TRUE(KeyContainers::certifyAll(maker, from, to));
    }
    // Start-up keys of both kinds, certified, in a new container file.
    void startupKeys(const std::string& file) {
        TZrX509Csp csp;
        TCBaseRequestParamMaker maker(&profile, &csp);
        ASSERT_EQ(0u, loadP12Template(profile.templateFile.c_str(), &maker.cryptoTemplate()));
        ASSERT_FALSE(isFailure(maker.initCtxCryptoPars(profile.id, 0, 0)));
        maker.nameList().addAttribute("CN", "Стартовий Власник");
        maker.flags().set(kRpmStartCert);
        csp.prepareUpdate();
        csp.beginUpdate();
        csp.setContainerName(file.c_str());
        csp.container()->setDp(kContainerPassword);
        ASSERT_FALSE(isFailure(maker.generateKeys(&csp, 0x30000, nullptr)));
        ASSERT_FALSE(isFailure(csp.endUpdate(false)));
        const int64_t now = nowSeconds();
        ASSERT_TRUE(KeyContainers::certifyAll(csp, now - kDay, now + 300 * kDay));
    }
    std::string logText(TObject* w) {
        auto* g = dynamic_cast<TLogGrabViewForm*>(w);
        return g ? g->joinedText().str() : std::string();
    }

    SettingsScope settings;
    KeyContainers keys;
    TCXProfileDescriptor profile;
    String title;
    TForm* form = nullptr;
    TViewPrivatesFrameEx* frame = nullptr;
    TCtxListsViewFrame* lists = nullptr;
};

}  // namespace

// Whichever of its commands the bar shows, each button has its picture.
TEST_F(KeyViewEx, EveryToolButtonHasAPicture) {
    for (int i = 0; i < frame->tlb1->ButtonCount(); ++i) frame->tlb1->Buttons(i)->SetVisible(true);
    zrxtest::expectEveryButtonPictured(frame->tlb1);
}

TEST_F(KeyViewEx, CommandsAndMenusFollowTheServiceTheObjectAndThePage) {
    const int64_t now = nowSeconds();
    // Certified keys with next requests: all four pages.
    certified(path("next.zrx"), 0x30000, now - kDay, now + 100 * kDay);
    {
        TZrX509Csp c;
        ASSERT_EQ(0u, c.load(path("next.zrx").c_str(), kContainerPassword));
        ASSERT_TRUE(keys.generate(c, "", 0x30000));
    }
    show(path("next.zrx"));
    ASSERT_EQ(csp().reqCount(), 2);

    struct Case {
        bool service;
        TTabSheet* TViewPrivatesFrame::*page;
        bool dropDown;        // btnExportX509 drops down pm1 and sends
        bool statusShown;     // actCheckStatus
        int saveSubItems;     // N11's sub-items (send, save)
        int receiveSubItems;  // N17's sub-items (by the service, from a file)
    } cases[] = {
        {false, &TViewPrivatesFrame::ts3, false, false, 0, 0},
        {false, &TViewPrivatesFrame::ts1, false, false, 0, 0},
        {true, &TViewPrivatesFrame::ts3, true, true, 2, 2},
        {true, &TViewPrivatesFrame::ts4, true, true, 2, 2},
        {true, &TViewPrivatesFrame::ts1, false, false, 0, 2},
        {false, &TViewPrivatesFrame::ts4, false, false, 0, 0},  // back again: plain everywhere
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.service ? "service on, " : "service off, ") + (frame->*c.page)->Name());
        if (c.service) serviceOn();
        else serviceOff();
        frame->pgc1->SetActivePage(frame->*c.page);
        frame->updateToolbar();
        EXPECT_EQ(frame->serviceClient() != nullptr, c.service);
        EXPECT_EQ(frame->btnExportX509->Style(), c.dropDown ? tbsDropDown : tbsButton);
        EXPECT_EQ(frame->btnExportX509->DropdownMenu(), c.dropDown ? frame->pm1 : nullptr);
        EXPECT_EQ(frame->btnExportX509->Action(), c.dropDown ? nullptr : frame->actExportX509);
        EXPECT_EQ(frame->actCheckStatus->Visible(), c.statusShown);
        EXPECT_EQ(frame->N11->Count(), c.saveSubItems);
        EXPECT_EQ(frame->N11->Action(), c.saveSubItems ? nullptr : frame->actExportX509);
        EXPECT_EQ(lists->saveMI->Count(), c.saveSubItems);
        EXPECT_EQ(frame->N17->Count(), c.receiveSubItems);
        EXPECT_EQ(frame->btnImportCert->Style(), c.service ? tbsDropDown : tbsButton);
        EXPECT_TRUE(frame->btnImportCert->Visible());  // the container holds requests
        if (c.service) {
            EXPECT_TRUE(frame->actSendSelReq->Visible());
        }
        EXPECT_EQ(frame->actImportSelfCertificate->Caption(), c.service ? "Из файла..." : "Получить сертификат");
        if (c.dropDown) {
            EXPECT_EQ(frame->actExportX509->Caption(), "Сохранить в файл");
            EXPECT_EQ(frame->btnExportX509->Hint(), "Сохранить отмеченный запрос в файл или отправить на регистрацию");
            EXPECT_EQ(frame->N11->Items(0)->Action(), frame->actSendSelReq);
            EXPECT_EQ(frame->N11->Items(1)->Action(), frame->actExportX509);
        } else {
            EXPECT_NE(frame->actExportX509->Caption(), "Сохранить в файл");
        }
        // Both markers of the signature key are set: no early change on ts1,
        // so nothing to block either.
        EXPECT_FALSE(frame->actChgKeys->Visible());
        EXPECT_FALSE(frame->actLockCert->Visible());
    }
    // Without requests the receive commands go away.
    certified(path("done.zrx"), 0x30000, now - kDay, now + 100 * kDay);
    serviceOn();
    show(path("done.zrx"));
    frame->updateToolbar();
    EXPECT_FALSE(frame->btnImportCert->Visible());
    EXPECT_FALSE(frame->N17->Visible());
    EXPECT_FALSE(frame->actSendSelReq->Visible());
}

TEST_F(KeyViewEx, BlockingAndTheEarlyChangeAreOfferedForOwnValidCertificates) {
    const int64_t now = nowSeconds();
    certified(path("valid.zrx"), 0x30000, now - kDay, now + 100 * kDay);
    show(path("valid.zrx"));
    struct Case {
        bool service;
        TTabSheet* TViewPrivatesFrame::*page;
        bool change, lock;
    } cases[] = {
        {true, &TViewPrivatesFrame::ts1, true, true},
        {true, &TViewPrivatesFrame::ts2, true, true},
        {false, &TViewPrivatesFrame::ts1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.service ? "service on, " : "service off, ") + (frame->*c.page)->Name());
        if (c.service) serviceOn();
        else serviceOff();
        frame->pgc1->SetActivePage(frame->*c.page);
        frame->updateToolbar();
        EXPECT_EQ(frame->actChgKeys->Visible(), c.change);
        EXPECT_EQ(frame->actChgKeys->Caption(), "Сменить ключи");
        EXPECT_EQ(frame->actLockCert->Visible(), c.lock);
        EXPECT_EQ(frame->btn5->Visible(), c.change);
    }
    // In tree mode the tree decides; a request node offers neither.
    serviceOn();
    lists->treePageActive = 1;
    lists->tv1->SetSelected(lists->activeKeysNode->Item(0));
    frame->updateToolbar();
    EXPECT_TRUE(frame->actChgKeys->Visible());
    EXPECT_EQ(frame->actChgKeys->Caption(), "Сменить ключ");
    EXPECT_EQ(frame->actLockCert->Visible(), lists->selectedObject && lists->selectedObject->getClass() == 2);
    lists->tv1->SetSelected(lists->certificatesNode);
    frame->updateToolbar();
    EXPECT_FALSE(frame->actChgKeys->Visible());
    EXPECT_FALSE(frame->actLockCert->Visible());
    lists->treePageActive = 0;
}

TEST_F(KeyViewEx, NewRequestsGoToFilesSignatureFirstAndACancelStopsTheSeries) {
    const int64_t now = nowSeconds();
    certified(path("Петренко.zrx"), 0x30000, now - kDay, now + 100 * kDay);
    {
        TZrX509Csp c;
        ASSERT_EQ(0u, c.load(path("Петренко.zrx").c_str(), kContainerPassword));
        ASSERT_TRUE(keys.generate(c, "", 0x30000));  // a key change: signed requests
    }
    show(path("Петренко.zrx"));
    zrxtest::TempDir out;
    std::vector<std::string> proposed;
    int cancelAt = 0;  // the dialog that is cancelled (1-based), 0: none
    std::string badFolder;
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* d = dynamic_cast<TSaveDialog*>(w);
        if (!d) return int(mrOk);
        proposed.push_back(d->FileName());
        if (int(proposed.size()) == cancelAt) return int(mrCancel);
        d->SetFileName((badFolder.empty() ? out.str() : badFolder) + "/" + d->FileName());
        return int(mrOk);
    });

    EXPECT_TRUE(frame->saveNewRequests(0x30000));
    ASSERT_EQ(proposed, (std::vector<std::string>{"Петренко.rq7", "Петренко_ka.rq7"}));
    uint32_t len = 0;
    ASSERT_EQ(0u, csp().ZrX_GetX509Object(nullptr, &len, 2));
    EXPECT_EQ(zrxtest::readFile(out.file("Петренко.rq7")).size(), len);
    ASSERT_EQ(0u, csp().ZrX_GetX509Object(nullptr, &len, 8));
    EXPECT_EQ(zrxtest::readFile(out.file("Петренко_ka.rq7")).size(), len);

    // A cancelled first save dialog: the second is not offered.
    proposed.clear();
    cancelAt = 1;
    EXPECT_FALSE(frame->saveNewRequests(0x30000));
    EXPECT_EQ(proposed.size(), 1u);

    // A write that fails is shown and answers false; the next kind waits.
    proposed.clear();
    cancelAt = 0;
    badFolder = out.file("missing/folder");
    windows.messages.clear();
    EXPECT_FALSE(frame->saveNewRequests(0x30000));
    EXPECT_EQ(proposed.size(), 1u);
    EXPECT_TRUE(windows.shown("Сохранение запроса на сертификат ключа ЭП"));

    // With the main window's hook, the hook alone gets them, with the flags.
    proposed.clear();
    std::vector<uint32_t> hooked;
    frame->OnNewRequests = [&](TViewPrivatesFrame* f, uint32_t kinds) {
        EXPECT_EQ(f, frame);
        hooked.push_back(kinds);
        return 1;
    };
    frame->deliverNewRequests(0x10000);
    EXPECT_EQ(hooked, std::vector<uint32_t>{0x10000});
    EXPECT_TRUE(proposed.empty());
}

TEST_F(KeyViewEx, NothingToSaveOnlyWhenTheRequestIsAbsent) {
    const int64_t now = nowSeconds();
    certified(path("none.zrx"), 0x30000, now - kDay, now + 100 * kDay);
    show(path("none.zrx"));
    ScriptedWindows windows([](TObject*) { return int(mrCancel); });
    EXPECT_TRUE(frame->saveRegistrationRequest(2));
    EXPECT_TRUE(frame->saveRegistrationRequest(8));
    EXPECT_EQ(windows.windows, 0);
    EXPECT_FALSE(frame->saveRegistrationRequest(1));  // not a registered request kind
}

TEST_F(KeyViewEx, StartupKeysAreChangedTogetherInOneGeneration) {
    startupKeys(path("start.zrx"));
    show(path("start.zrx"));
    MakerDialog dialog;
    std::vector<uint32_t> hooked;
    frame->OnNewRequests = [&](TViewPrivatesFrame*, uint32_t kinds) {
        hooked.push_back(kinds);
        return 1;
    };
    std::vector<std::string> shown;
    ScriptedWindows windows([&](TObject* w) -> int {
        shown.push_back(logText(w));
        return int(mrYes);
    });
    const KResult rc = frame->checkPlannedKeyChange(true);
    EXPECT_FALSE(isFailure(rc)) << std::hex << rc;
    // The question, then the result of the change.
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0].find("Стартовые ключи"), std::string::npos);
    EXPECT_EQ(MakerDialog::calls, 1);
    EXPECT_EQ(hooked, std::vector<uint32_t>{0x30000});
    EXPECT_TRUE(csp().container()->alreadyGenerated(0x20000, true));
    EXPECT_TRUE(csp().container()->alreadyGenerated(0x10000, true));
    EXPECT_TRUE(frame->isPasswordGiven());
}

TEST_F(KeyViewEx, AnExpiredCertificateIsChangedEarlyWithoutTheQuestion) {
    const int64_t now = nowSeconds();
    certified(path("old.zrx"), 0x20000, now - 60 * kDay, now - kDay);
    show(path("old.zrx"));
    ASSERT_EQ(frame->pgc1->ActivePage(), frame->ts1);
    MakerDialog dialog;
    std::vector<uint32_t> hooked;
    frame->OnNewRequests = [&](TViewPrivatesFrame*, uint32_t kinds) {
        hooked.push_back(kinds);
        return 1;
    };
    ScriptedWindows windows([](TObject*) { return int(mrOk); });
    EXPECT_FALSE(isFailure(frame->earlyKeyChange()));
    EXPECT_TRUE(windows.messages.empty());  // no question, only the result window
    EXPECT_EQ(windows.windows, 1);
    EXPECT_EQ(MakerDialog::calls, 1);
    EXPECT_EQ(hooked, std::vector<uint32_t>{0x20000});
    EXPECT_TRUE(csp().container()->alreadyGenerated(0x20000, true));

    // A second change of the same key is refused with its message.
    frame->refresh();
    frame->pgc1->SetActivePage(frame->ts1);
    hooked.clear();
    EXPECT_EQ(frame->earlyKeyChange(), 0u);
    EXPECT_TRUE(hooked.empty());
}

TEST_F(KeyViewEx, AValidCertificateIsChangedEarlyOnlyAfterYes) {
    const int64_t now = nowSeconds();
    certified(path("valid.zrx"), 0x30000, now - kDay, now + 100 * kDay);
    show(path("valid.zrx"));
    frame->pgc1->SetActivePage(frame->ts2);
    MakerDialog dialog;
    int delivered = 0;
    frame->OnNewRequests = [&](TViewPrivatesFrame*, uint32_t) { return ++delivered; };
    int answer = mrNo;
    ScriptedWindows windows([&](TObject* w) -> int { return dynamic_cast<TMessageViewForm*>(w) ? answer : int(mrOk); });
    EXPECT_EQ(frame->earlyKeyChange(), 0u);
    EXPECT_TRUE(windows.shown("Выполнить досрочную смену ключей?"));
    EXPECT_EQ(MakerDialog::calls, 0);
    answer = mrYes;
    EXPECT_FALSE(isFailure(frame->earlyKeyChange()));
    EXPECT_EQ(MakerDialog::calls, 1);
    EXPECT_TRUE(csp().container()->alreadyGenerated(0x10000, true));
    EXPECT_FALSE(csp().container()->alreadyGenerated(0x20000, true));

    // In tree mode the chosen active key is changed; other nodes change nothing.
    lists->treePageActive = 1;
    lists->tv1->SetSelected(lists->certificatesNode);
    EXPECT_EQ(frame->earlyKeyChange(), 0u);
    EXPECT_EQ(MakerDialog::calls, 1);
    TTreeNode* signKey = nullptr;
    for (int i = 0; i < lists->activeKeysNode->Count(); ++i) {
        auto* o = static_cast<TZrX509Base*>(lists->activeKeysNode->Item(i)->Data());
        if (o && o->isForSign()) signKey = lists->activeKeysNode->Item(i);
    }
    ASSERT_NE(signKey, nullptr);
    lists->tv1->SetSelected(signKey);
    EXPECT_FALSE(isFailure(frame->earlyKeyChange()));
    EXPECT_EQ(MakerDialog::calls, 2);
    EXPECT_TRUE(csp().container()->alreadyGenerated(0x20000, true));
    EXPECT_EQ(delivered, 2);
    lists->treePageActive = 0;
}

namespace {
// A view whose analysis names keys due without writing any record.
class SilentAnalysisView : public TViewPrivatesFrameEx {
public:
    using TViewPrivatesFrameEx::TViewPrivatesFrameEx;
    uint32_t due = kKeyKindSign;

protected:
    KResult analyseKeyChange(TZrNDefKeysChkInfo* analysis) override {
        analysis->flags = due;
        analysis->status = 0;
        return 0;
    }
};
}  // namespace

TEST_F(KeyViewEx, APlannedChangeAsksEvenWhenTheAnalysisLoggedNothing) {
    const int64_t now = nowSeconds();
    certified(path("valid.zrx"), 0x30000, now - kDay, now + 100 * kDay);
    auto* silent = new SilentAnalysisView(form);
    silent->SetParent(form);
    ASSERT_EQ(0u, silent->containerObject()->load(path("valid.zrx").c_str(), kContainerPassword));
    silent->showContainer(nullptr, false);
    ScriptedWindows windows([](TObject*) { return int(mrNo); });
    EXPECT_EQ(silent->checkPlannedKeyChange(false), 0u);
    EXPECT_TRUE(windows.shown("Выполнить смену ключей сейчас?"));

    // Nothing due: a word only when asked for.
    silent->due = 0;
    windows.messages.clear();
    EXPECT_EQ(silent->checkPlannedKeyChange(false), 0u);
    EXPECT_TRUE(windows.messages.empty());
    EXPECT_EQ(silent->checkPlannedKeyChange(true), 0u);
    EXPECT_TRUE(windows.shown("В текущем контейнере нет ключей, нуждающихся в плановой смене."));
}

TEST_F(KeyViewEx, SweepRemovesExpiredKeysOrSaysThereIsNothing) {
    const int64_t now = nowSeconds();
    certified(path("fresh.zrx"), 0x30000, now - kDay, now + 100 * kDay);
    certified(path("old.zrx"), 0x30000, now - 60 * kDay, now - kDay);
    std::vector<std::string> results;
    ScriptedWindows windows([&](TObject* w) -> int {
        if (dynamic_cast<TLogGrabViewForm*>(w)) results.push_back(logText(w));
        return int(mrYes);
    });

    show(path("fresh.zrx"));
    EXPECT_EQ(frame->sweepContainer(), TSweepOutcome::nothingToRemove);
    EXPECT_TRUE(windows.shown("В контейнере нет данных, подлежащих очистке"));

    show(path("old.zrx"));
    EXPECT_EQ(frame->sweepContainer(), TSweepOutcome::removed);
    EXPECT_EQ(csp().container()->ctx_ActKeysList.count(), 0);
    // Written: the file read again holds no expired keys.
    TZrX509Csp again;
    ASSERT_EQ(0u, again.load(path("old.zrx").c_str(), kContainerPassword));
    EXPECT_EQ(again.container()->ctx_ActKeysList.count(), 0);

    // A write that fails is shown, never reported as done, and undone.
    certified(path("old2.zrx"), 0x30000, now - 60 * kDay, now - kDay);
    show(path("old2.zrx"));
    const int before = csp().container()->ctx_ActKeysList.count();
    csp().container()->setFileName(keys.dir().file("gone/old2.zrx").c_str());
    windows.messages.clear();
    results.clear();
    EXPECT_EQ(frame->sweepContainer(), TSweepOutcome::writeFailed);
    EXPECT_TRUE(windows.shown("Сохранение контейнера личных ключей"));
    EXPECT_FALSE(windows.shown("В контейнере нет данных"));
    EXPECT_TRUE(results.empty());
    EXPECT_EQ(csp().container()->ctx_ActKeysList.count(), before);
}

TEST_F(KeyViewEx, UpdateNowFollowsTheStoredModeWhateverTheDialogAnswered) {
    zrxtest::TempDir dir;
    const char* macros[] = {"APPL", "APPLDATA", "UPDATES"};
    std::vector<TCString> saved;
    for (const char* m : macros) saved.push_back(getCFGMacroValue(m));
    registerCFGMacro("APPL", "ViewApp");
    registerCFGMacro("APPLDATA", dir.file("appdata").c_str());
    registerCFGMacro("UPDATES", dir.file("updates").c_str());
    const std::string ini = updatesIniFileName().str();
    std::filesystem::create_directories(std::filesystem::path(ini).parent_path());

    // The dialog is cancelled each time (1001): only the stored mode counts.
    ScriptedWindows windows([](TObject*) { return int(mrCancel); });
    for (const char* mode : {"0", "2", "0", "3"}) {
        zrxtest::writeFile(ini, std::string("[ViewApp]\nupdationMode=") + mode + "\n");
        frame->actUpdateNow->SetVisible(!frame->actUpdateNow->Visible());
        frame->actEditUpdatePars->Execute();
        EXPECT_EQ(frame->actUpdateNow->Visible(), std::string(mode) != "0") << mode;
    }
    for (size_t i = 0; i < saved.size(); ++i) registerCFGMacro(macros[i], saved[i].c_str());
}

TEST_F(KeyViewEx, TheServiceClientFollowsTheSettingsAndTheShownContainer) {
    EXPECT_EQ(frame->serviceClient(), nullptr);
    serviceOn("http://127.0.0.1:9/base");
    ASSERT_NE(frame->serviceClient(), nullptr);
    EXPECT_EQ(frame->serviceClient()->csp(), frame->containerObject());
    EXPECT_EQ(frame->serviceClient()->baseURL().str(), "http://127.0.0.1:9/base/JCMP/");
    // Another container shown: the client acts on it, never on the old one.
    TZrX509Csp* own = frame->containerObject();
    TZrX509Csp other;
    frame->showContainer(&other, false);
    ASSERT_NE(frame->serviceClient(), nullptr);
    EXPECT_EQ(frame->serviceClient()->csp(), &other);
    frame->showContainer(own, false);
    EXPECT_EQ(frame->serviceClient()->csp(), own);
    serviceOff();
    EXPECT_EQ(frame->serviceClient(), nullptr);
}

TEST_F(KeyViewEx, KeyAgreementKeysAreAddedOnlyWithTheTemplateAndOnce) {
    const int64_t now = nowSeconds();
    certified(path("sign.zrx"), 0x20000, now - kDay, now + 100 * kDay);
    show(path("sign.zrx"));
    std::vector<uint32_t> hooked;
    frame->OnNewRequests = [&](TViewPrivatesFrame*, uint32_t kinds) {
        hooked.push_back(kinds);
        return 1;
    };
    ScriptedWindows windows([](TObject*) { return int(mrOk); });
    // The program folder holds no template.
    EXPECT_TRUE(isFailure(frame->addEncodeKeys()));
    EXPECT_TRUE(windows.shown("Загрузка шаблона криптопараметров системы из файла"));
    EXPECT_FALSE(windows.shown("Добавление ключей связи в контейнер"));
    EXPECT_FALSE(csp().container()->alreadyGenerated(0x10000, false));
    EXPECT_TRUE(hooked.empty());

    // With the template in the program folder the keys come, and their request goes on.
    zrxtest::TempDir program;
    std::filesystem::create_directories(program.file("xcfg"));
    std::filesystem::copy_file(profile.templateFile.str(), program.file("xcfg/defTemplate.xcfg"));
    const TCString savedFolder = getCaConfig().programFolder;
    getCaConfig().programFolder = program.str().c_str();
    windows.messages.clear();
    const KResult rc = frame->addEncodeKeys();
    getCaConfig().programFolder = savedFolder;
    EXPECT_FALSE(isFailure(rc)) << std::hex << rc;
    EXPECT_TRUE(windows.messages.empty());
    EXPECT_TRUE(csp().container()->alreadyGenerated(0x10000, false));
    EXPECT_EQ(hooked, std::vector<uint32_t>{0x10000});
    // Once there, they are not added again.
    EXPECT_EQ(frame->addEncodeKeys(), 0u);
    EXPECT_TRUE(windows.shown("В текужем контенере уже присутсвтуют ключи связи!"));
}

TEST_F(KeyViewEx, TheSettingsDialogSwitchesTheServiceAndTheDigestMapping) {
    int rounds = 0;
    auto fill = [&](bool service, bool dstu, bool save) {
        rounds = 0;
        return [&rounds, service, dstu, save](TObject* w) -> int {
            auto* f = dynamic_cast<TZrXCViewerConfigForm*>(w);
            if (!f) return int(mrOk);
            if (++rounds > 1) return int(mrCancel);
            f->chedt1->setTextValue("http://127.0.0.1:9/");
            f->chk1->SetChecked(service);
            f->rg1->SetItemIndex(dstu ? 1 : 0);
            f->sntpFrame->chk1->SetChecked(true);
            (save ? f->btnOk : f->btnCancel)->Click();
            return 0;
        };
    };
    ScriptedWindows windows;
    windows.setScript(fill(true, true, true));
    EXPECT_TRUE(frame->execViewerSettings());
    ASSERT_NE(frame->serviceClient(), nullptr);
    EXPECT_EQ(frame->serviceClient()->baseURL().str(), "http://127.0.0.1:9/JCMP/");
    EXPECT_EQ(getMDMapMode(), 2);
    TCCtxViewerConfig stored;
    ASSERT_TRUE(stored.load());
    EXPECT_TRUE(stored.flags.isSet(kSettingsUseService));

    // Cancelled: nothing changes.
    windows.setScript(fill(false, false, false));
    EXPECT_FALSE(frame->execViewerSettings());
    EXPECT_NE(frame->serviceClient(), nullptr);
    EXPECT_EQ(getMDMapMode(), 2);

    windows.setScript(fill(false, false, true));
    EXPECT_TRUE(frame->execViewerSettings());
    EXPECT_EQ(frame->serviceClient(), nullptr);
    EXPECT_EQ(getMDMapMode(), 1);

    // A settings file that cannot be written: shown, and not reported saved.
    { std::ofstream(settings.pub.file("blocker")) << "a file where the folder would be"; }
    setenv("PUBLIC", settings.pub.file("blocker/sub").c_str(), 1);
    windows.messages.clear();
    windows.setScript(fill(true, false, true));
    EXPECT_FALSE(frame->execViewerSettings());
    EXPECT_TRUE(windows.shown("Не удалось сохранить настройки в файле"));
    setenv("PUBLIC", settings.pub.str().c_str(), 1);
}

namespace {
bool refuseDialog(TCRequestParamMaker*, const char*, char*) { return false; }

// The owner-parameter dialog of a key change giving a new container password.
struct NewPasswordDialog {
    static inline std::string next;
    TExecEditUserParmsFormFunc previous;
    explicit NewPasswordDialog(const std::string& password) : previous(setExecEditUserParmsForm(answer)) {
        next = password;
    }
    ~NewPasswordDialog() { setExecEditUserParmsForm(previous); }
    static bool answer(TCRequestParamMaker*, const char*, char* password) {
        if (password) std::snprintf(password, kReqPasswordSize, "%s", next.c_str());
        return true;
    }
};

// The policy's longest passwords, 32 Cyrillic and 32 four-byte characters:
// set as the container's (the Cyrillic one typed into the new-password
// dialog; one of symbols alone fails its quality test, so it is set through
// the content), the container reloads with it, and a key change hands it
// whole to the preparation, which then takes the other one as the new
// password.
class LongPasswords : public KeyViewEx {
protected:
    static std::string longest(const char* odd, const char* even) {
        std::string s;
        for (int i = 0; i < 32; ++i) s += i % 2 ? odd : even;
        return s;
    }
    void road(const std::string& password, const std::string& next, bool typed) {
        const int64_t now = nowSeconds();
        const std::string file = path("long.zrx");
        certified(file, 0x30000, now - kDay, now + 100 * kDay);
        show(file);
        if (typed) {
            ScriptedWindows windows([&](TObject* w) -> int {
                auto* d = dynamic_cast<TMakePasswordForm*>(w);
                if (!d) return int(mrOk);
                for (TEdit* e : {d->PasswordEdit, d->PasswordConfirm}) {
                    e->SetFocus();
                    SendText(e, password + "Ж");  // one more than the policy allows
                }
                d->Button1->Click();
                return 0;
            });
            ASSERT_TRUE(frame->changePassword()) << (windows.messages.empty() ? "" : windows.messages.back());
        } else {
            ASSERT_EQ(0u, csp().container()->changePassword(kContainerPassword, password.c_str(), 0));
            ASSERT_EQ(0u, csp().container()->update());
        }
        {
            TZrX509Csp reread;
            EXPECT_EQ(0u, reread.load(file.c_str(), password.c_str()));
        }
        TZrX509* own = csp().getSelfCrt();
        ASSERT_NE(own, nullptr);
        NewPasswordDialog dialog(next);
        ScriptedWindows windows([](TObject*) { return int(mrOk); });
        EXPECT_EQ(0u, frame->changeKey(own, 0x20000));
        EXPECT_TRUE(csp().container()->alreadyGenerated(0x20000, true));
        TZrX509Csp reread;
        EXPECT_EQ(0u, reread.load(file.c_str(), next.c_str()));
    }
};

TEST_F(LongPasswords, CyrillicTypedThenKeyChange) {
    road(longest("Ж", "ї"), longest("\U0001F511", "\U0001D11E"), true);
}

TEST_F(LongPasswords, FourByteThenKeyChange) { road(longest("\U0001F511", "\U0001D11E"), longest("Ж", "ї"), false); }

}  // namespace

TEST_F(KeyViewEx, AFailedChangeIsShownExceptACancelAndNothingIsDelivered) {
    const int64_t now = nowSeconds();
    certified(path("valid.zrx"), 0x30000, now - kDay, now + 100 * kDay);
    show(path("valid.zrx"));
    TZrX509* own = csp().getSelfCrt();
    ASSERT_NE(own, nullptr);
    std::vector<uint32_t> hooked;
    frame->OnNewRequests = [&](TViewPrivatesFrame*, uint32_t kinds) {
        hooked.push_back(kinds);
        return 1;
    };
    ScriptedWindows windows([](TObject*) { return int(mrOk); });

    EXPECT_EQ(frame->changeKey(nullptr, 0x20000), kNoCertificateToChange);

    // No profile named and none chosen.
    frame->OnSelectProfile = nullptr;
    EXPECT_EQ(frame->changeKeyReported(own, 0x20000, "ключа ЭП"), kNoProfileForChange);
    EXPECT_TRUE(windows.shown("Смена ключа ЭП"));

    // The dialog cancelled: no word, no keys, the password still to be given.
    frame->OnSelectProfile = [this](TViewPrivatesFrame*, TZrX509*) { return &profile; };
    const TExecEditUserParmsFormFunc previous = setExecEditUserParmsForm(refuseDialog);
    windows.messages.clear();
    EXPECT_EQ(frame->changeKeyReported(own, 0x20000, "ключа ЭП"), kChangeCancelled);
    setExecEditUserParmsForm(previous);
    EXPECT_TRUE(windows.messages.empty());
    EXPECT_FALSE(frame->isPasswordGiven());
    EXPECT_FALSE(csp().container()->alreadyGenerated(0x20000, true));
    EXPECT_TRUE(hooked.empty());
}
