#include "components/CfgFile.h"

#include <atomic>
#include <cstring>
#include <string>

#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/TCString.h"
#include "platform/win/PrivateProfile.h"

namespace {

// The system box without owner, with the caller's caption and the error icon.
void defaultErrorBox(const char* text, const char* caption) {
    SysMessageBox(text ? text : "", caption ? caption : "", MB_ICONERROR | MB_OK);
}

std::atomic<CfgErrorBoxFunc> errorBox{defaultErrorBox};

TCString countKey(const char* name) { return TCString::format("%s_count", name); }
TCString itemKey(const char* name, uint32_t i) { return TCString::format("%s_%02u", name, i); }

}  // namespace

CfgErrorBoxFunc setCfgErrorBoxFunc(CfgErrorBoxFunc fn) { return errorBox.exchange(fn ? fn : defaultErrorBox); }

// ---------------------------------------------------------------- base store

bool TCBaseCFGFile::writeInt(const char*, uint32_t) { return false; }
bool TCBaseCFGFile::readInt(const char*, uint32_t&, uint32_t) { return false; }
bool TCBaseCFGFile::readBinary(const char*, void*, size_t) { return false; }
bool TCBaseCFGFile::writeBinary(const char*, const void*, size_t) { return false; }
bool TCBaseCFGFile::readString(const char*, char*, size_t, const char*) { return false; }
bool TCBaseCFGFile::writeString(const char*, const char*) { return false; }
bool TCBaseCFGFile::exists() { return false; }
bool TCBaseCFGFile::open() { return false; }
void TCBaseCFGFile::close() {}
bool TCBaseCFGFile::setName(const char*) { return true; }
TCString TCBaseCFGFile::getName() { return TCString(); }
bool TCBaseCFGFile::readText(const char*, TCString&) { return false; }
bool TCBaseCFGFile::removeValue(const char*) { return false; }

bool TCBaseCFGFile::readString(const char* key, TCString& text, const char* def) {
    if (readText(key, text)) return true;
    text = def ? def : "";
    return false;
}

bool TCBaseCFGFile::readStringList(const char* name, TCStringList* list) {
    if (!name || !list) return false;
    uint32_t count = 0;
    if (!readInt(countKey(name).c_str(), count, 0)) return false;
    // Items are read whole (any length; an empty item is an item) into a
    // fresh list, so a second read gives no duplicates.
    TCStringList items;
    bool ok = true;
    for (uint32_t i = 0; i < count; ++i) {
        TCString item;
        if (!readText(itemKey(name, i).c_str(), item)) {
            ok = false;
            break;
        }
        items.add(item);
    }
    list->clear();
    for (const auto& item : items) list->add(*item, item->object());
    return ok;
}

bool TCBaseCFGFile::writeStringList(const char* name, TCStringList* list) {
    if (!name || !list) return false;
    const TCString count = countKey(name);
    uint32_t before = 0;
    const bool hadList = readInt(count.c_str(), before, 0);
    const uint32_t n = static_cast<uint32_t>(list->count());
    if (!writeInt(count.c_str(), n)) return false;
    for (uint32_t i = 0; i < n; ++i)
        if (!writeString(itemKey(name, i).c_str(), list->item(static_cast<int>(i)).c_str())) return false;
    // Items of a longer list written before would otherwise stay behind.
    if (hadList)
        for (uint32_t i = n; i < before && removeValue(itemKey(name, i).c_str()); ++i) {}
    return true;
}

// ---------------------------------------------------------------- INI store

TCIniFile::TCIniFile(const char* fileName, const char* sectionName)
    : fileName_(fileName ? fileName : ""), section_(sectionName ? sectionName : "") {}

bool TCIniFile::readText(const char* key, TCString& text) {
    if (fileName_.isEmpty() || !key) return false;
    std::string value;
    if (!zrx::win::profileRead(fileName_.str(), section_.str(), key, value)) return false;
    text = std::move(value);
    return true;
}

bool TCIniFile::removeValue(const char* key) {
    TCString unused;
    if (!readText(key, unused)) return false;
    return change(key, std::nullopt);
}

bool TCIniFile::change(const char* key, std::optional<std::string> value) {
    if (gathering_) {
        pending_.emplace_back(key, std::move(value));
        return true;
    }
    if (!value) return zrx::win::profileDeleteKey(fileName_.str(), section_.str(), key);
    return zrx::win::profileWrite(fileName_.str(), section_.str(), key, *value);
}

void TCIniFile::beginUpdate() {
    pending_.clear();
    gathering_ = true;
}

bool TCIniFile::commitUpdate() {
    gathering_ = false;
    std::vector<zrx::win::ProfileKeyChange> changes;
    changes.swap(pending_);
    if (changes.empty()) return true;
    return !fileName_.isEmpty() && zrx::win::profileWriteKeys(fileName_.str(), section_.str(), changes);
}

