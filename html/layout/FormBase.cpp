#include "html/layout/FormBase.h"

#include <algorithm>

#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/text/HtmlText.h"
#include "html/text/Margins.h"
#include "html/text/Properties.h"
#include "platform/framework/Classes.h"

using namespace htmltext;

namespace {

// Window controls wait here, off-screen, until the layout draws them.
constexpr int OffScreenLeft = -4000;

// a × b / c rounded (halves away from zero), saturated to 32 bits; c must not be 0.
int32_t mulDiv(int64_t A, int64_t B, int64_t C) {
    const int64_t p = A * B;
    const int64_t q = (std::llabs(p) + std::llabs(C) / 2) / std::llabs(C);
    return int32_t(std::clamp<int64_t>((p < 0) != (C < 0) ? -q : q, INT32_MIN, INT32_MAX));
}

void invalidatePanel(ThtDocument* Doc) {
    if (Doc && Doc->PPanel) Doc->Services().Invalidate(Doc->PPanel);
}

}  // namespace

// ---- control lists

void TFormControlObjList::ActivateTabbing() {
    for (int i = 0; i < Count(); ++i) {
        TFormControlObjBase* control = GetItem(i);
        if (control->ShowIt) continue;
        if (TWinControl* window = control->GetTheControl()) {
            window->SetLeft(OffScreenLeft);
            window->Show();
        }
    }
}

void TFormControlObjList::DeactivateTabbing() {
    for (int i = 0; i < Count(); ++i) {
        TFormControlObjBase* control = GetItem(i);
        if (control->ShowIt) continue;
        if (TWinControl* window = control->GetTheControl()) window->Hide();
    }
}

// ---- forms

ThtmlFormBase::ThtmlFormBase(ThtDocument* ADocument) : Document(ADocument) {}

ThtmlFormBase::~ThtmlFormBase() {
    // A document still naming the form as its current one forgets it.
    if (Document && Document->FCurrentForm == this) Document->FCurrentForm = nullptr;
}

void ThtmlFormBase::InsertControl(TFormControlObjBase* Ctrl) {
    ControlList.Add(Ctrl);
    // The kind, not GetHidden: a control joins while it is still being constructed.
    if (Ctrl->Kind() != ThtFormControlKind::Hidden) ++NonHiddenCount;
}

void ThtmlFormBase::SetSizes(TCanvas* Canvas) {
    for (int i = 0; i < ControlList.Count(); ++i) ControlList.GetItem(i)->SetHeightWidth(Canvas);
}

namespace {

void addSubmissions(TFormControlObjBase* Control, TStringList& List) {
    std::u16string s;
    for (int index = 0; Control->GetSubmission(index, s); ++index)
        if (!s.empty()) List.Add(toUtf8(s));
}

}  // namespace

std::unique_ptr<TStringList> ThtmlFormBase::GetFormSubmission() {
    auto list = std::make_unique<TStringList>();
    for (int i = 0; i < ControlList.Count(); ++i) addSubmissions(ControlList.GetItem(i), *list);
    return list;
}

void ThtmlFormBase::SubmitTheForm(const std::u16string& ButtonSubmission) {
    if (!Document || !Document->SubmitForm) return;
    auto list = std::make_unique<TStringList>();
    for (int i = 0; i < ControlList.Count(); ++i)
        if (TFormControlObjBase* control = ControlList.GetItem(i); !control->Disabled) addSubmissions(control, *list);
    if (!ButtonSubmission.empty()) list->Add(toUtf8(ButtonSubmission));
    Document->SubmitForm(Document->Sender(), Action, Target, EncType, Method, std::move(list));
}

