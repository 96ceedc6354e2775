#include <gtest/gtest.h>

#include <QLineEdit>

#include <filesystem>
#include <fstream>

#include "components/CFileNameEdit.h"
#include "components/CNumberEdit.h"
#include "platform/framework/Clipbrd.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Forms.h"

#include "CompoundFixture.h"
#include "support/TempDir.h"

namespace {

struct NumberEditTest : ::testing::Test {
    TForm* form = nullptr;
    TCNumberEdit* e = nullptr;
    void SetUp() override {
        EnsureApplication();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(100, 100, 300, 200);
        e = add<TCNumberEdit>(form, form, "num");
        e->SetBounds(10, 10, 150, 21);
    }
    void TearDown() override { form->Free(); }
};

TEST_F(NumberEditTest, TextToNumberTable) {
    struct {
        bool hex, isUnsigned;
        const char* text;
        uint64_t value;
        const char* normalised;  // the text after leaving the field
    } cases[] = {
        {false, false, "42", 42, "42"},
        {false, false, "007", 9, "9"},  // not canonical: the default
        {false, false, "+5", 9, "9"},
        {false, false, " 5", 5, "5"},  // surrounding blanks are trimmed
        {false, false, "5 5", 9, "9"},
        {false, false, "-12", uint64_t(-12), "-12"},
        {false, false, "-", 9, "-"},  // a sign alone is left for the user
        {false, false, "", 9, ""},
        {false, false, "9223372036854775808", 9, "9"},  // overflows int64
        {false, true, "18446744073709551615", UINT64_MAX, "18446744073709551615"},
        {false, true, "18446744073709551616", 9, "9"},
        {false, true, "-1", 9, "9"},
        {false, false, "12a", 9, "9"},
        {true, false, "ff", 255, "FF"},
        {true, false, "FFFFFFFFFFFFFFFF", UINT64_MAX, "FFFFFFFFFFFFFFFF"},
        {true, false, "1FFFFFFFFFFFFFFFF", 9, "9"},
        {true, false, "0ff", 9, "9"},
    };
    for (auto& c : cases) {
        e->SetAllowHex(c.hex);
        e->SetIsUnsigned(c.isUnsigned);
        e->SetDefault(9);
        e->SetText(c.text);
        EXPECT_EQ(e->GetValue(), c.value) << c.text;
        // Nothing is rewritten while the user types.
        EXPECT_EQ(e->GetText(), c.text);
        e->DoExit();
        EXPECT_EQ(e->GetText(), c.normalised) << c.text;
    }
}

TEST_F(NumberEditTest, SignedAndUnsignedShowAllBitsSet) {
    e->SetValue(UINT64_MAX);
    EXPECT_EQ(e->GetText(), "-1");
    e->SetIsUnsigned(true);
    e->SetValue(UINT64_MAX);
    EXPECT_EQ(e->GetText(), "18446744073709551615");
    EXPECT_EQ(e->GetValue(), UINT64_MAX);
}

TEST_F(NumberEditTest, BoundsHoldForValueAndText) {
    e->SetMinValue(0);
    e->SetMaxValue(1440);
    e->SetValue(2000);
    EXPECT_EQ(e->GetValue(), 1440u);
    EXPECT_EQ(e->GetText(), "1440");
    e->SetSDefaultValue(true);
    e->SetDefault(30);
    EXPECT_EQ(e->GetText(), "30");
    e->SetValue(2000);
    EXPECT_EQ(e->GetValue(), 30u);
    EXPECT_EQ(e->GetText(), "30");
    e->SetValue(-5);  // below the signed minimum
    EXPECT_EQ(e->GetValue(), 30u);
    e->SetDefault(5000);  // a default is bounded too
    EXPECT_EQ(e->Default(), 1440u);
    // Typed out of range: Value stays inside, validate reports it.
    e->SetText("2000");
    EXPECT_EQ(e->GetValue(), 1440u);
    MessageCatcher mc;
    EXPECT_FALSE(e->validate(false));
    EXPECT_TRUE(mc.texts.empty());
    e->SetText("100");
    EXPECT_TRUE(e->validate(true));
    EXPECT_TRUE(mc.texts.empty());
}

TEST_F(NumberEditTest, ValidateBringsThePageForwardAndShowsBoundsAsTheEditDoes) {
    auto* pages = add<TPageControl>(form, form, "pages");
    pages->SetBounds(0, 0, 280, 180);
    auto* first = new TTabSheet(form);
    first->SetPageControl(pages);
    auto* second = new TTabSheet(form);
    second->SetPageControl(pages);
    e->SetParent(second);
    pages->SetActivePage(first);
    e->SetIsUnsigned(true);
    e->SetAllowHex(true);
    e->SetMinValue(0x10);
    e->SetMaxValue(0xFFFFFFFFFFFFFFF0ull);  // negative as a signed number
    e->SetText("5");
    MessageCatcher mc;
    EXPECT_FALSE(e->validate(true));
    ASSERT_EQ(mc.texts.size(), 1u);
    EXPECT_EQ(mc.texts[0], "Значение поля должно лежать между 10 и FFFFFFFFFFFFFFF0!");
    EXPECT_EQ(pages->ActivePage(), second);
    EXPECT_EQ(form->ActiveControl(), e);
}

TEST_F(NumberEditTest, RadixSwitchKeepsTheValue) {
    e->SetAllowConversion(true);
    ASSERT_NE(e->Button(), nullptr);
    EXPECT_EQ(e->Button()->Caption(), "&d");
    EXPECT_GT(e->Button()->Width(), 0);
    e->SetText("255");
    e->BtnClick();
    EXPECT_TRUE(e->AllowHex());
    EXPECT_EQ(e->GetText(), "FF");
    EXPECT_EQ(e->Button()->Caption(), "&h");
    EXPECT_EQ(e->Button()->Hint(), "Шестнадцатиричный");
    e->SetText("ff");
    e->SetAllowHex(false);  // switching by property rewrites too
    EXPECT_EQ(e->GetText(), "255");
    EXPECT_EQ(e->GetValue(), 255u);
    e->SetAllowConversion(false);
    EXPECT_EQ(e->Button(), nullptr);
    // Switching hexadecimal on creates the button.
    e->SetAllowHex(true);
    EXPECT_NE(e->Button(), nullptr);
}

TEST_F(NumberEditTest, KeyFilterLetsControlKeysAndPastesThrough) {
    form->Show();
    Application->ProcessMessages();
    e->SetFocus();
    e->SetText("");
    SendText(e, "1x-a");
    EXPECT_EQ(e->GetText(), "1-");
    e->SetIsUnsigned(true);
    e->SetText("");
    SendText(e, "-+7");
    EXPECT_EQ(e->GetText(), "7");
    e->SetAllowHex(true);
    SendText(e, "aG");
    EXPECT_EQ(e->GetText(), "7a");

    e->SetAllowHex(false);
    e->SetIsUnsigned(false);
    e->SetDefault(3);
    auto* line = static_cast<QLineEdit*>(e->Handle());
    struct {
        const char* clip;
        bool viaKeys;
        uint64_t value;
    } pastes[] = {{"12a", false, 3}, {"123", true, 123}, {"-8", false, uint64_t(-8)}};
    for (auto& p : pastes) {
        e->SetText("");
        Clipboard()->SetAsText(p.clip);
        if (p.viaKeys) SendKey(e, 'V', ssCtrl);
        else line->paste();  // what the context menu's Paste does
        EXPECT_EQ(e->GetText(), p.clip);
        EXPECT_EQ(e->GetValue(), p.value) << p.clip;
    }
    // Select all and cut reach the field too.
    e->SetText("456");
    SendKey(e, 'A', ssCtrl);
    SendKey(e, 'X', ssCtrl);
    EXPECT_EQ(e->GetText(), "");
    EXPECT_EQ(Clipboard()->AsText(), "456");
    Clipboard()->Clear();
}

struct FileNameEditTest : NumberEditTest {};

TEST_F(FileNameEditTest, BrowseFillsTheNameAndChecksIt) {
    zrxtest::TempDir dir;
    String existing = (dir.path() / "there.p10").string();
    std::ofstream(existing) << "x";
    auto* f = add<TCFileNameEdit>(form, form, "file");
    f->SetDlgTitle("Запрос");
    f->SetDlgFilter("Requests (*.p10)|*.p10");
    f->SetDlgDefExt("p10");
    EXPECT_EQ(f->Button()->Name(), "FButton");
    EXPECT_EQ(f->Button()->Width(), 20);

    String answer;
    int yesNo = mrNo;
    std::vector<String> asked;
    TModalHook old = SetModalHook([&](TObject* w) {
        if (auto* d = dynamic_cast<TOpenDialog*>(w)) {
            EXPECT_EQ(d->Title(), "Запрос");
            EXPECT_TRUE(d->Options() & ofSet(ofNoChangeDir));
            d->SetFileName(answer);
            return int(mrOk);
        }
        asked.push_back("overwrite");
        return yesNo;
    });
    // Reading: a missing file is refused; an existing one is taken.
    answer = (dir.path() / "missing.p10").string();
    f->SetText("before");
    f->BtnClick();
    EXPECT_EQ(f->GetText(), "before");
    answer = existing;
    f->BtnClick();
    EXPECT_EQ(f->GetText(), existing);

    // Writing: the default extension is added; overwriting asks first.
    f->SetUsedForSave(true);
    answer = (dir.path() / "new").string();
    f->BtnClick();
    EXPECT_EQ(f->GetText(), answer + ".p10");
    EXPECT_TRUE(asked.empty());
    answer = existing;
    f->SetText("before");
    f->BtnClick();
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(f->GetText(), "before");
    yesNo = mrYes;
    f->BtnClick();
    EXPECT_EQ(f->GetText(), existing);
    SetModalHook(old);
}

}  // namespace
