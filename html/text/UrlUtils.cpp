#include "html/text/UrlUtils.h"

#include <cstdint>
#include <optional>

#include "html/text/HtmlText.h"

using namespace htmltext;

namespace {

bool isSchemeChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' ||
           c == u'.';
}

// 0-based: the scheme's ':' index, or npos.
size_t scanUrlScheme(std::u16string_view S) {
    size_t i = 0;
    while (i < S.size() && isSchemeChar(S[i])) ++i;
    return (i >= 2 && i < S.size() && S[i] == u':') ? i : std::u16string_view::npos;
}

int hexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// The byte of "%hh" at i; nullopt when there is no clean escape.
std::optional<uint8_t> decodeEscape(std::u16string_view s, size_t i) {
    if (i + 3 > s.size() || s[i] != u'%') return std::nullopt;
    const int hi = hexDigitValue(s[i + 1]), lo = hexDigitValue(s[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    return uint8_t(hi * 16 + lo);
}

// One escaped UTF-8 sequence at i: its character and the characters it takes.
// Strict: overlong forms, surrogates, stray continuation bytes and bad leads
// fail; a character above U+FFFF becomes U+FFFD, as the component keeps no
// surrogate pairs.
bool decodeEscapedUtf8(std::u16string_view s, size_t i, char16_t& out, size_t& taken) {
    const auto b0 = decodeEscape(s, i);
    if (!b0) return false;
    const uint8_t b = *b0;
    // "%00" stays as written: a NUL in a name would end it early for the
    // file system while the rest still decides how the name is typed.
    if (b == 0) return false;
    if (b < 0x80) {
        out = b;
        taken = 3;
        return true;
    }
    int extra;
    uint32_t v, min;
    if (b >= 0xC2 && b <= 0xDF) extra = 1, v = b & 0x1F, min = 0x80;
    else if (b >= 0xE0 && b <= 0xEF) extra = 2, v = b & 0x0F, min = 0x800;
    else if (b >= 0xF0 && b <= 0xF4) extra = 3, v = b & 0x07, min = 0x10000;
    else return false;
    for (int k = 1; k <= extra; ++k) {
        const auto c = decodeEscape(s, i + 3 * size_t(k));
        if (!c || (*c & 0xC0) != 0x80) return false;
        v = v * 64 + (*c & 0x3F);
    }
    if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return false;
    out = v > 0xFFFF ? char16_t(0xFFFD) : char16_t(v);
    taken = 3 * size_t(extra + 1);
    return true;
}

// Dot segments, always the first "/../" then the first "/./", each time
// from the start: built in one pass, since what is written out before an
// occurrence never holds one and an edit can only make one at its own end.
// A "/../" past the host (H characters) takes the segment before it; one
// within the host loses its "../"; one with no segment before it ends the
// "/../" work, and the rest stays as written.
std::u16string RemoveDotSegments(const std::u16string& R, size_t H) {
    std::u16string out;
    out.reserve(R.size());
    size_t i = 0;
    while (i < R.size()) {
        out += R[i++];
        if (out.size() < 4 || out.compare(out.size() - 4, 4, u"/../") != 0) continue;
        const size_t b = out.size() - 4;
        if (b + 1 > H) {
            size_t j = b == 0 ? 0 : b - 1;
            while (j > 0 && out[j] != u'/') --j;
            if (b == 0 || out[j] != u'/') {  // no segment before it
                out.append(R, i, std::u16string::npos);
                break;
            }
            out.erase(j + 1);
        } else {
            out.erase(b + 1);
        }
    }
    std::u16string r;
    r.reserve(out.size());
    for (char16_t c : out) {
        r += c;
        if (r.size() >= 3 && r.compare(r.size() - 3, 3, u"/./") == 0) r.erase(r.size() - 2);
    }
    return r;
}

}  // namespace

std::u16string DocumentPathText(std::u16string_view S) {
    std::u16string t(S);
    for (auto& c : t)
        if (c == u'\\') c = u'/';
    return t;
}

bool IsUrlWithScheme(std::u16string_view S) { return scanUrlScheme(S) != std::u16string_view::npos; }

bool IsAbsoluteDosPath(std::u16string_view S) {
    const std::u16string p = DocumentPathText(S);
    return !p.empty() && p[0] == u'/';
}

std::u16string GetUrlProtocol(std::u16string_view Url) {
    std::u16string_view s = Url.substr(0, Url.find(u'?'));
    if (s.empty()) return {};
    const size_t sep = s.find(u"://");
    if (sep != std::u16string_view::npos) return lower(s.substr(0, sep));
    if (s[0] == u'/') return u"http";
    const std::u16string low = lower(s.substr(0, 7));
    if (startsWith(low, u"http:")) return u"http";
    if (startsWith(low, u"mailto:")) return u"mailto";
    if (startsWith(low, u"data:")) return u"data";
    const size_t colon = scanUrlScheme(s);
    if (colon != std::u16string_view::npos) return lower(s.substr(0, colon));
    return {};
}

std::u16string UrlBaseDirectory(std::u16string_view Url) {
    std::u16string s = trim(Url);
    const size_t q = s.find(u'?');
    const size_t e = q == std::u16string::npos ? s.size() : q;  // examined from here down
    const size_t dbl = s.find(u"//");
    const size_t low = (dbl != std::u16string::npos && dbl <= e) ? dbl + 2 : 0;
    for (size_t i = e + 1; i-- > low;) {
        if (i < s.size() && s[i] == u'/') return s.substr(0, i + 1);
    }
    return s + u"/";
}

std::u16string CombineUrls(std::u16string_view BaseIn, std::u16string_view RelIn) {
    std::u16string Base = trim(BaseIn);
    const std::u16string P = GetUrlProtocol(Base);
    // H: the number of characters up to and including the '/' that ends the host.
    size_t H = 0;
    bool hostRunsToEnd = false;
    if (startsWith(Base, u"file:///")) {
        // Local paths have no drive here: "/x" is rooted at the file system's root.
        H = 8;
    } else if (const size_t k = Base.find(u"://"); k != std::u16string::npos) {
        const size_t slash = Base.find(u'/', k + 3);
        if (slash == std::u16string::npos) hostRunsToEnd = true;  // "http://h": the host is all there is
        else H = slash + 1;
    } else {
        const size_t slash = Base.find(u'/');
        H = slash == std::u16string::npos ? 0 : slash + 1;
    }
    if (H == 0 || hostRunsToEnd) {
        Base += u'/';
        H = Base.size();
    } else if (!endsWith(Base, u"/")) {
        Base += u'/';
    }

    const std::u16string Rel = trim(RelIn);
    std::u16string R;
    if (Rel.empty() || Rel[0] != u'/') R = Base + Rel;
    else if (startsWith(Rel, u"//")) R = (P == u"file" || P.empty() ? std::u16string(u"http") : P) + u":" + Rel;
    else R = Base.substr(0, H) + Rel.substr(1);

    return RemoveDotSegments(R, H);
}

std::u16string DecodeUrlEscapes(std::u16string_view S) {
    // Written out as it is read: a decoded character is never read again.
    std::u16string out;
    out.reserve(S.size());
    for (size_t i = 0; i < S.size();) {
        char16_t c;
        size_t taken;
        if (S[i] == u'%' && decodeEscapedUtf8(S, i, c, taken)) {
            out += c;
            i += taken;
        } else {
            out += S[i++];
        }
    }
    return out;
}

std::u16string UrlToDosPath(std::u16string_view Url) {
    std::u16string s = DocumentPathText(DecodeUrlEscapes(Url));
    if (s.find(u'/') == std::u16string::npos) return s;
    const size_t p = lower(s).find(u"file:/");
    if (p != std::u16string::npos) {
        // file:///abs/path keeps its root '/'; file://host/x names host/x;
        // file:/abs keeps its '/'.
        const bool twoSlashes = p + 6 < s.size() && s[p + 6] == u'/';
        s.erase(p, twoSlashes ? 7 : 5);
    }
    for (auto& c : s)
        if (c == u'|') c = u':';
    return s;
}

std::u16string UrlToDosPathWithBase(std::u16string_view Url, std::u16string_view Base) {
    // A root-relative path is complete here: there is no drive to take from the base.
    (void)Base;
    return trim(UrlToDosPath(Url));
}

std::u16string CombineDosPaths(std::u16string_view DirIn, std::u16string_view NameIn) {
    const std::u16string Dir = DocumentPathText(DirIn), Name = DocumentPathText(NameIn);
    const bool dirEnds = endsWith(Dir, u"/"), nameBegins = startsWith(Name, u"/");
    if (dirEnds && nameBegins) return Dir.substr(0, Dir.size() - 1) + Name;
    if (dirEnds || nameBegins) return Dir + Name;
    return Dir + u"/" + Name;
}

void SplitUrlDestination(std::u16string_view S, std::u16string& Url, std::u16string& Dest) {
    const size_t hash = S.find(u'#');
    Url = std::u16string(S.substr(0, hash));
    Dest = hash == std::u16string_view::npos ? std::u16string() : std::u16string(S.substr(hash));
}
