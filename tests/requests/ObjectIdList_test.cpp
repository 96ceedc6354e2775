#include <gtest/gtest.h>
#include <openssl/objects.h>

#include <filesystem>

#include "platform/core/x509/XObjects.h"
#include "requests/ObjectIdList.h"
#include "support/TempDir.h"

namespace {

const char* kFile = R"(<?xml version="1.0" encoding="UTF-8"?>
<objects oid="1.3.6.1.4.1.99998.1">
  <oidListA ln="Первый объект" oid="1.3.6.1.4.1.99998.1.1" valtype="string" critical="Yes"/>
  <oidListB ln="Старый объект" oid="1.3.6.1.4.1.99998.1.3" ekuValue="3"/>
  <oidListNoOid ln="Без идентификатора"/>
  <oidListC ln="Без типа" oid="1.3.6.1.4.1.99998.1.4"/>
</objects>
)";

}  // namespace

TEST(ObjectIdList, LoadCacheAndRegister) {
    zrxtest::TempDir dir;
    zrxtest::writeFile(dir.file("ZrX509_objects.xcfg"), kFile);
    TZrXOIDsList list;
    ASSERT_EQ(list.load(dir.file("ZrX509_objects.xcfg").c_str(), false), 0);
    ASSERT_EQ(list.count(), 4);
    TZrXOIDNode* a = list.findByShortName("oidListA");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->longName().str(), "Первый объект");
    EXPECT_EQ(a->valueType(), xvtString);
    EXPECT_TRUE(a->critical());
    EXPECT_EQ(a->extensionFormat().str(), "!oidListA?string|Первый объект:");
    TZrXOIDNode* b = list.findByLongName("старый ОБЪЕКТ");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->valueType(), xvtInt);  // "ekuValue" read as hexadecimal
    EXPECT_FALSE(b->critical());
    EXPECT_EQ(list.findByOID("1.3.6.1.4.1.99998.1.4")->valueType(), xvtNone);
    EXPECT_FALSE(list.findByShortName("oidListNoOid")->isValid());

    // The element without "oid" stays in the list but is never registered.
    EXPECT_EQ(list.registerAll(true), 3);
    EXPECT_NE(OBJ_sn2nid("oidListA"), NID_undef);
    EXPECT_EQ(OBJ_sn2nid("oidListNoOid"), NID_undef);
    EXPECT_EQ(findExtensionFormat("oidListA").str(), "!oidListA?string|Первый объект:");
    EXPECT_EQ(list.registerAll(true), 3);  // already registered: still counted
}

TEST(ObjectIdList, NextFreeOidTable) {
    TZrXOIDsList list;
    auto add = [&](const char* sn, const char* oid) {
        auto* n = new TZrXOIDNode(sn);
        n->setLongName(sn);
        n->setOID(oid);
        list.getRoot()->addNode(n);
    };
    // Without a base identifier: a full stop and the number.
    EXPECT_EQ(list.nextFreeOID().str(), ".1");
    list.getRoot()->setAttr("oid", "1.2.3");
    EXPECT_EQ(list.nextFreeOID().str(), "1.2.3.1");
    add("a", "1.2.3.1");
    add("b", "1.2.3.3");
    EXPECT_EQ(list.nextFreeOID().str(), "1.2.3.2");
    add("c", "1.2.3.2");
    EXPECT_EQ(list.nextFreeOID().str(), "1.2.3.4");
    // Every candidate taken: none.
    for (int i = 4; i <= 10000; ++i) add(("n" + std::to_string(i)).c_str(), ("1.2.3." + std::to_string(i)).c_str());
    EXPECT_TRUE(list.nextFreeOID().isEmpty());
}

