#include "html/text/HtmlSymbols.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

#define ZRX_SYMBOL_ROWS
#include "html/text/HtmlSymbolTables.inc"
#undef ZRX_SYMBOL_ROWS

template <class Row, size_t N> std::vector<const Row*> pointersTo(const Row (&rows)[N]) {
    std::vector<const Row*> out;
    out.reserve(N);
    for (const Row& r : rows) out.push_back(&r);
    return out;
}

struct ElementIndex {
    std::array<int, ElemSymbCount> index;
    std::array<std::u16string, ElemSymbCount> names;
};

const ElementIndex& elementIndex() {
    static const ElementIndex idx = [] {
        ElementIndex e;
        e.index.fill(-1);
        const auto& list = ElementNames();
        for (int i = 0; i < list.Count(); ++i) {
            const TResWord* r = list.Objects(i);
            std::u16string lower(r->Name);
            for (auto& c : lower)
                if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
            e.index[r->Symbol] = i;
            e.names[r->Symbol] = lower;
            if (r->EndSym != CommandSy) {
                e.index[r->EndSym] = i;
                e.names[r->EndSym] = lower;
            }
        }
        return e;
    }();
    return idx;
}

}  // namespace

template <class Row> TSymbolList<Row>::TSymbolList(std::vector<const Row*> rows) : FRows(std::move(rows)) {
    std::stable_sort(FRows.begin(), FRows.end(),
                     [](const Row* a, const Row* b) { return std::u16string_view(a->Name) < b->Name; });
}

template <class Row> bool TSymbolList<Row>::Find(std::u16string_view Name, int& Index) const {
    auto it = std::lower_bound(FRows.begin(), FRows.end(), Name,
                               [](const Row* r, std::u16string_view n) { return std::u16string_view(r->Name) < n; });
    Index = int(it - FRows.begin());
    return it != FRows.end() && Name == (*it)->Name;
}

template class TSymbolList<TEntity>;
template class TSymbolList<TResWord>;
template class TSymbolList<TSymbolRec>;

const TSymbolList<TEntity>& Entities() {
    static const TSymbolList<TEntity> list(pointersTo(EntityRows));
    return list;
}

const TSymbolList<TResWord>& ElementNames() {
    static const TSymbolList<TResWord> list(pointersTo(ElementRows));
    return list;
}

const TSymbolList<TSymbolRec>& AttributeNames() {
    static const TSymbolList<TSymbolRec> list(pointersTo(AttributeRows));
    return list;
}

int ElementSymbolIndex(TElemSymb Sym) { return Sym < ElemSymbCount ? elementIndex().index[Sym] : -1; }

const std::u16string& ElementSymbolName(TElemSymb Sym) {
    static const std::u16string none;
    return Sym < ElemSymbCount ? elementIndex().names[Sym] : none;
}

TElemSymb ElementStartSymbol(TElemSymb Sym) {
    const int i = ElementSymbolIndex(Sym);
    return i < 0 ? CommandSy : ElementNames().Objects(i)->Symbol;
}

TElemSymb ElementEndSymbol(TElemSymb Sym) {
    const int i = ElementSymbolIndex(Sym);
    return i < 0 ? CommandSy : ElementNames().Objects(i)->EndSym;
}
