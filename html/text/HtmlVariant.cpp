#include "html/text/HtmlVariant.h"

#include <cmath>
#include <cstdio>

#include "html/text/HtmlText.h"

std::u16string VarToText(const ThtVariant& v) {
    if (VarIsStr(v)) return VarStr(v);
    if (VarIsOrdinal(v)) return htmltext::fromInt(VarInt(v));
    if (VarIsFloat(v)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", std::get<double>(v));
        return htmltext::fromUtf8(buf);
    }
    return {};
}

double VarToDouble(const ThtVariant& v, double def) {
    if (VarIsOrdinal(v)) return double(VarInt(v));
    if (VarIsFloat(v)) return std::get<double>(v);
    if (VarIsStr(v)) return htmltext::toFloat(VarStr(v)).value_or(def);
    return def;
}

int64_t VarToInt(const ThtVariant& v, int64_t def) {
    if (VarIsOrdinal(v)) return VarInt(v);
    if (VarIsFloat(v)) {
        const double d = std::get<double>(v);
        return std::isfinite(d) && std::fabs(d) < 9e18 ? int64_t(d) : def;
    }
    if (VarIsStr(v)) return htmltext::toInt(VarStr(v)).value_or(def);
    return def;
}
