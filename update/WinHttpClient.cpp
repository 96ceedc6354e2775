#include "update/WinHttpClient.h"

#include <cerrno>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"
#include "update/HttpTexts.h"

namespace {

constexpr int32_t kNoFileName = -250;
constexpr int32_t kSizeMismatch = -239;
constexpr int32_t kNotWritten = -238;

// A WinHTTP or HTTP number n fails as -n; a runtime error number is already negative.
KResult negated(int32_t number) { return static_cast<KResult>(-number); }
KResult runtimeCode(int32_t negErr) { return static_cast<KResult>(negErr); }

uint64_t g_fileCap = 0;  // 0: the default

// The body of the 200 answer, streamed into the file as it arrives.
class FileSink : public THttpBodySink {
public:
    FileSink(const char* path, TDownloadObserver* observer) : path_(path), observer_(observer) {}
    ~FileSink() override { closeIt(); }
    bool begin(int64_t) override {
        closeIt();
        handle_ = openFile(path_.c_str(), FO_CREATE);
        if (handle_ < 0) {
            openError_ = handle_;
            return false;
        }
        opened_ = true;
        if (observer_) observer_->restart();
        return true;
    }
    bool write(const void* data, size_t len) override {
        if (writeFile(handle_, data, len) != static_cast<int64_t>(len)) {
            writeFailed_ = true;
            return false;
        }
        if (observer_) observer_->data(data, len);
        return true;
    }
    void closeIt() {
        if (handle_ >= 0) closeFile(handle_);
        handle_ = -1;
    }
    // Closes and deletes whatever was written.
    void discard() {
        closeIt();
        if (opened_) removeFile(path_.c_str());
    }
    int openError() const { return openError_; }
    bool writeFailed() const { return writeFailed_; }

private:
    TCString path_;
    TDownloadObserver* observer_;
    int handle_ = -1;
    int openError_ = 0;
    bool opened_ = false;
    bool writeFailed_ = false;
};

bool isPlainName(const TCString& name) {
    if (name.isEmpty() || name == "." || name == "..") return false;
    for (unsigned char c : name.str())
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':' || c == '?') return false;
    return true;
}

}  // namespace

uint64_t updateFileCap() { return g_fileCap ? g_fileCap : kDefaultUpdateFileCap; }
void setUpdateFileCap(uint64_t bytes) { g_fileCap = bytes; }

TCString urlFileName(const char* link) {
    const TCString l(link ? link : "");
    TCString name;
    if (l.lastPos('/') >= 0) name = l.afterLast('/');
    else if (l.lastPos('\\') >= 0) name = l.afterLast('\\');
    else name = l;
    return isPlainName(name) ? name : TCString();
}

// ---------------------------------------------------------------- credentials

bool THttpCredentials::chooseScheme(TCWinHTTP& http, int& target) {
    target = http.lastStatus_ == 407 ? 1 : 0;
    if (scheme) return true;
    const uint32_t offered = http.reply_.offeredSchemes;
    if (!offered) {
        http.fail("WinHttpQueryAuthSchemes", ERROR_WINHTTP_LOGIN_FAILURE);
        return false;
    }
    if ((target == 1) != !proxyName.isEmpty()) return false;
    const uint32_t usable = offered & httpSupportedSchemes();
    for (uint32_t s : {HTTP_AUTH_NEGOTIATE, HTTP_AUTH_NTLM, HTTP_AUTH_PASSPORT, HTTP_AUTH_DIGEST, HTTP_AUTH_BASIC})
        if (usable & s) {
            scheme = s;
            return true;
        }
    return true;  // none of them: scheme stays 0
}

bool THttpCredentials::setCredentials(TCWinHTTP& http, int target) {
    if (!scheme || user.isEmpty() || password.isEmpty()) return false;
    if (target == 0 && !proxyName.isEmpty()) target = 1;
    THttpAuth& auth = target == 1 ? http.options_.proxyAuth : http.options_.serverAuth;
    auth.scheme = scheme;
    auth.user = user.str();
    auth.password = password.str();
    return true;
}

bool THttpCredentials::answerChallenge(TCWinHTTP& http) {
    int target = 0;
    return chooseScheme(http, target) && setCredentials(http, target);
}

// ---------------------------------------------------------------- client

KResult TCWinHTTP::reportError(const char* step, int32_t number, const char* systemText) {
    if (number == 0) return 0;
    const KResult code = negated(number);
    if (systemText && *systemText)
        KV_HLogFmtText(code, zrnTranslateString("Ошибка %d при выполнении функции '%s':'%s'(%s)!").c_str(), number,
                       step, systemText, winHttpErrorName(number));
    else
        KV_HLogFmtText(code, zrnTranslateString("Ошибка %d (%s) выполнения функции '%s'!").c_str(), number,
                       winHttpErrorName(number), step);
    return code;
}

bool TCWinHTTP::fail(const char* step, int32_t number, const char* systemText) {
    const KResult code = reportError(step, number, systemText);
    if (code) lastError_ = code;
    return false;
}

void TCWinHTTP::close(bool withSession) {
    secure_ = false;
    lastStatus_ = 0;
    lastError_ = 0;
    reply_ = THttpGetReply();
    if (withSession) options_ = THttpGetOptions();
}

uint64_t TCWinHTTP::maxSize() const {
    const uint64_t cap = maxSize_ ? maxSize_ : updateFileCap();
    return cap < kMaxUpdateDownload ? cap : kMaxUpdateDownload;
}

