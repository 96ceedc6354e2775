// X.509 object layer: coding, files, names and extensions, chains, requests,
// signed records, revocation requests, HTML renderings and hostile input.
#include <gtest/gtest.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/rand.h>

#include <cctype>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

#include "platform/core/x509/CertsChain.h"
#include "platform/core/x509/Crl.h"
#include "platform/core/x509/ExtList.h"
#include "platform/core/x509/NameList.h"
#include "platform/core/x509/ObjectHtml.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/x509/RevReq.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/core/x509/ZrXErrors.h"
#include "platform/core/x509/Pkcs7.h"
#include "platform/runtime/TCStringList.h"
#include "platform/core/x509/X509Fixtures.h"
#include "support/TempDir.h"

using namespace zrx::x509;

namespace {

TZrX509 cert(X509* x) { return TZrX509(x); }

bool contains(const TCString& s, const char* what) { return s.pos(what) >= 0; }

// Issuer look-up over a fixed set of certificates, as a container would do.
struct LookupSet {
    std::vector<X509*> certs;
    int calls = 0;
};

TZrX509* lookupIssuer(void* ctx, const TCASN1OctetString& keyID, const TZrX509Name*, const char*) {
    auto* set = static_cast<LookupSet*>(ctx);
    ++set->calls;
    for (X509* x : set->certs) {
        TZrX509 c(x);
        if (c.keyID() == keyID) return new TZrX509(c);
    }
    return nullptr;
}

}  // namespace

TEST(X509Objects, DerAndPemRoundTripsThroughFiles) {
    x509fx::Pki pki;
    zrxtest::TempDir dir;
    TZrX509 ee = cert(pki.ee);
    EXPECT_EQ(ee.getClass(), 2);
    for (bool pem : {false, true}) {
        std::string f = dir.file(pem ? "ee.pem" : "ee.crt");
        ASSERT_EQ(ee.writeFile(f.c_str(), pem), 0u);
        std::string bytes = zrxtest::readFile(f);
        EXPECT_EQ(bytes.rfind("-----BEGIN CERTIFICATE-----", 0) == 0, pem);
        TZrX509 back;
        ASSERT_EQ(back.readFile(f.c_str()), 0u);
        EXPECT_EQ(X509_cmp(back.handle(), pki.ee), 0);
    }

    TZrXCrl crl;
    std::vector<uint8_t> crlDer = x509fx::der(pki.crl);
    ASSERT_EQ(crl.decode(crlDer.data(), crlDer.size()), 0u);
    EXPECT_EQ(crl.getClass(), 16);
    ASSERT_TRUE(crl.saveToFile(dir.file("l.crl").c_str(), true));
    TZrXCrl crl2;
    ASSERT_TRUE(crl2.loadFromFile(dir.file("l.crl").c_str()));
    EXPECT_EQ(crl2.numRev(), 2);
    EXPECT_TRUE(crl2.isRevoked("1235"));
    EXPECT_FALSE(crl2.isRevoked("1234"));
    EXPECT_TRUE(crl2.isRevoked("00:12:35"));  // leading zeros and separators
    EXPECT_TRUE(crl2.isRevoked("77"));
    EXPECT_FALSE(crl2.isRevoked(""));
    EXPECT_FALSE(crl2.isRevoked("7"));  // not a whole byte
    EXPECT_EQ(crl2.verify(cert(pki.inter)), 0u);

    // a missing file and a file of another kind are failures
    TZrX509 none;
    EXPECT_EQ(none.readFile(dir.file("absent.crt").c_str()), kErrFileRead);
    EXPECT_EQ(none.readFile(dir.file("l.crl").c_str()), kErrDerDecode);
    EXPECT_TRUE(none.isEmpty());
}

TEST(X509Objects, CopyIntoCallerBufferHonoursItsSize) {
    x509fx::Pki pki;
    TZrX509 ee = cert(pki.ee);
    std::vector<uint8_t> der = x509fx::der(pki.ee);
    std::vector<uint8_t> buf(der.size() + 8, 0xAB);
    size_t len = der.size() - 1;
    EXPECT_EQ(ee.copyTo(buf.data(), &len), kErrBufferTooSmall);
    EXPECT_EQ(len, der.size());
    for (uint8_t b : buf) ASSERT_EQ(b, 0xAB);  // nothing written
    len = der.size();
    ASSERT_EQ(ee.copyTo(buf.data(), &len), 0u);
    EXPECT_EQ(0, memcmp(buf.data(), der.data(), der.size()));
    EXPECT_EQ(buf[der.size()], 0xAB);

    unsigned char* p = nullptr;
    int n = ee.i2d(&p);
    ASSERT_EQ(n, static_cast<int>(der.size()));
    OPENSSL_free(p);
    TZrX509 empty;
    EXPECT_EQ(empty.i2d(&p), -1);
    EXPECT_EQ(p, nullptr);
}

TEST(X509Objects, NamesFlagsAndExtensionsReadBack) {
    x509fx::Pki pki;
    TZrX509 root = cert(pki.root), inter = cert(pki.inter), ee = cert(pki.ee), ka = cert(pki.ka);

    EXPECT_EQ(ee.ownerName(), "Петренко Иван");
    EXPECT_EQ(ee.getSubject()->getEntryByName("zorenUID"), "U-42");
    EXPECT_EQ(ee.getSubject()->getEntryByNid(zrxNid(ZrXObject::UserID)), "U-42");
    EXPECT_STREQ(ee.profile(), "user");
    EXPECT_EQ(ee.getIssuer()->getEntryByNid(NID_serialNumber), "UA-0002");
    EXPECT_EQ(inter.getSubjectSerial(), "UA-0002");
    EXPECT_EQ(ee.getSerialStr(), "1234");
    EXPECT_GT(ee.getNotAfter_time(), ee.getNotBefore_time());
    EXPECT_EQ(ee.checkDate(), 0);
    EXPECT_EQ(ee.checkDate(ee.getNotAfter_time() + 1), -1);
    EXPECT_EQ(ee.checkDate(ee.getNotBefore_time() - 1), 1);
    EXPECT_EQ(ee.computeStatus(), static_cast<uint32_t>(zsValid));
    // far beyond 2038
    EXPECT_EQ(ee.computeStatus(4102444800LL), static_cast<uint32_t>(zsExpired));

    EXPECT_TRUE(root.isRootCA());
    EXPECT_TRUE(inter.isCA());
    EXPECT_FALSE(inter.isRootCA());
    EXPECT_FALSE(ee.isCA());
    EXPECT_TRUE(root.keyFlags() & zfCA);
    EXPECT_TRUE(root.keyFlags() & zfRoot);
    uint32_t f = ee.keyFlags();
    EXPECT_TRUE(f & zfSignature);
    EXPECT_FALSE(f & zfKeyAgreement);
    EXPECT_TRUE(f & zfTlsClient);
    EXPECT_TRUE(f & zfStart);
    EXPECT_TRUE(ee.isStart());
    EXPECT_TRUE(ee.isForSign());
    EXPECT_EQ(ka.keyFlags() & (zfSignature | zfKeyAgreement), static_cast<uint32_t>(zfKeyAgreement));
    EXPECT_EQ(ka.isForKeyAgreement(), 1);
    EXPECT_EQ(ee.getKindDescirption(false), " ЭП");
    EXPECT_EQ(ka.getKindDescirption(true), "связи");

    EXPECT_EQ(ee.getAuthKeyID(), inter.keyID());
    EXPECT_EQ(ee.getKeyIDStr().length(), 40u);
    TCIdentifier id;
    ASSERT_EQ(id.parse(ee.keyID().toHex(true).c_str()), 0u);
    EXPECT_EQ(id, ee.keyID());
    EXPECT_EQ(id.parse("zz"), kErrBadValue);

    TCXExtList list;
    list.fromX509v3(ee.extensions());
    TCX509ExtEntry* ku = list.findByNid(NID_key_usage);
    ASSERT_NE(ku, nullptr);
    EXPECT_EQ(ku->getValue(), "digitalSignature,nonRepudiation");
    EXPECT_TRUE(ku->critical());
    EXPECT_NE(list.findByPath("extendedKeyUsage\\tempCertificate"), nullptr);
    EXPECT_NE(list.findByPath("extendedKeyUsage\\clientAuth"), nullptr);
    EXPECT_EQ(list.findByPath("extendedKeyUsage\\serverAuth"), nullptr);
    ASSERT_NE(list.findByNid(NID_subject_alt_name), nullptr);
    EXPECT_EQ(list.findByNid(NID_subject_alt_name)->getValue(), "email:ivan@example.ua");
    ASSERT_NE(list.findByNid(NID_certificate_policies), nullptr);
    EXPECT_EQ(list.findByNid(NID_certificate_policies)->getValue(), "1.2.804.2.1.1.1.2.2");
}

