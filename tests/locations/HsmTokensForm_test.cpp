#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "locations/LocationTestSupport.h"
#include "locations/CtxPromptFrame.h"
#include "locations/DeviceListUnit.h"
#include "views/KeyViewFrmEx.h"
#include "locations/HsmTokensForm.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Passwords.h"
#include "platform/p11/P11Support.h"
#include "support/ProgramLanguage.h"
#include "support/TempDir.h"

// Qt last: what a list's cell offers as its tool tip.
#include <QAbstractItemView>

using zrxtest::HsmEnvironment;
using zrxtest::ScriptedWindows;

namespace {

[[maybe_unused]] ::testing::Environment* const gHsm = ::testing::AddGlobalTestEnvironment(new HsmEnvironment);

constexpr const char* kSoPin = "12345678";
constexpr const char* kUserPin = "87654321";

// Presses OK in the name dialog with a name and the administrator password.
int fillProps(TObject* w, const char* name, const char* admin) {
    auto* d = dynamic_cast<THsmTokenPropsDlg*>(w);
    if (!d) return -1;
    d->chedt1->SetText(name);
    d->edt1->SetText(admin);
    d->edt2->SetText(admin);
    d->OKBtn->Click();
    return 0;
}

std::vector<std::string> gLogged;
int recordLog(uint32_t, const char* text) {
    gLogged.push_back(text ? text : "");
    return 0;
}

bool userPinLogsIn(const std::string& label, const char* pin) {
    TCP11Slot* slot = HsmEnvironment::findToken(label);
    if (!slot) return false;
    TCP11Token t;
    return !isFailure(t.startSession(slot, false)) && !isFailure(t.login(pin, false));
}

class TokenDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        initP11Lib();
        listFile = dir.file("caHSMTokens.ini");
        getHSMTokens()->freeAll();
        getHSMTokens()->load(listFile.c_str(), true);
        form = CreateComponent<THSMTokensForm>(Application);
    }
    void TearDown() override {
        if (form) form->Free();
        getHSMTokens()->freeAll();
        getHSMTokens()->load("", false);
        registerCFGMacro("onlyEmptyTokens", "");
        setP11TokenInfoFilter(nullptr);
        zrxtest::forgetStoredState({"HsmTokenPropsDlg", "ZrX509", "SelDevForm"});
    }
    // A token made by softhsm2-util, optionally holding keys, entered in the list.
    TCHSMTokenDescriptor* listedToken(const std::string& label, bool withKeys, bool critical = false) {
        TCP11Slot* slot = HsmEnvironment::newToken(label, kSoPin, kUserPin);
        if (!slot) return nullptr;
        if (withKeys && !HsmEnvironment::putSignatureKeys(slot, kUserPin)) return nullptr;
        TCHSMTokenDescriptor* d = getHSMTokens()->addNew();
        if (isFailure(d->fillFromSlot(slot))) return nullptr;
        d->flags = critical ? 1 : 0;
        form->setList(getHSMTokens());
        form->setManagementVisible(true);
        return d;
    }
    void select(const TCHSMTokenDescriptor* d) { form->alv1->SetSelected(form->itemOf(d)); }
    static std::string unique(const char* base) {
        static int round = 0;
        return std::string(base) + " " + std::to_string(++round);
    }

    zrxtest::TempDir dir;
    std::string listFile;
    THSMTokensForm* form = nullptr;
};