void TCIniFile::cancelUpdate() {
    gathering_ = false;
    pending_.clear();
}

bool TCIniFile::writeInt(const char* key, uint32_t value) {
    return writeString(key, TCString::format("%u", value).c_str());
}

bool TCIniFile::readInt(const char* key, uint32_t& value, uint32_t def) {
    if (fileName_.isEmpty() || !key) return false;
    TCString text;
    uint32_t v = 0;
    if (readText(key, text) && !text.trim().isEmpty() && text.asUInt(&v, 10)) {
        value = v;
        return true;
    }
    value = def;
    return false;
}

bool TCIniFile::readBinary(const char* key, void* buffer, size_t size) {
    if (fileName_.isEmpty() || !key || (!buffer && size)) return false;
    if (size) std::memset(buffer, 0, size);
    return zrx::win::profileReadStruct(fileName_.str(), section_.str(), key, buffer, size);
}

bool TCIniFile::writeBinary(const char* key, const void* data, size_t size) {
    if (fileName_.isEmpty() || !key || (!data && size)) return false;
    return change(key, zrx::win::encodeProfileStruct(data, size));
}

bool TCIniFile::readString(const char* key, char* buffer, size_t size, const char* def) {
    if (fileName_.isEmpty() || !key || !buffer || size == 0) return false;
    TCString text;
    if (!readText(key, text)) {
        // As GetPrivateProfileString does: the default without trailing blanks.
        std::string_view d = def ? def : "";
        while (!d.empty() && d.back() == ' ') d.remove_suffix(1);
        text = d;
    }
    zrx_utf8::copyCut(text.view(), buffer, size);
    return buffer[0] != '\0';
}

bool TCIniFile::writeString(const char* key, const char* text) {
    if (fileName_.isEmpty() || !key) return false;
    return change(key, text ? std::optional<std::string>(text) : std::nullopt);
}

bool TCIniFile::exists() {
    return !fileName_.isEmpty() && zrx::win::profileSectionHasKeys(fileName_.str(), section_.str());
}

bool TCIniFile::open() { return true; }

void TCIniFile::close() {}

bool TCIniFile::setName(const char* name) {
    section_ = name ? name : "";
    return true;
}

TCString TCIniFile::getName() { return section_; }

// ---------------------------------------------------------------- registry store

TCRegKey::~TCRegKey() { close(); }

bool TCRegKey::openKey(HKEY root, const char* subKey, uint32_t flags) {
    close();
    root_ = root;
    subKey_ = subKey ? subKey : "";
    flags_ = flags;
    return open();
}

bool TCRegKey::open() {
    close();
    return openRegKey(root_, subKey_.c_str(), &key_, flags_);
}

void TCRegKey::close() {
    if (key_) RegCloseKey(key_);
    key_ = 0;
}

bool TCRegKey::setName(const char* name) { return openKey(root_, name, flags_); }

TCString TCRegKey::getName() { return subKey_; }

bool TCRegKey::exists() { return regKeyExists(root_, subKey_.c_str()); }

bool TCRegKey::writeInt(const char* key, uint32_t value) { return key_ && setRegDWord(key_, key, value); }

bool TCRegKey::readInt(const char* key, uint32_t& value, uint32_t def) {
    return key_ && getRegDWord(key_, key, value, def);
}

bool TCRegKey::readBinary(const char* key, void* buffer, size_t size) {
    return key_ && getRegBinary(key_, key, buffer, size);
}

bool TCRegKey::writeBinary(const char* key, const void* data, size_t size) {
    return key_ && setRegBinary(key_, key, data, size);
}

bool TCRegKey::readString(const char* key, char* buffer, size_t size, const char* def) {
    return key_ && getRegString(key_, key, buffer, size, def);
}

bool TCRegKey::writeString(const char* key, const char* text) { return key_ && setRegString(key_, key, text); }

bool TCRegKey::readText(const char* key, TCString& text) {
    if (!key_ || !key) return false;
    uint32_t type = 0;
    std::string data;
    if (zrx::win::regQueryValue(key_, key, &type, &data) != ERROR_SUCCESS || type != REG_SZ) return false;
    text = zrx::win::regText(data);
    return true;
}

bool TCRegKey::removeValue(const char* key) { return key_ && key && RegDeleteValueA(key_, key) == ERROR_SUCCESS; }

// ---------------------------------------------------------------- registry helpers

