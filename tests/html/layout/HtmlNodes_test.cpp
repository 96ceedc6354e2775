// Nodes and sections: ids, the tag-class text, what a node keeps of the
// parser's objects, hit rectangles, the section list's searches, stand-alone
// anchors, and the floating-object list.
#include <gtest/gtest.h>

#include <map>

#include "ModelFixture.h"
#include "html/layout/Document.h"
#include "html/layout/HtmlNodes.h"
#include "html/layout/SizeableObjs.h"

namespace {

using namespace modeltest;

// A section that answers the position queries from a table.
class FakeSection : public TSectionBase {
public:
    FakeSection(TCellBasic* Parent, TAttributeList* L, TProperties* P) : TSectionBase(Parent, L, P) {}
    FakeSection(TCellBasic* Parent, const FakeSection& S) : TSectionBase(Parent, S), docPos(S.docPos) {}
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override {
        return std::make_unique<FakeSection>(Parent, *this);
    }
    int32_t DrawLogic1(TCanvas*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, TIndentManager*,
                       int32_t&, int32_t&) override {
        return 0;
    }
    int32_t FindDocPos(int32_t SourcePos, bool) override {
        auto it = docPos.find(SourcePos);
        return it == docPos.end() ? -1 : it->second;
    }
    bool CursorToXY(TCanvas*, int32_t Cursor, int32_t& X, int32_t& Y) override {
        if (Cursor != caretAt) return false;
        X = 3;
        Y = caretY;
        return true;
    }
    std::map<int32_t, int32_t> docPos;
    int32_t caretAt = -1, caretY = 0;
};

// A block with nothing of its own.
class FakeBlock : public TBlockBase {
public:
    using TBlockBase::TBlockBase;
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic*) const override { return nullptr; }
    int32_t DrawLogic1(TCanvas*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, TIndentManager*,
                       int32_t&, int32_t&) override {
        return 0;
    }
};

// An object in a line of text at a position.
class FakeFloat : public TFloatingObj {
public:
    FakeFloat(TCellBasic* Parent, int32_t Pos) : TFloatingObj(Parent, Pos, nullptr, nullptr) {}
    FakeFloat(TCellBasic* Parent, const FakeFloat& S) : TFloatingObj(Parent, S) {}
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override {
        return std::make_unique<FakeFloat>(Parent, *this);
    }
    int32_t GetClientHeight() const override { return 10; }
    int32_t GetClientWidth() const override { return 20; }
    void SetClientHeight(int32_t) override {}
    void SetClientWidth(int32_t) override {}
    void DrawLogicInline(TCanvas*, TFontObj*, int32_t, int32_t) override {}
    void DrawInline(TCanvas*, int32_t, int32_t, int32_t, TFontObj*) override {}
};

// An image whose painted box is its DrawRect.
class BoxedImage : public TImageObj {
public:
    BoxedImage(TCellBasic* Parent, int32_t Pos) : TImageObj(Parent, u"x.png") { StartCurs = Pos; }
    bool PtInDrawRect(int32_t X, int32_t Y, int32_t& IX, int32_t& IY) override {
        return TSectionBase::PtInDrawRect(X, Y, IX, IY);
    }
};

class HtmlNodesTest : public RecordingScreenTest {
protected:
    ThtDocument doc{nullptr, nullptr};

    FakeSection* addSection(const char16_t* id, const char16_t* tag = u"p", const char16_t* cls = u"") {
        auto p = props(PSy, tag, cls, id);
        auto* s = new FakeSection(&doc, nullptr, p.get());
        doc.Add(std::unique_ptr<TSectionBase>(s), 0);
        return s;
    }
};

