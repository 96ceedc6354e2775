#include "components/CFlagsBox.h"

#include <cinttypes>
#include <cstdio>

#include "platform/framework/Forms.h"

const TEnumInfo CheckListTypeInfo{"TCCheckListType", {"clsCheckboxes", "clsSingleSelection"}};

// ---- item helpers

bool fbxParseValue(const String& text, uint64_t& value) {
    String t = Trim(text);
    bool neg = false;
    size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) neg = t[i++] == '-';
    int base = 10;
    if (t.compare(i, 2, "0x") == 0 || t.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    } else if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    }
    if (i >= t.size()) return false;
    uint64_t v = 0;
    for (; i < t.size(); ++i) {
        char c = t[i];
        int d = c >= '0' && c <= '9'                 ? c - '0'
                : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
        if (d < 0) return false;
        if (v > (UINT64_MAX - uint64_t(d)) / uint64_t(base)) return false;  // overflow
        v = v * uint64_t(base) + uint64_t(d);
    }
    value = neg ? uint64_t(0) - v : v;
    return true;
}

String fbxValueText(uint64_t value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%04" PRIX64, value);
    return buf;
}

uint32_t fbxGetItemFlags(const TListItem* item) {
    return item ? uint32_t(reinterpret_cast<uintptr_t>(item->Data())) : 0;
}

void fbxSetItemFlags(TListItem* item, uint32_t mask, bool on) {
    if (!item) return;
    uint32_t f = fbxGetItemFlags(item);
    f = on ? f | mask : f & ~mask;
    item->SetData(reinterpret_cast<void*>(uintptr_t(f)));
}

void fbxSetSbItemValue(TListItem* item, const String& text, int index) {
    if (!item || index < 0) return;
    TStrings* s = item->SubItems();
    while (s->Count() <= index) s->Add(String());
    s->Put(index, text);
}

void fbxSetSbItemValue(TListItem* item, uint64_t value, int index) {
    fbxSetSbItemValue(item, fbxValueText(value), index);
}

uint64_t fbxGetSbItemValue(const TListItem* item, int index) {
    if (!item || index < 0 || index >= item->SubItems()->Count()) return 0;
    uint64_t v = 0;
    return fbxParseValue(item->SubItems()->Get(index), v) ? v : 0;
}

// ---- TCCheckListView

IMPLEMENT_CLASS(TCCheckListView, TListView) {}

TCCheckListView::TCCheckListView(TComponent* AOwner, TCFlagsBox* box)
    : TListView(AOwner), FBox(box), FPopup(nullptr), FValuesColumn(nullptr) {
    SetMultiSelect(false);
    SetReadOnly(true);
    SetCheckboxes(true);
    SetViewStyle(vsReport);
    SetShowColumnHeaders(false);
    SetShowHint(true);
    TListColumn* caption = Columns()->Add();
    caption->SetAutoSize(true);
    FValuesColumn = Columns()->Add();
    FValuesColumn->SetWidth(0);
    SetHideSelection(false);
    SetRowSelect(true);
    SetBorderNone(true);
    SetTabStop(false);
    SetName("FlagsBox");
    OnCompare = [this](TObject*, TListItem* a, TListItem* b, int, int& c) { c = LVCompare(a, b); };
    SetSortType(stData);
    FPopup = new TPopupWindow(this);
    // The drop-down button toggles the list itself.
    auto outside = [this](TControl* target) {
        if (FBox && target == FBox->Button()) return;
        HideList();
    };
    FPopup->OnPressOutside = outside;
    FPopup->OnReleaseOutside = outside;
    FPopup->OnDeactivate = [this] { HideList(); };
}

TCCheckListView::~TCCheckListView() {
    delete FPopup;
    FPopup = nullptr;
}

