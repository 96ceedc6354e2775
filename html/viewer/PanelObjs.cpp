#include "html/viewer/PanelObjs.h"

#include <algorithm>
#include <cmath>

#include "html/layout/AttributeList.h"
#include "html/layout/ImageDrawing.h"
#include "html/text/HtmlText.h"

using namespace htmltext;

namespace {

constexpr int OffScreen = -4000;

// The attribute's text as a whole integer, or Default when it is none.
int32_t intValue(const TAttribute* A, int32_t Default) {
    const std::optional<int64_t> v = toInt(trim(A->Name));
    if (!v) return Default;
    return int32_t(std::clamp<int64_t>(*v, INT32_MIN, INT32_MAX));
}

// A name the framework takes for a component: letters, digits and '_', not
// starting with a digit.
bool validComponentName(std::u16string_view Name) {
    if (Name.empty()) return false;
    for (size_t i = 0; i < Name.size(); ++i) {
        const char16_t c = Name[i];
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
        const bool digit = c >= u'0' && c <= u'9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

// A window control of an object: off-screen on the paint panel until drawn,
// at the size the tag asks for (not a percentage, above 0).
void placeNewControl(TControlObj& Obj, TWinControl* Control, int Width, int Height) {
    Control->SetBounds(OffScreen, OffScreen, Width, Height);
    if (Obj.SpecWidth > 0 && !Obj.PercentWidth) Control->SetWidth(Obj.SpecWidth);
    if (Obj.SpecHeight > 0 && !Obj.PercentHeight) Control->SetHeight(Obj.SpecHeight);
    if (ThtDocument* doc = Obj.Document(); doc && doc->PPanel) Control->SetParent(doc->PPanel);
}

// The object takes the control's size and joins the document's panels.
void enterObject(TControlObj& Obj, TWinControl* Control) {
    Obj.SetWidth = Control->Width();
    Obj.SetHeight = Control->Height();
    if (ThtDocument* doc = Obj.Document()) doc->PanelList.push_back(&Obj);
}

// The printed picture of a bar: its frame and the filled fraction.
void printBar(TCanvas* Canvas, int X, int Y, int W, int H, int Min, int Max, int Position, bool Marquee,
              TColor BarColor) {
    if (W < 1 || H < 1) return;
    TPen pen;
    pen.Assign(Canvas->Pen());
    TBrush brush;
    brush.Assign(Canvas->Brush());
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetColor(clGray);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(clWhite);
    Canvas->Rectangle(X, Y, X + W, Y + H);
    const int64_t range = int64_t(Max) - Min;
    if (!Marquee && range > 0 && W > 2 && H > 2) {
        const int64_t done = std::clamp<int64_t>(int64_t(Position) - Min, 0, range);
        const int filled = int(int64_t(W - 2) * done / range);
        if (filled > 0) {
            Canvas->Brush()->SetColor(BarColor);
            Canvas->FillRect(Rect(X + 1, Y + 1, X + 1 + filled, Y + H - 1));
        }
    }
    Canvas->Brush()->Assign(&brush);
    Canvas->Pen()->Assign(&pen);
}

}  // namespace

// ---- window classes

IMPLEMENT_CLASS(ThvPanel, TPanel) {}

ThvPanel::ThvPanel(TComponent* AOwner) : TPanel(AOwner) {}

void ThvPanel::SetHostVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    SetVisible(Value);
}

IMPLEMENT_CLASS(ThvMeter, TProgressBar) {}

ThvMeter::ThvMeter(TComponent* AOwner) : TProgressBar(AOwner) {}

void ThvMeter::UpdateBarColor() {
    const double position = Position();
    TColor color;
    if (!(position >= FLow)) color = FLowColor;  // below, or not comparable
    else if (position <= FHigh) color = TColor(0xFF0000);
    else color = FHighColor;
    SetBarColor(color);
}

void ThvMeter::SetPosition(int Value) {
    if (Value == Position()) return;
    TProgressBar::SetPosition(Value);
    UpdateBarColor();
}

void ThvMeter::SetLow(double Value) {
    if (Value == FLow) return;
    if (!(Min() < Value && Value < FHigh && Value < Max())) return;
    FLow = Value;
    UpdateBarColor();
}

void ThvMeter::SetHigh(double Value) {
    if (Value == FHigh) return;
    if (!(Value < Max() && Value > FLow && Value > Min())) return;
    FHigh = Value;
    UpdateBarColor();
}

void ThvMeter::SetOptimum(double Value) { FOptimum = Value; }

void ThvMeter::SetLowColor(TColor Value) {
    if (Value == FLowColor) return;
    FLowColor = Value;
    UpdateBarColor();
}

void ThvMeter::SetHighColor(TColor Value) {
    if (Value == FHighColor) return;
    FHighColor = Value;
    UpdateBarColor();
}

// ---- panels

TPanelObj::TPanelObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop, bool ObjectTag)
    : TControlObj(Parent, Position, L, Prop), FMyPanelObj(this) {
    VertAlign = aBottom;
    Floating = aNone;
    Panel = new ThvPanel(nullptr);
    Panel->SetBevelOuter(bvNone);
    Panel->SetBorderStyle(bsSingle);
    Panel->SetColor(clWhite);
    Panel->SetParentFont(false);
    placeNewControl(*this, Panel, 30, 20);
    for (int i = 0; L && i < L->Count(); ++i) {
        const TAttribute* a = L->GetAttribute(i);
        switch (a->Which) {
        case AltSy:
            SetAlt(a->CodePage, a->Name);
            Title = FAlt;
            break;
        case BorderSy:
            NoBorder = a->Value == 0;
            BorderSize = std::clamp(a->Value, 0, 10);
            break;
        case NameSy:
            // A name the framework cannot take leaves the panel's own; the host still gets the text.
            if (validComponentName(a->Name)) {
                try {
                    Panel->SetName(toUtf8(a->Name));
                } catch (const Exception&) {}
            }
            FName = a->Name;
            break;
        case SrcSy: FSource = a->Name; break;
        case TypeSy: FType = a->Name; break;
        default: break;
        }
    }
    Panel->SetCaption("");
    if (!ObjectTag && FDocument && FDocument->PanelCreateEvent)
        FDocument->PanelCreateEvent(FDocument->Sender(), FName, FType, FSource, Panel);
    enterObject(*this, Panel);
}

