#include "platform/framework/Forms.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QInputMethod>
#include <QLocale>
#include <QThread>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "platform/framework/DeviceContext.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Menus.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/Passwords.h"

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig keeps its configuration cache for the life of the process; the
// leak checker must not count it against the program.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {
TModalHook gModalHook;

// The top-level widget of a form: closing by the window's button goes through
// the form's Close, never straight to Qt.
class FormWidget : public QWidget {
public:
    FormWidget() : QWidget(nullptr, Qt::Window) {}
};

// Created at start-up so that code running before main finds them.
struct GlobalsInit {
    GlobalsInit() {
        if (!Application) Application = new TApplication(nullptr);
        if (!Screen) Screen = new TScreen(nullptr);
    }
} gGlobalsInit;
}  // namespace

TModalHook SetModalHook(TModalHook hook) {
    TModalHook old = std::move(gModalHook);
    gModalHook = std::move(hook);
    return old;
}
bool ModalHookActive() { return bool(gModalHook); }

bool RunModalHook(TObject* dialog, int& result) {
    if (!gModalHook) return false;
    TModalHook hook = gModalHook;  // the hook may replace itself
    result = hook(dialog);
    return true;
}

void EnsureApplication() {
    if (!Application) Application = new TApplication(nullptr);
    if (!Screen) Screen = new TScreen(nullptr);
    Application->Initialize();
}

