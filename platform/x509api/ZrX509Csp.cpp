// The key container object.
#include "platform/x509api/ZrX509Csp.h"

#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <cstring>
#include <ctime>

#include "platform/core/x509/CertsChain.h"
#include "platform/core/config/P12Template.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Translation.h"
#include "platform/x509api/ZrX509Api.h"

using namespace zrx;
using namespace zrx::container;

namespace {

int64_t nowSeconds() { return int64_t(std::time(nullptr)); }

struct ExtStack {
    STACK_OF(X509_EXTENSION) * s = sk_X509_EXTENSION_new_null();
    ~ExtStack() { sk_X509_EXTENSION_pop_free(s, X509_EXTENSION_free); }
};

// The request's extensions with the key usage of its purpose: the usage
// decides how the request and its certificate are treated.
bool extensionsFor(const STACK_OF(X509_EXTENSION) * given, uint32_t purpose, ExtStack& out) {
    for (int i = 0; i < sk_X509_EXTENSION_num(given); ++i) {
        X509_EXTENSION* e = sk_X509_EXTENSION_value(given, i);
        if (OBJ_obj2nid(X509_EXTENSION_get_object(e)) == NID_key_usage) continue;
        if (!sk_X509_EXTENSION_push(out.s, X509_EXTENSION_dup(e))) return false;
    }
    const char* usage =
        purpose == crypto::kPurposeKA ? "critical,keyAgreement" : "critical,digitalSignature,nonRepudiation";
    X509_EXTENSION* ku = X509V3_EXT_conf_nid(nullptr, nullptr, NID_key_usage, usage);
    return ku && sk_X509_EXTENSION_push(out.s, ku);
}

std::string certDer(const TZrX509* cert) {
    std::vector<uint8_t> der;
    if (!cert || failed(cert->encode(der))) return {};
    return std::string(der.begin(), der.end());
}

struct ProgressScope {
    explicit ProgressScope(const char* text) { api::progressShow(text); }
    ~ProgressScope() { api::progressHide(); }
};

}  // namespace

TZrX509Csp::TZrX509Csp() { ctx_.setCSP(this); }
TZrX509Csp::~TZrX509Csp() { ctx_.setCSP(nullptr); }

KResult TZrX509Csp::load(const char* location, const char* password) {
    bool device = location && isDeviceLocation(location);
    if (device) api::progressShow("Чтение контейнера ключей с носителя");
    KResult rc = ctx_.load(location, password);
    if (device) api::progressHide();
    if (!failed(rc)) {
        inUpdate_ = false;
        prepared_ = false;
    }
    return rc;
}

KResult TZrX509Csp::saveAs(const char* location, const char* password) {
    bool device = location && isDeviceLocation(location);
    if (device) api::progressShow("Запись контейнера ключей на носитель");
    KResult rc = ctx_.save(location, password);
    if (device) api::progressHide();
    return rc;
}

int TZrX509Csp::empty() const { return ctx_.isEmpty() ? 1 : 0; }

TCString TZrX509Csp::commonName() const {
    if (!ctx_.commonName().isEmpty()) return ctx_.commonName();
    if (TZrX509* c = getSelfCrt()) return c->ownerName();
    if (TZrX509ReqCtx* r = ctx_.getSelfReqBuff()) return r->request()->ownerName();
    for (int i = 0; i < ctx_.ctx_RequestsList.count(); ++i)
        if (TZrX509Req* r = ctx_.ctx_RequestsList.asTZrX509Req(i)) return r->ownerName();
    return TCString();
}

void TZrX509Csp::setContainerName(const char* location) {
    if (prepared_) {
        ctx_.startNew(location);
        prepared_ = false;
    } else {
        ctx_.setFileName(location);
    }
}

void TZrX509Csp::prepareUpdate() { prepared_ = true; }

void TZrX509Csp::beginUpdate() {
    ctx_.beginUpdate();
    inUpdate_ = true;
    written_ = false;
}

KResult TZrX509Csp::endUpdate(bool force) {
    written_ = false;
    if (!inUpdate_ && !ctx_.inUpdate()) return kErrNotInUpdate;
    inUpdate_ = false;
    prepared_ = false;
    KResult rc = 0;
    if (ctx_.isModified() || force) {
        bool device = isDeviceLocation(ctx_.fileName().str());
        if (device) api::progressShow("Запись контейнера ключей на носитель");
        rc = ctx_.update();
        if (device) api::progressHide();
        if (failed(rc)) return rc;  // the content keeps its copy: cancelUpdate still works
        written_ = true;
    }
    ctx_.commitUpdate();
    return rc;
}

