// Any text goes through the runtime's text functions without harm, and the
// case mappings keep byte positions (searches depend on it).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/runtime/TCStringList.h"
#include "platform/runtime/Translation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TCString s(text);

    const TCString up = s.toUpper(), low = s.toLower();
    if (up.length() != s.length() || low.length() != s.length()) std::abort();
    if (up.compareIC(low.c_str()) != 0 && text.find('\0') == std::string::npos) std::abort();
    (void)s.posIC("ключ");
    (void)s.charCount();
    (void)s.asInt(0, 0);
    (void)s.asUInt64(16, 0);
    (void)s.asDouble();
    unsigned char buf[32];
    (void)s.asBuffer(buf, sizeof buf);
    std::string bytes;
    if (s.fromBase64(bytes)) {
        if (TCString(bytes).toBase64().length() % 4 != 0) std::abort();
    }
    (void)s.toUtf16();
    (void)s.name();
    (void)s.value();

    TCSIniFile ini;
    ini.assignText(text.c_str(), '\n');
    TCStringList sections;
    ini.sectionNames(sections);
    TCRefStringList values;
    for (const auto& sec : sections) {
        if (!ini.loadSection(sec->c_str(), values)) std::abort();
        for (const auto& line : values) (void)values.getInt(line->name().c_str(), 0);
    }
    (void)ini.loadSection("", values);

    const size_t tab = text.find('\t');
    if (tab != std::string::npos) {
        const std::string a = text.substr(0, tab), b = text.substr(tab + 1);
        if (zrnSameConversions(a.c_str(), b.c_str()) != zrnSameConversions(b.c_str(), a.c_str())) std::abort();
    }
    return 0;
}
