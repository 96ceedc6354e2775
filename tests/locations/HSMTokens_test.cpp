#include "locations/HSMTokens.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "platform/p11/P11Storage.h"
#include "platform/p11/SoftHsmFixture.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/TimeUtils.h"
#include "support/TempDir.h"

namespace {

struct Record {
    uint32_t code;
    std::string text;
};
std::vector<Record> records;

int captureLog(uint32_t code, const char* text) {
    records.push_back({code, text ? text : ""});
    return 0;
}

int64_t fixedClock() { return 1700000000000LL; }

class HSMTokensTest : public ::testing::Test {
protected:
    void SetUp() override {
        records.clear();
        csSetKV_HLogOutFunc(captureLog);
    }
    void TearDown() override { csSetKV_HLogOutFunc(nullptr); }

    std::string file() const { return dir.file("caHSMTokens.ini"); }
    static std::string entry(int i, const std::string& nick, const std::string& extra = "") {
        return "[token." + std::to_string(i) + "]\nmedia=36\nnick=" + nick + "\nserial=S" + std::to_string(i) +
               "\ntokenName=SoftHSM_v2#S" + std::to_string(i) + "\nslot=" + std::to_string(10 + i) + "\nflags=0\n" +
               extra;
    }

    zrxtest::TempDir dir;
    TCHSMTokens list;
};

TEST_F(HSMTokensTest, MissingFileGivesAnEmptyListAndNoRecord) {
    EXPECT_TRUE(list.load(file().c_str(), true));
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(records.empty());
    EXPECT_TRUE(list.reload(true));
    TCHSMTokens fresh;
    EXPECT_FALSE(fresh.reload(true));
    EXPECT_FALSE(fresh.save(true));  // no path yet
}

TEST_F(HSMTokensTest, ReadsPresentSectionsAndSkipsBadEntries) {
    setTimeSource(fixedClock);
    const std::string nick64(64, 'n');
    const std::string owner65 = std::string(64, 'o') + "ж";  // 65 characters, 66 bytes
    zrxtest::writeFile(file(), "[hsm]\ncount=5\n" + entry(0, "Первый", "owner=Иванов\nmodifyDate=1234\n") +
                                   entry(2, "Третий", "owner=" + owner65 + "\n") + entry(3, nick64) +
                                   "[token.4]\nmedia=36\nnick=x\nserial=1\ntokenName=t\nslot=1\nflags=zz\n");
    ASSERT_TRUE(list.load(file().c_str(), true));
    setTimeSource(nullptr);
    ASSERT_EQ(list.count(), 2);
    const TCHSMTokenDescriptor* a = list.at(0);
    EXPECT_STREQ(a->nick, "Первый");
    EXPECT_STREQ(a->serial, "S0");
    EXPECT_STREQ(a->tokenName, "SoftHSM_v2#S0");
    EXPECT_EQ(a->slot, 10u);
    EXPECT_EQ(a->mediaType, 36);
    EXPECT_STREQ(a->ownerName, "Иванов");
    EXPECT_EQ(a->modifyDate, 1234);
    EXPECT_EQ(a->ownerList, &list);
    const TCHSMTokenDescriptor* b = list.at(1);
    EXPECT_STREQ(b->nick, "Третий");
    EXPECT_STREQ(b->ownerName, "");        // too long: read as empty
    EXPECT_EQ(b->modifyDate, 1700000000);  // no modifyDate: time of loading
    // Entries 3 (64-character nick) and 4 (flags not a number) were skipped
    // one by one; the missing section 1 is silent.
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].code, 0xC0800032u);
    EXPECT_NE(records[0].text.find("'nick'"), std::string::npos);
    EXPECT_NE(records[1].text.find("'flags'"), std::string::npos);
}

TEST_F(HSMTokensTest, HugeCountReadsOnlyThePresentSections) {
    zrxtest::writeFile(file(), "[hsm]\ncount=2147483647\n" + entry(5, "a") + entry(1, "b") + "[token.01]\nmedia=1\n");
    ASSERT_TRUE(list.load(file().c_str(), true));
    ASSERT_EQ(list.count(), 2);
    EXPECT_STREQ(list.at(0)->nick, "b");  // number order, as the count walks them
    EXPECT_STREQ(list.at(1)->nick, "a");
    EXPECT_TRUE(records.empty());
}

