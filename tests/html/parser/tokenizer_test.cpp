#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/parser/AttributeNumbers.h"
#include "html/parser/ParserFixture.h"

namespace {

using htmltext::toUtf8;
using parsertest::FakeDocument;
using parsertest::Tokenizer;

struct SymbolCase {
    const char16_t* text;
    const char* symbols;
};

TEST(Tokenizer, SymbolsOfTagsAndText) {
    const SymbolCase cases[] = {
        {u"", "$"},
        {u"<p>Hi</p>", "<p> \"Hi\" </p> $"},
        {u"<P CLASS=x>Hi <B>there</b></P>", "<p> \"Hi \" <b> \"there\" </b> </p> $"},
        // White space folds to one blank.
        {u"a  \r\n\t b", "\"a b\" $"},
        // "<" that starts no tag is text of its own symbol.
        {u"a < b", "\"a \" \"<\" \" b\" $"},
        {u"1<2", "\"1\" \"<\" \"2\" $"},
        // Unknown tags, end tags of void elements and processing instructions.
        {u"<blink>x</blink>", "? \"x\" ? $"},
        {u"<br></br>", "<br> ? $"},
        {u"<?xml version=\"1.0\"?><p>", "? <p> $"},
        {u"<h1>T</h1><table><tr><td>c</td></tr></table>",
         "<h1> \"T\" </h1> <table> <tr> <td> \"c\" </td> </tr> </table> $"},
        // A tag cut off by the end of the text.
        {u"x<p class=", "\"x\" <p> $"},
        // Control characters 1 to 8 reach the text as question marks.
        {u"a\x01"
         u"b",
         "\"a\" \"\" \"?b\" $"},
    };
    for (const auto& c : cases) {
        Tokenizer t(c.text);
        EXPECT_EQ(t.Symbols(), c.symbols) << toUtf8(c.text);
    }
}

TEST(Tokenizer, TagEndsAndXhtmlSlash) {
    Tokenizer t(u"<br/><a href=x/>y<img src='i.png' / >");
    t.parser.Next();
    EXPECT_EQ(t.parser.Sy, BRSy);
    EXPECT_TRUE(t.parser.IsXhtmlEndSy);
    // An unquoted value ends at ">" only, so the "/" is the value's.
    t.parser.Next();
    EXPECT_EQ(t.parser.Sy, ASy);
    EXPECT_FALSE(t.parser.IsXhtmlEndSy);
    ASSERT_EQ(t.parser.Attributes->Count(), 1);
    EXPECT_EQ(t.parser.Attributes->GetAttribute(0)->Name, u"x/");
    t.parser.Next();
    EXPECT_EQ(t.parser.Sy, StringSy);
    EXPECT_FALSE(t.parser.IsXhtmlEndSy);
    t.parser.Next();
    EXPECT_EQ(t.parser.Sy, ImageSy);
    EXPECT_TRUE(t.parser.IsXhtmlEndSy);
    EXPECT_EQ(t.parser.Attributes->GetAttribute(0)->Name, u"i.png");
}

TEST(Tokenizer, StyleAndScriptTagsLeaveTheirCloseForTheirReaders) {
    for (const char16_t* text : {u"<style type=text/css>p{}", u"<script>x"}) {
        Tokenizer t(text);
        t.parser.Next();
        EXPECT_EQ(t.parser.LCh, u'>') << toUtf8(text);
    }
    Tokenizer t(u"<b>x");
    t.parser.Next();
    EXPECT_EQ(t.parser.LCh, u'x');
}

struct AttributeCase {
    const char16_t* tag;
    TAttrSymb which;
    const char16_t* name;   // upper case
    const char16_t* value;  // the text
    int32_t number;
};

TEST(Tokenizer, Attributes) {
    const AttributeCase cases[] = {
        {u"<td width=50%>", WidthSy, u"WIDTH", u"50%", 50},
        {u"<td WIDTH = \"120\" >", WidthSy, u"WIDTH", u"120", 120},
        {u"<col width=*>", WidthSy, u"WIDTH", u"*", 1},
        {u"<col width='3*'>", WidthSy, u"WIDTH", u"3*", 3},
        {u"<table border>", BorderSy, u"BORDER", u"", 1},
        {u"<table border=none>", BorderSy, u"BORDER", u"none", 0},
        {u"<table border=\"NONE\">", BorderSy, u"BORDER", u"NONE", 0},
        {u"<table border=2>", BorderSy, u"BORDER", u"2", 2},
        {u"<table border=thick>", BorderSy, u"BORDER", u"thick", 1},
        {u"<td height=2.5>", HeightSy, u"HEIGHT", u"2.5", 2},
        {u"<td height=3.5>", HeightSy, u"HEIGHT", u"3.5", 4},
        {u"<p data-x:y$1=v>", OtherAttribute, u"DATA-X:Y$1", u"v", 0},
        // References in values, quoted and not.
        {u"<a href=\"?a=1&amp;b=2\">", HrefSy, u"HREF", u"?a=1&b=2", 0},
        {u"<a href=?a=1&amp;b=2>", HrefSy, u"HREF", u"?a=1&b=2", 0},
        // A quoted value runs to its own quote, over the other kind and ">".
        {u"<img alt='say \"hi\" > bye'>", AltSy, u"ALT", u"say \"hi\" > bye", 0},
        // Line ends in quoted values: kept as CR LF in alt and title only.
        {u"<img alt=\"a\r\nb\">", AltSy, u"ALT", u"a\r\nb", 0},
        {u"<p title=\"a\nb\">", TitleSy, u"TITLE", u"a\r\nb", 0},
        {u"<a href=\"x\r\ny\">", HrefSy, u"HREF", u"xy", 0},
        // A quote left open runs to the end of the text.
        {u"<a href=\"open", HrefSy, u"HREF", u"open", 0},
    };
    for (const auto& c : cases) {
        Tokenizer t(c.tag);
        t.parser.Next();
        ASSERT_GE(t.parser.Attributes->Count(), 1) << toUtf8(c.tag);
        const TAttribute& a = *t.parser.Attributes->GetAttribute(0);
        EXPECT_EQ(a.Which, c.which) << toUtf8(c.tag);
        EXPECT_EQ(a.WhichName, c.name) << toUtf8(c.tag);
        EXPECT_EQ(a.Name, c.value) << toUtf8(c.tag);
        EXPECT_EQ(a.Value, c.number) << toUtf8(c.tag);
        EXPECT_EQ(a.CodePage, 1252) << toUtf8(c.tag);
    }
}

TEST(Tokenizer, SeveralAttributesAndTheTagAfterThem) {
    Tokenizer t(u"<td align=right valign = 'top' nowrap colspan=\"2\"  >text");
    t.parser.Next();
    EXPECT_EQ(t.parser.Sy, TDSy);
    const TAttributeList& attrs = *t.parser.Attributes;
    ASSERT_EQ(attrs.Count(), 4);
    EXPECT_EQ(attrs.GetAttribute(0)->Name, u"right");
    EXPECT_EQ(attrs.GetAttribute(1)->Name, u"top");
    EXPECT_EQ(attrs.GetAttribute(2)->Which, NoWrapSy);
    EXPECT_EQ(attrs.GetAttribute(3)->Value, 2);
    t.parser.Next();
    EXPECT_EQ(t.parser.LCToken->S(), u"text");
    // The next tag's list holds only its own attributes.
    Tokenizer u(u"<p id=a class=b><br>");
    u.parser.Next();
    EXPECT_EQ(u.parser.Attributes->Count(), 2);
    u.parser.Next();
    EXPECT_EQ(u.parser.Attributes->Count(), 0);
}

TEST(Tokenizer, IdsRegisterWithTheDocumentOutsideTheLinkPass) {
    FakeDocument doc;
    Tokenizer t(u"<p id=first><a id=\"\">x</a><div ID='Second'>", &doc);
    t.Symbols();
    ASSERT_EQ(doc.IDs.size(), 2u);
    EXPECT_EQ(doc.IDs[0].Name, u"first");
    EXPECT_EQ(doc.IDs[1].Name, u"Second");
    // At the character after the value: the ">" of "<p id=first>" is unit 11.
    EXPECT_EQ(doc.IDs[0].Pos, 11 * 2);

    FakeDocument counting;
    Tokenizer s(u"<p id=first>text", &counting);
    s.parser.LinkSearch = true;
    EXPECT_EQ(s.Symbols(), "<p> \"\" $");
    EXPECT_TRUE(counting.IDs.empty());
    EXPECT_TRUE(counting.Progress.empty());
}

TEST(Tokenizer, TextRunsKeepSourcePositions) {
    // UTF-16 storage: the position of unit i is 2 i.
    Tokenizer t(u"<b>ab  c&amp;d</b>");
    t.parser.Next();
    EXPECT_EQ(t.parser.TagIndex, 0);
    t.parser.Next();
    const TTokenObj& token = *t.parser.LCToken;
    ASSERT_EQ(t.parser.LCToken->S(), u"ab c&d");
    const int32_t expected[] = {3, 4, 5, 7, 8, 13};  // the blank at the first white unit, "&" at its "&"
    for (int i = 0; i < 6; ++i) EXPECT_EQ(token.Indices(i + 1), expected[i] * 2) << i;
    t.parser.Next();
    EXPECT_EQ(t.parser.TagIndex, 14 * 2);

    // In UTF-8 the positions are byte offsets.
    const std::string utf8 = "<p>Кі x";
    TBuffer buffer(utf8.data(), utf8.size(), 65001, u"utf8.html");
    THtmlPropStack stack;
    stack.Add(std::make_unique<TProperties>(&stack, false));
    THtmlParser parser(&buffer);
    parser.FPropStack = &stack;
    parser.GetCh();
    parser.Next();
    parser.Next();
    ASSERT_EQ(parser.LCToken->S(), u"Кі x");
    EXPECT_EQ(parser.LCToken->Indices(1), 3);
    EXPECT_EQ(parser.LCToken->Indices(2), 5);
    EXPECT_EQ(parser.LCToken->Indices(4), 8);
}

TEST(Tokenizer, PreformattedRunsKeepWhiteSpaceAndStopAtLineEnds) {
    Tokenizer t(u"a  b\tc\r\nd<x");
    TTokenObj token;
    t.parser.GetText(wsPre, token);
    EXPECT_EQ(token.S(), u"a  b c");
    EXPECT_EQ(t.parser.LCh, u'\r');
    t.parser.GetCh();
    TTokenObj rest;
    t.parser.GetText(wsPreWrap, rest);
    EXPECT_EQ(rest.S(), u"d");
    EXPECT_EQ(t.parser.LCh, u'<');
}

// Line ends reach the parser as one CR each; tabs as blanks.
TEST(Tokenizer, LineEndFolding) {
    const struct {
        const char16_t* text;
        const char16_t* chars;
    } cases[] = {
        {u"a\r\nb", u"a\rb"},
        {u"a\n\rb", u"a\rb"},
        {u"a\nb", u"a\rb"},
        {u"a\rb", u"a\rb"},
        {u"a\r\rb", u"a\r\rb"},
        {u"a\n\nb", u"a\r\rb"},
        {u"a\r\n\nb", u"a\r\rb"},
        {u"a\r\n\r\nb", u"a\r\rb"},
        {u"a\tb", u"a b"},
        // CR LF, LF CR, LF and CR in a row: the second unit of a pair is read
        // over and the unit after it is taken as it comes, with no second
        // look at the pair. So after CR LF the next LF stands alone, and its
        // CR is then the second unit of an LF CR pair: three line ends, not
        // the four that reading pair by pair would give.
        {u"a\r\n\n\r\n\rb", u"a\r\r\rb"},
    };
    for (const auto& c : cases) {
        Tokenizer t(c.text);
        EXPECT_EQ(t.Chars(), c.chars) << toUtf8(c.text);
    }
}

TEST(Tokenizer, CommentsDeclarationsAndServerTagsAreDropped) {
    const struct {
        const char16_t* text;
        const char16_t* chars;
    } cases[] = {
        {u"a<!-- x -->b", u"ab"},
        {u"a<!---->b", u"ab"},
        {u"a<!--x--->b", u"ab"},
        // A single "-", or "--" followed by other text, stays inside.
        {u"a<!-- - -> -- x -->b", u"ab"},
        // Blanks, line ends and one "!" may stand between "--" and ">".
        {u"a<!-- x --  \r\n >b", u"ab"},
        {u"a<!-- x --!>b", u"ab"},
        {u"a<!--1--><!--2-->b", u"ab"},
        {u"<!DOCTYPE html>\nx", u"\rx"},
        {u"a<!x>b", u"ab"},
        {u"a<%= code %>b", u"ab"},
        {u"a<% x % > y %><!--c-->b", u"ab"},
        // A server tag left open ends with the text.
        {u"a<% x", u"a"},
        {u"a<b", u"a<b"},
    };
    for (const auto& c : cases) {
        Tokenizer t(c.text);
        EXPECT_EQ(t.Chars(), c.chars) << toUtf8(c.text);
    }
    // Text runs never see them.
    Tokenizer t(u"<p>one<!-- two -->three</p>");
    EXPECT_EQ(t.Symbols(), "<p> \"onethree\" </p> $");
}

TEST(Tokenizer, TextEndingInsideACommentRaises) {
    for (const char16_t* text : {u"a<!-- never closed", u"a<!-- x -", u"a<!-- x --", u"<!DOCTYPE html", u"<!"}) {
        Tokenizer t(text, nullptr, 1252, false);
        try {
            t.parser.GetCh();
            t.Symbols();
            ADD_FAILURE() << "no error for " << toUtf8(text);
        } catch (const EParseError& e) {
            EXPECT_STREQ(e.what(), "Open Comment at End of HTML File");
        }
    }
    // A closed comment at the very end is no error.
    Tokenizer t(u"a<!-- x -->");
    EXPECT_EQ(t.Symbols(), "\"a\" $");
}

// The include handler sees each "<!--#command ...-->" and may give text that
// is read in its place.
TEST(Tokenizer, IncludeComments) {
    struct Call {
        std::u16string command;
        std::vector<std::string> params;
    };
    std::vector<Call> calls;
    Tokenizer t(u"a<!--#include file=\"x&amp;y\r\nz.htm\" depth=3-->b<!--#echo-->c<!--# -->d", nullptr, 1252, false);
    t.parser.IncludeEvent = [&](TObject*, const std::u16string& command, TStrings* params,
                                std::unique_ptr<TBuffer>& included) {
        calls.push_back({command, params->ToVector()});
        if (command == u"include") included = std::make_unique<TBuffer>(u"[INC]", u"inc.htm", 1200);
    };
    t.parser.GetCh();
    EXPECT_EQ(t.Symbols(), "\"a[INC]bcd\" $");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].command, u"include");
    EXPECT_EQ(calls[0].params, (std::vector<std::string>{"file=x&y z.htm", "depth=3"}));
    EXPECT_EQ(calls[1].command, u"echo");  // the comment's "--" is not the command's
    EXPECT_TRUE(calls[1].params.empty());
    EXPECT_EQ(calls[2].command, u"");

    // Without a handler an include comment is a comment.
    Tokenizer plain(u"a<!--#include file=x-->b");
    EXPECT_EQ(plain.Chars(), u"ab");
}

