#include "update/FileFetch.h"

#include <cerrno>
#include <cstring>
#include <exception>

#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"
#include "update/UpdationConfig.h"
#include "update/WinHttpClient.h"

namespace {
constexpr KResult kFetchFailed = 0xC0800026u;
}

KResult copyUpdateFile(const char* link, const char* folder, uint64_t maxSize) {
    // Windows separators in a link stand for ours.
    TCString path(link ? link : "");
    path.substChar('\\', '/');
    const int64_t size = maxSize ? fileSize(path.c_str()) : -1;
    if (size >= 0 && static_cast<uint64_t>(size) > maxSize) {
        const KResult code = systemResult(-EFBIG);
        KV_HLogFmtText(code, zrnTranslateString("Размер файла '%s' превышает допустимый (%d байт)!").c_str(),
                       link ? link : "", static_cast<int>(maxSize));
        return code;
    }
    const int r = copyFileTo(path.c_str(), folder);
    if (r == 0) return 0;
    const KResult code = systemResult(r);
    KV_HLogFmtText(code, zrnTranslateString("Копирование файла '%s' в  '%s'. %s!").c_str(), link ? link : "",
                   folder ? folder : "", KRTL_GetTextMessage(code).c_str());
    return code;
}

KResult httpDownload(const char* link, const char* folder, const TCUpdationConfig* settings,
                     const TFetchLimits* limits) {
    TCWinHTTP http;
    http.setTimeout(static_cast<int>(getGlobalIntValue("HTTP_TIMEOUT")));
    if (limits) {
        http.setMaxSize(limits->maxSize);
        http.setObserver(limits->observer);
    }
    if (settings) {
        if (!settings->proxy.isEmpty()) http.proxyCredentials().setProxyName(settings->proxy.c_str());
        if (!settings->proxyUser.isEmpty())
            http.proxyCredentials().setUserPassword(settings->proxyUser.c_str(), settings->proxyPassword.c_str());
    }
    if (http.download(link, folder)) return 0;
    // A failure that named no code of its own still fails.
    const KResult code = isFailure(http.lastError()) ? http.lastError() : kFetchFailed;
    KV_HLogFmtText(code, zrnTranslateString("Ошибка загрузки файла обновления по сcылке: '%s'").c_str(),
                   link ? link : "");
    return code;
}

KResult fetchFile(const char* link, const char* folder, const TCUpdationConfig* settings, const TFetchLimits* limits) {
    try {
        if (link && std::strncmp(link, "http", 4) == 0) return httpDownload(link, folder, settings, limits);
        const uint64_t cap = limits && limits->maxSize ? limits->maxSize : updateFileCap();
        return copyUpdateFile(link, folder, cap < kMaxUpdateDownload ? cap : kMaxUpdateDownload);
    } catch (const std::exception&) {
        KV_HLogFmtText(kFetchFailed,
                       zrnTranslateString("Получение файла по ссылке '%s'. Ошибка выполнения операции!").c_str(),
                       link ? link : "");
        return kFetchFailed;
    }
}
