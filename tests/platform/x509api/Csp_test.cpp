// Key containers end to end: generation by template, reload, requests
// checked by the openssl tool, update transactions, certificates, key
// change, analysis and sweeping.
#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/core/container/ContainerFile.h"
#include "platform/core/x509/CertsChain.h"
#include "platform/core/config/P12Template.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/config/XmlNode.h"
#include "platform/x509api/BaseRequestParamMaker.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/runtime/Passwords.h"
#include "platform/x509api/ZrX509Csp.h"

#include <filesystem>
#include "support/TempDir.h"

using namespace zrx;
using namespace zrx::container;

namespace {

const char kPw[] = "Пароль-12345";

struct FastKdf {
    FastKdf() { setDefaultKdf(KdfParams::scrypt(10, 1, 1)); }
} fastKdf;

int64_t now() { return int64_t(std::time(nullptr)); }

int run(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()); }

// A template with one signature and one key-agreement set.
std::string writeTemplate(const zrxtest::TempDir& dir, const std::string& sign, const std::string& ka) {
    std::string xml = "<cryptoTemplate version=\"1\"><sign><params name=\"s\" alg=\"" + sign +
                      "\" default=\"yes\"/></sign><keyAgreement><params name=\"k\" alg=\"" + ka +
                      "\" default=\"yes\"/></keyAgreement></cryptoTemplate>";
    std::string path = dir.file("tmpl-" + std::to_string(std::hash<std::string>{}(sign + ka)) + ".xcfg");
    zrxtest::writeFile(path, xml);
    return path;
}

TCXProfileDescriptor makeProfile() {
    TCXProfileDescriptor p;
    p.name = "test";
    p.id = 7;
    p.flags = PF_SIGN_KEYS | PF_KA_KEYS;
    p.caption = "Тест";
    return p;
}

// Generates keys into csp (a new container at path) inside an update.
KResult generate(TZrX509Csp& csp, const std::string& path, const std::string& tmpl, uint32_t kinds,
                 TCXProfileDescriptor* profile, bool newContainer = true, const char* cn = "Петренко Петро") {
    TCBaseRequestParamMaker maker(profile, &csp);
    EXPECT_EQ(0u, loadP12Template(tmpl.c_str(), &maker.cryptoTemplate()));
    KResult rc = maker.initCtxCryptoPars(profile->id, 0, 0);
    if (failed(rc)) return rc;
    maker.nameList().addAttribute("CN", cn);
    maker.assignChallengePassword("фраза|вопрос");
    if (newContainer) csp.prepareUpdate();
    csp.beginUpdate();
    if (newContainer) {
        csp.setContainerName(path.c_str());
        csp.container()->setDp(kPw);
    }
    rc = maker.generateKeys(&csp, kinds, nullptr);
    if (failed(rc)) {
        csp.container()->cancelUpdate();
        return rc;
    }
    return csp.endUpdate(false);
}

std::string requestDer(const TZrX509Csp& csp, int kind) {
    uint32_t len = 0x4000;
    std::string buf(len, '\0');
    if (failed(csp.ZrX_GetX509Object(buf.data(), &len, kind))) return {};
    buf.resize(len);
    return buf;
}

// Issues certificates for every request of the container to itself.
void certifyAll(TZrX509Csp& csp, int64_t from, int64_t to) {
    while (csp.reqCount() > 0) {
        TZrX509 cert;
        ASSERT_EQ(0u, cert.fromRequest(*csp.getReqAt(0)));
        ASSERT_EQ(0u, csp.mkSelfIssued(cert, from, to));
        ASSERT_TRUE(csp.addCertificate(&cert, true));
    }
}

std::string pemOf(const TZrX509* cert) {
    TCString pem;
    EXPECT_EQ(0u, cert->toPem(pem));
    return pem.str();
}

}  // namespace