TEST_F(HSMTokensTest, TextLimitsCountCharacters) {
    // 63 Cyrillic letters (126 bytes) are a valid nick.
    std::string nick63;
    for (int i = 0; i < 63; ++i) nick63 += "ы";
    zrxtest::writeFile(file(), "[hsm]\ncount=1\n" + entry(0, nick63));
    ASSERT_TRUE(list.load(file().c_str(), true));
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(std::string(list.at(0)->nick), nick63);
    EXPECT_TRUE(records.empty());
}

TEST_F(HSMTokensTest, FileWithoutListSectionIsReported) {
    zrxtest::writeFile(file(), entry(0, "a"));
    EXPECT_FALSE(list.load(file().c_str(), true));
    EXPECT_EQ(list.count(), 0);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].code, 0xC0800002u);
    EXPECT_NE(records[0].text.find(file()), std::string::npos);
    records.clear();
    EXPECT_FALSE(list.load(file().c_str(), false));
    EXPECT_TRUE(records.empty());
}

TEST_F(HSMTokensTest, SaveWritesTheExactLinesAndRoundTripsFlags) {
    ASSERT_TRUE(list.load(file().c_str(), true));
    const struct {
        const char* nick;
        uint32_t flags;
        uint32_t slot;
    } cases[] = {{"Критичный", 0x1, 7}, {"Второй", 0x1A, 3000000000u}};
    for (const auto& c : cases) {
        TCHSMTokenDescriptor* d = list.addNew();
        EXPECT_EQ(d->ownerList, &list);
        d->mediaType = 36;
        ASSERT_EQ(d->setNick(c.nick), 0u);
        ASSERT_EQ(d->setSerial("c009ae44b7130992"), 0u);
        ASSERT_EQ(d->setTokenName("SoftHSM_v2#c009ae44b7130992"), 0u);
        d->slot = c.slot;
        d->flags = c.flags;
        d->modifyDate = 4102444800LL;  // after 2038
    }
    ASSERT_EQ(list.at(0)->setOwnerName("Петров = П."), 0u);
    ASSERT_TRUE(list.save(true));
    EXPECT_EQ(zrxtest::readFile(file()),
              "[hsm]\ncount=2\n"
              "[token.0]\nmedia=36\nnick=Критичный\nserial=c009ae44b7130992\ntokenName=SoftHSM_v2#c009ae44b7130992\n"
              "slot=7\nflags=1\nowner=Петров = П.\nmodifyDate=4102444800\n"
              "[token.1]\nmedia=36\nnick=Второй\nserial=c009ae44b7130992\ntokenName=SoftHSM_v2#c009ae44b7130992\n"
              "slot=3000000000\nflags=1A\nowner=\nmodifyDate=4102444800\n");

    TCHSMTokens back;
    ASSERT_TRUE(back.load(file().c_str(), true));
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.at(0)->flags, 1u);
    EXPECT_TRUE(back.at(0)->isCritical());
    EXPECT_EQ(back.at(1)->flags, 0x1Au);
    EXPECT_FALSE(back.at(1)->isCritical());
    EXPECT_EQ(back.at(1)->slot, 3000000000u);
    EXPECT_STREQ(back.at(0)->ownerName, "Петров = П.");
    EXPECT_EQ(back.at(0)->modifyDate, 4102444800LL);
    EXPECT_TRUE(records.empty());
}

TEST_F(HSMTokensTest, FindByNickIgnoresCase) {
    list.addNew()->setNick("Первый Токен");
    list.addNew()->setNick("Second");
    EXPECT_EQ(list.findByNick("ПЕРВЫЙ токен"), list.at(0));
    EXPECT_EQ(list.findByNick("second"), list.at(1));
    EXPECT_EQ(list.findByNick("Третий"), nullptr);
    EXPECT_EQ(list.findByNick(nullptr), nullptr);
}

