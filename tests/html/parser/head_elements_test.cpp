// The html and body tags' attributes, the head elements (meta, base, link,
// bgsound), scripts, objects, image maps and option lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/layout/ModelFixture.h"
#include "html/parser/DocumentFixture.h"
#include "html/parser/ParserFixture.h"
#include "platform/framework/Streams.h"
#include "support/TempDir.h"

namespace {

using htmltext::toUtf8;
using parsertest::ParsedDocument;

class HeadElementsTest : public modeltest::RecordingScreenTest {};

int64_t prop(const TSectionBase* node, ThtPropertyIndex index) {
    return VarToInt(node->Properties()->Props[index], -1);
}

TEST_F(HeadElementsTest, BodyAttributes) {
    ParsedDocument d;
    d.Parse(u"<html><body leftmargin=300 topmargin=-5 text=red bgcolor=#00ff00 link=#0000ff olink=green>x");
    TBlock* body = d.BodyBlock();
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->Symbol(), BodySy);
    EXPECT_EQ(prop(body, MarginLeft), 200);  // clamped to 0 .. 200
    EXPECT_EQ(prop(body, MarginRight), 200);
    EXPECT_EQ(prop(body, MarginTop), 0);
    EXPECT_EQ(prop(body, MarginBottom), 0);
    EXPECT_EQ(prop(body, Color), 0x0000FF);
    EXPECT_EQ(prop(body, BackgroundColor), 0x00FF00);
    EXPECT_EQ(VarToInt(d.doc->Styles->Lookup(u"::link")->Props[Color]), 0xFF0000);
    EXPECT_EQ(VarToInt(d.doc->Styles->Lookup(u"::hover")->Props[Color]), 0x008000);
    EXPECT_TRUE(d.doc->LinksActive);
    EXPECT_EQ(d.Body(), "body['x']");

    // Without margin attributes the viewer's margins apply, except where a rule gave some.
    ParsedDocument m;
    m.viewer.MarginWidth = 7;
    m.viewer.MarginHeight = 3;
    m.Parse(u"<style>body { margin-left: 20px }</style><body>x");
    EXPECT_EQ(prop(m.BodyBlock(), MarginRight), 7);
    EXPECT_EQ(prop(m.BodyBlock(), MarginTop), 3);
    EXPECT_NE(prop(m.BodyBlock(), MarginLeft), 7);
}

TEST_F(HeadElementsTest, ALateOrNestedBodyTagIsIgnored) {
    for (const char16_t* html : {u"<p>x</p><body leftmargin=50>y", u"<table><tr><td><body leftmargin=50>y</table>"}) {
        ParsedDocument d;
        d.Parse(html);
        EXPECT_NE(d.BodyBlock()->Symbol(), BodySy) << toUtf8(html);
        EXPECT_NE(prop(d.BodyBlock(), MarginLeft), 50) << toUtf8(html);
    }
}

TEST_F(HeadElementsTest, MetaCharsetSwitchesTheBuffer) {
    // "Мир" in windows-1251, after each form of the declaration.
    for (const std::string& meta : {std::string("<meta charset=\"windows-1251\">"),
                                    std::string("<meta http-equiv=\"Content-Type\" "
                                                "content=\"text/html; charset=windows-1251\">")}) {
        const std::string bytes = "<html><head>" + meta + "</head><body>\xCC\xE8\xF0";
        ParsedDocument d;
        std::vector<std::string> events;
        d.Meta = [&](TObject* Sender, const std::u16string& HttpEq, const std::u16string& Name,
                     const std::u16string& Content) {
            EXPECT_EQ(Sender, &d.viewer);
            events.push_back(toUtf8(HttpEq) + "|" + toUtf8(Name) + "|" + toUtf8(Content));
        };
        d.buffer = std::make_unique<TBuffer>(bytes.data(), bytes.size(), 1252, std::u16string(u"m.html"));
        d.ParseBuffer();
        EXPECT_EQ(d.Body(), "body['Мир']") << meta;
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].substr(0, 13),
                  std::string(meta.find("http") != std::string::npos ? "Content-Type|" : "content-type|"));
        EXPECT_NE(events[0].find("windows-1251"), std::string::npos);
        EXPECT_EQ(d.buffer->CodePage(), 1251);
    }

    // The code page is the viewer's business: without one nothing switches.
    const std::string bytes = "<meta charset=\"windows-1251\">\xCC\xE8\xF0";
    ParsedDocument n(false);
    n.buffer = std::make_unique<TBuffer>(bytes.data(), bytes.size(), 1252, std::u16string(u"m.html"));
    n.ParseBuffer();
    EXPECT_EQ(n.buffer->CodePage(), 1252);
}

