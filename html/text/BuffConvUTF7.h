#pragma once
// UTF-7 (code page 65000, RFC 2152). The base64 runs carry bits across
// characters, so the decoder keeps a state between calls: bits 0-1 the shift
// (0 outside a run; inside with 0, 4 or 2 pending bits for 1, 2 and 3) and
// bits 2-7 the pending bits.
#include <cstdint>

#include "html/text/BuffConverter.h"

class TBuffConvUTF7 : public TBuffConverter {
public:
    void Assign(const TBuffConverter& Source) override;
    char16_t NextChar() override;

    uint8_t State = 0;

private:
    char16_t NextInRun();
};
