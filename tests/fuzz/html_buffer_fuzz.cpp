// Any bytes, read as a stream or in a chosen code page and storage form,
// decode without leaving the buffer; reads at the end stay there.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "html/text/Buffer.h"

namespace {
const int CodePages[] = {0, 1200, 1201, 28591, 65001, 1251, 866, 50220, 54936, 7, -1};

void drain(TBuffer& b) {
    const std::u16string all = b.AsString();
    if (b.AsString() != all) std::abort();
    int steps = 0;
    while (b.NextChar() != 0 && ++steps <= b.Size() + 2) {}
    if (steps > b.Size() + 1) std::abort();
    if (b.Position() < 0 || b.Position() > b.Size() + 1) std::abort();
    (void)b.GetString(0, b.Size() + 5);
    b.SetPosition(b.Size() / 2);
    (void)b.PeekChar();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream in(bytes);
    TBuffer detected(in, u"fuzz");
    drain(detected);
    if (size == 0) return 0;
    const int cp = CodePages[data[0] % (sizeof CodePages / sizeof CodePages[0])];
    const int storage = CodePages[(data[0] >> 4) % (sizeof CodePages / sizeof CodePages[0])];
    TBuffer chosen(data + 1, size - 1, cp, storage, u"");
    drain(chosen);
    chosen.SetPosition(int(size / 3));
    chosen.SetCodePage(65001);
    TBuffer copy(chosen);
    drain(copy);
    return 0;
}
