#pragma once
// HTTP client standing in for the networking framework's TIdHTTP, over
// libcurl: GET and POST of byte streams with a content type, the status
// code and text, raw header lines of both directions, and transport
// failures raised as the framework's exceptions (socket errors carry
// WinSock error numbers, so callers see the numbers they expect).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/net/StringStream.h"

// Any failure of the networking framework.
class EIdException : public std::runtime_error {
public:
    explicit EIdException(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A socket failure; LastError() is the WinSock error number (10061 refused,
// 10060 timed out, 10054 reset, 11001 host not found ...). The message
// reads "Socket Error # <n>\r\n<text>".
class EIdSocketError : public EIdException {
public:
    EIdSocketError(int lastError, const std::string& message) : EIdException(message), lastError_(lastError) {}
    int LastError() const { return lastError_; }

private:
    int lastError_;
};

// An HTTP error status, raised only without hoNoProtocolErrorException.
class EIdHTTPProtocolException : public EIdException {
public:
    EIdHTTPProtocolException(int code, const std::string& message, std::string body)
        : EIdException(message), errorCode_(code), errorMessage_(std::move(body)) {}
    int ErrorCode() const { return errorCode_; }
    const std::string& ErrorMessage() const { return errorMessage_; }

private:
    int errorCode_;
    std::string errorMessage_;
};

// Options of the client (bits of TIdHTTP::HTTPOptions).
enum TIdHTTPOption : uint32_t {
    hoForceEncodeParams = 0x01,         // percent-encode characters a URL may not hold
    hoNoProtocolErrorException = 0x02,  // an HTTP error status raises nothing
    hoWantProtocolErrorContent = 0x04,  // keep the body of an HTTP error status
};

enum TIdHTTPProtocolVersion { pv1_0, pv1_1 };

struct TIdHTTPRequest {
    std::string ContentType;                 // sent as Content-Type when not empty
    std::vector<std::string> CustomHeaders;  // extra "Name: value" lines
    // Filled by each exchange:
    std::string Method;
    std::string URL;
    std::vector<std::string> RawHeaders;  // header lines as sent, without the request line
};

struct TIdHTTPResponse {
    int ResponseCode = 0;
    std::string ResponseText;  // the status line, e.g. "HTTP/1.1 200 OK"
    std::string ContentType;
    std::vector<std::string> RawHeaders;  // header lines as received, without the status line
};

class TIdHTTP {
public:
    TIdHTTP();
    ~TIdHTTP();
    TIdHTTP(const TIdHTTP&) = delete;
    TIdHTTP& operator=(const TIdHTTP&) = delete;

    TIdHTTPProtocolVersion ProtocolVersion = pv1_1;
    uint32_t HTTPOptions = hoForceEncodeParams;
    // Milliseconds; 0 leaves libcurl's default (connect) or waits without
    // limit (read). ReadTimeout ends a transfer during which no byte moves
    // for that long; TotalTimeout (0: none) bounds a whole exchange.
    int ConnectTimeout = 0;
    int ReadTimeout = 0;
    int TotalTimeout = 0;
    // No proxy is used unless one is named here ("host" or "host:port");
    // proxy variables of the environment are ignored.
    std::string ProxyServer;
    int ProxyPort = 0;
    // A reply body larger than this ends the exchange with an EIdException.
    size_t MaxResponseSize = 64u * 1024 * 1024;

    TIdHTTPRequest Request;
    TIdHTTPResponse Response;

    int ResponseCode() const { return Response.ResponseCode; }
    const std::string& ResponseText() const { return Response.ResponseText; }

    // The reply body is appended to response at its position. Failures raise
    // EIdSocketError, EIdHTTPProtocolException or EIdException.
    void Get(const std::string& url, TStringStream& response);
    void Post(const std::string& url, TStringStream& request, TStringStream& response);

    // WinSock error number for an errno value (0 when there is none).
    static int socketErrorFromErrno(int err);
    // The framework's English text of a WinSock error number.
    static std::string socketErrorText(int wsaError);

private:
    void perform(const std::string& method, const std::string& url, const std::string* body, TStringStream& response);
    void* curl_;
};
