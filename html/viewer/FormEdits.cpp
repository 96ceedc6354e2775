// One-line edits (text, password, file) and text areas.
#include <algorithm>

#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/HtmlScreen.h"
#include "html/text/HtmlText.h"
#include "html/text/Properties.h"
#include "html/viewer/FormControlFrames.h"
#include "html/viewer/FormControlSupport.h"
#include "html/viewer/HtmlFormControls.h"
#include "platform/framework/DeviceContext.h"

using namespace htmltext;
using namespace formcontrols;

namespace {

// Width in characters from a SIZE attribute: a positive number, or the
// number before the first blank or comma of a text like "20, 5" (20 when
// that does not read as a number); otherwise the default.
int32_t editSizeOf(const TAttribute& Size, int32_t Default) {
    if (Size.Value > 0) return Size.Value;
    const std::u16string& text = Size.Name;
    const size_t blank = text.find(u' '), comma = text.find(u',');
    if (blank == std::u16string::npos || comma == std::u16string::npos) return Default;
    const size_t first = std::min(blank, comma);
    if (first < 1) return Default;
    const std::optional<int64_t> n = toInt(text.substr(0, first));
    return n && *n > 0 && *n <= INT32_MAX ? int32_t(*n) : 20;
}

// Print pictures of text fields: the face with a sunken frame when the
// window control has a border (the text then starts 4 pixels in), else
// the face alone (2 pixels in). Answers the inset.
int drawFieldFace(TCanvas* Canvas, const ThtDocument* Doc, TColor Color, bool Bordered, int X, int Y, int W, int H) {
    const TStyleElements se = Doc ? Doc->StyleElements() : AllStyleElements;
    if (Bordered) {
        DrawFormControlFrame(Canvas, X, Y, X + W, Y + H, se, Color, false, Doc && Doc->PrintMonoBlack, false);
        return 4;
    }
    FillFormControlFace(Canvas, X, Y, X + W, Y + H, Color, se);
    return 2;
}

// What a print shows of a password: one '*' for each character.
std::u16string maskedText(std::u16string_view Text) {
    std::u16string masked;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (IsSurrogatePairAt(Text, i)) ++i;
        masked += u'*';
    }
    return masked;
}

}  // namespace

// ---- typed controls

TTypedFormControlObj::TTypedFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                                           ThtFormControlKind AKind)
    : TFormControlObj(Parent, Position, L, Prop, AKind), FInputType(lower(AttributeText(L, TypeSy))) {}

TTypedFormControlObj::TTypedFormControlObj(TCellBasic* Parent, const TTypedFormControlObj& Source)
    : TFormControlObj(Parent, Source), FInputType(Source.FInputType) {}

TEditBaseFormControlObj::TEditBaseFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                 TProperties* Prop, ThtFormControlKind AKind)
    : TTypedFormControlObj(Parent, Position, L, Prop, AKind) {
    FPlaceholder = AttributeText(L, PlaceholderSy);
    bool present = false;
    const std::u16string spell = AttributeText(L, SpellCheckSy, &present);
    FSpellCheck = !(present && lower(spell) == u"false");
    TAttribute* a = nullptr;
    if (L && L->Find(MaxLengthSy, a)) FMaxLength = std::max<int32_t>(0, a->Value);
}

TEditBaseFormControlObj::TEditBaseFormControlObj(TCellBasic* Parent, const TEditBaseFormControlObj& Source)
    : TTypedFormControlObj(Parent, Source), FPlaceholder(Source.FPlaceholder), FSpellCheck(Source.FSpellCheck),
      FMaxLength(Source.FMaxLength), EnterContents(Source.EnterContents) {}

void TEditBaseFormControlObj::SetData(int, std::u16string_view V) { SetText(V); }

void TEditBaseFormControlObj::RememberEnterState() { EnterContents = GetText(); }

void TEditBaseFormControlObj::NotifyIfChanged() {
    if (GetText() != EnterContents) DoChangeEvent();
}

// ---- edits

