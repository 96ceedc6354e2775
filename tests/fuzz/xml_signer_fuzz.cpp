// Any input is refused with a code of the verifier or of the XML layer, or
// verifies and then gives the signed element; nothing else may happen.
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstdint>
#include <cstdlib>

#include "platform/core/x509/XmlSigner.h"

namespace {

// One certificate for every key identifier: the structure and the signature
// checks run on whatever the input holds.
TZrX509& anyCert() {
    static TZrX509 cert = [] {
        EVP_PKEY* key = EVP_EC_gen("P-256");
        X509* x = X509_new();
        X509_set_version(x, X509_VERSION_3);
        X509_set_pubkey(x, key);
        X509_gmtime_adj(X509_getm_notBefore(x), 0);
        X509_gmtime_adj(X509_getm_notAfter(x), 86400);
        X509_sign(x, key, EVP_sha256());
        TZrX509 c(x, true);
        EVP_PKEY_free(key);
        return c;
    }();
    return cert;
}

KResult lookupAny(TZrX509& out, void*, const TCASN1OctetString&) {
    out = anyCert();
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TZrXMLSigner signer(lookupAny, nullptr);
    const KResult r = signer.verifyXMLText(reinterpret_cast<const char*>(data), size);
    if (r == 0) {
        if (!signer.getObject()) std::abort();
        return 0;
    }
    const bool known = (r >= 0xC08000A0u && r <= 0xC08000A5u) || r == XMLSIG_E_FORM || r == XMLSIG_E_INVALID ||
                       r == XMLSIG_E_LIB || r == KR_E_NOMEMORY;
    if (!known || signer.getObject()) std::abort();
    return 0;
}
