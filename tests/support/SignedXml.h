#pragma once
// Signed XML made at test time: publisher keys and certificates by the
// openssl tool, enveloping signatures by the xmlsec1 tool, in the one form
// the verifier accepts (docs/update-list.md).
#include <cstdlib>
#include <string>

#include "support/TempDir.h"

namespace zrxtest {

struct Publisher {
    std::string key;   // PEM private key
    std::string cert;  // PEM certificate with a subject key identifier
    bool ec = false;
};

inline bool runQuiet(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0; }

// A publisher key and self-signed certificate in dir, named by `name`.
inline Publisher makePublisher(const std::string& dir, const std::string& name, bool ec = false) {
    Publisher p;
    p.ec = ec;
    p.key = dir + "/" + name + ".key.pem";
    p.cert = dir + "/" + name + ".crt.pem";
    const std::string alg = ec ? "-newkey ec -pkeyopt ec_paramgen_curve:P-256" : "-newkey rsa:2048";
    runQuiet("openssl req -x509 " + alg + " -nodes -keyout '" + p.key + "' -out '" + p.cert + "' -subj '/CN=" + name +
             "' -days 30 -addext subjectKeyIdentifier=hash");
    return p;
}

// The template of an enveloping signature over one object holding `payload`.
// referenceTransforms replaces the exclusive-canonicalisation transform.
inline std::string signatureTemplate(
    const std::string& payload, bool ec,
    const std::string& referenceTransforms = "<Transform Algorithm=\"http://www.w3.org/2001/10/xml-exc-c14n#\"/>") {
    const std::string method = ec ? "http://www.w3.org/2001/04/xmldsig-more#ecdsa-sha256"
                                  : "http://www.w3.org/2001/04/xmldsig-more#rsa-sha256";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">\n"
           "  <SignedInfo>\n"
           "    <CanonicalizationMethod Algorithm=\"http://www.w3.org/2001/10/xml-exc-c14n#\"/>\n"
           "    <SignatureMethod Algorithm=\"" +
           method +
           "\"/>\n"
           "    <Reference URI=\"#list\">\n"
           "      <Transforms>" +
           referenceTransforms +
           "</Transforms>\n"
           "      <DigestMethod Algorithm=\"http://www.w3.org/2001/04/xmlenc#sha256\"/>\n"
           "      <DigestValue/>\n"
           "    </Reference>\n"
           "  </SignedInfo>\n"
           "  <SignatureValue/>\n"
           "  <KeyInfo><X509Data><X509SKI/></X509Data></KeyInfo>\n"
           "  <Object Id=\"list\">" +
           payload +
           "</Object>\n"
           "</Signature>\n";
}

// Signs a template file into out with the publisher's key; false when the tool fails.
inline bool signTemplate(const Publisher& p, const std::string& tmpl, const std::string& out) {
    return runQuiet("xmlsec1 --sign --privkey-pem '" + p.key + "','" + p.cert +
                    "' --id-attr:Id 'http://www.w3.org/2000/09/xmldsig#:Object' --output '" + out + "' '" + tmpl + "'");
}

// A signed document over payload written to path; answers its text (empty on failure).
inline std::string writeSigned(const Publisher& p, const std::string& payload, const std::string& path) {
    const std::string tmpl = path + ".tmpl";
    writeFile(tmpl, signatureTemplate(payload, p.ec));
    if (!signTemplate(p, tmpl, path)) return std::string();
    return readFile(path);
}

// Replaces the first occurrence of `from` in text; false when absent.
inline bool replaceOnce(std::string& text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at == std::string::npos) return false;
    text.replace(at, from.size(), to);
    return true;
}

}  // namespace zrxtest
