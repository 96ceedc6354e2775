#include "components/CfgFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/framework/Forms.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/win/PrivateProfile.h"
#include "support/TempDir.h"

static_assert(std::has_virtual_destructor_v<TCBaseCFGFile>);

namespace {

std::vector<std::string> itemsOf(const TCStringList& l) {
    std::vector<std::string> v;
    for (int i = 0; i < l.count(); ++i) v.push_back(l[i].str());
    return v;
}

TCStringList listOf(std::initializer_list<std::string> items) {
    TCStringList l;
    for (const auto& s : items) l.add(s);
    return l;
}

// Every kind of value through one store: written under one spelling, read
// under another; missing values give the defaults.
void roundTrip(TCBaseCFGFile& store) {
    ASSERT_TRUE(store.writeInt("Число", 0x80000001u));
    ASSERT_TRUE(store.writeInt("zero", 0));
    ASSERT_TRUE(store.writeString("Имя", "Значение с пробелами"));
    const unsigned char block[33] = {0xDE, 0xAD, 0, 0xBE, 0xEF, 32};
    ASSERT_TRUE(store.writeBinary("caIniData1", block, sizeof block));

    uint32_t n = 5;
    EXPECT_TRUE(store.readInt("ЧИСЛО", n, 7));
    EXPECT_EQ(n, 0x80000001u);
    EXPECT_TRUE(store.readInt("ZERO", n, 7));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(store.readInt("missing", n, 7));
    EXPECT_EQ(n, 7u);

    char buf[64];
    EXPECT_TRUE(store.readString("имя", buf, sizeof buf, "d"));
    EXPECT_STREQ(buf, "Значение с пробелами");
    TCString text;
    EXPECT_TRUE(store.readString("ИМЯ", text));
    EXPECT_EQ(text.str(), "Значение с пробелами");
    EXPECT_FALSE(store.readString("missing", text, "def"));
    EXPECT_EQ(text.str(), "def");

    unsigned char back[33] = {};
    EXPECT_TRUE(store.readBinary("CAINIDATA1", back, sizeof back));
    EXPECT_EQ(std::memcmp(back, block, sizeof block), 0);
    EXPECT_FALSE(store.readBinary("missing", back, sizeof back));

    // A string list with Cyrillic, empty and long items; read twice.
    const std::string longItem(1000, 'L');
    TCStringList list = listOf({"первый", "", longItem, "last"});
    ASSERT_TRUE(store.writeStringList("Hist", &list));
    TCStringList read = listOf({"old"});
    EXPECT_TRUE(store.readStringList("HIST", &read));
    EXPECT_TRUE(store.readStringList("hist", &read));
    EXPECT_EQ(itemsOf(read), (std::vector<std::string>{"первый", "", longItem, "last"}));
}

// Twelve items, then three: the surplus goes, the count is 3.
void shorterListRemovesSurplus(TCBaseCFGFile& store, const std::function<bool(const char*)>& itemExists) {
    TCStringList twelve;
    for (int i = 0; i < 12; ++i) twelve.add(TCString::format("item %d", i));
    ASSERT_TRUE(store.writeStringList("L", &twelve));
    EXPECT_TRUE(itemExists("L_11"));
    TCStringList three = listOf({"a", "b", "c"});
    ASSERT_TRUE(store.writeStringList("L", &three));
    uint32_t count = 0;
    EXPECT_TRUE(store.readInt("L_count", count, 0));
    EXPECT_EQ(count, 3u);
    EXPECT_TRUE(itemExists("L_02"));
    for (const char* gone : {"L_03", "L_07", "L_11"}) EXPECT_FALSE(itemExists(gone)) << gone;
    TCStringList read;
    EXPECT_TRUE(store.readStringList("L", &read));
    EXPECT_EQ(itemsOf(read), (std::vector<std::string>{"a", "b", "c"}));

    // No count value: false and the list untouched; a count of 0: true and empty.
    TCStringList keep = listOf({"x"});
    EXPECT_FALSE(store.readStringList("Nothing", &keep));
    EXPECT_EQ(itemsOf(keep), (std::vector<std::string>{"x"}));
    ASSERT_TRUE(store.writeInt("Zero_count", 0));
    EXPECT_TRUE(store.readStringList("Zero", &keep));
    EXPECT_EQ(keep.count(), 0);
}

}  // namespace

