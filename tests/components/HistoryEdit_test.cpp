#include <gtest/gtest.h>

#include <cstring>

#include "components/HistoryEdit.h"
#include "components/RegUtils.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/TCString.h"

namespace {

const char* kKey = "Software\\Zoren\\HistTest";

String readValue(const String& name) {
    TRegistry reg;
    if (!reg.OpenKey(kKey, false)) return "<no key>";
    if (!reg.ValueExists(name)) return "<missing>";
    return reg.ReadString(name);
}

void writeValue(const String& name, const String& text) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteString(name, text);
}

std::vector<String> items(const TStrings* s) { return s->ToVector(); }

struct HistForm {
    TForm* form;
    THistoryEdit* edit;
    explicit HistForm(const char* valueName = "hist", int max = 20, bool saveValue = false) {
        EnsureApplication();
        form = CreateComponent<TForm>(Application);
        form->SetName("HistForm");
        edit = new THistoryEdit(form);
        edit->SetName("hedt1");
        edit->SetParent(form);
        edit->setMaxHCount(max);
        edit->RegInfo()->SetKey(kKey);
        edit->RegInfo()->SetValueName(valueName);
        edit->SetSaveValue(saveValue);
        edit->SetSaveHistory(true);
        edit->Load();
    }
    ~HistForm() { form->Free(); }
};

TEST(RegUtils, ReadStringFollowsBufferRules) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    ASSERT_EQ(regWriteString(&reg, "s", "Привет, мир"), 0);
    reg.WriteInteger("n", 5);

    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    // Missing value: the default, cut to the buffer, and -1.
    EXPECT_EQ(regReadString(&reg, "none", buf, sizeof buf, "default text"), -1);
    EXPECT_STREQ(buf, "default");
    // Another type: -1 and the buffer untouched.
    std::memcpy(buf, "keepme", 7);
    EXPECT_EQ(regReadString(&reg, "n", buf, sizeof buf, "d"), -1);
    EXPECT_STREQ(buf, "keepme");
    // A long text is cut at size - 1 bytes, never inside a character.
    EXPECT_EQ(regReadString(&reg, "s", buf, sizeof buf, nullptr), 0);
    EXPECT_STREQ(buf, "При");
    std::string whole;
    EXPECT_EQ(regReadString(&reg, "s", whole, nullptr), 0);
    EXPECT_EQ(whole, "Привет, мир");

    TStringList list{"один", "two", ""};
    EXPECT_EQ(regWriteStringList(&reg, "lst", &list), 0);
    TStringList back;
    EXPECT_EQ(regReadStringList(&reg, "lst", &back), 0);
    EXPECT_EQ(items(&back), items(&list));
    int32_t v = 0;
    EXPECT_EQ(regReadInt(&reg, "lst_Count", &v, -1), 0);
    EXPECT_EQ(v, 3);
    EXPECT_TRUE(existRegistryEntry(&reg, "lst_Value_0"));
    EXPECT_EQ(regReadInt(&reg, "none", &v, 7), -1);
    EXPECT_EQ(v, 7);
}

TEST(HistoryEdit, AddsNewestFirstWithinTheLimit) {
    HistForm h("order", 3);
    for (const char* t : {"a", "b", "c"}) h.edit->AddHistoryStr(t);
    EXPECT_EQ(items(h.edit->History()), (std::vector<String>{"c", "b", "a"}));
    h.edit->AddHistoryStr("d");
    EXPECT_EQ(items(h.edit->History()), (std::vector<String>{"d", "c", "b"}));
    // Same text but for case (Cyrillic too): the old spelling goes, the new one leads.
    h.edit->AddHistoryStr("Москва");
    h.edit->AddHistoryStr("x");
    h.edit->AddHistoryStr("МОСКВА");
    EXPECT_EQ(items(h.edit->History()), (std::vector<String>{"МОСКВА", "x", "d"}));
    // Blank texts are never added.
    h.edit->AddHistoryStr("");
    h.edit->AddHistoryStr("   ");
    EXPECT_EQ(h.edit->History()->Count(), 3);
    EXPECT_EQ(readValue("order"), "МОСКВА\r\nx\r\nd\r\n");
    // Zero switches the history off.
    h.edit->setMaxHCount(0);
    h.edit->AddHistoryStr("y");
    EXPECT_EQ(h.edit->History()->Count(), 3);
}

TEST(HistoryEdit, PersistsAcrossARecreatedControl) {
    {
        HistForm h("persist");
        h.edit->SetHText("первый");
        h.edit->SetHText("second");
        EXPECT_EQ(h.edit->GetHText(), "second");
    }
    HistForm h2("persist");
    EXPECT_EQ(items(h2.edit->History()), (std::vector<String>{"second", "первый"}));
    EXPECT_EQ(items(h2.edit->Items()), (std::vector<String>{"second", "первый"}));
    // Defaults when nothing is set: the form's key and the edit's name.
    EnsureApplication();
    auto* f = CreateComponent<TForm>(Application);
    f->SetName("F");
    auto* e = new THistoryEdit(f);
    e->SetName("hedt1");
    e->SetParent(f);
    e->SetSaveHistory(true);
    EXPECT_EQ(e->RegInfo()->Key(), "Software\\Zoren\\F");
    EXPECT_EQ(e->RegInfo()->ValueName(), "hedt1");
    EXPECT_EQ(e->RegInfo()->RootKey(), hkCURRENT_USER);
    EXPECT_EQ(mkRootKey(hkCURRENT_USER), HKEY(0x80000001u));
    EXPECT_EQ(GetPropValue(e->RegInfo(), "RootKey"), "hkCURRENT_USER");
    f->Free();
}

