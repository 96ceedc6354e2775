#include "platform/framework/TypInfo.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/framework/Classes.h"

const TEnumInfo BooleanInfo{"Boolean", {"False", "True"}};

String TEnumInfo::NameOf(int64_t value) const {
    if (value >= 0 && value < int64_t(Names.size())) return Names[size_t(value)];
    return std::to_string(value);
}

int TEnumInfo::ValueOf(const String& name) const {
    for (size_t i = 0; i < Names.size(); ++i)
        if (SameText(Names[i], name)) return int(i);
    return -1;
}

bool TClassInfo::InheritsFrom(const TClassInfo* other) const {
    for (const TClassInfo* c = this; c; c = c->FParent)
        if (c == other) return true;
    return false;
}

namespace {
// The name in lower case when it is all ASCII; false for any other.
bool asciiLower(const String& name, String& out) {
    out.resize(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80) return false;
        out[i] = char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    return true;
}
}  // namespace

const TClassInfo::Index& TClassInfo::index() const {
    Index& ix = *FIndex;
    std::call_once(ix.Once, [&] {
        if (FParent) ix.All = FParent->Properties();
        for (const TPropInfo& p : FOwn) {
            bool replaced = false;
            for (auto& q : ix.All)
                if (SameText(q->Name, p.Name)) {
                    q = &p;
                    replaced = true;
                    break;
                }
            if (!replaced) ix.All.push_back(&p);
        }
        String key;
        for (const TPropInfo* p : ix.All) {
            if (asciiLower(p->Name, key)) ix.ByName[key] = p;
            else ix.AllAscii = false;
        }
    });
    return ix;
}

const std::vector<const TPropInfo*>& TClassInfo::Properties() const { return index().All; }

const TPropInfo* TClassInfo::FindProperty(const String& name) const {
    String key;
    if (asciiLower(name, key)) {
        const Index& ix = index();
        auto it = ix.ByName.find(key);
        if (it != ix.ByName.end()) return it->second;
        // Not there: unless a property has a name beyond ASCII, none matches.
        if (ix.AllAscii) return nullptr;
    }
    for (const TClassInfo* c = this; c; c = c->FParent)
        for (const TPropInfo& p : c->FOwn)
            if (SameText(p.Name, name)) return &p;
    return nullptr;
}

std::vector<const TPropInfo*> GetPropList(const TObject* obj, TTypeKinds kinds) {
    std::vector<const TPropInfo*> out;
    if (!obj) return out;
    for (const TPropInfo* p : obj->ClassType().Properties())
        if (kinds & kindBit(p->Kind)) out.push_back(p);
    return out;
}

const TPropInfo* GetPropInfo(const TObject* obj, const String& name) {
    return obj ? obj->ClassType().FindProperty(name) : nullptr;
}

static const TPropInfo& need(const TObject* obj, const String& name) {
    const TPropInfo* p = GetPropInfo(obj, name);
    if (!p) throw EPropertyError("Unknown property: " + name);
    return *p;
}

TTypeKind PropType(const TObject* obj, const String& name) { return need(obj, name).Kind; }

static void needWritable(const TPropInfo& p, bool ok) {
    if (!ok) throw EPropertyError("Property " + p.Name + " cannot be set this way");
}

int64_t GetOrdProp(TObject* obj, const String& name) {
    const TPropInfo& p = need(obj, name);
    if (!p.GetOrd) throw EPropertyError("Property " + name + " is not ordinal");
    return p.GetOrd(obj);
}
void SetOrdProp(TObject* obj, const String& name, int64_t value) {
    const TPropInfo& p = need(obj, name);
    needWritable(p, bool(p.SetOrd));
    p.SetOrd(obj, value);
}
int64_t GetInt64Prop(TObject* obj, const String& name) { return GetOrdProp(obj, name); }
void SetInt64Prop(TObject* obj, const String& name, int64_t v) { SetOrdProp(obj, name, v); }

String GetStrProp(TObject* obj, const String& name) {
    const TPropInfo& p = need(obj, name);
    if (!p.GetStr) throw EPropertyError("Property " + name + " is not a string");
    return p.GetStr(obj);
}
void SetStrProp(TObject* obj, const String& name, const String& value) {
    const TPropInfo& p = need(obj, name);
    needWritable(p, bool(p.SetStr));
    p.SetStr(obj, value);
}
double GetFloatProp(TObject* obj, const String& name) {
    const TPropInfo& p = need(obj, name);
    if (!p.GetFloat) throw EPropertyError("Property " + name + " is not a number");
    return p.GetFloat(obj);
}
void SetFloatProp(TObject* obj, const String& name, double value) {
    const TPropInfo& p = need(obj, name);
    needWritable(p, bool(p.SetFloat));
    p.SetFloat(obj, value);
}
TObject* GetObjectProp(TObject* obj, const String& name) {
    const TPropInfo& p = need(obj, name);
    if (!p.GetObj) throw EPropertyError("Property " + name + " is not an object");
    return p.GetObj(obj);
}
void SetObjectProp(TObject* obj, const String& name, TObject* value) {
    const TPropInfo& p = need(obj, name);
    needWritable(p, bool(p.SetObj));
    if (value && p.PropClass && !value->ClassType().InheritsFrom(p.PropClass))
        throw EPropertyError("Invalid class for property " + name);
    p.SetObj(obj, value);
}

