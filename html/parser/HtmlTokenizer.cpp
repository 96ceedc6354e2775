// The character reader and the tokenizer of THtmlParser.
#include <utility>

#include "html/layout/ParserDocument.h"
#include "html/parser/AttributeNumbers.h"
#include "html/parser/CharReferences.h"
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/text/Buffer.h"
#include "html/text/HtmlText.h"
#include "html/text/Properties.h"

namespace {

constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';
constexpr int ProgressStep = 4096;

bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isWhite(char16_t c) { return c == u' ' || c == u'\t' || c == CR || c == LF || c == u'\f'; }

std::u16string upperAscii(std::u16string s) {
    for (char16_t& c : s)
        if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    return s;
}

// The parser's character stream as a reference reader sees it.
class ParserSource : public ThtCharSource {
public:
    explicit ParserSource(THtmlParser& P) : FP(P) {}
    char16_t Current() const override { return FP.LCh; }
    void Advance() override { FP.GetCh(); }

private:
    THtmlParser& FP;
};

}  // namespace

int32_t THtmlParser::SIndex() const { return FPropStack ? FPropStack->SIndex : -1; }

int THtmlParser::InnerCodePage() const {
    if (FPropStack && FPropStack->Last()) return FPropStack->Last()->CodePage();
    return Doc && Doc->CodePage() >= 0 ? Doc->CodePage() : 0;
}

void THtmlParser::ReadRaw() {
    if (!Doc) {
        LCh = 0;
        return;
    }
    for (;;) {
        const int32_t before = Doc->Position();
        if (DocStack.empty() && FPropStack) FPropStack->SIndex = before;
        LCh = Doc->NextChar();
        if (LCh == 0 && !DocStack.empty()) {
            // An included text ends: the interrupted one goes on.
            FIncluded.pop_back();
            Doc = DocStack.back();
            DocStack.pop_back();
            FReadPos[0] = FReadPos[1] = FReadPos[2] = -1;
            continue;
        }
        FReadPos[0] = FReadPos[1];
        FReadPos[1] = FReadPos[2];
        FReadPos[2] = before;
        break;
    }
    CountProgress();
}

void THtmlParser::CountProgress() {
    if (LinkSearch || !FPropStack || !FPropStack->Document) return;
    ++CharCount;
    const int64_t size = Doc->Size();
    if ((LCh == 0 || CharCount % ProgressStep == 0) && size > 0)
        FPropStack->Document->ParserProgress(
            int32_t(int64_t(Doc->Position()) * FPropStack->Document->ParserProgressStart() / size));
}

void THtmlParser::ReadChar() {
    ReadRaw();
    // The second character of a CR LF or LF CR pair is read over.
    if ((LCh == LF && LastChar == lcCR) || (LCh == CR && LastChar == lcLF)) ReadRaw();
    switch (LCh) {
    case u'\t':
        LCh = u' ';
        LastChar = lcOther;
        break;
    case LF:
        LCh = CR;
        LastChar = lcLF;
        break;
    case CR: LastChar = lcCR; break;
    default: LastChar = lcOther; break;
    }
    if (LCh == 0 && InComment) throw EParseError("Open Comment at End of HTML File");
}

char16_t THtmlParser::PeekChar() {
    if (!Doc) return 0;
    for (;;) {
        const char16_t c = Doc->PeekChar();
        if (c != 0 || DocStack.empty()) return c;
        FIncluded.pop_back();
        Doc = DocStack.back();
        DocStack.pop_back();
        FReadPos[0] = FReadPos[1] = FReadPos[2] = -1;
    }
}

void THtmlParser::GetCh() {
    ReadChar();
    while (LCh == u'<' && !InScript) {
        const char16_t next = PeekChar();
        if (next == u'!') {
            ReadChar();
            InComment = true;
            ReadChar();
            bool dashes = false;
            if (LCh == u'-') {
                ReadChar();
                if (LCh == u'-') {
                    ReadChar();
                    dashes = true;
                }
            }
            if (dashes && IncludeEvent && LCh == u'#') {
                DoInclude();
            } else if (dashes) {
                SkipCommentEnd();
            } else {
                // A doctype or another declaration ends at its ">".
                while (LCh != u'>' && LCh != 0) ReadChar();
                InComment = false;
            }
        } else if (next == u'%') {
            SkipServerTag();
        } else {
            break;
        }
        ReadChar();  // the character after the ">" is examined the same way
    }
}

