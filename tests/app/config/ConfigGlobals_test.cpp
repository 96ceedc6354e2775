#include <gtest/gtest.h>

#include "app/config/ConfigGlobals.h"

#include <cstdlib>
#include <string>

#include "app/config/CaConfig.h"
#include "app/config/ConfigBase.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/FileUtils.h"
#include "platform/x509api/ZrX509Api.h"
#include "support/TempDir.h"

namespace {

// The program settings pointed at a temporary folder; the current settings,
// the digest mapping and PUBLIC are given back at the end.
struct SettingsEnv {
    zrxtest::TempDir pub, program;
    TCCtxViewerConfig* savedCurrent = getViewerConfig();
    int savedMode = getMDMapMode();
    std::string savedPublic;
    bool hadPublic = false;
    TCCtxViewerConfig settings;

    SettingsEnv() {
        if (const char* p = std::getenv("PUBLIC")) hadPublic = true, savedPublic = p;
        setModuleFileName("ZrX509_ZERUvorido.exe");
        setModulePath(program.str().c_str());
        setenv("PUBLIC", pub.str().c_str(), 1);
        clearCFGMacros();
        setViewerConfig(&settings);
    }
    ~SettingsEnv() {
        setViewerConfig(savedCurrent);
        setMDMapMode(savedMode);
        if (hadPublic) setenv("PUBLIC", savedPublic.c_str(), 1);
        else unsetenv("PUBLIC");
        resetSNTPParams(getSNTPParams());
    }
    std::string ini() const { return pub.file("ZrX509_ZERUvorido.ini"); }
};

}  // namespace

TEST(ConfigGlobals, BuiltAtStartInOrderAndTheProgramSettingsAreCurrent) {
    initConfigGlobals();
    EXPECT_EQ(getViewerConfig(), &viewerConfig);
    // The authority's configuration keeps its defaults: nothing loads it.
    EXPECT_EQ(getCaConfig().ldapAddress.str(), "127.0.0.1");
}

TEST(ConfigGlobals, SettingsChooseTheDigestMappingOnlyWhenReadOrWritten) {
    SettingsEnv env;
    setMDMapMode(2);
    // Nothing to read: false, the mapping stays.
    EXPECT_FALSE(loadViewerSettings());
    EXPECT_EQ(getMDMapMode(), 2);

    struct Case {
        uint32_t flags;
        int mode;
    } cases[] = {{0x400000, 2}, {0, 1}, {0x400000 | 0x10000, 2}, {0x80, 1}};
    for (const Case& c : cases) {
        zrxtest::writeFile(env.ini(), "flags=" + std::to_string(c.flags) + "\n");
        setMDMapMode(c.mode == 2 ? 1 : 2);
        ASSERT_TRUE(loadViewerSettings()) << c.flags;
        EXPECT_EQ(env.settings.flags.value(), c.flags);
        EXPECT_EQ(getMDMapMode(), c.mode) << c.flags;
    }

    env.settings.flags = 0x400000;
    setMDMapMode(1);
    ASSERT_TRUE(saveViewerSettings());
    EXPECT_EQ(getMDMapMode(), 2);
    TCCtxViewerConfig reread;
    ASSERT_TRUE(reread.load());
    EXPECT_TRUE(reread.flags.isSet(0x400000));
}

TEST(ConfigGlobals, ServiceFilesAddressOnlyWhenTheUpdateAtStartIsOn) {
    SettingsEnv env;
    env.settings.jcmpUrl = "http://ca.example/";
    env.settings.flags = 0;
    EXPECT_TRUE(getEnabledServiceFilesUrl().isEmpty());
    env.settings.flags = 0x100000;
    EXPECT_EQ(getEnabledServiceFilesUrl().str(), "http://ca.example/update/updates.sxml");
    // Switched on without an address: nothing to update from.
    env.settings.jcmpUrl = "";
    EXPECT_TRUE(getEnabledServiceFilesUrl().isEmpty());
    setViewerConfig(nullptr);
    EXPECT_TRUE(getEnabledServiceFilesUrl().isEmpty());
    EXPECT_FALSE(loadViewerSettings());
    EXPECT_FALSE(saveViewerSettings());
}
