// Text sections, their content: white space by style, break classes, small
// capitals through the property stack, text-transform per character, form
// controls made through the object factory, and the mapping between
// document and source positions.
#include <gtest/gtest.h>

#include <stdexcept>

#include "SectionFixture.h"
#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/ObjectFactory.h"
#include "html/layout/Sections.h"
#include "html/text/HtmlText.h"
#include "html/text/StyleTypes.h"

namespace {

using namespace modeltest;
using namespace sectiontest;

class SectionContentTest : public RecordingScreenTest {
protected:
    std::unique_ptr<ThtDocument> doc = std::make_unique<ThtDocument>(nullptr, nullptr);
    std::unique_ptr<TProperties> prop = textProps();
};

TEST_F(SectionContentTest, WhiteSpaceByStyle) {
    const std::u16string blanks(100000, u' ');
    struct Case {
        ThtWhiteSpaceStyle ws;
        bool noBreak;  // inside NOBR
        std::u16string in;
        std::u16string text;
        std::string brk;
        std::vector<int32_t> source;  // source index of each character (input from 10, the tag at 99)
    } cases[] = {
        // Runs of spaces keep their first space; the last one is the tag's.
        {wsNormal, false, u"  a   b  ", u"a b ", "yyyyy", {12, 13, 16, 99}},
        {wsNormal, false, u"\b", u"\b", "yy", {10}},
        // A soft hyphen goes and lets the letter before it break with a hyphen.
        {wsNormal, false, u"ab\u00ADcd", u"abcd ", "ysyyyy", {10, 11, 13, 14, 99}},
        {wsNormal, false, u"\u00ADab", u"ab ", "yyyy", {11, 12, 99}},
        {wsNormal, true, u"a  b", u"a b ", "nnnny", {10, 12, 13, 99}},
        {wsNormal, false, u"a \b b", u"a\bb ", "yyyyy", {10, 12, 14, 99}},
        {wsNormal, false, u"ab\b", u"ab ", "yyyy", {10, 11, 99}},
        {wsNormal, false, u"a" + blanks + u"b", u"a b ", "yyyyy", {10, 11, 100011, 99}},
        {wsNormal, false, blanks, u"", "", {}},
        {wsNoWrap, false, u" a  b ", u"a b ", "nnnny", {11, 13, 14, 99}},
        // Pre-line: of two spaces that may not break the second stays.
        {wsPreLine, false, u" a  b ", u"a b ", "nnnny", {11, 13, 14, 99}},
        {wsPreWrap, false, u"  a  b  ", u"a  b  ", "yyyyyyy", {12, 13, 14, 15, 16, 17}},
        {wsPreWrap, false, u"\u00AD a", u" a", "yyy", {11, 12}},
        // Pre keeps everything and adds a space that follows the text.
        {wsPre, false, u" a  b", u" a  b ", "nnnnnny", {10, 11, 12, 13, 14, 15}},
        {wsPre, false, u"", u" ", "ny", {99}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(htmltext::toUtf8(c.in.substr(0, 12)));
        doc->SetNoBreak(c.noBreak);
        TSection s(doc.get(), nullptr, prop.get(), nullptr, false);
        s.WhiteSpaceStyle = c.ws;
        addText(s, c.in, 10);
        s.ProcessText(99);
        EXPECT_EQ(s.BuffS, c.text);
        EXPECT_EQ(s.Len, int32_t(c.text.size()));
        EXPECT_EQ(brkString(s), c.brk);
        EXPECT_EQ(sourceIndices(s), c.source);
        EXPECT_TRUE(s.XP.empty());
    }
    doc->SetNoBreak(false);
}

TEST_F(SectionContentTest, FontRunsAndObjectsFollowTheRemovedCharacters) {
    auto left = std::make_unique<TAttributeList>();
    left->Add(attr(AlignSy, u"ALIGN", u"left"));
    TSection s(doc.get(), nullptr, prop.get(), nullptr, false);
    addText(s, u"a  ", 0);
    auto bold = textProps();
    bold->Props[FontWeight] = std::u16string(u"bold");
    s.ChangeFont(bold.get());  // a run at 3, after two spaces that go
    addText(s, u" b", 3);
    TImageObj* floating = s.AddImage(left.get(), doc.get(), 5, prop.get());  // at 5
    addText(s, u" c", 6);
    s.ProcessText(9);
    // "a" " " "b" #4 "c" " ": the space after the floating picture goes too.
    EXPECT_EQ(s.BuffS,
              u"a b\x04"
              u"c ");
    ASSERT_EQ(s.Fonts.Count(), 2);
    EXPECT_EQ(s.Fonts.GetFont(1)->Pos, 2);  // the bold run began with spaces that went: it starts at "b"
    EXPECT_EQ(floating->StartCurs, 3);
    EXPECT_EQ(s.Images.FindObject(3), floating);
}

// A parser's stack: each pushed set inherits from the top and is set in 9
// points; a push can be made to fail after the set was added.
class FakeStack : public ThtModelPropStack {
public:
    TProperties* PushNewProp(TElemSymb Sym, std::u16string_view, std::u16string_view, std::u16string_view,
                             std::u16string_view, TProperties*) override {
        auto p = textProps(9, Sym, u"small");
        p->Props[FontVariant] = VarStr(Last()->Props[FontVariant]);
        TProperties* added = Add(std::move(p));
        ++pushes;
        if (failPush) throw std::runtime_error("combining failed");
        return added;
    }
    void PopAProp(TElemSymb Sym) override {
        for (int i = Count() - 1; i >= 1; --i)
            if (GetProp(i)->PropSym == Sym) {
                Delete(i);
                return;
            }
    }
    int pushes = 0;
    bool failPush = false;
};

TEST_F(SectionContentTest, SmallCapitalsSwitchFontsAndLeaveTheStackAsItWas) {
    auto stack = std::make_unique<FakeStack>();
    FakeStack* st = stack.get();
    st->Add(textProps());
    auto caps = textProps(12, SpanSy, u"span");
    caps->Props[FontVariant] = std::u16string(u"small-caps");
    st->Add(std::move(caps));
    doc->SetPropStack(std::move(stack));

    TSection s(doc.get(), nullptr, prop.get(), nullptr, false);
    addText(s, u"Ab 1c", 0);
    EXPECT_EQ(s.BuffS, u"AB 1C");
    EXPECT_EQ(st->Count(), 2);
    // A in the element's font, "B 1C" small, then the element's font again.
    ASSERT_EQ(s.Fonts.Count(), 3);
    EXPECT_EQ(s.Fonts.GetFont(1)->Pos, 1);
    EXPECT_EQ(s.Fonts.GetFont(2)->Pos, 5);
    EXPECT_LT(s.Fonts.GetFont(1)->FontHeight, s.Fonts.GetFont(0)->FontHeight);
    EXPECT_EQ(s.Fonts.GetFont(2)->FontHeight, s.Fonts.GetFont(0)->FontHeight);
    EXPECT_EQ(st->pushes, 1);

    // A push that fails after adding its set: the set goes again and the
    // text stays in step with its indices and break classes.
    st->failPush = true;
    TSection t(doc.get(), nullptr, prop.get(), nullptr, false);
    EXPECT_THROW(addText(t, u"Ab", 0), std::runtime_error);
    EXPECT_EQ(st->Count(), 2);
    EXPECT_EQ(t.BuffS, u"A");
    EXPECT_EQ(t.XP.size(), 1u);
    EXPECT_EQ(t.Brk.size(), 1u);
    doc->SetPropStack(nullptr);
}

TEST_F(SectionContentTest, TextTransformMapsOneUnitForOne) {
    auto stack = std::make_unique<FakeStack>();
    FakeStack* st = stack.get();
    st->Add(textProps());
    doc->SetPropStack(std::move(stack));
    struct Case {
        ThtTextTransformStyle transform;
        std::u16string in, out;
    } cases[] = {
        {txUpper, u"straße ёж", u"STRAßE ЁЖ"},  // "ß" has no one-letter capital
        {txLower, u"ÀBC Ж", u"àbc ж"},
        {txCaps, u"ab", u"ab"},
    };
    for (const Case& c : cases) {
        st->Last()->Props[TextTransform] = int64_t(c.transform);
        TSection s(doc.get(), nullptr, prop.get(), nullptr, false);
        addText(s, c.in, 0);
        EXPECT_EQ(s.BuffS, c.out);
        EXPECT_EQ(s.XP.size(), c.out.size());
        EXPECT_EQ(s.Brk.size(), c.out.size());
    }
    // Hidden text of an inline element is dropped.
    st->Last()->Props[TextTransform] = int64_t(txNone);
    st->Last()->PropSym = SpanSy;
    st->Last()->Props[piDisplay] = std::u16string(u"none");
    TSection hidden(doc.get(), nullptr, prop.get(), nullptr, false);
    addText(hidden, u"secret", 0);
    EXPECT_EQ(hidden.Len, 0);
    doc->SetPropStack(nullptr);
}

// Form controls of the kind asked for, kept by the factory (as a form would).
class StubControl : public TImageFormControlObjBase {
public:
    StubControl(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop, ThtFormControlKind K)
        : TImageFormControlObjBase(Parent, Position, L, Prop), kind(K) {}
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic*) const override { return nullptr; }
    int32_t GetClientHeight() const override { return 20; }
    int32_t GetClientWidth() const override { return 50; }
    void SetClientHeight(int32_t) override {}
    void SetClientWidth(int32_t) override {}
    void DrawLogicInline(TCanvas*, TFontObj*, int32_t, int32_t) override {}
    void DrawInline(TCanvas*, int32_t, int32_t, int32_t, TFontObj*) override {}
    TWinControl* GetTheControl() override { return nullptr; }
    ThtFormControlKind kind;
};

class StubFactory : public ThtObjectFactory {
public:
    TFormControlObjBase* CreateFormControl(ThtFormControlKind Kind, TCellBasic* Parent, int32_t Position,
                                           TAttributeList* L, TProperties* Prop) override {
        made.push_back(std::make_unique<StubControl>(Parent, Position, L, Prop, Kind));
        return made.back().get();
    }
    TFormControlObjBase* CreateBrowseButton(TFormControlObjBase*, TCellBasic* Parent, int32_t Position,
                                            TAttributeList* L, TProperties* Prop) override {
        made.push_back(std::make_unique<StubControl>(Parent, Position, L, Prop, ThtFormControlKind::Browse));
        return made.back().get();
    }
    std::vector<std::unique_ptr<StubControl>> made;
};

TEST_F(SectionContentTest, ControlTagsChooseTheirKindThroughTheFactory) {
    using K = ThtFormControlKind;
    struct Case {
        TElemSymb which;
        TAttrSymb sym;
        const char16_t* value;
        double number;
        K kind;
        std::u16string text;  // what the control adds to the section
        std::string brk;
    } cases[] = {
        {SelectSy, OtherAttribute, u"", 0, K::Combo, u"\x02", "y"},
        {SelectSy, MultipleSy, u"", 0, K::ListBox, u"\x02", "y"},
        {SelectSy, SizeSy, u"2", 2, K::ListBox, u"\x02", "y"},
        {SelectSy, SizeSy, u"1", 1, K::Combo, u"\x02", "y"},
        {InputSy, TypeSy, u"Submit", 0, K::Button, u"\x02", "y"},
        {InputSy, TypeSy, u"reset", 0, K::Button, u"\x02", "y"},
        {InputSy, TypeSy, u"button", 0, K::Button, u"\x02", "y"},
        {InputSy, TypeSy, u"RADIO", 0, K::Radio, u"\x02", "y"},
        {InputSy, TypeSy, u"checkbox", 0, K::CheckBox, u"\x02", "y"},
        {InputSy, TypeSy, u"hidden", 0, K::Hidden, u"\x02", "y"},
        {InputSy, TypeSy, u"image", 0, K::Image, u"\x04", "y"},
        {InputSy, TypeSy, u"file", 0, K::FileEdit, u"\x02\x02", "nn"},
        {InputSy, TypeSy, u"text", 0, K::Edit, u"\x02", "y"},
        {InputSy, OtherAttribute, u"", 0, K::Edit, u"\x02", "y"},
        {TextAreaSy, OtherAttribute, u"", 0, K::TextArea, u"\x02", "y"},
    };
    auto factory = std::make_shared<StubFactory>();
    doc->SetObjectFactory(factory);
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        TAttributeList l;
        if (c.sym != OtherAttribute) l.Add(attr(c.sym, u"X", c.value, c.number));
        TSection s(doc.get(), nullptr, prop.get(), nullptr, false);
        TFormControlObjBase* control = s.AddFormControl(c.which, doc.get(), &l, doc.get(), 7, prop.get());
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(static_cast<StubControl*>(control)->kind, c.kind);
        EXPECT_EQ(s.BuffS, c.text);
        EXPECT_EQ(brkString(s), c.brk);
        if (c.kind == K::Image) {
            ASSERT_EQ(s.Images.Count(), 1);
            auto* image = static_cast<TImageObj*>(s.Images.Items(0));
            EXPECT_EQ(image->MyFormControl, control);
            EXPECT_EQ(static_cast<StubControl*>(control)->MyImage, image);
            EXPECT_EQ(s.FormControls.Count(), 0);
        } else {
            EXPECT_EQ(s.FormControls.Count(), int(c.text.size()));
            EXPECT_EQ(s.FormControls.GetItem(0), control);
        }
    }
    EXPECT_EQ(factory->made.back()->kind, K::TextArea);
    doc->SetObjectFactory(nullptr);
}

