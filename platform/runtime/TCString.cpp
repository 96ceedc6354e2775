#include "platform/runtime/TCString.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <algorithm>

#include "platform/runtime/Utf16.h"

namespace zrx_utf8 {

char32_t decode(std::string_view s, size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + extra >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    static const char32_t minOf[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < minOf[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += extra + 1;
    return cp;
}

void append(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Every mapping keeps the UTF-8 byte length, so byte positions found in a
// case-folded copy are valid in the original. The registry and profile names
// fold through the same table (platform/win/NameFold).
char32_t toLower(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c >= 0x100 && c <= 0x17F) {  // Latin Extended-A: mostly even upper / odd lower
        if (c == 0x178) return 0xFF;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c % 2 == 1) ? c + 1 : c;
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        return (c % 2 == 0) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
        return (c % 2 == 0) ? c + 1 : c;
    if (c >= 0x4C1 && c <= 0x4CE) return (c % 2 == 1) ? c + 1 : c;
    if (c == 0x4C0) return 0x4CF;
    return c;
}

char32_t toUpper(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c % 2 == 0) ? c - 1 : c;
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x178 || c == 0x17F) return c;
        return (c % 2 == 1) ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return c - 0x20;  // final sigma stays
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
        return (c % 2 == 1) ? c - 1 : c;
    if (c >= 0x4C1 && c <= 0x4CE) return (c % 2 == 0) ? c - 1 : c;
    if (c == 0x4CF) return 0x4C0;
    return c;
}

int compareIC(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = toLower(decode(a, i));
        const char32_t cb = toLower(decode(b, j));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

size_t charCount(std::string_view s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size();) {
        decode(s, i);
        ++n;
    }
    return n;
}

size_t bytesOfChars(std::string_view s, size_t n) {
    size_t i = 0;
    while (n > 0 && i < s.size()) {
        decode(s, i);
        --n;
    }
    return i;
}

size_t cutBytes(std::string_view s, size_t maxBytes) {
    if (s.size() <= maxBytes) return s.size();
    size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    return n;
}

size_t copyCut(std::string_view s, char* buf, size_t size) {
    if (!buf || size == 0) return 0;
    const size_t n = cutBytes(s, size - 1);
    if (n) std::memcpy(buf, s.data(), n);
    buf[n] = '\0';
    return n;
}

}  // namespace zrx_utf8

namespace {

std::string mapCase(std::string_view s, bool up) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const size_t start = i;
        const char32_t cp = zrx_utf8::decode(s, i);
        if (cp == 0xFFFD && !(i - start == 3 && s.substr(start, 3) == "\xEF\xBF\xBD")) {
            out.append(s.substr(start, i - start));  // keep stray bytes as they are
            continue;
        }
        zrx_utf8::append(out, up ? zrx_utf8::toUpper(cp) : zrx_utf8::toLower(cp));
    }
    return out;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Parses a whole (trimmed) text as an integer; negative only when allowed.
bool parseInteger(std::string_view text, int base, bool allowMinus, uint64_t& mag, bool& neg) {
    size_t b = 0, e = text.size();
    while (b < e && isSpace(text[b])) ++b;
    while (e > b && isSpace(text[e - 1])) --e;
    std::string_view t = text.substr(b, e - b);
    neg = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        neg = t[0] == '-';
        if (neg && !allowMinus) return false;
        t.remove_prefix(1);
    }
    if ((base == 16 || base == 0) && t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        t.remove_prefix(2);
        base = 16;
    }
    if (base == 0) base = 10;
    if (t.empty() || base < 2 || base > 36) return false;
    uint64_t v = 0;
    for (char c : t) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'z') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'Z') d = c - 'A' + 10;
        else return false;
        if (d >= base) return false;
        if (v > (UINT64_MAX - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base)) return false;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    mag = v;
    return true;
}

const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int b64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    return -1;
}

}  // namespace

TCString::TCString(int64_t value, int base) {
    if (base < 2 || base > 36) base = 10;
    const bool neg = value < 0 && base == 10;
    uint64_t v = neg ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits;
    do {
        const int d = static_cast<int>(v % static_cast<uint64_t>(base));
        digits += static_cast<char>(d < 10 ? '0' + d : 'A' + d - 10);
        v /= static_cast<uint64_t>(base);
    } while (v);
    if (neg) digits += '-';
    s_.assign(digits.rbegin(), digits.rend());
}

