#include "html/text/BuffConvMultiByte.h"

#include <algorithm>
#include <typeinfo>

#include "html/text/BuffConvSingleByte.h"

namespace {

struct TGB18030Range {
    int First, Last;  // linear four-byte indexes
    uint16_t Code;    // the character of First
};

#include "html/text/MultiByteMaps.inc"

constexpr char16_t Replacement = 0xFFFD;
constexpr int ESC = 0x1B, SO = 0x0E, SI = 0x0F;

bool in(int v, int lo, int hi) { return v >= lo && v <= hi; }

// A 94 × 94 row/cell table; rows outside the set's rows give U+FFFD.
char16_t rowCell(const uint16_t* map, int row, int cell) {
    if (!in(row, 0x21, 0x7E) || !in(cell, 0x21, 0x7E)) return Replacement;
    const uint16_t v = map[(row - 0x21) * 94 + (cell - 0x21)];
    return v ? char16_t(v) : Replacement;
}

char16_t decodeGB2312(int row, int cell) {
    if (!in(row, 0x21, 0x29) && !in(row, 0x30, 0x77)) return Replacement;
    return rowCell(GB2312Map, row, cell);
}

char16_t decodeKSC5601(int row, int cell) {
    if (!in(row, 0x21, 0x2C) && !in(row, 0x30, 0x48) && !in(row, 0x4A, 0x7D)) return Replacement;
    return rowCell(KSC5601Map, row, cell);
}

char16_t decodeJISX0208(int row, int cell) {
    if (!in(row, 0x21, 0x27) && !in(row, 0x30, 0x73)) return Replacement;
    return rowCell(JISX0208Map, row, cell);
}

char16_t decodeJISX0212(int row, int cell) { return rowCell(JISX0212Map, row, cell); }

// No CNS 11643 tables are built in: both planes give U+FFFD.
char16_t decodeCNS11643(int, int) { return Replacement; }

char16_t decodeASCII(int b) { return b < 0x80 ? char16_t(b) : Replacement; }

char16_t decodeJISX0201(int b) {
    if (b == 0x5C) return 0x00A5;
    if (b == 0x7E) return 0x203E;
    if (b < 0x80) return char16_t(b);
    if (in(b, 0xA1, 0xDF)) return char16_t(b + 0xFEC0);
    return Replacement;
}

// A dense lead × trail block of a generated table; 0 where nothing is mapped.
char16_t block(const uint16_t* map, int leadLo, int leadHi, int trailLo, int trailHi, int lead, int trail) {
    if (!in(lead, leadLo, leadHi) || !in(trail, trailLo, trailHi)) return 0;
    return char16_t(map[(lead - leadLo) * (trailHi - trailLo + 1) + (trail - trailLo)]);
}
#define BLOCK(Name, lead, trail) block(Name, Name##LeadLo, Name##LeadHi, Name##TrailLo, Name##TrailHi, lead, trail)

char16_t decodeGBK(int lead, int trail) {
    if (in(lead, 0xAA, 0xAF) && in(trail, 0xA1, 0xFE)) return char16_t(0xE000 + 94 * (lead - 0xAA) + (trail - 0xA1));
    if (in(lead, 0xF8, 0xFE) && in(trail, 0xA1, 0xFE)) return char16_t(0xE234 + 94 * (lead - 0xF8) + (trail - 0xA1));
    if (in(lead, 0xA1, 0xA2) && (in(trail, 0x40, 0x7E) || in(trail, 0x80, 0xA0)))
        return char16_t(0xE4C6 + 96 * (lead - 0xA1) + (trail < 0x80 ? trail - 0x40 : trail - 0x41));
    if (lead == 0xA1 && trail == 0xA4) return 0x00B7;
    if (lead == 0xA1 && trail == 0xAA) return 0x2014;
    if (lead == 0xA2 && in(trail, 0xA1, 0xAA)) return char16_t(0x2170 + (trail - 0xA1));
    if (trail == 0x7F || trail == 0xFF) return Replacement;
    const char16_t v = BLOCK(CP936Map, lead, trail);
    return v ? v : Replacement;
}

}  // namespace

// ---- EUC-CN / EUC-KR ------------------------------------------------------

void TBuffConvDoubleByte::Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage) {
    TBuffBaseConverter::Init(CurrPtr, EndPtr, CodePage, InitalCodePage);
    InitDecoder();
}

void TBuffConvDoubleByte::Assign(const TBuffConverter& Source) {
    TBuffBaseConverter::Assign(Source);
    InitDecoder();
}

