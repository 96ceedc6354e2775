#pragma once
// One HTTP GET of a file over libcurl, shaped after what a WinHTTP client
// sees: the status of the last response, the authentication schemes a 401
// or 407 offers, Content-Length, and transport failures as WinHTTP error
// numbers. The body of a 200 response goes to a sink as it arrives (never
// into a buffer sized by the server), under a size cap checked before the
// first byte is taken.
//
// Transport rules: no proxy unless one is given (the environment's proxy
// variables are ignored, no automatic discovery); TLS peer and host checks
// on; at most 5 redirects, never from https to http; the time-out bounds the
// connection and a stalled transfer (0: a stall still ends after 60 s).
#include <cstdint>
#include <string>

// Authentication schemes (WinHTTP's numbers).
constexpr uint32_t HTTP_AUTH_BASIC = 0x1;
constexpr uint32_t HTTP_AUTH_NTLM = 0x2;
constexpr uint32_t HTTP_AUTH_PASSPORT = 0x4;
constexpr uint32_t HTTP_AUTH_DIGEST = 0x8;
constexpr uint32_t HTTP_AUTH_NEGOTIATE = 0x10;

// WinHTTP error numbers the layer reports.
constexpr int32_t ERROR_WINHTTP_TIMEOUT = 12002;
constexpr int32_t ERROR_WINHTTP_INTERNAL_ERROR = 12004;
constexpr int32_t ERROR_WINHTTP_INVALID_URL = 12005;
constexpr int32_t ERROR_WINHTTP_UNRECOGNIZED_SCHEME = 12006;
constexpr int32_t ERROR_WINHTTP_NAME_NOT_RESOLVED = 12007;
constexpr int32_t ERROR_WINHTTP_LOGIN_FAILURE = 12015;
constexpr int32_t ERROR_WINHTTP_CANNOT_CONNECT = 12029;
constexpr int32_t ERROR_WINHTTP_CONNECTION_ERROR = 12030;
constexpr int32_t ERROR_WINHTTP_INVALID_SERVER_RESPONSE = 12152;
constexpr int32_t ERROR_WINHTTP_REDIRECT_FAILED = 12156;
constexpr int32_t ERROR_WINHTTP_SECURE_FAILURE = 12175;

// The parts of an http or https URL.
struct THttpUrl {
    std::string scheme;  // "http" or "https" (lower case)
    std::string host;
    int port = 0;      // 0 when the URL names none
    std::string path;  // the path with the query, "/" at least
    bool secure = false;
};
// False for anything but a well-formed http(s) URL with a host.
bool crackHttpUrl(const std::string& url, THttpUrl& out);

struct THttpAuth {
    uint32_t scheme = 0;  // one HTTP_AUTH_* value; 0: none
    std::string user, password;
};

struct THttpGetOptions {
    std::string proxy;    // "host:port"; empty: no proxy
    THttpAuth proxyAuth;  // used with a proxy
    THttpAuth serverAuth;
    int timeoutSeconds = 0;
    uint64_t maxBodySize = 0;  // 0: no cap
    std::string userAgent = "WinHTTP Client/1.0";
};

// Receives the body of a 200 response.
class THttpBodySink {
public:
    virtual ~THttpBodySink() = default;
    // A 200 response begins (its Content-Length, -1 when none); may come
    // more than once (a proxy's tunnel answer first): start over each time.
    virtual bool begin(int64_t contentLength) = 0;
    virtual bool write(const void* data, size_t len) = 0;
};

struct THttpGetReply {
    int32_t error = 0;            // WinHTTP error number of a transport failure, else 0
    std::string errorText;        // the transport's own text of it
    bool inBody = false;          // the failure came while the body was read
    int status = 0;               // status of the last response
    uint32_t offeredSchemes = 0;  // HTTP_AUTH_* bits a 401 / 407 offered
    int64_t contentLength = -1;
    uint64_t received = 0;  // body bytes of the 200 response
    bool tooLarge = false;  // announced or sent more than the cap
    bool overrun = false;   // sent more than Content-Length
    bool sinkRefused = false;
};

// Performs the GET; false when no complete response came (see reply).
bool httpGetToSink(const std::string& url, const THttpGetOptions& options, THttpBodySink& sink, THttpGetReply& reply);
// The schemes this build can answer (HTTP_AUTH_* bits).
uint32_t httpSupportedSchemes();
