#include "update/UpdationConfig.h"

#include <ctime>

#include "platform/core/config/CfgMacros.h"
#include "platform/core/crypto/Enlp.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"
#include "platform/win/PrivateProfile.h"

namespace {

constexpr uint32_t kTextBuffer = 2048;
constexpr int64_t kSecondsPerDay = 86400;
constexpr uint32_t kExtCertRefused = 0xC0800002u;

TCString profileString(const char* section, const char* key, const char* file, uint32_t size = kTextBuffer) {
    TCString out;
    const uint32_t n = GetPrivateProfileStringA(section, key, "", out.allocate(size), size, file);
    out.setLength(n);
    return out;
}

TCString applName() { return getCFGMacroValue("APPL"); }

}  // namespace

TCString updatesIniFileName() {
    TCString name("$ALLUSERS$/zoren/ZrX509Updates.ini");
    substCFGMacroValues(name, CFGM_BUILTIN);
    return name;
}

TCString versionsFileName() {
    return makePathName(getCFGMacroValue("APPLDATA").c_str(),
                        TCString::format("%s_vers.ini", applName().c_str()).c_str());
}

TCUpdationConfig::TCUpdationConfig() { reset(); }

TCUpdationConfig::~TCUpdationConfig() = default;

void TCUpdationConfig::reset() {
    fileName.clear();
    checkPeriod = 1;
    lastCheck = static_cast<int64_t>(std::time(nullptr));
    href.clear();
    proxy.clear();
    proxyUser.clear();
    proxyPassword.wipe();
    updationMode = UPD_CHECK_BY_COMMAND;
    extCert.clear();
}

bool TCUpdationConfig::read() {
    fileName = updatesIniFileName();
    TCString section = applName();
    if (!fileExists(fileName.c_str()) || !zrx::win::profileSectionHasKeys(fileName.str(), section.str())) {
        fileName = versionsFileName();
        section.clear();
    }
    const char* sec = section.c_str();
    const char* file = fileName.c_str();

    const TCString mode = profileString(sec, "updationMode", file);
    int32_t bits = 0;
    if (!mode.isEmpty() && mode.asInt(&bits, 16)) updationMode = static_cast<uint32_t>(bits);
    else updationMode = GetPrivateProfileIntA(sec, "enabled", 0, file) ? 3u : 0u;

    checkPeriod = static_cast<int32_t>(GetPrivateProfileIntA(sec, "checkPeriod", 0, file));
    // Read as text: the stored seconds need 64 bits.
    lastCheck = profileString(sec, "lastCheck", file).asInt64(10, 0);

    href = profileString(sec, "href", file);
    extCert = profileString(sec, "extCert", file);
    proxy = profileString(sec, "proxy", file);
    proxyUser.clear();
    proxyPassword.wipe();
    if (!proxy.isEmpty()) {
        const TCString id = profileString(sec, "proxy_id", file);
        if (!id.isEmpty()) {
            enlp(proxyUser, proxy.c_str(), id.c_str(), 0);
            const TCString bp = profileString(sec, "proxy_bp", file);
            if (!bp.isEmpty()) {
                TCString plain;
                enlp(plain, proxyUser.c_str(), bp.c_str(), 0);
                proxyPassword.assign(plain.c_str(), plain.length());
                secretWipe(plain.data(), plain.length());
            }
        }
    }
    return true;
}

void TCUpdationConfig::write() {
    const TCString file = updatesIniFileName();
    const TCString section = applName();
    const char* f = file.c_str();
    const char* s = section.c_str();
    WritePrivateProfileStringA(s, "updationMode", TCString(int64_t(updationMode), 16).c_str(), f);
    WritePrivateProfileStringA(s, "checkPeriod", TCString(int64_t(checkPeriod), 10).c_str(), f);
    WritePrivateProfileStringA(s, "lastCheck", TCString(lastCheck, 10).c_str(), f);
    WritePrivateProfileStringA(s, "href", href.c_str(), f);
    // A cleared text removes its key, so the next read gives what was saved.
    WritePrivateProfileStringA(s, "extCert", extCert.isEmpty() ? nullptr : extCert.c_str(), f);
    WritePrivateProfileStringA(s, "proxy", proxy.isEmpty() ? nullptr : proxy.c_str(), f);
    if (!proxy.isEmpty() && !proxyUser.isEmpty()) {
        // Owner-only before the account goes in (later writes keep the mode).
        setFileOwnerOnly(f);
        TCString id, bp;
        enlp(id, proxy.c_str(), proxyUser.c_str(), 1);
        enlp(bp, proxyUser.c_str(), proxyPassword.c_str(), 1);
        WritePrivateProfileStringA(s, "proxy_id", id.c_str(), f);
        WritePrivateProfileStringA(s, "proxy_bp", bp.c_str(), f);
    } else {
        WritePrivateProfileStringA(s, "proxy_id", nullptr, f);
        WritePrivateProfileStringA(s, "proxy_bp", nullptr, f);
    }
}

void TCUpdationConfig::writeLastCheck() {
    WritePrivateProfileStringA(applName().c_str(), "lastCheck", TCString(lastCheck, 10).c_str(),
                               updatesIniFileName().c_str());
}

void TCUpdationConfig::touchLastCheck() {
    lastCheck = today();
    writeLastCheck();
}

bool TCUpdationConfig::periodRunning() const {
    return today() - lastCheck < static_cast<int64_t>(checkPeriod) * kSecondsPerDay;
}

uint32_t getUpdationMode() {
    TCUpdationConfig settings;
    if (!settings.read()) return 0;
    return settings.updationMode;
}

TCString extCertFileName(TCUpdationConfig& settings) {
    // The file that names it: the one the settings came from.
    TCString source = settings.fileName.isEmpty() ? updatesIniFileName() : settings.fileName;
    TCString name = settings.extCert;
    if (name.isEmpty()) {
        source = versionsFileName();
        name = profileString("", "extCert", source.c_str(), 260);
        if (name.isEmpty()) return TCString();
        settings.extCert = name;
    }
    TCString path = TCString::format("$ALLUSERS$/zoren/%s", name.c_str());
    substCFGMacroValues(path, CFGM_BUILTIN);
    // A file that is not there cannot be read; it is refused so, before the
    // rule for files others may write is asked.
    if (!fileExists(path.c_str())) {
        KV_HLogFmtText(kExtCertRefused,
                       zrnTranslateString("Ошибка чтения сертификата для проверки обновлений из файла '%s'!").c_str(),
                       path.c_str());
        return TCString();
    }
    if (!isFileProtected(path.c_str()) || !isFileProtected(source.c_str())) {
        KV_HLogFmtText(kExtCertRefused,
                       zrnTranslateString("Сертификат для проверки обновлений '%s' отклонен: он или файл параметров "
                                          "'%s' доступен для записи другим пользователям!")
                           .c_str(),
                       path.c_str(), source.c_str());
        return TCString();
    }
    return path;
}