// In each of the program's languages: the unlock title with a long token
// name fits its window; the list's column captions fit their columns, and a
// cell too narrow for its text shows it whole in a tool tip.
TEST_F(TokenDialogs, WindowsShowTheirTextsWholeInEveryLanguage) {
    TCHSMTokenDescriptor* d = getHSMTokens()->addNew();
    ASSERT_NE(nullptr, d);
    std::snprintf(d->nick, sizeof d->nick, "%s", "Ключи центра сертификации, отдел безопасности, токен №12");
    std::snprintf(d->tokenName, sizeof d->tokenName, "%s", "SoftHSM v2#5a3c9e2100000000");
    std::snprintf(d->serial, sizeof d->serial, "%s", "5a3c9e2100000000");
    d->slot = 0x5a3c9e21;
    d->modifyDate = 1700000000;
    for (int language : zrxtest::kProgramLanguages) {
        zrxtest::ProgramLanguage inLanguage(language);
        SCOPED_TRACE(language);
        int seen = 0;
        ScriptedWindows windows([&](TObject* w) -> int {
            if (auto* u = dynamic_cast<THsmTokenUnlockDlg*>(w)) {
                ++seen;
                EXPECT_GE(u->txt1->Left(), u->img1->Left() + u->img1->Width());
                EXPECT_LE(u->txt1->Left() + u->txt1->Width(), u->ClientWidth());
                EXPECT_NE(std::string::npos, u->txt1->Caption().find(std::string(d->nick) + "',id:5A3C9E21"));
                for (TButton* b : {u->OKBtn, u->CancelBtn}) EXPECT_LE(b->Left() + b->Width(), u->ClientWidth());
                return mrCancel;
            }
            if (auto* f = dynamic_cast<THSMTokensForm*>(w)) {
                ++seen;
                TCanvas canvas;
                canvas.Font()->Assign(f->alv1->Font());
                for (int i = 0; i < f->alv1->Columns()->Count(); ++i) {
                    TListColumn* c = f->alv1->Columns()->Items(i);
                    EXPECT_GE(c->Width(), canvas.TextWidth(c->Caption()) + 12) << c->Caption();
                }
                auto* view = qobject_cast<QAbstractItemView*>(f->alv1->Handle());
                EXPECT_EQ(d->tokenName,
                          view->model()->data(view->model()->index(0, 0), Qt::ToolTipRole).toString().toStdString());
                return mrCancel;
            }
            return mrCancel;
        });
        TCSecretString admin, fresh;
        EXPECT_FALSE(askUnlock(d, admin, fresh));
        TCString location;
        EXPECT_FALSE(chooseHsmToken(location, true, ""));
        EXPECT_EQ(2, seen);
    }
}

TEST_F(TokenDialogs, ChooserForReadingAsksNothing) {
    const std::string label = unique("Чтение");
    TCHSMTokenDescriptor* d = listedToken(label, true);
    ASSERT_NE(d, nullptr);
    const std::string token = d->tokenName;
    bool management = true;
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* f = dynamic_cast<THSMTokensForm*>(w);
        if (!f) return mrOk;
        management =
            f->pnl3->Visible() || f->actAdd->Visible() || f->actDelete->Visible() || f->actInitialize->Visible();
        EXPECT_TRUE(f->actView->Visible());  // still in the pop-up menu
        f->alv1->SetSelected(f->itemOf(d));
        f->actOkExecute(f);
        return 0;
    });
    TCString location;
    ASSERT_TRUE(chooseHsmToken(location, false, "метка"));
    EXPECT_EQ(location.str(), "$:" + token);
    EXPECT_FALSE(management);
    EXPECT_EQ(windows.windows, 1);
    // Without a list file and without entries no window opens.
    getHSMTokens()->freeAll();
    getHSMTokens()->load("", false);
    windows.windows = 0;
    EXPECT_FALSE(chooseHsmToken(location, true, ""));
    EXPECT_EQ(windows.windows, 0);
}

