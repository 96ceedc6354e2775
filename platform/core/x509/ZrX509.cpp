#include "platform/core/x509/ZrX509.h"

#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/x509v3.h>

#include <cstring>

#include "platform/core/x509/ExtList.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/x509/RevReq.h"
#include "platform/core/x509/X509Util.h"
#include "platform/core/x509/ZrX509Req.h"

using namespace zrx::x509;

TZrX509::TZrX509() = default;

TZrX509::TZrX509(X509* x, bool takeOwnership) { assign(x, takeOwnership); }

TZrX509::TZrX509(const TZrX509& other) : TZrX509Base(other) {
    if (other.x_) {
        X509_up_ref(other.x_);
        x_ = other.x_;
    }
}

TZrX509& TZrX509::operator=(const TZrX509& other) {
    if (this != &other) {
        assign(other.x_);
        TZrX509Base::operator=(other);
    }
    return *this;
}

TZrX509::~TZrX509() { X509_free(x_); }

bool TZrX509::acceptsPemLabel(const char* label) const {
    return strcmp(label, "CERTIFICATE") == 0 || strcmp(label, "X509 CERTIFICATE") == 0;
}

void TZrX509::resetCache() {
    issuer_.reset();
    subject_.reset();
    attached_.clear();
}

void TZrX509::clear() {
    X509_free(x_);
    x_ = nullptr;
    profile_.clear();
    resetCache();
}

void TZrX509::assign(X509* x, bool takeOwnership) {
    if (x == x_) {
        if (takeOwnership && x) X509_free(x);  // we already hold a reference
        return;
    }
    X509* keep = x;
    if (x && !takeOwnership) X509_up_ref(x);
    X509_free(x_);
    x_ = keep;
    resetCache();
    profile_.clear();
    if (x_) {
        zrxRegisterObjects();
        profile_ = TZrX509Name(X509_get_subject_name(x_)).getEntryByNid(zrxNid(ZrXObject::ProfileID));
        status_ = computeStatus();
    }
}

KResult TZrX509::decode(const void* der, size_t len) {
    clear();
    // trailing bytes mean the input was not one certificate
    X509* x = zrxDecodeWhole(der, len, d2i_X509, X509_free);
    if (!x) return kErrDerDecode;
    assign(x, true);
    return 0;
}

KResult TZrX509::encode(std::vector<uint8_t>& out) const {
    out.clear();
    if (!x_) return kErrEmptyObject;
    return zrxEncodeDer(x_, i2d_X509, out) ? 0 : kErrDerEncode;
}

const TZrX509Name* TZrX509::getIssuer() const {
    if (!issuer_) issuer_ = std::make_unique<TZrX509Name>(x_ ? X509_get_issuer_name(x_) : nullptr);
    return issuer_.get();
}

const TZrX509Name* TZrX509::getSubject() const {
    if (!subject_) subject_ = std::make_unique<TZrX509Name>(x_ ? X509_get_subject_name(x_) : nullptr);
    return subject_.get();
}

TCString TZrX509::ownerName() const { return x_ ? getSubject()->ownerName() : TCString(); }

TCString TZrX509::getSubjectSerial() const { return getSubject()->getEntryByNid(NID_serialNumber); }

TCString TZrX509::getSerialStr() const { return x_ ? zrxIntegerHex(X509_get0_serialNumber(x_)) : TCString(); }

TCASN1Time TZrX509::getNotBefore() const { return x_ ? TCASN1Time(X509_get0_notBefore(x_)) : TCASN1Time(); }
TCASN1Time TZrX509::getNotAfter() const { return x_ ? TCASN1Time(X509_get0_notAfter(x_)) : TCASN1Time(); }
int64_t TZrX509::getNotBefore_time() const { return getNotBefore().time(); }
int64_t TZrX509::getNotAfter_time() const { return getNotAfter().time(); }

