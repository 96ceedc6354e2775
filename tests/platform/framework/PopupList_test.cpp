#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>

#include "platform/framework/Forms.h"
#include "platform/framework/PopupList.h"
#include "platform/framework/QtTestApp.h"

namespace {

struct TRecordingList : TPopupListBox {
    std::vector<std::pair<int, bool>> rows;
    std::vector<TControl*> outside;
    int deactivated = 0;
    explicit TRecordingList(TComponent* o) : TPopupListBox(o) {}
    void PopupMouseRow(int row, bool released) override { rows.emplace_back(row, released); }
    void PopupPressOutside(TControl* target) override { outside.push_back(target); }
    void PopupDeactivated() override { ++deactivated; }
};

void mouse(QWidget* w, QEvent::Type t, QPoint p) {
    QMouseEvent e(t, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton,
                  t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST(PopupListBox, ShowsWithoutTakingTheFocusAndReportsTheMouse) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    f->SetBounds(50, 50, 300, 200);
    auto* edit = new TEdit(f);
    edit->SetParent(f);
    auto* btn = new TButton(f);
    btn->SetParent(f);
    btn->SetTop(60);
    auto* list = new TRecordingList(edit);
    for (const char* t : {"один", "два", "три"}) list->Items()->Add(t);
    list->SetBounds(0, 0, 120, 3 * list->RowHeight());
    EXPECT_GT(list->RowHeight(), 6);
    f->Show();
    f->BringToFront();
    Application->ProcessMessages();
    edit->SetFocus();
    EXPECT_FALSE(list->PopupShown());

    list->PopupAt(edit->ClientToScreen(Point(0, edit->Height())));
    // What the window system does with the new window has happened by now.
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    ASSERT_TRUE(list->PopupShown());
    EXPECT_EQ(QApplication::focusWidget(), edit->Handle());
    EXPECT_EQ(list->Height(), 3 * list->RowHeight());
    EXPECT_TRUE(edit->Focused());

    auto* lw = static_cast<QListWidget*>(list->Handle());
    QRect second = lw->visualItemRect(lw->item(1));
    EXPECT_EQ(list->ItemAtPos(Point(second.center().x(), lw->viewport()->mapTo(lw, second.center()).y())), 1);
    mouse(lw->viewport(), QEvent::MouseMove, second.center());
    mouse(lw->viewport(), QEvent::MouseButtonRelease, second.center());
    EXPECT_EQ(list->rows, (std::vector<std::pair<int, bool>>{{1, false}, {1, true}}));

    mouse(btn->Handle(), QEvent::MouseButtonPress, QPoint(3, 3));
    ASSERT_EQ(list->outside.size(), 1u);
    EXPECT_EQ(list->outside[0], btn);

    // Another window taking the activation from the edit's form.
    EXPECT_EQ(list->deactivated, 0);
    auto* other = CreateComponent<TForm>(Application);
    other->Show();
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    EXPECT_GE(list->deactivated, 1);
    other->Free();

    list->ClosePopup();
    EXPECT_FALSE(list->PopupShown());
    // Closed: the mouse is no longer watched.
    mouse(btn->Handle(), QEvent::MouseButtonPress, QPoint(3, 3));
    EXPECT_EQ(list->outside.size(), 1u);
    f->Free();
}

}  // namespace
