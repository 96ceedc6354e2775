// Reply parser of the registration-service client: any body with any HTTP
// status must give a result code. The first two bytes pick the status.
#include <cstddef>
#include <cstdint>
#include <string>

#include "jCmp/ZrX509jCMPClient.h"
#include "platform/runtime/Log.h"

namespace {

class Client : public TCjCMPClient {
public:
    Client() : TCjCMPClient("http://127.0.0.1:9/") {}
    using TCjCMPClient::parseReply;
    using TCjCMPClient::statusOverride;
};

int quiet(uint32_t, const char*) { return 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool init = (csSetKV_HLogOutFunc(quiet), true);
    (void)init;
    if (size < 2) return 0;
    const int status = 100 + (data[0] | (data[1] << 8)) % 500;
    const std::string body(reinterpret_cast<const char*>(data + 2), size - 2);
    Client c;
    c.statusOverride(c.parseReply(body, status), status);
    const TJSONValue* r = c.lastReply();
    TCString text, err;
    jsonGetInt(r, "x509object.type", 0, &err);
    jsonGetString(r, "x509object.base64object", text, "", &err);
    TBase64Encoding::DecodeStringToBytes(text.str());
    jsonGetInt(r, "objInfo.status.value", 0, &err);
    jsonGetString(r, "objInfo.status.description", text, "", &err);
    jsonGetBool(r, "enabled", false, nullptr);
    jsonGetInt(r, "status.code", 0, nullptr);
    if (r) r->ToJSON();
    return 0;
}
