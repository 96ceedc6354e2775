#pragma once
// The content of a key container: its keys, requests and certificates,
// look-ups, the update transaction and writing through a storage backend.
//
// Key roles: generated keys become active when the container has no
// active key of their purpose, else next keys. A next key goes into
// service (ZrX_ActivateDefaultNewKeys) once its certificate is valid; the
// active signature key it replaces is destroyed, an active key-agreement
// key moves to the previous key-agreement keys (it may still be needed to
// decrypt), and the replaced certificates become previous certificates.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/container/KeyStorage.h"
#include "platform/core/keys/KeysList.h"
#include "platform/core/keys/PrivateEVPKey.h"
#include "platform/core/keys/ReqCtx.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/TCStringList.h"

class TZrX509Base;

// The container object that owns a content (TZrX509Csp); cancelUpdate
// tells it that the update is over.
class TCCspBase {
public:
    virtual ~TCCspBase() = default;
    virtual void updateCancelled() = 0;
    // The owner's name of the container.
    virtual TCString commonName() const = 0;
};

// Result of the key-change analysis (ZrX_NeedChangeDefaultKeys).
struct TZrNDefKeysChkInfo {
    uint32_t flags = 0;   // key kinds due for a change (0x20000, 0x10000), 0 = none
    uint32_t status = 0;  // 0x80800001 when the container holds start-up keys
};

// Password buffer size of a content (dp()): room for the longest password
// the policy can allow (64 characters of up to four bytes each) and its end.
inline constexpr size_t kCtxPasswordSize = 64 * 4 + 1;

class TCBaseUserKeysContext {
public:
    TCBaseUserKeysContext();
    virtual ~TCBaseUserKeysContext();
    TCBaseUserKeysContext(const TCBaseUserKeysContext&) = delete;
    TCBaseUserKeysContext& operator=(const TCBaseUserKeysContext&) = delete;

    // ---- lists ----
    TCSBaseKeysList ctx_ActKeysList{kltActiveKeys};
    TCSBaseKeysList ctx_NewKeysList{kltNextKeys};
    TCSBaseKeysList ctx_PrevEncodeKeysList{kltPrevEncodeKeys};
    TCSBaseKeysList ctx_StorageKeysList{kltStorageKeys};
    TCSBaseKeysList ctx_RequestsList{kltRequests};
    TCSBaseKeysList ctx_CertificatesList{kltCertificates};

    // ---- state ----
    virtual bool isEmpty() const;
    int isFile() const;
    uint32_t mediaType() const;
    // Location: file path or device location.
    const TCString& fileName() const { return location_; }
    void setFileName(const char* location);
    // The password buffer (kCtxPasswordSize bytes, zero-terminated).
    char* dp() { return password_; }
    const char* dp() const { return password_; }
    // Keeps the password whole; one too long for the buffer is refused
    // (false, the buffer left empty), never cut.
    bool setDp(const char* password);
    bool isActiveMode() const;
    // The device's name text for device containers (the location after its
    // media prefix), empty for files.
    TCString deviceText() const;
    // 1 while the container is protected by the start-up (test) password.
    int needChangeStatupPassword() const;
    const TCString& commonName() const { return owner_; }
    void setCommonName(const char* name) { owner_ = name ? name : ""; }
    const TCString& containerName() const { return name_; }
    void setContainerName(const char* name) { name_ = name ? name : ""; }
    int32_t profileId() const { return meta_.profile; }
    void setProfileId(int32_t id) { meta_.profile = id; }
    int64_t updateTime() const { return meta_.updateTime; }
    bool isModified() const { return modified_; }
    void setModified(bool on);
    TCCspBase* getCSP() const { return csp_; }
    void setCSP(TCCspBase* csp) { csp_ = csp; }
    zrx::TCKeyStorage* storage() const { return storage_.get(); }
    // The storage backend of the current location, opened when needed.
    KResult openStorage(zrx::TCKeyStorage** out);
    // Starts a new, empty container at a location (keys, requests,
    // certificates and metadata are dropped; an update in progress can still
    // be cancelled back to the old content).
    void startNew(const char* location);

    // True when the content cannot be written to another medium: its private
    // keys stay in their device. "Save as" is offered only when false.
    virtual bool copyDenied() const;

    // ---- passwords ----
    // Replaces the password after checking the old one; the content is
    // written with it on the next save. flags bit 1 marks the new password
    // as a start-up password. A device that already holds the content (a
    // token: its user PIN) gets the new password at once, so the next save
    // and load work with it; cancelUpdate gives the device the old one back.
    virtual KResult changePassword(const char* oldPassword, const char* newPassword, uint32_t flags);
    virtual KResult setPassword(const char* newPassword, uint32_t flags);
    // Device password change (tokens): the device at the location (the
    // content's own when empty) changes from the content's password to the
    // new one, which becomes the content's when it is its own device.
    KResult checkChangeDevPassword(const char* location, const char* newPassword);

    // ---- loading and writing ----
    // Reads the content from a location; on failure nothing changes.
    KResult load(const char* location, const char* password);
    // Writes the content to a location with a password; on success the
    // location and password become the content's.
    KResult save(const char* location, const char* password);
    // Writes the content where it came from, with its password.
    KResult update();
    // Update transaction: beginUpdate keeps a copy, cancelUpdate restores it
    // (and tells the container object), commitUpdate ends it.
    void beginUpdate();
    bool inUpdate() const { return snapshot_ != nullptr; }
    void commitUpdate();
    virtual void cancelUpdate();

