// The framework's events under real use: enter and exit follow the form's
// focused control, OnKeyPress may replace the character, and actions are
// updated whenever the application becomes idle.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLocale>
#include <QTimer>

#include <string>
#include <vector>

#include "platform/framework/ActnList.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Mask.h"
#include "platform/framework/Menus.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/Passwords.h"

namespace {

// Runs the real event loop for a while, as a user's pause would.
void runLoop(int ms = 30) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Exceptions that reach the application (a failed mask check raises one).
struct ExceptionLog {
    std::vector<String> seen;
    ExceptionLog() {
        Application->OnException = [this](TObject*, const std::exception& e) { seen.push_back(e.what()); };
    }
    ~ExceptionLog() { Application->OnException = nullptr; }
};

// A form with a panel holding two edits, and one edit outside the panel.
struct FocusForm {
    TForm* form;
    TPanel* panel;
    TEdit* a;
    TEdit* b;
    TEdit* outside;
    std::vector<std::string> events;
    FocusForm() {
        ensureQtApp();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(40, 40, 300, 200);
        panel = new TPanel(form);
        panel->SetName("panel");
        panel->SetParent(form);
        panel->SetBounds(0, 0, 300, 100);
        a = add("a", panel, 10);
        b = add("b", panel, 40);
        outside = add("outside", form, 120);
        track(panel);
    }
    ~FocusForm() { form->Free(); }
    TEdit* add(const char* name, TWinControl* parent, int top) {
        auto* e = new TEdit(form);
        e->SetName(name);
        e->SetParent(parent);
        e->SetBounds(10, top, 100, 24);
        e->SetTabStop(true);
        track(e);
        return e;
    }
    void track(TWinControl* c) {
        c->OnEnter = [this, c](TObject*) { events.push_back("enter " + c->Name()); };
        c->OnExit = [this, c](TObject*) { events.push_back("exit " + c->Name()); };
    }
    std::vector<std::string> take() { return std::exchange(events, {}); }
};

using Events = std::vector<std::string>;

TEST(FocusEvents, ExitAndEnterOnlyWhenTheFocusMovesInsideTheForm) {
    FocusForm t;
    t.form->SetActiveControl(t.a);
    t.form->Show();
    runLoop();
    EXPECT_EQ(t.take(), (Events{"enter panel", "enter a"}));
    EXPECT_EQ(t.form->FocusedControl(), t.a);

    t.b->SetFocus();
    EXPECT_EQ(t.take(), (Events{"exit a", "enter b"}));
    t.outside->SetFocus();
    EXPECT_EQ(t.take(), (Events{"exit b", "exit panel", "enter outside"}));
    // The active control changed in code moves the focus as well.
    t.form->SetActiveControl(t.a);
    EXPECT_EQ(t.take(), (Events{"exit outside", "enter panel", "enter a"}));

    // Another window opening over the form and closing again: nothing.
    auto* other = CreateComponent<TForm>(Application);
    auto* otherEdit = new TEdit(other);
    otherEdit->SetParent(other);
    otherEdit->SetTabStop(true);
    other->Show();
    runLoop();
    EXPECT_TRUE(otherEdit->Focused());
    other->Hide();
    t.form->BringToFront();
    runLoop();
    EXPECT_EQ(t.take(), Events{});
    EXPECT_EQ(t.form->FocusedControl(), t.a);

    // Hiding the form leaves its focused control as it is.
    t.form->Hide();
    runLoop();
    EXPECT_EQ(t.take(), Events{});
    other->Free();
}

TEST(FocusEvents, AFreedFocusedControlIsNeitherExitedNorKept) {
    FocusForm t;
    t.form->SetActiveControl(t.b);
    t.form->Show();
    runLoop();
    t.take();
    t.b->Free();
    runLoop();
    EXPECT_EQ(std::count(t.events.begin(), t.events.end(), "exit b"), 0);
    EXPECT_NE(t.form->FocusedControl(), nullptr);
    t.panel->Free();
    runLoop();
    t.outside->SetFocus();
    EXPECT_EQ(t.form->FocusedControl(), t.outside);
}

struct MaskForm {
    TForm* form;
    TMaskEdit* masked;
    TEdit* next;
    TButton* cancel;
    MaskForm() {
        ensureQtApp();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(60, 60, 300, 160);
        masked = new TMaskEdit(form);
        masked->SetParent(form);
        masked->SetTabStop(true);
        masked->SetEditMask("00.00;1;_");
        next = new TEdit(form);
        next->SetParent(form);
        next->SetTop(40);
        next->SetTabStop(true);
        cancel = new TButton(form);
        cancel->SetParent(form);
        cancel->SetTop(80);
        cancel->SetCancel(true);
        cancel->SetModalResult(mrCancel);
        form->SetActiveControl(masked);
    }
    ~MaskForm() { form->Free(); }
};

TEST(FocusEvents, AnUnfinishedMaskIsCheckedOnlyWhenTheFocusMovesOn) {
    // Escape in a modal form: the answer is Cancel and the mask is not checked.
    {
        MaskForm t;
        ExceptionLog log;
        QTimer::singleShot(20, [&] {
            SendText(t.masked, "1");
            SendKey(t.masked, VK_ESCAPE);
        });
        EXPECT_EQ(t.form->ShowModal(), mrCancel);
        runLoop();
        EXPECT_EQ(log.seen, std::vector<String>{});
    }
    // A second window or a message opening over the form: not checked either;
    // moving to the next control of the form is.
    {
        MaskForm t;
        ExceptionLog log;
        t.form->Show();
        runLoop();
        SendText(t.masked, "1");
        auto* over = CreateComponent<TForm>(Application);
        auto* overEdit = new TEdit(over);
        overEdit->SetParent(over);
        overEdit->SetTabStop(true);
        over->Show();
        runLoop();
        over->Free();
        t.form->BringToFront();
        runLoop();
        EXPECT_EQ(log.seen, std::vector<String>{});
        EXPECT_TRUE(t.masked->Focused());

        t.next->SetFocus();
        runLoop();
        ASSERT_EQ(log.seen.size(), 1u) << testing::PrintToString(log.seen);
        // The edit that refused its text keeps the focus.
        EXPECT_TRUE(t.masked->Focused());
        EXPECT_EQ(t.form->FocusedControl(), t.masked);
    }
}

TEST(KeyPress, AHandlerReplacesOrDropsTheCharacter) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* e = new TEdit(f);
    e->SetParent(f);
    e->SetTabStop(true);
    e->OnKeyPress = [](TObject*, char32_t& Key) {
        if (Key == U'x') Key = 0;
        else if (Key >= U'a' && Key <= U'z') Key = Key - U'a' + U'A';
        else if (Key == U'ж') Key = U'Ж';
    };
    f->SetActiveControl(e);
    f->Show();
    runLoop();
    SendText(e, "abxcж");
    EXPECT_EQ(e->GetText(), "ABCЖ");