void TBuffConvDoubleByte::InitDecoder() {
    FDecoder = FCodePage == 51949 ? &TBuffConvDoubleByte::DecodeKSC5601 : &TBuffConvDoubleByte::DecodeGB2312;
}

char16_t TBuffConvDoubleByte::DecodeGB2312(uint8_t Row, uint8_t Cell) const { return decodeGB2312(Row, Cell); }
char16_t TBuffConvDoubleByte::DecodeKSC5601(uint8_t Row, uint8_t Cell) const { return decodeKSC5601(Row, Cell); }

char16_t TBuffConvDoubleByte::NextChar() {
    const int b = NextUnit();
    if (b <= 0x80) return char16_t(b);
    if (!in(b, 0xA1, 0xFE)) return Replacement;
    const int t = NextUnit();
    if (!in(t, 0xA1, 0xFE)) return Replacement;
    return (this->*FDecoder)(uint8_t(b - 0x80), uint8_t(t - 0x80));
}

// ---- Shift-JIS -------------------------------------------------------------

char16_t TBuffConvShiftJis932::NextChar() {
    const int b = NextUnit();
    if (in(b, 0xA1, 0xDF)) return char16_t(b + 0xFEC0);
    const bool table = in(b, 0x81, 0x9F) || in(b, 0xE0, 0xEA) || b == 0xED || b == 0xEE || in(b, 0xFA, 0xFC);
    const bool user = in(b, 0xF0, 0xF9);
    if (!table && !user) return char16_t(b);
    const int t = NextUnit();
    const bool validTrail = in(t, 0x40, 0x7E) || in(t, 0x80, 0xFC);
    if (!validTrail) return char16_t(b);
    if (user) return char16_t(0xE000 + 188 * (b - 0xF0) + (t < 0x80 ? t - 0x40 : t - 0x41));
    const char16_t v = BLOCK(CP932Map, b, t);
    return v ? v : char16_t(b);
}

// ---- Big5 (950) ------------------------------------------------------------

char16_t TBuffConvBig5CP950::NextChar() {
    const int b = NextUnit();
    if (b < 0x80) return char16_t(b);
    if (!in(b, 0xA1, 0xF9)) return Replacement;
    const int t = NextUnit();
    if (!in(t, 0x40, 0x7E) && !in(t, 0xA1, 0xFE)) return Replacement;
    if (b == 0xA3 && t == 0xE1) return 0x20AC;
    if ((b == 0xC6 && t >= 0xA1) || b == 0xC8) return Replacement;
    const char16_t v = BLOCK(CP950Map, b, t);
    return v ? v : Replacement;
}

// ---- GBK (936) -------------------------------------------------------------

char16_t TBuffConvIBM936::NextChar() {
    const int b = NextUnit();
    if (b < 0x80) return char16_t(b);
    if (b == 0x80) return 0x20AC;
    return decodeGBK(b, NextUnit());
}

// ---- Unified Hangul Code (949) ---------------------------------------------

char16_t TBuffConvHangeul949::NextChar() {
    const int b = NextUnit();
    if (b < 0x80) return char16_t(b);
    if (b == 0x80 || b >= 0xFF) return Replacement;
    const int t = NextUnit();
    const bool uhcTrail = in(t, 0x41, 0x5A) || in(t, 0x61, 0x7A) || in(t, 0x81, 0xFE);
    if (in(b, 0x81, 0xA0) || (in(b, 0xA1, 0xC6) && t < 0xA1)) {
        if (!uhcTrail) return Replacement;
        const char16_t v = BLOCK(CP949Map, b, t);
        return v ? v : Replacement;
    }
    if (b == 0xFE) return in(t, 0xA1, 0xFE) ? char16_t(0xE000 + (t - 0xA1)) : Replacement;
    if (b == 0xA2 && t == 0xE8) return Replacement;
    if (!in(t, 0xA1, 0xFE)) return Replacement;
    return decodeKSC5601(b - 0x80, t - 0x80);
}

// ---- EUC-JP ----------------------------------------------------------------