    // ---- look-ups (identifiers are SHA-1 of the public key) ----
    TCPrivateEVPKey* findPrivateKey(const TCASN1OctetString& keyId) const;
    TCPrivateEVPKey* findPrivateKey(const char* keyIdHex) const;
    // The key of a certificate's public key (what signs with the certificate).
    TCPrivateEVPKey* findPrivateKeyOf(const TZrX509& cert) const;
    TCPrivateEVPKey* activeKey(uint32_t purpose) const;
    TCPrivateEVPKey* nextKey(uint32_t purpose) const;
    TZrX509* findCert(const TCASN1OctetString& keyId) const;
    TZrX509* findCert(const char* keyIdHex) const;
    TCCertBuff* findCertBuff(const TCASN1OctetString& keyId) const;
    // The request of a key; withSigned is accepted for compatibility (both
    // forms live in one entry).
    TZrX509ReqCtx* findCertReq(const TCASN1OctetString& keyId, bool withSigned = true) const;
    TZrX509ReqCtx* findCertReq(const char* keyIdHex, bool withSigned = true) const;
    TZrX509ReqCtx* getReq(const char* keyIdHex) const { return findCertReq(keyIdHex); }
    // The certificate of a key, else its request, else null.
    TZrX509Base* findRelatedPKIObject(const TCPrivateEVPKey* key) const;
    // The key-agreement object: current = certificate of the active
    // key-agreement key; next = certificate or request of the next one.
    TZrX509Base* findEncodeKeyX509Object(bool next) const;
    TCCertBuff* getSelfActCrtBuff() const;
    TCCertBuff* getSelfNewCrtBuff() const;
    TZrX509ReqCtx* getSelfReqBuff() const;
    TZrX509* getPrevX509Object() const;
    // Identifiers (hex) of private keys: flags 1 active, 2 next, 4 previous.
    int getPrivatesKeysIDList(TCStringList& list, uint32_t flags) const;
    // Keys of the kind (0x20000/0x10000) already made: pendingOnly asks only
    // for a next key or a request waiting for its certificate.
    bool alreadyGenerated(uint32_t kind, bool pendingOnly) const;
    // The two markers of a kind: a next key exists; its certificate or
    // request exists.
    bool markerNextKey(uint32_t kind) const { return nextKey(kind) != nullptr; }
    bool markerNextObject(uint32_t kind) const;

    // ---- changes ----
    // Adds a generated key (role by the rule above unless forced); returns it.
    TCPrivateEVPKey* addPrivateKey(zrx::container::KeyRecord rec);
    TZrX509ReqCtx* addRequest(zrx::container::RequestRecord rec);
    // Stores a certificate. A certificate of one of the keys becomes that
    // key's certificate and takes its request out; others are stored with
    // the given role (chain by default). A certificate already stored is
    // not added twice. Answers 0 or a failure.
    KResult addCertificate(const TZrX509& cert, uint32_t otherRole = zrx::container::kCertChain);
    // Next keys whose certificate is valid now go into service: answers
    // kInfoNewKeysActivated when any did, else 0.
    KResult activateNewKeys();
    // Key-change analysis: kinds whose certificate expires within days.
    KResult needChangeDefaultKeys(int days, TZrNDefKeysChkInfo* info) const;
    // Removes expired keys (with their requests) and expired certificates;
    // answers how many items went.
    int sweep(int64_t now = -1);

    // ---- deletions (identifier of the key) ----
    KResult deleteAllKeyData(const TCASN1OctetString& keyId);
    KResult deleteCertificate(const TCASN1OctetString& keyId);
    KResult deleteRequest(const TCASN1OctetString& keyId, bool withKey);
    // A key about to be removed from a list: a device key is removed from
    // its device once the content that no longer names it is written there
    // (a cancelled update keeps it).
    KResult checkPKeyDeletion(TCPrivateEVPKey* key);

    // A key for signing (asks the storage backend; device keys may need the password).
    zrx::crypto::PkeyPtr signingKey(const TCPrivateEVPKey* key);

    // Plain image of the whole content.
    zrx::container::ContainerImage toImage() const;
    // Removes from the device the keys generated since beginUpdate.
    void dropUnsavedDeviceKeys();
    void fromImage(const zrx::container::ContainerImage& img);
    void clearContent();

private:
    TZrX509* certOfKey(const TCPrivateEVPKey* key, TCCertBuff** buff = nullptr) const;
    void touch();
    // True when the content's device accepts the content's password: the
    // content was read from or written to it, or its keys were made there.
    bool devicePasswordInUse() const;
    // Changes the device password from the content's one; inside an update
    // the change is remembered so that cancelUpdate can undo it.
    KResult changeDevicePin(zrx::TCKeyStorage* st, const char* newPassword);
    // After a write to a device: key records follow what the device keeps
    // (private keys imported there leave the content's memory).
    void syncDeviceKeys(zrx::TCKeyStorage* st, const char* password);

    zrx::container::MetaRecord meta_;
    TCString name_, owner_, location_;
    char password_[kCtxPasswordSize] = {};
    bool modified_ = false;
    TCCspBase* csp_ = nullptr;
    std::unique_ptr<zrx::TCKeyStorage> storage_;
    std::unique_ptr<zrx::container::ContainerImage> snapshot_;
    bool snapshotModified_ = false;
    zrx::SecureBytes snapshotPassword_;
    bool devicePasswordSet_ = false;
    bool snapshotDevicePasswordSet_ = false;
    // Device password changed during the update: where, from what, to what.
    std::string pinLocation_;
    zrx::SecureBytes pinBefore_, pinAfter_;
    // Device keys to remove after the next write to the content's device.
    std::vector<zrx::container::KeyRecord> pendingRemovals_;
    size_t snapshotRemovals_ = 0;
};
