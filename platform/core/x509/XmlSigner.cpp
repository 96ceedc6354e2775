#include "platform/core/x509/XmlSigner.h"

#include <libxml/tree.h>
#include <libxml/valid.h>
#include <xmlsec/xmlsec.h>
// after xmlsec.h, which defines its basic types
#include <xmlsec/errors.h>
#include <xmlsec/openssl/app.h>
#include <xmlsec/openssl/crypto.h>
#include <xmlsec/openssl/evp.h>
#include <xmlsec/transforms.h>
#include <xmlsec/xmldsig.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/core/config/XmlSafeRead.h"
#include "platform/runtime/Translation.h"

namespace {

const char kDsNs[] = "http://www.w3.org/2000/09/xmldsig#";
const char kExcC14N[] = "http://www.w3.org/2001/10/xml-exc-c14n#";

// The library's own reasons, kept for the failure text instead of stderr.
std::string& libReason() {
    static std::string r;
    return r;
}

void collectError(const char*, int, const char*, const char*, const char* subject, int, const char* msg) {
    std::string& r = libReason();
    if (!r.empty()) r += "; ";
    if (subject && *subject) (r += subject) += ": ";
    r += msg ? msg : "";
}

// xmlsec is loaded by the first check of a signature: the program starts
// without it and the two libraries it brings (its OpenSSL part, libxslt),
// which every start would otherwise map and relocate for a check that most
// runs never make. The loaded library shares libxml2 and OpenSSL with the
// program, both already in the process.
#define ZRX_XMLSEC_FUNCTIONS(X)                  \
    X(xmlSecInit)                                \
    X(xmlSecCheckVersionExt)                     \
    X(xmlSecOpenSSLAppInit)                      \
    X(xmlSecOpenSSLInit)                         \
    X(xmlSecErrorsSetCallback)                   \
    X(xmlSecDSigCtxCreate)                       \
    X(xmlSecDSigCtxDestroy)                      \
    X(xmlSecDSigCtxEnableSignatureTransform)     \
    X(xmlSecDSigCtxEnableReferenceTransform)     \
    X(xmlSecTransformExclC14NGetKlass)           \
    X(xmlSecOpenSSLTransformRsaSha256GetKlass)   \
    X(xmlSecOpenSSLTransformEcdsaSha256GetKlass) \
    X(xmlSecOpenSSLTransformSha256GetKlass)      \
    X(xmlSecOpenSSLEvpKeyAdopt)                  \
    X(xmlSecKeyCreate)                           \
    X(xmlSecKeySetValue)                         \
    X(xmlSecKeyDataDestroy)                      \
    X(xmlSecKeyDestroy)                          \
    X(xmlSecDSigCtxVerify)                       \
    X(xmlSecPtrListGetSize)                      \
    X(xmlSecPtrListGetItem)                      \
    X(xmlSecDSigReferenceCtxGetPreDigestBuffer)  \
    X(xmlSecBufferGetData)                       \
    X(xmlSecBufferGetSize)

struct XmlSec {
#define ZRX_XMLSEC_POINTER(name) decltype(&::name) name = nullptr;
    ZRX_XMLSEC_FUNCTIONS(ZRX_XMLSEC_POINTER)
#undef ZRX_XMLSEC_POINTER
};

// The loaded library, initialised; null when it cannot be loaded or refuses
// to start. It stays loaded to the end of the process.
const XmlSec* xmlSec() {
    static XmlSec lib;
    static bool ok = false;
    static std::once_flag once;
    std::call_once(once, [] {
        // The OpenSSL part names the core library among its own: one handle
        // finds the functions of both.
        void* handle = dlopen("libxmlsec1-openssl.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!handle) return;
        bool all = true;
#define ZRX_XMLSEC_RESOLVE(name) \
    all = all && (lib.name = reinterpret_cast<decltype(lib.name)>(dlsym(handle, #name))) != nullptr;
        ZRX_XMLSEC_FUNCTIONS(ZRX_XMLSEC_RESOLVE)
#undef ZRX_XMLSEC_RESOLVE
        if (!all || lib.xmlSecInit() < 0) return;
        if (lib.xmlSecCheckVersionExt(XMLSEC_VERSION_MAJOR, XMLSEC_VERSION_MINOR, XMLSEC_VERSION_SUBMINOR,
                                      xmlSecCheckVersionABICompatible) != 1 ||
            lib.xmlSecOpenSSLAppInit(nullptr) < 0 || lib.xmlSecOpenSSLInit() < 0)
            return;
        // Set last: the crypto initialisation installs its own printer.
        lib.xmlSecErrorsSetCallback(collectError);
        ok = true;
    });
    return ok ? &lib : nullptr;
}

bool isDs(const xmlNode* n, const char* name) {
    return n && n->type == XML_ELEMENT_NODE && n->ns && n->ns->href &&
           std::strcmp(reinterpret_cast<const char*>(n->ns->href), kDsNs) == 0 &&
           std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

// Element children of a node.
std::vector<xmlNodePtr> elements(xmlNodePtr n) {
    std::vector<xmlNodePtr> out;
    for (xmlNodePtr c = n ? n->children : nullptr; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE) out.push_back(c);
    return out;
}

bool onlyBlankText(xmlNodePtr n) {
    for (xmlNodePtr c = n->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE || c->type == XML_COMMENT_NODE) continue;
        if (c->type != XML_TEXT_NODE) return false;
        for (const xmlChar* p = c->content; p && *p; ++p)
            if (!std::strchr(" \t\r\n", *p)) return false;
    }
    return true;
}

int countSignatures(xmlNodePtr n) {
    int count = 0;
    for (xmlNodePtr c = n; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE) continue;
        if (isDs(c, "Signature")) ++count;
        count += countSignatures(c->children);
    }
    return count;
}

std::string attr(xmlNodePtr n, const char* name) {
    xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
    std::string s = v ? reinterpret_cast<const char*>(v) : "";
    if (v) xmlFree(v);
    return s;
}

std::string content(xmlNodePtr n) {
    xmlChar* v = xmlNodeGetContent(n);
    std::string s = v ? reinterpret_cast<const char*>(v) : "";
    if (v) xmlFree(v);
    return s;
}

// What the structural check finds.
struct Shape {
    xmlNodePtr signature = nullptr;
    xmlNodePtr object = nullptr;
    TCASN1OctetString keyId;
};

// The accepted form, checked before anything is verified; empty when it fits.
TCString checkShape(xmlDocPtr doc, Shape& s) {
    xmlNodePtr root = xmlDocGetRootElement(doc);
    if (!isDs(root, "Signature")) return "корневой элемент не является подписью ds:Signature";
    if (countSignatures(root) != 1) return "документ содержит более одной подписи";
    s.signature = root;
    const auto kids = elements(root);
    if (kids.size() < 3 || !isDs(kids[0], "SignedInfo") || !isDs(kids[1], "SignatureValue"))
        return "нарушен состав подписи";
    xmlNodePtr keyInfo = nullptr;
    for (size_t i = 2; i < kids.size(); ++i) {
        if (isDs(kids[i], "KeyInfo") && i == 2) keyInfo = kids[i];
        else if (isDs(kids[i], "Object") && !s.object) s.object = kids[i];
        else return "подпись содержит лишние элементы или несколько объектов";
    }
    if (!s.object) return "подпись не содержит подписанного объекта";
    if (!keyInfo) return "подпись не содержит KeyInfo";

    const auto si = elements(kids[0]);
    if (si.size() != 3 || !isDs(si[0], "CanonicalizationMethod") || !isDs(si[1], "SignatureMethod") ||
        !isDs(si[2], "Reference"))
        return "SignedInfo должен содержать ровно одну ссылку";
    if (attr(si[0], "Algorithm") != kExcC14N) return "недопустимый метод канонизации";
    xmlNodePtr ref = si[2];
    const std::string id = attr(s.object, "Id");
    if (id.empty() || attr(ref, "URI") != "#" + id) return "ссылка не указывает на подписанный объект";
    const auto refKids = elements(ref);
    if (refKids.size() != 3 || !isDs(refKids[0], "Transforms") || !isDs(refKids[1], "DigestMethod") ||
        !isDs(refKids[2], "DigestValue"))
        return "нарушен состав ссылки";
    const auto transforms = elements(refKids[0]);
    if (transforms.size() != 1 || !isDs(transforms[0], "Transform") || attr(transforms[0], "Algorithm") != kExcC14N ||
        !elements(transforms[0]).empty())
        return "недопустимое преобразование ссылки";

    // The object: exactly one element, nothing but blanks beside it.
    if (elements(s.object).size() != 1 || !onlyBlankText(s.object))
        return "подписанный объект должен содержать ровно один элемент";

    // The signer: KeyInfo/X509Data/X509SKI.
    xmlNodePtr ski = nullptr;
    for (xmlNodePtr d : elements(keyInfo))
        if (isDs(d, "X509Data"))
            for (xmlNodePtr e : elements(d))
                if (isDs(e, "X509SKI") && !ski) ski = e;
    if (!ski) return "не указан идентификатор ключа подписчика (X509SKI)";
    TCString b64(content(ski));
    b64.removeChar('\n').removeChar('\r').removeChar(' ').removeChar('\t');
    std::string keyId;
    if (!b64.fromBase64(keyId) || keyId.empty()) return "неверный идентификатор ключа подписчика";
    s.keyId.assign(keyId.data(), keyId.size());
    return TCString();
}

}  // namespace

TZrXMLSigner::TZrXMLSigner(TZrXMLSignerLookup lookup, void* context) : lookup_(lookup), context_(context) {}

TZrXMLSigner::~TZrXMLSigner() = default;

KResult TZrXMLSigner::fail(KResult code, const TCString& why) {
    lastError_ = zrnTranslateString(why.c_str());
    return code;
}

TCXMLNode* TZrXMLSigner::getObject(bool detach) { return detach ? object_.release() : object_.get(); }

KResult TZrXMLSigner::verifyXMLFile(const char* path) {
    const TCString name(path ? path : "");
    std::string data;
    FILE* f = name.isEmpty() ? nullptr : std::fopen(name.c_str(), "rb");
    if (!f)
        return fail(XML_E_OPEN,
                    TCString::format(zrnTranslateString("файл '%s' не может быть прочитан").c_str(), name.c_str()));
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        data.append(buf, n);
        if (data.size() > TCXMLBaseParser::kMaxDocumentSize) break;
    }
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError)
        return fail(XML_E_OPEN,
                    TCString::format(zrnTranslateString("файл '%s' не может быть прочитан").c_str(), name.c_str()));
    return verifyXMLText(data.data(), data.size(), name.c_str());
}

KResult TZrXMLSigner::verifyXMLText(const char* text, size_t len, const char* sourceName) {
    object_.reset();
    signer_.clear();
    lastError_.clear();
    if (!text || !len) return fail(XML_E_SYNTAX, "пустой документ");
    if (len > TCXMLBaseParser::kMaxDocumentSize) return fail(XML_E_TOOLARGE, "документ превышает допустимый размер");
    const XmlSec* sec = xmlSec();
    if (!sec) return fail(XMLSIG_E_LIB, "библиотека проверки подписи не инициализирована");
    if (!lookup_) return fail(XMLSIG_E_LIB, "не задан поиск сертификата подписчика");

    // libxml2's own messages (canonicalisation, encodings) join the
    // failure's reason instead of standard error.
    TXmlMessageCapture xmlMessages;
    xmlDocPtr doc = nullptr;
    TCString why;
    int line = 0;
    const KResult rc = readXmlDocSafely(text, len, &doc, why, &line);
    if (rc == XML_E_DTD) return fail(rc, "описания DOCTYPE и сущностей не допускаются");
    if (rc) return fail(rc, TCString::format(zrnTranslateString("строка %d: %s").c_str(), line, why.c_str()));
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> docGuard(doc, xmlFreeDoc);

    Shape shape;
    const TCString bad = checkShape(doc, shape);
    if (!bad.isEmpty()) return fail(XMLSIG_E_FORM, bad);

    // Only the object's Id is an identifier: registered first, it is the one
    // the reference resolves to.
    xmlAttrPtr idAttr = xmlHasProp(shape.object, reinterpret_cast<const xmlChar*>("Id"));
    xmlChar* idValue = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(idAttr));
    const bool registered = xmlAddID(nullptr, doc, idValue, idAttr) != nullptr;
    if (idValue) xmlFree(idValue);
    if (!registered) return fail(XMLSIG_E_FORM, "идентификатор объекта не уникален");