TEST(Tokenizer, IncludedTextKeepsThePositionOfItsComment) {
    Tokenizer t(u"<!--#i-->xy", nullptr, 1252, false);
    t.parser.IncludeEvent = [](TObject*, const std::u16string&, TStrings*, std::unique_ptr<TBuffer>& included) {
        included = std::make_unique<TBuffer>(u"abc", u"inc.htm", 1200);
    };
    t.parser.GetCh();
    t.parser.Next();
    ASSERT_EQ(t.parser.LCToken->S(), u"abcxy");
    const TTokenObj& token = *t.parser.LCToken;
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(token.Indices(i), 8 * 2) << i;  // the comment's ">"
    EXPECT_EQ(token.Indices(4), 9 * 2);
    EXPECT_EQ(token.Indices(5), 10 * 2);
}

TEST(Tokenizer, AnIncludeThatIncludesItselfStopsAtTheNestingLimit) {
    int calls = 0;
    Tokenizer t(u"<!--#self-->.", nullptr, 1252, false);
    t.parser.IncludeEvent = [&](TObject*, const std::u16string&, TStrings*, std::unique_ptr<TBuffer>& included) {
        ++calls;
        included = std::make_unique<TBuffer>(u"x<!--#self-->", u"self.htm", 1200);
    };
    t.parser.GetCh();
    const std::u16string text = t.Chars();
    EXPECT_EQ(calls, THtmlParser::MaxIncludeDepth);
    EXPECT_EQ(text, std::u16string(size_t(THtmlParser::MaxIncludeDepth), u'x') + u".");
    EXPECT_TRUE(t.parser.DocStack.empty());
    EXPECT_EQ(t.parser.Doc, &t.buffer);
}

