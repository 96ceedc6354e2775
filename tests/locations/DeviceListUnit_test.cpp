#include <gtest/gtest.h>

#include <openssl/x509.h>

#include <memory>
#include <string>
#include <vector>

#include "views/CertFixture.h"
#include "locations/DeviceListUnit.h"
#include "dialogs/MessageView.h"
#include "components/CCompStorage.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/p11/P11Storage.h"
#include "platform/p11/SoftHsmFixture.h"
#include "platform/runtime/ResultCodes.h"

namespace {

TCStringList devices(int n) {
    TCStringList list;
    for (int i = 0; i < n; ++i) list.add(("dev" + std::to_string(i)).c_str());
    return list;
}

// Keeps the process-wide sort state of the dialog as the case found it.
struct SortStateGuard {
    int column = selDevSortColumn(), direction = selDevSortDirection();
    ~SortStateGuard() { setSelDevSortState(column, direction); }
};

std::vector<std::string> captions(TSelDevForm* f) {
    std::vector<std::string> out;
    for (int i = 0; i < f->lv1->Items()->Count(); ++i) out.push_back(f->lv1->Items()->Item(i)->Caption());
    return out;
}

TEST(SelDevForm, PlainAndWideModesAndTheSearchPanel) {
    EnsureApplication();
    int refusals = 0;
    SetModalHook([&](TObject*) {
        ++refusals;
        return int(mrOk);
    });
    struct Case {
        int entries;
        bool plain;
        int columns;
        bool searchPanel;
    } cases[] = {{9, false, 3, false}, {10, false, 3, true}, {10, true, 1, false}, {0, false, 3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        TCStringList list = devices(c.entries);
        auto* f = CreateComponent<TSelDevForm>(Application, &list, true, c.plain);
        EXPECT_EQ(f->lv1->Columns()->Count(), c.columns);
        EXPECT_EQ(f->pnl1->Visible(), c.searchPanel);
        EXPECT_EQ(f->lv1->Items()->Count(), c.entries);
        EXPECT_EQ(f->cmpstrg1->ValueName(), c.plain ? "SelDevForm" : "SelDevForm_W");
        // Plain lists are not checked: the selection is accepted as it is.
        EXPECT_EQ(f->acceptSelection("anything"), c.plain);
        f->Free();
    }
    EXPECT_EQ(refusals, 3);
    SetModalHook(nullptr);
}

TEST(SelDevForm, SearchTriesLabelThenNameThenSerialAndDoesNotWrap) {
    EnsureApplication();
    TCStringList list = devices(10);
    auto* f = CreateComponent<TSelDevForm>(Application, &list, false, false);
    auto setLabel = [&](int row, const char* label, const char* serial) {
        TListItem* item = f->lv1->Items()->Item(row);
        item->SubItems()->Clear();
        item->SubItems()->Add(label);
        item->SubItems()->Add(serial);
    };
    for (int i = 0; i < 10; ++i) setLabel(i, "", "");
    setLabel(7, "Бета-токен", "S7");
    setLabel(3, "", "БЕТА-3");
    list.item(2) = "x-бета";
    f->lv1->Items()->Item(2)->SetCaption("x-бета");

    // The label column is searched first, then the names, then the serials.
    f->hst1->SetText("БЕТА");
    f->hst1Change(f->hst1);
    ASSERT_NE(f->lv1->Selected(), nullptr);
    EXPECT_EQ(f->lv1->Selected()->Index(), 7);
    f->btn3Click(f->btn3);  // nothing after row 7: the selection stays
    EXPECT_EQ(f->lv1->Selected()->Index(), 7);
    f->btn4Click(f->btn4);  // backwards from row 6: no label, then the name of row 2
    EXPECT_EQ(f->lv1->Selected()->Index(), 2);

    f->hst1->SetText("dev");
    f->lv1->SetSelected(f->lv1->Items()->Item(1));
    f->btn4Click(f->btn4);  // the first item is reachable backwards
    EXPECT_EQ(f->lv1->Selected()->Index(), 0);
    f->btn4Click(f->btn4);
    EXPECT_EQ(f->lv1->Selected()->Index(), 0);

    f->hst1->SetText("");
    f->hst1Change(f->hst1);
    EXPECT_EQ(f->lv1->Selected()->Index(), 0);
    f->Free();
}

TEST(SelDevForm, SortStateCarriesOverToTheNextWindow) {
    EnsureApplication();
    SortStateGuard guard;
    setSelDevSortState(0, 1);
    TCStringList list;
    for (const char* n : {"b", "C", "a"}) list.add(n);
    auto* f = CreateComponent<TSelDevForm>(Application, &list, false, true);
    f->lv1ColumnClick(f->lv1, f->lv1->Columns()->Items(0));
    EXPECT_EQ(selDevSortDirection(), -1);
    EXPECT_EQ(captions(f), (std::vector<std::string>{"C", "b", "a"}));
    f->Free();

    auto* g = CreateComponent<TSelDevForm>(Application, &list, false, false);
    EXPECT_EQ(selDevSortColumn(), 0);
    EXPECT_EQ(selDevSortDirection(), -1);
    // It opens sorted as the run left it.
    EXPECT_EQ(captions(g), (std::vector<std::string>{"C", "b", "a"}));
    g->lv1ColumnClick(g->lv1, g->lv1->Columns()->Items(0));
    EXPECT_EQ(captions(g), (std::vector<std::string>{"a", "b", "C"}));
    g->lv1ColumnClick(g->lv1, g->lv1->Columns()->Items(2));
    EXPECT_EQ(selDevSortColumn(), 2);
    EXPECT_EQ(selDevSortDirection(), 1);
    g->Free();

    // A plain list has no such column: it keeps the devices' own order.
    auto* h = CreateComponent<TSelDevForm>(Application, &list, false, true);
    EXPECT_EQ(captions(h), (std::vector<std::string>{"b", "C", "a"}));
    h->Free();
}

TEST(SelDevForm, SelectedRowKeepsItsColourWithoutFocus) {
    EnsureApplication();
    TCStringList list = devices(2);
    auto* f = CreateComponent<TSelDevForm>(Application, &list, false, true);
    bool draw = true;
    f->lv1->Canvas()->Brush()->SetColor(clWindow);
    f->lv1AdvancedCustomDrawItem(f->lv1, f->lv1->Items()->Item(0), 0, cdPrePaint, draw);
    EXPECT_EQ(f->lv1->Canvas()->Brush()->Color(), clWindow);
    f->lv1AdvancedCustomDrawItem(f->lv1, f->lv1->Items()->Item(0), cdsSelected, cdPrePaint, draw);
    EXPECT_EQ(f->lv1->Canvas()->Brush()->Color(), TColor(0xE8DACC));
    f->Free();
}

// SoftHSM2 reads its configuration when the module is first started: one
// token folder serves the whole process, set up before any case runs.
class HsmEnvironment : public ::testing::Environment {
public:
    void SetUp() override { hsm = std::make_unique<zrxtest::SoftHsm>(); }
    void TearDown() override {
        TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
        hsm.reset();
    }
    static inline std::unique_ptr<zrxtest::SoftHsm> hsm;
};
[[maybe_unused]] ::testing::Environment* const gHsmEnvironment =
    ::testing::AddGlobalTestEnvironment(new HsmEnvironment);

// Two fresh SoftHSM2 tokens: one empty, one holding a certificate (which
// also makes it a token with objects).
class TokenRule : public ::testing::Test {
protected:
    static constexpr const char* kSoPin = "12345678";
    static constexpr const char* kUserPin = "87654321";

    void SetUp() override {
        EnsureApplication();
        static int round = 0;
        const std::string suffix = " " + std::to_string(++round);
        emptyLabel = "Пустой" + suffix;
        certLabel = "С сертификатом" + suffix;
        for (const std::string& label : {emptyLabel, certLabel})
            ASSERT_TRUE(HsmEnvironment::hsm->initToken(label, kSoPin, kUserPin));
        // The module sees tokens made by another process when it starts again.
        TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
        TCP11ActiveToken storage(P11_MEDIA_HSM);
        TCP11Slots* slots = storage.directory();
        ASSERT_NE(slots, nullptr);
        for (int i = 0; i < slots->count(); ++i) {
            TCP11Slot* s = slots->item(i);
            if (!s->tokenInitialized()) continue;
            if (s->getLabel() == emptyLabel) emptyToken = s->getTokenName();
            if (s->getLabel() == certLabel) {
                certToken = s->getTokenName();
                certSlot = s;
            }
        }
        ASSERT_FALSE(emptyToken.empty());
        ASSERT_FALSE(certToken.empty());
        // A signature certificate made for the key profile "sign".
        ASSERT_TRUE(certs.root("CA"));
        // The openssl tool learns the profile attribute from a configuration file.
        const std::string conf = certs.dir().file("oids.cnf");
        zrxtest::writeFile(conf,
                           "oid_section = oids\n[oids]\nzorenProfileID = "
                           "2.25.229462738156130834534923636639552198472.1.2\n[req]\n"
                           "distinguished_name = dn\n[dn]\n");
        setenv("OPENSSL_CONF", conf.c_str(), 1);
        const bool issued = certs.issue("Owner", "CA", "keyUsage=digitalSignature", "/CN=Владелец/zorenProfileID=sign");
        unsetenv("OPENSSL_CONF");
        ASSERT_TRUE(issued);
        storeCertificate();
    }
    void TearDown() override {
        registerCFGMacro("onlyEmptyTokens", "");
        registerCFGMacro("tknCertProfile", "");
        unregisterGlobalIntValue("disabledTknCertFlags");
    }

    void storeCertificate() {
        TZrX509 cert;
        ASSERT_TRUE(cert.loadFromFile(certs.crt("Owner").c_str()));
        std::vector<uint8_t> der;
        ASSERT_FALSE(isFailure(cert.encode(der)));
        unsigned char* subj = nullptr;
        const int subjLen = i2d_X509_NAME(X509_get_subject_name(cert.handle()), &subj);
        std::string subject(reinterpret_cast<char*>(subj), size_t(subjLen));
        OPENSSL_free(subj);
        TCP11Token token;
        ASSERT_EQ(token.startSession(certSlot, true), 0u);
        ASSERT_EQ(token.login(kUserPin, false), 0u);
        CK_OBJECT_CLASS cls = CKO_CERTIFICATE;
        CK_CERTIFICATE_TYPE type = CKC_X_509;
        CK_BBOOL yes = CK_TRUE;
        std::vector<CK_ATTRIBUTE> tmpl = {{CKA_CLASS, &cls, sizeof cls},
                                          {CKA_SUBJECT, subject.data(), subject.size()},
                                          {CKA_CERTIFICATE_TYPE, &type, sizeof type},
                                          {CKA_TOKEN, &yes, sizeof yes},
                                          {CKA_VALUE, der.data(), der.size()}};
        CK_OBJECT_HANDLE h;
        ASSERT_EQ(token.createObject(tmpl, h), 0u);
        token.closeSession();
    }

    zrxtest::CertMaker certs;
    std::string emptyLabel, certLabel, emptyToken, certToken;
    TCP11Slot* certSlot = nullptr;
};

TEST_F(TokenRule, CheckHsmTokenTable) {
    ASSERT_EQ(isTokenEmpty(certToken.c_str(), nullptr), P11_TOKEN_HOLDS_KEYS);
    const std::string missing = "SoftHSM_v2#nosuchserial";
    struct Case {
        const char* onlyEmpty;
        const std::string* token;
        int64_t disabledFlags;
        const char* profiles;
        bool accepted;
        const char* message;  // a part of the refusal
    } cases[] = {
        {"yes", &emptyToken, 0, "", true, ""},
        {"YES", &certToken, 0, "", false, "уже содержит ключи"},
        {"yes", &missing, 0, "", false, "Ошибка загрузки данных HSM-токена"},
        {"no", &emptyToken, 0x20000, "admin", true, ""},
        {"", &certToken, 0, "", true, ""},
        {"", &certToken, 0x20000, "", false, "обладающий недопустимыми"},
        {"", &certToken, 0x1, "", true, ""},
        {"", &certToken, 0, "signer,admin", false, "сертификат профиля 'sign'"},
        {"", &certToken, 0, "admin, SIGN", true, ""},
        {"", &certToken, 0, "sign", true, ""},
        {"", &missing, 0, "", false, "Ошибка загрузки сертификата из выбранного HSM-токена"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.onlyEmpty) + " " + *c.token + " " + c.profiles);
        registerCFGMacro("onlyEmptyTokens", c.onlyEmpty);
        registerCFGMacro("tknCertProfile", c.profiles);
        registerGlobalIntValue("disabledTknCertFlags", c.disabledFlags);
        TCString message;
        EXPECT_EQ(checkHsmToken(c.token->c_str(), message), c.accepted);
        if (c.accepted) {
            EXPECT_TRUE(message.isEmpty());
        } else {
            EXPECT_NE(std::string(message.c_str()).find(c.message), std::string::npos) << message.c_str();
        }
    }
}

TEST_F(TokenRule, ARefusedTokenIsShownAndTheDialogStaysOpen) {
    registerCFGMacro("onlyEmptyTokens", "yes");
    TCStringList list;
    list.add(emptyToken.c_str(), certSlot);
    list.add(certToken.c_str(), certSlot);
    std::vector<std::string> shown;
    SetModalHook([&](TObject* w) -> int {
        if (auto* m = dynamic_cast<TMessageViewForm*>(w)) shown.push_back(m->message());
        return mrOk;
    });
    auto* f = CreateComponent<TSelDevForm>(Application, &list, true, false);
    // The list opens sorted: the rows are found by their names.
    auto row = [f](const std::string& name) -> TListItem* {
        for (int i = 0; i < f->lv1->Items()->Count(); ++i)
            if (f->lv1->Items()->Item(i)->Caption() == name) return f->lv1->Items()->Item(i);
        return nullptr;
    };
    ASSERT_NE(row(certToken), nullptr);
    ASSERT_NE(row(emptyToken), nullptr);
    EXPECT_EQ(row(certToken)->SubItems()->Strings(0), certLabel);
    f->lv1->SetSelected(row(certToken));
    f->act1Execute(f->act1);
    EXPECT_EQ(f->ModalResult(), mrNone);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("уже содержит ключи"), std::string::npos);
    f->lv1->SetSelected(row(emptyToken));
    f->act1Execute(f->act1);
    EXPECT_EQ(f->ModalResult(), mrOk);
    SetModalHook(nullptr);
    f->Free();
}

}  // namespace
