#include <gtest/gtest.h>

#include <QMenu>
#include <QToolButton>

#include "platform/framework/ComCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/QtTestApp.h"

namespace {

QToolButton* qtButton(TToolButton* b) { return static_cast<QToolButton*>(b->Handle()); }

TToolButton* addButton(TToolBar* bar, const char* caption, TToolButtonStyle style = tbsButton) {
    auto* b = new TToolButton(bar->Owner());
    b->SetCaption(caption);
    b->SetStyle(style);
    b->SetParent(bar);
    return b;
}

struct Bar {
    TForm* form;
    TToolBar* bar;
    Bar() {
        ensureQtApp();
        form = CreateComponent<TForm>(nullptr);
        form->SetBounds(0, 0, 600, 200);
        bar = new TToolBar(form);
        bar->SetParent(form);
        bar->SetButtonWidth(120);
        bar->SetButtonHeight(36);
        bar->SetShowCaptions(true);
    }
    ~Bar() { form->Free(); }
};

}  // namespace

TEST(ToolBar, ButtonsSitInARowAndHiddenOrFreedOnesLeaveNoGap) {
    Bar t;
    EXPECT_EQ(t.bar->Align(), alTop);
    TToolButton* a = addButton(t.bar, "Сохранить");
    TToolButton* sep = addButton(t.bar, "", tbsSeparator);
    TToolButton* b = addButton(t.bar, "Удалить");
    TToolButton* c = addButton(t.bar, "Закрыть");
    ASSERT_EQ(t.bar->ButtonCount(), 4);
    EXPECT_EQ(t.bar->Buttons(1), sep);
    EXPECT_EQ(t.bar->Buttons(4), nullptr);
    EXPECT_EQ(t.bar->Buttons(-1), nullptr);
    EXPECT_EQ(a->ToolBar(), t.bar);

    EXPECT_EQ(a->Left(), 0);
    EXPECT_EQ(a->Width(), 120);
    EXPECT_EQ(a->Height(), 36);
    EXPECT_EQ(sep->Left(), 120);
    EXPECT_EQ(sep->Width(), 8);
    EXPECT_EQ(b->Left(), 128);
    EXPECT_EQ(c->Left(), 248);
    EXPECT_EQ(qtButton(a)->text().toStdString(), "Сохранить");
    EXPECT_TRUE(qtButton(sep)->text().isEmpty());

    b->SetVisible(false);
    EXPECT_EQ(c->Left(), 128);
    b->SetVisible(true);
    EXPECT_EQ(c->Left(), 248);

    sep->Free();
    EXPECT_EQ(t.bar->ButtonCount(), 3);
    EXPECT_EQ(b->Left(), 120);
    EXPECT_EQ(c->Left(), 240);

    // A button taken off the bar no longer counts.
    b->SetParent(t.form);
    EXPECT_EQ(t.bar->ButtonCount(), 2);
    EXPECT_EQ(c->Left(), 120);
}

TEST(ToolBar, ButtonFollowsItsActionAndClicks) {
    Bar t;
    auto* list = new TActionList(t.form);
    auto* act = new TAction(list);
    act->SetActionList(list);
    act->SetCaption("Сменить ключи");
    act->SetHint("Сменить ключи|Выполнить плановую смену ключей");
    int ran = 0;
    act->OnExecute = [&](TObject*) { ++ran; };
    TToolButton* b = addButton(t.bar, "");
    b->SetAction(act);
    EXPECT_EQ(b->Caption(), "Сменить ключи");
    EXPECT_EQ(b->Hint(), "Сменить ключи|Выполнить плановую смену ключей");
    qtButton(b)->click();
    EXPECT_EQ(ran, 1);

    act->SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    EXPECT_FALSE(qtButton(b)->isEnabled());
    act->SetEnabled(true);
    act->SetVisible(false);
    EXPECT_FALSE(b->Visible());

    // Without an action the click goes to OnClick; a separator never clicks.
    TToolButton* plain = addButton(t.bar, "Печать");
    int clicks = 0;
    plain->OnClick = [&](TObject* s) { EXPECT_EQ(s, plain); ++clicks; };
    qtButton(plain)->click();
    EXPECT_EQ(clicks, 1);
    TToolButton* sep = addButton(t.bar, "", tbsSeparator);
    sep->OnClick = [&](TObject*) { ++clicks; };
    sep->Click();
    EXPECT_EQ(clicks, 1);
}

