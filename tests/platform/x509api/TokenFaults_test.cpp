// Token containers when the token fails part-way: object creation, key
// generation, login, PIN change or object removal made to fail after N
// successes by the fault layer over SoftHSM2. Whatever fails, the token keeps
// a container that loads with the keys it had, a failure reported is a
// change not made, and the PIN is tried only where it can be the token's.
#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "platform/core/container/ContainerFile.h"
#include "platform/core/x509/CertsChain.h"
#include "platform/p11/P11FaultLayer.h"
#include "platform/p11/SoftHsmFixture.h"
#include "platform/x509api/BaseRequestParamMaker.h"
#include "platform/p11/P11Support.h"
#include "platform/p11/TokenStorage.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/x509api/ZrX509Csp.h"

namespace {

using namespace zrx;
using namespace zrx::container;
using zrxtest::P11FaultLayer;

constexpr const char* kSoPin = "12345678";
constexpr const char* kPassword = "Пароль-токена-1";

bool failed(KResult rc) { return rc >= 0xC0000000u; }

// The file container saved onto tokens is read many times: a cheap KDF.
struct FastKdf {
    FastKdf() { setDefaultKdf(KdfParams::scrypt(10, 1, 1)); }
} fastKdf;

// SoftHSM2 reads its configuration when it first starts: one token folder
// for the whole process, a token of its own for each case.
class HsmFolder : public ::testing::Environment {
public:
    void SetUp() override { hsm = std::make_unique<zrxtest::SoftHsm>(); }
    void TearDown() override {
        TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
        hsm.reset();
    }
    static inline std::unique_ptr<zrxtest::SoftHsm> hsm;
};
const auto* const kHsmFolder = ::testing::AddGlobalTestEnvironment(new HsmFolder);

// What a container holds, as reloading it shows.
struct Content {
    std::set<std::string> keys, certs, requests;
    bool operator==(const Content&) const = default;
};

Content contentOf(TZrX509Csp& csp) {
    Content c;
    TCBaseUserKeysContext* ctx = csp.container();
    for (const TCSBaseKeysList* list : {&ctx->ctx_ActKeysList, &ctx->ctx_NewKeysList, &ctx->ctx_PrevEncodeKeysList})
        for (int i = 0; i < list->count(); ++i) c.keys.insert(list->asPrivateKey(i)->getKeyIDStr().str());
    for (int i = 0; i < ctx->ctx_CertificatesList.count(); ++i)
        c.certs.insert(ctx->ctx_CertificatesList.asCertBuff(i)->object()->getSerialStr().str());
    for (int i = 0; i < ctx->ctx_RequestsList.count(); ++i)
        c.requests.insert(ctx->ctx_RequestsList.asReqCtx(i)->getKeyIDStr().str());
    return c;
}

class TokenFaults : public ::testing::Test {
public:
    void SetUp() override {
        faults = std::make_unique<P11FaultLayer>();
        ASSERT_EQ(0u, ZrX_Initalize(""));
        newToken();
        tmpl = HsmFolder::hsm->dir().file("t.xcfg");
        zrxtest::writeFile(tmpl,
                           "<cryptoTemplate version=\"1\"><sign><params name=\"s\" alg=\"EC:P-256\"/></sign>"
                           "<keyAgreement><params name=\"k\" alg=\"ECDH:P-256\"/></keyAgreement>"
                           "</cryptoTemplate>");
        profile.name = "t";
        profile.id = 3;
        profile.flags = PF_SIGN_KEYS | PF_KA_KEYS;
    }
    void TearDown() override {
        faults.reset();
        doneP11Lib();
    }