void TZrX509Csp::updateCancelled() {
    inUpdate_ = false;
    prepared_ = false;
    written_ = false;
}

KResult TZrX509Csp::writeOutsideUpdate(KResult rc) {
    if (inUpdate_) return rc;
    if (failed(rc)) {
        ctx_.cancelUpdate();
        return rc;
    }
    KResult w = ctx_.update();
    if (failed(w)) {
        ctx_.cancelUpdate();
        return w;
    }
    ctx_.commitUpdate();
    return rc;
}

bool TZrX509Csp::addCertificate(const TZrX509* cert, bool) {
    if (!cert || cert->isEmpty()) return false;
    if (!inUpdate_) ctx_.beginUpdate();
    return !failed(writeOutsideUpdate(ctx_.addCertificate(*cert)));
}

TZrX509* TZrX509Csp::getSelfCrt() const {
    TCCertBuff* c = ctx_.getSelfActCrtBuff();
    return c ? c->object() : nullptr;
}

TZrX509* TZrX509Csp::getSelfNewCrt() const {
    TCCertBuff* c = ctx_.getSelfNewCrtBuff();
    return c ? c->object() : nullptr;
}

KResult TZrX509Csp::ZrX_GetX509Object(void* buffer, uint32_t* len, int kind) const {
    uint32_t purpose;
    bool wantSigned;
    switch (kind) {
    case kObjSignRequest: purpose = kfSignature, wantSigned = false; break;
    case kObjSignedSignRequest: purpose = kfSignature, wantSigned = true; break;
    case kObjKARequest: purpose = kfKeyAgreement, wantSigned = false; break;
    case kObjSignedKARequest: purpose = kfKeyAgreement, wantSigned = true; break;
    default: return kErrInvalidArg;
    }
    const std::string* obj = nullptr;
    for (int i = ctx_.ctx_RequestsList.count() - 1; i >= 0 && !obj; --i) {
        TZrX509ReqCtx* r = ctx_.ctx_RequestsList.asReqCtx(i);
        if (!r || r->purpose() != purpose) continue;
        const std::string& der = wantSigned ? r->signedDer() : r->plainDer();
        if (!der.empty()) obj = &der;
    }
    if (!obj) return kErrObjectMissing;
    if (!buffer) {
        if (len) *len = uint32_t(obj->size());
        return 0;
    }
    if (!len) return kErrInvalidArg;
    uint32_t room = *len;
    *len = uint32_t(obj->size());
    if (obj->size() > room) return kErrBufferTooSmall;
    std::memcpy(buffer, obj->data(), obj->size());
    return 0;
}

KResult TZrX509Csp::putStorageCertificate(const void* der, size_t len) {
    TZrX509 cert;
    if (!der || failed(cert.decode(der, len))) return kErrInvalidArg;
    if (!inUpdate_) ctx_.beginUpdate();
    return writeOutsideUpdate(ctx_.addCertificate(cert, kCertStorage));
}

KResult TZrX509Csp::saveCrtChain(const TCXCertsChain* chain, bool) {
    if (!chain) return kErrInvalidArg;
    if (!inUpdate_) ctx_.beginUpdate();
    KResult rc = 0;
    for (int i = 0; i < chain->count() && !failed(rc); ++i)
        if (TZrX509* c = chain->at(i)) rc = ctx_.addCertificate(*c, kCertChain);
    return writeOutsideUpdate(rc);
}

int TZrX509Csp::getReqsIDList(TCStringList& list) const {
    for (int i = 0; i < ctx_.ctx_RequestsList.count(); ++i)
        if (TZrX509ReqCtx* r = ctx_.ctx_RequestsList.asReqCtx(i)) list.add(r->getKeyIDStr());
    return list.count();
}

int TZrX509Csp::sweep() { return ctx_.sweep(); }

KResult TZrX509Csp::ZrX_ActivateDefaultNewKeys(bool save) {
    if (empty()) return kErrEmpty;
    if (!save || inUpdate_) return ctx_.activateNewKeys();
    ctx_.beginUpdate();
    KResult rc = ctx_.activateNewKeys();
    if (rc != kInfoNewKeysActivated) {
        ctx_.commitUpdate();
        return rc;
    }
    return writeOutsideUpdate(rc);
}

KResult TZrX509Csp::ZrX_NeedChangeDefaultKeys(int days, TZrNDefKeysChkInfo* info) const {
    if (empty()) return kErrEmpty;
    return ctx_.needChangeDefaultKeys(days, info);
}

// ------------------------------------------------------------ generation

