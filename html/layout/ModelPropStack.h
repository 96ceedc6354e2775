#pragma once
// The parser's property stack as the document model uses it. The parser's
// own stack (html/parser) derives from this and gives the two element
// operations; the document holds its stack through it, and the text
// sections push and pop the SMALL element for small capitals through it.
#include <cstdint>
#include <string_view>

#include "html/text/HtmlSymbols.h"
#include "html/text/StyleList.h"

class ThtModelPropStack : public TPropStack {
public:
    virtual ~ThtModelPropStack() = default;
    // The new set of an element on top, combined with the document's styles.
    virtual TProperties* PushNewProp(TElemSymb Sym, std::u16string_view AClass, std::u16string_view AnID,
                                     std::u16string_view APseudo, std::u16string_view ATitle, TProperties* AProps) = 0;
    // Removes the innermost set of Sym.
    virtual void PopAProp(TElemSymb Sym) = 0;

    // The source position the parser read last; -1 before a parse.
    int32_t SIndex = -1;
};