void ThtmlFormBase::SetFormData(const TStringList& SL) {
    // The lines split once: name (before the first '=') and value.
    std::vector<std::pair<std::u16string, std::u16string>> lines;
    for (int k = 0; k < SL.Count(); ++k) {
        const std::u16string line = fromUtf8(SL.Get(k));
        const size_t eq = line.find(u'=');
        if (eq == std::u16string::npos) continue;
        lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    for (int i = 0; i < ControlList.Count(); ++i) {
        TFormControlObjBase* control = ControlList.GetItem(i);
        control->SetDataInit();
        int n = 0;
        for (const auto& [name, value] : lines)
            if (equalsNoCase(name, control->FName)) control->SetData(n++, value);
    }
}

void ThtmlFormBase::ResetControls() {
    for (int i = 0; i < ControlList.Count(); ++i) ControlList.GetItem(i)->ResetToValue();
}

// ---- form controls

TFormControlObjBase::TFormControlObjBase(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                                         ThtFormControlKind AKind)
    : TFloatingObj(Parent, Position, L, Prop), FKind(AKind) {}

TFormControlObjBase::TFormControlObjBase(TCellBasic* Parent, const TFormControlObjBase& Source)
    : TFloatingObj(Parent, Source), FName(Source.FName), FID(Source.FID), MyForm(Source.MyForm), BordT(Source.BordT),
      BordB(Source.BordB), FHeight(Source.FHeight), FWidth(Source.FWidth), Disabled(Source.Disabled),
      Readonly(Source.Readonly), BkColor(Source.BkColor), ShowIt(Source.ShowIt), FKind(Source.FKind) {
    // The copy stands at the same place of its section's text, where the section looks for it.
    StartCurs = Source.StartCurs;
}

TFormControlObjBase::~TFormControlObjBase() {
    // The document's lists never keep a control that is gone.
    if (FDocument) {
        if (FDocument->FormControlList) FDocument->FormControlList->Remove(this);
        if (FDocument->TabOrderList) FDocument->TabOrderList->Remove(this);
    }
}

void TFormControlObjBase::ReadTag(TAttributeList* L) {
    if (FDocument) {
        if (!FDocument->FCurrentForm) {
            // A control outside any form belongs to an automatic one.
            std::unique_ptr<ThtmlFormBase> form = FDocument->ObjectFactory().CreateForm(FDocument, nullptr);
            if (!form) form = std::make_unique<ThtmlFormBase>(FDocument);
            FDocument->FCurrentForm = FDocument->AddForm(std::move(form));
        }
        if (FDocument->FormControlList) FDocument->FormControlList->Add(this);
        MyForm = FDocument->FCurrentForm;
    }
    for (int i = 0; L && i < L->Count(); ++i) {
        const TAttribute* a = L->GetAttribute(i);
        switch (a->Which) {
        case DisabledSy: Disabled = !(lower(a->Name) == u"no" || a->Name == u"0"); break;
        case IDSy: FID = a->Name; break;
        case NameSy: FName = a->Name; break;
        case OnBlurSy: OnBlurMessage = a->Name; break;
        case OnChangeSy: OnChangeMessage = a->Name; break;
        case OnClickSy: OnClickMessage = a->Name; break;
        case OnFocusSy: OnFocusMessage = a->Name; break;
        case ReadonlySy: Readonly = true; break;
        case TabIndexSy:
            if (a->Value > 0 && FDocument && FDocument->TabOrderList) FDocument->TabOrderList->Add(a->Value, this);
            break;
        case TitleSy: FTitle = a->Name; break;
        case ValueSy: SetValue(a->Name); break;
        default: break;
        }
    }
    VertAlign = aBottom;
    if (MyForm) MyForm->InsertControl(this);
}

void TFormControlObjBase::PrepareControl(TWinControl* Control) {
    if (!Control) return;
    Control->Hide();
    Control->SetLeft(OffScreenLeft);
    if (TWinControl* panel = PaintPanel()) Control->SetParent(panel);
    Control->SetEnabled(!Disabled);
    Control->OnEnter = [this](TObject* Sender) { EnterEvent(Sender); };
    Control->OnExit = [this](TObject* Sender) { ExitEvent(Sender); };
    Control->OnMouseMove = [this](TObject* Sender, TShiftState Shift, int X, int Y) {
        HandleMouseMove(Sender, Shift, X, Y);
    };
}

TWinControl* TFormControlObjBase::PaintPanel() const { return FDocument ? FDocument->PPanel : nullptr; }

int32_t TFormControlObjBase::GetClientHeight() const {
    TWinControl* control = const_cast<TFormControlObjBase*>(this)->GetTheControl();
    return control ? control->Height() : 0;
}

int32_t TFormControlObjBase::GetClientWidth() const {
    TWinControl* control = const_cast<TFormControlObjBase*>(this)->GetTheControl();
    return control ? control->Width() : 0;
}

void TFormControlObjBase::SetClientHeight(int32_t Value) {
    if (TWinControl* control = GetTheControl()) control->SetHeight(Value);
}

void TFormControlObjBase::SetClientWidth(int32_t Value) {
    if (TWinControl* control = GetTheControl()) control->SetWidth(Value);
}

void TFormControlObjBase::DrawLogicInline(TCanvas*, TFontObj*, int32_t AvailableWidth, int32_t) {
    if (!PercentWidth) return;
    const int32_t share = mulDiv(FWidth, AvailableWidth, 100);
    const int32_t room =
        int32_t(std::clamp<int64_t>(int64_t(AvailableWidth) - HSpaceL - HSpaceR, INT32_MIN, INT32_MAX));
    SetClientWidth(std::max(10, std::min(share, room)));
}

void TFormControlObjBase::DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t, TFontObj*) {
    DrawInline1(Canvas, X, Y);
}

