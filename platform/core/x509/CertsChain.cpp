#include "platform/core/x509/CertsChain.h"

#include <openssl/err.h>
#include <openssl/pkcs7.h>
#include <openssl/x509_vfy.h>

#include <cstring>
#include <set>

#include "platform/core/x509/X509Util.h"
#include "platform/runtime/TCStringList.h"

using namespace zrx::x509;

// ---- list ----

TZrX509List::TZrX509List(const TZrX509List& other) {
    for (const auto& c : other.items_) items_.push_back(std::make_unique<TZrX509>(*c));
}

TZrX509List& TZrX509List::operator=(const TZrX509List& other) {
    if (this != &other) {
        std::vector<std::unique_ptr<TZrX509>> copy;
        for (const auto& c : other.items_) copy.push_back(std::make_unique<TZrX509>(*c));
        items_ = std::move(copy);
    }
    return *this;
}

TZrX509* TZrX509List::at(int i) const { return i >= 0 && i < count() ? items_[static_cast<size_t>(i)].get() : nullptr; }

int TZrX509List::indexOf(const TZrX509* cert) const {
    if (!cert || cert->isEmpty()) return -1;
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == cert || X509_cmp(items_[i]->handle(), cert->handle()) == 0) return static_cast<int>(i);
    return -1;
}

int TZrX509List::add(const TZrX509& cert, int flags) {
    (void)flags;  // a copy is always stored
    if (cert.isEmpty()) return -1;
    int i = indexOf(&cert);
    if (i >= 0) return i;
    items_.push_back(std::make_unique<TZrX509>(cert));
    return count() - 1;
}

int TZrX509List::addOwned(TZrX509* cert) {
    std::unique_ptr<TZrX509> own(cert);
    if (!cert || cert->isEmpty()) return -1;
    int i = indexOf(cert);
    if (i >= 0) return i;
    items_.push_back(std::move(own));
    return count() - 1;
}

bool TZrX509List::remove(int i) {
    if (i < 0 || i >= count()) return false;
    items_.erase(items_.begin() + i);
    return true;
}

KResult TZrX509List::fromPKCS7(const TZrXNPkcs7& p7) {
    clear();
    for (int i = 0; i < p7.numCert(); ++i) add(*p7.certAt(i));
    return 0;
}

KResult TZrX509List::fromBin(const void* data, size_t len) {
    clear();
    if (!data || len == 0) return kErrDerDecode;
    std::vector<std::vector<uint8_t>> ders;
    if (zrxLooksLikePem(data, len)) {
        auto accept = [](const char* l) {
            return strcmp(l, "PKCS7") == 0 || strcmp(l, "CMS") == 0 || strcmp(l, "CERTIFICATE") == 0 ||
                   strcmp(l, "X509 CERTIFICATE") == 0 || strcmp(l, "TRUSTED CERTIFICATE") == 0;
        };
        if (!zrxPemDecodeAll(data, len, ders, accept)) return kErrDerDecode;
    } else {
        const auto* p = static_cast<const uint8_t*>(data);
        ders.emplace_back(p, p + len);
    }
    for (const auto& der : ders) {
        TZrXPkcs7 p7;
        if (!failed(p7.decode(der.data(), der.size()))) {
            for (int i = 0; i < p7.numCert(); ++i) add(*p7.certAt(i));
            continue;
        }
        TZrX509 cert;
        if (failed(cert.decode(der.data(), der.size()))) {
            clear();
            return kErrDerDecode;
        }
        add(cert);
    }
    return 0;
}

KResult TZrX509List::toBin(std::vector<uint8_t>& der) const {
    TZrXPkcs7 p7;
    for (const auto& c : items_) p7.addCert(*c);
    return p7.encode(der);
}

KResult TZrX509List::readP7(const char* fileName) {
    std::string bytes;
    KResult rc = zrxReadFile(fileName, bytes);
    if (failed(rc)) return rc;
    return fromBin(bytes.data(), bytes.size());
}

KResult TZrX509List::writeP7(const char* fileName, bool pem) const {
    std::vector<uint8_t> der;
    KResult rc = toBin(der);
    if (failed(rc)) return rc;
    if (pem) {
        TCString text = zrxPemEncode("PKCS7", der.data(), der.size());
        return zrxWriteFile(fileName, text.c_str(), text.length());
    }
    return zrxWriteFile(fileName, der.data(), der.size());
}

