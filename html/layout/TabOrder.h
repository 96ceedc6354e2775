#pragma once
// The document's tab-order entries: form controls and link tab stops that
// asked for a tab index, each with the sequence number it was entered with.
// Entries are ordered by the pair (tab index, sequence) as integers, so large
// indexes and many entries keep their order.
#include <cstdint>
#include <vector>

class TFormControlObjBase;
class ThtTabControl;

struct ThtTabOrderEntry {
    int64_t TabIndex = 0;
    int32_t Sequence = 0;
    TFormControlObjBase* Control = nullptr;  // one of the two is set
    ThtTabControl* TabControl = nullptr;
};

class ThtTabOrderList {
public:
    // Sequence is the number of entries held at the time.
    void Add(int64_t TabIndex, TFormControlObjBase* Control);
    void Add(int64_t TabIndex, ThtTabControl* TabControl);
    // Forgets the entries of an object.
    void Remove(const ThtTabControl* TabControl);
    void Remove(const TFormControlObjBase* Control);
    int Count() const { return int(FItems.size()); }
    bool Empty() const { return FItems.empty(); }
    // The entries in tab order.
    std::vector<ThtTabOrderEntry> Sorted() const;
    void Clear() { FItems.clear(); }

private:
    std::vector<ThtTabOrderEntry> FItems;
};
