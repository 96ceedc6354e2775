#pragma once
// Getting one file into a folder: a link that begins with "http" (exactly)
// is downloaded, anything else is a file name and is copied.
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"

class TCUpdationConfig;

// 0 or a failure code (every failure is logged).
KResult fetchFile(const char* link, const char* folder, const TCUpdationConfig* settings);
// Downloads with the program's HTTP_TIMEOUT and the settings' proxy account.
KResult httpDownload(const char* link, const char* folder, const TCUpdationConfig* settings);
// Copies a local file into the folder under its own name.
KResult copyUpdateFile(const char* link, const char* folder);
