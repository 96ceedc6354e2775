#include "components/CCompStorage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/runtime/TCString.h"
#include "platform/win/Registry.h"

namespace {

bool gNoRestore = false;

// The form's events run through these, so that a second install can see
// that the storage is already in place.
struct StorageCreateHook {
    TCCompStorage* self;
    void operator()(TObject* sender) const { self->OnFormCreate(sender); }
};
struct StorageCloseHook {
    TCCompStorage* self;
    void operator()(TObject* sender, TCloseAction& action) const { self->OnFormClose(sender, action); }
};

String fmtIndex(const char* fmt, int i) {
    char buf[32];
    snprintf(buf, sizeof buf, fmt, i);
    return buf;
}

// Splits "name:[a,b]" into the property name and its sub-property list.
void splitPropSpec(const String& entry, String& name, String& subProps) {
    size_t colon = entry.find(':');
    name = entry.substr(0, colon);
    subProps = colon == String::npos ? String() : entry.substr(colon + 1);
    if (subProps.size() > 2 && subProps[0] == '[') subProps = subProps.substr(1, subProps.size() - 2);
}

TCustomForm* findFormByName(const String& name) {
    if (!Screen) return nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->Name() == name) return Screen->Forms(i);
    return nullptr;
}

TComponent* findDataModuleByName(const String& name) {
    if (!Screen) return nullptr;
    for (int i = 0; i < Screen->DataModuleCount(); ++i)
        if (Screen->DataModules(i)->Name() == name) return Screen->DataModules(i);
    return nullptr;
}

}  // namespace

void cstNoRestoreComponens() { gNoRestore = true; }
void cstResetNoRestore() { gNoRestore = false; }
bool cstRestoreDisabled() { return gNoRestore; }

bool cstIsStorableKind(TTypeKind k) {
    switch (k) {
    case tkInteger:
    case tkChar:
    case tkEnumeration:
    case tkString:
    case tkWChar:
    case tkWString:
    case tkUString:
    case tkSet:
    case tkInt64: return true;
    default: return false;
    }
}

bool cstStorePropValue(TCRegKey& key, const char* valueName, TObject* obj, const TPropInfo& p) {
    try {
        switch (p.Kind) {
        case tkInteger:
        case tkChar: return key.writeInt(valueName, uint32_t(p.GetOrd(obj)));
        case tkInt64: {
            // The whole 64-bit value: the high half must survive.
            uint64_t v = uint64_t(p.GetOrd(obj));
            unsigned char bytes[8];
            for (int i = 0; i < 8; ++i) bytes[i] = (unsigned char)(v >> (8 * i));
            return key.isOpen() && RegSetValueExA(key.handle(), valueName, 0, REG_QWORD, bytes, 8) == ERROR_SUCCESS;
        }
        case tkEnumeration:
        case tkSet:
        case tkString:
        case tkWChar:
        case tkWString:
        case tkUString: return key.writeString(valueName, GetPropValue(obj, p).c_str());
        default: return false;
        }
    } catch (const std::exception&) {
        return false;
    }
}

bool cstRestorePropValue(TCRegKey& key, const char* valueName, TObject* obj, const TPropInfo& p) {
    if (!p.IsWritable()) return false;
    try {
        switch (p.Kind) {
        case tkInteger:
        case tkChar: {
            uint32_t v = 0;
            if (!key.readInt(valueName, v, 0)) return false;
            p.SetOrd(obj, p.Kind == tkInteger ? int64_t(int32_t(v)) : int64_t(v));
            return true;
        }
        case tkInt64: {
            std::string data;
            uint32_t type = 0;
            if (key.isOpen() && zrx::win::regQueryValue(key.handle(), valueName, &type, &data) == ERROR_SUCCESS &&
                type == REG_QWORD && data.size() == 8) {
                uint64_t v = 0;
                for (int i = 0; i < 8; ++i) v |= uint64_t((unsigned char)data[size_t(i)]) << (8 * i);
                p.SetOrd(obj, int64_t(v));
                return true;
            }
            uint32_t v = 0;  // a value stored by an older version
            if (!key.readInt(valueName, v, 0)) return false;
            p.SetOrd(obj, int64_t(v));
            return true;
        }
        case tkEnumeration:
        case tkSet:
        case tkString:
        case tkWChar:
        case tkWString:
        case tkUString: {
            TCString text;
            if (!key.readString(valueName, text)) return false;
            SetPropValue(obj, p, text.str());
            return true;
        }
        default: return false;
        }
    } catch (const std::exception&) {
        // An unknown enumeration name and the like: this property only.
        return false;
    }
}

