#include <gtest/gtest.h>

#include <QPixmap>
#include <QWidget>

#include <filesystem>

#include "components/CheckBoxes.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Translation.h"

#include "CompoundFixture.h"
#include "support/CheckBoxesLayout.h"
#include "support/TempDir.h"

namespace {

struct CheckBoxesTest : ::testing::Test {
    TForm* form = nullptr;
    TCheckBoxes* group = nullptr;
    void SetUp() override {
        EnsureApplication();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(100, 100, 400, 300);
        group = add<TCheckBoxes>(form, form, "group");
        group->SetBounds(10, 10, 300, 200);
    }
    void TearDown() override { form->Free(); }
    void setLines(std::initializer_list<String> lines) {
        TStringList l(lines);
        group->SetStrings(&l);
    }
    std::vector<bool> ticks() const {
        std::vector<bool> v;
        for (int i = 0; i < group->GetButtonCount(); ++i) v.push_back(group->GetIsChecked(i));
        return v;
    }
};

TEST_F(CheckBoxesTest, FlagsWordWithMasksAndOffset) {
    setLines({"A", "B|4", "C"});
    ASSERT_EQ(group->GetButtonCount(), 3);
    EXPECT_EQ(group->GetButtons(1)->Caption(), "B");
    EXPECT_EQ(group->GetButtons(1)->Tag(), 4);
    struct {
        uint32_t offset, set;
        std::vector<bool> ticks;
        uint32_t get;
    } cases[] = {
        {0, 5, {true, true, true}, 5},  // A is bit 0; B (mask 4) and C (bit 2) both answer to 4
        {0, 4, {false, true, true}, 4},
        {0, 2, {false, false, false}, 0},  // bit 1 is not B's: B answers only to its mask
        {8, 0x100, {true, false, false}, 0x100},
        {8, 0x400, {false, true, true}, 0x400},
    };
    for (auto& c : cases) {
        group->SetBitsOffset(c.offset);
        group->SetChecked(c.set);
        EXPECT_EQ(ticks(), c.ticks) << c.set;
        EXPECT_EQ(group->GetChecked(), c.get) << c.set;
    }
    // Checking boxes by hand builds the word.
    group->SetBitsOffset(0);
    group->SetChecked(0);
    group->SetIsChecked(0, true);
    group->SetIsChecked(1, true);
    EXPECT_EQ(group->GetChecked(), 5u);
}

TEST_F(CheckBoxesTest, LinesAreParsedAndCapped) {
    std::vector<String> lines;
    for (int i = 0; i < 40; ++i) lines.push_back("line" + std::to_string(i));
    TStringList l;
    for (auto& s : lines) l.Add(s);
    group->SetStrings(&l);
    EXPECT_EQ(group->GetButtonCount(), 32);
    EXPECT_EQ(group->Items()->Count(), 32);
    EXPECT_EQ(group->GetButtons(31)->Caption(), "line31");
    EXPECT_EQ(group->GetButtons(32), nullptr);

    TStringList hints{"first hint"};
    group->SetHints(&hints);
    setLines({"|7", " spaced | 12 ", "bad|x", "x"});
    EXPECT_EQ(group->GetButtons(0)->Caption(), "|7");
    EXPECT_EQ(group->GetButtons(0)->Tag(), 0);
    EXPECT_EQ(group->GetButtons(1)->Caption(), "spaced");
    EXPECT_EQ(group->GetButtons(1)->Tag(), 12);
    EXPECT_EQ(group->GetButtons(2)->Tag(), 0);
    EXPECT_EQ(group->GetButtons(0)->Hint(), "first hint");
    EXPECT_EQ(group->GetButtons(1)->Hint(), "");
    // Editing a line renames its box; boxes are neither added nor removed.
    group->Items()->Put(3, "renamed|16");
    group->Items()->Add("extra");
    EXPECT_EQ(group->GetButtons(3)->Caption(), "renamed");
    EXPECT_EQ(group->GetButtons(3)->Tag(), 16);
    EXPECT_EQ(group->GetButtons(4), nullptr);

    group->SetEnabledFlag(0x5);
    EXPECT_EQ(group->GetEnabledFlag(), 0x5u);
    EXPECT_FALSE(group->GetIsEnabled(1));
}

TEST_F(CheckBoxesTest, ClickReportsTheBoxOwnFlag) {
    setLines({"a", "b", "c", "d|6"});
    group->SetBitsOffset(1);
    std::vector<std::pair<TObject*, unsigned>> seen;
    group->OnClick = [&](TObject* s) { seen.emplace_back(s, 0); };
    group->OnChekBoxClick = [&](TCheckBox* b, unsigned f) { seen.emplace_back(b, f); };
    group->GetButtons(2)->SetChecked(true);
    group->GetButtons(3)->SetChecked(true);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].first, group->GetButtons(2));
    EXPECT_EQ(seen[1].second, 8u);   // box 2 with offset 1
    EXPECT_EQ(seen[3].second, 12u);  // its mask 6, shifted by 1
    // Offsets of 32 and more wrap instead of shifting past the word.
    group->SetBitsOffset(33);
    EXPECT_EQ(group->flagOf(group->GetButtons(2)), 8u);
    EXPECT_EQ(group->GetChecked(), 12u | 8u);
}

TEST(CheckBoxesLoading, ValueSetWhileLoadingBuildsOneSet) {
    EnsureApplication();
    struct TLoadingForm : TForm {
        TCheckBoxes* group;
        explicit TLoadingForm(TComponent* o) : TForm(o) {
            group = new TCheckBoxes(this);
            group->SetParent(this);
            TStringList l{"x", "y"};
            group->SetStrings(&l);
            group->SetChecked(2);  // still loading
        }
    };
    auto* f = CreateComponent<TLoadingForm>(Application);
    EXPECT_EQ(f->group->ControlCount(), 2);
    EXPECT_EQ(f->group->GetButtonCount(), 2);
    f->Free();
}

