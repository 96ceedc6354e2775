// Update settings: reading with its fallbacks, writing, the check period and
// the extra signer certificate's trust rule.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/win/PrivateProfile.h"
#include "support/TempDir.h"
#include "update/UpdationConfig.h"

namespace {

std::vector<std::pair<uint32_t, std::string>>& records() {
    static std::vector<std::pair<uint32_t, std::string>> r;
    return r;
}
int capture(uint32_t code, const char* text) {
    records().emplace_back(code, text ? text : "");
    return 0;
}

class UpdationConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        registerCFGMacro("APPL", "UpdApp");
        registerCFGMacro("APPLDATA", dir_.file("appdata").c_str());
        std::filesystem::create_directories(dir_.file("appdata"));
        ini_ = updatesIniFileName().str();
        vers_ = versionsFileName().str();
        std::filesystem::create_directories(std::filesystem::path(ini_).parent_path());
        records().clear();
        prevLog_ = csSetKV_HLogOutFunc(capture);
    }
    void TearDown() override {
        csSetKV_HLogOutFunc(prevLog_);
        std::filesystem::remove(ini_);
        registerCFGMacro("APPL", "");
        registerCFGMacro("APPLDATA", "");
        setTimeSource(nullptr);
    }
    zrxtest::TempDir dir_;
    std::string ini_, vers_;
    KV_HLogOutFunc prevLog_ = nullptr;
};

TEST_F(UpdationConfigTest, ReadsModesWithTheirFallbacks) {
    EXPECT_EQ(vers_, dir_.file("appdata") + "/UpdApp_vers.ini");
    struct Case {
        const char* name;
        std::string settings;  // content of the settings file ("" = no file)
        std::string versions;  // content of the versions file ("" = no file)
        uint32_t mode;
        int32_t period;
        int64_t lastCheck;
        const char* href;
        bool fromVersions;
    };
    const Case cases[] = {
        {"mode 3, period 7", "[UpdApp]\nupdationMode=3\ncheckPeriod=7\nlastCheck=100\nhref=http://u/l.sxml\n", "", 3, 7,
         100, "http://u/l.sxml", false},
        {"legacy enabled 1", "[UpdApp]\nenabled=1\n", "", 3, 0, 0, "", false},
        {"legacy enabled 0", "[UpdApp]\nenabled=0\n", "", 0, 0, 0, "", false},
        {"neither key", "[UpdApp]\nhref=x\n", "", 0, 0, 0, "x", false},
        {"mode not hexadecimal", "[UpdApp]\nupdationMode=zz\nenabled=1\n", "", 3, 0, 0, "", false},
        {"mode in hexadecimal", "[UpdApp]\nupdationMode=a\n", "", 10, 0, 0, "", false},
        {"section missing: versions file's empty section", "[Other]\nupdationMode=3\n",
         "checkPeriod=2\nupdationMode=1\nhref=v\n[modules]\na=1\n", 1, 2, 0, "v", true},
        {"no files at all", "", "", 0, 0, 0, "", true},
        {"lastCheck past 2038", "[UpdApp]\nlastCheck=4102444800\n", "", 0, 0, 4102444800LL, "", false},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(ini_);
        std::filesystem::remove(vers_);
        if (!c.settings.empty()) zrxtest::writeFile(ini_, c.settings);
        if (!c.versions.empty()) zrxtest::writeFile(vers_, c.versions);
        TCUpdationConfig s;
        EXPECT_TRUE(s.read());
        EXPECT_EQ(s.updationMode, c.mode) << c.name;
        EXPECT_EQ(s.checkPeriod, c.period) << c.name;
        EXPECT_EQ(s.lastCheck, c.lastCheck) << c.name;
        EXPECT_EQ(s.href, c.href) << c.name;
        EXPECT_EQ(s.fileName, c.fromVersions ? vers_ : ini_) << c.name;
        EXPECT_EQ(getUpdationMode(), c.mode) << c.name;
    }
    // Writing settings read from the fallback goes into the settings file.
    zrxtest::writeFile(vers_, "updationMode=1\nhref=v\n");
    std::filesystem::remove(ini_);
    TCUpdationConfig s;
    s.read();
    s.write();
    std::string v;
    EXPECT_TRUE(zrx::win::profileRead(ini_, "UpdApp", "href", v));
    EXPECT_EQ(v, "v");
    std::filesystem::remove(vers_);
}

TEST_F(UpdationConfigTest, ResetAndCheckBits) {
    TCUpdationConfig s;
    EXPECT_EQ(s.updationMode, 2u);
    EXPECT_EQ(s.checkPeriod, 1);
    EXPECT_NEAR(double(s.lastCheck), double(std::time(nullptr)), 5.0);
    EXPECT_FALSE(s.checkAtStart());
    EXPECT_TRUE(s.checkByCommand());
    s.updationMode = 1;
    s.href = "x";
    s.reset();
    EXPECT_EQ(s.updationMode, 2u);
    EXPECT_TRUE(s.href.isEmpty());
}

int64_t fixedNowMs() { return 2200000000LL * 1000; }  // past 2038

