#include "platform/framework/StatusBar.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStatusTipEvent>

#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

namespace {
// Status tips travel from the widget under the mouse up to its window; the
// bar listens for those of its own window.
class StatusTipFilter : public QObject {
public:
    explicit StatusTipFilter(TStatusBar* bar) : FBar(bar) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::StatusTip) return false;
        auto* target = qobject_cast<QWidget*>(watched);
        QWidget* own = FBar->Handle();
        if (!target || !own || target->window() != own->window()) return false;
        // Each tip reaches every widget up the chain: take it once, at the window.
        if (!target->isWindow()) return false;
        const String text = fromQ(static_cast<QStatusTipEvent*>(e)->tip());
        dispatchGuarded(FBar, [&] { FBar->HintShown(text); });
        return false;
    }
    TStatusBar* FBar;
};
}  // namespace

IMPLEMENT_CLASS(TStatusBar, TWinControl) {
    r.Enum("Align", AlignInfo, &TStatusBar::Align, &TStatusBar::SetAlign);
    r.Boolean("AutoHint", &TStatusBar::AutoHint, &TStatusBar::SetAutoHint);
    r.Boolean("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel);
    r.Str("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
}

TStatusBar::TStatusBar(TComponent* AOwner) : TWinControl(AOwner) {
    auto* w = new QLabel;
    w->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    w->setTextFormat(Qt::PlainText);
    FWidth = 200;
    FHeight = 19;
    SetWidget(w);
    SetAlign(alBottom);
    FFilter = new StatusTipFilter(this);
    if (qApp) qApp->installEventFilter(FFilter);
}

TStatusBar::~TStatusBar() {
    if (qApp) qApp->removeEventFilter(FFilter);
    delete FFilter;
}

void TStatusBar::SetSimpleText(const String& v) {
    FSimpleText = v;
    if (auto* w = static_cast<QLabel*>(Handle())) w->setText(toQ(v));
}

void TStatusBar::HintShown(const String& text) {
    if (FAutoHint) SetSimpleText(text);
}
