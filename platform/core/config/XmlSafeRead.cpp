#include "platform/core/config/XmlSafeRead.h"

#include <libxml/parser.h>

#include "platform/core/config/XmlNode.h"

namespace {

struct ParseGuard {
    bool doctype = false;
};

// Called at "<!DOCTYPE" before any declaration of it is read: stop there.
void refuseDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* c = static_cast<xmlParserCtxtPtr>(ctx);
    static_cast<ParseGuard*>(c->_private)->doctype = true;
    xmlStopParser(c);
}

xmlParserInputPtr refuseEntity(void*, const xmlChar*, const xmlChar*) { return nullptr; }

}  // namespace

KResult readXmlDocSafely(const char* text, size_t len, xmlDocPtr* doc, TCString& why, int* line) {
    *doc = nullptr;
    if (line) *line = 0;
    if (len > TCXMLBaseParser::kMaxDocumentSize) return XML_E_TOOLARGE;
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
        why = "out of memory";
        return KR_E_NOMEMORY;
    }
    ParseGuard guard;
    ctxt->_private = &guard;
    ctxt->sax->internalSubset = refuseDoctype;
    ctxt->sax->externalSubset = nullptr;
    ctxt->sax->resolveEntity = refuseEntity;
    const int options = XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr d = xmlCtxtReadMemory(ctxt, text, static_cast<int>(len), nullptr, nullptr, options);
    if (guard.doctype) {
        if (d) xmlFreeDoc(d);
        xmlFreeParserCtxt(ctxt);
        return XML_E_DTD;
    }
    if (!d || !ctxt->wellFormed || !xmlDocGetRootElement(d)) {
        const xmlError* e = xmlCtxtGetLastError(ctxt);
        why = e && e->message ? TCString(e->message) : TCString("нет корневого элемента");
        why.trim();
        if (line) *line = e ? e->line : 0;
        if (d) xmlFreeDoc(d);
        xmlFreeParserCtxt(ctxt);
        return XML_E_SYNTAX;
    }
    xmlFreeParserCtxt(ctxt);
    *doc = d;
    return 0;
}
