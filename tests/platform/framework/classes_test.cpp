#include <gtest/gtest.h>

#include <QString>

#include "platform/framework/Classes.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"
#include "platform/framework/QtTestApp.h"

namespace {

// Counts live instances so that a double free or a leak shows.
struct Counted : TComponent {
    static inline int alive = 0;
    static inline std::vector<String> loadedOrder;
    explicit Counted(TComponent* o, const String& n = "") : TComponent(o) {
        ++alive;
        if (!n.empty()) SetName(n);
    }
    ~Counted() override { --alive; }
    void Loaded() override {
        TComponent::Loaded();
        loadedOrder.push_back(Name());
    }
};

struct CountedPanel : TPanel {
    static inline int alive = 0;
    explicit CountedPanel(TComponent* o) : TPanel(o) { ++alive; }
    ~CountedPanel() override { --alive; }
};

TEST(Component, OwnerFreesOwnedOnceAndFindIgnoresCase) {
    auto* root = new Counted(nullptr, "root");
    auto* a = new Counted(root, "Кнопка");
    new Counted(a, "inner");
    new Counted(root, "b");
    EXPECT_EQ(Counted::alive, 4);
    EXPECT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(root->FindComponent("кнопка"), a);  // Cyrillic without regard to case
    EXPECT_EQ(root->FindComponent("B")->Name(), "b");
    EXPECT_EQ(root->FindComponent("inner"), nullptr);  // only directly owned
    EXPECT_THROW(new Counted(root, "B"), EComponentError);
    Counted::alive--;  // its constructor counted it, its destructor never ran
    a->Free();
    EXPECT_EQ(root->ComponentCount(), 1);
    EXPECT_EQ(Counted::alive, 2);
    root->Free();
    EXPECT_EQ(Counted::alive, 0);
}

// Names compare without regard to case; the quick way for plain ASCII must
// order every pair as Qt's case folding does, whatever the other text holds.
TEST(Component, CompareTextOrdersAsQtCaseFoldingDoes) {
    const char* const texts[] = {"",       "a",      "A", "ab", "AB", "b",      "Z", "_", "[", "a1", "Кнопка",
                                 "кнопка", "КНОПКА", "ſ", "s",  "S",  "\u212A", "k", "é", "É", "e"};
    auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
    for (const char* a : texts)
        for (const char* b : texts) {
            const int expected =
                sign(QString::compare(QString::fromUtf8(a), QString::fromUtf8(b), Qt::CaseInsensitive));
            EXPECT_EQ(sign(CompareText(a, b)), expected) << a << " / " << b;
            EXPECT_EQ(SameText(a, b), expected == 0) << a << " / " << b;
        }
}

TEST(Component, ParentOrOwnerFirstFreesControlsOnce) {
    ensureQtApp();
    for (bool ownerFirst : {true, false}) {
        auto* owner = new Counted(nullptr, "owner");
        auto* form = new TForm(nullptr);
        auto* p1 = new CountedPanel(owner);  // owned by one, parented by another
        p1->SetParent(form);
        auto* p2 = new CountedPanel(owner);
        p2->SetParent(p1);
        EXPECT_EQ(CountedPanel::alive, 2);
        if (ownerFirst) {
            owner->Free();
            EXPECT_EQ(CountedPanel::alive, 0);
            EXPECT_EQ(form->ControlCount(), 0);
            form->Free();
        } else {
            form->Free();
            EXPECT_EQ(CountedPanel::alive, 0);
            EXPECT_EQ(owner->ComponentCount(), 0);
            owner->Free();
        }
        EXPECT_EQ(CountedPanel::alive, 0);
    }
}

TEST(Component, FreeNotificationAndReferences) {
    ensureQtApp();
    auto* form = new TForm(nullptr);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetFocusControl(edit);
    EXPECT_EQ(label->FocusControl(), edit);
    edit->Free();
    EXPECT_EQ(label->FocusControl(), nullptr);
    form->Free();
}

struct LoadForm : TForm {
    std::vector<String> events;
    explicit LoadForm(TComponent* o) : TForm(o) {
        SetName("LoadForm");
        new Counted(this, "c1");
        auto* c2 = new Counted(this, "c2");
        new Counted(c2, "c2a");
        events.push_back(IsLoading() ? "constructed-loading" : "constructed");
        OnCreate = [this](TObject*) {
            events.push_back("OnCreate");
            events.push_back(IsLoading() ? "still-loading" : "loaded");
        };
    }
};

TEST(Form, TwoPhaseCreation) {
    ensureQtApp();
    Counted::loadedOrder.clear();
    auto* f = CreateComponent<LoadForm>(nullptr);
    EXPECT_EQ(Counted::loadedOrder, (std::vector<String>{"c1", "c2a", "c2"}));
    EXPECT_EQ(f->events, (std::vector<String>{"constructed-loading", "OnCreate", "loaded"}));
    EXPECT_FALSE(f->Components(0)->IsLoading());
    // A component added later is not loading.
    auto* late = new Counted(f, "late");
    EXPECT_FALSE(late->IsLoading());
    f->Free();
}

TEST(StringList, TextCommaTextAndObjects) {
    TStringList l;
    l.SetText("one\r\ntwo words\nthree\rfour");
    ASSERT_EQ(l.Count(), 4);
    EXPECT_EQ(l[1], "two words");
    EXPECT_EQ(l.Text(), "one\r\ntwo words\r\nthree\r\nfour\r\n");
    EXPECT_EQ(l.CommaText(), "one,\"two words\",three,four");
    TStringList c;
    c.SetCommaText("a, \"b c\",\"say \"\"hi\"\"\" d,");
    EXPECT_EQ(c.ToVector(), (std::vector<String>{"a", "b c", "say \"hi\"", "d", ""}));
    c.Delimiter = '.';
    c.SetDelimitedText("lv1.Columns.Width");
    EXPECT_EQ(c.ToVector(), (std::vector<String>{"lv1", "Columns", "Width"}));
    TObject marker;
    l.AddObject("five", &marker);
    EXPECT_EQ(l.Objects(4), &marker);
    EXPECT_EQ(l.IndexOf("FIVE"), 4);
    l.SetValue("key", "v");
    EXPECT_EQ(l.Values("KEY"), "v");
    TStringList s;
    s.SetSorted(true);
    s.Add("Яблоко");
    s.Add("апельсин");
    s.Add("Банан");
    s.Add("банан");  // duplicate ignored without regard to case
    EXPECT_EQ(s.ToVector(), (std::vector<String>{"апельсин", "Банан", "Яблоко"}));
    EXPECT_THROW(s.Get(7), EStringListError);
}

}  // namespace