static String setToText(const TEnumInfo* e, int64_t bits) {
    String out;
    for (int i = 0; i < 64; ++i) {
        if (!(uint64_t(bits) & (uint64_t(1) << i))) continue;
        if (!out.empty()) out += ',';
        out += e ? e->NameOf(i) : std::to_string(i);
    }
    return out;
}

static int64_t textToSet(const TPropInfo& p, const String& text) {
    String t = Trim(text);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') t = t.substr(1, t.size() - 2);
    int64_t bits = 0;
    size_t start = 0;
    while (start <= t.size()) {
        size_t comma = t.find(',', start);
        String item = Trim(t.substr(start, comma == String::npos ? String::npos : comma - start));
        if (!item.empty()) {
            int v = p.Enum ? p.Enum->ValueOf(item) : -1;
            if (v < 0) throw EPropertyError("Invalid set element '" + item + "' for " + p.Name);
            bits |= int64_t(1) << v;
        }
        if (comma == String::npos) break;
        start = comma + 1;
    }
    return bits;
}

String GetEnumProp(TObject* obj, const String& name) {
    const TPropInfo& p = need(obj, name);
    if (p.Kind != tkEnumeration) throw EPropertyError("Property " + name + " is not an enumeration");
    return p.Enum->NameOf(p.GetOrd(obj));
}
void SetEnumProp(TObject* obj, const String& name, const String& value) { SetPropValue(obj, need(obj, name), value); }
String GetSetProp(TObject* obj, const String& name) {
    const TPropInfo& p = need(obj, name);
    if (p.Kind != tkSet) throw EPropertyError("Property " + name + " is not a set");
    return setToText(p.Enum, p.GetOrd(obj));
}
void SetSetProp(TObject* obj, const String& name, const String& value) { SetPropValue(obj, need(obj, name), value); }

String GetPropValue(TObject* obj, const String& name) { return GetPropValue(obj, need(obj, name)); }
void SetPropValue(TObject* obj, const String& name, const String& value) { SetPropValue(obj, need(obj, name), value); }

String GetPropValue(TObject* obj, const TPropInfo& p) {
    switch (p.Kind) {
    case tkEnumeration: return p.Enum->NameOf(p.GetOrd(obj));
    case tkSet: return setToText(p.Enum, p.GetOrd(obj));
    case tkChar:
    case tkWChar:
    case tkInteger:
    case tkInt64: return std::to_string(p.GetOrd(obj));
    case tkFloat: {
        char buf[64];
        snprintf(buf, sizeof buf, "%.17g", p.GetFloat(obj));
        return buf;
    }
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: return p.GetStr(obj);
    case tkClass: {
        TObject* o = p.GetObj(obj);
        if (auto* s = dynamic_cast<TStrings*>(o)) return s->Text();
        if (auto* c = dynamic_cast<TComponent*>(o)) return c->Name();
        return String();
    }
    default: throw EPropertyError("Property " + p.Name + " has no text form");
    }
}

static int64_t parseInt(const TPropInfo& p, const String& text) {
    String t = Trim(text);
    if (t.empty()) throw EPropertyError("Invalid number for " + p.Name);
    const char* b = t.c_str();
    char* e = nullptr;
    errno = 0;
    long long v;
    if (t[0] == '$') v = strtoll(b + 1, &e, 16);
    else if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) v = strtoll(b + 2, &e, 16);
    else v = strtoll(b, &e, 10);
    if (errno || !e || *e) {
        // Large unsigned 64-bit texts.
        errno = 0;
        unsigned long long u = strtoull(b, &e, 10);
        if (errno || !e || *e) throw EPropertyError("Invalid number '" + t + "' for " + p.Name);
        v = (long long)u;
    }
    return v;
}

void SetPropValue(TObject* obj, const TPropInfo& p, const String& value) {
    switch (p.Kind) {
    case tkEnumeration: {
        needWritable(p, bool(p.SetOrd));
        int v = p.Enum->ValueOf(Trim(value));
        if (v < 0) throw EPropertyError("Invalid value '" + value + "' for " + p.Name);
        p.SetOrd(obj, v);
        return;
    }
    case tkSet:
        needWritable(p, bool(p.SetOrd));
        p.SetOrd(obj, textToSet(p, value));
        return;
    case tkChar:
    case tkWChar:
    case tkInteger:
    case tkInt64:
        needWritable(p, bool(p.SetOrd));
        p.SetOrd(obj, parseInt(p, value));
        return;
    case tkFloat: {
        needWritable(p, bool(p.SetFloat));
        char* e = nullptr;
        String t = Trim(value);
        double d = strtod(t.c_str(), &e);
        if (t.empty() || !e || *e) throw EPropertyError("Invalid number '" + value + "' for " + p.Name);
        p.SetFloat(obj, d);
        return;
    }
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
        needWritable(p, bool(p.SetStr));
        p.SetStr(obj, value);
        return;
    case tkClass:
        if (auto* s = dynamic_cast<TStrings*>(p.GetObj(obj))) {
            s->SetText(value);
            return;
        }
        [[fallthrough]];
    default: throw EPropertyError("Property " + p.Name + " cannot be set from text");
    }
}
