#include <gtest/gtest.h>

#include "components/CompoundEdit.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Translation.h"

#include "CompoundFixture.h"
#include "support/TempDir.h"

namespace {

struct Fixture : ::testing::Test {
    TForm* form = nullptr;
    void SetUp() override {
        EnsureApplication();
        form = CreateComponent<TForm>(Application);
        form->SetName("EditForm");
        form->SetBounds(100, 100, 400, 300);
    }
    void TearDown() override {
        form->Free();
        zrnResetTranslation();  // a case may switch the language
    }
};

using CheckFilled = Fixture;

TEST_F(CheckFilled, RequiredEmptyFieldShowsItsNameAndGetsTheFocus) {
    auto* outer = add<TPageControl>(form, form, "outer");
    auto* outer1 = add<TTabSheet>(form, outer, "outer1");
    auto* outer2 = add<TTabSheet>(form, outer, "outer2");
    auto* inner = add<TPageControl>(form, outer2, "inner");
    auto* inner1 = add<TTabSheet>(form, inner, "inner1");
    auto* inner2 = add<TTabSheet>(form, inner, "inner2");
    outer->SetActivePage(outer1);
    inner->SetActivePage(inner1);
    auto* other = add<TCompoundEdit>(form, form, "other");
    auto* name = add<TCompoundEdit>(form, inner2, "edtName");
    form->Show();
    other->SetFocus();
    name->SetText("   ");
    EXPECT_EQ(GetParentTabSheet(name), inner2);

    MessageCatcher msgs;
    EXPECT_FALSE(name->isFilled(true, "Имя"));
    ASSERT_EQ(msgs.texts.size(), 1u);
    EXPECT_EQ(msgs.texts[0], "Поле \"Имя\" необходимо заполнить!");
    EXPECT_EQ(outer->ActivePage(), outer2);
    EXPECT_EQ(inner->ActivePage(), inner2);
    EXPECT_EQ(form->ActiveControl(), name);

    EXPECT_FALSE(checkFilled(other, "", true, nullptr));
    EXPECT_EQ(msgs.texts.back(), "Данное поле необходимо заполнить!");
    EXPECT_FALSE(checkFilled(other, " ", false, "x"));
    EXPECT_EQ(msgs.texts.size(), 2u);

    // Hidden or disabled fields, and filled ones, pass without a word.
    name->SetText("Иван");
    EXPECT_TRUE(name->isFilled(true, "Имя"));
    name->SetText("");
    name->SetEnabled(false);
    EXPECT_TRUE(name->isFilled(true, "Имя"));
    other->SetVisible(false);
    EXPECT_TRUE(checkFilled(other, "", true, nullptr));
    EXPECT_EQ(msgs.texts.size(), 2u);
}

TEST_F(CheckFilled, MessageIsTranslated) {
    // The shipped tables, next to this source in the work tree.
    std::string lang = std::string(ZRX_SOURCE_DIR) + "/app/data/lang";
    zrnSetTranslationDir(lang.c_str());
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_ENGLISH));
    auto* e = add<TCompoundEdit>(form, form, "e");
    form->Show();
    MessageCatcher msgs;
    EXPECT_FALSE(e->isFilled(true, "Name"));
    EXPECT_FALSE(e->isFilled(true, nullptr));
    EXPECT_EQ(msgs.texts, (std::vector<String>{"Field \"Name\" must be filled in!", "This field must be filled in!"}));
}

using CompoundEdit = Fixture;

TEST_F(CompoundEdit, TextValueColourAndEnable) {
    auto* e = add<TCompoundEdit>(form, form, "ce");
    EXPECT_TRUE(e->setTextValue("  текст  "));
    EXPECT_EQ(e->getTextValue(), "текст");
    e->setColor(clYellow);
    EXPECT_EQ(e->getColor(), clYellow);
    EXPECT_EQ(GetOrdProp(e, "EditorColor"), int64_t(clYellow));
    e->enable(false);
    EXPECT_FALSE(e->Enabled());
    EXPECT_FALSE(e->haseDropped());
    EXPECT_FALSE(e->isMasked());
}

TEST_F(CompoundEdit, MaskMismatchKeepsTheTextAndReportsTheField) {
    auto* e = add<TCompoundHistoryEdit>(form, form, "date");
    e->SetEditMask("!99/99/0000;1;_");
    EXPECT_TRUE(e->usesBlankSymbol(U'_'));
    e->setUCTextValue("0102");
    // Partly filled under a '_' blank: no value, so the field counts as empty.
    EXPECT_EQ(e->getUCTextValue(), "");
    EXPECT_FALSE(e->isFilled(false, nullptr));
    form->Show();
    e->SetFocus();
    MessageCatcher msgs;
    e->SetModified(true);
    e->ValidateEdit();
    EXPECT_EQ(msgs.texts.size(), 1u);
    EXPECT_EQ(e->EditText(), "01/02/____");
    EXPECT_EQ(form->ActiveControl(), e);
    e->setUCTextValue("01022024");
    EXPECT_EQ(e->getUCTextValue(), "01/02/2024");
    e->SetModified(true);
    e->ValidateEdit();
    EXPECT_EQ(msgs.texts.size(), 1u);
    // Nothing typed at all is no mismatch (the required check is separate).
    e->setUCTextValue("");
    e->SetModified(true);
    e->ValidateEdit();
    EXPECT_EQ(msgs.texts.size(), 1u);
}