int TZrX509::checkDate(int64_t at) const {
    if (!x_) return -1;
    if (at == -1) at = TCASN1Time::now();
    TCASN1Time nb = getNotBefore(), na = getNotAfter();
    if (!na.isSet() || at > na.time()) return -1;
    if (!nb.isSet() || at < nb.time()) return 1;
    return 0;
}

uint32_t TZrX509::computeStatus(int64_t at) const {
    if (!x_) return zsUnknown;
    int d = checkDate(at);
    return d < 0 ? zsExpired : d > 0 ? zsNotYetValid : zsValid;
}

bool TZrX509::isCA() const { return x_ && X509_check_ca(x_) != 0 && (X509_get_extension_flags(x_) & EXFLAG_CA); }

bool TZrX509::isSelfIssued() const {
    return x_ && X509_NAME_cmp(X509_get_issuer_name(x_), X509_get_subject_name(x_)) == 0;
}

bool TZrX509::isSelfSigned() const {
    if (!isSelfIssued()) return false;
    EVP_PKEY* key = X509_get0_pubkey(x_);
    bool ok = key && X509_verify(x_, key) == 1;
    ERR_clear_error();
    return ok;
}

static bool ekuHas(EXTENDED_KEY_USAGE* eku, int nid) {
    if (!eku || nid == NID_undef) return false;
    for (int i = 0; i < sk_ASN1_OBJECT_num(eku); ++i)
        if (OBJ_obj2nid(sk_ASN1_OBJECT_value(eku, i)) == nid) return true;
    return false;
}

bool TZrX509::isStart() const {
    if (!x_) return false;
    auto* eku = static_cast<EXTENDED_KEY_USAGE*>(X509_get_ext_d2i(x_, NID_ext_key_usage, nullptr, nullptr));
    bool r = ekuHas(eku, zrxNid(ZrXObject::TempCertificate));
    sk_ASN1_OBJECT_pop_free(eku, ASN1_OBJECT_free);
    ERR_clear_error();
    return r;
}

// Usage flags from keyUsage and extendedKeyUsage, shared with requests.
uint32_t zrxUsageFlags(const STACK_OF(X509_EXTENSION) * exts) {
    uint32_t f = 0;
    if (!exts) return 0;
    int idx = X509v3_get_ext_by_NID(exts, NID_key_usage, -1);
    if (idx >= 0) {
        auto* ku = static_cast<ASN1_BIT_STRING*>(X509V3_EXT_d2i(X509v3_get_ext(exts, idx)));
        if (ku) {
            if (ASN1_BIT_STRING_get_bit(ku, 0) || ASN1_BIT_STRING_get_bit(ku, 1)) f |= zfSignature;
            if (ASN1_BIT_STRING_get_bit(ku, 2) || ASN1_BIT_STRING_get_bit(ku, 3) || ASN1_BIT_STRING_get_bit(ku, 4))
                f |= zfKeyAgreement;
            ASN1_BIT_STRING_free(ku);
        }
    }
    idx = X509v3_get_ext_by_NID(exts, NID_ext_key_usage, -1);
    if (idx >= 0) {
        auto* eku = static_cast<EXTENDED_KEY_USAGE*>(X509V3_EXT_d2i(X509v3_get_ext(exts, idx)));
        if (eku) {
            if (ekuHas(eku, NID_client_auth)) f |= zfTlsClient;
            if (ekuHas(eku, NID_server_auth) || ekuHas(eku, NID_ipsecEndSystem)) f |= zfVpnServer;
            if (ekuHas(eku, NID_ipsecUser)) f |= zfVpnClient;
            if (ekuHas(eku, NID_time_stamp)) f |= zfTimeStamping;
            if (ekuHas(eku, NID_OCSP_sign)) f |= zfOCSP;
            if (ekuHas(eku, NID_email_protect)) f |= zfEmail;
            if (ekuHas(eku, zrxNid(ZrXObject::CmpRA))) f |= zfCMP;
            if (ekuHas(eku, zrxNid(ZrXObject::TempCertificate))) f |= zfStart;
            sk_ASN1_OBJECT_pop_free(eku, ASN1_OBJECT_free);
        }
    }
    idx = X509v3_get_ext_by_NID(exts, NID_basic_constraints, -1);
    if (idx >= 0) {
        auto* bc = static_cast<BASIC_CONSTRAINTS*>(X509V3_EXT_d2i(X509v3_get_ext(exts, idx)));
        if (bc) {
            if (bc->ca) f |= zfCA;
            BASIC_CONSTRAINTS_free(bc);
        }
    }
    ERR_clear_error();
    return f;
}

