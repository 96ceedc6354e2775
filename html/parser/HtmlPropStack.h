#pragma once
// The property sets of the elements the parser has open: the base set at
// index 0 holds the document defaults, each start tag pushes a set that
// inherits from the one below and combines with the document's style list,
// and end tags pop by element symbol, not by position.
#include <cstdint>
#include <string_view>

#include "html/text/HtmlSymbols.h"
#include "html/text/StyleList.h"

class ThtParserDocument;

class THtmlPropStack : public TPropStack {
public:
    // The new set of an element on top, combined with the document's style
    // list (without a document it only inherits). AProps is the element's
    // style attribute, or null.
    TProperties* PushNewProp(TElemSymb Sym, std::u16string_view AClass, std::u16string_view AnID,
                             std::u16string_view APseudo, std::u16string_view ATitle, TProperties* AProps);
    // Removes the top set; the base set stays.
    void PopProp();
    // Removes the innermost set of Sym, even below sets of elements still
    // open, and re-derives those from their new parents.
    void PopAProp(TElemSymb Sym);

    // The document whose style list and inline boxes are used; null for the
    // parser's private scans.
    ThtParserDocument* Document = nullptr;
    // The source position of the character the parser read last; -1 before a parse.
    int32_t SIndex = -1;
};
