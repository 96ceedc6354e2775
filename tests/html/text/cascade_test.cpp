#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/text/Buffer.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlText.h"
#include "html/text/Lengths.h"
#include "html/text/StyleList.h"
#include "html/text/StyleParser.h"
#include "platform/framework/RecordingDC.h"

namespace {

using htmltext::toUtf8;

struct Element {
    const char16_t* tag;
    const char16_t* cls = u"";
    const char16_t* id = u"";
    const char16_t* pseudo = u"";
    const char16_t* style = u"";
};

// A document: the default sheet, then the page's sheet, and a stack of open
// elements pushed as the parser pushes them.
class Document {
public:
    explicit Document(const std::u16string& css, bool quirks = false) : styles(quirks), quirks_(quirks) {
        styles.Initialize(u"DejaVu Sans", u"DejaVu Sans Mono", 12, 0x000000, 0xFF0000, 0x800080, 0x0000FF, true, 0, 1,
                          8, 8);
        TBuffer doc(css, std::u16string(), 1200);
        char16_t c;
        ParseStyleSheet(styles, c, doc, quirks, false, u"");
        auto root = std::make_unique<TProperties>(&stack, quirks);
        root->CopyDefault(*styles.DefProp());
        root->Props[FontSize] = 12.0;
        stack.Add(std::move(root));
    }
    TProperties& Open(const Element& e) {
        auto p = std::make_unique<TProperties>(&stack, quirks_);
        p->Inherit(e.tag, *stack.Last());
        TProperties* set = stack.Add(std::move(p));
        TProperties* style = nullptr;
        if (*e.style) {
            attrs.push_back(std::make_unique<TProperties>());
            ParseStyleAttributeText(e.style, *attrs.back());
            style = attrs.back().get();
        }
        set->Combine(styles, e.tag, e.cls, e.id, e.pseudo, u"", style, stack.Count() - 2);
        return *set;
    }
    TProperties& OpenChain(const std::vector<Element>& chain) {
        for (const auto& e : chain) Open(e);
        return *stack.Last();
    }
    TStyleList styles;
    TPropStack stack;
    std::vector<std::unique_ptr<TProperties>> attrs;

private:
    bool quirks_;
};

class CascadeTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldProvider_ = SetScreenDCProvider([] { return std::unique_ptr<TDeviceContext>(new TRecordingDC()); });
        oldPpi_ = SetScreenPixelsPerInch(96);
        SetGlobalFontSizes(12);
        GlobalFontCache().Clear();
    }
    void TearDown() override {
        GlobalFontCache().Clear();
        SetScreenPixelsPerInch(oldPpi_);
        SetScreenDCProvider(oldProvider_);
    }

private:
    TScreenDCProvider oldProvider_;
    int oldPpi_ = 0;
};

int64_t colorOf(const TProperties& p) { return VarInt(p.Props[Color], -1); }

TEST_F(CascadeTest, PrecedenceEndToEnd) {
    const std::u16string sheet =
        u"p{color:#010000} .x{color:#020000} p.x{color:#030000} #i{color:#040000} "
        u"div p{color:#050000} ul > li{color:#060000} ul li.k{color:#070000} "
        u"div.a.b span{color:#080000} .q.r{color:#090000} em.q{color:#0a0000}";
    const struct {
        const char* label;
        std::vector<Element> chain;
        int64_t color;
    } cases[] = {
        {"tag", {{u"p"}}, 1},
        {"class beats tag", {{u"p", u"y"}, {u"span", u"x"}}, 2},
        {"tag.class beats class", {{u"p", u"x"}}, 3},
        {"id beats all three", {{u"p", u"x", u"i"}}, 4},
        {"descendant beats simple selectors", {{u"div"}, {u"p", u"x"}}, 5},
        {"descendant beats id", {{u"div"}, {u"p", u"x", u"i"}}, 5},
        {"style attribute last", {{u"div"}, {u"p", u"x", u"i", u"", u"color: #0b0000"}}, 11},
        {"child", {{u"ul"}, {u"li"}}, 6},
        {"child through a div", {{u"ul"}, {u"div"}, {u"li"}}, -1},
        {"descendant through a div", {{u"ul"}, {u"div"}, {u"li", u"k"}}, 7},
        {"ancestor with more classes", {{u"div", u"a.b.c"}, {u"span"}}, 8},
        {"ancestor missing a class", {{u"div", u"a"}, {u"span"}}, -1},
        {"two classes", {{u"em", u"q.r"}}, 9},
        {"a class of several", {{u"em", u"q.z"}}, 10},
        {"bottom entry never an ancestor", {{u"span"}}, -1},
    };
    for (const auto& c : cases) {
        Document d(sheet);
        TProperties& e = d.OpenChain(c.chain);
        EXPECT_EQ(colorOf(e), c.color == -1 ? colorOf(*d.stack.GetProp(0)) : c.color) << c.label;
    }
}

