#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "support/TempDir.h"

namespace {
std::vector<std::pair<uint32_t, std::string>> g_first, g_second;
int first(uint32_t c, const char* t) {
    g_first.emplace_back(c, t);
    return 1;
}
int second(uint32_t c, const char* t) {
    g_second.emplace_back(c, t);
    return 2;
}

// A grabber: keeps the record and passes it to the output it replaced.
KV_HLogOutFunc g_prev = nullptr;
std::vector<std::string> g_grabbed;
int grabber(uint32_t c, const char* t) {
    g_grabbed.emplace_back(t);
    return g_prev ? g_prev(c, t) : 0;
}

std::vector<std::pair<int32_t, std::string>> g_events;
void eventOut(int32_t c, const char* t) { g_events.emplace_back(c, t); }
std::vector<std::string> g_dbg;
void display(const char* t) { g_dbg.emplace_back(t); }

// The log outputs are process-wide: every case starts and ends without any.
struct Log : ::testing::Test {
    static void clear() {
        csSetKV_HLogOutFunc(nullptr);
        csSetLogOutFunc(nullptr);
        csSetDisplayFunc(nullptr);
        csSetDbgOutMask(0);
        disableDebugLog();
        g_prev = nullptr;
        for (auto* v : {&g_first, &g_second}) v->clear();
        g_grabbed.clear();
        g_events.clear();
        g_dbg.clear();
    }
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
};
}  // namespace

TEST_F(Log, OutputChain) {
    EXPECT_EQ(KV_HLogFmtText(1, "dropped %d", 1), 0);  // no output yet
    EXPECT_EQ(csSetKV_HLogOutFunc(&first), nullptr);
    EXPECT_EQ(KV_HLogFmtText(0xC0800005u, "Ошибка %s: %d", "файла", 7), 1);
    ASSERT_EQ(g_first.size(), 1u);
    EXPECT_EQ(g_first[0].first, 0xC0800005u);
    EXPECT_EQ(g_first[0].second, "Ошибка файла: 7");

    g_prev = csSetKV_HLogOutFunc(&grabber);
    EXPECT_EQ(g_prev, &first);
    KV_HLogFmtText(0, "через перехватчик");
    EXPECT_EQ(g_grabbed.size(), 1u);
    EXPECT_EQ(g_first.back().second, "через перехватчик");
    EXPECT_EQ(csSetKV_HLogOutFunc(g_prev), &grabber);
    EXPECT_EQ(csGetHLogOutFunc(), &first);

    EXPECT_EQ(csSetKV_HLogOutFunc(&second), &first);
    const std::string big(50000, 'z');
    KV_HLogFmtText(0, "%s", big.c_str());
    EXPECT_EQ(g_second.back().second.size(), big.size());

    KV_HLogLibFmtText(0xC0800024u, "Загрузка %s", "x");
    EXPECT_EQ(g_second.back().second, "Загрузка x. Операция отменена пользователем");
    csSetKV_HLogOutFunc(nullptr);
}

TEST_F(Log, EventLogIsSeparate) {
    csSetKV_HLogOutFunc(&first);
    EXPECT_EQ(csSetLogOutFunc(&eventOut), nullptr);
    csLogFmtText(-1, "событие %d", 5);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].first, -1);
    EXPECT_EQ(g_events[0].second, "событие 5");
    EXPECT_TRUE(g_first.empty());
    EXPECT_EQ(csGetLogOutFunc(), &eventOut);
    csSetLogOutFunc(nullptr);
    csLogFmtText(0, "dropped");
    EXPECT_EQ(g_events.size(), 1u);
}

TEST_F(Log, DebugMaskDisplayAndFile) {
    zrxtest::TempDir dir;
    csSetDisplayFunc(&display);
    csSetDbgOutMask(0);
    csOutDbgText(DBG_DEVICES, "off");
    EXPECT_TRUE(g_dbg.empty());
    csSetDbgOutMask(0xB8014000u);
    csOutDbgText(0x20004000u, "**ZrX_GetDevicesList result: %d", 3);
    csOutDbgText(0x00000001u, "not in the mask");
    ASSERT_EQ(g_dbg.size(), 1u);
    EXPECT_EQ(g_dbg[0], "**ZrX_GetDevicesList result: 3");

    const std::string folder = dir.file("dbg/sub");
    ASSERT_TRUE(enableDebugLog(folder.c_str()));
    EXPECT_TRUE(dirExists(folder.c_str()));
    csOutDbgText(DBG_FILES, "line\nwith break");
    std::string data;
    ASSERT_EQ(readBuff(getDebugLogFile().c_str(), data), 0);
    EXPECT_NE(data.find("line with break"), std::string::npos);
    EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 1);
    disableDebugLog();
    EXPECT_TRUE(getDebugLogFile().isEmpty());

    EXPECT_FALSE(getDbgMaskDesctiptors().empty());
    EXPECT_NE(getDBGLogDir().pos("zoren"), -1);
    csSetDisplayFunc(nullptr);
}
