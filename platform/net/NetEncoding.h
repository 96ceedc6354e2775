#pragma once
// Base64 (RFC 4648 alphabet with padding), standing in for the framework's
// Base64 encoding class. The encoder breaks lines after charsPerLine
// characters with the given separator; 0 or an empty separator gives one
// unbroken line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TBase64Encoding {
public:
    explicit TBase64Encoding(int charsPerLine = 76, std::string lineSeparator = "\r\n")
        : charsPerLine_(charsPerLine), lineSeparator_(std::move(lineSeparator)) {}

    std::string EncodeBytesToString(const void* data, size_t length) const;
    std::string Encode(std::string_view bytes) const { return EncodeBytesToString(bytes.data(), bytes.size()); }

    // Strict decoding: white space (line breaks included) is skipped, padding
    // may be left out, anything else outside the alphabet is refused.
    // Answers false (and leaves out empty) on refused input.
    static bool Decode(std::string_view text, std::vector<uint8_t>& out);
    // Decoded bytes, empty when the text is empty or not Base64.
    static std::vector<uint8_t> DecodeStringToBytes(std::string_view text);

private:
    int charsPerLine_;
    std::string lineSeparator_;
};
