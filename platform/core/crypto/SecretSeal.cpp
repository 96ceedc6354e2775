#include "platform/core/crypto/SecretSeal.h"

#include <fcntl.h>
#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/rand.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace zrx::crypto {

namespace {

constexpr uint8_t kShortVersion = 1;
constexpr uint8_t kLongVersion = 2;
constexpr size_t kNonceLen = 12;
constexpr size_t kTagLen = 16;
constexpr size_t kPlainMax = 1 + kSealedLongSecretMax;
static_assert(kSealedSecretSize == 1 + kNonceLen + 1 + kSealedSecretMax + kTagLen);
static_assert(kSealedLongSecretSize == 1 + kNonceLen + kPlainMax + kTagLen);
static_assert(kSealedLongSecretMax <= 255, "the length is one byte");

bool loadInstallSecret(const char* file, uint8_t secret[32]) {
    if (!file || !*file) return false;
    int fd = ::open(file, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT) {
        uint8_t fresh[32];
        if (RAND_bytes(fresh, sizeof fresh) != 1) return false;
        const std::string tmp = std::string(file) + ".new" + std::to_string(::getpid());
        const int w = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (w < 0) return false;
        const bool ok = ::write(w, fresh, sizeof fresh) == static_cast<ssize_t>(sizeof fresh) && ::fsync(w) == 0;
        ::close(w);
        // link() keeps a secret another process made meanwhile.
        const bool placed = ok && (::link(tmp.c_str(), file) == 0 || errno == EEXIST);
        ::unlink(tmp.c_str());
        OPENSSL_cleanse(fresh, sizeof fresh);
        if (!placed) return false;
        fd = ::open(file, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_size == 32;
    if (ok && (st.st_mode & 077)) ok = ::fchmod(fd, 0600) == 0;
    ok = ok && ::read(fd, secret, 32) == 32;
    ::close(fd);
    return ok;
}

bool deriveKey(const uint8_t secret[32], uint8_t key[32]) {
    EVP_KDF* kdf = EVP_KDF_fetch(nullptr, "HKDF", nullptr);
    if (!kdf) return false;
    EVP_KDF_CTX* ctx = EVP_KDF_CTX_new(kdf);
    EVP_KDF_free(kdf);
    if (!ctx) return false;
    char digest[] = "SHA256";
    char salt[] = "ZrXCA configuration secrets";
    char info[] = "AES-256-GCM v1";
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, const_cast<uint8_t*>(secret), 32),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, salt, sizeof salt - 1),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, info, sizeof info - 1),
        OSSL_PARAM_construct_end(),
    };
    const bool ok = EVP_KDF_derive(ctx, key, 32, params) == 1;
    EVP_KDF_CTX_free(ctx);
    return ok;
}

// The key of the installation secret in the file; false when there is none.
bool installKey(const char* secretFile, uint8_t key[32]) {
    uint8_t secret[32];
    if (!loadInstallSecret(secretFile, secret)) return false;
    const bool haveKey = deriveKey(secret, key);
    OPENSSL_cleanse(secret, sizeof secret);
    return haveKey;
}

bool gcm(bool encrypt, const uint8_t key[32], const uint8_t nonce[kNonceLen], std::string_view aad, const uint8_t* in,
         size_t len, uint8_t* out, uint8_t tag[kTagLen]) {
    EVP_CIPHER_CTX* c = EVP_CIPHER_CTX_new();
    if (!c) return false;
    int n = 0;
    bool ok = EVP_CipherInit_ex(c, EVP_aes_256_gcm(), nullptr, key, nonce, encrypt ? 1 : 0) == 1 &&
              EVP_CipherUpdate(c, nullptr, &n, reinterpret_cast<const uint8_t*>(aad.data()),
                               static_cast<int>(aad.size())) == 1 &&
              EVP_CipherUpdate(c, out, &n, in, static_cast<int>(len)) == 1;
    if (ok && !encrypt) ok = EVP_CIPHER_CTX_ctrl(c, EVP_CTRL_GCM_SET_TAG, kTagLen, tag) == 1;
    ok = ok && EVP_CipherFinal_ex(c, out + n, &n) == 1;
    if (ok && encrypt) ok = EVP_CIPHER_CTX_ctrl(c, EVP_CTRL_GCM_GET_TAG, kTagLen, tag) == 1;
    EVP_CIPHER_CTX_free(c);
    return ok;
}

}  // namespace

bool sealSecret(const char* secretFile, std::string_view label, std::string_view secret, std::string& sealed) {
    if (secret.size() > kSealedLongSecretMax) return false;
    uint8_t key[32];
    if (!installKey(secretFile, key)) return false;
    const bool isShort = secret.size() <= kSealedSecretMax;
    const size_t plainLen = 1 + (isShort ? kSealedSecretMax : kSealedLongSecretMax);
    uint8_t plain[kPlainMax] = {};
    plain[0] = static_cast<uint8_t>(secret.size());
    if (!secret.empty()) std::memcpy(plain + 1, secret.data(), secret.size());
    uint8_t out[kSealedLongSecretSize];
    const size_t outLen = 1 + kNonceLen + plainLen + kTagLen;
    out[0] = isShort ? kShortVersion : kLongVersion;
    const bool ok = RAND_bytes(out + 1, kNonceLen) == 1 && gcm(true, key, out + 1, label, plain, plainLen,
                                                               out + 1 + kNonceLen, out + 1 + kNonceLen + plainLen);
    if (ok) sealed.assign(reinterpret_cast<const char*>(out), outLen);
    OPENSSL_cleanse(plain, sizeof plain);
    OPENSSL_cleanse(key, sizeof key);
    return ok;
}

bool openSecret(const char* secretFile, std::string_view label, std::string_view sealed, TCSecretString& secret) {
    size_t secretMax = 0;
    if (sealed.size() == kSealedSecretSize && static_cast<uint8_t>(sealed[0]) == kShortVersion)
        secretMax = kSealedSecretMax;
    else if (sealed.size() == kSealedLongSecretSize && static_cast<uint8_t>(sealed[0]) == kLongVersion)
        secretMax = kSealedLongSecretMax;
    else return false;
    uint8_t key[32];
    if (!installKey(secretFile, key)) return false;
    const size_t plainLen = 1 + secretMax;
    uint8_t plain[kPlainMax] = {};
    const auto* b = reinterpret_cast<const uint8_t*>(sealed.data());
    uint8_t tag[kTagLen];
    std::memcpy(tag, b + 1 + kNonceLen + plainLen, kTagLen);
    const bool ok = gcm(false, key, b + 1, label, b + 1 + kNonceLen, plainLen, plain, tag) && plain[0] <= secretMax;
    if (ok) secret.assign(reinterpret_cast<const char*>(plain + 1), plain[0]);
    OPENSSL_cleanse(plain, sizeof plain);
    OPENSSL_cleanse(key, sizeof key);
    return ok;
}

}  // namespace zrx::crypto
