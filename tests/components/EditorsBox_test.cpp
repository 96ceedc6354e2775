#include <gtest/gtest.h>

#include <QPixmap>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "components/CDescriptedFlagsBox.h"
#include "components/CEditorsBox.h"
#include "components/CFileNameEdit.h"
#include "components/CNumberEdit.h"
#include "components/CheckBoxes.h"
#include "components/OidEdit.h"
#include "components/UXDateTime.h"
#include "platform/core/config/FlagDescriptors.h"
#include "platform/core/config/XmlNode.h"
#include "platform/framework/Forms.h"
#include "platform/framework/TRegistry.h"
#include "platform/runtime/Log.h"

#include "CompoundFixture.h"

namespace {

std::vector<std::string> gEvents;
void catchEvent(int32_t, const char* text) { gEvents.push_back(text); }

struct EditorsBoxTest : ::testing::Test {
    TForm* form = nullptr;
    TCEditorsBox* box = nullptr;
    std::unique_ptr<TCXEditsEntry> root;
    void SetUp() override {
        EnsureApplication();
        clearFBDescriptors();
        const char* xml =
            "<flagDescriptors>"
            "<en type='enum'><item caption='Первый' val='0x1'/><item caption='Второй' val='0x2'/></en>"
            "<ku type='set'><item name='digitalSignature' caption='Подпись' val='0x80'/>"
            "<item name='keyAgreement' caption='Согласование' val='0x8'/></ku>"
            "<fl type='flags'><item caption='А' val='0x80'/><item caption='Б' val='0x20'/></fl>"
            "</flagDescriptors>";
        TCXMLNodeParser p(true);
        ASSERT_EQ(p.loadText(xml, strlen(xml)), 0u);
        std::unique_ptr<TCXMLNode> r(p.detachRoot());
        ASSERT_EQ(addXMLFBDescriptors(r.get()), 3);
        form = CreateComponent<TForm>(Application);
        form->SetBounds(100, 100, 420, 320);
        box = add<TCEditorsBox>(form, form, "box");
        box->SetBounds(5, 5, 400, 300);
        root = std::make_unique<TCXEditsEntry>("owner", xvtString, "Владелец");
        root->makeSubEntries();
    }
    void TearDown() override {
        box->Reset();
        form->Free();
        clearFBDescriptors();
        TRegistry reg;
        reg.DeleteKey("software\\zoren\\X509Editors");
    }
    TCXEditsEntry* field(const char* name, TCEditsEntryType type, const char* value = "") {
        auto* e = new TCXEditsEntry(name, type, name, value);
        root->addSubEntry(e);
        return e;
    }
    // One field of every value type, in the order of the types.
    void everyType() {
        field("CN", xvtString, "Иванов");
        field("ok", xvtBool, "TRUE");
        field("num", xvtInt, "42");
        field("d", xvtDate, "20240306000000");
        field("dt", xvtDateTime, "20240306153000");
        field("bin", xvtBinary, "/tmp/key.bin");
        field("oid", xvtObject, "1.2.643.3.131");
        field("en", xvtEnum, "0x2");
        field("ku", xvtSet, "");
        field("none", xvtNone, "x");
        field("t", xvtTime, "093000");
        field("fl", xvtFlags, "0xA0");
        field("bf", xvtBinFile, "file");
        field("aux", xvtAuxiliary, "aux");
        field("simple", xvtSimple, "simple");
    }
};

TEST_F(EditorsBoxTest, EveryTypeGetsItsEditor) {
    everyType();
    box->setEntry(root.get());
    struct {
        const char* name;
        const char* cls;
    } table[] = {{"CN", "TCompoundHistoryEdit"},
                 {"ok", "TCBoolBox"},
                 {"num", "TCNumberEdit"},
                 {"d", "TUXDateTimePicker"},
                 {"dt", "TUXDatetimeEditor"},
                 {"bin", "TCFileNameEdit"},
                 {"oid", "TCOIDEdit"},
                 {"en", "TCDescriptedFlagsBox"},
                 {"ku", "TCDescriptedFlagsBox"},
                 {"t", "TUXDateTimePicker"},
                 {"fl", "TCDescriptedFlagsBox"},
                 {"bf", "TCompoundHistoryEdit"},
                 {"aux", "TCompoundHistoryEdit"},
                 {"simple", "TCompoundHistoryEdit"}};
    ASSERT_EQ(box->GetEditorCount(), int(std::size(table)));
    EXPECT_EQ(box->ControlCount(), 2 * box->GetEditorCount());  // xvtNone: no editor, no label
    EXPECT_EQ(box->editorByName("none"), nullptr);
    for (int i = 0; i < box->GetEditorCount(); ++i) {
        TCompoundEdit* e = box->GetControls(i);
        EXPECT_EQ(e->ClassName(), table[i].cls) << table[i].name;
        EXPECT_EQ(e->Name(), table[i].name);
        EXPECT_EQ(box->editorByName(table[i].name), e);
        EXPECT_EQ(box->entryOfEditor(e), box->entryAt(i));
        EXPECT_EQ(box->editorOfEntry(box->entryAt(i)), e);
        EXPECT_EQ(box->GetLabel(i)->FocusControl(), e);
    }
    EXPECT_EQ(box->entryAt(-1), nullptr);
    EXPECT_EQ(box->entryAt(99), nullptr);
    auto* cn = dynamic_cast<TCompoundHistoryEdit*>(box->editorByName("cn"));  // names ignore case
    ASSERT_NE(cn, nullptr);
    EXPECT_TRUE(cn->SaveHistory());
    EXPECT_EQ(cn->MaxHistCount(), 40);
    EXPECT_EQ(cn->RowsVisible(), 5);
    EXPECT_TRUE(cn->LoadOnFocus());
    EXPECT_EQ(cn->RegInfo()->Key(), "software\\zoren\\X509Editors\\CN");
    EXPECT_EQ(cn->RegInfo()->ValueName(), "CN");
    EXPECT_EQ(static_cast<TCDescriptedFlagsBox*>(box->editorByName("en"))->ListType(), clsSingleSelection);
    EXPECT_TRUE(static_cast<TCDescriptedFlagsBox*>(box->editorByName("ku"))->ConvertValue());
    EXPECT_FALSE(static_cast<TCDescriptedFlagsBox*>(box->editorByName("fl"))->ConvertValue());
    EXPECT_EQ(static_cast<TCDescriptedFlagsBox*>(box->editorByName("fl"))->Items()->Count(), 2);
    auto* d = static_cast<TUXDateTimePicker*>(box->editorByName("d"));
    EXPECT_TRUE(d->AutoGrayed());
    EXPECT_EQ(static_cast<TUXDateTimePicker*>(box->editorByName("t"))->GetKind(), dtkTime);

    // A name with '\' makes no nested key; an empty name keeps no history.
    EXPECT_EQ(editorHistoryKey("ext\\usage"), "software\\zoren\\X509Editors\\ext_usage");
    auto* plain = dynamic_cast<TCompoundHistoryEdit*>(createCEditor(form, xvtString, ""));
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->SaveHistory());
    EXPECT_EQ(createCEditor(form, xvtNone, "n"), nullptr);
    EXPECT_EQ(createCEditor(form, TCEditsEntryType(-1), "n"), nullptr);