TEST(Csp, GeneratesEveryAlgorithmAndReloads) {
    struct Case {
        const char* sign;
        const char* ka;
        int signBits;
    } cases[] = {
        {"EC:P-256", "ECDH:P-256", 256}, {"EC:P-384", "ECDH:P-384", 384},  {"RSA:2048", "X25519", 2048},
        {"Ed25519", "X25519", 256},      {"RSA:3072", "ECDH:P-256", 3072},
    };
    zrxtest::TempDir dir;
    TCXProfileDescriptor profile = makeProfile();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sign) + " + " + c.ka);
        std::string path = dir.file(std::string("c-") + c.sign + c.ka + ".zrx");
        TZrX509Csp csp;
        ASSERT_EQ(0u, generate(csp, path, writeTemplate(dir, c.sign, c.ka), 0x30000, &profile));

        TZrX509Csp loaded;
        ASSERT_EQ(0u, loaded.load(path.c_str(), kPw));
        TCBaseUserKeysContext* ctx = loaded.container();
        ASSERT_EQ(2, ctx->ctx_ActKeysList.count());
        TCPrivateEVPKey* sign = ctx->activeKey(kfSignature);
        TCPrivateEVPKey* ka = ctx->activeKey(kfKeyAgreement);
        ASSERT_TRUE(sign && ka);
        EXPECT_EQ(c.sign, sign->algorithm());
        EXPECT_EQ(c.ka, ka->algorithm());
        EXPECT_EQ(c.signBits, EVP_PKEY_get_bits(sign->publicKey()));
        EXPECT_TRUE(ka->checkFlags(kfKeyAgreementKey));
        EXPECT_EQ(7, sign->profile());
        EXPECT_EQ("Петренко Петро", loaded.commonName().str());
        ASSERT_EQ(2, loaded.reqCount());

        // Plain requests: each verifies with openssl; an X25519 request is
        // signed by the signature key of its generation.
        std::string signReq = dir.file("s.p10"), kaReq = dir.file("k.p10");
        zrxtest::writeFile(signReq, requestDer(loaded, kObjSignRequest));
        zrxtest::writeFile(kaReq, requestDer(loaded, kObjKARequest));
        EXPECT_EQ(0, run("openssl req -inform DER -in " + signReq + " -verify -noout"));
        if (std::string(c.ka) == "X25519") {
            TZrX509ReqCtx* r = ctx->findCertReq(ka->keyID());
            ASSERT_TRUE(r);
            EXPECT_EQ(1, X509_REQ_verify(r->request()->handle(), sign->publicKey()));
        } else {
            EXPECT_EQ(0, run("openssl req -inform DER -in " + kaReq + " -verify -noout"));
        }
        // No signed forms for the first keys of a container.
        uint32_t len = 0;
        EXPECT_EQ(kErrObjectMissing, loaded.ZrX_GetX509Object(nullptr, &len, kObjSignedSignRequest));
    }
}

TEST(Csp, WrongPasswordAndDamageKeepLoadedContainer) {
    zrxtest::TempDir dir;
    TCXProfileDescriptor profile = makeProfile();
    std::string path = dir.file("c.zrx");
    TZrX509Csp csp;
    ASSERT_EQ(0u, generate(csp, path, writeTemplate(dir, "EC:P-256", "X25519"), 0x30000, &profile));
    TZrX509Csp other;
    ASSERT_EQ(0u, other.load(path.c_str(), kPw));
    std::string bytes = zrxtest::readFile(path);
    std::string damaged = dir.file("d.zrx");
    bytes[bytes.size() / 2] ^= 0x20;
    zrxtest::writeFile(damaged, bytes);
    zrxtest::writeFile(dir.file("short.zrx"), bytes.substr(0, 30));
    // Written by another tool under a password longer than the context holds.
    const std::string longPw(kCtxPasswordSize + 10, 'p');
    {
        std::string good = zrxtest::readFile(path), again;
        ContainerImage img;
        ASSERT_EQ(0u, decodeFile(reinterpret_cast<const uint8_t*>(good.data()), good.size(), kPw, strlen(kPw), img));
        ASSERT_EQ(0u, encodeFile(img, longPw.data(), longPw.size(), defaultKdf(), again));
        zrxtest::writeFile(dir.file("long.zrx"), again);
    }
    struct Case {
        std::string loc, pw;
        KResult rc;
    } cases[] = {
        {path, "wrong", kErrBadPasswordOrDamaged},
        {damaged, kPw, kErrBadPasswordOrDamaged},
        {dir.file("short.zrx"), kPw, kErrFormat},
        {dir.file("none.zrx"), kPw, kErrNoFile},
        {"$:token", kPw, kErrNoDevice},
        {dir.file("long.zrx"), longPw, kErrPassword},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.rc, other.load(c.loc.c_str(), c.pw.c_str())) << c.loc;
        EXPECT_EQ(2, other.container()->ctx_ActKeysList.count());
        EXPECT_EQ(path, other.container()->fileName().str());
    }
}

TEST(Csp, CancelLeavesFileAsItWasAndEndWrites) {
    zrxtest::TempDir dir;
    TCXProfileDescriptor profile = makeProfile();
    std::string path = dir.file("c.zrx");
    std::string tmpl = writeTemplate(dir, "EC:P-256", "ECDH:P-256");
    TZrX509Csp csp;
    ASSERT_EQ(0u, generate(csp, path, tmpl, 0x30000, &profile));
    std::string before = zrxtest::readFile(path);
    int64_t t0 = csp.container()->updateTime();

    csp.beginUpdate();
    TZrX509 cert;
    ASSERT_EQ(0u, cert.fromRequest(*csp.getReqAt(0)));
    ASSERT_EQ(0u, csp.mkSelfIssued(cert, now() - 60, now() + 86400 * 365));
    ASSERT_TRUE(csp.addCertificate(&cert, true));
    EXPECT_EQ(1, csp.reqCount());
    EXPECT_GT(csp.container()->updateTime(), t0);
    csp.container()->cancelUpdate();
    EXPECT_FALSE(csp.inUpdate());  // cancelling ends the container's update too
    EXPECT_EQ(2, csp.reqCount());
    EXPECT_EQ(before, zrxtest::readFile(path));
    EXPECT_EQ(kErrNotInUpdate, csp.endUpdate(false));

    csp.beginUpdate();
    ASSERT_TRUE(csp.addCertificate(&cert, true));
    ASSERT_EQ(0u, csp.endUpdate(false));
    EXPECT_TRUE(csp.lastUpdateWritten());
    EXPECT_NE(before, zrxtest::readFile(path));
    TZrX509Csp loaded;
    ASSERT_EQ(0u, loaded.load(path.c_str(), kPw));
    EXPECT_EQ(1, loaded.reqCount());
    EXPECT_EQ(1, loaded.container()->ctx_CertificatesList.count());
}

