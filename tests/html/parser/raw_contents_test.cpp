#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "html/parser/ParserFixture.h"

namespace {

using htmltext::toUtf8;
using parsertest::Tokenizer;

struct Script {
    std::u16string name, type, src, text;
};

// Reads the script element that starts the text; answers what the handler got.
std::vector<Script> readScript(Tokenizer& t) {
    std::vector<Script> got;
    t.parser.Next();
    EXPECT_EQ(t.parser.Sy, ScriptSy);
    t.parser.DoScript([&](TObject*, const std::u16string& name, const std::u16string& type, const std::u16string& src,
                          const std::u16string& text) {
        got.push_back({name, type, src, text});
    });
    EXPECT_FALSE(t.parser.InScript);
    return got;
}

TEST(ScriptReader, ContentsGoToTheHandler) {
    Tokenizer t(
        u"<script type=\"text/javascript\" language=js name=n src='s.js'>if (a<b && c<!--d)\r\n"
        u"  x = '<p>';\n</script>after");
    const auto got = readScript(t);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].type, u"text/javascript");
    EXPECT_EQ(got[0].name, u"n");
    EXPECT_EQ(got[0].src, u"s.js");
    // "<" starts no comment here; line ends arrive as CR LF.
    EXPECT_EQ(got[0].text, u"if (a<b && c<!--d)\r\n  x = '<p>';\r\n");
    EXPECT_EQ(t.Symbols(), "\"after\" $");

    Tokenizer lang(u"<script language=vbscript></script>");
    EXPECT_EQ(readScript(lang).at(0).type, u"vbscript");
}

TEST(ScriptReader, EndTags) {
    const struct {
        const char16_t* text;
        const char16_t* script;
        const char* rest;
    } cases[] = {
        {u"<script>a</script>b", u"a", "\"b\" $"},
        {u"<script>a</SCRIPT>b", u"a", "\"b\" $"},
        // Up to six characters between the name and ">".
        {u"<script>a</script \r\n >b", u"a", "\"b\" $"},
        {u"<script>a</script ---->b", u"a", "\"b\" $"},
        // More: the element ends, and what is left of the tag is text.
        {u"<script>a</script 12345678>b", u"a", "\"678>b\" $"},
        // Other names stay script text.
        {u"<script>a</scripts>b</script>", u"a</scripts>b", "$"},
        {u"<script>a</b>c</script>", u"a</b>c", "$"},
        {u"<script>a < b</script>", u"a < b", "$"},
        // A name right before the end tag takes none of the end tag's slack.
        {u"<script>x<y</script>z", u"x<y", "\"z\" $"},
        {u"<script>if(i<n)</script>z", u"if(i<n)", "\"z\" $"},
        // The text ends first: the handler still gets what was read.
        {u"<script>a<", u"a<", "$"},
        {u"<script>a</scr", u"a</scr", "$"},
        {u"<script>", u"", "$"},
        {u"<script", u"", "$"},
    };
    for (const auto& c : cases) {
        Tokenizer t(c.text);
        const auto got = readScript(t);
        ASSERT_EQ(got.size(), 1u) << toUtf8(c.text);
        EXPECT_EQ(got[0].text, c.script) << toUtf8(c.text);
        EXPECT_EQ(t.Symbols(), c.rest) << toUtf8(c.text);
    }
}

TEST(ScriptReader, WithoutAHandlerTheContentsAreSkipped) {
    Tokenizer t(u"<script>var s = '<b>';</script><p>x");
    t.parser.Next();
    t.parser.DoScript(nullptr);
    EXPECT_FALSE(t.parser.InScript);
    EXPECT_EQ(t.Symbols(), "<p> \"x\" $");
}

TEST(ScriptReader, AHandlerThatThrowsLeavesScriptModeOff) {
    Tokenizer t(u"<script>x</script>");
    t.parser.Next();
    EXPECT_THROW(t.parser.DoScript([](TObject*, const std::u16string&, const std::u16string&, const std::u16string&,
                                      const std::u16string&) { throw std::runtime_error("handler"); }),
                 std::runtime_error);
    EXPECT_FALSE(t.parser.InScript);
}

class TextArea : public TTextAreaReceiver {
public:
    void AddStr(const std::u16string& Text) override { Lines.push_back(Text); }
    void ResetToValue() override { ++Resets; }
    std::vector<std::u16string> Lines;
    int Resets = 0;
};

TEST(TextAreaReader, Contents) {
    const struct {
        const char16_t* text;
        std::vector<std::u16string> lines;
        const char* rest;
    } cases[] = {
        {u"<textarea>one\r\ntwo &lt;b&gt; <b>x</b>\nthree</textarea>after",
         {u"one\r\n", u"two <b> <b>x</b>\r\n", u"three"},
         "\"after\" $"},
        // An empty last line is not added.
        {u"<textarea>a\r\n</textarea>", {u"a\r\n"}, "$"},
        {u"<textarea></textarea>", {}, "$"},
        // The end tag ends the element whatever follows its name.
        {u"<textarea>a</TEXTAREA foo=\"bar\">b", {u"a"}, "\"b\" $"},
        {u"<textarea>a</textareax>b</textarea>", {u"a</textareax>b"}, "$"},
        // The text ends inside the contents, also right after a "<".
        {u"<textarea>abc<", {u"abc<"}, "$"},
        {u"<textarea>abc</texta", {u"abc</texta"}, "$"},
        {u"<textarea>x\r\n<", {u"x\r\n", u"<"}, "$"},
    };
    for (const auto& c : cases) {
        Tokenizer t(c.text);
        t.parser.Next();
        ASSERT_EQ(t.parser.Sy, TextAreaSy) << toUtf8(c.text);
        TextArea control;
        t.parser.DoTextArea(control);
        EXPECT_EQ(control.Lines, c.lines) << toUtf8(c.text);
        EXPECT_EQ(control.Resets, 1) << toUtf8(c.text);
        EXPECT_EQ(t.Symbols(), c.rest) << toUtf8(c.text);
    }
}

TEST(TextAreaReader, LongLinesArriveWhole) {
    const std::u16string line(250, u'q');
    Tokenizer t(u"<textarea>" + line + u"\r\n" + line + u"</textarea>");
    t.parser.Next();
    TextArea control;
    t.parser.DoTextArea(control);
    EXPECT_EQ(control.Lines, (std::vector<std::u16string>{line + u"\r\n", line}));
}

}  // namespace
