#pragma once
// Client of the certification authority's registration service: HTTP/1.1
// with JSON bodies to one service address. Operations: register an object,
// issue a certificate, ask a request's status, load an object, read the
// issuing restrictions. Every operation ends in one result code; failures
// are written to the runtime log.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/x509/CertsChain.h"
#include "platform/net/IdHTTP.h"
#include "platform/net/Json.h"
#include "platform/net/NetEncoding.h"
#include "platform/net/StringStream.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCFlags.h"
#include "platform/runtime/TCString.h"
#include "platform/x509api/ZrX509Api.h"

// Result codes of the client (facility 0x0C0).
constexpr KResult JCMP_E_BASE = 0xC0C00000u;             // | HTTP status or socket error (low 20 bits)
constexpr KResult JCMP_E_NOT_INITIALIZED = 0xC0C00320u;  // no service address
constexpr KResult JCMP_E_PARSE = 0xC0C00321u;
constexpr KResult JCMP_E_MISSING_VALUE = 0xC0C00322u;
constexpr KResult JCMP_E_BUFFER_TOO_SMALL = 0xC0C00324u;
constexpr KResult JCMP_E_BAD_PARAMETER = 0xC0C00326u;
constexpr KResult JCMP_E_INDY_EXCEPTION = 0xC0C00327u;

// Options word of registerData.
constexpr uint32_t JCMP_OPT_IGNORE_SIMILAR = 4;
constexpr uint32_t JCMP_OPT_SEND_IMMEDIATELY = 8;

// Issuing-restriction bits set by getIssuingRestrictions.
constexpr unsigned JCMP_IR_ACCEPT_START = 16;
constexpr unsigned JCMP_IR_ACCEPT_SELF = 32;
constexpr unsigned JCMP_IR_ACCEPT_PRETERM = 64;
constexpr unsigned JCMP_IR_ENABLED = 128;

// Named integer holding the service time-out in seconds, and the shortest
// time-out the client uses whatever the setting says.
constexpr const char* JCMP_TIMEOUT_NAME = "HTTP_TIMEOUT";
constexpr int JCMP_MIN_TIMEOUT_SEC = 5;
constexpr int JCMP_DEFAULT_TIMEOUT_SEC = 30;

class TCjCMPClient {
public:
    // Flags bits.
    static constexpr unsigned LOG_SUCCESS = 1;  // log successful results too
    static constexpr unsigned WRITE_DUMP = 2;   // append every exchange to the dump file

    static const char* const kContentType;  // "application/json; charset=utf-8"
    static const char* const kDumpFolder;   // empty: the current folder

    explicit TCjCMPClient(const char* baseURL);
    TCjCMPClient(const TCjCMPClient&) = delete;
    TCjCMPClient& operator=(const TCjCMPClient&) = delete;

    // Records and logs a result; answers the code.
    virtual KResult report(KResult code, const char* text);
    virtual ~TCjCMPClient();

    // Stores the address, with "/" appended when it does not end in one.
    void setBaseURL(const char* url);
    TCString baseURL() const { return baseURL_; }

    // POST "register": a DER object of the given type; options may be null.
    KResult registerData(const void* data, size_t length, int type, const uint32_t* options);
    // DER-encodes an object and registers it with its class number as type.
    KResult registerObject(const TCASN1Base* object, const uint32_t* options);
    // POST "issue". *outLength: buffer size in, object length out. The
    // parameters (may be null) are read as: flags 1 full chain, 2 include
    // service certificates, 4 ignore similar, 0x100 end is a number of days;
    // start and end times in seconds since 1970, 0 for none.
    KResult issue(int type, const void* data, size_t length, int* replyType, void* outBuffer, size_t* outLength,
                  const TZrXMKCertPars* parameters);
    // GET "status/<type>/<keyID>".
    KResult getStatus(int type, const char* keyID, int* status, TCString* description);
    // GET "load/<type>/<keyID>". *length: buffer size in, object length out.
    KResult load(int type, const char* keyID, void* buffer, size_t* length);
    // Loads into an object (its class number as type) and sets its status.
    KResult loadObject(TZrX509Base* object, const char* keyID);
    // Loads a PKCS#7 chain (type 20) and checks it.
    KResult loadChain(TCXCertsChain* chain, const char* keyID);
    // GET "issuingRestrictions": sets or clears the JCMP_IR_* bits.
    KResult getIssuingRestrictions(TCFlags<unsigned int>* flags);

    // Formats a translated message and reports it.
    KResult reportf(KResult code, const char* format, ...) ZRX_PRINTF(3, 4);
    // Names the current exchange: "<method> <operation>" or its description.
    TCString operationText(bool withMethod) const;

    TCFlags<unsigned int> flags;

    KResult lastResult() const { return lastCode_; }
    const TCString& lastResultText() const { return lastText_; }
    // The parsed reply of the last exchange, null when none.
    const TJSONValue* lastReply() const { return lastReply_.get(); }
    int httpStatus() const { return http_.ResponseCode(); }
    const TCString& requestURL() const { return requestURL_; }
    const TCString& operationName() const { return opName_; }

    // Builders of the request bodies (exposed for their callers' checks).
    static TCString registerOptionsText(const uint32_t* options);
    static TCString issueOptionsText(const TZrXMKCertPars* parameters);
    TCString bodyText(int type, const void* data, size_t length, const TCString& options) const;

protected:
    // Checks a reply body received with the current HTTP status (or the
    // given one) and reports its result code; the parsed object becomes the
    // last reply.
    KResult parseReply(const std::string& body) { return parseReply(body, httpStatus()); }
    KResult parseReply(const std::string& body, int status);
    // A failing HTTP status (above 399) replaces a successful result.
    KResult statusOverride(KResult code) { return statusOverride(code, httpStatus()); }
    KResult statusOverride(KResult code, int status);
    void logResult();
    void dumpExchange();

private:
    void prepare();
    void setOperation(const TCString& name, const char* method);
    // Sends the exchange; false when the HTTP client failed (already reported).
    bool send();
    void applyTimeouts();

    TIdHTTP http_;
    TStringStream request_;
    TStringStream response_;
    TBase64Encoding base64_{80, ""};
    TCString baseURL_;
    TCString requestURL_;
    TCString opName_;
    const char* method_ = "GET";
    std::unique_ptr<TJSONValue> lastReply_;
    TCString lastText_;
    KResult lastCode_ = 0;
};

// Reading the parsed reply; paths are dotted member names.
const TJSONValue* jsonFindValue(const TJSONValue* root, const char* path, TCString* errorText);
bool jsonGetString(const TJSONValue* root, const char* path, TCString& out, const char* def, TCString* errorText);
bool jsonGetBool(const TJSONValue* root, const char* path, bool def, TCString* errorText);
int32_t jsonGetInt(const TJSONValue* root, const char* path, int32_t def, TCString* errorText);

// A service result code: signed or unsigned 32-bit decimal, or hexadecimal
// ("0x" or "$") up to 0xFFFFFFFF. False for anything else.
bool jcmpParseCode(const char* text, uint32_t& code);
// The key identifier as it goes into a URL path (percent-encoded).
TCString jcmpEncodePathPart(const char* text);

// Translated text of a client code, and its two source tables.
TCString jcmpErrorText(KResult code);
const char* socketErrorName(uint32_t code);
const char* jcmpErrorName(KResult code);
