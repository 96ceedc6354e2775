#pragma once
// 8-bit text of the runtime library. The platform's 8-bit code page is UTF-8:
// lengths are bytes, charCount() counts characters, case operations know
// Latin (incl. Latin-1) and Cyrillic (incl. Ukrainian letters).
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#if defined(__GNUC__)
#define ZRX_PRINTF(fmtIndex, firstArg) __attribute__((format(printf, fmtIndex, firstArg)))
#else
#define ZRX_PRINTF(fmtIndex, firstArg)
#endif

class TCString {
public:
    static constexpr size_t npos = std::string::npos;

    TCString() = default;
    TCString(const char* text) : s_(text ? text : "") {}
    TCString(const char* text, size_t len) : s_(text ? std::string(text, len) : std::string()) {}
    TCString(const std::string& text) : s_(text) {}
    TCString(std::string&& text) : s_(std::move(text)) {}
    TCString(std::string_view text) : s_(text) {}
    // The number as text in the given base (2..36; base 16 gives upper-case digits).
    TCString(int64_t value, int base);
    TCString(const TCString&) = default;
    TCString(TCString&&) noexcept = default;
    TCString& operator=(const TCString&) = default;
    TCString& operator=(TCString&&) noexcept = default;
    TCString& operator=(const char* text) {
        s_ = text ? text : "";
        return *this;
    }
    TCString& operator=(const std::string& text) {
        s_ = text;
        return *this;
    }
    TCString& operator=(std::string_view text) {
        s_ = text;
        return *this;
    }
    virtual ~TCString() = default;

    // Text access: never null.
    const char* c_str() const { return s_.c_str(); }
    const char* ptr() const { return s_.c_str(); }
    char* data() { return s_.data(); }
    const std::string& str() const { return s_; }
    std::string& str() { return s_; }
    std::string_view view() const { return s_; }
    size_t length() const { return s_.size(); }
    size_t charCount() const;
    bool isEmpty() const { return s_.empty(); }
    void clear() { s_.clear(); }
    char at(size_t i) const { return i < s_.size() ? s_[i] : '\0'; }

    // Room for n bytes of writing through data(); the length becomes n (zero filled).
    char* allocate(size_t n);
    // Sets the length after writing through data(); npos: up to the first NUL.
    void setLength(size_t n = npos);

    TCString& assign(const char* text, size_t len) {
        s_.assign(text ? text : "", text ? len : 0);
        return *this;
    }

    // printf-style formatting of any length (replace / append).
    TCString& printf(const char* fmt, ...) ZRX_PRINTF(2, 3);
    TCString& vprintf(const char* fmt, va_list args);
    TCString& appendf(const char* fmt, ...) ZRX_PRINTF(2, 3);
    TCString& cat_printf(const char* fmt, ...) ZRX_PRINTF(2, 3);
    TCString& vappendf(const char* fmt, va_list args);
    static TCString format(const char* fmt, ...) ZRX_PRINTF(1, 2);
    static TCString vformat(const char* fmt, va_list args);

    TCString& operator+=(const TCString& t) {
        s_ += t.s_;
        return *this;
    }
    TCString& operator+=(const char* t) {
        if (t) s_ += t;
        return *this;
    }
    TCString& operator+=(const std::string& t) {
        s_ += t;
        return *this;
    }
    TCString& operator+=(char c) {
        s_ += c;
        return *this;
    }

    // Byte-wise comparison (<0, 0, >0) and the case-insensitive one.
    int compare(const char* t) const;
    int compare(const TCString& t) const { return compare(t.c_str()); }
    int compareIC(const char* t) const;
    int compareIC(const TCString& t) const { return compareIC(t.c_str()); }
    bool equalsIC(const char* t) const { return compareIC(t) == 0; }
    bool startsWith(const char* t) const;
    bool startsWithIC(const char* t) const;
    bool endsWith(const char* t) const;

    // Byte index of the text from byte `from` on, -1 when absent.
    int pos(const char* t, size_t from = 0) const;
    int pos(char c, size_t from = 0) const;
    int posIC(const char* t, size_t from = 0) const;
    int lastPos(char c) const;

    // In-place edits answering *this.
    // Capacity hint; the text is unchanged.
    void reserve(size_t n) { s_.reserve(n); }
    TCString& trim();
    TCString& trimLeft();
    TCString& trimRight();
    TCString& upper();
    TCString& lower();
    TCString& substChar(char from, char to);
    TCString& removeChar(char c);
    TCString& replaceAll(const char* from, const char* to);
    // Copies in another case.
    TCString toUpper() const {
        TCString t(*this);
        t.upper();
        return t;
    }
    TCString toLower() const {
        TCString t(*this);
        t.lower();
        return t;
    }

