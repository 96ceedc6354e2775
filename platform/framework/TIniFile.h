// The framework's INI-file classes: TCustomIniFile with its typed reads and
// writes by section and key, and TIniFile over the private-profile functions
// of platform/win (every write goes straight to the file, atomically).
// No Qt here.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class EIniFileException : public std::runtime_error {
public:
    explicit EIniFileException(const std::string& msg) : std::runtime_error(msg) {}
    std::string Message() const { return what(); }
};

class TCustomIniFile {
public:
    explicit TCustomIniFile(const std::string& FileName) : FFileName(FileName) {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const std::string& FileName() const { return FFileName; }

    virtual std::string ReadString(const std::string& Section, const std::string& Ident,
                                   const std::string& Default) = 0;
    virtual void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) = 0;
    // Decimal, or hexadecimal with "0x" or "$"; the default for a missing or bad value.
    virtual int32_t ReadInteger(const std::string& Section, const std::string& Ident, int32_t Default);
    virtual void WriteInteger(const std::string& Section, const std::string& Ident, int32_t Value);
    virtual bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
    virtual void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
    virtual void ReadSection(const std::string& Section, std::vector<std::string>& Strings) = 0;
    virtual void ReadSections(std::vector<std::string>& Strings) = 0;
    // "key=value" lines.
    virtual void ReadSectionValues(const std::string& Section, std::vector<std::string>& Strings) = 0;
    virtual void EraseSection(const std::string& Section) = 0;
    virtual void DeleteKey(const std::string& Section, const std::string& Ident) = 0;
    virtual void UpdateFile() = 0;
    // True when the section holds at least one key.
    virtual bool SectionExists(const std::string& Section);
    virtual bool ValueExists(const std::string& Section, const std::string& Ident);

    // The same for the framework's string lists (any class with Clear and Add).
    template <class S> void ReadSection(const std::string& Section, S* Strings) {
        std::vector<std::string> v;
        ReadSection(Section, v);
        copyTo(v, Strings);
    }
    template <class S> void ReadSections(S* Strings) {
        std::vector<std::string> v;
        ReadSections(v);
        copyTo(v, Strings);
    }
    template <class S> void ReadSectionValues(const std::string& Section, S* Strings) {
        std::vector<std::string> v;
        ReadSectionValues(Section, v);
        copyTo(v, Strings);
    }

private:
    template <class S> static void copyTo(const std::vector<std::string>& v, S* Strings) {
        Strings->Clear();
        for (const std::string& s : v) Strings->Add(s);
    }
    std::string FFileName;
};

class TIniFile : public TCustomIniFile {
public:
    using TCustomIniFile::ReadSection;
    using TCustomIniFile::ReadSections;
    using TCustomIniFile::ReadSectionValues;

    explicit TIniFile(const std::string& FileName) : TCustomIniFile(FileName) {}

    std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) override;
    // Raises EIniFileException when the file cannot be written.
    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
    void ReadSection(const std::string& Section, std::vector<std::string>& Strings) override;
    void ReadSections(std::vector<std::string>& Strings) override;
    void ReadSectionValues(const std::string& Section, std::vector<std::string>& Strings) override;
    void EraseSection(const std::string& Section) override;
    void DeleteKey(const std::string& Section, const std::string& Ident) override;
    void UpdateFile() override {}
    bool ValueExists(const std::string& Section, const std::string& Ident) override;
};
