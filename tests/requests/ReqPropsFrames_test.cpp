// Request-property pages offscreen: the registry, the extended-key-usage
// boxes, the blocking phrase and the generator's page with its stored states.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/x509/ObjectRegistry.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/Log.h"
#include "platform/framework/QtTestApp.h"
#include "requests/GenFlags.h"
#include "requests/RequestParamMaker.h"
#include "requests/UserExParsFrame.h"
#include "support/CheckBoxesLayout.h"

namespace {

std::vector<std::string> gLog;
int captureLog(uint32_t, const char* text) {
    gLog.push_back(text ? text : "");
    return 0;
}

TCBaseReqPropsFrame* makeBase(TComponent* owner) { return new TCBaseReqPropsFrame(owner); }

class FramesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        savedGenFlags_ = genFlags.value();
        const TFPropFrmConctructorRec* rec = findReqPropsFrame("UserExPars");
        ASSERT_NE(nullptr, rec);
        savedConstructor_ = rec->constructor;
        form_ = new TForm(nullptr);
        pages_ = new TPageControl(form_);
        pages_->SetParent(form_);
        pages_->SetBounds(0, 0, 460, 420);
        first_ = new TTabSheet(form_);
        first_->SetPageControl(pages_);
        second_ = new TTabSheet(form_);
        second_->SetPageControl(pages_);
        profile_.name = "test";
        profile_.id = 7;
        profile_.flags = PF_SIGN_KEYS;
        profile_.caption = "Тест";
    }
    void TearDown() override {
        registerReqPropsFrame("UserExPars", savedConstructor_);
        genFlags = savedGenFlags_;
        form_->Free();
    }
    // A page of the registered kind on the second sheet, loaded for the maker.
    template <class T> T* page(TCRequestParamMaker& maker) {
        T* f = new T(form_);
        f->SetParent(second_);
        f->loadPars(&maker, form_);
        f->setCompact(false);
        return f;
    }
    static std::vector<std::string> names(const TCBaseReqPropsFrame* f) {
        std::vector<std::string> out;
        for (const auto& i : f->ekuItems()) out.push_back(i.name.str());
        return out;
    }
    static std::vector<bool> checks(TCheckBoxes* boxes) {
        std::vector<bool> out;
        for (int i = 0; i < boxes->GetButtonCount(); ++i) out.push_back(boxes->GetIsChecked(i));
        return out;
    }

    unsigned savedGenFlags_ = 0;
    TReqPropsFrameConstructor savedConstructor_ = nullptr;
    TForm* form_ = nullptr;
    TPageControl* pages_ = nullptr;
    TTabSheet* first_ = nullptr;
    TTabSheet* second_ = nullptr;
    TCXProfileDescriptor profile_;
};

TEST_F(FramesTest, RegistryReplacesFindsAnyCaseAndSkipsUnknownNames) {
    {
        std::string name = "ExtraPage";
        registerReqPropsFrame(name.c_str(), makeBase);
        name.assign("Overwritten");  // the record keeps its own copy
    }
    ASSERT_NE(nullptr, findReqPropsFrame("extrapage"));
    EXPECT_EQ("ExtraPage", findReqPropsFrame("EXTRAPAGE")->name.str());
    EXPECT_EQ(nullptr, findReqPropsFrame("Overwritten"));

    std::vector<TCBaseReqPropsFrame*> list;
    EXPECT_EQ(2, createReqPropsFrames("userexpars, Unknown,,EXTRAPAGE", form_, list));
    ASSERT_EQ(2u, list.size());
    EXPECT_NE(nullptr, dynamic_cast<TUserExPars*>(list[0]));
    EXPECT_EQ(nullptr, dynamic_cast<TCreatorUserExPars*>(list[0]));
    EXPECT_EQ(std::string(typeid(TCBaseReqPropsFrame).name()), typeid(*list[1]).name());
    EXPECT_EQ(438, list[1]->Width());
    EXPECT_EQ(365, list[1]->Height());
    EXPECT_FALSE(list[1]->chckbxsEKU->Visible());
    EXPECT_EQ(0, createReqPropsFrames(" , ", form_, list));

    // The generator's page takes the name; registering again replaces, never duplicates.
    registerCreatorUserExPars();
    registerCreatorUserExPars();
    std::vector<TCBaseReqPropsFrame*> again;
    EXPECT_EQ(1, createReqPropsFrames("UserExPars", form_, again));
    EXPECT_NE(nullptr, dynamic_cast<TCreatorUserExPars*>(again[0]));
    // A record without a constructor makes no page.
    registerReqPropsFrame("ExtraPage", nullptr);
    std::vector<TCBaseReqPropsFrame*> none;
    EXPECT_EQ(0, createReqPropsFrames("ExtraPage", form_, none));
    EXPECT_TRUE(none.empty());
}

