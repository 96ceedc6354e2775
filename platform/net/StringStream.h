#pragma once
// A byte stream held in memory whose text is UTF-8, standing in for the
// framework's string stream with UTF-8 encoding. Text on this platform is
// UTF-8 already, so writing and reading text moves the bytes unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class TStringStream {
public:
    TStringStream() = default;
    explicit TStringStream(std::string_view text) : data_(text) {}

    // Appends text at the current position (overwriting what lies there).
    void WriteString(std::string_view text);
    // Raw bytes, same rule as WriteString.
    size_t Write(const void* buffer, size_t count);
    // Reads up to count bytes from the current position.
    size_t Read(void* buffer, size_t count);
    // Text from the current position to the end.
    std::string ReadString();

    const std::string& DataString() const { return data_; }
    const char* Memory() const { return data_.data(); }
    int64_t Size() const { return static_cast<int64_t>(data_.size()); }
    // Truncates or extends (with zero bytes); the position stays within the data.
    void SetSize(int64_t size);
    void Clear() {
        data_.clear();
        pos_ = 0;
    }

    int64_t Position() const { return static_cast<int64_t>(pos_); }
    void SetPosition(int64_t pos);

private:
    std::string data_;
    size_t pos_ = 0;
};