TEditFormControlObj::TEditFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                                         ThtFormControlKind AKind)
    : TEditBaseFormControlObj(Parent, Position, L, Prop, AKind) {
    if (Prop) CodePage = Prop->CodePage();
    TAttribute* size = nullptr;
    if (L && L->Find(SizeSy, size)) EditSize = editSizeOf(*size, EditSize);
    FControl = new ThtEdit(nullptr);
    PrepareControl(FControl);
    FControl->SetWidth(120);
    if (Prop && Prop->HasBorderStyle()) FControl->SetBorderStyle(bsNone);
    AssignPropertiesFont(FControl, Prop);
    FControl->SetHeight(FControl->FitHeight());
    FHeight = FControl->Height();
    {
        TCanvas measure;
        measure.Font()->Assign(FControl->Font());
        if (TDeviceContext* dc = measure.Handle()) tmAveCharWidth = dc->GetTextMetrics().AveCharWidth;
    }
    // A file input never takes its file name from the page.
    if (AKind == ThtFormControlKind::FileEdit) FValue.clear();
    SetText(FValue);
    FControl->SetModified(false);
    if (IsPassword()) FControl->SetPasswordChar(U'*');
    FControl->OnKeyPress = [this](TObject* Sender, char32_t& Key) {
        if (ThtmlForm* form = Form()) form->ControlKeyPress(Sender, Key);
    };
    FControl->OnClick = [this](TObject* Sender) { FormControlClick(Sender); };
    FControl->SetReadOnly(Readonly);
    if (!FPlaceholder.empty()) FControl->SetTextHint(toUtf8(FPlaceholder));
    if (FMaxLength != 0) FControl->SetMaxLength(FMaxLength);
}

TEditFormControlObj::TEditFormControlObj(TCellBasic* Parent, const TEditFormControlObj& Source)
    : TEditBaseFormControlObj(Parent, Source), FControl(Source.FControl), tmAveCharWidth(Source.tmAveCharWidth),
      EditSize(Source.EditSize) {}

TEditFormControlObj::~TEditFormControlObj() {
    if (!IsCopy() && FControl) FControl->Free();
}

std::unique_ptr<TSectionBase> TEditFormControlObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TEditFormControlObj(Parent, *this));
}

TWinControl* TEditFormControlObj::GetTheControl() { return FControl; }

std::u16string TEditFormControlObj::GetText() const { return FControl ? fromUtf8(FControl->GetText()) : u""; }

void TEditFormControlObj::SetText(std::u16string_view Value) {
    if (FControl) FControl->SetText(toUtf8(Value));
}

void TEditFormControlObj::ProcessProperties(TProperties* Prop) {
    TEditBaseFormControlObj::ProcessProperties(Prop);
    if (BkColor != clNone && FControl) FControl->SetColor(BkColor);
}

void TEditFormControlObj::SetHeightWidth(TCanvas* Canvas) {
    if (!FControl) return;
    Canvas->Font()->Assign(FControl->Font());
    if (PercentWidth) {
        // The layout gives the width later.
        FControl->SetLeft(OffScreenLeft);
        FControl->SetWidth(10);
    } else if (FWidth >= 10) {
        FControl->SetWidth(FWidth);
    } else {
        FControl->SetWidth(tmAveCharWidth * EditSize + 23);
    }
    FControl->SetHeight(std::max(FHeight, std::max(Canvas->TextHeight("A"), 10)));
}

bool TEditFormControlObj::GetSubmission(int Index, std::u16string& S) {
    S.clear();
    if (Index != 0) return false;
    S = FName + u"=" + GetText();
    return true;
}

void TEditFormControlObj::ResetToValue() { SetText(FValue); }

void TEditFormControlObj::DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) {
    TEditBaseFormControlObj::DrawInline1(Canvas, X, Y);
    if (!IsCopy() || !FControl) return;
    const int w = FControl->Width(), h = FControl->Height();
    TBrush brush;
    brush.Assign(Canvas->Brush());
    TFont font;
    font.Assign(Canvas->Font());
    const int a = drawFieldFace(Canvas, FDocument, FControl->Color(), FControl->BorderStyle() != bsNone, X, Y, w, h);
    SelectTextFont(Canvas, FDocument, FControl->Font());
    // A password never goes on paper: its characters print as '*'.
    const std::u16string text = IsPassword() ? maskedText(GetText()) : GetText();
    const int top = Y + (h - Canvas->TextHeight("A")) / 2;
    CanvasTextRectW(Canvas, Rect(X + a, Y, X + w - a / 2, Y + h), X + a, top, text);
    Canvas->Font()->Assign(&font);
    Canvas->Brush()->Assign(&brush);
}

// ---- text areas