TEST_F(TokenDialogs, LocationFrameBrowsesTheTokenList) {
    const std::string label = unique("Из рамки");
    TCHSMTokenDescriptor* d = listedToken(label, false);
    ASSERT_NE(d, nullptr);
    const std::string token = d->tokenName;
    form->Free();
    form = nullptr;
    setViewFlags(56);
    std::string defaultLabel;
    bool management = false;
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* f = dynamic_cast<THSMTokensForm*>(w);
        if (!f) return mrNo;  // no initialisation before the choice
        defaultLabel = f->defaultLabel.str();
        management = f->pnl3->Visible();
        f->alv1->SetSelected(f->itemOf(d));
        f->actOkExecute(f);
        return 0;
    });
    auto* host = CreateComponent<TForm>(Application);
    auto* frame = CreateComponent<TCtxPtromptFrame>(host);
    frame->SetParent(host);
    frame->setFlags(kLocationForWriting);
    frame->fillMediaTypes();
    frame->init("HsmBrowse");
    frame->setDefaultFileName("Мои_ключи.pfx");
    frame->setLocation("$:");
    frame->Button3Click(frame->btn1);
    EXPECT_EQ(frame->getPathText().str(), "$:" + token);
    EXPECT_EQ(defaultLabel, "Мои ключи");
    EXPECT_TRUE(management);
    host->Free();
    setViewFlags(0);
    zrxtest::forgetStoredState({"ZI509", "OpenNCTX"});
}

TEST_F(TokenDialogs, AddFromAFreeSlotAndInitialise) {
    const std::string made = unique("Добавляемый");
    ASSERT_NE(HsmEnvironment::newToken(made, kSoPin, kUserPin), nullptr);
    TCHSMTokenDescriptor* listed = listedToken(unique("Уже в списке"), false);
    ASSERT_NE(listed, nullptr);
    const std::string listedName = listed->tokenName;
    const std::string name = unique("Новый токен");
    form->defaultLabel = name.c_str();
    std::vector<std::string> offered;
    std::string proposed;
    ScriptedWindows windows([&](TObject* w) -> int {
        if (auto* d = dynamic_cast<TSelDevForm*>(w)) {
            for (int i = 0; i < d->lv1->Items()->Count(); ++i) {
                offered.push_back(d->lv1->Items()->Item(i)->SubItems()->Strings(0));
                if (offered.back() == made) d->lv1->SetSelected(d->lv1->Items()->Item(i));
            }
            return mrOk;
        }
        if (auto* p = dynamic_cast<THsmTokenPropsDlg*>(w)) {
            proposed = p->chedt1->GetText();
            return fillProps(w, p->chedt1->GetText().c_str(), kSoPin);
        }
        return mrOk;
    });
    form->actAddExecute(form);
    // Only slots with a serial that no entry uses are offered.
    EXPECT_NE(std::find(offered.begin(), offered.end(), made), offered.end());
    EXPECT_EQ(std::find(offered.begin(), offered.end(), listed->nick), offered.end());
    EXPECT_EQ(std::find(offered.begin(), offered.end(), ""), offered.end());
    EXPECT_EQ(proposed, name);
    EXPECT_TRUE(windows.messages.empty()) << windows.messages[0];
    ASSERT_EQ(getHSMTokens()->count(), 2);
    const TCHSMTokenDescriptor* added = getHSMTokens()->at(1);
    EXPECT_EQ(std::string(added->nick), name);
    EXPECT_NE(added->tokenName, listedName);
    EXPECT_GT(added->modifyDate, 0);
    EXPECT_EQ(form->lastInitialisedName.str(), added->tokenName);
    EXPECT_TRUE(form->defaultLabel.isEmpty());
    EXPECT_EQ(form->selectedDescriptor(), added);
    // The token carries the name; the starting user PIN logs in; the list file has it.
    EXPECT_TRUE(userPinLogsIn(name, getCTXDef_p()));
    EXPECT_NE(zrxtest::readFile(listFile).find("nick=" + name), std::string::npos);
    // Chosen at once: it was initialised here.
    windows.windows = 0;
    form->actOkExecute(form);
    EXPECT_EQ(form->ModalResult(), mrOk);
    EXPECT_EQ(windows.windows, 0);
}