    // A masked edit checks the replaced character against its mask.
    auto* m = new TMaskEdit(f);
    m->SetParent(f);
    m->SetTop(40);
    m->SetTabStop(true);
    m->SetEditMask("LL0;0;_");
    m->OnKeyPress = [](TObject*, char32_t& Key) {
        if (Key == U'q') Key = U'7';  // no letter: refused by the mask
        else if (Key >= U'a' && Key <= U'z') Key = Key - U'a' + U'A';
    };
    m->SetFocus();
    SendText(m, "aqb5");
    EXPECT_EQ(m->GetText(), "AB5");
    f->Free();
}

TEST(KeyDown, MainKeyboardAndKeypadPlusAndMinusHaveTheirOwnCodes) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* e = new TEdit(f);
    e->SetParent(f);
    e->SetTabStop(true);
    std::vector<uint16_t> keys;
    e->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) { keys.push_back(Key); };
    f->SetActiveControl(e);
    f->Show();
    runLoop();
    for (uint16_t key : {VK_OEM_PLUS, VK_OEM_MINUS, VK_ADD, VK_SUBTRACT}) SendKey(e, key, ssCtrl);
    EXPECT_EQ(keys, (std::vector<uint16_t>{VK_OEM_PLUS, VK_OEM_MINUS, VK_ADD, VK_SUBTRACT}));
    f->Free();
}

