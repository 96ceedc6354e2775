#include "platform/net/StringStream.h"

#include <algorithm>
#include <cstring>

void TStringStream::WriteString(std::string_view text) { Write(text.data(), text.size()); }

size_t TStringStream::Write(const void* buffer, size_t count) {
    if (!buffer || !count) return 0;
    if (pos_ + count > data_.size()) data_.resize(pos_ + count);
    std::memcpy(data_.data() + pos_, buffer, count);
    pos_ += count;
    return count;
}

size_t TStringStream::Read(void* buffer, size_t count) {
    if (!buffer || pos_ >= data_.size()) return 0;
    const size_t n = std::min(count, data_.size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

std::string TStringStream::ReadString() {
    std::string out = pos_ < data_.size() ? data_.substr(pos_) : std::string();
    pos_ = data_.size();
    return out;
}

void TStringStream::SetSize(int64_t size) {
    data_.resize(size > 0 ? static_cast<size_t>(size) : 0);
    pos_ = std::min(pos_, data_.size());
}

void TStringStream::SetPosition(int64_t pos) { pos_ = pos <= 0 ? 0 : std::min(static_cast<size_t>(pos), data_.size()); }
