#pragma once
// Key algorithms, key generation and the signing primitives of containers,
// over OpenSSL 3.
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/container/ContainerCodes.h"
#include "platform/core/container/SecureBytes.h"

namespace zrx::crypto {

// Key purposes, as in key flags.
inline constexpr uint32_t kPurposeSign = 0x20000;
inline constexpr uint32_t kPurposeKA = 0x10000;

struct KeyAlgorithm {
    enum Kind { None, EC, RSA, Ed25519, X25519, ECDH };
    Kind kind = None;
    int curveNid = 0;  // EC and ECDH
    int bits = 0;      // RSA

    // Parses "EC:P-256", "EC:P-384", "RSA:2048".."RSA:4096", "Ed25519",
    // "ECDH:P-256", "ECDH:P-384", "X25519" (case-insensitive, also the
    // OpenSSL curve names prime256v1/secp384r1). Unknown: kind None.
    static KeyAlgorithm parse(const std::string& text);
    // From an algorithm identifier: id-ecPublicKey with a named curve (a
    // signature key unless keyAgreement), rsaEncryption (2048 bits unless
    // given), Ed25519, X25519.
    static KeyAlgorithm fromAlgor(const X509_ALGOR* alg, bool keyAgreement, int rsaBits = 2048);
    bool valid() const { return kind != None; }
    std::string text() const;
    bool canSign() const { return kind == EC || kind == RSA || kind == Ed25519; }
    uint32_t purpose() const { return (kind == X25519 || kind == ECDH) ? kPurposeKA : kPurposeSign; }
};

struct PkeyFree {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};
using PkeyPtr = std::unique_ptr<EVP_PKEY, PkeyFree>;

KResult generateKey(const KeyAlgorithm& alg, PkeyPtr& out);

// Key identifier: SHA-1 of the subjectPublicKey bit string (20 bytes).
std::string keyIdOf(EVP_PKEY* key);
std::string keyIdOfSpki(const std::string& spkiDer);
std::string publicKeyDer(EVP_PKEY* key);
PkeyPtr publicKeyFromDer(const std::string& spkiDer);
bool exportPkcs8(EVP_PKEY* key, SecureBytes& out);
PkeyPtr importPkcs8(const SecureBytes& der);
// Digest a key signs with: SHA-384 for P-384, none for Ed25519, else SHA-256.
const EVP_MD* signDigest(EVP_PKEY* key);

std::string hexOf(const std::string& bytes);
// Hex text to bytes; ':' and blanks are ignored; false when not hex.
bool bytesOfHex(const std::string& hex, std::string& out);

// PKCS#10: subject, extensions and challenge password; the public key is
// subjectKey's; the signature is made with signer (subjectKey itself when
// it can sign). Returns DER.
KResult makeRequest(EVP_PKEY* subjectKey, EVP_PKEY* signer, const X509_NAME* subject,
                    const STACK_OF(X509_EXTENSION) * exts, const std::string& challenge, std::string& der);

// CMS SignedData with the data embedded, signed by key with its certificate
// included. kErrAlgorithm for Ed25519 keys (no CMS support in OpenSSL 3.0).
KResult cmsSign(const std::string& data, EVP_PKEY* key, const std::string& certDer, std::string& der);

}  // namespace zrx::crypto
