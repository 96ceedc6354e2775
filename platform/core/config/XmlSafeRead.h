#pragma once
// Hardened reading of an XML text into a libxml2 document, shared by the XML
// tree loader and the signed-XML verifier (platform-internal: libxml2 types).
// No network access, no DOCTYPE (so no entity declarations or external
// subsets), no entity substitution.
#include <libxml/tree.h>

#include <cstddef>

#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"

// 0 and the document in *doc (the caller frees it with xmlFreeDoc), or a code
// of the XML layer (XML_E_DTD, XML_E_SYNTAX, XML_E_TOOLARGE: too big or more
// than kMaxElements elements, KR_E_NOMEMORY) with the reason
// in `why` (the line number in *line when known).
KResult readXmlDocSafely(const char* text, size_t len, xmlDocPtr* doc, TCString& why, int* line);