TEST_F(CheckBoxesTest, BoxesFlowIntoColumnsAndHeightFits) {
    setLines({"1", "2", "3", "4", "5", "6"});
    int rowH = group->GetButtons(0)->Height();
    group->SetHeight(group->ContentRect().Top + 3 * (rowH + 2) + 6);
    // Room for fewer than all in one column: a second column starts.
    TCheckBox* last = group->GetButtons(5);
    EXPECT_GT(last->Left(), group->GetButtons(0)->Left());
    zrxtest::expectBoxesWhole(group);
    // Tall again: one column, and AjustHeight shrinks the group to fit.
    group->SetHeight(400);
    EXPECT_EQ(last->Left(), group->GetButtons(0)->Left());
    group->SetAutoArrange(true);
    EXPECT_LT(group->Height(), 400);
    zrxtest::expectBoxesWhole(group);
    EXPECT_LE(group->ContentRect().Bottom - (last->Top() + last->Height()), 2);
    std::filesystem::path png = std::filesystem::path(testing::TempDir()) / "checkboxes.png";
    form->Show();
    group->GetButtons(1)->SetChecked(true);
    ASSERT_TRUE(form->Handle()->grab().save(QString::fromStdString(png.string())));
}

// Long lists with long captions: as many columns as the width holds, then a
// scrolling area; never a box cut, hidden or on the caption.
TEST_F(CheckBoxesTest, EveryBoxIsWholeInAnyGroup) {
    struct Case {
        int width, height, count;
        const char* caption;
        bool scrolls;
    } cases[] = {
        {380, 200, 12, "Time Stamping", false},
        {380, 200, 12, "Microsoft Individual Code Signing", true},
        {380, 200, 32, "Microsoft Individual Code Signing", true},
        {380, 200, 32, "Box", false},
        {432, 112, 12, "TLS Web Client Authentication", true},
        {432, 112, 32, "TLS Web Client Authentication", true},
        {120, 80, 3, "A caption wider than the whole group", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + ", " + std::to_string(c.count));
        group->SetCaption("Уточненное назначение ключа");
        group->SetBounds(10, 10, c.width, c.height);
        TStringList l;
        for (int i = 0; i < c.count; ++i) l.Add(String(c.caption) + " " + std::to_string(i));
        group->SetStrings(&l);
        EXPECT_EQ(c.scrolls, group->ScrollArea() != nullptr);
        zrxtest::expectBoxesWhole(group);
        // Checking through the word reaches boxes on the scrolling area too.
        group->SetChecked(1u << (c.count - 1));
        EXPECT_TRUE(group->GetIsChecked(c.count - 1));
    }
    // Room again: the boxes come back onto the group itself.
    group->SetBounds(10, 10, 380, 200);
    TStringList few{"one", "two"};
    group->SetStrings(&few);
    EXPECT_EQ(nullptr, group->ScrollArea());
    zrxtest::expectBoxesWhole(group);
}

// A translated caption of another width is placed again.
TEST_F(CheckBoxesTest, ChangedCaptionsAreArrangedAgain) {
    group->SetBounds(10, 10, 380, 80);
    setLines({"Ключи ЭП", "Ключи связи"});
    group->Items()->Put(1, "Key-agreement keys of a far longer caption than before, and longer still");
    EXPECT_EQ(group->GetButtons(1)->Caption(),
              "Key-agreement keys of a far longer caption than before, and longer still");
    zrxtest::expectBoxesWhole(group);
}

TEST_F(CheckBoxesTest, BoolBoxWords) {
    auto* b = add<TCBoolBox>(form, form, "bool");
    ASSERT_EQ(b->Items()->Count(), 2);
    EXPECT_EQ(b->getTextValue(), "FALSE");
    EXPECT_EQ(b->GetText(), "[Нет]");
    struct {
        const char* text;
        bool ok;
        const char* value;
    } cases[] = {{"Yes", true, "TRUE"}, {"нет", true, "FALSE"}, {"TRUE", true, "TRUE"},  {"НІ", true, "FALSE"},
                 {"Так", true, "TRUE"}, {"0", true, "FALSE"},   {"ДА", true, "TRUE"},    {" yes", false, "TRUE"},
                 {"", false, "TRUE"},   {"y", false, "TRUE"},   {"FALSE", true, "FALSE"}};
    for (auto& c : cases) {
        EXPECT_EQ(b->setTextValue(c.text), c.ok) << c.text;
        EXPECT_EQ(b->getTextValue(), c.value) << c.text;
    }
    // Parenting again keeps the two items.
    b->SetParent(nullptr);
    b->SetParent(form);
    EXPECT_EQ(b->Items()->Count(), 2);
}

TEST_F(CheckBoxesTest, BoolBoxCaptionsAreTranslated) {
    // The shipped tables of the work tree.
    std::string lang = std::string(ZRX_SOURCE_DIR) + "/app/data/lang";
    std::string oldDir = zrnGetTranslationDir().str();
    zrnSetTranslationDir(lang.c_str());
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_UKRAINIAN));
    auto* b = add<TCBoolBox>(form, form, "bool");
    b->SetChecked(1);
    EXPECT_EQ(b->GetText(), "[Так]");
    zrnSetLanguage(ZRN_LANG_RUSSIAN);
    zrnSetTranslationDir(oldDir.c_str());
}

}  // namespace
