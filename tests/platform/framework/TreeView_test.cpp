// Tree nodes deleted one by one, the right click's selection, and the indent.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTreeWidget>

#include "platform/framework/Forms.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/TreeView.h"

namespace {

struct TreeView : ::testing::Test {
    TForm* form = nullptr;
    TTreeView* tv = nullptr;
    std::vector<TTreeNode*> changes;
    void SetUp() override {
        ensureQtApp();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(0, 0, 300, 300);
        tv = new TTreeView(form);
        tv->SetParent(form);
        tv->SetBounds(0, 0, 300, 300);
        tv->OnChange = [this](TObject*, TTreeNode* n) { changes.push_back(n); };
    }
    void TearDown() override { form->Free(); }
    void press(TTreeNode* node, Qt::MouseButton button) {
        auto* w = static_cast<QTreeWidget*>(tv->Handle());
        w->expandAll();
        QTreeWidgetItem* item = nullptr;
        for (QTreeWidgetItemIterator it(w); *it; ++it)
            if ((*it)->text(0).toStdString() == node->Text()) item = *it;
        ASSERT_NE(item, nullptr);
        const QPoint at = w->visualItemRect(item).center();
        QMouseEvent e(QEvent::MouseButtonPress, at, w->viewport()->mapToGlobal(at), button, button, Qt::NoModifier);
        QApplication::sendEvent(w->viewport(), &e);
    }
};

}  // namespace

TEST_F(TreeView, DeletingANodeTakesItsChildrenAndTheSelection) {
    TTreeNode* root = tv->Items()->Add(nullptr, "Корень");
    TTreeNode* branch = tv->Items()->AddChild(root, "Ветка");
    TTreeNode* leaf = tv->Items()->AddChild(branch, "Лист");
    TTreeNode* other = tv->Items()->AddChild(root, "Другой");
    tv->SetSelected(other);
    changes.clear();
    // A node off the selection goes quietly.
    branch->Delete();
    EXPECT_EQ(tv->Items()->Count(), 2);
    EXPECT_EQ(root->Count(), 1);
    EXPECT_EQ(tv->Selected(), other);
    EXPECT_TRUE(changes.empty());
    // The selected node goes: the selection is empty and the tree says so once.
    (void)leaf;
    tv->Items()->Delete(other);
    EXPECT_EQ(tv->Selected(), nullptr);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], nullptr);
    EXPECT_FALSE(root->HasChildren());
    // A selection made later works on the remaining nodes.
    tv->SetSelected(root);
    EXPECT_EQ(tv->Selected(), root);
    root->Delete();
    EXPECT_EQ(tv->Items()->Count(), 0);
    EXPECT_EQ(tv->Selected(), nullptr);
}

TEST_F(TreeView, RightClickSelectsOnlyWhenAsked) {
    TTreeNode* a = tv->Items()->Add(nullptr, "Первый");
    TTreeNode* b = tv->Items()->Add(nullptr, "Второй");
    form->Show();
    tv->SetSelected(a);
    EXPECT_FALSE(tv->RightClickSelect());
    press(b, Qt::RightButton);
    EXPECT_EQ(tv->Selected(), a);
    tv->SetRightClickSelect(true);
    press(b, Qt::RightButton);
    EXPECT_EQ(tv->Selected(), b);
    press(a, Qt::LeftButton);
    EXPECT_EQ(tv->Selected(), a);
}

TEST_F(TreeView, IndentMovesEachLevelRight) {
    TTreeNode* root = tv->Items()->Add(nullptr, "Корень");
    TTreeNode* child = tv->Items()->AddChild(root, "Лист");
    form->Show();
    auto* w = static_cast<QTreeWidget*>(tv->Handle());
    w->expandAll();
    auto left = [w](const char* text) {
        for (QTreeWidgetItemIterator it(w); *it; ++it)
            if ((*it)->text(0).toStdString() == text) return w->visualItemRect(*it).left();
        return -1;
    };
    for (int indent : {19, 40}) {
        tv->SetIndent(indent);
        EXPECT_EQ(tv->Indent(), indent);
        EXPECT_EQ(left(child->Text().c_str()) - left(root->Text().c_str()), indent);
    }
    // A negative indent is no indent.
    tv->SetIndent(-5);
    EXPECT_EQ(tv->Indent(), 0);
}
