#include "html/viewer/PrinterRegistry.h"

namespace vwprinter {

TMapItem* TMap::find(intptr_t Key) const {
    for (const auto& item : FItems)
        if (item->FKey == Key) return item.get();
    return nullptr;
}

void* TMap::Get(intptr_t Key) const {
    TMapItem* item = find(Key);
    return item ? item->FValue : nullptr;
}

void* TMap::Put(intptr_t Key, void* Value) {
    if (TMapItem* item = find(Key)) {
        void* old = item->FValue;
        item->FValue = Value;
        return old;
    }
    FItems.push_back(std::make_unique<TMapItem>(Key, Value));
    return nullptr;
}

void* TMap::Remove(intptr_t Key) {
    for (auto it = FItems.begin(); it != FItems.end(); ++it) {
        if ((*it)->FKey != Key) continue;
        void* value = (*it)->FValue;
        FItems.erase(it);
        return value;
    }
    return nullptr;
}

}  // namespace vwprinter

namespace {
// Made when the module starts and gone at exit; a page still going out then
// (a printer in a static object) is told to stop rather than reading a
// freed map.
struct RegistryHolder {
    vwprinter::TMap* Map = new vwprinter::TMap;
    ~RegistryHolder() {
        delete Map;
        Map = nullptr;
    }
};
RegistryHolder registryHolder;
}  // namespace

vwprinter::TMap* PrinterRegistry() { return registryHolder.Map; }