size_t TCString::charCount() const { return zrx_utf8::charCount(s_); }

char* TCString::allocate(size_t n) {
    s_.assign(n, '\0');
    return s_.data();
}

void TCString::setLength(size_t n) {
    if (n == npos) n = std::strlen(s_.c_str());
    s_.resize(n);
}

namespace {

// The arguments may point into the string being written: the text is made
// apart and only then put in place.
std::string formatted(const char* fmt, va_list args) {
    char small[512];
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    va_copy(copy, args);
    std::vsnprintf(out.data(), out.size(), fmt, copy);
    va_end(copy);
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace

TCString& TCString::vprintf(const char* fmt, va_list args) {
    if (!fmt) {
        s_.clear();
        return *this;
    }
    s_ = formatted(fmt, args);
    return *this;
}

TCString& TCString::vappendf(const char* fmt, va_list args) {
    if (fmt) s_ += formatted(fmt, args);
    return *this;
}

TCString& TCString::printf(const char* fmt, ...) {
    va_list a;
    va_start(a, fmt);
    vprintf(fmt, a);
    va_end(a);
    return *this;
}

TCString& TCString::appendf(const char* fmt, ...) {
    va_list a;
    va_start(a, fmt);
    vappendf(fmt, a);
    va_end(a);
    return *this;
}

TCString& TCString::cat_printf(const char* fmt, ...) {
    va_list a;
    va_start(a, fmt);
    vappendf(fmt, a);
    va_end(a);
    return *this;
}

TCString TCString::format(const char* fmt, ...) {
    TCString r;
    va_list a;
    va_start(a, fmt);
    r.vappendf(fmt, a);
    va_end(a);
    return r;
}

TCString TCString::vformat(const char* fmt, va_list args) {
    TCString r;
    r.vappendf(fmt, args);
    return r;
}

TCFString::TCFString(const char* fmt, ...) {
    va_list a;
    va_start(a, fmt);
    vappendf(fmt, a);
    va_end(a);
}

int TCString::compare(const char* t) const {
    const int r = std::strcmp(s_.c_str(), t ? t : "");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int TCString::compareIC(const char* t) const { return zrx_utf8::compareIC(s_, t ? t : ""); }

bool TCString::startsWith(const char* t) const {
    return t && s_.compare(0, std::strlen(t), t) == 0 && s_.size() >= std::strlen(t);
}

bool TCString::startsWithIC(const char* t) const {
    if (!t) return false;
    const std::string lt = mapCase(t, false);
    const std::string ls = mapCase(s_, false);
    return ls.compare(0, lt.size(), lt) == 0 && ls.size() >= lt.size();
}

bool TCString::endsWith(const char* t) const {
    if (!t) return false;
    const size_t n = std::strlen(t);
    return s_.size() >= n && s_.compare(s_.size() - n, n, t) == 0;
}

int TCString::pos(const char* t, size_t from) const {
    if (!t || from > s_.size()) return -1;
    const size_t p = s_.find(t, from);
    return p == npos ? -1 : static_cast<int>(p);
}

int TCString::pos(char c, size_t from) const {
    if (from > s_.size()) return -1;
    const size_t p = s_.find(c, from);
    return p == npos ? -1 : static_cast<int>(p);
}

int TCString::posIC(const char* t, size_t from) const {
    if (!t || from > s_.size()) return -1;
    const size_t p = mapCase(s_, false).find(mapCase(t, false), from);
    return p == npos ? -1 : static_cast<int>(p);
}

int TCString::lastPos(char c) const {
    const size_t p = s_.rfind(c);
    return p == npos ? -1 : static_cast<int>(p);
}

TCString& TCString::trimLeft() {
    size_t b = 0;
    while (b < s_.size() && isSpace(s_[b])) ++b;
    s_.erase(0, b);
    return *this;
}

TCString& TCString::trimRight() {
    size_t e = s_.size();
    while (e > 0 && isSpace(s_[e - 1])) --e;
    s_.resize(e);
    return *this;
}

TCString& TCString::trim() { return trimRight().trimLeft(); }

TCString& TCString::upper() {
    s_ = mapCase(s_, true);
    return *this;
}
TCString& TCString::lower() {
    s_ = mapCase(s_, false);
    return *this;
}

TCString& TCString::substChar(char from, char to) {
    for (char& c : s_)
        if (c == from) c = to;
    return *this;
}

TCString& TCString::removeChar(char c) {
    s_.erase(std::remove(s_.begin(), s_.end(), c), s_.end());
    return *this;
}

TCString& TCString::replaceAll(const char* from, const char* to) {
    if (!from || !*from) return *this;
    const std::string f(from), t(to ? to : "");
    std::string out;
    size_t i = 0;
    for (size_t p; (p = s_.find(f, i)) != npos; i = p + f.size()) {
        out.append(s_, i, p - i);
        out += t;
    }
    out.append(s_, i, npos);
    s_ = std::move(out);
    return *this;
}

TCString TCString::sub(size_t from, size_t len) const {
    if (from >= s_.size()) return TCString();
    return TCString(s_.substr(from, len));
}

TCString TCString::beforeLast(char c) const {
    const size_t p = s_.rfind(c);
    return p == npos ? *this : TCString(s_.substr(0, p));
}
TCString TCString::afterLast(char c) const {
    const size_t p = s_.rfind(c);
    return p == npos ? TCString() : TCString(s_.substr(p + 1));
}
TCString TCString::beforeFirst(char c) const {
    const size_t p = s_.find(c);
    return p == npos ? *this : TCString(s_.substr(0, p));
}
TCString TCString::afterFirst(char c) const {
    const size_t p = s_.find(c);
    return p == npos ? TCString() : TCString(s_.substr(p + 1));
}

TCString TCString::name() const {
    TCString r(s_.substr(0, s_.find('=')));
    return r.trim();
}

TCString TCString::value() const {
    const size_t p = s_.find('=');
    if (p == npos) return TCString();
    TCString r(s_.substr(p + 1));
    return r.trim();
}

bool TCString::asInt64(int64_t* out, int base) const {
    uint64_t mag;
    bool neg;
    if (!parseInteger(s_, base, true, mag, neg)) return false;
    if (neg ? mag > static_cast<uint64_t>(INT64_MAX) + 1 : mag > static_cast<uint64_t>(INT64_MAX)) {
        // Hex texts of full 64-bit words read as their bit pattern.
        if (neg || (base != 16 && base != 0)) return false;
    }
    if (out) *out = neg ? static_cast<int64_t>(0 - mag) : static_cast<int64_t>(mag);
    return true;
}

bool TCString::asInt(int32_t* out, int base) const {
    uint64_t mag;
    bool neg;
    if (!parseInteger(s_, base, true, mag, neg)) return false;
    if (neg) {
        if (mag > 0x80000000ULL) return false;
        if (out) *out = static_cast<int32_t>(0 - static_cast<int64_t>(mag));
        return true;
    }
    // Hex texts up to 0xFFFFFFFF read as their 32-bit pattern.
    if (mag > 0x7FFFFFFFULL && !((base == 16 || base == 0) && mag <= 0xFFFFFFFFULL)) return false;
    if (out) *out = static_cast<int32_t>(static_cast<uint32_t>(mag));
    return true;
}

bool TCString::asUInt(uint32_t* out, int base) const {
    uint64_t mag;
    bool neg;
    if (!parseInteger(s_, base, false, mag, neg) || mag > 0xFFFFFFFFULL) return false;
    if (out) *out = static_cast<uint32_t>(mag);
    return true;
}

int32_t TCString::asInt(int base, int32_t def) const {
    int32_t v;
    return asInt(&v, base) ? v : def;
}
uint32_t TCString::asUInt(int base, uint32_t def) const {
    uint32_t v;
    return asUInt(&v, base) ? v : def;
}
int64_t TCString::asInt64(int base, int64_t def) const {
    int64_t v;
    return asInt64(&v, base) ? v : def;
}
uint64_t TCString::asUInt64(int base, uint64_t def) const {
    uint64_t mag;
    bool neg;
    return parseInteger(s_, base, false, mag, neg) ? mag : def;
}

double TCString::asDouble(double def) const {
    const char* b = s_.c_str();
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(b, &end);
    if (end == b || errno == ERANGE || !std::isfinite(v)) return def;
    while (*end && isSpace(*end)) ++end;
    return *end ? def : v;
}

bool TCString::isNumber(int base) const {
    uint64_t mag;
    bool neg;
    return parseInteger(s_, base, true, mag, neg);
}

int TCString::asBuffer(void* buf, size_t size) const {
    auto* out = static_cast<unsigned char*>(buf);
    if (out && size) std::memset(out, 0, size);
    size_t n = 0;
    int hi = -1;
    for (char c : s_) {
        if (isSpace(c) || c == ':' || c == '-') {
            if (hi >= 0) return -1;  // a lone digit before a separator
            continue;
        }
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return -1;
        if (hi < 0) {
            hi = d;
            continue;
        }
        if (n >= size) return static_cast<int>(n);  // the buffer is full: cut
        out[n++] = static_cast<unsigned char>(hi * 16 + d);
        hi = -1;
    }
    return hi >= 0 ? -1 : static_cast<int>(n);
}

TCString TCString::hexOf(const void* data, size_t len, bool upperCase) {
    static const char U[] = "0123456789ABCDEF", L[] = "0123456789abcdef";
    const char* digits = upperCase ? U : L;
    const auto* p = static_cast<const unsigned char*>(data);
    std::string r;
    r.reserve(len * 2);
    for (size_t i = 0; i < len; ++i) {
        r += digits[p[i] >> 4];
        r += digits[p[i] & 15];
    }
    return TCString(std::move(r));
}

TCString TCString::base64Of(const void* data, size_t len) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::string r;
    r.reserve((len + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < len; i += 3) {
        const uint32_t v = (uint32_t(p[i]) << 16) | (uint32_t(p[i + 1]) << 8) | p[i + 2];
        r += kB64[v >> 18];
        r += kB64[(v >> 12) & 63];
        r += kB64[(v >> 6) & 63];
        r += kB64[v & 63];
    }
    if (i + 1 == len) {
        const uint32_t v = uint32_t(p[i]) << 16;
        r += kB64[v >> 18];
        r += kB64[(v >> 12) & 63];
        r += "==";
    } else if (i + 2 == len) {
        const uint32_t v = (uint32_t(p[i]) << 16) | (uint32_t(p[i + 1]) << 8);
        r += kB64[v >> 18];
        r += kB64[(v >> 12) & 63];
        r += kB64[(v >> 6) & 63];
        r += '=';
    }
    return TCString(std::move(r));
}

TCString TCString::toBase64() const { return base64Of(s_.data(), s_.size()); }

bool TCString::fromBase64(std::string& out) const {
    std::string r;
    uint32_t acc = 0;
    int bits = 0;
    size_t pad = 0;
    for (char c : s_) {
        if (isSpace(c)) continue;
        if (c == '=') {
            ++pad;
            continue;
        }
        if (pad) return false;  // data after padding
        const int v = b64Value(c);
        if (v < 0) return false;
        acc = (acc << 6) | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            r += static_cast<char>((acc >> bits) & 0xFF);
        }
    }
    if (pad > 2 || bits >= 6) return false;
    out = std::move(r);
    return true;
}

bool TCString::fromBase64(void* buf, size_t* size) const {
    std::string r;
    if (!size || !fromBase64(r)) return false;
    if (r.size() > *size) return false;
    if (!r.empty()) std::memcpy(buf, r.data(), r.size());
    *size = r.size();
    return true;
}

std::u16string TCString::toUtf16() const { return zrx_utf8::toUtf16(s_); }

TCString TCString::fromUtf16(std::u16string_view w) {
    std::string r;
    r.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        char32_t cp = w[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (w[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        zrx_utf8::append(r, cp);
    }
    return TCString(std::move(r));
}

int ch2wc(const char* text, char16_t* buf, int bufSize) {
    if (!buf || bufSize <= 0) return 0;
    const std::u16string w = TCString(text).toUtf16();
    size_t n = std::min(w.size(), static_cast<size_t>(bufSize - 1));
    if (n > 0 && n < w.size() && w[n - 1] >= 0xD800 && w[n - 1] <= 0xDBFF) --n;  // no half pair
    std::copy(w.begin(), w.begin() + static_cast<long>(n), buf);
    buf[n] = 0;
    return static_cast<int>(n);
}

TCString wc2ch(const char16_t* text, int len) {
    if (!text) return TCString();
    if (len < 0) {
        len = 0;
        while (text[len]) ++len;
    }
    return TCString::fromUtf16(std::u16string_view(text, static_cast<size_t>(len)));
}

std::ostream& operator<<(std::ostream& os, const TCString& s) { return os << '"' << s.str() << '"'; }
