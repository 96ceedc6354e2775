#include <gtest/gtest.h>

#include "platform/framework/Forms.h"
#include "platform/framework/Mask.h"
#include "platform/framework/QtTestApp.h"

namespace {

TEST(EditMask, ConvertsToQtInputMask) {
    struct Case {
        const char* mask;
        const char* qt;
    };
    const Case cases[] = {
        {"", ""},
        {"!99/99/0000;1;_", "00/00/9999;_"},
        {"!(999)000-0000;0; ", "(000)999-9999; "},
        {">LL<ll;1;_", ">XX<xx;_"},
        {"<>AaCc#", "!XxXx#;_"},
        {"\\A\\9-00", "\\A\\9-99;_"},
        {"N-X", "\\N-\\X;_"},  // Qt mask letters typed as literals stay literals
        {"00:00", "99:99;_"},
        {"ЯЯ-00;0;*", "ЯЯ-99;*"},
    };
    for (const Case& c : cases) EXPECT_EQ(MaskToQtInputMask(c.mask), c.qt) << c.mask;
}

TEST(EditMask, FormatsAndValidatesText) {
    struct Case {
        const char* mask;
        const char* value;
        const char* editText;
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"!99/99/0000;1;_", "01022024", "01/02/2024", "01/02/2024", true},
        {"!99/99/0000;1;_", "01/02/2024", "01/02/2024", "01/02/2024", true},
        {"!99/99/0000;1;_", "0102", "01/02/____", "01/02/    ", false},
        {"!99/99/0000;0;_", "01/02/2024", "01/02/2024", "01022024", true},
        {"!(999)000-0000;0; ", "4155551212", "(415)555-1212", "4155551212", true},
        {">LL-00", "аб12", "АБ-12", "АБ-12", true},  // Cyrillic letters, upper-cased
        {"LL-00", "1a23", "a_-__", "a -  ", false},  // refused as typing would refuse them
        {"99-99", "1", "1_-__", "1 -  ", true},      // optional digits may stay blank
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MaskEditText(c.mask, c.value), c.editText) << c.mask << " / " << c.value;
        EXPECT_EQ(MaskTextOf(c.mask, MaskEditText(c.mask, c.value)), c.text) << c.mask << " / " << c.value;
        int pos = -1;
        EXPECT_EQ(MaskValidate(c.mask, c.editText, pos), c.valid) << c.mask << " / " << c.value;
    }
    // A letter used as the blank stays a blank under a case change.
    EXPECT_EQ(MaskEditText(">LL;1;x", "x"), "xx");
    EXPECT_EQ(MaskEditText(">LL;1;x", "ax"), "Ax");
    EXPECT_EQ(FormatMaskText("!(999)000-0000;1;_", "4155551212"), "(415)555-1212");
    EXPECT_TRUE(MaskIsBlank("!99/99/0000;1;_", "__/__/____"));
    EXPECT_FALSE(MaskIsBlank("!99/99/0000;1;_", "1_/__/____"));
}

TEST(MaskEdit, KeepsTextUnderTheMask) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* e = new TMaskEdit(f);
    e->SetParent(f);
    e->SetEditMask("!99/99/0000;1;_");
    EXPECT_TRUE(e->IsMasked());
    EXPECT_EQ(e->EditText(), "__/__/____");
    e->SetText("01022024");
    EXPECT_EQ(e->EditText(), "01/02/2024");
    EXPECT_EQ(e->GetText(), "01/02/2024");
    EXPECT_EQ(GetStrProp(e, "EditMask"), "!99/99/0000;1;_");
    e->SetText("0102");
    EXPECT_EQ(e->EditText(), "01/02/____");
    // The framework's own reaction to a partly filled text is an error.
    e->SetModified(true);
    EXPECT_THROW(e->ValidateEdit(), EDBEditError);
    EXPECT_EQ(e->EditText(), "01/02/____");
    f->Free();
}

TEST(MaskEdit, TypedLettersFollowThePositionClass) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* e = new TMaskEdit(f);
    e->SetParent(f);
    e->SetEditMask(">LL-00;1;_");
    f->Show();
    e->SetFocus();
    e->SetSelStart(0);
    SendText(e, "ж1я");  // the digit has no place at a letter position
    EXPECT_EQ(e->EditText(), "ЖЯ-__");
    SendText(e, "ab");
    EXPECT_EQ(e->EditText(), "ЖЯ-__");
    SendText(e, "42");
    EXPECT_EQ(e->EditText(), "ЖЯ-42");
    f->Free();
}

}  // namespace
