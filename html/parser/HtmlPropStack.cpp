#include "html/parser/HtmlPropStack.h"

#include <memory>

#include "html/layout/ParserDocument.h"
#include "html/text/Properties.h"

TProperties* THtmlPropStack::PushNewProp(TElemSymb Sym, std::u16string_view AClass, std::u16string_view AnID,
                                         std::u16string_view APseudo, std::u16string_view ATitle, TProperties* AProps) {
    const std::u16string& tag = ElementSymbolName(Sym);
    auto p = std::make_unique<TProperties>(this, Document && Document->ParserUseQuirksMode());
    p->PropSym = Sym;
    if (TProperties* parent = Last()) p->Inherit(tag, *parent);
    TProperties* set = Add(std::move(p));
    // The cascade walks the ancestors from the index it is given down, so it
    // gets the parent's: the new set itself has no tag yet, and a child rule
    // ("ul > li") tested against it would never match.
    if (Document) set->Combine(Document->ParserStyles(), tag, AClass, AnID, APseudo, ATitle, AProps, Count() - 2);
    return set;
}

void THtmlPropStack::PopProp() {
    if (Count() >= 2) Delete(Count() - 1);
}

void THtmlPropStack::PopAProp(TElemSymb Sym) {
    int at = -1;
    for (int i = Count() - 1; i >= 1; --i)
        if (GetProp(i)->PropSym == Sym) {
            at = i;
            break;
        }
    if (at < 0) return;
    TProperties* set = GetProp(at);
    if (Document && set->HasBorderStyle()) Document->ParserProcessInlines(SIndex, *set, false);
    Delete(at);
    // A set taken from index 1 leaves the sets above it as they were.
    if (at > 1) {
        TStyleList* styles = Document ? &Document->ParserStyles() : nullptr;
        for (int i = at; i < Count(); ++i) GetProp(i)->Update(*GetProp(i - 1), styles, i);
    }
}