TEST(X509Objects, ChainIsBuiltVerifiedAndFailuresArePlaced) {
    x509fx::Pki pki;
    TZrX509 ee = cert(pki.ee);
    TZrX509List set;
    set.add(cert(pki.root));
    set.add(cert(pki.inter));
    EXPECT_EQ(set.add(cert(pki.inter)), 1);  // twins are not stored twice

    TCXCertsChain chain;
    ASSERT_EQ(chain.build(ee, set), 0u);
    ASSERT_EQ(chain.count(), 3);
    EXPECT_EQ(X509_cmp(chain.getFirst()->handle(), pki.ee), 0);
    int pos = 1;
    EXPECT_FALSE(chain.isBroken(&pos));
    pos = -1;
    EXPECT_EQ(chain.verify(&pos), 0u);
    EXPECT_EQ(chain.verifyCert(cert(pki.ka)), 0u);
    EXPECT_EQ(chain.findSigner(ee), chain.at(1));
    // the issuer attached for the views, only when it signed the certificate
    TZrX509 shown = ee;
    EXPECT_EQ(shown.signerCount(), 0);
    EXPECT_EQ(shown.attachSigner(cert(pki.root)), kErrNameMismatch);
    ASSERT_EQ(shown.attachSigner(cert(pki.inter)), 0u);
    ASSERT_EQ(shown.signerCount(), 1);
    EXPECT_EQ(shown.getSigner(0)->ownerName(), "Промежуточный ЦСК");
    TZrX509 copied(shown);
    EXPECT_EQ(copied.signerCount(), 1);
    EXPECT_EQ(chain.findSigner(*chain.at(2)), chain.at(2));  // a root signed itself
    EXPECT_EQ(chain.byKeyIDStr(ee.getKeyIDStr().c_str()), chain.at(0));
    TCStringList ids;
    ids.add("00");
    EXPECT_FALSE(chain.containsAnyCert(ids));
    ids.add(cert(pki.inter).getKeyIDStr());
    EXPECT_TRUE(chain.containsAnyCert(ids));

    // from a certificate and a look-up, as the registration code does
    LookupSet lookup{{pki.inter, pki.root}};
    TCXCertsChain looked;
    ASSERT_EQ(looked.load(ee, lookupIssuer, &lookup), 0u);
    EXPECT_EQ(looked.count(), 3);

    // without the intermediate: broken at the end-entity, verification fails there
    TCXCertsChain broken;
    broken.add(ee);
    broken.add(cert(pki.root));
    pos = 1;
    EXPECT_TRUE(broken.isBroken(&pos));
    EXPECT_EQ(pos, 1);
    EXPECT_EQ(broken.verify(&pos), kErrIssuerNotFound);
    EXPECT_EQ(pos, 1);
    // ... unless the look-up supplies it
    EXPECT_EQ(broken.verify(&pos, lookupIssuer, &lookup), 0u);

    // a tampered intermediate (signature bytes changed) fails at its position
    std::vector<uint8_t> bad = x509fx::der(pki.inter);
    bad[bad.size() - 5] ^= 0x55;
    TZrX509 badInter;
    ASSERT_EQ(badInter.decode(bad.data(), bad.size()), 0u);
    TCXCertsChain tampered;
    tampered.add(ee);
    tampered.add(badInter);
    tampered.add(cert(pki.root));
    pos = 0;
    KResult rc = tampered.verify(&pos);
    EXPECT_EQ(rc, kErrBadSignature);
    EXPECT_EQ(pos, 2);

    // an expired end-entity certificate fails at position 1
    x509fx::CertSpec old;
    old.subject = {{"CN", "Старый"}};
    old.notBeforeOffset = -20L * 86400;
    old.notAfterOffset = -10L * 86400;
    EVP_PKEY* k = x509fx::newKey();
    X509* expired = x509fx::makeCert(old, k, pki.inter, pki.interKey);
    TCXCertsChain exp;
    exp.add(TZrX509(expired));
    exp.add(cert(pki.inter));
    exp.add(cert(pki.root));
    EXPECT_EQ(exp.verify(&pos), kErrExpired);
    EXPECT_EQ(pos, 1);
    X509_free(expired);
    EVP_PKEY_free(k);

    TCXCertsChain empty;
    EXPECT_EQ(empty.getFirst(), nullptr);
    EXPECT_TRUE(failed(empty.verify(&pos)));
}

