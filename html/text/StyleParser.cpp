#include "html/text/StyleParser.h"

#include <algorithm>

#include "html/text/UrlUtils.h"
#include "html/text/HtmlColors.h"
#include "html/text/HtmlText.h"
#include "html/text/Properties.h"
#include "html/text/StyleList.h"
#include "html/text/StyleTypes.h"

using namespace htmltext;

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isQuote(char16_t c) { return c == u'\'' || c == u'"'; }

const char16_t* const BorderStyleWords[] = {u"none",   u"solid", u"dashed", u"dotted", u"double",
                                            u"groove", u"inset", u"outset", u"ridge"};
const char16_t* const FontWords[] = {u"italic",     u"oblique", u"normal",  u"bolder",   u"lighter", u"bold",
                                     u"small-caps", u"larger",  u"smaller", u"xx-small", u"x-small", u"small",
                                     u"medium",     u"large",   u"x-large", u"xx-large"};

int wordIndex(const char16_t* const* words, size_t n, std::u16string_view w) {
    for (size_t i = 0; i < n; ++i)
        if (w == words[i]) return int(i);
    return -1;
}

// The group stack of values: quotes close themselves, brackets their partner.
struct GroupStack {
    std::u16string expect;
    bool open() const { return !expect.empty(); }
    // Feeds one character; Brackets also counts "[" and "{".
    void feed(char16_t c, bool Brackets) {
        if (isQuote(c)) {
            if (open() && expect.back() == c) expect.pop_back();
            else expect.push_back(c);
        } else if (c == u'(') {
            expect.push_back(u')');
        } else if (Brackets && c == u'[') {
            expect.push_back(u']');
        } else if (Brackets && c == u'{') {
            expect.push_back(u'}');
        } else if ((c == u')' || (Brackets && c == u']')) && open() && expect.back() == c) {
            expect.pop_back();
        }
    }
};

constexpr MediaKindSet AcceptedMedia = mediaBit(MediaKind::all) | mediaBit(MediaKind::screen);

}  // namespace

// ---- value helpers -------------------------------------------------------

std::u16string LowerCaseOutsideQuotes(std::u16string_view S) {
    if (S.find_first_of(u"'\"(") == std::u16string_view::npos) return lower(S);
    std::u16string out;
    GroupStack g;
    for (char16_t c : S) {
        if (!g.open() && c >= u'A' && c <= u'Z') c = char16_t(c + 32);
        else g.feed(c, false);
        out += c;
    }
    return out;
}

std::u16string StripQuotes(std::u16string_view S) {
    if (S.size() >= 2 && isQuote(S[0]) && S.back() == S[0]) return std::u16string(S.substr(1, S.size() - 2));
    return std::u16string(S);
}

std::vector<std::u16string> SplitValueWords(std::u16string_view Text, int MaxIndex) {
    // Runs of blanks become one blank and ", " becomes ",", in one pass.
    std::u16string t;
    for (char16_t c : trim(Text)) {
        if (c == u' ' && !t.empty() && (t.back() == u' ' || t.back() == u',')) continue;
        t += c;
    }
    std::vector<std::u16string> words;
    while (!t.empty() && int(words.size()) <= MaxIndex) {
        size_t i = 0;
        char16_t quote = 0;
        for (; i < t.size(); ++i) {
            if (quote) {
                if (t[i] == quote) quote = 0;
            } else if (isQuote(t[i])) {
                quote = t[i];
            } else if (t[i] == u' ') {
                break;
            }
        }
        const std::u16string word = t.substr(0, i);
        t.erase(0, std::min(t.size(), i + 1));
        const size_t slash = word.find(u'/', 1);
        if (slash == std::u16string::npos) {
            words.push_back(word);
        } else {
            words.push_back(word.substr(0, slash));
            if (int(words.size()) <= MaxIndex) words.push_back(word.substr(slash));
        }
    }
    return words;
}