    // A picture of the box for a look, when asked for.
    if (const char* dir = std::getenv("ZRX_TEST_SNAPSHOTS")) {
        form->Show();
        Application->ProcessMessages();
        std::filesystem::create_directories(dir);
        box->Handle()->grab().save(QString::fromStdString((std::filesystem::path(dir) / "editors-box.png").string()));
    }
}

TEST_F(EditorsBoxTest, ValuesRoundTripThroughEveryEditor) {
    everyType();
    box->setEntry(root.get());
    // The set box speaks its own text form: take it from the editor.
    auto* ku = static_cast<TCDescriptedFlagsBox*>(box->editorByName("ku"));
    ku->SetChecked(0x88);
    String kuText = ku->getTextValue();
    ASSERT_FALSE(kuText.empty());
    ASSERT_TRUE(box->getValues());
    TCXEditsList* list = root->getSubEntries();
    struct {
        const char* name;
        const char* value;
    } want[] = {{"CN", "Иванов"},
                {"ok", "TRUE"},
                {"num", "42"},
                {"d", "20240306000000"},
                {"dt", "20240306153000"},
                {"bin", "/tmp/key.bin"},
                {"oid", "1.2.643.3.131"},
                {"en", "0x2"},
                {"t", "093000"},
                {"fl", "0xA0"},
                {"bf", "file"},
                {"aux", "aux"},
                {"simple", "simple"}};
    for (auto& w : want) EXPECT_EQ(list->findByName(w.name)->getValue().str(), w.value) << w.name;
    EXPECT_EQ(list->findByName("ku")->getValue().str(), kuText);
    EXPECT_EQ(list->findByName("none")->getValue().str(), "x");  // no row: untouched

    // New values in the entries reach the editors and come back unchanged.
    struct {
        const char* name;
        const char* value;
    } next[] = {{"CN", "Петров"},         {"ok", "FALSE"}, {"num", "-7"},   {"d", "20410101000000"},
                {"dt", "20410101235958"}, {"en", "0x1"},   {"t", "003000"}, {"fl", "0x20"}};
    for (auto& n : next) list->findByName(n.name)->setValue(n.value);
    list->findByName("ku")->setValue("");
    box->setEntry(root.get());  // the same entry: the editors are refilled
    EXPECT_EQ(ku->GetChecked(), 0u);
    ASSERT_TRUE(box->getValues());
    for (auto& n : next) EXPECT_EQ(list->findByName(n.name)->getValue().str(), n.value) << n.name;

    String v;
    EXPECT_TRUE(box->getValue("num", v));
    EXPECT_EQ(v, "-7");
    EXPECT_TRUE(box->setValue("num", "12"));
    EXPECT_FALSE(box->setValue("d", "20241301000000"));  // the editor's answer
    EXPECT_FALSE(box->setValue("none", "1"));
    EXPECT_FALSE(box->getValue("none", v));
}