// The certificate issued cert: names match, key identifiers agree when both
// are known, and the signature verifies.
static bool issued(const TZrX509& issuer, const TZrX509& cert) {
    if (X509_NAME_cmp(X509_get_issuer_name(cert.handle()), X509_get_subject_name(issuer.handle())) != 0) return false;
    TCASN1OctetString aki = cert.getAuthKeyID();
    if (!aki.isEmpty() && aki != issuer.keyID()) return false;
    return !failed(cert.verify(issuer));
}

TZrX509* TZrX509List::findSigner(const TZrX509& cert) const {
    if (cert.isEmpty()) return nullptr;
    for (const auto& c : items_)
        if (issued(*c, cert)) return c.get();
    return nullptr;
}

TZrX509* TZrX509List::byKeyID(const TCASN1OctetString& keyID) const {
    if (keyID.isEmpty()) return nullptr;
    for (const auto& c : items_)
        if (c->keyID() == keyID) return c.get();
    return nullptr;
}

TZrX509* TZrX509List::byKeyIDStr(const char* keyIDHex) const {
    TCASN1OctetString id;
    if (!keyIDHex || failed(id.fromHex(keyIDHex))) return nullptr;
    return byKeyID(id);
}

bool TZrX509List::containsAnyCert(const std::vector<TCString>& keyIDs) const {
    for (const TCString& id : keyIDs)
        if (byKeyIDStr(id.c_str())) return true;
    return false;
}

bool TZrX509List::containsAnyCert(const TCStringList& keyIDs) const {
    for (int i = 0; i < keyIDs.count(); ++i)
        if (byKeyIDStr(keyIDs.item(i).c_str())) return true;
    return false;
}

// ---- chain ----

TZrX509* TCXCertsChain::getFirst() const {
    if (items_.empty()) return nullptr;
    for (const auto& c : items_) {
        bool issuesAnother = false;
        for (const auto& o : items_)
            if (o.get() != c.get() && !o->isSelfIssued() && issued(*c, *o)) {
                issuesAnother = true;
                break;
            }
        if (!issuesAnother) return c.get();
    }
    return items_.front().get();
}

bool TCXCertsChain::isBroken(int* pos) const {
    int from = pos && *pos > 0 ? *pos : 1;
    for (int i = from; i <= count(); ++i) {
        const TZrX509& c = *items_[static_cast<size_t>(i - 1)];
        if (c.isSelfSigned()) continue;
        if (!findSigner(c)) {
            if (pos) *pos = i;
            return true;
        }
    }
    return false;
}

static KResult mapVerifyError(int err) {
    switch (err) {
    case X509_V_OK: return 0;
    case X509_V_ERR_CERT_HAS_EXPIRED: return kErrExpired;
    case X509_V_ERR_CERT_NOT_YET_VALID: return kErrNotYetValid;
    case X509_V_ERR_CERT_SIGNATURE_FAILURE:
    case X509_V_ERR_UNABLE_TO_DECRYPT_CERT_SIGNATURE:
    case X509_V_ERR_UNABLE_TO_DECODE_ISSUER_PUBLIC_KEY: return kErrBadSignature;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY: return kErrIssuerNotFound;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED: return kErrUntrustedRoot;
    case X509_V_ERR_INVALID_CA:
    case X509_V_ERR_KEYUSAGE_NO_CERTSIGN: return kErrNotCA;
    default: return kErrChainVerify;
    }
}

