// Private keys, storage keys and certificates of a container.
#include "platform/core/keys/PrivateEVPKey.h"

#include "platform/core/container/KeyCrypto.h"

using namespace zrx;

TCPrivateEVPKey::TCPrivateEVPKey(container::KeyRecord rec) : rec_(std::move(rec)) {
    flags_ = rec_.flags | (rec_.purpose & kfPurposeMask);
    if (purpose() == kfKeyAgreement) flags_ |= kfKeyAgreementKey;
    keyId_.assign(rec_.id.data(), rec_.id.size());
}

TCPrivateEVPKey::~TCPrivateEVPKey() { EVP_PKEY_free(pub_); }

EVP_PKEY* TCPrivateEVPKey::publicKey() const {
    if (!pub_) pub_ = crypto::publicKeyFromDer(rec_.publicKey).release();
    return pub_;
}

bool TCPrivateEVPKey::matches(EVP_PKEY* pub) const {
    EVP_PKEY* mine = publicKey();
    return pub && mine && EVP_PKEY_eq(mine, pub) == 1;
}

void TCPrivateEVPKey::syncRecord() {
    rec_.purpose = flags_ & kfPurposeMask;
    rec_.flags = flags_ & ~(kfPurposeMask | kfKeyAgreementKey);
}

TCSymmetricKey::TCSymmetricKey(container::KeyRecord rec) : rec_(std::move(rec)) {
    flags_ = rec_.flags;
    keyId_.assign(rec_.id.data(), rec_.id.size());
}

TCCertBuff::TCCertBuff(const TZrX509& cert, uint32_t role, uint32_t flags) : cert_(cert), role_(role) {
    flags_ = flags | (cert_.keyFlags() & kfPurposeMask);
    std::string id = crypto::keyIdOf(cert_.publicKey());
    keyId_.assign(id.data(), id.size());
}

std::string TCCertBuff::der() const {
    std::vector<uint8_t> out;
    if (cert_.encode(out) >= 0xC0000000u) return {};
    return std::string(out.begin(), out.end());
}