bool openRegKey(HKEY root, const char* subKey, HKEY* key, uint32_t flags) {
    if (!key) return false;
    *key = 0;
    const bool readOnly = flags & CFG_REG_READONLY;
    const uint32_t access = readOnly ? KEY_READ : KEY_ALL_ACCESS;
    if (RegOpenKeyExA(root, subKey ? subKey : "", 0, access, key) == ERROR_SUCCESS) return true;
    *key = 0;
    if (readOnly || !(flags & CFG_REG_CREATE)) return false;
    const int32_t rc =
        RegCreateKeyExA(root, subKey ? subKey : "", 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key, nullptr);
    if (rc == ERROR_SUCCESS) return true;
    *key = 0;
    errorBox.load()(zrx::win::regErrorText(rc).c_str(), "Error");
    return false;
}

bool regKeyExists(HKEY root, const char* subKey) {
    HKEY key = 0;
    if (!openRegKey(root, subKey, &key, CFG_REG_READONLY)) return false;
    RegCloseKey(key);
    return true;
}

bool getRegString(HKEY key, const char* valueName, TCString& text, const char* def) {
    uint32_t type = 0;
    std::string data;
    if (key && valueName && zrx::win::regQueryValue(key, valueName, &type, &data) == ERROR_SUCCESS && type == REG_SZ) {
        text = zrx::win::regText(data);
        return true;
    }
    if (def) text = def;
    return false;
}

bool getRegString(HKEY key, const char* valueName, char* buffer, size_t size, const char* def) {
    if (!buffer || size == 0) return false;
    TCString text;
    if (getRegString(key, valueName, text, nullptr) && text.length() < size) {
        zrx_utf8::copyCut(text.view(), buffer, size);
        return true;
    }
    if (def) zrx_utf8::copyCut(def, buffer, size);
    return false;
}

bool getRegBinary(HKEY key, const char* valueName, void* buffer, size_t size) {
    uint32_t type = 0;
    std::string data;
    if (!key || !valueName || zrx::win::regQueryValue(key, valueName, &type, &data) != ERROR_SUCCESS ||
        type != REG_BINARY || data.size() > size || (!buffer && !data.empty()))
        return false;
    if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
    return true;
}

bool getRegDWord(HKEY key, const char* valueName, uint32_t& value, uint32_t def) {
    uint32_t type = 0;
    std::string data;
    if (key && valueName && zrx::win::regQueryValue(key, valueName, &type, &data) == ERROR_SUCCESS &&
        type == REG_DWORD && data.size() == 4) {
        std::memcpy(&value, data.data(), 4);
        return true;
    }
    value = def;
    return false;
}

bool setRegString(HKEY key, const char* valueName, const char* text) {
    if (!key || !valueName || !text) return false;
    return zrx::win::regSetValue(key, valueName, REG_SZ, std::string_view(text, std::strlen(text) + 1)) ==
           ERROR_SUCCESS;
}

bool setRegDWord(HKEY key, const char* valueName, uint32_t value) {
    if (!key || !valueName) return false;
    return zrx::win::regSetValue(key, valueName, REG_DWORD,
                                 std::string_view(reinterpret_cast<const char*>(&value), 4)) == ERROR_SUCCESS;
}

bool setRegBinary(HKEY key, const char* valueName, const void* data, size_t size) {
    if (!key || !valueName || (!data && size)) return false;
    return zrx::win::regSetValue(key, valueName, REG_BINARY,
                                 std::string_view(size ? static_cast<const char*>(data) : "", size)) == ERROR_SUCCESS;
}

bool openRegPathKey(HKEY root, const char* path, TCString& valueName, HKEY* key, uint32_t flags) {
    if (!path || !key) return false;
    const TCString p(path);
    const TCString keyPath = p.beforeLast('.');
    const TCString name = p.afterLast('.');
    if (keyPath.isEmpty() || name.isEmpty()) return false;
    valueName = name;
    return openRegKey(root ? root : HKEY_CURRENT_USER, keyPath.c_str(), key, flags);
}

bool writeRegPathString(const char* path, const char* text, HKEY root) {
    TCString name;
    HKEY key = 0;
    if (!openRegPathKey(root, path, name, &key, CFG_REG_CREATE)) return false;
    const bool ok = setRegString(key, name.c_str(), text);
    RegCloseKey(key);
    return ok;
}

bool readRegPathString(const char* path, char* buffer, size_t size, const char* def, HKEY root) {
    TCString name;
    HKEY key = 0;
    if (!openRegPathKey(root, path, name, &key, CFG_REG_READONLY)) return false;
    const bool ok = getRegString(key, name.c_str(), buffer, size, def);
    RegCloseKey(key);
    return ok;
}

bool readRegPathString(const char* path, TCString& text, const char* def, HKEY root) {
    TCString name;
    HKEY key = 0;
    if (!openRegPathKey(root, path, name, &key, CFG_REG_READONLY)) return false;
    const bool ok = getRegString(key, name.c_str(), text, def);
    RegCloseKey(key);
    return ok;
}
