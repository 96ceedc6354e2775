// The request parameter maker against real file containers and the default
// configuration's profiles and templates, with the owner-parameter dialog
// scripted.
#include <gtest/gtest.h>
#include <openssl/objects.h>
#include <openssl/x509.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/config/CfgMacros.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/config/XmlNode.h"
#include "platform/core/container/ContainerFile.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Passwords.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/x509api/ZrX509Csp.h"
#include "requests/RequestParamMaker.h"
#include "requests/DefaultProfiles.h"
#include "support/TempDir.h"

namespace {

const char kOldPw[] = "Старий-пароль-1";
const char kNewPw[] = "Новий-пароль-22";

struct FastKdf {
    FastKdf() { zrx::container::setDefaultKdf(zrx::container::KdfParams::scrypt(10, 1, 1)); }
} fastKdf;

// What the scripted dialog saw and does.
struct DialogScript {
    int shown = 0;
    std::string description;
    bool hadBuffer = false;
    bool accept = true;
    const char* enter = kNewPw;
    const char* storageName = nullptr;
};
DialogScript gDialog;

bool scriptedDialog(TCRequestParamMaker* maker, const char* description, char* password) {
    ++gDialog.shown;
    gDialog.description = description ? description : "";
    gDialog.hadBuffer = password != nullptr;
    if (password && gDialog.enter) std::strncpy(password, gDialog.enter, kReqPasswordSize - 1);
    if (gDialog.storageName) maker->storageName() = gDialog.storageName;
    return gDialog.accept;
}

std::vector<std::string> gLog;
int captureLog(uint32_t, const char* text) {
    gLog.push_back(text ? text : "");
    return 0;
}

using zrxtest::DefaultProfiles;

class MakerTest : public ::testing::Test {
protected:
    void SetUp() override {
        registerCFGMacro("APPLDATA", (std::string(ZRX_SOURCE_DIR) + "/app/data").c_str());
        previousDialog_ = setExecEditUserParmsForm(scriptedDialog);
        previousLog_ = csSetKV_HLogOutFunc(captureLog);
        gDialog = DialogScript();
        gLog.clear();
        ASSERT_NE(nullptr, profiles_.byId(1));
    }
    void TearDown() override {
        registerCFGMacro("APPLDATA", "");
        setExecEditUserParmsForm(previousDialog_);
        csSetKV_HLogOutFunc(previousLog_);
        setTestPassword(nullptr);
    }
    // A new file container in the temporary folder with a password.
    void newContainer(const char* password, const char* location = nullptr) {
        csp_.prepareUpdate();
        csp_.setContainerName(location ? location : dir_.file("keys.zrx").c_str());
        csp_.container()->setDp(password);
    }
    bool logHas(const std::string& part) const {
        for (const auto& l : gLog)
            if (l.find(part) != std::string::npos) return true;
        return false;
    }
    static std::string oidOf(const X509_EXTENSION* ext) {
        char buf[128] = {};
        OBJ_obj2txt(buf, sizeof buf, X509_EXTENSION_get_object(const_cast<X509_EXTENSION*>(ext)), 1);
        return buf;
    }

