#include "requests/ObjectEditDialogs.h"

#include "components/FormsTranslation.h"
#include "platform/core/config/XmlNode.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Placement.h"
#include "platform/runtime/Translation.h"
#include "requests/ObjectIdList.h"

namespace {
const char* const kHistoryKey = "Software\\Zoren\\EditObjectForm";
constexpr int kHistoryCount = 20;

TCOIDEdit* makeOidEdit(TForm* form, int left, int top, int width) {
    auto* e = placeControl<TCOIDEdit>(form, form, "oidedt1", left, top, width, 21);
    e->SetMaxHistCount(kHistoryCount);
    e->setRegParams(kHistoryKey, "oidedt1", true);
    return e;
}

THistoryEdit* makeHistoryEdit(TForm* form, const char* name, int left, int top, int width) {
    auto* e = placeControl<THistoryEdit>(form, form, name, left, top, width, 21);
    e->RegInfo()->SetRootKey(hkCURRENT_USER);
    e->RegInfo()->SetKey(kHistoryKey);
    e->RegInfo()->SetValueName(name);
    e->SetMaxHistCount(kHistoryCount);
    e->SetSaveHistory(true);
    e->Load();
    return e;
}

void placeAnswerButtons(TForm* form, TButton*& ok, TButton*& cancel, int right, int top) {
    ok = placeControl<TButton>(form, form, "Button1", right - 168, top, 80, 25);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    cancel = placeControl<TButton>(form, form, "Button2", right - 80, top, 80, 25);
    cancel->SetCaption("Отменить");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
}

void focusField(TForm* form, TWinControl* field) {
    if (field->CanFocus()) field->SetFocus();
    else form->SetActiveControl(field);
}

TComponent* dialogOwner() {
    if (Screen && Screen->ActiveForm()) return Screen->ActiveForm();
    return Application;
}

// The names a short name may start with: the letters and the signs from
// "A" to "z" of the code table.
bool startsWithLetter(const TCString& name) {
    const unsigned char c = static_cast<unsigned char>(name.c_str()[0]);
    return c >= 'A' && c <= 'z';
}
}  // namespace

// ---- the object dialog

IMPLEMENT_CLASS(TEditObjectForm, TForm) {}

TEditObjectForm::TEditObjectForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("EditObjectForm");
    SetCaption("Параметры объекта");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(420);
    SetClientHeight(262);

    constexpr int kEditLeft = 112, kEditWidth = 300;
    lbl1 = placeLabelAt(this, this, "lbl1", "Объектный\nидентификатор", 8, 8);
    oidedt1 = makeOidEdit(this, kEditLeft, 10, kEditWidth);
    lbl1->SetFocusControl(oidedt1);
    lbl2 = placeLabelAt(this, this, "lbl2", "Короткое имя", 8, 44);
    hedt2 = makeHistoryEdit(this, "hedt2", kEditLeft, 41, kEditWidth);
    lbl2->SetFocusControl(hedt2);
    hedt2->OnKeyPress = [this](TObject* s, char32_t& k) { hedt2KeyPress(s, k); };
    lbl3 = placeLabelAt(this, this, "lbl3", "Длинное имя", 8, 72);
    hedt3 = makeHistoryEdit(this, "hedt3", kEditLeft, 69, kEditWidth);
    lbl3->SetFocusControl(hedt3);
    chk1 = placeControl<TCheckBox>(this, this, "chk1", kEditLeft, 98, kEditWidth, 17);
    chk1->SetCaption("Критичное расширение");

    rgp1 = placeControl<TRadioGroup>(this, this, "rgp1", 8, 122, 404, 96);
    rgp1->SetCaption("Тип значения");
    rgp1->SetColumns(2);
    for (const char* item : {"Отсутствует", "Строка", "Логическое", "Целое", "Дата", "Дата и время", "Бинарные данные"})
        rgp1->Items()->Add(item);
    rgp1->SetItemIndex(0);

    placeAnswerButtons(this, Button1, Button2, 412, 228);
    Button1->OnClick = [this](TObject* s) { Button1Click(s); };
}

void TEditObjectForm::setObject(TZrXOIDsList* list, TZrXOIDNode* node) {
    list_ = list;
    node_ = node;
    if (!node) return;
    oidedt1->setTextValue(node->oid().c_str());
    hedt2->SetText(node->shortName().c_str());
    hedt3->SetText(node->longName().c_str());
    chk1->SetChecked(node->critical());
    // Types beyond the dialog's choice show as none.
    const int type = static_cast<int>(node->valueType());
    rgp1->SetItemIndex(type >= 0 && type < rgp1->Items()->Count() ? type : 0);
}

void TEditObjectForm::setIdentityEditable(bool editable) {
    const TColor color = editable ? clWindow : clBtnFace;
    for (TControl* c : std::initializer_list<TControl*>{oidedt1, lbl1, hedt2, lbl2}) c->SetEnabled(editable);
    oidedt1->SetColor(color);
    hedt2->SetColor(color);
}

