#pragma once
// Private keys of a container, its symmetric storage keys and certificates.
#include <openssl/evp.h>

#include <memory>

#include "platform/core/container/ContainerFile.h"
#include "platform/core/keys/KeysList.h"
#include "platform/core/x509/ZrX509.h"

// A key pair. The private part stays as the record's PKCS#8 (wiped when
// released) or in a device; signing goes through the content, which asks
// its storage backend for a usable key.
class TCPrivateEVPKey : public TCSBaseBuff {
public:
    explicit TCPrivateEVPKey(zrx::container::KeyRecord rec);
    const zrx::container::KeyRecord& record() const { return rec_; }
    zrx::container::KeyRecord& record() { return rec_; }
    const std::string& algorithm() const { return rec_.algorithm; }
    int64_t created() const { return rec_.created; }
    int64_t notBefore() const { return rec_.notBefore; }
    int64_t notAfter() const { return rec_.notAfter; }
    void setUsagePeriod(int64_t from, int64_t to) {
        rec_.notBefore = from;
        rec_.notAfter = to;
    }
    int32_t profile() const { return rec_.profile; }
    bool isStartup() const { return checkFlags(kfStartup); }
    bool isKeyAgreement() const { return purpose() == kfKeyAgreement; }
    // The public key (owned by this object).
    EVP_PKEY* publicKey() const;
    bool matches(EVP_PKEY* pub) const;
    // Syncs flags and identifier back into the record (before saving).
    void syncRecord();

private:
    zrx::container::KeyRecord rec_;
    mutable EVP_PKEY* pub_ = nullptr;

public:
    ~TCPrivateEVPKey() override;
    TCPrivateEVPKey(const TCPrivateEVPKey&) = delete;
    TCPrivateEVPKey& operator=(const TCPrivateEVPKey&) = delete;
};

// A symmetric storage key.
class TCSymmetricKey : public TCSBaseBuff {
public:
    explicit TCSymmetricKey(zrx::container::KeyRecord rec);
    const zrx::container::KeyRecord& record() const { return rec_; }
    // Key length in bytes.
    size_t length() const { return rec_.secret.size(); }

private:
    zrx::container::KeyRecord rec_;
};

// A stored certificate with its role in the container.
class TCCertBuff : public TCSBaseBuff {
public:
    TCCertBuff(const TZrX509& cert, uint32_t role, uint32_t flags);
    TZrX509* object() { return &cert_; }
    const TZrX509* object() const { return &cert_; }
    uint32_t role() const { return role_; }
    void setRole(uint32_t r) { role_ = r; }
    std::string der() const;

private:
    TZrX509 cert_;
    uint32_t role_;
};
