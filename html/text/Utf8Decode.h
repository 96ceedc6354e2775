#pragma once
// One UTF-16 unit from a UTF-8 sequence, shared by the converters that read
// UTF-8. Lenient by design: overlong forms and surrogate code points pass,
// anything else malformed gives U+FFFF, and a bad continuation is left to be
// read again as a character of its own.
#include <cstdint>

// ReadUnit() takes the next storage unit (0 at the end, without moving);
// Mark() answers the read position and Rewind(p) puts it back.
template <class ReadUnit, class Mark, class Rewind>
char16_t DecodeUtf8Unit(ReadUnit readUnit, Mark mark, Rewind rewind) {
    constexpr char16_t Invalid = 0xFFFF;
    const char16_t lead = readUnit();
    if (lead < 0x80) return lead;
    int more;
    uint32_t value;
    if (lead < 0xC0 || lead >= 0xFE) return Invalid;
    if (lead < 0xE0) {
        more = 1;
        value = lead & 0x1Fu;
    } else if (lead < 0xF0) {
        more = 2;
        value = lead & 0x0Fu;
    } else if (lead < 0xF8) {
        more = 3;
        value = lead & 0x07u;
    } else if (lead < 0xFC) {
        more = 4;
        value = lead & 0x03u;
    } else {
        more = 5;
        value = lead & 0x01u;
    }
    // Only the units really consumed are given back: at the end nothing moves,
    // so a truncated sequence can never wind the position back onto itself.
    const auto afterLead = mark();
    for (int i = 0; i < more; ++i) {
        const char16_t c = readUnit();
        if (c < 0x80 || c > 0xBF) {
            rewind(afterLead);
            return c == 0 ? char16_t(0) : Invalid;
        }
        value = (value << 6) | (c & 0x3Fu);
    }
    if (more >= 3 && value > 0xFFFF) return Invalid;
    return char16_t(value & 0xFFFF);
}
