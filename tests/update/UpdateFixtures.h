#pragma once
// Shared by the updater's tests: the test program's own publisher table
// (include this header in exactly one source of a test program), digests
// computed independently with libgcrypt, and signed lists.
#include <gcrypt.h>

#include <string>
#include <vector>

#include "platform/core/x509/ZrX509.h"
#include "platform/runtime/TCStringList.h"
#include "support/SignedXml.h"
#include "update/UpdateList.h"

namespace updfx {

inline TCStringList& testSigners() {
    static TCStringList t;
    return t;
}
inline int& signerTableUses() {
    static int n = 0;
    return n;
}

inline std::string derBase64(const std::string& pemPath) {
    TZrX509 c;
    c.loadFromFile(pemPath.c_str());
    std::vector<uint8_t> der;
    c.encode(der);
    return TCString::base64Of(der.data(), der.size()).str();
}

// GOST R 34.11-94 with the CryptoPro parameters by libgcrypt, as hex.
inline std::string gostHex(const std::string& data) {
    gcry_check_version(nullptr);
    unsigned char out[32];
    gcry_md_hash_buffer(GCRY_MD_GOSTR3411_CP, out, data.data(), data.size());
    return TCString::hexOf(out, 32).str();
}

// The canonical form of an XML file by xmllint.
inline std::string xmllintC14n(const std::string& path) {
    std::string out;
    FILE* p = popen(("xmllint --c14n '" + path + "' 2>/dev/null").c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

}  // namespace updfx

// The test program's publisher table (the shipped one stays out of it).
const TCStringList& builtInSignerCertificates() {
    ++updfx::signerTableUses();
    return updfx::testSigners();
}
