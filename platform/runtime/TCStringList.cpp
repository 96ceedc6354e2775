#include "platform/runtime/TCStringList.h"

#include <algorithm>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/IniText.h"

TCStringList::TCStringList(const TCStringList& other) { *this = other; }

TCStringList& TCStringList::operator=(const TCStringList& other) {
    if (this == &other) return *this;
    items_.clear();
    items_.reserve(other.items_.size());
    for (const auto& p : other.items_) items_.push_back(std::make_unique<TCString>(*p));
    return *this;
}

namespace {
TCString& emptyItem() {
    static thread_local TCString e;
    e.clear();
    e.setObject(uintptr_t(0));
    return e;
}
}  // namespace

TCString& TCStringList::item(int i) { return valid(i) ? *items_[static_cast<size_t>(i)] : emptyItem(); }
const TCString& TCStringList::item(int i) const { return valid(i) ? *items_[static_cast<size_t>(i)] : emptyItem(); }

int TCStringList::add(const TCString& text, uintptr_t object) {
    auto p = std::make_unique<TCString>(text);
    p->setObject(object);
    items_.push_back(std::move(p));
    return count() - 1;
}

int TCStringList::addItem(TCString* item) {
    if (!item) return -1;
    items_.emplace_back(item);
    return count() - 1;
}

int TCStringList::atInsert(int i, const TCString& text, uintptr_t object) {
    auto* p = new TCString(text);
    p->setObject(object);
    return atInsertItem(i, p);
}

int TCStringList::atInsertItem(int i, TCString* item) {
    if (!item) return -1;
    i = std::clamp(i, 0, count());
    items_.insert(items_.begin() + i, std::unique_ptr<TCString>(item));
    return i;
}

void TCStringList::remove(int i) {
    if (valid(i)) items_.erase(items_.begin() + i);
}

TCString* TCStringList::detach(int i) {
    if (!valid(i)) return nullptr;
    TCString* p = items_[static_cast<size_t>(i)].release();
    items_.erase(items_.begin() + i);
    return p;
}

int TCStringList::find(const char* text, bool ignoreCase) const {
    if (!text) text = "";
    for (size_t i = 0; i < items_.size(); ++i) {
        if (ignoreCase ? items_[i]->compareIC(text) == 0 : items_[i]->compare(text) == 0) return static_cast<int>(i);
    }
    return -1;
}

int TCStringList::findObject(uintptr_t object) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->object() == object) return static_cast<int>(i);
    return -1;
}

void TCStringList::assignText(const char* text, char sep) {
    items_.clear();
    if (!text || !*text) return;
    std::string_view t(text);
    size_t b = 0;
    while (b <= t.size()) {
        size_t e = t.find(sep, b);
        const bool last = e == std::string_view::npos;
        if (last) e = t.size();
        std::string_view part = t.substr(b, e - b);
        if (sep == '\n' && !part.empty() && part.back() == '\r') part.remove_suffix(1);
        if (last && part.empty() && b > 0) break;  // trailing separator
        add(TCString(part));
        if (last) break;
        b = e + 1;
    }
}

TCString TCStringList::text(char sep) const {
    const char s[2] = {sep, 0};
    return text(s);
}

TCString TCStringList::text(const char* sep) const {
    std::string r;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (i) r += sep ? sep : "";
        r += items_[i]->str();
    }
    return TCString(std::move(r));
}

bool TCStringList::loadFromFile(const char* path) {
    if (!path || !*path) return false;
    std::string data;
    if (readBuff(path, data) != 0) return false;
    if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) data.erase(0, 3);
    assignText(data.c_str(), '\n');
    return true;
}

int TCStringList::saveToFile(const char* path) const {
    if (!path || !*path) return 0;
    std::string data;
    for (const auto& p : items_) {
        data += p->str();
        data += '\n';
    }
    // writeBuff replaces the file whole, through a temporary file.
    return writeBuff(path, data.data(), data.size()) == 0 ? count() : 0;
}

void TCStringList::sort(bool ignoreCase) {
    std::stable_sort(items_.begin(), items_.end(), [ignoreCase](const auto& a, const auto& b) {
        return ignoreCase ? a->compareIC(*b) < 0 : a->compare(*b) < 0;
    });
}

// --- sorted list

size_t TCSortedStringList::lowerBound(const char* text) const {
    return static_cast<size_t>(std::lower_bound(items_.begin(), items_.end(), text,
                                                [](const auto& a, const char* t) { return a->compareIC(t) < 0; }) -
                               items_.begin());
}

