#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "html/parser/ParserFixture.h"

namespace {

using parsertest::FakeDocument;

constexpr int64_t Red = 0x0000FF;  // TColor: 0x00BBGGRR
constexpr int64_t Blue = 0xFF0000;

// A document's stack as a parse prepares it: the base set with the defaults.
class Stack {
public:
    explicit Stack(FakeDocument* doc) {
        stack.Document = doc;
        auto base = std::make_unique<TProperties>(&stack, doc && doc->Quirks);
        if (doc) base->CopyDefault(*doc->Styles.DefProp());
        stack.Add(std::move(base));
    }
    TProperties* Push(TElemSymb sym, const std::u16string& style = u"", const std::u16string& cls = u"") {
        TProperties* props = nullptr;
        if (!style.empty()) {
            styles.push_back(std::make_unique<TProperties>());
            ParseStyleAttributeText(style, *styles.back());
            props = styles.back().get();
        }
        return stack.PushNewProp(sym, cls, u"", u"", u"", props);
    }
    std::vector<TElemSymb> Symbols() const {
        std::vector<TElemSymb> out;
        for (int i = 1; i < stack.Count(); ++i) out.push_back(stack.GetProp(i)->PropSym);
        return out;
    }
    int64_t ColorOf(int index) const { return VarToInt(stack.GetProp(index)->Props[Color], -1); }

