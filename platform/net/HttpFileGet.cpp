#include "platform/net/HttpFileGet.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/net/CurlApi.h"
#include "platform/net/CurlSetup.h"

namespace {

constexpr long kMaxRedirects = 5;
constexpr long kDefaultStallSeconds = 60;

std::string lowerCase(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

uint32_t schemeBit(const std::string& token) {
    const std::string t = lowerCase(token);
    if (t == "basic") return HTTP_AUTH_BASIC;
    if (t == "ntlm") return HTTP_AUTH_NTLM;
    if (t == "passport1.4") return HTTP_AUTH_PASSPORT;
    if (t == "digest") return HTTP_AUTH_DIGEST;
    if (t == "negotiate") return HTTP_AUTH_NEGOTIATE;
    return 0;
}

unsigned long curlAuth(uint32_t scheme) {
    switch (scheme) {
    case HTTP_AUTH_BASIC: return CURLAUTH_BASIC;
    case HTTP_AUTH_NTLM: return CURLAUTH_NTLM;
    case HTTP_AUTH_DIGEST: return CURLAUTH_DIGEST;
    case HTTP_AUTH_NEGOTIATE: return CURLAUTH_NEGOTIATE;
    default: return CURLAUTH_NONE;
    }
}

// The URL's own scheme is checked before the transfer, so curl's
// "unsupported protocol" means a redirect it refused (after a 3xx answer) or
// a status line it could not read.
int32_t winHttpError(CURLcode c, int status) {
    switch (curlFailureKind(c)) {
    case TCurlFailure::RefusedProtocol:
        return status >= 300 && status < 400 ? ERROR_WINHTTP_REDIRECT_FAILED : ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    case TCurlFailure::TimedOut: return ERROR_WINHTTP_TIMEOUT;
    case TCurlFailure::BadUrl: return ERROR_WINHTTP_INVALID_URL;
    case TCurlFailure::NameNotResolved: return ERROR_WINHTTP_NAME_NOT_RESOLVED;
    case TCurlFailure::CannotConnect: return ERROR_WINHTTP_CANNOT_CONNECT;
    case TCurlFailure::LoginDenied: return ERROR_WINHTTP_LOGIN_FAILURE;
    case TCurlFailure::TooManyRedirects: return ERROR_WINHTTP_REDIRECT_FAILED;
    case TCurlFailure::BadReply: return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    case TCurlFailure::Tls: return ERROR_WINHTTP_SECURE_FAILURE;
    case TCurlFailure::SendFailed:
    case TCurlFailure::ReceiveFailed:
    case TCurlFailure::ConnectionLost: return ERROR_WINHTTP_CONNECTION_ERROR;
    case TCurlFailure::OutOfMemory: return 8;  // ERROR_NOT_ENOUGH_MEMORY
    default: return ERROR_WINHTTP_INTERNAL_ERROR;
    }
}

struct Transfer {
    const THttpGetOptions* options;
    THttpBodySink* sink;
    THttpGetReply* reply;
    bool bodyOpen = false;
    bool headersDone = false;
};

size_t onHeader(char* data, size_t size, size_t n, void* ctx) {
    auto* t = static_cast<Transfer*>(ctx);
    THttpGetReply& r = *t->reply;
    const size_t len = size * n;
    std::string line(data, len);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.rfind("HTTP/", 0) == 0) {
        // A new response: forget what the previous one said.
        const size_t sp = line.find(' ');
        r.status = sp == std::string::npos ? 0 : std::atoi(line.c_str() + sp + 1);
        r.contentLength = -1;
        r.offeredSchemes = 0;
        r.received = 0;
        t->bodyOpen = false;
        t->headersDone = false;
        return len;
    }
    if (line.empty()) {
        t->headersDone = true;
        if (r.status != 200) return len;
        const uint64_t cap = t->options->maxBodySize;
        if (cap && r.contentLength >= 0 && uint64_t(r.contentLength) > cap) {
            r.tooLarge = true;
            return 0;
        }
        if (!t->sink->begin(r.contentLength)) {
            r.sinkRefused = true;
            return 0;
        }
        t->bodyOpen = true;
        return len;
    }
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return len;
    const std::string name = lowerCase(line.substr(0, colon));
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    if (name == "content-length") {
        // 64 bits, digits only; anything larger than a 64-bit count is "too large".
        if (value.empty() || value.find_first_not_of("0123456789 \t") != std::string::npos) return len;
        errno = 0;
        const unsigned long long v = std::strtoull(value.c_str(), nullptr, 10);
        if (errno == ERANGE || v > uint64_t(INT64_MAX)) {
            r.tooLarge = true;
            return 0;
        }
        r.contentLength = int64_t(v);
    } else if (name == "www-authenticate" || name == "proxy-authenticate") {
        r.offeredSchemes |= schemeBit(value.substr(0, value.find_first_of(" \t,")));
    }
    return len;
}

size_t onBody(char* data, size_t size, size_t n, void* ctx) {
    auto* t = static_cast<Transfer*>(ctx);
    THttpGetReply& r = *t->reply;
    const size_t len = size * n;
    if (r.status != 200) return len;  // bodies of other answers are not kept
    if (!t->bodyOpen) return 0;
    const uint64_t cap = t->options->maxBodySize;
    if (cap && r.received + len > cap) {
        r.tooLarge = true;
        return 0;
    }
    if (r.contentLength >= 0 && r.received + len > uint64_t(r.contentLength)) {
        r.overrun = true;
        return 0;
    }
    if (!t->sink->write(data, len)) {
        r.sinkRefused = true;
        return 0;
    }
    r.received += len;
    return len;
}

}  // namespace

