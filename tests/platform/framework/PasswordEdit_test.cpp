#include <gtest/gtest.h>

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

}  // namespace
