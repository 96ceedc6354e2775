#pragma once
// The generic single-byte converter: every code page without a converter of
// its own, the unknown ones included. A decoder chosen by code page maps each
// byte: computed for the ISO 8859 parts and code pages 858 and 922, the
// platform's conversion for the others. The platform's ANSI and OEM code
// pages (0 and 1) are UTF-8 here and are read as UTF-8 sequences, since no
// byte-by-byte conversion could give their non-ASCII characters.
#include <cstdint>

#include "html/text/BuffBaseConverter.h"

class TBuffConvSingleByte;

// The ISO 8859-7 decoder, shared with the ISO-2022-JP converter.
char16_t DecodeIso8859_7Byte(uint8_t Byte);
using TBuffSingleByteDecoder = char16_t (TBuffConvSingleByte::*)(uint8_t Byte) const;

class TBuffConvSingleByte : public TBuffBaseConverter {
public:
    void Assign(const TBuffConverter& Source) override;
    char16_t NextChar() override;

protected:
    void Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage) override;

private:
    void InitDecoder();

    char16_t DecodeIso8859_5(uint8_t Byte) const;
    char16_t DecodeIso8859_6(uint8_t Byte) const;
    char16_t DecodeIso8859_7(uint8_t Byte) const;
    char16_t DecodeIso8859_8(uint8_t Byte) const;
    char16_t DecodeIso8859_9(uint8_t Byte) const;
    char16_t DecodeIso8859_11(uint8_t Byte) const;
    char16_t DecodeIso8859_15(uint8_t Byte) const;
    char16_t DecodeCP858(uint8_t Byte) const;
    char16_t DecodeCP922(uint8_t Byte) const;
    char16_t DecodeByPlatform(uint8_t Byte) const;

    TBuffSingleByteDecoder FDecoder = nullptr;
    const char16_t* FMap = nullptr;  // the platform's or code page 850's table
    bool FUtf8 = false;
};
