#pragma once
// Sealing of short stored secrets (passwords of a configuration) under an
// installation secret: 32 random bytes in a file of the owner's (mode 0600),
// made on first use. The key is HKDF-SHA256 of the installation secret; a
// sealed block is a version byte (1), a 12-byte nonce and the AES-256-GCM
// encryption of a length byte and the secret padded to 32 bytes, with its
// 16-byte tag; the label (the name the block is stored under) is bound in as
// associated data, so a block moved to another name does not open.
#include <cstddef>
#include <string>
#include <string_view>

namespace zrx::crypto {

inline constexpr size_t kSealedSecretMax = 32;
inline constexpr size_t kSealedSecretSize = 1 + 12 + 1 + kSealedSecretMax + 16;

// Seals a secret of at most kSealedSecretMax bytes into `sealed` (left as it
// was on failure). False when the installation secret cannot be read or made,
// or the secret is too long.
bool sealSecret(const char* secretFile, std::string_view label, std::string_view secret, std::string& sealed);
// Opens a block that sealSecret made under the same installation secret and
// label into `secret` (left as it was on failure). False when the
// installation secret cannot be read or made, or the block is damaged, of
// another version, or sealed under another label or installation secret.
bool openSecret(const char* secretFile, std::string_view label, std::string_view sealed, std::string& secret);

}  // namespace zrx::crypto
