#pragma once
// Sealing of short stored secrets (passwords of a configuration) under an
// installation secret: 32 random bytes in a file of the owner's (mode 0600),
// made on first use. The key is HKDF-SHA256 of the installation secret; a
// sealed block is a version byte, a 12-byte nonce and the AES-256-GCM
// encryption of a length byte and the secret padded to a fixed size, with its
// 16-byte tag; the label (the name the block is stored under) is bound in as
// associated data, so a block moved to another name does not open.
// Version 1 pads to 32 bytes, version 2 to 128 bytes (32 characters of four
// bytes each); a secret that fits in 32 bytes is sealed as version 1, so
// blocks keep the size they always had.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/runtime/SecretString.h"

namespace zrx::crypto {

inline constexpr size_t kSealedSecretMax = 32;  // bytes, version 1
inline constexpr size_t kSealedSecretSize = 1 + 12 + 1 + kSealedSecretMax + 16;
inline constexpr size_t kSealedLongSecretMax = 128;  // bytes, version 2
inline constexpr size_t kSealedLongSecretSize = 1 + 12 + 1 + kSealedLongSecretMax + 16;

// Seals a secret of at most kSealedLongSecretMax bytes into `sealed` (left as
// it was on failure), kSealedSecretSize or kSealedLongSecretSize bytes long.
// False when the installation secret cannot be read or made, or the secret
// is too long.
bool sealSecret(const char* secretFile, std::string_view label, std::string_view secret, std::string& sealed);
// Opens a block that sealSecret made under the same installation secret and
// label into `secret` (left as it was on failure). False when the
// installation secret cannot be read or made, or the block is damaged, of
// another version, or sealed under another label or installation secret.
bool openSecret(const char* secretFile, std::string_view label, std::string_view sealed, TCSecretString& secret);

}  // namespace zrx::crypto