TEST_F(TokenDialogs, ReinitialisingATokenWithKeys) {
    struct Case {
        const char* onlyEmpty;
        bool critical;
        int answer;        // to the warning
        bool initialised;  // keys gone, starting PIN set
        const char* message;
    } cases[] = {
        {"yes", false, mrYes, false, "уже содержит ключи"},
        {"no", true, mrYes, false, "утеря которых критична"},
        {"no", false, mrNo, false, "были сгенерированы ранее"},
        {"no", false, mrYes, true, "были сгенерированы ранее"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.onlyEmpty) + (c.critical ? " critical" : "") + " " + std::to_string(c.answer));
        registerCFGMacro("onlyEmptyTokens", c.onlyEmpty);
        const std::string label = unique("С ключами");
        TCHSMTokenDescriptor* d = listedToken(label, true, c.critical);
        ASSERT_NE(d, nullptr);
        const std::string token = d->tokenName;
        int propsDialogs = 0;
        ScriptedWindows windows([&](TObject* w) -> int {
            if (dynamic_cast<THsmTokenPropsDlg*>(w)) {
                ++propsDialogs;
                return fillProps(w, label.c_str(), kSoPin);
            }
            return c.answer;
        });
        select(d);
        form->actInitializeExecute(form);
        ASSERT_FALSE(windows.messages.empty());
        EXPECT_NE(windows.messages[0].find(c.message), std::string::npos) << windows.messages[0];
        // A warning never mentions a certificate no database could have found.
        EXPECT_FALSE(windows.shown("действующий сертификат"));
        EXPECT_EQ(propsDialogs, c.initialised ? 1 : 0);
        EXPECT_EQ(isTokenEmpty(token.c_str()), c.initialised ? 0u : P11_TOKEN_HOLDS_KEYS);
        EXPECT_EQ(userPinLogsIn(label, getCTXDef_p()), c.initialised);
        EXPECT_EQ(form->lastInitialisedName.str(), c.initialised ? token : "");
        form->lastInitialisedName.clear();
    }
}

// A token's name is kept, as it is typed, to what its 32-byte label holds:
// the name shown is the label the token gets, and two names alike in that
// part are the same name.
TEST_F(TokenDialogs, NameKeptToWhatTheLabelHolds) {
    auto times = [](const char* piece, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += piece;
        return s;
    };
    const std::string sixteen = times("Ж", 16);
    struct Case {
        std::string typed, kept;
    } cases[] = {
        {times("a", 40), times("a", 32)},
        {sixteen + "абв", sixteen},
        {times("€", 12), times("€", 10)},  // three bytes each: the eleventh would split
        {"Токен ДПС", "Токен ДПС"},
    };
    TCHSMTokenDescriptor* a = listedToken(unique("Перший довгий"), false);
    TCHSMTokenDescriptor* b = listedToken(unique("Другий довгий"), false);
    ASSERT_TRUE(a && b);
    ASSERT_EQ(0u, b->setNick(sixteen.c_str()));
    size_t step = 0;
    std::vector<std::string> shown;
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* p = dynamic_cast<THsmTokenPropsDlg*>(w);
        if (!p) return mrOk;
        if (step < std::size(cases)) {
            p->chedt1->SetFocus();
            p->chedt1->SetText("");
            SendText(p->chedt1, cases[step++].typed);
            shown.push_back(p->chedt1->GetText());
            return mrCancel;
        }
        // Alike with the other token in what the label holds: refused; then
        // a long name of its own.
        p->chedt1->SetText(step++ == std::size(cases) ? sixteen + "інше" : times("Ї", 20));
        p->edt1->SetText(kSoPin);
        p->edt2->SetText(kSoPin);
        p->OKBtn->Click();
        return 0;
    });
    TCSecretString admin;
    for (const Case& c : cases) {
        EXPECT_FALSE(form->tokenPropsDialog(form, a, admin));
        EXPECT_EQ(c.kept, shown.back()) << c.typed;
    }
    select(a);
    form->actInitializeExecute(form);
    EXPECT_TRUE(windows.shown("уже присутствует в списке")) << (windows.messages.empty() ? "" : windows.messages[0]);
    EXPECT_EQ(times("Ї", 16), std::string(a->nick));
    TCP11Slot slot;
    ASSERT_EQ(0u, slot.initSlot(a->mediaType, a->slot));
    EXPECT_EQ(std::string(a->nick), slot.getLabel());
}

