#pragma once
// What the converter tests share: bytes written as numbers, a whole buffer
// decoded unit by unit, and a table of inputs checked against their texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "html/text/Buffer.h"

namespace decodecases {

inline std::string bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s.push_back(char(c));
    return s;
}

// Every unit NextChar gives until the bytes are used up, zeros included; the
// read position never passes the end.
inline std::u16string decodeAll(const std::string& data, int codePage) {
    TBuffer b(data.data(), data.size(), codePage, u"");
    std::u16string out;
    for (int guard = 0; guard <= b.Size() + 1; ++guard) {
        const char16_t c = b.NextChar();
        if (c == 0 && b.Position() >= b.Size()) break;
        out.push_back(c);
    }
    EXPECT_LE(b.Position(), b.Size());
    return out;
}

// Units as hexadecimal, so that a failure shows which unit differs.
inline std::string hex(const std::u16string& s) {
    std::string out;
    char buf[8];
    for (char16_t c : s) {
        snprintf(buf, sizeof buf, "%04X ", unsigned(c));
        out += buf;
    }
    return out;
}

struct DecodeCase {
    const char* label;
    std::string data;
    std::u16string text;
};

inline void expectDecodes(int codePage, const std::vector<DecodeCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(hex(decodeAll(c.data, codePage)), hex(c.text));
    }
}

}  // namespace decodecases