    TZrX509 cert;
    const KResult found = lookup_(cert, context_, shape.keyId);
    if (found != 0 || cert.isEmpty())
        return fail(
            found && isFailure(found) ? found : KR_E_EMPTY,
            TCString::format(zrnTranslateString("сертификат подписчика с идентификатором ключа %s не найден").c_str(),
                             shape.keyId.toHex().c_str()));

    xmlSecDSigCtxPtr ctx = sec->xmlSecDSigCtxCreate(nullptr);
    if (!ctx) return fail(XMLSIG_E_LIB, "нет контекста проверки подписи");
    std::unique_ptr<xmlSecDSigCtx, void (*)(xmlSecDSigCtxPtr)> ctxGuard(ctx, sec->xmlSecDSigCtxDestroy);
    ctx->flags |= XMLSEC_DSIG_FLAGS_STORE_SIGNEDINFO_REFERENCES | XMLSEC_DSIG_FLAGS_IGNORE_MANIFESTS;
    ctx->enabledReferenceUris = xmlSecTransformUriTypeSameDocument;
    if (sec->xmlSecDSigCtxEnableSignatureTransform(ctx, sec->xmlSecTransformExclC14NGetKlass()) < 0 ||
        sec->xmlSecDSigCtxEnableSignatureTransform(ctx, sec->xmlSecOpenSSLTransformRsaSha256GetKlass()) < 0 ||
        sec->xmlSecDSigCtxEnableSignatureTransform(ctx, sec->xmlSecOpenSSLTransformEcdsaSha256GetKlass()) < 0 ||
        sec->xmlSecDSigCtxEnableReferenceTransform(ctx, sec->xmlSecTransformExclC14NGetKlass()) < 0 ||
        sec->xmlSecDSigCtxEnableReferenceTransform(ctx, sec->xmlSecOpenSSLTransformSha256GetKlass()) < 0)
        return fail(XMLSIG_E_LIB, "не удалось ограничить алгоритмы проверки подписи");

