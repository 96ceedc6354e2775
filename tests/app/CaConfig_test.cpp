#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "app/CaConfig.h"
#include "components/CfgFile.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Messages.h"
#include "support/TempDir.h"

namespace {

struct Env {
    zrxtest::TempDir dir;
    Env() {
        setModuleFileName("ZrX509_ZERUvorido.exe");
        setModulePath(dir.file("bin").c_str());
        setenv("PUBLIC", dir.str().c_str(), 1);
        setenv("ALLUSERSPROFILE", dir.file("all").c_str(), 1);
        unsetenv("PKCS11_PROXY_SOCKET");
        clearCFGMacros();
    }
    std::string ini() const { return dir.file("ZrXCA.ini"); }
    void write(const std::string& body) const { zrxtest::writeFile(ini(), "[Config]\n" + body); }
};

// The keys that make a load succeed.
const char* kComplete =
    "LdapAddress=ldap.example\nLdapPort=636\nlocalDataDir=/srv/ca\nDbServerAddress=db\ndbDir=/db\n"
    "DbServerUser=ca\nUserEmail=a@b.ua\nUserID=u1\nSmtpHost=smtp\nPop3Host=pop\n";

}  // namespace

TEST(CaConfig, Defaults) {
    Env env;
    TZrxCaConfig c;
    EXPECT_EQ(c.flags.value(), CAF_MAIL);
    EXPECT_EQ(c.ldapAddress.str(), "127.0.0.1");
    EXPECT_EQ(c.ldapPort, 389u);
    EXPECT_EQ(c.smtpHost.str(), "127.0.0.1");
    EXPECT_EQ(c.pop3Host.str(), "127.0.0.1");
    EXPECT_EQ(c.smtpPort, 25u);
    EXPECT_EQ(c.pop3Port, 110u);
    EXPECT_EQ(c.mailTimeout, 15u);
    EXPECT_EQ(c.serverPort, 831u);
    EXPECT_EQ(c.clientCheckTimeout, 0u);
    EXPECT_EQ(c.jcmpTimeout, 0);
    EXPECT_TRUE(c.dbPassword.isEmpty());
    EXPECT_TRUE(c.userEmail.isEmpty());
    EXPECT_EQ(c.programFolder.str(), env.dir.file("bin"));
    EXPECT_EQ(c.localDataFolder().str(), env.dir.file("all") + "/Zoren/ZrX509_ZERUvorido");
    EXPECT_EQ(c.logFolder().str(), c.localDataFolder().str() + "/Logs");
    EXPECT_EQ(c.keysFolder().str(), c.localDataFolder().str() + "/CAKeys");
    EXPECT_EQ(c.mailInBoxFolder().str(), c.localDataFolder().str() + "/Temp/mailIn/mailBox");
    EXPECT_EQ(c.fileName().str(), "ZrXCA.ini");
    EXPECT_EQ(c.inputMasks().str(), "*.p7m,*.crl,*.ok?");
    EXPECT_EQ(c.crlMasks().str(), "*.crl,*.iz3,*.iz1");
    EXPECT_TRUE(c.isConfigured());
    EXPECT_EQ(TZrxCaConfig::dbRecordKey("p", "dbDir").str(), "p_dbDir");
    EXPECT_EQ(&getCaConfig(), &getCaConfig());
}

TEST(CaConfig, ReadingRulesTable) {
    Env env;
    {
        env.write(std::string(kComplete) + "rbMQAddress=amqp://q\nScanPeriod=5\nClientCheckTimeout=1\n");
        TZrxCaConfig c;
        EXPECT_TRUE(c.load());
        EXPECT_FALSE(c.flags.isSet(CAF_MAIL));  // no "useEMail", a broker address: mail off
        EXPECT_EQ(c.scanPeriod, 300u);
        EXPECT_EQ(c.clientCheckTimeout, 0u);
        EXPECT_EQ(c.localDataFolder().str(), "/srv/ca");
        EXPECT_EQ(getCFGMacroValue("DATA").str(), "/srv/ca");
        EXPECT_EQ(getCFGMacroValue("CONFIG").str(), env.ini());
        EXPECT_EQ(c.msgPerseance, 100);
        EXPECT_EQ(c.mailTimeout, 10u);
        EXPECT_EQ(c.jcmpTimeout, 1);
    }
    {
        env.write(std::string(kComplete) + "ScanPeriod=20\nuseEMail=0\n");
        TZrxCaConfig c;
        EXPECT_TRUE(c.load());
        EXPECT_EQ(c.scanPeriod, 20u);
        EXPECT_FALSE(c.flags.isSet(CAF_MAIL));
    }
    {
        // No broker: mail on; the mail group then counts.
        env.write("LdapAddress=x\nLdapPort=1\nlocalDataDir=/d\nDbServerAddress=db\ndbDir=/db\nDbServerUser=u\n");
        TZrxCaConfig c;
        EXPECT_FALSE(c.load());
        EXPECT_TRUE(c.flags.isSet(CAF_MAIL));
    }
    {
        env.write("flags=536870912\nLdapAddress=x\nLdapPort=1\nlocalDataDir=/d\nDbServerAddress=db\ndbDir=/db\n");
        TZrxCaConfig c;
        EXPECT_TRUE(c.load());  // 0x20000000: the mail group does not count
        EXPECT_EQ(c.dbUser.str(), "sysdba");
    }
}