TEST_F(FramesTest, EkuListFillsTheBoxes) {
    struct Case {
        const char* list;
        uint32_t flags;
        bool allowDefault;
        bool visible;
        std::vector<std::string> names;
        std::vector<bool> checked;
    };
    const Case cases[] = {
        {"serverAuth=1, clientAuth = Yes ,codeSigning=no,timeStamping",
         0,
         true,
         true,
         {"serverAuth", "clientAuth", "codeSigning", "timeStamping"},
         {true, true, false, false}},
        {"serverAuth=T,noSuchUsage=1,clientAuth=1", 0, true, true, {"serverAuth", "clientAuth"}, {true, true}},
        {"codeSigning=0,emailProtection", 0, true, true, {"codeSigning", "emailProtection"}, {false, true}},
        {"", 0, true, true, {"issueOrdinaryCert"}, {false}},
        {"", kPfNoDefaultEku, true, false, {}, {}},
        {"", 0, false, false, {}, {}},
        // A usage named again is one box, checked when any mention says so.
        {"serverAuth,clientAuth,serverAuth=1", 0, true, true, {"serverAuth", "clientAuth"}, {true, false}},
        {"codeSigning=1,codeSigning=0", 0, true, true, {"codeSigning"}, {true}},
    };
    // The full extension list already has emailProtection.
    profile_.extFormats.add("extendedKeyUsage:emailProtection");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        profile_.ekuList = c.list;
        profile_.flags = PF_SIGN_KEYS | c.flags;
        TCRequestParamMaker maker(&profile_, nullptr);
        TUserExPars* f = page<TUserExPars>(maker);
        loadEkuBoxes(f, f->chckbxsEKU, &maker, c.allowDefault);
        EXPECT_EQ(c.visible, f->chckbxsEKU->Visible());
        EXPECT_EQ(c.names, names(f));
        EXPECT_EQ(c.checked, checks(f->chckbxsEKU));
        for (int i = 0; i < f->chckbxsEKU->GetButtonCount(); ++i)
            EXPECT_EQ(c.names[size_t(i)], f->chckbxsEKU->GetButtons(i)->Name());
        if (!c.names.empty()) {
            EXPECT_EQ(std::string(OBJ_nid2ln(OBJ_sn2nid(c.names[0].c_str()))), f->chckbxsEKU->GetButtons(0)->Caption());
        }
    }
}

TEST_F(FramesTest, EkuListLongerThanTheWordIsRefusedWithARecord) {
    std::string list;
    for (int i = 0; i < 33; ++i) list += i ? ",serverAuth" : "serverAuth";
    profile_.ekuList = list.c_str();
    TCRequestParamMaker maker(&profile_, nullptr);
    gLog.clear();
    KV_HLogOutFunc previous = csSetKV_HLogOutFunc(captureLog);
    TUserExPars* f = page<TUserExPars>(maker);
    csSetKV_HLogOutFunc(previous);
    EXPECT_FALSE(f->chckbxsEKU->Visible());
    EXPECT_EQ(0, f->chckbxsEKU->GetButtonCount());
    ASSERT_EQ(1u, gLog.size());
    EXPECT_NE(std::string::npos, gLog[0].find("\"Тест\""));
}

TEST_F(FramesTest, StoredUsagesFollowTheirOwnBoxes) {
    // The unknown name gets no box: the boxes after it still store their own usage.
    profile_.ekuList = "serverAuth,noSuchUsage,clientAuth=1,codeSigning";
    TCRequestParamMaker maker(&profile_, nullptr);
    TUserExPars* f = page<TUserExPars>(maker);
    ASSERT_EQ(3, f->chckbxsEKU->GetButtonCount());
    f->chckbxsEKU->SetIsChecked(0, true);   // serverAuth
    f->chckbxsEKU->SetIsChecked(1, false);  // clientAuth
    f->chckbxsEKU->SetIsChecked(2, true);   // codeSigning
    f->Edit1->SetText("фраза");
    ASSERT_TRUE(f->storePars(&maker));
    const TCXEditsEntry* eku = maker.fullExtensions().findByNid(NID_ext_key_usage);
    ASSERT_NE(nullptr, eku);
    EXPECT_EQ("serverAuth,codeSigning", eku->getValue().str());
}