TEST(X509Objects, ChainBuildingStopsOnCycles) {
    // Two authorities that certify each other under the same names.
    EVP_PKEY* ka = x509fx::newKey();
    EVP_PKEY* kb = x509fx::newKey();
    x509fx::CertSpec a, b;
    a.subject = {{"CN", "A"}};
    b.subject = {{"CN", "B"}};
    a.exts = b.exts = {{NID_basic_constraints, "CA:TRUE"}};
    X509* bSelf = x509fx::makeCert(b, kb, nullptr, nullptr);
    X509* aByB = x509fx::makeCert(a, ka, bSelf, kb);
    X509* bByA = x509fx::makeCert(b, kb, aByB, ka);
    LookupSet lookup{{bByA, aByB}};
    TCXCertsChain chain;
    EXPECT_EQ(chain.load(TZrX509(aByB), lookupIssuer, &lookup), kErrChainCycle);
    EXPECT_LE(chain.count(), 2);
    EXPECT_LE(lookup.calls, 3);
    TZrX509List set;
    set.add(TZrX509(aByB));
    set.add(TZrX509(bByA));
    EXPECT_EQ(chain.build(TZrX509(aByB), set), kErrChainCycle);
    int pos = 0;
    EXPECT_TRUE(failed(chain.verify(&pos, lookupIssuer, &lookup)));
    for (X509* x : {bSelf, aByB, bByA}) X509_free(x);
    EVP_PKEY_free(ka);
    EVP_PKEY_free(kb);
}

TEST(X509Objects, Pkcs7SetsReadAndWriteInBothForms) {
    x509fx::Pki pki;
    zrxtest::TempDir dir;
    TZrX509List list;
    list.add(cert(pki.ee));
    list.add(cert(pki.inter));
    list.add(cert(pki.root));
    for (bool pem : {false, true}) {
        std::string f = dir.file(pem ? "c.pem" : "c.p7b");
        ASSERT_EQ(list.writeP7(f.c_str(), pem), 0u);
        TCXCertsChain back;
        ASSERT_EQ(back.readP7(f.c_str()), 0u);
        EXPECT_EQ(back.count(), 3);
        int pos = 0;
        EXPECT_EQ(back.verify(&pos), 0u);
        // OpenSSL reads what we wrote
        std::string cmd = "openssl pkcs7 -inform " + std::string(pem ? "PEM" : "DER") + " -in " + f +
                          " -print_certs -noout > " + dir.file("out.txt") + " 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        EXPECT_NE(zrxtest::readFile(dir.file("out.txt")).find("subject="), std::string::npos);
    }
    // a bundle written by OpenSSL's tools reads too
    TZrX509(pki.root).writeFile(dir.file("root.pem").c_str(), true);
    TZrX509(pki.inter).writeFile(dir.file("inter.pem").c_str(), true);
    std::string cmd = "openssl crl2pkcs7 -nocrl -certfile " + dir.file("root.pem") + " -certfile " +
                      dir.file("inter.pem") + " -outform DER -out " + dir.file("tool.p7b");
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    TZrX509List tool;
    ASSERT_EQ(tool.readP7(dir.file("tool.p7b").c_str()), 0u);
    EXPECT_EQ(tool.count(), 2);
    // a PEM bundle of plain certificates
    std::string bundle = zrxtest::readFile(dir.file("root.pem")) + zrxtest::readFile(dir.file("inter.pem"));
    EXPECT_EQ(tool.fromBin(bundle.data(), bundle.size()), 0u);
    EXPECT_EQ(tool.count(), 2);
}

TEST(X509Objects, SelfIssuedCertificateFromRequestVerifiesWithOpenSSL) {
    zrxtest::TempDir dir;
    EVP_PKEY* key = x509fx::newKey();
    TZrX509Name subject;
    ASSERT_EQ(subject.addEntry("CN", "Самовыпущенный"), 0u);
    ASSERT_EQ(subject.addEntry("zorenProfileID", "p1"), 0u);
    EXPECT_EQ(subject.addEntry("noSuchAttr", "x"), kErrUnknownObject);
    TX509v3ExtList exts;
    ASSERT_EQ(exts.addExt(NID_key_usage, "critical,digitalSignature,keyCertSign"), 0u);
    ASSERT_EQ(exts.addExt(NID_basic_constraints, "CA:TRUE"), 0u);
    TZrX509Req req;
    ASSERT_EQ(req.make(subject, key, &exts), 0u);
    EXPECT_EQ(req.getClass(), 3);
    EXPECT_EQ(req.verifySelf(), 0u);
    EXPECT_STREQ(req.profile(), "p1");
    ASSERT_TRUE(req.saveToFile(dir.file("r.p10").c_str(), false));
    TZrX509Req reqBack;
    ASSERT_TRUE(reqBack.loadFromFile(dir.file("r.p10").c_str()));
    EXPECT_EQ(reqBack.keyID(), req.keyID());
    EXPECT_EQ(std::system(("openssl req -inform DER -in " + dir.file("r.p10") + " -verify -noout 2>/dev/null").c_str()),
              0);

    TZrX509 c;
    ASSERT_EQ(c.fromRequest(reqBack), 0u);
    int64_t start = TCASN1Time::now() - 60, end = start + 366LL * 86400;
    EVP_PKEY* other = x509fx::newKey();
    EXPECT_EQ(c.mkSelfIssued(other, start, end), kErrNoKey);
    EXPECT_EQ(c.mkSelfIssued(key, end, start), kErrInvalidArg);
    ASSERT_EQ(c.mkSelfIssued(key, start, end), 0u);
    EXPECT_EQ(c.getNotBefore_time(), start);
    EXPECT_EQ(c.getNotAfter_time(), end);
    EXPECT_EQ(c.ownerName(), "Самовыпущенный");
    EXPECT_TRUE(c.isSelfSigned());
    EXPECT_EQ(c.verify(c), 0u);
    EXPECT_EQ(c.keyID(), req.keyID());
    ASSERT_TRUE(c.saveToFile(dir.file("self.pem").c_str(), true));
    std::string f = dir.file("self.pem");
    EXPECT_EQ(std::system(("openssl verify -check_ss_sig -CAfile " + f + " " + f + " >/dev/null 2>&1").c_str()), 0);

    // a request made back from the certificate keeps only the named own attributes
    TZrX509Req again;
    ASSERT_EQ(again.fromExistX509(c, "zorenUID", nullptr, key), 0u);
    EXPECT_EQ(again.verifySelf(), 0u);
    EXPECT_TRUE(again.getSubject()->getEntryByName("zorenProfileID").isEmpty());
    EXPECT_EQ(again.ownerName(), "Самовыпущенный");
    TZrX509Req unsignedReq;
    ASSERT_EQ(unsignedReq.fromExistX509(c, "zorenUID;zorenProfileID", nullptr), 0u);
    EXPECT_STREQ(unsignedReq.profile(), "p1");
    EXPECT_TRUE(failed(unsignedReq.verifySelf()));
    EVP_PKEY_free(other);
    EVP_PKEY_free(key);
}

