#include "platform/net/CurlSetup.h"

#include <mutex>

void curlGlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void curlApplyCommonOptions(CURL* c, const std::string& url, const std::string& proxy, char* errbuf) {
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(c, CURLOPT_PROXY, proxy.c_str());  // "" also ignores the environment's proxy variables
}

TCurlFailure curlFailureKind(CURLcode code) {
    switch (code) {
    case CURLE_OK: return TCurlFailure::None;
    case CURLE_URL_MALFORMAT: return TCurlFailure::BadUrl;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return TCurlFailure::NameNotResolved;
    case CURLE_COULDNT_CONNECT: return TCurlFailure::CannotConnect;
    case CURLE_OPERATION_TIMEDOUT: return TCurlFailure::TimedOut;
    case CURLE_LOGIN_DENIED: return TCurlFailure::LoginDenied;
    case CURLE_TOO_MANY_REDIRECTS: return TCurlFailure::TooManyRedirects;
    case CURLE_UNSUPPORTED_PROTOCOL: return TCurlFailure::RefusedProtocol;
    case CURLE_WEIRD_SERVER_REPLY: return TCurlFailure::BadReply;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE: return TCurlFailure::Tls;
    case CURLE_SEND_ERROR: return TCurlFailure::SendFailed;
    case CURLE_RECV_ERROR: return TCurlFailure::ReceiveFailed;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING: return TCurlFailure::ConnectionLost;
    case CURLE_WRITE_ERROR: return TCurlFailure::WriteRefused;
    case CURLE_ABORTED_BY_CALLBACK: return TCurlFailure::Aborted;
    case CURLE_OUT_OF_MEMORY: return TCurlFailure::OutOfMemory;
    default: return TCurlFailure::Other;
    }
}

std::string curlFailureText(CURLcode code, const char* errbuf) {
    std::string text = errbuf && *errbuf ? std::string(errbuf) : std::string(curl_easy_strerror(code));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}
