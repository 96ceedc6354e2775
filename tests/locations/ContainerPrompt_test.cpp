#include <gtest/gtest.h>

#include <string>

#include "locations/LocationTestSupport.h"
#include "locations/ContainerPrompt.h"
#include "dialogs/ProgressForm.h"
#include "platform/core/config/P12Template.h"
#include "platform/core/container/ContainerFile.h"
#include "platform/runtime/Passwords.h"
#include "platform/x509api/BaseRequestParamMaker.h"
#include "platform/p11/P11Support.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/x509api/ZrX509Csp.h"
#include "views/KeyViewFrmEx.h"
#include "support/TempDir.h"

using zrxtest::HsmEnvironment;
using zrxtest::ScriptedWindows;
using zrxtest::TestMedium;

namespace {

[[maybe_unused]] ::testing::Environment* const gHsm = ::testing::AddGlobalTestEnvironment(new HsmEnvironment);

const char kPassword[] = "Пароль-1234";

// Makes a container with a signature key at a location (file or token).
bool makeContainer(const zrxtest::TempDir& dir, const std::string& location, const char* password) {
    const std::string tmpl = dir.file("t.xcfg");
    zrxtest::writeFile(tmpl,
                       "<cryptoTemplate version=\"1\"><sign><params name=\"s\" alg=\"EC:P-256\" "
                       "default=\"yes\"/></sign></cryptoTemplate>");
    TCXProfileDescriptor profile;
    profile.name = "t";
    profile.id = 3;
    profile.flags = PF_SIGN_KEYS;
    TZrX509Csp csp;
    TCBaseRequestParamMaker maker(&profile, &csp);
    if (loadP12Template(tmpl.c_str(), &maker.cryptoTemplate()) != 0) return false;
    if (isFailure(maker.initCtxCryptoPars(3, 0, 0))) return false;
    maker.nameList().addAttribute("CN", "Открываемый");
    csp.prepareUpdate();
    csp.beginUpdate();
    csp.setContainerName(location.c_str());
    csp.container()->setDp(password);
    if (isFailure(maker.generateKeys(&csp, 0x20000, nullptr))) return false;
    return !isFailure(csp.endUpdate(false));
}

class PasswordPrompt : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        zrx::container::setDefaultKdf(zrx::container::KdfParams::scrypt(10, 1, 1));
        TestMedium::install();
        TestMedium::reset();
        setViewFlags(56);
        initP11Lib();
        cmdLineCtxName.clear();
    }
    void TearDown() override {
        setViewFlags(0);
        cmdLineCtxName.clear();
        TestMedium::reset();
        zrxtest::forgetStoredState({"ZI509", "OpenNCTX"});
    }
    // Fills the prompt and presses OK; the window answers for itself.
    static int confirm(TNctxLoadPaswordPrompt* p, const std::string& path, const char* password) {
        p->locationFrame->setLocation(path.c_str());
        if (password) p->PasswordEdit->SetText(password);
        p->Button1->Click();
        return 0;
    }

    zrxtest::TempDir dir;
};

TEST_F(PasswordPrompt, NoPasswordRowWithoutAPasswordBuffer) {
    int fullHeight = 0, shortHeight = 0, rowHeight = 0;
    bool okWithoutPath = true, okWithPath = false, rowShown = true;
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w);
        if (!p) return mrOk;
        if (p->passwordVisible()) {
            fullHeight = p->ClientHeight();
            rowHeight = p->PasswordEdit->Height();
            return mrCancel;
        }
        shortHeight = p->ClientHeight();
        rowShown = p->Label1->Visible() || p->pnl2->Visible();
        p->locationFrame->setPathText("");
        p->Timer1->Fire();
        okWithoutPath = p->Button1->Enabled();
        p->locationFrame->setPathText(dir.file("a.pfx").c_str());
        p->Timer1->Fire();
        okWithPath = p->Button1->Enabled();
        p->Button1->Click();
        return 0;
    });
    TCString location;
    TCSecretString password;
    EXPECT_FALSE(promptContainer("С паролем", location, &password, 0));
    EXPECT_TRUE(promptContainer("Без пароля", location, nullptr, 0));
    EXPECT_EQ(shortHeight, fullHeight - rowHeight - 10);
    EXPECT_FALSE(rowShown);
    EXPECT_FALSE(okWithoutPath);
    EXPECT_TRUE(okWithPath);
    EXPECT_EQ(location.str(), dir.file("a.pfx"));
}

