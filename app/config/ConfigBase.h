#pragma once
// The configuration base (TZrXCABaseConfig), the program settings
// (TCCtxViewerConfig, an INI file named after the program) and the
// process-wide time-server record.
#include <cstddef>
#include <cstdint>

#include "platform/runtime/TCFlags.h"
#include "platform/runtime/TCString.h"

class TCBaseCFGFile;

// Flag bits of the program settings.
constexpr uint32_t VCF_NO_TIME_CHECK = 0x80;
constexpr uint32_t VCF_USE_JCMP = 0x10000;
constexpr uint32_t VCF_UPDATE_SERVICE_FILES = 0x100000;
constexpr uint32_t VCF_RADIO_CHOICE = 0x400000;

struct TSNTPParams {
    static constexpr size_t kServerNameChars = 85;
    // 85 characters of up to four bytes each and the terminating zero.
    char serverName[kServerNameChars * 4 + 1] = {};
    uint16_t port = 123;
    uint16_t allowedDiff = 120;  // seconds
    uint8_t disabled = 0;        // time check switched off
};

TSNTPParams& getSNTPParams();
// Every field zero, then port 123 and allowed difference 120.
void resetSNTPParams(TSNTPParams& params);

class TZrXCABaseConfig {
public:
    static constexpr size_t kPathMax = 260;

    TZrXCABaseConfig();
    virtual ~TZrXCABaseConfig() = default;

    virtual void setDefaults();
    virtual bool exists();
    virtual bool load();
    virtual bool save();
    virtual bool checkFolders(bool withKeys);
    virtual TCString filePath();
    virtual bool isConfigured();
    virtual bool isUsable();
    virtual TCString dataFolder();
    virtual TCString logFolder();
    virtual bool hasFlag20();
    virtual bool hasFlags40001();
    virtual bool reservedCheck();
    virtual TCString fileName();
    virtual TCString serviceUrl();

    // Chooses the data folder (PUBLIC, else ALLUSERSPROFILE, else the program
    // folder) and copies the settings file there once from the program folder.
    void prepareDataFolder();
    const TCString& dataFolderText() const { return dataFolder_; }

    TCFlags<uint32_t> flags;
    TCString programFolder;    // at most 260 bytes
    int32_t autolockTime = 0;  // minutes, 0 = off
    uint32_t scanPeriod = 0;   // seconds

protected:
    TCString dataFolder_;    // chosen by prepareDataFolder
    TCString pathOverride_;  // stays empty
};

class TCCtxViewerConfig : public TZrXCABaseConfig {
public:
    TCCtxViewerConfig();
    ~TCCtxViewerConfig() override;

    void setDefaults() override;
    bool load() override;
    bool save() override;
    TCString serviceUrl() override;

    virtual bool readSettings(TCBaseCFGFile& store);
    virtual bool writeSettings(TCBaseCFGFile& store);

    TCString hsmAddress;   // "HSM", at most 260 bytes
    TCString jcmpUrl;      // "jCmp", at most 100 bytes
    uint16_t timeout = 0;  // "jCMP_timeout", seconds
};

// The current program settings (the first TCCtxViewerConfig built registers itself).
TCCtxViewerConfig* getViewerConfig();
void setViewerConfig(TCCtxViewerConfig* config);

// The registration service's URL: the base URL, a '/', and the configuration's
// "\core\jcmpURL.val" (default "JCMP"); empty when the base URL is empty.
TCString getJcmpUrl(TZrXCABaseConfig* settings);
// The same with "\core\updateURL.val" (default "update/updates.sxml").
TCString getServiceFilesUrl(TZrXCABaseConfig* settings);

// A text cut to at most maxBytes bytes at a character boundary.
TCString cutText(const char* text, size_t maxBytes);
// A text cut to at most maxChars characters (the limits of user texts count characters).
TCString cutChars(const char* text, size_t maxChars);
