// Forms, frames, the application and the screen.
#pragma once

#include <functional>
#include <vector>

#include "platform/framework/Controls.h"

class TMainMenu;
class TButton;

// Scoped: the HTML component's white-space styles use the same short names.
enum class TWindowState { wsNormal, wsMinimized, wsMaximized, wsFullScreen };
extern const TEnumInfo WindowStateInfo;
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
extern const TEnumInfo PositionInfo;
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
extern const TEnumInfo FormStyleInfo;
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = uint32_t;
extern const TEnumInfo BorderIconsInfo;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// Modal windows and common dialogs pass through this hook when one is set:
// the hook receives the form (or dialog), may fill or press things in it,
// and returns the modal result. 0 means "take the result the window now
// holds" (the hook pressed a button or a key); a window that stays open is
// offered to the hook again. Without a hook, windows are real.
using TModalHook = std::function<int(TObject* Window)>;
TModalHook SetModalHook(TModalHook hook);  // returns the previous hook
bool ModalHookActive();
// For common dialogs: runs the hook on `dialog`; false when no hook is set.
bool RunModalHook(TObject* dialog, int& result);

class TCustomForm : public TWinControl {
    DECLARE_CLASS(TCustomForm)
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;
    void BeforeDestruction() override;
    void AfterConstruction() override;

    void Show() override;
    void Hide() override;
    void SetVisible(bool v) override;
    virtual int ShowModal();
    void Close();
    bool CloseQuery();
    void Release();  // frees the form once the current event is done
    void BringToFront();
    bool Active() const;
    bool IsModal() const { return FModal; }

    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons v);
    TWindowState WindowState() const;
    void SetWindowState(TWindowState v);
    // The bounds the window returns to from maximized or minimized.
    TRect NormalBounds() const;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle v);
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool v) { FKeyPreview = v; }
    TMainMenu* Menu() const { return FMenu; }
    void SetMenu(TMainMenu* m);
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* c);
    // The control that last received the focus inside this form. The focus
    // moving to another control of the form is what exits the old control and
    // enters the new one (OnExit/OnEnter, from the innermost outward and back
    // in); the window losing activation, another window opening over it or
    // the form closing exits nothing.
    TWinControl* FocusedControl() const { return FFocusedControl; }
    // Called by a control of this form that received the keyboard focus.
    void SetFocusedControl(TWinControl* c);
    // A control (or one of its parents) leaves the form: it is neither exited
    // nor kept as the focused control.
    void DefocusRemoved(TControl* c, TWinControl* oldParent);
    int Constraints_MinWidth = 0, Constraints_MinHeight = 0;
    void SetMinSize(int w, int h);
    String GetText() const override;
    void ApplyText() override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int v) override;
    void SetClientHeight(int v) override;
    QWidget* ClientWidget() const override;
    // Pressing the default / cancel button (Return / Escape).
    TButton* DefaultButton() const;
    TButton* CancelButton() const;
    // Rebuilds the menu bar after the main menu's items changed.
    void MenuChanged();
    // Runs OnUpdate of the actions this shown form holds: those of its action
    // lists and those that its controls, menu items and tool buttons show.
    // The application does this whenever it becomes idle.
    void UpdateActions();

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    bool WidgetEvent(QEvent* e) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;

protected:
    virtual void DoCreate();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Resize() override;
    bool IsRootComponent() const override { return true; }

private:
    friend class TScreen;
    friend class TApplication;
    void ApplyWindowFlags();
    void RecordNormalBounds();
    TRect FNormalBounds;
    void PlaceOnShow();
    void LayoutClient();
    bool HandleDialogKey(int qtKey);
    void CloseModal();
    bool FConstructed = false;
    bool FDestroyFired = false;
    bool FModal = false;
    bool FPlaced = false;
    bool FKeyPreview = false;
    TModalResult FModalResult = mrNone;
    TPosition FPosition = poDesigned;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = 7;
    TWindowState FWindowState = TWindowState::wsNormal;
    TFormStyle FFormStyle = fsNormal;
    TMainMenu* FMenu = nullptr;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    int FFocusCount = 0;
    QWidget* FClient = nullptr;
    QWidget* FMenuBar = nullptr;
    class QEventLoop* FLoop = nullptr;
};

