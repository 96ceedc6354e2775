#pragma once
// The parser's symbols: elements and attributes as enumerations whose order
// is part of the interface (code tests ranges and sets of them), and the
// name tables of entities, elements and attributes with their look-ups.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum TElemSymb : uint8_t {
#define ZRX_ELEM_SYMBOLS
#include "html/text/HtmlSymbolTables.inc"
#undef ZRX_ELEM_SYMBOLS
};
constexpr int ElemSymbCount = int(OptionEndSy) + 1;

enum TAttrSymb : uint8_t {
#define ZRX_ATTR_SYMBOLS
#include "html/text/HtmlSymbolTables.inc"
#undef ZRX_ATTR_SYMBOLS
};
constexpr int AttrSymbCount = int(WrapSy) + 1;

struct TEntity {
    const char16_t* Name;
    int32_t Value;  // the code point
};
struct TResWord {
    const char16_t* Name;  // upper case
    TElemSymb Symbol;      // start symbol
    TElemSymb EndSym;      // end symbol, CommandSy for a void element
};
struct TSymbolRec {
    const char16_t* Name;  // upper case
    TAttrSymb Value;
};

// A sorted, case-sensitive list of names, each with its fixed row.
template <class Row> class TSymbolList {
public:
    explicit TSymbolList(std::vector<const Row*> rows);
    // Binary search; true and the index when the name is there.
    bool Find(std::u16string_view Name, int& Index) const;
    const Row* Lookup(std::u16string_view Name) const {
        int i = 0;
        return Find(Name, i) ? FRows[size_t(i)] : nullptr;
    }
    int Count() const { return int(FRows.size()); }
    std::u16string_view Strings(int Index) const { return FRows.at(size_t(Index))->Name; }
    const Row* Objects(int Index) const { return FRows.at(size_t(Index)); }

private:
    std::vector<const Row*> FRows;
};

// The process-wide look-up lists, built on first use. Element and attribute
// names are upper case; entity names are looked up as written.
const TSymbolList<TEntity>& Entities();
const TSymbolList<TResWord>& ElementNames();
const TSymbolList<TSymbolRec>& AttributeNames();

// Index in ElementNames of the element a start or end symbol belongs to, or -1.
int ElementSymbolIndex(TElemSymb Sym);
// The lower-case tag name of a start or end symbol; empty for the others.
const std::u16string& ElementSymbolName(TElemSymb Sym);
// The start / end symbol of the element Sym belongs to; CommandSy when none.
TElemSymb ElementStartSymbol(TElemSymb Sym);
TElemSymb ElementEndSymbol(TElemSymb Sym);
