#include "components/CompoundEdit.h"

#include "components/RegUtils.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/Translation.h"

namespace {

bool isTabSheet(const TControl* c) {
    for (const TClassInfo* ci = &c->ClassType(); ci; ci = ci->ClassParent())
        if (String(ci->ClassName()) == "TTabSheet") return true;
    return false;
}

// Byte index where the last UTF-8 character of a non-empty text starts.
size_t lastCharStart(const String& s) {
    size_t n = s.size() - 1;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    return n;
}

void dropLastChar(String& s) {
    if (!s.empty()) s.erase(lastCharStart(s));
}

bool startsWith(const String& s, const String& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }
}  // namespace

TWinControl* GetParentTabSheet(const TControl* control) {
    for (TWinControl* p = control ? control->Parent() : nullptr; p; p = p->Parent())
        if (isTabSheet(p)) return p;
    return nullptr;
}

bool checkFilled(TControl* control, const String& text, bool showMessage, const char* fieldName) {
    if (!control || !control->Visible() || !control->Enabled()) return true;
    if (!Trim(text).empty()) return true;
    if (!showMessage) return false;
    TCustomForm* form = control->ParentForm();
    if (!form || form == control) return false;
    // Every page on the way out becomes the active page of its page control.
    for (TWinControl* sheet = GetParentTabSheet(control); sheet; sheet = GetParentTabSheet(sheet)) {
        TWinControl* pages = sheet->Parent();
        try {
            if (pages && GetPropInfo(pages, "ActivePage")) SetObjectProp(pages, "ActivePage", sheet);
        } catch (const std::exception&) {}
    }
    String msg = fieldName && *fieldName ? TCString::format(tr("Поле \"%s\"").c_str(), fieldName).str()
                                         : tr("Данное поле").str();
    msg += tr(" необходимо заполнить!").str();
    MessageDlg(msg, mtError, mbSet(mbOK));
    if (auto* wc = dynamic_cast<TWinControl*>(control)) {
        try {
            form->SetActiveControl(wc);
            if (wc->CanFocus()) wc->SetFocus();
        } catch (const std::exception&) {}
    }
    return false;
}

// ---- TCompoundEdit

IMPLEMENT_CLASS(TCompoundEdit, TMaskEdit) {
    r.Integer("EditorColor", &TCompoundEdit::EditorColor, &TCompoundEdit::SetEditorColor);
}

TCompoundEdit::TCompoundEdit(TComponent* AOwner) : TMaskEdit(AOwner) {}

TCompoundEdit::~TCompoundEdit() {
    delete FCanvas;
    FCanvas = nullptr;
}

bool TCompoundEdit::setUCTextValue(const String& text) {
    SetText(text);
    return true;
}

void TCompoundEdit::SetEditRect() {
    TRect r = Rect(0, 0, ClientWidth() + 1, ClientHeight() + 1);
    TRect before = r;
    if (UpdateEditRect(r))
        SetTextMargins(std::max(0, r.Left - before.Left), std::max(0, r.Top - before.Top),
                       std::max(0, before.Right - r.Right), std::max(0, before.Bottom - r.Bottom));
}

namespace {
bool childFocused(const TWinControl* w) {
    for (int i = 0; i < w->ControlCount(); ++i)
        if (auto* c = dynamic_cast<const TWinControl*>(w->Controls(i)); c && (c->Focused() || childFocused(c)))
            return true;
    return false;
}
}  // namespace

bool TCompoundEdit::editorFocused() const { return Focused() || childFocused(this); }

bool TCompoundEdit::isFilled(bool showMessage, const char* fieldName) {
    return checkFilled(this, getTextValue(), showMessage, fieldName);
}

TCanvas* TCompoundEdit::GetFCanvas() {
    if (!FCanvas) {
        FCanvas = new TCanvas;
        TCustomForm* f = ParentForm();
        FCanvas->Font()->Assign(f ? f->Font() : Font());
    }
    return FCanvas;
}

