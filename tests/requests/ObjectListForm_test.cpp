// The user object list window and its object and base-identifier dialogs,
// offscreen, on real list files in temporary folders, driven through the
// modal hook.
#include <gtest/gtest.h>
#include <openssl/objects.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/core/x509/XObjects.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/TRegistry.h"
#include "platform/runtime/FileUtils.h"
#include "requests/ObjectEditDialogs.h"
#include "requests/ObjectIdList.h"
#include "requests/ObjectListForm.h"
#include "requests/SelectUserObject.h"
#include "support/TempDir.h"

// Qt last (pictures).
#include "support/ToolBarPictures.h"

namespace {

// Each case numbers its objects under its own arc: objects registered with
// the library stay registered for the whole process.
std::string listText(const std::string& base, const std::string& objects) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<objects oid=\"" + base + "\">\n" + objects + "</objects>\n";
}

class ObjectListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        previous_ = SetModalHook([this](TObject* w) { return answer(w); });
    }
    void TearDown() override {
        SetModalHook(previous_);
        resetUserOIDsList();
        TRegistry().DeleteKey("Software\\Zoren\\EditObjectForm");
    }

    // Message dialogs are recorded and answered with messageAnswer; other
    // windows go to the script (none: cancelled).
    int answer(TObject* w) {
        if (auto* f = dynamic_cast<TCustomForm*>(w))
            if (auto* l = dynamic_cast<TControl*>(f->FindComponent("Message"))) {
                messages.push_back(l->Caption());
                return messageAnswer;
            }
        return script ? script(w) : int(mrCancel);
    }
    // The program's list loaded from a new file holding the objects.
    std::string loadList(const std::string& base, const std::string& objects) {
        const std::string file = dir_.file("ZrX509_objects.oids");
        zrxtest::writeFile(file, listText(base, objects));
        EXPECT_EQ(0, userOIDsList().load(file.c_str(), true));
        return file;
    }
    // The list window set up on the program's list (freed with the case).
    TEditObjListForm* listWindow(bool selectMode, bool editMode) {
        auto* f = CreateComponent<TEditObjListForm>(Application);
        forms_.push_back(f);
        EXPECT_TRUE(f->setup(selectMode, editMode));
        return f;
    }
    // The file as a fresh list reads it.
    static std::vector<std::string> fileObjects(const std::string& file, std::string* base = nullptr) {
        TZrXOIDsList l;
        EXPECT_EQ(0, l.load(file.c_str(), false));
        std::vector<std::string> out;
        for (int i = 0; i < l.count(); ++i)
            out.push_back(l.at(i)->oid().str() + " " + l.at(i)->shortName().str() + " " + l.at(i)->longName().str());
        if (base) *base = l.baseOID() ? l.baseOID()->str() : "";
        return out;
    }
    static std::string row(TEditObjListForm* f, int i) {
        TListItem* item = f->CAlv1->Items()->Item(i);
        std::string s = item->Caption();
        for (int k = 0; k < item->SubItems()->Count(); ++k) s += "|" + item->SubItems()->Get(k);
        return s;
    }
    // Clicks OK of a dialog and answers its modal result.
    static int clickOk(TButton* ok, TCustomForm* form) {
        ok->Click();
        return form->ModalResult();
    }
    void freeForms() {
        for (TEditObjListForm* f : forms_) f->Free();
        forms_.clear();
    }
    ~ObjectListTest() override { freeForms(); }

    zrxtest::TempDir dir_;
    std::function<int(TObject*)> script;
    std::vector<std::string> messages;
    int messageAnswer = mrOk;

private:
    TModalHook previous_;
    std::vector<TEditObjListForm*> forms_;
};

