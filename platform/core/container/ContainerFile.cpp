// Key container file format (see docs/container-format.md).
#include "platform/core/container/ContainerFile.h"
#include "platform/runtime/FileUtils.h"

#include <fcntl.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zrx {

void secureWipe(void* p, size_t n) {
    if (p && n) OPENSSL_cleanse(p, n);
}

}  // namespace zrx

namespace zrx::container {

namespace {

// ---- body record tags ----
enum : uint16_t {
    kTagMeta = 0x0001,
    kTagKey = 0x0002,
    kTagRequest = 0x0003,
    kTagCert = 0x0004,

    kMetaName = 0x0010,
    kMetaOwner = 0x0011,
    kMetaMedia = 0x0012,
    kMetaLocation = 0x0013,
    kMetaProfile = 0x0014,
    kMetaFlags = 0x0015,
    kMetaUpdateTime = 0x0016,

    kKeyId = 0x0020,
    kKeyRole = 0x0021,
    kKeyPurpose = 0x0022,
    kKeyProfile = 0x0023,
    kKeyAlgorithm = 0x0024,
    kKeyCreated = 0x0025,
    kKeyNotBefore = 0x0026,
    kKeyNotAfter = 0x0027,
    kKeyPkcs8 = 0x0028,
    kKeyPublic = 0x0029,
    kKeyFlags = 0x002A,
    kKeySecret = 0x002B,
    kKeyHandle = 0x002C,

    kReqKeyId = 0x0030,
    kReqPurpose = 0x0031,
    kReqDer = 0x0032,
    kReqSigned = 0x0033,
    kReqProfile = 0x0034,
    kReqFlags = 0x0035,