TEST_F(HeadElementsTest, BaseSoundAndScript) {
    ParsedDocument d;
    std::vector<std::string> sounds, scripts;
    d.Sound = [&](TObject* Sender, const std::u16string& Src, int32_t Loop, bool Terminate) {
        EXPECT_EQ(Sender, &d.viewer);
        EXPECT_FALSE(Terminate);
        sounds.push_back(toUtf8(Src) + " " + std::to_string(Loop));
    };
    d.doc->ScriptEvent = [&](TObject* Sender, const std::u16string& Name, const std::u16string& Type,
                             const std::u16string& Src, const std::u16string& Script) {
        EXPECT_EQ(Sender, &d.viewer);
        scripts.push_back(toUtf8(Name + u"|" + Type + u"|" + Src + u"|" + Script));
    };
    d.Parse(
        u"<head><base href=\"http://h/dir/\" target=_blank><bgsound src=a.wav loop=2><bgsound loop=3>"
        u"<bgsound src=b.wav><script type=text/js name=n>if (a<b) x();</script></head>text");
    EXPECT_EQ(d.parser->Base(), u"http://h/dir/");
    EXPECT_EQ(d.parser->BaseTarget(), u"_blank");
    EXPECT_EQ(sounds, (std::vector<std::string>{"a.wav 2", "b.wav 1"}));
    EXPECT_EQ(scripts, (std::vector<std::string>{"n|text/js||if (a<b) x();"}));
    EXPECT_EQ(d.Body(), "body['text']");
}

TEST_F(HeadElementsTest, LinkedStyleSheets) {
    zrxtest::TempDir dir;
    zrxtest::writeFile(dir.file("blue.css"), "p { color: #0000ff }");
    const std::u16string path = htmltext::fromUtf8(dir.file("blue.css"));
    const int64_t blue = 0xFF0000;
    struct Case {
        std::u16string link;
        bool loaded;
        std::string event;  // rel|rev|href
    };
    const std::string p8 = toUtf8(path);
    const Case cases[] = {
        {u"<link rel=stylesheet href=\"" + path + u"\">", true, "stylesheet||" + p8},
        {u"<link rel=StyleSheet media=\"screen, print\" href=\"" + path + u"\">", true, "StyleSheet||" + p8},
        // A sheet for print only is not loaded, and nothing after the media attribute is read.
        {u"<link media=print rel=stylesheet href=\"" + path + u"\">", false, "||"},
        {u"<link rel=alternate rev=made href=\"" + path + u"\">", false, "alternate|made|" + p8},
        {u"<link rel=stylesheet href=\"" + path + u".missing\">", false, "stylesheet||" + p8 + ".missing"},
        // A relative name is expanded by the viewer.
        {u"<link rel=stylesheet href=\"blue.css\">", true, "stylesheet||" + p8},
    };
    for (const Case& c : cases) {
        ParsedDocument d;
        d.viewer.ExpandBase = htmltext::fromUtf8(dir.str() + "/");
        std::vector<std::string> events;
        d.Link = [&](TObject*, const std::u16string& Rel, const std::u16string& Rev, const std::u16string& Href) {
            events.push_back(toUtf8(Rel) + "|" + toUtf8(Rev) + "|" + toUtf8(Href));
        };
        d.Parse(c.link + u"<p>x");
        EXPECT_EQ(prop(d.BlockAt(0), Color) == blue, c.loaded) << toUtf8(c.link);
        EXPECT_EQ(events, std::vector<std::string>{c.event}) << toUtf8(c.link);
    }

    // The viewer's stream request serves the sheet; the stream stays the viewer's.
    ParsedDocument s;
    TMemoryStream stream;
    const std::string css = "p { color: #0000ff }";
    stream.Write(css.data(), int64_t(css.size()));
    std::vector<std::u16string> asked;
    s.viewer.StreamRequest = [&](TObject*, const std::u16string& Src, TStream*& Stream) {
        asked.push_back(Src);
        Stream = &stream;
    };
    s.Parse(u"<link rel=stylesheet href=\"mem.css\"><p>x");
    EXPECT_EQ(asked, std::vector<std::u16string>{u"mem.css"});
    EXPECT_EQ(prop(s.BlockAt(0), Color), blue);
}