    EVP_PKEY* pub = cert.publicKey();
    if (!pub || EVP_PKEY_up_ref(pub) != 1) return fail(XMLSIG_E_LIB, "нет открытого ключа подписчика");
    xmlSecKeyDataPtr data = sec->xmlSecOpenSSLEvpKeyAdopt(pub);
    if (!data) {
        EVP_PKEY_free(pub);
        return fail(XMLSIG_E_LIB, "открытый ключ подписчика не поддерживается");
    }
    xmlSecKeyPtr key = sec->xmlSecKeyCreate();
    if (!key || sec->xmlSecKeySetValue(key, data) < 0) {
        sec->xmlSecKeyDataDestroy(data);
        if (key) sec->xmlSecKeyDestroy(key);
        return fail(XMLSIG_E_LIB, "ключ подписчика не создан");
    }
    ctx->signKey = key;

    libReason().clear();
    if (sec->xmlSecDSigCtxVerify(ctx, shape.signature) < 0 || ctx->status != xmlSecDSigStatusSucceeded) {
        std::string r = libReason();
        if (const std::string x = xmlMessages.text(); !x.empty()) r += (r.empty() ? "" : "; ") + x;
        TCString reason = r.empty() ? TCString("подпись или хеш не совпадают") : TCString(r.c_str());
        libReason().clear();
        return fail(XMLSIG_E_INVALID, reason);
    }
    libReason().clear();

