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

#include "app/ConfigBase.h"
#include "platform/runtime/ResultCodes.h"

class TZrxCaConfig : public TZrXCABaseConfig {
public:
    static constexpr size_t kSecretMax = 32;  // characters of a stored secret (bytes)

    TZrxCaConfig();

    // The base's virtual operations.
    void setDefaults() override;
    bool load() override;
    bool save() override;
    bool checkFolders(bool withKeys) override;
    bool isConfigured() override;
    TCString dataFolder() override;
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

    // Directory server.
    TCString ldapAddress;    // 127
    uint32_t ldapPort = 389;
    TCString ldapLogin;      // 255
    TCString ldapPassword;   // secret "caIniData1"
    TCString ldapKeyFile;    // 259
    TCString ldapSecret2;    // secret "caIniData2"
    TCString ldapServerFile; // 259
    TCString ldapBaseDN;     // 259
    // Folders.
    TCString localData;      // 259
    TCString inputDir;       // 259
    TCString outputDir;      // 259
    // Mail.
    TCString userEmail;      // 64
    TCString userID;         // 64
    TCString mailPassword;   // secret "caIniData3"
    TCString smtpHost;       // 259
    TCString pop3Host;       // 259
    TCString mailSubjPrefix; // 64
    uint32_t smtpPort = 25;
    uint32_t pop3Port = 110;
    uint32_t mailTimeout = 15;
    // Database record.
    TCString dbServerAddress;  // 259
    TCString dbFolder;         // 259
    TCString dbUser;           // 63
    TCString dbPassword;       // secret "caIniData4"
    uint32_t serverPort = 831;
    uint32_t clientCheckTimeout = 0;
    TCString extCrlRepository;  // 64
    uint16_t msgPerseance = 100;
    uint16_t crlPreupdateTime = 0;
    TCString hsmAddress;   // 111
    TCString jcmpAddress;  // 99
    uint16_t jcmpTimeout = 0;
    TCString rbMQAddress;  // 129
    TCString rbMQInQueue;  // 259
    TCString rbMQOutQueue; // 259
};

// Configuration flags.
constexpr uint32_t CAF_NO_TIME_CHECK = 0x80;
constexpr uint32_t CAF_CRL_ARCHIVE = 0x4;
constexpr uint32_t CAF_MAIL = 0x800000;
constexpr uint32_t CAF_MAIL_NOT_COUNTED = 0x20000000;

TZrxCaConfig& getCaConfig();

// Encrypts a secret (at most 32 bytes) into a stored block bound to the key
// name, or decrypts one; false when the installation secret is unavailable,
// the secret is too long, or the block is damaged or belongs to another key.
bool protectConfigValue(const char* secretFile, const char* keyName, TCString& value, std::string& block,
                        bool encrypt);
// Size of a stored block.
constexpr size_t kProtectedBlockSize = 1 + 12 + 1 + 32 + 16;

// Registers the texts of the facility "CA" with the runtime library (also
// under 0x890, the facility bits of the codes 0xC890001D and 0xC890001E).
void registerCaMessages();
// The translated text of a code of the facility, "Неизвестный код" otherwise.
TCString caMessageText(uint32_t code);
