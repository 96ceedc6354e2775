#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dialogs/LogGrabber.h"
#include "platform/runtime/Log.h"

namespace {

std::vector<std::string> g_daily;

int dailyLog(uint32_t, const char* text) {
    g_daily.push_back(text);
    return 1;
}

void installDaily() {
    g_daily.clear();
    csSetKV_HLogOutFunc(dailyLog);
}

}  // namespace

TEST(LogGrabber, CollectsCodesAndPassesRecordsOn) {
    installDaily();
    {
        TCLogGrabber g;
        EXPECT_EQ(currentLogGrabber(), &g);
        EXPECT_EQ(KV_HLogFmtText(0, "первая %d", 1), 1);
        KV_HLogFmtText(0x40800005u, "вторая");
        KV_HLogFmtText(0xC0800026u, "ошибка");
        ASSERT_EQ(g.lines().count(), 3);
        EXPECT_EQ(g.lines()[0].str(), "первая 1");
        EXPECT_EQ(g.lines()[2].object(), 0xC0800026u);
        EXPECT_EQ(g_daily.size(), 3u);
        g.start(false);  // already current: nothing happens
        EXPECT_EQ(g.lines().count(), 3);
    }
    EXPECT_EQ(currentLogGrabber(), nullptr);
    EXPECT_EQ(csGetHLogOutFunc(), dailyLog);
    KV_HLogFmtText(0, "после");
    EXPECT_EQ(g_daily.back(), "после");
}

TEST(LogGrabber, NestedGrabbersInAndOutOfOrder) {
    installDaily();
    auto outer = std::make_unique<TCLogGrabber>();
    KV_HLogFmtText(0, "a");
    auto inner = std::make_unique<TCLogGrabber>();
    KV_HLogFmtText(0, "b");
    // The inner operation's records belong to the outer one too.
    EXPECT_EQ(inner->lines().count(), 1);
    EXPECT_EQ(outer->lines().count(), 2);
    // Stopping the outer first keeps the inner current and the daily log fed.
    outer.reset();
    EXPECT_EQ(currentLogGrabber(), inner.get());
    KV_HLogFmtText(0, "c");
    EXPECT_EQ(inner->lines().count(), 2);
    inner.reset();
    EXPECT_EQ(csGetHLogOutFunc(), dailyLog);
    KV_HLogFmtText(0, "d");
    EXPECT_EQ(g_daily, (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(LogGrabber, AnySequenceOfStartsAndStopsKeepsTheDailyLogWhole) {
    std::mt19937 rnd(12345);
    for (int round = 0; round < 50; ++round) {
        installDaily();
        std::vector<std::unique_ptr<TCLogGrabber>> gs;
        for (int i = 0; i < 4; ++i) gs.push_back(std::make_unique<TCLogGrabber>());
        int written = 0;
        for (int step = 0; step < 30; ++step) {
            TCLogGrabber& g = *gs[rnd() % gs.size()];
            switch (rnd() % 3) {
            case 0: g.start(rnd() % 2); break;
            case 1: g.stop(rnd() % 2); break;
            default: break;
            }
            KV_HLogFmtText(0, "r%d", written++);
        }
        gs.clear();
        KV_HLogFmtText(0, "r%d", written++);
        EXPECT_EQ(static_cast<int>(g_daily.size()), written) << "round " << round;
        EXPECT_EQ(csGetHLogOutFunc(), dailyLog);
        EXPECT_EQ(currentLogGrabber(), nullptr);
    }
}

TEST(LogGrabber, WithoutAnOutputRecordsAreStillGrabbed) {
    csSetKV_HLogOutFunc(nullptr);
    TCLogGrabber g;
    EXPECT_EQ(KV_HLogFmtText(0xC0800001u, "x"), 0);
    EXPECT_EQ(g.lines().count(), 1);
    g.stop(false);
    EXPECT_EQ(csGetHLogOutFunc(), nullptr);
    EXPECT_EQ(g.lines().count(), 1);
}