    zrxtest::TempDir dir_;
    DefaultProfiles profiles_;
    TZrX509Csp csp_;
    TExecEditUserParmsFormFunc previousDialog_ = nullptr;
    KV_HLogOutFunc previousLog_ = nullptr;
};

// Caller flags: dialog, maker flags after step 4, and the password branch.
TEST_F(MakerTest, CallerFlagsDecideDialogFlagsAndPassword) {
    struct Case {
        unsigned caller;
        bool callerBuffer;
        bool startupContainer;  // protected by the start-up password
        bool dialog;
        bool dialogBuffer;
        const char* containerPw;  // expected afterwards
        const char* callerPwAfter;
    };
    const Case cases[] = {
        {0x20, true, false, false, false, kOldPw, kOldPw},
        {0x20 | 0x10, true, false, true, false, kOldPw, kOldPw},
        {0x08 | 0x10, true, false, true, true, kNewPw, kNewPw},
        {0x08 | 0x10, false, true, true, true, kNewPw, nullptr},
        {0x08 | 0x10, false, false, true, true, kNewPw, nullptr},
        {0x10, false, true, true, false, kStartupPassword, nullptr},
        {0x10, true, false, true, false, kOldPw, kOldPw},
        {0x80, true, false, true, false, kOldPw, kOldPw},
        {0x08, true, false, true, true, kNewPw, kNewPw},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "caller 0x" << std::hex << c.caller << " buffer " << c.callerBuffer
                                        << " startup " << c.startupContainer);
        gDialog = DialogScript();
        TZrX509Csp csp;
        csp.prepareUpdate();
        csp.setContainerName(dir_.file("flags.zrx").c_str());
        const char* initial = c.startupContainer ? kStartupPassword : kOldPw;
        csp.container()->setDp(initial);
        setTestPassword(c.startupContainer ? kStartupPassword : nullptr);
        ASSERT_EQ(c.startupContainer ? 1 : 0, csp.container()->needChangeStatupPassword());

        TCRequestParamMaker maker(profiles_.byId(1), &csp);
        maker.flags().set(0x90 | 0x100);  // 0x80 and 0x10 follow the caller, 0x100 stays
        char callerPw[kReqPasswordSize] = {};
        std::strcpy(callerPw, initial);
        TCFlags<unsigned int> flags(c.caller);
        ASSERT_EQ(0u, maker.prepareRequest(&flags, c.callerBuffer ? callerPw : nullptr, nullptr));

        EXPECT_EQ(c.dialog ? 1 : 0, gDialog.shown);
        EXPECT_EQ(c.dialogBuffer, gDialog.hadBuffer);
        EXPECT_EQ(0x100u | (c.caller & 0x800FFu), maker.flagsValue());
        EXPECT_STREQ(c.containerPw, csp.container()->dp());
        if (c.callerBuffer) {
            EXPECT_STREQ(c.callerPwAfter, callerPw);
        }
    }
}

TEST_F(MakerTest, CancelledDialogAndFailedPasswordChangeAreReturned) {
    newContainer(kOldPw);
    {
        TCRequestParamMaker maker(profiles_.byId(1), &csp_);
        gDialog.accept = false;
        TCFlags<unsigned int> flags(0x08);
        EXPECT_EQ(0xC0800024u, maker.prepareRequest(&flags, nullptr, nullptr));
    }
    {
        // The caller's buffer holds a wrong current password.
        TCRequestParamMaker maker(profiles_.byId(1), &csp_);
        gDialog.accept = true;
        char callerPw[kReqPasswordSize] = "не-той-пароль";
        TCFlags<unsigned int> flags(0x08);
        EXPECT_TRUE(maker.prepareRequest(&flags, callerPw, nullptr) >= 0xC0000000u);
        EXPECT_STREQ("не-той-пароль", callerPw);
        EXPECT_STREQ(kOldPw, csp_.container()->dp());
    }
}

