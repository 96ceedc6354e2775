// The framework's registry class: a current key under a root, opened by a
// path, with typed reads and writes that raise ERegistryException on
// failure. Over the registry of platform/win (no Qt here).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win/Registry.h"

class ERegistryException : public std::runtime_error {
public:
    explicit ERegistryException(const std::string& msg) : std::runtime_error(msg) {}
    std::string Message() const { return what(); }
};

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegKeyInfo {
    int NumSubKeys = 0;
    int MaxSubKeyLen = 0;
    int NumValues = 0;
    int MaxValueLen = 0;
    int MaxDataLen = 0;
    int64_t FileTime = 0;  // last write, seconds since 1970
};

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    int DataSize = 0;
};

class TRegistry {
public:
    TRegistry();
    explicit TRegistry(uint32_t AAccess);
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY Value);  // closes the current key
    HKEY CurrentKey() const { return FCurrentKey; }
    const std::string& CurrentPath() const { return FCurrentPath; }
    uint32_t Access() const { return FAccess; }
    void SetAccess(uint32_t Value) { FAccess = Value; }
    bool LazyWrite = true;

    // A key path starting with '\' is taken from the root; otherwise it is
    // relative to the current key when one is open.
    bool OpenKey(const std::string& Key, bool CanCreate);
    bool OpenKeyReadOnly(const std::string& Key);
    void CloseKey();
    bool CreateKey(const std::string& Key);  // raises when the key cannot be created
    bool DeleteKey(const std::string& Key);  // with all its sub-keys
    bool KeyExists(const std::string& Key);
    bool HasSubKeys();
    void GetKeyNames(std::vector<std::string>& Strings);
    void GetValueNames(std::vector<std::string>& Strings);
    // The same for the framework's string lists (any class with Clear and Add).
    template <class S> void GetKeyNames(S* Strings) { fill(Strings, true); }
    template <class S> void GetValueNames(S* Strings) { fill(Strings, false); }
    bool GetKeyInfo(TRegKeyInfo& Value);

    bool ValueExists(const std::string& Name);
    bool DeleteValue(const std::string& Name);
    bool RenameValue(const std::string& OldName, const std::string& NewName);
    bool GetDataInfo(const std::string& ValueName, TRegDataInfo& Value);
    TRegDataType GetDataType(const std::string& ValueName);
    int GetDataSize(const std::string& ValueName);  // -1 when the value is missing

    // Reads raise ERegistryException for a value of another type; ReadString
    // of a missing value gives an empty text, the others raise.
    std::string ReadString(const std::string& Name);
    int32_t ReadInteger(const std::string& Name);
    bool ReadBool(const std::string& Name);
    int ReadBinaryData(const std::string& Name, void* Buffer, int BufSize);
    void WriteString(const std::string& Name, const std::string& Value);
    void WriteExpandString(const std::string& Name, const std::string& Value);
    void WriteInteger(const std::string& Name, int32_t Value);
    void WriteBool(const std::string& Name, bool Value);
    void WriteBinaryData(const std::string& Name, const void* Buffer, int BufSize);

private:
    template <class S> void fill(S* Strings, bool keys) {
        std::vector<std::string> names;
        if (keys) GetKeyNames(names);
        else GetValueNames(names);
        Strings->Clear();
        for (const std::string& n : names) Strings->Add(n);
    }
    HKEY baseKey(const std::string& Key, std::string& relative) const;
    void changeKey(HKEY Value, const std::string& Path);
    HKEY currentOrRoot() const { return FCurrentKey ? FCurrentKey : FRootKey; }
    std::string readData(const std::string& Name, uint32_t& type);
    void putData(const std::string& Name, uint32_t type, const void* data, size_t size);

    HKEY FRootKey = HKEY_CURRENT_USER;
    HKEY FCurrentKey = 0;
    std::string FCurrentPath;
    uint32_t FAccess = KEY_ALL_ACCESS;
};
