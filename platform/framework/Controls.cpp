#include "platform/framework/Controls.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGesture>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPaintEvent>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <vector>
#include <map>

#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

const TEnumInfo AlignInfo{"TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"}};
const TEnumInfo AnchorsInfo{"TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"}};
const TEnumInfo AlignmentInfo{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};
const TEnumInfo BorderStyleInfo{"TBorderStyle", {"bsNone", "bsSingle"}};

struct TControl::WidgetRef {
    QPointer<QWidget> w;
};

namespace {

QHash<const QWidget*, TControl*>& widgetMap() {
    static QHash<const QWidget*, TControl*> m;
    return m;
}

int gDispatchDepth = 0;

struct EventStamp {
    QEvent::Type type = QEvent::None;
    quint64 ts = 0;
    QPointF global;
};
EventStamp gLastMouse;
struct WheelStamp {
    quint64 ts = 0;
    QPointF global;
    const TControl* control = nullptr;
};
WheelStamp gLastWheel;

TShiftState shiftOf(Qt::KeyboardModifiers m, Qt::MouseButtons b = Qt::NoButton) {
    TShiftState s = 0;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::AltModifier) s |= ssAlt;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    if (b & Qt::LeftButton) s |= ssLeft;
    if (b & Qt::RightButton) s |= ssRight;
    if (b & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TMouseButton buttonOf(Qt::MouseButton b) {
    if (b == Qt::RightButton) return mbRight;
    if (b == Qt::MiddleButton) return mbMiddle;
    return mbLeft;
}

Qt::CursorShape cursorShape(TCursor c) {
    switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

}  // namespace

// ---- helpers shared with the other framework files

void RefreshControlColors() {
    std::vector<TControl*> controls;
    for (TControl* c : widgetMap()) controls.push_back(c);
    for (TControl* c : controls) {
        if (c->IsDestroying()) continue;
        c->ApplyColor();
        c->ApplyFont();
    }
}

TControl* controlOfWidget(const QWidget* w) {
    for (; w; w = w->parentWidget()) {
        auto it = widgetMap().constFind(w);
        if (it != widgetMap().constEnd()) return it.value();
    }
    return nullptr;
}

namespace {

struct CustomCursor {
    QImage image;  // ARGB, transparent where the mask was white
    QPoint hotSpot;
};

std::map<TCursor, CustomCursor>& customCursors() {
    static std::map<TCursor, CustomCursor> m;
    return m;
}

}  // namespace

void SetCustomCursor(TCursor Cursor, const TBitmap& Image, const TBitmap& Mask, TPoint HotSpot) {
    if (Image.Empty()) {
        customCursors().erase(Cursor);
        return;
    }
    QImage img = Image.Image().convertToFormat(QImage::Format_ARGB32);
    const QImage mask = Mask.Image().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < std::min(img.height(), mask.height()); ++y)
        for (int x = 0; x < std::min(img.width(), mask.width()); ++x)
            if (qGray(mask.pixel(x, y)) >= 128) img.setPixel(x, y, 0);
    customCursors()[Cursor] = CustomCursor{img, QPoint(HotSpot.X, HotSpot.Y)};
}

bool IsCustomCursor(TCursor Cursor) { return customCursors().count(Cursor) > 0; }

QCursor qtCursor(TCursor c) {
    auto it = customCursors().find(c);
    if (it != customCursors().end())
        return QCursor(QPixmap::fromImage(it->second.image), it->second.hotSpot.x(), it->second.hotSpot.y());
    return QCursor(cursorShape(c));
}

void dispatchGuarded(TObject* sender, const std::function<void()>& fn) {
    ++gDispatchDepth;
    try {
        fn();
    } catch (const std::exception& e) {
        if (Application) Application->HandleException(sender, e);
    } catch (...) {
        if (Application) Application->HandleException(sender, std::runtime_error("Unknown exception"));
    }
    --gDispatchDepth;
}

bool insideDispatch() { return gDispatchDepth > 0; }

uint16_t vkFromQtKey(int key) {
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) return uint16_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return uint16_t(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Equal: return VK_OEM_PLUS;
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Slash: return VK_DIVIDE;
    default: return 0;
    }
}

// The keypad's plus and minus keep their own codes; the main keyboard's
// '=' ('+' with Shift) and '-' keys have theirs, as the system gives them.
uint16_t vkFromKeyEvent(const QKeyEvent* ke) {
    const bool keypad = ke->modifiers() & Qt::KeypadModifier;
    if (!keypad && ke->key() == Qt::Key_Minus) return VK_OEM_MINUS;
    if (!keypad && ke->key() == Qt::Key_Plus) return VK_OEM_PLUS;
    return vkFromQtKey(ke->key());
}