// ---- TCPropInfoList

TCPropInfoList::TCPropInfoList(TObject* obj, TTypeKinds kinds) { build(obj, kinds); }
TCPropInfoList::~TCPropInfoList() { clear(); }

int TCPropInfoList::build(TObject* obj, TTypeKinds kinds) {
    clear();
    object_ = obj;
    if (!obj) return 0;
    items_ = GetPropList(obj, kinds);
    std::stable_sort(items_.begin(), items_.end(),
                     [](const TPropInfo* a, const TPropInfo* b) { return CompareText(a->Name, b->Name) < 0; });
    return count();
}

TCString TCPropInfoList::propName(int i) const { return TCString(propInfo(i)->Name); }

TObject* TCPropInfoList::objectValue(int i) const {
    const TPropInfo* p = propInfo(i);
    if (p->Kind != tkClass || !object_ || !p->GetObj) return nullptr;
    return p->GetObj(object_);
}

void TCPropInfoList::clear() {
    items_.clear();
    object_ = nullptr;
}

TCClassesPropInfoList::TCClassesPropInfoList(TObject* obj) : TCPropInfoList(obj, kindBit(tkClass)) {}

// ---- TCCompStorage

IMPLEMENT_CLASS(TCCompStorage, TComponent) {
    r.Str("RegKey", &TCCompStorage::RegKey, &TCCompStorage::SetRegKey);
    r.Str("ValueName", &TCCompStorage::ValueName, &TCCompStorage::SetValueName);
    r.Boolean("StorePosition", &TCCompStorage::StorePosition, &TCCompStorage::SetStorePosition);
    r.Boolean("StoreState", &TCCompStorage::StoreState, &TCCompStorage::SetStoreState);
    r.Boolean("Manual", &TCCompStorage::Manual, &TCCompStorage::SetManual);
    r.Object<TStrings>("StoredProps", &TCCompStorage::GetStoredProps, &TCCompStorage::SetStoredProps);
}

TCCompStorage::TCCompStorage(TComponent* AOwner) : TComponent(AOwner), key_(new TCRegKey) {
    pathParts_.Delimiter = '.';
    root_ = AOwner;
    if (root_) root_->FreeNotification(this);
    installEventHandlers();
}

TCCompStorage::~TCCompStorage() {
    closeRegKey();
    removeEventHandlers();
    delete key_;
}

void TCCompStorage::Loaded() {
    TComponent::Loaded();
    installEventHandlers();
}

void TCCompStorage::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == root_) root_ = nullptr;
}

TCustomForm* TCCompStorage::ownerForm() const { return dynamic_cast<TCustomForm*>(Owner()); }

void TCCompStorage::installEventHandlers() {
    TCustomForm* f = ownerForm();
    if (IsDesigning() || manual_ || !f) return;
    // Each event separately: the form may set its own handler before or
    // after the storage is created; a second install keeps the first's saved handler.
    auto* c = f->OnCreate.target<StorageCreateHook>();
    if (!c || c->self != this) {
        savedOnCreate_ = f->OnCreate;
        f->OnCreate = StorageCreateHook{this};
    }
    auto* cl = f->OnClose.target<StorageCloseHook>();
    if (!cl || cl->self != this) {
        savedOnClose_ = f->OnClose;
        f->OnClose = StorageCloseHook{this};
    }
}