TEST(ObjectIdList, AddSaveAndReloadKeepsTheFileReadable) {
    zrxtest::TempDir dir;
    const std::string file = dir.file("ZrX509_objects.xcfg");
    zrxtest::writeFile(file, "<objects/>");
    TZrXOIDsList list;
    ASSERT_EQ(list.load(file.c_str(), false), 0);
    ASSERT_TRUE(list.setBaseOID("1.3.6.1.4.1.99998.2"));

    auto* n = new TZrXOIDNode("oidListSaved");
    n->setLongName("Сохранённый \"объект\" <1>");
    n->setOID(list.nextFreeOID().c_str());
    n->setValueType(xvtBool);
    n->setCritical(true);
    ASSERT_TRUE(list.addObject(n, true));
    EXPECT_NE(n->registeredNid(), 0);

    // Names that would make the file unreadable are refused before storing.
    auto* bad = new TZrXOIDNode("ok");
    EXPECT_FALSE(bad->setShortName("bad name<"));
    EXPECT_FALSE(bad->setShortName("1digit"));
    EXPECT_EQ(bad->str(), "ok");
    delete bad;
    auto* built = new TZrXOIDNode("two words");
    built->setLongName("x");
    built->setOID("1.3.6.1.4.1.99998.2.9");
    EXPECT_FALSE(list.addObject(built, false));
    delete built;
    // A failed registration refuses without saving.
    auto* dup = new TZrXOIDNode("oidListOther");
    dup->setLongName("Другой");
    dup->setOID("1.3.6.1.4.1.99998.2.1");  // taken by oidListSaved
    EXPECT_FALSE(list.addObject(dup, true));
    delete dup;

    TZrXOIDsList again;
    ASSERT_EQ(again.load(file.c_str(), false), 0);
    ASSERT_EQ(again.count(), 1);
    TZrXOIDNode* s = again.at(0);
    EXPECT_EQ(s->shortName().str(), "oidListSaved");
    EXPECT_EQ(s->longName().str(), "Сохранённый \"объект\" <1>");
    EXPECT_EQ(s->oid().str(), "1.3.6.1.4.1.99998.2.1");
    EXPECT_EQ(s->valueTypeText().str(), "bool");
    EXPECT_TRUE(s->critical());
    EXPECT_EQ(again.baseOID()->str(), "1.3.6.1.4.1.99998.2");
    EXPECT_EQ(again.nextFreeOID().str(), "1.3.6.1.4.1.99998.2.2");
}

TEST(ObjectIdList, RegisterUserObjectsFromFolder) {
    zrxtest::TempDir dir;
    EXPECT_FALSE(registerUserObjects(dir.str().c_str()));
    zrxtest::writeFile(dir.file("ZrX509_objects.xcfg"), "<objects><broken></objects>");
    EXPECT_FALSE(registerUserObjects(dir.str().c_str()));
    zrxtest::writeFile(dir.file("ZrX509_objects.xcfg"),
                       "<objects><oidListStart ln='При старте' oid='1.3.6.1.4.1.99998.3.1'/></objects>");
    EXPECT_TRUE(registerUserObjects(dir.str().c_str()));
    EXPECT_NE(OBJ_sn2nid("oidListStart"), NID_undef);
    EXPECT_TRUE(findExtensionFormat("oidListStart").isEmpty());  // formats are not registered at start
}

TEST(ObjectIdList, FailedSaveLeavesTheNodeWithTheCaller) {
    zrxtest::TempDir dir;
    const std::filesystem::path folder = std::filesystem::path(dir.str()) / "gone";
    std::filesystem::create_directory(folder);
    const std::string file = (folder / "ZrX509_objects.xcfg").string();
    zrxtest::writeFile(file, "<objects/>");
    TZrXOIDsList list;
    ASSERT_EQ(list.load(file.c_str(), false), 0);
    std::filesystem::remove_all(folder);

    auto* n = new TZrXOIDNode("oidListUnsaved");
    n->setLongName("Не сохранён");
    n->setOID("1.3.6.1.4.1.99998.4.1");
    EXPECT_FALSE(list.addObject(n, false));
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(n->parent(), nullptr);
    delete n;  // the caller still owns it: the list must not free it again
}