int TCSortedStringList::add(const TCString& text, uintptr_t object) {
    auto* p = new TCString(text);
    p->setObject(object);
    return addItem(p);
}

int TCSortedStringList::addItem(TCString* item) {
    if (!item) return -1;
    if (!allowDuplicates) {
        const int f = find(item->c_str(), true);
        if (f >= 0) {
            delete item;
            return f;
        }
    }
    // After the equal ones, so that equal texts keep their adding order.
    auto it = std::upper_bound(items_.begin(), items_.end(), item,
                               [](const TCString* t, const auto& a) { return t->compareIC(*a) < 0; });
    const auto i = it - items_.begin();
    items_.insert(it, std::unique_ptr<TCString>(item));
    return static_cast<int>(i);
}

int TCSortedStringList::find(const char* text, bool ignoreCase) const {
    if (!text) text = "";
    for (size_t i = lowerBound(text); i < items_.size() && items_[i]->compareIC(text) == 0; ++i) {
        if (ignoreCase || items_[i]->compare(text) == 0) return static_cast<int>(i);
    }
    return -1;
}

// --- name=value list

int TCRefStringList::findKey(const char* key) const {
    if (!key) return -1;
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->name().compareIC(key) == 0) return static_cast<int>(i);
    return -1;
}

namespace {
// The value of a "name=value" item: trimmed, and a quoted value unquoted
// with its inside kept as it is.
TCString itemValue(const TCString& line) {
    const TCString v = line.value();
    return TCString(zrx::ini::unquote(v.str()));
}
}  // namespace

TCString TCRefStringList::getString(const char* key, const char* def) const {
    const int i = findKey(key);
    return i < 0 ? TCString(def) : itemValue(*items_[static_cast<size_t>(i)]);
}

int32_t TCRefStringList::getInt(const char* key, int32_t def) const {
    const int i = findKey(key);
    if (i < 0) return def;
    return itemValue(*items_[static_cast<size_t>(i)]).asInt(0, def);
}

uint32_t TCRefStringList::getUInt(const char* key, uint32_t def) const {
    const int i = findKey(key);
    if (i < 0) return def;
    return itemValue(*items_[static_cast<size_t>(i)]).asUInt(0, def);
}

bool TCRefStringList::getBool(const char* key, bool def) const {
    const int i = findKey(key);
    if (i < 0) return def;
    const TCString v = itemValue(*items_[static_cast<size_t>(i)]);
    for (const char* t : {"1", "true", "yes", "on", "да", "так"})
        if (v.compareIC(t) == 0) return true;
    for (const char* f : {"0", "false", "no", "off", "нет", "ні"})
        if (v.compareIC(f) == 0) return false;
    return def;
}

void TCRefStringList::setString(const char* key, const char* value) {
    TCString line = TCString::format("%s=%s", key ? key : "", value ? value : "");
    const int i = findKey(key);
    if (i >= 0) {
        const uintptr_t o = items_[static_cast<size_t>(i)]->object();
        *items_[static_cast<size_t>(i)] = line;
        items_[static_cast<size_t>(i)]->setObject(o);
    } else {
        add(line);
    }
}

// --- INI sections

bool TCSIniFile::loadSection(const char* section, TCRefStringList& out) const {
    out.clear();
    if (!section) section = "";
    // The empty name is the part before the first section header.
    bool in = *section == 0, found = in;
    for (const auto& p : items_) {
        const zrx::ini::Line line = zrx::ini::parseLine(p->str());
        if (line.kind == zrx::ini::LineKind::Header) {
            in = zrx_utf8::compareIC(line.name, section) == 0;
            found = found || in;
            continue;
        }
        // Comments, blanks and key lines without '=' or without a name are skipped.
        if (!in || line.kind != zrx::ini::LineKind::Key || !line.hasEquals || line.name.empty()) continue;
        // Quotes stay: the list's readers unquote (a quoted value may keep
        // its inner blanks).
        std::string item(line.name);
        item += '=';
        item += line.value;
        out.add(TCString(std::move(item)));
    }
    return found;
}

bool TCSIniFile::loadSection(const char* file, const char* section, TCRefStringList& out) {
    TCSIniFile ini;
    if (!ini.loadFromFile(file)) {
        out.clear();
        return false;
    }
    return ini.loadSection(section, out);
}

void TCSIniFile::sectionNames(TCStringList& out) const {
    out.clear();
    for (const auto& p : items_) {
        const zrx::ini::Line line = zrx::ini::parseLine(p->str());
        if (line.kind == zrx::ini::LineKind::Header) out.add(TCString(line.name));
    }
}