bool crackHttpUrl(const std::string& url, THttpUrl& out) {
    curlGlobalInit();
    out = THttpUrl();
    for (unsigned char c : url)
        if (c < 0x21 || c == 0x7F) return false;
    std::unique_ptr<CURLU, void (*)(CURLU*)> u(curl_url(), curl_url_cleanup);
    if (!u || curl_url_set(u.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return false;
    auto part = [&](CURLUPart p, std::string& into) {
        char* v = nullptr;
        const bool ok = curl_url_get(u.get(), p, &v, 0) == CURLUE_OK && v;
        if (ok) into = v;
        curl_free(v);
        return ok;
    };
    std::string port, query;
    if (!part(CURLUPART_SCHEME, out.scheme) || !part(CURLUPART_HOST, out.host) || out.host.empty()) return false;
    out.scheme = lowerCase(out.scheme);
    if (out.scheme != "http" && out.scheme != "https") return false;
    out.secure = out.scheme == "https";
    if (part(CURLUPART_PORT, port)) out.port = std::atoi(port.c_str());
    if (!part(CURLUPART_PATH, out.path) || out.path.empty()) out.path = "/";
    if (part(CURLUPART_QUERY, query)) out.path += "?" + query;
    return true;
}

uint32_t httpSupportedSchemes() {
    curlGlobalInit();
    const curl_version_info_data* v = curl_version_info(CURLVERSION_NOW);
    uint32_t s = HTTP_AUTH_BASIC | HTTP_AUTH_DIGEST;
    if (v && (v->features & CURL_VERSION_NTLM)) s |= HTTP_AUTH_NTLM;
    if (v && (v->features & CURL_VERSION_SPNEGO)) s |= HTTP_AUTH_NEGOTIATE;
    return s;
}

bool httpGetToSink(const std::string& url, const THttpGetOptions& options, THttpBodySink& sink, THttpGetReply& reply) {
    curlGlobalInit();
    reply = THttpGetReply();
    THttpUrl parts;
    if (!crackHttpUrl(url, parts)) {
        reply.error = ERROR_WINHTTP_INVALID_URL;
        reply.errorText = "invalid URL";
        return false;
    }
    std::unique_ptr<CURL, void (*)(CURL*)> handle(curl_easy_init(), curl_easy_cleanup);
    CURL* c = handle.get();
    if (!c) {
        reply.error = ERROR_WINHTTP_INTERNAL_ERROR;
        return false;
    }
    char errbuf[CURL_ERROR_SIZE] = {};
    Transfer t{&options, &sink, &reply};
    curlApplyCommonOptions(c, url, options.proxy, errbuf);
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, parts.secure ? "https" : "http,https");
    curl_easy_setopt(c, CURLOPT_USERAGENT, options.userAgent.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    if (!options.proxy.empty() && options.proxyAuth.scheme) {
        curl_easy_setopt(c, CURLOPT_PROXYAUTH, curlAuth(options.proxyAuth.scheme));
        curl_easy_setopt(c, CURLOPT_PROXYUSERNAME, options.proxyAuth.user.c_str());
        curl_easy_setopt(c, CURLOPT_PROXYPASSWORD, options.proxyAuth.password.c_str());
    }
    if (options.serverAuth.scheme) {
        curl_easy_setopt(c, CURLOPT_HTTPAUTH, curlAuth(options.serverAuth.scheme));
        curl_easy_setopt(c, CURLOPT_USERNAME, options.serverAuth.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, options.serverAuth.password.c_str());
    }
    const long stall = options.timeoutSeconds > 0 ? long(options.timeoutSeconds) : kDefaultStallSeconds;
    if (options.timeoutSeconds > 0) curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, long(options.timeoutSeconds));
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, stall);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);

    const CURLcode rc = curl_easy_perform(c);
    long connectCode = 0;
    curl_easy_getinfo(c, CURLINFO_HTTP_CONNECTCODE, &connectCode);
    if (connectCode == 407 && reply.status != 407) reply.status = 407;  // the proxy refused the tunnel
    if (rc == CURLE_OK) return true;
    if (reply.tooLarge || reply.overrun || reply.sinkRefused) return false;
    if (reply.status == 407 && connectCode == 407) return true;
    reply.error = winHttpError(rc, reply.status);
    reply.errorText = curlFailureText(rc, errbuf);
    reply.inBody = t.headersDone && reply.status == 200;
    return false;
}
