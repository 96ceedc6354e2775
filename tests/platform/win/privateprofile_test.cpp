#include "platform/win/PrivateProfile.h"
#include "platform/win/WinError.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

using namespace zrx::win;

namespace {

const char* const kHandWritten =
    "; settings written by hand\r\n"
    "top = above all headers\r\n"
    "\r\n"
    "[ Main ]\r\n"
    "  Name   =   \"  quoted value  \"  \r\n"
    "Single='x'\r\n"
    "Mixed=\"a'\r\n"
    "# another comment\r\n"
    "Empty=\r\n"
    "Ключ=Значение\r\n"
    "Bare line\r\n"
    "\r\n"
    "[]\r\n"
    "inEmpty=1\r\n"
    "[Последняя]\r\n"
    "last=value";

}  // namespace

TEST(PrivateProfile, ReadsAHandWrittenFileThenUpdatesItKeepingItsOtherLines) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("hand.ini");
    zrxtest::writeFile(f, kHandWritten);

    struct Case {
        const char* section;
        const char* key;
        bool found;
        const char* value;
    } cases[] = {
        {"main", "NAME", true, "  quoted value  "},
        {"MAIN", "single", true, "x"},
        {"Main", "mixed", true, "\"a'"},
        {"Main", "empty", true, ""},
        {"Main", "КЛЮЧ", true, "Значение"},
        {"Main", "Bare line", true, ""},
        {"Main", "missing", false, ""},
        {"", "TOP", true, "above all headers"},  // keys above the first header form the empty section
        {"", "inEmpty", false, ""},              // the first section of a name wins
        {"ПОСЛЕДНЯЯ", "Last", true, "value"},
        {"Nowhere", "last", false, ""},
    };
    for (const Case& c : cases) {
        std::string v = "unchanged";
        EXPECT_EQ(profileRead(f, c.section, c.key, v), c.found) << c.section << "/" << c.key;
        if (c.found) {
            EXPECT_EQ(v, c.value) << c.section << "/" << c.key;
        }
    }
    EXPECT_TRUE(profileSectionHasKeys(f, "MAIN"));
    EXPECT_TRUE(profileSectionHasKeys(f, ""));
    EXPECT_FALSE(profileSectionHasKeys(f, "none"));
    EXPECT_EQ(profileSectionNames(f), (std::vector<std::string>{"", "Main", "Последняя"}));

    ASSERT_TRUE(profileWrite(f, "MAIN", "name", "new"));
    ASSERT_TRUE(profileWrite(f, "main", "Added", "2"));
    ASSERT_TRUE(profileWrite(f, "ПОСЛЕДНЯЯ", "more", "3"));
    ASSERT_TRUE(profileWrite(f, "New Section", "k", "v"));
    ASSERT_TRUE(profileDeleteKey(f, "main", "SINGLE"));
    ASSERT_TRUE(profileWrite(f, "", "top", "changed"));
    EXPECT_EQ(zrxtest::readFile(f),
              "; settings written by hand\r\n"
              "top=changed\r\n"
              "\r\n"
              "[ Main ]\r\n"
              "Name=new\r\n"
              "Mixed=\"a'\r\n"
              "# another comment\r\n"
              "Empty=\r\n"
              "Ключ=Значение\r\n"
              "Bare line\r\n"
              "Added=2\r\n"
              "\r\n"
              "[]\r\n"
              "inEmpty=1\r\n"
              "[Последняя]\r\n"
              "last=value\r\n"
              "more=3\r\n"
              "\r\n"
              "[New Section]\r\n"
              "k=v\r\n");
    ASSERT_TRUE(profileDeleteSection(f, "main"));
    EXPECT_FALSE(profileSectionExists(f, "Main"));
    EXPECT_TRUE(profileSectionExists(f, "последняя"));
}

TEST(PrivateProfile, EmptySectionNameAndMissingFileAndFolder) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("new/folder/app.ini");
    std::string v;
    EXPECT_FALSE(profileRead(f, "", "flags", v));
    EXPECT_FALSE(profileSectionHasKeys(f, ""));
    EXPECT_TRUE(profileDeleteKey(f, "", "flags"));  // nothing to delete; the file stays missing
    EXPECT_FALSE(std::filesystem::exists(f));
    ASSERT_TRUE(profileWrite(f, "", "flags", "128"));
    ASSERT_TRUE(profileWrite(f, "Other", "a", ""));
    ASSERT_TRUE(profileWrite(f, "", "HSM", "host"));
    EXPECT_EQ(zrxtest::readFile(f), "[]\nflags=128\nHSM=host\n\n[Other]\na=\n");
    EXPECT_TRUE(profileRead(f, "", "hsm", v));
    EXPECT_EQ(v, "host");
    EXPECT_TRUE(profileSectionHasKeys(f, ""));
    // An empty value is a key that exists.
    v = "x";
    EXPECT_TRUE(profileRead(f, "other", "A", v));
    EXPECT_EQ(v, "");
}