TEST_F(EditorsBoxTest, RowGeometryWithAndWithoutScrollBar) {
    for (int rows : {3, 30}) {
        root = std::make_unique<TCXEditsEntry>("owner", xvtString, "Владелец");
        root->makeSubEntries();
        for (int i = 0; i < rows; ++i) {
            String name = "f" + std::to_string(i);
            auto* e = field(name.c_str(), i % 3 == 1 ? xvtDate : xvtString);
            if (i == 1) e->setCaption("Очень длинная подпись поля, которая не помещается в одну строку");
        }
        box->setEntry(root.get());
        EXPECT_EQ(box->VertScrollBarVisible(), rows == 30);
        int widest = 0;
        for (int i = 0; i < rows; ++i) widest = std::max(widest, box->GetLabel(i)->Width());
        for (int i = 0; i < rows; ++i) {
            TCompoundEdit* e = box->GetControls(i);
            TLabel* l = box->GetLabel(i);
            int top = i == 0 ? 2 : box->GetControls(i - 1)->Top() + box->GetControls(i - 1)->Height() + 5;
            EXPECT_EQ(l->Top(), top + 2) << rows << " " << i;
            if (i == 1) {
                // The long caption wraps: the editor's bottom meets the label's.
                EXPECT_GT(l->Height(), e->Height());
                EXPECT_EQ(e->Top() + e->Height(), l->Top() + l->Height() - 1);
            } else {
                EXPECT_EQ(e->Top(), top) << rows << " " << i;
            }
            EXPECT_EQ(l->Left(), 2);
            EXPECT_GE(e->Left(), widest + 4);
            EXPECT_EQ(e->Left() + e->Width(), box->ClientWidth() - 2) << rows;
            EXPECT_TRUE(e->Anchors() & akSet(akRight));
        }
        if (const char* dir = std::getenv("ZRX_TEST_SNAPSHOTS")) {
            form->Show();
            Application->ProcessMessages();
            std::filesystem::create_directories(dir);
            String file = "editors-box-" + std::to_string(rows) + ".png";
            box->Handle()->grab().save(QString::fromStdString((std::filesystem::path(dir) / file).string()));
        }
        box->setEntry(nullptr);
    }
}

