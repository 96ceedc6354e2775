#include "platform/core/x509/ZrX509Req.h"

#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstring>

#include "platform/core/x509/ExtList.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/x509/X509Util.h"
#include "platform/core/x509/ZrX509.h"

using namespace zrx::x509;

uint32_t zrxUsageFlags(const STACK_OF(X509_EXTENSION) * exts);

TZrX509Req::TZrX509Req() = default;

TZrX509Req::TZrX509Req(X509_REQ* r, bool takeOwnership) { assign(r, takeOwnership); }

TZrX509Req::TZrX509Req(const TZrX509Req& other) : TZrX509Base(other) {
    if (other.r_) r_ = X509_REQ_dup(other.r_);
}

TZrX509Req& TZrX509Req::operator=(const TZrX509Req& other) {
    if (this != &other) {
        TZrX509Base::operator=(other);
        assign(other.r_);
    }
    return *this;
}

TZrX509Req::~TZrX509Req() { X509_REQ_free(r_); }

void TZrX509Req::resetCache() { subject_.reset(); }

bool TZrX509Req::acceptsPemLabel(const char* label) const {
    return strcmp(label, "CERTIFICATE REQUEST") == 0 || strcmp(label, "NEW CERTIFICATE REQUEST") == 0;
}

void TZrX509Req::clear() {
    X509_REQ_free(r_);
    r_ = nullptr;
    profile_.clear();
    resetCache();
}

void TZrX509Req::assign(X509_REQ* r, bool takeOwnership) {
    if (r == r_ && r) return;
    X509_REQ* keep = r && !takeOwnership ? X509_REQ_dup(r) : r;
    X509_REQ_free(r_);
    r_ = keep;
    resetCache();
    profile_.clear();
    if (r_) profile_ = getSubject()->getEntryByNid(zrxNid(ZrXObject::ProfileID));
}

KResult TZrX509Req::decode(const void* der, size_t len) {
    clear();
    X509_REQ* r = zrxDecodeWhole(der, len, d2i_X509_REQ, X509_REQ_free);
    if (!r) return kErrDerDecode;
    assign(r, true);
    return 0;
}

KResult TZrX509Req::encode(std::vector<uint8_t>& out) const {
    out.clear();
    if (!r_) return kErrEmptyObject;
    return zrxEncodeDer(r_, i2d_X509_REQ, out) ? 0 : kErrDerEncode;
}

const TZrX509Name* TZrX509Req::getSubject() const {
    if (!subject_) subject_ = std::make_unique<TZrX509Name>(r_ ? X509_REQ_get_subject_name(r_) : nullptr);
    return subject_.get();
}

TCString TZrX509Req::ownerName() const { return r_ ? getSubject()->ownerName() : TCString(); }

TX509v3ExtList TZrX509Req::extensions() const {
    if (!r_) return TX509v3ExtList();
    STACK_OF(X509_EXTENSION)* exts = X509_REQ_get_extensions(r_);
    ERR_clear_error();
    TX509v3ExtList list(exts);
    sk_X509_EXTENSION_pop_free(exts, X509_EXTENSION_free);
    return list;
}

uint32_t TZrX509Req::keyFlags() const {
    if (!r_) return 0;
    TX509v3ExtList exts = extensions();
    return zrxUsageFlags(exts.stack());
}

EVP_PKEY* TZrX509Req::publicKey() const {
    if (!r_) return nullptr;
    EVP_PKEY* k = X509_REQ_get0_pubkey(r_);
    ERR_clear_error();
    return k;
}

TCASN1OctetString TZrX509Req::keyID() const {
    if (!r_) return TCASN1OctetString();
    TX509v3ExtList exts = extensions();
    if (X509_EXTENSION* e = exts.find(NID_subject_key_identifier)) {
        auto* os = static_cast<ASN1_OCTET_STRING*>(X509V3_EXT_d2i(e));
        if (os) {
            TCASN1OctetString id(os);
            ASN1_OCTET_STRING_free(os);
            if (!id.isEmpty()) return id;
        }
        ERR_clear_error();
    }
    std::vector<uint8_t> h = zrxKeyHash(X509_REQ_get_X509_PUBKEY(r_));
    return TCASN1OctetString(h.data(), h.size());
}

TCString TZrX509Req::keyAlgorithmText() const { return zrxKeyText(publicKey()); }

TCString TZrX509Req::signatureAlgorithmText() const {
    if (!r_) return TCString();
    const X509_ALGOR* alg = nullptr;
    X509_REQ_get0_signature(r_, nullptr, &alg);
    return zrxSigAlgText(alg);
}

TCString TZrX509Req::challengePassword() const {
    if (!r_) return TCString();
    int idx = X509_REQ_get_attr_by_NID(r_, NID_pkcs9_challengePassword, -1);
    if (idx < 0) return TCString();
    X509_ATTRIBUTE* a = X509_REQ_get_attr(r_, idx);
    ASN1_TYPE* t = a ? X509_ATTRIBUTE_get0_type(a, 0) : nullptr;
    if (!t || (t->type != V_ASN1_UTF8STRING && t->type != V_ASN1_PRINTABLESTRING && t->type != V_ASN1_IA5STRING &&
               t->type != V_ASN1_T61STRING && t->type != V_ASN1_BMPSTRING))
        return TCString();
    return zrxAsn1ToUtf8(t->value.asn1_string);
}

bool TZrX509Req::isSigned() const {
    if (!r_) return false;
    const ASN1_BIT_STRING* sig = nullptr;
    X509_REQ_get0_signature(r_, &sig, nullptr);
    return sig && ASN1_STRING_length(sig) > 0;
}

