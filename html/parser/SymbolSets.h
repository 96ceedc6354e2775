#pragma once
// Sets of element symbols: the terminating sets the element handlers hand
// down to the loops they call, and the fixed sets of symbols the loops take.
#include <cstdint>
#include <initializer_list>

#include "html/text/HtmlSymbols.h"

class TElemSymbSet {
public:
    constexpr TElemSymbSet() = default;
    constexpr TElemSymbSet(std::initializer_list<TElemSymb> Symbols) {
        for (TElemSymb s : Symbols) Include(s);
    }
    // Every symbol from From to To, both included.
    static constexpr TElemSymbSet Range(TElemSymb From, TElemSymb To) {
        TElemSymbSet set;
        for (int s = From; s <= To; ++s) set.Include(TElemSymb(s));
        return set;
    }

    constexpr bool Contains(TElemSymb Sym) const { return (FWords[Sym >> 6] >> (Sym & 63)) & 1u; }
    constexpr void Include(TElemSymb Sym) { FWords[Sym >> 6] |= uint64_t(1) << (Sym & 63); }
    constexpr TElemSymbSet operator+(const TElemSymbSet& Other) const {
        TElemSymbSet set;
        for (int i = 0; i < 4; ++i) set.FWords[i] = FWords[i] | Other.FWords[i];
        return set;
    }

private:
    uint64_t FWords[4] = {0, 0, 0, 0};
};
