#pragma once
// Certificate lists and chains with real verification.
#include <memory>
#include <vector>

#include "platform/core/x509/Pkcs7.h"
#include "platform/core/x509/ZrX509.h"

class TCStringList;

// An owning list of certificates, read from and written to PKCS#7.
class TZrX509List {
public:
    TZrX509List() = default;
    TZrX509List(const TZrX509List& other);
    TZrX509List& operator=(const TZrX509List& other);
    virtual ~TZrX509List() = default;

    int count() const { return static_cast<int>(items_.size()); }
    bool isEmpty() const { return items_.empty(); }
    TZrX509* at(int i) const;
    TZrX509* operator[](int i) const { return at(i); }
    int indexOf(const TZrX509* cert) const;
    // Stores a copy (flags bit 1; otherwise too) and answers the index of the
    // stored copy; a certificate already in the list (same DER) is not added
    // twice and its index is answered. -1 for an empty certificate.
    int add(const TZrX509& cert, int flags = 1);
    // Takes the certificate; answers its index (or the twin's, deleting it).
    int addOwned(TZrX509* cert);
    bool remove(int i);
    virtual void clear() { items_.clear(); }

    // PKCS#7 (DER or PEM), a PEM bundle of certificates or one certificate.
    KResult readP7(const char* fileName);
    KResult writeP7(const char* fileName, bool pem) const;
    KResult fromBin(const void* data, size_t len);
    KResult toBin(std::vector<uint8_t>& der) const;  // certs-only PKCS#7 DER
    KResult fromPKCS7(const TZrXNPkcs7& p7);

    // The certificate in the list that issued cert (name, key identifier and
    // signature checked); a self-signed certificate answers itself.
    TZrX509* findSigner(const TZrX509& cert) const;
    TZrX509* byKeyID(const TCASN1OctetString& keyID) const;
    TZrX509* byKeyIDStr(const char* keyIDHex) const;
    // True when a certificate's key identifier text is in the list.
    bool containsAnyCert(const TCStringList& keyIDs) const;
    bool containsAnyCert(const std::vector<TCString>& keyIDs) const;

protected:
    std::vector<std::unique_ptr<TZrX509>> items_;
};

class TCXCertsChain : public TZrX509List {
public:
    TCXCertsChain() = default;
    ~TCXCertsChain() override = default;

    // The end-entity certificate: the first one that issued no other of the
    // chain (item 0 when every one did), null for an empty chain.
    TZrX509* getFirst() const;
    // Position (1-based) of the first certificate from *pos on whose issuer is
    // missing from the chain; true then. pos may be null (start at 1).
    bool isBroken(int* pos) const;
    // Verifies every certificate of the chain up to a root of the chain
    // (issuers not in the chain are asked from the lookup). On failure *pos is
    // the 1-based position of the failing certificate. at: -1 now.
    KResult verify(int* pos, TZrXCertLookupFunc lookup = nullptr, void* context = nullptr, int64_t at = -1) const;
    // Verifies one certificate against the chain.
    KResult verifyCert(const TZrX509& cert, TZrXCertLookupFunc lookup = nullptr, void* context = nullptr,
                       int64_t at = -1) const;
    // Builds the chain from a certificate: the chain is cleared, the
    // certificate added, then its issuers from the lookup up to a root. A
    // missing issuer leaves the chain as far as it got (kErrIssuerNotFound);
    // a certificate met twice ends the building (kErrChainCycle).
    KResult load(const TZrX509& cert, TZrXCertLookupFunc lookup, void* context);
    // The same with issuers taken from a set of certificates.
    KResult build(const TZrX509& cert, const TZrX509List& set);

private:
    KResult verifyOne(const TZrX509& cert, TZrXCertLookupFunc lookup, void* context, int64_t at, int* failPos) const;
};
