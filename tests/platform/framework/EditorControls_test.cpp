#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>

#include "platform/framework/DateTimePicker.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ScrollBox.h"
#include "platform/framework/Splitter.h"
#include "platform/framework/StdCtrls.h"
#include "platform/framework/TreeView.h"

namespace {

struct EditorControlsTest : ::testing::Test {
    TForm* form = nullptr;
    void SetUp() override {
        EnsureApplication();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(50, 50, 400, 300);
    }
    void TearDown() override { form->Free(); }
};

TEST(DateTimeValue, EncodeDecodeAndRefusals) {
    struct {
        int y, m, d;
        bool ok;
    } dates[] = {{1899, 12, 30, true}, {2024, 2, 29, true},  {2023, 2, 29, false}, {2100, 2, 29, false},
                 {2000, 2, 29, true},  {2041, 13, 1, false}, {9999, 12, 31, true}, {0, 1, 1, false}};
    for (auto& c : dates) {
        if (!c.ok) {
            EXPECT_THROW(EncodeDate(c.y, c.m, c.d), EConvertError) << c.y << "-" << c.m << "-" << c.d;
            continue;
        }
        int y, m, d;
        DecodeDate(EncodeDate(c.y, c.m, c.d), y, m, d);
        EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d);
    }
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    int h, mi, s, ms;
    DecodeTime(EncodeDate(2050, 1, 2) + EncodeTime(23, 59, 58, 999), h, mi, s, ms);
    EXPECT_EQ(h * 10000 + mi * 100 + s, 235958);
    EXPECT_EQ(ms, 999);
}

TEST_F(EditorControlsTest, PickerKeepsTheOtherPartAndHonoursLimits) {
    auto* p = new TDateTimePicker(form);
    p->SetParent(form);
    p->SetDateTime(EncodeDate(2024, 3, 6) + EncodeTime(15, 30, 0, 0));
    p->SetDate(EncodeDate(2041, 1, 1));
    EXPECT_EQ(p->DateTime(), EncodeDate(2041, 1, 1) + EncodeTime(15, 30, 0, 0));
    p->SetKind(dtkTime);
    p->SetTime(EncodeTime(1, 2, 3, 0));
    EXPECT_EQ(p->Date(), EncodeDate(2041, 1, 1));
    p->SetKind(dtkDate);
    p->SetMinDate(EncodeDate(2040, 1, 1));
    EXPECT_THROW(p->SetDate(EncodeDate(2039, 12, 31)), EConvertError);
    EXPECT_EQ(p->Date(), EncodeDate(2041, 1, 1));
    p->SetShowCheckbox(true);
    int clicks = 0;
    p->OnClick = [&](TObject*) { ++clicks; };
    p->SetChecked(false);  // by code: no click
    EXPECT_FALSE(p->Checked());
    EXPECT_EQ(clicks, 0);
}

TEST_F(EditorControlsTest, TreeNodesAndSelection) {
    auto* t = new TTreeView(form);
    t->SetParent(form);
    std::vector<TTreeNode*> changes;
    t->OnChange = [&](TObject*, TTreeNode* n) { changes.push_back(n); };
    int data = 7;
    TTreeNodes* items = t->Items();
    TTreeNode* r = items->AddChildObject(nullptr, "root", &data);
    TTreeNode* a = items->AddChild(r, "a");
    TTreeNode* b = items->Add(a, "b");  // a sibling of a
    TTreeNode* aa = items->AddChild(a, "aa");
    ASSERT_EQ(items->Count(), 4);
    EXPECT_EQ(items->Item(2), aa);  // tree order
    EXPECT_EQ(items->Item(3), b);
    EXPECT_EQ(b->Parent(), r);
    EXPECT_EQ(aa->Level(), 2);
    EXPECT_EQ(b->Index(), 1);
    EXPECT_EQ(r->Data(), &data);
    t->FullExpand();
    EXPECT_TRUE(a->Expanded());
    t->SetSelected(aa);
    EXPECT_TRUE(aa->Selected());
    items->Clear();
    EXPECT_EQ(items->Count(), 0);
    EXPECT_EQ(t->Selected(), nullptr);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0], aa);
    EXPECT_EQ(changes[1], nullptr);
}