void TCCompStorage::removeEventHandlers() {
    TCustomForm* f = ownerForm();
    if (IsDesigning() || !f) return;
    // Only where our hook is still in place: a later hook is left alone.
    if (auto* c = f->OnCreate.target<StorageCreateHook>(); c && c->self == this) f->OnCreate = savedOnCreate_;
    if (auto* cl = f->OnClose.target<StorageCloseHook>(); cl && cl->self == this) f->OnClose = savedOnClose_;
}

void TCCompStorage::OnFormCreate(TObject* Sender) {
    if (!manual_) restore();
    if (savedOnCreate_) savedOnCreate_(Sender);
}

void TCCompStorage::OnFormClose(TObject* Sender, TCloseAction& Action) {
    if (!manual_) store();
    if (savedOnClose_) savedOnClose_(Sender, Action);
}

void TCCompStorage::assignPropsList(TStrings* list) {
    storedProps_.Clear();
    if (list) storedProps_.AddStrings(list);
}

void TCCompStorage::SetRootComponent(TComponent* c) {
    if (root_ && root_ != c) root_->RemoveFreeNotification(this);
    root_ = c;
    if (c) c->FreeNotification(this);
    if (valueName_.empty() && c) valueName_ = c->Name();
}

TCString TCCompStorage::getValName() const {
    if (valueName_.empty() || valueName_ == "%FORMNAME%") return TCString(Owner() ? Owner()->Name() : String());
    return TCString(valueName_);
}

TCString TCCompStorage::mainKeyPath() const {
    String path = regKey_;
    if (path.empty() || path.back() != '\\') path += '\\';
    path += getValName().str();
    if (!path.empty() && path[0] == '\\') path.erase(0, 1);
    return TCString(path);
}

bool TCCompStorage::createRegKey(bool readOnly) {
    return key_->openKey(HKEY_CURRENT_USER, mainKeyPath().c_str(), readOnly ? CFG_REG_READONLY : CFG_REG_CREATE);
}

void TCCompStorage::closeRegKey() { key_->close(); }

bool TCCompStorage::openSubKey(TCRegKey& key, const String& name, bool readOnly) {
    String path = mainKeyPath().str() + "\\" + name;
    return key.openKey(HKEY_CURRENT_USER, path.c_str(), readOnly ? CFG_REG_READONLY : CFG_REG_CREATE);
}

String TCCompStorage::makeParamPrefx(int n) const {
    n = std::min(n, pathParts_.Count());
    String out;
    for (int i = 0; i < n; ++i) out += pathParts_[i] + ".";
    return out;
}

// ---- store and restore

void TCCompStorage::storeFormsStateAndPostion(TCustomForm* f) {
    String base = f->Name() + ".";
    if (storePosition_) {
        // A maximized window keeps the bounds it returns to, so that it can
        // still be restored to a normal size after the next start.
        TRect b = f->NormalBounds();
        key_->writeInt((base + "Left").c_str(), uint32_t(b.Left));
        key_->writeInt((base + "Top").c_str(), uint32_t(b.Top));
        key_->writeInt((base + "Width").c_str(), uint32_t(b.Width()));
        key_->writeInt((base + "Height").c_str(), uint32_t(b.Height()));
    }
    if (storeState_) key_->writeString((base + "WindowState").c_str(), GetPropValue(f, "WindowState").c_str());
}

