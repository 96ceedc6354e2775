#pragma once
// The certificate object over OpenSSL's X509.
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

#include "platform/core/x509/Asn1Base.h"
#include "platform/core/x509/ZrX509Name.h"

class TZrX509Req;
class TZrXRevokedCert;
class TX509v3ExtList;

class TZrX509 : public TZrX509Base {
public:
    TZrX509();
    explicit TZrX509(X509* x, bool takeOwnership = false);  // copies unless owned
    TZrX509(const TZrX509& other);
    TZrX509& operator=(const TZrX509& other);
    ~TZrX509() override;

    int getClass() const override { return zcCertificate; }
    bool isEmpty() const override { return x_ == nullptr; }
    void clear() override;
    KResult decode(const void* der, size_t len) override;
    KResult encode(std::vector<uint8_t>& out) const override;
    const char* pemLabel() const override { return "CERTIFICATE"; }
    void htmlView(TCString& out, int mode) const override;

    X509* handle() const { return x_; }
    // Replaces the content by a copy (or by x itself when taking ownership).
    void assign(X509* x, bool takeOwnership = false);

    // Names.
    const TZrX509Name* getIssuer() const;
    const TZrX509Name* getSubject() const;
    TCString ownerName() const override;
    // The subject's serialNumber attribute.
    TCString getSubjectSerial() const;

    // Serial number as upper-case hex.
    TCString getSerialStr() const;
    // Validity (seconds since 1970, UTC).
    int64_t getNotBefore_time() const;
    int64_t getNotAfter_time() const;
    TCASN1Time getNotBefore() const;
    TCASN1Time getNotAfter() const;
    // <0 expired, 0 valid, >0 not yet valid at the time (-1: now).
    int checkDate(int64_t at = -1) const;
    bool isExpired(int64_t at = -1) const { return checkDate(at) < 0; }
    uint32_t computeStatus(int64_t at = -1) const override;

    bool isCA() const;
    bool isSelfIssued() const;  // issuer name equals subject name
    bool isSelfSigned() const;  // self-issued and its signature verifies with its own key
    bool isRootCA() const { return isCA() && isSelfSigned(); }
    bool isStart() const;  // carries the start-up (temporary) certificate usage

    uint32_t keyFlags() const override;
    TCASN1OctetString keyID() const override;
    // The authority key identifier (the issuer's key identifier), empty when absent.
    TCASN1OctetString getAuthKeyID() const;
    TCString getAuthKeyIDStr() const { return getAuthKeyID().toHex(false); }
    TCString shortText() const override;

    // The public key (owned by the certificate).
    EVP_PKEY* publicKey() const;
    // True when this is a certificate of the request's key: the key
    // identifiers are equal and so are the public keys themselves.
    bool certifiesKeyOf(const TZrX509Req& request) const;
    // Key algorithm text ("EC P-256", "RSA 2048", "ED25519"...).
    TCString keyAlgorithmText() const;
    TCString signatureAlgorithmText() const;
    // Colon-separated upper-case fingerprint.
    TCString fingerprint(const EVP_MD* md) const;
    // The certificate's extensions (a copy).
    TX509v3ExtList extensions() const;

    // Verifies the signature with the issuer's key and that the issuer's
    // subject is this certificate's issuer name.
    KResult verify(const TZrX509& issuer) const;

    // Fills the certificate from a request: subject, public key and extensions;
    // the certificate is not signed until mkSelfIssued.
    KResult fromRequest(const TZrX509Req& req);
    // Issues the certificate to itself for [start, end] signed with the key
    // (which must match the certificate's public key). md null: the key's default.
    KResult mkSelfIssued(EVP_PKEY* key, int64_t start, int64_t end, const EVP_MD* md = nullptr);
    // A revocation entry for this certificate: reason (CRLReason), revocation
    // time (0: now), invalidity time (0: none); withOwner keeps the owner name.
    TZrXRevokedCert* makeRev(int reason, int64_t revTime, int64_t invalidityTime, bool withOwner) const;

protected:
    bool acceptsPemLabel(const char* label) const override;
    KResult verifySigner(const TZrX509& issuer) const override { return verify(issuer); }

private:
    void resetCache();
    X509* x_ = nullptr;
    mutable std::unique_ptr<TZrX509Name> issuer_, subject_;
};