int32_t TFormControlObjBase::GetLeft() {
    TWinControl* control = GetTheControl();
    return control ? control->Left() : 0;
}

int32_t TFormControlObjBase::GetTop() {
    TWinControl* control = GetTheControl();
    return control ? control->Top() : 0;
}

int32_t TFormControlObjBase::GetTabOrder() {
    TWinControl* control = GetTheControl();
    return control ? control->TabOrder() : -1;
}

bool TFormControlObjBase::GetTabStop() {
    TWinControl* control = GetTheControl();
    return control && control->TabStop();
}

bool TFormControlObjBase::GetHidden() { return false; }
void TFormControlObjBase::NotifyIfChanged() {}
void TFormControlObjBase::RememberEnterState() {}

void TFormControlObjBase::SetLeft(int32_t Value) {
    if (TWinControl* control = GetTheControl()) control->SetLeft(Value);
}

void TFormControlObjBase::SetTop(int32_t Value) {
    if (TWinControl* control = GetTheControl()) control->SetTop(Value);
}

void TFormControlObjBase::SetTabOrder(int32_t Value) {
    if (TWinControl* control = GetTheControl()) control->SetTabOrder(Value);
}

void TFormControlObjBase::SetTabStop(bool Value) {
    if (TWinControl* control = GetTheControl()) control->SetTabStop(Value);
}

bool TFormControlObjBase::GetSubmission(int, std::u16string& S) {
    S.clear();
    return false;
}

void TFormControlObjBase::DrawInline1(TCanvas*, int32_t X, int32_t Y) {
    // A print copy paints a picture instead (each control its own).
    if (IsCopy()) return;
    if (TWinControl* control = GetTheControl()) {
        control->SetBounds(X, Y, control->Width(), control->Height());
        control->Show();
    }
}

void TFormControlObjBase::Hide() {
    if (TWinControl* control = GetTheControl()) control->Hide();
}