TPanelObj::TPanelObj(TCellBasic* Parent, const TPanelObj& Source)
    : TControlObj(Parent, Source), OPanel(Source.Panel), FMyPanelObj(this), FName(Source.FName),
      FSource(Source.FSource), FType(Source.FType) {
    // The copy's own panel only keeps the size and visibility; it is never shown.
    Panel = new ThvPanel(nullptr);
    Panel->Hide();
    if (Source.Panel) {
        Panel->SetBoundsRect(Source.Panel->BoundsRect());
        Panel->FVisible = Source.Panel->FVisible;
        Panel->SetColor(Source.Panel->Color());
    }
    if (ThtDocument* source = Source.Document()) {
        OSender = source->Sender();
        PanelPrintEvent = source->PanelPrintEvent;
    }
}

TPanelObj::~TPanelObj() {
    if (FDocument && !IsCopy() && FDocument->PanelDestroyEvent)
        FDocument->PanelDestroyEvent(FDocument->Sender(), Panel);
    if (Panel) Panel->Free();
}

std::unique_ptr<TSectionBase> TPanelObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TPanelObj(Parent, *this));
}

TColor TPanelObj::GetBackgroundColor() { return Panel ? Panel->Color() : TControlObj::GetBackgroundColor(); }

void TPanelObj::DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) {
    if (!IsCopy()) {
        TControlObj::DrawInline(Canvas, X, Y, YBaseline, FO);
        if (Panel) Panel->SetVisible(Panel->FVisible);
        return;
    }
    // Hidden, or nobody paints it: nothing is printed in its place.
    if (!Panel || !Panel->FVisible || !PanelPrintEvent || !OPanel) return;
    const int w = ClientWidth(), h = ClientHeight();
    if (w < 1 || h < 1) return;
    TBitmap picture(w, h);
    const TRect old = OPanel->BoundsRect();
    bool painted = false;
    try {
        OPanel->SetBounds(old.Left, old.Top, w, h);
        PanelPrintEvent(OSender, OPanel, &picture);
        painted = true;
    } catch (...) {
        // The host failed to paint: the live panel gets its size back below; nothing is printed.
    }
    OPanel->SetBoundsRect(old);
    if (painted) PrintBitmapDIB(Canvas, X, Y, w, h, &picture);
}

// ---- progress bars