    kCertRole = 0x0040,
    kCertDer = 0x0041,
    kCertFlags = 0x0042,
};

constexpr size_t kSaltLen = 16;
constexpr size_t kNonceLen = 12;
constexpr size_t kTagLen = 16;
constexpr size_t kKeyLen = 32;
// magic(8) version(2) kdf(1) reserved(1) p1 p2 p3 (12) saltLen(1) salt nonceLen(1) nonce bodyLen(4)
constexpr size_t kFixedHeader = 8 + 2 + 1 + 1 + 12;

std::atomic<void (*)(const char*)> g_beforeRename{nullptr};
KdfParams g_defaultKdf = KdfParams::scrypt();

// Writer of tag-length-value records into a growing buffer. The buffer may
// hold private keys, so it is a wiping one.
class Writer {
public:
    explicit Writer(SecureBytes& out) : out_(out) {}
    void u16(uint16_t v) {
        out_.push_back(uint8_t(v >> 8));
        out_.push_back(uint8_t(v));
    }
    void u32(uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) out_.push_back(uint8_t(v >> s));
    }
    void u64(uint64_t v) {
        for (int s = 56; s >= 0; s -= 8) out_.push_back(uint8_t(v >> s));
    }
    void bytes(uint16_t tag, const void* p, size_t n) {
        u16(tag);
        u32(uint32_t(n));
        const auto* b = static_cast<const uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
    }
    void str(uint16_t tag, const std::string& s) {
        if (!s.empty()) bytes(tag, s.data(), s.size());
    }
    void sec(uint16_t tag, const SecureBytes& s) {
        if (!s.empty()) bytes(tag, s.data(), s.size());
    }
    void num32(uint16_t tag, uint32_t v) {
        u16(tag);
        u32(4);
        u32(v);
    }
    void num64(uint16_t tag, int64_t v) {
        u16(tag);
        u32(8);
        u64(uint64_t(v));
    }
    // Nested record: reserves the length and patches it at the end.
    size_t open(uint16_t tag) {
        u16(tag);
        size_t at = out_.size();
        u32(0);
        return at;
    }
    void close(size_t at) {
        uint32_t len = uint32_t(out_.size() - at - 4);
        for (int i = 0; i < 4; ++i) out_[at + i] = uint8_t(len >> (24 - 8 * i));
    }

private:
    SecureBytes& out_;
};

// Reader over a bounded range; every read is checked.
struct Cursor {
    const uint8_t* p;
    size_t n;
    bool take(size_t k, const uint8_t*& at) {
        if (k > n) return false;
        at = p;
        p += k;
        n -= k;
        return true;
    }
    bool u8(uint8_t& v) {
        const uint8_t* a;
        if (!take(1, a)) return false;
        v = a[0];
        return true;
    }
    bool u16(uint16_t& v) {
        const uint8_t* a;
        if (!take(2, a)) return false;
        v = uint16_t(a[0] << 8 | a[1]);
        return true;
    }
    bool u32(uint32_t& v) {
        const uint8_t* a;
        if (!take(4, a)) return false;
        v = uint32_t(a[0]) << 24 | uint32_t(a[1]) << 16 | uint32_t(a[2]) << 8 | a[3];
        return true;
    }
    // One record: tag, then its value range.
    bool record(uint16_t& tag, Cursor& value) {
        uint32_t len;
        const uint8_t* a;
        if (!u16(tag) || !u32(len) || !take(len, a)) return false;
        value = {a, len};
        return true;
    }
};

bool asU32(const Cursor& v, uint32_t& out) {
    if (v.n != 4) return false;
    out = uint32_t(v.p[0]) << 24 | uint32_t(v.p[1]) << 16 | uint32_t(v.p[2]) << 8 | v.p[3];
    return true;
}
bool asI32(const Cursor& v, int32_t& out) {
    uint32_t u;
    if (!asU32(v, u)) return false;
    out = int32_t(u);
    return true;
}
bool asI64(const Cursor& v, int64_t& out) {
    if (v.n != 8) return false;
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u = u << 8 | v.p[i];
    out = int64_t(u);
    return true;
}
std::string asStr(const Cursor& v) { return std::string(reinterpret_cast<const char*>(v.p), v.n); }

// Calls `field` (tag, value) for each record inside a nested record; false
// on a damaged record or when `field` refuses a value.
template <class F> bool eachField(Cursor c, F field) {
    while (c.n) {
        uint16_t tag;
        Cursor v{};
        if (!c.record(tag, v) || !field(tag, v)) return false;
    }
    return true;
}

bool parseMeta(Cursor c, MetaRecord& m) {
    return eachField(c, [&m](uint16_t tag, const Cursor& v) {
        switch (tag) {
        case kMetaName: m.name = asStr(v); return true;
        case kMetaOwner: m.owner = asStr(v); return true;
        case kMetaMedia: return asU32(v, m.mediaType);
        case kMetaLocation: m.location = asStr(v); return true;
        case kMetaProfile: return asI32(v, m.profile);
        case kMetaFlags: return asU32(v, m.flags);
        case kMetaUpdateTime: return asI64(v, m.updateTime);
        default: return true;  // fields of later minor revisions are skipped
        }
    });
}

bool parseKey(Cursor c, KeyRecord& k) {
    const bool ok = eachField(c, [&k](uint16_t tag, const Cursor& v) {
        switch (tag) {
        case kKeyId: k.id = asStr(v); return true;
        case kKeyRole: return asU32(v, k.role);
        case kKeyPurpose: return asU32(v, k.purpose);
        case kKeyFlags: return asU32(v, k.flags);
        case kKeyProfile: return asI32(v, k.profile);
        case kKeyAlgorithm: k.algorithm = asStr(v); return true;
        case kKeyCreated: return asI64(v, k.created);
        case kKeyNotBefore: return asI64(v, k.notBefore);
        case kKeyNotAfter: return asI64(v, k.notAfter);
        case kKeyPkcs8: k.pkcs8.assignBytes(v.p, v.n); return true;
        case kKeyPublic: k.publicKey = asStr(v); return true;
        case kKeySecret: k.secret.assignBytes(v.p, v.n); return true;
        case kKeyHandle: k.handle = asStr(v); return true;
        default: return true;
        }
    });
    return ok && k.role >= kRoleActive && k.role <= kRoleStorage && !k.id.empty();
}

bool parseRequest(Cursor c, RequestRecord& r) {
    const bool ok = eachField(c, [&r](uint16_t tag, const Cursor& v) {
        switch (tag) {
        case kReqKeyId: r.keyId = asStr(v); return true;
        case kReqPurpose: return asU32(v, r.purpose);
        case kReqFlags: return asU32(v, r.flags);
        case kReqProfile: return asI32(v, r.profile);
        case kReqDer: r.der = asStr(v); return true;
        case kReqSigned: r.signedDer = asStr(v); return true;
        default: return true;
        }
    });
    return ok && !r.der.empty();
}

bool parseCert(Cursor c, CertRecord& r) {
    const bool ok = eachField(c, [&r](uint16_t tag, const Cursor& v) {
        switch (tag) {
        case kCertRole: return asU32(v, r.role);
        case kCertFlags: return asU32(v, r.flags);
        case kCertDer: r.der = asStr(v); return true;
        default: return true;
        }
    });
    return ok && !r.der.empty() && r.role >= kCertOwn && r.role <= kCertChain;
}

KResult deriveKey(const char* pw, size_t pwLen, const uint8_t* salt, size_t saltLen, const KdfParams& kdf,
                  SecureBytes& key) {
    key.assign(kKeyLen, 0);
    int ok = 0;
    if (kdf.id == KdfId::Scrypt) {
        ok = EVP_PBE_scrypt(pw, pwLen, salt, saltLen, uint64_t(1) << kdf.p1, kdf.p2, kdf.p3, uint64_t(1) << 31,
                            key.data(), kKeyLen);
    } else {
        ok = PKCS5_PBKDF2_HMAC(pw, int(pwLen), salt, int(saltLen), int(kdf.p1), EVP_sha256(), int(kKeyLen), key.data());
    }
    if (ok != 1) {
        key.wipe();
        return kErrCrypto;
    }
    return 0;
}

struct CipherCtx {
    EVP_CIPHER_CTX* c = EVP_CIPHER_CTX_new();
    ~CipherCtx() { EVP_CIPHER_CTX_free(c); }
};

// Parsed header; offsets point into the file bytes.
struct Header {
    uint16_t version = 0;
    KdfParams kdf;
    const uint8_t* salt = nullptr;
    size_t saltLen = 0;
    const uint8_t* nonce = nullptr;
    size_t nonceLen = 0;
    size_t headerLen = 0;  // bytes authenticated as associated data
    const uint8_t* body = nullptr;
    size_t bodyLen = 0;
    const uint8_t* tag = nullptr;
};

KResult parseHeader(const uint8_t* data, size_t size, Header& h) {
    if (!data || size < sizeof(kMagic) + 2) return kErrFormat;
    if (std::memcmp(data, kMagic, sizeof(kMagic)) != 0) return kErrFormat;
    Cursor c{data + sizeof(kMagic), size - sizeof(kMagic)};
    c.u16(h.version);
    if (h.version == 0) return kErrFormat;
    if (h.version > kFormatVersion) return kErrVersion;
    uint8_t kdfId = 0, reserved = 0;
    if (!c.u8(kdfId) || !c.u8(reserved) || !c.u32(h.kdf.p1) || !c.u32(h.kdf.p2) || !c.u32(h.kdf.p3)) return kErrFormat;
    if (kdfId != uint8_t(KdfId::Scrypt) && kdfId != uint8_t(KdfId::Pbkdf2Sha256)) return kErrFormat;
    h.kdf.id = KdfId(kdfId);
    if (reserved != 0 || !h.kdf.withinBounds()) return kErrFormat;
    uint8_t len = 0;
    if (!c.u8(len) || len < 8 || len > 64 || !c.take(len, h.salt)) return kErrFormat;
    h.saltLen = len;
    if (!c.u8(len) || len != kNonceLen || !c.take(len, h.nonce)) return kErrFormat;
    h.nonceLen = len;
    uint32_t bodyLen = 0;
    if (!c.u32(bodyLen)) return kErrFormat;
    h.headerLen = size - c.n;
    if (c.n != size_t(bodyLen) + kTagLen) return kErrFormat;  // truncated or trailing bytes
    c.take(bodyLen, h.body);
    h.bodyLen = bodyLen;
    c.take(kTagLen, h.tag);
    return 0;
}

}  // namespace