TEST(PrivateProfile, RefusesNamesAndValuesThatWouldBreakTheFile) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("safe.ini");
    ASSERT_TRUE(profileWrite(f, "S", "k", "v"));
    const std::string before = zrxtest::readFile(f);
    EXPECT_FALSE(profileWrite(f, "S", "k", "v\n[Injected]\nx=1"));
    EXPECT_FALSE(profileWrite(f, "S", "a=b", "v"));
    EXPECT_FALSE(profileWrite(f, "S", "", "v"));
    EXPECT_FALSE(profileWrite(f, "S", ";k", "v"));
    EXPECT_FALSE(profileWrite(f, "S]x", "k", "v"));
    EXPECT_FALSE(profileWrite(f, "S\r", "k", "v"));
    EXPECT_FALSE(profileWrite("", "S", "k", "v"));
    EXPECT_EQ(zrxtest::readFile(f), before);
    // Values that reading would trim or unquote are written so that they come back unchanged.
    for (const char* value : {" lead", "trail\t", "\"q\"", "'s'", "\"", "'a\"", "", "  "}) {
        ASSERT_TRUE(profileWrite(f, "Q", "v", value));
        std::string back = "x";
        ASSERT_TRUE(profileRead(f, "Q", "v", back));
        EXPECT_EQ(back, value);
    }
    ASSERT_TRUE(profileWrite(f, "Q", "v", " x "));
    EXPECT_NE(zrxtest::readFile(f).find("v=\" x \"\n"), std::string::npos);
    // Long values of any length are kept whole.
    const std::string big(100000, 'z');
    ASSERT_TRUE(profileWrite(f, "S", "big", big));
    std::string v;
    ASSERT_TRUE(profileRead(f, "s", "BIG", v));
    EXPECT_EQ(v, big);
}

// Several keys go in with one replacement of the file, all or none: one
// change that cannot be stored leaves the whole file as it was.
TEST(PrivateProfile, SeveralKeysAreWrittenTogetherOrNotAtAll) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("batch.ini");
    ASSERT_TRUE(profileWrite(f, "Config", "Address", "old"));
    ASSERT_TRUE(profileWrite(f, "Config", "Gone", "x"));
    const std::string before = zrxtest::readFile(f);
    const std::vector<ProfileKeyChange> refused[] = {
        {{"Address", "new"}, {"Password", std::string("p\nAddress=evil")}},
        {{"Address", "new"}, {"a=b", std::string("v")}},
        {{"Address", "new"}, {"", std::string("v")}},
        {{"Address", "new"}, {"[Other]", std::nullopt}},
    };
    for (const auto& changes : refused) {
        EXPECT_FALSE(profileWriteKeys(f, "Config", changes));
        EXPECT_EQ(zrxtest::readFile(f), before);
    }
    EXPECT_FALSE(profileWriteKeys(f, "Con]fig", {{"Address", "new"}}));
    EXPECT_EQ(zrxtest::readFile(f), before);

    ASSERT_TRUE(profileWriteKeys(f, "config",
                                 {{"ADDRESS", "new"}, {"Password", " spaced "}, {"Gone", std::nullopt}, {"Last", ""}}));
    const auto values = profileSectionValues(f, "Config");
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0], (std::pair<std::string, std::string>{"Address", "new"}));
    EXPECT_EQ(values[1], (std::pair<std::string, std::string>{"Password", " spaced "}));
    EXPECT_EQ(values[2], (std::pair<std::string, std::string>{"Last", ""}));
    // Into a section that is not there yet: one header, every key under it.
    ASSERT_TRUE(profileWriteKeys(f, "Новая", {{"a", "1"}, {"b", "2"}}));
    EXPECT_EQ(profileSectionValues(f, "Новая").size(), 2u);
    EXPECT_EQ(profileSectionNames(f), (std::vector<std::string>{"Config", "Новая"}));
}

