#pragma once
// A document as the parser sees it, recording what the parser tells it, and
// a tokenizer over a text with the stack a parse would have.
#include <memory>
#include <string>
#include <vector>

#include "html/layout/ParserDocument.h"
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/parser/HtmlStyleList.h"
#include "html/text/Buffer.h"
#include "html/text/HtmlText.h"
#include "html/text/Properties.h"
#include "html/text/StyleParser.h"

namespace parsertest {

class FakeDocument : public ThtParserDocument {
public:
    explicit FakeDocument(bool quirks = false, const std::u16string& css = u"") : Quirks(quirks), Styles(this) {
        Styles.Initialize(u"DejaVu Sans", u"DejaVu Sans Mono", 12, 0x000000, 0xFF0000, 0x800080, 0x0000FF, true, 0, 1,
                          8, 8);
        if (!css.empty()) AddSheet(css);
    }
    void AddSheet(const std::u16string& css) {
        TBuffer sheet(css, std::u16string(u"sheet.css"), 1200);
        char16_t c = 0;
        ParseStyleSheet(Styles, c, sheet, Quirks, false, u"");
    }

    bool ParserUseQuirksMode() const override { return Quirks; }
    TStyleList& ParserStyles() override { return Styles; }
    void ParserSetLinksActive(bool Value) override { LinksActive = Value; }
    void ParserProcessInlines(int32_t SIndex, TProperties& Prop, bool Start) override {
        Inlines.push_back({SIndex, Prop.PropSym, Start});
    }
    void ParserAddIDName(const std::u16string& Name, int32_t Pos) override { IDs.push_back({Name, Pos}); }
    int32_t ParserProgressStart() const override { return ProgressStart; }
    void ParserProgress(int32_t Percent) override { Progress.push_back(Percent); }
    void ParserSetNoBreak(bool Value) override { NoBreak = Value; }

    struct Inline {
        int32_t SIndex;
        TElemSymb Sym;
        bool Start;
    };
    struct ID {
        std::u16string Name;
        int32_t Pos;
    };
    bool Quirks;
    THtmlStyleList Styles;
    bool LinksActive = false;
    bool NoBreak = false;
    int32_t ProgressStart = 75;
    std::vector<Inline> Inlines;
    std::vector<ID> IDs;
    std::vector<int32_t> Progress;
};

// A parser over UTF-16 text (buffer positions are twice the character
// index), its stack holding the base set, the first character read.
class Tokenizer {
public:
    explicit Tokenizer(std::u16string_view text, FakeDocument* doc = nullptr, int codePage = 1252,
                       bool readFirst = true)
        : buffer(text, std::u16string(u"test.html"), 1200), parser(&buffer) {
        stack.Document = doc;
        auto base = std::make_unique<TProperties>(&stack, doc && doc->Quirks);
        if (doc) base->CopyDefault(*doc->Styles.DefProp());
        base->SetCodePage(codePage);
        stack.Add(std::move(base));
        parser.FPropStack = &stack;
        if (readFirst) parser.GetCh();
    }
    // The symbols up to the end, one word each: <p> </p> "text" ? (an
    // unknown tag) $ (the end).
    std::string Symbols(int limit = 1000) {
        std::string out;
        for (int n = 0; n < limit; ++n) {
            parser.Next();
            if (!out.empty()) out += ' ';
            out += Describe();
            if (parser.Sy == EofSy) break;
        }
        return out;
    }
    std::string Describe() {
        const TElemSymb sy = parser.Sy;
        if (sy == StringSy) return "\"" + htmltext::toUtf8(parser.LCToken->S()) + "\"";
        if (sy == CommandSy) return "?";
        if (sy == EofSy) return "$";
        const bool end = ElementStartSymbol(sy) != sy;
        return (end ? "</" : "<") + htmltext::toUtf8(ElementSymbolName(sy)) + ">";
    }
    // The characters GetCh delivers up to the end.
    std::u16string Chars() {
        std::u16string out;
        while (parser.LCh != 0) {
            out += parser.LCh;
            parser.GetCh();
        }
        return out;
    }

    TBuffer buffer;
    THtmlPropStack stack;
    THtmlParser parser;
};

}  // namespace parsertest
