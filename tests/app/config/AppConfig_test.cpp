#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/config/AppConfig.h"
#include "platform/core/config/PathMacros.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/core/config/FlagDescriptors.h"
#include "platform/core/config/P12Template.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/config/XmlHesh.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "support/TempDir.h"

namespace {

std::vector<std::pair<uint32_t, std::string>> g_log;

int capture(uint32_t code, const char* text) {
    g_log.emplace_back(code, text);
    return 0;
}

// The shipped data folder of the source tree.
std::string shippedData() { return std::string(ZRX_SOURCE_DIR) + "/app/data"; }

bool logged(uint32_t code, const std::string& text) {
    for (const auto& r : g_log)
        if (r.first == code && r.second == text) return true;
    return false;
}

const char* kMinimal = R"(<zrxConfig>
  <core>
    <profiles>
      <child basedOn="parent" caption="Дочерний"/>
      <parent id="1" caption="Родитель" keys="sign" template="sign.xcfg"/>
      <bad id="2" keys="sign" template="sign.xcfg"/>
      <derived basedOn="parent" id="7" caption="Производный" days="30"/>
    </profiles>
  </core>
</zrxConfig>
)";

}  // namespace

class AppConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        csSetKV_HLogOutFunc(capture);
        clearCFGMacros();
        clearXProfiles();
        clearFBDescriptors();
        setModuleFileName("ZrX509_ZERUvorido.exe");
        setenv("ALLUSERSPROFILE", dir.str().c_str(), 1);
        registerPathMacros(nullptr);
        xcfg = getCFGMacroValue("XCFG").str();
        makeDirectory((dir.str() + "/zoren").c_str());
        makeDirectory((dir.str() + "/zoren/ZrX509_ZERUvorido").c_str());
        makeDirectory(xcfg.c_str());
    }
    zrxtest::TempDir dir;
    std::string xcfg;
};

TEST_F(AppConfigTest, ShippedConfigurationLoadsCompletely) {
    const std::string path = shippedData() + "/xcfg/ZrX509_ZERUvorido.xcfg";
    ASSERT_TRUE(loadAppConfig(path.c_str(), 0)) << KRTL_lastMesage().str();
    // At least one signature and one key-agreement profile, with the derived one.
    ASSERT_GE(_getDefPFList().count(), 4);
    const TCXProfileDescriptor* sign = _getDefPFList().findProfile("sign");
    const TCXProfileDescriptor* ka = _getDefPFList().findProfile("ka");
    const TCXProfileDescriptor* longSign = _getDefPFList().findProfile("signLong");
    ASSERT_TRUE(sign && ka && longSign);
    EXPECT_TRUE(sign->hasSignKeys());
    EXPECT_TRUE(ka->hasKAKeys());
    EXPECT_EQ(longSign->baseKind, sign->kind);
    EXPECT_EQ(longSign->flags, sign->flags);
    EXPECT_EQ(longSign->days(), 730);
    EXPECT_EQ(longSign->templateFile.str(), "sign.xcfg");
    EXPECT_EQ(_newKeysItemList().count(), 3);
    EXPECT_EQ(getDefaultProfile(), sign);
    EXPECT_NE(findFBFields("keyUsage"), nullptr);
    EXPECT_NE(getXMLProfilePrints(), nullptr);
    EXPECT_TRUE(getAppConfigBool("app\\flags.startupCheckCtx", false));
    EXPECT_EQ(getAppConfigText("\\core\\jcmpURL.val", "x").str(), "JCMP");
    // Every profile's template loads and names real algorithms.
    for (int i = 0; _getXProfileAt(i); ++i) {
        const TCXProfileDescriptor* p = _getXProfileAt(i);
        TCString file;
        ASSERT_TRUE(TCXProfileDescriptor::getTemplateFileName(file, p, shippedData().c_str()));
        TZrXP12Template t;
        ASSERT_EQ(loadP12Template(file.c_str(), &t), 0u) << file.str();
        if (p->hasSignKeys()) {
            EXPECT_NE(t.getCryptoParamters(p->id, false), nullptr) << p->name.str();
        }
        if (p->hasKAKeys()) {
            EXPECT_NE(t.getCryptoParamters(p->id, true), nullptr) << p->name.str();
        }
    }
    TZrXP12Template def;
    EXPECT_EQ(loadP12Template(getDefTemplateFileName(shippedData().c_str()).c_str(), &def), 0u);
}

TEST_F(AppConfigTest, MissingProfilesSectionIsLoggedAndFails) {
    const std::string path = xcfg + "/ZrX509_ZERUvorido.xcfg";
    zrxtest::writeFile(path, "<zrxConfig><core><defs/></core></zrxConfig>");
    EXPECT_FALSE(loadAppConfig(path.c_str(), 0));
    EXPECT_TRUE(logged(0xC0900002u, "В конфигурации отсутствует секция описателей профилей \"core\\profiles\"!"));
}

