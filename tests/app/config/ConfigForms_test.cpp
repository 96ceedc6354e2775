#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/config/ConfigForms.h"
#include "dialogs/MessageView.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/FileUtils.h"
#include "support/TempDir.h"

namespace {

std::string repeatText(const std::string& unit, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += unit;
    return out;
}

// Settings in a temporary public folder; the time-server record restored.
class SettingsDialog : public ::testing::Test {
protected:
    zrxtest::TempDir pub, program;
    TSNTPParams savedParams = getSNTPParams();
    std::vector<std::string> boxes;

    void SetUp() override {
        ensureQtApp();
        setModuleFileName("ZrX509_ZERUvorido.exe");
        setModulePath(program.str().c_str());
        setenv("PUBLIC", pub.str().c_str(), 1);
        resetSNTPParams(getSNTPParams());
    }
    void TearDown() override {
        SetModalHook(nullptr);
        getSNTPParams() = savedParams;
    }

    TZrXCViewerConfigForm* make() {
        auto* f = new TZrXCViewerConfigForm(Application);
        f->AfterConstruction();
        return f;
    }

    // Runs the dialog; `act` fills it and presses a button; message boxes are
    // recorded and answered.
    bool run(TCCtxViewerConfig& settings, const std::function<void(TZrXCViewerConfigForm*)>& act,
             int* rounds = nullptr) {
        int n = 0;
        SetModalHook([&](TObject* w) -> int {
            if (auto* box = dynamic_cast<TSysMessageBox*>(w)) {
                boxes.push_back(box->Text);
                return 1;
            }
            if (auto* m = dynamic_cast<TMessageViewForm*>(w)) {
                boxes.push_back(m->message());
                return 1;
            }
            auto* f = dynamic_cast<TZrXCViewerConfigForm*>(w);
            if (!f) return mrCancel;
            if (++n > 1) return mrCancel;  // kept open: give up
            act(f);
            return 0;
        });
        const bool saved = execViewerSettings(settings);
        if (rounds) *rounds = n;
        return saved;
    }
};

TEST_F(SettingsDialog, LoadThenStoreRoundTrips) {
    TCCtxViewerConfig settings;
    settings.jcmpUrl = "https://ca.example/jcmp";
    settings.timeout = 45;
    settings.hsmAddress = "hsm.example:1500";
    settings.autolockTime = 5000;  // beyond what the field would take: kept
    settings.flags = VCF_USE_JCMP | VCF_UPDATE_SERVICE_FILES | VCF_RADIO_CHOICE | 0x1;
    TSNTPParams& p = getSNTPParams();
    std::strcpy(p.serverName, "pool.ntp.org");
    p.port = 1123;
    p.allowedDiff = 30;

    auto* f = make();
    f->loadFrom(settings);
    EXPECT_EQ(f->rg1->ItemIndex(), 1);
    EXPECT_TRUE(f->chk1->Checked() && f->chk1->Enabled());
    EXPECT_FALSE(f->nedt3->Visible());  // no auto-lock is offered
    TCCtxViewerConfig out;
    out.flags = 0x1;
    out.autolockTime = 5000;
    resetSNTPParams(p);
    f->storeTo(out);
    EXPECT_EQ(out.jcmpUrl, "https://ca.example/jcmp");
    EXPECT_EQ(out.timeout, 45);
    EXPECT_EQ(out.hsmAddress, "hsm.example:1500");
    EXPECT_EQ(out.autolockTime, 5000);
    EXPECT_EQ(uint32_t(out.flags), uint32_t(settings.flags));
    EXPECT_STREQ(p.serverName, "pool.ntp.org");
    EXPECT_EQ(p.port, 1123);
    EXPECT_EQ(p.allowedDiff, 30);

    f->rg1->SetItemIndex(0);
    f->chk2->SetChecked(false);
    f->storeTo(out);
    EXPECT_EQ(uint32_t(out.flags), uint32_t(VCF_USE_JCMP | 0x1));
    f->Free();
}

TEST_F(SettingsDialog, EmptyAddressDisablesAndClearsServiceFlags) {
    TCCtxViewerConfig settings;
    settings.jcmpUrl = "http://127.0.0.1:8080";
    settings.flags = VCF_USE_JCMP | VCF_UPDATE_SERVICE_FILES;
    auto* f = make();
    f->loadFrom(settings);
    f->chedt1->setTextValue("   ");
    for (TControl* c : std::initializer_list<TControl*>{f->nedt4, f->chk1, f->chk2, f->lbl30, f->lbl31})
        EXPECT_FALSE(c->Enabled()) << c->Name();
    EXPECT_TRUE(f->chk1->Checked());
    f->storeTo(settings);
    EXPECT_EQ(uint32_t(settings.flags), 0u);
    EXPECT_EQ(settings.jcmpUrl, "");
    f->Free();
}

TEST_F(SettingsDialog, SavedThroughTheDialogOrRefused) {
    TCCtxViewerConfig settings;
    settings.jcmpUrl = "http://a";
    EXPECT_TRUE(run(settings, [](TZrXCViewerConfigForm* f) {
        f->chedt1->setTextValue("  http://b/  ");
        f->sntpFrame->chk1->SetChecked(true);
        f->btnOk->Click();
    }));
    EXPECT_EQ(settings.jcmpUrl, "http://b/");
    EXPECT_TRUE(fileExists(pub.file("ZrX509_ZERUvorido.ini").c_str()));
    EXPECT_TRUE(boxes.empty());

    // Time control on with a blank server: refused, the time page forward.
    TTabSheet* active = nullptr;
    int rounds = 0;
    EXPECT_FALSE(run(
        settings,
        [&](TZrXCViewerConfigForm* f) {
            f->chedt1->setTextValue("http://c");
            f->sntpFrame->chk1->SetChecked(false);
            f->sntpFrame->hstrydt1->SetText("   ");
            f->btnOk->Click();
            active = f->PageControl1->ActivePage();
            EXPECT_EQ(active, f->ts2);
            EXPECT_EQ(f->ActiveControl(), f->sntpFrame->hstrydt1);
        },
        &rounds));
    EXPECT_EQ(rounds, 2);  // stayed open
    EXPECT_EQ(boxes, std::vector<std::string>{"Данное поле необходимо обязательно заполнить!"});
    EXPECT_EQ(settings.jcmpUrl, "http://b/");

    // Cancel stores nothing.
    EXPECT_FALSE(run(settings, [](TZrXCViewerConfigForm* f) {
        f->chedt1->setTextValue("http://d");
        f->btnCancel->Click();
    }));
    EXPECT_EQ(settings.jcmpUrl, "http://b/");

    // A settings file that cannot be written: the failure is shown, not "saved".
    boxes.clear();
    { std::ofstream(pub.file("blocker")) << "a file where the folder would be"; }
    setenv("PUBLIC", pub.file("blocker/sub").c_str(), 1);
    EXPECT_FALSE(run(settings, [](TZrXCViewerConfigForm* f) {
        f->chedt1->setTextValue("http://e");
        f->sntpFrame->chk1->SetChecked(true);
        f->btnOk->Click();
    }));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Не удалось сохранить настройки в файле"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("blocker/sub"), std::string::npos) << boxes[0];
    setenv("PUBLIC", pub.str().c_str(), 1);
}

TEST_F(SettingsDialog, TimeFrame) {
    auto* f = make();
    TCSNTPCfgFrame* t = f->sntpFrame;
    EXPECT_EQ(t->nedt1->GetValue(), 123u);
    EXPECT_EQ(t->nedt2->GetValue(), 60u);
    // 16-bit fields: larger numbers are held at the bound.
    t->nedt1->SetText("70000");
    t->nedt2->SetText("65535");
    TSNTPParams p;
    t->storeParams(p);
    EXPECT_EQ(p.port, 65535);
    EXPECT_EQ(p.allowedDiff, 65535);

    p.disabled = 1;
    std::strcpy(p.serverName, "");
    t->loadParams(p);
    EXPECT_FALSE(t->hstrydt1->Enabled());
    EXPECT_FALSE(t->nedt1->Enabled());
    EXPECT_EQ(t->nedt2->Color(), clBtnFace);
    EXPECT_TRUE(t->checkParams(f->ts2));  // switched off: no server needed
    t->chk1->SetChecked(false);
    EXPECT_TRUE(t->nedt1->Enabled());
    EXPECT_EQ(t->nedt2->Color(), clWindow);

    // The name holds 85 characters, whatever their size in bytes: kept whole.
    EXPECT_EQ(t->hstrydt1->MaxLength(), 85);
    SetModalHook([&](TObject* w) -> int {
        if (auto* box = dynamic_cast<TSysMessageBox*>(w)) boxes.push_back(box->Text);
        return 1;
    });
    for (const std::string& name :
         {std::string(50, 'a') + "ж", std::string(80, 'a') + "жжж", repeatText("ж", 85), repeatText("ж", 84) + "€"}) {
        t->hstrydt1->SetText(name);
        EXPECT_TRUE(t->checkParams(f->ts2)) << name;
        TSNTPParams stored;
        t->storeParams(stored);
        EXPECT_EQ(std::string(stored.serverName), name);
    }
    EXPECT_TRUE(boxes.empty());
    f->Free();
}

TEST_F(SettingsDialog, RequiredFieldCheck) {
    auto* f = new TZrXBaseConfigForm(Application);
    f->AfterConstruction();
    SetModalHook([&](TObject* w) -> int {
        if (auto* box = dynamic_cast<TSysMessageBox*>(w)) boxes.push_back(box->Caption + ": " + box->Text);
        return 1;
    });
    EXPECT_EQ(f->hedt1->GetText(), "127.0.0.1:831");
    EXPECT_TRUE(f->validate());
    f->hedt1->SetText(" \t ");
    struct Case {
        bool visible, enabled, tab, passes;
    } cases[] = {
        {true, true, true, false},
        {false, true, true, true},  // hidden: passes
        {true, false, true, true},  // disabled: passes
        {true, true, false, true},  // page tab hidden: passes
    };
    for (const Case& c : cases) {
        boxes.clear();
        f->hedt1->SetVisible(c.visible);
        f->hedt1->SetEnabled(c.enabled);
        f->ts1->SetTabVisible(c.tab);
        EXPECT_EQ(f->validate(), c.passes);
        EXPECT_EQ(boxes.size(), c.passes ? 0u : 1u);
    }
    f->hedt1->SetVisible(true);
    f->hedt1->SetEnabled(true);
    f->ts1->SetTabVisible(true);
    boxes.clear();
    f->hedt1->SetText(" ldap.example ");
    EXPECT_EQ(TConfigFormTemplate::getControlText(f->hedt1, 4), "lda");
    TZrxCaConfig ca;
    f->storeServerAddress(ca);
    EXPECT_EQ(ca.ldapAddress, "ldap.example");
    ca.ldapAddress = "10.0.0.1:831";
    f->loadServerAddress(ca);
    EXPECT_EQ(f->hedt1->GetText(), "10.0.0.1:831");
    f->Free();
}

// PNGs of both pages, when ZRX_TEST_SNAPSHOTS names a folder.
TEST_F(SettingsDialog, Snapshot) {
    const char* dir = std::getenv("ZRX_TEST_SNAPSHOTS");
    if (!dir) GTEST_SKIP() << "ZRX_TEST_SNAPSHOTS not set";
    auto* f = make();
    f->Show();
    EXPECT_TRUE(SaveControlImage(f, std::string(dir) + "/settings.png"));
    f->PageControl1->SetActivePage(f->ts2);
    EXPECT_TRUE(SaveControlImage(f, std::string(dir) + "/settings-time.png"));
    f->Free();
}

}  // namespace
