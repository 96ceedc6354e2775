#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/config/CaConfig.h"
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

std::string secretText(const TCSecretString& s) { return std::string(s.c_str(), s.length()); }

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
    EXPECT_TRUE(c.dbPassword.empty());
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
    c.ldapPassword.assign("12345678901234567890123456789012");  // 32 characters
    c.ldapSecret2.assign("второй");
    c.mailPassword.assign("mail-pass");
    c.dbPassword.assign("db-secret");
    c.userEmail = "a@b.ua";
    c.userID = "u";
    c.localData = "/srv/ca";
    c.dbServerAddress = "db";
    c.dbFolder = "/db";
    c.dbUser = "ca";
    ASSERT_TRUE(c.save());
    const std::string text = zrxtest::readFile(env.ini());
    for (const char* secret : {"1234567890", "mail-pass", "db-secret"}) EXPECT_EQ(text.find(secret), std::string::npos);
    struct stat st {};
    ASSERT_EQ(stat(c.secretFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    TZrxCaConfig r;
    ASSERT_TRUE(r.load());
    EXPECT_EQ(secretText(r.ldapPassword), "12345678901234567890123456789012");
    EXPECT_EQ(secretText(r.ldapSecret2), "второй");
    EXPECT_EQ(secretText(r.mailPassword), "mail-pass");
    EXPECT_EQ(secretText(r.dbPassword), "db-secret");

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
    EXPECT_TRUE(t.dbPassword.empty());
    EXPECT_TRUE(t.ldapPassword.empty());
    EXPECT_EQ(secretText(t.mailPassword), "mail-pass");
    removeFile(c.secretFile().c_str());
    TZrxCaConfig u;
    u.load();
    EXPECT_TRUE(u.mailPassword.empty());

    TCSecretString tooLong("123456789012345678901234567890123");
    std::string out;
    EXPECT_FALSE(protectConfigValue(c.secretFile().c_str(), "caIniData1", tooLong, out, true));
}

namespace {

std::string repeat(const std::string& unit, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) out += unit;
    return out;
}

// A configuration that loads, with its time-server record restored after.
struct Saved {
    Env env;
    TSNTPParams sntp = getSNTPParams();
    ~Saved() { getSNTPParams() = sntp; }
    static void complete(TZrxCaConfig& c) {
        c.userEmail = "a@b.ua";
        c.userID = "u";
        c.localData = "/srv/ca";
        c.dbServerAddress = "db";
        c.dbFolder = "/db";
        c.dbUser = "ca";
    }
};

void setSntpServer(const std::string& name) {
    TSNTPParams& p = getSNTPParams();
    ASSERT_LT(name.size(), sizeof p.serverName);
    std::memset(p.serverName, 0, sizeof p.serverName);
    std::memcpy(p.serverName, name.data(), name.size());
}

// One value of the configuration, set and read back by its key.
struct Field {
    const char* key;
    void (*set)(TZrxCaConfig&, const std::string&);
    std::string (*get)(TZrxCaConfig&);
};

const Field kLdapPassword{"caIniData1", [](TZrxCaConfig& c, const std::string& v) { c.ldapPassword.assign(v.c_str()); },
                          [](TZrxCaConfig& c) { return secretText(c.ldapPassword); }};
const Field kMailPassword{"caIniData3", [](TZrxCaConfig& c, const std::string& v) { c.mailPassword.assign(v.c_str()); },
                          [](TZrxCaConfig& c) { return secretText(c.mailPassword); }};
const Field kDbPassword{"caIniData4", [](TZrxCaConfig& c, const std::string& v) { c.dbPassword.assign(v.c_str()); },
                        [](TZrxCaConfig& c) { return secretText(c.dbPassword); }};
const Field kLdapLogin{"LdapLogin", [](TZrxCaConfig& c, const std::string& v) { c.ldapLogin = v; },
                       [](TZrxCaConfig& c) { return c.ldapLogin.str(); }};
const Field kLdapAddress{"LdapAddress", [](TZrxCaConfig& c, const std::string& v) { c.ldapAddress = v; },
                         [](TZrxCaConfig& c) { return c.ldapAddress.str(); }};
const Field kDbUser{"DbServerUser", [](TZrxCaConfig& c, const std::string& v) { c.dbUser = v; },
                    [](TZrxCaConfig& c) { return c.dbUser.str(); }};
const Field kPop3Host{"Pop3Host", [](TZrxCaConfig& c, const std::string& v) { c.pop3Host = v; },
                      [](TZrxCaConfig& c) { return c.pop3Host.str(); }};
const Field kSntpServer{"sntpServer", [](TZrxCaConfig&, const std::string& v) { setSntpServer(v); },
                        [](TZrxCaConfig&) { return std::string(getSNTPParams().serverName); }};

}  // namespace

