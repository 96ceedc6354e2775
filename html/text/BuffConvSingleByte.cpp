#include "html/text/BuffConvSingleByte.h"

#include "html/text/CodePageMaps.h"
#include "html/text/Utf8Decode.h"

namespace {
constexpr char16_t Replacement = 0xFFFD;
constexpr char16_t Undefined = 0xFFFF;
}  // namespace

void TBuffConvSingleByte::Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage) {
    TBuffBaseConverter::Init(CurrPtr, EndPtr, CodePage, InitalCodePage);
    InitDecoder();
}

void TBuffConvSingleByte::Assign(const TBuffConverter& Source) {
    TBuffBaseConverter::Assign(Source);
    InitDecoder();
}

void TBuffConvSingleByte::InitDecoder() {
    FMap = nullptr;
    FUtf8 = false;
    switch (FCodePage) {
    case 28595: FDecoder = &TBuffConvSingleByte::DecodeIso8859_5; break;
    case 28596: FDecoder = &TBuffConvSingleByte::DecodeIso8859_6; break;
    case 28597: FDecoder = &TBuffConvSingleByte::DecodeIso8859_7; break;
    case 28598: FDecoder = &TBuffConvSingleByte::DecodeIso8859_8; break;
    case 28599: FDecoder = &TBuffConvSingleByte::DecodeIso8859_9; break;
    case 28601: FDecoder = &TBuffConvSingleByte::DecodeIso8859_11; break;
    case 28605: FDecoder = &TBuffConvSingleByte::DecodeIso8859_15; break;
    case 858:
        FMap = FindHighMap(850);
        FDecoder = &TBuffConvSingleByte::DecodeCP858;
        break;
    case 922: FDecoder = &TBuffConvSingleByte::DecodeCP922; break;
    case 0:
    case 1:
        FUtf8 = true;
        FDecoder = &TBuffConvSingleByte::DecodeByPlatform;
        break;
    default:
        FMap = FindPlatformMap(FCodePage);
        FDecoder = &TBuffConvSingleByte::DecodeByPlatform;
        break;
    }
}

char16_t TBuffConvSingleByte::NextChar() {
    if (FUtf8)
        return DecodeUtf8Unit([this] { return NextUnit(); }, [this] { return FPos; },
                              [this](TBuffPointer p) { FPos = p; });
    const char16_t u = NextUnit();
    if (u == 0) return 0;
    const char16_t c = (this->*FDecoder)(uint8_t(u));
    // Over 16-bit storage only the low byte is decoded; a unit whose low byte
    // is zero is not the end of the text.
    return c == 0 ? Replacement : c;
}

char16_t TBuffConvSingleByte::DecodeIso8859_5(uint8_t b) const {
    if (b < 0xA1 || b == 0xAD) return b;
    if (b == 0xF0) return 0x2116;
    if (b == 0xFD) return 0x00A7;
    return char16_t(b + 0x360);
}

char16_t TBuffConvSingleByte::DecodeIso8859_6(uint8_t b) const {
    if (b < 0xA1 || b == 0xA4 || b == 0xAD) return b;
    if (b == 0xAC || b == 0xBB || b == 0xBF || (b >= 0xC1 && b <= 0xDA) || (b >= 0xE0 && b <= 0xF2))
        return char16_t(b + 0x560);
    return Replacement;
}

char16_t TBuffConvSingleByte::DecodeIso8859_7(uint8_t b) const { return DecodeIso8859_7Byte(b); }

char16_t DecodeIso8859_7Byte(uint8_t b) {
    if (b < 0xA1) return b;
    switch (b) {
    case 0xA1: return 0x2018;
    case 0xA2: return 0x2019;
    case 0xAF: return 0x2015;
    case 0xA3:
    case 0xA6:
    case 0xA7:
    case 0xA8:
    case 0xA9:
    case 0xAB:
    case 0xAC:
    case 0xAD:
    case 0xB0:
    case 0xB1:
    case 0xB2:
    case 0xB3:
    case 0xB7:
    case 0xBB:
    case 0xBD: return b;
    case 0xD2:
    case 0xFF: return Undefined;
    default: return char16_t(b + 0x2D0);
    }
}

char16_t TBuffConvSingleByte::DecodeIso8859_8(uint8_t b) const {
    if (b < 0xA0) return b;
    switch (b) {
    case 0xAA: return 0x00D7;
    case 0xAF: return 0x203E;
    case 0xBA: return 0x00F7;
    case 0xDF: return 0x2017;
    default: break;
    }
    if (b >= 0xE0 && b <= 0xFA) return char16_t(b + 0x4F0);
    if (b == 0xA1 || (b >= 0xBF && b <= 0xDE) || b >= 0xFB) return Replacement;
    return b;
}

char16_t TBuffConvSingleByte::DecodeIso8859_9(uint8_t b) const {
    switch (b) {
    case 0xD0: return 0x011E;
    case 0xDD: return 0x0130;
    case 0xDE: return 0x015E;
    case 0xF0: return 0x011F;
    case 0xFD: return 0x0131;
    case 0xFE: return 0x015F;
    default: return b;
    }
}

char16_t TBuffConvSingleByte::DecodeIso8859_11(uint8_t b) const {
    if (b <= 0xA0) return b;
    if ((b >= 0xDB && b <= 0xDE) || b >= 0xFC) return Replacement;
    return char16_t(b + 0xD60);
}

char16_t TBuffConvSingleByte::DecodeIso8859_15(uint8_t b) const {
    switch (b) {
    case 0xA4: return 0x20AC;
    case 0xA6: return 0x0160;
    case 0xA8: return 0x0161;
    case 0xB4: return 0x017D;
    case 0xB8: return 0x017E;
    case 0xBC: return 0x0152;
    case 0xBD: return 0x0153;
    case 0xBE: return 0x0178;
    default: return b;
    }
}

// Code page 850 with the euro sign.
char16_t TBuffConvSingleByte::DecodeCP858(uint8_t b) const {
    if (b < 0x80) return b;
    if (b == 0xD5) return 0x20AC;
    return FMap ? FMap[b - 0x80] : Replacement;
}

// ISO 8859-1 with the Estonian letters.
char16_t TBuffConvSingleByte::DecodeCP922(uint8_t b) const {
    switch (b) {
    case 0xAF: return 0x203E;
    case 0xD0: return 0x0160;
    case 0xDE: return 0x017D;
    case 0xF0: return 0x0161;
    case 0xFE: return 0x017E;
    default: return b;
    }
}

// The platform's conversion of one byte. Code pages without a table here
// (the multi-byte ones, unknown numbers) read the bytes below 0x80 as ASCII,
// so markup still parses, and give the replacement character for the rest.
char16_t TBuffConvSingleByte::DecodeByPlatform(uint8_t b) const {
    if (b == 0) return 0;
    if (FMap) return FMap[b];
    return b < 0x80 ? char16_t(b) : Replacement;
}
