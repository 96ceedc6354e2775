#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "html/text/Buffer.h"
#include "html/text/BuffConverterClasses.h"
#include "html/text/CodePages.h"

namespace {

std::string bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s.push_back(char(c));
    return s;
}

TBuffer fromStream(const std::string& data) {
    std::istringstream in(data);
    return TBuffer(in, u"doc");
}

std::u16string readAll(TBuffer& b) {
    std::u16string out;
    for (char16_t c = b.NextChar(); c != 0; c = b.NextChar()) out.push_back(c);
    return out;
}

struct DetectCase {
    const char* label;
    std::string data;
    int codePage;
    uint32_t bom;
    std::u16string text;
    bool fixed;
};

TEST(BufferTest, StreamsChooseTheirCodePageFromTheFirstBytes) {
    const DetectCase cases[] = {
        {"utf-8 mark", bytes({0xEF, 0xBB, 0xBF, '<'}), 65001, 3, u"<", true},
        {"utf-16le mark", bytes({0xFF, 0xFE, 'A', 0, 0x16, 0x04}), 1200, 2, u"A\u0416", true},
        {"utf-16be mark", bytes({0xFE, 0xFF, 0, 'A', 0x04, 0x16}), 1201, 2, u"A\u0416", true},
        {"mark alone", bytes({0xFF, 0xFE}), 1200, 2, u"", true},
        {"broken utf-8 mark", bytes({0xEF, 0xBB, 0x41}), 0, 0, u"\uFFFF\uFFFF\u0041", false},
        {"single FF", bytes({0xFF}), 0, 0, u"\uFFFF", false},
        {"empty", "", 0, 0, u"", false},
        {"iso-2022-jp", bytes({'a', 0x1B, 0x24, 0x42, 'x', 0x1B, 0x28, 0x42}), 50220, 0, u"", true},
        {"iso-2022-jp escape only at the end", bytes({'a', 0x1B, 0x24, 0x42}), 0, 0, u"", false},
        {"return escape before the shift", bytes({0x1B, 0x28, 0x42, 0x1B, 0x24, 0x42, 'x'}), 0, 0, u"", false},
        {"escapes after a zero byte", bytes({'a', 0, 0x1B, 0x24, 0x42, 'x', 0x1B, 0x28, 0x42}), 0, 0, u"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TBuffer b = fromStream(c.data);
        EXPECT_EQ(b.CodePage(), c.codePage);
        EXPECT_EQ(b.BomLength(), c.bom);
        EXPECT_EQ(b.Position(), int(c.bom));
        EXPECT_EQ(b.Size(), int(c.data.size()));
        EXPECT_EQ((b.State() & bsFixedCodePage) != 0, c.fixed);
        if (!c.text.empty()) {
            EXPECT_EQ(readAll(b), c.text);
        }
        b.SetCodePage(1252);
        EXPECT_EQ(b.CodePage(), c.fixed ? c.codePage : 1252);
    }
}

TEST(BufferTest, StringBufferKeepsItsUnitsAndItsCodePage) {
    TBuffer b(std::u16string_view(u"Ж<b>\U0001F600"), std::u16string(), 1200);
    EXPECT_EQ(b.CodePage(), 1200);
    b.SetCodePage(65001);
    EXPECT_EQ(b.CodePage(), 1200);
    EXPECT_EQ(b.Size(), 2 * 6);
    EXPECT_EQ(b.AsString(), u"Ж<b>\U0001F600");  // a surrogate pair comes out as its two units
    EXPECT_EQ(b.AsString(), u"Ж<b>\U0001F600");  // and again: AsString does not move
    EXPECT_EQ(b.Position(), 0);
    EXPECT_EQ(b.PeekChar(), u'Ж');
    EXPECT_EQ(b.NextChar(), u'Ж');
    EXPECT_EQ(b.Position(), 2);
    EXPECT_EQ(b.GetString(2, 8), u"<b>");
    EXPECT_EQ(b.GetString(5, 5), u"");
    EXPECT_EQ(b.GetString(8, 4), u"");
    EXPECT_EQ(b.Position(), 2);  // GetString restores the position
    EXPECT_EQ(TBuffer::Convert(std::u16string_view(u"abc"), 1200), u"abc");
}

TEST(BufferTest, PositionStaysInsideTheBytes) {
    const std::string data = "abc";
    TBuffer b(data.data(), data.size(), 0, u"");
    const struct { int set, expect; } cases[] = {{-5, 0}, {1, 1}, {3, 3}, {4, 3}, {1 << 30, 3}};
    for (const auto& c : cases) {
        b.SetPosition(c.set);
        EXPECT_EQ(b.Position(), c.expect) << c.set;
    }
    b.SetPosition(3);
    EXPECT_EQ(b.NextChar(), 0);
    EXPECT_EQ(b.NextChar(), 0);
    EXPECT_EQ(b.Position(), 3);
    EXPECT_EQ(b.GetString(1, 100), u"bc");  // an end past the content ends there
    EXPECT_EQ(b.GetString(-10, 2), u"ab");
}

TEST(BufferTest, OddLengthSixteenBitStorageEndsCleanly) {
    const std::string data = bytes({'A', 0, 'B'});
    TBuffer b(data.data(), data.size(), 1200, 1200, u"");
    EXPECT_EQ(b.AsString(), u"A");  // whole units only
    EXPECT_EQ(b.NextChar(), u'A');
    EXPECT_EQ(b.NextChar(), u'B');  // the half unit meets the zero byte after the content
    EXPECT_EQ(b.NextChar(), 0);
    EXPECT_EQ(b.GetString(0, 3), u"AB");
}

TEST(BufferTest, SwitchingCodePageMidStreamKeepsThePosition) {
    const std::string data = "<meta charset=utf-8>\xD0\x96";
    TBuffer b(data.data(), data.size(), 0, u"page");
    for (int i = 0; i < 20; ++i) b.NextChar();
    const TBuffConverter* before = b.Converter();
    b.SetCodePage(0);  // the code page it has: nothing changes
    EXPECT_EQ(b.Converter(), before);
    b.SetCodePage(65001);
    EXPECT_EQ(b.CodePage(), 65001);
    EXPECT_EQ(b.Converter()->ClassType(), &BuffConvUTF8Class);
    EXPECT_EQ(b.Converter()->InitalCodePage(), 0);  // still single bytes
    EXPECT_EQ(b.Position(), 20);
    b.SetCodePage(1251);
    EXPECT_EQ(b.Converter()->ClassType(), &BuffConvSingleByteClass);
    EXPECT_EQ(b.Position(), 20);
    EXPECT_EQ(b.Name(), u"page");
}

TEST(BufferTest, CopyReadsFromTheStartAndKeepsTheSkippedMark) {
    TBuffer src = fromStream(bytes({0xEF, 0xBB, 0xBF, 'x', 'y'}));
    src.NextChar();
    TBuffer copy(src);
    EXPECT_EQ(copy.Position(), 3);
    EXPECT_EQ(copy.CodePage(), 65001);
    EXPECT_EQ(copy.BomLength(), 3u);
    EXPECT_EQ(copy.Converter()->ClassType(), src.Converter()->ClassType());
    EXPECT_EQ(readAll(copy), u"xy");
    copy.SetCodePage(0);
    EXPECT_EQ(copy.CodePage(), 65001);  // the fixed flag travels with the copy
}

TEST(BufferTest, AssignToWritesTheContentThroughAnyStream) {
    const std::string data = bytes({0xFF, 0xFE, 'h', 0, 'i', 0});
    TBuffer b = fromStream(data);
    std::ostringstream out;
    b.AssignTo(&out);
    EXPECT_EQ(out.str(), data);  // mark included, trailing zeros not
    b.AssignTo(nullptr);
}

TEST(BufferTest, ConverterClassesFollowTheCodePageTable) {
    const struct {
        int cp;
        TBuffConverterClass cls;
    } cases[] = {{1200, &BuffConverterClass},  {28591, &BuffConverterClass},  {65001, &BuffConvUTF8Class},
                 {866, &BuffConvHighMapClass}, {28592, &BuffConvIsoMapClass}, {50220, &BuffConvISO2022JPClass},
                 {7, &BuffConvSingleByteClass}};  // unlisted: the class of the unknown row
    for (const auto& c : cases) {
        const std::string data = "x";
        TBuffer b(data.data(), data.size(), c.cp, u"");
        EXPECT_EQ(b.Converter()->ClassType(), c.cls) << c.cp;
        EXPECT_EQ(b.CodePage(), c.cp);
    }
}

TEST(CodePagesTest, TablesHoldEveryRow) {
    TBuffConvInfoList* infos = BuffConvInfos();
    ASSERT_NE(infos, nullptr);
    EXPECT_EQ(infos->Count(), 162);
    int previous = -2;
    for (int i = 0; i < infos->Count(); ++i) {
        EXPECT_LT(previous, infos->Items(i).CodePage());
        previous = infos->Items(i).CodePage();
    }
    TBuffCodePageNameList* names = BuffCodePageNames();
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(names->Count(), 407);
    std::set<int> pages;
    for (int i = 0; i < names->Count(); ++i) {
        pages.insert(names->Items(i).CodePage());
        EXPECT_GE(infos->Find(names->Items(i).CodePage()), 0) << names->Items(i).CodePage();
    }
    EXPECT_EQ(pages.size(), 78u);
}

TEST(CodePagesTest, LookUpsByNameAndByNumber) {
    const struct {
        std::u16string name;
        int cp;
    } names[] = {{u"utf-8", 65001},      {u"UTF-8", 65001},    {u"Windows-1251", 1251},
                 {u"KOI8-R", 20866},     {u"cp437", 437},      {u"", -1},
                 {u"no-such-set", -1},   {u"utf-8 ", 65001},   {u"x-UTF-8-ish", 65001},
                 {u"iso 8859-5", 28595}, {u"\"utf-8\"", 65001}};
    for (const auto& n : names)
        EXPECT_EQ(CharsetNameToCodePage(n.name), n.cp) << std::string(n.name.begin(), n.name.end());

    const struct {
        int cp, charset;
    } sets[] = {{1251, 204}, {57002, 1}, {7, 1}, {-1, 1}, {0, 1}, {2, 77}, {1, 255}, {932, 128}, {28591, 0}};
    for (const auto& s : sets) EXPECT_EQ(CodePageToCharset(s.cp), s.charset) << s.cp;

    TBuffConvInfoList* infos = BuffConvInfos();
    EXPECT_EQ(infos->Find(65002), -1);
    EXPECT_EQ(infos->Find(70000), -1);
    EXPECT_EQ(infos->Find(-2), -1);
    EXPECT_EQ(infos->Items(infos->Find(65001)).Name(), "Unicode (UTF-8)");
}

TEST(CodePagesDeathTest, AfterShutdownEverythingIsUnknown) {
    // In a child process: the shutdown is for good.
    EXPECT_EXIT(
        {
            ShutdownBuffCodePages();
            bool ok = BuffConvInfos() == nullptr && BuffCodePageNames() == nullptr &&
                      CharsetNameToCodePage(u"utf-8") == -1 && CodePageToCharset(1251) == 1 &&
                      FindCodePageName(u"utf-8") == nullptr;
            const std::string data = "ab";
            TBuffer b(data.data(), data.size(), 65001, u"");
            ok = ok && b.CodePage() == -1 && b.NextChar() == 0 && b.AsString().empty() && b.Position() == 0;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