int qtKeyFromVk(uint16_t vk) {
    if (vk == VK_OEM_MINUS) return Qt::Key_Minus;
    if (vk == VK_OEM_PLUS) return Qt::Key_Equal;
    for (int k : {Qt::Key_Backspace, Qt::Key_Tab,    Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space,   Qt::Key_PageUp,
                  Qt::Key_PageDown,  Qt::Key_End,    Qt::Key_Home,   Qt::Key_Left,   Qt::Key_Up,      Qt::Key_Right,
                  Qt::Key_Down,      Qt::Key_Insert, Qt::Key_Delete, Qt::Key_Shift,  Qt::Key_Control, Qt::Key_Alt,
                  Qt::Key_Menu,      Qt::Key_Plus,   Qt::Key_Minus})
        if (vkFromQtKey(k) == vk) return k;
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return vk;
    if (vk >= VK_F1 && vk <= VK_F12) return Qt::Key_F1 + (vk - VK_F1);
    return 0;
}

// Forwards the widget's events to its control.
class ControlEventFilter : public QObject {
public:
    explicit ControlEventFilter(TControl* c) : FControl(c) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (!FControl || FControl->IsDestroying()) return false;
        if (watched != FControl->Handle()) {
            // An inner widget: only what the user does with the mouse.
            switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::ContextMenu:
            case QEvent::Wheel: break;
            default: return false;
            }
        }
        bool consumed = false;
        dispatchGuarded(FControl, [&] { consumed = FControl->WidgetEvent(e); });
        return consumed;
    }
    TControl* FControl;
};

// ---- TControl