TEST_F(FramesTest, RepeatedUsageIsStoredAsItsOneBoxSays) {
    profile_.ekuList = "serverAuth=1,clientAuth,serverAuth";
    TCRequestParamMaker maker(&profile_, nullptr);
    TUserExPars* f = page<TUserExPars>(maker);
    ASSERT_EQ(2, f->chckbxsEKU->GetButtonCount());
    EXPECT_TRUE(f->chckbxsEKU->GetIsChecked(0));
    f->Edit1->SetText("фраза");
    ASSERT_TRUE(f->storePars(&maker));
    const TCXEditsEntry* eku = maker.fullExtensions().findByNid(NID_ext_key_usage);
    ASSERT_NE(nullptr, eku);
    EXPECT_EQ("serverAuth", eku->getValue().str());
}

// Profiles with many usages: every box of the page's group whole, on both pages.
TEST_F(FramesTest, EveryUsageBoxIsWholeOnThePage) {
    const std::string twelve =
        "serverAuth,clientAuth,codeSigning,emailProtection,timeStamping,OCSPSigning,nsSGC=1,msSGC,msCodeInd,"
        "msCodeCom,msCTLSign,msEFS";
    const std::string more =
        ",ipsecIKE,ipsecEndSystem,ipsecTunnel,ipsecUser,DVCS,secureShellClient,secureShellServer,"
        "sendRouter,sendProxiedRouter,sendOwner,sendProxiedOwner,cmcCA,cmcRA,cmcArchive,"
        "msSmartcardLogin,pkInitClientAuth,pkInitKDC,anyExtendedKeyUsage,msUPN,cmKGA";
    for (const std::string& list : {twelve, twelve + more}) {
        for (bool generator : {false, true}) {
            SCOPED_TRACE((generator ? "generator's page, " : "general page, ") + list);
            profile_.ekuList = list.c_str();
            TCRequestParamMaker maker(&profile_, nullptr);
            TUserExPars* f = generator ? page<TCreatorUserExPars>(maker) : page<TUserExPars>(maker);
            ASSERT_EQ(list == twelve ? 12 : 32, f->chckbxsEKU->GetButtonCount());
            zrxtest::expectBoxesWhole(f->chckbxsEKU);
            // The group stays on the page.
            EXPECT_LE(f->chckbxsEKU->Top() + f->chckbxsEKU->Height(), f->Height());
            f->Free();
        }
    }
}

TEST_F(FramesTest, PhraseRequiredUnderProfileFlag) {
    profile_.flags |= kPfPhraseRequired;
    TCRequestParamMaker maker(&profile_, nullptr);
    TUserExPars* f = page<TUserExPars>(maker);
    EXPECT_EQ(std::string("Дополнительные свойства"), f->caption().str());
    form_->Show();
    pages_->SetActivePage(first_);

    std::vector<TSysMessageBox> shown;
    TModalHook previous = SetModalHook([&](TObject* w) {
        if (auto* box = dynamic_cast<TSysMessageBox*>(w)) shown.push_back(*box);
        return IDOK;
    });
    f->Edit1->SetText("   ");
    const bool refused = !f->storePars(&maker);
    SetModalHook(previous);
    EXPECT_TRUE(refused);
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ("Данное поле необходимо обязательно заполнить!", shown[0].Text);
    EXPECT_EQ("Ошибка", shown[0].Caption);
    EXPECT_EQ(MB_ICONERROR, shown[0].Style & 0xF0);
    EXPECT_EQ(second_, pages_->ActivePage());
    EXPECT_TRUE(f->Edit1->Focused());

    f->Edit1->SetText(" фраза ");
    f->chedt1->SetText("питання");
    ASSERT_TRUE(f->storePars(&maker));
    EXPECT_EQ("фраза|питання", maker.challengePassword().str());

    // Without the flag an empty phrase is taken; compact pages hide the texts.
    profile_.flags &= ~kPfPhraseRequired;
    f->Edit1->SetText("");
    f->chedt1->SetText("");
    ASSERT_TRUE(f->storePars(&maker));
    EXPECT_EQ("", maker.challengePassword().str());
    f->setCompact(true);
    EXPECT_TRUE(f->compact());
    EXPECT_FALSE(f->Edit1->Visible());
    EXPECT_FALSE(f->chedt1->Visible());
    EXPECT_EQ(f->Label1->Top(), f->chckbxsEKU->Top());
}

