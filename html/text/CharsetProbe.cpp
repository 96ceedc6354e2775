#include "html/text/CharsetProbe.h"

#include <array>
#include <utility>

namespace {

struct ProbeEntry {
    bool Probed = false;
    int Delivered = 0;
};

ThtCharsetProbe& probe() {
    // Until a font layer answers, every charset is delivered as requested.
    static ThtCharsetProbe p = [](int cs) { return cs; };
    return p;
}

std::array<ProbeEntry, 256>& table() {
    static std::array<ProbeEntry, 256> t;
    return t;
}

}  // namespace

int ProbeFontCharset(int Charset) {
    if (Charset < 0 || Charset > 255) return Charset;
    ProbeEntry& e = table()[size_t(Charset)];
    if (!e.Probed) {
        e.Delivered = probe() ? probe()(Charset) : Charset;
        e.Probed = true;
    }
    return e.Delivered;
}

ThtCharsetProbe SetFontCharsetProbe(ThtCharsetProbe Probe) {
    ThtCharsetProbe old = std::exchange(probe(), std::move(Probe));
    table().fill(ProbeEntry{});
    return old;
}