TEST_F(MakerTest, DialogDescription) {
    newContainer(kOldPw);
    struct Case {
        const char* given;
        bool withAlgorithm;
        std::string expected;
    };
    const Case cases[] = {
        {"Моя заявка", true, "Моя заявка"},
        {nullptr, true, "Заявка на ключи, алгоритм: ECDSA P-256 (SHA-256)"},
        {nullptr, false, "Заявка на ключи"},
    };
    for (const Case& c : cases) {
        TCRequestParamMaker maker(profiles_.byId(1), &csp_);
        maker.setTitle("Заявка на ключи");
        ASSERT_EQ(0u, maker.initCryptoPars(nullptr));
        if (!c.withAlgorithm) maker.selectSignPars(-1);
        TCFlags<unsigned int> flags(0);
        ASSERT_EQ(0u, maker.prepareRequest(&flags, nullptr, c.given));
        EXPECT_EQ(c.expected, gDialog.description);
    }
    // Named by nobody, the request is named after its profile, with or
    // without a signature algorithm.
    for (int id : {1, 2}) {
        TCXProfileDescriptor* profile = profiles_.byId(id);
        SCOPED_TRACE(profile->caption.str());
        TCRequestParamMaker maker(profile, &csp_);
        ASSERT_EQ(0u, maker.initCryptoPars(nullptr));
        TCFlags<unsigned int> flags(0);
        ASSERT_EQ(0u, maker.prepareRequest(&flags, nullptr, nullptr));
        const std::string expected =
            profile->caption.str() + (maker.signParams() ? ", алгоритм: " + maker.signParams()->caption().str() : "");
        EXPECT_EQ(expected, gDialog.description);
        EXPECT_EQ(id == 1, maker.signParams() != nullptr);
    }
}

TEST_F(MakerTest, InitCryptoParsKeepsAnEarlierChoice) {
    newContainer(kOldPw);
    TCRequestParamMaker maker(profiles_.byId(1), &csp_);
    ASSERT_EQ(0u, maker.initCryptoPars(nullptr));
    ASSERT_GT(maker.signCandidateCount(), 1);
    ASSERT_TRUE(maker.selectSignPars(1));
    // A second call (prepareRequest makes one) keeps the candidates and the choice.
    registerCFGMacro("APPLDATA", dir_.str().c_str());
    EXPECT_EQ(0u, maker.initCryptoPars(nullptr));
    EXPECT_EQ(1, maker.signParamsIndex());
}

TEST_F(MakerTest, FailedTemplateLoadIsLoggedWithTheFileName) {
    // APPLDATA empty: the program's folder.
    registerCFGMacro("APPLDATA", "");
    TCRequestParamMaker maker(profiles_.byId(1), &csp_);
    const KResult rc = maker.loadCryptoTemplate(nullptr);
    EXPECT_GE(rc, 0xC0000000u);
    const std::string expected = std::string(getModulePath().c_str()) + "/xcfg/sign.xcfg";
    EXPECT_TRUE(logHas("\"" + expected + "\"")) << (gLog.empty() ? "" : gLog.back());
    // initCryptoPars passes the failure on.
    EXPECT_EQ(rc, maker.initCryptoPars(nullptr));
}

// A template not installed with the user's configuration is read from the
// program's own folder, where it ships.
TEST_F(MakerTest, TemplateNotInstalledIsTheShippedOne) {
    registerCFGMacro("APPLDATA", dir_.str().c_str());
    auto previous = setMakerCaValues([] { return TCMakerCaValues{ZRX_SOURCE_DIR "/app/data", ""}; });
    TCRequestParamMaker maker(profiles_.byId(1), &csp_);
    const KResult rc = maker.loadCryptoTemplate(nullptr);
    setMakerCaValues(previous);
    EXPECT_EQ(0u, rc);
    EXPECT_TRUE(gLog.empty()) << gLog.back();
}

TEST_F(MakerTest, OwnerEmailGoesIntoTheSubjectAlternativeName) {
    newContainer(kOldPw);
    auto previous = setMakerCaValues([] { return TCMakerCaValues{getModulePath(), "owner@example.ua"}; });
    TCRequestParamMaker maker(profiles_.byId(1), &csp_);
    TCFlags<unsigned int> flags(0x02 | 0x20);
    const KResult rc = maker.prepareRequest(&flags, nullptr, nullptr);
    setMakerCaValues(previous);
    ASSERT_EQ(0u, rc);
    const TCX509ExtEntry* san = maker.editExtensions().findByNid(NID_subject_alt_name);
    ASSERT_NE(nullptr, san);
    EXPECT_EQ("email:owner@example.ua", san->getValue().str());
    EXPECT_GE(maker.x509Extensions().indexOf(NID_subject_alt_name), 0);

    // Without an address nothing is added.
    TCRequestParamMaker plain(profiles_.byId(1), &csp_);
    ASSERT_EQ(0u, plain.prepareRequest(&flags, nullptr, nullptr));
    EXPECT_EQ(nullptr, plain.editExtensions().findByNid(NID_subject_alt_name));
}