const TEnumInfo FormBorderStyleInfo{"TFormBorderStyle",
                                    {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
const TEnumInfo WindowStateInfo{"TWindowState", {"wsNormal", "wsMinimized", "wsMaximized", "wsFullScreen"}};
const TEnumInfo PositionInfo{"TPosition",
                             {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                              "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}};
const TEnumInfo FormStyleInfo{"TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}};
const TEnumInfo BorderIconsInfo{"TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}};

// ---- TCustomForm

IMPLEMENT_CLASS(TCustomForm, TWinControl) {
    r.Str("Caption", &TCustomForm::GetText, &TCustomForm::SetText);
    r.Set("BorderIcons", BorderIconsInfo, &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons);
    r.Enum("BorderStyle", FormBorderStyleInfo, &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle);
    r.Integer(
        "ClientHeight", [](TCustomForm* f) { return f->ClientHeight(); },
        [](TCustomForm* f, int64_t v) { f->SetClientHeight(int(v)); });
    r.Integer(
        "ClientWidth", [](TCustomForm* f) { return f->ClientWidth(); },
        [](TCustomForm* f, int64_t v) { f->SetClientWidth(int(v)); });
    r.Enum("FormStyle", FormStyleInfo, &TCustomForm::FormStyle, &TCustomForm::SetFormStyle);
    r.Boolean("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview);
    r.Object<TMainMenu>("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu);
    r.Enum("Position", PositionInfo, &TCustomForm::Position, &TCustomForm::SetPosition);
    r.Enum("WindowState", WindowStateInfo, &TCustomForm::WindowState, &TCustomForm::SetWindowState);
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
    EnsureApplication();
    SetLoading();
    FVisible = false;
    FWidth = 400;
    FHeight = 300;
    auto* top = new FormWidget;
    FClient = new QWidget(top);
    SetWidget(top);
    SetColor(clBtnFace);
    ApplyWindowFlags();
    LayoutClient();
    Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (!FDestroyFired) BeforeDestruction();
    Destroying();
    if (FLoop) FLoop->quit();
    if (Screen) Screen->RemoveForm(this);
    if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
    SetMenu(nullptr);
    // Owned components may still reach into the form (its events, its menu).
    DestroyComponents();
}

void TCustomForm::BeforeDestruction() {
    if (FDestroyFired) return;
    FDestroyFired = true;
    dispatchGuarded(this, [&] { fire(OnDestroy, this); });
}

void TCustomForm::AfterConstruction() {
    if (FConstructed) return;
    FConstructed = true;
    TWinControl::AfterConstruction();  // Loaded for every component
    DoCreate();
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    AlignControls();
}

void TCustomForm::DoCreate() { fire(OnCreate, this); }
void TCustomForm::DoShow() { fire(OnShow, this); }
void TCustomForm::DoHide() { fire(OnHide, this); }
void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}
void TCustomForm::Activate() { fire(OnActivate, this); }
void TCustomForm::Deactivate() { fire(OnDeactivate, this); }

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FMenu) {
        FMenu = nullptr;
        MenuChanged();
    }
    if (AComponent == FActiveControl) FActiveControl = nullptr;
}

String TCustomForm::GetText() const { return FText; }
void TCustomForm::ApplyText() {
    if (QWidget* w = Handle()) w->setWindowTitle(toQ(FText));
}

void TCustomForm::ApplyWindowFlags() {
    QWidget* w = Handle();
    if (!w) return;
    Qt::WindowFlags f = Qt::Window;
    switch (FBorderStyle) {
    case bsNone: f |= Qt::FramelessWindowHint; break;
    case bsDialog: f = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    case bsToolWindow:
    case bsSizeToolWin: f = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    default:
        f |= Qt::WindowTitleHint;
        if (FBorderIcons & (1u << biSystemMenu)) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (FBorderIcons & (1u << biMinimize)) f |= Qt::WindowMinimizeButtonHint;
        if (FBorderIcons & (1u << biMaximize) && FBorderStyle == bsSizeable) f |= Qt::WindowMaximizeButtonHint;
        break;
    }
    if (FFormStyle == fsStayOnTop) f |= Qt::WindowStaysOnTopHint;
    bool vis = w->isVisible();
    w->setWindowFlags(f);
    bool fixed = FBorderStyle == bsSingle || FBorderStyle == bsDialog || FBorderStyle == bsToolWindow;
    if (fixed) w->setFixedSize(std::max(FWidth, 1), std::max(FHeight, 1));
    else {
        w->setMinimumSize(Constraints_MinWidth, Constraints_MinHeight);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    if (vis) w->show();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    ApplyWindowFlags();
}
void TCustomForm::SetBorderIcons(TBorderIcons v) {
    FBorderIcons = v;
    ApplyWindowFlags();
}
void TCustomForm::SetFormStyle(TFormStyle v) {
    FFormStyle = v;
    ApplyWindowFlags();
}
void TCustomForm::SetMinSize(int w, int h) {
    Constraints_MinWidth = w;
    Constraints_MinHeight = h;
    ApplyWindowFlags();
}

TWindowState TCustomForm::WindowState() const {
    QWidget* w = Handle();
    if (w && w->isVisible()) {
        Qt::WindowStates s = w->windowState();
        if (s & Qt::WindowMinimized) return TWindowState::wsMinimized;
        if (s & Qt::WindowFullScreen) return TWindowState::wsFullScreen;
        if (s & Qt::WindowMaximized) return TWindowState::wsMaximized;
        return TWindowState::wsNormal;
    }
    return FWindowState;
}

TRect TCustomForm::NormalBounds() const {
    QWidget* w = Handle();
    if (w && w->isVisible() && (w->isMaximized() || w->isMinimized() || w->isFullScreen())) {
        if (FNormalBounds.Width() > 0) return FNormalBounds;
    }
    return BoundsRect();
}

void TCustomForm::SetWindowState(TWindowState v) {
    FWindowState = v;
    QWidget* w = Handle();
    if (!w || !w->isVisible()) return;
    switch (v) {
    case TWindowState::wsMinimized: w->setWindowState(Qt::WindowMinimized); break;
    case TWindowState::wsMaximized: w->setWindowState(Qt::WindowMaximized); break;
    case TWindowState::wsFullScreen: w->setWindowState(Qt::WindowFullScreen); break;
    default: w->setWindowState(Qt::WindowNoState); break;
    }
}

void TCustomForm::SetMenu(TMainMenu* m) {
    if (m == FMenu) return;
    if (FMenu) FMenu->RemoveFreeNotification(this);
    FMenu = m;
    if (m) m->FreeNotification(this);
    MenuChanged();
}

void TCustomForm::MenuChanged() {
    QWidget* top = Handle();
    if (!top) return;
    if (FMenu && !IsDestroying()) {
        if (!FMenuBar) FMenuBar = new QMenuBar(top);
        FMenu->FillMenuBar(static_cast<QMenuBar*>(FMenuBar));
        FMenuBar->show();
    } else if (FMenuBar) {
        delete FMenuBar;
        FMenuBar = nullptr;
    }
    LayoutClient();
    if (!IsDestroying()) ClientResized();
}

namespace {
void collectMenuActions(TMenuItem* item, std::vector<TBasicAction*>& out) {
    if (!item) return;
    if (item->Action()) out.push_back(item->Action());
    for (int i = 0; i < item->Count(); ++i) collectMenuActions(item->Items(i), out);
}

void collectActions(TComponent* owner, std::vector<TBasicAction*>& out) {
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        TComponent* c = owner->Components(i);
        if (c->IsDestroying()) continue;
        if (auto* list = dynamic_cast<TCustomActionList*>(c)) {
            for (int k = 0; k < list->ActionCount(); ++k) out.push_back(list->Actions(k));
        } else if (auto* ctl = dynamic_cast<TControl*>(c)) {
            if (ctl->Action() && ctl->Visible()) out.push_back(ctl->Action());
        } else if (auto* menu = dynamic_cast<TMenu*>(c)) {
            collectMenuActions(menu->Items(), out);
        } else if (auto* mi = dynamic_cast<TMenuItem*>(c)) {
            collectMenuActions(mi, out);
        }
        collectActions(c, out);
    }
}
}  // namespace

void TCustomForm::UpdateActions() {
    if (IsDestroying() || !Showing()) return;
    std::vector<TBasicAction*> actions;
    collectActions(this, actions);
    std::vector<TBasicAction*> done;
    for (TBasicAction* a : actions) {
        if (std::find(done.begin(), done.end(), a) != done.end()) continue;
        done.push_back(a);
        dispatchGuarded(a, [a] { a->Update(); });
    }
}

static int menuBarHeight(QWidget* bar) { return bar ? bar->sizeHint().height() : 0; }

void TCustomForm::LayoutClient() {
    int mh = menuBarHeight(FMenuBar);
    if (FMenuBar) FMenuBar->setGeometry(0, 0, FWidth, mh);
    if (FClient) FClient->setGeometry(0, mh, FWidth, std::max(FHeight - mh, 0));
    QWidget* w = Handle();
    bool fixed = FBorderStyle == bsSingle || FBorderStyle == bsDialog || FBorderStyle == bsToolWindow;
    if (w && fixed && (w->minimumWidth() != FWidth || w->minimumHeight() != FHeight))
        w->setFixedSize(std::max(FWidth, 1), std::max(FHeight, 1));
}

int TCustomForm::ClientWidth() const { return FWidth; }
int TCustomForm::ClientHeight() const { return std::max(FHeight - menuBarHeight(FMenuBar), 0); }
void TCustomForm::SetClientWidth(int v) { SetWidth(v); }
void TCustomForm::SetClientHeight(int v) { SetHeight(v + menuBarHeight(FMenuBar)); }
QWidget* TCustomForm::ClientWidget() const { return FClient; }

void TCustomForm::SetActiveControl(TWinControl* c) {
    if (c == FActiveControl) return;
    if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
    FActiveControl = c;
    if (c) {
        c->FreeNotification(this);
        if (QWidget* w = c->Handle())
            if (Handle() && Handle()->isVisible()) w->setFocus(Qt::OtherFocusReason);
    }
}

void TCustomForm::SetFocusedControl(TWinControl* c) {
    // Every call counts, including one for the control already focused: a
    // handler that puts the focus back stops the change that is under way.
    const int count = ++FFocusCount;
    if (!c || IsDestroying() || c->IsDestroying() || c->ParentForm() != this) return;
    if (c != this && c != FActiveControl) {
        if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
        FActiveControl = c;
        c->FreeNotification(this);
    }
    if (c == FFocusedControl) return;
    if (!FFocusedControl) FFocusedControl = this;
    // Runs one enter or exit handler; false when the change must stop (an
    // exception, or the handler moved the focus itself).
    auto run = [&](TWinControl* target, void (TWinControl::*step)()) {
        try {
            (target->*step)();
        } catch (const std::exception& e) {
            if (Application) Application->HandleException(target, e);
            return false;
        }
        return count == FFocusCount && !IsDestroying();
    };
    while (FFocusedControl && !FFocusedControl->ContainsControl(c)) {
        TWinControl* leaving = FFocusedControl;
        if (!run(leaving, &TWinControl::DoExit)) {
            // A control that refuses to be left keeps the focus.
            if (count == FFocusCount && FFocusedControl == leaving && leaving->CanFocus() && leaving->Handle())
                leaving->Handle()->setFocus(Qt::OtherFocusReason);
            return;
        }
        if (FFocusedControl != leaving) return;  // removed meanwhile
        FFocusedControl = leaving->Parent();
    }
    if (!FFocusedControl) FFocusedControl = this;
    while (FFocusedControl != c) {
        TWinControl* entering = c;
        while (entering->Parent() && entering->Parent() != FFocusedControl) entering = entering->Parent();
        FFocusedControl = entering;
        if (!run(entering, &TWinControl::DoEnter)) return;
    }
}

void TCustomForm::DefocusRemoved(TControl* c, TWinControl* oldParent) {
    for (TControl* p = FFocusedControl; p; p = p->Parent())
        if (p == c) {
            FFocusedControl = IsDestroying() ? nullptr : oldParent;
            break;
        }
}

void TCustomForm::PlaceOnShow() {
    if (FPlaced) return;
    FPlaced = true;
    TCustomForm* around = nullptr;
    if (FPosition == poMainFormCenter) around = Application ? Application->MainForm() : nullptr;
    if (FPosition == poOwnerFormCenter) around = dynamic_cast<TCustomForm*>(Owner());
    if (around == this || (around && !around->Showing())) around = nullptr;
    TRect area;
    if (around) {
        area = around->BoundsRect();
    } else if (FPosition == poScreenCenter || FPosition == poDesktopCenter || FPosition == poMainFormCenter ||
               FPosition == poOwnerFormCenter) {
        area = FPosition == poDesktopCenter ? Screen->DesktopRect() : Rect(0, 0, Screen->Width(), Screen->Height());
    } else {
        return;
    }
    SetBounds(area.Left + (area.Width() - FWidth) / 2, area.Top + (area.Height() - FHeight) / 2, FWidth, FHeight);
}

void TCustomForm::Show() {
    if (!FConstructed) AfterConstruction();
    QWidget* w = Handle();
    if (!w) return;
    bool was = w->isVisible();
    FVisible = true;
    PlaceOnShow();
    if (!was) DoShow();
    switch (FWindowState) {
    case TWindowState::wsMaximized: w->showMaximized(); break;
    case TWindowState::wsMinimized: w->showMinimized(); break;
    case TWindowState::wsFullScreen: w->showFullScreen(); break;
    default: w->show(); break;
    }
    if (QGuiApplication::platformName() != "offscreen") w->raise();  // offscreen only warns
    w->activateWindow();
    if (FActiveControl && FActiveControl->Handle()) FActiveControl->Handle()->setFocus(Qt::OtherFocusReason);
    else if (!w->focusWidget()) SelectNext(nullptr, true, true);
    Screen->SetActiveForm(this);
}

void TCustomForm::Hide() {
    QWidget* w = Handle();
    FVisible = false;
    if (!w || !w->isVisible()) return;
    if (!w->isMinimized() && !w->isMaximized()) FWindowState = TWindowState::wsNormal;
    else FWindowState = w->isMaximized() ? TWindowState::wsMaximized : TWindowState::wsMinimized;
    DoHide();
    w->hide();
    if (Screen->ActiveForm() == this) {
        TCustomForm* next = nullptr;
        for (int i = Screen->FormCount() - 1; i >= 0; --i)
            if (Screen->Forms(i) != this && Screen->Forms(i)->Showing()) {
                next = Screen->Forms(i);
                break;
            }
        Screen->SetActiveForm(next);
        // The window below takes the activation back (and with it the focus
        // of its focused control), as the window system does on Windows.
        if (next && next->Handle()) next->Handle()->activateWindow();
    }
}

void TCustomForm::SetVisible(bool v) {
    if (v) Show();
    else Hide();
}

void TCustomForm::BringToFront() {
    if (QWidget* w = Handle()) {
        if (QGuiApplication::platformName() != "offscreen") w->raise();
        w->activateWindow();
    }
}

bool TCustomForm::Active() const { return Screen && Screen->ActiveForm() == this; }

void TCustomForm::SetModalResult(TModalResult v) {
    FModalResult = v;
    if (FModal && v != mrNone && FLoop) FLoop->quit();
}

bool TCustomForm::CloseQuery() {
    bool can = true;
    if (OnCloseQuery) OnCloseQuery(this, can);
    return can;
}

void TCustomForm::CloseModal() {
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone) FModalResult = mrNone;
    else if (action == caFree) Release();
}

void TCustomForm::Close() {
    if (FModal) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Hide();
        Application->Terminate();
    } else if (action == caHide) {
        Hide();
    } else if (action == caMinimize) {
        SetWindowState(TWindowState::wsMinimized);
    } else {
        Hide();
        Release();
    }
}

void TCustomForm::Release() {
    // Freed when control is back in the event loop, unless it is gone by then.
    TCustomForm* self = this;
    QTimer::singleShot(0, qApp, [self] {
        if (!Screen) return;
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i) == self) {
                if (self->FModal) {
                    self->Release();  // still in its modal loop: try again later
                    return;
                }
                self->Free();
                return;
            }
    });
}

int TCustomForm::ShowModal() {
    if (FModal) throw Exception("Cannot make a visible window modal");
    if (!FConstructed) AfterConstruction();
    QWidget* w = Handle();
    FModalResult = mrNone;
    FModal = true;
    ++Application->FModalLevel;
    if (w) w->setWindowModality(Qt::ApplicationModal);
    TModalResult result = mrNone;
    try {
        Show();
        if (gModalHook) {
            // The hook stands in for the user; a window that refuses the
            // answer is offered again, a bounded number of times.
            for (int round = 0; round < 20; ++round) {
                int r = 0;
                TModalHook hook = gModalHook;
                dispatchGuarded(this, [&] { r = hook(this); });
                if (r != mrNone) FModalResult = r;
                if (FModalResult != mrNone) {
                    CloseModal();
                    if (FModalResult != mrNone) break;
                }
            }
            if (FModalResult == mrNone) FModalResult = mrCancel;
        } else {
            QEventLoop loop;
            FLoop = &loop;
            while (!Application->Terminated()) {
                if (FModalResult == mrNone) loop.exec();
                if (!FLoop) break;  // the form is being destroyed
                if (FModalResult != mrNone) {
                    CloseModal();
                    if (FModalResult != mrNone) break;
                }
            }
            FLoop = nullptr;
            if (FModalResult == mrNone) FModalResult = mrCancel;
        }
    } catch (...) {
        FModal = false;
        --Application->FModalLevel;
        if (w) w->setWindowModality(Qt::NonModal);
        throw;
    }
    result = FModalResult;
    FModal = false;
    --Application->FModalLevel;
    Hide();
    if (w) w->setWindowModality(Qt::NonModal);
    return result;
}

static void collectButtons(TWinControl* p, std::vector<TButton*>& out) {
    for (int i = 0; i < p->ControlCount(); ++i) {
        TControl* c = p->Controls(i);
        if (auto* b = dynamic_cast<TButton*>(c)) out.push_back(b);
        if (auto* wc = dynamic_cast<TWinControl*>(c)) collectButtons(wc, out);
    }
}

// The first shown, enabled button of the form whose `flag` is set.
static TButton* flaggedButton(const TCustomForm* f, bool (TButton::*flag)() const) {
    std::vector<TButton*> v;
    collectButtons(const_cast<TCustomForm*>(f), v);
    for (TButton* b : v)
        if ((b->*flag)() && b->Showing() && b->Enabled()) return b;
    return nullptr;
}

TButton* TCustomForm::DefaultButton() const { return flaggedButton(this, &TButton::Default); }

TButton* TCustomForm::CancelButton() const { return flaggedButton(this, &TButton::Cancel); }

bool TCustomForm::HandleDialogKey(int qtKey) {
    if (qtKey == Qt::Key_Escape) {
        if (TButton* b = CancelButton()) {
            b->Click();
            return true;
        }
        if (FModal) {
            Close();
            return true;
        }
        return false;
    }
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) {
        QWidget* fw = Handle() ? Handle()->focusWidget() : nullptr;
        if (auto* focused = dynamic_cast<TButton*>(controlOfWidget(fw))) {
            focused->Click();
            return true;
        }
        if (TButton* b = DefaultButton()) {
            b->Click();
            return true;
        }
    }
    return false;
}

