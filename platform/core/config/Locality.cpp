#include "platform/core/config/Locality.h"

#include <string_view>

namespace {
bool startsIC(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && zrx_utf8::compareIC(s.substr(0, prefix.size()), prefix) == 0;
}
}  // namespace

bool strIsKiev(const char* locality) {
    TCString t(locality ? locality : "");
    t.trim();
    std::string_view s(t.c_str());
    for (std::string_view prefix : {"місто ", "город ", "city ", "м.", "г.", "m."}) {
        if (startsIC(s, prefix)) {
            s.remove_prefix(prefix.size());
            while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
            break;
        }
    }
    for (std::string_view name : {"Київ", "Киев", "Kyiv", "Kiev", "Kyyiv"})
        if (zrx_utf8::compareIC(s, name) == 0) return true;
    return false;
}
