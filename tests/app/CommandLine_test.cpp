#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/DailyLog.h"
#include "components/CCompStorage.h"
#include "locations/ContainerPrompt.h"

namespace {
std::string g_usage;
int g_shown = 0;
void captureUsage(const char* text) {
    g_usage = text;
    ++g_shown;
}

struct ParseResult {
    bool result;
    std::string ctx;
    bool noRestore;
    int dbg;
    int shown;
};

// Each run starts from the state at program start.
ParseResult parse(const std::vector<std::string>& args) {
    cmdLineCtxName.clear();
    debugSwitch = 0;
    g_shown = 0;
    setUsageShowFunc(&captureUsage);
    setCommandLineArgs(args);
    const bool r = parseCommandLine();
    return {r, cmdLineCtxName.str(), commandLineNoRestore(), debugSwitch, g_shown};
}
}  // namespace

TEST(CommandLine, SwitchTable) {
    struct Case {
        std::vector<std::string> args;
        bool result;
        std::string ctx;
        int dbg;
        int shown;
    };
    const Case cases[] = {
        {{}, true, "", 0, 0},
        {{"-dbg"}, true, "", 1, 0},
        {{"/DBG"}, true, "", 1, 0},
        {{"-?"}, false, "", 0, 1},
        {{"/h"}, false, "", 0, 1},
        {{"-HELP"}, false, "", 0, 1},
        {{"-helpme"}, true, "", 0, 0},
        {{"-unknown", "-x"}, true, "", 0, 0},
        {{"/x"}, true, "/x", 0, 0},  // an absolute path, not a switch
        {{"a.key", "/home/Пётр/Ключи.KEY"}, true, "/home/Пётр/Ключи.KEY", 0, 0},
        {{"-?", "-dbg"}, false, "", 0, 1},
        {{"first.key", "-dbg", "-?", "late.key"}, false, "first.key", 1, 1},
    };
    for (const auto& c : cases) {
        const ParseResult r = parse(c.args);
        std::string joined;
        for (const auto& a : c.args) joined += a + " ";
        EXPECT_EQ(r.result, c.result) << joined;
        EXPECT_EQ(r.ctx, c.ctx) << joined;
        EXPECT_EQ(r.dbg, c.dbg) << joined;
        EXPECT_EQ(r.shown, c.shown) << joined;
    }
}

TEST(CommandLine, NoRestoreVariants) {
    EXPECT_FALSE(parse({"-norestore"}).noRestore);  // longer word: ignored
    EXPECT_FALSE(cstRestoreDisabled());
    EXPECT_TRUE(parse({"/NOREST"}).noRestore);
    EXPECT_TRUE(cstRestoreDisabled());  // the stored states are not restored
}

// The usage names the program as it was started, whatever its file is called.
TEST(CommandLine, UsageText) {
    std::string started = "/opt/zoren/bin/zrx-keys", help = "-?";
    char* argv[] = {started.data(), help.data()};
    cmdLineCtxName.clear();
    g_shown = 0;
    setUsageShowFunc(&captureUsage);
    setCommandLineArgs(2, argv);
    EXPECT_EQ(commandLineProgramName(), "zrx-keys");
    EXPECT_FALSE(parseCommandLine());
    EXPECT_EQ(g_shown, 1);
    const std::string expected =
        "Командная строка:\n"
        "zrx-keys <имя контейнера личных ключей [-norest] [-?]  где:\n"
        "    имя контейнера личных ключей - полный путь к файлу или имя ностителя\n" +
        std::string(58, ' ') + "c контейнером  личных ключей;\n" +
        "    -norest - не восстанавливать сохраненные размеры и позицию\n" + std::string(14, ' ') +
        "окон и элементов управления в процессе работы программы;\n" +
        "    -?, или -h, или -help - вывод данного окна справки.";
    EXPECT_EQ(g_usage, expected);
    EXPECT_EQ(g_usage.substr(g_usage.find("c контейнером"), 1), "c");  // Latin c
}