TEST(Csp, CertificatesTakeRequestsOutAndKeyChangeSignsRequests) {
    zrxtest::TempDir dir;
    TCXProfileDescriptor profile = makeProfile();
    for (auto [sign, ka] :
         {std::pair{"EC:P-256", "ECDH:P-256"}, std::pair{"Ed25519", "X25519"}, std::pair{"RSA:2048", "X25519"}}) {
        SCOPED_TRACE(sign);
        std::string path = dir.file(std::string("c-") + sign + ".zrx");
        std::string tmpl = writeTemplate(dir, sign, ka);
        TZrX509Csp csp;
        ASSERT_EQ(0u, generate(csp, path, tmpl, 0x30000, &profile));
        csp.beginUpdate();
        certifyAll(csp, now() - 86400, now() + 86400 * 30);
        ASSERT_EQ(0u, csp.endUpdate(false));
        ASSERT_EQ(0, csp.reqCount());
        TZrX509* own = csp.getSelfCrt();
        ASSERT_TRUE(own);
        TZrX509* kaCert = dynamic_cast<TZrX509*>(csp.container()->findEncodeKeyX509Object(false));
        ASSERT_TRUE(kaCert);
        EXPECT_EQ(1, kaCert->isForKeyAgreement());
        // The X25519 certificate is vouched for by the signature key.
        if (std::string(ka) == "X25519") {
            EXPECT_EQ(0u, kaCert->verify(*own));
        }

        // Key change: next keys, requests signed by the keys in service.
        ASSERT_EQ(0u, generate(csp, path, tmpl, 0x30000 | kGenKeyChange, &profile, false));
        EXPECT_EQ(2, csp.container()->ctx_NewKeysList.count());
        EXPECT_TRUE(csp.container()->alreadyGenerated(kfSignature, true));
        EXPECT_TRUE(csp.container()->markerNextObject(kfSignature));
        // OpenSSL 3.0 cannot sign CMS with Ed25519: no signed forms then.
        if (std::string(sign) == "Ed25519") {
            EXPECT_EQ(kErrObjectMissing, csp.ZrX_GetX509Object(nullptr, nullptr, kObjSignedSignRequest));
            continue;
        }
        for (int kind : {kObjSignedSignRequest, kObjSignedKARequest}) {
            // Signed by the key in service of the same purpose.
            std::string signer = dir.file("signer.pem");
            zrxtest::writeFile(signer,
                               pemOf(kind == kObjSignedSignRequest || std::string(ka) == "X25519" ? own : kaCert));
            std::string f = dir.file("r.rq7");
            zrxtest::writeFile(f, requestDer(csp, kind));
            EXPECT_EQ(0, run("openssl cms -verify -inform DER -in " + f + " -CAfile " + signer + " -purpose any -out " +
                             dir.file("content.der")))
                << "kind " << kind;
            // The signed content is the plain request.
            EXPECT_EQ(requestDer(csp, kind == kObjSignedSignRequest ? kObjSignRequest : kObjKARequest),
                      zrxtest::readFile(dir.file("content.der")));
        }
        // Certificates for the next keys; activation puts them into service.
        TZrX509 oldKA(*kaCert);
        csp.beginUpdate();
        certifyAll(csp, now() - 60, now() + 86400 * 365);
        ASSERT_EQ(0u, csp.endUpdate(false));
        ASSERT_TRUE(csp.getSelfNewCrt());
        EXPECT_EQ(kInfoNewKeysActivated, csp.ZrX_ActivateDefaultNewKeys(true));
        EXPECT_EQ(0, csp.container()->ctx_NewKeysList.count());
        EXPECT_EQ(2, csp.container()->ctx_ActKeysList.count());
        ASSERT_EQ(1, csp.container()->ctx_PrevEncodeKeysList.count());
        EXPECT_EQ(oldKA.keyID(), csp.container()->ctx_PrevEncodeKeysList.at(0)->keyID());
        ASSERT_TRUE(csp.getPrevX509Object());
        EXPECT_EQ(0u, csp.ZrX_ActivateDefaultNewKeys(true));
        TZrX509Csp loaded;
        ASSERT_EQ(0u, loaded.load(path.c_str(), kPw));
        EXPECT_EQ(1, loaded.container()->ctx_PrevEncodeKeysList.count());
    }
}