void TCustomForm::KeyDown(uint16_t& Key, TShiftState Shift) { TWinControl::KeyDown(Key, Shift); }

void TCustomForm::RecordNormalBounds() {
    QWidget* w = Handle();
    if (w && (w->isMaximized() || w->isMinimized() || w->isFullScreen())) return;
    FNormalBounds = BoundsRect();
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    RecordNormalBounds();
}

void TCustomForm::Resize() {
    RecordNormalBounds();
    LayoutClient();
    TWinControl::Resize();
}

bool TCustomForm::WidgetEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::Close:
        // The window's close button: the form decides (modal forms get mrCancel).
        if (!IsDestroying()) {
            e->ignore();
            Close();
            return true;
        }
        return false;
    case QEvent::KeyPress: {
        if (TWinControl::WidgetEvent(e)) return true;
        auto* ke = static_cast<QKeyEvent*>(e);
        // Keys nobody took reach the form: Escape and Return act as in a dialog.
        if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        return HandleDialogKey(ke->key());
    }
    case QEvent::WindowActivate: Screen->SetActiveForm(this); return false;
    case QEvent::Move: {
        bool r = TWinControl::WidgetEvent(e);
        RecordNormalBounds();
        return r;
    }
    default: return TWinControl::WidgetEvent(e);
    }
}

