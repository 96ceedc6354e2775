#pragma once
// Ids of a document (compared without regard to case) and their objects. A
// newer object under an id replaces the older; the list frees the objects
// that ask for it (FreeMe).
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "html/layout/IDObject.h"

class TIDObjectList {
public:
    TIDObjectList() = default;
    TIDObjectList(const TIDObjectList&) = delete;
    TIDObjectList& operator=(const TIDObjectList&) = delete;
    ~TIDObjectList() { Clear(); }

    int AddObject(std::u16string S, TIDObject* AObject);
    int Count() const { return int(FItems.size()); }
    const std::u16string& Strings(int Index) const { return FItems.at(size_t(Index)).first; }
    TIDObject* GetObject(int Index) const { return FItems.at(size_t(Index)).second; }
    // The index of an id, or -1.
    int IndexOf(std::u16string_view S) const;
    // Forgets every entry of the object without freeing it (an object that
    // goes away by other means takes its ids with it).
    void RemoveObject(const TIDObject* AObject);
    void Clear();

private:
    bool Find(std::u16string_view S, int& Index) const;
    std::vector<std::pair<std::u16string, TIDObject*>> FItems;
};