std::vector<std::u16string> ExtractFunctionValues(std::u16string& Text, int MaxIndex) {
    static const char16_t* const names[] = {u"url(", u"rgb(", u"rgba(", u"hsla(", u"hsl("};
    std::vector<std::u16string> parts;
    while (int(parts.size()) <= MaxIndex) {
        size_t p = std::u16string::npos;
        for (const char16_t* n : names)
            if ((p = Text.find(n)) != std::u16string::npos) break;
        const size_t close = Text.find(u')');
        if (p == std::u16string::npos || close == std::u16string::npos || close < p) break;
        parts.push_back(Text.substr(p, close - p + 1));
        Text.erase(p, close - p + 1);
    }
    return parts;
}

// ---- the reader ----------------------------------------------------------

void THtmlStyleParser::ReadNextChar() {
    LCh = Doc->NextChar();
    if (LCh == u'\t' || LCh == u'\n' || LCh == u'\f' || LCh == u'\r') {
        LCh = u' ';
    } else if (LCh == u'/' && Doc->PeekChar() == u'*') {
        // The star of the opening may also close it ("/*/"). A comment still
        // open at the end closes there, as CSS does.
        char16_t prev = Doc->NextChar();
        for (char16_t c = Doc->NextChar();; prev = c, c = Doc->NextChar()) {
            if (c == 0) {
                LCh = 0;
                return;
            }
            if (c == u'/' && prev == u'*') break;
        }
        LCh = u' ';
    }
}

void THtmlStyleParser::SkipSpaces() {
    while (LCh == u' ') ReadNextChar();
}

bool THtmlStyleParser::ReadIdentifier(std::u16string& Identifier) {
    Identifier.clear();
    if (LCh == u'-') {
        const char16_t next = Doc->PeekChar();
        if (next == u'-' || isDigit(next)) return false;
    } else if (isDigit(LCh)) {
        return false;
    }
    while (LCh == u'-' || LCh == u'_' || isDigit(LCh) || isAsciiLetter(LCh) || LCh >= 160) {
        Identifier += LCh;
        ReadNextChar();
    }
    return !Identifier.empty();
}

bool THtmlStyleParser::ReadQuotedString(std::u16string& S) {
    if (!isQuote(LCh)) return false;
    const char16_t q = LCh;
    S.assign(1, q);
    ReadNextChar();
    for (;;) {
        if (LCh == 0) return false;
        if (LCh == u'\\') {
            S += LCh;
            ReadNextChar();
            if (LCh == 0) return false;
            S += LCh;
            ReadNextChar();
            continue;
        }
        S += LCh;
        const bool closed = LCh == q;
        ReadNextChar();
        if (closed) return true;
    }
}

std::u16string THtmlStyleParser::ResolveUrlValue(const std::u16string& Text) const {
    std::u16string u = UrlFromValue(Text);
    if (LinkPath.find(u"://") == std::u16string::npos) {
        u = UrlToDosPath(u);
        if (!IsAbsoluteDosPath(u)) u = CombineDosPaths(LinkPath, u);
    } else if (!IsUrlWithScheme(u)) {
        u = CombineUrls(LinkPath, u);
    }
    return u"url(\"" + u + u"\")";
}

void THtmlStyleParser::ProcessDeclaration(const std::u16string& Name, const std::u16string& Value) {
    const std::u16string V1 = LowerCaseOutsideQuotes(trim(Value));
    std::u16string V2 = StripQuotes(V1);
    const std::u16string name = lower(Name);
    for (int i = MarginX; i < PropIndexCount; ++i)
        if (name == PropWords(ThtPropertyIndex(i))) {
            ExpandShorthand(ThtPropertyIndex(i), V1, V2);
            return;
        }
    if (name == u"font-family") {
        AddProperty(name, lower(V1));
        return;
    }
    if (!LinkPath.empty() && V2.find(u"url(") != std::u16string::npos) V2 = ResolveUrlValue(V2);
    AddProperty(name, V2);
}

// ---- shorthands ------------------------------------------------------------

