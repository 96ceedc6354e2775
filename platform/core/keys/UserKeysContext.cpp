// The content of a key container.
#include "platform/core/keys/UserKeysContext.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "platform/core/container/KeyCrypto.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Passwords.h"
#include "platform/runtime/Translation.h"

using namespace zrx;
using namespace zrx::container;

namespace {

int64_t nowSeconds() { return int64_t(std::time(nullptr)); }

TCASN1OctetString idOfHex(const char* hex) {
    std::string raw;
    if (!hex || !crypto::bytesOfHex(hex, raw)) return {};
    return TCASN1OctetString(raw.data(), raw.size());
}

uint32_t roleOfList(int type) {
    switch (type) {
    case kltNextKeys: return kRoleNext;
    case kltPrevEncodeKeys: return kRolePrevious;
    case kltStorageKeys: return kRoleStorage;
    default: return kRoleActive;
    }
}

}  // namespace

TCBaseUserKeysContext::TCBaseUserKeysContext() = default;

TCBaseUserKeysContext::~TCBaseUserKeysContext() { secureWipe(password_, sizeof password_); }

// ---------------------------------------------------------------- state

bool TCBaseUserKeysContext::isEmpty() const {
    return ctx_ActKeysList.isEmpty() && ctx_NewKeysList.isEmpty() && ctx_PrevEncodeKeysList.isEmpty() &&
           ctx_StorageKeysList.isEmpty() && ctx_RequestsList.isEmpty() && ctx_CertificatesList.isEmpty();
}

int TCBaseUserKeysContext::isFile() const {
    if (storage_) return storage_->isFile() ? 1 : 0;
    return isDeviceLocation(location_.str()) ? 0 : 1;
}

uint32_t TCBaseUserKeysContext::mediaType() const {
    if (storage_) return storage_->mediaType();
    return mediaTypeOfLocation(location_.str());
}

void TCBaseUserKeysContext::setFileName(const char* location) {
    std::string loc = location ? location : "";
    if (loc != location_.str()) {
        storage_.reset();
        devicePasswordSet_ = false;
    }
    location_ = loc;
}

KResult TCBaseUserKeysContext::openStorage(TCKeyStorage** out) {
    if (!storage_) {
        if (location_.isEmpty()) return kErrInvalidArg;
        if (KResult rc = openKeyStorage(location_.str(), storage_)) return rc;
    }
    if (out) *out = storage_.get();
    return 0;
}

void TCBaseUserKeysContext::startNew(const char* location) {
    clearContent();
    meta_ = MetaRecord{};
    name_.clear();
    owner_.clear();
    storage_.reset();
    devicePasswordSet_ = false;
    location_ = location ? location : "";
    touch();
}

bool TCBaseUserKeysContext::setDp(const char* password) {
    secureWipe(password_, sizeof password_);
    if (!password) return true;
    const size_t n = std::strlen(password);
    if (n >= sizeof password_) return false;
    std::memcpy(password_, password, n);
    return true;
}

bool TCBaseUserKeysContext::isActiveMode() const { return isFile() == 0; }

TCString TCBaseUserKeysContext::deviceText() const {
    if (isFile()) return TCString();
    return location_.afterFirst(':');
}

void TCBaseUserKeysContext::touch() {
    modified_ = true;
    meta_.updateTime = std::max(nowSeconds(), meta_.updateTime + 1);
}

void TCBaseUserKeysContext::setModified(bool on) {
    if (on) touch();
    else modified_ = false;
}

bool TCBaseUserKeysContext::copyDenied() const {
    for (const TCSBaseKeysList* list : {&ctx_ActKeysList, &ctx_NewKeysList, &ctx_PrevEncodeKeysList})
        if (list->enumeratePrivateKeys([](TCPrivateEVPKey* k) { return k->record().pkcs8.empty(); })) return true;
    return false;
}

// ---------------------------------------------------------------- passwords

namespace {
bool acceptablePassword(const char* pw) { return pw && *pw && std::strlen(pw) < kCtxPasswordSize; }
}  // namespace

int TCBaseUserKeysContext::needChangeStatupPassword() const {
    if (meta_.flags & kMetaStartupPassword) return 1;
    int minLen = 0, maxLen = 0;
    const char* test = getPassMinMax(&minLen, &maxLen);
    return test && *test && std::strcmp(test, password_) == 0 ? 1 : 0;
}

