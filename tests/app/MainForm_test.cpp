// The container window's start-up order with the update engine and the
// configuration injected, and the key generator's main window end to end:
// the shipped configuration, the start-up dialog and every window of a
// generation answered through the modal hook, real file containers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/config/AppConfig.h"
#include "locations/ContainerPrompt.h"
#include "app/DailyLog.h"
#include "app/GenerationWindows.h"
#include "app/containers/KeyContainerFixture.h"
#include "locations/LocationTestSupport.h"
#include "app/MainForm.h"
#include "platform/core/config/PathMacros.h"
#include "app/StartupDialog.h"
#include "components/ResImageList.h"
#include "components/ResImageStrips.h"
#include "app/Startup.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/core/config/FlagDescriptors.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/framework/QtTestApp.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Translation.h"
#include "requests/GenFlags.h"
#include "views/KeyViewFrmEx.h"
#include "requests/UserExParsFrame.h"
#include "update/UpdateRun.h"

// Qt last: its "slots" keyword would clash with the names above.
#include <QImage>
#include <QWidget>

namespace {

namespace fs = std::filesystem;
using zrxtest::ScriptedWindows;

bool sh(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// Every case starts as a first start of the program would, and leaves no
// window, configuration, macro, log, hook or stored state behind.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        savedModule_ = getModuleFileName();
        savedTitle_ = Application->Title();
        setModuleFileName("ZrX509_ZERUvorido");
        const TFPropFrmConctructorRec* rec = findReqPropsFrame("UserExPars");
        savedPage_ = rec ? rec->constructor : nullptr;
        forget();
        installConfig();
    }
    void TearDown() override {
        windows_.reset();
        if (form_) {
            if (auto* main = dynamic_cast<TZrXZerUvoridoForm*>(form_);
                main && main->newKeysActions && main->newKeysActions->Owner() != form_)
                delete main->newKeysActions;
            form_->Free();
            form_ = nullptr;
        }
        viewCtxStartupServices() = defaultViewCtxStartupServices();
        setViewFlags(0);
        clearXProfiles();
        clearFBDescriptors();
        clearCFGMacros();
        unregisterGlobalIntValue("disabledTknCertFlags");
        resetDailyLog();
        resetStartupState();
        zrnResetTranslation();
        setModuleFileName(savedModule_.c_str());
        Application->SetTitle(savedTitle_);
        if (savedPage_) registerReqPropsFrame("UserExPars", savedPage_);
        genFlags = 0;
        forget();
        std::error_code ec;
        fs::remove_all(fs::path(std::getenv("ALLUSERSPROFILE")) / "zoren", ec);
    }
    static void forget() {
        zrxtest::forgetStoredState({"ZrXForms", "ZI509", "ZrXCreator", "X509Editors", "ZrX509", "OpenNCTX"});
    }
    // The shipped configuration where the program looks for it; edit
    // changes its text first.
    static void installConfig(const std::function<void(std::string&)>& edit = nullptr) {
        const fs::path to = fs::path(std::getenv("ALLUSERSPROFILE")) / "zoren/ZrX509_ZERUvorido/xcfg";
        fs::create_directories(to);
        for (const auto& e : fs::directory_iterator(fs::path(ZRX_SOURCE_DIR) / "app/data/xcfg"))
            fs::copy_file(e.path(), to / e.path().filename(), fs::copy_options::overwrite_existing);
        if (edit) {
            const std::string file = (to / "ZrX509_ZERUvorido.xcfg").string();
            std::string text = zrxtest::readFile(file);
            edit(text);
            zrxtest::writeFile(file, text);
        }
    }
    TZrXZerUvoridoForm* mainForm() {
        auto* f = CreateComponent<TZrXZerUvoridoForm>(Application);
        form_ = f;
        return f;
    }
    // Answers the start-up dialog with the item of that caption (null: the
    // check box), recording what it offered; the windows of a generation as
    // answered; anything else with OK.
    void script(const char* item, zrxtest::GenerationAnswers answers = {},
                std::function<int(TObject*)> other = nullptr) {
        answers.saveFolder = dir_.str();
        seen_ = zrxtest::GenerationSeen();
        windows_.reset();
        windows_ = std::make_unique<ScriptedWindows>([this, item, answers, other](TObject* w) -> int {
            if (auto* d = dynamic_cast<TStatupCreatorDialog*>(w)) {
                Offer o{d->Caption(), {}, d->chk1->Visible()};
                for (int i = 0; i < d->rg1->Items()->Count(); ++i) o.items.push_back(d->rg1->Items()->Strings(i));
                offers_.push_back(o);
                if (!item) {
                    if (!d->chk1->Visible()) return mrCancel;
                    d->chk1->SetChecked(true);
                    return mrOk;
                }
                const int i = d->rg1->Items()->IndexOf(item);
                if (i < 0) return mrCancel;
                d->rg1->SetItemIndex(i);
                return mrOk;
            }
            const int r = zrxtest::answerGenerationWindow(w, answers, seen_);
            if (r >= 0) return r;
            return other ? other(w) : int(mrOk);
        });
    }
    static bool requestVerifies(const std::string& file) {
        return sh("openssl req -verify -noout -inform DER -in '" + file + "'");
    }
    static std::string ownerOf(const std::string& file) {
        TZrX509Req r;
        return r.loadFromFile(file.c_str()) ? r.ownerName().str() : std::string();
    }
    void snapshot(TCustomForm* f, const char* name) {
        const char* dir = std::getenv("ZRX_TEST_SNAPSHOTS");
        if (!dir) return;
        fs::create_directories(dir);
        f->Show();
        Application->ProcessMessages();
        f->Handle()->grab().save((std::string(dir) + "/" + name + ".png").c_str());
    }

