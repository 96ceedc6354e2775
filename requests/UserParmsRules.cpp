#include "requests/UserParmsRules.h"

#include "platform/runtime/TCStringList.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/Translit.h"
#include "platform/x509api/ZrX509Api.h"
#include "requests/MakerFlags.h"

namespace userparms {

namespace {

std::u32string codePoints(const std::string& s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) out += zrx_utf8::decode(s, i);
    return out;
}

std::string utf8(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) zrx_utf8::append(out, c);
    return out;
}

std::string trimmed(const std::string& s) { return TCString(s).trim().str(); }

}  // namespace

std::string_view trimmedPassword(std::string_view password) {
    while (!password.empty() && static_cast<unsigned char>(password.front()) <= ' ') password.remove_prefix(1);
    while (!password.empty() && static_cast<unsigned char>(password.back()) <= ' ') password.remove_suffix(1);
    return password;
}

bool acceptEnabled(bool passwordShown, std::string_view password, bool confirmShown, std::string_view confirm,
                   int minLength) {
    if (!passwordShown) return true;
    if (int(zrx_utf8::charCount(trimmedPassword(password))) < minLength) return false;
    return !confirmShown || password == confirm;
}

ModeFlags applyModes(unsigned makerFlags, bool boxesShown, bool startCert, bool signKeys, bool kaKeys) {
    unsigned f = makerFlags;
    auto put = [&f](unsigned bit, bool on) { f = on ? (f | bit) : (f & ~bit); };
    if (boxesShown) {
        put(kRpmStartCert, startCert);
        put(kRpmSignKeys, signKeys);
        put(kRpmKAKeys, kaKeys);
    } else {
        put(kRpmSignKeys, true);
    }
    return ModeFlags{f, (f & (kRpmSignKeys | kRpmKAKeys)) != 0};
}

PathRefusal checkPathText(const char* pathText, bool isFileContainer) {
    const std::string text = trimmed(pathText ? pathText : "");
    if (text.empty()) return PathRefusal::Empty;
    if (zrx_utf8::charCount(text) <= 2 && !isFileContainer) return PathRefusal::NoMedium;
    return PathRefusal::None;
}

bool isAdminContainer(const char* containerPath, const char* adminCtxName) {
    // Without a configured name there is no administrator's container to guard.
    if (!adminCtxName || !*adminCtxName || !containerPath) return false;
    return zrx_utf8::compareIC(containerPath, adminCtxName) == 0;
}

const char* passwordLabelFor(uint32_t mediaType) { return mediaType != kMediaFile ? "PIN-код носителя" : "Пароль"; }

bool confirmShownFor(uint32_t mediaType) { return mediaType == kMediaFile || mediaType == kMediaHsmToken; }

EmailVerdict checkEmailText(const std::string& value, std::string* badChar) {
    const std::u32string text = codePoints(trimmed(value));
    if (text.empty()) return EmailVerdict::Ok;
    const size_t at = text.find(U'@');
    if (text.size() <= 2 || at == std::u32string::npos || text.find(U'@', at + 1) != std::u32string::npos || at == 0 ||
        at == text.size() - 1)
        return EmailVerdict::Malformed;
    // Characters, not bytes: any script above "z" is refused, and the
    // message shows the whole character.
    for (char32_t c : text)
        if (c > U'z') {
            if (badChar) *badChar = utf8(std::u32string(1, c));
            return EmailVerdict::BadChar;
        }
    return EmailVerdict::Ok;
}

bool lengthFits(const std::string& value, int maxChars) { return int(zrx_utf8::charCount(trimmed(value))) <= maxChars; }

std::string requiredFieldCaption(const std::string& labelCaption) {
    std::u32string text = codePoints(labelCaption);
    if (!text.empty()) text.pop_back();
    if (!text.empty() && text.back() == U'*') text.pop_back();
    return utf8(text);
}

std::string alternativesCaption(const std::string& caption, const std::vector<std::string>& alternatives) {
    std::string out = caption;
    for (const std::string& a : alternatives) out += "," + a;
    return out;
}

std::string composeCommonName(const std::string& surname, const std::string& givenNames) {
    return surname + " " + givenNames;
}

void splitCommonName(const std::string& commonName, std::string& surname, std::string& givenNames) {
    const size_t blank = commonName.find(' ');
    if (blank == std::string::npos) {
        surname = commonName;
        givenNames.clear();
        return;
    }
    surname = commonName.substr(0, blank);
    givenNames = commonName.substr(blank + 1);
}

const char* serviceTokenPrefix(int profileId) {
    switch (profileId) {
    case 20: return "TSA";
    case 21: return "OCSP";
    case 22: return "CMP";
    default: return nullptr;
    }
}

std::string serialWithProfileDigit(int profileId, const std::string& value) {
    if (!serviceTokenPrefix(profileId)) return value;
    std::u32string text = codePoints(value);
    const size_t dash = text.rfind(U'-');
    if (dash == std::u32string::npos || text.size() - dash - 1 < 4) return value;
    text[dash + 4] = char32_t(U'0' + (profileId - 19));
    return utf8(text);
}

std::string serviceTokenLabel(int profileId, const std::string& serial) {
    const char* prefix = serviceTokenPrefix(profileId);
    const std::u32string text = codePoints(serial);
    if (!prefix || text.size() < 3) return std::string();
    return prefix + utf8(text.substr(2));
}

bool nameKeyAllowed(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z')) return true;
    if (c >= 0x0410 && c <= 0x044F) return true;
    switch (c) {
    case U'Ё':
    case U'ё':
    case U'Є':
    case U'є':
    case U'І':
    case U'і':
    case U'Ї':
    case U'ї':
    case U'Ґ':
    case U'ґ':
    case U' ':
    case U'"':
    case U'\'':
    case U'-':
    case U'.':
    case 3:
    case 8:
    case 22:
    case 24: return true;
    default: return false;
    }
}

std::string filterNameText(const std::string& text) {
    std::u32string kept;
    for (char32_t c : codePoints(text))
        if (nameKeyAllowed(c) && c >= U' ') kept += c;
    return utf8(kept);
}

std::string idCardLabel(bool required) {
    std::string label = zrnTranslateString("№ ID-карты").str();
    if (required) label += "*";
    return label;
}

bool isCapitalisedField(const char* name) {
    TCStringList names;
    names.assignText("o,ou,title", ',');
    return name && names.find(name, true) >= 0;
}

std::string capitaliseFirst(const std::string& text) {
    std::u32string cps = codePoints(text);
    if (cps.empty()) return text;
    cps[0] = zrx_utf8::toUpper(cps[0]);
    return utf8(cps);
}

std::string drfouFromDocument(const std::string& documentNumber) {
    return uaTranslit(documentNumber.c_str()).upper().str();
}

}  // namespace userparms
