#include "platform/core/x509/NameList.h"

#include <openssl/objects.h>

#include <vector>

#include "platform/core/x509/ObjectRegistry.h"

using namespace zrx::x509;

TCXEditsEntry* TCX509NameList::addAttribute(const char* name, const char* value, bool canEmpty, int maxLength) {
    int nid = zrxNidOf(name);
    auto* e = new TCXEditsEntry(name, xvtString);
    e->setNid(nid);
    if (nid != NID_undef) e->setLongName(zrxObjectCaption(nid).c_str());
    e->setCanEmpty(canEmpty);
    e->setMaxLength(maxLength);
    e->setValue(value);
    add(e);
    return e;
}

KResult TCX509NameList::setValueOf(const char* name, const char* value) {
    TCXEditsEntry* e = findByName(name, true);
    if (!e) return kErrNotFound;
    return e->setValue(value);
}

// The attribute fields in list order, compound entries contributing their
// sub-entries; the depth bound stops lists that contain themselves.
static void collectFields(const TCXEditsList& list, std::vector<TCXEditsEntry*>& out, int depth = 0) {
    if (depth > 16) return;
    for (int i = 0; i < list.count(); ++i) {
        TCXEditsEntry* e = list.at(i);
        if (e->isSimple()) out.push_back(e);
        else collectFields(*e->getSubEntries(), out, depth + 1);
    }
}

static int fieldNid(const TCXEditsEntry* e) { return e->getNid() ? e->getNid() : zrxNidOf(e->c_str()); }

KResult TCX509NameList::toX509Name(TZrX509Name& out) const {
    std::vector<TCXEditsEntry*> fields;
    collectFields(*this, fields);
    TZrX509Name name;
    for (TCXEditsEntry* e : fields) {
        TCString v = e->getValue();
        v.trim();
        if (v.isEmpty() || e->getValueType() == xvtNone) continue;
        KResult rc = name.addEntryByNid(fieldNid(e), v.c_str());
        if (failed(rc)) return rc;
    }
    out = name;
    return 0;
}

KResult TCX509NameList::fromX509Name(const TZrX509Name& name) {
    // Each field takes one value, so a repeated attribute (two OU) fills the
    // next field of its kind or a new one instead of overwriting the first.
    std::vector<TCXEditsEntry*> fields;
    collectFields(*this, fields);
    std::vector<bool> used(fields.size(), false);
    for (int i = 0; i < name.count(); ++i) {
        int nid = name.entryNid(i);
        TCXEditsEntry* target = nullptr;
        for (size_t k = 0; k < fields.size() && !target && nid != NID_undef; ++k)
            if (!used[k] && fieldNid(fields[k]) == nid) {
                target = fields[k];
                used[k] = true;
            }
        if (!target) target = addAttribute(name.entryShortName(i).c_str());
        if (failed(target->setValue(name.entryValue(i).c_str()))) {
            // a value longer than the field allows is kept whole rather than cut
            int keep = target->getMaxLength();
            target->setMaxLength(0);
            target->setValue(name.entryValue(i).c_str());
            target->setMaxLength(keep);
        }
    }
    return 0;
}
