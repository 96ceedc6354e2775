// String helpers of the HTML component, on its UTF-16 strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

void AppendCharToString(std::u16string& S, char16_t Ch);
// Does nothing for an empty T.
void AppendStringToString(std::u16string& S, std::u16string_view T);
// Ordinal, case-sensitive: negative, zero or positive.
int CompareStrings(std::u16string_view A, std::u16string_view B);
// Full Unicode case mapping of the whole string.
std::u16string LowerCaseString(std::u16string_view S);
std::u16string UpperCaseString(std::u16string_view S);
// Without the characters up to U+0020 at both ends.
std::u16string TrimString(std::u16string_view S);
// Case-sensitive; an empty prefix or suffix always matches.
bool StringStartsWith(std::u16string_view Prefix, std::u16string_view S);
bool StringEndsWith(std::u16string_view Suffix, std::u16string_view S);

// Byte-pointer arithmetic for image code.
inline std::ptrdiff_t PtrSub(const void* P1, const void* P2) {
    return static_cast<const uint8_t*>(P1) - static_cast<const uint8_t*>(P2);
}
inline void* PtrAdd(void* P, std::ptrdiff_t Offset) { return static_cast<uint8_t*>(P) + Offset; }
inline const void* PtrAdd(const void* P, std::ptrdiff_t Offset) { return static_cast<const uint8_t*>(P) + Offset; }
template <class T> void PtrInc(T*& P, std::ptrdiff_t Offset) {
    P = reinterpret_cast<T*>(reinterpret_cast<uintptr_t>(P) + Offset);
}
