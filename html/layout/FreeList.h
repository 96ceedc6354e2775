#pragma once
// A list of object references that frees the items leaving it when it owns them.
#include <vector>

template <class T> class TFreeList {
public:
    explicit TFreeList(bool OwnsObjects = true) : FOwnsObjects(OwnsObjects) {}
    TFreeList(const TFreeList&) = delete;
    TFreeList& operator=(const TFreeList&) = delete;
    virtual ~TFreeList() { TFreeList::Clear(); }

    int Count() const { return int(FItems.size()); }
    T* Items(int Index) const { return FItems.at(size_t(Index)); }
    bool OwnsObjects() const { return FOwnsObjects; }
    int Add(T* Item) {
        FItems.push_back(Item);
        return Count() - 1;
    }
    void Delete(int Index) {
        if (Index < 0 || Index >= Count()) return;
        T* item = FItems[size_t(Index)];
        FItems.erase(FItems.begin() + Index);
        if (FOwnsObjects) delete item;
    }
    virtual void Clear() {
        std::vector<T*> items;
        items.swap(FItems);
        if (FOwnsObjects)
            for (T* item : items) delete item;
    }

private:
    std::vector<T*> FItems;
    bool FOwnsObjects;
};
