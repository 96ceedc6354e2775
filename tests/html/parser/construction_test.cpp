// Document construction from HTML snippets: the tree of blocks, sections and
// their text that the body loop, the block and list handlers and
// preformatted text build, and the properties and attributes they give it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/layout/ModelFixture.h"
#include "html/parser/DocumentFixture.h"
#include "html/text/Fonts.h"

namespace {

using htmltext::toUtf8;
using parsertest::ParsedDocument;

class ConstructionTest : public modeltest::RecordingScreenTest {};

struct TreeCase {
    const char16_t* html;
    const char* tree;
};

void expectTrees(std::initializer_list<TreeCase> cases) {
    for (const TreeCase& c : cases) {
        ParsedDocument d;
        d.Parse(c.html);
        EXPECT_EQ(d.Body(), c.tree) << toUtf8(c.html);
    }
}

TEST_F(ConstructionTest, TextFlow) {
    expectTrees({
        {u"Hello <b>bold</b> world", "body['Hello bold world']"},
        // White space between blocks makes no section.
        {u"<p>a</p> \r\n <p>b</p>\n", "body[p['a'] p['b']]"},
        {u"<html>\n<head>\n<title>t</title>\n</head>\n<body>\nx\n</body>\n</html>\n", "body['x']"},
        // Section tags build nothing: their contents join the enclosing block.
        {u"<div>x<section>y</section>z</div>", "body[div['xyz']]"},
        // A break ends its section (the section drops a final break of its
        // own); a line of nothing but a break keeps it.
        {u"a<br>b", "body['a' 'b']"},
        {u"a<br><br>b", "body['a' '\\n' 'b']"},
        {u"a<hr>b", "body['a' hr 'b']"},
        {u"a<page>b", "body['a' page 'b']"},
        {u"<center>c</center>d", "body['c' 'd']"},
        {u"<div style=\"display:inline\">x</div>y", "body['x' 'y']"},
        // Wrapped preformatted text is ordinary flow.
        {u"<pre wrap>a  b</pre>c", "body['a bc']"},
        {u"<h1>T<span>s</span></h1>after", "body[h1['Ts'] 'after']"},
        {u"<h2><center>C</center></h2>", "body[h2['C']]"},
        {u"<h3>a<p>b</p>c</h3>", "body[h3['a' p['b'] 'c']]"},
        {u"<blockquote>q</blockquote>x", "body[blockquote['q'] 'x']"},
        {u"<address>a</address>", "body[address['a']]"},
        {u"<div>a<div>b</div>c</div>", "body[div['a' div['b'] 'c']]"},
        {u"<article>a</article><nav>b</nav>", "body[article['a'] nav['b']]"},
    });
}

TEST_F(ConstructionTest, Paragraphs) {
    expectTrees({
        {u"<p>a<p>b", "body[p['a'] p['b']]"},
        // Runs of empty paragraphs collapse into one.
        {u"<p><p></p><P>text", "body[p['text']]"},
        // A block ends a paragraph; so do lists, rules, headings and tables.
        {u"<p>a<div>b</div>", "body[p['a'] div['b']]"},
        {u"<p>a<ul><li>b</ul>", "body[p['a'] ul[li1['b']]]"},
        {u"<p>a<hr>", "body[p['a'] hr]"},
        {u"<p>text<table><tr><td>c</td></tr></table>", "body[p['text'] table{tr(td['c'])}]"},
    });

    ParsedDocument d;
    d.Parse(u"<p class=a><p id=x><P class=b align=right>text");
    TBlock* p = d.BlockAt(0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Attributes()->TheClass(), u"b");
    EXPECT_EQ(d.BlockAt(1), nullptr);
    EXPECT_TRUE(VarIsText(p->Properties()->Props[TextAlign], u"right"));

    ParsedDocument t;
    t.Parse(u"<p>text<table><tr><td>c</table>");
    EXPECT_EQ(t.BlockAt(0)->MargArray[MarginBottom], 0);
}

TEST_F(ConstructionTest, Lists) {
    expectTrees({
        // An empty item gets a non-breaking space for its marker.
        {u"<ul><li></ul>", "body[ul[li1['~']]]"},
        {u"<ul><li>a<li></li></ul>", "body[ul[li1['a'] li2['~']]]"},
        {u"<ol start=5><li>a<li>b<li value=10>c<li>d</ol>", "body[ol[li5['a'] li6['b'] li10['c'] li11['d']]]"},
        {u"<ol start=-3><li>a</ol>", "body[ol[li1['a']]]"},
        // An empty list leaves an empty list block.
        {u"<ul></ul>x", "body[ul[] 'x']"},
        {u"<ul><li>a<ul><li>b</ul><li>c</ul>", "body[ul[li1['a' ul[li1['b']]] li2['c']]]"},
        {u"<dl><dt>T<dd>D</dl>", "body[dl[li1['T'] li2['D']]]"},
        // An item outside any list ends at a paragraph.
        {u"<li>a<p>b", "body[li1['a'] p['b']]"},
        {u"<ul><li>a<p>b</ul>", "body[ul[li1['a' p['b']]]]"},
        {u"<ul>x<li>a</ul>", "body[ul['x' li1['a']]]"},
        {u"<ul><li>a<hr><li>b</ul>", "body[ul[li1['a'] hr li2['b']]]"},
    });

    // The numbers and kinds the items were made with.
    ParsedDocument d;
    d.Parse(u"<ol><li>a<ul><li>b</ul></ol>");
    auto* ol = d.BlockAt(0);
    ASSERT_NE(ol, nullptr);
    auto* first = dynamic_cast<TBlockLI*>(ol->MyCell->GetItem(0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Symbol(), LISy);
}

TEST_F(ConstructionTest, PreformattedText) {
    expectTrees({
        {u"<pre>a\nb</pre>", "body[pre[pre'a' pre'b']]"},
        // The line ends right after the start tag and before the end tag make no lines.
        {u"<pre>\na\n\n b \n</pre>", "body[pre[pre'a' pre'' pre' b ']]"},
        // A line end right after a break is the break itself.
        {u"<pre>a<br>\nb</pre>", "body[pre[pre'a' pre'b']]"},
        {u"<pre>a<br>b</pre>", "body[pre[pre'a' pre'b']]"},
        {u"<pre>1 < 2 &amp; <b>x</b></pre>", "body[pre[pre'1 < 2 & x']]"},
        {u"<pre>x<p>y</p>z</pre>", "body[pre[pre'x' p[pre'y'] pre'z']]"},
        {u"<pre>x<form>y</form>z</pre>", "body[pre[pre'x' form[pre'y'] pre'z']]"},
        {u"<pre>a<page>b</pre>", "body[pre[pre'a' page pre'b']]"},
        {u"<pre>a<div>b</div></pre>", "body[pre[pre'ab']]"},
        // A table ends preformatted text.
        {u"<pre>a<table><tr><td>c</table>", "body[pre[pre'a'] table{tr(td['c'])}]"},
        {u"<pre>unended", "body[pre[pre'unended']]"},
    });
}

TEST_F(ConstructionTest, FieldsetsAndLegends) {
    expectTrees({
        {u"<fieldset><legend>L</legend>x</fieldset>y", "body[fieldset['x'|legend 'L'] 'y']"},
        // Outside a field set a legend is ordinary flow with a section of its own.
        {u"<legend>L</legend>x", "body['L' 'x']"},
    });
}

class FormFactory : public ThtObjectFactory {
public:
    std::unique_ptr<ThtmlFormBase> CreateForm(ThtDocument* Document, TAttributeList*) override {
        return std::make_unique<ThtmlFormBase>(Document);
    }
};

TEST_F(ConstructionTest, AFormInsideAFormEndsTheOuterOne) {
    expectTrees({{u"<form>a<form>b</form>c", "body[form['a'] form['b'] 'c']"}});

    // The document's current form follows the innermost one (seen from scripts inside).
    ParsedDocument d;
    d.doc->SetObjectFactory(std::make_shared<FormFactory>());
    std::vector<ThtmlFormBase*> seen;
    d.doc->ScriptEvent = [&](TObject*, const std::u16string&, const std::u16string&, const std::u16string&,
                             const std::u16string&) { seen.push_back(d.doc->FCurrentForm); };
    d.Parse(u"<form>a<script>1</script><form>b<script>2</script></form><script>3</script>");
    ASSERT_EQ(d.doc->htmlFormList.size(), 2u);
    const std::vector<ThtmlFormBase*> expected = {d.doc->htmlFormList[0].get(), d.doc->htmlFormList[1].get(), nullptr};
    EXPECT_EQ(seen, expected);
}

TEST_F(ConstructionTest, FontSizesFollowTheBaseFont) {
    ParsedDocument d;
    d.Parse(
        u"<basefont size=5><font size=+1><p>a</p></font><font size=9><p>b</p></font>"
        u"<font size=-2><p>c</p></font><font size=2><p>d</p></font>");
    const double expected[] = {FontSizeSteps[6], FontSizeSteps[7], FontSizeSteps[3], FontSizeSteps[2]};
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(d.BlockAt(i), nullptr) << i;
        EXPECT_EQ(VarToDouble(d.BlockAt(i)->Properties()->Props[FontSize]), expected[i]) << i;
    }

    // Faces: the first one installed; a list of none installed keeps the inherited face.
    ParsedDocument f;
    f.Parse(u"<font face=\"No Such Face, DejaVu Sans Mono\"><p>a</p></font><font face=\"No Such Face\"><p>b</p>");
    EXPECT_EQ(VarStr(f.BlockAt(0)->Properties()->Props[FontFamily]), u"DejaVu Sans Mono");
    EXPECT_EQ(VarStr(f.BlockAt(1)->Properties()->Props[FontFamily]), u"DejaVu Sans");
}

TEST_F(ConstructionTest, AnAnchorClosedWithASlashIsAnEmptyLink) {
    // A paragraph inside an open link inherits the link's colour.
    const int64_t linkColor = 0xFF0000;
    ParsedDocument open;
    open.Parse(u"<a href=\"x\">y<p>z</p>");
    EXPECT_EQ(VarToInt(open.BlockAt(0)->Properties()->Props[Color]), linkColor);
    ParsedDocument closed;
    closed.Parse(u"<a href=\"x\"/>y<p>z</p>");
    EXPECT_EQ(VarToInt(closed.BlockAt(0)->Properties()->Props[Color]), int64_t(clBlack));
}

TEST_F(ConstructionTest, AnchorNamesAreRegistered) {
    ParsedDocument d;
    d.Parse(u"a<a name=\"#Top\">b</a><p id=Para>c");
    TIDObjectList& ids = *d.doc->IDNameList;
    EXPECT_GE(ids.IndexOf(u"TOP"), 0);
    EXPECT_GE(ids.IndexOf(u"Para"), 0);
}

TEST_F(ConstructionTest, PendingHtmlAttributesGiveTheDocumentItsBackground) {
    ParsedDocument d;
    d.Parse(u"<html style=\"background-color: #ff0000\"><head></head><body>x");
    EXPECT_EQ(d.doc->BackGround, TColor(0x0000FF));
}

}  // namespace