KResult TCBaseUserKeysContext::changePassword(const char* oldPassword, const char* newPassword, uint32_t flags) {
    if (!oldPassword || std::strcmp(oldPassword, password_) != 0) return kErrPassword;
    return setPassword(newPassword, flags);
}

bool TCBaseUserKeysContext::devicePasswordInUse() const {
    if (isFile()) return false;
    if (devicePasswordSet_) return true;
    for (const TCSBaseKeysList* list : {&ctx_ActKeysList, &ctx_NewKeysList, &ctx_PrevEncodeKeysList})
        if (list->enumeratePrivateKeys([](TCPrivateEVPKey* k) { return !k->record().handle.empty(); })) return true;
    return false;
}

KResult TCBaseUserKeysContext::changeDevicePin(TCKeyStorage* st, const char* newPassword) {
    KResult rc = st->changeDevicePassword(password_, newPassword);
    if (failed(rc) || !snapshot_) return rc;
    if (pinLocation_.empty()) {
        pinLocation_ = st->location();
        pinBefore_.assignBytes(password_, std::strlen(password_) + 1);
    }
    if (pinLocation_ == st->location()) pinAfter_.assignBytes(newPassword, std::strlen(newPassword) + 1);
    return rc;
}

KResult TCBaseUserKeysContext::setPassword(const char* newPassword, uint32_t flags) {
    if (!acceptablePassword(newPassword)) return kErrPassword;
    // The device checks the password itself (a token's user PIN): it must
    // change with the content's, or the next save and load are refused.
    if (std::strcmp(newPassword, password_) != 0 && devicePasswordInUse()) {
        TCKeyStorage* st = nullptr;
        if (KResult rc = openStorage(&st)) return rc;
        if (KResult rc = changeDevicePin(st, newPassword); failed(rc)) return rc;
    }
    setDp(newPassword);
    if (flags & 1) meta_.flags |= kMetaStartupPassword;
    else meta_.flags &= ~kMetaStartupPassword;
    touch();
    return 0;
}

KResult TCBaseUserKeysContext::checkChangeDevPassword(const char* location, const char* newPassword) {
    if (!acceptablePassword(newPassword)) return kErrPassword;
    std::unique_ptr<TCKeyStorage> other;
    TCKeyStorage* st = storage_.get();
    if (location && *location && location_.str() != location) {
        if (KResult rc = openKeyStorage(location, other)) return rc;
        st = other.get();
    }
    if (!st) {
        if (KResult rc = openKeyStorage(location_.str(), storage_)) return rc;
        st = storage_.get();
    }
    if (st != storage_.get()) return st->changeDevicePassword(password_, newPassword);
    KResult rc = changeDevicePin(st, newPassword);
    if (!failed(rc)) {
        setDp(newPassword);
        devicePasswordSet_ = true;
    }
    return rc;
}

// ---------------------------------------------------------------- image

ContainerImage TCBaseUserKeysContext::toImage() const {
    ContainerImage img;
    img.meta = meta_;
    img.meta.name = name_.str();
    img.meta.owner = owner_.str();
    img.meta.location = location_.str();
    img.meta.mediaType = mediaType() == kUnknownMedia ? 0 : mediaType();
    for (const TCSBaseKeysList* list : {&ctx_ActKeysList, &ctx_NewKeysList, &ctx_PrevEncodeKeysList}) {
        for (int i = 0; i < list->count(); ++i) {
            TCPrivateEVPKey* k = list->asPrivateKey(i);
            if (!k) continue;
            k->syncRecord();
            KeyRecord rec = k->record();
            rec.role = roleOfList(list->getType());
            img.keys.push_back(std::move(rec));
        }
    }
    for (int i = 0; i < ctx_StorageKeysList.count(); ++i)
        if (TCSymmetricKey* k = ctx_StorageKeysList.asGOSTKey(i)) {
            KeyRecord rec = k->record();
            rec.role = kRoleStorage;
            rec.flags = k->flags();
            img.keys.push_back(std::move(rec));
        }
    for (int i = 0; i < ctx_RequestsList.count(); ++i)
        if (TZrX509ReqCtx* r = ctx_RequestsList.asReqCtx(i)) {
            r->syncRecord();
            img.requests.push_back(r->record());
        }
    for (int i = 0; i < ctx_CertificatesList.count(); ++i)
        if (TCCertBuff* c = ctx_CertificatesList.asCertBuff(i)) {
            CertRecord rec;
            rec.role = c->role();
            rec.flags = c->flags() & ~kfPurposeMask;
            rec.der = c->der();
            img.certs.push_back(std::move(rec));
        }
    return img;
}