    THtmlPropStack stack;
    std::vector<std::unique_ptr<TProperties>> styles;
};

TEST(PropStack, PushInheritsAndCombinesWithTheDocumentsStyles) {
    FakeDocument doc(false, u"div { color: #0000ff } .note { font-style: italic }");
    Stack s(&doc);
    TProperties* div = s.Push(DivSy);
    EXPECT_EQ(div->PropSym, DivSy);
    EXPECT_EQ(div->PropTag, u"div");
    EXPECT_EQ(s.ColorOf(1), Blue);
    TProperties* span = s.Push(SpanSy, u"", u"note");
    EXPECT_EQ(span->PropClass, u"note");
    EXPECT_EQ(s.ColorOf(2), Blue);  // inherited
    EXPECT_TRUE(VarIsText(span->Props[FontStyle], u"italic"));
    EXPECT_EQ(s.stack.Last(), span);
    EXPECT_FALSE(span->UseQuirksMode());

    FakeDocument quirks(true);
    Stack q(&quirks);
    EXPECT_TRUE(q.Push(PSy)->UseQuirksMode());
    EXPECT_TRUE(quirks.Styles.UseQuirksMode());
}

TEST(PropStack, ChildAndDescendantRulesMatchPushedElements) {
    FakeDocument doc(false, u"ul > li { color: #ff0000 } ol li { font-style: italic }");
    Stack s(&doc);
    s.Push(ULSy);
    s.Push(LISy);
    EXPECT_EQ(s.ColorOf(2), Red);

    Stack t(&doc);
    t.Push(ULSy);
    t.Push(DivSy);
    t.Push(LISy);
    EXPECT_NE(t.ColorOf(3), Red);  // its parent is a div

    Stack u(&doc);
    u.Push(OLSy);
    u.Push(DivSy);
    TProperties* li = u.Push(LISy);
    EXPECT_TRUE(VarIsText(li->Props[FontStyle], u"italic"));
}

TEST(PropStack, TheBaseSetIsNeverPopped) {
    FakeDocument doc;
    Stack s(&doc);
    TProperties* base = s.stack.GetProp(0);
    s.stack.PopProp();
    s.stack.PopAProp(base->PropSym);
    s.stack.PopAProp(DivSy);
    EXPECT_EQ(s.stack.Count(), 1);
    EXPECT_EQ(s.stack.GetProp(0), base);

    s.Push(DivSy);
    s.stack.PopProp();
    s.stack.PopProp();
    EXPECT_EQ(s.stack.Count(), 1);
}

TEST(PropStack, PopByElementRemovesTheInnermostSetOfThatElementOnly) {
    FakeDocument doc;
    Stack s(&doc);
    s.Push(DivSy);
    s.Push(BSy);
    s.Push(DivSy);
    s.Push(ISy);
    s.stack.PopAProp(TableSy);  // not open: nothing changes
    EXPECT_EQ(s.Symbols(), (std::vector<TElemSymb>{DivSy, BSy, DivSy, ISy}));
    s.stack.PopAProp(DivSy);
    EXPECT_EQ(s.Symbols(), (std::vector<TElemSymb>{DivSy, BSy, ISy}));
    s.stack.PopAProp(BSy);
    EXPECT_EQ(s.Symbols(), (std::vector<TElemSymb>{DivSy, ISy}));
    s.stack.PopAProp(ISy);
    s.stack.PopAProp(DivSy);
    EXPECT_EQ(s.stack.Count(), 1);
}

TEST(PropStack, SetsAboveAClosedElementAreDerivedAgainFromTheirNewParent) {
    FakeDocument doc(false, u"div { color: #0000ff }");
    Stack s(&doc);
    s.Push(PSy);
    s.Push(DivSy);
    s.Push(SpanSy);                      // inherits blue from the div
    s.Push(BSy, u"font-style: italic");  // its own style stays
    s.Push(ISy, u"color: #ff0000");      // its own colour stays
    ASSERT_EQ(s.ColorOf(3), Blue);
    const int64_t pColor = s.ColorOf(1);
    ASSERT_NE(pColor, Blue);

    s.stack.PopAProp(DivSy);  // the div's end tag came before the span's
    EXPECT_EQ(s.Symbols(), (std::vector<TElemSymb>{PSy, SpanSy, BSy, ISy}));
    EXPECT_EQ(s.ColorOf(2), pColor);
    EXPECT_EQ(s.ColorOf(3), pColor);
    EXPECT_TRUE(VarIsText(s.stack.GetProp(3)->Props[FontStyle], u"italic"));
    EXPECT_EQ(s.ColorOf(4), Red);
    EXPECT_TRUE(VarIsText(s.stack.GetProp(4)->Props[FontStyle], u"italic"));

    // A set taken from index 1 leaves the sets above it as they were.
    Stack t(&doc);
    t.Push(DivSy);
    t.Push(SpanSy);
    t.stack.PopAProp(DivSy);
    EXPECT_EQ(t.Symbols(), (std::vector<TElemSymb>{SpanSy}));
    EXPECT_EQ(t.ColorOf(1), Blue);
}

TEST(PropStack, ClosingABorderedElementEndsItsInlineBox) {
    FakeDocument doc;
    Stack s(&doc);
    s.stack.SIndex = 42;
    s.Push(BSy);
    s.stack.PopAProp(BSy);
    EXPECT_TRUE(doc.Inlines.empty());
    s.Push(SpanSy, u"border: 1px solid black");
    s.stack.PopAProp(SpanSy);
    ASSERT_EQ(doc.Inlines.size(), 1u);
    EXPECT_EQ(doc.Inlines[0].SIndex, 42);
    EXPECT_EQ(doc.Inlines[0].Sym, SpanSy);
    EXPECT_FALSE(doc.Inlines[0].Start);
}

TEST(PropStack, WithoutADocumentSetsOnlyInherit) {
    Stack s(nullptr);
    s.stack.GetProp(0)->Props[Color] = int64_t(Red);
    s.Push(SpanSy, u"border: 1px solid black");
    EXPECT_EQ(s.ColorOf(1), Red);
    s.stack.PopAProp(SpanSy);
    EXPECT_EQ(s.stack.Count(), 1);
}

TEST(DocumentStyleList, HoverRulesActivateLinks) {
    FakeDocument plain(false, u"a:link { color: #ff0000 } p { margin: 0 }");
    EXPECT_FALSE(plain.LinksActive);
    FakeDocument hover(false, u"a:hover { color: #ff0000 }");
    EXPECT_TRUE(hover.LinksActive);
    FakeDocument later;
    later.AddSheet(u"p { color: #000000 } .menu a:hover { text-decoration: underline }");
    EXPECT_TRUE(later.LinksActive);

    THtmlStyleList orphan(nullptr);
    orphan.SetLinksActive(true);  // no document to tell
    EXPECT_FALSE(orphan.UseQuirksMode());
}

}  // namespace
