#include "components/CheckBoxes.h"

#include "platform/runtime/TCString.h"
#include "platform/runtime/Translation.h"

namespace {
constexpr int maxBoxes = 32;

struct BoxLine {
    String caption;
    uint32_t flag = 0;
};

// "caption|mask": a "|" after the first character splits the line.
BoxLine parseLine(const String& line) {
    size_t bar = line.find('|');
    if (bar == String::npos || bar == 0) return {line, 0};
    BoxLine l;
    l.caption = Trim(line.substr(0, bar));
    int64_t f = StrToInt64Def(Trim(line.substr(bar + 1)), 0);
    l.flag = uint32_t(f);
    return l;
}

uint32_t shl(uint32_t v, uint32_t n) { return v << (n % 32); }
uint32_t shr(uint32_t v, uint32_t n) { return v >> (n % 32); }
}  // namespace

IMPLEMENT_CLASS(TCheckBoxes, TGroupBox) {
    r.Object<TStrings>("Items", &TCheckBoxes::Items, &TCheckBoxes::SetStrings);
    r.Object<TStrings>("Hints", &TCheckBoxes::Hints, &TCheckBoxes::SetHints);
    r.Integer("Checked", &TCheckBoxes::GetChecked, [](TCheckBoxes* c, int64_t v) { c->SetChecked(uint32_t(v)); });
    r.Integer("BitsOffset", &TCheckBoxes::BitsOffset, [](TCheckBoxes* c, int64_t v) { c->SetBitsOffset(uint32_t(v)); });
    r.Boolean("AjustHeight", &TCheckBoxes::AjustHeight, &TCheckBoxes::SetAutoArrange);
}

TCheckBoxes::TCheckBoxes(TComponent* AOwner) : TGroupBox(AOwner), FItems(new TStringList), FHints(new TStringList) {
    FItems->OnChange = [this](TObject*) { OnStringsChange(); };
}

TCheckBoxes::~TCheckBoxes() {
    FItems->OnChange = nullptr;
    freeCheckBoxes();
    delete FItems;
    delete FHints;
}

void TCheckBoxes::freeCheckBoxes() {
    auto boxes = std::move(FBoxes);
    FBoxes.clear();
    for (int i = 0; i < FItems->Count(); ++i) FItems->PutObject(i, nullptr);
    for (TCheckBox* b : boxes) b->Free();
}

void TCheckBoxes::SetStrings(TStrings* s) {
    freeCheckBoxes();
    FItems->OnChange = nullptr;
    FItems->Clear();
    if (s) FItems->AddStrings(s);
    while (FItems->Count() > maxBoxes) FItems->Delete(FItems->Count() - 1);
    createCheckBoxes();
}

void TCheckBoxes::SetHints(TStrings* s) {
    FHints->Clear();
    if (s) FHints->AddStrings(s);
}

void TCheckBoxes::Loaded() {
    TGroupBox::Loaded();
    createCheckBoxes();
}

// Existing boxes go first, so building twice (a value set while the form
// loads, then the load completing) never leaves a second set.
void TCheckBoxes::createCheckBoxes() {
    FItems->OnChange = nullptr;
    freeCheckBoxes();
    FBuilding = true;
    for (int i = 0; i < FItems->Count(); ++i) {
        BoxLine l = parseLine(FItems->Get(i));
        auto* b = new TCheckBox(nullptr);
        b->SetParent(this);
        FItems->PutObject(i, b);
        FBoxes.push_back(b);
        b->SetFont(Font());
        b->SetCaption(l.caption);
        b->SetTag(intptr_t(l.flag));
        b->OnClick = [this, b](TObject*) { checkBoxClickEvent(b); };
        b->SetParentShowHint(true);
        if (i < FHints->Count()) b->SetHint(FHints->Get(i));
    }
    FBuilding = false;
    FItems->OnChange = [this](TObject*) { OnStringsChange(); };
    ArrangeButtons();
}

void TCheckBoxes::OnStringsChange() {
    for (int i = 0; i < FItems->Count() && i < int(FBoxes.size()); ++i) {
        BoxLine l = parseLine(FItems->Get(i));
        TCheckBox* b = FBoxes[size_t(i)];
        if (b->Caption() != l.caption) b->SetCaption(l.caption);
        if (l.flag) b->SetTag(intptr_t(l.flag));
    }
}

void TCheckBoxes::Resize() {
    // The boxes follow the group's size; nothing while they are being built.
    if (FBuilding) return;
    TGroupBox::Resize();
    ArrangeButtons();
    Invalidate();
}

void TCheckBoxes::ArrangeButtons() {
    if (FBoxes.empty()) return;
    TCanvas c;
    c.Font()->Assign(Font());
    int h = c.TextHeight("Q");
    int y = h, x = 4;
    FBuilding = true;
    for (size_t i = 0; i < FBoxes.size(); ++i) {
        TCheckBox* b = FBoxes[i];
        if (y + b->Height() >= Height()) {
            y = h;
            int colWidth = (Width() - 4) / 2;
            x += colWidth;
            for (size_t j = 0; j < i; ++j) FBoxes[j]->SetWidth(colWidth);
        }
        b->SetBounds(x, y, Width() - x - 2, b->Height());
        y += b->Height() + 2;
    }
    FBuilding = false;
    AjustSize();
}

