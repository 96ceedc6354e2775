#include "html/parser/CharReferences.h"

#include "html/text/Buffer.h"
#include "html/text/HtmlSymbols.h"

namespace {

// Past the last code point: every larger number reads as this one.
constexpr int64_t NumberCap = 0x110000;
// The longest entity name read.
constexpr size_t MaxEntityName = 11;
constexpr char16_t Replacement = 0xFFFD;

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

int hexValue(char16_t c) {
    if (isDigit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

const TEntity* findEntity(std::u16string_view name) { return Entities().Lookup(name); }

class StringSource : public ThtCharSource {
public:
    explicit StringSource(std::u16string_view Text) : FText(Text) {}
    char16_t Current() const override { return FPos < FText.size() ? FText[FPos] : 0; }
    void Advance() override {
        if (FPos < FText.size()) ++FPos;
    }

private:
    std::u16string_view FText;
    size_t FPos = 0;
};

}  // namespace

std::u16string CharCodeToText(int64_t Code, bool Numeric, int CodePage) {
    if (Code == 9) return u" ";
    if (Code < 32) return u"?";
    if (Numeric && Code >= 127 && Code <= 159) {
        const uint8_t byte = uint8_t(Code);
        const std::u16string s = TBuffer::Convert(&byte, 1, CodePage);
        // Converters answer U+FFFD, U+FFFF or nothing for a byte they cannot decode alone.
        if (s.size() == 1 && s[0] != Replacement && s[0] != 0xFFFF) return s;
        return std::u16string(1, char16_t(Code));
    }
    if (Code > 0xFFFF || (Code >= 0xD800 && Code <= 0xDFFF)) return std::u16string(1, Replacement);
    return std::u16string(1, char16_t(Code));
}

std::u16string ReadCharReference(ThtCharSource& Source, int CodePage) {
    std::u16string literal(1, u'&');
    Source.Advance();
    if (Source.Current() == u'#') {
        literal += u'#';
        Source.Advance();
        const bool hex = Source.Current() == u'x' || Source.Current() == u'X';
        if (hex) {
            literal += Source.Current();
            Source.Advance();
        }
        int64_t code = 0;
        bool any = false;
        for (;;) {
            const char16_t c = Source.Current();
            const int d = hex ? hexValue(c) : (isDigit(c) ? c - u'0' : -1);
            if (d < 0) break;
            code = code * (hex ? 16 : 10) + d;
            if (code > NumberCap) code = NumberCap;
            any = true;
            literal += c;
            Source.Advance();
        }
        if (!any) return literal;
        if (Source.Current() == u';') Source.Advance();
        return CharCodeToText(code, true, CodePage);
    }

    std::u16string name;
    while (name.size() < MaxEntityName && (isLetter(Source.Current()) || isDigit(Source.Current()))) {
        name += Source.Current();
        Source.Advance();
    }
    literal += name;
    if (const TEntity* e = findEntity(name)) {
        if (Source.Current() == u';') {
            Source.Advance();
            return CharCodeToText(e->Value, false, CodePage);
        }
        // Without ";" only the Latin-1 names decode: "&copy" yes, "&euro" stays text.
        return e->Value <= 255 ? CharCodeToText(e->Value, false, CodePage) : literal;
    }
    for (size_t n = name.size() - (name.empty() ? 0 : 1); n >= 2; --n)
        if (const TEntity* e = findEntity(std::u16string_view(name).substr(0, n)))
            return CharCodeToText(e->Value, false, CodePage) + name.substr(n);
    return literal;
}

std::u16string DecodeCharReferences(std::u16string_view Text, int CodePage) {
    StringSource source(Text);
    std::u16string out;
    out.reserve(Text.size());
    while (char16_t c = source.Current()) {
        if (c == u'&') {
            out += ReadCharReference(source, CodePage);
        } else {
            out += c;
            source.Advance();
        }
    }
    return out;
}