IMPLEMENT_CLASS(TForm, TCustomForm) {}
TForm::TForm(TComponent* AOwner) : TCustomForm(AOwner) {}

// ---- TFrame

IMPLEMENT_CLASS(TFrame, TWinControl) {}

TFrame::TFrame(TComponent* AOwner) : TWinControl(AOwner) {
    EnsureApplication();
    SetLoading();
    FWidth = 320;
    FHeight = 240;
    SetWidget(new QWidget);
}

void TFrame::SetParent(TWinControl* p) {
    TWinControl::SetParent(p);
    TCustomForm* form = p ? p->ParentForm() : nullptr;
    if (form == FKnownForm) return;
    FKnownForm = form;
    if (form) FormAssigned(form);
}

// ---- TDataModule

IMPLEMENT_CLASS(TDataModule, TComponent) {}

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner) {
    EnsureApplication();
    SetLoading();
    Screen->AddDataModule(this);
}
TDataModule::~TDataModule() {
    BeforeDestruction();
    if (Screen) Screen->RemoveDataModule(this);
    DestroyComponents();
}
void TDataModule::AfterConstruction() {
    TComponent::AfterConstruction();
    fire(OnCreate, this);
}
void TDataModule::BeforeDestruction() {
    TNotifyEvent ev = std::move(OnDestroy);
    OnDestroy = nullptr;
    fire(ev, this);
}