    struct Offer {
        std::string caption;
        std::vector<std::string> items;
        bool checkBox;
    };
    zrxtest::TempDir dir_;
    std::unique_ptr<ScriptedWindows> windows_;
    zrxtest::GenerationSeen seen_;
    std::vector<Offer> offers_;
    TCustomForm* form_ = nullptr;
    TCString savedModule_;
    String savedTitle_;
    TReqPropsFrameConstructor savedPage_ = nullptr;
};

// ---- the container window's start-up

// What the start-up asks of the update engine and the configuration, in
// order, and where it stops.
TEST_F(WindowTest, StartupOrderWithInjectedUpdateAndConfiguration) {
    struct Case {
        const char* name;
        bool startExit, forcedExit, configOk;
        const char* url;
        uint32_t mode;
        std::vector<std::string> calls;
        bool result, failed, updateNowShown;
    } cases[] = {
        {"normal", false, false, true, "", 1, {"update1", "config"}, true, false, true},
        {"update mode 0 hides the command", false, false, true, "", 0, {"update1", "config"}, true, false, false},
        {"the update at start asks to close", true, false, true, "", 1, {"update1"}, false, false, false},
        {"service files",
         false,
         false,
         true,
         "https://ca.example/upd/u.sxml",
         1,
         {"update1", "update3:https://ca.example/upd/u.sxml", "config"},
         true,
         false,
         true},
        {"service files ask to close",
         false,
         true,
         true,
         "https://ca.example/upd/u.sxml",
         1,
         {"update1", "update3:https://ca.example/upd/u.sxml"},
         false,
         false,
         false},
        {"configuration not loadable", false, false, false, "", 1, {"update1", "config"}, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> calls;
        TViewCtxStartupServices& s = viewCtxStartupServices();
        s.runUpdate = [&](int mode, TCUpdationCtx& ctx, const char* href) -> KResult {
            calls.push_back("update" + std::to_string(mode) + (href ? std::string(":") + href : ""));
            if ((mode == UPD_MODE_START && c.startExit) || (mode == UPD_MODE_FORCED && c.forcedExit))
                ctx.flags.set(UPD_MUST_EXIT);
            if (mode == UPD_MODE_START) registerPathMacros(nullptr);
            return 0;
        };
        s.serviceFilesUrl = [&] { return TCString(c.url); };
        s.loadConfig = [&](const char* path) {
            calls.push_back("config");
            // A real failure, so that the runtime's last message names the file.
            return loadAppConfig(c.configOk ? path : "/nonexistent/ZrX509_ZERUvorido.xcfg", 0);
        };
        s.updateMode = [&] { return c.mode; };
        ScriptedWindows windows;
        resetStartupState();
        auto* f = CreateComponent<TZrXViewCtxForm>(Application);
        f->ctxFrame->actUpdateNow->SetVisible(false);
        const bool result = f->init(false);
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.calls, calls);
        EXPECT_EQ(c.failed, startupFailed());
        EXPECT_EQ(c.updateNowShown, f->ctxFrame->actUpdateNow->Visible());
        if (c.failed) {
            ASSERT_EQ(1u, windows.messages.size());
            EXPECT_NE(std::string::npos, windows.messages[0].find("ZrX509_ZERUvorido.xcfg")) << windows.messages[0];
            EXPECT_EQ('!', windows.messages[0].back());
        } else {
            EXPECT_TRUE(windows.messages.empty());
        }
        f->Free();
        clearXProfiles();
    }
}

