// A small document built by hand from every kind of node: it holds together
// (owners, back references, ids), lays out and draws without failing,
// answers hit tests, survives a print copy, and lets go of everything it
// owns (the sanitizer build checks the last part).
#include <gtest/gtest.h>

#include "ModelFixture.h"
#include "html/layout/Document.h"
#include "html/layout/Sections.h"
#include "html/layout/SizeableObjs.h"
#include "html/layout/SpecialBlocks.h"
#include "html/layout/TableBlocks.h"
#include "html/layout/Tables.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/RecordingDC.h"

namespace {

using namespace modeltest;

class ModelSkeletonTest : public RecordingScreenTest {};

// body > [p#intro.note "text" with an image] [hr] [table block > table > one row, one cell]
struct TinyTree {
    std::unique_ptr<ThtDocument> doc = std::make_unique<ThtDocument>(nullptr, nullptr);
    TBodyBlock* body = nullptr;
    TBlock* para = nullptr;
    TSection* text = nullptr;
    TImageObj* image = nullptr;
    THRBlock* rule = nullptr;
    TTableBlock* tableBlock = nullptr;
    THtmlTable* table = nullptr;

    TinyTree() {
        auto bodyProps = props(BodySy, u"body");
        body = new TBodyBlock(doc.get(), nullptr, bodyProps.get());
        doc->Add(std::unique_ptr<TSectionBase>(body), 0);

        auto pProps = props(PSy, u"p", u"note", u"intro");
        para = new TBlock(body->MyCell.get(), nullptr, pProps.get());
        body->MyCell->Add(std::unique_ptr<TSectionBase>(para), 0);
        auto section = std::make_unique<TSection>(para->MyCell.get(), nullptr, pProps.get(), nullptr, true);
        text = section.get();
        for (char16_t c : std::u16string(u"Hello")) text->AddChar(c, 3);
        image = static_cast<TImageObj*>(text->Images.Add(std::make_unique<TImageObj>(para->MyCell.get(), u"a.png")));
        std::unique_ptr<TSection> open(section.release());
        para->MyCell->AddSection(open, 9);

        auto hrProps = props(HRSy, u"hr");
        rule = new THRBlock(body->MyCell.get(), nullptr, hrProps.get());
        auto line = std::make_unique<THorzLine>(rule->MyCell.get(), nullptr, hrProps.get());
        rule->MyHRule = line.get();
        rule->MyCell->Add(std::move(line), 20);
        body->MyCell->Add(std::unique_ptr<TSectionBase>(rule), 20);

        auto tProps = props(TableSy, u"table");
        auto tableOwned = std::make_unique<THtmlTable>(body->MyCell.get(), nullptr, tProps.get());
        table = tableOwned.get();
        tableBlock = new TTableBlock(body->MyCell.get(), nullptr, tProps.get(), table, 1);
        tableBlock->MyCell->Add(std::move(tableOwned), 30);
        auto row = std::make_unique<TCellList>(nullptr, tProps.get());
        auto tdProps = props(TDSy, u"td");
        row->Add(new TCellObj(tableBlock, aMiddle, nullptr, tdProps.get()));
        table->Rows.Add(row.release());
        body->MyCell->Add(std::unique_ptr<TSectionBase>(tableBlock), 30);
    }
};

TEST_F(ModelSkeletonTest, HandMadeTreeHoldsTogether) {
    TinyTree t;
    ThtDocument* doc = t.doc.get();
    ASSERT_EQ(doc->Count(), 1);
    EXPECT_EQ(doc->Document(), doc);
    EXPECT_EQ(t.body->Document(), doc);
    EXPECT_EQ(t.body->MyCell->OwnerBlock(), t.body);
    EXPECT_EQ(t.para->OwnerBlock(), t.body);
    EXPECT_EQ(t.text->OwnerCell(), t.para->MyCell.get());
    EXPECT_EQ(t.text->OwnerBlock(), t.para);
    EXPECT_EQ(t.text->Document(), doc);
    EXPECT_EQ(t.text->Symbol(), PSy);
    EXPECT_EQ(t.text->TagClass, u"p.note#intro");
    EXPECT_EQ(t.table->GetOuterDisplay(), pdTable);
    ASSERT_EQ(t.table->Rows.Count(), 1);
    ASSERT_NE(t.table->Rows.GetItem(0)->GetCellObj(0)->Cell(), nullptr);
    EXPECT_EQ(t.table->Rows.GetItem(0)->GetCellObj(0)->Cell()->OwnerBlock(), t.tableBlock);
    EXPECT_EQ(t.text->Fonts.Count(), 1);  // every section starts with a run at 0
    EXPECT_EQ(t.text->Fonts.GetFont(0)->Pos, 0);

    // The block and its text both carry the id; it names the block.
    const int i = doc->IDNameList->IndexOf(u"intro");
    ASSERT_GE(i, 0);
    EXPECT_EQ(doc->IDNameList->GetObject(i), t.para);
}

TEST_F(ModelSkeletonTest, LaysOutDrawsAndHitTestsWithoutFailing) {
    TinyTree t;
    TRecordingDC dc(800, 600);
    TCanvas canvas;
    canvas.SetDevice(&dc);
    int32_t scrollWidth = -1, curs = 0;
    const int32_t height = t.doc->DoLogic(&canvas, 0, 800, 600, 0, scrollWidth, curs);
    EXPECT_GE(height, 0);
    EXPECT_EQ(t.doc->CycleNumber, 1);
    EXPECT_GE(t.doc->Draw(&canvas, Rect(0, 0, 800, 600), 800, 0, 0, 0, 0), 0);

    std::unique_ptr<TUrlTarget> target;
    TFormControlObjBase* control = nullptr;
    std::u16string title = u"stale";
    EXPECT_EQ(t.doc->GetURL(&canvas, 10, 10, target, control, &title), 0);
    EXPECT_EQ(target, nullptr);
    EXPECT_TRUE(title.empty());
    canvas.SetDevice(nullptr);
}

TEST_F(ModelSkeletonTest, PrintCopyOutlivesItsSource) {
    TinyTree t;
    std::unique_ptr<ThtDocument> copy = ThtDocument::CreateCopy(*t.doc);
    EXPECT_TRUE(copy->IsCopy);
    EXPECT_EQ(copy->IDNameList, nullptr);
    EXPECT_EQ(copy->LinkList, nullptr);
    EXPECT_EQ(copy->InlineList, t.doc->InlineList);
    ASSERT_EQ(copy->Count(), 1);

    auto* body = dynamic_cast<TBodyBlock*>(copy->GetItem(0));
    ASSERT_NE(body, nullptr);
    ASSERT_EQ(body->MyCell->Count(), 3);
    auto* para = dynamic_cast<TBlock*>(body->MyCell->GetItem(0));
    ASSERT_NE(para, nullptr);
    auto* text = dynamic_cast<TSection*>(para->MyCell->GetItem(0));
    ASSERT_NE(text, nullptr);
    EXPECT_NE(text, t.text);
    EXPECT_EQ(text->Document(), copy.get());
    EXPECT_TRUE(text->IsCopy());
    EXPECT_EQ(text->BuffS, t.text->BuffS);
    EXPECT_EQ(text->BuffS.substr(0, 5), u"Hello");
    ASSERT_EQ(text->Images.Count(), 1);
    EXPECT_EQ(static_cast<TImageObj*>(text->Images.Items(0))->Source(), u"a.png");
    auto* rule = dynamic_cast<THRBlock*>(body->MyCell->GetItem(1));
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(rule->MyHRule, rule->MyCell->GetItem(0));
    auto* tableBlock = dynamic_cast<TTableBlock*>(body->MyCell->GetItem(2));
    ASSERT_NE(tableBlock, nullptr);
    ASSERT_NE(tableBlock->Table, nullptr);
    EXPECT_EQ(tableBlock->Table->Rows.Count(), 1);

    // The source goes first (a print job may outlive the page); the copy's
    // nodes keep their own attributes and properties.
    t.doc.reset();
    EXPECT_EQ(text->Symbol(), PSy);
    ASSERT_NE(text->Properties(), nullptr);
    EXPECT_EQ(text->Properties()->PropClass, u"note");
    TRecordingDC dc(800, 600);
    TCanvas canvas;
    canvas.SetDevice(&dc);
    int32_t scrollWidth = 0, curs = 0;
    copy->DoLogic(&canvas, 0, 800, 600, 0, scrollWidth, curs);
    copy->Draw(&canvas, Rect(0, 0, 800, 600), 800, 0, 0, 0, 0);
    canvas.SetDevice(nullptr);
}

TEST_F(ModelSkeletonTest, ClearEmptiesTheDocumentForTheNextLoad) {
    TinyTree t;
    t.doc->AddChPosObjectToIDNameList(u"ANCHOR", 4);
    t.doc->Clear();
    EXPECT_EQ(t.doc->Count(), 0);
    EXPECT_EQ(t.doc->IDNameList->Count(), 0);
    TinyTree again;  // a fresh tree builds into a fresh document as before
    EXPECT_EQ(again.doc->Count(), 1);
}

}  // namespace