// ---- TApplication

IMPLEMENT_CLASS(TApplication, TComponent) {}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}
TApplication::~TApplication() {
    Destroying();
    DestroyComponents();
}

// ZRX_FONT_DIR names a folder whose fonts the program registers at start and
// ZRX_DEFAULT_FONT the face it uses by default: tests pin both so that text
// metrics do not depend on the machine's font configuration.
static void registerFontsFromEnvironment() {
    if (const char* dir = std::getenv("ZRX_FONT_DIR")) {
        const QDir d(QString::fromUtf8(dir));
        for (const QString& f : d.entryList({"*.ttf", "*.otf"}, QDir::Files, QDir::Name))
            QFontDatabase::addApplicationFont(d.filePath(f));
    }
    if (const char* face = std::getenv("ZRX_DEFAULT_FONT"); face && *face) {
        QFont f(QString::fromUtf8(face));
        f.setPointSize(9);
        QApplication::setFont(f);
    }
}

namespace {
// The keyboard layout's language for the runtime: the input method's current
// locale; empty (the environment decides) off the user-interface thread or
// when the input method names no language.
TCString inputLocaleName() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread()) return TCString();
    const QLocale l = QGuiApplication::inputMethod()->locale();
    if (l.language() == QLocale::C || l.language() == QLocale::AnyLanguage) return TCString();
    return TCString(fromQ(l.name()).c_str());
}
}  // namespace