TEST_F(HeadElementsTest, ImageMapsEndWithinThreeForeignTags) {
    ParsedDocument d;
    d.Parse(
        u"<map name=one><area shape=rect coords=\"0,0,5,5\" href=a><b>x</b><area coords=\"1,1,2,2\" href=b>"
        u"</map><map name=two><area coords=\"0,0,1,1\"><p>x<br><i>y</i></map>"
        u"<map name=three>text <area coords=\"0,0,1,1\"></map>");
    ASSERT_EQ(d.doc->MapList.size(), 2u);
    EXPECT_EQ(d.doc->MapList[0]->MapName, u"ONE");
    EXPECT_EQ(d.doc->MapList[0]->Areas().Count(), 2);
    EXPECT_EQ(d.doc->MapList[1]->MapName, u"THREE");
    EXPECT_EQ(d.doc->MapList[1]->Areas().Count(), 1);
}

TEST_F(HeadElementsTest, AnObjectNobodyShowsIsOrdinaryFlow) {
    ParsedDocument d;
    int calls = 0;
    d.viewer.ObjectTag = [&](TObject*, TWinControl*, const TStringList&, const TStringList&, bool& Want) {
        ++calls;
        Want = true;
    };
    d.Parse(u"<object data=x><param name=a value=1>fallback</object>after");
    if (calls == 0) EXPECT_EQ(d.Body(), "body['fallbackafter']");
    else EXPECT_EQ(d.Body(), "body['#after']");
}

class Options : public TOptionsReceiver {
public:
    void AddStr(const std::u16string& Text, bool Selected, std::unique_ptr<TStringList> Attributes,
                int CodePage) override {
        std::string line = toUtf8(Text) + (Selected ? "*" : "") + " " + std::to_string(CodePage);
        for (int i = 0; i < Attributes->Count(); ++i) line += " " + Attributes->Strings(i);
        Lines.push_back(line);
    }
    void ResetToValue() override { ++Resets; }
    std::vector<std::string> Lines;
    int Resets = 0;
};

TEST(OptionLists, OptionsWithTheirTextAttributesAndSelection) {
    const struct {
        const char16_t* html;
        std::vector<std::string> options;
        TElemSymb end;
    } cases[] = {
        {u"<select><option value=1>  One </option><option selected>Two<option>Three</select>x",
         {"One 1251 VALUE=1", "Two* 1251 SELECTED=", "Three 1251"},
         SelectEndSy},
        // Text outside an option is dropped; an option list ends at a table's structure.
        {u"<select>lost<option>a<td>b", {"a 1251"}, TDSy},
        {u"<select><option>a<p>b", {"a 1251"}, PSy},
        {u"<select>", {}, EofSy},
    };
    for (const auto& c : cases) {
        parsertest::FakeDocument doc;
        parsertest::Tokenizer t(c.html, &doc, 1251);
        t.parser.Next();
        ASSERT_EQ(t.parser.Sy, SelectSy);
        t.parser.SetNoBreak(true);
        Options options;
        t.parser.DoSelect(options);
        EXPECT_EQ(options.Lines, c.options) << toUtf8(c.html);
        EXPECT_EQ(options.Resets, 1);
        EXPECT_EQ(t.parser.Sy, c.end) << toUtf8(c.html);
        EXPECT_TRUE(t.parser.NoBreak());  // restored
    }
}

}  // namespace