void TCompoundEdit::ValidateError(int Pos) {
    MessageDlg(tr("Значение поля не соответствует его шаблону!").str(), mtError, mbSet(mbOK));
    if (CanFocus()) SetFocus();
    SetSelStart(Pos);
    SetSelLength(1);
}

// ---- TCPopupListBox

IMPLEMENT_CLASS(TCPopupListBox, TPopupListBox) {
    r.Integer("RowsVisible", &TCPopupListBox::RowsVisible, &TCPopupListBox::SetRowsVisible);
}

TCPopupListBox::TCPopupListBox(TComponent* AOwner) : TPopupListBox(AOwner) { SetMultiSelect(false); }

int TCPopupListBox::CalcHeight() const {
    int rows = std::max(std::min(FRowsVisible, Count()), 2);
    return rows * RowHeight();
}

void TCPopupListBox::ShowList(TPoint screen) {
    SetHeight(CalcHeight());
    PopupAt(screen);
    FSearch.clear();
}

void TCPopupListBox::HideList() { ClosePopup(); }

int TCPopupListBox::SelectNextItem(uint16_t key, TShiftState shift, bool& handled) {
    handled = false;
    int n = Count();
    if (n == 0) return -1;
    bool shown = GetDroppedDown();
    int i = ItemIndex();
    switch (key) {
    case VK_ESCAPE:
        if (shown) {
            HideList();
            handled = true;
        }
        return i;
    case VK_UP:
    case VK_DOWN:
        if (!shown && !(shift & ssCtrl)) return -1;
        if (key == VK_UP) i = i <= 0 ? n - 1 : i - 1;
        else i = i >= n - 1 ? 0 : i + 1;
        SetItemIndex(i);
        handled = true;
        return i;
    default: return -1;
    }
}

void TCPopupListBox::SelectItemBySubString(const String& lowerText) {
    for (int i = 0; i < Count(); ++i)
        if (startsWith(LowerCase(Items()->Get(i)), lowerText)) {
            SetItemIndex(i);
            return;
        }
}

bool TCPopupListBox::processKeyMessage(const TCKeyMessage& m) {
    if (!GetDroppedDown()) return false;
    switch (m.kind) {
    case TCKeyMessage::KeyDown: {
        // Ctrl+D arrives here as a key (the character form is never typed); it is
        // used up, so the edit does not take it as a deletion.
        if (m.key == 'D' && (m.shift & ssCtrl) && !(m.shift & ssAlt)) {
            processKeyMessage({TCKeyMessage::Char, 0, m.shift, 4});
            return true;
        }
        bool handled = false;
        SelectNextItem(m.key, m.shift, handled);
        return handled;
    }
    case TCKeyMessage::KeyUp: return true;
    case TCKeyMessage::Char:
        if (m.ch == U'\r') {
            doOK();
            return true;
        }
        if (m.ch == 27) {
            doCancel();
            return true;
        }
        if (m.ch == 4) Items()->Clear();
        return false;
    }
    return false;
}

void TCPopupListBox::PopupPressOutside(TControl* target) {
    // The drop-down button toggles the list itself.
    if (auto* edit = dynamic_cast<TCompoundHistoryEdit*>(Owner()); edit && target == edit->Button()) return;
    doCancel();
}

void TCPopupListBox::PopupMouseRow(int row, bool released) {
    SetItemIndex(row);
    if (released) doOK();
}

// ---- TCComboEditListBox

IMPLEMENT_CLASS(TCComboEditListBox, TCPopupListBox) {}

TCComboEditListBox::TCComboEditListBox(TComponent* AOwner, TCompoundHistoryEdit* edit)
    : TCPopupListBox(AOwner), FEdit(edit) {}

void TCComboEditListBox::doOK() {
    if (FEdit) FEdit->getLBItem();
    else HideList();
}