TEST_F(CompoundEdit, LeavingTheFormIsNoExitFromAnUnfinishedMask) {
    auto* e = add<TCompoundEdit>(form, form, "sum");
    e->SetEditMask("00.00;1;_");
    e->SetTabStop(true);
    auto* next = add<TCompoundEdit>(form, form, "next");
    next->SetTop(40);
    next->SetTabStop(true);
    form->SetActiveControl(e);
    std::vector<String> messages;
    auto catchMessages = [&](TObject* w) {
        if (w == form) {
            for (int i = 0; i < 5; ++i) Application->ProcessMessages();
            SendText(e, "1");
            SendKey(e, VK_ESCAPE);
            return 0;
        }
        auto* m = dynamic_cast<TCustomForm*>(w)->FindComponent("Message");
        messages.push_back(m ? static_cast<TControl*>(m)->Caption() : String("?"));
        return int(mrOk);
    };
    TModalHook old = SetModalHook(catchMessages);
    // Escape closes the form: Cancel, and no word about the mask.
    EXPECT_EQ(form->ShowModal(), mrCancel);
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    EXPECT_EQ(messages, std::vector<String>{});

    // A message over the shown form: still none. Moving on to the next field is
    // the exit that checks the mask.
    form->Show();
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    e->SetFocus();
    EXPECT_EQ(MessageDlg("Другое", mtInformation, mbSet(mbOK)), mrOk);
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    EXPECT_EQ(messages, std::vector<String>{"Другое"});
    next->SetFocus();
    EXPECT_EQ(messages, (std::vector<String>{"Другое", "Значение поля не соответствует его шаблону!"}));
    EXPECT_TRUE(e->Focused());
    SetModalHook(old);
}

using HistoryEditC = Fixture;

TEST_F(HistoryEditC, HistoryOrderLimitAndPersistence) {
    auto* e = add<TCompoundHistoryEdit>(form, form, "hist");
    EXPECT_TRUE(e->GetButtonVisible());
    e->SetSaveHistory(true);
    e->SetSaveHistory(false);
    EXPECT_FALSE(e->GetButtonVisible());
    e->setRegParams("Software\\Zoren\\CompTest", "hist", true);
    EXPECT_TRUE(e->GetButtonVisible());
    e->setMaxHCount(3);
    for (const char* t : {"a", "b", "c", "d"}) e->AddHistoryStr(t);
    EXPECT_EQ(e->Items()->ToVector(), (std::vector<String>{"d", "c", "b"}));
    e->AddHistoryStr("ЁЖ");
    e->AddHistoryStr("ёж");
    e->AddHistoryStr("  ");
    EXPECT_EQ(e->Items()->ToVector(), (std::vector<String>{"ёж", "d", "c"}));
    e->Free();

    auto* again = add<TCompoundHistoryEdit>(form, form, "hist2");
    again->setRegParams("Software\\Zoren\\CompTest", "hist", true);
    EXPECT_EQ(again->Items()->ToVector(), (std::vector<String>{"ёж", "d", "c"}));
    // Without LoadOnFocus a filled list is not re-read.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Zoren\\CompTest", false));
    reg.WriteString("hist", "other\r\n");
    EXPECT_TRUE(again->Load());
    EXPECT_EQ(again->Items()->Count(), 3);
    again->SetLoadOnFocus(true);
    EXPECT_TRUE(again->Load());
    EXPECT_EQ(again->Items()->ToVector(), (std::vector<String>{"other"}));
}

TEST_F(HistoryEditC, FocusLoadsAndLeavingSavesTheCurrentText) {
    auto* first = add<TCompoundEdit>(form, form, "first");
    auto* e = add<TCompoundHistoryEdit>(form, form, "srv");
    e->SetSaveValue(true);
    e->setRegParams("Software\\Zoren\\CompTest", "srv", false);
    form->Show();
    form->BringToFront();
    Application->ProcessMessages();
    e->SetFocus();
    SendText(e, "  http://сервер  ");
    first->SetFocus();
    EXPECT_EQ(e->Items()->ToVector(), (std::vector<String>{"http://сервер"}));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Zoren\\CompTest", false));
    EXPECT_EQ(reg.ReadString("srv"), "http://сервер\r\n");
    EXPECT_EQ(reg.ReadString("srv_value"), "http://сервер");

    auto* again = add<TCompoundHistoryEdit>(form, form, "srv2");
    again->SetSaveValue(true);
    again->setRegParams("Software\\Zoren\\CompTest", "srv", false);
    again->SetFocus();
    EXPECT_EQ(again->GetText(), "http://сервер");
    EXPECT_EQ(again->Items()->Count(), 1);
    // No stored current text: the field keeps what it shows.
    auto* other = add<TCompoundHistoryEdit>(form, form, "other");
    other->SetSaveValue(true);
    other->setRegParams("Software\\Zoren\\CompTest", "none", false);
    other->SetText("shown");
    other->SetFocus();
    EXPECT_EQ(other->GetText(), "shown");
}