TEST_F(HtmlNodesTest, IdsAreTrimmedAndBlankIdsRegisterNothing) {
    FakeSection* a = addSection(u"  intro\t");
    EXPECT_EQ(a->Id(), u"intro");
    EXPECT_EQ(doc.IDNameList->IndexOf(u"INTRO"), 0);  // ids compare without regard to case
    FakeSection* blank = addSection(u" \t ");
    EXPECT_TRUE(blank->HtmlId().empty());
    EXPECT_EQ(doc.IDNameList->Count(), 1);
    // Without a property set the id and class come from the attributes.
    TAttributeList attrs;
    attrs.Add(attr(IDSy, u"ID", u" Main "));
    attrs.Add(attr(ClassSy, u"CLASS", u"b a"));
    FakeSection fromAttrs(&doc, &attrs, nullptr);
    EXPECT_EQ(fromAttrs.Id(), u"main");
    EXPECT_EQ(fromAttrs.TagClass, u".a.b#main");
}

TEST_F(HtmlNodesTest, TagClassAlwaysHasClassAndIdParts) {
    struct Case {
        const char16_t *tag, *cls, *id, *expected;
    } cases[] = {
        {u"p", u"note", u"intro", u"p.note#intro"},
        {u"p", u"", u"", u"p.#"},
        {u"div", u"", u"top", u"div.#top"},
        {u"li", u"a.b", u"", u"li.a.b#"},
    };
    for (const Case& c : cases) {
        auto p = props(PSy, c.tag, c.cls, c.id);
        FakeSection s(&doc, nullptr, p.get());
        EXPECT_EQ(s.TagClass, c.expected);
    }
}

TEST_F(HtmlNodesTest, NodeKeepsWhatTheParserFrees) {
    auto attrs = std::make_unique<TAttributeList>();
    attrs->Add(attr(TitleSy, u"TITLE", u"Tip"));
    auto p = props(PSy, u"p", u"note");
    p->PropTitle = u"kept";
    FakeSection s(&doc, attrs.get(), p.get());
    // The parser clears its list for the next tag and pops the set.
    attrs->Clear();
    attrs.reset();
    p.reset();
    TAttribute* a = nullptr;
    ASSERT_TRUE(s.FindAttribute(TitleSy, a));
    EXPECT_EQ(a->Name, u"Tip");
    EXPECT_FALSE(s.FindAttribute(HrefSy, a));
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(s.Symbol(), PSy);
    ASSERT_NE(s.Properties(), nullptr);
    EXPECT_EQ(s.Properties()->PropTitle, u"kept");
    EXPECT_EQ(s.Properties()->PropStack, nullptr);

    FakeSection bare(&doc, nullptr, nullptr);
    EXPECT_FALSE(bare.FindAttribute(TitleSy, a));
    EXPECT_EQ(bare.Symbol(), OtherChar);
}

TEST_F(HtmlNodesTest, AGoneSectionLeavesTheDocumentsLists) {
    addSection(u"x");
    FakeSection* later = addSection(u"x");  // replaces the first under the id
    addSection(u"y");
    doc.AddSectionsToList();
    ASSERT_EQ(doc.PositionList->Count(), 3);
    doc.Delete(0);  // the first one goes: the newer holder of "x" stays
    EXPECT_EQ(doc.PositionList->Count(), 2);
    EXPECT_EQ(doc.PositionList->GetItem(0), later);
    ASSERT_GE(doc.IDNameList->IndexOf(u"x"), 0);
    EXPECT_EQ(doc.IDNameList->GetObject(doc.IDNameList->IndexOf(u"x")), later);
    doc.Delete(doc.IndexOf(later));
    EXPECT_EQ(doc.IDNameList->IndexOf(u"x"), -1);
    EXPECT_GE(doc.IDNameList->IndexOf(u"y"), 0);
}

