// Visual controls over Qt widgets. The owner (lifetime, FindComponent) and
// the visual parent (placement) are separate: a control is freed exactly once,
// by its owner or its parent, whichever goes first; it leaves both lists.
//
// Adding a control (one header/source pair per family, e.g. StdCtrls, ExtCtrls):
//  - derive from TControl (no focus) or TWinControl (focus, keys, children);
//  - put DECLARE_CLASS(TName) in the class and IMPLEMENT_CLASS(TName, TBase)
//    { r.Str("Caption", ...); r.Boolean(...); ... } in the .cpp, registering
//    the published properties under their framework names;
//  - in the constructor create the Qt widget, set the default size in FWidth /
//    FHeight, then SetWidget(widget) (the control owns it);
//  - connect Qt signals with QObject::connect(w, signal, w, lambda) and run the
//    handler through dispatchGuarded (QtInternals.h), firing the std::function
//    events only when set; override ApplyText / ApplyColor / ApplyFont to show
//    Caption/Text, Color and Font; Qt types stay out of the headers.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/framework/ActnList.h"
#include "platform/framework/Classes.h"
#include "platform/framework/Graphics.h"

class QWidget;
class QEvent;
class TWinControl;
class TCustomForm;
class TPopupMenu;
class ControlEventFilter;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
extern const TEnumInfo AlignInfo;
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = uint32_t;
constexpr TAnchors akSet(TAnchorKind k) { return 1u << k; }
constexpr TAnchors akDefaultAnchors = akSet(akLeft) | akSet(akTop);
extern const TEnumInfo AnchorsInfo;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
extern const TEnumInfo AlignmentInfo;
// A window's frame; controls with a border of their own (panels) take the
// first two: none, or a single sunken edge.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
extern const TEnumInfo FormBorderStyleInfo;
using TBorderStyle = TFormBorderStyle;
extern const TEnumInfo BorderStyleInfo;

using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -22, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12,
                  crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18,
                  crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22;
// The application's own cursors by number (a built-in number is replaced):
// a picture and a mask of one size (white mask pixels are transparent) and
// the hot spot; an empty picture removes the number's own cursor. Cursors
// are made from them when a control shows one.
void SetCustomCursor(TCursor Cursor, const TBitmap& Image, const TBitmap& Mask, TPoint HotSpot);
bool IsCustomCursor(TCursor Cursor);

using TShiftState = uint32_t;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64;
enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
                       mrClose = 8, mrHelp = 9, mrTryAgain = 10, mrContinue = 11, mrAll = 12, mrNoToAll = 13,
                       mrYesToAll = 14;

// Windows virtual-key codes, as key events carry them.
constexpr uint16_t VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18, VK_PAUSE = 19,
                   VK_CAPITAL = 20, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35,
                   VK_HOME = 36, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_INSERT = 45, VK_DELETE = 46,
                   VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E,
                   VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75,
                   VK_F7 = 0x76, VK_F8 = 0x77, VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B,
                   VK_APPS = 0x5D, VK_OEM_PLUS = 187, VK_OEM_MINUS = 189;  // the main keyboard's '=' / '+' and '-' keys

// The parts of a hint "short|long": before the bar (the tooltip) and after it
// (the status bar's text); a hint without a bar is both.
String GetShortHint(const String& hint);
String GetLongHint(const String& hint);

// A request the control's state does not allow (a scroll bar's range that
// cannot hold its page).
class EInvalidOperation : public Exception {
    using Exception::Exception;
};

// One notch of a mouse wheel, in the units wheel deltas count.
constexpr int WHEEL_DELTA = 120;
// Lines one notch of the wheel scrolls, as the system is set (0 or less:
// a page); SetWheelScrollLines changes the setting for this program (tests).
int WheelScrollLines();
void SetWheelScrollLines(int lines);

using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
// WheelDelta in 1/120 of a notch, positive away from the user; MousePos on
// the screen. Handled (false on entry) keeps the wheel from the parent.
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;