TEST_F(FramesTest, ExcludingNonStandardExtensions) {
    profile_.ekuList = "zorenCMP=1,codeSigning=1,serverAuth,UAExtKeyUsage_RA=1,tempCertificate";
    profile_.flags |= kPfNonStandardExts;
    TCRequestParamMaker maker(&profile_, nullptr);
    TCreatorUserExPars* f = page<TCreatorUserExPars>(maker);
    EXPECT_FALSE(f->chedt1->Visible());
    ASSERT_EQ(5, f->chckbxsEKU->GetButtonCount());

    f->chk1->SetChecked(true);
    f->chk1Click(f->chk1);
    EXPECT_EQ((std::vector<bool>{true, false, false, true, false}), checks(f->chckbxsEKU));
    const std::vector<bool> enabled = {true, false, true, true, false};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(enabled[size_t(i)], f->chckbxsEKU->GetIsEnabled(i)) << i;
    EXPECT_FALSE(f->Edit1->Enabled());
    EXPECT_FALSE(f->Label1->Enabled());
    EXPECT_EQ(clBtnFace, f->Edit1->Color());
    EXPECT_TRUE(genFlags.isAny(kGenExcludeNonStandard));
    EXPECT_FALSE(profile_.flags & kPfNonStandardExts);

    f->chk1->SetChecked(false);
    f->chk1Click(f->chk1);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(f->chckbxsEKU->GetIsEnabled(i)) << i;
    EXPECT_TRUE(f->Edit1->Enabled());
    EXPECT_EQ(clWindow, f->Edit1->Color());
    EXPECT_FALSE(genFlags.isAny(kGenExcludeNonStandard));
    EXPECT_TRUE(profile_.flags & kPfNonStandardExts);

    f->chk2->SetChecked(true);
    f->chk2Click(f->chk2);
    EXPECT_TRUE(genFlags.isAny(kGenSelfIssuedCert));
    f->chk2->SetChecked(false);
    f->chk2Click(f->chk2);
    EXPECT_FALSE(genFlags.isAny(kGenSelfIssuedCert));
}

TEST_F(FramesTest, GeneratorPageKeepsItsChoicesAndPhraseAlone) {
    // Profile 1 offers no default usage.
    profile_.id = 1;
    TCRequestParamMaker maker(&profile_, nullptr);
    TCreatorUserExPars* f = page<TCreatorUserExPars>(maker);
    EXPECT_FALSE(f->chckbxsEKU->Visible());
    f->chk1->SetChecked(true);
    f->chk2->SetChecked(true);
    f->Edit1->SetText("фраза");
    f->chedt1->SetText("питання");
    ASSERT_TRUE(f->storePars(&maker));
    EXPECT_EQ("фраза", maker.challengePassword().str());
    f->Free();

    genFlags = 0;
    TCreatorUserExPars* again = page<TCreatorUserExPars>(maker);
    EXPECT_TRUE(again->chk1->Checked());
    EXPECT_TRUE(again->chk2->Checked());
    EXPECT_TRUE(genFlags.isSet(kGenExcludeNonStandard | kGenSelfIssuedCert));
    EXPECT_FALSE(again->Edit1->Enabled());

    // Leave the stored choices unchecked for other tests.
    again->chk1->SetChecked(false);
    again->chk2->SetChecked(false);
    again->cmpstrg1->store();
}

TEST_F(FramesTest, ProgramStartRegistersTheGeneralPage) {
    // The record made at static initialisation, unless a test replaced it.
    TCBaseReqPropsFrame* f = savedConstructor_(form_);
    EXPECT_NE(nullptr, dynamic_cast<TUserExPars*>(f));
}

}  // namespace