bool KdfParams::withinBounds() const {
    // scrypt memory is 128 * r * N bytes: at most 256 MiB.
    if (id == KdfId::Scrypt)
        return p1 >= 10 && p1 <= 20 && p2 >= 1 && p2 <= 32 && p3 >= 1 && p3 <= 4 &&
               (uint64_t(128) * p2 << p1) <= (uint64_t(256) << 20);
    if (id == KdfId::Pbkdf2Sha256) return p1 >= 10000 && p1 <= 10000000 && p2 == 0 && p3 == 0;
    return false;
}

KdfParams defaultKdf() { return g_defaultKdf; }
void setDefaultKdf(const KdfParams& p) {
    if (p.withinBounds()) g_defaultKdf = p;
}

std::string serializeContent(const ContainerImage& image) {
    SecureBytes buf;
    serializeContentTo(image, buf);
    return std::string(buf.view());
}

void serializeContentTo(const ContainerImage& image, SecureBytes& buf) {
    Writer w(buf);
    size_t at = w.open(kTagMeta);
    const MetaRecord& m = image.meta;
    w.str(kMetaName, m.name);
    w.str(kMetaOwner, m.owner);
    w.num32(kMetaMedia, m.mediaType);
    w.str(kMetaLocation, m.location);
    w.num32(kMetaProfile, uint32_t(m.profile));
    w.num32(kMetaFlags, m.flags);
    w.num64(kMetaUpdateTime, m.updateTime);
    w.close(at);
    for (const KeyRecord& k : image.keys) {
        at = w.open(kTagKey);
        w.str(kKeyId, k.id);
        w.num32(kKeyRole, k.role);
        w.num32(kKeyPurpose, k.purpose);
        w.num32(kKeyFlags, k.flags);
        w.num32(kKeyProfile, uint32_t(k.profile));
        w.str(kKeyAlgorithm, k.algorithm);
        w.num64(kKeyCreated, k.created);
        w.num64(kKeyNotBefore, k.notBefore);
        w.num64(kKeyNotAfter, k.notAfter);
        w.sec(kKeyPkcs8, k.pkcs8);
        w.str(kKeyPublic, k.publicKey);
        w.sec(kKeySecret, k.secret);
        w.str(kKeyHandle, k.handle);
        w.close(at);
    }
    for (const RequestRecord& r : image.requests) {
        at = w.open(kTagRequest);
        w.str(kReqKeyId, r.keyId);
        w.num32(kReqPurpose, r.purpose);
        w.num32(kReqFlags, r.flags);
        w.num32(kReqProfile, uint32_t(r.profile));
        w.str(kReqDer, r.der);
        w.str(kReqSigned, r.signedDer);
        w.close(at);
    }
    for (const CertRecord& c : image.certs) {
        at = w.open(kTagCert);
        w.num32(kCertRole, c.role);
        w.num32(kCertFlags, c.flags);
        w.str(kCertDer, c.der);
        w.close(at);
    }
}