TEST_F(HSMTokensTest, TextsThatWouldBreakTheFileAreRefused) {
    TCHSMTokenDescriptor d;
    ASSERT_EQ(d.setNick("good"), 0u);
    for (const char* bad : {"two\nlines", "cr\rhere", "[section]"}) {
        EXPECT_EQ(d.setNick(bad), KR_E_FORMAT) << bad;
        EXPECT_EQ(d.setSerial(bad), KR_E_FORMAT) << bad;
        EXPECT_EQ(d.setTokenName(bad), KR_E_FORMAT) << bad;
        EXPECT_EQ(d.setOwnerName(bad), KR_E_FORMAT) << bad;
    }
    EXPECT_STREQ(d.nick, "good");

    // A value placed into a field directly is still never written.
    ASSERT_TRUE(list.load(file().c_str(), true));
    list.addNew()->setNick("ok");
    ASSERT_TRUE(list.save(true));
    const std::string before = zrxtest::readFile(file());
    std::strcpy(list.addNew()->ownerName, "x\n[hsm]\ncount=0");
    EXPECT_FALSE(list.save(true));
    EXPECT_EQ(zrxtest::readFile(file()), before);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].code, 0xC0800003u);
}

TEST_F(HSMTokensTest, AssignCopiesBoundedFieldsButNeverTheSession) {
    TCHSMTokenDescriptor a, b;
    std::string longText(400, 'z');
    a.setTokenName(longText.c_str());  // cut to 127 characters
    EXPECT_EQ(std::strlen(a.tokenName), 127u);
    std::memset(a.nick, 'q', sizeof a.nick);  // no terminator at all
    a.flags = 0x1A;
    a.slot = 5;
    a.ownerList = &list;
    b.assign(a);
    EXPECT_EQ(std::strlen(b.nick), sizeof b.nick - 1);
    EXPECT_STREQ(b.tokenName, a.tokenName);
    EXPECT_EQ(b.flags, 0x1Au);
    EXPECT_EQ(b.slot, 5u);
    EXPECT_EQ(b.ownerList, nullptr);
    b.assignAll(a);
    EXPECT_EQ(b.ownerList, &list);
    EXPECT_EQ(b.session, nullptr);
}

TEST_F(HSMTokensTest, ShortWriteKeepsTheOldListAndIsLogged) {
    ASSERT_TRUE(list.load(file().c_str(), true));
    list.addNew()->setNick("old");
    ASSERT_TRUE(list.save(true));
    const std::string before = zrxtest::readFile(file());
    for (int i = 0; i < 20; ++i) list.addNew()->setNick(("entry" + std::to_string(i)).c_str());
    // The file-size limit makes the write of the longer list come up short.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{static_cast<rlim_t>(before.size() + 10), RLIM_INFINITY};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    EXPECT_FALSE(list.save(true));
    limit.rlim_cur = RLIM_INFINITY;
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(zrxtest::readFile(file()), before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].code, 0xC0800003u);
    EXPECT_NE(records[0].text.find(file()), std::string::npos);
    EXPECT_EQ(list.count(), 21);  // the change stays in memory
}

TEST_F(HSMTokensTest, GlobalListIsOne) { EXPECT_EQ(getHSMTokens(), &hsmTokens); }

TEST(HSMTokenSlot, FillFromARealSlot) {
    zrxtest::SoftHsm hsm;
    ASSERT_TRUE(hsm.initToken("Токен ЦСК", "12345678", "87654321"));
    TCP11ActiveToken storage;
    TCP11Slots* slots = storage.directory();
    ASSERT_NE(slots, nullptr);
    ASSERT_EQ(slots->count(), 1);
    TCP11Slot* s = slots->item(0);
    TCHSMTokenDescriptor d;
    ASSERT_EQ(d.fillFromSlot(s), 0u);
    EXPECT_EQ(d.slot, s->number());
    EXPECT_STREQ(d.nick, "Токен ЦСК");
    EXPECT_STREQ(d.serial, s->getSerial());
    EXPECT_EQ(std::strlen(d.serial), 16u);
    EXPECT_STREQ(d.tokenName, s->getTokenName());
    EXPECT_EQ(d.mediaType, 36);
    EXPECT_EQ(d.fillFromSlot(nullptr), KR_E_INVALIDARG);
    TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
}

}  // namespace
