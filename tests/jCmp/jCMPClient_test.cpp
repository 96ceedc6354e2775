// The registration-service client against real HTTP servers on 127.0.0.1.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>

#include "jCmp/LogCapture.h"
#include "jCmp/ZrX509jCMPClient.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/net/TestServers.h"
#include "support/TempDir.h"

namespace {

// A service that records each request and answers with the configured reply.
class Service {
public:
    struct Seen {
        std::string method, target, contentType, body;
    };

    Service() {
        auto handler = [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard<std::mutex> g(lock_);
            seen_ = Seen{req.method, req.target, req.get_header_value("Content-Type"), req.body};
            res.status = status_;
            if (!body_.empty()) res.set_content(body_, "application/json");
        };
        server_.svr.Get(R"(/svc/.*)", handler);
        server_.svr.Post(R"(/svc/.*)", handler);
        server_.start();
    }
    void reply(int status, std::string body) {
        std::lock_guard<std::mutex> g(lock_);
        status_ = status;
        body_ = std::move(body);
    }
    Seen seen() {
        std::lock_guard<std::mutex> g(lock_);
        return seen_;
    }
    std::string base() const { return server_.url("/svc"); }

private:
    zrxtest::HttpServer server_;
    std::mutex lock_;
    int status_ = 200;
    std::string body_;
    Seen seen_;
};

std::string ok(const std::string& more = "") { return "{\"result\":{\"code\":\"0\",\"message\":\"ok\"}" + more + "}"; }

std::string b64(const std::vector<uint8_t>& bytes) {
    return TBase64Encoding(0, "").EncodeBytesToString(bytes.data(), bytes.size());
}

const char* const kJson = "application/json; charset=utf-8";

}  // namespace

TEST(JcmpService, ExactRequestsOfAllOperations) {
    Service svc;
    TCjCMPClient client("");
    client.setBaseURL(svc.base().c_str());
    zrxtest::LogCapture log;

    const unsigned char der[] = {0x30, 0x03, 0x02, 0x01, 0x05};
    svc.reply(200, ok());
    const uint32_t options = 12;
    EXPECT_EQ(client.registerData(der, sizeof der, 3, &options), 0u);
    Service::Seen s = svc.seen();
    EXPECT_EQ(s.method, "POST");
    EXPECT_EQ(s.target, "/svc/register");
    EXPECT_EQ(s.contentType, kJson);
    EXPECT_EQ(
        s.body,
        R"({"x509object":{"type":"3", "base64object" :"MAMCAQU=" },"options":{"ignoreSimilar":"true","sendImmediately":"true"}})");
    EXPECT_EQ(client.lastResultText().str(), "ok");

    const std::vector<uint8_t> cert = {0x30, 0x01, 0x00, 0xFF};
    svc.reply(200, ok(",\"x509object\":{\"type\":\"2\",\"base64object\":\"" + b64(cert) + "\"}"));
    TZrXMKCertPars pars;
    pars.flags = 1;
    int replyType = 0;
    unsigned char out[64];
    size_t outLen = sizeof out;
    EXPECT_EQ(client.issue(8, der, sizeof der, &replyType, out, &outLen, &pars), 0u);
    s = svc.seen();
    EXPECT_EQ(s.method, "POST");
    EXPECT_EQ(s.target, "/svc/issue");
    EXPECT_EQ(s.contentType, kJson);
    EXPECT_EQ(s.body, R"({"x509object":{"type":"8", "base64object" :"MAMCAQU=" },"options":{"fullChain":"true"}})");
    EXPECT_EQ(replyType, 2);
    ASSERT_EQ(outLen, cert.size());
    EXPECT_EQ(std::vector<uint8_t>(out, out + outLen), cert);

    svc.reply(200, ok(",\"objInfo\":{\"status\":{\"value\":4104,\"description\":\"Издан\"}}"));
    int status = 0;
    TCString description;
    EXPECT_EQ(client.getStatus(8, "0A1B2C", &status, &description), 0u);
    s = svc.seen();
    EXPECT_EQ(s.method, "GET");
    EXPECT_EQ(s.target, "/svc/status/8/0A1B2C");
    EXPECT_EQ(s.contentType, kJson);
    EXPECT_EQ(s.body, "");
    EXPECT_EQ(status, 4104);
    EXPECT_EQ(description.str(), "Издан");
    EXPECT_EQ(client.requestURL().str(), svc.base() + "/status/8/0A1B2C");

    svc.reply(200, ok(",\"x509object\":{\"base64object\":\"" + b64(cert) + "\"}"));
    outLen = sizeof out;
    EXPECT_EQ(client.load(3, "0A1B2C", out, &outLen), 0u);
    s = svc.seen();
    EXPECT_EQ(s.method, "GET");
    EXPECT_EQ(s.target, "/svc/load/3/0A1B2C");
    EXPECT_EQ(outLen, cert.size());

    // A key identifier that is not hexadecimal cannot leave its path segment.
    client.load(3, "../x y", out, &outLen);
    EXPECT_EQ(svc.seen().target, "/svc/load/3/..%2Fx%20y");

    svc.reply(200, R"({"enabled":"true","acceptStartConfirmed":true,"acceptSelfConfirmed":"false"})");
    TCFlags<unsigned int> restrictions(JCMP_IR_ACCEPT_SELF | JCMP_IR_ACCEPT_PRETERM | 1);
    EXPECT_EQ(client.getIssuingRestrictions(&restrictions), 0u);
    s = svc.seen();
    EXPECT_EQ(s.method, "GET");
    EXPECT_EQ(s.target, "/svc/issuingRestrictions");
    EXPECT_EQ(restrictions.value(), JCMP_IR_ENABLED | JCMP_IR_ACCEPT_START | 1u);
    EXPECT_TRUE(log.records().empty());
}

