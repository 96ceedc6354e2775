#pragma once
// Version numbers of modules.
#include <cstdint>

#include "platform/runtime/TCString.h"

class TCModuleVersionInfo {
public:
    TCModuleVersionInfo() = default;
    // A 32-bit number: one byte per part, major in the top byte.
    explicit TCModuleVersionInfo(uint32_t packed)
        : parts_{packed >> 24, (packed >> 16) & 0xFF, (packed >> 8) & 0xFF, packed & 0xFF} {}
    TCModuleVersionInfo(uint32_t major, uint32_t minor, uint32_t release, uint32_t build)
        : parts_{major, minor, release, build} {}
    uint32_t part(int i) const { return i >= 0 && i < 4 ? parts_[i] : 0; }
    uint32_t major() const { return parts_[0]; }
    uint32_t minor() const { return parts_[1]; }
    uint32_t release() const { return parts_[2]; }
    uint32_t build() const { return parts_[3]; }
    // "major.minor.release.build"
    TCString asText() const;
    bool isEmpty() const { return !parts_[0] && !parts_[1] && !parts_[2] && !parts_[3]; }
    bool operator==(const TCModuleVersionInfo& o) const = default;

private:
    uint32_t parts_[4] = {0, 0, 0, 0};
};

// The version a module carries: a marker "@(#)ZRX-FILE-VERSION a.b.c.d"
// compiled into it (ZRX_DECLARE_FILE_VERSION). False when the file is
// missing or carries none.
bool getFileVerInfo(const char* path, TCModuleVersionInfo& out);

#define ZRX_DECLARE_FILE_VERSION(text) \
    extern "C" __attribute__((used)) const char zrxFileVersionMarker[] = "@(#)ZRX-FILE-VERSION " text
