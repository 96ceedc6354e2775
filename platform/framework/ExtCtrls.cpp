#include "platform/framework/ExtCtrls.h"

#include <QCoreApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

const TEnumInfo BevelCutInfo{"TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}};

// Draws the panel's bevels and centred caption, as the framework's panel does.
class PanelWidget : public QWidget {
public:
    explicit PanelWidget(TPanel* p) : FPanel(p) {}
    void paintEvent(QPaintEvent*) override {
        QPainter pt(this);
        QRect r = rect();
        auto bevel = [&](TBevelCut cut) {
            if (cut == bvNone) return;
            if (cut != bvSpace) {
                QColor hi = palette().color(QPalette::Light), lo = palette().color(QPalette::Mid);
                if (cut == bvLowered) std::swap(hi, lo);
                for (int i = 0; i < FPanel->FBevelWidth; ++i) {
                    pt.setPen(hi);
                    pt.drawLine(r.left(), r.top(), r.right(), r.top());
                    pt.drawLine(r.left(), r.top(), r.left(), r.bottom());
                    pt.setPen(lo);
                    pt.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
                    pt.drawLine(r.right(), r.top(), r.right(), r.bottom());
                    r.adjust(1, 1, -1, -1);
                }
            } else {
                r.adjust(FPanel->FBevelWidth, FPanel->FBevelWidth, -FPanel->FBevelWidth, -FPanel->FBevelWidth);
            }
        };
        bevel(FPanel->FBevelOuter);
        bevel(FPanel->FBevelInner);
        QString t = toQ(FPanel->GetText());
        if (!t.isEmpty()) {
            pt.setPen(palette().color(QPalette::WindowText));
            int a = Qt::AlignVCenter | Qt::TextShowMnemonic;
            a |= FPanel->FAlignment == taCenter ? Qt::AlignHCenter
                 : FPanel->FAlignment == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
            pt.drawText(r.adjusted(2, 0, -2, 0), a, t);
        }
    }
    TPanel* FPanel;
};

IMPLEMENT_CLASS(TPanel, TWinControl) {
    r.Enum("Alignment", AlignmentInfo, &TPanel::Alignment, &TPanel::SetAlignment);
    r.Enum("BevelInner", BevelCutInfo, &TPanel::BevelInner, &TPanel::SetBevelInner);
    r.Enum("BevelOuter", BevelCutInfo, &TPanel::BevelOuter, &TPanel::SetBevelOuter);
    r.Integer("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth);
    r.Str("Caption", &TPanel::GetText, &TPanel::SetText);
    r.Boolean("ParentBackground", &TPanel::ParentBackground, &TPanel::SetParentBackground);
}

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 185;
    FHeight = 41;
    SetWidget(new PanelWidget(this));
}
void TPanel::ApplyText() { Invalidate(); }
void TPanel::SetBevelOuter(TBevelCut v) { FBevelOuter = v; Invalidate(); }
void TPanel::SetBevelInner(TBevelCut v) { FBevelInner = v; Invalidate(); }
void TPanel::SetBevelWidth(int v) { FBevelWidth = v < 1 ? 1 : v; Invalidate(); }
void TPanel::SetAlignment(TAlignment v) { FAlignment = v; Invalidate(); }

// ---- TTimer

IMPLEMENT_CLASS(TTimer, TComponent) {
    r.Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled);
    r.Integer("Interval", &TTimer::Interval, &TTimer::SetInterval);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), FTimer(new QTimer) {
    QObject::connect(FTimer, &QTimer::timeout, FTimer, [this] { Fire(); });
    if (QCoreApplication::instance()) Apply();
}
TTimer::~TTimer() {
    FTimer->stop();
    delete FTimer;
}
void TTimer::Fire() {
    if (!FEnabled) return;
    dispatchGuarded(this, [this] { fire(OnTimer, this); });
}
void TTimer::Apply() {
    if (FEnabled && FInterval > 0 && !IsDesigning()) FTimer->start(int(FInterval));
    else FTimer->stop();
}
void TTimer::SetEnabled(bool v) {
    FEnabled = v;
    Apply();
}
void TTimer::SetInterval(unsigned v) {
    FInterval = v;
    Apply();
}