TEST_F(AppConfigTest, ProfilesRegisterInFileOrderAndDefaultsApply) {
    const std::string path = xcfg + "/ZrX509_ZERUvorido.xcfg";
    zrxtest::writeFile(path, kMinimal);
    ASSERT_TRUE(loadAppConfig(path.c_str(), 0));
    // The child names a base defined later: logged and skipped; the rejected one too.
    EXPECT_TRUE(logged(0xC0900002u, "Не найден базовый дескриптор \"parent\" для дочернего профиля \"child\"!"));
    EXPECT_EQ(_getDefPFList().count(), 2);
    const TCXProfileDescriptor* d = _getDefPFList().findProfile("derived");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->id, 7);
    EXPECT_EQ(d->baseKind, 1);
    EXPECT_EQ(d->flags, PF_SIGN_KEYS);
    EXPECT_EQ(d->days(), 30);
    EXPECT_EQ(_getDefPFList().findProfile("parent")->days(), 365);  // no defCertLifeDays
    EXPECT_EQ(_newKeysItemList().count(), 0);                       // no app\newKeys
    // No flag descriptors: logged, the load still succeeds.
    EXPECT_TRUE(logged(0xC0900002u, "В конфигурации отсутствует системная секция \"sysConsts\\flagDescriptors\"!"));
}

TEST_F(AppConfigTest, PathPrefersTheApplicationName) {
    setModuleFileName("zrx-main.bin");
    clearCFGMacros();
    registerPathMacros("ZrX509_ZERUvorido");
    EXPECT_EQ(getAppConfigPath().str(), xcfg + "/zrx-main.xcfg");  // neither exists
    zrxtest::writeFile(xcfg + "/zrx-main.xcfg", kMinimal);
    EXPECT_EQ(getAppConfigPath().str(), xcfg + "/zrx-main.xcfg");
    zrxtest::writeFile(xcfg + "/ZrX509_ZERUvorido.xcfg", kMinimal);
    TCString ldap;
    EXPECT_EQ(getAppConfigPath(nullptr, &ldap).str(), xcfg + "/ZrX509_ZERUvorido.xcfg");
    EXPECT_EQ(ldap.str(), xcfg + "/ldap.xcfg");
}

// Without a configuration in XCFG the one shipped in the program's folder
// is read; one installed in XCFG always comes first. The user's own objects
// stay with the user's configuration.
TEST_F(AppConfigTest, WithoutAnInstalledConfigurationTheShippedOneIsRead) {
    registerCFGMacro("PROGRAMDIR", shippedData().c_str());
    const std::string shipped = shippedData() + "/xcfg/ZrX509_ZERUvorido.xcfg";
    EXPECT_EQ(shippedConfigFolder().str(), shippedData() + "/xcfg");
    EXPECT_EQ(getAppConfigPath().str(), shipped);
    EXPECT_TRUE(isShippedAppConfig(shipped.c_str()));
    ASSERT_TRUE(loadAppConfig(shipped.c_str(), 0)) << KRTL_lastMesage().str();
    EXPECT_GE(_getDefPFList().count(), 4);

    const std::string installed = xcfg + "/ZrX509_ZERUvorido.xcfg";
    zrxtest::writeFile(installed, kMinimal);
    EXPECT_EQ(getAppConfigPath().str(), installed);
    EXPECT_FALSE(isShippedAppConfig(installed.c_str()));
    // Without a program folder there is nothing shipped to fall back on.
    std::remove(installed.c_str());
    registerCFGMacro("PROGRAMDIR", "");
    EXPECT_EQ(getAppConfigPath().str(), installed);
}

TEST_F(AppConfigTest, IntegrityCheckAndBrokenFiles) {
    const std::string path = xcfg + "/ZrX509_ZERUvorido.xcfg";
    zrxtest::writeFile(path, kMinimal);
    EXPECT_FALSE(loadAppConfig(path.c_str(), 1));
    EXPECT_TRUE(logged(0xC0900003u, "Нарушена целостность описателя системы!"));
    // A tree with its digest passes.
    TCXMLNodeParser p(true);
    ASSERT_EQ(p.load(path.c_str()), 0u);
    ASSERT_TRUE(setHesh(p.getRoot(), "cpkix"));
    ASSERT_EQ(p.save(), 0u);
    EXPECT_TRUE(loadAppConfig(path.c_str(), 1));
    // Malformed and missing files fail with the reason as the last message.
    zrxtest::writeFile(path, "<zrxConfig><core>");
    EXPECT_FALSE(loadAppConfig(path.c_str(), 0));
    EXPECT_NE(KRTL_lastMesage().pos("ZrX509_ZERUvorido.xcfg"), -1);
    EXPECT_FALSE(loadAppConfig((xcfg + "/none.xcfg").c_str(), 0));
}

TEST(AppConfigLookups, DefaultsWithoutATree) {
    EXPECT_EQ(getAppConfigText("\\core\\updateURL.val", "update/updates.sxml").str(), "update/updates.sxml");
    EXPECT_TRUE(getAppConfigBool("app\\flags.cpytkn", true));
}
