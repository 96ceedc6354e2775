#pragma once
// Where a container's content lives: a file, or a device that a backend
// serves. The content object (TCBaseUserKeysContext) only talks to this
// interface, so a device backend plugs in without touching it.
//
// A backend:
//  - loads and saves the whole content (ContainerImage) under a password;
//  - generates key pairs in its medium (generateKey fills the record's
//    identifier, public key, and either the PKCS#8 private key for software
//    keys or a handle for keys that stay in the device);
//  - gives an EVP_PKEY that signs with EVP_DigestSign for a stored key
//    (a device backend may return a key of an OpenSSL provider);
//  - lists, cleans and removes stored keys of a purpose.
// Backends register a location prefix (the media character before ':',
// e.g. '$' for HSM tokens, media type 36) with registerKeyStorage. Plain
// paths are files.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/container/ContainerFile.h"
#include "platform/core/container/KeyCrypto.h"

namespace zrx {

class TCKeyStorage {
public:
    virtual ~TCKeyStorage() = default;
    virtual bool isFile() const = 0;
    virtual uint32_t mediaType() const = 0;
    // Location as given ("/path/c.zrx", "$:label").
    virtual const std::string& location() const = 0;
    // True when the medium already holds a container.
    virtual bool exists() const = 0;
    virtual KResult load(const char* password, container::ContainerImage& out) = 0;
    virtual KResult save(const char* password, const container::ContainerImage& in) = 0;
    virtual KResult generateKey(const crypto::KeyAlgorithm& alg, const char* password, container::KeyRecord& rec);
    virtual crypto::PkeyPtr signingKey(const container::KeyRecord& rec, const char* password);
    // Keys of the purposes (0x20000/0x10000 mask) stored in the medium: 0 when
    // some exist, kErrNotFound when none. storageName receives the medium's
    // storage name when the backend has one.
    virtual KResult findKeys(const char* password, uint32_t purposeMask, std::string* storageName);
    virtual KResult clean(const char* password, uint32_t purposeMask);
    // Called when a key leaves the content (devices remove their object).
    virtual KResult removeKey(const container::KeyRecord& rec, const char* password);
    // Changes the device password; files change it by saving again.
    virtual KResult changeDevicePassword(const char* oldPassword, const char* newPassword);
};

using KeyStorageFactory = std::unique_ptr<TCKeyStorage> (*)(const std::string& location);

struct MediaInfo {
    char prefix;         // the character before ':' in a location
    uint32_t mediaType;  // the media code
    std::string name;    // display name
    KeyStorageFactory factory;
    // Lists the attached devices as locations ("$:label"); may be null.
    int (*listDevices)(std::vector<std::string>& locations) = nullptr;
};

// Registers a device backend (replaces one of the same prefix).
void registerKeyStorage(const MediaInfo& media);
const std::vector<MediaInfo>& registeredMedia();

// Media type of a location: 0 for a file; for "c:name" the registered
// type of c; kUnknownMedia for a device prefix nobody serves.
inline constexpr uint32_t kUnknownMedia = 0xFFFFFFFF;
uint32_t mediaTypeOfLocation(const std::string& location);
bool isDeviceLocation(const std::string& location);

// Opens the backend of a location; kErrNoDevice for device locations
// without a registered backend.
KResult openKeyStorage(const std::string& location, std::unique_ptr<TCKeyStorage>& out);

// The file backend.
class TCFileKeyStorage : public TCKeyStorage {
public:
    explicit TCFileKeyStorage(std::string path) : path_(std::move(path)) {}
    bool isFile() const override { return true; }
    uint32_t mediaType() const override { return 0; }
    const std::string& location() const override { return path_; }
    bool exists() const override;
    KResult load(const char* password, container::ContainerImage& out) override;
    KResult save(const char* password, const container::ContainerImage& in) override;
    KResult findKeys(const char* password, uint32_t purposeMask, std::string* storageName) override;
    KResult clean(const char* password, uint32_t purposeMask) override;

private:
    std::string path_;
};

}  // namespace zrx
