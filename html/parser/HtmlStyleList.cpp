#include "html/parser/HtmlStyleList.h"

#include "html/layout/ParserDocument.h"

THtmlStyleList::THtmlStyleList(ThtParserDocument* AMasterList)
    : TStyleList(AMasterList && AMasterList->ParserUseQuirksMode()), Document(AMasterList) {}

void THtmlStyleList::SetLinksActive(bool Value) {
    if (Document) Document->ParserSetLinksActive(Value);
}
