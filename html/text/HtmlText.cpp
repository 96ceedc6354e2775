#include "html/text/HtmlText.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "html/text/HtmlStrings.h"
#include "platform/runtime/TCString.h"

namespace htmltext {

u16 trim(u16v s) { return TrimString(s); }

char16_t lowerChar(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return char16_t(zrx_utf8::toLower(c));
}

u16 lower(u16v s) {
    u16 out(s);
    for (auto& c : out) c = lowerChar(c);
    return out;
}

int compareNoCase(u16v a, u16v b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char16_t x = lowerChar(a[i]), y = lowerChar(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool equalsNoCase(u16v a, u16v b) { return a.size() == b.size() && compareNoCase(a, b) == 0; }

bool startsWith(u16v s, u16v prefix) { return StringStartsWith(prefix, s); }
bool endsWith(u16v s, u16v suffix) { return StringEndsWith(suffix, s); }

std::optional<int64_t> toInt(u16v s) {
    const u16 t = trim(s);
    size_t i = 0;
    bool neg = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) neg = t[i++] == u'-';
    if (i >= t.size()) return std::nullopt;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < u'0' || t[i] > u'9') return std::nullopt;
        if (v > (std::numeric_limits<int64_t>::max() - 9) / 10) return std::nullopt;
        v = v * 10 + (t[i] - u'0');
    }
    return neg ? -v : v;
}

int64_t toIntDef(u16v s, int64_t def) { return toInt(s).value_or(def); }

std::optional<double> scanFloat(u16v s, size_t& used) {
    size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    std::string text;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) text += char(s[i++]);
    size_t digits = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') text += char(s[i++]), ++digits;
    if (i < s.size() && s[i] == u'.') {
        size_t j = i + 1;
        std::string frac = ".";
        while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') frac += char(s[j++]), ++digits;
        if (digits > 0) {
            text += frac;
            i = j;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        size_t j = i + 1;
        std::string ex = "e";
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) ex += char(s[j++]);
        size_t expDigits = 0;
        while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') ex += char(s[j++]), ++expDigits;
        if (expDigits > 0) {
            text += ex;
            i = j;
        }
    }
    used = i;
    const double v = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<double> toFloat(u16v s) {
    size_t used = 0;
    const auto v = scanFloat(s, used);
    if (!v) return std::nullopt;
    for (size_t i = used; i < s.size(); ++i)
        if (!isBlank(s[i])) return std::nullopt;
    return v;
}

int64_t roundEven(double v) {
    if (!std::isfinite(v)) return 0;
    if (v >= 9.2e18) return std::numeric_limits<int64_t>::max();
    if (v <= -9.2e18) return std::numeric_limits<int64_t>::min();
    const double r = v - std::floor(v) == 0.5 ? 2.0 * std::round(v / 2.0) : std::round(v);
    return int64_t(r);
}

int32_t clampToInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (v <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return int32_t(v);
}

std::string toUtf8(u16v s) { return wc2ch(s.data(), int(s.size())).str(); }
u16 fromUtf8(std::string_view s) { return TCString(s).toUtf16(); }

u16 fromInt(int64_t v) {
    const std::string t = std::to_string(v);
    return u16(t.begin(), t.end());
}

}  // namespace htmltext
