#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/core/config/CfgMacros.h"

TEST(CfgMacros, DefineReadRemoveWithoutCase) {
    clearCFGMacros();
    EXPECT_TRUE(registerCFGMacro("XCFG", "/data/xcfg"));
    EXPECT_EQ(getCFGMacroValue("xcfg").str(), "/data/xcfg");
    EXPECT_EQ(getCFGMacroValue("$XCFG$").str(), "/data/xcfg");
    EXPECT_TRUE(getCFGMacroValue("NOPE").isEmpty());
    EXPECT_FALSE(registerCFGMacro("", "x"));
    // An empty value removes the macro.
    EXPECT_TRUE(registerCFGMacro("XCFG", ""));
    EXPECT_FALSE(isCFGMacroDefined("XCFG"));
}

TEST(CfgMacros, SubstitutionTable) {
    clearCFGMacros();
    setenv("ALLUSERSPROFILE", "/shared", 1);
    registerCFGMacro("APPL", "ZrX");
    registerCFGMacro("LOOP", "$LOOP$");
    const struct {
        const char* in;
        unsigned flags;
        const char* out;
        bool ok;
    } cases[] = {
        {"no macros", CFGM_BUILTIN, "no macros", true},
        {"$ALLUSERS$/zoren/$APPL$", CFGM_BUILTIN, "/shared/zoren/ZrX", true},
        {"$ALLUSERS$/x", 0, "$ALLUSERS$/x", false},
        {"$appl$", CFGM_BUILTIN, "ZrX", true},
        {"cost $$5", CFGM_BUILTIN, "cost $5", true},
        {"$UNKNOWN$ and $APPL$", CFGM_BUILTIN, "$UNKNOWN$ and ZrX", false},
        {"$1F mask $APPL$", CFGM_BUILTIN, "$1F mask ZrX", false},
        {"tail $", CFGM_BUILTIN, "tail $", true},
        {"$LOOP$", CFGM_BUILTIN, "$LOOP$", true},  // expanded once, no recursion
    };
    for (const auto& c : cases) {
        TCString t(c.in);
        EXPECT_EQ(substCFGMacroValues(t, c.flags), c.ok) << c.in;
        EXPECT_EQ(t.str(), c.out) << c.in;
    }
}

TEST(CfgMacros, AllUsersFallsBackToXdgData) {
    unsetenv("ALLUSERSPROFILE");
    setenv("XDG_DATA_HOME", "/xdg", 1);
    EXPECT_EQ(getCFGMacroValue("ALLUSERS").str(), "/xdg");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(getAllUsersFolder().str(), "/home/u/.local/share");
}

TEST(CfgMacros, NamedIntegers) {
    clearCFGMacros();
    EXPECT_EQ(getGlobalIntValue("HTTP_TIMEOUT"), 0);
    EXPECT_EQ(getGlobalIntValue("HTTP_TIMEOUT", 7), 7);
    registerGlobalIntValue("HTTP_TIMEOUT", 30);
    EXPECT_EQ(getGlobalIntValue("http_timeout"), 30);
    registerGlobalIntValue("big", int64_t(1) << 40);
    EXPECT_EQ(getGlobalIntValue("big"), int64_t(1) << 40);
    unregisterGlobalIntValue("HTTP_TIMEOUT");
    EXPECT_FALSE(isGlobalIntDefined("HTTP_TIMEOUT"));
}
