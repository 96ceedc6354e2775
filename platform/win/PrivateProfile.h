#pragma once
// Private-profile (INI) files with the Windows semantics: section and key
// names compare without regard to case (Cyrillic too), the section named by
// the empty text is "[]" (keys above the first section header belong to it),
// values are trimmed and lose one pair of enclosing quotes on read, and a
// write keeps every other line of the file (comments, blank lines, other
// keys). The file and its folder are created when missing. Every write
// replaces the file atomically (temporary file, fsync, rename), so a crash
// leaves either the old file or the new one; concurrent writers are
// serialised with a lock on the file.
// Lines are read by the one INI reader of the system (platform/runtime/IniText.h).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The Windows functions. Sizes are in bytes of the caller's buffer; texts are UTF-8.
uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText, char* buffer,
                                  uint32_t size, const char* fileName);
uint32_t GetPrivateProfileIntA(const char* section, const char* key, int32_t defaultValue, const char* fileName);
uint32_t GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size, const char* fileName);
uint32_t GetPrivateProfileSectionNamesA(char* buffer, uint32_t size, const char* fileName);
// A null value deletes the key; a null key deletes the section.
int WritePrivateProfileStringA(const char* section, const char* key, const char* value, const char* fileName);
int GetPrivateProfileStructA(const char* section, const char* key, void* data, uint32_t size, const char* fileName);
// Null data deletes the key.
int WritePrivateProfileStructA(const char* section, const char* key, const void* data, uint32_t size,
                               const char* fileName);

namespace zrx::win {

// The value of a key; false when the file, the section or the key is missing
// (an empty value gives true and an empty text).
bool profileRead(const std::string& file, std::string_view section, std::string_view key, std::string& value);
// Writes one key. A value with blanks at either end, or enclosed in quotes,
// is written in quotes so that it reads back unchanged. False when the file cannot be written, or for a name or
// value that cannot be stored in a line (line breaks, '=' in a key, ']' in a
// section name, a key that would read as a comment or a section header).
bool profileWrite(const std::string& file, std::string_view section, std::string_view key, std::string_view value);
// One change of a key: a value to write, or none to remove the key.
using ProfileKeyChange = std::pair<std::string, std::optional<std::string>>;
// Several keys of a section in one atomic replacement of the file: every
// change or none. False, with the file unchanged, when any name or value
// cannot be stored (as for profileWrite) or the file cannot be written.
bool profileWriteKeys(const std::string& file, std::string_view section, const std::vector<ProfileKeyChange>& changes);
bool profileDeleteKey(const std::string& file, std::string_view section, std::string_view key);
bool profileDeleteSection(const std::string& file, std::string_view section);
// The struct form: two upper-case hexadecimal digits per byte and a
// checksum byte (the byte sum mod 256). Reading succeeds only when the
// stored block has exactly `size` bytes and its checksum matches.
bool profileReadStruct(const std::string& file, std::string_view section, std::string_view key, void* data,
                       size_t size);
bool profileWriteStruct(const std::string& file, std::string_view section, std::string_view key, const void* data,
                        size_t size);
std::string encodeProfileStruct(const void* data, size_t size);
bool decodeProfileStruct(std::string_view text, void* data, size_t size);

// True when the section exists and holds at least one key.
bool profileSectionHasKeys(const std::string& file, std::string_view section);
bool profileSectionExists(const std::string& file, std::string_view section);
// Names of the sections, in file order (the first spelling of each).
std::vector<std::string> profileSectionNames(const std::string& file);
// Keys with their (trimmed, unquoted) values, in file order.
std::vector<std::pair<std::string, std::string>> profileSectionValues(const std::string& file,
                                                                      std::string_view section);
// The section's lines other than comments and blank lines, trimmed, as written.
std::vector<std::string> profileSectionLines(const std::string& file, std::string_view section);

// Test hook: called after the new content is written and synced to the
// temporary file, just before it replaces the target.
using ProfileCommitHook = void (*)(const std::string& tempFile, const std::string& target);
void setProfileCommitHook(ProfileCommitHook hook);

}  // namespace zrx::win
