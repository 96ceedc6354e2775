#include <gtest/gtest.h>

#include <string>

#include "html/layout/AttributeList.h"
#include "html/layout/IDObjectList.h"
#include "html/layout/TokenBuffers.h"
#include "html/text/Properties.h"

namespace {

std::unique_ptr<TAttribute> attr(TAttrSymb s, const char16_t* name, const char16_t* value, double number = 0) {
    return std::make_unique<TAttribute>(s, number, name, value, 65001);
}

TEST(AttributeListTest, Accessors) {
    TAttributeList list;
    list.Add(attr(ClassSy, u"CLASS", u"  B  a "));
    list.Add(attr(ClassSy, u"CLASS", u"second"));
    list.Add(attr(IDSy, u"ID", u"Main"));
    list.Add(attr(TitleSy, u"TITLE", u"A Tip"));
    list.Add(attr(WidthSy, u"WIDTH", u"-12.7", -12.7));
    EXPECT_EQ(list.TheClass(), u"a.b");
    EXPECT_EQ(list.TheID(), u"main");
    EXPECT_EQ(list.TheTitle(), u"A Tip");
    TAttribute* t = nullptr;
    ASSERT_TRUE(list.Find(WidthSy, t));
    EXPECT_EQ(t->AsInteger(), -12);
    EXPECT_DOUBLE_EQ(t->AsDouble(), -12.7);
    TAttribute* untouched = t;
    EXPECT_FALSE(list.Find(HrefSy, t));
    EXPECT_EQ(t, untouched);
    EXPECT_EQ(list.TheStyle(), nullptr);
    auto lines = list.CreateStringList();
    ASSERT_EQ(lines->count(), 5);
    EXPECT_STREQ(lines->at(2)->c_str(), "ID=Main");

    auto copy = TAttributeList::CreateCopy(list);
    ASSERT_EQ(copy->Count(), 5);
    EXPECT_NE(copy->GetAttribute(0), list.GetAttribute(0));
    EXPECT_EQ(copy->GetAttribute(0)->Name, u"  B  a ");

    list.Clear();
    EXPECT_EQ(list.TheID(), u"");  // the cached id went with the tag
    list.Add(attr(ClassSy, u"CLASS", u" Foo "));
    EXPECT_EQ(list.TheClass(), u"foo");
    list.Clear();
    list.Add(attr(ClassSy, u"CLASS", u"x y x"));
    EXPECT_EQ(list.TheClass(), u"x.x.y");
}

TEST(AttributeListTest, StyleIsParsedOnceAndOwnedByTheList) {
    TAttributeList list;
    list.Add(attr(StyleAttrSy, u"STYLE", u"color: red; margin-left: 3px"));
    TProperties* first = list.TheStyle();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(VarInt(first->Props[Color]), 0x0000FF);
    EXPECT_EQ(list.TheStyle(), first);
    EXPECT_EQ(VarStr(first->Props[MarginLeft]), u"3px");
    list.Clear();
    list.Add(attr(StyleAttrSy, u"STYLE", u"color: #00ff00"));
    TProperties* next = list.TheStyle();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(VarInt(next->Props[Color]), 0x00FF00);
}

TEST(TokenBuffersTest, Growth) {
    TCharCollection cc;
    EXPECT_EQ(cc.Capacity(), 300);
    cc.Add(u"abc", 7);
    cc.Add(u'd', 9);
    EXPECT_EQ(cc.AsString(), u"abcd");
    EXPECT_EQ(cc.Indices(3), 7);
    EXPECT_EQ(cc.Indices(4), 9);
    cc.Clear();
    EXPECT_EQ(cc.Capacity(), 0);
    EXPECT_EQ(cc.AsString(), u"");
    cc.Add(u'x', 1);
    EXPECT_EQ(cc.Capacity(), 50);
    cc.Add(std::u16string(60, u'y'), 2);
    EXPECT_EQ(cc.Size(), 61);
    EXPECT_EQ(cc.Capacity(), 61 + 50);
    cc.Add(u"", 3);
    EXPECT_EQ(cc.Size(), 61);

    TTokenObj tok;
    EXPECT_EQ(tok.Capacity(), 300);
    std::u16string expect;
    for (int i = 0; i < 301; ++i) {
        tok.AddUnicodeChar(char16_t(u'a' + i % 26), i);
        expect += char16_t(u'a' + i % 26);
    }
    EXPECT_EQ(tok.Capacity(), 350);
    EXPECT_EQ(tok.S(), expect);
    EXPECT_EQ(tok.Indices(301), 300);
    tok.AddString(cc);
    EXPECT_EQ(tok.Count(), 301 + 61);
    EXPECT_EQ(tok.Indices(302), 1);
    EXPECT_EQ(tok.S().size(), 362u);
    tok.SetCapacity(10);
    EXPECT_EQ(tok.Count(), 10);
    EXPECT_EQ(tok.S(), expect.substr(0, 10));
    tok.Clear();
    EXPECT_EQ(tok.S(), u"");
    EXPECT_EQ(tok.Count(), 0);
}

struct Anchor : TIDObject {
    explicit Anchor(int* freed, bool owned) : freed(freed), owned(owned) {}
    ~Anchor() override { ++*freed; }
    bool FreeMe() const override { return owned; }
    int32_t GetYPosition() const override { return 0; }
    int* freed;
    bool owned;
};

TEST(IDObjectListTest, NewerObjectsReplaceOlder) {
    int freed = 0;
    Anchor element(&freed, false);
    {
        TIDObjectList ids;
        ids.AddObject(u"Top", new Anchor(&freed, true));
        ids.AddObject(u"mid", &element);
        ids.AddObject(u"TOP", &element);  // the same id in other letters
        EXPECT_EQ(freed, 1);              // the owned anchor went
        EXPECT_EQ(ids.Count(), 2);
        EXPECT_EQ(ids.GetObject(ids.IndexOf(u"top")), &element);
        ids.AddObject(u"mid", &element);  // the same object again stays alive
        EXPECT_EQ(freed, 1);
        ids.AddObject(u"end", new Anchor(&freed, true));
        EXPECT_EQ(ids.IndexOf(u"none"), -1);
    }
    EXPECT_EQ(freed, 2);  // the list freed its own anchor, not the element
}

}  // namespace
