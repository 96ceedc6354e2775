#include "components/HistoryEdit.h"

#include "components/CompoundEdit.h"
#include "components/RegUtils.h"
#include "platform/framework/Forms.h"

const TEnumInfo RegRootKeysInfo{"TRegRootKeys",
                                {"hkCLASSES_ROOT", "hkCURRENT_USER", "hkLOCAL_MACHINE", "hkUSERS", "hkPERFORMANCE_DATA",
                                 "hkCURRENT_CONFIG", "hkDYN_DATA"}};

HKEY mkRootKey(TRegRootKeys k) { return HKEY(0x80000000u + uint32_t(k)); }

IMPLEMENT_CLASS(TRegistryInfo, TPersistent) {
    r.Enum("RootKey", RegRootKeysInfo, &TRegistryInfo::RootKey, &TRegistryInfo::SetRootKey);
    r.Str("Key", &TRegistryInfo::Key, &TRegistryInfo::SetKey);
    r.Str("ValueName", &TRegistryInfo::ValueName, &TRegistryInfo::SetValueName);
}

void TRegistryInfo::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TRegistryInfo*>(Source)) {
        FRootKey = s->FRootKey;
        FKey = s->FKey;
        FValueName = s->FValueName;
        return;
    }
    TPersistent::Assign(Source);
}

namespace historyvalue {

void fillDefaults(TRegistryInfo* info, const TControl* edit) {
    if (!info || !edit) return;
    if (info->Key().empty()) {
        // The top-level form that holds the edit (its owner when it has no parent yet).
        const TControl* top = edit;
        while (top->Parent()) top = top->Parent();
        const TComponent* form = top != edit && top->InheritsFrom(TCustomForm::StaticClass()) ? top : nullptr;
        if (!form)
            for (const TComponent* o = edit->Owner(); o; o = o->Owner())
                if (o->InheritsFrom(TCustomForm::StaticClass())) {
                    form = o;
                    break;
                }
        info->SetKey(form && !form->Name().empty() ? "Software\\Zoren\\" + form->Name() : String("Software\\Zoren"));
    }
    if (info->ValueName().empty()) info->SetValueName(edit->Name());
}

bool save(const TRegistryInfo* info, const TStrings* list, const String* value) {
    if (!info || info->Key().empty() || info->ValueName().empty()) return false;
    try {
        TRegistry reg;
        reg.SetRootKey(mkRootKey(info->RootKey()));
        if (!reg.OpenKey(info->Key(), true)) return false;
        bool ok = regWriteString(&reg, info->ValueName().c_str(), list->Text().c_str()) == 0;
        if (value) regWriteString(&reg, (info->ValueName() + "_value").c_str(), value->c_str());
        reg.CloseKey();
        return ok;
    } catch (const std::exception&) {
        return false;
    }
}

bool saveModified(const TRegistryInfo* info, const TStrings* list, const String* value, bool& modified) {
    if (list->Count() == 0 || !modified) return true;
    bool ok = save(info, list, value);
    if (ok) modified = false;
    return ok;
}

bool load(const TRegistryInfo* info, TStrings* list, String* value, bool* valueFound) {
    if (valueFound) *valueFound = false;
    if (!info || info->Key().empty() || info->ValueName().empty()) return false;
    try {
        TRegistry reg(KEY_READ);
        reg.SetRootKey(mkRootKey(info->RootKey()));
        if (!reg.OpenKeyReadOnly(info->Key())) return true;
        std::string text;
        bool ok = regReadString(&reg, info->ValueName().c_str(), text, "") == 0;
        if (ok) {
            try {
                list->SetText(text);
            } catch (const std::exception&) {}
        }
        if (value) {
            std::string v;
            if (regReadString(&reg, (info->ValueName() + "_value").c_str(), v, nullptr) == 0) {
                *value = v;
                if (valueFound) *valueFound = true;
            }
        }
        reg.CloseKey();
        return ok;
    } catch (const std::exception&) {
        return false;
    }
}

bool addEntry(TStrings* list, const String& text, int maxCount) {
    // A blank text never enters the history.
    if (maxCount <= 0 || Trim(text).empty()) return false;
    for (int i = 0; i < list->Count(); ++i)
        if (CompareText(list->Get(i), text) == 0) {
            list->Delete(i);
            break;
        }
    if (list->Count() >= maxCount) list->Delete(maxCount - 1);
    list->Insert(0, text);
    return true;
}

void trimTo(TStrings* list, int maxCount) {
    try {
        while (list->Count() > std::max(maxCount, 0)) list->Delete(list->Count() - 1);
    } catch (const std::exception&) {}
}

}  // namespace historyvalue

