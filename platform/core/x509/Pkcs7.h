#pragma once
// CMS/PKCS#7 signed data: the base of signed records (TZrXNPkcs7), the plain
// certificate set (TZrXPkcs7) and the signed request (TZrXSignedReq).
#include <openssl/cms.h>

#include <memory>
#include <vector>

#include "platform/core/x509/Asn1Base.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"

// Finds the certificate of a signer when the signed data does not carry it:
// answers a new certificate (the caller takes it) or null. The signer is given
// by its key identifier (may be empty) and issuer name with serial (may be null).
using TZrXCertLookupFunc = TZrX509* (*)(void* context, const TCASN1OctetString& keyID, const TZrX509Name* issuer,
                                        const char* serialHex);

class TZrXNPkcs7 : public TZrX509Base {
public:
    TZrXNPkcs7();
    TZrXNPkcs7(const TZrXNPkcs7& other);
    TZrXNPkcs7& operator=(const TZrXNPkcs7& other);
    ~TZrXNPkcs7() override;

    int getClass() const override { return class_; }
    void setClass(int c) { class_ = c; }
    bool isEmpty() const override { return cms_ == nullptr && certs_.empty(); }
    void clear() override;
    KResult decode(const void* der, size_t len) override;
    KResult encode(std::vector<uint8_t>& out) const override;
    const char* pemLabel() const override { return "PKCS7"; }
    void htmlView(TCString& out, int mode) const override;
    TCString ownerName() const override;
    uint32_t keyFlags() const override;

    // Certificates carried (and added by initCertList).
    int numCert() const { return static_cast<int>(certs_.size()); }
    const TZrX509* certAt(int i) const;
    int addCert(const TZrX509& cert);
    // Completes the certificate list: each signer whose certificate is missing
    // is looked up. Answers the number of signers with a certificate.
    int initCertList(TZrXCertLookupFunc lookup, void* context);
    // Signers (SignerInfos) and their certificates.
    int numSigners() const;
    int signerCount() const override;
    const TZrX509* getSigner(int index) const override;
    // The certificate of the last signer, null when unknown.
    const TZrX509* lastIssuer() const;
    // Verifies every signature over the content (signers' certificates must be known).
    KResult verifySignatures() const;
    // The signed content and its type (null/empty without content).
    const std::vector<uint8_t>& content() const { return content_; }
    int contentTypeNid() const { return contentNid_; }

    // Signs content of the given type with the certificate and its key, keeping
    // the signer's certificate in the structure.
    KResult signContent(const void* data, size_t len, int contentNid, const TZrX509& signer, EVP_PKEY* key);

protected:
    bool acceptsPemLabel(const char* label) const override;
    KResult loadCms(CMS_ContentInfo* cms);  // takes ownership
    virtual KResult contentDecoded() { return 0; }
    const TZrX509* certForSigner(CMS_SignerInfo* si) const;

    int class_ = zcPkcs7;
    CMS_ContentInfo* cms_ = nullptr;
    std::vector<std::unique_ptr<TZrX509>> certs_;
    std::vector<uint8_t> content_;
    int contentNid_ = 0;
};

// A set of certificates (certs-only PKCS#7), class 20 unless set otherwise.
class TZrXPkcs7 : public TZrXNPkcs7 {
public:
    TZrXPkcs7() = default;
    KResult encode(std::vector<uint8_t>& out) const override;
    void htmlView(TCString& out, int mode) const override;
};

// Confirmation of a signed request, read from the request and its signer.
struct TZrXConfirmedMode {
    bool confirmedByStart = false;  // signed with a start-up certificate
    bool confirmedBySelf = false;   // signed by the owner's current certificate
    bool isPretermChanged = false;  // the signing certificate still had more than 30 days to run
};

// A PKCS#10 request signed (CMS) with the owner's current certificate, class 8.
class TZrXSignedReq : public TZrXNPkcs7 {
public:
    TZrXSignedReq() { class_ = zcSignedRequest; }
    void clear() override;
    void htmlView(TCString& out, int mode) const override;
    TCString ownerName() const override;
    uint32_t keyFlags() const override;
    TCASN1OctetString keyID() const override;

    const TZrX509Req* request() const { return req_.get(); }
    // Signs a request with the signer's certificate and key.
    KResult sign(const TZrX509Req& req, const TZrX509& signer, EVP_PKEY* key);
    TZrXConfirmedMode getConfirmedMode() const;

protected:
    KResult contentDecoded() override;

private:
    std::unique_ptr<TZrX509Req> req_;
};
