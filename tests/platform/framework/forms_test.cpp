#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QThread>
#include <QWidget>

#include <cstdlib>
#include <filesystem>

#include "platform/framework/ActnList.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/QtTranslations.h"
#include "platform/framework/StdCtrls.h"
#include "platform/framework/QtTestApp.h"
#include "platform/runtime/Translation.h"
#include "support/TempDir.h"

namespace {

// A small dialog as the program builds them: controls made in the
// constructor, handlers on the form.
struct TAskForm : TForm {
    TEdit* edtName;
    TCheckBox* chkKeep;
    TButton* btnOk;
    TButton* btnCancel;
    TPanel* pnlBottom;
    TLabel* lblName;
    int closeQueries = 0;
    bool refuse = false;
    explicit TAskForm(TComponent* o) : TForm(o) {
        SetName("AskForm");
        SetCaption("Запрос");
        SetBorderStyle(bsDialog);
        SetClientWidth(320);
        SetClientHeight(140);
        pnlBottom = new TPanel(this);
        pnlBottom->SetName("pnlBottom");
        pnlBottom->SetParent(this);
        pnlBottom->SetHeight(41);
        pnlBottom->SetAlign(alBottom);
        lblName = new TLabel(this);
        lblName->SetName("lblName");
        lblName->SetParent(this);
        lblName->SetBounds(12, 14, 60, 13);
        lblName->SetCaption("Имя:");
        edtName = new TEdit(this);
        edtName->SetName("edtName");
        edtName->SetParent(this);
        edtName->SetBounds(80, 10, 228, 21);
        chkKeep = new TCheckBox(this);
        chkKeep->SetName("chkKeep");
        chkKeep->SetParent(this);
        chkKeep->SetBounds(80, 42, 200, 17);
        chkKeep->SetCaption("Запомнить");
        btnOk = new TButton(this);
        btnOk->SetName("btnOk");
        btnOk->SetParent(pnlBottom);
        btnOk->SetBounds(152, 8, 75, 25);
        btnOk->SetCaption("Принять");
        btnOk->SetModalResult(mrOk);
        btnOk->SetDefault(true);
        btnCancel = new TButton(this);
        btnCancel->SetName("btnCancel");
        btnCancel->SetParent(pnlBottom);
        btnCancel->SetBounds(236, 8, 75, 25);
        btnCancel->SetCaption("Отменить");
        btnCancel->SetModalResult(mrCancel);
        OnCloseQuery = [this](TObject*, bool& can) {
            ++closeQueries;
            // A refused input keeps the window open.
            if (refuse && ModalResult() == mrOk && edtName->GetText().empty()) can = false;
        };
    }
};

struct HookGuard {
    explicit HookGuard(TModalHook h) { SetModalHook(std::move(h)); }
    ~HookGuard() { SetModalHook(nullptr); }
};

TEST(Modal, HookFillsDialogAndReturnsResult) {
    ensureQtApp();
    auto* f = CreateComponent<TAskForm>(Application);
    bool sawShown = false;
    HookGuard g([&](TObject* w) {
        auto* form = dynamic_cast<TAskForm*>(w);
        EXPECT_NE(form, nullptr);
        sawShown = form->Showing();
        form->edtName->SetText("Иван");
        form->chkKeep->SetChecked(true);
        return mrOk;
    });
    EXPECT_EQ(f->ShowModal(), mrOk);
    EXPECT_TRUE(sawShown);
    EXPECT_FALSE(f->Showing());
    EXPECT_EQ(f->edtName->GetText(), "Иван");
    EXPECT_EQ(f->closeQueries, 1);
    f->Free();
}

TEST(Modal, EscapeCloseButtonAndReturnKey) {
    ensureQtApp();
    auto* f = CreateComponent<TAskForm>(Application);
    // Escape with no cancel button: the modal form closes with mrCancel.
    {
        HookGuard g([](TObject* w) {
            SendKey(static_cast<TAskForm*>(w), VK_ESCAPE);
            return mrNone;
        });
        EXPECT_EQ(f->ShowModal(), mrCancel);
    }
    // The window's close button.
    {
        HookGuard g([](TObject* w) {
            static_cast<TAskForm*>(w)->Handle()->close();
            return mrNone;
        });
        EXPECT_EQ(f->ShowModal(), mrCancel);
    }
    // Return in the edit presses the default button.
    {
        HookGuard g([](TObject* w) {
            auto* form = static_cast<TAskForm*>(w);
            form->edtName->SetFocus();
            SendText(form, "abc");
            SendKey(form, VK_RETURN);
            return mrNone;
        });
        EXPECT_EQ(f->ShowModal(), mrOk);
        EXPECT_EQ(f->edtName->GetText(), "abc");
    }
    // A cancel button with another result takes Escape.
    f->btnCancel->SetCancel(true);
    f->btnCancel->SetModalResult(mrAbort);
    {
        HookGuard g([](TObject* w) {
            SendKey(static_cast<TAskForm*>(w), VK_ESCAPE);
            return mrNone;
        });
        EXPECT_EQ(f->ShowModal(), mrAbort);
    }
    f->Free();
}

TEST(Modal, RefusedAnswerKeepsWindowOpenAndIsOfferedAgain) {
    ensureQtApp();
    auto* f = CreateComponent<TAskForm>(Application);
    f->refuse = true;
    int calls = 0;
    HookGuard g([&](TObject* w) {
        auto* form = static_cast<TAskForm*>(w);
        if (++calls == 2) form->edtName->SetText("x");
        form->btnOk->Click();
        return mrNone;
    });
    EXPECT_EQ(f->ShowModal(), mrOk);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(f->closeQueries, 2);
    f->Free();
}

TEST(Modal, MessageDlgThroughHook) {
    ensureQtApp();
    String seen;
    HookGuard g([&](TObject* w) {
        auto* form = static_cast<TCustomForm*>(w);
        seen = static_cast<TLabel*>(form->FindComponent("Message"))->Caption();
        EXPECT_NE(form->FindComponent("Yes"), nullptr);
        EXPECT_NE(form->FindComponent("No"), nullptr);
        static_cast<TButton*>(form->FindComponent("No"))->Click();
        return mrNone;
    });
    EXPECT_EQ(MessageDlg("Удалить <b>ключ</b>?", mtConfirmation, mbYesNo), mrNo);
    EXPECT_EQ(seen, "Удалить <b>ключ</b>?");
}

// The framework's own message boxes are captioned and labelled in the
// interface language, Russian included.
TEST(Modal, MessageBoxesSpeakTheInterfaceLanguage) {
    ensureQtApp();
    zrnSetTranslationDir(ZRX_SOURCE_DIR "/app/data/lang");
    const struct {
        int language;
        const char *caption, *yes, *no;
    } cases[] = {
        {ZRN_LANG_RUSSIAN, "Подтверждение", "&Да", "&Нет"},
        {ZRN_LANG_ENGLISH, "Confirmation", "&Yes", "&No"},
        {ZRN_LANG_UKRAINIAN, "Підтвердження", "&Так", "&Ні"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        zrnSetLanguage(c.language);
        String caption, yes, no;
        HookGuard g([&](TObject* w) {
            auto* form = static_cast<TCustomForm*>(w);
            caption = form->Caption();
            yes = static_cast<TButton*>(form->FindComponent("Yes"))->Caption();
            no = static_cast<TButton*>(form->FindComponent("No"))->Caption();
            return mrNo;
        });
        EXPECT_EQ(MessageDlg("?", mtConfirmation, mbYesNo), mrNo);
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(yes, c.yes);
        EXPECT_EQ(no, c.no);
    }
    zrnResetTranslation();
}

// Qt's own dialogs follow the interface language too.
TEST(Application, QtTextsInTheInterfaceLanguage) {
    ensureQtApp();
    const QString english = QStringLiteral("Look in:");
    for (const char* code : {"ru", "uk"}) {
        SCOPED_TRACE(code);
        ASSERT_TRUE(InstallFrameworkTranslations(code));
        EXPECT_EQ(FrameworkTranslationsLanguage(), code);
        EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), english);
    }
    // A language Qt has no table for leaves Qt's English.
    EXPECT_FALSE(InstallFrameworkTranslations("xx"));
    EXPECT_EQ(FrameworkTranslationsLanguage(), "");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), english);
}

