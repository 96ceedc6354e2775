#pragma once
// A registration service on 127.0.0.1 for tests: a certification authority
// made by the openssl tool issues certificates for the requests the service
// registers or issues, and answers statuses, chains and issuing restrictions.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "jCmp/ZrXCspJCMPClient.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/X509Util.h"
#include "platform/net/NetEncoding.h"
#include "platform/net/TestServers.h"
#include "support/TempDir.h"

namespace zrxtest {

inline bool run(const std::string& cmd) { return std::system(("(" + cmd + ") >/dev/null 2>&1").c_str()) == 0; }

inline std::string b64(const std::string& bytes) { return TBase64Encoding(0, "").Encode(bytes); }
inline std::string unb64(const std::string& text) {
    std::vector<uint8_t> v = TBase64Encoding::DecodeStringToBytes(text);
    return std::string(v.begin(), v.end());
}

inline std::string keyIdOfCert(const std::string& der) {
    TZrX509 c;
    return zrx::x509::failed(c.decode(der.data(), der.size())) ? std::string() : c.getKeyIDStr().str();
}

// A certification authority made by OpenSSL; issues from PKCS#10 requests.
class TestCa {
public:
    TestCa() {
        zrxtest::writeFile(dir.file("leaf.ext"), "subjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n");
        zrxtest::writeFile(dir.file("start.ext"),
                           std::string("subjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n"
                                       "extendedKeyUsage=") +
                               zrxOid(ZrXObject::TempCertificate) + "\n");
        ok = run("cd '" + dir.str() +
                 "' && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout ca.key "
                 "-out ca.pem -subj '/CN=Test CA' -days 365 -addext 'basicConstraints=critical,CA:TRUE' "
                 "-addext 'keyUsage=critical,keyCertSign,cRLSign'");
    }
    // A certificate (DER) for a PKCS#10 request (DER); empty on failure.
    std::string issue(const std::string& p10, int days, bool start = false) {
        std::lock_guard<std::mutex> g(lock_);
        const std::string n = std::to_string(++count_);
        zrxtest::writeFile(dir.file("r" + n + ".der"), p10);
        if (!run("cd '" + dir.str() + "' && openssl x509 -req -inform DER -in r" + n +
                 ".der -CA ca.pem -CAkey ca.key -CAcreateserial -days " + std::to_string(days) +
                 " -copy_extensions copy -extfile " + (start ? "start.ext" : "leaf.ext") + " -outform DER -out c" + n +
                 ".der"))
            return {};
        return zrxtest::readFile(dir.file("c" + n + ".der"));
    }
    // The PKCS#10 request inside a signed request, its signature checked.
    std::string unwrap(const std::string& cms) {
        std::lock_guard<std::mutex> g(lock_);
        const std::string n = std::to_string(++count_);
        zrxtest::writeFile(dir.file("s" + n + ".der"), cms);
        if (!run("cd '" + dir.str() + "' && openssl cms -verify -noverify -inform DER -in s" + n + ".der -out p" + n +
                 ".der"))
            return {};
        return zrxtest::readFile(dir.file("p" + n + ".der"));
    }
    // A certs-only PKCS#7 (DER) of the CA and the certificate, either left
    // out on request.
    std::string chain(const std::string& cert, bool withCert = true, bool withCa = true) {
        std::lock_guard<std::mutex> g(lock_);
        const std::string n = std::to_string(++count_);
        zrxtest::writeFile(dir.file("l" + n + ".der"), cert);
        if (!run("cd '" + dir.str() + "' && openssl x509 -inform DER -in l" + n + ".der -out l" + n +
                 ".pem && openssl crl2pkcs7 -nocrl " + (withCa ? "-certfile ca.pem " : "") +
                 (withCert ? "-certfile l" + n + ".pem " : "") + "-outform DER -out k" + n + ".p7b"))
            return {};
        return zrxtest::readFile(dir.file("k" + n + ".p7b"));
    }
    std::string caPem() const { return dir.file("ca.pem"); }

    zrxtest::TempDir dir;
    bool ok = false;

private:
    std::mutex lock_;
    int count_ = 0;
};

// What the service received through "register" or "issue".
struct Received {
    std::string operation;
    int type = 0;
    std::string der;
    std::string body;
};

// The registration service: issues a certificate for every request it
// registers or issues, answers statuses, chains and issuing restrictions.
class CaService {
public:
    // Its operations live under prefix ("/ca/register" ...).
    explicit CaService(TestCa& ca, const std::string& prefix = "/ca") : ca_(ca), prefix_(prefix) {
        server_.svr.Post(prefix + "/register", [this](const httplib::Request& q, httplib::Response& r) {
            r.set_content(take("register", q.body, false), "application/json");
        });
        server_.svr.Post(prefix + "/issue", [this](const httplib::Request& q, httplib::Response& r) {
            r.set_content(take("issue", q.body, true), "application/json");
        });
        server_.svr.Get(prefix + R"(/status/8/(\w+))", [this](const httplib::Request& q, httplib::Response& r) {
            std::lock_guard<std::mutex> g(lock_);
            const std::string id = q.matches[1];
            if (statusHttp_ != 200) {
                r.status = statusHttp_;
                r.set_content("not here", "text/plain");
                return;
            }
            const int status = statuses_.count(id) ? statuses_[id] : JCMP_STATUS_ISSUED;
            r.set_content(ok() + ",\"objInfo\":{\"status\":{\"value\":\"" + std::to_string(status) +
                              "\",\"description\":\"" + (status == JCMP_STATUS_ISSUED ? "Выдан" : "На рассмотрении") +
                              "\"}}}",
                          "application/json");
        });
        server_.svr.Get(prefix + R"(/load/20/(\w+))", [this](const httplib::Request& q, httplib::Response& r) {
            std::lock_guard<std::mutex> g(lock_);
            auto it = issued_.find(q.matches[1]);
            if (it == issued_.end()) {
                r.set_content("{\"result\":{\"code\":\"0xC0800007\",\"message\":\"Нет такого запроса\"}}",
                              "application/json");
                return;
            }
            r.set_content(ok() + ",\"x509object\":{\"type\":\"20\",\"base64object\":\"" +
                              b64(ca_.chain(it->second, leafInChain_, caInChain_)) + "\"}}",
                          "application/json");
        });
        server_.svr.Get(prefix + "/issuingRestrictions", [this](const httplib::Request&, httplib::Response& r) {
            std::lock_guard<std::mutex> g(lock_);
            ++restrictionCalls_;
            r.set_content(restrictions_, "application/json");
        });
        server_.start();
    }
    std::string base() const { return server_.url(prefix_); }
    // The server's own address, with its closing "/".
    std::string root() const { return server_.url("/"); }