// A first opening asks for the file, registers its objects, shows one row
// per element and hands back the chosen object's extension format.
TEST_F(ObjectListTest, SelectModeShowsTheFileAndReturnsTheChosenFormat) {
    const std::string file = dir_.file("objects.oids");
    zrxtest::writeFile(
        file, listText("1.3.6.1.4.1.99995.1",
                       "<olfFirst ln=\"Перший\" oid=\"1.3.6.1.4.1.99995.1.1\" valtype=\"string\" critical=\"Yes\"/>\n"
                       "<olfSecond ln=\"Другий\" oid=\"1.3.6.1.4.1.99995.1.2\" ekuValue=\"3\"/>\n"
                       "<olfNoOid ln=\"Без ідентифікатора\"/>\n"));
    int fileQuestions = 0, chosenRow = 1;
    std::vector<std::string> rows;
    std::vector<int> images;
    script = [&](TObject* w) -> int {
        if (auto* d = dynamic_cast<TOpenDialog*>(w)) {
            ++fileQuestions;
            EXPECT_EQ("Укажите расположение списка описателей", d->Title());
            EXPECT_EQ("oids", d->DefaultExt());
            d->SetFileName(file);
            return mrOk;
        }
        auto* f = dynamic_cast<TEditObjListForm*>(w);
        if (!f) return mrCancel;
        EXPECT_EQ("Список нестандартных расширений", f->Caption());
        rows.clear();
        images.clear();
        for (int i = 0; i < f->CAlv1->Items()->Count(); ++i) {
            rows.push_back(row(f, i));
            images.push_back(f->CAlv1->Items()->Item(i)->ImageIndex());
        }
        // Select mode alone: choosing, no editing.
        EXPECT_TRUE(f->actOK->Visible());
        EXPECT_TRUE(f->N3->Visible());
        EXPECT_FALSE(f->actCreate->Visible());
        EXPECT_FALSE(f->actSetPfx->Visible());
        f->actOKUpdate(nullptr);
        EXPECT_FALSE(f->actOK->Enabled());
        if (chosenRow < 0) return mrOk;  // "Выбрать" with nothing chosen
        f->CAlv1->SetSelected(f->CAlv1->Items()->Item(chosenRow));
        f->actOKUpdate(nullptr);
        EXPECT_TRUE(f->actOK->Enabled());
        f->actOKExecute(nullptr);
        return f->ModalResult();
    };
    TCString format;
    ASSERT_TRUE(selectUserObject(&format, false));
    EXPECT_EQ(1, fileQuestions);
    EXPECT_EQ(userOIDsList().findByShortName("olfSecond")->extensionFormat(), format);
    EXPECT_EQ(0u, format.str().rfind("olfSecond?", 0));
    EXPECT_EQ(std::vector<std::string>({"1.3.6.1.4.1.99995.1.1|olfFirst|Перший|string",
                                        "1.3.6.1.4.1.99995.1.2|olfSecond|Другий|", "|olfNoOid|Без ідентифікатора|"}),
              rows);
    EXPECT_EQ(std::vector<int>({15, -1, -1}), images);
    // Loading registered the valid objects with their formats.
    EXPECT_NE(NID_undef, OBJ_sn2nid("olfFirst"));
    EXPECT_EQ("!olfFirst?string|Перший:", findExtensionFormat("olfFirst").str());
    EXPECT_EQ(NID_undef, OBJ_sn2nid("olfNoOid"));

    // The list stays loaded: no second question for the file.
    chosenRow = 0;
    ASSERT_TRUE(selectUserObject(&format, false));
    EXPECT_EQ("!olfFirst?string|Перший:", format.str());
    EXPECT_EQ(1, fileQuestions);
    // "Выбрать" without a chosen row and cancelling both answer false and leave the text.
    chosenRow = -1;
    EXPECT_FALSE(selectUserObject(&format, false));
    script = [](TObject* w) { return dynamic_cast<TEditObjListForm*>(w) ? int(mrCancel) : int(mrOk); };
    EXPECT_FALSE(selectUserObject(&format, false));
    EXPECT_EQ("!olfFirst?string|Перший:", format.str());
    EXPECT_TRUE(messages.empty());
}

TEST_F(ObjectListTest, ModesShowTheirCommands) {
    loadList("1.3.6.1.4.1.99995.2", "<olmOne ln=\"Один\" oid=\"1.3.6.1.4.1.99995.2.1\"/>\n");
    const struct { bool select, edit; } cases[] = {{true, false}, {false, true}, {true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.select) + "," + std::to_string(c.edit));
        TEditObjListForm* f = listWindow(c.select, c.edit);
        for (TAction* a : {f->actOK, f->actCancel}) EXPECT_EQ(c.select, a->Visible());
        EXPECT_EQ(c.select, f->btn6->Visible());
        EXPECT_EQ(c.select, f->N3->Visible());
        for (TAction* a : {f->actCreate, f->actEdit, f->actDelete, f->actSetPfx}) EXPECT_EQ(c.edit, a->Visible());
        EXPECT_EQ(c.edit, f->btn1->Visible());
        EXPECT_EQ(c.edit, f->btn2->Visible());
        EXPECT_TRUE(f->actFind->Visible());
        EXPECT_EQ(1, f->CAlv1->Items()->Count());
        // Every command the bar shows has its picture ("Отменить",
        // "Предыдущий" and "Следующий" too).
        zrxtest::expectEveryButtonPictured(f->tlb1);
    }
}