    TCString sub(size_t from, size_t len = npos) const;
    // Parts around a character. When it is absent: before* answer the whole
    // text and after* answer an empty text.
    TCString beforeLast(char c) const;
    TCString afterLast(char c) const;
    TCString beforeFirst(char c) const;
    TCString afterFirst(char c) const;
    // "name = value": the trimmed parts before and after the first '='
    // (no '=': the whole trimmed text is the name, the value is empty).
    TCString name() const;
    TCString value() const;

    // Numbers. The text is trimmed; a "0x" prefix is accepted for base 16
    // (and base 0 picks the base from the prefix). Not a number: def.
    int32_t asInt(int base = 10, int32_t def = 0) const;
    uint32_t asUInt(int base = 10, uint32_t def = 0) const;
    int64_t asInt64(int base = 10, int64_t def = 0) const;
    uint64_t asUInt64(int base = 10, uint64_t def = 0) const;
    double asDouble(double def = 0.0) const;
    // The same, answering false when the text is no number (out untouched).
    bool asInt(int32_t* out, int base = 10) const;
    bool asUInt(uint32_t* out, int base = 10) const;
    bool asInt64(int64_t* out, int base = 10) const;
    bool isNumber(int base = 10) const;

    // Hex text (spaces and ':' between bytes allowed) to bytes; the buffer is
    // zero filled first. Answers the bytes written, -1 for a bad digit.
    int asBuffer(void* buf, size_t size) const;
    static TCString hexOf(const void* data, size_t len, bool upperCase = true);

    // Base64 of the content / of bytes; decoding answers false on bad input.
    TCString toBase64() const;
    static TCString base64Of(const void* data, size_t len);
    bool fromBase64(std::string& out) const;
    // size: buffer size in, decoded size out; false when bad or too small.
    bool fromBase64(void* buf, size_t* size) const;

    // UTF-16 forms (invalid UTF-8 bytes become U+FFFD).
    std::u16string toUtf16() const;
    static TCString fromUtf16(std::u16string_view w);

    // The attached number or object.
    uintptr_t object() const { return obj_; }
    void setObject(uintptr_t o) { obj_ = o; }
    void setObject(const void* p) { obj_ = reinterpret_cast<uintptr_t>(p); }
    template <class T> T* objectAs() const { return reinterpret_cast<T*>(obj_); }

    friend TCString operator+(const TCString& a, const TCString& b) {
        TCString r(a.s_ + b.s_);
        return r;
    }
    friend TCString operator+(const TCString& a, const char* b) {
        TCString r(a);
        r += b;
        return r;
    }
    friend TCString operator+(const char* a, const TCString& b) {
        TCString r(a);
        r += b;
        return r;
    }
    friend bool operator==(const TCString& a, const TCString& b) { return a.s_ == b.s_; }
    friend bool operator==(const TCString& a, const char* b) { return a.compare(b) == 0; }
    friend bool operator!=(const TCString& a, const TCString& b) { return a.s_ != b.s_; }
    friend bool operator!=(const TCString& a, const char* b) { return a.compare(b) != 0; }
    friend bool operator<(const TCString& a, const TCString& b) { return a.s_ < b.s_; }
    friend bool operator<(const TCString& a, const char* b) { return a.compare(b) < 0; }

private:
    std::string s_;
    uintptr_t obj_ = 0;
};

// Printing (tests, diagnostics).
std::ostream& operator<<(std::ostream& os, const TCString& s);

// A TCString built from a format.
class TCFString : public TCString {
public:
    explicit TCFString(const char* fmt, ...) ZRX_PRINTF(2, 3);
};

// UTF-8 helpers shared by the runtime.
namespace zrx_utf8 {
// Next code point at i (advances i); invalid bytes give U+FFFD and one byte.
char32_t decode(std::string_view s, size_t& i);
void append(std::string& out, char32_t cp);
char32_t toLower(char32_t cp);
char32_t toUpper(char32_t cp);
// Case-insensitive comparison of two UTF-8 texts (<0, 0, >0).
int compareIC(std::string_view a, std::string_view b);
size_t charCount(std::string_view s);
// Byte length of the first n characters.
size_t bytesOfChars(std::string_view s, size_t n);
// Byte length of the longest prefix of at most maxBytes that does not end
// inside a UTF-8 sequence.
size_t cutBytes(std::string_view s, size_t maxBytes);
// Copies s into buf of size bytes, cut at a character boundary and always
// NUL terminated; answers the bytes copied without the NUL. Nothing is written
// when buf is null or size is 0.
size_t copyCut(std::string_view s, char* buf, size_t size);
}  // namespace zrx_utf8

// UTF-8 to UTF-16 into a buffer of bufSize units (NUL terminated, cut to fit);
// answers the units written without the NUL.
int ch2wc(const char* text, char16_t* buf, int bufSize);
// UTF-16 to UTF-8.
TCString wc2ch(const char16_t* text, int len = -1);
