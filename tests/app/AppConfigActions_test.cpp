#include <gtest/gtest.h>

#include "app/AppConfigActions.h"
#include "platform/core/Profiles.h"
#include "platform/core/XmlNode.h"
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
