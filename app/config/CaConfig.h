#pragma once
// The certification authority's configuration (directory server, mail and
// message broker, database, folders, time server, HSM and registration
// service), kept in "ZrXCA.ini" section "Config", and the message texts of
// the program's facility "CA" (0x090).
//
// Secrets are stored encrypted with AES-256-GCM under a key derived (HKDF-
// SHA256) from a per-installation random secret in "ZrXCA.key" beside the
// INI file, readable by its owner only; each block is bound to its key name.
#include <cstdint>
#include <string>

#include "app/config/ConfigBase.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/SecretString.h"

class TZrxCaConfig : public TZrXCABaseConfig {
public:
    static constexpr size_t kSecretMax = 32;  // characters of a stored secret

    TZrxCaConfig();

    // The base's virtual operations.
    void setDefaults() override;
    bool load() override;
    bool save() override;
    bool checkFolders(bool withKeys) override;
    bool isConfigured() override;
    TCString dataFolder() override;
    // Saving validates every value first and writes the file once, whole:
    // a save that fails leaves the file as it was.
    TCString logFolder() override;
    TCString fileName() override;
    TCString serviceUrl() override;
    // Its own.
    virtual bool readConfig(TCBaseCFGFile& store);
    virtual bool writeConfig(TCBaseCFGFile& store);
    virtual TCString keysFolder();
    virtual TCString databaseFolder();
    virtual TCString localDataFolder();
    virtual TCString inputMasks();
    virtual TCString crlMasks();

    void setLocalDataFolder(const char* folder);
    TCString tempFolder();
    TCString mailInFolder();
    TCString mailOutFolder();
    TCString mailInBoxFolder();
    TCString mailOutBoxFolder();
    TCString badFolder();
    TCString crlArchiveFolder();
    // The per-installation secret's file (beside the INI file).
    TCString secretFile();
    // The database-record key with an optional prefix ("%s_%s").
    static TCString dbRecordKey(const char* prefix, const char* name);
    void resetDbRecord();

    // Text limits (in the comments) are characters; the passwords live in
    // memory that is wiped when they change or are released.
    // Directory server.
    TCString ldapAddress;  // 127
    uint32_t ldapPort = 389;
    TCString ldapLogin;           // 255
    TCSecretString ldapPassword;  // secret "caIniData1"
    TCString ldapKeyFile;         // 259
    TCSecretString ldapSecret2;   // secret "caIniData2"
    TCString ldapServerFile;      // 259
    TCString ldapBaseDN;          // 259
    // Folders.
    TCString localData;  // 259
    TCString inputDir;   // 259
    TCString outputDir;  // 259
    // Mail.
    TCString userEmail;           // 64
    TCString userID;              // 64
    TCSecretString mailPassword;  // secret "caIniData3"
    TCString smtpHost;            // 259
    TCString pop3Host;            // 259
    TCString mailSubjPrefix;      // 64
    uint32_t smtpPort = 25;
    uint32_t pop3Port = 110;
    uint32_t mailTimeout = 15;
    // Database record.
    TCString dbServerAddress;   // 259
    TCString dbFolder;          // 259
    TCString dbUser;            // 63
    TCSecretString dbPassword;  // secret "caIniData4"
    uint32_t serverPort = 831;
    uint32_t clientCheckTimeout = 0;
    TCString extCrlRepository;  // 64
    uint16_t msgPerseance = 100;
    uint16_t crlPreupdateTime = 0;
    TCString hsmAddress;   // 111
    TCString jcmpAddress;  // 99
    uint16_t jcmpTimeout = 0;
    TCString rbMQAddress;   // 129
    TCString rbMQInQueue;   // 259
    TCString rbMQOutQueue;  // 259

    // The name of the first value that is longer than its limit or cannot
    // be stored; empty when every value can be saved.
    TCString invalidValue();
};

// Configuration flags.
constexpr uint32_t CAF_NO_TIME_CHECK = 0x80;
constexpr uint32_t CAF_CRL_ARCHIVE = 0x4;
constexpr uint32_t CAF_MAIL = 0x800000;
constexpr uint32_t CAF_MAIL_NOT_COUNTED = 0x20000000;

TZrxCaConfig& getCaConfig();

// Encrypts a secret (at most 32 characters) into a stored block bound to the
// key name, or decrypts one; false when the installation secret is
// unavailable, the secret is too long, or the block is damaged or belongs to
// another key.
bool protectConfigValue(const char* secretFile, const char* keyName, TCSecretString& value, std::string& block,
                        bool encrypt);
// Sizes of a stored block: a secret of at most 32 bytes, and a longer one.
constexpr size_t kProtectedBlockSize = 1 + 12 + 1 + 32 + 16;
constexpr size_t kProtectedLongBlockSize = 1 + 12 + 1 + 128 + 16;

// Registers the texts of the facility "CA" with the runtime library (also
// under 0x890, the facility bits of the codes 0xC890001D and 0xC890001E).
void registerCaMessages();
// The translated text of a code of the facility, "Неизвестный код" otherwise.
TCString caMessageText(uint32_t code);