void TApplication::Initialize(int argc, char** argv) {
    if (QCoreApplication::instance()) return;
    static int sArgc = 1;
    static std::vector<std::string> sStore;
    static std::vector<char*> sArgv;
    sStore.clear();
    if (argc > 0 && argv)
        for (int i = 0; i < argc; ++i) sStore.emplace_back(argv[i] ? argv[i] : "");
    else sStore.emplace_back("zrx");
    for (auto& s : sStore) sArgv.push_back(s.data());
    sArgv.push_back(nullptr);
    sArgc = int(sStore.size());
    auto* app = new QApplication(sArgc, sArgv.data());
    QApplication::setQuitOnLastWindowClosed(false);
    registerFontsFromEnvironment();
    setKBLayoutSource(inputLocaleName);
    // The event loop is about to wait: the queue is drained, the application is idle.
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance())
        QObject::connect(d, &QAbstractEventDispatcher::aboutToBlock, app, [] {
            if (Application) Application->Idle();
        });
    QObject::connect(app, &QApplication::focusChanged, app, [](QWidget*, QWidget* now) {
        // Enter and exit follow each form's focused control, not Qt's focus:
        // the focus leaving the window (another window or a message box
        // opening, the form closing) exits nothing, and coming back to the
        // same control enters nothing.
        TControl* c = controlOfWidget(now);
        while (c && !dynamic_cast<TWinControl*>(c)) c = c->Parent();
        if (auto* wc = static_cast<TWinControl*>(c); wc && !wc->IsDestroying())
            if (TCustomForm* f = wc->ParentForm(); f && f != wc) dispatchGuarded(f, [&] { f->SetFocusedControl(wc); });
        if (Screen) dispatchGuarded(Screen, [] { fire(Screen->OnActiveControlChange, Screen); });
    });
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMainForm) FMainForm = nullptr;
}