TEST(Csp, GetX509ObjectHonoursBufferSize) {
    zrxtest::TempDir dir;
    TCXProfileDescriptor profile = makeProfile();
    TZrX509Csp csp;
    ASSERT_EQ(0u, generate(csp, dir.file("c.zrx"), writeTemplate(dir, "EC:P-256", "X25519"), 0x30000, &profile));
    uint32_t len = 0;
    ASSERT_EQ(0u, csp.ZrX_GetX509Object(nullptr, &len, kObjSignRequest));
    ASSERT_GT(len, 0u);
    EXPECT_EQ(0u, csp.ZrX_GetX509Object(nullptr, nullptr, kObjKARequest));
    std::string buf(len + 8, '\x5a');
    uint32_t small = len - 1;
    EXPECT_EQ(kErrBufferTooSmall, csp.ZrX_GetX509Object(buf.data(), &small, kObjSignRequest));
    EXPECT_EQ(len, small);
    EXPECT_EQ(std::string(len + 8, '\x5a'), buf);  // nothing written
    uint32_t exact = len;
    EXPECT_EQ(0u, csp.ZrX_GetX509Object(buf.data(), &exact, kObjSignRequest));
    EXPECT_EQ('\x5a', buf[len]);
    EXPECT_EQ(kErrInvalidArg, csp.ZrX_GetX509Object(buf.data(), &exact, 3));
}

TEST(Csp, SweepAndKeyChangeAnalysis) {
    zrxtest::TempDir dir;
    TCXProfileDescriptor profile = makeProfile();
    std::string tmpl = writeTemplate(dir, "EC:P-256", "ECDH:P-256");
    // Days left on the certificates → kinds due with 14 days' notice.
    struct Case {
        int64_t daysLeft;
        uint32_t due;
    } cases[] = {{60, 0}, {15, 0}, {13, 0x30000}, {1, 0x30000}, {-3, 0x30000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.daysLeft);
        TZrX509Csp csp;
        std::string path = dir.file("a" + std::to_string(c.daysLeft) + ".zrx");
        ASSERT_EQ(0u, generate(csp, path, tmpl, 0x30000, &profile));
        csp.beginUpdate();
        certifyAll(csp, now() - 86400 * 100, now() + c.daysLeft * 86400);
        ASSERT_EQ(0u, csp.endUpdate(false));
        TZrNDefKeysChkInfo info;
        ASSERT_EQ(0u, csp.ZrX_NeedChangeDefaultKeys(14, &info));
        EXPECT_EQ(c.due, info.flags);
        EXPECT_EQ(0u, info.status);
        if (c.daysLeft > 0) {
            EXPECT_EQ(0, csp.sweep());
            EXPECT_EQ(2, csp.container()->ctx_ActKeysList.count());
        } else {
            EXPECT_EQ(4, csp.sweep());  // two keys, two certificates
            EXPECT_TRUE(csp.container()->isEmpty());
        }
    }
    // Start-up keys (made for a start certificate) are always due and say so.
    TZrX509Csp csp;
    {
        TCBaseRequestParamMaker maker(&profile, &csp);
        ASSERT_EQ(0u, loadP12Template(tmpl.c_str(), &maker.cryptoTemplate()));
        ASSERT_EQ(0u, maker.initCtxCryptoPars(profile.id, 0, 0));
        maker.nameList().addAttribute("CN", "Старт");
        maker.flags().set(0x400);
        csp.prepareUpdate();
        csp.beginUpdate();
        csp.setContainerName(dir.file("start.zrx").c_str());
        csp.container()->setDp(kPw);
        ASSERT_EQ(0u, maker.generateKeys(&csp, 0x30000, nullptr));
        ASSERT_EQ(0u, csp.endUpdate(false));
    }
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(csp.container()->ctx_ActKeysList.at(i)->checkFlags(kfStartup));
    TZrNDefKeysChkInfo info;
    ASSERT_EQ(0u, csp.ZrX_NeedChangeDefaultKeys(14, &info));
    EXPECT_EQ(0x30000u, info.flags);
    EXPECT_EQ(kWarnStartupKeys, info.status);
}