void TCCompStorage::restoreFormsStateAndPostion(TCustomForm* f) {
    String base = f->Name() + ".";
    if (storePosition_) {
        int l = f->Left(), t = f->Top(), w = f->Width(), h = f->Height();
        uint32_t v = 0;
        if (key_->readInt((base + "Left").c_str(), v, 0)) l = int32_t(v);
        if (key_->readInt((base + "Top").c_str(), v, 0)) t = int32_t(v);
        if (key_->readInt((base + "Width").c_str(), v, 0)) w = int32_t(v);
        if (key_->readInt((base + "Height").c_str(), v, 0)) h = int32_t(v);
        // Keep the window on the desktop. The desktop spans every monitor,
        // so a monitor left of or above the primary one counts as visible.
        TRect d = Screen ? Screen->DesktopRect() : Rect(0, 0, 1024, 768);
        int W = d.Width(), H = d.Height();
        if (l < d.Left || l > d.Right - 10) l = d.Left + 1;
        if (t < d.Top || t > d.Bottom - 10) t = d.Top + 1;
        if (h <= 0) h = 400;
        if (w <= 0) w = 600;
        // In 64 bits: a damaged stored size must not wrap the sum.
        if (l < d.Left + 5 && int64_t(l) + w > d.Right) w = W - 10;
        if (t < d.Top + 5 && int64_t(t) + h > d.Bottom - 10) h = H - 55;
        f->SetBounds(l, t, w, h);
    }
    if (storeState_) {
        TCString state;
        if (key_->readString((base + "WindowState").c_str(), state)) {
            try {
                SetPropValue(f, "WindowState", state.str());
            } catch (const std::exception&) {}
        }
    }
}

bool TCCompStorage::store() {
    if (!createRegKey(false)) return false;
    if (TCustomForm* f = ownerForm()) storeFormsStateAndPostion(f);
    bool ok = true;
    auto paths = storedProps_.ToVector();
    for (const String& p : paths)
        if (!saveComponentProperty(p)) ok = false;
    closeRegKey();
    return ok;
}

bool TCCompStorage::restore() {
    if (gNoRestore) return true;
    if (!createRegKey(true)) return false;
    if (TCustomForm* f = ownerForm()) restoreFormsStateAndPostion(f);
    auto paths = storedProps_.ToVector();
    for (const String& p : paths) loadComponentProperty(p);
    closeRegKey();
    return true;
}

bool TCCompStorage::resolvePath(const String& path, TComponent*& comp, String& entry, String& prefix) {
    pathParts_.SetDelimitedText(path);
    int n = pathParts_.Count();
    if (n == 0 || !root_) return false;
    comp = root_;
    prefix.clear();
    for (int i = 0; i < n - 1; ++i) {
        comp = comp->FindComponent(pathParts_[i]);
        if (!comp) return false;
    }
    entry = pathParts_[n - 1];
    if (n >= 3) prefix = makeParamPrefx(n - 2);
    return !entry.empty();
}

bool TCCompStorage::saveComponentProperty(const String& path) {
    TComponent* comp;
    String entry, prefix;
    if (!resolvePath(path, comp, entry, prefix)) return false;
    return storeComponentProperty(comp, entry, prefix);
}

bool TCCompStorage::loadComponentProperty(const String& path) {
    TComponent* comp;
    String entry, prefix;
    if (!resolvePath(path, comp, entry, prefix)) return false;
    return restoreComponentProperty(comp, entry, prefix);
}

bool TCCompStorage::storeComponentProperty(TComponent* comp, const String& entry, const String& prefix) {
    String name, subProps;
    splitPropSpec(entry, name, subProps);
    const TPropInfo* p = GetPropInfo(comp, name);
    if (!p) return false;
    String valueName = prefix + comp->Name() + "." + p->Name;
    if (p->Kind == tkClass) return storeClassProperties(comp, *p, subProps, valueName);
    return cstStorePropValue(*key_, valueName.c_str(), comp, *p);
}

bool TCCompStorage::restoreComponentProperty(TComponent* comp, const String& entry, const String& prefix) {
    String name, subProps;
    splitPropSpec(entry, name, subProps);
    const TPropInfo* p = GetPropInfo(comp, name);
    if (!p) return false;
    String valueName = prefix + comp->Name() + "." + p->Name;
    if (p->Kind == tkClass) return restoreClassProperties(comp, *p, subProps, valueName);
    return cstRestorePropValue(*key_, valueName.c_str(), comp, *p);
}

