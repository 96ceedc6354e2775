#pragma once
// The PKCS#10 certificate request object.
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

#include "platform/core/x509/Asn1Base.h"
#include "platform/core/x509/ZrX509Name.h"

class TZrX509;
class TX509v3ExtList;

class TZrX509Req : public TZrX509Base {
public:
    TZrX509Req();
    explicit TZrX509Req(X509_REQ* r, bool takeOwnership = false);
    TZrX509Req(const TZrX509Req& other);
    TZrX509Req& operator=(const TZrX509Req& other);
    ~TZrX509Req() override;

    int getClass() const override { return zcRequest; }
    bool isEmpty() const override { return r_ == nullptr; }
    void clear() override;
    KResult decode(const void* der, size_t len) override;
    KResult encode(std::vector<uint8_t>& out) const override;
    const char* pemLabel() const override { return "CERTIFICATE REQUEST"; }
    void htmlView(TCString& out, int mode) const override;

    X509_REQ* handle() const { return r_; }
    void assign(X509_REQ* r, bool takeOwnership = false);

    const TZrX509Name* getSubject() const;
    TCString ownerName() const override;
    uint32_t keyFlags() const override;
    TCASN1OctetString keyID() const override;
    EVP_PKEY* publicKey() const;  // owned by the request
    TCString keyAlgorithmText() const;
    TCString signatureAlgorithmText() const;
    TX509v3ExtList extensions() const;
    // The challenge password attribute, empty when absent.
    TCString challengePassword() const;
    // Checks the request's own signature.
    KResult verifySelf() const;
    bool isSigned() const;

    // Builds a request from a certificate: its subject (standard attributes and
    // the maker's attributes named in keepAttrs, ';'-separated, e.g.
    // "zorenUID;zorenProfileID"), its public key and its extensions (those of
    // extList instead when given). With a key the request is signed; without
    // one it carries the public key and no valid signature.
    KResult fromExistX509(const TZrX509& cert, const char* keepAttrs, const TX509v3ExtList* extList,
                          EVP_PKEY* key = nullptr);
    // Builds a request from parts and signs it.
    KResult make(const TZrX509Name& subject, EVP_PKEY* key, const TX509v3ExtList* exts, const EVP_MD* md = nullptr);
    // Signs (or re-signs) with the key of the request's public key.
    KResult sign(EVP_PKEY* key, const EVP_MD* md = nullptr);

protected:
    bool acceptsPemLabel(const char* label) const override;

private:
    void resetCache();
    X509_REQ* r_ = nullptr;
    mutable std::unique_ptr<TZrX509Name> subject_;
};