// The window takes over the frame's menu and tool bar; the pages switch the
// content tree on and off.
TEST_F(WindowTest, ContainerWindowLayout) {
    auto* f = CreateComponent<TZrXViewCtxForm>(Application);
    form_ = f;
    EXPECT_EQ(f->ctxFrame->mm1, f->Menu());
    EXPECT_EQ(static_cast<TWinControl*>(f), f->ctxFrame->tlb1->Parent());
    EXPECT_EQ(static_cast<TWinControl*>(f->ts1), f->ctxFrame->Parent());
    EXPECT_EQ(static_cast<TWinControl*>(f->ts2), f->listsFrame->Parent());
    EXPECT_EQ(f->listsFrame, f->ctxFrame->attachedListsFrame());
    // The bar shows the strip's pictures; every picture a button names is in it.
    TToolBar* bar = f->ctxFrame->tlb1;
    EXPECT_EQ(bar->Images(), f->ctxFrame->rsmglst1);
    EXPECT_EQ(bar->DisabledImages(), f->ctxFrame->rsmglst2);
    EXPECT_EQ(f->ctxFrame->btnLoad->ImageIndex(), kBarOpenImage);
    for (int i = 0; TToolButton* b = bar->Buttons(i); ++i)
        if (b->ImageIndex() >= 0) {
            EXPECT_NE(bar->Images()->Image(b->ImageIndex()), nullptr) << b->Name();
        }
    EXPECT_TRUE(f->ctxFrame->NLang->Visible());
    EXPECT_GT(f->ctxFrame->NLang->Count(), 0);
    EXPECT_TRUE(testViewFlags(24));
    f->pgc1->SetActivePage(f->ts2);
    f->pgc1Change(f->pgc1);
    EXPECT_EQ(1, f->listsFrame->treePageActive);
    f->pgc1->SetActivePage(f->ts1);
    f->pgc1Change(f->pgc1);
    EXPECT_EQ(0, f->listsFrame->treePageActive);
}

// ---- the key generator

TEST_F(WindowTest, GeneratorConstruction) {
    TZrXZerUvoridoForm* f = mainForm();
    EXPECT_EQ(f->ctxFrame, f->frameEx);
    EXPECT_FALSE(f->pgc1->Visible());
    EXPECT_TRUE(f->frameEx->btnCreate->Visible());
    EXPECT_TRUE(f->frameEx->actCreate->Visible());
    for (TAction* a : {f->frameEx->actEditUpdatePars, f->frameEx->actUpdateNow, f->frameEx->actEditContfig})
        EXPECT_FALSE(a->Visible()) << a->Name();
    EXPECT_TRUE(testViewFlags(56));
    EXPECT_EQ("Генератор ключей, текущий владелец - \"Петренко\"", f->frameEx->captionFor("Петренко").str());
}

