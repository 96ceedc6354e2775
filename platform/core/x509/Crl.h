#pragma once
// The certificate revocation list object.
#include <openssl/x509.h>

#include <memory>

#include "platform/core/x509/Asn1Base.h"
#include "platform/core/x509/ZrX509Name.h"

class TZrX509;
class TZrXRevokedCert;

class TZrXCrl : public TZrX509Base {
public:
    TZrXCrl();
    TZrXCrl(const TZrXCrl& other);
    TZrXCrl& operator=(const TZrXCrl& other);
    ~TZrXCrl() override;

    int getClass() const override { return zcCrl; }
    bool isEmpty() const override { return crl_ == nullptr; }
    void clear() override;
    KResult decode(const void* der, size_t len) override;
    KResult encode(std::vector<uint8_t>& out) const override;
    const char* pemLabel() const override { return "X509 CRL"; }
    // Screen/print form: the summary, with the revoked entries when there are
    // at most 1000 of them.
    void htmlView(TCString& out, int mode) const override;
    // The full list of revoked entries whatever their number (print: print form).
    void htmlView(TCString& out, bool print) const;

    X509_CRL* handle() const { return crl_; }
    const TZrX509Name* getIssuer() const;
    TCString ownerName() const override;
    uint32_t keyFlags() const override { return 0; }
    TCASN1OctetString keyID() const override;  // the authority key identifier
    int64_t thisUpdate() const;
    int64_t nextUpdate() const;  // 0 when absent
    TCString crlNumber() const;
    int numRev() const;
    // Entry i (a new object the caller owns), null outside the range.
    TZrXRevokedCert* revokedAt(int i) const;
    // True when the serial (hex) is listed.
    bool isRevoked(const char* serialHex) const;
    KResult verify(const TZrX509& issuer) const;

protected:
    KResult verifySigner(const TZrX509& issuer) const override { return verify(issuer); }

private:
    void renderHtml(TCString& out, int mode, bool withEntries) const;
    X509_CRL* crl_ = nullptr;
    mutable std::unique_ptr<TZrX509Name> issuer_;
};