uint32_t TZrX509::keyFlags() const {
    if (!x_) return 0;
    uint32_t f = zrxUsageFlags(X509_get0_extensions(x_));
    if (!isCA()) f &= ~zfCA;
    else if (isSelfSigned()) f |= zfRoot;
    return f;
}

TCASN1OctetString TZrX509::keyID() const {
    if (!x_) return TCASN1OctetString();
    const ASN1_OCTET_STRING* ski = X509_get0_subject_key_id(x_);
    ERR_clear_error();
    if (ski && ASN1_STRING_length(ski) > 0) return TCASN1OctetString(ski);
    std::vector<uint8_t> h = zrxKeyHash(X509_get_X509_PUBKEY(x_));
    return TCASN1OctetString(h.data(), h.size());
}

bool TZrX509::certifiesKeyOf(const TZrX509Req& request) const {
    EVP_PKEY* mine = publicKey();
    EVP_PKEY* theirs = request.publicKey();
    return mine && theirs && keyID() == request.keyID() && EVP_PKEY_eq(mine, theirs) == 1;
}

TCASN1OctetString TZrX509::getAuthKeyID() const {
    if (!x_) return TCASN1OctetString();
    const ASN1_OCTET_STRING* aki = X509_get0_authority_key_id(x_);
    ERR_clear_error();
    return TCASN1OctetString(aki);
}

TCString TZrX509::shortText() const {
    if (!x_) return TCString();
    return TCString::format("%s (SN %s)", zrxVisibleText(ownerName().view()).c_str(), getSerialStr().c_str());
}

EVP_PKEY* TZrX509::publicKey() const { return x_ ? X509_get0_pubkey(x_) : nullptr; }

TCString TZrX509::keyAlgorithmText() const { return zrxKeyText(publicKey()); }

TCString TZrX509::signatureAlgorithmText() const {
    if (!x_) return TCString();
    const X509_ALGOR* alg = nullptr;
    X509_get0_signature(nullptr, &alg, x_);
    return zrxSigAlgText(alg);
}

