// Select elements: their options, list boxes and drop-down lists.
#include <algorithm>
#include <cstdlib>

#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/HtmlScreen.h"
#include "html/layout/SizeableObjs.h"
#include "html/text/HtmlText.h"
#include "html/text/Properties.h"
#include "html/viewer/FormControlFrames.h"
#include "html/viewer/FormControlSupport.h"
#include "html/viewer/HtmlFormControls.h"
#include "platform/framework/ScrollBar.h"

using namespace htmltext;
using namespace formcontrols;

// ---- options

TOptionsFormControlObj::TOptionsFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                               TProperties* Prop, ThtFormControlKind AKind)
    : TFormControlObj(Parent, Position, L, Prop, AKind), FOptions(std::make_shared<ThtOptionStringList>()) {
    TAttribute* size = nullptr;
    LBSize = L && L->Find(SizeSy, size) ? size->Value : -1;
}

TOptionsFormControlObj::TOptionsFormControlObj(TCellBasic* Parent, const TOptionsFormControlObj& Source)
    : TFormControlObj(Parent, Source), FOptions(Source.FOptions), FFont(Source.FFont), LBSize(Source.LBSize),
      Longest(Source.Longest) {}

void TOptionsFormControlObj::AddStr(const std::u16string& Text, bool Selected, std::unique_ptr<TStringList> Attributes,
                                    int) {
    const std::u16string text = Text.empty() ? std::u16string(u" ") : Text;
    auto option = std::make_unique<TOptionObj>();
    option->Selected = Selected;
    option->Attributes = std::move(Attributes);
    const int at = FOptions->AddOption(text, std::move(option));
    const std::u16string value = FOptions->GetAttribute(at, u"Value");
    static_cast<TOptionObj*>(FOptions->GetObject(at))->Value = value.empty() ? text : value;
    TCanvas screen;
    if (FFont) screen.Font()->Assign(FFont);
    Longest = std::max(Longest, int32_t(screen.TextWidthW(text)));
}

void TOptionsFormControlObj::FillItems(TStrings* Items) const {
    Items->BeginUpdate();
    Items->Clear();
    for (int i = 0; i < FOptions->Count(); ++i) Items->Add(FOptions->Get(i));
    Items->EndUpdate();
}

// ---- list boxes

TListBoxFormControlObj::TListBoxFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                               TProperties* Prop)
    : TOptionsFormControlObj(Parent, Position, L, Prop, ThtFormControlKind::ListBox) {
    if (Prop) CodePage = Prop->CodePage();
    TAttribute* multiple = nullptr;
    const bool multi = L && L->Find(MultipleSy, multiple);
    FControl = new TListBox(nullptr);
    PrepareControl(FControl);
    if (Prop && Prop->HasBorderStyle()) FControl->SetBorderStyle(bsNone);
    AssignPropertiesFont(FControl, Prop);
    FFont = FControl->Font();
    // Multiple choice is extended selection: Shift and Ctrl with the mouse.
    FControl->SetMultiSelect(multi);
    FControl->OnClick = [this](TObject* Sender) { FormControlClick(Sender); };
}

TListBoxFormControlObj::TListBoxFormControlObj(TCellBasic* Parent, const TListBoxFormControlObj& Source)
    : TOptionsFormControlObj(Parent, Source), FControl(Source.FControl), EnterItems(Source.EnterItems),
      EnterSelected(Source.EnterSelected) {}

TListBoxFormControlObj::~TListBoxFormControlObj() {
    if (!IsCopy() && FControl) FControl->Free();
}

std::unique_ptr<TSectionBase> TListBoxFormControlObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TListBoxFormControlObj(Parent, *this));
}

TWinControl* TListBoxFormControlObj::GetTheControl() { return FControl; }

void TListBoxFormControlObj::ProcessProperties(TProperties* Prop) {
    TOptionsFormControlObj::ProcessProperties(Prop);
    if (BkColor != clNone && FControl) FControl->SetColor(BkColor);
}

void TListBoxFormControlObj::ResetToValue() {
    if (!FControl) return;
    FillItems(FControl->Items());
    const int n = FOptions->Count();
    if (FControl->MultiSelect()) {
        for (int i = 0; i < n; ++i) FControl->SetSelected(i, FOptions->GetSelected(i));
    } else {
        int chosen = -1;
        for (int i = 0; i < n; ++i)
            if (FOptions->GetSelected(i)) chosen = i;
        FControl->SetItemIndex(chosen);
    }
    if (FControl->ItemIndex() < 0 && n > 0) FControl->SetItemIndex(0);
    FControl->SetTopIndex(0);
}