TEST_F(HtmlNodesTest, DrawRectHitsInCanvasCoordinates) {
    FakeSection* s = addSection(u"");
    int32_t ix = -1, iy = -1;
    EXPECT_FALSE(s->PtInDrawRect(0, 0, ix, iy));  // never painted: empty rectangle
    s->DrawRect = Rect(10, 20, 30, 40);
    doc.YOff = 100;
    EXPECT_TRUE(s->PtInDrawRect(10, 120, ix, iy));  // left and top edges inside
    EXPECT_EQ(ix, 0);
    EXPECT_EQ(iy, 0);
    EXPECT_TRUE(s->PtInDrawRect(29, 139, ix, iy));
    EXPECT_EQ(ix, 19);
    EXPECT_EQ(iy, 19);
    EXPECT_FALSE(s->PtInDrawRect(30, 130, ix, iy));  // right and bottom edges outside
    EXPECT_FALSE(s->PtInDrawRect(15, 140, ix, iy));
    TSectionBase* obj = nullptr;
    EXPECT_TRUE(doc.PtInObject(15, 125, obj, ix, iy));
    EXPECT_EQ(obj, s);
    s->SetDisplay(pdNone);
    EXPECT_FALSE(s->PtInDrawRect(15, 125, ix, iy));
}

TEST_F(HtmlNodesTest, DisplaysSeenFromOutsideAndInside) {
    struct Case {
        ThtDisplayStyle display, outer, inner;
    } cases[] = {
        {pdInlineBlock, pdInline, pdBlock},
        {pdInlineTable, pdInline, pdTable},
        {pdBlock, pdBlock, pdBlock},
        {pdNone, pdNone, pdNone},
    };
    FakeSection* s = addSection(u"");
    for (const Case& c : cases) {
        s->SetDisplay(c.display);
        EXPECT_EQ(s->GetOuterDisplay(), c.outer);
        EXPECT_EQ(s->GetInnerDisplay(), c.inner);
    }
}

TEST_F(HtmlNodesTest, FindDocPosOrderAndAnchors) {
    FakeSection* first = addSection(u"");
    FakeSection* last = addSection(u"");
    first->docPos[5] = 12;
    last->docPos[5] = 40;
    last->docPos[9] = 44;
    EXPECT_EQ(doc.TSectionBaseList::FindDocPos(5, false), 12);
    EXPECT_EQ(doc.TSectionBaseList::FindDocPos(5, true), 40);  // backwards: the last section first
    EXPECT_EQ(doc.TSectionBaseList::FindDocPos(9, false), 44);
    EXPECT_EQ(doc.TSectionBaseList::FindDocPos(7, true), -1);

    // A stand-alone anchor lies where the caret of its position is drawn
    // (in a laid-out document: the caret needs the document's extent).
    doc.Len = 60;
    last->caretAt = 44;
    last->caretY = 250;
    const int i = doc.AddChPosObjectToIDNameList(u"NAMED", 9);
    TIDObject* anchor = doc.IDNameList->GetObject(i);
    EXPECT_EQ(anchor->YPosition(), 250);
    EXPECT_TRUE(anchor->FreeMe());
    TChPosObj lost(&doc, 7);
    EXPECT_EQ(lost.YPosition(), 0);
}

TEST_F(HtmlNodesTest, BlockBaseFloatsAndPositions) {
    auto p = props(DivSy, u"div");
    p->Props[Float] = std::u16string(u"left");
    FakeBlock floating(&doc, 7, nullptr, p.get());
    EXPECT_EQ(floating.Floating, aLeft);
    EXPECT_EQ(floating.StartCurs, 7);
    EXPECT_EQ(floating.Display(), pdBlock);  // unassigned display becomes block
    p->Props[Position] = std::u16string(u"absolute");
    FakeBlock absolute(&doc, 0, nullptr, p.get());
    EXPECT_EQ(absolute.Positioning, posAbsolute);
    EXPECT_EQ(absolute.Floating, aNone);  // an absolutely positioned block never floats
    FakeBlock none(&doc, 0, nullptr, nullptr);
    EXPECT_EQ(none.Floating, aNone);
    EXPECT_EQ(none.Positioning, posStatic);
}

class FloatingObjListTest : public HtmlNodesTest {
protected:
    TFloatingObjList list;
    FakeFloat* add(int32_t pos) { return static_cast<FakeFloat*>(list.Add(std::make_unique<FakeFloat>(&doc, pos))); }
};

