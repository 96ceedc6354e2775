#include "platform/core/NameList.h"

#include <openssl/objects.h>

#include "platform/core/ObjectRegistry.h"

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

static KResult addEntries(const TCXEditsList& list, TZrX509Name& out) {
    for (int i = 0; i < list.count(); ++i) {
        TCXEditsEntry* e = list.at(i);
        if (!e->isSimple()) {
            KResult rc = addEntries(*e->getSubEntries(), out);
            if (failed(rc)) return rc;
            continue;
        }
        TCString v = e->getValue();
        v.trim();
        if (v.isEmpty() || e->getValueType() == xvtNone) continue;
        int nid = e->getNid() ? e->getNid() : zrxNidOf(e->c_str());
        KResult rc = out.addEntryByNid(nid, v.c_str());
        if (failed(rc)) return rc;
    }
    return 0;
}

KResult TCX509NameList::toX509Name(TZrX509Name& out) const {
    TZrX509Name name;
    KResult rc = addEntries(*this, name);
    if (failed(rc)) return rc;
    out = name;
    return 0;
}

KResult TCX509NameList::fromX509Name(const TZrX509Name& name) {
    for (int i = 0; i < name.count(); ++i) {
        int nid = name.entryNid(i);
        TCXEditsEntry* target = nullptr;
        for (int k = 0; k < count() && !target; ++k) {
            TCXEditsEntry* e = at(k);
            int enid = e->getNid() ? e->getNid() : zrxNidOf(e->c_str());
            if (enid == nid && e->isSimple()) target = e;
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