int TCCheckListView::LVCompare(TListItem* a, TListItem* b) const {
    switch (SortType()) {
    case stData: {
        uint64_t x = GetItemValue(a), y = GetItemValue(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    case stText:
    case stBoth: return CompareText(a->Caption(), b->Caption());
    default: return 0;
    }
}

TListItem* TCCheckListView::ItemByValue(uint64_t value) const {
    String t = fbxValueText(value);
    for (int i = 0; i < Items()->Count(); ++i) {
        TListItem* it = Items()->Item(i);
        if (it->SubItems()->Count() > 0 && it->SubItems()->Get(0) == t) return it;
    }
    return nullptr;
}

TListItem* TCCheckListView::ItemByCaption(const String& text) const {
    return FindCaption(-1, text, false, true, false);
}

bool TCCheckListView::ItemEnabled(const TListItem* item) const { return !(fbxGetItemFlags(item) & fbxDisabled); }

TListItem* TCCheckListView::AddItem(const String& caption, uint64_t value, bool enabled) {
    TListItem* it = ItemByValue(value);
    Items()->BeginUpdate();
    if (!it) it = Items()->Add();
    it->SetData(reinterpret_cast<void*>(uintptr_t(enabled ? 0 : fbxDisabled)));
    fbxSetSbItemValue(it, value, 0);
    it->SetCaption(caption);
    Items()->EndUpdate();
    return it;
}

void TCCheckListView::AssignItems(const TStrings* lines) {
    Items()->BeginUpdate();
    Items()->Clear();
    for (int i = 0; i < lines->Count(); ++i) {
        TStringList fields;
        fields.SetCommaText(lines->Get(i));
        if (fields.Count() < 2) continue;
        TListItem* it = Items()->Add();
        it->SetCaption(fields.Get(0));
        fbxSetSbItemValue(it, fields.Get(1), 0);
    }
    Items()->EndUpdate();
    FRowsVisible = lines->Count();
}

void TCCheckListView::checkItem(TListItem* item, bool on) {
    if (!item || item->Checked() == on) return;
    ++FByCode;
    item->SetChecked(on);
    --FByCode;
    if (item->Checked() != on) return;
    if (FBox && FBox->OnItemChecked) FBox->OnItemChecked(FBox, item, GetItemValue(item));
}

void TCCheckListView::ClearChecked() {
    for (int i = 0; i < Items()->Count(); ++i) checkItem(Items()->Item(i), false);
}

void TCCheckListView::ExcludeOther(TListItem* item) {
    uint64_t mask = GetItemExcluded(item);
    if (!mask) return;
    for (int i = 0; i < Items()->Count(); ++i) {
        TListItem* o = Items()->Item(i);
        uint64_t v = GetItemValue(o);
        if (o != item && (v & mask) == v) checkItem(o, false);
    }
}

void TCCheckListView::SetChecked(uint64_t value) {
    if (FListType == clsCheckboxes) {
        // An item is ticked when all its bits are in the value, so a
        // multi-bit item beside its single bits does not widen the value.
        for (int i = 0; i < Items()->Count(); ++i) {
            TListItem* it = Items()->Item(i);
            uint64_t v = GetItemValue(it);
            checkItem(it, v != 0 && (v & value) == v);
        }
        return;
    }
    for (int i = 0; i < Items()->Count(); ++i) {
        TListItem* it = Items()->Item(i);
        if (!it->Checked() && GetItemValue(it) == value) {
            tickAlone(it);
            return;
        }
    }
}

uint64_t TCCheckListView::GetChecked() const {
    uint64_t v = 0;
    for (int i = 0; i < Items()->Count(); ++i) {
        TListItem* it = Items()->Item(i);
        if (!it->Checked()) continue;
        if (FListType == clsSingleSelection) return GetItemValue(it);
        v |= GetItemValue(it);
    }
    return v;
}

void TCCheckListView::tickAlone(TListItem* item) {
    for (int i = 0; i < Items()->Count(); ++i)
        if (Items()->Item(i) != item) checkItem(Items()->Item(i), false);
    checkItem(item, true);
}

void TCCheckListView::EnableItem(uint64_t value, bool enable) {
    if (TListItem* it = ItemByValue(value)) {
        fbxSetItemFlags(it, fbxDisabled, !enable);
        Invalidate();
    }
}

void TCCheckListView::EnableItems(uint64_t mask, bool enable) {
    if (FListType != clsCheckboxes) return;
    for (int i = 0; i < Items()->Count(); ++i) {
        TListItem* it = Items()->Item(i);
        uint64_t v = GetItemValue(it);
        if (v != 0 && (v & mask) == v) fbxSetItemFlags(it, fbxDisabled, !enable);
    }
    Invalidate();
}

void TCCheckListView::SetDisabledMask(uint64_t mask) {
    for (int i = 0; i < Items()->Count(); ++i) {
        TListItem* it = Items()->Item(i);
        uint64_t v = GetItemValue(it);
        fbxSetItemFlags(it, fbxDisabled, v != 0 && (v & mask) == v);
    }
    Invalidate();
}

uint64_t TCCheckListView::GetValueAt(int index) const { return GetItemValue(Items()->Item(index)); }
uint64_t TCCheckListView::GetItemExcludedAt(int index) const { return GetItemExcluded(Items()->Item(index)); }
void TCCheckListView::SetExcludedAt(int index, uint64_t mask) {
    if (TListItem* it = Items()->Item(index)) SetItemExcluded(it, mask);
}

void TCCheckListView::SetType(TCCheckListType t) {
    if (t == FListType) return;
    ClearChecked();
    FListType = t;
}

int TCCheckListView::CalcHeight() const {
    int rows = std::max(std::min(FRowsVisible, Items()->Count()), 3);
    TCanvas c;
    c.Font()->Assign(Font());
    return (c.TextHeight("Йу") + 6) * rows;
}

void TCCheckListView::SetValuesVisible(bool v) {
    FValuesVisible = v;
    SetGridLines(v);
    FValuesColumn->SetAutoSize(v);
    if (!v) FValuesColumn->SetWidth(0);
}

void TCCheckListView::SetupView() {
    SetHeight(CalcHeight());
    if (FBox) SetWidth(FBox->Width() - 1);
    SetValuesVisible(FValuesVisible);
}

void TCCheckListView::ShowList(TPoint screen) {
    FAllowed = nullptr;
    if (FBox) fire(FBox->OnListShow, FBox);
    if (FListType == clsSingleSelection && Items()->Count() > 0 && !Selected()) {
        TListItem* cur = FBox ? ItemByValue(FBox->GetChecked()) : nullptr;
        if (cur) {
            SetSelected(cur);
            checkItem(cur, true);
        } else if (Items()->Count() > 1) {
            SetSelected(Items()->Item(1));
        }
    }
    if (TListItem* s = Selected()) s->SetFocused(true);
    FPopup->Show(screen);
    if (FBox) FBox->Invalidate();
    FDropped = true;
}

void TCCheckListView::HideList() {
    if (!FDropped && !FPopup->Shown()) return;
    FPopup->Hide();
    FDropped = false;
    if (FBox) {
        FBox->UpdateText();
        fire(FBox->OnListHide, FBox);
    }
}

bool TCCheckListView::CanChange(TListItem* Item, TItemChange Change) {
    if (!TListView::CanChange(Item, Change)) return false;
    if (Change != ctState) return true;
    // The user cannot change a disabled item's tick; the program can.
    if (!FByCode && !ItemEnabled(Item)) return false;
    FAllowed = Item;
    if (FBox && FDropped) FBox->UpdateText();
    return true;
}

void TCCheckListView::toggle(TListItem* item) {
    bool on = !item->Checked();
    checkItem(item, on);
    if (on && item->Checked()) ExcludeOther(item);
}

void TCCheckListView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FSkipClick = false;
    TListView::MouseDown(Button, Shift, X, Y);
}

void TCCheckListView::CheckBoxPressed(TListItem* Item) {
    SetSelected(Item);
    Item->SetFocused(true);
    // The click that follows this press must not change the tick again.
    FSkipClick = true;
    if (!ItemEnabled(Item)) return;
    if (FListType == clsSingleSelection) {
        tickAlone(Item);
        if (FBox && FBox->HideListOnSelect()) {
            HideList();
            return;
        }
    } else {
        toggle(Item);
    }
    if (FBox) FBox->UpdateText();
}

void TCCheckListView::Click() {
    TListView::Click();
    if (FSkipClick) {
        FSkipClick = false;
        return;
    }
    LVClick();
}

void TCCheckListView::LVClick() {
    if (FListType == clsSingleSelection) {
        TListItem* it = FAllowed ? FAllowed : Selected();
        if (it && ItemEnabled(it)) {
            tickAlone(it);
            if (FBox && FBox->HideListOnSelect()) {
                HideList();
                return;
            }
        }
    } else if (TListItem* it = Selected(); it && ItemEnabled(it)) {
        toggle(it);
    }
    if (FBox) FBox->UpdateText();
}

void TCCheckListView::MouseMove(TShiftState Shift, int X, int Y) {
    TListView::MouseMove(Shift, X, Y);
    if (!FBox) return;
    if (TListItem* it = GetItemAt(X, Y)) FBox->SetHint(it->Caption());
}

bool TCCheckListView::CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) {
    if (!ItemEnabled(Item)) Canvas()->Font()->SetColor(clGrayText);
    return TListView::CustomDrawItem(Item, State, Stage);
}