TEST(X509Objects, RevocationRequestIsSignedAndReadBack) {
    x509fx::Pki pki;
    TZrX509 ee = cert(pki.ee);
    std::unique_ptr<TZrXRevokedCert> entry(ee.makeRev(6, 1700000000, 0, true));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->serialStr(), "1234");
    TZrXRevReq rr(*entry);
    EXPECT_EQ(rr.getClass(), 9);
    std::vector<uint8_t> der;
    EXPECT_EQ(rr.encode(der), kErrNotSigned);
    EXPECT_EQ(rr.sign(ee, pki.kaKey), kErrNoKey);  // not the certificate's key
    ASSERT_EQ(rr.sign(ee, pki.eeKey), 0u);
    ASSERT_EQ(rr.encode(der), 0u);

    TZrXRevReq back;
    ASSERT_EQ(back.decode(der.data(), der.size()), 0u);
    const TZrXRevokedCert* e = back.revokedCert();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->reason, 6);
    EXPECT_EQ(e->revocationTime, 1700000000);
    EXPECT_EQ(e->serialStr(), "1234");
    EXPECT_EQ(e->ownerName, "Петренко Иван");
    EXPECT_TRUE(e->issuer == *ee.getIssuer());
    EXPECT_EQ(back.ownerName(), "Петренко Иван");
    EXPECT_EQ(back.verifySignatures(), 0u);
    ASSERT_NE(back.getSigner(0), nullptr);
    EXPECT_EQ(X509_cmp(back.getSigner(0)->handle(), pki.ee), 0);
    EXPECT_EQ(getRevokedReason(6), "Блокирование сертификата");

    // a changed byte inside the signed record no longer verifies
    std::vector<uint8_t> inner;
    ASSERT_EQ(back.encodeRecord(inner), 0u);
    auto it = std::search(der.begin(), der.end(), inner.begin(), inner.end());
    ASSERT_NE(it, der.end());
    *(it + static_cast<long>(inner.size()) - 3) ^= 1;
    TZrXRevReq tampered;
    if (tampered.decode(der.data(), der.size()) == 0) {
        EXPECT_TRUE(failed(tampered.verifySignatures()));
    }

    // ordinary signed data is not a revocation request
    TZrXSignedReq other;
    TZrX509Req req;
    ASSERT_EQ(req.fromExistX509(ee, "", nullptr, pki.eeKey), 0u);
    ASSERT_EQ(other.sign(req, ee, pki.eeKey), 0u);
    ASSERT_EQ(other.encode(der), 0u);
    EXPECT_EQ(back.decode(der.data(), der.size()), kErrDerDecode);
}

TEST(X509Objects, SignedRequestCarriesSignerAndConfirmation) {
    x509fx::Pki pki;
    TZrX509 ee = cert(pki.ee);
    EVP_PKEY* newKey = x509fx::newKey();
    TZrX509Req req;
    ASSERT_EQ(req.make(*ee.getSubject(), newKey, nullptr), 0u);
    TZrXSignedReq sr;
    ASSERT_EQ(sr.sign(req, ee, pki.eeKey), 0u);
    std::vector<uint8_t> der;
    ASSERT_EQ(sr.encode(der), 0u);
    TZrXSignedReq back;
    ASSERT_EQ(back.decode(der.data(), der.size()), 0u);
    EXPECT_EQ(back.getClass(), 8);
    EXPECT_EQ(back.numCert(), 1);
    ASSERT_NE(back.lastIssuer(), nullptr);
    EXPECT_EQ(back.keyID(), req.keyID());
    EXPECT_EQ(back.ownerName(), "Петренко Иван");
    TZrXConfirmedMode m = back.getConfirmedMode();
    EXPECT_TRUE(m.confirmedByStart);  // the fixture's certificate is a start-up one

    // signed without the certificate: the look-up completes the list
    std::vector<uint8_t> reqDer;
    req.encode(reqDer);
    BIO* data = BIO_new_mem_buf(reqDer.data(), static_cast<int>(reqDer.size()));
    CMS_ContentInfo* cms = CMS_sign(pki.ka /*any*/, pki.kaKey, nullptr, data, CMS_BINARY | CMS_NOCERTS);
    BIO_free(data);
    ASSERT_NE(cms, nullptr);
    std::vector<uint8_t> bare(static_cast<size_t>(i2d_CMS_ContentInfo(cms, nullptr)));
    unsigned char* p = bare.data();
    i2d_CMS_ContentInfo(cms, &p);
    CMS_ContentInfo_free(cms);
    TZrXSignedReq nocerts;
    ASSERT_EQ(nocerts.decode(bare.data(), bare.size()), 0u);
    EXPECT_EQ(nocerts.numCert(), 0);
    EXPECT_EQ(nocerts.lastIssuer(), nullptr);
    LookupSet lookup{{pki.ka}};
    auto bySerial = [](void* ctx, const TCASN1OctetString&, const TZrX509Name*, const char* serial) -> TZrX509* {
        for (X509* x : static_cast<LookupSet*>(ctx)->certs)
            if (serial && TZrX509(x).getSerialStr() == serial) return new TZrX509(x);
        return nullptr;
    };
    EXPECT_EQ(nocerts.initCertList(bySerial, &lookup), 1);
    ASSERT_NE(nocerts.lastIssuer(), nullptr);
    EXPECT_EQ(nocerts.verifySignatures(), 0u);
    EVP_PKEY_free(newKey);
}

// A value with an embedded NUL is shown whole, the NUL visibly, in the
// subject, the alternative names and the title of every object's view.
TEST(X509Objects, HtmlShowsNamesWholePastAnEmbeddedNul) {
    const std::string cn("www.bank.ua\0.evil.example", 25);
    const std::string org("\0Bank", 5);
    const std::string dns("pay.bank.ua\0.evil.example", 25);
    const std::string mail("a@bank.ua\0@evil.example", 23);
    EVP_PKEY* k = x509fx::newKey();
    x509fx::CertSpec spec;
    spec.subject = {{"C", "UA"}};
    X509* x = x509fx::makeCert(spec, k, nullptr, nullptr);
    for (X509_NAME* n : {X509_get_subject_name(x), X509_get_issuer_name(x)}) {
        X509_NAME_add_entry_by_txt(n, "O", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(org.data()),
                                   int(org.size()), -1, 0);
        X509_NAME_add_entry_by_txt(n, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(cn.data()),
                                   int(cn.size()), -1, 0);
    }
    GENERAL_NAMES* names = sk_GENERAL_NAME_new_null();
    for (const auto& [type, value] : {std::pair{GEN_DNS, dns}, std::pair{GEN_EMAIL, mail}}) {
        ASN1_IA5STRING* ia5 = ASN1_IA5STRING_new();
        ASN1_STRING_set(ia5, value.data(), int(value.size()));
        GENERAL_NAME* gn = GENERAL_NAME_new();
        GENERAL_NAME_set0_value(gn, type, ia5);
        sk_GENERAL_NAME_push(names, gn);
    }
    X509_add1_ext_i2d(x, NID_subject_alt_name, names, 0, X509V3_ADD_DEFAULT);
    GENERAL_NAMES_free(names);
    X509_sign(x, k, EVP_sha256());
    TZrX509 c(x);
    EXPECT_EQ(c.ownerName().str(), cn);

    TZrX509Req req;
    ASSERT_EQ(req.make(*c.getSubject(), k, nullptr), 0u);
    TZrXPkcs7 set;
    set.addCert(c);
    std::unique_ptr<TZrXRevokedCert> entry(c.makeRev(1, 0, 0, true));
    TZrXRevReq rr(*entry);
    ASSERT_EQ(rr.sign(c, k), 0u);
    const struct {
        const TZrX509Base* object;
        std::vector<const char*> shown;
    } cases[] = {
        {&c,
         {"www.bank.ua\\00.evil.example", "\\00Bank", "pay.bank.ua\\00.evil.example", "a@bank.ua\\00@evil.example"}},
        {&req, {"www.bank.ua\\00.evil.example", "\\00Bank"}},
        {&set, {"www.bank.ua\\00.evil.example"}},
        {&rr, {"www.bank.ua\\00.evil.example"}},
    };
    for (const auto& t : cases) {
        for (int mode : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "class " << t.object->getClass() << ", mode " << mode);
            TCString html;
            t.object->htmlView(html, mode);
            EXPECT_EQ(html.str().find('\0'), std::string::npos);
            for (const char* value : t.shown) EXPECT_TRUE(contains(html, value)) << value;
        }
    }
    EXPECT_EQ(zrxVisibleText(cn).str(), "www.bank.ua\\00.evil.example");
    X509_free(x);
    EVP_PKEY_free(k);
}