// A touch gesture as the control receives it: the pan (igiPan) with the
// finger's location in the control and the phase of the gesture.
constexpr int igiPan = 260;
using TInteractiveGestureFlags = uint32_t;
constexpr TInteractiveGestureFlags gfBegin = 1, gfInertia = 2, gfEnd = 4;
struct TGestureEventInfo {
    int GestureID = 0;
    TPoint Location{};
    TInteractiveGestureFlags Flags = 0;
};
using TGestureEvent = std::function<void(TObject* Sender, const TGestureEventInfo& EventInfo, bool& Handled)>;

class TControl : public TComponent, public TActionClient {
    DECLARE_CLASS(TControl)
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // The Qt widget (null once Qt destroyed it). For platform code only.
    QWidget* Handle() const;
    bool HandleAllocated() const { return Handle() != nullptr; }

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* p);
    TCustomForm* ParentForm() const;  // the form the control sits on (or itself)

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Rect(FLeft, FTop, FLeft + FWidth, FTop + FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual int ClientWidth() const { return FWidth; }
    virtual int ClientHeight() const { return FHeight; }
    virtual void SetClientWidth(int v) { SetWidth(v); }
    virtual void SetClientHeight(int v) { SetHeight(v); }
    TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign v);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors v) { FAnchors = v; }
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool v);
    virtual void Show() { SetVisible(true); }
    virtual void Hide() { SetVisible(false); }
    bool Showing() const;  // visible with all its parents
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool v);
    TFont* Font() const { return FFont; }
    void SetFont(TFont* f);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    String Hint() const { return FHint; }
    void SetHint(const String& v);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool v);
    // Caption and Text are the same value; classes publish the one they show.
    virtual String GetText() const { return FText; }
    virtual void SetText(const String& v);
    String Caption() const { return GetText(); }
    void SetCaption(const String& v) { SetText(v); }
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* m);
    TBasicAction* Action() const { return FAction; }
    void SetAction(TBasicAction* a);

    void BringToFront();
    void SendToBack();
    // Painting: Invalidate marks the whole control, InvalidateRect a part of
    // it (client coordinates), for painting when the program is idle; Update
    // paints what is marked at once; Repaint paints everything at once.
    void Invalidate();
    void InvalidateRect(const TRect& r);
    void Repaint();
    void Refresh() { Repaint(); }
    void Update();
    // Moves the control's pixels, and its child controls, by (dx, dy) and
    // marks the strip that is uncovered for painting (pixels move only for
    // an Opaque control; any other is marked whole).
    void ScrollWindow(int dx, int dy);
    // A control that paints every pixel of its area: nothing is erased or
    // filled before its paint.
    bool Opaque() const { return FOpaque; }
    void SetOpaque(bool v);
    // A picture of the control as it shows (its children with it), drawn
    // with its top left corner at (X, Y) of the canvas: form controls print so.
    void PaintTo(TCanvas* Canvas, int X, int Y);

    virtual void Click();
    virtual void DblClick();
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    // The wheel over the control; what no control handles goes to its parent.
    TMouseWheelEvent OnMouseWheel;
    // Pan gestures reach the control (DoGesture, OnGesture) once enabled.
    void SetPanGestures(bool v);
    TGestureEvent OnGesture;
    // A gesture: OnGesture when set, else DoGesture.
    void Gesture(const TGestureEventInfo& Info, bool& Handled);

    // Qt event dispatch (internal): true when the event is consumed.
    virtual bool WidgetEvent(QEvent* e);
    void ActionChanged(TBasicAction* a) override;
    void ActionDestroyed(TBasicAction* a) override;

protected:
    // Derived constructors give the control its widget (owned by the control).
    void SetWidget(QWidget* w);
    // Mouse events of an inner widget (a scroll area's viewport) reach the control too.
    void WatchChildWidget(QWidget* w);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    // The wheel: OnMouseWheel; true when handled.
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual void DoGesture(const TGestureEventInfo& /*Info*/, bool& /*Handled*/) {}
    virtual void Resize();
    virtual void ApplyColor();
    virtual void ApplyFont();
    virtual void ApplyText() {}
    void ParentFontChanged();
    void ParentColorChanged();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Bounds moved by the widget itself (user resizing a window).
    void UpdateBoundsFromWidget();
    // Shows the short hint as the tool tip and the long one in the status bar.
    virtual void ApplyHint();
    bool FClickOnRelease = true;  // controls without a Qt click signal click on mouse release

    String FText;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;

