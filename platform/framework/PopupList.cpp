#include "platform/framework/PopupList.h"

#include <QApplication>
#include <QFontMetrics>
#include <QListWidget>
#include <QMouseEvent>

#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

// Mouse movement and release over the shown list's rows.
class PopupRowFilter : public QObject {
public:
    explicit PopupRowFilter(TPopupListBox* l) : FList(l) {}
    bool eventFilter(QObject*, QEvent* e) override {
        auto* lw = static_cast<QListWidget*>(FList->Handle());
        if (!lw || !lw->isVisible()) return false;
        if (e->type() != QEvent::MouseMove && e->type() != QEvent::MouseButtonRelease) return false;
        auto* me = static_cast<QMouseEvent*>(e);
        bool released = e->type() == QEvent::MouseButtonRelease;
        if (released && me->button() != Qt::LeftButton) return false;
        QListWidgetItem* it = lw->itemAt(me->position().toPoint());
        if (!it) return false;
        int row = lw->row(it);
        dispatchGuarded(FList, [this, row, released] { FList->PopupMouseRow(row, released); });
        return released;
    }
    TPopupListBox* FList;
};

IMPLEMENT_CLASS(TPopupListBox, TListBox) {}

TPopupListBox::TPopupListBox(TComponent* AOwner) : TListBox(AOwner), FPopup(nullptr), FRows(nullptr) {
    auto* lw = static_cast<QListWidget*>(Handle());
    FPopup = new TPopupWindow(this);
    FPopup->OnPressOutside = [this](TControl* target) { PopupPressOutside(target); };
    FPopup->OnDeactivate = [this] { PopupDeactivated(); };
    lw->setSelectionMode(QAbstractItemView::SingleSelection);
    lw->setMouseTracking(true);
    lw->viewport()->setMouseTracking(true);
    FRows = new PopupRowFilter(this);
    lw->viewport()->installEventFilter(FRows);
    SetTabStop(false);
}

TPopupListBox::~TPopupListBox() {
    if (QWidget* w = Handle()) {
        w->hide();
        static_cast<QListWidget*>(w)->viewport()->removeEventFilter(FRows);
    }
    delete FPopup;
    delete FRows;
}

void TPopupListBox::PopupAt(TPoint screen) { FPopup->Show(screen); }

void TPopupListBox::ClosePopup() { FPopup->Hide(); }

bool TPopupListBox::PopupShown() const { return FPopup->Shown(); }

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