TEST(X509Objects, HtmlShowsKeyFactsAndEscapesHostileNames) {
    x509fx::Pki pki;
    TZrX509 ee = cert(pki.ee);
    for (int mode : {0, 1}) {
        TCString html;
        ee.htmlView(html, mode);
        EXPECT_TRUE(contains(html, "Петренко Иван"));
        EXPECT_TRUE(contains(html, "1234"));  // serial
        EXPECT_TRUE(contains(html, "SHA-256"));
        EXPECT_TRUE(contains(html, zrxHtmlBreakable(ee.fingerprint(EVP_sha256())).c_str()));
        EXPECT_TRUE(contains(html, zrxHtmlBreakable(ee.keyID().toHex(true)).c_str()));
        EXPECT_TRUE(contains(html, "Стартовый сертификат"));  // our own usage decoded
        EXPECT_TRUE(contains(html, "Использование ключа"));
        EXPECT_TRUE(contains(html, "Промежуточный ЦСК"));
        EXPECT_TRUE(contains(html, "charset=utf-8"));
        EXPECT_EQ(contains(html, "Дата формирования"), mode == 1);
    }

    EVP_PKEY* k = x509fx::newKey();
    x509fx::CertSpec hostile;
    hostile.subject = {{"CN", "<script>alert('x')</script> & \"co\""}, {"O", "<b>bold</b>"}};
    X509* hx = x509fx::makeCert(hostile, k, nullptr, nullptr);
    TZrX509 h(hx);
    TZrX509Req hr;
    ASSERT_EQ(hr.make(*h.getSubject(), k, nullptr), 0u);
    TZrXPkcs7 set;
    set.addCert(h);
    std::unique_ptr<TZrXRevokedCert> entry(h.makeRev(1, 0, 0, true));
    TZrXRevReq rr(*entry);
    ASSERT_EQ(rr.sign(h, k), 0u);
    std::vector<const TZrX509Base*> objs = {&h, &hr, &set, &rr};
    for (const TZrX509Base* o : objs) {
        for (int mode : {0, 1}) {
            TCString html;
            o->htmlView(html, mode);
            EXPECT_FALSE(contains(html, "<script")) << o->getClass();
            EXPECT_FALSE(contains(html, "<b>bold")) << o->getClass();
            EXPECT_TRUE(contains(html, "&lt;script&gt;")) << o->getClass();
        }
    }
    TCString frag;
    entry->htmlView(frag, 0, getRevokedCertCaption(entry.get(), 1).c_str());
    EXPECT_FALSE(contains(frag, "<script"));
    EXPECT_TRUE(contains(frag, "Компрометация ключа"));
    X509_free(hx);
    EVP_PKEY_free(k);

    // request, list (with and without entries) and the signed request
    TZrX509Req req;
    ASSERT_EQ(req.fromExistX509(ee, "zorenUID", nullptr, pki.eeKey), 0u);
    TCString html;
    req.htmlView(html, 0);
    EXPECT_TRUE(contains(html, "Запрос на сертификат ключа ЭП"));
    EXPECT_TRUE(contains(html, "Подпись запроса верна"));
    TZrXCrl crl;
    std::vector<uint8_t> crlDer = x509fx::der(pki.crl);
    crl.decode(crlDer.data(), crlDer.size());
    crl.htmlView(html, 0);
    EXPECT_TRUE(contains(html, "Промежуточный ЦСК"));
    EXPECT_TRUE(contains(html, "1235"));
    EXPECT_TRUE(contains(html, "Компрометация ключа"));
    crl.htmlView(html, true);
    EXPECT_TRUE(contains(html, "Дата формирования"));

    // a list of more than 1000 entries shows its summary; the full list on request
    X509_CRL* big = X509_CRL_new();
    X509_CRL_set_issuer_name(big, X509_get_subject_name(pki.inter));
    ASN1_TIME* now = ASN1_TIME_adj(nullptr, time(nullptr), 0, 0);
    X509_CRL_set1_lastUpdate(big, now);
    for (long sn = 1; sn <= 1001; ++sn) {
        X509_REVOKED* rv = X509_REVOKED_new();
        ASN1_INTEGER* s = ASN1_INTEGER_new();
        ASN1_INTEGER_set(s, 0x100000 + sn);
        X509_REVOKED_set_serialNumber(rv, s);
        X509_REVOKED_set_revocationDate(rv, now);
        ASN1_INTEGER_free(s);
        X509_CRL_add0_revoked(big, rv);
    }
    ASN1_TIME_free(now);
    X509_CRL_sign(big, pki.interKey, EVP_sha256());
    std::vector<uint8_t> bigDer = x509fx::der(big);
    X509_CRL_free(big);
    TZrXCrl bigCrl;
    ASSERT_EQ(bigCrl.decode(bigDer.data(), bigDer.size()), 0u);
    EXPECT_EQ(bigCrl.numRev(), 1001);
    bigCrl.htmlView(html, 0);
    EXPECT_FALSE(contains(html, "1003E9"));
    EXPECT_TRUE(contains(html, "Показать список элементов"));
    bigCrl.htmlView(html, false);
    EXPECT_TRUE(contains(html, "1003E9"));
}