TEST(Csp, DeletionsAndLookups) {
    zrxtest::TempDir dir;
    TCXProfileDescriptor profile = makeProfile();
    std::string path = dir.file("c.zrx");
    TZrX509Csp csp;
    ASSERT_EQ(0u, generate(csp, path, writeTemplate(dir, "EC:P-256", "ECDH:P-256"), 0x30000, &profile));
    TCBaseUserKeysContext* ctx = csp.container();
    TCStringList ids;
    EXPECT_EQ(2, ctx->getPrivatesKeysIDList(ids, 3));
    TCStringList reqIds;
    EXPECT_EQ(2, csp.getReqsIDList(reqIds));
    TCPrivateEVPKey* ka = ctx->findPrivateKey(ids[1].c_str());
    ASSERT_TRUE(ka);
    EXPECT_EQ(ka, ctx->findPrivateKey(ids[1].toLower().c_str()));
    EXPECT_TRUE(ctx->findRelatedPKIObject(ka));
    EXPECT_TRUE(ctx->findEncodeKeyX509Object(true));  // the new key's request
    TCASN1OctetString id = ka->keyID();
    ASSERT_EQ(0u, ctx->deleteAllKeyData(id));
    EXPECT_EQ(kErrNotFound, ctx->deleteAllKeyData(id));
    // The identifier may be the deleted object's own.
    TZrX509Csp other;
    ASSERT_EQ(0u, generate(other, dir.file("o.zrx"), writeTemplate(dir, "EC:P-256", "ECDH:P-256"), 0x30000, &profile));
    ASSERT_EQ(0u, other.container()->deleteRequest(other.getReqAt(0)->keyID(), false));
    TCPrivateEVPKey* key = other.container()->activeKey(kfKeyAgreement);
    ASSERT_TRUE(key);
    ASSERT_EQ(0u, other.container()->deleteAllKeyData(key->keyID()));
    EXPECT_EQ(0, other.reqCount());
    ASSERT_EQ(0u, ctx->update());
    TZrX509Csp loaded;
    ASSERT_EQ(0u, loaded.load(path.c_str(), kPw));
    EXPECT_EQ(1, loaded.container()->ctx_ActKeysList.count());
    EXPECT_EQ(1, loaded.reqCount());
    EXPECT_FALSE(loaded.container()->alreadyGenerated(kfKeyAgreement, false));
}

TEST(Csp, PasswordChangeAndSaveAs) {
    zrxtest::TempDir dir;
    TCXProfileDescriptor profile = makeProfile();
    std::string path = dir.file("c.zrx");
    TZrX509Csp csp;
    ASSERT_EQ(0u, generate(csp, path, writeTemplate(dir, "EC:P-256", "X25519"), 0x30000, &profile));
    TCBaseUserKeysContext* ctx = csp.container();
    EXPECT_EQ(kErrPassword, ctx->changePassword("not the password", "new-password-1", 0));
    ASSERT_EQ(0u, ctx->changePassword(kPw, "new-password-1", 0));
    ASSERT_EQ(0u, ctx->save(ctx->fileName().c_str(), ctx->dp()));
    TZrX509Csp loaded;
    EXPECT_EQ(kErrBadPasswordOrDamaged, loaded.load(path.c_str(), kPw));
    ASSERT_EQ(0u, loaded.load(path.c_str(), "new-password-1"));
    std::string copy = dir.file("copy.zrx");
    EXPECT_FALSE(loaded.container()->copyDenied());
    ASSERT_EQ(0u, loaded.saveAs(copy.c_str(), "copy-password"));
    EXPECT_EQ(copy, loaded.container()->fileName().str());
    TZrX509Csp again;
    ASSERT_EQ(0u, again.load(copy.c_str(), "copy-password"));
    EXPECT_EQ(2, again.container()->ctx_ActKeysList.count());
}

TEST(Devices, FileAndTokenLocations) {
    zrxtest::TempDir dir;
    TCStringList media;
    ZrX_GetSupportedDevices(media, true);
    ASSERT_GE(media.count(), 2);
    EXPECT_EQ(0u, media[0].object());
    EXPECT_GE(media.findObject(36), 0);
    EXPECT_EQ(1, ZrX_IsFileContainer(dir.file("c.zrx").c_str()));
    EXPECT_EQ(0, ZrX_IsFileContainer("$:token"));
    EXPECT_EQ(0u, ZrX_GetContainerType(dir.file("c.zrx").c_str()));
    EXPECT_EQ(36u, ZrX_GetContainerType("$:token"));
    TCString storage;
    EXPECT_EQ(kErrNotFound, ZrX_FileExistsEx(dir.file("c.zrx").c_str(), kPw, &storage));
    zrxtest::writeFile(dir.file("c.zrx"), "x");
    EXPECT_EQ(0u, ZrX_FileExistsEx(dir.file("c.zrx").c_str(), kPw, &storage));
    EXPECT_EQ(kErrNoDevice, ZrX_FileExistsEx("$:token", kPw, &storage));
    EXPECT_EQ(kErrNoDevice, ZrX_CleanStorage("$:token", kPw));
    EXPECT_EQ("40719385", ZrX_CheckDefPassword("$:token", 0).str());
    EXPECT_TRUE(ZrX_CheckDefPassword(dir.file("c.zrx").c_str(), 0).isEmpty());
    EXPECT_EQ(nullptr, ZrX_GetTMediaDescriptor("no such medium"));
}