// OnChanging is asked before the selection moves, by code, keys or mouse,
// and a refusal keeps the node selected.
TEST_F(EditorControlsTest, TreeChangingCanRefuse) {
    auto* t = new TTreeView(form);
    t->SetParent(form);
    t->SetBounds(0, 0, 200, 200);
    form->Show();
    TTreeNode* a = t->Items()->AddChild(nullptr, "a");
    TTreeNode* b = t->Items()->AddChild(nullptr, "b");
    t->SetSelected(a);
    bool allow = false;
    std::vector<TTreeNode*> asked, changed;
    t->OnChanging = [&](TObject*, TTreeNode* n, bool& ok) {
        asked.push_back(n);
        ok = allow;
    };
    t->OnChange = [&](TObject*, TTreeNode* n) { changed.push_back(n); };
    auto* w = static_cast<QTreeWidget*>(t->Handle());

    t->SetSelected(b);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(w, &down);
    const QPoint at = w->visualItemRect(w->topLevelItem(1)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, w->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w->viewport(), &release);
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b");
    QApplication::sendEvent(w, &letter);
    EXPECT_EQ(asked, (std::vector<TTreeNode*>{b, b, b, b}));
    EXPECT_TRUE(changed.empty());
    EXPECT_EQ(t->Selected(), a);
    EXPECT_EQ(w->currentItem(), w->topLevelItem(0));
    EXPECT_FALSE(w->topLevelItem(1)->isSelected());

    allow = true;
    QKeyEvent downAgain(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(w, &downAgain);
    EXPECT_EQ(asked.size(), 5u);
    EXPECT_EQ(t->Selected(), b);
    EXPECT_TRUE(w->topLevelItem(1)->isSelected());
    EXPECT_EQ(changed, (std::vector<TTreeNode*>{b}));
}

TEST_F(EditorControlsTest, SplitterResizesItsNeighbour) {
    auto* left = new TPanel(form);
    left->SetParent(form);
    left->SetWidth(100);
    left->SetAlign(alLeft);
    auto* split = new TSplitter(form);
    split->SetLeft(101);
    split->SetParent(form);
    split->SetMinSize(30);
    auto* rest = new TPanel(form);
    rest->SetParent(form);
    rest->SetAlign(alClient);
    ASSERT_EQ(split->Left(), 100);
    EXPECT_EQ(split->FindControl(), left);
    int moved = 0;
    split->OnMoved = [&](TObject*) { ++moved; };
    split->MoveBy(40);
    EXPECT_EQ(left->Width(), 140);
    EXPECT_EQ(split->Left(), 140);
    EXPECT_EQ(rest->Left(), 143);
    split->MoveBy(-500);
    EXPECT_EQ(left->Width(), 30);  // not below the minimum
    EXPECT_EQ(moved, 2);
}

TEST_F(EditorControlsTest, ScrollBoxShowsBarsOnlyWhenChildrenReachPast) {
    auto* box = new TScrollBox(form);
    box->SetParent(form);
    box->SetBounds(0, 0, 200, 100);
    int full = box->ClientWidth();
    auto* e = new TEdit(box);
    e->SetParent(box);
    e->SetBounds(0, 10, 50, 20);
    box->UpdateScrollRange();
    EXPECT_FALSE(box->VertScrollBarVisible());
    EXPECT_FALSE(box->HorzScrollBarVisible());
    e->SetTop(300);
    box->UpdateScrollRange();
    EXPECT_EQ(box->VertScrollRange(), 320);
    EXPECT_TRUE(box->VertScrollBarVisible());
    EXPECT_LT(box->ClientWidth(), full);  // the bar takes its room
    EXPECT_FALSE(box->HorzScrollBarVisible());
    box->SetAutoScroll(false);
    EXPECT_FALSE(box->VertScrollBarVisible());
    EXPECT_EQ(box->ClientWidth(), full);
}

}  // namespace
