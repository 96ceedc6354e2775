#pragma once
// The owner-parameter dialog's field rules as plain functions of texts and
// flags: what the accept button, the mode boxes, the destination, the e-mail,
// length and required checks, the name coupling, the service serial numbers
// and the identity-card field decide. The dialog applies them to its editors.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/TCString.h"

namespace userparms {

// "Принять": always without the password group; with it, the trimmed
// password has at least minLength characters and, when the confirmation is
// shown, both texts are equal as typed. The texts are only looked at.
bool acceptEnabled(bool passwordShown, std::string_view password, bool confirmShown, std::string_view confirm,
                   int minLength);
// The password without the blanks around it, as the dialog hands it on: a
// view into the text given, so no copy of the password is made.
std::string_view trimmedPassword(std::string_view password);

// The generation modes into the maker flags (0x400 start certificate, 0x100
// signature keys, 0x200 key-agreement keys); hidden boxes mean signature
// keys only. keysChosen is false when neither key kind is left.
struct ModeFlags {
    unsigned flags;
    bool keysChosen;
};
ModeFlags applyModes(unsigned makerFlags, bool boxesShown, bool startCert, bool signKeys, bool kaKeys);

// The destination texts that are refused before the location frame is asked.
enum class PathRefusal { None, Empty, NoMedium };
PathRefusal checkPathText(const char* pathText, bool isFileContainer);
// True when the container is the administrator's (letter case aside).
bool isAdminContainer(const char* containerPath, const char* adminCtxName);

// The password labels by media type: "PIN-код носителя" for devices,
// "Пароль" for files; the confirmation only for files and HSM tokens.
const char* passwordLabelFor(uint32_t mediaType);
bool confirmShownFor(uint32_t mediaType);

// E-mail: empty passes; otherwise more than 2 characters with exactly one
// "@", neither first nor last, and no character above "z" (the first such
// character, whole, goes into badChar).
enum class EmailVerdict { Ok, Malformed, BadChar };
EmailVerdict checkEmailText(const std::string& value, std::string* badChar);
// The trimmed value has at most maxChars characters.
bool lengthFits(const std::string& value, int maxChars);
// The field name in a required-field message from its label's caption: the
// last character goes, and a "*" before it too.
std::string requiredFieldCaption(const std::string& labelCaption);
// The alternatives' message argument: the field's caption, then "," and
// each alternative's caption.
std::string alternativesCaption(const std::string& caption, const std::vector<std::string>& alternatives);

// The common name from surname and given names.
std::string composeCommonName(const std::string& surname, const std::string& givenNames);
// The common name split at its first blank: the surname is the part before
// it (all of it without a blank), the given names the part after (empty
// when there is none).
void splitCommonName(const std::string& commonName, std::string& surname, std::string& givenNames);

// Service profiles whose serial number names the service's token: 20 time
// stamps ("TSA"), 21 OCSP ("OCSP"), 22 CMP ("CMP"); null for others.
const char* serviceTokenPrefix(int profileId);
// The serial number with the profile's digit (1, 2, 3 for 20, 21, 22) as
// the fourth character after its last "-" (when it has four); unchanged for
// other profiles.
std::string serialWithProfileDigit(int profileId, const std::string& value);
// The token label of a service serial number: the prefix and the text from
// its third character on; empty for other profiles or shorter texts.
std::string serviceTokenLabel(int profileId, const std::string& serial);

// Characters the surname and given-name fields take: letters (Latin,
// Russian and Ukrainian), blank, double quote, apostrophe, hyphen, full stop,
// and the editing controls copy, backspace, paste and cut.
bool nameKeyAllowed(char32_t c);
// A pasted or typed text without the characters the name fields refuse.
std::string filterNameText(const std::string& text);

// The identity-card number mask the document field takes while the record
// number is filled, and the field's label then.
inline constexpr const char* kIdCardMask = "!999999999;0;_";
std::string idCardLabel(bool required);

// The field names whose first letter is made upper case when their page is left.
bool isCapitalisedField(const char* name);
std::string capitaliseFirst(const std::string& text);

// The taxpayer code proposed from a document number: transliterated, upper case.
std::string drfouFromDocument(const std::string& documentNumber);

}  // namespace userparms
