#pragma once
// Result codes of key containers and key generation (facility 0x080).
#include <cstdint>

using KResult = uint32_t;  // same alias as the runtime library's

namespace zrx::container {

// Codes the application itself relies on.
inline constexpr KResult kInfoNewKeysActivated = 0x40800005;  // next keys went into service
inline constexpr KResult kWarnStartupKeys = 0x80800001;       // the container holds start-up keys
inline constexpr KResult kErrNoCryptoParams = 0xC0800005;     // no crypto parameters for a key kind
inline constexpr KResult kErrRequestNotFound = 0xC0800007;
inline constexpr KResult kErrNotFound = 0xC0800019;  // no keys / no certificate of that kind
inline constexpr KResult kErrCancelled = 0xC0800024;
inline constexpr KResult kErrNoMatchingKey = 0xC080002A;
inline constexpr KResult kErrNoProfile = 0xC0800046;

// Container file and key handling.
inline constexpr KResult kErrBadPasswordOrDamaged = 0xC0800060;  // authentication of the body failed
inline constexpr KResult kErrFormat = 0xC0800061;                // not a container, truncated or damaged structure
inline constexpr KResult kErrVersion = 0xC0800062;               // written by a newer format version
inline constexpr KResult kErrIo = 0xC0800063;                    // file cannot be read or written
inline constexpr KResult kErrNoFile = 0xC0800064;                // container file does not exist
inline constexpr KResult kErrBufferTooSmall = 0xC0800065;        // object does not fit the caller's buffer
inline constexpr KResult kErrNoDevice = 0xC0800066;              // no such device
inline constexpr KResult kErrEmpty = 0xC0800067;                 // no container loaded
inline constexpr KResult kErrNotInUpdate = 0xC0800068;           // change outside beginUpdate/endUpdate
inline constexpr KResult kErrKeyGen = 0xC0800069;                // key generation failed
inline constexpr KResult kErrAlgorithm = 0xC080006A;             // unsupported algorithm
inline constexpr KResult kErrPassword = 0xC080006B;              // missing or unacceptable password
inline constexpr KResult kErrCrypto = 0xC080006C;                // a cryptographic operation failed
inline constexpr KResult kErrNoSigningKey = 0xC080006D;          // no key to sign with
inline constexpr KResult kErrInvalidArg = 0xC080006E;
inline constexpr KResult kErrCertNoKey = 0xC080006F;        // certificate matches no key or request
inline constexpr KResult kErrObjectMissing = 0xC0800070;    // requested object is not in the container
inline constexpr KResult kErrKeysExist = 0xC0800071;        // keys of that kind are already in the container
inline constexpr KResult kErrKeysNotCopyable = 0xC0800072;  // the keys stay in their device

inline bool failed(KResult r) { return r >= 0xC0000000u; }

// Text of one of the codes above, or null for others.
const char* containerCodeText(KResult code);

}  // namespace zrx::container