KResult parseContent(const uint8_t* data, size_t size, ContainerImage& out) {
    ContainerImage img;
    Cursor c{data, size};
    bool haveMeta = false;
    while (c.n) {
        uint16_t tag;
        Cursor v{};
        if (!c.record(tag, v)) return kErrFormat;
        switch (tag) {
        case kTagMeta:
            if (haveMeta || !parseMeta(v, img.meta)) return kErrFormat;
            haveMeta = true;
            break;
        case kTagKey: {
            KeyRecord k;
            if (!parseKey(v, k)) return kErrFormat;
            img.keys.push_back(std::move(k));
            break;
        }
        case kTagRequest: {
            RequestRecord r;
            if (!parseRequest(v, r)) return kErrFormat;
            img.requests.push_back(std::move(r));
            break;
        }
        case kTagCert: {
            CertRecord r;
            if (!parseCert(v, r)) return kErrFormat;
            img.certs.push_back(std::move(r));
            break;
        }
        default: break;
        }
    }
    if (!haveMeta) return kErrFormat;
    out = std::move(img);
    return 0;
}

KResult encodeFile(const ContainerImage& image, const char* password, size_t passwordLen, const KdfParams& kdf,
                   std::string& out) {
    if (!password || passwordLen == 0) return kErrPassword;
    if (!kdf.withinBounds()) return kErrInvalidArg;
    uint8_t salt[kSaltLen], nonce[kNonceLen];
    if (RAND_bytes(salt, sizeof salt) != 1 || RAND_bytes(nonce, sizeof nonce) != 1) return kErrCrypto;

    SecureBytes plain;
    serializeContentTo(image, plain);
    // The whole file must stay within what the reader accepts, or the saved
    // container could never be opened again.
    const size_t overhead = kFixedHeader + 1 + kSaltLen + 1 + kNonceLen + 4 + kTagLen;
    if (plain.size() > kMaxFileSize - overhead) return kErrInvalidArg;

    std::string file(kMagic, sizeof kMagic);
    auto put32 = [&](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) file.push_back(char(uint8_t(v >> s)));
    };
    file.push_back(char(kFormatVersion >> 8));
    file.push_back(char(kFormatVersion & 0xff));
    file.push_back(char(kdf.id));
    file.push_back(0);
    put32(kdf.p1);
    put32(kdf.p2);
    put32(kdf.p3);
    file.push_back(char(kSaltLen));
    file.append(reinterpret_cast<const char*>(salt), kSaltLen);
    file.push_back(char(kNonceLen));
    file.append(reinterpret_cast<const char*>(nonce), kNonceLen);
    put32(uint32_t(plain.size()));

    SecureBytes key;
    if (KResult rc = deriveKey(password, passwordLen, salt, kSaltLen, kdf, key)) return rc;
    CipherCtx ctx;
    std::string body(plain.size(), '\0');
    uint8_t tag[kTagLen];
    int n = 0, fin = 0;
    bool ok =
        ctx.c && EVP_EncryptInit_ex(ctx.c, EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
        EVP_CIPHER_CTX_ctrl(ctx.c, EVP_CTRL_GCM_SET_IVLEN, int(kNonceLen), nullptr) == 1 &&
        EVP_EncryptInit_ex(ctx.c, nullptr, nullptr, key.data(), nonce) == 1 &&
        EVP_EncryptUpdate(ctx.c, nullptr, &n, reinterpret_cast<const uint8_t*>(file.data()), int(file.size())) == 1 &&
        EVP_EncryptUpdate(ctx.c, reinterpret_cast<uint8_t*>(body.data()), &n, plain.data(), int(plain.size())) == 1 &&
        EVP_EncryptFinal_ex(ctx.c, reinterpret_cast<uint8_t*>(body.data()) + n, &fin) == 1 &&
        EVP_CIPHER_CTX_ctrl(ctx.c, EVP_CTRL_GCM_GET_TAG, int(kTagLen), tag) == 1;
    key.wipe();
    if (!ok) return kErrCrypto;
    file += body;
    file.append(reinterpret_cast<const char*>(tag), kTagLen);
    out = std::move(file);
    return 0;
}

