#include "platform/core/x509/Pkcs7.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/pkcs7.h>

#include <cstring>

#include "platform/core/x509/X509Util.h"

using namespace zrx::x509;

namespace {

CMS_ContentInfo* cmsFromDer(const void* der, size_t len) {
    return zrxDecodeWhole(der, len, d2i_CMS_ContentInfo, CMS_ContentInfo_free);
}

bool cmsToDer(const CMS_ContentInfo* cms, std::vector<uint8_t>& out) {
    return zrxEncodeDer(cms, i2d_CMS_ContentInfo, out);
}

CMS_ContentInfo* cmsDup(CMS_ContentInfo* cms) {
    std::vector<uint8_t> der;
    if (!cms || !cmsToDer(cms, der)) return nullptr;
    return cmsFromDer(der.data(), der.size());
}

}  // namespace

TZrXNPkcs7::TZrXNPkcs7() = default;

TZrXNPkcs7::TZrXNPkcs7(const TZrXNPkcs7& other) : TZrX509Base(other) { *this = other; }

TZrXNPkcs7& TZrXNPkcs7::operator=(const TZrXNPkcs7& other) {
    if (this == &other) return *this;
    // the class number is the object's own; content is copied
    int cls = class_;
    clear();
    TZrX509Base::operator=(other);
    class_ = cls;
    if (other.cms_) {
        if (CMS_ContentInfo* copy = cmsDup(other.cms_)) loadCms(copy);
    }
    for (const auto& c : other.certs_) addCert(*c);
    return *this;
}

TZrXNPkcs7::~TZrXNPkcs7() { CMS_ContentInfo_free(cms_); }

bool TZrXNPkcs7::acceptsPemLabel(const char* label) const {
    return strcmp(label, "PKCS7") == 0 || strcmp(label, "CMS") == 0 || strcmp(label, "PKCS #7 SIGNED DATA") == 0;
}

void TZrXNPkcs7::clear() {
    CMS_ContentInfo_free(cms_);
    cms_ = nullptr;
    certs_.clear();
    content_.clear();
    contentNid_ = 0;
    profile_.clear();
}

KResult TZrXNPkcs7::decode(const void* der, size_t len) {
    clear();
    CMS_ContentInfo* cms = cmsFromDer(der, len);
    if (!cms) return kErrDerDecode;
    KResult rc = loadCms(cms);
    if (failed(rc)) clear();
    return rc;
}

KResult TZrXNPkcs7::loadCms(CMS_ContentInfo* cms) {
    if (OBJ_obj2nid(CMS_get0_type(cms)) != NID_pkcs7_signed) {
        CMS_ContentInfo_free(cms);
        return kErrDerDecode;
    }
    CMS_ContentInfo_free(cms_);
    cms_ = cms;
    certs_.clear();
    content_.clear();
    STACK_OF(X509)* certs = CMS_get1_certs(cms_);
    for (int i = 0; i < sk_X509_num(certs); ++i) certs_.push_back(std::make_unique<TZrX509>(sk_X509_value(certs, i)));
    sk_X509_pop_free(certs, X509_free);
    contentNid_ = OBJ_obj2nid(CMS_get0_eContentType(cms_));
    ASN1_OCTET_STRING** pos = CMS_get0_content(cms_);
    if (pos && *pos) {
        const unsigned char* d = ASN1_STRING_get0_data(*pos);
        content_.assign(d, d + ASN1_STRING_length(*pos));
    }
    ERR_clear_error();
    return contentDecoded();
}

KResult TZrXNPkcs7::encode(std::vector<uint8_t>& out) const {
    out.clear();
    if (!cms_) return isEmpty() ? kErrEmptyObject : kErrNotSigned;
    return cmsToDer(cms_, out) ? 0 : kErrDerEncode;
}

const TZrX509* TZrXNPkcs7::certAt(int i) const {
    return i >= 0 && i < numCert() ? certs_[static_cast<size_t>(i)].get() : nullptr;
}

