// The parser's entry points: the quirks-mode decision, the XML encoding
// probe, the two passes of ParseHtml (link counting, building), plain text,
// the title, progress reports through the viewer, and frame documents.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/layout/ModelFixture.h"
#include "html/parser/DocumentFixture.h"

namespace {

using htmltext::toUtf8;
using parsertest::ParsedDocument;

class ParserEntryTest : public modeltest::RecordingScreenTest {};

bool quirks(std::u16string_view html) {
    TBuffer buffer(html, std::u16string(u"q.html"), 1200);
    buffer.SetPosition(0);
    THtmlParser parser(&buffer);
    const bool result = parser.ShouldUseQuirksMode();
    EXPECT_EQ(buffer.Position(), 0) << toUtf8(html);
    return result;
}

TEST_F(ParserEntryTest, QuirksModeByDoctype) {
    struct Case {
        const char16_t* html;
        bool quirks;
    };
    const Case cases[] = {
        {u"", true},
        {u"<html><body>x", true},  // no doctype before the html tag
        {u"<!DOCTYPE html>\n<html>", false},
        {u"<!doctype html><html>", false},
        // The word "html" closed at once decides alike whatever follows the ">".
        {u"<!DOCTYPE html>Hello", false},
        {u"<!DOCTYPE html >\r\n<html>", false},
        {u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">", false},
        {u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">", false},
        {u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">", false},
        {u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\"><html>", true},
        {u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"x\">", false},
        {u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML Basic 1.1//EN\">", false},
        {u"<!DOCTYPE html SYSTEM \"about:legacy-compat\">", false},
        {u"<!DOCTYPE html SYSTEM \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">", false},
        {u"<!DOCTYPE html SYSTEM \"http://example.org/other.dtd\"><html>", true},
        {u"<!DOCTYPE svg><html>", true},
        // A comment before the doctype does not hide it.
        {u"<!-- generated -->\n<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">", false},
        // A doctype after the html tag is not looked at.
        {u"<html><!DOCTYPE html>", true},
    };
    for (const Case& c : cases) EXPECT_EQ(quirks(c.html), c.quirks) << toUtf8(c.html);
}

TEST_F(ParserEntryTest, XhtmlEncodingDeclarationSwitchesTheBuffer) {
    // "Привет" in windows-1251 after a declaration that names it.
    const std::string bytes = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><html><body>\xCF\xF0\xE8\xE2\xE5\xF2";
    for (bool xhtml : {true, false}) {
        ParsedDocument d;
        d.buffer = std::make_unique<TBuffer>(bytes.data(), bytes.size(), 1252, std::u16string(u"x.xhtml"));
        d.parser = std::make_unique<THtmlParser>(d.buffer.get());
        d.parser->SetIsXHTML(xhtml);
        d.parser->ParseHtml(d.doc.get(), nullptr, nullptr, nullptr, nullptr);
        const std::string text = d.Body();
        if (xhtml) EXPECT_NE(text.find("Привет"), std::string::npos) << text;
        else EXPECT_EQ(text.find("Привет"), std::string::npos) << text;
    }
}

TEST_F(ParserEntryTest, EmptyDocumentHasTheBodyBlockOnly) {
    ParsedDocument d;
    ThtDocument& doc = d.Parse(u"");
    ASSERT_EQ(doc.Count(), 1);
    EXPECT_NE(dynamic_cast<TBodyBlock*>(doc.GetItem(0)), nullptr);
    EXPECT_EQ(d.Body(), "body[]");
    EXPECT_EQ(d.parser->Title(), u"");
    // The parse gave its borrowed state back.
    EXPECT_EQ(d.parser->PropStack(), nullptr);
    EXPECT_EQ(doc.PropStack()->Count(), 0);
}

TEST_F(ParserEntryTest, PlainTextIsOnePreformattedSectionPerLine) {
    ParsedDocument d;
    // Every kind of line end counts once; the text is never read as HTML.
    d.ParseText(u"a<b>\r\nc &amp;\n\rd\re");
    EXPECT_EQ(d.Body(), "body[pre[pre'a<b>' pre'c &amp;' pre'd' pre'e']]");

    // A long line keeps every character and the source position of each.
    std::u16string line;
    for (int i = 0; i < 450; ++i) line += char16_t(u'a' + i % 26);
    ParsedDocument l;
    l.ParseText(line);
    TBlock* block = l.BlockAt(0);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(block->MyCell->Count(), 1);
    auto* section = dynamic_cast<TPreFormated*>(block->MyCell->GetItem(0));
    ASSERT_NE(section, nullptr);
    // (a finished preformatted section ends in one blank of its own)
    EXPECT_EQ(section->BuffS, line + u" ");
}

TEST_F(ParserEntryTest, Title) {
    struct Case {
        const char16_t* html;
        const char16_t* title;
    };
    const Case cases[] = {
        {u"<title>A &amp; B</title><p>x", u"A & B"},
        {u"<html><head><title></title></head>", u""},
        {u"<p>no title", u""},
        {u"<title>Line\r\nbreak &#x41;</title>", u"Line\r\nbreak A"},
    };
    for (const Case& c : cases) {
        ParsedDocument d;
        d.Parse(c.html);
        EXPECT_EQ(d.parser->Title(), c.title) << toUtf8(c.html);
    }
}

TEST_F(ParserEntryTest, MoreThan400LinksStopLinksFromBeingTabStops) {
    for (int count : {400, 401}) {
        std::u16string html;
        for (int i = 0; i < count; ++i) html += u"<a href=\"#x\">l</a> ";
        // Anchors without href do not count.
        html += u"<a name=n1>n</a><a name=n2>n</a>";
        ParsedDocument d;
        d.Parse(html);
        EXPECT_EQ(d.doc->StopTab, count > 400) << count;
    }
}

TEST_F(ParserEntryTest, ProgressReachesTheViewerUpToTheProgressStart) {
    ParsedDocument d;
    d.doc->ProgressStart = 75;
    std::u16string html = u"<p>";
    html.append(10000, u'x');
    d.Parse(html);
    ASSERT_GE(d.viewer.Progress.size(), 2u);
    for (size_t i = 1; i < d.viewer.Progress.size(); ++i) EXPECT_GE(d.viewer.Progress[i], d.viewer.Progress[i - 1]);
    EXPECT_EQ(d.viewer.Progress.back(), 75);
    // The counting pass reports nothing: one report per 4096 characters and the end.
    EXPECT_EQ(d.viewer.Progress.size(), 3u);
    // The viewer learns the code page of the document's defaults.
    EXPECT_EQ(d.viewer.CodePages, std::vector<int>{65001});
}

TEST_F(ParserEntryTest, AnOpenCommentEndsTheBuildKeepingWhatWasBuilt) {
    ParsedDocument d;
    d.Parse(u"<p>kept</p><table><tr><td>cell<div>in div</div><!-- never closed");
    EXPECT_EQ(d.Body(), "body[p['kept'] table{tr(td['cell' div['in div']])}]");
    EXPECT_EQ(d.doc->PropStack()->Count(), 0);
}

TEST_F(ParserEntryTest, IncludesAreReadInPlaceInTheBuildPass) {
    ParsedDocument d;
    int calls = 0;
    d.Include = [&](TObject* Sender, const std::u16string& Command, TStrings*, std::unique_ptr<TBuffer>& Doc) {
        EXPECT_EQ(Sender, &d.viewer);
        EXPECT_EQ(Command, u"part");
        ++calls;
        Doc = std::make_unique<TBuffer>(std::u16string_view(u"<b>in</b>"), std::u16string(u"part"), 1200);
    };
    d.Parse(u"<p>a <!--#part--> z</p>");
    EXPECT_EQ(d.Body(), "body[p['a in z']]");
    EXPECT_EQ(calls, 2);  // once in each pass
}

// ---- frame documents

class FrameSet : public TFrameSetBase {
public:
    void SetTitleAndBase(const std::u16string& Title, const std::u16string& Base, const std::u16string&) override {
        Log->push_back("title " + toUtf8(Title) + " base " + toUtf8(Base));
    }
    std::vector<std::string>* Log = nullptr;
};

class FrameViewer : public TObject, public TFrameViewerBase {
public:
    TObject* FrameViewerObject() override { return this; }
    TFrameSetBase* CreateSubFrameSet(TFrameSetBase*) override {
        Sets.push_back(std::make_unique<FrameSet>());
        Sets.back()->Log = &Log;
        Log.push_back("sub");
        return Sets.back().get();
    }
    void AddFrame(TFrameSetBase*, TAttributeList* Attributes, const std::u16string& FName) override {
        TAttribute* src = nullptr;
        Attributes->Find(SrcSy, src);
        Log.push_back("frame " + toUtf8(src ? src->Name : u"") + " in " + toUtf8(FName));
    }
    void DoAttributes(TFrameSetBase*, TAttributeList* Attributes) override {
        TAttribute* size = nullptr;
        if (!Attributes->Find(ColsSy, size)) Attributes->Find(RowsSy, size);
        Log.push_back("set " + toUtf8(size ? size->Name : u""));
    }
    std::vector<std::unique_ptr<FrameSet>> Sets;
    std::vector<std::string> Log;
};

TEST_F(ParserEntryTest, FrameDocuments) {
    struct Case {
        const char16_t* html;
        bool frame;
    };
    const Case cases[] = {
        {u"<html><head><title>t</title><script>x<y</script></head><frameset cols=2>", true},
        {u"<html><body><frameset>", false},
        {u"<h2>x</h2><frameset>", false},
        {u"", false},
    };
    for (const Case& c : cases) {
        TBuffer buffer(c.html, std::u16string(u"f.html"), 1200);
        THtmlParser parser(&buffer);
        FrameViewer viewer;
        EXPECT_EQ(parser.IsFrame(&viewer), c.frame) << toUtf8(c.html);
        EXPECT_EQ(buffer.Position(), 0);
    }

    TBuffer buffer(std::u16string_view(u"<title>Frames</title><base href=\"http://h/\"><frameset cols=\"1,2\">"
                                       u"<frame src=a.htm><frameset rows=3><frame src=b.htm></frameset>"
                                       u"<noframes><frame src=never.htm></noframes></frameset><frame src=after>"),
                   std::u16string(u"f.html"), 1200);
    THtmlParser parser(&buffer);
    FrameViewer viewer;
    FrameSet top;
    top.Log = &viewer.Log;
    parser.ParseFrame(&viewer, &top, u"main", nullptr);
    const std::vector<std::string> expected = {"set 1,2",
                                               "frame a.htm in main",
                                               "sub",
                                               "set 3",
                                               "frame b.htm in main",
                                               "title Frames base http://h/",
                                               "title Frames base http://h/"};
    EXPECT_EQ(viewer.Log, expected);
}

}  // namespace
