#include <gtest/gtest.h>

#include "app/config/AppConfigActions.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/config/XmlNode.h"
#include "platform/framework/Forms.h"

namespace {

void defineProfiles(const char* newKeys) {
    clearXProfiles();
    const char* xml =
        "<profiles><sign id='1' caption='Ключи ЭП' keys='sign' template='s.xcfg'/>"
        "<ka id='2' caption='Ключи связи' keys='ka' template='k.xcfg'/></profiles>";
    TCXMLNodeParser p(true);
    ASSERT_EQ(p.loadText(xml, strlen(xml)), 0u);
    for (int i = 0; i < p.getRoot()->nodesCount(); ++i) {
        auto* d = new TCXProfileDescriptor;
        ASSERT_EQ(initProfile(d, p.getRoot()->at(i)), 1);
        _registerXProfile(d);
    }
    _initNewKeysItemList(newKeys);
}

}  // namespace

TEST(AppConfigActions, OneActionAndMenuItemPerNewKeyItem) {
    EnsureApplication();
    defineProfiles("ka,sign");
    TCXProfileDescriptor* ran = nullptr;
    TActionList* list = makeNewKeysActions([&](TObject* s) { ran = newKeysItemOf(s); }, nullptr);
    ASSERT_EQ(list->ActionCount(), 2);
    EXPECT_EQ(list->Actions(0)->Caption(), "Ключи связи");
    EXPECT_EQ(list->Actions(0)->Hint(), "Создать стартовый контекст для нового Ключи связи");
    EXPECT_EQ(list->Actions(1)->ActionList(), list);
    TMenuItem menu(nullptr);
    attachNewKeysActions(list, &menu);
    ASSERT_EQ(menu.Count(), 2);
    EXPECT_TRUE(menu.Visible());
    menu.Items(1)->Click();
    EXPECT_EQ(ran, _getDefPFList().findProfile("sign"));
    EXPECT_EQ(newKeysItemOf(&menu), nullptr);
    delete list;
}

TEST(AppConfigActions, NoItemsHidesTheMenuItem) {
    EnsureApplication();
    defineProfiles("");
    TActionList* list = makeNewKeysActions(nullptr, nullptr);
    EXPECT_EQ(list->ActionCount(), 0);
    TMenuItem menu(nullptr);
    attachNewKeysActions(list, &menu);
    EXPECT_FALSE(menu.Visible());
    EXPECT_EQ(menu.Count(), 0);
    delete list;
}

TEST(AppConfigActions, ToolButtonGetsADropDownOfTheActions) {
    EnsureApplication();
    defineProfiles("ka,sign");
    TCXProfileDescriptor* ran = nullptr;
    TActionList* list = makeNewKeysActions([&](TObject* s) { ran = newKeysItemOf(s); }, nullptr);
    TMenuItem menu(nullptr);
    auto* bar = new TToolBar(nullptr);
    auto* button = new TToolButton(bar);
    button->SetParent(bar);
    attachNewKeysActions(list, &menu, button);
    EXPECT_EQ(menu.Count(), 2);
    EXPECT_TRUE(menu.Visible());
    EXPECT_EQ(button->Style(), tbsDropDown);
    EXPECT_TRUE(button->Enabled());
    TPopupMenu* pm = button->DropdownMenu();
    ASSERT_NE(pm, nullptr);
    EXPECT_EQ(pm->Owner(), button);
    ASSERT_EQ(pm->Items()->Count(), 2);
    EXPECT_EQ(pm->Items()->Items(0)->Caption(), "Ключи связи");
    EXPECT_EQ(pm->Items()->Items(1)->Caption(), "Ключи ЭП");
    pm->Items()->Items(1)->Click();
    EXPECT_EQ(ran, _getDefPFList().findProfile("sign"));
    pm->Items()->Items(0)->Click();
    EXPECT_EQ(ran, _getDefPFList().findProfile("ka"));
    // The menu goes with its button.
    bar->Free();
    delete list;
}

TEST(AppConfigActions, NoItemsDisablesTheToolButton) {
    EnsureApplication();
    defineProfiles("");
    TActionList* list = makeNewKeysActions(nullptr, nullptr);
    TMenuItem menu(nullptr);
    auto* button = new TToolButton(nullptr);
    attachNewKeysActions(list, &menu, button);
    EXPECT_FALSE(menu.Visible());
    EXPECT_FALSE(button->Enabled());
    EXPECT_EQ(button->DropdownMenu(), nullptr);
    EXPECT_EQ(button->Style(), tbsButton);
    // A missing menu item is no reason to skip the button.
    auto* other = new TToolButton(nullptr);
    attachNewKeysActions(list, nullptr, other);
    EXPECT_FALSE(other->Enabled());
    button->Free();
    other->Free();
    delete list;
}
