// Component state storage: a form's position, window state and a chosen list
// of its components' published properties kept in the current user's
// registry between runs.
#pragma once

#include <vector>

#include "components/CfgFile.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/TCString.h"

// The published properties of an object whose kind is in a set, sorted by name.
class TCPropInfoList : public TObject {
public:
    TCPropInfoList(TObject* obj, TTypeKinds kinds);
    ~TCPropInfoList() override;
    int build(TObject* obj, TTypeKinds kinds);
    int count() const { return int(items_.size()); }
    const TPropInfo* propInfo(int i) const { return items_.at(size_t(i)); }
    TCString propName(int i) const;
    // The object a class-typed property holds, else null.
    TObject* objectValue(int i) const;
    void clear();

protected:
    std::vector<const TPropInfo*> items_;
    TObject* object_ = nullptr;
};

// The class-typed properties of an object.
class TCClassesPropInfoList : public TCPropInfoList {
public:
    explicit TCClassesPropInfoList(TObject* obj);
};

class TCCompStorage : public TComponent {
    DECLARE_CLASS(TCCompStorage)
    explicit TCCompStorage(TComponent* AOwner);
    ~TCCompStorage() override;

    // Published properties.
    String RegKey() const { return regKey_; }
    void SetRegKey(const String& v) { regKey_ = v; }
    String ValueName() const { return valueName_; }
    void SetValueName(const String& v) { valueName_ = v; }
    bool StorePosition() const { return storePosition_; }
    void SetStorePosition(bool v) { storePosition_ = v; }
    bool StoreState() const { return storeState_; }
    void SetStoreState(bool v) { storeState_ = v; }
    bool Manual() const { return manual_; }
    void SetManual(bool v) { manual_ = v; }
    TStrings* GetStoredProps() { return &storedProps_; }
    void SetStoredProps(TStrings* list) { assignPropsList(list); }
    void assignPropsList(TStrings* list);

    TComponent* RootComponent() const { return root_; }
    void SetRootComponent(TComponent* c);
    TCString getValName() const;
    // The main key's path under HKEY_CURRENT_USER.
    TCString mainKeyPath() const;

    bool store();
    bool restore();
    bool saveComponentProperty(const String& path);
    bool loadComponentProperty(const String& path);

    // Single values in the main key (each opens and closes the key).
    bool saveString(const char* text, const char* valueName);
    bool saveString(const std::u16string& text, const char* valueName);
    bool saveInt(uint32_t value, const char* valueName);
    TCString loadString(const char* valueName, const char* def);
    uint32_t loadInt(const char* valueName, uint32_t def);

    void OnFormCreate(TObject* Sender);
    void OnFormClose(TObject* Sender, TCloseAction& Action);

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void installEventHandlers();
    void removeEventHandlers();
    TCustomForm* ownerForm() const;
    bool createRegKey(bool readOnly);
    void closeRegKey();
    bool openSubKey(TCRegKey& key, const String& name, bool readOnly);
    String makeParamPrefx(int n) const;
    bool resolvePath(const String& path, TComponent*& comp, String& entry, String& prefix);
    bool storeComponentProperty(TComponent* comp, const String& entry, const String& prefix);
    bool restoreComponentProperty(TComponent* comp, const String& entry, const String& prefix);
    bool storeClassProperties(TObject* obj, const TPropInfo& p, const String& subProps, const String& valueName);
    bool restoreClassProperties(TObject* obj, const TPropInfo& p, const String& subProps, const String& valueName);
    bool storeStrings(TStrings* list, const String& subKey);
    bool restoreStrings(TStrings* list, const String& subKey);
    bool storeCollection(TCollection* c, const String& subKey, const String& subProps);
    bool restoreCollection(TCollection* c, const String& subKey, const String& subProps);
    bool storeObject(TObject* obj, const String& subKey, const String& subProps);
    bool restoreObject(TObject* obj, const String& subKey, const String& subProps);
    bool storeCopmonentPtr(TComponent* c, const String& valueName);
    TComponent* restoreCopmonentPtr(const String& valueName);
    bool storeObjectOrdProps(TCRegKey& key, const String& prefix, TObject* obj, const TStrings& names);
    bool restoreObjectOrdProps(TCRegKey& key, const String& prefix, TObject* obj, const TStrings& names);
    void mkObjectOrdPropList(TObject* obj, TStrings& list);
    // The properties stored for an object: those named, else all its ordinal ones.
    void propNamesFor(TObject* obj, const String& subProps, TStrings& names);
    void storeFormsStateAndPostion(TCustomForm* f);
    void restoreFormsStateAndPostion(TCustomForm* f);

    String regKey_ = "Software\\Zoren";
    String valueName_ = "%FORMNAME%";
    bool storePosition_ = false;
    bool storeState_ = false;
    bool manual_ = false;
    TStringList storedProps_;
    TStringList pathParts_;
    TComponent* root_ = nullptr;
    TCRegKey* key_;
    TNotifyEvent savedOnCreate_;
    TCloseEvent savedOnClose_;
};

// Disables every later restore of the process (the "-norest" switch); stores go on.
void cstNoRestoreComponens();
// Back to restoring (the state before the switch; tests).
void cstResetNoRestore();
bool cstRestoreDisabled();

// Writes and reads one simple property by kind in an open key (integers and
// characters as REG_DWORD, 64-bit integers as REG_QWORD, enumerations, sets
// and texts as REG_SZ). False for a kind that cannot be stored, a missing
// value or a value the property refuses.
bool cstStorePropValue(TCRegKey& key, const char* valueName, TObject* obj, const TPropInfo& p);
bool cstRestorePropValue(TCRegKey& key, const char* valueName, TObject* obj, const TPropInfo& p);
// True for the kinds cstStorePropValue can keep.
bool cstIsStorableKind(TTypeKind k);
