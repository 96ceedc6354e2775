#include "platform/runtime/TCCollection.h"

#include <algorithm>

TCNSCollection::TCNSCollection(int limit, int delta) : delta_(delta) {
    if (limit > 0) items_.reserve(static_cast<size_t>(limit));
}

// Items of a plain TCNSCollection are not owned by type; derived owning
// collections free them from their own destructors (shutDown).
TCNSCollection::~TCNSCollection() = default;

void TCNSCollection::freeItem(void*) {}

int TCNSCollection::indexOf(const void* item) const {
    const auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int TCNSCollection::insert(void* item) {
    items_.push_back(item);
    return count() - 1;
}

int TCNSCollection::atInsert(int i, void* item) {
    i = std::clamp(i, 0, count());
    items_.insert(items_.begin() + i, item);
    return i;
}

void TCNSCollection::atRemoveItem(int i) {
    if (valid(i)) items_.erase(items_.begin() + i);
}

void TCNSCollection::remove(void* item) {
    const int i = indexOf(item);
    if (i >= 0) atRemoveItem(i);
}

void TCNSCollection::atFree(int i) {
    if (!valid(i)) return;
    void* p = items_[static_cast<size_t>(i)];
    atRemoveItem(i);
    freeItem(p);
}

void TCNSCollection::free(void* item) {
    const int i = indexOf(item);
    if (i >= 0) atFree(i);
}

void TCNSCollection::freeAll() {
    // Detach first, so that a hook that looks at the collection sees it empty.
    std::vector<void*> all;
    all.swap(items_);
    for (void* p : all) freeItem(p);
}

void TCNSCollection::setLimit(int limit) {
    if (limit > count()) items_.reserve(static_cast<size_t>(limit));
}

int TCNSCollection::firstThat(const std::function<bool(void*)>& test) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (test(items_[i])) return static_cast<int>(i);
    return -1;
}

void TCNSCollection::forEach(const std::function<void(void*)>& fn) const {
    const std::vector<void*> copy = items_;
    for (void* p : copy) fn(p);
}
