#include "components/RegUtils.h"

#include <cstring>

#include "platform/runtime/TCString.h"

namespace {
String nameOf(const char* n) { return n ? String(n) : String(); }

void copyOut(const std::string& s, char* buf, int size) {
    if (size > 0) zrx_utf8::copyCut(s, buf, size_t(size));
}
}  // namespace

int regWriteString(TRegistry* reg, const char* valueName, const char* text) {
    if (!reg) return -1;
    try {
        reg->WriteString(nameOf(valueName), text ? text : "");
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

namespace {
enum class TextRead { Ok, Missing, Failed };

// One look-up of a text value: its type and bytes come in one query.
TextRead readText(TRegistry* reg, const char* valueName, std::string& out) {
    try {
        const String name = nameOf(valueName);
        TRegDataInfo info;
        if (!reg->GetDataInfo(name, info)) return TextRead::Missing;
        if (info.RegData != rdString && info.RegData != rdExpandString) return TextRead::Failed;
        out = reg->ReadString(name);
        return TextRead::Ok;
    } catch (const std::exception&) {
        return TextRead::Failed;
    }
}
}  // namespace

int regReadString(TRegistry* reg, const char* valueName, std::string& out, const char* def) {
    if (!reg) return -1;
    const TextRead r = readText(reg, valueName, out);
    if (r == TextRead::Missing && def) out = def;
    return r == TextRead::Ok ? 0 : -1;
}

int regReadString(TRegistry* reg, const char* valueName, char* buf, int size, const char* def) {
    if (!reg) return -1;
    std::string s;
    const TextRead r = readText(reg, valueName, s);
    if (r == TextRead::Ok) copyOut(s, buf, size);
    else if (r == TextRead::Missing && def) copyOut(def, buf, size);
    return r == TextRead::Ok ? 0 : -1;
}

int regReadInt(TRegistry* reg, const char* valueName, int32_t* value, int32_t def) {
    if (value) *value = def;
    if (!reg) return -1;
    try {
        String name = nameOf(valueName);
        if (!reg->ValueExists(name)) return -1;
        int32_t v = reg->ReadInteger(name);
        if (value) *value = v;
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

int regWriteInt(TRegistry* reg, const char* valueName, int32_t value) {
    if (!reg) return -1;
    try {
        reg->WriteInteger(nameOf(valueName), value);
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

int regReadBin(TRegistry* reg, const char* valueName, void* buf, int size) {
    if (!reg || (!buf && size > 0) || size < 0) return -1;
    try {
        String name = nameOf(valueName);
        if (!reg->ValueExists(name)) return -1;
        int have = reg->GetDataSize(name);
        if (have < 0 || have > size) return -1;
        return reg->ReadBinaryData(name, buf, size);
    } catch (const std::exception&) {
        return -1;
    }
}

int regWriteBin(TRegistry* reg, const char* valueName, const void* data, int size) {
    if (!reg || size < 0 || (!data && size > 0)) return -1;
    try {
        reg->WriteBinaryData(nameOf(valueName), data, size);
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

bool existRegistryEntry(TRegistry* reg, const char* valueName) {
    if (!reg) return false;
    try {
        return reg->ValueExists(nameOf(valueName));
    } catch (const std::exception&) {
        return false;
    }
}

int regReadStringList(TRegistry* reg, const char* name, TStrings* list) {
    if (!reg || !list) return -1;
    int32_t count = 0;
    String base = nameOf(name);
    if (regReadInt(reg, (base + "_Count").c_str(), &count, 0) != 0) return -1;
    list->Clear();
    for (int32_t i = 0; i < count; ++i) {
        std::string s;
        if (regReadString(reg, (base + "_Value_" + std::to_string(i)).c_str(), s, nullptr) != 0) return -1;
        list->Add(s);
    }
    return 0;
}

int regWriteStringList(TRegistry* reg, const char* name, const TStrings* list) {
    if (!reg || !list) return -1;
    String base = nameOf(name);
    int n = list->Count();
    for (int i = 0; i < n; ++i)
        if (regWriteString(reg, (base + "_Value_" + std::to_string(i)).c_str(), list->Get(i).c_str()) != 0) return -1;
    return regWriteInt(reg, (base + "_Count").c_str(), n);
}
