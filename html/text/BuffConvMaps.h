#pragma once
// Converters that look each byte up in the fixed map of their code page: the
// high half (bytes 128-255), the ISO half (160-255) or all 256 bytes. Bytes
// outside the map's range pass as they are. A code page without a map is
// read as ISO 8859-1.
#include <array>

#include "html/text/BuffConverter.h"

using ThtAnsiCharHighMap = std::array<char16_t, 128>;
using ThtAnsiCharISOMap = std::array<char16_t, 96>;
using ThtAnsiCharMap = std::array<char16_t, 256>;

class TBuffConvHighMap : public TBuffConverter {
public:
    void Assign(const TBuffConverter& Source) override;
    char16_t NextChar() override;

protected:
    void Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage) override;

private:
    void InitMap();
    ThtAnsiCharHighMap FMap{};
};

class TBuffConvIsoMap : public TBuffConverter {
public:
    void Assign(const TBuffConverter& Source) override;
    char16_t NextChar() override;

protected:
    void Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage) override;

private:
    void InitMap();
    ThtAnsiCharISOMap FMap{};
};

class TBuffConvSingleByteMap : public TBuffConverter {
public:
    void Assign(const TBuffConverter& Source) override;
    char16_t NextChar() override;

protected:
    void Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage) override;

private:
    void InitMap();
    ThtAnsiCharMap FMap{};
};
