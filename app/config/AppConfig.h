#pragma once
// The application configuration: the XML file "<APPL>.xcfg" in the XCFG
// folder with the key profiles, new-key items, default formats and
// lifetimes, flag descriptors and a few switches (docs/config-schema.md).
// The program only reads it.
#include "platform/core/config/XmlNode.h"
#include "platform/runtime/TCString.h"

// Codes of the configuration (facility "CA").
constexpr KResult CFG_E_SECTION = 0xC0900002u;    // a section or base profile is missing
constexpr KResult CFG_E_INTEGRITY = 0xC0900003u;  // the integrity digest does not hold

// The process-wide parser that holds the loaded tree.
TCXMLNodeParser& appConfigParser();

// The configuration's path: XCFG/<APPL>.xcfg when that file exists, else
// XCFG/<program file name with ".xcfg">; when neither is installed in XCFG,
// the same names in the folder shipped with the program (PROGRAMDIR/xcfg),
// which the program only reads. ldapPath (optional) receives the path of
// "ldap.xcfg" in the XCFG folder.
TCString getAppConfigPath(TCString* path = nullptr, TCString* ldapPath = nullptr);
// The folder of the configuration shipped with the program: PROGRAMDIR/xcfg.
TCString shippedConfigFolder();
// True when the path names a file of that folder.
bool isShippedAppConfig(const char* path);
// Loads and applies the configuration; integrity 1 checks the digest "cpkix".
// False on failure (the reason is the runtime library's last message).
bool loadAppConfig(const char* path, int integrity = 0);
// Lookups in the loaded tree; the default without a tree or value.
TCString getAppConfigText(const char* path, const char* def = "");
bool getAppConfigBool(const char* path, bool def);

// Steps of the load (exposed for tests and the start-up code).
bool initAppConfig();
bool initAppProfiles();
bool registerFlagDescriptors();
bool loadPrintKeys(const char* configPath);