TEST_F(MakerTest, ExtensionsWithAndWithoutPattern) {
    newContainer(kOldPw);
    const std::string temp = zrxOid(ZrXObject::TempCertificate);
    const std::string cert = dir_.file("pattern.pem"), key = dir_.file("pattern.key");
    const std::string cmd =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj /CN=Pattern"
        " -addext extendedKeyUsage=clientAuth," +
        temp + " -addext certificatePolicies=1.2.3.4 -keyout " + key + " -out " + cert + " >/dev/null 2>&1";
    ASSERT_EQ(0, std::system(cmd.c_str()));
    TZrX509 pattern;
    ASSERT_TRUE(pattern.loadFromFile(cert.c_str()));

    {
        // Without a pattern the edited extensions join the profile's.
        TCRequestParamMaker maker(profiles_.byId(1), &csp_);
        maker.editExtensions().setValueTo(NID_ext_key_usage, false, "codeSigning");
        TCFlags<unsigned int> flags(0x20);
        ASSERT_EQ(0u, maker.prepareRequest(&flags, nullptr, nullptr));
        EXPECT_EQ("codeSigning", maker.fullExtensions().findByNid(NID_ext_key_usage)->getValue().str());
        EXPECT_GE(maker.x509Extensions().indexOf(NID_key_usage), 0);
        EXPECT_GE(maker.x509Extensions().indexOf(NID_ext_key_usage), 0);
    }
    {
        // With a pattern the request repeats it, without the start-up usage,
        // and takes only certificatePolicies from the profile.
        TCRequestParamMaker maker(profiles_.byId(1), &csp_);
        maker.setPattern(&pattern, true);
        maker.fullExtensions().setValueTo(NID_certificate_policies, false, "1.2.3.5");
        TCFlags<unsigned int> flags(0x20);
        ASSERT_EQ(0u, maker.prepareRequest(&flags, nullptr, nullptr));
        EXPECT_LT(maker.x509Extensions().indexOf(NID_key_usage), 0);
        // The old key's identifiers stay behind.
        EXPECT_LT(maker.x509Extensions().indexOf(NID_authority_key_identifier), 0);
        EXPECT_LT(maker.x509Extensions().indexOf(NID_subject_key_identifier), 0);
        X509_EXTENSION* eku = maker.x509Extensions().find(NID_ext_key_usage);
        ASSERT_NE(nullptr, eku);
        auto* list = static_cast<EXTENDED_KEY_USAGE*>(X509V3_EXT_d2i(eku));
        ASSERT_NE(nullptr, list);
        ASSERT_EQ(1, sk_ASN1_OBJECT_num(list));
        EXPECT_EQ(NID_client_auth, OBJ_obj2nid(sk_ASN1_OBJECT_value(list, 0)));
        sk_ASN1_OBJECT_pop_free(list, ASN1_OBJECT_free);
        auto* policies =
            static_cast<CERTIFICATEPOLICIES*>(X509V3_EXT_d2i(maker.x509Extensions().find(NID_certificate_policies)));
        ASSERT_NE(nullptr, policies);
        char oid[64] = {};
        OBJ_obj2txt(oid, sizeof oid, sk_POLICYINFO_value(policies, 0)->policyid, 1);
        EXPECT_STREQ("1.2.3.5", oid);
        CERTIFICATEPOLICIES_free(policies);
        // The profile's own list is left as it was.
        EXPECT_EQ("clientAuth,emailProtection", maker.fullExtensions().findByNid(NID_ext_key_usage)->getValue().str());
    }
}