IMPLEMENT_CLASS(TControl, TComponent) {
    r.Integer("Left", &TControl::Left, &TControl::SetLeft);
    r.Integer("Top", &TControl::Top, &TControl::SetTop);
    r.Integer("Width", &TControl::Width, &TControl::SetWidth);
    r.Integer("Height", &TControl::Height, &TControl::SetHeight);
    r.Enum("Align", AlignInfo, &TControl::Align, &TControl::SetAlign);
    r.Set("Anchors", AnchorsInfo, &TControl::Anchors, &TControl::SetAnchors);
    r.Integer("Color", &TControl::Color, &TControl::SetColor);
    r.Integer("Cursor", &TControl::Cursor, &TControl::SetCursor);
    r.Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled);
    r.Object<TFont>("Font", &TControl::Font, &TControl::SetFont);
    r.Str("Hint", &TControl::Hint, &TControl::SetHint);
    r.Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
    r.Boolean("ParentFont", &TControl::ParentFont, &TControl::SetParentFont);
    r.Boolean("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint);
    r.Object<TPopupMenu>("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
    r.Boolean("ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
    r.Boolean("Visible", &TControl::Visible, &TControl::SetVisible);
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FWidget(new WidgetRef), FFont(new TFont) {
    FFont->OnChange = [this](TObject*) {
        FParentFont = false;
        ApplyFont();
    };
}

TControl::~TControl() {
    Destroying();
    SetAction(nullptr);
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    if (FParent) FParent->RemoveControl(this);
    if (QWidget* w = FWidget->w) {
        widgetMap().remove(w);
        if (FFilter) w->removeEventFilter(FFilter);
        if (insideDispatch()) {
            // We may be inside one of this widget's own signals: let Qt finish first.
            w->hide();
            w->setParent(nullptr);
            w->deleteLater();
        } else {
            delete w;
        }
    }
    delete FFilter;
    delete FWidget;
    delete FFont;
}

QWidget* TControl::Handle() const { return FWidget->w; }

void TControl::SetWidget(QWidget* w) {
    if (QWidget* old = FWidget->w) {
        widgetMap().remove(old);
        delete old;
    }
    FWidget->w = w;
    if (!w) return;
    widgetMap().insert(w, this);
    if (!FFilter) FFilter = new ControlEventFilter(this);
    w->installEventFilter(FFilter);
    if (FWidth <= 0 || FHeight <= 0) {
        QSize hint = w->sizeHint();
        if (FWidth <= 0) FWidth = hint.width() > 0 ? hint.width() : 100;
        if (FHeight <= 0) FHeight = hint.height() > 0 ? hint.height() : 25;
    }
    ApplyBounds();
    ApplyFont();
    ApplyColor();
    ApplyHint();
    w->setEnabled(FEnabled);
    if (FOpaque) w->setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TControl::WatchChildWidget(QWidget* w) {
    if (!w) return;
    if (!FFilter) FFilter = new ControlEventFilter(this);
    w->installEventFilter(FFilter);
}

TCustomForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c->FParent) c = c->FParent;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::SetParent(TWinControl* p) {
    if (p == FParent) return;
    if (p == this) throw EComponentError("A control cannot be its own parent");
    for (TWinControl* q = p; q; q = q->FParent)
        if (q == this) throw EComponentError("A control cannot be placed inside itself");
    if (FParent) FParent->RemoveControl(this);
    if (p) p->InsertControl(this);
}

void TControl::ApplyBounds() {
    QWidget* w = Handle();
    if (!w) return;
    FSettingBounds = true;
    if (w->isWindow()) {
        w->move(FLeft, FTop);
        w->resize(std::max(FWidth, 0), std::max(FHeight, 0));
    } else {
        w->setGeometry(FLeft, FTop, std::max(FWidth, 0), std::max(FHeight, 0));
    }
    FSettingBounds = false;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
    bool sized = AWidth != FWidth || AHeight != FHeight;
    if (ALeft == FLeft && ATop == FTop && !sized) return;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    ApplyBounds();
    if (sized) Resize();
    if (FParent && FAlign != alNone && !IsDestroying()) FParent->AlignControls();
}

void TControl::UpdateBoundsFromWidget() {
    QWidget* w = Handle();
    if (!w || FSettingBounds) return;
    QRect g = w->isWindow() ? QRect(w->pos(), w->size()) : w->geometry();
    bool sized = g.width() != FWidth || g.height() != FHeight;
    FLeft = g.x();
    FTop = g.y();
    FWidth = g.width();
    FHeight = g.height();
    if (sized) Resize();
}

TPoint TControl::ClientToScreen(TPoint p) const {
    QWidget* w = Handle();
    if (!w) return p;
    QPoint g = w->mapToGlobal(QPoint(p.X, p.Y));
    return Point(g.x(), g.y());
}
TPoint TControl::ScreenToClient(TPoint p) const {
    QWidget* w = Handle();
    if (!w) return p;
    QPoint g = w->mapFromGlobal(QPoint(p.X, p.Y));
    return Point(g.x(), g.y());
}

void TControl::SetAlign(TAlign v) {
    if (v == FAlign) return;
    FAlign = v;
    if (FParent) FParent->AlignControls();
}

void TControl::SetVisible(bool v) {
    FVisible = v;
    QWidget* w = Handle();
    if (w && FParent) w->setVisible(v);
    if (FParent && FAlign != alNone) FParent->AlignControls();
}

bool TControl::Showing() const {
    QWidget* w = Handle();
    return w && w->isVisible();
}

void TControl::SetEnabled(bool v) {
    if (v == FEnabled) return;
    FEnabled = v;
    if (QWidget* w = Handle()) w->setEnabled(v);
}

void TControl::SetColor(TColor v) {
    FColor = v;
    FParentColor = false;
    ApplyColor();
}
void TControl::SetParentColor(bool v) {
    FParentColor = v;
    if (v && FParent) FColor = FParent->Color();
    ApplyColor();
}
void TControl::ParentColorChanged() {
    if (FParentColor && FParent) {
        FColor = FParent->Color();
        ApplyColor();
    }
}
void TControl::ApplyColor() {
    QWidget* w = Handle();
    if (!w) return;
    if (FParentColor || FColor == clNone || FColor == clDefault) {
        w->setAutoFillBackground(false);
        w->setPalette(QPalette());
        return;
    }
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, toQColor(FColor));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void TControl::SetFont(TFont* f) {
    if (f && f != FFont) FFont->Assign(f);  // OnChange clears ParentFont and applies
}
void TControl::SetParentFont(bool v) {
    FParentFont = v;
    if (v && FParent) {
        auto cb = std::move(FFont->OnChange);
        FFont->Assign(FParent->Font());
        FFont->OnChange = std::move(cb);
    }
    ApplyFont();
}
void TControl::ParentFontChanged() {
    if (!FParentFont || !FParent) return;
    auto cb = std::move(FFont->OnChange);
    FFont->Assign(FParent->Font());
    FFont->OnChange = std::move(cb);
    ApplyFont();
}
void TControl::ApplyFont() {
    QWidget* w = Handle();
    if (!w) return;
    if (FParentFont) {
        w->setFont(QFont());
        w->setAttribute(Qt::WA_SetFont, false);
    } else {
        w->setFont(toQFont(*FFont));
    }
    QPalette pal = w->palette();
    if (!FParentFont && FFont->Color() != clWindowText) {
        pal.setColor(QPalette::WindowText, toQColor(FFont->Color()));
        pal.setColor(QPalette::Text, toQColor(FFont->Color()));
        pal.setColor(QPalette::ButtonText, toQColor(FFont->Color()));
        w->setPalette(pal);
    }
    // Children that follow our font.
    if (auto* wc = dynamic_cast<TWinControl*>(this))
        for (int i = 0; i < wc->ControlCount(); ++i) wc->Controls(i)->ParentFontChanged();
}

void TControl::SetHint(const String& v) {
    FHint = v;
    ApplyHint();
}
void TControl::SetShowHint(bool v) {
    FShowHint = v;
    FParentShowHint = false;
    ApplyHint();
}
void TControl::SetParentShowHint(bool v) {
    FParentShowHint = v;
    ApplyHint();
}
String GetShortHint(const String& hint) { return hint.substr(0, hint.find('|')); }

String GetLongHint(const String& hint) {
    const size_t bar = hint.find('|');
    return bar == String::npos ? hint : hint.substr(bar + 1);
}

void TControl::ApplyHint() {
    QWidget* w = Handle();
    if (!w) return;
    bool show = FShowHint;
    if (FParentShowHint)
        for (TWinControl* p = FParent; p; p = p->FParent)
            if (!p->FParentShowHint || !p->FParent) {
                show = p->FShowHint;
                break;
            }
    // Only the part before '|' is the tooltip (the rest is the long hint).
    w->setToolTip(show ? toQ(GetShortHint(FHint)) : QString());
    // The long part goes to the window's status bar while the mouse is over the control.
    w->setStatusTip(toQ(GetLongHint(FHint)));
}

void TControl::SetText(const String& v) {
    FText = v;
    ApplyText();
}

void TControl::SetCursor(TCursor v) {
    FCursor = v;
    if (QWidget* w = Handle()) {
        if (v == crDefault) w->unsetCursor();
        else w->setCursor(qtCursor(v));
    }
}

void TControl::SetPopupMenu(TPopupMenu* m) {
    if (m == FPopupMenu) return;
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = m;
    if (m) m->FreeNotification(this);
}

void TControl::SetAction(TBasicAction* a) { LinkAction(FAction, a); }

void TControl::ActionChanged(TBasicAction* a) {
    auto* act = dynamic_cast<TAction*>(a);
    if (!act) return;
    SetCaption(act->Caption());
    SetEnabled(act->Enabled());
    SetHint(act->Hint());
    SetVisible(act->Visible());
}

void TControl::ActionDestroyed(TBasicAction* a) {
    if (FAction == a) FAction = nullptr;
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::BringToFront() {
    if (QWidget* w = Handle()) w->raise();
}
void TControl::SendToBack() {
    if (QWidget* w = Handle()) w->lower();
}
void TControl::Invalidate() {
    if (QWidget* w = Handle()) w->update();
}
void TControl::InvalidateRect(const TRect& r) {
    if (QWidget* w = Handle())
        if (r.Width() > 0 && r.Height() > 0) w->update(QRect(r.Left, r.Top, r.Width(), r.Height()));
}
void TControl::Repaint() {
    if (QWidget* w = Handle()) w->repaint();
}
void TControl::Update() {
    QWidget* w = Handle();
    if (!w || !w->isVisible()) return;
    // The window's pending paint goes out now: what is marked, nothing more.
    QCoreApplication::sendPostedEvents(w->window(), QEvent::UpdateRequest);
}
void TControl::ScrollWindow(int dx, int dy) {
    if (QWidget* w = Handle())
        if (dx != 0 || dy != 0) w->scroll(dx, dy);
}
void TControl::SetOpaque(bool v) {
    FOpaque = v;
    if (QWidget* w = Handle()) w->setAttribute(Qt::WA_OpaquePaintEvent, v);
}
void TControl::PaintTo(TCanvas* Canvas, int X, int Y) {
    QWidget* w = Handle();
    if (!Canvas || !w || w->width() <= 0 || w->height() <= 0) return;
    w->ensurePolished();
    // Rendered on the control's own background, whether or not it shows.
    QImage img(w->size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(w->palette().color(w->backgroundRole()));
    w->render(&img, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    TBitmap picture;
    picture.SetImage(img.convertToFormat(QImage::Format_RGB32));
    Canvas->Draw(X, Y, &picture);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    return handled;
}

void TControl::SetPanGestures(bool v) {
    if (QWidget* w = Handle()) {
        if (v) w->grabGesture(Qt::PanGesture);
        else w->ungrabGesture(Qt::PanGesture);
    }
}

void TControl::Gesture(const TGestureEventInfo& Info, bool& Handled) {
    if (OnGesture) OnGesture(this, Info, Handled);
    else DoGesture(Info, Handled);
}

int WheelScrollLines() {
    EnsureApplication();
    return QApplication::wheelScrollLines();
}
void SetWheelScrollLines(int lines) {
    EnsureApplication();
    QApplication::setWheelScrollLines(lines);
}

void TControl::Click() {
    // An action's execution stands in for OnClick when the handlers differ.
    if (FAction && FEnabled) {
        FAction->ActionComponent = this;
        if (FAction->Execute()) return;
    }
    fire(OnClick, this);
}
void TControl::DblClick() { fire(OnDblClick, this); }
void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) { fire(OnMouseDown, this, b, s, x, y); }
void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) { fire(OnMouseUp, this, b, s, x, y); }
void TControl::MouseMove(TShiftState s, int x, int y) { fire(OnMouseMove, this, s, x, y); }
void TControl::Resize() { fire(OnResize, this); }

bool TControl::WidgetEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(e);
        // A press a child ignored reaches us again: handle each press once.
        if (gLastMouse.type == e->type() && gLastMouse.ts == me->timestamp() &&
            gLastMouse.global == me->globalPosition() && me->timestamp() != 0)
            return false;
        gLastMouse = {e->type(), me->timestamp(), me->globalPosition()};
        QPoint p = me->position().toPoint();
        TShiftState s = shiftOf(me->modifiers(), me->buttons());
        if (e->type() == QEvent::MouseButtonPress) {
            FPressed = me->button() == Qt::LeftButton;
            MouseDown(buttonOf(me->button()), s, p.x(), p.y());
        } else if (e->type() == QEvent::MouseButtonDblClick) {
            MouseDown(buttonOf(me->button()), s | ssDouble, p.x(), p.y());
            DblClick();
        } else {
            bool click = FPressed && me->button() == Qt::LeftButton && Handle() && Handle()->rect().contains(p);
            FPressed = false;
            if (click && FClickOnRelease && FEnabled) Click();
            MouseUp(buttonOf(me->button()), s, p.x(), p.y());
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(e);
        QPoint p = me->position().toPoint();
        MouseMove(shiftOf(me->modifiers(), me->buttons()), p.x(), p.y());
        return false;
    }
    case QEvent::Wheel: {
        auto* we = static_cast<QWheelEvent*>(e);
        // An event an inner widget let go reaches its control again: once is enough.
        if (gLastWheel.ts != 0 && gLastWheel.ts == we->timestamp() && gLastWheel.control == this &&
            gLastWheel.global == we->globalPosition())
            return false;
        gLastWheel = {we->timestamp(), we->globalPosition(), this};
        const int delta = we->angleDelta().y();  // eighths of a degree: 120 a notch, as the system counts
        if (delta == 0) return false;
        const QPoint g = we->globalPosition().toPoint();
        if (!DoMouseWheel(shiftOf(we->modifiers(), we->buttons()), delta, Point(g.x(), g.y()))) {
            we->ignore();  // on to the parent
            return false;
        }
        we->accept();
        return true;
    }
    case QEvent::Gesture: {
        auto* ge = static_cast<QGestureEvent*>(e);
        auto* pan = static_cast<QPanGesture*>(ge->gesture(Qt::PanGesture));
        if (!pan || !Handle()) return false;
        TGestureEventInfo info;
        info.GestureID = igiPan;
        const QPoint at = Handle()->mapFromGlobal(pan->hotSpot().toPoint()) + pan->offset().toPoint();
        info.Location = Point(at.x(), at.y());
        if (pan->state() == Qt::GestureStarted) info.Flags |= gfBegin;
        if (pan->state() == Qt::GestureFinished || pan->state() == Qt::GestureCanceled) info.Flags |= gfEnd;
        bool handled = false;
        Gesture(info, handled);
        if (handled) ge->accept(pan);
        return handled;
    }
    case QEvent::ContextMenu:
        if (FPopupMenu) {
            auto* ce = static_cast<QContextMenuEvent*>(e);
            FPopupMenu->PopupComponent = this;
            FPopupMenu->Popup(ce->globalPos().x(), ce->globalPos().y());
            return true;
        }
        return false;
    case QEvent::Resize:
    case QEvent::Move: UpdateBoundsFromWidget(); return false;
    default: return false;
    }
}

// ---- TWinControl

IMPLEMENT_CLASS(TWinControl, TControl) {
    r.Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop);
    r.Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder);
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
    Destroying();
    // Child controls go with their parent, whoever owns them.
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        c->Free();
        if (!FControls.empty() && FControls.back() == c) FControls.pop_back();
    }
}