bool TCCheckListView::ForwardKey(const TCKeyMessage& m) {
    if (!FDropped) return false;
    switch (m.kind) {
    case TCKeyMessage::KeyDown:
        // Space acts as a character (below); its key-down is left alone.
        if (m.key == VK_UP || m.key == VK_DOWN || m.key == VK_HOME || m.key == VK_END || m.key == VK_PRIOR ||
            m.key == VK_NEXT) {
            int n = Items()->Count();
            if (n == 0) return true;
            int r = FocusedRow();
            switch (m.key) {
            case VK_UP: r = r <= 0 ? 0 : r - 1; break;
            case VK_DOWN: r = r < 0 ? 0 : std::min(r + 1, n - 1); break;
            case VK_HOME: r = 0; break;
            case VK_END: r = n - 1; break;
            case VK_PRIOR: r = std::max(0, r - std::max(1, FRowsVisible)); break;
            default: r = std::min(n - 1, std::max(r, 0) + std::max(1, FRowsVisible)); break;
            }
            SetItemIndex(r);
            Items()->Item(r)->MakeVisible(false);
            return true;
        }
        return false;
    case TCKeyMessage::KeyUp:
        if (m.key == VK_ESCAPE) {
            HideList();
            return true;
        }
        return m.key == VK_SPACE;
    case TCKeyMessage::Char:
        if (m.ch == U' ') {
            LVClick();
            return true;
        }
        if (m.ch == 27) {
            HideList();
            return true;
        }
        return false;
    }
    return false;
}

