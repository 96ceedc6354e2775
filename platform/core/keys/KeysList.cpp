// Typed lists of a container's entries.
#include "platform/core/keys/KeysList.h"

#include "platform/core/keys/PrivateEVPKey.h"
#include "platform/core/keys/ReqCtx.h"

int TCSBaseKeysList::indexOf(const TCSBaseBuff* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item) return int(i);
    return -1;
}

TCCertBuff* TCSBaseKeysList::asCertBuff(int i) const { return dynamic_cast<TCCertBuff*>(at(i)); }

TZrX509* TCSBaseKeysList::asX509(int i) const {
    TCCertBuff* c = asCertBuff(i);
    return c ? c->object() : nullptr;
}

TZrX509ReqCtx* TCSBaseKeysList::asReqCtx(int i) const { return dynamic_cast<TZrX509ReqCtx*>(at(i)); }

TZrX509Req* TCSBaseKeysList::asTZrX509Req(int i) const {
    TZrX509ReqCtx* r = asReqCtx(i);
    return r ? r->request() : nullptr;
}

TCPrivateEVPKey* TCSBaseKeysList::asPrivateKey(int i) const { return dynamic_cast<TCPrivateEVPKey*>(at(i)); }
TCSymmetricKey* TCSBaseKeysList::asGOSTKey(int i) const { return dynamic_cast<TCSymmetricKey*>(at(i)); }

TCPrivateEVPKey* TCSBaseKeysList::enumeratePrivateKeys(const std::function<bool(TCPrivateEVPKey*)>& fn) const {
    for (int i = 0; i < count(); ++i)
        if (TCPrivateEVPKey* k = asPrivateKey(i); k && fn(k)) return k;
    return nullptr;
}

int TCSBaseKeysList::add(std::unique_ptr<TCSBaseBuff> item) {
    if (!item) return -1;
    items_.push_back(std::move(item));
    return count() - 1;
}

bool TCSBaseKeysList::remove(const TCSBaseBuff* item) { return removeAt(indexOf(item)); }

bool TCSBaseKeysList::removeAt(int i) {
    if (i < 0 || i >= count()) return false;
    items_.erase(items_.begin() + i);
    return true;
}

std::unique_ptr<TCSBaseBuff> TCSBaseKeysList::take(const TCSBaseBuff* item) {
    int i = indexOf(item);
    if (i < 0) return nullptr;
    std::unique_ptr<TCSBaseBuff> p = std::move(items_[size_t(i)]);
    items_.erase(items_.begin() + i);
    return p;
}