TCPrivateEVPKey* TZrX509Csp::signerForKeyOf(const TCPrivateEVPKey* key) const {
    // A key that cannot sign is vouched for by the signature key of its
    // generation: the one in the same role, else the active one.
    const TCSBaseKeysList& same = ctx_.ctx_NewKeysList.indexOf(key) >= 0 ? ctx_.ctx_NewKeysList : ctx_.ctx_ActKeysList;
    if (TCPrivateEVPKey* k = same.enumeratePrivateKeys([](TCPrivateEVPKey* p) { return p->purpose() == kfSignature; }))
        return k;
    return ctx_.activeKey(kfSignature);
}

KResult TZrX509Csp::generate(const TZrXGenJob& job) {
    if (!job.signAlg.valid() && !job.kaAlg.valid()) return kErrNoCryptoParams;
    if (inUpdate_) return generateInUpdate(job);
    ctx_.beginUpdate();
    return writeOutsideUpdate(generateInUpdate(job));
}

KResult TZrX509Csp::generateInUpdate(const TZrXGenJob& job) {
    TCKeyStorage* st = nullptr;
    if (KResult rc = ctx_.openStorage(&st)) return rc;
    if (!*ctx_.dp() && !st->isFile()) {
        char pw[kCtxPasswordSize] = {};
        bool ok = api::askPassword(pw, sizeof pw) && ctx_.setDp(pw);
        secureWipe(pw, sizeof pw);
        if (!ok) return 0x80800003;  // refused: the caller cancels the update
    }
    ProgressScope progress("Генерация ключей");

    // Keys in service before this generation sign the signed forms.
    TCPrivateEVPKey* oldSign = ctx_.activeKey(kfSignature);
    TCPrivateEVPKey* oldKA = ctx_.activeKey(kfKeyAgreement);
    TCCertBuff* oldSignCert = oldSign ? ctx_.findCertBuff(oldSign->keyID()) : nullptr;
    TCCertBuff* oldKACert = oldKA ? ctx_.findCertBuff(oldKA->keyID()) : nullptr;

    TCPrivateEVPKey* newSign = nullptr;
    for (const crypto::KeyAlgorithm* alg : {&job.signAlg, &job.kaAlg}) {
        if (!alg->valid()) continue;
        KeyRecord rec;
        if (KResult rc = st->generateKey(*alg, ctx_.dp(), rec)) return rc;
        rec.role = 0;
        rec.profile = job.profile;
        rec.created = nowSeconds();
        rec.flags = job.keyFlags;
        TCPrivateEVPKey* key = ctx_.addPrivateKey(std::move(rec));
        if (!key) return kErrKeyGen;
        uint32_t purpose = alg->purpose();

        ExtStack exts;
        if (!extensionsFor(job.extensions, purpose, exts)) return kErrCrypto;
        crypto::PkeyPtr own = ctx_.signingKey(key);
        if (!own) return kErrNoSigningKey;
        crypto::PkeyPtr helper;
        EVP_PKEY* signer = own.get();
        if (alg->kind == crypto::KeyAlgorithm::X25519) {
            TCPrivateEVPKey* s = newSign ? newSign : signerForKeyOf(key);
            helper = ctx_.signingKey(s);
            if (!helper) return kErrNoSigningKey;
            signer = helper.get();
        }
        RequestRecord req;
        req.keyId = key->record().id;
        req.purpose = purpose;
        req.profile = job.profile;
        if (KResult rc = crypto::makeRequest(own.get(), signer, job.subject, exts.s, job.challenge, req.der)) return rc;

        // Signed form: by the key of the same purpose in service, with its
        // certificate; a key-agreement key that cannot sign hands over to the
        // signature key in service.
        TCPrivateEVPKey* by = purpose == kfSignature ? oldSign : oldKA;
        TCCertBuff* byCert = purpose == kfSignature ? oldSignCert : oldKACert;
        if (by && by->algorithm() == "X25519") by = nullptr;
        if (!by || !byCert) {
            by = oldSign;
            byCert = oldSignCert;
        }
        if (by && byCert) {
            crypto::PkeyPtr k = ctx_.signingKey(by);
            if (!k) return kErrNoSigningKey;
            KResult rc = crypto::cmsSign(req.der, k.get(), byCert->der(), req.signedDer);
            if (rc == kErrAlgorithm)
                KV_HLogFmtText(0x80800002, "Подписанный запрос для ключа %s не сформирован: алгоритм %s",
                               key->getKeyIDStr().c_str(), by->algorithm().c_str());
            else if (rc) return rc;
        }
        if (!ctx_.addRequest(std::move(req))) return kErrCrypto;
        if (purpose == kfSignature) newSign = key;
        KV_HLogFmtText(0, "Сгенерированы ключи %s (%s), ID ключа: %s",
                       zrnTranslateString(purpose == kfSignature ? "ЭП" : "связи").c_str(), key->algorithm().c_str(),
                       key->getKeyIDStr().c_str());
    }
    return 0;
}

