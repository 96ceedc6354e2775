// The download client against servers on 127.0.0.1, and the local copy.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/config/CfgMacros.h"
#include "platform/net/TestServers.h"
#include "platform/runtime/Log.h"
#include "support/TempDir.h"
#include "update/FileFetch.h"
#include "update/HttpTexts.h"
#include "update/UpdationConfig.h"
#include "update/WinHttpClient.h"

namespace {

std::vector<std::pair<uint32_t, std::string>>& records() {
    static std::vector<std::pair<uint32_t, std::string>> r;
    return r;
}
int capture(uint32_t code, const char* text) {
    records().emplace_back(code, text ? text : "");
    return 0;
}

KResult neg(int n) { return static_cast<KResult>(-n); }

class FileFetchTest : public ::testing::Test {
protected:
    void SetUp() override {
        records().clear();
        prev_ = csSetKV_HLogOutFunc(capture);
    }
    void TearDown() override {
        csSetKV_HLogOutFunc(prev_);
        unregisterGlobalIntValue("HTTP_TIMEOUT");
        setUpdateFileCap(0);
    }
    bool logged(const std::string& part) const {
        for (const auto& r : records())
            if (r.second.find(part) != std::string::npos) return true;
        return false;
    }
    bool folderEmpty() const { return std::filesystem::is_empty(dir_.path()); }
    zrxtest::TempDir dir_;
    KV_HLogOutFunc prev_ = nullptr;
};

TEST_F(FileFetchTest, DownloadsExactLengthsAndChunkedBodies) {
    zrxtest::HttpServer srv;
    const std::string body(70000, 'z');
    srv.svr.Get("/upd/file.bin", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, "application/octet-stream");
    });
    srv.svr.Get("/upd/chunked.bin", [&](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream", [&](size_t offset, httplib::DataSink& sink) {
            if (offset < body.size()) sink.write(body.data() + offset, std::min<size_t>(1000, body.size() - offset));
            else sink.done();
            return true;
        });
    });
    srv.start();
    EXPECT_EQ(fetchFile(srv.url("/upd/file.bin").c_str(), dir_.str().c_str(), nullptr), 0u);
    EXPECT_EQ(zrxtest::readFile(dir_.file("file.bin")), body);
    EXPECT_EQ(fetchFile(srv.url("/upd/chunked.bin").c_str(), dir_.str().c_str(), nullptr), 0u);
    EXPECT_EQ(zrxtest::readFile(dir_.file("chunked.bin")), body);
}

