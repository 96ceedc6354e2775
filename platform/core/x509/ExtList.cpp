#include "platform/core/x509/ExtList.h"

#include <openssl/err.h>
#include <openssl/objects.h>

#include <cstring>

#include "platform/core/x509/Asn1Types.h"
#include "platform/core/x509/X509Util.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/Translation.h"

using namespace zrx::x509;

namespace {

bool isDotted(const char* s) {
    if (!s || !*s) return false;
    for (const char* p = s; *p; ++p)
        if (!((*p >= '0' && *p <= '9') || *p == '.')) return false;
    return true;
}

ASN1_OBJECT* objOf(const char* name) {
    int nid = zrxNidOf(name);
    if (nid != NID_undef) return OBJ_dup(OBJ_nid2obj(nid));
    if (isDotted(name)) return OBJ_txt2obj(name, 1);
    return nullptr;
}

std::vector<TCString> splitList(const char* text, char sep = ',') {
    std::vector<TCString> out;
    TCString t(text ? text : "");
    size_t from = 0;
    while (from <= t.length()) {
        int p = t.pos(sep, from);
        size_t to = p < 0 ? t.length() : static_cast<size_t>(p);
        TCString part = t.sub(from, to - from);
        part.trim();
        if (!part.isEmpty()) out.push_back(part);
        from = to + 1;
    }
    return out;
}

X509_EXTENSION* extFromDer(int nid, bool critical, const std::vector<uint8_t>& der) {
    ASN1_OCTET_STRING* os = ASN1_OCTET_STRING_new();
    if (!os) return nullptr;
    X509_EXTENSION* ext = nullptr;
    if (ASN1_OCTET_STRING_set(os, der.data(), static_cast<int>(der.size())))
        ext = X509_EXTENSION_create_by_NID(nullptr, nid, critical ? 1 : 0, os);
    ASN1_OCTET_STRING_free(os);
    return ext;
}

// Value of a generic (non-standard) extension from its text by value type.
KResult genericDer(TCEditsEntryType type, const TCString& value, std::vector<uint8_t>& der) {
    ASN1_TYPE* t = ASN1_TYPE_new();
    if (!t) return kErrCrypto;
    KResult rc = 0;
    switch (type) {
    case xvtInt:
    case xvtEnum:
    case xvtFlags: {
        int64_t v = 0;
        if (!value.asInt64(&v, value.startsWithIC("0x") ? 16 : 10)) {
            rc = kErrBadValue;
            break;
        }
        ASN1_INTEGER* ai = ASN1_INTEGER_new();
        if (!ai || !ASN1_INTEGER_set_int64(ai, v)) {
            ASN1_INTEGER_free(ai);
            rc = kErrBadValue;
            break;
        }
        ASN1_TYPE_set(t, V_ASN1_INTEGER, ai);
        break;
    }
    case xvtBool: {
        bool b = false;
        if (!zrxBoolFromText(value.c_str(), &b)) {
            rc = kErrBadValue;
            break;
        }
        ASN1_TYPE_set(t, V_ASN1_BOOLEAN, reinterpret_cast<void*>(static_cast<intptr_t>(b ? 0xFF : 0)));
        break;
    }
    case xvtBinary:
    case xvtBinFile: {
        TCASN1OctetString os;
        if (failed(os.fromHex(value.c_str()))) {
            rc = kErrBadValue;
            break;
        }
        ASN1_OCTET_STRING* a = ASN1_OCTET_STRING_new();
        if (!a || !ASN1_OCTET_STRING_set(a, os.data(), static_cast<int>(os.length()))) {
            ASN1_OCTET_STRING_free(a);
            rc = kErrCrypto;
            break;
        }
        ASN1_TYPE_set(t, V_ASN1_OCTET_STRING, a);
        break;
    }
    case xvtObject: {
        // the DER value itself, as hex
        TCASN1OctetString os;
        if (failed(os.fromHex(value.c_str())) || os.isEmpty()) {
            rc = kErrBadValue;
            break;
        }
        const unsigned char* p = os.data();
        ASN1_TYPE* parsed = d2i_ASN1_TYPE(nullptr, &p, static_cast<long>(os.length()));
        if (!parsed || p != os.data() + os.length()) {
            ASN1_TYPE_free(parsed);
            rc = kErrBadValue;
            break;
        }
        ASN1_TYPE_free(t);
        t = parsed;
        break;
    }
    case xvtDate:
    case xvtDateTime:
    case xvtTime: {
        // "YYYYMMDDhhmmss" value forms
        TCString v = value;
        v.trim();
        if (v.length() != 14 || !v.isNumber()) {
            rc = kErrBadValue;
            break;
        }
        ASN1_GENERALIZEDTIME* g = ASN1_GENERALIZEDTIME_new();
        if (!g || !ASN1_GENERALIZEDTIME_set_string(g, (v + "Z").c_str())) {
            ASN1_GENERALIZEDTIME_free(g);
            rc = kErrBadValue;
            break;
        }
        ASN1_TYPE_set(t, V_ASN1_GENERALIZEDTIME, g);
        break;
    }
    default: {
        ASN1_UTF8STRING* s = ASN1_UTF8STRING_new();
        if (!s || !ASN1_STRING_set(s, value.c_str(), static_cast<int>(value.length()))) {
            ASN1_UTF8STRING_free(s);
            rc = kErrCrypto;
            break;
        }
        ASN1_TYPE_set(t, V_ASN1_UTF8STRING, s);
        break;
    }
    }
    if (!failed(rc) && !zrxEncodeDer(t, i2d_ASN1_TYPE, der)) rc = kErrDerEncode;
    ASN1_TYPE_free(t);
    ERR_clear_error();
    return rc;
}

const char* const kKuNames[] = {"digitalSignature", "nonRepudiation", "keyEncipherment",
                                "dataEncipherment", "keyAgreement",   "keyCertSign",
                                "cRLSign",          "encipherOnly",   "decipherOnly"};

TCString generalNamesText(GENERAL_NAMES* names) {
    TCString out;
    for (int i = 0; i < sk_GENERAL_NAME_num(names); ++i) {
        GENERAL_NAME* gn = sk_GENERAL_NAME_value(names, i);
        TCString part;
        switch (gn->type) {
        case GEN_EMAIL: part = TCString("email:") + zrxAsn1ToUtf8(gn->d.rfc822Name); break;
        case GEN_DNS: part = TCString("DNS:") + zrxAsn1ToUtf8(gn->d.dNSName); break;
        case GEN_URI: part = TCString("URI:") + zrxAsn1ToUtf8(gn->d.uniformResourceIdentifier); break;
        case GEN_RID: part = TCString("RID:") + zrxObjText(gn->d.registeredID, true); break;
        case GEN_IPADD: {
            unsigned char* p = gn->d.iPAddress->data;
            int n = gn->d.iPAddress->length;
            if (n == 4) part.printf("IP:%d.%d.%d.%d", p[0], p[1], p[2], p[3]);
            else part = TCString("IP:") + TCASN1OctetString(p, static_cast<size_t>(n)).toHex(true);
            break;
        }
        case GEN_DIRNAME:
            part = TCString("dirName:") + zrxBioText([gn](BIO* b) {
                       return X509_NAME_print_ex(b, gn->d.directoryName, 0, XN_FLAG_ONELINE) >= 0 ? 1 : 0;
                   });
            break;
        default: continue;
        }
        if (!out.isEmpty()) out += ",";
        out += part;
    }
    return out;
}

}  // namespace

