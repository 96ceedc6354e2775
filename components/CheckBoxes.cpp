#include "components/CheckBoxes.h"

#include <algorithm>

#include "platform/framework/ScrollBox.h"
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
    bool recaptioned = false;
    for (int i = 0; i < FItems->Count() && i < int(FBoxes.size()); ++i) {
        BoxLine l = parseLine(FItems->Get(i));
        TCheckBox* b = FBoxes[size_t(i)];
        if (b->Caption() != l.caption) {
            b->SetCaption(l.caption);
            recaptioned = true;
        }
        if (l.flag) b->SetTag(intptr_t(l.flag));
    }
    // A translated caption may need another width.
    if (recaptioned) ArrangeButtons();
}

void TCheckBoxes::Resize() {
    // The boxes follow the group's size; nothing while they are being built.
    if (FBuilding) return;
    TGroupBox::Resize();
    ArrangeButtons();
    Invalidate();
}

namespace {
constexpr int kRowGap = 2, kColumnGap = 6, kInset = 2;  // the inset at the sides

// The columns' widths when the boxes go top to bottom, rows to a column:
// each column is as wide as its widest box.
std::vector<int> columnWidths(const std::vector<int>& need, size_t rows) {
    std::vector<int> widths((need.size() + rows - 1) / rows, 0);
    for (size_t i = 0; i < need.size(); ++i) widths[i / rows] = std::max(widths[i / rows], need[i]);
    return widths;
}

int totalWidth(const std::vector<int>& widths) {
    int w = 0;
    for (int c : widths) w += c;
    return w + kColumnGap * int(widths.size() > 0 ? widths.size() - 1 : 0);
}
}  // namespace

void TCheckBoxes::ArrangeButtons() {
    if (FBoxes.empty()) return;
    const bool wasBuilding = FBuilding;
    FBuilding = true;
    // Below the caption and inside the frame, never on them.
    TRect area = ContentRect();
    area.Left += kInset;
    area.Right -= kInset;
    const size_t n = FBoxes.size();
    int boxHeight = 0;
    std::vector<int> need(n);
    for (size_t i = 0; i < n; ++i) {
        need[i] = FBoxes[i]->FitWidth();
        boxHeight = std::max(boxHeight, FBoxes[i]->Height());
    }
    const int rowHeight = boxHeight + kRowGap;
    size_t rows = size_t(std::max(1, (area.Height() + kRowGap) / rowHeight));
    std::vector<int> widths = columnWidths(need, rows);
    int available = area.Width();
    TWinControl* host = this;
    int left = area.Left, top = area.Top;
    FScrolling = totalWidth(widths) > available;
    if (FScrolling) {
        if (!FScroll) {
            FScroll = new TScrollBox(this);
            FScroll->SetBorderSingle(false);
            FScroll->SetParent(this);
        }
        FScroll->SetBounds(area.Left, area.Top, area.Width(), area.Height());
        FScroll->SetVisible(true);
        // Room for the vertical bar; as many columns as the rest holds.
        available = std::max(1, area.Width() - FScroll->ScrollBarExtent());
        size_t columns = 1;
        for (size_t c = n; c > 1; --c)
            if (totalWidth(columnWidths(need, (n + c - 1) / c)) <= available) {
                columns = c;
                break;
            }
        rows = (n + columns - 1) / columns;
        widths = columnWidths(need, rows);
        host = FScroll;
        left = top = 0;
    } else if (FScroll) {
        FScroll->SetVisible(false);
    }
    // Spare width goes to the columns alike.
    const int spare = std::max(0, available - totalWidth(widths)) / int(widths.size());
    int x = left;
    for (size_t c = 0; c < widths.size(); ++c) {
        widths[c] += spare;
        for (size_t i = c * rows; i < std::min(n, (c + 1) * rows); ++i) {
            TCheckBox* b = FBoxes[i];
            if (b->Parent() != host) b->SetParent(host);
            b->SetBounds(x, top + int(i - c * rows) * rowHeight, widths[c], boxHeight);
        }
        x += widths[c] + kColumnGap;
    }
    if (FScrolling) FScroll->UpdateScrollRange();
    FBuilding = wasBuilding;
    AjustSize();
}

void TCheckBoxes::AjustSize() {
    if (IsDesigning() || !FAjustHeight || FBoxes.empty() || FScrolling) return;
    // The group shrinks to its lowest box; it never grows here.
    int bottom = 0;
    for (TCheckBox* b : FBoxes) bottom = std::max(bottom, b->Top() + b->Height());
    const int height = bottom + (Height() - ContentRect().Bottom);
    if (height < Height()) {
        const bool wasBuilding = FBuilding;
        FBuilding = true;
        SetHeight(height);
        FBuilding = wasBuilding;
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
    if (FScrolling) FScroll->SetVisible(v);
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
