#include "app/config/ConfigBase.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/config/AppConfig.h"
#include "components/CfgFile.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/TCString.h"

namespace {

TCCtxViewerConfig* g_viewerConfig = nullptr;

const char* envValue(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}

void copyServer(TSNTPParams& p, const char* text) {
    const TCString name = cutChars(text, TSNTPParams::kServerNameChars);
    zrx_utf8::copyCut(name.view(), p.serverName, sizeof p.serverName);
}

TCString joinUrl(TZrXCABaseConfig* settings, const char* path, const char* def) {
    if (!settings) return TCString();
    TCString base = settings->serviceUrl();
    base.trim();
    if (base.isEmpty()) return TCString();
    if (!base.endsWith("/")) base += "/";
    base += getAppConfigText(path, def);
    return base;
}

}  // namespace

TCString cutText(const char* text, size_t maxBytes) {
    const std::string_view s(text ? text : "");
    return TCString(s.substr(0, zrx_utf8::cutBytes(s, maxBytes)));
}

TCString cutChars(const char* text, size_t maxChars) {
    const std::string_view s(text ? text : "");
    return TCString(s.substr(0, zrx_utf8::bytesOfChars(s, maxChars)));
}

TSNTPParams& getSNTPParams() {
    static TSNTPParams params;
    return params;
}

void resetSNTPParams(TSNTPParams& p) {
    p = TSNTPParams{};
    std::memset(p.serverName, 0, sizeof p.serverName);
    p.port = 123;
    p.allowedDiff = 120;
    p.disabled = 0;
}

TCCtxViewerConfig* getViewerConfig() { return g_viewerConfig; }
void setViewerConfig(TCCtxViewerConfig* config) { g_viewerConfig = config; }

TCString getJcmpUrl(TZrXCABaseConfig* settings) { return joinUrl(settings, "\\core\\jcmpURL.val", "JCMP"); }

TCString getServiceFilesUrl(TZrXCABaseConfig* settings) {
    return joinUrl(settings, "\\core\\updateURL.val", "update/updates.sxml");
}

// ---------------------------------------------------------------- base

TZrXCABaseConfig::TZrXCABaseConfig() { programFolder = cutText(getModulePath().c_str(), kPathMax - 1); }

void TZrXCABaseConfig::setDefaults() {
    flags = 0;
    programFolder = cutText(getModulePath().c_str(), kPathMax - 1);
}

bool TZrXCABaseConfig::exists() {
    prepareDataFolder();
    const TCString p = filePath();
    return !p.isEmpty() && fileExists(p.c_str());
}

bool TZrXCABaseConfig::load() { return false; }
bool TZrXCABaseConfig::save() { return false; }
bool TZrXCABaseConfig::checkFolders(bool) { return true; }

TCString TZrXCABaseConfig::filePath() {
    if (!pathOverride_.isEmpty()) return pathOverride_;
    return makePathName(dataFolder_.c_str(), fileName().c_str());
}

bool TZrXCABaseConfig::isConfigured() { return true; }
bool TZrXCABaseConfig::isUsable() { return isConfigured() && hasFlags40001(); }

TCString TZrXCABaseConfig::dataFolder() {
    // ALLUSERSPROFILE, else the XDG data folder: never the program's own
    // folder, which an installed program cannot write.
    TCString f = makePathName(getCommonDataDir().c_str(), "Zoren");
    f = makePathName(f.c_str(), changeFileExt(getModuleFileName().c_str(), "").c_str());
    checkDir(f.c_str(), 1, 0);
    return f;
}

TCString TZrXCABaseConfig::logFolder() { return dataFolder(); }
bool TZrXCABaseConfig::hasFlag20() { return flags.isSet(0x20); }
bool TZrXCABaseConfig::hasFlags40001() { return flags.isSet(0x40001); }
bool TZrXCABaseConfig::reservedCheck() { return false; }

TCString TZrXCABaseConfig::fileName() { return changeFileExt(getModuleFileName().c_str(), ".ini"); }

TCString TZrXCABaseConfig::serviceUrl() { return TCString(); }

