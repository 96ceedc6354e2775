#pragma once
// The registry of the current user: a durable typed key/value tree kept in a
// SQLite database (ZRX_REGISTRY names the file; otherwise
// $XDG_CONFIG_HOME/zoren/registry.sqlite, or ~/.config/zoren/registry.sqlite).
//
// The functions keep the Windows names, numbers and semantics: roots are the
// handles 0x80000000 + n, key paths use '\', key and value names compare
// without regard to case (Cyrillic too) and keep the spelling they were
// created with, values carry their REG_* type. Every write is one
// transaction; several processes may use the store at once (WAL journal,
// busy time-out). Results are Windows error numbers (WinError.h).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/WinError.h"

using HKEY = uintptr_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_DWORD_BIG_ENDIAN = 5;
inline constexpr uint32_t REG_LINK = 6;
inline constexpr uint32_t REG_MULTI_SZ = 7;
inline constexpr uint32_t REG_QWORD = 11;

inline constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr uint32_t KEY_NOTIFY = 0x0010;
inline constexpr uint32_t KEY_CREATE_LINK = 0x0020;
inline constexpr uint32_t KEY_READ = 0x20019;
inline constexpr uint32_t KEY_WRITE = 0x20006;
inline constexpr uint32_t KEY_EXECUTE = 0x20019;
inline constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;

inline constexpr uint32_t REG_OPTION_NON_VOLATILE = 0;
inline constexpr uint32_t REG_CREATED_NEW_KEY = 1;
inline constexpr uint32_t REG_OPENED_EXISTING_KEY = 2;

// Longest key name (one path element) and value name, in characters.
inline constexpr size_t REG_MAX_KEY_NAME = 255;
inline constexpr size_t REG_MAX_VALUE_NAME = 16383;

// Opens an existing key; a null or empty sub-key opens the key itself again.
int32_t RegOpenKeyExA(HKEY key, const char* subKey, uint32_t options, uint32_t access, HKEY* result);
// Opens a key, creating it and every missing key on its path in one transaction.
int32_t RegCreateKeyExA(HKEY key, const char* subKey, uint32_t reserved, const char* keyClass, uint32_t options,
                        uint32_t access, const void* security, HKEY* result, uint32_t* disposition);
int32_t RegCloseKey(HKEY key);
// Value bytes as stored. With null data only the type and size are returned;
// a buffer too small gives ERROR_MORE_DATA with the needed size in *dataSize.
int32_t RegQueryValueExA(HKEY key, const char* valueName, uint32_t* reserved, uint32_t* type, uint8_t* data,
                         uint32_t* dataSize);
int32_t RegSetValueExA(HKEY key, const char* valueName, uint32_t reserved, uint32_t type, const uint8_t* data,
                       uint32_t dataSize);
int32_t RegDeleteValueA(HKEY key, const char* valueName);
// Deletes a key without sub-keys (ERROR_ACCESS_DENIED when it has some).
int32_t RegDeleteKeyA(HKEY key, const char* subKey);
// Deletes a key with all its sub-keys and values; a null sub-key empties the key itself.
int32_t RegDeleteTreeA(HKEY key, const char* subKey);
// Sub-keys in name order (without regard to case); nameSize in bytes (UTF-8),
// the terminator excluded on return.
int32_t RegEnumKeyExA(HKEY key, uint32_t index, char* name, uint32_t* nameSize, uint32_t* reserved, char* keyClass,
                      uint32_t* classSize, int64_t* lastWriteTime);
// Values in the order they were first written.
int32_t RegEnumValueA(HKEY key, uint32_t index, char* name, uint32_t* nameSize, uint32_t* reserved, uint32_t* type,
                      uint8_t* data, uint32_t* dataSize);
int32_t RegQueryInfoKeyA(HKEY key, char* keyClass, uint32_t* classSize, uint32_t* reserved, uint32_t* subKeys,
                         uint32_t* maxSubKeyLen, uint32_t* maxClassLen, uint32_t* values, uint32_t* maxValueNameLen,
                         uint32_t* maxValueLen, uint32_t* securityDescriptor, int64_t* lastWriteTime);
int32_t RegFlushKey(HKEY key);

namespace zrx::win {

// The database file in use for this process's current environment.
std::string registryPath();

// The same operations with standard strings (any length; names may not hold NUL).
int32_t regQueryValue(HKEY key, std::string_view name, uint32_t* type, std::string* data);
int32_t regSetValue(HKEY key, std::string_view name, uint32_t type, std::string_view data);
int32_t regDeleteValue(HKEY key, std::string_view name);
int32_t regKeyNames(HKEY key, std::vector<std::string>& names);
int32_t regValueNames(HKEY key, std::vector<std::string>& names);
// The text of a REG_SZ value's bytes: up to the first terminator.
std::string regText(std::string_view data);

struct RegKeyInfo {
    uint32_t subKeys = 0;
    uint32_t maxSubKeyLen = 0;  // bytes (UTF-8), to size name buffers
    uint32_t values = 0;
    uint32_t maxValueNameLen = 0;  // bytes (UTF-8)
    uint32_t maxValueLen = 0;      // bytes
    int64_t lastWriteTime = 0;     // seconds since 1970
};
int32_t regKeyInfo(HKEY key, RegKeyInfo& info);

// True for one of the predefined root handles.
bool isRootKey(HKEY key);

// The system's text for an error number (what FormatMessage gives on Windows).
std::string regErrorText(int32_t code);

}  // namespace zrx::win
