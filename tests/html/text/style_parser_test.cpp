#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "html/text/HtmlText.h"
#include "html/text/Lengths.h"
#include "html/text/StyleList.h"
#include "html/text/StyleParser.h"

namespace {

using htmltext::toUtf8;

// The sheet's entries as "key{name:value;...}" lines, values as text
// (colours as hexadecimal), the link entry left out unless asked for.
std::string dump(const TStyleList& list, bool withLink = false) {
    std::string out;
    for (int i = 0; i < list.Count(); ++i) {
        if (list.Strings(i) == u"::link" && !withLink) continue;
        out += toUtf8(list.Strings(i)) + "{";
        const TProperties* p = list.Objects(i);
        for (int k = 0; k < StoredPropCount; ++k) {
            const ThtVariant& v = p->Props[size_t(k)];
            if (VarIsEmpty(v) || VarIsAuto(v) || (k == ZIndex && VarInt(v, -1) == 0)) continue;
            out += toUtf8(PropWords(ThtPropertyIndex(k))) + ":";
            if (VarIsOrdinal(v)) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "#%06llX", (unsigned long long)VarInt(v) & 0xFFFFFFFF);
                out += buf;
            } else {
                out += toUtf8(VarToText(v));
            }
            out += ";";
        }
        out += "}";
    }
    return out;
}

struct Sheet {
    TStyleList list;
    char16_t c = u'?';
    int resumeAt = -1;
    std::u16string rest;
};

void parse(Sheet& s, const std::u16string& css, bool fromLink = false, const std::u16string& path = u"",
           bool quirks = false) {
    TBuffer doc(css, std::u16string(u"sheet.css"), 1200);
    s.list.SetUseQuirksMode(quirks);
    ParseStyleSheet(s.list, s.c, doc, quirks, fromLink, path);
    s.resumeAt = doc.Position();
    s.rest = doc.AsString();
}

