// Headless parts of the registration-service client: texts, codes, bodies,
// reply checks and the JSON readers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "jCmp/LogCapture.h"
#include "jCmp/ZrX509jCMPClient.h"

namespace {

class Client : public TCjCMPClient {
public:
    Client() : TCjCMPClient("http://127.0.0.1:1/svc/") {}
    using TCjCMPClient::parseReply;
    using TCjCMPClient::statusOverride;
};

}  // namespace

TEST(JcmpTexts, ErrorTextTables) {
    const std::pair<KResult, const char*> cases[] = {
        {0xC0C0274D, "WSAECONNREFUSED:В соединении отказано (возможно, не загружен сервер)"},
        {0xC0C0274C, "WSAETIMEDOUT:Истекло время ожидания"},
        {0xC0C02746, "WSAECONNRESET:Cоединение закрыто сервером"},
        {0xC0C02726, "WSAEFAULT:Неверно заданы параметры"},  // 10022 shares the text of 10014
        {0xC0C02AF9, "WSAHOST_NOT_FOUND:Хост соединения не найден"},
        {0xC0C02711, "Внутренняя ошибка системы"},  // 10001: above 10000 but not in the table
        {0xC0CFFFFF, "Внутренняя ошибка системы"},
        {0xC0C00194, "Ресурс не найден"},
        {0xC0C001F4, "Внутренняя ошибка сервера"},
        {0xC0C001FA, "Неопределенный код ошибки"},  // 506 has no row
        {0xC0C00192, "Неопределенный код ошибки"},  // 402 neither
        {0xC0C00323, "Неопределенный код ошибки"},  // 803 neither
        {0xC0C00321, "Ошибка разбора данных"},
        {0xC0C00327, "ZrX_jCMP_INDY_EXCEPTION"},
        {0xC0C0032D, "Операция отменена"},
        {0xC0C02710, "Неопределенный код ошибки"},  // exactly 10000 uses the client table
    };
    for (auto& [code, text] : cases) EXPECT_EQ(jcmpErrorText(code).str(), text) << std::hex << code;
    EXPECT_STREQ(socketErrorName(10022), socketErrorName(10014));
    EXPECT_STREQ(socketErrorName(10056), socketErrorName(10048));
}

TEST(JcmpCodes, ServiceCodeConversion) {
    const struct {
        const char* text;
        bool ok;
        uint32_t code;
    } cases[] = {
        {"0", true, 0},
        {"3234856961", true, 0xC0D00001},
        {"4294967295", true, 0xFFFFFFFF},
        {"-1060110335", true, 0xC0D00001},
        {"-2147483648", true, 0x80000000},
        {"+5", true, 5},
        {"0xC0C00321", true, 0xC0C00321},
        {"0Xc0c00321", true, 0xC0C00321},
        {"$C0C00321", true, 0xC0C00321},
        {"4294967296", false, 0},
        {"-2147483649", false, 0},
        {"0x100000000", false, 0},
        {"99999999999999999999999", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"0x", false, 0},
        {"12abc", false, 0},
        {" 1", false, 0},
        {"1.0", false, 0},
        {"null", false, 0},
        {"-0x10", false, 0},
    };
    for (auto& c : cases) {
        uint32_t code = 0;
        EXPECT_EQ(jcmpParseCode(c.text, code), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(code, c.code) << c.text;
        }
    }
}

TEST(JcmpCodes, KeyIdentifierIsEncodedForThePath) {
    EXPECT_EQ(jcmpEncodePathPart("0A1b2C").str(), "0A1b2C");
    EXPECT_EQ(jcmpEncodePathPart("../a b/?#%").str(), "..%2Fa%20b%2F%3F%23%25");
    EXPECT_EQ(jcmpEncodePathPart("ключ").str(), "%D0%BA%D0%BB%D1%8E%D1%87");
}