TEST(Modal, RealNestedLoopEndsOnModalResult) {
    ensureQtApp();
    auto* f = CreateComponent<TAskForm>(Application);
    auto* t = new TTimer(f);
    t->SetInterval(10);
    t->OnTimer = [f, t](TObject*) {
        t->SetEnabled(false);
        f->btnOk->Click();
    };
    EXPECT_EQ(f->ShowModal(), mrOk);
    f->Free();
}

TEST(Form, AlignAnchorsAndKeyPreview) {
    ensureQtApp();
    auto* f = CreateComponent<TAskForm>(Application);
    f->Show();
    EXPECT_EQ(f->pnlBottom->Top(), 140 - 41);
    EXPECT_EQ(f->pnlBottom->Width(), 320);
    f->SetBorderStyle(bsSizeable);
    f->btnCancel->SetAnchors(akSet(akRight) | akSet(akTop));
    f->edtName->SetAnchors(akSet(akLeft) | akSet(akTop) | akSet(akRight));
    f->SetClientWidth(420);
    EXPECT_EQ(f->pnlBottom->Width(), 420);
    EXPECT_EQ(f->btnCancel->Left(), 336);
    EXPECT_EQ(f->edtName->Width(), 328);
    std::vector<uint16_t> keys;
    f->SetKeyPreview(true);
    f->OnKeyDown = [&](TObject*, uint16_t& k, TShiftState) {
        keys.push_back(k);
        if (k == VK_F5) k = 0;  // swallowed: the edit never sees it
    };
    int editKeys = 0;
    f->edtName->OnKeyDown = [&](TObject*, uint16_t&, TShiftState) { ++editKeys; };
    f->edtName->SetFocus();
    SendKey(f, VK_F5);
    SendKey(f, 'A');
    EXPECT_EQ(keys, (std::vector<uint16_t>{VK_F5, 'A'}));
    EXPECT_EQ(editKeys, 1);
    f->Free();
}