KResult TZrX509Req::verifySelf() const {
    if (!r_) return kErrEmptyObject;
    if (!isSigned()) return kErrNotSigned;
    EVP_PKEY* key = publicKey();
    if (!key) return kErrNoKey;
    int r = X509_REQ_verify(r_, key);
    ERR_clear_error();
    return r == 1 ? 0 : kErrBadSignature;
}

// Signs `r` with `key`, which must be the pair of the request's public key
// (a request without one takes the key's); null `md` is the key's usual
// digest. On failure `r` is freed.
static KResult signOwnRequest(X509_REQ* r, EVP_PKEY* key, const EVP_MD* md) {
    EVP_PKEY* pub = X509_REQ_get0_pubkey(r);
    if (!pub) {
        X509_REQ_set_pubkey(r, key);
    } else if (EVP_PKEY_eq(pub, key) != 1) {
        X509_REQ_free(r);
        ERR_clear_error();
        return kErrNoKey;
    }
    if (!md) md = zrxDefaultMd(key);
    if (X509_REQ_sign(r, key, md) <= 0) {
        X509_REQ_free(r);
        ERR_clear_error();
        return kErrSign;
    }
    return 0;
}

KResult TZrX509Req::sign(EVP_PKEY* key, const EVP_MD* md) {
    if (!r_) return kErrEmptyObject;
    if (!key) return kErrNoKey;
    X509_REQ* r = X509_REQ_dup(r_);
    if (!r) return kErrCrypto;
    if (KResult rc = signOwnRequest(r, key, md)) return rc;
    assign(r, true);
    return 0;
}

static X509_REQ* newRequest(const X509_NAME* subject, EVP_PKEY* pub, const STACK_OF(X509_EXTENSION) * exts) {
    X509_REQ* r = X509_REQ_new();
    if (!r) return nullptr;
    bool ok = X509_REQ_set_version(r, 0) && X509_REQ_set_subject_name(r, subject) && X509_REQ_set_pubkey(r, pub);
    if (ok && exts && sk_X509_EXTENSION_num(exts) > 0) {
        STACK_OF(X509_EXTENSION)* copy = sk_X509_EXTENSION_deep_copy(exts, X509_EXTENSION_dup, X509_EXTENSION_free);
        ok = copy && X509_REQ_add_extensions(r, copy);
        sk_X509_EXTENSION_pop_free(copy, X509_EXTENSION_free);
    }
    if (!ok) {
        X509_REQ_free(r);
        ERR_clear_error();
        return nullptr;
    }
    return r;
}

KResult TZrX509Req::make(const TZrX509Name& subject, EVP_PKEY* key, const TX509v3ExtList* exts, const EVP_MD* md) {
    if (!key) return kErrNoKey;
    X509_REQ* r = newRequest(subject.handle(), key, exts ? exts->stack() : nullptr);
    if (!r) return kErrCrypto;
    if (KResult rc = signOwnRequest(r, key, md)) return rc;
    assign(r, true);
    return 0;
}

KResult TZrX509Req::fromExistX509(const TZrX509& cert, const char* keepAttrs, const TX509v3ExtList* extList,
                                  EVP_PKEY* key) {
    if (cert.isEmpty()) return kErrEmptyObject;
    zrxRegisterObjects();
    // Keep the standard attributes and only those of our own that are named.
    std::vector<int> keep;
    if (keepAttrs) {
        TCString list(keepAttrs);
        size_t from = 0;
        while (from <= list.length()) {
            int semi = list.pos(';', from);
            size_t to = semi < 0 ? list.length() : static_cast<size_t>(semi);
            TCString name = list.sub(from, to - from);
            name.trim();
            if (!name.isEmpty()) keep.push_back(zrxNidOf(name.c_str()));
            from = to + 1;
        }
    }
    const X509_NAME* src = X509_get_subject_name(cert.handle());
    X509_NAME* subject = X509_NAME_new();
    if (!subject) return kErrCrypto;
    for (int i = 0; i < X509_NAME_entry_count(src); ++i) {
        const X509_NAME_ENTRY* e = X509_NAME_get_entry(src, i);
        int nid = OBJ_obj2nid(X509_NAME_ENTRY_get_object(e));
        if (zrxIsOwnObject(nid) && std::find(keep.begin(), keep.end(), nid) == keep.end()) continue;
        X509_NAME_add_entry(subject, e, -1, 0);
    }
    // Extensions of the certificate without those that only an issuer sets.
    TX509v3ExtList exts = extList ? *extList : cert.extensions();
    if (!extList) {
        exts.remove(NID_authority_key_identifier);
        exts.remove(NID_crl_distribution_points);
        exts.remove(NID_info_access);
    }
    EVP_PKEY* pub = cert.publicKey();
    X509_REQ* r = pub ? newRequest(subject, pub, exts.stack()) : nullptr;
    X509_NAME_free(subject);
    if (!r) return pub ? kErrCrypto : kErrNoKey;
    if (key) {
        if (KResult rc = signOwnRequest(r, key, nullptr)) return rc;
    } else {
        // Not signed: the signature algorithm names the certificate's so the
        // structure still encodes; the empty signature never verifies.
        const X509_ALGOR* certAlg = nullptr;
        X509_get0_signature(nullptr, &certAlg, cert.handle());
        X509_ALGOR* alg = nullptr;
        X509_REQ_get0_signature(r, nullptr, const_cast<const X509_ALGOR**>(&alg));
        if (alg && certAlg) X509_ALGOR_copy(alg, certAlg);
    }
    assign(r, true);
    status_ = zsUnknown;
    return 0;
}
