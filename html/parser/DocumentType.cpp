// The scans that look at a document before it is built: whether its doctype
// asks for standards mode, and the encoding its XML declaration names.
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/text/Buffer.h"
#include "html/text/CodePages.h"
#include "html/text/HtmlStrings.h"
#include "html/text/Properties.h"

namespace {

bool isDocTypeChar(char16_t c) {
    return c == u'-' || c == u'.' || c == u'/' || c == u'_' || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') ||
           (c >= u'a' && c <= u'z');
}

bool startsWith(std::u16string_view S, std::u16string_view Prefix) { return S.substr(0, Prefix.size()) == Prefix; }

bool endsWith(std::u16string_view S, std::u16string_view Suffix) {
    return S.size() >= Suffix.size() && S.substr(S.size() - Suffix.size()) == Suffix;
}

}  // namespace

// The parser's reading state, put back when a scan ends however it ends:
// the scans read the buffer with a private stack and leave the parse as it
// was. Inside a scan "<" starts no comment (the scans read declarations
// themselves).
class THtmlParser::ScanScope {
public:
    explicit ScanScope(THtmlParser& P)
        : FP(P), FStack(P.FPropStack), FInScript(P.InScript), FInComment(P.InComment), FLastChar(P.LastChar),
          FCh(P.LCh), FPosition(P.Doc ? P.Doc->Position() : 0) {
        FPrivate.Add(std::make_unique<TProperties>(&FPrivate, false));
        P.FPropStack = &FPrivate;
        P.InScript = true;
        P.InComment = false;
        P.LCh = 0;
    }
    ~ScanScope() {
        FP.FPropStack = FStack;
        FP.InScript = FInScript;
        FP.InComment = FInComment;
        FP.LastChar = FLastChar;
        FP.LCh = FCh;
        if (FP.Doc) FP.Doc->SetPosition(FPosition);
    }
    ScanScope(const ScanScope&) = delete;
    ScanScope& operator=(const ScanScope&) = delete;

private:
    THtmlParser& FP;
    THtmlPropStack FPrivate;
    THtmlPropStack* FStack;
    bool FInScript, FInComment;
    TLastChar FLastChar;
    char16_t FCh;
    int FPosition;
};

void THtmlParser::NextCh() {
    if (!Doc) {
        LCh = 0;
        return;
    }
    if (FPropStack) FPropStack->SIndex = Doc->Position();
    LCh = Doc->NextChar();
    LastChar = lcOther;
}

std::u16string THtmlParser::GetDocTypeWord(bool& Result) {
    std::u16string word;
    while (isDocTypeChar(LCh)) {
        word += LCh;
        NextCh();
    }
    Result = !word.empty();
    return word;
}

bool THtmlParser::DocTypeIsStandard(bool& Result) {
    SkipWhiteSpace();
    if (UpperCaseString(GetDocTypeWord(Result)) != u"HTML") return false;
    // "<!DOCTYPE html>": the character that ended the word, after any white
    // space, closes the declaration, whatever follows it.
    SkipWhiteSpace();
    if (LCh == u'>') return true;
    std::u16string word = UpperCaseString(GetDocTypeWord(Result));
    if (word != u"PUBLIC" && word != u"SYSTEM") return false;
    SkipWhiteSpace();
    if (LCh == u'"') NextCh();
    SkipWhiteSpace();
    word = UpperCaseString(GetDocTypeWord(Result));
    if (word == u"ABOUT") return true;
    if (word == u"HTTP") {
        std::u16string quoted;
        while (LCh != u'"' && LCh != 0) {
            quoted += LCh;
            NextCh();
        }
        for (const char16_t* dtd : {u"html40/strict.dtd", u"xhtml1-strict.dtd", u"xhtml-basic11.dtd",
                                    u"xhtml1-transitional.dtd", u"xhtml1-frameset.dtd", u"xhtml11.dtd"})
            if (endsWith(quoted, dtd)) return true;
        word = UpperCaseString(quoted);
    }
    if (word != u"-//W3C//DTD") return false;
    SkipWhiteSpace();
    word = UpperCaseString(GetDocTypeWord(Result));
    if (word == u"HTML") {
        SkipWhiteSpace();
        const std::u16string version = GetDocTypeWord(Result);
        if (startsWith(version, u"4.01") || startsWith(version, u"4.0/")) return true;
        SkipWhiteSpace();
        return startsWith(version, u"4.");
    }
    if (word == u"XHTML") {
        SkipWhiteSpace();
        std::u16string version = UpperCaseString(GetDocTypeWord(Result));
        if (version == u"BASIC") {
            SkipWhiteSpace();
            version = GetDocTypeWord(Result);
        }
        return startsWith(version, u"1.");
    }
    return false;
}

bool THtmlParser::ShouldUseQuirksMode() {
    if (!Doc) return true;
    ScanScope scope(*this);
    bool result = true;
    try {
        for (;;) {
            while (LCh != u'<' && LCh != 0) NextCh();
            NextCh();
            if (LCh == 0) break;
            std::u16string identifier;
            if (LCh == u'!') {
                NextCh();
                GetIdentifier(identifier);
                if (UpperCaseString(identifier) == u"DOCTYPE") {
                    if (DocTypeIsStandard(result)) {
                        result = false;
                        break;
                    }
                } else {
                    while (LCh != u'>' && LCh != 0) NextCh();
                }
            }
            GetIdentifier(identifier);
            SkipWhiteSpace();
            identifier = UpperCaseString(identifier);
            if (identifier == u"HTML" || identifier == u"HEAD" || identifier == u"BODY") break;
        }
    } catch (const std::exception&) {}
    return result;
}

bool THtmlParser::ProbeXmlEncoding() {
    if (!Doc) return true;
    ScanScope scope(*this);
    bool result = true;
    try {
        for (;;) {
            while (LCh != u'<' && LCh != 0) NextCh();
            NextCh();
            if (LCh == 0) break;
            std::u16string identifier;
            if (LCh == u'!') {
                NextCh();
                GetIdentifier(identifier);
                if (UpperCaseString(identifier) == u"DOCTYPE") {
                    result = false;
                    break;
                }
                while (LCh != u'>' && LCh != 0) NextCh();
            } else if (LCh == u'?') {
                NextCh();
                GetIdentifier(identifier);
                if (identifier == u"xml") {
                    // The declaration's pseudo-attributes, up to "?>".
                    while (LCh != u'>' && LCh != 0) {
                        NextCh();
                        std::u16string name;
                        GetIdentifier(name);
                        if (LCh == u'?') continue;
                        if (name.empty() || LCh != u'=') continue;
                        NextCh();
                        if (LCh != u'"') continue;
                        NextCh();
                        std::u16string value;
                        while (LCh != u'"' && LCh != 0) {
                            value += LCh;
                            NextCh();
                        }
                        if (name == u"encoding") {
                            const int codePage = CharsetNameToCodePage(value);
                            result = codePage >= 0;
                            if (result) Doc->SetCodePage(codePage);
                            return result;
                        }
                    }
                    break;
                }
            }
            GetIdentifier(identifier);
            SkipWhiteSpace();
            identifier = UpperCaseString(identifier);
            if (identifier == u"HTML" || identifier == u"HEAD" || identifier == u"BODY") break;
        }
    } catch (const std::exception&) {}
    return result;
}