TEST_F(TokenDialogs, NameDialogChecks) {
    TCHSMTokenDescriptor* a = listedToken(unique("Первый"), false);
    TCHSMTokenDescriptor* b = listedToken(unique("Второй"), false);
    ASSERT_TRUE(a && b);
    const std::string bNick = b->nick;
    struct Step {
        std::string name, admin, confirm;
        bool closes;
        const char* message;
    };
    const std::vector<Step> steps = {
        {"   ", kSoPin, kSoPin, false, "Заполните поле 'Название слота'"},
        {bNick, kSoPin, kSoPin, false, "уже присутствует в списке"},
        {"Имя", "", "", false, "пароль администратора"},
        {"Имя", kSoPin, "другой", false, "пароль администратора"},
        // Its own name again is accepted; the password is taken as typed.
        {std::string(a->nick), kSoPin, kSoPin, true, nullptr},
    };
    size_t step = 0;
    std::vector<bool> okEnabled;
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* p = dynamic_cast<THsmTokenPropsDlg*>(w);
        if (!p) return mrOk;
        if (step >= steps.size()) return mrCancel;
        const Step& s = steps[step++];
        p->chedt1->SetText(s.name);
        p->edt1->SetText(s.admin);
        p->edt2->SetText(s.confirm);
        okEnabled.push_back(p->OKBtn->Enabled());
        const size_t before = windows.messages.size();
        p->OKBtn->Click();
        EXPECT_EQ(p->ModalResult() == mrOk, s.closes) << s.name;
        if (s.message) {
            EXPECT_EQ(windows.messages.size(), before + 1) << s.name;
            if (windows.messages.size() > before) {
                EXPECT_NE(windows.messages.back().find(s.message), std::string::npos) << windows.messages.back();
            }
        }
        return 0;
    });
    TCSecretString admin;
    ASSERT_TRUE(form->tokenPropsDialog(form, a, admin));
    EXPECT_EQ(step, steps.size());
    EXPECT_TRUE(admin == kSoPin);
    EXPECT_EQ(okEnabled, (std::vector<bool>{true, true, false, false, true}));
}

