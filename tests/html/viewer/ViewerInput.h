// Helpers of the tests that drive a real viewer with a real page through
// the paint panel's Qt events: a fixture with a shown form, mouse events,
// and the panel point of a character.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <string>

#include "html/viewer/ViewerFixture.h"

namespace viewertest {

class RealViewerTest : public ViewerTest {
protected:
    // A viewer of W × H without a border on the shown form, with the page loaded.
    THtmlViewer* showPage(const std::u16string& Html, int W = 400, int H = 200) {
        auto* v = new THtmlViewer(form);
        v->SetParent(form);
        v->SetBorderStyle(htNone);
        v->SetBounds(0, 0, W, H);
        form->Show();
        v->LoadFromString(Html);
        painted(v);
        return v;
    }
    // Hit tests use where things were drawn: the panel paints as it would
    // once the program is idle.
    static void painted(THtmlViewer* v) {
        QApplication::processEvents();
        v->PaintPanel()->Handle()->grab();
    }
    static QWidget* panel(THtmlViewer* v) { return v->PaintPanel()->Handle(); }

    static void mouse(THtmlViewer* v, QEvent::Type Type, QPoint P, Qt::MouseButton Button = Qt::LeftButton,
                      Qt::KeyboardModifiers Mods = Qt::NoModifier) {
        QWidget* w = panel(v);
        Qt::MouseButtons held = Button;
        if (Type == QEvent::MouseButtonRelease) held = Qt::NoButton;
        const Qt::MouseButton which = Type == QEvent::MouseMove ? Qt::NoButton : Button;
        QMouseEvent e(Type, QPointF(P), QPointF(w->mapToGlobal(P)), which, held, Mods);
        QApplication::sendEvent(w, &e);
    }
    static void press(THtmlViewer* v, QPoint P, Qt::KeyboardModifiers Mods = Qt::NoModifier,
                      Qt::MouseButton Button = Qt::LeftButton) {
        mouse(v, QEvent::MouseButtonPress, P, Button, Mods);
    }
    static void release(THtmlViewer* v, QPoint P, Qt::KeyboardModifiers Mods = Qt::NoModifier,
                        Qt::MouseButton Button = Qt::LeftButton) {
        mouse(v, QEvent::MouseButtonRelease, P, Button, Mods);
    }
    // A move; Held: the button held down meanwhile (NoButton: hovering).
    static void move(THtmlViewer* v, QPoint P, Qt::MouseButton Held = Qt::NoButton) {
        mouse(v, QEvent::MouseMove, P, Held);
    }
    static void click(THtmlViewer* v, QPoint P, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
        press(v, P, Mods);
        release(v, P, Mods);
    }
    static void doubleClick(THtmlViewer* v, QPoint P) {
        click(v, P);
        mouse(v, QEvent::MouseButtonDblClick, P);
        release(v, P);
    }
    static void wheel(THtmlViewer* v, int Delta) {
        QWidget* w = panel(v);
        const QPoint p(10, 10);
        QWheelEvent e(QPointF(p), QPointF(w->mapToGlobal(p)), QPoint(), QPoint(0, Delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    }
    // The middle of the character at display position Pos, on the panel.
    static QPoint charPoint(THtmlViewer* v, int32_t Pos) {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        EXPECT_TRUE(v->DisplayPosToXy(Pos, x0, y0));
        EXPECT_TRUE(v->DisplayPosToXy(Pos + 1, x1, y1));
        const int x = y1 == y0 && x1 > x0 ? (x0 + x1) / 2 : x0 + 2;
        return QPoint(x, y0 - v->VScrollBarPosition() + 6);
    }
    // The display position of the first occurrence of Text in the page.
    static int32_t posOf(THtmlViewer* v, const std::u16string& Text) {
        v->SetSelStart(0);
        EXPECT_TRUE(v->Find(Text, true));
        const int32_t p = v->SelStart() - int32_t(Text.size());
        v->SetSelStart(0);
        return p;
    }
};

}  // namespace viewertest
