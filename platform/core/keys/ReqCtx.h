#pragma once
// A stored certificate request: the PKCS#10 request and, when made, its
// CMS-signed form.
#include <string>

#include "platform/core/container/ContainerFile.h"
#include "platform/core/keys/KeysList.h"
#include "platform/core/x509/ZrX509Req.h"

class TZrX509ReqCtx : public TCSBaseBuff {
public:
    explicit TZrX509ReqCtx(zrx::container::RequestRecord rec);
    const zrx::container::RequestRecord& record() const { return rec_; }
    // 0 for a plain request, 1 when a signed form exists.
    int getType() const { return rec_.signedDer.empty() ? 0 : 1; }
    TZrX509Req* request() { return &req_; }
    const TZrX509Req* request() const { return &req_; }
    const std::string& plainDer() const { return rec_.der; }
    const std::string& signedDer() const { return rec_.signedDer; }
    void setSignedDer(std::string der) { rec_.signedDer = std::move(der); }
    int32_t profile() const { return rec_.profile; }
    // The object sent to a service: the signed form when there is one, else
    // the PKCS#10 request. *len is the buffer size on entry and the object's
    // length on return; an object that does not fit is a failure and nothing
    // is written.
    KResult getReqData(void* buf, size_t* len) const;
    void syncRecord();

private:
    zrx::container::RequestRecord rec_;
    TZrX509Req req_;
};