TTextAreaFormControlObj::TTextAreaFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                 TProperties* Prop)
    : TEditBaseFormControlObj(Parent, Position, L, Prop, ThtFormControlKind::TextArea) {
    if (Prop) CodePage = Prop->CodePage();
    TScrollStyle scrollBars = ssVertical;
    for (int i = 0; L && i < L->Count(); ++i) {
        const TAttribute* a = L->GetAttribute(i);
        switch (a->Which) {
        case ColsSy: Cols = a->Value; break;
        case RowsSy: Rows = a->Value; break;
        case WrapSy:
            if (lower(a->Name) == u"off") {
                Wrap = TTextAreaWrap::Off;
                scrollBars = ssBoth;
            } else if (lower(a->Name) == u"hard") {
                Wrap = TTextAreaWrap::Hard;
            }
            break;
        default: break;
        }
    }
    FControl = new ThtMemo(nullptr);
    PrepareControl(FControl);
    if (Prop && Prop->HasBorderStyle()) FControl->SetBorderStyle(bsNone);
    AssignPropertiesFont(FControl, Prop);
    FControl->SetScrollBars(scrollBars);
    FControl->SetWordWrap(Wrap != TTextAreaWrap::Off);
    FControl->OnKeyPress = [this](TObject* Sender, char32_t& Key) {
        if (ThtmlForm* form = Form()) form->ControlKeyPress(Sender, Key);
    };
    FControl->OnClick = [this](TObject* Sender) { FormControlClick(Sender); };
    FControl->SetReadOnly(Readonly);
    TStringList hint;
    if (!FPlaceholder.empty()) hint.Add(toUtf8(FPlaceholder));
    FControl->SetTextHint(&hint);
    if (FMaxLength != 0) FControl->SetMaxLength(FMaxLength);
}

TTextAreaFormControlObj::TTextAreaFormControlObj(TCellBasic* Parent, const TTextAreaFormControlObj& Source)
    : TEditBaseFormControlObj(Parent, Source), FControl(Source.FControl), Wrap(Source.Wrap), Rows(Source.Rows),
      Cols(Source.Cols), TheText(Source.TheText) {}

TTextAreaFormControlObj::~TTextAreaFormControlObj() {
    if (!IsCopy() && FControl) FControl->Free();
}

std::unique_ptr<TSectionBase> TTextAreaFormControlObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TTextAreaFormControlObj(Parent, *this));
}

TWinControl* TTextAreaFormControlObj::GetTheControl() { return FControl; }

void TTextAreaFormControlObj::AddStr(const std::u16string& Text) { TheText += Text; }

std::u16string TTextAreaFormControlObj::GetText() const { return FControl ? fromUtf8(FControl->GetText()) : u""; }

void TTextAreaFormControlObj::SetText(std::u16string_view Value) {
    if (FControl) FControl->SetText(toUtf8(Value));
}

int TTextAreaFormControlObj::LineCount() const { return FControl ? FControl->VisualLineCount() : 0; }

std::u16string TTextAreaFormControlObj::GetLine(int Index) const {
    return FControl ? fromUtf8(FControl->VisualLine(Index)) : u"";
}

void TTextAreaFormControlObj::ProcessProperties(TProperties* Prop) {
    TEditBaseFormControlObj::ProcessProperties(Prop);
    if (BkColor != clNone && FControl) FControl->SetColor(BkColor);
}

void TTextAreaFormControlObj::ResetToValue() { SetText(TheText); }

void TTextAreaFormControlObj::SetHeightWidth(TCanvas* Canvas) {
    if (!FControl) return;
    Canvas->Font()->Assign(FControl->Font());
    if (FHeight < 10) FControl->SetClientHeight(Canvas->TextHeight("A") * Rows + 5);
    else FControl->SetHeight(FHeight);
    if (PercentWidth) {
        FControl->SetLeft(OffScreenLeft);
        FControl->SetWidth(50);
    } else if (FWidth < 10) {
        FControl->SetClientWidth(Canvas->TextWidth("s") * Cols + 5);
    } else {
        FControl->SetWidth(FWidth);
    }
}

bool TTextAreaFormControlObj::GetSubmission(int Index, std::u16string& S) {
    S.clear();
    if (Index != 0) return false;
    S = FName + u"=";
    if (Wrap == TTextAreaWrap::Hard) {
        // The lines as they show, each wrapped part a line of its own.
        const int n = LineCount();
        for (int i = 0; i < n; ++i) {
            if (i > 0) S += u"\r\n";
            S += GetLine(i);
        }
    } else {
        S += GetText();
    }
    return true;
}

void TTextAreaFormControlObj::DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) {
    TEditBaseFormControlObj::DrawInline1(Canvas, X, Y);
    if (!IsCopy() || !FControl) return;
    const int w = FControl->Width(), h = FControl->Height();
    TBrush brush;
    brush.Assign(Canvas->Brush());
    TFont font;
    font.Assign(Canvas->Font());
    const int a = drawFieldFace(Canvas, FDocument, FControl->Color(), FControl->BorderStyle() != bsNone, X, Y, w, h);
    SelectTextFont(Canvas, FDocument, FControl->Font());
    const int lineHeight = Canvas->TextHeight("A");
    const TRect clip = Rect(X + a, Y + a, X + w - 2 * a, Y + h - 2 * a);
    const int n = std::min(LineCount(), Rows);
    for (int i = 0; i < n; ++i) CanvasTextRectW(Canvas, clip, X + a, Y + a + i * lineHeight, GetLine(i));
    Canvas->Font()->Assign(&font);
    Canvas->Brush()->Assign(&brush);
}