TCString TZrX509::fingerprint(const EVP_MD* md) const {
    if (!x_ || !md) return TCString();
    unsigned char buf[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (!X509_digest(x_, md, buf, &n)) return TCString();
    return TCASN1OctetString(buf, n).toHex(true);
}

TX509v3ExtList TZrX509::extensions() const { return TX509v3ExtList(x_ ? X509_get0_extensions(x_) : nullptr); }

KResult TZrX509::verify(const TZrX509& issuer) const {
    if (!x_ || !issuer.x_) return kErrEmptyObject;
    if (X509_NAME_cmp(X509_get_issuer_name(x_), X509_get_subject_name(issuer.x_)) != 0) return kErrNameMismatch;
    EVP_PKEY* key = X509_get0_pubkey(issuer.x_);
    if (!key) {
        ERR_clear_error();
        return kErrNoKey;
    }
    int r = X509_verify(x_, key);
    ERR_clear_error();
    return r == 1 ? 0 : kErrBadSignature;
}

KResult TZrX509::fromRequest(const TZrX509Req& req) {
    if (req.isEmpty()) return kErrEmptyObject;
    X509_REQ* r = req.handle();
    EVP_PKEY* pub = X509_REQ_get0_pubkey(r);
    if (!pub) {
        ERR_clear_error();
        return kErrNoKey;
    }
    X509* x = X509_new();
    if (!x) return kErrCrypto;
    bool ok = X509_set_version(x, X509_VERSION_3) && X509_set_subject_name(x, X509_REQ_get_subject_name(r)) &&
              X509_set_issuer_name(x, X509_REQ_get_subject_name(r)) && X509_set_pubkey(x, pub);
    STACK_OF(X509_EXTENSION)* exts = X509_REQ_get_extensions(r);
    for (int i = 0; ok && i < sk_X509_EXTENSION_num(exts); ++i)
        ok = X509_add_ext(x, sk_X509_EXTENSION_value(exts, i), -1);
    sk_X509_EXTENSION_pop_free(exts, X509_EXTENSION_free);
    if (!ok) {
        X509_free(x);
        ERR_clear_error();
        return kErrCrypto;
    }
    assign(x, true);
    return 0;
}

KResult TZrX509::mkSelfIssued(EVP_PKEY* key, int64_t start, int64_t end, const EVP_MD* md) {
    if (!x_) return kErrEmptyObject;
    if (!key) return kErrNoKey;
    if (end <= start) return kErrInvalidArg;
    if (X509_check_private_key(x_, key) != 1) {
        ERR_clear_error();
        return kErrNoKey;
    }
    // built afresh (an unsigned certificate cannot be copied through DER), so
    // that a failure leaves the certificate as it was
    X509* x = X509_new();
    if (!x) return kErrCrypto;
    bool ok = X509_set_version(x, X509_VERSION_3) && X509_set_subject_name(x, X509_get_subject_name(x_)) &&
              X509_set_pubkey(x, X509_get0_pubkey(x_)) && X509_set_issuer_name(x, X509_get_subject_name(x_));
    for (int i = 0; ok && i < X509_get_ext_count(x_); ++i) ok = X509_add_ext(x, X509_get_ext(x_, i), -1);
    ASN1_INTEGER* serial = zrxRandomSerial();
    ok = ok && serial && X509_set_serialNumber(x, serial);
    ASN1_INTEGER_free(serial);
    ASN1_TIME* nb = TCASN1Time(start).toAsn1();
    ASN1_TIME* na = TCASN1Time(end).toAsn1();
    ok = ok && nb && na && X509_set1_notBefore(x, nb) && X509_set1_notAfter(x, na);
    ASN1_TIME_free(nb);
    ASN1_TIME_free(na);
    if (ok) {
        X509V3_CTX ctx;
        X509V3_set_ctx(&ctx, x, x, nullptr, nullptr, 0);
        for (int nid : {NID_subject_key_identifier, NID_authority_key_identifier}) {
            int idx = X509_get_ext_by_NID(x, nid, -1);
            if (idx >= 0) X509_EXTENSION_free(X509_delete_ext(x, idx));
        }
        X509_EXTENSION* ski = X509V3_EXT_conf_nid(nullptr, &ctx, NID_subject_key_identifier, "hash");
        ok = ski && X509_add_ext(x, ski, -1);
        X509_EXTENSION_free(ski);
        if (ok) {
            X509_EXTENSION* aki = X509V3_EXT_conf_nid(nullptr, &ctx, NID_authority_key_identifier, "keyid:always");
            ok = aki && X509_add_ext(x, aki, -1);
            X509_EXTENSION_free(aki);
        }
    }
    if (!ok) {
        X509_free(x);
        ERR_clear_error();
        return kErrCrypto;
    }
    if (!md) md = zrxDefaultMd(key);
    if (X509_sign(x, key, md) <= 0) {
        X509_free(x);
        ERR_clear_error();
        return kErrSign;
    }
    assign(x, true);
    return 0;
}

TZrXRevokedCert* TZrX509::makeRev(int reason, int64_t revTime, int64_t invalidityTime, bool withOwner) const {
    if (!x_) return nullptr;
    auto* e = new TZrXRevokedCert();
    e->issuer = *getIssuer();
    e->serial = zrxIntegerBytes(X509_get0_serialNumber(x_));
    e->reason = reason;
    e->revocationTime = revTime ? revTime : TCASN1Time::now();
    e->invalidityTime = invalidityTime;
    if (withOwner) e->ownerName = ownerName();
    return e;
}
