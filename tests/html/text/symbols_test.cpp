#include <gtest/gtest.h>

#include <set>
#include <string>

#include "html/text/HtmlSymbols.h"

namespace {

TEST(HtmlSymbolsTest, TablesHaveTheirRowsInOrder) {
    EXPECT_EQ(ElemSymbCount, 194);
    EXPECT_EQ(AttrSymbCount, 94);
    EXPECT_EQ(Entities().Count(), 253);
    EXPECT_EQ(ElementNames().Count(), 102);
    EXPECT_EQ(AttributeNames().Count(), 93);
    // Fixed ordinals that sets and ranges of the parser rely on.
    EXPECT_EQ(int(CommandSy), 1);
    EXPECT_EQ(int(ASy), 97);
    EXPECT_EQ(int(liAloneSy), 157);
    EXPECT_EQ(int(FrameAttrSy), 27);
    EXPECT_EQ(int(StyleAttrSy), 79);
    for (int i = 1; i < AttributeNames().Count(); ++i)
        EXPECT_LT(AttributeNames().Strings(i - 1), AttributeNames().Strings(i));
}

TEST(HtmlSymbolsTest, EveryElementHasItsSymbolsAndEverySymbolItsElement) {
    std::set<int> owned;
    for (int i = 0; i < ElementNames().Count(); ++i) {
        const TResWord* r = ElementNames().Objects(i);
        EXPECT_EQ(ElementSymbolIndex(r->Symbol), i);
        EXPECT_EQ(ElementStartSymbol(r->Symbol), r->Symbol);
        EXPECT_EQ(ElementEndSymbol(r->Symbol), r->EndSym);
        EXPECT_TRUE(owned.insert(r->Symbol).second) << i;
        if (r->EndSym != CommandSy) {
            EXPECT_EQ(ElementStartSymbol(r->EndSym), r->Symbol);
            EXPECT_TRUE(owned.insert(r->EndSym).second) << i;
        }
    }
    std::set<int> orphans;
    for (int s = 0; s < ElemSymbCount; ++s)
        if (!owned.count(s)) orphans.insert(s);
    EXPECT_EQ(orphans, (std::set<int>{OtherChar, CommandSy, StringSy, EolSy, EofSy, liAloneSy}));
    for (int s : orphans) {
        EXPECT_EQ(ElementSymbolIndex(TElemSymb(s)), -1);
        EXPECT_EQ(ElementStartSymbol(TElemSymb(s)), CommandSy);
        EXPECT_EQ(ElementEndSymbol(TElemSymb(s)), CommandSy);
        EXPECT_EQ(ElementSymbolName(TElemSymb(s)), u"");
    }
}

TEST(HtmlSymbolsTest, LookUpsAreCaseSensitive) {
    const struct {
        const char16_t* name;
        int value;
    } entities[] = {{u"amp", 38},    {u"lt", 60},     {u"gt", 62},      {u"quot", 34},    {u"nbsp", 160},
                    {u"euro", 8364}, {u"apos", 8217}, {u"Agrave", 192}, {u"agrave", 224}, {u"AMP", -1},
                    {u"am", -1},     {u"ampx", -1},   {u"", -1},        {u"yuml", 255},   {u"thetasym", 977}};
    for (const auto& e : entities) {
        const TEntity* r = Entities().Lookup(e.name);
        EXPECT_EQ(r ? r->Value : -1, e.value)
            << std::string(e.name, e.name + std::char_traits<char16_t>::length(e.name));
    }

    const TResWord* td = ElementNames().Lookup(u"TD");
    ASSERT_NE(td, nullptr);
    EXPECT_EQ(td->Symbol, TDSy);
    EXPECT_EQ(td->EndSym, TDEndSy);
    EXPECT_EQ(ElementNames().Lookup(u"td"), nullptr);
    const struct {
        const char16_t* name;
        TElemSymb start, end;
    } elements[] = {{u"TITLE", TitleElemSy, TitleEndSy}, {u"IMG", ImageSy, CommandSy},
                    {u"LINK", LinkElemSy, CommandSy},    {u"BLOCKQUOTE", BlockQuoteSy, BlockQuoteEndSy},
                    {u"COL", ColSy, CommandSy},          {u"METER", MeterSy, MeterEndSy}};
    for (const auto& e : elements) {
        const TResWord* r = ElementNames().Lookup(e.name);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->Symbol, e.start);
        EXPECT_EQ(r->EndSym, e.end);
    }

    EXPECT_EQ(AttributeNames().Lookup(u"HTTP-EQUIV")->Value, HttpEqSy);
    EXPECT_EQ(AttributeNames().Lookup(u"FRAME")->Value, FrameAttrSy);
    EXPECT_EQ(AttributeNames().Lookup(u"STYLE")->Value, StyleAttrSy);
    EXPECT_EQ(AttributeNames().Lookup(u"WRAP")->Value, WrapSy);
    EXPECT_EQ(AttributeNames().Lookup(u"style"), nullptr);
    EXPECT_EQ(AttributeNames().Lookup(u"ONLOAD"), nullptr);
}

TEST(HtmlSymbolsTest, SymbolHelpers) {
    EXPECT_EQ(ElementEndSymbol(HRSy), CommandSy);
    EXPECT_EQ(ElementEndSymbol(StringSy), CommandSy);
    EXPECT_EQ(ElementEndSymbol(BSy), BEndSy);
    EXPECT_EQ(ElementStartSymbol(TREndSy), TRSy);
    EXPECT_EQ(ElementStartSymbol(BEndSy), BSy);
    EXPECT_EQ(ElementSymbolName(ImageSy), u"img");
    EXPECT_EQ(ElementSymbolName(EofSy), u"");
    EXPECT_EQ(ElementSymbolName(BlockQuoteSy), u"blockquote");
    EXPECT_EQ(ElementSymbolName(BlockQuoteEndSy), u"blockquote");
    EXPECT_EQ(ElementSymbolName(TitleEndSy), u"title");
}

}  // namespace