void THtmlStyleParser::ExpandShorthand(ThtPropertyIndex Index, const std::u16string& V1, const std::u16string& V2) {
    switch (Index) {
    case MarginX: ExpandSides(u"margin-", u"", V1); break;
    case PaddingX: ExpandSides(u"padding-", u"", V1); break;
    case BorderWidthX: ExpandSides(u"border-", u"-width", V1); break;
    case BorderColorX: ExpandSides(u"border-", u"-color", V1); break;
    case BorderStyleX: ExpandSides(u"border-", u"-style", V1); break;
    case BorderX:
    case BorderTX:
    case BorderRX:
    case BorderBX:
    case BorderLX: ExpandBorder(Index, V1); break;
    case FontX: ExpandFont(V2); break;
    case BackgroundX: ExpandBackground(V1); break;
    case ListStyleX: ExpandListStyle(V1); break;
    case BorderSpacing: {
        const auto w = SplitValueWords(V1, 1);
        if (w.empty()) break;
        AddProperty(u"thv-border-spacing-horz", w[0]);
        AddProperty(u"thv-border-spacing-vert", w.size() > 1 ? w[1] : w[0]);
        break;
    }
    default: break;
    }
}

void THtmlStyleParser::ExpandSides(const std::u16string& Prefix, const std::u16string& Suffix,
                                   const std::u16string& V1) {
    if (V1.empty()) return;
    const auto w = SplitValueWords(V1, 3);
    if (w.empty()) return;
    std::u16string t = w[0], r = w[0], b = w[0], l = w[0];
    if (w.size() >= 2) r = l = w[1];
    if (w.size() >= 3) b = w[2];
    if (w.size() >= 4) l = w[3];
    AddProperty(Prefix + u"top" + Suffix, t);
    AddProperty(Prefix + u"right" + Suffix, r);
    AddProperty(Prefix + u"bottom" + Suffix, b);
    AddProperty(Prefix + u"left" + Suffix, l);
}

void THtmlStyleParser::ExpandBorder(ThtPropertyIndex Index, const std::u16string& V1) {
    std::u16string width = u"medium", style = u"none", color;
    std::u16string rest = V1;
    TColor c;
    for (const auto& f : ExtractFunctionValues(rest, 6))
        if (TryTextToColor(f, false, c)) color = f;
    for (const auto& w : SplitValueWords(rest, 6)) {
        if (TryTextToColor(w, true, c)) color = w;
        else if (wordIndex(BorderStyleWords, std::size(BorderStyleWords), w) >= 0) style = w;
        else width = w;
    }
    static const char16_t* const sides[] = {u"top", u"right", u"bottom", u"left"};
    for (int s = 0; s < 4; ++s) {
        if (Index != BorderX && Index != BorderTX + s) continue;
        const std::u16string side = std::u16string(u"border-") + sides[s];
        if (!color.empty()) AddProperty(side + u"-color", color);
        AddProperty(side + u"-width", width);
        AddProperty(side + u"-style", style);
    }
}

void THtmlStyleParser::ExpandFont(const std::u16string& V2) {
    std::u16string style = u"normal", variant = u"normal", weight = u"normal";
    std::u16string size = FUseQuirksMode ? u"small" : u"medium", lineHeight = u"normal", family;
    for (const auto& w : SplitValueWords(V2, 6)) {
        if (w.empty()) continue;
        if (w[0] == u'/') {
            lineHeight = w.substr(1);
        } else if (isDigit(w[0])) {
            const size_t slash = w.find(u'/', 1);
            if (slash != std::u16string::npos) {
                size = w.substr(0, slash);
                lineHeight = w.substr(slash + 1);
            } else {
                const auto n = toInt(w);
                if (!n || *n < 100) size = w;
            }
        } else if (const int k = wordIndex(FontWords, std::size(FontWords), w); k >= 0) {
            if (k <= 1) style = w;
            else if (k <= 5) weight = w;
            else if (k == 6) variant = w;
            else size = w;
        } else {
            family = w;
        }
    }
    if (family.empty()) return;
    AddProperty(u"font-style", style);
    AddProperty(u"font-variant", variant);
    AddProperty(u"font-weight", weight);
    AddProperty(u"font-size", size);
    AddProperty(u"line-height", lineHeight);
    AddProperty(u"font-family", family);
}