void TCBaseUserKeysContext::clearContent() {
    for (TCSBaseKeysList* l : {&ctx_ActKeysList, &ctx_NewKeysList, &ctx_PrevEncodeKeysList, &ctx_StorageKeysList,
                               &ctx_RequestsList, &ctx_CertificatesList})
        l->clear();
}

void TCBaseUserKeysContext::fromImage(const ContainerImage& img) {
    clearContent();
    meta_ = img.meta;
    name_ = img.meta.name;
    owner_ = img.meta.owner;
    for (const KeyRecord& k : img.keys) {
        switch (k.role) {
        case kRoleStorage: ctx_StorageKeysList.add(std::make_unique<TCSymmetricKey>(k)); break;
        case kRoleNext: ctx_NewKeysList.add(std::make_unique<TCPrivateEVPKey>(k)); break;
        case kRolePrevious: ctx_PrevEncodeKeysList.add(std::make_unique<TCPrivateEVPKey>(k)); break;
        default: ctx_ActKeysList.add(std::make_unique<TCPrivateEVPKey>(k)); break;
        }
    }
    for (const RequestRecord& r : img.requests) ctx_RequestsList.add(std::make_unique<TZrX509ReqCtx>(r));
    for (const CertRecord& c : img.certs) {
        TZrX509 cert;
        if (failed(cert.decode(c.der.data(), c.der.size()))) continue;
        ctx_CertificatesList.add(std::make_unique<TCCertBuff>(cert, c.role, c.flags));
    }
}

namespace {

// Every object of an image must decode before the image replaces a content.
KResult validateImage(const ContainerImage& img) {
    for (const KeyRecord& k : img.keys) {
        if (k.role == kRoleStorage) continue;
        if (!crypto::publicKeyFromDer(k.publicKey)) return kErrFormat;
    }
    for (const RequestRecord& r : img.requests) {
        TZrX509Req req;
        if (failed(req.decode(r.der.data(), r.der.size()))) return kErrFormat;
    }
    for (const CertRecord& c : img.certs) {
        TZrX509 cert;
        if (failed(cert.decode(c.der.data(), c.der.size()))) return kErrFormat;
    }
    return 0;
}

}  // namespace

// ---------------------------------------------------------------- load / save

KResult TCBaseUserKeysContext::load(const char* location, const char* password) {
    if (!location || !*location) return kErrInvalidArg;
    // A password the context cannot hold whole would be cut short and the
    // next save would lock the container under that shorter one.
    if (password && std::strlen(password) >= kCtxPasswordSize) return kErrPassword;
    std::unique_ptr<TCKeyStorage> st;
    if (KResult rc = openKeyStorage(location, st)) return rc;
    ContainerImage img;
    if (KResult rc = st->load(password, img)) return rc;
    if (KResult rc = validateImage(img)) return rc;
    commitUpdate();
    pendingRemovals_.clear();
    fromImage(img);
    location_ = location;
    setDp(password);
    storage_ = std::move(st);
    devicePasswordSet_ = true;
    modified_ = false;
    return 0;
}

KResult TCBaseUserKeysContext::save(const char* location, const char* password) {
    if (!location || !*location) return kErrInvalidArg;
    if (!acceptablePassword(password)) return kErrPassword;
    std::unique_ptr<TCKeyStorage> st;
    if (storage_ && storage_->location() == location) {
        st = std::move(storage_);
    } else {
        // Keys held by a device cannot follow the content elsewhere.
        if (copyDenied() && !location_.isEmpty() && location_.str() != location) return kErrKeysNotCopyable;
        if (KResult rc = openKeyStorage(location, st)) return rc;
    }
    ContainerImage img = toImage();
    img.meta.location = location;
    img.meta.mediaType = st->mediaType();
    KResult rc = st->save(password, img);
    if (failed(rc)) {
        if (!storage_ && st->location() == location_.str()) storage_ = std::move(st);
        return rc;
    }
    // The written content no longer names the keys taken out of it.
    auto named = [&](const KeyRecord& k) {
        return std::any_of(img.keys.begin(), img.keys.end(), [&](const KeyRecord& n) { return n.id == k.id; });
    };
    if (st->location() == location_.str())
        for (const KeyRecord& k : pendingRemovals_)
            if (KResult r = named(k) ? 0 : st->removeKey(k, password); failed(r))
                KV_HLogFmtText(r, "Ключ %s не удалён с носителя '%s'", crypto::hexOf(k.id).c_str(), location);
    pendingRemovals_.clear();
    snapshotRemovals_ = 0;
    storage_ = std::move(st);
    location_ = location;
    if (password != password_) setDp(password);
    devicePasswordSet_ = true;
    if (!storage_->isFile()) syncDeviceKeys(storage_.get(), password_);
    modified_ = false;
    return rc;
}

