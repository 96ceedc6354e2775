#include "platform/framework/PopupList.h"

#include <QApplication>
#include <QGuiApplication>
#include <QFontMetrics>
#include <QListWidget>
#include <QMouseEvent>

#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

class PopupListFilter : public QObject {
public:
    explicit PopupListFilter(TPopupListBox* l) : FList(l) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* lw = static_cast<QListWidget*>(FList->Handle());
        if (!lw || !lw->isVisible()) return false;
        switch (e->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            if (o != lw->viewport()) return false;
            auto* me = static_cast<QMouseEvent*>(e);
            if (e->type() == QEvent::MouseButtonRelease && me->button() != Qt::LeftButton) return false;
            QPoint p = me->position().toPoint();
            QListWidgetItem* it = lw->itemAt(p);
            if (!it) return false;
            int row = lw->row(it);
            bool released = e->type() == QEvent::MouseButtonRelease;
            dispatchGuarded(FList, [this, row, released] { FList->PopupMouseRow(row, released); });
            return released;
        }
        case QEvent::MouseButtonPress: {
            auto* w = qobject_cast<QWidget*>(o);
            if (!w || w == lw || lw->isAncestorOf(w)) return false;
            // A press elsewhere closes the list and then takes its normal course.
            TControl* target = controlOfWidget(w);
            dispatchGuarded(FList, [this, target] { FList->PopupPressOutside(target); });
            return false;
        }
        case QEvent::WindowDeactivate: {
            // The list itself is never active: the window it was opened from
            // losing activation closes it.
            auto* w = qobject_cast<QWidget*>(o);
            if (w && w->isWindow()) dispatchGuarded(FList, [this] { FList->PopupDeactivated(); });
            return false;
        }
        default: return false;
        }
    }
    TPopupListBox* FList;
};

IMPLEMENT_CLASS(TPopupListBox, TListBox) {}

TPopupListBox::TPopupListBox(TComponent* AOwner) : TListBox(AOwner), FWatch(nullptr) {
    auto* lw = static_cast<QListWidget*>(Handle());
    FWatch = new PopupListFilter(this);
    // A tool-tip window: no window system activates it (a tool window may be
    // activated on showing, which takes the focus from the edit), and a modal
    // dialog that opened the list does not block it.
    lw->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    lw->setAttribute(Qt::WA_ShowWithoutActivating);
    lw->setFocusPolicy(Qt::NoFocus);
    lw->setFrameShape(QFrame::Box);
    lw->setLineWidth(1);
    lw->setSelectionMode(QAbstractItemView::SingleSelection);
    lw->setMouseTracking(true);
    lw->viewport()->setMouseTracking(true);
    // FWatch sees the application's events while the list is shown.
    SetTabStop(false);
    FVisible = false;
    lw->hide();
}

TPopupListBox::~TPopupListBox() {
    if (QWidget* w = Handle()) w->hide();
    if (qApp) qApp->removeEventFilter(FWatch);
    delete FWatch;
}

void TPopupListBox::PopupAt(TPoint screen) {
    QWidget* w = Handle();
    if (!w) return;
    w->resize(FWidth, FHeight);
    w->move(screen.X, screen.Y);
    FVisible = true;
    w->show();
    if (QGuiApplication::platformName() != "offscreen") w->raise();
    qApp->installEventFilter(FWatch);
}

void TPopupListBox::ClosePopup() {
    if (qApp) qApp->removeEventFilter(FWatch);
    FVisible = false;
    if (QWidget* w = Handle()) w->hide();
}

bool TPopupListBox::PopupShown() const {
    QWidget* w = Handle();
    return w && w->isVisible();
}

int TPopupListBox::ItemAtPos(TPoint client) const {
    auto* lw = static_cast<QListWidget*>(Handle());
    if (!lw) return -1;
    QListWidgetItem* it = lw->itemAt(lw->viewport()->mapFrom(lw, QPoint(client.X, client.Y)));
    return it ? lw->row(it) : -1;
}

int TPopupListBox::RowHeight() const {
    QWidget* w = Handle();
    QFontMetrics fm(w ? w->font() : QApplication::font());
    return fm.boundingRect(QString::fromUtf8("Йу")).height() + 6;
}