TEST_F(SectionContentTest, WithoutAFactoryAControlTagAddsNothingAndIsLoggedOnce) {
    LogCapture log;
    TSection s(doc.get(), nullptr, prop.get(), nullptr, false);
    EXPECT_EQ(s.AddFormControl(InputSy, doc.get(), nullptr, doc.get(), 0, prop.get()), nullptr);
    EXPECT_EQ(s.AddFormControl(SelectSy, doc.get(), nullptr, doc.get(), 1, prop.get()), nullptr);
    EXPECT_EQ(s.Len, 0);
    ASSERT_EQ(LogCapture::records().size(), 1u);
    EXPECT_NE(LogCapture::records()[0].second.find("INPUT"), std::string::npos);
    ThtDocument other(nullptr, nullptr);  // another document logs again
    TSection t(&other, nullptr, prop.get(), nullptr, false);
    t.AddFormControl(TextAreaSy, &other, nullptr, &other, 0, prop.get());
    EXPECT_EQ(LogCapture::records().size(), 2u);
}

TEST_F(SectionContentTest, DocumentAndSourcePositionsAcrossGaps) {
    auto owned = std::make_unique<TSection>(doc.get(), nullptr, prop.get(), nullptr, false);
    TSection& s = *owned;
    addText(s, u"ab", 10);  // markup at 12..19
    addText(s, u"cd", 20);
    s.ProcessText(30);
    s.StartCurs = 100;
    ASSERT_EQ(s.BuffS, u"abcd ");
    EXPECT_EQ(sourceIndices(s), (std::vector<int32_t>{10, 11, 20, 21, 30}));
    struct Case {
        int32_t source;
        int32_t prev, next;  // FindDocPos with and without Prev
    } cases[] = {
        {9, -1, 100},   {10, 100, 100}, {11, 101, 101}, {15, 101, 102},  // in the gap
        {20, 102, 102}, {25, 103, 104}, {30, 104, 104}, {31, 104, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s.FindDocPos(c.source, true), c.prev) << c.source;
        EXPECT_EQ(s.FindDocPos(c.source, false), c.next) << c.source;
    }
    EXPECT_EQ(s.FindSourcePos(99), -1);
    EXPECT_EQ(s.FindSourcePos(105), -1);
    for (int32_t p = 100; p < 105; ++p) EXPECT_EQ(s.FindDocPos(s.FindSourcePos(p), p % 2 == 0), p);
    char16_t ch = 0;
    TSectionBase* obj = nullptr;
    EXPECT_TRUE(s.GetChAtPos(102, ch, obj));
    EXPECT_EQ(ch, u'c');
    EXPECT_EQ(obj, &s);
    EXPECT_FALSE(s.GetChAtPos(105, ch, obj));
    EXPECT_EQ(obj, nullptr);

    // A print copy has no index runs: it answers nothing.
    doc->Add(std::move(owned), 30);
    std::unique_ptr<ThtDocument> copy = ThtDocument::CreateCopy(*doc);
    auto* copied = dynamic_cast<TSection*>(copy->GetItem(0));
    ASSERT_NE(copied, nullptr);
    copied->StartCurs = 100;
    EXPECT_EQ(copied->BuffS, u"abcd ");
    EXPECT_EQ(copied->FindSourcePos(101), -1);
    EXPECT_EQ(copied->FindDocPos(11, true), -1);
    EXPECT_EQ(copied->FindDocPos(11, false), -1);
}

