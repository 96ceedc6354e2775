#pragma once
// The fixed single-byte code-page maps, generated from the published
// mappings by scripts/gen_code_page_maps.py. Each look-up answers null for a
// code page without a map.
#include <cstdint>

// The bytes 128-255 of the OEM, Macintosh and KOI8-R code pages.
const char16_t* FindHighMap(int CodePage);
// The bytes 160-255 of the ISO 8859 parts with tables of their own.
const char16_t* FindIsoMap(int CodePage);
// All 256 bytes of the code pages mapped in full (Europa 3).
const char16_t* FindFullMap(int CodePage);
// All 256 bytes of the code pages the platform's conversion serves
// (Windows, EBCDIC and the like); unconvertible bytes are U+FFFD.
const char16_t* FindPlatformMap(int CodePage);
