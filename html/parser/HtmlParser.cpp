#include "html/parser/HtmlParser.h"

#include "html/layout/ParserDocument.h"
#include "html/parser/HtmlPropStack.h"
#include "html/text/Buffer.h"

THtmlParser::THtmlParser(TBuffer* ADoc)
    : LCToken(std::make_unique<TTokenObj>()), Doc(ADoc), Attributes(std::make_unique<TAttributeList>()) {}

THtmlParser::~THtmlParser() = default;

void THtmlParser::SetNoBreak(bool Value) {
    FNoBreak = Value;
    if (FPropStack && FPropStack->Document) FPropStack->Document->ParserSetNoBreak(Value);
}
