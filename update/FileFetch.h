#pragma once
// Getting one file into a folder: a link that begins with "http" (exactly)
// is downloaded, anything else is a file name and is copied.
#include <cstdint>

#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"

class TCUpdationConfig;
class TDownloadObserver;

// What one fetch may take: a fetch stops as soon as it passes maxSize (0:
// the cap for files whose list states no size, update/WinHttpClient.h), and
// what it received is deleted. The observer sees a download's bytes as they
// arrive (a copied file is not shown to it).
struct TFetchLimits {
    uint64_t maxSize = 0;
    TDownloadObserver* observer = nullptr;
};

// 0 or a failure code (every failure is logged).
KResult fetchFile(const char* link, const char* folder, const TCUpdationConfig* settings,
                  const TFetchLimits* limits = nullptr);
// Downloads with the program's HTTP_TIMEOUT and the settings' proxy account.
KResult httpDownload(const char* link, const char* folder, const TCUpdationConfig* settings,
                     const TFetchLimits* limits = nullptr);
// Copies a local file into the folder under its own name; a file over
// maxSize bytes (when not 0) is refused.
KResult copyUpdateFile(const char* link, const char* folder, uint64_t maxSize = 0);