TEST(Form, CloseRunsQueryAndCloseActions) {
    ensureQtApp();
    auto* f = CreateComponent<TAskForm>(Application);
    std::vector<String> ev;
    f->OnClose = [&](TObject*, TCloseAction& a) {
        ev.push_back("close");
        a = caHide;
    };
    f->OnDestroy = [&](TObject*) { ev.push_back("destroy"); };
    f->Show();
    EXPECT_TRUE(f->Showing());
    EXPECT_EQ(Screen->ActiveForm(), f);
    f->Close();
    EXPECT_FALSE(f->Showing());
    f->Free();
    EXPECT_EQ(ev, (std::vector<String>{"close", "destroy"}));
}

TEST(Actions, MenuItemsAndButtonsFollowTheirAction) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* list = new TActionList(f);
    auto* act = new TAction(list);
    act->SetCaption("Открыть");
    int runs = 0;
    act->OnExecute = [&](TObject*) { ++runs; };
    auto* menu = new TMainMenu(f);
    auto* file = new TMenuItem(f);
    file->SetCaption("&Файл");
    menu->Items()->Add(file);
    auto* open = new TMenuItem(f);
    open->SetAction(act);
    file->Add(open);
    f->SetMenu(menu);
    auto* btn = new TButton(f);
    btn->SetParent(f);
    btn->SetAction(act);
    EXPECT_EQ(open->Caption(), "Открыть");
    EXPECT_EQ(btn->Caption(), "Открыть");
    act->SetEnabled(false);
    EXPECT_FALSE(open->Enabled());
    EXPECT_FALSE(btn->Enabled());
    act->SetEnabled(true);
    open->Click();
    btn->Click();
    open->QtAction()->trigger();
    EXPECT_EQ(runs, 3);
    // Radio items of one group: checking one unchecks the others.
    auto* r1 = new TMenuItem(f);
    auto* r2 = new TMenuItem(f);
    for (auto* r : {r1, r2}) {
        r->SetRadioItem(true);
        r->SetGroupIndex(111);
        file->Add(r);
    }
    r1->SetChecked(true);
    r2->SetChecked(true);
    EXPECT_FALSE(r1->Checked());
    // A click does not move the check mark by itself.
    r1->QtAction()->trigger();
    EXPECT_FALSE(r1->Checked());
    EXPECT_TRUE(r2->Checked());
    act->Free();
    EXPECT_EQ(open->Action(), nullptr);
    f->Free();
}

TEST(Form, ExceptionInHandlerGoesToApplication) {
    ensureQtApp();
    auto* f = CreateComponent<TAskForm>(Application);
    String caught;
    Application->OnException = [&](TObject*, const std::exception& e) { caught = e.what(); };
    f->btnOk->SetModalResult(mrNone);
    f->btnOk->OnClick = [](TObject*) { throw Exception("boom"); };
    f->Show();
    QMetaObject::invokeMethod(f->btnOk->Handle(), "click");
    EXPECT_EQ(caught, "boom");
    // Without a handler the error is shown in the framework's message dialog.
    Application->OnException = nullptr;
    String shown;
    {
        HookGuard g([&](TObject* w) {
            auto* box = static_cast<TCustomForm*>(w);
            shown = static_cast<TLabel*>(box->FindComponent("Message"))->Caption();
            return mrOk;
        });
        QMetaObject::invokeMethod(f->btnOk->Handle(), "click");
    }
    EXPECT_EQ(shown, "boom.");
    f->Free();
}