// Start-up with a new-key item: a new file container and its request,
// shown in the window; then the create command with a self-issued
// certificate; a key change's requests then go to files whatever the last
// generation's check box said.
TEST_F(WindowTest, GeneratorEndToEnd) {
    TZrXZerUvoridoForm* f = mainForm();
    zrxtest::GenerationAnswers a;
    a.location = dir_.file("Petrenko.pfx");
    script("Ключи электронной подписи", a);
    ASSERT_TRUE(f->init());
    EXPECT_TRUE(seen_.refusal.empty());
    ASSERT_EQ(1u, offers_.size());
    EXPECT_TRUE(offers_[0].checkBox);
    EXPECT_EQ((std::vector<std::string>{"Ключи электронной подписи", "Ключи согласования (шифрования)",
                                        "Ключи подписи и согласования"}),
              offers_[0].items);
    EXPECT_TRUE(f->NewKeyMI->Visible());
    EXPECT_EQ(3, f->NewKeyMI->Count());
    ASSERT_EQ(1u, seen_.savedFiles.size());
    EXPECT_EQ(dir_.file("Petrenko.p10"), seen_.savedFiles[0]);
    EXPECT_TRUE(requestVerifies(seen_.savedFiles[0]));
    EXPECT_EQ(zrxtest::kGenOwner, ownerOf(seen_.savedFiles[0]));
    EXPECT_EQ(1u, seen_.results.size());
    // The window shows the new container.
    EXPECT_TRUE(f->pgc1->Visible());
    EXPECT_EQ("Генератор ключей, текущий владелец - \"Петренко Іван\"", f->Caption());
    EXPECT_EQ(f->frameEx->containerObject()->container(), f->listsFrame->content);
    EXPECT_EQ("no", getCFGMacroValue("onlyEmptyTokens").str());
    snapshot(f, "main28");

    // The create command: no check box in its dialog.
    offers_.clear();
    a.location = dir_.file("Self.pfx");
    a.selfIssued = true;
    script("Ключи подписи и согласования", a);
    ASSERT_TRUE(f->frameEx->actCreate->Execute());
    ASSERT_EQ(1u, offers_.size());
    EXPECT_FALSE(offers_[0].checkBox);
    ASSERT_EQ(2u, seen_.savedFiles.size());
    EXPECT_EQ(dir_.file("Self.crt"), seen_.savedFiles[0]);
    EXPECT_EQ(dir_.file("Self_ka.crt"), seen_.savedFiles[1]);
    EXPECT_NE(nullptr, f->frameEx->activeCertificateObject());
    EXPECT_EQ(0, f->frameEx->containerObject()->reqCount());
    EXPECT_EQ(0u, genFlags.value());

    // A request made by a key change, with the self-issued bit left over.
    TZrX509Csp& csp = *f->frameEx->containerObject();
    zrxtest::KeyContainers keys;
    genFlags = kGenSelfIssuedCert;
    script(nullptr, a);
    TZrX509Csp other;
    ASSERT_TRUE(keys.generate(other, dir_.file("Change.pfx"), 0x20000));
    f->frameEx->showContainer(&other, false);
    ASSERT_EQ(1, f->frameEx->OnNewRequests(f->frameEx, 0x20000 | kGenSelfIssuedCert));
    EXPECT_TRUE(seen_.issuing.empty());
    ASSERT_EQ(1u, seen_.savedFiles.size());
    EXPECT_EQ(dir_.file("Change.p10"), seen_.savedFiles[0]);
    f->frameEx->showContainer(&csp, false);
}

// Cancelling the owner-parameter dialog leaves the open container as it was
// and still shows the result window.
TEST_F(WindowTest, CancelledGenerationKeepsTheOpenContainer) {
    TZrXZerUvoridoForm* f = mainForm();
    zrxtest::GenerationAnswers a;
    a.location = dir_.file("Kept.pfx");
    script("Ключи электронной подписи", a);
    ASSERT_TRUE(f->init());
    const std::string before = zrxtest::readFile(a.location);
    a.cancelOwner = true;
    script("Ключи подписи и согласования", a);
    ASSERT_TRUE(f->frameEx->actCreate->Execute());
    EXPECT_EQ(1u, seen_.results.size());
    EXPECT_NE(std::string::npos, seen_.results[0].find("не созданы")) << seen_.results[0];
    EXPECT_EQ(before, zrxtest::readFile(a.location));
    EXPECT_EQ(1, f->frameEx->containerObject()->reqCount());
    EXPECT_TRUE(f->pgc1->Visible());
}

