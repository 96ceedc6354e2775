#include "platform/core/x509/Crl.h"

#include <algorithm>

#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/x509v3.h>

#include "platform/core/x509/RevReq.h"
#include "platform/core/x509/X509Util.h"
#include "platform/core/x509/ZrX509.h"

using namespace zrx::x509;

TZrXCrl::TZrXCrl() = default;

TZrXCrl::TZrXCrl(const TZrXCrl& other) : TZrX509Base(other) {
    if (other.crl_) {
        X509_CRL_up_ref(other.crl_);
        crl_ = other.crl_;
    }
}

TZrXCrl& TZrXCrl::operator=(const TZrXCrl& other) {
    if (this != &other) {
        TZrX509Base::operator=(other);
        if (other.crl_) X509_CRL_up_ref(other.crl_);
        X509_CRL_free(crl_);
        crl_ = other.crl_;
        issuer_.reset();
    }
    return *this;
}

TZrXCrl::~TZrXCrl() { X509_CRL_free(crl_); }

void TZrXCrl::clear() {
    X509_CRL_free(crl_);
    crl_ = nullptr;
    issuer_.reset();
    attached_.clear();
}

KResult TZrXCrl::decode(const void* der, size_t len) {
    clear();
    X509_CRL* c = zrxDecodeWhole(der, len, d2i_X509_CRL, X509_CRL_free);
    if (!c) return kErrDerDecode;
    crl_ = c;
    return 0;
}

KResult TZrXCrl::encode(std::vector<uint8_t>& out) const {
    out.clear();
    if (!crl_) return kErrEmptyObject;
    return zrxEncodeDer(crl_, i2d_X509_CRL, out) ? 0 : kErrDerEncode;
}

const TZrX509Name* TZrXCrl::getIssuer() const {
    if (!issuer_) issuer_ = std::make_unique<TZrX509Name>(crl_ ? X509_CRL_get_issuer(crl_) : nullptr);
    return issuer_.get();
}

TCString TZrXCrl::ownerName() const { return crl_ ? getIssuer()->ownerName() : TCString(); }

TCASN1OctetString TZrXCrl::keyID() const {
    if (!crl_) return TCASN1OctetString();
    auto* akid =
        static_cast<AUTHORITY_KEYID*>(X509_CRL_get_ext_d2i(crl_, NID_authority_key_identifier, nullptr, nullptr));
    TCASN1OctetString id(akid ? akid->keyid : nullptr);
    AUTHORITY_KEYID_free(akid);
    ERR_clear_error();
    return id;
}

int64_t TZrXCrl::thisUpdate() const { return crl_ ? TCASN1Time(X509_CRL_get0_lastUpdate(crl_)).time() : 0; }

int64_t TZrXCrl::nextUpdate() const {
    if (!crl_) return 0;
    const ASN1_TIME* t = X509_CRL_get0_nextUpdate(crl_);
    return t ? TCASN1Time(t).time() : 0;
}

TCString TZrXCrl::crlNumber() const {
    if (!crl_) return TCString();
    auto* num = static_cast<ASN1_INTEGER*>(X509_CRL_get_ext_d2i(crl_, NID_crl_number, nullptr, nullptr));
    TCString s = num ? zrxIntegerHex(num) : TCString();
    ASN1_INTEGER_free(num);
    ERR_clear_error();
    return s;
}

int TZrXCrl::numRev() const {
    if (!crl_) return 0;
    STACK_OF(X509_REVOKED)* revs = X509_CRL_get_REVOKED(crl_);
    return revs ? sk_X509_REVOKED_num(revs) : 0;
}

TZrXRevokedCert* TZrXCrl::revokedAt(int i) const {
    if (i < 0 || i >= numRev()) return nullptr;
    X509_REVOKED* r = sk_X509_REVOKED_value(X509_CRL_get_REVOKED(crl_), i);
    auto* e = new TZrXRevokedCert();
    e->issuer = *getIssuer();
    e->serial = zrxIntegerBytes(X509_REVOKED_get0_serialNumber(r));
    e->revocationTime = TCASN1Time(X509_REVOKED_get0_revocationDate(r)).time();
    int crit = 0;
    auto* reason = static_cast<ASN1_ENUMERATED*>(X509_REVOKED_get_ext_d2i(r, NID_crl_reason, &crit, nullptr));
    if (reason) {
        long v = ASN1_ENUMERATED_get(reason);
        e->reason = v < 0 || v > 255 ? 0 : static_cast<int>(v);
        ASN1_ENUMERATED_free(reason);
    }
    auto* inv = static_cast<ASN1_GENERALIZEDTIME*>(X509_REVOKED_get_ext_d2i(r, NID_invalidity_date, &crit, nullptr));
    if (inv) {
        e->invalidityTime = TCASN1Time(inv).time();
        ASN1_GENERALIZEDTIME_free(inv);
    }
    ERR_clear_error();
    return e;
}

bool TZrXCrl::isRevoked(const char* serialHex) const {
    if (!crl_ || !serialHex) return false;
    TCASN1OctetString text;
    if (failed(text.fromHex(serialHex)) || text.isEmpty()) return false;
    // magnitudes compare without leading zero bytes, as zrxIntegerBytes gives them
    std::vector<uint8_t> want = text.bytes();
    want.erase(want.begin(), std::find_if(want.begin(), want.end(), [](uint8_t b) { return b != 0; }));
    STACK_OF(X509_REVOKED)* revs = X509_CRL_get_REVOKED(crl_);
    for (int i = 0; i < sk_X509_REVOKED_num(revs); ++i) {
        const ASN1_INTEGER* serial = X509_REVOKED_get0_serialNumber(sk_X509_REVOKED_value(revs, i));
        if (ASN1_STRING_type(serial) != V_ASN1_NEG_INTEGER && zrxIntegerBytes(serial) == want) return true;
    }
    return false;
}

KResult TZrXCrl::verify(const TZrX509& issuer) const {
    if (!crl_ || issuer.isEmpty()) return kErrEmptyObject;
    if (X509_NAME_cmp(X509_CRL_get_issuer(crl_), X509_get_subject_name(issuer.handle())) != 0) return kErrNameMismatch;
    EVP_PKEY* key = issuer.publicKey();
    if (!key) return kErrNoKey;
    int r = X509_CRL_verify(crl_, key);
    ERR_clear_error();
    return r == 1 ? 0 : kErrBadSignature;
}

void TZrXCrl::htmlView(TCString& out, int mode) const { renderHtml(out, mode, numRev() <= 1000); }

void TZrXCrl::htmlView(TCString& out, bool print) const { renderHtml(out, print ? zhPrint : zhScreen, true); }