TEST(ToolBar, DropDownButtonShowsItsMenu) {
    Bar t;
    TToolButton* b = addButton(t.bar, "Передать запрос");
    auto* pm = new TPopupMenu(t.form);
    int picked = -1, popups = 0;
    for (int i = 0; i < 2; ++i) {
        auto* mi = new TMenuItem(pm);
        mi->SetCaption(i ? "Сохранить в файл" : "Отправить");
        mi->OnClick = [&, i](TObject*) { picked = i; };
        pm->Items()->Add(mi);
    }
    pm->OnPopup = [&](TObject*) { ++popups; };

    // A plain button shows no arrow, even with a menu.
    b->SetDropdownMenu(pm);
    EXPECT_EQ(qtButton(b)->menu(), nullptr);
    b->SetStyle(tbsDropDown);
    EXPECT_EQ(b->Style(), tbsDropDown);
    EXPECT_EQ(qtButton(b)->popupMode(), QToolButton::MenuButtonPopup);
    QMenu* shown = qtButton(b)->menu();
    ASSERT_NE(shown, nullptr);

    // The arrow's menu holds the drop-down menu's items.
    emit shown->aboutToShow();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(pm->PopupComponent, b);
    ASSERT_EQ(shown->actions().size(), 2);
    EXPECT_EQ(shown->actions()[1]->text().toStdString(), "Сохранить в файл");
    shown->actions()[1]->trigger();
    EXPECT_EQ(picked, 1);

    // Dropping down from code hands the menu to the modal hook.
    TObject* seen = nullptr;
    TModalHook old = SetModalHook([&](TObject* w) {
        seen = w;
        if (auto* m = dynamic_cast<TPopupMenu*>(w)) m->Items()->Items(0)->Click();
        return 0;
    });
    EXPECT_TRUE(b->CheckMenuDropdown());
    SetModalHook(old);
    EXPECT_EQ(seen, pm);
    EXPECT_EQ(picked, 0);

    // The menu going away leaves the button without one.
    pm->Free();
    EXPECT_EQ(b->DropdownMenu(), nullptr);
    EXPECT_FALSE(b->CheckMenuDropdown());
    emit shown->aboutToShow();
    EXPECT_TRUE(shown->actions().isEmpty());

    // Back to a plain button: no arrow.
    b->SetStyle(tbsButton);
    EXPECT_EQ(qtButton(b)->menu(), nullptr);
}

TEST(ToolBar, ButtonSwitchesBetweenItsActionAndADropDownMenuAtRunTime) {
    Bar t;
    auto* list = new TActionList(t.form);
    auto* save = new TAction(list);
    save->SetActionList(list);
    save->SetCaption("Сохранить запрос");
    int saved = 0, sent = 0;
    save->OnExecute = [&](TObject*) { ++saved; };
    auto* pm = new TPopupMenu(t.form);
    pm->Items()->AddActionItem(save);

    TToolButton* b = addButton(t.bar, "");
    b->SetAction(save);
    // The action was disabled when the button left it: the drop-down button
    // must still answer.
    save->SetEnabled(false);
    b->SwitchToMenu(pm, [&](TObject* s) {
        EXPECT_EQ(s, b);
        ++sent;
    });
    EXPECT_EQ(b->Action(), nullptr);
    EXPECT_EQ(b->Style(), tbsDropDown);
    EXPECT_EQ(b->DropdownMenu(), pm);
    EXPECT_TRUE(b->Enabled());
    ASSERT_NE(qtButton(b)->menu(), nullptr);
    qtButton(b)->click();
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(saved, 0);
    // The dropped action no longer drives the button.
    save->SetVisible(false);
    EXPECT_TRUE(b->Visible());
    save->SetVisible(true);
    save->SetEnabled(true);

    b->SwitchToAction(save);
    EXPECT_EQ(b->Action(), save);
    EXPECT_EQ(b->Style(), tbsButton);
    EXPECT_EQ(b->DropdownMenu(), nullptr);
    EXPECT_EQ(qtButton(b)->menu(), nullptr);
    EXPECT_EQ(b->Caption(), "Сохранить запрос");
    qtButton(b)->click();
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(sent, 1);
    // Switching twice either way changes nothing more.
    b->SwitchToAction(save);
    EXPECT_EQ(b->Action(), save);
    b->SwitchToMenu(pm, nullptr);
    b->SwitchToMenu(pm, nullptr);
    EXPECT_EQ(b->Style(), tbsDropDown);
    qtButton(b)->click();
    EXPECT_EQ(saved + sent, 2);
}

TEST(ToolBar, MenuItemTradesItsActionForSubItemsAndBack) {
    Bar t;
    auto* list = new TActionList(t.form);
    auto makeAction = [&](const char* caption, int& counter) {
        auto* a = new TAction(list);
        a->SetActionList(list);
        a->SetCaption(caption);
        a->OnExecute = [&counter](TObject*) { ++counter; };
        return a;
    };
    int saved = 0, sent = 0;
    TAction* save = makeAction("Сохранить запрос", saved);
    TAction* send = makeAction("Отправить на регистрацию", sent);
    auto* mm = new TMainMenu(t.form);
    auto* top = new TMenuItem(t.form);
    top->SetCaption("Контейнер");
    mm->Items()->Add(top);
    auto* item = new TMenuItem(t.form);
    item->SetAction(save);
    top->Add(item);
    const int owned = t.form->ComponentCount();

    item->SetAction(nullptr);
    TMenuItem* first = item->AddActionItem(send);
    TMenuItem* second = item->AddActionItem(save);
    ASSERT_EQ(item->Count(), 2);
    EXPECT_EQ(first->Caption(), "Отправить на регистрацию");
    EXPECT_EQ(second->ImageIndex(), -1);
    EXPECT_EQ(first->Owner(), t.form);
    ASSERT_NE(item->QtMenu(), nullptr);
    EXPECT_EQ(item->QtAction()->menu(), item->QtMenu());
    ASSERT_EQ(item->QtMenu()->actions().size(), 2);
    item->QtMenu()->actions()[0]->trigger();
    EXPECT_EQ(sent, 1);
    send->SetEnabled(false);
    EXPECT_FALSE(first->Enabled());

    // Back to a plain item: the sub-items are freed and the action clicks.
    item->Clear();
    item->SetAction(save);
    EXPECT_EQ(item->Count(), 0);
    EXPECT_EQ(item->QtAction()->menu(), nullptr);
    EXPECT_EQ(t.form->ComponentCount(), owned);
    item->QtAction()->trigger();
    EXPECT_EQ(saved, 1);
    // Actions freed before the items leave nothing dangling.
    send->Free();
    EXPECT_EQ(item->AddActionItem(nullptr)->Action(), nullptr);
}