bool TWinControl::ContainsControl(const TControl* c) const {
    for (; c; c = c->FParent)
        if (c == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* c) {
    if (!c || c->FParent == this) return;
    FControls.push_back(c);
    c->FParent = this;
    if (auto* wc = dynamic_cast<TWinControl*>(c)) FTabOrder.push_back(wc);
    if (QWidget* w = c->Handle()) {
        w->setParent(ClientWidget());
        c->ApplyBounds();
        w->setVisible(c->FVisible);
    }
    if (c->FParentColor) c->ParentColorChanged();
    if (c->FParentFont) c->ParentFontChanged();
    c->ApplyHint();
    ApplyTabOrder();
    if (c->FAlign != alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* c) {
    auto it = std::find(FControls.begin(), FControls.end(), c);
    if (it == FControls.end()) return;
    if (TCustomForm* f = ParentForm()) f->DefocusRemoved(c, this);
    FControls.erase(it);
    FTabOrder.erase(std::remove(FTabOrder.begin(), FTabOrder.end(), c), FTabOrder.end());
    c->FParent = nullptr;
    if (!c->IsDestroying())
        if (QWidget* w = c->Handle()) {
            w->hide();
            w->setParent(nullptr);
        }
    if (!IsDestroying() && c->FAlign != alNone) AlignControls();
}

QWidget* TWinControl::ClientWidget() const { return Handle(); }

int TWinControl::ClientWidth() const {
    QWidget* w = ClientWidget();
    if (w && w != Handle()) return w->width();
    return FWidth;
}
int TWinControl::ClientHeight() const {
    QWidget* w = ClientWidget();
    if (w && w != Handle()) return w->height();
    return FHeight;
}
void TWinControl::SetClientWidth(int v) { SetWidth(FWidth - ClientWidth() + v); }
void TWinControl::SetClientHeight(int v) { SetHeight(FHeight - ClientHeight() + v); }

void TWinControl::SetTabStop(bool v) {
    FTabStop = v;
    if (QWidget* w = Handle()) w->setFocusPolicy(v ? Qt::StrongFocus : Qt::NoFocus);
}

int TWinControl::TabOrder() const {
    if (!FParent) return -1;
    auto& v = FParent->FTabOrder;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

void TWinControl::SetTabOrder(int v) {
    if (!FParent) return;
    auto& list = FParent->FTabOrder;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    v = std::clamp(v, 0, int(list.size()));
    list.insert(list.begin() + v, this);
    FParent->ApplyTabOrder();
}

void TWinControl::ApplyTabOrder() {
    // Qt keeps one focus chain per window: rebuild it from the whole tree.
    TCustomForm* f = ParentForm();
    TWinControl* root = f ? static_cast<TWinControl*>(f) : this;
    std::vector<QWidget*> chain;
    std::function<void(TWinControl*)> walk = [&](TWinControl* p) {
        for (TWinControl* c : p->FTabOrder) {
            if (QWidget* w = c->Handle()) chain.push_back(w);
            walk(c);
        }
    };
    walk(root);
    for (size_t i = 1; i < chain.size(); ++i)
        if (chain[i - 1]->window() == chain[i]->window()) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

std::vector<TWinControl*> TWinControl::TabList() const { return FTabOrder; }

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->FVisible || !c->FEnabled) {
            if (c->FParent || !dynamic_cast<const TCustomForm*>(c)) return false;
        }
    return Handle() != nullptr;
}

void TWinControl::SetFocus() {
    QWidget* w = Handle();
    if (!w) return;
    TCustomForm* f = ParentForm();
    if (f && f != this && f->ActiveControl() != this) {
        // A shown form focuses its new active control itself; focusing once
        // more would retry a move that an exit handler has just refused.
        f->SetActiveControl(this);
        if (f->Showing()) return;
    }
    w->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const {
    QWidget* w = Handle();
    if (!w) return false;
    QWidget* fw = QApplication::focusWidget();
    if (!fw) fw = w->window()->focusWidget();
    return fw && (fw == w || (fw->focusProxy() == w) || controlOfWidget(fw) == this);
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
    std::vector<TWinControl*> all;
    std::function<void(TWinControl*)> walk = [&](TWinControl* p) {
        for (TWinControl* c : p->FTabOrder) {
            if (!checkTabStop || c->FTabStop) all.push_back(c);
            walk(c);
        }
    };
    walk(this);
    if (all.empty()) return;
    auto it = std::find(all.begin(), all.end(), current);
    size_t n = all.size(), start = it == all.end() ? (forward ? n - 1 : 0) : size_t(it - all.begin());
    for (size_t step = 1; step <= n; ++step) {
        size_t i = forward ? (start + step) % n : (start + n - step) % n;
        if (all[i]->CanFocus()) {
            all[i]->SetFocus();
            return;
        }
    }
}

void TWinControl::EnableAlign() {
    if (FAlignLock > 0 && --FAlignLock == 0) AlignControls();
}

void TWinControl::AlignControls() {
    if (FAlignLock > 0 || IsDestroying()) return;
    ++FAlignLock;
    const TRect area = AlignArea();
    int left = area.Left, top = area.Top, right = area.Right, bottom = area.Bottom;
    auto pick = [&](TAlign a) {
        std::vector<TControl*> v;
        for (TControl* c : FControls)
            if (c->FAlign == a && c->FVisible) v.push_back(c);
        std::stable_sort(v.begin(), v.end(), [a](TControl* x, TControl* y) {
            switch (a) {
            case alTop: return x->FTop < y->FTop;
            case alBottom: return x->FTop + x->FHeight > y->FTop + y->FHeight;
            case alLeft: return x->FLeft < y->FLeft;
            case alRight: return x->FLeft + x->FWidth > y->FLeft + y->FWidth;
            default: return false;
            }
        });
        return v;
    };
    for (TControl* c : pick(alTop)) {
        c->SetBounds(left, top, std::max(right - left, 0), c->FHeight);
        top += c->FHeight;
    }
    for (TControl* c : pick(alBottom)) {
        c->SetBounds(left, bottom - c->FHeight, std::max(right - left, 0), c->FHeight);
        bottom -= c->FHeight;
    }
    for (TControl* c : pick(alLeft)) {
        c->SetBounds(left, top, c->FWidth, std::max(bottom - top, 0));
        left += c->FWidth;
    }
    for (TControl* c : pick(alRight)) {
        c->SetBounds(right - c->FWidth, top, c->FWidth, std::max(bottom - top, 0));
        right -= c->FWidth;
    }
    for (TControl* c : pick(alClient)) c->SetBounds(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
    --FAlignLock;
}

void TWinControl::ClientResized() {
    int w = ClientWidth(), h = ClientHeight();
    if (FLastClientW >= 0 && (w != FLastClientW || h != FLastClientH)) {
        int dx = w - FLastClientW, dy = h - FLastClientH;
        for (TControl* c : FControls) {
            if (c->FAlign != alNone) continue;
            TAnchors a = c->FAnchors;
            int l = c->FLeft, t = c->FTop, cw = c->FWidth, ch = c->FHeight;
            if (a & akSet(akRight)) {
                if (a & akSet(akLeft)) cw += dx;
                else l += dx;
            } else if (!(a & akSet(akLeft))) {
                l += dx / 2;
            }
            if (a & akSet(akBottom)) {
                if (a & akSet(akTop)) ch += dy;
                else t += dy;
            } else if (!(a & akSet(akTop))) {
                t += dy / 2;
            }
            c->SetBounds(l, t, cw, ch);
        }
    }
    FLastClientW = w;
    FLastClientH = h;
    AlignControls();
}

void TWinControl::Resize() {
    ClientResized();
    TControl::Resize();
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}
void TWinControl::KeyPress(char32_t& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}
void TWinControl::DoEnter() { fire(OnEnter, this); }
void TWinControl::DoExit() { fire(OnExit, this); }

static QWidget* currentFocus(QWidget* w) {
    QWidget* fw = QApplication::focusWidget();
    if (!fw || fw->window() != w->window()) fw = w->window()->focusWidget();
    return fw ? fw : w->window();
}

namespace {
// The key event a control hands to its own widget after OnKeyPress replaced
// the character; the control's handlers have already seen it.
const QKeyEvent* gReplayedKey = nullptr;

void replayKey(QWidget* w, const QKeyEvent* original, char32_t ch) {
    int key = Qt::Key_unknown;
    if (ch == U'\r') key = Qt::Key_Return;
    else if (ch == 27) key = Qt::Key_Escape;
    else if (ch == U'\b') key = Qt::Key_Backspace;
    QKeyEvent replay(QEvent::KeyPress, key, original->modifiers(), QString::fromUcs4(&ch, 1), original->isAutoRepeat());
    const QKeyEvent* outer = gReplayedKey;
    gReplayedKey = &replay;
    QApplication::sendEvent(w, &replay);
    gReplayedKey = outer;
}
}  // namespace

bool TWinControl::WidgetEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        QWidget* w = Handle();
        if (!w || e == gReplayedKey) return false;
        // The key belongs to the control that has the focus; its parents see it pass.
        if (controlOfWidget(currentFocus(w)) != this) return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        uint16_t key = vkFromKeyEvent(ke);
        TShiftState s = shiftOf(ke->modifiers());
        TCustomForm* f = ParentForm();
        bool preview = f && f != this && f->KeyPreview();
        if (e->type() == QEvent::KeyPress) {
            if (key) {
                const bool arrow = key >= VK_LEFT && key <= VK_DOWN;
                if (preview) f->KeyDown(key, s);
                if (key) KeyDown(key, s);
                if (!key || (arrow && FWantArrows)) return true;
            }
            QString t = ke->text();
            if (!t.isEmpty() &&
                (t[0].isPrint() || t[0] == QChar('\r') || t[0] == QChar('\x1b') || t[0] == QChar('\b'))) {
                const char32_t typed = t.toUcs4().value(0);
                char32_t ch = typed;
                if (preview) f->KeyPress(ch);
                if (ch) KeyPress(ch);
                if (!ch) return true;
                if (ch != typed) {
                    // A handler replaced the character: the widget gets the new one instead.
                    replayKey(w, ke, ch);
                    return true;
                }
            }
            return false;
        }
        if (key) {
            if (preview) f->KeyUp(key, s);
            if (key) KeyUp(key, s);
            if (!key) return true;
        }
        return false;
    }
    default: return TControl::WidgetEvent(e);
    }
}

// ---- painted controls

namespace {
class PaintWidget : public QWidget {
public:
    explicit PaintWidget(std::function<void(QPainter&)> f) : FPaint(std::move(f)) {}
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        // The part to be painted clips the canvas, which reports it as its ClipRect.
        p.setClipRegion(e->region());
        if (FPaint) FPaint(p);
    }
    std::function<void(QPainter&)> FPaint;
};
}  // namespace