TEST(CaConfig, HsmAddressFallsBackToTheEnvironment) {
    Env env;
    env.write(kComplete);
    setenv("PKCS11_PROXY_SOCKET", "tcp://127.0.0.1:2345", 1);
    TZrxCaConfig c;
    ASSERT_TRUE(c.load());
    EXPECT_EQ(c.hsmAddress.str(), "tcp://127.0.0.1:2345");
    EXPECT_EQ(getCFGMacroValue("HSM_URI").str(), "tcp://127.0.0.1:2345");
    env.write(std::string(kComplete) + "HSM_addr=tcp://hsm:1\njCMP_addr=https://ca/\njCMP_timeout=9\n");
    ASSERT_TRUE(c.load());
    EXPECT_EQ(getCFGMacroValue("HSM_URI").str(), "tcp://hsm:1");
    EXPECT_EQ(getCFGMacroValue("jCMP_URI").str(), "https://ca/");
    EXPECT_EQ(getGlobalIntValue("HTTP_TIMEOUT"), 9);
}

TEST(CaConfig, SecretsAreEncryptedAndComeBackWhole) {
    Env env;
    TZrxCaConfig c;
    c.ldapLogin = "admin";
    c.ldapPassword = "12345678901234567890123456789012";  // 32 characters
    c.ldapSecret2 = "второй";
    c.mailPassword = "mail-pass";
    c.dbPassword = "db-secret";
    c.userEmail = "a@b.ua";
    c.userID = "u";
    c.localData = "/srv/ca";
    c.dbServerAddress = "db";
    c.dbFolder = "/db";
    c.dbUser = "ca";
    ASSERT_TRUE(c.save());
    const std::string text = zrxtest::readFile(env.ini());
    for (const char* secret : {"1234567890", "mail-pass", "db-secret"}) EXPECT_EQ(text.find(secret), std::string::npos);
    struct stat st{};
    ASSERT_EQ(stat(c.secretFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    TZrxCaConfig r;
    ASSERT_TRUE(r.load());
    EXPECT_EQ(r.ldapPassword.str(), "12345678901234567890123456789012");
    EXPECT_EQ(r.ldapSecret2.str(), "второй");
    EXPECT_EQ(r.mailPassword.str(), "mail-pass");
    EXPECT_EQ(r.dbPassword.str(), "db-secret");

    // A block moved to another key, a damaged block, or another installation's
    // secret gives nothing; there is no built-in database password.
    TCIniFile ini(env.ini().c_str(), "Config");
    uint8_t block[kProtectedBlockSize];
    ASSERT_TRUE(ini.readBinary("caIniData3", block, sizeof block));
    ASSERT_TRUE(ini.writeBinary("caIniData4", block, sizeof block));
    block[20] ^= 1;
    ASSERT_TRUE(ini.writeBinary("caIniData1", block, sizeof block));
    TZrxCaConfig t;
    t.load();
    EXPECT_TRUE(t.dbPassword.isEmpty());
    EXPECT_TRUE(t.ldapPassword.isEmpty());
    EXPECT_EQ(t.mailPassword.str(), "mail-pass");
    removeFile(c.secretFile().c_str());
    TZrxCaConfig u;
    u.load();
    EXPECT_TRUE(u.mailPassword.isEmpty());

    TCString tooLong("123456789012345678901234567890123");
    std::string out;
    EXPECT_FALSE(protectConfigValue(c.secretFile().c_str(), "caIniData1", tooLong, out, true));
}

TEST(CaConfig, FoldersAreCreated) {
    Env env;
    TZrxCaConfig c;
    c.setLocalDataFolder(env.dir.file("ca").c_str());
    c.flags.set(CAF_CRL_ARCHIVE);
    ASSERT_TRUE(c.checkFolders(true));
    for (const TCString& f : {c.logFolder(), c.mailInBoxFolder(), c.mailOutBoxFolder(), c.badFolder(), c.keysFolder(),
                              c.crlArchiveFolder()})
        EXPECT_TRUE(dirExists(f.c_str())) << f.str();
    zrxtest::writeFile(env.dir.file("file"), "x");
    c.setLocalDataFolder(env.dir.file("file").c_str());
    EXPECT_FALSE(c.checkFolders(false));
}

TEST(CaConfig, MessageTexts) {
    const struct {
        uint32_t code;
        const char* text;
    } cases[] = {
        {0xC0900258u, "Неверный запрос"},
        {0xC09002BCu, "Внутренняя ошибка сервера"},
        {0xC09002C1u, "Версия НТТР не поддерживается"},
        {0xC0900003u, "Неизвестный код"},
        {0xC0900019u, "Запрос на сертификат отклонен"},
        {0x80900001u, "СОС не содержит информации об отозванных сертификатах"},
        {0xC09000CBu, "Ошибка выполения операций приема-передачи эл.почты "},
        {0xC890001Du, "Ошибка издания СОС"},
        {0xC890001Eu, "В процессе работы ЦСК возникла критическая ошибка, приведшая к остановке работы"},
    };
    for (const auto& c : cases) EXPECT_EQ(caMessageText(c.code).str(), c.text) << std::hex << c.code;
    // Through the runtime library, also for the codes with bit 27 in their facility.
    registerCaMessages();
    for (const auto& c : cases) EXPECT_EQ(KRTL_GetTextMessage(c.code).str(), c.text) << std::hex << c.code;
    EXPECT_EQ(KRTL_FacilityName(0x090).str(), "CA");
}
