#include "html/text/BuffConvUTF7.h"

namespace {

constexpr char16_t Replacement = 0xFFFD;

int base64Value(uint8_t b) {
    if (b >= 'A' && b <= 'Z') return b - 'A';
    if (b >= 'a' && b <= 'z') return b - 'a' + 26;
    if (b >= '0' && b <= '9') return b - '0' + 52;
    if (b == '+') return 62;
    if (b == '/') return 63;
    return -1;
}

// Tab, line feed, carriage return and printable ASCII but "+", "\" and "~".
bool isDirect(uint8_t b) {
    if (b == '\t' || b == '\n' || b == '\r') return true;
    return b >= 0x20 && b <= 0x7E && b != '+' && b != '\\' && b != '~';
}

// Pending bit counts by shift, and the shift that leaves a given count.
constexpr int PendingBits[4] = {0, 0, 4, 2};
uint8_t shiftFor(int pendingBits) { return pendingBits == 0 ? 1 : pendingBits == 4 ? 2 : 3; }

}  // namespace

void TBuffConvUTF7::Assign(const TBuffConverter& Source) {
    TBuffConverter::Assign(Source);
    const auto* utf7 = dynamic_cast<const TBuffConvUTF7*>(&Source);
    State = utf7 ? utf7->State : 0;
}

char16_t TBuffConvUTF7::NextChar() {
    if ((State & 3) != 0) return NextInRun();
    const char16_t u = NextUnit();
    if (u == 0) return 0;
    const uint8_t b = uint8_t(u);
    if (isDirect(b)) return b;
    if (b != '+') return Replacement;
    const TBuffPointer afterPlus = FPos;
    const char16_t next = NextUnit();
    if (next == 0) return 0;
    if (uint8_t(next) == '-') return u'+';
    FPos = afterPlus;  // the run starts with that character
    State = 1;
    return NextInRun();
}

char16_t TBuffConvUTF7::NextInRun() {
    int bits = PendingBits[State & 3];
    uint32_t acc = uint32_t(State >> 2) & ((1u << bits) - 1);
    int readForUnit = 0;    // base64 characters of the unit being built
    bool haveHigh = false;  // a high surrogate waits for its partner
    for (;;) {
        const TBuffPointer before = FPos;
        const char16_t u = NextUnit();
        if (u == 0) {
            State = 0;
            return 0;
        }
        const int v = base64Value(uint8_t(u));
        if (v < 0) {
            const bool broken = acc != 0 || readForUnit > 0 || haveHigh;
            State = 0;
            if (broken) {
                // A terminator other than "-" is text of its own: read it again.
                if (uint8_t(u) != '-') FPos = before;
                return Replacement;
            }
            if (uint8_t(u) != '-') FPos = before;
            return NextChar();
        }
        acc = (acc << 6) | uint32_t(v);
        bits += 6;
        ++readForUnit;
        if (bits < 16) continue;
        const char16_t unit = char16_t(acc >> (bits - 16));
        bits -= 16;
        acc &= (1u << bits) - 1;
        readForUnit = 0;
        State = uint8_t(shiftFor(bits) | (acc << 2));
        if (haveHigh) return Replacement;  // no surrogate pairs: the pair becomes one replacement
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            haveHigh = true;
            continue;
        }
        return unit;
    }
}
