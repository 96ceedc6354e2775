// The owner-parameter dialog offscreen, with a real maker for the default
// configuration's profiles, real templates and file containers, driven
// through the modal hook.
#include <gtest/gtest.h>
#include <openssl/objects.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/AppServices.h"
#include "locations/LocationTestSupport.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/core/container/ContainerFile.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/framework/QtTestApp.h"
#include "platform/runtime/Passwords.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/x509api/ZrX509Csp.h"
#include "requests/DefaultProfiles.h"
#include "requests/EditUserParmsForm.h"
#include "requests/GenFlags.h"
#include "requests/ObjectIdList.h"
#include "requests/ObjectListForm.h"
#include "requests/RequestParamMaker.h"
#include "requests/SelectUserObject.h"
#include "requests/UserExParsFrame.h"
#include "requests/UserParmsRules.h"
#include "support/CheckBoxesLayout.h"
#include "support/ProgramLanguage.h"
#include "support/TempDir.h"

// Qt last: its "slots" keyword would clash with the names above.
#include <QImage>
#include <QWidget>

namespace {

using zrxtest::ScriptedWindows;

struct FastKdf {
    FastKdf() { zrx::container::setDefaultKdf(zrx::container::KdfParams::scrypt(10, 1, 1)); }
} fastKdf;

constexpr unsigned kModes = 0x800, kDest = 0x80000;
const char kPassword[] = "Пароль-1234";

class OwnerDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        registerCFGMacro("APPLDATA", (std::string(ZRX_SOURCE_DIR) + "/app/data").c_str());
        forget();
        // The generator's page, as the program's main window registers it.
        const TFPropFrmConctructorRec* rec = findReqPropsFrame("UserExPars");
        savedPage_ = rec ? rec->constructor : nullptr;
        savedGenFlags_ = genFlags.value();
        registerCreatorUserExPars();
        // No window of a case may wait for a user.
        guard_ = std::make_unique<ScriptedWindows>();
    }
    void TearDown() override {
        for (const char* m : {"APPLDATA", "adminCtxName", "CA_DOMAIN"}) registerCFGMacro(m, "");
        setExecEditUserParmsForm(nullptr);
        resetUserOIDsList();
        form_.reset();
        guard_.reset();
        if (savedPage_) registerReqPropsFrame("UserExPars", savedPage_);
        genFlags = savedGenFlags_;
        forget();
    }
    static void forget() { zrxtest::forgetStoredState({"ZrXForms", "ZI509", "ZrXCreator", "X509Editors"}); }

    // A maker for a profile of the default configuration, its crypto
    // parameters initialised, with owner fields in the given order.
    TCRequestParamMaker& maker(int id, unsigned makerFlags, uint32_t profileFlags = 0,
                               std::vector<const char*> fields = {"CN", "SN", "GN", "email", "L", "ST"}) {
        TCXProfileDescriptor* p = profiles_.byId(id);
        EXPECT_NE(nullptr, p);
        p->flags |= profileFlags;
        csp_.prepareUpdate();
        maker_ = std::make_unique<TCRequestParamMaker>(p, &csp_);
        EXPECT_EQ(0u, maker_->initCryptoPars(p));
        maker_->flags().set(makerFlags);
        for (const char* f : fields) {
            TCXEditsEntry* e = maker_->nameList().addAttribute(f, "", false);
            // Only the names are required here (an optional surname would
            // also lock the name composition).
            const std::string name = f;
            if (name != "CN" && name != "SN" && name != "GN") {
                e->setFlag(xefOptional);
                e->setCanEmpty(true);
            }
        }
        return *maker_;
    }
    // The dialog set up for the maker, not shown (freed by the fixture).
    TEditUserParmsForm* dialog(TCRequestParamMaker& m) {
        form_.reset(CreateComponent<TEditUserParmsForm>(Application));
        EXPECT_TRUE(form_->initFromMaker(&m));
        return form_.get();
    }
    struct FormFree {
        void operator()(TEditUserParmsForm* f) const { f->Free(); }
    };
    static void fillOwner(TEditUserParmsForm* f, const char* cn = "Петренко Іван") {
        f->CEditorsBox1->setValue("CN", cn);
        f->CEditorsBox1->setValue("GN", "Іван");
        f->CEditorsBox1->setValue("SN", "Петренко");
    }
    static void typePassword(TEditUserParmsForm* f, const char* pw, const char* confirm = nullptr) {
        f->PasswordEdit->SetText(pw);
        f->PasswordConfirm->SetText(confirm ? confirm : pw);
    }
    static bool accept(TEditUserParmsForm* f) {
        f->UpdateActions();
        if (!f->act1->Enabled()) return false;
        f->Button1->Click();
        return f->ModalResult() == mrOk;
    }
    static bool holdsFocus(TEditUserParmsForm* f, TWinControl* c) {
        return c && (f->FocusedControl() == c || f->ActiveControl() == c);
    }
    static bool hasEku(TCRequestParamMaker& m, const char* name) {
        const TCXEditsEntry* e = m.fullExtensions().findByPath((std::string("extendedKeyUsage\\") + name).c_str());
        return e && e->getValue() == "TRUE";
    }

    std::unique_ptr<ScriptedWindows> guard_;
    TReqPropsFrameConstructor savedPage_ = nullptr;
    unsigned savedGenFlags_ = 0;
    zrxtest::TempDir dir_;
    zrxtest::DefaultProfiles profiles_;
    TZrX509Csp csp_;
    std::unique_ptr<TCRequestParamMaker> maker_;
    std::unique_ptr<TEditUserParmsForm, FormFree> form_;
};

