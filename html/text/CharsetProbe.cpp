#include "html/text/CharsetProbe.h"

#include <array>
#include <utility>

#include "platform/framework/DeviceContext.h"

namespace {

struct ProbeEntry {
    bool Probed = false;
    int Delivered = 0;
};

ThtCharsetProbe& probe() {
    // A font without a face in that charset, measured on the screen.
    static ThtCharsetProbe p = [](int cs) {
        std::unique_ptr<TDeviceContext> dc = GetScreenDC();
        if (!dc) return cs;
        TLogFont f;
        f.Face.clear();
        f.Charset = cs;
        dc->SelectFont(f);
        return dc->GetTextMetrics().CharSet;
    };
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
