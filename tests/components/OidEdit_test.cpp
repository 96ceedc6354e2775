#include <gtest/gtest.h>

#include "components/OidEdit.h"
#include "platform/framework/Clipbrd.h"
#include "platform/framework/Forms.h"

namespace {

TEST(OidEdit, ValidationTable) {
    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"", false},
        {"   ", false},
        {"5", false},
        {".1.2", false},
        {"1.2.", false},
        {"1..2", false},
        {"1.2", true},
        {" 1.2.643.3.131 ", true},
        {"2.999.1", true},
        {"0.39", true},
        {"0.40", false},
        {"1.39.5", true},
        {"1.40", false},
        {"3.1", false},
        {"01.2", true},
        {"1.2a", false},
        {"2.100000000000000000000000.1", true},
        {"1.99999999999999999999", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isValidOidText(c.text), c.valid) << '"' << c.text << '"';
}

TEST(OidEdit, FiltersTypedAndPastedText) {
    EnsureApplication();
    auto* f = CreateComponent<TForm>(Application);
    auto* e = new TCOIDEdit(f);
    e->SetName("oid");
    e->SetParent(f);
    f->Show();
    e->SetFocus();
    SendText(e, "1a.2");
    EXPECT_EQ(e->GetText(), "1.2");
    SendKey(e, VK_BACK);
    EXPECT_EQ(e->GetText(), "1.");
    EXPECT_FALSE(e->validate());
    SendText(e, "Ж5");
    EXPECT_EQ(e->GetText(), "1.5");
    EXPECT_TRUE(e->validate());

    e->SetText("");
    Clipboard()->SetAsText("1.2.x643-.1");
    SendKey(e, 'V', ssCtrl);
    EXPECT_EQ(e->GetText(), "1.2.643.1");
    e->setTextValue("2.5abc");
    EXPECT_EQ(e->getTextValue(), "2.5");
    EXPECT_TRUE(e->validate());

    // A key filter of the form's own still runs.
    int seen = 0;
    e->OnKeyPress = [&](TObject*, char32_t&) { ++seen; };
    SendText(e, "x7");
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(e->GetText(), "2.57");
    f->Free();
}

}  // namespace
