#include "html/text/BuffConvMaps.h"

#include <algorithm>

#include "html/text/CodePageMaps.h"

namespace {

// The map of CodePage, or the bytes as themselves (ISO 8859-1) without one.
template <size_t N> void fillMap(std::array<char16_t, N>& map, const char16_t* source, char16_t first) {
    if (source) {
        std::copy(source, source + N, map.begin());
        return;
    }
    for (size_t i = 0; i < N; ++i) map[i] = char16_t(first + i);
}

}  // namespace

void TBuffConvHighMap::Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage) {
    TBuffConverter::Init(CurrPtr, EndPtr, CodePage, InitalCodePage);
    InitMap();
}

void TBuffConvHighMap::Assign(const TBuffConverter& Source) {
    TBuffConverter::Assign(Source);
    InitMap();
}

void TBuffConvHighMap::InitMap() { fillMap(FMap, FindHighMap(FCodePage), 128); }

char16_t TBuffConvHighMap::NextChar() {
    const char16_t u = NextUnit();
    return u >= 128 && u <= 255 ? FMap[u - 128] : u;
}

void TBuffConvIsoMap::Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage) {
    TBuffConverter::Init(CurrPtr, EndPtr, CodePage, InitalCodePage);
    InitMap();
}

void TBuffConvIsoMap::Assign(const TBuffConverter& Source) {
    TBuffConverter::Assign(Source);
    InitMap();
}

void TBuffConvIsoMap::InitMap() { fillMap(FMap, FindIsoMap(FCodePage), 160); }

char16_t TBuffConvIsoMap::NextChar() {
    const char16_t u = NextUnit();
    return u >= 160 && u <= 255 ? FMap[u - 160] : u;
}

void TBuffConvSingleByteMap::Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage) {
    TBuffConverter::Init(CurrPtr, EndPtr, CodePage, InitalCodePage);
    InitMap();
}

void TBuffConvSingleByteMap::Assign(const TBuffConverter& Source) {
    TBuffConverter::Assign(Source);
    InitMap();
}

void TBuffConvSingleByteMap::InitMap() { fillMap(FMap, FindFullMap(FCodePage), 0); }

char16_t TBuffConvSingleByteMap::NextChar() {
    const char16_t u = NextUnit();
    // A 16-bit unit (over UTF-16 storage) lies beyond the map: it passes as it is.
    return u <= 255 ? FMap[u] : u;
}
