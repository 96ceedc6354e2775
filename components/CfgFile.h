// Settings stores: one small key/value interface (TCBaseCFGFile) over one
// section of an INI file (TCIniFile) or one registry key (TCRegKey), and the
// free registry helpers of the same unit. Every operation fails silently:
// it answers false and the caller goes on with the values it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/TCString.h"
#include "platform/runtime/TCStringList.h"
#include "platform/win/PrivateProfile.h"
#include "platform/win/Registry.h"

// Open flags of TCRegKey and openRegKey.
inline constexpr uint32_t CFG_REG_READONLY = 1;  // open for reading only; never create
inline constexpr uint32_t CFG_REG_CREATE = 2;    // create the key when it cannot be opened

class TCBaseCFGFile {
public:
    TCBaseCFGFile() = default;
    virtual ~TCBaseCFGFile() = default;

    // The thirteen operations of a store, in this order.
    virtual bool writeInt(const char* key, uint32_t value);
    virtual bool readInt(const char* key, uint32_t& value, uint32_t def);
    virtual bool readBinary(const char* key, void* buffer, size_t size);
    virtual bool writeBinary(const char* key, const void* data, size_t size);
    virtual bool readString(const char* key, char* buffer, size_t size, const char* def);
    virtual bool writeString(const char* key, const char* text);
    // A list is a count value "<name>_count" and items "<name>_00", "<name>_01", ...
    // Reading replaces the list's items; writing removes the items left
    // over from a longer list written before.
    virtual bool readStringList(const char* name, TCStringList* list);
    virtual bool writeStringList(const char* name, TCStringList* list);
    virtual bool exists();
    virtual bool open();
    virtual void close();
    virtual bool setName(const char* name);
    virtual TCString getName();

    // A text value of any length: true when the value exists (also when it
    // is empty); otherwise the default (or an empty text) and false.
    bool readString(const char* key, TCString& text, const char* def = nullptr);

protected:
    // The whole text of a value; false when it is missing or not a text.
    virtual bool readText(const char* key, TCString& text);
    // Removes a value; false when it cannot be removed.
    virtual bool removeValue(const char* key);
};

// One section of an INI file, through the private-profile functions.
class TCIniFile : public TCBaseCFGFile {
public:
    using TCBaseCFGFile::readString;

    TCIniFile(const char* fileName, const char* sectionName);

    bool writeInt(const char* key, uint32_t value) override;
    bool readInt(const char* key, uint32_t& value, uint32_t def) override;
    bool readBinary(const char* key, void* buffer, size_t size) override;
    bool writeBinary(const char* key, const void* data, size_t size) override;
    // The value (or the default) cut to the buffer at a character boundary;
    // true when the text placed in the buffer is not empty.
    bool readString(const char* key, char* buffer, size_t size, const char* def) override;
    // A null text removes the key.
    bool writeString(const char* key, const char* text) override;
    bool exists() override;
    bool open() override;
    void close() override;
    bool setName(const char* name) override;
    TCString getName() override;

    const TCString& fileName() const { return fileName_; }

    // Gathered writes: between beginUpdate and commitUpdate the writes (and
    // removals) are only collected, and commitUpdate puts them all in the
    // file in one atomic replacement, or none of them. Reads see the file
    // as it is. cancelUpdate drops what was gathered.
    void beginUpdate();
    bool commitUpdate();
    void cancelUpdate();

protected:
    bool readText(const char* key, TCString& text) override;
    bool removeValue(const char* key) override;

private:
    bool change(const char* key, std::optional<std::string> value);

    TCString fileName_;
    TCString section_;
    bool gathering_ = false;
    std::vector<zrx::win::ProfileKeyChange> pending_;
};

// One registry key under a root.
class TCRegKey : public TCBaseCFGFile {
public:
    using TCBaseCFGFile::readString;

    TCRegKey() = default;
    ~TCRegKey() override;
    TCRegKey(const TCRegKey&) = delete;
    TCRegKey& operator=(const TCRegKey&) = delete;

    // Closes, then points the store at the key and opens it by the flags.
    bool openKey(HKEY root, const char* subKey, uint32_t flags);

    bool writeInt(const char* key, uint32_t value) override;
    bool readInt(const char* key, uint32_t& value, uint32_t def) override;
    bool readBinary(const char* key, void* buffer, size_t size) override;
    bool writeBinary(const char* key, const void* data, size_t size) override;
    bool readString(const char* key, char* buffer, size_t size, const char* def) override;
    bool writeString(const char* key, const char* text) override;
    bool exists() override;
    bool open() override;
    void close() override;
    bool setName(const char* name) override;
    TCString getName() override;

    HKEY rootKey() const { return root_; }
    HKEY handle() const { return key_; }
    uint32_t flags() const { return flags_; }
    bool isOpen() const { return key_ != 0; }

protected:
    bool readText(const char* key, TCString& text) override;
    bool removeValue(const char* key) override;

private:
    HKEY root_ = 0;
    HKEY key_ = 0;
    uint32_t flags_ = 0;
    TCString subKey_;
};

// Opens a key by the flags (see CFG_REG_*). A key that cannot be created
// is reported in an error box; every other failure is silent.
bool openRegKey(HKEY root, const char* subKey, HKEY* key, uint32_t flags);
bool regKeyExists(HKEY root, const char* subKey);
// REG_SZ only; a missing value, another type or a text that does not fit
// the buffer gives the default (cut to the buffer, when given) and false.
bool getRegString(HKEY key, const char* valueName, char* buffer, size_t size, const char* def);
// The same for a text of any length.
bool getRegString(HKEY key, const char* valueName, TCString& text, const char* def);
// REG_BINARY only, at most size bytes.
bool getRegBinary(HKEY key, const char* valueName, void* buffer, size_t size);
// REG_DWORD only; otherwise the default and false.
bool getRegDWord(HKEY key, const char* valueName, uint32_t& value, uint32_t def);
bool setRegString(HKEY key, const char* valueName, const char* text);
bool setRegDWord(HKEY key, const char* valueName, uint32_t value);
bool setRegBinary(HKEY key, const char* valueName, const void* data, size_t size);
// A path "key path.value name", split at its last '.'; root 0 is HKEY_CURRENT_USER.
bool openRegPathKey(HKEY root, const char* path, TCString& valueName, HKEY* key, uint32_t flags);
bool writeRegPathString(const char* path, const char* text, HKEY root = 0);
bool readRegPathString(const char* path, char* buffer, size_t size, const char* def, HKEY root = 0);
bool readRegPathString(const char* path, TCString& text, const char* def, HKEY root = 0);

// The error box of openRegKey: text and caption ("Error"). By default the
// runtime library's error box shows the text.
using CfgErrorBoxFunc = void (*)(const char* text, const char* caption);
CfgErrorBoxFunc setCfgErrorBoxFunc(CfgErrorBoxFunc fn);