TEST(HistoryEdit, LongStoredHistorySurvivesARoundTrip) {
    // Far more than the old 16383-character read limit.
    TStringList stored;
    for (int i = 0; i < 1500; ++i) stored.Add(TCString::format("запись номер %04d с текстом", i).str());
    writeValue("long", stored.Text());
    ASSERT_GT(stored.Text().size(), 60000u);
    {
        HistForm h("long", 5000);
        ASSERT_EQ(h.edit->History()->Count(), 1500);
        EXPECT_EQ(h.edit->History()->Get(1499), stored.Get(1499));
        h.edit->AddHistoryStr("новая");
    }
    HistForm h2("long", 5000);
    ASSERT_EQ(h2.edit->History()->Count(), 1501);
    EXPECT_EQ(h2.edit->History()->Get(0), "новая");
    EXPECT_EQ(h2.edit->History()->Get(1500), stored.Get(1499));
}

TEST(HistoryEdit, LoadedHistoryOverTheLimitLosesOneEntryPerAddition) {
    TStringList stored;
    for (int i = 0; i < 30; ++i) stored.Add("e" + std::to_string(i));
    writeValue("over", stored.Text());
    HistForm h("over", 20);
    ASSERT_EQ(h.edit->History()->Count(), 30);
    h.edit->AddHistoryStr("new");
    EXPECT_EQ(h.edit->History()->Count(), 30);
    EXPECT_EQ(h.edit->History()->Get(0), "new");
    EXPECT_EQ(h.edit->History()->IndexOf("e19"), -1);
    EXPECT_EQ(h.edit->History()->Get(29), "e29");
}

TEST(HistoryEdit, CurrentValueIsKeptAndAMissingOneLeavesTheText) {
    {
        HistForm h("val", 20, true);
        h.edit->SetHText("значение");
    }
    EXPECT_EQ(readValue("val_value"), "значение");
    {
        HistForm h("val", 20, true);
        EXPECT_EQ(h.edit->GetText(), "значение");
    }
    // No stored "_value": focusing keeps what the field shows.
    HistForm h2("novalue", 20, true);
    h2.edit->SetText("typed");
    h2.edit->Load();
    EXPECT_EQ(h2.edit->GetText(), "typed");
}

TEST(HistoryEdit, FailedSaveIsTriedAgain) {
    HistForm h("retry");
    h.edit->RegInfo()->SetKey("");
    h.edit->AddHistoryStr("kept");
    EXPECT_TRUE(h.edit->HistoryModified());
    EXPECT_FALSE(h.edit->Save());
    h.edit->RegInfo()->SetKey(kKey);
    EXPECT_TRUE(h.edit->Save());
    EXPECT_FALSE(h.edit->HistoryModified());
    EXPECT_EQ(readValue("retry"), "kept\r\n");
}

TEST(HistoryEdit, TypedTextIsAddedTrimmedOnExit) {
    HistForm h("typed");
    h.form->Show();
    h.edit->SetFocus();
    int changes = 0;
    h.edit->OnChange = [&](TObject*) { ++changes; };
    const String typed = "  typed text  ";
    SendText(h.edit, typed);
    EXPECT_EQ(changes, static_cast<int>(typed.size()));
    EXPECT_EQ(h.edit->CurrentText(), "typed text");
    // Text set by code is not a change: the typed text stays the one to keep.
    h.edit->SetText("set by code");
    h.edit->DoExit();
    EXPECT_EQ(items(h.edit->History()), (std::vector<String>{"typed text"}));
    // Through SetHText the text is kept as given.
    h.edit->SetHText(" as given ");
    EXPECT_EQ(items(h.edit->History()), (std::vector<String>{" as given ", "typed text"}));
    // Cleared history and a field the user emptied: nothing is written, the stored history returns.
    h.edit->ClearHistory();
    h.edit->SetFocus();
    for (size_t i = 0, n = h.edit->GetText().size(); i <= n; ++i) SendKey(h.edit, VK_BACK);
    ASSERT_EQ(h.edit->GetText(), "");
    EXPECT_EQ(h.edit->CurrentText(), "");
    h.edit->DoExit();
    EXPECT_EQ(readValue("typed"), " as given \r\ntyped text\r\n");
    h.edit->Load();
    EXPECT_EQ(items(h.edit->Items()), (std::vector<String>{" as given ", "typed text"}));
}

}  // namespace
