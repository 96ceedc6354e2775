#pragma once
// The updater's download client: one HTTP GET of one file into a folder,
// with the program's time-out and a proxy account from the update settings.
// The name is kept for its callers; the transport is libcurl behind
// platform/net/HttpFileGet.h. The file exists only after a complete,
// correct download; every failure after it was opened deletes it.
#include <cstddef>
#include <cstdint>

#include "platform/net/HttpFileGet.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"

class TCWinHTTP;

// The largest file the client takes at all, whatever size a list states.
constexpr uint64_t kMaxUpdateDownload = 1ull << 30;
// The cap of a file whose list states no size (docs/update-list.md).
constexpr uint64_t kDefaultUpdateFileCap = 128ull << 20;
// The cap in force for downloads given no size of their own; tests set a
// small one (0 restores the default).
uint64_t updateFileCap();
void setUpdateFileCap(uint64_t bytes);

// Sees a download's bytes as they are written: restart() when a body begins
// (it may begin again after a proxy's answer), data() for each piece.
class TDownloadObserver {
public:
    virtual ~TDownloadObserver() = default;
    virtual void restart() = 0;
    virtual void data(const void* bytes, size_t len) = 0;
};

// An account for the proxy (a record with a proxy name) or the server.
class THttpCredentials {
public:
    uint32_t scheme = 0;  // HTTP_AUTH_*; 0 none chosen yet
    TCString user, password, proxyName;

    void setProxyName(const char* name) { proxyName = name ? name : ""; }
    void setUserPassword(const char* u, const char* p) {
        user = u ? u : "";
        password = p ? p : "";
    }
    // Picks the first offered scheme of Negotiate, NTLM, Passport, Digest,
    // Basic that the transport can answer; target: 1 proxy, 0 server (out).
    // False when the answer offered none, or the target does not fit the record.
    bool chooseScheme(TCWinHTTP& http, int& target);
    // Hands the account to the next request; false without scheme or account.
    bool setCredentials(TCWinHTTP& http, int target);
    bool answerChallenge(TCWinHTTP& http);
};

class TCWinHTTP {
public:
    TCWinHTTP() = default;
    ~TCWinHTTP() { close(true); }
    TCWinHTTP(const TCWinHTTP&) = delete;
    TCWinHTTP& operator=(const TCWinHTTP&) = delete;

    void setTimeout(int seconds) { timeout_ = seconds < 0 ? 0 : seconds; }
    // The most bytes this download may take (0: updateFileCap()); it stops
    // as soon as more arrive.
    void setMaxSize(uint64_t bytes) { maxSize_ = bytes; }
    uint64_t maxSize() const;
    void setObserver(TDownloadObserver* observer) { observer_ = observer; }
    THttpCredentials& proxyCredentials() { return proxy_; }
    // Downloads the URL into the folder under the URL's last part; true on success.
    bool download(const char* url, const char* folder);
    // The failure code of the last failed step (negated WinHTTP, HTTP or
    // runtime error number), 0 after a success.
    KResult lastError() const { return lastError_; }
    int lastStatus() const { return lastStatus_; }

    // Steps.
    bool connect(const char* url, int port);
    bool sendRequest(THttpBodySink& sink);
    bool receiveToFile(const char* path);
    // Logs the step's failure and records it as the last error; answers false.
    bool fail(const char* step, int32_t number, const char* systemText = nullptr);
    void close(bool withSession);

private:
    friend class THttpCredentials;
    KResult reportError(const char* step, int32_t number, const char* systemText);

    TCString url_;
    THttpUrl parts_;
    int port_ = 0;
    bool secure_ = false;
    THttpGetOptions options_;
    THttpGetReply reply_;
    KResult lastError_ = 0;
    THttpCredentials proxy_, server_;
    int lastStatus_ = 0;
    int timeout_ = 0;
    uint64_t maxSize_ = 0;
    TDownloadObserver* observer_ = nullptr;
};

// The plain file name a link ends in (after its last '/', else its last '\',
// else the whole link); empty when that is no plain name (empty, "." or
// "..", or holding ':', '?', '/', '\' or control characters).
TCString urlFileName(const char* link);