void TListBoxFormControlObj::SetHeightWidth(TCanvas* Canvas) {
    if (!FControl) return;
    Canvas->Font()->Assign(FControl->Font());
    Canvas->Font()->SetColor(DocumentThemedColor(FDocument, Canvas->Font()->Color(), seFont));
    if (LBSize < 0) LBSize = std::max(1, std::min(8, FOptions->Count()));
    // Rows as the list shows them in its font, never lower than the text.
    const int rowHeight = std::max(Canvas->TextHeight("A"), FControl->ItemHeight());
    FControl->SetClientHeight(FHeight >= 10 ? FHeight : rowHeight * LBSize);
    if (PercentWidth) {
        FControl->SetLeft(OffScreenLeft);
        FControl->SetWidth(10);
    } else if (FWidth >= 10) {
        FControl->SetWidth(FWidth);
    } else {
        FControl->SetWidth(SystemScrollBarWidth() + Longest + 10);
    }
}

bool TListBoxFormControlObj::GetSubmission(int Index, std::u16string& S) {
    S.clear();
    if (!FControl || Index < 0 || Index >= FControl->Count()) return false;
    const bool chosen = FControl->MultiSelect() ? FControl->Selected(Index) : FControl->ItemIndex() == Index;
    if (chosen) S = FName + u"=" + FOptions->GetValue(Index);
    return true;
}

void TListBoxFormControlObj::SetData(int Index, std::u16string_view V) {
    if (!FControl) return;
    const bool multi = FControl->MultiSelect();
    if (Index == 0) {
        FControl->SetItemIndex(0);
        if (multi)
            for (int i = 0; i < FControl->Count(); ++i) FControl->SetSelected(i, false);
    }
    for (int i = 0; i < FOptions->Count(); ++i) {
        if (!equalsNoCase(FOptions->GetValue(i), V)) continue;
        if (multi) FControl->SetSelected(i, true);
        else FControl->SetItemIndex(i);
    }
    FControl->SetTopIndex(0);
}

void TListBoxFormControlObj::RememberEnterState() {
    if (!FControl) return;
    EnterItems = FControl->Count();
    EnterSelected.assign(size_t(EnterItems), false);
    for (int i = 0; i < EnterItems; ++i) EnterSelected[size_t(i)] = FControl->Selected(i);
}

void TListBoxFormControlObj::NotifyIfChanged() {
    if (!FControl) return;
    // Every item counts, however long the list.
    bool changed = FControl->Count() != EnterItems;
    for (int i = 0; !changed && i < EnterItems; ++i) changed = FControl->Selected(i) != EnterSelected[size_t(i)];
    if (changed) DoChangeEvent();
}

void TListBoxFormControlObj::DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) {
    TOptionsFormControlObj::DrawInline1(Canvas, X, Y);
    if (!IsCopy() || !FControl) return;
    const int w = FControl->Width(), h = FControl->Height();
    const TStyleElements se = FDocument ? FDocument->StyleElements() : AllStyleElements;
    TBrush brush;
    brush.Assign(Canvas->Brush());
    TFont font;
    font.Assign(Canvas->Font());
    int a = 2;
    if (FControl->BorderStyle() != bsNone) {
        DrawFormControlFrame(Canvas, X, Y, X + w, Y + h, se, FControl->Color(), false,
                             FDocument && FDocument->PrintMonoBlack, false);
        a = 4;
    } else {
        FillFormControlFace(Canvas, X, Y, X + w, Y + h, FControl->Color(), se);
    }
    SelectTextFont(Canvas, FDocument, FControl->Font());
    const int lineHeight = std::max(1, std::abs(Canvas->Font()->Height()));
    const TRect inner = Rect(X + a, Y + a, X + w - a, Y + h - a);
    const int top = FControl->TopIndex();
    const int last = std::min(FControl->Count() - 1, top + std::max(1, LBSize) - 1);
    for (int i = top; i <= last; ++i)
        CanvasTextRectW(Canvas, inner, inner.Left, inner.Top + (i - top) * lineHeight, FOptions->GetText(i));
    Canvas->Font()->Assign(&font);
    Canvas->Brush()->Assign(&brush);
}

// ---- drop-down lists

