// The update settings dialog offscreen, driven through the modal hook.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/config/CfgMacros.h"
#include "platform/framework/QtTestApp.h"
#include "platform/win/PrivateProfile.h"
#include "dialogs/MessageView.h"
#include "support/TempDir.h"
#include "update/UpdateParsDlg.h"

namespace fs = std::filesystem;

namespace {

class UpdateParsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        registerCFGMacro("APPL", "DlgApp");
        registerCFGMacro("APPLDATA", dir_.file("appdata").c_str());
        registerCFGMacro("UPDATES", dir_.file("updates").c_str());
        ini_ = updatesIniFileName().str();
        fs::create_directories(fs::path(ini_).parent_path());
        fs::remove(ini_);
    }
    void TearDown() override {
        SetModalHook(nullptr);
        fs::remove(ini_);
        for (const char* m : {"APPL", "APPLDATA", "UPDATES"}) registerCFGMacro(m, "");
    }
    std::string stored(const char* key) const {
        std::string v;
        return zrx::win::profileRead(ini_, "DlgApp", key, v) ? v : std::string("<none>");
    }
    static void check(TEditUpdateParsFrm* f, int index, bool on) {
        f->chckbxs1->SetIsChecked(index, on);
        f->chckbxs1ChekBoxClick(f->chckbxs1->GetButtons(index), 0);
    }
    zrxtest::TempDir dir_;
    std::string ini_;
};

TEST_F(UpdateParsDlgTest, CouplingAndGreyControls) {
    TCUpdateParsDlg* dlg = CreateComponent<TCUpdateParsDlg>(nullptr);
    TEditUpdateParsFrm* f = dlg->frame;
    ASSERT_TRUE(dlg->load());
    f->chckbxs1ChekBoxClick(nullptr, 0);
    EXPECT_EQ(f->chckbxs1->GetChecked(), 0u);  // no settings at all: no mode
    for (TControl* c : std::initializer_list<TControl*>{f->lbl1, f->chedt1, f->edt1, f->ud1, f->grp1})
        EXPECT_FALSE(c->Enabled()) << c->Name();
    EXPECT_EQ(f->edt2->Color(), clBtnFace);
    EXPECT_EQ(f->chedt1->getColor(), clBtnFace);
    // "At start" brings "on command" along and enables everything.
    check(f, 0, true);
    EXPECT_EQ(f->chckbxs1->GetChecked(), 3u);
    EXPECT_TRUE(f->chedt1->Enabled());
    EXPECT_TRUE(f->grp1->Enabled());
    EXPECT_EQ(f->edt3->Color(), clWindow);
    // With no mode an empty address may be saved.
    check(f, 0, false);
    check(f, 1, false);
    f->chedt1->setTextValue("");
    EXPECT_TRUE(f->validateAndSave());
    EXPECT_EQ(stored("updationMode"), "0");
    dlg->Free();
}

TEST_F(UpdateParsDlgTest, BlankAddressKeepsTheDialogOpenThenSaveAnswersTheBits) {
    int messages = 0, rounds = 0;
    SetModalHook([&](TObject* w) -> int {
        auto* dlg = dynamic_cast<TCUpdateParsDlg*>(w);
        if (!dlg) {
            ++messages;  // the message window
            return mrOk;
        }
        TEditUpdateParsFrm* f = dlg->frame;
        if (rounds++ == 0) {
            check(f, 0, true);
            f->chedt1->setTextValue("   ");
            f->edt2->SetText("  Іван  ");
            f->edt3->SetText("secret");
            f->chedt2->setTextValue(" proxy:3128 ");
            dlg->btn1->Click();
            EXPECT_EQ(dlg->ModalResult(), mrNone);
            return mrNone;
        }
        f->chedt1->setTextValue(" http://upd/list.sxml ");
        dlg->btn1->Click();
        return mrNone;
    });
    EXPECT_EQ(execUpdateParsDialog(true), 3u);
    EXPECT_EQ(messages, 1);
    EXPECT_EQ(rounds, 2);
    EXPECT_EQ(stored("updationMode"), "3");
    EXPECT_EQ(stored("href"), "http://upd/list.sxml");
    EXPECT_EQ(stored("proxy"), "proxy:3128");
    TCUpdationConfig back;
    back.read();
    EXPECT_EQ(back.proxyUser, "Іван");
    EXPECT_EQ(back.proxyPassword, "secret");
}

// A settings file that cannot be written keeps the dialog open and says so.
TEST_F(UpdateParsDlgTest, AFailedSaveIsShownAndKeepsTheDialogOpen) {
    fs::create_directory(ini_);  // a folder where the file would be
    std::vector<std::string> messages;
    int rounds = 0;
    SetModalHook([&](TObject* w) -> int {
        auto* dlg = dynamic_cast<TCUpdateParsDlg*>(w);
        if (!dlg) {
            if (auto* m = dynamic_cast<TMessageViewForm*>(w)) messages.push_back(m->message());
            return mrOk;
        }
        if (rounds++ > 0) return mrCancel;
        check(dlg->frame, 0, true);
        dlg->frame->chedt1->setTextValue("http://upd/list.sxml");
        dlg->btn1->Click();
        EXPECT_EQ(dlg->ModalResult(), mrNone);
        return mrNone;
    });
    EXPECT_EQ(execUpdateParsDialog(true), 1001u);
    EXPECT_EQ(rounds, 2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Не удалось сохранить настройки в файле"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("ZrX509Updates.ini"), std::string::npos) << messages[0];
}

TEST_F(UpdateParsDlgTest, CancelWritesNothing) {
    zrxtest::writeFile(ini_, "[DlgApp]\nupdationMode=2\nhref=http://kept\n");
    const std::string before = zrxtest::readFile(ini_);
    SetModalHook([&](TObject* w) -> int {
        if (auto* dlg = dynamic_cast<TCUpdateParsDlg*>(w)) {
            EXPECT_EQ(dlg->frame->chckbxs1->GetChecked(), 2u);
            EXPECT_EQ(dlg->frame->chedt1->GetText(), "http://kept");
            dlg->frame->chedt1->setTextValue("http://changed");
        }
        return mrCancel;
    });
    EXPECT_EQ(execUpdateParsDialog(true), 1001u);
    EXPECT_EQ(zrxtest::readFile(ini_), before);
}

}  // namespace