TEST_F(PasswordPrompt, PasswordPrefilledOnlyForSaving) {
    std::vector<std::string> shown;
    ScriptedWindows windows([&](TObject* w) -> int {
        if (auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w)) shown.push_back(p->PasswordEdit->GetText());
        return mrCancel;
    });
    TCString location = "untouched";
    TCSecretString password(kPassword);
    EXPECT_FALSE(promptContainer("Запись контейнера", location, &password, kLocationForWriting));
    EXPECT_FALSE(promptContainer("Загрузка", location, &password, 0));
    EXPECT_EQ(shown, (std::vector<std::string>{kPassword, ""}));
    // Cancelling writes nothing back.
    EXPECT_EQ(location.str(), "untouched");
    EXPECT_TRUE(password == kPassword);
}

// The prompt opens with the focus in the first field that needs typing.
TEST_F(PasswordPrompt, FocusGoesToTheFirstFieldToType) {
    const struct {
        const char* name;
        bool pathGiven, passwordAsked;
        const char* focused;
    } cases[] = {
        {"nothing given", false, true, "path"},
        {"the path given", true, true, "PasswordEdit"},
        {"the path given, no password asked", true, false, "Button1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.pathGiven) cmdLineCtxName = dir.file("named.pfx");
        std::string focused;
        ScriptedWindows windows([&](TObject* w) -> int {
            auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w);
            if (!p) return mrOk;
            Application->ProcessMessages();
            TWinControl* active = p->ActiveControl();
            focused = active == p->locationFrame->pathEditor() ? "path" : active ? active->Name() : "";
            EXPECT_TRUE(active && active->Focused());
            return mrCancel;
        });
        TCString location;
        TCSecretString password;
        EXPECT_FALSE(promptContainer("Загрузка", location, c.passwordAsked ? &password : nullptr, 0));
        EXPECT_EQ(focused, c.focused);
        cmdLineCtxName.clear();
    }
}

TEST_F(PasswordPrompt, CommandLineContainerOfferedOnce) {
    const std::string named = dir.file("named.pfx");
    const std::string typed = dir.file("typed.pfx");
    cmdLineCtxName = named;
    std::vector<std::string> offered;
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w);
        if (!p) return mrOk;
        offered.push_back(p->locationFrame->getPathText().str());
        return confirm(p, typed, kPassword);
    });
    TCString location;
    TCSecretString password;
    ASSERT_TRUE(promptContainer("Загрузка", location, &password, 0));
    EXPECT_TRUE(cmdLineCtxName.isEmpty());
    ASSERT_TRUE(promptContainer("Загрузка", location, &password, 0));
    EXPECT_EQ(offered, (std::vector<std::string>{named, typed}));
    EXPECT_EQ(location.str(), typed);
    EXPECT_TRUE(password == kPassword);
}