TComboFormControlObj::TComboFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TOptionsFormControlObj(Parent, Position, L, Prop, ThtFormControlKind::Combo) {
    if (Prop) CodePage = Prop->CodePage();
    FControl = new ThtComboBox(nullptr);
    PrepareControl(FControl);
    FControl->SetStyle(csDropDownList);
    AssignPropertiesFont(FControl, Prop);
    FControl->SetHeight(FControl->FitHeight());
    FFont = FControl->Font();
    FControl->OnClick = [this](TObject* Sender) { FormControlClick(Sender); };
    FControl->OnDropDown = [this](TObject* Sender) { FormControlClick(Sender); };
    bool present = false;
    const std::u16string placeholder = AttributeText(L, PlaceholderSy, &present);
    if (present) {
        FPlaceholder = placeholder;
        FControl->SetTextHint(toUtf8(FPlaceholder));
    }
}

TComboFormControlObj::TComboFormControlObj(TCellBasic* Parent, const TComboFormControlObj& Source)
    : TOptionsFormControlObj(Parent, Source), FControl(Source.FControl), EnterIndex(Source.EnterIndex),
      FPlaceholder(Source.FPlaceholder) {}

TComboFormControlObj::~TComboFormControlObj() {
    if (!IsCopy() && FControl) FControl->Free();
}

std::unique_ptr<TSectionBase> TComboFormControlObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TComboFormControlObj(Parent, *this));
}

TWinControl* TComboFormControlObj::GetTheControl() { return FControl; }

void TComboFormControlObj::ProcessProperties(TProperties* Prop) {
    TOptionsFormControlObj::ProcessProperties(Prop);
    if (BkColor != clNone && FControl) FControl->SetColor(BkColor);
}

void TComboFormControlObj::ResetToValue() {
    if (!FControl) return;
    FillItems(FControl->Items());
    int chosen = -1;
    for (int i = 0; i < FOptions->Count(); ++i)
        if (FOptions->GetSelected(i)) chosen = i;
    // Without a selected option the first is chosen; a list without options keeps none.
    if (chosen < 0 && FOptions->Count() > 0) chosen = 0;
    FControl->SetItemIndex(chosen);
}

void TComboFormControlObj::SetHeightWidth(TCanvas*) {
    if (!FControl) return;
    if (FHeight > 9) FControl->SetHeight(FHeight);
    if (PercentWidth) {
        FControl->SetLeft(OffScreenLeft);
        FControl->SetWidth(10);
    } else if (FWidth >= 10) {
        FControl->SetWidth(FWidth);
    } else {
        // At least what the style's drop-down button and frame leave for the text.
        FControl->SetClientWidth(std::max(SystemScrollBarWidth() + Longest + 10, FControl->WidthForText(Longest)));
    }
}

bool TComboFormControlObj::GetSubmission(int Index, std::u16string& S) {
    S.clear();
    if (Index != 0) return false;
    if (FControl && FControl->ItemIndex() >= 0) S = FName + u"=" + FOptions->GetValue(FControl->ItemIndex());
    return true;
}

void TComboFormControlObj::SetData(int, std::u16string_view V) {
    if (!FControl) return;
    for (int i = 0; i < FOptions->Count(); ++i)
        if (equalsNoCase(FOptions->GetValue(i), V)) FControl->SetItemIndex(i);
}

void TComboFormControlObj::RememberEnterState() { EnterIndex = FControl ? FControl->ItemIndex() : -1; }

void TComboFormControlObj::NotifyIfChanged() {
    if (FControl && FControl->ItemIndex() != EnterIndex) DoChangeEvent();
}

void TComboFormControlObj::DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) {
    TOptionsFormControlObj::DrawInline1(Canvas, X, Y);
    if (!IsCopy() || !FControl) return;
    const int w = FControl->Width(), h = FControl->Height();
    const TStyleElements se = FDocument ? FDocument->StyleElements() : AllStyleElements;
    TBrush brush;
    brush.Assign(Canvas->Brush());
    TFont font;
    font.Assign(Canvas->Font());
    DrawFormControlFrame(Canvas, X, Y, X + w, Y + h, se, FControl->Color(), false,
                         FDocument && FDocument->PrintMonoBlack, false);
    SelectTextFont(Canvas, FDocument, FControl->Font());
    const int index = FControl->ItemIndex();
    if (index >= 0)
        CanvasTextRectW(Canvas, Rect(X + 4, Y + 4, X + w - 4, Y + h - 4 + 5), X + 4, Y + 4, FOptions->GetText(index));
    Canvas->Font()->Assign(&font);
    Canvas->Brush()->Assign(&brush);
}
