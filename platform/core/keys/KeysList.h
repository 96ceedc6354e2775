#pragma once
// Entries of a key container's content and the typed lists holding them.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/core/x509/Asn1Types.h"
#include "platform/runtime/TCString.h"

class TZrX509;
class TZrX509Req;
class TZrX509ReqCtx;
class TCPrivateEVPKey;
class TCSymmetricKey;
class TCCertBuff;

// Key flags of entries.
enum : uint32_t {
    kfKeyAgreementKey = 0x8,   // the entry is a key-agreement key
    kfKeyAgreement = 0x10000,  // purpose: key agreement
    kfSignature = 0x20000,     // purpose: signature
    kfPurposeMask = 0x30000,
    kfStartup = 0x800000,  // start-up key (shown with a leading "@")
};

// One stored object: flags and key identifier.
class TCSBaseBuff {
public:
    virtual ~TCSBaseBuff() = default;
    uint32_t flags() const { return flags_; }
    void setFlags(uint32_t f) { flags_ = f; }
    void addFlags(uint32_t f) { flags_ |= f; }
    // True when every given bit is set (and at least one is given).
    bool checkFlags(uint32_t bits) const { return bits != 0 && (flags_ & bits) == bits; }
    uint32_t purpose() const { return flags_ & kfPurposeMask; }
    // Key identifier: SHA-1 of the public key (bytes), and as upper-case hex.
    const TCASN1OctetString& keyID() const { return keyId_; }
    TCString getKeyIDStr() const { return keyId_.toHex(false); }
    void setKeyID(const TCASN1OctetString& id) { keyId_ = id; }

protected:
    uint32_t flags_ = 0;
    TCASN1OctetString keyId_;
};

// List types (getType).
enum : int {
    kltActiveKeys = 1,
    kltNextKeys = 2,
    kltRequests = 3,
    kltCertificates = 4,
    kltStorageKeys = 6,
    kltPrevEncodeKeys = 7,
};

class TCSBaseKeysList {
public:
    explicit TCSBaseKeysList(int type) : type_(type) {}
    TCSBaseKeysList(const TCSBaseKeysList&) = delete;
    TCSBaseKeysList& operator=(const TCSBaseKeysList&) = delete;

    int getType() const { return type_; }
    int count() const { return int(items_.size()); }
    bool isEmpty() const { return items_.empty(); }
    TCSBaseBuff* at(int i) const { return i >= 0 && i < count() ? items_[size_t(i)].get() : nullptr; }
    int indexOf(const TCSBaseBuff* item) const;

    // Typed access; null when the position holds another kind.
    TZrX509* asX509(int i) const;
    TZrX509Req* asTZrX509Req(int i) const;
    TZrX509ReqCtx* asReqCtx(int i) const;
    TCCertBuff* asCertBuff(int i) const;
    TCPrivateEVPKey* asPrivateKey(int i) const;
    TCSymmetricKey* asGOSTKey(int i) const;

    // Runs fn over the private keys in order; the first key for which it
    // answers true is returned (null when none).
    TCPrivateEVPKey* enumeratePrivateKeys(const std::function<bool(TCPrivateEVPKey*)>& fn) const;

    int add(std::unique_ptr<TCSBaseBuff> item);
    // Removes and frees the item; false when it is not in the list.
    bool remove(const TCSBaseBuff* item);
    bool removeAt(int i);
    std::unique_ptr<TCSBaseBuff> take(const TCSBaseBuff* item);
    void clear() { items_.clear(); }

private:
    int type_;
    std::vector<std::unique_ptr<TCSBaseBuff>> items_;
};
