// Container operations with the registration service: real file containers
// made by the key-container layer, and a registration service on 127.0.0.1
// that issues certificates from what it receives with a test CA made by
// OpenSSL at test time.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "jCmp/JcmpServiceFixture.h"
#include "jCmp/LogCapture.h"
#include "jCmp/ZrXCspJCMPClient.h"
#include "platform/core/x509/CertsChain.h"
#include "platform/core/container/ContainerFile.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/config/P12Template.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/x509/RevReq.h"
#include "platform/net/NetEncoding.h"
#include "platform/net/TestServers.h"
#include "platform/runtime/Messages.h"
#include "platform/x509api/BaseRequestParamMaker.h"
#include "platform/x509api/ZrX509Csp.h"
#include "support/TempDir.h"

using namespace zrx::container;
using zrxtest::b64;
using zrxtest::CaService;
using zrxtest::keyIdOfCert;
using zrxtest::Received;
using zrxtest::run;
using zrxtest::TestCa;
using zrxtest::unb64;

namespace {

const char kPw[] = "Пароль-12345";

struct FastKdf {
    FastKdf() { setDefaultKdf(KdfParams::scrypt(10, 1, 1)); }
} fastKdf;

// Key containers in files, made by the key-container layer.
class Containers {
public:
    Containers() {
        tmpl_ = dir.file("tmpl.xcfg");
        useKeyAgreement("ECDH:P-256");
        profile_.name = "test";
        profile_.id = 7;
        profile_.flags = PF_SIGN_KEYS | PF_KA_KEYS;
        profile_.caption = "Тест";
    }
    // The key-agreement algorithm of the containers made from now on.
    void useKeyAgreement(const char* alg) {
        zrxtest::writeFile(tmpl_, std::string("<cryptoTemplate version=\"1\"><sign><params name=\"s\" "
                                              "alg=\"EC:P-256\" default=\"yes\"/></sign><keyAgreement><params "
                                              "name=\"k\" alg=\"") +
                                      alg + "\" default=\"yes\"/></keyAgreement></cryptoTemplate>");
    }
    // Keys and requests of the kinds (kGen* flags) into a container;
    // a new container at name unless it is a key change.
    KResult generate(TZrX509Csp& csp, const std::string& name, uint32_t kinds, const char* cn = "Петренко Петро") {
        TCBaseRequestParamMaker maker(&profile_, &csp);
        if (KResult rc = loadP12Template(tmpl_.c_str(), &maker.cryptoTemplate())) return rc;
        if (KResult rc = maker.initCtxCryptoPars(profile_.id, 0, 0); failed(rc)) return rc;
        maker.nameList().addAttribute("CN", cn);
        const bool fresh = (kinds & kGenKeyChange) == 0;
        if (fresh) csp.prepareUpdate();
        csp.beginUpdate();
        if (fresh) {
            csp.setContainerName(dir.file(name).c_str());
            csp.container()->setDp(kPw);
        }
        KResult rc = maker.generateKeys(&csp, kinds, nullptr);
        if (failed(rc)) {
            csp.container()->cancelUpdate();
            return rc;
        }
        return csp.endUpdate(false);
    }
    // Certificates from the CA for every request of the container.
    static void certify(TZrX509Csp& csp, TestCa& ca, int days, bool start = false) {
        csp.beginUpdate();  // one write for all of them
        while (csp.reqCount() > 0) {
            std::vector<uint8_t> der;
            ASSERT_EQ(0u, csp.getReqAt(0)->encode(der));
            const std::string cert = ca.issue(std::string(der.begin(), der.end()), days, start);
            ASSERT_FALSE(cert.empty());
            ASSERT_EQ(0u, csp.putStorageCertificate(cert.data(), cert.size()));
        }
        ASSERT_EQ(0u, csp.endUpdate(false));
    }
    // A container with certificates in service and signed requests of the
    // next keys (a key change).
    void withSignedRequests(TZrX509Csp& csp, const std::string& name, TestCa& ca, int days, bool start = false,
                            const char* newOwner = "Петренко Петро") {
        ASSERT_EQ(0u, generate(csp, name, kGenSignKeys | kGenKAKeys));
        certify(csp, ca, days, start);
        ASSERT_EQ(0u, generate(csp, name, kGenSignKeys | kGenKAKeys | kGenKeyChange, newOwner));
        ASSERT_EQ(2, csp.reqCount());
    }

