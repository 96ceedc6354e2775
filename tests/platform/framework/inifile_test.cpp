#include "platform/framework/TIniFile.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

TEST(TIniFile, TypedValuesSectionsAndErrors) {
    zrxtest::TempDir dir;
    zrxtest::writeFile(dir.file("a.ini"),
                       "[Main]\ndec = 42\nhex=0x1F\ndollar=$ff\nneg=-5\nbad=12abc\nhuge=99999999999\n"
                       "empty=\nflag=1\n[Другая]\nk=v\n");
    TIniFile ini(dir.file("a.ini"));
    struct Case {
        const char* key;
        int32_t expected;
    } ints[] = {{"dec", 42}, {"HEX", 31},  {"dollar", 255}, {"neg", -5},
                {"bad", -1}, {"huge", -1}, {"empty", -1},   {"missing", -1}};
    for (const Case& c : ints) EXPECT_EQ(ini.ReadInteger("main", c.key, -1), c.expected) << c.key;
    EXPECT_TRUE(ini.ReadBool("Main", "flag", false));
    EXPECT_TRUE(ini.ReadBool("Main", "missing", true));
    EXPECT_EQ(ini.ReadString("ДРУГАЯ", "K", "d"), "v");
    EXPECT_EQ(ini.ReadString("Main", "missing", "d"), "d");
    EXPECT_EQ(ini.ReadString("Main", "empty", "d"), "");
    EXPECT_TRUE(ini.ValueExists("main", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("main", "missing"));
    EXPECT_TRUE(ini.SectionExists("другая"));
    EXPECT_FALSE(ini.SectionExists("none"));

    std::vector<std::string> v;
    ini.ReadSections(v);
    EXPECT_EQ(v, (std::vector<std::string>{"Main", "Другая"}));
    ini.ReadSectionValues("Другая", v);
    EXPECT_EQ(v, (std::vector<std::string>{"k=v"}));

    ini.WriteInteger("Main", "dec", -12);
    ini.WriteBool("New", "on", false);
    EXPECT_EQ(ini.ReadInteger("Main", "dec", 0), -12);
    EXPECT_FALSE(ini.ReadBool("new", "ON", true));
    ini.DeleteKey("Main", "hex");
    EXPECT_FALSE(ini.ValueExists("Main", "hex"));
    ini.EraseSection("Другая");
    EXPECT_FALSE(ini.SectionExists("Другая"));

    // A file that cannot be written raises.
    zrxtest::writeFile(dir.file("plain"), "x");
    TIniFile bad(dir.file("plain") + "/sub.ini");
    EXPECT_THROW(bad.WriteString("S", "k", "v"), EIniFileException);
    EXPECT_EQ(bad.ReadString("S", "k", "def"), "def");
}