// ---- TCFlagsBox

IMPLEMENT_CLASS(TCFlagsBox, TCompoundEdit) {
    r.Int64(
        "Checked", [](TCFlagsBox* b) { return int64_t(b->GetChecked()); },
        [](TCFlagsBox* b, int64_t v) { b->SetChecked(uint64_t(v)); });
    r.Int64(
        "DisabledItems", [](TCFlagsBox* b) { return int64_t(b->DisabledItems()); },
        [](TCFlagsBox* b, int64_t v) { b->SetDisabledItems(uint64_t(v)); });
    r.Enum("ListType", CheckListTypeInfo, &TCFlagsBox::ListType, &TCFlagsBox::SetListType);
    r.Object<TListItems>("Items", &TCFlagsBox::Items, &TCFlagsBox::SetItems);
    r.Integer("RowsVisible", &TCFlagsBox::RowsVisible, &TCFlagsBox::SetRowsVisible);
    r.Boolean("ValuesVisible", &TCFlagsBox::ValuesVisible, &TCFlagsBox::SetValuesVisible);
    r.Boolean("FlatScrollBars", &TCFlagsBox::FlatScrollBars, &TCFlagsBox::SetFlatScrollBars);
    r.Enum("SortType", SortTypeInfo, &TCFlagsBox::SortType, &TCFlagsBox::SetSortType);
    r.Boolean("HideListOnSelect", &TCFlagsBox::HideListOnSelect, &TCFlagsBox::SetHideListOnSelect);
    r.Integer("ColorFocus", &TCFlagsBox::ColorFocus, &TCFlagsBox::SetColorFocus);
    r.Integer("ColorNoFocus", &TCFlagsBox::ColorNoFocus, &TCFlagsBox::SetColorNoFocus);
}