    zrxtest::TempDir dir;

private:
    std::string tmpl_;
    TCXProfileDescriptor profile_;
};

std::string stored(const TZrX509Csp& csp, int kind) {
    uint32_t len = JCMP_REQUEST_BUFFER;
    std::string buf(len, '\0');
    if (failed(csp.ZrX_GetX509Object(buf.data(), &len, kind))) return {};
    buf.resize(len);
    return buf;
}

TZrX509ReqCtx* requestOf(TZrX509Csp& csp, uint32_t purpose) {
    for (int i = 0; i < csp.container()->ctx_RequestsList.count(); ++i)
        if (TZrX509ReqCtx* r = csp.container()->ctx_RequestsList.asReqCtx(i); r && r->purpose() == purpose) return r;
    return nullptr;
}

bool logged(const std::string& text) {
    for (const auto& r : zrxtest::LogCapture::records())
        if (r.text == text) return true;
    return false;
}

// A failure record of the client: the exchange named, then the text.
bool loggedFailure(KResult code, const std::string& text) {
    for (const auto& r : zrxtest::LogCapture::records())
        if (r.code == code && r.text.size() > text.size() &&
            r.text.compare(r.text.size() - text.size(), text.size(), text) == 0 &&
            r.text.rfind("Ошибка выполнения запроса '", 0) == 0)
            return true;
    return false;
}

class JcmpContainer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ca.ok); }
    TestCa ca;
    CaService svc{ca};
    Containers made;
    zrxtest::LogCapture log;
};

}  // namespace