TEST(JcmpService, ErrorStatusWithAndWithoutJson) {
    Service svc;
    TCjCMPClient client(svc.base().c_str());
    client.setBaseURL(svc.base().c_str());
    zrxtest::LogCapture log;
    int status = 0;

    svc.reply(404, "<html>Not Found</html>");
    EXPECT_EQ(client.getStatus(8, "AB", &status, nullptr), 0xC0C00194u);
    EXPECT_EQ(client.lastResultText().str(), "Ресурс не найден");
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].text, "Ошибка выполнения запроса 'Получить статус': Ресурс не найден");

    // The service says success but the status says otherwise: the status wins, and is reported.
    svc.reply(500, ok());
    EXPECT_EQ(client.registerData("x", 1, 3, nullptr), 0xC0C001F4u);
    EXPECT_EQ(client.lastResult(), 0xC0C001F4u);
    EXPECT_EQ(log.records().size(), 2u);
    EXPECT_EQ(log.records().back().code, 0xC0C001F4u);

    // A failure from the service is passed on unchanged.
    svc.reply(400, "{\"result\":{\"code\":\"0xC0D00005\",\"message\":\"Запрос уже зарегистрирован\"}}");
    EXPECT_EQ(client.registerData("x", 1, 3, nullptr), 0xC0D00005u);
    EXPECT_EQ(client.lastResultText().str(), "Запрос уже зарегистрирован");
    EXPECT_EQ(log.records().back().text,
              "Ошибка выполнения запроса 'Зарегистрировать запрос': Запрос уже зарегистрирован");

    TCFlags<unsigned int> restrictions(JCMP_IR_ENABLED);
    svc.reply(503, "{\"enabled\":false}");
    EXPECT_EQ(client.getIssuingRestrictions(&restrictions), 0xC0C001F7u);
    EXPECT_EQ(client.lastResultText().str(), "Ошибка выполнения запроса на сервере");
    EXPECT_EQ(restrictions.value(), JCMP_IR_ENABLED);
    svc.reply(200, "");
    EXPECT_EQ(client.getIssuingRestrictions(&restrictions), 0xC0C000C8u);
    svc.reply(200, "[true]");
    EXPECT_EQ(client.getIssuingRestrictions(&restrictions), 0xC0C00321u);
    EXPECT_EQ(restrictions.value(), JCMP_IR_ENABLED);
}