TCFlagsBox::TCFlagsBox(TComponent* AOwner) : TCompoundEdit(AOwner), FList(nullptr), FButton(nullptr) {
    SetReadOnly(true);
    SetWidth(130);
    FButton = new TButton(this);
    FButton->SetName("FButton");
    FButton->SetParent(this);
    FButton->SetAlign(alRight);
    FButton->SetWidth(18);
    FButton->SetTabStop(false);
    FButton->SetDefault(false);
    FButton->SetCaption("\xE2\x98\x91");  // a ticked box
    FButton->OnClick = [this](TObject*) { BtnClick(); };
    FList = new TCCheckListView(this, this);
    SetEditRect();
}

TCFlagsBox::~TCFlagsBox() {
    if (FList) FList->HideList();
}

void TCFlagsBox::SetParent(TWinControl* p) {
    TCompoundEdit::SetParent(p);
    if (!p) return;
    if (TCustomForm* f = ParentForm()) {
        TCanvas c;
        c.Font()->Assign(f->Font());
        FButton->SetWidth(c.TextWidth(FButton->Caption()) + 8);
    }
    SetEditRect();
}

bool TCFlagsBox::UpdateEditRect(TRect& rect) {
    rect.Right = ClientWidth() - FButton->Width() - 1;
    return true;
}

void TCFlagsBox::Resize() {
    TCompoundEdit::Resize();
    if (FButton) SetEditRect();
}

void TCFlagsBox::Loaded() {
    TCompoundEdit::Loaded();
    SetColor(FColorNoFocus);
    FList->SetupView();
}

void TCFlagsBox::SetColorNoFocus(TColor c) {
    FColorNoFocus = c;
    if (!FocusedBox()) SetColor(c);
}

TListItem* TCFlagsBox::AddItem(const char* caption, uint64_t value, bool enabled) {
    TListItem* it = FList->AddItem(caption ? caption : "", value, enabled);
    UpdateText();
    return it;
}

void TCFlagsBox::SetChecked(uint64_t v) {
    FList->SetChecked(v);
    UpdateText();
}

void TCFlagsBox::EnableItems(uint64_t mask, bool enable) { FList->EnableItems(mask, enable); }

void TCFlagsBox::SetDisabledItems(uint64_t v) {
    if (ListType() == clsSingleSelection || v == FDisabled) return;
    FDisabled = v;
    FList->SetDisabledMask(v);
}

void TCFlagsBox::AssignItems(const TStrings* lines) {
    if (!lines) return;
    FList->AssignItems(lines);
    UpdateText();
}

void TCFlagsBox::Clear() {
    FList->Items()->Clear();
    UpdateText();
}

void TCFlagsBox::SetListType(TCCheckListType t) {
    FList->SetType(t);
    UpdateText();
}

bool TCFlagsBox::isFocusHandle(const TWinControl* handle) const {
    return TCompoundEdit::isFocusHandle(handle) || handle == FList;
}

bool TCFlagsBox::FocusedBox() const { return Focused() || GetDroppedDown(); }

String TCFlagsBox::GetCheckedText() const {
    String s = "[";
    for (int i = 0; i < Items()->Count(); ++i) {
        TListItem* it = Items()->Item(i);
        if (it->Checked() && !it->Caption().empty()) s += it->Caption() + ",";
    }
    if (s.back() == ',') s.back() = ']';
    else s += "]";
    return s;
}

