// Cells with a float manager of their own, the block cell's aggregates, a
// table cell's own title and link, the document's inline boxes and its
// deferred images.
#include <gtest/gtest.h>

#include <stdexcept>

#include "FakeSections.h"
#include "html/layout/SizeableObjs.h"
#include "html/layout/SpecialBlocks.h"

namespace {

using namespace modeltest;

class CellsTest : public RecordingScreenTest {};

TEST_F(CellsTest, AFloatHangingBelowTheTextExtendsTheCell) {
    TDocFixture fx;
    TFakeSection* text = addFake(fx.doc.get(), "text", 20);
    text->OnLayout = [](TIndentManager* m, int32_t, int32_t y) { m->AddLeft(y, y + 300, 50); };
    EXPECT_EQ(fx.layout(), 300);
    // Without the float the cell is as high as its text.
    text->OnLayout = nullptr;
    EXPECT_EQ(fx.layout(), 20);
}

TEST_F(CellsTest, AChildRaisingLeavesTheFloatManagerAsItWas) {
    TDocFixture fx;
    auto bodyProps = props(BodySy, u"body");
    auto* body = addBlock<TBodyBlock>(fx.doc.get(), *bodyProps);
    auto floatProps = boxProps(DivSy, u"div", {{Float, std::u16string(u"left")}, {piWidth, int64_t(40)}});
    TBlock* left = addBlock(body->MyCell.get(), *floatProps);
    addFake(left->MyCell.get(), "f", 30);
    auto plain = props(DivSy, u"div");
    TBlock* failing = addBlock(body->MyCell.get(), *plain);
    addFake(failing->MyCell.get(), "bad", 10)->OnLayout = [](TIndentManager*, int32_t, int32_t) {
        throw std::runtime_error("not a layout failure");
    };
    EXPECT_THROW(fx.layout(), std::runtime_error);
    TIndentManager* m = fx.doc->IMgr;
    EXPECT_EQ(m->CurrentID, nullptr);
    // Only the float that was placed before the failure is left.
    ASSERT_EQ(m->L.Count(), 1);
    EXPECT_EQ(m->L.Items(0)->ID, nullptr);
    EXPECT_EQ(m->R.Count(), 0);
}

TEST_F(CellsTest, ABlockCellGathersItsChildrensExtent) {
    TDocFixture fx;
    auto bodyProps = props(BodySy, u"body");
    auto* body = addBlock<TBodyBlock>(fx.doc.get(), *bodyProps);
    auto plain = props(DivSy, u"div");
    TBlock* outer = addBlock(body->MyCell.get(), *plain);
    addFake(outer->MyCell.get(), "a", 30, 120);
    auto absProps = boxProps(DivSy, u"div", {{Position, std::u16string(u"absolute")}, {piTop, int64_t(0)}});
    TBlock* positioned = addBlock(outer->MyCell.get(), *absProps);
    addFake(positioned->MyCell.get(), "tall", 500, 60);
    addFake(outer->MyCell.get(), "b", 10, 80);
    fx.layout(400);

    TBlockCell* cell = outer->MyCell.get();
    EXPECT_EQ(cell->CellHeight, 40);
    // The positioned child reaches far down but does not move the content bottom.
    EXPECT_EQ(cell->tcContentBot, 40);
    EXPECT_GE(cell->tcDrawBot, 500);
    EXPECT_EQ(cell->tcDrawTop, 0);
    EXPECT_EQ(outer->ContentBot, 40);

    // Hidden overflow reports the whole width as the widest child.
    auto hiddenProps = boxProps(DivSy, u"div", {{OverFlow, std::u16string(u"hidden")}});
    TBlock* hidden = addBlock(body->MyCell.get(), *hiddenProps);
    addFake(hidden->MyCell.get(), "wide", 10, 2000);
    int32_t scroll = 0, curs = 0;
    hidden->MyCell->IMgr = fx.doc->IMgr;
    hidden->MyCell->DoLogicX(&fx.canvas, 0, 0, 0, 0, 300, 0, 0, scroll, curs);
    EXPECT_EQ(scroll, 300);
}

TEST_F(CellsTest, ATableCellsOwnTitleAndLinkStandOnlyWhereItsContentGivesNone) {
    const struct {
        const char* what;
        ThtguResultType inner;  // what the content answers
        int32_t x;
        ThtguResultType want;
        const char16_t* url;
        const char16_t* title;
    } cases[] = {
        {"nothing inside", 0, 50, guUrl | guTitle, u"cell.html", u"cell title"},
        {"a link inside wins", guUrl, 50, guUrl | guTitle, u"inner.html", u"cell title"},
        {"a title inside wins", guTitle, 50, guUrl | guTitle, u"cell.html", u"inner title"},
        {"outside the cell", 0, 150, 0, u"", u""},
        {"outside, content answers", guUrl, 150, guUrl, u"inner.html", u""},
    };
    for (const auto& c : cases) {
        TCellObjCell cell(nullptr);
        cell.MyRect = Rect(0, 0, 100, 100);
        cell.Title = u"cell title";
        cell.Url = u"cell.html";
        TFakeSection* inside = addFake(&cell, "inside", 10);
        const ThtguResultType inner = c.inner;
        inside->OnGetURL = [inner](std::unique_ptr<TUrlTarget>& target, std::u16string* title) -> ThtguResultType {
            if (inner & guUrl) {
                target = std::make_unique<TUrlTarget>();
                target->URL = u"inner.html";
            }
            if ((inner & guTitle) && title) *title = u"inner title";
            return inner;
        };
        std::unique_ptr<TUrlTarget> target;
        TFormControlObjBase* control = nullptr;
        std::u16string title;
        EXPECT_EQ(cell.GetURL(nullptr, c.x, 50, target, control, &title), c.want) << c.what;
        EXPECT_EQ(target ? target->URL : std::u16string(), c.url) << c.what;
        EXPECT_EQ(title, c.title) << c.what;
    }
}

TEST_F(CellsTest, InlineBoxesMatchTheirEndsByPropertySet) {
    TDocFixture fx;
    TFakeSection* text = addFake(fx.doc.get(), "text", 10, 0, 50);
    text->SourceStart = 100;  // source 100..149 are positions 0..49
    auto open = [&](int32_t id, int32_t at) {
        auto p = props(SpanSy, u"span");
        p->ID = id;
        fx.doc->ProcessInlines(at, p.get(), true);
    };
    auto close = [&](int32_t id, int32_t at) {
        auto p = props(SpanSy, u"span");
        p->ID = id;
        fx.doc->ProcessInlines(at, p.get(), false);
    };
    open(1, 105);
    close(1, 110);
    open(2, 120);   // never closed
    close(3, 140);  // never opened
    open(4, 101);
    open(4, 103);
    close(4, 107);  // the later open box of the element ends here
    open(5, 130);
    close(5, 130);  // nothing inside
    fx.layout();

    TInlineList& boxes = *fx.doc->InlineList;
    ASSERT_EQ(boxes.Count(), 5);
    const struct { int32_t start, end; } want[] = {{5, 10}, {20, 50}, {1, 50}, {3, 7}, {29, 30}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(boxes.GetStartB(i), want[i].start) << i;
        EXPECT_EQ(boxes.GetEndB(i), want[i].end) << i;
    }
    EXPECT_EQ(boxes.GetStartB(-1), NoPosition);
    EXPECT_EQ(boxes.GetEndB(5), NoPosition);
}

// An image that, when drawn, asks for another image to be drawn after it.
class TEchoImage : public TImageObj {
public:
    TEchoImage(TCellBasic* Parent, ThtDocument* ADoc) : TImageObj(Parent, u"echo.png"), Doc(ADoc) {}
    void DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) override {
        ++Drawn;
        Doc->DrawList.AddImage(this, Canvas, X + 1, Y, YBaseline, FO);
    }
    ThtDocument* Doc;
    int Drawn = 0;
};

TEST_F(CellsTest, DeferredImagesAreThoseListedWhenTheWalkStarts) {
    TDocFixture fx;
    TEchoImage image(fx.doc.get(), fx.doc.get());
    fx.doc->DrawList.AddImage(&image, &fx.canvas, 0, 0, 0, nullptr);
    fx.doc->DrawList.AddImage(&image, &fx.canvas, 5, 0, 0, nullptr);
    fx.doc->DrawList.DrawImages();
    EXPECT_EQ(image.Drawn, 2);
    EXPECT_EQ(fx.doc->DrawList.Count(), 4);
    fx.doc->DrawList.Clear();
}

}  // namespace