TEST(JcmpBodies, RegisterAndIssueBodies) {
    Client c;
    const unsigned char der[] = {1, 2, 3};
    EXPECT_EQ(c.bodyText(3, der, 3, TCjCMPClient::registerOptionsText(nullptr)).str(),
              R"({"x509object":{"type":"3", "base64object" :"AQID" }})");
    const std::pair<uint32_t, const char*> reg[] = {
        {0, ""},
        {4, R"(,"options":{"ignoreSimilar":"true"})"},
        {8, R"(,"options":{"sendImmediately":"true"})"},
        {12, R"(,"options":{"ignoreSimilar":"true","sendImmediately":"true"})"},
        {0x10, R"(,"options":{})"},
    };
    for (auto& [word, text] : reg) EXPECT_EQ(TCjCMPClient::registerOptionsText(&word).str(), text) << word;

    EXPECT_EQ(TCjCMPClient::issueOptionsText(nullptr).str(), "");
    TZrXMKCertPars p;
    EXPECT_EQ(TCjCMPClient::issueOptionsText(&p).str(), R"(,"options":{})");
    p.flags = 1;
    EXPECT_EQ(TCjCMPClient::issueOptionsText(&p).str(), R"(,"options":{"fullChain":"true"})");
    p.flags = 0x107;
    p.end = 365;
    EXPECT_EQ(
        TCjCMPClient::issueOptionsText(&p).str(),
        R"(,"options":{"fullChain":"true","includeServiceCerts":"true","ignoreSimilar":"true","lifeDays":"365"})");
    p.flags = 0;
    p.start = 1798761600;  // 2027-01-01 00:00:00 UTC
    p.end = 1830297600;    // 2028-01-01 00:00:00 UTC
    // The start in local time with its zone offset, the end in UTC.
    const time_t start = time_t(p.start);
    tm local{};
    localtime_r(&start, &local);
    char when[64];
    strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &local);
    const long off = local.tm_gmtoff;
    char zone[48];
    snprintf(zone, sizeof zone, "%c%02ld:%02ld", off < 0 ? '-' : '+', labs(off) / 3600, labs(off) / 60 % 60);
    EXPECT_EQ(TCjCMPClient::issueOptionsText(&p).str(),
              std::string(R"(,"options":{"notBefore":")") + when + zone + R"(","notAfter":"2028-01-01T00:00:00Z"})");
    EXPECT_EQ(c.bodyText(8, der, 3, TCjCMPClient::issueOptionsText(&p)).str().substr(0, 53),
              R"({"x509object":{"type":"8", "base64object" :"AQID" },")");
}

TEST(JcmpClient, BaseUrlGetsATrailingSlash) {
    Client c;
    c.setBaseURL("http://ca.example/JCMP");
    EXPECT_EQ(c.baseURL().str(), "http://ca.example/JCMP/");
    c.setBaseURL("http://ca.example/JCMP/");
    EXPECT_EQ(c.baseURL().str(), "http://ca.example/JCMP/");
    c.setBaseURL("");
    EXPECT_EQ(c.baseURL().str(), "");
    zrxtest::LogCapture log;
    EXPECT_EQ(c.registerData("x", 1, 3, nullptr), 0xC0C00320u);  // no address: nothing is sent
}

TEST(JcmpReply, ChecksTable) {
    const struct {
        int status;
        const char* body;
        KResult code;
        const char* text;  // null: the runtime's text of the code
    } cases[] = {
        {200, "", 0xC0C000C8, "Cервер вернул пустую строку"},
        {503, "", 0xC0C001F7, "Cервер вернул пустую строку"},
        {404, "<html>Not Found</html>", 0xC0C00194, "Ресурс не найден"},
        {200, "<html>", 0xC0C00321, "Ошибка разбора JSON-объекта в отклике сервера"},
        {200, "{}", 0xC0C00321, "Ошибка разбора JSON-объекта в отклике сервера"},
        {200, "[1,2]", 0xC0C00321, "Ошибка разбора JSON-объекта в отклике сервера"},
        {200, "{\"a\":1e999}", 0xC0C00321, "Ошибка разбора JSON-объекта в отклике сервера"},
        {500, "{}", 0xC0C001F4, "Внутренняя ошибка сервера"},
        {200, "{\"x\":1}", 0xC0C00321, "В отклике отсутсвует результат операции"},
        {200, "{\"result\":\"0\"}", 0xC0C00321, "В отклике отсутсвует результат операции"},
        {200, "{\"result\":{\"message\":\"m\"}}", 0xC0C00321, "В отклике отсутсвует код операции"},
        {200, "{\"result\":{\"code\":\"abc\"}}", 0xC0C00321, "Ошибка преобразования кода операции в отклике сервера"},
        {200, "{\"result\":{\"code\":99999999999}}", 0xC0C00321,
         "Ошибка преобразования кода операции в отклике сервера"},
        {200, "{\"result\":{\"code\":{}}}", 0xC0C00321, "Ошибка преобразования кода операции в отклике сервера"},
        {200, "{\"result\":{\"code\":\"0\",\"message\":\"Принято\"}}", 0, "Принято"},
        {200, "{\"result\":{\"code\":0}}", 0, "В отклике отсутствует текст сообщения"},
        {200, "{\"result\":{\"code\":\"0x40900001\",\"message\":\"info\"}}", 0x40900001, "info"},
        {200, "{\"result\":{\"code\":3234856961,\"message\":\"service\"}}", 0xC0D00001, "service"},
        {400, "{\"result\":{\"code\":\"-1060110335\",\"message\":\"bad\"}}", 0xC0D00001, "bad"},
        {200, "{\"result\":{\"code\":\"0xC0C00194\",\"message\":\"\"}}", 0xC0C00194, "Ресурс не найден"},
        {200, "{\"result\":{\"code\":\"0xC0C00194\",\"message\":null}}", 0xC0C00194, "Ресурс не найден"},
    };
    for (auto& c : cases) {
        zrxtest::LogCapture log;
        Client client;
        const KResult code = client.parseReply(c.body, c.status);
        EXPECT_EQ(code, c.code) << c.body;
        EXPECT_EQ(client.lastResult(), c.code) << c.body;
        EXPECT_EQ(client.lastResultText().str(), c.text) << c.body;
        // A failure leaves exactly one record; a success none while flags are clear.
        ASSERT_EQ(log.records().size(), isFailure(c.code) ? 1u : 0u) << c.body;
        if (isFailure(c.code)) {
            EXPECT_EQ(log.records()[0].code, c.code);
            EXPECT_EQ(log.records()[0].text, "Ошибка выполнения запроса '': " + std::string(c.text));
        }
    }
}