// Which groups the maker flags show, the caption of the password group, and
// the accept button without any group.
TEST_F(OwnerDialogTest, GroupsFollowMakerFlags) {
    struct Case {
        unsigned flags;
        bool modes, dest, password;
        const char* passwordCaption;
    } cases[] = {
        {0, false, false, false, "Ввод пароля"},
        {kRpmAskPassword, false, false, true, "Ввод пароля"},
        {kRpmAskPassword | kRpmChangeCaption, false, false, true, "Смена пароля"},
        {kModes, true, false, false, "Ввод пароля"},
        {kDest, false, true, false, "Ввод пароля"},
        {kModes | kDest | kRpmAskPassword, true, true, true, "Ввод пароля"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.flags);
        TEditUserParmsForm* f = dialog(maker(1, c.flags));
        EXPECT_EQ(c.modes, f->chckbxs1->Visible());
        EXPECT_EQ(c.modes, f->grpAlg->Visible());
        EXPECT_EQ(c.dest, f->grpDest->Visible());
        EXPECT_EQ(c.password, f->grpPassw->Visible());
        EXPECT_EQ(c.passwordCaption, f->grpPassw->Caption());
        f->act1->Update();
        // No password group: "Принять" at once; with one, not before a password.
        EXPECT_EQ(!c.password, f->act1->Enabled());
        if (!c.modes && !c.dest && !c.password) {
            EXPECT_EQ(f->Button2->Top() + f->Button2->Height() + 8, f->Panel1->Height());
        }
        EXPECT_GE(f->Constraints_MinWidth, 775);
        EXPECT_GE(f->Constraints_MinHeight, 595);
        form_.reset();
        maker_.reset();
    }
}

// The set-up: tree, pickers with the template's captions, mode boxes from
// the profile's key usage, the pages of the profile.
TEST_F(OwnerDialogTest, SetUpFromMaker) {
    TCRequestParamMaker& m = maker(3, kModes);
    m.editExtensions().setValueTo(NID_subject_alt_name, false, "email:a@b.ua");
    TEditUserParmsForm* f = dialog(m);
    ASSERT_NE(nullptr, f->ownerNode());
    EXPECT_EQ("Параметры владельца", f->ownerNode()->Text());
    ASSERT_NE(nullptr, f->extensionsNode());
    EXPECT_EQ("Дополнения X.509", f->extensionsNode()->Text());
    EXPECT_EQ(1, f->extensionsNode()->Count());
    EXPECT_EQ(f->rootEntry(), f->CEditorsBox1->getEntry());
    EXPECT_EQ(6, f->CEditorsBox1->GetEditorCount());
    EXPECT_EQ(4, f->flbx1->Items()->Count());
    EXPECT_EQ("[ECDSA P-256 (SHA-256)]", f->flbx1->GetCheckedText());
    EXPECT_EQ(2, f->flbx2->Items()->Count());
    // "keyUsage" of profile 3 names both key kinds.
    EXPECT_TRUE(f->chckbxs1->GetIsChecked(1));
    EXPECT_TRUE(f->chckbxs1->GetIsChecked(2));
    EXPECT_FALSE(f->chckbxs1->GetIsChecked(0));
    EXPECT_TRUE(f->flbx2->Enabled());
    f->chckbxs1->SetIsChecked(2, false);
    f->chckbxs1ChekBoxClick(nullptr);
    EXPECT_FALSE(f->flbx2->Enabled());
    ASSERT_EQ(1u, f->pages().size());  // "UserExPars"
    EXPECT_NE(nullptr, dynamic_cast<TCreatorUserExPars*>(f->pages()[0]));
    EXPECT_EQ(2, f->pgc1->PageCount());

    // Choosing the extension node shows the extension.
    fillOwner(f);
    f->tv1->SetSelected(f->extensionsNode());
    EXPECT_EQ(f->extensionsNode()->Item(0), f->tv1->Selected());
    EXPECT_EQ(m.editExtensions().at(0), f->CEditorsBox1->getEntry());
}