// A device location: the storage name extension and the device's usage.
TEST_F(MakerTest, DeviceStorageNameAndKeyUsage) {
    ZrX_RegisterTMediaDescriptor({"Token338", 4, "emailProtection"});
    ZrX_RegisterTMediaDescriptor({"Plain", 4, "codeSigning"});
    const std::string device = std::string(1, char(4)) + ":";
    struct Case {
        int profile;
        std::string location;
        const char* storageName;
        const char* usage;  // expected in the request's extendedKeyUsage, null: none added
    };
    const Case cases[] = {
        {3, device + "Token338", nullptr, "tokenAuthor338"},  // "338" in the device text
        {3, device + "Token338", "Plain", "tokenAuthor338"},  // the storage name picks the medium
        {3, device + "Plain", nullptr, "codeSigning"},
        {1, device + "Token338", nullptr, nullptr},    // never for profile 1
        {3, dir_.file("file.zrx"), nullptr, nullptr},  // files have none
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location + " profile " + std::to_string(c.profile));
        TZrX509Csp csp;
        csp.prepareUpdate();
        csp.setContainerName(c.location.c_str());
        csp.container()->setDp(kOldPw);
        TCRequestParamMaker maker(profiles_.byId(c.profile), &csp);
        gDialog = DialogScript();
        gDialog.storageName = c.storageName;
        TCFlags<unsigned int> flags(0);
        ASSERT_EQ(0u, maker.prepareRequest(&flags, nullptr, nullptr));

        const int storageNid = zrxNid(ZrXObject::StorageName);
        X509_EXTENSION* storage = maker.x509Extensions().find(storageNid);
        EXPECT_EQ(c.storageName != nullptr, storage != nullptr);
        if (storage) {
            EXPECT_EQ(std::string(zrxOid(ZrXObject::StorageName)), oidOf(storage));
        }

        X509_EXTENSION* ekuExt = maker.x509Extensions().find(NID_ext_key_usage);
        bool found = false;
        if (ekuExt && c.usage) {
            auto* eku = static_cast<EXTENDED_KEY_USAGE*>(X509V3_EXT_d2i(ekuExt));
            ASSERT_NE(nullptr, eku);
            for (int i = 0; i < sk_ASN1_OBJECT_num(eku); ++i)
                if (OBJ_obj2nid(sk_ASN1_OBJECT_value(eku, i)) == OBJ_sn2nid(c.usage)) found = true;
            sk_ASN1_OBJECT_pop_free(eku, ASN1_OBJECT_free);
        }
        if (c.usage) {
            EXPECT_TRUE(found) << c.usage;
        }
        if (!c.usage && c.profile == 1) {
            // Profile 1 keeps its own usages only.
            const TCXEditsEntry* e = maker.fullExtensions().findByNid(NID_ext_key_usage);
            ASSERT_NE(nullptr, e);
            EXPECT_EQ("clientAuth,emailProtection", e->getValue().str());
        }
    }
}

TEST_F(MakerTest, KeyAgreementParametersNeedAllThreeBits) {
    newContainer(kOldPw);
    for (unsigned bits : {0x300u, 0x600u, 0x500u, 0x700u}) {
        SCOPED_TRACE(bits);
        TCRequestParamMaker maker(profiles_.byId(3), &csp_);
        maker.flags().set(bits);
        TCFlags<unsigned int> flags(0x20);
        ASSERT_EQ(0u, maker.prepareRequest(&flags, nullptr, nullptr));
        const bool present = maker.x509Extensions().find(zrxNid(ZrXObject::KAParams)) != nullptr;
        EXPECT_EQ(bits == 0x700u, present);
    }
    // A profile without key-agreement parameters fails with a record.
    TCRequestParamMaker maker(profiles_.byId(1), &csp_);
    maker.flags().set(0x700);
    TCFlags<unsigned int> flags(0x20);
    EXPECT_EQ(0xC0800005u, maker.prepareRequest(&flags, nullptr, nullptr));
    EXPECT_TRUE(logHas("\"" + std::string(profiles_.byId(1)->getCaption().c_str()) + "\""));
}

