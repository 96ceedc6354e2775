#include "platform/net/IdHTTP.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/net/CurlSetup.h"

#include "platform/net/CurlApi.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Exchange {
    std::string body;
    size_t limit = 0;
    bool tooLarge = false;
    // Read time-out: the exchange ends when no byte moved for that long.
    std::chrono::milliseconds readTimeout{0};
    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastDown = 0, lastUp = 0;
    bool timedOut = false;
    // Set once the request has gone out; a new connection after that would
    // be libcurl sending it again (a kept-alive connection that died).
    bool requestSent = false;
    bool resendRefused = false;
    TIdHTTPRequest* request = nullptr;
    TIdHTTPResponse* response = nullptr;
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* x = static_cast<Exchange*>(user);
    const size_t len = size * count;
    if (x->body.size() + len > x->limit) {
        x->tooLarge = true;
        return 0;  // ends the transfer with CURLE_WRITE_ERROR
    }
    x->body.append(data, len);
    return len;
}

std::string trimLine(const char* data, size_t len) {
    std::string line(data, len);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    return line;
}

bool startsWithNoCase(const std::string& s, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return s.size() >= n && strncasecmp(s.c_str(), prefix, n) == 0;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto* x = static_cast<Exchange*>(user);
    const size_t len = size * count;
    std::string line = trimLine(data, len);
    if (line.rfind("HTTP/", 0) == 0) {
        // A new header block (after an interim reply such as 100 Continue).
        x->response->ResponseText = line;
        x->response->RawHeaders.clear();
        x->response->ContentType.clear();
    } else if (!line.empty()) {
        if (startsWithNoCase(line, "Content-Type:")) {
            std::string v = line.substr(13);
            const size_t b = v.find_first_not_of(" \t");
            x->response->ContentType = b == std::string::npos ? std::string() : v.substr(b);
        }
        x->response->RawHeaders.push_back(std::move(line));
    }
    return len;
}

int onProgress(void* user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
    auto* x = static_cast<Exchange*>(user);
    const Clock::time_point now = Clock::now();
    if (dlnow != x->lastDown || ulnow != x->lastUp) {
        x->lastDown = dlnow;
        x->lastUp = ulnow;
        x->lastActivity = now;
        return 0;
    }
    if (x->readTimeout.count() > 0 && now - x->lastActivity >= x->readTimeout) {
        x->timedOut = true;
        return 1;  // ends the transfer with CURLE_ABORTED_BY_CALLBACK
    }
    return 0;
}

int onDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    if (type != CURLINFO_HEADER_OUT) return 0;
    auto* x = static_cast<Exchange*>(user);
    x->requestSent = true;
    x->request->RawHeaders.clear();
    size_t pos = 0;
    bool first = true;
    while (pos < size) {
        const char* nl = static_cast<const char*>(std::memchr(data + pos, '\n', size - pos));
        const size_t end = nl ? size_t(nl - data) : size;
        std::string line = trimLine(data + pos, end - pos);
        if (!first && !line.empty()) x->request->RawHeaders.push_back(std::move(line));
        first = false;
        pos = end + 1;
    }
    return 0;
}

// Every new socket of an exchange passes here. A request whose reply was
// not received is never sent again by the transport: the caller decides.
int onNewSocket(void* user, curl_socket_t, curlsocktype) {
    auto* x = static_cast<Exchange*>(user);
    if (!x->requestSent) return CURL_SOCKOPT_OK;
    x->resendRefused = true;
    return CURL_SOCKOPT_ERROR;
}