// ---- extension entry ----

TCX509ExtEntry::TCX509ExtEntry(const char* nameOrOid, const char* value, bool critical)
    : TCXEditsEntry(nameOrOid, xvtString), critical_(critical) {
    zrxRegisterObjects();
    nid_ = zrxNidOf(nameOrOid);
    if (nid_ != NID_undef) {
        const char* sn = OBJ_nid2sn(nid_);
        if (sn) setName(sn);
    }
    if (isEku()) type_ = xvtSet;
    if (value) TCX509ExtEntry::setValue(value);
}

bool TCX509ExtEntry::isEku() const { return nid_ == NID_ext_key_usage; }

TCString TCX509ExtEntry::caption() const {
    if (!caption_.isEmpty()) return zrnTranslateString(caption_.c_str());
    if (!longName_.isEmpty()) return zrnTranslateString(longName_.c_str());
    if (nid_ != NID_undef) {
        TCString c = zrxObjectCaption(nid_);
        if (!c.isEmpty()) return c;
    }
    return TCString(c_str());
}

void TCX509ExtEntry::syncEkuSubEntries() {
    TCXEditsList* list = makeSubEntries();
    list->clear();
    for (const TCString& purpose : splitList(value_.c_str())) {
        int nid = zrxNidOf(purpose.c_str());
        const char* sn = nid != NID_undef ? OBJ_nid2sn(nid) : nullptr;
        auto* e = new TCXEditsEntry(sn ? sn : purpose.c_str(), xvtBool, nullptr, "TRUE");
        e->setNid(nid);
        addSubEntry(e);
    }
}