TEST(Callbacks, PasswordCallbackTooLongForBufferIsRefusedNotCut) {
    static int calls = 0;
    static size_t length = 0;
    registerPCBK(
        nullptr, 0,
        [](void*, char* buf, int size) {
            ++calls;
            std::string pw(length, 'p');
            std::strncpy(buf, pw.c_str(), size_t(size));
            return true;
        },
        nullptr);
    char buf[16];
    length = 100;
    EXPECT_FALSE(api::askPassword(buf, sizeof buf));
    EXPECT_EQ(0u, strlen(buf));
    length = 15;
    EXPECT_TRUE(api::askPassword(buf, sizeof buf));
    EXPECT_EQ(15u, strlen(buf));
    registerPCBK(nullptr, 0, nullptr, nullptr);
    EXPECT_FALSE(api::askPassword(buf, sizeof buf));
    EXPECT_EQ(2, calls);
}

// The longest passwords the policy allows, in characters of two and four
// bytes, are kept whole: the container they made opens under them.
TEST(Csp, LongestPolicyPasswordsAreKeptWhole) {
    std::string cyrillic, fourByte;
    for (int i = 0; i < 32; ++i) cyrillic += "ж", fourByte += "\U0001F511";
    zrxtest::TempDir dir;
    TCXProfileDescriptor profile = makeProfile();
    const std::string tmpl = writeTemplate(dir, "EC:P-256", "X25519");
    for (const std::string& pw : {cyrillic, fourByte}) {
        SCOPED_TRACE(pw.size());
        std::string path = dir.file("c" + std::to_string(pw.size()) + ".zrx");
        TZrX509Csp csp;
        ASSERT_EQ(0u, generate(csp, path, tmpl, 0x30000, &profile));
        TCBaseUserKeysContext* ctx = csp.container();
        ASSERT_EQ(0u, ctx->setPassword(pw.c_str(), 0));
        EXPECT_EQ(pw, std::string(ctx->dp()));
        ASSERT_EQ(0u, ctx->save(path.c_str(), ctx->dp()));
        TZrX509Csp loaded;
        ASSERT_EQ(0u, loaded.load(path.c_str(), pw.c_str()));
        EXPECT_EQ(kErrBadPasswordOrDamaged, loaded.load(path.c_str(), pw.substr(0, 63).c_str()));
        // Set before generation, as a new container's password is.
        TZrX509Csp fresh;
        fresh.prepareUpdate();
        fresh.beginUpdate();
        fresh.setContainerName(dir.file("f.zrx").c_str());
        ASSERT_TRUE(fresh.container()->setDp(pw.c_str()));
        EXPECT_EQ(pw, std::string(fresh.container()->dp()));
        fresh.container()->cancelUpdate();
    }
    const std::string tooLong(kCtxPasswordSize, 'p');
    TZrX509Csp csp;
    EXPECT_FALSE(csp.container()->setDp(tooLong.c_str()));
    EXPECT_EQ('\0', csp.container()->dp()[0]);
}

TEST(Csp, NewContainerOverOpenOneAndCancelRestoresIt) {
    zrxtest::TempDir dir;
    TCXProfileDescriptor profile = makeProfile();
    std::string tmpl = writeTemplate(dir, "EC:P-256", "X25519");
    std::string first = dir.file("first.zrx");
    TZrX509Csp csp;
    ASSERT_EQ(0u, generate(csp, first, tmpl, 0x30000, &profile));
    TCStringList before;
    csp.container()->getPrivatesKeysIDList(before, 1);

    // Creating a new container in the same object, then cancelling.
    csp.prepareUpdate();
    csp.beginUpdate();
    csp.setContainerName(dir.file("second.zrx").c_str());
    EXPECT_EQ(1, csp.empty());
    ASSERT_EQ(0u, csp.container()->setPassword("other-password", 0));
    csp.container()->cancelUpdate();
    EXPECT_EQ(first, csp.container()->fileName().str());
    EXPECT_STREQ(kPw, csp.container()->dp());
    TCStringList after;
    csp.container()->getPrivatesKeysIDList(after, 1);
    EXPECT_EQ(before.text(','), after.text(','));
    EXPECT_FALSE(std::filesystem::exists(dir.file("second.zrx")));

    // The start-up password is recognised until it is replaced.
    setPassMinMax(8, 32, "40719385");
    ASSERT_EQ(0u, csp.container()->setPassword("40719385", 0));
    EXPECT_EQ(1, csp.container()->needChangeStatupPassword());
    ASSERT_EQ(0u, csp.container()->changePassword("40719385", "owner-password", 0));
    EXPECT_EQ(0, csp.container()->needChangeStatupPassword());
}

