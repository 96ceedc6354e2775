#include "components/UrlLabel.h"

#include <cctype>

#include "platform/runtime/Log.h"
#include "platform/win/Shell.h"

IMPLEMENT_CLASS(TUrlAnimateStyle, TPersistent) {
    r.Set("NormalStyle", FontStyleInfo, &TUrlAnimateStyle::NormalStyle, &TUrlAnimateStyle::SetNormalStyle);
    r.Set("MouseMoveStyle", FontStyleInfo, &TUrlAnimateStyle::MouseMoveStyle, &TUrlAnimateStyle::SetMouseMoveStyle);
    r.Set("VisitedStyle", FontStyleInfo, &TUrlAnimateStyle::VisitedStyle, &TUrlAnimateStyle::SetVisitedStyle);
    r.Set("VisitedMouseMoveStyle", FontStyleInfo, &TUrlAnimateStyle::VisitedMouseMoveStyle,
          &TUrlAnimateStyle::SetVisitedMouseMoveStyle);
    r.Integer("NormalColor", &TUrlAnimateStyle::NormalColor, &TUrlAnimateStyle::SetNormalColor);
    r.Integer("MouseMoveColor", &TUrlAnimateStyle::MouseMoveColor, &TUrlAnimateStyle::SetMouseMoveColor);
    r.Integer("VisitedColor", &TUrlAnimateStyle::VisitedColor, &TUrlAnimateStyle::SetVisitedColor);
    r.Integer("VisitedMouseMoveColor", &TUrlAnimateStyle::VisitedMouseMoveColor,
              &TUrlAnimateStyle::SetVisitedMouseMoveColor);
    r.Integer("ClickColor", &TUrlAnimateStyle::ClickColor, &TUrlAnimateStyle::SetClickColor);
}

TUrlAnimateStyle::TUrlAnimateStyle(TUrlLabel* owner) : FLabel(owner) {
    if (!owner) return;
    const TFontStyles style = owner->Font()->Style();
    FNormalStyle = FMouseMoveStyle = FVisitedStyle = FVisitedMouseMoveStyle = style;
    FNormalColor = owner->Font()->Color();
}

void TUrlAnimateStyle::SetNormalStyle(TFontStyles v) {
    FNormalStyle = v;
    if (FLabel) FLabel->Font()->SetStyle(v);
}

void TUrlAnimateStyle::SetNormalColor(TColor v) {
    FNormalColor = v;
    if (FLabel) FLabel->Font()->SetColor(v);
}

bool TUrlAnimateStyle::visited() const { return FLabel && FLabel->Visited(); }
TFontStyles TUrlAnimateStyle::GetFontStyle() const { return visited() ? FVisitedStyle : FNormalStyle; }
TColor TUrlAnimateStyle::GetColor() const { return visited() ? FVisitedColor : FNormalColor; }
TFontStyles TUrlAnimateStyle::GetMoveStyle() const { return visited() ? FVisitedMouseMoveStyle : FMouseMoveStyle; }
TColor TUrlAnimateStyle::GetMoveColor() const { return visited() ? FVisitedMouseMoveColor : FMouseMoveColor; }

IMPLEMENT_CLASS(TUrlLabel, TStaticText) {
    r.Str("ServicePrefix", &TUrlLabel::GetPrefix, &TUrlLabel::SetPrefix);
    r.Boolean("Animate", &TUrlLabel::Animate, &TUrlLabel::SetAnimate);
    r.Object<TUrlAnimateStyle>("Animation", &TUrlLabel::Animation, &TUrlLabel::SetAnimation);
}

TUrlLabel::TUrlLabel(TComponent* AOwner) : TStaticText(AOwner) {
    Font()->SetColor(clNavy);
    Font()->SetStyle(Font()->Style() | fsSet(fsUnderline));
    FAnimation = new TUrlAnimateStyle(this);
    OnClick = [this](TObject* s) { dblClick(s); };
    OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { urlMouseDown(s, b, sh, x, y); };
    OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { urlMouseUp(s, b, sh, x, y); };
}

TUrlLabel::~TUrlLabel() {
    delTimer();
    delete FAnimation;
}

void TUrlLabel::SetAnimation(TUrlAnimateStyle* v) {
    if (!v || v == FAnimation) return;
    FAnimation->SetNormalStyle(v->NormalStyle());
    FAnimation->SetMouseMoveStyle(v->MouseMoveStyle());
    FAnimation->SetVisitedStyle(v->VisitedStyle());
    FAnimation->SetVisitedMouseMoveStyle(v->VisitedMouseMoveStyle());
    FAnimation->SetNormalColor(v->NormalColor());
    FAnimation->SetMouseMoveColor(v->MouseMoveColor());
    FAnimation->SetVisitedColor(v->VisitedColor());
    FAnimation->SetVisitedMouseMoveColor(v->VisitedMouseMoveColor());
    FAnimation->SetClickColor(v->ClickColor());
}

String TUrlLabel::linkText() const { return FServicePrefix + GetText(); }

bool TUrlLabel::isOpenableLink(const String& link) {
    String lower;
    for (char c : link.substr(0, 8)) lower += char(std::tolower(static_cast<unsigned char>(c)));
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0 || lower.rfind("mailto:", 0) == 0;
}

void TUrlLabel::applyFont(TFontStyles style, TColor color) {
    Font()->SetStyle(style);
    Font()->SetColor(color);
}

void TUrlLabel::dblClick(TObject*) {
    const String link = linkText();
    // A label opens web and mail addresses only: never a program, a file or
    // another scheme, whatever its text says.
    if (!isOpenableLink(link)) {
        KV_HLogFmtText(0, "Ссылка не открыта (разрешены только адреса http, https и mailto): %s", link.c_str());
        return;
    }
    if (shellOpen(link.c_str()) != 0) KV_HLogFmtText(0, "Не удалось открыть ссылку: %s", link.c_str());
    Font()->SetColor(clPurple);
}

void TUrlLabel::urlMouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (FAnimate && Button == mbLeft) applyFont(FAnimation->GetFontStyle(), FAnimation->ClickColor());
}

void TUrlLabel::urlMouseUp(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (!FAnimate || Button != mbLeft) return;
    FVisited = true;
    applyFont(FAnimation->GetFontStyle(), FAnimation->GetColor());
}

void TUrlLabel::SetAnimate(bool v) {
    if (v == FAnimate) return;
    FAnimate = v;
    if (v) {
        FTimer = new TTimer(this);
        FTimer->SetInterval(100);
        FTimer->OnTimer = [this](TObject* s) { urlTimer(s); };
        SetCursor(crHandPoint);
    } else {
        delTimer();
        SetCursor(crDefault);
    }
}

void TUrlLabel::delTimer() {
    if (!FTimer) return;
    FTimer->Free();
    FTimer = nullptr;
}

void TUrlLabel::SetVisited(bool v) {
    FVisited = v;
    applyFont(FAnimation->GetFontStyle(), FAnimation->GetColor());
}

void TUrlLabel::SetContainMouse(bool v) {
    if (v == FContainMouse) return;
    FContainMouse = v;
    if (v) applyFont(FAnimation->GetMoveStyle(), FAnimation->GetMoveColor());
    else applyFont(FAnimation->GetFontStyle(), FAnimation->GetColor());
}

void TUrlLabel::urlTimer(TObject*) {
    const TPoint p = ScreenToClient(MouseCursorPos());
    SetContainMouse(p.X >= 0 && p.X <= Width() && p.Y >= 0 && p.Y <= Height());
}
