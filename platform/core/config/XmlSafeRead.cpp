#include "platform/core/config/XmlSafeRead.h"

#include <libxml/SAX2.h>
#include <libxml/globals.h>
#include <libxml/parser.h>

#include <cstdarg>
#include <cstdio>

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

// ---------------------------------------------------------------- messages

namespace {
// Enough to name the fault; a hostile document can raise one message per byte.
constexpr size_t kMaxCapturedText = 400;
}  // namespace

TXmlMessageCapture::TXmlMessageCapture()
    : oldGeneric_(xmlGenericError), oldGenericContext_(xmlGenericErrorContext), oldStructured_(xmlStructuredError),
      oldStructuredContext_(xmlStructuredErrorContext) {
    xmlSetGenericErrorFunc(this, onGeneric);
    xmlSetStructuredErrorFunc(this, onStructured);
}

TXmlMessageCapture::~TXmlMessageCapture() {
    xmlSetStructuredErrorFunc(oldStructuredContext_, oldStructured_);
    xmlSetGenericErrorFunc(oldGenericContext_, oldGeneric_);
}

std::string TXmlMessageCapture::text() const {
    if (!dropped_) return text_;
    return text_ + " (+" + std::to_string(dropped_) + ")";
}

void TXmlMessageCapture::add(const char* message) {
    std::string m = message ? message : "";
    for (char& c : m)
        if (c == '\n' || c == '\r') c = ' ';
    while (!m.empty() && m.back() == ' ') m.pop_back();
    if (m.empty() || m == last_) return;  // libxml2 repeats some messages
    last_ = m;
    if (text_.size() >= kMaxCapturedText) {
        ++dropped_;
        return;
    }
    if (!text_.empty()) text_ += "; ";
    text_ += m;
}

void TXmlMessageCapture::onGeneric(void* ctx, const char* fmt, ...) {
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    static_cast<TXmlMessageCapture*>(ctx)->add(buf);
}

#if LIBXML_VERSION >= 21200
void TXmlMessageCapture::onStructured(void* ctx, const xmlError* error) {
#else
void TXmlMessageCapture::onStructured(void* ctx, xmlErrorPtr error) {
#endif
    if (error) static_cast<TXmlMessageCapture*>(ctx)->add(error->message);
}

// ---------------------------------------------------------------- reading

KResult readXmlDocSafely(const char* text, size_t len, xmlDocPtr* doc, TCString& why, int* line) {
    TXmlMessageCapture messages;
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
        // Every message in order (an encoding failure comes before the
        // parser's own); the parser's last one when nothing was collected.
        const xmlError* e = xmlCtxtGetLastError(ctxt);
        const std::string seen = messages.text();
        why = !seen.empty()     ? TCString(seen.c_str())
              : e && e->message ? TCString(e->message)
                                : zrnTranslateString("нет корневого элемента");
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
