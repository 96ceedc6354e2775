// Key generation: its rules as tables, and whole generations into real file
// containers and a SoftHSM2 token with the dialogs answered through the
// modal hook; what is written is checked with OpenSSL.
#include <gtest/gtest.h>
#include <openssl/objects.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/config/AppConfig.h"
#include "app/KeyGeneration.h"
#include "app/GenerationWindows.h"
#include "locations/LocationTestSupport.h"
#include "dialogs/LogGrabView.h"
#include "dialogs/LogGrabber.h"
#include "platform/p11/P11FaultLayer.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/core/config/FlagDescriptors.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/container/ContainerFile.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/QtTestApp.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/p11/P11Support.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/x509api/ZrX509Csp.h"
#include "requests/EditUserParmsForm.h"
#include "requests/GenFlags.h"
#include "views/RegCertFormEx.h"
#include "requests/RequestParamMaker.h"
#include "requests/UserExParsFrame.h"
#include "support/TempDir.h"

namespace {

using zrxtest::ScriptedWindows;

struct FastKdf {
    FastKdf() { zrx::container::setDefaultKdf(zrx::container::KdfParams::scrypt(10, 1, 1)); }
} fastKdf;

const char* const kPassword = zrxtest::kGenPassword;
const char* const kOwner = zrxtest::kGenOwner;

bool sh(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// ---- rules

TEST(KeyGenerationRules, MakerFlagsAndKeyKinds) {
    struct Case {
        unsigned requestFlags, makerFlags;
    } flags[] = {
        {kGenStartRequestFlags, 0x18 | 0x80800 | 0x3000},  // 0x100 is not among the copied bits
        {0xFFFFFFFF, 0x800FF | 0x80800 | 0x3000},          // only the copied bits pass
        {0, 0x80800 | 0x3000},
    };
    for (const Case& c : flags)
        EXPECT_EQ(c.makerFlags, generationMakerFlags(c.requestFlags)) << std::hex << c.requestFlags;

    struct Kinds {
        unsigned maker, kinds;
    } kinds[] = {{0x100, 0x20000}, {0x200, 0x10000}, {0x300, 0x30000}, {0x400, 0}, {0, 0}};
    for (const Kinds& k : kinds) EXPECT_EQ(k.kinds, keyKindsOfMakerFlags(k.maker)) << std::hex << k.maker;
}

TEST(KeyGenerationRules, ProfileKindByTheFirstKeyFlag) {
    struct Case {
        uint32_t flags;
        int kind;
    } cases[] = {
        {0, 0},          {0x1, 1},  {0x20, 20},      {0x200000, 21},         {0x400000, 22}, {0x800000, 56},
        {0x8000000, 55}, {0x21, 1}, {0x8200000, 21}, {0x20000 | 0x10000, 0}, {0xC00000, 22},
    };
    for (const Case& c : cases) EXPECT_EQ(c.kind, profileKindOfKeyFlags(c.flags)) << std::hex << c.flags;
}

// Requests and certificates of both key kinds, made by OpenSSL.
class KeyObjects : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new zrxtest::TempDir;
        const std::string d = dir_->str();
        ASSERT_TRUE(sh("cd " + d +
                       " && openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout s.key"
                       " -subj /CN=S -addext keyUsage=digitalSignature -outform DER -out sign.p10"
                       " && openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout k.key"
                       " -subj /CN=K -addext keyUsage=keyAgreement -outform DER -out ka.p10"
                       " && openssl req -x509 -key s.key -subj /CN=S -addext keyUsage=digitalSignature"
                       " -outform DER -out sign.crt"
                       " && openssl req -x509 -key k.key -subj /CN=K -addext keyUsage=keyAgreement"
                       " -outform DER -out ka.crt"));
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    template <class T> static T load(const char* name) {
        T object;
        EXPECT_TRUE(object.loadFromFile(dir_->file(name).c_str())) << name;
        return object;
    }
    static inline zrxtest::TempDir* dir_ = nullptr;
};

TEST_F(KeyObjects, FileNamesByKeyKind) {
    const TCString base("/tmp/keys");
    EXPECT_EQ("/tmp/keys.p10", requestFileName(base, load<TZrX509Req>("sign.p10")).str());
    EXPECT_EQ("/tmp/keys_ka.p10", requestFileName(base, load<TZrX509Req>("ka.p10")).str());
    EXPECT_EQ("/tmp/keys.crt", certificateFileName(base, load<TZrX509>("sign.crt")).str());
    EXPECT_EQ("/tmp/keys_ka.crt", certificateFileName(base, load<TZrX509>("ka.crt")).str());
}

// ---- with the configuration's profiles

class KeyGenerationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        registerCFGMacro("APPLDATA", (std::string(ZRX_SOURCE_DIR) + "/app/data").c_str());
        forget();
        const TFPropFrmConctructorRec* rec = findReqPropsFrame("UserExPars");
        savedPage_ = rec ? rec->constructor : nullptr;
        registerCreatorUserExPars();
        ASSERT_TRUE(loadAppConfig((std::string(ZRX_SOURCE_DIR) + "/app/data/xcfg/ZrX509_ZERUvorido.xcfg").c_str(), 0));
        genFlags = 0;
    }
    void TearDown() override {
        windows_.reset();
        csp_.reset();
        for (const char* m : {"APPLDATA", "onlyEmptyTokens"}) registerCFGMacro(m, "");
        if (savedPage_) registerReqPropsFrame("UserExPars", savedPage_);
        clearXProfiles();
        clearFBDescriptors();
        genFlags = 0;
        forget();
    }
    static void forget() { zrxtest::forgetStoredState({"ZrXForms", "ZI509", "ZrXCreator", "X509Editors"}); }

    using Answers = zrxtest::GenerationAnswers;

    void answer(Answers a) {
        seen_ = zrxtest::GenerationSeen();
        a.saveFolder = dir_.str();
        // The hooks nest: the old one goes first, so the new one stays.
        windows_.reset();
        windows_ = std::make_unique<ScriptedWindows>([this, a](TObject* w) -> int {
            const int r = zrxtest::answerGenerationWindow(w, a, seen_);
            return r < 0 ? int(mrOk) : r;
        });
    }

    KResult generate(const char* profile, const Answers& a) {
        answer(a);
        if (!csp_) csp_ = std::make_unique<TZrX509Csp>();
        refreshed_ = 0;
        return createKeys(_getDefPFList().findProfile(profile), csp_.get(), [this] { ++refreshed_; });
    }

    static bool requestVerifies(const std::string& file, bool pem = false) {
        return sh("openssl req -verify -noout -inform " + std::string(pem ? "PEM" : "DER") + " -in '" + file + "'");
    }
    static std::string subjectOf(const std::string& file) {
        TZrX509Req r;
        return r.loadFromFile(file.c_str()) ? r.ownerName().str() : std::string();
    }

    zrxtest::TempDir dir_;
    std::unique_ptr<ScriptedWindows> windows_;
    std::unique_ptr<TZrX509Csp> csp_;
    zrxtest::GenerationSeen seen_;
    int refreshed_ = 0;
    TReqPropsFrameConstructor savedPage_ = nullptr;
};

