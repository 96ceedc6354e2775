#pragma once
// Base classes of the X.509 objects: DER/PEM coding, files, captions, HTML.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/core/x509/Asn1Types.h"
#include "platform/core/x509/ZrXErrors.h"
#include "platform/runtime/TCString.h"

// Object classes (getClass).
enum ZrXObjClass : int {
    zcUnknown = 0,
    zcCertificate = 2,
    zcRequest = 3,
    zcSignedRequest = 8,
    zcRevRequest = 9,
    zcCrl = 16,
    zcPkcs7 = 20,
};

// HTML rendering modes.
enum ZrXHtmlMode : int { zhScreen = 0, zhPrint = 1 };

class TCASN1Base {
public:
    virtual ~TCASN1Base() = default;

    virtual int getClass() const = 0;
    // Nominative caption ("Сертификат") and genitive ("сертификата"), translated.
    virtual TCString caption() const { return getZrXCaption(getClass()); }
    virtual TCString gi_caption() const { return getZrXGI_caption(getClass()); }
    virtual bool isEmpty() const = 0;
    virtual void clear() = 0;

    // DER. decode replaces the content; on failure the object is left empty.
    virtual KResult decode(const void* der, size_t len) = 0;
    virtual KResult encode(std::vector<uint8_t>& out) const = 0;
    // DER into a buffer that OpenSSL allocates (release with OPENSSL_free /
    // CRYPTO_free); answers the length, or -1 with *out null.
    int i2d(unsigned char** out) const;
    // DER into the caller's buffer. *len holds the buffer size on entry and the
    // object's length on return; an object that does not fit is
    // kErrBufferTooSmall and nothing is written.
    KResult copyTo(void* buf, size_t* len) const;

    // PEM: the label of this kind, and text conversions.
    virtual const char* pemLabel() const = 0;
    KResult toPem(TCString& out) const;
    // Decodes DER or PEM (any of the kind's labels) from memory.
    KResult decodeAny(const void* data, size_t len);

    // Files: DER or PEM detected on reading; written atomically.
    KResult readFile(const char* fileName);
    KResult writeFile(const char* fileName, bool pem) const;
    bool loadFromFile(const char* fileName) { return !zrx::x509::failed(readFile(fileName)); }
    bool saveToFile(const char* fileName, bool pem) const { return !zrx::x509::failed(writeFile(fileName, pem)); }

    // HTML of the object, mode 0 screen, 1 print. Replaces the text.
    virtual void htmlView(TCString& out, int mode) const = 0;

protected:
    // Extra PEM labels accepted on reading (besides pemLabel()).
    virtual bool acceptsPemLabel(const char* label) const;
};

// Certificate statuses (TZrX509Base::status).
enum : uint32_t {
    zsUnknown = 0,
    zsValid = 0x2002,  // in its validity period
    zsNotYetValid = 0x2004,
    zsExpired = 0x2006,
};

// Key and usage flags of an object (keyFlags()).
enum : uint32_t {
    zfCA = 0x1,                // certification authority (basicConstraints CA)
    zfTlsClient = 0x2,         // extendedKeyUsage clientAuth
    zfRoot = 0x4,              // self-signed authority
    zfTimeStamping = 0x20,     // extendedKeyUsage timeStamping
    zfStart = 0x400,           // start-up (temporary) certificate
    zfEmail = 0x2000,          // extendedKeyUsage emailProtection
    zfKeyAgreement = 0x10000,  // keyAgreement / keyEncipherment / dataEncipherment
    zfSignature = 0x20000,     // digitalSignature / nonRepudiation
    zfOCSP = 0x200000,         // extendedKeyUsage OCSPSigning
    zfCMP = 0x400000,          // certificate-management service
    zfVpnClient = 0x800000,    // extendedKeyUsage ipsecUser
    zfVpnServer = 0x8000000,   // extendedKeyUsage serverAuth / ipsecEndSystem
};

class TZrX509Base : public TCASN1Base {
public:
    uint32_t status() const { return status_; }
    void status(uint32_t s) { status_ = s; }
    uint32_t getStatus() const { return status_; }
    void setStatus(uint32_t s) { status_ = s; }
    // Status from the object's own data at the given time (-1: now).
    virtual uint32_t computeStatus(int64_t at = -1) const {
        (void)at;
        return status_;
    }

    // Owner name (the subject's common name; the issuer's for a revocation list).
    virtual TCString ownerName() const = 0;
    // Key-kind and usage flags (zf* bits).
    virtual uint32_t keyFlags() const = 0;
    // The key identifier (subject key identifier, or the SHA-1 of the public key).
    virtual TCASN1OctetString keyID() const { return TCASN1OctetString(); }
    TCASN1OctetString getKeyID() const { return keyID(); }
    TCString getKeyIDStr() const { return keyID().toHex(false); }
    // The key profile name the object was made for, or null.
    const char* profile() const { return profile_.isEmpty() ? nullptr : profile_.c_str(); }
    // " ЭП", " связи", " ЭП и связи" (translated); withoutBlank drops the leading blank.
    TCString getKindDescirption(bool withoutBlank) const;
    bool isForSign() const { return (keyFlags() & zfSignature) != 0; }
    int isForKeyAgreement() const { return (keyFlags() & (zfKeyAgreement | zfSignature)) == zfKeyAgreement ? 1 : 0; }
    // A short one-line text: owner name and serial or key identifier.
    virtual TCString shortText() const { return ownerName(); }
    // Certificates that signed the object (issuers of certificates and lists,
    // signers of signed records). Not owned by the caller.
    virtual int signerCount() const { return static_cast<int>(attached_.size()); }
    virtual const class TZrX509* getSigner(int index) const;
    // Attaches the certificate that issued a certificate or a list (a copy),
    // so that views can show it; it must have signed the object
    // (kErrBadSignature / kErrNameMismatch otherwise).
    KResult attachSigner(const class TZrX509& issuer);

protected:
    // Checks that the certificate signed this object (no check by default).
    virtual KResult verifySigner(const class TZrX509& issuer) const {
        (void)issuer;
        return 0;
    }
    std::vector<std::shared_ptr<const class TZrX509>> attached_;
    uint32_t status_ = zsUnknown;
    TCString profile_;
};