    void setRestrictions(bool enabled, bool start, bool self, bool preterm) {
        auto b = [](bool v) { return v ? "\"true\"" : "\"false\""; };
        std::lock_guard<std::mutex> g(lock_);
        restrictions_ = std::string("{\"enabled\":") + b(enabled) + ",\"acceptStartConfirmed\":" + b(start) +
                        ",\"acceptSelfConfirmed\":" + b(self) + ",\"acceptPretermChanged\":" + b(preterm) + "}";
    }
    int restrictionCalls() {
        std::lock_guard<std::mutex> g(lock_);
        return restrictionCalls_;
    }
    // The service's code for registrations (0: accepted).
    void setRegisterCode(const std::string& code) {
        std::lock_guard<std::mutex> g(lock_);
        registerCode_ = code;
    }
    void setReplyType(int type) {
        std::lock_guard<std::mutex> g(lock_);
        replyType_ = type;
    }
    // Bytes every "issue" answers with in place of what was issued.
    void setIssuedObject(const std::string& bytes) {
        std::lock_guard<std::mutex> g(lock_);
        issuedObject_ = bytes;
    }
    void setStatus(const std::string& id, int status) {
        std::lock_guard<std::mutex> g(lock_);
        statuses_[id] = status;
    }
    void setStatusHttp(int status) {
        std::lock_guard<std::mutex> g(lock_);
        statusHttp_ = status;
    }
    void setLeafInChain(bool on) {
        std::lock_guard<std::mutex> g(lock_);
        leafInChain_ = on;
    }
    void setCaInChain(bool on) {
        std::lock_guard<std::mutex> g(lock_);
        caInChain_ = on;
    }
    std::vector<Received> received() {
        std::lock_guard<std::mutex> g(lock_);
        return received_;
    }
    // Certificates issued, by key identifier.
    std::map<std::string, std::string> issued() {
        std::lock_guard<std::mutex> g(lock_);
        return issued_;
    }

private:
    static std::string ok() { return "{\"result\":{\"code\":\"0\",\"message\":\"Выполнено\"}"; }

    std::string take(const char* operation, const std::string& body, bool issue) {
        std::lock_guard<std::mutex> g(lock_);
        Received rec;
        rec.operation = operation;
        rec.body = body;
        try {
            const nlohmann::json j = nlohmann::json::parse(body);
            rec.type = std::stoi(j.at("x509object").at("type").get<std::string>());
            rec.der = unb64(j.at("x509object").at("base64object").get<std::string>());
        } catch (const std::exception&) {
            return "{\"result\":{\"code\":\"0xC0C00190\",\"message\":\"Неверный запрос\"}}";
        }
        received_.push_back(rec);
        if (!issue && registerCode_ != "0")
            return "{\"result\":{\"code\":\"" + registerCode_ + "\",\"message\":\"Отказано\"}}";
        if (rec.type != JCMP_TYPE_REQUEST && rec.type != JCMP_TYPE_SIGNED_REQUEST) return ok() + "}";
        const std::string p10 = rec.type == JCMP_TYPE_SIGNED_REQUEST ? ca_.unwrap(rec.der) : rec.der;
        const std::string cert = p10.empty() ? std::string() : ca_.issue(p10, 60);
        if (cert.empty()) return "{\"result\":{\"code\":\"0xC0800001\",\"message\":\"Не издан\"}}";
        issued_[keyIdOfCert(cert)] = cert;
        if (!issue) return ok() + "}";
        const std::string object = !issuedObject_.empty()                ? issuedObject_
                                   : replyType_ == JCMP_TYPE_CERTIFICATE ? cert
                                                                         : ca_.chain(cert);
        return ok() + ",\"x509object\":{\"type\":\"" + std::to_string(replyType_) + "\",\"base64object\":\"" +
               b64(object) + "\"}}";
    }

    TestCa& ca_;
    std::string prefix_;
    zrxtest::HttpServer server_;
    std::mutex lock_;
    std::string restrictions_ = "{\"enabled\":\"false\"}";
    int restrictionCalls_ = 0;
    std::string registerCode_ = "0";
    int replyType_ = JCMP_TYPE_CHAIN;
    std::string issuedObject_;
    std::map<std::string, int> statuses_;
    int statusHttp_ = 200;
    bool leafInChain_ = true;
    bool caInChain_ = true;
    std::vector<Received> received_;
    std::map<std::string, std::string> issued_;
};

}  // namespace zrxtest