// Every profile the program ships, with the choices its dialog proposes: a
// new file container, its requests saved where proposed, each verifying and
// naming the owner.
TEST_F(KeyGenerationTest, EveryShippedProfileMakesItsContainerAndRequests) {
    const TCXProfilesList& profiles = _getDefPFList();
    ASSERT_GE(profiles.count(), 4);
    for (int i = 0; i < profiles.count(); ++i) {
        const TCXProfileDescriptor* p = profiles.at(i);
        SCOPED_TRACE(p->name.str());
        std::vector<std::string> files, titles;
        if (p->hasSignKeys()) {
            files.push_back(".p10");
            titles.push_back("Запись запроса на сертификат ключей  ЭП");
        }
        if (p->hasKAKeys()) {
            files.push_back("_ka.p10");
            titles.push_back("Запись запроса на сертификат ключей  связи");
        }
        csp_.reset();
        const std::string base = dir_.file("keys-" + p->name.str());
        Answers a;
        a.location = base + ".pfx";
        ASSERT_EQ(0u, generate(p->name.c_str(), a)) << (seen_.results.empty() ? "" : seen_.results[0]);
        EXPECT_EQ("yes", seen_.onlyEmptyTokens);
        EXPECT_EQ("no", getCFGMacroValue("onlyEmptyTokens").str());
        EXPECT_EQ(1, refreshed_);
        ASSERT_EQ(files.size(), seen_.savedFiles.size());
        EXPECT_EQ(titles, seen_.saveTitles);
        for (size_t f = 0; f < files.size(); ++f) {
            EXPECT_EQ(base + files[f], seen_.proposed[f]);
            EXPECT_TRUE(requestVerifies(base + files[f])) << base + files[f];
            EXPECT_EQ(kOwner, subjectOf(base + files[f]));
        }
        // The container is on disk with the requests, under the password.
        TZrX509Csp reread;
        ASSERT_EQ(0u, reread.load(a.location.c_str(), kPassword));
        EXPECT_EQ(int(files.size()), reread.reqCount());
        // The result window listed the generation and the saved files.
        ASSERT_EQ(1u, seen_.results.size());
        EXPECT_FALSE(seen_.resultErrors[0]);
        EXPECT_NE(std::string::npos, seen_.results[0].find("сохранен в файл")) << seen_.results[0];
    }
}

