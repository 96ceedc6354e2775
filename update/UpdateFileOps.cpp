// The entries' digests, download, copy and display text, and the versions file.
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

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
#include "update/WinHttpClient.h"

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

// Update digests use the CryptoPro parameter set (docs/update-list.md).
const TGost28147SBox* updateDigestSBox() { return getGostR3411CryptoProSBlock(); }

// The digest of a plain file taken while it is received, so a wrong file
// needs no second reading to be refused.
class TReceivedDigest : public TDownloadObserver {
public:
    TReceivedDigest() : digest_(updateDigestSBox()) {}
    void restart() override {
        digest_.begin();
        began_ = true;
    }
    void data(const void* bytes, size_t len) override {
        if (len) digest_.update(bytes, len);
    }
    bool began() const { return began_; }
    void finish(uint8_t out[32]) {
        digest_.end();
        digest_.getHash(out, nullptr);
    }

private:
    TCG3411Hash digest_;
    bool began_ = false;
};

// Makes the folder and the missing ones above it, each with the mode of the
// folder it is made in: 0 or a negative error number.
int makeFoldersLikeParent(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path path = fs::path(folder).lexically_normal();
    if (path.has_relative_path() && path.filename().empty()) path = path.parent_path();
    std::vector<fs::path> missing;
    for (fs::path at = path; !at.empty() && !fs::exists(at, ec); at = at.parent_path()) {
        missing.push_back(at);
        if (at == at.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const fs::perms mode = fs::status(it->parent_path(), ec).permissions();
        if (ec) return -ec.value();
        fs::create_directory(*it, ec);
        if (ec) return -ec.value();
        fs::permissions(*it, mode & fs::perms::mask, ec);
        if (ec) return -ec.value();
    }
    return 0;
}

}  // namespace

KResult TCUPFileInfo::computeHash(const char* folder, uint8_t out[32]) const {
    TCG3411Hash digest(updateDigestSBox());
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
    return matchHash(actual, quiet);
}

KResult TCUPFileInfo::matchHash(const uint8_t actual[32], bool quiet) const {
    if (std::memcmp(actual, hash, sizeof hash) == 0) return 0;
    if (!quiet)
        KV_HLogFmtText(kDigestDiffers, zrnTranslateString("Контроль хеш-функции модуля '%s'.%s!").c_str(), c_str(),
                       KRTL_GetTextMessage(kDigestDiffers).c_str());
    return kDigestDiffers;
}

uint64_t TCUPFileInfo::downloadLimit() const {
    if (size == 0) return updateFileCap();
    return size < kMaxUpdateDownload ? size : kMaxUpdateDownload;
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
        // Bounded by what the list says; a plain file is hashed as it arrives.
        TReceivedDigest received;
        TFetchLimits limits;
        limits.maxSize = downloadLimit();
        if (kind == UPF_KIND_FILE) limits.observer = &received;
        KResult r = fetchFile(TCString::format("%s/%s", link.c_str(), c_str()).c_str(), folder, &settings, &limits);
        if (r == 0 && received.began()) {
            uint8_t actual[32];
            received.finish(actual);
            r = matchHash(actual, false);
        } else if (r == 0) {
            r = checkHash(folder, false);
        }
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
    // On a new installation the destination does not exist yet.
    if (!dirExists(dest.c_str())) {
        const int made = makeFoldersLikeParent(dest.str());
        if (made != 0) {
            const KResult code = systemResult(made);
            KV_HLogFmtText(code, zrnTranslateString("Создание папки '%s' для обновленного файла '%s'. %s!").c_str(),
                           dest.c_str(), c_str(), KRTL_GetTextMessage(code).c_str());
            return code;
        }
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
    else text.cat_printf(zrnTranslateString(" редакции от %s").c_str(), dateTimeStr(revision, false).c_str());
    return text;
}

void TCUpdateFilesList::loadInstalledRevisions() {
    versionsFile = versionsFileName();
    for (int i = 0; i < count(); ++i) {
        TCUPFileInfo* e = at(i);
        char value[1024];
        const uint32_t n =
            GetPrivateProfileStringA("modules", e->c_str(), "", value, sizeof value, versionsFile.c_str());
        e->installed = n ? TCString(value, n).asUInt(16, 0) : 0;
    }
}

void TCUpdateFilesList::saveRevisions() {
    if (versionsFile.isEmpty()) versionsFile = versionsFileName();
    for (int i = 0; i < count(); ++i) {
        const TCUPFileInfo* e = at(i);
        if (!e->copied && !e->started) continue;  // what was not applied is offered again
        WritePrivateProfileStringA("modules", e->c_str(), TCString(int64_t(e->revision), 16).c_str(),
                                   versionsFile.c_str());
    }
}
