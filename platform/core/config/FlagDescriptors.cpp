#include "platform/core/config/FlagDescriptors.h"

#include <memory>

#include "platform/core/config/XmlNode.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/TCStringList.h"

namespace {

std::vector<std::unique_ptr<TCFlagsBoxDescriptor>>& registry() {
    static std::vector<std::unique_ptr<TCFlagsBoxDescriptor>> r;
    return r;
}

bool parseU64(const TCString& text, uint64_t& out) {
    TCString t(text);
    t.trim();
    if (t.isEmpty()) return false;
    int base = 10;
    if (t.startsWithIC("0x")) {
        base = 16;
    } else if (t.at(0) == '$') {
        t = t.sub(1);
        base = 16;
    }
    int64_t v = 0;
    if (!t.asInt64(&v, base)) {
        // Values above INT64_MAX.
        const uint64_t u = t.asUInt64(base, 0);
        if (u == 0) return false;
        out = u;
        return true;
    }
    out = static_cast<uint64_t>(v);
    return true;
}

}  // namespace

const TCFlagsBoxValue* TCFlagsBoxDescriptor::byValue(uint64_t v) const {
    for (const auto& x : values)
        if (x.value == v) return &x;
    return nullptr;
}

const TCFlagsBoxValue* TCFlagsBoxDescriptor::byName(const char* n) const {
    for (const auto& x : values)
        if (x.name.compareIC(n) == 0) return &x;
    for (const auto& x : values)
        if (x.caption.compareIC(n) == 0) return &x;
    return nullptr;
}

int addXMLFBDescriptors(const TCXMLNode* node) {
    if (!node) return 0;
    int taken = 0;
    for (int i = 0; i < node->nodesCount(); ++i) {
        const TCXMLNode* d = node->at(i);
        auto desc = std::make_unique<TCFlagsBoxDescriptor>();
        desc->name = d->str();
        const TCString type = d->getStringAttr("type", "flags");
        if (type.equalsIC("set")) desc->kind = TCFlagsBoxDescriptor::fbSet;
        else if (type.equalsIC("enum")) desc->kind = TCFlagsBoxDescriptor::fbEnum;
        else if (type.equalsIC("flags")) desc->kind = TCFlagsBoxDescriptor::fbFlags;
        else {
            KV_HLogFmtText(KR_E_FORMAT, "Описатель флагов \"%s\": неизвестный тип \"%s\"", d->c_str(), type.c_str());
            continue;
        }
        bool bad = false;
        for (int j = 0; j < d->nodesCount() && !bad; ++j) {
            const TCXMLNode* it = d->at(j);
            TCFlagsBoxValue v;
            v.caption = it->getStringAttr("caption");
            v.name = it->getStringAttr("name", v.caption.c_str());
            if (v.name.isEmpty() || !parseU64(it->getStringAttr("val"), v.value)) bad = true;
            else desc->values.push_back(v);
        }
        if (bad || desc->values.empty()) {
            KV_HLogFmtText(KR_E_FORMAT, "Описатель флагов \"%s\" отклонен", d->c_str());
            continue;
        }
        auto& r = registry();
        bool replaced = false;
        for (auto& e : r)
            if (e->name.compareIC(desc->name) == 0) {
                e = std::move(desc);
                replaced = true;
                break;
            }
        if (!replaced) r.push_back(std::move(desc));
        ++taken;
    }
    return taken;
}

const TCFlagsBoxDescriptor* findFBFields(const char* name) {
    if (!name || !*name) return nullptr;
    for (const auto& e : registry())
        if (e->name.compareIC(name) == 0) return e.get();
    return nullptr;
}

uint64_t fbFlagsByText(const char* descriptor, const char* text, int listType, bool* ok) {
    if (ok) *ok = true;
    const TCFlagsBoxDescriptor* d = findFBFields(descriptor);
    TCString t(text ? text : "");
    t.trim();
    if (t.isEmpty()) return 0;
    uint64_t value = 0;
    TCStringList parts;
    if (listType == FBLT_RADIO) parts.add(t);
    else parts.assignText(t, ',');
    for (int i = 0; i < parts.count(); ++i) {
        TCString p = parts[i];
        p.trim();
        if (p.isEmpty()) continue;
        const TCFlagsBoxValue* v = d ? d->byName(p.c_str()) : nullptr;
        uint64_t n = 0;
        if (v) value |= v->value;
        else if (parseU64(p, n) && (p.isNumber(10) || p.startsWithIC("0x") || p.at(0) == '$')) value |= n;
        else if (ok) *ok = false;
    }
    if (!d && ok) *ok = false;
    return value;
}

TCString fbTextByFlag(const char* descriptor, uint64_t value, int listType) {
    const TCFlagsBoxDescriptor* d = findFBFields(descriptor);
    if (value == 0) {
        const TCFlagsBoxValue* z = d ? d->byValue(0) : nullptr;
        return z ? z->name : TCString();
    }
    TCString out;
    uint64_t rest = value;
    if (d) {
        if (listType == FBLT_RADIO) {
            if (const TCFlagsBoxValue* v = d->byValue(value)) return v->name;
        } else {
            for (const auto& v : d->values)
                if (v.value && (value & v.value) == v.value) {
                    if (!out.isEmpty()) out += ",";
                    out += v.name;
                    rest &= ~v.value;
                }
        }
    }
    if (rest) {
        if (!out.isEmpty()) out += ",";
        out.appendf("0x%llX", static_cast<unsigned long long>(rest));
    }
    return out;
}

void clearFBDescriptors() { registry().clear(); }
