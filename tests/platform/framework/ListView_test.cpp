#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTreeView>

#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"
#include "platform/framework/ListView.h"
#include "platform/framework/QtTestApp.h"

namespace {

struct ListViewTest : ::testing::Test {
    TForm* form = nullptr;
    TListView* lv = nullptr;
    void SetUp() override {
        ensureQtApp();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(50, 50, 400, 300);
        lv = new TListView(form);
        lv->SetParent(form);
        lv->SetViewStyle(vsReport);
        lv->SetBounds(0, 0, 380, 280);
        for (const char* c : {"Имя", "Значение"}) lv->Columns()->Add()->SetCaption(c);
    }
    void TearDown() override { form->Free(); }
    TListItem* add(const String& caption, std::initializer_list<String> subs = {}) {
        TListItem* it = lv->Items()->Add();
        it->SetCaption(caption);
        for (auto& s : subs) it->SubItems()->Add(s);
        return it;
    }
    QTreeView* view() const { return static_cast<QTreeView*>(lv->Handle()); }
};

TEST_F(ListViewTest, RowsShowCaptionsAndSubItems) {
    add("a", {"1"});
    add("b");
    auto* m = view()->model();
    ASSERT_EQ(m->rowCount(), 2);
    EXPECT_EQ(m->columnCount(), 2);
    EXPECT_EQ(m->data(m->index(0, 1)).toString(), "1");
    EXPECT_EQ(m->data(m->index(1, 1)).toString(), "");  // missing sub-item shows empty
    EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Значение");
    lv->Items()->Item(1)->SubItems()->Add("2");
    EXPECT_EQ(m->data(m->index(1, 1)).toString(), "2");
    lv->Items()->Delete(0);
    EXPECT_EQ(m->rowCount(), 1);
    EXPECT_EQ(lv->Items()->Item(0)->Caption(), "b");
}

TEST_F(ListViewTest, SelectionAndFocusFollowRowsThroughASort) {
    lv->SetMultiSelect(true);
    TListItem* c = add("c");
    TListItem* a = add("a");
    TListItem* b = add("b");
    c->SetSelected(true);
    b->SetSelected(true);
    b->SetFocused(true);
    std::vector<TItemChange> changes;
    lv->OnChange = [&](TObject*, TListItem*, TItemChange ch) { changes.push_back(ch); };
    lv->SetSortType(stText);
    EXPECT_EQ(lv->Items()->Item(0), a);
    EXPECT_EQ(lv->Items()->Item(2), c);
    EXPECT_TRUE(c->Selected());
    EXPECT_TRUE(b->Selected());
    EXPECT_FALSE(a->Selected());
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(lv->SelCount(), 2);
    EXPECT_EQ(lv->Selected(), b);
    EXPECT_TRUE(changes.empty());  // a sort is no selection change
    EXPECT_EQ(lv->GetNextItemIndex(-1, isSet(isSelected)), 1);
    EXPECT_EQ(lv->GetNextItemIndex(1, isSet(isSelected)), 2);
    EXPECT_EQ(lv->GetNextItemIndex(2, isSet(isSelected)), -1);
    // A new row takes its sorted place.
    add("ab");
    EXPECT_EQ(lv->Items()->Item(1)->Caption(), "ab");
    // Single selection: selecting one row drops the other.
    lv->SetMultiSelect(false);
    lv->SetItemIndex(0);
    EXPECT_EQ(lv->SelCount(), 1);
    EXPECT_EQ(lv->ItemIndex(), 0);
}

TEST_F(ListViewTest, OnChangingMayRefuseATick) {
    lv->SetCheckboxes(true);
    TListItem* x = add("x");
    TListItem* y = add("y");
    lv->OnChanging = [&](TObject*, TListItem* it, TItemChange, bool& allow) { allow = it != y; };
    int changes = 0;
    lv->OnChange = [&](TObject*, TListItem*, TItemChange ch) { changes += ch == ctState; };
    x->SetChecked(true);
    y->SetChecked(true);
    EXPECT_TRUE(x->Checked());
    EXPECT_FALSE(y->Checked());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(view()->model()->data(view()->model()->index(0, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
}

TEST_F(ListViewTest, OwnerDataRowsComeFromOnData) {
    lv->SetOwnerData(true);
    lv->SetMultiSelect(true);
    lv->OnData = [](TObject*, TListItem* it) {
        it->SetCaption("row " + std::to_string(it->Index()));
        it->SubItems()->Add(std::to_string(it->Index() * 10));
    };
    lv->Items()->SetCount(1000);
    EXPECT_EQ(lv->Items()->Count(), 1000);
    EXPECT_EQ(lv->Items()->Item(999)->Caption(), "row 999");
    EXPECT_EQ(view()->model()->data(view()->model()->index(5, 1)).toString(), "50");
    lv->SetRowSelected(3, true);
    lv->SetRowSelected(700, true);
    EXPECT_EQ(lv->GetNextItemIndex(-1, isSet(isSelected)), 3);
    EXPECT_EQ(lv->GetNextItemIndex(3, isSet(isSelected)), 700);
    EXPECT_FALSE(lv->AlphaSort());  // owner data is sorted by its owner
}

TEST_F(ListViewTest, HeaderPicturesComeFromSmallImages) {
    auto* images = new TImageList(form);
    TBitmap strip(32, 16);
    strip.Canvas()->Brush()->SetColor(clRed);
    strip.Canvas()->FillRect(Rect(0, 0, 32, 16));
    strip.ReleaseCanvas();
    ASSERT_EQ(images->Add(&strip), 0);
    EXPECT_EQ(images->Count(), 2);
    lv->SetSmallImages(images);
    lv->Columns()->Items(1)->SetImageIndex(1);
    EXPECT_TRUE(view()->model()->headerData(1, Qt::Horizontal, Qt::DecorationRole).isValid());
    EXPECT_FALSE(view()->model()->headerData(0, Qt::Horizontal, Qt::DecorationRole).isValid());
    images->Free();
    EXPECT_EQ(lv->SmallImages(), nullptr);
    EXPECT_FALSE(view()->model()->headerData(1, Qt::Horizontal, Qt::DecorationRole).isValid());
}

TEST_F(ListViewTest, ColumnClicksAndWidths) {
    std::vector<int> clicks;
    lv->OnColumnClick = [&](TObject*, TListColumn* c) { clicks.push_back(c->Index()); };
    lv->Columns()->Items(0)->SetWidth(120);
    EXPECT_EQ(view()->header()->sectionSize(0), 120);
    emit view()->header()->sectionClicked(1);
    EXPECT_EQ(clicks, std::vector<int>{1});
    lv->SetColumnClick(false);
    emit view()->header()->sectionClicked(0);
    EXPECT_EQ(clicks.size(), 1u);
    // A column of width 0 takes no room.
    lv->Columns()->Items(1)->SetWidth(0);
    EXPECT_TRUE(view()->header()->isSectionHidden(1));
}

}  // namespace