KResult TCX509ExtEntry::setValue(const char* value) {
    KResult rc = TCXEditsEntry::setValue(value);
    if (failed(rc)) return rc;
    if (isEku()) syncEkuSubEntries();
    return 0;
}

KResult TCX509ExtEntry::parse(const char* format) {
    if (!format) return kErrBadValue;
    TCString f(format);
    f.trim();
    bool critical = false;
    size_t i = 0;
    if (f.at(0) == '!') {
        critical = true;
        i = 1;
    }
    auto until = [&](const char* stops) {
        size_t start = i;
        while (i < f.length() && !strchr(stops, f.at(i))) ++i;
        return f.sub(start, i - start);
    };
    TCString name = until("?|:");
    name.trim();
    TCString typeName, longName, value;
    bool hasType = false;
    if (i < f.length() && f.at(i) == '?') {
        ++i;
        typeName = until("|:");
        hasType = true;
    }
    if (i < f.length() && f.at(i) == '|') {
        ++i;
        longName = until(":");
    }
    if (i < f.length() && f.at(i) == ':') value = f.sub(i + 1);
    if (name.isEmpty()) return kErrBadValue;
    zrxRegisterObjects();
    int nid = zrxNidOf(name.c_str());
    if (nid == NID_undef) return kErrUnknownObject;
    TCEditsEntryType type = hasType ? xvtByName(typeName.c_str()) : xvtString;
    if (hasType && type == xvtNone && !typeName.trim().isEmpty() && !typeName.equalsIC("none")) return kErrBadValue;
    const char* sn = OBJ_nid2sn(nid);
    setName(sn ? sn : name.c_str());
    nid_ = nid;
    critical_ = critical;
    type_ = isEku() ? xvtSet : (hasType && type != xvtNone ? type : xvtString);
    longName_ = longName.trim();
    return setValue(value.c_str());
}

KResult TCX509ExtEntry::toExtension(X509_EXTENSION** out) const {
    if (!out) return kErrInvalidArg;
    *out = nullptr;
    if (nid_ == NID_undef) return kErrUnknownObject;
    X509_EXTENSION* ext = nullptr;
    if (isEku()) {
        EXTENDED_KEY_USAGE* eku = sk_ASN1_OBJECT_new_null();
        if (!eku) return kErrCrypto;
        std::vector<TCString> names;
        if (TCXEditsList* sub = getSubEntries()) {
            for (int k = 0; k < sub->count(); ++k) {
                bool on = true;
                zrxBoolFromText(sub->at(k)->getValue().c_str(), &on);
                if (on) names.push_back(*sub->at(k));
            }
        } else {
            names = splitList(value_.c_str());
        }
        for (const TCString& n : names) {
            ASN1_OBJECT* o = objOf(n.c_str());
            if (!o) {
                sk_ASN1_OBJECT_pop_free(eku, ASN1_OBJECT_free);
                return kErrUnknownObject;
            }
            sk_ASN1_OBJECT_push(eku, o);
        }
        if (sk_ASN1_OBJECT_num(eku) == 0) {
            sk_ASN1_OBJECT_free(eku);
            return kErrBadValue;
        }
        ext = X509V3_EXT_i2d(NID_ext_key_usage, critical_ ? 1 : 0, eku);
        sk_ASN1_OBJECT_pop_free(eku, ASN1_OBJECT_free);
    } else if (nid_ == NID_certificate_policies) {
        // policy identifiers only (OpenSSL's text form needs a configuration database)
        CERTIFICATEPOLICIES* pols = CERTIFICATEPOLICIES_new();
        if (!pols) return kErrCrypto;
        for (const TCString& oid : splitList(value_.c_str())) {
            ASN1_OBJECT* o = objOf(oid.c_str());
            POLICYINFO* pi = o ? POLICYINFO_new() : nullptr;
            if (!pi) {
                ASN1_OBJECT_free(o);
                CERTIFICATEPOLICIES_free(pols);
                return kErrBadValue;
            }
            ASN1_OBJECT_free(pi->policyid);
            pi->policyid = o;
            sk_POLICYINFO_push(pols, pi);
        }
        if (sk_POLICYINFO_num(pols) > 0) ext = X509V3_EXT_i2d(NID_certificate_policies, critical_ ? 1 : 0, pols);
        CERTIFICATEPOLICIES_free(pols);
    } else if (X509V3_EXT_get_nid(nid_)) {
        if (value_.isEmpty()) return kErrBadValue;
        X509V3_CTX ctx;
        X509V3_set_ctx(&ctx, nullptr, nullptr, nullptr, nullptr, 0);
        TCString conf = critical_ ? TCString("critical,") + value_ : value_;
        ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid_, conf.c_str());
    } else {
        std::vector<uint8_t> der;
        KResult rc = genericDer(type_, value_, der);
        if (failed(rc)) return rc;
        ext = extFromDer(nid_, critical_, der);
    }
    ERR_clear_error();
    if (!ext) return kErrBadValue;
    *out = ext;
    return 0;
}

