#pragma once
// Result codes of the X.509 object layer (facility 0x080) and their texts.
#include <cstdint>

#include "platform/runtime/TCString.h"

using KResult = uint32_t;

namespace zrx::x509 {

// Codes shared with the rest of the closed libraries' code space.
inline constexpr KResult kErrFileRead = 0xC0800002;     // file cannot be read
inline constexpr KResult kErrFileWrite = 0xC0800003;    // file cannot be written
inline constexpr KResult kErrDerEncode = 0xC080000C;    // object cannot be DER-encoded
inline constexpr KResult kErrDerDecode = 0xC080000D;    // input is not a valid object of the kind
inline constexpr KResult kErrNotFound = 0xC0800019;     // no such object
inline constexpr KResult kErrChainBroken = 0xC0800031;  // a link of the chain is missing

// Codes of this layer.
inline constexpr KResult kErrBufferTooSmall = 0xC0800080;  // object does not fit the caller's buffer
inline constexpr KResult kErrEmptyObject = 0xC0800081;     // the object holds nothing
inline constexpr KResult kErrBadSignature = 0xC0800082;    // signature does not verify
inline constexpr KResult kErrExpired = 0xC0800083;         // certificate has expired
inline constexpr KResult kErrNotYetValid = 0xC0800084;     // certificate is not valid yet
inline constexpr KResult kErrIssuerNotFound = 0xC0800085;  // issuer certificate not available
inline constexpr KResult kErrUntrustedRoot = 0xC0800086;   // chain does not end in a root certificate
inline constexpr KResult kErrNotCA = 0xC0800087;           // issuer is not a certification authority
inline constexpr KResult kErrChainVerify = 0xC0800088;     // other chain verification failure
inline constexpr KResult kErrChainCycle = 0xC0800089;      // certificates issue each other in a cycle
inline constexpr KResult kErrNoKey = 0xC080008A;           // no key to sign with or no public key
inline constexpr KResult kErrSign = 0xC080008B;            // signing failed
inline constexpr KResult kErrInvalidArg = 0xC080008C;      // bad argument
inline constexpr KResult kErrNotSigned = 0xC080008D;       // the object has not been signed
inline constexpr KResult kErrBadValue = 0xC080008E;        // value text does not parse
inline constexpr KResult kErrUnknownObject = 0xC080008F;   // unknown object identifier or name
inline constexpr KResult kErrNameMismatch = 0xC0800090;    // issuer name differs from the issuer's subject
inline constexpr KResult kErrCrypto = 0xC0800091;          // a cryptographic operation failed

inline bool failed(KResult r) { return r >= 0xC0000000u; }

}  // namespace zrx::x509

// Text of a result code (translated). Codes of this layer have their own
// texts; others come from the runtime library's message table.
TCString ZrXGetErrorText(KResult code);
// Registers the texts of the facility (object layer, containers, XML) with
// the runtime's message table, so that logs and boxes show them. Idempotent.
void registerZrXMessages();

// Captions of object classes (TCASN1Base::getClass numbers): nominative
// ("Сертификат", lower-case when lowerCase) and genitive ("сертификата").
TCString getZrXCaption(int objClass, bool lowerCase = false);
TCString getZrXGI_caption(int objClass);