void THtmlStyleParser::ExpandBackground(const std::u16string& V1) {
    std::u16string color = u"transparent", image = u"none", repeat = u"repeat", attachment = u"scroll";
    std::u16string position = u"0% 0%";
    std::u16string rest = V1;
    for (const auto& f : ExtractFunctionValues(rest, 6)) {
        if (startsWith(f, u"url(")) image = LinkPath.empty() ? f : ResolveUrlValue(f);
        else color = f;
    }
    std::vector<std::u16string> words;
    TColor c;
    for (const auto& w : SplitValueWords(rest, 6)) {
        if (TryTextToColor(w, true, c)) color = w;
        else if (w == u"none") image = w;
        else words.push_back(w);
    }
    AddProperty(u"background-color", color);
    AddProperty(u"background-image", image);
    auto take = [&](auto pred, std::u16string& into) {
        for (auto it = words.begin(); it != words.end(); ++it)
            if (pred(*it)) {
                into = *it;
                words.erase(it);
                return;
            }
    };
    take([](const std::u16string& w) { return w.find(u"repeat") != std::u16string::npos; }, repeat);
    AddProperty(u"background-repeat", repeat);
    take([](const std::u16string& w) { return w == u"fixed" || w == u"scroll"; }, attachment);
    AddProperty(u"background-attachment", attachment);
    if (!words.empty()) {
        position.clear();
        for (size_t i = words.size() >= 2 ? words.size() - 2 : 0; i < words.size(); ++i) position += words[i] + u" ";
    }
    AddProperty(u"background-position", position);
}