TEST_F(CascadeTest, SeveralClassesMergeEachRuleOnce) {
    Document d(u"p{font-size:150%} .a{color:#010000} .b{margin-left:5px}");
    TProperties& parent = d.Open({u"div", u"", u"", u"", u"font-size: 10pt"});
    EXPECT_DOUBLE_EQ(VarToDouble(parent.Props[FontSize]), 10);
    TProperties& e = d.Open({u"p", u"a.b"});
    EXPECT_DOUBLE_EQ(VarToDouble(e.Props[FontSize]), 15);  // exactly 1.5 times the parent
    EXPECT_EQ(colorOf(e), 1);
    EXPECT_EQ(VarStr(e.Props[MarginLeft]), u"5px");
    EXPECT_EQ(e.PropClass, u"a.b");

    Document classVsTag(u".a{color:#010000} p{color:#020000}");
    EXPECT_EQ(colorOf(classVsTag.Open({u"p", u"a.b"})), 1);  // a class rule beats the tag rule
}

TEST_F(CascadeTest, AutoMarginsNeverResetEarlierRules) {
    Document d(u"p{margin-left:7px} p.x{color:red}");
    TProperties& e = d.Open({u"p", u"x"});
    EXPECT_EQ(VarStr(e.Props[MarginLeft]), u"7px");
    EXPECT_EQ(VarInt(e.Props[MarginTop]), DefaultParagraphSpace);
    EXPECT_TRUE(e.Originals[MarginLeft]);
    EXPECT_FALSE(e.Originals[PaddingLeft]);
}

TEST_F(CascadeTest, Links) {
    Document d(u"a:link{color:#010000} a:visited{color:#020000} :hover{color:#030000} a{font-weight:bold}");
    TProperties& a = d.Open({u"a", u"", u"", u"link"});
    EXPECT_TRUE(a.InLink);
    ASSERT_NE(a.FIArray, nullptr);
    EXPECT_EQ(colorOf(a), 1);  // a:link beats the built-in "::link"
    EXPECT_EQ(a.FIArray->Ar[0].iColor, 1);
    EXPECT_EQ(a.FIArray->Ar[1].iColor, 2);
    EXPECT_EQ(a.FIArray->Ar[2].iColor, 3);
    EXPECT_EQ(a.FIArray->Ar[3].iColor, 3);
    for (const auto& fi : a.FIArray->Ar) {
        EXPECT_TRUE(fi.iStyle & fsSet(fsBold));
        EXPECT_TRUE(fi.iStyle & fsSet(fsUnderline));  // "::link" fills in the decoration
    }
    EXPECT_EQ(d.stack.Count(), 2);  // the temporary state entries are gone
    TProperties& b = d.Open({u"b"});
    EXPECT_TRUE(b.InLink);
    EXPECT_EQ(b.FIArray->Ar[1].iColor, 2);

    Document plain(u"");
    TProperties& link = plain.Open({u"a", u"", u"", u"link"});
    EXPECT_EQ(colorOf(link), 0xFF0000);  // "::link" only fills what no rule set
    EXPECT_EQ(link.FIArray->Ar[1].iColor, 0x800080);
    EXPECT_EQ(link.FIArray->Ar[2].iColor, 0xFF0000);  // no hover rule: hover keeps the link's colour

    Document child(u"ul > a:visited{color:#040000}");
    child.Open({u"ul"});
    TProperties& nested = child.Open({u"a", u"", u"", u"link"});
    EXPECT_EQ(nested.FIArray->Ar[1].iColor, 4);  // the state's parent is the link's parent
}

TEST_F(CascadeTest, FontSizeKeywordsAndQuirks) {
    const struct {
        bool quirks;
        const char16_t* size;
        const char16_t* tag;
        double expect;
    } cases[] = {
        {false, u"small", u"p", 10},
        {true, u"small", u"p", 12},
        {false, u"xx-large", u"p", 24},
        {true, u"xx-large", u"p", 24},
        {false, u"larger", u"p", 20.0 * 24 / 18},
        {true, u"50%", u"td", 6},
        {false, u"50%", u"td", 10},
    };
    for (const auto& c : cases) {
        Document d(std::u16string(c.tag) + u"{font-size:" + c.size + u"}", c.quirks);
        d.Open({u"div", u"", u"", u"", u"font-size: 20pt"});
        TProperties& e = d.Open({c.tag});
        EXPECT_DOUBLE_EQ(VarToDouble(e.Props[FontSize]), c.expect) << toUtf8(c.size) << c.quirks;
    }
}

}  // namespace