void TCBaseUserKeysContext::syncDeviceKeys(TCKeyStorage* st, const char* password) {
    const TCSBaseKeysList* lists[] = {&ctx_ActKeysList, &ctx_NewKeysList, &ctx_PrevEncodeKeysList};
    bool software = false;
    for (const TCSBaseKeysList* list : lists)
        software =
            software || list->enumeratePrivateKeys([](TCPrivateEVPKey* k) { return !k->record().pkcs8.empty(); });
    if (!software) return;
    ContainerImage back;
    if (failed(st->load(password, back))) return;
    for (const TCSBaseKeysList* list : lists)
        for (int i = 0; i < list->count(); ++i) {
            TCPrivateEVPKey* k = list->asPrivateKey(i);
            if (!k || k->record().pkcs8.empty()) continue;
            for (const KeyRecord& r : back.keys)
                if (r.id == k->record().id && r.pkcs8.empty() && !r.handle.empty()) {
                    k->record().pkcs8.wipe();
                    k->record().handle = r.handle;
                    break;
                }
        }
}

KResult TCBaseUserKeysContext::update() {
    if (location_.isEmpty()) return kErrInvalidArg;
    return save(location_.c_str(), password_);
}

void TCBaseUserKeysContext::beginUpdate() {
    if (snapshot_) return;
    snapshot_ = std::make_unique<ContainerImage>(toImage());
    snapshotModified_ = modified_;
    snapshotPassword_.assignBytes(password_, sizeof password_);
    snapshotDevicePasswordSet_ = devicePasswordSet_;
    snapshotRemovals_ = pendingRemovals_.size();
}

void TCBaseUserKeysContext::commitUpdate() {
    snapshot_.reset();
    snapshotPassword_.wipe();
    pinLocation_.clear();
    pinBefore_.wipe();
    pinAfter_.wipe();
}

void TCBaseUserKeysContext::dropUnsavedDeviceKeys() {
    const ContainerImage now = toImage();
    auto saved = [&](const KeyRecord& k) {
        return std::any_of(snapshot_->keys.begin(), snapshot_->keys.end(),
                           [&](const KeyRecord& s) { return s.id == k.id; });
    };
    TCKeyStorage* st = nullptr;
    for (const KeyRecord& k : now.keys) {
        if (k.handle.empty() || saved(k)) continue;
        if (!st && failed(openStorage(&st))) return;
        if (KResult rc = st->removeKey(k, password_); failed(rc))
            KV_HLogFmtText(rc, "Ключ %s не удалён с носителя '%s'", crypto::hexOf(k.id).c_str(), location_.c_str());
    }
}

void TCBaseUserKeysContext::cancelUpdate() {
    if (snapshot_) {
        // Keys made on a device in this update go with it.
        dropUnsavedDeviceKeys();
        // The device gets back the password the restored content has.
        if (!pinLocation_.empty()) {
            std::unique_ptr<TCKeyStorage> st;
            KResult rc = openKeyStorage(pinLocation_, st);
            if (!rc)
                rc = st->changeDevicePassword(reinterpret_cast<const char*>(pinAfter_.data()),
                                              reinterpret_cast<const char*>(pinBefore_.data()));
            if (failed(rc))
                KV_HLogFmtText(rc, "Пароль носителя '%s' не восстановлен при отмене изменений", pinLocation_.c_str());
        }
        devicePasswordSet_ = snapshotDevicePasswordSet_;
        if (pendingRemovals_.size() > snapshotRemovals_)
            pendingRemovals_.erase(pendingRemovals_.begin() + snapshotRemovals_, pendingRemovals_.end());
        if (snapshot_->meta.location != location_.str()) storage_.reset();
        fromImage(*snapshot_);
        location_ = snapshot_->meta.location;
        modified_ = snapshotModified_;
        std::memcpy(password_, snapshotPassword_.data(), sizeof password_);
        commitUpdate();
    }
    if (csp_) csp_->updateCancelled();
}