TEST_F(SectionContentTest, StyleOfTheSectionFromItsElement) {
    struct Case {
        const char16_t* align;
        const char16_t* clearAttr;
        const char16_t* clearCss;
        const char16_t* whiteSpace;
        const char16_t* indent;
        ThtJustify justify;
        ThtClearStyle clear;
        ThtWhiteSpaceStyle ws;
        int32_t firstIndent, percent;
    } cases[] = {
        {u"center", nullptr, nullptr, nullptr, nullptr, ThtJustify::Centered, clrNone, wsNormal, 0, 0},
        {u"right", u"left", nullptr, u"pre-wrap", u"10px", ThtJustify::Right, clLeft, wsPreWrap, 10, 0},
        {u"justify", u"RIGHT", nullptr, u"nowrap", u"50%", ThtJustify::FullJustify, clRight, wsNoWrap, 50, 50},
        {u"start", u"both", nullptr, u"pre-line", u"95%", ThtJustify::Left, clAll, wsPreLine, 95, 90},
        {nullptr, u"left", u"right", u"bogus", nullptr, ThtJustify::Left, clRight, wsNormal, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align ? std::string(c.align, c.align + 3) : "none");
        auto p = textProps();
        if (c.align) p->Props[TextAlign] = std::u16string(c.align);
        if (c.clearCss) p->Props[Clear] = std::u16string(c.clearCss);
        if (c.whiteSpace) p->Props[piWhiteSpace] = std::u16string(c.whiteSpace);
        if (c.indent) p->Props[TextIndent] = std::u16string(c.indent);
        TAttributeList l;
        if (c.clearAttr) l.Add(attr(ClearSy, u"CLEAR", c.clearAttr));
        TSection s(doc.get(), &l, p.get(), nullptr, true);
        EXPECT_EQ(s.Justify, c.justify);
        EXPECT_EQ(s.ClearAttr, c.clear);
        EXPECT_EQ(s.WhiteSpaceStyle, c.ws);
        EXPECT_EQ(s.FirstLineIndent, c.firstIndent);
        EXPECT_EQ(s.FLPercent, c.percent);
    }
    auto p = textProps();
    p->Props[LineHeight] = std::u16string(u"1.5");
    p->Props[WordWrap] = std::u16string(u"break-word");
    TSection s(doc.get(), nullptr, p.get(), nullptr, false);
    EXPECT_EQ(s.LineHeight, 24);  // 1.5 × the 16-pixel font
    EXPECT_TRUE(s.BreakWord);
    EXPECT_EQ(TSection(doc.get(), nullptr, prop.get(), nullptr, false).LineHeight, -1);
    // Inside NOBR a section does not wrap, unless its style says otherwise.
    doc->SetNoBreak(true);
    EXPECT_EQ(TSection(doc.get(), nullptr, nullptr, nullptr, false).WhiteSpaceStyle, wsNoWrap);
    doc->SetNoBreak(false);
    EXPECT_EQ(TPreFormated(doc.get(), nullptr, nullptr, nullptr, false).WhiteSpaceStyle, wsPre);
}