// Cancelling the file question, a damaged file and a refused base
// identifier each keep the window closed; a missing file starts an empty
// list that the base identifier creates.
TEST_F(ObjectListTest, SetupDegradations) {
    int listWindows = 0;
    auto countLists = [&](TObject* w) -> int {
        if (dynamic_cast<TEditObjListForm*>(w)) ++listWindows;
        return mrCancel;
    };
    script = countLists;  // the file question is cancelled
    EXPECT_FALSE(selectUserObject(nullptr, true));
    EXPECT_TRUE(userOIDsList().fileName().isEmpty());

    const std::string damaged = dir_.file("damaged.oids");
    zrxtest::writeFile(damaged, "<objects oid=\"1.2\"><broken");
    userOIDsList().setFileName(damaged.c_str());
    EXPECT_FALSE(selectUserObject(nullptr, true));
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].rfind("Загрузка списка описателей объектов. ", 0)) << messages[0];
    EXPECT_NE(std::string::npos, messages[0].find("damaged.oids")) << messages[0];
    EXPECT_EQ('!', messages[0].back());
    EXPECT_EQ("<objects oid=\"1.2\"><broken", zrxtest::readFile(damaged));  // never overwritten

    // A missing file: the base identifier is asked; cancelling it keeps the window closed.
    messages.clear();
    const std::string missing = dir_.file("new.oids");
    userOIDsList().setFileName(missing.c_str());
    int baseQuestions = 0;
    std::string typedBase = "5.1";  // the first arc is 0 to 2: refused
    script = [&](TObject* w) -> int {
        if (auto* b = dynamic_cast<TEditBaseOIDForm*>(w)) {
            ++baseQuestions;
            EXPECT_EQ("", b->oidedt1->getTextValue());
            b->oidedt1->setTextValue(typedBase);
            const int r = clickOk(b->Button1, b);
            if (r == mrNone) {
                EXPECT_EQ(b->oidedt1, b->ActiveControl());
            }
            return r == mrNone ? int(mrCancel) : r;
        }
        return countLists(w);
    };
    EXPECT_FALSE(selectUserObject(nullptr, true));
    EXPECT_EQ(std::vector<std::string>{"Поле заполнено некорректно!"}, messages);
    EXPECT_FALSE(fileExists(missing.c_str()));
    typedBase = "1.3.6.1.4.1.99995.3";
    EXPECT_FALSE(selectUserObject(nullptr, true));  // the window was shown and cancelled
    EXPECT_EQ(2, baseQuestions);
    EXPECT_EQ(1, listWindows);
    std::string base;
    EXPECT_TRUE(fileObjects(missing, &base).empty());
    EXPECT_EQ("1.3.6.1.4.1.99995.3", base);
}

// Only a file whose root is an object list opens; confirming its base
// identifier never rewrites another kind of file.
TEST_F(ObjectListTest, AFileThatIsNoObjectListIsRefused) {
    const std::string kinds[] = {
        "<?xml version=\"1.0\"?>\n<config><olmX ln=\"Ікс\" oid=\"1.3.6.1.4.1.99995.11.1\"/></config>\n",
        "<Objects/>\n",
        "<zrxConfig version=\"1\"><core/></zrxConfig>\n",
    };
    for (const std::string& text : kinds) {
        SCOPED_TRACE(text);
        resetUserOIDsList();
        messages.clear();
        const std::string file = dir_.file("other.xcfg");
        zrxtest::writeFile(file, text);
        userOIDsList().setFileName(file.c_str());
        script = [](TObject* w) -> int {
            if (auto* b = dynamic_cast<TEditBaseOIDForm*>(w)) {
                b->oidedt1->setTextValue("1.3.6.1.4.1.99995.11");
                return clickOk(b->Button1, b);
            }
            return mrCancel;
        };
        EXPECT_FALSE(selectUserObject(nullptr, true));
        ASSERT_EQ(1u, messages.size());
        EXPECT_EQ(0u, messages[0].rfind("Загрузка списка описателей объектов. ", 0)) << messages[0];
        EXPECT_NE(std::string::npos, messages[0].find("не является списком описателей объектов")) << messages[0];
        EXPECT_EQ(text, zrxtest::readFile(file));
        EXPECT_EQ(0, userOIDsList().count());
    }
}