TEST(PrivateProfile, StructBlocksNeedTheirSizeAndChecksum) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("struct.ini");
    const unsigned char data[5] = {0x00, 0x7F, 0x80, 0xFF, 0x10};
    ASSERT_TRUE(WritePrivateProfileStructA("Config", "blob", data, sizeof data, f.c_str()));
    std::string text;
    ASSERT_TRUE(profileRead(f, "Config", "blob", text));
    EXPECT_EQ(text, "007F80FF100E");  // sum 0x20E -> checksum 0E
    unsigned char back[5] = {};
    ASSERT_TRUE(GetPrivateProfileStructA("config", "BLOB", back, sizeof back, f.c_str()));
    EXPECT_EQ(std::memcmp(back, data, sizeof data), 0);

    struct Case {
        const char* stored;
        uint32_t size;
    } refused[] = {
        {"007F80FF100E", 4},  // wrong size
        {"007F80FF100E", 6},
        {"007F80FF100F", 5},  // wrong checksum
        {"007F80FF1G0E", 5},  // not hexadecimal
        {"", 5},
    };
    for (const Case& c : refused) {
        ASSERT_TRUE(profileWrite(f, "Config", "bad", c.stored));
        unsigned char buf[6] = {1, 1, 1, 1, 1, 1};
        EXPECT_FALSE(GetPrivateProfileStructA("Config", "bad", buf, c.size, f.c_str())) << c.stored << "/" << c.size;
        EXPECT_EQ(buf[0], 1) << "buffer untouched";
    }
    ASSERT_TRUE(profileWrite(f, "Config", "lower", "007f80ff100e"));
    EXPECT_TRUE(GetPrivateProfileStructA("Config", "lower", back, 5, f.c_str()));
    EXPECT_FALSE(GetPrivateProfileStructA("Config", "missing", back, 5, f.c_str()));
}

TEST(PrivateProfile, WindowsFunctionsBufferRules) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("win.ini");
    zrxtest::writeFile(f, "[A]\none=1\ntwo = 22 \n;c\n[B]\nn=-5\nbig=99999999999\nhex=0x10\n");
    char buf[64];
    EXPECT_EQ(GetPrivateProfileStringA("a", "TWO", "d", buf, sizeof buf, f.c_str()), 2u);
    EXPECT_STREQ(buf, "22");
    EXPECT_EQ(GetPrivateProfileStringA("a", "none", "def  ", buf, sizeof buf, f.c_str()), 3u);
    EXPECT_STREQ(buf, "def");
    EXPECT_EQ(GetPrivateProfileStringA("a", "none", nullptr, buf, sizeof buf, f.c_str()), 0u);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(GetPrivateProfileStringA("a", "two", "", buf, 2, f.c_str()), 1u);
    EXPECT_STREQ(buf, "2");
    // Key names and section names as double-terminated lists.
    EXPECT_EQ(GetPrivateProfileStringA("A", nullptr, "", buf, sizeof buf, f.c_str()), 8u);
    EXPECT_EQ(std::string(buf, 9), std::string("one\0two\0\0", 9));
    EXPECT_EQ(GetPrivateProfileStringA("A", nullptr, "", buf, 6, f.c_str()), 4u);
    EXPECT_EQ(std::string(buf, 6), std::string("one\0\0\0", 6));
    // A name that fills the buffer exactly leaves no room for the next one.
    char exact[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetPrivateProfileStringA("A", nullptr, "", exact, 5, f.c_str()), 3u);
    EXPECT_EQ(std::string(exact, 6), std::string("one\0\0x", 6));
    EXPECT_EQ(GetPrivateProfileStringA("none", nullptr, "", buf, sizeof buf, f.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buf, sizeof buf, f.c_str()), 4u);
    EXPECT_EQ(std::string(buf, 5), std::string("A\0B\0\0", 5));
    EXPECT_EQ(GetPrivateProfileSectionA("A", buf, sizeof buf, f.c_str()), 15u);
    EXPECT_EQ(std::string(buf, 16), std::string("one=1\0two = 22\0\0", 16));
    // Integers.
    EXPECT_EQ(GetPrivateProfileIntA("A", "two", 7, f.c_str()), 22u);
    EXPECT_EQ(GetPrivateProfileIntA("A", "none", 7, f.c_str()), 7u);
    EXPECT_EQ(GetPrivateProfileIntA("B", "n", 7, f.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileIntA("B", "big", 7, f.c_str()), 0xFFFFFFFFu);
    EXPECT_EQ(GetPrivateProfileIntA("B", "hex", 7, f.c_str()), 0u);
    // Writes: a null value deletes the key, a null key the section.
    EXPECT_TRUE(WritePrivateProfileStringA("A", "one", nullptr, f.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("B", nullptr, nullptr, f.c_str()));
    EXPECT_EQ(zrxtest::readFile(f), "[A]\ntwo = 22 \n;c\n");
}

namespace {
void crashBeforeRename(const std::string&, const std::string&) { _exit(42); }
}  // namespace

TEST(PrivateProfile, AWriteInterruptedBeforeItsRenameLeavesTheOldFile) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("atomic.ini");
    ASSERT_TRUE(profileWrite(f, "S", "k", "old"));
    const std::string before = zrxtest::readFile(f);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setProfileCommitHook(crashBeforeRename);
        profileWrite(f, "S", "k", "new value that never lands");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 42);
    EXPECT_EQ(zrxtest::readFile(f), before);
    // The lock died with the writer: the next write goes through.
    ASSERT_TRUE(profileWrite(f, "S", "k", "next"));
    std::string v;
    ASSERT_TRUE(profileRead(f, "S", "k", v));
    EXPECT_EQ(v, "next");
}