int TZrXNPkcs7::addCert(const TZrX509& cert) {
    if (cert.isEmpty()) return -1;
    for (size_t i = 0; i < certs_.size(); ++i)
        if (X509_cmp(certs_[i]->handle(), cert.handle()) == 0) return static_cast<int>(i);
    certs_.push_back(std::make_unique<TZrX509>(cert));
    return numCert() - 1;
}

int TZrXNPkcs7::numSigners() const {
    if (!cms_) return 0;
    STACK_OF(CMS_SignerInfo)* sis = CMS_get0_SignerInfos(cms_);
    return sis ? sk_CMS_SignerInfo_num(sis) : 0;
}

const TZrX509* TZrXNPkcs7::certForSigner(CMS_SignerInfo* si) const {
    for (const auto& c : certs_)
        if (CMS_SignerInfo_cert_cmp(si, c->handle()) == 0) return c.get();
    ERR_clear_error();
    return nullptr;
}

int TZrXNPkcs7::signerCount() const { return numSigners(); }

const TZrX509* TZrXNPkcs7::getSigner(int index) const {
    if (!cms_ || index < 0 || index >= numSigners()) return nullptr;
    return certForSigner(sk_CMS_SignerInfo_value(CMS_get0_SignerInfos(cms_), index));
}

const TZrX509* TZrXNPkcs7::lastIssuer() const {
    int n = numSigners();
    return n > 0 ? getSigner(n - 1) : nullptr;
}

int TZrXNPkcs7::initCertList(TZrXCertLookupFunc lookup, void* context) {
    int found = 0;
    for (int i = 0; i < numSigners(); ++i) {
        CMS_SignerInfo* si = sk_CMS_SignerInfo_value(CMS_get0_SignerInfos(cms_), i);
        if (certForSigner(si)) {
            ++found;
            continue;
        }
        if (!lookup) continue;
        ASN1_OCTET_STRING* keyid = nullptr;
        X509_NAME* issuer = nullptr;
        ASN1_INTEGER* sno = nullptr;
        if (CMS_SignerInfo_get0_signer_id(si, &keyid, &issuer, &sno) != 1) continue;
        TCASN1OctetString kid(keyid);
        std::unique_ptr<TZrX509Name> iname(issuer ? new TZrX509Name(issuer) : nullptr);
        TCString serial = sno ? zrxIntegerHex(sno) : TCString();
        std::unique_ptr<TZrX509> cert(lookup(context, kid, iname.get(), sno ? serial.c_str() : nullptr));
        if (cert && !cert->isEmpty() && CMS_SignerInfo_cert_cmp(si, cert->handle()) == 0) {
            addCert(*cert);
            ++found;
        }
        ERR_clear_error();
    }
    return found;
}

KResult TZrXNPkcs7::verifySignatures() const {
    if (!cms_) return kErrNotSigned;
    if (numSigners() == 0) return kErrNotSigned;
    STACK_OF(X509)* certs = sk_X509_new_null();
    for (const auto& c : certs_) sk_X509_push(certs, c->handle());
    BIO* out = BIO_new(BIO_s_null());
    int r = CMS_verify(cms_, certs, nullptr, nullptr, out, CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY);
    BIO_free(out);
    sk_X509_free(certs);
    unsigned long err = ERR_peek_last_error();
    ERR_clear_error();
    if (r == 1) return 0;
    return ERR_GET_REASON(err) == CMS_R_SIGNER_CERTIFICATE_NOT_FOUND ? kErrIssuerNotFound : kErrBadSignature;
}

