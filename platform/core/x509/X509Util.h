#pragma once
// Internal helpers of the X.509 layer: files, PEM, OpenSSL conversions.
#include <openssl/asn1.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/core/x509/ZrXErrors.h"
#include "platform/runtime/TCString.h"

// Largest object file the layer reads (a guard against reading huge files).
inline constexpr size_t kZrxMaxObjectFile = 64u * 1024 * 1024;

// One object decoded from DER that must be exactly one encoding: null when
// the input is empty, larger than kZrxMaxObjectFile, not decodable, or has
// bytes after the object. The OpenSSL error queue is left clear.
template <class T>
T* zrxDecodeWhole(const void* der, size_t len, T* (*d2i)(T**, const unsigned char**, long), void (*freeFn)(T*)) {
    if (!der || len == 0 || len > kZrxMaxObjectFile) return nullptr;
    const auto* p = static_cast<const unsigned char*>(der);
    T* obj = d2i(nullptr, &p, static_cast<long>(len));
    if (obj && p != static_cast<const unsigned char*>(der) + len) {
        freeFn(obj);
        obj = nullptr;
    }
    ERR_clear_error();
    return obj;
}

// The object's DER into `out`; false (and `out` empty) when encoding fails.
// The OpenSSL error queue is left clear.
template <class T> bool zrxEncodeDer(const T* obj, int (*i2d)(const T*, unsigned char**), std::vector<uint8_t>& out) {
    out.clear();
    int n = obj ? i2d(obj, nullptr) : -1;
    if (n > 0) {
        out.resize(static_cast<size_t>(n));
        unsigned char* p = out.data();
        if (i2d(obj, &p) != n) n = -1;
    }
    ERR_clear_error();
    if (n <= 0) {
        out.clear();
        return false;
    }
    return true;
}

KResult zrxReadFile(const char* fileName, std::string& bytes);
// Written through a temporary file and renamed into place.
KResult zrxWriteFile(const char* fileName, const void* data, size_t len);

bool zrxLooksLikePem(const void* data, size_t len);
TCString zrxPemEncode(const char* label, const void* der, size_t len);
// DER of the first PEM block whose label is accepted.
bool zrxPemDecode(const void* data, size_t len, std::vector<uint8_t>& der,
                  const std::function<bool(const char*)>& acceptLabel);
// Every PEM block with an accepted label.
bool zrxPemDecodeAll(const void* data, size_t len, std::vector<std::vector<uint8_t>>& ders,
                     const std::function<bool(const char*)>& acceptLabel);

// ASN.1 string to UTF-8 text (empty on failure).
TCString zrxAsn1ToUtf8(const ASN1_STRING* s);
// INTEGER to upper-case hex of its magnitude ("-" prefixed when negative).
TCString zrxIntegerHex(const ASN1_INTEGER* i);
// INTEGER to the big-endian bytes of its magnitude (empty on failure).
std::vector<uint8_t> zrxIntegerBytes(const ASN1_INTEGER* i);
// Object identifier as text: short name when known, else dotted.
TCString zrxObjText(const ASN1_OBJECT* obj, bool dotted = false);
// Public key description: algorithm and size / curve.
TCString zrxKeyText(EVP_PKEY* key);
// Signature algorithm description.
TCString zrxSigAlgText(const X509_ALGOR* alg);
// SHA-1 of the public key's BIT STRING (the usual key identifier).
std::vector<uint8_t> zrxKeyHash(X509_PUBKEY* pub);
// Text printed by a BIO-writing function.
TCString zrxBioText(const std::function<int(BIO*)>& print);
// The digest to sign with for a key (null for keys that sign without one).
const EVP_MD* zrxDefaultMd(EVP_PKEY* key);
// A random positive 128-bit serial number.
ASN1_INTEGER* zrxRandomSerial();
