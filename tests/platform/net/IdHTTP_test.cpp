// The SSL server of the installed cpp-httplib library is used for the TLS test.
#define CPPHTTPLIB_OPENSSL_SUPPORT
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "platform/net/IdHTTP.h"
#include "platform/net/TestServers.h"
#include "support/TempDir.h"

namespace {

struct Seen {
    std::string method, path, contentType, body, expect;
    bool hasExpect = false;
};

void record(Seen& seen, const httplib::Request& req) {
    seen.method = req.method;
    seen.path = req.path;
    seen.contentType = req.get_header_value("Content-Type");
    seen.body = req.body;
    seen.hasExpect = req.has_header("Expect");
}

}  // namespace

TEST(IdHTTP, PostsAndGetsExactBytes) {
    zrxtest::HttpServer server;
    Seen seen;
    server.svr.Post("/svc/register", [&](const httplib::Request& req, httplib::Response& res) {
        record(seen, req);
        res.set_header("X-Test", "1");
        res.set_content("{\"ok\":\"да\"}", "application/json");
    });
    server.svr.Get("/svc/status/8/A1", [&](const httplib::Request& req, httplib::Response& res) {
        record(seen, req);
        res.set_content("plain", "text/plain");
    });
    server.start();

    TIdHTTP http;
    http.Request.ContentType = "application/json; charset=utf-8";
    // Large enough that libcurl would otherwise ask "Expect: 100-continue".
    const std::string body = "{\"x\":\"" + std::string(200000, 'A') + "\"}";
    TStringStream req(body), resp;
    http.Post(server.url("/svc/register"), req, resp);
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.path, "/svc/register");
    EXPECT_EQ(seen.contentType, "application/json; charset=utf-8");
    EXPECT_EQ(seen.body, body);
    EXPECT_FALSE(seen.hasExpect);
    EXPECT_EQ(http.ResponseCode(), 200);
    EXPECT_EQ(http.ResponseText(), "HTTP/1.1 200 OK");
    EXPECT_EQ(http.Response.ContentType, "application/json");
    EXPECT_EQ(resp.DataString(), "{\"ok\":\"да\"}");
    bool sawHeader = false;
    for (auto& h : http.Response.RawHeaders) sawHeader |= h == "X-Test: 1";
    EXPECT_TRUE(sawHeader);
    bool sawContentType = false;
    for (auto& h : http.Request.RawHeaders) sawContentType |= h == "Content-Type: application/json; charset=utf-8";
    EXPECT_TRUE(sawContentType);

    TStringStream got;
    http.Get(server.url("/svc/status/8/A1"), got);
    EXPECT_EQ(seen.method, "GET");
    EXPECT_EQ(seen.body, "");
    EXPECT_EQ(got.DataString(), "plain");
}

TEST(IdHTTP, ErrorStatusFollowsTheOptions) {
    zrxtest::HttpServer server;
    server.svr.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("not here", "text/plain");
    });
    server.svr.Get("/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/elsewhere"); });
    server.start();

    TIdHTTP http;
    TStringStream out;
    try {
        http.Get(server.url("/missing"), out);
        FAIL() << "no exception";
    } catch (const EIdHTTPProtocolException& e) {
        EXPECT_EQ(e.ErrorCode(), 404);
        EXPECT_EQ(e.Message(), "HTTP/1.1 404 Not Found");
    }
    http.HTTPOptions = hoNoProtocolErrorException;
    http.Get(server.url("/missing"), out);
    EXPECT_EQ(http.ResponseCode(), 404);
    EXPECT_EQ(out.DataString(), "");
    http.HTTPOptions = hoNoProtocolErrorException | hoWantProtocolErrorContent;
    http.Get(server.url("/missing"), out);
    EXPECT_EQ(out.DataString(), "not here");

    TStringStream moved;
    http.Get(server.url("/moved"), moved);  // redirects are not followed
    EXPECT_EQ(http.ResponseCode(), 302);
}

TEST(IdHTTP, TransportFailuresRaiseSocketErrors) {
    TIdHTTP http;
    TStringStream out;
    try {
        http.Get("http://127.0.0.1:" + std::to_string(zrxtest::refusedPort()) + "/x", out);
        FAIL() << "no exception";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.LastError(), 10061);
        EXPECT_EQ(e.Message(), "Socket Error # 10061\r\nConnection refused.");
    }

    zrxtest::RawServer closing(zrxtest::RawServer::CloseAfterRequest);
    try {
        http.Get(closing.url("/x"), out);
        FAIL() << "no exception";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.LastError(), 10054);
    }

    try {
        http.Get("ftp://127.0.0.1/x", out);
        FAIL() << "no exception";
    } catch (const EIdSocketError&) {
        FAIL() << "not a socket error";
    } catch (const EIdException& e) {
        EXPECT_FALSE(e.Message().empty());
    }
}

