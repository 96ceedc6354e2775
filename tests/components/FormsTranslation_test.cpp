#include <gtest/gtest.h>

#include "components/FormsTranslation.h"
#include "platform/framework/StdCtrls.h"
#include "platform/framework/QtTestApp.h"
#include "platform/runtime/Translation.h"
#include "support/TempDir.h"

namespace {

// An English table in a private language folder.
struct EnglishTable {
    zrxtest::TempDir dir;
    EnglishTable() {
        std::filesystem::create_directories(dir.path() / "en");
        zrxtest::writeFile(dir.file("en/forms.txt"),
                           "Запрос\tRequest\n"
                           "Имя:\tName:\n"
                           "Принять\tAccept\n"
                           "Подсказка\tTip\n"
                           "Открыть\tOpen\n"
                           "Файл\tFile\n"
                           "RSA-ключ\tRSA key\n"
                           "Две строки\tFirst line\\\\nsecond line\n"
                           "Строка1\\nСтрока2\tLine1 and Line2\n"
                           "Языковые изменения вступят в силу после перезагрузки программы!\tRestart to apply.\n");
        zrnSetTranslationDir(dir.str().c_str());
    }
    ~EnglishTable() { zrnSetTranslationDir(nullptr); }
};

struct TDemoForm : TForm {
    TCFormTranslator* tr = nullptr;
    TLabel* lbl;
    TButton* btn;
    TEdit* edt;
    TComboBox* cmb;
    TMenuItem* miOpen;
    TMenuItem* miLang;
    TAction* actOpen;
    TDemoForm(TComponent* o, bool withTranslator, bool markers = false) : TForm(o) {
        SetName("DemoForm");
        SetCaption("Запрос");
        if (withTranslator) {
            tr = new TCFormTranslator(this);
            tr->SetDefLanguageID(1);
            tr->SetUseMarkers(markers);
        }
        lbl = new TLabel(this);
        lbl->SetName("lbl");
        lbl->SetParent(this);
        lbl->SetCaption("Имя: ");  // trailing blank
        lbl->SetHint("Подсказка");
        btn = new TButton(this);
        btn->SetName("btn");
        btn->SetParent(this);
        btn->SetCaption("Две строки");
        edt = new TEdit(this);
        edt->SetParent(this);
        edt->SetText("Имя:");  // Text is not in the list
        cmb = new TComboBox(this);
        cmb->SetParent(this);
        cmb->SetStyle(csDropDownList);
        cmb->Items()->Add("Нет перевода ");
        cmb->Items()->Add("RSA-ключ");
        cmb->SetItemIndex(1);
        auto* list = new TActionList(this);
        actOpen = new TAction(list);
        actOpen->SetCaption("Открыть");
        auto* menu = new TMainMenu(this);
        auto* file = new TMenuItem(this);
        file->SetCaption("Файл");
        menu->Items()->Add(file);
        miOpen = new TMenuItem(this);
        miOpen->SetAction(actOpen);
        file->Add(miOpen);
        miLang = new TMenuItem(this);
        miLang->SetCaption("Язык");
        file->Add(miLang);
        SetMenu(menu);
    }
};

TEST(FormsTranslation, FormIntoEnglishAndBack) {
    ensureQtApp();
    EnglishTable table;
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_ENGLISH));
    auto* f = CreateComponent<TDemoForm>(Application, true);
    EXPECT_EQ(f->Caption(), "Request");
    EXPECT_EQ(f->lbl->Caption(), "Name:");
    EXPECT_EQ(f->lbl->Hint(), "Tip");
    EXPECT_EQ(f->btn->Caption(), "First line\r\nsecond line");
    EXPECT_EQ(f->edt->GetText(), "Имя:");
    EXPECT_EQ(f->cmb->Items()->Get(0), "Нет перевода");  // untranslated: loses the trailing blank
    EXPECT_EQ(f->cmb->Items()->Get(1), "RSA key");
    EXPECT_EQ(f->cmb->ItemIndex(), 1);
    EXPECT_EQ(f->actOpen->Caption(), "Open");
    EXPECT_EQ(f->miOpen->Caption(), "Open");
    f->Free();

    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_RUSSIAN));
    auto* g = CreateComponent<TDemoForm>(Application, true);
    EXPECT_EQ(g->Caption(), "Запрос");
    EXPECT_EQ(g->lbl->Caption(), "Имя: ");  // same language as written: not walked at all
    g->Free();
}

