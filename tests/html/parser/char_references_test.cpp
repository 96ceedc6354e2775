#include <gtest/gtest.h>

#include <string>

#include "html/parser/CharReferences.h"
#include "html/parser/ParserFixture.h"

namespace {

using htmltext::toUtf8;
using parsertest::Tokenizer;

struct ReferenceCase {
    const char16_t* text;
    int codePage;
    const char16_t* decoded;
};

// Each case decodes the same in a text run, in an attribute value and in a
// string (as a title is decoded).
const ReferenceCase kCases[] = {
    {u"&amp;", 1252, u"&"},
    {u"&lt;b&gt;", 1252, u"<b>"},
    {u"&eacute;t&eacute;", 1252, u"été"},
    // Names are case-sensitive.
    {u"&Eacute;", 1252, u"É"},
    {u"&AMP;", 1252, u"&AMP;"},
    // Without ";" only names of codes up to 255 decode.
    {u"&copy 2024", 1252, u"© 2024"},
    {u"&amp", 1252, u"&"},
    {u"&euro", 1252, u"&euro"},
    {u"&euro;", 1252, u"€"},
    // A name no entity has: its longest prefix that is one, then the rest.
    {u"&ampx", 1252, u"&x"},
    {u"&ampx;", 1252, u"&x;"},
    {u"&notit;", 1252, u"¬it;"},
    {u"&eurox", 1252, u"€x"},
    {u"&xyz;", 1252, u"&xyz;"},
    {u"&a;", 1252, u"&a;"},
    {u"& b", 1252, u"& b"},
    {u"&;", 1252, u"&;"},
    // At most 11 name characters are read.
    {u"&abcdefghijklmno;", 1252, u"&abcdefghijklmno;"},
    // Numbers, decimal and hexadecimal, with or without ";".
    {u"&#65;", 1252, u"A"},
    {u"&#65B", 1252, u"AB"},
    {u"&#x41;", 1252, u"A"},
    {u"&#X6a;", 1252, u"j"},
    {u"&#x41g;", 1252, u"Ag;"},
    {u"&#1046;", 1252, u"Ж"},
    {u"&#;", 1252, u"&#;"},
    {u"&#x;", 1252, u"&#x;"},
    {u"&#xg", 1252, u"&#xg"},
    // Tabs become blanks and the other control characters question marks.
    {u"&#9;", 1252, u" "},
    {u"&#0;&#7;&#31;", 1252, u"???"},
    // 127 to 159 are bytes of the code page; without a character there, the number itself.
    {u"&#150;", 1252, u"\u2013"},
    {u"&#150;", 1251, u"\u2013"},
    {u"&#136;", 1251, u"\u20AC"},
    {u"&#129;", 1252, u"\u0081"},
    {u"&#150;", 0, u"\u0096"},    // UTF-8 here: no character of one byte
    {u"&#150;", 932, u"\u0096"},  // a lead byte alone
    {u"&#x96;", 1252, u"\u2013"},
    // Nothing above U+FFFF fits one unit, and no number overflows.
    {u"&#65601;", 1252, u"\uFFFD"},
    {u"&#x1F600;", 1252, u"\uFFFD"},
    {u"&#1234567890123456789012345678901234567890;", 1252, u"\uFFFD"},
    {u"&#xFFFFFFFFFFFFFFFFFFFFFFFF41;", 1252, u"\uFFFD"},
    {u"&#65535;", 1252, u"\uFFFF"},
    // Surrogate halves never pair up into a character.
    {u"&#xD83D;&#xDE00;", 1252, u"\uFFFD\uFFFD"},
};

TEST(CharReferences, InTextRuns) {
    for (const auto& c : kCases) {
        Tokenizer t(std::u16string(u"<p>[") + c.text + u"]", nullptr, c.codePage);
        t.parser.Next();
        t.parser.Next();
        EXPECT_EQ(t.parser.LCToken->S(), std::u16string(u"[") + c.decoded + u"]") << toUtf8(c.text);
    }
}

TEST(CharReferences, InAttributeValues) {
    for (const auto& c : kCases) {
        Tokenizer t(std::u16string(u"<img alt=\"") + c.text + u"\">", nullptr, c.codePage);
        t.parser.Next();
        ASSERT_EQ(t.parser.Attributes->Count(), 1) << toUtf8(c.text);
        EXPECT_EQ(t.parser.Attributes->GetAttribute(0)->Name, c.decoded) << toUtf8(c.text);
    }
}

TEST(CharReferences, InStrings) {
    for (const auto& c : kCases) EXPECT_EQ(DecodeCharReferences(c.text, c.codePage), c.decoded) << toUtf8(c.text);
    // Plain text is kept as it is, white space included; a NUL ends it.
    EXPECT_EQ(DecodeCharReferences(u"A  &amp;\r\n B", 1252), u"A  &\r\n B");
    EXPECT_EQ(DecodeCharReferences(std::u16string(u"a&amp\0b", 7), 1252), u"a&");
    EXPECT_EQ(DecodeCharReferences(u"&", 1252), u"&");
    EXPECT_EQ(DecodeCharReferences(u"&#", 1252), u"&#");
}

}  // namespace
