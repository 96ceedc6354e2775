#pragma once
// UTF-8 (code page 65001), one UTF-16 unit per character; characters beyond
// the 16-bit range come out as U+FFFF, never as surrogate pairs.
#include "html/text/BuffConverter.h"

class TBuffConvUTF8 : public TBuffConverter {
public:
    char16_t NextChar() override;
};