TProgressObj::TProgressObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TControlObj(Parent, Position, L, Prop) {
    VertAlign = aBottom;
    Floating = aNone;
    Progress = new TProgressBar(nullptr);
    Progress->SetMax(100);
    Progress->SetSmooth(true);
    placeNewControl(*this, Progress, 100, 20);
    bool hasValue = false;
    for (int i = 0; L && i < L->Count(); ++i) {
        const TAttribute* a = L->GetAttribute(i);
        if (a->Which == MaxSy) {
            // A maximum of 0 or less would leave no bar to fill: the default stands.
            const int32_t max = intValue(a, 100);
            Progress->SetMax(max > 0 ? max : 100);
        } else if (a->Which == ValueSy) {
            hasValue = true;
            Progress->SetPosition(intValue(a, 0));
        }
    }
    Progress->SetStyle(hasValue ? pbstNormal : pbstMarquee);
    enterObject(*this, Progress);
}

TProgressObj::TProgressObj(TCellBasic* Parent, const TProgressObj& Source) : TControlObj(Parent, Source) {
    Progress = new TProgressBar(nullptr);
    Progress->Hide();
    if (Source.Progress) {
        Progress->SetBoundsRect(Source.Progress->BoundsRect());
        Progress->SetMax(Source.Progress->Max());
        Progress->SetPosition(Source.Progress->Position());
        Progress->SetStyle(Source.Progress->Style());
    }
}

TProgressObj::~TProgressObj() {
    if (Progress) Progress->Free();
}

std::unique_ptr<TSectionBase> TProgressObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TProgressObj(Parent, *this));
}

void TProgressObj::DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) {
    if (!IsCopy()) {
        TControlObj::DrawInline(Canvas, X, Y, YBaseline, FO);
        Progress->Show();
        return;
    }
    printBar(Canvas, X, Y, ClientWidth(), ClientHeight(), Progress->Min(), Progress->Max(), Progress->Position(),
             Progress->Style() == pbstMarquee, DocumentThemedColor(FDocument, clHighlight, seClient));
}

// ---- meters

TMeterObj::TMeterObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TControlObj(Parent, Position, L, Prop) {
    VertAlign = aBottom;
    Floating = aNone;
    Meter = new ThvMeter(nullptr);
    Meter->SetMax(100);
    Meter->SetSmooth(true);
    placeNewControl(*this, Meter, 100, 20);
    // In the order written: each value is checked against those set before it.
    for (int i = 0; L && i < L->Count(); ++i) {
        const TAttribute* a = L->GetAttribute(i);
        switch (a->Which) {
        case HighSy: Meter->SetHigh(intValue(a, 100)); break;
        case LowSy: Meter->SetLow(intValue(a, 0)); break;
        case MaxSy: Meter->SetMax(intValue(a, 100)); break;
        case MinSy: Meter->SetMin(intValue(a, 0)); break;
        case OptimumSy: Meter->SetOptimum(intValue(a, 50)); break;
        case ValueSy: Meter->SetPosition(intValue(a, 0)); break;
        default: break;
        }
    }
    Meter->SetStyle(pbstNormal);
    Meter->UpdateBarColor();
    enterObject(*this, Meter);
}

TMeterObj::TMeterObj(TCellBasic* Parent, const TMeterObj& Source) : TControlObj(Parent, Source) {
    Meter = new ThvMeter(nullptr);
    Meter->Hide();
    if (const ThvMeter* s = Source.Meter) {
        Meter->SetBoundsRect(s->BoundsRect());
        Meter->SetMin(s->Min());
        Meter->SetMax(s->Max());
        Meter->TProgressBar::SetPosition(s->Position());
        // The printed bar shows the live meter's colour.
        Meter->FLow = s->FLow;
        Meter->FHigh = s->FHigh;
        Meter->FOptimum = s->FOptimum;
        Meter->FLowColor = s->FLowColor;
        Meter->FHighColor = s->FHighColor;
        Meter->UpdateBarColor();
    }
}

TMeterObj::~TMeterObj() {
    if (Meter) Meter->Free();
}

std::unique_ptr<TSectionBase> TMeterObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TMeterObj(Parent, *this));
}

void TMeterObj::DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) {
    if (!IsCopy()) {
        TControlObj::DrawInline(Canvas, X, Y, YBaseline, FO);
        Meter->Show();
        return;
    }
    printBar(Canvas, X, Y, ClientWidth(), ClientHeight(), Meter->Min(), Meter->Max(), Meter->Position(), false,
             Meter->BarColor());
}
