#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DailyLog.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/TimeUtils.h"
#include "support/TempDir.h"

namespace {
int64_t g_nowMs = 0;
int64_t fakeClock() { return g_nowMs; }

// A clock at a local wall time.
void setNow(int year, int month, int day, int hour, int minute, int second) {
    TCDateTime d;
    d.year = year;
    d.month = month;
    d.day = day;
    d.hour = hour;
    d.minute = minute;
    d.second = second;
    g_nowMs = fromLocalTime(d) * 1000;
}

std::vector<std::string> lines(const std::string& path) {
    std::vector<std::string> r;
    const std::string data = zrxtest::readFile(path);
    size_t b = 0;
    for (size_t e; (e = data.find('\n', b)) != std::string::npos; b = e + 1) r.push_back(data.substr(b, e - b));
    if (b < data.size()) r.push_back(data.substr(b));
    return r;
}

class DailyLog : public ::testing::Test {
protected:
    void SetUp() override {
        resetDailyLog();
        setTimeSource(&fakeClock);
        setNow(2026, 12, 10, 23, 59, 58);
        logDir = dir.file("logs");
        makeDirectory(logDir.c_str());
    }
    void TearDown() override {
        resetDailyLog();
        setTimeSource(nullptr);
    }
    zrxtest::TempDir dir;
};

std::vector<std::string> g_grabbed;
KV_HLogOutFunc g_prev = nullptr;
int grabber(uint32_t code, const char* text) {
    g_grabbed.emplace_back(text);
    return g_prev ? g_prev(code, text) : 0;
}
}  // namespace

TEST_F(DailyLog, LineFormatAndFileName) {
    ASSERT_EQ(openLogFile(), 0);
    EXPECT_EQ(csGetHLogOutFunc(), &writeLogLine);
    EXPECT_EQ(currentLogFileName(), makePathName(logDir.c_str(), "log20261210.crt"));
    KV_HLogFmtText(0, "Запуск %s", "программы");
    KV_HLogFmtText(0xC0800005u, "Ошибка");
    KV_HLogFmtText(0x4090000Eu, "строка 1\r\nстрока 2\rстрока 3\nконец");
    const auto l = lines(currentLogFileName().str());
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], "2026-12-10 23:59:58.000 | 0x00000000 | Запуск программы");
    EXPECT_EQ(l[1], "2026-12-10 23:59:58.000 | 0xC0800005 | Ошибка");
    EXPECT_EQ(l[2], "2026-12-10 23:59:58.000 | 0x4090000E | строка 1 строка 2 строка 3 конец");
}

TEST_F(DailyLog, RolloverAtMidnight) {
    debugSwitch = 1;
    ASSERT_EQ(openLogFile(), 0);
    const TCString first = currentLogFileName();
    KV_HLogFmtText(0, "до полуночи");
    KV_HLogFmtText(0, "ещё до полуночи");
    EXPECT_EQ(lines(first.str()).size(), 2u);

    // Debug settings are made again at the reopening.
    csSetDbgOutMask(0);
    disableDebugLog();
    g_nowMs += 2000;  // 00:00:00 of the next day
    KV_HLogFmtText(0, "после полуночи");
    const TCString second = currentLogFileName();
    EXPECT_EQ(second, makePathName(logDir.c_str(), "log20261211.crt"));
    EXPECT_EQ(lines(first.str()).size(), 2u);
    const auto l = lines(second.str());
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0], "2026-12-11 00:00:00.000 | 0x00000000 | после полуночи");
    EXPECT_EQ(csGetDbgOutMask(), 0xB8014000u);
    EXPECT_EQ(getDebugLogFile().pos(logDir.c_str()), 0);
}

TEST_F(DailyLog, AppendsToTheDaysFile) {
    ASSERT_EQ(openLogFile(), 0);
    KV_HLogFmtText(0, "один");
    closeLogFile();
    EXPECT_EQ(logFile, nullptr);
    KV_HLogFmtText(0, "два");  // reopens and appends
    EXPECT_EQ(lines(currentLogFileName().str()).size(), 2u);
}

TEST_F(DailyLog, FailedOpenKeepsGrabberChain) {
    logDir = dir.file("missing/folder");
    EXPECT_EQ(openLogFile(), -1);
    EXPECT_EQ(lastRunDay, 0);
    EXPECT_EQ(csGetHLogOutFunc(), &writeLogLine);

    g_prev = csSetKV_HLogOutFunc(&grabber);
    EXPECT_EQ(g_prev, &writeLogLine);
    KV_HLogFmtText(0, "первая");  // the daily log retries the open and drops the record
    KV_HLogFmtText(0, "вторая");
    // The grabber stays installed in front of the daily log.
    EXPECT_EQ(csGetHLogOutFunc(), &grabber);
    EXPECT_EQ(g_grabbed.size(), 2u);

    // Once the folder exists, the next record opens the file.
    makeDirectory(logDir.c_str());
    KV_HLogFmtText(0, "третья");
    EXPECT_NE(logFile, nullptr);
    EXPECT_NE(lastRunDay, 0);
    const auto l = lines(currentLogFileName().str());
    ASSERT_EQ(l.size(), 1u);
    EXPECT_NE(l[0].find("третья"), std::string::npos);
    csSetKV_HLogOutFunc(g_prev);
}