char16_t TBuffConvEUC_JP::NextChar() {
    const int b = NextUnit();
    if (b < 0x80) return char16_t(b);
    if (b == 0x8E) {
        const int t = NextUnit();
        return in(t, 0xA1, 0xDF) ? char16_t(0xFF61 + (t - 0xA1)) : Replacement;
    }
    if (b == 0x8F) {
        const int t1 = NextUnit();
        const int t2 = NextUnit();
        if (!in(t2, 0xA1, 0xFE)) return Replacement;
        if (in(t1, 0xA1, 0xF4)) return decodeJISX0212(t1 - 0x80, t2 - 0x80);
        if (in(t1, 0xF5, 0xFE)) return char16_t(0xE3AC + 94 * (t1 - 0xF5) + (t2 - 0xA1));
        return Replacement;
    }
    if (in(b, 0xA1, 0xF4)) {
        const int t = NextUnit();
        return in(t, 0xA1, 0xFE) ? decodeJISX0208(b - 0x80, t - 0x80) : Replacement;
    }
    if (in(b, 0xF5, 0xFE)) {
        const int t = NextUnit();
        return in(t, 0xA1, 0xFE) ? char16_t(0xE000 + 94 * (b - 0xF5) + (t - 0xA1)) : Replacement;
    }
    return Replacement;
}

// ---- GB18030 ---------------------------------------------------------------

char16_t TBuffConvGB18030::NextChar() {
    const int b = NextUnit();
    if (b < 0x80) return decodeASCII(b);
    const TBuffPointer second = FPos;
    const int d1 = NextUnit();
    // Four-byte forms are recognised after any lead, so one outside the Basic
    // Multilingual Plane is skipped whole instead of leaving bytes behind.
    if (in(b, 0x81, 0xFE) && in(d1, 0x30, 0x39)) {
        const int c = NextUnit();
        const int d2 = NextUnit();
        if (!in(c, 0x81, 0xFE) || !in(d2, 0x30, 0x39)) {
            // Not a four-byte sequence: only the lead is used up.
            FPos = second;
            return Replacement;
        }
        const int index = ((b - 0x81) * 10 + (d1 - 0x30)) * 1260 + (c - 0x81) * 10 + (d2 - 0x30);
        if (index >= 39420) return Replacement;  // beyond the Basic Multilingual Plane
        const auto* end = GB18030Ranges + std::size(GB18030Ranges);
        const auto* r =
            std::upper_bound(GB18030Ranges, end, index, [](int i, const TGB18030Range& x) { return i < x.First; });
        if (r == GB18030Ranges) return Replacement;
        --r;
        return index <= r->Last ? char16_t(r->Code + (index - r->First)) : Replacement;
    }
    const char16_t v = decodeGBK(b, d1);
    if (v != Replacement) return v;
    const int code = (b << 8) | d1;
    for (const auto& e : GB18030Extras)
        if (e[0] == code) return char16_t(e[1]);
    return Replacement;
}

// ---- ISO-2022 --------------------------------------------------------------
// In a two-byte state a control byte or space still comes out as itself, so a
// line end before the switch back to ASCII does not swallow the next byte.

void TBuffConvISO2022JP::Assign(const TBuffConverter& Source) {
    TBuffBaseConverter::Assign(Source);
    const auto* same = typeid(Source) == typeid(*this) ? static_cast<const TBuffConvISO2022JP*>(&Source) : nullptr;
    JPState = same ? same->JPState : JPS_ASCII;
}

char16_t TBuffConvISO2022JP::NextChar() {
    int b = NextUnit();
    while (b == ESC) {
        const TBuffPointer afterEsc = FPos;
        const int c1 = NextUnit();
        const int c2 = NextUnit();
        bool known = true;
        if (c1 == '$' && (c2 == '@' || c2 == 'B')) JPState = JPS_JISX0208;
        else if (c1 == '$' && c2 == 'A') JPState = JPS_GB2312;
        else if (c1 == '$' && c2 == '(') {
            const int c3 = NextUnit();
            if (c3 == 'C') JPState = JPS_KSC5601;
            else if (c3 == 'D') JPState = JPS_JISX0212;
            else known = false;
        } else if (c1 == '(' && c2 == 'B') JPState = JPS_ASCII;
        else if (c1 == '(' && c2 == 'J') JPState = JPS_JISX0201ROMAN;
        else if (c1 == '.' && c2 == 'A') JPState = JPS_8859_1;
        else if (c1 == '.' && c2 == 'F') JPState = JPS_8859_7;
        else known = false;
        if (!known) {
            FPos = afterEsc;
            break;
        }
        b = NextUnit();
    }
    if (b == 0) return 0;
    switch (JPState) {
    case JPS_ASCII: return decodeASCII(b);
    case JPS_JISX0201ROMAN: return b > 0xFF ? Replacement : decodeJISX0201(b);
    case JPS_8859_1: return char16_t(b);
    case JPS_8859_7: return b > 0xFF ? Replacement : DecodeIso8859_7Byte(uint8_t(b));
    default: break;
    }
    if (b <= 0x20) return char16_t(b);
    const int t = NextUnit();
    switch (JPState) {
    case JPS_JISX0208: return decodeJISX0208(b, t);
    case JPS_JISX0212: return decodeJISX0212(b, t);
    case JPS_GB2312: return decodeGB2312(b, t);
    default: return decodeKSC5601(b, t);
    }
}

