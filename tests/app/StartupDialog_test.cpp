#include <gtest/gtest.h>

#include "app/StartupDialog.h"
#include "platform/framework/QtTestApp.h"

namespace {

// A menu item with `n` entries, each with its own action.
struct Menu {
    TMenuItem* item;
    std::vector<TAction*> actions;
    explicit Menu(int n) {
        ensureQtApp();
        item = new TMenuItem(Application);
        for (int i = 0; i < n; ++i) {
            auto* a = new TAction(Application);
            auto* e = new TMenuItem(Application);
            e->SetAction(a);
            e->SetCaption("Профиль " + std::to_string(i + 1));
            item->Add(e);
            actions.push_back(a);
        }
    }
    ~Menu() {
        item->Free();
        for (TAction* a : actions) a->Free();
    }
};

TEST(StartupDialog, ChoicesExcludeEachOtherAndEnableAccept) {
    Menu menu(3);
    auto* d = new TStatupCreatorDialog(Application);
    d->AfterConstruction();
    const int clientBefore = d->ClientHeight(), groupBefore = d->rg1->Height();
    d->addNewKeysItems(menu.item);
    const int grow = 3 * (d->chk1->Height() + 3);
    EXPECT_EQ(d->ClientHeight(), clientBefore + grow);
    EXPECT_EQ(d->rg1->Height(), groupBefore + grow);
    ASSERT_EQ(d->rg1->Items()->Count(), 3);
    EXPECT_EQ(d->rg1->Items()->Strings(1), "Профиль 2");
    EXPECT_FALSE(d->btn1->Enabled());

    d->rg1->SetItemIndex(1);
    EXPECT_TRUE(d->btn1->Enabled());
    EXPECT_EQ(d->chosenAction(), menu.actions[1]);
    d->chk1->SetChecked(true);
    EXPECT_EQ(d->rg1->ItemIndex(), -1);
    EXPECT_TRUE(d->btn1->Enabled());
    d->rg1->SetItemIndex(2);
    EXPECT_FALSE(d->chk1->Checked());
    d->rg1->SetItemIndex(-1);
    EXPECT_FALSE(d->btn1->Enabled());
    d->Free();
}

// Shows the dialog and lets `press` act on it.
bool show(Menu& menu, bool withCheck, const std::function<int(TStatupCreatorDialog*)>& press, TBasicAction*& action,
          const char* caption = nullptr) {
    SetModalHook([&](TObject* w) -> int {
        auto* d = dynamic_cast<TStatupCreatorDialog*>(w);
        return d ? press(d) : mrCancel;
    });
    const bool ok = showStartupDialog(menu.item, action, withCheck, caption);
    SetModalHook(nullptr);
    return ok;
}

TEST(StartupDialog, Answers) {
    Menu menu(2);
    TBasicAction* action = menu.actions[0];
    std::string caption;
    EXPECT_TRUE(show(
        menu, true,
        [&](TStatupCreatorDialog* d) {
            caption = d->Caption();
            EXPECT_TRUE(d->chk1->Visible());
            d->rg1->SetItemIndex(1);
            d->btn1->Click();
            return 0;
        },
        action, "Выбор профиля"));
    EXPECT_EQ(action, menu.actions[1]);
    EXPECT_EQ(caption, "Выбор профиля");

    EXPECT_TRUE(show(
        menu, true,
        [](TStatupCreatorDialog* d) {
            d->chk1->SetChecked(true);
            d->btn1->Click();
            return 0;
        },
        action));
    EXPECT_EQ(action, nullptr);

    action = menu.actions[0];
    EXPECT_FALSE(show(
        menu, true,
        [](TStatupCreatorDialog* d) {
            d->rg1->SetItemIndex(0);
            d->btn2->Click();
            return 0;
        },
        action));
    EXPECT_EQ(action, nullptr);
}

TEST(StartupDialog, NothingToChooseOnlyCancels) {
    Menu menu(0);
    TBasicAction* action = nullptr;
    bool enabled = true;
    EXPECT_FALSE(show(
        menu, false,
        [&](TStatupCreatorDialog* d) {
            EXPECT_FALSE(d->chk1->Visible());
            enabled = d->btn1->Enabled();
            return mrCancel;
        },
        action));
    EXPECT_FALSE(enabled);
}

}  // namespace