// The start-up dialog's check box opens an existing container.
TEST_F(WindowTest, GeneratorOpensAnExistingContainer) {
    zrxtest::KeyContainers keys;
    TZrX509Csp made;
    const std::string path = dir_.file("Existing.pfx");
    ASSERT_TRUE(keys.generate(made, path, 0x30000, "Коваль Олена"));
    TZrXZerUvoridoForm* f = mainForm();
    script(nullptr, {}, [&](TObject* w) -> int {
        if (auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w)) {
            p->locationFrame->setLocation(path.c_str());
            p->PasswordEdit->SetText(zrxtest::kContainerPassword);
            p->Button1->Click();
            return 0;
        }
        return mrOk;
    });
    ASSERT_TRUE(f->init());
    EXPECT_TRUE(f->pgc1->Visible());
    EXPECT_EQ(2, f->frameEx->containerObject()->reqCount());
    EXPECT_EQ("Генератор ключей, текущий владелец - \"Коваль Олена\"", f->Caption());
    EXPECT_NE(nullptr, f->listsFrame->requestsNode);
}

// Whatever path opens a container, the window shows it; an open that fails
// or is cancelled leaves the window showing what is still loaded (or
// nothing), with the commands to match; and a key change offered at open
// that is given up does not hide what was opened.
TEST_F(WindowTest, EveryOpenShowsWhatIsLoaded) {
    zrxtest::KeyContainers keys;
    TZrX509Csp made;
    const std::string first = dir_.file("First.pfx"), due = dir_.file("Due.pfx");
    ASSERT_TRUE(keys.generate(made, first, 0x30000, "Коваль Олена"));
    TZrX509Csp dueMade;
    ASSERT_TRUE(keys.generate(dueMade, due, 0x20000, "Ткач Богдан"));
    const int64_t now = zrxtest::nowSeconds();
    ASSERT_TRUE(zrxtest::KeyContainers::certifyAll(dueMade, now - 300 * zrxtest::kDay, now + 5 * zrxtest::kDay));

    TZrXZerUvoridoForm* f = mainForm();
    // The prompt: open `path` with `password`, or cancel without a path.
    std::string path, password;
    int changesOffered = 0;
    windows_ = std::make_unique<ScriptedWindows>([&](TObject* w) -> int {
        // The start-up dialog: open an existing container; as the profile
        // chooser of a key change (no check box): given up.
        if (auto* d = dynamic_cast<TStatupCreatorDialog*>(w)) {
            if (!d->chk1->Visible()) return mrCancel;
            d->chk1->SetChecked(true);
            return mrOk;
        }
        if (auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w)) {
            if (path.empty()) return mrCancel;
            p->locationFrame->setLocation(path.c_str());
            p->PasswordEdit->SetText(password.c_str());
            p->Button1->Click();
            return 0;
        }
        // The key change offered at open: yes, then give up wherever asked.
        if (dynamic_cast<TLogGrabViewForm*>(w)) {
            ++changesOffered;
            return mrYes;
        }
        if (dynamic_cast<TEditUserParmsForm*>(w)) return mrCancel;
        if (dynamic_cast<TMessageViewForm*>(w)) return mrYes;
        return mrCancel;
    });
    ASSERT_TRUE(f->init());  // the start-up dialog's open, cancelled
    const String emptyCaption = f->Caption();
    auto expectShown = [&](const char* owner) {
        f->UpdateActions();
        if (!owner) {
            EXPECT_FALSE(f->pgc1->Visible());
            EXPECT_EQ(emptyCaption, f->Caption());
            EXPECT_FALSE(f->frameEx->actSweep->Enabled());
            EXPECT_FALSE(f->frameEx->actChgKeys->Visible());
            EXPECT_EQ(nullptr, f->listsFrame->content);
            return;
        }
        EXPECT_TRUE(f->pgc1->Visible());
        EXPECT_EQ("Генератор ключей, текущий владелец - \"" + std::string(owner) + "\"", f->Caption());
        EXPECT_EQ(f->frameEx->containerObject()->container(), f->listsFrame->content);
        EXPECT_NE(nullptr, f->frameEx->currentObject());
        EXPECT_TRUE(f->frameEx->actSweep->Enabled());
    };
    expectShown(nullptr);

    // A failed open with nothing loaded shows nothing.
    path = first;
    password = "неверный-пароль";
    f->frameEx->actLoad->Execute();
    EXPECT_TRUE(windows_->shown("Загрузка контейнера"));
    expectShown(nullptr);

    // The tool bar's open shows what it opened.
    password = zrxtest::kContainerPassword;
    f->frameEx->actLoad->Execute();
    expectShown("Коваль Олена");

    // A failed open and a cancelled one leave it shown.
    password = "неверный-пароль";
    f->frameEx->actLoad->Execute();
    expectShown("Коваль Олена");
    path.clear();
    f->frameEx->actLoad->Execute();
    expectShown("Коваль Олена");

    // Keys due for a change: the change is accepted at open, then given up.
    path = due;
    password = zrxtest::kContainerPassword;
    f->frameEx->actLoad->Execute();
    EXPECT_EQ(1, changesOffered);
    expectShown("Ткач Богдан");
}