KResult TCX509ExtEntry::fromExtension(const X509_EXTENSION* ext) {
    if (!ext) return kErrInvalidArg;
    zrxRegisterObjects();
    const ASN1_OBJECT* obj = X509_EXTENSION_get_object(const_cast<X509_EXTENSION*>(ext));
    int nid = OBJ_obj2nid(obj);
    nid_ = nid;
    setName(zrxObjText(obj).c_str());
    critical_ = X509_EXTENSION_get_critical(ext) != 0;
    type_ = xvtString;
    TCString value;
    void* decoded =
        nid != NID_undef && X509V3_EXT_get_nid(nid) ? X509V3_EXT_d2i(const_cast<X509_EXTENSION*>(ext)) : nullptr;
    switch (nid) {
    case NID_ext_key_usage: {
        auto* eku = static_cast<EXTENDED_KEY_USAGE*>(decoded);
        for (int k = 0; eku && k < sk_ASN1_OBJECT_num(eku); ++k) {
            if (!value.isEmpty()) value += ",";
            value += zrxObjText(sk_ASN1_OBJECT_value(eku, k));
        }
        sk_ASN1_OBJECT_pop_free(eku, ASN1_OBJECT_free);
        decoded = nullptr;
        type_ = xvtSet;
        break;
    }
    case NID_key_usage: {
        auto* ku = static_cast<ASN1_BIT_STRING*>(decoded);
        for (int b = 0; ku && b < 9; ++b)
            if (ASN1_BIT_STRING_get_bit(ku, b)) {
                if (!value.isEmpty()) value += ",";
                value += kKuNames[b];
            }
        ASN1_BIT_STRING_free(ku);
        decoded = nullptr;
        break;
    }
    case NID_basic_constraints: {
        auto* bc = static_cast<BASIC_CONSTRAINTS*>(decoded);
        if (bc) {
            value = bc->ca ? "CA:TRUE" : "CA:FALSE";
            if (bc->pathlen) value.appendf(",pathlen:%ld", ASN1_INTEGER_get(bc->pathlen));
        }
        BASIC_CONSTRAINTS_free(bc);
        decoded = nullptr;
        break;
    }
    case NID_subject_alt_name:
    case NID_issuer_alt_name: {
        auto* gns = static_cast<GENERAL_NAMES*>(decoded);
        if (gns) value = generalNamesText(gns);
        GENERAL_NAMES_free(gns);
        decoded = nullptr;
        break;
    }
    case NID_certificate_policies: {
        auto* pol = static_cast<CERTIFICATEPOLICIES*>(decoded);
        for (int k = 0; pol && k < sk_POLICYINFO_num(pol); ++k) {
            if (!value.isEmpty()) value += ",";
            value += zrxObjText(sk_POLICYINFO_value(pol, k)->policyid, true);
        }
        CERTIFICATEPOLICIES_free(pol);
        decoded = nullptr;
        break;
    }
    case NID_subject_key_identifier: {
        auto* os = static_cast<ASN1_OCTET_STRING*>(decoded);
        value = TCASN1OctetString(os).toHex(false);
        ASN1_OCTET_STRING_free(os);
        decoded = nullptr;
        break;
    }
    default: break;
    }
    if (decoded) {
        // other standard extensions: their printed form
        const X509V3_EXT_METHOD* m = X509V3_EXT_get_nid(nid);
        if (m && m->it) ASN1_item_free(static_cast<ASN1_VALUE*>(decoded), ASN1_ITEM_ptr(m->it));
        else if (m && m->ext_free) m->ext_free(decoded);
        value = zrxBioText([ext](BIO* b) { return X509V3_EXT_print(b, const_cast<X509_EXTENSION*>(ext), 0, 0); });
        value.trim();
    } else if (value.isEmpty() && !(nid != NID_undef && X509V3_EXT_get_nid(nid))) {
        // our own and unknown objects by the value's ASN.1 type
        const ASN1_OCTET_STRING* os = X509_EXTENSION_get_data(const_cast<X509_EXTENSION*>(ext));
        const unsigned char* p = ASN1_STRING_get0_data(os);
        long n = ASN1_STRING_length(os);
        ASN1_TYPE* t = d2i_ASN1_TYPE(nullptr, &p, n);
        if (t && p == ASN1_STRING_get0_data(os) + n) {
            switch (t->type) {
            case V_ASN1_UTF8STRING:
            case V_ASN1_PRINTABLESTRING:
            case V_ASN1_IA5STRING:
            case V_ASN1_BMPSTRING:
            case V_ASN1_T61STRING:
            case V_ASN1_VISIBLESTRING: value = zrxAsn1ToUtf8(t->value.asn1_string); break;
            case V_ASN1_INTEGER:
                type_ = xvtInt;
                value = TCString(static_cast<int64_t>(ASN1_INTEGER_get(t->value.integer)), 10);
                break;
            case V_ASN1_BOOLEAN:
                type_ = xvtBool;
                value = zrxBoolText(t->value.boolean != 0);
                break;
            case V_ASN1_OCTET_STRING:
                type_ = xvtBinary;
                value = TCASN1OctetString(t->value.octet_string).toHex(false);
                break;
            default:
                type_ = xvtObject;
                value = TCASN1OctetString(ASN1_STRING_get0_data(os), static_cast<size_t>(n)).toHex(false);
                break;
            }
        } else {
            type_ = xvtObject;
            value = TCASN1OctetString(ASN1_STRING_get0_data(os), static_cast<size_t>(n)).toHex(false);
        }
        ASN1_TYPE_free(t);
    }
    ERR_clear_error();
    value_ = value;
    if (isEku()) syncEkuSubEntries();
    return 0;
}