bool TCCompStorage::storeClassProperties(TObject* obj, const TPropInfo& p, const String& subProps,
                                         const String& valueName) {
    TObject* value = p.GetObj ? p.GetObj(obj) : nullptr;
    if (!value) return false;
    if (auto* c = dynamic_cast<TComponent*>(value)) return storeCopmonentPtr(c, valueName);
    if (auto* s = dynamic_cast<TStrings*>(value)) return storeStrings(s, valueName);
    if (auto* col = dynamic_cast<TCollection*>(value)) return storeCollection(col, valueName, subProps);
    return storeObject(value, valueName, subProps);
}

bool TCCompStorage::restoreClassProperties(TObject* obj, const TPropInfo& p, const String& subProps,
                                           const String& valueName) {
    if (p.PropClass && p.PropClass->InheritsFrom(&TComponent::StaticClass())) {
        TComponent* c = restoreCopmonentPtr(valueName);
        if (!c || !p.SetObj) return false;
        try {
            SetObjectProp(obj, p.Name, c);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }
    TObject* value = p.GetObj ? p.GetObj(obj) : nullptr;
    if (!value) return false;
    if (auto* s = dynamic_cast<TStrings*>(value)) return restoreStrings(s, valueName);
    if (auto* col = dynamic_cast<TCollection*>(value)) return restoreCollection(col, valueName, subProps);
    return restoreObject(value, valueName, subProps);
}

bool TCCompStorage::storeStrings(TStrings* list, const String& subKey) {
    TCRegKey k;
    if (!openSubKey(k, subKey, false)) return false;
    if (!k.writeInt("Count", uint32_t(list->Count()))) return false;
    for (int i = 0; i < list->Count(); ++i)
        if (!k.writeString(fmtIndex("str%03d", i).c_str(), list->Get(i).c_str())) return false;
    return true;
}

bool TCCompStorage::restoreStrings(TStrings* list, const String& subKey) {
    TCRegKey k;
    if (!openSubKey(k, subKey, true)) return false;
    uint32_t count = 0;
    if (!k.readInt("Count", count, 0)) return false;
    // Read everything first: a damaged store leaves the list as it was.
    TStringList lines;
    TCString line;
    for (uint32_t i = 0; i < count; ++i) {
        if (!k.readString(fmtIndex("str%03d", int(i)).c_str(), line)) return false;
        lines.Add(line.str());
    }
    list->Assign(&lines);
    return true;
}

bool TCCompStorage::storeCollection(TCollection* c, const String& subKey, const String& subProps) {
    if (c->Count() == 0) return true;
    TCRegKey k;
    if (!openSubKey(k, subKey, false)) return false;
    TStringList names;
    propNamesFor(c->Items(0), subProps, names);
    for (int i = 0; i < c->Count(); ++i)
        if (!storeObjectOrdProps(k, fmtIndex("Item%03d", i), c->Items(i), names)) return false;
    return true;
}

bool TCCompStorage::restoreCollection(TCollection* c, const String& subKey, const String& subProps) {
    if (c->Count() == 0) return true;
    TCRegKey k;
    if (!openSubKey(k, subKey, true)) return false;
    TStringList names;
    propNamesFor(c->Items(0), subProps, names);
    bool ok = true;
    for (int i = 0; i < c->Count(); ++i)
        if (!restoreObjectOrdProps(k, fmtIndex("Item%03d", i), c->Items(i), names)) ok = false;
    return ok;
}

bool TCCompStorage::storeObject(TObject* obj, const String& subKey, const String& subProps) {
    TCRegKey k;
    if (!openSubKey(k, subKey, false)) return false;
    TStringList names;
    propNamesFor(obj, subProps, names);
    return storeObjectOrdProps(k, String(), obj, names);
}

bool TCCompStorage::restoreObject(TObject* obj, const String& subKey, const String& subProps) {
    TCRegKey k;
    if (!openSubKey(k, subKey, true)) return false;
    TStringList names;
    propNamesFor(obj, subProps, names);
    return restoreObjectOrdProps(k, String(), obj, names);
}

bool TCCompStorage::storeCopmonentPtr(TComponent* c, const String& valueName) {
    String text = c->Name();
    if (c->Owner() && c->Owner() != root_) text = c->Owner()->Name() + "." + c->Name();
    return key_->writeString(valueName.c_str(), text.c_str());
}

TComponent* TCCompStorage::restoreCopmonentPtr(const String& valueName) {
    TCString stored;
    if (!key_->readString(valueName.c_str(), stored)) return nullptr;
    const String& text = stored.str();
    if (text.empty()) return nullptr;
    size_t dot = text.find('.');
    if (dot == String::npos) return Owner() ? Owner()->FindComponent(text) : nullptr;
    String holder = text.substr(0, dot);
    TComponent* h = findFormByName(holder);
    if (!h) h = findDataModuleByName(holder);
    return h ? h->FindComponent(text.substr(dot + 1)) : nullptr;
}

// A property of a kind that cannot be stored is passed over; it does not end
// the object's other properties.
bool TCCompStorage::storeObjectOrdProps(TCRegKey& key, const String& prefix, TObject* obj, const TStrings& names) {
    for (int i = 0; i < names.Count(); ++i) {
        const TPropInfo* p = GetPropInfo(obj, names[i]);
        if (!p) return false;
        if (!cstIsStorableKind(p->Kind)) continue;
        String vn = prefix.empty() ? p->Name : prefix + "." + p->Name;
        if (!cstStorePropValue(key, vn.c_str(), obj, *p)) return false;
    }
    return true;
}

bool TCCompStorage::restoreObjectOrdProps(TCRegKey& key, const String& prefix, TObject* obj, const TStrings& names) {
    for (int i = 0; i < names.Count(); ++i) {
        const TPropInfo* p = GetPropInfo(obj, names[i]);
        if (!p) return false;
        if (!cstIsStorableKind(p->Kind)) continue;
        String vn = prefix.empty() ? p->Name : prefix + "." + p->Name;
        if (!cstRestorePropValue(key, vn.c_str(), obj, *p)) return false;
    }
    return true;
}

void TCCompStorage::propNamesFor(TObject* obj, const String& subProps, TStrings& names) {
    if (!subProps.empty()) names.SetCommaText(subProps);
    else mkObjectOrdPropList(obj, names);
}

void TCCompStorage::mkObjectOrdPropList(TObject* obj, TStrings& list) {
    const TTypeKinds kinds = kindBit(tkInteger) | kindBit(tkChar) | kindBit(tkEnumeration) | kindBit(tkFloat) |
                             kindBit(tkString) | kindBit(tkSet) | kindBit(tkLString) | kindBit(tkWString) |
                             kindBit(tkInt64) | kindBit(tkUString);
    TCPropInfoList props(obj, kinds);
    for (int i = 0; i < props.count(); ++i) list.Add(props.propName(i).str());
}

// ---- single values

bool TCCompStorage::saveString(const char* text, const char* valueName) {
    if (!createRegKey(false)) return false;
    bool ok = key_->writeString(valueName, text ? text : "");
    closeRegKey();
    return ok;
}

bool TCCompStorage::saveString(const std::u16string& text, const char* valueName) {
    return saveString(TCString::fromUtf16(text).c_str(), valueName);
}

bool TCCompStorage::saveInt(uint32_t value, const char* valueName) {
    if (!createRegKey(false)) return false;
    bool ok = key_->writeInt(valueName, value);
    closeRegKey();
    return ok;
}

TCString TCCompStorage::loadString(const char* valueName, const char* def) {
    TCString text(def ? def : "");
    if (!createRegKey(true)) return text;
    key_->readString(valueName, text, def);
    closeRegKey();
    return text;
}

uint32_t TCCompStorage::loadInt(const char* valueName, uint32_t def) {
    uint32_t v = def;
    if (!createRegKey(true)) return def;
    key_->readInt(valueName, v, def);
    closeRegKey();
    return v;
}