KResult TZrX509Csp::addEncodeKeys(const char* algorithm, const X509_NAME* subject, const TZrXP12Template* tmpl) {
    if (empty()) return kErrEmpty;
    if (ctx_.alreadyGenerated(kfKeyAgreement, false)) return kErrKeysExist;
    TZrXGenJob job;
    if (algorithm && *algorithm) {
        job.kaAlg = crypto::KeyAlgorithm::parse(algorithm);
    } else if (tmpl) {
        if (const TZrXP12Params* p = tmpl->defaultParams(ctx_.profileId(), true))
            job.kaAlg = crypto::KeyAlgorithm::parse(p->alg.str());
    }
    if (!job.kaAlg.valid() || job.kaAlg.purpose() != crypto::kPurposeKA) return kErrNoCryptoParams;
    TZrX509* own = getSelfCrt();
    if (!subject && own) subject = own->getSubject() ? own->getSubject()->handle() : nullptr;
    job.subject = subject;
    job.profile = ctx_.profileId();
    return generate(job);
}

KResult TZrX509Csp::mkSelfIssued(TZrX509& cert, int64_t start, int64_t end) {
    X509* x = cert.handle();
    EVP_PKEY* pub = x ? X509_get0_pubkey(x) : nullptr;
    if (!pub || end <= start) return kErrInvalidArg;
    TCPrivateEVPKey* key = nullptr;
    for (const TCSBaseKeysList* l : {&ctx_.ctx_NewKeysList, &ctx_.ctx_ActKeysList})
        if (!key) key = l->enumeratePrivateKeys([&](TCPrivateEVPKey* k) { return k->matches(pub); });
    if (!key) return kErrCertNoKey;
    TCPrivateEVPKey* signerKey = key->algorithm() == "X25519" ? signerForKeyOf(key) : key;
    crypto::PkeyPtr signer = ctx_.signingKey(signerKey);
    if (!signer) return kErrNoSigningKey;

    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1) return kErrCrypto;
    serial[0] &= 0x7f;
    BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
    bool ok = bn && BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(x)) != nullptr;
    BN_free(bn);
    ok = ok && X509_set_version(x, 2) == 1 && X509_set_issuer_name(x, X509_get_subject_name(x)) == 1 &&
         ASN1_TIME_adj(X509_getm_notBefore(x), time_t(start), 0, 0) &&
         ASN1_TIME_adj(X509_getm_notAfter(x), time_t(end), 0, 0);
    // Key identifiers: the subject's own, and the signer's as authority.
    auto keyIdExt = [&](int nid, const std::string& id) {
        ASN1_OCTET_STRING* os = ASN1_OCTET_STRING_new();
        ASN1_OCTET_STRING_set(os, reinterpret_cast<const unsigned char*>(id.data()), int(id.size()));
        int idx = X509_get_ext_by_NID(x, nid, -1);
        if (idx >= 0) X509_EXTENSION_free(X509_delete_ext(x, idx));
        bool r;
        if (nid == NID_subject_key_identifier) {
            r = X509_add1_ext_i2d(x, nid, os, 0, X509V3_ADD_REPLACE) == 1;
        } else {
            AUTHORITY_KEYID* akid = AUTHORITY_KEYID_new();
            akid->keyid = os;
            os = nullptr;
            r = X509_add1_ext_i2d(x, nid, akid, 0, X509V3_ADD_REPLACE) == 1;
            AUTHORITY_KEYID_free(akid);
        }
        ASN1_OCTET_STRING_free(os);
        return r;
    };
    ok = ok && keyIdExt(NID_subject_key_identifier, crypto::keyIdOf(pub)) &&
         keyIdExt(NID_authority_key_identifier, crypto::keyIdOf(signer.get()));
    ok = ok && X509_sign(x, signer.get(), crypto::signDigest(signer.get())) > 0;
    if (!ok) return kErrCrypto;
    // Re-read so the object's cached views match the signed certificate.
    std::string der = certDer(&cert);
    return cert.decode(der.data(), der.size());
}

// ------------------------------------------------------------ look-up

TZrX509* getCspCertificateDefFunc(void* context, const TCASN1OctetString& keyID, const TZrX509Name*, const char*) {
    auto* csp = static_cast<TZrX509Csp*>(context);
    if (!csp || keyID.isEmpty()) return nullptr;
    TZrX509* c = csp->container()->findCert(keyID);
    return c ? new TZrX509(*c) : nullptr;
}
