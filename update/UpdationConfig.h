#pragma once
// The update settings of one application: when to look for updates, how
// many days between checks at start, the last check, the signed list's
// address, an extra certificate that may sign it, and the proxy with its
// account. They live in "$ALLUSERS$/zoren/ZrX509Updates.ini", one section
// per application (named by the macro APPL); the application's versions
// file stands in while that file or section is missing.
#include <cstdint>

#include "platform/runtime/SecretString.h"
#include "platform/runtime/TCString.h"

// Check-mode bits of updationMode.
constexpr uint32_t UPD_CHECK_AT_START = 1;    // "При старте программы"
constexpr uint32_t UPD_CHECK_BY_COMMAND = 2;  // "По команде оператора"

class TCUpdationConfig {
public:
    TCUpdationConfig();
    ~TCUpdationConfig();

    TCString fileName;             // the file the settings were last read from
    int32_t checkPeriod;           // days between checks at start
    int64_t lastCheck;             // seconds since 1970 (the scale of today())
    TCString href;                 // address of the signed update list
    TCString proxy;                // proxy server; empty: no proxy
    TCString proxyUser;            // in clear while in memory
    TCSecretString proxyPassword;  // wiped when it changes or is released
    uint32_t updationMode;         // UPD_CHECK_* bits
    TCString extCert;              // file name of the extra signer certificate

    // Reads the settings; never fails (missing keys give the defaults).
    bool read();
    // Writes every setting into the settings file, section APPL. Cleared
    // texts remove their keys (the proxy's with its account); a file that
    // holds an account is made readable by its owner only. False when a
    // value could not be written.
    bool write();
    void writeLastCheck();
    // lastCheck = today(), then writeLastCheck.
    void touchLastCheck();
    // True while the check period since lastCheck has not run out.
    bool periodRunning() const;
    bool checkAtStart() const { return (updationMode & UPD_CHECK_AT_START) != 0; }
    bool checkByCommand() const { return (updationMode & UPD_CHECK_BY_COMMAND) != 0; }
    // Back to the construction values: mode 2, period 1, lastCheck now, texts empty.
    void reset();
};

// The check-mode bits of freshly read settings.
uint32_t getUpdationMode();
// "$ALLUSERS$/zoren/ZrX509Updates.ini" and "$APPLDATA$/<APPL>_vers.ini".
TCString updatesIniFileName();
TCString versionsFileName();
// The path of the extra signer certificate, or empty. A name found only in
// the versions file is stored into the settings. The certificate is a trust
// anchor: unless its file and the file that names it belong to the user (or
// root) and no one else may write them, it is refused with a record and the
// result is empty; a named file that is missing is recorded as unreadable
// and the result is empty as well.
TCString extCertFileName(TCUpdationConfig& settings);