// ---- extension list ----

TCX509ExtEntry* TCXExtList::findEntry(const TCXEditsEntry* entry) const {
    if (!entry) return nullptr;
    int nid = entry->getNid();
    if (nid != NID_undef)
        if (TCX509ExtEntry* e = findByNid(nid)) return e;
    return dynamic_cast<TCX509ExtEntry*>(findByName(entry->c_str(), false));
}

TCX509ExtEntry* TCXExtList::findByNid(int nid) const {
    if (nid == NID_undef) return nullptr;
    for (int i = 0; i < count(); ++i)
        if (at(i)->getNid() == nid) return dynamic_cast<TCX509ExtEntry*>(at(i));
    return nullptr;
}

KResult TCXExtList::setValueTo(int nid, bool critical, const char* value) {
    if (nid == NID_undef || !OBJ_nid2obj(nid)) return kErrUnknownObject;
    TCX509ExtEntry* e = findByNid(nid);
    if (!e) {
        e = new TCX509ExtEntry(OBJ_nid2sn(nid));
        e->setNid(nid);
        add(e);
    }
    e->setCritical(critical);
    return e->setValue(value);
}

KResult TCXExtList::merge(const TCXExtList& other, bool replace) {
    for (int i = 0; i < other.count(); ++i) {
        TCXEditsEntry* src = other.at(i);
        TCX509ExtEntry* mine = findEntry(src);
        if (mine) {
            if (!replace) continue;
            int idx = indexOf(mine);
            remove(mine);
            insert(idx, src->clone());
        } else {
            add(src->clone());
        }
    }
    return 0;
}