QWidget* newPaintWidget(std::function<void(QPainter&)> paint) { return new PaintWidget(std::move(paint)); }

void paintThroughCanvas(QPainter& p, TControl* c, TCanvas* canvas, const std::function<void()>& paint) {
    if (c->IsDestroying()) return;
    canvas->Font()->Assign(c->Font());
    canvas->Brush()->SetColor(c->Color());
    canvas->BeginPaint(&p);
    dispatchGuarded(c, paint);
    canvas->EndPaint();
}

IMPLEMENT_CLASS(TCustomControl, TWinControl) {}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(new TCanvas) {
    FWidth = 100;
    FHeight = 100;
    SetWidget(newPaintWidget([this](QPainter& p) { paintThroughCanvas(p, this, FCanvas, [this] { Paint(); }); }));
    Handle()->setFocusPolicy(Qt::NoFocus);
    // A control that draws itself hears the mouse pass over it, not only drags.
    Handle()->setMouseTracking(true);
}
TCustomControl::~TCustomControl() {
    Destroying();
    delete FCanvas;
    FCanvas = nullptr;
}

IMPLEMENT_CLASS(TGraphicControl, TControl) {}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(new TCanvas) {
    FWidth = 100;
    FHeight = 100;
    SetWidget(newPaintWidget([this](QPainter& p) { paintThroughCanvas(p, this, FCanvas, [this] { Paint(); }); }));
    Handle()->setFocusPolicy(Qt::NoFocus);
}
TGraphicControl::~TGraphicControl() {
    Destroying();
    delete FCanvas;
    FCanvas = nullptr;
}