// ---------------------------------------------------------------- look-ups

TCPrivateEVPKey* TCBaseUserKeysContext::findPrivateKey(const TCASN1OctetString& keyId) const {
    for (const TCSBaseKeysList* list : {&ctx_ActKeysList, &ctx_NewKeysList, &ctx_PrevEncodeKeysList})
        if (TCPrivateEVPKey* k = list->enumeratePrivateKeys([&](TCPrivateEVPKey* p) { return p->keyID() == keyId; }))
            return k;
    return nullptr;
}

TCPrivateEVPKey* TCBaseUserKeysContext::findPrivateKey(const char* keyIdHex) const {
    TCASN1OctetString id = idOfHex(keyIdHex);
    return id.isEmpty() ? nullptr : findPrivateKey(id);
}

TCPrivateEVPKey* TCBaseUserKeysContext::findPrivateKeyOf(const TZrX509& cert) const {
    EVP_PKEY* pub = cert.publicKey();
    if (!pub) return nullptr;
    const std::string id = crypto::keyIdOf(pub);
    TCPrivateEVPKey* k = findPrivateKey(TCASN1OctetString(id.data(), id.size()));
    return k && k->matches(pub) ? k : nullptr;
}

TCPrivateEVPKey* TCBaseUserKeysContext::activeKey(uint32_t purpose) const {
    return ctx_ActKeysList.enumeratePrivateKeys([&](TCPrivateEVPKey* k) { return k->purpose() == purpose; });
}

TCPrivateEVPKey* TCBaseUserKeysContext::nextKey(uint32_t purpose) const {
    return ctx_NewKeysList.enumeratePrivateKeys([&](TCPrivateEVPKey* k) { return k->purpose() == purpose; });
}

TCCertBuff* TCBaseUserKeysContext::findCertBuff(const TCASN1OctetString& keyId) const {
    // The newest certificate of the key (a renewed certificate replaces an older one).
    TCCertBuff* best = nullptr;
    for (int i = 0; i < ctx_CertificatesList.count(); ++i) {
        TCCertBuff* c = ctx_CertificatesList.asCertBuff(i);
        if (!c || c->keyID() != keyId) continue;
        if (!best || c->object()->getNotAfter_time() > best->object()->getNotAfter_time()) best = c;
    }
    return best;
}

TZrX509* TCBaseUserKeysContext::findCert(const TCASN1OctetString& keyId) const {
    TCCertBuff* c = findCertBuff(keyId);
    if (c) return c->object();
    // Certificates of other issuers may carry a subject key identifier of
    // their own making: look at those too.
    for (int i = 0; i < ctx_CertificatesList.count(); ++i)
        if (TZrX509* x = ctx_CertificatesList.asX509(i); x && x->keyID() == keyId) return x;
    return nullptr;
}

TZrX509* TCBaseUserKeysContext::findCert(const char* keyIdHex) const {
    TCASN1OctetString id = idOfHex(keyIdHex);
    return id.isEmpty() ? nullptr : findCert(id);
}

TZrX509ReqCtx* TCBaseUserKeysContext::findCertReq(const TCASN1OctetString& keyId, bool) const {
    for (int i = ctx_RequestsList.count() - 1; i >= 0; --i)
        if (TZrX509ReqCtx* r = ctx_RequestsList.asReqCtx(i); r && r->keyID() == keyId) return r;
    return nullptr;
}

TZrX509ReqCtx* TCBaseUserKeysContext::findCertReq(const char* keyIdHex, bool withSigned) const {
    TCASN1OctetString id = idOfHex(keyIdHex);
    return id.isEmpty() ? nullptr : findCertReq(id, withSigned);
}

TZrX509* TCBaseUserKeysContext::certOfKey(const TCPrivateEVPKey* key, TCCertBuff** buff) const {
    TCCertBuff* c = key ? findCertBuff(key->keyID()) : nullptr;
    if (buff) *buff = c;
    return c ? c->object() : nullptr;
}

