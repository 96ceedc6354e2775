#include "platform/core/x509/XObjects.h"

#include <openssl/objects.h>

#include <map>
#include <mutex>
#include <vector>

#include "platform/runtime/TCStringList.h"

namespace {

struct Info {
    TCEditsEntryType type;
    bool critical;
};

std::mutex& mtx() {
    static std::mutex m;
    return m;
}

std::map<int, Info>& infos() {
    static std::map<int, Info> m;
    return m;
}

std::vector<TCString>& formats() {
    static std::vector<TCString> f;
    return f;
}

bool isDottedOid(const char* oid) {
    if (!oid || !*oid) return false;
    int arcs = 0;
    bool digit = false;
    for (const char* p = oid; *p; ++p) {
        if (*p >= '0' && *p <= '9') {
            digit = true;
        } else if (*p == '.') {
            if (!digit) return false;
            digit = false;
            ++arcs;
        } else {
            return false;
        }
    }
    return digit && arcs >= 1;
}

}  // namespace

int ZrXRegisterObject(TZrXObjectRecord* r) {
    if (!r || !r->shortName || !*r->shortName || !r->longName || !*r->longName || !isDottedOid(r->oid)) return 0;
    std::lock_guard<std::mutex> g(mtx());
    ASN1_OBJECT* obj = OBJ_txt2obj(r->oid, 1);
    if (!obj) return 0;
    int nid = OBJ_obj2nid(obj);
    ASN1_OBJECT_free(obj);
    const int bySn = OBJ_sn2nid(r->shortName);
    const int byLn = OBJ_ln2nid(r->longName);
    if (nid != NID_undef) {
        // Known identifier: its short name must agree.
        if (bySn != nid) return 0;
    } else {
        if (bySn != NID_undef || byLn != NID_undef) return 0;
        nid = OBJ_create(r->oid, r->shortName, r->longName);
        if (nid == NID_undef) return 0;
    }
    infos()[nid] = Info{r->valueType, r->critical};
    r->registered = nid;
    return nid;
}

bool getXObjectInfo(int nid, TCEditsEntryType* type, bool* critical) {
    std::lock_guard<std::mutex> g(mtx());
    auto it = infos().find(nid);
    if (it == infos().end()) return false;
    if (type) *type = it->second.type;
    if (critical) *critical = it->second.critical;
    return true;
}

TCString extensionFormatName(const char* format) {
    TCString f(format ? format : "");
    f.trim();
    if (f.at(0) == '!') f = f.sub(1);
    size_t end = f.length();
    for (char stop : {'?', '|', ':'}) {
        const int p = f.pos(stop);
        if (p >= 0 && static_cast<size_t>(p) < end) end = static_cast<size_t>(p);
    }
    TCString n = f.sub(0, end);
    n.trim();
    return n;
}

bool registerExtensionFormat(const char* text) {
    TCString t(text ? text : "");
    t.substChar('\n', ';');
    t.substChar('\r', ';');
    TCStringList parts;
    parts.assignText(t, ';');
    bool ok = true;
    std::lock_guard<std::mutex> g(mtx());
    for (int i = 0; i < parts.count(); ++i) {
        TCString f = parts[i];
        f.trim();
        if (f.isEmpty()) continue;
        const TCString name = extensionFormatName(f.c_str());
        if (name.isEmpty()) {
            ok = false;
            continue;
        }
        bool replaced = false;
        for (auto& x : formats())
            if (extensionFormatName(x.c_str()).compare(name) == 0) {
                x = f;
                replaced = true;
            }
        if (!replaced) formats().push_back(f);
    }
    return ok;
}

int extensionFormatCount() {
    std::lock_guard<std::mutex> g(mtx());
    return static_cast<int>(formats().size());
}

TCString extensionFormatAt(int i) {
    std::lock_guard<std::mutex> g(mtx());
    return i >= 0 && static_cast<size_t>(i) < formats().size() ? formats()[static_cast<size_t>(i)] : TCString();
}

TCString findExtensionFormat(const char* shortName) {
    std::lock_guard<std::mutex> g(mtx());
    for (const auto& x : formats())
        if (extensionFormatName(x.c_str()).compare(shortName ? shortName : "") == 0) return x;
    return TCString();
}

void clearExtensionFormats() {
    std::lock_guard<std::mutex> g(mtx());
    formats().clear();
}
