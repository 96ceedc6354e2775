#include "platform/core/x509/ZrX509Name.h"

#include <openssl/err.h>
#include <openssl/objects.h>

#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/x509/X509Util.h"

using namespace zrx::x509;

TZrX509Name::TZrX509Name() : name_(X509_NAME_new()) {}

TZrX509Name::TZrX509Name(const X509_NAME* name) : name_(name ? X509_NAME_dup(name) : X509_NAME_new()) {
    if (!name_) name_ = X509_NAME_new();
}

TZrX509Name::TZrX509Name(const TZrX509Name& other) : TZrX509Name(other.name_) {}

TZrX509Name& TZrX509Name::operator=(const TZrX509Name& other) {
    if (this != &other) assign(other.name_);
    return *this;
}

TZrX509Name::~TZrX509Name() { X509_NAME_free(name_); }

void TZrX509Name::assign(const X509_NAME* name) {
    X509_NAME* copy = name ? X509_NAME_dup(name) : X509_NAME_new();
    if (!copy) return;
    X509_NAME_free(name_);
    name_ = copy;
}

int TZrX509Name::count() const { return name_ ? X509_NAME_entry_count(name_) : 0; }

int TZrX509Name::entryNid(int index) const {
    const X509_NAME_ENTRY* e = name_ ? X509_NAME_get_entry(name_, index) : nullptr;
    return e ? OBJ_obj2nid(X509_NAME_ENTRY_get_object(e)) : NID_undef;
}

TCString TZrX509Name::entryShortName(int index) const {
    const X509_NAME_ENTRY* e = name_ ? X509_NAME_get_entry(name_, index) : nullptr;
    return e ? zrxObjText(X509_NAME_ENTRY_get_object(e)) : TCString();
}

TCString TZrX509Name::entryValue(int index) const {
    const X509_NAME_ENTRY* e = name_ ? X509_NAME_get_entry(name_, index) : nullptr;
    return e ? zrxAsn1ToUtf8(X509_NAME_ENTRY_get_data(e)) : TCString();
}

TCString TZrX509Name::getEntryByNid(int nid) const {
    if (!name_ || nid == NID_undef) return TCString();
    int i = X509_NAME_get_index_by_NID(name_, nid, -1);
    return i >= 0 ? entryValue(i) : TCString();
}

TCString TZrX509Name::getEntryByName(const char* name) const { return getEntryByNid(zrxNidOf(name)); }

KResult TZrX509Name::addEntryByNid(int nid, const char* value) {
    if (nid == NID_undef) return kErrUnknownObject;
    if (!value) value = "";
    if (!X509_NAME_add_entry_by_NID(name_, nid, MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(value), -1, -1,
                                    0)) {
        ERR_clear_error();
        return kErrBadValue;
    }
    return 0;
}

KResult TZrX509Name::addEntry(const char* nameOrOid, const char* value) {
    return addEntryByNid(zrxNidOf(nameOrOid), value);
}

TCString TZrX509Name::text() const {
    if (!name_) return TCString();
    return zrxBioText([this](BIO* bio) {
        // readable text: no RFC 2253 escaping, UTF-8 as it is
        const unsigned long flags =
            XN_FLAG_SEP_CPLUS_SPC | XN_FLAG_DN_REV | XN_FLAG_FN_SN | ASN1_STRFLGS_UTF8_CONVERT | ASN1_STRFLGS_ESC_CTRL;
        int r = X509_NAME_print_ex(bio, name_, 0, flags);
        return r >= 0 ? 1 : 0;
    });
}

TCString TZrX509Name::ownerName() const {
    TCString cn = getEntryByNid(NID_commonName);
    if (!cn.isEmpty()) return cn;
    TCString o = getEntryByNid(NID_organizationName);
    if (!o.isEmpty()) return o;
    return text();
}

bool operator==(const TZrX509Name& a, const TZrX509Name& b) {
    if (!a.name_ || !b.name_) return a.name_ == b.name_;
    return X509_NAME_cmp(a.name_, b.name_) == 0;
}

TCString zrxVisibleText(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        if (c == '\0') out += "\\00";
        else out += c;
    }
    return TCString(std::move(out));
}
