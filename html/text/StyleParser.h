#pragma once
// CSS from a character buffer: style sheets (STYLE content and linked sheets)
// into a style list, style attributes into one property set. Shorthands are
// expanded into their longhands here. The grammar is forgiving: what it does
// not cover is skipped to the next declaration or rule, and nothing raises.
#include <string>
#include <string_view>
#include <vector>

#include "html/text/Buffer.h"
#include "html/text/PropertyIndex.h"

class TProperties;
class TStyleList;

class THtmlStyleParser {
public:
    explicit THtmlStyleParser(bool AUseQuirksMode) : FUseQuirksMode(AUseQuirksMode) {}
    virtual ~THtmlStyleParser() = default;

protected:
    virtual void AddProperty(const std::u16string& Name, const std::u16string& Value) = 0;

    // The next character; control blanks and whole comments become one blank.
    void ReadNextChar();
    void SkipSpaces();
    bool ReadIdentifier(std::u16string& Identifier);
    bool ReadQuotedString(std::u16string& S);
    void ProcessDeclaration(const std::u16string& Name, const std::u16string& Value);
    // url(...) resolved against the linked sheet's location, as url("...").
    std::u16string ResolveUrlValue(const std::u16string& Text) const;

    TBuffer* Doc = nullptr;
    char16_t LCh = 0;
    std::u16string LinkPath;
    bool FUseQuirksMode;

private:
    void ExpandShorthand(ThtPropertyIndex Index, const std::u16string& V1, const std::u16string& V2);
    void ExpandSides(const std::u16string& Prefix, const std::u16string& Suffix, const std::u16string& V1);
    void ExpandBorder(ThtPropertyIndex Index, const std::u16string& V1);
    void ExpandFont(const std::u16string& V2);
    void ExpandBackground(const std::u16string& V1);
    void ExpandListStyle(const std::u16string& V1);
};

class THtmlStyleTagParser : public THtmlStyleParser {
public:
    using THtmlStyleParser::THtmlStyleParser;
    // At-rule blocks are read this many deep; a block nested deeper is
    // skipped whole, so that no sheet can exhaust the stack.
    static constexpr int MaxAtRuleDepth = 32;
    // Reads the sheet; C is where the HTML parser resumes: 0 at the end of
    // the buffer, '<' at a STYLE element's end tag (the buffer just after it).
    void DoStyle(TStyleList& AStyles, char16_t& C, TBuffer& ADoc, const std::u16string& APath, bool FromLink);

protected:
    void AddProperty(const std::u16string& Name, const std::u16string& Value) override;

private:
    void ReadRule();
    void ReadAtRule();
    void ReadSelectors();
    void ReadDeclarationBlock();
    uint16_t ReadMediaList();
    // Through the first complete block, or to '<' or the end.
    void SkipBlock();
    std::u16string BuildSelectorKey(const std::u16string& Selector, bool Reorder);

    std::vector<std::u16string> Selectors;
    TStyleList* Styles = nullptr;
    int AtRuleDepth = 0;  // at-rule blocks being read around the current rule
};

class THtmlStyleAttrParser : public THtmlStyleParser {
public:
    using THtmlStyleParser::THtmlStyleParser;
    void ParseProperties(TBuffer& ADoc, TProperties& APropty);

protected:
    void AddProperty(const std::u16string& Name, const std::u16string& Value) override;

private:
    TProperties* Propty = nullptr;
};

void ParseStyleSheet(TStyleList& Styles, char16_t& C, TBuffer& Doc, bool AUseQuirksMode, bool FromLink,
                     const std::u16string& APath);
void ParseStyleAttributeText(std::u16string_view Text, TProperties& Propty);
void ParseStyleAttributeBuffer(TBuffer& Doc, TProperties& Propty);

// Helpers of the value grammar.
// Letters lowered outside quotes and parentheses.
std::u16string LowerCaseOutsideQuotes(std::u16string_view S);
// One pair of matching quotes around the whole text removed.
std::u16string StripQuotes(std::u16string_view S);
// At most MaxIndex + 1 blank-separated words (quotes keep blanks; "a/b" splits before '/').
std::vector<std::u16string> SplitValueWords(std::u16string_view Text, int MaxIndex);
// Moves up to MaxIndex + 1 url()/rgb()/rgba()/hsla()/hsl() pieces out of Text.
std::vector<std::u16string> ExtractFunctionValues(std::u16string& Text, int MaxIndex);