// The bottom groups in each of the program's languages: the mode boxes whole
// and off the group's caption, each algorithm box beside its label and wide
// enough for every choice, shown from its start, and nothing shown where
// there is nothing to choose.
TEST_F(OwnerDialogTest, BottomGroupsShowTheirTextsWholeInEveryLanguage) {
    for (int language : zrxtest::kProgramLanguages) {
        zrxtest::ProgramLanguage inLanguage(language);
        for (int id : {1, 3}) {  // without and with key-agreement sets
            SCOPED_TRACE(testing::Message() << "language " << language << ", profile " << id);
            TEditUserParmsForm* f = dialog(maker(id, kModes | kDest | kRpmAskPassword));
            zrxtest::expectBoxesWhole(f->chckbxs1);
            TCanvas canvas;
            for (auto [label, box] : {std::pair{f->lbl4, f->flbx1}, std::pair{f->lbl5, f->flbx2}}) {
                SCOPED_TRACE(label->Caption());
                EXPECT_LE(label->Left() + label->Width(), box->Left());
                EXPECT_LE(box->Left() + box->Width(), f->grpAlg->ContentRect().Right);
                canvas.Font()->Assign(box->Font());
                for (int i = 0; i < box->Items()->Count(); ++i) {
                    const String text = "[" + box->Items()->Item(i)->Caption() + "]";
                    EXPECT_LE(canvas.TextWidth(text) + box->Button()->Width() + 8, box->Width()) << text;
                    box->SetChecked(uint64_t(i));  // the values are the set indexes
                    EXPECT_EQ(0, box->SelStart()) << text;
                }
                if (box->Items()->Count() == 0) {
                    EXPECT_EQ("", box->GetText());
                }
            }
            form_.reset();
            maker_.reset();
        }
    }
}

