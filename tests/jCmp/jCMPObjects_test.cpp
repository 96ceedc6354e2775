// Objects of the X.509 layer through the registration-service client, with
// certificates made by OpenSSL at test time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>

#include "jCmp/LogCapture.h"
#include "jCmp/ZrX509jCMPClient.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrXErrors.h"
#include "platform/net/TestServers.h"
#include "support/TempDir.h"

namespace {

// A CA, an owner certificate it issued, and certs-only PKCS#7 sets.
class Pki {
public:
    Pki() {
        zrxtest::writeFile(dir.file("leaf.ext"),
                           "keyUsage=digitalSignature\nsubjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n");
        const std::string d = dir.str();
        const std::string script =
            "cd '" + d +
            "' && "
            "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout ca.key -out ca.pem "
            "-subj '/CN=Test CA' -days 30 -addext 'basicConstraints=critical,CA:TRUE' "
            "-addext 'keyUsage=critical,keyCertSign,cRLSign' && "
            "openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout leaf.key -out leaf.csr "
            "-subj '/CN=Owner' && "
            "openssl x509 -req -in leaf.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out leaf.pem -days 10 "
            "-extfile leaf.ext && "
            "openssl x509 -in leaf.pem -outform DER -out leaf.der && "
            "openssl crl2pkcs7 -nocrl -certfile ca.pem -certfile leaf.pem -outform DER -out chain.p7b && "
            "openssl crl2pkcs7 -nocrl -certfile leaf.pem -outform DER -out leaf.p7b";
        ok = std::system(("(" + script + ") >/dev/null 2>&1").c_str()) == 0;
    }
    std::string bytes(const char* name) const { return zrxtest::readFile(dir.file(name)); }

    zrxtest::TempDir dir;
    bool ok = false;
};

class Service {
public:
    Service() {
        server_.svr.Get(R"(/svc/.*)", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard<std::mutex> g(lock_);
            target_ = req.target;
            res.set_content(body_, "application/json");
        });
        server_.svr.Post(R"(/svc/.*)", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard<std::mutex> g(lock_);
            target_ = req.target;
            requestBody_ = req.body;
            res.set_content("{\"result\":{\"code\":0,\"message\":\"ok\"}}", "application/json");
        });
        server_.start();
    }
    // Replies to loads with an object (and an optional status code text).
    void serve(const std::string& object, const std::string& statusCode = "") {
        std::lock_guard<std::mutex> g(lock_);
        body_ = "{\"result\":{\"code\":0,\"message\":\"ok\"},\"x509object\":{\"base64object\":\"" +
                TBase64Encoding(0, "").Encode(object) + "\"}";
        if (!statusCode.empty()) body_ += ",\"status\":{\"code\":\"" + statusCode + "\"}";
        body_ += "}";
    }
    std::string target() {
        std::lock_guard<std::mutex> g(lock_);
        return target_;
    }
    std::string requestBody() {
        std::lock_guard<std::mutex> g(lock_);
        return requestBody_;
    }
    std::string base() const { return server_.url("/svc"); }

private:
    zrxtest::HttpServer server_;
    std::mutex lock_;
    std::string body_, target_, requestBody_;
};

// A client on its own stand-in service, with the log captured.
class JcmpObjects : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pki.ok);
        client.setBaseURL(svc.base().c_str());
    }
    Pki pki;
    Service svc;
    TCjCMPClient client{svc.base().c_str()};
    zrxtest::LogCapture log;
};

}  // namespace

TEST_F(JcmpObjects, LoadChainChecksWhatArrives) {
    svc.serve(pki.bytes("chain.p7b"));
    TCXCertsChain chain;
    EXPECT_EQ(client.loadChain(&chain, "0A0B"), 0u);
    EXPECT_EQ(svc.target(), "/svc/load/20/0A0B");
    EXPECT_EQ(chain.count(), 2);
    EXPECT_TRUE(log.records().empty());

    svc.serve(pki.bytes("leaf.p7b"));  // the issuer is missing
    TCXCertsChain broken;
    EXPECT_EQ(client.loadChain(&broken, "0A0B"), 0xC0800031u);
    EXPECT_EQ(client.lastResult(), 0xC0800031u);
    // The reason in the words of the certificate checks.
    EXPECT_EQ(client.lastResultText().str(),
              "Проверка загруженной цепочки сертификата, id:0A0B. " + ZrXGetErrorText(0xC0800031u).str() + "!");
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].code, 0xC0800031u);
}

TEST_F(JcmpObjects, LoadObjectDecodesAndTakesTheStatus) {
    svc.serve(pki.bytes("leaf.der"), "0x2002");
    TZrX509 cert;
    EXPECT_EQ(client.loadObject(&cert, "AB"), 0u);
    EXPECT_EQ(svc.target(), "/svc/load/2/AB");
    EXPECT_EQ(cert.ownerName().str(), "Owner");
    EXPECT_EQ(cert.status(), 0x2002u);

    svc.serve("not a certificate");
    TZrX509 bad;
    EXPECT_EQ(client.loadObject(&bad, "AB"), 0xC080000Du);
    EXPECT_EQ(client.lastResult(), 0xC080000Du);
    EXPECT_EQ(client.lastResultText().str(), "Загрузка сертификата, id:AB. Ошибка DER-кодирования принятого объекта!");
}

TEST_F(JcmpObjects, RegisterObjectSendsItsDer) {
    TZrX509 cert;
    ASSERT_TRUE(cert.loadFromFile(pki.dir.file("leaf.pem").c_str()));
    EXPECT_EQ(client.registerObject(&cert, nullptr), 0u);
    EXPECT_EQ(svc.target(), "/svc/register");
    EXPECT_EQ(svc.requestBody(), "{\"x509object\":{\"type\":\"2\", \"base64object\" :\"" +
                                     TBase64Encoding(0, "").Encode(pki.bytes("leaf.der")) + "\" }}");

    TZrX509 empty;
    EXPECT_EQ(client.registerObject(&empty, nullptr), 0xC080000Cu);
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].text, "Ошибка DER-кодирования сертификата");
}
