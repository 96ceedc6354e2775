#include "html/text/CodePageMaps.h"

#include <cstddef>

namespace {

struct ThtHighMapRow {
    int CodePage;
    char16_t Map[128];
};
struct ThtIsoMapRow {
    int CodePage;
    char16_t Map[96];
};
struct ThtFullMapRow {
    int CodePage;
    char16_t Map[256];
};

#include "html/text/CodePageMaps.inc"

template <class Row, std::size_t N> const char16_t* findMap(const Row (&rows)[N], int CodePage) {
    for (const Row& r : rows)
        if (r.CodePage == CodePage) return r.Map;
    return nullptr;
}

}  // namespace

const char16_t* FindHighMap(int CodePage) { return findMap(HighMapRows, CodePage); }
const char16_t* FindIsoMap(int CodePage) { return findMap(IsoMapRows, CodePage); }
const char16_t* FindFullMap(int CodePage) { return findMap(FullMapRows, CodePage); }
const char16_t* FindPlatformMap(int CodePage) { return findMap(PlatformMapRows, CodePage); }