class TForm : public TCustomForm {
    DECLARE_CLASS(TForm)
    explicit TForm(TComponent* AOwner);
};

// A reusable group of controls placed on a form; its components are loaded
// with the form (created in the form's constructor) or by CreateComponent.
class TFrame : public TWinControl {
    DECLARE_CLASS(TFrame)
    explicit TFrame(TComponent* AOwner);
    // After the framework's own work, a frame that now sits on another form
    // hears of it through FormAssigned.
    void SetParent(TWinControl* p) override;

protected:
    bool IsRootComponent() const override { return true; }
    // The form the frame sits on after a change of parent (never null).
    virtual void FormAssigned(TCustomForm* form) { (void)form; }

private:
    TCustomForm* FKnownForm = nullptr;
};

// A non-visual container of components (found by TScreen like a form).
class TDataModule : public TComponent {
    DECLARE_CLASS(TDataModule)
    explicit TDataModule(TComponent* AOwner);
    ~TDataModule() override;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    void AfterConstruction() override;
    void BeforeDestruction() override;

protected:
    bool IsRootComponent() const override { return true; }
};

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
    DECLARE_CLASS(TApplication)
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;
    // Creates the Qt application once per process (argc/argv may be omitted).
    void Initialize(int argc = 0, char** argv = nullptr);
    template <class T> T* CreateForm(T*& ref) {
        ref = CreateComponent<T>(this);
        if (!FMainForm) FMainForm = ref;
        return ref;
    }
    void Run();
    void ProcessMessages();
    void HandleMessage();  // waits for and handles one batch of events
    // What the application does once its event queue is drained: updates the
    // actions of every shown form that is not blocked by a modal window, then
    // OnIdle. Runs by itself in every event loop; tests may call it.
    void Idle();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Forgets a Terminate, so that the loop can run again (tests that start
    // the program's loop more than once in one process).
    void ResetTerminated() { FTerminated = false; }
    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* f) { FMainForm = f; }
    String Title() const { return FTitle; }
    void SetTitle(const String& t);
    String ExeName() const;
    String Hint;
    bool ShowHint = true;
    void HandleException(TObject* Sender, const std::exception& E);
    // Default display of an exception: an error message box (through the hook in tests).
    void ShowException(const std::exception& E);
    TExceptionEvent OnException;
    TNotifyEvent OnIdle;
    // Number of nested modal loops running.
    int ModalLevel() const { return FModalLevel; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TCustomForm;
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    String FTitle;
    int FModalLevel = 0;
    bool FInIdle = false;
    class QEventLoop* FRunLoop = nullptr;
};

class TScreen : public TComponent {
    DECLARE_CLASS(TScreen)
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;
    // Primary screen size in pixels.
    int Width() const;
    int Height() const;
    // The virtual desktop spanning every monitor (may start left of or above 0).
    TRect DesktopRect() const;
    TRect WorkAreaRect() const;
    int PixelsPerInch() const;
    int MonitorCount() const;
    // Installed font families, sorted without regard to case.
    std::vector<String> Fonts() const;
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor c);
    TCustomForm* ActiveForm() const { return FActiveForm; }
    TWinControl* ActiveControl() const;
    int FormCount() const { return int(FForms.size()); }
    TCustomForm* Forms(int i) const { return FForms.at(size_t(i)); }
    int DataModuleCount() const { return int(FDataModules.size()); }
    TDataModule* DataModules(int i) const { return FDataModules.at(size_t(i)); }
    TNotifyEvent OnActiveFormChange;
    TNotifyEvent OnActiveControlChange;
    // Internal bookkeeping of the framework.
    void AddForm(TCustomForm* f);
    void RemoveForm(TCustomForm* f);
    void AddDataModule(TDataModule* d);
    void RemoveDataModule(TDataModule* d);
    void SetActiveForm(TCustomForm* f);

private:
    std::vector<TCustomForm*> FForms;
    std::vector<TDataModule*> FDataModules;
    TCustomForm* FActiveForm = nullptr;
    TCursor FCursor = crDefault;
};

extern TApplication* Application;
extern TScreen* Screen;

// Makes sure the Qt application, Application and Screen exist (tests call this).
void EnsureApplication();