void TApplication::SetTitle(const String& t) {
    // The title names the program (the task bar shows the main window's
    // caption); Qt's display name would be appended to every window's title.
    FTitle = t;
}

String TApplication::ExeName() const {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) return String(buf, size_t(n));
    return QCoreApplication::instance() ? fromQ(QCoreApplication::applicationFilePath()) : String();
}

void TApplication::Run() {
    Initialize();
    if (FMainForm && !FMainForm->Showing()) FMainForm->Show();
    while (!FTerminated && FMainForm) {
        QEventLoop loop;
        FRunLoop = &loop;
        loop.exec();
        FRunLoop = nullptr;
    }
}

void TApplication::ProcessMessages() {
    if (!QCoreApplication::instance()) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Widgets of freed controls waiting for deletion, once no handler runs.
    if (!insideDispatch() && FModalLevel == 0) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TApplication::HandleMessage() {
    if (!QCoreApplication::instance()) return;
    // Waiting for events makes the loop idle first (Idle runs then).
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void TApplication::Idle() {
    if (FInIdle || IsDestroying() || !Screen) return;
    FInIdle = true;
    QWidget* modal = QCoreApplication::instance() ? QApplication::activeModalWidget() : nullptr;
    std::vector<TCustomForm*> forms;
    for (int i = 0; i < Screen->FormCount(); ++i) forms.push_back(Screen->Forms(i));
    for (TCustomForm* f : forms) {
        // A form may be freed by an earlier form's handlers.
        bool alive = false;
        for (int i = 0; i < Screen->FormCount() && !alive; ++i) alive = Screen->Forms(i) == f;
        if (!alive || !f->Showing()) continue;
        // Windows a modal window blocks are not updated, as they are disabled.
        if (modal && f->Handle() != modal && !f->IsModal()) continue;
        f->UpdateActions();
    }
    dispatchGuarded(this, [this] { fire(OnIdle, this); });
    FInIdle = false;
}

void TApplication::Terminate() {
    FTerminated = true;
    // Our own loops end (modal ones first see Terminated); Qt's exit is not
    // used, as it would keep every later loop of the process from running.
    if (Screen)
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (QEventLoop* l = Screen->Forms(i)->FLoop) l->quit();
    if (FRunLoop) FRunLoop->quit();
}

void TApplication::HandleException(TObject* Sender, const std::exception& E) {
    if (OnException) {
        OnException(Sender, E);
        return;
    }
    ShowException(E);
}

void TApplication::ShowException(const std::exception& E) {
    String msg = E.what();
    if (!msg.empty() && msg.back() != '.') msg += '.';
    try {
        MessageDlg(msg, mtError, mbSet(mbOK), 0);
    } catch (...) {
        fprintf(stderr, "%s\n", msg.c_str());
    }
}

// ---- TScreen

IMPLEMENT_CLASS(TScreen, TComponent) {}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}
TScreen::~TScreen() = default;

static QScreen* primary() { return QCoreApplication::instance() ? QGuiApplication::primaryScreen() : nullptr; }

int TScreen::Width() const {
    QScreen* s = primary();
    return s ? s->geometry().width() : 1024;
}
int TScreen::Height() const {
    QScreen* s = primary();
    return s ? s->geometry().height() : 768;
}
TRect TScreen::DesktopRect() const {
    QScreen* s = primary();
    if (!s) return Rect(0, 0, 1024, 768);
    QRect r = s->virtualGeometry();
    return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}
TRect TScreen::WorkAreaRect() const {
    QScreen* s = primary();
    if (!s) return Rect(0, 0, 1024, 768);
    QRect r = s->availableGeometry();
    return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}
int TScreen::PixelsPerInch() const {
    QScreen* s = primary();
    return s ? int(s->logicalDotsPerInchY() + 0.5) : 96;
}
std::vector<String> TScreen::Fonts() const { return InstalledFontFamilies(); }
int TScreen::MonitorCount() const { return QCoreApplication::instance() ? int(QGuiApplication::screens().size()) : 1; }

void TScreen::SetCursor(TCursor c) {
    if (c == FCursor) return;
    if (QCoreApplication::instance()) {
        if (FCursor != crDefault) QApplication::restoreOverrideCursor();
        if (c != crDefault) QApplication::setOverrideCursor(qtCursor(c));
    }
    FCursor = c;
}

TWinControl* TScreen::ActiveControl() const {
    QWidget* fw = QCoreApplication::instance() ? QApplication::focusWidget() : nullptr;
    if (fw) return dynamic_cast<TWinControl*>(controlOfWidget(fw));
    return FActiveForm ? FActiveForm->ActiveControl() : nullptr;
}

void TScreen::AddForm(TCustomForm* f) { FForms.push_back(f); }
void TScreen::RemoveForm(TCustomForm* f) {
    FForms.erase(std::remove(FForms.begin(), FForms.end(), f), FForms.end());
    if (FActiveForm == f) {
        FActiveForm = nullptr;
        dispatchGuarded(this, [&] { fire(OnActiveFormChange, this); });
    }
}
void TScreen::AddDataModule(TDataModule* d) { FDataModules.push_back(d); }
void TScreen::RemoveDataModule(TDataModule* d) {
    FDataModules.erase(std::remove(FDataModules.begin(), FDataModules.end(), d), FDataModules.end());
}

void TScreen::SetActiveForm(TCustomForm* f) {
    if (f == FActiveForm) return;
    TCustomForm* old = FActiveForm;
    FActiveForm = f;
    if (old) old->Deactivate();
    if (f) f->Activate();
    fire(OnActiveFormChange, this);
}