TEST(CfgFile, IniStoreRoundTripsEveryKind) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("data/ZrXCA.ini");
    TCIniFile ini(f.c_str(), "Config");
    EXPECT_FALSE(ini.exists());
    roundTrip(ini);
    EXPECT_TRUE(ini.exists());
    EXPECT_EQ(ini.getName().str(), "Config");
    // Integers are unsigned decimal texts.
    std::string v;
    ASSERT_TRUE(zrx::win::profileRead(f, "config", "число", v));
    EXPECT_EQ(v, "2147483649");
}

TEST(CfgFile, RegistryStoreRoundTripsEveryKind) {
    TCRegKey reg;
    ASSERT_TRUE(reg.openKey(HKEY_CURRENT_USER, "Software\\Zoren\\ZrX509\\Форма", CFG_REG_CREATE));
    roundTrip(reg);
    EXPECT_TRUE(reg.exists());
    EXPECT_EQ(reg.getName().str(), "Software\\Zoren\\ZrX509\\Форма");
    // Values carry their registry types.
    uint32_t type = 0;
    std::string data;
    ASSERT_EQ(zrx::win::regQueryValue(reg.handle(), "число", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    ASSERT_EQ(zrx::win::regQueryValue(reg.handle(), "hist_02", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    ASSERT_EQ(zrx::win::regQueryValue(reg.handle(), "Hist_count", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
}

TEST(CfgFile, ShorterListRemovesTheSurplusInBothStores) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("lists.ini");
    TCIniFile ini(f.c_str(), "");
    shorterListRemovesSurplus(ini, [&](const char* k) {
        std::string v;
        return zrx::win::profileRead(f, "", k, v);
    });
    TCRegKey reg;
    ASSERT_TRUE(reg.openKey(HKEY_CURRENT_USER, "Software\\Zoren\\Lists", CFG_REG_CREATE));
    shorterListRemovesSurplus(reg, [&](const char* k) {
        return zrx::win::regQueryValue(reg.handle(), k, nullptr, nullptr) == ERROR_SUCCESS;
    });
}

TEST(CfgFile, IniStoreEdgeCases) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("edge.ini");
    zrxtest::writeFile(f,
                       "[S]\nletters=12abc\nmax=4294967295\nover=4294967296\nempty=\nblock=0102\n"
                       "bad=01020304\nlist_count=2\nlist_00=a\n");
    TCIniFile ini(f.c_str(), "S");
    struct Case {
        const char* key;
        bool ok;
        uint32_t value;
    } ints[] = {
        {"letters", false, 9}, {"max", true, 0xFFFFFFFFu}, {"over", false, 9}, {"empty", false, 9}, {"none", false, 9}};
    for (const Case& c : ints) {
        uint32_t v = 1;
        EXPECT_EQ(ini.readInt(c.key, v, 9), c.ok) << c.key;
        EXPECT_EQ(v, c.value) << c.key;
    }
    // A missing key with a default is a success; an empty text is not.
    char buf[8] = "xxxxxxx";
    EXPECT_TRUE(ini.readString("none", buf, sizeof buf, "dflt"));
    EXPECT_STREQ(buf, "dflt");
    EXPECT_FALSE(ini.readString("empty", buf, sizeof buf, "dflt"));
    EXPECT_FALSE(ini.readString("none", buf, sizeof buf, nullptr));
    // A text cut to the buffer never splits a character.
    ASSERT_TRUE(ini.writeString("ru", "жжжж"));
    EXPECT_TRUE(ini.readString("ru", buf, 6, nullptr));
    EXPECT_STREQ(buf, "жж");
    // Struct blocks: wrong size or checksum refused, the buffer left cleared.
    unsigned char b[4] = {9, 9, 9, 9};
    EXPECT_FALSE(ini.readBinary("block", b, 4));
    EXPECT_EQ(b[0], 0);
    ASSERT_TRUE(ini.writeBinary("good", "\x01\x02\x03", 3));
    EXPECT_FALSE(ini.readBinary("good", b, 4));
    EXPECT_TRUE(ini.readBinary("good", b, 3));
    EXPECT_FALSE(ini.readBinary("bad", b, 3));
    // A list whose items end early: false, with the items read so far.
    TCStringList l = listOf({"old1", "old2", "old3"});
    EXPECT_FALSE(ini.readStringList("list", &l));
    EXPECT_EQ(itemsOf(l), (std::vector<std::string>{"a"}));
    // An item that cannot be stored in a line is refused.
    TCStringList broken = listOf({"ok", "two\nlines"});
    EXPECT_FALSE(ini.writeStringList("broken", &broken));
    // Section names of any length.
    const std::string longSection(400, 'S');
    EXPECT_TRUE(ini.setName(longSection.c_str()));
    EXPECT_TRUE(ini.writeString("k", "v"));
    EXPECT_EQ(ini.getName().str(), longSection);
    EXPECT_TRUE(ini.exists());

    // No file name: everything but open, close and the name fails untouched.
    TCIniFile none("", "S");
    uint32_t v = 3;
    EXPECT_FALSE(none.readInt("max", v, 9));
    EXPECT_EQ(v, 3u);
    char untouched[4] = "abc";
    EXPECT_FALSE(none.readString("k", untouched, sizeof untouched, "def"));
    EXPECT_STREQ(untouched, "abc");
    EXPECT_FALSE(none.writeString("k", "v"));
    EXPECT_FALSE(none.exists());
    EXPECT_TRUE(none.open());
}

namespace {
std::string lastBox;
void captureBox(const char* text, const char* caption) { lastBox = std::string(caption) + ": " + text; }
}  // namespace

TEST(CfgFile, RegistryStoreEdgeCases) {
    TCRegKey reg;
    // Closed: reads and writes fail at once and leave the outputs alone.
    uint32_t v = 3;
    char buf[16] = "abc";
    EXPECT_FALSE(reg.readInt("x", v, 9));
    EXPECT_EQ(v, 3u);
    EXPECT_FALSE(reg.readString("x", buf, sizeof buf, "def"));
    EXPECT_STREQ(buf, "abc");
    EXPECT_FALSE(reg.writeString("x", "y"));

    // Read-only with create: never creates.
    EXPECT_FALSE(reg.openKey(HKEY_CURRENT_USER, "Software\\Zoren\\RoCreate", CFG_REG_READONLY | CFG_REG_CREATE));
    EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, "Software\\Zoren\\RoCreate"));
    EXPECT_FALSE(reg.isOpen());

    ASSERT_TRUE(reg.openKey(HKEY_CURRENT_USER, "Software\\Zoren\\Types", CFG_REG_CREATE));
    ASSERT_EQ(zrx::win::regSetValue(reg.handle(), "expand", REG_EXPAND_SZ, std::string("%X%\0", 4)), ERROR_SUCCESS);
    ASSERT_EQ(zrx::win::regSetValue(reg.handle(), "numtext", REG_SZ, std::string("12\0", 3)), ERROR_SUCCESS);
    ASSERT_TRUE(reg.writeString("long", "0123456789ABCDEF"));
    ASSERT_TRUE(reg.writeString("empty", ""));
    // Another type counts as missing; so does a text longer than the buffer.
    EXPECT_FALSE(reg.readString("expand", buf, sizeof buf, "def"));
    EXPECT_STREQ(buf, "def");
    EXPECT_FALSE(reg.readInt("numtext", v, 9));
    EXPECT_EQ(v, 9u);
    EXPECT_FALSE(reg.readString("long", buf, sizeof buf, "d2"));
    EXPECT_STREQ(buf, "d2");
    TCString whole;
    EXPECT_TRUE(reg.readString("long", whole));
    EXPECT_EQ(whole.str(), "0123456789ABCDEF");
    EXPECT_TRUE(reg.readString("empty", buf, sizeof buf, "d3"));
    EXPECT_STREQ(buf, "");
    unsigned char small[2];
    ASSERT_TRUE(reg.writeBinary("bin", "\x01\x02\x03", 3));
    EXPECT_FALSE(reg.readBinary("bin", small, 2));

    // setName reopens under the same root with the same flags.
    EXPECT_TRUE(reg.setName("Software\\Zoren\\Other"));
    EXPECT_TRUE(regKeyExists(HKEY_CURRENT_USER, "Software\\Zoren\\Other"));
    reg.close();
    EXPECT_FALSE(reg.isOpen());

    // A key that cannot be created is reported in the error box.
    auto old = setCfgErrorBoxFunc(captureBox);
    const std::string tooLong = "Software\\" + std::string(300, 'k');
    EXPECT_FALSE(reg.openKey(HKEY_CURRENT_USER, tooLong.c_str(), CFG_REG_CREATE));
    EXPECT_EQ(lastBox, "Error: The parameter is incorrect.");
    lastBox.clear();
    EXPECT_FALSE(reg.openKey(HKEY_CURRENT_USER, tooLong.c_str(), 0));  // a plain open fails silently
    EXPECT_EQ(lastBox, "");
    setCfgErrorBoxFunc(old);

    // The default box is the system's, with the caption "Error" and the error icon.
    EnsureApplication();
    std::vector<std::string> boxes;
    TModalHook oldHook = SetModalHook([&](TObject* w) {
        if (auto* b = dynamic_cast<TSysMessageBox*>(w))
            boxes.push_back(b->Caption + "|" + b->Text + "|" + std::to_string(b->Style));
        return IDOK;
    });
    EXPECT_FALSE(reg.openKey(HKEY_CURRENT_USER, tooLong.c_str(), CFG_REG_CREATE));
    SetModalHook(oldHook);
    EXPECT_EQ(boxes, std::vector<std::string>{"Error|The parameter is incorrect.|16"});
}

TEST(CfgFile, DottedRegistryPaths) {
    EXPECT_TRUE(writeRegPathString("Software\\Zoren\\ZrX509.v1.GUIStyle", "Light Sky Blue"));
    EXPECT_TRUE(regKeyExists(HKEY_CURRENT_USER, "Software\\Zoren\\ZrX509.v1"));
    char buf[257];
    EXPECT_TRUE(readRegPathString("software\\zoren\\zrx509.V1.guistyle", buf, sizeof buf, "def"));
    EXPECT_STREQ(buf, "Light Sky Blue");
    TCString text;
    EXPECT_TRUE(readRegPathString("Software\\Zoren\\ZrX509.v1.GUIStyle", text, nullptr, HKEY_CURRENT_USER));
    EXPECT_EQ(text.str(), "Light Sky Blue");
    // A missing value in an existing key gives the default; a missing key leaves the buffer.
    EXPECT_FALSE(readRegPathString("Software\\Zoren\\ZrX509.v1.None", buf, sizeof buf, "def"));
    EXPECT_STREQ(buf, "def");
    std::strcpy(buf, "keep");
    EXPECT_FALSE(readRegPathString("Software\\Nowhere.Value", buf, sizeof buf, "def"));
    EXPECT_STREQ(buf, "keep");
    // The last '.' first or last, or no '.': fails without touching the registry.
    for (const char* bad : {".GUIStyle", "Software\\Zoren\\Bad.", "Software\\Zoren\\NoDot"}) {
        TCString name = "unchanged";
        HKEY key = 0;
        EXPECT_FALSE(openRegPathKey(0, bad, name, &key, CFG_REG_CREATE)) << bad;
        EXPECT_EQ(key, 0u);
        EXPECT_FALSE(writeRegPathString(bad, "x")) << bad;
    }
    EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, "Software\\Zoren\\Bad"));
    EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, "Software\\Zoren\\NoDot"));
}

TEST(CfgFile, StoresWorkThroughTheBaseClass) {
    zrxtest::TempDir dir;
    std::unique_ptr<TCBaseCFGFile> stores[] = {
        std::make_unique<TCIniFile>(dir.file("base.ini").c_str(), "Sec"),
        std::make_unique<TCRegKey>(),
    };
    static_cast<TCRegKey*>(stores[1].get())->openKey(HKEY_CURRENT_USER, "Software\\Zoren\\Base", CFG_REG_CREATE);
    for (auto& s : stores) {
        EXPECT_TRUE(s->open());
        EXPECT_TRUE(s->writeString("k", "v"));
        EXPECT_TRUE(s->exists());
        s->close();
    }
    // The base itself answers as an empty store.
    TCBaseCFGFile base;
    uint32_t v = 1;
    EXPECT_FALSE(base.readInt("k", v, 2));
    EXPECT_FALSE(base.open());
    EXPECT_TRUE(base.setName("x"));
    EXPECT_TRUE(base.getName().isEmpty());
    TCStringList l;
    EXPECT_FALSE(base.readStringList("l", &l));
}