TEST_F(FloatingObjListTest, LookupsByPosition) {
    FakeFloat* a = add(3);
    FakeFloat* b = add(8);
    TFloatingObj* obj = nullptr;
    struct Case {
        int32_t posn, distance;
        TFloatingObj* found;
    } cases[] = {{0, 3, a}, {3, 0, a}, {4, 4, b}, {8, 0, b}, {9, NoItemDistance, nullptr}};
    for (const Case& c : cases) {
        EXPECT_EQ(list.GetObjectAt(c.posn, obj), c.distance) << c.posn;
        EXPECT_EQ(obj, c.found) << c.posn;
    }
    EXPECT_EQ(list.FindObject(8), b);
    EXPECT_EQ(list.FindObject(5), nullptr);  // between two objects
    EXPECT_EQ(a->TotalWidth(), 20);
    a->HSpaceL = 2;
    a->HSpaceR = 3;
    a->VSpaceT = 1;
    a->VSpaceB = 4;
    EXPECT_EQ(a->TotalWidth(), 25);
    EXPECT_EQ(a->TotalHeight(), 15);
}

TEST_F(FloatingObjListTest, DecrementMovesOnlyObjectsAfterTheRemovedCharacter) {
    FakeFloat* a = add(2);
    FakeFloat* b = add(5);
    FakeFloat* c = add(9);
    list.Decrement(5);
    EXPECT_EQ(a->StartCurs, 2);
    EXPECT_EQ(b->StartCurs, 5);  // the object at N itself stays
    EXPECT_EQ(c->StartCurs, 8);
}

TEST_F(FloatingObjListTest, CopiesAreMadeByTheObjectsOwnClass) {
    FakeFloat* a = add(4);
    a->VertAlign = aMiddle;
    a->HSpaceL = 6;
    a->DrawYY = 70;
    TFloatingObjList copy;
    copy.CopyFrom(&doc, list);
    ASSERT_EQ(copy.Count(), 1);
    auto* c = dynamic_cast<FakeFloat*>(copy.Items(0));
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c, a);
    EXPECT_EQ(c->VertAlign, aMiddle);
    EXPECT_EQ(c->HSpaceL, 6);
    EXPECT_EQ(c->DrawYY, 70);
}

TEST_F(FloatingObjListTest, PtInImageFindsTheFirstImageAndItsMap) {
    FakeFloat* other = add(1);
    other->DrawRect = Rect(0, 0, 100, 100);
    auto* img = static_cast<BoxedImage*>(list.Add(std::make_unique<BoxedImage>(&doc, 6)));
    img->DrawRect = Rect(10, 10, 50, 50);
    img->IsMap = true;
    img->UseMap = true;
    img->MapName = u"M1";
    auto lower = std::make_unique<TMapItem>();
    lower->MapName = u"m1";  // names compare exactly
    doc.MapList.push_back(std::move(lower));
    auto map = std::make_unique<TMapItem>();
    map->MapName = u"M1";
    TMapItem* wanted = map.get();
    doc.MapList.push_back(std::move(map));

    int32_t ix = -1, iy = -1, posn = -1;
    bool aMap = false, uMap = false;
    TMapItem* item = nullptr;
    TImageObj* image = nullptr;
    ASSERT_TRUE(list.PtInImage(20, 30, ix, iy, posn, aMap, uMap, item, image));  // the other object is passed over
    EXPECT_EQ(image, img);
    EXPECT_EQ(posn, 6);
    EXPECT_EQ(ix, 10);
    EXPECT_EQ(iy, 20);
    EXPECT_TRUE(aMap);
    EXPECT_TRUE(uMap);
    EXPECT_EQ(item, wanted);
    EXPECT_FALSE(list.PtInImage(80, 80, ix, iy, posn, aMap, uMap, item, image));

    TSectionBase* hit = nullptr;
    EXPECT_TRUE(list.PtInObject(80, 80, hit, ix, iy));
    EXPECT_EQ(hit, other);
}

}  // namespace
