#include "platform/core/x509/RevReq.h"

#include <openssl/asn1t.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/objects.h>

#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/x509/X509Util.h"
#include "platform/runtime/Translation.h"

using namespace zrx::x509;

// The inner record, coded with OpenSSL's ASN.1 templates.
struct ZRX_REVREQ_st {
    ASN1_INTEGER* version;
    X509_NAME* issuer;
    ASN1_INTEGER* serial;
    ASN1_ENUMERATED* reason;
    ASN1_GENERALIZEDTIME* revTime;
    ASN1_GENERALIZEDTIME* invTime;
    ASN1_UTF8STRING* owner;
};
typedef struct ZRX_REVREQ_st ZRX_REVREQ;

ASN1_SEQUENCE(ZRX_REVREQ) =
    {
        ASN1_SIMPLE(ZRX_REVREQ, version, ASN1_INTEGER),
        ASN1_SIMPLE(ZRX_REVREQ, issuer, X509_NAME),
        ASN1_SIMPLE(ZRX_REVREQ, serial, ASN1_INTEGER),
        ASN1_SIMPLE(ZRX_REVREQ, reason, ASN1_ENUMERATED),
        ASN1_SIMPLE(ZRX_REVREQ, revTime, ASN1_GENERALIZEDTIME),
        ASN1_EXP_OPT(ZRX_REVREQ, invTime, ASN1_GENERALIZEDTIME, 0),
        ASN1_EXP_OPT(ZRX_REVREQ, owner, ASN1_UTF8STRING, 1),
} ASN1_SEQUENCE_END(ZRX_REVREQ)

        DECLARE_ASN1_FUNCTIONS(ZRX_REVREQ) IMPLEMENT_ASN1_FUNCTIONS(ZRX_REVREQ)

            namespace {
    ASN1_GENERALIZEDTIME* genTime(int64_t t) {
        TCASN1Time tm(t);
        ASN1_GENERALIZEDTIME* g = ASN1_GENERALIZEDTIME_new();
        if (g && !ASN1_GENERALIZEDTIME_set_string(g, tm.generalized().c_str())) {
            ASN1_GENERALIZEDTIME_free(g);
            return nullptr;
        }
        return g;
    }

}  // namespace

TCString TZrXRevokedCert::serialStr() const {
    return serial.empty() ? TCString("00") : TCASN1OctetString(serial.data(), serial.size()).toHex(false);
}

TCString getRevokedReason(int reason) {
    static const char* const texts[] = {
        "Причина не указана",                    // 0 unspecified
        "Компрометация ключа",                   // 1 keyCompromise
        "Компрометация ключа ЦСК",               // 2 cACompromise
        "Изменение данных владельца",            // 3 affiliationChanged
        "Замена сертификата",                    // 4 superseded
        "Прекращение деятельности",              // 5 cessationOfOperation
        "Блокирование сертификата",              // 6 certificateHold
        nullptr,                                 // 7 unused
        "Разблокирование сертификата",           // 8 removeFromCRL
        "Отзыв полномочий",                      // 9 privilegeWithdrawn
        "Компрометация ключа центра атрибутов",  // 10 aACompromise
    };
    if (reason >= 0 && reason <= 10 && texts[reason]) return zrnTranslateString(texts[reason]);
    return TCString::format(zrnTranslateString("Неизвестная причина (%d)").c_str(), reason);
}

TCString getRevokedCertCaption(const TZrXRevokedCert* entry, int reason) {
    if (!entry) return TCString();
    TCString owner = entry->ownerName.isEmpty() ? entry->issuer.ownerName() : entry->ownerName;
    if (owner.isEmpty())
        return TCString::format(zrnTranslateString("Отзываемый сертификат, SN: %s (%s)").c_str(),
                                entry->serialStr().c_str(), getRevokedReason(reason).c_str());
    return TCString::format(zrnTranslateString("Отзываемый сертификат ключей владельца \"%s\", SN: %s (%s)").c_str(),
                            owner.c_str(), entry->serialStr().c_str(), getRevokedReason(reason).c_str());
}

void TZrXRevReq::clear() {
    TZrXNPkcs7::clear();
    entry_.reset();
}

void TZrXRevReq::assign(const TZrXRevokedCert& entry) {
    CMS_ContentInfo_free(cms_);
    cms_ = nullptr;
    certs_.clear();
    content_.clear();
    entry_ = std::make_unique<TZrXRevokedCert>(entry);
}