// Refusals keep the dialog open and focus the offending control.
TEST_F(OwnerDialogTest, RefusalsKeepTheDialogOpen) {
    struct Case {
        const char* name;
        unsigned flags;
        std::function<void(TEditUserParmsForm*)> arrange;
        const char* message;
        std::function<TWinControl*(TEditUserParmsForm*)> focused;
    };
    const std::string file = dir_.file("keys.pfx");
    const Case cases[] = {
        {"required", 0, [](TEditUserParmsForm* f) { f->CEditorsBox1->setValue("CN", ""); },
         "Параметр \"Полное имя\" должен быть обязательно заполнен!",
         [](TEditUserParmsForm* f) { return f->CEditorsBox1->editorByName("CN"); }},
        {"email", 0, [](TEditUserParmsForm* f) { f->CEditorsBox1->setValue("email", "іvan@x.ua"); },
         "не может содержать символ 'і'!",
         [](TEditUserParmsForm* f) { return f->CEditorsBox1->editorByName("email"); }},
        {"email form", 0, [](TEditUserParmsForm* f) { f->CEditorsBox1->setValue("email", "@x.ua"); },
         "заполнено некорректно!", [](TEditUserParmsForm* f) { return f->CEditorsBox1->editorByName("email"); }},
        {"modes", kModes,
         [](TEditUserParmsForm* f) {
             f->chckbxs1->SetIsChecked(1, false);
             f->chckbxs1->SetIsChecked(2, false);
         },
         "Необходимо задать хотя бы один из режимов формирования ключей!",
         [](TEditUserParmsForm* f) { return f->chckbxs1; }},
        {"no path", kDest, [](TEditUserParmsForm* f) { f->locationFrame()->setPathText(""); },
         "Необходимо задать путь для сохранения личных ключей!",
         [](TEditUserParmsForm* f) { return f->locationFrame()->pathEditor(); }},
        {"no medium", kDest, [](TEditUserParmsForm* f) { f->locationFrame()->setLocation("$:"); },
         "Необходимо явно указать имя носителя для сохранения личных ключей!",
         [](TEditUserParmsForm* f) { return f->locationFrame()->pathEditor(); }},
        {"administrator", kDest,
         [file](TEditUserParmsForm* f) {
             registerCFGMacro("adminCtxName", TCString(file).toUpper().c_str());
             f->locationFrame()->setPathText(file.c_str());
         },
         "содержит ключи текущего администратора!",
         [](TEditUserParmsForm* f) { return f->locationFrame()->pathEditor(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedWindows windows;
        TEditUserParmsForm* f = dialog(maker(3, c.flags));
        f->Show();
        fillOwner(f);
        c.arrange(f);
        EXPECT_FALSE(accept(f));
        EXPECT_EQ(mrNone, f->ModalResult());
        ASSERT_EQ(1u, windows.messages.size());
        EXPECT_NE(std::string::npos, windows.messages[0].find(c.message)) << windows.messages[0];
        EXPECT_TRUE(holdsFocus(f, c.focused(f)));
        registerCFGMacro("adminCtxName", "");
        form_.reset();
        maker_.reset();
    }
}

// The generation modes reach the maker flags and the key usages, both
// written again on every accept.
TEST_F(OwnerDialogTest, ModesRewriteTheKeyUsagesEachTime) {
    TCRequestParamMaker& m = maker(3, kModes);
    TEditUserParmsForm* f = dialog(m);
    fillOwner(f);
    for (int i = 0; i < 3; ++i) f->chckbxs1->SetIsChecked(i, true);
    ASSERT_TRUE(f->validate());
    EXPECT_TRUE(m.flags().isSet(0x700));
    EXPECT_TRUE(hasEku(m, "genKAKeys"));
    EXPECT_TRUE(hasEku(m, "tempCertificate"));

    f->chckbxs1->SetIsChecked(2, false);
    ASSERT_TRUE(f->validate());
    EXPECT_EQ(0x500u, m.flagsValue() & 0x700);
    EXPECT_FALSE(hasEku(m, "genKAKeys"));
    EXPECT_TRUE(hasEku(m, "tempCertificate"));

    f->chckbxs1->SetIsChecked(0, false);
    ASSERT_TRUE(f->validate());
    EXPECT_FALSE(hasEku(m, "tempCertificate"));
}

// Hidden mode boxes mean signature keys only; a refusal of the parameter
// choice is shown with the library's text.
TEST_F(OwnerDialogTest, HiddenModesAndParameterChoice) {
    TCRequestParamMaker& m = maker(1, 0);
    TEditUserParmsForm* f = dialog(m);
    fillOwner(f);
    ASSERT_TRUE(f->validate());
    EXPECT_EQ(0x100u, m.flagsValue() & 0x700);
    form_.reset();

    ScriptedWindows windows;
    TCRequestParamMaker& m2 = maker(1, kModes);
    f = dialog(m2);
    fillOwner(f);
    f->flbx1->AddItem("bogus", 99, true);
    f->flbx1->SetChecked(99);
    EXPECT_FALSE(f->validate());
    ASSERT_EQ(1u, windows.messages.size());
    EXPECT_FALSE(windows.messages[0].empty());
    f->flbx1->SetChecked(1);
    EXPECT_TRUE(f->validate());
    EXPECT_EQ(1, m2.signParamsIndex());
}

// Escape asks "Отменить генерацию ключей?"; No keeps the dialog, Yes cancels,
// and the maker answers "cancelled by the user". The password callback
// answers while the dialog lives and is gone afterwards.
TEST_F(OwnerDialogTest, EscapeAsksAndThePasswordCallbackLivesWithTheDialog) {
    TCRequestParamMaker& m = maker(1, 0);
    int escapes = 0;
    std::string answered;
    ScriptedWindows windows([&](TObject* w) -> int {
        if (auto* f = dynamic_cast<TEditUserParmsForm*>(w)) {
            EXPECT_EQ(f, openEditUserParmsForm());
            char buf[16] = {};
            if (zrx::api::askPassword(buf, sizeof buf)) answered = buf;
            uint16_t key = 27;
            ++escapes;
            f->FormKeyDown(f, key, 0);
            return 0;
        }
        return escapes == 1 ? int(mrNo) : int(mrYes);
    });
    TCFlags<unsigned int> flags;
    EXPECT_EQ(0xC0800024u, m.prepareRequest(&flags, nullptr, "Ключи"));
    EXPECT_EQ(2, escapes);
    ASSERT_EQ(2u, windows.messages.size());
    EXPECT_EQ("Отменить генерацию ключей?", windows.messages[0]);
    EXPECT_EQ("40719385", answered);
    char buf[16] = {};
    EXPECT_FALSE(zrx::api::askPassword(buf, sizeof buf));
    EXPECT_EQ(nullptr, openEditUserParmsForm());
}

// Escape on an open list (an algorithm choice, the destination's media)
// closes that list only; the dialog stays and asks nothing.
TEST_F(OwnerDialogTest, EscapeOnAnOpenListClosesTheListOnly) {
    TCRequestParamMaker& m = maker(1, kModes | kDest);
    int rounds = 0;
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* f = dynamic_cast<TEditUserParmsForm*>(w);
        if (!f) return mrYes;
        if (++rounds > 1) return mrCancel;
        for (TCFlagsBox* box : {f->flbx1, f->locationFrame()->flbx1}) {
            SCOPED_TRACE(box->Name());
            box->SetFocus();
            box->SetDroppedDown(true);
            EXPECT_TRUE(box->GetDroppedDown());
            SendKey(f, VK_ESCAPE);
            EXPECT_FALSE(box->GetDroppedDown());
            EXPECT_EQ(mrNone, f->ModalResult());
            EXPECT_TRUE(f->Showing());
        }
        EXPECT_TRUE(windows.messages.empty());
        // A second Escape, with no list open, asks.
        SendKey(f, VK_ESCAPE);
        return 0;
    });
    TCFlags<unsigned int> flags;
    EXPECT_EQ(0xC0800024u, m.prepareRequest(&flags, nullptr, "Ключи"));
    ASSERT_EQ(1u, windows.messages.size());
    EXPECT_EQ("Отменить генерацию ключей?", windows.messages[0]);
}

// The name rules through the editors' own handlers.
TEST_F(OwnerDialogTest, NameRules) {
    {
        SCOPED_TRACE("split: CN above SN and GN");
        TEditUserParmsForm* f = dialog(maker(1, kDest, 0, {"CN", "SN", "GN"}));
        TCompoundEdit* cn = f->CEditorsBox1->editorByName("CN");
        for (const auto& [typed, sn, gn] :
             {std::tuple{"Петренко Іван", "Петренко", "Іван"}, {"Коваль", "Коваль", "Іван"}}) {
            cn->setTextValue(typed);
            cn->OnExit(cn);
            EXPECT_EQ(sn, f->CEditorsBox1->editorByName("SN")->getTextValue());
            EXPECT_EQ(gn, f->CEditorsBox1->editorByName("GN")->getTextValue());
        }
        EXPECT_EQ("Koval.pfx", f->locationFrame()->defaultFileName.str());
        form_.reset();
        maker_.reset();
    }
    {
        SCOPED_TRACE("compose: SN and GN above CN, with the name filter");
        TEditUserParmsForm* f = dialog(maker(1, kDest, 0, {"SN", "GN", "CN"}));
        TCompoundEdit* sn = f->CEditorsBox1->editorByName("SN");
        TCompoundEdit* gn = f->CEditorsBox1->editorByName("GN");
        char32_t digit = U'7', letter = U'ї';
        sn->OnKeyPress(sn, digit);
        gn->OnKeyPress(gn, letter);
        EXPECT_EQ(0u, digit);
        EXPECT_EQ(U'ї', letter);
        sn->SetText("Шевч3нко");  // pasted: the digit goes on change
        EXPECT_EQ("Шевчнко", sn->GetText());
        sn->setTextValue("Шевченко");
        gn->setTextValue("Тарас");
        gn->OnExit(gn);
        EXPECT_EQ("Шевченко Тарас", f->CEditorsBox1->editorByName("CN")->getTextValue());
        EXPECT_EQ("Shevchenko_Taras.pfx", f->locationFrame()->defaultFileName.str());
    }
}

// Locality, the service serial number, and the identity-document fields.
TEST_F(OwnerDialogTest, AddressSerialAndIdentityRules) {
    TCXProfileDescriptor* ocsp = profiles_.byId(1);
    ocsp->id = 21;
    TEditUserParmsForm* f =
        dialog(maker(21, kDest, 0, {"CN", "L", "ST", "serialNumber", "DRFOU_Code", "zorenPSPNumber", "unzr"}));
    TCompoundEdit* l = f->CEditorsBox1->editorByName("L");
    TCompoundEdit* st = f->CEditorsBox1->editorByName("ST");
    st->setTextValue("Київська");
    l->SetText("м. Київ");
    EXPECT_FALSE(st->Enabled());
    EXPECT_EQ("", st->getTextValue());
    EXPECT_TRUE(f->CEditorsBox1->entryOfEditor(st)->hasFlag(xefNotRequired));
    // The region is a read-only pick list of the regions.
    auto* regions = dynamic_cast<TCompoundHistoryEdit*>(st);
    ASSERT_NE(nullptr, regions);
    EXPECT_TRUE(regions->ReadOnly());
    EXPECT_EQ(regionNameCount(), regions->Items()->Count());
    l->SetText("Бровари");
    EXPECT_TRUE(st->Enabled());
    EXPECT_FALSE(f->CEditorsBox1->entryOfEditor(st)->hasFlag(xefNotRequired));

    // A serial value put into its editor gets the profile's digit; the token
    // label and the proposed file follow.
    f->CEditorsBox1->setValue("serialNumber", "AB-123456");
    EXPECT_EQ("AB-123256", f->CEditorsBox1->editorByName("serialNumber")->getTextValue());
    EXPECT_EQ("OCSP-123256", f->locationFrame()->tokenLabel.str());
    EXPECT_EQ("OCSP-123256.pfx", f->locationFrame()->defaultFileName.str());

    // The record number switches the document field to the ID-card mask and back.
    TCompoundEdit* doc = f->CEditorsBox1->editorByName("zorenPSPNumber");
    TCompoundEdit* unzr = f->CEditorsBox1->editorByName("unzr");
    const String ownMask = doc->EditMask();
    doc->SetText("АБ");
    unzr->SetText("19800101-12345");
    EXPECT_EQ(userparms::kIdCardMask, doc->EditMask());
    EXPECT_EQ("№ ID-карты:", f->CEditorsBox1->GetLabel(5)->Caption().substr(0, 0) + "№ ID-карты:");
    EXPECT_EQ("", Trim(doc->GetText()));
    unzr->SetText("");
    EXPECT_EQ(ownMask, doc->EditMask());

    // The document number proposes the taxpayer code, when that is required.
    TCXEditsEntry* code = f->CEditorsBox1->entryOfEditor(f->CEditorsBox1->editorByName("DRFOU_Code"));
    code->setCanEmpty(false);
    doc->setTextValue("що123");
    doc->OnExit(doc);
    EXPECT_EQ("SHCHO123", f->CEditorsBox1->editorByName("DRFOU_Code")->getTextValue());
}

// Profile 1 proposes the authority's mail domain in an empty address.
TEST_F(OwnerDialogTest, EmailProposesTheAuthoritysDomain) {
    registerCFGMacro("CA_DOMAIN", "ca.example.ua");
    TEditUserParmsForm* f = dialog(maker(1, 0));
    EXPECT_EQ("@ca.example.ua", f->CEditorsBox1->editorByName("email")->getTextValue());
    form_.reset();
    maker_.reset();
    f = dialog(maker(2, 0));
    EXPECT_EQ("", f->CEditorsBox1->editorByName("email")->getTextValue());
}

// Leaving the owner node capitalises "o", "ou" and "title", checks the
// fields and refuses a half-filled masked field.
TEST_F(OwnerDialogTest, PageLeaveCheck) {
    ScriptedWindows windows;
    TCRequestParamMaker& m = maker(1, 0, 0, {"CN", "GN", "O", "title", "unzr"});
    m.editExtensions().setValueTo(NID_subject_alt_name, false, "email:a@b.ua");
    TCXEditsEntry* record = m.nameList().findByName("unzr");
    record->setInputMask("00000000-00000;0;_");
    TEditUserParmsForm* f = dialog(m);
    fillOwner(f);
    f->CEditorsBox1->setValue("O", "зорен");
    f->CEditorsBox1->setValue("title", "інженер");
    TCompoundEdit* unzr = f->CEditorsBox1->editorByName("unzr");
    unzr->SetEditText("1980____-_____");
    f->tv1->SetSelected(f->extensionsNode());
    EXPECT_EQ(f->ownerNode(), f->tv1->Selected());
    ASSERT_EQ(1u, windows.messages.size());
    EXPECT_NE(std::string::npos, windows.messages[0].find("либо заполнен полностью, либо оставаться пустым!"));
    EXPECT_EQ("Зорен", f->CEditorsBox1->editorByName("O")->getTextValue());
    EXPECT_EQ("Інженер", f->CEditorsBox1->editorByName("title")->getTextValue());

    unzr->SetEditText("19800101-12345");
    f->tv1->SetSelected(f->extensionsNode());
    EXPECT_EQ(f->extensionsNode()->Item(0), f->tv1->Selected());
    EXPECT_EQ(1u, windows.messages.size());
    EXPECT_EQ("19800101-12345", record->getValue().str());
}

// The media type decides the password labels and the confirmation.
TEST_F(OwnerDialogTest, MediaLabels) {
    TEditUserParmsForm* f = dialog(maker(1, kDest | kRpmAskPassword));
    f->mediaChanged(nullptr, 36);
    EXPECT_EQ("PIN-код носителя", f->lbl1->Caption());
    EXPECT_TRUE(f->PasswordConfirm->Visible());
    f->mediaChanged(nullptr, zrxtest::TestMedium::kMediaType);
    EXPECT_FALSE(f->PasswordConfirm->Visible());
    typePassword(f, "12345678", "different");
    f->act1->Update();
    EXPECT_TRUE(f->act1->Enabled());  // only the minimum governs without confirmation
    f->mediaChanged(nullptr, 0);
    EXPECT_EQ("Пароль", f->lbl1->Caption());
    f->act1->Update();
    EXPECT_FALSE(f->act1->Enabled());
}

// A device destination: the PIN label, no confirmation, and the container
// named by the device the frame resolved, with the typed PIN.
TEST_F(OwnerDialogTest, DeviceDestination) {
    using zrxtest::TestMedium;
    TestMedium::install();
    TestMedium::reset();
    TestMedium::devices = {"dev1"};
    TEditUserParmsForm* f = dialog(maker(1, kDest | kRpmAskPassword));
    fillOwner(f);
    f->locationFrame()->setLocation("#:");
    typePassword(f, "  12345678  ", "");
    EXPECT_FALSE(f->validate());  // a bare media prefix names no medium
    f->locationFrame()->setLocation("#:dev1");
    EXPECT_EQ("PIN-код носителя", f->lbl1->Caption());
    EXPECT_FALSE(f->PasswordConfirm->Visible());
    ASSERT_TRUE(f->validate());
    EXPECT_EQ("#:dev1", csp_.container()->fileName().str());
    EXPECT_STREQ("12345678", csp_.container()->dp());
    TestMedium::reset();
}

// The testers' shortcuts (built into the tests).
TEST_F(OwnerDialogTest, TesterShortcuts) {
    setTestPassword("40719385");
    TEditUserParmsForm* f = dialog(maker(1, kRpmAskPassword));
    uint16_t key = '3';
    f->FormKeyDown(f, key, ssCtrl | ssAlt);
    EXPECT_EQ("5061mzvk", f->PasswordEdit->GetText());
    EXPECT_EQ("5061mzvk", f->PasswordConfirm->GetText());
    key = '1';
    f->FormKeyDown(f, key, ssCtrl | ssAlt);
    EXPECT_EQ("40719385", f->PasswordConfirm->GetText());
    key = 'N';
    f->FormKeyDown(f, key, ssCtrl | ssAlt);
    EXPECT_EQ(0, f->CEditorsBox1->editorByName("CN")->getTextValue().rfind("TestUser ", 0));
    setTestPassword(nullptr);
}

// A user-added extension is detached from the editors box before it is freed.
TEST_F(OwnerDialogTest, ExtensionEditMode) {
    TEditUserParmsForm* f = dialog(maker(1, 0));
    fillOwner(f);
    EXPECT_FALSE(f->pnl2->Visible());
    EXPECT_EQ(nullptr, f->tv1->PopupMenu());
    f->setExtensionEditMode(true);
    EXPECT_EQ(f->pm1, f->tv1->PopupMenu());
    // The object comes from the program's object list, chosen in its window.
    zrxtest::TempDir dir;
    const std::string list = dir.file("ZrX509_objects.xcfg");
    zrxtest::writeFile(list,
                       "<objects oid=\"1.3.6.1.4.1.99996.1\">"
                       "<ownerTestInfo ln=\"Відомості про власника\" oid=\"1.3.6.1.4.1.99996.1.1\" valtype=\"string\"/>"
                       "</objects>");
    userOIDsList().setFileName(list.c_str());
    int listWindows = 0;
    auto choose = [&](TObject* w) {
        auto* chooser = dynamic_cast<TEditObjListForm*>(w);
        if (!chooser) return int(mrOk);
        ++listWindows;
        EXPECT_TRUE(chooser->actCreate->Visible());  // the owner dialog asks for the editable list
        chooser->CAlv1->SetSelected(chooser->CAlv1->Items()->Item(0));
        chooser->actOKExecute(nullptr);
        return chooser->ModalResult();
    };
    guard_->setScript(choose);
    f->actAddExecute(nullptr);
    ASSERT_NE(nullptr, f->extensionsNode());
    TCXEditsEntry* added = f->CEditorsBox1->getEntry();
    ASSERT_NE(nullptr, added);
    EXPECT_TRUE(added->hasFlag(xefUserAdded));
    EXPECT_EQ("ownerTestInfo", added->getName().str());
    EXPECT_EQ("Відомості про власника", added->caption().str());
    {
        ScriptedWindows windows(choose);
        f->actAddExecute(nullptr);  // the same object again
        ASSERT_EQ(1u, windows.messages.size());
        EXPECT_NE(std::string::npos, windows.messages[0].find("уже присутствует в списке!"));
    }
    f->actDelete->Update();
    EXPECT_TRUE(f->actDelete->Enabled());
    f->actDeleteExecute(nullptr);
    EXPECT_EQ(0, maker_->editExtensions().count());
    EXPECT_NE(added, f->CEditorsBox1->getEntry());
    f->CEditorsBox1->getValues();  // reads no freed entry
    EXPECT_EQ(2, listWindows);
}

// The whole road: the dialog filled through the hook and accepted, keys
// generated into a file container, the request read back with OpenSSL.
TEST_F(OwnerDialogTest, AcceptedDialogMakesTheTypedRequest) {
    const std::string file = dir_.file("Petrenko.pfx");
    TCRequestParamMaker& m = maker(1, kModes | kDest);
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* f = dynamic_cast<TEditUserParmsForm*>(w);
        if (!f) return int(mrOk);
        f->CEditorsBox1->setValue("SN", "Петренко");
        f->CEditorsBox1->setValue("GN", "Іван");
        f->CEditorsBox1->setValue("CN", "Петренко Іван");
        f->CEditorsBox1->setValue("email", "ivan@example.ua");
        f->CEditorsBox1->setValue("L", "Бровари");
        f->locationFrame()->setPathText(file.c_str());
        typePassword(f, kPassword);
        f->flbx1->SetChecked(1);  // ECDSA P-384
        if (const char* dirName = std::getenv("ZRX_TEST_SNAPSHOTS")) {
            Application->ProcessMessages();
            f->Handle()->grab().save((std::string(dirName) + "/owner-dialog.png").c_str());
        }
        EXPECT_TRUE(accept(f));
        return 0;
    });
    TCFlags<unsigned int> flags(kPrqAskPassword);
    char password[kReqPasswordSize] = {};
    ASSERT_EQ(0u, m.prepareRequest(&flags, nullptr, nullptr));
    (void)password;
    EXPECT_TRUE(windows.messages.empty()) << windows.messages.front();
    EXPECT_EQ(file, csp_.container()->fileName().str());
    EXPECT_STREQ(kPassword, csp_.container()->dp());
    ASSERT_EQ(0u, m.generateKeys(&csp_, 0, nullptr));

    TZrX509Csp reread;
    ASSERT_EQ(0u, reread.load(file.c_str(), kPassword));
    ASSERT_EQ(1, reread.reqCount());
    std::vector<uint8_t> der;
    ASSERT_EQ(0u, reread.getReqAt(0)->encode(der));
    const unsigned char* p = der.data();
    X509_REQ* req = d2i_X509_REQ(nullptr, &p, long(der.size()));
    ASSERT_NE(nullptr, req);
    auto entry = [req](int nid) {
        X509_NAME* name = X509_REQ_get_subject_name(req);
        const int i = X509_NAME_get_index_by_NID(name, nid, -1);
        if (i < 0) return std::string();
        unsigned char* utf8 = nullptr;
        const int n = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, i)));
        std::string out(reinterpret_cast<char*>(utf8), size_t(n));
        OPENSSL_free(utf8);
        return out;
    };
    EXPECT_EQ("Петренко Іван", entry(NID_commonName));
    EXPECT_EQ("Петренко", entry(NID_surname));
    EXPECT_EQ("Іван", entry(NID_givenName));
    EXPECT_EQ("ivan@example.ua", entry(NID_pkcs9_emailAddress));
    EXPECT_EQ("Бровари", entry(NID_localityName));
    STACK_OF(X509_EXTENSION)* exts = X509_REQ_get_extensions(req);
    bool keyUsage = false, noGenKA = true;
    for (int i = 0; i < sk_X509_EXTENSION_num(exts); ++i) {
        X509_EXTENSION* ext = sk_X509_EXTENSION_value(exts, i);
        const int nid = OBJ_obj2nid(X509_EXTENSION_get_object(ext));
        if (nid == NID_key_usage) keyUsage = true;
        if (nid == NID_ext_key_usage) {
            auto* eku = static_cast<EXTENDED_KEY_USAGE*>(X509V3_EXT_d2i(ext));
            for (int k = 0; eku && k < sk_ASN1_OBJECT_num(eku); ++k)
                if (OBJ_obj2nid(sk_ASN1_OBJECT_value(eku, k)) == zrxNid(ZrXObject::GenKAKeys)) noGenKA = false;
            EXTENDED_KEY_USAGE_free(eku);
        }
    }
    sk_X509_EXTENSION_pop_free(exts, X509_EXTENSION_free);
    EXPECT_TRUE(keyUsage);
    EXPECT_TRUE(noGenKA);
    // ECDSA P-384 as chosen.
    EVP_PKEY* key = X509_REQ_get0_pubkey(req);
    ASSERT_NE(nullptr, key);
    EXPECT_EQ(384, EVP_PKEY_get_bits(key));
    X509_REQ_free(req);
}

