#include "platform/framework/PopupWindow.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "platform/framework/QtInternals.h"

class PopupWindowFilter : public QObject {
public:
    explicit PopupWindowFilter(TPopupWindow* p) : FPopup(p) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        QWidget* pw = FPopup->FControl->Handle();
        if (!pw || !pw->isVisible()) return false;
        auto* w = qobject_cast<QWidget*>(o);
        bool inside = w && (w == pw || pw->isAncestorOf(w));
        switch (e->type()) {
        case QEvent::MouseButtonPress:
            if (!w || inside) return false;
            if (FPopup->OnPressOutside) {
                TControl* target = controlOfWidget(w);
                dispatchGuarded(FPopup->FControl, [&] { FPopup->OnPressOutside(target); });
            }
            return false;  // the press goes on to where it landed
        case QEvent::MouseButtonRelease: {
            if (!w || !FPopup->OnReleaseOutside) return false;
            auto* me = static_cast<QMouseEvent*>(e);
            QPoint g = me->globalPosition().toPoint();
            if (!QRect(pw->mapToGlobal(QPoint(0, 0)), pw->size()).contains(g)) {
                TControl* target = controlOfWidget(w);
                dispatchGuarded(FPopup->FControl, [&] { FPopup->OnReleaseOutside(target); });
            }
            return false;
        }
        case QEvent::WindowDeactivate:
            // The pop-up itself is never active: the window it was opened
            // from losing activation closes it.
            if (w && w->isWindow() && FPopup->OnDeactivate)
                dispatchGuarded(FPopup->FControl, [&] { FPopup->OnDeactivate(); });
            return false;
        default: return false;
        }
    }
    TPopupWindow* FPopup;
};

TPopupWindow::TPopupWindow(TControl* control) : FControl(control), FFilter(new PopupWindowFilter(this)) {
    if (QWidget* w = control->Handle()) {
        w->setParent(nullptr);
        // A tool-tip window: no window system activates it (a tool window may
        // be activated on showing, which takes the focus from the control that
        // opened it), and a modal dialog that opened it does not block it.
        w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus);
        w->setAttribute(Qt::WA_ShowWithoutActivating);
        w->setFocusPolicy(Qt::NoFocus);
        // A thin border of its own, as a pop-up window has.
        if (auto* f = qobject_cast<QFrame*>(w)) {
            f->setFrameShape(QFrame::Box);
            f->setLineWidth(1);
        }
        w->hide();
    }
    control->SetVisible(false);
}

TPopupWindow::~TPopupWindow() {
    if (qApp) qApp->removeEventFilter(FFilter);
    delete FFilter;
}

void TPopupWindow::Show(TPoint screen) {
    QWidget* w = FControl->Handle();
    if (!w) return;
    FControl->SetBounds(screen.X, screen.Y, FControl->Width(), FControl->Height());
    w->setGeometry(screen.X, screen.Y, FControl->Width(), FControl->Height());
    // Opened from a modal window, the pop-up belongs to it: a window outside
    // the modal one gets no mouse press or release (only double clicks), so
    // a click could never choose anything.
    w->winId();
    if (QWindow* window = w->windowHandle()) {
        QWidget* modal = QApplication::activeModalWidget();
        window->setTransientParent(modal && modal != w ? modal->windowHandle() : nullptr);
    }
    FControl->SetVisible(true);
    w->show();
    if (QGuiApplication::platformName() != "offscreen") w->raise();
    qApp->installEventFilter(FFilter);
}

void TPopupWindow::Hide() {
    if (qApp) qApp->removeEventFilter(FFilter);
    FControl->SetVisible(false);
    if (QWidget* w = FControl->Handle()) w->hide();
}

bool TPopupWindow::Shown() const {
    QWidget* w = FControl->Handle();
    return w && w->isVisible();
}