TEST_F(JcmpContainer, KindsAndTheTypeSentPerKind) {
    // Which forms the container holds decides the kinds word and the type each
    // request goes with; the key-agreement request always goes first.
    struct Case {
        const char* name;
        bool plainSign, plainKA, noSign, noKA;
        unsigned kinds;
        std::vector<std::pair<int, int>> sent;  // (stored kind, type)
    } cases[] = {
        {"both signed", false, false, false, false, 3, {{kObjSignedKARequest, 8}, {kObjSignedSignRequest, 8}}},
        {"signature plain", true, false, false, false, 7, {{kObjSignedKARequest, 8}, {kObjSignRequest, 3}}},
        {"key agreement plain", false, true, false, false, 11, {{kObjKARequest, 3}, {kObjSignedSignRequest, 8}}},
        {"both plain", true, true, false, false, 15, {{kObjKARequest, 3}, {kObjSignRequest, 3}}},
        {"only a plain signature request", true, false, false, true, 5, {{kObjSignRequest, 3}}},
        {"only a signed key-agreement request", false, false, true, false, 2, {{kObjSignedKARequest, 8}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CaService service(ca);
        TZrX509Csp csp;
        made.withSignedRequests(csp, std::string(c.name) + ".zrx", ca, 60);
        TZrX509ReqCtx* sign = requestOf(csp, kfSignature);
        TZrX509ReqCtx* ka = requestOf(csp, kfKeyAgreement);
        ASSERT_TRUE(sign && ka);
        if (c.plainSign) sign->setSignedDer({});
        if (c.plainKA) ka->setSignedDer({});
        if (c.noSign) {
            ASSERT_EQ(0u, csp.container()->deleteRequest(sign->keyID(), false));
        }
        if (c.noKA) {
            ASSERT_EQ(0u, csp.container()->deleteRequest(ka->keyID(), false));
        }

        TZrXCspJCMPClient client(&csp);
        client.setBaseURL(service.base().c_str());
        EXPECT_EQ(c.kinds, client.requestKinds());
        EXPECT_EQ(0u, client.sendRequests(0));
        const std::vector<Received> got = service.received();
        ASSERT_EQ(c.sent.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ("register", got[i].operation);
            EXPECT_EQ(c.sent[i].second, got[i].type) << i;
            EXPECT_EQ(stored(csp, c.sent[i].first), got[i].der) << i;  // the bytes on the wire
        }
        EXPECT_EQ(0, service.restrictionCalls());
    }
}

TEST_F(JcmpContainer, SuccessRecordsAndTheMissingRequest) {
    TZrX509Csp csp;
    ASSERT_EQ(0u, made.generate(csp, "c.zrx", kGenSignKeys));
    TZrXCspJCMPClient client(&csp);
    client.setBaseURL(svc.base().c_str());
    EXPECT_EQ(5u, client.requestKinds());
    EXPECT_EQ(0u, client.sendRequests(0));
    EXPECT_TRUE(
        logged("Запрос на сертификат ключей  ЭП, владелец \"Петренко Петро\", успешно отправлен на службу "
               "сертификатов, расположенную по адресу: " +
               svc.base() + "/."));

    TZrX509ReqCtx* req = requestOf(csp, kfSignature);
    ASSERT_TRUE(req);
    EXPECT_EQ(0u, client.sendRequest(req->keyID(), true));  // plain: registered, never issued at once
    EXPECT_TRUE(logged("Запрос на сертификат ключей владельца Петренко Петро, ID:" + req->keyID().toHex(true).str() +
                       ", успешно передан для дальнейшей регистрации."));
    EXPECT_EQ(0, svc.restrictionCalls());
    // Asked for by kind, a request that exists only in plain form goes as it is.
    EXPECT_EQ(0u, client.sendRequests(JCMP_KIND_SIGN | JCMP_KIND_ISSUE_AT_ONCE));
    ASSERT_EQ(3u, svc.received().size());
    EXPECT_EQ(JCMP_TYPE_REQUEST, svc.received().back().type);
    EXPECT_EQ(stored(csp, kObjSignRequest), svc.received().back().der);
    EXPECT_EQ(0, svc.restrictionCalls());

    // A kind the container does not hold, and a key without a request.
    EXPECT_EQ(0xC0800007u, client.sendRequests(JCMP_KIND_KA));
    EXPECT_TRUE(logged("Загрузка запроса на сертификат ключей связи, владелец \"Петренко Петро\". " +
                       kvdMessageByCode(0xC0800007u).str() + "!"));
    const uint8_t other[] = {0x01, 0xAB};
    EXPECT_EQ(0xC0800007u, client.sendRequest(TCASN1OctetString(other, 2), false));
    ASSERT_FALSE(log.records().empty());
    EXPECT_EQ(0xC0800007u, log.records().back().code);
    EXPECT_EQ("В текущем контейнере отсутствует требуемый запрос на сертификат c ID ключа:01:AB!",
              log.records().back().text);
    EXPECT_EQ(3u, svc.received().size());
}

TEST_F(JcmpContainer, EmptyContainerAnswersWithoutExchange) {
    TZrX509Csp csp;
    TZrXCspJCMPClient client(&csp);
    client.setBaseURL(svc.base().c_str());
    EXPECT_EQ(0u, client.requestKinds());
    EXPECT_EQ(0xC0800007u, client.sendRequests(0));
    EXPECT_EQ(0xC0800007u, client.sendRequests(JCMP_KIND_SIGN | JCMP_KIND_KA | JCMP_KIND_ISSUE_AT_ONCE));
    TZrXLoadCounters counters{5, 5};
    EXPECT_EQ(0xC0800007u, client.loadCertificates(&counters, 3));
    EXPECT_EQ(5, counters.requests);  // untouched: nothing was looked at
    EXPECT_EQ(0xC0800007u, client.sendRevocation(nullptr, JCMP_REASON_HOLD, 0));
    EXPECT_TRUE(svc.received().empty());
    EXPECT_EQ(0, svc.restrictionCalls());

    TZrXCspJCMPClient unbound(nullptr);
    EXPECT_EQ(0xC0800007u, unbound.sendRequests(0));
    EXPECT_EQ(0xC0800007u, unbound.sendRequest(TCASN1OctetString("\x01", 1), true));
}

TEST_F(JcmpContainer, FailingKeyAgreementExchangeStopsTheSignatureRequest) {
    TZrX509Csp csp;
    ASSERT_EQ(0u, made.generate(csp, "c.zrx", kGenSignKeys | kGenKAKeys));
    svc.setRegisterCode("0xC0800001");
    TZrXCspJCMPClient client(&csp);
    client.setBaseURL(svc.base().c_str());
    EXPECT_EQ(0xC0800001u, client.sendRequests(JCMP_KIND_SIGN | JCMP_KIND_KA));
    const std::vector<Received> got = svc.received();
    ASSERT_EQ(1u, got.size());
    EXPECT_EQ(stored(csp, kObjKARequest), got[0].der);
    ASSERT_FALSE(log.records().empty());
    EXPECT_EQ("Ошибка выполнения запроса 'Зарегистрировать запрос': Отказано", log.records().back().text);
}

TEST_F(JcmpContainer, IssueAtOnceFollowsRestrictionsAndConfirmation) {
    // Signed requests confirmed three ways: by a start-up certificate, by the
    // owner's certificate that runs out soon, and by one with long to run
    // (changed early); and by a certificate of another owner.
    TZrX509Csp byStart, bySelfSoon, bySelfEarly, byOther;
    made.withSignedRequests(byStart, "start.zrx", ca, 60, true);
    made.withSignedRequests(bySelfSoon, "soon.zrx", ca, 10);
    made.withSignedRequests(bySelfEarly, "early.zrx", ca, 60);
    made.withSignedRequests(byOther, "other.zrx", ca, 10, false, "Іваненко Іван");
    struct Restrictions {
        bool enabled, start, self, preterm;
    };
    struct Case {
        TZrX509Csp* csp;
        Restrictions r;
        bool expected;
    } cases[] = {
        {&byStart, {false, true, true, true}, false},      {&byStart, {true, false, true, true}, false},
        {&byStart, {true, true, false, false}, true},      {&bySelfSoon, {true, true, false, true}, false},
        {&bySelfSoon, {true, false, true, false}, true},   {&bySelfEarly, {true, false, true, false}, false},
        {&bySelfEarly, {true, false, false, true}, false}, {&bySelfEarly, {true, false, true, true}, true},
        {&byOther, {true, false, false, false}, true},     {&byOther, {false, false, false, false}, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        svc.setRestrictions(c.r.enabled, c.r.start, c.r.self, c.r.preterm);
        TZrXCspJCMPClient client(c.csp);
        client.setBaseURL(svc.base().c_str());
        const std::string signedReq = stored(*c.csp, kObjSignedSignRequest);
        ASSERT_FALSE(signedReq.empty());
        EXPECT_EQ(c.expected, client.canIssueAtOnce(signedReq.data(), signedReq.size()));
    }
    // A plain request is never issued at once.
    svc.setRestrictions(true, true, true, true);
    TZrXCspJCMPClient client(&byOther);
    client.setBaseURL(svc.base().c_str());
    const std::string plain = stored(byOther, kObjSignRequest);
    EXPECT_FALSE(client.canIssueAtOnce(plain.data(), plain.size()));
}

TEST_F(JcmpContainer, RestrictionsAnsweredAsNothingAreAskedAgain) {
    TZrX509Csp csp;
    made.withSignedRequests(csp, "c.zrx", ca, 60);
    const std::string req = stored(csp, kObjSignedSignRequest);
    TZrXCspJCMPClient client(&csp);
    client.setBaseURL(svc.base().c_str());
    svc.setRestrictions(false, false, false, false);
    EXPECT_FALSE(client.canIssueAtOnce(req.data(), req.size()));
    EXPECT_FALSE(client.canIssueAtOnce(req.data(), req.size()));
    EXPECT_EQ(2, svc.restrictionCalls());
    svc.setRestrictions(true, false, true, true);
    EXPECT_TRUE(client.canIssueAtOnce(req.data(), req.size()));
    EXPECT_EQ(JCMP_IR_ENABLED | JCMP_IR_ACCEPT_SELF | JCMP_IR_ACCEPT_PRETERM, client.getIssuingRestrictions());
    svc.setRestrictions(false, false, false, false);  // kept once fetched
    EXPECT_TRUE(client.canIssueAtOnce(req.data(), req.size()));
    EXPECT_EQ(3, svc.restrictionCalls());
}

TEST_F(JcmpContainer, ImmediateIssueStoresWhatComesBack) {
    struct Case {
        const char* name;
        int replyType;
        bool oneRequest;  // sendRequest with the key identifier, else sendRequests
    } cases[] = {
        {"chain, by kinds", JCMP_TYPE_CHAIN, false},
        {"certificate, by kinds", JCMP_TYPE_CERTIFICATE, false},
        {"chain, one request", JCMP_TYPE_CHAIN, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CaService service(ca);
        service.setRestrictions(true, false, true, true);
        service.setReplyType(c.replyType);
        TZrX509Csp csp;
        const std::string file = std::string(c.name) + ".zrx";
        made.withSignedRequests(csp, file, ca, 60);
        TZrX509ReqCtx* req = requestOf(csp, kfSignature);
        ASSERT_TRUE(req);
        const TCASN1OctetString keyID = req->keyID();
        const std::string wire = stored(csp, kObjSignedSignRequest);
        TZrXCspJCMPClient client(&csp);
        client.setBaseURL(service.base().c_str());
        zrxtest::LogCapture::records().clear();
        EXPECT_EQ(0u, c.oneRequest ? client.sendRequest(keyID, true)
                                   : client.sendRequests(JCMP_KIND_SIGN | JCMP_KIND_ISSUE_AT_ONCE));
        const std::vector<Received> got = service.received();
        ASSERT_EQ(1u, got.size());
        EXPECT_EQ("issue", got[0].operation);
        EXPECT_EQ(JCMP_TYPE_SIGNED_REQUEST, got[0].type);
        EXPECT_EQ(wire, got[0].der);
        EXPECT_NE(std::string::npos, got[0].body.find(",\"options\":{\"fullChain\":\"true\"}}"));

        // In the container, written, and only then reported.
        EXPECT_FALSE(csp.container()->findCertReq(keyID));
        ASSERT_TRUE(csp.getSelfNewCrt());
        EXPECT_EQ(keyID, csp.getSelfNewCrt()->keyID());
        TZrX509Csp reloaded;
        ASSERT_EQ(0u, reloaded.load(made.dir.file(file).c_str(), kPw));
        ASSERT_TRUE(reloaded.getSelfNewCrt());
        const std::string next = made.dir.file("next.pem");
        ASSERT_TRUE(reloaded.getSelfNewCrt()->saveToFile(next.c_str(), true));
        EXPECT_TRUE(run("openssl verify -CAfile " + ca.caPem() + " " + next));
        ASSERT_FALSE(log.records().empty());
        const std::string what = c.oneRequest ? ", ID ключа:" + keyID.toHex(true).str() + "," : "ЭП";
        EXPECT_EQ("Запрос на сертификат ключей  " + what +
                      ", владелец \"Петренко Петро\",успешно удовлетворен на "
                      "службе сертификатов, расположенной по адресу: " +
                      service.base() + "/.",
                  log.records().back().text);
    }
}

// A reply to an immediate issue that does not certify the request's own key
// (CA certificates alone, the CA's root, a certificate of another owner's key,
// one that copies the key identifier onto another key) stores nothing: the
// request stays, and the mismatch is reported.
TEST_F(JcmpContainer, ImmediateIssueStoresOnlyTheRequestsCertificate) {
    const std::string d = ca.dir.str();
    ASSERT_TRUE(run("cd '" + d +
                    "' && openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout other.key"
                    " -subj /CN=Other -outform DER -out other.p10"));
    const std::string otherCert = ca.issue(zrxtest::readFile(ca.dir.file("other.p10")), 60);
    ASSERT_FALSE(otherCert.empty());
    TZrX509 root;
    ASSERT_TRUE(root.loadFromFile(ca.caPem().c_str()));
    std::vector<uint8_t> rootDer;
    ASSERT_EQ(0u, root.encode(rootDer));
    // The certificate another key gets under the request's key identifier.
    auto forged = [&](const TCASN1OctetString& keyID) {
        zrxtest::writeFile(ca.dir.file("forged.ext"), "subjectKeyIdentifier=" + keyID.toHex(false).str() + "\n");
        if (!run("cd '" + d +
                 "' && openssl x509 -req -inform DER -in other.p10 -CA ca.pem -CAkey ca.key -CAcreateserial -days 60"
                 " -extfile forged.ext -outform DER -out forged.der"))
            return std::string();
        return zrxtest::readFile(ca.dir.file("forged.der"));
    };
    struct Case {
        const char* name;
        int replyType;
        std::function<std::string(const TCASN1OctetString&)> reply;
    } cases[] = {
        {"CA certificates alone", JCMP_TYPE_CHAIN,
         [&](const TCASN1OctetString&) { return ca.chain(otherCert, false); }},
        {"the CA's root", JCMP_TYPE_CERTIFICATE,
         [&](const TCASN1OctetString&) { return std::string(rootDer.begin(), rootDer.end()); }},
        {"another owner's certificate", JCMP_TYPE_CERTIFICATE, [&](const TCASN1OctetString&) { return otherCert; }},
        {"another owner's chain", JCMP_TYPE_CHAIN, [&](const TCASN1OctetString&) { return ca.chain(otherCert); }},
        {"the key identifier on another key", JCMP_TYPE_CERTIFICATE, forged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CaService service(ca);
        service.setRestrictions(true, false, true, true);
        TZrX509Csp csp;
        const std::string file = std::string(c.name) + ".zrx";
        made.withSignedRequests(csp, file, ca, 60);
        TZrX509ReqCtx* req = requestOf(csp, kfSignature);
        ASSERT_TRUE(req);
        const TCASN1OctetString keyID = req->keyID();
        const std::string reply = c.reply(keyID);
        ASSERT_FALSE(reply.empty());
        service.setReplyType(c.replyType);
        service.setIssuedObject(reply);
        const int certsBefore = csp.container()->ctx_CertificatesList.count();
        TZrXCspJCMPClient client(&csp);
        client.setBaseURL(service.base().c_str());
        zrxtest::LogCapture::records().clear();
        EXPECT_EQ(0xC080002Au, client.sendRequest(keyID, true));
        ASSERT_EQ(1u, service.received().size());
        EXPECT_EQ("issue", service.received()[0].operation);
        for (TZrX509Csp* held : {&csp, static_cast<TZrX509Csp*>(nullptr)}) {
            TZrX509Csp reloaded;
            if (!held) {
                ASSERT_EQ(0u, reloaded.load(made.dir.file(file).c_str(), kPw));
                held = &reloaded;
            }
            EXPECT_TRUE(held->container()->findCertReq(keyID));
            EXPECT_EQ(nullptr, held->getSelfNewCrt());
            EXPECT_EQ(certsBefore, held->container()->ctx_CertificatesList.count());
        }
        ASSERT_FALSE(log.records().empty());
        EXPECT_EQ(0xC080002Au, log.records().back().code);
        EXPECT_NE(std::string::npos, log.records().back().text.find("не содержит сертификата этих ключей"))
            << log.records().back().text;
        EXPECT_FALSE(logged("Запрос на сертификат ключей  , ID ключа:" + keyID.toHex(true).str() +
                            ", владелец \"Петренко Петро\",успешно удовлетворен на службе сертификатов, "
                            "расположенной по адресу: " +
                            service.base() + "/."));
    }
}

TEST_F(JcmpContainer, LoadCertificatesBringsTheChainsBack) {
    struct Case {
        const char* name;
        bool kaPending;    // the key-agreement request is still being considered
        bool leafInChain;  // the chain carries the request's certificate
        int statusHttp;    // the status query's HTTP answer
        KResult result;
        int requests, stored;
    } cases[] = {
        {"all issued", false, true, 200, 0, 2, 2},
        {"key agreement pending", true, true, 200, 0, 2, 1},
        {"chain without the certificate", false, false, 200, 0xC080002A, 2, 0},
        {"status query fails", false, true, 404, 0xC0C00194, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CaService service(ca);
        TZrX509Csp csp;
        const std::string file = std::string(c.name) + ".zrx";
        ASSERT_EQ(0u, made.generate(csp, file, kGenSignKeys | kGenKAKeys));
        TZrXCspJCMPClient client(&csp);
        client.setBaseURL(service.base().c_str());
        ASSERT_EQ(0u, client.sendRequests(0));  // the service issues them
        const std::string kaID = requestOf(csp, kfKeyAgreement)->getKeyIDStr().str();
        const std::string signID = requestOf(csp, kfSignature)->getKeyIDStr().str();
        if (c.kaPending) service.setStatus(kaID, 4097);
        service.setLeafInChain(c.leafInChain);
        service.setStatusHttp(c.statusHttp);
        zrxtest::LogCapture::records().clear();

        TZrXLoadCounters counters;
        EXPECT_EQ(c.result, client.loadCertificates(&counters, 3));
        EXPECT_EQ(c.requests, counters.requests);
        EXPECT_EQ(c.stored, counters.stored);
        EXPECT_EQ(2 - c.stored, csp.reqCount());
        if (c.kaPending) {
            EXPECT_TRUE(
                logged("Запрос на сертификат ключа  связи, владелец \"Петренко Петро\", имеет статус "
                       "\"На рассмотрении\". Загрузка сертификата будет пропущена."));
            EXPECT_TRUE(csp.container()->findCertReq(kaID.c_str()));
        }
        if (!c.leafInChain) {
            EXPECT_TRUE(loggedFailure(0xC080002A,
                                      "': В полученной цепочке отсутсвует требуемый сертификат с ID:" + signID + "."));
            EXPECT_TRUE(loggedFailure(0xC080002A,
                                      "': В полученной цепочке отсутсвует требуемый сертификат с ID:" + kaID + "."));
        }
        // Each stored certificate is said, by kind, owner and key.
        EXPECT_EQ(c.stored != 0 && !c.kaPending,
                  logged("Сертификат ключа связи, владелец \"Петренко Петро\", ID:" + kaID +
                         ", получен от службы регистрации и записан в контейнер."));
        EXPECT_EQ(c.stored != 0, logged("Сертификат ключа ЭП, владелец \"Петренко Петро\", ID:" + signID +
                                        ", получен от службы регистрации и записан в контейнер."));
        if (c.stored == 2) {
            // The own certificate, read back from the file, verifies against the CA.
            TZrX509Csp reloaded;
            ASSERT_EQ(0u, reloaded.load(made.dir.file(file).c_str(), kPw));
            ASSERT_TRUE(reloaded.getSelfCrt());
            const std::string own = made.dir.file("own.pem");
            ASSERT_TRUE(reloaded.getSelfCrt()->saveToFile(own.c_str(), true));
            EXPECT_TRUE(run("openssl verify -CAfile " + ca.caPem() + " " + own));
            EXPECT_TRUE(reloaded.container()->findCert(kaID.c_str()));
        }
    }
}

// A chain that fails its check is reported in words, whatever texts the
// process has registered.
TEST_F(JcmpContainer, ChainCheckFailuresAreSaidInWords) {
    CaService service(ca);
    TZrX509Csp csp;
    ASSERT_EQ(0u, made.generate(csp, "broken.zrx", kGenSignKeys));
    TZrXCspJCMPClient client(&csp);
    client.setBaseURL(service.base().c_str());
    ASSERT_EQ(0u, client.sendRequests(0));
    service.setCaInChain(false);
    zrxtest::LogCapture::records().clear();
    EXPECT_EQ(0xC0800031u, client.loadCertificates(nullptr, 3));
    EXPECT_EQ(1, csp.reqCount());
    bool said = false;
    for (const auto& r : zrxtest::LogCapture::records()) {
        EXPECT_EQ(std::string::npos, r.text.find("0xC08")) << r.text;
        said =
            said || r.text.find("Цепочка сертификатов разорвана: отсутствует сертификат издателя") != std::string::npos;
    }
    EXPECT_TRUE(said);
}

TEST_F(JcmpContainer, StoreFailureIsReportedAndNotCounted) {
    // The container's folder goes away after loading: every save fails.
    TZrX509Csp csp;
    ASSERT_EQ(0u, made.generate(csp, "c.zrx", kGenSignKeys));
    TZrXCspJCMPClient client(&csp);
    client.setBaseURL(svc.base().c_str());
    ASSERT_EQ(0u, client.sendRequests(0));
    std::filesystem::rename(made.dir.path(), made.dir.str() + ".gone");

    TZrXLoadCounters counters;
    const KResult rc = client.loadCertificates(&counters, 3);
    EXPECT_TRUE(isFailure(rc));
    EXPECT_EQ(1, counters.requests);
    EXPECT_EQ(0, counters.stored);
    EXPECT_EQ(1, csp.reqCount());
    ASSERT_FALSE(log.records().empty());
    EXPECT_EQ(rc, log.records().back().code);
    EXPECT_NE(std::string::npos, log.records().back().text.find("Сохранение в контейнере цепочки сертификата"));

    // Issued at once but not stored: no success record.
    std::filesystem::rename(made.dir.str() + ".gone", made.dir.path());
    TZrX509Csp changed;
    made.withSignedRequests(changed, "d.zrx", ca, 60);
    svc.setRestrictions(true, false, true, true);
    TZrXCspJCMPClient issuing(&changed);
    issuing.setBaseURL(svc.base().c_str());
    std::filesystem::rename(made.dir.path(), made.dir.str() + ".gone");
    zrxtest::LogCapture::records().clear();
    const KResult issued = issuing.sendRequests(JCMP_KIND_SIGN | JCMP_KIND_ISSUE_AT_ONCE);
    std::filesystem::rename(made.dir.str() + ".gone", made.dir.path());
    EXPECT_TRUE(isFailure(issued));
    EXPECT_EQ(2, changed.reqCount());
    ASSERT_EQ(1u, log.records().size());
    EXPECT_EQ(issued, log.records()[0].code);
    EXPECT_NE(std::string::npos, log.records()[0].text.find("Сохранение в контейнере сертификата ключей ЭП"));
}

TEST_F(JcmpContainer, BlockRequestIsASignedRevocationThatVerifies) {
    TZrX509Csp csp;
    ASSERT_EQ(0u, made.generate(csp, "c.zrx", kGenSignKeys | kGenKAKeys));
    TZrXCspJCMPClient client(&csp);
    client.setBaseURL(svc.base().c_str());
    // Requests only: no own certificate yet.
    EXPECT_EQ(0xC0800019u, client.sendRevocation(nullptr, JCMP_REASON_HOLD, 0));
    EXPECT_TRUE(logged("В контейнере ключей владельца \"Петренко Петро\" отсутствует действующий сертификат!"));
    Containers::certify(csp, ca, 60);
    const TZrX509* own = csp.getSelfCrt();
    ASSERT_TRUE(own);
    const TZrX509* kaCert = dynamic_cast<const TZrX509*>(csp.container()->findEncodeKeyX509Object(false));
    ASSERT_TRUE(kaCert);
    TZrX509 foreign;
    ASSERT_EQ(0u, foreign.readFile(ca.caPem().c_str()));

    struct Case {
        const char* name;
        const TZrX509* given;
        const TZrX509* revoked;
        const TZrX509* signer;
    } cases[] = {
        {"own certificate", nullptr, own, own},
        {"key-agreement certificate signs its own", kaCert, kaCert, kaCert},
        {"certificate without a key here", &foreign, &foreign, own},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t before = svc.received().size();
        EXPECT_EQ(0u, client.sendRevocation(c.given, JCMP_REASON_HOLD, 0));
        const std::vector<Received> got = svc.received();
        ASSERT_EQ(before + 1, got.size());
        EXPECT_EQ(zcRevRequest, got.back().type);
        const std::string in = made.dir.file("rev.der"), signer = made.dir.file("signer.pem");
        const std::string content = made.dir.file("content.der");
        zrxtest::writeFile(in, got.back().der);
        EXPECT_TRUE(run("openssl cms -verify -inform DER -in " + in + " -CAfile " + ca.caPem() +
                        " -purpose any -signer " + signer + " -out " + content));
        TZrX509 signedBy;
        ASSERT_EQ(0u, signedBy.readFile(signer.c_str()));
        EXPECT_EQ(c.signer->getSerialStr(), signedBy.getSerialStr());
        TZrXRevReq revoked;
        ASSERT_EQ(0u, revoked.decode(got.back().der.data(), got.back().der.size()));
        ASSERT_TRUE(revoked.revokedCert());
        EXPECT_EQ(c.revoked->getSerialStr(), revoked.revokedCert()->serialStr());
        EXPECT_EQ(JCMP_REASON_HOLD, revoked.reason());
        EXPECT_EQ(c.revoked->ownerName(), revoked.ownerName());
        EXPECT_TRUE(logged("Удостоверен запрос на отмену сертификата ключей владельца \"" +
                           c.revoked->ownerName().str() + "\", SN:" + c.revoked->getSerialStr().str() +
                           ", код причины - Блокирование сертификата"));
    }
}

TEST_F(JcmpContainer, IssuedObjectLargerThanTheBufferIsRefused) {
    TZrX509Csp csp;
    made.withSignedRequests(csp, "c.zrx", ca, 60);
    svc.setRestrictions(true, false, true, true);
    svc.setIssuedObject(std::string(JCMP_ISSUED_BUFFER + 1, '\x30'));
    TZrXCspJCMPClient client(&csp);
    client.setBaseURL(svc.base().c_str());
    zrxtest::LogCapture::records().clear();
    EXPECT_EQ(JCMP_E_BUFFER_TOO_SMALL, client.sendRequests(JCMP_KIND_SIGN | JCMP_KIND_ISSUE_AT_ONCE));
    EXPECT_EQ(2, csp.reqCount());
    EXPECT_FALSE(csp.getSelfNewCrt());
    ASSERT_EQ(1u, log.records().size());  // the client's failure, no success record
    EXPECT_EQ(JCMP_E_BUFFER_TOO_SMALL, log.records()[0].code);
}

TEST_F(JcmpContainer, KeyThatCannotSignLeavesTheRevocationToTheOwnCertificate) {
    // X25519 keys cannot sign: the own certificate signs the revocation of
    // the key-agreement certificate.
    made.useKeyAgreement("X25519");
    TZrX509Csp csp;
    ASSERT_EQ(0u, made.generate(csp, "x.zrx", kGenSignKeys | kGenKAKeys));
    csp.beginUpdate();
    while (csp.reqCount() > 0) {
        TZrX509 cert;
        ASSERT_EQ(0u, cert.fromRequest(*csp.getReqAt(0)));
        ASSERT_EQ(0u, csp.mkSelfIssued(cert, std::time(nullptr) - 60, std::time(nullptr) + 86400 * 30));
        ASSERT_TRUE(csp.addCertificate(&cert, true));
    }
    ASSERT_EQ(0u, csp.endUpdate(false));
    const TZrX509* own = csp.getSelfCrt();
    const TZrX509* kaCert = dynamic_cast<const TZrX509*>(csp.container()->findEncodeKeyX509Object(false));
    ASSERT_TRUE(own && kaCert);
    TZrXCspJCMPClient client(&csp);
    client.setBaseURL(svc.base().c_str());
    EXPECT_EQ(0u, client.sendRevocation(kaCert, JCMP_REASON_HOLD, 0));
    ASSERT_EQ(1u, svc.received().size());
    TZrXRevReq revoked;
    ASSERT_EQ(0u, revoked.decode(svc.received()[0].der.data(), svc.received()[0].der.size()));
    ASSERT_TRUE(revoked.lastIssuer());
    EXPECT_EQ(own->getSerialStr(), revoked.lastIssuer()->getSerialStr());
    EXPECT_EQ(kaCert->getSerialStr(), revoked.revokedCert()->serialStr());
    EXPECT_EQ(0u, revoked.verifySignatures());
}
