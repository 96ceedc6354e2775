// The update publisher's certificates, Base64 of their DER, in the order the
// verifier tries them. Regenerate an entry from a PEM certificate with
//     openssl x509 -in publisher.crt -outform DER | base64 -w0
// A test program that defines builtInSignerCertificates() itself links its
// own table instead of this one (this file then stays out of it).
#include "update/UpdateList.h"

namespace {

const char* const kPublisherCertificates[] = {
#include "update/signers/publisher-certificates.inc"
};

}  // namespace

const TCStringList& builtInSignerCertificates() {
    static const TCStringList table = [] {
        TCStringList t;
        for (const char* c : kPublisherCertificates) t.add(c);
        return t;
    }();
    return table;
}