TEST_F(SectionContentTest, LinkRunsJoinTheDocumentsLinkList) {
    TUrlTarget link;
    link.Assign(u"next.htm", u"", nullptr, 5);
    TSection s(doc.get(), nullptr, prop.get(), &link, false);
    TFontObj* first = s.Fonts.GetFont(0);
    EXPECT_EQ(first->URL(), u"next.htm");
    EXPECT_NE(first->FIArray, nullptr);
    EXPECT_EQ(doc->LinkList->IndexOf(first), 0);
    addText(s, u"ab", 0);
    TUrlTarget none;
    s.HRef(false, doc.get(), &none, nullptr, prop.get());  // the link ends
    addText(s, u"cd", 2);
    ASSERT_EQ(s.Fonts.Count(), 2);
    EXPECT_TRUE(s.Fonts.GetFont(1)->URL().empty());
    EXPECT_EQ(s.Fonts.GetFont(1)->FIArray, nullptr);
    s.HRef(true, doc.get(), &link, nullptr, prop.get());
    addText(s, u"e", 4);
    s.ChangeFont(prop.get());  // a font change inside the link stays a link run
    addText(s, u"f", 5);
    EXPECT_EQ(s.Fonts.Count(), 4);
    EXPECT_EQ(doc->LinkList->Count(), 3);
    EXPECT_EQ(s.Fonts.GetFont(3)->URL(), u"next.htm");
    s.CheckFree();
    EXPECT_EQ(doc->LinkList->Count(), 0);
}

}  // namespace