// When a kept-alive connection closes after the request went out, the
// request is not sent again on a new connection (GET or POST): the failure
// is reported with its socket code, and the client stays usable.
TEST(IdHTTP, RequestWithoutReplyIsNotResent) {
    for (const char* method : {"GET", "POST"}) {
        SCOPED_TRACE(method);
        zrxtest::RawServer server(zrxtest::RawServer::KeepAliveThenClose);
        TIdHTTP http;
        TStringStream out;
        http.Get(server.url("/first"), out);
        EXPECT_EQ(out.DataString(), "ok");
        try {
            TStringStream req("{\"register\":1}");
            if (std::string(method) == "GET") http.Get(server.url("/second"), out);
            else http.Post(server.url("/second"), req, out);
            FAIL() << "no exception";
        } catch (const EIdSocketError& e) {
            EXPECT_EQ(e.LastError(), 10054);
        }
        EXPECT_EQ(server.requests(), 2);
        EXPECT_EQ(server.connections(), 1);
        TStringStream again;
        http.Get(server.url("/third"), again);
        EXPECT_EQ(again.DataString(), "ok");
    }
}

TEST(IdHTTP, ReadTimeoutEndsAStalledReply) {
    zrxtest::RawServer stalled(zrxtest::RawServer::Stall);
    TIdHTTP http;
    http.ReadTimeout = 1000;
    TStringStream req("{}"), out;
    const auto start = std::chrono::steady_clock::now();
    try {
        http.Post(stalled.url("/x"), req, out);
        FAIL() << "no exception";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.LastError(), 10060);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(IdHTTP, OversizedReplyIsRefused) {
    zrxtest::HttpServer server;
    server.svr.Get("/big", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(300000, 'x'), "text/plain");
    });
    server.start();
    TIdHTTP http;
    http.MaxResponseSize = 100000;
    TStringStream out;
    EXPECT_THROW(http.Get(server.url("/big"), out), EIdException);
    EXPECT_EQ(out.Size(), 0);
    http.MaxResponseSize = 300000;
    http.Get(server.url("/big"), out);
    EXPECT_EQ(out.Size(), 300000);
}

TEST(IdHTTP, UnsafeUrlCharactersAreEncoded) {
    zrxtest::HttpServer server;
    std::string path;
    server.svr.Get(R"(/load/.*)", [&](const httplib::Request& req, httplib::Response& res) {
        path = req.target;
        res.set_content("{}", "application/json");
    });
    server.start();
    TIdHTTP http;
    TStringStream out;
    http.Get(server.url("/load/3/a b\"ё"), out);
    EXPECT_EQ(path, "/load/3/a%20b%22%D1%91");
}

TEST(IdHTTP, SocketErrorNumbersFromErrno) {
    EXPECT_EQ(TIdHTTP::socketErrorFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(TIdHTTP::socketErrorFromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(TIdHTTP::socketErrorFromErrno(ECONNRESET), 10054);
    EXPECT_EQ(TIdHTTP::socketErrorFromErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(TIdHTTP::socketErrorFromErrno(0), 0);
}

TEST(IdHTTP, HttpsVerifiesThePeer) {
    zrxtest::TempDir dir;
    const std::string cmd = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout '" +
                            dir.file("key.pem") + "' -out '" + dir.file("cert.pem") +
                            "' -subj /CN=127.0.0.1 -days 2 -addext subjectAltName=IP:127.0.0.1 >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    httplib::SSLServer svr(dir.file("cert.pem").c_str(), dir.file("key.pem").c_str());
    ASSERT_TRUE(svr.is_valid());
    svr.Get("/x", [](const httplib::Request&, httplib::Response& res) { res.set_content("secret", "text/plain"); });
    const int port = svr.bind_to_any_port("127.0.0.1");
    std::thread t([&] { svr.listen_after_bind(); });

    TIdHTTP http;
    TStringStream out;
    bool refused = false;
    try {
        http.Get("https://127.0.0.1:" + std::to_string(port) + "/x", out);
    } catch (const EIdSocketError&) {
    } catch (const EIdException&) {
        refused = true;  // an unknown issuer is not trusted
    }
    svr.stop();
    t.join();
    EXPECT_TRUE(refused);
    EXPECT_EQ(out.Size(), 0);
}