void THtmlStyleParser::ExpandListStyle(const std::u16string& V1) {
    std::u16string type = u"disc", position = FUseQuirksMode ? u"inside" : u"outside", image = u"none";
    std::vector<std::u16string> words = SplitValueWords(V1, 6);
    for (auto it = words.begin(); it != words.end();) {
        if (*it == u"none") {
            type = *it;
            it = words.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& w : words) {
        if (w.find(u"url(") != std::u16string::npos) image = LinkPath.empty() ? w : ResolveUrlValue(w);
        else if (w == u"inside" || w == u"outside") position = w;
        else if (!w.empty()) type = w;
    }
    AddProperty(u"list-style-type", type);
    AddProperty(u"list-style-position", position);
    AddProperty(u"list-style-image", image);
}

// ---- style sheets ----------------------------------------------------------

void THtmlStyleTagParser::AddProperty(const std::u16string& Name, const std::u16string& Value) {
    for (const auto& key : Selectors) Styles->AddModifyProp(key, Name, Value);
}

void THtmlStyleTagParser::DoStyle(TStyleList& AStyles, char16_t& C, TBuffer& ADoc, const std::u16string& APath,
                                  bool FromLink) {
    Styles = &AStyles;
    Doc = &ADoc;
    LinkPath = APath;
    ReadNextChar();
    while (LCh == u' ' || LCh == u'!' || LCh == u'-' || LCh == u'<' || LCh == u'>') ReadNextChar();
    for (;;) {
        switch (LCh) {
        case 0:
            C = 0;
            Doc = nullptr;
            return;
        case u' ':
        case u'-':
        case u'>': ReadNextChar(); break;
        case u'<': {
            const int pos = Doc->Position();
            ReadNextChar();
            if (LCh == u'!' || LCh == u'-') {
                // An HTML comment: to a '>' right after a '-'.
                bool dash = false;
                for (;;) {
                    ReadNextChar();
                    if (LCh == 0) break;
                    if (LCh == u'>' && dash) {
                        ReadNextChar();
                        break;
                    }
                    dash = LCh == u'-';
                }
            } else if (!FromLink) {
                Doc->SetPosition(pos);
                LCh = u'<';
                C = u'<';
                Doc = nullptr;
                return;
            }
            break;
        }
        case u'@': ReadAtRule(); break;
        default: ReadRule(); break;
        }
    }
}

void THtmlStyleTagParser::ReadRule() {
    Selectors.clear();
    ReadSelectors();
    ReadDeclarationBlock();
}

uint16_t THtmlStyleTagParser::ReadMediaList() {
    MediaKindSet set = 0;
    bool any = false;
    SkipSpaces();
    std::u16string id;
    while (ReadIdentifier(id)) {
        any = true;
        MediaKind m;
        if (ParseMediaKeyword(id, m)) set |= mediaBit(m);
        SkipSpaces();
        if (LCh != u',') break;
        ReadNextChar();
        SkipSpaces();
    }
    return any ? set : mediaBit(MediaKind::all);
}

void THtmlStyleTagParser::SkipBlock() {
    int depth = 0;
    while (LCh != 0 && LCh != u'<') {
        if (LCh == u'{') {
            ++depth;
        } else if (LCh == u'}' && depth > 0 && --depth == 0) {
            ReadNextChar();
            return;
        }
        ReadNextChar();
    }
}

void THtmlStyleTagParser::ReadAtRule() {
    ReadNextChar();
    std::u16string name;
    ReadIdentifier(name);
    name = lower(name);
    if (name == u"media") {
        const MediaKindSet media = ReadMediaList();
        if (LCh == u';') {
            ReadNextChar();
        } else if (LCh != u'{' || !(media & AcceptedMedia) || AtRuleDepth >= MaxAtRuleDepth) {
            SkipBlock();
        } else {
            ReadNextChar();
            struct Nesting {
                int& depth;
                explicit Nesting(int& d) : depth(++d) {}
                ~Nesting() { --depth; }
            } nesting(AtRuleDepth);
            for (;;) {
                SkipSpaces();
                if (LCh == u'}') {
                    ReadNextChar();
                    break;
                }
                if (LCh == 0 || LCh == u'<') break;
                if (LCh == u'@') ReadAtRule();
                else ReadRule();
            }
        }
    } else if (name == u"import") {
        SkipSpaces();
        std::u16string target;
        bool have = false;
        if (isQuote(LCh)) {
            have = ReadQuotedString(target);  // either kind of quotes: the rule ends at its ';'
        } else if (ReadIdentifier(target) && lower(target) == u"url") {
            SkipSpaces();
            if (LCh == u'(') {
                ReadNextChar();
                SkipSpaces();
                if (isQuote(LCh)) {
                    have = ReadQuotedString(target);
                } else {
                    while (LCh != 0 && LCh != u')' && LCh != u';' && LCh != u'<') ReadNextChar();
                    have = true;
                }
                SkipSpaces();
                if (have && LCh == u')') ReadNextChar();
                else have = false;
            }
        }
        if (have) ReadMediaList();  // nothing is loaded
        SkipSpaces();
        if (LCh == u';') ReadNextChar();
        else SkipBlock();
    } else {
        // A statement ("@charset ...;") ends at its ';', so the next rule is
        // kept; a block lands under a key no element matches.
        while (LCh != 0 && LCh != u';' && LCh != u'{' && LCh != u'<') ReadNextChar();
        if (LCh == u';') ReadNextChar();
        else ReadRule();
    }
}

std::u16string THtmlStyleTagParser::BuildSelectorKey(const std::u16string& Selector, bool Reorder) {
    // A child '>' joins the part before it.
    std::u16string s;
    for (char16_t c : Selector) {
        if (c == u'>') {
            while (!s.empty() && s.back() == u' ') s.pop_back();
            s += u"> ";
        } else {
            s += c;
        }
    }
    std::vector<std::u16string> parts;
    for (size_t i = 0; i < s.size();) {
        while (i < s.size() && s[i] == u' ') ++i;
        size_t e = i;
        while (e < s.size() && s[e] != u' ') ++e;
        if (e > i) parts.push_back(s.substr(i, e - i));
        i = e;
    }
    while (!parts.empty() && parts.front() == u">") parts.erase(parts.begin());
    if (!parts.empty() && !parts.front().empty() && parts.front()[0] == u'>') parts.front().erase(0, 1);
    if (!parts.empty() && parts.back().back() == u'>') {
        parts.back().pop_back();
        if (parts.back().empty()) parts.pop_back();
    }
    if (Reorder)
        for (auto& p : parts) {
            const bool child = !p.empty() && p.back() == u'>';
            if (child) p.pop_back();
            p = SortSelectorItems(p);
            if (child) p += u'>';
        }
    if (parts.size() <= 1) return parts.empty() ? std::u16string() : parts[0];
    std::u16string key = parts.back() + u" " + fromInt(int64_t(parts.size() - 1)) + Styles->GetSeqNo();
    for (size_t i = parts.size() - 1; i-- > 0;) key += parts[i] + u" ";
    return key;
}

void THtmlStyleTagParser::ReadSelectors() {
    for (;;) {
        SkipSpaces();
        std::u16string sel;
        bool unsupported = false, reorder = false;
        int marks = 0;
        for (;;) {
            const char16_t c = LCh;
            if (c == u' ') {
                sel += c;
                marks = 0;
            } else if (c == u'.' || c == u'#' || c == u':') {
                sel += c;
                if (++marks >= 2) reorder = true;
            } else if (c == u'-' || c == u'_' || c == u'>' || isDigit(c) || isAsciiLetter(c) || c >= 160) {
                sel += c;
            } else if (c == u'*') {
                sel += u' ';
                ReadNextChar();
                if (LCh == u'/') ReadNextChar();
                continue;
            } else if (c == u'+') {
                sel += c;
                unsupported = true;
            } else {
                break;
            }
            ReadNextChar();
        }
        if (!unsupported) Selectors.push_back(BuildSelectorKey(lower(trim(sel)), reorder));
        if (LCh != u',') break;
        ReadNextChar();
    }
    while (LCh != 0 && LCh != u'{' && LCh != u'<') ReadNextChar();
}

void THtmlStyleTagParser::ReadDeclarationBlock() {
    if (LCh != u'{') return;
    ReadNextChar();
    while (LCh != 0 && LCh != u'<' && LCh != u'}') {
        SkipSpaces();
        std::u16string name;
        ReadIdentifier(name);
        SkipSpaces();
        GroupStack g;
        if (LCh == u':' || LCh == u'=') {
            ReadNextChar();
            SkipSpaces();
            std::u16string value;
            while (LCh != 0 && LCh != u'<' && LCh != u'}' && !(LCh == u';' && !g.open())) {
                g.feed(LCh, false);
                value += LCh;
                ReadNextChar();
            }
            if (endsWith(lower(value), u"!important")) value = trim(value.substr(0, value.size() - 10));
            ProcessDeclaration(name, value);
        }
        // To the end of the declaration, with the groups still open.
        for (;;) {
            if (LCh == 0) break;
            if (!g.open() && LCh == u';') {
                ReadNextChar();
                break;
            }
            if (!g.open() && LCh == u'<') break;
            if (LCh == u'}') {
                if (g.open() && g.expect.back() == u'}') g.expect.pop_back();
                if (!g.open()) break;
                ReadNextChar();
                continue;
            }
            g.feed(LCh, true);
            ReadNextChar();
        }
    }
    if (LCh == u'}') ReadNextChar();
}

// ---- style attributes --------------------------------------------------------

void THtmlStyleAttrParser::AddProperty(const std::u16string& Name, const std::u16string& Value) {
    Propty->AddPropertyByName(Name, Value);
}

void THtmlStyleAttrParser::ParseProperties(TBuffer& ADoc, TProperties& APropty) {
    Doc = &ADoc;
    Propty = &APropty;
    auto nameChar = [](char16_t c) { return c == u'-' || isDigit(c) || isAsciiLetter(c); };
    ReadNextChar();
    while (LCh != 0) {
        SkipSpaces();
        std::u16string name;
        while (nameChar(LCh)) {
            name += LCh;
            ReadNextChar();
        }
        SkipSpaces();
        if (LCh == u':' || LCh == u'=') {
            ReadNextChar();
            std::u16string value;
            while (LCh != 0 && LCh != u';') {
                value += LCh;
                ReadNextChar();
            }
            ProcessDeclaration(name, value);
        }
        SkipSpaces();
        if (LCh == u';') ReadNextChar();
        while (LCh != 0 && !nameChar(LCh)) ReadNextChar();
    }
    Doc = nullptr;
    Propty = nullptr;
}

// ---- entry points ------------------------------------------------------------

void ParseStyleSheet(TStyleList& Styles, char16_t& C, TBuffer& Doc, bool AUseQuirksMode, bool FromLink,
                     const std::u16string& APath) {
    THtmlStyleTagParser parser(AUseQuirksMode);
    parser.DoStyle(Styles, C, Doc, APath, FromLink);
}

void ParseStyleAttributeText(std::u16string_view Text, TProperties& Propty) {
    TBuffer doc(Text, std::u16string(), 1200);
    ParseStyleAttributeBuffer(doc, Propty);
}

void ParseStyleAttributeBuffer(TBuffer& Doc, TProperties& Propty) {
    THtmlStyleAttrParser parser(Propty.UseQuirksMode());
    parser.ParseProperties(Doc, Propty);
}