    // A freshly initialised token of its own, at the starting PIN; the
    // module starts again to see it.
    void newToken() {
        static int serial = 0;
        const std::string label = "Збій " + std::to_string(++serial);
        ASSERT_TRUE(HsmFolder::hsm->initToken(label, kSoPin, getCTXDef_p()));
        TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
        ASSERT_EQ(0u, initP11Lib());
        slot = nullptr;
        TCP11ActiveToken storage(P11_MEDIA_HSM);
        TCP11Slots* slots = storage.directory();
        ASSERT_TRUE(slots);
        for (int i = 0; i < slots->count(); ++i)
            if (label == slots->item(i)->getLabel()) slot = slots->item(i);
        ASSERT_TRUE(slot);
        location = std::string("$:") + slot->getTokenName();
    }

    // Keys of the kinds (0x20000, 0x10000) generated into the container
    // under an update the caller ends.
    KResult generate(TZrX509Csp& csp, uint32_t kinds, bool newContainer, const char* password = kPassword) {
        TCBaseRequestParamMaker maker(&profile, &csp);
        if (KResult rc = loadP12Template(tmpl.c_str(), &maker.cryptoTemplate()); failed(rc)) return rc;
        if (KResult rc = maker.initCtxCryptoPars(profile.id, 0, 0); failed(rc)) return rc;
        maker.nameList().addAttribute("CN", "Токен Тест");
        if (newContainer) csp.prepareUpdate();
        csp.beginUpdate();
        if (newContainer) {
            csp.setContainerName(location.c_str());
            csp.container()->setDp(password);
        }
        return maker.generateKeys(&csp, kinds, nullptr);
    }

    // A saved container: signature and key-agreement keys, the signature
    // key's certificate issued to itself, the key-agreement request waiting.
    void makeContainer() {
        TZrX509Csp csp;
        ASSERT_EQ(0u, generate(csp, 0x30000, true));
        const int64_t now = std::time(nullptr);
        for (int i = 0; i < csp.reqCount(); ++i) {
            if (!csp.getReqAt(i)->isForSign()) continue;
            TZrX509 cert;
            ASSERT_EQ(0u, cert.fromRequest(*csp.getReqAt(i)));
            ASSERT_EQ(0u, csp.mkSelfIssued(cert, now - 60, now + 86400 * 365));
            ASSERT_TRUE(csp.addCertificate(&cert, true));
            break;
        }
        ASSERT_EQ(0u, csp.endUpdate(false));
    }

    // The container as the token holds it now, read with the fault layer quiet.
    bool reload(Content& out, const char* password = kPassword) {
        TZrX509Csp csp;
        const KResult rc = csp.load(location.c_str(), password);
        EXPECT_EQ(0u, rc) << std::hex << rc;
        if (failed(rc)) return false;
        out = contentOf(csp);
        return true;
    }

    // Two CA certificates made by openssl for a chain to register.
    void makeChain(TCXCertsChain& chain) {
        const std::string d = HsmFolder::hsm->dir().str();
        ASSERT_TRUE(zrxtest::SoftHsm::run(
            "cd " + d +
            " && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout root.key"
            " -subj /CN=Root -addext basicConstraints=critical,CA:TRUE -days 30 -out root.pem"
            " && openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout ca.key -subj /CN=CA"
            " -out ca.csr && printf 'basicConstraints=critical,CA:TRUE\\n' > ca.ext"
            " && openssl x509 -req -in ca.csr -CA root.pem -CAkey root.key -CAcreateserial -days 30"
            " -extfile ca.ext -out ca.pem"));
        for (const char* name : {"ca.pem", "root.pem"}) {
            TZrX509 c;
            ASSERT_TRUE(c.loadFromFile((d + "/" + name).c_str()));
            chain.add(c);
        }
    }

    zrxtest::SoftHsm& hsm() { return *HsmFolder::hsm; }