TEST_F(HistoryEditC, EnterMovesToTheNextControlUnlessADefaultButtonTakesIt) {
    auto* e = add<TCompoundHistoryEdit>(form, form, "e");
    auto* next = add<TCompoundEdit>(form, form, "next");
    form->Show();
    form->BringToFront();
    Application->ProcessMessages();
    e->SetFocus();
    SendKey(e, VK_RETURN);
    EXPECT_TRUE(next->Focused());

    auto* ok = add<TButton>(form, form, "ok");
    ok->SetDefault(true);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    e->SetFocus();
    SendKey(e, VK_RETURN);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(e->Focused());
}

TEST_F(HistoryEditC, TextEqualToTheNameIsKept) {
    auto* e = add<TCompoundHistoryEdit>(form, form, "edtCity");
    e->SetText("edtCity");
    EXPECT_EQ(e->GetText(), "edtCity");
    EXPECT_EQ(e->CurrentText(), "edtCity");
}

TEST_F(HistoryEditC, PopupListHeightAndKeys) {
    auto* e = add<TCompoundHistoryEdit>(form, form, "pick");
    add<TCompoundEdit>(form, form, "next");
    TCComboEditListBox* l = e->List();
    int row = l->RowHeight();
    e->Items()->Add("one");
    EXPECT_EQ(l->CalcHeight(), 2 * row);
    for (int i = 0; i < 9; ++i) e->Items()->Add("item" + std::to_string(i));
    e->SetRowsVisible(5);
    EXPECT_EQ(l->CalcHeight(), 5 * row);

    form->Show();
    e->SetFocus();
    e->BtnClick();
    ASSERT_TRUE(e->GetDroppedDown());
    EXPECT_EQ(l->Height(), 5 * row);
    EXPECT_EQ(l->ItemIndex(), -1);
    SendKey(e, VK_UP);
    EXPECT_EQ(l->ItemIndex(), 9);
    SendKey(e, VK_DOWN);
    EXPECT_EQ(l->ItemIndex(), 0);
    // Adding while the list is shown does nothing.
    e->AddHistoryStr("late");
    EXPECT_EQ(e->Items()->Count(), 10);
    SendKey(e, VK_DOWN);
    SendKey(e, VK_RETURN);
    EXPECT_FALSE(e->GetDroppedDown());
    EXPECT_EQ(e->GetText(), "item0");
    // Hidden: Ctrl+Down steps through the history without opening it.
    SendKey(e, VK_DOWN, ssCtrl);
    EXPECT_FALSE(e->GetDroppedDown());
    EXPECT_EQ(e->GetText(), "item1");
    e->BtnClick();
    SendKey(e, VK_ESCAPE);
    EXPECT_FALSE(e->GetDroppedDown());
    // Ctrl+D in the shown list forgets the entries.
    e->BtnClick();
    String text = e->GetText();
    SendKey(e, 'D', ssCtrl);
    EXPECT_EQ(e->Items()->Count(), 0);
    EXPECT_EQ(e->GetText(), text);
}

TEST_F(HistoryEditC, TypingIntoTheShownListSelectsTheFirstMatch) {
    auto* e = add<TCompoundHistoryEdit>(form, form, "pick");
    add<TCompoundEdit>(form, form, "next");
    e->Items()->Add("Abc");
    e->Items()->Add("xab");
    form->Show();
    e->SetFocus();
    e->BtnClick();
    SendText(e, "ab");
    EXPECT_EQ(e->List()->ItemIndex(), 0);
    EXPECT_EQ(e->GetText(), "ab");
}

TEST_F(HistoryEditC, ReadOnlyEditActsAsAChoiceList) {
    auto* first = add<TCompoundEdit>(form, form, "first");
    auto* e = add<TCompoundHistoryEdit>(form, form, "choice");
    e->SetReadOnly(true);
    e->SetButtonVisible(true);
    for (const char* t : {"Москва", "Киев", "Минск"}) e->AddHistoryStr(t);
    form->Show();
    form->BringToFront();  // entering needs the window active
    Application->ProcessMessages();
    first->SetFocus();
    e->SetFocus();
    ASSERT_TRUE(e->GetDroppedDown());
    // Showing the list is no exit from the edit: it stays open and focused.
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    ASSERT_TRUE(e->GetDroppedDown());
    EXPECT_TRUE(e->Focused());
    SendText(e, "ки");
    EXPECT_EQ(e->GetText(), "ки");
    EXPECT_EQ(e->List()->ItemIndex(), 1);
    SendKey(e, VK_RETURN);
    EXPECT_FALSE(e->GetDroppedDown());
    EXPECT_EQ(e->GetText(), "Киев");

    // NoDrop: entering does not open the list, the button does.
    first->SetFocus();
    e->SetNoDrop(true);
    e->SetFocus();
    EXPECT_FALSE(e->GetDroppedDown());
    e->Button()->Click();
    EXPECT_TRUE(e->GetDroppedDown());
}

}  // namespace