TEST(FormsTranslation, TextsAndWideCache) {
    EnglishTable table;
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_ENGLISH));
    EXPECT_EQ(zrnTranslateStringAS("Файл"), "File");
    std::u16string w = zrnTranslateStringW(u"Файл");
    EXPECT_EQ(w, u"File");
    ASSERT_NE(zrnFindTranslation("Файл")->wideText(), nullptr);
    EXPECT_EQ(zrnTranslateStringUN(u"нет такого"), u"нет такого");
    // A text with carriage returns is looked up by its lines joined with LF.
    ensureQtApp();
    auto* l = new TLabel(nullptr);
    l->SetCaption("Строка1\r\nСтрока2");
    translateComponentProperties(l);
    EXPECT_EQ(l->Caption(), "Line1 and Line2");
    l->Free();
}

TEST(FormsTranslation, MarkersTranslateOtherFormsOnceWhenActive) {
    ensureQtApp();
    EnglishTable table;
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_ENGLISH));
    int chained = 0;
    Screen->OnActiveFormChange = [&](TObject*) { ++chained; };
    auto* main = CreateComponent<TDemoForm>(Application, true, true);
    ASSERT_EQ(TCFormTranslator::MainTranslator(), main->tr);
    main->Show();
    auto* other = CreateComponent<TDemoForm>(Application, false);
    EXPECT_EQ(other->Caption(), "Запрос");
    other->Show();
    EXPECT_EQ(other->Caption(), "Request");
    EXPECT_GT(chained, 0);  // the handler it replaced still runs
    other->lbl->SetCaption("Принять");
    main->Show();
    other->Show();
    EXPECT_EQ(other->lbl->Caption(), "Принять");  // walked once per language
    // Destroying the main translator puts back only the handler it replaced.
    int later = 0;
    TNotifyEvent previous = Screen->OnActiveFormChange;
    Screen->OnActiveFormChange = [&, previous](TObject* s) {
        ++later;
        previous(s);
    };
    main->Free();
    EXPECT_EQ(TCFormTranslator::MainTranslator(), nullptr);
    int before = chained;
    other->Hide();
    other->Show();
    EXPECT_GT(later, 0);
    EXPECT_GT(chained, before);  // the chain still reaches the first handler
    other->Free();
    Screen->OnActiveFormChange = nullptr;
}

TEST(FormsTranslation, LanguageMenuStoresChoiceForNextStart) {
    ensureQtApp();
    EnglishTable table;
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_RUSSIAN));
    auto* f = CreateComponent<TDemoForm>(Application, true);
    String message;
    f->tr->OnMessage = [&](const String& m, TMsgDlgType t, TMsgDlgButtons b) {
        EXPECT_EQ(t, mtInformation);
        EXPECT_EQ(b, mbSet(mbOK));
        message = m;
        return int(mrOk);
    };
    f->tr->SetActive(true);
    f->tr->newLangMenuItem(f->miLang);
    ASSERT_EQ(f->miLang->Count(), 2);
    EXPECT_EQ(f->miLang->Items(0)->Caption(), "Русский");
    EXPECT_TRUE(f->miLang->Items(0)->Checked());
    TMenuItem* en = f->miLang->Items(1);
    EXPECT_EQ(en->Caption(), "English");
    EXPECT_EQ(en->Tag(), ZRN_LANG_ENGLISH);
    EXPECT_EQ(en->GroupIndex(), 111);
    EXPECT_TRUE(en->RadioItem());
    f->miLang->Items(0)->Click();  // already checked: nothing
    EXPECT_EQ(message, "");
    en->Click();
    EXPECT_EQ(message, "Языковые изменения вступят в силу после перезагрузки программы!");
    EXPECT_FALSE(en->Checked());  // the check mark stays until the restart
    EXPECT_EQ(getCurrentLanguageID(), ZRN_LANG_RUSSIAN);
    f->Free();
}

}  // namespace