// Limits count characters: a value at its limit in Cyrillic or four-byte
// characters is saved and comes back whole.
TEST(CaConfig, LimitsCountCharacters) {
    const struct {
        Field field;
        std::string value;
    } cases[] = {
        {kLdapPassword, repeat("п", 21)},
        {kLdapPassword, repeat("п", 32)},
        {kMailPassword, repeat("\xF0\x9F\x94\x91", 32)},
        {kDbPassword, repeat("ї", 31) + "x"},
        {kLdapLogin, repeat("л", 200)},
        {kLdapLogin, repeat("л", 255)},
        {kLdapAddress, repeat("а", 127)},
        {kDbUser, repeat("к", 63)},
        {kSntpServer, repeat("ч", 60)},
        {kSntpServer, repeat("ч", 85)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field.key) + " of " + std::to_string(zrx_utf8::charCount(c.value)) + " characters");
        Saved saved;
        TZrxCaConfig w;
        Saved::complete(w);
        c.field.set(w, c.value);
        ASSERT_TRUE(w.save());
        setSntpServer("");
        TZrxCaConfig r;
        ASSERT_TRUE(r.load());
        EXPECT_EQ(c.field.get(r), c.value);
    }
}

// A save that fails writes nothing: never the new address with the old
// password.
TEST(CaConfig, AFailedSaveLeavesTheWholeOldFile) {
    const struct {
        Field field;
        std::string value;
    } cases[] = {
        {kLdapPassword, repeat("п", 33)},
        {kLdapPassword, repeat("p", 33)},
        {kMailPassword, repeat("\xF0\x9F\x94\x91", 33)},
        {kDbPassword, repeat("ї", 40)},
        {kLdapLogin, repeat("л", 256)},
        {kDbUser, repeat("k", 64)},
        {kSntpServer, repeat("ч", 86)},
        {kPop3Host, "pop\nLdapAddress=evil"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field.key);
        Saved saved;
        TZrxCaConfig old;
        Saved::complete(old);
        old.ldapAddress = "old.example";
        old.ldapPassword.assign("old-pass");
        old.mailPassword.assign("old-mail");
        ASSERT_TRUE(old.save());
        const std::string before = zrxtest::readFile(saved.env.ini());

        TZrxCaConfig changed;
        ASSERT_TRUE(changed.load());
        changed.ldapAddress = "new.example";
        changed.ldapPassword.assign("new-pass");
        c.field.set(changed, c.value);
        EXPECT_FALSE(changed.save());
        EXPECT_EQ(zrxtest::readFile(saved.env.ini()), before);

        TZrxCaConfig r;
        ASSERT_TRUE(r.load());
        EXPECT_EQ(r.ldapAddress.str(), "old.example");
        EXPECT_EQ(secretText(r.ldapPassword), "old-pass");
        EXPECT_EQ(secretText(r.mailPassword), "old-mail");
    }
}

// The stored passwords' memory holds nothing of them once they are cleared
// or replaced by a shorter one.
TEST(CaConfig, PasswordsAreWipedWhenClearedOrReplaced) {
    Saved saved;
    TZrxCaConfig c;
    Saved::complete(c);
    TCSecretString* fields[] = {&c.ldapPassword, &c.ldapSecret2, &c.mailPassword, &c.dbPassword};
    const std::string secret = "secret-password-31-bytes-long!!";
    auto wiped = [&](const char* p, size_t from) {
        for (size_t i = from; i < secret.size(); ++i)
            if (p[i] != 0) return false;
        return true;
    };
    for (TCSecretString* f : fields) f->assign(secret.c_str());
    std::vector<const char*> buffers;
    for (TCSecretString* f : fields) buffers.push_back(f->c_str());
    c.setDefaults();
    for (const char* p : buffers) EXPECT_TRUE(wiped(p, 0));

    // Loaded over a longer value: the old tail is gone.
    Saved::complete(c);
    c.ldapPassword.assign("short");
    c.mailPassword.assign("short");
    c.dbPassword.assign("short");
    ASSERT_TRUE(c.save());
    for (TCSecretString* f : fields) f->assign(secret.c_str());
    ASSERT_TRUE(c.load());
    for (int i : {0, 2, 3}) {
        EXPECT_EQ(secretText(*fields[i]), "short");
        EXPECT_TRUE(wiped(buffers[i], 6)) << i;
    }
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
