// Any input is refused with a code of the verifier or of the XML layer, or
// verifies and then gives the signed element; nothing else may happen.
// The signers are fixed test keys (tests/fuzz/keys/): a document signed with
// one of them verifies, so the mutations of such seeds also reach what
// follows a successful check (the reference results, reading the signed
// object).
#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "XmlSignerFuzzCerts.h"
#include "platform/core/x509/XmlSigner.h"

namespace {

struct Signer {
    TZrX509 cert;
    TCASN1OctetString keyId;
};

const std::vector<Signer>& signers() {
    static const std::vector<Signer> all = [] {
        std::vector<Signer> out;
        for (const char* pem : kFuzzSignerCerts) {
            BIO* bio = BIO_new_mem_buf(pem, -1);
            X509* x = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
            BIO_free(bio);
            if (!x) std::abort();  // the compiled-in test certificates must read
            const ASN1_OCTET_STRING* ski = X509_get0_subject_key_id(x);
            out.push_back(Signer{TZrX509(x, true), ski ? TCASN1OctetString(ski) : TCASN1OctetString()});
        }
        return out;
    }();
    return all;
}

// The signer with that key identifier; any other identifier gets the last
// one, so that the signature checks run on whatever the input holds.
KResult lookup(TZrX509& out, void*, const TCASN1OctetString& keyId) {
    const auto& all = signers();
    for (const Signer& s : all)
        if (s.keyId == keyId) {
            out = s.cert;
            return 0;
        }
    out = all.back().cert;
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TZrXMLSigner signer(lookup, nullptr);
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