// Confirming the base identifier and adding an object keep the file's
// comments.
TEST_F(ObjectListTest, SavesKeepTheFilesComments) {
    const std::string file = dir_.file("ZrX509_objects.oids");
    zrxtest::writeFile(file,
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- Об'єкти відділу -->\n<objects>\n"
                       "  <!-- перший об'єкт -->\n  <olcOne ln=\"Коментований один\" oid=\"1.3.6.1.4.1.99995.12.1\"/>\n"
                       "  <!-- нові додавати нижче -->\n</objects>\n");
    userOIDsList().setFileName(file.c_str());
    script = [](TObject* w) -> int {
        if (auto* b = dynamic_cast<TEditBaseOIDForm*>(w)) {
            b->oidedt1->setTextValue("1.3.6.1.4.1.99995.12");
            return clickOk(b->Button1, b);
        }
        return mrCancel;
    };
    TEditObjListForm* f = listWindow(false, true);
    auto* node = new TZrXOIDNode("olcTwo");
    node->setLongName("Коментований два");
    node->setOID("1.3.6.1.4.1.99995.12.2");
    ASSERT_TRUE(userOIDsList().addObject(node, true));
    (void)f;
    const std::string saved = zrxtest::readFile(file);
    for (const char* comment : {"<!-- Об'єкти відділу -->", "<!-- перший об'єкт -->", "<!-- нові додавати нижче -->"})
        EXPECT_NE(std::string::npos, saved.find(comment)) << comment << " in\n" << saved;
    EXPECT_NE(std::string::npos, saved.find("oid=\"1.3.6.1.4.1.99995.12\"")) << saved;
    EXPECT_NE(std::string::npos, saved.find("olcTwo")) << saved;
}

// What the dialogs cannot show as the file holds it is reported once, when
// the list is opened; the file is left as it is.
TEST_F(ObjectListTest, ValuesTheDialogsCannotShowAreReportedOnOpening) {
    const std::string file = dir_.file("odd.oids");
    const std::string text =
        "<objects oid=\"5.1\">\n"
        "  <oddOid ln=\"Дивний ідентифікатор\" oid=\"1.3.x.4\"/>\n"
        "  <oddType ln=\"Дивний тип\" oid=\"1.3.6.1.4.1.99995.13.2\" valtype=\"picture\"/>\n"
        "  <oddObject ln=\"Дивний об'єкт\" oid=\"1.3.6.1.4.1.99995.13.3\" valtype=\"object\"/>\n"
        "  <oddEku ln=\"Дивний старий\" oid=\"1.3.6.1.4.1.99995.13.4\" ekuValue=\"1F\"/>\n"
        "  <goodEku ln=\"Дивний добрий\" oid=\"1.3.6.1.4.1.99995.13.5\" ekuValue=\"3\"/>\n"
        "</objects>\n";
    zrxtest::writeFile(file, text);
    userOIDsList().setFileName(file.c_str());
    script = [](TObject*) -> int { return mrCancel; };
    listWindow(false, true);
    ASSERT_EQ(1u, messages.size());
    const std::string& m = messages[0];
    for (const char* part :
         {"\"5.1\"", "\"oddOid\": \"1.3.x.4\"", "\"oddType\": неизвестный тип значения \"picture\"",
          "\"oddObject\": неизвестный тип значения \"object\"", "\"oddEku\": неизвестный тип значения \"1F\""})
        EXPECT_NE(std::string::npos, m.find(part)) << part << " in\n" << m;
    EXPECT_EQ(std::string::npos, m.find("goodEku")) << m;
    EXPECT_EQ(text, zrxtest::readFile(file));
}

