#pragma once
// What both HTTP clients of this folder share over libcurl: the one global
// initialisation, the transport rules every exchange keeps (http and https
// only, TLS peer and host checks on, no proxy unless one is named, the
// environment's proxy variables ignored, no signals), and libcurl's failures
// sorted into the kinds each client reports in its own numbers.
// Only the clients' sources include this header.
// libcurl by its usual names, loaded at the first transfer.
#include "platform/net/CurlApi.h"

#include <string>

// Initialises libcurl once per process; safe from any thread.
void curlGlobalInit();

// Sets the rules above and the URL on a fresh or reset handle; errbuf
// (CURL_ERROR_SIZE bytes) receives libcurl's own text of a failure.
void curlApplyCommonOptions(CURL* handle, const std::string& url, const std::string& proxy, char* errbuf);

// The kinds of transport failure the clients tell apart.
enum class TCurlFailure {
    None,
    BadUrl,           // the URL is malformed
    NameNotResolved,  // host or proxy name not found
    CannotConnect,
    TimedOut,
    LoginDenied,
    TooManyRedirects,
    RefusedProtocol,  // a scheme outside the allowed ones (a refused redirect, or an unreadable status line)
    BadReply,         // the server's answer could not be read
    Tls,              // TLS handshake, certificate or cipher failure
    SendFailed,
    ReceiveFailed,
    ConnectionLost,  // nothing came back, or less than announced
    WriteRefused,    // a body callback refused data
    Aborted,         // a progress callback ended the transfer
    OutOfMemory,
    Other,
};
TCurlFailure curlFailureKind(CURLcode code);

// libcurl's text of a failure: the error buffer's when it has one, without
// line ends.
std::string curlFailureText(CURLcode code, const char* errbuf);