KResult TCXExtList::fromX509v3(const TX509v3ExtList& exts) {
    for (int i = 0; i < exts.count(); ++i) {
        auto* e = new TCX509ExtEntry();
        if (failed(e->fromExtension(exts.at(i)))) {
            delete e;
            continue;
        }
        if (TCX509ExtEntry* old = findEntry(e)) remove(old);
        add(e);
    }
    return 0;
}

// ---- encoded extensions ----

TX509v3ExtList::TX509v3ExtList() : exts_(sk_X509_EXTENSION_new_null()) {}

TX509v3ExtList::TX509v3ExtList(const STACK_OF(X509_EXTENSION) * exts)
    : exts_(exts ? sk_X509_EXTENSION_deep_copy(exts, X509_EXTENSION_dup, X509_EXTENSION_free)
                 : sk_X509_EXTENSION_new_null()) {
    if (!exts_) exts_ = sk_X509_EXTENSION_new_null();
}

TX509v3ExtList::TX509v3ExtList(const TX509v3ExtList& other) : TX509v3ExtList(other.exts_) {}

TX509v3ExtList& TX509v3ExtList::operator=(const TX509v3ExtList& other) {
    if (this != &other) {
        STACK_OF(X509_EXTENSION)* copy =
            sk_X509_EXTENSION_deep_copy(other.exts_, X509_EXTENSION_dup, X509_EXTENSION_free);
        if (copy) {
            sk_X509_EXTENSION_pop_free(exts_, X509_EXTENSION_free);
            exts_ = copy;
        }
    }
    return *this;
}

TX509v3ExtList::~TX509v3ExtList() { sk_X509_EXTENSION_pop_free(exts_, X509_EXTENSION_free); }

int TX509v3ExtList::count() const { return exts_ ? sk_X509_EXTENSION_num(exts_) : 0; }

X509_EXTENSION* TX509v3ExtList::at(int i) const {
    return i >= 0 && i < count() ? sk_X509_EXTENSION_value(exts_, i) : nullptr;
}

int TX509v3ExtList::indexOf(int nid) const {
    if (nid == NID_undef) return -1;
    return X509v3_get_ext_by_NID(exts_, nid, -1);
}

X509_EXTENSION* TX509v3ExtList::find(int nid) const { return at(indexOf(nid)); }

bool TX509v3ExtList::remove(int nid) {
    bool any = false;
    for (int i; (i = indexOf(nid)) >= 0;) {
        X509_EXTENSION_free(sk_X509_EXTENSION_delete(exts_, i));
        any = true;
    }
    return any;
}

void TX509v3ExtList::clear() {
    while (count() > 0) X509_EXTENSION_free(sk_X509_EXTENSION_pop(exts_));
}

KResult TX509v3ExtList::add(const X509_EXTENSION* ext) {
    if (!ext) return kErrInvalidArg;
    X509_EXTENSION* copy = X509_EXTENSION_dup(ext);
    if (!copy) return kErrCrypto;
    int nid = OBJ_obj2nid(X509_EXTENSION_get_object(copy));
    int idx = nid != NID_undef ? indexOf(nid) : -1;
    if (idx >= 0) {
        X509_EXTENSION* old = sk_X509_EXTENSION_value(exts_, idx);
        sk_X509_EXTENSION_set(exts_, idx, copy);
        X509_EXTENSION_free(old);
    } else if (!sk_X509_EXTENSION_push(exts_, copy)) {
        X509_EXTENSION_free(copy);
        return kErrCrypto;
    }
    return 0;
}

KResult TX509v3ExtList::addExt(int nid, const char* value, X509V3_CTX* ctx, bool critical) {
    zrxRegisterObjects();
    if (nid == NID_undef || !OBJ_nid2obj(nid)) return kErrUnknownObject;
    X509_EXTENSION* ext = nullptr;
    if (ctx && X509V3_EXT_get_nid(nid)) {
        TCString conf = critical ? TCString("critical,") + value : TCString(value ? value : "");
        ext = X509V3_EXT_conf_nid(nullptr, ctx, nid, conf.c_str());
        ERR_clear_error();
        if (!ext) return kErrBadValue;
    } else {
        TCX509ExtEntry e(OBJ_nid2sn(nid), nullptr, critical);
        e.setNid(nid);
        KResult rc = e.setValue(value);
        if (!failed(rc)) rc = e.toExtension(&ext);
        if (failed(rc)) return rc;
    }
    KResult rc = add(ext);
    X509_EXTENSION_free(ext);
    return rc;
}