// The object dialog's checks, each refusing with its message and field.
TEST_F(ObjectListTest, ObjectDialogChecks) {
    const std::string file = dir_.file("checks.oids");
    zrxtest::writeFile(file,
                       listText("1.3.6.1.4.1.99995.4", "<olcAlpha ln=\"Альфа\" oid=\"1.3.6.1.4.1.99995.4.1\"/>\n"));
    TZrXOIDsList list;
    ASSERT_EQ(0, list.load(file.c_str(), false));
    enum Field { kNone, kOid, kShort, kLong };
    const struct {
        const char *oid, *shortName, *longName;
        int answer;
        const char* message;
        Field field;
    } cases[] = {
        {"", "olcNew", "Нове", mrOk, "Поле заполнено некорректно!", kOid},
        {"1.3.6.1.4.1.99995.4.2", "  ", "Нове", mrOk, "Поле необходимо заполнить!", kShort},
        {"1.3.6.1.4.1.99995.4.2", "1st", "Нове", mrOk, "Значение поля должно начинаться с буквы!", kShort},
        // A name the list file cannot hold as an element name.
        {"1.3.6.1.4.1.99995.4.2", "[bad", "Нове", mrOk, "Поле заполнено некорректно!", kShort},
        {"1.3.6.1.4.1.99995.4.2", "olcNew", " ", mrOk, "Поле необходимо заполнить!", kLong},
        {"1.3.6.1.4.1.99995.4.1", "olcNew", "Нове", mrOk,
         "OID \"1.3.6.1.4.1.99995.4.1\" уже принадлежит объекту \"olcAlpha\"!", kOid},
        {"1.3.6.1.4.1.99995.4.2", "olcAlpha", "Нове", mrOk,
         "Короткое имя \"olcAlpha\" уже принадлежит объекту с OID \"1.3.6.1.4.1.99995.4.1\"!", kShort},
        {"1.3.6.1.4.1.99995.4.2", "olcNew", "альфа", mrNo,
         "Длинное имя \"альфа\" уже принадлежит объекту \"olcAlpha\"!\nПродолжить все равно?", kShort},
        {"1.3.6.1.4.1.99995.4.2", "olcNew", "альфа", mrYes,
         "Длинное имя \"альфа\" уже принадлежит объекту \"olcAlpha\"!\nПродолжить все равно?", kNone},
        {"1.3.6.1.4.1.99995.4.2", "_olcUnder", "Нове", mrOk, nullptr, kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.shortName) + " / " + c.longName);
        messages.clear();
        messageAnswer = c.answer;
        TZrXOIDNode node;
        auto* f = CreateComponent<TEditObjectForm>(Application);
        f->setObject(&list, &node);
        f->setIdentityEditable(true);
        f->oidedt1->setTextValue(c.oid);
        f->hedt2->SetText(c.shortName);
        f->hedt3->SetText(c.longName);
        f->chk1->SetChecked(true);
        f->rgp1->SetItemIndex(3);
        f->Button1Click(f->Button1);
        if (c.message) EXPECT_EQ(std::vector<std::string>{c.message}, messages);
        else EXPECT_TRUE(messages.empty());
        TWinControl* expected[] = {nullptr, f->oidedt1, f->hedt2, f->hedt3};
        if (c.field != kNone) {
            EXPECT_EQ(mrNone, f->ModalResult());
            EXPECT_EQ(expected[c.field], f->ActiveControl());
            EXPECT_TRUE(node.oid().isEmpty());  // nothing taken
        } else {
            EXPECT_EQ(mrOk, f->ModalResult());
            EXPECT_EQ(c.oid, node.oid().str());
            EXPECT_EQ(TCString(c.shortName).trim().str(), node.shortName().str());
            EXPECT_EQ(TCString(c.longName).trim().str(), node.longName().str());
            EXPECT_TRUE(node.critical());
            EXPECT_EQ(xvtInt, node.valueType());
        }
        f->Free();
    }
}

TEST_F(ObjectListTest, ShortNameKeys) {
    auto* f = CreateComponent<TEditObjectForm>(Application);
    const struct {
        const char* text;
        char32_t key;
        bool kept;
    } cases[] = {
        {"", U'a', true},  {"", U'_', true},  {"", U'Z', true},  {"", U'1', false}, {"a", U'1', true},
        {"", U'-', false}, {"", U' ', false}, {"", U'я', false}, {"", U'{', false}, {"", 8, true},
    };
    for (const auto& c : cases) {
        f->hedt2->SetText(c.text);
        char32_t key = c.key;
        f->hedt2KeyPress(f->hedt2, key);
        EXPECT_EQ(c.kept ? c.key : char32_t(0), key) << c.text << " + " << uint32_t(c.key);
    }
    f->Free();
}

