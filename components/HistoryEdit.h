// Drop-down input histories kept in the current user's registry: the record
// saying where a history lives, the history value's format shared by the
// history edits, and the history combo box.
#pragma once

#include "platform/framework/StdCtrls.h"
#include "platform/framework/TRegistry.h"

enum TRegRootKeys {
    hkCLASSES_ROOT,
    hkCURRENT_USER,
    hkLOCAL_MACHINE,
    hkUSERS,
    hkPERFORMANCE_DATA,
    hkCURRENT_CONFIG,
    hkDYN_DATA
};
extern const TEnumInfo RegRootKeysInfo;
HKEY mkRootKey(TRegRootKeys k);

class TRegistryInfo : public TPersistent {
    DECLARE_CLASS(TRegistryInfo)
    TRegistryInfo() = default;
    explicit TRegistryInfo(const String& valueName) : FValueName(valueName) {}
    TRegRootKeys RootKey() const { return FRootKey; }
    void SetRootKey(TRegRootKeys v) { FRootKey = v; }
    const String& Key() const { return FKey; }
    void SetKey(const String& v) { FKey = v; }
    const String& ValueName() const { return FValueName; }
    void SetValueName(const String& v) { FValueName = v; }
    void Assign(TPersistent* Source) override;

private:
    TRegRootKeys FRootKey = hkCURRENT_USER;
    String FKey;
    String FValueName;
};

// The history value: entries newest first, each followed by CR LF, in a
// REG_SZ value; with a current text, a second value "<name>_value".
namespace historyvalue {
// Fills an empty key with "Software\Zoren\<top-level form name>" (or
// "Software\Zoren") and an empty value name with the edit's name.
void fillDefaults(TRegistryInfo* info, const TControl* edit);
// False when the key or value name is empty or writing the history failed.
// `value` (when not null) goes to "<name>_value".
bool save(const TRegistryInfo* info, const TStrings* list, const String* value);
// `save` for an edit whose history changed (`modified`) and is not empty;
// true without writing otherwise. A written history clears `modified`; a
// failed write keeps it, so the next save tries again.
bool saveModified(const TRegistryInfo* info, const TStrings* list, const String* value, bool& modified);
// Reads the whole stored history into `list` (never cut). `value` (when not
// null) receives "<name>_value" and `valueFound` says whether it exists.
// False when the names are empty, or the key opened and the history value
// could not be read.
bool load(const TRegistryInfo* info, TStrings* list, String* value, bool* valueFound);
// Puts `text` at the head of `list`: the first entry equal to it without
// regard to case goes, and when the list then holds `maxCount` entries or
// more, the one at `maxCount` - 1 goes (one only). False, with the list
// untouched, when `maxCount` is 0 or less or the text is blank.
bool addEntry(TStrings* list, const String& text, int maxCount);
// Drops entries from the end of `list` while it holds more than `maxCount`;
// an error of the list ends the trimming.
void trimTo(TStrings* list, int maxCount);
}  // namespace historyvalue

class THistoryEdit : public TComboBox {
    DECLARE_CLASS(THistoryEdit)
    explicit THistoryEdit(TComponent* AOwner);
    ~THistoryEdit() override;

    String GetHText() const { return GetText(); }
    void SetHText(const String& v);
    bool SaveHistory() const { return FSaveHistory; }
    void SetSaveHistory(bool v);
    int MaxHistCount() const { return FMaxHistCount; }
    void SetMaxHistCount(int n);
    void setMaxHCount(int n) { FMaxHistCount = n; }
    TRegistryInfo* RegInfo() const { return FRegInfo; }
    void SetRegInfo(TRegistryInfo* v) { FRegInfo->Assign(v); }
    bool SaveValue() const { return FSaveValue; }
    void SetSaveValue(bool v) { FSaveValue = v; }
    TStrings* History() const { return FHistory; }
    const String& CurrentText() const { return FCurrent; }
    bool HistoryModified() const { return FModified; }

    void AddHistoryStr(const String& text);
    void AddHistory();
    bool Save() { return SaveEx(true); }
    bool Load() { return LoadEx(true); }
    bool SaveEx(bool withValue);
    bool LoadEx(bool withValue);
    void SetNewValueName(const String& name);
    void ClearHistory();
    virtual bool isFilled(bool showMessage, const char* fieldName);
    bool checkEmpty() { return isFilled(true, nullptr); }
    void DoEnter() override;
    void DoExit() override;

protected:
    void Change() override;

private:
    TRegistryInfo* FRegInfo;
    TStringList* FHistory;
    String FCurrent;
    bool FSaveHistory = false;
    bool FSaveValue = false;
    bool FModified = false;
    int FMaxHistCount = 20;
};