// Key-agreement keys that cannot sign their own request (X25519) without
// signature keys: a profile left with nothing else is refused before its
// dialog opens, with the reason; such a set is not offered where others
// are; chosen in the dialog without signature keys, the dialog says why and
// keeps what was typed.
TEST_F(KeyGenerationTest, ProfilesThatCannotMakeTheirRequests) {
    auto addProfile = [this](const char* name, uint32_t flags, const char* sets, const char* usage) {
        const std::string tmpl = dir_.file(std::string(name) + ".xcfg");
        zrxtest::writeFile(tmpl, std::string("<cryptoTemplate version=\"1\"><sign><params name=\"s\" alg=\"EC:P-256\"/>"
                                             "</sign><keyAgreement>") +
                                     sets + "</keyAgreement></cryptoTemplate>");
        auto* p = new TCXProfileDescriptor;
        p->name = name;
        p->id = 40 + _getDefPFList().count();
        p->flags = flags;
        p->caption = name;
        p->templateFile = tmpl.c_str();
        p->setFrames("UserExPars");
        p->extFormats.add((std::string("!keyUsage|Использование ключа:") + usage).c_str());
        _getDefPFList().add(p);
    };
    const char* x25519 = "<params name=\"x\" alg=\"X25519\" default=\"yes\"/>";
    const std::string both = std::string(x25519) + "<params name=\"e\" alg=\"ECDH:P-256\"/>";
    addProfile("kaX25519", PF_KA_KEYS, x25519, "keyAgreement");
    addProfile("kaBoth", PF_KA_KEYS, both.c_str(), "keyAgreement");
    addProfile("chosen", PF_SIGN_KEYS | PF_KA_KEYS | 0x200 | 0x400, x25519, "digitalSignature,keyAgreement");

    Answers a;
    a.location = dir_.file("x.pfx");
    EXPECT_EQ(0xC080006Du, generate("kaX25519", a));
    EXPECT_EQ("", seen_.onlyEmptyTokens) << "the owner dialog opened";
    ASSERT_EQ(1u, seen_.results.size());
    EXPECT_TRUE(seen_.resultErrors[0]);
    EXPECT_NE(std::string::npos, seen_.results[0].find("не подписывают собственный запрос")) << seen_.results[0];

    csp_.reset();
    a.location = dir_.file("both.pfx");
    ASSERT_EQ(0u, generate("kaBoth", a));
    ASSERT_EQ(1, csp_->reqCount());
    EXPECT_EQ(0u, csp_->getReqAt(0)->keyAlgorithmText().str().rfind("EC", 0)) << csp_->getReqAt(0)->keyAlgorithmText();

    csp_.reset();
    a.location = dir_.file("chosen.pfx");
    a.kaOnly = true;
    EXPECT_EQ(KR_E_CANCELLED, generate("chosen", a));
    EXPECT_EQ("not accepted", seen_.refusal);
    EXPECT_TRUE(windows_->shown("не могут подписать собственный запрос"));
}

// "Сформировать самоизаднный сертификат": certificates issued to themselves,
// stored in the container in place of the requests, saved as PEM when the
// chosen name ends with ".PEM", and each verifying against itself.
TEST_F(KeyGenerationTest, SelfIssuedCertificates) {
    const std::string base = dir_.file("self");
    Answers a;
    a.location = base + ".pfx";
    a.selfIssued = true;
    a.saveAs = ".PEM";
    ASSERT_EQ(0u, generate("signKa", a));
    ASSERT_EQ(2u, seen_.savedFiles.size());
    EXPECT_EQ(base + ".crt", seen_.proposed[0]);
    EXPECT_EQ(base + "_ka.crt", seen_.proposed[1]);
    EXPECT_EQ((std::vector<std::string>{"Запись сертификата", "Запись сертификата"}), seen_.saveTitles);
    // The issuing dialog proposed the profile's 365 days.
    EXPECT_EQ((std::vector<int64_t>{365, 365}), seen_.issuingDays);
    for (const std::string& f : seen_.savedFiles) {
        EXPECT_EQ(0u, zrxtest::readFile(f).rfind("-----BEGIN CERTIFICATE-----", 0)) << f;
        EXPECT_TRUE(sh("openssl verify -CAfile '" + f + "' '" + f + "'")) << f;
    }
    TZrX509Csp reread;
    ASSERT_EQ(0u, reread.load(a.location.c_str(), kPassword));
    EXPECT_EQ(0, reread.reqCount());
    ASSERT_NE(nullptr, reread.getSelfCrt());
    EXPECT_EQ(kOwner, reread.getSelfCrt()->ownerName().str());
    EXPECT_EQ(0u, genFlags.value());
}