TEST_F(PasswordPrompt, RefusedLocationKeepsTheDialogOpen) {
    const std::string existing = dir.file("old.pfx");
    zrxtest::writeFile(existing, "old");
    int prompts = 0;
    ScriptedWindows windows([&](TObject* w) -> int {
        if (dynamic_cast<TMessageViewForm*>(w)) return mrNo;  // do not replace the file
        auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w);
        if (!p) return mrOk;
        if (++prompts == 1) return confirm(p, existing, kPassword);
        // Still open, the path editor focused: another name is accepted.
        EXPECT_EQ(p->ActiveControl(), p->locationFrame->pathEditor());
        return confirm(p, dir.file("new"), nullptr);
    });
    TCString location, clean;
    TCSecretString password;
    ASSERT_TRUE(
        promptContainer("Запись контейнера", location, &password, kLocationForWriting, nullptr, nullptr, &clean));
    EXPECT_EQ(prompts, 2);
    EXPECT_EQ(windows.messages.size(), 1u);
    EXPECT_EQ(location.str(), dir.file("new.pfx"));
    EXPECT_TRUE(clean.isEmpty());
    EXPECT_EQ(zrxtest::readFile(existing), "old");
}

TEST_F(PasswordPrompt, DeviceCleanIsHandedToTheCaller) {
    TestMedium::devices = {"dev1"};
    TestMedium::findResult = 0;
    ScriptedWindows windows([&](TObject* w) -> int {
        if (auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w)) return confirm(p, "#:", kPassword);
        return mrOk;  // agree to the clean
    });
    TCString location, clean;
    TCSecretString password;
    ASSERT_TRUE(
        promptContainer("Запись контейнера", location, &password, kLocationForWriting, nullptr, nullptr, &clean));
    EXPECT_EQ(location.str(), "#:dev1");
    EXPECT_EQ(clean.str(), "#:dev1");
    EXPECT_TRUE(TestMedium::cleaned.empty());
}

TEST_F(PasswordPrompt, ShortPasswordNeverPassesAfterTimerTicks) {
    setPassMinMax(8, 32, nullptr);
    const std::string path = dir.file("c.pfx");
    int offered = 0;
    bool enabledAfterTicks = true;
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w);
        if (!p) return mrOk;
        if (++offered > 1) return mrCancel;
        p->locationFrame->setLocation(path.c_str());
        p->PasswordEdit->SetText("  1234567  ");  // 7 characters once trimmed
        for (int i = 0; i < 3; ++i) p->Timer1->Fire();
        enabledAfterTicks = p->Button1->Enabled();
        p->Button1->Click();  // pressed anyway: stays open
        return 0;
    });
    TCString location;
    TCSecretString password;
    EXPECT_FALSE(promptContainer("Запись контейнера", location, &password, kLocationForWriting));
    EXPECT_FALSE(enabledAfterTicks);
    EXPECT_EQ(offered, 2);
}

TEST_F(PasswordPrompt, TesterShortcuts) {
    setPassMinMax(8, 32, "40719385");
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w);
        if (!p) return mrOk;
        uint16_t key = '3';
        p->FormKeyDown(p, key, ssCtrl);  // Ctrl alone is no shortcut
        EXPECT_EQ(p->PasswordEdit->GetText(), "");
        p->FormKeyDown(p, key, ssCtrl | ssAlt);
        EXPECT_EQ(key, 0);
        EXPECT_EQ(p->PasswordEdit->GetText(), "5061mzvk");
        // Typed into the password field, the form sees the keys first.
        p->Show();
        p->SetActiveControl(p->PasswordEdit);
        SendKey(p->PasswordEdit, '1', ssCtrl | ssAlt | ssShift);
        EXPECT_EQ(p->PasswordEdit->GetText(), "40719385");
        // Fewer than two history entries: Ctrl+Alt+2 changes nothing.
        p->locationFrame->setPathText("");
        p->locationFrame->hstEditFN->SetText(dir.file("x.pfx"));
        key = '2';
        p->FormKeyDown(p, key, ssCtrl | ssAlt);
        EXPECT_EQ(p->locationFrame->getPathText().str(), dir.file("x.pfx"));
        // A double click with an empty path fills the password but does not confirm.
        p->PasswordEdit->SetText("");
        p->locationFrame->hstEditFN->SetText("");
        p->PasswordEditDblClick(p->PasswordEdit);
        EXPECT_EQ(p->PasswordEdit->GetText(), "40719385");
        EXPECT_EQ(p->ModalResult(), mrNone);
        return mrCancel;
    });
    TCString location;
    TCSecretString password;
    EXPECT_FALSE(promptContainer("Загрузка", location, &password, 0));
    setPassMinMax(8, 32, nullptr);
}