// Makes "#00FF00"-style colour text for expectations: TColor bytes as stored.
TEST(StyleParserTest, SheetsToKeysAndValues) {
    const struct {
        const char16_t* css;
        const char* expect;
    } cases[] = {
        {u"<!-- p { color: #f00 } -->", "p{color:#0000FF;}"},
        {u"p{color:#f00} /* x */ b{color:#0f0}", "b{color:#00FF00;}p{color:#0000FF;}"},
        {u"p{color:#f00} /*/ b{color:#0f0} */ i{color:#00f}", "b{color:#00FF00;}i{color:#FF0000;}p{color:#0000FF;}"},
        {u"@media print { p{color:#f00} } b{color:#0f0}", "b{color:#00FF00;}"},
        {u"@media screen, print { p{color:#f00} } b{color:#0f0}", "b{color:#00FF00;}p{color:#0000FF;}"},
        {u"@media all{p{color:#f00}}", "p{color:#0000FF;}"},
        {u"@media screen and (min-width: 1px) { p{color:#f00} } b{color:#0f0}", "b{color:#00FF00;}"},
        {u"@import \"x.css\"; p{color:#f00}", "p{color:#0000FF;}"},
        {u"@import 'x.css'; p{color:#f00}", "p{color:#0000FF;}"},
        {u"@import url( 'x.css' ) screen; p{color:#f00}", "p{color:#0000FF;}"},
        {u"@import url(x.css); p{color:#f00}", "p{color:#0000FF;}"},
        {u"@charset \"utf-8\"; p{color:#f00}", "p{color:#0000FF;}"},
        {u"p{color:red !important; margin:1px 2px}",
         "p{color:#0000FF;margin-top:1px;margin-right:2px;margin-bottom:1px;margin-left:2px;}"},
        {u"p{color:red!important}", "p{color:#0000FF;}"},
        {u"p{color:red !important ;}", "p{}"},
        {u"h1 + p{color:red} b{color:#0f0}", "b{color:#00FF00;}"},
        {u"input[type=text]{color:red}", "input{color:#0000FF;}"},
        {u"*.x{color:red}", ".x{color:#0000FF;}"},
        {u"A, B.c { COLOR: RED }", "a{color:#0000FF;}b.c{color:#0000FF;}"},
        {u"p{content:\"a;}b\"; color:red}", "p{color:#0000FF;}"},
        {u"p{x: f(a;b); color:red}", "p{color:#0000FF;}"},
        {u"p{font: bold 12px/1.5 Arial}",
         "p{font-family:arial;font-size:12px;font-style:normal;font-weight:bold;line-height:1.5;font-variant:normal;}"},
        {u"p{font: 12px}", ""},
        {u"p{font: italic 700 small-caps 2em 'Times New Roman', serif}",
         "p{font-family:'Times New Roman',serif;font-size:2em;font-style:italic;font-weight:normal;"
         "line-height:normal;font-variant:small-caps;}"},
        {u"p{border: 1px solid #ff0000}",
         "p{border-top-width:1px;border-right-width:1px;border-bottom-width:1px;border-left-width:1px;"
         "border-top-color:#0000FF;border-right-color:#0000FF;border-bottom-color:#0000FF;border-left-color:#0000FF;"
         "border-top-style:solid;border-right-style:solid;border-bottom-style:solid;border-left-style:solid;}"},
        {u"p{border-left: rgb(0,0,255) dashed}",
         "p{border-left-width:medium;border-left-color:#FF0000;border-left-style:dashed;}"},
        {u"p{border-top: red}", "p{border-top-width:medium;border-top-color:#0000FF;border-top-style:none;}"},
        {u"p{border-top: 2px #f00 dotted}",
         "p{border-top-width:2px;border-top-color:#0000FF;border-top-style:dotted;}"},
        {u"p{padding: 1px 2px 3px}", "p{padding-top:1px;padding-right:2px;padding-bottom:3px;padding-left:2px;}"},
        {u"p{border-spacing: 2px}", "p{thv-border-spacing-horz:2px;thv-border-spacing-vert:2px;}"},
        {u"p{border-spacing: 2px 3px}", "p{thv-border-spacing-horz:2px;thv-border-spacing-vert:3px;}"},
        {u"ul{list-style: square inside}", "ul{list-style-type:square;list-style-image:none;}"},
        {u"ul{list-style: none url(b.png)}", "ul{list-style-type:none;list-style-image:url(b.png);}"},
        {u"p{background: #fff url(Img/A.png) no-repeat fixed right top}",
         "p{background-color:#FFFFFF;background-image:url(Img/A.png);background-position:right top ;"
         "background-repeat:no-repeat;background-attachment:fixed;}"},
        {u"p{background: rgb(1,2,3)}",
         "p{background-color:#030201;background-image:none;background-position:0% 0%;background-repeat:repeat;"
         "background-attachment:scroll;}"},
        {u"p{color:red} p{color:#0f0}", "p{color:#00FF00;}"},
        {u"div p, ul>li{color:red}", "li 10000000011ul> {color:#0000FF;}p 10000000010div {color:#0000FF;}"},
        {u"p{color:red", "p{color:#0000FF;}"},
        {u"p{color:red} b{color:#0f0} /* never closed", "b{color:#00FF00;}p{color:#0000FF;}"},
        {u"@font-face { font-family: x }", "{font-family:x;}"},
        {u"@page :first { margin: 1in } p{color:red}",
         "{margin-top:1in;margin-right:1in;margin-bottom:1in;margin-left:1in;}p{color:#0000FF;}"},
        {u"p{FONT-FAMILY: \"Liberation Sans\", Arial}", "p{font-family:\"liberation sans\", arial;}"},
    };
    for (const auto& c : cases) {
        Sheet s;
        parse(s, c.css);
        EXPECT_EQ(dump(s.list), c.expect) << toUtf8(c.css);
        EXPECT_EQ(s.c, 0) << toUtf8(c.css);
    }
}