// ---- THistoryEdit

IMPLEMENT_CLASS(THistoryEdit, TComboBox) {
    r.Str("HText", &THistoryEdit::GetHText, &THistoryEdit::SetHText);
    r.Boolean("SaveHistory", &THistoryEdit::SaveHistory, &THistoryEdit::SetSaveHistory);
    r.Integer("MaxHistCount", &THistoryEdit::MaxHistCount, &THistoryEdit::SetMaxHistCount);
    r.Object<TRegistryInfo>("RegInfo", &THistoryEdit::RegInfo, &THistoryEdit::SetRegInfo);
    r.Boolean("SaveValue", &THistoryEdit::SaveValue, &THistoryEdit::SetSaveValue);
}

THistoryEdit::THistoryEdit(TComponent* AOwner)
    : TComboBox(AOwner), FRegInfo(new TRegistryInfo), FHistory(new TStringList) {}

THistoryEdit::~THistoryEdit() {
    // The last typed text is kept once more, without the current text.
    FSaveValue = false;
    try {
        AddHistory();
    } catch (const std::exception&) {}
    delete FRegInfo;
    delete FHistory;
}

void THistoryEdit::SetHText(const String& v) {
    SetText(v);
    AddHistoryStr(v);
}

void THistoryEdit::AddHistoryStr(const String& text) {
    FCurrent = text;
    AddHistory();
}

void THistoryEdit::AddHistory() {
    if (!historyvalue::addEntry(FHistory, FCurrent, FMaxHistCount)) return;
    FModified = true;
    Save();
}

void THistoryEdit::SetSaveHistory(bool v) {
    FSaveHistory = v;
    if (v) historyvalue::fillDefaults(FRegInfo, this);
}

void THistoryEdit::SetMaxHistCount(int n) {
    if (n == FMaxHistCount) return;
    FMaxHistCount = n;
    historyvalue::trimTo(Items(), n);
}

bool THistoryEdit::SaveEx(bool withValue) {
    if (IsDesigning() || !FSaveHistory) return true;
    return historyvalue::saveModified(FRegInfo, FHistory, FSaveValue && withValue ? &FCurrent : nullptr, FModified);
}

bool THistoryEdit::LoadEx(bool withValue) {
    if (IsDesigning() || !FSaveHistory) return true;
    if (FRegInfo->Key().empty() || FRegInfo->ValueName().empty()) return false;
    String value;
    bool found = false;
    bool ok = historyvalue::load(FRegInfo, FHistory, FSaveValue && withValue ? &value : nullptr, &found);
    String text = GetText();
    try {
        Items()->Assign(FHistory);
    } catch (const std::exception&) {}
    // A missing stored value leaves the text alone.
    if (found) text = value;
    if (GetText() != text) SetText(text);
    return ok;
}

void THistoryEdit::SetNewValueName(const String& name) {
    if (!FSaveHistory || name == FRegInfo->ValueName()) return;
    FRegInfo->SetValueName(name);
    ClearHistory();
    Load();
}

void THistoryEdit::ClearHistory() {
    String text = GetText();
    Items()->Clear();
    FHistory->Clear();
    if (GetText() != text) SetText(text);
}

bool THistoryEdit::isFilled(bool showMessage, const char* fieldName) {
    return checkFilled(this, GetText(), showMessage, fieldName);
}

void THistoryEdit::DoEnter() {
    Load();
    TComboBox::DoEnter();
}

void THistoryEdit::Change() {
    // What the user typed or chose is the text the history takes, trimmed.
    FCurrent = Trim(GetText());
    if (DroppedDown()) SetDroppedDown(false);
    TComboBox::Change();
}

void THistoryEdit::DoExit() {
    AddHistory();
    TComboBox::DoExit();
}