void TCFlagsBox::UpdateText() {
    // "[]" of a list that has nothing to tick would be a bare literal.
    String t = Items()->Count() == 0 ? String() : GetCheckedText();
    if (t == GetText()) return;
    FSelfChange = true;
    SetText(t);
    FSelfChange = false;
    if (ReadOnly()) SetSelStart(0);
}

void TCFlagsBox::Change() {
    if (IsDesigning() || IsDestroying()) return;
    SetHint(GetText());
    if (FSelfChange) {
        FSelfChange = false;
        TCompoundEdit::Change();
        return;
    }
    String t = Trim(GetText());
    if (t.empty() || t == "[]") {
        // The ticks stay; the text goes on showing them.
        UpdateText();
        TCompoundEdit::Change();
        return;
    }
    size_t b = t.find('[');
    b = b == String::npos ? 0 : b + 1;
    size_t e = t.find(']', b);
    String part = Trim(t.substr(b, e == String::npos ? String::npos : e - b));
    FList->ClearChecked();
    size_t pos = 0;
    while (pos <= part.size()) {
        size_t comma = part.find(',', pos);
        String piece = Trim(part.substr(pos, comma == String::npos ? String::npos : comma - pos));
        if (TListItem* it = FList->ItemByCaption(piece); it && !piece.empty()) FList->checkItem(it, true);
        if (comma == String::npos) break;
        pos = comma + 1;
    }
    UpdateText();
    TCompoundEdit::Change();
}

void TCFlagsBox::BtnClick() { SetDroppedDown(!GetDroppedDown()); }

void TCFlagsBox::SetDroppedDown(bool on) {
    if (on == GetDroppedDown()) return;
    if (!on) {
        FList->HideList();
        FButton->Invalidate();
        return;
    }
    FList->SetupView();
    FList->ShowList(ClientToScreen(Point(0, Height())));
    if (CanFocus()) SetFocus();
}

void TCFlagsBox::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (GetDroppedDown()) {
        if (FList->ForwardKey({TCKeyMessage::KeyDown, Key, Shift, 0})) {
            Key = 0;
            return;
        }
    } else if ((Key == VK_DOWN && (Shift & ssCtrl)) || (Key == VK_SPACE && !(Shift & (ssCtrl | ssAlt)))) {
        SetDroppedDown(true);
        Key = 0;
        return;
    }
    TCompoundEdit::KeyDown(Key, Shift);
}

void TCFlagsBox::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (GetDroppedDown() && FList->ForwardKey({TCKeyMessage::KeyUp, Key, Shift, 0})) {
        Key = 0;
        return;
    }
    TCompoundEdit::KeyUp(Key, Shift);
}

void TCFlagsBox::KeyPress(char32_t& Key) {
    if (GetDroppedDown() && FList->ForwardKey({TCKeyMessage::Char, 0, 0, Key})) {
        Key = 0;
        return;
    }
    TCompoundEdit::KeyPress(Key);
}

void TCFlagsBox::DblClick() { DoDblClick(); }

void TCFlagsBox::DoDblClick() {
    if (ListType() != clsSingleSelection || Items()->Count() == 0) return;
    int n = Items()->Count(), next = 0;
    for (int i = 0; i < n; ++i)
        if (Items()->Item(i)->Checked()) {
            next = i + 1 < n ? i + 1 : 0;
            break;
        }
    TListItem* it = Items()->Item(next);
    FList->tickAlone(it);
    UpdateText();
}

void TCFlagsBox::DoEnter() {
    SetColor(FColorFocus);
    SelectAll();
    TCompoundEdit::DoEnter();
}

void TCFlagsBox::DoExit() {
    // The list never holds the focus here: leaving the box closes it.
    FList->HideList();
    SetColor(GetDroppedDown() ? FColorFocus : FColorNoFocus);
    TCompoundEdit::DoExit();
}
