#pragma once
// A password or PIN held in memory: its bytes are overwritten when it is
// replaced, cleared or destroyed, and it never lives in a string's inline
// buffer (which no one would wipe).
#include <cstddef>
#include <string>

class TCSecretString {
public:
    TCSecretString();
    explicit TCSecretString(const char* text);
    TCSecretString(const TCSecretString& other);
    TCSecretString& operator=(const TCSecretString& other);
    ~TCSecretString();

    void assign(const char* text);
    void assign(const char* text, size_t len);
    // Overwrites the bytes and empties the string.
    void wipe();

    const char* c_str() const { return s_.c_str(); }
    size_t length() const { return s_.size(); }
    bool empty() const { return s_.empty(); }
    bool operator==(const char* text) const { return s_ == (text ? text : ""); }

private:
    std::string s_;
};

// Overwrites n bytes so that the compiler cannot drop the writes.
void secretWipe(void* p, size_t n);
