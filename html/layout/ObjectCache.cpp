#include "html/layout/ObjectCache.h"

#include <algorithm>

ThtCache::~ThtCache() { FItems.clear(); }

bool ThtCache::Find(const String& S, int& Index) const {
    int lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = CompareText(FItems[size_t(mid)].Key, S);
        if (c == 0) {
            Index = mid;
            return true;
        }
        if (c < 0) lo = mid + 1;
        else hi = mid - 1;
    }
    Index = lo;
    return false;
}

int ThtCache::IndexOf(const String& S) const {
    // Entries inserted by index need not be in order: search them all.
    for (int i = 0; i < Count(); ++i)
        if (CompareText(FItems[size_t(i)].Key, S) == 0) return i;
    return -1;
}

int ThtCache::AddObject(const String& S, std::shared_ptr<ThtCachable> AObject) {
    int index;
    if (!Find(S, index)) {
        FItems.insert(FItems.begin() + index, Entry{S, AObject});
        if (AObject) ObjectAdded(*AObject);
    }
    if (AObject) AObject->BeginUse();
    return index;
}

void ThtCache::InsertObject(int Index, const String& S, std::shared_ptr<ThtCachable> AObject) {
    Index = std::clamp(Index, 0, Count());
    ThtCachable* o = AObject.get();
    FItems.insert(FItems.begin() + Index, Entry{S, std::move(AObject)});
    if (o) ObjectAdded(*o);
}

std::shared_ptr<ThtCachable> ThtCache::UseObject(int I) {
    std::shared_ptr<ThtCachable> o = ObjectAt(I);
    if (o) {
        o->AccessCount = 0;
        o->BeginUse();
    }
    return o;
}

std::shared_ptr<ThtCachable> ThtCache::ObjectAt(int I) const {
    if (I < 0 || I >= Count()) return nullptr;
    return FItems[size_t(I)].Object;
}

void ThtCache::IncUsage(const String& S) {
    if (auto o = ObjectAt(IndexOf(S))) o->BeginUse();
}

void ThtCache::DecUsage(const String& S) {
    if (auto o = ObjectAt(IndexOf(S))) o->EndUse();
}

template <class Pred> void ThtCache::removeWhere(Pred p) {
    for (int i = Count() - 1; i >= 0; --i) {
        ThtCachable* o = FItems[size_t(i)].Object.get();
        if (!o || p(*o)) Delete(i);
    }
}

void ThtCache::BumpAndCheck() {
    removeWhere([this](ThtCachable& o) { return ++o.AccessCount > FMaxCache && o.UsageCount <= 0; });
}

void ThtCache::SetCacheCount(int N) {
    removeWhere([N](ThtCachable& o) { return o.AccessCount > N && o.UsageCount <= 0; });
    FMaxCache = N;
}

void ThtCache::PurgeCache() {
    removeWhere([](ThtCachable& o) { return o.UsageCount <= 0; });
}

void ThtCache::Clear() {
    for (Entry& e : FItems)
        if (e.Object) ObjectRemoved(*e.Object);
    FItems.clear();
}

void ThtCache::Delete(int I) {
    if (I < 0 || I >= Count()) return;
    if (ThtCachable* o = FItems[size_t(I)].Object.get()) ObjectRemoved(*o);
    FItems.erase(FItems.begin() + I);
}