void THtmlParser::SkipCommentEnd() {
    // Two or more "-", blanks and line ends, an optional "!", then ">".
    for (;;) {
        while (LCh != u'-') ReadChar();
        int dashes = 0;
        while (LCh == u'-') {
            ++dashes;
            ReadChar();
        }
        if (dashes < 2) continue;
        while (LCh == u' ' || LCh == CR) ReadChar();
        if (LCh == u'!') ReadChar();
        if (LCh == u'>') break;
    }
    InComment = false;
}

void THtmlParser::SkipServerTag() {
    ReadChar();  // the "%"
    ReadChar();
    while (LCh != 0 && !(LCh == u'%' && PeekChar() == u'>')) ReadChar();
    if (LCh != 0) ReadChar();  // the ">"
}

void THtmlParser::DoInclude() {
    // The include's own reading must not touch the text run in progress.
    struct TokenAside {
        THtmlParser& P;
        std::unique_ptr<TTokenObj> Saved;
        explicit TokenAside(THtmlParser& AP) : P(AP), Saved(std::move(AP.LCToken)) {
            P.LCToken = std::make_unique<TTokenObj>();
        }
        ~TokenAside() { P.LCToken = std::move(Saved); }
    } aside(*this);

    GetCh();
    std::u16string command;
    GetIdentifier(command);
    if (LCh == u'>' && command.size() >= 2 && command.compare(command.size() - 2, 2, u"--") == 0) {
        // "<!--#cmd-->": the "--" belongs to the comment's end, not to the command.
        command.resize(command.size() - 2);
        if (FReadPos[0] >= 0) {
            Doc->SetPosition(FReadPos[0]);
            ReadChar();
        }
    }

    TStringList params;
    std::u16string name;
    for (;;) {
        SkipWhiteSpace();
        if (!GetIdentifier(name)) break;
        SkipWhiteSpace();
        std::u16string value;
        if (LCh == u'=') {
            GetCh();
            SkipWhiteSpace();
            if (LCh == u'"' || LCh == u'\'') {
                const char16_t quote = LCh;
                GetCh();
                while (LCh != quote && LCh != 0) {
                    if (LCh == u'&') {
                        value += GetEntity(InnerCodePage());
                    } else {
                        value += LCh == CR ? u' ' : LCh;
                        GetCh();
                    }
                }
                if (LCh == quote) GetCh();
            } else {
                while (LCh != 0 && LCh != u' ' && LCh != CR && LCh != u'-' && LCh != u'>') {
                    value += LCh;
                    GetCh();
                }
            }
        }
        params.Add(htmltext::toUtf8(name + u"=" + value));
    }
    InComment = true;  // a comment inside the command may have cleared it
    SkipCommentEnd();

    if (int(DocStack.size()) >= MaxIncludeDepth) return;
    std::unique_ptr<TBuffer> included;
    IncludeEvent(CallingObject, command, &params, included);
    if (!included) return;
    DocStack.push_back(Doc);
    Doc = included.get();
    FIncluded.push_back(std::move(included));
    FReadPos[0] = FReadPos[1] = FReadPos[2] = -1;
}

bool THtmlParser::GetIdentifier(std::u16string& Identifier) {
    Identifier.clear();
    if (!isLetter(LCh) && LCh != u'_') return false;
    do {
        Identifier += LCh;
        GetCh();
    } while (isLetter(LCh) || isDigit(LCh) || LCh == u'_' || LCh == u'-');
    return true;
}

void THtmlParser::SkipWhiteSpace() {
    while (isWhite(LCh)) GetCh();
}

std::u16string THtmlParser::GetEntity(int CodePage) {
    ParserSource source(*this);
    return ReadCharReference(source, CodePage);
}

void THtmlParser::Next() {
    LCToken->Clear();
    IsXhtmlEndSy = false;
    if (LCh == 0) {
        Sy = EofSy;
    } else if (LCh <= 8) {
        // The control character reaches the text as a question mark.
        Sy = StringSy;
        LCh = u'?';
    } else if (LCh == u'<') {
        GetTag();
    } else {
        Sy = StringSy;
        GetTextRun(*LCToken);
    }
}

