// The readers of THtmlParser for element contents that are not HTML: the
// text of script and textarea elements.
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/text/HtmlText.h"
#include "html/text/Properties.h"

namespace {

constexpr char16_t CR = u'\r';
// Text of a textarea is handed on in pieces of at most this many characters.
constexpr int TextAreaChunk = 100;
// Characters of an end tag read between its name and ">".
constexpr int ScriptEndSlack = 6;

bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

std::u16string lowerAscii(std::u16string s) {
    for (char16_t& c : s)
        if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    return s;
}

std::u16string attributeText(const TAttributeList& Attributes, TAttrSymb Sym) {
    TAttribute* a = nullptr;
    return Attributes.Find(Sym, a) ? a->Name : std::u16string();
}

}  // namespace

void THtmlParser::DoScript(const TScriptHandler& Handler) {
    // Reads the next piece of script text into Text; true at the end tag.
    auto readPiece = [this](std::u16string& Text) {
        if (LCh == CR) {
            Text += u"\r\n";
            GetCh();
            return false;
        }
        if (LCh != u'<') {
            while (LCh != 0 && LCh != u'<' && LCh != CR) {
                Text += LCh;
                GetCh();
            }
            return false;
        }
        std::u16string tag(1, u'<');
        GetCh();
        if (LCh != u'/' && !isLetter(LCh)) {
            Text += tag;
            return false;
        }
        while (LCh == u'/' || isLetter(LCh)) {
            tag += LCh;
            GetCh();
        }
        const bool end = lowerAscii(tag) == u"</script";
        if (!end) {
            // Only the end tag gets its slack: script text such as "x<y</script>"
            // must not lose the end tag to the slack of "<y".
            Text += tag;
            return false;
        }
        for (int n = 0; n < ScriptEndSlack && LCh != u'>' && LCh != 0; ++n) GetCh();
        if (LCh == u'>') GetCh();
        return end;
    };

    if (!Handler) {
        GetCh();
        std::u16string ignored;
        while (LCh != 0 && !readPiece(ignored)) ignored.clear();
        return;
    }

    struct ScriptMode {
        bool& Flag;
        explicit ScriptMode(bool& F) : Flag(F) { Flag = true; }
        ~ScriptMode() { Flag = false; }
    } mode(InScript);

    GetCh();
    std::u16string type = attributeText(*Attributes, TypeSy);
    if (type.empty()) type = attributeText(*Attributes, LanguageSy);
    const std::u16string name = attributeText(*Attributes, NameSy);
    const std::u16string src = attributeText(*Attributes, SrcSy);
    std::u16string text;
    while (LCh != 0 && !readPiece(text)) {}
    Handler(CallingObject, name, type, src, text);
}

void THtmlParser::DoTextArea(TTextAreaReceiver& Control) {
    std::u16string line;
    bool endTag = false;
    while (LCh != 0) {
        if (LCh == CR) {
            Control.AddStr(line + u"\r\n");
            line.clear();
            GetCh();
        } else if (LCh == u'&') {
            line += GetEntity(InnerCodePage());
        } else if (LCh == u'<') {
            std::u16string tag(1, u'<');
            GetCh();
            while (LCh != 0 && LCh != u' ' && LCh != CR && LCh != u'>') {
                tag += LCh;
                GetCh();
            }
            if (lowerAscii(tag) == u"</textarea") {
                endTag = true;
                break;
            }
            line += tag;
        } else {
            for (int n = 0; n < TextAreaChunk && LCh != 0 && LCh != CR && LCh != u'&' && LCh != u'<'; ++n) {
                line += LCh;
                GetCh();
            }
        }
    }
    if (endTag) {
        while (LCh != u'>' && LCh != 0) GetCh();
        if (LCh == u'>') GetCh();
    }
    if (!line.empty()) Control.AddStr(line);
    Control.ResetToValue();
}
