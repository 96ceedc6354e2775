#pragma once
// Hardened reading of an XML text into a libxml2 document, shared by the XML
// tree loader and the signed-XML verifier (platform-internal: libxml2 types).
// No network access, no DOCTYPE (so no entity declarations or external
// subsets), no entity substitution.
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <cstddef>
#include <string>

#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"

// 0 and the document in *doc (the caller frees it with xmlFreeDoc), or a code
// of the XML layer (XML_E_DTD, XML_E_SYNTAX, XML_E_TOOLARGE: too big or more
// than kMaxElements elements, KR_E_NOMEMORY) with the reason
// in `why` (the line number in *line when known).
KResult readXmlDocSafely(const char* text, size_t len, xmlDocPtr* doc, TCString& why, int* line);

// While it lives, libxml2's messages (parser, encoding, canonicalisation)
// are collected here instead of going to standard error, where a malformed
// document would print thousands of lines; the handlers found are put back
// when it goes. Captures nest: the innermost collects.
class TXmlMessageCapture {
public:
    TXmlMessageCapture();
    ~TXmlMessageCapture();
    TXmlMessageCapture(const TXmlMessageCapture&) = delete;
    TXmlMessageCapture& operator=(const TXmlMessageCapture&) = delete;

    // The messages, "; " between them, cut after a few hundred characters
    // (with the number left out); empty when there were none.
    std::string text() const;

private:
    void add(const char* message);
    static void onGeneric(void* ctx, const char* fmt, ...);
#if LIBXML_VERSION >= 21200
    static void onStructured(void* ctx, const xmlError* error);
#else
    static void onStructured(void* ctx, xmlErrorPtr error);
#endif

    xmlGenericErrorFunc oldGeneric_;
    void* oldGenericContext_;
    xmlStructuredErrorFunc oldStructured_;
    void* oldStructuredContext_;
    std::string text_;
    std::string last_;
    size_t dropped_ = 0;
};