TEST(JcmpService, MissingAndBadReplyFields) {
    Service svc;
    TCjCMPClient client(svc.base().c_str());
    client.setBaseURL(svc.base().c_str());
    zrxtest::LogCapture log;
    unsigned char out[16];
    size_t len = sizeof out;
    int replyType = -1;

    svc.reply(200, ok(",\"x509object\":{\"base64object\":\"AAAA\"}"));
    EXPECT_EQ(client.issue(8, "x", 1, &replyType, out, &len, nullptr), 0xC0C00322u);
    EXPECT_EQ(replyType, 0);
    EXPECT_EQ(
        client.lastResultText().str(),
        "Обработка отклика издания сертификатата, id запроса:. Ошибка получения значения поля 'x509object.type'!!");
    svc.reply(200, ok(",\"x509object\":{\"type\":2,\"base64object\":\"!!not base64!!\"}"));
    EXPECT_EQ(client.issue(8, "x", 1, &replyType, out, &len, nullptr), 0xC0C00321u);
    svc.reply(200, ok(",\"x509object\":{\"type\":2}"));
    EXPECT_EQ(client.issue(8, "x", 1, &replyType, out, &len, nullptr), 0xC0C00322u);

    svc.reply(200, ok(",\"x509object\":{\"base64object\":\"\"}"));
    EXPECT_EQ(client.load(2, "AB", out, &len), 0xC0C00321u);
    EXPECT_EQ(client.lastResultText().str(), "Загрузка Сертификат,id:AB. Ошибка декодирования принятых данных!");
    svc.reply(200, ok());
    EXPECT_EQ(client.load(2, "AB", out, &len), 0xC0C00322u);

    int status = 7;
    svc.reply(200, ok(",\"objInfo\":{\"status\":{\"value\":0}}"));
    EXPECT_EQ(client.getStatus(8, "AB", &status, nullptr), 0xC0C00322u);
    svc.reply(200, ok(",\"objInfo\":{\"status\":{\"value\":5}}"));
    TCString description;
    EXPECT_EQ(client.getStatus(8, "AB", &status, &description), 0xC0C00322u);
    EXPECT_EQ(status, 5);
    EXPECT_EQ(client.getStatus(8, "AB", &status, nullptr), 0u);
}

TEST(JcmpService, RefusedConnection) {
    TCjCMPClient client("");
    client.setBaseURL(("http://127.0.0.1:" + std::to_string(zrxtest::refusedPort()) + "/svc").c_str());
    zrxtest::LogCapture log;
    EXPECT_EQ(client.registerData("x", 1, 3, nullptr), 0xC0C0274Du);
    EXPECT_EQ(client.lastResultText().str(), "Socket Error # 10061. Connection refused.");
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].code, 0xC0C0274Du);
    EXPECT_EQ(log.records()[0].text,
              "Ошибка выполнения запроса 'Зарегистрировать запрос': Socket Error # 10061. Connection refused.");
    EXPECT_EQ(jcmpErrorText(client.lastResult()).str(),
              "WSAECONNREFUSED:В соединении отказано (возможно, не загружен сервер)");
}

TEST(JcmpService, ConnectionClosedWithoutReply) {
    zrxtest::RawServer server(zrxtest::RawServer::CloseAfterRequest);
    TCjCMPClient client("");
    client.setBaseURL(server.url("/svc").c_str());
    zrxtest::LogCapture log;
    int status = 0;
    EXPECT_EQ(client.getStatus(8, "AB", &status, nullptr), 0xC0C02746u);
    EXPECT_EQ(log.records().size(), 1u);
}

TEST(JcmpService, StalledReplyEndsByTheTimeout) {
    zrxtest::RawServer server(zrxtest::RawServer::Stall);
    registerGlobalIntValue("HTTP_TIMEOUT", 1);  // below the floor: the floor applies
    TCjCMPClient client("");
    client.setBaseURL(server.url("/svc").c_str());
    zrxtest::LogCapture log;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.registerData("x", 1, 3, nullptr), 0xC0C0274Cu);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::seconds(JCMP_MIN_TIMEOUT_SEC - 1));
    EXPECT_LT(took, std::chrono::seconds(JCMP_MIN_TIMEOUT_SEC + 3));
}