// A declined save ends the series; what is in the container stays and the
// generation is committed.
TEST_F(KeyGenerationTest, CancelledSaveEndsTheSeries) {
    Answers a;
    a.location = dir_.file("series.pfx");
    a.cancelSaveAt = 0;
    ASSERT_EQ(0u, generate("signKa", a));
    EXPECT_EQ(1u, seen_.saveTitles.size());
    EXPECT_TRUE(seen_.savedFiles.empty());
    TZrX509Csp reread;
    ASSERT_EQ(0u, reread.load(a.location.c_str(), kPassword));
    EXPECT_EQ(2, reread.reqCount());
}

// Cancelling the owner-parameter dialog: the container already open stays
// as it was, in memory and on disk, and the result window is shown.
TEST_F(KeyGenerationTest, CancelledDialogRollsBack) {
    Answers first;
    first.location = dir_.file("kept.pfx");
    ASSERT_EQ(0u, generate("sign", first));
    const std::string before = zrxtest::readFile(first.location);
    ASSERT_EQ(1, csp_->reqCount());

    Answers cancel;
    cancel.cancelOwner = true;
    const KResult rc = generate("signKa", cancel);
    EXPECT_EQ(KR_E_CANCELLED, rc);
    EXPECT_EQ(before, zrxtest::readFile(first.location));
    EXPECT_EQ(first.location, csp_->container()->fileName().str());
    EXPECT_EQ(1, csp_->reqCount());
    EXPECT_FALSE(csp_->container()->inUpdate());
    EXPECT_EQ(0, refreshed_);
    EXPECT_EQ(1u, seen_.results.size());
    EXPECT_EQ("no", getCFGMacroValue("onlyEmptyTokens").str());
}