TEST_F(FileFetchTest, HttpErrorStatusesAreNegatedAndLeaveNoFile) {
    zrxtest::HttpServer srv;
    srv.svr.Get("/404.bin", [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    srv.svr.Get("/500.bin", [](const httplib::Request&, httplib::Response& res) {
        res.status = 500;
        res.set_content("server body", "text/plain");
    });
    srv.svr.Get("/401.bin", [](const httplib::Request&, httplib::Response& res) {
        res.status = 401;
        res.set_header("WWW-Authenticate", "Basic realm=\"x\"");
    });
    srv.start();
    struct Case {
        const char* path;
        KResult code;
        const char* message;
    };
    const Case cases[] = {
        {"/404.bin", neg(404), "HTTP-запрос обработан с ошибкой 404: 'Not Found'!"},
        {"/500.bin", neg(500), "HTTP-запрос обработан с ошибкой 500: 'Internal Server Error'!"},
        {"/401.bin", neg(12015), "ERROR_WINHTTP_LOGIN_FAILURE"},  // the server record has no account
    };
    for (const Case& c : cases) {
        records().clear();
        const std::string link = srv.url(c.path);
        EXPECT_EQ(httpDownload(link.c_str(), dir_.str().c_str(), nullptr), c.code) << c.path;
        EXPECT_TRUE(logged(c.message)) << c.path;
        EXPECT_TRUE(logged("Ошибка загрузки файла обновления по сcылке: '" + link + "'")) << c.path;
        EXPECT_EQ(records().back().first, c.code) << c.path;
        EXPECT_TRUE(folderEmpty()) << c.path;
    }
}

TEST_F(FileFetchTest, BodiesThatBreakTheirLengthOrTheCapAreDeleted) {
    struct Case {
        const char* name;
        std::string reply;
        KResult code;
        const char* message;  // the reason logged
    };
    const std::string head = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
    const char* differs = "Размер полученных данных (299) отличается от исходного размера файла (300)!";
    const Case cases[] = {
        {"300 announced, 299 sent", head + "Content-Length: 300\r\n\r\n" + std::string(299, 'a'), neg(239), differs},
        {"huge length announced", head + "Content-Length: 99999999999999\r\n\r\n" + std::string(100, 'a'), neg(27),
         "превышает допустимый"},
        {"length past 64 bits", head + "Content-Length: 999999999999999999999999\r\n\r\nabc", neg(27),
         "превышает допустимый"},
        {"empty body", head + "Content-Length: 0\r\n\r\n", neg(239), "Сервер вернул пустой ответ на запрос файла"},
        {"empty body, no length", head + "\r\n", neg(239), "Сервер вернул пустой ответ на запрос файла"},
        {"no length, closed", head + "\r\n" + std::string(50, 'b'), 0, nullptr},
    };
    for (const Case& c : cases) {
        records().clear();
        zrxtest::RawServer srv(c.reply);
        const KResult r = httpDownload(srv.url("/f.bin").c_str(), dir_.str().c_str(), nullptr);
        EXPECT_EQ(r, c.code) << c.name;
        EXPECT_EQ(std::filesystem::exists(dir_.file("f.bin")), c.code == 0) << c.name;
        if (c.message) {
            EXPECT_TRUE(logged(c.message)) << c.name;
        }
        EXPECT_FALSE(logged("(0) отличается от исходного размера файла")) << c.name;
        std::filesystem::remove(dir_.file("f.bin"));
    }
    // Bytes after the announced length are no part of the answer: the file
    // holds exactly what was announced.
    zrxtest::RawServer more(head + "Content-Length: 10\r\n\r\n" + std::string(20, 'a'));
    EXPECT_EQ(httpDownload(more.url("/f.bin").c_str(), dir_.str().c_str(), nullptr), 0u);
    EXPECT_EQ(zrxtest::readFile(dir_.file("f.bin")), std::string(10, 'a'));
}

// A server that sends without end, counting what it could hand over.
struct EndlessServer {
    zrxtest::HttpServer srv;
    std::atomic<size_t> sent{0};
    explicit EndlessServer(bool announceLength) {
        srv.svr.Get("/upd/big.bin", [this, announceLength](const httplib::Request&, httplib::Response& res) {
            const std::string chunk(64 * 1024, 'x');
            auto provide = [this, chunk](size_t, httplib::DataSink& sink) {
                if (sent > (512u << 20)) return false;  // a bound for a client that never stops
                if (!sink.write(chunk.data(), chunk.size())) return false;
                sent += chunk.size();
                return true;
            };
            if (announceLength)
                res.set_content_provider(size_t(400) << 20, "application/octet-stream",
                                         [provide](size_t o, size_t, httplib::DataSink& s) { return provide(o, s); });
            else res.set_chunked_content_provider("application/octet-stream", provide);
        });
        srv.start();
    }
};

TEST_F(FileFetchTest, ADownloadStopsAtItsCap) {
    // Without a stated size the default cap holds; a small one stands in for it here.
    setUpdateFileCap(100000);
    for (const bool announced : {false, true}) {
        EndlessServer s(announced);
        records().clear();
        EXPECT_EQ(httpDownload(s.srv.url("/upd/big.bin").c_str(), dir_.str().c_str(), nullptr), neg(27)) << announced;
        EXPECT_TRUE(logged("превышает допустимый (100000 байт)")) << announced;
        EXPECT_LT(s.sent.load(), size_t(16) << 20) << announced;  // stopped, not run to the end
        EXPECT_TRUE(folderEmpty()) << announced;
    }
    // A size given for the one fetch bounds it whatever the default.
    setUpdateFileCap(0);
    EndlessServer s(false);
    TFetchLimits limits;
    limits.maxSize = 5000;
    EXPECT_EQ(fetchFile(s.srv.url("/upd/big.bin").c_str(), dir_.str().c_str(), nullptr, &limits), neg(27));
    EXPECT_TRUE(logged("превышает допустимый (5000 байт)"));
    EXPECT_TRUE(folderEmpty());
    // A local file over the limit is not copied.
    zrxtest::TempDir src;
    zrxtest::writeFile(src.file("local.bin"), std::string(6000, 'l'));
    EXPECT_EQ(fetchFile(src.file("local.bin").c_str(), dir_.str().c_str(), nullptr, &limits), 0xC040001Bu);
    EXPECT_TRUE(folderEmpty());
}

TEST_F(FileFetchTest, BrokenStatusLinesAndRefusedRedirects) {
    struct Case {
        const char* name;
        std::string reply;
        int number;
        const char* errorName;
    };
    const Case cases[] = {
        {"no status line", "garbage\r\n\r\n", 12152, "ERROR_WINHTTP_INVALID_SERVER_RESPONSE"},
        {"status not a number", "HTTP/1.1 abc OK\r\nContent-Length: 2\r\n\r\nok", 12152,
         "ERROR_WINHTTP_INVALID_SERVER_RESPONSE"},
        {"unknown version", "HTTP/9.9 200 OK\r\nContent-Length: 2\r\n\r\nok", 12152,
         "ERROR_WINHTTP_INVALID_SERVER_RESPONSE"},
        {"redirect to ftp", "HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/f.bin\r\nContent-Length: 0\r\n\r\n", 12156,
         "ERROR_WINHTTP_REDIRECT_FAILED"},
        {"redirect to a local file",
         "HTTP/1.1 301 Moved\r\nLocation: file:///etc/hostname\r\nContent-Length: 0\r\n\r\n", 12156,
         "ERROR_WINHTTP_REDIRECT_FAILED"},
    };
    for (const Case& c : cases) {
        records().clear();
        zrxtest::RawServer srv(c.reply);
        EXPECT_EQ(httpDownload(srv.url("/f.bin").c_str(), dir_.str().c_str(), nullptr), neg(c.number)) << c.name;
        EXPECT_TRUE(logged(c.errorName)) << c.name;
        EXPECT_FALSE(logged("ERROR_WINHTTP_UNRECOGNIZED_SCHEME")) << c.name;
        EXPECT_TRUE(folderEmpty()) << c.name;
    }
}

TEST_F(FileFetchTest, AStalledServerEndsByTheTimeOut) {
    registerGlobalIntValue("HTTP_TIMEOUT", 1);
    zrxtest::RawServer srv(zrxtest::RawServer::Stall);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(httpDownload(srv.url("/f.bin").c_str(), dir_.str().c_str(), nullptr), neg(12002));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(logged("ERROR_WINHTTP_TIMEOUT"));
    EXPECT_TRUE(folderEmpty());
}

TEST_F(FileFetchTest, NamesAndSchemesOfLinks) {
    struct Case {
        const char* link;
        KResult code;
    };
    const Case cases[] = {
        {"http://127.0.0.1:1/upd/", neg(250)},
        {"http://127.0.0.1:1/upd/..", neg(250)},
        {"http://127.0.0.1:1/a:b", neg(250)},
        {"http://127.0.0.1:1/a?x=1", neg(250)},
    };
    for (const Case& c : cases) {
        records().clear();
        EXPECT_EQ(httpDownload(c.link, dir_.str().c_str(), nullptr), c.code) << c.link;
        EXPECT_TRUE(logged("Ошибка определения имени файла из URL")) << c.link;
    }
    EXPECT_EQ(urlFileName("http://h/x/upd.sxml"), "upd.sxml");
    EXPECT_EQ(urlFileName("C:\\upd\\list.sxml"), "list.sxml");
    EXPECT_EQ(urlFileName("list.sxml"), "list.sxml");
    EXPECT_TRUE(urlFileName("http://h/..").isEmpty());
    EXPECT_TRUE(urlFileName("http://h/a\x01").isEmpty());
    // "Http" is no download: the link is copied as a file name, and fails so.
    records().clear();
    EXPECT_EQ(fetchFile("Http://127.0.0.1/x.bin", dir_.str().c_str(), nullptr), 0xC0400002u);
    EXPECT_TRUE(logged("Копирование файла 'Http://127.0.0.1/x.bin' в  '"));
    // A rejected URL has a definite code.
    EXPECT_EQ(httpDownload("http://bad host/f.bin", dir_.str().c_str(), nullptr), neg(12005));
}

TEST_F(FileFetchTest, LocalLinksAreCopied) {
    zrxtest::TempDir src;
    zrxtest::writeFile(src.file("local.bin"), "local");
    EXPECT_EQ(fetchFile(src.file("local.bin").c_str(), dir_.str().c_str(), nullptr), 0u);
    EXPECT_EQ(zrxtest::readFile(dir_.file("local.bin")), "local");
}

TEST_F(FileFetchTest, ProxyAuthentication) {
    zrxtest::HttpServer proxy;
    int asked = 0;
    proxy.svr.Get(".*", [&](const httplib::Request& req, httplib::Response& res) {
        ++asked;
        if (req.get_header_value("Proxy-Authorization") == "Basic dXNlcjpwYXNz") {  // user:pass
            res.set_content("through the proxy", "application/octet-stream");
            return;
        }
        res.status = 407;
        res.set_header("Proxy-Authenticate", "Basic realm=\"proxy\"");
    });
    proxy.start();
    TCUpdationConfig settings;
    settings.proxy = ("127.0.0.1:" + std::to_string(proxy.port())).c_str();
    settings.proxyUser = "user";
    settings.proxyPassword.assign("wrong");
    EXPECT_EQ(httpDownload("http://updates.invalid/p.bin", dir_.str().c_str(), &settings), neg(12015));
    EXPECT_EQ(asked, 3);  // refused three times: two answers, then the end
    EXPECT_TRUE(folderEmpty());

    settings.proxyPassword.assign("pass");
    EXPECT_EQ(httpDownload("http://updates.invalid/p.bin", dir_.str().c_str(), &settings), 0u);
    EXPECT_EQ(zrxtest::readFile(dir_.file("p.bin")), "through the proxy");

    // A proxy asking while the settings hold no account cannot be answered.
    settings.proxyUser.clear();
    std::filesystem::remove(dir_.file("p.bin"));
    EXPECT_EQ(httpDownload("http://updates.invalid/p.bin", dir_.str().c_str(), &settings), neg(12015));
}

TEST_F(FileFetchTest, RedirectsAndAStrayProxyChallenge) {
    zrxtest::HttpServer srv;
    srv.svr.Get("/moved.bin", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/real.bin"); });
    srv.svr.Get("/real.bin", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("real", "application/octet-stream");
    });
    srv.svr.Get("/loop.bin", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop.bin"); });
    // A server that asks for proxy credentials though no proxy is used: the
    // challenge fits no record.
    srv.svr.Get("/stray.bin", [](const httplib::Request&, httplib::Response& res) {
        res.status = 407;
        res.set_header("Proxy-Authenticate", "Basic realm=\"x\"");
    });
    srv.start();
    EXPECT_EQ(httpDownload(srv.url("/moved.bin").c_str(), dir_.str().c_str(), nullptr), 0u);
    EXPECT_EQ(zrxtest::readFile(dir_.file("moved.bin")), "real");  // named after the link
    EXPECT_EQ(httpDownload(srv.url("/loop.bin").c_str(), dir_.str().c_str(), nullptr), neg(12156));
    EXPECT_EQ(httpDownload(srv.url("/stray.bin").c_str(), dir_.str().c_str(), nullptr), neg(12015));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("loop.bin")));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("stray.bin")));
}