// Every profile of the shipped configuration generates by its template's
// default choice; a key-agreement-only profile goes into a container that
// already has its signature key.
TEST(Csp, DefaultConfigurationProfiles) {
    std::string xcfg = std::string(ZRX_SOURCE_DIR) + "/app/data/xcfg/";
    if (!std::filesystem::exists(xcfg + "ZrX509_ZERUvorido.xcfg")) GTEST_SKIP() << "no shipped configuration";
    TCXMLNodeParser parser;
    parser.setMacroMode(0);
    ASSERT_EQ(0u, parser.load((xcfg + "ZrX509_ZERUvorido.xcfg").c_str()));
    TCXMLNode* profiles = parser.getRoot()->findNode("core\\profiles");
    ASSERT_TRUE(profiles);
    clearXProfiles();
    for (int i = 0; i < profiles->nodesCount(); ++i) {
        auto* p = new TCXProfileDescriptor();
        if (initProfile(p, profiles->at(i)) == 1) _registerXProfile(p);
        else delete p;
    }
    ASSERT_GE(_getDefPFList().count(), 2);

    zrxtest::TempDir dir;
    for (int i = 0; TCXProfileDescriptor* profile = _getXProfileAt(i); ++i) {
        SCOPED_TRACE(profile->name.str());
        std::string tmpl = xcfg + profile->templateFile.str();
        TZrXP12Template t;
        ASSERT_EQ(0u, loadP12Template(tmpl.c_str(), &t));
        std::string path = dir.file(profile->name.str() + ".zrx");
        TZrX509Csp csp;
        bool kaOnly = !profile->hasSignKeys();
        if (kaOnly) {
            TCXProfileDescriptor signer = makeProfile();
            ASSERT_EQ(0u, generate(csp, path, writeTemplate(dir, "EC:P-256", "X25519"), kGenSignKeys, &signer));
        }
        ASSERT_EQ(0u, generate(csp, path, tmpl, profile->flags & 0x30000, profile, !kaOnly));

        TZrX509Csp loaded;
        ASSERT_EQ(0u, loaded.load(path.c_str(), kPw));
        TCBaseUserKeysContext* ctx = loaded.container();
        for (bool ka : {false, true}) {
            if (!(profile->flags & (ka ? PF_KA_KEYS : PF_SIGN_KEYS))) continue;
            TCPrivateEVPKey* key = ctx->activeKey(ka ? kfKeyAgreement : kfSignature);
            ASSERT_TRUE(key);
            EXPECT_EQ(t.defaultParams(profile->id, ka)->alg.str(), key->algorithm());
            EXPECT_EQ(profile->id, key->profile());
            TZrX509ReqCtx* req = ctx->findCertReq(key->keyID());
            ASSERT_TRUE(req);
            EXPECT_EQ(ka ? 1 : 0, req->request()->isForKeyAgreement());
            std::string f = dir.file("r.p10");
            zrxtest::writeFile(f, req->plainDer());
            if (key->algorithm() == "X25519")
                EXPECT_EQ(1, X509_REQ_verify(req->request()->handle(), ctx->activeKey(kfSignature)->publicKey()));
            else EXPECT_EQ(0, run("openssl req -inform DER -in " + f + " -verify -noout"));
        }
    }
    clearXProfiles();
}

TEST(Maker, SetFlagsValueAddsAndRemovesOneUsage) {
    TCXExtList list;
    ASSERT_EQ(0u, setFlagsValue(&list, "extendedKeyUsage", "clientAuth", 1, 1, "set", false));
    ASSERT_EQ(0u, setFlagsValue(&list, "extendedKeyUsage", "emailProtection", 3, 2, "set", false));
    TCXEditsEntry* eku = list.findByName("extendedKeyUsage");
    ASSERT_TRUE(eku);
    EXPECT_EQ("clientAuth,emailProtection", eku->getValue().str());
    // Setting again changes nothing; a cleared bit removes only its usage.
    ASSERT_EQ(0u, setFlagsValue(&list, "extendedKeyUsage", "clientAuth", 1, 1, "set", false));
    ASSERT_EQ(0u, setFlagsValue(&list, "extendedKeyUsage", "clientAuth", 2, 1, "set", false));
    EXPECT_EQ("emailProtection", list.findByName("extendedKeyUsage")->getValue().str());
    // Clearing a usage of a missing extension is no error and adds nothing.
    TCXExtList empty;
    EXPECT_EQ(0u, setFlagsValue(&empty, "extendedKeyUsage", "clientAuth", 0, 1, "set", false));
    EXPECT_EQ(0, empty.count());
    EXPECT_EQ(kErrInvalidArg, setFlagsValue(nullptr, "extendedKeyUsage", "clientAuth", 1, 1, "set", false));
}

