// A cache of decoded objects by name (the normalised URL or file name),
// counting users and ageing unused objects once per document load.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/framework/Classes.h"

class ThtCachable {
public:
    virtual ~ThtCachable() = default;
    void BeginUse() { ++UsageCount; }
    void EndUse() { --UsageCount; }
    int32_t AccessCount = 0;  // agings since it was last taken out of the cache
    int32_t UsageCount = 0;   // current users; below 1 means nobody uses it
};

// Sorted by key without regard to case, as the framework's string lists
// compare. The cache holds each object through shared ownership: removing
// an entry, Clear and destruction only drop the cache's hold, so a picture
// a document still shows stays alive.
class ThtCache {
public:
    ThtCache() = default;
    virtual ~ThtCache();
    ThtCache(const ThtCache&) = delete;
    ThtCache& operator=(const ThtCache&) = delete;

    int MaxCache() const { return FMaxCache; }
    int Count() const { return int(FItems.size()); }
    const String& Strings(int I) const { return FItems.at(size_t(I)).Key; }
    int IndexOf(const String& S) const;
    // Binary search: true when found; Index is where S is or would be inserted.
    bool Find(const String& S, int& Index) const;

    // Adds the key (sorted) and counts the caller as the object's first user.
    int AddObject(const String& S, std::shared_ptr<ThtCachable> AObject);
    // A cache hit: resets the object's age and counts one more user.
    std::shared_ptr<ThtCachable> UseObject(int I);
    std::shared_ptr<ThtCachable> ObjectAt(int I) const;
    void IncUsage(const String& S);
    void DecUsage(const String& S);
    // Ages every entry by one load and drops those unused for more than MaxCache loads.
    void BumpAndCheck();
    void SetCacheCount(int N);
    void PurgeCache();
    virtual void Clear();
    void Delete(int I);

protected:
    // Inserts at Index without sorting and without counting a user.
    void InsertObject(int Index, const String& S, std::shared_ptr<ThtCachable> AObject);
    // An entry's object came in, or is about to leave (Delete, Clear and the
    // agings all pass here; destruction does not).
    virtual void ObjectAdded(ThtCachable&) {}
    virtual void ObjectRemoved(ThtCachable&) {}

private:
    struct Entry {
        String Key;
        std::shared_ptr<ThtCachable> Object;
    };
    template <class Pred> void removeWhere(Pred p);
    std::vector<Entry> FItems;
    int32_t FMaxCache = 100;
};