void TFormControlObjBase::ProcessProperties(TProperties* Prop) {
    if (!Prop) return;
    ThtVMarginArray values;
    Prop->GetVMarginArray(values);
    ThtMarginArray pixels;
    ConvertObjectMargins(values, 100, Prop->EmSize(), Prop->ExSize(), pixels);
    const ThtVariant& width = values[piWidth];
    PercentWidth = VarIsStr(width) && VarStr(width).find(u'%') != std::u16string::npos;

    VSpaceT = VSpaceB = 1;
    auto given = [](int32_t V) { return V != NoValueSentinel && V != AutoSentinel; };
    if (given(pixels[MarginLeft])) HSpaceL = pixels[MarginLeft];
    if (given(pixels[MarginRight])) HSpaceR = pixels[MarginRight];
    if (given(pixels[MarginTop])) VSpaceT = pixels[MarginTop];
    if (given(pixels[MarginBottom])) VSpaceB = pixels[MarginBottom];

    if (Prop->HasBorderStyle()) {
        HSpaceL += pixels[BorderLeftWidth];
        HSpaceR += pixels[BorderRightWidth];
        BordT = pixels[BorderTopWidth];
        BordB = pixels[BorderBottomWidth];
        VSpaceT += BordT;
        VSpaceB += BordB;
    }

    const int32_t w = pixels[piWidth];
    if (given(w) && w > 0) {
        if (!PercentWidth) FWidth = w;
        else if (w <= 100) FWidth = w;
        else PercentWidth = false;  // more than the whole room: the width stays unset
    }
    const int32_t h = pixels[piHeight];
    if (given(h) && h > 0) FHeight = h - BordT - BordB;

    ThtAlignmentStyle align = aNone;
    if (Prop->GetVertAlign(align)) VertAlign = align;
    ThtAlignmentStyle side = aNone;
    if (Prop->GetFloat(side) && (side == aLeft || side == aRight)) {
        Floating = side;
        VertAlign = aNone;
    }
    BkColor = Prop->GetBackgroundColor();
}

void TFormControlObjBase::ResetToValue() {}
void TFormControlObjBase::SetData(int, std::u16string_view) {}
void TFormControlObjBase::SetDataInit() {}
void TFormControlObjBase::SetHeightWidth(TCanvas*) {}

void TFormControlObjBase::Show() {
    if (TWinControl* control = GetTheControl()) control->Show();
}

void TFormControlObjBase::SetStyleElements(TStyleElements) {
    // The framework draws every window control in the application's style;
    // the elements only choose themed colours for printed pictures.
}

// ---- events

void TFormControlObjBase::EnterEvent(TObject*) {
    if (IsCopy()) return;
    Active = true;
    invalidatePanel(FDocument);
    if (!FDocument) return;
    if (FDocument->ControlEnterEvent) FDocument->ControlEnterEvent(nullptr, this);
    if (FDocument->ObjectFocus && !OnFocusMessage.empty())
        FDocument->ObjectFocus(FDocument->Sender(), this, OnFocusMessage);
    if (!OnChangeMessage.empty()) RememberEnterState();
}

void TFormControlObjBase::ExitEvent(TObject*) {
    Active = false;
    if (!OnChangeMessage.empty()) NotifyIfChanged();
    if (FDocument && FDocument->ObjectBlur && !OnBlurMessage.empty())
        FDocument->ObjectBlur(FDocument->Sender(), this, OnBlurMessage);
    invalidatePanel(FDocument);
}

void TFormControlObjBase::FormControlClick(TObject*) {
    if (FDocument && FDocument->ObjectClick) FDocument->ObjectClick(FDocument->Sender(), this, OnClickMessage);
}

void TFormControlObjBase::HandleMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
    if (FDocument && FDocument->TheOwner) FDocument->TheOwner->ControlMouseMove(Sender, Shift, X, Y);
}

void TFormControlObjBase::DoChangeEvent() {
    if (FDocument && FDocument->ObjectChange) FDocument->ObjectChange(FDocument->Sender(), this, OnChangeMessage);
}

TImageFormControlObjBase::TImageFormControlObjBase(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                   TProperties* Prop)
    : TFormControlObjBase(Parent, Position, L, Prop, ThtFormControlKind::Image) {}

TImageFormControlObjBase::TImageFormControlObjBase(TCellBasic* Parent, const TImageFormControlObjBase& Source)
    : TFormControlObjBase(Parent, Source) {}