void TZrXCABaseConfig::prepareDataFolder() {
    // PUBLIC, else ALLUSERSPROFILE, else the XDG data folder.
    const char* base = envValue("PUBLIC");
    dataFolder_ = cutText(base ? base : getCommonDataDir().c_str(), kPathMax - 1);
    const TCString path = makePathName(dataFolder_.c_str(), fileName().c_str());
    if (!fileExists(path.c_str())) {
        const TCString beside = makePathName(programFolder.c_str(), fileName().c_str());
        if (beside != path && fileExists(beside.c_str())) copyFile(beside.c_str(), path.c_str(), true);
    }
}

// ---------------------------------------------------------------- program settings

TCCtxViewerConfig::TCCtxViewerConfig() {
    if (!g_viewerConfig) g_viewerConfig = this;
}

TCCtxViewerConfig::~TCCtxViewerConfig() {
    if (g_viewerConfig == this) g_viewerConfig = nullptr;
}

void TCCtxViewerConfig::setDefaults() {
    hsmAddress.clear();
    jcmpUrl.clear();
    timeout = 0;
    programFolder = cutText(getModulePath().c_str(), kPathMax - 1);
    // The time-server record is shared by the process: only the global
    // settings own it.
    if (g_viewerConfig == this) resetSNTPParams(getSNTPParams());
}

bool TCCtxViewerConfig::load() {
    if (!exists()) return false;
    TCIniFile ini(filePath().c_str(), "");
    return readSettings(ini);
}

bool TCCtxViewerConfig::save() {
    prepareDataFolder();
    TCIniFile ini(filePath().c_str(), "");
    return writeSettings(ini);
}

TCString TCCtxViewerConfig::serviceUrl() { return jcmpUrl; }

bool TCCtxViewerConfig::readSettings(TCBaseCFGFile& store) {
    prepareDataFolder();
    TSNTPParams& sntp = getSNTPParams();
    uint32_t v = 0;
    store.readInt("flags", v, 128);
    flags = v;
    store.readInt("autolockTime", v, 0);
    autolockTime = static_cast<int32_t>(v);
    TCString text;
    store.readString("sntpServer", text, "");
    copyServer(sntp, text.c_str());
    store.readString("HSM", text, "");
    hsmAddress = cutText(text.c_str(), kPathMax - 1);
    if (!hsmAddress.isEmpty()) registerCFGMacro("HSM_URI", hsmAddress.c_str());
    store.readInt("jCMP_timeout", v, 1);
    timeout = static_cast<uint16_t>(v);
    store.readString("jCmp", text, "");
    jcmpUrl = cutText(text.c_str(), 99);
    registerGlobalIntValue("HTTP_TIMEOUT", timeout);
    store.readInt("sntpsntpPort", v, 123);
    sntp.port = static_cast<uint16_t>(v);
    store.readInt("sntpDelta", v, 120);
    sntp.allowedDiff = static_cast<uint16_t>(v);
    sntp.disabled = flags.isSet(VCF_NO_TIME_CHECK) ? 1 : 0;
    return true;
}

bool TCCtxViewerConfig::writeSettings(TCBaseCFGFile& store) {
    const TSNTPParams& sntp = getSNTPParams();
    flags.set(VCF_NO_TIME_CHECK, sntp.disabled != 0);
    // Every write counts: a settings file that was only partly written is a failure.
    bool ok = store.writeInt("flags", flags.value()) &&
              store.writeInt("autolockTime", static_cast<uint32_t>(autolockTime)) &&
              store.writeString("sntpServer", sntp.serverName) && store.writeInt("sntpsntpPort", sntp.port) &&
              store.writeInt("sntpDelta", sntp.allowedDiff) && store.writeString("HSM", hsmAddress.c_str());
    // Clearing the HSM address clears the macro for the rest of the run.
    registerCFGMacro("HSM_URI", hsmAddress.c_str());
    ok = ok && store.writeInt("jCMP_timeout", timeout) && store.writeString("jCmp", jcmpUrl.c_str());
    registerGlobalIntValue("HTTP_TIMEOUT", timeout);
    return ok;
}
