#include "html/text/HtmlStrings.h"

#include "platform/framework/Classes.h"

void AppendCharToString(std::u16string& S, char16_t Ch) { S.push_back(Ch); }

void AppendStringToString(std::u16string& S, std::u16string_view T) {
    if (!T.empty()) S.append(T);
}

int CompareStrings(std::u16string_view A, std::u16string_view B) {
    const int c = A.compare(B);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::u16string LowerCaseString(std::u16string_view S) { return WideLowerCase(S); }
std::u16string UpperCaseString(std::u16string_view S) { return WideUpperCase(S); }

std::u16string TrimString(std::u16string_view S) {
    size_t b = 0, e = S.size();
    while (b < e && S[b] <= u' ') ++b;
    while (e > b && S[e - 1] <= u' ') --e;
    return std::u16string(S.substr(b, e - b));
}

bool StringStartsWith(std::u16string_view Prefix, std::u16string_view S) {
    return Prefix.size() <= S.size() && S.substr(0, Prefix.size()) == Prefix;
}

bool StringEndsWith(std::u16string_view Suffix, std::u16string_view S) {
    return Suffix.size() <= S.size() && S.substr(S.size() - Suffix.size()) == Suffix;
}
