#include "html/layout/ControlObjs.h"

#include <algorithm>
#include <vector>

#include "html/layout/AttributeList.h"
#include "html/layout/Borders.h"
#include "html/layout/Document.h"
#include "html/layout/ImageDrawing.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlStrings.h"
#include "html/text/HtmlText.h"
#include "platform/framework/Controls.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/Translation.h"

using namespace htmltext;

namespace {

// The addresses of the frames being loaded, outermost first: a page that
// frames itself, directly or through others, is not loaded again.
std::vector<std::u16string>& framesLoading() {
    static std::vector<std::u16string> chain;
    return chain;
}

}  // namespace

// ---- control objects

TControlObj::TControlObj(TCellBasic* Parent, const TControlObj& Source)
    : TSizeableObj(Parent, Source), SetWidth(Source.SetWidth), SetHeight(Source.SetHeight), ShowIt(Source.ShowIt) {}

TControlObj::~TControlObj() {
    // The document's panel list never keeps an object that is gone.
    if (FDocument) std::erase(FDocument->PanelList, this);
}

TColor TControlObj::GetBackgroundColor() { return clNone; }

void TControlObj::DrawLogicInline(TCanvas*, TFontObj*, int32_t AvailableWidth, int32_t AvailableHeight) {
    if (ClientSizeKnown && !PercentWidth && !PercentHeight) return;
    CalcSize(AvailableWidth, AvailableHeight, true, SetHeight, SetWidth);
    if (IsCopy() || ClientWidth() < 1 || ClientHeight() < 1) return;
    if (TWinControl* control = GetControl())
        control->SetBounds(control->Left(), control->Top(), ClientWidth(), ClientHeight());
}

void TControlObj::DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t, TFontObj* FO) {
    if (!IsCopy()) {
        DrawXX = X;
        if (TWinControl* control = GetControl()) control->SetBounds(X, Y, control->Width(), control->Height());
        return;
    }
    // A print copy shows a placeholder with the alternative text.
    TPen pen;
    pen.Assign(Canvas->Pen());
    TBrush brush;
    brush.Assign(Canvas->Brush());
    Canvas->Pen()->SetColor(DocumentThemedColor(FDocument, FO ? FO->TheFont->Color() : clBlack, seFont));
    const TColor background = GetBackgroundColor();
    if (background == clNone) {
        Canvas->Brush()->SetStyle(bsClear);  // no colour: the page shows through
    } else {
        Canvas->Brush()->SetColor(DocumentThemedColor(FDocument, background, seClient));
        Canvas->Brush()->SetStyle(bsSolid);
    }
    Canvas->Rectangle(X, Y, X + ClientWidth(), Y + ClientHeight());
    if (!FAlt.empty()) {
        TFont font;
        font.Assign(Canvas->Font());
        AssignAltTextFont(Canvas);
        DrawWrappedText(Canvas, X + 5, Y + 5, X + ClientWidth() - 5, Y + ClientHeight() - 5, FAlt);
        Canvas->Font()->Assign(&font);
    }
    Canvas->Brush()->Assign(&brush);
    Canvas->Pen()->Assign(&pen);
}

// ---- inline frames

TFrameObj::TFrameObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TControlObj(Parent, Position, L, Prop) {
    for (int i = 0; L && i < L->Count(); ++i) {
        const TAttribute* a = L->GetAttribute(i);
        switch (a->Which) {
        case AltSy: SetAlt(a->CodePage, a->Name); break;
        case FrameBorderSy: NoBorder = a->Value == 0; break;
        case MarginHeightSy: frMarginHeight = a->Value; break;
        case MarginWidthSy: frMarginWidth = a->Value; break;
        case ScrollingSy: NoScroll = equalsNoCase(trim(a->Name), u"no"); break;
        case SrcSy: FSource = trim(a->Name); break;
        default: break;
        }
    }
    CreateFrame();
    LoadFrame();
    if (TWinControl* control = GetControl()) {
        SetWidth = control->Width();
        SetHeight = control->Height();
    }
}