bool TCComboEditListBox::processKeyMessage(const TCKeyMessage& m) {
    if (!GetDroppedDown()) return false;
    if (m.kind == TCKeyMessage::Char) {
        if (m.ch == 8) {
            if (!FSearch.empty()) dropLastChar(FSearch);
            if (FEdit && FEdit->ReadOnly()) {
                FEdit->SetText(FSearch);
                FEdit->SetSelStart(Utf8Length(FSearch));
            }
            return true;
        }
        if (m.ch >= 32) {
            zrx_utf8::append(FSearch, m.ch);
            SelectItemBySubString(LowerCase(FSearch));
            if (FEdit && FEdit->ReadOnly()) {
                FEdit->SetText(FSearch);
                FEdit->SetSelStart(Utf8Length(FSearch));
            }
        }
    }
    return TCPopupListBox::processKeyMessage(m);
}

// ---- TCompoundHistoryEdit

IMPLEMENT_CLASS(TCompoundHistoryEdit, TCompoundEdit) {
    r.Integer("RowsVisible", &TCompoundHistoryEdit::RowsVisible, &TCompoundHistoryEdit::SetRowsVisible);
    r.Object<TStrings>("Items", &TCompoundHistoryEdit::Items, &TCompoundHistoryEdit::SetItems);
    r.Integer("ItemIndex", &TCompoundHistoryEdit::ItemIndex, &TCompoundHistoryEdit::SetItemIndex);
    r.Boolean("LoadOnFocus", &TCompoundHistoryEdit::LoadOnFocus, &TCompoundHistoryEdit::SetLoadOnFocus);
    r.Boolean("SaveHistory", &TCompoundHistoryEdit::SaveHistory, &TCompoundHistoryEdit::SetSaveHistory);
    r.Integer("MaxHistCount", &TCompoundHistoryEdit::MaxHistCount, &TCompoundHistoryEdit::SetMaxHistCount);
    r.Object<TRegistryInfo>("RegInfo", &TCompoundHistoryEdit::RegInfo, &TCompoundHistoryEdit::SetRegInfo);
    r.Boolean("SaveValue", &TCompoundHistoryEdit::SaveValue, &TCompoundHistoryEdit::SetSaveValue);
    r.Boolean("ButtonVisible", &TCompoundHistoryEdit::GetButtonVisible, &TCompoundHistoryEdit::SetButtonVisible);
    r.Boolean("NoDrop", &TCompoundHistoryEdit::NoDrop, &TCompoundHistoryEdit::SetNoDrop);
    r.Boolean("TextAsHint", &TCompoundHistoryEdit::TextAsHint, &TCompoundHistoryEdit::SetTextAsHint);
}

TCompoundHistoryEdit::TCompoundHistoryEdit(TComponent* AOwner)
    : TCompoundEdit(AOwner), FButton(nullptr), FList(nullptr), FRegInfo(new TRegistryInfo) {
    FButton = new TButton(this);
    FButton->SetName("FButton");
    FButton->SetParent(this);
    FButton->SetTabStop(false);
    FButton->SetWidth(16);
    FButton->SetAlign(alRight);
    FButton->SetCaption("\xE2\x96\xBE");  // a small downward triangle
    FButton->OnClick = [this](TObject*) { BtnClick(); };
    FList = new TCComboEditListBox(this, this);
    FList->SetWidth(Width());
    SetEditRect();
}

TCompoundHistoryEdit::~TCompoundHistoryEdit() {
    FSaveValue = false;
    try {
        AddHistory();
    } catch (const std::exception&) {}
    if (FList) FList->HideList();
    delete FRegInfo;
    FRegInfo = nullptr;
}

bool TCompoundHistoryEdit::UpdateEditRect(TRect& rect) {
    if (GetButtonVisible()) rect.Right = ClientWidth() - FButton->Width() - 1;
    return true;
}

