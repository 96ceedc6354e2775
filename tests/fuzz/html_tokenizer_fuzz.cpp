// Any text tokenizes to the end without harm: symbols come one at a time
// until EofSy (or the one error, a comment left open), every character keeps
// a source position inside its buffer, progress stays within its range,
// includes that include themselves stop, script and textarea contents end,
// and start and end tags push and pop property sets that combine with the
// document's style sheet. The counting pass (LinkSearch) does the same
// without registering or reporting anything.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "html/layout/ParserDocument.h"
#include "html/parser/AttributeNumbers.h"
#include "html/parser/CharReferences.h"
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/parser/HtmlStyleList.h"
#include "html/text/Buffer.h"
#include "html/text/Properties.h"
#include "html/text/StyleParser.h"

// Link fonts look up installed faces through Qt: no display is needed.
static const bool offscreen = [] { return setenv("QT_QPA_PLATFORM", "offscreen", 0) == 0; }();

namespace {

const int CodePages[] = {65001, 1252, 1251, 932, 0};
constexpr int MaxOpen = 64;

class Document : public ThtParserDocument {
public:
    explicit Document(bool quirks) : Quirks(quirks), Styles(this) {
        Styles.Initialize(u"DejaVu Sans", u"DejaVu Sans Mono", 12, 0, 0xFF0000, 0x800080, 0x0000FF, true, 0, 1, 8, 8);
        TBuffer sheet(std::u16string(u"p > b { color: red } a:hover { color: blue } .x td { border: 1px solid }"),
                      std::u16string(u"fuzz.css"), 1200);
        char16_t c = 0;
        ParseStyleSheet(Styles, c, sheet, quirks, false, u"");
    }
    bool ParserUseQuirksMode() const override { return Quirks; }
    TStyleList& ParserStyles() override { return Styles; }
    void ParserSetLinksActive(bool) override {}
    void ParserProcessInlines(int32_t, TProperties&, bool) override { ++Reports; }
    void ParserAddIDName(const std::u16string&, int32_t) override { ++Reports; }
    int32_t ParserProgressStart() const override { return 75; }
    void ParserProgress(int32_t Percent) override {
        if (Percent < 0 || Percent > 75) std::abort();
        ++Reports;
    }
    void ParserSetNoBreak(bool) override {}

    bool Quirks;
    THtmlStyleList Styles;
    int Reports = 0;
};

class TextArea : public TTextAreaReceiver {
public:
    void AddStr(const std::u16string& Text) override { Size += Text.size(); }
    void ResetToValue() override { ++Resets; }
    size_t Size = 0;
    int Resets = 0;
};

void checkToken(THtmlParser& P, int32_t Limit) {
    TTokenObj& token = *P.LCToken;
    for (int i = 1; i <= token.Count(); ++i)
        if (token.Indices(i) < -1 || token.Indices(i) > Limit) std::abort();
    if (size_t(token.Count()) != token.S().size()) std::abort();
}

void run(const uint8_t* data, size_t size, int codePage, bool linkSearch, bool scriptHandler) {
    TBuffer buffer(data, size, codePage, u"fuzz.html");
    Document doc(size % 2 == 1);
    THtmlPropStack stack;
    stack.Document = &doc;
    auto base = std::make_unique<TProperties>(&stack, doc.Quirks);
    base->CopyDefault(*doc.Styles.DefProp());
    stack.Add(std::move(base));

    THtmlParser parser(&buffer);
    parser.FPropStack = &stack;
    parser.LinkSearch = linkSearch;
    int includes = 0;
    parser.IncludeEvent = [&](TObject*, const std::u16string& command, TStrings*, std::unique_ptr<TBuffer>& inc) {
        // A handler that gave text for every include of an included text
        // would grow without end in breadth; this one stops giving any.
        if (++includes > 64) return;
        if (command == u"self") inc = std::make_unique<TBuffer>(u"<b>in</b><!--#self-->", u"inc.htm", 1200);
        else if (!command.empty()) inc = std::make_unique<TBuffer>(data, size / 2, codePage, u"half.htm");
    };
    auto script = [](TObject*, const std::u16string&, const std::u16string&, const std::u16string&,
                     const std::u16string&) {};
    // Every Next reads at least one character, or turns a control character
    // into "?"; included texts add at most their own length each.
    const size_t bound = 4 * size + 64;
    const int32_t limit = int32_t(size) + 2;
    try {
        parser.GetCh();
        size_t steps = 0;
        do {
            if (++steps > bound * (THtmlParser::MaxIncludeDepth + 2)) std::abort();
            parser.Next();
            checkToken(parser, limit);
            if (parser.DocStack.size() > size_t(THtmlParser::MaxIncludeDepth)) std::abort();
            const TElemSymb sy = parser.Sy;
            if (sy == ScriptSy) {
                if (scriptHandler) parser.DoScript(script);
                else parser.DoScript(nullptr);
                if (parser.InScript) std::abort();
            } else if (sy == TextAreaSy) {
                TextArea area;
                parser.DoTextArea(area);
                if (area.Resets != 1) std::abort();
            }
            for (int i = 0; i < parser.Attributes->Count(); ++i) {
                int32_t v = 0;
                ValueToInteger(parser.Attributes->GetAttribute(i)->Name, v);
            }
            if (sy > EofSy && sy != liAloneSy) {
                const TElemSymb start = ElementStartSymbol(sy);
                if (start == sy && stack.Count() < MaxOpen) {
                    stack.PushNewProp(sy, parser.Attributes->TheClass(), parser.Attributes->TheID(), u"",
                                      parser.Attributes->TheTitle(), parser.Attributes->TheStyle());
                } else if (start != sy && start != CommandSy) {
                    stack.PopAProp(start);
                }
            }
        } while (parser.Sy != EofSy);
    } catch (const EParseError&) {}
    if (stack.Count() < 1) std::abort();
    if (linkSearch && doc.Reports != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)offscreen;
    if (size > 1 << 16) return 0;
    const int codePage = size ? CodePages[data[0] % (sizeof CodePages / sizeof CodePages[0])] : 65001;
    run(data, size, codePage, false, true);
    run(data, size, codePage, true, false);
    const std::u16string text = TBuffer::Convert(data, size, 65001);
    const std::u16string decoded = DecodeCharReferences(text, 1252);
    if (decoded.size() > text.size() * 2 + 1) std::abort();
    return 0;
}
