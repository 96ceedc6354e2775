#pragma once
// Key containers on PKCS#11 tokens ("$:" + token name, media type 36).
//
// What a token holds for one container:
//  - per key a key pair generated on the token: the private key private,
//    sensitive and not extractable, the public key public; both with
//    CKA_ID = the key identifier and CKA_LABEL "ZrX509". A content saved
//    onto the token with keys held in software (a file container) has them
//    imported the same way (C_CreateObject); a key the token cannot take
//    (Ed25519, or a type the module refuses) refuses the save
//    (kErrAlgorithm) and the keys imported by it are removed again;
//  - per certificate of the content an X.509 certificate object (public,
//    CKA_ID = the identifier of its public key, CKA_LABEL "ZrX509");
//  - a private data object (application "ZrX509", label "ZrX509 content")
//    with the serialised content: metadata, key records (public keys and
//    token references, never private keys), requests and certificates;
//  - a public data object (label "ZrX509 container") with the container
//    name, so that a used token is seen without login.
// A save writes every new object first (imported keys, certificates, the
// name marker), then the new content copy, which carries a higher
// generation number: loading takes the newest copy, so that object is the
// switch. Only then do the old copies and objects go. A save that fails
// before the switch takes away what it made, so the token holds what it held
// before: an update cancelled after a failed save matches the medium.
//
// The device password is the token's user PIN. A freshly initialised token
// has the starting PIN (getCTXDef_p); keys generated on it under another
// password are made under the starting PIN, and only the first content
// saved makes that password the PIN, as the last step of the save, so a
// generation that is cancelled or fails (its keys removed again) leaves the
// token as it was. Every login counts toward the token's PIN lock-out, so no
// PIN known not to be the token's is tried: a token that shows the marker
// holds a saved container and its PIN is that container's password; one
// without it is tried with the starting PIN first. Signing keys are OpenSSL
// keys whose signing operation runs C_Sign on the token (EC and RSA).
#include <memory>
#include <string>

#include "platform/core/container/KeyStorage.h"
#include "platform/p11/P11Storage.h"

namespace zrx {

inline constexpr char kTokenPrefix = '$';
inline constexpr uint32_t kTokenMediaType = 36;

class TCTokenKeyStorage : public TCKeyStorage {
public:
    explicit TCTokenKeyStorage(std::string location);

    bool isFile() const override { return false; }
    uint32_t mediaType() const override { return kTokenMediaType; }
    const std::string& location() const override { return location_; }
    bool exists() const override;
    KResult load(const char* password, container::ContainerImage& out) override;
    KResult save(const char* password, const container::ContainerImage& in) override;
    KResult generateKey(const crypto::KeyAlgorithm& alg, const char* password, container::KeyRecord& rec) override;
    crypto::PkeyPtr signingKey(const container::KeyRecord& rec, const char* password) override;
    KResult findKeys(const char* password, uint32_t purposeMask, std::string* storageName) override;
    KResult clean(const char* password, uint32_t purposeMask) override;
    KResult removeKey(const container::KeyRecord& rec, const char* password) override;
    KResult changeDevicePassword(const char* oldPassword, const char* newPassword) override;

    const std::string& tokenName() const { return tokenName_; }
    // The message text of the last token failure (never holds a PIN).
    const std::string& message() const { return message_; }

private:
    // How a PIN that is not yet the token's is treated on a fresh token (one
    // with the starting PIN and no content, at most key pairs of an unsaved
    // generation).
    enum class FreshToken {
        refuse,          // the PIN must be the token's
        useStartingPin,  // the session logs in with the starting PIN
    };
    // Opens a session on the token, logged in as user when a PIN is given.
    // onStartingPin (may be null) tells whether the session logged in with
    // the starting PIN of a fresh token in place of the PIN given.
    KResult open(TCP11Token& token, const char* pin, bool readWrite, FreshToken fresh = FreshToken::refuse,
                 bool* onStartingPin = nullptr) const;
    std::string location_;
    std::string tokenName_;
    mutable std::string message_;
};

// The backend for "$:" locations.
std::unique_ptr<TCKeyStorage> makeTokenKeyStorage(const std::string& location);
// Registers the backend (idempotent).
void registerTokenKeyStorage();

}  // namespace zrx