TEST(PrivateProfile, ConcurrentWritersKeepEveryKey) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("shared.ini");
    constexpr int kKeys = 40;
    pid_t children[3];
    for (int c = 0; c < 3; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            bool ok = true;
            for (int i = 0; i < kKeys; ++i)
                ok = profileWrite(f, "S" + std::to_string(c % 2), "k" + std::to_string(c) + "_" + std::to_string(i),
                                  "v") &&
                     ok;
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(profileSectionValues(f, "S0").size(), 2u * kKeys);
    EXPECT_EQ(profileSectionValues(f, "S1").size(), 1u * kKeys);
}

// A file the user may not write is refused with the access-denied code and
// left as it was, as the read-only attribute is.
TEST(PrivateProfile, ReadOnlyFileIsRefusedAndKept) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("locked.ini");
    zrxtest::writeFile(f, "[S]\nk=old\n");
    ASSERT_EQ(::chmod(f.c_str(), 0444), 0);
    EXPECT_EQ(WritePrivateProfileStringA("S", "k", "new", f.c_str()), 0);
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(WritePrivateProfileStringA("S", nullptr, nullptr, f.c_str()), 0);
    EXPECT_EQ(zrxtest::readFile(f), "[S]\nk=old\n");
    ASSERT_EQ(::chmod(f.c_str(), 0644), 0);
    EXPECT_EQ(WritePrivateProfileStringA("S", "k", "new", f.c_str()), 1);
    EXPECT_EQ(GetLastError(), 0u);
}

// Readers and writers of profiles take regular files only: a FIFO does not
// hang them, /dev/zero and oversized files do not exhaust memory.
TEST(PrivateProfile, NonRegularAndOversizedFilesAreRefusedWithoutHanging) {
    zrxtest::TempDir dir;
    const std::string fifo = dir.file("fifo.ini"), big = dir.file("big.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    zrxtest::writeFile(big, "[S]\nk=v\n" + std::string(5u << 20, ';'));
    for (const std::string& f : {fifo, std::string("/dev/zero"), big}) {
        SCOPED_TRACE(f);
        char buf[16] = "x";
        EXPECT_EQ(GetPrivateProfileStringA("S", "k", "def", buf, sizeof buf, f.c_str()), 3u);
        EXPECT_STREQ(buf, "def");
        EXPECT_TRUE(profileSectionNames(f).empty());
    }
    EXPECT_EQ(WritePrivateProfileStringA("S", "k", "v", fifo.c_str()), 0);
}

// A small buffer cuts a value between characters, never inside one.
TEST(PrivateProfile, SmallBuffersCutAtCharacterBoundaries) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("utf8.ini");
    zrxtest::writeFile(f, "[S]\nk=жжжж\nжжж=1\n");
    const struct {
        uint32_t size;
        uint32_t copied;
        const char* text;
    } cases[] = {{4, 2, "ж"}, {5, 4, "жж"}, {6, 4, "жж"}, {2, 0, ""}, {9, 8, "жжжж"}};
    for (const auto& c : cases) {
        char buf[16];
        std::memset(buf, 'x', sizeof buf);
        EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buf, c.size, f.c_str()), c.copied) << c.size;
        EXPECT_STREQ(buf, c.text) << c.size;
    }
    char names[8];
    std::memset(names, 'x', sizeof names);
    EXPECT_EQ(GetPrivateProfileStringA("S", nullptr, "", names, 6, f.c_str()), 4u);
    EXPECT_EQ(std::string(names, 6), std::string("k\0ж\0\0", 6));
}
