#include "platform/framework/TRegistry.h"
#include "platform/win/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Any list with Clear and Add takes names.
struct Lines {
    std::vector<std::string> items;
    void Clear() { items.clear(); }
    int Add(const std::string& s) {
        items.push_back(s);
        return static_cast<int>(items.size()) - 1;
    }
};

// Each case starts from an empty store of its own keys and leaves none.
struct TRegistryTest : ::testing::Test {
    static void clear() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Zoren"); }
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
};

}  // namespace

TEST_F(TRegistryTest, OpensKeysByAbsoluteAndRelativePaths) {
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey("Software\\Zoren\\App", false));
    ASSERT_TRUE(reg.OpenKey("Software\\Zoren\\App", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Zoren\\App");
    ASSERT_TRUE(reg.OpenKey("Окно", true));  // relative to the open key
    EXPECT_EQ(reg.CurrentPath(), "Software\\Zoren\\App\\Окно");
    reg.WriteString("hedt1", "a\r\nb\r\n");
    ASSERT_TRUE(reg.OpenKey("\\software\\ZOREN", false));  // from the root again
    EXPECT_EQ(reg.CurrentPath(), "software\\ZOREN");
    EXPECT_TRUE(reg.KeyExists("APP\\окно"));
    EXPECT_TRUE(reg.HasSubKeys());
    Lines keys;
    reg.GetKeyNames(&keys);
    EXPECT_EQ(keys.items, (std::vector<std::string>{"App"}));
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentKey(), 0u);
    EXPECT_EQ(reg.CurrentPath(), "");

    TRegistry ro;
    ASSERT_TRUE(ro.OpenKeyReadOnly("Software\\Zoren\\App\\ОКНО"));
    EXPECT_EQ(ro.ReadString("HEDT1"), "a\r\nb\r\n");
    EXPECT_THROW(ro.WriteString("x", "y"), ERegistryException);
    // The read-only open does not make later opens read-only.
    ASSERT_TRUE(ro.OpenKey("\\Software\\Zoren\\App", false));
    EXPECT_NO_THROW(ro.WriteString("x", "y"));
}

TEST_F(TRegistryTest, TypedReadsAndWrites) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Zoren\\Types", true));
    reg.WriteString("s", "текст");
    reg.WriteExpandString("e", "%HOME%");
    reg.WriteInteger("i", -7);
    reg.WriteBool("b", true);
    const unsigned char bin[3] = {1, 2, 3};
    reg.WriteBinaryData("bin", bin, 3);

    EXPECT_EQ(reg.ReadString("S"), "текст");
    EXPECT_EQ(reg.ReadString("e"), "%HOME%");
    EXPECT_EQ(reg.ReadInteger("I"), -7);
    EXPECT_TRUE(reg.ReadBool("b"));
    unsigned char back[3] = {};
    EXPECT_EQ(reg.ReadBinaryData("bin", back, 3), 3);
    EXPECT_EQ(back[2], 3);

    EXPECT_EQ(reg.GetDataType("s"), rdString);
    EXPECT_EQ(reg.GetDataType("e"), rdExpandString);
    EXPECT_EQ(reg.GetDataType("i"), rdInteger);
    EXPECT_EQ(reg.GetDataType("bin"), rdBinary);
    EXPECT_EQ(reg.GetDataSize("s"), 11);  // UTF-8 bytes and the terminator
    EXPECT_EQ(reg.GetDataSize("none"), -1);
    EXPECT_TRUE(reg.ValueExists("BIN"));
    EXPECT_FALSE(reg.ValueExists("none"));

    // Missing strings read empty; other missing values and wrong types raise.
    EXPECT_EQ(reg.ReadString("none"), "");
    EXPECT_THROW(reg.ReadString("i"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("none"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("s"), ERegistryException);
    EXPECT_THROW(reg.ReadBinaryData("bin", back, 2), ERegistryException);
    EXPECT_THROW(reg.ReadBinaryData("s", back, 3), ERegistryException);

    EXPECT_TRUE(reg.RenameValue("s", "Строка"));
    EXPECT_FALSE(reg.ValueExists("s"));
    EXPECT_EQ(reg.ReadString("строка"), "текст");
    EXPECT_TRUE(reg.DeleteValue("строка"));
    EXPECT_FALSE(reg.DeleteValue("строка"));
    std::vector<std::string> names;
    reg.GetValueNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"e", "i", "b", "bin"}));
    TRegKeyInfo info;
    ASSERT_TRUE(reg.GetKeyInfo(info));
    EXPECT_EQ(info.NumValues, 4);
    EXPECT_GT(info.FileTime, 0);
}

TEST_F(TRegistryTest, DeletesKeysWithTheirSubKeys) {
    TRegistry reg;
    ASSERT_TRUE(reg.CreateKey("Software\\Zoren\\Del\\A\\B"));
    ASSERT_TRUE(reg.OpenKey("Software\\Zoren", false));
    EXPECT_TRUE(reg.DeleteKey("Del"));
    EXPECT_FALSE(reg.KeyExists("Del"));
    EXPECT_FALSE(reg.DeleteKey("Del"));
    EXPECT_FALSE(reg.DeleteKey(""));  // never the open key itself
    EXPECT_TRUE(reg.KeyExists("\\Software\\Zoren"));
    reg.SetRootKey(HKEY_LOCAL_MACHINE);  // closes the key; another tree
    EXPECT_EQ(reg.CurrentKey(), 0u);
    EXPECT_FALSE(reg.KeyExists("Software\\Zoren"));
}