// The policy's longest passwords, 32 Cyrillic or 32 four-byte characters,
// typed into the dialog: accepted, and handed to the caller whole.
TEST_F(OwnerDialogTest, LongestPasswordsReachTheCallerWhole) {
    std::string cyrillic, fourByte;
    for (int i = 0; i < 32; ++i) {
        cyrillic += i % 2 ? "Ж" : "ї";
        fourByte += i % 2 ? "\U0001F511" : "\U0001D11E";
    }
    for (const std::string& typed : {cyrillic, fourByte}) {
        SCOPED_TRACE(typed);
        TCRequestParamMaker& m = maker(1, kRpmAskPassword);
        ScriptedWindows windows([&](TObject* w) -> int {
            auto* f = dynamic_cast<TEditUserParmsForm*>(w);
            if (!f) return int(mrOk);
            fillOwner(f);
            // Typed as a user types, one more character than the policy allows.
            for (TPasswordEdit* e : {f->PasswordEdit, f->PasswordConfirm}) {
                e->SetFocus();
                SendText(e, typed + typed.substr(0, typed.size() / 32));
            }
            accept(f);
            return 0;
        });
        char buffer[kReqPasswordSize];
        std::memset(buffer, 'x', sizeof buffer);
        ASSERT_TRUE(execEditUserParmsFormEx(&m, buffer, sizeof buffer, "Ключі"));
        EXPECT_TRUE(windows.messages.empty()) << windows.messages.front();
        EXPECT_EQ(typed, std::string(buffer));
    }
}

// The password reaches the caller whole or not at all: one longer than the
// caller's buffer is refused in the dialog.
TEST_F(OwnerDialogTest, PasswordBoundedByTheCallersBuffer) {
    TCRequestParamMaker& m = maker(1, kRpmAskPassword);
    std::string typed = "Дуже-довгий-пароль-ЇЇЇЇ";  // 24 characters, more than 32 bytes
    int rounds = 0;
    ScriptedWindows windows([&](TObject* w) -> int {
        auto* f = dynamic_cast<TEditUserParmsForm*>(w);
        if (!f) return int(mrOk);
        fillOwner(f);
        typePassword(f, ++rounds == 1 ? typed.c_str() : "  Коротк1й  ");
        accept(f);
        return 0;
    });
    char buffer[33];  // a caller with room for 32 bytes only
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_TRUE(execEditUserParmsFormEx(&m, buffer, sizeof buffer, "Ключі"));
    EXPECT_EQ(2, rounds);
    ASSERT_EQ(1u, windows.messages.size());
    EXPECT_EQ("Пароль слишком длинный!", windows.messages[0]);
    EXPECT_STREQ("Коротк1й", buffer);
}

}  // namespace