TFrameObj::TFrameObj(TCellBasic* Parent, const TFrameObj& Source)
    : TControlObj(Parent, Source), FSource(Source.FSource), frMarginWidth(Source.frMarginWidth),
      frMarginHeight(Source.frMarginHeight), NoScroll(Source.NoScroll) {
    // A print copy gets a viewer of its own; the frame is not loaded again.
    CreateFrame();
}

TFrameObj::~TFrameObj() = default;

std::unique_ptr<TSectionBase> TFrameObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TFrameObj(Parent, *this));
}

void TFrameObj::CreateFrame() {
    ThtDocumentOwner* owner = FDocument ? FDocument->TheOwner : nullptr;
    if (!owner) return;
    FViewer = owner->CreateIFrameControl();
    if (FViewer && FDocument->PPanel)
        if (TWinControl* control = FViewer->Control(); control && control->Parent() != FDocument->PPanel)
            control->SetParent(FDocument->PPanel);
    if (FSource.empty()) return;
    if (FDocument->ExpandName) {
        FUrl = FSource;
        FDocument->ExpandName(FDocument->Sender(), FSource, FUrl);
    } else {
        FUrl = owner->HtmlExpandFilename(FSource);
    }
}

void TFrameObj::LoadFrame() {
    if (FUrl.empty() || !FViewer || !FDocument) return;
    std::vector<std::u16string>& chain = framesLoading();
    const bool repeated =
        std::any_of(chain.begin(), chain.end(), [this](const std::u16string& u) { return equalsNoCase(u, FUrl); });
    if (repeated || chain.size() >= MaxFrameNesting) {
        KV_HLogFmtText(makeResult(0x80000000u, KFAC_RUNTIME, 0x0046),
                       zrnTranslateString("Вложенный фрейм \"%s\" не загружен: он уже загружается выше или "
                                          "вложен слишком глубоко")
                           .c_str(),
                       toUtf8(FUrl).c_str());
        return;
    }
    chain.push_back(FUrl);
    // The nested load must not disturb the outer document's parse: its
    // state is put aside and comes back on every way out.
    struct ParseState {
        ThtDocument* Doc;
        ThtmlFormBase* Form;
        TFontStyles Style;
        bool NoBreak;
        std::unique_ptr<ThtModelPropStack> Stack;
        ~ParseState() {
            Doc->SetCurrentForm(Form);
            Doc->SetCurrentStyle(Style);
            Doc->SetNoBreak(NoBreak);
            Doc->SetPropStack(std::move(Stack));
            framesLoading().pop_back();
        }
    } saved{FDocument, FDocument->CurrentForm(), FDocument->CurrentStyle(), FDocument->NoBreak(),
            std::move(FDocument->FPropStack)};
    FViewer->Load(FUrl);
}

void TFrameObj::DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) {
    // On screen the nested viewer paints itself; a print copy prints its picture.
    if (IsCopy() && FViewer && ClientWidth() > 0 && ClientHeight() > 0) {
        try {
            TBitmap picture;
            picture.SetPixelFormat(pf24bit);
            picture.SetSize(ClientWidth(), ClientHeight());
            if (FViewer->DrawPicture(picture.Canvas(), 0, 0, ClientWidth(), ClientHeight())) {
                picture.ReleaseCanvas();
                PrintBitmapDIB(Canvas, X, Y, ClientWidth(), ClientHeight(), &picture);
                return;
            }
        } catch (const Exception&) {
            // A picture too large to make: the placeholder is printed instead.
        }
    }
    TControlObj::DrawInline(Canvas, X, Y, YBaseline, FO);
}

TColor TFrameObj::GetBackgroundColor() { return FViewer ? FViewer->BackgroundColor() : clNone; }

TWinControl* TFrameObj::GetControl() { return FViewer ? FViewer->Control() : nullptr; }