TZrX509Base* TCBaseUserKeysContext::findRelatedPKIObject(const TCPrivateEVPKey* key) const {
    if (!key) return nullptr;
    if (TZrX509* c = certOfKey(key)) return c;
    if (TZrX509ReqCtx* r = findCertReq(key->keyID())) return r->request();
    return nullptr;
}

TZrX509Base* TCBaseUserKeysContext::findEncodeKeyX509Object(bool next) const {
    TCPrivateEVPKey* active = activeKey(kfKeyAgreement);
    if (!next) return certOfKey(active);
    if (TCPrivateEVPKey* k = nextKey(kfKeyAgreement)) return findRelatedPKIObject(k);
    // A new key-agreement key waiting for its first certificate.
    if (active && !certOfKey(active))
        if (TZrX509ReqCtx* r = findCertReq(active->keyID())) return r->request();
    return nullptr;
}

TCCertBuff* TCBaseUserKeysContext::getSelfActCrtBuff() const {
    TCCertBuff* c = nullptr;
    certOfKey(activeKey(kfSignature), &c);
    return c;
}

TCCertBuff* TCBaseUserKeysContext::getSelfNewCrtBuff() const {
    TCCertBuff* c = nullptr;
    certOfKey(nextKey(kfSignature), &c);
    return c;
}

TZrX509ReqCtx* TCBaseUserKeysContext::getSelfReqBuff() const {
    if (TCPrivateEVPKey* k = nextKey(kfSignature)) return findCertReq(k->keyID());
    TCPrivateEVPKey* a = activeKey(kfSignature);
    if (a && !certOfKey(a)) return findCertReq(a->keyID());
    return nullptr;
}

TZrX509* TCBaseUserKeysContext::getPrevX509Object() const {
    TZrX509* best = nullptr;
    for (int i = 0; i < ctx_CertificatesList.count(); ++i) {
        TCCertBuff* c = ctx_CertificatesList.asCertBuff(i);
        if (!c || c->role() != kCertPrevious) continue;
        if (!best || c->object()->getNotAfter_time() > best->getNotAfter_time()) best = c->object();
    }
    return best;
}

int TCBaseUserKeysContext::getPrivatesKeysIDList(TCStringList& list, uint32_t flags) const {
    auto addAll = [&](const TCSBaseKeysList& l) {
        for (int i = 0; i < l.count(); ++i)
            if (TCPrivateEVPKey* k = l.asPrivateKey(i); k && list.find(k->getKeyIDStr()) < 0)
                list.add(k->getKeyIDStr());
    };
    if (flags & 1) addAll(ctx_ActKeysList);
    if (flags & 2) addAll(ctx_NewKeysList);
    if (flags & 4) addAll(ctx_PrevEncodeKeysList);
    return list.count();
}

bool TCBaseUserKeysContext::markerNextObject(uint32_t kind) const {
    TCPrivateEVPKey* k = nextKey(kind);
    return k && findRelatedPKIObject(k) != nullptr;
}

bool TCBaseUserKeysContext::alreadyGenerated(uint32_t kind, bool pendingOnly) const {
    kind &= kfPurposeMask;
    if (!kind) return false;
    for (uint32_t p : {uint32_t(kfSignature), uint32_t(kfKeyAgreement)}) {
        if (!(kind & p)) continue;
        if (nextKey(p)) return true;
        TCPrivateEVPKey* a = activeKey(p);
        if (a && (!pendingOnly || findCertReq(a->keyID()))) return true;
    }
    return false;
}

// ---------------------------------------------------------------- changes

TCPrivateEVPKey* TCBaseUserKeysContext::addPrivateKey(KeyRecord rec) {
    if (rec.role == kRoleStorage) {
        auto k = std::make_unique<TCSymmetricKey>(std::move(rec));
        ctx_StorageKeysList.add(std::move(k));
        touch();
        return nullptr;
    }
    if (rec.role == 0) rec.role = activeKey(rec.purpose & kfPurposeMask) ? kRoleNext : kRoleActive;
    auto k = std::make_unique<TCPrivateEVPKey>(std::move(rec));
    TCPrivateEVPKey* p = k.get();
    switch (p->record().role) {
    case kRoleNext: ctx_NewKeysList.add(std::move(k)); break;
    case kRolePrevious: ctx_PrevEncodeKeysList.add(std::move(k)); break;
    default: ctx_ActKeysList.add(std::move(k)); break;
    }
    touch();
    return p;
}

