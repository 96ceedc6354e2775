#pragma once
// Character references ("&amp;", "&#233;", "&#xE9;") as HTML text and
// attribute values carry them, decoded from a stream of characters or from a
// string. Numbers saturate while they are read, and values the component's
// UTF-16 text cannot hold as one unit (above U+FFFF, and lone surrogate
// halves) become U+FFFD, so no reference can make a surrogate pair.
#include <cstdint>
#include <string>
#include <string_view>

// Where a reference is read from: the current character (0 at the end) and a
// step to the next one.
class ThtCharSource {
public:
    virtual ~ThtCharSource() = default;
    virtual char16_t Current() const = 0;
    virtual void Advance() = 0;
};

// Reads one reference with Source at its "&" and returns its text: the
// decoded character (a matching entity name's prefix leaves the rest of the
// name after it), or the literal text read when nothing decodes. Source is
// left at the first character after the reference. CodePage serves the
// numeric references 127 to 159, which name bytes of that code page.
std::u16string ReadCharReference(ThtCharSource& Source, int CodePage);

// The text of a reference's code: 9 a blank, other codes below 32 "?", a
// numeric 127 to 159 the byte of the code page (the number itself when the
// code page has no character for it).
std::u16string CharCodeToText(int64_t Code, bool Numeric, int CodePage);

// Text with its references decoded and every other character kept as it is;
// the text ends at its end or at a NUL.
std::u16string DecodeCharReferences(std::u16string_view Text, int CodePage);
