#include "platform/runtime/Translit.h"

#include <cstring>
#include <string>

namespace {
struct TLetter {
    char32_t cp;
    const char* latin;    // anywhere
    const char* atStart;  // at the start of a word (null: as anywhere)
};

// Lower-case letters; upper case is derived.
constexpr TLetter kLetters[] = {
    {U'а', "a", nullptr},  {U'б', "b", nullptr},     {U'в', "v", nullptr},  {U'г', "h", nullptr},
    {U'ґ', "g", nullptr},  {U'д', "d", nullptr},     {U'е', "e", nullptr},  {U'є', "ie", "ye"},
    {U'ж', "zh", nullptr}, {U'з', "z", nullptr},     {U'и', "y", nullptr},  {U'і', "i", nullptr},
    {U'ї', "i", "yi"},     {U'й', "i", "y"},         {U'к', "k", nullptr},  {U'л', "l", nullptr},
    {U'м', "m", nullptr},  {U'н', "n", nullptr},     {U'о', "o", nullptr},  {U'п', "p", nullptr},
    {U'р', "r", nullptr},  {U'с', "s", nullptr},     {U'т', "t", nullptr},  {U'у', "u", nullptr},
    {U'ф', "f", nullptr},  {U'х', "kh", nullptr},    {U'ц', "ts", nullptr}, {U'ч', "ch", nullptr},
    {U'ш', "sh", nullptr}, {U'щ', "shch", nullptr},  {U'ь', "", nullptr},   {U'ю', "iu", "yu"},
    {U'я', "ia", "ya"},    {U'ъ', "", nullptr},      {U'ы', "y", nullptr},  {U'э', "e", nullptr},
    {U'ё', "io", "yo"},    {U'\u2019', "", nullptr}, {U'\'', "", nullptr},
};

const TLetter* findLetter(char32_t lower) {
    for (const TLetter& l : kLetters)
        if (l.cp == lower) return &l;
    return nullptr;
}

bool isLetter(char32_t cp) {
    return (cp >= U'a' && cp <= U'z') || (cp >= U'A' && cp <= U'Z') || (cp >= 0x400 && cp <= 0x4FF);
}
}  // namespace

TCString uaTranslit(const char* text) {
    std::string out;
    if (!text) return TCString();
    const std::string_view s(text);
    bool wordStart = true;
    for (size_t i = 0; i < s.size();) {
        const char32_t cp = zrx_utf8::decode(s, i);
        const char32_t lower = zrx_utf8::toLower(cp);
        const TLetter* l = findLetter(lower);
        // "зг" is written "zgh" so that it is not read as "zh".
        if (l && lower == U'г' && !out.empty() && (out.back() == 'z' || out.back() == 'Z') && !wordStart) {
            out += cp == lower ? "gh" : "Gh";
        } else if (l) {
            std::string lat = (wordStart && l->atStart) ? l->atStart : l->latin;
            if (cp != lower && !lat.empty()) {
                lat[0] = char(lat[0] - 'a' + 'A');
                // A whole word in capitals keeps capitals.
                size_t j = i;
                if (j < s.size()) {
                    const char32_t next = zrx_utf8::decode(s, j);
                    if (next != zrx_utf8::toLower(next))
                        for (char& c : lat) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
                }
            }
            out += lat;
        } else {
            zrx_utf8::append(out, cp);
        }
        wordStart = !(l || isLetter(cp));
    }
    return TCString(out);
}

TCString safeFileName(const char* text, const char* ext) {
    std::string out;
    const std::string_view s(text ? text : "");
    for (size_t i = 0; i < s.size();) {
        const char32_t cp = zrx_utf8::decode(s, i);
        // Path separators, and whatever a shell would read as something else
        // than a letter of the name (blanks, quotes, globs, comments,
        // variables, redirections, history).
        const bool special = cp < 0x80 && std::strchr("/\\: \t\n!\"#$%&'()*;<>?[]^`{|}~", int(cp)) != nullptr;
        if (cp < 0x20 || cp == 0x7F || cp == 0xFFFD || special) out += '_';
        else zrx_utf8::append(out, cp);
    }
    // No hidden files, no "." or ".." names.
    size_t dots = 0;
    while (dots < out.size() && out[dots] == '.') ++dots;
    out.erase(0, dots);
    if (out.find_first_not_of('_') == std::string::npos) out = "noname";
    if (ext && *ext) {
        if (*ext != '.') out += '.';
        out += ext;
    }
    return TCString(out);
}

TCString uaTranslitFileName(const char* text, const char* ext) {
    return safeFileName(uaTranslit(text).trim().c_str(), ext);
}