KResult TCXCertsChain::verifyOne(const TZrX509& cert, TZrXCertLookupFunc lookup, void* context, int64_t at,
                                 int* failPos) const {
    // Trust anchors are the chain's own self-signed certificates; issuers the
    // chain lacks may come from the lookup (bounded, and each only once).
    std::vector<std::unique_ptr<TZrX509>> fetched;
    X509_STORE* store = X509_STORE_new();
    STACK_OF(X509)* untrusted = sk_X509_new_null();
    if (!store || !untrusted) {
        X509_STORE_free(store);
        sk_X509_free(untrusted);
        return kErrCrypto;
    }
    auto addCert = [&](const TZrX509& c) {
        if (c.isSelfSigned()) X509_STORE_add_cert(store, c.handle());
        else sk_X509_push(untrusted, c.handle());
    };
    for (const auto& c : items_) addCert(*c);
    if (lookup) {
        const TZrX509* cur = &cert;
        std::set<std::vector<uint8_t>> seen;
        for (int guard = 0; guard < 32 && cur && !cur->isSelfSigned(); ++guard) {
            const TZrX509* issuer = findSigner(*cur);
            if (!issuer) {
                for (const auto& f : fetched)
                    if (issued(*f, *cur)) issuer = f.get();
            }
            if (!issuer) {
                std::unique_ptr<TZrX509> got(lookup(context, cur->getAuthKeyID(), cur->getIssuer(), nullptr));
                if (!got || got->isEmpty() || !issued(*got, *cur)) break;
                std::vector<uint8_t> der;
                got->encode(der);
                if (!seen.insert(der).second) break;  // a cycle
                addCert(*got);
                fetched.push_back(std::move(got));
                issuer = fetched.back().get();
            }
            cur = issuer;
        }
    }
    X509_STORE_CTX* ctx = X509_STORE_CTX_new();
    KResult rc = kErrCrypto;
    if (ctx && X509_STORE_CTX_init(ctx, store, cert.handle(), untrusted) == 1) {
        if (at != -1) X509_STORE_CTX_set_time(ctx, 0, static_cast<time_t>(at));
        int ok = X509_verify_cert(ctx);
        if (ok == 1) {
            rc = 0;
        } else {
            rc = mapVerifyError(X509_STORE_CTX_get_error(ctx));
            if (failPos) {
                X509* bad = X509_STORE_CTX_get_current_cert(ctx);
                int idx = -1;
                for (size_t i = 0; bad && i < items_.size(); ++i)
                    if (X509_cmp(items_[i]->handle(), bad) == 0) idx = static_cast<int>(i);
                if (idx < 0 && rc == kErrIssuerNotFound) {
                    // the certificate whose issuer is missing
                    X509* top = nullptr;
                    STACK_OF(X509)* built = X509_STORE_CTX_get0_chain(ctx);
                    if (built && sk_X509_num(built) > 0) top = sk_X509_value(built, sk_X509_num(built) - 1);
                    for (size_t i = 0; top && i < items_.size(); ++i)
                        if (X509_cmp(items_[i]->handle(), top) == 0) idx = static_cast<int>(i);
                }
                *failPos = idx >= 0 ? idx + 1 : -1;
            }
        }
    }
    X509_STORE_CTX_free(ctx);
    X509_STORE_free(store);
    sk_X509_free(untrusted);
    ERR_clear_error();
    return rc;
}

KResult TCXCertsChain::verify(int* pos, TZrXCertLookupFunc lookup, void* context, int64_t at) const {
    if (items_.empty()) {
        if (pos) *pos = 0;
        return kErrEmptyObject;
    }
    for (int i = 0; i < count(); ++i) {
        int failPos = -1;
        KResult rc = verifyOne(*items_[static_cast<size_t>(i)], lookup, context, at, &failPos);
        if (failed(rc)) {
            if (pos) *pos = failPos > 0 ? failPos : i + 1;
            return rc;
        }
    }
    if (pos) *pos = 0;
    return 0;
}

KResult TCXCertsChain::verifyCert(const TZrX509& cert, TZrXCertLookupFunc lookup, void* context, int64_t at) const {
    if (cert.isEmpty()) return kErrEmptyObject;
    return verifyOne(cert, lookup, context, at, nullptr);
}

KResult TCXCertsChain::load(const TZrX509& cert, TZrXCertLookupFunc lookup, void* context) {
    clear();
    if (cert.isEmpty()) return kErrEmptyObject;
    add(cert);
    const TZrX509* cur = at(0);
    for (int guard = 0; guard < 64; ++guard) {
        if (cur->isSelfSigned()) return 0;
        if (!lookup) return kErrIssuerNotFound;
        std::unique_ptr<TZrX509> issuer(lookup(context, cur->getAuthKeyID(), cur->getIssuer(), nullptr));
        if (!issuer || issuer->isEmpty() || !issued(*issuer, *cur)) return kErrIssuerNotFound;
        if (indexOf(issuer.get()) >= 0) return kErrChainCycle;
        int i = add(*issuer);
        cur = at(i);
    }
    return kErrChainCycle;
}

KResult TCXCertsChain::build(const TZrX509& cert, const TZrX509List& set) {
    clear();
    if (cert.isEmpty()) return kErrEmptyObject;
    add(cert);
    const TZrX509* cur = at(0);
    for (int guard = 0; guard <= set.count(); ++guard) {
        if (cur->isSelfSigned()) return 0;
        TZrX509* issuer = set.findSigner(*cur);
        if (!issuer) return kErrIssuerNotFound;
        if (indexOf(issuer) >= 0) return kErrChainCycle;
        cur = at(add(*issuer));
    }
    return kErrChainCycle;
}
