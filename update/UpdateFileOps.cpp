// The entries' digests, download, copy and display text, and the versions file.
#include <cstring>

#include "platform/core/crypto/Digest.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/VersionInfo.h"
#include "platform/win/PrivateProfile.h"
#include "update/FileFetch.h"
#include "update/UpdateList.h"

namespace {

constexpr KResult kMissing = 0xC0800005u;
constexpr KResult kDigestDiffers = 0xC080000Eu;
constexpr KResult kDownloaded = 0x40800021u;
constexpr KResult kCopied = 0x40800016u;
constexpr KResult kHashFailed = 0xC0800026u;

bool feedDigest(void* digest, const void* data, size_t len) {
    if (len == 0) return true;
    return !isFailure(static_cast<TZrXDigest*>(digest)->update(data, len));
}

int feedFileDigest(void* digest, const void* data, size_t len) {
    if (len == 0) return 0;
    return static_cast<int>(static_cast<TZrXDigest*>(digest)->update(data, len));
}

}  // namespace

KResult TCUPFileInfo::computeHash(const char* folder, uint8_t out[32]) const {
    // Update digests use the CryptoPro parameter set (docs/update-list.md).
    TCG3411Hash digest(getGostR3411CryptoProSBlock());
    digest.begin();
    const TCString path = makePathName(folder, c_str());
    if (kind == UPF_KIND_XML) {
        TCXMLNodeParser parser(true);
        parser.setMacroMode(0);  // the module as written
        const KResult r = parser.load(path.c_str());
        if (r != 0) return r;
        if (!parser.getRoot()->calcHesh(feedDigest, &digest, "")) {
            KV_HLogFmtText(kHashFailed, zrnTranslateString("Ошибка вычисления хеш-функции xml-модуля '%s'!").c_str(),
                           path.c_str());
            return kHashFailed;
        }
    } else {
        const int r = enumFileData(path.c_str(), feedFileDigest, &digest);
        if (r != 0) {
            const KResult code = KR_E_SYSTEM | (static_cast<uint32_t>(-r) & 0xFFFFFu);
            KV_HLogFmtText(code, zrnTranslateString("Вычисление хеш-функции файла '%s'.%s!").c_str(), path.c_str(),
                           KRTL_GetTextMessage(code).c_str());
            return code;
        }
    }
    digest.end();
    digest.getHash(out, nullptr);
    return 0;
}

KResult TCUPFileInfo::checkHash(const char* folder, bool quiet) const {
    uint8_t actual[32];
    const KResult r = computeHash(folder, actual);
    if (r != 0) return r;
    if (std::memcmp(actual, hash, sizeof hash) == 0) return 0;
    if (!quiet)
        KV_HLogFmtText(kDigestDiffers, zrnTranslateString("Контроль хеш-функции модуля '%s'.%s!").c_str(), c_str(),
                       KRTL_GetTextMessage(kDigestDiffers).c_str());
    return kDigestDiffers;
}

bool TCUPFileInfo::isCached(const char* folder) const {
    return fileExists(makePathName(folder, c_str()).c_str()) && checkHash(folder, true) == 0;
}

KResult TCUPFileInfo::download(const char* folder, const TCUpdationConfig& settings) {
    verified = false;
    TCString link = href;
    if (link.isEmpty()) link = settings.href.lastPos('/') >= 0 ? settings.href.beforeLast('/') : settings.href;
    if (!isCached(folder)) {
        const TCString path = makePathName(folder, c_str());
        removeFile(path.c_str());  // a stale file of that name is never used
        KResult r = fetchFile(TCString::format("%s/%s", link.c_str(), c_str()).c_str(), folder, &settings);
        if (r == 0) r = checkHash(folder, false);
        if (r != 0) {
            // Nothing unverified stays in the updates folder.
            removeFile(path.c_str());
            return r;
        }
    }
    verified = true;
    KV_HLogFmtText(kDownloaded, zrnTranslateString("Обновленный файл '%s' успешно загружен из '%s'.").c_str(),
                   displayText().c_str(), link.c_str());
    return 0;
}

KResult TCUPFileInfo::copyToDest(const char* folder) {
    if (dest.isEmpty()) {
        KV_HLogFmtText(kMissing, zrnTranslateString("Не задана папка для записи обновленного файла '%s'!").c_str(),
                       c_str());
        return kMissing;
    }
    const KResult r = copyUpdateFile(makePathName(folder, c_str()).c_str(), dest.c_str());
    if (r != 0) return r;
    KV_HLogFmtText(kCopied, zrnTranslateString("Обновленный файл '%s' успешно сохранен в папку '%s'.").c_str(),
                   displayText().c_str(), dest.c_str());
    installed = revision;
    copied = true;
    return 0;
}

TCString TCUPFileInfo::displayText() const {
    TCString text = description.isEmpty() ? TCString(*this) : description;
    if (revisionKind == UPF_REVISION_VERSION)
        text.cat_printf(zrnTranslateString(" версии %s").c_str(), TCModuleVersionInfo(revision).asText().c_str());
    else
        text.cat_printf(zrnTranslateString(" редакции от %s").c_str(), dateTimeStr(revision, false).c_str());
    return text;
}

void TCUpdateFilesList::loadInstalledRevisions() {
    versionsFile = versionsFileName();
    for (int i = 0; i < count(); ++i) {
        TCUPFileInfo* e = at(i);
        char value[1024];
        const uint32_t n = GetPrivateProfileStringA("modules", e->c_str(), "", value, sizeof value, versionsFile.c_str());
        e->installed = n ? TCString(value, n).asUInt(16, 0) : 0;
    }
}

void TCUpdateFilesList::saveRevisions() {
    if (versionsFile.isEmpty()) versionsFile = versionsFileName();
    for (int i = 0; i < count(); ++i) {
        const TCUPFileInfo* e = at(i);
        if (!e->copied) continue;  // what was not copied is offered again
        WritePrivateProfileStringA("modules", e->c_str(), TCString(int64_t(e->revision), 16).c_str(),
                                   versionsFile.c_str());
    }
}