TEST(Tokenizer, ProgressEvery4096CharactersUpToTheProgressStart) {
    FakeDocument doc;
    doc.ProgressStart = 75;
    Tokenizer t(std::u16string(10000, u'x'), &doc);
    EXPECT_EQ(t.Symbols(), "\"" + std::string(10000, 'x') + "\" $");
    ASSERT_GE(doc.Progress.size(), 3u);
    // Position (bytes) * 75 / size after the 4096th and 8192nd character, then the end.
    EXPECT_EQ(doc.Progress[0], 4096 * 2 * 75 / 20000);
    EXPECT_EQ(doc.Progress[1], 8192 * 2 * 75 / 20000);
    EXPECT_EQ(doc.Progress.back(), 75);

    // Position times progress start passes 32 bits early in a large document.
    FakeDocument big;
    big.ProgressStart = 1000000;
    Tokenizer u(std::u16string(8192, u'y'), &big);
    u.Symbols();
    ASSERT_GE(big.Progress.size(), 2u);
    EXPECT_EQ(big.Progress[0], 500000);
    EXPECT_EQ(big.Progress.back(), 1000000);
}

TEST(Tokenizer, ValueToInteger) {
    const struct {
        const char16_t* text;
        int32_t start;
        bool ok;
        int32_t value;
    } cases[] = {
        {u"50", 7, true, 50},
        {u" 50% ", 7, true, 50},
        {u"3*", 7, true, 3},
        {u"*", 7, false, 1},
        {u"+5", 7, true, 5},
        {u"-12", 7, true, -12},
        {u".5", 7, true, 0},  // halves to even
        {u"2.5", 7, true, 2},
        {u"3.5", 7, true, 4},
        {u"-2.5", 7, true, -2},
        {u"1e3", 7, true, 1000},
        {u"1e10", 7, true, 2147483647},
        {u"-1e10", 7, true, -2147483647},
        {u"99999999999999999999999999999999999999999", 7, true, 2147483647},
        // Starts like a number but is none as a whole (or no finite one):
        // unchanged, still true.
        {u"1e999", 7, true, 7},
        {u"12px", 7, true, 7},
        {u"50%%", 7, true, 7},
        {u"-", 7, true, 7},
        // Not a number at all: unchanged, false.
        {u"", 7, false, 7},
        {u"%", 7, false, 7},
        {u"auto", 7, false, 7},
        {u"none", 7, false, 7},
    };
    for (const auto& c : cases) {
        int32_t v = c.start;
        EXPECT_EQ(ValueToInteger(c.text, v), c.ok) << toUtf8(c.text);
        EXPECT_EQ(v, c.value) << toUtf8(c.text);
    }
}

}  // namespace
