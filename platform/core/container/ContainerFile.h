#pragma once
// Key container file format: header, password-derived key, AES-256-GCM body.
// The layout is described in docs/container-format.md; keep both in step.
//
// This module knows nothing of the content classes: it turns a
// ContainerImage (plain records) into file bytes and back. Every reader
// check happens before anything is handed out, so a damaged or hostile file
// gives a failure code and never a partly filled image.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/container/ContainerCodes.h"
#include "platform/core/container/SecureBytes.h"

namespace zrx::container {

inline constexpr char kMagic[8] = {'Z', 'R', 'X', 'K', 'C', 'N', 'T', '\x1a'};
inline constexpr uint16_t kFormatVersion = 1;

enum class KdfId : uint8_t { Scrypt = 1, Pbkdf2Sha256 = 2 };

struct KdfParams {
    KdfId id = KdfId::Scrypt;
    // scrypt: log2(N), r, p. PBKDF2: iterations, 0, 0.
    uint32_t p1 = 17, p2 = 8, p3 = 1;

    static KdfParams scrypt(uint32_t log2N = 17, uint32_t r = 8, uint32_t p = 1) {
        return {KdfId::Scrypt, log2N, r, p};
    }
    static KdfParams pbkdf2(uint32_t iterations = 600000) { return {KdfId::Pbkdf2Sha256, iterations, 0, 0}; }
    // Bounds a reader accepts; outside them a file is refused before any
    // work, so a forged header cannot make the reader spend minutes or GBs.
    bool withinBounds() const;
};

// The parameters new files get (scrypt N=2^17, r=8, p=1: 128 MiB). Tests and
// benchmarks may lower them for speed; files record what they used.
KdfParams defaultKdf();
void setDefaultKdf(const KdfParams& p);

// Container metadata.
struct MetaRecord {
    std::string name;        // container name
    std::string owner;       // owner's common name
    uint32_t mediaType = 0;  // 0 = file
    std::string location;    // file path or device location
    int32_t profile = -1;    // key profile identifier
    uint32_t flags = 0;      // MetaFlags
    int64_t updateTime = 0;  // seconds since the epoch of the last change
};
enum MetaFlags : uint32_t { kMetaStartupPassword = 0x1, kMetaActiveMode = 0x2 };

// Roles of private keys.
enum KeyRole : uint32_t { kRoleActive = 1, kRoleNext = 2, kRolePrevious = 3, kRoleStorage = 4 };

struct KeyRecord {
    std::string id;  // SHA-1 of the public key (20 bytes); storage keys: any identifier
    uint32_t role = kRoleActive;
    uint32_t purpose = 0;  // 0x20000 signature, 0x10000 key agreement
    uint32_t flags = 0;    // key flags (0x800000 start-up key, ...)
    int32_t profile = -1;
    std::string algorithm;  // "EC:P-256", "RSA:3072", "Ed25519", "X25519", ...
    int64_t created = 0;
    int64_t notBefore = 0;  // usage period; 0 when not limited
    int64_t notAfter = 0;
    SecureBytes pkcs8;      // private key, PKCS#8 DER (empty for keys held by a device)
    std::string publicKey;  // SubjectPublicKeyInfo DER
    SecureBytes secret;     // storage keys: the symmetric key
    std::string handle;     // device keys: the backend's reference to the key
};

struct RequestRecord {
    std::string keyId;
    uint32_t purpose = 0;
    uint32_t flags = 0;
    int32_t profile = -1;
    std::string der;        // PKCS#10
    std::string signedDer;  // CMS signed data over the PKCS#10 request, empty when none
};

enum CertRole : uint32_t { kCertOwn = 1, kCertOwnNext = 2, kCertPrevious = 3, kCertStorage = 4, kCertChain = 5 };

struct CertRecord {
    uint32_t role = kCertOwn;
    uint32_t flags = 0;
    std::string der;
};

struct ContainerImage {
    MetaRecord meta;
    std::vector<KeyRecord> keys;
    std::vector<RequestRecord> requests;
    std::vector<CertRecord> certs;
};

// Serialises the content (no encryption); parses it back with full bounds checks.
std::string serializeContent(const ContainerImage& image);
void serializeContentTo(const ContainerImage& image, SecureBytes& out);
KResult parseContent(const uint8_t* data, size_t size, ContainerImage& out);

// Whole file: encrypts with a key derived from the password.
KResult encodeFile(const ContainerImage& image, const char* password, size_t passwordLen, const KdfParams& kdf,
                   std::string& out);
// Checks structure, version and KDF bounds first, then decrypts and parses.
// Wrong password and altered bytes are indistinguishable by design (GCM):
// both give kErrBadPasswordOrDamaged.
KResult decodeFile(const uint8_t* data, size_t size, const char* password, size_t passwordLen, ContainerImage& out);
// Header fields without the password (for tools and tests).
KResult readHeader(const uint8_t* data, size_t size, uint16_t& version, KdfParams& kdf);

// Files. Writes go to a temporary file beside the target, are flushed to
// disk and renamed over it, so a crash leaves the old or the new file.
KResult writeFileAtomic(const std::string& path, const std::string& bytes);
KResult readWholeFile(const std::string& path, std::string& out);
// Test hook called after the temporary file is complete and before the rename.
void setBeforeRenameHook(void (*hook)(const char* tempPath));

// Largest container file the reader accepts.
inline constexpr size_t kMaxFileSize = 64u * 1024u * 1024u;

}  // namespace zrx::container
