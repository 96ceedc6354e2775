#pragma once
// The value of one style property: unassigned, null, an integer, a floating
// number or UTF-16 text.
#include <cstdint>
#include <string>
#include <variant>

struct ThtNull {
    bool operator==(const ThtNull&) const = default;
};
using ThtVariant = std::variant<std::monostate, ThtNull, int64_t, double, std::u16string>;

inline bool VarIsEmpty(const ThtVariant& v) { return std::holds_alternative<std::monostate>(v); }
inline bool VarIsNull(const ThtVariant& v) { return std::holds_alternative<ThtNull>(v); }
inline bool VarIsOrdinal(const ThtVariant& v) { return std::holds_alternative<int64_t>(v); }
inline bool VarIsFloat(const ThtVariant& v) { return std::holds_alternative<double>(v); }
inline bool VarIsNumeric(const ThtVariant& v) { return VarIsOrdinal(v) || VarIsFloat(v); }
inline bool VarIsStr(const ThtVariant& v) { return std::holds_alternative<std::u16string>(v); }

// The integer, or def for any other kind.
inline int64_t VarInt(const ThtVariant& v, int64_t def = 0) { return VarIsOrdinal(v) ? std::get<int64_t>(v) : def; }
// The text, or empty for any other kind.
inline const std::u16string& VarStr(const ThtVariant& v) {
    static const std::u16string empty;
    return VarIsStr(v) ? std::get<std::u16string>(v) : empty;
}
// The value is this text.
inline bool VarIsText(const ThtVariant& v, std::u16string_view text) { return VarIsStr(v) && VarStr(v) == text; }
// The value as text the way a conversion would read it: numbers in decimal.
std::u16string VarToText(const ThtVariant& v);
// The value as a number: text parsed (def when it is none).
double VarToDouble(const ThtVariant& v, double def = 0);
// The value as an integer: text parsed, floats truncated (def when none).
int64_t VarToInt(const ThtVariant& v, int64_t def = 0);
