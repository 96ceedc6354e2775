#include "html/viewer/ViewerHistory.h"

#include <algorithm>

#include "platform/framework/Classes.h"

ThvHistoryItem::~ThvHistoryItem() = default;
ThvHistory::ThvHistory() = default;
ThvHistory::~ThvHistory() = default;

ThvHistoryItem* ThvHistory::GetItem(int I) const {
    if (I < 0 || I >= Count()) return nullptr;
    return FItems[size_t(I)].get();
}

void ThvHistory::Insert(int I, std::unique_ptr<ThvHistoryItem> Item) {
    if (!Item) return;
    I = std::clamp(I, 0, Count());
    FItems.insert(FItems.begin() + I, std::move(Item));
}

void ThvHistory::Delete(int I) {
    if (I < 0 || I >= Count()) return;
    FItems.erase(FItems.begin() + I);
}

void ThvHistory::Clear() {
    FItems.clear();
    FIndex = 0;
}

bool ThvHistory::Trim(int MaxCount) {
    MaxCount = std::max(MaxCount, 0);
    if (Count() <= MaxCount) return false;
    FItems.resize(size_t(MaxCount));
    FIndex = std::clamp(FIndex, 0, std::max(MaxCount - 1, 0));
    return true;
}

int ThvHistory::Search(const std::u16string& Url, int I) const {
    I = std::clamp(I, 0, Count());
    int k = I;
    while (k > 0 && FItems[size_t(k - 1)]->Url == Url) --k;
    return k;
}