void THtmlParser::GetTag() {
    TagIndex = SIndex();
    GetCh();
    bool endTag = false;
    if (LCh == u'/') {
        endTag = true;
        GetCh();
    }
    if (LCh != u'?' && !isLetter(LCh)) {
        // Not a tag: the "<" is text of its own.
        Sy = StringSy;
        LCToken->AddUnicodeChar(u'<', TagIndex);
        return;
    }

    Sy = CommandSy;
    std::u16string name;
    while (isLetter(LCh) || isDigit(LCh) || LCh == u'_' || (LCh == u'/' && name.empty())) {
        name += LCh;
        GetCh();
    }
    if (!name.empty())
        if (const TResWord* word = ElementNames().Lookup(upperAscii(name))) Sy = endTag ? word->EndSym : word->Symbol;

    SkipWhiteSpace();
    Attributes->Clear();
    std::unique_ptr<TAttribute> attribute;
    while (GetAttribute(attribute)) Attributes->Add(std::move(attribute));

    while (LCh != u'>' && LCh != 0) {
        if (LCh == u'/') IsXhtmlEndSy = true;
        GetCh();
    }
    // The style and script readers start at the ">".
    if (LCh == u'>' && Sy != StyleSy && Sy != ScriptSy) GetCh();
}

bool THtmlParser::GetAttribute(std::unique_ptr<TAttribute>& Attribute) {
    SkipWhiteSpace();
    std::u16string name;
    while (LCh == u'$' || LCh == u'-' || LCh == u':' || isDigit(LCh) || isLetter(LCh)) {
        name += LCh;
        GetCh();
    }
    if (name.empty()) return false;
    name = upperAscii(std::move(name));
    TAttrSymb sym = OtherAttribute;
    if (const TSymbolRec* rec = AttributeNames().Lookup(name)) sym = rec->Value;

    SkipWhiteSpace();
    int32_t number = sym == BorderSy ? 1 : 0;
    std::u16string value;
    if (LCh == u'=') {
        GetCh();
        SkipWhiteSpace();
        if (LCh == u'"' || LCh == u'\'') {
            const char16_t quote = LCh;
            GetCh();
            while (LCh != quote && LCh != 0) {
                if (LCh == u'&') {
                    value += GetEntity(InnerCodePage());
                    continue;
                }
                if (LCh != CR) value += LCh;
                else if (sym == AltSy || sym == TitleSy) value += u"\r\n";
                GetCh();
            }
            if (LCh == quote) GetCh();
        } else {
            while (LCh != 0 && LCh != u'>' && LCh != u' ' && LCh != CR) {
                if (LCh == u'&') {
                    value += GetEntity(InnerCodePage());
                } else {
                    value += LCh;
                    GetCh();
                }
            }
            SkipWhiteSpace();
        }
    }
    if (!ValueToInteger(value, number) && sym == BorderSy && htmltext::lower(value) == u"none") number = 0;
    if (sym == IDSy && !value.empty() && FPropStack && FPropStack->Document && !LinkSearch)
        FPropStack->Document->ParserAddIDName(value, SIndex());
    Attribute = std::make_unique<TAttribute>(sym, double(number), std::move(name), std::move(value), InnerCodePage());
    return true;
}

void THtmlParser::CollectTextRun(TTokenObj& Token, bool Pre) {
    const bool keep = !LinkSearch;
    FRun.Clear();
    for (;;) {
        const char16_t c = LCh;
        if (c <= 8 || c == u'<' || (Pre && c == CR)) break;
        if (c == u'&') {
            const int32_t at = SIndex();
            const std::u16string text = GetEntity(InnerCodePage());
            if (keep) FRun.Add(text, at);
        } else if (!Pre && (c == u' ' || c == CR || c == LF || c == u'\t')) {
            if (keep) FRun.Add(u' ', SIndex());
            do GetCh();
            while (LCh == u' ' || LCh == CR || LCh == LF || LCh == u'\t');
        } else {
            if (keep) FRun.Add(c, SIndex());
            GetCh();
        }
    }
    if (keep) Token.AddString(FRun);
}

void THtmlParser::GetTextRun(TTokenObj& Token) { CollectTextRun(Token, false); }

void THtmlParser::GetPreTextRun(TTokenObj& Token) { CollectTextRun(Token, true); }

void THtmlParser::GetText(ThtWhiteSpaceStyle WhiteSpace, TTokenObj& Token) {
    if (WhiteSpace == wsPre) GetPreTextRun(Token);
    else GetTextRun(Token);
}