TEST_F(UpdationConfigTest, CheckPeriodIn64Bits) {
    setTimeSource(fixedNowMs);
    const int64_t t = today();
    struct Case {
        int32_t period;
        int64_t lastCheck;
        bool running;
    };
    const Case cases[] = {
        {0, t, false},                        // period 0: every start is a check day
        {7, t - 6 * 86400, true},             // not yet
        {7, t - 7 * 86400, false},            // run out
        {1, t + 10 * 86400, true},            // clock turned back: wait for the difference
        {100000, t - 50000LL * 86400, true},  // long periods do not overflow
    };
    for (const Case& c : cases) {
        TCUpdationConfig s;
        s.checkPeriod = c.period;
        s.lastCheck = c.lastCheck;
        EXPECT_EQ(s.periodRunning(), c.running) << c.period << " " << c.lastCheck - t;
    }
    TCUpdationConfig s;
    s.touchLastCheck();
    EXPECT_EQ(s.lastCheck, t);
    TCUpdationConfig back;
    back.read();
    EXPECT_EQ(back.lastCheck, t);
}

TEST_F(UpdationConfigTest, ProxyAccountIsScrambledOwnerOnlyAndClearedKeysGo) {
    TCUpdationConfig s;
    s.updationMode = 3;
    s.href = "http://u/l.sxml";
    s.proxy = "proxy.local:3128";
    s.proxyUser = "Іван Петренко";
    s.proxyPassword.assign("пароль 1");
    s.extCert = "ext.crt";
    s.write();
    struct stat st {};
    ASSERT_EQ(stat(ini_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::string stored;
    ASSERT_TRUE(zrx::win::profileRead(ini_, "UpdApp", "proxy_id", stored));
    EXPECT_EQ(stored.find("Іван"), std::string::npos);

    TCUpdationConfig r;
    r.read();
    EXPECT_EQ(r.proxy, "proxy.local:3128");
    EXPECT_EQ(r.proxyUser, "Іван Петренко");
    EXPECT_EQ(r.proxyPassword, "пароль 1");
    EXPECT_EQ(r.extCert, "ext.crt");

    // Clearing the account, then the proxy and the certificate, removes them.
    r.proxyUser.clear();
    r.write();
    TCUpdationConfig a;
    a.read();
    EXPECT_EQ(a.proxy, "proxy.local:3128");
    EXPECT_TRUE(a.proxyUser.isEmpty());
    EXPECT_FALSE(zrx::win::profileRead(ini_, "UpdApp", "proxy_bp", stored));
    a.proxy.clear();
    a.extCert.clear();
    a.write();
    TCUpdationConfig b;
    b.read();
    EXPECT_TRUE(b.proxy.isEmpty());
    EXPECT_TRUE(b.extCert.isEmpty());
    for (const char* key : {"proxy", "proxy_id", "proxy_bp", "extCert"})
        EXPECT_FALSE(zrx::win::profileRead(ini_, "UpdApp", key, stored)) << key;
}

TEST_F(UpdationConfigTest, ExtraCertificateOnlyFromProtectedFiles) {
    const std::string certPath = std::filesystem::path(ini_).parent_path() / "ext.crt";
    zrxtest::writeFile(certPath, "cert");
    zrxtest::writeFile(ini_, "[UpdApp]\nextCert=ext.crt\n");
    chmod(certPath.c_str(), 0644);
    chmod(ini_.c_str(), 0644);
    struct Case {
        const char* name;
        mode_t certMode, iniMode;
        bool accepted;
    };
    const Case cases[] = {
        {"both protected", 0644, 0644, true},
        {"certificate group-writable", 0664, 0644, false},
        {"certificate writable by others", 0646, 0600, false},
        {"settings file group-writable", 0644, 0660, false},
    };
    for (const Case& c : cases) {
        chmod(certPath.c_str(), c.certMode);
        chmod(ini_.c_str(), c.iniMode);
        records().clear();
        TCUpdationConfig s;
        s.read();
        const TCString path = extCertFileName(s);
        EXPECT_EQ(path.isEmpty(), !c.accepted) << c.name;
        if (c.accepted) {
            EXPECT_EQ(path, certPath) << c.name;
        } else {
            ASSERT_EQ(records().size(), 1u) << c.name;
            EXPECT_EQ(records()[0].first, 0xC0800002u) << c.name;
        }
    }
    // A named file that is not there cannot be read: that, not the rule for
    // files others may write, is what the record says.
    zrxtest::writeFile(ini_, "[UpdApp]\nextCert=absent.crt\n");
    chmod(ini_.c_str(), 0644);
    {
        records().clear();
        TCUpdationConfig s;
        s.read();
        EXPECT_TRUE(extCertFileName(s).isEmpty());
        ASSERT_EQ(records().size(), 1u);
        EXPECT_EQ(records()[0].first, 0xC0800002u);
        EXPECT_EQ(records()[0].second, "Ошибка чтения сертификата для проверки обновлений из файла '" +
                                           (std::filesystem::path(ini_).parent_path() / "absent.crt").string() + "'!");
    }
    // A name only in the versions file is taken from there and kept.
    chmod(certPath.c_str(), 0644);
    zrxtest::writeFile(ini_, "[UpdApp]\nhref=x\n");
    chmod(ini_.c_str(), 0644);
    zrxtest::writeFile(vers_, "extCert=ext.crt\n");
    chmod(vers_.c_str(), 0644);
    TCUpdationConfig s;
    s.read();
    EXPECT_EQ(extCertFileName(s), certPath);
    EXPECT_EQ(s.extCert, "ext.crt");
    std::filesystem::remove(vers_);
    // No name anywhere: no certificate, nothing recorded.
    TCUpdationConfig none;
    none.read();
    records().clear();
    EXPECT_TRUE(extCertFileName(none).isEmpty());
    EXPECT_TRUE(records().empty());
}

}  // namespace
