// Storage backends of key containers: registry and the file backend.
#include "platform/core/container/KeyStorage.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <mutex>

namespace zrx {

using namespace container;

namespace {

std::vector<MediaInfo>& mediaTable() {
    static std::vector<MediaInfo> table;
    return table;
}
std::mutex g_mediaLock;

size_t pwLen(const char* pw) { return pw ? strnlen(pw, 4096) : 0; }

}  // namespace

KResult TCKeyStorage::generateKey(const crypto::KeyAlgorithm& alg, const char*, KeyRecord& rec) {
    crypto::PkeyPtr key;
    if (KResult rc = crypto::generateKey(alg, key)) return rc;
    rec.algorithm = alg.text();
    rec.purpose = alg.purpose();
    rec.publicKey = crypto::publicKeyDer(key.get());
    rec.id = crypto::keyIdOfSpki(rec.publicKey);
    if (rec.id.empty() || !crypto::exportPkcs8(key.get(), rec.pkcs8)) return kErrKeyGen;
    return 0;
}

crypto::PkeyPtr TCKeyStorage::signingKey(const KeyRecord& rec, const char*) {
    if (rec.pkcs8.empty()) return nullptr;
    return crypto::importPkcs8(rec.pkcs8);
}

KResult TCKeyStorage::findKeys(const char*, uint32_t, std::string*) { return kErrNotFound; }
KResult TCKeyStorage::clean(const char*, uint32_t) { return 0; }
KResult TCKeyStorage::removeKey(const KeyRecord&, const char*) { return 0; }
KResult TCKeyStorage::changeDevicePassword(const char*, const char*) { return kErrNoDevice; }

void registerKeyStorage(const MediaInfo& media) {
    std::lock_guard<std::mutex> g(g_mediaLock);
    for (MediaInfo& m : mediaTable())
        if (m.prefix == media.prefix) {
            m = media;
            return;
        }
    mediaTable().push_back(media);
}

const std::vector<MediaInfo>& registeredMedia() { return mediaTable(); }

bool isDeviceLocation(const std::string& location) {
    // "c:name" where c is not a letter or digit ('$' for tokens); registered
    // prefixes count whatever they are.
    if (location.size() < 2 || location[1] != ':') return false;
    unsigned char c = static_cast<unsigned char>(location[0]);
    for (const MediaInfo& m : mediaTable())
        if (m.prefix == char(c)) return true;
    return !std::isalnum(c) && c != '.' && c != '/' && c != '~' && c != '_' && c != '-';
}

uint32_t mediaTypeOfLocation(const std::string& location) {
    if (!isDeviceLocation(location)) return 0;
    for (const MediaInfo& m : mediaTable())
        if (m.prefix == location[0]) return m.mediaType;
    // HSM tokens keep their code even before their backend is loaded.
    return location[0] == '$' ? 36u : kUnknownMedia;
}

KResult openKeyStorage(const std::string& location, std::unique_ptr<TCKeyStorage>& out) {
    if (location.empty()) return kErrInvalidArg;
    if (!isDeviceLocation(location)) {
        out = std::make_unique<TCFileKeyStorage>(location);
        return 0;
    }
    for (const MediaInfo& m : mediaTable())
        if (m.prefix == location[0] && m.factory) {
            out = m.factory(location);
            return out ? 0 : kErrNoDevice;
        }
    return kErrNoDevice;
}

bool TCFileKeyStorage::exists() const {
    struct stat st {};
    return ::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

KResult TCFileKeyStorage::load(const char* password, ContainerImage& out) {
    std::string bytes;
    if (KResult rc = readWholeFile(path_, bytes)) return rc;
    return decodeFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), password, pwLen(password), out);
}

KResult TCFileKeyStorage::save(const char* password, const ContainerImage& in) {
    std::string bytes;
    if (KResult rc = encodeFile(in, password, pwLen(password), defaultKdf(), bytes)) return rc;
    return writeFileAtomic(path_, bytes);
}

KResult TCFileKeyStorage::findKeys(const char* password, uint32_t purposeMask, std::string*) {
    if (!exists()) return kErrNotFound;
    ContainerImage img;
    if (KResult rc = load(password, img)) return rc;
    for (const KeyRecord& k : img.keys)
        if (k.role != kRoleStorage && (k.purpose & purposeMask)) return 0;
    return kErrNotFound;
}

KResult TCFileKeyStorage::clean(const char*, uint32_t) {
    // A file is replaced as a whole when the new container is saved.
    return 0;
}

}  // namespace zrx
