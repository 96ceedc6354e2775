#include <gtest/gtest.h>

#include "components/CompoundEdit.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"

#include "CompoundFixture.h"

namespace {

TEST(RequiredFieldOnPages, EmptyFieldOnAnInnerPageBringsBothPagesToFront) {
    EnsureApplication();
    auto* form = CreateComponent<TForm>(Application);
    form->SetBounds(100, 100, 500, 380);
    auto* outer = add<TPageControl>(form, form, "pcOuter");
    outer->SetBounds(8, 8, 480, 330);
    auto* outer1 = add<TTabSheet>(form, outer, "tsCommon");
    auto* outer2 = add<TTabSheet>(form, outer, "tsOwner");
    auto* inner = add<TPageControl>(form, outer2, "pcInner");
    inner->SetBounds(4, 4, 440, 260);
    auto* inner1 = add<TTabSheet>(form, inner, "tsOrg");
    auto* inner2 = add<TTabSheet>(form, inner, "tsPerson");
    auto* other = add<TCompoundEdit>(form, outer1, "edtOther");
    auto* name = add<TCompoundEdit>(form, inner2, "edtName");
    name->SetBounds(10, 10, 200, 24);
    other->SetText("заполнено");
    form->Show();
    form->BringToFront();
    Application->ProcessMessages();
    ASSERT_EQ(outer->ActivePage(), outer1);
    ASSERT_EQ(inner->ActivePage(), inner1);
    other->SetFocus();
    EXPECT_EQ(GetParentTabSheet(name), inner2);
    EXPECT_EQ(GetParentTabSheet(inner2), outer2);
    EXPECT_FALSE(name->Showing());

    MessageCatcher msgs;
    EXPECT_FALSE(name->isFilled(true, "Фамилия"));
    EXPECT_EQ(msgs.texts, (std::vector<String>{"Поле \"Фамилия\" необходимо заполнить!"}));
    EXPECT_EQ(outer->ActivePage(), outer2);
    EXPECT_EQ(inner->ActivePage(), inner2);
    EXPECT_TRUE(name->Showing());
    EXPECT_EQ(form->ActiveControl(), name);
    EXPECT_TRUE(name->Focused());

    // A filled field on a page behind passes quietly and leaves the pages as they are.
    EXPECT_TRUE(other->isFilled(true, "Другое"));
    EXPECT_EQ(outer->ActivePage(), outer2);
    // Without the message nothing moves either.
    inner->SetActivePage(inner1);
    EXPECT_FALSE(name->isFilled(false, "Фамилия"));
    EXPECT_EQ(inner->ActivePage(), inner1);
    EXPECT_EQ(msgs.texts.size(), 1u);
    form->Free();
}

}  // namespace
