#include <gtest/gtest.h>

#include "app/config/CaConfig.h"

#include <cstring>
#include <memory>

#include "app/config/AppConfig.h"
#include "app/config/ConfigBase.h"
#include "components/CfgFile.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/FileUtils.h"
#include "support/TempDir.h"

namespace {

struct Env {
    zrxtest::TempDir pub, program;
    Env() {
        setModuleFileName("ZrX509_ZERUvorido.exe");
        setModulePath(program.str().c_str());
        setenv("PUBLIC", pub.str().c_str(), 1);
        clearCFGMacros();
        resetSNTPParams(getSNTPParams());
    }
    std::string ini() const { return pub.file("ZrX509_ZERUvorido.ini"); }
};

// A store whose writes fail from the n-th on.
class FailingStore : public TCBaseCFGFile {
public:
    explicit FailingStore(int okWrites) : left_(okWrites) {}
    bool writeInt(const char*, uint32_t) override { return left_-- > 0; }
    bool writeString(const char*, const char*) override { return left_-- > 0; }

private:
    int left_;
};

}  // namespace

TEST(ConfigBase, SettingsFileNamedAfterTheProgramInPublicFolder) {
    Env env;
    TCCtxViewerConfig cfg;
    EXPECT_EQ(cfg.fileName().str(), "ZrX509_ZERUvorido.ini");
    EXPECT_FALSE(cfg.exists());
    EXPECT_EQ(cfg.filePath().str(), env.ini());
    // A copy found only beside the program is copied there once, never over a newer one.
    zrxtest::writeFile(env.program.file("ZrX509_ZERUvorido.ini"), "flags=0\njCmp=http://beside\n");
    ASSERT_TRUE(cfg.load());
    EXPECT_EQ(cfg.jcmpUrl.str(), "http://beside");
    zrxtest::writeFile(env.ini(), "flags=0\njCmp=http://mine\n");
    ASSERT_TRUE(cfg.load());
    EXPECT_EQ(cfg.jcmpUrl.str(), "http://mine");
    // PUBLIC unset: ALLUSERSPROFILE; both unset: the XDG data folder, never
    // the program's own folder.
    unsetenv("PUBLIC");
    setenv("ALLUSERSPROFILE", env.pub.file("all").c_str(), 1);
    cfg.prepareDataFolder();
    EXPECT_EQ(cfg.dataFolderText().str(), env.pub.file("all"));
    unsetenv("ALLUSERSPROFILE");
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string oldXdg = xdg ? xdg : "";
    setenv("XDG_DATA_HOME", env.pub.file("xdg").c_str(), 1);
    cfg.prepareDataFolder();
    EXPECT_EQ(cfg.dataFolderText().str(), env.pub.file("xdg"));
    EXPECT_EQ(cfg.dataFolder().str(), env.pub.file("xdg") + "/Zoren/ZrX509_ZERUvorido");
    TZrxCaConfig ca;
    EXPECT_EQ(ca.localDataFolder().str(), env.pub.file("xdg") + "/Zoren/ZrX509_ZERUvorido");
    if (xdg) setenv("XDG_DATA_HOME", oldXdg.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
}

TEST(ConfigBase, WriteReadRoundTripAndPublishedValues) {
    Env env;
    TCCtxViewerConfig cfg;
    cfg.flags = VCF_USE_JCMP;
    cfg.autolockTime = 15;
    cfg.hsmAddress = "tcp://127.0.0.1:5657";
    cfg.jcmpUrl = "https://ca.example/";
    cfg.timeout = 45;
    TSNTPParams& sntp = getSNTPParams();
    std::strcpy(sntp.serverName, "pool.ntp.org");
    sntp.port = 1123;
    sntp.allowedDiff = 30;
    sntp.disabled = 1;
    ASSERT_TRUE(cfg.save());

    resetSNTPParams(sntp);
    clearCFGMacros();
    TCCtxViewerConfig other;
    ASSERT_TRUE(other.load());
    EXPECT_EQ(other.flags.value(), VCF_USE_JCMP | VCF_NO_TIME_CHECK);
    EXPECT_EQ(other.autolockTime, 15);
    EXPECT_EQ(other.hsmAddress.str(), "tcp://127.0.0.1:5657");
    EXPECT_EQ(other.jcmpUrl.str(), "https://ca.example/");
    EXPECT_EQ(other.timeout, 45);
    EXPECT_STREQ(sntp.serverName, "pool.ntp.org");
    EXPECT_EQ(sntp.port, 1123);
    EXPECT_EQ(sntp.allowedDiff, 30);
    EXPECT_EQ(sntp.disabled, 1);
    EXPECT_EQ(getCFGMacroValue("HSM_URI").str(), "tcp://127.0.0.1:5657");
    EXPECT_EQ(getGlobalIntValue("HTTP_TIMEOUT"), 45);
}

TEST(ConfigBase, DefaultsOfAFileWithoutValues) {
    Env env;
    zrxtest::writeFile(env.ini(), "; nothing here\n");
    registerCFGMacro("HSM_URI", "from-elsewhere");
    TCCtxViewerConfig cfg;
    ASSERT_TRUE(cfg.load());
    EXPECT_EQ(cfg.flags.value(), 128u);  // time check off
    EXPECT_EQ(getSNTPParams().disabled, 1);
    EXPECT_EQ(cfg.timeout, 1);
    EXPECT_EQ(getSNTPParams().port, 123);
    EXPECT_EQ(getSNTPParams().allowedDiff, 120);
    // An empty "HSM" leaves the macro as it was.
    EXPECT_EQ(getCFGMacroValue("HSM_URI").str(), "from-elsewhere");
}

TEST(ConfigBase, ClearingTheHsmAddressClearsTheMacro) {
    Env env;
    TCCtxViewerConfig cfg;
    cfg.hsmAddress = "tcp://hsm";
    ASSERT_TRUE(cfg.save());
    EXPECT_EQ(getCFGMacroValue("HSM_URI").str(), "tcp://hsm");
    cfg.hsmAddress.clear();
    ASSERT_TRUE(cfg.save());
    EXPECT_TRUE(getCFGMacroValue("HSM_URI").isEmpty());
    ASSERT_TRUE(cfg.load());
    EXPECT_TRUE(getCFGMacroValue("HSM_URI").isEmpty());
}

TEST(ConfigBase, ASaveFailingInAnyStepAnswersFalse) {
    Env env;
    TCCtxViewerConfig cfg;
    for (int ok = 0; ok < 8; ++ok) {
        FailingStore store(ok);
        EXPECT_FALSE(cfg.writeSettings(store)) << ok << " writes succeed";
    }
    FailingStore enough(8);
    EXPECT_TRUE(cfg.writeSettings(enough));
    // A file that cannot be written: its folder would have to be made inside a file.
    zrxtest::writeFile(env.pub.file("plain"), "x");
    setenv("PUBLIC", env.pub.file("plain/sub").c_str(), 1);
    EXPECT_FALSE(cfg.save());
}

TEST(ConfigBase, OnlyTheGlobalSettingsResetTheTimeServerRecord) {
    Env env;
    setViewerConfig(nullptr);
    TCCtxViewerConfig global;
    EXPECT_EQ(getViewerConfig(), &global);
    TCCtxViewerConfig local;
    EXPECT_EQ(getViewerConfig(), &global);
    std::strcpy(getSNTPParams().serverName, "time.example");
    getSNTPParams().port = 5;
    local.setDefaults();
    EXPECT_STREQ(getSNTPParams().serverName, "time.example");
    global.setDefaults();
    EXPECT_STREQ(getSNTPParams().serverName, "");
    EXPECT_EQ(getSNTPParams().port, 123);
}

TEST(ConfigBase, ServiceUrls) {
    Env env;
    TCCtxViewerConfig cfg;
    cfg.jcmpUrl = "";
    EXPECT_TRUE(getJcmpUrl(&cfg).isEmpty());
    EXPECT_TRUE(getServiceFilesUrl(&cfg).isEmpty());
    for (const char* base : {"https://ca.example", "https://ca.example/"}) {
        cfg.jcmpUrl = base;
        EXPECT_EQ(getJcmpUrl(&cfg).str(), "https://ca.example/JCMP");
        EXPECT_EQ(getServiceFilesUrl(&cfg).str(), "https://ca.example/update/updates.sxml");
    }
    EXPECT_TRUE(getJcmpUrl(nullptr).isEmpty());
}

TEST(ConfigBase, BaseVirtuals) {
    Env env;
    setenv("ALLUSERSPROFILE", env.pub.str().c_str(), 1);
    TZrXCABaseConfig base;
    EXPECT_FALSE(base.load());
    EXPECT_FALSE(base.save());
    EXPECT_TRUE(base.checkFolders(true));
    base.flags = 0x40001;
    EXPECT_TRUE(base.isUsable());
    base.flags = 0x40000;
    EXPECT_FALSE(base.isUsable());
    EXPECT_FALSE(base.hasFlag20());
    EXPECT_FALSE(base.reservedCheck());
    EXPECT_TRUE(base.serviceUrl().isEmpty());
    const TCString data = base.dataFolder();
    EXPECT_EQ(data.str(), env.pub.str() + "/Zoren/ZrX509_ZERUvorido");
    EXPECT_TRUE(dirExists(data.c_str()));
    EXPECT_EQ(cutText("абв", 3).str(), "а");  // never splits a character
}
