#include "html/layout/TabOrder.h"

#include <algorithm>

void ThtTabOrderList::Add(int64_t TabIndex, TFormControlObjBase* Control) {
    FItems.push_back({TabIndex, Count(), Control, nullptr});
}

void ThtTabOrderList::Add(int64_t TabIndex, ThtTabControl* TabControl) {
    FItems.push_back({TabIndex, Count(), nullptr, TabControl});
}

void ThtTabOrderList::Remove(const ThtTabControl* TabControl) {
    std::erase_if(FItems, [TabControl](const ThtTabOrderEntry& e) { return e.TabControl == TabControl; });
}

void ThtTabOrderList::Remove(const TFormControlObjBase* Control) {
    std::erase_if(FItems, [Control](const ThtTabOrderEntry& e) { return e.Control == Control; });
}

std::vector<ThtTabOrderEntry> ThtTabOrderList::Sorted() const {
    std::vector<ThtTabOrderEntry> v = FItems;
    std::stable_sort(v.begin(), v.end(), [](const ThtTabOrderEntry& a, const ThtTabOrderEntry& b) {
        return a.TabIndex != b.TabIndex ? a.TabIndex < b.TabIndex : a.Sequence < b.Sequence;
    });
    return v;
}