TEST_F(MakerTest, DstuParametersAreNamedByOurOwnObject) {
    X509_ALGOR* dstu = X509_ALGOR_new();
    X509_ALGOR_set0(dstu, OBJ_nid2obj(NID_dstu4145le), V_ASN1_NULL, nullptr);
    X509_ALGOR* copy = makeKAExtParams(dstu);
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(zrxNid(ZrXObject::KAAlgorithm), OBJ_obj2nid(copy->algorithm));
    // The source is left as it was.
    EXPECT_EQ(NID_dstu4145le, OBJ_obj2nid(dstu->algorithm));
    X509_ALGOR_free(copy);
    X509_ALGOR_free(dstu);

    X509_ALGOR* ec = X509_ALGOR_new();
    X509_ALGOR_set0(ec, OBJ_nid2obj(NID_X25519), V_ASN1_UNDEF, nullptr);
    copy = makeKAExtParams(ec);
    EXPECT_EQ(NID_X25519, OBJ_obj2nid(copy->algorithm));
    X509_ALGOR_free(copy);
    X509_ALGOR_free(ec);
}

// End to end: a new container, the password from the dialog, generated keys,
// and the request read back with OpenSSL.
TEST_F(MakerTest, GeneratedRequestCarriesOurObjects) {
    const std::string path = dir_.file("generated.zrx");
    TZrX509Csp csp;
    csp.prepareUpdate();
    csp.beginUpdate();
    csp.setContainerName(path.c_str());
    csp.container()->setDp(kOldPw);
    TCRequestParamMaker maker(profiles_.byId(3), &csp);
    maker.nameList().addAttribute("CN", "Петренко Петро");
    maker.flags().set(0x700);
    char callerPw[kReqPasswordSize] = {};
    std::strcpy(callerPw, kOldPw);
    TCFlags<unsigned int> flags(0x08);
    ASSERT_EQ(0u, maker.prepareRequest(&flags, callerPw, nullptr));
    EXPECT_STREQ(kNewPw, callerPw);
    ASSERT_EQ(0u, maker.generateKeys(&csp, 0x30000, nullptr));
    ASSERT_LT(csp.endUpdate(false), 0xC0000000u);

    TZrX509Csp loaded;
    ASSERT_EQ(0u, loaded.load(path.c_str(), kNewPw));
    ASSERT_GT(loaded.reqCount(), 0);
    bool kaSeen = false;
    for (int i = 0; i < loaded.reqCount(); ++i) {
        std::vector<uint8_t> der;
        ASSERT_EQ(0u, loaded.getReqAt(i)->encode(der));
        const unsigned char* p = der.data();
        X509_REQ* req = d2i_X509_REQ(nullptr, &p, long(der.size()));
        ASSERT_NE(nullptr, req);
        STACK_OF(X509_EXTENSION)* exts = X509_REQ_get_extensions(req);
        for (int k = 0; k < sk_X509_EXTENSION_num(exts); ++k) {
            const X509_EXTENSION* ext = sk_X509_EXTENSION_value(exts, k);
            const int nid = OBJ_obj2nid(X509_EXTENSION_get_object(const_cast<X509_EXTENSION*>(ext)));
            // Numbers of another OpenSSL build would name ARIA or SHA-3 objects here.
            const char* sn = OBJ_nid2sn(nid);
            EXPECT_EQ(nullptr, std::strstr(sn ? sn : "", "ARIA"));
            EXPECT_EQ(nullptr, std::strstr(sn ? sn : "", "SHA3"));
            if (oidOf(ext) == zrxOid(ZrXObject::KAParams)) kaSeen = true;
        }
        sk_X509_EXTENSION_pop_free(exts, X509_EXTENSION_free);
        X509_REQ_free(req);
    }
    EXPECT_TRUE(kaSeen);
}

}  // namespace