// A configuration without new-key items: "Создать ключи" stays hidden and
// the start-up dialog offers only the check box; cancelling it ends the start.
TEST_F(WindowTest, NoNewKeyItems) {
    installConfig([](std::string& text) {
        const std::string from = "<newKeys>sign,ka,signKa</newKeys>";
        text.replace(text.find(from), from.size(), "<newKeys></newKeys>");
    });
    TZrXZerUvoridoForm* f = mainForm();
    bool acceptPossible = true;
    windows_ = std::make_unique<ScriptedWindows>([&](TObject* w) -> int {
        if (auto* d = dynamic_cast<TStatupCreatorDialog*>(w)) {
            offers_.push_back({d->Caption(), {}, d->chk1->Visible()});
            for (int i = 0; i < d->rg1->Items()->Count(); ++i) offers_.back().items.push_back("?");
            acceptPossible = d->btn1->Enabled();
            return mrCancel;
        }
        return mrOk;
    });
    EXPECT_FALSE(f->init());
    EXPECT_FALSE(startupFailed());
    ASSERT_EQ(1u, offers_.size());
    EXPECT_TRUE(offers_[0].items.empty());
    EXPECT_TRUE(offers_[0].checkBox);
    EXPECT_FALSE(acceptPossible);
    EXPECT_FALSE(f->NewKeyMI->Visible());
    EXPECT_FALSE(f->NewKeyMI_dvd->Visible());
}

// A certificate whose key has no profile of its kind: the start-up dialog
// asks for one, without the check box and with its own caption.
TEST_F(WindowTest, ProfileChosenForACertificate) {
    TZrXZerUvoridoForm* f = mainForm();
    // Opening an existing container, its prompt cancelled.
    script(nullptr, {}, [](TObject*) { return int(mrCancel); });
    ASSERT_TRUE(f->init());
    zrxtest::CertMaker certs;
    ASSERT_TRUE(certs.root("Root"));
    ASSERT_TRUE(certs.issue("User", "Root", "basicConstraints=CA:false\nkeyUsage=digitalSignature"));
    TZrX509 cert;
    ASSERT_TRUE(cert.loadFromFile(certs.crt("User").c_str()));
    offers_.clear();
    script("Ключи согласования (шифрования)");
    EXPECT_EQ(_getDefPFList().findProfile("ka"), f->frameEx->OnSelectProfile(f->frameEx, &cert));
    ASSERT_EQ(1u, offers_.size());
    EXPECT_EQ("Выберите профиль ключей", offers_[0].caption);
    EXPECT_FALSE(offers_[0].checkBox);
    script(nullptr);
    EXPECT_EQ(nullptr, f->frameEx->OnSelectProfile(f->frameEx, &cert));
}

}  // namespace