    std::unique_ptr<P11FaultLayer> faults;
    TCP11Slot* slot = nullptr;
    std::string location, tmpl;
    TCXProfileDescriptor profile;
};

// Every change to a saved container, with the token failing at each step in
// turn: a failure leaves the token's container as it was and the cancelled
// content equal to it; the step that succeeds at last is all there.
TEST_F(TokenFaults, FailedChangesLeaveTheContainerAsItWas) {
    TCXCertsChain chain;
    makeChain(chain);
    struct Change {
        const char* name;
        // Runs the change on the loaded container; answers the change's result.
        std::function<KResult(TokenFaults&, TZrX509Csp&)> run;
    };
    const Change changes[] = {
        {"next signature keys",
         [](TokenFaults& t, TZrX509Csp& csp) {
             KResult rc = t.generate(csp, 0x20000 | kGenKeyChange, false);
             return failed(rc) ? rc : csp.endUpdate(false);
         }},
        {"key-agreement key deleted",
         [](TokenFaults&, TZrX509Csp& csp) {
             csp.beginUpdate();
             TCPrivateEVPKey* ka = csp.container()->activeKey(kfKeyAgreement);
             if (!ka) return KResult(kErrNotFound);
             const TCASN1OctetString id = ka->keyID();
             KResult rc = csp.container()->deleteRequest(id, true);
             return failed(rc) ? rc : csp.endUpdate(false);
         }},
        {"chain registered", [&chain](TokenFaults&, TZrX509Csp& csp) { return csp.saveCrtChain(&chain, false); }},
    };
    struct Fault {
        ZrxP11FaultOp op;
        CK_RV rv;
    } kinds[] = {{zrxFaultCreateObject, CKR_DEVICE_MEMORY},
                 {zrxFaultCreateObject, CKR_DEVICE_REMOVED},
                 {zrxFaultGenerateKeyPair, CKR_DEVICE_MEMORY},
                 {zrxFaultDestroyObject, CKR_DEVICE_ERROR}};
    for (const Change& change : changes) {
        for (const Fault& kind : kinds) {
            newToken();
            makeContainer();
            Content before;
            ASSERT_TRUE(reload(before));
            ASSERT_EQ(2u, before.keys.size());
            ASSERT_EQ(1u, before.certs.size());
            for (long n = 0;; ++n) {
                SCOPED_TRACE(::testing::Message() << change.name << ", op " << kind.op << " fails after " << n);
                ASSERT_LT(n, 50) << "the change never ended";
                TZrX509Csp csp;
                ASSERT_EQ(0u, csp.load(location.c_str(), kPassword));
                faults->failAfter(kind.op, n, kind.rv);
                const KResult rc = change.run(*this, csp);
                const bool fired = faults->fired();
                faults->reset();
                if (failed(rc)) {
                    ASSERT_TRUE(fired) << std::hex << rc;
                    if (csp.container()->inUpdate()) csp.container()->cancelUpdate();
                    Content now;
                    ASSERT_TRUE(reload(now));
                    EXPECT_EQ(before.keys, now.keys);
                    EXPECT_EQ(before.certs, now.certs);
                    EXPECT_EQ(before.requests, now.requests);
                    // What the program holds after the cancel is what the token holds.
                    EXPECT_TRUE(contentOf(csp) == now);
                    continue;
                }
                // Done (a removal failing after the switch leaves only an old
                // object behind): the token holds the change.
                Content now;
                ASSERT_TRUE(reload(now));
                EXPECT_TRUE(contentOf(csp) == now);
                EXPECT_FALSE(before == now);
                break;
            }
        }
    }
}

// The first save onto a fresh token, failing at each step in turn (also the
// PIN change itself, and a file container's keys taken onto the token):
// the token stays empty at its starting PIN; the save that goes through
// makes the container password the PIN.
TEST_F(TokenFaults, AFailedFirstSaveKeepsTheStartingPin) {
    const std::string file = hsm().dir().file("soft.zrx");
    {
        // A container held in software, to be saved onto tokens.
        TZrX509Csp soft;
        soft.prepareUpdate();
        soft.beginUpdate();
        soft.setContainerName(file.c_str());
        soft.container()->setDp(kPassword);
        TCBaseRequestParamMaker maker(&profile, &soft);
        ASSERT_EQ(0u, loadP12Template(tmpl.c_str(), &maker.cryptoTemplate()));
        ASSERT_EQ(0u, maker.initCtxCryptoPars(profile.id, 0, 0));
        maker.nameList().addAttribute("CN", "Файл Тест");
        ASSERT_EQ(0u, maker.generateKeys(&soft, 0x30000, nullptr));
        ASSERT_EQ(0u, soft.endUpdate(false));
    }
    struct Row {
        const char* name;
        ZrxP11FaultOp op;
        bool fromFile;
    } rows[] = {{"generation, creation", zrxFaultCreateObject, false},
                {"generation, PIN change", zrxFaultSetPin, false},
                {"file container, creation", zrxFaultCreateObject, true},
                {"file container, PIN change", zrxFaultSetPin, true}};
    for (const Row& row : rows) {
        newToken();
        for (long n = 0;; ++n) {
            SCOPED_TRACE(::testing::Message() << row.name << " fails after " << n);
            ASSERT_LT(n, 50) << "the save never ended";
            KResult rc;
            {
                TZrX509Csp csp;
                if (row.fromFile) {
                    ASSERT_EQ(0u, csp.load(file.c_str(), kPassword));
                    faults->failAfter(row.op, n, CKR_DEVICE_REMOVED);
                    rc = csp.saveAs(location.c_str(), kPassword);
                } else {
                    ASSERT_EQ(0u, generate(csp, 0x30000, true));
                    faults->failAfter(row.op, n, CKR_DEVICE_REMOVED);
                    rc = csp.endUpdate(false);
                    if (failed(rc)) csp.container()->cancelUpdate();
                }
                faults->reset();
            }
            // A module started again: no login of this process is left over.
            TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
            TCP11Token token;
            ASSERT_EQ(0u, token.startSession(slot, false));
            if (failed(rc)) {
                EXPECT_EQ(0u, isTokenEmpty(location.substr(2).c_str())) << "objects left on the token";
                EXPECT_EQ(0u, token.login(getCTXDef_p(), false)) << "the starting PIN changed";
                continue;
            }
            EXPECT_EQ(p11Result(CKR_PIN_INCORRECT), token.login(getCTXDef_p(), false));
            EXPECT_EQ(0u, token.login(kPassword, false));
            token.closeSession();
            Content now;
            ASSERT_TRUE(reload(now));
            EXPECT_EQ(2u, now.keys.size());
            break;
        }
    }
}

// Looking for keys logs in nowhere; a fresh token is opened with its
// starting PIN and a used one with its container password alone, so on the
// whole road only a password typed wrong is ever refused, once.
TEST_F(TokenFaults, PinsTriedOnlyWhereTheyCanBeTheTokens) {
    TCString storage;
    EXPECT_EQ(kErrNotFound, ZrX_FileExistsEx(location.c_str(), "Інший-пароль-2", &storage));
    EXPECT_EQ(slot->getTokenName(), storage.str());
    EXPECT_EQ(0, faults->calls(zrxFaultLogin));

    makeContainer();
    EXPECT_EQ(0, faults->pinRefusals()) << "a generation onto a fresh token";

    faults->reset();
    EXPECT_EQ(0u, ZrX_FileExistsEx(location.c_str(), "Інший-пароль-2", nullptr));
    EXPECT_EQ(0, faults->calls(zrxFaultLogin));

    struct Open {
        const char* password;
        KResult rc;
        long refusals;
    } opens[] = {{kPassword, 0, 0},
                 {"Інший-пароль-2", p11Result(CKR_PIN_INCORRECT), 1},
                 {getCTXDef_p(), p11Result(CKR_PIN_INCORRECT), 1}};
    for (const Open& o : opens) {
        SCOPED_TRACE(o.password);
        TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
        faults->reset();
        TZrX509Csp csp;
        EXPECT_EQ(o.rc, csp.load(location.c_str(), o.password));
        EXPECT_EQ(o.refusals, faults->pinRefusals());
    }
}

}  // namespace