TEST(Maker, CandidatesFollowTheTemplateAndChoice) {
    zrxtest::TempDir dir;
    std::string tmpl = dir.file("t.xcfg");
    zrxtest::writeFile(tmpl,
                       "<cryptoTemplate version=\"1\"><sign>"
                       "<params name=\"a\" alg=\"EC:P-256\"/><params name=\"b\" alg=\"RSA:2048\" default=\"yes\"/>"
                       "</sign><keyAgreement><params name=\"k\" alg=\"X25519\"/></keyAgreement></cryptoTemplate>");
    TCXProfileDescriptor profile = makeProfile();
    TZrX509Csp csp;
    TCBaseRequestParamMaker maker(&profile, &csp);
    EXPECT_EQ(kErrNoCryptoParams, maker.initCtxCryptoPars(profile.id, 0, 0));  // nothing loaded yet
    ASSERT_EQ(0u, loadP12Template(tmpl.c_str(), &maker.cryptoTemplate()));
    ASSERT_EQ(0u, maker.initCtxCryptoPars(profile.id, 0, 0));
    EXPECT_EQ(2, maker.signCandidateCount());
    EXPECT_EQ(2, sk_X509_ALGOR_num(maker.signCandidateStack()));
    EXPECT_EQ(1, maker.signParamsIndex());
    EXPECT_EQ(0, maker.kaParamsIndex());
    EXPECT_TRUE(maker.selectSignPars(0));
    EXPECT_EQ("EC:P-256", maker.signParams()->algorithm().str());
    EXPECT_FALSE(maker.selectSignPars(5));
    EXPECT_TRUE(maker.selectKAPars(-1));
    EXPECT_EQ(nullptr, maker.kaParams());
    // Without a chosen key-agreement set, asking for those keys fails cleanly.
    csp.prepareUpdate();
    csp.beginUpdate();
    csp.setContainerName(dir.file("c.zrx").c_str());
    csp.container()->setDp(kPw);
    EXPECT_EQ(kErrNoCryptoParams, maker.generateKeys(&csp, 0x30000, nullptr));
    csp.container()->cancelUpdate();
    EXPECT_FALSE(std::filesystem::exists(dir.file("c.zrx")));
}

// Certificates issued by an outside authority (made by the openssl tool)
// come back through the registration-service entry points.
TEST(Csp, IssuedCertificateAndChainFromAuthority) {
    zrxtest::TempDir dir;
    TCXProfileDescriptor profile = makeProfile();
    std::string path = dir.file("c.zrx");
    std::string tmpl = writeTemplate(dir, "EC:P-384", "ECDH:P-384");
    TZrX509Csp csp;
    ASSERT_EQ(0u, generate(csp, path, tmpl, kGenSignKeys, &profile));
    std::string req = dir.file("r.p10"), ca = dir.file("ca.pem"), caKey = dir.file("ca.key");
    zrxtest::writeFile(req, requestDer(csp, kObjSignRequest));
    ASSERT_EQ(0, run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj /CN=CA -days 30"
                     " -keyout " +
                     caKey + " -out " + ca));
    ASSERT_EQ(0, run("openssl x509 -req -inform DER -in " + req + " -CA " + ca + " -CAkey " + caKey +
                     " -CAcreateserial -days 30 -copy_extensions copy -outform DER -out " + dir.file("own.der")));
    std::string own = zrxtest::readFile(dir.file("own.der"));
    ASSERT_EQ(0u, csp.putStorageCertificate(own.data(), own.size()));  // written at once
    EXPECT_EQ(0, csp.reqCount());
    ASSERT_TRUE(csp.getSelfCrt());

    TCXCertsChain chain;
    TZrX509 caCert;
    ASSERT_EQ(0u, caCert.readFile(ca.c_str()));
    chain.add(caCert);
    chain.add(*csp.getSelfCrt());
    ASSERT_EQ(0u, csp.saveCrtChain(&chain, false));
    TZrX509Csp loaded;
    ASSERT_EQ(0u, loaded.load(path.c_str(), kPw));
    EXPECT_EQ(2, loaded.container()->ctx_CertificatesList.count());  // the own one is not stored twice
    std::unique_ptr<TZrX509> found(getCspCertificateDefFunc(&loaded, caCert.keyID(), nullptr, nullptr));
    ASSERT_TRUE(found);
    EXPECT_EQ(caCert.ownerName().str(), found->ownerName().str());
    EXPECT_EQ(0u, loaded.getSelfCrt()->verify(*found));

    // Key-agreement keys added later: their request is vouched for by the
    // signature key in service.
    TZrXP12Template t;
    ASSERT_EQ(0u, loadP12Template(tmpl.c_str(), &t));
    ASSERT_EQ(0u, loaded.addEncodeKeys(nullptr, nullptr, &t));
    EXPECT_EQ(kErrKeysExist, loaded.addEncodeKeys(nullptr, nullptr, &t));
    TZrX509Csp again;
    ASSERT_EQ(0u, again.load(path.c_str(), kPw));
    TCPrivateEVPKey* ka = again.container()->activeKey(kfKeyAgreement);
    ASSERT_TRUE(ka);
    EXPECT_EQ("ECDH:P-384", ka->algorithm());
    TZrX509ReqCtx* kaReq = again.container()->findCertReq(ka->keyID());
    ASSERT_TRUE(kaReq);
    EXPECT_EQ(loaded.commonName().str(), kaReq->request()->ownerName().str());
    std::string signedReq = dir.file("ka.rq7");
    zrxtest::writeFile(signedReq, requestDer(again, kObjSignedKARequest));
    EXPECT_EQ(
        0, run("openssl cms -verify -inform DER -in " + signedReq + " -CAfile " + ca + " -purpose any -out /dev/null"));
}
