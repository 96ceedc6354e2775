#include "platform/framework/TIniFile.h"

#include <cstdlib>

#include "platform/win/NameFold.h"
#include "platform/win/PrivateProfile.h"

using namespace zrx::win;

namespace {

bool parseInt(std::string s, int32_t& out) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(0, 1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    if (s.empty()) return false;
    bool negative = false;
    size_t i = 0;
    if (s[i] == '-' || s[i] == '+') negative = s[i++] == '-';
    int base = 10;
    if (s.compare(i, 2, "0x") == 0 || s.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    } else if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    }
    if (i >= s.size()) return false;
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (v > 0xFFFFFFFFull) return false;
    }
    // Hexadecimal texts may name the full 32-bit pattern; decimal ones must fit.
    if (base == 10 && v > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return false;
    const uint32_t bits = static_cast<uint32_t>(v);
    out = negative ? static_cast<int32_t>(0u - bits) : static_cast<int32_t>(bits);
    return true;
}

}  // namespace

int32_t TCustomIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int32_t Default) {
    int32_t v = 0;
    return parseInt(ReadString(Section, Ident, std::string()), v) ? v : Default;
}

void TCustomIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int32_t Value) {
    WriteString(Section, Ident, std::to_string(Value));
}

bool TCustomIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}

bool TCustomIniFile::SectionExists(const std::string& Section) {
    std::vector<std::string> keys;
    ReadSection(Section, keys);
    return !keys.empty();
}

bool TCustomIniFile::ValueExists(const std::string& Section, const std::string& Ident) {
    std::vector<std::string> keys;
    ReadSection(Section, keys);
    for (const std::string& k : keys)
        if (sameName(k, Ident)) return true;
    return false;
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) {
    std::string v;
    return profileRead(FileName(), Section, Ident, v) ? v : Default;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
    if (!profileWrite(FileName(), Section, Ident, Value)) throw EIniFileException("Unable to write to " + FileName());
}

void TIniFile::ReadSection(const std::string& Section, std::vector<std::string>& Strings) {
    Strings.clear();
    for (auto& kv : profileSectionValues(FileName(), Section)) Strings.push_back(kv.first);
}

void TIniFile::ReadSections(std::vector<std::string>& Strings) { Strings = profileSectionNames(FileName()); }

void TIniFile::ReadSectionValues(const std::string& Section, std::vector<std::string>& Strings) {
    Strings.clear();
    for (auto& kv : profileSectionValues(FileName(), Section)) Strings.push_back(kv.first + "=" + kv.second);
}

void TIniFile::EraseSection(const std::string& Section) {
    if (!profileDeleteSection(FileName(), Section)) throw EIniFileException("Unable to write to " + FileName());
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
    profileDeleteKey(FileName(), Section, Ident);
}

bool TIniFile::ValueExists(const std::string& Section, const std::string& Ident) {
    std::string v;
    return profileRead(FileName(), Section, Ident, v);
}
