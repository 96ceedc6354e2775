#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/TCStringList.h"
#include "support/TempDir.h"

TEST(TCStringList, AddFindInsertRemove) {
    TCStringList l;
    EXPECT_EQ(l.add("Один", 1), 0);
    EXPECT_EQ(l.add("два", 2), 1);
    EXPECT_EQ(l.atInsert(0, "ноль"), 0);
    EXPECT_EQ(l.atInsert(99, "в конец"), 3);
    ASSERT_EQ(l.count(), 4);
    EXPECT_EQ(l.find("ДВА"), -1);
    EXPECT_EQ(l.find("ДВА", true), 2);
    EXPECT_EQ(l[2].object(), 2u);
    EXPECT_EQ(l.findObject(1), 1);
    l.remove(0);
    l.remove(17);  // out of range: nothing
    EXPECT_EQ(l.count(), 3);
    EXPECT_EQ(l.item(0), "Один");
    EXPECT_TRUE(l.item(42).isEmpty());  // out of range: empty, no crash
    EXPECT_EQ(l.at(42), nullptr);
    TCStringList copy(l);
    l.freeAll();
    EXPECT_EQ(copy.count(), 3);
    EXPECT_EQ(copy[1].object(), 2u);
}

TEST(TCStringList, SplitAndJoin) {
    struct Case {
        const char* text;
        char sep;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"", ';', {}},
        {"a", ';', {"a"}},
        {"a;;b", ';', {"a", "", "b"}},
        {"a;b;", ';', {"a", "b"}},
        {";", ';', {""}},
        {"l1\r\nl2\nl3\r\n", '\n', {"l1", "l2", "l3"}},
    };
    for (const auto& c : cases) {
        TCStringList l;
        l.assignText(c.text, c.sep);
        ASSERT_EQ(l.count(), static_cast<int>(c.items.size())) << c.text;
        for (size_t i = 0; i < c.items.size(); ++i) EXPECT_EQ(l[static_cast<int>(i)].str(), c.items[i]) << c.text;
    }
    TCStringList l;
    l.assignText("x,y,z", ',');
    EXPECT_EQ(l.text('|'), "x|y|z");
}

TEST(TCStringList, FileRoundTrip) {
    zrxtest::TempDir dir;
    TCStringList l;
    l.add("первая строка");
    l.add("");
    l.add("third");
    EXPECT_EQ(l.saveToFile(dir.file("a.txt").c_str()), 3);
    TCStringList r;
    ASSERT_TRUE(r.loadFromFile(dir.file("a.txt").c_str()));
    EXPECT_EQ(r.text('\n'), l.text('\n'));

    zrxtest::writeFile(dir.file("bom.txt"), "\xEF\xBB\xBFone\r\ntwo");
    ASSERT_TRUE(r.loadFromFile(dir.file("bom.txt").c_str()));
    EXPECT_EQ(r.text(','), "one,two");

    EXPECT_FALSE(r.loadFromFile(dir.file("missing.txt").c_str()));
    EXPECT_EQ(r.count(), 2);  // unchanged after a failed load
    EXPECT_EQ(l.saveToFile(dir.file("no/such/folder/x.txt").c_str()), 0);
}

TEST(TCStringList, SortedListKeepsCaseInsensitiveOrder) {
    TCSortedStringList s;
    for (const char* t : {"яблоко", "Банан", "apple", "Ананас", "banana", "ёж"}) s.add(t);
    EXPECT_EQ(s.text(','), "apple,banana,Ананас,Банан,яблоко,ёж");
    EXPECT_EQ(s.find("БАНАН"), 3);
    EXPECT_EQ(s.find("БАНАН", false), -1);
    EXPECT_EQ(s.find("Банан", false), 3);
    EXPECT_EQ(s.find("груша"), -1);
    s.allowDuplicates = false;
    const int n = s.count();
    s.add("APPLE");
    EXPECT_EQ(s.count(), n);
}

TEST(TCStringList, IniSectionsWithMalformedLines) {
    zrxtest::TempDir dir;
    const std::string path = dir.file("t.ini");
    zrxtest::writeFile(path,
                       "top=1\n"
                       "[Token.1]\n"
                       "; comment\n"
                       "# another\n"
                       "name = Токен А \n"
                       "slot=0x10\n"
                       "no equals sign here\n"
                       "=value without name\n"
                       "quoted=\"  spaced  \"\n"
                       "[broken\n"
                       "serial=123\n"
                       "  [ TOKEN.2 ]  \n"
                       "name=B\n"
                       "[empty]\n");
    TCSIniFile ini;
    ASSERT_TRUE(ini.loadFromFile(path.c_str()));
    TCRefStringList s;
    ASSERT_TRUE(ini.loadSection("token.1", s));
    EXPECT_EQ(s.count(), 4);
    EXPECT_EQ(s.getString("NAME"), "Токен А");
    EXPECT_EQ(s.getInt("slot", -1), 16);
    EXPECT_EQ(s.getString("quoted"), "  spaced  ");
    EXPECT_EQ(s.getInt("serial", -1), 123);  // "[broken" is no header
    EXPECT_EQ(s.getInt("absent", 77), 77);
    EXPECT_EQ(s.getString("absent", "def"), "def");

    ASSERT_TRUE(TCSIniFile::loadSection(path.c_str(), "Token.2", s));
    EXPECT_EQ(s.getString("name"), "B");
    EXPECT_TRUE(ini.loadSection("EMPTY", s));
    EXPECT_EQ(s.count(), 0);
    EXPECT_FALSE(ini.loadSection("missing", s));
    EXPECT_FALSE(TCSIniFile::loadSection(dir.file("none.ini").c_str(), "x", s));
    ASSERT_TRUE(ini.loadSection("", s));  // lines before the first header
    EXPECT_EQ(s.getInt("top"), 1);
}

TEST(TCStringList, RefListValues) {
    TCRefStringList r;
    r.setString("flag", "так");
    r.setString("n", "abc");
    r.setString("FLAG", "ні");
    EXPECT_EQ(r.count(), 2);
    EXPECT_FALSE(r.getBool("flag", true));
    EXPECT_EQ(r.getInt("n", 9), 9);
}

// Lists are read from regular files only: a FIFO does not hang the reader,
// /dev/zero and oversized files are refused instead of exhausting memory.
TEST(TCStringList, ReadsOnlyRegularFilesOfBoundedSize) {
    zrxtest::TempDir dir;
    const std::string fifo = dir.file("fifo.lst"), big = dir.file("big.lst");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    zrxtest::writeFile(big, std::string(kMaxReadBuffSize + 1, 'x'));
    for (const std::string& f : {fifo, std::string("/dev/zero"), big}) {
        TCStringList l;
        l.add("kept");
        EXPECT_FALSE(l.loadFromFile(f.c_str())) << f;
        EXPECT_EQ(l.count(), 1) << f;
        TCSIniFile ini(f.c_str());
        EXPECT_EQ(ini.count(), 0) << f;
    }
}