void SendKey(TWinControl* target, uint16_t Key, TShiftState Shift) {
    if (!target || !target->Handle()) return;
    QWidget* fw = currentFocus(target->Handle());
    if (!target->Handle()->window()->isAncestorOf(fw) && fw != target->Handle()->window()) fw = target->Handle();
    Qt::KeyboardModifiers m;
    if (Shift & ssShift) m |= Qt::ShiftModifier;
    if (Shift & ssCtrl) m |= Qt::ControlModifier;
    if (Shift & ssAlt) m |= Qt::AltModifier;
    int qk = qtKeyFromVk(Key);
    if (Key == VK_ADD || Key == VK_SUBTRACT) m |= Qt::KeypadModifier;
    QString text;
    if (Key == VK_RETURN) text = "\r";
    else if (Key == VK_ESCAPE) text = QString(QChar(27));
    else if (Key == VK_SPACE) text = " ";
    else if (Key >= '0' && Key <= '9') text = QString(QChar(Key));
    else if (Key >= 'A' && Key <= 'Z' && !(Shift & (ssCtrl | ssAlt)))
        text = QString(QChar((Shift & ssShift) ? Key : Key + 32));
    QKeyEvent press(QEvent::KeyPress, qk, m, text);
    QApplication::sendEvent(fw, &press);
    QKeyEvent release(QEvent::KeyRelease, qk, m, text);
    QApplication::sendEvent(fw, &release);
}

void SendText(TWinControl* target, const String& text) {
    if (!target || !target->Handle()) return;
    QWidget* fw = currentFocus(target->Handle());
    const QString all = toQ(text);
    for (qsizetype i = 0; i < all.size(); ++i) {
        // One key per character: a character beyond the BMP comes as its
        // surrogate pair, as a keyboard delivers it.
        const qsizetype n = all.at(i).isHighSurrogate() && i + 1 < all.size() && all.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString c = all.mid(i, n);
        i += n - 1;
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, c);
        QApplication::sendEvent(fw, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, c);
        QApplication::sendEvent(fw, &release);
    }
}

TPoint MouseCursorPos() {
    const QPoint p = QCursor::pos();
    return Point(p.x(), p.y());
}

void SetMouseCursorPos(TPoint p) { QCursor::setPos(p.X, p.Y); }

bool IsMouseButtonDown(TMouseButton Button) {
    const Qt::MouseButton b = Button == mbLeft    ? Qt::LeftButton
                              : Button == mbRight ? Qt::RightButton
                                                  : Qt::MiddleButton;
    return (QGuiApplication::mouseButtons() & b) != 0;
}
