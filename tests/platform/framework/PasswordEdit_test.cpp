#include <gtest/gtest.h>

#include <string>

#include "platform/framework/Forms.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/StdCtrls.h"

namespace {

TEST(PasswordEdit, HandsOverTheTextAsTypedAndWipesIt) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* e = new TPasswordEdit(f);
    e->SetParent(f);
    EXPECT_EQ(e->PasswordChar(), U'*');
    int changes = 0;
    e->OnChange = [&](TObject*) { ++changes; };
    f->Show();
    e->SetFocus();
    SendText(e, "  пароль 1 ");
    const TCSecretString secret = e->Secret();
    EXPECT_TRUE(secret == "  пароль 1 ");  // never trimmed
    changes = 0;
    e->WipeText();
    EXPECT_EQ(e->GetText(), "");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(e->Secret().empty());
    EXPECT_TRUE(secret == "  пароль 1 ");  // the copy handed over stays
    f->Free();
}

// MaxLength counts characters, whatever their size in bytes or UTF-16 units:
// typed text stops at it, text set by code may pass it.
TEST(PasswordEdit, MaxLengthCountsCharacters) {
    ensureQtApp();
    auto* f = CreateComponent<TForm>(Application);
    auto* e = new TPasswordEdit(f);
    e->SetParent(f);
    e->SetMaxLength(32);
    f->Show();
    e->SetFocus();
    auto repeat = [](const char* c, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += c;
        return s;
    };
    struct Case {
        const char* name;
        std::string typed, kept;
    } cases[] = {
        {"Latin", repeat("a", 40), repeat("a", 32)},
        {"Cyrillic", repeat("Ж", 40), repeat("Ж", 32)},
        {"four bytes", repeat("\U0001F511", 40), repeat("\U0001F511", 32)},
        {"mixed", repeat("Ж\U0001F511", 20), repeat("Ж\U0001F511", 16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        e->WipeText();
        SendText(e, c.typed);
        EXPECT_TRUE(e->Secret() == c.kept.c_str()) << e->GetText();
    }
    e->SetText(repeat("Ж", 40));
    EXPECT_EQ(repeat("Ж", 40), e->GetText());
    f->Free();
}

}  // namespace
