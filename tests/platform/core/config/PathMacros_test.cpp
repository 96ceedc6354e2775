#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/core/config/PathMacros.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/FileUtils.h"

namespace {

void fresh(const char* module, const char* allUsers) {
    clearCFGMacros();
    setModuleFileName(module);
    setModulePath("/opt/zrx/bin");
    setenv("ALLUSERSPROFILE", allUsers, 1);
}

}  // namespace

TEST(PathMacros, ApplicationNamesFromModuleNames) {
    const struct {
        const char* module;
        const char* appl;
    } cases[] = {
        {"ZrX509_ZERUvorido.exe", "ZrX509_ZERUvorido"},
        {"zrx.tool.exe", "zrx.tool"},
        {"ZrX509_ZERUvorido", "ZrX509_ZERUvorido"},
    };
    for (const auto& c : cases) {
        fresh(c.module, "/shared");
        registerPathMacros(nullptr);
        EXPECT_EQ(getCFGMacroValue("APPL").str(), c.appl) << c.module;
        EXPECT_EQ(getCFGMacroValue("APPLFILENAME").str(), c.module);
        EXPECT_EQ(getCFGMacroValue("PROGRAMDIR").str(), "/opt/zrx/bin");
        const std::string data = std::string("/shared/zoren/") + c.appl;
        EXPECT_EQ(getCFGMacroValue("APPLDATA").str(), data);
        EXPECT_EQ(getCFGMacroValue("XCFG").str(), data + "/xcfg");
        EXPECT_EQ(getCFGMacroValue("PFT").str(), data + "/nctx");
        EXPECT_EQ(getCFGMacroValue("$UPDATES$").str(), data + "/updates");
    }
}

TEST(PathMacros, AllUsersFolderFollowsTheEnvironment) {
    fresh("ZrX509_ZERUvorido.exe", "");
    unsetenv("ALLUSERSPROFILE");
    setenv("XDG_DATA_HOME", "/home/u/.data", 1);
    registerPathMacros(nullptr);
    EXPECT_EQ(getCFGMacroValue("XCFG").str(), "/home/u/.data/zoren/ZrX509_ZERUvorido/xcfg");
}

TEST(PathMacros, RegistrationRules) {
    fresh("ZrX509_ZERUvorido.exe", "/shared");
    registerPathMacros(nullptr);
    // Without a name, a second call changes nothing even when the folders changed.
    setenv("ALLUSERSPROFILE", "/elsewhere", 1);
    registerPathMacros(nullptr);
    EXPECT_EQ(getCFGMacroValue("APPLDATA").str(), "/shared/zoren/ZrX509_ZERUvorido");
    // The same name in other capitals leaves the folders as they are.
    registerAppDataMacros("zrx509_zeruvorido");
    EXPECT_EQ(getCFGMacroValue("APPL").str(), "ZrX509_ZERUvorido");
    EXPECT_EQ(getCFGMacroValue("APPLDATA").str(), "/shared/zoren/ZrX509_ZERUvorido");
    // Another application name (the updater's) re-registers the folders.
    registerPathMacros("Updater");
    EXPECT_EQ(getCFGMacroValue("APPL").str(), "Updater");
    EXPECT_EQ(getCFGMacroValue("XCFG").str(), "/elsewhere/zoren/Updater/xcfg");
    // DATA follows the application's folder, unless the settings named one.
    EXPECT_EQ(getCFGMacroValue("DATA").str(), "/elsewhere/zoren/Updater");
    registerCFGMacro("DATA", "/srv/ca");
    registerAppDataMacros("Other");
    EXPECT_EQ(getCFGMacroValue("DATA").str(), "/srv/ca");
    registerCFGMacro("DATA", "");
}

TEST(PathMacros, ApplDataNameReplacesTheFolderOnly) {
    fresh("ZrX509_ZERUvorido.exe", "/shared");
    registerCFGMacro("APPLDATA_NAME", "Common");
    registerPathMacros(nullptr);
    EXPECT_EQ(getCFGMacroValue("APPL").str(), "ZrX509_ZERUvorido");
    EXPECT_EQ(getCFGMacroValue("APPLDATA").str(), "/shared/zoren/Common");
    EXPECT_EQ(getCFGMacroValue("XCFG").str(), "/shared/zoren/Common/xcfg");
}