TEST(X509Objects, DamagedInputIsAFailureNeverACrash) {
    x509fx::Pki pki;
    TZrX509 ee = cert(pki.ee);
    TZrX509Req req;
    ASSERT_EQ(req.fromExistX509(ee, "", nullptr, pki.eeKey), 0u);
    TZrXSignedReq sr;
    ASSERT_EQ(sr.sign(req, ee, pki.eeKey), 0u);
    std::unique_ptr<TZrXRevokedCert> entry(ee.makeRev(6, 0, 0, false));
    TZrXRevReq rr(*entry);
    ASSERT_EQ(rr.sign(ee, pki.eeKey), 0u);
    TZrXCrl crl;
    std::vector<uint8_t> crlDer = x509fx::der(pki.crl);
    crl.decode(crlDer.data(), crlDer.size());

    struct Case {
        const char* what;
        TCASN1Base* sample;
        std::function<std::unique_ptr<TCASN1Base>()> make;
    };
    std::vector<Case> cases = {
        {"certificate", &ee, [] { return std::make_unique<TZrX509>(); }},
        {"request", &req, [] { return std::make_unique<TZrX509Req>(); }},
        {"signed request", &sr, [] { return std::make_unique<TZrXSignedReq>(); }},
        {"revocation request", &rr, [] { return std::make_unique<TZrXRevReq>(); }},
        {"crl", &crl, [] { return std::make_unique<TZrXCrl>(); }},
        {"pkcs7", &sr, [] { return std::make_unique<TZrXPkcs7>(); }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> der;
        ASSERT_EQ(c.sample->encode(der), 0u) << c.what;
        // the whole encoding reads back to the same bytes; one byte more is not one object
        {
            auto obj = c.make();
            ASSERT_EQ(obj->decode(der.data(), der.size()), 0u) << c.what;
            std::vector<uint8_t> again;
            ASSERT_EQ(obj->encode(again), 0u) << c.what;
            EXPECT_EQ(again, der) << c.what;
            std::vector<uint8_t> longer = der;
            longer.push_back(0);
            EXPECT_TRUE(failed(c.make()->decode(longer.data(), longer.size()))) << c.what;
        }
        // every truncation
        for (size_t n = 0; n < der.size(); n += (n < 64 ? 1 : 7)) {
            auto obj = c.make();
            EXPECT_TRUE(failed(obj->decode(der.data(), n))) << c.what << " at " << n;
            EXPECT_TRUE(obj->isEmpty() || c.make()->getClass() == 20) << c.what;
            TCString html;
            obj->htmlView(html, 0);  // an empty object still renders
        }
        // single byte changes and random data
        for (int i = 0; i < 200; ++i) {
            std::vector<uint8_t> m = der;
            unsigned char r[3];
            RAND_bytes(r, sizeof(r));
            m[(static_cast<size_t>(r[0]) << 8 | r[1]) % m.size()] ^= static_cast<uint8_t>(r[2] | 1);
            auto obj = c.make();
            if (!failed(obj->decodeAny(m.data(), m.size()))) {
                TCString html;
                obj->htmlView(html, 1);
                std::vector<uint8_t> again;
                obj->encode(again);
            }
        }
        // PEM with a damaged body
        std::string pem = "-----BEGIN CERTIFICATE-----\nMIIB!!!!\n-----END CERTIFICATE-----\n";
        EXPECT_TRUE(failed(c.make()->decodeAny(pem.data(), pem.size()))) << c.what;
        EXPECT_TRUE(failed(c.make()->decodeAny(nullptr, 0))) << c.what;
    }
    std::vector<uint8_t> noise(4096);
    RAND_bytes(noise.data(), static_cast<int>(noise.size()));
    TZrX509List list;
    EXPECT_TRUE(failed(list.fromBin(noise.data(), noise.size())));
    EXPECT_TRUE(failed(list.fromBin(crlDer.data(), crlDer.size() / 2)));
    EXPECT_EQ(list.count(), 0);
}

TEST(X509Objects, ExtensionEntriesListsAndFormats) {
    zrxRegisterObjects();
    TCX509ExtEntry e;
    ASSERT_EQ(e.parse("!zorenStorageName?string|Носитель:Токен №1"), 0u);
    EXPECT_TRUE(e.critical());
    EXPECT_EQ(e.getNid(), zrxNid(ZrXObject::StorageName));
    EXPECT_EQ(e.caption(), "Носитель");
    EXPECT_EQ(e.getValue(), "Токен №1");
    X509_EXTENSION* ext = nullptr;
    ASSERT_EQ(e.toExtension(&ext), 0u);
    TCX509ExtEntry back;
    ASSERT_EQ(back.fromExtension(ext), 0u);
    EXPECT_EQ(back.getValue(), "Токен №1");
    EXPECT_TRUE(back.critical());
    X509_EXTENSION_free(ext);
    EXPECT_EQ(e.parse("?string:x"), kErrBadValue);
    EXPECT_EQ(e.parse("noSuchObject:x"), kErrUnknownObject);

    // the encoded list: merge, start-up usage removal, our own extensions
    TCXExtList edits;
    ASSERT_EQ(edits.setValueTo(NID_ext_key_usage, false, "clientAuth,tempCertificate"), 0u);
    ASSERT_EQ(edits.setValueTo(NID_key_usage, true, "digitalSignature"), 0u);
    ASSERT_EQ(edits.setValueTo(NID_subject_alt_name, false, "email:a@b.ua"), 0u);
    TX509v3ExtList x;
    ASSERT_EQ(x.mergeExts(edits), 0u);
    EXPECT_EQ(x.count(), 3);
    ASSERT_EQ(x.delEKUTempFlag(), 0u);
    TCXExtList read;
    read.fromX509v3(x);
    EXPECT_EQ(read.findByNid(NID_ext_key_usage)->getValue(), "clientAuth");
    ASSERT_EQ(x.addExt(zrxNid(ZrXObject::StorageName), "ТОКЕН-338"), 0u);
    X509_ALGOR* alg = X509_ALGOR_new();
    X509_ALGOR_set0(alg, OBJ_nid2obj(NID_X9_62_prime256v1), V_ASN1_UNDEF, nullptr);
    ASSERT_EQ(x.setKAExtPars(alg), 0u);
    X509_ALGOR_free(alg);
    EXPECT_NE(x.find(zrxNid(ZrXObject::KAParams)), nullptr);
    TCXExtList certPolicies;
    certPolicies.setValueTo(NID_certificate_policies, false, "1.2.3.4");
    ASSERT_EQ(x.mergeExt(certPolicies, "certificatePolicies"), 0u);
    ASSERT_EQ(x.mergeExt(certPolicies, "keyUsage"), 0u);  // absent there: nothing
    EXPECT_EQ(x.count(), 6);
    TCXExtList one;
    one.setValueTo(NID_key_usage, false, "keyAgreement");
    edits.merge(one, false);
    EXPECT_EQ(edits.findByNid(NID_key_usage)->getValue(), "digitalSignature");
    edits.merge(one, true);
    EXPECT_EQ(edits.findByNid(NID_key_usage)->getValue(), "keyAgreement");
    EXPECT_EQ(edits.count(), 3);

    // edit entries: bool forms, lengths in characters, paths
    TCXEditsEntry b("flag", xvtBool);
    EXPECT_EQ(b.setValue("так"), 0u);
    EXPECT_EQ(b.getValue(), "TRUE");
    EXPECT_EQ(b.setValue("ні"), 0u);
    EXPECT_EQ(b.getValue(), "FALSE");
    EXPECT_EQ(b.setValue("maybe"), kErrBadValue);
    TCXEditsEntry s("DRFOU_Code");
    s.setMaxLength(10);
    EXPECT_EQ(s.setValue("ЙЦУКЕНГШЩЗ"), 0u);  // 10 characters, 20 bytes
    EXPECT_EQ(s.setValue("ЙЦУКЕНГШЩЗХ"), kErrBadValue);
    s.setCanEmpty(false);
    s.setLongName("Код");
    EXPECT_EQ(s.longName_nf(), "Код*");
    EXPECT_EQ(xvtByName(xvtByType(xvtDateTime)), xvtDateTime);
    EXPECT_EQ(xvtByName("nonsense"), xvtNone);

    TCX509NameList names;
    names.addAttribute("CN", "Іван Петренко");
    names.addAttribute("zorenUID", "");
    auto* group = new TCXEditsEntry("address", xvtSimple);
    group->makeSubEntries();
    auto* l = new TCXEditsEntry("L", xvtString, nullptr, "Київ");
    l->setNid(NID_localityName);
    group->addSubEntry(l);
    names.add(group);
    EXPECT_EQ(names.findByPath("address\\L"), l);
    EXPECT_EQ(names.findByName("l", true), l);
    TZrX509Name n;
    ASSERT_EQ(names.toX509Name(n), 0u);
    EXPECT_EQ(n.count(), 2);  // the empty attribute is left out
    EXPECT_EQ(n.getEntryByNid(NID_localityName), "Київ");
    TCX509StubListEntry stub("root", &names);
    EXPECT_FALSE(stub.isSimple());
    EXPECT_EQ(stub.getSubEntries(), &names);
    TCX509NameList copy(names);
    EXPECT_NE(copy.findByPath("address\\L"), l);
    EXPECT_EQ(copy.findByPath("address\\L")->getValue(), "Київ");

    // Reading a name back: a repeated attribute keeps every value and an
    // attribute held inside a compound entry is filled there, not added twice.
    TZrX509Name readName;
    ASSERT_EQ(readName.addEntry("CN", "Олена"), 0u);
    ASSERT_EQ(readName.addEntry("OU", "Відділ 1"), 0u);
    ASSERT_EQ(readName.addEntry("OU", "Відділ 2"), 0u);
    ASSERT_EQ(readName.addEntry("L", "Львів"), 0u);
    TCX509NameList form(copy);
    form.addAttribute("OU");
    ASSERT_EQ(form.fromX509Name(readName), 0u);
    EXPECT_EQ(form.findByPath("address\\L")->getValue(), "Львів");
    TZrX509Name backName;
    ASSERT_EQ(form.toX509Name(backName), 0u);
    EXPECT_EQ(backName.count(), 4);
    int ous = 0;
    for (int i = 0; i < backName.count(); ++i)
        if (backName.entryNid(i) == NID_organizationalUnitName) {
            ++ous;
            EXPECT_EQ(backName.entryValue(i), ous == 1 ? "Відділ 1" : "Відділ 2");
        }
    EXPECT_EQ(ous, 2);
}

TEST(X509Objects, ErrorTextsAndCaptions) {
    EXPECT_EQ(ZrXGetErrorText(kErrBufferTooSmall), "Объект не помещается в отведённый буфер");
    EXPECT_FALSE(ZrXGetErrorText(kErrChainCycle).isEmpty());
    EXPECT_EQ(getZrXGI_caption(2), "сертификата");
    EXPECT_EQ(getZrXCaption(3), "Запрос на сертификат");
    EXPECT_EQ(TZrXRevReq().gi_caption(), "запроса на отмену сертификата");
    // our objects have names and identifiers of their own, not the original's numbers
    for (int i = 0; i < static_cast<int>(ZrXObject::Count_); ++i) {
        int nid = zrxNid(static_cast<ZrXObject>(i));
        EXPECT_NE(nid, NID_undef);
        EXPECT_STREQ(OBJ_nid2sn(nid), zrxShortName(static_cast<ZrXObject>(i)));
        EXPECT_TRUE(zrxIsOwnObject(nid));
    }
    EXPECT_FALSE(zrxIsOwnObject(NID_commonName));
    EXPECT_FALSE(zrxIsOwnObject(NID_undef));
}

// Every extended-key-usage name the request-property frames and the device
// key usage look up by name is registered, with a long name for its caption.
TEST(ObjectRegistry, KeyUsageNamesOfTheRequestFramesAreKnown) {
    zrxRegisterObjects();
    for (const char* name : {"issueOrdinaryCert", "UAExtKeyUsage_Stamp", "UAExtKeyUsage_RA", "tokenAuthor338",
                             "zorenCMP", "tempCertificate", "genKAKeys"}) {
        EXPECT_NE(OBJ_sn2nid(name), NID_undef) << name;
        EXPECT_NE(OBJ_nid2ln(OBJ_sn2nid(name)), nullptr) << name;
        EXPECT_TRUE(zrxIsOwnObject(zrxNidOf(name))) << name;
    }
    EXPECT_STREQ(zrxShortName(ZrXObject::TokenAuthor338), "tokenAuthor338");
    EXPECT_EQ(OBJ_sn2nid("iitThokenAuthor338"), NID_undef);
}

// The frames look usages up by short name only and caption them by long name.
TEST(ObjectRegistry, ShortNamesAndLongNames) {
    EXPECT_EQ(zrxNidOfShortName("extendedKeyUsage"), NID_ext_key_usage);
    EXPECT_EQ(zrxNidOfShortName("clientAuth"), NID_client_auth);
    for (const char* notShort : {"X509v3 Extended Key Usage", "2.5.29.37", "", "nothing-of-the-kind"})
        EXPECT_EQ(zrxNidOfShortName(notShort), NID_undef) << notShort;
    EXPECT_EQ(zrxNidOfShortName(nullptr), NID_undef);
    EXPECT_STREQ(zrxLongName(NID_client_auth), "TLS Web Client Authentication");
    EXPECT_EQ(zrxLongName(NID_undef), nullptr);
    EXPECT_EQ(zrxNidOf("extendedKeyUsage"), NID_ext_key_usage);
}

namespace {

// The longest run of visible characters between break opportunities of an
// HTML text: blanks, <wbr>, and the tags that end a line or a table cell. An
// entity counts as one character.
size_t longestRun(const std::string& html, std::string* where) {
    static const char* const breaking[] = {"br", "p",  "td", "th", "tr",  "table", "hr",   "h1", "h2",
                                           "h3", "h4", "h5", "h6", "div", "li",    "meta", "wbr"};
    std::string text;
    for (size_t i = 0; i < html.size(); ++i) {
        if (html[i] == '<') {
            size_t end = html.find('>', i);
            if (end == std::string::npos) end = html.size();
            std::string name;
            for (size_t k = i + 1; k < end && html[k] != ' '; ++k)
                if (html[k] != '/') name += char(std::tolower(static_cast<unsigned char>(html[k])));
            if (std::find_if(std::begin(breaking), std::end(breaking), [&](const char* b) { return name == b; }) !=
                std::end(breaking))
                text += ' ';
            i = end;
        } else if (html[i] == '&' && html.find(';', i) != std::string::npos) {
            text += '_';
            i = html.find(';', i);
        } else {
            text += html[i];
        }
    }
    size_t longest = 0;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = text.find_first_of(" \t\r\n", i);
        if (j == std::string::npos) j = text.size();
        const size_t n = zrx_utf8::charCount(std::string_view(text).substr(i, j - i));
        if (n > longest) {
            longest = n;
            if (where) *where = text.substr(i, j - i);
        }
        i = j + 1;
    }
    return longest;
}

std::string withoutBreaks(std::string s) {
    for (size_t at; (at = s.find("<wbr>")) != std::string::npos;) s.erase(at, 5);
    return s;
}

}  // namespace