void TEditObjectForm::refuse(TWinControl* field, const String& message) {
    MessageDlg(message, mtError, mbSet(mbOK));
    focusField(this, field);
}

void TEditObjectForm::Button1Click(TObject*) {
    SetModalResult(mrNone);
    if (!node_) return;
    if (!oidedt1->validate()) return refuse(oidedt1, tr("Поле заполнено некорректно!").str());
    const TCString oid = TCString(oidedt1->getTextValue()).trim();
    const TCString shortName = TCString(hedt2->GetText()).trim();
    if (shortName.isEmpty()) return refuse(hedt2, tr("Поле необходимо заполнить!").str());
    if (!startsWithLetter(shortName)) return refuse(hedt2, tr("Значение поля должно начинаться с буквы!").str());
    // The short name is the element's name in the list file: a name XML
    // cannot hold would leave the object unsaved.
    if (!isValidXMLName(shortName.c_str())) return refuse(hedt2, tr("Поле заполнено некорректно!").str());
    const TCString longName = TCString(hedt3->GetText()).trim();
    if (longName.isEmpty()) return refuse(hedt3, tr("Поле необходимо заполнить!").str());
    if (list_) {
        const TZrXOIDNode* other = list_->findByOID(oid.c_str());
        if (other && other != node_)
            return refuse(oidedt1, TCFString(tr("OID \"%s\" уже принадлежит объекту \"%s\"!").c_str(), oid.c_str(),
                                             other->shortName().c_str())
                                       .str());
        other = list_->findByShortName(shortName.c_str());
        if (other && other != node_)
            return refuse(hedt2, TCFString(tr("Короткое имя \"%s\" уже принадлежит объекту с OID \"%s\"!").c_str(),
                                           shortName.c_str(), other->oid().c_str())
                                     .str());
        other = list_->findByLongName(longName.c_str());
        if (other && other != node_) {
            const TCFString question(
                tr("Длинное имя \"%s\" уже принадлежит объекту \"%s\"!\nПродолжить все равно?").c_str(),
                longName.c_str(), other->shortName().c_str());
            if (MessageDlg(question.str(), mtError, mbSet(mbYes, mbNo)) != mrYes) {
                focusField(this, hedt2);
                return;
            }
        }
    }
    node_->setOID(oid.c_str());
    node_->setShortName(shortName.c_str());
    node_->setLongName(longName.c_str());
    node_->setCritical(chk1->Checked());
    node_->setValueType(static_cast<TCEditsEntryType>(rgp1->ItemIndex() < 0 ? 0 : rgp1->ItemIndex()));
    for (THistoryEdit* e : {hedt2, hedt3}) e->AddHistory();
    oidedt1->AddHistory();
    SetModalResult(mrOk);
}

void TEditObjectForm::hedt2KeyPress(TObject*, char32_t& Key) {
    constexpr char32_t kBackspace = 8;
    if (Key == kBackspace) return;
    if (Key < U'0' || Key > U'z') {
        Key = 0;
        return;
    }
    if (Key <= U'9' && hedt2->GetText().empty()) Key = 0;
}

// ---- the base-identifier dialog

IMPLEMENT_CLASS(TEditBaseOIDForm, TForm) {}

TEditBaseOIDForm::TEditBaseOIDForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("EditBaseOIDForm");
    SetCaption("Базовый идентификатор");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(420);
    SetClientHeight(82);
    lbl1 = placeLabelAt(this, this, "lbl1", "Объектный\nидентификатор", 8, 8);
    oidedt1 = makeOidEdit(this, 112, 10, 300);
    lbl1->SetFocusControl(oidedt1);
    placeAnswerButtons(this, Button1, Button2, 412, 48);
    Button1->OnClick = [this](TObject* s) { Button1Click(s); };
}

void TEditBaseOIDForm::Button1Click(TObject*) {
    if (oidedt1->validate()) {
        oidedt1->AddHistory();
        return;
    }
    SetModalResult(mrNone);
    MessageDlg(tr("Поле заполнено некорректно!").str(), mtError, mbSet(mbOK));
    focusField(this, oidedt1);
}

// ---- entries

bool editObject(TZrXOIDsList* list, TZrXOIDNode* node, bool isNew) {
    if (!node) return false;
    auto* form = CreateComponent<TEditObjectForm>(dialogOwner());
    translateComponentProperties(form);
    return ShowModalAndFree(form, [&] {
               form->setObject(list, node);
               form->setIdentityEditable(isNew);
           }) == mrOk;
}

bool editBaseOID(TCString& oid) {
    auto* form = CreateComponent<TEditBaseOIDForm>(dialogOwner());
    translateComponentProperties(form);
    TCString typed;
    const int result = ShowModalAndFree(
        form, [&] { form->oidedt1->setTextValue(oid.c_str()); },
        [&](int r) {
            if (r == mrOk && form->oidedt1->validate()) typed = TCString(form->oidedt1->getTextValue()).trim();
        });
    // Only a dotted-decimal identifier is ever taken.
    if (result != mrOk || typed.isEmpty()) return false;
    oid = typed;
    return true;
}
