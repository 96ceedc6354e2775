#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "html/text/BuffConvMultiByte.h"
#include "html/text/BuffConverterClasses.h"
#include "html/text/Buffer.h"
#include "html/text/CodePages.h"
#include "html/text/DecodeCases.h"

// Expected characters were computed with Python's codecs of the same names
// (cp932, gbk, cp949, cp950, euc_jp, gb18030, iso2022_*) and written in here.
namespace {

using decodecases::bytes;
using decodecases::decodeAll;
using decodecases::DecodeCase;
using decodecases::expectDecodes;
using decodecases::hex;

TEST(MultiByteConvertersTest, ShiftJis932) {
    expectDecodes(932, {
                           {"hiragana", bytes({0x82, 0xA0}), u"\u3042"},
                           {"half-width katakana, one byte", bytes({0xB1, 'a'}), u"\uFF71a"},
                           {"NEC row 13", bytes({0x87, 0x40}), u"\u2460"},
                           {"NEC-selected IBM extension", bytes({0xED, 0x40}), u"\u7E8A"},
                           {"IBM extension", bytes({0xFA, 0x40}), u"\u2170"},
                           {"fullwidth backslash", bytes({0x81, 0x5F}), u"\uFF3C"},
                           {"user-defined area", bytes({0xF0, 0x40, 0xF9, 0xFC}), u"\uE000\uE757"},
                           {"invalid trail: lead's value, both consumed", bytes({0x81, 0x20, 'x'}), u"\u0081x"},
                           {"unmapped pair: lead's value", bytes({0x85, 0x40}), u"\u0085"},
                           {"single bytes of their own", bytes({0x80, 0xA0, 0xEB, 0xFD, 0xFF}),
                            u"\u0080\u00A0\u00EB\u00FD\u00FF"},
                           {"lead at the end", bytes({'a', 0x82}), u"a\u0082"},
                       });
}

TEST(MultiByteConvertersTest, GBK936) {
    expectDecodes(
        936, {
                 {"euro", bytes({0x80}), u"\u20AC"},
                 {"GB 2312 part", bytes({0xB0, 0xA1, 0xD6, 0xD0}), u"\u554A\u4E2D"},
                 {"GBK differences from GB 2312", bytes({0xA1, 0xA4, 0xA1, 0xAA, 0xA2, 0xA1}), u"\u00B7\u2014\u2170"},
                 {"extension tables", bytes({0x81, 0x40, 0xA8, 0x40, 0xFE, 0x4F}), u"\u4E02\u02CA\uFA29"},
                 {"user-defined areas", bytes({0xAA, 0xA1, 0xF8, 0xA1, 0xA1, 0x40, 0xA2, 0x80}),
                  u"\uE000\uE234\uE4C6\uE565"},
                 {"invalid trail consumed", bytes({0x81, 0x7F, 'x'}), u"\uFFFDx"},
                 {"lead at the end", bytes({0xB0}), u"\uFFFD"},
             });
}

TEST(MultiByteConvertersTest, UnifiedHangul949) {
    expectDecodes(949, {
                           {"first extended area", bytes({0x81, 0x41}), u"\uAC02"},
                           {"second extended area", bytes({0xA1, 0x41, 0xC6, 0x52}), u"\uC8A5\uD7A3"},
                           {"KS X 1001", bytes({0xB0, 0xA1, 0xC7, 0xA1, 0xFD, 0xFE}), u"\uAC00\uD408\u8A70"},
                           {"A2 E8 is left out", bytes({0xA2, 0xE8}), u"\uFFFD"},
                           {"private row", bytes({0xFE, 0xA1}), u"\uE000"},
                           {"bad trail consumed", bytes({0x81, 0x5B, 'x'}), u"\uFFFDx"},
                           {"80 and FF alone", bytes({0x80, 'a', 0xFF, 'b'}), u"\uFFFDa\uFFFDb"},
                       });
}

TEST(MultiByteConvertersTest, Big5CP950) {
    expectDecodes(950, {
                           {"first hanzi", bytes({0xA4, 0x40}), u"\u4E00"},
                           {"euro", bytes({0xA3, 0xE1}), u"\u20AC"},
                           {"950 extensions", bytes({0xF9, 0xD6, 0xF9, 0xFE}), u"\u7881\u2593"},
                           {"C6A1 row left out", bytes({0xC6, 0xA1}), u"\uFFFD"},
                           {"invalid lead takes one byte", bytes({0x81, 0x40}), u"\uFFFD@"},
                           {"invalid trail takes two", bytes({0xA4, 0x30, 'x'}), u"\uFFFDx"},
                       });
}

TEST(MultiByteConvertersTest, EucFamily) {
    expectDecodes(51932, {
                             {"JIS X 0208", bytes({0xA4, 0xA2, 0xB4, 0xC1}), u"\u3042\u6F22"},
                             {"half-width katakana", bytes({0x8E, 0xB1}), u"\uFF71"},
                             {"JIS X 0212", bytes({0x8F, 0xA2, 0xAF, 0x8F, 0xB0, 0xA1}), u"\u02D8\u4E02"},
                             {"user-defined", bytes({0xF5, 0xA1, 0x8F, 0xF5, 0xA1}), u"\uE000\uE3AC"},
                             {"bad kana trail", bytes({0x8E, 0xE0, 'x'}), u"\uFFFDx"},
                             {"three-byte form cut short", bytes({0x8F, 0xA2}), u"\uFFFD"},
                             {"stray byte", bytes({0x80, 'a'}), u"\uFFFDa"},
                         });
    expectDecodes(51936, {
                             {"GB 2312", bytes({0xB0, 0xA1, 0x80}), u"\u554A\u0080"},
                             {"lead without trail", bytes({0x90, 'a', 0xB0}), u"\uFFFDa\uFFFD"},
                         });
    expectDecodes(51949, {
                             {"KS X 1001", bytes({0xB0, 0xA1, 0xC7, 0xD1}), u"\uAC00\uD55C"},
                         });
}

TEST(MultiByteConvertersTest, GB18030) {
    expectDecodes(
        54936, {
                   {"four-byte ranges", bytes({0x81, 0x30, 0x81, 0x30, 0x82, 0x35, 0x8F, 0x33, 0x84, 0x31, 0xA4, 0x39}),
                    u"\u0080\u9FA6\uFFFF"},
                   {"two-byte", bytes({0xA8, 0xA1, 0x81, 0x40}), u"\u0101\u4E02"},
                   {"two-byte extensions", bytes({0xA2, 0xE3, 0xA9, 0x8A, 0xFE, 0x50}), u"\u20AC\u2FF0\u2E81"},
                   {"past the BMP part", bytes({0x84, 0x31, 0xA5, 0x30, 'x'}), u"\uFFFDx"},
                   {"supplementary planes not decoded", bytes({0x90, 0x30, 0x81, 0x30, 'x'}), u"\uFFFDx"},
                   {"broken four-byte form keeps the digit", bytes({0x81, 0x30, 'x'}), u"\uFFFD0x"},
                   {"cut by the end", bytes({0x81, 0x30, 0x81}), u"\uFFFD0\uFFFD"},
               });
}

TEST(MultiByteConvertersTest, Iso2022) {
    const int ESC = 0x1B;
    expectDecodes(
        50220, {
                   {"JIS X 0208", bytes({ESC, '$', 'B', 0x24, 0x22, 0x30, 0x21, ESC, '(', 'B', 'a'}), u"\u3042\u4E9Ca"},
                   {"JIS X 0201 Roman", bytes({ESC, '(', 'J', 'A', 0x5C, 0x7E}), u"A\u00A5\u203E"},
                   {"JIS X 0212", bytes({ESC, '$', '(', 'D', 0x22, 0x2F}), u"\u02D8"},
                   {"KS C 5601 and GB 2312", bytes({ESC, '$', '(', 'C', 0x30, 0x21, ESC, '$', 'A', 0x30, 0x21}),
                    u"\uAC00\u554A"},
                   {"unknown escape is a character", bytes({ESC, '(', 'Z', 'a'}), u"\u001B(Za"},
                   {"escape at the end", bytes({'a', ESC, '$'}), u"a\u001B$"},
                   {"line end inside two-byte text", bytes({ESC, '$', 'B', '\n', 0x24, 0x22}), u"\n\u3042"},
                   {"pair cut by the end", bytes({ESC, '$', 'B', 0x24}), u"\uFFFD"},
               });
    expectDecodes(50225,
                  {
                      {"SO without designation", bytes({0x0E, 'a'}), u"\u000Ea"},
                      {"designated", bytes({ESC, '$', ')', 'C', 0x0E, 0x30, 0x21, 0x0F, 'a'}), u"\uAC00a"},
                      {"line end drops the designation", bytes({ESC, '$', ')', 'C', '\n', 0x0E, 'a'}), u"\n\u000Ea"},
                      {"other escape", bytes({ESC, 'x'}), u"\u001Bx"},
                  });
    expectDecodes(50227, {
                             {"GB 2312", bytes({ESC, '$', ')', 'A', 0x0E, 0x30, 0x21, 0x0F, 'a'}), u"\u554Aa"},
                             {"SO without designation", bytes({0x0E}), u"\u000E"},
                             {"single shift without plane 2", bytes({ESC, 'N', 'a'}), u"\u001Ba"},
                             {"other escape", bytes({ESC, '$', 'x'}), u"\u001B$x"},
                         });
}

TEST(MultiByteConvertersTest, Iso2022StateFollowsCopiesAndPeeks) {
    const std::string data = bytes({0x1B, '$', 'B', 0x24, 0x22, 0x24, 0x24});
    TBuffer b(data.data(), data.size(), 50220, u"");
    EXPECT_EQ(b.NextChar(), u'\u3042');
    const int pos = b.Position();
    EXPECT_EQ(b.PeekChar(), u'\u3044');
    EXPECT_EQ(b.Position(), pos);
    auto copy = TBuffConverter::CreateCopy(b.Converter()->ClassType(), *b.Converter());
    EXPECT_EQ(copy->NextChar(), u'\u3044');
    EXPECT_EQ(b.AsString(), u"\u3044");
    EXPECT_EQ(b.NextChar(), u'\u3044');

    // A converter of another class passes no state: the copy starts in ASCII.
    TBuffer latin(data.data(), data.size(), 28591, u"");
    for (int i = 0; i < 3; ++i) latin.NextChar();
    auto fresh = TBuffConverter::CreateCopy(&BuffConvISO2022JPClass, *latin.Converter());
    EXPECT_EQ(fresh->NextChar(), u'$');

    const std::string kr = bytes({0x1B, '$', ')', 'C', 0x0E, 0x30, 0x21, 0x30, 0x21});
    TBuffer k(kr.data(), kr.size(), 50225, u"");
    EXPECT_EQ(k.NextChar(), u'\uAC00');
    auto krCopy = TBuffConverter::CreateCopy(&BuffConvISO2022KRClass, *k.Converter());
    EXPECT_EQ(krCopy->NextChar(), u'\uAC00');
    auto cnFromKr = TBuffConverter::CreateCopy(&BuffConvISO2022CNClass, *k.Converter());
    EXPECT_EQ(cnFromKr->NextChar(), u'0');
}

TEST(MultiByteConvertersTest, ShiftJisPageDecodesAfterItsDeclaration) {
    const std::string head = "<html><head><meta charset=shift_jis>";
    const std::string word =
        bytes({0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA, 0x83, 0x65, 0x83, 0x4C, 0x83, 0x58, 0x83, 0x67});
    const std::string html = head + "</head><body><p>" + word + "</p></body></html>";
    std::istringstream in(html);
    TBuffer b(in, u"page.htm");
    ASSERT_EQ(b.CodePage(), 0);
    std::u16string seen;
    while (seen.size() < head.size()) seen.push_back(b.NextChar());
    EXPECT_EQ(seen.back(), u'>');
    b.SetCodePage(CharsetNameToCodePage(u"shift_jis"));
    EXPECT_EQ(b.CodePage(), 932);
    const std::u16string rest = u"</head><body><p>日本語テキスト</p></body></html>";
    EXPECT_EQ(b.AsString(), rest);
    const int bodyAt = int(head.size() + std::string("</head><body><p>").size());
    EXPECT_EQ(b.GetString(bodyAt, bodyAt + int(word.size())), u"日本語テキスト");
    std::u16string read;
    for (char16_t c = b.NextChar(); c != 0; c = b.NextChar()) read.push_back(c);
    EXPECT_EQ(read, rest);
}

TEST(MultiByteConvertersTest, SixteenBitStorageNeverReadsOutside) {
    // Units above 0xFF are never lead or trail bytes; a lead at the end meets the terminator.
    const std::string units = bytes({0x42, 0x30, 'a', 0, 0x82, 0});
    for (int cp : {932, 936, 949, 950, 51932, 51936, 54936, 50220, 50225, 50227}) {
        SCOPED_TRACE(cp);
        TBuffer b(units.data(), units.size(), cp, 1200, u"");
        int n = 0;
        while (b.NextChar() != 0 && n < 10) ++n;
        EXPECT_LE(n, 3);
        EXPECT_LE(b.Position(), b.Size());
    }
}

}  // namespace
