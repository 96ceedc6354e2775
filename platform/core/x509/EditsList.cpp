#include "platform/core/x509/EditsList.h"

#include <strings.h>

#include <cstring>

#include "platform/runtime/Translation.h"

using namespace zrx::x509;

namespace {
const char* const kTypeNames[] = {"none", "string", "bool", "int",   "date",    "datetime",  "binary", "object",
                                  "enum", "set",    "time", "flags", "binfile", "auxiliary", "simple"};
}

const char* xvtByType(TCEditsEntryType type) {
    int i = static_cast<int>(type);
    return i >= 0 && i <= static_cast<int>(xvtSimple) ? kTypeNames[i] : kTypeNames[0];
}

TCEditsEntryType xvtByName(const char* name) {
    if (!name) return xvtNone;
    TCString n(name);
    n.trim();
    for (int i = 0; i <= static_cast<int>(xvtSimple); ++i)
        if (n.equalsIC(kTypeNames[i])) return static_cast<TCEditsEntryType>(i);
    // the enumeration's own names ("xvtString") are accepted too
    if (n.startsWithIC("xvt")) return xvtByName(n.c_str() + 3);
    return xvtNone;
}

const char* zrxBoolText(bool value) { return value ? "TRUE" : "FALSE"; }

bool zrxBoolFromText(const char* text, bool* value) {
    if (!text) return false;
    TCString t(text);
    t.trim();
    static const char* const yes[] = {"TRUE", "да", "yes", "1", "так"};
    static const char* const no[] = {"FALSE", "нет", "no", "0", "ні"};
    for (const char* y : yes)
        if (t.equalsIC(y)) {
            if (value) *value = true;
            return true;
        }
    for (const char* n : no)
        if (t.equalsIC(n)) {
            if (value) *value = false;
            return true;
        }
    return false;
}

// ---- entry ----

TCXEditsEntry::TCXEditsEntry(const char* name, TCEditsEntryType type, const char* caption, const char* value)
    : TCString(name ? name : ""), caption_(caption ? caption : ""), value_(value ? value : ""), type_(type) {}

TCXEditsEntry::TCXEditsEntry(const TCXEditsEntry& other)
    : TCString(other), caption_(other.caption_), longName_(other.longName_), value_(other.value_),
      inputMask_(other.inputMask_), altList_(other.altList_), type_(other.type_), maxLength_(other.maxLength_),
      canEmpty_(other.canEmpty_), enabled_(other.enabled_), flags_(other.flags_), optionFlags_(other.optionFlags_),
      nid_(other.nid_), items_(other.items_) {
    if (other.sub_) {
        sub_ = std::make_unique<TCXEditsList>(*other.sub_);
        sub_->setOwnerEntry(this);
        for (int i = 0; i < sub_->count(); ++i) sub_->at(i)->setParent(this);
    }
}

TCXEditsEntry::~TCXEditsEntry() = default;

// Captions come from the configuration and the object registry in the
// source language: they are shown translated.
TCString TCXEditsEntry::caption() const {
    if (!caption_.isEmpty()) return zrnTranslateString(caption_.c_str());
    if (!longName_.isEmpty()) return zrnTranslateString(longName_.c_str());
    return TCString(c_str());
}

TCString TCXEditsEntry::longName_nf() const {
    TCString n = longName_.isEmpty() ? caption() : zrnTranslateString(longName_.c_str());
    if (!canEmpty_) n += "*";
    return n;
}

KResult TCXEditsEntry::setValue(const char* value) {
    TCString v(value ? value : "");
    if (type_ == xvtBool && !v.isEmpty()) {
        bool b = false;
        if (!zrxBoolFromText(v.c_str(), &b)) return kErrBadValue;
        v = zrxBoolText(b);
    }
    if (maxLength_ > 0 && v.charCount() > static_cast<size_t>(maxLength_)) return kErrBadValue;
    value_ = v;
    return 0;
}

TCXEditsList* TCXEditsEntry::makeSubEntries() {
    if (!sub_) {
        sub_ = std::make_unique<TCXEditsList>();
        sub_->setOwnerEntry(this);
    }
    return subList();
}

TCXEditsEntry* TCXEditsEntry::addSubEntry(TCXEditsEntry* entry) {
    if (!entry) return nullptr;
    TCXEditsList* list = subList() ? subList() : makeSubEntries();
    list->add(entry);
    entry->setParent(this);
    return entry;
}

TCXEditsEntry* TCXEditsEntry::findByName(const char* name, bool recursive) {
    if (!name) return nullptr;
    if (equalsIC(name)) return this;
    TCXEditsList* list = subList();
    return list ? list->findByName(name, recursive) : nullptr;
}

TCXEditsEntry* TCXEditsEntry::findByPath(const char* path) {
    if (!path || !*path) return this;
    TCXEditsList* list = subList();
    return list ? list->findByPath(path) : nullptr;
}

// ---- list ----

TCXEditsList::TCXEditsList(const TCXEditsList& other) {
    for (const auto& e : other.items_) items_.emplace_back(e->clone());
}

TCXEditsList& TCXEditsList::operator=(const TCXEditsList& other) {
    if (this != &other) {
        std::vector<std::unique_ptr<TCXEditsEntry>> copy;
        for (const auto& e : other.items_) copy.emplace_back(e->clone());
        items_ = std::move(copy);
        for (auto& e : items_) e->setParent(owner_);
    }
    return *this;
}

TCXEditsList::~TCXEditsList() = default;

int TCXEditsList::indexOf(const TCXEditsEntry* e) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == e) return static_cast<int>(i);
    return -1;
}

int TCXEditsList::add(TCXEditsEntry* entry) { return insert(count(), entry); }

int TCXEditsList::insert(int index, TCXEditsEntry* entry) {
    if (!entry) return -1;
    int existing = indexOf(entry);
    if (existing >= 0) return existing;
    if (index < 0 || index > count()) index = count();
    items_.insert(items_.begin() + index, std::unique_ptr<TCXEditsEntry>(entry));
    entry->setParent(owner_);
    return index;
}

bool TCXEditsList::remove(TCXEditsEntry* entry) {
    int i = indexOf(entry);
    if (i < 0) return false;
    items_.erase(items_.begin() + i);
    return true;
}

TCXEditsEntry* TCXEditsList::detach(TCXEditsEntry* entry) {
    int i = indexOf(entry);
    if (i < 0) return nullptr;
    TCXEditsEntry* e = items_[static_cast<size_t>(i)].release();
    items_.erase(items_.begin() + i);
    e->setParent(nullptr);
    return e;
}

void TCXEditsList::clear() { items_.clear(); }

TCXEditsEntry* TCXEditsList::findByName(const char* name, bool recursive) const {
    if (!name) return nullptr;
    for (const auto& e : items_)
        if (e->equalsIC(name)) return e.get();
    if (recursive) {
        for (const auto& e : items_) {
            TCXEditsList* sub = e->getSubEntries();
            if (!sub || sub == this) continue;
            if (TCXEditsEntry* f = sub->findByName(name, true)) return f;
        }
    }
    return nullptr;
}

TCXEditsEntry* TCXEditsList::findByPath(const char* path) const {
    if (!path) return nullptr;
    TCString p(path);
    int sep = p.pos('\\');
    TCString head = sep < 0 ? p : p.sub(0, static_cast<size_t>(sep));
    TCXEditsEntry* e = findByName(head.c_str(), false);
    if (!e || sep < 0) return e;
    return e->findByPath(p.c_str() + sep + 1);
}