// At-rule blocks nest only so deep: deeper blocks are skipped whole, so no
// sheet can exhaust the stack, and what follows them still applies.
TEST(StyleParserTest, NestedAtRuleBlocksAreBounded) {
    const int max = THtmlStyleTagParser::MaxAtRuleDepth;
    auto nested = [](int depth, bool closed) {
        std::u16string css;
        for (int i = 0; i < depth; ++i) css += u"@media{";
        css += u"p{color:red}";
        if (closed)
            for (int i = 0; i < depth; ++i) css += u"}";
        return css + u" b{color:#0f0}";
    };
    const struct {
        int depth;
        bool closed;
        const char* expect;
    } cases[] = {
        {max, true, "b{color:#00FF00;}i{color:#FF0000;}p{color:#0000FF;}"},
        {max + 1, true, "b{color:#00FF00;}i{color:#FF0000;}"},
        {50'000, true, "b{color:#00FF00;}i{color:#FF0000;}"},
        {max, false, "b{color:#00FF00;}i{color:#FF0000;}p{color:#0000FF;}"},
        {50'000, false, "i{color:#FF0000;}"},
    };
    for (const auto& c : cases) {
        Sheet s;
        parse(s, u"i{color:#00f} " + nested(c.depth, c.closed));
        EXPECT_EQ(dump(s.list), c.expect) << c.depth << (c.closed ? "" : " unclosed");
        EXPECT_EQ(s.c, 0);
    }
}

TEST(StyleParserTest, StyleContentEndsAtTheEndTag) {
    Sheet s;
    parse(s, u"<!-- p{color:red} --></style><p>");
    EXPECT_EQ(s.c, u'<');
    EXPECT_EQ(s.rest, u"/style><p>");  // the buffer stands right after the '<'
    EXPECT_EQ(dump(s.list), "p{color:#0000FF;}");

    Sheet linked;
    parse(linked, u"p{color:red} <b{color:#0f0}", true);
    EXPECT_EQ(linked.c, 0);
}

TEST(StyleParserTest, LinkedSheetsResolveTheirUrls) {
    Sheet s;
    parse(s, u"p{background: url(img/a.png) no-repeat #abc} b{list-style-image: url('/x/b.png')}", true,
          u"/home/u/css");
    const TProperties* p = s.list.Lookup(u"p");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(VarStr(p->Props[BackgroundImage]), u"url(\"/home/u/css/img/a.png\")");
    EXPECT_EQ(VarStr(p->Props[BackgroundRepeat]), u"no-repeat");
    EXPECT_EQ(VarInt(p->Props[BackgroundColor]), 0xCCBBAA);
    EXPECT_EQ(VarStr(s.list.Lookup(u"b")->Props[ListStyleImage]), u"url(\"/x/b.png\")");

    Sheet web;
    parse(web, u"p{background-image: url(../i.png)}", true, u"http://h/css/");
    EXPECT_EQ(VarStr(web.list.Lookup(u"p")->Props[BackgroundImage]), u"url(\"http://h/i.png\")");
}

TEST(StyleParserTest, QuirksDefaults) {
    Sheet s;
    parse(s, u"p{font: arial} ul{list-style: disc}", false, u"", true);
    EXPECT_EQ(VarStr(s.list.Lookup(u"p")->Props[FontSize]), u"small");
    Sheet std;
    parse(std, u"p{font: arial}");
    EXPECT_EQ(VarStr(std.list.Lookup(u"p")->Props[FontSize]), u"medium");
}

TEST(StyleParserTest, StyleAttributes) {
    TProperties p;
    ParseStyleAttributeText(u"color: red;;; margin-left : 4px ; FONT-WEIGHT=Bold; bogus; width:", p);
    EXPECT_EQ(VarInt(p.Props[Color]), 0x0000FF);
    EXPECT_EQ(VarStr(p.Props[MarginLeft]), u"4px");
    EXPECT_EQ(VarStr(p.Props[FontWeight]), u"bold");
    EXPECT_EQ(VarStr(p.Props[piWidth]), u"");
    TProperties q;
    ParseStyleAttributeText(u"/* open comment color: red", q);
    ParseStyleAttributeText(u"padding: 1px 2px; font-family: 'A B'; background-image: url(X.png)", q);
    EXPECT_EQ(VarStr(q.Props[PaddingLeft]), u"2px");
    EXPECT_EQ(VarStr(q.Props[FontFamily]), u"'a b'");
    EXPECT_EQ(VarStr(q.Props[BackgroundImage]), u"url(X.png)");
    TProperties r;
    ParseStyleAttributeText(u"", r);
    ParseStyleAttributeText(u"\"\"\"", r);
}

TEST(StyleParserTest, ValueHelpers) {
    EXPECT_EQ(LowerCaseOutsideQuotes(u"URL(A.PNG) 'X Y' Z"), u"url(A.PNG) 'X Y' z");
    EXPECT_EQ(LowerCaseOutsideQuotes(u"ABC"), u"abc");
    EXPECT_EQ(StripQuotes(u"'ab'"), u"ab");
    EXPECT_EQ(StripQuotes(u"'ab\""), u"'ab\"");
    const auto w = SplitValueWords(u"  a  'b c'   12px/1.5 d, e f g", 4);
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(w[0], u"a");
    EXPECT_EQ(w[1], u"'b c'");
    EXPECT_EQ(w[2], u"12px");
    EXPECT_EQ(w[3], u"/1.5");
    EXPECT_EQ(w[4], u"d,e");
    EXPECT_EQ(SplitValueWords(u"1px/2px", 0).size(), 1u);
    // Runs of blanks are one blank, and a blank after a comma goes.
    const auto v = SplitValueWords(u"a ,  , b   c", 6);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[1], u",,b");
    EXPECT_EQ(v[2], u"c");
    std::u16string t = u"url(a) x rgb(1,2,3) hsl(1,2%,3%)";
    const auto f = ExtractFunctionValues(t, 5);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], u"url(a)");
    EXPECT_EQ(f[1], u"rgb(1,2,3)");
    EXPECT_EQ(f[2], u"hsl(1,2%,3%)");
    EXPECT_EQ(htmltext::trim(t), u"x");
}

}  // namespace
