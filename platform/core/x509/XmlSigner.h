#pragma once
// Verification of signed XML documents (the signed update list) over
// libxmlsec1. The one form accepted (docs/update-list.md):
//  - the document's root is an enveloping ds:Signature, the only signature
//    of the document, without DOCTYPE;
//  - SignedInfo: exclusive canonicalisation, RSA-SHA256 or ECDSA-SHA256,
//    exactly one Reference whose URI "#id" names the one ds:Object of the
//    signature; its only transform is exclusive canonicalisation, its digest
//    SHA-256;
//  - the ds:Object holds exactly one element: the signed content;
//  - KeyInfo/X509Data/X509SKI names the signer by its key identifier; the
//    caller's lookup supplies the certificate (nothing in the document is
//    trusted to carry it).
// No network access, no XSLT, XPath, HMAC or enveloped transforms. After a
// successful check getObject answers the signed element, read from the very
// bytes whose digest was verified, so nothing outside them is ever read.
#include <cstddef>
#include <memory>

#include "platform/core/x509/Asn1Types.h"
#include "platform/core/config/XmlNode.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/runtime/ResultCodes.h"

// Codes of the verifier (besides those of the XML layer: XML_E_OPEN,
// XML_E_SYNTAX, XML_E_DTD, XML_E_TOOLARGE, and the lookup's own code); their
// texts are the runtime's (KRTL_GetTextMessage).
constexpr KResult XMLSIG_E_FORM = 0xC08000B0u;     // not the accepted form
constexpr KResult XMLSIG_E_INVALID = 0xC08000B1u;  // digest or signature does not verify
constexpr KResult XMLSIG_E_LIB = 0xC08000B2u;      // the signature library failed

// The certificate of the key identifier into out: 0 when found, else a failure code.
using TZrXMLSignerLookup = KResult (*)(TZrX509& out, void* context, const TCASN1OctetString& keyId);

class TZrXMLSigner {
public:
    TZrXMLSigner(TZrXMLSignerLookup lookup, void* context);
    ~TZrXMLSigner();
    TZrXMLSigner(const TZrXMLSigner&) = delete;
    TZrXMLSigner& operator=(const TZrXMLSigner&) = delete;

    // 0 when the document has the accepted form and its signature verifies
    // with the looked-up certificate; else a failure code (lastError() says why).
    KResult verifyXMLFile(const char* path);
    KResult verifyXMLText(const char* text, size_t len, const char* sourceName = nullptr);

    // The signed element after a successful check, else null. detach: the
    // caller takes it over; otherwise the signer keeps it.
    TCXMLNode* getObject(bool detach = false);
    // The certificate that signed (empty until a successful check).
    const TZrX509& signer() const { return signer_; }
    const TCString& lastError() const { return lastError_; }

private:
    KResult fail(KResult code, const TCString& why);
    TZrXMLSignerLookup lookup_;
    void* context_;
    TZrX509 signer_;
    std::unique_ptr<TCXMLNode> object_;
    TCString lastError_;
};