TEST_F(FileFetchTest, HttpsChecksThePeer) {
    // A TLS server whose self-signed certificate nobody trusts.
    zrxtest::TempDir keys;
    ASSERT_EQ(std::system(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout '" +
                           keys.file("k.pem") + "' -out '" + keys.file("c.pem") +
                           "' -subj /CN=127.0.0.1 -days 1 >/dev/null 2>&1")
                              .c_str()),
              0);
    const int port = zrxtest::refusedPort();
    const std::string accept = "127.0.0.1:" + std::to_string(port);
    // Everything the child needs is made before the fork: it only execs.
    const std::string certFile = keys.file("c.pem"), keyFile = keys.file("k.pem");
    const pid_t server = fork();
    ASSERT_GE(server, 0);
    if (server == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execlp("openssl", "openssl", "s_server", "-quiet", "-accept", accept.c_str(), "-cert", certFile.c_str(),
                 "-key", keyFile.c_str(), "-www", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Wait until it listens.
    for (int i = 0; i < 100; ++i) {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool up = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        ::close(s);
        if (up) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::string link = "https://" + accept + "/upd.xml";
    records().clear();
    EXPECT_EQ(httpDownload(link.c_str(), dir_.str().c_str(), nullptr), neg(12175));
    EXPECT_TRUE(logged("ERROR_WINHTTP_SECURE_FAILURE"));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("upd.xml")));
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
}

TEST(HttpTexts, TablesAndFallbacks) {
    EXPECT_STREQ(httpStatusText(404), "Not Found");
    EXPECT_STREQ(httpStatusText(418), "I'm a teapot");
    EXPECT_STREQ(httpStatusText(299), "Unknown Status");
    EXPECT_STREQ(winHttpErrorName(12002), "ERROR_WINHTTP_TIMEOUT");
    EXPECT_STREQ(winHttpErrorName(12186), "ERROR_WINHTTP_CLIENT_CERT_NO_ACCESS_PRIVATE_KEY");
    EXPECT_STREQ(winHttpErrorName(12003), "Unkn");
}

}  // namespace
