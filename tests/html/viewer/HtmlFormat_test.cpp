// The "HTML Format" block of a selection: the fragment cut from the source,
// its cleaning, the inserted style, and the header's offsets read back.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "html/viewer/HtmlFormat.h"

namespace {

// The header's fields, and checks that its offsets locate what they name.
struct Parsed {
    std::map<std::string, std::string> fields;
    std::string fragment;  // the bytes between StartFragment and EndFragment
};

Parsed parse(const ThtHtmlFormat& f) {
    Parsed p;
    const std::string& b = f.Block;
    size_t at = 0;
    for (const char* name : {"Version", "StartHTML", "EndHTML", "StartFragment", "EndFragment", "SourceURL"}) {
        const size_t eol = b.find("\r\n", at);
        const std::string line = b.substr(at, eol - at);
        const size_t colon = line.find(':');
        EXPECT_EQ(line.substr(0, colon), name);
        p.fields[name] = line.substr(colon + 1);
        at = eol + 2;
    }
    for (const char* name : {"StartHTML", "EndHTML", "StartFragment", "EndFragment"}) {
        EXPECT_EQ(p.fields[name].size(), 10u) << name;
        EXPECT_EQ(p.fields[name].find_first_not_of("0123456789"), std::string::npos) << name;
    }
    const size_t startHtml = std::stoul(p.fields["StartHTML"]), endHtml = std::stoul(p.fields["EndHTML"]);
    const size_t startFragment = std::stoul(p.fields["StartFragment"]);
    const size_t endFragment = std::stoul(p.fields["EndFragment"]);
    EXPECT_EQ(startHtml, at);  // the header's own length
    EXPECT_EQ(endHtml, b.size());
    EXPECT_EQ(b.substr(startHtml), f.Html);
    EXPECT_EQ(b.substr(startFragment - 20, 20), "<!--StartFragment-->");
    EXPECT_EQ(b.substr(endFragment), "<!--EndFragment-->");
    p.fragment = b.substr(startFragment, endFragment - startFragment);
    return p;
}

size_t count(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

// Start and End for the selection of `what` in `source` (its first occurrence).
std::pair<int32_t, int32_t> select(const std::u16string& source, const std::u16string& what) {
    const size_t at = source.find(what);
    return {int32_t(at) + 1, int32_t(at + what.size()) + 1};
}

TEST(HtmlFormat, FragmentsCutFromTheSource) {
    const std::string doctype = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n";
    const std::string style = "<style> body {font-size: 12pt; font-family: \"Times New Roman\"; }</style>";
    struct Case {
        const char* name;
        std::u16string source, selected;
        // Where the cut ends: empty just after the selection, "$" past the
        // last mapped character, else before this text.
        std::u16string endBefore;
        std::string fragment, html;
    } cases[] = {
        {"closing tag after the selection is cut", u"<p>abc</p>", u"abc", u"", "abc",
         doctype + "<head>" + style + "</head><p><!--StartFragment-->abc<!--EndFragment-->"},
        {"selection to the end", u"<p>abc</p>", u"abc", u"$", "abc",
         doctype + "<head>" + style + "</head><p><!--StartFragment-->abc<!--EndFragment-->"},
        {"trailing cell and row tags and a line break", u"<table><tr><td>abc</td></tr>\r\n</table>", u"abc",
         u"</table>", "abc", ""},
        {"no head or html element", u"abc", u"abc", u"$", "abc",
         doctype + "<head>" + style + "</head><!--StartFragment-->abc<!--EndFragment-->"},
        {"an html element without head", u"<html><body>abc</body></html>", u"abc", u"$", "abc",
         doctype + "<head>" + style + "</head><html><body><!--StartFragment-->abc<!--EndFragment-->"},
        {"the style goes before the head", u"<html><head><title>t</title></head><body>abc", u"abc", u"$", "abc",
         doctype + "<html>" + style + "<head><title>t</title></head><body><!--StartFragment-->abc<!--EndFragment-->"},
        {"the last character of a plain source is kept", u"one two", u"two", u"$", "two", ""},
        {"markers of an earlier copy are dropped", u"<!--StartFragment-->abc<!--EndFragment-->", u"abc", u"$", "abc",
         ""},
        {"a Cyrillic selection in the middle of the text", u"<p>Привет мир, друзья</p>", u"мир", u"", "мир", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto [start, end] = select(c.source, c.selected);
        if (c.endBefore == u"$") end = int32_t(c.source.size()) + 1;
        else if (!c.endBefore.empty()) end = int32_t(c.source.find(c.endBefore)) + 1;
        const ThtHtmlFormat f = BuildHtmlFormat(c.source, start, end, u"", 12, u"Times New Roman");
        const Parsed p = parse(f);
        EXPECT_EQ(p.fragment, c.fragment);
        if (!c.html.empty()) {
            EXPECT_EQ(f.Html, c.html);
        }
        EXPECT_EQ(count(f.Html, "<!--StartFragment-->"), 1u);
        EXPECT_EQ(count(f.Html, "<!--EndFragment-->"), 1u);
        EXPECT_EQ(p.fields.at("SourceURL"), "unsaved:///THtmlViewer.htm");
    }
}

TEST(HtmlFormat, CleaningForTheReceiver) {
    const std::u16string source =
        u"<!doctype html><html><head><META charset=\"utf-8\"><title>t</title></head>"
        u"<body><p style=\"Page-Break-Before: always\">abc</p><div style=\"page-break-after:always\">def</div>";
    const ThtHtmlFormat f =
        BuildHtmlFormat(source, select(source, u"abc").first, int32_t(source.size()) + 1, u"", 10, u"Arial");
    const Parsed p = parse(f);
    EXPECT_EQ(count(f.Html, "<!DOCTYPE"), 1u);  // only the added line
    EXPECT_EQ(f.Html.find("<!doctype"), std::string::npos);
    EXPECT_EQ(f.Html.find("META"), std::string::npos);
    EXPECT_NE(f.Html.find("\"age-Break-Before: always\""), std::string::npos);
    EXPECT_NE(f.Html.find("\"age-break-after:always\""), std::string::npos);
    EXPECT_NE(f.Html.find("font-size: 10pt; font-family: \"Arial\""), std::string::npos);
    EXPECT_EQ(p.fragment, "abc</p><div style=\"age-break-after:always\">def");

    // An unterminated meta tag cannot swallow the fragment, before it or inside it.
    for (const std::u16string& s : {std::u16string(u"<meta name=x <p>abc</p>"), std::u16string(u"<p>abc</p><meta x")}) {
        const ThtHtmlFormat g = BuildHtmlFormat(s, select(s, u"abc").first, int32_t(s.size()) + 1, u"", 12, u"Arial");
        const Parsed q = parse(g);
        EXPECT_EQ(q.fragment.substr(0, 3), "abc");
        EXPECT_EQ(g.Html.find("<meta"), std::string::npos);
    }

    // Line-break hints leave long values whole; "<wbrx>" is no hint and an unterminated one stays.
    const std::u16string w = u"<p>5C:6A<wbr>:35<WBR/>:F1<wbr >:54 <wbrx> <wbr";
    const ThtHtmlFormat k = BuildHtmlFormat(w, select(w, u"5C").first, int32_t(w.size()) + 1, u"", 12, u"Arial");
    EXPECT_EQ(parse(k).fragment, "5C:6A:35:F1:54 <wbrx> <wbr");

    // A font name cannot leave its string or the style element.
    const ThtHtmlFormat h = BuildHtmlFormat(u"abc", 1, 4, u"", 12, u"A\"B</style><b>");
    parse(h);
    EXPECT_EQ(count(h.Html, "</style>"), 1u);
    EXPECT_NE(h.Html.find("font-family: \"A\\\"B\\3C /style\\3E \\3C b\\3E \"; }</style>"), std::string::npos);
}

TEST(HtmlFormat, SourceUrl) {
    struct Case {
        std::u16string file;
        std::string url;
    } cases[] = {
        {u"", "unsaved:///THtmlViewer.htm"},
        {u"/home/user/page.htm", "file:///home/user/page.htm"},
        {u"http://example.org/a.htm", "http://example.org/a.htm"},
        {u"/tmp/Сертификат.htm", "file:///tmp/Сертификат.htm"},
    };
    for (const Case& c : cases) {
        const Parsed p = parse(BuildHtmlFormat(u"<p>abc", 4, 7, c.file, 12, u"Arial"));
        EXPECT_EQ(p.fields.at("SourceURL"), c.url);
        EXPECT_EQ(p.fragment, "abc");
    }
}

}  // namespace
