#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "html/text/BuffConverterClasses.h"
#include "html/text/Buffer.h"
#include "html/text/CodePages.h"
#include "html/text/DecodeCases.h"

namespace {

using decodecases::bytes;
using decodecases::decodeAll;
using decodecases::DecodeCase;
using decodecases::expectDecodes;
using decodecases::hex;

TEST(Utf8ConverterTest, DecodesLenientlyOneUnitPerCharacter) {
    expectDecodes(65001, {
                             {"ascii", "a<b>", u"a<b>"},
                             {"two bytes", bytes({0xD0, 0x96}), u"\u0416"},
                             {"three bytes", bytes({0xE2, 0x82, 0xAC}), u"\u20AC"},
                             {"four bytes beyond 16 bits", bytes({0xF0, 0x9F, 0x98, 0x80, 'x'}), u"\uFFFFx"},
                             {"four-byte overlong", bytes({0xF0, 0x80, 0x81, 0x81}), u"A"},
                             {"five-byte overlong", bytes({0xF8, 0x80, 0x80, 0x81, 0x81}), u"A"},
                             {"two-byte overlong", bytes({0xC0, 0xAF}), u"/"},
                             {"surrogate code point passes", bytes({0xED, 0xA0, 0x80}), u"\xD800"},
                             {"lone continuation", bytes({0x80, 'a'}), u"\uFFFFa"},
                             {"FE and FF", bytes({0xFE, 0xFF}), u"\uFFFF\uFFFF"},
                             {"bad continuation is read again", bytes({0xC3, 'A'}), u"\uFFFFA"},
                             {"bad third byte", bytes({0xE2, 0x82, 'A'}), u"\uFFFF\uFFFFA"},
                         });
}

TEST(Utf8ConverterTest, ZeroAndEndInsideASequence) {
    // A zero byte inside a sequence gives 0; the bytes after the lead are read again.
    EXPECT_EQ(hex(decodeAll(bytes({0xE2, 0x82, 0x00, 'A'}), 65001)), hex(std::u16string(u"\0\uFFFF\0A", 4)));

    // A sequence cut by the end gives 0 and never winds back onto its own lead.
    const std::string cut = bytes({'x', 0xC3});
    TBuffer b(cut.data(), cut.size(), 65001, u"");
    EXPECT_EQ(b.NextChar(), u'x');
    EXPECT_EQ(b.NextChar(), 0);
    EXPECT_EQ(b.Position(), 2);
    EXPECT_EQ(b.NextChar(), 0);
    EXPECT_EQ(b.Position(), 2);
    EXPECT_EQ(b.AsString(), u"");
}

TEST(Utf7ConverterTest, DecodesDirectCharactersAndBase64Runs) {
    expectDecodes(65000, {
                             {"rfc example", "Hi Mom -+Jjo--!", u"Hi Mom -\u263A-!"},
                             {"escaped plus", "+-", u"+"},
                             {"three units", "+ZeVnLIqe-", u"\u65E5\u672C\u8A9E"},
                             {"run ended by a direct character", "A+ImIDkQ.", u"A\u2262\u0391."},
                             {"run ended at once", "+!x", u"!x"},
                             {"excluded characters", "~\\", u"\uFFFD\uFFFD"},
                             {"control character", bytes({0x01, 'a'}), u"\uFFFDa"},
                             {"surrogate pair becomes one replacement", "+2D3eAA-x", u"\uFFFDx"},
                             {"incomplete unit, dash eaten", "+A-x", u"\uFFFDx"},
                             {"incomplete unit, terminator kept", "+A<", u"\uFFFD<"},
                             {"pending bits not zero", "+AGF-x", u"a\uFFFDx"},
                             {"plus at the end", "a+", u"a"},
                             {"run cut by the end", "+AG", u""},
                         });
}

TEST(Utf7ConverterTest, CopiesKeepTheShiftState) {
    const std::string data = "+AGEAYg-!";  // "ab!": the second unit starts mid-character
    TBuffer b(data.data(), data.size(), 65000, u"");
    EXPECT_EQ(b.NextChar(), u'a');
    const int pos = b.Position();
    EXPECT_EQ(b.PeekChar(), u'b');
    EXPECT_EQ(b.Position(), pos);

    auto copy = TBuffConverter::CreateCopy(b.Converter()->ClassType(), *b.Converter());
    EXPECT_EQ(copy->NextChar(), u'b');
    EXPECT_EQ(copy->NextChar(), u'!');
    EXPECT_EQ(b.AsString(), u"b!");
    EXPECT_EQ(b.NextChar(), u'b');

    // A converter of another class has no shift: the copy starts outside a run.
    const std::string plain = "+AGE";
    TBuffer latin(plain.data(), plain.size(), 28591, u"");
    auto fresh = TBuffConverter::CreateCopy(&BuffConvUTF7Class, *latin.Converter());
    EXPECT_EQ(fresh->NextChar(), u'a');
}

TEST(SingleByteConvertersTest, BytesMapByCodePage) {
    const struct {
        int cp;
        int byte;
        char16_t unit;
    } cases[] = {
        // computed ISO decoders
        {28595, 0xB0, 0x0410},
        {28595, 0xF0, 0x2116},
        {28595, 0xFD, 0x00A7},
        {28595, 0xAD, 0x00AD},
        {28596, 0xC7, 0x0627},
        {28596, 0xA4, 0x00A4},
        {28596, 0xA1, 0xFFFD},
        {28597, 0xC1, 0x0391},
        {28597, 0xA1, 0x2018},
        {28597, 0xD2, 0xFFFF},
        {28598, 0xE0, 0x05D0},
        {28598, 0xAA, 0x00D7},
        {28598, 0xFD, 0xFFFD},
        {28598, 0xA0, 0x00A0},
        {28599, 0xDD, 0x0130},
        {28599, 0xE9, 0x00E9},
        {28601, 0xA1, 0x0E01},
        {28601, 0xDB, 0xFFFD},
        {28601, 0xA0, 0x00A0},
        {28605, 0xA4, 0x20AC},
        {28605, 0xBE, 0x0178},
        {858, 0xD5, 0x20AC},
        {858, 0x80, 0x00C7},
        {922, 0xD0, 0x0160},
        {922, 0xE9, 0x00E9},
        // high-half tables
        {866, 0x80, 0x0410},
        {20866, 0xE1, 0x0410},
        {437, 0x80, 0x00C7},
        {866, 0x41, 'A'},
        {857, 0xD5, 0xF8BB},
        {864, 0x9B, 0x009B},
        {869, 0x80, 0xFFFF},
        {874, 0x81, 0x0081},
        {874, 0xDB, 0xF8C1},
        {708, 0xC7, 0x0627},
        {10000, 0xDB, 0x00A4},
        {10000, 0xBD, 0x2126},
        {10000, 0xF0, 0xFFFF},
        {10010, 0xAF, 0x015E},
        {10010, 0xF0, 0xFFFD},
        {10082, 0xD8, 0xFFFD},
        {10081, 0xF5, 0xFFFF},
        {10006, 0x9C, 0x00AD},
        {10006, 0xFF, 0xFFFF},
        {10007, 0xA2, 0x00A2},
        {10007, 0xB6, 0x2202},
        {10007, 0xFF, 0x00A4},
        {10017, 0xA2, 0x0490},
        {10004, 0xA0, 0xFFFD},
        {10004, 0xC0, 0x066D},
        // ISO-half tables and the full table
        {28592, 0xA1, 0x0104},
        {28593, 0xA5, 0xFFFF},
        {28592, 0x9F, 0x009F},
        {29001, 'A', 'A'},
        {29001, 0xFF, 0xF8FF},
        // the platform's conversion
        {1251, 0xC0, 0x0410},
        {1252, 0x80, 0x20AC},
        {37, 0xC1, 'A'},
        {20127, 0x80, 0xFFFD},
        {2, 0xDB, 0x00A4},
        {21866, 0xA4, 0x0454},
        {7, 'A', 'A'},
        {7, 0xC0, 0xFFFD},
        {-1, 0xC0, 0xFFFD},
        // the base class: ISO 8859-1
        {28591, 0xE9, 0x00E9},
    };
    for (const auto& c : cases) {
        const std::string data(1, char(c.byte));
        EXPECT_EQ(hex(decodeAll(data, c.cp)), hex(std::u16string(1, c.unit))) << c.cp << " byte " << c.byte;
    }
}

TEST(SingleByteConvertersTest, DefaultCodePagesAreUtf8Here) {
    // The platform's ANSI and OEM code pages are UTF-8; the Macintosh one is Mac Roman.
    EXPECT_EQ(decodeAll(bytes({'<', 0xD0, 0x96, '>'}), 0), u"<\u0416>");
    EXPECT_EQ(decodeAll(bytes({0xD0, 0x96}), 1), u"\u0416");
    EXPECT_EQ(decodeAll(bytes({0xC3, 'A'}), 0), u"\uFFFFA");
    EXPECT_EQ(decodeAll(bytes({0x80}), 2), u"\u00C4");
}

TEST(SingleByteConvertersTest, SixteenBitStorageNeverEndsEarlyOrReadsOutside) {
    const struct {
        int cp;
        std::u16string text;
        std::u16string expect;
    } cases[] = {
        {1251, u"\u04C0x", u"\u0410x"},   // only the low byte is decoded
        {1251, u"\u0100x", u"\uFFFDx"},   // a unit whose low byte is zero is no end
        {29001, u"\u0416A", u"\u0416A"},  // beyond the full table: as it is
        {866, u"\u0416\u0080", u"\u0416\u0410"}, {28592, u"\u0416\u00A1", u"\u0416\u0104"},
    };
    for (const auto& c : cases) {
        TBuffer b(std::u16string_view(c.text), std::u16string(), c.cp);
        EXPECT_EQ(hex(b.AsString()), hex(c.expect)) << c.cp;
    }
}

TEST(SingleByteConvertersTest, SwitchingConvertersRebuildsTheirMaps) {
    const std::string data = bytes({0xC0, 0xC0, 0xC0, 0xC0});
    TBuffer b(data.data(), data.size(), 1251, u"");
    EXPECT_EQ(b.NextChar(), 0x0410);
    b.SetCodePage(20866);
    EXPECT_EQ(b.PeekChar(), 0x044E);
    EXPECT_EQ(b.NextChar(), 0x044E);
    b.SetCodePage(28595);
    EXPECT_EQ(b.NextChar(), 0x0420);
    b.SetCodePage(28592);
    EXPECT_EQ(b.NextChar(), 0x0154);
}

struct CyrillicPage {
    const char* charset;
    int codePage;
    std::string word;  // "ПриветЁё" in that code page
};

// The renderer reads a stream with the default code page, and the parser
// switches at the charset declaration; the text after it is in that charset.
TEST(SingleByteConvertersTest, CyrillicDocumentsDecodeAfterTheirDeclaration) {
    const CyrillicPage pages[] = {
        {"windows-1251", 1251, bytes({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, 0xA8, 0xB8})},
        {"koi8-r", 20866, bytes({0xF0, 0xD2, 0xC9, 0xD7, 0xC5, 0xD4, 0xB3, 0xA3})},
        {"iso-8859-5", 28595, bytes({0xBF, 0xE0, 0xD8, 0xD2, 0xD5, 0xE2, 0xA1, 0xF1})},
    };
    for (const auto& p : pages) {
        SCOPED_TRACE(p.charset);
        const std::string head = std::string("<html><head><meta charset=") + p.charset + ">";
        const std::string html = head + "</head><body><p>" + p.word + "</p></body></html>";
        std::istringstream in(html);
        TBuffer b(in, u"page.htm");
        ASSERT_EQ(b.CodePage(), 0);
        std::u16string seen;
        while (seen.size() < head.size()) seen.push_back(b.NextChar());
        EXPECT_EQ(seen.back(), u'>');
        const std::u16string name(p.charset, p.charset + strlen(p.charset));
        b.SetCodePage(CharsetNameToCodePage(name));
        EXPECT_EQ(b.CodePage(), p.codePage);
        const std::u16string rest = u"</head><body><p>Привет\u0401\u0451</p></body></html>";
        EXPECT_EQ(b.AsString(), rest);
        const int bodyAt = int(head.size() + std::string("</head><body><p>").size());
        EXPECT_EQ(b.GetString(bodyAt, bodyAt + 8), u"Привет\u0401\u0451");
        std::u16string read;
        for (char16_t c = b.NextChar(); c != 0; c = b.NextChar()) read.push_back(c);
        EXPECT_EQ(read, rest);
    }
}

}  // namespace
