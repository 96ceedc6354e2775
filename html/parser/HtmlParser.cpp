#include "html/parser/HtmlParser.h"

#include "html/layout/ParserDocument.h"
#include "html/layout/Sections.h"
#include "html/layout/Selection.h"
#include "html/parser/HtmlPropStack.h"
#include "html/text/Buffer.h"

THtmlParser::THtmlParser(TBuffer* ADoc)
    : LCToken(std::make_unique<TTokenObj>()), Doc(ADoc), Attributes(std::make_unique<TAttributeList>()) {}

THtmlParser::~THtmlParser() = default;

void THtmlParser::SetNoBreak(bool Value) {
    FNoBreak = Value;
    if (FPropStack && FPropStack->Document) FPropStack->Document->ParserSetNoBreak(Value);
}

TProperties* THtmlParser::PushNewProp(TElemSymb Sym, std::u16string_view AClass, std::u16string_view AnID,
                                      std::u16string_view APseudo, std::u16string_view ATitle, TProperties* AProps) {
    return FPropStack->PushNewProp(Sym, AClass, AnID, APseudo, ATitle, AProps);
}

bool THtmlParser::InlineRoomLeft() const { return FPropStack->Count() < MaxPropDepth; }

void THtmlParser::PopProp() { FPropStack->PopProp(); }

void THtmlParser::PopAProp(TElemSymb Sym) { FPropStack->PopAProp(Sym); }
