// Any bytes decoded as UTF-8, UTF-7 or one of the East Asian multi-byte code
// pages, over byte and 16-bit storage: every read moves forward or ends, never
// past the content, and a copy taken in the middle reads exactly what the
// original reads next.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "html/text/Buffer.h"

namespace {

void check(TBuffer& b) {
    const std::u16string all = b.AsString();
    int steps = 0;
    int last = b.Position();
    std::u16string read;
    for (char16_t c = b.NextChar(); c != 0; c = b.NextChar()) {
        read.push_back(c);
        if (++steps > b.Size() + 1) std::abort();
        if (b.Position() > b.Size() + 1) std::abort();
        last = b.Position();
        if (steps == b.Size() / 2) {
            const char16_t peeked = b.PeekChar();
            if (b.Position() != last) std::abort();
            TBuffer copy(b);  // reads from the start, like the original did
            if (copy.AsString() != all) std::abort();
            if (peeked != b.PeekChar()) std::abort();
        }
    }
    if (read != all) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int cp : {65001, 65000, 0, 932, 936, 949, 950, 51932, 51936, 51949, 54936, 50220, 50225, 50227}) {
        TBuffer bytes(data, size, cp, u"");
        check(bytes);
        TBuffer units(data, size, cp, 1200, u"");
        check(units);
    }
    return 0;
}