TZrX509ReqCtx* TCBaseUserKeysContext::addRequest(RequestRecord rec) {
    auto r = std::make_unique<TZrX509ReqCtx>(std::move(rec));
    if (r->request()->isEmpty()) return nullptr;
    TZrX509ReqCtx* p = r.get();
    ctx_RequestsList.add(std::move(r));
    touch();
    return p;
}

KResult TCBaseUserKeysContext::addCertificate(const TZrX509& cert, uint32_t otherRole) {
    if (cert.isEmpty()) return kErrInvalidArg;
    std::vector<uint8_t> der;
    if (failed(cert.encode(der))) return kErrInvalidArg;
    for (int i = 0; i < ctx_CertificatesList.count(); ++i)
        if (TCCertBuff* c = ctx_CertificatesList.asCertBuff(i)) {
            std::string have = c->der();
            if (have.size() == der.size() && std::memcmp(have.data(), der.data(), der.size()) == 0) return 0;
        }
    std::string id = crypto::keyIdOf(cert.publicKey());
    TCASN1OctetString keyId(id.data(), id.size());
    uint32_t role = otherRole;
    if (TCPrivateEVPKey* k = findPrivateKey(keyId)) {
        role = ctx_NewKeysList.indexOf(k) >= 0          ? kCertOwnNext
               : ctx_PrevEncodeKeysList.indexOf(k) >= 0 ? kCertPrevious
                                                        : kCertOwn;
        k->setUsagePeriod(cert.getNotBefore_time(), cert.getNotAfter_time());
        if (TCCertBuff* old = findCertBuff(keyId); old && old->role() != kCertPrevious) old->setRole(kCertPrevious);
        while (TZrX509ReqCtx* r = findCertReq(keyId)) ctx_RequestsList.remove(r);
    }
    ctx_CertificatesList.add(std::make_unique<TCCertBuff>(cert, role, 0));
    touch();
    return 0;
}

KResult TCBaseUserKeysContext::activateNewKeys() {
    bool any = false;
    for (uint32_t kind : {uint32_t(kfSignature), uint32_t(kfKeyAgreement)}) {
        TCPrivateEVPKey* next = nextKey(kind);
        TCCertBuff* nextCert = nullptr;
        if (!next || !certOfKey(next, &nextCert) || nextCert->object()->checkDate() != 0) continue;
        if (TCPrivateEVPKey* old = activeKey(kind)) {
            TCCertBuff* oldCert = nullptr;
            if (certOfKey(old, &oldCert)) oldCert->setRole(kCertPrevious);
            if (kind == kfKeyAgreement) {
                ctx_PrevEncodeKeysList.add(ctx_ActKeysList.take(old));
            } else {
                checkPKeyDeletion(old);
                ctx_ActKeysList.remove(old);
            }
        }
        ctx_ActKeysList.add(ctx_NewKeysList.take(next));
        nextCert->setRole(kCertOwn);
        any = true;
    }
    if (!any) return 0;
    touch();
    return kInfoNewKeysActivated;
}

KResult TCBaseUserKeysContext::needChangeDefaultKeys(int days, TZrNDefKeysChkInfo* info) const {
    if (!info) return kErrInvalidArg;
    *info = TZrNDefKeysChkInfo{};
    int64_t now = nowSeconds();
    for (uint32_t kind : {uint32_t(kfSignature), uint32_t(kfKeyAgreement)}) {
        TCPrivateEVPKey* k = activeKey(kind);
        if (!k || nextKey(kind)) continue;  // none, or already being changed
        const TCString kindWord = zrnTranslateString(kind == kfSignature ? "ЭП" : "связи");
        const char* kindText = kindWord.c_str();
        TZrX509* cert = certOfKey(k);
        if (k->isStartup() || (cert && cert->isStart())) {
            info->flags |= kind;
            info->status = kWarnStartupKeys;
            KV_HLogFmtText(kWarnStartupKeys, "Стартовые ключи %s владельца \"%s\" подлежат смене", kindText,
                           owner_.c_str());
            continue;
        }
        if (!cert) continue;
        int64_t notAfter = cert->getNotAfter_time();
        if (notAfter - int64_t(days) * 86400 > now) continue;
        info->flags |= kind;
        if (notAfter <= now)
            KV_HLogFmtText(0x80800002, "Срок действия сертификата ключа %s владельца \"%s\" истек", kindText,
                           owner_.c_str());
        else
            KV_HLogFmtText(0x80800002, "Срок действия сертификата ключа %s владельца \"%s\" истекает через %lld дн.",
                           kindText, owner_.c_str(), static_cast<long long>((notAfter - now + 86399) / 86400));
    }
    return 0;
}

