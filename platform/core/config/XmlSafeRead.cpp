#include "platform/core/config/XmlSafeRead.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>

#include "platform/core/config/XmlNode.h"
#include "platform/runtime/Translation.h"

namespace {

struct ParseGuard {
    bool doctype = false;
    size_t elements = 0;
    bool tooMany = false;
};

// Counts elements as they are read and stops the parser past the limit,
// before the tree grows without bound.
void countElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri, int nbNs,
                  const xmlChar** namespaces, int nbAttrs, int nbDefaulted, const xmlChar** attrs) {
    auto* c = static_cast<xmlParserCtxtPtr>(ctx);
    auto* guard = static_cast<ParseGuard*>(c->_private);
    if (++guard->elements > TCXMLBaseParser::kMaxElements) {
        guard->tooMany = true;
        xmlStopParser(c);
        return;
    }
    xmlSAX2StartElementNs(ctx, localname, prefix, uri, nbNs, namespaces, nbAttrs, nbDefaulted, attrs);
}

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
    ctxt->sax->startElementNs = countElement;
    const int options = XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr d = xmlCtxtReadMemory(ctxt, text, static_cast<int>(len), nullptr, nullptr, options);
    if (guard.doctype) {
        if (d) xmlFreeDoc(d);
        xmlFreeParserCtxt(ctxt);
        return XML_E_DTD;
    }
    if (guard.tooMany) {
        if (d) xmlFreeDoc(d);
        xmlFreeParserCtxt(ctxt);
        why = "too many elements";
        return XML_E_TOOLARGE;
    }
    if (!d || !ctxt->wellFormed || !xmlDocGetRootElement(d)) {
        const xmlError* e = xmlCtxtGetLastError(ctxt);
        why = e && e->message ? TCString(e->message) : zrnTranslateString("нет корневого элемента");
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