// The application's title names the program; it is not appended to every
// window's title (as Qt does with its display name).
TEST(Application, TitleIsNotAddedToWindowTitles) {
    ensureQtApp();
    const String saved = Application->Title();
    const QString displayName = QGuiApplication::applicationDisplayName();
    Application->SetTitle("Модуль генерации запросов");
    EXPECT_EQ(Application->Title(), "Модуль генерации запросов");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), displayName);
    Application->SetTitle(saved);
}

TEST(Application, RunEndsWhenTheMainFormCloses) {
    ensureQtApp();
    TForm* main = nullptr;
    Application->CreateForm(main);
    EXPECT_EQ(Application->MainForm(), main);
    bool shown = false;
    main->OnShow = [&](TObject*) { shown = true; };
    auto* t = new TTimer(main);
    t->SetInterval(10);
    t->OnTimer = [&](TObject*) {
        t->SetEnabled(false);
        main->Close();
    };
    Application->Run();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(main->Showing());
    // The next case finds an application that has not ended.
    main->Free();
    EXPECT_EQ(Application->MainForm(), nullptr);
    Application->ResetTerminated();
}

TEST(Form, SavedAsPngShowsItsControls) {
    ensureQtApp();
    auto* f = CreateComponent<TAskForm>(Application);
    f->SetBorderStyle(bsSizeable);
    f->edtName->SetText("Иван Петров");
    f->chkKeep->SetChecked(true);
    f->pnlBottom->SetCaption("");
    auto* cb = new TComboBox(f);
    cb->SetParent(f);
    cb->SetBounds(80, 66, 228, 21);
    cb->Items()->Add("RSA 2048");
    cb->Items()->Add("EC P-256");
    cb->SetItemIndex(1);
    auto* gb = new TGroupBox(f);
    gb->SetParent(f);
    gb->SetBounds(8, 4, 0, 0);
    gb->SetVisible(false);
    f->Show();
    Application->ProcessMessages();
    QPixmap pm = f->Handle()->grab();
    zrxtest::TempDir dir;
    std::string out = dir.str() + "/ask.png";
    if (const char* keep = std::getenv("ZRX_KEEP_PNG")) out = keep;
    ASSERT_TRUE(pm.save(QString::fromStdString(out), "PNG"));
    QImage img(QString::fromStdString(out));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.width(), f->Width());
    // The edit's white field differs from the form's face colour.
    QColor face = img.pixelColor(4, 4);
    QColor field = img.pixelColor(f->edtName->Left() + f->edtName->Width() - 8, f->edtName->Top() + 10);
    EXPECT_NE(face, field);
    f->Free();
}

}  // namespace

namespace {

TEST(Form, FreedFromItsOwnButtonAndTimer) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* b = new TButton(f);
    b->SetParent(f);
    bool destroyed = false;
    f->OnDestroy = [&](TObject*) { destroyed = true; };
    b->OnClick = [f](TObject*) { f->Free(); };
    f->Show();
    QMetaObject::invokeMethod(b->Handle(), "click");
    EXPECT_TRUE(destroyed);
    Application->ProcessMessages();

    auto* g = CreateComponent<TForm>(Application);
    auto* t = new TTimer(g);
    t->SetInterval(5);
    bool gone = false;
    g->OnDestroy = [&](TObject*) { gone = true; };
    t->OnTimer = [g](TObject*) { g->Free(); };
    for (int i = 0; i < 200 && !gone; ++i) {
        Application->ProcessMessages();
        QThread::msleep(2);
    }
    EXPECT_TRUE(gone);
    Application->ProcessMessages();
}

// A frame hears of the form it comes to sit on, once per form.
class TFormAwareFrame : public TFrame {
public:
    using TFrame::TFrame;
    std::vector<TCustomForm*> forms;

protected:
    void FormAssigned(TCustomForm* form) override { forms.push_back(form); }
};

TEST(Frame, LearnsItsFormWhenParented) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* g = CreateComponent<TForm>(Application);
    auto* panel = new TPanel(f);
    panel->SetParent(f);
    auto* frame = CreateComponent<TFormAwareFrame>(f);
    frame->SetParent(panel);
    frame->SetParent(f);  // the same form again: nothing new
    frame->SetParent(g);
    EXPECT_EQ(frame->forms, (std::vector<TCustomForm*>{f, g}));
    frame->SetParent(nullptr);
    frame->SetParent(g);
    EXPECT_EQ(frame->forms, (std::vector<TCustomForm*>{f, g, g}));
    f->Free();
    g->Free();
}

}  // namespace