bool TCompoundHistoryEdit::setUCTextValue(const String& text) {
    if (IsMasked() && !text.empty()) SetEditText(text);
    else SetText(text);
    return true;
}

String TCompoundHistoryEdit::getUCTextValue() const {
    if (!IsMasked()) return Trim(GetText());
    String t = Trim(EditText());
    if (usesBlankSymbol(U'_') && t.find('_') != String::npos) return String();
    return t;
}

bool TCompoundHistoryEdit::usesBlankSymbol(char32_t c) const {
    const String m = EditMask();
    if (m.empty()) return c == 0;
    size_t i = lastCharStart(m);
    return zrx_utf8::decode(m, i) == c;
}

void TCompoundHistoryEdit::getLBItemText(int index) {
    if (index < 0 || index >= Items()->Count()) return;
    setUCTextValue(Items()->Get(index));
    SelectAll();
}

bool TCompoundHistoryEdit::GetButtonVisible() const { return FButton && FButton->Visible(); }

void TCompoundHistoryEdit::SetButtonVisible(bool v) {
    if (!FButton) return;
    FButton->SetVisible(v);
    SetEditRect();
}

void TCompoundHistoryEdit::SetTextAsHint(bool v) {
    FTextAsHint = v;
    if (v) {
        SetShowHint(true);
        String cur = getUCTextValue();
        if (!cur.empty()) SetHint(cur);
    }
}

void TCompoundHistoryEdit::BtnClick() {
    if (GetDroppedDown()) {
        FList->HideList();
    } else {
        String t = Trim(GetText());
        int sel = -1;
        for (int i = 0; i < Items()->Count(); ++i)
            if (CompareText(Items()->Get(i), t) == 0) {
                sel = i;
                break;
            }
        FList->SetItemIndex(sel);
        FList->SetWidth(Width());
        FList->ShowList(ClientToScreen(Point(0, Height())));
    }
    if (CanFocus()) SetFocus();
}

void TCompoundHistoryEdit::SetDroppedDown(bool on) {
    if (on == GetDroppedDown() || FNoDrop) return;
    if (on) BtnClick();
    else FList->HideList();
}

void TCompoundHistoryEdit::getLBItem() {
    getLBItemText(FList->ItemIndex());
    FList->HideList();
}

void TCompoundHistoryEdit::AddHistoryStr(const String& text) {
    if (GetDroppedDown()) return;
    FCurrent = text;
    AddHistory();
}

void TCompoundHistoryEdit::AddHistory() {
    if (!Parent()) return;
    try {
        if (!historyvalue::addEntry(Items(), FCurrent, FMaxHistCount)) return;
    } catch (const std::exception&) {
        return;
    }
    FModified = true;
    Save();
}

void TCompoundHistoryEdit::SetMaxHistCount(int n) {
    if (n == FMaxHistCount) return;
    FMaxHistCount = n;
    historyvalue::trimTo(Items(), n);
}

void TCompoundHistoryEdit::SetSaveHistory(bool v) {
    if (v == FSaveHistory) return;
    FSaveHistory = v;
    SetButtonVisible(v);
    if (v) historyvalue::fillDefaults(FRegInfo, this);
}

void TCompoundHistoryEdit::setRegParams(const String& key, const String& valueName, bool load) {
    SetSaveHistory(true);
    FRegInfo->SetKey(key);
    FRegInfo->SetValueName(valueName);
    if (load) Load();
}

void TCompoundHistoryEdit::SetNewValueName(const String& name) {
    if (!FSaveHistory || name == FRegInfo->ValueName()) return;
    FRegInfo->SetValueName(name);
    ClearHistory();
    Load();
}

void TCompoundHistoryEdit::ClearHistory() { Items()->Clear(); }

bool TCompoundHistoryEdit::Save() {
    if (IsDesigning() || !FSaveHistory) return true;
    return historyvalue::saveModified(FRegInfo, Items(), FSaveValue ? &FCurrent : nullptr, FModified);
}