KResult TZrXNPkcs7::signContent(const void* data, size_t len, int contentNid, const TZrX509& signer, EVP_PKEY* key) {
    if (signer.isEmpty()) return kErrEmptyObject;
    if (!key) return kErrNoKey;
    if (X509_check_private_key(signer.handle(), key) != 1) {
        ERR_clear_error();
        return kErrNoKey;
    }
    BIO* in = BIO_new_mem_buf(data, static_cast<int>(len));
    if (!in) return kErrCrypto;
    const unsigned flags = CMS_BINARY | CMS_PARTIAL | CMS_NOSMIMECAP;
    CMS_ContentInfo* cms = CMS_sign(signer.handle(), key, nullptr, nullptr, flags);
    bool ok = cms != nullptr;
    if (ok && contentNid != NID_pkcs7_data) ok = CMS_set1_eContentType(cms, OBJ_nid2obj(contentNid)) == 1;
    ok = ok && CMS_final(cms, in, nullptr, CMS_BINARY) == 1;
    BIO_free(in);
    ERR_clear_error();
    if (!ok) {
        CMS_ContentInfo_free(cms);
        return kErrSign;
    }
    int cls = class_;
    KResult rc = loadCms(cms);
    class_ = cls;
    return rc;
}

TCString TZrXNPkcs7::ownerName() const {
    if (const TZrX509* s = lastIssuer()) return s->ownerName();
    return numCert() > 0 ? certs_.front()->ownerName() : TCString();
}

uint32_t TZrXNPkcs7::keyFlags() const { return 0; }

// ---- certificate set ----

KResult TZrXPkcs7::encode(std::vector<uint8_t>& out) const {
    out.clear();
    if (cms_ && numSigners() > 0) return TZrXNPkcs7::encode(out);
    // certs-only signed data (as "p7b" files are)
    PKCS7* p7 = PKCS7_new();
    if (!p7 || !PKCS7_set_type(p7, NID_pkcs7_signed)) {
        PKCS7_free(p7);
        return kErrDerEncode;
    }
    p7->d.sign->contents->type = OBJ_nid2obj(NID_pkcs7_data);
    bool ok = true;
    for (const auto& c : certs_) ok = ok && PKCS7_add_certificate(p7, c->handle());
    ok = ok && zrxEncodeDer(p7, i2d_PKCS7, out);
    PKCS7_free(p7);
    ERR_clear_error();
    if (!ok) {
        out.clear();
        return kErrDerEncode;
    }
    return 0;
}

// ---- signed request ----

void TZrXSignedReq::clear() {
    TZrXNPkcs7::clear();
    req_.reset();
}

KResult TZrXSignedReq::contentDecoded() {
    req_.reset();
    if (content_.empty()) return kErrDerDecode;
    auto req = std::make_unique<TZrX509Req>();
    if (failed(req->decode(content_.data(), content_.size()))) return kErrDerDecode;
    req_ = std::move(req);
    if (req_->profile()) profile_ = req_->profile();
    return 0;
}

KResult TZrXSignedReq::sign(const TZrX509Req& req, const TZrX509& signer, EVP_PKEY* key) {
    std::vector<uint8_t> der;
    KResult rc = req.encode(der);
    if (failed(rc)) return rc;
    return signContent(der.data(), der.size(), NID_pkcs7_data, signer, key);
}

TCString TZrXSignedReq::ownerName() const { return req_ ? req_->ownerName() : TCString(); }
uint32_t TZrXSignedReq::keyFlags() const { return req_ ? req_->keyFlags() : 0; }
TCASN1OctetString TZrXSignedReq::keyID() const { return req_ ? req_->keyID() : TCASN1OctetString(); }

TZrXConfirmedMode TZrXSignedReq::getConfirmedMode() const {
    TZrXConfirmedMode m;
    const TZrX509* signer = lastIssuer();
    if (!signer || !req_) return m;
    if (signer->isStart()) {
        m.confirmedByStart = true;
        return m;
    }
    m.confirmedBySelf = *signer->getSubject() == *req_->getSubject();
    const int64_t thirtyDays = 30LL * 86400;
    m.isPretermChanged = signer->getNotAfter_time() - TCASN1Time::now() > thirtyDays;
    return m;
}
