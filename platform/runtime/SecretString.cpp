#include "platform/runtime/SecretString.h"

#include <cstring>

namespace {
// Longer than any inline buffer: the text always lives on the heap, where
// wipe reaches every byte it ever held.
constexpr size_t kHeapCapacity = 160;
}  // namespace

void secretWipe(void* p, size_t n) {
    volatile unsigned char* b = static_cast<volatile unsigned char*>(p);
    while (n--) *b++ = 0;
}

TCSecretString::TCSecretString() { s_.reserve(kHeapCapacity); }

TCSecretString::TCSecretString(const char* text) : TCSecretString() { assign(text); }

TCSecretString::TCSecretString(const TCSecretString& other) : TCSecretString() {
    assign(other.c_str(), other.length());
}

TCSecretString& TCSecretString::operator=(const TCSecretString& other) {
    if (this != &other) assign(other.c_str(), other.length());
    return *this;
}

TCSecretString::~TCSecretString() { wipe(); }

void TCSecretString::assign(const char* text) { assign(text, text ? std::strlen(text) : 0); }

void TCSecretString::assign(const char* text, size_t len) {
    wipe();
    if (!text) return;
    // Growing would free the old buffer unwiped: grow an empty, wiped one.
    if (len > s_.capacity()) s_.reserve(len);
    s_.assign(text, len);
}

void TCSecretString::wipe() {
    // Within the capacity resizing never moves the buffer.
    s_.resize(s_.capacity());
    secretWipe(s_.data(), s_.size());
    s_.clear();
}