TEST_F(EditorsBoxTest, CreationEventsMayVetoOrChangeRows) {
    everyType();
    box->OnBeforeCreateEditor = [](TObject*, TCEditsEntryType& type, String& name, String& caption, String&) {
        if (name == "num") return false;
        if (name == "CN") caption = "Фамилия";
        if (name == "aux") type = xvtInt;
        return true;
    };
    std::vector<String> created;
    box->OnCreateEditor = [&](TObject*, TCompoundEdit* e, TCEditsEntryType, String name, String&, String&) {
        created.push_back(name);
        return !dynamic_cast<TCFileNameEdit*>(e);
    };
    box->setEntry(root.get());
    EXPECT_EQ(box->editorByName("num"), nullptr);
    EXPECT_EQ(box->editorByName("bin"), nullptr);
    EXPECT_EQ(box->ControlCount(), 2 * box->GetEditorCount());  // the vetoed editor is gone
    EXPECT_EQ(box->GetEditorCount(), 12);
    EXPECT_EQ(created.size(), 13u);
    EXPECT_EQ(box->GetLabel(0)->Caption(), "Фамилия:");
    EXPECT_EQ(box->editorByName("aux")->ClassName(), "TCNumberEdit");
    // Rows that exist are read back; the absent ones are left as they were.
    EXPECT_TRUE(box->getValues());
    EXPECT_EQ(root->getSubEntries()->findByName("num")->getValue().str(), "42");
}

TEST_F(EditorsBoxTest, CompoundSetEntryIsEditedInOneRow) {
    auto* ku = new TCXEditsEntry("ku", xvtSet, "Использование ключа", "");
    ku->addSubEntry(new TCXEditsEntry("digitalSignature", xvtBool, nullptr, "FALSE"));
    box->setEntry(ku);
    ASSERT_EQ(box->GetEditorCount(), 1);
    auto* fb = static_cast<TCDescriptedFlagsBox*>(box->GetControls(0));
    fb->SetChecked(0x80);
    String text = fb->getTextValue();
    EXPECT_TRUE(box->getValues());
    EXPECT_EQ(ku->getValue().str(), text);
    fb->SetChecked(0);
    box->setValues();
    EXPECT_EQ(fb->GetChecked(), 0x80u);
    box->Reset();
    delete ku;
}

TEST_F(EditorsBoxTest, ReadOnlyAndDebugModeEnabling) {
    field("a", xvtString, "1");
    field("b", xvtInt, "2")->setEnabled(false);
    box->setEntry(root.get());
    EXPECT_TRUE(box->GetControls(0)->Enabled());
    EXPECT_FALSE(box->GetControls(1)->Enabled());
    box->SetReadOnly(true);
    EXPECT_FALSE(box->GetControls(0)->Enabled());
    EXPECT_FALSE(box->GetControls(1)->Enabled());
    box->SetReadOnly(false);
    EXPECT_TRUE(box->GetControls(0)->Enabled());
    EXPECT_FALSE(box->GetControls(1)->Enabled());
    // Read-only from the start: new rows come disabled.
    box->SetReadOnly(true);
    box->setEntry(nullptr);
    box->setEntry(root.get());
    EXPECT_FALSE(box->GetControls(0)->Enabled());
    box->SetReadOnly(false);
    box->setEntry(nullptr);
    box->SetDebugMode(true);
    box->setEntry(root.get());
    EXPECT_TRUE(box->GetControls(1)->Enabled());
    EXPECT_FALSE(box->GetLabel(1)->Enabled());
}