KResult TX509v3ExtList::mergeExts(const TCXExtList& list) {
    for (int i = 0; i < list.count(); ++i) {
        auto* e = dynamic_cast<const TCX509ExtEntry*>(list.at(i));
        if (!e) continue;
        X509_EXTENSION* ext = nullptr;
        KResult rc = e->toExtension(&ext);
        if (failed(rc)) {
            // an entry without a value is simply not in the request
            if (e->getValue().isEmpty() && e->isSimple()) continue;
            return rc;
        }
        rc = add(ext);
        X509_EXTENSION_free(ext);
        if (failed(rc)) return rc;
    }
    return 0;
}

KResult TX509v3ExtList::mergeExt(const TCXExtList& list, const char* name) {
    auto* e = dynamic_cast<const TCX509ExtEntry*>(list.findByName(name, false));
    if (!e) {
        int nid = zrxNidOf(name);
        e = list.findByNid(nid);
    }
    if (!e) return 0;
    X509_EXTENSION* ext = nullptr;
    KResult rc = e->toExtension(&ext);
    if (failed(rc)) return rc;
    rc = add(ext);
    X509_EXTENSION_free(ext);
    return rc;
}

KResult TX509v3ExtList::delEKUTempFlag() {
    int idx = indexOf(NID_ext_key_usage);
    if (idx < 0) return 0;
    X509_EXTENSION* ext = at(idx);
    auto* eku = static_cast<EXTENDED_KEY_USAGE*>(X509V3_EXT_d2i(ext));
    if (!eku) {
        ERR_clear_error();
        return kErrDerDecode;
    }
    int temp = zrxNid(ZrXObject::TempCertificate);
    bool changed = false;
    for (int k = sk_ASN1_OBJECT_num(eku) - 1; k >= 0; --k)
        if (OBJ_obj2nid(sk_ASN1_OBJECT_value(eku, k)) == temp) {
            ASN1_OBJECT_free(sk_ASN1_OBJECT_delete(eku, k));
            changed = true;
        }
    KResult rc = 0;
    if (changed) {
        if (sk_ASN1_OBJECT_num(eku) == 0) {
            remove(NID_ext_key_usage);
        } else {
            X509_EXTENSION* repl = X509V3_EXT_i2d(NID_ext_key_usage, X509_EXTENSION_get_critical(ext), eku);
            if (repl) {
                rc = add(repl);
                X509_EXTENSION_free(repl);
            } else {
                rc = kErrDerEncode;
            }
        }
    }
    sk_ASN1_OBJECT_pop_free(eku, ASN1_OBJECT_free);
    ERR_clear_error();
    return rc;
}

KResult TX509v3ExtList::setKAExtPars(const X509_ALGOR* params) {
    if (!params) return kErrInvalidArg;
    std::vector<uint8_t> der;
    if (!zrxEncodeDer(params, i2d_X509_ALGOR, der)) return kErrDerEncode;
    X509_EXTENSION* ext = extFromDer(zrxNid(ZrXObject::KAParams), false, der);
    if (!ext) return kErrCrypto;
    KResult rc = add(ext);
    X509_EXTENSION_free(ext);
    return rc;
}

KResult TX509v3ExtList::setRequestKAExtPars(const X509_ALGOR* params) {
    if (!params) return kErrInvalidArg;
    X509_ALGOR* copy = makeKAExtParams(params);
    if (!copy) return KR_E_NOMEMORY;
    const KResult rc = setKAExtPars(copy);
    X509_ALGOR_free(copy);
    return rc;
}

X509_ALGOR* makeKAExtParams(const X509_ALGOR* params) {
    if (!params) return nullptr;
    X509_ALGOR* copy = X509_ALGOR_dup(params);
    if (!copy) return nullptr;
    if (isKDSTU4145_nid(OBJ_obj2nid(copy->algorithm))) {
        ASN1_OBJECT* own = OBJ_dup(OBJ_nid2obj(zrxNid(ZrXObject::KAAlgorithm)));
        if (!own) {
            X509_ALGOR_free(copy);
            return nullptr;
        }
        ASN1_OBJECT_free(copy->algorithm);
        copy->algorithm = own;
    }
    return copy;
}
