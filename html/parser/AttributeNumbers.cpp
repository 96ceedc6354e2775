#include "html/parser/AttributeNumbers.h"

#include <cmath>
#include <string>

#include "html/text/HtmlText.h"

bool ValueToInteger(std::u16string_view S, int32_t& Value) {
    constexpr double Limit = 2147483647.0;
    std::u16string text = htmltext::trim(S);
    if (!text.empty() && text.back() == u'%') {
        text.pop_back();
    } else if (!text.empty() && text.back() == u'*') {
        text.pop_back();
        if (text.empty()) {
            Value = 1;
            return false;
        }
    }
    if (text.empty()) return false;
    const char16_t c = text[0];
    if (c != u'+' && c != u'-' && c != u'.' && !(c >= u'0' && c <= u'9')) return false;
    const std::optional<double> v = htmltext::toFloat(text);
    if (!v) return true;
    if (std::isnan(*v) || *v > Limit) Value = int32_t(Limit);
    else if (*v < -Limit) Value = -int32_t(Limit);
    else Value = int32_t(htmltext::roundEven(*v));
    return true;
}
