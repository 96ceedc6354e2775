#include "platform/framework/TRegistry.h"

#include <cstring>

using namespace zrx::win;

namespace {

TRegDataType dataTypeOf(uint32_t type) {
    switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
    }
}

[[noreturn]] void readError(const std::string& name) {
    throw ERegistryException("Invalid data type for '" + name + "'");
}

}  // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(uint32_t AAccess) : FAccess(AAccess) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY Value) {
    if (Value == FRootKey) return;
    CloseKey();
    FRootKey = Value;
}

void TRegistry::CloseKey() {
    if (FCurrentKey) RegCloseKey(FCurrentKey);
    FCurrentKey = 0;
    FCurrentPath.clear();
}

HKEY TRegistry::baseKey(const std::string& Key, std::string& relative) const {
    if (!Key.empty() && Key[0] == '\\') {
        relative = Key.substr(1);
        return FRootKey;
    }
    relative = Key;
    return currentOrRoot();
}

void TRegistry::changeKey(HKEY Value, const std::string& Path) {
    const bool absolute = !Path.empty() && Path[0] == '\\';
    std::string path = absolute || !FCurrentKey ? (absolute ? Path.substr(1) : Path)
                                                : (FCurrentPath.empty() ? Path : FCurrentPath + "\\" + Path);
    if (FCurrentKey) RegCloseKey(FCurrentKey);
    FCurrentKey = Value;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    FCurrentPath = path;
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
    std::string relative;
    const HKEY base = baseKey(Key, relative);
    HKEY key = 0;
    int32_t rc;
    if (CanCreate)
        rc = RegCreateKeyExA(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr, &key,
                             nullptr);
    else rc = RegOpenKeyExA(base, relative.c_str(), 0, FAccess, &key);
    if (rc != ERROR_SUCCESS) return false;
    changeKey(key, Key);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key) {
    std::string relative;
    const HKEY base = baseKey(Key, relative);
    HKEY key = 0;
    if (RegOpenKeyExA(base, relative.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    changeKey(key, Key);
    return true;
}

bool TRegistry::CreateKey(const std::string& Key) {
    std::string relative;
    const HKEY base = baseKey(Key, relative);
    HKEY key = 0;
    if (RegCreateKeyExA(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw ERegistryException("Failed to create key " + Key);
    RegCloseKey(key);
    return true;
}

bool TRegistry::DeleteKey(const std::string& Key) {
    std::string relative;
    const HKEY base = baseKey(Key, relative);
    size_t start = 0;
    while (start < relative.size() && relative[start] == '\\') ++start;
    if (start == relative.size()) return false;  // never the current key or the root itself
    return RegDeleteTreeA(base, relative.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::string& Key) {
    std::string relative;
    const HKEY base = baseKey(Key, relative);
    HKEY key = 0;
    if (RegOpenKeyExA(base, relative.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool TRegistry::HasSubKeys() {
    TRegKeyInfo info;
    return GetKeyInfo(info) && info.NumSubKeys > 0;
}

void TRegistry::GetKeyNames(std::vector<std::string>& Strings) {
    Strings.clear();
    regKeyNames(currentOrRoot(), Strings);
}

void TRegistry::GetValueNames(std::vector<std::string>& Strings) {
    Strings.clear();
    regValueNames(currentOrRoot(), Strings);
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& Value) {
    Value = TRegKeyInfo{};
    RegKeyInfo info;
    if (regKeyInfo(currentOrRoot(), info) != ERROR_SUCCESS) return false;
    Value.NumSubKeys = static_cast<int>(info.subKeys);
    Value.MaxSubKeyLen = static_cast<int>(info.maxSubKeyLen);
    Value.NumValues = static_cast<int>(info.values);
    Value.MaxValueLen = static_cast<int>(info.maxValueNameLen);
    Value.MaxDataLen = static_cast<int>(info.maxValueLen);
    Value.FileTime = info.lastWriteTime;
    return true;
}

bool TRegistry::GetDataInfo(const std::string& ValueName, TRegDataInfo& Value) {
    Value = TRegDataInfo{};
    uint32_t type = 0;
    std::string data;
    if (regQueryValue(currentOrRoot(), ValueName, &type, &data) != ERROR_SUCCESS) return false;
    Value.RegData = dataTypeOf(type);
    Value.DataSize = static_cast<int>(data.size());
    return true;
}

bool TRegistry::ValueExists(const std::string& Name) {
    TRegDataInfo info;
    return GetDataInfo(Name, info);
}

TRegDataType TRegistry::GetDataType(const std::string& ValueName) {
    TRegDataInfo info;
    return GetDataInfo(ValueName, info) ? info.RegData : rdUnknown;
}

int TRegistry::GetDataSize(const std::string& ValueName) {
    TRegDataInfo info;
    return GetDataInfo(ValueName, info) ? info.DataSize : -1;
}

bool TRegistry::DeleteValue(const std::string& Name) { return regDeleteValue(currentOrRoot(), Name) == ERROR_SUCCESS; }

bool TRegistry::RenameValue(const std::string& OldName, const std::string& NewName) {
    uint32_t type = 0;
    std::string data;
    const HKEY key = currentOrRoot();
    if (regQueryValue(key, OldName, &type, &data) != ERROR_SUCCESS) return false;
    if (ValueExists(NewName)) return false;
    if (regSetValue(key, NewName, type, data) != ERROR_SUCCESS) return false;
    return regDeleteValue(key, OldName) == ERROR_SUCCESS;
}

std::string TRegistry::readData(const std::string& Name, uint32_t& type) {
    std::string data;
    if (regQueryValue(currentOrRoot(), Name, &type, &data) != ERROR_SUCCESS)
        throw ERegistryException("Failed to get data for '" + Name + "'");
    return data;
}

void TRegistry::putData(const std::string& Name, uint32_t type, const void* data, size_t size) {
    const std::string_view bytes(static_cast<const char*>(data), size);
    if (regSetValue(currentOrRoot(), Name, type, bytes) != ERROR_SUCCESS)
        throw ERegistryException("Failed to set data for '" + Name + "'");
}

std::string TRegistry::ReadString(const std::string& Name) {
    uint32_t type = 0;
    std::string data;
    if (regQueryValue(currentOrRoot(), Name, &type, &data) != ERROR_SUCCESS) return std::string();
    if (type != REG_SZ && type != REG_EXPAND_SZ) readError(Name);
    return regText(data);
}

int32_t TRegistry::ReadInteger(const std::string& Name) {
    uint32_t type = 0;
    const std::string data = readData(Name, type);
    if (type != REG_DWORD || data.size() != 4) readError(Name);
    int32_t v = 0;
    std::memcpy(&v, data.data(), 4);
    return v;
}

bool TRegistry::ReadBool(const std::string& Name) { return ReadInteger(Name) != 0; }

int TRegistry::ReadBinaryData(const std::string& Name, void* Buffer, int BufSize) {
    uint32_t type = 0;
    const std::string data = readData(Name, type);
    if ((type != REG_BINARY && type != REG_NONE) || BufSize < 0 || data.size() > static_cast<size_t>(BufSize))
        readError(Name);
    if (!data.empty()) std::memcpy(Buffer, data.data(), data.size());
    return static_cast<int>(data.size());
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
    putData(Name, REG_SZ, Value.c_str(), Value.size() + 1);
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value) {
    putData(Name, REG_EXPAND_SZ, Value.c_str(), Value.size() + 1);
}

void TRegistry::WriteInteger(const std::string& Name, int32_t Value) { putData(Name, REG_DWORD, &Value, 4); }

void TRegistry::WriteBool(const std::string& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }

void TRegistry::WriteBinaryData(const std::string& Name, const void* Buffer, int BufSize) {
    if (BufSize < 0 || (!Buffer && BufSize > 0)) throw ERegistryException("Failed to set data for '" + Name + "'");
    putData(Name, REG_BINARY, Buffer ? Buffer : "", static_cast<size_t>(BufSize));
}
