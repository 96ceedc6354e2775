#pragma once
// What the parser's property stack, the document's style list and the
// tokenizer ask of the document they build. The document implements it; the
// parser sits above the document model and sees the document only through
// this. The names carry a "Parser" prefix so they never collide with the
// document's own fields and operations.
#include <cstdint>
#include <string>

class TProperties;
class TStyleList;

class ThtParserDocument {
public:
    virtual ~ThtParserDocument() = default;

    // The document's quirks flag.
    virtual bool ParserUseQuirksMode() const = 0;
    // The document's style list, which every pushed property set combines with.
    virtual TStyleList& ParserStyles() = 0;
    // A rule asked for hover: links follow the mouse.
    virtual void ParserSetLinksActive(bool Value) = 0;
    // An inline box with a border starts (Start) or ends at source position
    // SIndex; Prop is freed by the stack afterwards, so keep a copy of what is needed.
    virtual void ParserProcessInlines(int32_t SIndex, TProperties& Prop, bool Start) = 0;
    // An id or anchor name found at a source position.
    virtual void ParserAddIDName(const std::u16string& Name, int32_t Pos) = 0;
    // The percentage up to which the parse reports its progress.
    virtual int32_t ParserProgressStart() const = 0;
    // The parse has reached Percent: the document hands it to its viewer.
    virtual void ParserProgress(int32_t Percent) = 0;
    // The parser's no-break state, kept by the document for its sections.
    virtual void ParserSetNoBreak(bool Value) = 0;
};