void TZrXRevReq::assignCommonName(const char* name) {
    if (!entry_) entry_ = std::make_unique<TZrXRevokedCert>();
    entry_->ownerName = name ? name : "";
}

const TZrXRevokedCert* TZrXRevReq::revokedCert(bool detach) const {
    if (!entry_) return nullptr;
    return detach ? new TZrXRevokedCert(*entry_) : entry_.get();
}

TCString TZrXRevReq::ownerName() const {
    if (entry_ && !entry_->ownerName.isEmpty()) return entry_->ownerName;
    return TZrXNPkcs7::ownerName();
}

KResult TZrXRevReq::encodeRecord(std::vector<uint8_t>& out) const {
    out.clear();
    if (!entry_) return kErrEmptyObject;
    ZRX_REVREQ* r = ZRX_REVREQ_new();
    if (!r) return kErrCrypto;
    bool ok = ASN1_INTEGER_set(r->version, 1) && X509_NAME_set(&r->issuer, entry_->issuer.handle()) &&
              ASN1_ENUMERATED_set(r->reason, entry_->reason);
    BIGNUM* bn = BN_bin2bn(entry_->serial.data(), static_cast<int>(entry_->serial.size()), nullptr);
    ok = ok && bn && BN_to_ASN1_INTEGER(bn, r->serial);
    BN_free(bn);
    if (ok) {
        ASN1_GENERALIZEDTIME_free(r->revTime);
        r->revTime = genTime(entry_->revocationTime);
        ok = r->revTime != nullptr;
    }
    if (ok && entry_->invalidityTime) {
        r->invTime = genTime(entry_->invalidityTime);
        ok = r->invTime != nullptr;
    }
    if (ok && !entry_->ownerName.isEmpty()) {
        r->owner = ASN1_UTF8STRING_new();
        ok = r->owner &&
             ASN1_STRING_set(r->owner, entry_->ownerName.c_str(), static_cast<int>(entry_->ownerName.length()));
    }
    ok = ok && zrxEncodeDer(r, i2d_ZRX_REVREQ, out);
    ZRX_REVREQ_free(r);
    ERR_clear_error();
    if (!ok) {
        out.clear();
        return kErrDerEncode;
    }
    return 0;
}

KResult TZrXRevReq::decodeRecord(const void* der, size_t len) {
    ZRX_REVREQ* r = zrxDecodeWhole(der, len, d2i_ZRX_REVREQ, ZRX_REVREQ_free);
    if (!r || ASN1_INTEGER_get(r->version) != 1) {
        ZRX_REVREQ_free(r);
        ERR_clear_error();
        return kErrDerDecode;
    }
    auto e = std::make_unique<TZrXRevokedCert>();
    e->issuer.assign(r->issuer);
    e->serial = zrxIntegerBytes(r->serial);
    long reason = ASN1_ENUMERATED_get(r->reason);
    e->reason = reason < 0 || reason > 255 ? 0 : static_cast<int>(reason);
    TCASN1Time t;
    bool ok = t.assign(r->revTime);
    e->revocationTime = t.time();
    if (r->invTime) {
        ok = ok && t.assign(r->invTime);
        e->invalidityTime = t.time();
    }
    if (r->owner) e->ownerName = zrxAsn1ToUtf8(r->owner);
    ZRX_REVREQ_free(r);
    ERR_clear_error();
    if (!ok) return kErrDerDecode;
    entry_ = std::move(e);
    return 0;
}

KResult TZrXRevReq::contentDecoded() {
    entry_.reset();
    if (contentNid_ != zrxNid(ZrXObject::RevRequest)) return kErrDerDecode;
    return decodeRecord(content_.data(), content_.size());
}

KResult TZrXRevReq::encode(std::vector<uint8_t>& out) const {
    out.clear();
    if (!entry_) return kErrEmptyObject;
    if (!cms_) return kErrNotSigned;
    return TZrXNPkcs7::encode(out);
}

KResult TZrXRevReq::sign(const TZrX509& signer, EVP_PKEY* key) {
    std::vector<uint8_t> der;
    KResult rc = encodeRecord(der);
    if (failed(rc)) return rc;
    auto keep = std::make_unique<TZrXRevokedCert>(*entry_);
    rc = signContent(der.data(), der.size(), zrxNid(ZrXObject::RevRequest), signer, key);
    if (failed(rc)) entry_ = std::move(keep);
    return rc;
}
