#include "html/layout/IDObjectList.h"

#include <algorithm>

#include "html/text/HtmlText.h"

namespace {

void freeIfOwned(TIDObject* o) {
    // A failing object must not stop the list from letting it go.
    try {
        if (o && o->FreeMe()) delete o;
    } catch (...) {}
}

}  // namespace

bool TIDObjectList::Find(std::u16string_view S, int& Index) const {
    auto it = std::lower_bound(FItems.begin(), FItems.end(), S, [](const auto& e, std::u16string_view s) {
        return htmltext::compareNoCase(e.first, s) < 0;
    });
    Index = int(it - FItems.begin());
    return it != FItems.end() && htmltext::compareNoCase(it->first, S) == 0;
}

int TIDObjectList::IndexOf(std::u16string_view S) const {
    int i;
    return Find(S, i) ? i : -1;
}

int TIDObjectList::AddObject(std::u16string S, TIDObject* AObject) {
    int i;
    if (Find(S, i)) {
        TIDObject* old = FItems[size_t(i)].second;
        FItems.erase(FItems.begin() + i);
        if (old != AObject) freeIfOwned(old);
    }
    Find(S, i);
    FItems.insert(FItems.begin() + i, {std::move(S), AObject});
    return i;
}

void TIDObjectList::RemoveObject(const TIDObject* AObject) {
    if (!AObject) return;
    std::erase_if(FItems, [AObject](const auto& e) { return e.second == AObject; });
}

void TIDObjectList::Clear() {
    std::vector<std::pair<std::u16string, TIDObject*>> items;
    items.swap(FItems);
    for (auto& e : items) freeIfOwned(e.second);
}