TEST(JcmpReply, FailureWithoutMessageGetsTheRuntimeText) {
    Client client;
    zrxtest::LogCapture log;
    EXPECT_EQ(client.parseReply("{\"result\":{\"code\":\"0xC0900010\",\"message\":\"\"}}", 200), 0xC0900010u);
    EXPECT_FALSE(client.lastResultText().isEmpty());
}

TEST(JcmpReply, StatusOverrideIsReportedAndLogged) {
    Client client;
    zrxtest::LogCapture log;
    const KResult parsed = client.parseReply("{\"result\":{\"code\":0,\"message\":\"Принято\"}}", 500);
    EXPECT_EQ(parsed, 0u);
    EXPECT_TRUE(log.records().empty());
    const KResult code = client.statusOverride(parsed, 500);
    EXPECT_EQ(code, 0xC0C001F4u);
    EXPECT_EQ(client.lastResult(), code);
    EXPECT_EQ(client.lastResultText().str(), "Внутренняя ошибка сервера. Принято");
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].code, code);

    // Below 400, or a failure already: unchanged and not reported again.
    EXPECT_EQ(client.statusOverride(0x40900001, 399), 0x40900001u);
    EXPECT_EQ(client.statusOverride(0xC0D00001, 500), 0xC0D00001u);
    EXPECT_EQ(log.records().size(), 1u);
}

TEST(JcmpReply, SuccessIsLoggedOnlyWithFlagBit1) {
    Client client;
    zrxtest::LogCapture log;
    client.flags.set(TCjCMPClient::LOG_SUCCESS);
    client.parseReply("{\"result\":{\"code\":0,\"message\":\"ok\"}}", 200);
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].text, "Результат выполнения запроса 'GET ': ok");
}

TEST(JcmpJson, Readers) {
    auto root = TJSONObject::ParseJSONValue(
        R"({"s":"text","n1":null,"n2":"NULL","n3":"Null","b1":"TRUE","b2":true,"b3":"yes","i":"0x10","j":-7,)"
        R"("k":"","l":"12x","o":{"p":{"q":"deep"}}})");
    ASSERT_TRUE(root);
    TCString out, err;
    EXPECT_TRUE(jsonGetString(root.get(), "s", out, "d", &err));
    EXPECT_EQ(out.str(), "text");
    for (const char* p : {"n1", "n2", "n3"}) {
        out = "x";
        EXPECT_TRUE(jsonGetString(root.get(), p, out, "d", &err)) << p;
        EXPECT_EQ(out.str(), "") << p;
    }
    EXPECT_TRUE(jsonGetString(root.get(), "o.p.q", out, "d", nullptr));
    EXPECT_EQ(out.str(), "deep");
    EXPECT_TRUE(err.isEmpty());
    EXPECT_FALSE(jsonGetString(root.get(), "o.p.missing", out, "d", &err));
    EXPECT_EQ(out.str(), "d");
    EXPECT_EQ(err.str(), "Ошибка получения значения поля 'o.p.missing'!");

    EXPECT_TRUE(jsonGetBool(root.get(), "b1", false, nullptr));
    EXPECT_TRUE(jsonGetBool(root.get(), "b2", false, nullptr));
    EXPECT_FALSE(jsonGetBool(root.get(), "b3", true, nullptr));
    EXPECT_TRUE(jsonGetBool(root.get(), "absent", true, nullptr));

    EXPECT_EQ(jsonGetInt(root.get(), "i", 5, nullptr), 16);
    EXPECT_EQ(jsonGetInt(root.get(), "j", 5, nullptr), -7);
    EXPECT_EQ(jsonGetInt(root.get(), "k", 5, nullptr), 5);
    EXPECT_EQ(jsonGetInt(root.get(), "l", 5, nullptr), 5);
    EXPECT_EQ(jsonGetInt(root.get(), "o", 5, nullptr), 5);
    EXPECT_EQ(jsonGetInt(root.get(), "absent", 5, nullptr), 5);
    EXPECT_EQ(jsonFindValue(nullptr, "s", &err), nullptr);
}