// Characters a URL may not carry as they are.
std::string encodeUrl(const std::string& url) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(url.size());
    for (unsigned char c : url) {
        if (c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", c)) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

[[noreturn]] void raiseSocketError(int wsa) {
    throw EIdSocketError(wsa, "Socket Error # " + std::to_string(wsa) + "\r\n" + TIdHTTP::socketErrorText(wsa));
}

}  // namespace

TIdHTTP::TIdHTTP() {
    curlGlobalInit();
    curl_ = curl_easy_init();
}

TIdHTTP::~TIdHTTP() {
    if (curl_) curl_easy_cleanup(static_cast<CURL*>(curl_));
}

void TIdHTTP::Get(const std::string& url, TStringStream& response) { perform("GET", url, nullptr, response); }

void TIdHTTP::Post(const std::string& url, TStringStream& request, TStringStream& response) {
    const std::string body = request.DataString();
    perform("POST", url, &body, response);
}

void TIdHTTP::perform(const std::string& method, const std::string& url, const std::string* body,
                      TStringStream& response) {
    Request.Method = method;
    Request.URL = url;
    Request.RawHeaders.clear();
    Response = TIdHTTPResponse();
    CURL* c = static_cast<CURL*>(curl_);
    if (!c) throw EIdException("HTTP client could not be initialised");
    curl_easy_reset(c);

    Exchange x;
    x.limit = MaxResponseSize;
    x.request = &Request;
    x.response = &Response;
    char errbuf[CURL_ERROR_SIZE] = {0};
    const std::string target = (HTTPOptions & hoForceEncodeParams) ? encodeUrl(url) : url;

    curlApplyCommonOptions(c, target, ProxyServer, errbuf);
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_HTTP_VERSION, ProtocolVersion == pv1_0 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    if (!ProxyServer.empty() && ProxyPort > 0) curl_easy_setopt(c, CURLOPT_PROXYPORT, long(ProxyPort));
    if (ConnectTimeout > 0) curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(ConnectTimeout));
    if (ReadTimeout > 0) {
        x.readTimeout = std::chrono::milliseconds(ReadTimeout);
        curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
        curl_easy_setopt(c, CURLOPT_XFERINFODATA, &x);
        curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    }
    if (TotalTimeout > 0) curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(TotalTimeout));

    curl_slist* headers = nullptr;
    headers = curl_slist_append(headers, "Expect:");
    if (!Request.ContentType.empty())
        headers = curl_slist_append(headers, ("Content-Type: " + Request.ContentType).c_str());
    for (const std::string& h : Request.CustomHeaders)
        if (!h.empty()) headers = curl_slist_append(headers, h.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);

    if (body) {
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, body->data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body->size()));
    } else {
        curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &x);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &x);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, onDebug);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &x);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_SOCKOPTFUNCTION, onNewSocket);
    curl_easy_setopt(c, CURLOPT_SOCKOPTDATA, &x);

    const CURLcode rc = curl_easy_perform(c);
    long status = 0;
    long osErrno = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(c, CURLINFO_OS_ERRNO, &osErrno);
    curl_slist_free_all(headers);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, nullptr);
    Response.ResponseCode = int(status);

    if (rc != CURLE_OK) {
        // The connection closed or reset before any reply came back.
        if (x.resendRefused) {
            // The refused socket leaves the handle unusable for reuse.
            curl_easy_reset(c);
            raiseSocketError(10054);
        }
        const int wsa = socketErrorFromErrno(int(osErrno));
        switch (curlFailureKind(rc)) {
        case TCurlFailure::NameNotResolved: raiseSocketError(11001);
        case TCurlFailure::CannotConnect: raiseSocketError(wsa ? wsa : 10061);
        case TCurlFailure::TimedOut: raiseSocketError(10060);
        case TCurlFailure::Aborted:
            if (x.timedOut) raiseSocketError(10060);
            throw EIdException("Transfer aborted");
        case TCurlFailure::ConnectionLost: raiseSocketError(10054);
        case TCurlFailure::ReceiveFailed: raiseSocketError(wsa ? wsa : 10054);
        case TCurlFailure::SendFailed: raiseSocketError(wsa ? wsa : 10053);
        case TCurlFailure::WriteRefused:
            if (x.tooLarge) throw EIdException("Response body exceeds " + std::to_string(MaxResponseSize) + " bytes");
            [[fallthrough]];
        default: throw EIdException(curlFailureText(rc, errbuf));
        }
    }

    if (status >= 400) {
        if (!(HTTPOptions & hoNoProtocolErrorException))
            throw EIdHTTPProtocolException(int(status), Response.ResponseText,
                                           (HTTPOptions & hoWantProtocolErrorContent) ? x.body : std::string());
        if (!(HTTPOptions & hoWantProtocolErrorContent)) return;
    }
    response.Write(x.body.data(), x.body.size());
}

int TIdHTTP::socketErrorFromErrno(int err) {
    switch (err) {
    case 0: return 0;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case EPIPE: return 10053;
    case ECONNRESET: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    default: return 0;
    }
}

std::string TIdHTTP::socketErrorText(int wsaError) {
    switch (wsaError) {
    case 10013: return "Access denied.";
    case 10014: return "Bad address.";
    case 10022: return "Invalid argument.";
    case 10035: return "Resource temporarily unavailable.";
    case 10036: return "Operation now in progress.";
    case 10037: return "Operation already in progress.";
    case 10038: return "Socket operation on non-socket.";
    case 10039: return "Destination address required.";
    case 10040: return "Message too long.";
    case 10041: return "Protocol wrong type for socket.";
    case 10042: return "Bad protocol option.";
    case 10043: return "Protocol not supported.";
    case 10044: return "Socket type not supported.";
    case 10045: return "Operation not supported on socket.";
    case 10046: return "Protocol family not supported.";
    case 10047: return "Address family not supported by protocol family.";
    case 10048: return "Address already in use.";
    case 10049: return "Cannot assign requested address.";
    case 10050: return "Network is down.";
    case 10051: return "Network is unreachable.";
    case 10052: return "Net dropped connection or reset.";
    case 10053: return "Software caused connection abort.";
    case 10054: return "Connection reset by peer.";
    case 10055: return "No buffer space available.";
    case 10056: return "Socket is already connected.";
    case 10057: return "Socket is not connected.";
    case 10058: return "Cannot send or receive after socket is closed.";
    case 10060: return "Connection timed out.";
    case 10061: return "Connection refused.";
    case 10064: return "Host is down.";
    case 10065: return "No route to host.";
    case 11001: return "Host not found.";
    default: return "Socket error.";
    }
}