TEST(X509Objects, LongValuesBreakInGroups) {
    const std::string fp =
        "12:3A:C7:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:01:02:03:04:05:06:07:08:09:0A:0B:E5:BC";
    const std::string w = "<wbr>";
    struct Case {
        std::string text;
        std::string expected;
    } cases[] = {
        {fp, "12:3A:C7:00:11:22:33:44:" + w + "55:66:77:88:99:AA:BB:CC:" + w + "DD:EE:FF:01:02:03:04:05:" + w +
                 "06:07:08:09:0A:0B:E5:BC"},
        {"keyid:" + fp.substr(0, 59),
         "keyid:12:3A:C7:00:11:22:33:" + w + "44:55:66:77:88:99:AA:BB:" + w + "CC:DD:EE:FF:01"},
        {std::string(40, 'A'), std::string(40, 'A')},  // a 20-byte serial fits a line
        {std::string(80, 'F'), std::string(32, 'F') + w + std::string(48, 'F')},
        {"один " + std::string(100, 'x') + "\nдва",
         "один " + std::string(32, 'x') + w + std::string(32, 'x') + w + std::string(36, 'x') + "\nдва"},
        // Escaped piece by piece: a mark never lands inside an entity.
        {std::string(40, 'a') + "<&>" + std::string(40, 'b'), std::string(32, 'a') + w + std::string(8, 'a') +
                                                                  "&lt;&amp;&gt;" + std::string(21, 'b') + w +
                                                                  std::string(19, 'b')},
    };
    for (const Case& c : cases) {
        const std::string got = zrxHtmlBreakable(TCString(c.text)).str();
        EXPECT_EQ(c.expected, got);
        // The value itself is untouched: only break marks come in.
        EXPECT_EQ(zrxHtmlEscape(c.text.c_str()).str(), withoutBreaks(got));
    }
    // Characters, not bytes: 60 Cyrillic letters are cut after 32 of them.
    std::string cyr;
    for (int i = 0; i < 60; ++i) cyr += "Ж";
    const std::string got = zrxHtmlBreakable(TCString(cyr)).str();
    EXPECT_EQ(cyr.substr(0, 64) + w + cyr.substr(64), got);
}