// Creating, changing and deleting objects in the window, each saved at once.
TEST_F(ObjectListTest, CreateEditAndDeleteAreSaved) {
    const std::string file = loadList("1.3.6.1.4.1.99995.5",
                                      "<oleOne ln=\"Один\" oid=\"1.3.6.1.4.1.99995.5.1\" valtype=\"string\"/>\n"
                                      "<oleThree ln=\"Три\" oid=\"1.3.6.1.4.1.99995.5.3\"/>\n");
    TEditObjListForm* f = listWindow(false, true);
    int dialogs = 0;
    script = [&](TObject* w) -> int {
        auto* d = dynamic_cast<TEditObjectForm*>(w);
        if (!d) return mrCancel;
        ++dialogs;
        EXPECT_EQ("Параметры объекта", d->Caption());
        EXPECT_TRUE(d->oidedt1->Enabled());
        EXPECT_EQ("1.3.6.1.4.1.99995.5.2", d->oidedt1->getTextValue());  // the free number
        d->hedt2->SetText("oleTwo");
        d->hedt3->SetText("Два");
        d->chk1->SetChecked(true);
        d->rgp1->SetItemIndex(1);
        return clickOk(d->Button1, d);
    };
    f->actCreateExecute(nullptr);
    EXPECT_EQ(1, dialogs);
    ASSERT_EQ(3, f->CAlv1->Items()->Count());
    EXPECT_EQ("1.3.6.1.4.1.99995.5.2|oleTwo|Два|string", row(f, 2));
    EXPECT_EQ(15, f->CAlv1->Items()->Item(2)->ImageIndex());
    EXPECT_EQ(f->CAlv1->Items()->Item(2), f->CAlv1->Selected());
    EXPECT_EQ(std::vector<std::string>({"1.3.6.1.4.1.99995.5.1 oleOne Один", "1.3.6.1.4.1.99995.5.3 oleThree Три",
                                        "1.3.6.1.4.1.99995.5.2 oleTwo Два"}),
              fileObjects(file));
    // Created while the window is not the main form: registered with its format.
    EXPECT_EQ("!oleTwo?string|Два:", findExtensionFormat("oleTwo").str());

    // Changing keeps the identity fields closed.
    script = [&](TObject* w) -> int {
        auto* d = dynamic_cast<TEditObjectForm*>(w);
        if (!d) return mrCancel;
        EXPECT_FALSE(d->oidedt1->Enabled());
        EXPECT_FALSE(d->hedt2->Enabled());
        EXPECT_FALSE(d->lbl1->Enabled());
        EXPECT_FALSE(d->lbl2->Enabled());
        EXPECT_EQ(clBtnFace, d->hedt2->Color());
        EXPECT_TRUE(d->hedt3->Enabled());
        EXPECT_EQ("oleThree", d->hedt2->GetText());
        d->hedt3->SetText("Три нові");
        return clickOk(d->Button1, d);
    };
    f->CAlv1->SetSelected(f->CAlv1->Items()->Item(1));
    f->actEditExecute(nullptr);
    EXPECT_EQ("1.3.6.1.4.1.99995.5.3|oleThree|Три нові|none", row(f, 1));  // the type is written now
    EXPECT_EQ("1.3.6.1.4.1.99995.5.3 oleThree Три нові", fileObjects(file)[1]);

    // Deleting asks first; "No" keeps the object.
    f->CAlv1->SetSelected(f->CAlv1->Items()->Item(0));
    f->actDeleteUpdate(nullptr);
    EXPECT_TRUE(f->actDelete->Enabled());
    messageAnswer = mrNo;
    f->actDeleteExecute(nullptr);
    EXPECT_EQ(std::vector<std::string>{"Удалить объект oleOne (Один), oid: 1.3.6.1.4.1.99995.5.1?"}, messages);
    EXPECT_EQ(3, f->CAlv1->Items()->Count());
    messageAnswer = mrYes;
    f->actDeleteExecute(nullptr);
    EXPECT_EQ(2, f->CAlv1->Items()->Count());
    EXPECT_EQ(2, userOIDsList().count());
    EXPECT_EQ(nullptr, userOIDsList().findByShortName("oleOne"));
    EXPECT_EQ(std::vector<std::string>({"1.3.6.1.4.1.99995.5.3 oleThree Три нові", "1.3.6.1.4.1.99995.5.2 oleTwo Два"}),
              fileObjects(file));
    f->actDeleteUpdate(nullptr);
    EXPECT_FALSE(f->actDelete->Enabled());  // nothing selected any more

    // A new base identifier is saved at once.
    script = [&](TObject* w) -> int {
        auto* b = dynamic_cast<TEditBaseOIDForm*>(w);
        if (!b) return mrCancel;
        EXPECT_EQ("1.3.6.1.4.1.99995.5", b->oidedt1->getTextValue());
        b->oidedt1->setTextValue("1.3.6.1.4.1.99995.6");
        return clickOk(b->Button1, b);
    };
    f->actSetPfxExecute(nullptr);
    std::string base;
    fileObjects(file, &base);
    EXPECT_EQ("1.3.6.1.4.1.99995.6", base);
}

