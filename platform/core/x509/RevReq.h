#pragma once
// Revocation entries and the revocation request: our own record
//   ZrXRevRequest ::= SEQUENCE {
//     version        INTEGER (1),
//     issuer         Name,
//     serialNumber   INTEGER,
//     reason         ENUMERATED,          -- CRLReason
//     revocationTime GeneralizedTime,
//     invalidityTime [0] EXPLICIT GeneralizedTime OPTIONAL,
//     ownerName      [1] EXPLICIT UTF8String OPTIONAL }
// carried as the content (type zorenRevRequest) of CMS signed data.
#include "platform/core/x509/Pkcs7.h"

// The revoked certificate's part: issuer, serial, reason and times.
class TZrXRevokedCert {
public:
    TZrXRevokedCert() = default;
    TZrXRevokedCert(const TZrXRevokedCert&) = default;
    TZrXRevokedCert& operator=(const TZrXRevokedCert&) = default;
    virtual ~TZrXRevokedCert() = default;

    TZrX509Name issuer;
    std::vector<uint8_t> serial;  // big-endian magnitude
    int reason = 0;               // CRLReason
    int64_t revocationTime = 0;
    int64_t invalidityTime = 0;  // 0: none
    TCString ownerName;

    TCString serialStr() const;
    // Appends the entry's HTML (mode 0 screen, 1 print) under the caption.
    void htmlView(TCString& out, int mode, const char* caption = nullptr) const;
};

// Text of a CRLReason value (translated).
TCString getRevokedReason(int reason);
// Caption of a revoked entry shown after a request: "Отзываемый сертификат ..." with the reason.
TCString getRevokedCertCaption(const TZrXRevokedCert* entry, int reason);

class TZrXRevReq : public TZrXNPkcs7 {
public:
    TZrXRevReq() { class_ = zcRevRequest; }
    explicit TZrXRevReq(const TZrXRevokedCert& entry) : TZrXRevReq() { assign(entry); }
    void clear() override;
    bool isEmpty() const override { return !entry_; }
    KResult encode(std::vector<uint8_t>& out) const override;
    void htmlView(TCString& out, int mode) const override;
    TCString ownerName() const override;
    uint32_t keyFlags() const override { return 0; }

    void assign(const TZrXRevokedCert& entry);
    void assignCommonName(const char* name);
    // The revoked entry (owned by the request; null before assign/decode). With
    // detach the caller gets a copy of its own.
    const TZrXRevokedCert* revokedCert(bool detach = false) const;
    int reason() const { return entry_ ? entry_->reason : 0; }
    // Signs the record with the signer's certificate and key.
    KResult sign(const TZrX509& signer, EVP_PKEY* key);
    bool isSigned() const { return cms_ != nullptr; }

    // DER of the inner record alone (for tests and checks).
    KResult encodeRecord(std::vector<uint8_t>& out) const;
    KResult decodeRecord(const void* der, size_t len);

protected:
    KResult contentDecoded() override;

private:
    std::unique_ptr<TZrXRevokedCert> entry_;
};
