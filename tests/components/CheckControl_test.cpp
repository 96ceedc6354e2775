#include <gtest/gtest.h>

#include <memory>

#include "components/CCheckControl.h"
#include "components/CNumberEdit.h"
#include "components/CTreeEditBox.h"
#include "components/UXDateTime.h"
#include "platform/framework/Forms.h"

#include "CompoundFixture.h"

namespace {

struct CheckControlTest : ::testing::Test {
    TForm* form = nullptr;
    void SetUp() override {
        EnsureApplication();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(100, 100, 500, 300);
    }
    void TearDown() override { form->Free(); }
    TCCheckControl* control(TWinControl* parent, const char* name, unsigned flag, TCEditsEntryType type = xvtInt) {
        auto* c = add<TCCheckControl>(form, parent, name);
        c->SetFlag(flag);
        c->SetType(type);
        return c;
    }
};

TEST_F(CheckControlTest, FlagMaskTable) {
    auto* c = control(form, "cc", 6);
    struct {
        unsigned set;
        bool checked;
        unsigned getFrom, got;
    } cases[] = {{4, false, 0xFF, 0xF9}, {7, true, 0, 6}, {0xFF, true, 0x100, 0x106}, {0, false, 6, 0}};
    for (auto& k : cases) {
        c->setChecked(k.set);
        EXPECT_EQ(c->GetChecked(), k.checked) << k.set;
        EXPECT_EQ(c->Editor()->Enabled(), k.checked);
        unsigned w = k.getFrom;
        c->getChecked(w);
        EXPECT_EQ(w, k.got) << k.set;
    }
    // The container functions act on direct children alone.
    auto* panel = add<TPanel>(form, form, "panel");
    auto* inner = control(panel, "inner", 1);
    ccSetChecked(form, 7);
    EXPECT_TRUE(c->GetChecked());
    EXPECT_FALSE(inner->GetChecked());
    unsigned w = 0;
    ccGetChecked(form, w);
    EXPECT_EQ(w, 6u);
}

TEST_F(CheckControlTest, GrayingRecursesIntoContainers) {
    auto* top = control(form, "top", 2);
    auto* panel = add<TPanel>(form, form, "panel");
    auto* inner = control(panel, "inner", 4);
    top->SetChecked(true);
    inner->SetChecked(true);
    ccGrayControls(form, 2, false);
    EXPECT_TRUE(top->CheckBox()->Enabled());
    EXPECT_TRUE(inner->CheckBox()->Enabled());  // not reached without recursion
    ccGrayControls(form, 0, true);
    EXPECT_FALSE(top->CheckBox()->Enabled());
    EXPECT_FALSE(top->Editor()->Enabled());
    EXPECT_FALSE(inner->CheckBox()->Enabled());
    ccGrayControls(form, 6, true);
    EXPECT_TRUE(top->CheckBox()->Enabled());
    EXPECT_TRUE(inner->CheckBox()->Enabled());
    EXPECT_FALSE(top->Editor()->Enabled());  // only the check box comes back
}

TEST_F(CheckControlTest, ValuesByType) {
    auto* n = control(form, "n", 8);
    EXPECT_TRUE(n->setNumValue(1234, 0x10));
    EXPECT_EQ(n->Flag(), 0x10u);
    EXPECT_EQ(n->asNumberEdit()->GetText(), "1234");
    n->SetChecked(true);
    unsigned v = 0, flags = 0x1;
    EXPECT_TRUE(n->getNumValue(&v, &flags));
    EXPECT_EQ(v, 1234u);
    EXPECT_EQ(flags, 0x11u);
    // Checked but grayed: a defined answer, as if unchecked.
    n->Gray(0);
    v = 99;
    EXPECT_TRUE(n->getNumValue(&v, &flags));
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(flags, 0x1u);
    char buf[8] = "zzzzzzz";
    EXPECT_TRUE(n->getStrValue(buf, sizeof buf, &flags));
    EXPECT_STREQ(buf, "");
    n->Gray(0x10);
    EXPECT_FALSE(n->getStrValue(buf, 0, &flags));  // no room: refused, nothing written

    auto* s = control(form, "s", 1, xvtString);
    EXPECT_EQ(s->Editor()->Name(), "");  // a text editor keeps no history until loaded
    EXPECT_TRUE(s->setStrValue("Иванов", 1));
    s->SetChecked(true);
    char small[6];
    flags = 0;
    EXPECT_TRUE(s->getStrValue(small, sizeof small, &flags));
    EXPECT_STREQ(small, "Ив");  // cut at a whole character
    EXPECT_EQ(flags, 1u);
    EXPECT_FALSE(s->getNumValue(&v, &flags));  // no number in a text

    auto* d = control(form, "d", 2, xvtDate);
    EXPECT_EQ(d->Editor()->Name(), "ed_d");
    EXPECT_FALSE(d->setStrValue("20241301", 2));  // the editor's answer
    EXPECT_TRUE(d->setStrValue("20240306", 2));
    EXPECT_EQ(d->GetTextValue(), "20240306000000");

    auto* f = control(form, "f", 4, xvtFlags);
    EXPECT_FALSE(f->setNumValue(1, 4));
    f->SetChecked(true);
    EXPECT_FALSE(f->getNumValue(&v, &flags));

    // A checked, empty required text is not filled; unchecked it is.
    auto* req = control(form, "req", 1, xvtString);
    req->SetChecked(true);
    EXPECT_FALSE(req->isFilled(false, nullptr));
    req->SetNeedFill(false);
    EXPECT_TRUE(req->isFilled(false, nullptr));
    req->SetNeedFill(true);
    req->SetChecked(false);
    EXPECT_TRUE(req->isFilled(false, nullptr));

    // Read-only keeps the editor disabled while checked.
    req->SetReadOnly(true);
    req->SetChecked(true);
    EXPECT_FALSE(req->Editor()->Enabled());
}

// A form that places a check control as a form resource would.
struct CheckControlForm : TForm {
    TCCheckControl* opt;
    explicit CheckControlForm(TComponent* owner) : TForm(owner) {
        opt = new TCCheckControl(this);
        opt->SetName("opt");
        opt->SetParent(this);
    }
};

TEST_F(CheckControlTest, LoadedTextControlKeepsItsHistory) {
    auto* f = CreateComponent<CheckControlForm>(Application);
    TCompoundHistoryEdit* h = f->opt->asTextEdit();
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(h->SaveHistory());
    EXPECT_EQ(h->RegInfo()->Key(), "software\\zoren\\X509Editors\\");
    EXPECT_EQ(h->RegInfo()->ValueName(), "opt_ed");
    EXPECT_FALSE(f->opt->GetChecked());
    EXPECT_FALSE(h->Enabled());  // unchecked: the editor waits
    f->Free();
}

struct TreeEditBoxTest : CheckControlTest {
    std::unique_ptr<TCXEditsEntry> root;
    TCTreeEditBox* tree = nullptr;
    void SetUp() override {
        CheckControlTest::SetUp();
        tree = add<TCTreeEditBox>(form, form, "tree");
        tree->SetBounds(0, 0, 480, 280);
        root = std::make_unique<TCXEditsEntry>("ext", xvtString, " Расширения ");
        root->makeSubEntries();
    }
    void TearDown() override {
        tree->setEntry(nullptr);
        CheckControlTest::TearDown();
    }
    TCXEditsEntry* part(TCXEditsEntry* parent, const char* name, const char* fieldValue) {
        auto* p = new TCXEditsEntry(name, xvtString, name);
        p->addSubEntry(new TCXEditsEntry((String(name) + "_v").c_str(), xvtString, "Значение", fieldValue));
        parent->addSubEntry(p);
        return p;
    }
};

TEST_F(TreeEditBoxTest, NodeChangeWritesTheFieldsBack) {
    auto* a = part(root.get(), "a", "1");
    auto* b = part(root.get(), "b", "2");
    root->addSubEntry(new TCXEditsEntry("plain", xvtString, "Поле", "p"));
    tree->setEntry(root.get());
    TTreeNodes* nodes = tree->getTree()->Items();
    ASSERT_EQ(nodes->Count(), 3);  // the root and the two compound parts
    EXPECT_EQ(nodes->Item(0)->Text(), "Расширения");
    EXPECT_EQ(nodes->Item(0)->Data(), root.get());
    EXPECT_EQ(tree->getEditors()->getEntry(), root.get());  // the first node is selected
    EXPECT_NE(tree->getEditors()->editorByName("plain"), nullptr);

    tree->getTree()->SetSelected(nodes->Item(1));
    ASSERT_EQ(tree->getEditors()->getEntry(), a);
    tree->getEditors()->editorByName("a_v")->SetText("changed");
    tree->getTree()->SetSelected(nodes->Item(2));
    EXPECT_EQ(tree->getEditors()->getEntry(), b);
    EXPECT_EQ(a->getSubEntries()->at(0)->getValue().str(), "changed");
    EXPECT_TRUE(tree->getTree()->Visible());
}

TEST_F(TreeEditBoxTest, OneLevelTreeIsHiddenWithAutoHide) {
    root->addSubEntry(new TCXEditsEntry("f1", xvtString, "Поле", "x"));
    tree->SetAutoHideTree(true);
    tree->setEntry(root.get());
    EXPECT_EQ(tree->getTree()->Items()->Count(), 1);
    EXPECT_FALSE(tree->getTree()->Visible());
    ASSERT_NE(tree->getSplitter(), nullptr);
    EXPECT_FALSE(tree->getSplitter()->Visible());
    EXPECT_EQ(tree->getEditors()->Left(), 0);  // the editors take the whole box

    // Layout: tree on the left by default, above the editors when vertical.
    tree->SetAutoHideTree(false);
    part(root.get(), "a", "1");
    TCXEditsEntry other("o", xvtString, "Другое");
    other.makeSubEntries();
    part(&other, "x", "1");
    part(&other, "y", "2");
    tree->setEntry(&other);
    EXPECT_TRUE(tree->getTree()->Visible());
    EXPECT_EQ(tree->getTree()->Align(), alLeft);
    EXPECT_EQ(tree->getTree()->Width(), tree->SplitterPos());
    tree->SetVertical(true);
    EXPECT_EQ(tree->getTree()->Align(), alTop);
    EXPECT_EQ(tree->getSplitter()->Align(), alTop);
    EXPECT_EQ(tree->getEditors()->Top(), tree->getTree()->Height() + tree->getSplitter()->Height());
    tree->setEntry(nullptr);
}

}  // namespace
