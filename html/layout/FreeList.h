#pragma once
// A list of object references that frees the items leaving it when it owns them.
#include <algorithm>
#include <memory>
#include <vector>

template <class T> class TFreeList {
public:
    explicit TFreeList(bool OwnsObjects = true) : FOwnsObjects(OwnsObjects) {}
    TFreeList(const TFreeList&) = delete;
    TFreeList& operator=(const TFreeList&) = delete;
    virtual ~TFreeList() { TFreeList::Clear(); }

    int Count() const { return int(FItems.size()); }
    bool Empty() const { return FItems.empty(); }
    T* Items(int Index) const { return FItems.at(size_t(Index)); }
    T* First() const { return FItems.empty() ? nullptr : FItems.front(); }
    T* Last() const { return FItems.empty() ? nullptr : FItems.back(); }
    bool OwnsObjects() const { return FOwnsObjects; }
    int Add(T* Item) {
        FItems.push_back(Item);
        return Count() - 1;
    }
    // Takes the item over (an owning list frees it in time).
    T* Add(std::unique_ptr<T> Item) {
        T* p = Item.release();
        FItems.push_back(p);
        return p;
    }
    // Index may be Count (appends); outside that range nothing is inserted.
    void Insert(int Index, T* Item) {
        if (Index < 0 || Index > Count()) return;
        FItems.insert(FItems.begin() + Index, Item);
    }
    int IndexOf(const T* Item) const {
        auto it = std::find(FItems.begin(), FItems.end(), Item);
        return it == FItems.end() ? -1 : int(it - FItems.begin());
    }
    void Delete(int Index) {
        if (Index < 0 || Index >= Count()) return;
        T* item = FItems[size_t(Index)];
        FItems.erase(FItems.begin() + Index);
        if (FOwnsObjects) delete item;
    }
    // Takes the item out without freeing it; null outside the list.
    T* Extract(int Index) {
        if (Index < 0 || Index >= Count()) return nullptr;
        T* item = FItems[size_t(Index)];
        FItems.erase(FItems.begin() + Index);
        return item;
    }
    // Takes the first entry of the item out without freeing it; its index or -1.
    int Remove(const T* Item) {
        const int i = IndexOf(Item);
        if (i >= 0) FItems.erase(FItems.begin() + i);
        return i;
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