// When the file cannot be written, nothing is reported as done: the list
// and the rows keep what the file holds and the user is told.
TEST_F(ObjectListTest, FailedSavesChangeNothing) {
    const std::string file = loadList("1.3.6.1.4.1.99995.7", "<olsOne ln=\"Один\" oid=\"1.3.6.1.4.1.99995.7.1\"/>\n");
    TEditObjListForm* f = listWindow(true, true);
    userOIDsList().setFileName(dir_.file("gone/objects.oids").c_str());
    const std::string before = zrxtest::readFile(file);
    const std::vector<std::string> notSaved{"Изменения списка описателей объектов не сохранены!"};

    script = [&](TObject* w) -> int {
        auto* d = dynamic_cast<TEditObjectForm*>(w);
        if (!d) return mrCancel;
        if (d->hedt2->Enabled()) d->hedt2->SetText("olsTwo");
        d->hedt3->SetText("Змінено");
        return clickOk(d->Button1, d);
    };
    f->actCreateExecute(nullptr);
    EXPECT_EQ(notSaved, messages);
    EXPECT_EQ(1, f->CAlv1->Items()->Count());
    EXPECT_EQ(1, userOIDsList().count());

    messages.clear();
    f->CAlv1->SetSelected(f->CAlv1->Items()->Item(0));
    f->actEditExecute(nullptr);
    EXPECT_EQ(notSaved, messages);
    EXPECT_EQ("Один", userOIDsList().at(0)->longName().str());
    EXPECT_EQ("1.3.6.1.4.1.99995.7.1|olsOne|Один|", row(f, 0));

    messages.clear();
    messageAnswer = mrYes;
    f->actDeleteExecute(nullptr);
    EXPECT_EQ(2u, messages.size());
    EXPECT_EQ(notSaved[0], messages.back());
    EXPECT_EQ(1, f->CAlv1->Items()->Count());
    ASSERT_EQ(1, userOIDsList().count());
    EXPECT_EQ(f->CAlv1->Items()->Item(0)->Data(), userOIDsList().at(0));

    messages.clear();
    script = [&](TObject* w) -> int {
        auto* b = dynamic_cast<TEditBaseOIDForm*>(w);
        if (!b) return mrCancel;
        b->oidedt1->setTextValue("1.3.6.1.4.1.99995.8");
        return clickOk(b->Button1, b);
    };
    f->actSetPfxExecute(nullptr);
    EXPECT_EQ(notSaved, messages);
    EXPECT_EQ("1.3.6.1.4.1.99995.7", userOIDsList().baseOID()->str());
    EXPECT_EQ(before, zrxtest::readFile(file));
}

// A double click chooses in select mode and edits where only editing is offered.
TEST_F(ObjectListTest, DoubleClick) {
    loadList("1.3.6.1.4.1.99995.9", "<oldOne ln=\"Один\" oid=\"1.3.6.1.4.1.99995.9.1\"/>\n");
    int dialogs = 0;
    script = [&](TObject* w) -> int {
        if (dynamic_cast<TEditObjectForm*>(w)) ++dialogs;
        return mrCancel;
    };
    TEditObjListForm* choose = listWindow(true, false);
    choose->CAlv1DblClick(choose->CAlv1);  // nothing selected: nothing happens
    EXPECT_EQ(mrNone, choose->ModalResult());
    EXPECT_EQ(0, dialogs);
    choose->CAlv1->SetSelected(choose->CAlv1->Items()->Item(0));
    choose->CAlv1DblClick(choose->CAlv1);
    EXPECT_EQ(mrOk, choose->ModalResult());

    TEditObjListForm* edit = listWindow(false, true);
    edit->CAlv1->SetSelected(edit->CAlv1->Items()->Item(0));
    edit->CAlv1DblClick(edit->CAlv1);
    EXPECT_EQ(1, dialogs);
    EXPECT_EQ(mrNone, edit->ModalResult());
}

}  // namespace
