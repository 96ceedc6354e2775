#include "components/ListDialogs.h"

#include "components/CAdvancedListView.h"
#include "components/FormsTranslation.h"
#include "platform/framework/Placement.h"
#include "platform/framework/Dialogs.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/Translation.h"

namespace {
void fillItems(TStrings* s, std::initializer_list<const char*> items) {
    s->Clear();
    for (const char* i : items) s->Add(i);
}

TComponent* dialogOwner() {
    if (Screen && Screen->ActiveForm()) return Screen->ActiveForm();
    if (Application && Application->MainForm()) return Application->MainForm();
    return Application;
}

// Runs a dialog and frees it, whatever happens.
template <class F, class R> int runDialog(F* form, R&& read) {
    int result = mrCancel;
    try {
        result = form->ShowModal();
        if (result == mrOk) read();
    } catch (...) {
        form->Free();
        throw;
    }
    form->Free();
    return result;
}
}  // namespace

// ---- TCFindForm

IMPLEMENT_CLASS(TCFindForm, TForm) {}

TCFindForm::TCFindForm(TComponent* AOwner, bool fromStart, bool forward, const char* historyName) : TForm(AOwner) {
    SetName("CFindForm");
    SetCaption("Найти значение");
    SetBorderStyle(bsDialog);
    SetPosition(poOwnerFormCenter);
    SetClientWidth(440);
    SetClientHeight(170);
    Label1 = placeControl<TLabel>(this, this, "Label1", 8, 10, 200, 16);
    Label1->SetCaption("&Строка для поиска");
    SearchEdit = placeControl<THistoryEdit>(this, this, "SearchEdit", 8, 28, 328, 24);
    SearchEdit->SetMaxHistCount(20);
    SearchEdit->RegInfo()->SetRootKey(hkCURRENT_USER);
    SearchEdit->RegInfo()->SetKey("Software\\Zoren\\Search");
    SearchEdit->RegInfo()->SetValueName("SearchEdit");
    Label1->SetFocusControl(SearchEdit);
    RadioGroup1 = placeControl<TRadioGroup>(this, this, "RadioGroup1", 8, 60, 180, 64);
    RadioGroup1->SetCaption("&Искать");
    fillItems(RadioGroup1->Items(), {"С начала", "От текущей позиции"});
    RadioGroup2 = placeControl<TRadioGroup>(this, this, "RadioGroup2", 194, 60, 142, 64);
    RadioGroup2->SetCaption("&Направление поиска");
    fillItems(RadioGroup2->Items(), {"Вперед", "Назад"});
    Button1 = placeControl<TButton>(this, this, "Button1", 350, 28, 82, 25);
    Button1->SetCaption("&Искать");
    Button1->SetDefault(true);
    Button1->SetModalResult(mrOk);
    Button2 = placeControl<TButton>(this, this, "Button2", 350, 60, 82, 25);
    Button2->SetCaption("&Отменить");
    Button2->SetCancel(true);
    Button2->SetModalResult(mrCancel);
    Button3 = placeControl<TButton>(this, this, "Button3", 350, 92, 82, 25);
    Button3->SetCaption("&Справка");
    Button3->SetVisible(false);
    FBottom = 132;

    RadioGroup1->SetItemIndex(fromStart ? 0 : 1);
    RadioGroup2->SetItemIndex(RadioGroup1->ItemIndex() == 0 ? 0 : forward ? 0 : 1);
    if (historyName && *historyName) {
        SearchEdit->RegInfo()->SetValueName(historyName);
        SearchEdit->SetSaveHistory(true);
        SearchEdit->Load();
    } else {
        SearchEdit->SetSaveHistory(false);
    }
    RadioGroup1->OnClick = [this](TObject* s) { RadioGroup1Click(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    RadioGroup1Click(RadioGroup1);
    SetActiveControl(SearchEdit);
    translateComponentProperties(this);
}

void TCFindForm::RadioGroup1Click(TObject*) { RadioGroup2->SetEnabled(RadioGroup1->ItemIndex() == 1); }

void TCFindForm::FormClose(TObject*, TCloseAction& Action) {
    // Nothing to search for: the dialog stays.
    if (ModalResult() == mrOk && SearchEdit->GetText().empty()) Action = caNone;
}

int getSearchText(String& text, bool& fromStart, bool& forward, const char* historyName) {
    auto* f = CreateComponent<TCFindForm>(dialogOwner(), fromStart, forward, historyName);
    f->SearchEdit->SetText(text);
    int r = runDialog(f, [&] {
        fromStart = f->RadioGroup1->ItemIndex() == 0;
        forward = f->RadioGroup2->ItemIndex() == 0;
        text = f->SearchEdit->GetText();
        f->SearchEdit->AddHistory();
    });
    return r == mrOk ? 0 : 1;
}

// ---- TCFindInListForm

IMPLEMENT_CLASS(TCFindInListForm, TCFindForm) {}

TCFindInListForm::TCFindInListForm(TComponent* AOwner, TCAdvancedListView* list, const char* historyName)
    : TCFindForm(AOwner, list->GetSearchFrom(), list->GetSearchDirection(), historyName) {
    SetName("CFindInListForm");
    SetCaption("Найти запись");
    Button1->SetCaption("&Найти");
    RadioGroup2->SetCaption("Н&аправление поиска");
    SetClientHeight(FBottom + 60);
    Label2 = placeControl<TLabel>(this, this, "Label2", 8, FBottom + 4, 86, 16);
    Label2->SetCaption("&В колонке ");
    ComboBox1 = placeControl<TComboBox>(this, this, "ComboBox1", 96, FBottom, 240, 24);
    ComboBox1->SetStyle(csDropDownList);
    Label2->SetFocusControl(ComboBox1);
    CheckBoxNoIgnoreCase = placeControl<TCheckBox>(this, this, "CheckBoxNoIgnoreCase", 8, FBottom + 32, 250, 20);
    CheckBoxNoIgnoreCase->SetCaption("Учитывать &регистр");
    translateComponentProperties(this);
    // Column captions are the list's own texts: filled after translation.
    ComboBox1->Items()->Add(zrnTranslateString("Все колонки").str());
    for (int i = 0; i < list->Columns()->Count(); ++i) ComboBox1->Items()->Add(list->Columns()->Items(i)->Caption());
    ComboBox1->SetItemIndex(list->SearchInColumn() + 1);
    CheckBoxNoIgnoreCase->SetChecked(!list->FindIgnoreCase());
    if (!list->GetFindString().empty()) SearchEdit->SetText(list->GetFindString());
}

bool alvSearch(TCAdvancedListView* list, const char* historyName) {
    if (!list) return false;
    auto* f = CreateComponent<TCFindInListForm>(dialogOwner(), list, historyName);
    String text;
    bool fromStart = true, forward = true;
    int column = -1;
    bool ignoreCase = true;
    int r = runDialog(f, [&] {
        ignoreCase = !f->CheckBoxNoIgnoreCase->Checked();
        text = f->SearchEdit->GetText();
        fromStart = f->RadioGroup1->ItemIndex() == 0;
        forward = f->RadioGroup2->ItemIndex() == 0;
        column = f->ComboBox1->ItemIndex() - 1;
        f->SearchEdit->AddHistory();
    });
    if (r != mrOk) return false;
    list->SetFindIgnoreCase(ignoreCase);
    return list->SearchTextEx(text, fromStart, forward, false, column);
}

// ---- TSortListParsForm

IMPLEMENT_CLASS(TSortListParsForm, TForm) {}

TSortListParsForm::TSortListParsForm(TComponent* AOwner, TListView* list) : TForm(AOwner) {
    SetName("SortListParsForm");
    SetCaption("Cортировка записей");
    SetBorderStyle(bsDialog);
    SetPosition(poOwnerFormCenter);
    SetClientWidth(330);
    SetClientHeight(140);
    Label1 = placeControl<TLabel>(this, this, "Label1", 8, 10, 200, 16);
    Label1->SetCaption("&Сортировать по колонке");
    ComboBox1 = placeControl<TComboBox>(this, this, "ComboBox1", 8, 28, 220, 24);
    ComboBox1->SetStyle(csDropDownList);
    Label1->SetFocusControl(ComboBox1);
    RadioGroup1 = placeControl<TRadioGroup>(this, this, "RadioGroup1", 8, 60, 220, 70);
    RadioGroup1->SetCaption("Направление");
    fillItems(RadioGroup1->Items(), {"По &убыванию", "По &возрастанию"});
    Button1 = placeControl<TButton>(this, this, "Button1", 240, 28, 82, 25);
    Button1->SetCaption("&Применить");
    Button1->SetDefault(true);
    Button1->SetModalResult(mrOk);
    Button2 = placeControl<TButton>(this, this, "Button2", 240, 60, 82, 25);
    Button2->SetCaption("&Отменить");
    Button2->SetCancel(true);
    Button2->SetModalResult(mrCancel);
    Button3 = placeControl<TButton>(this, this, "Button3", 240, 92, 82, 25);
    Button3->SetCaption("&Справка");
    Button3->SetVisible(false);
    translateComponentProperties(this);
    for (int i = 0; list && i < list->Columns()->Count(); ++i)
        ComboBox1->Items()->Add(list->Columns()->Items(i)->Caption());
}

int getSortListPars(TListView* list, int& column, bool& ascending) {
    if (!list || list->Columns()->Count() == 0) return 1;
    auto* f = CreateComponent<TSortListParsForm>(dialogOwner(), list);
    int col = std::clamp(column, 0, list->Columns()->Count() - 1);
    f->ComboBox1->SetItemIndex(col);
    f->RadioGroup1->SetItemIndex(ascending ? 1 : 0);
    int r = runDialog(f, [&] {
        if (f->ComboBox1->ItemIndex() >= 0) column = f->ComboBox1->ItemIndex();
        ascending = f->RadioGroup1->ItemIndex() == 1;
    });
    return r == mrOk ? 0 : 1;
}