    // The signed element is read from the bytes whose digest was checked.
    if (sec->xmlSecPtrListGetSize(&ctx->signedInfoReferences) != 1) return fail(XMLSIG_E_FORM, "нарушен состав ссылок");
    auto* ref = static_cast<xmlSecDSigReferenceCtxPtr>(sec->xmlSecPtrListGetItem(&ctx->signedInfoReferences, 0));
    xmlSecBufferPtr signedBytes = ref ? sec->xmlSecDSigReferenceCtxGetPreDigestBuffer(ref) : nullptr;
    if (!ref || ref->status != xmlSecDSigStatusSucceeded || !signedBytes)
        return fail(XMLSIG_E_INVALID, "ссылка не проверена");
    TCXMLNodeParser parser(true);
    parser.setMacroMode(0);
    const KResult lr = parser.loadText(reinterpret_cast<const char*>(sec->xmlSecBufferGetData(signedBytes)),
                                       sec->xmlSecBufferGetSize(signedBytes), sourceName);
    TCXMLNode* objectNode = lr == 0 ? parser.getRoot() : nullptr;
    if (!objectNode || objectNode->nodesCount() != 1) return fail(XMLSIG_E_FORM, "подписанный объект не прочитан");
    object_.reset(objectNode->detachNode(objectNode->at(0)));
    signer_ = cert;
    return 0;
}