TEST(Gestures, APanReachesTheHandlerOrTheControl) {
    ensureQtApp();
    struct Panel : TCustomControl {
        using TCustomControl::TCustomControl;
        void DoGesture(const TGestureEventInfo& Info, bool& Handled) override {
            seen.push_back(Info.Location.Y);
            Handled = true;
        }
        std::vector<int> seen;
    };
    auto* f = CreateComponent<TForm>(Application);
    auto* p = new Panel(f);
    p->SetParent(f);
    p->SetPanGestures(true);
    TGestureEventInfo info;
    info.GestureID = igiPan;
    info.Location = TPoint{5, 40};
    bool handled = false;
    p->Gesture(info, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(p->seen, std::vector<int>{40});
    // An assigned OnGesture takes it instead.
    int events = 0;
    p->OnGesture = [&](TObject* Sender, const TGestureEventInfo&, bool&) {
        EXPECT_EQ(Sender, p);
        ++events;
    };
    handled = false;
    p->Gesture(info, handled);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(p->seen.size(), 1u);
    f->Free();
}

TEST(IdleActions, ShownFormsUpdateTheirActionsWhenTheApplicationIsIdle) {
    ensureQtApp();
    int listUpdates = 0, clientUpdates = 0, hiddenUpdates = 0;
    bool canRun = false;

    auto* f = CreateComponent<TForm>(Application);
    auto* list = new TActionList(f);
    auto* save = new TAction(list);
    save->OnUpdate = [&](TObject*) {
        ++listUpdates;
        save->SetEnabled(canRun);
    };
    auto* btn = new TButton(f);
    btn->SetParent(f);
    btn->SetAction(save);
    // An action that no list of the form holds, shown by a menu item and a
    // tool button's drop-down menu.
    auto* foreign = new TAction(Application);
    foreign->OnUpdate = [&](TObject*) { ++clientUpdates; };
    auto* menu = new TMainMenu(f);
    auto* top = new TMenuItem(f);
    top->SetCaption("Ключи");
    menu->Items()->Add(top);
    auto* item = new TMenuItem(f);
    item->SetAction(foreign);
    top->Add(item);
    f->SetMenu(menu);

    auto* hidden = CreateComponent<TForm>(Application);
    auto* hiddenList = new TActionList(hidden);
    auto* hiddenAct = new TAction(hiddenList);
    hiddenAct->OnUpdate = [&](TObject*) { ++hiddenUpdates; };

    f->Show();
    runLoop();
    EXPECT_GT(listUpdates, 0);
    EXPECT_GT(clientUpdates, 0);
    EXPECT_EQ(hiddenUpdates, 0);
    EXPECT_FALSE(btn->Enabled());

    canRun = true;
    runLoop();
    EXPECT_TRUE(btn->Enabled());

    // The list's OnUpdate may handle every action itself.
    const int before = listUpdates;
    list->OnUpdate = [](TBasicAction* a, bool& handled) {
        static_cast<TAction*>(a)->SetCaption("Сохранить");
        handled = true;
    };
    runLoop();
    EXPECT_EQ(listUpdates, before);
    EXPECT_EQ(btn->Caption(), "Сохранить");

    // A modal window blocks the form behind it: only the modal one is updated.
    auto* dialog = CreateComponent<TForm>(Application);
    auto* dlgList = new TActionList(dialog);
    auto* dlgAct = new TAction(dlgList);
    int dialogUpdates = 0, behindWhileModal = -1;
    runLoop();
    dlgAct->OnUpdate = [&](TObject*) {
        if (++dialogUpdates == 1) {
            behindWhileModal = clientUpdates;
            dialog->SetModalResult(mrOk);
        }
    };
    const int clientBefore = clientUpdates;
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(behindWhileModal, clientBefore);

    dialog->Free();
    hidden->Free();
    foreign->Free();
    f->Free();
}

TEST(IdleActions, ToolButtonsAndPopupMenusShowUpdatedActions) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* bar = new TToolBar(f);
    bar->SetParent(f);
    auto* tb = new TToolButton(f);
    tb->SetParent(bar);
    auto* act = new TAction(Application);
    bool on = false;
    act->OnUpdate = [&](TObject*) { act->SetEnabled(on); };
    tb->SetAction(act);
    auto* popup = new TPopupMenu(tb);
    auto* pitem = new TMenuItem(popup);
    auto* pact = new TAction(Application);
    int popupUpdates = 0;
    pact->OnUpdate = [&](TObject*) { ++popupUpdates; };
    pitem->SetAction(pact);
    popup->Items()->Add(pitem);
    tb->SetDropdownMenu(popup);
    f->Show();
    runLoop();
    EXPECT_FALSE(tb->Enabled());
    on = true;
    runLoop();
    EXPECT_TRUE(tb->Enabled());
    EXPECT_GT(popupUpdates, 0);

    // A pop-up menu brings its items' actions up to date before it shows.
    f->Hide();
    popupUpdates = 0;
    SetModalHook([](TObject*) { return 0; });
    popup->Popup(0, 0);
    SetModalHook(nullptr);
    EXPECT_EQ(popupUpdates, 1);
    f->Free();
    act->Free();
    pact->Free();
}

}  // namespace

namespace {

TEST(KeyboardLayout, TheApplicationInstallsTheInputLocale) {
    ensureQtApp();
    // The framework's source answers the input method's locale.
    KBLayoutSource source = setKBLayoutSource(nullptr);
    setKBLayoutSource(source);
    ASSERT_NE(source, nullptr);
    const QLocale l = QGuiApplication::inputMethod()->locale();
    if (l.language() == QLocale::C) {
        EXPECT_EQ(source(), TCString());  // the environment decides
    } else {
        EXPECT_EQ(source().str(), l.name().toStdString());
        EXPECT_EQ(getKBLayoutNameSN3(), languageCodeSN3(l.name().toUtf8().constData()));
    }
}

}  // namespace
