#include "platform/runtime/VersionInfo.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/runtime/FileUtils.h"

TCString TCModuleVersionInfo::asText() const {
    return TCString::format("%u.%u.%u.%u", parts_[0], parts_[1], parts_[2], parts_[3]);
}

bool getFileVerInfo(const char* path, TCModuleVersionInfo& out) {
    static const char kMarker[] = "@(#)ZRX-FILE-VERSION ";
    if (!fileExists(path)) return false;
    const int64_t size = fileSize(path);
    constexpr size_t kMaxModule = size_t(512) << 20;  // no modules that big
    if (size < 0 || size > int64_t(kMaxModule)) return false;
    std::string data;
    if (readBuff(path, data, kMaxModule) != 0) return false;
    // The marker text itself is in every module that links this code:
    // only an occurrence followed by a version counts.
    for (size_t at = data.find(kMarker); at != std::string::npos; at = data.find(kMarker, at + 1)) {
        unsigned v[4] = {0, 0, 0, 0};
        const std::string tail = data.substr(at + sizeof kMarker - 1, 64);
        if (std::sscanf(tail.c_str(), "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]) != 4) continue;
        out = TCModuleVersionInfo(v[0], v[1], v[2], v[3]);
        return true;
    }
    return false;
}