TEST_F(TokenDialogs, UnlockOnlyALockedToken) {
    const std::string label = unique("Блокированный");
    TCHSMTokenDescriptor* d = listedToken(label, false);
    ASSERT_NE(d, nullptr);
    const uint32_t slotId = d->slot;
    int unlockDialogs = 0;
    std::vector<std::string> steps = {"short", "Новый-пароль-1"};
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* u = dynamic_cast<THsmTokenUnlockDlg*>(w);
        if (!u) return mrOk;
        if (unlockDialogs++ == 0) {
            EXPECT_NE(u->txt1->GetText().find(std::string("'") + d->nick + "'"), std::string::npos);
        }
        if (steps.empty()) return mrCancel;
        const std::string pin = steps.front();
        steps.erase(steps.begin());
        u->edt3->SetText(kSoPin);
        u->edt1->SetText(pin);
        u->edt2->SetText(pin);
        u->OKBtn->Click();
        return 0;
    });
    select(d);
    // Not locked: said so, nothing asked.
    form->actResetPinExecute(form);
    EXPECT_EQ(unlockDialogs, 0);
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_NE(windows.messages[0].find("не был блокирован"), std::string::npos);
    // Locked: the short PIN is refused in the dialog, the next one is set.
    setP11TokenInfoFilter([slotId](CK_SLOT_ID id, CK_TOKEN_INFO& info) {
        if (id == slotId) info.flags |= CKF_USER_PIN_LOCKED;
    });
    windows.messages.clear();
    gLogged.clear();
    const KV_HLogOutFunc previous = csSetKV_HLogOutFunc(recordLog);
    form->actResetPinExecute(form);
    csSetKV_HLogOutFunc(previous);
    EXPECT_EQ(unlockDialogs, 2);
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_NE(windows.messages[0].find("Длина нового пароля"), std::string::npos);
    EXPECT_TRUE(userPinLogsIn(label, "Новый-пароль-1"));
    EXPECT_FALSE(userPinLogsIn(label, kUserPin));
    EXPECT_GT(d->modifyDate, 0);
    bool reported = false;
    for (const std::string& l : gLogged)
        reported = reported || l.find("разблокирование HSM-токена") != std::string::npos;
    EXPECT_TRUE(reported);
    // A wrong administrator password is reported with the operation's text.
    steps = {"Ещё-один-пароль"};
    windows.setScript([&](TObject* w) -> int {
        auto* u = dynamic_cast<THsmTokenUnlockDlg*>(w);
        if (!u) return mrOk;
        u->edt3->SetText("not the SO PIN");
        u->edt1->SetText(steps[0]);
        u->edt2->SetText(steps[0]);
        u->OKBtn->Click();
        return 0;
    });
    windows.messages.clear();
    EXPECT_FALSE(form->unlockEntry(d));
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_NE(windows.messages[0].find("Ошибка подключения к HSM-токену"), std::string::npos);
    // A slot that cannot be opened is reported too.
    d->slot = 0x7fff0001;
    windows.messages.clear();
    EXPECT_FALSE(form->unlockEntry(d));
    EXPECT_EQ(windows.messages.size(), 1u);
    d->slot = slotId;
}

TEST_F(TokenDialogs, RemoveAndExportTheRegister) {
    TCHSMTokenDescriptor* a = listedToken(unique("Реестр А"), false);
    TCHSMTokenDescriptor* b = listedToken(unique("Реестр Б"), false);
    ASSERT_TRUE(a && b);
    const std::string aNick = a->nick;
    const std::string expected = std::string("name=") + b->tokenName + "; caption=" + b->nick +
                                 "; serial=" + b->serial + "; slot=" + std::to_string(int(b->slot)) + "\n";
    std::string target = dir.file("register.txt");
    ScriptedWindows windows([&](TObject* w) -> int {
        if (auto* s = dynamic_cast<TSaveDialog*>(w)) {
            s->SetFileName(target);
            return mrOk;
        }
        return mrYes;
    });
    select(a);
    form->actDeleteExecute(form);
    EXPECT_TRUE(windows.shown("Удалить HSM-токен '" + aNick + "'"));
    ASSERT_EQ(getHSMTokens()->count(), 1);
    EXPECT_EQ(form->alv1->Items()->Count(), 1);
    EXPECT_EQ(zrxtest::readFile(listFile).find(aNick), std::string::npos);
    form->actExportExecute(form);
    EXPECT_EQ(zrxtest::readFile(target), expected);
    // A register that cannot be written is reported.
    windows.messages.clear();
    target = dir.file("missing/register.txt");
    form->actExportExecute(form);
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_NE(windows.messages[0].find(target), std::string::npos);
}

TEST_F(TokenDialogs, KeysCheckFailureIsShown) {
    TCHSMTokenDescriptor* d = listedToken(unique("Потерянный"), false);
    ASSERT_NE(d, nullptr);
    d->setTokenName("SoftHSM v2#nosuchserial");
    ScriptedWindows windows;
    EXPECT_TRUE(isFailure(checkTokenKeys(d)));
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_NE(windows.messages[0].find("Контроль наличия ключей  на HSM-токене 'SoftHSM v2#nosuchserial'"),
              std::string::npos);
}

}  // namespace