private:
    friend class TWinControl;
    friend class ControlEventFilter;
    friend void RefreshControlColors();
    void ApplyBounds();
    TWinControl* FParent = nullptr;
    struct WidgetRef;
    WidgetRef* FWidget;
    ControlEventFilter* FFilter = nullptr;
    TAlign FAlign = alNone;
    TAnchors FAnchors = akDefaultAnchors;
    bool FEnabled = true;
    TColor FColor = clBtnFace;
    bool FParentColor = true;
    TFont* FFont;
    bool FParentFont = true;
    String FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TCursor FCursor = crDefault;
    TPopupMenu* FPopupMenu = nullptr;
    TBasicAction* FAction = nullptr;
    bool FPressed = false;
    bool FSettingBounds = false;
    bool FOpaque = false;
};

class TWinControl : public TControl {
    DECLARE_CLASS(TWinControl)
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    int ControlCount() const { return int(FControls.size()); }
    TControl* Controls(int i) const { return FControls.at(size_t(i)); }
    bool ContainsControl(const TControl* c) const;
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);

    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v);
    // The arrow keys go to OnKeyDown alone: the control's own arrow
    // handling (moving the focus between buttons) is left out.
    bool WantArrows() const { return FWantArrows; }
    void SetWantArrows(bool v) { FWantArrows = v; }
    int TabOrder() const;
    void SetTabOrder(int v);
    virtual bool CanFocus() const;
    virtual void SetFocus();
    bool Focused() const;
    void SelectNext(TWinControl* current, bool forward, bool checkTabStop);
    virtual void AlignControls();
    void DisableAlign() { ++FAlignLock; }
    void EnableAlign();

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int v) override;
    void SetClientHeight(int v) override;
    // The widget that hosts child controls (a form's area below its menu).
    virtual QWidget* ClientWidget() const;

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

    bool WidgetEvent(QEvent* e) override;
    // Key handling (called for the control that has the focus).
    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    virtual void KeyUp(uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(char32_t& Key);
    virtual void DoEnter();
    virtual void DoExit();

protected:
    // Where aligned child controls are placed: the client area, inside any
    // border the control draws itself.
    virtual TRect AlignArea() const { return ClientRect(); }
    void Resize() override;
    void ApplyTabOrder();
    void ClientResized();
    std::vector<TWinControl*> TabList() const;

private:
    friend class TControl;
    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabOrder;
    bool FTabStop = false;
    bool FWantArrows = false;
    int FAlignLock = 0;
    int FLastClientW = -1, FLastClientH = -1;
};

// A windowed control that draws itself: override Paint and draw on Canvas.
// While it paints, the canvas is clipped to the part to be painted, which
// Canvas->ClipRect() answers.
class TCustomControl : public TWinControl {
    DECLARE_CLASS(TCustomControl)
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return FCanvas; }

protected:
    virtual void Paint() {}

private:
    TCanvas* FCanvas;
};

// A control without a window of its own (no focus) that draws itself.
class TGraphicControl : public TControl {
    DECLARE_CLASS(TGraphicControl)
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return FCanvas; }

protected:
    virtual void Paint() {}

private:
    TCanvas* FCanvas;
};

// Ctrl and Alt held together (a form's shortcuts that plain typing never
// gives); other modifiers are not looked at.
inline bool CtrlAltHeld(TShiftState Shift) { return (Shift & (ssCtrl | ssAlt)) == (ssCtrl | ssAlt); }

// Gives a key press to the focused control of `target`'s window (or
// `target` itself), as a user typing would. For tests and automation.
void SendKey(TWinControl* target, uint16_t Key, TShiftState Shift = 0);
// Applies every control's colours and font again. A control keeps the
// colours it resolved when they were set; after the application's palette
// changed (another style), the system colours must be resolved anew.
void RefreshControlColors();
// Types text into the focused control.
void SendText(TWinControl* target, const String& text);
// The mouse pointer's position on the screen; moving it (tests, automation).
TPoint MouseCursorPos();
void SetMouseCursorPos(TPoint p);
// Whether the mouse button is held down now.
bool IsMouseButtonDown(TMouseButton Button);