int TCBaseUserKeysContext::sweep(int64_t now) {
    if (now < 0) now = nowSeconds();
    int removed = 0;
    auto expiredKey = [&](TCPrivateEVPKey* k) {
        TZrX509* c = certOfKey(k);
        if (c) return c->getNotAfter_time() < now;
        return k->notAfter() != 0 && k->notAfter() < now;
    };
    for (TCSBaseKeysList* list : {&ctx_ActKeysList, &ctx_NewKeysList, &ctx_PrevEncodeKeysList}) {
        for (int i = list->count() - 1; i >= 0; --i) {
            TCPrivateEVPKey* k = list->asPrivateKey(i);
            if (!k || !expiredKey(k)) continue;
            TCASN1OctetString id = k->keyID();
            while (TZrX509ReqCtx* r = findCertReq(id)) {
                ctx_RequestsList.remove(r);
                ++removed;
            }
            checkPKeyDeletion(k);
            list->removeAt(i);
            ++removed;
        }
    }
    for (int i = ctx_CertificatesList.count() - 1; i >= 0; --i) {
        TCCertBuff* c = ctx_CertificatesList.asCertBuff(i);
        if (c && c->object()->getNotAfter_time() < now && !findPrivateKey(c->keyID())) {
            ctx_CertificatesList.removeAt(i);
            ++removed;
        }
    }
    if (removed) touch();
    return removed;
}

KResult TCBaseUserKeysContext::checkPKeyDeletion(TCPrivateEVPKey* key) {
    if (!key) return kErrInvalidArg;
    if (key->record().handle.empty()) return 0;
    // Removed now, the key would be lost to a cancelled update, and the
    // content still on the device would name a key that is gone.
    pendingRemovals_.push_back(key->record());
    return 0;
}

// The deletions work on a copy of the identifier: the caller's may belong to
// an object that goes with the first removal.
KResult TCBaseUserKeysContext::deleteCertificate(const TCASN1OctetString& keyIdRef) {
    const TCASN1OctetString keyId = keyIdRef;
    int n = 0;
    for (int i = ctx_CertificatesList.count() - 1; i >= 0; --i)
        if (TCSBaseBuff* c = ctx_CertificatesList.at(i); c && c->keyID() == keyId) {
            ctx_CertificatesList.removeAt(i);
            ++n;
        }
    if (!n) return kErrNotFound;
    touch();
    return 0;
}

KResult TCBaseUserKeysContext::deleteRequest(const TCASN1OctetString& keyIdRef, bool withKey) {
    const TCASN1OctetString keyId = keyIdRef;
    int n = 0;
    while (TZrX509ReqCtx* r = findCertReq(keyId)) {
        ctx_RequestsList.remove(r);
        ++n;
    }
    if (withKey)
        while (TCPrivateEVPKey* k = findPrivateKey(keyId)) {
            checkPKeyDeletion(k);
            for (TCSBaseKeysList* l : {&ctx_ActKeysList, &ctx_NewKeysList, &ctx_PrevEncodeKeysList}) l->remove(k);
            ++n;
        }
    if (!n) return kErrNotFound;
    touch();
    return 0;
}

KResult TCBaseUserKeysContext::deleteAllKeyData(const TCASN1OctetString& keyIdRef) {
    const TCASN1OctetString keyId = keyIdRef;
    KResult a = deleteRequest(keyId, true);
    KResult b = deleteCertificate(keyId);
    return (failed(a) && failed(b)) ? kErrNotFound : 0;
}

crypto::PkeyPtr TCBaseUserKeysContext::signingKey(const TCPrivateEVPKey* key) {
    if (!key) return nullptr;
    if (!key->record().pkcs8.empty()) return crypto::importPkcs8(key->record().pkcs8);
    TCKeyStorage* st = nullptr;
    if (failed(openStorage(&st))) return nullptr;
    return st->signingKey(key->record(), password_);
}