KResult readHeader(const uint8_t* data, size_t size, uint16_t& version, KdfParams& kdf) {
    Header h;
    KResult rc = parseHeader(data, size, h);
    version = h.version;
    if (rc == 0) kdf = h.kdf;
    return rc;
}

KResult decodeFile(const uint8_t* data, size_t size, const char* password, size_t passwordLen, ContainerImage& out) {
    if (size > kMaxFileSize) return kErrFormat;
    Header h;
    if (KResult rc = parseHeader(data, size, h)) return rc;
    if (!password || passwordLen == 0) return kErrPassword;

    SecureBytes key;
    if (KResult rc = deriveKey(password, passwordLen, h.salt, h.saltLen, h.kdf, key)) return rc;
    SecureBytes plain(h.bodyLen);
    CipherCtx ctx;
    int n = 0, fin = 0;
    bool ok = ctx.c && EVP_DecryptInit_ex(ctx.c, EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
              EVP_CIPHER_CTX_ctrl(ctx.c, EVP_CTRL_GCM_SET_IVLEN, int(h.nonceLen), nullptr) == 1 &&
              EVP_DecryptInit_ex(ctx.c, nullptr, nullptr, key.data(), h.nonce) == 1 &&
              EVP_DecryptUpdate(ctx.c, nullptr, &n, data, int(h.headerLen)) == 1 &&
              EVP_DecryptUpdate(ctx.c, plain.data(), &n, h.body, int(h.bodyLen)) == 1 &&
              EVP_CIPHER_CTX_ctrl(ctx.c, EVP_CTRL_GCM_SET_TAG, int(kTagLen), const_cast<uint8_t*>(h.tag)) == 1;
    // The final step checks the tag; nothing decrypted is used before it passes.
    if (ok) ok = EVP_DecryptFinal_ex(ctx.c, plain.data() + n, &fin) == 1;
    key.wipe();
    if (!ok) return kErrBadPasswordOrDamaged;
    return parseContent(plain.data(), plain.size(), out);
}

void setBeforeRenameHook(void (*hook)(const char*)) { g_beforeRename = hook; }

KResult writeFileAtomic(const std::string& path, const std::string& bytes) {
    if (path.empty()) return kErrInvalidArg;
    WholeFileWrite how;
    how.secret = true;
    if (auto hook = g_beforeRename.load()) how.beforeRename = hook;
    return writeWholeFile(path.c_str(), bytes.data(), bytes.size(), how) == 0 ? 0 : kErrIo;
}

KResult readWholeFile(const std::string& path, std::string& out) {
    // Non-blocking open: a FIFO or device planted at the path must not hang
    // the reader; anything but a regular file is refused right after.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? kErrNoFile : kErrIo;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return kErrIo;
    }
    if (size_t(st.st_size) > kMaxFileSize) {
        ::close(fd);
        return kErrFormat;
    }
    std::string buf;
    char chunk[65536];
    for (;;) {
        ssize_t r = ::read(fd, chunk, sizeof chunk);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            ::close(fd);
            return kErrIo;
        }
        if (r == 0) break;
        buf.append(chunk, size_t(r));
        if (buf.size() > kMaxFileSize) {
            ::close(fd);
            return kErrFormat;
        }
    }
    ::close(fd);
    out = std::move(buf);
    return 0;
}

