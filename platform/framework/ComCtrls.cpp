#include "platform/framework/ComCtrls.h"

#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

const TEnumInfo ProgressBarOrientationInfo{"TProgressBarOrientation", {"pbHorizontal", "pbVertical"}};
const TEnumInfo UDAlignButtonInfo{"TUDAlignButton", {"udLeft", "udRight"}};

// ---- TProgressBar

IMPLEMENT_CLASS(TProgressBar, TWinControl) {
    r.Integer("Max", &TProgressBar::Max, &TProgressBar::SetMax);
    r.Integer("Min", &TProgressBar::Min, &TProgressBar::SetMin);
    r.Enum("Orientation", ProgressBarOrientationInfo, &TProgressBar::Orientation, &TProgressBar::SetOrientation);
    r.Integer("Position", &TProgressBar::Position, &TProgressBar::SetPosition);
    r.Boolean("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth);
    r.Integer("Step", &TProgressBar::Step, &TProgressBar::SetStep);
}

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
    auto* p = new QProgressBar;
    p->setTextVisible(false);
    FWidth = 150;
    FHeight = 16;
    SetWidget(p);
    Apply();
}

void TProgressBar::Apply() {
    auto* p = static_cast<QProgressBar*>(Handle());
    if (!p) return;
    p->setRange(FMin, std::max(FMin, FMax));
    p->setValue(FPosition);
}
void TProgressBar::SetMin(int v) {
    FMin = v;
    FPosition = std::max(FPosition, FMin);
    Apply();
}
void TProgressBar::SetMax(int v) {
    FMax = v;
    FPosition = std::min(FPosition, std::max(FMin, FMax));
    Apply();
}
void TProgressBar::SetPosition(int v) {
    FPosition = std::clamp(v, FMin, std::max(FMin, FMax));
    Apply();
}
void TProgressBar::SetOrientation(TProgressBarOrientation v) {
    FOrientation = v;
    if (auto* p = static_cast<QProgressBar*>(Handle())) p->setOrientation(v == pbVertical ? Qt::Vertical : Qt::Horizontal);
}

// ---- TUpDown

IMPLEMENT_CLASS(TUpDown, TWinControl) {
    r.Enum("AlignButton", UDAlignButtonInfo, &TUpDown::AlignButton, &TUpDown::SetAlignButton);
    r.Object<TWinControl>("Associate", &TUpDown::Associate, &TUpDown::SetAssociate);
    r.Integer("Increment", &TUpDown::Increment, &TUpDown::SetIncrement);
    r.Integer("Max", &TUpDown::Max, &TUpDown::SetMax);
    r.Integer("Min", &TUpDown::Min, &TUpDown::SetMin);
    r.Integer("Position", &TUpDown::Position, &TUpDown::SetPosition);
    r.Boolean("Thousands", &TUpDown::Thousands, &TUpDown::SetThousands);
    r.Boolean("Wrap", &TUpDown::Wrap, &TUpDown::SetWrap);
}

TUpDown::TUpDown(TComponent* AOwner) : TWinControl(AOwner) {
    auto* w = new QWidget;
    auto* lay = new QVBoxLayout(w);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    auto* up = new QToolButton(w);
    auto* down = new QToolButton(w);
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    up->setAutoRepeat(true);
    down->setAutoRepeat(true);
    for (QToolButton* b : {up, down}) {
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setFocusPolicy(Qt::NoFocus);
        lay->addWidget(b);
    }
    FClickOnRelease = false;
    FWidth = 17;
    FHeight = 21;
    SetWidget(w);
    QObject::connect(up, &QToolButton::clicked, up, [this] { dispatchGuarded(this, [this] { ClickButton(btNext); }); });
    QObject::connect(down, &QToolButton::clicked, down, [this] { dispatchGuarded(this, [this] { ClickButton(btPrev); }); });
}

int TUpDown::Position() const {
    // The edit may have been typed into: its number is the position.
    if (FAssociate) {
        String t = FAssociate->GetText();
        String digits;
        for (char c : t)
            if (c != ' ' && c != ',' && c != '\xA0') digits += c;
        int64_t v = StrToInt64Def(digits, FPosition);
        return int(std::clamp<int64_t>(v, FMin, FMax));
    }
    return FPosition;
}

void TUpDown::SetPosition(int v) {
    FPosition = std::clamp(v, std::min(FMin, FMax), std::max(FMin, FMax));
    ShowPosition();
}

void TUpDown::ShowPosition() {
    if (!FAssociate) return;
    String digits = std::to_string(FPosition);
    if (FThousands) {
        String out;
        size_t start = digits[0] == '-' ? 1 : 0;
        for (size_t i = 0; i < digits.size(); ++i) {
            out += digits[i];
            size_t rest = digits.size() - i - 1;
            if (i >= start && rest > 0 && rest % 3 == 0) out += ' ';
        }
        digits = out;
    }
    FAssociate->SetText(digits);
}

void TUpDown::ClickButton(TUDBtnType b) {
    fire(OnChanging, this);
    int pos = Position();
    int next = pos + (b == btNext ? FIncrement : -FIncrement);
    if (next > FMax) next = FWrap ? FMin : FMax;
    if (next < FMin) next = FWrap ? FMax : FMin;
    SetPosition(next);
    if (OnClick) OnClick(this, b);
}

void TUpDown::SetAssociate(TWinControl* c) {
    if (FAssociate) FAssociate->RemoveFreeNotification(this);
    FAssociate = c;
    if (c) {
        c->FreeNotification(this);
        Place();
        ShowPosition();
    }
}

void TUpDown::Place() {
    if (!FAssociate || !FAssociate->Parent()) return;
    if (Parent() != FAssociate->Parent()) SetParent(FAssociate->Parent());
    int x = FAlignButton == udRight ? FAssociate->Left() + FAssociate->Width() : FAssociate->Left() - Width();
    SetBounds(x, FAssociate->Top(), Width(), FAssociate->Height());
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAssociate) FAssociate = nullptr;
}