bool TCompoundHistoryEdit::Load() {
    if (IsDesigning() || !FSaveHistory) return true;
    if (Items()->Count() > 0 && !FLoadOnFocus) return true;
    if (FRegInfo->Key().empty() || FRegInfo->ValueName().empty()) return false;
    TStringList list;
    String value;
    bool found = false;
    bool ok = historyvalue::load(FRegInfo, &list, FSaveValue ? &value : nullptr, &found);
    if (ok) {
        try {
            int sel = FList->ItemIndex();
            Items()->Assign(&list);
            FList->SetItemIndex(sel);
        } catch (const std::exception&) {}
    }
    // A missing stored value leaves the text alone.
    if (found) SetText(value);
    return ok;
}

void TCompoundHistoryEdit::Change() {
    if (IsDestroying()) return;
    // A text equal to the edit's name is the user's: there is no form designer here.
    FCurrent = getTextValue();
    if (GetDroppedDown() && !ReadOnly()) FList->SelectItemBySubString(LowerCase(Trim(GetText())));
    TCompoundEdit::Change();
    if (FTextAsHint && Hint().empty()) SetHint(getUCTextValue());
}

void TCompoundHistoryEdit::Resize() {
    TCompoundEdit::Resize();
    if (FList) FList->SetWidth(Width());
    SetEditRect();
}

void TCompoundHistoryEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (GetDroppedDown()) {
        if (Key == VK_RETURN) {
            // Enter takes the selected row here, before any default button sees it.
            if (FList->processKeyMessage({TCKeyMessage::Char, 0, Shift, U'\r'})) {
                Key = 0;
                return;
            }
        }
        if (FList->processKeyMessage({TCKeyMessage::KeyDown, Key, Shift, 0})) {
            Key = 0;
            return;
        }
        TCompoundEdit::KeyDown(Key, Shift);
        return;
    }
    if (Key == VK_RETURN) {
        TCustomForm* f = ParentForm();
        // A dialog's default button keeps Enter.
        if (f && f->DefaultButton()) {
            TCompoundEdit::KeyDown(Key, Shift);
            return;
        }
        TWinControl* p = Parent();
        if (p && p->ControlCount() > 1) {
            int n = p->ControlCount(), me = -1;
            for (int i = 0; i < n; ++i)
                if (p->Controls(i) == this) me = i;
            if (me >= 0)
                if (auto* next = dynamic_cast<TWinControl*>(p->Controls((me + 1) % n)))
                    if (next->CanFocus()) next->SetFocus();
        }
        Key = 0;
        return;
    }
    bool handled = false;
    int idx = FList->SelectNextItem(Key, Shift, handled);
    if (idx >= 0) getLBItemText(idx);
    if (handled) {
        Key = 0;
        return;
    }
    TCompoundEdit::KeyDown(Key, Shift);
}

void TCompoundHistoryEdit::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (GetDroppedDown() && FList->processKeyMessage({TCKeyMessage::KeyUp, Key, Shift, 0})) {
        Key = 0;
        return;
    }
    TCompoundEdit::KeyUp(Key, Shift);
}

void TCompoundHistoryEdit::KeyPress(char32_t& Key) {
    if (GetDroppedDown() && FList->processKeyMessage({TCKeyMessage::Char, 0, 0, Key})) {
        Key = 0;
        return;
    }
    TCompoundEdit::KeyPress(Key);
}

void TCompoundHistoryEdit::DoEnter() {
    Load();
    TCompoundEdit::DoEnter();
    if (ReadOnly()) SetDroppedDown(true);
}

void TCompoundHistoryEdit::DoExit() {
    AddHistory();
    try {
        TCompoundEdit::DoExit();
    } catch (...) {
        FList->HideList();
        throw;
    }
    FList->HideList();
}