TEST_F(PasswordPrompt, LoadContainerFromAFile) {
    const std::string path = dir.file("keys.pfx");
    ASSERT_TRUE(makeContainer(dir, path, kPassword));
    std::string caption;
    const char* typed = "wrong password";
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w);
        if (!p) return mrOk;
        caption = p->GetText();
        return confirm(p, path, typed);
    });
    // A wrong password: the failure is shown once and its code returned.
    TZrX509Csp csp;
    TCSecretString password("left over");
    const KResult bad = loadContainer("ключи", csp, &password);
    EXPECT_TRUE(isFailure(bad));
    EXPECT_EQ(caption, "Загрузка контейнера ключи");
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_NE(windows.messages[0].find("Загрузка контейнера " + path), std::string::npos);
    EXPECT_NE(windows.messages[0].find(KRTL_GetTextMessage(bad).str()), std::string::npos);
    EXPECT_TRUE(csp.empty());
    // The right one opens it, and the caller's buffer holds it.
    typed = kPassword;
    windows.messages.clear();
    EXPECT_FALSE(isFailure(loadContainer("", csp, &password)));
    EXPECT_TRUE(password == kPassword);
    EXPECT_TRUE(windows.messages.empty());
    EXPECT_EQ(csp.commonName().str(), "Открываемый");
    // Cancel: the cancel code, nothing shown, nothing loaded.
    windows.setScript([](TObject*) { return int(mrCancel); });
    TZrX509Csp other;
    EXPECT_EQ(loadContainer("", other, TCFlags<unsigned int>(0)), kPromptCancelled);
    EXPECT_TRUE(windows.messages.empty());
    EXPECT_TRUE(other.empty());
}

TEST_F(PasswordPrompt, LoadContainerFromAToken) {
    static int round = 0;
    const std::string label = "Открыть " + std::to_string(++round);
    TCP11Slot* slot = HsmEnvironment::newToken(label, "12345678", getCTXDef_p());
    ASSERT_NE(slot, nullptr);
    initP11Lib();
    const std::string token = slot->getTokenName();
    ASSERT_TRUE(makeContainer(dir, "$:" + token, getCTXDef_p()));
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w);
        if (!p) return mrOk;
        // The bare prefix: the one token attached is taken without a question.
        return confirm(p, "$:", getCTXDef_p());
    });
    TZrX509Csp csp;
    TCSecretString password;
    ASSERT_FALSE(isFailure(loadContainer("", csp, &password)));
    EXPECT_EQ(csp.container()->fileName().str(), "$:" + token);
    EXPECT_EQ(csp.commonName().str(), "Открываемый");
    EXPECT_TRUE(windows.messages.empty());
}

TEST_F(PasswordPrompt, DeviceProgressWindowBetweenShowAndHide) {
    ScriptedWindows windows([](TObject*) { return int(mrCancel); });
    TCString location;
    promptContainer("Загрузка", location, nullptr, 0);  // registers the callbacks
    EXPECT_EQ(deviceProgressForm(), nullptr);
    zrx::api::progressShow("Работа с носителем");
    ASSERT_NE(deviceProgressForm(), nullptr);
    TCProgressForm* shown = deviceProgressForm();
    EXPECT_EQ(shown->CAnimText->Caption(), "\nРабота с носителем");
    zrx::api::progressShow("Ещё");
    EXPECT_EQ(deviceProgressForm(), shown);
    zrx::api::progressHide();
    EXPECT_EQ(deviceProgressForm(), nullptr);
    zrx::api::progressHide();
    ZrX_SetDevPogress(nullptr, nullptr, nullptr);
}

}  // namespace
