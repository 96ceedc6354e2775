#pragma once
// Owning pointer collections with virtual item hooks.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Items are kept as void*; the collection frees them through freeItem
// (a no-op here: a derived collection that knows the type deletes them).
// Because hooks cannot be called from a base destructor, every derived
// collection that frees items calls shutDown() from its own destructor.
class TCNSCollection {
public:
    explicit TCNSCollection(int limit = 0, int delta = 0);
    TCNSCollection(const TCNSCollection&) = delete;
    TCNSCollection& operator=(const TCNSCollection&) = delete;
    virtual ~TCNSCollection();

    int count() const { return static_cast<int>(items_.size()); }
    bool isEmpty() const { return items_.empty(); }
    // Item access; null when out of range.
    void* at(int i) const { return valid(i) ? items_[static_cast<size_t>(i)] : nullptr; }
    virtual void* getItem(int i) const { return at(i); }

    virtual int indexOf(const void* item) const;
    // Appends (sorted collections: puts in order); answers the index.
    virtual int insert(void* item);
    virtual int add(void* item) { return insert(item); }
    virtual int atInsert(int i, void* item);
    // Removes without freeing.
    virtual void atRemoveItem(int i);
    void atRemove(int i) { atRemoveItem(i); }
    void remove(void* item);
    void removeAll() { items_.clear(); }
    // Removes and frees.
    void atFree(int i);
    void free(void* item);
    void freeAll();
    // Frees everything; called by destructors of owning collections.
    virtual void shutDown() { freeAll(); }
    virtual void setLimit(int limit);
    // A fresh item for add-new forms (null here).
    virtual void* newItem() { return nullptr; }

    // Item with the first match, -1 / null when none.
    int firstThat(const std::function<bool(void*)>& test) const;
    void forEach(const std::function<void(void*)>& fn) const;

protected:
    virtual void freeItem(void* item);
    bool valid(int i) const { return i >= 0 && static_cast<size_t>(i) < items_.size(); }
    std::vector<void*> items_;
    int delta_ = 0;
};

// Typed owning collection: frees items with delete.
template <class T> class TCCollection : public TCNSCollection {
public:
    explicit TCCollection(int limit = 0, int delta = 0) : TCNSCollection(limit, delta) {}
    ~TCCollection() override { shutDown(); }

    T* at(int i) const { return static_cast<T*>(TCNSCollection::at(i)); }
    T* operator[](int i) const { return at(i); }
    // The untyped forms stay in view (a typed item always picks the typed one).
    using TCNSCollection::add;
    using TCNSCollection::indexOf;
    int add(T* item) { return insert(item); }
    using TCNSCollection::insert;
    int indexOf(const T* item) const { return TCNSCollection::indexOf(item); }
    // A new value-initialised item, inserted; answers it.
    virtual T* addNew() {
        T* t = static_cast<T*>(newItem());
        if (t) insert(t);
        return t;
    }
    void* newItem() override { return new T(); }

    class iterator {
    public:
        iterator(const TCCollection* c, int i) : c_(c), i_(i) {}
        T* operator*() const { return c_->at(i_); }
        iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator!=(const iterator& o) const { return i_ != o.i_; }

    private:
        const TCCollection* c_;
        int i_;
    };
    iterator begin() const { return iterator(this, 0); }
    iterator end() const { return iterator(this, count()); }

protected:
    void freeItem(void* item) override { delete static_cast<T*>(item); }
};

// Sorted typed collection: compare() orders the items (override it; the
// default compares keyOf() texts without regard to case).
template <class T> class TCSortedCollection : public TCCollection<T> {
public:
    explicit TCSortedCollection(int limit = 0, int delta = 0) : TCCollection<T>(limit, delta) {}
    bool duplicates = false;

    // An item whose key is already there (without duplicates) is freed,
    // and the index of the one kept is answered.
    int insert(void* item) override {
        int i;
        if (search(keyOf(static_cast<T*>(item)), i) && !duplicates) {
            // An equal item is there: the new one replaces nothing and is freed.
            if (this->at(i) != item) this->freeItem(item);
            return i;
        }
        while (duplicates && i < this->count() && compare(keyOf(this->at(i)), keyOf(static_cast<T*>(item))) == 0) ++i;
        return TCNSCollection::atInsert(i, item);
    }
    int add(T* item) { return insert(item); }
    // Inserts, freeing an item with an equal key that was there.
    int put(T* item) {
        int i;
        if (search(keyOf(item), i)) {
            if (this->at(i) == item) return i;
            this->atFree(i);
        }
        return TCNSCollection::atInsert(i, item);
    }
    // Binary search by key: true when found; index is the match or the
    // place where the key would go.
    bool search(const void* key, int& index) const {
        int lo = 0, hi = this->count() - 1;
        bool found = false;
        while (lo <= hi) {
            const int mid = (lo + hi) / 2;
            const int c = compare(keyOf(this->at(mid)), key);
            if (c < 0) {
                lo = mid + 1;
            } else {
                hi = mid - 1;
                if (c == 0) found = true;
            }
        }
        index = lo;
        return found;
    }
    T* find(const void* key) const {
        int i;
        return search(key, i) ? this->at(i) : nullptr;
    }

protected:
    // The key of an item (the item itself by default).
    virtual const void* keyOf(const T* item) const { return item; }
    virtual int compare(const void* key1, const void* key2) const = 0;
};