// A reply that trickles in, a byte now and then, ends by the time-out for
// the whole exchange, not only for idle reading.
TEST(JcmpService, TricklingReplyEndsByTheTimeout) {
    zrxtest::RawServer server(zrxtest::RawServer::Trickle);
    registerGlobalIntValue("HTTP_TIMEOUT", JCMP_MIN_TIMEOUT_SEC);
    TCjCMPClient client("");
    client.setBaseURL(server.url("/svc").c_str());
    zrxtest::LogCapture log;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.registerData("x", 1, 3, nullptr), 0xC0C0274Cu);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(JCMP_MIN_TIMEOUT_SEC + 2));
    registerGlobalIntValue("HTTP_TIMEOUT", 0);
}

// A request whose reply never came on a kept-alive connection is not sent
// again by the transport: the service sees it once, the client a failure.
TEST(JcmpService, RequestIsNeverSentTwice) {
    zrxtest::RawServer server(zrxtest::RawServer::KeepAliveThenClose);
    TCjCMPClient client("");
    client.setBaseURL(server.url("/svc").c_str());
    zrxtest::LogCapture log;
    int status = 0;
    client.getStatus(8, "AB", &status, nullptr);  // opens the kept-alive connection
    EXPECT_EQ(client.registerData("x", 1, 3, nullptr), 0xC0C02746u);
    EXPECT_EQ(server.requests(), 2);
    EXPECT_EQ(server.connections(), 1);
}

TEST(JcmpService, LargeBase64Object) {
    Service svc;
    TCjCMPClient client(svc.base().c_str());
    client.setBaseURL(svc.base().c_str());
    zrxtest::LogCapture log;
    std::vector<uint8_t> object(3 * 1024 * 1024 + 1);
    std::mt19937 rnd(7);
    for (auto& b : object) b = uint8_t(rnd());
    svc.reply(200, ok(",\"x509object\":{\"base64object\":\"" + b64(object) + "\"}"));

    std::vector<uint8_t> small(16384, 0xAB);
    size_t len = small.size();
    EXPECT_EQ(client.load(20, "AB", small.data(), &len), 0xC0C00324u);
    EXPECT_EQ(len, object.size());
    EXPECT_EQ(std::count(small.begin(), small.end(), 0xAB), 16384);
    EXPECT_EQ(client.lastResultText().str(),
              "Загрузка Набор сертификатов,id:AB. Размер буфера данных меньше требуемого (3145729)!");

    std::vector<uint8_t> big(object.size());
    len = big.size();
    EXPECT_EQ(client.load(20, "AB", big.data(), &len), 0u);
    EXPECT_EQ(big, object);
}

TEST(JcmpService, ExchangeDump) {
    Service svc;
    zrxtest::TempDir dir;
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    {
        TCjCMPClient client(svc.base().c_str());
        client.setBaseURL(svc.base().c_str());
        client.flags.set(TCjCMPClient::WRITE_DUMP);
        zrxtest::LogCapture log;
        svc.reply(200, ok());
        client.registerData("x", 1, 3, nullptr);
    }
    std::filesystem::current_path(cwd);
    std::string dump;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_EQ(e.path().filename().string().rfind("jCMPDump", 0), 0u);
        dump = zrxtest::readFile(e.path().string());
    }
    EXPECT_EQ(dump.rfind("===================================", 0), 0u) << dump;
    EXPECT_NE(dump.find("\n** URL:" + svc.base() + "/register\n** Request:\nPOST register\n"), std::string::npos)
        << dump;
    EXPECT_NE(dump.find("Content-Type: application/json; charset=utf-8\n"), std::string::npos);
    EXPECT_NE(dump.find("{\"x509object\":{\"type\":\"3\", \"base64object\" :\"eA==\" }}\n\n** Response:\n"),
              std::string::npos)
        << dump;
    EXPECT_NE(
        dump.find(ok() +
                  "\nHTTP/1.1 200 OK\n=================================End=================================\n \n"),
        std::string::npos)
        << dump;
}