bool TCWinHTTP::connect(const char* url, int port) {
    url_ = url ? url : "";
    if (!crackHttpUrl(url_.str(), parts_)) return fail("WinHttpCrackUrl", ERROR_WINHTTP_INVALID_URL);
    port_ = port ? port : parts_.port;
    if (!port_ && parts_.secure) port_ = 443;
    options_ = THttpGetOptions();
    options_.timeoutSeconds = timeout_;
    options_.maxBodySize = maxSize();
    if (!proxy_.proxyName.isEmpty()) options_.proxy = proxy_.proxyName.str();
    secure_ = parts_.secure;
    return true;
}

bool TCWinHTTP::sendRequest(THttpBodySink& sink) {
    int proxyAnswers = 0, serverAnswers = 0;
    for (;;) {
        if (proxy_.scheme && !proxy_.setCredentials(*this, 1))
            return fail("SetProxyCredentials", ERROR_WINHTTP_LOGIN_FAILURE);
        const int previous = lastStatus_;
        const bool answered = httpGetToSink(url_.str(), options_, sink, reply_);
        lastStatus_ = reply_.status;
        if (!answered) {
            if (reply_.error)
                return fail(reply_.inBody ? "WinHttpReadData" : "WinHttpSendRequest", reply_.error,
                            reply_.errorText.c_str());
            return false;  // the body broke a rule; receiveToFile says which
        }
        if (lastStatus_ == 200) return true;
        if (lastStatus_ == 401) {
            if (previous == 401 && serverAnswers > 1)
                return fail("WinHttpReceiveResponse", ERROR_WINHTTP_LOGIN_FAILURE);
            if (!server_.answerChallenge(*this)) {
                if (!isFailure(lastError_)) fail("SetServerCredentials", ERROR_WINHTTP_LOGIN_FAILURE);
                return false;
            }
            ++serverAnswers;
            continue;
        }
        if (lastStatus_ == 407) {
            if (previous == 407 && proxyAnswers > 1) return fail("WinHttpReceiveResponse", ERROR_WINHTTP_LOGIN_FAILURE);
            int target = 0;
            if (!proxy_.chooseScheme(*this, target) || !proxy_.scheme) {
                if (!isFailure(lastError_)) fail("WinHttpQueryAuthSchemes", ERROR_WINHTTP_LOGIN_FAILURE);
                return false;
            }
            ++proxyAnswers;
            continue;
        }
        lastError_ = negated(lastStatus_);
        KV_HLogFmtText(lastError_, zrnTranslateString("HTTP-запрос обработан с ошибкой %d: '%s'!").c_str(), lastStatus_,
                       httpStatusText(lastStatus_));
        return false;
    }
}

bool TCWinHTTP::receiveToFile(const char* path) {
    FileSink sink(path, observer_);
    const bool sent = sendRequest(sink);
    const THttpGetReply& r = reply_;
    auto refuse = [&](KResult code) {
        sink.discard();
        lastError_ = code;
        return false;
    };
    if (sink.openError() < 0) {
        KV_HLogFmtText(runtimeCode(sink.openError()),
                       zrnTranslateString("Открытие файла '%s' при скачивании. %s!").c_str(), path,
                       rtlTextError(sink.openError()).c_str());
        return refuse(runtimeCode(sink.openError()));
    }
    if (sink.writeFailed()) {
        KV_HLogFmtText(runtimeCode(kNotWritten),
                       zrnTranslateString("Сохранение файла '%s' при скачивании. %s!").c_str(), path,
                       rtlTextError(kNotWritten).c_str());
        return refuse(runtimeCode(kNotWritten));
    }
    if (r.tooLarge) {
        KV_HLogFmtText(runtimeCode(-EFBIG),
                       zrnTranslateString("Размер файла '%s' превышает допустимый (%d байт)!").c_str(), path,
                       static_cast<int>(options_.maxBodySize));
        return refuse(runtimeCode(-EFBIG));
    }
    // A 200 answer without a byte is no file: said so, not as a size mismatch.
    if (sent && r.received == 0) {
        KV_HLogFmtText(runtimeCode(kSizeMismatch),
                       zrnTranslateString("Сервер вернул пустой ответ на запрос файла '%s'!").c_str(), url_.c_str());
        return refuse(runtimeCode(kSizeMismatch));
    }
    // A body cut short by the peer is a size mismatch, like one that ran over.
    const bool cut = !sent && r.status == 200 && r.error == ERROR_WINHTTP_CONNECTION_ERROR && r.contentLength >= 0 &&
                     r.received < static_cast<uint64_t>(r.contentLength);
    if (r.overrun || cut || (sent && r.contentLength >= 0 && r.received != static_cast<uint64_t>(r.contentLength))) {
        KV_HLogFmtText(
            runtimeCode(kSizeMismatch),
            zrnTranslateString("Размер полученных данных (%d) отличается от исходного размера файла (%d)!").c_str(),
            static_cast<int>(r.received), static_cast<int>(r.contentLength));
        return refuse(runtimeCode(kSizeMismatch));
    }
    if (!sent) return refuse(isFailure(lastError_) ? lastError_ : negated(ERROR_WINHTTP_INTERNAL_ERROR));
    sink.closeIt();
    return true;
}

bool TCWinHTTP::download(const char* url, const char* folder) {
    const TCString name = urlFileName(url);
    if (name.isEmpty() || TCString(url ? url : "").lastPos('/') < 0) {
        lastError_ = runtimeCode(kNoFileName);
        KV_HLogFmtText(lastError_, zrnTranslateString("Ошибка определения имени файла из URL '%s'!").c_str(),
                       url ? url : "");
        return false;
    }
    const TCString path = makePathName(folder, name.c_str());
    return connect(url, 0) && receiveToFile(path.c_str());
}