// "Исключить нестандартные расширения": our own extensions leave the
// request; the extended key usage only for a profile of kind 1.
TEST_F(KeyGenerationTest, NonStandardExtensionsRemoved) {
    struct Case {
        int kind;
        bool ekuKept;
    } cases[] = {{0, true}, {1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        csp_.reset();
        _getDefPFList().findProfile("sign")->kind = c.kind;
        Answers a;
        a.location = dir_.file("plain" + std::to_string(c.kind) + ".pfx");
        a.excludeNonStandard = true;
        ASSERT_EQ(0u, generate("sign", a));
        EXPECT_EQ(0u, genFlags.value());
        ASSERT_EQ(1, csp_->reqCount());
        const TX509v3ExtList exts = csp_->getReqAt(0)->extensions();
        EXPECT_EQ(c.ekuKept, exts.find(NID_ext_key_usage) != nullptr);
        EXPECT_NE(nullptr, exts.find(NID_key_usage));
        for (int i = 0; i < exts.count(); ++i)
            EXPECT_FALSE(zrxIsOwnObject(OBJ_obj2nid(X509_EXTENSION_get_object(exts.at(i)))));
    }
}

TEST_F(KeyGenerationTest, RemovalTakesOurExtensionsOut) {
    TZrX509Csp csp;
    TCXProfileDescriptor* profile = _getDefPFList().findProfile("sign");
    profile->kind = 2;  // not 1: the extended key usage stays
    TCRequestParamMaker maker(profile, &csp);
    TX509v3ExtList& exts = maker.x509Extensions();
    ASSERT_EQ(0u, exts.addExt(zrxNid(ZrXObject::StorageName), "Носій"));
    ASSERT_EQ(0u, exts.addExt(NID_key_usage, "digitalSignature"));
    ASSERT_EQ(0u, exts.addExt(NID_ext_key_usage, "clientAuth"));
    maker.fullExtensions().add(new TCX509ExtEntry(zrxShortName(ZrXObject::ProfileID), "1"));
    removeNonStandardExtensions(maker);
    EXPECT_EQ(nullptr, exts.find(zrxNid(ZrXObject::StorageName)));
    EXPECT_NE(nullptr, exts.find(NID_key_usage));
    EXPECT_NE(nullptr, exts.find(NID_ext_key_usage));
    EXPECT_EQ(nullptr, maker.fullExtensions().findByName("zorenProfileID"));
}

// The issuing dialog proposes today plus the profile's days, 366 without a profile.
TEST_F(KeyGenerationTest, SelfIssuedDaysByProfile) {
    EXPECT_EQ(366, selfIssuedDays(nullptr));
    EXPECT_EQ(365, selfIssuedDays(_getDefPFList().findProfile("sign")));
    EXPECT_EQ(730, selfIssuedDays(_getDefPFList().findProfile("signLong")));
    // A request made elsewhere names no profile of ours.
    TZrX509Csp csp;
    TZrX509Req foreign;
    EXPECT_EQ(nullptr, requestProfile(csp, foreign));
}

// A profile for a key that names none: the configuration's profile of the
// key's kind, else the caller's choice.
TEST_F(KeyGenerationTest, SelectKeyProfile) {
    TCXProfileDescriptor* chosen = _getDefPFList().findProfile("ka");
    int asked = 0;
    auto choose = [&]() -> TCXProfileDescriptor* {
        ++asked;
        return chosen;
    };
    EXPECT_EQ(chosen, selectKeyProfile(nullptr, choose));
    _getDefPFList().findProfile("signLong")->kind = 20;
    zrxtest::TempDir d;
    ASSERT_TRUE(sh("cd " + d.str() +
                   " && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout k.key -subj /CN=T"
                   " -addext basicConstraints=CA:FALSE -addext extendedKeyUsage=timeStamping -outform DER -out t.crt"));
    TZrX509 stamp;
    ASSERT_TRUE(stamp.loadFromFile(d.file("t.crt").c_str()));
    asked = 0;
    EXPECT_EQ(_getDefPFList().findProfile("signLong"), selectKeyProfile(&stamp, choose));
    EXPECT_EQ(0, asked);
    _getDefPFList().findProfile("signLong")->kind = 0;
    EXPECT_EQ(chosen, selectKeyProfile(&stamp, choose));
    EXPECT_EQ(1, asked);
    EXPECT_EQ(nullptr, selectKeyProfile(&stamp, nullptr));
}

// An exception out of a generation still gives the macro, the log output
// and the container back.
TEST_F(KeyGenerationTest, ExceptionLeavesNothingBehind) {
    Answers a;
    a.location = dir_.file("thrown.pfx");
    answer(a);
    csp_ = std::make_unique<TZrX509Csp>();
    EXPECT_THROW(
        createKeys(_getDefPFList().findProfile("sign"), csp_.get(), [] { throw std::runtime_error("сбой окна"); }),
        std::runtime_error);
    EXPECT_EQ("no", getCFGMacroValue("onlyEmptyTokens").str());
    EXPECT_EQ(nullptr, currentLogGrabber());
    EXPECT_FALSE(csp_->container()->inUpdate());
    EXPECT_EQ(0u, genFlags.value());
}

// A device whose keys the user agreed to replace is cleaned only when the
// generation commits, right before the container is written; a cancelled
// generation leaves it alone.
TEST_F(KeyGenerationTest, DeviceCleanedOnlyAtCommit) {
    using zrxtest::TestMedium;
    TestMedium::install();
    TestMedium::reset();
    TestMedium::devices = {"dev1"};
    TestMedium::findResult = 0;  // keys of the same purpose are there
    Answers a;
    a.location = "#:dev1";
    a.password = "12345678";
    a.cancelOwner = true;
    EXPECT_EQ(KR_E_CANCELLED, generate("sign", a));
    EXPECT_TRUE(TestMedium::cleaned.empty());

    a.cancelOwner = false;
    const KResult rc = generate("sign", a);
    EXPECT_TRUE(windows_->shown("обнаружены ключи аналогичного назначения"));
    EXPECT_EQ(std::vector<std::string>{"#:dev1"}, TestMedium::cleaned);
    // The test medium refuses the write: the commit fails and is undone.
    EXPECT_TRUE(isFailure(rc)) << std::hex << rc;
    EXPECT_FALSE(csp_->container()->inUpdate());
    EXPECT_EQ(0, csp_->reqCount());
    TestMedium::reset();
}

// A commit that fails (the container's folder gone, a medium refusing the
// write, a token full part-way) leaves no request or certificate file for
// keys that are stored nowhere; the result window says so with the error
// icon, and a fresh token stays empty at its starting PIN.
TEST_F(KeyGenerationTest, FailedCommitWritesNoFile) {
    using zrxtest::TestMedium;
    TestMedium::install();
    TestMedium::reset();
    TestMedium::devices = {"dev1"};
    zrxtest::SoftHsm hsm;
    ASSERT_TRUE(hsm.initToken("Повний", "12345678", getCTXDef_p()));
    zrxtest::P11FaultLayer faults;
    ASSERT_EQ(0u, initP11Lib());
    TCStringList tokens;
    ASSERT_EQ(1, listTokenDevices(tokens));
    const std::string token = "$:" + tokens[0].str();
    const std::string gone = dir_.file("gone");

    struct Case {
        const char* name;
        const char* profile;
        std::string location;
        bool selfIssued = false;
        bool goneAtSave = false;
        bool tokenFull = false;
        const char* password = kPassword;
    } cases[] = {
        {"folder gone", "signKa", gone + "/keys.pfx", false, true},
        {"folder gone, self-issued", "signKa", gone + "/self.pfx", true, true},
        {"medium refusing the write", "sign", "#:dev1", false, false, false, "12345678"},
        {"token full", "signKa", token, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::create_directories(gone);
        csp_.reset();
        Answers a;
        a.location = c.location;
        a.password = c.password;
        a.selfIssued = c.selfIssued;
        if (c.goneAtSave) a.goneAtSave = gone;
        if (c.tokenFull) faults.failAfter(zrxFaultCreateObject, 0, CKR_DEVICE_MEMORY);
        const KResult rc = generate(c.profile, a);
        faults.reset();
        EXPECT_TRUE(isFailure(rc)) << std::hex << rc;
        ASSERT_FALSE(seen_.savedFiles.empty());
        for (const std::string& f : seen_.savedFiles) EXPECT_FALSE(std::filesystem::exists(f)) << f;
        ASSERT_EQ(1u, seen_.results.size());
        EXPECT_TRUE(seen_.resultErrors[0]);
        EXPECT_NE(std::string::npos, seen_.results[0].find("не созданы")) << seen_.results[0];
        EXPECT_FALSE(csp_->container()->inUpdate());
        EXPECT_EQ(0, csp_->reqCount());
        if (c.tokenFull) {
            EXPECT_EQ(0u, isTokenEmpty(tokens[0].c_str()));
            TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
            TCP11Slot* slot = nullptr;
            ASSERT_EQ(0u, findTokenSlot(tokens[0].c_str(), &slot));
            TCP11Token t;
            ASSERT_EQ(0u, t.startSession(slot, false));
            EXPECT_EQ(0u, t.login(getCTXDef_p(), false));
        }
    }
    TestMedium::reset();
    doneP11Lib();
}

// The same generation onto a SoftHSM2 token: the device location names the
// requests, and the keys load back from the token.
TEST_F(KeyGenerationTest, GenerationOntoAToken) {
    zrxtest::SoftHsm hsm;
    ASSERT_TRUE(hsm.initToken("Ключі", "12345678", "87654321"));
    ASSERT_EQ(0u, initP11Lib());
    TCStringList tokens;
    ASSERT_EQ(1, listTokenDevices(tokens));
    const std::string location = "$:" + tokens[0].str();
    Answers a;
    a.location = location;
    a.password = "87654321";
    const KResult rc = generate("sign", a);
    EXPECT_EQ(0u, rc) << (windows_->messages.empty() ? "" : windows_->messages.back());
    ASSERT_EQ(1u, seen_.savedFiles.size());
    // The token's name holds '#', which a shell reads as a comment: the
    // proposed file name has '_' in its place.
    std::string safeName = tokens[0].str();
    std::replace(safeName.begin(), safeName.end(), '#', '_');
    EXPECT_EQ(dir_.file(safeName + ".p10"), seen_.savedFiles[0]);
    EXPECT_TRUE(requestVerifies(seen_.savedFiles[0]));
    TZrX509Csp reread;
    EXPECT_EQ(0u, reread.load(location.c_str(), "87654321"));
    EXPECT_EQ(1, reread.reqCount());
    doneP11Lib();
}

}  // namespace