void TBuffConvISO2022KR::Assign(const TBuffConverter& Source) {
    TBuffBaseConverter::Assign(Source);
    const auto* same = typeid(Source) == typeid(*this) ? static_cast<const TBuffConvISO2022KR*>(&Source) : nullptr;
    KRState1 = same ? same->KRState1 : KRSTATE_ASCII;
    KRState2 = same ? same->KRState2 : KRSTATE2_NONE;
}

char16_t TBuffConvISO2022KR::NextChar() {
    int b;
    for (;;) {
        b = NextUnit();
        if (b == SO) {
            if (KRState2 != STATE2_DESIGNATED_KSC5601) return char16_t(SO);
            KRState1 = KRSTATE_TWOBYTE;
        } else if (b == SI) {
            KRState1 = KRSTATE_ASCII;
        } else if (b == ESC) {
            const TBuffPointer afterEsc = FPos;
            const int c1 = NextUnit();
            const int c2 = NextUnit();
            const int c3 = c1 == '$' && c2 == ')' ? NextUnit() : 0;
            if (c3 != 'C') {
                FPos = afterEsc;
                return char16_t(ESC);
            }
            KRState2 = STATE2_DESIGNATED_KSC5601;
        } else {
            break;
        }
    }
    if (b == 0) return 0;
    if (KRState1 == KRSTATE_TWOBYTE && b > 0x20) {
        if (KRState2 != STATE2_DESIGNATED_KSC5601) return Replacement;
        const int t = NextUnit();
        return decodeKSC5601(b, t);
    }
    if (b == '\r' || b == '\n') KRState2 = KRSTATE2_NONE;
    return decodeASCII(b);
}

void TBuffConvISO2022CN::Assign(const TBuffConverter& Source) {
    TBuffBaseConverter::Assign(Source);
    const auto* same = typeid(Source) == typeid(*this) ? static_cast<const TBuffConvISO2022CN*>(&Source) : nullptr;
    CNState1 = same ? same->CNState1 : CNSTATE_ASCII;
    CNState2 = same ? same->CNState2 : CNSTATE2_NONE;
    CNState3 = same ? same->CNState3 : CNSTATE3_NONE;
}

char16_t TBuffConvISO2022CN::NextChar() {
    int b;
    for (;;) {
        b = NextUnit();
        if (b == SO) {
            if (CNState2 == CNSTATE2_NONE) return char16_t(SO);
            CNState1 = CNSTATE_TWOBYTE;
        } else if (b == SI) {
            CNState1 = CNSTATE_ASCII;
        } else if (b == ESC) {
            const TBuffPointer afterEsc = FPos;
            const int c1 = NextUnit();
            if (c1 == 'N') {
                if (CNState3 != STATE3_DESIGNATED_CNS11643_2) return char16_t(ESC);
                const int r = NextUnit();
                const int c = NextUnit();
                return decodeCNS11643(r, c);
            }
            const int c2 = NextUnit();
            const int c3 = c1 == '$' && (c2 == ')' || c2 == '*') ? NextUnit() : 0;
            if (c2 == ')' && c3 == 'A') CNState2 = STATE2_DESIGNATED_GB2312;
            else if (c2 == ')' && c3 == 'G') CNState2 = STATE2_DESIGNATED_CNS11643_1;
            else if (c2 == '*' && c3 == 'H') CNState3 = STATE3_DESIGNATED_CNS11643_2;
            else {
                FPos = afterEsc;
                return char16_t(ESC);
            }
        } else {
            break;
        }
    }
    if (b == 0) return 0;
    if (CNState1 == CNSTATE_TWOBYTE && b > 0x20) {
        const int t = NextUnit();
        return CNState2 == STATE2_DESIGNATED_GB2312 ? decodeGB2312(b, t) : decodeCNS11643(b, t);
    }
    if (b == '\r' || b == '\n') {
        CNState2 = CNSTATE2_NONE;
        CNState3 = CNSTATE3_NONE;
    }
    return decodeASCII(b);
}