TEST_F(EditorsBoxTest, ThrowingFieldIsLoggedAndTheOthersRead) {
    field("a", xvtString, "1");
    field("num", xvtInt, "2");
    field("c", xvtString, "3");
    box->setEntry(root.get());
    box->editorByName("a")->SetText("11");
    box->editorByName("c")->SetText("33");
    box->OnGetEditorValue = [](TObject*, TCompoundEdit* e, String&) -> bool {
        if (e->Name() == "num") throw Exception("broken");
        return true;
    };
    gEvents.clear();
    TCSLogOutFunc old = csSetLogOutFunc(catchEvent);
    EXPECT_FALSE(box->getValues());
    csSetLogOutFunc(old);
    ASSERT_EQ(gEvents.size(), 1u);
    EXPECT_EQ(gEvents[0], "Ошибка получения значения поля 'num', listCount = 3, index = 1");
    EXPECT_EQ(root->getSubEntries()->findByName("a")->getValue().str(), "11");
    EXPECT_EQ(root->getSubEntries()->findByName("c")->getValue().str(), "33");

    // Moving to another entry reports the failed write-back.
    TCXEditsEntry other("other", xvtString, "Другое");
    other.makeSubEntries();
    EXPECT_FALSE(box->setEntryEx(&other, true));
    box->OnGetEditorValue = nullptr;
    EXPECT_TRUE(box->setEntryEx(root.get(), true));
    box->Reset();
    EXPECT_TRUE(box->getValues());  // no entry
}

TEST_F(EditorsBoxTest, LabelClickTogglesDateAndRequiredFields) {
    auto* name = field("CN", xvtString, "");
    name->setCanEmpty(false);
    name->setLongName("Общее имя");
    field("d", xvtDate, "");
    box->setEntry(root.get());
    EXPECT_EQ(box->GetLabel(0)->Caption(), String(name->longName_nf().str()) + ":");
    EXPECT_EQ(box->haseNotFilled(), box->GetControls(0));
    box->setValue("CN", "Иванов");
    EXPECT_EQ(box->haseNotFilled(), nullptr);

    auto* d = static_cast<TUXDateTimePicker*>(box->GetControls(1));
    TLabel* l = box->GetLabel(1);
    EXPECT_TRUE(d->Grayed());  // an empty date starts grayed
    EXPECT_EQ(l->Font()->Color(), TColor(0x808080));
    l->Click();
    EXPECT_FALSE(d->Grayed());
    EXPECT_EQ(l->Font()->Color(), clBtnText);
    EXPECT_FALSE(d->getTextValue().empty());
    l->Click();
    EXPECT_TRUE(d->Grayed());
    EXPECT_TRUE(box->getValues());
    EXPECT_EQ(root->getSubEntries()->findByName("d")->getValue().str(), "");
}

TEST_F(EditorsBoxTest, HistoryPrefixMovesTheHistory) {
    auto* e = field("CN", xvtString, "");
    box->SetHistoryPrefix("req");
    box->setEntry(root.get());
    auto* h = static_cast<TCompoundHistoryEdit*>(box->GetControls(0));
    EXPECT_EQ(h->RegInfo()->ValueName(), "req_CN");
    box->setEntry(nullptr);
    e->setOptionFlags(1);
    box->setEntry(root.get());
    EXPECT_FALSE(static_cast<TCompoundHistoryEdit*>(box->GetControls(0))->SaveHistory());
}

}  // namespace
