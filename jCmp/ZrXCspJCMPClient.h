#pragma once
// The registration-service client bound to one open key container: sends
// the container's requests, has them issued at once where the service
// allows it, loads the issued certificates back into the container and
// sends revocation (block) requests. The log records written here are what
// the user reads in the result window.
#include <cstddef>
#include <cstdint>

#include "jCmp/ZrX509jCMPClient.h"
#include "platform/core/x509/Asn1Types.h"
#include "platform/runtime/TCFlags.h"
#include "platform/runtime/TCString.h"

class TZrX509;
class TZrX509Csp;

// Request-kinds word.
constexpr unsigned JCMP_KIND_SIGN = 1;               // a signature-key request
constexpr unsigned JCMP_KIND_KA = 2;                 // a key-agreement-key request
constexpr unsigned JCMP_KIND_SIGN_PLAIN = 4;         // the signature request exists only as plain PKCS#10
constexpr unsigned JCMP_KIND_KA_PLAIN = 8;           // the key-agreement request exists only as plain PKCS#10
constexpr unsigned JCMP_KIND_ISSUE_AT_ONCE = 0x100;  // input: immediate issue allowed

// Object types of the service.
constexpr int JCMP_TYPE_REQUEST = 3;         // plain PKCS#10 request
constexpr int JCMP_TYPE_SIGNED_REQUEST = 8;  // signed request
constexpr int JCMP_TYPE_CERTIFICATE = 2;     // issued object: one certificate
constexpr int JCMP_TYPE_CHAIN = 20;          // PKCS#7 chain

// The request status with which issued certificates are loaded.
constexpr int JCMP_STATUS_ISSUED = 4104;

// Capacities of the exchange buffers.
constexpr size_t JCMP_REQUEST_BUFFER = 16384;
constexpr size_t JCMP_ISSUED_BUFFER = 32768;

// loadCertificates flags: ask each request's status first.
constexpr unsigned JCMP_LOAD_ASK_STATUS = 1;

// Revocation reason of the block action (CRLReason certificateHold).
constexpr int JCMP_REASON_HOLD = 6;

// What loadCertificates found and stored.
struct TZrXLoadCounters {
    int requests = 0;  // requests of the container found
    int stored = 0;    // chains stored into the container
};

class TZrXCspJCMPClient : public TCjCMPClient {
public:
    static constexpr uint32_t kLiveTag = 0x48545450;

    // The container is not owned: it must outlive the client.
    explicit TZrXCspJCMPClient(TZrX509Csp* container);
    ~TZrXCspJCMPClient() override;

    TZrX509Csp* csp() const { return csp_; }
    // kLiveTag while the object lives, 0 after its destruction.
    uint32_t tag() const { return tag_; }

    // Sends the stored request of a key; with allowImmediate a signed request
    // is issued at once when the service accepts it.
    KResult sendRequest(const TCASN1OctetString& keyID, bool allowImmediate);
    // Sends the container's requests of the kinds (all present ones when
    // neither JCMP_KIND_SIGN nor JCMP_KIND_KA is given): the key-agreement
    // request first; a failure stops the series.
    KResult sendRequests(unsigned kinds);
    // Loads the certificates issued for all requests of the container
    // (flags: JCMP_LOAD_ASK_STATUS). counters may be null.
    KResult loadCertificates(TZrXLoadCounters* counters, unsigned flags);
    // Signs and registers a revocation request for a certificate (the own
    // certificate when null).
    KResult sendRevocation(const TZrX509* certificate, int reason, int64_t time);

    // ---- steps ----
    // Request kinds present in the container (JCMP_KIND_* bits), 0 when empty.
    unsigned requestKinds() const;
    // The stored request of one kind (JCMP_KIND_SIGN or JCMP_KIND_KA with
    // its plain bit). *length: buffer size in, object length out. kindText
    // (may be null) receives "ЭП" or "связи".
    KResult loadRequest(unsigned kinds, void* buffer, size_t* length, TCString* kindText);
    KResult sendRequestOfKind(unsigned kinds);
    // The issuing restrictions (JCMP_IR_* bits), fetched while they are 0.
    unsigned getIssuingRestrictions();
    using TCjCMPClient::getIssuingRestrictions;
    // True when the service issues this signed request at once.
    bool canIssueAtOnce(const void* data, size_t length);
    // Has a signed request issued and stores what comes back.
    KResult issueAndStore(const void* data, size_t length, const char* text);
    KResult makeRevocation(const TZrX509* certificate, int reason, int64_t time1, int64_t time2);

private:
    bool hasContent() const;

    TZrX509Csp* csp_;
    TCFlags<unsigned int> restrictions_;
    uint32_t tag_ = kLiveTag;
};