TEST(X509Objects, ViewsHaveNoUnbreakableRunLongerThanALine) {
    x509fx::Pki pki;
    // Besides the test PKI: a certificate with long values of every kind.
    const int longNid = OBJ_create("1.3.6.1.4.1.99999.1.2", "zrxLongTestExt", "Long test extension");
    EVP_PKEY* k = x509fx::newKey();
    x509fx::CertSpec spec;
    spec.subject = {{"CN", std::string("Довге") + std::string(55, 'x')},
                    {"emailAddress", std::string(50, 'a') + "@example.ua"}};
    std::string dump = "DER:";
    for (int i = 0; i < 48; ++i) dump += (i ? ":" : "") + std::string("A5");
    spec.exts = {{NID_subject_alt_name, "URI:http://example.ua/" + std::string(70, 'p')}, {longNid, dump}};
    spec.serial = 0x7FFFFFFF;
    X509* lx = x509fx::makeCert(spec, k, pki.inter, pki.interKey);

    TZrX509 ee = cert(pki.ee), longCert(lx), root = cert(pki.root), inter = cert(pki.inter);
    ASSERT_EQ(std::string("Довге") + std::string(55, 'x'), longCert.ownerName().str());
    TZrX509Req req;
    ASSERT_EQ(req.fromExistX509(ee, "zorenUID", nullptr, pki.eeKey), 0u);
    TZrX509Req longReq;
    ASSERT_EQ(longReq.fromExistX509(longCert, "", nullptr, k), 0u);
    TZrXCrl crl;
    std::vector<uint8_t> crlDer = x509fx::der(pki.crl);
    ASSERT_EQ(crl.decode(crlDer.data(), crlDer.size()), 0u);
    TZrXPkcs7 set;
    for (const TZrX509* c : {&ee, &inter, &root, &longCert}) set.addCert(*c);
    TZrXSignedReq signedReq;
    ASSERT_EQ(signedReq.sign(req, ee, pki.eeKey), 0u);
    std::unique_ptr<TZrXRevokedCert> entry(longCert.makeRev(6, 0, 0, true));
    TZrXRevReq revReq(*entry);
    ASSERT_EQ(revReq.sign(longCert, k), 0u);

    const std::pair<const char*, const TZrX509Base*> views[] = {
        {"certificate", &ee},           {"long certificate", &longCert}, {"request", &req},
        {"long request", &longReq},     {"revocation list", &crl},       {"certificate set", &set},
        {"signed request", &signedReq}, {"revocation request", &revReq},
    };
    for (const auto& [name, object] : views)
        for (int mode : {0, 1}) {
            SCOPED_TRACE(std::string(name) + (mode ? " print" : " screen"));
            TCString html;
            object->htmlView(html, mode);
            std::string run;
            EXPECT_LE(longestRun(html.str(), &run), kZrxHtmlMaxRun) << run;
        }
    // The fingerprint reads as itself between its break marks.
    TCString html;
    ee.htmlView(html, 0);
    EXPECT_NE(std::string::npos, withoutBreaks(html.str()).find(ee.fingerprint(EVP_sha256()).str()));
    X509_free(lx);
    EVP_PKEY_free(k);
}
