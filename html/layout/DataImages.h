#pragma once
// Pictures written into the page itself: "data:image/<type>;base64,<data>"
// addresses. Only Base64 in its strict form is accepted (the alphabet of
// RFC 4648, padding only at the end, whole groups of four, no stray bits
// under the padding); line feeds,
// which pages write as "%0A", may stand anywhere in it.
#include <cstdint>
#include <string_view>
#include <vector>

// The name begins with exactly "data:image/" (letter case counts).
bool IsDataImageAddress(std::u16string_view Name);
// The decoded bytes of a data address; false when it carries no ";base64,"
// part after its type or its Base64 is not valid.
bool DataImageBytes(std::u16string_view Name, std::vector<uint8_t>& Bytes);
// Strict Base64; line feeds and carriage returns are passed over.
bool DecodeBase64Strict(std::u16string_view Text, std::vector<uint8_t>& Bytes);
