// Stored certificate requests.
#include "platform/core/keys/ReqCtx.h"

#include <cstring>

#include "platform/core/container/KeyCrypto.h"

TZrX509ReqCtx::TZrX509ReqCtx(zrx::container::RequestRecord rec) : rec_(std::move(rec)) {
    req_.decode(rec_.der.data(), rec_.der.size());
    flags_ = rec_.flags | (rec_.purpose & kfPurposeMask);
    if (purpose() == kfKeyAgreement) flags_ |= kfKeyAgreementKey;
    keyId_.assign(rec_.keyId.data(), rec_.keyId.size());
}

KResult TZrX509ReqCtx::getReqData(void* buf, size_t* len) const {
    const std::string& obj = rec_.signedDer.empty() ? rec_.der : rec_.signedDer;
    if (!len) return zrx::container::kErrInvalidArg;
    size_t room = *len;
    *len = obj.size();
    if (!buf) return zrx::container::kErrInvalidArg;
    if (obj.size() > room) return zrx::container::kErrBufferTooSmall;
    std::memcpy(buf, obj.data(), obj.size());
    return 0;
}

void TZrX509ReqCtx::syncRecord() {
    rec_.purpose = flags_ & kfPurposeMask;
    rec_.flags = flags_ & ~(kfPurposeMask | kfKeyAgreementKey);
}
