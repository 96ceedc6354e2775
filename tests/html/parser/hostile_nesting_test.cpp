// Hostile nesting: tens of thousands of nested blocks, lists, tables and
// inline elements parse, lay out and draw without exhausting the stack (the
// sanitizer build runs this with its larger frames), and the document keeps
// its content.
#include <gtest/gtest.h>

#include <string>

#include "html/layout/ModelFixture.h"
#include "html/parser/DocumentFixture.h"
#include "platform/framework/RecordingDC.h"

namespace {

using htmltext::toUtf8;
using parsertest::ParsedDocument;

class HostileNestingTest : public modeltest::RecordingScreenTest {};

std::u16string repeat(std::u16string_view piece, int count) {
    std::u16string out;
    out.reserve(piece.size() * size_t(count));
    for (int i = 0; i < count; ++i) out += piece;
    return out;
}

// The deepest chain of blocks and tables from the body down.
int depthOf(const TCellBasic& cell) {
    int deepest = 0;
    for (int i = 0; i < cell.Count(); ++i) {
        const TSectionBase* s = cell.GetItem(i);
        int d = 0;
        if (auto* table = dynamic_cast<const THtmlTable*>(s)) {
            for (int r = 0; r < table->Rows.Count(); ++r)
                for (int c = 0; c < table->Rows.GetItem(r)->Count(); ++c)
                    if (const TCellObjBase* slot = table->Rows.GetItem(r)->GetCellObj(c))
                        if (slot->Cell()) d = std::max(d, depthOf(*slot->Cell()));
        } else if (auto* block = dynamic_cast<const TBlock*>(s)) {
            d = 1 + depthOf(*block->MyCell);
        }
        deepest = std::max(deepest, d);
    }
    return deepest;
}

void layOutAndDraw(ThtDocument& doc) {
    TRecordingDC dc(800, 600);
    TCanvas canvas;
    canvas.SetDevice(&dc);
    int32_t scrollWidth = 0, curs = 0;
    EXPECT_GE(doc.DoLogic(&canvas, 0, 800, 600, 0, scrollWidth, curs), 0);
    EXPECT_GE(doc.Draw(&canvas, Rect(0, 0, 800, 600), 800, 0, 0, 0, 0), 0);
}

TEST_F(HostileNestingTest, DeepBlocksListsAndTablesStayShallow) {
    const struct {
        std::u16string open;
        int count;     // elements that end other ones (forms, headings, rows)
        int maxDepth;  // build a sibling each, so fewer of them show the cap
    } cases[] = {
        {u"<div>", 100000, 52},
        {u"<ul>", 100000, 52},
        {u"<ul><li>", 100000, 52},
        {u"<ol><li><div>", 100000, 52},
        {u"<blockquote>", 100000, 52},
        {u"<fieldset>", 100000, 52},
        {u"<dl><dd>", 100000, 52},
        {u"<center>", 100000, 2},
        {u"<legend>", 100000, 2},
        {u"<form>", 20000, 52},
        {u"<h1><div>", 20000, 52},
        // Tables count towards the blocks' limit, so a mix stays as shallow.
        {u"<div><table><tr><td>", 20000, 104},
        {u"<table><tr><td>", 20000, 104},
    };
    for (const auto& c : cases) {
        ParsedDocument d;
        d.Parse(repeat(c.open, c.count) + u"deep");
        EXPECT_LE(depthOf(*d.doc), c.maxDepth) << toUtf8(c.open);
        EXPECT_NE(d.Body().find("'deep'"), std::string::npos) << toUtf8(c.open);
        layOutAndDraw(*d.doc);
    }
}

TEST_F(HostileNestingTest, DeepInlineElements) {
    const int n = 100000;
    for (const char16_t* open :
         {u"<b>", u"<span>", u"<font size=+1>", u"<a href=x>", u"<basefont size=2>", u"<pre wrap>"}) {
        ParsedDocument d;
        // A script at the end looks at the stack while the parse runs.
        int depth = -1;
        d.doc->ScriptEvent = [&](TObject*, const std::u16string&, const std::u16string&, const std::u16string&,
                                 const std::u16string&) { depth = d.doc->PropStack()->Count(); };
        d.Parse(repeat(open, n) + u"deep<script>x</script><p>after");
        EXPECT_NE(d.Body().find("'deep'"), std::string::npos) << toUtf8(open);
        EXPECT_GT(depth, 0) << toUtf8(open);
        EXPECT_LE(depth, THtmlParser::MaxPropDepth) << toUtf8(open);
        // A block after the capped inline elements still gets its own set.
        EXPECT_NE(d.Body().find("p['after']"), std::string::npos) << toUtf8(open);
        layOutAndDraw(*d.doc);
    }
}

}  // namespace