void TCheckBoxes::AjustSize() {
    if (IsDesigning() || !FAjustHeight || FBoxes.empty()) return;
    int height = 0;
    if (FBoxes.size() == 1) {
        height = FBoxes[0]->Top() + FBoxes[0]->Height() + 4;
    } else {
        for (size_t i = 0; i + 1 < FBoxes.size(); ++i) {
            TCheckBox* a = FBoxes[i];
            TCheckBox* b = FBoxes[i + 1];
            if (a->Left() != b->Left()) {
                FBuilding = true;
                SetHeight(a->Top() + a->Height() + 2);
                FBuilding = false;
                height = 0;
                break;
            }
            height = b->Top() + b->Height() + 2;
        }
    }
    if (height != 0 && height < Height()) {
        FBuilding = true;
        SetHeight(height);
        FBuilding = false;
    }
}

void TCheckBoxes::SetAutoArrange(bool v) {
    FAjustHeight = v;
    ArrangeButtons();
}

void TCheckBoxes::SetChecked(uint32_t v) {
    if (IsLoading()) createCheckBoxes();
    uint32_t w = shr(v, FBitsOffset);
    for (size_t i = 0; i < FBoxes.size(); ++i) {
        TCheckBox* b = FBoxes[i];
        uint32_t tag = uint32_t(b->Tag());
        bool on = tag ? (w & tag) != 0 : GetBoolValue(w, unsigned(i));
        if (b->Checked() != on) b->SetChecked(on);
    }
}

uint32_t TCheckBoxes::GetChecked() const {
    uint32_t v = 0;
    for (size_t i = 0; i < FBoxes.size(); ++i) {
        TCheckBox* b = FBoxes[i];
        if (!b->Checked()) continue;
        uint32_t tag = uint32_t(b->Tag());
        v |= tag ? tag : GetIntValue(true, unsigned(i));
    }
    return shl(v, FBitsOffset);
}

TCheckBox* TCheckBoxes::GetButtons(int index) const {
    return index >= 0 && index < int(FBoxes.size()) ? FBoxes[size_t(index)] : nullptr;
}

int TCheckBoxes::indexOf(const TCheckBox* box) const {
    for (size_t i = 0; i < FBoxes.size(); ++i)
        if (FBoxes[i] == box) return int(i);
    return 0;
}

unsigned TCheckBoxes::flagOf(const TCheckBox* box) const {
    uint32_t tag = box ? uint32_t(box->Tag()) : 0;
    if (tag) return shl(tag, FBitsOffset);
    return shl(1u, uint32_t(indexOf(box)) + FBitsOffset);
}

void TCheckBoxes::SetIsChecked(int index, bool v) {
    if (TCheckBox* b = GetButtons(index); b && b->Checked() != v) b->SetChecked(v);
}
bool TCheckBoxes::GetIsChecked(int index) const {
    TCheckBox* b = GetButtons(index);
    return b && b->Checked();
}
void TCheckBoxes::SetIsEnabled(int index, bool v) {
    if (TCheckBox* b = GetButtons(index); b && b->Enabled() != v) b->SetEnabled(v);
}
bool TCheckBoxes::GetIsEnabled(int index) const {
    TCheckBox* b = GetButtons(index);
    return b && b->Enabled();
}
void TCheckBoxes::SetIsGrayed(int index, bool v) {
    if (TCheckBox* b = GetButtons(index); b && b->AllowGrayed() != v) b->SetAllowGrayed(v);
}
bool TCheckBoxes::GetIsGrayed(int index) const {
    TCheckBox* b = GetButtons(index);
    return b && b->AllowGrayed();
}
void TCheckBoxes::SetStates(int index, TCheckBoxState v) {
    if (TCheckBox* b = GetButtons(index); b && b->State() != v) b->SetState(v);
}
TCheckBoxState TCheckBoxes::GetStates(int index) const {
    TCheckBox* b = GetButtons(index);
    return b ? b->State() : cbUnchecked;
}

void TCheckBoxes::SetEnabledFlag(uint32_t mask) {
    for (size_t i = 0; i < FBoxes.size(); ++i) SetIsEnabled(int(i), GetBoolValue(mask, unsigned(i)));
}

uint32_t TCheckBoxes::GetEnabledFlag() const {
    uint32_t v = 0;
    for (size_t i = 0; i < FBoxes.size(); ++i)
        if (FBoxes[i]->Enabled()) v |= GetIntValue(true, unsigned(i));
    return v;
}

void TCheckBoxes::ShowButtons(bool v) {
    for (TCheckBox* b : FBoxes) b->SetVisible(v);
}

void TCheckBoxes::checkBoxClickEvent(TCheckBox* box) {
    fire(OnClick, box);
    fire(OnChekBoxClick, box, flagOf(box));
}

// ---- TCBoolBox

IMPLEMENT_CLASS(TCBoolBox, TCFlagsBox) {}

TCBoolBox::TCBoolBox(TComponent* AOwner) : TCFlagsBox(AOwner) {}

void TCBoolBox::SetParent(TWinControl* p) {
    TCFlagsBox::SetParent(p);
    if (p) init();
}

void TCBoolBox::init() {
    if (Items()->Count() > 0) return;
    SetListType(clsSingleSelection);
    AddItem(zrnTranslateString("Нет").c_str(), 0, true);
    AddItem(zrnTranslateString("Да").c_str(), 1, true);
    SetChecked(0);
}

bool TCBoolBox::setTextValue(const String& text) {
    String t = LowerCase(text);
    for (const char* yes : {"да", "yes", "true", "1", "так"})
        if (t == yes) {
            SetChecked(1);
            return true;
        }
    for (const char* no : {"нет", "no", "false", "0", "ні"})
        if (t == no) {
            SetChecked(0);
            return true;
        }
    return false;
}

String TCBoolBox::getTextValue() const { return GetChecked() ? "TRUE" : "FALSE"; }