const char* containerCodeText(KResult code) {
    switch (code) {
    case kErrBadPasswordOrDamaged: return "Неверный пароль контейнера или контейнер повреждён";
    case kErrFormat: return "Файл не является контейнером ключей или повреждён";
    case kErrVersion: return "Контейнер записан более новой версией формата";
    case kErrIo: return "Ошибка чтения или записи файла контейнера";
    case kErrNoFile: return "Файл контейнера не найден";
    case kErrBufferTooSmall: return "Объект не помещается в буфер";
    case kErrNoDevice: return "Носитель не найден";
    case kErrEmpty: return "Контейнер не загружен";
    case kErrNotInUpdate: return "Изменение контейнера вне режима обновления";
    case kErrKeyGen: return "Ошибка генерации ключей";
    case kErrAlgorithm: return "Алгоритм не поддерживается";
    case kErrPassword: return "Пароль не задан или недопустим";
    case kErrCrypto: return "Ошибка криптографической операции";
    case kErrNoSigningKey: return "Отсутствует ключ для подписи";
    case kErrInvalidArg: return "Недопустимый аргумент";
    case kErrCertNoKey: return "Сертификат не соответствует ключам контейнера";
    case kErrObjectMissing: return "Объект отсутствует в контейнере";
    case kErrKeysExist: return "Ключи этого назначения уже есть в контейнере";
    case kErrKeysNotCopyable: return "Личные ключи хранятся в устройстве и не могут быть скопированы";
    case kErrNotFound: return "Ключи или сертификат не найдены";
    case kErrRequestNotFound: return "Запрос на сертификат не найден";
    default: return nullptr;
    }
}

}  // namespace zrx::container
