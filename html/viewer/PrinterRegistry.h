// Which printer prints on which device: the abort procedure is handed only
// the device and finds its printer here.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// The printers' own small map, kept apart from the image maps of the
// document model, which have a class of the same name.
namespace vwprinter {

class TMapItem {
public:
    TMapItem(intptr_t Key, void* Value) : FKey(Key), FValue(Value) {}
    intptr_t FKey;
    void* FValue;  // not owned
};

// Keys to pointers, searched linearly from the first item.
class TMap {
public:
    TMap() = default;
    ~TMap() = default;
    TMap(const TMap&) = delete;
    TMap& operator=(const TMap&) = delete;
    // The value of the first item with the key; null when there is none.
    void* Get(intptr_t Key) const;
    // Replaces the value of an item with the key and answers the old one, or
    // appends an item and answers null.
    void* Put(intptr_t Key, void* Value);
    // Deletes the first item with the key and answers its value; null when absent.
    void* Remove(intptr_t Key);
    int Count() const { return int(FItems.size()); }

private:
    TMapItem* find(intptr_t Key) const;
    std::vector<std::unique_ptr<TMapItem>> FItems;
};

}  // namespace vwprinter

// The registry of printers in a document, keyed by their device; null once
// the module is being torn down at exit.
vwprinter::TMap* PrinterRegistry();
